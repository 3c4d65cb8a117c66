#pragma once

#include <gtest/gtest.h>

#include <string>

// One hidden SDL window with a GL 4.3 core context per test binary (Mesa's llvmpipe under Xvfb
// in CI), created on first use and kept current until the process ends.
class GlContext {
public:
    // Creates the context if needed; answers false (see error()) when no context can be had.
    static bool ensure();
    static const std::string& error();
};

// Fixture for tests that talk to GL: fails the test when there is no context, and clears any GL
// error a previous test left behind.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};
