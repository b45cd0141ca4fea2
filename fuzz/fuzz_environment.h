// What every fuzz target shares: a private registry folder and shared-memory
// namespace for the fuzzing process (so fuzzing never touches the user's
// stored settings or another process's camera claims), removed at exit, and
// a scratch folder inside it for the files a target writes.
#pragma once

#include "korvex/host_registry.h"
#include "korvex/host_shm.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace korvex::fuzz {

class PrivateEnvironment {
 public:
  // Sets the environment up on first use; later calls return the same one.
  static PrivateEnvironment& Get() {
    static PrivateEnvironment* environment = new PrivateEnvironment;
    return *environment;
  }
  const std::string& Folder() const { return folder_; }
  // An empty folder for files, emptied again by ClearScratch.
  const std::string& Scratch() const { return scratch_; }
  void ClearScratch() const {
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(scratch_, ignored))
      std::filesystem::remove_all(entry.path(), ignored);
  }

 private:
  PrivateEnvironment() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvex-fuzz-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    scratch_ = folder_ + "/files";
    std::filesystem::create_directory(scratch_);
    KorvexHost_RegSetRoot((folder_ + "/registry").c_str());
    KorvexHost_SetSharedMemoryNamespace(("korvex-fuzz-" + std::to_string(::getpid())).c_str());
    std::atexit([] {
      KorvexHost_UnlinkSharedMemory("QUOREL_USBCAMERA");
      std::error_code ignored;
      std::filesystem::remove_all(Get().folder_, ignored);
    });
  }
  std::string folder_;
  std::string scratch_;
};

// Stops the fuzzer with a message when a property does not hold; libFuzzer
// saves the input that caused it.
#define KORVEX_FUZZ_CHECK(condition, what)                                                      \
  do {                                                                                          \
    if (!(condition)) {                                                                         \
      std::fprintf(stderr, "fuzz check failed: %s (%s) at %s:%d\n", what, #condition, __FILE__, \
                   __LINE__);                                                                   \
      std::abort();                                                                             \
    }                                                                                           \
  } while (0)

}  // namespace korvex::fuzz
