// The work images of a recording and the conversion of an output image of
// any depth into the 24-bit, bottom-row-first frame an AVI file stores.
#pragma once

#include "image/dib_image.h"

namespace korvex::image::avi {

class AviFrameImages {
 public:
  // Creates the work images for frames of the given size: two 24-bit images
  // and one 8-bit one. False when any cannot be created.
  bool Create(int width, int height);
  void Release();
  // Converts `output` (8, 16, 24, 32, 48 or 64 bits, top row in memory row
  // 0, of the size given to Create) into a 24-bit frame whose memory rows
  // run from the bottom of the picture up. Null when the image does not
  // match the work images or the conversion fails.
  const CDibImage* Convert(CDibImage& output);

 private:
  CDibImage p_, q_;  // 24-bit
  CDibImage r_;      // 8-bit
};

}  // namespace korvex::image::avi
