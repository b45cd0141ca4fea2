// Loading a configuration file through the export, on files of every kind a
// user could name: regular files of any content, links, a missing file, a
// folder, a FIFO, character devices, odd names. A regular file gives 1 and
// exactly its whole 8-byte records; anything that cannot be read gives 0,
// raises nothing and keeps the list of the previous load; no call blocks.
#include "KorvexSdk_740K3_XLN.h"
#include "api/sdk_chain.h"
#include "camera/korvex.h"
#include "fuzz_camera.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Entries = std::vector<std::pair<int32_t, int32_t>>;

enum class FileKind : uint8_t {
  kRegular,
  kLinkToRegular,
  kMissing,
  kDanglingLink,
  kFolder,
  kFifo,
  kDevNull,
  kDevZero,
  kEmptyName,
  kNullName,
  kOddName,  // a regular file under a name taken from the input
  kCount
};

Entries ListOf(KORVEX_HANDLE handle) { return korvex::Chain().Lookup(handle)->ConfigList(); }

// The records of a file, decoded here from the bytes.
Entries RecordsOf(const std::string& bytes) {
  Entries entries;
  auto word = [&](size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(bytes[at + i]);
    return static_cast<int32_t>(v);
  };
  for (size_t at = 0; at + 8 <= bytes.size(); at += 8) entries.emplace_back(word(at), word(at + 4));
  return entries;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A name component from the input: no slashes, no terminator inside.
std::string Component(FuzzedDataProvider& input) {
  std::string name = input.ConsumeRandomLengthString(300);
  for (char& c : name)
    if (c == '/' || c == '\0') c = '_';
  if (name.empty() || name == "." || name == "..") name = "x";
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto& environment = korvex::fuzz::PrivateEnvironment::Get();
  const KORVEX_HANDLE handle = korvex::fuzz::SimulatedCamera();
  FuzzedDataProvider input(data, size);
  const auto kind = static_cast<FileKind>(
      input.ConsumeIntegralInRange<int>(0, static_cast<int>(FileKind::kCount) - 1));
  const bool wide = input.ConsumeBool();
  const std::string folder = environment.Scratch();
  std::string path = folder + "/config.bin";
  std::string oddName;
  if (kind == FileKind::kOddName) oddName = Component(input);
  const std::string content = input.ConsumeRemainingBytesAsString();

  bool readable = false;  // a regular file: the load must succeed
  bool device = false;    // a character device: either outcome, but promptly
  switch (kind) {
    case FileKind::kRegular:
      WriteFile(path, content);
      readable = true;
      break;
    case FileKind::kLinkToRegular:
      WriteFile(folder + "/target.bin", content);
      ::symlink((folder + "/target.bin").c_str(), path.c_str());
      readable = true;
      break;
    case FileKind::kMissing: break;
    case FileKind::kDanglingLink: ::symlink((folder + "/nowhere").c_str(), path.c_str()); break;
    case FileKind::kFolder: ::mkdir(path.c_str(), 0700); break;
    case FileKind::kFifo: ::mkfifo(path.c_str(), 0600); break;
    case FileKind::kDevNull:
      path = "/dev/null";
      device = true;
      break;
    case FileKind::kDevZero:
      path = "/dev/zero";
      device = true;
      break;
    case FileKind::kEmptyName: path.clear(); break;
    case FileKind::kNullName:
    case FileKind::kCount: break;
    case FileKind::kOddName:
      path = folder + "/" + oddName;
      WriteFile(path, content);
      readable = ::access(path.c_str(), F_OK) == 0;  // too long a name makes no file
      break;
  }

  const Entries before = ListOf(handle);
  int result;
  if (wide && kind != FileKind::kNullName) {
    // The name as UTF-16: the test's locale is "C", so only ASCII names
    // convert; others must be refused with code 12.
    std::vector<KORVEX_WCHAR> name;
    bool ascii = true;
    for (unsigned char c : path) {
      name.push_back(c);
      ascii = ascii && c < 0x80;
    }
    name.push_back(0);
    result = Korvex_LoadConfigFileW(handle, name.data());
    if (!ascii) {
      KORVEX_FUZZ_CHECK(
          result == 0 && Korvex_GetLastError(handle) == KORVEX_ERR_FILE && ListOf(handle) == before,
          "an unconvertible name is refused with its code");
      environment.ClearScratch();
      return 0;
    }
  } else {
    result = Korvex_LoadConfigFileA(handle, kind == FileKind::kNullName ? nullptr : path.c_str());
  }
  const Entries after = ListOf(handle);
  KORVEX_FUZZ_CHECK(Korvex_GetLastError(handle) == 0, "loading raises no code");
  if (readable) {
    KORVEX_FUZZ_CHECK(result == 1, "a regular file loads");
    KORVEX_FUZZ_CHECK(after == RecordsOf(content), "the list holds the file's whole records");
  } else if (device) {
    KORVEX_FUZZ_CHECK((result == 0 && after == before) || (result == 1 && after.empty()),
                      "a device is refused or reads as empty");
  } else {
    KORVEX_FUZZ_CHECK(result == 0, "nothing to read fails");
    KORVEX_FUZZ_CHECK(after == before, "a failed load keeps the list");
  }
  environment.ClearScratch();
  return 0;
}
