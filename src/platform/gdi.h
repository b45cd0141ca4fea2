// Bitmap surfaces: device-independent bitmap sections, memory device
// contexts, colour tables and the bit-block transfers between them, shaped
// like the Windows graphics functions.
#pragma once

#include <cstdint>

namespace korvex::platform {

// The bitmap-information header (the platform's 40-byte layout, which is
// also the information header of a BMP file).
#pragma pack(push, 2)
struct BitmapInfoHeader {
  uint32_t biSize = 40;
  int32_t biWidth = 0;
  int32_t biHeight = 0;  // positive: bottom-up rows
  uint16_t biPlanes = 0;
  uint16_t biBitCount = 0;
  uint32_t biCompression = 0;  // 0: uncompressed RGB
  uint32_t biSizeImage = 0;
  int32_t biXPelsPerMeter = 0;
  int32_t biYPelsPerMeter = 0;
  uint32_t biClrUsed = 0;
  uint32_t biClrImportant = 0;
};
#pragma pack(pop)
static_assert(sizeof(BitmapInfoHeader) == 40);

struct RgbQuad {
  uint8_t rgbBlue = 0;
  uint8_t rgbGreen = 0;
  uint8_t rgbRed = 0;
  uint8_t rgbReserved = 0;
};
static_assert(sizeof(RgbQuad) == 4);

// A header followed by a full colour table.
struct BitmapInfo256 {
  BitmapInfoHeader header;
  RgbQuad colors[256];
};
static_assert(sizeof(BitmapInfo256) == 40 + 1024);

struct DcTag;
struct BitmapTag;
using DeviceContext = DcTag*;
using Bitmap = BitmapTag*;

inline constexpr uint32_t kSrcCopy = 0x00CC0020u;

// A bitmap section described by `info` (uncompressed, 8, 16, 24, 32, 48 or
// 64 bits; colour table used for 8 bits), zero-filled. *bits receives its
// memory. Null on failure.
Bitmap CreateDIBSection(const BitmapInfo256& info, void** bits);
// A memory device context compatible with `dc` (null: the screen).
DeviceContext CreateCompatibleDC(DeviceContext dc);
// Selects a bitmap into a DC; returns the bitmap it held before, null on failure.
Bitmap SelectObject(DeviceContext dc, Bitmap bitmap);
bool DeleteDC(DeviceContext dc);
bool DeleteObject(Bitmap bitmap);
// Sets entries of the colour table of the 8-bit section selected into `dc`;
// returns the number of entries set.
int SetDIBColorTable(DeviceContext dc, int start, int count, const RgbQuad* colors);
// Copies a rectangle between DCs, converting between depths (an 8-bit source
// goes through its colour table). Coordinates are the DCs' own: row 0 is the
// top row of the picture the DC shows.
bool BitBlt(DeviceContext target, int x, int y, int width, int height, DeviceContext source,
            int sourceX, int sourceY, uint32_t rop);
// The same with scaling; a negative extent mirrors along that axis.
bool StretchBlt(DeviceContext target, int x, int y, int width, int height, DeviceContext source,
                int sourceX, int sourceY, int sourceWidth, int sourceHeight, uint32_t rop);

}  // namespace korvex::platform
