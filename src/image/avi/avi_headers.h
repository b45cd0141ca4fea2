// The three header records at the start of an AVI file with one stream of
// uncompressed 24-bit frames: the main header ("avih"), the stream header
// ("strh") and the stream format ("strf", a bitmap-information header), in
// memory and as the little-endian bytes the file holds.
#pragma once

#include <array>
#include <cstdint>

namespace korvex::image::avi {

// A four-character code as the little-endian 32-bit value the file stores.
constexpr uint32_t FourCC(const char (&text)[5]) {
  return static_cast<uint32_t>(static_cast<uint8_t>(text[0])) |
         static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(text[3])) << 24;
}

// Frames per second written at the start; the finishing pass replaces the
// timing with the measured rate.
constexpr uint32_t kNominalRate = 30;
// The stream's time base: its rate field, in ticks per second.
constexpr uint32_t kStreamRate = 10'000'000;
constexpr uint32_t kFlagHasIndex = 0x10;
constexpr uint32_t kFlagWasCaptureFile = 0x10000;
constexpr uint32_t kIndexKeyFrame = 0x10;

struct MainHeader {  // 56 bytes
  uint32_t microSecPerFrame = 0;
  uint32_t maxBytesPerSec = 0;
  uint32_t paddingGranularity = 0;
  uint32_t flags = 0;
  uint32_t totalFrames = 0;
  uint32_t initialFrames = 0;
  uint32_t streams = 0;
  uint32_t suggestedBufferSize = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t reserved[4] = {0, 0, 0, 0};
};

struct StreamHeader {  // 64 bytes
  uint32_t type = 0;
  uint32_t handler = 0;
  uint32_t flags = 0;
  uint16_t priority = 0;
  uint16_t language = 0;
  uint32_t initialFrames = 0;
  uint32_t scale = 0;
  uint32_t rate = 0;
  uint32_t start = 0;
  uint32_t length = 0;
  uint32_t suggestedBufferSize = 0;
  uint32_t quality = 0;
  uint32_t sampleSize = 0;
  int32_t frame[4] = {0, 0, 0, 0};  // four 32-bit values
};

struct StreamFormat {  // 40 bytes
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;  // positive: bottom-up rows
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};

constexpr uint32_t kMainHeaderSize = 56;
constexpr uint32_t kStreamHeaderSize = 64;
constexpr uint32_t kStreamFormatSize = 40;

// The headers of a recording of width x height frames of frameBytes pixel
// bytes each, at the nominal rate, with no frames yet.
void FillHeaders(int32_t width, int32_t height, uint32_t frameBytes, MainHeader* main,
                 StreamHeader* stream, StreamFormat* format);

std::array<uint8_t, kMainHeaderSize> Encode(const MainHeader& header);
std::array<uint8_t, kStreamHeaderSize> Encode(const StreamHeader& header);
std::array<uint8_t, kStreamFormatSize> Encode(const StreamFormat& format);

}  // namespace korvex::image::avi
