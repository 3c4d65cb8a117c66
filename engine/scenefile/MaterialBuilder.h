#pragma once

#include "core/Object.h"
#include "render/RenderStates.h"

namespace tinyxml2 {
class XMLElement;
}
class Material;
class Program;
class SamplerSet;
class SceneLoaderXML;
class UniformsBuilder;

// Reads a scene file's `material` element: the program, the textures of its samplers, uniform
// values and the three render-state records. One builder serves every material of a file.
class MaterialBuilder {
public:
    MaterialBuilder();
    ~MaterialBuilder();

    // The new material, or null after the loader printed why. Updates the loader's current program
    // when the element names one.
    [[nodiscard]] Ref<Material> read(const tinyxml2::XMLElement* e, SceneLoaderXML& loader);
    void reset();

    // The render-state vocabulary: records from a `drawstate`'s children, absent children and
    // attributes taking their defaults.
    static BlendState readBlend(const tinyxml2::XMLElement* blend);
    static DepthStencilState readDepthStencil(const tinyxml2::XMLElement* depthStencil);
    static RasterizerState readRasterizer(const tinyxml2::XMLElement* rasterizer);

private:
    [[nodiscard]] bool readSamplers(const tinyxml2::XMLElement* e, SceneLoaderXML& loader);
    [[nodiscard]] bool readUniforms(const tinyxml2::XMLElement* e, SceneLoaderXML& loader);

    Ref<Material> material_;
    Ref<Program> program_;
    Ref<SamplerSet> samplerSet_;
    Ref<UniformsBuilder> uniforms_;
};
