#include "PostChain.h"

#include "demo/Registries.h"

void PostChainTest::SetUp() {
    GlTest::SetUp();
    device = makeRef<Device>();
    device->resetState();
}

void PostChainTest::TearDown() {
    output = nullptr;
    device = nullptr;
    textureRegistry().clear();
    framebufferRegistry().clear();
    programRegistry().clear();
    GlTest::TearDown();
}

::testing::AssertionResult PostChainTest::buildResources() {
    std::string error;
    if (!post_resources::build(kWidth, kHeight, &error))
        return ::testing::AssertionFailure() << error;
    output = framebufferRegistry().find("output");
    return ::testing::AssertionSuccess();
}
