#include "reverse/reverse_picture_pool.h"

#include <new>

#include "reverse/reverse_constants.h"

namespace zavi::reverse {

void ReversePicturePool::SetBound(uint32_t bytes)
{
    Release();
    bound_ = bytes;
}

void ReversePicturePool::Release()
{
    storage_.reset();
    timeStamps_ = {};
    decoded_ = {};
    width_ = height_ = 0;
    pictureBytes_ = 0;
    perBank_ = 0;
    slots_ = 0;
}

bool ReversePicturePool::Make(uint32_t width, uint32_t height)
{
    Release();
    const size_t pictureBytes = static_cast<size_t>(width) * height * 3 / 2;
    if (pictureBytes == 0) return false;
    const auto perBank = static_cast<uint32_t>(bound_ / pictureBytes / kBanks);
    if (perBank == 0) return false;
    const size_t slots = static_cast<size_t>(perBank) * kBanks;
    storage_.reset(new (std::nothrow) uint8_t[slots * pictureBytes]);
    if (storage_ == nullptr) return false;
    timeStamps_.assign(slots, 0);
    decoded_.assign(slots, 0);
    width_ = width;
    height_ = height;
    pictureBytes_ = pictureBytes;
    perBank_ = perBank;
    slots_ = slots;
    return true;
}

} // namespace zavi::reverse
