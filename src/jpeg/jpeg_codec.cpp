#include "jpeg/jpeg_codec.h"

#include <memory>
#include <new>

#include "jpeg/codec_state.h"
#include "jpeg/decoder.h"
#include "jpeg/encoder.h"

namespace zavi::jpeg {

namespace {

// Snapshots initialise and release a record for every picture. The state a
// thread released last is kept for its next Initialise, work buffers and all,
// so a stream of same-sized pictures allocates only for the first.
thread_local std::unique_ptr<CodecState> t_spareState;

CodecState* AcquireState() {
  if (t_spareState) return t_spareState.release();
  return new (std::nothrow) CodecState();
}

void RecycleState(CodecState* state) {
  if (!t_spareState) {
    t_spareState.reset(state);
  } else {
    delete state;
  }
}

}  // namespace

int32_t Initialise(CodecProperties& properties) {
  properties = CodecProperties{};
  properties.imageChannels = 3;
  properties.imageColour = kColourBgr;
  properties.jpegChannels = 3;
  properties.jpegColour = kColourYCbCr;
  properties.jpegSubsampling = kSubsampling420;
  properties.colourConversionRequired = 1;
  properties.upsamplingRequired = 1;
  properties.quality = kDefaultQuality;
  properties.state = AcquireState();
  if (properties.state == nullptr) return kNoMemory;
  properties.state->kernels = &SelectCodecKernels();
  return kOk;
}

int32_t Read(CodecProperties& properties, int32_t mode) {
  if (properties.state == nullptr) return kNotInitialised;
  if (properties.jpegBuffer == nullptr || properties.jpegSize <= 0) return kBadArgument;
  try {
    if (mode == kReadParameters) return ReadStreamParameters(*properties.state, properties);
    if (mode == kReadWholeImage) return DecodeStream(*properties.state, properties);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
  return kBadArgument;
}

int32_t Write(CodecProperties& properties, int32_t mode) {
  if (properties.state == nullptr) return kNotInitialised;
  if (mode != kWriteWholeImage) return kBadArgument;
  try {
    return EncodeImage(*properties.state, properties);
  } catch (const std::bad_alloc&) {
    return kNoMemory;
  }
}

int32_t Release(CodecProperties& properties) {
  if (properties.state != nullptr) RecycleState(properties.state);
  properties.state = nullptr;
  return kOk;
}

}  // namespace zavi::jpeg
