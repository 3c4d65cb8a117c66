#include "DeferredFixture.h"

#include "assets/ShaderLoader.h"
#include "demo/ProgramBuilder.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/StateSet.h"
#include "render/Texture2D.h"
#include "render/Texture2DArray.h"
#include "render/TextureCube.h"
#include "render/VertexArrayObject.h"
#include "render/VertexBuffer.h"

#include <cstring>

namespace {

Ref<Texture> makeTexture(const char* name, int w, int h, const char* format, bool linear) {
    Ref<Texture2D> texture = makeRef<Texture2D>();
    texture->create(w, h, codes::formatCode(format));
    texture->bind();
    TextureParams params;
    params.magFilter = params.minFilter = linear ? codes::kFilterLinear : codes::kFilterNearest;
    params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
    texture->applyParams(params);
    texture->unbind();
    textureRegistry().remove(name);
    textureRegistry().insert(name, texture);
    return texture;
}

bool makeFramebuffer(const char* name, std::initializer_list<std::pair<int, const char*>> attachments,
                     int layer = 0) {
    Ref<Framebuffer> framebuffer = makeRef<Framebuffer>();
    for (const auto& a : attachments)
        framebuffer->setAttachment(a.first, textureRegistry().find(a.second), 0, layer);
    if (!framebuffer->create())
        return false;
    framebufferRegistry().remove(name);
    framebufferRegistry().insert(name, framebuffer);
    return true;
}

bool buildPrograms(std::string* error) {
    static bool built = false;
    if (built)
        return true;
    const unsigned vertexAndFragment = (1u << Program::kVertex) | (1u << Program::kFragment);
    ShaderLoader shaders(VORNDLE_SOURCE_DIR "/data/shaders/");
    ProgramBuilder withGeometry(shaders, vertexAndFragment | (1u << Program::kGeometry));
    for (const char* name : DeferredScene::kLightProgramNames)
        if (!withGeometry.buildWithGeometry(name)) {
            *error = std::string(name) + ": " + withGeometry.failure();
            return false;
        }
    ProgramBuilder plain(shaders, vertexAndFragment);
    for (const char* name :
         {"shadows/dirlight", "materials/plain", "materials/textured", "materials/normalmapped",
          "materials/skinned", "materials/terrain", "materials/vertexcolour"})
        if (!plain.buildPlain(name)) {
            *error = std::string(name) + ": " + plain.failure();
            return false;
        }
    built = true;
    return true;
}

} // namespace

namespace deferred_resources {

bool build(int w, int h, int shadowSize, std::string* error) {
    if (!buildPrograms(error))
        return false;
    makeTexture("gb_diffuse", w, h, "rgba_8", false);
    makeTexture("gb_specular", w, h, "rgba_8", false);
    makeTexture("gb_normal", w, h, "rgba_fp16", false);
    makeTexture("gb_light", w, h, "rgba_fp16", true);
    makeTexture("backbuffer_depth", w, h, "r_fp32", false);
    makeTexture("gb_depth", w, h, "depth_stencil_24_8", false);
    bool ok = makeFramebuffer("gbuffer", {{0, "gb_diffuse"},
                                          {1, "gb_specular"},
                                          {2, "gb_normal"},
                                          {3, "gb_light"},
                                          {4, "backbuffer_depth"},
                                          {10, "gb_depth"}}) &&
              makeFramebuffer("light_accumulation", {{0, "gb_light"}});

    Ref<Texture2DArray> cascades = makeRef<Texture2DArray>();
    cascades->create(shadowSize, shadowSize, 4, codes::formatCode("depth_24"));
    cascades->bind();
    TextureParams params;
    params.magFilter = params.minFilter = codes::kFilterLinear;
    params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
    params.compare = true;
    cascades->applyParams(params);
    cascades->unbind();
    textureRegistry().remove("shadow_cascade");
    textureRegistry().insert("shadow_cascade", cascades);
    for (int i = 0; i < 4; ++i) {
        const std::string name = "shadow_cascade_" + std::to_string(i);
        ok = ok && makeFramebuffer(name.c_str(), {{8, "shadow_cascade"}}, i);
    }

    // A four-colour projection picture and a cube map with one colour per face.
    Ref<Texture2D> picture = makeRef<Texture2D>();
    picture->create(2, 2, codes::formatCode("rgba_8"));
    picture->bind();
    const uint8_t texels[16] = {255, 60, 60, 255, 60, 255, 60, 255, 60, 60, 255, 255, 255, 255, 60, 255};
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    picture->upload(texels);
    TextureParams edge;
    edge.magFilter = edge.minFilter = codes::kFilterNearest;
    edge.wrapS = edge.wrapT = codes::kWrapEdge;
    picture->applyParams(edge);
    picture->unbind();
    textureRegistry().remove("projection");
    textureRegistry().insert("projection", picture);
    if (!ok)
        *error = "a framebuffer is incomplete";
    return ok;
}

const Ref<Device>& device() {
    static Ref<Device> shared = makeRef<Device>();
    return shared;
}

std::vector<uint8_t> readPixels(const std::string& name) {
    Ref<Framebuffer> fb = framebufferRegistry().find(name);
    std::vector<uint8_t> rows(size_t(fb->width()) * fb->height() * 4);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fb->glName());
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<uint8_t> upside(rows.size());
    glReadPixels(0, 0, fb->width(), fb->height(), GL_RGBA, GL_UNSIGNED_BYTE, upside.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    const size_t stride = size_t(fb->width()) * 4;
    for (int y = 0; y < fb->height(); ++y)
        std::memcpy(&rows[y * stride], &upside[(fb->height() - 1 - y) * stride], stride);
    return rows;
}

std::vector<LightRecord> readRecords(const DeferredScene& scene) {
    std::vector<LightRecord> records(scene.lights().size());
    glBindBuffer(GL_ARRAY_BUFFER, scene.lightVertexBuffer()->glName());
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(records.size() * sizeof(LightRecord)), records.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return records;
}

} // namespace deferred_resources

void ProgramState::apply(StateSet& stateSet) {
    pushed_ = !stateSet.shadowPass();
    if (pushed_) {
        ++applied;
        stateSet.pushProgram(program_);
    } else {
        ++appliedInShadow;
    }
}

void ProgramState::restore(StateSet& stateSet) {
    if (pushed_)
        stateSet.popProgram();
}

BoxDrawable::BoxDrawable(const Vec3& size) {
    // Six faces (a plane: the top one only), two triangles each, counter-clockwise from outside.
    std::vector<float> v;
    const Vec3 h = size * 0.5f;
    auto face = [&](Vec3 n, Vec3 u, Vec3 w) {
        const Vec3 c(n.x * h.x, n.y * h.y, n.z * h.z);
        const Vec3 du(u.x * h.x, u.y * h.y, u.z * h.z), dw(w.x * h.x, w.y * h.y, w.z * h.z);
        const Vec3 corners[6] = {c - du - dw, c + du - dw, c + du + dw,
                                 c - du - dw, c + du + dw, c - du + dw};
        for (const Vec3& p : corners)
            v.insert(v.end(), {p.x, p.y, p.z, n.x, n.y, n.z});
    };
    face(Vec3(0, 1, 0), Vec3(0, 0, 1), Vec3(1, 0, 0));
    if (size.y > 0) {
        face(Vec3(0, -1, 0), Vec3(1, 0, 0), Vec3(0, 0, 1));
        face(Vec3(1, 0, 0), Vec3(0, 1, 0), Vec3(0, 0, 1));
        face(Vec3(-1, 0, 0), Vec3(0, 0, 1), Vec3(0, 1, 0));
        face(Vec3(0, 0, 1), Vec3(1, 0, 0), Vec3(0, 1, 0));
        face(Vec3(0, 0, -1), Vec3(0, 1, 0), Vec3(1, 0, 0));
    }
    vertexCount_ = int(v.size() / 6);
    Ref<VertexBuffer> buffer = makeRef<VertexBuffer>();
    buffer->setStride(24);
    buffer->addElement(0, codes::kSemanticPosition, 3, 12);
    buffer->addElement(12, 1, 3, 12);
    buffer->setVertexCount(vertexCount_);
    buffer->create();
    buffer->bind();
    buffer->setData(codes::kUsageStaticDraw, GLsizeiptr(v.size() * sizeof(float)), v.data());
    buffer->unbind();
    buffer_ = buffer;
    // Recorded once: the attributes sit at their semantics' locations in every program.
    vertexArray_ = VertexArrayObject::createForSemantics(*buffer, nullptr);
}

void BoxDrawable::draw(Device& device, float) {
    ++draws;
    device.bindVertexArray(vertexArray_);
    glDrawArrays(GL_TRIANGLES, 0, vertexCount_);
    device.bindVertexArray(nullptr);
}
