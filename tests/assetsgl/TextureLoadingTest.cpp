#include "TestFiles.h"

#include "assets/JPEGLoader.h"
#include "assets/Mipmaps.h"
#include "assets/PNGLoader.h"
#include "assets/TextureBuilders.h"
#include "core/MemoryInputStream.h"
#include "render/Texture1D.h"
#include "render/Texture2D.h"
#include "render/Texture2DArray.h"
#include "render/Texture3D.h"
#include "render/TextureCube.h"
#include "support/GlTest.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

class TextureLoading : public GlTest {
protected:
    GLint level0(GLenum target, GLenum what) {
        GLint v = -1;
        glGetTexLevelParameteriv(target, 0, what, &v);
        return v;
    }
    // Level 0 of the texture bound to `bindTarget`, read back tightly packed.
    std::vector<uint8_t> readBack(GLenum target, GLenum format, size_t bytes) {
        std::vector<uint8_t> out(bytes);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(target, 0, format, GL_UNSIGNED_BYTE, out.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return out;
    }
    GLint binding(GLenum which) {
        GLint v = -1;
        glGetIntegerv(which, &v);
        return v;
    }

    TempDir dir;
    PNGLoader png;
    JPEGLoader jpeg;
};

TEST_F(TextureLoading, OneRowPngBecomesTexture1D) {
    std::vector<uint8_t> rows = patternRows(256, 1, 4);
    ASSERT_TRUE(writePng(dir.file("ramp.png"), 256, 1, 4, rows));
    Ref<Texture> texture = png.load(dir.file("ramp.png"));
    ASSERT_TRUE(texture);
    ASSERT_EQ(texture->type(), 0);
    EXPECT_EQ(static_cast<Texture1D*>(texture.get())->width(), 256);
    EXPECT_EQ(binding(GL_TEXTURE_BINDING_1D), 0);
    texture->bind();
    EXPECT_EQ(level0(GL_TEXTURE_1D, GL_TEXTURE_WIDTH), 256);
    EXPECT_EQ(level0(GL_TEXTURE_1D, GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
    EXPECT_EQ(readBack(GL_TEXTURE_1D, GL_RGBA, rows.size()), rows);
    texture->unbind();
}

// Odd widths of three-byte pixels give rows that are not multiples of four bytes: with GL's
// default unpack alignment the upload would read past the end of the pixels.
TEST_F(TextureLoading, PngRowsArriveBottomUpWhateverTheUnpackAlignment) {
    std::vector<uint8_t> rows = patternRows(5, 3, 3);
    ASSERT_TRUE(writePng(dir.file("odd.png"), 5, 3, 3, rows));
    ASSERT_EQ(binding(GL_UNPACK_ALIGNMENT), 4);
    Ref<Texture> texture = png.load(dir.file("odd.png"));
    ASSERT_TRUE(texture);
    ASSERT_EQ(texture->type(), 2);
    EXPECT_EQ(binding(GL_UNPACK_ALIGNMENT), 4);
    EXPECT_EQ(binding(GL_TEXTURE_BINDING_2D), 0);
    texture->bind();
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 5);
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_HEIGHT), 3);
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    EXPECT_EQ(readBack(GL_TEXTURE_2D, GL_RGB, rows.size()), bottomUp(rows, 3));
    texture->unbind();
}

TEST_F(TextureLoading, EveryPngChannelLayoutGetsItsFormat) {
    const GLint internal[5] = {0, GL_R8, GL_RG8, GL_RGB8, GL_RGBA8};
    for (int channels = 1; channels <= 4; ++channels) {
        std::string path = dir.file("c" + std::to_string(channels) + ".png");
        ASSERT_TRUE(writePng(path, 6, 2, channels, patternRows(6, 2, channels)));
        Ref<Texture> texture = png.load(path);
        ASSERT_TRUE(texture) << channels;
        texture->bind();
        EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT), internal[channels]) << channels;
        texture->unbind();
    }
}

TEST_F(TextureLoading, JpegGreyAndColourBecomeTexture2D) {
    ASSERT_TRUE(writeJpeg(dir.file("grey.jpg"), 16, 8, 1, std::vector<uint8_t>(128, 200)));
    ASSERT_TRUE(writeJpeg(dir.file("colour.jpeg"), 9, 7, 3, patternRows(9, 7, 3)));
    Ref<Texture> grey = jpeg.load(dir.file("grey.jpg"));
    Ref<Texture> colour = jpeg.load(dir.file("colour.jpeg"));
    ASSERT_TRUE(grey && colour);
    ASSERT_EQ(grey->type(), 2);
    ASSERT_EQ(colour->type(), 2);

    grey->bind();
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 16);
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_HEIGHT), 8);
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT), GL_R8);
    std::vector<uint8_t> pixels = readBack(GL_TEXTURE_2D, GL_RED, 128);
    for (uint8_t p : pixels)
        EXPECT_NEAR(p, 200, 2);
    colour->bind();
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_WIDTH), 9);
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_HEIGHT), 7);
    EXPECT_EQ(level0(GL_TEXTURE_2D, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    colour->unbind();
}

TEST_F(TextureLoading, VolumeSlicesStackVertically) {
    std::vector<uint8_t> rows = patternRows(4, 12, 1);
    ASSERT_TRUE(writePng(dir.file("volume.png"), 4, 12, 1, rows));
    Ref<Texture3D> volume = png.loadVolume(dir.file("volume.png"), 3);
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->type(), 6);
    EXPECT_EQ(binding(GL_TEXTURE_BINDING_3D), 0);
    volume->bind();
    EXPECT_EQ(level0(GL_TEXTURE_3D, GL_TEXTURE_WIDTH), 4);
    EXPECT_EQ(level0(GL_TEXTURE_3D, GL_TEXTURE_HEIGHT), 4);
    EXPECT_EQ(level0(GL_TEXTURE_3D, GL_TEXTURE_DEPTH), 3);
    EXPECT_EQ(level0(GL_TEXTURE_3D, GL_TEXTURE_INTERNAL_FORMAT), GL_R8);
    EXPECT_EQ(readBack(GL_TEXTURE_3D, GL_RED, rows.size()), bottomUp(rows, 12));
    volume->unbind();

    ASSERT_TRUE(writeJpeg(dir.file("volume.jpg"), 8, 16, 3, patternRows(8, 16, 3)));
    Ref<Texture3D> jpegVolume = jpeg.loadVolume(dir.file("volume.jpg"), 4);
    ASSERT_TRUE(jpegVolume);
    EXPECT_EQ(jpegVolume->width(), 8);
    EXPECT_EQ(jpegVolume->height(), 4);
    EXPECT_EQ(jpegVolume->depth(), 4);
}

TEST_F(TextureLoading, VolumeDepthMustFitThePicture) {
    ASSERT_TRUE(writePng(dir.file("volume.png"), 4, 12, 1, patternRows(4, 12, 1)));
    EXPECT_FALSE(png.loadVolume(dir.file("volume.png"), 0));
    EXPECT_FALSE(png.loadVolume(dir.file("volume.png"), -2));
    EXPECT_FALSE(png.loadVolume(dir.file("volume.png"), 13));
    EXPECT_FALSE(png.loadVolume(dir.file("missing.png"), 3));
}

TEST_F(TextureLoading, PngFromMemoryAndStream) {
    std::vector<uint8_t> bytes = encodePng(7, 3, 2, patternRows(7, 3, 2));
    Ref<Texture> fromMemory = png.loadFromMemory(bytes.data(), bytes.size());
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromMemory->type(), 2);
    EXPECT_EQ(fromMemory->format(), 10);

    // The stream is read from where it stands.
    std::vector<uint8_t> prefixed = {1, 2, 3};
    prefixed.insert(prefixed.end(), bytes.begin(), bytes.end());
    MemoryInputStream in(prefixed.data(), prefixed.size());
    ASSERT_TRUE(in.skip(3));
    Ref<Texture> fromStream = png.loadFromStream(in);
    ASSERT_TRUE(fromStream);
    EXPECT_EQ(static_cast<Texture2D*>(fromStream.get())->width(), 7);

    bytes.resize(bytes.size() / 2);
    EXPECT_FALSE(png.loadFromMemory(bytes.data(), bytes.size()));
    EXPECT_FALSE(png.loadFromMemory(nullptr, 0));
}

TEST_F(TextureLoading, JpegLoadsOnlyFromFiles) {
    ASSERT_TRUE(writeJpeg(dir.file("a.jpg"), 8, 8, 3, patternRows(8, 8, 3)));
    std::FILE* f = std::fopen(dir.file("a.jpg").c_str(), "rb");
    ASSERT_TRUE(f);
    std::vector<uint8_t> bytes(4096);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
    std::fclose(f);
    EXPECT_FALSE(jpeg.loadFromMemory(bytes.data(), bytes.size()));
    MemoryInputStream in(bytes.data(), bytes.size());
    EXPECT_FALSE(jpeg.loadFromStream(in));
    EXPECT_TRUE(jpeg.load(dir.file("a.jpg")));
}

TEST_F(TextureLoading, UnreadableFilesGiveNoTexture) {
    ASSERT_TRUE(writeFile(dir.file("junk.png"), std::string("not a picture at all")));
    ASSERT_TRUE(writeFile(dir.file("junk.jpg"), std::string("\xff\xd8\xff\xe0 truncated")));
    EXPECT_FALSE(png.load(dir.file("junk.png")));
    EXPECT_FALSE(png.load(dir.file("missing.png")));
    EXPECT_FALSE(jpeg.load(dir.file("junk.jpg")));
    EXPECT_FALSE(jpeg.load(dir.file("missing.jpg")));
    EXPECT_FALSE(jpeg.loadVolume(dir.file("junk.jpg"), 1));
}

class CubeMapLoading : public TextureLoading {
protected:
    // Face file k is filled with the value 10 × (k + 1) in every byte.
    void writeFaces(int size = 4) {
        for (int k = 0; k < 6; ++k)
            ASSERT_TRUE(writePng(ImageLoader::cubeFaceFileName(dir.file("sky"), k), size, size, 4,
                                 std::vector<uint8_t>(size_t(size * size * 4), uint8_t(10 * (k + 1)))));
    }
};

TEST_F(CubeMapLoading, FacesLandOnTheirGlFaces) {
    writeFaces();
    Ref<TextureCube> cube = loadCubeMap(png, dir.file("sky"));
    ASSERT_TRUE(cube);
    EXPECT_EQ(cube->width(), 4);
    EXPECT_EQ(cube->format(), 25);
    EXPECT_EQ(binding(GL_TEXTURE_BINDING_CUBE_MAP), 0);
    // Files hold +X, -X, +Y, -Y, +Z, -Z in that order.
    const GLenum faceOfFile[6] = {GL_TEXTURE_CUBE_MAP_POSITIVE_X, GL_TEXTURE_CUBE_MAP_NEGATIVE_X,
                                  GL_TEXTURE_CUBE_MAP_POSITIVE_Y, GL_TEXTURE_CUBE_MAP_NEGATIVE_Y,
                                  GL_TEXTURE_CUBE_MAP_POSITIVE_Z, GL_TEXTURE_CUBE_MAP_NEGATIVE_Z};
    cube->bind();
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(level0(faceOfFile[k], GL_TEXTURE_INTERNAL_FORMAT), GL_RGBA8);
        EXPECT_EQ(readBack(faceOfFile[k], GL_RGBA, 64), std::vector<uint8_t>(64, uint8_t(10 * (k + 1)))) << k;
    }
    cube->unbind();
}

TEST_F(CubeMapLoading, AnyBadFaceFailsTheCube) {
    writeFaces();
    std::remove(ImageLoader::cubeFaceFileName(dir.file("sky"), 3).c_str());
    EXPECT_FALSE(loadCubeMap(png, dir.file("sky")));

    writeFaces();
    ASSERT_TRUE(writePng(ImageLoader::cubeFaceFileName(dir.file("sky"), 5), 8, 8, 4, patternRows(8, 8, 4)));
    EXPECT_FALSE(loadCubeMap(png, dir.file("sky")));

    writeFaces();
    ASSERT_TRUE(writePng(ImageLoader::cubeFaceFileName(dir.file("sky"), 2), 4, 4, 3, patternRows(4, 4, 3)));
    EXPECT_FALSE(loadCubeMap(png, dir.file("sky")));

    for (int k = 0; k < 6; ++k)
        ASSERT_TRUE(
            writePng(ImageLoader::cubeFaceFileName(dir.file("wide"), k), 8, 4, 4, patternRows(8, 4, 4)));
    EXPECT_FALSE(loadCubeMap(png, dir.file("wide")));
}

TEST_F(TextureLoading, ArrayLayersConcatenateInOrder) {
    std::vector<std::string> files;
    std::vector<uint8_t> expected;
    for (int layer = 0; layer < 3; ++layer) {
        std::vector<uint8_t> rows = patternRows(3, 2, 3, layer);
        files.push_back(dir.file("layer" + std::to_string(layer) + ".png"));
        ASSERT_TRUE(writePng(files.back(), 3, 2, 3, rows));
        std::vector<uint8_t> up = bottomUp(rows, 2);
        expected.insert(expected.end(), up.begin(), up.end());
    }
    Ref<Texture2DArray> array = loadTextureArray(files, png, jpeg);
    ASSERT_TRUE(array);
    EXPECT_EQ(array->type(), 3);
    EXPECT_EQ(array->layerCount(), 3);
    EXPECT_EQ(binding(GL_TEXTURE_BINDING_2D_ARRAY), 0);
    array->bind();
    EXPECT_EQ(level0(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_DEPTH), 3);
    EXPECT_EQ(level0(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_INTERNAL_FORMAT), GL_RGB8);
    EXPECT_EQ(readBack(GL_TEXTURE_2D_ARRAY, GL_RGB, expected.size()), expected);
    array->unbind();

    // Each layer goes to the loader that accepts its extension.
    ASSERT_TRUE(writeJpeg(dir.file("layer.jpg"), 3, 2, 3, patternRows(3, 2, 3)));
    Ref<Texture2DArray> mixed = loadTextureArray({files[0], dir.file("layer.jpg")}, png, jpeg);
    ASSERT_TRUE(mixed);
    EXPECT_EQ(mixed->layerCount(), 2);
}

TEST_F(TextureLoading, ArrayLayersMustAgree) {
    ASSERT_TRUE(writePng(dir.file("a.png"), 4, 4, 4, patternRows(4, 4, 4)));
    ASSERT_TRUE(writePng(dir.file("small.png"), 4, 2, 4, patternRows(4, 2, 4)));
    ASSERT_TRUE(writePng(dir.file("rgb.png"), 4, 4, 3, patternRows(4, 4, 3)));
    ASSERT_TRUE(writeJpeg(dir.file("grey.jpg"), 4, 4, 1, patternRows(4, 4, 1)));
    EXPECT_FALSE(loadTextureArray({dir.file("a.png"), dir.file("small.png")}, png, jpeg));
    EXPECT_FALSE(loadTextureArray({dir.file("a.png"), dir.file("rgb.png")}, png, jpeg));
    EXPECT_FALSE(loadTextureArray({dir.file("a.png"), dir.file("grey.jpg")}, png, jpeg));
    EXPECT_FALSE(loadTextureArray({dir.file("a.png")}, png, jpeg));
    EXPECT_FALSE(loadTextureArray({}, png, jpeg));
    EXPECT_FALSE(loadTextureArray({dir.file("a.png"), dir.file("missing.png")}, png, jpeg));
    // Extensions are matched case-sensitively: "JPG" belongs to no loader.
    EXPECT_FALSE(loadTextureArray({dir.file("a.png"), dir.file("a.JPG")}, png, jpeg));
}

} // namespace

// The CPU's mipmaps stand in for the driver's: every level of power-of-two and odd-sized pictures,
// in each channel layout, as glGenerateMipmap makes it of the same base (llvmpipe's rounding
// exactly; a step either way is left to other drivers).
TEST_F(TextureLoading, CpuMipmapsMatchTheDriversLevelByLevel) {
    const GLenum layouts[5] = {0, GL_RED, GL_RG, GL_RGB, GL_RGBA};
    const int32_t formats[5] = {0, ImageLoader::formatR8, ImageLoader::formatRG8, ImageLoader::formatRGB8,
                                ImageLoader::formatRGBA8};
    const int sizes[3][2] = {{64, 32}, {129, 129}, {37, 6}};
    auto level = [&](const Ref<Texture>& texture, int index, int channels, GLint& w, GLint& h) {
        texture->bind();
        glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, index, GL_TEXTURE_HEIGHT, &h);
        std::vector<uint8_t> out(size_t(w) * size_t(h) * size_t(channels));
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, index, layouts[channels], GL_UNSIGNED_BYTE, out.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        texture->unbind();
        return out;
    };
    for (int channels = 1; channels <= 4; ++channels) {
        for (const auto& size : sizes) {
            DecodedImage base;
            base.width = size[0];
            base.height = size[1];
            base.channels = channels;
            base.format = formats[channels];
            base.pixels = patternRows(base.width, base.height, channels, 7);
            Ref<Texture> ours = ImageLoader::textureFromImage(base, "ours");
            Ref<Texture> theirs = ImageLoader::textureFromImage(base, "theirs");
            ASSERT_TRUE(ours && theirs);
            ours->bind();
            ImageLoader::uploadMipmaps(static_cast<const Texture2D&>(*ours), base);
            theirs->bind();
            theirs->generateMipmap();
            theirs->unbind();
            const int levels = mipmapLevelCount(base.width, base.height);
            EXPECT_EQ(levels, size[0] == 129 ? 8 : size[0] == 64 ? 7 : 6);
            for (int index = 1; index < levels; ++index) {
                GLint w = 0, h = 0, ourW = 0, ourH = 0;
                std::vector<uint8_t> expected = level(theirs, index, channels, w, h);
                std::vector<uint8_t> actual = level(ours, index, channels, ourW, ourH);
                ASSERT_EQ(ourW, w);
                ASSERT_EQ(ourH, h);
                int worst = 0;
                for (size_t i = 0; i < actual.size(); ++i)
                    worst = std::max(worst, std::abs(int(actual[i]) - int(expected[i])));
                EXPECT_LE(worst, 1) << channels << " channels, " << size[0] << "x" << size[1] << ", level "
                                    << index;
            }
        }
    }
}
