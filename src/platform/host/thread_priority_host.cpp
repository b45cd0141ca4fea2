// Thread priority on Linux: ordinary processes may not raise a thread above
// the default time-sharing priority, so the request leaves it unchanged.
#include "platform/thread_priority.h"

namespace korvex::platform {

bool RaiseCurrentThreadPriority() { return false; }

}  // namespace korvex::platform
