#include "platform/virtual/sound_virtual_buffer.h"

#include "platform/virtual/sound_virtual_faults.h"
#include "platform/virtual/sound_virtual_registry.h"

namespace zavi::sound::virtual_backend {

namespace {

// The write cursor runs this far ahead of the play cursor while playing, as
// a sound card's does.
constexpr uint32_t kWriteLeadMilliseconds = 10;
// Played bytes kept for tests: this many seconds of the buffer's format.
constexpr uint32_t kHistorySeconds = 8;
constexpr uint32_t kMillisecondsPerSecond = 1000;

uint32_t WriteLead(const WaveFormat &format)
{
    const uint32_t lead = format.avgBytesPerSec * kWriteLeadMilliseconds / kMillisecondsPerSecond;
    return lead - lead % format.blockAlign;
}

} // namespace

VirtualSoundBuffer::VirtualSoundBuffer(const BufferDescription &description, uintptr_t window)
    : RingSoundBuffer(description, WriteLead(*description.format)), window_(window),
      history_(kHistorySeconds * description.format->avgBytesPerSec), pace_(*description.format)
{
    RegisterBuffer(window_, this);
}

VirtualSoundBuffer::~VirtualSoundBuffer() { UnregisterBuffer(window_, this); }

void VirtualSoundBuffer::CatchUp()
{
    PlayOut(pace_.BytesSince(IsPlaying()),
            [this](const uint8_t *data, uint32_t length) { history_.Append(data, length); });
}

HResult VirtualSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void **part1, uint32_t *bytes1, void **part2,
                                 uint32_t *bytes2)
{
    if (part1 != nullptr && bytes1 != nullptr && TakeFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK)) {
        *part1 = nullptr;
        *bytes1 = 0;
        return kErrBufferLost;
    }
    const HResult result = RingSoundBuffer::Lock(offset, bytes, part1, bytes1, part2, bytes2);
    if (Failed(result) || !TakeFault(ZAVIVIRTUAL_SOUND_FAULT_LOCK_SHORT)) return result;
    const uint32_t half = *bytes1 / 2;
    *bytes1 = half - half % Format().blockAlign;
    if (part2 != nullptr) *part2 = nullptr;
    if (bytes2 != nullptr) *bytes2 = 0;
    return result;
}

HResult VirtualSoundBuffer::GetCurrentPosition(uint32_t *playCursor, uint32_t *writeCursor)
{
    if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_GET_POSITION)) return kErrGeneric;
    const HResult result = RingSoundBuffer::GetCurrentPosition(playCursor, writeCursor);
    if (writeCursor != nullptr && TakeFault(ZAVIVIRTUAL_SOUND_FAULT_STALE_WRITE_CURSOR)) *writeCursor = 0;
    return result;
}

HResult VirtualSoundBuffer::SetVolume(int32_t volume)
{
    if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_SET_VOLUME)) return kErrGeneric;
    return RingSoundBuffer::SetVolume(volume);
}

HResult VirtualSoundBuffer::GetVolume(int32_t *volume)
{
    if (TakeFault(ZAVIVIRTUAL_SOUND_FAULT_GET_VOLUME)) return kErrGeneric;
    return RingSoundBuffer::GetVolume(volume);
}

HResult VirtualSoundBuffer::Restore()
{
    kernel::ScopedLock lock(section_);
    ++restores_;
    return kOk;
}

void VirtualSoundBuffer::Describe(ZAVIVIRTUAL_SOUND_STATE &state)
{
    kernel::ScopedLock lock(section_);
    CatchUp();
    const WaveFormat &format = Format();
    state.exists = 1;
    state.playing = IsPlaying() ? 1 : 0;
    state.looping = IsLooping() ? 1 : 0;
    state.channels = format.channels;
    state.bitsPerSample = format.bitsPerSample;
    state.sampleRate = format.samplesPerSec;
    state.bufferBytes = Size();
    state.volume = Volume();
    state.restores = restores_;
    state.bytesPlayed = history_.Total();
    state.bytesUnread = history_.Unread();
    state.bytesLost = history_.Lost();
    RingSoundBuffer::GetCurrentPosition(&state.playCursor, &state.writeCursor);
}

uint32_t VirtualSoundBuffer::ReadPlayed(uint8_t *data, uint32_t capacity)
{
    kernel::ScopedLock lock(section_);
    CatchUp();
    return history_.Read(data, capacity);
}

} // namespace zavi::sound::virtual_backend
