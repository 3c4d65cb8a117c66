#pragma once

#include "demo/Registry.h"

class Texture;
class Framebuffer;
class Program;
class Mesh;

// The named registries of the demo description: filled while loading, emptied by unloading.
Registry<Texture>& textureRegistry();
Registry<Framebuffer>& framebufferRegistry();
Registry<Program>& programRegistry();
// Defined next to Mesh, where the type is complete.
Registry<Mesh>& meshRegistry();
