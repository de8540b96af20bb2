// Copying a decoded 4:2:0 picture into a locked picture surface: the
// processor only moves bytes, the display hardware converts and scales.
// Nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zavi::display {

struct PicturePlanes {
    const uint8_t *luma = nullptr; // height rows of width bytes, stride bytes apart
    const uint8_t *cb = nullptr;   // height / 2 rows of width / 2 bytes, stride / 2 apart
    const uint8_t *cr = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t stride = 0;
};

// Copies `length` bytes, a whole multiple of 16, with streaming stores when
// the destination is 16-byte aligned (plain copy otherwise).
void BlockCopy16(uint8_t *dest, const uint8_t *source, size_t length);

// Into a YV12 surface: luma rows, then the Cr rows, then the Cb rows, the
// chroma rows half the pitch apart.
void CopyYV12(uint8_t *dest, int32_t pitch, const PicturePlanes &picture);

// Into a YUY2 surface: each chroma row serves two picture rows; the bytes of
// a column pair are Y0 Cb Y1 Cr.
void PackYUY2(uint8_t *dest, int32_t pitch, const PicturePlanes &picture);

} // namespace zavi::display
