#include "image/snapshot_jpeg.h"

#include "image/image_constants.h"
#include "jpeg/jpeg_codec.h"

namespace zavi::image {

int32_t EncodeSnapshotJpeg(uint8_t *bgr, uint32_t width, uint32_t height, uint8_t *jpeg, int32_t capacity,
                           uint32_t &size)
{
    jpeg::CodecProperties properties{};
    if (jpeg::Initialise(properties) != jpeg::kOk) return kImageFailed;

    properties.imageBuffer = bgr;
    properties.imageWidth = static_cast<int32_t>(width);
    properties.imageHeight = static_cast<int32_t>(height);
    properties.imagePadBytes = 0;
    properties.imageChannels = kBgrBytesPerPixel;
    properties.imageColour = jpeg::kColourBgr;
    properties.imageSubsampling = jpeg::kSubsampling444;
    properties.jpegFileName = nullptr;
    properties.jpegBuffer = jpeg;
    properties.jpegSize = capacity;
    properties.jpegWidth = static_cast<int32_t>(width);
    properties.jpegHeight = static_cast<int32_t>(height);
    properties.jpegChannels = kSnapshotJpegChannels;
    properties.jpegColour = jpeg::kColourYCbCr;
    properties.jpegSubsampling = jpeg::kSubsampling420;
    properties.quality = kSnapshotJpegQuality;
    const int32_t written = jpeg::Write(properties, jpeg::kWriteWholeImage);

    size = static_cast<uint32_t>(properties.jpegSize);
    jpeg::Release(properties);
    if (written != jpeg::kOk) {
        size = 0;
        return kImageFailed;
    }
    return kImageOk;
}

} // namespace zavi::image
