// Files on Windows: CreateFileW handles. Every name is opened with the wide
// file functions: a wide name from the W exports reaches the disk whole,
// whatever the ANSI code page can hold and however long it is, and a
// narrow name is widened first the way CreateFileA widens it (the ANSI code
// page, or the OEM one after SetFileApisToOEM). Files being written are
// opened without sharing (share mode 0), so no other program opens them
// until they are closed; writes go to 64-bit positions given in the
// OVERLAPPED offsets of a synchronous handle. Only disk files are used:
// GetFileType and the file's attributes refuse folders and whatever else
// opens; names of devices ("CON", "NUL", "COM1.txt") and of the device
// namespace ("\\.\pipe\...") are refused before anything is opened, since
// opening a pipe connects to it and opening a device may wait for it.
#include <windows.h>
#include <aclapi.h>

#include "platform/file.h"

#include <cwctype>
#include <string>

namespace korvex::platform {
namespace {

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// "\\.\anything" and "\\?\" names other than a drive path ("\\?\C:\...") or
// a share ("\\?\UNC\..."): devices and pipes, whose open alone has effects.
bool InDeviceNamespace(const wchar_t* path) {
  if (!(IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == L'.' || path[2] == L'?') &&
        IsSeparator(path[3]))) {
    return false;
  }
  if (path[2] == L'.') return true;
  const wchar_t* rest = path + 4;
  if (std::iswalpha(rest[0]) && rest[0] < 0x80 && rest[1] == L':') return false;
  return !((rest[0] == L'U' || rest[0] == L'u') && (rest[1] == L'N' || rest[1] == L'n') &&
           (rest[2] == L'C' || rest[2] == L'c') && IsSeparator(rest[3]));
}

// The reserved device names ("CON", "nul.txt", "C:\data\COM1.avi"): the
// last part of the name before any extension, trailing spaces ignored.
bool IsReservedDeviceName(const wchar_t* path) {
  const wchar_t* base = path;
  for (const wchar_t* p = path; *p != L'\0'; ++p) {
    if (IsSeparator(*p) || *p == L':') base = p + 1;
  }
  std::wstring stem;
  for (const wchar_t* p = base; *p != L'\0' && *p != L'.' && *p != L':'; ++p) {
    stem += (*p >= L'a' && *p <= L'z') ? static_cast<wchar_t>(*p - L'a' + L'A') : *p;
  }
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  if (stem == L"CON" || stem == L"PRN" || stem == L"AUX" || stem == L"NUL" || stem == L"CONIN$" ||
      stem == L"CONOUT$") {
    return true;
  }
  return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
         stem[3] >= L'0' && stem[3] <= L'9';
}

// Names whose open alone could reach a device or a pipe.
bool IsDeviceName(const FileName& path) {
  return InDeviceNamespace(path.c_str()) || IsReservedDeviceName(path.c_str());
}

// A disk file that is not a folder.
bool IsRegular(HANDLE handle) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(handle, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Where the last part of a name starts: after the last slash, or after the
// drive of a drive-relative name ("C:picture.png").
size_t BaseNameStart(const NativeFileName& name) {
  const size_t at = name.find_last_of(L"\\/:");
  return at == NativeFileName::npos ? 0 : at + 1;
}

// The attributes a replacement takes over from the file it replaces.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

FileName::FileName(const char* narrow) {
  if (narrow == nullptr || narrow[0] == '\0') return;
  const UINT codePage = ::AreFileApisANSI() ? CP_ACP : CP_OEMCP;
  const int needed = ::MultiByteToWideChar(codePage, 0, narrow, -1, nullptr, 0);
  if (needed <= 0) return;
  native_.resize(static_cast<size_t>(needed));
  if (::MultiByteToWideChar(codePage, 0, narrow, -1, native_.data(), needed) != needed) {
    native_.clear();
    return;
  }
  native_.resize(static_cast<size_t>(needed) - 1);  // without the terminator
}

std::optional<FileName> FileName::FromWide(const KORVEX_WCHAR* wide) {
  if (wide == nullptr) return std::nullopt;
  return FromNative(NativeFileName(wide));
}

FileNameKind KindOfFileName(const FileName& path) {
  if (path.IsEmpty()) return FileNameKind::kMissing;
  if (IsDeviceName(path)) return FileNameKind::kOther;
  // Attributes only (no data access), every sharing allowed; folders open
  // only with backup semantics.
  const HANDLE handle = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    switch (::GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_INVALID_NAME:
      case ERROR_FILENAME_EXCED_RANGE: return FileNameKind::kMissing;
      case ERROR_SHARING_VIOLATION: return FileNameKind::kRegularFile;  // there, in use
      default: return FileNameKind::kDenied;  // there, but not ours to look at
    }
  }
  const FileNameKind kind = IsRegular(handle) ? FileNameKind::kRegularFile : FileNameKind::kOther;
  ::CloseHandle(handle);
  return kind;
}

FileHandle OpenRegularFileForReading(const FileName& path, uint64_t* size) {
  if (path.IsEmpty() || size == nullptr || IsDeviceName(path)) return kNoFile;
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kNoFile;
  LARGE_INTEGER bytes{};
  if (!IsRegular(handle) || !::GetFileSizeEx(handle, &bytes) || bytes.QuadPart < 0) {
    ::CloseHandle(handle);
    return kNoFile;
  }
  *size = static_cast<uint64_t>(bytes.QuadPart);
  return FromHandle(handle);
}

int64_t ReadFromFile(FileHandle file, void* data, size_t size) {
  if (file == kNoFile || (data == nullptr && size > 0)) return -1;
  const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
  DWORD read = 0;
  if (!::ReadFile(AsHandle(file), data, chunk, &read, nullptr)) return -1;
  return read;
}

FileHandle OpenRegularFileForWriting(const FileName& path) {
  if (path.IsEmpty() || IsDeviceName(path)) return kNoFile;
  // OPEN_ALWAYS keeps the content until the kind is known; emptied below.
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return kNoFile;
  LARGE_INTEGER start{};
  if (!IsRegular(handle) || !::SetFilePointerEx(handle, start, nullptr, FILE_BEGIN) ||
      !::SetEndOfFile(handle)) {
    ::CloseHandle(handle);
    return kNoFile;
  }
  return FromHandle(handle);
}

// Files get the access control list their folder gives new files; a
// private one is made private by taking over the target's list (PutInPlace).
FileHandle CreateNewFile(const FileName& path, bool* alreadyExists, bool /*privateFile*/) {
  if (alreadyExists != nullptr) *alreadyExists = false;
  if (path.IsEmpty() || IsDeviceName(path)) return kNoFile;
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (alreadyExists != nullptr) {
      *alreadyExists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    }
    return kNoFile;
  }
  return FromHandle(handle);
}

bool WriteFileAt(FileHandle file, uint64_t position, const void* data, size_t size) {
  if (file == kNoFile || (data == nullptr && size > 0)) return false;
  if (position > static_cast<uint64_t>(INT64_MAX) - size) return false;
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(position);
    at.OffsetHigh = static_cast<DWORD>(position >> 32);
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(AsHandle(file), bytes, chunk, &written, &at) || written == 0) return false;
    bytes += written;
    size -= written;
    position += written;
  }
  return true;
}

bool TruncateFile(FileHandle file, uint64_t size) {
  if (file == kNoFile || size > static_cast<uint64_t>(INT64_MAX)) return false;
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(size);
  return ::SetFilePointerEx(AsHandle(file), at, nullptr, FILE_BEGIN) &&
         ::SetEndOfFile(AsHandle(file));
}

bool CloseFile(FileHandle file) { return file != kNoFile && ::CloseHandle(AsHandle(file)); }

bool RenameFileOver(const FileName& from, const FileName& to) {
  return !from.IsEmpty() && !to.IsEmpty() &&
         ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool RemoveFile(const FileName& path) {
  return !path.IsEmpty() && ::DeleteFileW(path.c_str()) != FALSE;
}

uint32_t CurrentProcessId() { return ::GetCurrentProcessId(); }

bool ExamineReplaceTarget(const FileName& target, FileName* finalName, KeptPermissions* kept) {
  *kept = KeptPermissions{};
  if (target.IsEmpty() || IsDeviceName(target)) return false;
  switch (KindOfFileName(target)) {
    case FileNameKind::kMissing: *finalName = target; return true;
    case FileNameKind::kRegularFile: break;
    default: return false;
  }
  *finalName = target;
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  // A read-only file is not written over, by anyone: the attribute keeps
  // its meaning although the save replaces the file rather than writing it.
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    return false;
  }
  // Whether this user may write the file, as an open for writing would
  // decide: a writable folder alone does not allow replacing it.
  const HANDLE probe = ::CreateFileW(target.c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(probe);
  kept->exists = true;
  kept->mode = attributes;
  return true;
}

size_t BaseNameLength(const FileName& path) {
  return path.Native().size() - BaseNameStart(path.Native());
}

FileName NameInSameFolder(const FileName& path, const std::string& base) {
  NativeFileName name = path.Native().substr(0, BaseNameStart(path.Native()));
  name.append(base.begin(), base.end());
  return FileName::FromNative(std::move(name));
}

// Attributes and the access list are set on the closed file by name, in
// PutInPlace; nothing to do on the open handle.
bool TakeOverPermissions(FileHandle file, const KeptPermissions&) { return file != kNoFile; }

// The old file's access control list and attributes go to the new one
// before it takes the old one's place. Its owner stays the user who saved:
// giving a file to another owner needs a privilege applications do not
// hold.
bool PutInPlace(const FileName& from, const FileName& to, const KeptPermissions& kept) {
  if (kept.exists) {
    PACL list = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(to.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &list, nullptr, &descriptor) == ERROR_SUCCESS) {
      if (list != nullptr) {
        ::SetNamedSecurityInfoW(const_cast<wchar_t*>(from.c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION, nullptr, nullptr, list, nullptr);
      }
      ::LocalFree(descriptor);
    }
    const DWORD attributes = kept.mode & kKeptAttributes;
    if (!::SetFileAttributesW(from.c_str(), attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL)) {
      return false;
    }
  }
  return RenameFileOver(from, to);
}

}  // namespace korvex::platform
