#include "app/capture/LabelFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

// The next code point of UTF-8 text; a malformed byte stands for itself.
uint32_t nextCodePoint(const std::string& text, size_t& at) {
    const unsigned char c = static_cast<unsigned char>(text[at++]);
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    uint32_t code = extra == 3 ? c & 0x07u : extra == 2 ? c & 0x0Fu : extra == 1 ? c & 0x1Fu : c;
    for (; extra > 0; --extra) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80)
            return c;
        code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3Fu);
    }
    return code;
}

} // namespace

const char* LabelFont::defaultPath() {
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

LabelFont::LabelFont() = default;

LabelFont::~LabelFont() {
    if (face_)
        FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_)
        FT_Done_FreeType(static_cast<FT_Library>(library_));
}

bool LabelFont::load(const std::string& path, int pixelSize, std::string& error) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        error = path + ": FreeType cannot be initialised";
        return false;
    }
    library_ = library;
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
        error = path + ": the font cannot be opened (install the Debian package fonts-dejavu-core)";
        return false;
    }
    face_ = face;
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) {
        error = path + ": the font has no size " + std::to_string(pixelSize);
        return false;
    }
    ascender_ = static_cast<int>(face->size->metrics.ascender >> 6);
    return true;
}

int LabelFont::draw(uint8_t* picture, int width, int height, int x, int y, int maxWidth,
                    const std::string& text, const uint8_t rgb[3]) const {
    FT_Face face = static_cast<FT_Face>(face_);
    if (!face)
        return 0;
    int pen = 0;
    for (size_t at = 0; at < text.size();) {
        const uint32_t code = nextCodePoint(text, at);
        if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const int advance = static_cast<int>(glyph->advance.x >> 6);
        if (pen + glyph->bitmap_left + static_cast<int>(bitmap.width) > maxWidth)
            break;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int py = y - glyph->bitmap_top + static_cast<int>(row);
            if (py < 0 || py >= height)
                continue;
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int px = x + pen + glyph->bitmap_left + static_cast<int>(column);
                if (px < 0 || px >= width)
                    continue;
                const unsigned coverage =
                    bitmap.buffer[static_cast<int>(row) * bitmap.pitch + static_cast<int>(column)];
                uint8_t* p = picture + (static_cast<size_t>(py) * width + px) * 3;
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<uint8_t>((rgb[c] * coverage + p[c] * (255 - coverage) + 127) / 255);
            }
        }
        pen += advance;
    }
    return pen;
}
