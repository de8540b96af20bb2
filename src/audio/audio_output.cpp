// AudioOutput: format, buffer creation, clearing, reset, release and volume.
#include "audio/audio_output.h"

#include <cstring>

#include "audio/audio_output_constants.h"
#include "audio/pcm_format.h"

namespace zavi {

using namespace audio_output;

AudioOutput::~AudioOutput() { Release(); }

bool AudioOutput::SetWindow(ZAVI_HWND window)
{
    window_ = window;
    return true;
}

bool AudioOutput::SetFormat(uint16_t channels, uint16_t bitsPerSample, uint32_t sampleRate)
{
    if (channels == channels_ && bitsPerSample == bitsPerSample_ && sampleRate == sampleRate_) return true;
    channels_ = channels;
    bitsPerSample_ = bitsPerSample;
    sampleRate_ = sampleRate;
    return Create(window_);
}

bool AudioOutput::Create(ZAVI_HWND window)
{
    if (window == 0) return false;
    Release();

    const sound::WaveFormat format = PcmWaveFormat(channels_, bitsPerSample_, sampleRate_);

    sound::BufferDescription description = {};
    description.size = sound::kBufferDescriptionSize;
    description.flags = kBufferFlags;
    description.bufferBytes = kRingSeconds * format.avgBytesPerSec;
    description.reserved = 0;
    description.format = &format;

    if (sound::Failed(sound::DirectSoundCreate(&device_))) return false;
    if (sound::Failed(device_->SetCooperativeLevel(window, sound::kCooperativeNormal)) ||
        sound::Failed(device_->CreateSoundBuffer(description, &buffer_))) {
        Release();
        return false;
    }
    bufferSize_ = description.bufferBytes;
    bytesPerSecond_ = format.avgBytesPerSec;
    Clear();
    buffer_->SetVolume(volume_);
    return true;
}

void AudioOutput::Clear()
{
    if (buffer_ == nullptr) return;
    buffer_->Stop();
    playing_ = false;
    writeOffset_ = 0;
    buffer_->SetCurrentPosition(0);
    void *part1 = nullptr;
    void *part2 = nullptr;
    uint32_t bytes1 = 0;
    uint32_t bytes2 = 0;
    buffer_->Lock(0, bufferSize_, &part1, &bytes1, &part2, &bytes2);
    if (part1 != nullptr) std::memset(part1, 0, bytes1);
    if (part2 != nullptr) std::memset(part2, 0, bytes2);
    buffer_->Unlock(part1, bytes1, part2, bytes2);
}

void AudioOutput::Reset()
{
    if (playing_) {
        buffer_->Stop();
        Clear();
        buffer_->SetCurrentPosition(0);
    }
    playing_ = false;
    writeOffset_ = 0;
    preRollAmount_ = 0;
}

void AudioOutput::Release()
{
    Reset();
    if (device_ != nullptr) {
        buffer_.reset();
        device_.reset();
    }
}

bool AudioOutput::SetVolume(int32_t volume)
{
    if (buffer_ != nullptr && sound::Failed(buffer_->SetVolume(volume))) return false;
    volume_ = volume;
    return true;
}

bool AudioOutput::GetVolume(int32_t *volume)
{
    if (volume == nullptr) return false;
    if (buffer_ == nullptr) {
        *volume = volume_;
        return true;
    }
    if (sound::Failed(buffer_->GetVolume(volume))) return false;
    volume_ = *volume;
    return true;
}

} // namespace zavi
