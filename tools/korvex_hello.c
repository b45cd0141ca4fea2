/* korvex_hello: opens a camera object through the shared SDK, prints the
 * library version, what the camera reports and its error history. */
#include <stdio.h>

#include "KorvexSdk_740K3_XLN.h"
#include "korvex/host.h"

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
  printf("camera handle 0x%08x, image %d x %d, colour mode %d\n", camera, Korvex_Width(camera),
         Korvex_Height(camera), Korvex_GetColorMode(camera));

  KorvexHostMessage message;
  while (KorvexHost_GetMessage(window, &message, 0)) {
    if (message.message == KORVEX_WM_ERROR)
      printf("notification: error %ld\n", (long)message.lParam);
  }
  printf("error history (newest first):");
  unsigned code;
  int any = 0;
  while ((code = Korvex_GetLastError(camera)) != 0) {
    printf(" %u", code);
    any = 1;
  }
  printf(any ? "\n" : " empty\n");
  Korvex_Release(camera);
  KorvexHost_DestroyWindow(window);
  return 0;
}
