// The bitmap surface seam on the Win32 graphics functions. Depths the
// graphics system has no sections for (48 and 64 bits) fail here; the image
// buffer then keeps its pixels in ordinary memory.
#include <windows.h>

#include "platform/gdi.h"

#include <cstddef>

namespace korvex::platform {
namespace {

static_assert(sizeof(BitmapInfoHeader) == sizeof(BITMAPINFOHEADER));
static_assert(sizeof(RgbQuad) == sizeof(RGBQUAD));
static_assert(offsetof(BitmapInfo256, colors) == offsetof(BITMAPINFO, bmiColors));
static_assert(kSrcCopy == SRCCOPY);

HDC ToWin(DeviceContext dc) { return reinterpret_cast<HDC>(dc); }
HBITMAP ToWin(Bitmap bitmap) { return reinterpret_cast<HBITMAP>(bitmap); }

}  // namespace

Bitmap CreateDIBSection(const BitmapInfo256& info, void** bits) {
  *bits = nullptr;
  const WORD depth = info.header.biBitCount;
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) return nullptr;
  HBITMAP bitmap = ::CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, bits, nullptr, 0);
  if (bitmap == nullptr) *bits = nullptr;
  return reinterpret_cast<Bitmap>(bitmap);
}

DeviceContext CreateCompatibleDC(DeviceContext dc) {
  return reinterpret_cast<DeviceContext>(::CreateCompatibleDC(ToWin(dc)));
}

Bitmap SelectObject(DeviceContext dc, Bitmap bitmap) {
  return reinterpret_cast<Bitmap>(::SelectObject(ToWin(dc), ToWin(bitmap)));
}

bool DeleteDC(DeviceContext dc) { return ::DeleteDC(ToWin(dc)) != FALSE; }

bool DeleteObject(Bitmap bitmap) { return ::DeleteObject(ToWin(bitmap)) != FALSE; }

int SetDIBColorTable(DeviceContext dc, int start, int count, const RgbQuad* colors) {
  return static_cast<int>(::SetDIBColorTable(ToWin(dc), static_cast<UINT>(start),
                                             static_cast<UINT>(count),
                                             reinterpret_cast<const RGBQUAD*>(colors)));
}

bool BitBlt(DeviceContext target, int x, int y, int width, int height, DeviceContext source,
            int sourceX, int sourceY, uint32_t rop) {
  return ::BitBlt(ToWin(target), x, y, width, height, ToWin(source), sourceX, sourceY, rop) !=
         FALSE;
}

// The seam's rectangles span from the origin to origin + extent whichever the
// sign, so (0, h) with extent -h is rows h-1 down to 0. The graphics system
// starts a mirrored span at the origin's own pixel instead, so that span is
// (h-1, -h) there: a negative extent moves the origin one pixel back.
int MirroredOrigin(int origin, int extent) { return extent < 0 ? origin - 1 : origin; }

bool StretchBlt(DeviceContext target, int x, int y, int width, int height, DeviceContext source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, uint32_t rop) {
  ::SetStretchBltMode(ToWin(target), COLORONCOLOR);
  return ::StretchBlt(ToWin(target), MirroredOrigin(x, width), MirroredOrigin(y, height), width,
                      height, ToWin(source), MirroredOrigin(sourceX, sourceWidth),
                      MirroredOrigin(sourceY, sourceHeight), sourceWidth, sourceHeight,
                      rop) != FALSE;
}

}  // namespace korvex::platform
