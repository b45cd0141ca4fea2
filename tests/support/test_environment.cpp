// Every test process works on a registry of its own in a fresh temporary
// folder and on shared memory blocks of its own, so tests never touch the
// user's stored settings or camera claims, nor each other's.
#include "korvex/host.h"
#include "korvex/host_registry.h"
#include "korvex/host_shm.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class PrivateRegistry : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvex-test-XXXXXX").string();
    folder_ = mkdtemp(pattern.data()) ? pattern : std::string();
    ASSERT_FALSE(folder_.empty());
    KorvexHost_RegSetRoot(folder_.c_str());
    KorvexHost_SetSharedMemoryNamespace(("korvex-test-" + std::to_string(getpid())).c_str());
  }
  void TearDown() override {
    KorvexHost_UnlinkSharedMemory("QUOREL_USBCAMERA");
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::string folder_;
};

[[maybe_unused]] ::testing::Environment* const kRegistry =
    ::testing::AddGlobalTestEnvironment(new PrivateRegistry);

}  // namespace
