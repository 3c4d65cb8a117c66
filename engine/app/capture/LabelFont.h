#pragma once

#include <cstdint>
#include <string>

// A TrueType font drawn with FreeType, for short labels in generated pictures.
class LabelFont {
public:
    // The Debian font the pictures use (package fonts-dejavu-core).
    static const char* defaultPath();

    LabelFont();
    ~LabelFont();
    LabelFont(const LabelFont&) = delete;
    LabelFont& operator=(const LabelFont&) = delete;

    // Opens the font at a size in pixels; false after filling `error` with one line.
    [[nodiscard]] bool load(const std::string& path, int pixelSize, std::string& error);
    int ascender() const { return ascender_; }

    // Blends UTF-8 `text` in `rgb` into an RGB picture (top row first) with its baseline at y,
    // starting at x and cut off at x + maxWidth. Answers the width drawn.
    int draw(uint8_t* picture, int width, int height, int x, int y, int maxWidth, const std::string& text,
             const uint8_t rgb[3]) const;

private:
    void* library_ = nullptr;
    void* face_ = nullptr;
    int ascender_ = 0;
};
