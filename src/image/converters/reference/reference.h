// Plain versions of the optimised converters, written to read like their
// definitions: pixel by pixel, formulas evaluated per sample, tables built
// exactly as described. They are slow and kept as the oracle the fast
// converters are compared against, byte for byte.
#pragma once

#include "image/converters/converter.h"

namespace korvex::image::reference {

KORVEX_REGION_CONVERTER(GrayGainOffset8);
KORVEX_REGION_CONVERTER(GrayGainOffset16);
KORVEX_REGION_CONVERTER(MeasureWhiteBalance8);
KORVEX_REGION_CONVERTER(MeasureWhiteBalance16);
KORVEX_REGION_CONVERTER(Demosaic8);
KORVEX_REGION_CONVERTER(Demosaic8Border);
KORVEX_REGION_CONVERTER(Demosaic16);
KORVEX_REGION_CONVERTER(Demosaic16Border);
KORVEX_REGION_CONVERTER(HueSaturation24);
KORVEX_REGION_CONVERTER(HueSaturation48);
KORVEX_REGION_CONVERTER(Gamma8);
KORVEX_REGION_CONVERTER(Gamma16);
KORVEX_REGION_CONVERTER(Gamma24);
KORVEX_REGION_CONVERTER(Gamma48);
KORVEX_REGION_CONVERTER(Contrast8);
KORVEX_REGION_CONVERTER(Contrast16);
KORVEX_REGION_CONVERTER(Contrast24);
KORVEX_REGION_CONVERTER(Contrast48);
KORVEX_REGION_CONVERTER(Sharpen8);
KORVEX_REGION_CONVERTER(Sharpen16);
KORVEX_REGION_CONVERTER(Sharpen24);
KORVEX_REGION_CONVERTER(Sharpen48);
KORVEX_REGION_CONVERTER(Brightness8);
KORVEX_REGION_CONVERTER(Brightness16);
KORVEX_REGION_CONVERTER(Brightness24);
KORVEX_REGION_CONVERTER(Brightness48);

}  // namespace korvex::image::reference
