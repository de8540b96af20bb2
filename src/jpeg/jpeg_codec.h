// The library's baseline JPEG codec, in memory only.
//
// A caller fills a CodecProperties record that describes the uncompressed image
// on one side and the JPEG stream on the other, then calls Initialise, any
// number of Read / Write, and Release. All state of one use lives behind the
// record, so separate records may be used from separate threads.
#pragma once

#include <cstdint>

namespace zavi::jpeg {

// Colour codes of the image buffer and of the stream.
inline constexpr int32_t kColourBgr = 2;
inline constexpr int32_t kColourYCbCr = 3;
inline constexpr int32_t kColourGrey = 4;
inline constexpr int32_t kColourOther = 255;

// Subsampling codes of the stream.
inline constexpr int32_t kSubsampling444 = 0;
inline constexpr int32_t kSubsampling420 = 1;
inline constexpr int32_t kSubsampling422 = 2;

// Read and write modes.
inline constexpr int32_t kReadParameters = 1;
inline constexpr int32_t kReadWholeImage = 3;
inline constexpr int32_t kWriteWholeImage = 9;

inline constexpr int32_t kDefaultQuality = 75;

// Failure codes (every failure is negative; callers test only for non-zero).
enum Status : int32_t {
  kOk = 0,
  kBadArgument = -1,         // null record or buffer, unknown mode, bad image description
  kNotInitialised = -2,      // no private state: Initialise was not called or failed
  kNoMemory = -3,
  kTruncated = -4,           // the stream ends before the image does
  kCorruptStream = -5,       // malformed marker segment or entropy-coded data
  kProgressiveStream = -6,   // progressive (or hierarchical) JPEG: not decoded
  kUnsupportedStream = -7,   // lossless, arithmetic coding, 12-bit, or a layout we do not decode
  kImageMismatch = -8,       // the image description does not fit the stream
  kOutputTooSmall = -9,      // the JPEG buffer cannot hold the encoded stream
};

struct CodecState;

// The properties record: public fields in their documented order, then the
// codec's private state.
struct CodecProperties {
  int32_t useExtendedProperties;
  uint8_t* imageBuffer;
  int32_t imageWidth;
  int32_t imageHeight;       // positive: rows are stored top row first
  int32_t imagePadBytes;     // row stride = imageWidth * imageChannels + imagePadBytes
  int32_t imageChannels;     // 3 for BGR, 1 for grey
  int32_t imageColour;
  int32_t imageSubsampling;
  const char* jpegFileName;  // unused: the codec works on memory only
  uint8_t* jpegBuffer;       // input of Read (never written), output of Write
  int32_t jpegSize;          // input size for Read; capacity before and bytes written after Write
  int32_t jpegWidth;
  int32_t jpegHeight;
  int32_t jpegChannels;      // 1 (grey) or 3 (colour)
  int32_t jpegColour;
  int32_t jpegSubsampling;
  int32_t thumbnailWidth;
  int32_t thumbnailHeight;
  int32_t colourConversionRequired;
  int32_t upsamplingRequired;
  int32_t quality;           // 1..100 (values outside are clamped)
  CodecState* state;
};

// Sets the defaults (BGR image of 3 channels, 4:2:0 YCbCr stream, quality 75),
// attaches the private state and selects the processor's transform variants.
int32_t Initialise(CodecProperties& properties);
// kReadParameters fills jpegWidth, jpegHeight, jpegChannels (and
// jpegSubsampling); kReadWholeImage decodes into the image buffer.
int32_t Read(CodecProperties& properties, int32_t mode);
// kWriteWholeImage encodes the image buffer; jpegSize then holds the bytes written.
int32_t Write(CodecProperties& properties, int32_t mode);
// Frees (or keeps for the thread's next use) the private state. Always 0.
int32_t Release(CodecProperties& properties);

}  // namespace zavi::jpeg
