// texgen: writes procedural images as PNG or JPEG (by extension) for content and tests.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <png.h>
#include <string>
#include <vector>

namespace {

struct Colour {
    float r = 0, g = 0, b = 0, a = 1;
};

struct Options {
    std::string out, pattern;
    int width = 256, height = 256, cell = 32, face = 0, channels = 3;
    unsigned seed = 1;
    Colour from{0, 0, 0, 1}, to{1, 1, 1, 1};
};

const char* usageText = "usage: texgen OUTPUT.{png,jpg} PATTERN [options]\n"
                        "Patterns:\n"
                        "  gradient    vertical blend from --from (top) to --to (bottom)\n"
                        "  checker     squares of --cell pixels in --from and --to\n"
                        "  noise       smooth value noise (greyscale height maps), --seed N\n"
                        "  skyface     face --face 0..5 of a sky cube map (+X -X +Y -Y +Z -Z)\n"
                        "  rings       concentric rings from --from to --to\n"
                        "Options:\n"
                        "  --size WxH          image size (default 256x256)\n"
                        "  --from R,G,B[,A]    first colour, components 0..1\n"
                        "  --to R,G,B[,A]      second colour\n"
                        "  --channels N        1 grey, 2 grey+alpha, 3 RGB, 4 RGBA (PNG; JPEG takes 1 or 3)\n"
                        "  --cell N, --face N, --seed N\n";

bool parseColour(const char* text, Colour& c) {
    float v[4] = {0, 0, 0, 1};
    int n = std::sscanf(text, "%f,%f,%f,%f", &v[0], &v[1], &v[2], &v[3]);
    if (n < 3)
        return false;
    c = {v[0], v[1], v[2], v[3]};
    return true;
}

float hash(unsigned seed, int x, int y) {
    unsigned h =
        seed * 374761393u + static_cast<unsigned>(x) * 668265263u + static_cast<unsigned>(y) * 2147483647u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xffffff) / float(0xffffff);
}

float valueNoise(unsigned seed, float x, float y) {
    int xi = static_cast<int>(std::floor(x)), yi = static_cast<int>(std::floor(y));
    float fx = x - xi, fy = y - yi;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    float a = hash(seed, xi, yi), b = hash(seed, xi + 1, yi), c = hash(seed, xi, yi + 1),
          d = hash(seed, xi + 1, yi + 1);
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy;
}

Colour mix(const Colour& a, const Colour& b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour shade(const Options& o, int x, int y) {
    float u = (x + 0.5f) / o.width, v = (y + 0.5f) / o.height;
    if (o.pattern == "gradient")
        return mix(o.from, o.to, v);
    if (o.pattern == "checker")
        return ((x / o.cell + y / o.cell) & 1) ? o.to : o.from;
    if (o.pattern == "rings") {
        float d = std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
        return mix(o.from, o.to, 0.5f + 0.5f * std::cos(d * 40));
    }
    if (o.pattern == "noise") {
        float n = 0, amp = 0.5f, freq = 4;
        for (int octave = 0; octave < 5; ++octave, amp *= 0.5f, freq *= 2)
            n += amp * valueNoise(o.seed + octave, u * freq, v * freq);
        return {n, n, n, 1};
    }
    // skyface: a horizon gradient, brighter towards +Y, each side face tinted a little.
    static const Colour tint[6] = {{1, 0.9f, 0.8f},     {0.8f, 0.9f, 1}, {1, 1, 1},
                                   {0.3f, 0.3f, 0.35f}, {0.9f, 1, 0.9f}, {1, 0.85f, 0.95f}};
    Colour zenith{0.25f, 0.45f, 0.85f}, horizon{0.85f, 0.9f, 1.0f};
    float h = o.face == 2 ? 1 : o.face == 3 ? 0 : 1 - v;
    Colour c = mix(horizon, zenith, h);
    const Colour& t = tint[o.face % 6];
    return {c.r * t.r, c.g * t.g, c.b * t.b, 1};
}

unsigned char byte(float v) {
    v = v < 0 ? 0 : v > 1 ? 1 : v;
    return static_cast<unsigned char>(std::lround(v * 255));
}

bool writePng(const Options& o, const std::vector<unsigned char>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(o.width);
    image.height = static_cast<png_uint_32>(o.height);
    static const png_uint_32 formats[5] = {0, PNG_FORMAT_GRAY, PNG_FORMAT_GA, PNG_FORMAT_RGB,
                                           PNG_FORMAT_RGBA};
    image.format = formats[o.channels];
    if (!png_image_write_to_file(&image, o.out.c_str(), 0, pixels.data(), 0, nullptr)) {
        std::fprintf(stderr, "%s: %s\n", o.out.c_str(), image.message);
        return false;
    }
    return true;
}

bool writeJpeg(const Options& o, const std::vector<unsigned char>& pixels) {
    std::FILE* f = std::fopen(o.out.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "%s: cannot create\n", o.out.c_str());
        return false;
    }
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(o.width);
    cinfo.image_height = static_cast<JDIMENSION>(o.height);
    cinfo.input_components = o.channels;
    cinfo.in_color_space = o.channels == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(&pixels[cinfo.next_scanline * static_cast<size_t>(o.width) * o.channels]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return std::fclose(f) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (argc < 3) {
        std::fputs(usageText, stderr);
        return 2;
    }
    Options o;
    o.out = argv[1];
    o.pattern = argv[2];
    if (o.pattern != "gradient" && o.pattern != "checker" && o.pattern != "noise" && o.pattern != "skyface" &&
        o.pattern != "rings") {
        std::fprintf(stderr, "texgen: unknown pattern \"%s\"\n", o.pattern.c_str());
        return 2;
    }
    for (int i = 3; i < argc; ++i) {
        std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = v != nullptr;
        if (a == "--size")
            ok = ok && std::sscanf(v, "%dx%d", &o.width, &o.height) == 2 && o.width > 0 && o.height > 0 &&
                 o.width <= 8192 && o.height <= 8192;
        else if (a == "--from")
            ok = ok && parseColour(v, o.from);
        else if (a == "--to")
            ok = ok && parseColour(v, o.to);
        else if (a == "--cell")
            ok = ok && (o.cell = std::atoi(v)) > 0;
        else if (a == "--face")
            ok = ok && (o.face = std::atoi(v)) >= 0 && o.face < 6;
        else if (a == "--seed")
            ok = ok && (o.seed = static_cast<unsigned>(std::atoi(v)), true);
        else if (a == "--channels")
            ok = ok && (o.channels = std::atoi(v)) >= 1 && o.channels <= 4;
        else
            ok = false;
        if (!ok) {
            std::fprintf(stderr, "texgen: bad option \"%s\"\n", a.c_str());
            return 2;
        }
        ++i;
    }
    bool jpeg = o.out.size() > 4 && (o.out.compare(o.out.size() - 4, 4, ".jpg") == 0 ||
                                     o.out.compare(o.out.size() - 5, 5, ".jpeg") == 0);
    if (jpeg && o.channels != 1 && o.channels != 3) {
        std::fprintf(stderr, "texgen: JPEG takes 1 or 3 channels\n");
        return 2;
    }
    std::vector<unsigned char> pixels(static_cast<size_t>(o.width) * o.height * o.channels);
    for (int y = 0; y < o.height; ++y) {
        for (int x = 0; x < o.width; ++x) {
            Colour c = shade(o, x, y);
            unsigned char* p = &pixels[(static_cast<size_t>(y) * o.width + x) * o.channels];
            float grey = 0.299f * c.r + 0.587f * c.g + 0.114f * c.b;
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
    }
    return (jpeg ? writeJpeg(o, pixels) : writePng(o, pixels)) ? 0 : 1;
}
