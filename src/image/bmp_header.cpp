#include "image/bmp_header.h"

#include "image/image_constants.h"
#include "image/little_endian.h"

namespace zavi::image {

uint32_t BmpImageSize(uint32_t width, uint32_t height)
{
    return static_cast<uint32_t>(kBmpHeaderSize) + width * height * kBgrBytesPerPixel;
}

void WriteBmpHeader(uint8_t *image, uint32_t width, uint32_t height)
{
    WriteLe16(image + kBmpOffType, kBmpType);
    WriteLe32(image + kBmpOffFileSize, BmpImageSize(width, height));
    WriteLe16(image + kBmpOffReserved1, 0);
    WriteLe16(image + kBmpOffReserved2, 0);
    WriteLe32(image + kBmpOffPixelOffset, static_cast<uint32_t>(kBmpHeaderSize));
    WriteLe32(image + kBmpOffInfoSize, static_cast<uint32_t>(kBmpInfoHeaderSize));
    WriteLe32(image + kBmpOffWidth, width);
    WriteLe32(image + kBmpOffHeight, static_cast<uint32_t>(-static_cast<int32_t>(height)));
    WriteLe16(image + kBmpOffPlanes, kBmpPlanes);
    WriteLe16(image + kBmpOffBitCount, kBmpBitCount);
    WriteLe32(image + kBmpOffCompression, kBmpCompressionRgb);
    WriteLe32(image + kBmpOffImageSize, 0);
    WriteLe32(image + kBmpOffXPelsPerMeter, kBmpPelsPerMeter);
    WriteLe32(image + kBmpOffYPelsPerMeter, kBmpPelsPerMeter);
    WriteLe32(image + kBmpOffClrUsed, 0);
    WriteLe32(image + kBmpOffClrImportant, 0);
}

} // namespace zavi::image
