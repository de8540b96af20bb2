// A per-thread random source with the few draws the stress threads need.
#pragma once

#include <cstdint>
#include <random>
#include <span>

namespace zavi::stress {

class RandomChoice {
public:
    explicit RandomChoice(uint64_t seed) : engine_(seed) {}

    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(engine_); }
    bool oneIn(int chances) { return below(chances) == 0; }
    float between(float low, float high) { return std::uniform_real_distribution<float>(low, high)(engine_); }
    uint8_t byte() { return static_cast<uint8_t>(below(256)); }
    template <typename T>
    T pick(std::span<const T> values) { return values[static_cast<size_t>(below(static_cast<int>(values.size())))]; }

private:
    std::mt19937_64 engine_;
};

} // namespace zavi::stress
