#include "support/GlTest.h"

#include "render/Device.h"
#include "render/Gl.h"

#include <cstdio>
#include <string>

void GlTest::SetUp() {
    ASSERT_TRUE(GlContext::ensure()) << GlContext::error();
    // Whatever came before (another fixture, the context's creation) is not this test's doing.
    gl::clearErrors();
    // A device in checking mode that finds GL holding other state than it believes fails the test.
    Device::setStateDifferenceHandler([](const std::string& report) { ADD_FAILURE() << report; });
    Device::setDefaultStateChecking(true);
}

void GlTest::TearDown() {
    if (!GlContext::ensure())
        return;
    std::string left;
    // GL queues at most one error per kind; the bound keeps a broken driver from looping forever.
    for (int i = 0; i < 16; ++i) {
        const GLenum error = gl::takeError();
        if (error == GL_NO_ERROR)
            break;
        char code[16];
        std::snprintf(code, sizeof code, "%s0x%04X", left.empty() ? "" : ", ", error);
        left += code;
    }
    if (!left.empty())
        ADD_FAILURE() << "the test left GL errors behind: " << left;
}
