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
    if (!readerGate_) readerGate_ = kernel::Event::Create(true, false);
    if (!readerGate_) return ZAVI_ERR_READER_THREAD;
    // Whatever was read before, the recording opened now waits for a play
    // command.
    readerGate_->Reset();
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

    if (!IsRunning() && !Start()) return ZAVI_ERR_READER_THREAD;
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
        if (owner_->Caches().video.Count() >= kFramesAhead) {
            kernel::Sleep(kAheadPollMs);
            continue;
        }
        // A command may have closed the gate since the wait passed it.
        const std::optional<StepResult> result = ReadPackets(true);
        if (!result) continue;
        Report(*result);
        if (result->packetBoundReached) kernel::Sleep(kAheadPollMs);
    }
    return 0;
}

int32_t FileReadMan::ReadingStep()
{
    if (const std::optional<StepResult> result = ReadPackets(false)) Report(*result);
    return ZAVI_OK;
}

std::optional<FileReadMan::StepResult> FileReadMan::ReadPackets(bool gated)
{
    kernel::ScopedLock lock(readerLock_);
    if (gated && !readerGate_->IsSet()) return std::nullopt;
    int32_t status = 0;
    for (uint32_t packets = 0; IsRunning() && packets < kMaxPacketsPerStep; ++packets) {
        const uint8_t *packet = nullptr;
        uint32_t length = 0;
        status = ZAVI_Read_GetNextFrame(readerHandle_, &packet, &length, &positionValue_);
        if (status != 0 && status != kReadStatusDecodeOnly) {
            // The end of the recording, or no reader or file to read: reading
            // waits for the next command.
            readerGate_->Reset();
            return StepResult{status, positionValue_, false};
        }
        if (!FeedPacket(packet, length, status)) return StepResult{status, positionValue_, false};
    }
    return StepResult{status, positionValue_, true};
}

// Feeds one delivered packet to the intake; true when reading goes on past
// it: sound and extra data ride along with the next picture, and frames for
// decoding only lead up to the one to show.
bool FileReadMan::FeedPacket(const uint8_t *packet, uint32_t length, int32_t status)
{
    const bool decodeOnly = status == kReadStatusDecodeOnly;
    const auto signedLength = static_cast<int32_t>(length);
    // A packet too short for its header is neither read nor taken for sound.
    if (packet == nullptr || !PacketLongEnough(packet, signedLength)) return decodeOnly;
    const uint16_t frameType = PacketFrameType(packet);
    if (feedAudioFlag_ == 1 || frameType != kFrameTypeAudio) {
        owner_->Intake(packet, signedLength, timeStampFlag_, decodeOnly ? 0 : 1);
    }
    return decodeOnly || frameType == kFrameTypeAudio || frameType == kFrameTypeExtraData;
}

// Outside the reader lock: the drain waits on the player's threads, and the
// callback may give file commands.
void FileReadMan::Report(StepResult result)
{
    if (result.status == kReadStatusEnd) WaitForVideoCacheToDrain();
    kernel::ScopedLock lock(statusLock_);
    if (statusCallback_ != nullptr) statusCallback_(result.status, result.position, user1_, user2_);
}

// The client hears of the end only once the last picture has been taken for
// display. A paused player never drains, so the wait also ends when the
// player leaves playing. The frames left may be fewer than the pre-cache
// count, which keeps the video gate shut, so the gate is opened for them at
// every look: a video step that found the cache empty just before they came
// shuts it again after a single opening.
void FileReadMan::WaitForVideoCacheToDrain()
{
    do {
        owner_->PlayOutVideoCache();
        kernel::Sleep(kEndDrainPollMs);
    } while (owner_->Caches().video.Count() != 0 && IsRunning() &&
             owner_->PlayMode() == ZAVI_PLAYMODE_PLAYING);
}

// Waits for a callback in progress, so the old one is never called once this
// returns.
int32_t FileReadMan::RegisterStatusCallback(ZAVI_PlayStatusCallback callback, uintptr_t user1, uintptr_t user2)
{
    kernel::ScopedLock lock(statusLock_);
    statusCallback_ = callback;
    user1_ = user1;
    user2_ = user2;
    return ZAVI_OK;
}

} // namespace zavi
