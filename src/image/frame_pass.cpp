#include "image/frame_pass.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "image/converters/converters.h"
#include "image/converters/per_value.h"

namespace korvex::image {

namespace {

constexpr int32_t kBits = 10;  // significant bits of deep samples

// Rows of a picture kept in some memory: picture row y is at Row(y).
struct Rows {
  uint8_t* pixels = nullptr;
  int32_t stride = 0;
  int32_t row0 = 0;  // the picture row held first
  uint8_t* Row(int32_t y) const {
    return pixels + static_cast<ptrdiff_t>(y - row0) * static_cast<ptrdiff_t>(stride);
  }
};

// A region converter on picture rows top..bottom - 1 from `src` into `dst`
// (the same rows of each).
int32_t OnRows(RegionConverter converter, const Rows& dst, const Rows& src, int32_t width,
               int dstBpp, int srcBpp, int32_t top, int32_t bottom, int32_t* block) {
  int32_t* p = block;
  const Rect rows{0, 0, width, bottom - top};
  return converter(dst.Row(top), src.Row(top), rows, 0, 0, static_cast<uint16_t>(dstBpp),
                   static_cast<uint16_t>(srcBpp), dst.stride, src.stride, &p, nullptr);
}

detail::Region RegionOf(const Rows& rows, int32_t width, int bpp, int32_t top, int32_t bottom) {
  return detail::MakeRegion(rows.Row(top), rows.Row(top), Rect{0, 0, width, bottom - top}, 0, 0,
                            static_cast<uint16_t>(bpp), static_cast<uint16_t>(bpp), rows.stride,
                            rows.stride);
}

bool IsColour(SampleFamily f) { return f == SampleFamily::kColor8 || f == SampleFamily::kColor10; }
bool IsDeepFamily(SampleFamily f) {
  return f == SampleFamily::kGray10 || f == SampleFamily::kColor10;
}

// The pass with everything a stripe needs worked out once per frame.
class Pass {
 public:
  Pass(PipelineWorkers& workers, const FramePass& p) : workers_(workers), p_(p) {
    const FinishingParams& f = p.finishing;
    deep_ = IsDeepFamily(p.family);
    colour_ = IsColour(p.family);
    sample_ = deep_ ? 2 : 1;
    channels_ = colour_ ? 3 : 1;
    bpp_ = p.out.bits / 8;
    width_ = p.out.width;
    height_ = p.out.height;
    hue_ = colour_ && (f.hue != 0 || f.saturation != 0);
    tone_ = f.gamma != 100 || f.contrast != 0;
    sharpen_ = f.sharpness != 0;
    bright_ = f.brightness != 0;
    FinishingTables& tables = workers.Tables();
    tables.Prepare(deep_, p.family == SampleFamily::kColor8, f.gamma, f.contrast, f.brightness,
                   kBits);
    tables_ = &tables;
    toneSize_ = 1u << detail::ClampBits(kBits);
    brightFactor_ = BrightnessFactor(f.brightness);
    mosaic_ = MosaicImage{p.mosaic.pixels, p.mosaic.width, p.mosaic.height, p.mosaic.stride,
                          p.mosaic.bits / 8};
  }

  // The images fit each other and the family.
  bool Valid() const {
    const ImageView& m = p_.mosaic;
    const ImageView& o = p_.out;
    if (m.Empty() || o.Empty() || m.width != o.width || m.height != o.height) return false;
    if (m.bits != (deep_ ? 16 : 8)) return false;
    if (colour_ ? (bpp_ < 3 * sample_ || bpp_ % sample_ != 0) : bpp_ != sample_) return false;
    if (p_.first == FirstStage::kDemosaicToGray && (deep_ || colour_)) return false;
    return true;
  }

  // A stage reads rows around its own that another stripe writes in place.
  bool NeedsSeparateMosaic() const {
    return p_.mosaic.pixels == p_.out.pixels &&
           (sharpen_ || p_.first == FirstStage::kDemosaicToGray);
  }

  void Run(const ImageView& mosaic) {
    mosaic_.pixels = mosaic.pixels;
    mosaicRows_ = Rows{mosaic.pixels, mosaic.stride, 0};
    const Rows out{p_.out.pixels, p_.out.stride, 0};
    workers_.ForEachBand(0, height_,
                         [&](int32_t top, int32_t bottom, SlotScratch& scratch) {
                           Band(out, top, bottom, scratch);
                         });
  }

 private:
  // Rows top..bottom - 1, a stripe at a time, each through every stage.
  void Band(const Rows& out, int32_t top, int32_t bottom, SlotScratch& slot) {
    std::vector<uint8_t>& scratch = slot.rows;
    RowScratch& converterRows = slot.converters;
    const int32_t rows = workers_.StripeRows(p_.out.stride);
    // Sharpness needs the finished rows two above and one below a stripe:
    // they are kept in scratch, and the last three rows of one stripe are
    // the first of the next, so only a band's first stripe makes rows of
    // its neighbour band. Without sharpness the rows are made in place.
    const int32_t workRows = sharpen_ ? rows + 3 : 0;
    const size_t workBytes = static_cast<size_t>(workRows) * p_.out.stride;
    const size_t colourStride = static_cast<size_t>(width_) * 3;
    const size_t colourBytes =
        p_.first == FirstStage::kDemosaicToGray ? static_cast<size_t>(rows + 3) * colourStride : 0;
    if (scratch.size() < workBytes + colourBytes) scratch.resize(workBytes + colourBytes);
    uint8_t* const workMemory = scratch.data();
    uint8_t* const colourMemory = scratch.data() + workBytes;
    int32_t held0 = 0, held1 = 0;  // finished rows in workMemory
    for (int32_t y0 = top; y0 < bottom; y0 += rows) {
      const int32_t y1 = std::min(y0 + rows, bottom);
      if (!sharpen_) {
        Finish(out, Rows{colourMemory, static_cast<int32_t>(colourStride), y0}, y0, y1,
               converterRows);
      } else {
        const int32_t need0 = std::max(0, y0 - 2), need1 = std::min(height_, y1 + 1);
        int32_t from = need0;
        if (held0 <= need0 && need0 < held1) {  // rows the last stripe finished
          std::memmove(workMemory, workMemory + static_cast<size_t>(need0 - held0) * p_.out.stride,
                       static_cast<size_t>(held1 - need0) * p_.out.stride);
          from = held1;
        }
        const Rows work{workMemory, p_.out.stride, need0};
        Finish(work, Rows{colourMemory, static_cast<int32_t>(colourStride), from}, from, need1,
               converterRows);
        held0 = need0;
        held1 = need1;
        Sharpen(work, out, y0, y1, converterRows);
      }
      if (bright_) {
        const detail::Region r = RegionOf(out, width_, bpp_, y0, y1);
        if (deep_) {
          detail::ApplyFactor16(r, channels_, brightFactor_, toneSize_ - 1);
        } else {
          detail::ApplyBrightness8(r, channels_, brightFactor_, tables_->brightness8);
        }
      }
    }
  }

  // Rows from..to - 1 through the stages before sharpness, into `work`;
  // converters take their row buffers from `rows`.
  void Finish(const Rows& work, const Rows& colour, int32_t from, int32_t to, RowScratch& rows) {
    if (from >= to) return;
    MakeFirstRows(work, colour, from, to, rows);
    if (hue_) {
      int32_t block[kHsBlockSize] = {p_.finishing.hue, 0, p_.finishing.saturation, kBits};
      OnRows(deep_ ? HueSaturation48 : HueSaturation24, work, work, width_, bpp_, bpp_, from, to,
             block);
    }
    if (tone_) {
      const detail::Region r = RegionOf(work, width_, bpp_, from, to);
      if (deep_) {
        detail::ApplyWideTable16(r, channels_, tables_->tone16.data(), toneSize_);
      } else {
        detail::ApplyTable8(r, channels_, tables_->tone8);
      }
    }
  }

  // Rows from..to - 1 of the first stage's result into `work`.
  void MakeFirstRows(const Rows& work, const Rows& colour, int32_t from, int32_t to,
                     RowScratch& rows) {
    switch (p_.first) {
      case FirstStage::kDemosaic:
        DemosaicRows(mosaic_, p_.demosaic, work.Row(from), work.stride, bpp_, from, from, to,
                     &rows);
        return;
      case FirstStage::kDemosaicToGray:
        DemosaicRows(mosaic_, p_.demosaic, colour.Row(from), colour.stride, 3, from, from, to,
                     &rows);
        OnRows(ColorToGray, work, colour, width_, 1, 3, from, to, nullptr);
        return;
      case FirstStage::kGrayGain: {
        const GrayGainParams& g = p_.grayGain;
        // The converter counts row parity from its first row.
        int32_t block[kGrayBlockSize] = {g.bayerMode ^ (from & 1),
                                         g.gain[0],
                                         g.gain[1],
                                         g.gain[2],
                                         g.gain[3],
                                         g.offset[0],
                                         g.offset[1],
                                         g.offset[2],
                                         g.offset[3],
                                         deep_ ? kBits : 8};
        OnRows(deep_ ? GrayGainOffset16 : GrayGainOffset8, work, mosaicRows_, width_, bpp_, bpp_,
               from, to, block);
        return;
      }
      case FirstStage::kCopy:
        if (work.Row(from) == mosaicRows_.Row(from)) return;
        for (int32_t y = from; y < to; ++y) {
          std::memcpy(work.Row(y), mosaicRows_.Row(y), static_cast<size_t>(width_) * bpp_);
        }
        return;
    }
  }

  // Rows top..bottom - 1 of the output sharpened from the finished rows in
  // `work`: the two-pixel frame keeps them as they are.
  void Sharpen(const Rows& work, const Rows& out, int32_t top, int32_t bottom,
               RowScratch& scratch) const {
    const size_t pixelBytes = static_cast<size_t>(channels_) * sample_;  // not a fourth channel
    auto keep = [&](int32_t y, int32_t x0, int32_t x1) {
      const uint8_t* from = work.Row(y);
      uint8_t* to = out.Row(y);
      if (pixelBytes == static_cast<size_t>(bpp_)) {  // pixels of channels only: one move
        std::memcpy(to + static_cast<size_t>(x0) * bpp_, from + static_cast<size_t>(x0) * bpp_,
                    static_cast<size_t>(x1 - x0) * pixelBytes);
        return;
      }
      for (int32_t x = x0; x < x1; ++x) {
        std::memcpy(to + static_cast<size_t>(x) * bpp_, from + static_cast<size_t>(x) * bpp_,
                    pixelBytes);
      }
    };
    const bool interior = width_ >= 5 && height_ >= 5;
    for (int32_t y = top; y < bottom; ++y) {
      if (!interior || y < 2 || y >= height_ - 2) {
        keep(y, 0, width_);
      } else {
        keep(y, 0, 2);
        keep(y, width_ - 2, width_);
      }
    }
    const int32_t first = std::max(top, 2), last = std::min(bottom, height_ - 2);
    if (!interior || first >= last) return;
    // The converter computes rows 2..h - 3 of what it is given: rows
    // first - 2 .. last + 1 give exactly first..last - 1.
    static constexpr SharpenKind kKinds[4] = {SharpenKind::kGray8, SharpenKind::kGray16,
                                              SharpenKind::kColour24, SharpenKind::kColour48};
    int32_t block[kFilterBlockSize] = {p_.finishing.sharpness, kBits};
    int32_t* params = block;
    const Rect rows{0, 0, width_, last - first + 4};
    SharpenRows(kKinds[static_cast<int>(p_.family)], out.Row(first - 2), work.Row(first - 2), rows,
                static_cast<uint16_t>(bpp_), out.stride, work.stride, &params, scratch);
  }

  PipelineWorkers& workers_;
  const FramePass& p_;
  const FinishingTables* tables_ = nullptr;
  MosaicImage mosaic_;
  Rows mosaicRows_;
  bool deep_ = false, colour_ = false, hue_ = false, tone_ = false, sharpen_ = false,
       bright_ = false;
  int sample_ = 1, channels_ = 1, bpp_ = 0;
  int32_t width_ = 0, height_ = 0;
  uint32_t toneSize_ = 0;
  float brightFactor_ = 1.0f;
};

}  // namespace

SampleFamily FamilyOf(int32_t bits) {
  switch (bits) {
    case 8: return SampleFamily::kGray8;
    case 16: return SampleFamily::kGray10;
    case 48:
    case 64: return SampleFamily::kColor10;
    default: return SampleFamily::kColor8;
  }
}

void RunFramePass(PipelineWorkers& workers, const FramePass& pass) {
  Pass run(workers, pass);
  if (!run.Valid()) return;
  if (!run.NeedsSeparateMosaic()) {
    run.Run(pass.mosaic);
    return;
  }
  // The output is the mosaic and a stage reads rows that other stripes
  // write: the stripes read a copy.
  const size_t bytes = static_cast<size_t>(pass.mosaic.height) * pass.mosaic.stride;
  std::vector<uint8_t> copy(pass.mosaic.pixels, pass.mosaic.pixels + bytes);
  ImageView mosaic = pass.mosaic;
  mosaic.pixels = copy.data();
  run.Run(mosaic);
}

void MeasureWhiteBalanceStriped(PipelineWorkers& workers, const ImageView& mosaic,
                                int32_t* result) {
  const int bytes = mosaic.bits == 16 ? 2 : 1;
  const int32_t rows = workers.StripeRows(mosaic.stride);
  std::vector<WhiteBalanceSums> parts(static_cast<size_t>((mosaic.height + rows - 1) / rows));
  workers.ForEachStripe(0, mosaic.height, mosaic.stride,
                        [&](int32_t top, int32_t bottom, SlotScratch&) {
                          parts[static_cast<size_t>(top / rows)] =
                              SumWhiteBalanceSites(mosaic.pixels, mosaic.width, mosaic.stride,
                                                   bytes, top, bottom, result[kWbResultBayerMode]);
                        });
  WhiteBalanceSums total;
  for (const WhiteBalanceSums& part : parts) total.Add(part);  // in stripe order
  FinishWhiteBalance(result, total);
}

void MeasureGrayGainsStriped(PipelineWorkers& workers, const ImageView& mosaic, int32_t* block) {
  if (mosaic.Empty()) return;
  const int32_t rows = workers.StripeRows(mosaic.stride);
  std::vector<GraySiteSums> parts(static_cast<size_t>((mosaic.height + rows - 1) / rows));
  workers.ForEachStripe(
      0, mosaic.height, mosaic.stride, [&](int32_t top, int32_t bottom, SlotScratch&) {
        parts[static_cast<size_t>(top / rows)] =
            SumGraySites(mosaic.pixels, mosaic.width, mosaic.stride, top, bottom, block);
      });
  GraySiteSums total;
  for (const GraySiteSums& part : parts) total.Add(part);
  FinishGrayGains(block, total);
}

}  // namespace korvex::image
