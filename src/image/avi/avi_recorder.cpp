#include "image/avi/avi_recorder.h"

#include "image/dib_image.h"

namespace korvex::image::avi {
namespace {

// Sizes of the lists around the headers: "hdrl" holds "avih" and the "strl"
// list, which holds "strh" and "strf".
constexpr uint32_t kStreamListSize = 4 + 8 + kStreamHeaderSize + 8 + kStreamFormatSize;  // 124
constexpr uint32_t kHeaderListSize = 4 + 8 + kMainHeaderSize + 8 + kStreamListSize;      // 200
constexpr uint32_t kChunkHeader = 8;
constexpr uint32_t kIndexEntrySize = 16;

}  // namespace

uint32_t MeasuredRate(uint32_t frames, uint32_t elapsedMs) {
  if (frames == 0) return kNominalRate * 100;
  if (elapsedMs == 0) elapsedMs = 1;
  const uint64_t rate = static_cast<uint64_t>(frames) * 100'000u / elapsedMs;
  if (rate == 0) return 1;
  return rate > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(rate);
}

CAviRecorder::~CAviRecorder() { ResetRecorder(); }

void CAviRecorder::SetFrameFormat(int32_t width, int32_t height, uint16_t bitCount) {
  width_ = width;
  height_ = height;
  bitCount_ = bitCount;
}

void CAviRecorder::ResetRecorder() {
  if (file_ != platform::kNoFile) platform::CloseFile(file_);
  file_ = platform::kNoFile;
  position_ = 0;
  writeFailed_ = false;
  limitReached_ = false;
  index_.clear();
  main_ = MainHeader{};
  stream_ = StreamHeader{};
  format_ = StreamFormat{};
  riffBytes_ = 0;
  movieBytes_ = 0;
  movieSizePosition_ = 0;
}

bool CAviRecorder::WriteAt(uint64_t position, const void* data, size_t size) {
  if (file_ == platform::kNoFile) return false;
  if (!platform::WriteFileAt(file_, position, data, size)) {
    writeFailed_ = true;
    return false;
  }
  return true;
}

bool CAviRecorder::Write(const void* data, size_t size) {
  if (!WriteAt(position_, data, size)) return false;
  position_ += size;
  return true;
}

void CAviRecorder::CutBackTo(uint64_t size) {
  if (file_ != platform::kNoFile && !platform::TruncateFile(file_, size)) writeFailed_ = true;
  position_ = size;
}

bool CAviRecorder::WriteU32(uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return Write(bytes, sizeof bytes);
}

bool CAviRecorder::PatchU32(long offset, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return WriteAt(static_cast<uint64_t>(offset), bytes, sizeof bytes);
}

int CAviRecorder::BeginAviFile(const platform::FileName& path) {
  ResetRecorder();
  frameCount_ = 0;
  if (path.IsEmpty() || width_ <= 0 || height_ <= 0) return 0;
  // Rows of a 24-bit bitmap are padded to 4 bytes; readers expect them so.
  const uint64_t bytes =
      static_cast<uint64_t>(CDibImage::StrideFor(width_, 24)) * static_cast<uint64_t>(height_);
  if (bytes + kMovieDataOffset + 2 * kChunkHeader + kIndexEntrySize > maxFileSize_) return 0;
  frameBytes_ = static_cast<uint32_t>(bytes);

  file_ = platform::OpenRegularFileForWriting(path);
  if (file_ == platform::kNoFile) return 0;
  FillHeaders(width_, height_, frameBytes_, &main_, &stream_, &format_);

  // Every field after the RIFF size counts towards the RIFF byte count.
  bool ok = WriteU32(FourCC("RIFF")) && WriteU32(0);
  auto field = [&](uint32_t value) {
    ok = ok && WriteU32(value);
    riffBytes_ += 4;
  };
  auto record = [&](const auto& bytes) {
    ok = ok && Write(bytes.data(), bytes.size());
    riffBytes_ += static_cast<uint32_t>(bytes.size());
  };
  field(FourCC("AVI "));
  field(FourCC("LIST"));
  field(kHeaderListSize);
  field(FourCC("hdrl"));
  field(FourCC("avih"));
  field(kMainHeaderSize);
  record(Encode(main_));
  field(FourCC("LIST"));
  field(kStreamListSize);
  field(FourCC("strl"));
  field(FourCC("strh"));
  field(kStreamHeaderSize);
  record(Encode(stream_));
  field(FourCC("strf"));
  field(kStreamFormatSize);
  record(Encode(format_));
  field(FourCC("LIST"));
  movieSizePosition_ = 8 + riffBytes_;
  field(0);  // movie list size, patched when finishing
  field(FourCC("movi"));
  movieBytes_ = 4;
  if (!ok) {
    ResetRecorder();
    return 0;
  }
  return 1;
}

bool CAviRecorder::AppendAviFrame(const uint8_t* pixels) {
  if (file_ == platform::kNoFile || pixels == nullptr || writeFailed_) return false;
  // The file must still hold this chunk, the index with its entry and the
  // index chunk header within sizes of 32 bits.
  const uint64_t after = 8ull + riffBytes_ + kChunkHeader + frameBytes_ + kChunkHeader +
                         kIndexEntrySize * (static_cast<uint64_t>(index_.size()) + 1);
  if (after > maxFileSize_) {
    limitReached_ = true;
    return false;
  }
  if (!(WriteU32(FourCC("00db")) && WriteU32(frameBytes_) && Write(pixels, frameBytes_))) {
    // Take the partial chunk back: the index goes where it started.
    CutBackTo(8ull + riffBytes_);
    return false;
  }
  index_.push_back(IndexEntry{FourCC("00db"), kIndexKeyFrame, movieBytes_, frameBytes_});
  riffBytes_ += kChunkHeader + frameBytes_;
  movieBytes_ += kChunkHeader + frameBytes_;
  ++frameCount_;
  return true;
}

bool CAviRecorder::FinishAviFile(uint32_t rate) {
  if (file_ == platform::kNoFile) return false;
  if (rate == 0) rate = 1;
  const uint32_t count = static_cast<uint32_t>(index_.size());
  // After the last whole chunk, whatever a failed write left behind.
  CutBackTo(8ull + riffBytes_);
  // The entries go out in batches from a buffer on the stack: finishing
  // allocates nothing, so it also works while the process ends.
  constexpr uint32_t kBatch = 256;
  uint8_t batch[kBatch * kIndexEntrySize];
  bool indexed = WriteU32(FourCC("idx1")) && WriteU32(kIndexEntrySize * count);
  for (uint32_t first = 0; indexed && first < count; first += kBatch) {
    const uint32_t n = count - first < kBatch ? count - first : kBatch;
    for (uint32_t i = 0; i < n; ++i) {
      const IndexEntry& e = index_[first + i];
      const uint32_t fields[4] = {e.chunkId, e.flags, e.offset, e.size};
      for (int f = 0; f < 4; ++f)
        for (int b = 0; b < 4; ++b)
          batch[i * kIndexEntrySize + f * 4 + b] = static_cast<uint8_t>(fields[f] >> (8 * b));
    }
    indexed = Write(batch, static_cast<size_t>(n) * kIndexEntrySize);
  }
  bool ok = true;
  if (indexed) {
    riffBytes_ += kChunkHeader + kIndexEntrySize * count;
  } else {
    // No room for the index: the file ends after the last frame.
    CutBackTo(8ull + riffBytes_);
    ok = false;
  }

  ok = PatchU32(kRiffSizeOffset, riffBytes_) && ok;
  ok = PatchU32(static_cast<long>(movieSizePosition_), movieBytes_) && ok;
  ok = PatchU32(kTotalFramesOffset, count) && ok;
  ok = PatchU32(kStreamLengthOffset, count) && ok;
  ok = PatchU32(kMicroSecPerFrameOffset, 100'000'000u / rate) && ok;
  ok = PatchU32(kStreamScaleOffset, 1'000'000'000u / rate) && ok;
  if (!platform::CloseFile(file_)) ok = false;
  file_ = platform::kNoFile;
  return ok;
}

}  // namespace korvex::image::avi
