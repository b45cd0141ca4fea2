// The file seam: the files the library reads (configuration lists) and
// writes (images, recordings). Only regular files are used: a folder, a
// pipe or a device given as a file name is refused without blocking on its
// open, reading without end or failing halfway through. Files being written
// are opened so that no other program opens them until they are closed
// (where the platform can refuse other opens: Windows), and written at
// 64-bit positions, so recordings up to 4 GiB are finished correctly.
//
// Each handle is used by one thread at a time; the functions themselves may
// run on several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvex::platform {

// An open file; kNoFile is "none" (what a failed open gives).
using FileHandle = intptr_t;
inline constexpr FileHandle kNoFile = -1;

// What a name refers to, without opening anything that could block.
enum class FileNameKind {
  kMissing,      // nothing has the name (or its folder does not exist)
  kRegularFile,  // an ordinary file
  kOther,        // a folder, pipe, device or anything else
};
FileNameKind KindOfFileName(const char* path);

// The name under which a file replacing `path` must be put so the file that
// `path` names is replaced: the file a link points to where links are
// followed, else `path` itself.
std::string ResolvedFileName(const char* path);

// Opens a regular file for reading and stores its size in *size. kNoFile
// when the name is not a readable regular file.
FileHandle OpenRegularFileForReading(const char* path, uint64_t* size);

// Reads up to `size` bytes from the current position into data; the count
// read (0 at the end of the file), or -1 on failure.
int64_t ReadFromFile(FileHandle file, void* data, size_t size);

// Opens a regular file for writing from its start, creating it when it does
// not exist and emptying it when it does; nobody else opens it meanwhile.
// kNoFile when the name is something other than a regular file or cannot
// be opened; such a name is left as it was.
FileHandle OpenRegularFileForWriting(const char* path);

// Creates a new, empty file for writing, unshared; kNoFile when it cannot,
// with *alreadyExists telling whether that was because the name is taken.
FileHandle CreateNewFile(const char* path, bool* alreadyExists);

// Writes all `size` bytes at `position` (64 bits), extending the file as
// needed. False when not everything was written (a full disk).
bool WriteFileAt(FileHandle file, uint64_t position, const void* data, size_t size);

// Cuts the file to `size` bytes. False on failure.
bool TruncateFile(FileHandle file, uint64_t size);

// Closes a file; false when it was not open or the close reported a
// failure (data that could not be written).
bool CloseFile(FileHandle file);

// Renames `from` to `to` in one step, replacing a file `to` names. False on
// failure, when both are left as they were.
bool RenameFileOver(const char* from, const char* to);

// Removes a file by name. False when there was none or it cannot be removed.
bool RemoveFile(const char* path);

// The calling process's number, for names unique among processes.
uint32_t CurrentProcessId();

}  // namespace korvex::platform
