// Reverse play and exact frame-back for a player's recording.
//
// A group of pictures can only be decoded forward from its key frame, so
// each group is decoded once into a bank of the picture pool and shown from
// its last picture to its first. Reverse play runs two threads: the decode
// thread fills one bank with the group before the one the show thread is
// showing from the other, and the show thread paces the pictures by their
// time stamps at the chosen speed. Frame-back runs on the caller's thread
// and finds the picture in a bank, or decodes its group (up to it) first;
// then a prefetch thread decodes the group before into the other bank, so
// that stepping on back across the key frame finds it decoded.
//
// Once a client has used reverse play or frame-back on a player, forward
// play between the reverse commands copies each picture it decodes into a
// bank, from each key frame on (forward_pictures.cpp): the first frame-back
// after forward play then finds the picture before in that bank.
//
// Locks: the command lock serialises the commands and is taken before the
// reader lock; the decode thread reads under the reader lock, the show
// thread shows under the player's decoder lock; the bank lock is innermost
// and guards which thread owns which bank, and the pictures forward play
// keeps (the video step takes it under the decoder lock).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "ZAVIDecSDK.h"
#include "platform/kernel.h"
#include "reverse/member_thread.h"
#include "reverse/recording_groups.h"
#include "reverse/reverse_constants.h"
#include "reverse/reverse_picture_pool.h"
#include "reverse/segment_packets.h"
#include "stream/taken_frame.h"

namespace zavi {
class PlayMan;
}

namespace zavi::reverse {

class ReversePlayer {
public:
    explicit ReversePlayer(PlayMan &owner);
    ~ReversePlayer();
    ReversePlayer(const ReversePlayer &) = delete;
    ReversePlayer &operator=(const ReversePlayer &) = delete;

    int32_t SetCacheBytes(uint32_t bytes);
    // speed 1, 2 or 4 starts reverse play; ZAVI_REVERSE_STOP ends it.
    int32_t Play(uint32_t speed);
    int32_t FrameBack();
    int32_t GetState(uint32_t *shownPosition, uint32_t *cacheBytes);
    // Ends reverse play, if any runs; forward reading then goes on after the
    // picture shown, and keeps its pictures once they are wanted. Called by
    // the player's classic play commands.
    void Stop();
    // Ends reverse play and frees the decoder and the pool (player teardown).
    void Shutdown();

    // The video step's hook, under the decoder lock, for each frame it took:
    // `picture` is what the frame decoded to, or null when it was not
    // decoded. Nothing but one flag test for a player that never used
    // reverse play.
    void NoteForwardPicture(const stream::TakenFrame &frame, const ZAVIDEC_PICTURE *picture)
    {
        if (keepWanted_.load(std::memory_order_relaxed)) KeepForwardPicture(frame, picture);
    }

private:
    // A bank holds the decoded pictures first .. first + count - 1 of one
    // group. While reverse play runs it is free, being filled (the decode
    // thread's), ready, or being shown (the show thread's).
    enum class BankState { Free, Filling, Ready, Showing };
    struct Bank {
        BankState state = BankState::Free;
        uint32_t sequence = 0; // which segment of the session it carries
        uint32_t first = 0;
        uint32_t count = 0;
        uint32_t showEnd = 0; // reverse play shows first .. showEnd - 1

        // Holds every picture from the key frame `key` up to `end` that a
        // bank can hold: the segment need not be decoded again.
        bool Holds(uint32_t key, uint32_t end) const
        {
            return count > 0 && first >= key && first < end && first + count >= end;
        }
    };
    class SegmentFill;
    class TimeSearch;

    // reverse_player.cpp: the commands and what they share
    int32_t Prepare(uint32_t &current);
    uint32_t CurrentPosition();
    void EndSession(bool resumeForward);
    bool Find(uint32_t position, uint32_t &bank, uint32_t &index);
    uint32_t BankToRefill(uint32_t keep) const;
    // Decodes from the key frame up to `end` (exclusive) into `bank`,
    // keeping as many of the last pictures as the bank holds. The packets
    // are copied under the reader lock and decoded after it. `thread`, when
    // given, ends the work once it is told to stop.
    int32_t DecodeInto(uint32_t bank, uint32_t key, uint32_t end, const ZAVIThread *thread);
    int32_t CopySegment(uint32_t key, uint32_t end, const ZAVIThread *thread);
    int32_t DecodeCopied(uint32_t bank, uint32_t key, uint32_t end, const ZAVIThread *thread);
    // Lays `bank` out for another picture size; the other bank, which the
    // show thread may be showing, keeps its pictures.
    bool FitPool(uint32_t bank, uint32_t width, uint32_t height);
    int32_t ShowPicture(uint32_t bank, uint32_t index);

    // forward_pictures.cpp: the pictures forward play decoded
    void WantForwardPictures() { keepWanted_.store(true, std::memory_order_relaxed); }
    // Forward play may go on: keeping starts at its next key frame, in the
    // bank that does not hold the picture reverse play showed last.
    void StartKeeping();
    // Under the bank lock: nothing kept any more.
    void ForgetKept();
    // Stops keeping (a reverse command takes the pool over) and makes the
    // pictures kept findable by position, as far as their time stamps match
    // the recording's frames from their key frame on.
    void AdoptKept();
    void KeepForwardPicture(const stream::TakenFrame &frame, const ZAVIDEC_PICTURE *picture);
    class KeptCheck;

    // reverse_prefetch.cpp: the group before the one frame-back shows
    void StartPrefetch(uint32_t shownBank);
    // Waits for a prefetch under way to finish, or cuts it short.
    void EndPrefetch(bool finish);
    void PrefetchLoop(kernel::Event &stopEvent);

    // reverse_session.cpp: the two threads of reverse play
    void DecodeLoop(kernel::Event &stopEvent);
    void ShowLoop(kernel::Event &stopEvent);
    bool TakeBankToFill(kernel::Event &stopEvent, uint32_t key, uint32_t end, uint32_t &bank, bool &filled);
    bool TakeBankToShow(kernel::Event &stopEvent, uint32_t sequence, uint32_t &bank);
    void HandBack(uint32_t bank);
    bool PaceTo(kernel::Event &stopEvent, uint32_t timeStamp);

    PlayMan &owner_;
    kernel::CriticalSection commandLock_;
    ReversePicturePool pool_{kDefaultCacheBytes};
    RecordingGroups groups_;
    ZAVIDEC_HANDLE decoder_ = 0;
    // Used by whichever of the decode thread, the prefetch thread and a
    // frame-back decodes (never two at once).
    SegmentPackets packets_;

    kernel::CriticalSection bankLock_;
    Bank banks_[kBanks];
    bool decodeDone_ = false;
    std::unique_ptr<kernel::Event> filled_;
    std::unique_ptr<kernel::Event> freed_;
    MemberThread<ReversePlayer> decodeThread_{*this, &ReversePlayer::DecodeLoop};
    MemberThread<ReversePlayer> showThread_{*this, &ReversePlayer::ShowLoop};
    MemberThread<ReversePlayer> prefetchThread_{*this, &ReversePlayer::PrefetchLoop};
    std::unique_ptr<kernel::Event> prefetchDone_;

    // Set by the commands before the threads start.
    bool sessionActive_ = false;
    // Set by the show thread when reverse play ended by itself.
    std::atomic<bool> ended_{false};
    uint32_t sessionEnd_ = 0; // reverse play shows the pictures before this one
    uint32_t speed_ = 1;
    // Set by frame-back before the prefetch thread starts.
    bool prefetching_ = false;
    uint32_t prefetchBank_ = 0;
    uint32_t prefetchKey_ = 0;
    uint32_t prefetchEnd_ = 0;

    // The show thread's pacing: when the last picture was due and its stamp.
    int64_t lastDueTicks_ = 0;
    uint32_t lastShownStamp_ = 0;
    bool pacing_ = false;

    // Forward play's pictures: wanted once a reverse command ran; the rest
    // under the bank lock. Kept pictures fill `keepBank_` from index 0 with
    // the key frame, one a decoded frame, up to a frame not decoded or a
    // full bank.
    std::atomic<bool> keepWanted_{false};
    bool keepArmed_ = false;
    bool keeping_ = false;
    uint32_t keepBank_ = 0;
    uint32_t keptCount_ = 0;

    std::atomic<uint32_t> shownPosition_{0};
    std::atomic<uint32_t> shownTimeStamp_{0};
    std::atomic<bool> shownValid_{false};
};

} // namespace zavi::reverse
