// TalkBack: two-way audio between the PC and one device, behind a talkback
// handle of its own.
//
// Device to PC: SendToPc decodes each audio packet the caller received from
// the device with an audio decoder of the decoder module and plays the
// samples through the object's own AudioOutput.
//
// PC to device: the object owns the default capture device. Once started, a
// looping capture buffer of 25 notification steps captures in the format of
// the device's audio (following it while `following` is set) or in the
// format given to Start. A capture thread wakes at every notification, reads
// whole blocks of PCM out of the buffer, encodes each with the decoder
// module's audio encoder and hands the encoded packet to the capture-data
// callback, on the capture thread and outside the object's lock.
//
// The capture thread runs from Initialise to the tear-down. It reads only
// under the lock and only while a capture buffer runs, so a capture stop
// (which drops the buffer under the lock) ends the delivery after at most
// the block being delivered, and a new capture start picks it up again with
// the new buffer. A release from another thread waits for a callback in
// progress; a release from inside the callback takes effect once it returns.
//
// Locking: one recursive lock serialises the commands, the capture step's
// reading and encoding, and every call on the output. SendToPc decodes
// outside it, so packets must come from one thread at a time.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

#include "ZAVIDecSDK.h"
#include "ZAVIPlaySDK.h"
#include "audio/audio_output.h"
#include "audio/talkback_constants.h"
#include "platform/kernel.h"
#include "platform/sound.h"

namespace zavi {

class TalkBack {
public:
    // Channels, bits per sample and sample rate of the capture buffer; all
    // zero while none runs.
    struct CaptureFormat {
        uint16_t channels = 0;
        uint16_t bitsPerSample = 0;
        uint32_t sampleRate = 0;
        bool operator==(const CaptureFormat &) const = default;
    };

    // A consistent picture of the capture side, for tools and tests.
    struct CaptureView {
        bool capturing;
        bool following;
        uint32_t formatTag;
        CaptureFormat format;
        uint32_t bufferSize;
        uint32_t notificationStep;
        uint32_t blockSize;
        uint32_t readOffset;
        std::array<sound::PositionNotify, talkback::kNotificationCount> positions;
    };

    TalkBack() = default;
    ~TalkBack();
    TalkBack(const TalkBack &) = delete;
    TalkBack &operator=(const TalkBack &) = delete;

    // Opens the capture device and starts the capture thread; 0, or -1 when
    // either fails. `window` is used only for the output's cooperative level.
    int32_t Initialise(ZAVI_HWND window);
    // Null parameters: follow the device's audio. Otherwise capture in the
    // given format (following when it is already the current one or when
    // the capture cannot start). 0, or ZAVI_ERR_CAPTURE_FORMAT, changing
    // nothing, for a format the encoder cannot make packets of (also the
    // device's audio heard so far when following).
    int32_t Start(const ZAVI_WAVEFORMAT *parameters);
    // Capture stop: 0, or -1 without a capture device or when the buffer
    // refuses to stop. Also cuts the device's audio queued in the output.
    int32_t Stop();
    int32_t RegisterCaptureDataCallback(ZAVI_CaptureDataCallback callback, uintptr_t user1, uintptr_t user2);
    // Decodes and plays one audio packet; always 0.
    int32_t SendToPc(const uint8_t *data, int32_t length);
    int32_t SetVolume(int32_t volume);
    int32_t GetVolume(int32_t *volume);

    CaptureView DescribeCapture() const;

    // True, and the object goes once the callback has returned, when called
    // from inside the capture-data callback; false on any other thread.
    bool ReleaseFromCaptureCallback();

private:
    // One encoded block and the callback it goes to, taken under the lock.
    struct Delivery {
        const uint8_t *packet = nullptr;
        uint32_t length = 0;
        ZAVI_CaptureDataCallback callback = nullptr;
        uintptr_t user1 = 0;
        uintptr_t user2 = 0;
    };

    void TearDown();

    static bool CanEncode(uint32_t formatTag, CaptureFormat format);
    void FollowDevice();

    int32_t CaptureStart(CaptureFormat format);
    int32_t CaptureStop();
    void SetNotificationPositions();

    int32_t StartCaptureThread();
    void StopCaptureThread();
    static uint32_t CaptureThreadProcedure(void *self);
    uint32_t CaptureLoop();
    void CaptureStep();
    bool ReadBlock();
    Delivery EncodeBlock();
    bool OnCaptureThread() const;

    std::atomic<uint32_t> threadRunning_{0};
    // Set on the capture thread only, by a release from its callback.
    bool releasedFromCallback_ = false;
    std::unique_ptr<kernel::Thread> captureThread_;
    std::unique_ptr<kernel::Event> stopEvent_;
    std::unique_ptr<sound::CaptureDevice> captureDevice_;
    std::unique_ptr<sound::CaptureBuffer> captureBuffer_;
    bool capturing_ = false;
    std::array<sound::PositionNotify, talkback::kNotificationCount> positions_ = {};
    std::unique_ptr<kernel::Event> notificationEvent_;
    uint32_t captureBufferSize_ = 0;
    uint32_t readOffset_ = 0;
    uint32_t notificationStep_ = 0;
    uint32_t blockSize_ = 0;
    ZAVI_CaptureDataCallback callback_ = nullptr;
    uintptr_t user1_ = 0;
    uintptr_t user2_ = 0;
    mutable kernel::CriticalSection lock_;
    bool following_ = false;
    uint32_t formatTag_ = 0;
    CaptureFormat captureFormat_;
    // The format of the device's audio last heard; tag 0 before any.
    uint32_t deviceTag_ = 0;
    CaptureFormat deviceFormat_;
    std::array<uint8_t, talkback::kBlockBufferBytes> block_ = {};
    ZAVI_HWND window_ = 0;
    AudioOutput output_;
    ZAVIDEC_HANDLE decoder_ = 0;
    ZAVIDEC_HANDLE encoder_ = 0;
};

} // namespace zavi
