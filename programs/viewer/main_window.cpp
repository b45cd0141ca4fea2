// The main window: its children, menu, shortcuts, layout and status bar, and
// the dispatch of commands.
#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

namespace korvex::viewer {
namespace {

constexpr int kPictureId = 10;
constexpr int kHistogramId = 11;
constexpr int kToolbarId = 12;
constexpr int kStatusId = 13;
constexpr int kHistogramWidth = 300;

// Status bar parts: state, camera name, colour mode and size, frame rate,
// frames shown and dropped, exposure and gain, the pixel under the cursor.
enum StatusPart {
  kPartState,
  kPartName,
  kPartFormat,
  kPartRate,
  kPartFrames,
  kPartExposure,
  kPartPixel,
  kPartCount
};
constexpr int kPartWidths[kPartCount] = {240, 140, 170, 160, 150, 140, -1};
constexpr int kPixelPartWidth = 200;  // the rest, at least this when the window allows

const Text kColorTexts[] = {Text::kColorGray8,   Text::kColorGray16,  Text::kColorColor24,
                            Text::kColorColor32, Text::kColorColor48, Text::kColorColor64};

Text ColorText(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 8: return kColorTexts[0];
    case 16: return kColorTexts[1];
    case 24: return kColorTexts[2];
    case 32: return kColorTexts[3];
    case 48: return kColorTexts[4];
    default: return kColorTexts[5];
  }
}

// Posted by the frame fetcher when a copied image is ready.
constexpr UINT kFrameFetched = WM_APP + 20;

void AppendItem(HMENU menu, int id, Text text) { AppendMenuW(menu, MF_STRING, id, Tr(text)); }

}  // namespace

bool MainWindow::Create(HINSTANCE instance, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSW c{};
  c.lpfnWndProc = Proc;
  c.hInstance = instance;
  c.hCursor = LoadCursor(nullptr, IDC_ARROW);
  c.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  c.lpszClassName = kMainWindowClass;
  if (!RegisterClassW(&c)) return false;
  settings_ = LoadSettings();
  const int x = settings_.left < 0 ? CW_USEDEFAULT : settings_.left;
  const int y = settings_.left < 0 ? CW_USEDEFAULT : settings_.top;
  window_ = CreateWindowExW(0, kMainWindowClass, Tr(Text::kAppTitle),
                            WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, settings_.width,
                            settings_.height, nullptr, nullptr, instance, this);
  if (!window_) return false;

  const ACCEL keys[] = {
      {FVIRTKEY, VK_F5, kCmdLive},
      {FVIRTKEY | FCONTROL, 'S', kCmdSnapshot},
      {FVIRTKEY | FCONTROL, 'R', kCmdRecord},
      {FVIRTKEY | FCONTROL, '1', kCmdCameraDialog},
      {FVIRTKEY | FCONTROL, '2', kCmdAnalogDialog},
      {FVIRTKEY | FCONTROL, '3', kCmdImageDialog},
      {FVIRTKEY, 'H', kCmdHistogram},
      {FVIRTKEY, 'Z', kCmdZoomCycle},
      {FVIRTKEY, 'C', kCmdClipping},
      {FVIRTKEY, VK_F11, kCmdFullScreen},
      {FVIRTKEY, VK_ESCAPE, kCmdLeaveFullScreen},
  };
  accelerators_ =
      CreateAcceleratorTableW(const_cast<ACCEL*>(keys), static_cast<int>(std::size(keys)));

  fetcher_ = std::make_unique<FrameFetcher>(window_, kFrameFetched);
  CreateChildren();
  picture_.SetZoom(settings_.zoom);
  picture_.SetClipping(settings_.clipping);
  histogramPanel_.SetLogScale(settings_.logScale);
  ShowWindow(histogramPanel_.Window(), settings_.histogram ? SW_SHOW : SW_HIDE);
  OpenCamera(settings_.camera);
  BuildMenu();
  ShowWindow(window_, settings_.maximized && show == SW_SHOWNORMAL ? SW_SHOWMAXIMIZED : show);
  UpdateWindow(window_);
  if (camera_.HasDevice()) StartLive();
  SetTimer(window_, 1, 250, nullptr);  // status line and the camera watch, see OnTimer
  return true;
}

int MainWindow::Run() {
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    // Shortcuts belong to the main window; a property dialog or the about
    // box keeps its own keys.
    if (about_ && IsDialogMessageW(about_, &m)) continue;
    if (TranslateAcceleratorW(window_, accelerators_, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return static_cast<int>(m.wParam);
}

LRESULT CALLBACK MainWindow::Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = w;
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  return self ? self->Handle(m, wp, lp) : DefWindowProcW(w, m, wp, lp);
}

LRESULT MainWindow::Handle(UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case KORVEX_WM_FRAME: OnFrame(wp, lp); return 0;
    case kFrameFetched: OnFrameFetched(); return 0;
    case KORVEX_WM_ERROR: OnError(static_cast<uint32_t>(lp)); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wp)); return 0;
    case WM_TIMER: OnTimer(wp); return 0;
    case WM_SIZE: Layout(); return 0;
    case WM_INITMENUPOPUP:
      // The camera list is probed each time the Camera menu opens.
      if (reinterpret_cast<HMENU>(wp) == cameraMenu_) BuildCameraMenu(cameraMenu_);
      UpdateMenuChecks();
      return 0;
    case WM_CLOSE:
      RememberPlacement();
      SaveSettings(settings_);
      if (state_ == State::kRecording) StopRecording();
      KillTimer(window_, 1);
      fetcher_->Quiesce();
      camera_.Close();
      fetcher_.reset();
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window_, m, wp, lp);
  }
}

void MainWindow::CreateChildren() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_TOP, 0, 0, 0,
                             0, window_, reinterpret_cast<HMENU>(kToolbarId), instance, nullptr);
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_MIXEDBUTTONS);
  struct Button {
    int command;
    Text text;
  };
  const Button buttons[] = {
      {kCmdLive, Text::kToolLive},      {kCmdSnapshot, Text::kToolSnapshot},
      {kCmdRecord, Text::kToolRecord},  {kCmdStopRecording, Text::kToolStop},
      {kCmdZoomCycle, Text::kToolZoom}, {kCmdHistogram, Text::kToolHistogram}};
  for (const Button& b : buttons) {
    TBBUTTON t{};
    t.iBitmap = I_IMAGENONE;
    t.idCommand = b.command;
    t.fsState = TBSTATE_ENABLED;
    t.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    t.iString = reinterpret_cast<INT_PTR>(Tr(b.text));
    SendMessageW(toolbar_, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&t));
  }
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);

  status_ =
      CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                      0, window_, reinterpret_cast<HMENU>(kStatusId), instance, nullptr);
  picture_.Create(window_, kPictureId);
  picture_.mouseMoved = [this](int x, int y) { ShowPixel(x, y); };
  histogramPanel_.Create(window_, kHistogramId);
}

void MainWindow::BuildMenu() {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendItem(file, kCmdSnapshot, Text::kMenuSnapshot);
  AppendItem(file, kCmdRecord, Text::kMenuRecord);
  AppendItem(file, kCmdStopRecording, Text::kMenuStopRecording);
  HMENU length = CreatePopupMenu();
  AppendItem(length, kCmdRecordUntilStopped, Text::kMenuUntilStopped);
  AppendItem(length, kCmdRecord10, Text::kMenuSeconds10);
  AppendItem(length, kCmdRecord30, Text::kMenuSeconds30);
  AppendItem(length, kCmdRecord60, Text::kMenuSeconds60);
  AppendMenuW(file, MF_POPUP, reinterpret_cast<UINT_PTR>(length), Tr(Text::kMenuRecordLength));
  AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
  AppendItem(file, kCmdExit, Text::kMenuExit);
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), Tr(Text::kMenuFile));

  HMENU view = CreatePopupMenu();
  AppendItem(view, kCmdLive, Text::kMenuLive);
  HMENU zoom = CreatePopupMenu();
  AppendItem(zoom, kCmdZoomFit, Text::kMenuZoomFit);
  AppendItem(zoom, kCmdZoom100, Text::kMenuZoom100);
  AppendItem(zoom, kCmdZoom50, Text::kMenuZoom50);
  AppendItem(zoom, kCmdZoom25, Text::kMenuZoom25);
  AppendMenuW(zoom, MF_SEPARATOR, 0, nullptr);
  AppendItem(zoom, kCmdZoomCycle, Text::kMenuZoomCycle);
  AppendMenuW(view, MF_POPUP, reinterpret_cast<UINT_PTR>(zoom), Tr(Text::kMenuZoom));
  AppendItem(view, kCmdHistogram, Text::kMenuHistogram);
  AppendItem(view, kCmdLogScale, Text::kMenuLogScale);
  AppendItem(view, kCmdClipping, Text::kMenuClipping);
  AppendItem(view, kCmdFullScreen, Text::kMenuFullScreen);
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), Tr(Text::kMenuView));

  HMENU camera = cameraMenu_ = CreatePopupMenu();
  BuildCameraMenu(camera);
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(camera), Tr(Text::kMenuCamera));

  if (simulator_.Present()) {
    HMENU sim = CreatePopupMenu();
    AppendItem(sim, kCmdUnplug, Text::kMenuUnplug);
    AppendItem(sim, kCmdPlug, Text::kMenuPlug);
    AppendItem(sim, kCmdFastPace, Text::kMenuFastPace);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(sim), Tr(Text::kMenuSimulator));
  }

  HMENU help = CreatePopupMenu();
  AppendItem(help, kCmdAbout, Text::kMenuAbout);
  AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), Tr(Text::kMenuHelp));

  HMENU old = GetMenu(window_);
  SetMenu(window_, bar);
  if (old) DestroyMenu(old);
  UpdateMenuChecks();
}

// The cameras present, then reconnect and the three property dialogs.
void MainWindow::BuildCameraMenu(HMENU menu) {
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  const auto present = camera_.Enumerate();
  for (const auto& p : present)
    AppendMenuW(menu, MF_STRING, kCmdCameraFirst + p.number, p.name.c_str());
  if (present.empty()) AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, Tr(Text::kMenuNoCamera));
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendItem(menu, kCmdReconnect, Text::kMenuReconnect);
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendItem(menu, kCmdCameraDialog, Text::kMenuCameraDialog);
  AppendItem(menu, kCmdAnalogDialog, Text::kMenuAnalogDialog);
  AppendItem(menu, kCmdImageDialog, Text::kMenuImageDialog);
}

void MainWindow::UpdateMenuChecks() {
  HMENU bar = GetMenu(window_);
  if (!bar) return;
  const auto check = [bar](int id, bool on) {
    CheckMenuItem(bar, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  };
  const auto enable = [bar](int id, bool on) {
    EnableMenuItem(bar, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  const bool device = camera_.HasDevice() && state_ != State::kLost;
  const bool recording = state_ == State::kRecording;
  check(kCmdLive, state_ == State::kLive || recording);
  const Zoom zoom = picture_.GetZoom();
  check(kCmdZoomFit, zoom == Zoom::kFit);
  check(kCmdZoom100, zoom == Zoom::k100);
  check(kCmdZoom50, zoom == Zoom::k50);
  check(kCmdZoom25, zoom == Zoom::k25);
  check(kCmdHistogram, settings_.histogram);
  check(kCmdLogScale, settings_.logScale);
  check(kCmdClipping, settings_.clipping);
  check(kCmdFullScreen, fullScreen_);
  check(kCmdRecordUntilStopped, settings_.recordSeconds == 0);
  check(kCmdRecord10, settings_.recordSeconds == 10);
  check(kCmdRecord30, settings_.recordSeconds == 30);
  check(kCmdRecord60, settings_.recordSeconds == 60);
  check(kCmdFastPace, fastPace_);
  for (int i = 0; i < 32; ++i) check(kCmdCameraFirst + i, device && camera_.Number() == i);
  enable(kCmdLive, device && !recording);
  enable(kCmdSnapshot, device && !recording);
  enable(kCmdRecord, device && !recording);
  enable(kCmdStopRecording, recording);
  enable(kCmdCameraDialog, device && !recording);
  enable(kCmdAnalogDialog, device);
  enable(kCmdImageDialog, device);
  enable(kCmdReconnect, camera_.IsOpen() && !recording);
  SendMessageW(toolbar_, TB_ENABLEBUTTON, kCmdStopRecording, MAKELONG(recording, 0));
  SendMessageW(toolbar_, TB_ENABLEBUTTON, kCmdRecord, MAKELONG(device && !recording, 0));
  SendMessageW(toolbar_, TB_ENABLEBUTTON, kCmdSnapshot, MAKELONG(device && !recording, 0));
  SendMessageW(toolbar_, TB_CHECKBUTTON, kCmdLive, MAKELONG(state_ == State::kLive, 0));
}

void MainWindow::Layout() {
  RECT client;
  GetClientRect(window_, &client);
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  SendMessageW(status_, WM_SIZE, 0, 0);
  RECT bar{}, status{};
  if (IsWindowVisible(toolbar_)) GetWindowRect(toolbar_, &bar);
  if (IsWindowVisible(status_)) GetWindowRect(status_, &status);
  const int top = bar.bottom - bar.top;
  const int bottom = client.bottom - (status.bottom - status.top);
  const int histogram = settings_.histogram ? kHistogramWidth : 0;
  const int width = std::max<int>(1, client.right - histogram);
  MoveWindow(picture_.Window(), 0, top, width, std::max(1, bottom - top), TRUE);
  MoveWindow(histogramPanel_.Window(), width, top, histogram, std::max(1, bottom - top), TRUE);
  // The parts shrink together when the window is too narrow for them.
  int fixed = 0;
  for (int w : kPartWidths) fixed += w > 0 ? w : 0;
  const double shrink =
      std::min(1.0, std::max(0.3, (client.right - kPixelPartWidth) / double(fixed)));
  int edges[kPartCount];
  int x = 0;
  for (int i = 0; i < kPartCount; ++i)
    edges[i] = kPartWidths[i] < 0 ? -1 : (x += static_cast<int>(kPartWidths[i] * shrink));
  SendMessageW(status_, SB_SETPARTS, kPartCount, reinterpret_cast<LPARAM>(edges));
}

void MainWindow::SetState(const std::wstring& text) {
  stateText_ = text;
  UpdateStatus();
}

void MainWindow::UpdateStatus() {
  const auto set = [this](int part, const std::wstring& text) {
    // Only changed texts are sent, so that the bar does not flicker.
    wchar_t old[256] = {};
    if (LOWORD(SendMessageW(status_, SB_GETTEXTLENGTHW, part, 0)) < std::size(old))
      SendMessageW(status_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(old));
    if (text != old)
      SendMessageW(status_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text.c_str()));
  };
  std::wstring state = stateText_;
  if (state.empty()) {
    switch (state_) {
      case State::kNoCamera: state = Tr(Text::kStateNoCamera); break;
      case State::kStopped: state = Tr(Text::kStateStopped); break;
      case State::kLive: state = Tr(Text::kStateLive); break;
      case State::kLost: state = Tr(Text::kStateLost); break;
      case State::kRecording: {
        const auto clock = [](ULONGLONG seconds) {
          wchar_t t[32];
          swprintf(t, 32, L"%u:%02u", static_cast<unsigned>(seconds / 60),
                   static_cast<unsigned>(seconds % 60));
          return std::wstring(t);
        };
        const std::wstring elapsed = clock((GetTickCount64() - recordStart_) / 1000);
        wchar_t t[128];
        if (recordSeconds_ > 0)
          swprintf(t, 128, Tr(Text::kStateRecording), elapsed.c_str(),
                   clock(recordSeconds_).c_str());
        else
          swprintf(t, 128, Tr(Text::kStateRecordingOpen), elapsed.c_str());
        state = t;
        break;
      }
    }
  }
  set(kPartState, state);
  set(kPartName, camera_.Name());
  wchar_t text[128] = L"";
  if (camera_.HasDevice()) {
    swprintf(text, 128, L"%ls, %d x %d", Tr(ColorText(camera_.BitsPerPixel())),
             Korvex_Width(camera_.Handle()), Korvex_Height(camera_.Handle()));
  }
  set(kPartFormat, text);
  swprintf(text, 128, Tr(Text::kRate), shownRate_, deliveredRate_);
  set(kPartRate, text);
  swprintf(text, 128, Tr(Text::kFrames), shown_, dropped_);
  set(kPartFrames, text);
  text[0] = 0;
  if (camera_.HasDevice() && state_ != State::kLost)
    swprintf(text, 128, Tr(Text::kExposureGain), camera_.ExposureMs(), camera_.Gain());
  set(kPartExposure, text);
  text[0] = 0;
  int v[3];
  const int channels = frame_.PixelAt(pixelX_, pixelY_, v);
  if (channels == 1)
    swprintf(text, 128, L"%d, %d: %d", pixelX_, pixelY_, v[0]);
  else if (channels == 3)
    swprintf(text, 128, L"%d, %d: R %d G %d B %d", pixelX_, pixelY_, v[0], v[1], v[2]);
  set(kPartPixel, text);
}

void MainWindow::ShowPixel(int x, int y) {
  pixelX_ = x;
  pixelY_ = y;
  UpdateStatus();
}

void MainWindow::RememberPlacement() {
  if (fullScreen_) return;
  WINDOWPLACEMENT p = {};
  p.length = sizeof p;
  if (!GetWindowPlacement(window_, &p)) return;
  settings_.left = p.rcNormalPosition.left;
  settings_.top = p.rcNormalPosition.top;
  settings_.width = p.rcNormalPosition.right - p.rcNormalPosition.left;
  settings_.height = p.rcNormalPosition.bottom - p.rcNormalPosition.top;
  settings_.maximized = p.showCmd == SW_SHOWMAXIMIZED;
  settings_.zoom = picture_.GetZoom();
  settings_.camera = camera_.Number();
}

void MainWindow::ToggleFullScreen() {
  if (!fullScreen_) {
    GetWindowRect(window_, &windowedRect_);
    windowedStyle_ = GetWindowLongPtrW(window_, GWL_STYLE);
    MONITORINFO m = {};
    m.cbSize = sizeof m;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &m);
    SetWindowLongPtrW(window_, GWL_STYLE, (windowedStyle_ & ~WS_OVERLAPPEDWINDOW) | WS_POPUP);
    SetMenu(window_, nullptr);
    fullScreen_ = true;
    ShowWindow(toolbar_, SW_HIDE);
    ShowWindow(status_, SW_HIDE);
    SetWindowPos(window_, HWND_TOP, m.rcMonitor.left, m.rcMonitor.top,
                 m.rcMonitor.right - m.rcMonitor.left, m.rcMonitor.bottom - m.rcMonitor.top,
                 SWP_FRAMECHANGED | SWP_SHOWWINDOW);
  } else {
    fullScreen_ = false;
    SetWindowLongPtrW(window_, GWL_STYLE, windowedStyle_);
    ShowWindow(toolbar_, SW_SHOW);
    ShowWindow(status_, SW_SHOW);
    BuildMenu();
    const RECT& r = windowedRect_;
    SetWindowPos(window_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_FRAMECHANGED | SWP_NOZORDER | SWP_SHOWWINDOW);
  }
  Layout();
}

void MainWindow::OnCommand(int id) {
  if (id >= kCmdCameraFirst && id < kCmdCameraFirst + 32) {
    SwitchCamera(id - kCmdCameraFirst);
    return;
  }
  switch (id) {
    case kCmdSnapshot: Snapshot(); break;
    case kCmdRecord:
      if (state_ == State::kRecording)
        StopRecording();
      else
        StartRecording();
      break;
    case kCmdStopRecording:
      if (state_ == State::kRecording) StopRecording();
      break;
    case kCmdRecordUntilStopped: settings_.recordSeconds = 0; break;
    case kCmdRecord10: settings_.recordSeconds = 10; break;
    case kCmdRecord30: settings_.recordSeconds = 30; break;
    case kCmdRecord60: settings_.recordSeconds = 60; break;
    case kCmdExit: PostMessageW(window_, WM_CLOSE, 0, 0); break;
    case kCmdLive:
      if (state_ == State::kLive)
        StopLive();
      else if (state_ == State::kStopped)
        StartLive();
      break;
    case kCmdZoomFit: picture_.SetZoom(Zoom::kFit); break;
    case kCmdZoom100: picture_.SetZoom(Zoom::k100); break;
    case kCmdZoom50: picture_.SetZoom(Zoom::k50); break;
    case kCmdZoom25: picture_.SetZoom(Zoom::k25); break;
    case kCmdZoomCycle: picture_.SetZoom(NextZoom(picture_.GetZoom())); break;
    case kCmdHistogram:
      settings_.histogram = !settings_.histogram;
      if (settings_.histogram) histogramPanel_.Show(histogram_ = CountHistogram(frame_));
      ShowWindow(histogramPanel_.Window(), settings_.histogram ? SW_SHOW : SW_HIDE);
      Layout();
      break;
    case kCmdLogScale:
      settings_.logScale = !settings_.logScale;
      histogramPanel_.SetLogScale(settings_.logScale);
      break;
    case kCmdClipping:
      settings_.clipping = !settings_.clipping;
      picture_.SetClipping(settings_.clipping);
      break;
    case kCmdFullScreen: ToggleFullScreen(); break;
    case kCmdLeaveFullScreen:
      if (fullScreen_) ToggleFullScreen();
      break;
    case kCmdReconnect: TryReconnect(); break;
    case kCmdCameraDialog:
    case kCmdAnalogDialog:
    case kCmdImageDialog: RunDialog(id); break;
    case kCmdUnplug: simulator_.Unplug(camera_.Number()); break;
    case kCmdPlug: simulator_.Plug(camera_.Number()); break;
    case kCmdFastPace:
      fastPace_ = !fastPace_;
      simulator_.SetFastPace(fastPace_);
      break;
    case kCmdAbout: ShowAbout(); break;
    default: break;
  }
  UpdateMenuChecks();
  UpdateStatus();
}

}  // namespace korvex::viewer
