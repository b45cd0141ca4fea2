#include "image/converters/demosaic.h"

#include <optional>

#include "image/converters/demosaic8_avx2.h"
#include "image/converters/demosaic8_avx512.h"
#include "image/converters/four_sample_pixels.h"
#include "image/converters/interleave_x86.h"
#include "image/converters/vector_level.h"

namespace korvex::image {

int64_t DemosaicGainFactor(int32_t percent) {
  const double g = static_cast<double>(percent) * 1.28;
  return g > 0.0 ? static_cast<int64_t>(g) : 0;
}

namespace {

template <typename T>
constexpr uint32_t kMax = sizeof(T) == 1 ? 255u : 1023u;

template <typename T>
struct Setup {
  detail::Region r;
  int m0 = 0;  // row parity bit of the adjusted mode
  int m1 = 0;  // column parity bit
  int64_t gainR = 0;
  int64_t gainB = 0;
  // The picture row that r.dst points at: rows are written to
  // r.dst + (y - dstRow0) x stride, so a caller may keep only some rows.
  int32_t dstRow0 = 0;
  // Where the row buffers come from (reset by whoever made the setup).
  RowScratch* scratch = nullptr;

  const T* Row(int32_t y) const { return reinterpret_cast<const T*>(r.SrcRow(y)); }
  uint8_t* Out(int32_t y) const { return r.dst + (y - dstRow0) * r.dstStride; }

  // Σ x gain in 1/2048, with the overflow rule: at or beyond the maximum + 1
  // the maximum.
  static uint32_t Scale(uint64_t sigma, int64_t gain) {
    const uint64_t v = (sigma * static_cast<uint64_t>(gain)) >> 11;
    return v > kMax<T> ? kMax<T> : static_cast<uint32_t>(v);
  }

  void Store(int32_t x, int32_t y, uint32_t blue, uint32_t green, uint32_t red) const {
    uint8_t* p = Out(y) + static_cast<ptrdiff_t>(x) * r.dstBpp;
    if constexpr (sizeof(T) == 1) {
      p[0] = static_cast<uint8_t>(blue);
      p[1] = static_cast<uint8_t>(green);
      p[2] = static_cast<uint8_t>(red);
    } else {
      detail::Word* w = detail::Words(p);
      w[0] = static_cast<uint16_t>(blue);
      w[1] = static_cast<uint16_t>(green);
      w[2] = static_cast<uint16_t>(red);
    }
  }

  // One pixel by the general rule; any (x, y) of the image when it is at
  // least 4 x 4, taps outside the image folded four rows or columns inward.
  void Pixel(int32_t x, int32_t y) const {
    const int32_t w = r.width, h = r.height;
    auto at = [&](int32_t cx, int32_t cy) -> uint32_t {
      cx = cx < 0 ? cx + 4 : (cx >= w ? cx - 4 : cx);
      cy = cy < 0 ? cy + 4 : (cy >= h ? cy - 4 : cy);
      return Row(cy)[cx];
    };
    const bool redRowIsY = ((y ^ m0) & 1) == 1;
    const bool redColIsX = ((x ^ m1) & 1) == 0;
    const int32_t ry = redRowIsY ? y : y - 1, ry2 = redRowIsY ? y - 2 : y + 1;
    const int32_t by = redRowIsY ? y - 1 : y, by2 = redRowIsY ? y + 1 : y - 2;
    const int32_t rx = redColIsX ? x : x - 1, rx2 = redColIsX ? x - 2 : x + 1;
    const int32_t bx = redColIsX ? x - 1 : x, bx2 = redColIsX ? x + 1 : x - 2;
    const uint64_t sr = 9 * at(rx, ry) + 3 * at(rx2, ry) + 3 * at(rx, ry2) + at(rx2, ry2);
    const uint64_t sb = 9 * at(bx, by) + 3 * at(bx2, by) + 3 * at(bx, by2) + at(bx2, by2);
    const bool greenAtXY = redRowIsY != redColIsX;
    uint32_t g =
        greenAtXY ? (at(x, y) + at(x - 1, y - 1)) >> 1 : (at(x - 1, y) + at(x, y - 1)) >> 1;
    if (g > kMax<T>) g = kMax<T>;
    Store(x, y, Scale(sb, gainB), g, Scale(sr, gainR));
  }

  // The same for a row whose taps (rows y - 2 .. y + 1) all lie in the
  // image, so that only columns fold: the border columns of the rows
  // between the first two and the last one.
  void PixelFoldingColumns(int32_t x, int32_t y) const {
    const int32_t w = r.width;
    auto fold = [w](int32_t cx) { return cx < 0 ? cx + 4 : (cx >= w ? cx - 4 : cx); };
    const bool redRowIsY = ((y ^ m0) & 1) == 1;
    const bool redColIsX = ((x ^ m1) & 1) == 0;
    const T* red = Row(redRowIsY ? y : y - 1);
    const T* red2 = Row(redRowIsY ? y - 2 : y + 1);
    const T* blue = Row(redRowIsY ? y - 1 : y);
    const T* blue2 = Row(redRowIsY ? y + 1 : y - 2);
    const int32_t rx = fold(redColIsX ? x : x - 1), rx2 = fold(redColIsX ? x - 2 : x + 1);
    const int32_t bx = fold(redColIsX ? x - 1 : x), bx2 = fold(redColIsX ? x + 1 : x - 2);
    const uint64_t sr =
        9 * uint64_t{red[rx]} + 3 * uint64_t{red[rx2]} + 3 * uint64_t{red2[rx]} + red2[rx2];
    const uint64_t sb =
        9 * uint64_t{blue[bx]} + 3 * uint64_t{blue[bx2]} + 3 * uint64_t{blue2[bx]} + blue2[bx2];
    const T* cur = Row(y);
    const T* up = Row(y - 1);
    const int32_t left = fold(x - 1);
    const bool greenAtXY = redRowIsY != redColIsX;
    uint32_t g =
        greenAtXY ? (uint32_t{cur[x]} + up[left]) >> 1 : (uint32_t{cur[left]} + up[x]) >> 1;
    if (g > kMax<T>) g = kMax<T>;
    Store(x, y, Scale(sb, gainB), g, Scale(sr, gainR));
  }
};

template <typename T>
bool MakeSetup(Setup<T>& s, uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX,
               int32_t dstY, uint16_t dstBpp, int32_t dstStride, int32_t srcStride,
               int32_t* const* params) {
  const int32_t* block = detail::BlockOf(params);
  if (!block) return false;
  s.r = detail::MakeRegion(dst, src, rect, dstX, dstY, dstBpp, sizeof(T), dstStride, srcStride);
  if (s.r.Empty() || s.r.width < 4 || s.r.height < 4 || dstBpp < 3 * sizeof(T)) return false;
  s.m0 = block[kWbBayerMode] & 1;
  s.m1 = (block[kWbBayerMode] >> 1) & 1;
  s.gainR = DemosaicGainFactor(block[kWbRGain]);
  s.gainB = DemosaicGainFactor(block[kWbBGain]);
  return true;
}

// One interior row. vr and vb hold, per column, 3 x (the red or blue tap
// row inside the cell) + (the tap row two rows away), so red and blue become
// 3 x v[c] + v[c -/+ 2] along the row. Pixels come in pairs (even x, odd x),
// whose roles are fixed by the template flags: no per-pixel branches.
template <typename T, typename U, typename P, int kStep, bool kRedEven, bool kGreenMainEven>
void InteriorRow(const Setup<T>& s, int32_t y, const U* vr, const U* vb) {
  const T* up = s.Row(y - 1);
  const T* cur = s.Row(y);
  const int32_t end = s.r.width - 3;  // last interior column
  const P gr = static_cast<P>(s.gainR), gb = static_cast<P>(s.gainB);
  const P max = kMax<T>;
  T* out = reinterpret_cast<T*>(s.Out(y));
  int32_t x = 2;
  for (; x + 1 <= end; x += 2) {
    P sr0, sr1, sb0, sb1, g0, g1;
    if constexpr (kRedEven) {
      sr0 = 3 * P(vr[x]) + vr[x - 2];
      sr1 = 3 * P(vr[x]) + vr[x + 2];
      sb0 = 3 * P(vb[x - 1]) + vb[x + 1];
      sb1 = 3 * P(vb[x + 1]) + vb[x - 1];
    } else {
      sr0 = 3 * P(vr[x - 1]) + vr[x + 1];
      sr1 = 3 * P(vr[x + 1]) + vr[x - 1];
      sb0 = 3 * P(vb[x]) + vb[x - 2];
      sb1 = 3 * P(vb[x]) + vb[x + 2];
    }
    if constexpr (kGreenMainEven) {
      g0 = (P(cur[x]) + up[x - 1]) >> 1;
      g1 = (P(cur[x]) + up[x + 1]) >> 1;
    } else {
      g0 = (P(up[x]) + cur[x - 1]) >> 1;
      g1 = (P(up[x]) + cur[x + 1]) >> 1;
    }
    P r0 = (sr0 * gr) >> 11, r1 = (sr1 * gr) >> 11;
    P b0 = (sb0 * gb) >> 11, b1 = (sb1 * gb) >> 11;
    r0 = r0 > max ? max : r0;
    r1 = r1 > max ? max : r1;
    b0 = b0 > max ? max : b0;
    b1 = b1 > max ? max : b1;
    if constexpr (sizeof(T) == 2) {
      g0 = g0 > max ? max : g0;
      g1 = g1 > max ? max : g1;
    }
    T* p = out + x * kStep;
    p[0] = static_cast<T>(b0);
    p[1] = static_cast<T>(g0);
    p[2] = static_cast<T>(r0);
    p[kStep + 0] = static_cast<T>(b1);
    p[kStep + 1] = static_cast<T>(g1);
    p[kStep + 2] = static_cast<T>(r1);
  }
  if (x <= end) s.Pixel(x, y);  // odd widths
}

template <typename T, typename U, typename P, int kStep>
void Interior(const Setup<T>& s, int32_t y0, int32_t y1) {
  using RowFn = void (*)(const Setup<T>&, int32_t, const U*, const U*);
  static constexpr RowFn kRows[2][2] = {
      {InteriorRow<T, U, P, kStep, false, false>, InteriorRow<T, U, P, kStep, false, true>},
      {InteriorRow<T, U, P, kStep, true, false>, InteriorRow<T, U, P, kStep, true, true>}};
  const int32_t w = s.r.width;
  U* const vr = s.scratch->template Take<U>(static_cast<size_t>(w));
  U* const vb = s.scratch->template Take<U>(static_cast<size_t>(w));
  const bool redEven = s.m1 == 0;
  for (int32_t y = y0; y < y1; ++y) {
    const bool redRowIsY = ((y ^ s.m0) & 1) == 1;
    const T* r1 = s.Row(redRowIsY ? y : y - 1);
    const T* r2 = s.Row(redRowIsY ? y - 2 : y + 1);
    const T* b1 = s.Row(redRowIsY ? y - 1 : y);
    const T* b2 = s.Row(redRowIsY ? y + 1 : y - 2);
    for (int32_t c = 0; c < w; ++c) {
      vr[c] = static_cast<U>(3 * U(r1[c]) + r2[c]);
      vb[c] = static_cast<U>(3 * U(b1[c]) + b2[c]);
    }
    const bool greenMainEven = ((y ^ s.m0 ^ s.m1) & 1) == 0;
    kRows[redEven][greenMainEven](s, y, vr, vb);
  }
}

// Asks for the mosaic row three below row y while row y is made. Each
// output row reads one mosaic row that no row before it read, and the
// processor's own prefetching brought it in late enough that the rows
// waited for it (the 8-bit rows ran 15 % faster with this).
template <typename T>
void PrefetchRowAhead(const Setup<T>& s, int32_t y) {
  constexpr int32_t kAhead = 3;
  if (y + kAhead >= s.r.height) return;
  const uint8_t* row = reinterpret_cast<const uint8_t*>(s.Row(y + kAhead));
  const int32_t bytes = s.r.width * static_cast<int32_t>(sizeof(T));
  for (int32_t c = 0; c < bytes; c += 64) __builtin_prefetch(row + c);
}

// Rows y - 2 .. y + 1 around row y, rows outside the image folded four rows
// inward as the general rule folds its taps.
detail::MosaicRows8 FoldedRows(const Setup<uint8_t>& s, int32_t y) {
  auto row = [&](int32_t cy) { return s.Row(cy < 0 ? cy + 4 : (cy >= s.r.height ? cy - 4 : cy)); };
  return {row(y - 2), row(y - 1), row(y), row(y + 1)};
}

// The vector row kernel, usable with AVX2 or AVX-512, gains below 2048 / 128 and rows
// of at least kDemosaic8Avx2MinWidth pixels; the few pixels it leaves at a
// row's end go by the general rule. It writes 3-byte pixels: for 4-byte
// pixels a row goes through a packed row first and is widened.
using Row8Fn = int32_t (*)(uint8_t*, const detail::MosaicRows8&, int32_t,
                           const detail::Demosaic8RowRoles&, uint16_t*);
constexpr Kernels<Row8Fn> kRow8{nullptr, nullptr, KORVEX_X86_ONLY(detail::Demosaic8RowAvx2),
                                KORVEX_X86_ONLY(detail::Demosaic8RowAvx512)};

class FastRows8 {
 public:
  explicit FastRows8(const Setup<uint8_t>& s) : s_(s), row_(kRow8.Pick()) {
    usable_ = row_ != nullptr && (s.r.dstBpp == 3 || s.r.dstBpp == 4) && s.gainR < 2048 &&
              s.gainB < 2048 && s.r.width >= detail::kDemosaic8Avx2MinWidth;
    if (usable_) scratch_ = s.scratch->TakeZeroed<uint16_t>(detail::Demosaic8Avx2Scratch(s.r.width));
    if (usable_ && s.r.dstBpp == 4) {
      packed_ = s.scratch->TakeZeroed<uint8_t>(3 * static_cast<size_t>(s.r.width));
    }
  }
  bool Usable() const { return usable_; }

  // Pixels 2 .. width - 3 of row y.
  void Row(int32_t y) {
    const detail::Demosaic8RowRoles roles{((y ^ s_.m0) & 1) == 1, s_.m1 == 0,
                                          static_cast<uint16_t>(s_.gainR << 5),
                                          static_cast<uint16_t>(s_.gainB << 5)};
    const bool wide = s_.r.dstBpp == 4;
    uint8_t* target = wide ? packed_ : s_.Out(y);
    PrefetchRowAhead(s_, y);
    int32_t x = row_(target, FoldedRows(s_, y), s_.r.width, roles, scratch_);
    if (wide) detail::WidenToFourBytePixels(packed_ + 3 * 2, s_.Out(y) + 4 * 2, x - 2);
    for (; x <= s_.r.width - 3; ++x) s_.Pixel(x, y);
  }

 private:
  const Setup<uint8_t>& s_;
  Row8Fn row_;
  bool usable_ = false;
  uint16_t* scratch_ = nullptr;
  uint8_t* packed_ = nullptr;
};

using Word32 = uint32_t __attribute__((may_alias));

// Writes the planes of one row into 3- or 4-byte pixels (the fourth byte is
// kept as it was).
template <int kStep>
KORVEX_KERNEL_BODY void Interleave8Plain(uint8_t* __restrict out, const uint8_t* __restrict pB,
                                         const uint8_t* __restrict pG, const uint8_t* __restrict pR,
                                         int32_t x, int32_t end) {
  if constexpr (kStep == 4) {
    Word32* o = reinterpret_cast<Word32*>(out);
    for (; x < end; ++x) {
      o[x] = (o[x] & 0xFF000000u) | pB[x] | (static_cast<uint32_t>(pG[x]) << 8) |
             (static_cast<uint32_t>(pR[x]) << 16);
    }
  } else {
    for (; x < end; ++x) {
      out[3 * x] = pB[x];
      out[3 * x + 1] = pG[x];
      out[3 * x + 2] = pR[x];
    }
  }
}

#ifdef KORVEX_X86_KERNELS
// 3-byte pixels 16 at a time by byte shuffles. Called functions, not
// inlined bodies: code with SSSE3 instructions can only be inlined into
// functions compiled for SSSE3. The AVX2 level calls the same loop in the
// AVX encoding: beside the wide registers of its callers the SSE encoding
// runs at half speed.
KORVEX_TARGET_SSSE3 KORVEX_KERNEL_BODY void Interleave3Body(uint8_t* out, const uint8_t* pB,
                                                            const uint8_t* pG, const uint8_t* pR,
                                                            int32_t x, int32_t end) {
  for (; x + 16 <= end; x += 16) {
    const __m128i planes[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(pB + x)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(pG + x)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(pR + x))};
    detail::StoreInterleaved(out + 3 * x, planes);
  }
  Interleave8Plain<3>(out, pB, pG, pR, x, end);
}

#endif

// kLevel is the level the caller is compiled for: from SSSE3 on, 3-byte
// pixels go by byte shuffles in that level's encoding.
template <int kStep, VectorLevel kLevel>
KORVEX_KERNEL_BODY void Interleave8(uint8_t* out, const uint8_t* pB, const uint8_t* pG,
                                    const uint8_t* pR, int32_t x, int32_t end) {
#ifdef KORVEX_X86_KERNELS
  if constexpr (kStep == 3 && kLevel >= VectorLevel::kAvx2) {
    AvxEncoded<Interleave3Body>(out, pB, pG, pR, x, end);
    return;
  } else if constexpr (kStep == 3 && kLevel >= VectorLevel::kSsse3) {
    SseEncoded<Interleave3Body>(out, pB, pG, pR, x, end);
    return;
  }
#endif
  Interleave8Plain<kStep>(out, pB, pG, pR, x, end);
}

// 8-bit rows with 3- or 4-byte pixels and gains below 2048 / 128, the
// common case: red and blue sums are at most 16 x 255, so (Σ x gain) >> 11
// equals the high half of Σ x (gain << 5) in 16 bits. Both candidate sums of
// every column are formed and one is picked by an alternating column mask,
// which keeps every loop contiguous and branch-free.
template <int kStep, VectorLevel kLevel>
KORVEX_KERNEL_BODY void Interior8Fast(const Setup<uint8_t>& s, int32_t y0, int32_t y1) {
  const int32_t w = s.r.width;
  const size_t n = static_cast<size_t>(w);
  uint16_t* const vr = s.scratch->Take<uint16_t>(n);
  uint16_t* const vb = s.scratch->Take<uint16_t>(n);
  uint16_t* const redCol = s.scratch->Take<uint16_t>(n);
  uint16_t* const otherCol = s.scratch->Take<uint16_t>(n);
  uint8_t* pB = s.scratch->Take<uint8_t>(3 * n);
  uint8_t* pG = pB + w;
  uint8_t* pR = pG + w;
  for (int32_t x = 0; x < w; ++x) {
    redCol[x] = ((x ^ s.m1) & 1) == 0 ? 0xFFFF : 0;
    otherCol[x] = static_cast<uint16_t>(~redCol[x]);
  }
  const uint16_t gr = static_cast<uint16_t>(s.gainR << 5), gb = static_cast<uint16_t>(s.gainB << 5);
  const int32_t end = w - 2;  // exclusive
  for (int32_t y = y0; y < y1; ++y) {
    const bool redRowIsY = ((y ^ s.m0) & 1) == 1;
    const uint8_t* r1 = s.Row(redRowIsY ? y : y - 1);
    const uint8_t* r2 = s.Row(redRowIsY ? y - 2 : y + 1);
    const uint8_t* b1 = s.Row(redRowIsY ? y - 1 : y);
    const uint8_t* b2 = s.Row(redRowIsY ? y + 1 : y - 2);
    for (int32_t c = 0; c < w; ++c) {
      vr[c] = static_cast<uint16_t>(3 * r1[c] + r2[c]);
      vb[c] = static_cast<uint16_t>(3 * b1[c] + b2[c]);
    }
    // Green sits at (x, y) when the column's parity matches the row's
    // green pattern; with redRowIsY that is the non-red column.
    const uint16_t* greenAtX = redRowIsY ? otherCol : redCol;
    const uint8_t* up = s.Row(y - 1);
    const uint8_t* cur = s.Row(y);
    const uint16_t* mr = redCol;
    const uint16_t* pr = vr;
    const uint16_t* pb = vb;
    const int32_t begin = 2;
    for (int32_t x = begin; x < end; ++x) {
      const uint16_t m = mr[x], gm = greenAtX[x];
      const uint16_t hr = static_cast<uint16_t>(3 * pr[x] + pr[x - 2]);
      const uint16_t fr = static_cast<uint16_t>(3 * pr[x - 1] + pr[x + 1]);
      const uint16_t hb = static_cast<uint16_t>(3 * pb[x] + pb[x - 2]);
      const uint16_t fb = static_cast<uint16_t>(3 * pb[x - 1] + pb[x + 1]);
      const uint16_t sr = static_cast<uint16_t>((hr & m) | (fr & ~m));
      const uint16_t sb = static_cast<uint16_t>((fb & m) | (hb & ~m));
      const uint16_t main = static_cast<uint16_t>(cur[x] + up[x - 1]);
      const uint16_t anti = static_cast<uint16_t>(up[x] + cur[x - 1]);
      const uint16_t g = static_cast<uint16_t>(((main & gm) | (anti & ~gm)) >> 1);
      uint16_t red = static_cast<uint16_t>((static_cast<uint32_t>(sr) * gr) >> 16);
      uint16_t blue = static_cast<uint16_t>((static_cast<uint32_t>(sb) * gb) >> 16);
      red = red > 255 ? 255 : red;
      blue = blue > 255 ? 255 : blue;
      pB[x] = static_cast<uint8_t>(blue);
      pG[x] = static_cast<uint8_t>(g);
      pR[x] = static_cast<uint8_t>(red);
    }
    Interleave8<kStep, kLevel>(s.Out(y), pB, pG, pR, begin, end);
  }
}

template <int kStep>
void Interior8FastPortable(const Setup<uint8_t>& s, int32_t y0, int32_t y1) {
  Interior8Fast<kStep, VectorLevel::kPortable>(s, y0, y1);
}
#ifdef KORVEX_X86_KERNELS
template <int kStep>
KORVEX_TARGET_SSSE3 void Interior8FastSsse3(const Setup<uint8_t>& s, int32_t y0, int32_t y1) {
  Interior8Fast<kStep, VectorLevel::kSsse3>(s, y0, y1);
}
template <int kStep>
KORVEX_TARGET_AVX2 void Interior8FastAvx2(const Setup<uint8_t>& s, int32_t y0, int32_t y1) {
  Interior8Fast<kStep, VectorLevel::kAvx2>(s, y0, y1);
}
#endif
using Interior8Fn = void (*)(const Setup<uint8_t>&, int32_t, int32_t);
template <int kStep>
constexpr Kernels<Interior8Fn> kInterior8Fast{Interior8FastPortable<kStep>,
                                              KORVEX_X86_ONLY(Interior8FastSsse3<kStep>),
                                              KORVEX_X86_ONLY(Interior8FastAvx2<kStep>)};

// 10-bit rows (words up to 65535 allowed) with gains below 4096 / 128: the
// same column-mask formulation as Interior8Fast in 32-bit lanes L, whose
// sums (at most 16 x 65535) times the gain fit in 32 bits. Where no sample
// of the rows exceeds 4095 and both gains are below 2048 / 128, 16-bit
// lanes serve (sums at most 16 x 4095) and (Σ x gain) >> 11 is the high
// half of Σ x (gain << 5), as in the 8-bit rows. The plane loop is compiled
// plain, for SSSE3 and for AVX2, and picked by the vector level.
template <typename L>
__attribute__((always_inline)) inline void VerticalSums16(L* __restrict v, const detail::Word* near,
                                                          const detail::Word* far, int32_t w) {
  for (int32_t c = 0; c < w; ++c) v[c] = static_cast<L>(3 * L(near[c]) + far[c]);
}

// The arrays as restricted parameters: the compiler then needs no run-time
// overlap tests to vectorise the loop (with 16-bit lanes it cannot tell the
// rows from the planes by type).
template <typename L>
__attribute__((always_inline)) inline void PlaneRow16(
    const L* __restrict vr, const L* __restrict vb, const L* __restrict redCol,
    const L* __restrict greenAtX, const detail::Word* __restrict cur,
    const detail::Word* __restrict up, uint16_t* __restrict pB, uint16_t* __restrict pG,
    uint16_t* __restrict pR, const uint32_t gainR, const uint32_t gainB, int32_t begin,
    int32_t end) {
  for (int32_t x = begin; x < end; ++x) {
    const L m = redCol[x], gm = greenAtX[x];
    const L hr = static_cast<L>(3 * vr[x] + vr[x - 2]),
            fr = static_cast<L>(3 * vr[x - 1] + vr[x + 1]);
    const L hb = static_cast<L>(3 * vb[x] + vb[x - 2]),
            fb = static_cast<L>(3 * vb[x - 1] + vb[x + 1]);
    const L sr = static_cast<L>((hr & m) | (fr & ~m)), sb = static_cast<L>((fb & m) | (hb & ~m));
    const L main = static_cast<L>(L(cur[x]) + up[x - 1]);
    const L anti = static_cast<L>(L(up[x]) + cur[x - 1]);
    L g = static_cast<L>(((main & gm) | (anti & ~gm)) >> 1);
    L red, blue;
    if constexpr (sizeof(L) == 2) {
      red = static_cast<L>((uint32_t(sr) * static_cast<uint16_t>(gainR)) >> 16);
      blue = static_cast<L>((uint32_t(sb) * static_cast<uint16_t>(gainB)) >> 16);
    } else {
      red = (sr * gainR) >> 11;
      blue = (sb * gainB) >> 11;
    }
    g = g > 1023 ? 1023 : g;
    red = red > 1023 ? 1023 : red;
    blue = blue > 1023 ? 1023 : blue;
    pB[x] = static_cast<uint16_t>(blue);
    pG[x] = static_cast<uint16_t>(g);
    pR[x] = static_cast<uint16_t>(red);
  }
}

// Writes the planes of one row into pixels of kStep words (a fourth word is
// kept as it was).
template <int kStep>
KORVEX_KERNEL_BODY void Interleave16Plain(uint8_t* row, const uint16_t* pB, const uint16_t* pG,
                                          const uint16_t* pR, int32_t x, int32_t end) {
  detail::Word* out = detail::Words(row);
  for (; x < end; ++x) {
    out[kStep * x] = pB[x];
    out[kStep * x + 1] = pG[x];
    out[kStep * x + 2] = pR[x];
  }
}

#ifdef KORVEX_X86_KERNELS
// Pixels of three words, 8 at a time by byte shuffles (called, in both
// encodings, as Interleave3Body is).
KORVEX_TARGET_SSSE3 KORVEX_KERNEL_BODY void Interleave16Body(uint8_t* row, const uint16_t* pB,
                                                             const uint16_t* pG, const uint16_t* pR,
                                                             int32_t x, int32_t end) {
  for (; x + 8 <= end; x += 8) {
    const __m128i planes[3] = {_mm_loadu_si128(reinterpret_cast<const __m128i*>(pB + x)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(pG + x)),
                               _mm_loadu_si128(reinterpret_cast<const __m128i*>(pR + x))};
    detail::StoreInterleavedWords(row + 6 * x, planes);
  }
  Interleave16Plain<3>(row, pB, pG, pR, x, end);
}
#endif

#ifdef KORVEX_X86_KERNELS
// Pixels of four words, 8 at a time: the planes' words interleaved, each
// pixel's fourth word taken from the row as it was.
KORVEX_TARGET_SSSE3 KORVEX_KERNEL_BODY void Interleave16x4Body(uint8_t* row, const uint16_t* pB,
                                                               const uint16_t* pG,
                                                               const uint16_t* pR, int32_t x,
                                                               int32_t end) {
  const __m128i fourth = _mm_set_epi16(-1, 0, 0, 0, -1, 0, 0, 0);
  const __m128i zero = _mm_setzero_si128();
  for (; x + 8 <= end; x += 8) {
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pB + x));
    const __m128i g = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pG + x));
    const __m128i r = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pR + x));
    const __m128i bgLow = _mm_unpacklo_epi16(b, g), bgHigh = _mm_unpackhi_epi16(b, g);
    const __m128i r0Low = _mm_unpacklo_epi16(r, zero), r0High = _mm_unpackhi_epi16(r, zero);
    const __m128i pixels[4] = {_mm_unpacklo_epi32(bgLow, r0Low), _mm_unpackhi_epi32(bgLow, r0Low),
                               _mm_unpacklo_epi32(bgHigh, r0High),
                               _mm_unpackhi_epi32(bgHigh, r0High)};
    uint8_t* at = row + 8 * static_cast<ptrdiff_t>(x);
    for (int i = 0; i < 4; ++i) {
      __m128i* p = reinterpret_cast<__m128i*>(at + 16 * i);
      const __m128i kept = _mm_and_si128(_mm_loadu_si128(p), fourth);
      _mm_storeu_si128(p, _mm_or_si128(pixels[i], kept));
    }
  }
  Interleave16Plain<4>(row, pB, pG, pR, x, end);
}
#endif

template <int kStep, VectorLevel kLevel>
KORVEX_KERNEL_BODY void Interleave16(uint8_t* row, const uint16_t* pB, const uint16_t* pG,
                                     const uint16_t* pR, int32_t x, int32_t end) {
#ifdef KORVEX_X86_KERNELS
  constexpr auto kBody = kStep == 3 ? Interleave16Body : Interleave16x4Body;
  if constexpr (kLevel >= VectorLevel::kAvx2) {
    AvxEncoded<kBody>(row, pB, pG, pR, x, end);
    return;
  } else if constexpr (kLevel >= VectorLevel::kSsse3) {
    SseEncoded<kBody>(row, pB, pG, pR, x, end);
    return;
  }
#endif
  Interleave16Plain<kStep>(row, pB, pG, pR, x, end);
}

template <int kStep, VectorLevel kLevel, typename L, typename T>
KORVEX_KERNEL_BODY void Interior16FastIn(const Setup<T>& s, int32_t y0, int32_t y1) {
  const int32_t w = s.r.width;
  const size_t n = static_cast<size_t>(w);
  L* const vr = s.scratch->template Take<L>(n);
  L* const vb = s.scratch->template Take<L>(n);
  L* const redCol = s.scratch->template Take<L>(n);
  L* const otherCol = s.scratch->template Take<L>(n);
  uint16_t* const planes = s.scratch->template Take<uint16_t>(3 * n);
  for (int32_t x = 0; x < w; ++x) {
    redCol[x] = ((x ^ s.m1) & 1) == 0 ? static_cast<L>(~L(0)) : L(0);
    otherCol[x] = static_cast<L>(~redCol[x]);
  }
  uint16_t* const pB = planes;
  uint16_t* const pG = planes + w;
  uint16_t* const pR = planes + 2 * w;
  // In 16-bit lanes the gains are shifted left by 5.
  const int shift = sizeof(L) == 2 ? 5 : 0;
  const uint32_t gainR = static_cast<uint32_t>(s.gainR) << shift;
  const uint32_t gainB = static_cast<uint32_t>(s.gainB) << shift;
  for (int32_t y = y0; y < y1; ++y) {
    PrefetchRowAhead(s, y);
    const bool redRowIsY = ((y ^ s.m0) & 1) == 1;
    VerticalSums16(vr, s.Row(redRowIsY ? y : y - 1), s.Row(redRowIsY ? y - 2 : y + 1), w);
    VerticalSums16(vb, s.Row(redRowIsY ? y - 1 : y), s.Row(redRowIsY ? y + 1 : y - 2), w);
    PlaneRow16(vr, vb, redCol, redRowIsY ? otherCol : redCol, s.Row(y), s.Row(y - 1), pB, pG, pR,
               gainR, gainB, 2, w - 2);
    Interleave16<kStep, kLevel>(s.Out(y), pB, pG, pR, 2, w - 2);
  }
}

// Rows y0 .. y1 - 1 read the mosaic rows y0 - 2 .. y1.
template <int kStep, VectorLevel kLevel, typename T>
KORVEX_KERNEL_BODY void Interior16Fast(const Setup<T>& s, int32_t y0, int32_t y1) {
  if (s.gainR < 2048 && s.gainB < 2048 &&
      detail::OrOfWords(s.r, y0 - 2, y1 + 1, s.r.width, false) < 4096) {
    Interior16FastIn<kStep, kLevel, uint16_t>(s, y0, y1);
  } else {
    Interior16FastIn<kStep, kLevel, uint32_t>(s, y0, y1);
  }
}

template <int kStep, typename T>
void Interior16FastPortable(const Setup<T>& s, int32_t y0, int32_t y1) {
  Interior16Fast<kStep, VectorLevel::kPortable>(s, y0, y1);
}
#ifdef KORVEX_X86_KERNELS
template <int kStep, typename T>
KORVEX_TARGET_SSSE3 void Interior16FastSsse3(const Setup<T>& s, int32_t y0, int32_t y1) {
  Interior16Fast<kStep, VectorLevel::kSsse3>(s, y0, y1);
}
template <int kStep, typename T>
KORVEX_TARGET_AVX2 void Interior16FastAvx2(const Setup<T>& s, int32_t y0, int32_t y1) {
  Interior16Fast<kStep, VectorLevel::kAvx2>(s, y0, y1);
}
#endif
template <int kStep, typename T>
void Interior16FastRows(const Setup<T>& s, int32_t y0, int32_t y1) {
  using Fn = void (*)(const Setup<T>&, int32_t, int32_t);
  const Kernels<Fn> kernels{Interior16FastPortable<kStep, T>,
                            KORVEX_X86_ONLY((Interior16FastSsse3<kStep, T>)),
                            KORVEX_X86_ONLY((Interior16FastAvx2<kStep, T>))};
  kernels.Pick()(s, y0, y1);
}

// Interior rows y0 .. y1 - 1 (within 2 .. height - 3) by the fastest kernel
// that takes the layout and gains.
template <typename T, typename U>
void InteriorRows(const Setup<T>& s, int32_t y0, int32_t y1) {
  // 32-bit products whenever they cannot overflow: Σ < 16 x 65536.
  const bool narrow = s.gainR < 4096 && s.gainB < 4096;
  const int step = s.r.dstBpp / static_cast<int>(sizeof(T));
  if constexpr (sizeof(T) == 1) {
    FastRows8 fast(s);
    if (fast.Usable()) {
      for (int32_t y = y0; y < y1; ++y) fast.Row(y);
      return;
    }
    if ((step == 3 || step == 4) && s.gainR < 2048 && s.gainB < 2048) {
      (step == 3 ? kInterior8Fast<3> : kInterior8Fast<4>).Pick()(s, y0, y1);
      return;
    }
  } else {
    if (s.r.dstBpp % 2 == 0 && (step == 3 || step == 4) && narrow) {
      step == 3 ? Interior16FastRows<3>(s, y0, y1) : Interior16FastRows<4>(s, y0, y1);
      return;
    }
  }
  if (s.r.dstBpp % sizeof(T) == 0 && (step == 3 || step == 4)) {
    if (narrow) {
      step == 3 ? Interior<T, U, uint32_t, 3>(s, y0, y1) : Interior<T, U, uint32_t, 4>(s, y0, y1);
    } else {
      step == 3 ? Interior<T, U, uint64_t, 3>(s, y0, y1) : Interior<T, U, uint64_t, 4>(s, y0, y1);
    }
    return;
  }
  for (int32_t y = y0; y < y1; ++y) {
    for (int32_t x = 2; x <= s.r.width - 3; ++x) s.Pixel(x, y);
  }
}

// The two-pixel frame within rows top .. bottom - 1: the frame rows' columns
// 2 .. width - 3 (by the vector row kernel where it applies), then the frame
// columns of every row.
template <typename T>
void FrameRows(const Setup<T>& s, int32_t top, int32_t bottom) {
  const int32_t w = s.r.width, h = s.r.height;
  std::optional<FastRows8> fast;
  if constexpr (sizeof(T) == 1) fast.emplace(s);
  for (int32_t y : {0, 1, h - 2, h - 1}) {
    if (y < top || y >= bottom) continue;
    if (fast && fast->Usable()) {
      fast->Row(y);
    } else {
      for (int32_t x = 2; x < w - 2; ++x) s.Pixel(x, y);
    }
  }
  for (int32_t y = top; y < bottom; ++y) {
    if (y >= 2 && y <= h - 2) {
      for (int32_t x : {0, 1, w - 2, w - 1}) s.PixelFoldingColumns(x, y);
    } else {
      for (int32_t x : {0, 1, w - 2, w - 1}) s.Pixel(x, y);
    }
  }
}

template <typename T, typename U>
int32_t RunInterior(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX, int32_t dstY,
                    uint16_t dstBpp, int32_t dstStride, int32_t srcStride, int32_t* const* params) {
  Setup<T> s;
  if (!MakeSetup(s, dst, src, rect, dstX, dstY, dstBpp, dstStride, srcStride, params)) return 1;
  if (s.r.width < 5 || s.r.height < 5) return 1;
  RowScratch scratch;
  s.scratch = &scratch;
  InteriorRows<T, U>(s, 2, s.r.height - 2);
  return 1;
}

template <typename T>
int32_t RunBorder(uint8_t* dst, const uint8_t* src, const Rect& rect, int32_t dstX, int32_t dstY,
                  uint16_t dstBpp, int32_t dstStride, int32_t srcStride, int32_t* const* params) {
  Setup<T> s;
  if (!MakeSetup(s, dst, src, rect, dstX, dstY, dstBpp, dstStride, srcStride, params)) return 1;
  RowScratch scratch;
  s.scratch = &scratch;
  FrameRows(s, 0, s.r.height);
  return 1;
}

template <typename T, typename U>
void PictureRows(const MosaicImage& mosaic, const DemosaicParams& params, uint8_t* out,
                 int32_t outStride, int outBpp, int32_t outRow0, int32_t top, int32_t bottom,
                 RowScratch& scratch) {
  int32_t block[kWbBlockSize] = {params.bayerMode, params.redGain, 100, params.blueGain};
  int32_t* p = block;
  Setup<T> s;
  const Rect all{0, 0, mosaic.width, mosaic.height};
  if (!MakeSetup(s, out, mosaic.pixels, all, 0, 0, static_cast<uint16_t>(outBpp), outStride,
                 mosaic.stride, &p)) {
    return;
  }
  s.dstRow0 = outRow0;
  scratch.Reset();
  s.scratch = &scratch;
  top = top < 0 ? 0 : top;
  bottom = bottom > s.r.height ? s.r.height : bottom;
  if (top >= bottom) return;
  const int32_t first = top > 2 ? top : 2;
  const int32_t last = bottom < s.r.height - 2 ? bottom : s.r.height - 2;
  if (s.r.width >= 5 && s.r.height >= 5 && first < last) InteriorRows<T, U>(s, first, last);
  FrameRows(s, top, bottom);
}

}  // namespace

KORVEX_REGION_CONVERTER(Demosaic8) {
  (void)srcBytesPerPixel, (void)extra;
  return RunInterior<uint8_t, uint16_t>(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, dstStride,
                                        srcStride, params);
}

KORVEX_REGION_CONVERTER(Demosaic16) {
  (void)srcBytesPerPixel, (void)extra;
  return RunInterior<detail::Word, uint32_t>(dst, src, srcRect, dstX, dstY, dstBytesPerPixel,
                                             dstStride, srcStride, params);
}

KORVEX_REGION_CONVERTER(Demosaic8Border) {
  (void)srcBytesPerPixel, (void)extra;
  return RunBorder<uint8_t>(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, dstStride, srcStride,
                            params);
}

KORVEX_REGION_CONVERTER(Demosaic16Border) {
  (void)srcBytesPerPixel, (void)extra;
  return RunBorder<detail::Word>(dst, src, srcRect, dstX, dstY, dstBytesPerPixel, dstStride,
                                 srcStride, params);
}

void DemosaicRows(const MosaicImage& mosaic, const DemosaicParams& params, uint8_t* out,
                  int32_t outStride, int outBpp, int32_t outRow0, int32_t top, int32_t bottom,
                  RowScratch* scratch) {
  RowScratch own;
  RowScratch& rows = scratch ? *scratch : own;
  if (mosaic.bytesPerSample == 2) {
    PictureRows<detail::Word, uint32_t>(mosaic, params, out, outStride, outBpp, outRow0, top,
                                        bottom, rows);
  } else {
    PictureRows<uint8_t, uint16_t>(mosaic, params, out, outStride, outBpp, outRow0, top, bottom,
                                   rows);
  }
}

}  // namespace korvex::image
