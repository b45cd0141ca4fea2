// Named shared memory across processes, and process identity.
#include "korvex/host_shm.h"
#include "platform/shared_memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace korvex::test {
namespace {

class HostSharedMemory : public ::testing::Test {
 protected:
  void SetUp() override {
    ns_ = "korvex-test-" + std::to_string(getpid());
    KorvexHost_SetSharedMemoryNamespace(ns_.c_str());
  }
  void TearDown() override {
    KorvexHost_UnlinkSharedMemory("BLOCK");
    KorvexHost_SetSharedMemoryNamespace(nullptr);
  }
  std::string ns_;
};

TEST_F(HostSharedMemory, CreateThenOpenSeeTheSameZeroedBytes) {
  EXPECT_EQ(KorvexHost_OpenSharedMemory("BLOCK"), nullptr);
  int created = -1;
  KorvexHostShm first = KorvexHost_CreateSharedMemory("BLOCK", 65536, &created);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(created, 1);
  EXPECT_EQ(KorvexHost_SharedMemorySize(first), 65536u);
  auto* a = static_cast<uint8_t*>(KorvexHost_MapSharedMemory(first));
  ASSERT_NE(a, nullptr);
  for (size_t i = 0; i < 65536; i += 4093) EXPECT_EQ(a[i], 0);

  // Creating again opens the existing block, whatever size is asked for.
  KorvexHostShm second = KorvexHost_CreateSharedMemory("BLOCK", 16, &created);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(created, 0);
  EXPECT_EQ(KorvexHost_SharedMemorySize(second), 65536u);
  auto* b = static_cast<uint8_t*>(KorvexHost_MapSharedMemory(second));
  a[65535] = 0x5A;
  EXPECT_EQ(b[65535], 0x5A);

  EXPECT_EQ(KorvexHost_UnmapSharedMemory(a), 1);
  EXPECT_EQ(KorvexHost_UnmapSharedMemory(a), 0);
  EXPECT_EQ(KorvexHost_UnmapSharedMemory(b), 1);
  EXPECT_EQ(KorvexHost_CloseSharedMemory(first), 1);
  EXPECT_EQ(KorvexHost_CloseSharedMemory(second), 1);
  EXPECT_EQ(KorvexHost_CloseSharedMemory(second), 0);
}

TEST_F(HostSharedMemory, WritesOfAChildProcessAreVisible) {
  platform::SharedMemory parent;
  ASSERT_TRUE(parent.OpenOrCreate("BLOCK", 4096));
  EXPECT_TRUE(parent.NewlyCreated());
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    platform::SharedMemory child;
    bool ok = child.OpenOrCreate("BLOCK", 4096) && !child.NewlyCreated();
    if (ok) std::memcpy(child.View() + 100, "from child", 11);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(parent.View() + 100), "from child");
}

TEST(HostProcess, TokensNameRunningProcessesOnly) {
  const uint64_t self = KorvexHost_ProcessToken();
  EXPECT_EQ(static_cast<uint32_t>(self), static_cast<uint32_t>(getpid()));
  EXPECT_TRUE(platform::ProcessAlive(self));
  EXPECT_EQ(platform::CurrentProcessToken(), self);
  EXPECT_TRUE(KorvexHost_ProcessAlive(static_cast<uint32_t>(getpid())));  // bare id
  EXPECT_FALSE(KorvexHost_ProcessAlive(0));
  // The same id with another start time is another process.
  EXPECT_FALSE(KorvexHost_ProcessAlive(self ^ (uint64_t{1} << 40)));

  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    uint64_t token = KorvexHost_ProcessToken();
    (void)!write(pipeFds[1], &token, sizeof token);
    _exit(0);
  }
  uint64_t child = 0;
  ASSERT_EQ(read(pipeFds[0], &child, sizeof child), static_cast<ssize_t>(sizeof child));
  close(pipeFds[0]);
  close(pipeFds[1]);
  // Ended but not yet reaped (a zombie) already counts as gone.
  for (int i = 0; i < 500 && KorvexHost_ProcessAlive(child); ++i) usleep(2000);
  EXPECT_FALSE(KorvexHost_ProcessAlive(child));
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_FALSE(KorvexHost_ProcessAlive(child));
}

}  // namespace
}  // namespace korvex::test
