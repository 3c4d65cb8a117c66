#pragma once

#include <string>
#include <vector>

// texgen's pictures: procedural patterns drawn at any size, some of them with text drawn by
// FreeType on top, written out by main.cpp as PNG, JPEG or a raw gradient.
namespace texgen {

struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};

struct Options {
    std::string out, pattern;
    int width = 256, height = 256, cell = 32, face = 0, channels = 3;
    unsigned seed = 1;
    Colour from{0, 0, 0, 1}, to{1, 1, 1, 1};
    // Text drawn over "titlecard" and "pastoral": a title, and lines beneath it (title card only).
    std::string title;
    std::vector<std::string> lines;
    std::string font;       // the title's TrueType font; empty: DejaVu Serif
    float strength = 4;     // normal maps: how steep the height pattern is
    bool normalMap = false; // draw the tangent-space normal map of the pattern's height instead
};

bool knownPattern(const std::string& name);
// Options for drawing `pattern`: a material's own size and colours, otherwise the plain defaults.
Options defaultOptions(const std::string& pattern);

// Draws the picture: width x height pixels of `channels` bytes, top row first. False after
// filling `error` with one line (a font that cannot be opened).
[[nodiscard]] bool drawPicture(const Options& o, std::vector<unsigned char>& pixels, std::string& error);

// The per-pixel patterns, exposed for tests: colour at texture coordinates (u, v), v downwards.
Colour shade(const Options& o, float u, float v);
// The height 0..1 that --normalmap turns into normals: a material's own relief, the grey of the
// other patterns.
float heightAt(const Options& o, float u, float v);
// "hills": the production's valley. The picture spans kValleySize metres, top row at z = -size/2,
// left column at x = -size/2, pixel centres on the edges; grey g stands for the height
// kValleyBase + g × kValleyRange metres.
constexpr float kValleySize = 400, kValleyBase = -4, kValleyRange = 28;
constexpr float kValleyMill[2] = {0, -60}, kValleyFarm[2] = {34, -18};
float valleyHeight(unsigned seed, float x, float z);
// "petalnormal"'s height field, 0 (background) to about 1 (the flower's heart).
float petalHeight(float u, float v);

} // namespace texgen
