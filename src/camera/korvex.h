// CKorvex: the camera object behind one handle. It owns the model driver,
// the image buffers, the worker threads, the error history and the settings
// record, and carries out every export that takes its handle.
#pragma once

#include "errors/error_report.h"
#include "camera/dialog_link.h"
#include "camera/display_window.h"
#include "camera/exposure_timing.h"
#include "camera/frame_rate_meter.h"
#include "camera/recorder.h"
#include "common/camera_settings.h"
#include "common/color_mode.h"
#include "common/lock_guard.h"
#include "common/thread_annotations.h"
#include "image/pipeline.h"
#include "platform/module_unload.h"
#include "image/pipeline_workers.h"
#include "platform/file_name.h"
#include "platform/gdi.h"
#include "platform/platform.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace korvex {

class CDibImage;
class CKorvex740K3XLNSdk;
class OwnershipTable;

// The camera object's image buffers: the output image of each colour mode
// (in the modes' order), then the others.
enum ImageRole : int {
  kGray8 = 0,
  kGray16,
  kColor24,
  kColor32,
  kColor48,
  kColor64,
  kCurrentOutput,
  kDisplay,
  kRawFrame,
  kImageRoleCount
};

constexpr ImageRole OutputRole(ColorMode mode) { return static_cast<ImageRole>(IndexOf(mode)); }
static_assert(OutputRole(ColorMode::kGray16) == kGray16 &&
              OutputRole(ColorMode::kColor64) == kColor64);

// Acquisition states.
enum AcquisitionState : int32_t { kIdle = 0, kPreviewing = 1, kCapturing = 2, kTriggered = 3 };

class CKorvex {
 public:
  CKorvex();
  ~CKorvex();
  CKorvex(const CKorvex&) = delete;
  CKorvex& operator=(const CKorvex&) = delete;

  // ---- lifecycle and identity
  int Initialize(platform::WindowHandle notifyWindow);
  int SetDeviceNumber(int number);
  int EnumDevice(char* names);
  int EnumDeviceW(KORVEX_WCHAR* names);
  int GetDeviceName(int number, char* name, int size);
  int GetDeviceNameW(int number, KORVEX_WCHAR* name, int size);
  int GetCameraInfo(KORVEX_CAMERA_INFO* info);
  int Close();
  uint32_t GetLastError() { return errors_.TakeLast(); }

  // ---- capture and preview
  int Preview();
  int CallBackPreview(platform::WindowHandle frameWindow, void* buffer, int size, int rowOrder);
  int StartPreview();
  int StopPreview();
  int Capture();
  int SnapShot(void* buffer, int size, int rowOrder);
  int GetImage(void* buffer, int size, int rowOrder);
  int Trigger(platform::WindowHandle frameWindow, void* buffer, int size, int rowOrder);
  int GetRealExposureTime(int* ok);

  // ---- window geometry
  int SetPreviewWindow(platform::WindowHandle parent, int left, int top, int right, int bottom);
  int SetCaptureWindow(int width, int height);
  int SetCaptureWindowEx(int th, int ehs, int eh, int tv, int evs, int ev);
  int GetCaptureWindowEx(int* th, int* ehs, int* eh, int* tv, int* evs, int* ev);

  // ---- parameters
  int SetFilterValue(int id, int value);
  int GetFilterValue(int id, int* ok);
  int Width() const { return settings_.size.EH; }
  int Height() const { return settings_.size.EV; }
  int SetColorMode(int bitsPerPixel);
  int GetColorMode() const;
  int SetSubSample(int mode);
  int GetSubSample() const { return settings_.video.SubSample; }
  int SetWaitTime(int milliseconds);
  int GetWaitTime() const { return settings_.video.WaitTime; }
  int SetMirrorH(int flag);
  int SetMirrorV(int flag);
  int GetMirrorH();
  int GetMirrorV();
  int SetAutoIris(unsigned int mode);
  int GetAutoIris(int* ok);
  int SetIOPort(int value);
  int GetIOPort(unsigned char* value);
  int SetConfigFilter();
  int GetConfigFilter();
  int SetRealExposureTime(int microseconds);

  // ---- registers and serial ROM
  int ReadRegister(int reg, int* ok);
  int WriteRegister(int reg, int value);
  int ReadSromID(int index, int* ok);
  int WriteSromID(int index, int value);

  // ---- files, configuration and dialogs
  int SaveImage(const char* fileName, int format);
  int SaveImageW(const KORVEX_WCHAR* fileName, int format);
  int Record(const char* fileName, int milliseconds, int showWindow);
  int RecordW(const KORVEX_WCHAR* fileName, int milliseconds, int showWindow);
  // Lowers the largest AVI file the next recordings write (4 GiB), so that
  // tests reach the limit with a few small frames. Ignored while recording.
  void LimitRecordingFileSize(uint64_t bytes);
  // The library is being unloaded or the process ends (the registry's
  // FinishAtUnload): finishes an open recording and, where the threads may
  // be waited for, stops acquisition.
  void EndAtUnload(platform::ThreadsAtUnload threads);
  int LoadConfigFile(const platform::FileName& fileName);
  int LoadConfigFileW(const KORVEX_WCHAR* fileName);
  int SetCameraDlg(platform::WindowHandle owner);
  int SetAnalogDlg(platform::WindowHandle owner);
  int SetImageDlg(platform::WindowHandle owner);

  // ---- unsupported operations: post KORVEX_ERR_UNSUPPORTED without recording it
  void NotifyUnsupported() { errors_.NotifyError(KORVEX_ERR_UNSUPPORTED); }

  // ---- state shared with the other parts of the camera
  bool HasDevice() const { return hasDevice_.load(std::memory_order_acquire); }
  CKorvex740K3XLNSdk* Device() { return device_.get(); }
  CDibImage* Image(ImageRole role) { return images_[role].get(); }
  OwnershipTable& Ownership() { return *ownership_; }
  bool CheckGeometry() const;
  // Marks device `number` as streamed by this camera object in the
  // cross-process table. Release clears only the claim this object made,
  // so that another camera object of the process (which may share its
  // notification window, null included) cannot clear it.
  void ClaimDevice(int number);
  void ReleaseDevice();
  CameraSettings& Settings() { return settings_; }
  CErrorReport& Errors() { return errors_; }
  int32_t State() const { return state_.load(std::memory_order_acquire); }
  int DeviceNumber() const { return deviceNumber_; }
  std::vector<std::pair<int32_t, int32_t>> ConfigList();

  // Runs the per-frame pipeline on the raw frame buffer, under the frame lock.
  void ProcessFrame();
  // What the pipeline calls after it wrote settings back, besides noting it
  // for the open dialogs (tests watch the pipeline through it).
  void SetPipelineHooks(image::PipelineHooks hooks);

  // Korvex_Release: asks the open dialogs to cancel and refuses new ones.
  void CloseDialogs() { dialogLink_.CloseAll(); }
  // True when the calling thread runs one of this camera's dialogs.
  bool DialogOpenOnThisThread() { return dialogLink_.OpenOnThisThread(); }

 private:
  // Refuses an operation that is not possible now (no device, wrong
  // acquisition state, failed preparation): KORVEX_ERR_NOT_POSSIBLE,
  // result 0.
  // Saving and recording to a name in the system's form.
  int SaveImageFile(const platform::FileName& fileName, int format);
  int RecordFile(const platform::FileName& fileName, int milliseconds, int showWindow);

  int NotPossible() { return Fail(KORVEX_ERR_NOT_POSSIBLE); }
  // Records and posts `code`; the failure result 0.
  int Fail(uint32_t code) {
    errors_.ReportError(code);
    return 0;
  }

  // ---- capture control
  int TakeSnapShot(void* buffer, int size, int rowOrder);
  bool PrepareAcquisition();
  // The colour mode the image buffers were last prepared for; until the
  // first preparation, the stored mode (none when that is not a mode).
  std::optional<ColorMode> FrameMode() const;
  // The output image of the frame mode, or null.
  CDibImage* OutputImage();
  // Copies an image into the application's buffer in stored (rowOrder != 0)
  // or reversed row order; KORVEX_ERR_MEMORY when the buffer is too small.
  bool CopyImage(CDibImage& image, int rowOrder, void* buffer, int size);
  // Fetches the raw frame from the single-frame buffer; false when it failed.
  bool TakeSingleFrame();
  void StoreFrameTarget(platform::WindowHandle window, void* buffer, int size, int rowOrder);
  void FillFrameInfo(int32_t frameRate) KORVEX_REQUIRES(frameLock_);
  void PostFrameError(uint32_t code);
  bool StartWorker() KORVEX_REQUIRES(acquisitionLock_);
  // Preview and CallBackPreview after storing their frame target.
  int StartPreviewWithWindow();
  void WorkerMain();
  // The preview worker's pause between frames: returns early, false, as
  // soon as a stop is asked for.
  bool PauseWorker(int32_t milliseconds);
  // Clears the worker's run flag and wakes its pause.
  void StopWorkerRun();
  void PreviewWorker();
  void TriggerWorker();
  // Opens the display window when the placement asks for one; false when
  // it cannot be had (the caller reports KORVEX_ERR_WINDOW).
  bool OpenDisplayIfWanted();
  // Draws the frame mode's output image into the display window; frame
  // lock held.
  void DrawFrame() KORVEX_REQUIRES(frameLock_);

  // The enumeration both EnumDevice and EnumDeviceW are.
  template <class Char, class Write>
  int EnumerateDevices(Char* names, int slotSize, Write write);
  // Checks a device-name request and formats the name; reports and returns
  // false when it cannot be served.
  bool DeviceNameFor(int number, bool haveBuffer, int size, char (&text)[32]);
  void SaveSettings();
  void LoadAndApplyAnalogSettings();
  void ResetGeometry();
  void ApplyWindow();
  void SetGainField(int32_t gain);

  CErrorReport errors_;
  CameraSettings settings_;
  std::unique_ptr<OwnershipTable> ownership_;
  std::unique_ptr<CKorvex740K3XLNSdk> device_;
  std::array<std::unique_ptr<CDibImage>, kImageRoleCount> images_;
  std::atomic<bool> hasDevice_{false};

  // Capture control. The acquisition lock serialises the operations that
  // start and stop acquisition and guards the worker threads' objects; the
  // frame lock serialises the frame buffers among workers, snapshots and
  // readers and guards the frame target (window, buffer, size, row order)
  // and the frame information, which the workers use while they hold it.
  RecursiveMutex acquisitionLock_;
  RecursiveMutex frameLock_;
  std::atomic<int32_t> state_{kIdle};
  platform::WindowHandle frameWindow_ KORVEX_GUARDED_BY(frameLock_) = nullptr;
  void* frameBuffer_ KORVEX_GUARDED_BY(frameLock_) = nullptr;
  int32_t frameBufferSize_ KORVEX_GUARDED_BY(frameLock_) = 0;
  int32_t rowOrder_ KORVEX_GUARDED_BY(frameLock_) = 0;
  KORVEX_FRAME_INFO frameInfo_ KORVEX_GUARDED_BY(frameLock_){32, 0, 0, 0, 0, 0, {nullptr}};
  std::atomic<int32_t> imageReady_{0};
  int32_t transferTimeout_ KORVEX_GUARDED_BY(acquisitionLock_) = 3000;
  // Selected under the acquisition lock; read without it by the dialogs and
  // the settings loads of other threads: last writer wins.
  std::atomic<int32_t> deviceNumber_{0};
  // The device this object has claimed in the ownership table; -1 for none.
  std::atomic<int32_t> claimedDevice_{-1};
  // The acquisition worker's run flag. A triggered worker is paused while
  // the camera dialog is open; a previewing one is stopped instead.
  enum class WorkerRun : int32_t { kStop, kRun, kPause };
  std::atomic<WorkerRun> workerRun_{WorkerRun::kStop};
  std::thread worker_ KORVEX_GUARDED_BY(acquisitionLock_);
  // The colour mode fixed when the buffers were prepared (-1: none yet).
  // A mode set during acquisition waits for the next start.
  std::atomic<int32_t> frameMode_{-1};
  // Wakes the worker's pause when the run flag is cleared. The mutex guards
  // no field (the run flag is atomic): held while the flag is cleared and
  // while the worker tests it and starts to wait, it keeps the wake from
  // falling between the two.
  Mutex pauseMutex_;
  std::condition_variable_any pauseWake_;

  ExposureTiming exposureTiming_;

  // Configuration list with its own lock.
  RecursiveMutex configLock_;
  std::vector<std::pair<int32_t, int32_t>> configList_ KORVEX_GUARDED_BY(configLock_);

  // The AVI recording, with its thread; its file is guarded by the frame
  // lock, and it is started and stopped under the acquisition lock.
  Recorder recorder_{frameLock_, errors_, [this] { return OutputImage(); }};

  // The library's own preview window, whose window and device context the
  // frame lock guards.
  DisplayWindow display_{frameLock_};
  // The preview worker's frame-rate measurement.
  FrameRateMeter frameRate_ KORVEX_GUARDED_BY(frameLock_);
  image::PipelineHooks pipelineHooks_ KORVEX_GUARDED_BY(frameLock_);
  // The pipeline's stripe pool and tables: created with the camera (none if
  // that failed), used under the frame lock, its threads ended with the
  // camera.
  std::unique_ptr<image::PipelineWorkers> pipelineWorkers_;

  // The open dialogs. What the pipeline reports is noted under the frame
  // lock and shown by the thread that ran it after it left every lock
  // (DeliverDialogNotices), so a dialog's thread that waits for one of those
  // locks never blocks the delivery. `worker` says whether the acquisition
  // worker delivers: it gives up once its run flag is cleared.
  void DeliverDialogNotices(bool worker);
  DialogLink dialogLink_;
  DialogNotices dialogNotices_ KORVEX_GUARDED_BY(frameLock_);
};

}  // namespace korvex
