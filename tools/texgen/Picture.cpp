#include "Picture.h"

#include "Materials.h"
#include "app/capture/LabelFont.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>

namespace texgen {

namespace {

const Colour kWarmWhite{1.0f, 0.94f, 0.84f, 1};

unsigned char byte(float v) {
    v = v < 0 ? 0 : v > 1 ? 1 : v;
    return static_cast<unsigned char>(std::lround(v * 255));
}

Colour blend(const Colour& under, const Colour& over, float coverage) {
    return {under.r + (over.r - under.r) * coverage, under.g + (over.g - under.g) * coverage,
            under.b + (over.b - under.b) * coverage, under.a};
}

// Coverage of text in a picture, 0..1 per pixel.
class TextMask {
public:
    TextMask(int width, int height)
        : width_(width), height_(height), coverage_(size_t(width) * height, 0.0f) {}

    // Draws `text` centred on x = centre with its baseline at y. False after filling `error`.
    bool add(const std::string& fontPath, int pixelSize, const std::string& text, int centre, int baseline,
             std::string& error) {
        LabelFont font;
        if (!font.load(fontPath, pixelSize, error))
            return false;
        // Drawn far above the picture, nothing lands, but the answer is the text's width.
        const uint8_t white[3] = {255, 255, 255};
        uint8_t scratch[3] = {};
        const int width = font.draw(scratch, 1, 1, 0, INT_MIN / 2, INT_MAX, text, white);
        std::vector<uint8_t> picture(size_t(width_) * height_ * 3, 0);
        font.draw(picture.data(), width_, height_, centre - width / 2, baseline, width_, text, white);
        for (size_t i = 0; i < coverage_.size(); ++i)
            coverage_[i] = std::max(coverage_[i], picture[i * 3] / 255.0f);
        return true;
    }

    float at(size_t i) const { return coverage_[i]; }
    // The larger coverage of this mask and `other` (of the same size) everywhere.
    void merge(const TextMask& other) {
        for (size_t i = 0; i < coverage_.size(); ++i)
            coverage_[i] = std::max(coverage_[i], other.coverage_[i]);
    }

    // Three box blurs of `radius` pixels each way: close to a Gaussian, for glows and shadows.
    TextMask blurred(int radius) const {
        TextMask out = *this;
        std::vector<float> line;
        for (int pass = 0; pass < 3; ++pass) {
            for (int axis = 0; axis < 2; ++axis) {
                const int count = axis == 0 ? width_ : height_, lines = axis == 0 ? height_ : width_;
                const size_t stride = axis == 0 ? 1 : size_t(width_), next = axis == 0 ? size_t(width_) : 1;
                line.resize(size_t(count));
                for (int l = 0; l < lines; ++l) {
                    float* start = &out.coverage_[size_t(l) * next];
                    for (int i = 0; i < count; ++i)
                        line[size_t(i)] = start[size_t(i) * stride];
                    for (int i = 0; i < count; ++i) {
                        float sum = 0;
                        for (int k = std::max(0, i - radius); k <= std::min(count - 1, i + radius); ++k)
                            sum += line[size_t(k)];
                        start[size_t(i) * stride] = sum / float(2 * radius + 1);
                    }
                }
            }
        }
        return out;
    }

private:
    int width_, height_;
    std::vector<float> coverage_;
};

std::string titleFont(const Options& o) {
    return o.font.empty() ? "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf" : o.font;
}

// A dark card with the title large in the upper half, the lines low in the lower half (where a
// view across a landscape shows the darker ground near the viewer and the middle stays free for
// the scene), and a warm glow around the title. The card is added over the image, so black stays
// invisible; its alpha says how much to darken the image first, so the text reads over a bright
// scene: a soft band across the title and one across the lines, and a stronger halo round every
// letter, clear above and below.
bool drawTitleCard(const Options& o, std::vector<Colour>& image, std::string& error) {
    const int w = o.width, h = o.height;
    const int titleSize = std::max(8, h / 5), lineSize = std::max(8, h * 2 / 45);
    const int lineGap = lineSize * 17 / 10;
    const int titleBaseline = h * 36 / 100;
    const int lastBaseline = h * 9 / 10, firstBaseline = lastBaseline - (int(o.lines.size()) - 1) * lineGap;
    TextMask title(w, h), lines(w, h);
    if (!o.title.empty() && !title.add(titleFont(o), titleSize, o.title, w / 2, titleBaseline, error))
        return false;
    for (size_t i = 0; i < o.lines.size(); ++i)
        if (!lines.add(LabelFont::defaultPath(), lineSize, o.lines[i], w / 2,
                       firstBaseline + int(i) * lineGap, error))
            return false;
    const TextMask glow = title.blurred(std::max(1, h / 60));
    TextMask letters = lines;
    letters.merge(title);
    const TextMask halo = letters.blurred(std::max(1, h / 70));
    const float soft = float(std::max(1, h / 24));
    auto band = [&](float y, float top, float bottom) {
        return smoothstep(top - soft, top + soft, y) * smoothstep(bottom + soft, bottom - soft, y);
    };
    const Colour glowColour{0.55f, 0.3f, 0.12f, 1};
    const Colour lineColour{kWarmWhite.r * 0.95f, kWarmWhite.g * 0.95f, kWarmWhite.b * 0.95f, 1};
    for (size_t i = 0; i < image.size(); ++i) {
        Colour& c = image[i];
        const float g = glow.at(i);
        c = {c.r + glowColour.r * g, c.g + glowColour.g * g, c.b + glowColour.b * g, c.a};
        c = blend(blend(c, kWarmWhite, title.at(i)), lineColour, lines.at(i));
        const float x = (float(i % size_t(w)) + 0.5f) / float(w) * 2 - 1, y = float(i / size_t(w)) + 0.5f;
        float shade = o.title.empty() ? 0 : band(y, float(titleBaseline - titleSize), float(titleBaseline));
        if (!o.lines.empty())
            shade =
                std::max(shade, band(y, float(firstBaseline - lineSize), float(lastBaseline + lineSize / 3)));
        c.a = std::min(0.85f, std::max(0.5f * shade * (1 - 0.6f * x * x), 8 * halo.at(i)));
    }
    return true;
}

// The title over a picture, near the top, on a soft shadow.
bool drawTitleOver(const Options& o, std::vector<Colour>& image, std::string& error) {
    const int w = o.width, h = o.height;
    TextMask title(w, h);
    if (!title.add(titleFont(o), std::max(8, h / 5), o.title, w / 2, h * 27 / 100, error))
        return false;
    const TextMask shadow = title.blurred(std::max(1, h / 70));
    for (size_t i = 0; i < image.size(); ++i) {
        Colour& c = image[i];
        const float dark = 1 - 0.5f * std::min(1.0f, shadow.at(i) * 1.5f);
        c = blend({c.r * dark, c.g * dark, c.b * dark, c.a}, kWarmWhite, title.at(i));
    }
    return true;
}

// Tangent-space normals of the pattern's height (heightAt): x right, y up the picture, z out of it,
// each stored as 0.5 + 0.5 n. Neighbours wrap, so the map of a tiling pattern tiles too.
void drawNormals(const Options& o, std::vector<Colour>& image) {
    const int w = o.width, h = o.height;
    std::vector<float> height(size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float sum = 0;
            for (int s = 0; s < 4; ++s)
                sum += heightAt(o, (x + 0.25f + 0.5f * (s & 1)) / w, (y + 0.25f + 0.5f * (s >> 1)) / h);
            height[size_t(y) * w + x] = sum / 4;
        }
    auto at = [&](int x, int y) { return height[size_t((y + h) % h) * w + size_t((x + w) % w)]; };
    // Slopes per texture width, so the picture looks the same at any size.
    const float scale = o.strength / 40.0f;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float dx = (at(x + 1, y) - at(x - 1, y)) * 0.5f * w * scale;
            const float dy = (at(x, y - 1) - at(x, y + 1)) * 0.5f * h * scale; // rows go down, y goes up
            const float length = std::sqrt(dx * dx + dy * dy + 1);
            image[size_t(y) * w + x] = {0.5f - 0.5f * dx / length, 0.5f - 0.5f * dy / length,
                                        0.5f + 0.5f / length, 1};
        }
}

} // namespace

bool drawPicture(const Options& o, std::vector<unsigned char>& pixels, std::string& error) {
    const int w = o.width, h = o.height;
    std::vector<Colour> image(size_t(w) * h);
    if (o.pattern == "petalnormal" || o.normalMap) {
        drawNormals(o, image);
    } else {
        // The illustration and the materials have hard edges and fine strokes: average 4x4 or
        // 3x3 samples per pixel. The rest are smooth (or pixel-exact, as the checker) and take
        // the pixel's centre.
        const int n = o.pattern == "pastoral" ? 4 : findMaterial(o.pattern) ? 3 : 1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                Colour sum{0, 0, 0, 0};
                for (int sy = 0; sy < n; ++sy)
                    for (int sx = 0; sx < n; ++sx) {
                        const Colour c = shade(o, (x + (sx + 0.5f) / n) / w, (y + (sy + 0.5f) / n) / h);
                        sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b, sum.a + c.a};
                    }
                const float k = 1.0f / float(n * n);
                image[size_t(y) * w + x] = {sum.r * k, sum.g * k, sum.b * k, sum.a * k};
            }
    }
    if (o.pattern == "titlecard" && !drawTitleCard(o, image, error))
        return false;
    if (o.pattern == "pastoral" && !o.title.empty() && !drawTitleOver(o, image, error))
        return false;

    pixels.assign(image.size() * size_t(o.channels), 0);
    for (size_t i = 0; i < image.size(); ++i) {
        const Colour& c = image[i];
        unsigned char* p = &pixels[i * size_t(o.channels)];
        const float grey = 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
        switch (o.channels) {
        case 1:
            p[0] = byte(grey);
            break;
        case 2:
            p[0] = byte(grey);
            p[1] = byte(c.a);
            break;
        default:
            p[0] = byte(c.r);
            p[1] = byte(c.g);
            p[2] = byte(c.b);
            if (o.channels == 4)
                p[3] = byte(c.a);
        }
    }
    return true;
}

} // namespace texgen
