// Copying a decoded 4:2:0 picture into a locked picture surface: the
// processor only moves bytes, the display hardware converts and scales.
// Nothing here allocates.
//
// Stores: into video memory (write-combined, never read back by the
// processor) the copy streams past the cache; into system memory, which the
// processor reads again soon (to convert or to upload it), it stores through
// the cache, where the bytes are wanted next.
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

enum class Stores { Cached, Streaming };

// Copies `length` bytes, a whole multiple of 16, 16 bytes at a time;
// streaming stores need a 16-byte aligned destination (cached stores are
// used otherwise) and a fence before anyone else reads the bytes.
void BlockCopy16(uint8_t *dest, const uint8_t *source, size_t length, Stores stores);

// Into a YV12 surface: luma rows, then the Cr rows, then the Cb rows, the
// chroma rows half the pitch apart. Fences the streaming stores once.
void CopyYV12(uint8_t *dest, int32_t pitch, const PicturePlanes &picture, Stores stores);

// Into a YUY2 surface: each chroma row serves two picture rows; the bytes of
// a column pair are Y0 Cb Y1 Cr. Fences the streaming stores once.
void PackYUY2(uint8_t *dest, int32_t pitch, const PicturePlanes &picture, Stores stores);

} // namespace zavi::display
