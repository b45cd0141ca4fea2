// A live preview on the simulated camera for the end-to-end benchmarks:
// colour mode 24 with every stage active, each frame copied into a buffer
// of the application and notified to a window of its own. The pipeline
// thread count is set for the cameras opened meanwhile and put back at the
// end, and the settings go to a registry root of the benchmark's own.
#pragma once

#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"
#include "support/registry_util.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace korvex::bench {

class LivePreview {
 public:
  // threads 0: the default count.
  explicit LivePreview(int threads) {
    if (const char* saved = std::getenv("KORVEX_PIPELINE_THREADS")) saved_ = saved;
    if (threads > 0) {
      setenv("KORVEX_PIPELINE_THREADS", std::to_string(threads).c_str(), 1);
    } else {
      unsetenv("KORVEX_PIPELINE_THREADS");
    }
  }
  ~LivePreview() {
    if (camera_ != 0) {
      Korvex_StopPreview(camera_);
      Korvex_Release(camera_);
    }
    if (frames_ != nullptr) KorvexHost_DestroyWindow(frames_);
    if (notify_ != nullptr) KorvexHost_DestroyWindow(notify_);
    if (saved_) {
      setenv("KORVEX_PIPELINE_THREADS", saved_->c_str(), 1);
    } else {
      unsetenv("KORVEX_PIPELINE_THREADS");
    }
  }
  LivePreview(const LivePreview&) = delete;
  LivePreview& operator=(const LivePreview&) = delete;

  // Opens the camera (the simulator set up by the caller) and starts the
  // preview, with `waitTime` ms between frames (negative: the default);
  // false when it did not start or no first frame came within 10 s.
  bool Start(int waitTime = -1) {
    notify_ = KorvexHost_CreateMessageWindow();
    frames_ = KorvexHost_CreateMessageWindow();
    camera_ = Korvex_Initialize(reinterpret_cast<KORVEX_HWND>(notify_));
    bool started = camera_ != 0 && Korvex_SetPreviewWindow(camera_, nullptr, 0, 0, 0, 0) == 1 &&
                   Korvex_SetColorMode(camera_, 24) == 1 &&
                   (waitTime < 0 || Korvex_SetWaitTime(camera_, waitTime) == 1);
    if (started) {
      Korvex_SetHue(camera_, 20);
      Korvex_SetSaturation(camera_, 40);
      Korvex_SetGamma(camera_, 80);
      Korvex_SetContrast(camera_, 20);
      Korvex_SetSharpness(camera_, 10);
      Korvex_SetBrightness(camera_, 15);
      Korvex_SetBayerGainAuto(camera_, 1);
      started = Korvex_CallBackPreview(camera_, reinterpret_cast<KORVEX_HWND>(frames_),
                                       buffer_.data(), static_cast<int>(buffer_.size()), 1) == 1;
    }
    return started && NextFrame();
  }

  // Waits up to 10 s for the next frame's notification.
  bool NextFrame() {
    KorvexHostMessage message;
    return KorvexHost_GetMessage(frames_, &message, 10000) == 1;
  }

 private:
  std::optional<std::string> saved_;
  test::ScopedRegistryRoot registry_;
  KorvexHostWindow notify_ = nullptr;
  KorvexHostWindow frames_ = nullptr;
  KORVEX_HANDLE camera_ = 0;
  std::vector<uint8_t> buffer_ = std::vector<uint8_t>(2560u * 1920u * 3u);
};

}  // namespace korvex::bench
