#pragma once

#include "demo/Registries.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/Shader.h"
#include "render/Texture.h"
#include "render/VertexArrayObject.h"
#include "support/GlCallRecorder.h"
#include "support/GlTest.h"

#include <string>
#include <vector>

using Calls = std::vector<std::string>;

// A GL test with a fresh device, reset as the application does, and empty registries afterwards.
class RenderTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        device = makeRef<Device>();
        device->resetState();
    }
    void TearDown() override {
        device = nullptr;
        textureRegistry().clear();
        framebufferRegistry().clear();
        programRegistry().clear();
        Device::setVendorIsNvidia(false);
        GlTest::TearDown();
    }

    static GLint getInt(GLenum name) {
        GLint value = 0;
        glGetIntegerv(name, &value);
        return value;
    }
    static bool isEnabled(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

public:
    // A linked program from sources given as (stage, text) pairs.
    static Ref<Program> linkProgram(std::initializer_list<std::pair<int, const char*>> stages,
                                    const char* const* varyings = nullptr, int count = 0) {
        Ref<Program> program = makeRef<Program>("test");
        for (const auto& stage : stages)
            program->setStage(stage.first, makeRef<Shader>("test" + std::to_string(stage.first), stage.second,
                                                           stage.second, stage.first));
        return program->link(varyings, count, 0) ? program : nullptr;
    }

protected:
    Ref<Device> device;
};

constexpr const char* kPlainFragment = R"(#version 430 core
out vec4 color;
void main() { color = vec4(1.0); }
)";
