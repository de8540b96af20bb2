// The marker segments of the streams we write: JFIF header, quantisation and
// Huffman tables, frame and scan headers.
#pragma once

#include <cstdint>

#include "jpeg/bit_writer.h"
#include "jpeg/quant_tables.h"

namespace zavi::jpeg {

struct EncodedFrame {
  int width;
  int height;
  int componentCount;                 // 1 or 3
  int lumaHorizontal, lumaVertical;   // chroma components are sampled 1 x 1
  const QuantTable* lumaQuant;
  const QuantTable* chromaQuant;
};

// Everything from start-of-image up to the first entropy-coded byte.
void WriteHeaders(BitWriter& writer, const EncodedFrame& frame);
void WriteEndOfImage(BitWriter& writer);

}  // namespace zavi::jpeg
