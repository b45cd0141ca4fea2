#include "api/sdk_chain.h"

#include "camera/korvex.h"
#include "common/lock_guard.h"

#include <atomic>
#include <chrono>
#include <new>
#include <thread>
#include <vector>

namespace korvex {

namespace {

std::atomic<bool> unloadFinished{false};

void FinishAtUnloadHandler(platform::ThreadsAtUnload threads) { Chain().FinishAtUnload(threads); }

}  // namespace

CSdkChain::CSdkChain() { platform::SetUnloadHandler(FinishAtUnloadHandler); }

CSdkChain::~CSdkChain() {
  const platform::ThreadsAtUnload threads = platform::ThreadsAtStaticDestruction();
  FinishAtUnload(threads);
  // The process ends and its other threads are gone, one of which may have
  // held the registry's lock or the heap's: the ring is let go as it stands,
  // so that neither this destructor nor the ring's frees a record or
  // destroys a camera (their memory goes with the process).
  if (threads == platform::ThreadsAtUnload::kEnded) {
    [&]() KORVEX_NO_THREAD_SAFETY_ANALYSIS {
      head = nullptr;
      count = 0;
    }();
    return;
  }
  // An application should release its handles before unloading the
  // library; objects still registered are kept, not destroyed (their memory
  // goes with the process), only the records go. They stay reachable from
  // here, so that leak checkers do not count them.
  static auto* const kept = new std::vector<std::shared_ptr<CKorvex>>;
  LockGuard<RecursiveMutex> guard(lock);
  for (CSDKDATA* record = head; record != nullptr && count > 0; record = record->next) {
    if (record->camera) kept->push_back(std::move(record->camera));
    if (record->next == head) break;
  }
  RemoveAll();
}

void CSdkChain::FinishAtUnload(platform::ThreadsAtUnload threads) {
  if (unloadFinished.exchange(true)) return;
  if (threads == platform::ThreadsAtUnload::kEnded) {
    // No other thread is left, and one that was ended may have held the
    // registry's lock or the heap's: the ring is walked as it stands, and
    // nothing is allocated or freed.
    [&]() KORVEX_NO_THREAD_SAFETY_ANALYSIS {
      CSDKDATA* record = head;
      for (int32_t i = 0; i < count; ++i, record = record->next)
        if (record->camera && !record->releasing) record->camera->EndAtUnload(threads);
    }();
    return;
  }
  std::vector<std::shared_ptr<CKorvex>> cameras;
  {
    LockGuard<RecursiveMutex> guard(lock);
    const CSDKDATA* record = head;
    for (int32_t i = 0; i < count; ++i, record = record->next)
      if (record->camera && !record->releasing) cameras.push_back(record->camera);
  }
  for (const std::shared_ptr<CKorvex>& camera : cameras) camera->EndAtUnload(threads);
}

bool CSdkChain::InUse(uint32_t handle) const {
  const CSDKDATA* record = head;
  for (int32_t i = 0; i < count; ++i, record = record->next) {
    if (record->handle == handle) return true;
  }
  return false;
}

uint32_t CSdkChain::NewHandle() {
  // Tick count + rand() + number of open cameras, with wrap-around. Nothing
  // relies on the exact value, so 0 and values already in use are redrawn.
  uint32_t handle;
  do {
    handle = platform::TickCount() + static_cast<uint32_t>(platform::Rand()) +
             static_cast<uint32_t>(count);
  } while (handle == 0 || InUse(handle));
  return handle;
}

uint32_t CSdkChain::CreateCamera() {
  std::shared_ptr<CKorvex> camera;
  try {
    camera = std::make_shared<CKorvex>();
  } catch (const std::bad_alloc&) {
    return 0;
  }
  LockGuard<RecursiveMutex> guard(lock);
  CSDKDATA record;
  record.handle = NewHandle();
  camera->Errors().SetCameraHandle(record.handle);
  record.camera = std::move(camera);
  Add(record);
  return head->handle;
}

std::shared_ptr<CKorvex> CSdkChain::Lookup(uint32_t handle) {
  LockGuard<RecursiveMutex> guard(lock);
  if (!Find(handle) || head->releasing) return nullptr;
  return head->camera;
}

void CSdkChain::Unlink(CSDKDATA* record) {
  head = record;
  RemoveCurrent();
}

int CSdkChain::Release(uint32_t handle) {
  CSDKDATA* record = nullptr;
  std::shared_ptr<CKorvex> camera;
  {
    LockGuard<RecursiveMutex> guard(lock);
    if (!Find(handle) || head->releasing) return 0;
    record = head;
    record->releasing = true;  // later lookups and releases see it as gone
    camera = std::move(record->camera);
  }
  if (camera) {
    // Open dialogs close as if cancelled. Wait for calls that are still
    // running on other threads, then destroy the object here, outside the
    // registry lock: destruction joins the camera's threads. A dialog of the
    // camera running on this very thread (the release comes from inside its
    // loop) cannot end before this call returns: its launcher then destroys
    // the object when it finishes.
    camera->CloseDialogs();
    if (!camera->DialogOpenOnThisThread()) {
      while (camera.use_count() > 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    camera.reset();
  }
  {
    // Other threads may have rotated `head` meanwhile; remove this record,
    // whatever its position.
    LockGuard<RecursiveMutex> guard(lock);
    Unlink(record);
  }
  return 1;
}

void CSdkChain::Remove(uint32_t handle) {
  LockGuard<RecursiveMutex> guard(lock);
  if (Find(handle)) RemoveCurrent();
}

int32_t CSdkChain::Count() {
  LockGuard<RecursiveMutex> guard(lock);
  return count;
}

CSdkChain& Chain() {
  static CSdkChain chain;
  return chain;
}

}  // namespace korvex
