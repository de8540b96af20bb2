// The integer 8x8 DCT pair (the Loeffler-Ligtenberg-Moschytz factorisation with
// 13-bit constants and 2 extra bits between the passes, as in the T.81
// reference decoders), written once over a lane type L so the scalar, SSE2 and
// AVX2 builds are the same algorithm bit for bit. Each pass transforms the
// eight lanes of eight registers down the registers; a transpose between the
// passes turns columns into rows. A lane type may carry L::kBlocks
// horizontally adjacent blocks side by side (AVX2 holds two).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jpeg/jpeg_format.h"

// The passes are large; without this the compiler keeps them out of line and
// spills the eight registers between the calls.
#define ZAVI_ALWAYS_INLINE inline __attribute__((always_inline))

// The algorithm's functions take the instruction set of the one translation
// unit that instantiates them with its lane type: the AVX2 kernels define this
// as the AVX2 target before including anything.
#ifndef ZAVI_DCT_TARGET
#define ZAVI_DCT_TARGET
#endif

namespace zavi::jpeg {

namespace dct {

inline constexpr int kConstBits = 13;
inline constexpr int kPass1Bits = 2;
// Constants: round(x * 2^13).
inline constexpr int16_t k0_298631336 = 2446;
inline constexpr int16_t k0_390180644 = 3196;
inline constexpr int16_t k0_541196100 = 4433;
inline constexpr int16_t k0_765366865 = 6270;
inline constexpr int16_t k0_899976223 = 7373;
inline constexpr int16_t k1_175875602 = 9633;
inline constexpr int16_t k1_501321110 = 12299;
inline constexpr int16_t k1_847759065 = 15137;
inline constexpr int16_t k1_961570560 = 16069;
inline constexpr int16_t k2_053119869 = 16819;
inline constexpr int16_t k2_562915447 = 20995;
inline constexpr int16_t k3_072711026 = 25172;

}  // namespace dct

// Divisors of one quantisation table for the forward DCT's output (which is
// scaled up by 8): per coefficient, in natural order.
struct QuantDivisors {
  alignas(16) int16_t reciprocal[kBlockArea];  // 65536 / (8 q), as unsigned 16-bit
  alignas(16) int16_t half[kBlockArea];        // (8 q) / 2
};

// kZigzagBitsOfRow[row][m]: the zig-zag mask bits of the coefficients of
// block row `row` whose columns are set in m.
inline constexpr auto kZigzagBitsOfRow = [] {
  std::array<std::array<uint64_t, 256>, 8> table{};
  for (int k = 0; k < kBlockArea; ++k) {
    const int natural = kZigzagToNatural[k];
    for (int m = 0; m < 256; ++m) {
      if ((m >> (natural % 8)) & 1) table[natural / 8][m] |= uint64_t{1} << k;
    }
  }
  return table;
}();

template <typename L>
class DctAlgorithm {
 public:
  using V = typename L::V;
  using W = typename L::W;

  // Dequantised coefficients (natural order) of kBlocks consecutive blocks to
  // kBlocks horizontally adjacent 8 x 8 blocks of samples.
  ZAVI_DCT_TARGET static void Inverse(const int16_t* coefficients, uint8_t* out, ptrdiff_t stride) {
    V r[8];
    for (int i = 0; i < 8; ++i) r[i] = L::LoadRows(coefficients + 8 * i);
    InversePass<dct::kConstBits - dct::kPass1Bits>(r);
    L::Transpose(r);
    InversePass<dct::kConstBits + dct::kPass1Bits + 3>(r);
    L::Transpose(r);
    for (int i = 0; i < 8; ++i) L::StoreCentredBytes(out + i * stride, r[i], kSampleCentre);
  }

  // kBlocks horizontally adjacent 8 x 8 blocks of samples to quantised
  // coefficients in natural order (block b at out + 64 b). masks[b] gets the
  // coefficients of block b that are not zero, in zig-zag order (bit k:
  // zig-zag position k), so the entropy coder visits only those.
  ZAVI_DCT_TARGET static void Forward(const uint8_t* in, ptrdiff_t stride, const QuantDivisors& divisors,
                                      int16_t* out, uint64_t* masks) {
    V r[8];
    for (int i = 0; i < 8; ++i) r[i] = L::LoadCentredBytes(in + i * stride, kSampleCentre);
    ForwardPass<true>(r);
    L::Transpose(r);
    ForwardPass<false>(r);
    L::Transpose(r);
    for (int b = 0; b < L::kBlocks; ++b) masks[b] = 0;
    for (int i = 0; i < 8; ++i) {
      const V q = L::Quantise(r[i], L::LoadShared(divisors.reciprocal + 8 * i), L::LoadShared(divisors.half + 8 * i));
      L::StoreRows(out + 8 * i, q);
      const uint32_t nonZero = L::NonZeroMask(q);
      for (int b = 0; b < L::kBlocks; ++b) masks[b] |= kZigzagBitsOfRow[i][(nonZero >> (8 * b)) & 0xFF];
    }
  }

 private:
  struct Wide {
    W low, high;
  };

  ZAVI_DCT_TARGET static Wide Madd(V a, V b, int16_t ca, int16_t cb) {
    return {L::MaddLow(a, b, ca, cb), L::MaddHigh(a, b, ca, cb)};
  }
  ZAVI_DCT_TARGET static Wide Add(const Wide& a, const Wide& b) { return {L::AddW(a.low, b.low), L::AddW(a.high, b.high)}; }
  ZAVI_DCT_TARGET static Wide Sub(const Wide& a, const Wide& b) { return {L::SubW(a.low, b.low), L::SubW(a.high, b.high)}; }
  template <int Bits>
  ZAVI_DCT_TARGET static V Descale(const Wide& x) {
    const W round = L::SetW(1 << (Bits - 1));
    return L::Pack(L::template ShiftRightW<Bits>(L::AddW(x.low, round)),
                   L::template ShiftRightW<Bits>(L::AddW(x.high, round)));
  }
  template <int Bits>
  ZAVI_DCT_TARGET static Wide Widen(V a) {
    return {L::template WidenLow<Bits>(a), L::template WidenHigh<Bits>(a)};
  }

  // The odd half shared by both directions. In: t4..t7 (forward: differences
  // of mirrored samples; inverse: coefficients 7, 5, 3, 1). Out: the four odd
  // results in the same order.
  struct Odd {
    Wide o4, o5, o6, o7;
  };
  ZAVI_DCT_TARGET ZAVI_ALWAYS_INLINE static Odd OddPart(V t4, V t5, V t6, V t7) {
    using namespace dct;
    const V z3 = L::Add(t4, t6);
    const V z4 = L::Add(t5, t7);
    const Wide z3s = Madd(z3, z4, k1_175875602 - k1_961570560, k1_175875602);
    const Wide z4s = Madd(z3, z4, k1_175875602, k1_175875602 - k0_390180644);
    return {Add(Madd(t4, t7, k0_298631336 - k0_899976223, -k0_899976223), z3s),
            Add(Madd(t5, t6, k2_053119869 - k2_562915447, -k2_562915447), z4s),
            Add(Madd(t5, t6, -k2_562915447, k3_072711026 - k2_562915447), z3s),
            Add(Madd(t4, t7, -k0_899976223, k1_501321110 - k0_899976223), z4s)};
  }

  template <int Bits>
  ZAVI_DCT_TARGET ZAVI_ALWAYS_INLINE static void InversePass(V (&r)[8]) {
    using namespace dct;
    const Wide tmp2 = Madd(r[2], r[6], k0_541196100, k0_541196100 - k1_847759065);
    const Wide tmp3 = Madd(r[2], r[6], k0_541196100 + k0_765366865, k0_541196100);
    const Wide tmp0 = Widen<kConstBits>(L::Add(r[0], r[4]));
    const Wide tmp1 = Widen<kConstBits>(L::Sub(r[0], r[4]));
    const Wide tmp10 = Add(tmp0, tmp3), tmp13 = Sub(tmp0, tmp3);
    const Wide tmp11 = Add(tmp1, tmp2), tmp12 = Sub(tmp1, tmp2);
    const Odd odd = OddPart(r[7], r[5], r[3], r[1]);
    r[0] = Descale<Bits>(Add(tmp10, odd.o7));
    r[7] = Descale<Bits>(Sub(tmp10, odd.o7));
    r[1] = Descale<Bits>(Add(tmp11, odd.o6));
    r[6] = Descale<Bits>(Sub(tmp11, odd.o6));
    r[2] = Descale<Bits>(Add(tmp12, odd.o5));
    r[5] = Descale<Bits>(Sub(tmp12, odd.o5));
    r[3] = Descale<Bits>(Add(tmp13, odd.o4));
    r[4] = Descale<Bits>(Sub(tmp13, odd.o4));
  }

  template <bool FirstPass>
  ZAVI_DCT_TARGET ZAVI_ALWAYS_INLINE static void ForwardPass(V (&r)[8]) {
    using namespace dct;
    constexpr int kBits = FirstPass ? kConstBits - kPass1Bits : kConstBits + kPass1Bits;
    const V tmp0 = L::Add(r[0], r[7]), tmp7 = L::Sub(r[0], r[7]);
    const V tmp1 = L::Add(r[1], r[6]), tmp6 = L::Sub(r[1], r[6]);
    const V tmp2 = L::Add(r[2], r[5]), tmp5 = L::Sub(r[2], r[5]);
    const V tmp3 = L::Add(r[3], r[4]), tmp4 = L::Sub(r[3], r[4]);
    const V tmp10 = L::Add(tmp0, tmp3), tmp13 = L::Sub(tmp0, tmp3);
    const V tmp11 = L::Add(tmp1, tmp2), tmp12 = L::Sub(tmp1, tmp2);
    if constexpr (FirstPass) {
      r[0] = L::template ShiftLeft<kPass1Bits>(L::Add(tmp10, tmp11));
      r[4] = L::template ShiftLeft<kPass1Bits>(L::Sub(tmp10, tmp11));
    } else {
      const V round = L::Set(1 << (kPass1Bits - 1));
      r[0] = L::template ShiftRight<kPass1Bits>(L::Add(L::Add(tmp10, tmp11), round));
      r[4] = L::template ShiftRight<kPass1Bits>(L::Add(L::Sub(tmp10, tmp11), round));
    }
    r[2] = Descale<kBits>(Madd(tmp13, tmp12, k0_541196100 + k0_765366865, k0_541196100));
    r[6] = Descale<kBits>(Madd(tmp13, tmp12, k0_541196100, k0_541196100 - k1_847759065));
    const Odd odd = OddPart(tmp4, tmp5, tmp6, tmp7);
    r[7] = Descale<kBits>(odd.o4);
    r[5] = Descale<kBits>(odd.o5);
    r[3] = Descale<kBits>(odd.o6);
    r[1] = Descale<kBits>(odd.o7);
  }
};

// Row entry points over `blocks` horizontally adjacent blocks: as many as
// whole groups of L::kBlocks cover. Return how many that was.
template <typename L>
ZAVI_DCT_TARGET int InverseDctRow(const int16_t* coefficients, int blocks, uint8_t* out, ptrdiff_t stride) {
  int b = 0;
  for (; b + L::kBlocks <= blocks; b += L::kBlocks) {
    DctAlgorithm<L>::Inverse(coefficients + kBlockArea * b, out + kBlockSide * b, stride);
  }
  return b;
}

template <typename L>
ZAVI_DCT_TARGET int ForwardDctRow(const uint8_t* in, ptrdiff_t stride, int blocks, const QuantDivisors& divisors,
                                  int16_t* out, uint64_t* masks) {
  int b = 0;
  for (; b + L::kBlocks <= blocks; b += L::kBlocks) {
    DctAlgorithm<L>::Forward(in + kBlockSide * b, stride, divisors, out + kBlockArea * b, masks + b);
  }
  return b;
}

// Kernel entry points for lane types of one block: the whole row.
template <typename L>
void InverseDctWholeRow(const int16_t* coefficients, int blocks, uint8_t* out, ptrdiff_t stride) {
  static_assert(L::kBlocks == 1);
  InverseDctRow<L>(coefficients, blocks, out, stride);
}

template <typename L>
void ForwardDctWholeRow(const uint8_t* in, ptrdiff_t stride, int blocks, const QuantDivisors& divisors,
                        int16_t* out, uint64_t* masks) {
  static_assert(L::kBlocks == 1);
  ForwardDctRow<L>(in, stride, blocks, divisors, out, masks);
}

}  // namespace zavi::jpeg
