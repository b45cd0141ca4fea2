// Capture control: the acquisition states, the common preparation, live
// preview with its worker, capture mode with snapshots, triggered capture,
// and the copy of an image into the application's buffer.
#include "camera/korvex.h"
#include "log/log.h"

#include "camera/ownership_table.h"
#include "device/korvex740k3xln_sdk.h"
#include "image/converters/field_merge.h"
#include "image/dib_image.h"
#include "image/dispatch.h"
#include "platform/window.h"

#include <chrono>
#include <cstring>
#include <system_error>

namespace korvex {

namespace {

constexpr int kRawWidth = 2560;
constexpr int kRawHeight = 2008;

// Re-lays a raw frame whose stride is wider than its packed rows.
void RelayRawFrame(CDibImage& raw) {
  const int bytesPerSample = raw.BitsPerPixel() / 8;
  if (raw.Stride() == raw.Width() * bytesPerSample) return;
  image::ImageView view = image::ViewOf(raw);
  image::ConvertRegion(view, bytesPerSample == 2 ? image::PadRows16 : image::PadRows8, view,
                       nullptr, 0, 0, nullptr);
}

}  // namespace

std::optional<ColorMode> CKorvex::FrameMode() const {
  const int32_t prepared = frameMode_.load(std::memory_order_acquire);
  return ColorModeOf(prepared >= 0 ? prepared : settings_.video.Color.Get());
}

CDibImage* CKorvex::OutputImage() {
  const std::optional<ColorMode> mode = FrameMode();
  return mode ? images_[OutputRole(*mode)].get() : nullptr;
}

bool CKorvex::PrepareAcquisition() {
  const int number = deviceNumber_;
  // The presence table is as old as the last probe: a camera unplugged since
  // is found gone by opening it.
  if (!device_->IsDevicePresent(number) || !device_->IsDeviceReachable() ||
      ownership_->IsClaimed(number)) {
    errors_.ReportError(KORVEX_ERR_DEVICE);
    return false;
  }
  if (!CheckGeometry()) {
    errors_.ReportError(KORVEX_ERR_GEOMETRY);
    return false;
  }
  const std::optional<ColorMode> stored = ColorModeOf(settings_.video.Color);
  if (!stored) {  // a stored mode this camera does not have
    errors_.ReportError(KORVEX_ERR_MEMORY);
    return false;
  }
  const ColorMode mode = *stored;
  const bool deep = IsDeep(mode);
  {
    LockGuard<RecursiveMutex> guard(frameLock_);
    // From here on frames are processed in this mode, whatever is stored
    // meanwhile, until the next preparation.
    frameMode_.store(IndexOf(mode), std::memory_order_release);
    const int width = settings_.size.EH, height = settings_.size.EV;
    auto make = [&](ImageRole role, int bits) {
      return images_[role]->Create(width, height, bits) != 0;
    };
    bool ok = true;
    // Besides each mode's own images: the 8-bit grey image is the 16-bit
    // grey mode's display source, and the 24-bit colour image the 8-bit
    // grey mode's colour stage and the display source of the colour modes.
    if (mode != ColorMode::kColor48 && mode != ColorMode::kColor64) {
      ok = make(kGray8, 8);
      if (ok) images_[kGray8]->SetGrayPalette();
    }
    if (ok && deep) ok = make(kGray16, 16);
    if (ok && mode != ColorMode::kGray16) ok = make(kColor24, 24);
    if (ok && mode != ColorMode::kColor24 && !IsGray(mode))
      ok = make(OutputRole(mode), BitsPerPixel(mode));
    if (ok) ok = images_[kCurrentOutput]->CopyFormat(*images_[OutputRole(mode)]) != 0;
    if (ok) ok = images_[kRawFrame]->Create(kRawWidth, kRawHeight, deep ? 16 : 8) != 0;
    if (!ok) {
      errors_.ReportError(KORVEX_ERR_MEMORY);
      return false;
    }
  }
  device_->SetWordMode(deep);
  uint8_t clock = 0;
  if (!device_->ReadClockMode(clock)) clock = 0;
  if (clock != settings_.video.Clock) {
    device_->SetClockMode(settings_.video.Clock);
    platform::Sleep(100);
    device_->InitializeSensor();
  }
  const AnalogGroup& a = settings_.analog;
  ApplyWindow();
  device_->SetMirrorV(a.V_Mirror != 0);
  device_->SetMirrorH(a.H_Mirror != 0);
  device_->SetTriggerMode(false);
  device_->SetGlobalGain(static_cast<uint16_t>(a.Global.Get()));
  device_->SetExposure(static_cast<uint16_t>(a.Exposure.Get()));
  GetRealExposureTime(nullptr);
  {
    // The display image at the window's client size, so the first frame
    // needs no re-creation.
    LockGuard<RecursiveMutex> guard(frameLock_);
    int width = 0, height = 0;
    display_.AssertFrameLockHeld();
    if (display_.VisibleClientSize(&width, &height)) {
      CDibImage& display = *images_[kDisplay];
      const bool gray = IsGray(mode);
      if (display.Create(width, height, gray ? 8 : 24) && gray) display.SetGrayPalette();
    }
  }
  return true;
}

void CKorvex::StoreFrameTarget(platform::WindowHandle window, void* buffer, int size,
                               int rowOrder) {
  LockGuard<RecursiveMutex> guard(frameLock_);
  frameWindow_ = window;
  frameBuffer_ = buffer;
  frameBufferSize_ = size;
  rowOrder_ = rowOrder;
}

bool CKorvex::StartWorker() {
  if (worker_.joinable()) return false;  // one worker per camera
  workerRun_.store(WorkerRun::kRun);
  try {
    worker_ = std::thread(&CKorvex::WorkerMain, this);
  } catch (const std::system_error&) {
    workerRun_.store(WorkerRun::kStop);
    return false;
  }
  return true;
}

int CKorvex::StartPreview() {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  const int32_t state = State();
  if (state == kPreviewing) return 1;
  if (state != kIdle) return NotPossible();
  if (!PrepareAcquisition()) return NotPossible();
  if (!StartWorker()) {
    StopPreview();
    return Fail(KORVEX_ERR_WORKER);
  }
  device_->SetTriggerMode(false);
  if (device_->StartStreaming() != 0) {
    StopPreview();
    return Fail(KORVEX_ERR_REFUSED);
  }
  state_.store(kPreviewing);
  ClaimDevice(deviceNumber_);
  KORVEX_LOG(kInfo, kCamera, errors_.CameraHandle(), "preview started on device %d",
             deviceNumber_.load());
  return 1;
}

void CKorvex::StopWorkerRun() {
  {
    // Under the pause's mutex, so the worker cannot miss the wake between
    // testing the flag and starting to wait.
    LockGuard<Mutex> guard(pauseMutex_);
    workerRun_.store(WorkerRun::kStop);
  }
  pauseWake_.notify_all();
}

bool CKorvex::PauseWorker(int32_t milliseconds) {
  // A negative stored pause counts as none.
  const auto pause = std::chrono::milliseconds(milliseconds > 0 ? milliseconds : 0);
  UniqueLock<Mutex> guard(pauseMutex_);
  pauseWake_.wait_until(guard, std::chrono::steady_clock::now() + pause,
                        [this] { return workerRun_.load() == WorkerRun::kStop; });
  return workerRun_.load() != WorkerRun::kStop;
}

int CKorvex::StopPreview() {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  StopWorkerRun();
  if (State() != kIdle) {
    KORVEX_LOG(kInfo, kCamera, errors_.CameraHandle(), "acquisition stopped (state %d)", State());
    state_.store(kIdle);
    device_->SetTriggerMode(false);
    device_->StopStreaming();
    ReleaseDevice();
  }
  // Every worker reaches its run-flag test at once from its pause, and
  // within the frame wait (ended by the stream's stop) or the transfer
  // time-out otherwise.
  if (worker_.joinable()) worker_.join();
  // The recording thread finishes the file on its way out.
  recorder_.Stop();
  return 1;
}

int CKorvex::Preview() {
  StoreFrameTarget(nullptr, nullptr, 0, 0);
  return StartPreviewWithWindow();
}

int CKorvex::CallBackPreview(platform::WindowHandle frameWindow, void* buffer, int size,
                             int rowOrder) {
  StoreFrameTarget(frameWindow, buffer, size, rowOrder);
  return StartPreviewWithWindow();
}

int CKorvex::StartPreviewWithWindow() {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  if (!OpenDisplayIfWanted()) return Fail(KORVEX_ERR_WINDOW);
  if (!StartPreview()) {
    Close();
    return Fail(KORVEX_ERR_FRAME);
  }
  return 1;
}

int CKorvex::Capture() {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  const int32_t state = State();
  if (state == kCapturing) return 1;
  if (state != kIdle) return NotPossible();
  if (!PrepareAcquisition()) return NotPossible();
  state_.store(kCapturing);
  KORVEX_LOG(kInfo, kCamera, errors_.CameraHandle(), "capture mode on device %d",
             deviceNumber_.load());
  return 1;
}

bool CKorvex::TakeSingleFrame() {
  CDibImage& raw = *images_[kRawFrame];
  if (device_->GetSingleFrame(raw.Bits()) != 0) return false;
  RelayRawFrame(raw);
  return true;
}

int CKorvex::SnapShot(void* buffer, int size, int rowOrder) {
  const int result = TakeSnapShot(buffer, size, rowOrder);
  DeliverDialogNotices(false);
  return result;
}

int CKorvex::TakeSnapShot(void* buffer, int size, int rowOrder) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  const int32_t state = State();
  if (state == kPreviewing || state == kTriggered) return NotPossible();
  if (state == kIdle && !PrepareAcquisition()) return NotPossible();
  const bool keepOpen = state == kCapturing;

  UniqueLock<RecursiveMutex> frame(frameLock_);
  bool delivered = device_->CaptureSingleFrame() == 0;
  if (delivered && !TakeSingleFrame()) {
    PostFrameError(KORVEX_ERR_FRAME);
    delivered = false;
  }
  if (!delivered) {
    if (!keepOpen) device_->CloseCaptureHandle();
    return Fail(KORVEX_ERR_FRAME);
  }
  ProcessFrame();
  imageReady_.store(1);
  CDibImage* output = OutputImage();
  const bool copied = buffer == nullptr || size == 0 ||
                      (output != nullptr && CopyImage(*output, rowOrder, buffer, size));
  frame.unlock();
  if (!keepOpen) device_->CloseCaptureHandle();
  if (!copied) return Fail(KORVEX_ERR_MEMORY);
  return 1;
}

int CKorvex::GetImage(void* buffer, int size, int rowOrder) {
  if (!HasDevice()) return NotPossible();
  LockGuard<RecursiveMutex> frame(frameLock_);
  CDibImage* output = OutputImage();
  if (output == nullptr) return NotPossible();
  if (output->IsEmpty() || buffer == nullptr) return Fail(KORVEX_ERR_MEMORY);
  if (!CopyImage(*output, rowOrder, buffer, size)) return Fail(KORVEX_ERR_MEMORY);
  return 1;
}

int CKorvex::Trigger(platform::WindowHandle frameWindow, void* buffer, int size, int rowOrder) {
  LockGuard<RecursiveMutex> control(acquisitionLock_);
  if (!HasDevice()) return NotPossible();
  // A triggered camera is refused too: one worker per camera.
  if (State() != kIdle) return NotPossible();
  StoreFrameTarget(frameWindow, buffer, size, rowOrder);
  if (!OpenDisplayIfWanted()) return Fail(KORVEX_ERR_WINDOW);
  if (!PrepareAcquisition()) {
    Close();
    return NotPossible();
  }
  state_.store(kTriggered);
  transferTimeout_ = 3000;
  device_->SetTransferTimeout(3000);
  device_->SetTriggerMode(true);
  if (!StartWorker()) {
    Close();
    return Fail(KORVEX_ERR_WORKER);
  }
  KORVEX_LOG(kInfo, kCamera, errors_.CameraHandle(), "trigger mode on device %d",
             deviceNumber_.load());
  return 1;
}

bool CKorvex::CopyImage(CDibImage& image, int rowOrder, void* buffer, int size) {
  if (image.IsEmpty() || image.Bits() == nullptr) {
    // No image of the frame's mode: nothing to copy, and no notification.
    errors_.ReportError(KORVEX_ERR_MEMORY);
    return false;
  }
  const size_t rowBytes = static_cast<size_t>(image.Stride());
  const size_t required = rowBytes * static_cast<size_t>(image.Height());
  if (size < 0 || static_cast<size_t>(size) < required) {
    PostFrameError(KORVEX_ERR_MEMORY);
    errors_.ReportError(KORVEX_ERR_MEMORY);
    return false;
  }
  uint8_t* out = static_cast<uint8_t*>(buffer);
  const int height = image.Height();
  if (rowOrder != 0) {
    std::memcpy(out, image.Bits(), required);
  } else {
    for (int y = 0; y < height; ++y)
      std::memcpy(out + y * rowBytes, image.Row(height - 1 - y), rowBytes);
  }
  return true;
}

void CKorvex::PostFrameError(uint32_t code) {
  LockGuard<RecursiveMutex> guard(frameLock_);
  if (frameWindow_ != nullptr)
    platform::PostWindowMessage(frameWindow_, kMessageFrame, 0, static_cast<intptr_t>(code));
}

void CKorvex::FillFrameInfo(int32_t frameRate) {
  frameInfo_.size = 32;
  frameInfo_.width = kRawWidth;
  frameInfo_.height = kRawHeight;
  const std::optional<ColorMode> mode = FrameMode();
  frameInfo_.bitsPerPixel = static_cast<uint32_t>(mode ? BitsPerPixel(*mode) : 8);
  frameInfo_.frameRate = static_cast<uint32_t>(frameRate);
  frameInfo_.u.buffer = frameBuffer_;
}

void CKorvex::WorkerMain() {
  if (State() == kTriggered) {
    TriggerWorker();
  } else {
    PreviewWorker();
  }
}

void CKorvex::PreviewWorker() {
  while (workerRun_.load() != WorkerRun::kStop) {
    if (!PauseWorker(settings_.video.WaitTime.Get())) break;
    const int ready = device_->WaitForFrame();
    if (ready == CKVXSdkLib::kStreamEnded) {
      workerRun_.store(WorkerRun::kStop);
      PostFrameError(KORVEX_ERR_STREAM_ENDED);
      errors_.ReportError(KORVEX_ERR_STREAM_ENDED);
      return;
    }
    if (ready != CKVXSdkLib::kFrameReady) continue;

    UniqueLock<RecursiveMutex> frame(frameLock_);
    CDibImage& raw = *images_[kRawFrame];
    if (device_->GetStreamFrame(raw.Bits()) != 0) {
      PostFrameError(KORVEX_ERR_FRAME);
      errors_.ReportError(KORVEX_ERR_FRAME);
      continue;
    }
    RelayRawFrame(raw);
    FillFrameInfo(frameRate_.Count(platform::TimeGetTime()));
    ProcessFrame();
    recorder_.FrameProduced();
    imageReady_.store(1);
    DrawFrame();
    CDibImage* output = OutputImage();
    if (frameBuffer_ != nullptr && frameBufferSize_ != 0 &&
        (output == nullptr || !CopyImage(*output, rowOrder_, frameBuffer_, frameBufferSize_))) {
      continue;  // the copy reported KORVEX_ERR_MEMORY; no notification for this frame
    }
    const platform::WindowHandle window = frameWindow_;
    const uintptr_t info = reinterpret_cast<uintptr_t>(&frameInfo_);
    frame.unlock();
    if (window != nullptr) platform::PostWindowMessage(window, kMessageFrame, info, 0);
    DeliverDialogNotices(true);
  }
}

void CKorvex::TriggerWorker() {
  while (workerRun_.load() != WorkerRun::kStop) {
    if (workerRun_.load() == WorkerRun::kPause) {
      platform::Sleep(10);
      continue;
    }
    // In trigger mode the camera sends a frame per external trigger; the
    // transfer time-out bounds the wait.
    const int captured = device_->CaptureSingleFrame();
    if (workerRun_.load() == WorkerRun::kStop) return;
    if (captured == CKVXSdkLib::kOpenFailed) {
      // The camera is gone: the same end as a stream that failed.
      workerRun_.store(WorkerRun::kStop);
      PostFrameError(KORVEX_ERR_STREAM_ENDED);
      errors_.ReportError(KORVEX_ERR_STREAM_ENDED);
      return;
    }
    if (captured != 0) continue;  // no trigger within the transfer time-out
    UniqueLock<RecursiveMutex> frame(frameLock_);
    if (!TakeSingleFrame()) continue;
    FillFrameInfo(0);
    ProcessFrame();
    imageReady_.store(1);
    CDibImage* output = OutputImage();
    if (frameBuffer_ != nullptr && frameBufferSize_ != 0 &&
        (output == nullptr || !CopyImage(*output, rowOrder_, frameBuffer_, frameBufferSize_))) {
      continue;
    }
    if (frameWindow_ != nullptr)
      platform::PostWindowMessage(frameWindow_, kMessageFrame,
                                  reinterpret_cast<uintptr_t>(&frameInfo_), 0);
    DrawFrame();
    frame.unlock();
    DeliverDialogNotices(true);
  }
}

}  // namespace korvex
