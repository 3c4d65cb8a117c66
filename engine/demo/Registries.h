#pragma once

#include "demo/Registry.h"

#include <string>

class Texture;
class Framebuffer;
class Program;
class Mesh;

// The named registries of the demo description: filled while loading, emptied by unloading.
Registry<Texture>& textureRegistry();
Registry<Framebuffer>& framebufferRegistry();
Registry<Program>& programRegistry();
Registry<Mesh>& meshRegistry();

class SamplerSet;
// Adds the registered texture `textureName` to `set` on the unit of `program`'s sampler uniform
// `uniformName`; answers false and adds nothing when any of the three is missing.
bool addByName(SamplerSet& set, const std::string& textureName, const Program* program,
               const std::string& uniformName);
