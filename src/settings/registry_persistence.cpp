// Loading and saving the camera settings in the current user's registry.
#include "settings/registry_persistence.h"

#include "platform/registry.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace korvex {
namespace {

using platform::RegKey;
using platform::ScopedRegKey;

struct SizeValue {
  const char* name;
  Setting SizeGroup::*field;
  int32_t SizePreset::*preset;
};
constexpr SizeValue kSizeValues[] = {
    {"TH", &SizeGroup::TH, &SizePreset::TH},    {"TV", &SizeGroup::TV, &SizePreset::TV},
    {"EH", &SizeGroup::EH, &SizePreset::EH},    {"EV", &SizeGroup::EV, &SizePreset::EV},
    {"EHS", &SizeGroup::EHS, &SizePreset::EHS}, {"EVS", &SizeGroup::EVS, &SizePreset::EVS},
    {"Buf", &SizeGroup::Buf, &SizePreset::Buf},
};

struct VideoValue {
  const char* name;
  Setting VideoFormatGroup::*field;
};
constexpr VideoValue kVideoValues[] = {
    {"Color", &VideoFormatGroup::Color},
    {"SubSample", &VideoFormatGroup::SubSample},
    {"WaitTime", &VideoFormatGroup::WaitTime},
    {"Clock", &VideoFormatGroup::Clock},
};

struct AnalogValue {
  const char* name;
  Setting AnalogGroup::*field;
};
constexpr AnalogValue kGainValues[] = {
    {"Global", &AnalogGroup::Global},     {"ColorG1", &AnalogGroup::ColorG1},
    {"ColorR", &AnalogGroup::ColorR},     {"ColorB", &AnalogGroup::ColorB},
    {"ColorG2", &AnalogGroup::ColorG2},   {"Exposure", &AnalogGroup::Exposure},
    {"V_Mirror", &AnalogGroup::V_Mirror}, {"H_Mirror", &AnalogGroup::H_Mirror},
    {"AutoIris", &AnalogGroup::AutoIris},
};

struct FilterValue {
  const char* name;
  Setting FilterGroup::*field;
};
constexpr FilterValue kFilterValues[] = {
    {"Brightness", &FilterGroup::Brightness},
    {"Contrast", &FilterGroup::Contrast},
    {"Hue", &FilterGroup::Hue},
    {"Saturation", &FilterGroup::Saturation},
    {"Sharpness", &FilterGroup::Sharpness},
    {"R_Gain", &FilterGroup::R_Gain},
    {"G_Gain", &FilterGroup::G_Gain},
    {"B_Gain", &FilterGroup::B_Gain},
    {"Gamma", &FilterGroup::Gamma},
    {"BayerMode", &FilterGroup::BayerMode},
};
constexpr FilterValue kGrayValues[] = {
    {"Mode", &FilterGroup::Mode},         {"GainR1", &FilterGroup::GainR1},
    {"GainG1", &FilterGroup::GainG1},     {"GainG2", &FilterGroup::GainG2},
    {"GainB1", &FilterGroup::GainB1},     {"OffsetR1", &FilterGroup::OffsetR1},
    {"OffsetG1", &FilterGroup::OffsetG1}, {"OffsetG2", &FilterGroup::OffsetG2},
    {"OffsetB1", &FilterGroup::OffsetB1},
};

struct Numbered {
  char text[32];
  Numbered(const char* format, int number) { std::snprintf(text, sizeof text, format, number); }
};
Numbered CameraKey(int number) { return Numbered("Camera_%02d", number); }
Numbered PresetKey(int number) { return Numbered("Size_%02d", number); }

bool Open(RegKey parent, const char* name, ScopedRegKey& key) {
  return platform::OpenRegistryKey(parent, name, platform::kKeyRead, key.out()) == platform::kRegOk;
}

bool Create(RegKey parent, const char* name, ScopedRegKey& key) {
  return platform::CreateRegistryKey(parent, name, platform::kKeyAllAccess, key.out()) ==
         platform::kRegOk;
}

// Opens root\Camera_NN\<group> for reading.
bool OpenGroup(int cameraNumber, const char* group, ScopedRegKey& key) {
  ScopedRegKey root, camera;
  return Open(platform::CurrentUserKey(), kSettingsRootKey, root) &&
         Open(root.get(), CameraKey(cameraNumber).text, camera) && Open(camera.get(), group, key);
}

// Creates root\Camera_NN\<group> as needed.
bool CreateGroup(int cameraNumber, const char* group, ScopedRegKey& key) {
  ScopedRegKey root, camera;
  return Create(platform::CurrentUserKey(), kSettingsRootKey, root) &&
         Create(root.get(), CameraKey(cameraNumber).text, camera) &&
         Create(camera.get(), group, key);
}

// Reads a value of any type as four bytes into *slot. Bytes a shorter value
// does not provide keep what the slot held; a missing or longer value leaves
// the slot alone.
bool ReadDword(RegKey key, const char* name, uint32_t* slot) {
  uint32_t buffer = *slot;
  uint32_t size = sizeof buffer;
  if (platform::QueryRegistryValue(key, name, nullptr, &buffer, &size) != platform::kRegOk)
    return false;
  *slot = buffer;
  return true;
}

void ReadInto(RegKey key, const char* name, Setting& field) {
  uint32_t value = static_cast<uint32_t>(field.Get());
  if (ReadDword(key, name, &value)) field.Set(static_cast<int32_t>(value));
}

void ReadInto(RegKey key, const char* name, int32_t& field) {
  uint32_t value = static_cast<uint32_t>(field);
  if (ReadDword(key, name, &value)) field = static_cast<int32_t>(value);
}

// The wait time is a count of milliseconds that the interface keeps within
// 0..INT32_MAX; a larger DWORD (the camera dialog once stored what was typed,
// 4294967295 for instance) means the longest wait, never a negative one, which
// would read back as -1, the answer for a handle that is not open.
int32_t WaitTimeOf(uint32_t stored) {
  return stored > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(stored);
}

void ReadWaitTime(RegKey key, Setting& field) {
  uint32_t value = static_cast<uint32_t>(field.Get());
  if (ReadDword(key, "WaitTime", &value)) field.Set(WaitTimeOf(value));
}

void ReadWaitTime(RegKey key, int32_t& field) {
  uint32_t value = static_cast<uint32_t>(field);
  if (ReadDword(key, "WaitTime", &value)) field = WaitTimeOf(value);
}

bool WriteDword(RegKey key, const char* name, int32_t value) {
  const uint32_t stored = static_cast<uint32_t>(value);
  return platform::SetRegistryValue(key, name, platform::kRegDword, &stored, sizeof stored) ==
         platform::kRegOk;
}

bool WritePreset(RegKey key, const SizePreset& preset) {
  for (const SizeValue& v : kSizeValues)
    if (!WriteDword(key, v.name, preset.*v.preset)) return false;
  return true;
}

// The five per-camera values in their stored order.
bool WriteCameraValues(RegKey key, int32_t size, int32_t color, int32_t subSample, int32_t waitTime,
                       int32_t clock) {
  return WriteDword(key, "Size", size) && WriteDword(key, "Color", color) &&
         WriteDword(key, "SubSample", subSample) && WriteDword(key, "WaitTime", waitTime) &&
         WriteDword(key, "Clock", clock);
}

// First use on this machine: the root key, this camera's key and the default
// preset Size_00 with the default video format.
void CreateFirstRunDefaults(int cameraNumber) {
  ScopedRegKey root, camera, preset;
  if (!Create(platform::CurrentUserKey(), kSettingsRootKey, root) ||
      !Create(root.get(), CameraKey(cameraNumber).text, camera) ||
      !Create(camera.get(), PresetKey(0).text, preset))
    return;
  if (!WritePreset(preset.get(), SizePreset{})) return;
  WriteCameraValues(camera.get(), 0, 2, 0, 1, 2);
}

void ApplyGainDefaults(AnalogGroup& a, const GainDefaults& d) {
  a.Global = d.global;
  a.ColorG1 = 0;
  a.ColorR = 0;
  a.ColorB = 0;
  a.ColorG2 = 0;
  a.Exposure = d.exposure;
  a.V_Mirror = d.vMirror;
  a.H_Mirror = d.hMirror;
  a.AutoIris = 0;
}

void ApplyFilterDefaults(FilterGroup& f) {
  f.Brightness = 0;
  f.Contrast = 0;
  f.Hue = 0;
  f.Saturation = 0;
  f.Sharpness = 0;
  f.R_Gain = 100;
  f.G_Gain = 100;
  f.B_Gain = 100;
  f.Gamma = 100;
  f.BayerMode = 1;
  f.BayerGainAuto = 0;
  f.BayerGainOnce1 = 0;
  f.BayerGainOnce2 = 0;
}

void ApplyGrayDefaults(FilterGroup& f) {
  f.Mode = 0;
  f.GainR1 = 128;
  f.GainG1 = 128;
  f.GainG2 = 128;
  f.GainB1 = 128;
  f.OffsetR1 = 0;
  f.OffsetG1 = 0;
  f.OffsetG2 = 0;
  f.OffsetB1 = 0;
}

}  // namespace

int LoadSize(CameraSettings& settings, int cameraNumber) {
  ScopedRegKey root, camera, preset;
  if (!Open(platform::CurrentUserKey(), kSettingsRootKey, root)) {
    CreateFirstRunDefaults(cameraNumber);
    return 0;
  }
  if (!Open(root.get(), CameraKey(cameraNumber).text, camera)) return 0;
  uint32_t selected = 0;
  if (!ReadDword(camera.get(), "Size", &selected)) return 0;
  if (!Open(camera.get(), PresetKey(static_cast<int32_t>(selected)).text, preset)) return 0;
  for (const SizeValue& v : kSizeValues) ReadInto(preset.get(), v.name, settings.size.*v.field);
  return 1;
}

int LoadVideoFormat(CameraSettings& settings, int cameraNumber) {
  ScopedRegKey root, camera;
  if (!Open(platform::CurrentUserKey(), kSettingsRootKey, root) ||
      !Open(root.get(), CameraKey(cameraNumber).text, camera))
    return 0;
  for (const VideoValue& v : kVideoValues) {
    if (v.field == &VideoFormatGroup::WaitTime) {
      ReadWaitTime(camera.get(), settings.video.WaitTime);
    } else {
      ReadInto(camera.get(), v.name, settings.video.*v.field);
    }
  }
  return 1;
}

int LoadGain(CameraSettings& settings, int cameraNumber, const GainDefaults& defaults) {
  ScopedRegKey gain;
  if (!OpenGroup(cameraNumber, "Gain", gain)) {
    ApplyGainDefaults(settings.analog, defaults);
    return 1;
  }
  // One scratch value serves every read and is not reset in between, so a
  // missing value repeats the one read before it.
  uint32_t scratch = 0;
  for (const AnalogValue& v : kGainValues) {
    ReadDword(gain.get(), v.name, &scratch);
    (settings.analog.*v.field).Set(static_cast<int32_t>(scratch));
  }
  return 1;
}

int SaveGain(const CameraSettings& settings, int cameraNumber) {
  ScopedRegKey gain;
  if (!CreateGroup(cameraNumber, "Gain", gain)) return 0;
  for (const AnalogValue& v : kGainValues)
    if (!WriteDword(gain.get(), v.name, (settings.analog.*v.field).Get())) return 0;
  return 1;
}

int LoadFilter(CameraSettings& settings, int cameraNumber) {
  ScopedRegKey filter;
  if (!OpenGroup(cameraNumber, "Filter", filter)) {
    ApplyFilterDefaults(settings.filter);
    return 0;
  }
  for (const FilterValue& v : kFilterValues)
    ReadInto(filter.get(), v.name, settings.filter.*v.field);
  return 1;
}

int SaveFilter(const CameraSettings& settings, int cameraNumber) {
  ScopedRegKey filter;
  if (!CreateGroup(cameraNumber, "Filter", filter)) return 0;
  for (const FilterValue& v : kFilterValues)
    if (!WriteDword(filter.get(), v.name, (settings.filter.*v.field).Get())) return 0;
  return 1;
}

int LoadGray(CameraSettings& settings, int cameraNumber) {
  ScopedRegKey gray;
  if (!OpenGroup(cameraNumber, "Gray", gray)) {
    ApplyGrayDefaults(settings.filter);
    return 0;
  }
  for (const FilterValue& v : kGrayValues) ReadInto(gray.get(), v.name, settings.filter.*v.field);
  return 1;
}

int SaveGray(const CameraSettings& settings, int cameraNumber) {
  // The per-camera key is opened, not created: the filter save runs first
  // and creates it.
  ScopedRegKey root, camera, gray;
  if (!Create(platform::CurrentUserKey(), kSettingsRootKey, root)) return 0;
  if (platform::OpenRegistryKey(root.get(), CameraKey(cameraNumber).text, platform::kKeyAllAccess,
                                camera.out()) != platform::kRegOk)
    return 0;
  if (!Create(camera.get(), "Gray", gray)) return 0;
  for (const FilterValue& v : kGrayValues)
    if (!WriteDword(gray.get(), v.name, (settings.filter.*v.field).Get())) return 0;
  return 1;
}

int LoadPresetList(PresetList& list, int cameraNumber) {
  ScopedRegKey root, camera;
  if (!Open(platform::CurrentUserKey(), kSettingsRootKey, root) ||
      !Open(root.get(), CameraKey(cameraNumber).text, camera))
    return 0;
  int count = 0;
  for (; count < kMaxSizePresets; ++count) {
    ScopedRegKey preset;
    if (!Open(camera.get(), PresetKey(count).text, preset)) break;
    for (const SizeValue& v : kSizeValues)
      ReadInto(preset.get(), v.name, list.presets[static_cast<size_t>(count)].*v.preset);
  }
  list.count = count;
  ReadInto(camera.get(), "Size", list.size);
  ReadInto(camera.get(), "Color", list.color);
  ReadInto(camera.get(), "SubSample", list.subSample);
  ReadWaitTime(camera.get(), list.waitTime);
  ReadInto(camera.get(), "Clock", list.clock);
  return 1;
}

int SavePresetList(const PresetList& list, int cameraNumber) {
  ScopedRegKey root, camera;
  if (!Create(platform::CurrentUserKey(), kSettingsRootKey, root) ||
      !Create(root.get(), CameraKey(cameraNumber).text, camera))
    return 0;
  const int count = std::clamp<int32_t>(list.count, 0, kMaxSizePresets);
  for (int i = 0; i < count; ++i) {
    ScopedRegKey preset;
    if (!Create(camera.get(), PresetKey(i).text, preset)) break;
    if (!WritePreset(preset.get(), list.presets[static_cast<size_t>(i)])) return 0;
  }
  return WriteCameraValues(camera.get(), list.size, list.color, list.subSample, list.waitTime,
                           list.clock)
             ? 1
             : 0;
}

int FindRootSizePreset(int width, int height, SizePreset* found) {
  ScopedRegKey root;
  if (!Open(platform::CurrentUserKey(), kSettingsRootKey, root)) return 0;
  for (int n = 0; n < kMaxSizePresets; ++n) {
    ScopedRegKey key;
    if (!Open(root.get(), PresetKey(n).text, key)) break;
    SizePreset preset{0, 0, 0, 0, 0, 0, 0};
    for (const SizeValue& v : kSizeValues) ReadInto(key.get(), v.name, preset.*v.preset);
    if (preset.EH == width && preset.EV == height) {
      if (found != nullptr) *found = preset;
      return 1;
    }
  }
  return 0;
}

}  // namespace korvex
