#include "reverse/reverse_picture_pool.h"

#include <new>

namespace zavi::reverse {

void ReversePicturePool::SetBound(uint32_t bytes)
{
    Release();
    bound_ = bytes;
}

void ReversePicturePool::Release()
{
    storage_.reset();
    for (Layout &layout : banks_) layout = Layout{};
}

bool ReversePicturePool::Make(uint32_t bank, uint32_t width, uint32_t height)
{
    Layout &layout = banks_[bank];
    layout.perBank = 0;
    const size_t pictureBytes = static_cast<size_t>(width) * height * 3 / 2;
    if (pictureBytes == 0 || BankBytes() / pictureBytes == 0) return false;
    if (storage_ == nullptr) storage_.reset(new (std::nothrow) uint8_t[BankBytes() * kBanks]);
    if (storage_ == nullptr) return false;
    const auto perBank = static_cast<uint32_t>(BankBytes() / pictureBytes);
    layout.timeStamps.assign(perBank, 0);
    layout.decoded.assign(perBank, 0);
    layout.width = width;
    layout.height = height;
    layout.pictureBytes = pictureBytes;
    layout.perBank = perBank;
    return true;
}

} // namespace zavi::reverse
