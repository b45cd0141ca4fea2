// Reading KORVEX_SIMULATED_CAMERAS.
#include "platform/simulated_cameras.h"

#include <cstdlib>

namespace korvex::platform {

int ParseSimulatedCameras(const char* text) {
  if (text == nullptr || *text == '\0') return 0;
  int value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return 0;
    value = value * 10 + (*c - '0');
    if (value > kMaxSimulatedCameras) return 0;
  }
  return value;
}

int SimulatedCamerasRequested() {
  return ParseSimulatedCameras(std::getenv(kSimulatedCamerasVariable));
}

}  // namespace korvex::platform
