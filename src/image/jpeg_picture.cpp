#include "image/jpeg_picture.h"

#include "image/grow_buffer.h"
#include "image/image_constants.h"
#include "jpeg/jpeg_codec.h"

namespace zavi::image {

namespace {

int64_t PaddedRowBytes(int32_t width)
{
    const int64_t row = static_cast<int64_t>(width) * kBgrBytesPerPixel;
    return (row + kRowAlignment - 1) / kRowAlignment * kRowAlignment;
}

// Streams of neither 1 nor 3 components are marked "other", which makes the
// decode refuse them.
void DescribeImage(jpeg::CodecProperties &properties, uint8_t *buffer, int64_t stride)
{
    properties.imageBuffer = buffer;
    properties.imageWidth = properties.jpegWidth;
    properties.imageHeight = properties.jpegHeight;
    properties.imageChannels = kBgrBytesPerPixel;
    properties.imageColour = jpeg::kColourBgr;
    properties.imagePadBytes = static_cast<int32_t>(stride - static_cast<int64_t>(properties.jpegWidth) * kBgrBytesPerPixel);
    if (properties.jpegChannels == kGreyChannels) {
        properties.jpegColour = jpeg::kColourGrey;
    } else if (properties.jpegChannels == kColourChannels) {
        properties.jpegColour = jpeg::kColourYCbCr;
    } else {
        properties.imageColour = jpeg::kColourOther;
        properties.jpegColour = jpeg::kColourOther;
    }
}

bool Decode(jpeg::CodecProperties &properties, const uint8_t *data, int32_t length, uint8_t *&buffer,
            int32_t &bufferSize, BgrPicture &picture)
{
    properties.jpegBuffer = const_cast<uint8_t *>(data); // read, never written
    properties.jpegSize = length;
    if (jpeg::Read(properties, jpeg::kReadParameters) != jpeg::kOk) return false;
    if (properties.jpegWidth <= 0 || properties.jpegHeight <= 0) return false;

    const int64_t stride = PaddedRowBytes(properties.jpegWidth);
    if (!GrowBuffer(buffer, bufferSize, stride * properties.jpegHeight)) return false;
    DescribeImage(properties, buffer, stride);
    if (jpeg::Read(properties, jpeg::kReadWholeImage) != jpeg::kOk) return false;

    picture = BgrPicture{buffer, static_cast<uint32_t>(properties.jpegWidth), static_cast<uint32_t>(properties.jpegHeight),
                         static_cast<uint32_t>(kBgrBytesPerPixel), static_cast<uint32_t>(stride)};
    return true;
}

} // namespace

int32_t DecodeJpegPicture(const uint8_t *data, int32_t length, uint8_t *&buffer, int32_t &bufferSize,
                          BgrPicture &picture)
{
    jpeg::CodecProperties properties{};
    if (jpeg::Initialise(properties) != jpeg::kOk) return kImageFailed;
    const bool decoded = Decode(properties, data, length, buffer, bufferSize, picture);
    jpeg::Release(properties);
    return decoded ? kImageOk : kImageFailed;
}

} // namespace zavi::image
