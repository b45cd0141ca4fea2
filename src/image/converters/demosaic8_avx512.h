// Internal: the 8-bit demosaic row kernel of demosaic8_avx2.h with AVX-512
// (BW and VBMI), 64 pixels per step: the same sums and the same results,
// with the three colour planes interleaved into 3-byte pixels by byte
// permutes. Rows narrower than kDemosaic8Avx512MinWidth go to the AVX2
// kernel.
#pragma once

#include "image/converters/demosaic8_avx2.h"

namespace korvex::image::detail {

// Narrowest row one 64-pixel step takes with the two columns on either side.
inline constexpr int32_t kDemosaic8Avx512MinWidth = 68;

// As Demosaic8RowAvx2, with the same scratch.
int32_t Demosaic8RowAvx512(uint8_t* out, const MosaicRows8& rows, int32_t width,
                           const Demosaic8RowRoles& roles, uint16_t* scratch);

}  // namespace korvex::image::detail
