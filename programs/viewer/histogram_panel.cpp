#include "histogram_panel.h"

#include "texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korvex::viewer {
namespace {

constexpr wchar_t kClass[] = L"KorvexViewerHistogram";
constexpr int kMargin = 8;
constexpr int kTextHeight = 20;

}  // namespace

bool HistogramPanel::Create(HWND parent, int id) {
  WNDCLASSW c{};
  c.lpfnWndProc = Proc;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hCursor = LoadCursor(nullptr, IDC_ARROW);
  c.lpszClassName = kClass;
  RegisterClassW(&c);
  window_ = CreateWindowExW(WS_EX_CLIENTEDGE, kClass, L"", WS_CHILD, 0, 0, 1, 1, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), c.hInstance, this);
  return window_ != nullptr;
}

LRESULT CALLBACK HistogramPanel::Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_NCCREATE) {
    auto* self = static_cast<HistogramPanel*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->window_ = w;
  }
  auto* self = reinterpret_cast<HistogramPanel*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (self && m == WM_PAINT) {
    self->Paint();
    return 0;
  }
  if (m == WM_ERASEBKGND) return 1;
  return DefWindowProcW(w, m, wp, lp);
}

void HistogramPanel::Show(const Histogram& histogram) {
  histogram_ = histogram;
  if (IsWindowVisible(window_)) {
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
  }
}

void HistogramPanel::SetLogScale(bool on) {
  logScale_ = on;
  InvalidateRect(window_, nullptr, FALSE);
}

void HistogramPanel::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_, &ps);
  RECT client;
  GetClientRect(window_, &client);
  // Drawn off screen and blitted whole, so that 30 updates a second do not
  // flicker.
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  HBRUSH background = CreateSolidBrush(RGB(24, 24, 28));
  FillRect(memory, &client, background);
  DeleteObject(background);

  const RECT plot{kMargin, kMargin, client.right - kMargin, client.bottom - kMargin - kTextHeight};
  const int plotWidth = plot.right - plot.left, plotHeight = plot.bottom - plot.top;
  const Histogram& h = histogram_;
  if (h.channels > 0 && plotWidth > 0 && plotHeight > 0) {
    uint32_t peak = 1;
    for (int c = 0; c < h.channels; ++c)
      for (uint32_t v : h.bins[c]) peak = std::max(peak, v);
    const double top = logScale_ ? std::log1p(static_cast<double>(peak)) : peak;
    static const COLORREF kColours[3] = {RGB(255, 70, 70), RGB(70, 230, 70), RGB(90, 140, 255)};
    for (int c = 0; c < h.channels; ++c) {
      HPEN pen = CreatePen(PS_SOLID, 1, h.channels == 1 ? RGB(220, 220, 220) : kColours[c]);
      HGDIOBJ oldPen = SelectObject(memory, pen);
      POINT points[256];
      for (int i = 0; i < 256; ++i) {
        const double v = logScale_ ? std::log1p(static_cast<double>(h.bins[c][i]))
                                   : static_cast<double>(h.bins[c][i]);
        points[i].x = plot.left + i * (plotWidth - 1) / 255;
        points[i].y = plot.bottom - 1 - static_cast<int>(v / top * (plotHeight - 1));
      }
      Polyline(memory, points, 256);
      SelectObject(memory, oldPen);
      DeleteObject(pen);
    }
    wchar_t text[64];
    swprintf(
        text, 64, Tr(Text::kClipped),
        h.pixels ? 100.0 * static_cast<double>(h.clipped) / static_cast<double>(h.pixels) : 0.0);
    SetBkMode(memory, TRANSPARENT);
    SetTextColor(memory, h.clipped ? RGB(255, 0, 255) : RGB(200, 200, 200));
    HGDIOBJ oldFont = SelectObject(memory, GetStockObject(DEFAULT_GUI_FONT));
    TextOutW(memory, plot.left, plot.bottom + 4, text, static_cast<int>(wcslen(text)));
    SelectObject(memory, oldFont);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(window_, &ps);
}

}  // namespace korvex::viewer
