#include "image/striped_stages.h"

#include <cstring>
#include <vector>

#include "image/converters/converters.h"
#include "image/converters/per_value.h"
#include "image/converters/vector_level.h"

namespace korvex::image {

namespace {

// A region converter on rows top..bottom - 1 of one image (or from one image
// into another of the same size), rows in memory order.
int32_t OnRows(RegionConverter converter, const ImageView& dst, const ImageView& src,
               int32_t top, int32_t bottom, int32_t* block) {
  int32_t* p = block;
  const Rect rows{0, top, src.width, bottom};
  return converter(dst.pixels, src.pixels, rows, 0, top, static_cast<uint16_t>(dst.bits / 8),
                   static_cast<uint16_t>(src.bits / 8), dst.stride, src.stride, &p, nullptr);
}

detail::Region RowsOf(const ImageView& image, int32_t top, int32_t bottom) {
  const int bpp = image.bits / 8;
  return detail::MakeRegion(image.pixels, image.pixels, Rect{0, top, image.width, bottom}, 0,
                            top, static_cast<uint16_t>(bpp), static_cast<uint16_t>(bpp),
                            image.stride, image.stride);
}

// The stages that need rows 2..height - 3 of a picture and read two rows
// above and one below each (demosaic, sharpness) run on the stripe's rows
// widened by two rows on each side: the converter then computes exactly the
// stripe's rows. Returns false when the stripe holds no such row.
bool InteriorRows(int32_t top, int32_t bottom, int32_t height, int32_t& first, int32_t& last) {
  first = top > 2 ? top : 2;
  last = bottom < height - 2 ? bottom : height - 2;
  return first < last;
}

}  // namespace

void MeasureWhiteBalanceStriped(PipelineWorkers& workers, const ImageView& gray,
                                int32_t* result) {
  const int bytes = gray.bits == 16 ? 2 : 1;
  const int32_t rows = workers.StripeRows(gray.stride);
  std::vector<WhiteBalanceSums> parts(static_cast<size_t>((gray.height + rows - 1) / rows));
  workers.ForEachStripe(0, gray.height, gray.stride, [&](int32_t top, int32_t bottom) {
    parts[static_cast<size_t>(top / rows)] = SumWhiteBalanceSites(
        gray.pixels, gray.width, gray.stride, bytes, top, bottom, result[kWbResultBayerMode]);
  });
  WhiteBalanceSums total;
  for (const WhiteBalanceSums& part : parts) total.Add(part);  // in stripe order
  FinishWhiteBalance(result, total);
}

void DemosaicStriped(PipelineWorkers& workers, const ImageView& color, const ImageView& gray,
                     int32_t* block) {
  const bool deep = gray.bits == 16;
  if (color.width != gray.width || color.height != gray.height) {
    // Differently sized images: the dispatcher's clipping decides.
    int32_t* p = block;
    ConvertRegion(color, deep ? Demosaic16 : Demosaic8, gray, nullptr, 0, 0, &p);
    ConvertRegion(color, deep ? Demosaic16Border : Demosaic8Border, gray, nullptr, 0, 0, &p);
    return;
  }
  const RegionConverter interior = deep ? Demosaic16 : Demosaic8;
  workers.ForEachStripe(0, gray.height, color.stride, [&](int32_t top, int32_t bottom) {
    int32_t first, last;
    if (!InteriorRows(top, bottom, gray.height, first, last)) return;
    // The widened stripe starts at row first - 2: its row parity shifts.
    int32_t stripeBlock[kWbBlockSize] = {block[kWbBayerMode] ^ ((first - 2) & 1),
                                         block[kWbRGain], block[kWbGGain], block[kWbBGain]};
    OnRows(interior, color, gray, first - 2, last + 2, stripeBlock);
  });
  int32_t* p = block;
  ConvertRegion(color, deep ? Demosaic16Border : Demosaic8Border, gray, nullptr, 0, 0, &p);
}

void FinishStriped(PipelineWorkers& workers, const ImageView& out, const ImageView& copy,
                   int family, const FinishingSettings& s) {
  if (out.Empty()) return;
  const bool deep = family == 1 || family == 3;
  const bool colour = family >= 2;
  const int sample = deep ? 2 : 1;
  const int channels = colour ? 3 : 1;
  const int bpp = out.bits / 8;
  // The converters of each family leave images of other layouts untouched.
  if (colour ? (bpp < 3 * sample || bpp % sample != 0) : bpp != sample) return;
  constexpr int32_t kBits = 10;

  const bool hue = colour && (s.hue != 0 || s.saturation != 0);
  const bool tone = s.gamma != 100 || s.contrast != 0;
  const bool sharpen = s.sharpness != 0 && !copy.Empty() && copy.stride == out.stride &&
                       copy.height == out.height && copy.bits == out.bits &&
                       copy.width == out.width;
  const bool bright = s.brightness != 0;
  if (!hue && !tone && !sharpen && !bright) return;

  FinishingTables& tables = workers.Tables();
  tables.Prepare(deep, family == 2, s.gamma, s.contrast, s.brightness, kBits);
  const uint32_t n = 1u << detail::ClampBits(kBits);
  const float brightFactor = BrightnessFactor(s.brightness);

  // 8-bit brightness by its table where bytes can be looked up 64 at a
  // time, otherwise by the factor (both give the same bytes).
  const bool brightTable = ActiveVectorLevel() >= VectorLevel::kAvx512;
  auto brighten = [&](int32_t top, int32_t bottom) {
    const detail::Region r = RowsOf(out, top, bottom);
    if (deep) {
      detail::ApplyFactor16(r, channels, brightFactor, n - 1);
    } else if (brightTable) {
      detail::ApplyTable8(r, channels, tables.brightness8);
    } else {
      detail::ApplyFactor8(r, channels, brightFactor);
    }
  };

  // Hue, gamma and contrast only read the pixel they write: a stripe passes
  // through all of them while it is in the cache.
  workers.ForEachStripe(0, out.height, out.stride, [&](int32_t top, int32_t bottom) {
    if (hue) {
      int32_t block[kHsBlockSize] = {s.hue, 0, s.saturation, kBits};
      OnRows(deep ? HueSaturation48 : HueSaturation24, out, out, top, bottom, block);
    }
    if (tone) {
      const detail::Region r = RowsOf(out, top, bottom);
      if (deep) {
        detail::ApplyTable16(r, channels, tables.tone16.data(), n, tables.tone16[n]);
      } else {
        detail::ApplyTable8(r, channels, tables.tone8);
      }
    }
    if (sharpen) {
      const size_t offset = static_cast<size_t>(top) * static_cast<size_t>(out.stride);
      std::memcpy(copy.pixels + offset, out.pixels + offset,
                  static_cast<size_t>(bottom - top) * static_cast<size_t>(out.stride));
    } else if (bright) {
      brighten(top, bottom);
    }
  });
  if (!sharpen) return;

  // Sharpness reads the copy two rows above and one below each row, so it
  // starts once every stripe has been copied.
  static constexpr RegionConverter kSharpen[4] = {Sharpen8, Sharpen16, Sharpen24, Sharpen48};
  workers.ForEachStripe(0, out.height, out.stride, [&](int32_t top, int32_t bottom) {
    int32_t first, last;
    if (InteriorRows(top, bottom, out.height, first, last)) {
      int32_t block[kFilterBlockSize] = {s.sharpness, kBits};
      OnRows(kSharpen[family], out, copy, first - 2, last + 2, block);
    }
    if (bright) brighten(top, bottom);
  });
}

}  // namespace korvex::image
