#include "support/GlTest.h"

#include "render/Device.h"
#include "render/Gl.h"

void GlTest::SetUp() {
    ASSERT_TRUE(GlContext::ensure()) << GlContext::error();
    while (glGetError() != GL_NO_ERROR) {
    }
    // A device in checking mode that finds GL holding other state than it believes fails the test.
    Device::setStateDifferenceHandler([](const std::string& report) { ADD_FAILURE() << report; });
}
