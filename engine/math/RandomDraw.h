#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

// The engine's small random generator: state = state x 16807 (wrapping at 2^32); a draw is the
// float whose bits are (state >> 9) | 0x40000000, a value in [2, 4), minus 3, so in [-1, 1).
// Each user keeps its own state (the composite's noise, the occlusion kernel, the emitters).
class RandomDraw {
public:
    explicit RandomDraw(uint32_t state) : state_(state) {}

    float next() {
        state_ *= 16807u;
        const uint32_t bits = (state_ >> 9) | 0x40000000u;
        float value;
        std::memcpy(&value, &bits, sizeof value);
        return value - 3.0f;
    }
    uint32_t state() const { return state_; }

private:
    uint32_t state_;
};

// The engine's one small random generator, shared by particle emitters and the post effects, each
// user with its own state: state = state * 16807 (wrapping), and the draw is the float whose bits
// are (state >> 9) | 0x40000000, a number in [2, 4), minus 3: a number in [-1, 1).
namespace vmath {

constexpr uint32_t kRandomSeed = 0x12345678u;

inline float randomDraw(uint32_t& state) {
    state *= 16807u;
    const uint32_t bits = (state >> 9) | 0x40000000u;
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value - 3.0f;
}

// |draw|, in [0, 1].
inline float randomMagnitude(uint32_t& state) {
    return std::fabs(randomDraw(state));
}

// value + variance * |draw|: the "value plus or minus variance" of particle properties.
inline float randomAround(uint32_t& state, float value, float variance) {
    return value + variance * randomMagnitude(state);
}

} // namespace vmath
