#include "app/DemoDescription.h"

#include "app/DemoApplication.h"
#include "app/Song.h"
#include "app/SoundDevice.h"
#include "assets/JPEGLoader.h"
#include "assets/Mesh.h"
#include "assets/PNGLoader.h"
#include "assets/RAWMeshLoader.h"
#include "assets/ShaderLoader.h"
#include "assets/TextureBuilders.h"
#include "core/Diagnostics.h"
#include "core/LoadPhases.h"
#include "core/Paths.h"
#include "core/XmlAttributes.h"
#include "demo/LoadingScreen.h"
#include "demo/ProgramBuilder.h"
#include "demo/Registries.h"
#include "render/CodeTables.h"
#include "render/Device.h"
#include "render/Framebuffer.h"
#include "render/Program.h"
#include "render/RenderBuffer.h"
#include "render/Sampler.h"
#include "render/Texture2D.h"
#include "render/Texture2DArray.h"
#include "render/Texture3D.h"
#include "render/TextureBuffer.h"
#include "render/TextureCube.h"

#include "render/Gl.h"
#include <cstring>
#include <memory>
#include <set>
#include <tinyxml2.h>
#include <vector>

using tinyxml2::XMLElement;

namespace {

// Shares of the loading bar per group (the parts share the rest).
constexpr float shareFramebuffers = 0.080000006f;
constexpr float shareShaders = 0.080000006f;
constexpr float shareTextures = 0.48000002f;
constexpr float shareModels = 0.16000001f;

class DescriptionLoader {
public:
    DescriptionLoader(const std::string& file, DemoApplication& app, DescriptionLoad what)
        : file_(file), app_(app), keepSong_(what != DescriptionLoad::Everything),
          programsOnly_(what == DescriptionLoad::MissingPrograms) {}

    bool load();

private:
    bool fail(const std::string& place, const char* reason) {
        diagnostic(file_.c_str(), place.c_str(), "%s", reason);
        return false;
    }
    // For failures of a loader that names the file and the reason itself: adds a line only when
    // it said nothing since `before`.
    bool failUnlessSaid(unsigned before, const std::string& place, const char* reason) {
        return diagnosticCount() != before ? false : fail(place, reason);
    }
    static std::string where(const XMLElement* e) {
        std::string place = e->Name();
        if (const char* name = e->Attribute("name"))
            place += std::string(" \"") + name + "\"";
        return place;
    }
    void setShare(const XMLElement* group, float share);
    void advance();

    // The song's attributes are checked and its decoding started first; the rest loads meanwhile.
    bool startSong(const XMLElement* e, std::unique_ptr<SongDecode>& decode);
    // A null `decode` keeps the application's song (a reload) and only sets its tempo and range.
    bool finishSong(const XMLElement* e, SongDecode* decode);
    bool loadResources(const XMLElement* framebuffers, const XMLElement* shaders, const XMLElement* textures,
                       const XMLElement* models);
    bool loadFramebuffers(const XMLElement* group);
    bool readSize(const XMLElement* e, int& width, int& height, int& depth, int& format);
    template <class Params>
    bool readFilteringAndWrap(const XMLElement* sampler, const std::string& place, Params& params);
    bool readTextureSampler(const XMLElement* e, TextureParams& params);
    bool targetSizeSupported(const XMLElement* e, const std::string& place, int width, int height, int depth);
    bool loadTarget(const XMLElement* e);
    bool loadFbo(const XMLElement* e);
    bool loadShaders(const XMLElement* group);
    bool loadProgram(const ShaderLoader& loader, const XMLElement* e);
    bool readSamplers(const XMLElement* e, const std::string& place,
                      std::vector<std::pair<std::string, SamplerParams>>& samplers);
    bool buildProgram(const ShaderLoader& loader, const XMLElement* e, const std::string& name,
                      const std::string& place);
    bool loadTextures(const XMLElement* group);
    bool loadImage(const XMLElement* e, PNGLoader& png, JPEGLoader& jpeg);
    bool loadModels(const XMLElement* group);

    std::string file_;
    DemoApplication& app_;
    bool keepSong_;
    bool programsOnly_;
};

void DescriptionLoader::setShare(const XMLElement* group, float share) {
    if (!app_.loadingScreen)
        return;
    unsigned children = 0;
    for (const tinyxml2::XMLNode* n = group->FirstChild(); n; n = n->NextSibling())
        ++children;
    app_.loadingScreen->setStep(children ? share / static_cast<float>(children) : 0.0f);
}

void DescriptionLoader::advance() {
    if (app_.loadingScreen)
        app_.loadingScreen->advance();
}

bool DescriptionLoader::load() {
    tinyxml2::XMLDocument doc;
    tinyxml2::XMLError error = doc.LoadFile(file_.c_str());
    if (std::string why = unreadableFileReason(file_); !why.empty())
        return fail("demo", why.c_str());
    if (error == tinyxml2::XML_ERROR_FILE_NOT_FOUND || error == tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED)
        return fail("demo", "the file cannot be opened");
    if (error != tinyxml2::XML_SUCCESS) {
        xml::reportParseError(file_, doc);
        return false;
    }
    const XMLElement* root = doc.RootElement();
    if (!root || std::strcmp(root->Name(), "demo") != 0)
        return fail("demo", "the root element is not <demo>");

    const XMLElement* song = root->FirstChildElement("song");
    const XMLElement* framebuffers = root->FirstChildElement("framebuffers");
    const XMLElement* shaders = root->FirstChildElement("shaders");
    const XMLElement* textures = root->FirstChildElement("textures");
    const XMLElement* models = root->FirstChildElement("models");
    if (!song)
        return fail("demo", "no <song> element");
    if (keepSong_ && app_.song) {
        // A reload: the song's attributes are read as always, but the playing song is kept.
        std::unique_ptr<SongDecode> none;
        if (!startSong(song, none) || !finishSong(song, nullptr))
            return false;
        if (programsOnly_)
            return shaders ? loadShaders(shaders) : fail("demo", "no <shaders> element");
        return loadResources(framebuffers, shaders, textures, models);
    }
    // The song decodes on a worker while the rest loads. Until it is known to play, what the rest
    // has to say is held: had the song failed, loading would have stopped there.
    std::unique_ptr<SongDecode> decode;
    if (!startSong(song, decode))
        return false;
    bool loaded = false;
    std::vector<std::string> held;
    {
        DiagnosticHold hold;
        loaded = loadResources(framebuffers, shaders, textures, models);
        held = hold.take();
    }
    if (!finishSong(song, decode.get()))
        return false;
    sayHeld(held);
    return loaded;
}

bool DescriptionLoader::loadResources(const XMLElement* framebuffers, const XMLElement* shaders,
                                      const XMLElement* textures, const XMLElement* models) {
    if (!framebuffers)
        return fail("demo", "no <framebuffers> element");
    if (!loadFramebuffers(framebuffers))
        return false;
    if (!shaders)
        return fail("demo", "no <shaders> element");
    if (!loadShaders(shaders))
        return false;
    if (textures && !loadTextures(textures))
        return false;
    if (!models)
        return fail("demo", "no <models> element");
    return loadModels(models);
}

bool DescriptionLoader::startSong(const XMLElement* e, std::unique_ptr<SongDecode>& decode) {
    LoadPhaseScope phase(LoadPhases::Song);
    const char* file = xml::text(e, "file");
    int bpm = 0;
    if (!file)
        return fail("song", "missing attribute \"file\"");
    if (!xml::queryInt(e, "bpm", bpm))
        return fail("song", "missing or unreadable attribute \"bpm\"");
    if (!app_.soundDevice)
        return fail("song", "no sound device");
    const std::string path = resolveDataPath(std::string("data/") + file);
    if (!app_.soundDevice->mixer) {
        diagnostic(path.c_str(), "open", "the audio output is not initialised");
        return false;
    }
    if (!keepSong_ || !app_.song)
        decode = std::make_unique<SongDecode>(path, *app_.soundDevice);
    return true;
}

bool DescriptionLoader::finishSong(const XMLElement* e, SongDecode* decode) {
    LoadPhaseScope phase(LoadPhases::Song);
    bool said = false;
    Ref<Song> song = decode ? decode->finish(&said) : app_.song;
    if (!song)
        return said ? false : fail("song", "the song cannot be opened");
    int bpm = 0;
    xml::queryInt(e, "bpm", bpm);
    song->bpm = bpm;
    song->beatsPerMs = static_cast<float>(bpm) * 0.016666668f * 0.001f;
    app_.song = song;

    float start = 0, stop = 0;
    if (xml::queryFloat(e, "start", start)) {
        app_.songStart = start;
        if (xml::queryFloat(e, "stop", stop)) {
            app_.songStop = stop;
            bool looping = false;
            if (xml::queryBool(e, "looping", looping))
                app_.looping = looping;
        }
    }
    return true;
}

bool DescriptionLoader::readSize(const XMLElement* e, int& width, int& height, int& depth, int& format) {
    const std::string place = "framebuffers/" + where(e);
    if (!xml::text(e, "name"))
        return fail(place, "missing attribute \"name\"");
    if (!parseScreenSize(xml::text(e, "width"), app_.settings.width, width))
        return fail(place, "missing or unreadable \"width\"");
    if (!parseScreenSize(xml::text(e, "height"), app_.settings.height, height))
        return fail(place, "missing or unreadable \"height\"");
    if (width <= 0 || height <= 0)
        return fail(place, "the size is not positive");
    depth = 1;
    if (xml::text(e, "depth") && (!xml::queryInt(e, "depth", depth) || depth <= 0))
        return fail(place, "\"depth\" must be a positive number");
    const char* formatName = xml::text(e, "format");
    if (!formatName)
        return fail(place, "missing attribute \"format\"");
    format = codes::formatCode(formatName);
    if (format == codes::kNoFormat)
        return fail(place, ("unknown format \"" + std::string(formatName) + "\"").c_str());
    return true;
}

// Reads the `filtering` and `wrap` children of a sampler element over `params` (texture or
// sampler-object settings: both name their fields alike). Missing names keep the current values.
template <class Params>
bool DescriptionLoader::readFilteringAndWrap(const XMLElement* sampler, const std::string& place,
                                             Params& params) {
    if (const XMLElement* f = sampler->FirstChildElement("filtering")) {
        const char* mag = xml::text(f, "mag");
        const char* min = xml::text(f, "min");
        if (mag && !codes::filterCode(mag, &params.magFilter))
            return fail(place, ("unknown filter \"" + std::string(mag) + "\"").c_str());
        if (min && !codes::filterCode(min, &params.minFilter))
            return fail(place, ("unknown filter \"" + std::string(min) + "\"").c_str());
    }
    if (const XMLElement* w = sampler->FirstChildElement("wrap")) {
        int* fields[3] = {&params.wrapS, &params.wrapT, &params.wrapR};
        const char* names[3] = {"s", "t", "r"};
        for (int i = 0; i < 3; ++i) {
            const char* value = xml::text(w, names[i]);
            if (value && !codes::wrapCode(value, fields[i]))
                return fail(place, ("unknown wrap \"" + std::string(value) + "\"").c_str());
        }
    }
    return true;
}

// Reads an optional `sampler` child of a texture element over `params`. A depth texture may ask
// for comparison on lookup (shadow maps: <depth mode="ref"/>); textures compare with "less".
bool DescriptionLoader::readTextureSampler(const XMLElement* e, TextureParams& params) {
    const XMLElement* sampler = e->FirstChildElement("sampler");
    if (!sampler)
        return true;
    const std::string place = where(e) + "/sampler";
    if (!readFilteringAndWrap(sampler, place, params))
        return false;
    if (const XMLElement* d = sampler->FirstChildElement("depth")) {
        const char* mode = xml::text(d, "mode");
        const char* func = xml::text(d, "func");
        int code = 0;
        if (!mode || !codes::compareModeCode(mode, &code))
            return fail(place, "<depth> needs \"mode\" \"ref\" or \"none\"");
        if (func && std::strcmp(func, "less") != 0)
            return fail(place, "a texture compares with \"less\" only");
        params.compare = std::strcmp(mode, "ref") == 0;
    }
    return true;
}

bool DescriptionLoader::targetSizeSupported(const XMLElement* e, const std::string& place, int width,
                                            int height, int depth) {
    GLenum sideLimit = GL_MAX_TEXTURE_SIZE;
    GLenum depthLimit = 0; // none: one layer only
    if (std::strcmp(e->Name(), "renderbuffer") == 0) {
        sideLimit = GL_MAX_RENDERBUFFER_SIZE;
    } else if (std::strcmp(e->Name(), "cubemap") == 0) {
        if (width != height)
            return fail(place, "cube map faces must be square");
        sideLimit = GL_MAX_CUBE_MAP_TEXTURE_SIZE;
    } else if (depth > 1) {
        const bool array = xml::boolAttr(e, "array", false);
        depthLimit = array ? GL_MAX_ARRAY_TEXTURE_LAYERS : GL_MAX_3D_TEXTURE_SIZE;
        if (!array)
            sideLimit = GL_MAX_3D_TEXTURE_SIZE;
    }
    GLint maxSide = 0, maxDepth = 1;
    bool fits = withinGlLimit(sideLimit, width, height, &maxSide);
    fits = (depthLimit ? withinGlLimit(depthLimit, depth, 1, &maxDepth) : depth == 1) && fits;
    if (!fits) {
        const std::string reason = "the size " + std::to_string(width) + "x" + std::to_string(height) + "x" +
                                   std::to_string(depth) + " exceeds the GL limit " +
                                   std::to_string(maxSide) + "x" + std::to_string(maxSide) + "x" +
                                   std::to_string(maxDepth);
        return fail(place, reason.c_str());
    }
    return true;
}

bool DescriptionLoader::loadTarget(const XMLElement* e) {
    int width = 0, height = 0, depth = 1, format = 0;
    if (!readSize(e, width, height, depth, format))
        return false;
    const std::string name = e->Attribute("name");
    const std::string place = "framebuffers/" + where(e);
    const bool renderbuffer = std::strcmp(e->Name(), "renderbuffer") == 0;
    if (!targetSizeSupported(e, place, width, height, depth))
        return false;
    // Targets are made without pixels, so a GL error is the only sign that the driver could not
    // give one its storage; start from a clean error state to read it.
    gl::clearErrors();
    Ref<Texture> texture;
    if (renderbuffer) {
        Ref<RenderBuffer> rb = makeRef<RenderBuffer>();
        rb->create(width, height, format);
        texture = rb;
    } else {
        if (std::strcmp(e->Name(), "cubemap") == 0) {
            Ref<TextureCube> cube = makeRef<TextureCube>();
            cube->create(width, height, format);
            texture = cube;
        } else if (depth == 1) {
            Ref<Texture2D> t = makeRef<Texture2D>();
            t->create(width, height, format);
            texture = t;
        } else {
            Ref<Texture3D> t = xml::boolAttr(e, "array", false) ? Ref<Texture3D>(makeRef<Texture2DArray>())
                                                                : makeRef<Texture3D>();
            t->create(width, height, depth, format);
            texture = t;
        }
        // Render targets sample nearest, clamped, without comparison unless their sampler says so.
        TextureParams params = texture->params();
        params.magFilter = codes::kFilterNearest;
        params.minFilter = codes::kFilterNearest;
        params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
        params.compare = false;
        if (!readTextureSampler(e, params))
            return false;
        texture->bind();
        texture->applyParams(params);
        texture->unbind();
    }
    if (GLenum error = gl::takeError(); error != GL_NO_ERROR) {
        gl::clearErrors();
        return fail(place, error == GL_OUT_OF_MEMORY ? "the driver has no memory for the target"
                                                     : "the driver refused the target");
    }
    textureRegistry().insert(name, texture);
    advance();
    return true;
}

bool DescriptionLoader::loadFbo(const XMLElement* e) {
    const std::string place = "framebuffers/" + where(e);
    const char* name = xml::text(e, "name");
    if (!name)
        return fail(place, "missing attribute \"name\"");
    Ref<Framebuffer> fbo = makeRef<Framebuffer>();
    for (const XMLElement* a = e->FirstChildElement("attachment"); a;
         a = a->NextSiblingElement("attachment")) {
        const char* buffer = xml::text(a, "buffer");
        const char* type = xml::text(a, "type");
        if (!buffer)
            return fail(place, "an attachment has no \"buffer\"");
        Ref<Texture> texture = textureRegistry().find(buffer);
        if (!texture)
            return fail(place, ("attachment buffer \"" + std::string(buffer) + "\" is not declared").c_str());
        if (!type)
            return fail(place, "an attachment has no \"type\"");
        int point = codes::attachmentCode(type);
        if (point >= codes::kAttachmentCount)
            return fail(place, ("unknown attachment type \"" + std::string(type) + "\"").c_str());
        int level = xml::intAttr(a, "level", 0);
        int layer = 0;
        if (!xml::queryInt(a, "cubeside", layer))
            layer = xml::intAttr(a, "zoffset", 0);
        fbo->setAttachment(point, texture, level, layer);
    }
    if (!fbo->create())
        return fail(place, "the framebuffer is incomplete");
    framebufferRegistry().insert(name, fbo);
    advance();
    return true;
}

bool DescriptionLoader::loadFramebuffers(const XMLElement* group) {
    LoadPhaseScope phase(LoadPhases::Targets);
    setShare(group, shareFramebuffers);
    for (const char* kind : {"texture", "cubemap", "renderbuffer"})
        for (const XMLElement* e = group->FirstChildElement(kind); e; e = e->NextSiblingElement(kind))
            if (!loadTarget(e))
                return false;
    for (const XMLElement* e = group->FirstChildElement("fbo"); e; e = e->NextSiblingElement("fbo"))
        if (!loadFbo(e))
            return false;
    return true;
}

// The stages each stage attribute of a <program> asks for when it says "yes".
struct StageAttribute {
    const char* name;
    unsigned stages;
};

constexpr StageAttribute stageAttributes[] = {
    {"vert", 1u << Program::kVertex},
    {"geom", 1u << Program::kGeometry},
    {"frag", 1u << Program::kFragment},
    {"tess", (1u << Program::kControl) | (1u << Program::kEvaluation)}, // the two load as a pair
    {"comp", 1u << Program::kCompute},
};

// A bit (1 << stage code) for each stage the program declares; without any stage attribute, the
// vertex and fragment stages.
unsigned declaredStages(const XMLElement* e) {
    unsigned stages = 0;
    bool anyStageAttribute = false;
    for (const StageAttribute& a : stageAttributes) {
        const char* v = xml::text(e, a.name);
        anyStageAttribute = anyStageAttribute || v;
        if (v && std::strcmp(v, "yes") == 0)
            stages |= a.stages;
    }
    return anyStageAttribute ? stages : (1u << Program::kVertex) | (1u << Program::kFragment);
}

bool DescriptionLoader::loadProgram(const ShaderLoader& loader, const XMLElement* e) {
    const std::string place = "shaders/" + where(e);
    const char* nameText = xml::text(e, "name");
    if (!nameText)
        return fail(place, "missing attribute \"name\"");
    const std::string name = nameText;

    // Sampler declarations, read up front so that a bad one fails before anything is built.
    std::vector<std::pair<std::string, SamplerParams>> samplers;
    if (!readSamplers(e, place, samplers) || !buildProgram(loader, e, name, place))
        return false;

    // Sampler objects are used only where the driver is known to handle them well.
    if (Device::vendorIsNvidia()) {
        if (Ref<Program> program = programRegistry().find(name))
            for (const auto& [uniform, params] : samplers)
                Sampler::createForUniform(*program, uniform, params);
    }
    advance();
    return true;
}

bool DescriptionLoader::readSamplers(const XMLElement* e, const std::string& place,
                                     std::vector<std::pair<std::string, SamplerParams>>& samplers) {
    std::set<std::string> seen;
    for (const XMLElement* s = e->FirstChildElement("sampler"); s; s = s->NextSiblingElement("sampler")) {
        const char* uniform = xml::text(s, "name");
        if (!uniform)
            return fail(place, "a sampler has no \"name\"");
        if (!seen.insert(uniform).second)
            return fail(place, ("sampler \"" + std::string(uniform) + "\" is declared twice").c_str());
        SamplerParams p;
        p.magFilter = p.minFilter = codes::kFilterLinear;
        p.wrapS = p.wrapT = p.wrapR = codes::kWrapRepeat;
        if (!readFilteringAndWrap(s, place, p))
            return false;
        if (const XMLElement* d = s->FirstChildElement("depth")) {
            const char* mode = xml::text(d, "mode");
            const char* func = xml::text(d, "func");
            if (!mode || !func)
                return fail(place, "<depth> needs both \"mode\" and \"func\"");
            if (!codes::compareModeCode(mode, &p.compareMode) ||
                !codes::samplerCompareCode(func, &p.compareFunction))
                return fail(place, "unknown depth mode or compare function");
        }
        if (const XMLElement* l = s->FirstChildElement("lod")) {
            xml::queryFloat(l, "min", p.minLod);
            xml::queryFloat(l, "max", p.maxLod);
            xml::queryFloat(l, "bias", p.lodBias);
        }
        if (const XMLElement* b = s->FirstChildElement("border")) {
            const char* channels[4] = {"r", "g", "b", "a"};
            for (int i = 0; i < 4; ++i)
                xml::queryFloat(b, channels[i], p.borderColor[i]);
        }
        samplers.emplace_back(uniform, p);
    }
    return true;
}

bool DescriptionLoader::buildProgram(const ShaderLoader& loader, const XMLElement* e, const std::string& name,
                                     const std::string& place) {
    // The builders tolerate an absent stage, so a program whose declared fragment file is missing
    // or broken would link without it and draw nothing (or garbage), reported as success. The
    // description says which stages it wants: those must load.
    const unsigned stages = declaredStages(e);
    auto declares = [stages](int stage) { return (stages & (1u << stage)) != 0; };
    ProgramBuilder builder(loader, stages);
    const unsigned said = diagnosticCount();

    bool built = false;
    if (const XMLElement* feedback = e->FirstChildElement("feedback")) {
        int mode = 0;
        const char* type = xml::text(feedback, "type");
        if (type && !codes::feedbackModeCode(type, &mode))
            return fail(place, "unknown feedback type");
        std::vector<std::string> varyings;
        for (const XMLElement* v = feedback->FirstChildElement("varying"); v;
             v = v->NextSiblingElement("varying")) {
            const char* varying = xml::text(v, "name");
            if (!varying)
                return fail(place, "a varying has no \"name\"");
            varyings.push_back(varying);
        }
        built = builder.buildTransformFeedback(name, varyings, mode);
    } else if (declares(Program::kCompute)) {
        built = builder.buildCompute(name);
    } else if (declares(Program::kControl)) {
        built = builder.buildTessellation(name);
    } else if (declares(Program::kVertex) && declares(Program::kFragment)) {
        built = declares(Program::kGeometry) ? builder.buildWithGeometry(name) : builder.buildPlain(name);
    } else {
        return fail(place, "unsupported combination of stages");
    }
    // A stage that does not compile has printed the driver's log already.
    if (!built)
        return failUnlessSaid(said, place, builder.failure().c_str());
    return true;
}

bool DescriptionLoader::loadShaders(const XMLElement* group) {
    LoadPhaseScope phase(LoadPhases::Programs);
    setShare(group, shareShaders);
    ShaderLoader loader(resolveDataPath("data/shaders/"));
    for (const XMLElement* e = group->FirstChildElement("program"); e; e = e->NextSiblingElement("program")) {
        // A reload of some programs keeps the registered ones.
        const char* name = programsOnly_ ? xml::text(e, "name") : nullptr;
        if (name && programRegistry().contains(name))
            continue;
        if (!loadProgram(loader, e))
            return false;
    }
    return true;
}

bool DescriptionLoader::loadImage(const XMLElement* e, PNGLoader& png, JPEGLoader& jpeg) {
    const std::string place = "textures/" + where(e);
    const char* element = e->Name();
    const bool image = std::strncmp(element, "image", 5) == 0;
    const bool cube = std::strncmp(element, "cubemap", 7) == 0;
    const bool array = std::strncmp(element, "array", 5) == 0;
    if (!image && !cube && !array)
        return fail(place, "unknown texture element");
    const char* name = xml::text(e, "name");
    if (!name)
        return fail(place, "missing attribute \"name\"");
    const char* file = xml::text(e, "file");
    if (!array && !file)
        return fail(place, "missing attribute \"file\"");
    const std::string folder = resolveDataPath("data/textures/");

    Ref<Texture> texture;
    TextureParams params;
    // An image's pixels stay until its mipmaps are made from them.
    DecodedImage pixels;
    if (image) {
        const std::string path = folder + file;
        const unsigned said = diagnosticCount();
        bool decoded = false;
        if (png.canLoad(path)) {
            png.setPremultiply(xml::text(e, "premult") && std::strcmp(xml::text(e, "premult"), "yes") == 0);
            decoded = png.decode(path, pixels);
            png.setPremultiply(false);
        } else {
            decoded = jpeg.decode(path, pixels);
        }
        if (decoded)
            texture = ImageLoader::textureFromImage(pixels, path);
        if (!texture)
            return failUnlessSaid(said, place, ("the image \"" + path + "\" cannot be read").c_str());
        params = texture->params();
        params.magFilter = codes::kFilterLinear;
        params.minFilter = codes::kFilterLinearMipmapLinear;
        params.wrapS = params.wrapT = codes::kWrapRepeat;
    } else if (cube) {
        const unsigned said = diagnosticCount();
        texture = loadCubeMap(png, folder + file);
        if (!texture)
            return failUnlessSaid(said, place, "a cube face cannot be read");
        params = texture->params();
        params.magFilter = params.minFilter = codes::kFilterLinear;
        params.wrapS = params.wrapT = params.wrapR = codes::kWrapEdge;
    } else {
        std::vector<std::string> layers;
        for (const XMLElement* l = e->FirstChildElement("layer"); l; l = l->NextSiblingElement("layer")) {
            const char* layerFile = xml::text(l, "file");
            if (!layerFile)
                return fail(place, "a layer has no \"file\"");
            layers.push_back(folder + layerFile);
        }
        if (layers.size() < 2)
            return fail(place, "an array needs at least two layers");
        const unsigned said = diagnosticCount();
        texture = loadTextureArray(layers, png, jpeg);
        if (!texture)
            return failUnlessSaid(said, place,
                                  "the layers cannot be read or do not agree in size and format");
        params = texture->params();
    }
    if (!readTextureSampler(e, params))
        return false;
    texture->bind();
    texture->applyParams(params);

    if (image) {
        float level = app_.requestedAnisotropy;
        const XMLElement* sampler = e->FirstChildElement("sampler");
        float share = 0;
        if (sampler && sampler->FirstChildElement("filtering") &&
            xml::queryFloat(sampler, "anisotropic", share) && app_.requestedAnisotropy > 1) {
            float scaled = app_.maximumAnisotropy * share + 1;
            level = app_.requestedAnisotropy < scaled ? app_.requestedAnisotropy : scaled;
        }
        if (level > 1)
            texture->setAnisotropy(level, app_.maximumAnisotropy);
        if (texture->type() == Texture2D::kType)
            ImageLoader::uploadMipmaps(static_cast<const Texture2D&>(*texture), pixels);
        else
            texture->generateMipmap();
    }
    texture->unbind();
    textureRegistry().insert(name, texture);
    advance();
    return true;
}

bool DescriptionLoader::loadTextures(const XMLElement* group) {
    LoadPhaseScope phase(LoadPhases::Textures);
    setShare(group, shareTextures);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // Loading starts at the first image (else the first cube map, else the first array) and takes
    // every element after it; elements before the start are skipped.
    const XMLElement* start = group->FirstChildElement("image");
    if (!start)
        start = group->FirstChildElement("cubemap");
    if (!start)
        start = group->FirstChildElement("array");
    PNGLoader png;
    JPEGLoader jpeg;
    for (const XMLElement* e = start; e; e = e->NextSiblingElement())
        if (!loadImage(e, png, jpeg))
            return false;
    return true;
}

bool DescriptionLoader::loadModels(const XMLElement* group) {
    LoadPhaseScope phase(LoadPhases::Meshes);
    setShare(group, shareModels);
    RAWMeshLoader loader;
    for (const XMLElement* e = group->FirstChildElement("mesh"); e; e = e->NextSiblingElement("mesh")) {
        const std::string place = "models/" + where(e);
        const char* name = xml::text(e, "name");
        const char* file = xml::text(e, "file");
        if (!name || !file)
            return fail(place, "a mesh needs \"name\" and \"file\"");
        const std::string path = resolveDataPath(std::string("data/models/") + file);
        const unsigned said = diagnosticCount();
        Ref<Mesh> mesh = loader.load(path);
        if (!mesh)
            return failUnlessSaid(said, place, ("the mesh \"" + path + "\" cannot be read").c_str());
        if (Ref<BufferObject> weights = mesh->weightsBuffer()) {
            Ref<TextureBuffer> buffer = makeRef<TextureBuffer>();
            buffer->create(weights);
            textureRegistry().insert(std::string(name) + ".weights", buffer);
        }
        meshRegistry().insert(name, mesh);
        advance();
    }
    return true;
}

} // namespace

bool parseScreenSize(const char* text, int screenSize, int& out) {
    if (!text)
        return false;
    const char* screen = std::strstr(text, "screen");
    if (!screen)
        return xml::scanInt(text, out);
    const char* rest = screen + 6;
    if (*rest != '/') {
        out = screenSize;
        return true;
    }
    int divisor = 0;
    if (!xml::scanInt(rest + 1, divisor) || divisor == 0)
        return false;
    out = screenSize / divisor;
    return true;
}

bool loadDemoDescription(const std::string& path, DemoApplication& application, DescriptionLoad what) {
    DescriptionLoader loader(resolveDataPath(path), application, what);
    return loader.load();
}
