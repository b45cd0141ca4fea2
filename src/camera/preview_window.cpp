// The camera's side of its preview window: opening it at a start when the
// placement asks for one, and drawing each frame's output image into it
// (deep and 32-bit images reduced to 8 or 24 bits first).
#include "camera/korvex.h"

#include "image/converters/format.h"
#include "image/dib_image.h"
#include "image/dispatch.h"

namespace korvex {

bool CKorvex::OpenDisplayIfWanted() {
  return !display_.Wanted() ||
         display_.Open(settings_.size.EH, settings_.size.EV, settings_.video.SubSample);
}

void CKorvex::DrawFrame() {
  const std::optional<ColorMode> mode = FrameMode();  // the images are the prepared mode's
  if (!mode) return;
  // The 8-bit modes draw their output image; the others a reduced copy in
  // the 8-bit grey or the 24-bit colour image.
  switch (*mode) {
    case ColorMode::kGray8:
    case ColorMode::kColor24: break;
    case ColorMode::kGray16:
      image::ConvertRegion(*images_[kGray8], image::Reduce16To8, *images_[kGray16], nullptr, 0, 0,
                           nullptr);
      break;
    case ColorMode::kColor32:
      image::ConvertRegion(*images_[kColor24], image::Copy32To24, *images_[kColor32], nullptr, 0, 0,
                           nullptr);
      break;
    case ColorMode::kColor48:
    case ColorMode::kColor64:
      image::ConvertRegion(*images_[kColor24], image::Reduce48To24, *images_[OutputRole(*mode)],
                           nullptr, 0, 0, nullptr);
      break;
  }
  CDibImage& source = *images_[IsGray(*mode) ? kGray8 : kColor24];
  // A 16-bit grey picture is always drawn through the display image.
  display_.AssertFrameLockHeld();
  display_.Draw(source, *mode != ColorMode::kGray16, *images_[kDisplay]);
}

}  // namespace korvex
