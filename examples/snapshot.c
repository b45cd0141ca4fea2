/* snapshot: opens the camera, takes one colour picture with white balance
 * measured on that frame, and saves it as a PNG file.
 *
 * Usage: snapshot [file.png]        (default: snapshot.png) */
#include <stdio.h>

#include "KorvexSdk_740K3_XLN.h"
#include "notify_window.h" /* the window the SDK notifies */

/* Prints the reasons the camera recorded for a failure, newest first. */
static void PrintErrors(KORVEX_HANDLE camera) {
  unsigned code;
  while ((code = Korvex_GetLastError(camera)) != 0) fprintf(stderr, "  error code %u\n", code);
}

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "snapshot.png";
  KORVEX_HWND window = OpenNotifyWindow();
  KORVEX_HANDLE camera = Korvex_Initialize(window);
  if (camera == 0) {
    fprintf(stderr, "no camera object\n");
    CloseNotifyWindow(window);
    return 1;
  }
  int result = 1;
  Korvex_SetColorMode(camera, 24);    /* 24-bit colour */
  Korvex_SetBayerGainAuto(camera, 1); /* balance white on the frame taken */
  /* From the idle state a snapshot prepares the camera, takes one frame into
   * the camera's output image and leaves the camera idle. No buffer is
   * needed: Korvex_SaveImage writes the output image. */
  if (!Korvex_SnapShot(camera, NULL, 0, 1)) {
    fprintf(stderr, "snapshot failed\n");
    PrintErrors(camera);
  } else if (!Korvex_SaveImage(camera, path, KORVEX_SAVE_PNG)) {
    fprintf(stderr, "cannot write %s\n", path);
    PrintErrors(camera);
  } else {
    printf("%d x %d picture saved to %s\n", Korvex_Width(camera), Korvex_Height(camera), path);
    result = 0;
  }
  Korvex_Release(camera); /* stops everything and stores the settings */
  CloseNotifyWindow(window);
  return result;
}
