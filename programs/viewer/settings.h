// What the viewer remembers per user, under the SDK's registry key in the
// subkey "Viewer" (HKEY_CURRENT_USER\Software\Quorel\Korvex740K3XLNSdk
// plus \Viewer): window place and size, last camera, zoom, panels, last folder
// and recording length. A missing or unreadable value keeps its default;
// nothing is saved before the SDK has made its own key.
#pragma once

#include "render.h"

#include <string>

namespace korvex::viewer {

struct ViewerSettings {
  int left = -1, top = -1, width = 1024, height = 768;  // left -1: let Windows place it
  bool maximized = false;
  int camera = 0;
  Zoom zoom = Zoom::kFit;
  bool histogram = false;
  bool logScale = false;
  bool clipping = false;
  std::wstring folder;     // last folder of a Save As; empty: the documents folder
  int recordSeconds = 10;  // 0: until stopped
  int imageFormat = 5;     // last snapshot format, a KORVEX_SAVE_* code
};

ViewerSettings LoadSettings();
void SaveSettings(const ViewerSettings& settings);

}  // namespace korvex::viewer
