// Construction, initialisation and teardown of a player.
#include "player/play_man.h"

#include <cstdlib>

namespace zavi {

PlayMan::PlayMan() { reader_.SetOwner(this); }

PlayMan::~PlayMan()
{
    Teardown();
    // The sub-objects are destroyed by the language in reverse order of
    // declaration: reader, decoder lock, display, audio output, caches; the
    // thread base last, which stops its threads again, harmlessly.
}

int32_t PlayMan::Initialise(ZAVI_HWND window)
{
    Teardown();
    {
        kernel::ScopedLock lock(playerLock_);
        displayWindow_ = window;
        const bool ready = Start() && caches_.PrepareAudioAndVideo() &&
                           ZAVI_VideoDec_Init(&videoDecoder_) == ZAVIDEC_OK &&
                           ZAVI_AudioDec_Init(&audioDecoder_) == ZAVIDEC_OK;
        if (ready) {
            kernel::ScopedLock output(audioOutputLock_);
            audioOutput_.SetWindow(window);
            initialised_ = 1;
            emptyPollCount_ = 0;
            playMode_ = ZAVI_PLAYMODE_PLAYING;
            videoType_ = kDefaultVideoType;
            playTimeStampValid_ = 0;
            playTimeStamp_ = 0;
            return ZAVI_OK;
        }
    }
    Teardown();
    return ZAVI_ERR_FAIL;
}

void PlayMan::Teardown()
{
    // The reader thread enters the intake, which takes the player lock, so it
    // is stopped before that lock is taken; reverse play reads through it.
    reverse_.Shutdown();
    reader_.Shutdown();

    kernel::ScopedLock lock(playerLock_);
    initialised_ = 0;
    displayWindow_ = 0;
    Stop();
    caches_.ReleaseAll();
    motionVectorFlag_ = 0;
    if (videoDecoder_ != 0) {
        kernel::ScopedLock decoding(decoderLock_);
        ZAVI_VideoDec_Release(videoDecoder_);
        videoDecoder_ = 0;
    }
    if (audioDecoder_ != 0) {
        ZAVI_AudioDec_Release(audioDecoder_);
        audioDecoder_ = 0;
    }
    snapshotBuffer1Size_ = 0;
    snapshotBuffer2Size_ = 0;
    std::free(snapshotBuffer1_);
    std::free(snapshotBuffer2_);
    snapshotBuffer1_ = nullptr;
    snapshotBuffer2_ = nullptr;
}

} // namespace zavi
