// File names in UTF-16 and the locale's character set: the host's two
// conversions on any input under "C" and a UTF-8 locale, and the wide-name
// exports that save an image and record a film. A conversion asked for its
// length writes exactly that much and nothing past the buffer; a name that
// converts saves under the very bytes expected here; a name that does not is
// refused with its documented code and makes no file.
#include "KorvexSdk_740K3_XLN.h"
#include "fuzz_camera.h"
#include "korvex/host_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <clocale>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <locale.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr size_t kMaxComponent = 255;

locale_t Utf8Locale() {
  static locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

// The bytes a UTF-16 text becomes, worked out here: UTF-8, or ASCII only;
// nothing when a unit has no equivalent (a lone surrogate, or non-ASCII
// under "C").
std::optional<std::string> Expected(const std::u16string& text, bool utf8) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00) {
      if (i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] >= 0xE000) return {};
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    } else if (c >= 0xDC00 && c < 0xE000) {
      return {};
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (!utf8) {
      return {};
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string Units(FuzzedDataProvider& input, size_t most) {
  const size_t count = input.ConsumeIntegralInRange<size_t>(0, most);
  std::u16string text;
  for (size_t i = 0; i < count && input.remaining_bytes() >= 2; ++i)
    text += static_cast<char16_t>(input.ConsumeIntegral<uint16_t>());
  return text;
}

// Asks for the length, converts into a buffer of exactly that size on the
// heap (so the address checker sees any write past it), then into one unit
// too few.
void CheckWideToNarrow(const std::u16string& text, bool strict, bool utf8) {
  const auto* source = reinterpret_cast<const uint16_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const uint32_t flags = strict ? KORVEX_HOST_TEXT_STRICT : 0u;
  int usedDefault = -1;
  const int needed =
      KorvexHost_WideCharToMultiByte(flags, source, length, nullptr, 0, &usedDefault);
  const std::optional<std::string> expected = Expected(text, utf8);
  if (length == 0) {
    KORVEX_FUZZ_CHECK(needed == 0, "an empty source is refused");
    return;
  }
  if (strict) {
    KORVEX_FUZZ_CHECK((needed > 0) == expected.has_value(), "strict fails exactly on bad text");
  } else {
    KORVEX_FUZZ_CHECK(needed > 0, "substituting never fails");
    KORVEX_FUZZ_CHECK(usedDefault == (expected ? 0 : 1), "substitution is reported");
  }
  if (needed <= 0) return;
  std::unique_ptr<char[]> target(new char[static_cast<size_t>(needed)]);
  KORVEX_FUZZ_CHECK(KorvexHost_WideCharToMultiByte(flags, source, length, target.get(), needed,
                                                   nullptr) == needed,
                    "the length asked for is the length written");
  if (expected)
    KORVEX_FUZZ_CHECK(std::string(target.get(), static_cast<size_t>(needed)) == *expected,
                      "the bytes expected");
  if (needed > 1) {
    std::unique_ptr<char[]> small(new char[static_cast<size_t>(needed - 1)]);
    KORVEX_FUZZ_CHECK(KorvexHost_WideCharToMultiByte(flags, source, length, small.get(), needed - 1,
                                                     nullptr) == 0 &&
                          KorvexHost_TextLastError() == KORVEX_HOST_TEXT_INSUFFICIENT_BUFFER,
                      "a buffer one short is refused");
  }
}

void CheckNarrowToWide(const std::string& text, bool strict, bool utf8) {
  const int length = static_cast<int>(text.size());
  const uint32_t flags = strict ? KORVEX_HOST_TEXT_STRICT : 0u;
  const int needed = KorvexHost_MultiByteToWideChar(flags, text.data(), length, nullptr, 0);
  if (length == 0) {
    KORVEX_FUZZ_CHECK(needed == 0, "an empty source is refused");
    return;
  }
  if (!strict) KORVEX_FUZZ_CHECK(needed > 0, "substituting never fails");
  if (!utf8) {
    bool ascii = true;
    for (unsigned char c : text) ascii = ascii && c < 0x80;
    if (strict)
      KORVEX_FUZZ_CHECK((needed > 0) == ascii, "strict ASCII fails exactly on 8-bit bytes");
    if (needed > 0) KORVEX_FUZZ_CHECK(needed == length, "one unit per byte under C");
  }
  if (needed <= 0) return;
  std::unique_ptr<uint16_t[]> target(new uint16_t[static_cast<size_t>(needed)]);
  KORVEX_FUZZ_CHECK(
      KorvexHost_MultiByteToWideChar(flags, text.data(), length, target.get(), needed) == needed,
      "the length asked for is the length written");
  if (strict) {
    // What converted strictly converts back to the same bytes.
    const std::u16string wide(reinterpret_cast<const char16_t*>(target.get()),
                              static_cast<size_t>(needed));
    const std::optional<std::string> back = Expected(wide, utf8);
    KORVEX_FUZZ_CHECK(back && *back == text, "strict conversions are inverse");
  }
}

// Set when a failed recording closed the camera, which takes the output
// image's readiness with it; the next save takes a frame first.
bool& ImageLost() {
  static bool lost = false;
  return lost;
}

KORVEX_HANDLE Camera() {
  return korvex::fuzz::SimulatedCamera([](KORVEX_HANDLE h) {
    // A small picture keeps every save and recorded frame quick. One frame
    // taken from idle leaves the output image ready to save; the camera
    // stays idle, so a recording can start without leaving a mode first.
    Korvex_SetCaptureWindowEx(h, 2560, 0, 64, 2560, 0, 48);
    Korvex_SetColorMode(h, 24);
    Korvex_SnapShot(h, nullptr, 0, 1);
  });
}

size_t FilesIn(const std::string& folder) {
  size_t count = 0;
  std::error_code ignored;
  for (auto it = std::filesystem::directory_iterator(folder, ignored);
       it != std::filesystem::directory_iterator(); it.increment(ignored))
    ++count;
  return count;
}

// SaveImageW or RecordW with the scratch folder followed by a name from the
// input (slashes made underscores, so it stays in the folder).
void CheckWideExport(FuzzedDataProvider& input, bool utf8, bool record) {
  const auto& environment = korvex::fuzz::PrivateEnvironment::Get();
  const KORVEX_HANDLE handle = Camera();
  const int format = input.ConsumeIntegralInRange<int>(-1, 7);
  std::u16string name = Units(input, 1100);
  for (char16_t& c : name)
    if (c == u'/' || c == 0) c = u'_';
  std::u16string full;
  for (char c : environment.Scratch() + "/") full += static_cast<char16_t>(c);
  full += name;
  const std::optional<std::string> narrow = Expected(full, utf8);
  // Any length converts: the name is no longer copied into a fixed buffer.
  const bool converts = narrow.has_value();
  const bool nameable = converts && !name.empty() && name != u"." && name != u".." &&
                        narrow->size() - environment.Scratch().size() - 1 <= kMaxComponent;
  std::u16string terminated = full + u'\0';
  const auto* wide = reinterpret_cast<const KORVEX_WCHAR*>(terminated.data());

  int result;
  if (record) {
    // Recording starts from idle, and stopping returns there. A recording
    // that failed to start closed the camera, which leaves no image to save
    // until the next frame.
    result = Korvex_RecordW(handle, wide, 0, 0);
    Korvex_StopPreview(handle);
    if (result != 1) ImageLost() = true;
  } else {
    // A frame taken from idle makes the output image ready to save again.
    if (ImageLost()) Korvex_SnapShot(handle, nullptr, 0, 1);
    ImageLost() = false;
    while (Korvex_GetLastError(handle) != 0) {
    }
    result = Korvex_SaveImageW(handle, wide, format);
  }
  std::vector<uint32_t> codes;
  for (uint32_t code; (code = Korvex_GetLastError(handle)) != 0;) codes.push_back(code);

  if (!converts) {
    KORVEX_FUZZ_CHECK(result == 0, "a name that does not convert is refused");
    KORVEX_FUZZ_CHECK(codes == std::vector<uint32_t>{KORVEX_ERR_FILE}, "with its code");
    KORVEX_FUZZ_CHECK(FilesIn(environment.Scratch()) == 0, "and makes no file");
  } else if (nameable && (record || (format >= KORVEX_SAVE_BMP && format <= KORVEX_SAVE_TIFF))) {
    KORVEX_FUZZ_CHECK(result == 1, "a good name saves");
    KORVEX_FUZZ_CHECK(std::filesystem::is_regular_file(*narrow), "under the expected bytes");
    KORVEX_FUZZ_CHECK(std::filesystem::file_size(*narrow) > 0, "a file with content");
  } else {
    KORVEX_FUZZ_CHECK(result == 0, "a name the file system refuses, or a bad format, fails");
  }
  environment.ClearScratch();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const bool utf8 = input.ConsumeBool();
  const locale_t previous = ::uselocale(utf8 ? Utf8Locale() : LC_GLOBAL_LOCALE);
  KORVEX_FUZZ_CHECK(std::strcmp(KorvexHost_AnsiCharset(), utf8 ? "UTF-8" : "ANSI_X3.4-1968") == 0,
                    "the locale's character set");
  // Conversions are quick, saves slower, a recording slowest: the short
  // inputs the fuzzer starts from pick conversions.
  switch (input.ConsumeIntegralInRange<int>(0, 63)) {
    case 63: CheckWideExport(input, utf8, /*record=*/true); break;
    case 55:
    case 56:
    case 57:
    case 58:
    case 59:
    case 60:
    case 61:
    case 62: CheckWideExport(input, utf8, /*record=*/false); break;
    default: {
      const bool strict = input.ConsumeBool();
      if (input.ConsumeBool()) {
        CheckWideToNarrow(Units(input, 4096), strict, utf8);
      } else {
        CheckNarrowToWide(input.ConsumeRandomLengthString(4096), strict, utf8);
      }
      break;
    }
  }
  ::uselocale(previous);
  return 0;
}
