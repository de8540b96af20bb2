// TalkBack, capture thread: it sleeps until the capture buffer passes one of
// its notification positions (or the stop event is set) and then runs the
// capture step, which reads every whole block captured since the last one,
// encodes it and hands it to the capture-data callback.
#include <cstring>

#include "audio/talkback.h"
#include "engine/media_clock.h"

namespace zavi {

int32_t TalkBack::StartCaptureThread()
{
    StopCaptureThread();
    threadRunning_ = 1;
    stopEvent_ = kernel::Event::Create(true, false);
    if (stopEvent_ != nullptr) {
        stopEvent_->Reset();
        captureThread_ = kernel::Thread::Create(&TalkBack::CaptureThreadProcedure, this);
    }
    if (captureThread_ == nullptr) {
        threadRunning_ = 0;
        stopEvent_.reset();
        return ZAVI_ERR_FAIL;
    }
    return ZAVI_OK;
}

void TalkBack::StopCaptureThread()
{
    threadRunning_ = 0;
    if (captureThread_ != nullptr) {
        stopEvent_->Set();
        captureThread_->Wait(kernel::kInfinite);
        captureThread_.reset();
    }
    stopEvent_.reset();
}

uint32_t TalkBack::CaptureThreadProcedure(void *self) { return static_cast<TalkBack *>(self)->CaptureLoop(); }

uint32_t TalkBack::CaptureLoop()
{
    enum : int { kNotified = 0, kStopped = 1 };
    kernel::Waitable *const objects[] = {notificationEvent_.get(), stopEvent_.get()};
    while (threadRunning_ != 0) {
        const int signalled = kernel::WaitForAny(objects, 2, kernel::kInfinite);
        if (signalled == kStopped) break;
        if (signalled == kNotified) CaptureStep();
    }
    return 0;
}

void TalkBack::CaptureStep()
{
    kernel::ScopedLock lock(lock_);
    while (threadRunning_ != 0 && capturing_ && ReadBlock()) EncodeAndDeliverBlock();
}

// Copies the block at the read offset into the block buffer and moves the
// read offset past it; false while less than a block has been captured.
bool TalkBack::ReadBlock()
{
    uint32_t captureCursor = 0;
    uint32_t readCursor = 0;
    if (sound::Failed(captureBuffer_->GetCurrentPosition(&captureCursor, &readCursor))) return false;
    const uint32_t captured = (readCursor + captureBufferSize_ - readOffset_) % captureBufferSize_;
    if (captured < blockSize_) return false;

    const void *part1 = nullptr;
    const void *part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    if (sound::Failed(captureBuffer_->Lock(readOffset_, blockSize_, &part1, &bytes1, &part2, &bytes2))) return false;
    const bool whole = bytes1 + bytes2 == blockSize_;
    if (whole) {
        std::memcpy(block_.data(), part1, bytes1);
        readOffset_ = (readOffset_ + bytes1) % captureBufferSize_;
        if (bytes2 != 0) {
            std::memcpy(block_.data() + bytes1, part2, bytes2);
            readOffset_ = (readOffset_ + bytes2) % captureBufferSize_;
        }
    }
    captureBuffer_->Unlock(part1, bytes1, part2, bytes2);
    return whole;
}

void TalkBack::EncodeAndDeliverBlock()
{
    // An encoder that does not open is asked for again with the next block.
    if (encoder_ == 0) ZAVI_AudioEnc_Init(&encoder_);
    ZAVIDEC_AUDIO pcm = {};
    pcm.sampleRate = captureFormat_.sampleRate;
    pcm.channels = static_cast<uint8_t>(captureFormat_.channels);
    pcm.bitsPerSample = static_cast<uint8_t>(captureFormat_.bitsPerSample);
    pcm.formatTag = static_cast<uint16_t>(formatTag_);
    pcm.byteCount = blockSize_;
    pcm.samples = block_.data();
    const uint8_t *packet = nullptr;
    uint32_t length = 0;
    if (ZAVI_AudioEnc_Encode(encoder_, &pcm, media_clock::Now(), &packet, &length) == ZAVIDEC_OK &&
        callback_ != nullptr) {
        callback_(packet, length, user1_, user2_);
    }
}

} // namespace zavi
