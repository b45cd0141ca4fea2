// A file name as the application gave it, held in the form the system's
// file functions take: bytes on Linux, UTF-16 on Windows. A narrow name from
// the narrow exports is text in the ANSI code page (on Linux: the bytes of
// the name as they are); a wide name from the W exports is UTF-16. On
// Windows both are opened with the wide file functions, so a wide name
// reaches the disk whole, whatever the ANSI code page can hold and however
// long it is; on Linux a wide name is converted once, with the locale's
// character set, to the bytes the kernel takes.
//
// A plain value; safe to copy between threads.
#pragma once

#include "KorvexSdk_740K3_XLN.h"

#include <optional>
#include <string>
#include <utility>

namespace korvex::platform {

#ifdef _WIN32
using NativeFileChar = wchar_t;
#else
using NativeFileChar = char;
#endif
using NativeFileName = std::basic_string<NativeFileChar>;

class FileName {
 public:
  FileName() = default;
  // A narrow name (null gives the empty name). Implicit, so that the file
  // functions take the narrow exports' names as they come.
  FileName(const char* narrow);  // NOLINT(google-explicit-constructor)
  // A wide name; nothing when it is null or cannot be written in the
  // system's file names (on Linux: not convertible to the locale's
  // character set, such as a lone surrogate).
  static std::optional<FileName> FromWide(const KORVEX_WCHAR* wide);
  // For the backends: a name already in the system's form.
  static FileName FromNative(NativeFileName native) {
    FileName name;
    name.native_ = std::move(native);
    return name;
  }

  bool IsEmpty() const { return native_.empty(); }
  const NativeFileName& Native() const { return native_; }
  const NativeFileChar* c_str() const { return native_.c_str(); }

 private:
  NativeFileName native_;
};

}  // namespace korvex::platform
