/* triggered_capture: puts the camera in trigger mode, where it delivers one
 * frame per pulse on its trigger input, and takes three frames. The
 * simulated camera's trigger input is pulsed by KorvexHost_SimTrigger; with
 * a real camera the pulses come from the wiring.
 *
 * Usage: triggered_capture */
#include <stdio.h>
#include <stdlib.h>

#include "KorvexSdk_740K3_XLN.h"
#include "notify_window.h" /* the window the SDK notifies */

enum { kFrames = 3, kWaitMs = 5000 };

/* One pulse on camera 0's trigger input of the simulated cameras. On Linux
 * the host library always has them. On Windows they are korvexsim.dll, which
 * the SDK loads only when KORVEX_SIMULATED_CAMERAS is set: without it the
 * program waits for pulses from the wiring. */
#ifdef _WIN32
static void PulseSimulatedTrigger(void) {
  typedef int (*SimTrigger)(int index);
  HMODULE simulator = GetModuleHandleA("korvexsim.dll");
  SimTrigger trigger = simulator != NULL
                           ? (SimTrigger)(void*)GetProcAddress(simulator, "KorvexHost_SimTrigger")
                           : NULL;
  if (trigger != NULL) trigger(0);
}
#else
static void PulseSimulatedTrigger(void) { KorvexHost_SimTrigger(0); }
#endif

int main(void) {
  KORVEX_HWND window = OpenNotifyWindow();
  KORVEX_HANDLE camera = Korvex_Initialize(window);
  if (camera == 0) {
    CloseNotifyWindow(window);
    return 1;
  }
  Korvex_SetColorMode(camera, 8); /* 8-bit gray: one byte per pixel */

  const int width = Korvex_Width(camera), height = Korvex_Height(camera);
  const int stride = (width + 3) & ~3;
  const int size = stride * height;
  unsigned char* image = malloc((size_t)size);
  Korvex_SetPreviewWindow(camera, NULL, 0, 0, 0, 0); /* no display window */
  if (image == NULL || !Korvex_Trigger(camera, window, NULL, 0, 1)) {
    fprintf(stderr, "cannot enter trigger mode (error code %u)\n", Korvex_GetLastError(camera));
    free(image);
    Korvex_Release(camera);
    CloseNotifyWindow(window);
    return 1;
  }

  int frames = 0;
  for (int pulse = 0; pulse < kFrames; ++pulse) {
    PulseSimulatedTrigger();
    Notification message;
    int got = 0;
    while (!got && WaitNotification(window, &message, kWaitMs)) {
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
  CloseNotifyWindow(window);
  return frames == kFrames ? 0 : 1;
}
