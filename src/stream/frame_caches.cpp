#include "stream/frame_caches.h"

namespace zavi::stream {

void FrameCaches::MarkAll(uint8_t timeStampFlag)
{
    audio.MarkQueued(timeStampFlag);
    video.MarkQueued(timeStampFlag);
}

bool FrameCaches::PrepareAudioAndVideo()
{
    return audio.Prepare() && video.Prepare();
}

bool FrameCaches::CreateMotionVectorCache()
{
    return motionVector.Prepare();
}

bool FrameCaches::Resize(int32_t videoRingBytes, int32_t audioRingBytes)
{
    return audio.Resize(audioRingBytes) && video.Resize(videoRingBytes);
}

void FrameCaches::EmptyAudioAndVideo()
{
    audio.Empty();
    video.Empty();
}

void FrameCaches::ReleaseAll()
{
    video.Release();
    audio.Release();
    motionVector.Release();
}

} // namespace zavi::stream
