// How many simulated cameras the driver serves instead of the real devices:
// the environment variable KORVEX_SIMULATED_CAMERAS as a number from 1 to 32.
#pragma once

namespace korvex::platform {

inline constexpr const char* kSimulatedCamerasVariable = "KORVEX_SIMULATED_CAMERAS";
inline constexpr int kMaxSimulatedCameras = 32;
// The companion library that holds the simulated cameras on Windows.
inline constexpr const char* kSimulatorLibrary = "korvexsim.dll";

// The number the variable holds, or 0 when it is unset, not a whole decimal
// number, or outside 1..32.
int ParseSimulatedCameras(const char* text);
// ParseSimulatedCameras of the variable's value now.
int SimulatedCamerasRequested();

}  // namespace korvex::platform
