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
#include "image/dib_image.h"
#include "image/files/image_files.h"

#include <csetjmp>
#include <cstdio>
#include <new>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

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

// libjpeg's destination: a buffer of the job's that is written to the file
// each time it fills, and its rest when compression finishes. A failed write
// ends the compression through error_exit.
constexpr size_t kDestinationBytes = 65536;

struct FileDestination {
  jpeg_destination_mgr manager;  // first member: libjpeg sees only this part
  OutputFile* file;
  JOCTET* buffer;  // kDestinationBytes
};

void WriteOrFail(j_compress_ptr cinfo, size_t bytes) {
  auto* destination = reinterpret_cast<FileDestination*>(cinfo->dest);
  if (!destination->file->Write(destination->buffer, bytes)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

extern "C" void DestinationStart(j_compress_ptr cinfo) {
  auto* destination = reinterpret_cast<FileDestination*>(cinfo->dest);
  destination->manager.next_output_byte = destination->buffer;
  destination->manager.free_in_buffer = kDestinationBytes;
}

extern "C" boolean DestinationFull(j_compress_ptr cinfo) {
  // libjpeg calls this with the whole buffer used, whatever free_in_buffer says.
  WriteOrFail(cinfo, kDestinationBytes);
  DestinationStart(cinfo);
  return TRUE;
}

extern "C" void DestinationEnd(j_compress_ptr cinfo) {
  WriteOrFail(cinfo, kDestinationBytes - cinfo->dest->free_in_buffer);
}

struct JpegJob {
  OutputFile* file;
  JOCTET* destinationBuffer;  // kDestinationBytes
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
  FileDestination destination{};
  destination.manager.init_destination = DestinationStart;
  destination.manager.empty_output_buffer = DestinationFull;
  destination.manager.term_destination = DestinationEnd;
  destination.file = job.file;
  destination.buffer = job.destinationBuffer;
  cinfo.dest = &destination.manager;
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

int WriteJpegFile(OutputFile& file, const CDibImage& image, int quality, int progressive) {
  if (image.IsEmpty()) return 0;
  const int bits = image.BitsPerPixel();
  if (bits != 8 && bits != 24) return 0;
  const int components = bits / 8;

  std::vector<uint8_t> scanline;
  std::vector<JOCTET> destination;
  try {
    scanline.resize(static_cast<size_t>(image.Width()) * static_cast<size_t>(components));
    destination.resize(kDestinationBytes);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  const JpegJob job{&file,          destination.data(), image.Bits(), image.Width(),
                    image.Height(), image.Stride(),     components,   quality,
                    progressive,    scanline.data()};
  const int result = Compress(job);
  return file.Failed() ? 0 : result;
}

}  // namespace korvex::image
