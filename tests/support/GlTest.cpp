#include "support/GlTest.h"

#include "render/Gl.h"

void GlTest::SetUp() {
    ASSERT_TRUE(GlContext::ensure()) << GlContext::error();
    while (glGetError() != GL_NO_ERROR) {
    }
}
