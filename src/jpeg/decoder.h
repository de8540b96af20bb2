// Baseline sequential decoding into the caller's image buffer.
#pragma once

#include "jpeg/codec_state.h"
#include "jpeg/jpeg_codec.h"

namespace zavi::jpeg {

// Read mode 1: frame parameters only.
Status ReadStreamParameters(CodecState& state, CodecProperties& properties);
// Read mode 3: the whole image.
Status DecodeStream(CodecState& state, const CodecProperties& properties);

}  // namespace zavi::jpeg
