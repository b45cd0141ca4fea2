#include "image/files/file_conversion.h"

#include "image/converters/format.h"
#include "image/dib_image.h"
#include "image/dispatch.h"

namespace korvex::image::files {

RegionConverter ExpandFor(int bytesPerPixel, bool rgbOrder, int significantBits) {
  if (!KnownSignificantBits(significantBits)) return nullptr;
  return SelectExpand(bytesPerPixel, rgbOrder, significantBits);
}

bool ConvertWhole(CDibImage& dst, RegionConverter converter, CDibImage& src) {
  if (converter == nullptr || dst.IsEmpty() || src.IsEmpty()) return false;
  return ConvertRegion(dst, converter, src, nullptr, 0, 0, nullptr) != 0;
}

}  // namespace korvex::image::files
