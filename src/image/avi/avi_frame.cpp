#include "image/avi/avi_frame.h"

#include "image/converters/format.h"
#include "image/dispatch.h"

namespace korvex::image::avi {

bool AviFrameImages::Create(int width, int height) {
  return p_.Create(width, height, 24) != 0 && q_.Create(width, height, 24) != 0 &&
         r_.Create(width, height, 8) != 0;
}

void AviFrameImages::Release() {
  p_.Release();
  q_.Release();
  r_.Release();
}

const CDibImage* AviFrameImages::Convert(CDibImage& output) {
  if (output.IsEmpty() || p_.IsEmpty() || output.Width() != p_.Width() ||
      output.Height() != p_.Height())
    return nullptr;
  auto convert = [](CDibImage& dst, RegionConverter converter, CDibImage& src) {
    return ConvertRegion(dst, converter, src, nullptr, 0, 0, nullptr) != 0;
  };
  switch (output.BitsPerPixel()) {
    case 8:
      // The bit-block transfer expands the palette; the copy turns the rows.
      if (!q_.Blit(output, nullptr, 0, 0)) return nullptr;
      return convert(p_, Copy24Flip, q_) ? &p_ : nullptr;
    case 16:
      // 10 significant bits down to 8, rows turned, then the gray palette
      // expanded to colour.
      if (!convert(r_, Reduce16To8Flip, output)) return nullptr;
      return p_.Blit(r_, nullptr, 0, 0) ? &p_ : nullptr;
    case 48:
    case 64: return convert(q_, Reduce48To24Flip, output) ? &q_ : nullptr;
    case 24:
    case 32: return convert(p_, Copy24Flip, output) ? &p_ : nullptr;
    default: return nullptr;
  }
}

}  // namespace korvex::image::avi
