// Shared helpers of the sound output and talkback tests: a manual-clock virtual
// sound device, a window of its own for every test, and a byte pattern whose
// every position differs from the same position one ring lap earlier.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ZAVIVirtualSound.h"

namespace zavi::audio_output_test {

// 8000 Hz, 16-bit mono: 16000 bytes per second, a ring of 64000 bytes, and
// 320-byte blocks of 20 ms.
inline constexpr uint16_t kChannels = 1;
inline constexpr uint16_t kBits = 16;
inline constexpr uint32_t kRate = 8000;
inline constexpr uint32_t kBytesPerSecond = 16000;
inline constexpr uint32_t kRingBytes = 4 * kBytesPerSecond;
inline constexpr uint32_t kBlockBytes = 320;
inline constexpr uint32_t kBlockMs = 20;
inline constexpr uint32_t kPreRoll = 2560;

inline uint8_t PatternByte(uint64_t index)
{
    return static_cast<uint8_t>((static_cast<uint32_t>(index) * 2654435761u) >> 24);
}

inline std::vector<uint8_t> Pattern(uint64_t first, size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i) bytes[i] = PatternByte(first + i);
    return bytes;
}

inline ZAVI_HWND NextWindow()
{
    static ZAVI_HWND next = 0x5000;
    return ++next;
}

class VirtualSoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZAVIVirtual_SoundReset();
        ZAVIVirtual_SoundSetManualClock(1);
        window_ = NextWindow();
    }
    void TearDown() override { ZAVIVirtual_SoundReset(); }

    ZAVIVIRTUAL_SOUND_STATE State() const
    {
        ZAVIVIRTUAL_SOUND_STATE state = {};
        EXPECT_EQ(ZAVIVirtual_SoundGetState(window_, &state), ZAVI_OK);
        return state;
    }

    std::vector<uint8_t> Played() const
    {
        std::vector<uint8_t> bytes(State().bytesUnread);
        bytes.resize(ZAVIVirtual_SoundRead(window_, bytes.data(), static_cast<uint32_t>(bytes.size())));
        return bytes;
    }

    ZAVI_HWND window_ = 0;
};

} // namespace zavi::audio_output_test
