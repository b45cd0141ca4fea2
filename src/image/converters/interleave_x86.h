// Internal: moving 16 pixels of 3-byte blue-green-red (or 8 of three 16-bit
// words) between their packed form (48 bytes) and three planes, with SSSE3
// byte shuffles.
// Only for x86-64 builds with GCC or Clang; callers check the vector level.
#pragma once

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>

#include <cstdint>

namespace korvex::image::detail {

// Shuffle masks between the three 16-byte blocks of 48 packed bytes and the
// planes: packed byte n is channel n % 3 of pixel n / 3; 0x80 zeroes a byte.
struct InterleaveMasks {
  alignas(16) uint8_t spread[3][3][16];  // [block][channel][byte]: plane -> block
  alignas(16) uint8_t gather[3][3][16];  // [block][channel][byte]: block -> plane
  constexpr InterleaveMasks() : spread{}, gather{} {
    for (int block = 0; block < 3; ++block)
      for (int channel = 0; channel < 3; ++channel)
        for (int j = 0; j < 16; ++j) {
          const int n = 16 * block + j;
          spread[block][channel][j] = n % 3 == channel ? static_cast<uint8_t>(n / 3) : 0x80;
          // Plane byte j (pixel j) of this channel is packed byte 3j + channel.
          const int from = 3 * j + channel;
          gather[block][channel][j] = from / 16 == block ? static_cast<uint8_t>(from % 16) : 0x80;
        }
  }
};
inline constexpr InterleaveMasks kInterleaveMasks;

// Stores 16 pixels given as blue, green and red planes as 48 packed bytes.
__attribute__((target("ssse3"), always_inline)) inline void StoreInterleaved(
    uint8_t* out, const __m128i (&planes)[3]) {
  for (int block = 0; block < 3; ++block) {
    __m128i v = _mm_setzero_si128();
    for (int channel = 0; channel < 3; ++channel) {
      const __m128i mask =
          _mm_load_si128(reinterpret_cast<const __m128i*>(kInterleaveMasks.spread[block][channel]));
      v = _mm_or_si128(v, _mm_shuffle_epi8(planes[channel], mask));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * block), v);
  }
}

// Loads 48 packed bytes (16 pixels) as blue, green and red planes.
__attribute__((target("ssse3"), always_inline)) inline void LoadDeinterleaved(
    const uint8_t* in, __m128i (&planes)[3]) {
  __m128i blocks[3];
  for (int block = 0; block < 3; ++block) {
    blocks[block] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * block));
  }
  for (int channel = 0; channel < 3; ++channel) {
    __m128i v = _mm_setzero_si128();
    for (int block = 0; block < 3; ++block) {
      const __m128i mask =
          _mm_load_si128(reinterpret_cast<const __m128i*>(kInterleaveMasks.gather[block][channel]));
      v = _mm_or_si128(v, _mm_shuffle_epi8(blocks[block], mask));
    }
    planes[channel] = v;
  }
}

// The same for 8 pixels of three 16-bit words: 48 bytes from three planes of
// 8 words; packed word n is channel n % 3 of pixel n / 3.
struct WordInterleaveMasks {
  alignas(16) uint8_t spread[3][3][16];  // [block][channel][byte]
  constexpr WordInterleaveMasks() : spread{} {
    for (int block = 0; block < 3; ++block)
      for (int channel = 0; channel < 3; ++channel)
        for (int j = 0; j < 16; ++j) {
          const int n = (16 * block + j) / 2;  // packed word
          spread[block][channel][j] =
              n % 3 == channel ? static_cast<uint8_t>(2 * (n / 3) + (j & 1)) : 0x80;
        }
  }
};
inline constexpr WordInterleaveMasks kWordInterleaveMasks;

__attribute__((target("ssse3"), always_inline)) inline void StoreInterleavedWords(
    uint8_t* out, const __m128i (&planes)[3]) {
  for (int block = 0; block < 3; ++block) {
    __m128i v = _mm_setzero_si128();
    for (int channel = 0; channel < 3; ++channel) {
      const __m128i mask = _mm_load_si128(
          reinterpret_cast<const __m128i*>(kWordInterleaveMasks.spread[block][channel]));
      v = _mm_or_si128(v, _mm_shuffle_epi8(planes[channel], mask));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16 * block), v);
  }
}

// 32 pixels of 3-byte blue-green-red from three 32-byte planes with AVX2:
// each 16-byte lane of a plane holds 16 pixels (lane 0 pixels 0..15, lane 1
// pixels 16..31). Inside a lane a plane is either in pixel order or "split":
// the even pixels in bytes 0..7 and the odd ones in bytes 8..15, as
// _mm256_packus_epi16 leaves the results of even and odd columns.
//
// Packed byte n of a lane's 48 bytes is channel n % 3 of pixel n / 3; since
// 16 = 1 (mod 3), byte j of every 16-byte block b comes from channel
// (b + j) % 3, so one shuffle per plane serves all three blocks and two
// blends per block pick the channels.
struct Interleave32Masks {
  alignas(32) uint8_t shuffle[3][32];  // per channel: lane byte for position j
  alignas(32) uint8_t third[3][32];    // 0xFF where j % 3 == i
  constexpr Interleave32Masks(bool splitBlue, bool splitGreen, bool splitRed) : shuffle{}, third{} {
    const bool split[3] = {splitBlue, splitGreen, splitRed};
    for (int channel = 0; channel < 3; ++channel)
      for (int k = 0; k < 32; ++k) {
        const int j = k % 16;
        const int block = ((channel - j) % 3 + 3) % 3;
        const int pixel = (16 * block + j) / 3;
        shuffle[channel][k] =
            static_cast<uint8_t>(split[channel] ? (pixel % 2) * 8 + pixel / 2 : pixel);
        third[channel][k] = j % 3 == channel ? 0xFF : 0;
      }
  }
};

__attribute__((target("avx2"), always_inline)) inline __m256i LoadMask32(const uint8_t* p) {
  return _mm256_load_si256(reinterpret_cast<const __m256i*>(p));
}

__attribute__((target("avx2"), always_inline)) inline void StoreInterleaved32(
    uint8_t* out, __m256i blue, __m256i green, __m256i red, const Interleave32Masks& m) {
  const __m256i s0 = _mm256_shuffle_epi8(blue, LoadMask32(m.shuffle[0]));
  const __m256i s1 = _mm256_shuffle_epi8(green, LoadMask32(m.shuffle[1]));
  const __m256i s2 = _mm256_shuffle_epi8(red, LoadMask32(m.shuffle[2]));
  const __m256i q0 = LoadMask32(m.third[0]);
  const __m256i q1 = LoadMask32(m.third[1]);
  const __m256i q2 = LoadMask32(m.third[2]);
  // Block b takes channel c where (b + j) % 3 == c.
  const __m256i b0 = _mm256_blendv_epi8(_mm256_blendv_epi8(s0, s1, q1), s2, q2);
  const __m256i b1 = _mm256_blendv_epi8(_mm256_blendv_epi8(s0, s1, q0), s2, q1);
  const __m256i b2 = _mm256_blendv_epi8(_mm256_blendv_epi8(s1, s2, q0), s0, q1);
  // Lane 0 of the blocks is bytes 0..47, lane 1 bytes 48..95.
  __m256i* o = reinterpret_cast<__m256i*>(out);
  _mm256_storeu_si256(o, _mm256_permute2x128_si256(b0, b1, 0x20));
  _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(b2, b0, 0x30));
  _mm256_storeu_si256(o + 2, _mm256_permute2x128_si256(b1, b2, 0x31));
}

}  // namespace korvex::image::detail
#endif
