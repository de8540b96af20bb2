// The block of decoded pictures behind reverse play: allocated once, never
// larger than its bound, split into banks of equal size. Each bank is laid
// out for the picture size of the group it holds, so that one bank can go
// on being shown while the other is decoded at another size (a recording
// whose picture size changes). Each slot holds one I420 picture with its
// time stamp and whether it decoded. The pool only hands out memory; who
// may touch a bank when is the session's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "reverse/reverse_constants.h"

namespace zavi::reverse {

class ReversePicturePool {
public:
    explicit ReversePicturePool(uint32_t bound) : bound_(bound) {}

    // Drops the storage; the next Make allocates within the new bound.
    void SetBound(uint32_t bytes);
    uint32_t AllocatedBytes() const { return storage_ != nullptr ? static_cast<uint32_t>(BankBytes() * kBanks) : 0; }

    bool MadeFor(uint32_t bank, uint32_t width, uint32_t height) const
    {
        const Layout &layout = banks_[bank];
        return layout.perBank != 0 && width == layout.width && height == layout.height;
    }
    // Lays `bank` out for pictures of width x height, as many as a bank's
    // share of the bound holds; the first bank laid out allocates the block.
    // The other bank keeps its pictures. False when the share holds no
    // picture of that size or the memory cannot be had: the bank then holds
    // none.
    bool Make(uint32_t bank, uint32_t width, uint32_t height);
    void Release();

    uint32_t PicturesPerBank(uint32_t bank) const { return banks_[bank].perBank; }
    uint32_t Width(uint32_t bank) const { return banks_[bank].width; }
    uint32_t Height(uint32_t bank) const { return banks_[bank].height; }
    size_t PictureBytes(uint32_t bank) const { return banks_[bank].pictureBytes; }

    uint8_t *Picture(uint32_t bank, uint32_t index)
    {
        return storage_.get() + bank * BankBytes() + index * banks_[bank].pictureBytes;
    }
    uint32_t &TimeStamp(uint32_t bank, uint32_t index) { return banks_[bank].timeStamps[index]; }
    uint8_t &Decoded(uint32_t bank, uint32_t index) { return banks_[bank].decoded[index]; }

private:
    // One bank: each slot's time stamp and whether it decoded, the picture
    // size the bank is laid out for and how many pictures it holds (0: not
    // laid out).
    struct Layout {
        std::vector<uint32_t> timeStamps;
        std::vector<uint8_t> decoded;
        uint32_t width = 0;
        uint32_t height = 0;
        size_t pictureBytes = 0;
        uint32_t perBank = 0;
    };

    size_t BankBytes() const { return bound_ / kBanks; }

    uint32_t bound_;
    std::unique_ptr<uint8_t[]> storage_;
    Layout banks_[kBanks];
};

} // namespace zavi::reverse
