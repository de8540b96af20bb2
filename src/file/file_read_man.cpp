// The reader thread of a player: open, the reading loop, shut down.
#include "file/file_read_man.h"

#include "file/file_reader_constants.h"
#include "player/play_man.h"
#include "stream/packet_fields.h"

namespace zavi {

FileReadMan::~FileReadMan() { Shutdown(); }

int32_t FileReadMan::Open(ZAVI_UINTARG first, ZAVI_UINTARG second, uint32_t *result, uint8_t kind)
{
    kernel::ScopedLock lock(readerLock_);
    if (kind != readerKind_ && readerHandle_ != 0) {
        ZAVI_Read_ReleaseReader(readerHandle_);
        readerHandle_ = 0;
    }
    readerKind_ = kind;
    if (readerHandle_ == 0) {
        const int32_t status = ZAVI_Read_InitReader(&readerHandle_, kind);
        if (status != 0) return status;
    }
    uint32_t opened = 0;
    const int32_t status = ZAVI_Read_OpenFile(readerHandle_, first, second, &opened);
    if (status != 0) return status;
    *result = opened;

    if (!IsRunning()) {
        readerGate_ = kernel::Event::Create(true, false);
        if (!readerGate_ || !Start()) return ZAVI_ERR_READER_THREAD;
    }
    timeStampFlag_ = 1;
    positionValue_ = 0;
    keyFrameOnlyFlag_ = 0;
    feedAudioFlag_ = 1;
    owner_->SetCacheSize(kFileVideoRingSize, kFileAudioRingSize);
    SetSpeed(kNormalSpeed, kFileFrameIntervalMs);
    owner_->SetPreCacheCount(1);
    return ZAVI_OK;
}

void FileReadMan::Shutdown()
{
    if (readerGate_) readerGate_->Set();
    Stop();
    kernel::ScopedLock lock(readerLock_);
    if (readerHandle_ != 0) {
        ZAVI_Read_ReleaseReader(readerHandle_);
        readerHandle_ = 0;
    }
    readerGate_.reset();
}

uint32_t FileReadMan::Body(kernel::Event &stopEvent)
{
    if (owner_ == nullptr) return 0;
    kernel::Waitable *wakers[] = {readerGate_.get(), &stopEvent};
    while (IsRunning()) {
        kernel::WaitForAny(wakers, 2, kernel::kInfinite);
        if (!IsRunning()) break;
        if (owner_->Caches().video.Count() < kFramesAhead) ReadingStep();
        else kernel::Sleep(kAheadPollMs);
    }
    return 0;
}

bool FileReadMan::FeedsPacket(const uint8_t *packet) const
{
    return feedAudioFlag_ == 1 || PacketFrameType(packet) != kFrameTypeAudio;
}

int32_t FileReadMan::ReadingStep()
{
    kernel::ScopedLock lock(readerLock_);
    int32_t status = 0;
    while (IsRunning() && readerHandle_ != 0) {
        const uint8_t *packet = nullptr;
        uint32_t length = 0;
        status = ZAVI_Read_GetNextFrame(readerHandle_, &packet, &length, &positionValue_);
        if (status != 0 && status != kReadStatusDecodeOnly && readerGate_) readerGate_->Reset();
        if (packet != nullptr && length > 0) {
            const auto signedLength = static_cast<int32_t>(length);
            const bool whole = PacketLongEnough(packet, signedLength);
            if (whole && FeedsPacket(packet)) {
                owner_->Intake(packet, signedLength, timeStampFlag_, status == kReadStatusDecodeOnly ? 0 : 1);
            }
            const uint16_t frameType = whole ? PacketFrameType(packet) : kFrameTypeAudio;
            if (frameType == kFrameTypeAudio || frameType == kFrameTypeExtraData) continue;
        }
        if (status == kReadStatusDecodeOnly) continue;
        break;
    }
    const ZAVI_PlayStatusCallback callback = statusCallback_;
    if (callback != nullptr) {
        if (status == kReadStatusEnd) WaitForVideoCacheToDrain();
        callback(status, positionValue_, user1_, user2_);
    }
    return 0;
}

// The client hears of the end only once the last picture has been taken for
// display. A paused player never drains, so the wait also ends when the
// player leaves playing.
void FileReadMan::WaitForVideoCacheToDrain()
{
    do {
        kernel::Sleep(kEndDrainPollMs);
    } while (owner_->Caches().video.Count() != 0 && IsRunning() &&
             owner_->PlayMode() == ZAVI_PLAYMODE_PLAYING);
}

int32_t FileReadMan::RegisterStatusCallback(ZAVI_PlayStatusCallback callback, uintptr_t user1, uintptr_t user2)
{
    statusCallback_ = callback;
    user1_ = user1;
    user2_ = user2;
    return ZAVI_OK;
}

} // namespace zavi
