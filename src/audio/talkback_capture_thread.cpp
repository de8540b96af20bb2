// TalkBack, capture thread: it sleeps until the capture buffer passes one of
// its notification positions (or the stop event is set) and then runs the
// capture step, which reads every whole block captured since the last one,
// encodes it and hands it to the capture-data callback.
#include <cstring>

#include "audio/talkback.h"
#include "engine/media_clock.h"

namespace zavi {

namespace {
// The talkback whose capture thread this is, on that thread; null elsewhere.
thread_local const TalkBack *tCaptureThreadOf = nullptr;
} // namespace

bool TalkBack::OnCaptureThread() const { return tCaptureThreadOf == this; }

bool TalkBack::ReleaseFromCaptureCallback()
{
    if (!OnCaptureThread()) return false;
    releasedFromCallback_ = true;
    threadRunning_ = 0;
    return true;
}

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

// On the capture thread itself (a release from its callback) the thread is
// not waited for: it is leaving, and touches nothing of the object after.
void TalkBack::StopCaptureThread()
{
    threadRunning_ = 0;
    if (captureThread_ != nullptr && !OnCaptureThread()) {
        stopEvent_->Set();
        captureThread_->Wait(kernel::kInfinite);
    }
    captureThread_.reset();
    stopEvent_.reset();
}

uint32_t TalkBack::CaptureThreadProcedure(void *self)
{
    auto *talkback = static_cast<TalkBack *>(self);
    tCaptureThreadOf = talkback;
    const uint32_t exitCode = talkback->CaptureLoop();
    if (talkback->releasedFromCallback_) delete talkback;
    return exitCode;
}

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

// Each block is read and encoded under the lock and delivered outside it, so
// a slow callback holds up no command, and the callback may call any of them.
void TalkBack::CaptureStep()
{
    while (threadRunning_ != 0) {
        Delivery delivery;
        {
            kernel::ScopedLock lock(lock_);
            if (!capturing_ || !ReadBlock()) return;
            delivery = EncodeBlock();
        }
        if (delivery.callback != nullptr) {
            delivery.callback(delivery.packet, delivery.length, delivery.user1, delivery.user2);
        }
    }
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

// The packet stays valid until the next block is encoded, which only this
// thread does.
TalkBack::Delivery TalkBack::EncodeBlock()
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
    Delivery delivery;
    if (ZAVI_AudioEnc_Encode(encoder_, &pcm, media_clock::Now(), &delivery.packet, &delivery.length) != ZAVIDEC_OK) {
        return {};
    }
    delivery.callback = callback_;
    delivery.user1 = user1_;
    delivery.user2 = user2_;
    return delivery;
}

} // namespace zavi
