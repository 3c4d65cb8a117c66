#include "Sky.h"

#include "JsonText.h"

#include "atmosphere/AtmosphereModel.h"
#include "core/Diagnostics.h"
#include "core/XmlAttributes.h"

#include <png.h>
#include <tinyxml2.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

const tinyxml2::XMLElement* firstNamed(const tinyxml2::XMLElement* e, const char* name) {
    for (; e; e = e->NextSiblingElement()) {
        if (std::strcmp(e->Name(), name) == 0)
            return e;
        if (const tinyxml2::XMLElement* inner = firstNamed(e->FirstChildElement(), name))
            return inner;
    }
    return nullptr;
}

float hourAt(const SkyHours& h, long k) {
    return h.count == 1 ? h.from : h.from + (h.to - h.from) * float(k) / float(h.count - 1);
}

} // namespace

bool describeSky(const std::string& path, const SkyHours& hours, std::FILE* out,
                 std::vector<SkyPoint>* points) {
    tinyxml2::XMLDocument doc;
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
        xml::reportParseError(path, doc);
        return false;
    }
    const tinyxml2::XMLElement* atmosphere = firstNamed(doc.FirstChildElement(), "atmosphere");
    if (!atmosphere) {
        diagnostic(path.c_str(), "-", "no \"atmosphere\" element");
        return false;
    }
    Ref<AtmosphereModel> model = makeRef<AtmosphereModel>();
    if (!model->configureFromElement(atmosphere, path.c_str()))
        return false;
    const std::string head = "{\"file\":" + jsonString(path) + ",\"kind\":\"sky\",\"timeOfDay\":";
    for (long k = 0; k < hours.count; ++k) {
        const float h = hourAt(hours, k);
        model->setTimeOfDay(h);
        model->updateFromCamera(Mat4::identity(), Vec3());
        float block[AtmosphereModel::kBlockFloats];
        model->blockValues(block);
        std::string json = head + jsonNumber(h) + ",\"theta\":" + jsonNumber(model->theta) +
                           ",\"phi\":" + jsonNumber(model->phi) + ",\"block\":[";
        for (int i = 0; i < AtmosphereModel::kBlockFloats; ++i)
            json += (i ? "," : "") + jsonNumber(block[i]);
        json += "]}\n";
        std::fputs(json.c_str(), out);
        if (points)
            points->push_back({h, 90.0f - model->theta * 57.29578f, {block[0], block[1], block[2]}});
    }
    return true;
}

namespace {

// A 3x5 pixel font for the axis labels: digits and the minus sign, one row per 3-bit mask.
const unsigned char kGlyphs[11][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
                                      {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 2, 2},
                                      {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {0, 0, 7, 0, 0}};

struct Picture {
    int width, height;
    std::vector<unsigned char> rgb;

    Picture(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3, 0) {}

    void put(int x, int y, float r, float g, float b) {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        unsigned char* p = &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
        p[0] = (unsigned char)std::lround(std::clamp(r, 0.0f, 1.0f) * 255);
        p[1] = (unsigned char)std::lround(std::clamp(g, 0.0f, 1.0f) * 255);
        p[2] = (unsigned char)std::lround(std::clamp(b, 0.0f, 1.0f) * 255);
    }
    void text(int x, int y, const std::string& s, float grey) {
        for (char c : s) {
            int glyph = c == '-' ? 10 : (c >= '0' && c <= '9' ? c - '0' : -1);
            if (glyph >= 0)
                for (int row = 0; row < 5; ++row)
                    for (int col = 0; col < 3; ++col)
                        if (kGlyphs[glyph][row] & (4 >> col))
                            for (int s2 = 0; s2 < 4; ++s2)
                                put(x + col * 2 + (s2 & 1), y + row * 2 + (s2 >> 1), grey, grey, grey);
            x += 8;
        }
    }
};

} // namespace

bool plotSky(const std::string& path, const SkyHours& hours, const std::vector<SkyPoint>& points) {
    constexpr int W = 760, H = 420, left = 44, right = 16, top = 14, plotBottom = 314, bandTop = 336,
                  bandBottom = 392;
    const int plotWidth = W - left - right;
    Picture pic(W, H);
    const float span = hours.to - hours.from;
    auto xOf = [&](float hour) {
        return span == 0 ? left + plotWidth / 2
                         : left + int(std::lround((hour - hours.from) / span * float(plotWidth - 1)));
    };
    auto yOf = [&](float elevation) {
        return top + int(std::lround((90.0f - elevation) / 180.0f * float(plotBottom - top)));
    };
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            pic.put(x, y, 0.08f, 0.08f, 0.1f);
    // Day above the horizon, night below.
    for (int y = top; y <= plotBottom; ++y)
        for (int x = left; x < left + plotWidth; ++x) {
            const bool day = y < yOf(0);
            pic.put(x, y, day ? 0.18f : 0.05f, day ? 0.24f : 0.05f, day ? 0.36f : 0.12f);
        }
    for (int e = -90; e <= 90; e += 30) {
        const int y = yOf(float(e));
        const float grey = e == 0 ? 0.85f : 0.35f;
        for (int x = left; x < left + plotWidth; ++x)
            pic.put(x, y, grey, grey, grey);
        pic.text(2, y - 4, std::to_string(e), 0.8f);
    }
    // A tick at every whole hour (every sixth when the range is long), labelled with the hour of day.
    const float lo = std::min(hours.from, hours.to), hi = std::max(hours.from, hours.to);
    const int every = hi - lo > 48 ? 6 : 1;
    for (long hour = long(std::ceil(lo)); hour <= long(std::floor(hi)) && span != 0; ++hour) {
        if (hour % every != 0)
            continue;
        const int x = xOf(float(hour));
        for (int y = top; y <= plotBottom; ++y)
            if (y % 3 == 0)
                pic.put(x, y, 0.3f, 0.3f, 0.3f);
        if (every > 1 || hi - lo <= 24 || hour % 2 == 0)
            pic.text(x - 7, plotBottom + 6, std::to_string(((hour % 24) + 24) % 24), 0.8f);
    }
    // The transmitted sun colour under each sample, out to halfway to its neighbours.
    for (size_t i = 0; i < points.size(); ++i) {
        const int x = xOf(points[i].hour);
        int from = i > 0 ? (xOf(points[i - 1].hour) + x) / 2 : x;
        int to = i + 1 < points.size() ? (xOf(points[i + 1].hour) + x) / 2 : x;
        if (points.size() == 1) {
            from = left;
            to = left + plotWidth - 1;
        }
        const float* c = points[i].colour;
        for (int column = std::min(from, to); column <= std::max(from, to); ++column)
            for (int y = bandTop; y <= bandBottom; ++y)
                pic.put(column, y, c[0], c[1], c[2]);
    }
    // The elevation curve, three pixels thick, in sunlight yellow.
    for (size_t i = 0; i < points.size(); ++i) {
        const int x0 = xOf(points[i].hour), y0 = yOf(points[i].elevationDegrees);
        const int x1 = i + 1 < points.size() ? xOf(points[i + 1].hour) : x0;
        const int y1 = i + 1 < points.size() ? yOf(points[i + 1].elevationDegrees) : y0;
        const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
        for (int s = 0; s <= steps; ++s) {
            const int x = x0 + (x1 - x0) * s / steps, y = y0 + (y1 - y0) * s / steps;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    pic.put(x + dx, y + dy, 1.0f, 0.85f, 0.2f);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = png_uint_32(W);
    image.height = png_uint_32(H);
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, pic.rgb.data(), 0, nullptr)) {
        diagnostic(path.c_str(), "-", "cannot write the picture: %s", image.message);
        return false;
    }
    return true;
}

int reportSkies(const std::vector<std::string>& files, const SkyHours& hours, bool sky,
                const std::string& plot) {
    if (!sky) {
        std::fprintf(stderr, "assetinfo: --plot needs --sky\n");
        return 1;
    }
    if (!plot.empty() && files.size() != 1) {
        std::fprintf(stderr, "assetinfo: --plot draws one FILE\n");
        return 1;
    }
    int status = 0;
    std::vector<SkyPoint> points;
    for (const std::string& file : files)
        if (!describeSky(file, hours, stdout, plot.empty() ? nullptr : &points))
            status = 1;
    if (!plot.empty() && status == 0 && !plotSky(plot, hours, points))
        status = 1;
    return std::fflush(stdout) == 0 ? status : 1;
}
