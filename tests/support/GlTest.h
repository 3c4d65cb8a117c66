#pragma once

#include "support/GlContext.h"

#include <gtest/gtest.h>

// Fixture for tests that talk to GL: fails the test when there is no context, makes a state
// difference found by a device's checking mode a test failure, and fails a test that leaves a GL
// error behind (naming every error code still queued). A test that provokes errors on purpose
// reads them itself.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};
