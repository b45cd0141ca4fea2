// Readers for the files the image writers produce: a temporary folder per
// test, whole-file reads, and libpng/libjpeg/libtiff decoders that hand back
// the stored samples untouched (16-bit samples in file byte order).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace korvex::test {

// A fresh folder under the temporary directory, removed with its contents.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::string Path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

std::vector<uint8_t> ReadWholeFile(const std::string& path);

struct DecodedImage {
  int width = 0;
  int height = 0;
  int bitDepth = 0;  // bits per sample
  int channels = 0;
  int colorType = -1;               // PNG colour type, JPEG colour space or TIFF photometric
  bool progressive = false;         // JPEG
  bool extraSamplesTag = false;     // TIFF
  int compression = 0, planar = 0;  // TIFF
  std::vector<uint8_t> samples;     // rows top first, no padding
  size_t RowBytes() const { return static_cast<size_t>(width) * channels * (bitDepth / 8); }
};

bool DecodePng(const std::string& path, DecodedImage* out);
bool DecodeJpeg(const std::string& path, DecodedImage* out);
bool DecodeTiff(const std::string& path, DecodedImage* out);

}  // namespace korvex::test
