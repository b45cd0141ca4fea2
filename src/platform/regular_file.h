// Reading and replacing names that must be regular files, on top of the
// file seam. A pipe, a device or a folder given as a file name is refused
// instead of blocking on its open, reading without end or failing halfway
// through.
#pragma once

#include "platform/file.h"

#include <cstdint>
#include <vector>

namespace korvex::platform {

enum class ReadResult {
  kRead,        // *bytes holds the whole file
  kUnreadable,  // not a readable regular file
  kTooLarge,    // larger than the caller takes; nothing was read
};

// The whole content of a regular file of at most `maxBytes` bytes, read in
// one bounded pass: a larger file is refused from its size alone, and one
// that grows while it is read is refused once it passes the limit, so no
// more than maxBytes + 1 bytes are ever held.
ReadResult ReadRegularFile(const FileName& path, uint64_t maxBytes, std::vector<uint8_t>* bytes);

// A file written in place of another: created empty under a short, unique
// temporary name in the target's folder (as long as the target's own name
// at most, so it fits wherever that name fits), written through Handle(),
// and put in the target's place in one step by Commit(), with the old
// file's permissions. Until then the target is untouched; a replacement
// that is not committed is removed when it is destroyed.
//
// Not thread-safe: one thread uses an object at a time.
class ReplacementFile {
 public:
  ReplacementFile() = default;
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // False, with nothing created, when the target must not be replaced (see
  // ExamineReplaceTarget) or nothing can be created in its folder.
  bool Create(const FileName& target);
  FileHandle Handle() const { return file_; }
  // Closes the file and puts it in place. False (the temporary removed, the
  // target as it was) when the close, the permissions or the rename failed.
  bool Commit();
  // Closes and removes the temporary; the target stays as it was.
  void Abandon();

 private:
  FileHandle file_ = kNoFile;
  FileName temporary_;
  FileName target_;
  KeptPermissions kept_;
};

}  // namespace korvex::platform
