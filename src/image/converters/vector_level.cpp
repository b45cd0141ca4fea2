#include "image/converters/vector_level.h"

#include <atomic>

namespace korvex::image {
namespace {
std::atomic<int> gLimit{static_cast<int>(VectorLevel::kAvx512)};
}  // namespace

VectorLevel DetectedVectorLevel() {
#if defined(__x86_64__) && defined(__GNUC__)
  static const VectorLevel kDetected =
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vbmi")
          ? VectorLevel::kAvx512
      : __builtin_cpu_supports("avx2")  ? VectorLevel::kAvx2
      : __builtin_cpu_supports("ssse3") ? VectorLevel::kSsse3
                                        : VectorLevel::kPortable;
  return kDetected;
#else
  return VectorLevel::kPortable;
#endif
}

VectorLevel ActiveVectorLevel() {
  const int detected = static_cast<int>(DetectedVectorLevel());
  const int limit = gLimit.load(std::memory_order_relaxed);
  return static_cast<VectorLevel>(detected < limit ? detected : limit);
}

void LimitVectorLevel(VectorLevel limit) {
  gLimit.store(static_cast<int>(limit), std::memory_order_relaxed);
}

}  // namespace korvex::image
