#pragma once

#include "math/Mat3.h"
#include "math/Mat4.h"
#include "scene/Envelope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

// Element-wise comparison with an absolute tolerance; names the first differing element.
inline ::testing::AssertionResult matricesNear(const Mat4& actual, const Mat4& expected,
                                               float tolerance = 1e-5f) {
    for (int i = 0; i < 16; ++i)
        if (!(std::fabs(actual.m[i] - expected.m[i]) <= tolerance))
            return ::testing::AssertionFailure()
                   << "element " << i << " (row " << i / 4 << ", column " << i % 4 << "): " << actual.m[i]
                   << " instead of " << expected.m[i];
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult matricesNear(const Mat3& actual, const Mat3& expected,
                                               float tolerance = 1e-5f) {
    for (int i = 0; i < 9; ++i)
        if (!(std::fabs(actual.m[i] - expected.m[i]) <= tolerance))
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << actual.m[i] << " instead of " << expected.m[i];
    return ::testing::AssertionSuccess();
}

// A linear envelope through (time, value) pairs; one pair gives a constant.
inline Ref<Envelope> linearEnvelope(std::initializer_list<std::pair<float, float>> points) {
    Ref<Envelope> e = makeRef<Envelope>();
    for (const auto& p : points) {
        EnvelopeKey key;
        key.time = p.first;
        key.value = p.second;
        key.shape = ShapeLinear;
        e->insertKey(key);
    }
    return e;
}

inline Ref<Envelope> constantEnvelope(float value) {
    return linearEnvelope({{0.0f, value}});
}
