// Which vector instructions the converters' hand-written kernels may use.
//
// The level is the best the processor offers, read once; a test or a
// benchmark may lower it for the whole process, so that every kernel and
// its portable loop can be compared byte for byte on one machine. Every
// level gives the same bytes, so the level may change at any time.
#pragma once

namespace korvex::image {

enum class VectorLevel : int {
  kPortable = 0,  // plain C++ loops only
  kSsse3 = 1,     // 16-byte byte shuffles
  kAvx2 = 2,      // 32-byte integer vectors and gathers
  kAvx512 = 3,    // 64-byte vectors with byte permutes (AVX-512 BW and VBMI)
};

// The best level the processor supports.
VectorLevel DetectedVectorLevel();

// The level kernels use now: the detected one, limited by LimitVectorLevel.
VectorLevel ActiveVectorLevel();

// Caps the level for the whole process (kAvx512 removes the cap). Thread safe.
void LimitVectorLevel(VectorLevel limit);

}  // namespace korvex::image
