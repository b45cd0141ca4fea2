// CAviRecorder: writes one AVI file of uncompressed 24-bit bottom-up frames.
// BeginAviFile writes the RIFF header, the header list and the opening of
// the movie list; AppendAviFrame adds one "00db" chunk and remembers its
// index entry; FinishAviFile writes the "idx1" index and patches the sizes,
// the frame counts and the frame timing in place, leaving a complete file.
//
// A write that fails (a full disk) ends the recording: the frame it was
// writing is taken back whole, and finishing describes exactly the frames
// the file holds, leaving out the index when even that cannot be written.
// So does the size limit: an AVI 1.0 file describes at most 4 GiB with its
// 32-bit sizes, so a frame that would carry the file (with its index) past
// that is not written, LimitReached() says so, and finishing leaves a valid
// file of the frames before it.
//
// Not thread-safe: the camera appends and finishes on its recording thread
// under the frame lock, and begins only while no recording thread runs.
#pragma once

#include "image/avi/avi_headers.h"
#include "platform/file.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvex::image::avi {

// File offsets of the fields the finishing pass patches.
constexpr long kRiffSizeOffset = 4;
constexpr long kMicroSecPerFrameOffset = 32;
constexpr long kTotalFramesOffset = 48;
constexpr long kStreamScaleOffset = 128;
constexpr long kStreamLengthOffset = 140;
constexpr long kMovieSizeOffset = 224;
// Bytes from the start of the file to the first frame chunk.
constexpr uint32_t kMovieDataOffset = 232;

struct IndexEntry {
  uint32_t chunkId;
  uint32_t flags;
  uint32_t offset;  // of the chunk's id, counted from the "movi" code
  uint32_t size;
};

// Frames per second in hundredths for `frames` frames over `elapsedMs`
// milliseconds, as FinishAviFile takes it: frames x 100,000 / elapsed,
// truncated; never 0, and the nominal rate for a file without frames.
uint32_t MeasuredRate(uint32_t frames, uint32_t elapsedMs);

class CAviRecorder {
 public:
  CAviRecorder() = default;
  ~CAviRecorder();
  CAviRecorder(const CAviRecorder&) = delete;
  CAviRecorder& operator=(const CAviRecorder&) = delete;

  // Frame size and bit count of the image being recorded; BeginAviFile
  // takes the frame size from here.
  void SetFrameFormat(int32_t width, int32_t height, uint16_t bitCount);
  // Closes the file if one is open (without finishing it), empties the index
  // and zeroes the headers and byte counts.
  void ResetRecorder();
  // Creates or empties the file and writes everything up to the first
  // frame chunk. 1 on success; 0 when the name is not a regular file or
  // cannot be opened, the frame size is unusable or the header cannot be
  // written.
  int BeginAviFile(const platform::FileName& path);
  // Appends one frame: FrameBytes() bytes laid out as a 24-bit bitmap of
  // the frame size with 4-byte aligned rows, bottom row first. False when
  // nothing was stored: no file, a failed write (the chunk is taken back and
  // WriteFailed() says so) or a file that would outgrow its 32-bit sizes;
  // the recording should end.
  bool AppendAviFrame(const uint8_t* pixels);
  // Writes the index after the last frame, patches the header with the
  // frame count and the timing of `rate` (hundredths of a frame per second;
  // 0 is taken as 1) and closes the file. False when there was no file or
  // finishing could not write everything (without room for the index the
  // file holds its frames without one).
  bool FinishAviFile(uint32_t rate);
  // True once a write of this file failed.
  bool WriteFailed() const { return writeFailed_; }
  // True once a frame was left out because the file would have outgrown
  // its size limit.
  bool LimitReached() const { return limitReached_; }
  // Lowers the size limit of the files this recorder writes (never above
  // kMaxFileSize), so that tests reach it with a few small frames.
  void LimitFileSize(uint64_t bytes) { maxFileSize_ = bytes < kMaxFileSize ? bytes : kMaxFileSize; }

  bool IsOpen() const { return file_ != platform::kNoFile; }
  uint32_t FrameCount() const { return frameCount_; }
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  uint16_t BitCount() const { return bitCount_; }
  // Pixel bytes of one frame chunk.
  uint32_t FrameBytes() const { return frameBytes_; }

  // Largest file the 32-bit RIFF sizes can describe.
  static constexpr uint64_t kMaxFileSize = 0xFFFFFFFFu;

 private:
  bool Write(const void* data, size_t size);
  bool WriteU32(uint32_t value);
  bool PatchU32(long offset, uint32_t value);
  // Writes at a position of the file; false when not everything was written.
  bool WriteAt(uint64_t position, const void* data, size_t size);
  // Cuts the file back to `size` bytes and continues writing there.
  void CutBackTo(uint64_t size);

  platform::FileHandle file_ = platform::kNoFile;
  uint64_t position_ = 0;  // where the next Write goes
  bool writeFailed_ = false;
  bool limitReached_ = false;
  uint64_t maxFileSize_ = kMaxFileSize;
  MainHeader main_{};
  StreamHeader stream_{};
  StreamFormat format_{};
  uint32_t riffBytes_ = 0;   // written after the RIFF size field
  uint32_t movieBytes_ = 0;  // written after the movie list's size field
  uint32_t movieSizePosition_ = 0;
  std::vector<IndexEntry> index_;
  int32_t width_ = 0;
  int32_t height_ = 0;
  uint16_t bitCount_ = 0;
  uint32_t frameBytes_ = 0;
  uint32_t frameCount_ = 0;
};

}  // namespace korvex::image::avi
