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

#include "platform/file_name.h"

#include <cstddef>
#include <cstdint>

namespace korvex::platform {

// An open file; kNoFile is "none" (what a failed open gives).
using FileHandle = intptr_t;
inline constexpr FileHandle kNoFile = -1;

// What a name refers to, without opening anything that could block. Both
// systems answer alike: a name that cannot be looked at for want of
// permission (a folder on its path that may not be searched, a file whose
// attributes may not be read) is kDenied, neither missing nor a file.
enum class FileNameKind {
  kMissing,      // nothing has the name (or its folder does not exist)
  kRegularFile,  // an ordinary file
  kOther,        // a folder, pipe, device or anything else
  kDenied,       // not ours to look at
};
FileNameKind KindOfFileName(const FileName& path);

// Opens a regular file for reading and stores its size in *size. kNoFile
// when the name is not a readable regular file.
FileHandle OpenRegularFileForReading(const FileName& path, uint64_t* size);

// Reads up to `size` bytes from the current position into data; the count
// read (0 at the end of the file), or -1 on failure.
int64_t ReadFromFile(FileHandle file, void* data, size_t size);

// Opens a regular file for writing from its start, creating it when it does
// not exist and emptying it when it does; nobody else opens it meanwhile.
// kNoFile when the name is something other than a regular file or cannot
// be opened; such a name is left as it was.
FileHandle OpenRegularFileForWriting(const FileName& path);

// Creates a new, empty file for writing, unshared; kNoFile when it cannot,
// with *alreadyExists telling whether that was because the name is taken.
// `privateFile` makes it readable and writable by its owner alone (until
// TakeOverPermissions gives it other permissions); otherwise it gets the
// permissions a new file gets.
FileHandle CreateNewFile(const FileName& path, bool* alreadyExists, bool privateFile = false);

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
bool RenameFileOver(const FileName& from, const FileName& to);

// Removes a file by name. False when there was none or it cannot be removed.
bool RemoveFile(const FileName& path);

// ---- replacing a file --------------------------------------------------------
// What a file that replaces another must keep of it: on Linux the
// permission bits, owner and group; on Windows the attributes (hidden,
// system, archive ...) and the access control list.
struct KeptPermissions {
  bool exists = false;  // false: the target is new, nothing to keep
  uint32_t mode = 0;    // Linux permission bits, or Windows attributes
  uint32_t owner = 0;
  uint32_t group = 0;
};

// Looks at the file a save would replace. Fills *finalName with the name the
// replacement must be renamed to (the file a link points to, where links
// are followed) and *kept with what it must keep. False, with nothing
// created, when the target must not be replaced: a folder, device or pipe,
// a name not ours to look at, or an existing file the user may not write
// (on Linux without write permission, as `cp` would refuse; on Windows
// also a file with the read-only attribute).
bool ExamineReplaceTarget(const FileName& target, FileName* finalName, KeptPermissions* kept);

// The length of the last part of a name (its base name), in the units of
// the system's names, and the name `base` (plain ASCII) would have in the
// same folder.
size_t BaseNameLength(const FileName& path);
FileName NameInSameFolder(const FileName& path, const std::string& base);

// Gives an open replacement file what it must keep of the file it
// replaces; as much as the system allows (an owner the user may not give is
// left as it is). False when the permissions could not be set.
bool TakeOverPermissions(FileHandle file, const KeptPermissions& kept);

// Puts the closed replacement `from` in the place of `to`, in one step, and
// gives it what it keeps that can only be set after closing (Windows
// attributes). False on failure, when both are left as they were.
bool PutInPlace(const FileName& from, const FileName& to, const KeptPermissions& kept);

// The calling process's number, for names unique among processes.
uint32_t CurrentProcessId();

}  // namespace korvex::platform
