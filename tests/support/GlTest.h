#pragma once

#include "support/GlContext.h"

#include <gtest/gtest.h>

// Fixture for tests that talk to GL: fails the test when there is no context, and clears any GL
// error a previous test left behind.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};
