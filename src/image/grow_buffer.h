// Working buffers that grow on demand and never shrink. Their blocks come
// from malloc, so their owners free them with std::free.
#pragma once

#include <cstdint>

namespace zavi::image {

// Makes `buffer` hold at least `need` bytes. When the recorded `size` is
// below `need`, the old block is freed, `size` becomes `need` and a block of
// need plus a little slack is allocated. Returns false when `need` does not
// fit a 32-bit size or the block cannot be had; the buffer is then empty
// (size 0) so the next call tries again.
bool GrowBuffer(uint8_t *&buffer, int32_t &size, int64_t need);

} // namespace zavi::image
