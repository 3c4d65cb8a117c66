#include "scenefile/MaterialBuilder.h"

#include "core/XmlAttributes.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/SamplerSet.h"
#include "render/UniformBuffer.h"
#include "render/UniformsBuilder.h"
#include "scene/Material.h"
#include "scene/Skeleton.h"
#include "scenefile/SceneLoaderXML.h"

#include <tinyxml2.h>

#include <cstring>

using tinyxml2::XMLElement;

MaterialBuilder::MaterialBuilder() = default;
MaterialBuilder::~MaterialBuilder() = default;

void MaterialBuilder::reset() {
    material_ = nullptr;
    program_ = nullptr;
    samplerSet_ = nullptr;
    uniforms_ = nullptr;
}

Ref<Material> MaterialBuilder::read(const XMLElement* e, SceneLoaderXML& loader) {
    const XMLElement* programElement = e->FirstChildElement("program");
    const XMLElement* samplers = e->FirstChildElement("samplerset");
    const XMLElement* uniforms = e->FirstChildElement("uniforms");
    const XMLElement* drawState = e->FirstChildElement("drawstate");

    material_ = makeRef<Material>();
    samplerSet_ = samplers ? makeRef<SamplerSet>() : nullptr;
    uniforms_ = nullptr;
    // Samplers and uniforms resolve against this material's program, or against the enclosing
    // one when the material names none.
    program_ = loader.currentProgram_;
    if (programElement) {
        const char* name = xml::text(programElement, "name");
        program_ = name ? programRegistry().find(name) : nullptr;
        material_->setProgram(program_);
        material_->setPointSize(xml::boolAttr(programElement, "pointsize", false));
        if (programElement->Attribute("shadow"))
            material_->setShadowProgram(program_);
        loader.currentProgram_ = program_;
    }
    if (samplers && !readSamplers(samplers, loader))
        return nullptr;
    if (uniforms && !readUniforms(uniforms, loader))
        return nullptr;
    if (drawState) {
        if (const XMLElement* c = drawState->FirstChildElement("blend"))
            material_->setBlend(readBlend(c));
        if (const XMLElement* c = drawState->FirstChildElement("depthstencil"))
            material_->setDepthStencil(readDepthStencil(c));
        if (const XMLElement* c = drawState->FirstChildElement("rasterizer"))
            material_->setRasterizer(readRasterizer(c));
    }
    if (samplerSet_)
        material_->setSamplerSet(samplerSet_);
    if (uniforms_)
        material_->setUniforms(uniforms_->uniforms());
    Ref<Material> done = material_;
    reset();
    return done;
}

bool MaterialBuilder::readSamplers(const XMLElement* e, SceneLoaderXML& loader) {
    for (const XMLElement* s = e->FirstChildElement("sampler"); s; s = s->NextSiblingElement("sampler")) {
        const char* name = xml::text(s, "name");
        const char* texture = xml::text(s, "texture");
        if (!name || !texture)
            return loader.fail(s, "a sampler needs \"name\" and \"texture\"");
        // Unregistered textures and sampler names the program lacks are skipped.
        if (program_)
            samplerSet_->addForUniform(textureRegistry().find(texture), *program_, name);
    }
    return true;
}

bool MaterialBuilder::readUniforms(const XMLElement* e, SceneLoaderXML& loader) {
    uniforms_ = makeRef<UniformsBuilder>(program_);
    uniforms_->begin();
    for (const XMLElement* u = e->FirstChildElement("uniform"); u; u = u->NextSiblingElement("uniform")) {
        const char* name = xml::text(u, "name");
        const char* values = xml::text(u, "values");
        if (!name || !values)
            return loader.fail(u, "a uniform needs \"name\" and \"values\"");
        if (std::strcmp(values, "skeleton.boneMatrix") == 0) {
            // Without a current skeleton there is no palette to bind: the uniform is skipped.
            const Skeleton* skeleton = loader.currentSkeleton_.get();
            if (skeleton && skeleton->boneCount() > 0)
                uniforms_->addMatrix4f(name, skeleton->boneCount(), skeleton->paletteData());
        } else if (std::strcmp(values, "atmosphere.uniforms") == 0) {
            if (!loader.atmosphereUniforms_)
                return loader.fail(u, "\"atmosphere.uniforms\" before any atmoslight");
            uniforms_->addBlock(name, loader.atmosphereUniforms_);
        } else if (loader.handler_) {
            loader.handler_->setUniform(*uniforms_, name, values);
        }
    }
    return true;
}

BlendState MaterialBuilder::readBlend(const XMLElement* e) {
    BlendState s;
    s.enabled = true;
    const XMLElement* mode = e->FirstChildElement("mode");
    s.equation = codes::blendEquationCode(mode ? xml::text(mode, "value") : nullptr);
    // A factor child that is present defaults its RGB factor to one; an absent one gives zero.
    if (const XMLElement* source = e->FirstChildElement("source")) {
        s.srcRGB = codes::blendFactorCode(xml::text(source, "rgb"), 1);
        s.srcAlpha = codes::blendFactorCode(xml::text(source, "alpha"), 0);
    }
    if (const XMLElement* dest = e->FirstChildElement("dest")) {
        s.dstRGB = codes::blendFactorCode(xml::text(dest, "rgb"), 1);
        s.dstAlpha = codes::blendFactorCode(xml::text(dest, "alpha"), 0);
    }
    if (const XMLElement* mask = e->FirstChildElement("writemask")) {
        s.colorMask[0] = xml::boolAttr(mask, "r", true);
        s.colorMask[1] = xml::boolAttr(mask, "g", true);
        s.colorMask[2] = xml::boolAttr(mask, "b", true);
        s.colorMask[3] = xml::boolAttr(mask, "a", true);
    }
    if (const XMLElement* buffers = e->FirstChildElement("buffermask"))
        s.bufferMask = xml::intAttr(buffers, "value", 0);
    return s;
}

DepthStencilState MaterialBuilder::readDepthStencil(const XMLElement* e) {
    DepthStencilState s;
    if (const XMLElement* depth = e->FirstChildElement("depth")) {
        s.depthFunc = codes::compareFunctionCode(xml::text(depth, "compare"), 1);
        s.depthTest = xml::boolAttr(depth, "test", true);
        s.depthWrite = xml::boolAttr(depth, "write", true);
        s.depthClamp = xml::boolAttr(depth, "clamp", false);
        s.depthNear = xml::floatAttr(depth, "near", 0.0f);
        s.depthFar = xml::floatAttr(depth, "far", 1.0f);
    } else {
        // Without a depth child the test is off but writes stay on.
        s.depthTest = false;
        s.depthWrite = true;
    }
    if (const XMLElement* stencil = e->FirstChildElement("stencil")) {
        s.stencilTest = xml::boolAttr(stencil, "test", false);
        s.stencilRef = xml::intAttr(stencil, "ref", 0);
        s.stencilMask = xml::intAttr(stencil, "mask", -1);
        s.stencilFunc = codes::compareFunctionCode(xml::text(stencil, "compare"), 0);
        s.stencilFail = codes::stencilOperationCode(xml::text(stencil, "fail"));
        s.stencilDepthFail = codes::stencilOperationCode(xml::text(stencil, "depthfail"));
        s.stencilDepthPass = codes::stencilOperationCode(xml::text(stencil, "depthpass"));
    }
    return s;
}

RasterizerState MaterialBuilder::readRasterizer(const XMLElement* e) {
    RasterizerState s;
    if (const XMLElement* c = e->FirstChildElement("pointsize"))
        s.pointSize = xml::floatAttr(c, "value", 1.0f);
    if (const XMLElement* c = e->FirstChildElement("linewidth"))
        s.lineWidth = xml::floatAttr(c, "value", 1.0f);
    if (const XMLElement* c = e->FirstChildElement("culling")) {
        s.cullEnabled = xml::boolAttr(c, "enable", true);
        s.cullFace = codes::cullFaceCode(xml::text(c, "face"));
    }
    if (const XMLElement* c = e->FirstChildElement("winding"))
        s.frontFace = codes::windingCode(xml::text(c, "value"));
    if (const XMLElement* c = e->FirstChildElement("polygonoffset")) {
        s.polygonOffsetEnabled = xml::boolAttr(c, "enable", false);
        s.polygonOffsetMode = codes::polygonOffsetModeCode(xml::text(c, "mode"));
        s.polygonOffsetFactor = xml::floatAttr(c, "factor", 0.0f);
        s.polygonOffsetUnits = xml::floatAttr(c, "units", 0.0f);
    }
    return s;
}
