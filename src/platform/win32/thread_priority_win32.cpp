// Thread priority on Windows: the streaming thread runs at
// THREAD_PRIORITY_HIGHEST so that frames keep flowing while the
// application's threads are busy.
#include <windows.h>

#include "platform/thread_priority.h"

namespace korvex::platform {

bool RaiseCurrentThreadPriority() {
  return ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_HIGHEST) != FALSE;
}

}  // namespace korvex::platform
