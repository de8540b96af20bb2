#include "image/grow_buffer.h"

#include <cstdlib>
#include <limits>

#include "image/image_constants.h"

namespace zavi::image {

bool GrowBuffer(uint8_t *&buffer, int32_t &size, int64_t need)
{
    if (need <= size) return true;
    std::free(buffer);
    buffer = nullptr;
    size = 0;
    if (need > std::numeric_limits<int32_t>::max()) return false;
    buffer = static_cast<uint8_t *>(std::malloc(static_cast<size_t>(need + kBlockSlack)));
    if (buffer == nullptr) return false;
    size = static_cast<int32_t>(need);
    return true;
}

} // namespace zavi::image
