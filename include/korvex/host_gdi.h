/*
 * korvex/host_gdi.h - bitmap surfaces.
 *
 * Device-independent bitmap sections, memory device contexts, colour tables
 * and bit-block transfers, shaped like the Windows graphics functions.
 *
 * Pixel formats (uncompressed): 8 bits = index into the section's colour
 * table; 16 bits = X1R5G5B5; 24 bits = B, G, R; 32 bits = B, G, R, X;
 * 48 bits = B, G, R as 16-bit words; 64 bits = B, G, R, X as 16-bit words.
 * A positive header height means bottom-up rows (the last memory row is the
 * top of the picture), a negative one top-down rows.
 *
 * Device coordinates: (0, 0) is the top-left pixel of the picture the DC
 * shows. Transfers between different formats go through colour: 8-bit
 * sources through their colour table, 5-bit channels widen as (v << 3) |
 * (v >> 2), 8-bit channels widen to 16 bits as v * 257 and 16-bit channels
 * narrow to 8 bits as v >> 8; an 8-bit target takes the nearest colour of its
 * table (the first of equally near ones). The unused fourth channel of 32-
 * and 64-bit targets is written 0. Between equal formats (8-bit ones with
 * equal colour tables) the pixels are copied unchanged.
 */
#ifndef KORVEX_HOST_GDI_H
#define KORVEX_HOST_GDI_H

#include "korvex/host_base.h"

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 2)
typedef struct KorvexHostBitmapInfoHeader {
  uint32_t biSize; /* 40 */
  int32_t biWidth;
  int32_t biHeight;
  uint16_t biPlanes; /* 1 */
  uint16_t biBitCount;
  uint32_t biCompression; /* 0: uncompressed */
  uint32_t biSizeImage;
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed; /* colour table entries of an 8-bit section; 0 = 256 */
  uint32_t biClrImportant;
} KorvexHostBitmapInfoHeader;
#pragma pack(pop)

typedef struct KorvexHostRgbQuad {
  uint8_t rgbBlue;
  uint8_t rgbGreen;
  uint8_t rgbRed;
  uint8_t rgbReserved;
} KorvexHostRgbQuad;

typedef struct KorvexDC_* KorvexHostDC;
typedef struct KorvexBitmap_* KorvexHostBitmap;

typedef struct KorvexHostBitmapDesc {
  int32_t width;
  int32_t height; /* as in the header: negative for top-down rows */
  int32_t stride; /* bytes per row, a multiple of 4 */
  int32_t bitsPerPixel;
  void* pixels;
} KorvexHostBitmapDesc;

#define KORVEX_HOST_SRCCOPY 0x00CC0020u

/* Creates a zero-filled section from a header followed by its colour table
 * (CreateDIBSection with DIB_RGB_COLORS, no file mapping). *bits receives
 * the pixel memory. Null for unsupported headers or when memory runs out. */
KORVEX_HOST_API KorvexHostBitmap KorvexHost_CreateDIBSection(const void* bitmapInfo, void** bits);
/* A memory DC (CreateCompatibleDC); dc may be null for the screen. It starts
 * with a 1 x 1 stock bitmap selected. */
KORVEX_HOST_API KorvexHostDC KorvexHost_CreateCompatibleDC(KorvexHostDC dc);
/* Selects a bitmap into a DC; returns the one it held, null on failure (a
 * section can be selected into one DC at a time). */
KORVEX_HOST_API KorvexHostBitmap KorvexHost_SelectObject(KorvexHostDC dc, KorvexHostBitmap bitmap);
KORVEX_HOST_API int KorvexHost_DeleteDC(KorvexHostDC dc);
/* Deletes a section; fails while it is selected into a DC. */
KORVEX_HOST_API int KorvexHost_DeleteObject(KorvexHostBitmap bitmap);
/* The bitmap selected into a DC. */
KORVEX_HOST_API KorvexHostBitmap KorvexHost_GetCurrentBitmap(KorvexHostDC dc);
KORVEX_HOST_API int KorvexHost_GetBitmapDesc(KorvexHostBitmap bitmap, KorvexHostBitmapDesc* desc);
/* Colour table of the 8-bit section selected into dc; return the number of
 * entries set or read (0 when the section has no colour table). */
KORVEX_HOST_API int KorvexHost_SetDIBColorTable(KorvexHostDC dc, int start, int count,
                                                const KorvexHostRgbQuad* colors);
KORVEX_HOST_API int KorvexHost_GetDIBColorTable(KorvexHostDC dc, int start, int count,
                                                KorvexHostRgbQuad* colors);
/* Copies a rectangle (only SRCCOPY). Pixels outside either bitmap are left
 * alone. Returns 1 on success. */
KORVEX_HOST_API int KorvexHost_BitBlt(KorvexHostDC target, int x, int y, int width, int height,
                                      KorvexHostDC source, int sourceX, int sourceY, uint32_t rop);
/* Copies with scaling by pixel replication; a negative extent mirrors the
 * rectangle along that axis (a source origin (0, h) with extent (w, -h)
 * flips the picture upside down). */
KORVEX_HOST_API int KorvexHost_StretchBlt(KorvexHostDC target, int x, int y, int width, int height,
                                          KorvexHostDC source, int sourceX, int sourceY,
                                          int sourceWidth, int sourceHeight, uint32_t rop);

/* Fault injection for tests: while a bit is set the matching call fails. */
#define KORVEX_HOST_GDI_FAIL_SECTION 1u
#define KORVEX_HOST_GDI_FAIL_DC 2u
#define KORVEX_HOST_GDI_FAIL_SELECT 4u
KORVEX_HOST_API void KorvexHost_SetGdiFaults(uint32_t mask);
/* For tests: 0 makes transfers take the plain pixel-by-pixel path even where
 * a faster row copy gives the same bytes. */
KORVEX_HOST_API void KorvexHost_SetGdiFastPaths(int enabled);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_HOST_GDI_H */
