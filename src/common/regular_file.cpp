#include "common/regular_file.h"

#include <atomic>

namespace korvex {

std::optional<std::vector<uint8_t>> ReadRegularFile(const char* path) {
  uint64_t size = 0;
  const platform::FileHandle file = platform::OpenRegularFileForReading(path, &size);
  if (file == platform::kNoFile) return std::nullopt;
  std::optional<std::vector<uint8_t>> result;
  if (size <= SIZE_MAX) {
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    size_t done = 0;
    bool failed = false;
    while (done < bytes.size()) {
      const int64_t n = platform::ReadFromFile(file, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        failed = true;
        break;
      }
      if (n == 0) break;  // the file shrank meanwhile: what is there
      done += static_cast<size_t>(n);
    }
    if (!failed) {
      bytes.resize(done);
      result = std::move(bytes);
    }
  }
  platform::CloseFile(file);
  return result;
}

std::string CreateReplacementFile(const char* target, platform::FileHandle* file,
                                  std::string* finalName) {
  *file = platform::kNoFile;
  if (target == nullptr || target[0] == '\0') return {};
  if (platform::KindOfFileName(target) == platform::FileNameKind::kOther) return {};
  const std::string name = platform::ResolvedFileName(target);
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temporary = name + ".part-" + std::to_string(platform::CurrentProcessId()) +
                                  "-" + std::to_string(counter.fetch_add(1));
    bool taken = false;
    const platform::FileHandle created = platform::CreateNewFile(temporary.c_str(), &taken);
    if (created != platform::kNoFile) {
      *file = created;
      *finalName = name;
      return temporary;
    }
    if (!taken) return {};
  }
  return {};
}

}  // namespace korvex
