// AudioOutput: plays a sequence of PCM blocks through one looping sound
// buffer used as a ring of four seconds. It takes its format from the blocks
// (SetFormat), copies them byte for byte into the ring, pre-rolls a fixed
// number of bytes before it starts the looping playback, and on every lap
// puts the play cursor back to exactly the pre-roll distance behind the
// writer, which removes the drift between the sound card's clock and the
// source's pace. Volume is the buffer's own attenuation, in hundredths of a
// decibel (0 full, -10000 silent).
//
// Calling order: SetWindow once; then for each block SetFormat with the
// block's format and, only when it returned true, Write. Reset and Clear may
// come at any time; the next Write then starts a new pre-roll.
//
// The object has no lock: its owner serialises every call.
#pragma once

#include <cstdint>
#include <memory>

#include "ZAVIPlaySDK.h"
#include "platform/sound.h"

namespace zavi {

class AudioOutput {
public:
    AudioOutput() = default;
    ~AudioOutput();
    AudioOutput(const AudioOutput &) = delete;
    AudioOutput &operator=(const AudioOutput &) = delete;

    // Stores the window given to the device's cooperative level; always true.
    bool SetWindow(ZAVI_HWND window);
    // True when a buffer for this format is ready (at once if the format is
    // the stored one, else after rebuilding the buffer with Create).
    bool SetFormat(uint16_t channels, uint16_t bitsPerSample, uint32_t sampleRate);
    // Builds device and buffer for the stored format; false (and no buffer)
    // without a window or when the device refuses.
    bool Create(ZAVI_HWND window);
    // Queues one block; blocks larger than the ring, or without a buffer, are
    // dropped.
    void Write(const uint8_t *data, uint32_t bytes);
    // After a dropped frame: resets the output when the play cursor has
    // overtaken the data. True if it reset or there was nothing to check.
    bool CheckRunDry();
    // Stops, rewinds and zero-fills the whole ring.
    void Clear();
    // Stops and forgets what was queued: back to pre-roll from offset 0.
    void Reset();
    // Reset, then drops buffer and device.
    void Release();
    bool SetVolume(int32_t volume);
    bool GetVolume(int32_t *volume);
    // The bytes written that the device has still to play: the sound that
    // will be heard before the next block written. False while nothing is
    // queued (no buffer, nothing written since the last reset), when the
    // device cannot tell its play position, or when the play cursor has
    // overtaken the data (the ring has run dry and sounds old data).
    bool QueuedBytes(uint32_t &bytes);

    // Read-only views.
    bool IsPlaying() const { return playing_; }
    uint32_t PreRollAmount() const { return preRollAmount_; }
    uint32_t WriteOffset() const { return writeOffset_; }
    uint32_t BufferSize() const { return bufferSize_; }
    uint32_t BytesPerSecond() const { return bytesPerSecond_; }
    bool HasBuffer() const { return buffer_ != nullptr; }

private:
    // What one lock-copy-unlock of a region achieved.
    struct Copied {
        uint32_t advance; // bytes the write offset moves on
        bool shortPiece;  // the device gave less than asked: the rest is dropped
    };

    Copied CopyIntoRing(uint32_t offset, const uint8_t *data, uint32_t bytes);
    void CheckStall();
    void PreRollWrite(const uint8_t *data, uint32_t bytes);
    void RunningWrite(const uint8_t *data, uint32_t bytes);
    void WrapWrite(const uint8_t *data, uint32_t bytes);
    void AdvanceWriteOffset(uint32_t bytes);

    bool playing_ = false;
    uint32_t preRollAmount_ = 0;
    std::unique_ptr<sound::SoundDevice> device_;
    std::unique_ptr<sound::SoundBuffer> buffer_;
    uint32_t bufferSize_ = 0;
    uint32_t writeOffset_ = 0;
    uint16_t channels_ = 0;
    uint16_t bitsPerSample_ = 0;
    uint32_t sampleRate_ = 0;
    ZAVI_HWND window_ = 0;
    int32_t volume_ = 0;
    uint32_t bytesPerSecond_ = 0;
};

} // namespace zavi
