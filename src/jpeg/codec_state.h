// The private state behind a properties record: the kernels chosen for this
// processor, the stream's tables, and work buffers that keep their capacity
// from one picture to the next (so a run of same-sized pictures allocates
// nothing after the first).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "jpeg/codec_kernels.h"
#include "jpeg/stream_headers.h"

namespace zavi::jpeg {

inline constexpr int kColourComponents = 3;

struct DecoderBuffers {
  // Per component: a ring of three MCU rows of samples, so a chroma row has its
  // neighbours above and below while the luma rows between them are output.
  std::array<std::vector<uint8_t>, kColourComponents> rings;
  // Per component, one MCU row of blocks: dequantised coefficients (kept
  // zero between uses), where each block's AC coefficients went, and how many.
  std::array<std::vector<int16_t>, kColourComponents> coefficients;
  std::array<std::vector<uint8_t>, kColourComponents> acPositions;
  std::array<std::vector<uint8_t>, kColourComponents> acCounts;
  std::vector<uint16_t> columnSums;  // one chroma row of sums, one spare at each end
  std::array<std::vector<uint8_t>, 2> fullChroma;  // Cb, Cr upsampled to the picture width
  std::vector<uint8_t> neutralChroma;  // 128s: grey streams go through the colour path
};

struct EncoderBuffers {
  // Per component: one MCU row of samples at full resolution, then the
  // subsampled chroma of that MCU row.
  std::array<std::vector<uint8_t>, kColourComponents> planes;
  std::array<std::vector<uint8_t>, 2> subsampled;
  // Per component, one MCU row of blocks: quantised coefficients and the
  // zig-zag masks of their non-zero ones.
  std::array<std::vector<int16_t>, kColourComponents> coefficients;
  std::array<std::vector<uint64_t>, kColourComponents> masks;
};

struct CodecState {
  const CodecKernels* kernels = nullptr;
  StreamTables tables{};
  ParsedStream parsed{};
  DecoderBuffers decoder;
  EncoderBuffers encoder;
};

// Grows v to at least `size` elements; capacity is never given back.
template <typename T>
void EnsureSize(std::vector<T>& v, size_t size) {
  if (v.size() < size) v.resize(size);
}

}  // namespace zavi::jpeg
