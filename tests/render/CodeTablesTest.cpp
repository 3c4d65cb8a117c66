#include "render/CodeTables.h"

#include <gtest/gtest.h>

namespace {

TEST(CodeTablesTest, VocabularyLookupsAreExactAndFallBackAsDocumented) {
    int code = -1;
    EXPECT_TRUE(codes::wrapCode("clamp", &code));
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(codes::wrapCode("mirrored repeat", &code));
    EXPECT_EQ(code, 3);
    EXPECT_FALSE(codes::wrapCode("Edge", &code));
    EXPECT_EQ(code, 3) << "a failed lookup leaves the code alone";
    EXPECT_TRUE(codes::filterCode("linear mipmap linear", &code));
    EXPECT_EQ(code, 5);
    EXPECT_FALSE(codes::filterCode(nullptr, &code));
    EXPECT_TRUE(codes::samplerCompareCode("nequal", &code));
    EXPECT_EQ(codes::compareFunction(code), GLenum(GL_NOTEQUAL));
    EXPECT_TRUE(codes::compareModeCode("none", &code));
    EXPECT_EQ(code, 1);

    EXPECT_EQ(codes::formatCode("depth_stencil_fp32_8"), 40);
    EXPECT_EQ(codes::formatCode("RGBA_8"), 44);
    EXPECT_EQ(codes::textureFormat(codes::formatCode("rgb_32ui")).internalFormat, GLenum(GL_RGB32UI));
    EXPECT_EQ(codes::textureFormat(99).internalFormat, 0u);
    EXPECT_EQ(codes::attachmentCode("color7"), 7);
    EXPECT_EQ(codes::attachmentCode("depth_stencil"), 10);
    EXPECT_EQ(codes::attachmentCode("colour0"), 11);

    EXPECT_EQ(codes::blendEquationCode("reverse_subtract"), 5);
    EXPECT_EQ(codes::blendEquationCode(nullptr), 1);
    EXPECT_EQ(codes::blendFactorCode("one_minus_dest_color", 1), 9);
    EXPECT_EQ(codes::blendFactorCode("bogus", 0), 0);
    EXPECT_EQ(codes::compareFunctionCode("less_or_equal", 1), 2);
    EXPECT_EQ(codes::compareFunctionCode("lequal", 1), 1) << "scene files use their own names";
    EXPECT_EQ(codes::stencilOperationCode("dec_wrap"), 7);
    EXPECT_EQ(codes::stencilOperationCode("zero"), 1);
    EXPECT_EQ(codes::cullFaceCode("front_and_back"), 2);
    EXPECT_EQ(codes::windingCode("cw"), 0);
    EXPECT_EQ(codes::windingCode("CW"), 1);
    EXPECT_EQ(codes::polygonOffsetModeCode("point"), 2);
    EXPECT_EQ(codes::polygonOffsetModeCode("points"), 0);
    EXPECT_TRUE(codes::feedbackModeCode("separate", &code));
    EXPECT_EQ(codes::feedbackMode(code), GLenum(GL_SEPARATE_ATTRIBS));
}

TEST(CodeTablesTest, TablesHoldTheGlValues) {
    EXPECT_EQ(codes::queryTarget(3), GLenum(GL_ANY_SAMPLES_PASSED));
    EXPECT_EQ(codes::bufferTarget(10), GLenum(GL_SHADER_STORAGE_BUFFER));
    EXPECT_EQ(codes::bufferUsage(6), GLenum(GL_DYNAMIC_DRAW));
    EXPECT_EQ(codes::textureTarget(3), GLenum(GL_TEXTURE_2D_ARRAY));
    EXPECT_EQ(codes::textureTarget(8), GLenum(GL_RENDERBUFFER));
    EXPECT_EQ(codes::swizzle(4), GLenum(GL_ONE));
    EXPECT_EQ(codes::swizzle(5), GLenum(GL_ZERO));
    EXPECT_EQ(codes::cubeFace(1), GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_Y));
    EXPECT_EQ(codes::cubeFace(3), GLenum(GL_TEXTURE_CUBE_MAP_NEGATIVE_X));
    EXPECT_EQ(codes::stageType(3), GLenum(GL_TESS_CONTROL_SHADER));
    EXPECT_STREQ(codes::stageExtension(4), ".eval");
    EXPECT_EQ(codes::blendFactor(4), GLenum(GL_DST_ALPHA));
    EXPECT_EQ(codes::stencilOperation(0), GLenum(GL_ZERO));
    EXPECT_EQ(codes::polygonOffsetMode(1), GLenum(GL_POLYGON_OFFSET_LINE));
    EXPECT_EQ(codes::semanticName(6), "BONE_WEIGHT");
    EXPECT_EQ(codes::semanticName(42), "UNKNOWN");
    EXPECT_EQ(codes::builtInMatrixName(14), "ViewNormalMatrix");
    for (int format = 0; format <= 40; ++format)
        EXPECT_NE(codes::textureFormat(format).format, 0u) << format;
}

} // namespace
