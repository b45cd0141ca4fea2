// Stored camera settings on a fresh registry folder.
#include "settings/registry_persistence.h"

#include "host/registry_test_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace korvex::test {
namespace {

const KorvexHostRegKey kHkcu = KORVEX_HOST_HKEY_CURRENT_USER;
const std::string kRoot = "Software\\Quorel\\Korvex740K3XLNSdk";

class SettingsRegistry : public TempRegistry {
 protected:
  void Put(const std::string& key, const char* name, int32_t value) {
    KorvexHostRegKey k = nullptr;
    ASSERT_EQ(KorvexHost_RegCreateKey(kHkcu, key.c_str(), KORVEX_HOST_KEY_ALL_ACCESS, &k, nullptr),
              0);
    ASSERT_EQ(KorvexHost_RegSetValue(k, name, KORVEX_HOST_REG_DWORD, &value, 4), 0);
    KorvexHost_RegCloseKey(k);
  }
  void PutRaw(const std::string& key, const char* name, uint32_t type, const void* data,
              uint32_t size) {
    KorvexHostRegKey k = nullptr;
    ASSERT_EQ(KorvexHost_RegCreateKey(kHkcu, key.c_str(), KORVEX_HOST_KEY_ALL_ACCESS, &k, nullptr),
              0);
    ASSERT_EQ(KorvexHost_RegSetValue(k, name, type, data, size), 0);
    KorvexHost_RegCloseKey(k);
  }
  // The stored DWORD, or nothing when the key or value is missing.
  std::optional<uint32_t> Get(const std::string& key, const char* name) {
    KorvexHostRegKey k = nullptr;
    if (KorvexHost_RegOpenKey(kHkcu, key.c_str(), KORVEX_HOST_KEY_READ, &k) != 0) return {};
    uint32_t v = 0, size = 4;
    int32_t rc = KorvexHost_RegQueryValue(k, name, nullptr, &v, &size);
    KorvexHost_RegCloseKey(k);
    if (rc != 0) return {};
    return v;
  }
  bool KeyExists(const std::string& key) {
    KorvexHostRegKey k = nullptr;
    if (KorvexHost_RegOpenKey(kHkcu, key.c_str(), KORVEX_HOST_KEY_READ, &k) != 0) return false;
    KorvexHost_RegCloseKey(k);
    return true;
  }
  CameraSettings s_;
};

TEST_F(SettingsRegistry, FirstRunWritesDefaultsAndLoadsFallBack) {
  s_.size.EV = 777;
  EXPECT_EQ(LoadSize(s_, 0), 0);
  EXPECT_EQ(s_.size.EV, 777);  // the record keeps its values on first run

  const std::string camera = kRoot + "\\Camera_00";
  EXPECT_EQ(Get(camera, "Size"), 0u);
  EXPECT_EQ(Get(camera, "Color"), 2u);
  EXPECT_EQ(Get(camera, "SubSample"), 0u);
  EXPECT_EQ(Get(camera, "WaitTime"), 1u);
  EXPECT_EQ(Get(camera, "Clock"), 2u);
  const char* names[] = {"TH", "TV", "EH", "EV", "EHS", "EVS", "Buf"};
  const uint32_t values[] = {2560, 2560, 2560, 1920, 0, 0, 4};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(Get(camera + "\\Size_00", names[i]), values[i]) << names[i];

  EXPECT_EQ(LoadVideoFormat(s_, 0), 1);
  EXPECT_EQ(s_.video.Color, 2);  // colour 24 bit
  EXPECT_EQ(s_.video.WaitTime, 1);
  EXPECT_EQ(s_.video.Clock, 2);
  EXPECT_EQ(LoadSize(s_, 0), 1);
  EXPECT_EQ(s_.size.EV, 1920);

  // No group keys yet: the defaults apply, and loading creates nothing.
  EXPECT_EQ(LoadGain(s_, 0, GainDefaults{512, 1014, 1, 0}), 1);
  EXPECT_EQ(s_.analog.Global, 512);
  EXPECT_EQ(s_.analog.Exposure, 1014);
  EXPECT_EQ(s_.analog.V_Mirror, 1);
  EXPECT_EQ(s_.analog.ColorR, 0);
  s_.filter.BayerGainAuto = 1;
  s_.filter.GrayCalibrate = 1;
  EXPECT_EQ(LoadFilter(s_, 0), 0);
  EXPECT_EQ(s_.filter.R_Gain, 100);
  EXPECT_EQ(s_.filter.Gamma, 100);
  EXPECT_EQ(s_.filter.BayerMode, 1);
  EXPECT_EQ(s_.filter.BayerGainAuto, 0);
  EXPECT_EQ(s_.filter.GrayCalibrate, 1);  // not part of the filter defaults
  EXPECT_EQ(LoadGray(s_, 0), 0);
  EXPECT_EQ(s_.filter.GainG2, 128);
  EXPECT_EQ(s_.filter.OffsetB1, 0);
  EXPECT_FALSE(KeyExists(camera + "\\Gain"));
  EXPECT_FALSE(KeyExists(camera + "\\Filter"));
  EXPECT_FALSE(KeyExists(camera + "\\Gray"));
}

TEST_F(SettingsRegistry, MissingCameraKeyChangesNothing) {
  Put(kRoot + "\\Camera_00", "Size", 0);
  s_.video.Color = 4;
  s_.size.EH = 640;
  EXPECT_EQ(LoadSize(s_, 1), 0);
  EXPECT_EQ(LoadVideoFormat(s_, 1), 0);
  EXPECT_EQ(s_.video.Color, 4);
  EXPECT_EQ(s_.size.EH, 640);
  EXPECT_FALSE(KeyExists(kRoot + "\\Camera_01"));
  // A "Size" that names a missing preset is no size either.
  Put(kRoot + "\\Camera_00", "Size", 5);
  EXPECT_EQ(LoadSize(s_, 0), 0);
}

TEST_F(SettingsRegistry, GainLoadRepeatsThePreviousValueForMissingOnes) {
  Put(kRoot + "\\Camera_00\\Gain", "Global", 300);
  EXPECT_EQ(LoadGain(s_, 0, GainDefaults{}), 1);
  for (const Setting* f : {&s_.analog.Global, &s_.analog.ColorG1, &s_.analog.ColorR,
                           &s_.analog.ColorB, &s_.analog.ColorG2, &s_.analog.Exposure,
                           &s_.analog.V_Mirror, &s_.analog.H_Mirror, &s_.analog.AutoIris})
    EXPECT_EQ(f->Get(), 300);

  // Without "Global" the first fields read 0 until a value is found.
  Put(kRoot + "\\Camera_01\\Gain", "Exposure", 700);
  EXPECT_EQ(LoadGain(s_, 1, GainDefaults{}), 1);
  EXPECT_EQ(s_.analog.Global, 0);
  EXPECT_EQ(s_.analog.ColorG2, 0);
  EXPECT_EQ(s_.analog.Exposure, 700);
  EXPECT_EQ(s_.analog.AutoIris, 700);
}

TEST_F(SettingsRegistry, FilterLoadLeavesMissingValuesAlone) {
  Put(kRoot + "\\Camera_00\\Filter", "Brightness", -20);
  EXPECT_EQ(Get(kRoot + "\\Camera_00\\Filter", "Brightness"), 4294967276u);
  s_.filter.Contrast = 11;
  s_.filter.Gamma = 55;
  s_.filter.BayerMode = 3;
  EXPECT_EQ(LoadFilter(s_, 0), 1);
  EXPECT_EQ(s_.filter.Brightness, -20);
  EXPECT_EQ(s_.filter.Contrast, 11);
  EXPECT_EQ(s_.filter.Gamma, 55);
  EXPECT_EQ(s_.filter.BayerMode, 3);

  Put(kRoot + "\\Camera_00\\Gray", "OffsetG1", -7);
  s_.filter.GainR1 = 99;
  EXPECT_EQ(LoadGray(s_, 0), 1);
  EXPECT_EQ(s_.filter.OffsetG1, -7);
  EXPECT_EQ(s_.filter.GainR1, 99);
}

TEST_F(SettingsRegistry, ValuesOfAnyTypeReadAsFourBytes) {
  const uint8_t bytes[] = {0x2c, 0x01, 0x00, 0x00};
  PutRaw(kRoot + "\\Camera_00\\Filter", "Hue", KORVEX_HOST_REG_BINARY, bytes, 4);
  const char text[] = "far too long";
  PutRaw(kRoot + "\\Camera_00\\Filter", "Contrast", KORVEX_HOST_REG_SZ, text, sizeof text);
  s_.filter.Contrast = 9;
  EXPECT_EQ(LoadFilter(s_, 0), 1);
  EXPECT_EQ(s_.filter.Hue, 300);
  EXPECT_EQ(s_.filter.Contrast, 9);  // does not fit four bytes: unchanged
}

TEST_F(SettingsRegistry, SavesWriteEveryValueInOrderUnderTheirCamera) {
  s_.analog.Global = 700;
  s_.analog.Exposure = 33;
  s_.analog.AutoIris = 2;
  s_.filter.Brightness = -255;
  s_.filter.BayerMode = 2;
  s_.filter.OffsetB1 = -3;
  s_.filter.GainG1 = 200;
  s_.filter.BayerGainAuto = 1;

  // The gray save needs the camera key that the filter save creates.
  EXPECT_EQ(SaveGray(s_, 2), 0);
  EXPECT_FALSE(KeyExists(kRoot + "\\Camera_02"));
  EXPECT_EQ(SaveGain(s_, 2), 1);
  EXPECT_EQ(SaveFilter(s_, 2), 1);
  EXPECT_EQ(SaveGray(s_, 2), 1);
  EXPECT_FALSE(KeyExists(kRoot + "\\Camera_00"));
  EXPECT_FALSE(Get(kRoot + "\\Camera_02\\Filter", "BayerGainAuto").has_value());

  // Within each key the values appear in the order they were first written.
  const std::string text = HiveText();
  const std::vector<std::pair<std::string, std::vector<const char*>>> groups = {
      {"Gain",
       {"Global", "ColorG1", "ColorR", "ColorB", "ColorG2", "Exposure", "V_Mirror", "H_Mirror",
        "AutoIris"}},
      {"Filter",
       {"Brightness", "Contrast", "Hue", "Saturation", "Sharpness", "R_Gain", "G_Gain", "B_Gain",
        "Gamma", "BayerMode"}},
      {"Gray",
       {"\"Mode\"", "GainR1", "GainG1", "GainG2", "GainB1", "OffsetR1", "OffsetG1", "OffsetG2",
        "OffsetB1"}},
  };
  for (const auto& [group, names] : groups) {
    size_t last = text.find("Camera_02\\" + group + "]");
    ASSERT_NE(last, std::string::npos) << group;
    const size_t next = text.find('[', last + 1);
    for (const char* name : names) {
      size_t at = text.find(name, last);
      ASSERT_LT(at, next) << name;
      last = at;
    }
  }

  CameraSettings loaded;
  EXPECT_EQ(LoadGain(loaded, 2, GainDefaults{}), 1);
  EXPECT_EQ(LoadFilter(loaded, 2), 1);
  EXPECT_EQ(LoadGray(loaded, 2), 1);
  EXPECT_EQ(loaded.analog.Global, 700);
  EXPECT_EQ(loaded.analog.Exposure, 33);
  EXPECT_EQ(loaded.analog.AutoIris, 2);
  EXPECT_EQ(loaded.filter.Brightness, -255);
  EXPECT_EQ(loaded.filter.BayerMode, 2);
  EXPECT_EQ(loaded.filter.OffsetB1, -3);
  EXPECT_EQ(loaded.filter.GainG1, 200);
}

TEST_F(SettingsRegistry, PresetListStopsAtTheFirstGap) {
  const std::string camera = kRoot + "\\Camera_00";
  for (int n : {0, 1, 3}) {
    const std::string key = camera + "\\Size_0" + std::to_string(n);
    Put(key, "EH", 100 * (n + 1));
    Put(key, "EV", 10 * (n + 1));
  }
  Put(camera, "Size", 1);
  Put(camera, "WaitTime", 25);
  PresetList list;
  list.presets[0].TH = 1234;
  EXPECT_EQ(LoadPresetList(list, 0), 1);
  EXPECT_EQ(list.count, 2);
  EXPECT_EQ(list.presets[1].EH, 200);
  EXPECT_EQ(list.presets[0].TH, 1234);  // missing value left alone
  EXPECT_EQ(list.size, 1);
  EXPECT_EQ(list.waitTime, 25);
  EXPECT_EQ(list.color, 2);  // missing: the dialog's initial value stays

  PresetList other;
  other.count = 5;
  EXPECT_EQ(LoadPresetList(other, 4), 0);
  EXPECT_EQ(other.count, 5);

  // Saving writes the list and the per-camera values; load size follows "Size".
  list.presets[1].EHS = 8;
  list.color = 5;
  EXPECT_EQ(SavePresetList(list, 6), 1);
  EXPECT_EQ(LoadSize(s_, 6), 1);
  EXPECT_EQ(s_.size.EH, 200);
  EXPECT_EQ(s_.size.EHS, 8);
  EXPECT_EQ(LoadVideoFormat(s_, 6), 1);
  EXPECT_EQ(s_.video.Color, 5);
  EXPECT_FALSE(KeyExists(kRoot + "\\Camera_06\\Size_02"));
}

TEST_F(SettingsRegistry, RootLevelPresetLookup) {
  SizePreset found;
  EXPECT_EQ(FindRootSizePreset(1280, 960, &found), 0);  // no root key
  Put(kRoot + "\\Camera_00\\Size_00", "EH", 640);
  Put(kRoot + "\\Camera_00\\Size_00", "EV", 480);
  EXPECT_EQ(FindRootSizePreset(640, 480, &found), 0);  // camera presets do not count
  Put(kRoot + "\\Size_00", "EH", 1280);
  Put(kRoot + "\\Size_00", "EV", 960);
  Put(kRoot + "\\Size_01", "EH", 640);
  Put(kRoot + "\\Size_01", "EV", 480);
  Put(kRoot + "\\Size_01", "EHS", 16);
  Put(kRoot + "\\Size_03", "EH", 320);
  Put(kRoot + "\\Size_03", "EV", 240);
  ASSERT_EQ(FindRootSizePreset(640, 480, &found), 1);
  EXPECT_EQ(found.EHS, 16);
  EXPECT_EQ(found.TH, 0);  // missing values read as 0
  EXPECT_EQ(found.Buf, 0);
  EXPECT_EQ(FindRootSizePreset(320, 240, &found), 0);  // behind the gap
}

TEST_F(SettingsRegistry, TwoProcessesSavingAtOnceLoseNothing) {
  std::vector<pid_t> children;
  for (int camera : {1, 2}) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      CameraSettings mine;
      int ok = 1;
      for (int round = 1; round <= 10; ++round) {
        mine.analog.Global = camera * 100 + round;
        mine.filter.Hue = -camera * 10 - round;
        mine.filter.GainB1 = camera + round;
        ok &= SaveGain(mine, camera) & SaveFilter(mine, camera) & SaveGray(mine, camera);
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int camera : {1, 2}) {
    CameraSettings loaded;
    EXPECT_EQ(LoadGain(loaded, camera, GainDefaults{}), 1);
    EXPECT_EQ(LoadFilter(loaded, camera), 1);
    EXPECT_EQ(LoadGray(loaded, camera), 1);
    EXPECT_EQ(loaded.analog.Global, camera * 100 + 10);
    EXPECT_EQ(loaded.filter.Hue, -camera * 10 - 10);
    EXPECT_EQ(loaded.filter.GainB1, camera + 10);
  }
}

}  // namespace
}  // namespace korvex::test
