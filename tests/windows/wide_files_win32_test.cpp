// Files named through the W exports on Windows: names outside the ANSI code
// page (Japanese, Cyrillic, emoji) and longer than 1,023 bytes are saved,
// recorded and loaded whole; narrow names are opened as CreateFileA would
// open them. Saving over a file keeps the read-only attribute's meaning
// (such a file is refused) and the other attributes.
#include "KorvexSdk_740K3_XLN.h"
#include "support/snapshot_camera.h"
#include "korvex/host_sim.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvex::test {
namespace {

// A fresh folder of wide name under the temporary folder, removed with all
// it holds.
class WideFolder {
 public:
  WideFolder() {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"korvex-wide-" + std::to_wstring(::GetCurrentProcessId());
    Remove(path_);
    ::CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~WideFolder() { Remove(path_); }
  const std::wstring& Path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

  static void Remove(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring full = folder + L"\\" + name;
        ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          Remove(full);
        } else {
          ::DeleteFileW(full.c_str());
        }
      } while (::FindNextFileW(find, &entry));
      ::FindClose(find);
    }
    ::RemoveDirectoryW(folder.c_str());
  }

 private:
  std::wstring path_;
};

uint64_t SizeOf(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
}

std::string Content(const std::wstring& path) {
  const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  char buffer[256];
  DWORD read = 0;
  ::ReadFile(file, buffer, sizeof buffer, &read, nullptr);
  ::CloseHandle(file);
  return std::string(buffer, read);
}

void Put(const std::wstring& path, const std::string& text, DWORD attributes) {
  const HANDLE file =
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  ::CloseHandle(file);
  ASSERT_TRUE(::SetFileAttributesW(path.c_str(), attributes));
}

using WideFiles = korvex::test::SnapshotCamera<WideFolder>;

TEST_F(WideFiles, NamesOutsideTheAnsiCodePageAreSavedRecordedAndLoaded) {
  for (const std::wstring& stem :
       {std::wstring(L"\u65E5\u672C"), std::wstring(L"\u041A\u0430\u043C\u0435\u0440\u0430"),
        std::wstring(L"\U0001F4F7 shot")}) {
    const std::wstring picture = folder_.File(stem + L".png");
    EXPECT_EQ(Korvex_SaveImageW(handle_, picture.c_str(), KORVEX_SAVE_PNG), 1);
    EXPECT_GT(SizeOf(picture), 0u);

    const std::wstring config = folder_.File(stem + L".cfg");
    Put(config, std::string("\1\0\0\0\2\0\0\0", 8), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Korvex_LoadConfigFileW(handle_, config.c_str()), 1);

    const std::wstring video = folder_.File(stem + L".avi");
    ASSERT_EQ(Korvex_RecordW(handle_, video.c_str(), 60000, 0), 1);
    ASSERT_EQ(Korvex_StopPreview(handle_), 1);
    EXPECT_GE(SizeOf(video), 232u);
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(WideFiles, NamesLongerThan1023BytesAreUsedWhole) {
  // A long-path name ("\\?\" form): five folders of 220 characters.
  std::wstring folder = L"\\\\?\\" + folder_.Path();
  for (int i = 0; i < 5; ++i) {
    folder += L"\\" + std::wstring(220, static_cast<wchar_t>(L'a' + i));
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
  }
  const std::wstring picture = folder + L"\\picture.bmp";
  ASSERT_GT(picture.size(), 1100u);
  EXPECT_EQ(Korvex_SaveImageW(handle_, picture.c_str(), KORVEX_SAVE_BMP), 1);
  EXPECT_GT(SizeOf(picture), 54u);
  // Saved over: replaced under a temporary name in the same long folder.
  EXPECT_EQ(Korvex_SaveImageW(handle_, picture.c_str(), KORVEX_SAVE_RAW), 1);
  EXPECT_EQ(SizeOf(picture), 32u * 3 * 16);
  EXPECT_TRUE(Errors().empty());
}

TEST_F(WideFiles, PathsJustUnderTheLengthLimitAreSavedAndReplaced) {
  // 259 characters, the most a path without the "\\?\" form holds: the
  // temporary file beside it must fit too.
  char narrowFolder[MAX_PATH * 2] = {};
  ASSERT_GT(::WideCharToMultiByte(CP_ACP, 0, folder_.Path().c_str(), -1, narrowFolder,
                                  sizeof narrowFolder, nullptr, nullptr),
            0);
  const std::string folder = narrowFolder;
  ASSERT_LT(folder.size(), 200u);
  for (size_t length : {size_t{259}, size_t{250}}) {
    SCOPED_TRACE(length);
    const std::string path = folder + "\\" + std::string(length - folder.size() - 1, 'p');
    ASSERT_EQ(path.size(), length);
    EXPECT_EQ(Korvex_SaveImage(handle_, path.c_str(), KORVEX_SAVE_RAW), 1) << "a new file";
    EXPECT_EQ(Korvex_SaveImage(handle_, path.c_str(), KORVEX_SAVE_RAW), 1) << "replaced";
    EXPECT_EQ(SizeOf(folder_.File(std::wstring(length - folder.size() - 1, L'p'))), 32u * 3 * 16);
  }
}

TEST_F(WideFiles, NarrowNamesAreOpenedAsTheAnsiFileFunctionsOpenThem) {
  // "caf\xE9": a character of the ANSI code page that is not ASCII.
  wchar_t wideName[64] = {};
  ASSERT_GT(::MultiByteToWideChar(CP_ACP, 0, "caf\xE9.raw", -1, wideName, 64), 0);
  const std::wstring expected = folder_.File(wideName);
  char narrowFolder[MAX_PATH * 2] = {};
  ASSERT_GT(::WideCharToMultiByte(CP_ACP, 0, folder_.Path().c_str(), -1, narrowFolder,
                                  sizeof narrowFolder, nullptr, nullptr),
            0);
  const std::string narrow = std::string(narrowFolder) + "\\caf\xE9.raw";
  EXPECT_EQ(Korvex_SaveImage(handle_, narrow.c_str(), KORVEX_SAVE_RAW), 1);
  EXPECT_EQ(SizeOf(expected), 32u * 3 * 16);
}

TEST_F(WideFiles, ReadOnlyFilesAreRefusedAndOtherAttributesAreKept) {
  const std::wstring readOnly = folder_.File(L"read-only.raw");
  Put(readOnly, "old", FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Korvex_SaveImageW(handle_, readOnly.c_str(), KORVEX_SAVE_RAW), 0);
  EXPECT_EQ(Content(readOnly), "old");
  EXPECT_EQ(::GetFileAttributesW(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

  const std::wstring hidden = folder_.File(L"hidden.raw");
  Put(hidden, "old", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(Korvex_SaveImageW(handle_, hidden.c_str(), KORVEX_SAVE_RAW), 1);
  EXPECT_EQ(SizeOf(hidden), 32u * 3 * 16);
  EXPECT_NE(::GetFileAttributesW(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

  // Only the two files are left: no temporary stays behind.
  int entries = 0;
  WIN32_FIND_DATAW entry;
  const HANDLE find = ::FindFirstFileW((folder_.Path() + L"\\*").c_str(), &entry);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    if (std::wstring(entry.cFileName) != L"." && std::wstring(entry.cFileName) != L"..") ++entries;
  } while (::FindNextFileW(find, &entry));
  ::FindClose(find);
  EXPECT_EQ(entries, 2);
}

}  // namespace
}  // namespace korvex::test
