// PlayMan: everything one player needs. It derives from xPlayThread, whose
// video step (slot 0) and audio step (slot 1) it fills, and owns its caches,
// audio output, display object and recorded-file reader by value.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "ZAVIDecSDK.h"
#include "ZAVIPlaySDK.h"
#include "audio/audio_output.h"
#include "display/display.h"
#include "engine/picture_clock.h"
#include "engine/x_play_thread.h"
#include "file/file_read_man.h"
#include "platform/kernel.h"
#include "player/hidden_decode_policy.h"
#include "player/player_defaults.h"
#include "reverse/reverse_player.h"
#include "stream/frame_caches.h"

namespace zavi {

using display::Display;
using stream::FrameCaches;
using stream::TakenFrame;

class PlayMan : public xPlayThread {
public:
    PlayMan();
    ~PlayMan() override;

    int32_t Initialise(ZAVI_HWND window);
    void Teardown();

    // ---- Intake ---------------------------------------------------------
    int32_t Intake(const uint8_t *packet, int32_t length, uint8_t timeStampFlag, uint8_t displayFlag);

    // ---- Play control ---------------------------------------------------
    int32_t SetPlayMode(uint32_t mode);
    int32_t Play();
    int32_t Pause();
    int32_t Resume();
    int32_t FastPlay(int32_t step);
    int32_t FastPlayBack();
    int32_t FrameBack();
    int32_t FrameGo();
    int32_t OpenFile(ZAVI_UINTARG first, ZAVI_UINTARG second, uint32_t *result, uint8_t readerKind);
    int32_t SetPlaySpeed(float speed, float frameIntervalMs, uint8_t catchUp);
    int32_t SetPreCacheCount(uint32_t count);
    // The end of a recording: the frames queued play even below the
    // pre-cache count, as no frame will follow them.
    void PlayOutVideoCache();
    int32_t SetAdjustPriority(uint8_t videoLeads);
    int32_t SetVideoType(uint8_t videoType);
    int32_t SetAudioSwitch(uint8_t audioOn);
    int32_t GetPlayTimeStamp(uint32_t *timeStamp) const;
    int32_t SetVolume(int32_t volume);
    int32_t GetVolume(int32_t *volume);
    // Lip-sync with the sound heard (0 off, the default; 1 on).
    int32_t SetLipSync(uint8_t enabled);

    // ---- Caches ---------------------------------------------------------
    int32_t ClearCache();
    int32_t GetVideoFrameCount(uint32_t *count);
    int32_t GetAudioFrameCount(uint32_t *count);
    int32_t SetCacheProperty(uint8_t property);
    int32_t SetCacheSize(uint32_t videoSize, uint32_t audioSize);

    // ---- Display --------------------------------------------------------
    int32_t ChangeDisplayWindow(ZAVI_HWND window);
    int32_t RepaintWindow();
    int32_t SetPartDisplay(ZAVI_HWND window, const ZAVI_RECT *pictureRect);
    int32_t RegisterDrawCallback(ZAVI_DrawCallback callback, uintptr_t user1, uintptr_t user2);
    int32_t CaptureOnePicture(uint8_t **data, uint32_t *size, int32_t format);

    // ---- Sub-objects reached by the exports and the reader ---------------
    Display &DisplayObject() { return display_; }
    FileReadMan &Reader() { return reader_; }
    FrameCaches &Caches() { return caches_; }
    HiddenDecodePolicy &HiddenDecode() { return hiddenDecode_; }
    reverse::ReversePlayer &Reverse() { return reverse_; }

    // ---- Reverse play (reverse_hold.cpp) ----------------------------------
    // Stops reading, both playback threads and the sound, and leaves the
    // player paused, for reverse play to show pictures of its own; the
    // reader's status (ZAVI_ERR_NO_READER without a recording).
    int32_t HoldForReverse();
    // Shows a decoded I420 picture under the decoder lock, as the video step
    // shows the ones it decodes.
    int32_t ShowStill(const uint8_t *i420, uint32_t width, uint32_t height, uint32_t timeStamp);
    // The time stamp of the picture shown last; false before any.
    bool LastShownTimeStamp(uint32_t &timeStamp) const;

    // Decodes and shows one taken video frame under the decoder lock; used by
    // the video step, which gives the moment its step began so that the
    // picture is shown at the picture clock's offset after it, and by
    // single-frame play, which shows it at once.
    static constexpr int64_t kShowAtOnce = -1;
    int32_t DecodeAndShow(const TakenFrame &frame, int64_t stepStartUs = kShowAtOnce);
    // The video step's sleep while its picture is ahead of the sound.
    void WaitForTheSound(uint32_t milliseconds, uint32_t pictureStamp);
    bool SoundReachedThePicture(uint32_t pictureStamp);

    // Read-only views for the playback steps and tests.
    uint32_t PlayMode() const { return playMode_; }
    bool IsInitialised() const { return initialised_ != 0; }

protected:
    void VideoStep() override;
    void AudioStep() override;

private:
    bool IsVideoOfSelectedFamily(uint16_t frameType) const;
    int32_t IntakeExtraData(const uint8_t *packet, int32_t length);
    bool PairMotionVectors(uint32_t pictureTime, ZAVIDEC_MVRESULT &motion);
    int32_t DecodeAndOutputAudio(TakenFrame &frame);
    // Makes the display's surfaces fit a picture size; the driver's result.
    int32_t FitDisplay(uint32_t width, uint32_t height);
    // Lip-sync (src/engine/picture_timing.cpp).
    bool LipSyncApplies() const;
    bool StampAheadOfSoundUs(uint32_t timeStamp, int64_t &aheadUs);
    void NoteSoundWritten(uint32_t timeStamp, uint32_t frameBytes);
    void WaitForThePictureSound(uint32_t timeStamp);
    void HoldUntilDue(const TakenFrame &frame, int64_t stepStartUs);
    int64_t PictureIntervalUs() const;
    void ResetAudioOutput();
    // Copies a picture reverse play shows into the still and makes it the
    // decoded picture (under the decoder lock); false without memory.
    bool HoldStill(const uint8_t *i420, uint32_t width, uint32_t height);

    // Fields in the order of their roles in the player (see player_defaults.h
    // for the values set at construction and initialisation). The playback
    // threads read the play parameters without the player lock; each is one
    // value written whole, hence atomic.
    std::atomic<ZAVI_HWND> displayWindow_ = 0;
    std::atomic<uint8_t> initialised_ = 0;
    FrameCaches caches_;
    AudioOutput audioOutput_;
    Display display_;
    std::atomic<uint8_t> videoType_ = kDefaultVideoType;
    std::atomic<uint8_t> adjustPriority_ = kDefaultAdjustPriority;
    std::atomic<uint8_t> playTimeStampValid_ = 0;
    std::atomic<uint32_t> playTimeStamp_ = 0;
    std::atomic<int32_t> preCacheCount_ = kDefaultPreCacheCount;
    std::atomic<float> timeScale_ = kDefaultTimeScale;
    std::atomic<float> frameInterval_ = kDefaultFrameIntervalMs;
    std::atomic<uint8_t> catchUp_ = kDefaultCatchUp;
    std::atomic<uint8_t> audioSwitch_ = kDefaultAudioSwitch;
    ZAVIDEC_HANDLE videoDecoder_ = 0;
    ZAVIDEC_HANDLE audioDecoder_ = 0;
    std::atomic<int32_t> emptyPollCount_ = 0;
    std::atomic<uint32_t> playMode_ = ZAVI_PLAYMODE_PLAYING;
    uint8_t ruleBlock_[kRuleBlockSize] = {};
    uint8_t motionVectorFlag_ = 0;
    TakenFrame currentMotionVectorFrame_ = {};
    // The video cache hands out frames in one shared copy buffer, and it has
    // two takers: the video step and single-frame play. Each holds this lock
    // from its take until it is done with the frame.
    kernel::CriticalSection videoTakeLock_;
    // Set while single-frame play waits for that lock: the video step then
    // cuts short a wait for the sound, so the command never waits it out.
    std::atomic<bool> singleFrameWanted_ = false;
    kernel::CriticalSection decoderLock_;
    // Judged under the decoder lock, before each video decode.
    HiddenDecodePolicy hiddenDecode_;
    // Serialises the audio output between the audio thread and the commands
    // (the output has no lock of its own); always the innermost player lock.
    kernel::CriticalSection audioOutputLock_;
    // The last audio frame written to the output (under its lock): its time
    // stamp and its bytes, the sound queued ends with them.
    uint32_t soundFrameStamp_ = 0;
    uint32_t soundFrameBytes_ = 0;
    std::atomic<uint8_t> lipSync_ = 0;
    // When pictures are shown (under the decoder lock).
    PictureClock pictureClock_;
    ZAVIDEC_PICTURE decodedPicture_ = {};
    // The copy of the picture reverse play or frame-back shows, which the
    // decoded picture then points at; it grows to the largest picture.
    std::unique_ptr<uint8_t[]> stillPicture_;
    size_t stillBytes_ = 0;
    std::atomic<uint32_t> shownTimeStamp_ = 0;
    std::atomic<bool> shownAny_ = false;
    // Held through a whole snapshot: two captures at once would otherwise
    // grow and fill the snapshot buffers while the other reads them (the
    // JPEG is encoded from buffer 1 outside the decoder lock). Taken before
    // the decoder lock.
    kernel::CriticalSection snapshotLock_;
    int32_t snapshotBuffer1Size_ = 0;
    uint8_t *snapshotBuffer1_ = nullptr;
    int32_t snapshotBuffer2Size_ = 0;
    uint8_t *snapshotBuffer2_ = nullptr;
    FileReadMan reader_;
    kernel::CriticalSection playerLock_;
    reverse::ReversePlayer reverse_{*this};
};

} // namespace zavi
