#include "frame_fetcher.h"

#include <utility>

namespace korvex::viewer {

FrameFetcher::FrameFetcher(HWND window, UINT message)
    : window_(window), message_(message), thread_([this](std::stop_token s) { Run(s); }) {}

FrameFetcher::~FrameFetcher() {
  thread_.request_stop();
  wake_.notify_all();
}

bool FrameFetcher::Request(const FetchRequest& request) {
  LockGuard<Mutex> lock(mutex_);
  const bool merged = requested_;
  request_ = request;
  requested_ = true;
  wake_.notify_all();
  return !merged;
}

bool FrameFetcher::Take(Frame& shown, Histogram& histogram) {
  LockGuard<Mutex> lock(mutex_);
  if (!fresh_) return false;
  std::swap(shown, ready_);
  histogram = readyHistogram_;
  fresh_ = false;
  return true;
}

void FrameFetcher::Quiesce() {
  UniqueLock<Mutex> lock(mutex_);
  requested_ = false;
  wake_.wait(lock, [this]() KORVEX_REQUIRES(mutex_) { return !busy_; });
}

void FrameFetcher::Run(std::stop_token stop) {
  for (;;) {
    FetchRequest request;
    {
      UniqueLock<Mutex> lock(mutex_);
      busy_ = false;
      wake_.notify_all();  // a Quiesce may wait for this
      if (!wake_.wait(lock, stop, [this]() KORVEX_REQUIRES(mutex_) { return requested_; })) return;
      request = request_;
      requested_ = false;
      busy_ = true;
    }
    filling_.width = request.width;
    filling_.height = request.height;
    filling_.bitsPerPixel = request.bitsPerPixel;
    if (filling_.bytes.size() != filling_.Size()) filling_.bytes.assign(filling_.Size(), 0);
    // Waits for the camera's frame lock, then copies: the image is whole.
    const bool copied = request.handle != 0 && !filling_.Empty() &&
                        Korvex_GetImage(request.handle, filling_.bytes.data(),
                                        static_cast<int>(filling_.bytes.size()), 1) != 0;
    if (!copied) continue;
    fillingHistogram_ = request.histogram ? CountHistogram(filling_) : Histogram{};
    bool post = false;
    {
      LockGuard<Mutex> lock(mutex_);
      std::swap(filling_, ready_);
      std::swap(fillingHistogram_, readyHistogram_);
      post = !fresh_;  // one message for any number of images not yet taken
      fresh_ = true;
    }
    if (post) PostMessageW(window_, message_, 0, 0);
  }
}

}  // namespace korvex::viewer
