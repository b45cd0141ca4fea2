/* The fixed scenario of traffic_scenario.h. */
#include "traffic_scenario.h"

#include <stdio.h>
#include <stdlib.h>

#include "KorvexSdk_740K3_XLN.h"

int KorvexRunTrafficScenario(int cameraNumber) {
  const KORVEX_HANDLE camera = Korvex_Initialize(NULL);
  if (camera == 0) return 0;
  int ok = Korvex_SetDeviceNumber(camera, cameraNumber);
  ok &= Korvex_SetPreviewWindow(camera, NULL, 0, 0, 0, 0);
  ok &= Korvex_SetColorMode(camera, 24);
  ok &= Korvex_Capture(camera);
  const size_t bytes = (size_t)Korvex_Width(camera) * (size_t)Korvex_Height(camera) * 3;
  unsigned char* image = malloc(bytes);
  ok &= image != NULL && Korvex_SnapShot(camera, image, (int)bytes, 1);
  free(image);
  ok &= Korvex_WriteRegister(camera, 0x35, 0x0123);
  ok &= Korvex_WriteRegisterEx(camera, 0x36, 0x45);
  ok &= Korvex_SetIOPort(camera, 0x5A);
  unsigned char port = 0;
  ok &= Korvex_GetIOPort(camera, &port, 0, 0) && port == 0x5A;
  ok &= Korvex_StopPreview(camera);
  ok &= Korvex_Release(camera);
  return ok;
}

void KorvexFormatTraffic(const KorvexSimTraffic* e, char* line, size_t size) {
  int n =
      snprintf(line, size, "device %d code %06X pipe %d in %u out %u returned %u result %d packet ",
               e->device, (unsigned)e->code, (int)e->pipe, (unsigned)e->inLength,
               (unsigned)e->outLength, (unsigned)e->returned, e->result);
  for (unsigned i = 0; i < e->packetLength && i < 64 && n > 0 && (size_t)n + 3 < size; ++i) {
    n += snprintf(line + n, size - (size_t)n, "%02X", e->packet[i]);
  }
}
