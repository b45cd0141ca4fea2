// Drawing a frame into the viewer's own display bitmap: the placement of
// the picture in the client area for a zoom and scroll position, and the
// scaling (nearest pixel) into 24-bit display pixels with the optional
// clipped-pixel overlay. Pure functions, no windows: the picture window
// calls them and blits the result.
#pragma once

#include "frame.h"

#include <cstdint>

namespace korvex::viewer {

enum class Zoom { kFit, k100, k50, k25 };

// The next zoom of the Z key: fit, 100%, 50%, 25%, fit...
Zoom NextZoom(Zoom zoom);

// Where the picture lies on the display: display x = left + image x * scale
// (the same for y). `left` and `top` are negative while scrolled.
struct Placement {
  double scale = 1.0;
  int left = 0, top = 0;
  int width = 0, height = 0;  // the picture's size on the display
};

// Fit keeps the aspect ratio and centres; the fixed zooms centre a picture
// smaller than the client and otherwise start at the scroll position
// (image pixels at the left and top edge), kept within the picture.
Placement Place(int imageWidth, int imageHeight, int clientWidth, int clientHeight, Zoom zoom,
                int scrollX, int scrollY);

// The image pixel under display point (x, y); false outside the picture.
bool ImagePointAt(const Placement& p, int imageWidth, int imageHeight, int x, int y, int* ix,
                  int* iy);

struct DisplayBitmap {
  uint8_t* bits;  // 24-bit pixels, blue first, top row first
  int width, height, stride;
};

constexpr uint32_t kBackground = 0x342C28;  // 0xRRGGBB: the area around the picture
constexpr uint32_t kClipColour = 0xFF00FF;  // pixels at the maximum value

// Draws `frame` at `p` into `out`; the rest of `out` gets the background.
// With `showClipping`, pixels with a sample at the mode's maximum are drawn
// in kClipColour.
void Render(const Frame& frame, const Placement& p, bool showClipping, const DisplayBitmap& out);

}  // namespace korvex::viewer
