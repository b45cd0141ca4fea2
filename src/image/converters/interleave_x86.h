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
          gather[block][channel][j] =
              from / 16 == block ? static_cast<uint8_t>(from % 16) : 0x80;
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
      const __m128i mask = _mm_load_si128(
          reinterpret_cast<const __m128i*>(kInterleaveMasks.spread[block][channel]));
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
      const __m128i mask = _mm_load_si128(
          reinterpret_cast<const __m128i*>(kInterleaveMasks.gather[block][channel]));
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

}  // namespace korvex::image::detail
#endif
