// Random sequences of parameter calls, colour-mode and geometry changes,
// captures, snapshots, previews and image reads on the simulated camera.
// After every step each getter must lie in its documented range; a setter
// must accept exactly its documented range, read back what it stored, and
// leave the value alone (with code 9) when it refuses; no call may crash or
// hang, and only documented codes may be raised.
#include "KorvexSdk_740K3_XLN.h"
#include "fuzz_camera.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

// The documented range of each filter value identifier 1..28.
struct Range {
  int low, high;
};
constexpr Range kRanges[29] = {{0, 0},  // no identifier 0
                               {-255, 255},
                               {-127, 127},
                               {-360, 360},  // brightness, contrast, hue
                               {-255, 255},
                               {0, 30},             // saturation, sharpness
                               {INT_MIN, INT_MAX},  // packed white-balance gains: any value
                               {0, 400},
                               {0, 400},
                               {0, 400},            // red, green, blue white-balance gain
                               {INT_MIN, INT_MAX},  // automatic white balance: any value
                               {0, 200},
                               {0, 3},     // gamma, Bayer phase
                               {0, 1023},  // global gain
                               {0, 0},
                               {0, 0},
                               {0, 0},
                               {0, 0},     // the four colour gains
                               {0, 1014},  // exposure
                               {0, 2},     // gray mode
                               {0, 255},
                               {0, 255},
                               {0, 255},
                               {0, 255},  // gray gains
                               {-255, 255},
                               {-255, 255},
                               {-255, 255},
                               {-255, 255},  // gray offsets
                               {0, 1}};      // gray calibration request
// What the getters may return.
constexpr Range kReadRanges[29] = {
    {0, 0},        {-255, 255}, {-127, 127}, {-360, 360}, {-255, 255}, {0, 30},
    {0, 0xFFFFFF}, {0, 400},    {0, 400},    {0, 400},    {0, 1},      {0, 200},
    {0, 3},        {0, 1023},   {0, 0},      {0, 0},      {0, 0},      {0, 0},
    {0, 1014},     {0, 2},      {0, 255},    {0, 255},    {0, 255},    {0, 255},
    {-255, 255},   {-255, 255}, {-255, 255}, {-255, 255}, {0, 1}};

constexpr int kRawColorModes[] = {8, 16, 24, 32, 48, 64};
constexpr int kReportedColorModes[] = {8, 10, 24, 32, 42, 58};

// Microseconds of an exposure setting, from the sensor's line timing.
int ExposureMicroseconds(int lines) {
  const double clockPeriod = 0.0000416666662204079;  // ms, 1/24000 in single precision
  const double effective = lines == 1014 ? 2028 : lines;
  return static_cast<int>((effective * 2894.0 + 1480.0) * clockPeriod * 1000.0);
}

class Session {
 public:
  explicit Session(FuzzedDataProvider& input) : input_(input) {}

  void Run() {
    Reset();
    for (int step = 0; step < 64 && input_.remaining_bytes() > 0; ++step) {
      Step();
      CheckCodes();
      CheckRanges();
    }
    // Left as the next input starts, it needs no reset.
    StandardState() = capturing_ && !previewing_ && geometryValid_ &&
                      geometry_ == std::array<int, 4>{0, 64, 0, 48} && modeIndex_ == 0 &&
                      pendingMode_ == 0;
    CheckCodes();
  }

 private:
  static KORVEX_HANDLE Handle() { return korvex::fuzz::SimulatedCamera(); }

  // The state every input starts from: capture mode on a small picture (64
  // x 48, which keeps each frame quick) in 8-bit gray, with no pause and no
  // automatic brightness. An input that leaves the camera in capture mode
  // with that picture lets the next one start at once, its buffers and
  // capture channel kept; any other is stopped and prepared afresh.
  static bool& StandardState() {
    static bool standard = false;
    return standard;
  }

  void Reset() {
    const KORVEX_HANDLE h = Handle();
    if (!StandardState()) {
      Korvex_StopPreview(h);
      Korvex_Close(h);
      KORVEX_FUZZ_CHECK(Korvex_SetCaptureWindowEx(h, 2560, 0, 64, 2560, 0, 48) == 1, "geometry");
      Korvex_SetColorMode(h, 8);
      KORVEX_FUZZ_CHECK(Korvex_Capture(h) == 1, "capture mode");
    }
    Korvex_SetWaitTime(h, 0);
    Korvex_SetAutoIris(h, 0);
    width_ = pendingWidth_ = 64;
    height_ = pendingHeight_ = 48;
    modeIndex_ = pendingMode_ = 0;
    geometry_ = {0, 64, 0, 48};
    geometryValid_ = true;
    previewing_ = false;
    capturing_ = true;
    Drain();
  }

  void Drain() {
    while (Korvex_GetLastError(Handle()) != 0) {
    }
  }

  int Value() {
    switch (input_.ConsumeIntegralInRange<int>(0, 5)) {
      case 0: return input_.ConsumeIntegral<int>();
      case 1: return input_.ConsumeIntegralInRange<int>(-2, 2);
      case 2: return input_.ConsumeIntegralInRange<int>(-400, 1100);
      case 3:
        return input_.PickValueInArray({INT_MIN, INT_MAX, 255, 256, 400, 401, 1023, 1024, 1014,
                                        1015, -255, -256, -360, 361, 127, 128});
      default: return input_.ConsumeIntegralInRange<int>(-1, 260);
    }
  }

  // The image size of the present colour mode, rows padded to 4 bytes.
  size_t ImageBytes() const {
    static constexpr int kBytes[] = {1, 2, 3, 4, 6, 8};
    const size_t row = (static_cast<size_t>(width_) * kBytes[modeIndex_] + 3) / 4 * 4;
    return row * static_cast<size_t>(height_);
  }

  void Step() {
    const KORVEX_HANDLE h = Handle();
    switch (input_.ConsumeIntegralInRange<int>(0, 17)) {
      case 0:
      case 1:
      case 2: SetById(input_.ConsumeIntegralInRange<int>(-1, 30), Value()); break;
      case 3: {
        const int id = input_.ConsumeIntegralInRange<int>(-1, 30);
        int ok = -7;
        const int value = Korvex_GetFilterValue(h, id, &ok);
        const bool valid = id >= KORVEX_FILTER_BRIGHTNESS && id <= KORVEX_FILTER_GRAY_CALIBRATE;
        KORVEX_FUZZ_CHECK(ok == (valid ? 1 : 0), "ok tells whether the identifier exists");
        if (!valid) {
          KORVEX_FUZZ_CHECK(value == 0 && Korvex_GetLastError(h) == KORVEX_ERR_ARGUMENT,
                            "an unknown identifier reads 0 with code 9");
        }
        break;
      }
      case 4: {
        // During acquisition the new mode waits for the next start.
        const int bits = input_.ConsumeBool() ? input_.PickValueInArray(kRawColorModes) : Value();
        const int result = Korvex_SetColorMode(h, bits);
        int index = -1;
        for (int i = 0; i < 6; ++i)
          if (kRawColorModes[i] == bits) index = i;
        KORVEX_FUZZ_CHECK(result == (index >= 0 ? 1 : 0), "the six modes and no other");
        if (index < 0) {
          KORVEX_FUZZ_CHECK(Korvex_GetLastError(h) == KORVEX_ERR_ARGUMENT, "code 9");
        } else {
          // The new mode's images exist once acquisition restarts.
          pendingMode_ = index;
          if (!previewing_ && !capturing_) modeIndex_ = index;
        }
        break;
      }
      case 5: {
        // Long pauses too: stopping must still end the worker at once.
        const int ms = input_.ConsumeIntegralInRange<int>(0, 7) != 0
                           ? input_.ConsumeIntegralInRange<int>(-5, 20)
                           : input_.PickValueInArray({30000, INT_MAX, INT_MIN});
        KORVEX_FUZZ_CHECK(Korvex_SetWaitTime(h, ms) == (ms >= 0 ? 1 : 0), "wait time");
        break;
      }
      case 6: {
        const int flag = Value();
        const bool horizontal = input_.ConsumeBool();
        KORVEX_FUZZ_CHECK(
            (horizontal ? Korvex_SetMirrorH(h, flag) : Korvex_SetMirrorV(h, flag)) == 1,
            "mirrors take any flag");
        KORVEX_FUZZ_CHECK((horizontal ? Korvex_GetMirrorH(h) : Korvex_GetMirrorV(h)) == (flag != 0),
                          "mirror reads back as 0 or 1");
        break;
      }
      case 7: {
        const int mode = Value();
        const int result = Korvex_SetAutoIris(h, static_cast<unsigned>(mode));
        KORVEX_FUZZ_CHECK(result == (mode >= 0 && mode <= 2 ? 1 : 0), "automatic brightness 0..2");
        break;
      }
      case 8: {
        const int us = input_.ConsumeBool() ? input_.ConsumeIntegralInRange<int>(-1000, 250000)
                                            : input_.ConsumeIntegral<int>();
        const int before = Korvex_GetExposureTime(h, nullptr);
        const int result = Korvex_SetRealExposureTime(h, us);
        const double lines = std::trunc(static_cast<double>(us) / 1000.0 / 0.12058333204186056);
        if (!Unattended()) {
          if (lines >= 0 && lines < 1014) {
            KORVEX_FUZZ_CHECK(result == 1 && Korvex_GetExposureTime(h, nullptr) == lines,
                              "a time within the range sets its whole lines");
          } else if (lines > 1014 || lines < 0) {
            KORVEX_FUZZ_CHECK(result == 0 && Korvex_GetExposureTime(h, nullptr) == before &&
                                  Korvex_GetLastError(h) == KORVEX_ERR_ARGUMENT,
                              "a time outside the range is refused with code 9");
          }
        }
        break;
      }
      case 9:
        if (!geometryValid_ && !capturing_) {
          KORVEX_FUZZ_CHECK(Korvex_Capture(h) == 0, "a stored bad geometry fails the preparation");
        } else if (Korvex_Capture(h) == 1) {
          if (!capturing_) {
            width_ = pendingWidth_;
            height_ = pendingHeight_;
            modeIndex_ = pendingMode_;
          }
          capturing_ = true;
        } else {
          KORVEX_FUZZ_CHECK(previewing_, "capture refused only while previewing");
        }
        Drain();
        break;
      case 10: SnapShot(); break;
      case 11:
        if (!capturing_ && input_.ConsumeIntegralInRange<int>(0, 3) == 0) {
          if (!geometryValid_ && !previewing_) {
            KORVEX_FUZZ_CHECK(Korvex_StartPreview(h) == 0, "a stored bad geometry fails the start");
            break;
          }
          KORVEX_FUZZ_CHECK(Korvex_StartPreview(h) == 1, "a preview starts from idle");
          previewing_ = true;
          width_ = pendingWidth_;
          height_ = pendingHeight_;
          modeIndex_ = pendingMode_;
        }
        break;
      case 12:
      case 13:
        KORVEX_FUZZ_CHECK(input_.ConsumeBool() ? Korvex_StopPreview(h) == 1 : Korvex_Close(h) == 1,
                          "stopping succeeds");
        previewing_ = capturing_ = false;
        break;
      case 14: {
        // A stored geometry can ask for more bytes than an int holds; no
        // picture of this camera needs more than 64 MiB.
        const int bytes = static_cast<int>(std::min<size_t>(ImageBytes(), size_t{64} << 20));
        const int size =
            input_.ConsumeBool() ? bytes : input_.ConsumeIntegralInRange<int>(-1, bytes);
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[size > 0 ? static_cast<size_t>(size) : 1]);
        Korvex_GetImage(h, buffer.get(), size, input_.ConsumeIntegralInRange<int>(0, 1));
        break;
      }
      case 15: {
        const int sub = Value();
        KORVEX_FUZZ_CHECK(Korvex_SetSubSample(h, sub) == (sub == 0 ? 1 : 0), "sub-sample 0 only");
        break;
      }
      case 16: {
        // Geometry: small pictures anywhere on the sensor, and bad ones.
        const int ehs = input_.ConsumeIntegralInRange<int>(-4, 2564);
        const int evs = input_.ConsumeIntegralInRange<int>(-4, 2564);
        // An empty picture is valid but has no images; it is left out.
        int eh = input_.ConsumeIntegralInRange<int>(-1, 130);
        int ev = input_.ConsumeIntegralInRange<int>(-1, 130);
        if (eh == 0) eh = 1;
        if (ev == 0) ev = 1;
        const bool valid =
            ehs >= 0 && evs >= 0 && eh >= 0 && ev >= 0 && ehs + eh <= 2560 && evs + ev <= 2560;
        const int result = Korvex_SetCaptureWindowEx(h, 2560, ehs, eh, 2560, evs, ev);
        KORVEX_FUZZ_CHECK(result == (valid ? 1 : 0), "exactly a valid geometry is taken");
        if (!valid)
          KORVEX_FUZZ_CHECK(Korvex_GetLastError(h) == KORVEX_ERR_GEOMETRY, "refused with code 7");
        // A refused geometry stays stored; the next preparation fails on it.
        geometry_ = {ehs, eh, evs, ev};
        geometryValid_ = valid;
        pendingWidth_ = eh;
        pendingHeight_ = ev;
        if (!previewing_ && !capturing_) {
          width_ = eh;
          height_ = ev;
        }
        break;
      }
      default: {
        int ok = 0;
        Korvex_GetRealExposureTime(h, &ok);
        KORVEX_FUZZ_CHECK(ok == 1, "the exposure time reads");
        break;
      }
    }
  }

  void SnapShot() {
    const KORVEX_HANDLE h = Handle();
    if (!capturing_) {
      width_ = pendingWidth_;
      height_ = pendingHeight_;
      modeIndex_ = pendingMode_;
    }
    if (!capturing_ && !previewing_ && !geometryValid_) {
      KORVEX_FUZZ_CHECK(Korvex_SnapShot(h, nullptr, 0, 1) == 0 &&
                            Korvex_GetLastError(h) == KORVEX_ERR_NOT_POSSIBLE &&
                            Korvex_GetLastError(h) == KORVEX_ERR_GEOMETRY,
                        "a stored bad geometry fails the snapshot with 1 after 7");
      return;
    }
    const size_t bytes = ImageBytes();
    const bool fits = input_.ConsumeIntegralInRange<int>(0, 7) != 0;
    const int size = fits ? static_cast<int>(bytes)
                          : input_.ConsumeIntegralInRange<int>(0, static_cast<int>(bytes));
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[size > 0 ? static_cast<size_t>(size) : 1]);
    // Gray calibration runs in the gray colour modes under gray mode 1.
    const bool calibrates = Korvex_GetFilterValue(h, KORVEX_FILTER_GRAY_CALIBRATE, nullptr) == 1 &&
                            Korvex_GetFilterValue(h, KORVEX_FILTER_GRAY_MODE, nullptr) == 1 &&
                            modeIndex_ <= 1;
    const int result =
        Korvex_SnapShot(h, buffer.get(), size, input_.ConsumeIntegralInRange<int>(0, 1));
    if (previewing_) {
      KORVEX_FUZZ_CHECK(result == 0 && Korvex_GetLastError(h) == KORVEX_ERR_NOT_POSSIBLE,
                        "no snapshot while previewing");
      return;
    }
    if (size == 0 || static_cast<size_t>(size) >= bytes) {
      KORVEX_FUZZ_CHECK(result == 1, "a snapshot with room for the image succeeds");
      if (calibrates)
        KORVEX_FUZZ_CHECK(Korvex_GetFilterValue(h, KORVEX_FILTER_GRAY_CALIBRATE, nullptr) == 0,
                          "one processed frame takes the calibration request");
    } else {
      KORVEX_FUZZ_CHECK(result == 0, "a buffer too small fails");
    }
    Drain();
  }

  // While a preview runs, the pipeline's automatic loops write gains,
  // exposure and calibration back at any time.
  bool Unattended() const { return previewing_; }

  void SetById(int id, int value) {
    const KORVEX_HANDLE h = Handle();
    const bool valid = id >= KORVEX_FILTER_BRIGHTNESS && id <= KORVEX_FILTER_GRAY_CALIBRATE;
    const bool inRange = valid && value >= kRanges[id].low && value <= kRanges[id].high;
    const int before = valid ? Korvex_GetFilterValue(h, id, nullptr) : 0;
    const int result = Korvex_SetFilterValue(h, id, value);
    KORVEX_FUZZ_CHECK(result == (inRange ? 1 : 0), "a setter takes exactly its range");
    if (!inRange) {
      KORVEX_FUZZ_CHECK(Korvex_GetLastError(h) == KORVEX_ERR_ARGUMENT, "refused with code 9");
      if (valid && !Unattended())
        KORVEX_FUZZ_CHECK(Korvex_GetFilterValue(h, id, nullptr) == before, "and left alone");
      return;
    }
    if (Unattended()) return;
    int expected = value;
    if (id == KORVEX_FILTER_BAYER_GAIN_RGB) expected = value & 0xFFFFFF;
    if (id == KORVEX_FILTER_BAYER_GAIN_AUTO) expected = value != 0 ? 1 : 0;
    KORVEX_FUZZ_CHECK(Korvex_GetFilterValue(h, id, nullptr) == expected, "reads back as stored");
    if (id == KORVEX_FILTER_GLOBAL_GAIN) {
      for (int colour = KORVEX_FILTER_COLOR_GAIN_RED; colour <= KORVEX_FILTER_COLOR_GAIN_BLUE;
           ++colour)
        KORVEX_FUZZ_CHECK(Korvex_GetFilterValue(h, colour, nullptr) == 0, "colour gains stay 0");
    }
    if (id == KORVEX_FILTER_BAYER_GAIN_RGB) {
      KORVEX_FUZZ_CHECK(
          Korvex_GetFilterValue(h, KORVEX_FILTER_BAYER_GAIN_RED, nullptr) == (value & 0xFF) &&
              Korvex_GetFilterValue(h, KORVEX_FILTER_BAYER_GAIN_GREEN, nullptr) ==
                  ((value >> 8) & 0xFF) &&
              Korvex_GetFilterValue(h, KORVEX_FILTER_BAYER_GAIN_BLUE, nullptr) ==
                  ((value >> 16) & 0xFF),
          "packed gains go to red, green and blue");
    }
  }

  // Every code raised is one of the table's.
  void CheckCodes() {
    for (uint32_t code; (code = Korvex_GetLastError(Handle())) != 0;)
      KORVEX_FUZZ_CHECK(
          code >= 1 && code <= 13 && code != KORVEX_ERR_RESERVED && code != KORVEX_ERR_UNSUPPORTED,
          "only documented codes");
  }

  void CheckRanges() {
    const KORVEX_HANDLE h = Handle();
    for (int id = KORVEX_FILTER_BRIGHTNESS; id <= KORVEX_FILTER_GRAY_CALIBRATE; ++id) {
      int ok = 0;
      const int value = Korvex_GetFilterValue(h, id, &ok);
      KORVEX_FUZZ_CHECK(ok == 1, "every identifier reads");
      if (value < kReadRanges[id].low || value > kReadRanges[id].high) {
        std::fprintf(stderr, "identifier %d reads %d\n", id, value);
        KORVEX_FUZZ_CHECK(false, "a value within its documented range");
      }
    }
    const int mode = Korvex_GetColorMode(h);
    bool known = false;
    for (int reported : kReportedColorModes) known = known || reported == mode;
    KORVEX_FUZZ_CHECK(known, "a colour mode of the six");
    KORVEX_FUZZ_CHECK(Korvex_GetSubSample(h) == 0, "sub-sample 0");
    KORVEX_FUZZ_CHECK(Korvex_GetWaitTime(h) >= 0, "a wait time of 0 or more");
    KORVEX_FUZZ_CHECK(Korvex_GetMirrorH(h) >> 1 == 0 && Korvex_GetMirrorV(h) >> 1 == 0,
                      "mirrors 0 or 1");
    int ok = 0;
    const int iris = Korvex_GetAutoIris(h, &ok);
    KORVEX_FUZZ_CHECK(ok == 1 && iris >= 0 && iris <= 2, "automatic brightness 0..2");
    const int exposure = Korvex_GetExposureTime(h, nullptr);
    const int microseconds = Korvex_GetRealExposureTime(h, &ok);
    KORVEX_FUZZ_CHECK(ok == 1 && microseconds >= 61 && microseconds <= 244604,
                      "exposure time between the shortest and the longest");
    if (!Unattended())
      KORVEX_FUZZ_CHECK(microseconds == ExposureMicroseconds(exposure),
                        "exposure time follows the exposure lines");
    int th, ehs, eh, tv, evs, ev;
    KORVEX_FUZZ_CHECK(Korvex_GetCaptureWindowEx(h, &th, &ehs, &eh, &tv, &evs, &ev) == 1,
                      "geometry reads");
    KORVEX_FUZZ_CHECK(th == 2560 && tv == 2560 && ehs == geometry_[0] && eh == geometry_[1] &&
                          evs == geometry_[2] && ev == geometry_[3],
                      "the geometry last set, taken or refused");
    KORVEX_FUZZ_CHECK(Korvex_Width(h) == eh && Korvex_Height(h) == ev, "width and height");
    CheckCodes();
  }

  FuzzedDataProvider& input_;
  int width_ = 64, height_ = 48, pendingWidth_ = 64, pendingHeight_ = 48;
  int modeIndex_ = 0, pendingMode_ = 0;
  bool previewing_ = false, capturing_ = false;
  std::array<int, 4> geometry_{0, 64, 0, 48};  // EHS, EH, EVS, EV
  bool geometryValid_ = true;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  Session(input).Run();
  return 0;
}
