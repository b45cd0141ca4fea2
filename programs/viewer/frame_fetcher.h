// Copies the camera's newest image off the window's thread. The SDK holds
// its frame lock while it processes a frame, and Korvex_GetImage waits for
// that lock: at a fast pace the wait lasts most of a frame. The fetcher
// thread does the waiting, the copy and the histogram count, so the window
// stays responsive and draws each image once it is complete.
//
// Requests coalesce: a frame notification that arrives while a copy is
// under way asks for one more copy after it, not one per notification.
// Images pass through three frames (being filled, ready, shown), so the
// window never draws from a buffer the thread writes.
#pragma once

#include "frame.h"
#include "histogram.h"

#include "KorvexSdk_740K3_XLN.h"
#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <windows.h>

#include <condition_variable>
#include <stop_token>
#include <thread>

namespace korvex::viewer {

// What to copy: the camera handle and the image format of the stream.
struct FetchRequest {
  KORVEX_HANDLE handle = 0;
  int width = 0, height = 0, bitsPerPixel = 0;
  bool histogram = false;
};

class FrameFetcher {
 public:
  // `window` receives `message` when an image is ready. Starts the thread.
  FrameFetcher(HWND window, UINT message);
  ~FrameFetcher();  // stops and joins the thread

  // Asks for a copy of the newest image (window thread). Returns false when
  // a copy was already asked for and not yet begun (the request merged).
  bool Request(const FetchRequest& request);
  // Swaps the ready image into `shown` (window thread, on the message);
  // false when nothing new is ready. `histogram` receives its count when
  // one was asked for.
  bool Take(Frame& shown, Histogram& histogram);
  // Drops waiting requests and waits for a copy under way to end, so that
  // the handle may be released (window thread).
  void Quiesce();

 private:
  void Run(std::stop_token stop);

  const HWND window_;
  const UINT message_;
  Mutex mutex_;
  std::condition_variable_any wake_;
  FetchRequest request_ KORVEX_GUARDED_BY(mutex_);
  bool requested_ KORVEX_GUARDED_BY(mutex_) = false;
  bool busy_ KORVEX_GUARDED_BY(mutex_) = false;
  Frame ready_ KORVEX_GUARDED_BY(mutex_);
  Histogram readyHistogram_ KORVEX_GUARDED_BY(mutex_);
  bool fresh_ KORVEX_GUARDED_BY(mutex_) = false;
  // Written by the thread only, outside the lock (the copy is long).
  Frame filling_;
  Histogram fillingHistogram_;
  std::jthread thread_;  // last: starts after the fields above exist
};

}  // namespace korvex::viewer
