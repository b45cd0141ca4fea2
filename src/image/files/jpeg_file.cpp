// JPEG files through libjpeg: 8-bit gray images as one gray component,
// 24-bit images as red, green, blue. The image holds its rows bottom row of
// the picture first (the dispatcher reversed them), so scanlines are fed from
// the last memory row up.
//
// libjpeg reports fatal errors by calling error_exit, whose standard version
// ends the process. Here it prints the library's message and jumps back to
// the compression routine, which gives up with 0. The jump only leaves
// libjpeg's own frames and the routine that set it, which holds nothing but
// plain C data.
#include "platform/file.h"
#include "image/dib_image.h"
#include "image/files/image_files.h"

#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include <jpeglib.h>

namespace korvex::image {
namespace {

struct JumpingErrorManager {
  jpeg_error_mgr standard;  // first member: libjpeg sees only this part
  std::jmp_buf jump;
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  (*cinfo->err->output_message)(cinfo);
  std::longjmp(reinterpret_cast<JumpingErrorManager*>(cinfo->err)->jump, 1);
}

struct JpegJob {
  std::FILE* file;
  const uint8_t* pixels;
  int width;
  int height;
  int32_t stride;
  int components;  // 1 or 3
  int quality;
  int progressive;
  uint8_t* scanline;  // width * components bytes
};

// Compresses the whole image into job.file. Only trivially destructible
// objects live here, so the error jump may land in this frame.
int Compress(const JpegJob& job) {
  jpeg_compress_struct cinfo{};  // zeroed: safe to destroy at any point
  JumpingErrorManager errors;
  cinfo.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = JpegErrorExit;
  if (setjmp(errors.jump) != 0) {
    jpeg_destroy_compress(&cinfo);
    return 0;
  }
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, job.file);
  cinfo.image_width = static_cast<JDIMENSION>(job.width);
  cinfo.image_height = static_cast<JDIMENSION>(job.height);
  cinfo.input_components = job.components;
  cinfo.in_color_space = job.components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, job.quality, TRUE);
  if (job.progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);

  JSAMPROW row = job.scanline;
  while (cinfo.next_scanline < cinfo.image_height) {
    const int memoryRow = job.height - 1 - static_cast<int>(cinfo.next_scanline);
    const uint8_t* in = job.pixels + static_cast<ptrdiff_t>(memoryRow) * job.stride;
    if (job.components == 1) {
      for (int x = 0; x < job.width; ++x) row[x] = in[x];
    } else {
      for (int x = 0; x < job.width; ++x) {  // blue-green-red to red-green-blue
        row[3 * x + 0] = in[3 * x + 2];
        row[3 * x + 1] = in[3 * x + 1];
        row[3 * x + 2] = in[3 * x + 0];
      }
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return 1;
}

}  // namespace

int WriteJpegFile(const char* fileName, const CDibImage& image, int quality, int progressive) {
  if (fileName == nullptr || image.IsEmpty()) return 0;
  const int bits = image.BitsPerPixel();
  if (bits != 8 && bits != 24) return 0;
  const int components = bits / 8;

  std::vector<uint8_t> scanline;
  try {
    scanline.resize(static_cast<size_t>(image.Width()) * static_cast<size_t>(components));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  std::FILE* file = platform::OpenFileForWriting(fileName);
  if (file == nullptr) return 0;
  const JpegJob job{file,        image.Bits(), image.Width(),  image.Height(), image.Stride(),
                    components,  quality,      progressive,    scanline.data()};
  int result = Compress(job);
  if (std::fclose(file) != 0) result = 0;
  return result;
}

}  // namespace korvex::image
