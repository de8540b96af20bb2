// A player whose playback threads run no steps, so that the caches and
// gates keep exactly what the intake and the commands left in them; the
// test (or benchmark, or fuzz target) takes frames or runs steps itself.
#pragma once

#include "player/play_man.h"

namespace zavi_test {

class IdlePlayer : public zavi::PlayMan {
public:
    // The threads stop before this object's steps go away (a class derived
    // from this one stops them in its own destructor).
    ~IdlePlayer() override { Teardown(); }
    void RunVideoStep() { PlayMan::VideoStep(); }
    void RunAudioStep() { PlayMan::AudioStep(); }

protected:
    void VideoStep() override {}
    void AudioStep() override {}
};

} // namespace zavi_test
