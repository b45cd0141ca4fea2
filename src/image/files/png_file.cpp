// PNG files through libpng: gray for 8- and 16-bit images, RGB for 24 and
// 48 bits, RGB with alpha for 32 and 64 bits. The rows come top row of the
// picture first in blue-green-red order; libpng reorders the channels and,
// for 16-bit samples, writes the little-endian words big-endian.
//
// libpng reports errors through the error function below, which logs the
// message and jumps back to the routine that started the write. That routine
// holds only plain C data, so no C++ object is skipped by the jump. All state
// of a write lives in its own call, so saves may run at the same time.
#include "image/files/image_files.h"

#include "log/log.h"

#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include <png.h>

namespace korvex::image {
namespace {

// Where an error of one write jumps to, and the message it carried.
struct PngErrorFrame {
  std::jmp_buf jump;
  const char* message = nullptr;
};

extern "C" void PngErrorExit(png_structp png, png_const_charp message) {
  try {
    KORVEX_LOG(kError, kFiles, 0, "libpng: %s", message);
  } catch (...) {
  }
  auto* frame = static_cast<PngErrorFrame*>(png_get_error_ptr(png));
  frame->message = message;
  std::longjmp(frame->jump, 1);
}

struct PngLayout {
  int bitDepth;
  int colorType;
};

bool LayoutFor(int bits, PngLayout* layout) {
  switch (bits) {
    case 8: *layout = {8, PNG_COLOR_TYPE_GRAY}; return true;
    case 16: *layout = {16, PNG_COLOR_TYPE_GRAY}; return true;
    case 24: *layout = {8, PNG_COLOR_TYPE_RGB}; return true;
    case 32: *layout = {8, PNG_COLOR_TYPE_RGB_ALPHA}; return true;
    case 48: *layout = {16, PNG_COLOR_TYPE_RGB}; return true;
    case 64: *layout = {16, PNG_COLOR_TYPE_RGB_ALPHA}; return true;
    default: return false;
  }
}

// Every block libpng produces goes to the file; a failed write ends the
// write through the error function.
extern "C" void PngWrite(png_structp png, png_bytep data, size_t size) {
  if (!static_cast<OutputFile*>(png_get_io_ptr(png))->Write(data, size)) {
    png_error(png, "Write Error");
  }
}
extern "C" void PngFlush(png_structp) {}  // nothing is held back

struct PngJob {
  OutputFile* file;
  int width;
  int height;
  int bits;
  png_bytep* rows;  // height row pointers
};

// Writes the whole image to job.file. Only trivially destructible objects
// live here, so the error jump may land in this frame.
int Compress(const PngJob& job, PngErrorFrame* frame) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, frame, PngErrorExit, nullptr);
  if (png == nullptr) return 0;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return 0;
  }
  // png and info are not changed after this point, so they keep their
  // values across the jump.
  if (setjmp(frame->jump) != 0) {
    png_destroy_write_struct(&png, &info);
    return 0;
  }
  png_set_write_fn(png, job.file, PngWrite, PngFlush);
  PngLayout layout{};
  if (!LayoutFor(job.bits, &layout)) png_error(png, "unsupported pixel depth");
  png_set_IHDR(png, info, static_cast<png_uint_32>(job.width), static_cast<png_uint_32>(job.height),
               layout.bitDepth, layout.colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_set_bgr(png);
  if (layout.bitDepth == 16) png_set_swap(png);  // rows hold little-endian words
  png_write_image(png, job.rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return 1;
}

}  // namespace

int WritePngFile(OutputFile& file, const uint8_t* pixels, int width, int height, int bits) {
  if (pixels == nullptr || width <= 0 || height <= 0 || bits <= 0) {
    return 0;
  }
  // Rows of the image buffer: bytes per row rounded up to a multiple of 4.
  const size_t rowBytes = static_cast<size_t>(bits / 8) * static_cast<size_t>(width);
  const size_t rowStep = (rowBytes + 3) & ~static_cast<size_t>(3);
  std::vector<png_bytep> rows;
  try {
    rows.resize(static_cast<size_t>(height));
  } catch (const std::bad_alloc&) {
    KORVEX_LOG(kError, kFiles, 0, "libpng: out of memory for %d row pointers", height);
    return 0;
  }
  // libpng copies every row before transforming it, so the image's own
  // pixels are only read.
  for (size_t y = 0; y < rows.size(); ++y) {
    rows[y] = const_cast<png_bytep>(pixels + y * rowStep);
  }

  PngErrorFrame frame;
  const int result = Compress(PngJob{&file, width, height, bits, rows.data()}, &frame);
  return file.Failed() ? 0 : result;
}

}  // namespace korvex::image
