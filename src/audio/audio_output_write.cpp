// AudioOutput: queuing blocks into the ring (pre-roll, running write with
// the once-per-lap cursor correction), the stall check, the run-dry check and
// the sound still queued.
#include <algorithm>
#include <cstring>

#include "audio/audio_output.h"
#include "audio/audio_output_constants.h"

namespace zavi {

using namespace audio_output;

void AudioOutput::AdvanceWriteOffset(uint32_t bytes) { writeOffset_ = std::min(writeOffset_ + bytes, bufferSize_); }

AudioOutput::Copied AudioOutput::CopyIntoRing(uint32_t offset, const uint8_t *data, uint32_t bytes)
{
    void *part1 = nullptr;
    void *part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    buffer_->Lock(offset, bytes, &part1, &bytes1, &part2, &bytes2);
    Copied copied = {bytes, false};
    if (part1 != nullptr) {
        copied = {std::min(bytes1, bytes), bytes1 < bytes};
        std::memcpy(part1, data, copied.advance);
    }
    buffer_->Unlock(part1, bytes1, part2, bytes2);
    return copied;
}

void AudioOutput::Write(const uint8_t *data, uint32_t bytes)
{
    if (buffer_ == nullptr || bytes > bufferSize_) return;
    CheckStall();
    if (!playing_) PreRollWrite(data, bytes);
    else RunningWrite(data, bytes);
}

void AudioOutput::CheckStall()
{
    uint32_t play = 0;
    uint32_t write = 0;
    buffer_->GetCurrentPosition(&play, &write);
    const int64_t stallLine = static_cast<int64_t>(static_cast<int32_t>(writeOffset_)) -
                              static_cast<int64_t>(kStallSeconds) * static_cast<int32_t>(bytesPerSecond_);
    if (play > write && static_cast<int32_t>(play) < stallLine) {
        buffer_->Stop();
        playing_ = false;
        writeOffset_ = 0;
    }
}

void AudioOutput::PreRollWrite(const uint8_t *data, uint32_t bytes)
{
    buffer_->SetCurrentPosition(0);
    const Copied copied = CopyIntoRing(writeOffset_, data, bytes);
    if (copied.shortPiece) buffer_->Restore();
    AdvanceWriteOffset(copied.advance);
    if (writeOffset_ >= kPreRollBytes) {
        preRollAmount_ = writeOffset_;
        playing_ = true;
        buffer_->Play(0, 0, sound::kPlayLooping);
    }
}

void AudioOutput::RunningWrite(const uint8_t *data, uint32_t bytes)
{
    if (bufferSize_ - writeOffset_ >= bytes) {
        AdvanceWriteOffset(CopyIntoRing(writeOffset_, data, bytes).advance);
        return;
    }
    WrapWrite(data, bytes);
}

void AudioOutput::WrapWrite(const uint8_t *data, uint32_t bytes)
{
    // Once per lap: the play cursor goes back to exactly the pre-roll amount
    // behind the data written so far.
    buffer_->SetCurrentPosition(writeOffset_ - preRollAmount_);
    const uint32_t tail = bufferSize_ - writeOffset_;
    if (tail != 0) {
        const Copied copied = CopyIntoRing(writeOffset_, data, tail);
        if (copied.shortPiece) {
            AdvanceWriteOffset(copied.advance);
            return;
        }
    }
    writeOffset_ = 0;
    const uint32_t rest = bytes - tail;
    if (rest != 0) AdvanceWriteOffset(CopyIntoRing(0, data + tail, rest).advance);
}

bool AudioOutput::CheckRunDry()
{
    if (buffer_ == nullptr || !playing_) return true;
    uint32_t play = 0;
    uint32_t write = 0;
    buffer_->GetCurrentPosition(&play, &write);
    if (writeOffset_ < play && play < writeOffset_ + bytesPerSecond_ * kRunDrySeconds) {
        Reset();
        return true;
    }
    return false;
}

bool AudioOutput::QueuedBytes(uint32_t &bytes)
{
    if (buffer_ == nullptr || (!playing_ && writeOffset_ == 0)) return false;
    if (!playing_) { // pre-roll: the play cursor is held at the ring's start
        bytes = writeOffset_;
        return true;
    }
    uint32_t play = 0;
    uint32_t write = 0;
    if (sound::Failed(buffer_->GetCurrentPosition(&play, &write))) return false;
    bytes = (writeOffset_ + bufferSize_ - play) % bufferSize_;
    return bytes + bytesPerSecond_ * kRunDrySeconds <= bufferSize_;
}

} // namespace zavi
