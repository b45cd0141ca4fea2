// The histogram panel beside the picture: one curve per channel of the
// latest shown frame, linear or logarithmic, and the share of clipped pixels.
#pragma once

#include "histogram.h"

#include <windows.h>

namespace korvex::viewer {

class HistogramPanel {
 public:
  bool Create(HWND parent, int id);
  HWND Window() const { return window_; }
  void Show(const Histogram& histogram);
  void SetLogScale(bool on);

 private:
  static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp);
  void Paint();

  HWND window_ = nullptr;
  Histogram histogram_{};
  bool logScale_ = false;
};

}  // namespace korvex::viewer
