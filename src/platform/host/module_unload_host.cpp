// The library's end on Linux: exit, a return from main and dlclose destroy
// the core's static objects while every thread still runs, so the core
// finishes its work from its registry's destructor and may wait for threads.
#include "platform/module_unload.h"

namespace korvex::platform {

void SetUnloadHandler(UnloadHandler) {}

ThreadsAtUnload ThreadsAtStaticDestruction() { return ThreadsAtUnload::kRunning; }

}  // namespace korvex::platform
