// The cross-process ownership table: claims seen by other processes, and
// entries left behind by a process that died.
#include "camera/ownership_table.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace korvex {
namespace {

platform::WindowHandle FakeWindow(uintptr_t value) {
  return reinterpret_cast<platform::WindowHandle>(value);
}

TEST(OwnershipTable, EntriesSitWhereEveryProcessExpectsThem) {
  OwnershipTable table;
  ASSERT_TRUE(table.Open());
  table.Claim(3, FakeWindow(0x1234));
  const auto* entry = table.At(3);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(reinterpret_cast<const uint8_t*>(entry) - reinterpret_cast<const uint8_t*>(table.At(0)),
            3 * 152);
  EXPECT_EQ(entry->ownerWindow, 0x1234u);
  EXPECT_STREQ(entry->ownerName, "KorvexSdk_740K3_XLN.dll");
  EXPECT_TRUE(table.IsClaimed(3));

  table.Release(3, FakeWindow(0x9999));
  EXPECT_TRUE(table.IsClaimed(3)) << "only the owner's window releases";
  table.Release(3, FakeWindow(0x1234));
  EXPECT_FALSE(table.IsClaimed(3));
  EXPECT_EQ(entry->ownerWindow, 0u);
  EXPECT_EQ(entry->reserved, 0u);
  EXPECT_STREQ(entry->ownerName, "");

  // A null owner window is a claim like any other, released by its owner.
  table.Claim(4, nullptr);
  EXPECT_TRUE(table.IsClaimed(4)) << "claimed by an owner without a window";
  table.Release(4, FakeWindow(0x1234));
  EXPECT_TRUE(table.IsClaimed(4)) << "only the owner's window releases";
  table.Release(4, nullptr);
  EXPECT_FALSE(table.IsClaimed(4));
}

// A child claims device `n` with `window`, reports, and dies holding the
// claim when told to. While it lives the device is claimed; once it is dead
// the entry it left behind is free.
void ExpectClaimHeldUntilTheOwnerDies(int n, uintptr_t window) {
  int toParent[2], toChild[2];
  ASSERT_EQ(pipe(toParent), 0);
  ASSERT_EQ(pipe(toChild), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    OwnershipTable table;
    const bool opened = table.Open();
    if (opened) table.Claim(n, FakeWindow(window));
    const char done = opened ? 'y' : 'n';
    (void)!write(toParent[1], &done, 1);
    char go;
    (void)!read(toChild[0], &go, 1);
    raise(SIGKILL);  // dies holding the claim
    _exit(0);
  }
  char done = 0;
  ASSERT_EQ(read(toParent[0], &done, 1), 1);
  ASSERT_EQ(done, 'y');

  OwnershipTable table;
  ASSERT_TRUE(table.Open());
  EXPECT_TRUE(table.IsClaimed(n)) << "the running child owns the device";

  const char go = 'g';
  ASSERT_EQ(write(toChild[1], &go, 1), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(table.At(n)->ownerWindow, window) << "the crash left the entry behind";
  EXPECT_NE(table.At(n)->reserved, 0u);
  EXPECT_FALSE(table.IsClaimed(n)) << "but its owner is gone, so the device is free";
  for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]}) close(fd);
}

TEST(OwnershipTable, ClaimOfALivingChildBlocksAndADeadOnesDoesNot) {
  ExpectClaimHeldUntilTheOwnerDies(0, 0xBEEF);
}

TEST(OwnershipTable, ClaimWithoutAWindowBlocksAsLongAsItsOwnerLives) {
  ExpectClaimHeldUntilTheOwnerDies(1, 0);
}

}  // namespace
}  // namespace korvex
