// Conversion between the thread locale's character set and UTF-16.
#include "korvex/host_text.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale.h>
#include <string>
#include <vector>

namespace korvex::test {
namespace {

// Switches the calling thread to a locale for the test's duration.
class ThreadLocale {
 public:
  explicit ThreadLocale(const char* name) {
    locale_ = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
    previous_ = uselocale(locale_ != static_cast<locale_t>(0) ? locale_ : LC_GLOBAL_LOCALE);
  }
  ~ThreadLocale() {
    uselocale(previous_);
    if (locale_ != static_cast<locale_t>(0)) freelocale(locale_);
  }
  bool ok() const { return locale_ != static_cast<locale_t>(0); }

 private:
  locale_t locale_;
  locale_t previous_;
};

std::vector<uint16_t> Widen(const char* text, uint32_t flags) {
  int n = KorvexHost_MultiByteToWideChar(flags, text, -1, nullptr, 0);
  std::vector<uint16_t> out(static_cast<size_t>(n));
  if (n > 0) KorvexHost_MultiByteToWideChar(flags, text, -1, out.data(), n);
  return out;
}

TEST(HostText, Utf8LocaleRoundTripsEveryCharacter) {
  ThreadLocale utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  EXPECT_STREQ(KorvexHost_AnsiCharset(), "UTF-8");
  const char text[] =
      "Gr\xC3\xBC\xC3\x9F"
      "e \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80";
  std::vector<uint16_t> wide = Widen(text, KORVEX_HOST_TEXT_STRICT);
  // G r ü ß e ' ' 日 本 ' ' and a surrogate pair, then the terminator.
  ASSERT_EQ(wide.size(), 12u);
  EXPECT_EQ(wide[2], 0x00FC);
  EXPECT_EQ(wide[6], 0x65E5);
  EXPECT_EQ(wide[9], 0xD83D);
  EXPECT_EQ(wide[10], 0xDE00);
  EXPECT_EQ(wide[11], 0);

  char back[64];
  int n = KorvexHost_WideCharToMultiByte(KORVEX_HOST_TEXT_STRICT, wide.data(), -1, back,
                                         sizeof back, nullptr);
  EXPECT_EQ(n, static_cast<int>(sizeof text));
  EXPECT_STREQ(back, text);

  // Explicit lengths convert no terminator; a short target fails whole.
  uint16_t two[2];
  EXPECT_EQ(KorvexHost_MultiByteToWideChar(0, "ab", 2, two, 2), 2);
  EXPECT_EQ(KorvexHost_MultiByteToWideChar(0, "abc", 3, two, 2), 0);
  EXPECT_EQ(KorvexHost_TextLastError(), KORVEX_HOST_TEXT_INSUFFICIENT_BUFFER);
  EXPECT_EQ(KorvexHost_MultiByteToWideChar(0, "abc", 0, two, 2), 0);
  EXPECT_EQ(KorvexHost_TextLastError(), KORVEX_HOST_TEXT_INVALID_PARAMETER);
}

TEST(HostText, InvalidInputFailsWhenStrictAndIsSubstitutedOtherwise) {
  ThreadLocale utf8("C.UTF-8");
  ASSERT_TRUE(utf8.ok());
  const char broken[] =
      "a\xFF"
      "b";
  EXPECT_TRUE(Widen(broken, KORVEX_HOST_TEXT_STRICT).empty());
  EXPECT_EQ(KorvexHost_TextLastError(), KORVEX_HOST_TEXT_NO_TRANSLATION);
  std::vector<uint16_t> lenient = Widen(broken, 0);
  EXPECT_EQ(lenient, (std::vector<uint16_t>{'a', 0xFFFD, 'b', 0}));

  const uint16_t lone[] = {'x', 0xD800, 'y', 0};
  char out[16];
  int used = 0;
  EXPECT_EQ(KorvexHost_WideCharToMultiByte(KORVEX_HOST_TEXT_STRICT, lone, -1, out, 16, &used), 0);
  EXPECT_EQ(KorvexHost_WideCharToMultiByte(0, lone, -1, out, 16, &used), 4);
  EXPECT_STREQ(out, "x?y");
  EXPECT_EQ(used, 1);
}

TEST(HostText, AsciiLocaleRefusesWhatItCannotHold) {
  ThreadLocale c("C");
  ASSERT_TRUE(c.ok());
  const uint16_t wide[] = {'o', 'k', 0x00E9, 0xD83D, 0xDE00, 0};
  char out[16];
  int used = 0;
  EXPECT_EQ(KorvexHost_WideCharToMultiByte(KORVEX_HOST_TEXT_STRICT, wide, -1, out, 16, &used), 0);
  EXPECT_EQ(KorvexHost_TextLastError(), KORVEX_HOST_TEXT_NO_TRANSLATION);
  // One substitute per character, also for a surrogate pair.
  EXPECT_EQ(KorvexHost_WideCharToMultiByte(0, wide, -1, out, 16, &used), 5);
  EXPECT_STREQ(out, "ok??");
  EXPECT_EQ(used, 1);
  EXPECT_TRUE(Widen("caf\xC3\xA9", KORVEX_HOST_TEXT_STRICT).empty());
  EXPECT_EQ(Widen("plain", KORVEX_HOST_TEXT_STRICT).size(), 6u);

  // The seam's helpers are strict and never write past the target.
  KORVEX_WCHAR name[19];
  EXPECT_EQ(platform::AnsiToWide("Korvex740K3-XLN_01", name, 19), 19);
  EXPECT_EQ(name[17], '1');
  EXPECT_EQ(platform::AnsiToWide("Korvex740K3-XLN_01", name, 18), 0);
  EXPECT_EQ(platform::WideToAnsi(wide, out, 16), 0);
}

}  // namespace
}  // namespace korvex::test
