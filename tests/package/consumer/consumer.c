/* A tiny application of the installed SDK: it includes both public headers,
 * links both libraries and opens the simulated camera. */
#include <stdio.h>

#include <KorvexSdk_740K3_XLN.h>
#include <korvex/host.h>

int main(void) {
  KorvexHostWindow window = KorvexHost_CreateMessageWindow();
  KORVEX_HANDLE camera = Korvex_Initialize((KORVEX_HWND)window);
  const int width = Korvex_Width(camera);
  printf("version %u, camera image %d pixels wide\n", Korvex_GetDllVersion(), width);
  Korvex_Release(camera);
  KorvexHost_DestroyWindow(window);
  return camera != 0 && width > 0 && Korvex_GetDllVersion() == KORVEX_DLL_VERSION ? 0 : 1;
}
