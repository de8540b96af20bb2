#include "platform/win32/sound_win32_buffer.h"

#include "platform/win32/sound_win32_results.h"

namespace zavi::sound::win32_backend {

Win32SoundBuffer::Win32SoundBuffer(ComReference<IDirectSound8> device, ComReference<IDirectSoundBuffer> buffer)
    : device_(std::move(device)), buffer_(std::move(buffer))
{
}

HResult Win32SoundBuffer::Lock(uint32_t offset, uint32_t bytes, void **part1, uint32_t *bytes1, void **part2,
                               uint32_t *bytes2)
{
    NativeOut<DWORD, uint32_t> length1(bytes1);
    NativeOut<DWORD, uint32_t> length2(bytes2);
    return Result(buffer_->Lock(offset, bytes, part1, length1.Slot(), part2, length2.Slot(), kLockRegion));
}

HResult Win32SoundBuffer::Unlock(void *part1, uint32_t bytes1, void *part2, uint32_t bytes2)
{
    return Result(buffer_->Unlock(part1, bytes1, part2, bytes2));
}

HResult Win32SoundBuffer::Play(uint32_t reserved, uint32_t priority, uint32_t flags)
{
    return Result(buffer_->Play(reserved, priority, flags));
}

HResult Win32SoundBuffer::Stop() { return Result(buffer_->Stop()); }

HResult Win32SoundBuffer::GetCurrentPosition(uint32_t *playCursor, uint32_t *writeCursor)
{
    NativeOut<DWORD, uint32_t> play(playCursor);
    NativeOut<DWORD, uint32_t> write(writeCursor);
    return Result(buffer_->GetCurrentPosition(play.Slot(), write.Slot()));
}

HResult Win32SoundBuffer::SetCurrentPosition(uint32_t playCursor)
{
    return Result(buffer_->SetCurrentPosition(playCursor));
}

HResult Win32SoundBuffer::SetVolume(int32_t volume) { return Result(buffer_->SetVolume(volume)); }

HResult Win32SoundBuffer::GetVolume(int32_t *volume)
{
    NativeOut<LONG, int32_t> attenuation(volume);
    return Result(buffer_->GetVolume(attenuation.Slot()));
}

HResult Win32SoundBuffer::Restore() { return Result(buffer_->Restore()); }

} // namespace zavi::sound::win32_backend
