#include "Vorndle.h"

#include "VorndleSceneTemplate.h"
#include "core/Paths.h"
#include "demo/Registries.h"
#include "demo/Timeline.h"
#include "render/CodeTables.h"
#include "render/Gl.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

const Vorndle::PartEntry Vorndle::kParts[3] = {
    {"intro", "intro.xml", 0.0f, 106.0f},
    {"windmill", "windmill.xml", 106.0f, 224.0f},
    {"outro", "outro.xml", 224.0f, 264.0f},
};

namespace {

const char* const kGradientName = "hos_gradient";

// A standard normal draw from a 32-bit multiplicative generator (Marsaglia's polar method on two
// uniform values in [-1, 1) built from the generator's high bits).
class NormalGenerator {
public:
    float next() {
        float u, v, r;
        do {
            const uint32_t s1 = state_ * 16807u;
            const uint32_t s2 = s1 * 16807u;
            state_ = s2;
            u = unitFloat(s1);
            v = unitFloat(s2);
            r = u * u + v * v;
        } while (r > 1.0f || r == 0.0f);
        return std::sqrt(-2.0f * float(std::log(double(r))) / r) * u;
    }

private:
    // A float in [2, 4) from 23 random bits, moved to [-1, 1).
    static float unitFloat(uint32_t s) {
        const uint32_t bits = (s >> 9) | 0x40000000u;
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f - 3.0f;
    }
    uint32_t state_ = 1;
};

} // namespace

ApplicationSettings Vorndle::defaultSettings() {
    ApplicationSettings s;
    s.title = "Vorndle / Quorrimax";
    s.samples = 1;
    s.width = 1280;
    s.height = 720;
    s.anisotropy = 16;
    s.contextVersion = 4;
    s.fullscreen = false;
    s.vsync = true;
    s.srgb = false;
    return s;
}

bool Vorndle::setup() {
    ApplicationSettings chosen = defaultSettings();
    options.applyTo(chosen);
    bool run = true;
    if (!options.noDialog) {
        switch (showSetupDialog(chosen, dialogHook)) {
        case SetupDialogResult::Run:
            break;
        case SetupDialogResult::Cancel:
            run = false;
            break;
        case SetupDialogResult::NoDisplay:
            std::fprintf(stderr, "vorndle: no display to show the settings dialog on (DISPLAY and "
                                 "WAYLAND_DISPLAY are unset)\n");
            run = false;
            break;
        }
    }
    if (chosen.height > 0)
        chosen.screenAspect = chosen.aspect = float(chosen.width) / float(chosen.height);
    settings = chosen;
    requestedAnisotropy = float(chosen.anisotropy);
    return run;
}

std::array<uint8_t, 3 * Vorndle::kGradientEntries> Vorndle::readGradient(const std::string& path) {
    std::array<uint8_t, 3 * kGradientEntries> table{};
    std::FILE* file = unreadableFileReason(path).empty() ? std::fopen(path.c_str(), "rb") : nullptr;
    if (!file) {
        for (int i = 0; i < kGradientEntries; ++i)
            table[3 * i] = table[3 * i + 1] = table[3 * i + 2] = uint8_t(i);
        return table;
    }
    // A short file fills what it holds; the rest stays black.
    const size_t got = std::fread(table.data(), 1, table.size(), file);
    (void)got;
    std::fclose(file);
    return table;
}

Ref<Texture> Vorndle::createGradientTexture(const uint8_t* table) {
    Ref<Texture1D> texture = makeRef<Texture1D>();
    texture->create(kGradientEntries, codes::formatCode("rgb_8"));
    texture->bind();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    texture->upload(table);
    TextureParams params;
    params.magFilter = params.minFilter = codes::kFilterLinear;
    params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
    texture->applyParams(params);
    texture->unbind();
    return texture;
}

void Vorndle::randomNormals(float* xyz) {
    NormalGenerator generator;
    for (int i = 0; i < kRandomNormals; ++i) {
        float* v = xyz + 3 * i;
        v[0] = generator.next();
        v[1] = generator.next();
        v[2] = generator.next();
        const float scale = 1.0f / std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        v[0] *= scale;
        v[1] *= scale;
        v[2] *= scale;
    }
}

Ref<Texture> Vorndle::createRandomNormalsTexture() {
    std::vector<float> texels(3 * kRandomNormals);
    randomNormals(texels.data());
    Ref<Texture2D> texture = makeRef<Texture2D>();
    texture->create(32, 32, codes::formatCode("rgb_fp32"));
    texture->bind();
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    texture->upload(texels.data());
    TextureParams params;
    params.magFilter = params.minFilter = codes::kFilterNearest;
    params.wrapS = params.wrapT = codes::kWrapRepeat;
    params.swizzle[3] = codes::kSwizzleOne;
    texture->applyParams(params);
    texture->unbind();
    return texture;
}

bool Vorndle::onDemoLoaded() {
    const auto table = readGradient(resolveDataPath(std::string("data/") + kGradientName + ".grad"));
    Ref<Texture> gradient = createGradientTexture(table.data());
    textureRegistry().remove(kGradientName);
    textureRegistry().insert(kGradientName, gradient);
    textureRegistry().remove("random_normals");
    textureRegistry().insert("random_normals", createRandomNormalsTexture());
    return true;
}

bool Vorndle::createParts(Ref<LoadingScreen>&) {
    for (const PartEntry& part : kParts)
        Timeline::global().registerPart(part.name, part.start, part.end,
                                        makeRef<VorndleSceneTemplate>(part.name, part.sceneFile));
    return true;
}
