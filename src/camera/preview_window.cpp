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
  const int mode = FrameMode();  // the images are the prepared mode's
  CDibImage* source = nullptr;
  switch (mode) {
    case 0:
      source = images_[kGray8].get();
      break;
    case 1:
      image::ConvertRegion(*images_[kGray8], image::Reduce16To8, *images_[kGray16], nullptr, 0, 0,
                           nullptr);
      source = images_[kGray8].get();
      break;
    case 2:
      source = images_[kColor24].get();
      break;
    case 3:
      image::ConvertRegion(*images_[kColor24], image::Copy32To24, *images_[kColor32], nullptr, 0,
                           0, nullptr);
      source = images_[kColor24].get();
      break;
    case 4:
    case 5:
      image::ConvertRegion(*images_[kColor24], image::Reduce48To24,
                           *images_[mode == 4 ? kColor48 : kColor64], nullptr, 0, 0, nullptr);
      source = images_[kColor24].get();
      break;
    default:
      return;
  }
  // A 16-bit grey picture is always drawn through the display image.
  display_.Draw(*source, mode != 1, *images_[kDisplay]);
}

}  // namespace korvex
