#pragma once

#include "support/GlContext.h"

#include <gtest/gtest.h>

// Fixture for tests that talk to GL: fails the test when there is no context, clears any GL error
// a previous test left behind, and makes a state difference found by a device's checking mode a
// test failure.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};
