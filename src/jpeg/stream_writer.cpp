#include "jpeg/stream_writer.h"

#include "jpeg/jpeg_format.h"

namespace zavi::jpeg {

namespace {

constexpr uint8_t kJfifIdentifier[] = {'J', 'F', 'I', 'F', 0};
constexpr uint16_t kJfifVersion = 0x0101;
constexpr uint8_t kJfifNoUnits = 0;
constexpr uint16_t kJfifPixelAspect = 1;
constexpr int kLumaTables = 0;
constexpr int kChromaTables = 1;
constexpr uint8_t kAcClassShift = kAcTableClass << 4;

void PutMarker(BitWriter& writer, uint8_t code) {
  writer.PutByte(kMarkerPrefix);
  writer.PutByte(code);
}

void WriteJfif(BitWriter& writer) {
  PutMarker(writer, kMarkerApp0);
  writer.PutWord(2 + sizeof(kJfifIdentifier) + 2 + 1 + 2 + 2 + 2);
  for (uint8_t byte : kJfifIdentifier) writer.PutByte(byte);
  writer.PutWord(kJfifVersion);
  writer.PutByte(kJfifNoUnits);
  writer.PutWord(kJfifPixelAspect);
  writer.PutWord(kJfifPixelAspect);
  writer.PutWord(0);  // no thumbnail
}

void WriteQuantTable(BitWriter& writer, int slot, const QuantTable& table) {
  PutMarker(writer, kMarkerDqt);
  writer.PutWord(2 + 1 + kBlockArea);
  writer.PutByte(static_cast<uint8_t>(slot));  // 8-bit entries
  for (int k = 0; k < kBlockArea; ++k) writer.PutByte(static_cast<uint8_t>(table[kZigzagToNatural[k]]));
}

void WriteHuffmanTable(BitWriter& writer, uint8_t classAndSlot, const HuffmanDefinition& definition) {
  PutMarker(writer, kMarkerDht);
  writer.PutWord(static_cast<uint16_t>(2 + 1 + kMaxHuffmanCodeLength + definition.symbolCount));
  writer.PutByte(classAndSlot);
  for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) writer.PutByte(definition.counts[length]);
  for (int i = 0; i < definition.symbolCount; ++i) writer.PutByte(definition.symbols[i]);
}

}  // namespace

void WriteHeaders(BitWriter& writer, const EncodedFrame& frame) {
  PutMarker(writer, kMarkerSoi);
  WriteJfif(writer);
  const bool colour = frame.componentCount == 3;
  WriteQuantTable(writer, kLumaTables, *frame.lumaQuant);
  if (colour) WriteQuantTable(writer, kChromaTables, *frame.chromaQuant);

  PutMarker(writer, kMarkerSof0);
  writer.PutWord(static_cast<uint16_t>(2 + 6 + 3 * frame.componentCount));
  writer.PutByte(kSamplePrecision);
  writer.PutWord(static_cast<uint16_t>(frame.height));
  writer.PutWord(static_cast<uint16_t>(frame.width));
  writer.PutByte(static_cast<uint8_t>(frame.componentCount));
  for (int i = 0; i < frame.componentCount; ++i) {
    writer.PutByte(static_cast<uint8_t>(i + 1));  // component ids 1, 2, 3 as JFIF has them
    const bool luma = i == 0;
    writer.PutByte(luma ? static_cast<uint8_t>((frame.lumaHorizontal << 4) | frame.lumaVertical) : 0x11);
    writer.PutByte(static_cast<uint8_t>(luma ? kLumaTables : kChromaTables));
  }

  WriteHuffmanTable(writer, kLumaTables, kLuminanceDcSpec);
  WriteHuffmanTable(writer, kAcClassShift | kLumaTables, kLuminanceAcSpec);
  if (colour) {
    WriteHuffmanTable(writer, kChromaTables, kChrominanceDcSpec);
    WriteHuffmanTable(writer, kAcClassShift | kChromaTables, kChrominanceAcSpec);
  }

  PutMarker(writer, kMarkerSos);
  writer.PutWord(static_cast<uint16_t>(2 + 1 + 2 * frame.componentCount + 3));
  writer.PutByte(static_cast<uint8_t>(frame.componentCount));
  for (int i = 0; i < frame.componentCount; ++i) {
    writer.PutByte(static_cast<uint8_t>(i + 1));
    writer.PutByte(i == 0 ? (kLumaTables << 4) | kLumaTables : (kChromaTables << 4) | kChromaTables);
  }
  writer.PutByte(0);               // spectral selection start
  writer.PutByte(kBlockArea - 1);  // spectral selection end
  writer.PutByte(0);               // successive approximation
}

void WriteEndOfImage(BitWriter& writer) { PutMarker(writer, kMarkerEoi); }

}  // namespace zavi::jpeg
