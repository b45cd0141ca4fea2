// Stored camera settings: one registry key per camera number under the
// current user, "Software\Quorel\Korvex740K3XLNSdk\Camera_NN", with the size
// presets, the video format and the gain, filter and gray groups.
//
// Every value is a REG_DWORD holding the 32-bit field unchanged (negative
// numbers in two's complement). Loads read whatever is stored as four bytes
// and do not check ranges, except that a stored "WaitTime" above INT32_MAX
// loads as INT32_MAX. Registry failures are silent: loads leave fields
// alone or apply their group's defaults, saves return 0.
#pragma once

#include "common/camera_settings.h"

#include <array>
#include <cstdint>

namespace korvex {

inline constexpr const char kSettingsRootKey[] = "Software\\Quorel\\Korvex740K3XLNSdk";
inline constexpr int kMaxSizePresets = 100;

// What the gain load applies when nothing is stored: the model's default gain
// and maximum exposure, and the model driver's current mirror flags.
struct GainDefaults {
  int32_t global = 512;
  int32_t exposure = 1014;
  int32_t vMirror = 0;
  int32_t hMirror = 0;
};

// Size group and video format of `cameraNumber`. On the very first use (no
// root key) LoadSize writes the stored defaults (Size_00 = 2560, 2560, 2560,
// 1920, 0, 0, 4; Size 0, Color 2, SubSample 0, WaitTime 1, Clock 2) and
// returns 0 without touching the record. Missing keys give 0, missing values
// leave their fields unchanged.
int LoadSize(CameraSettings& settings, int cameraNumber);
int LoadVideoFormat(CameraSettings& settings, int cameraNumber);

// Analog group. Without stored keys the defaults apply and the load still
// returns 1. A value that is missing takes the value read before it (a
// missing "Global" gives 0).
int LoadGain(CameraSettings& settings, int cameraNumber, const GainDefaults& defaults);
int SaveGain(const CameraSettings& settings, int cameraNumber);

// Image filter group (brightness to Bayer mode). Without stored keys the
// filter defaults apply (gains and gamma 100, Bayer mode 1, white balance
// flags cleared) and the load returns 0.
int LoadFilter(CameraSettings& settings, int cameraNumber);
int SaveFilter(const CameraSettings& settings, int cameraNumber);

// Gray filter fields. Without stored keys the gray defaults apply (gains 128,
// mode and offsets 0) and the load returns 0. The save needs the per-camera
// key to exist already (the filter save creates it).
int LoadGray(CameraSettings& settings, int cameraNumber);
int SaveGray(const CameraSettings& settings, int cameraNumber);

struct SizePreset {
  int32_t TH = 2560;
  int32_t TV = 2560;
  int32_t EH = 2560;
  int32_t EV = 1920;
  int32_t EHS = 0;
  int32_t EVS = 0;
  int32_t Buf = 4;
};

// The camera dialog's copy of the stored presets and per-camera values. The
// member defaults are what the dialog shows when nothing is stored.
struct PresetList {
  std::array<SizePreset, kMaxSizePresets> presets{};
  int32_t count = 0;
  int32_t size = 0;  // selected preset
  int32_t color = 2;
  int32_t subSample = 0;
  int32_t waitTime = 1;
  int32_t clock = 2;
};

// Reads Size_00 upwards to the first missing key (at most 100), then the five
// per-camera values. Returns 0 and changes nothing when the per-camera key is
// missing; missing single values leave their fields unchanged.
int LoadPresetList(PresetList& list, int cameraNumber);
// Writes presets 0 to count - 1 and then the five per-camera values,
// creating keys as needed.
int SavePresetList(const PresetList& list, int cameraNumber);

// The capture-window lookup: reads the presets stored directly under the root
// key (not under a camera key) from Size_00 upwards until the first missing
// key, at most 100 (a missing value reads as 0), and returns 1 with the first
// one whose EH and EV equal width and height. Returns 0 when the root key is
// missing or no preset matches.
int FindRootSizePreset(int width, int height, SizePreset* found);

}  // namespace korvex
