#include "image/files/file_readers.h"

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include <jpeglib.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>

namespace korvex::test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "korvex-files-XXXXXX").string();
  if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {

// Decoding happens into caller-owned memory from routines that hold only
// plain data, so the libraries' error jumps skip no destructor.
struct PngHeader {
  png_uint_32 width, height;
  int depth, type, channels;
};

int ReadPngRows(std::FILE* file, PngHeader* header, uint8_t* buffer, size_t capacity) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr) return 0;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    return 0;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  header->width = png_get_image_width(png, info);
  header->height = png_get_image_height(png, info);
  header->depth = png_get_bit_depth(png, info);
  header->type = png_get_color_type(png, info);
  header->channels = png_get_channels(png, info);
  const size_t rowBytes = png_get_rowbytes(png, info);
  if (rowBytes * header->height > capacity) png_error(png, "image larger than expected");
  for (png_uint_32 y = 0; y < header->height; ++y)
    png_read_row(png, buffer + y * rowBytes, nullptr);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return 1;
}

struct JpegErrors {
  jpeg_error_mgr standard;
  std::jmp_buf jump;
};

extern "C" void JpegJump(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

int ReadJpegRows(std::FILE* file, DecodedImage* header, uint8_t* buffer, size_t capacity) {
  jpeg_decompress_struct cinfo{};
  JpegErrors errors;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = JpegJump;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, file);
  jpeg_read_header(&cinfo, TRUE);
  header->colorType = cinfo.jpeg_color_space;
  header->progressive = cinfo.progressive_mode != 0;
  jpeg_start_decompress(&cinfo);
  header->width = static_cast<int>(cinfo.output_width);
  header->height = static_cast<int>(cinfo.output_height);
  header->channels = cinfo.output_components;
  header->bitDepth = 8;
  const size_t rowBytes = static_cast<size_t>(cinfo.output_width) * cinfo.output_components;
  if (rowBytes * cinfo.output_height > capacity) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = buffer + cinfo.output_scanline * rowBytes;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 1;
}

constexpr size_t kCapacity = 64u << 20;

}  // namespace

bool DecodePng(const std::string& path, DecodedImage* out) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<uint8_t> buffer(kCapacity);
  PngHeader header{};
  const int ok = ReadPngRows(file, &header, buffer.data(), buffer.size());
  std::fclose(file);
  if (!ok) return false;
  out->width = static_cast<int>(header.width);
  out->height = static_cast<int>(header.height);
  out->bitDepth = header.depth;
  out->channels = header.channels;
  out->colorType = header.type;
  buffer.resize(out->RowBytes() * out->height);
  out->samples = std::move(buffer);
  return true;
}

bool DecodeJpeg(const std::string& path, DecodedImage* out) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::vector<uint8_t> buffer(kCapacity);
  const int ok = ReadJpegRows(file, out, buffer.data(), buffer.size());
  std::fclose(file);
  if (!ok) return false;
  buffer.resize(out->RowBytes() * out->height);
  out->samples = std::move(buffer);
  return true;
}

bool DecodeTiff(const std::string& path, DecodedImage* out) {
  // Four samples without an ExtraSamples tag draw a warning on every read.
  const TIFFErrorHandler warnings = TIFFSetWarningHandler(nullptr);
  // "c": no strip chopping, so the single strip is read as written.
  TIFF* tiff = TIFFOpen(path.c_str(), "rc");
  TIFFSetWarningHandler(warnings);
  if (tiff == nullptr) return false;
  uint32_t width = 0, height = 0;
  uint16_t bps = 0, spp = 0, photometric = 0, compression = 0, planar = 0;
  uint16_t extraCount = 0;
  uint16_t* extra = nullptr;
  bool ok = TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width) == 1 &&
            TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height) == 1 &&
            TIFFGetField(tiff, TIFFTAG_BITSPERSAMPLE, &bps) == 1 &&
            TIFFGetField(tiff, TIFFTAG_SAMPLESPERPIXEL, &spp) == 1 &&
            TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric) == 1 &&
            TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression) == 1 &&
            TIFFGetField(tiff, TIFFTAG_PLANARCONFIG, &planar) == 1;
  out->extraSamplesTag = TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extra) == 1;
  if (ok) {
    out->width = static_cast<int>(width);
    out->height = static_cast<int>(height);
    out->bitDepth = bps;
    out->channels = spp;
    out->colorType = photometric;
    out->compression = compression;
    out->planar = planar;
    ok = TIFFNumberOfStrips(tiff) == 1;
  }
  if (ok) {
    out->samples.assign(out->RowBytes() * out->height, 0);
    ok = TIFFReadEncodedStrip(tiff, 0, out->samples.data(),
                              static_cast<tmsize_t>(out->samples.size())) ==
         static_cast<tmsize_t>(out->samples.size());
  }
  TIFFClose(tiff);
  return ok;
}

}  // namespace korvex::test
