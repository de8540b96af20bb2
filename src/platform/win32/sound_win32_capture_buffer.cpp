#include "platform/win32/sound_win32_capture_buffer.h"

#include <vector>

#include "platform/win32/sound_win32_results.h"

namespace zavi::sound::win32_backend {

Win32CaptureBuffer::Win32CaptureBuffer(ComReference<IDirectSoundCapture8> device,
                                       ComReference<IDirectSoundCaptureBuffer> buffer)
    : device_(std::move(device)), buffer_(std::move(buffer))
{
}

HResult Win32CaptureBuffer::Start(uint32_t flags) { return Result(buffer_->Start(flags)); }

HResult Win32CaptureBuffer::Stop() { return Result(buffer_->Stop()); }

HResult Win32CaptureBuffer::GetCurrentPosition(uint32_t *captureCursor, uint32_t *readCursor)
{
    NativeOut<DWORD, uint32_t> capture(captureCursor);
    NativeOut<DWORD, uint32_t> read(readCursor);
    return Result(buffer_->GetCurrentPosition(capture.Slot(), read.Slot()));
}

HResult Win32CaptureBuffer::Lock(uint32_t offset, uint32_t bytes, const void **part1, uint32_t *bytes1,
                                 const void **part2, uint32_t *bytes2)
{
    NativeOut<void *, const void *> start1(part1);
    NativeOut<DWORD, uint32_t> length1(bytes1);
    NativeOut<void *, const void *> start2(part2);
    NativeOut<DWORD, uint32_t> length2(bytes2);
    return Result(buffer_->Lock(offset, bytes, start1.Slot(), length1.Slot(), start2.Slot(), length2.Slot(),
                                kLockRegion));
}

HResult Win32CaptureBuffer::Unlock(const void *part1, uint32_t bytes1, const void *part2, uint32_t bytes2)
{
    // DirectSound only reads the pointers back to find the locked region.
    return Result(buffer_->Unlock(const_cast<void *>(part1), bytes1, const_cast<void *>(part2), bytes2));
}

HResult Win32CaptureBuffer::SetNotificationPositions(uint32_t count, const PositionNotify *positions)
{
    if (count != 0 && positions == nullptr) return kErrInvalidParam;
    std::vector<DSBPOSITIONNOTIFY> native(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (positions[i].event == nullptr) return kErrInvalidParam;
        native[i].dwOffset = positions[i].offset;
        native[i].hEventNotify = reinterpret_cast<HANDLE>(positions[i].event->NativeHandle());
    }
    ComReference<IDirectSoundNotify> notify;
    const HResult found =
        Result(buffer_->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void **>(notify.Receive())));
    if (Failed(found)) return found;
    return Result(notify->SetNotificationPositions(count, native.data()));
}

} // namespace zavi::sound::win32_backend
