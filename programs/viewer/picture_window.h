// The child window that shows the live picture: the viewer renders each
// shown frame into a display bitmap of the window's size (render.h) and the
// window blits it, with scroll bars while a fixed zoom makes the picture
// larger than the window, and a red frame around it while the camera is
// lost. Mouse moves are reported to the owner as image points.
#pragma once

#include "frame.h"
#include "render.h"

#include <windows.h>

#include <functional>
#include <string>

namespace korvex::viewer {

class PictureWindow {
 public:
  ~PictureWindow();
  bool Create(HWND parent, int id);
  HWND Window() const { return window_; }

  // Renders `frame` (kept by the caller) now and paints it at once.
  void Show(const Frame& frame);
  // Renders the last frame again (after a zoom, scroll or size change).
  void Refresh();
  void SetZoom(Zoom zoom);
  Zoom GetZoom() const { return zoom_; }
  void SetClipping(bool on);
  void SetLost(bool lost);
  // A text shown instead of a picture (no camera); empty for none.
  void SetMessage(const std::wstring& message);

  // Called with the image point under the mouse, or (-1, -1) when the mouse
  // leaves the picture.
  std::function<void(int x, int y)> mouseMoved;

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT m, WPARAM wp, LPARAM lp);
  void Resize();
  void UpdateScrollBars();
  void Scroll(int bar, int code);
  void Paint();

  HWND window_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  DisplayBitmap bits_{};
  const Frame* frame_ = nullptr;
  Placement placement_{};
  Zoom zoom_ = Zoom::kFit;
  int scrollX_ = 0, scrollY_ = 0;
  bool clipping_ = false;
  bool lost_ = false;
  std::wstring message_;
};

}  // namespace korvex::viewer
