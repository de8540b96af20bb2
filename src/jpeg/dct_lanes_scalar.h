// Plain C++ lanes with the exact semantics of the SSE2 instructions the DCT
// uses (wrapping 16-bit adds, pairwise multiply-add, saturating packs), so the
// one DCT algorithm built on them gives the same bits as the SSE2 build.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace zavi::jpeg {

struct ScalarLanes {
  static constexpr int kBlocks = 1;

  struct V {
    std::array<int16_t, 8> l;
  };
  struct W {
    std::array<int32_t, 4> l;
  };

  template <typename F>
  static V Map(const V& a, const V& b, F f) {
    V r;
    for (int i = 0; i < 8; ++i) r.l[i] = static_cast<int16_t>(f(a.l[i], b.l[i]));
    return r;
  }
  template <typename F>
  static W MapW(const W& a, const W& b, F f) {
    W r;
    for (int i = 0; i < 4; ++i) r.l[i] = static_cast<int32_t>(f(a.l[i], b.l[i]));
    return r;
  }

  static V Load(const int16_t* p) {
    V r;
    std::copy(p, p + 8, r.l.begin());
    return r;
  }
  static void Store(int16_t* p, const V& v) { std::copy(v.l.begin(), v.l.end(), p); }
  // Row of every block held (one block here), and the same row for all.
  static V LoadRows(const int16_t* p) { return Load(p); }
  static void StoreRows(int16_t* p, const V& v) { Store(p, v); }
  static V LoadShared(const int16_t* p) { return Load(p); }
  static V LoadCentredBytes(const uint8_t* p, int centre) {
    V r;
    for (int i = 0; i < 8; ++i) r.l[i] = static_cast<int16_t>(p[i] - centre);
    return r;
  }
  // Adds centre with 16-bit saturation and stores with unsigned byte saturation.
  static void StoreCentredBytes(uint8_t* p, const V& v, int centre) {
    for (int i = 0; i < 8; ++i) {
      const int sum = std::clamp(v.l[i] + centre, INT16_MIN, INT16_MAX);
      p[i] = static_cast<uint8_t>(std::clamp(sum, 0, 255));
    }
  }
  static V Set(int16_t value) {
    V r;
    r.l.fill(value);
    return r;
  }
  static V Add(const V& a, const V& b) {
    return Map(a, b, [](int x, int y) { return static_cast<uint16_t>(x + y); });
  }
  static V Sub(const V& a, const V& b) {
    return Map(a, b, [](int x, int y) { return static_cast<uint16_t>(x - y); });
  }
  template <int Bits>
  static V ShiftLeft(const V& a) {
    return Map(a, a, [](int x, int) { return static_cast<uint16_t>(static_cast<uint16_t>(x) << Bits); });
  }
  template <int Bits>
  static V ShiftRight(const V& a) {
    return Map(a, a, [](int x, int) { return x >> Bits; });
  }

  // a[i] * ca + b[i] * cb for lanes 0..3 (Low) or 4..7 (High).
  static W MaddLow(const V& a, const V& b, int16_t ca, int16_t cb) { return Madd(a, b, ca, cb, 0); }
  static W MaddHigh(const V& a, const V& b, int16_t ca, int16_t cb) { return Madd(a, b, ca, cb, 4); }
  static W AddW(const W& a, const W& b) {
    return MapW(a, b, [](int32_t x, int32_t y) {
      return static_cast<uint32_t>(x) + static_cast<uint32_t>(y);
    });
  }
  static W SubW(const W& a, const W& b) {
    return MapW(a, b, [](int32_t x, int32_t y) {
      return static_cast<uint32_t>(x) - static_cast<uint32_t>(y);
    });
  }
  static W SetW(int32_t value) {
    W r;
    r.l.fill(value);
    return r;
  }
  template <int Bits>
  static W ShiftRightW(const W& a) {
    return MapW(a, a, [](int32_t x, int32_t) { return x >> Bits; });
  }
  // Lanes 0..3 (Low) or 4..7 (High) widened and shifted left.
  template <int Bits>
  static W WidenLow(const V& a) { return Widen<Bits>(a, 0); }
  template <int Bits>
  static W WidenHigh(const V& a) { return Widen<Bits>(a, 4); }
  static V Pack(const W& low, const W& high) {
    V r;
    for (int i = 0; i < 4; ++i) {
      r.l[i] = static_cast<int16_t>(std::clamp(low.l[i], INT16_MIN, INT16_MAX));
      r.l[i + 4] = static_cast<int16_t>(std::clamp(high.l[i], INT16_MIN, INT16_MAX));
    }
    return r;
  }
  static void Transpose(V (&rows)[8]) {
    for (int i = 0; i < 8; ++i) {
      for (int j = i + 1; j < 8; ++j) std::swap(rows[i].l[j], rows[j].l[i]);
    }
  }
  // Bit i set when lane i is not zero.
  static uint32_t NonZeroMask(const V& v) {
    uint32_t mask = 0;
    for (int i = 0; i < 8; ++i) mask |= static_cast<uint32_t>(v.l[i] != 0) << i;
    return mask;
  }
  // sign(c) * (((|c| + half) * reciprocal) >> 16) in unsigned 16-bit lanes.
  static V Quantise(const V& c, const V& reciprocal, const V& half) {
    V r;
    for (int i = 0; i < 8; ++i) {
      const uint16_t magnitude = static_cast<uint16_t>(c.l[i] < 0 ? -c.l[i] : c.l[i]);
      const uint16_t rounded = static_cast<uint16_t>(magnitude + static_cast<uint16_t>(half.l[i]));
      const uint16_t q = static_cast<uint16_t>(
          (static_cast<uint32_t>(rounded) * static_cast<uint16_t>(reciprocal.l[i])) >> 16);
      r.l[i] = static_cast<int16_t>(c.l[i] < 0 ? -q : q);
    }
    return r;
  }

 private:
  static W Madd(const V& a, const V& b, int16_t ca, int16_t cb, int first) {
    W r;
    for (int i = 0; i < 4; ++i) {
      r.l[i] = static_cast<int32_t>(static_cast<uint32_t>(a.l[first + i] * ca) +
                                    static_cast<uint32_t>(b.l[first + i] * cb));
    }
    return r;
  }
  template <int Bits>
  static W Widen(const V& a, int first) {
    W r;
    for (int i = 0; i < 4; ++i) r.l[i] = static_cast<int32_t>(a.l[first + i]) * (1 << Bits);
    return r;
  }
};

}  // namespace zavi::jpeg
