/* korvex_save_formats: feeds the simulated camera one fixed raw frame, takes
 * a snapshot in every colour mode and saves it in every file format through
 * the shared SDK. The same program is built for Linux and for Windows; the
 * two folders it fills must hold the same bytes.
 *
 * Usage: korvex_save_formats <folder>   (exit status 0 when every save worked) */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host_sim.h"

/* A raw frame every build computes alike: a gradient with a pattern laid
 * over it, in byte and in word samples. */
static void FillFrame(unsigned char* bytes, size_t count) {
  unsigned state = 12345u;
  for (size_t i = 0; i < count; ++i) {
    const size_t x = i % KORVEX_SIM_FRAME_WIDTH, y = i / KORVEX_SIM_FRAME_WIDTH;
    state = state * 1103515245u + 12345u;
    bytes[i] = (unsigned char)((x / 10 + y / 8 + ((state >> 16) & 15)) & 0xFF);
  }
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: korvex_save_formats <folder>\n");
    return 2;
  }
  static const int modes[] = {8, 16, 24, 32, 48, 64};
  static const struct {
    int format;
    const char* extension;
  } formats[] = {{KORVEX_SAVE_BMP, "bmp"},         {KORVEX_SAVE_RAW, "raw"},
                 {KORVEX_SAVE_JPEG_HIGH, "h.jpg"}, {KORVEX_SAVE_JPEG_MID, "m.jpg"},
                 {KORVEX_SAVE_JPEG_LOW, "l.jpg"},  {KORVEX_SAVE_PNG, "png"},
                 {KORVEX_SAVE_TIFF, "tif"}};
  const size_t frameBytes = (size_t)KORVEX_SIM_FRAME_WIDTH * KORVEX_SIM_FRAME_LINES * 2;
  unsigned char* frame = malloc(frameBytes);
  if (frame == NULL) return 1;
  FillFrame(frame, frameBytes);
  KorvexHost_SimSetFastPace(1);
  if (!KorvexHost_SimSetRawFrame(0, frame, frameBytes)) {
    fprintf(stderr, "no simulated camera at index 0\n");
    return 1;
  }
  free(frame);

  KORVEX_HANDLE camera = Korvex_Initialize(NULL);
  if (camera == 0 || !Korvex_SetPreviewWindow(camera, NULL, 0, 0, 0, 0)) return 1;
  int failures = 0;
  for (size_t m = 0; m < sizeof modes / sizeof modes[0]; ++m) {
    if (!Korvex_SetColorMode(camera, modes[m]) || !Korvex_SnapShot(camera, NULL, 0, 1)) {
      fprintf(stderr, "no snapshot in mode %d\n", modes[m]);
      ++failures;
      continue;
    }
    for (size_t f = 0; f < sizeof formats / sizeof formats[0]; ++f) {
      char path[4096];
      snprintf(path, sizeof path, "%s/mode%02d.%s", argv[1], modes[m], formats[f].extension);
      if (!Korvex_SaveImage(camera, path, formats[f].format)) {
        /* Not every depth goes into every format; record the refusal. */
        char note[4200];
        snprintf(note, sizeof note, "%s.refused", path);
        FILE* file = fopen(note, "wb");
        if (file) {
          fprintf(file, "%u\n", Korvex_GetLastError(camera));
          fclose(file);
        }
      }
    }
  }
  Korvex_Release(camera);
  return failures == 0 ? 0 : 1;
}
