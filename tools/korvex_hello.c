/* korvex_hello: opens the camera through the shared SDK and reports what it
 * knows (library version, present cameras, camera information, the stored
 * settings it came up with), takes a colour snapshot with automatic white
 * balance and writes it as a PPM file, and prints its error history. On
 * Linux the camera is the host library's simulated one.
 *
 * Usage: korvex_hello [snapshot.ppm] */
#include <stdio.h>
#include <stdlib.h>

#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"

static void PrintErrors(KORVEX_HANDLE camera) {
  unsigned code;
  int any = 0;
  printf("error history (newest first):");
  while ((code = Korvex_GetLastError(camera)) != 0) {
    printf(" %u", code);
    any = 1;
  }
  printf(any ? "\n" : " empty\n");
}

/* Writes a 24-bit image (blue, green, red; rows padded to 4 bytes, top row
 * first) as a binary PPM. */
static int WritePpm(const char* path, const unsigned char* bgr, int width, int height, int stride) {
  FILE* file = fopen(path, "wb");
  if (!file) return 0;
  fprintf(file, "P6\n%d %d\n255\n", width, height);
  unsigned char* row = malloc((size_t)width * 3);
  for (int y = 0; row && y < height; ++y) {
    const unsigned char* in = bgr + (size_t)y * stride;
    for (int x = 0; x < width; ++x) {
      row[3 * x] = in[3 * x + 2];
      row[3 * x + 1] = in[3 * x + 1];
      row[3 * x + 2] = in[3 * x];
    }
    fwrite(row, 1, (size_t)width * 3, file);
  }
  free(row);
  return fclose(file) == 0 && row != NULL;
}

int main(int argc, char** argv) {
  const char* snapshotPath = argc > 1 ? argv[1] : "snapshot.ppm";
  KorvexHostWindow window = KorvexHost_CreateMessageWindow();
  KORVEX_HANDLE camera = Korvex_Initialize((KORVEX_HWND)window);
  unsigned version = Korvex_GetDllVersion();
  printf("KorvexSdk_740K3_XLN version %u.%u.%u.%u\n", version >> 24, (version >> 16) & 0xFF,
         (version >> 8) & 0xFF, version & 0xFF);
  if (camera == 0) {
    printf("no camera object could be created\n");
    return 1;
  }

  char names[10][256];
  int present = Korvex_EnumDevice(camera, &names[0][0]);
  printf("cameras present: %d\n", present);
  for (int i = 0; i < present && i < 10; ++i) printf("  %s\n", names[i]);

  KORVEX_CAMERA_INFO info = {sizeof info, 0, 0, 0, 0, 0, 0, 0, 0};
  if (Korvex_GetCameraInfo(camera, &info))
    printf("largest image %u x %u, gain %u..%u, exposure %u..%u lines\n", info.maxWidth,
           info.maxHeight, info.gainMin, info.gainMax, info.exposureMin, info.exposureMax);

  int ok = 0;
  printf("image %d x %d, colour mode %d, wait time %d ms\n", Korvex_Width(camera),
         Korvex_Height(camera), Korvex_GetColorMode(camera), Korvex_GetWaitTime(camera));
  printf("global gain %d, exposure %d lines = %d us\n", Korvex_GetGlobalGain(camera, NULL),
         Korvex_GetExposureTime(camera, NULL), Korvex_GetRealExposureTime(camera, &ok));
  printf("white balance R %d G %d B %d %%, gamma %d, Bayer mode %d\n",
         Korvex_GetBayerGainRed(camera, NULL), Korvex_GetBayerGainGreen(camera, NULL),
         Korvex_GetBayerGainBlue(camera, NULL), Korvex_GetGamma(camera, NULL),
         Korvex_GetBayerMode(camera, NULL));

  printf("serial ROM identification:");
  for (int i = 0; i < 8; ++i) printf(" %02X", Korvex_ReadSromID(camera, i, &ok) & 0xFF);
  printf("\n");

  /* A colour snapshot, balanced once on this frame. */
  Korvex_SetColorMode(camera, 24);
  Korvex_SetBayerGainAuto(camera, 1);
  const int width = Korvex_Width(camera), height = Korvex_Height(camera);
  const int stride = (width * 3 + 3) & ~3;
  unsigned char* image = malloc((size_t)stride * height);
  if (image && Korvex_SnapShot(camera, image, stride * height, 1)) {
    printf("snapshot %d x %d, white balance now R %d G %d B %d %%\n", width, height,
           Korvex_GetBayerGainRed(camera, NULL), Korvex_GetBayerGainGreen(camera, NULL),
           Korvex_GetBayerGainBlue(camera, NULL));
    if (WritePpm(snapshotPath, image, width, height, stride))
      printf("written to %s\n", snapshotPath);
  } else {
    printf("no snapshot\n");
  }
  free(image);
  Korvex_SetBayerGainAuto(camera, 0);

  KorvexHostMessage message;
  while (KorvexHost_GetMessage(window, &message, 0)) {
    if (message.message == KORVEX_WM_ERROR)
      printf("notification: error %ld\n", (long)message.lParam);
  }
  PrintErrors(camera);
  Korvex_Release(camera);
  KorvexHost_DestroyWindow(window);
  return 0;
}
