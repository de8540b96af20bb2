// Sound devices of the platform layer: a playback device with looping
// secondary buffers, and a capture device with looping capture buffers and
// notification positions. The interfaces follow DirectSound and
// DirectSoundCapture call for call (DirectSoundCreate, IDirectSound,
// IDirectSoundBuffer, DirectSoundCaptureCreate, IDirectSoundCaptureBuffer,
// IDirectSoundNotify) with the same arguments, values and results, so code
// above this layer reads the same on every backend. Failures are negative
// HRESULT-like codes; 0 is success.
//
// Destroying an object is its Release. A buffer may outlive the device that
// created it. None of the objects is shared between threads by its users:
// each owner serialises its own calls (a backend's own playback thread is the
// backend's business).
#pragma once

#include <cstdint>
#include <memory>

#include "platform/kernel.h"

namespace zavi::sound {

using HResult = int32_t;

inline constexpr HResult kOk = 0;
inline constexpr HResult kErrGeneric = static_cast<HResult>(0x80004005u);          // DSERR_GENERIC
inline constexpr HResult kErrInvalidParam = static_cast<HResult>(0x80070057u);     // DSERR_INVALIDPARAM
inline constexpr HResult kErrOutOfMemory = static_cast<HResult>(0x8007000Eu);      // DSERR_OUTOFMEMORY
inline constexpr HResult kErrControlUnavail = static_cast<HResult>(0x8878001Eu);   // DSERR_CONTROLUNAVAIL
inline constexpr HResult kErrInvalidCall = static_cast<HResult>(0x88780032u);      // DSERR_INVALIDCALL
inline constexpr HResult kErrPrioLevelNeeded = static_cast<HResult>(0x88780046u);  // DSERR_PRIOLEVELNEEDED
inline constexpr HResult kErrBadFormat = static_cast<HResult>(0x88780064u);        // DSERR_BADFORMAT
inline constexpr HResult kErrNoDriver = static_cast<HResult>(0x88780078u);         // DSERR_NODRIVER
inline constexpr HResult kErrBufferLost = static_cast<HResult>(0x88780096u);       // DSERR_BUFFERLOST

inline bool Failed(HResult result) { return result < 0; }

// WAVEFORMATEX. Only PCM is played and captured.
struct WaveFormat {
    uint16_t formatTag;
    uint16_t channels;
    uint32_t samplesPerSec;
    uint32_t avgBytesPerSec;
    uint16_t blockAlign;
    uint16_t bitsPerSample;
    uint16_t cbSize;
};
inline constexpr uint16_t kWaveFormatPcm = 1; // WAVE_FORMAT_PCM

// DSBUFFERDESC. `size` carries the structure size of the 32-bit Windows
// layout (kBufferDescriptionSize); a buffer description of any other size is
// refused as DirectSound refuses it.
struct BufferDescription {
    uint32_t size;
    uint32_t flags;
    uint32_t bufferBytes;
    uint32_t reserved;
    const WaveFormat *format;
};
inline constexpr uint32_t kBufferDescriptionSize = 36;

// DSBCAPS_* buffer flags.
inline constexpr uint32_t kBufferCtrlVolume = 0x80;
inline constexpr uint32_t kBufferGlobalFocus = 0x8000;
inline constexpr uint32_t kBufferGetCurrentPosition2 = 0x10000;

// DSSCL_NORMAL cooperative level; DSBPLAY_LOOPING play flag.
inline constexpr uint32_t kCooperativeNormal = 1;
inline constexpr uint32_t kPlayLooping = 1;

// Limits DirectSound enforces: buffer sizes (DSBSIZE_MIN / DSBSIZE_MAX),
// sample rates (DSBFREQUENCY_MIN / DSBFREQUENCY_MAX) and volumes
// (DSBVOLUME_MIN / DSBVOLUME_MAX, hundredths of a decibel of attenuation).
inline constexpr uint32_t kMinBufferBytes = 4;
inline constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;
inline constexpr uint32_t kMinSampleRate = 100;
inline constexpr uint32_t kMaxSampleRate = 200000;
inline constexpr int32_t kVolumeMin = -10000;
inline constexpr int32_t kVolumeMax = 0;

// IDirectSoundBuffer: a secondary buffer that plays as a ring.
class SoundBuffer {
public:
    virtual ~SoundBuffer() = default;
    SoundBuffer(const SoundBuffer &) = delete;
    SoundBuffer &operator=(const SoundBuffer &) = delete;

    // Locks `bytes` from `offset` for writing. A region that passes the end of
    // the buffer comes back in two pieces, the second from offset 0; the
    // second piece is null with length 0 otherwise.
    virtual HResult Lock(uint32_t offset, uint32_t bytes, void **part1, uint32_t *bytes1, void **part2,
                         uint32_t *bytes2) = 0;
    virtual HResult Unlock(void *part1, uint32_t bytes1, void *part2, uint32_t bytes2) = 0;
    // Play(reserved, priority, flags): flags kPlayLooping loops; without it the
    // buffer plays to its end once and stops there.
    virtual HResult Play(uint32_t reserved, uint32_t priority, uint32_t flags) = 0;
    virtual HResult Stop() = 0;
    // The play cursor, and the write cursor: the first byte that is still
    // safe to write (ahead of the play cursor while playing, equal to it
    // while stopped).
    virtual HResult GetCurrentPosition(uint32_t *playCursor, uint32_t *writeCursor) = 0;
    virtual HResult SetCurrentPosition(uint32_t playCursor) = 0;
    virtual HResult SetVolume(int32_t volume) = 0;
    virtual HResult GetVolume(int32_t *volume) = 0;
    // Restores the memory of a lost buffer.
    virtual HResult Restore() = 0;

protected:
    SoundBuffer() = default;
};

// IDirectSound: the default playback device.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    SoundDevice(const SoundDevice &) = delete;
    SoundDevice &operator=(const SoundDevice &) = delete;

    // Binds the device to a window; buffers can be created only after it.
    virtual HResult SetCooperativeLevel(uintptr_t window, uint32_t level) = 0;
    virtual HResult CreateSoundBuffer(const BufferDescription &description, std::unique_ptr<SoundBuffer> *buffer) = 0;

protected:
    SoundDevice() = default;
};

// DirectSoundCreate with the default device (null device GUID) of the
// selected backend.
HResult DirectSoundCreate(std::unique_ptr<SoundDevice> *device);

// ---- Capture ------------------------------------------------------------

// DSCBUFFERDESC with its two effect fields.
struct CaptureBufferDescription {
    uint32_t size;
    uint32_t flags;
    uint32_t bufferBytes;
    uint32_t reserved;
    const WaveFormat *format;
    uint32_t fxCount;
    const void *fxDescriptions;
};
inline constexpr uint32_t kCaptureBufferDescriptionSize = 28;

// DSCBSTART_LOOPING.
inline constexpr uint32_t kCaptureStartLooping = 1;

// DSBPOSITIONNOTIFY: `event` is set when the capture cursor passes `offset`.
struct PositionNotify {
    uint32_t offset;
    kernel::Event *event;
};

// IDirectSoundCaptureBuffer, with the IDirectSoundNotify of the buffer
// folded in (SetNotificationPositions).
class CaptureBuffer {
public:
    virtual ~CaptureBuffer() = default;
    CaptureBuffer(const CaptureBuffer &) = delete;
    CaptureBuffer &operator=(const CaptureBuffer &) = delete;

    virtual HResult Start(uint32_t flags) = 0;
    virtual HResult Stop() = 0;
    // The capture cursor, and the read cursor: the end of the data that is
    // safe to read.
    virtual HResult GetCurrentPosition(uint32_t *captureCursor, uint32_t *readCursor) = 0;
    virtual HResult Lock(uint32_t offset, uint32_t bytes, const void **part1, uint32_t *bytes1,
                         const void **part2, uint32_t *bytes2) = 0;
    virtual HResult Unlock(const void *part1, uint32_t bytes1, const void *part2, uint32_t bytes2) = 0;
    // Only while the buffer is stopped; the events stay owned by the caller
    // and must outlive the buffer.
    virtual HResult SetNotificationPositions(uint32_t count, const PositionNotify *positions) = 0;

protected:
    CaptureBuffer() = default;
};

// IDirectSoundCapture: the default capture device.
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;
    CaptureDevice(const CaptureDevice &) = delete;
    CaptureDevice &operator=(const CaptureDevice &) = delete;

    virtual HResult CreateCaptureBuffer(const CaptureBufferDescription &description,
                                        std::unique_ptr<CaptureBuffer> *buffer) = 0;

protected:
    CaptureDevice() = default;
};

// DirectSoundCaptureCreate with the default device of the selected backend.
HResult DirectSoundCaptureCreate(std::unique_ptr<CaptureDevice> *device);

} // namespace zavi::sound
