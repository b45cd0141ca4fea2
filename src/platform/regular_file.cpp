#include "platform/regular_file.h"

#include <atomic>
#include <cstdint>
#include <string>

namespace korvex::platform {
namespace {

// Temporary names: at most this long, so they stay short beside any target
// name; shorter still beside a shorter target.
constexpr size_t kTemporaryNameLength = 12;
constexpr int kNameAttempts = 200;

// A 64-bit mix (splitmix64), so that neighbouring counters and processes
// give unrelated names.
uint64_t Mix(uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// A name of `length` characters from digits and lower-case letters, hidden
// (a leading dot) where it is long enough to stay clear of "." and "..".
// Several processes and threads draw from it at once; the new-file open
// that follows settles who gets a name.
std::string TemporaryName(size_t length) {
  static std::atomic<uint64_t> counter{0};
  uint64_t bits = Mix(counter.fetch_add(1) ^ (static_cast<uint64_t>(CurrentProcessId()) << 32) ^
                      reinterpret_cast<uintptr_t>(&bits));
  static constexpr char kAlphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  std::string name;
  if (length >= 3) name = ".";
  while (name.size() < length) {
    if (bits == 0) bits = Mix(counter.fetch_add(1));
    name += kAlphabet[bits % 36];
    bits /= 36;
  }
  return name;
}

}  // namespace

ReadResult ReadRegularFile(const FileName& path, uint64_t maxBytes, std::vector<uint8_t>* bytes) {
  bytes->clear();
  uint64_t size = 0;
  const FileHandle file = OpenRegularFileForReading(path, &size);
  if (file == kNoFile) return ReadResult::kUnreadable;
  if (size > maxBytes || size >= SIZE_MAX) {
    CloseFile(file);
    return size > maxBytes ? ReadResult::kTooLarge : ReadResult::kUnreadable;
  }
  // The size the file reports, and one byte more to see a file that grew
  // meanwhile.
  bytes->resize(static_cast<size_t>(size) + 1);
  size_t done = 0;
  ReadResult result = ReadResult::kRead;
  while (done < bytes->size()) {
    const int64_t n = ReadFromFile(file, bytes->data() + done, bytes->size() - done);
    if (n < 0) {
      result = ReadResult::kUnreadable;
      break;
    }
    if (n == 0) break;  // the end of the file: it may have shrunk meanwhile
    done += static_cast<size_t>(n);
  }
  CloseFile(file);
  if (result == ReadResult::kRead && done > maxBytes) result = ReadResult::kTooLarge;
  // A file that grew is taken as it was when it was opened.
  bytes->resize(result == ReadResult::kRead ? (done > size ? static_cast<size_t>(size) : done) : 0);
  return result;
}

ReplacementFile::~ReplacementFile() { Abandon(); }

bool ReplacementFile::Create(const FileName& target) {
  Abandon();
  if (!ExamineReplaceTarget(target, &target_, &kept_)) return false;
  // As long as the target's name at most, so the temporary fits wherever
  // the target fits (a name near the system's limit, a path near its
  // length limit); never longer than needed to be unique.
  const size_t baseLength = BaseNameLength(target_);
  const size_t length = baseLength < kTemporaryNameLength ? baseLength : kTemporaryNameLength;
  if (length == 0) return false;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    const FileName name = NameInSameFolder(target_, TemporaryName(length));
    bool taken = false;
    // The content of a private file is private while it is written too.
    const FileHandle created = CreateNewFile(name, &taken, kept_.exists);
    if (created != kNoFile) {
      file_ = created;
      temporary_ = name;
      return true;
    }
    if (!taken) return false;
  }
  return false;
}

bool ReplacementFile::Commit() {
  if (file_ == kNoFile) return false;
  const bool kept = TakeOverPermissions(file_, kept_);
  const bool closed = CloseFile(file_);
  file_ = kNoFile;
  if (kept && closed && PutInPlace(temporary_, target_, kept_)) {
    temporary_ = FileName();
    return true;
  }
  RemoveFile(temporary_);
  temporary_ = FileName();
  return false;
}

void ReplacementFile::Abandon() {
  if (file_ != kNoFile) CloseFile(file_);
  file_ = kNoFile;
  if (!temporary_.IsEmpty()) RemoveFile(temporary_);
  temporary_ = FileName();
}

}  // namespace korvex::platform
