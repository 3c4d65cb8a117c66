#include "RenderTestSupport.h"

#include "render/VertexArrayObject.h"

#include "assets/MeshData.h"
#include "assets/ShaderLoader.h"
#include "demo/ProgramBuilder.h"
#include "demo/Registries.h"
#include "render/IndexBuffer.h"
#include "render/Sampler.h"
#include "render/SamplerSet.h"
#include "render/Texture2D.h"
#include "render/UniformsBuilder.h"
#include "render/VertexBuffer.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace {

using ProgramTest = RenderTest;

constexpr const char* kVertex = R"(#version 430 core
in vec3 POSITION;
in vec2 TEXCOORD;
uniform mat4 ModelViewProjectionMatrix;
uniform mat4 ShadowMatrix;
uniform float weights[4];
layout(std140) uniform Light { vec4 colour; vec4 direction; } light;
out vec2 uv;
out vec4 tint;
void main() {
    uv = TEXCOORD + vec2(float(gl_InstanceID));
    tint = light.direction * weights[3];
    gl_Position = ModelViewProjectionMatrix * ShadowMatrix * vec4(POSITION, 1.0);
}
)";

constexpr const char* kSamplingFragment = R"(#version 430 core
in vec2 uv;
in vec4 tint;
uniform sampler2D albedo;
uniform sampler2D normals;
uniform sampler2DShadow shadow;
out vec4 color;
void main() {
    color = texture(albedo, uv) + texture(normals, uv) + vec4(texture(shadow, vec3(uv, 0.5))) + tint;
}
)";

Ref<Program> samplingProgram() {
    return RenderTest::linkProgram({{0, kVertex}, {1, kSamplingFragment}});
}

TEST_F(ProgramTest, ReflectionRecordsSamplersUniformsAttributesAndBlocks) {
    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    std::map<int, std::string> units;
    for (const char* name : {"albedo", "normals", "shadow"}) {
        const SamplerInfo* sampler = program->findSampler(name);
        ASSERT_NE(sampler, nullptr) << name;
        units[sampler->unit] = name;
        GLint value = -1;
        glGetUniformiv(program->glName(), glGetUniformLocation(program->glName(), name), &value);
        EXPECT_EQ(value, sampler->unit) << name << " already holds its unit";
    }
    EXPECT_EQ(units.size(), 3u);
    EXPECT_EQ(units.begin()->first, 0);
    EXPECT_EQ(units.rbegin()->first, 2);

    const UniformInfo* weights = program->findUniform("weights");
    ASSERT_NE(weights, nullptr) << "\"[0]\" is stripped";
    EXPECT_EQ(weights->baseType, GLenum(GL_FLOAT));
    EXPECT_EQ(weights->blockIndex, -1);
    EXPECT_EQ(weights->location, glGetUniformLocation(program->glName(), "weights"));

    const UniformInfo* direction = program->findUniform("Light.direction");
    ASSERT_NE(direction, nullptr);
    EXPECT_EQ(direction->location, 16) << "block members record their byte offset";
    EXPECT_EQ(direction->components, 4);
    EXPECT_GE(direction->blockIndex, 0);
    const UniformBlockInfo* block = program->findUniformBlock("Light");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->dataSize, 32);
    GLint binding = -1;
    glGetActiveUniformBlockiv(program->glName(), GLuint(block->index), GL_UNIFORM_BLOCK_BINDING, &binding);
    EXPECT_EQ(binding, block->index);

    const AttributeInfo* position = program->findAttribute("POSITION");
    ASSERT_NE(position, nullptr);
    EXPECT_EQ(position->components, 3);
    EXPECT_EQ(position->type, GLenum(GL_FLOAT_VEC3));
    EXPECT_EQ(program->findAttribute("gl_InstanceID"), nullptr);
    EXPECT_EQ(program->attributes().size(), 2u);

    EXPECT_EQ(program->builtInMask(), (1u << 4) | (1u << 10));
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), 0);
}

TEST_F(ProgramTest, StageCombinationsThatCannotLinkFail) {
    EXPECT_FALSE(linkProgram({{1, kPlainFragment}})) << "a fragment stage alone";
    const char* control = R"(#version 430 core
layout(vertices = 3) out;
void main() { gl_TessLevelOuter[0] = 1.0; gl_out[gl_InvocationID].gl_Position = gl_in[gl_InvocationID].gl_Position; }
)";
    const char* vertex = "#version 430 core\nvoid main() { gl_Position = vec4(0.0); }\n";
    GlCallRecorder rec;
    EXPECT_FALSE(linkProgram({{0, vertex}, {1, kPlainFragment}, {3, control}}))
        << "control without evaluation";
    EXPECT_EQ(rec.count("glCreateProgram"), rec.count("glDeleteProgram"))
        << "no program object is left behind";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(
        linkProgram({{0, "#version 430 core\nvoid main() { syntax error }\n"}, {1, kPlainFragment}}));
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("test0: compile:"), std::string::npos) << log;
}

TEST_F(ProgramTest, TransformFeedbackLinksWithDiscardOnlyDuringTheLink) {
    const char* vertex =
        "#version 430 core\nout float value;\nvoid main() { value = 1.0; gl_Position = vec4(0.0); }\n";
    const char* varyings[] = {"value"};
    GlCallRecorder rec;
    Ref<Program> program = linkProgram({{0, vertex}}, varyings, 1);
    ASSERT_TRUE(program);
    EXPECT_EQ(rec.count("glTransformFeedbackVaryings"), 1u);
    EXPECT_EQ(rec.count("glEnable"), 1u);
    EXPECT_FALSE(isEnabled(GL_RASTERIZER_DISCARD));
}

TEST_F(ProgramTest, BindingAProgramLeavesABoundVertexArrayObjectAlone) {
    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    device->bindProgram(program);
    Ref<VertexBuffer> vertices = makeRef<VertexBuffer>();
    vertices->create();
    vertices->setStride(20);
    vertices->addElement(0, 0, 3, 12);
    vertices->addElement(12, 4, 2, 8);
    Ref<VertexArrayObject> array = VertexArrayObject::create(*program, *vertices, nullptr);
    device->bindVertexArray(array);
    GlCallRecorder rec;
    device->bindProgram(program);
    EXPECT_EQ(rec.count("glDisableVertexAttribArray"), 0u) << "the array's recorded state would be lost";
    GLint enabled = 0;
    glGetVertexAttribiv(GLuint(program->findAttribute("POSITION")->location), GL_VERTEX_ATTRIB_ARRAY_ENABLED,
                        &enabled);
    EXPECT_EQ(enabled, GL_TRUE);
    device->bindVertexArray(nullptr);
    device->resetState();
}

TEST_F(ProgramTest, SemanticAttributesSitAtTheirSemanticCodes) {
    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    const AttributeInfo* position = program->findAttribute("POSITION");
    ASSERT_TRUE(position);
    EXPECT_EQ(position->location, 0);
    if (const AttributeInfo* texcoord = program->findAttribute("TEXCOORD")) {
        EXPECT_EQ(texcoord->location, 4);
    }
}

TEST_F(ProgramTest, BindingTheCurrentProgramAgainRepeatsEveryStep) {
    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    Mat4 shadow;
    shadow.m[3] = 7.0f;
    device->bindProgram(program);
    device->setMatrix(10, shadow);
    Ref<VertexBuffer> vertices = makeRef<VertexBuffer>();
    vertices->create();
    vertices->setStride(20);
    vertices->addElement(0, 0, 3, 12);
    vertices->addElement(12, 4, 2, 8);
    vertices->addElement(12, 1, 3, 12); // NORMAL: not an attribute of the program
    device->bindVertexBuffer(vertices);
    const GLuint position = GLuint(program->findAttribute("POSITION")->location);
    GLint enabled = 0;
    glGetVertexAttribiv(position, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    EXPECT_EQ(enabled, GL_TRUE);

    GlCallRecorder rec;
    device->bindProgram(program);
    EXPECT_EQ(rec.count("glDisableVertexAttribArray"), 2u);
    EXPECT_EQ(rec.names(), (Calls{"glDisableVertexAttribArray", "glDisableVertexAttribArray", "glUseProgram",
                                  "glUseProgram", "glUniformMatrix4fv"}));
    EXPECT_EQ(rec.calls()[2], glCall("glUseProgram", 0));
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), GLint(program->glName()));
    GLfloat uploaded[16];
    glGetUniformfv(program->glName(), program->builtInLocation(10), uploaded);
    EXPECT_FLOAT_EQ(uploaded[12], 7.0f) << "row-major storage goes up transposed";

    rec.clear();
    device->setMatrix(6, Mat4());
    EXPECT_TRUE(rec.calls().empty()) << "ViewMatrix is not used by the program";
    device->setProgramBindingEnabled(false);
    device->bindProgram(samplingProgram());
    EXPECT_EQ(device->program(), program);
    device->resetState();
    EXPECT_EQ(getInt(GL_CURRENT_PROGRAM), 0);
    EXPECT_TRUE(device->programBindingEnabled());
}

TEST_F(ProgramTest, IndexSizesPickTheIndexType) {
    Ref<IndexBuffer> indices = makeRef<IndexBuffer>();
    indices->create();
    indices->setIndexSize(4);
    device->bindIndexBuffer(indices);
    EXPECT_EQ(device->indexType(), GLenum(GL_UNSIGNED_INT));
    indices->setIndexSize(3);
    device->bindIndexBuffer(indices);
    EXPECT_EQ(device->indexSize(), 4) << "anything but 2 counts as 4";

    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    Ref<VertexBuffer> vertices = makeRef<VertexBuffer>();
    vertices->create();
    vertices->setStride(12);
    vertices->addElement(0, 0, 3, 12);
    indices->setIndexSize(2);
    GlCallRecorder rec;
    Ref<VertexArrayObject> array = VertexArrayObject::create(*program, *vertices, indices.get());
    EXPECT_EQ(rec.names(),
              (Calls{"glGenVertexArrays", "glBindVertexArray", "glBindBuffer", "glVertexAttribPointer",
                     "glEnableVertexAttribArray", "glBindBuffer", "glBindVertexArray", "glBindBuffer"}));
    EXPECT_EQ(getInt(GL_VERTEX_ARRAY_BINDING), GLint(device->defaultVertexArray()->glName()))
        << "the device's own array is bound again";
    device->bindVertexArray(array);
    EXPECT_EQ(device->indexType(), GLenum(GL_UNSIGNED_SHORT));
    indices->setIndexSize(4);
    device->bindIndexBuffer(indices);
    device->bindVertexArray(nullptr);
    EXPECT_EQ(device->indexType(), GLenum(GL_UNSIGNED_INT)) << "the default array keeps the index type";
    EXPECT_EQ(getInt(GL_VERTEX_ARRAY_BINDING), GLint(device->defaultVertexArray()->glName()));
}

TEST_F(ProgramTest, IntegerAttributesAreFedAsIntegersByArraysAndTheDevice) {
    // A skinned vertex: a position and the first and count of its influences.
    Ref<Program> program =
        linkProgram({{0, R"(#version 430 core
in vec3 POSITION;
in uvec2 BONE_INDEX;
void main() { gl_Position = vec4(POSITION, float(BONE_INDEX.x + BONE_INDEX.y)); }
)"},
                     {1, "#version 430 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n"}});
    ASSERT_TRUE(program);
    const AttributeInfo* bones = program->findAttribute("BONE_INDEX");
    const AttributeInfo* position = program->findAttribute("POSITION");
    ASSERT_TRUE(bones && position);
    Ref<VertexBuffer> vertices = makeRef<VertexBuffer>();
    vertices->create();
    vertices->setStride(20);
    ASSERT_TRUE(vertices->addElement(0, SemanticPosition, 3, 12));
    ASSERT_TRUE(vertices->addElement(12, SemanticBoneIndex, 2, 8));
    auto integer = [](const AttributeInfo* a) {
        GLint value = -1;
        glGetVertexAttribiv(GLuint(a->location), GL_VERTEX_ATTRIB_ARRAY_INTEGER, &value);
        return value;
    };

    Ref<VertexArrayObject> array = VertexArrayObject::create(*program, *vertices, nullptr);
    device->bindVertexArray(array);
    EXPECT_EQ(integer(bones), GL_TRUE) << "not converted to floats on the way";
    EXPECT_EQ(integer(position), GL_FALSE);
    device->bindVertexArray(nullptr);

    device->bindProgram(program);
    device->bindVertexBuffer(vertices);
    EXPECT_EQ(integer(bones), GL_TRUE);
    EXPECT_EQ(integer(position), GL_FALSE);
    device->resetState();
}

TEST_F(ProgramTest, VertexElementsAreRefusedBeyondSevenOrOutsideTheStride) {
    VertexBuffer buffer;
    buffer.setStride(16);
    EXPECT_TRUE(buffer.addElement(16, 0, 1, 4)) << "an offset equal to the stride is accepted";
    EXPECT_FALSE(buffer.addElement(17, 0, 1, 4));
    EXPECT_FALSE(buffer.addElement(-1, 0, 1, 4));
    for (int i = 1; i < 7; ++i)
        EXPECT_TRUE(buffer.addElement(0, i, 1, 4));
    EXPECT_FALSE(buffer.addElement(0, 7, 1, 4));
    EXPECT_EQ(buffer.elementCount(), 7);
    EXPECT_EQ(buffer.element(6).semantic, 6);

    BufferObject unused(0);
    GlCallRecorder rec;
    unused.create();
    EXPECT_NE(unused.glName(), 0u);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(unused.create(), "precondition failed: .*a buffer is created once");
    { BufferObject never(0); }
    EXPECT_EQ(rec.names(), (Calls{"glGenBuffers"})) << "a buffer never created deletes nothing";
}

TEST_F(ProgramTest, SamplerObjectsExistOnlyForNvidia) {
    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    Device::setVendorIsNvidia(false);
    EXPECT_FALSE(Sampler::createForUniform(*program, "albedo", SamplerParams()));
    GlCallRecorder rec;
    device->bindProgram(program);
    EXPECT_EQ(rec.count("glBindSampler"), 0u);
    device->resetState();

    Device::setVendorIsNvidia(true);
    SamplerParams params;
    params.wrapS = 2;
    rec.clear();
    Ref<Sampler> sampler = Sampler::createForUniform(*program, "shadow", params);
    ASSERT_TRUE(sampler);
    EXPECT_EQ(rec.count("glSamplerParameteri"), 7u);
    EXPECT_EQ(rec.count("glSamplerParameterf"), 3u);
    GLint wrap = 0;
    glGetSamplerParameteriv(sampler->glName(), GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_CLAMP_TO_BORDER);
    EXPECT_FALSE(Sampler::createForUniform(*program, "shadow", params)) << "the unit already has one";
    EXPECT_FALSE(Sampler::createForUniform(*program, "weights", params)) << "not a sampler uniform";

    const GLuint unit = GLuint(program->findSampler("shadow")->unit);
    rec.clear();
    device->bindProgram(program);
    EXPECT_EQ(rec.calls()[1], glCall("glBindSampler", unit, sampler->glName()));
    EXPECT_EQ(getInt(GL_SAMPLER_BINDING), 0);
    glActiveTexture(GL_TEXTURE0 + unit);
    EXPECT_EQ(getInt(GL_SAMPLER_BINDING), GLint(sampler->glName()));
    device->resetState();
    EXPECT_EQ(getInt(GL_SAMPLER_BINDING), 0);
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(ProgramTest, SamplerSetsBindRegisteredTexturesOnTheProgramsUnits) {
    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    Ref<Texture2D> texture = makeRef<Texture2D>();
    texture->create(4, 4, 25);
    textureRegistry().insert("stone", texture);
    EXPECT_EQ(texture->name(), "stone");
    Ref<SamplerSet> set = makeRef<SamplerSet>();
    EXPECT_FALSE(addByName(*set, "missing", program.get(), "albedo"));
    EXPECT_FALSE(addByName(*set, "stone", program.get(), "nothing"));
    EXPECT_FALSE(addByName(*set, "stone", nullptr, "albedo"));
    EXPECT_TRUE(set->bindings().empty());

    // The checking mode selects each unit to read it back; this test follows every call sent.
    device->setStateChecking(false);
    GlCallRecorder rec;
    device->bindSamplerSet(set);
    EXPECT_TRUE(rec.calls().empty()) << "an empty set binds nothing";
    ASSERT_TRUE(addByName(*set, "stone", program.get(), "normals"));
    const int unit = program->findSampler("normals")->unit;
    device->bindSamplerSet(set);
    EXPECT_EQ(rec.calls(),
              (Calls{glCall("glActiveTexture", GL_TEXTURE0 + unit), glCall("glBindTexture", GL_TEXTURE_2D, 0),
                     glCall("glActiveTexture", GL_TEXTURE0 + unit),
                     glCall("glBindTexture", GL_TEXTURE_2D, texture->glName())}))
        << "binding unbinds the current set first, even when it is the same set";
    EXPECT_EQ(getInt(GL_TEXTURE_BINDING_2D), GLint(texture->glName()));
    rec.clear();
    device->setSamplerSetBindingEnabled(false);
    device->bindSamplerSet(makeRef<SamplerSet>());
    device->bindTexture("albedo", *texture);
    EXPECT_TRUE(rec.calls().empty());
    device->resetState();
    EXPECT_EQ(rec.calls()[1], glCall("glBindTexture", GL_TEXTURE_2D, 0));
    glActiveTexture(GL_TEXTURE0);
}

TEST_F(ProgramTest, UniformsBuilderRefusesWhatTheProgramLacks) {
    Ref<Program> program = samplingProgram();
    ASSERT_TRUE(program);
    UniformsBuilder builder(program);
    Ref<Uniforms> uniforms = builder.begin();
    float weights[4] = {1, 2, 3, 4};
    float single = 5;
    EXPECT_FALSE(builder.addFloat("missing", 1, &single));
    EXPECT_FALSE(builder.addFloat("Light.colour", 1, &single)) << "block members have no location";
    EXPECT_TRUE(builder.addFloat("weights", 1, &single));
    EXPECT_TRUE(builder.addFloat("weights", 4, weights));
    Mat4 matrix;
    matrix.m[3] = 9;
    EXPECT_TRUE(builder.addMatrix4f("ModelViewProjectionMatrix", 1, matrix.m));
    ASSERT_EQ(uniforms->states().size(), 3u);
    EXPECT_NE(dynamic_cast<FloatUniformState*>(uniforms->states()[0].get()), nullptr);
    EXPECT_NE(dynamic_cast<FloatArrayUniformState*>(uniforms->states()[1].get()), nullptr);

    Ref<UniformBuffer> small = makeRef<UniformBuffer>();
    small->setBlockSize(16);
    EXPECT_FALSE(builder.addBlock("Light", small));
    EXPECT_FALSE(builder.addBlock("Nothing", small));
    Ref<UniformBuffer> buffer = UniformBuffer::createForBlock(*program, "Light");
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->blockSize(), 32);
    EXPECT_TRUE(builder.addBlock("Light", buffer));

    device->bindProgram(program);
    GlCallRecorder rec;
    uniforms->applyAll();
    const GLint location = program->findUniform("weights")->location;
    EXPECT_EQ(rec.calls()[0], glCall("glUniform1f", location, 5.0f));
    EXPECT_EQ(rec.calls()[2],
              glCall("glUniformMatrix4fv", program->builtInLocation(4), 1, GL_TRUE, matrix.m));
    EXPECT_EQ(rec.calls()[3], glCall("glBindBufferRange", GL_UNIFORM_BUFFER,
                                     program->findUniformBlock("Light")->index, buffer->glName(), 0, 32));
    GLfloat values[4];
    glGetUniformfv(program->glName(), location + 3, values);
    EXPECT_FLOAT_EQ(values[0], 4.0f);
    device->resetState();
}

TEST(ShaderLoaderTest, IncludesExpandRecursivelyAndBadOnesFail) {
    std::map<std::string, std::string> files{{"a", "A#include <b>a"},      {"b", "B"},
                                             {"self", "x#include <self>"}, {"ping", "#include <pong>"},
                                             {"pong", "#include <ping>"},  {"open", "#include <b"}};
    auto read = [&](const std::string& name) {
        auto it = files.find(name);
        return it == files.end() ? std::string() : it->second;
    };
    std::string out;
    ASSERT_TRUE(ShaderLoader::expandIncludes("1#include <a>2// #include <b>\n", "x.vert", read, &out));
    EXPECT_EQ(out, "1ABa2// B\n") << "no newline is added; directives inside comments expand too";
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(ShaderLoader::expandIncludes("#include <self>", "x.vert", read, &out));
    EXPECT_FALSE(ShaderLoader::expandIncludes("#include <ping>", "x.vert", read, &out));
    EXPECT_FALSE(ShaderLoader::expandIncludes("#include <open>", "x.vert", read, &out));
    EXPECT_FALSE(ShaderLoader::expandIncludes("#include <missing>", "x.vert", read, &out));
    std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find("x.vert: include: include cycle"), std::string::npos) << log;
    EXPECT_NE(log.find("without a closing"), std::string::npos) << log;
}

// A compile error in an included file is reported at that file's own line, whichever driver
// numbers it; mid-line includes keep the text's shape.
TEST_F(ProgramTest, CompileErrorsNameTheIncludedFileAndItsLine) {
    TempDir dir;
    const std::string root = dir.path() + "/";
    std::filesystem::create_directory(root + "lib");
    ASSERT_TRUE(writeFile(root + "lib/colour.glsl", "vec3 tint() {\n    return vec3(1.0);\n}\n"));
    ASSERT_TRUE(writeFile(root + "lib/broken.glsl",
                          "// two lines\n// of comment\nfloat oops() { return nonsense; }\n"));
    ASSERT_TRUE(writeFile(root + "a.frag",
                          "#version 330 core\n#include <lib/colour.glsl>\n#include <lib/broken.glsl>\n"
                          "out vec4 c;\nvoid main() { c = vec4(tint(), oops()); }\n"));
    ShaderLoader loader(root);
    std::string why;
    Ref<Shader> shader = loader.loadStage(root + "a.frag", Program::kFragment, &why);
    ASSERT_TRUE(shader) << why;
    EXPECT_EQ(shader->sourceFiles(), (std::vector<std::string>{root + "a.frag", root + "lib/colour.glsl",
                                                               root + "lib/broken.glsl"}));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(shader->compile());
    const std::string log = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(root + "lib/broken.glsl:3"), std::string::npos) << log;

    // Each driver's way of writing a position; what is not a position (or names no known file)
    // stays as it is.
    EXPECT_EQ(shader->nameLogPositions("1:2(5): error: x\n2(3) : error C0000: y\n9:1(1): z\nwarning\n"),
              root + "lib/colour.glsl:2:5: error: x\n" + root +
                  "lib/broken.glsl:3 : error C0000: y\n9:1(1): z\nwarning\n");

    std::map<std::string, std::string> files{{"b", "B"}};
    auto read = [&](const std::string& name) { return files[name]; };
    std::string out;
    std::vector<std::string> table;
    ASSERT_TRUE(ShaderLoader::expandIncludes("#version 330\n1#include <b>2\n#include <b>\n3\n", "x", read,
                                             &out, nullptr, nullptr, &table));
    EXPECT_EQ(out, "#version 330\n1B2\n#line 1 1\nB\n#line 4 0\n3\n");
}

TEST(ShaderLoaderTest, UnusableStageFilesFailWithTheirReason) {
    TempDir dir;
    const std::string root = dir.path() + "/";
    ASSERT_TRUE(writeFile(root + "empty.frag", ""));
    ASSERT_TRUE(writeFile(root + "broken.frag", "#version 430 core\n#include <gone.glsl>\n"));
    ASSERT_TRUE(writeFile(root + "cycle.frag", "#include <cycle.frag>\n"));
    std::filesystem::create_directory(root + "folder.frag");
    std::filesystem::create_symlink("nowhere.frag", root + "dangling.frag");
    std::filesystem::create_symlink("loop.frag", root + "loop.frag");
    ShaderLoader loader(root);
    const std::pair<const char*, const char*> cases[] = {
        {"none.frag", "missing file"},
        {"empty.frag", "empty shader"},
        {"broken.frag", "gone.glsl\" is missing or empty"},
        {"cycle.frag", "include cycle"},
        {"folder.frag", "is a directory"},
        {"dangling.frag", "dangling symbolic link"},
        {"loop.frag", "symbolic link loop"},
    };
    for (const auto& [file, reason] : cases) {
        std::string why;
        EXPECT_EQ(loader.loadStage(root + file, 1, &why), nullptr) << file;
        EXPECT_NE(why.find(reason), std::string::npos) << file << ": " << why;
        // The tolerant load stays silent only for an absent file; the rest are worth one line.
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(loader.load(root + file, 1), nullptr);
        std::string log = ::testing::internal::GetCapturedStderr();
        if (std::string(reason) == "missing file") {
            EXPECT_EQ(log, "");
        } else {
            EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
            EXPECT_NE(log.find(root + file), std::string::npos) << log;
        }
    }
}

TEST_F(ProgramTest, RequiredStagesMustLoadOthersMayBeAbsent) {
    TempDir dir;
    const std::string root = dir.path() + "/";
    ASSERT_TRUE(writeFile(root + "quad.vert", "#version 430 core\nin vec2 POSITION;\n"
                                              "void main() { gl_Position = vec4(POSITION, 0.0, 1.0); }\n"));
    ASSERT_TRUE(writeFile(root + "quad.frag", ""));
    ShaderLoader loader(root);
    ProgramBuilder tolerant(loader);
    ASSERT_TRUE(tolerant.buildPlain("quad")) << "without requirements an empty stage is left out";
    EXPECT_EQ(programRegistry().find("quad")->stage(Program::kFragment), nullptr);
    programRegistry().remove("quad");

    ProgramBuilder strict(loader, (1u << Program::kVertex) | (1u << Program::kFragment));
    EXPECT_FALSE(strict.buildPlain("quad")) << "a declared stage is never left out";
    EXPECT_FALSE(programRegistry().contains("quad"));
    EXPECT_NE(strict.failure().find(root + "quad.frag: empty shader"), std::string::npos) << strict.failure();
}

TEST_F(ProgramTest, BuildersLoadStageFilesAndRegisterTheProgram) {
    TempDir dir;
    const std::string root = dir.path() + "/";
    ASSERT_TRUE(writeFile(root + "common.glsl", "#version 430 core\n"));
    ASSERT_TRUE(writeFile(root + "quad.vert", "#include <common.glsl>\nin vec2 POSITION;\n"
                                              "void main() { gl_Position = vec4(POSITION, 0.0, 1.0); }\n"));
    ASSERT_TRUE(writeFile(root + "quad.frag", kPlainFragment));
    ASSERT_TRUE(writeFile(root + "lonely.frag", kPlainFragment));
    ShaderLoader loader(root);
    EXPECT_TRUE(loader.canLoad("x.geom"));
    EXPECT_EQ(loader.load(root + "none.vert", 0), nullptr);
    ProgramBuilder builder(loader);
    ASSERT_TRUE(builder.buildPlain("quad"));
    Ref<Program> quad = programRegistry().find("quad");
    ASSERT_TRUE(quad);
    EXPECT_EQ(quad->stage(0)->unexpandedSource().rfind("#include <common.glsl>", 0), 0u);
    // The include that carries the "#version" gets no line directive before it, only after it.
    EXPECT_EQ(quad->stage(0)->source().rfind("#version 430 core\n#line 2 0\nin vec2", 0), 0u)
        << quad->stage(0)->source();
    EXPECT_NE(quad->findAttribute("POSITION"), nullptr);
    EXPECT_FALSE(builder.buildPlain("lonely"));
    EXPECT_FALSE(programRegistry().contains("lonely"));
    ASSERT_TRUE(builder.buildWithGeometry("quad")) << "the geometry stage may be missing";
    EXPECT_EQ(programRegistry().find("quad"), quad) << "the first registration wins";
}

} // namespace

// The view matrix is set once as a pass begins; a program bound later in the pass (every material
// after the first) must still see it.
TEST_F(ProgramTest, AProgramBoundAfterThePassBeganReceivesTheViewMatrix) {
    const char* vertex = "#version 430 core\nin vec3 POSITION;\nuniform mat4 ViewMatrix;\n"
                         "uniform mat4 ViewMatrixInverse;\nvoid main() {\n"
                         "    gl_Position = ViewMatrixInverse * ViewMatrix * vec4(POSITION, 1.0);\n}\n";
    const char* fragment = "#version 430 core\nout vec4 colour;\nvoid main() { colour = vec4(1.0); }\n";
    Ref<Program> first = samplingProgram();
    Ref<Program> viewing = linkProgram({{0, vertex}, {1, fragment}});
    ASSERT_TRUE(first && viewing);
    device->bindProgram(first);
    Mat4 view, inverse;
    view.m[3] = -5.0f;
    inverse.m[3] = 5.0f;
    device->setMatrix(6, view);
    device->setMatrix(7, inverse);
    device->bindProgram(viewing);
    GLfloat uploaded[16];
    glGetUniformfv(viewing->glName(), viewing->builtInLocation(6), uploaded);
    EXPECT_FLOAT_EQ(uploaded[12], -5.0f);
    glGetUniformfv(viewing->glName(), viewing->builtInLocation(7), uploaded);
    EXPECT_FLOAT_EQ(uploaded[12], 5.0f);
    device->resetState();
}
