// The bitmap surface seam on top of the host library.
#include "platform/gdi.h"

#include "korvex/host_gdi.h"

#include <cstddef>

namespace korvex::platform {
namespace {

static_assert(sizeof(BitmapInfoHeader) == sizeof(KorvexHostBitmapInfoHeader));
static_assert(sizeof(RgbQuad) == sizeof(KorvexHostRgbQuad));
static_assert(offsetof(BitmapInfo256, colors) == sizeof(KorvexHostBitmapInfoHeader));

KorvexHostDC ToHost(DeviceContext dc) { return reinterpret_cast<KorvexHostDC>(dc); }
KorvexHostBitmap ToHost(Bitmap bitmap) { return reinterpret_cast<KorvexHostBitmap>(bitmap); }

}  // namespace

Bitmap CreateDIBSection(const BitmapInfo256& info, void** bits) {
  return reinterpret_cast<Bitmap>(KorvexHost_CreateDIBSection(&info, bits));
}

DeviceContext CreateCompatibleDC(DeviceContext dc) {
  return reinterpret_cast<DeviceContext>(KorvexHost_CreateCompatibleDC(ToHost(dc)));
}

Bitmap SelectObject(DeviceContext dc, Bitmap bitmap) {
  return reinterpret_cast<Bitmap>(KorvexHost_SelectObject(ToHost(dc), ToHost(bitmap)));
}

bool DeleteDC(DeviceContext dc) { return KorvexHost_DeleteDC(ToHost(dc)) != 0; }

bool DeleteObject(Bitmap bitmap) { return KorvexHost_DeleteObject(ToHost(bitmap)) != 0; }

int SetDIBColorTable(DeviceContext dc, int start, int count, const RgbQuad* colors) {
  return KorvexHost_SetDIBColorTable(ToHost(dc), start, count,
                                     reinterpret_cast<const KorvexHostRgbQuad*>(colors));
}

bool BitBlt(DeviceContext target, int x, int y, int width, int height, DeviceContext source,
            int sourceX, int sourceY, uint32_t rop) {
  return KorvexHost_BitBlt(ToHost(target), x, y, width, height, ToHost(source), sourceX, sourceY,
                           rop) != 0;
}

bool StretchBlt(DeviceContext target, int x, int y, int width, int height, DeviceContext source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, uint32_t rop) {
  return KorvexHost_StretchBlt(ToHost(target), x, y, width, height, ToHost(source), sourceX,
                               sourceY, sourceWidth, sourceHeight, rop) != 0;
}

}  // namespace korvex::platform
