#include "image/bitmap_picture.h"

#include <cstdlib>

#include "image/image_constants.h"
#include "image/little_endian.h"

namespace zavi::image {

namespace {

bool IsShownDepth(uint32_t bytesPerPixel)
{
    for (const uint32_t shown : kShownBytesPerPixel)
        if (bytesPerPixel == shown) return true;
    return false;
}

} // namespace

int32_t ReadBitmapPicture(const uint8_t *data, int32_t length, BgrPicture &picture)
{
    if (length < static_cast<int32_t>(kBmpInfoHeaderSize)) return kImageFailed;
    const auto width = static_cast<int32_t>(ReadLe32(data + kBitmapOffWidth));
    const int64_t height = std::llabs(static_cast<int32_t>(ReadLe32(data + kBitmapOffHeight)));
    const uint32_t bytesPerPixel = (ReadLe16(data + kBitmapOffBitCount) + kBitsPerByte - 1) / kBitsPerByte;
    const int64_t pixelsOffset =
        static_cast<int64_t>(kBmpInfoHeaderSize) + kPaletteEntrySize * ReadLe32(data + kBitmapOffClrUsed);
    if (width <= 0 || height == 0 || !IsShownDepth(bytesPerPixel)) return kImageFailed;

    // The pixels must lie inside the picture data: row by row, without overflow.
    const int64_t available = length - pixelsOffset;
    const int64_t rowBytes = static_cast<int64_t>(width) * bytesPerPixel;
    if (available < rowBytes || height > available / rowBytes) return kImageFailed;

    picture = BgrPicture{data + pixelsOffset, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                         bytesPerPixel, static_cast<uint32_t>(rowBytes)};
    return kImageOk;
}

} // namespace zavi::image
