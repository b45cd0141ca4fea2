// Which vector instructions the converters' hand-written kernels may use,
// and the one way a converter chooses among its kernels.
//
// The level is the best the processor offers, read once; a test or a
// benchmark may lower it for the whole process, so that every kernel and
// its portable loop can be compared byte for byte on one machine. Every
// level gives the same bytes, so the level may change at any time.
//
// A kernel is written once, as an always-inline body; thin wrappers compile
// that body for each level it gains from (KORVEX_TARGET_AVX2 ...), and a
// Kernels table lists them. Pick() returns the best wrapper at or below the
// active level. The choice is made at run time from the processor, the same
// way in the Linux library and the Windows DLL, with GCC and with Clang:
// nothing depends on the loader.
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

// The variants of one kernel by level; an empty entry falls back to the
// next lower one, and the portable entry is always given.
template <typename Fn>
struct Kernels {
  Fn portable;
  Fn ssse3 = nullptr;
  Fn avx2 = nullptr;
  Fn avx512 = nullptr;

  Fn Pick() const { return At(ActiveVectorLevel()); }
  Fn At(VectorLevel level) const {
    if (level >= VectorLevel::kAvx512 && avx512) return avx512;
    if (level >= VectorLevel::kAvx2 && avx2) return avx2;
    if (level >= VectorLevel::kSsse3 && ssse3) return ssse3;
    return portable;
  }
};

}  // namespace korvex::image

// Kernels for the x86-64 levels exist in builds with GCC or Clang for that
// processor (Linux and Windows alike); elsewhere only the portable entries
// are filled in.
#if defined(__x86_64__) && defined(__GNUC__)
#define KORVEX_X86_KERNELS 1
#define KORVEX_TARGET_SSSE3 __attribute__((target("ssse3")))
#define KORVEX_TARGET_AVX2 __attribute__((target("avx2")))
#define KORVEX_TARGET_AVX512 __attribute__((target("avx512f,avx512bw,avx512vbmi")))
// Fills a Kernels entry only where the kernel is compiled.
#define KORVEX_X86_ONLY(kernel) kernel
namespace korvex::image {
// A body of 16-byte shuffles as a called function in the SSE encoding (for
// the SSSE3 level) and in the AVX encoding (for the levels above, whose
// kernels use wide registers: beside them the SSE encoding ran at half
// speed). Args are the body's parameter types.
template <auto kBody, typename... Args>
KORVEX_TARGET_SSSE3 void SseEncoded(Args... args) {
  kBody(args...);
}
template <auto kBody, typename... Args>
KORVEX_TARGET_AVX2 void AvxEncoded(Args... args) {
  kBody(args...);
}
}  // namespace korvex::image
#else
#define KORVEX_X86_ONLY(kernel) nullptr
#endif

// A kernel body, inlined into each wrapper and compiled there for the
// wrapper's level.
#define KORVEX_KERNEL_BODY __attribute__((always_inline)) inline
