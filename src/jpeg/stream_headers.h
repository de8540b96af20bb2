// Reads the marker segments of a JPEG interchange stream up to the frame
// header (for the parameters) or up to the first scan (for decoding): tables,
// restart interval, frame and scan headers. Skips APPn, COM and fill bytes;
// refuses progressive, hierarchical, lossless and arithmetic-coded streams.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "jpeg/huffman_tables.h"
#include "jpeg/jpeg_codec.h"
#include "jpeg/jpeg_format.h"
#include "jpeg/quant_tables.h"

namespace zavi::jpeg {

struct FrameComponent {
  uint8_t id;
  uint8_t horizontal;  // sampling factors
  uint8_t vertical;
  uint8_t quantTable;
};

struct FrameHeader {
  int width = 0;
  int height = 0;
  int componentCount = 0;
  std::array<FrameComponent, kMaxComponents> components{};
};

struct ScanComponent {
  int frameIndex;  // index into FrameHeader::components
  uint8_t dcTable;
  uint8_t acTable;
};

struct ScanHeader {
  int componentCount = 0;
  std::array<ScanComponent, kMaxComponents> components{};
};

// Tables as the stream defines them; kept in the codec's private state.
struct StreamTables {
  std::array<QuantTable, kTableSlots> quant;  // natural order
  std::array<bool, kTableSlots> quantDefined;
  std::array<DecodeTable, kTableSlots> dc;
  std::array<DecodeTable, kTableSlots> ac;
  std::array<bool, kTableSlots> dcDefined;
  std::array<bool, kTableSlots> acDefined;
  int restartInterval;
};

struct ParsedStream {
  FrameHeader frame;
  ScanHeader scan;
  size_t scanDataOffset = 0;  // first byte of the entropy-coded data
};

enum class ParseGoal { kFrameHeader, kFirstScan };

// From the start of the stream to the frame header or the first scan header.
Status ParseStream(const uint8_t* data, size_t size, ParseGoal goal, StreamTables& tables,
                   ParsedStream& parsed);

// From `from` (where the previous scan's data ended) to the next scan header,
// taking in the tables defined on the way. endOfImage is set (and kOk
// returned) at the end-of-image marker or the end of the data.
Status ParseNextScan(const uint8_t* data, size_t size, size_t from, StreamTables& tables,
                     ParsedStream& parsed, bool& endOfImage);

}  // namespace zavi::jpeg
