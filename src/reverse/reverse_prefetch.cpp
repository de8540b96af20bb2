// After a frame-back, the group before the picture shown is decoded into
// the other bank on a thread of its own while the client looks at the
// picture, so that stepping back across the key frame costs no decoding.
// Its packets are read on the frame-back's thread, before the reader is
// put back where forward play goes on: the thread never moves the reader.
#include "reverse/reverse_player.h"

namespace zavi::reverse {

void ReversePlayer::StartPrefetch(uint32_t shownBank)
{
    const uint32_t end = banks_[shownBank].first;
    uint32_t key = 0;
    if (end == 0 || !groups_.KeyOf(end - 1, key)) return;
    const uint32_t other = (shownBank + 1) % kBanks;
    if (prefetching_ && prefetchBank_ == other && prefetchKey_ == key && prefetchEnd_ == end) return;
    EndPrefetch(false);
    if (banks_[other].Holds(key, end)) return;
    if (!prefetchDone_) prefetchDone_ = kernel::Event::Create(true, false);
    if (!prefetchDone_ || CopySegment(key, end, nullptr) != ZAVI_OK) return;
    prefetchDone_->Reset();
    prefetchBank_ = other;
    prefetchKey_ = key;
    prefetchEnd_ = end;
    prefetching_ = prefetchThread_.Start();
}

void ReversePlayer::EndPrefetch(bool finish)
{
    if (!prefetching_) return;
    if (finish) prefetchDone_->Wait(kernel::kInfinite);
    prefetchThread_.Stop();
    prefetching_ = false;
}

void ReversePlayer::PrefetchLoop(kernel::Event &)
{
    DecodeCopied(prefetchBank_, prefetchKey_, prefetchEnd_, &prefetchThread_);
    prefetchDone_->Set();
}

} // namespace zavi::reverse
