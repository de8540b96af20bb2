// Packing and unpacking of 24-bit blue, green, red pixels with AVX2 byte
// shuffles, shared by the YUV converter and the JPEG codec. Only for code that
// runs after the processor has reported AVX2.
#pragma once

#include <immintrin.h>

#include <array>
#include <cstdint>

#define ZAVI_AVX2 __attribute__((target("avx2")))

namespace zavi::display::avx2 {

inline constexpr uint8_t kZeroLane = 0x80;  // a shuffle index with the top bit set gives 0

// How a 128-bit lane of a channel register holds its 16 pixels.
enum class LaneOrder {
  kColumns,        // pixel p at byte p
  kEvenThenOdd,    // the 8 even pixels, then the 8 odd ones
};

template <LaneOrder Order>
constexpr uint8_t ChannelIndex(int pixel) {
  if constexpr (Order == LaneOrder::kColumns) {
    return static_cast<uint8_t>(pixel);
  } else {
    return static_cast<uint8_t>(pixel % 2 == 0 ? pixel / 2 : 8 + pixel / 2);
  }
}

// Shuffle that moves channel `channel` of 16 pixels to its place in output
// part `part` (bytes 16 * part .. 16 * part + 15) of 48 packed BGR bytes.
template <LaneOrder Order>
constexpr std::array<uint8_t, 16> PackShuffle(int part, int channel) {
  std::array<uint8_t, 16> shuffle{};
  for (int i = 0; i < 16; ++i) {
    const int byte = 16 * part + i;
    shuffle[i] = byte % 3 == channel ? ChannelIndex<Order>(byte / 3) : kZeroLane;
  }
  return shuffle;
}

// Shuffle that gathers channel `channel` of pixels 0..15 from input part `part`
// of 48 packed BGR bytes.
constexpr std::array<uint8_t, 16> UnpackShuffle(int part, int channel) {
  std::array<uint8_t, 16> shuffle{};
  for (int pixel = 0; pixel < 16; ++pixel) {
    const int byte = 3 * pixel + channel - 16 * part;
    shuffle[pixel] = byte >= 0 && byte < 16 ? static_cast<uint8_t>(byte) : kZeroLane;
  }
  return shuffle;
}

template <LaneOrder Order, int Part, int Channel>
inline constexpr std::array<uint8_t, 16> kPackShuffle = PackShuffle<Order>(Part, Channel);
template <int Part, int Channel>
inline constexpr std::array<uint8_t, 16> kUnpackShuffle = UnpackShuffle(Part, Channel);

inline __m128i LoadShuffle(const std::array<uint8_t, 16>& shuffle) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle.data()));
}

// The same 16-byte shuffle in both lanes.
ZAVI_AVX2 inline __m256i ShuffleLanes(__m256i value, const std::array<uint8_t, 16>& shuffle) {
  return _mm256_shuffle_epi8(value, _mm256_broadcastsi128_si256(LoadShuffle(shuffle)));
}

template <LaneOrder Order, int Part>
ZAVI_AVX2 inline __m256i PackedPart(__m256i blue, __m256i green, __m256i red) {
  return _mm256_or_si256(_mm256_or_si256(ShuffleLanes(blue, kPackShuffle<Order, Part, 0>),
                                         ShuffleLanes(green, kPackShuffle<Order, Part, 1>)),
                         ShuffleLanes(red, kPackShuffle<Order, Part, 2>));
}

ZAVI_AVX2 inline void Store(uint8_t* out, __m256i value) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), value);
}

// 32 pixels (16 in each lane, in the lane order given) to 96 packed bytes.
template <LaneOrder Order>
ZAVI_AVX2 inline void StoreBgr24(__m256i blue, __m256i green, __m256i red, uint8_t* out) {
  const __m256i part0 = PackedPart<Order, 0>(blue, green, red);
  const __m256i part1 = PackedPart<Order, 1>(blue, green, red);
  const __m256i part2 = PackedPart<Order, 2>(blue, green, red);
  Store(out, _mm256_permute2x128_si256(part0, part1, 0x20));
  Store(out + 32, _mm256_permute2x128_si256(part2, part0, 0x30));
  Store(out + 64, _mm256_permute2x128_si256(part1, part2, 0x31));
}

// One channel of 16 packed pixels (48 bytes in three parts) as 16 bytes.
template <int Channel>
ZAVI_AVX2 inline __m128i GatherChannel(__m128i part0, __m128i part1, __m128i part2) {
  return _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(part0, LoadShuffle(kUnpackShuffle<0, Channel>)),
                                   _mm_shuffle_epi8(part1, LoadShuffle(kUnpackShuffle<1, Channel>))),
                      _mm_shuffle_epi8(part2, LoadShuffle(kUnpackShuffle<2, Channel>)));
}

}  // namespace zavi::display::avx2
