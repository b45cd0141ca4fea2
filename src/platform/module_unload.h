// The library's end: what the process's threads can still do when the
// library is unloaded or the process ends, and the handler the core runs
// then to finish what must not be left half done (an open recording).
//
// On Linux the core's static objects are destroyed at exit, on a return
// from main and at dlclose, while every thread still runs: the core may
// wait for its threads there. A Windows DLL is told in its detach
// notification, under the loader lock: on FreeLibrary the threads still run
// but cannot end while the lock is held, so waiting for one would never
// return; on ExitProcess every other thread has already been ended, perhaps
// holding a lock. The win32 backend calls the handler from there.
#pragma once

namespace korvex::platform {

enum class ThreadsAtUnload {
  kRunning,        // the threads run, and the caller may wait for them to end
  kRunningNoWait,  // the threads run, but none can end before the caller returns
  kEnded,          // every other thread has been ended; their locks may be held
};

using UnloadHandler = void (*)(ThreadsAtUnload threads);

// Registers the handler a Windows DLL's detach notification runs (the last
// registered one; thread-safe). The host backend needs none: Linux runs the
// core's static destructors instead.
void SetUnloadHandler(UnloadHandler handler);

// What the threads can do while the core's static objects are destroyed:
// kRunning, except inside a Windows DLL, whose static objects are destroyed
// in its detach notification: kRunningNoWait on FreeLibrary, kEnded when
// the process ends.
ThreadsAtUnload ThreadsAtStaticDestruction();

}  // namespace korvex::platform
