// The wide-name exports on Linux: a UTF-16 name is converted once, with the
// calling thread's character set, to the bytes of the file name, however
// long the result (a path of more than 1,023 bytes included); a name the
// character set cannot hold is a file error. Save, record and configuration
// loading alike.
#include "KorvexSdk_740K3_XLN.h"
#include "support/snapshot_camera.h"
#include "image/files/file_readers.h"
#include "korvex/host_sim.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <locale.h>
#include <string>
#include <vector>

namespace korvex::test {
namespace {

namespace fs = std::filesystem;

// The calling thread's locale for one test.
class ThreadLocale {
 public:
  explicit ThreadLocale(const char* name) : locale_(newlocale(LC_ALL_MASK, name, nullptr)) {
    previous_ = uselocale(locale_ != static_cast<locale_t>(0) ? locale_ : LC_GLOBAL_LOCALE);
  }
  ~ThreadLocale() {
    uselocale(previous_);
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  bool Ok() const { return locale_ != static_cast<locale_t>(0); }

 private:
  locale_t locale_;
  locale_t previous_{};
};

std::vector<KORVEX_WCHAR> Wide(const std::u16string& text) {
  std::vector<KORVEX_WCHAR> wide(text.begin(), text.end());
  wide.push_back(0);
  return wide;
}

std::u16string Utf16OfAscii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

using WideNames = korvex::test::SnapshotCamera<TempFolder>;

TEST_F(WideNames, NamesBeyondTheOldBufferAndOutsideAsciiAreUsedWhole) {
  ThreadLocale utf8("C.UTF-8");
  ASSERT_TRUE(utf8.Ok());
  // Five folders of 80 CJK characters (240 bytes each in UTF-8): a path of
  // more than 1,200 bytes, in names of the usual 255-byte limit.
  const std::u16string part(80, u'\u65E5');
  std::u16string folder = Utf16OfAscii(folder_.Path());
  std::string folderBytes = folder_.Path();
  const std::string partBytes = [] {
    std::string s;
    for (int i = 0; i < 80; ++i) s += "\xE6\x97\xA5";
    return s;
  }();
  for (int i = 0; i < 5; ++i) {
    folder += u"/" + part;
    folderBytes += "/" + partBytes;
  }
  ASSERT_TRUE(fs::create_directories(folderBytes));
  ASSERT_GT(folderBytes.size(), 1200u);

  const std::u16string picture =
      folder + u"/\u65E5\u672C \u041A\u0430\u043C\u0435\u0440\u0430 \U0001F4F7.png";
  const std::string pictureBytes =
      folderBytes +
      "/\xE6\x97\xA5\xE6\x9C\xAC \xD0\x9A\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x80\xD0\xB0 "
      "\xF0\x9F\x93\xB7.png";
  EXPECT_EQ(Korvex_SaveImageW(handle_, Wide(picture).data(), KORVEX_SAVE_PNG), 1);
  DecodedImage decoded;
  EXPECT_TRUE(DecodePng(pictureBytes, &decoded));
  EXPECT_EQ(decoded.width, 32);

  std::FILE* config = std::fopen((folderBytes + "/\xE6\x97\xA5.cfg").c_str(), "wb");
  ASSERT_NE(config, nullptr);
  std::fwrite("\1\0\0\0\2\0\0\0", 1, 8, config);
  std::fclose(config);
  EXPECT_EQ(Korvex_LoadConfigFileW(handle_, Wide(folder + u"/\u65E5.cfg").data()), 1);

  ASSERT_EQ(Korvex_RecordW(handle_, Wide(folder + u"/\u65E5.avi").data(), 60000, 0), 1);
  ASSERT_EQ(Korvex_StopPreview(handle_), 1);
  EXPECT_GE(fs::file_size(folderBytes + "/\xE6\x97\xA5.avi"), 232u);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(WideNames, NamesTheCharacterSetCannotHoldAreFileErrors) {
  ThreadLocale ascii("C");
  ASSERT_TRUE(ascii.Ok());
  const std::u16string name = Utf16OfAscii(folder_.Path()) + u"/\u65E5\u672C";
  EXPECT_EQ(Korvex_SaveImageW(handle_, Wide(name + u".png").data(), KORVEX_SAVE_PNG), 0);
  EXPECT_EQ(Korvex_RecordW(handle_, Wide(name + u".avi").data(), 100, 0), 0);
  EXPECT_EQ(Korvex_LoadConfigFileW(handle_, Wide(name + u".cfg").data()), 0);
  EXPECT_EQ(Errors(), std::vector<uint32_t>(3, KORVEX_ERR_FILE));
  EXPECT_TRUE(fs::is_empty(folder_.Path()));
}

}  // namespace
}  // namespace korvex::test
