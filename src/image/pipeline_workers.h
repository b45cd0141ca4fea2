// What a camera keeps between frames to run its pipeline fast: the stripe
// pool, scratch memory per pool thread and the per-value tables of the
// finishing stages.
//
// The frame pass (frame_pass.h) splits the picture into bands, and bands
// into horizontal stripes of a few hundred kilobytes; a stripe goes through
// every per-pixel stage before the next starts, so the picture is read from
// memory once for them all. Every stripe computes exactly the bytes the
// whole-picture converters would, so the thread count and the stripe height
// never change a byte.
//
// Owned by one camera and used under its frame lock; not thread safe.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image/converters/row_scratch.h"
#include "image/stripe_pool.h"

namespace korvex::image {

// The per-value stages of one sample depth as tables, built again only when
// a setting they depend on changes.
struct FinishingTables {
  // Gamma then contrast in one table, and brightness, for 8-bit channels.
  uint8_t tone8[256] = {};
  uint8_t brightness8[256] = {};
  // Gamma then contrast for 10-bit samples: entry v for v < n, entry n for
  // every larger word (n = 2^bits); 32-bit entries, as the look-up takes them.
  std::vector<uint32_t> tone16;
  // The settings the tables were built for (-1: never built).
  int32_t gamma = -1, contrast = -1, brightness = -1, bits = -1;
  bool deep = false, limitExponent = false;
  bool toneBuilt = false, brightnessBuilt = false;

  // Rebuilds what the given settings need (neutral stages are the identity).
  void Prepare(bool deepSamples, bool limitGammaExponent, int32_t gammaSetting,
               int32_t contrastSetting, int32_t brightnessSetting, int32_t significantBits);
};

// Memory of the thread running a piece, kept between frames.
struct SlotScratch {
  std::vector<uint8_t> rows;  // rows a piece keeps (it may resize them)
  RowScratch converters;      // the converters' row buffers
};

class PipelineWorkers {
 public:
  // threads: see StripePool; stripeRows 0 picks rows by the image's stride.
  explicit PipelineWorkers(int threads = StripePool::DefaultThreads(), int32_t stripeRows = 0);

  FinishingTables& Tables() { return tables_; }
  int Threads() const { return pool_.Threads(); }

  // Rows per stripe for an image of this many bytes per row.
  int32_t StripeRows(int32_t stride) const;

  // Calls piece(top, bottom, scratch) for the stripes of rows first..last - 1,
  // on the pool; returns when all are done. scratch is the SlotScratch of
  // the thread running the piece.
  template <typename Piece>
  void ForEachStripe(int32_t first, int32_t last, int32_t stride, Piece piece) {
    if (last <= first) return;
    const int32_t rows = StripeRows(stride);
    const int32_t count = (last - first + rows - 1) / rows;
    pool_.Run(count, [&](int i, int slot) {
      const int32_t top = first + i * rows;
      piece(top, top + rows < last ? top + rows : last, scratch_[static_cast<size_t>(slot)]);
    });
  }

  // The same with a few tall bands instead of stripes: two per thread, of
  // near-equal height, for work that carries rows from one stripe of a band
  // to the next.
  template <typename Piece>
  void ForEachBand(int32_t first, int32_t last, Piece piece) {
    if (last <= first) return;
    const int32_t total = last - first;
    const int32_t count = std::min<int32_t>(2 * Threads(), total);
    pool_.Run(count, [&](int i, int slot) {
      const int32_t top = first + static_cast<int32_t>(int64_t{total} * i / count);
      const int32_t bottom = first + static_cast<int32_t>(int64_t{total} * (i + 1) / count);
      piece(top, bottom, scratch_[static_cast<size_t>(slot)]);
    });
  }

 private:
  StripePool pool_;
  FinishingTables tables_;
  int32_t stripeRows_;
  std::vector<SlotScratch> scratch_;  // one per pool slot
};

}  // namespace korvex::image
