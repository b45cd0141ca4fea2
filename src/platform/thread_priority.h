// Thread priority through the platform seam.
#pragma once

namespace korvex::platform {

// Raises the calling thread to the highest normal priority
// (THREAD_PRIORITY_HIGHEST) where the platform allows it; otherwise the
// thread keeps its priority. Returns true when the priority was raised.
bool RaiseCurrentThreadPriority();

}  // namespace korvex::platform
