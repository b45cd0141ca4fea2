// The handle registry: ring rotation, removal and concurrent use.
#include "api/sdk_chain.h"
#include "camera/korvex.h"
#include "common/lock_guard.h"
#include "KorvexSdk_740K3_XLN.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace korvex {
namespace {

// The ring's current record, read under its lock.
CSDKDATA* Head(CSdkChain& chain) {
  LockGuard<RecursiveMutex> guard(chain.lock);
  return chain.head;
}

// Handles in ring order starting at head.
std::vector<uint32_t> RingOrder(CSdkChain& chain) {
  LockGuard<RecursiveMutex> guard(chain.lock);
  std::vector<uint32_t> order;
  CSDKDATA* record = chain.head;
  for (int32_t i = 0; i < chain.count; ++i, record = record->next) order.push_back(record->handle);
  return order;
}

void ExpectConsistent(CSdkChain& chain) {
  LockGuard<RecursiveMutex> guard(chain.lock);
  if (chain.count == 0) {
    EXPECT_EQ(chain.head, nullptr);
    return;
  }
  CSDKDATA* record = chain.head;
  for (int32_t i = 0; i < chain.count; ++i, record = record->next) {
    EXPECT_EQ(record->next->prev, record);
    EXPECT_EQ(record->prev->next, record);
  }
  EXPECT_EQ(record, chain.head) << "ring does not close after count records";
}

TEST(HandleRegistry, AddPutsNewRecordBeforeHeadAndMakesItHead) {
  CSdkChain chain;
  const uint32_t a = chain.CreateCamera();
  const uint32_t b = chain.CreateCamera();
  const uint32_t c = chain.CreateCamera();
  EXPECT_EQ(chain.Count(), 3);
  EXPECT_EQ(RingOrder(chain), (std::vector<uint32_t>{c, b, a}));
  ExpectConsistent(chain);
  for (uint32_t h : {a, b, c}) EXPECT_NE(h, 0u);
  EXPECT_EQ(std::set<uint32_t>({a, b, c}).size(), 3u) << "handles are unique";
  for (uint32_t h : {a, b, c}) EXPECT_EQ(chain.Release(h), 1);
}

TEST(HandleRegistry, FailedLookupLeavesHeadOnTheLastRecord) {
  CSdkChain chain;
  const uint32_t a = chain.CreateCamera();
  const uint32_t b = chain.CreateCamera();
  const uint32_t c = chain.CreateCamera();  // ring: c b a, head c, last a
  uint32_t unknown = a ^ b ^ c ^ 0x80000000u;
  while (unknown == a || unknown == b || unknown == c || unknown == 0) ++unknown;
  EXPECT_EQ(chain.Lookup(unknown), nullptr);
  EXPECT_EQ(Head(chain)->handle, a);
  EXPECT_NE(chain.Lookup(b), nullptr);
  EXPECT_EQ(Head(chain)->handle, b);
  EXPECT_NE(chain.Lookup(b), nullptr) << "a repeated lookup succeeds at once";
  EXPECT_EQ(Head(chain)->handle, b);
  ExpectConsistent(chain);
  for (uint32_t h : {a, b, c}) EXPECT_EQ(chain.Release(h), 1);
}

TEST(HandleRegistry, ReleaseTwiceAndReleaseOfTheOnlyHandle) {
  CSdkChain chain;
  const uint32_t only = chain.CreateCamera();
  EXPECT_EQ(chain.Release(only), 1);
  EXPECT_EQ(chain.Release(only), 0);
  EXPECT_EQ(Head(chain), nullptr);
  EXPECT_EQ(chain.Count(), 0);
  const uint32_t again = chain.CreateCamera();
  EXPECT_NE(again, 0u);
  EXPECT_EQ(chain.Count(), 1);
  EXPECT_EQ(Head(chain)->next, Head(chain));
  EXPECT_EQ(Head(chain)->prev, Head(chain));
  EXPECT_EQ(chain.Release(again), 1);
}

TEST(HandleRegistry, ReleaseRemovesItsOwnRecordWhereverHeadIs) {
  CSdkChain chain;
  std::vector<uint32_t> handles;
  for (int i = 0; i < 5; ++i) handles.push_back(chain.CreateCamera());
  EXPECT_EQ(chain.Release(handles[2]), 1);
  EXPECT_EQ(chain.Count(), 4);
  ExpectConsistent(chain);
  for (int i : {0, 1, 3, 4}) EXPECT_NE(chain.Lookup(handles[i]), nullptr);
  EXPECT_EQ(chain.Lookup(handles[2]), nullptr);
  for (int i : {0, 1, 3, 4}) EXPECT_EQ(chain.Release(handles[i]), 1);
  EXPECT_EQ(chain.Count(), 0);
}

TEST(HandleRegistry, LookupsRacingWithReleasesNeverMisremove) {
  CSdkChain chain;
  constexpr int kCameras = 24;
  std::vector<uint32_t> handles;
  for (int i = 0; i < kCameras; ++i) handles.push_back(chain.CreateCamera());

  std::atomic<bool> stop{false};
  std::atomic<int> released{0};
  std::vector<std::thread> lookers;
  for (int t = 0; t < 3; ++t) {
    lookers.emplace_back([&, t] {
      size_t i = t;
      while (!stop.load()) {
        if (auto camera = chain.Lookup(handles[i % handles.size()])) {
          camera->SetWaitTime(static_cast<int>(i % 50));  // use the object while others release
        }
        ++i;
      }
    });
  }
  std::vector<std::thread> releasers;
  for (int t = 0; t < 2; ++t) {
    releasers.emplace_back([&, t] {
      // Both threads try every handle; each must be released exactly once.
      for (int i = 0; i < kCameras; ++i) released += chain.Release(handles[(i + t * 7) % kCameras]);
    });
  }
  for (auto& r : releasers) r.join();
  stop = true;
  for (auto& l : lookers) l.join();
  EXPECT_EQ(released.load(), kCameras);
  EXPECT_EQ(chain.Count(), 0);
  EXPECT_EQ(Head(chain), nullptr);
}

TEST(HandleRegistry, ExportsUseTheModuleRegistry) {
  const KORVEX_HANDLE h = Korvex_Initialize(nullptr);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(Korvex_Width(h), 2560);
  EXPECT_EQ(Korvex_Height(h), 1920);
  EXPECT_EQ(Korvex_Release(h), 1);
  EXPECT_EQ(Korvex_Release(h), 0);
  EXPECT_EQ(Korvex_Width(h), 0);
}

}  // namespace
}  // namespace korvex
