// Direct access to the camera: sensor registers, the controller's I/O port,
// the serial ROM's identification bytes, and loading a configuration file.
#include "commands.h"
#include "host_seam.h"
#include "parameters.h"
#include "session.h"

#include <cstdio>

namespace korvex::tool {
namespace {

constexpr int kSromIdBytes = 256;

// Parses the numbers of a command; false after printing what is wrong and
// the ranges the command takes (`ranges`).
bool ParseNumbers(const std::vector<std::string>& words, std::vector<int>* out,
                  const std::string& ranges) {
  out->clear();
  for (const std::string& w : words) {
    int value = 0;
    if (!ParseInt(w, &value)) {
      PrintError("'" + w + "' is not a whole number (decimal, or hexadecimal after 0x); " + ranges);
      return false;
    }
    out->push_back(value);
  }
  return true;
}

bool InRange(int value, int low, int high, const char* what) {
  if (value >= low && value <= high) return true;
  PrintError(std::string(what) + " " + std::to_string(value) + " is outside " +
             std::to_string(low) + ".." + std::to_string(high));
  return false;
}

}  // namespace

int RunRegister(const DeviceOptions& o) {
  std::vector<int> n;
  if (!ParseNumbers(o.numbers, &n, "the register lies in 0..255, the value in 0..0xFFFF"))
    return kExitUsage;
  const bool write = o.action == "write";
  if (n.size() != (write ? 2u : 1u)) {
    PrintError(write ? "write needs a register and a value" : "read needs a register");
    return kExitUsage;
  }
  if (!InRange(n[0], 0, 255, "sensor register")) return kExitUsage;
  if (write && !InRange(n[1], 0, 0xFFFF, "value")) return kExitUsage;
  Session session;
  if (!session.Open(o.common.camera)) return kExitFailed;
  const KORVEX_HANDLE camera = session.Camera();
  if (write) {
    if (!session.Run("cannot write sensor register " + o.numbers[0], [&] {
          return Korvex_WriteRegister(camera, static_cast<unsigned char>(n[0]),
                                      static_cast<unsigned short>(n[1]));
        }))
      return kExitFailed;
    std::printf("sensor register 0x%02X <- 0x%04X\n", n[0], n[1]);
    return kExitOk;
  }
  int value = 0;
  if (!session.Run("cannot read sensor register " + o.numbers[0], [&] {
        int ok = 0;
        value = Korvex_ReadRegister(camera, static_cast<unsigned char>(n[0]), &ok);
        return ok;
      }))
    return kExitFailed;
  std::printf("sensor register 0x%02X = 0x%04X (%d)\n", n[0], value, value);
  return kExitOk;
}

int RunIoPort(const DeviceOptions& o) {
  std::vector<int> n;
  if (!ParseNumbers(o.numbers, &n, "the port value lies in 0..255")) return kExitUsage;
  if (n.size() > 1) {
    PrintError("io takes at most one value");
    return kExitUsage;
  }
  if (!n.empty() && !InRange(n[0], 0, 255, "port value")) return kExitUsage;
  Session session;
  if (!session.Open(o.common.camera)) return kExitFailed;
  const KORVEX_HANDLE camera = session.Camera();
  if (!n.empty()) {
    if (!session.Run("cannot write the I/O port", [&] { return Korvex_SetIOPort(camera, n[0]); }))
      return kExitFailed;
    std::printf("I/O port <- 0x%02X\n", n[0]);
    return kExitOk;
  }
  unsigned char port = 0;
  if (!session.Run("cannot read the I/O port",
                   [&] { return Korvex_GetIOPort(camera, &port, 0, 0); }))
    return kExitFailed;
  std::printf("I/O port = 0x%02X\n", port);
  return kExitOk;
}

int RunSrom(const DeviceOptions& o) {
  std::vector<int> n;
  if (!ParseNumbers(o.numbers, &n, "the index lies in 0..255, a count in 1..256, a byte in 0..255"))
    return kExitUsage;
  Session session;
  if (o.action == "write") {
    if (n.size() < 2) {
      PrintError("write needs an index and at least one byte");
      return kExitUsage;
    }
    if (!InRange(n[0], 0, kSromIdBytes - 1, "index")) return kExitUsage;
    if (n[0] + static_cast<int>(n.size()) - 1 > kSromIdBytes) {
      PrintError("the bytes run past the end of the 256-byte identification area");
      return kExitUsage;
    }
    for (size_t i = 1; i < n.size(); ++i)
      if (!InRange(n[i], 0, 255, "byte")) return kExitUsage;
    if (!session.Open(o.common.camera)) return kExitFailed;
    for (size_t i = 1; i < n.size(); ++i) {
      const int index = n[0] + static_cast<int>(i) - 1;
      if (!session.Run("cannot write identification byte " + std::to_string(index),
                       [&] { return Korvex_WriteSromID(session.Camera(), index, n[i]); }))
        return kExitFailed;
    }
    std::printf("wrote %zu byte%s from index %d\n", n.size() - 1, n.size() == 2 ? "" : "s", n[0]);
    return kExitOk;
  }
  const int first = n.size() > 0 ? n[0] : 0;
  const int count = n.size() > 1 ? n[1] : 16;
  if (n.size() > 2 || !InRange(first, 0, kSromIdBytes - 1, "index") ||
      !InRange(count, 1, kSromIdBytes - first, "count"))
    return kExitUsage;
  if (!session.Open(o.common.camera)) return kExitFailed;
  for (int i = 0; i < count; ++i) {
    const int index = first + i;
    int byte = 0;
    if (!session.Run("cannot read identification byte " + std::to_string(index), [&] {
          int ok = 0;
          byte = Korvex_ReadSromID(session.Camera(), index, &ok);
          return ok;
        }))
      return kExitFailed;
    if (i % 16 == 0) std::printf(i == 0 ? "%02X:" : "\n%02X:", index);
    std::printf(" %02X", byte & 0xFF);
  }
  std::printf("\n");
  return kExitOk;
}

int RunConfigLoad(const DeviceOptions& o) {
  Session session;
  if (!session.Open(o.common.camera)) return kExitFailed;
  if (!session.Run(
          "cannot read the configuration file '" + o.path + "'",
          [&] { return LoadConfigFrom(session.Camera(), o.path); },
          "check that the file exists and that you may read it"))
    return kExitFailed;
  uint64_t bytes = 0;
  FileSize(o.path, &bytes);
  std::printf("loaded %s: %llu records\n", o.path.c_str(),
              static_cast<unsigned long long>(bytes / 8));
  return kExitOk;
}

}  // namespace korvex::tool
