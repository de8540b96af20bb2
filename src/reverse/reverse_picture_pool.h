// The block of decoded pictures behind reverse play: allocated once for the
// recording's picture size, never larger than its bound, split into banks of
// equal size. Each slot holds one I420 picture with its time stamp and
// whether it decoded. The pool only hands out memory; who may touch a bank
// when is the session's business.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace zavi::reverse {

class ReversePicturePool {
public:
    explicit ReversePicturePool(uint32_t bound) : bound_(bound) {}

    // Drops the storage; the next Make allocates within the new bound.
    void SetBound(uint32_t bytes);
    uint32_t Bound() const { return bound_; }
    uint32_t AllocatedBytes() const { return static_cast<uint32_t>(slots_ * pictureBytes_); }

    bool MadeFor(uint32_t width, uint32_t height) const
    {
        return storage_ != nullptr && width == width_ && height == height_;
    }
    // Allocates the storage for pictures of width x height (as many as the
    // bound holds, a whole number per bank). False when the bound holds
    // fewer than one picture per bank or the memory cannot be had.
    bool Make(uint32_t width, uint32_t height);
    void Release();

    uint32_t PicturesPerBank() const { return perBank_; }
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    size_t PictureBytes() const { return pictureBytes_; }

    uint8_t *Picture(uint32_t bank, uint32_t index) { return storage_.get() + Slot(bank, index) * pictureBytes_; }
    uint32_t &TimeStamp(uint32_t bank, uint32_t index) { return timeStamps_[Slot(bank, index)]; }
    uint8_t &Decoded(uint32_t bank, uint32_t index) { return decoded_[Slot(bank, index)]; }

private:
    size_t Slot(uint32_t bank, uint32_t index) const { return static_cast<size_t>(bank) * perBank_ + index; }

    uint32_t bound_;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    size_t pictureBytes_ = 0;
    uint32_t perBank_ = 0;
    size_t slots_ = 0;
    std::unique_ptr<uint8_t[]> storage_;
    std::vector<uint32_t> timeStamps_;
    std::vector<uint8_t> decoded_;
};

} // namespace zavi::reverse
