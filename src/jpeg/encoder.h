// Baseline sequential encoding of the caller's image into its JPEG buffer.
#pragma once

#include "jpeg/codec_state.h"
#include "jpeg/jpeg_codec.h"

namespace zavi::jpeg {

// Write mode 9. On success properties.jpegSize holds the bytes written.
Status EncodeImage(CodecState& state, CodecProperties& properties);

}  // namespace zavi::jpeg
