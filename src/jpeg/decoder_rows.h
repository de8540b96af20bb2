// Turns decoded sample rows into image rows: chroma upsampling to full
// resolution and conversion to the image's colour (BGR or grey).
#pragma once

#include "jpeg/codec_kernels.h"
#include "jpeg/decoder_layout.h"

namespace zavi::jpeg {

class RowWriter {
 public:
  RowWriter(const Layout& layout, DecoderBuffers& buffers, const CodecKernels& kernels,
            const CodecProperties& properties)
      : layout_(layout), buffers_(buffers), kernels_(kernels), properties_(properties) {}

  // Image rows [first, end): their samples and their chroma neighbours must
  // be in the rings.
  void WriteRows(int first, int end);

 private:
  void WriteRow(int y, uint8_t* out);
  const uint8_t* Upsample(const ComponentLayout& c, int y, uint8_t* out);

  const Layout& layout_;
  DecoderBuffers& buffers_;
  const CodecKernels& kernels_;
  const CodecProperties& properties_;
};

}  // namespace zavi::jpeg
