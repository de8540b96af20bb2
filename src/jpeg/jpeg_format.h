// Fixed facts of the JPEG interchange format (ITU-T T.81) that the codec uses:
// marker codes, block geometry, the zig-zag order, the Annex K example tables,
// and the limits the decoder enforces on hostile streams.
#pragma once

#include <array>
#include <cstdint>

namespace zavi::jpeg {

inline constexpr int kSamplePrecision = 8;  // bits per sample of baseline streams
inline constexpr int kAcTableClass = 1;      // DHT table class: 0 DC, 1 AC
inline constexpr int kBlockSide = 8;
inline constexpr int kBlockArea = 64;
inline constexpr int kSampleCentre = 128;  // level shift of 8-bit samples
inline constexpr int kMaxComponents = 4;   // parsed; only 1 and 3 are decoded
inline constexpr int kTableSlots = 4;      // quantisation / Huffman table ids 0..3
inline constexpr int kMaxHuffmanCodeLength = 16;
inline constexpr int kMaxHuffmanSymbols = 256;
inline constexpr int kMaxDcCategory = 11;  // 8-bit samples
inline constexpr int kMaxCoefficientMagnitude = 1023;

// Largest picture side a frame header can carry (16-bit fields). The decoder
// keeps only a few MCU rows, so even this bounds its buffers to a few MB.
inline constexpr int kMaxDimension = 65535;

enum Marker : uint8_t {
  kMarkerTem = 0x01,   // stand-alone, no segment
  kMarkerSof0 = 0xC0,  // baseline sequential
  kMarkerSof1 = 0xC1,  // extended sequential, Huffman
  kMarkerSof2 = 0xC2,  // progressive, Huffman
  kMarkerSof3 = 0xC3,  // lossless
  kMarkerDht = 0xC4,
  kMarkerSof15 = 0xCF,
  kMarkerDac = 0xCC,
  kMarkerRst0 = 0xD0,
  kMarkerRst7 = 0xD7,
  kMarkerSoi = 0xD8,
  kMarkerEoi = 0xD9,
  kMarkerSos = 0xDA,
  kMarkerDqt = 0xDB,
  kMarkerDnl = 0xDC,
  kMarkerDri = 0xDD,
  kMarkerApp0 = 0xE0,
};
inline constexpr uint8_t kMarkerPrefix = 0xFF;

// The natural (row-major) index of the k-th coefficient in zig-zag order.
inline constexpr std::array<uint8_t, kBlockArea> kZigzagToNatural = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};


// Annex K example quantisation tables (K.1 luminance, K.2 chrominance), natural order.
extern const std::array<uint8_t, kBlockArea> kLuminanceQuantBase;
extern const std::array<uint8_t, kBlockArea> kChrominanceQuantBase;

// A Huffman table as it is carried in a DHT segment: counts of codes of each
// length 1..16, then the symbols in code order.
struct HuffmanDefinition {
  std::array<uint8_t, kMaxHuffmanCodeLength + 1> counts;  // counts[0] unused
  std::array<uint8_t, kMaxHuffmanSymbols> symbols;
  int symbolCount;
};

// Annex K example Huffman tables K.3 to K.6.
extern const HuffmanDefinition kLuminanceDcSpec;
extern const HuffmanDefinition kChrominanceDcSpec;
extern const HuffmanDefinition kLuminanceAcSpec;
extern const HuffmanDefinition kChrominanceAcSpec;

}  // namespace zavi::jpeg
