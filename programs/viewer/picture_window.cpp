#include "picture_window.h"

#include <windowsx.h>

#include <algorithm>

namespace korvex::viewer {
namespace {

constexpr wchar_t kClass[] = L"KorvexViewerPicture";
constexpr int kLostFrameWidth = 6;
constexpr COLORREF kLostColour = RGB(230, 0, 0);

}  // namespace

PictureWindow::~PictureWindow() {
  if (bitmap_) DeleteObject(bitmap_);
}

bool PictureWindow::Create(HWND parent, int id) {
  WNDCLASSW c{};
  c.lpfnWndProc = Proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hCursor = LoadCursor(nullptr, IDC_CROSS);
  c.lpszClassName = kClass;
  RegisterClassW(&c);  // fails harmlessly when registered before
  window_ =
      CreateWindowExW(0, kClass, L"", WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, 0, 0, 1, 1,
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), c.hInstance, this);
  return window_ != nullptr;
}

LRESULT CALLBACK PictureWindow::Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCCREATE) {
    auto* self = static_cast<PictureWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = w;
  }
  auto* self = reinterpret_cast<PictureWindow*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  return self ? self->Handle(m, wp, lp) : DefWindowProcW(w, m, wp, lp);
}

LRESULT PictureWindow::Handle(UINT m, WPARAM wp, LPARAM lp) {
  switch (m) {
    case WM_SIZE: Resize(); return 0;
    case WM_ERASEBKGND: return 1;  // the bitmap covers everything
    case WM_PAINT: Paint(); return 0;
    case WM_HSCROLL: Scroll(SB_HORZ, LOWORD(wp)); return 0;
    case WM_VSCROLL: Scroll(SB_VERT, LOWORD(wp)); return 0;
    case WM_MOUSEWHEEL:
      Scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wp) > 0 ? SB_LINEUP : SB_LINEDOWN);
      return 0;
    case WM_MOUSEMOVE: {
      int x = -1, y = -1;
      if (frame_ == nullptr || !ImagePointAt(placement_, frame_->width, frame_->height,
                                             GET_X_LPARAM(lp), GET_Y_LPARAM(lp), &x, &y))
        x = y = -1;
      if (mouseMoved) mouseMoved(x, y);
      TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, window_, 0};
      TrackMouseEvent(&t);
      return 0;
    }
    case WM_MOUSELEAVE:
      if (mouseMoved) mouseMoved(-1, -1);
      return 0;
    default: return DefWindowProcW(window_, m, wp, lp);
  }
}

void PictureWindow::Resize() {
  RECT r;
  GetClientRect(window_, &r);
  const int width = std::max<int>(1, r.right), height = std::max<int>(1, r.bottom);
  if (bitmap_ && bits_.width == width && bits_.height == height) return;
  if (bitmap_) DeleteObject(bitmap_);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first, as the renderer writes
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = {static_cast<uint8_t*>(bits), width, height, (width * 3 + 3) & ~3};
  if (!bitmap_) bits_ = {};
  Refresh();
}

void PictureWindow::Show(const Frame& frame) {
  frame_ = &frame;
  Refresh();
  UpdateWindow(window_);  // paint now: posted frame messages would starve WM_PAINT
}

void PictureWindow::Refresh() {
  if (!bits_.bits) return;
  const int w = frame_ ? frame_->width : 0, h = frame_ ? frame_->height : 0;
  placement_ = Place(w, h, bits_.width, bits_.height, zoom_, scrollX_, scrollY_);
  UpdateScrollBars();
  static const Frame kNone;
  Render(frame_ && message_.empty() ? *frame_ : kNone, placement_, clipping_, bits_);
  InvalidateRect(window_, nullptr, FALSE);
}

void PictureWindow::UpdateScrollBars() {
  const int w = frame_ ? frame_->width : 0, h = frame_ ? frame_->height : 0;
  const double scale = placement_.scale > 0 ? placement_.scale : 1.0;
  const auto set = [this, scale](int bar, int imageSize, int clientSize, int& scroll) {
    SCROLLINFO s = {};
    s.cbSize = sizeof s;
    s.fMask = SIF_ALL | SIF_DISABLENOSCROLL;
    const int page = static_cast<int>(clientSize / scale);
    const bool needed = zoom_ != Zoom::kFit && imageSize > page;
    scroll = needed ? std::clamp(scroll, 0, imageSize - page) : 0;
    s.nMin = 0;
    s.nMax = needed ? imageSize - 1 : 0;
    s.nPage = needed ? page : 1;
    s.nPos = scroll;
    SetScrollInfo(window_, bar, &s, TRUE);
    ShowScrollBar(window_, bar, needed);
  };
  set(SB_HORZ, w, bits_.width, scrollX_);
  set(SB_VERT, h, bits_.height, scrollY_);
}

void PictureWindow::Scroll(int bar, int code) {
  SCROLLINFO s = {};
  s.cbSize = sizeof s;
  s.fMask = SIF_ALL;
  if (!GetScrollInfo(window_, bar, &s)) return;
  int& pos = bar == SB_HORZ ? scrollX_ : scrollY_;
  const int line = std::max(1, static_cast<int>(s.nPage) / 10);
  switch (code) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= s.nPage; break;
    case SB_PAGEDOWN: pos += s.nPage; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = s.nTrackPos; break;
    case SB_TOP: pos = 0; break;
    case SB_BOTTOM: pos = s.nMax; break;
    default: return;
  }
  Refresh();
}

void PictureWindow::SetZoom(Zoom zoom) {
  zoom_ = zoom;
  Refresh();
}

void PictureWindow::SetClipping(bool on) {
  clipping_ = on;
  Refresh();
}

void PictureWindow::SetLost(bool lost) {
  lost_ = lost;
  InvalidateRect(window_, nullptr, FALSE);
}

void PictureWindow::SetMessage(const std::wstring& message) {
  message_ = message;
  Refresh();
}

void PictureWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  if (bitmap_) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap_);
    BitBlt(dc, 0, 0, bits_.width, bits_.height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  if (lost_ && placement_.width > 0) {
    // The frozen picture inside a red frame: the camera is gone.
    HBRUSH red = CreateSolidBrush(kLostColour);
    RECT r{std::max(0, placement_.left), std::max(0, placement_.top),
           std::min(bits_.width, placement_.left + placement_.width),
           std::min(bits_.height, placement_.top + placement_.height)};
    for (int i = 0; i < kLostFrameWidth; ++i) {
      FrameRect(dc, &r, red);
      InflateRect(&r, -1, -1);
    }
    DeleteObject(red);
  }
  if (!message_.empty()) {
    RECT r{20, 20, bits_.width - 20, bits_.height - 20};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(240, 240, 240));
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    DrawTextW(dc, message_.c_str(), -1, &r, DT_CENTER | DT_WORDBREAK);
    SelectObject(dc, old);
  }
  EndPaint(window_, &ps);
}

}  // namespace korvex::viewer
