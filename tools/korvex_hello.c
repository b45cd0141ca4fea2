/* korvex_hello: opens the camera through the shared SDK and reports what it
 * knows: library version, present cameras, camera information, the stored
 * settings it came up with, and its error history. On Linux the camera is
 * the host library's simulated one. */
#include <stdio.h>

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

int main(void) {
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
