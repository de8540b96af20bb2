// FileReadMan: plays a recording by pulling its packets through the file
// module and pushing them into the owning player's intake, exactly as a live
// stream is pushed by a client. Its thread keeps at most two video frames
// ahead of playback. It also carries the file commands.
//
// Locking: the reader lock guards the file module's reader and the reading
// settings; the status lock guards the status callback and is held while it
// runs. A reading step reads under the reader lock and reports after leaving
// it, so a command never waits for the end-of-recording drain.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "ZAVIFileSDK.h"
#include "ZAVIPlaySDK.h"
#include "engine/zavi_thread.h"
#include "platform/kernel.h"

namespace zavi {

class PlayMan;

class FileReadMan : public ZAVIThread {
public:
    FileReadMan() = default;
    ~FileReadMan() override;

    void SetOwner(PlayMan *owner) { owner_ = owner; }

    int32_t Open(ZAVI_UINTARG first, ZAVI_UINTARG second, uint32_t *result, uint8_t kind);
    void Shutdown();
    // One reading step on the caller's thread (the frame steps).
    int32_t ReadingStep();

    // Reader gate.
    int32_t Resume();
    int32_t Pause();

    // Reading modes.
    int32_t Play() { return PlayAtLevel(kNormalLevel); }
    int32_t FastPlay(int32_t level) { return PlayAtLevel(level); }
    int32_t FastPlayBack();
    int32_t FrameBack();
    int32_t FrameForward();
    int32_t StopPlay();

    // Positions and pass-through queries.
    int32_t Seek(float where);
    int32_t SetPlayPosition(uint32_t position);
    int32_t GetPlayPosition(uint32_t *position);
    int32_t GetFileInfo(uint32_t *first, uint32_t *fourth);
    int32_t CloseFile();
    int32_t SetPlayLoop(uint8_t loop);
    int32_t GetTimeLine(ZAVI_UINTARG a, ZAVI_UINTARG b);
    int32_t SetFastSearch(ZAVI_UINTARG a, ZAVI_UINTARG b, ZAVI_UINTARG c);
    int32_t GetFirstRule(ZAVI_UINTARG a, ZAVI_UINTARG b);
    int32_t GetNextRule(ZAVI_UINTARG a, ZAVI_UINTARG b);
    int32_t SetRule(const uint8_t *rulePacket, int32_t length);

    // Reverse play and exact frame-back read groups of pictures themselves:
    // the video frames from `from` (a key frame) up to `end` (exclusive) in
    // file order, each handed to the visitor (which uses or copies it at
    // once: the packet is the module's until the next read) until it returns
    // false.
    // Runs under the reader lock; leaves reading forward, all frames, at an
    // unspecified position. ZAVI_OK at `end` or the recording's end.
    class FrameVisitor {
    public:
        virtual bool Visit(const uint8_t *packet, uint32_t length, uint32_t position) = 0;

    protected:
        ~FrameVisitor() = default;
    };
    int32_t ReadVideoFrames(uint32_t from, uint32_t end, FrameVisitor &visitor);

    int32_t RegisterStatusCallback(ZAVI_PlayStatusCallback callback, uintptr_t user1, uintptr_t user2);

protected:
    uint32_t Body(kernel::Event &stopEvent) override;

private:
    static constexpr int32_t kNormalLevel = 1;

    // What one reading step read up to: its last status and the position.
    struct StepResult {
        int32_t status;
        uint32_t position;
        bool packetBoundReached;
    };

    int32_t PlayAtLevel(int32_t level);
    void SetSpeed(float speed, float frameIntervalMs);
    // Reads up to the next picture to show, under the reader lock; nothing
    // when `gated` and the reader gate is closed.
    std::optional<StepResult> ReadPackets(bool gated);
    bool FeedPacket(const uint8_t *packet, uint32_t length, int32_t status);
    void Report(StepResult result);
    void WaitForVideoCacheToDrain();

    // Runs `command` under the reader lock, or answers -998 without a reader.
    template <typename Command>
    int32_t WithReader(Command &&command);

    PlayMan *owner_ = nullptr;
    ZAVIFILE_HANDLE readerHandle_ = 0;
    uint8_t readerKind_ = 0;
    // Made by the first open and kept until the shut-down, so it exists
    // whenever a reader handle does.
    std::unique_ptr<kernel::Event> readerGate_;
    ZAVI_PlayStatusCallback statusCallback_ = nullptr;
    uintptr_t user1_ = 0;
    uintptr_t user2_ = 0;
    kernel::CriticalSection statusLock_;
    uint8_t timeStampFlag_ = 1;
    uint8_t keyFrameOnlyFlag_ = 0;
    uint8_t feedAudioFlag_ = 1;
    uint32_t positionValue_ = 0;
    kernel::CriticalSection readerLock_;
};

template <typename Command>
int32_t FileReadMan::WithReader(Command &&command)
{
    kernel::ScopedLock lock(readerLock_);
    if (readerHandle_ == 0) return ZAVI_ERR_NO_READER;
    return command();
}

} // namespace zavi
