// texgen: writes procedural images as PNG or JPEG (by extension) for content and tests, and colour
// gradients as raw RGB bytes (.grad).
#include "Picture.h"
#include "core/Version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <png.h>
#include <string>
#include <vector>

namespace {

using texgen::Colour;
using texgen::Options;

const char* usageText =
    "usage: texgen OUTPUT.{png,jpg,grad} PATTERN [options]\n"
    "Patterns:\n"
    "  gradient     vertical blend from --from (top) to --to (bottom)\n"
    "  checker      squares of --cell pixels in --from and --to\n"
    "  noise        smooth value noise (greyscale height maps), --seed N\n"
    "  surface      tiling multi-octave noise from --from to --to (grass, soil, rock, bark)\n"
    "  hills        the production's valley as a height map (400 m square, grey 0..1 = -4..24 m)\n"
    "  skyface      face --face 0..5 of a sky cube map (+X -X +Y -Y +Z -Z)\n"
    "  rings        concentric rings from --from to --to\n"
    "  vignette     --from in the middle darkening to --to in the corners\n"
    "  filmramp     a warm filmic ramp from near black (left) to near white (right)\n"
    "  pastoral     sky, low sun, hills and a windmill; --title drawn near the top\n"
    "  petalnormal  tangent-space normal map of a flower's height, --strength S (default 4)\n"
    "  titlecard    --title large and each --line beneath it in warm white on --from\n"
    "Materials (tiling unless noted; --from and --to recolour their main range):\n"
    "  grass, meadow  turf from above: blades, clover, straws; the meadow drier\n"
    "  soil           earth with clods and pebbles\n"
    "  path           a dirt track along v with wheel ruts, its grassy verges fading to alpha\n"
    "                 at the left and right edges (tiles along v only; use --channels 4)\n"
    "  rock           grey stone with cracks and lichen\n"
    "  bark           plates between vertical furrows\n"
    "  leaves         a tree's foliage from outside: clumps of leaves, dark gaps\n"
    "  leafcard       a twig of leaves for a tree crown's cards, clear around it (--channels 4)\n"
    "  petals         one petal filling the picture's width, base at the bottom, --from at the\n"
    "                 base to --to at the tip (does not tile; alpha outside it: --channels 4)\n"
    "  feathers       a dark bird's overlapping feathers\n"
    "  planks         weathered upright boards with grain, knots and gaps\n"
    "  plaster        whitewashed lime plaster with streaks and patches of bare stone\n"
    "  rooftiles      rows of overlapping clay tiles\n"
    "  shingles       dark wooden shingles\n"
    "  brick          bricks in stretcher bond with mortar\n"
    "  canvas         sail cloth: plain weave with stitched seams\n"
    "  glass          a window of four panes in a frame\n"
    "Options:\n"
    "  --size WxH          image size (default 256x256; a material's own size, 128 or 256)\n"
    "  --from R,G,B[,A]    first colour, components 0..1\n"
    "  --to R,G,B[,A]      second colour\n"
    "  --channels N        1 grey, 2 grey+alpha, 3 RGB, 4 RGBA (PNG; JPEG takes 1 or 3, .grad 3)\n"
    "  --title TEXT, --line TEXT (repeatable), --font FILE.ttf (the title's; default DejaVu Serif)\n"
    "  --normalmap         the pattern's tangent-space normal map (from its height) instead\n"
    "  --cell N, --face N, --seed N, --strength S (normal maps' steepness, default 4)\n"
    "A .grad file holds the pixels as R,G,B bytes, row by row, with no header.\n"
    "texgen --version prints the version and commit.\n";

bool parseColour(const char* text, Colour& c) {
    float v[4] = {0, 0, 0, 1};
    int n = std::sscanf(text, "%f,%f,%f,%f", &v[0], &v[1], &v[2], &v[3]);
    if (n < 3)
        return false;
    c = {v[0], v[1], v[2], v[3]};
    return true;
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

bool writeRaw(const Options& o, const std::vector<unsigned char>& pixels) {
    std::FILE* f = std::fopen(o.out.c_str(), "wb");
    if (!f) {
        std::fprintf(stderr, "%s: cannot create\n", o.out.c_str());
        return false;
    }
    const bool ok = std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
    return std::fclose(f) == 0 && ok;
}

bool endsWith(const std::string& text, const char* suffix) {
    const size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (versionRequested(argc, argv))
        return printVersion("texgen");
    if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (argc < 3) {
        std::fputs(usageText, stderr);
        return 2;
    }
    if (!texgen::knownPattern(argv[2])) {
        std::fprintf(stderr, "texgen: unknown pattern \"%s\"\n", argv[2]);
        return 2;
    }
    Options o = texgen::defaultOptions(argv[2]);
    o.out = argv[1];
    for (int i = 3; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--normalmap") {
            o.normalMap = true;
            continue;
        }
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
        else if (a == "--title")
            ok = ok && (o.title = v, true);
        else if (a == "--line")
            ok = ok && (o.lines.push_back(v), true);
        else if (a == "--font")
            ok = ok && (o.font = v, true);
        else if (a == "--strength")
            ok = ok && std::sscanf(v, "%f", &o.strength) == 1 && o.strength >= 0 && o.strength <= 1000;
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
    const bool jpeg = endsWith(o.out, ".jpg") || endsWith(o.out, ".jpeg");
    const bool raw = endsWith(o.out, ".grad");
    if (jpeg && o.channels != 1 && o.channels != 3) {
        std::fprintf(stderr, "texgen: JPEG takes 1 or 3 channels\n");
        return 2;
    }
    if (raw && o.channels != 3) {
        std::fprintf(stderr, "texgen: a .grad file takes 3 channels\n");
        return 2;
    }
    std::vector<unsigned char> pixels;
    std::string error;
    if (!texgen::drawPicture(o, pixels, error)) {
        std::fprintf(stderr, "texgen: %s\n", error.c_str());
        return 1;
    }
    return (jpeg ? writeJpeg(o, pixels) : raw ? writeRaw(o, pixels) : writePng(o, pixels)) ? 0 : 1;
}
