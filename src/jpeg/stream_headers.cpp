#include "jpeg/stream_headers.h"

namespace zavi::jpeg {

namespace {

constexpr int kMaxDeclaredSamplingFactor = 4;
constexpr int kSegmentLengthBytes = 2;
constexpr int kQuantPrecision8 = 0;
constexpr int kQuantPrecision16 = 1;

// A cursor over one marker segment's payload; every read is bounds-checked.
class SegmentReader {
 public:
  SegmentReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Has(size_t bytes) const { return size_ - position_ >= bytes; }
  uint8_t Byte() { return data_[position_++]; }
  uint16_t Word() {
    const uint16_t high = data_[position_++];
    return static_cast<uint16_t>((high << 8) | data_[position_++]);
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

bool IsFrameMarker(uint8_t code) {
  return code >= kMarkerSof0 && code <= kMarkerSof15 && code != kMarkerDht && code != kMarkerDac &&
         code != 0xC8;  // 0xC8 is reserved (JPG extensions)
}

Status FrameMarkerSupport(uint8_t code) {
  if (code == kMarkerSof0 || code == kMarkerSof1) return kOk;
  constexpr uint8_t kProgressiveMarkers[] = {kMarkerSof2, 0xC6, 0xCA, 0xCE};
  for (uint8_t progressive : kProgressiveMarkers) {
    if (code == progressive) return kProgressiveStream;
  }
  return kUnsupportedStream;  // lossless, hierarchical, arithmetic coding
}

Status ReadFrame(SegmentReader& segment, FrameHeader& frame) {
  if (!segment.Has(6)) return kCorruptStream;
  if (segment.Byte() != kSamplePrecision) return kUnsupportedStream;
  frame.height = segment.Word();
  frame.width = segment.Word();
  frame.componentCount = segment.Byte();
  // A zero height is defined later by a DNL marker, which cameras do not use.
  if (frame.height == 0) return kUnsupportedStream;
  if (frame.width == 0 || frame.componentCount == 0 || frame.componentCount > kMaxComponents ||
      !segment.Has(3u * static_cast<size_t>(frame.componentCount))) {
    return kCorruptStream;
  }
  for (int i = 0; i < frame.componentCount; ++i) {
    FrameComponent& component = frame.components[i];
    component.id = segment.Byte();
    const uint8_t sampling = segment.Byte();
    component.horizontal = sampling >> 4;
    component.vertical = sampling & 0x0F;
    component.quantTable = segment.Byte();
    if (component.horizontal == 0 || component.horizontal > kMaxDeclaredSamplingFactor ||
        component.vertical == 0 || component.vertical > kMaxDeclaredSamplingFactor ||
        component.quantTable >= kTableSlots) {
      return kCorruptStream;
    }
  }
  return kOk;
}

Status ReadQuantTables(SegmentReader& segment, StreamTables& tables) {
  while (segment.Has(1)) {
    const uint8_t info = segment.Byte();
    const int precision = info >> 4;
    const int slot = info & 0x0F;
    if (slot >= kTableSlots || (precision != kQuantPrecision8 && precision != kQuantPrecision16)) {
      return kCorruptStream;
    }
    const size_t bytes = precision == kQuantPrecision16 ? 2 * kBlockArea : kBlockArea;
    if (!segment.Has(bytes)) return kCorruptStream;
    for (int k = 0; k < kBlockArea; ++k) {
      tables.quant[slot][kZigzagToNatural[k]] = precision == kQuantPrecision16 ? segment.Word() : segment.Byte();
    }
    tables.quantDefined[slot] = true;
  }
  return kOk;
}

Status ReadHuffmanTables(SegmentReader& segment, StreamTables& tables) {
  while (segment.Has(1)) {
    const uint8_t info = segment.Byte();
    const int tableClass = info >> 4;
    const int slot = info & 0x0F;
    if (tableClass > kAcTableClass || slot >= kTableSlots || !segment.Has(kMaxHuffmanCodeLength)) {
      return kCorruptStream;
    }
    HuffmanDefinition definition{};
    for (int length = 1; length <= kMaxHuffmanCodeLength; ++length) {
      definition.counts[length] = segment.Byte();
      definition.symbolCount += definition.counts[length];
    }
    if (definition.symbolCount > kMaxHuffmanSymbols || !segment.Has(static_cast<size_t>(definition.symbolCount))) {
      return kCorruptStream;
    }
    for (int i = 0; i < definition.symbolCount; ++i) definition.symbols[i] = segment.Byte();
    DecodeTable& table = tableClass == kAcTableClass ? tables.ac[slot] : tables.dc[slot];
    if (!BuildDecodeTable(definition, table)) return kCorruptStream;
    (tableClass == kAcTableClass ? tables.acDefined : tables.dcDefined)[slot] = true;
  }
  return kOk;
}

Status ReadScan(SegmentReader& segment, const FrameHeader& frame, const StreamTables& tables,
                ScanHeader& scan) {
  if (frame.componentCount == 0) return kCorruptStream;  // scan before frame
  if (!segment.Has(1)) return kCorruptStream;
  scan.componentCount = segment.Byte();
  if (scan.componentCount == 0 || scan.componentCount > frame.componentCount ||
      !segment.Has(2u * static_cast<size_t>(scan.componentCount) + 3)) {
    return kCorruptStream;
  }
  for (int i = 0; i < scan.componentCount; ++i) {
    const uint8_t id = segment.Byte();
    const uint8_t selectors = segment.Byte();
    ScanComponent& component = scan.components[i];
    component.frameIndex = -1;
    for (int f = 0; f < frame.componentCount; ++f) {
      if (frame.components[f].id == id) component.frameIndex = f;
    }
    component.dcTable = selectors >> 4;
    component.acTable = selectors & 0x0F;
    if (component.frameIndex < 0 || component.dcTable >= kTableSlots || component.acTable >= kTableSlots ||
        !tables.dcDefined[component.dcTable] || !tables.acDefined[component.acTable] ||
        !tables.quantDefined[frame.components[component.frameIndex].quantTable]) {
      return kCorruptStream;
    }
    for (int j = 0; j < i; ++j) {
      if (scan.components[j].frameIndex == component.frameIndex) return kCorruptStream;
    }
  }
  // Spectral selection and successive approximation (3 bytes) mean nothing to
  // a sequential scan.
  return kOk;
}

}  // namespace

namespace {

// What the walk over marker segments stops at.
enum class WalkUntil { kFrameHeader, kScanHeader, kNextScanHeader };

Status WalkSegments(const uint8_t* data, size_t size, size_t position, WalkUntil until,
                    StreamTables& tables, ParsedStream& parsed, bool& endOfImage) {
  const bool later = until == WalkUntil::kNextScanHeader;
  while (true) {
    // Find the next marker, passing over fill bytes and stray data.
    while (position < size && data[position] != kMarkerPrefix) ++position;
    while (position < size && data[position] == kMarkerPrefix) ++position;
    if (position >= size) {
      endOfImage = later;
      return later ? kOk : kTruncated;
    }
    const uint8_t code = data[position++];
    if (code == 0 || code == kMarkerTem || code == kMarkerSoi ||
        (code >= kMarkerRst0 && code <= kMarkerRst7)) {
      continue;  // no segment follows
    }
    if (code == kMarkerEoi) {
      endOfImage = later;
      return later ? kOk : kCorruptStream;  // no image before the end
    }
    if (size - position < kSegmentLengthBytes) return kTruncated;
    const size_t length = static_cast<size_t>((data[position] << 8) | data[position + 1]);
    if (length < kSegmentLengthBytes) return kCorruptStream;
    if (size - position < length) return kTruncated;
    SegmentReader segment(data + position + kSegmentLengthBytes, length - kSegmentLengthBytes);
    position += length;

    Status status = kOk;
    if (IsFrameMarker(code)) {
      status = FrameMarkerSupport(code);
      if (status == kOk && parsed.frame.componentCount != 0) status = kCorruptStream;  // second frame
      if (status == kOk) status = ReadFrame(segment, parsed.frame);
      if (status == kOk && until == WalkUntil::kFrameHeader) return kOk;
    } else if (code == kMarkerDqt) {
      status = ReadQuantTables(segment, tables);
    } else if (code == kMarkerDht) {
      status = ReadHuffmanTables(segment, tables);
    } else if (code == kMarkerDri) {
      if (!segment.Has(2)) return kCorruptStream;
      tables.restartInterval = segment.Word();
    } else if (code == kMarkerDac) {
      status = kUnsupportedStream;
    } else if (code == kMarkerSos) {
      status = ReadScan(segment, parsed.frame, tables, parsed.scan);
      if (status == kOk) {
        parsed.scanDataOffset = position;
        return kOk;
      }
    } else if (code == kMarkerDnl) {
      status = kUnsupportedStream;
    }
    // APPn, COM and unknown segments are skipped.
    if (status != kOk) return status;
  }
}

}  // namespace

Status ParseStream(const uint8_t* data, size_t size, ParseGoal goal, StreamTables& tables,
                   ParsedStream& parsed) {
  tables.quantDefined.fill(false);
  tables.dcDefined.fill(false);
  tables.acDefined.fill(false);
  tables.restartInterval = 0;
  parsed = ParsedStream{};
  if (data == nullptr || size < 2 || data[0] != kMarkerPrefix || data[1] != kMarkerSoi) {
    return kCorruptStream;
  }
  bool endOfImage = false;
  return WalkSegments(data, size, 2,
                      goal == ParseGoal::kFrameHeader ? WalkUntil::kFrameHeader : WalkUntil::kScanHeader,
                      tables, parsed, endOfImage);
}

Status ParseNextScan(const uint8_t* data, size_t size, size_t from, StreamTables& tables,
                     ParsedStream& parsed, bool& endOfImage) {
  endOfImage = false;
  return WalkSegments(data, size, from, WalkUntil::kNextScanHeader, tables, parsed, endOfImage);
}

}  // namespace zavi::jpeg
