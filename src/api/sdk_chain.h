// The module-wide registry of open camera handles.
#pragma once

#include "api/ring.h"
#include "common/thread_annotations.h"
#include "platform/module_unload.h"

#include <cstdint>
#include <memory>

namespace korvex {

class CKorvex;

struct CSDKDATA {
  uint32_t handle = 0;
  // The camera object. Calls in progress hold their own reference, so a
  // release never frees an object that another thread is still using.
  std::shared_ptr<CKorvex> camera;
  // Set once Korvex_Release has taken this record; it then counts as gone.
  bool releasing = false;
  CSDKDATA* prev = nullptr;
  CSDKDATA* next = nullptr;
};

class CSdkChain : public CTRing<CSDKDATA> {
 public:
  // Registers FinishAtUnload as the library's unload handler.
  CSdkChain();
  // Runs FinishAtUnload, unless the platform ran it already.
  ~CSdkChain();

  // Makes a new handle, constructs its camera object and registers both.
  // Returns the handle, or 0 when the camera object cannot be allocated.
  uint32_t CreateCamera();

  // The camera registered under `handle`, or null. Rotates the ring.
  std::shared_ptr<CKorvex> Lookup(uint32_t handle);

  // Korvex_Release: destroys the camera outside the registry lock, then
  // removes exactly the record the lookup found. 1, or 0 when unregistered.
  int Release(uint32_t handle);

  // Find + RemoveCurrent under the lock.
  void Remove(uint32_t handle);

  int32_t Count();

  // The library is being unloaded, or the process ends, with cameras still
  // registered: finishes their recordings, so every file describes the
  // frames written, and where the threads may be waited for also stops
  // acquisition, so that no thread runs the library's code after it is
  // gone. Runs once; later calls return at once.
  void FinishAtUnload(platform::ThreadsAtUnload threads);

 private:
  uint32_t NewHandle() KORVEX_REQUIRES(lock);
  bool InUse(uint32_t handle) const KORVEX_REQUIRES(lock);
  void Unlink(CSDKDATA* record) KORVEX_REQUIRES(lock);
};

// The one registry of this module.
CSdkChain& Chain();

}  // namespace korvex
