// The live picture: opening the camera, the frame notifications, dropping
// what cannot be drawn, the camera going away and coming back, and the
// property dialogs around the stream.
#include "main_window.h"

namespace korvex::viewer {
namespace {

constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT_PTR kReconnectTimer = 2;
constexpr UINT kReconnectMs = 500;
// Without a frame for this long while live, the viewer asks whether its
// camera is still present (a stream can also end without a notification).
constexpr ULONGLONG kSilenceMs = 1500;

}  // namespace

void MainWindow::OpenCamera(int number) {
  fetcher_->Quiesce();  // no copy may use the handle that Open releases
  camera_.Open(window_, number);
  simulator_.Find();  // the SDK has loaded the simulator by now, if it runs on it
  if (camera_.HasDevice()) {
    state_ = State::kStopped;
    picture_.SetMessage(L"");
  } else {
    state_ = State::kNoCamera;
    picture_.SetMessage(Tr(Text::kNoCameraMessage));
  }
  stateText_.clear();
}

void MainWindow::StartLive() {
  if (!camera_.HasDevice()) return;
  if (camera_.StartLive(window_)) {
    state_ = State::kLive;
    stateText_.clear();
    lastFrameTick_ = GetTickCount64();
  } else {
    state_ = State::kStopped;
    SetState(ErrorReason(camera_.LastError()));
  }
  UpdateMenuChecks();
  UpdateStatus();
}

void MainWindow::StopLive() {
  camera_.StopLive();
  if (state_ == State::kLive) state_ = State::kStopped;
  stateText_.clear();
  // What stays on screen is the camera's last processed image: a snapshot
  // saves exactly that picture.
  ShowNewestFrame();
  UpdateMenuChecks();
  UpdateStatus();
}

void MainWindow::OnFrame(WPARAM wp, LPARAM lp) {
  if (wp == 0) {  // a frame error: lParam holds the code
    if (lp == KORVEX_ERR_STREAM_ENDED) CameraLost();
    return;
  }
  // wParam points into the camera object, which a reconnect may have
  // replaced since this message was posted: it is not read.
  if (state_ != State::kLive) return;
  ++delivered_;
  ++rateDelivered_;
  lastFrameTick_ = GetTickCount64();
  // The tear-free pattern: the notification asks for a copy with
  // Korvex_GetImage. When a copy is already waiting to begin, this frame
  // cannot be drawn on its own (the copy will take a newer one): dropped.
  if (!fetcher_->Request(NextFetch())) ++dropped_;
}

FetchRequest MainWindow::NextFetch() const {
  FetchRequest r;
  r.handle = camera_.Handle();
  r.width = Korvex_Width(r.handle);
  r.height = Korvex_Height(r.handle);
  r.bitsPerPixel = camera_.BitsPerPixel();
  r.histogram = settings_.histogram;
  return r;
}

void MainWindow::OnFrameFetched() {
  if (state_ != State::kLive && state_ != State::kRecording) {
    // A copy finished after the stream stopped: taken (so that the next one
    // is announced again) but not drawn over the stopped picture.
    Frame late;
    Histogram unused;
    fetcher_->Take(late, unused);
    return;
  }
  if (!fetcher_->Take(frame_, histogram_)) return;
  if (settings_.histogram) histogramPanel_.Show(histogram_);
  picture_.Show(frame_);
  ++shown_;
  ++rateShown_;
}

// The camera's present image, copied on this thread: used when the stream
// has stopped, so the camera's frame lock is free.
void MainWindow::ShowNewestFrame() {
  if (!camera_.CopyImage(frame_)) return;
  DrawFrame();
}

void MainWindow::DrawFrame() {
  if (settings_.histogram) {
    histogram_ = CountHistogram(frame_);
    histogramPanel_.Show(histogram_);
  }
  picture_.Show(frame_);
}

void MainWindow::OnError(uint32_t code) {
  // The end of the stream means the camera went away. Other codes belong to
  // a request whose own result the viewer reports where it made it (or to
  // the probing of absent camera numbers), so they are not repeated here.
  if (code == KORVEX_ERR_STREAM_ENDED) CameraLost();
}

void MainWindow::CameraLost() {
  if (state_ == State::kLost || !camera_.IsOpen()) return;
  if (state_ == State::kRecording) StopRecording();
  camera_.StopLive();
  state_ = State::kLost;
  stateText_.clear();
  picture_.SetLost(true);
  SetTimer(window_, kReconnectTimer, kReconnectMs, nullptr);
  UpdateMenuChecks();
  UpdateStatus();
}

void MainWindow::TryReconnect() {
  bool present = false;
  for (const auto& p : camera_.Enumerate()) present |= p.number == camera_.Number();
  if (!present && state_ == State::kLost) return;  // keep waiting
  // A fresh camera object: the camera that came back starts from power-on.
  const int number = camera_.Number();
  const bool wasLost = state_ == State::kLost;
  camera_.StopLive();
  KillTimer(window_, kReconnectTimer);
  picture_.SetLost(false);
  OpenCamera(number);
  BuildMenu();
  if (camera_.HasDevice() && (wasLost || state_ == State::kStopped)) StartLive();
}

void MainWindow::OnTimer(UINT_PTR id) {
  if (id == kReconnectTimer) {
    TryReconnect();
    return;
  }
  if (id != kStatusTimer) return;
  const ULONGLONG now = GetTickCount64();
  if (rateStart_ == 0) rateStart_ = now;
  if (now - rateStart_ >= 1000) {
    const double seconds = (now - rateStart_) / 1000.0;
    shownRate_ = rateShown_ / seconds;
    deliveredRate_ = rateDelivered_ / seconds;
    rateShown_ = rateDelivered_ = 0;
    rateStart_ = now;
  }
  if (state_ == State::kLive && now - lastFrameTick_ > kSilenceMs) {
    bool present = false;
    for (const auto& p : camera_.Enumerate()) present |= p.number == camera_.Number();
    if (!present) CameraLost();
    lastFrameTick_ = now;
  }
  if (state_ == State::kRecording) {
    fetcher_->Request(NextFetch());  // no notifications while recording: the picture is polled
    if (recordSeconds_ > 0 &&
        now - recordStart_ >= static_cast<ULONGLONG>(recordSeconds_) * 1000 + 500)
      StopRecording();
  }
  UpdateStatus();
}

void MainWindow::RunDialog(int command) {
  if (!camera_.HasDevice() || state_ == State::kLost) return;
  KORVEX_HWND owner = reinterpret_cast<KORVEX_HWND>(window_);
  if (command == kCmdCameraDialog) {
    // The camera dialog changes the colour mode and size, which apply at the
    // next start: the stream stops while it is open and restarts after.
    const bool wasLive = state_ == State::kLive;
    if (wasLive) StopLive();
    Korvex_SetCameraDlg(camera_.Handle(), owner);
    if (wasLive) StartLive();
  } else if (command == kCmdAnalogDialog) {
    // The stream goes on: the dialog's modal loop dispatches the frame
    // notifications to this window, so the picture follows each change.
    Korvex_SetAnalogDlg(camera_.Handle(), owner);
  } else {
    Korvex_SetImageDlg(camera_.Handle(), owner);
  }
  UpdateStatus();
}

void MainWindow::SwitchCamera(int number) {
  if (number == camera_.Number() && camera_.HasDevice()) return;
  const bool wasLive = state_ == State::kLive;
  camera_.StopLive();
  if (!Korvex_SetDeviceNumber(camera_.Handle(), number)) {
    SetState(ErrorReason(camera_.LastError()));
    if (wasLive) StartLive();
    return;
  }
  settings_.camera = number;
  OpenCamera(number);  // a fresh camera object with that camera's settings
  BuildMenu();
  if (wasLive || state_ == State::kStopped) StartLive();
}

}  // namespace korvex::viewer
