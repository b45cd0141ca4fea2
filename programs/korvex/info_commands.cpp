// list: the cameras present; info: what the camera and the library say about
// themselves, and the settings the camera came up with.
#include "commands.h"
#include "parameters.h"
#include "session.h"

#include <cstdio>
#include <string>

namespace korvex::tool {
namespace {

constexpr int kDeviceNumbers = 32;
constexpr int kNameSlot = 256;         // bytes per name in the enumeration buffer
constexpr int kSromIdBytesShown = 16;  // of the 256-byte identification area

std::string VersionText(uint32_t v) {
  return std::to_string(v >> 24) + "." + std::to_string((v >> 16) & 0xFF) + "." +
         std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

}  // namespace

int RunList(const CommonOptions& common) {
  Session session;
  if (!session.Open(common.camera)) return kExitFailed;
  std::vector<char> names(kDeviceNumbers * kNameSlot);
  session.ForgetErrors();
  const int present = Korvex_EnumDevice(session.Camera(), names.data());
  if (present == 0 && !session.TakeErrors().empty()) {
    session.ReportFailure("cannot enumerate the cameras");
    return kExitFailed;
  }
  std::printf("%d camera%s present\n", present, present == 1 ? "" : "s");
  // The enumeration lists names only; the numbers come from asking each.
  for (int number = 0; number < kDeviceNumbers; ++number) {
    char name[64] = {};
    if (Korvex_GetDeviceName(session.Camera(), number, name, sizeof name))
      std::printf("  camera %d: %s\n", number, name);
  }
  session.ForgetErrors();
  return kExitOk;
}

int RunInfo(const CommonOptions& common) {
  Session session;
  if (!session.Open(common.camera)) return kExitFailed;
  const KORVEX_HANDLE camera = session.Camera();
  std::printf("library        KorvexSdk_740K3_XLN %s\n",
              VersionText(Korvex_GetDllVersion()).c_str());

  char name[64] = {};
  if (Korvex_GetDeviceName(camera, common.camera, name, sizeof name))
    std::printf("camera         %d: %s\n", common.camera, name);

  KORVEX_CAMERA_INFO info = {};
  info.size = sizeof info;
  if (!session.Run("cannot read the camera information",
                   [&] { return Korvex_GetCameraInfo(camera, &info); }))
    return kExitFailed;
  std::printf("sensor         %u x %u\n", info.maxWidth, info.maxHeight);
  std::printf("gain range     %u..%u\n", info.gainMin, info.gainMax);
  std::printf("exposure range %u..%u lines\n", info.exposureMin, info.exposureMax);

  std::string id;
  for (int i = 0; i < kSromIdBytesShown; ++i) {
    int ok = 0;
    const int byte = Korvex_ReadSromID(camera, i, &ok);
    char hex[4];
    std::snprintf(hex, sizeof hex, ok ? " %02X" : " ??", byte & 0xFF);
    id += hex;
  }
  std::printf("serial ROM id %s ...\n", id.c_str());

  int th = 0, ehs = 0, eh = 0, tv = 0, evs = 0, ev = 0;
  Korvex_GetCaptureWindowEx(camera, &th, &ehs, &eh, &tv, &evs, &ev);
  std::printf("image          %d x %d at %d,%d\n", eh, ev, ehs, evs);
  std::printf("settings       %s\n", SettingsLocation().c_str());
  std::printf("parameters (* kept between runs):\n");
  session.ForgetErrors();
  for (const Parameter& p : Parameters()) {
    int ok = 0;
    const int value = p.get(camera, &ok);
    if (ok)
      std::printf("  %c %-18s %d\n", p.stored ? '*' : ' ', p.name, value);
    else
      std::printf("  %c %-18s (cannot read)\n", p.stored ? '*' : ' ', p.name);
  }
  session.ForgetErrors();
  return kExitOk;
}

}  // namespace korvex::tool
