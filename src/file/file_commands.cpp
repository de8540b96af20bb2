// The file commands: reading modes, frame steps, positions and the queries
// passed through to the file module.
#include "file/file_read_man.h"
#include "file/file_reader_constants.h"
#include "player/play_man.h"

namespace zavi {

namespace {
constexpr uint8_t kCatchUpOff = 0;
constexpr uint32_t kFileInfoValues = 5;
constexpr uint32_t kFileInfoFirst = 0;
constexpr uint32_t kFileInfoFourth = 3;
} // namespace

void FileReadMan::SetSpeed(float speed, float frameIntervalMs)
{
    owner_->SetPlaySpeed(speed, frameIntervalMs, kCatchUpOff);
}

int32_t FileReadMan::Resume()
{
    return WithReader([&] {
        readerGate_->Set();
        return ZAVI_OK;
    });
}

int32_t FileReadMan::Pause()
{
    return WithReader([&] {
        readerGate_->Reset();
        return ZAVI_OK;
    });
}

int32_t FileReadMan::PlayAtLevel(int32_t level)
{
    return WithReader([&] {
        keyFrameOnlyFlag_ = 0;
        timeStampFlag_ = 1;
        feedAudioFlag_ = 0;
        if (level == kLevelDouble) {
            SetSpeed(kDoubleSpeed, kFileFrameIntervalMs);
        } else if (level == kLevelTriple) {
            SetSpeed(kTripleSpeed, kFileFrameIntervalMs);
        } else if (level == kLevelKeyFramesOnly) {
            keyFrameOnlyFlag_ = 1;
            timeStampFlag_ = 0;
            SetSpeed(kNormalSpeed, kKeepFrameInterval);
        } else {
            feedAudioFlag_ = 1;
            SetSpeed(kNormalSpeed, kFileFrameIntervalMs);
        }
        ZAVI_Read_SetReadKeyFrame(readerHandle_, timeStampFlag_ == 0 ? 1 : 0);
        ZAVI_Read_SetReadOrder(readerHandle_, kReadForward);
        readerGate_->Set();
        return ZAVI_OK;
    });
}

int32_t FileReadMan::FastPlayBack()
{
    return WithReader([&] {
        timeStampFlag_ = 0;
        keyFrameOnlyFlag_ = 1;
        feedAudioFlag_ = 0;
        SetSpeed(kNormalSpeed, kKeepFrameInterval);
        ZAVI_Read_SetReadKeyFrame(readerHandle_, 1);
        ZAVI_Read_SetReadOrder(readerHandle_, kReadBackward);
        readerGate_->Set();
        return ZAVI_OK;
    });
}

int32_t FileReadMan::StopPlay()
{
    return WithReader([&] {
        timeStampFlag_ = 1;
        keyFrameOnlyFlag_ = 0;
        feedAudioFlag_ = 0;
        readerGate_->Reset();
        SetSpeed(kNormalSpeed, kFileFrameIntervalMs);
        owner_->ClearCache();
        ZAVI_Read_SetPosition(readerHandle_, 0);
        return ZAVI_OK;
    });
}

// Both frame steps set their mode under the reader lock, then run one
// reading step on the caller's thread, which takes the lock again.
int32_t FileReadMan::FrameBack()
{
    const int32_t status = WithReader([&] {
        timeStampFlag_ = 0;
        feedAudioFlag_ = 0;
        readerGate_->Reset();
        ZAVI_Read_SetReadKeyFrame(readerHandle_, 0);
        ZAVI_Read_SetReadOrder(readerHandle_, kReadBackward);
        SetSpeed(kNormalSpeed, kFileFrameIntervalMs);
        owner_->ClearCache();
        owner_->SetPreCacheCount(1);
        return ZAVI_OK;
    });
    if (status != ZAVI_OK) return status;
    ReadingStep();
    return ZAVI_OK;
}

int32_t FileReadMan::FrameForward()
{
    const int32_t status = WithReader([&] {
        feedAudioFlag_ = 0;
        readerGate_->Reset();
        ZAVI_Read_SetReadOrder(readerHandle_, kReadForward);
        ZAVI_Read_SetReadKeyFrame(readerHandle_, 0);
        if (keyFrameOnlyFlag_ == 1) {
            // Reading resumes frame by frame at the last key frame read.
            owner_->ClearCache();
            ZAVI_Read_SetPosition(readerHandle_, positionValue_);
            keyFrameOnlyFlag_ = 0;
            timeStampFlag_ = 0;
        }
        SetSpeed(kNormalSpeed, kFileFrameIntervalMs);
        owner_->SetPreCacheCount(1);
        return ZAVI_OK;
    });
    if (status != ZAVI_OK) return status;
    ReadingStep();
    return ZAVI_OK;
}

int32_t FileReadMan::Seek(float where)
{
    return WithReader([&] {
        owner_->ClearCache();
        return ZAVI_Read_Seek(readerHandle_, where);
    });
}

int32_t FileReadMan::SetPlayPosition(uint32_t position)
{
    return WithReader([&] {
        owner_->ClearCache();
        return ZAVI_Read_SetPosition(readerHandle_, position);
    });
}

int32_t FileReadMan::GetPlayPosition(uint32_t *position)
{
    return WithReader([&] { return ZAVI_Read_GetPosition(readerHandle_, position); });
}

int32_t FileReadMan::GetFileInfo(uint32_t *first, uint32_t *fourth)
{
    return WithReader([&] {
        uint32_t record[kFileInfoValues] = {};
        const int32_t status = ZAVI_Read_GetFileInfo(readerHandle_, record);
        if (status == 0) {
            *first = record[kFileInfoFirst];
            *fourth = record[kFileInfoFourth];
        }
        return status;
    });
}

int32_t FileReadMan::CloseFile()
{
    kernel::ScopedLock lock(readerLock_);
    if (readerHandle_ != 0) ZAVI_Read_CloseFile(readerHandle_);
    return ZAVI_OK;
}

int32_t FileReadMan::SetPlayLoop(uint8_t loop)
{
    return WithReader([&] { return ZAVI_Read_SetLoop(readerHandle_, loop); });
}

int32_t FileReadMan::GetTimeLine(ZAVI_UINTARG a, ZAVI_UINTARG b)
{
    return WithReader([&] { return ZAVI_Read_GetTimeLine(readerHandle_, a, b); });
}

int32_t FileReadMan::SetFastSearch(ZAVI_UINTARG a, ZAVI_UINTARG b, ZAVI_UINTARG c)
{
    return WithReader([&] { return ZAVI_Read_SetFastSearch(readerHandle_, a, b, c); });
}

int32_t FileReadMan::GetFirstRule(ZAVI_UINTARG a, ZAVI_UINTARG b)
{
    return WithReader([&] { return ZAVI_Read_GetFirstRule(readerHandle_, a, b); });
}

int32_t FileReadMan::GetNextRule(ZAVI_UINTARG a, ZAVI_UINTARG b)
{
    return WithReader([&] { return ZAVI_Read_GetNextRule(readerHandle_, a, b); });
}

int32_t FileReadMan::SetRule(const uint8_t *rulePacket, int32_t length)
{
    // The rule shows at once, whether or not a file is open.
    owner_->Intake(rulePacket, length, 1, 1);
    return WithReader([&] { return ZAVI_Read_SetRule(readerHandle_, rulePacket, length); });
}

} // namespace zavi
