#include "assets/TextureBuilders.h"

#include "assets/JPEGLoader.h"
#include "assets/PNGLoader.h"
#include "core/Diagnostics.h"
#include "render/Texture2DArray.h"
#include "render/TextureCube.h"

namespace {

// Far above any real array, low enough that a long list of large layers fails cleanly.
constexpr uint64_t maxArrayBytes = 1ull << 30;

bool describeMismatch(const std::string& file, const DecodedImage& image, const DecodedImage& first,
                      const char* place, const char* firstName) {
    diagnostic(file.c_str(), place,
               "%d x %d with %d channels (format %d) differs from %s: %d x %d with %d "
               "channels (format %d)",
               image.width, image.height, image.channels, image.format, firstName, first.width, first.height,
               first.channels, first.format);
    return false;
}

} // namespace

Ref<TextureCube> loadCubeMap(PNGLoader& png, const std::string& basePath) {
    // Every face is decoded and checked before any GL object exists.
    DecodedImage faces[6];
    for (int file = 0; file < 6; ++file) {
        std::string path = ImageLoader::cubeFaceFileName(basePath, file);
        if (!png.decode(path, faces[file]))
            return nullptr;
        if (file == 0 && faces[0].width != faces[0].height) {
            diagnostic(path.c_str(), "cube map", "faces must be square, this one is %d x %d", faces[0].width,
                       faces[0].height);
            return nullptr;
        }
        if (file > 0 && !ImageLoader::sameLayout(faces[file], faces[0])) {
            describeMismatch(path, faces[file], faces[0], "cube map", "the first face");
            return nullptr;
        }
    }
    const DecodedImage& first = faces[0];
    if (!textureSizeSupported(GL_MAX_CUBE_MAP_TEXTURE_SIZE, first.width, first.height,
                              ImageLoader::cubeFaceFileName(basePath, 0)))
        return nullptr;
    UnpackAlignment alignment;
    Ref<TextureCube> texture = makeRef<TextureCube>();
    texture->create(first.width, first.height, first.format);
    texture->bind();
    for (int file = 0; file < 6; ++file)
        texture->uploadFace(ImageLoader::cubeFaceForFile(file), faces[file].pixels.data());
    texture->unbind();
    return texture;
}

Ref<Texture2DArray> loadTextureArray(const std::vector<std::string>& files, PNGLoader& png,
                                     JPEGLoader& jpeg) {
    if (files.size() < 2) {
        diagnostic(files.empty() ? "<none>" : files[0].c_str(), "texture array",
                   "an array needs at least two layers, %zu given", files.size());
        return nullptr;
    }
    GLint maxLayers = 0;
    glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &maxLayers);
    if (files.size() > size_t(maxLayers)) {
        diagnostic(files[0].c_str(), "texture array", "%zu layers are more than this GL's limit of %d",
                   files.size(), maxLayers);
        return nullptr;
    }
    // Layers are appended as they are decoded, so at most one decoded layer exists beside the
    // combined pixels.
    DecodedImage first, layer;
    std::vector<uint8_t> pixels;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& file = files[i];
        ImageLoader* loader = png.canLoad(file)    ? static_cast<ImageLoader*>(&png)
                              : jpeg.canLoad(file) ? static_cast<ImageLoader*>(&jpeg)
                                                   : nullptr;
        if (!loader) {
            diagnostic(file.c_str(), "texture array", "no image loader accepts this extension");
            return nullptr;
        }
        if (!loader->decode(file, layer))
            return nullptr;
        if (i == 0) {
            if (uint64_t(layer.pixels.size()) * files.size() > maxArrayBytes) {
                diagnostic(file.c_str(), "texture array", "%zu layers of %zu bytes are more than 1 GiB",
                           files.size(), layer.pixels.size());
                return nullptr;
            }
            pixels.reserve(layer.pixels.size() * files.size());
            first = layer;
            first.pixels.clear();
            first.pixels.shrink_to_fit();
        } else if (layer.width != first.width || layer.height != first.height ||
                   layer.channels != first.channels || layer.format != first.format) {
            describeMismatch(file, layer, first, "texture array", "the first layer");
            return nullptr;
        }
        pixels.insert(pixels.end(), layer.pixels.begin(), layer.pixels.end());
    }
    if (!textureSizeSupported(GL_MAX_TEXTURE_SIZE, first.width, first.height, files[0]))
        return nullptr;
    UnpackAlignment alignment;
    Ref<Texture2DArray> texture = makeRef<Texture2DArray>();
    texture->create(first.width, first.height, int(files.size()), first.format);
    texture->bind();
    texture->upload(pixels.data());
    texture->unbind();
    return texture;
}
