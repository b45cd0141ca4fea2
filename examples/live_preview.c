/* live_preview: runs the live picture and counts the frames it is notified
 * of, copying each one into the program's own buffer.
 *
 * The safe pattern: start the preview with no buffer of your own and, when a
 * frame notification arrives, copy the newest image with Korvex_GetImage,
 * which copies under the camera's frame lock. (A buffer given to
 * Korvex_CallBackPreview is rewritten by every new frame, even while the
 * program is still reading it after a notification.)
 *
 * Usage: live_preview [frames]      (default: 20) */
#include <stdio.h>
#include <stdlib.h>

#include "KorvexSdk_740K3_XLN.h"
#include "notify_window.h" /* the window the SDK notifies */

int main(int argc, char** argv) {
  const int wanted = argc > 1 ? atoi(argv[1]) : 20;
  KORVEX_HWND window = OpenNotifyWindow();
  KORVEX_HANDLE camera = Korvex_Initialize(window);
  if (camera == 0) {
    CloseNotifyWindow(window);
    return 1;
  }
  Korvex_SetColorMode(camera, 24);

  /* A 24-bit image: rows of 3 bytes per pixel, padded to a multiple of 4. */
  const int width = Korvex_Width(camera), height = Korvex_Height(camera);
  const int stride = (width * 3 + 3) & ~3;
  const int size = stride * height;
  unsigned char* image = malloc((size_t)size);

  /* No display window (this program only counts); frame notifications go to
   * our window and the library copies nothing. */
  Korvex_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);
  if (image == NULL || !Korvex_CallBackPreview(camera, window, NULL, 0, 1)) {
    fprintf(stderr, "cannot start the preview (error code %u)\n", Korvex_GetLastError(camera));
    free(image);
    Korvex_Release(camera);
    CloseNotifyWindow(window);
    return 1;
  }

  int frames = 0, failed = 0;
  unsigned rate = 0;
  while (frames < wanted && !failed) {
    Notification message;
    if (!WaitNotification(window, &message, 6000)) {
      fprintf(stderr, "no frame for 6 seconds\n");
      failed = 1;
    } else if (message.message == KORVEX_WM_FRAME && message.wParam == 0) {
      fprintf(stderr, "frame error %ld\n", (long)message.lParam); /* wParam 0: an error */
      failed = message.lParam == KORVEX_ERR_STREAM_ENDED;
    } else if (message.message == KORVEX_WM_FRAME) {
      const KORVEX_FRAME_INFO* info = (const KORVEX_FRAME_INFO*)message.wParam;
      rate = info->frameRate; /* frames per 10 seconds */
      if (Korvex_GetImage(camera, image, size, 1)) {
        ++frames;
        const unsigned char* centre = image + (size_t)(height / 2) * stride + (width / 2) * 3;
        printf("frame %d: centre pixel B %u G %u R %u\n", frames, centre[0], centre[1], centre[2]);
      }
    }
  }
  Korvex_StopPreview(camera);
  printf("%d frames copied, %.1f frames per second\n", frames, rate / 10.0);
  free(image);
  Korvex_Release(camera);
  CloseNotifyWindow(window);
  return failed ? 1 : 0;
}
