// The numbers of the still-image subsystem, in one place: snapshot formats,
// the BMP file image, the snapshot's JPEG settings, the image packet layout
// the viewer reads, and the results both hand back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ZAVIPlaySDK.h"
#include "jpeg/jpeg_codec.h"

namespace zavi::image {

// ---- Results ---------------------------------------------------------------
inline constexpr int32_t kImageOk = ZAVI_OK;
inline constexpr int32_t kImageFailed = ZAVI_ERR_FAIL;
inline constexpr int32_t kImageBadPacket = ZAVI_ERR_INVALID_ARG;
inline constexpr int32_t kSnapshotNoMemory = ZAVI_ERR_NO_MEMORY;

// ---- Working buffers -------------------------------------------------------
// A snapshot buffer holds width x height x 3 bytes plus this margin (room for
// the 54-byte BMP header); every grown block has a few bytes more than its
// recorded size.
inline constexpr int64_t kSnapshotMargin = 64;
inline constexpr int64_t kBlockSlack = 4;
inline constexpr int32_t kBgrBytesPerPixel = 3;

// ---- Snapshot formats (the last argument of ZAVI_Play_CaptureOnePicture) -----
inline constexpr int32_t kCaptureBmp = ZAVI_CAPTURE_BMP;
inline constexpr int32_t kCaptureJpeg = ZAVI_CAPTURE_JPEG;

// ---- BMP file image: BITMAPFILEHEADER then BITMAPINFOHEADER, little-endian ---
inline constexpr size_t kBmpFileHeaderSize = 14;
inline constexpr size_t kBmpInfoHeaderSize = 40;
inline constexpr size_t kBmpHeaderSize = kBmpFileHeaderSize + kBmpInfoHeaderSize; // 54: the pixels follow

inline constexpr size_t kBmpOffType = 0;
inline constexpr size_t kBmpOffFileSize = 2;
inline constexpr size_t kBmpOffReserved1 = 6;
inline constexpr size_t kBmpOffReserved2 = 8;
inline constexpr size_t kBmpOffPixelOffset = 10;
inline constexpr size_t kBmpOffInfoSize = 14;
inline constexpr size_t kBmpOffWidth = 18;
inline constexpr size_t kBmpOffHeight = 22;
inline constexpr size_t kBmpOffPlanes = 26;
inline constexpr size_t kBmpOffBitCount = 28;
inline constexpr size_t kBmpOffCompression = 30;
inline constexpr size_t kBmpOffImageSize = 34;
inline constexpr size_t kBmpOffXPelsPerMeter = 38;
inline constexpr size_t kBmpOffYPelsPerMeter = 42;
inline constexpr size_t kBmpOffClrUsed = 46;
inline constexpr size_t kBmpOffClrImportant = 50;

inline constexpr uint16_t kBmpType = 0x4D42; // "BM"
inline constexpr uint16_t kBmpPlanes = 1;
inline constexpr uint16_t kBmpBitCount = 24;
inline constexpr uint32_t kBmpCompressionRgb = 0; // BI_RGB
inline constexpr uint32_t kBmpPelsPerMeter = 2834; // 72 dots per inch

// ---- Snapshot JPEG ---------------------------------------------------------
inline constexpr int32_t kSnapshotJpegQuality = jpeg::kDefaultQuality; // 75
inline constexpr int32_t kSnapshotJpegChannels = 3;

// ---- Image packet, as the viewer reads it (little-endian) -------------------
inline constexpr int32_t kImagePacketMinimum = 33;
inline constexpr uint32_t kImagePacketMagic = 0x71010000; // the bytes 00 00 01 71
inline constexpr size_t kImageOffMagic = 0;
inline constexpr size_t kImageOffFirstChunk = 6;
inline constexpr int64_t kChunkHeaderSize = 4;
inline constexpr uint32_t kChunkLengthShift = 8; // bits 8..31 of the chunk header

// Picture marker inside a chunk payload: 00 00 01, a byte whose low five bits
// are 24, then the kind byte; the picture follows the kind byte.
inline constexpr int64_t kMarkerSize = 5;
inline constexpr uint8_t kMarkerTagMask = 0x1F;
inline constexpr uint8_t kMarkerTag = 0x18;
inline constexpr uint8_t kKindJpeg = 0x80;
inline constexpr uint8_t kKindBitmap = 0x81;

// ---- Uncompressed pictures: BITMAPINFOHEADER, then the palette, then pixels --
inline constexpr size_t kBitmapOffWidth = 4;
inline constexpr size_t kBitmapOffHeight = 8;
inline constexpr size_t kBitmapOffBitCount = 14;
inline constexpr size_t kBitmapOffClrUsed = 32;
inline constexpr int64_t kPaletteEntrySize = 4;

// Only pictures of 3 or 4 bytes a pixel are shown.
inline constexpr uint32_t kBitsPerByte = 8;
inline constexpr uint32_t kShownBytesPerPixel[] = {3, 4};

// ---- JPEG pictures -----------------------------------------------------------
// Decoded rows are padded to a multiple of this many bytes.
inline constexpr int32_t kRowAlignment = 4;
inline constexpr int32_t kGreyChannels = 1;
inline constexpr int32_t kColourChannels = 3;

// ---- The viewer's picture surface --------------------------------------------
inline constexpr uint32_t kRgb32BitCount = 32;
inline constexpr uint32_t kRgb24BitCount = 24;
inline constexpr uint32_t kRgb32PixelSize = 4;
inline constexpr uint32_t kRgb24PixelSize = 3;

} // namespace zavi::image
