// The viewer's main window: menu, toolbar, status bar, the live picture and
// the histogram panel, and what the commands do. Everything runs on the
// window's thread; the SDK's camera threads only post notifications to it.
#pragma once

#include "camera.h"
#include "frame_fetcher.h"
#include "frame.h"
#include "histogram.h"
#include "histogram_panel.h"
#include "picture_window.h"
#include "settings.h"
#include "simulator.h"
#include "texts.h"

#include <windows.h>

#include <memory>
#include <string>

namespace korvex::viewer {

// Menu and toolbar commands.
enum Command : int {
  kCmdSnapshot = 100,
  kCmdRecord,
  kCmdStopRecording,
  kCmdRecordUntilStopped,
  kCmdRecord10,
  kCmdRecord30,
  kCmdRecord60,
  kCmdExit,
  kCmdLive,
  kCmdZoomFit,
  kCmdZoom100,
  kCmdZoom50,
  kCmdZoom25,
  kCmdZoomCycle,
  kCmdHistogram,
  kCmdLogScale,
  kCmdClipping,
  kCmdFullScreen,
  kCmdLeaveFullScreen,  // Escape
  kCmdReconnect,
  kCmdCameraDialog,
  kCmdAnalogDialog,
  kCmdImageDialog,
  kCmdUnplug,
  kCmdPlug,
  kCmdFastPace,
  kCmdAbout,
  kCmdCameraFirst = 1000,  // + camera number, 0 to 31
};

// Window class of the main window, for programs that look for it.
inline constexpr wchar_t kMainWindowClass[] = L"KorvexViewerMain";

class MainWindow {
 public:
  bool Create(HINSTANCE instance, int show);
  // The message loop, with the keyboard shortcuts; returns the exit code.
  int Run();

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT m, WPARAM wp, LPARAM lp);

  // Set-up and layout (main_window.cpp).
  void CreateChildren();
  void BuildMenu();
  void BuildCameraMenu(HMENU menu);
  void UpdateMenuChecks();
  void Layout();
  void UpdateStatus();
  void SetState(const std::wstring& text);
  void ShowPixel(int x, int y);
  void RememberPlacement();
  void ToggleFullScreen();
  void OnCommand(int id);

  // The camera and the live picture (live.cpp).
  void OpenCamera(int number);
  void StartLive();
  void StopLive();
  void OnFrame(WPARAM wp, LPARAM lp);
  void OnFrameFetched();
  FetchRequest NextFetch() const;
  void DrawFrame();
  void OnError(uint32_t code);
  void ShowNewestFrame();
  void CameraLost();
  void TryReconnect();
  void OnTimer(UINT_PTR id);
  void RunDialog(int command);
  void SwitchCamera(int number);

  // Files (file_commands.cpp).
  void Snapshot();
  void StartRecording();
  void StopRecording();
  void ShowAbout();

  HWND window_ = nullptr;
  HWND toolbar_ = nullptr;
  HWND status_ = nullptr;
  HACCEL accelerators_ = nullptr;
  HWND about_ = nullptr;
  HMENU cameraMenu_ = nullptr;
  PictureWindow picture_;
  HistogramPanel histogramPanel_;
  Camera camera_;
  std::unique_ptr<FrameFetcher> fetcher_;  // lives while the window does
  Simulator simulator_;
  ViewerSettings settings_;
  Frame frame_;
  Histogram histogram_;

  enum class State { kNoCamera, kStopped, kLive, kLost, kRecording };
  State state_ = State::kNoCamera;
  std::wstring stateText_;  // overrides the state's own text until the next change
  bool fastPace_ = false;
  bool fullScreen_ = false;
  RECT windowedRect_{};
  LONG_PTR windowedStyle_ = 0;

  // Frame counting: delivered = notifications received, shown = drawn,
  // dropped = delivered but skipped because a newer one was already waiting.
  uint32_t delivered_ = 0, shown_ = 0, dropped_ = 0;
  uint32_t rateDelivered_ = 0, rateShown_ = 0;
  ULONGLONG rateStart_ = 0, lastFrameTick_ = 0;
  double shownRate_ = 0, deliveredRate_ = 0;
  int pixelX_ = -1, pixelY_ = -1;

  // Recording.
  std::wstring recordFile_;
  ULONGLONG recordStart_ = 0;
  int recordSeconds_ = 0;
  bool liveBeforeRecording_ = false;
};

}  // namespace korvex::viewer
