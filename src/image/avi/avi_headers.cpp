#include "image/avi/avi_headers.h"

#include <cstddef>

namespace korvex::image::avi {
namespace {

// Appends little-endian fields to a fixed-size record.
template <size_t N>
class Writer {
 public:
  explicit Writer(std::array<uint8_t, N>& out) : out_(out) {}
  Writer& U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at_++] = static_cast<uint8_t>(v >> (8 * i));
    return *this;
  }
  Writer& U16(uint16_t v) {
    out_[at_++] = static_cast<uint8_t>(v);
    out_[at_++] = static_cast<uint8_t>(v >> 8);
    return *this;
  }
  size_t Written() const { return at_; }

 private:
  std::array<uint8_t, N>& out_;
  size_t at_ = 0;
};

}  // namespace

void FillHeaders(int32_t width, int32_t height, uint32_t frameBytes, MainHeader* main,
                 StreamHeader* stream, StreamFormat* format) {
  // One frame chunk with its 8-byte chunk header.
  const uint32_t chunk = frameBytes + 8;
  *main = MainHeader{};
  main->microSecPerFrame = 1'000'000 / kNominalRate;
  main->maxBytesPerSec = chunk * kNominalRate;
  main->flags = kFlagHasIndex | kFlagWasCaptureFile;
  main->streams = 1;
  main->suggestedBufferSize = chunk;
  main->width = static_cast<uint32_t>(width);
  main->height = static_cast<uint32_t>(height);

  *stream = StreamHeader{};
  stream->type = FourCC("vids");
  stream->handler = FourCC("DIB ");
  stream->scale = kStreamRate / kNominalRate;
  stream->rate = kStreamRate;
  stream->suggestedBufferSize = chunk;

  *format = StreamFormat{};
  format->width = width;
  format->height = height;
}

std::array<uint8_t, kMainHeaderSize> Encode(const MainHeader& h) {
  std::array<uint8_t, kMainHeaderSize> out{};
  Writer w(out);
  w.U32(h.microSecPerFrame).U32(h.maxBytesPerSec).U32(h.paddingGranularity).U32(h.flags);
  w.U32(h.totalFrames).U32(h.initialFrames).U32(h.streams).U32(h.suggestedBufferSize);
  w.U32(h.width).U32(h.height);
  for (uint32_t r : h.reserved) w.U32(r);
  return out;
}

std::array<uint8_t, kStreamHeaderSize> Encode(const StreamHeader& h) {
  std::array<uint8_t, kStreamHeaderSize> out{};
  Writer w(out);
  w.U32(h.type).U32(h.handler).U32(h.flags).U16(h.priority).U16(h.language);
  w.U32(h.initialFrames).U32(h.scale).U32(h.rate).U32(h.start).U32(h.length);
  w.U32(h.suggestedBufferSize).U32(h.quality).U32(h.sampleSize);
  for (int32_t v : h.frame) w.U32(static_cast<uint32_t>(v));
  return out;
}

std::array<uint8_t, kStreamFormatSize> Encode(const StreamFormat& f) {
  std::array<uint8_t, kStreamFormatSize> out{};
  Writer w(out);
  w.U32(f.size).U32(static_cast<uint32_t>(f.width)).U32(static_cast<uint32_t>(f.height));
  w.U16(f.planes).U16(f.bitCount).U32(f.compression).U32(f.sizeImage);
  w.U32(static_cast<uint32_t>(f.xPelsPerMeter)).U32(static_cast<uint32_t>(f.yPelsPerMeter));
  w.U32(f.clrUsed).U32(f.clrImportant);
  return out;
}

}  // namespace korvex::image::avi
