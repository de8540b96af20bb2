// The commands of reverse play and exact frame-back, and the decoding and
// showing they share with the reverse-play threads.
#include "reverse/reverse_player.h"

#include <algorithm>
#include <cstring>

#include "ZAVIPlaySDKEx.h"
#include "file/file_read_man.h"
#include "player/play_man.h"
#include "stream/packet_fields.h"

namespace zavi::reverse {

// Decodes the frames of one group up to the end of a segment and keeps the
// last ones in a bank.
class ReversePlayer::SegmentFill final {
public:
    SegmentFill(ReversePlayer &player, uint32_t bank, uint32_t key, uint32_t end, const ZAVIThread *thread)
        : player_(player), bank_(player.banks_[bank]), bankIndex_(bank), key_(key), end_(end), thread_(thread)
    {
        bank_.first = FirstKept();
        bank_.count = 0;
    }

    bool Decode(const uint8_t *packet, uint32_t length, uint32_t position)
    {
        if (thread_ != nullptr && !thread_->IsRunning()) return false;
        ReversePicturePool &pool = player_.pool_;
        ZAVIDEC_PICTURE picture{};
        const bool decoded =
            ZAVI_VideoDec_Decode(player_.decoder_, packet, static_cast<int32_t>(length), &picture) == ZAVIDEC_OK &&
            picture.buffer != nullptr;
        if (decoded && !pool.MadeFor(bankIndex_, picture.width, picture.height)) {
            if (!player_.FitPool(bankIndex_, picture.width, picture.height)) {
                failed_ = true;
                return false;
            }
            bank_.first = FirstKept();
        }
        if (position < bank_.first) return true;
        const uint32_t index = position - bank_.first;
        // Nothing decoded yet at the first picture to keep: the bank is laid
        // out for no size, and the group cannot be shown.
        if (index >= pool.PicturesPerBank(bankIndex_)) return false;
        const bool kept = decoded && pool.MadeFor(bankIndex_, picture.width, picture.height);
        if (kept) std::memcpy(pool.Picture(bankIndex_, index), picture.buffer, pool.PictureBytes(bankIndex_));
        pool.TimeStamp(bankIndex_, index) = PacketTimeStamp(packet);
        pool.Decoded(bankIndex_, index) = kept ? 1 : 0;
        bank_.count = index + 1;
        return true;
    }

    bool Failed() const { return failed_; }

private:
    // The last pictures before the end that a bank holds, from the key frame
    // on; the whole group before the bank is laid out for a size.
    uint32_t FirstKept() const
    {
        const uint32_t held = std::min(end_, player_.pool_.PicturesPerBank(bankIndex_));
        return held == 0 ? key_ : std::max(key_, end_ - held);
    }

    ReversePlayer &player_;
    Bank &bank_;
    uint32_t bankIndex_;
    uint32_t key_;
    uint32_t end_;
    const ZAVIThread *thread_;
    bool failed_ = false;
};

// Finds the position of the picture with a given time stamp within a group.
class ReversePlayer::TimeSearch final : public FileReadMan::FrameVisitor {
public:
    explicit TimeSearch(uint32_t timeStamp) : timeStamp_(timeStamp) {}

    bool Visit(const uint8_t *packet, uint32_t, uint32_t position) override
    {
        const auto ahead = static_cast<int32_t>(PacketTimeStamp(packet) - timeStamp_);
        if (ahead == 0) {
            found_ = true;
            position_ = position;
        }
        return ahead < 0;
    }

    bool Found(uint32_t &position) const
    {
        position = position_;
        return found_;
    }

private:
    uint32_t timeStamp_;
    bool found_ = false;
    uint32_t position_ = 0;
};

ReversePlayer::ReversePlayer(PlayMan &owner) : owner_(owner) {}

ReversePlayer::~ReversePlayer() { Shutdown(); }

int32_t ReversePlayer::SetCacheBytes(uint32_t bytes)
{
    if (bytes < ZAVI_REVERSE_CACHE_MINIMUM) return ZAVI_ERR_INVALID_ARG;
    WantForwardPictures();
    kernel::ScopedLock command(commandLock_);
    EndSession(true);
    EndPrefetch(false);
    {
        kernel::ScopedLock banks(bankLock_);
        pool_.SetBound(bytes);
        for (Bank &bank : banks_) bank = Bank{};
        keepArmed_ = false;
        ForgetKept();
    }
    StartKeeping();
    return ZAVI_OK;
}

int32_t ReversePlayer::Play(uint32_t speed)
{
    WantForwardPictures();
    kernel::ScopedLock command(commandLock_);
    if (speed == ZAVI_REVERSE_STOP) {
        EndSession(true);
        return ZAVI_OK;
    }
    if (std::find(std::begin(kSpeeds), std::end(kSpeeds), speed) == std::end(kSpeeds)) return ZAVI_ERR_INVALID_ARG;
    // A session that ends here puts forward reading after the picture it
    // showed, as one ending by itself does: this command may still refuse
    // (at the first picture) or fail, and then forward play goes on from
    // there.
    EndSession(true);
    uint32_t current = 0;
    const int32_t status = Prepare(current);
    if (status != ZAVI_OK) return status;
    uint32_t key = 0;
    if (current == 0 || !groups_.KeyOf(current - 1, key)) return ZAVI_ERR_REVERSE_AT_START;
    if (!filled_) filled_ = kernel::Event::Create(false, false);
    if (!freed_) freed_ = kernel::Event::Create(false, false);
    if (!filled_ || !freed_) return ZAVI_ERR_FAIL;
    EndPrefetch(true); // the group before, which reverse play shows second
    {
        kernel::ScopedLock banks(bankLock_);
        for (Bank &bank : banks_) bank.state = BankState::Free;
        decodeDone_ = false;
    }
    sessionEnd_ = current;
    speed_ = speed;
    pacing_ = false;
    ended_ = false;
    sessionActive_ = true;
    if (!decodeThread_.Start() || !showThread_.Start()) {
        EndSession(true);
        return ZAVI_ERR_FAIL;
    }
    return ZAVI_OK;
}

int32_t ReversePlayer::FrameBack()
{
    WantForwardPictures();
    kernel::ScopedLock command(commandLock_);
    EndSession(true);
    uint32_t current = 0;
    int32_t status = Prepare(current);
    if (status != ZAVI_OK) return status;
    uint32_t key = 0;
    if (current == 0 || !groups_.KeyOf(current - 1, key)) return ZAVI_ERR_REVERSE_AT_START;
    const uint32_t target = current - 1;
    // A prefetch of the group asked for is waited for; one of another group
    // goes on while a cached picture is shown, and is cut short before a
    // decoding here (they share the decoder).
    if (prefetching_ && target >= prefetchKey_ && target < prefetchEnd_) EndPrefetch(true);
    uint32_t bank = 0;
    uint32_t index = 0;
    if (!Find(target, bank, index)) {
        EndPrefetch(false);
        bank = BankToRefill(current);
        status = DecodeInto(bank, key, target + 1, nullptr);
        if (status != ZAVI_OK) return status;
        if (!Find(target, bank, index)) return ZAVI_ERR_FAIL;
    }
    status = ShowPicture(bank, index);
    if (status != ZAVI_OK) return status;
    StartPrefetch(bank);
    owner_.Reader().SetPlayPosition(current);
    return ZAVI_OK;
}

int32_t ReversePlayer::GetState(uint32_t *shownPosition, uint32_t *cacheBytes)
{
    if (shownPosition != nullptr) *shownPosition = shownPosition_.load();
    if (cacheBytes != nullptr) {
        kernel::ScopedLock banks(bankLock_);
        *cacheBytes = pool_.AllocatedBytes();
    }
    return ZAVI_OK;
}

void ReversePlayer::Stop()
{
    kernel::ScopedLock command(commandLock_);
    EndSession(true);
    EndPrefetch(false);
    StartKeeping();
}

void ReversePlayer::Shutdown()
{
    kernel::ScopedLock command(commandLock_);
    EndSession(false);
    EndPrefetch(false);
    if (decoder_ != 0) {
        ZAVI_VideoDec_Release(decoder_);
        decoder_ = 0;
    }
    shownValid_ = false;
    kernel::ScopedLock banks(bankLock_);
    keepArmed_ = false;
    ForgetKept();
    pool_.Release();
    for (Bank &bank : banks_) bank = Bank{};
}

// Stops the player's own playback and finds the picture it shows.
int32_t ReversePlayer::Prepare(uint32_t &current)
{
    int32_t status = groups_.Load(owner_.Reader());
    if (status != ZAVI_OK) return status;
    status = owner_.HoldForReverse();
    if (status != ZAVI_OK) return status;
    AdoptKept();
    if (decoder_ == 0 && ZAVI_VideoDec_Init(&decoder_) != ZAVIDEC_OK) return ZAVI_ERR_FAIL;
    current = CurrentPosition();
    return ZAVI_OK;
}

// The picture shown last is known by its time stamp: one reverse play
// showed has its position at hand; one forward play showed is looked up in
// its group. Before any picture, the reader's next frame counts as shown.
uint32_t ReversePlayer::CurrentPosition()
{
    uint32_t stamp = 0;
    if (owner_.LastShownTimeStamp(stamp)) {
        if (shownValid_ && stamp == shownTimeStamp_) return shownPosition_;
        uint32_t key = 0;
        TimeSearch search(stamp);
        uint32_t position = 0;
        if (groups_.KeyOfTime(stamp, key) &&
            owner_.Reader().ReadVideoFrames(key, groups_.FrameCount(), search) == ZAVI_OK && search.Found(position))
            return position;
    }
    uint32_t position = 0;
    owner_.Reader().GetPlayPosition(&position);
    return std::min(position, groups_.FrameCount());
}

void ReversePlayer::EndSession(bool resumeForward)
{
    if (!sessionActive_) return;
    decodeThread_.Stop();
    showThread_.Stop();
    sessionActive_ = false;
    {
        kernel::ScopedLock banks(bankLock_);
        for (Bank &bank : banks_) bank.state = BankState::Free;
    }
    if (resumeForward && shownValid_ && !ended_) owner_.Reader().SetPlayPosition(shownPosition_ + 1);
}

// Not in the bank a prefetch is filling.
bool ReversePlayer::Find(uint32_t position, uint32_t &bank, uint32_t &index)
{
    for (uint32_t b = 0; b < kBanks; ++b) {
        if (prefetching_ && b == prefetchBank_) continue;
        const Bank &candidate = banks_[b];
        if (position < candidate.first || position - candidate.first >= candidate.count) continue;
        if (pool_.Decoded(b, position - candidate.first) == 0) continue;
        bank = b;
        index = position - candidate.first;
        return true;
    }
    return false;
}

// Frame-back keeps the bank with the picture shown (stepping forward and
// back again finds it) and refills the other.
uint32_t ReversePlayer::BankToRefill(uint32_t keep) const
{
    const Bank &first = banks_[0];
    const bool firstHolds = first.count > 0 && keep >= first.first && keep - first.first < first.count;
    return firstHolds ? 1 : 0;
}

int32_t ReversePlayer::DecodeInto(uint32_t bank, uint32_t key, uint32_t end, const ZAVIThread *thread)
{
    const int32_t status = CopySegment(key, end, thread);
    return status != ZAVI_OK ? status : DecodeCopied(bank, key, end, thread);
}

int32_t ReversePlayer::CopySegment(uint32_t key, uint32_t end, const ZAVIThread *thread)
{
    packets_.Begin(thread);
    return owner_.Reader().ReadVideoFrames(key, end, packets_);
}

int32_t ReversePlayer::DecodeCopied(uint32_t bank, uint32_t key, uint32_t end, const ZAVIThread *thread)
{
    SegmentFill fill(*this, bank, key, end, thread);
    for (const SegmentPackets::Entry &entry : packets_.Entries())
        if (!fill.Decode(packets_.Data(entry), entry.length, entry.position)) break;
    return fill.Failed() ? ZAVI_ERR_NO_MEMORY : ZAVI_OK;
}

bool ReversePlayer::FitPool(uint32_t bank, uint32_t width, uint32_t height)
{
    kernel::ScopedLock banks(bankLock_);
    return pool_.Make(bank, width, height);
}

int32_t ReversePlayer::ShowPicture(uint32_t bank, uint32_t index)
{
    // Set first, so that a draw callback run while the picture is presented
    // already finds its position.
    const uint32_t stamp = pool_.TimeStamp(bank, index);
    shownPosition_ = banks_[bank].first + index;
    shownTimeStamp_ = stamp;
    shownValid_ = true;
    return owner_.ShowStill(pool_.Picture(bank, index), pool_.Width(bank), pool_.Height(bank), stamp);
}

} // namespace zavi::reverse
