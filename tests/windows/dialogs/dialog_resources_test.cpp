// The dialog templates in the DLL's resources, read back from the module
// and compared field by field with the template table they are generated
// from: every template under its language, every caption (the Japanese ones
// came through code page 932) as the UTF-16 of the table's UTF-8.
#include "dialogs/template_table.h"
#include "support/dialog_resource.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace korvex::test {
namespace {

using dialogs::DialogTemplate;
using dialogs::Language;

std::wstring FromUtf8(const char* text) {
  if (text == nullptr || *text == 0) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, wide.data(), n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

WORD LanguageId(Language language) {
  return language == Language::kJapanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                         : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

HMODULE Sdk() { return ::GetModuleHandleA("KorvexSdk_740K3_XLN.dll"); }

TEST(DialogResources, EveryTemplateIsStoredUnderItsLanguageAsTheTableDefinesIt) {
  HMODULE module = Sdk();
  ASSERT_NE(module, nullptr);
  for (const DialogTemplate& t : dialogs::table::kTemplates) {
    SCOPED_TRACE("template " + std::to_string(t.id));
    const auto stored = ReadStoredDialog(module, t.id, LanguageId(t.language));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->style, t.style);
    EXPECT_EQ(stored->cx, t.cx);
    EXPECT_EQ(stored->cy, t.cy);
    EXPECT_TRUE(stored->title == FromUtf8(t.title));
    ASSERT_EQ(static_cast<int>(stored->controls.size()), t.controlCount);
    for (int i = 0; i < t.controlCount; ++i) {
      const dialogs::ControlTemplate& c = t.controls[i];
      const StoredControl& s = stored->controls[static_cast<size_t>(i)];
      SCOPED_TRACE("control " + std::to_string(i));
      EXPECT_EQ(s.id, c.id);
      EXPECT_EQ(_wcsicmp(s.className.c_str(), FromUtf8(dialogs::ClassName(c.cls)).c_str()), 0);
      EXPECT_TRUE(s.caption == FromUtf8(t.Caption(c)));
      EXPECT_EQ(s.style, c.style | WS_CHILD | WS_VISIBLE);
      EXPECT_EQ(s.x, c.x);
      EXPECT_EQ(s.y, c.y);
      EXPECT_EQ(s.cx, c.cx);
      EXPECT_EQ(s.cy, c.cy);
    }
  }
}

// Spot checks written out, independent of the table: the Japanese captions
// of the camera dialog and the sheets as UTF-16 code units.
TEST(DialogResources, JapaneseCaptionsAreTheRightCharacters) {
  const WORD japanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
  const auto camera = ReadStoredDialog(Sdk(), 101, japanese);
  ASSERT_TRUE(camera.has_value());
  EXPECT_TRUE(camera->title == L"\u30D7\u30ED\u30D1\u30C6\u30A3");  // プロパティ
  bool cancel = false, note = false;
  for (const StoredControl& c : camera->controls) {
    if (c.id == 2) cancel = c.caption == L"\u30AD\u30E3\u30F3\u30BB\u30EB";  // キャンセル
    if (c.caption.rfind(L"\u203BWORD\u8EE2\u9001", 0) == 0) note = true;     // ※WORD転送
  }
  EXPECT_TRUE(cancel);
  EXPECT_TRUE(note);
  const auto sheet = ReadStoredDialog(Sdk(), 104, japanese);
  ASSERT_TRUE(sheet.has_value());
  EXPECT_TRUE(sheet->controls.at(3).caption == L"\u898F\u5B9A\u5024(&D)");  // 規定値(&D)
  EXPECT_EQ(sheet->font, L"MS UI Gothic");
  // Each id exists in one language only.
  EXPECT_FALSE(ReadStoredDialog(Sdk(), 101, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
  EXPECT_FALSE(ReadStoredDialog(Sdk(), 106, japanese));
}

}  // namespace
}  // namespace korvex::test
