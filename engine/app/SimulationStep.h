#pragma once

// The simulation step of one frame: a whole multiple of 1/60 s, at least 1/60 s. `carry` keeps
// what the steps handed out so far differ from the real frame times; it starts at 0.
inline float simulationStep(double frameSeconds, float& carry) {
    constexpr float sixtieth = 0.016666668f;
    float u = static_cast<float>(frameSeconds) + carry;
    float ticks = u * 60 + 1;
    // Guards the integer conversion against absurd frame times (a stopped clock, a suspended
    // process); a step of several hours is already meaningless.
    if (!(ticks >= 1))
        ticks = 1;
    else if (ticks > 1e7f)
        ticks = 1e7f;
    int n = static_cast<int>(ticks);
    float step = static_cast<float>(n) * sixtieth;
    carry = u - step;
    return step;
}
