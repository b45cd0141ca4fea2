/* triggered_capture: puts the camera in trigger mode, where it delivers one
 * frame per pulse on its trigger input, and takes three frames. On Linux the
 * simulated camera's trigger input is pulsed by KorvexHost_SimTrigger; with
 * a real camera the pulses come from the wiring.
 *
 * Usage: triggered_capture */
#include <stdio.h>
#include <stdlib.h>

#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"

enum { kFrames = 3, kWaitMs = 5000 };

int main(void) {
  KorvexHostWindow window = KorvexHost_CreateMessageWindow();
  KORVEX_HANDLE camera = Korvex_Initialize((KORVEX_HWND)window);
  if (camera == 0) return 1;
  Korvex_SetColorMode(camera, 8); /* 8-bit gray: one byte per pixel */

  const int width = Korvex_Width(camera), height = Korvex_Height(camera);
  const int stride = (width + 3) & ~3;
  const int size = stride * height;
  unsigned char* image = malloc((size_t)size);
  Korvex_SetPreviewWindow(camera, NULL, 0, 0, 0, 0); /* no display window */
  if (image == NULL || !Korvex_Trigger(camera, (KORVEX_HWND)window, NULL, 0, 1)) {
    fprintf(stderr, "cannot enter trigger mode (error code %u)\n", Korvex_GetLastError(camera));
    free(image);
    Korvex_Release(camera);
    KorvexHost_DestroyWindow(window);
    return 1;
  }

  int frames = 0;
  for (int pulse = 0; pulse < kFrames; ++pulse) {
    KorvexHost_SimTrigger(0); /* one pulse on camera 0's trigger input */
    KorvexHostMessage message;
    int got = 0;
    while (!got && KorvexHost_GetMessage(window, &message, kWaitMs)) {
      if (message.message != KORVEX_WM_FRAME || message.wParam == 0) continue;
      /* Copy under the frame lock, as in the live preview. */
      if (Korvex_GetImage(camera, image, size, 1)) {
        long sum = 0;
        for (int x = 0; x < width; ++x) sum += image[(size_t)(height / 2) * stride + x];
        printf("trigger %d: frame with mean %ld on its middle row\n", pulse + 1, sum / width);
        got = 1;
      }
    }
    if (!got) {
      fprintf(stderr, "trigger %d: no frame within %d ms\n", pulse + 1, kWaitMs);
      break;
    }
    ++frames;
  }
  Korvex_StopPreview(camera); /* leaves trigger mode */
  printf("%d of %d triggered frames\n", frames, kFrames);
  free(image);
  Korvex_Release(camera);
  KorvexHost_DestroyWindow(window);
  return frames == kFrames ? 0 : 1;
}
