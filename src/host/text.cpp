// Character-set conversion between the thread locale's character set and
// UTF-16, done by the C library's iconv.
#include "korvex/host_text.h"

#include <cerrno>
#include <algorithm>
#include <clocale>
#include <cstring>
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <string>

namespace {

#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr const char* kUtf16 = "UTF-16LE";
#else
constexpr const char* kUtf16 = "UTF-16BE";
#endif

thread_local int t_lastError = 0;

int Fail(int reason) {
  t_lastError = reason;
  return 0;
}

std::string CurrentCharset() {
  locale_t current = ::uselocale(static_cast<locale_t>(0));
  const char* name =
      current == LC_GLOBAL_LOCALE ? ::nl_langinfo(CODESET) : ::nl_langinfo_l(CODESET, current);
  return (name != nullptr && name[0] != '\0') ? name : "ANSI_X3.4-1968";
}

// Converters of the calling thread, reopened when its locale's character
// set changes.
struct Converters {
  std::string charset;
  iconv_t toWide = reinterpret_cast<iconv_t>(-1);
  iconv_t fromWide = reinterpret_cast<iconv_t>(-1);

  ~Converters() { Close(); }
  void Close() {
    if (toWide != reinterpret_cast<iconv_t>(-1)) ::iconv_close(toWide);
    if (fromWide != reinterpret_cast<iconv_t>(-1)) ::iconv_close(fromWide);
    toWide = fromWide = reinterpret_cast<iconv_t>(-1);
  }
  bool Ready() {
    std::string wanted = CurrentCharset();
    if (wanted == charset && toWide != reinterpret_cast<iconv_t>(-1)) return true;
    Close();
    charset = wanted;
    toWide = ::iconv_open(kUtf16, charset.c_str());
    fromWide = ::iconv_open(charset.c_str(), kUtf16);
    return toWide != reinterpret_cast<iconv_t>(-1) && fromWide != reinterpret_cast<iconv_t>(-1);
  }
};

thread_local Converters t_converters;

// How to step over input the target cannot take.
enum class Source { Bytes, Utf16 };

size_t SkipLength(Source source, const char* in, size_t left) {
  if (source == Source::Bytes || left < 4)
    return std::min<size_t>(left, source == Source::Bytes ? 1 : 2);
  uint16_t first, second;
  std::memcpy(&first, in, 2);
  std::memcpy(&second, in + 2, 2);
  // A whole surrogate pair is one character and gets one substitute.
  bool pair = first >= 0xD800 && first < 0xDC00 && second >= 0xDC00 && second < 0xE000;
  return pair ? 4 : 2;
}

// Runs the whole input through `cd` into `out`. Input the target cannot take
// fails the conversion when strict, else becomes `substitute`.
bool Run(iconv_t cd, Source source, const char* input, size_t length, bool strict,
         const std::string& substitute, std::string* out, bool* substituted) {
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // initial shift state
  out->assign(length * 4 + 16, '\0');
  char* in = const_cast<char*>(input);
  size_t inLeft = length;
  size_t produced = 0;
  while (true) {
    char* outPtr = out->data() + produced;
    size_t outLeft = out->size() - produced;
    size_t rc = inLeft != 0 ? ::iconv(cd, &in, &inLeft, &outPtr, &outLeft)
                            : ::iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    int error = errno;
    produced = out->size() - outLeft;
    if (rc != static_cast<size_t>(-1)) {
      if (inLeft == 0) {
        // Everything consumed and the shift state flushed above.
        if (::iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1) &&
            errno == E2BIG) {
          out->resize(out->size() * 2);
          continue;
        }
        produced = out->size() - outLeft;
        break;
      }
      continue;
    }
    if (error == E2BIG) {
      out->resize(out->size() * 2 + 16);
      continue;
    }
    if (error != EILSEQ && error != EINVAL) return false;
    if (strict) return false;
    size_t skip = error == EINVAL ? inLeft : SkipLength(source, in, inLeft);
    in += skip;
    inLeft -= skip;
    out->resize(std::max(out->size(), produced + substitute.size() + 16));
    std::memcpy(out->data() + produced, substitute.data(), substitute.size());
    produced += substitute.size();
    *substituted = true;
  }
  out->resize(produced);
  return true;
}

}  // namespace

extern "C" {

int KorvexHost_MultiByteToWideChar(uint32_t flags, const char* source, int sourceLength,
                                   uint16_t* target, int targetLength) {
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || targetLength < 0 ||
      (target == nullptr && targetLength != 0))
    return Fail(KORVEX_HOST_TEXT_INVALID_PARAMETER);
  if (!t_converters.Ready()) return Fail(KORVEX_HOST_TEXT_NO_TRANSLATION);
  size_t length = sourceLength == -1 ? std::strlen(source) + 1 : static_cast<size_t>(sourceLength);
  const uint16_t replacement = 0xFFFD;
  std::string substitute(reinterpret_cast<const char*>(&replacement), 2);
  std::string out;
  bool substituted = false;
  if (!Run(t_converters.toWide, Source::Bytes, source, length,
           (flags & KORVEX_HOST_TEXT_STRICT) != 0, substitute, &out, &substituted))
    return Fail(KORVEX_HOST_TEXT_NO_TRANSLATION);
  const size_t units = out.size() / 2;
  if (units > static_cast<size_t>(INT32_MAX)) return Fail(KORVEX_HOST_TEXT_INVALID_PARAMETER);
  if (targetLength != 0) {
    if (units > static_cast<size_t>(targetLength))
      return Fail(KORVEX_HOST_TEXT_INSUFFICIENT_BUFFER);
    std::memcpy(target, out.data(), units * 2);
  }
  t_lastError = 0;
  return static_cast<int>(units);
}

int KorvexHost_WideCharToMultiByte(uint32_t flags, const uint16_t* source, int sourceLength,
                                   char* target, int targetLength, int* usedDefault) {
  if (usedDefault != nullptr) *usedDefault = 0;
  if (source == nullptr || sourceLength == 0 || sourceLength < -1 || targetLength < 0 ||
      (target == nullptr && targetLength != 0))
    return Fail(KORVEX_HOST_TEXT_INVALID_PARAMETER);
  if (!t_converters.Ready()) return Fail(KORVEX_HOST_TEXT_NO_TRANSLATION);
  size_t units = 0;
  if (sourceLength == -1) {
    while (source[units] != 0) ++units;
    ++units;
  } else {
    units = static_cast<size_t>(sourceLength);
  }
  std::string out;
  bool substituted = false;
  if (!Run(t_converters.fromWide, Source::Utf16, reinterpret_cast<const char*>(source), units * 2,
           (flags & KORVEX_HOST_TEXT_STRICT) != 0, "?", &out, &substituted))
    return Fail(KORVEX_HOST_TEXT_NO_TRANSLATION);
  if (out.size() > static_cast<size_t>(INT32_MAX)) return Fail(KORVEX_HOST_TEXT_INVALID_PARAMETER);
  if (targetLength != 0) {
    if (out.size() > static_cast<size_t>(targetLength))
      return Fail(KORVEX_HOST_TEXT_INSUFFICIENT_BUFFER);
    std::memcpy(target, out.data(), out.size());
  }
  if (usedDefault != nullptr) *usedDefault = substituted ? 1 : 0;
  t_lastError = 0;
  return static_cast<int>(out.size());
}

int KorvexHost_TextLastError(void) { return t_lastError; }

const char* KorvexHost_AnsiCharset(void) {
  thread_local std::string name;
  name = CurrentCharset();
  return name.c_str();
}

}  // extern "C"
