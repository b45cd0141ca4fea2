// Files on Windows: CreateFileA handles. Files being written are opened
// without sharing (share mode 0), so no other program opens them until they
// are closed; writes go to 64-bit positions given in the OVERLAPPED offsets
// of a synchronous handle. Only disk files are used: GetFileType and the
// file's attributes refuse folders and whatever else opens; names of
// devices ("CON", "NUL", "COM1.txt") and of the device namespace
// ("\\.\pipe\...") are refused before anything is opened, since opening a
// pipe connects to it and opening a device may wait for it.
#include <windows.h>

#include "platform/file.h"

#include <atomic>
#include <cctype>
#include <string>

namespace korvex::platform {
namespace {

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(file); }
FileHandle FromHandle(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileHandle>(handle);
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "\\.\anything" and "\\?\" names other than a drive path ("\\?\C:\...") or
// a share ("\\?\UNC\..."): devices and pipes, whose open alone has effects.
bool InDeviceNamespace(const char* path) {
  if (!(IsSeparator(path[0]) && IsSeparator(path[1]) && (path[2] == '.' || path[2] == '?') &&
        IsSeparator(path[3]))) {
    return false;
  }
  if (path[2] == '.') return true;
  const char* rest = path + 4;
  if (std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') return false;
  return !((rest[0] == 'U' || rest[0] == 'u') && (rest[1] == 'N' || rest[1] == 'n') &&
           (rest[2] == 'C' || rest[2] == 'c') && IsSeparator(rest[3]));
}

// The reserved device names ("CON", "nul.txt", "C:\data\COM1.avi"): the
// last part of the name before any extension, trailing spaces ignored.
bool IsReservedDeviceName(const char* path) {
  const char* base = path;
  for (const char* p = path; *p != '\0'; ++p) {
    if (IsSeparator(*p) || *p == ':') base = p + 1;
  }
  std::string stem;
  for (const char* p = base; *p != '\0' && *p != '.' && *p != ':'; ++p) {
    stem += static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  }
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL" || stem == "CONIN$" ||
      stem == "CONOUT$") {
    return true;
  }
  return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
         stem[3] >= '0' && stem[3] <= '9';
}

// Names whose open alone could reach a device or a pipe.
bool IsDeviceName(const char* path) { return InDeviceNamespace(path) || IsReservedDeviceName(path); }

// A disk file that is not a folder.
bool IsRegular(HANDLE handle) {
  if (::GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileInformationByHandle(handle, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Writes are held to a limit in bytes where a test asks for one (a full
// disk); UINT64_MAX is none.
std::atomic<uint64_t> gWriteLimit{UINT64_MAX};

}  // namespace

// For the Windows tests: every write or cut that would make a file larger
// than `bytes` fails past that point, as on a full disk.
void SetFileSizeLimitForTesting(uint64_t bytes) { gWriteLimit.store(bytes); }

FileNameKind KindOfFileName(const char* path) {
  if (path == nullptr || path[0] == '\0') return FileNameKind::kMissing;
  if (IsDeviceName(path)) return FileNameKind::kOther;
  // Attributes only (no data access), every sharing allowed; folders open
  // only with backup semantics.
  const HANDLE handle =
      ::CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                   error == ERROR_INVALID_NAME
               ? FileNameKind::kMissing
               : FileNameKind::kRegularFile;  // there, but not ours to look at
  }
  const FileNameKind kind = IsRegular(handle) ? FileNameKind::kRegularFile : FileNameKind::kOther;
  ::CloseHandle(handle);
  return kind;
}

std::string ResolvedFileName(const char* path) { return path != nullptr ? path : ""; }

FileHandle OpenRegularFileForReading(const char* path, uint64_t* size) {
  if (path == nullptr || size == nullptr || IsDeviceName(path)) return kNoFile;
  const HANDLE handle = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
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

FileHandle OpenRegularFileForWriting(const char* path) {
  if (path == nullptr || IsDeviceName(path)) return kNoFile;
  // OPEN_ALWAYS keeps the content until the kind is known; emptied below.
  const HANDLE handle = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
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

FileHandle CreateNewFile(const char* path, bool* alreadyExists) {
  if (alreadyExists != nullptr) *alreadyExists = false;
  if (path == nullptr || IsDeviceName(path)) return kNoFile;
  const HANDLE handle =
      ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
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
  const uint64_t limit = gWriteLimit.load();
  bool pastLimit = false;
  if (position + size > limit) {  // write what fits, then fail as a full disk does
    pastLimit = true;
    size = position >= limit ? 0 : static_cast<size_t>(limit - position);
  }
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
  return !pastLimit;
}

bool TruncateFile(FileHandle file, uint64_t size) {
  if (file == kNoFile || size > static_cast<uint64_t>(INT64_MAX) || size > gWriteLimit.load()) {
    return false;
  }
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(size);
  return ::SetFilePointerEx(AsHandle(file), at, nullptr, FILE_BEGIN) &&
         ::SetEndOfFile(AsHandle(file));
}

bool CloseFile(FileHandle file) { return file != kNoFile && ::CloseHandle(AsHandle(file)); }

bool RenameFileOver(const char* from, const char* to) {
  return from != nullptr && to != nullptr &&
         ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool RemoveFile(const char* path) { return path != nullptr && ::DeleteFileA(path) != FALSE; }

uint32_t CurrentProcessId() { return ::GetCurrentProcessId(); }

}  // namespace korvex::platform
