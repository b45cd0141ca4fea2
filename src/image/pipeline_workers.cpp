#include "image/pipeline_workers.h"

#include "image/converters/brightness.h"
#include "image/converters/contrast.h"
#include "image/converters/converter.h"
#include "image/converters/gamma.h"

namespace korvex::image {

namespace {
// A stripe of about this many bytes stays in the second-level cache while
// every per-pixel stage passes over it.
constexpr int32_t kStripeBytes = 192 * 1024;
constexpr int32_t kMinStripeRows = 8;
}  // namespace

void FinishingTables::Prepare(bool deepSamples, bool limitGammaExponent, int32_t gammaSetting,
                              int32_t contrastSetting, int32_t brightnessSetting,
                              int32_t significantBits) {
  const bool gammaOn = gammaSetting != 100, contrastOn = contrastSetting != 0;
  if (gammaOn || contrastOn) {
    const bool same = toneBuilt && deep == deepSamples && limitExponent == limitGammaExponent &&
                      gamma == gammaSetting && contrast == contrastSetting &&
                      (!deepSamples || bits == significantBits);
    if (!same) {
      if (deepSamples) {
        const uint32_t n = 1u << detail::ClampBits(significantBits);
        std::vector<uint16_t> g(n), c(n);
        BuildGammaTable16(gammaSetting, significantBits, g.data());
        BuildContrastTable16(contrastSetting, significantBits, c.data());
        tone16.assign(n + 1, 0);
        for (uint32_t v = 0; v <= n; ++v) {
          // Words at or above n take the last gamma entry, or n - 1 from contrast.
          uint32_t x = gammaOn ? g[v < n ? v : n - 1] : v;
          if (contrastOn) x = x < n ? c[x] : n - 1;
          tone16[v] = static_cast<uint16_t>(x);  // a 16-bit result
        }
      } else {
        uint8_t g[256], c[256];
        BuildGammaTable8(gammaSetting, limitGammaExponent, g);
        BuildContrastTable8(contrastSetting, c);
        for (int v = 0; v < 256; ++v) {
          const uint8_t x = gammaOn ? g[v] : static_cast<uint8_t>(v);
          tone8[v] = contrastOn ? c[x] : x;
        }
      }
      deep = deepSamples;
      limitExponent = limitGammaExponent;
      gamma = gammaSetting;
      contrast = contrastSetting;
      bits = significantBits;
      toneBuilt = true;
    }
  }
  if (!deepSamples && brightnessSetting != 0 &&
      (!brightnessBuilt || brightness != brightnessSetting)) {
    BuildBrightnessTable8(brightnessSetting, brightness8);
    brightness = brightnessSetting;
    brightnessBuilt = true;
  }
}

PipelineWorkers::PipelineWorkers(int threads, int32_t stripeRows)
    : pool_(threads),
      stripeRows_(stripeRows > 0 ? stripeRows : 0),
      scratch_(static_cast<size_t>(pool_.Threads())) {}

int32_t PipelineWorkers::StripeRows(int32_t stride) const {
  if (stripeRows_ > 0) return stripeRows_;
  const int32_t rows = stride > 0 ? kStripeBytes / stride : kMinStripeRows;
  return rows < kMinStripeRows ? kMinStripeRows : rows;
}

}  // namespace korvex::image
