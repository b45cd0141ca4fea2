// Bitmap sections, memory device contexts and the transfers between them.
#include "korvex/host_gdi.h"

#include "common/lock_guard.h"
#include "common/thread_annotations.h"

#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

#include <sys/mman.h>

using korvex::LockGuard;
using korvex::Mutex;

namespace {

static_assert(sizeof(KorvexHostBitmapInfoHeader) == 40);
static_assert(sizeof(KorvexHostRgbQuad) == 4);

constexpr int64_t kMaxSectionBytes = int64_t{1} << 31;

struct Section {
  int32_t width = 0;
  int32_t height = 0;  // rows, positive
  bool topDown = false;
  int32_t headerHeight = 0;
  int bits = 0;
  int32_t stride = 0;
  uint8_t* pixels = nullptr;  // mapped pages, as a section's memory is on Windows
  size_t pixelBytes = 0;
  std::array<KorvexHostRgbQuad, 256> colors{};
  int colorCount = 0;  // entries of the colour table; 0 above 8 bits
  uintptr_t selectedInto = 0;
  bool stock = false;

  // Unmapped at once, so the memory goes back to the system: from the C
  // heap, large freed blocks would stay with the process.
  ~Section() {
    if (pixels != nullptr) ::munmap(pixels, pixelBytes);
  }
};

struct DeviceContext {
  uintptr_t bitmap = 0;
};

constexpr uintptr_t kStockBitmap = 0x8;

struct State {
  Mutex mutex;
  uintptr_t nextId KORVEX_GUARDED_BY(mutex) = 0x100;
  std::map<uintptr_t, std::shared_ptr<Section>> sections KORVEX_GUARDED_BY(mutex);
  std::map<uintptr_t, DeviceContext> dcs KORVEX_GUARDED_BY(mutex);

  State() {
    auto stock = std::make_shared<Section>();
    stock->width = stock->height = stock->headerHeight = 1;
    stock->bits = 1;
    stock->stock = true;
    sections[kStockBitmap] = stock;
  }
};

State& TheState() {
  static State* state = new State;  // lives as long as the process
  return *state;
}

std::atomic<uint32_t> g_faults{0};
std::atomic<bool> g_fastPaths{true};

uintptr_t Id(const void* handle) { return reinterpret_cast<uintptr_t>(handle); }

// What a transfer needs of one side, copied under the lock so that the pixel
// work runs without it.
struct Surface {
  std::shared_ptr<Section> section;  // keeps the memory alive
  std::array<KorvexHostRgbQuad, 256> colors{};
  int colorCount = 0;
};

bool SurfaceOf(State& state, KorvexHostDC dc, Surface* out) KORVEX_REQUIRES(state.mutex) {
  auto d = state.dcs.find(Id(dc));
  if (d == state.dcs.end()) return false;
  auto s = state.sections.find(d->second.bitmap);
  if (s == state.sections.end() || s->second->stock) return false;
  out->section = s->second;
  out->colors = s->second->colors;
  out->colorCount = s->second->colorCount;
  return true;
}

// A colour with 16 bits per channel.
struct Color {
  uint16_t r, g, b;
};

uint16_t Widen8(uint8_t v) { return static_cast<uint16_t>(v * 257); }
uint8_t Narrow16(uint16_t v) { return static_cast<uint8_t>(v >> 8); }
uint8_t Widen5(unsigned v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint16_t Load16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
void Store16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

Color ReadPixel(const Surface& s, const uint8_t* p) {
  switch (s.section->bits) {
    case 8: {
      const KorvexHostRgbQuad q = s.colors[p[0]];
      return {Widen8(q.rgbRed), Widen8(q.rgbGreen), Widen8(q.rgbBlue)};
    }
    case 16: {
      const unsigned v = Load16(p);
      return {Widen8(Widen5((v >> 10) & 31)), Widen8(Widen5((v >> 5) & 31)),
              Widen8(Widen5(v & 31))};
    }
    case 24:
    case 32: return {Widen8(p[2]), Widen8(p[1]), Widen8(p[0])};
    default:  // 48, 64
      return {Load16(p + 4), Load16(p + 2), Load16(p)};
  }
}

class NearestColor {
 public:
  explicit NearestColor(const Surface& s) : s_(s) {}
  uint8_t operator()(uint8_t r, uint8_t g, uint8_t b) {
    const uint32_t key = (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
    auto it = cache_.find(key);
    if (it != cache_.end()) return it->second;
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < s_.colorCount; ++i) {
      const int dr = r - s_.colors[i].rgbRed;
      const int dg = g - s_.colors[i].rgbGreen;
      const int db = b - s_.colors[i].rgbBlue;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    cache_.emplace(key, static_cast<uint8_t>(best));
    return static_cast<uint8_t>(best);
  }

 private:
  const Surface& s_;
  std::unordered_map<uint32_t, uint8_t> cache_;
};

void WritePixel(const Surface& s, uint8_t* p, Color c, NearestColor& nearest) {
  const uint8_t r = Narrow16(c.r), g = Narrow16(c.g), b = Narrow16(c.b);
  switch (s.section->bits) {
    case 8: p[0] = nearest(r, g, b); break;
    case 16:
      Store16(p, static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)));
      break;
    case 24: p[0] = b, p[1] = g, p[2] = r; break;
    case 32: p[0] = b, p[1] = g, p[2] = r, p[3] = 0; break;
    case 48: Store16(p, c.b), Store16(p + 2, c.g), Store16(p + 4, c.r); break;
    default:  // 64
      Store16(p, c.b), Store16(p + 2, c.g), Store16(p + 4, c.r), Store16(p + 6, 0);
      break;
  }
}

int64_t FloorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

// For each of the |extent| target steps along one axis: the target
// coordinate and the source coordinate, or -1 for either when it falls
// outside its bitmap. Step k covers the centre (k + 0.5) / n of both extents.
struct AxisMap {
  std::vector<int32_t> target, source;
};

AxisMap MapAxis(int32_t t0, int32_t tExtent, int32_t tLimit, int32_t s0, int32_t sExtent,
                int32_t sLimit) {
  AxisMap map;
  const int64_t n = tExtent < 0 ? -int64_t{tExtent} : tExtent;
  for (int64_t k = 0; k < n; ++k) {
    const int64_t t = t0 + FloorDiv((2 * k + 1) * tExtent, 2 * n);
    const int64_t s = s0 + FloorDiv((2 * k + 1) * sExtent, 2 * n);
    if (t < 0 || t >= tLimit || s < 0 || s >= sLimit) continue;
    map.target.push_back(static_cast<int32_t>(t));
    map.source.push_back(static_cast<int32_t>(s));
  }
  return map;
}

uint8_t* RowOf(const Section& s, int32_t y) {
  const int32_t row = s.topDown ? y : s.height - 1 - y;
  return s.pixels + static_cast<ptrdiff_t>(row) * s.stride;
}

int Transfer(KorvexHostDC target, int x, int y, int width, int height, KorvexHostDC source, int sx,
             int sy, int sw, int sh, uint32_t rop) {
  if (rop != KORVEX_HOST_SRCCOPY) return 0;
  Surface dst, src;
  {
    State& state = TheState();
    LockGuard<Mutex> lock(state.mutex);
    if (!SurfaceOf(state, target, &dst) || !SurfaceOf(state, source, &src)) return 0;
  }
  if (width == 0 || height == 0 || sw == 0 || sh == 0) return 1;
  const Section& d = *dst.section;
  const Section& s = *src.section;
  const AxisMap xs = MapAxis(x, width, d.width, sx, sw, s.width);
  const AxisMap ys = MapAxis(y, height, d.height, sy, sh, s.height);
  if (xs.target.empty() || ys.target.empty()) return 1;

  const int dBytes = d.bits / 8, sBytes = s.bits / 8;
  const bool sameFormat =
      d.bits == s.bits &&
      (d.bits != 8 ||
       (dst.colorCount == src.colorCount &&
        std::memcmp(dst.colors.data(), src.colors.data(),
                    sizeof(KorvexHostRgbQuad) * static_cast<size_t>(dst.colorCount)) == 0));
  // Whole runs of neighbouring pixels map onto neighbours: rows copy as one.
  bool contiguous = sameFormat && g_fastPaths.load(std::memory_order_relaxed);
  for (size_t i = 1; contiguous && i < xs.target.size(); ++i)
    contiguous = xs.target[i] == xs.target[i - 1] + 1 && xs.source[i] == xs.source[i - 1] + 1;

  NearestColor nearest(dst);
  for (size_t j = 0; j < ys.target.size(); ++j) {
    uint8_t* dRow = RowOf(d, ys.target[j]);
    const uint8_t* sRow = RowOf(s, ys.source[j]);
    if (contiguous) {
      std::memmove(dRow + static_cast<ptrdiff_t>(xs.target[0]) * dBytes,
                   sRow + static_cast<ptrdiff_t>(xs.source[0]) * sBytes, xs.target.size() * dBytes);
      continue;
    }
    for (size_t i = 0; i < xs.target.size(); ++i) {
      uint8_t* dp = dRow + static_cast<ptrdiff_t>(xs.target[i]) * dBytes;
      const uint8_t* sp = sRow + static_cast<ptrdiff_t>(xs.source[i]) * sBytes;
      if (sameFormat) {
        std::memmove(dp, sp, static_cast<size_t>(dBytes));
      } else {
        WritePixel(dst, dp, ReadPixel(src, sp), nearest);
      }
    }
  }
  return 1;
}

}  // namespace

extern "C" {

KorvexHostBitmap KorvexHost_CreateDIBSection(const void* bitmapInfo, void** bits) {
  if (bits != nullptr) *bits = nullptr;
  if (bitmapInfo == nullptr || (g_faults.load() & KORVEX_HOST_GDI_FAIL_SECTION) != 0)
    return nullptr;
  KorvexHostBitmapInfoHeader h;
  std::memcpy(&h, bitmapInfo, sizeof h);
  const int depth = h.biBitCount;
  if (h.biSize < 40 || h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN ||
      h.biCompression != 0 || h.biPlanes != 1)
    return nullptr;
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32 && depth != 48 && depth != 64)
    return nullptr;
  auto section = std::make_shared<Section>();
  section->width = h.biWidth;
  section->headerHeight = h.biHeight;
  section->topDown = h.biHeight < 0;
  section->height = section->topDown ? -h.biHeight : h.biHeight;
  section->bits = depth;
  const int64_t stride = (int64_t{h.biWidth} * depth / 8 + 3) & ~int64_t{3};
  if (stride * section->height > kMaxSectionBytes) return nullptr;
  section->stride = static_cast<int32_t>(stride);
  const size_t bytes = static_cast<size_t>(stride * section->height);
  void* pages = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pages == MAP_FAILED) return nullptr;
  section->pixels = static_cast<uint8_t*>(pages);  // zero-filled by the kernel
  section->pixelBytes = bytes;
  if (depth == 8) {
    section->colorCount =
        (h.biClrUsed == 0 || h.biClrUsed > 256) ? 256 : static_cast<int>(h.biClrUsed);
    std::memcpy(section->colors.data(), static_cast<const uint8_t*>(bitmapInfo) + h.biSize,
                sizeof(KorvexHostRgbQuad) * static_cast<size_t>(section->colorCount));
  }
  if (bits != nullptr) *bits = section->pixels;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  const uintptr_t id = state.nextId;
  state.nextId += 0x10;
  state.sections[id] = std::move(section);
  return reinterpret_cast<KorvexHostBitmap>(id);
}

KorvexHostDC KorvexHost_CreateCompatibleDC(KorvexHostDC dc) {
  if ((g_faults.load() & KORVEX_HOST_GDI_FAIL_DC) != 0) return nullptr;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  if (dc != nullptr && state.dcs.count(Id(dc)) == 0) return nullptr;
  const uintptr_t id = state.nextId;
  state.nextId += 0x10;
  state.dcs[id].bitmap = kStockBitmap;
  return reinterpret_cast<KorvexHostDC>(id);
}

KorvexHostBitmap KorvexHost_SelectObject(KorvexHostDC dc, KorvexHostBitmap bitmap) {
  if ((g_faults.load() & KORVEX_HOST_GDI_FAIL_SELECT) != 0) return nullptr;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  auto d = state.dcs.find(Id(dc));
  auto s = state.sections.find(Id(bitmap));
  if (d == state.dcs.end() || s == state.sections.end()) return nullptr;
  const uintptr_t previous = d->second.bitmap;
  if (previous == Id(bitmap)) return bitmap;
  Section& section = *s->second;
  if (!section.stock && section.selectedInto != 0) return nullptr;
  if (!section.stock) section.selectedInto = Id(dc);
  auto old = state.sections.find(previous);
  if (old != state.sections.end() && !old->second->stock) old->second->selectedInto = 0;
  d->second.bitmap = Id(bitmap);
  return reinterpret_cast<KorvexHostBitmap>(previous);
}

int KorvexHost_DeleteDC(KorvexHostDC dc) {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  auto d = state.dcs.find(Id(dc));
  if (d == state.dcs.end()) return 0;
  auto s = state.sections.find(d->second.bitmap);
  if (s != state.sections.end() && !s->second->stock) s->second->selectedInto = 0;
  state.dcs.erase(d);
  return 1;
}

int KorvexHost_DeleteObject(KorvexHostBitmap bitmap) {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  auto s = state.sections.find(Id(bitmap));
  if (s == state.sections.end()) return 0;
  if (s->second->stock) return 1;
  if (s->second->selectedInto != 0) return 0;
  state.sections.erase(s);  // memory goes with the last transfer using it
  return 1;
}

KorvexHostBitmap KorvexHost_GetCurrentBitmap(KorvexHostDC dc) {
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  auto d = state.dcs.find(Id(dc));
  return d == state.dcs.end() ? nullptr : reinterpret_cast<KorvexHostBitmap>(d->second.bitmap);
}

int KorvexHost_GetBitmapDesc(KorvexHostBitmap bitmap, KorvexHostBitmapDesc* desc) {
  if (desc == nullptr) return 0;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  auto s = state.sections.find(Id(bitmap));
  if (s == state.sections.end()) return 0;
  const Section& section = *s->second;
  desc->width = section.width;
  desc->height = section.headerHeight;
  desc->stride = section.stride;
  desc->bitsPerPixel = section.bits;
  desc->pixels = section.pixels;
  return 1;
}

int KorvexHost_SetDIBColorTable(KorvexHostDC dc, int start, int count,
                                const KorvexHostRgbQuad* colors) {
  if (colors == nullptr || start < 0 || count <= 0) return 0;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  Surface surface;
  if (!SurfaceOf(state, dc, &surface)) return 0;
  Section& section = *surface.section;
  if (start >= section.colorCount) return 0;
  const int n = std::min(count, section.colorCount - start);
  std::memcpy(section.colors.data() + start, colors,
              sizeof(KorvexHostRgbQuad) * static_cast<size_t>(n));
  return n;
}

int KorvexHost_GetDIBColorTable(KorvexHostDC dc, int start, int count, KorvexHostRgbQuad* colors) {
  if (colors == nullptr || start < 0 || count <= 0) return 0;
  State& state = TheState();
  LockGuard<Mutex> lock(state.mutex);
  Surface surface;
  if (!SurfaceOf(state, dc, &surface)) return 0;
  if (start >= surface.colorCount) return 0;
  const int n = std::min(count, surface.colorCount - start);
  std::memcpy(colors, surface.colors.data() + start,
              sizeof(KorvexHostRgbQuad) * static_cast<size_t>(n));
  return n;
}

int KorvexHost_BitBlt(KorvexHostDC target, int x, int y, int width, int height, KorvexHostDC source,
                      int sourceX, int sourceY, uint32_t rop) {
  return Transfer(target, x, y, width, height, source, sourceX, sourceY, width, height, rop);
}

int KorvexHost_StretchBlt(KorvexHostDC target, int x, int y, int width, int height,
                          KorvexHostDC source, int sourceX, int sourceY, int sourceWidth,
                          int sourceHeight, uint32_t rop) {
  return Transfer(target, x, y, width, height, source, sourceX, sourceY, sourceWidth, sourceHeight,
                  rop);
}

void KorvexHost_SetGdiFaults(uint32_t mask) { g_faults.store(mask); }

void KorvexHost_SetGdiFastPaths(int enabled) { g_fastPaths.store(enabled != 0); }

}  // extern "C"
