// The library's end on Windows: the DLL's detach notification runs the
// core's unload handler before the C runtime destroys the static objects.
// lpReserved tells the two ends apart: null for FreeLibrary (the threads
// still run, and none can end while the loader lock is held), non-null when
// the process ends (every other thread has already been ended).
#include <windows.h>

#include "platform/module_unload.h"

#include <atomic>

namespace korvex::platform {
namespace {

std::atomic<UnloadHandler> unloadHandler{nullptr};
// Set when the module was loaded as a DLL: its static objects are then
// destroyed inside the detach notification.
std::atomic<bool> loadedAsDll{false};
// Set by the detach notification of a process that ends (the C runtime
// destroys the static objects after it returns).
std::atomic<bool> processEnding{false};

}  // namespace

void SetUnloadHandler(UnloadHandler handler) { unloadHandler.store(handler); }

ThreadsAtUnload ThreadsAtStaticDestruction() {
  if (processEnding.load()) return ThreadsAtUnload::kEnded;
  return loadedAsDll.load() ? ThreadsAtUnload::kRunningNoWait : ThreadsAtUnload::kRunning;
}

}  // namespace korvex::platform

// The C runtime's entry point calls this one first on attach and on detach.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  using korvex::platform::ThreadsAtUnload;
  if (reason == DLL_PROCESS_ATTACH) korvex::platform::loadedAsDll.store(true);
  if (reason == DLL_PROCESS_DETACH) {
    if (reserved != nullptr) korvex::platform::processEnding.store(true);
    if (const auto handler = korvex::platform::unloadHandler.load())
      handler(reserved != nullptr ? ThreadsAtUnload::kEnded : ThreadsAtUnload::kRunningNoWait);
  }
  return TRUE;
}
