#pragma once

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
