// Snapshots: the picture the player decoded last, as a BMP file image or a
// JPEG stream in the player's own buffers (buffer 1 holds the BMP image,
// whose pixel area is also the source of the JPEG; buffer 2 the JPEG stream).
#include "display/colour_convert.h"
#include "image/bmp_header.h"
#include "image/grow_buffer.h"
#include "image/image_constants.h"
#include "image/snapshot_jpeg.h"
#include "player/play_man.h"

namespace zavi {

using namespace image;

namespace {

// Before the first decode the record is all zero.
bool HoldsPicture(const ZAVIDEC_PICTURE &picture)
{
    return picture.width != 0 && picture.height != 0 && picture.buffer != nullptr && picture.held != 0;
}

int64_t SnapshotNeed(uint32_t width, uint32_t height)
{
    return static_cast<int64_t>(width) * height * kBgrBytesPerPixel + kSnapshotMargin;
}

} // namespace

int32_t PlayMan::CaptureOnePicture(uint8_t **data, uint32_t *size, int32_t format)
{
    // A missing slot cannot take a result: the call fails the way a snapshot
    // without a picture does, and the slot it has is cleared.
    if (data == nullptr || size == nullptr) {
        if (data != nullptr) *data = nullptr;
        if (size != nullptr) *size = 0;
        return kImageFailed;
    }

    kernel::ScopedLock snapshot(snapshotLock_);
    uint32_t width = 0;
    uint32_t height = 0;
    {
        // The decoder lock guards the decoded picture only while it is read.
        kernel::ScopedLock lock(decoderLock_);
        *data = nullptr;
        *size = 0;
        if (!HoldsPicture(decodedPicture_)) return kImageFailed;
        width = decodedPicture_.width;
        height = decodedPicture_.height;
        if (!GrowBuffer(snapshotBuffer1_, snapshotBuffer1Size_, SnapshotNeed(width, height)))
            return kSnapshotNoMemory;
        const int32_t converted = display::PictureToBGR24(decodedPicture_, snapshotBuffer1_ + kBmpHeaderSize);
        if (converted != kImageOk) return converted;
    }

    switch (format) {
    case kCaptureBmp:
        WriteBmpHeader(snapshotBuffer1_, width, height);
        *data = snapshotBuffer1_;
        *size = BmpImageSize(width, height);
        return kImageOk;
    case kCaptureJpeg: {
        if (!GrowBuffer(snapshotBuffer2_, snapshotBuffer2Size_, SnapshotNeed(width, height)))
            return kSnapshotNoMemory;
        const int32_t encoded = EncodeSnapshotJpeg(snapshotBuffer1_ + kBmpHeaderSize, width, height,
                                                   snapshotBuffer2_, snapshotBuffer2Size_, *size);
        if (encoded == kImageOk) *data = snapshotBuffer2_;
        return encoded;
    }
    default:
        return kImageFailed; // the conversion into buffer 1 has been done all the same
    }
}

} // namespace zavi
