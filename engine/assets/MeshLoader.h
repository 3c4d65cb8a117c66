#pragma once

#include "assets/Loader.h"
#include "assets/SoftwareMesh.h"

class InputStream;

// Base of the loaders that read models. The render layer adds the operations that produce GPU
// meshes; reading into CPU memory needs no GL.
class MeshLoader : public Loader {
public:
    explicit MeshLoader(std::string extensions) : Loader(std::move(extensions)) {}

    virtual Ref<SoftwareMesh> loadSoftware(const std::string& path) = 0;
};
