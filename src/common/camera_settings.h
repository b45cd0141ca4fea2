// The camera settings record: size, video format, analog and filter groups.
//
// Every field is a 32-bit value that the application's threads write while
// the capture thread and the pipeline read it every frame; the last writer
// wins. Fields are relaxed atomics so that this sharing is well defined.
// Groups are laid out as plain arrays of 32-bit values in the documented
// order, because the dialogs walk them field by field.
#pragma once

#include <atomic>
#include <cstdint>

namespace korvex {

class Setting {
 public:
  constexpr Setting(int32_t initial = 0) : value_(initial) {}
  Setting(const Setting&) = delete;
  Setting& operator=(const Setting&) = delete;

  int32_t Get() const { return value_.load(std::memory_order_relaxed); }
  void Set(int32_t v) { value_.store(v, std::memory_order_relaxed); }
  operator int32_t() const { return Get(); }
  Setting& operator=(int32_t v) {
    Set(v);
    return *this;
  }
  // Stores `desired` only while the value still is `expected`; true when it
  // did. For a thread that writes back a value it computed from an earlier
  // read, so that another thread's write in between is not overwritten.
  bool CompareExchange(int32_t expected, int32_t desired) {
    return value_.compare_exchange_strong(expected, desired, std::memory_order_relaxed);
  }

 private:
  std::atomic<int32_t> value_;
};
static_assert(sizeof(Setting) == 4, "settings are plain 32-bit slots");

// Capture geometry. The names are also the registry value names.
struct SizeGroup {
  Setting TH{2560};  // total horizontal pixels
  Setting TV{2560};  // total vertical pixels
  Setting EH{2560};  // effective width
  Setting EV{1920};  // effective height
  Setting EHS{0};    // first effective column
  Setting EVS{0};    // first effective line
  Setting Buf{4};    // buffer count of the size preset; stored only
};

struct VideoFormatGroup {
  Setting Color{0};      // colour mode index 0..5
  Setting SubSample{0};  // only 0 through the interface
  Setting WaitTime{10};  // preview worker's pause, milliseconds
  Setting Clock{0};      // 0 normal, 1 half, 2 high
};

// Handed to the analog gain dialog in exactly this order.
struct AnalogGroup {
  Setting Global{0};
  Setting ColorG1{0};
  Setting ColorR{0};
  Setting ColorB{0};
  Setting ColorG2{0};
  Setting Exposure{0};
  Setting V_Mirror{0};
  Setting H_Mirror{0};
  Setting AutoIris{0};
};

// Handed to the image filter and gray dialogs in exactly this order.
struct FilterGroup {
  Setting Brightness{0};
  Setting Contrast{0};
  Setting Hue{0};
  Setting Saturation{0};
  Setting Sharpness{0};
  Setting R_Gain{0};
  Setting G_Gain{0};
  Setting B_Gain{0};
  Setting Gamma{0};
  Setting BayerMode{0};
  Setting Mode{0};  // gray mode: 0 Bayer, 1 Bayer convert, 2 grayscale
  Setting GainR1{0};
  Setting GainG1{0};
  Setting GainG2{0};
  Setting GainB1{0};
  Setting OffsetR1{0};
  Setting OffsetG1{0};
  Setting OffsetG2{0};
  Setting OffsetB1{0};
  Setting BayerGainAuto{0};
  Setting BayerGainOnce1{0};
  Setting BayerGainOnce2{0};
  Setting GrayCalibrate{0};
};

// The upper ends of the white-balance and gray gain fields' range: what
// the setters accept and what the pipeline's measurements may write back.
inline constexpr int32_t kBayerGainMax = 400;
inline constexpr int32_t kGrayGainMax = 255;

struct CameraSettings {
  SizeGroup size;
  VideoFormatGroup video;
  AnalogGroup analog;
  FilterGroup filter;
};

static_assert(sizeof(AnalogGroup) == 9 * 4);
static_assert(sizeof(FilterGroup) == 23 * 4);

// Exposure timing of this sensor.
inline constexpr int kLinePeriodClocks = 2894;
inline constexpr int kFixedOffsetClocks = 1480;
// The single-precision value nearest 1/24000 ms, widened to double.
inline constexpr double kClockPeriodMs = static_cast<double>(1.0f / 24000.0f);
inline constexpr double kLineTimeMs = 2894 * kClockPeriodMs;

}  // namespace korvex
