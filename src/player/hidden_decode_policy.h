// Which pictures of a player reach its decoder while nobody can watch them.
//
// Walls of many cameras keep most windows minimised or as thumbnails, and
// decoding every picture for them costs as much as for a watched window.
// With the policy on, a player whose window cannot be watched (hidden,
// minimised, or showing fewer pixels than the client's minimum) decodes key
// frames only. The pictures between key frames refer to those before them,
// so once one has been dropped, none is decoded until the next key frame,
// even when the window can be watched again by then: showing a picture
// decoded from a broken reference chain would show smears.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/display.h"

namespace zavi {

class HiddenDecodePolicy {
public:
    // What to do with one video frame.
    struct Verdict {
        bool decode; // hand it to the decoder
        bool show;   // present the decoded picture (the last one when this frame is not decoded)
    };

    // enabled: ZAVI_HIDDEN_DECODE_OFF or ZAVI_HIDDEN_DECODE_KEY_FRAMES;
    // ZAVI_ERR_INVALID_ARG for any other value. Any client thread.
    int32_t Set(uint8_t enabled, uint32_t minimumShownArea);

    // Judges the next video frame before it is decoded; called under the
    // player's decoder lock, frame by frame in decoding order. With the
    // policy off (and no reference chain to mend) every frame is decoded and
    // shown, and the window is not even asked about.
    Verdict Judge(uint16_t frameType, platform::WindowHandle window);

private:
    bool Watchable(platform::WindowHandle window) const;

    std::atomic<bool> enabled_{false};
    std::atomic<uint32_t> minimumShownArea_{0};
    // Set once a picture was dropped, cleared by the next key frame; only
    // Judge touches it, under the decoder lock.
    bool waitingForKeyFrame_ = false;
};

} // namespace zavi
