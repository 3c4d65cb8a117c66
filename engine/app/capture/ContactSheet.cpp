#include "app/capture/ContactSheet.h"

#include "app/capture/PngWriter.h"

#include <algorithm>

namespace {
const uint8_t background[3] = {28, 28, 32};
const uint8_t labelColor[3] = {230, 230, 230};
} // namespace

ContactSheet::Layout ContactSheet::layout(int count, int stillWidth, int stillHeight) {
    Layout l;
    if (count <= 0 || stillWidth <= 0 || stillHeight <= 0)
        return l;
    l.columns = std::min(count, kMaxColumns);
    l.rows = (count + l.columns - 1) / l.columns;
    l.cellWidth = std::min(stillWidth, kMaxCellWidth);
    l.cellHeight = std::max(
        1, static_cast<int>((static_cast<long>(stillHeight) * l.cellWidth + stillWidth / 2) / stillWidth));
    l.margin = 12;
    l.labelHeight = kFontSize + 10;
    l.width = l.columns * (l.cellWidth + l.margin) + l.margin;
    l.height = l.rows * (l.cellHeight + l.labelHeight + l.margin) + l.margin;
    return l;
}

ContactSheet::ContactSheet(int count, int stillWidth, int stillHeight)
    : stillWidth_(stillWidth), stillHeight_(stillHeight), layout_(layout(count, stillWidth, stillHeight)),
      pixels_(static_cast<size_t>(layout_.width) * layout_.height * 3) {
    for (size_t i = 0; i < pixels_.size(); i += 3)
        std::copy(background, background + 3, pixels_.begin() + static_cast<long>(i));
}

bool ContactSheet::loadFont(const std::string& path, std::string& error) {
    return font_.load(path, kFontSize, error);
}

void ContactSheet::place(int index, const uint8_t* bgra, const std::string& label) {
    const Layout& l = layout_;
    if (index < 0 || index >= l.columns * l.rows)
        return;
    const int left = l.x(index), top = l.y(index);
    // Each cell pixel averages the block of still pixels it covers.
    for (int y = 0; y < l.cellHeight; ++y) {
        const int y0 = static_cast<int>(static_cast<long>(y) * stillHeight_ / l.cellHeight);
        const int y1 =
            std::max(y0 + 1, static_cast<int>(static_cast<long>(y + 1) * stillHeight_ / l.cellHeight));
        for (int x = 0; x < l.cellWidth; ++x) {
            const int x0 = static_cast<int>(static_cast<long>(x) * stillWidth_ / l.cellWidth);
            const int x1 =
                std::max(x0 + 1, static_cast<int>(static_cast<long>(x + 1) * stillWidth_ / l.cellWidth));
            unsigned sum[3] = {0, 0, 0};
            for (int sy = y0; sy < y1; ++sy) {
                // The still's rows run bottom-up.
                const uint8_t* row = bgra + static_cast<size_t>(stillHeight_ - 1 - sy) * stillWidth_ * 4;
                for (int sx = x0; sx < x1; ++sx)
                    for (int c = 0; c < 3; ++c)
                        sum[c] += row[sx * 4 + 2 - c];
            }
            const unsigned n = static_cast<unsigned>((y1 - y0) * (x1 - x0));
            uint8_t* out = &pixels_[(static_cast<size_t>(top + y) * l.width + left + x) * 3];
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<uint8_t>((sum[c] + n / 2) / n);
        }
    }
    const int baseline = top + l.cellHeight + 4 + font_.ascender();
    font_.draw(pixels_.data(), l.width, l.height, left, baseline, l.cellWidth, label, labelColor);
}

bool ContactSheet::write(const std::string& path, std::string& error) {
    PngWriter writer(layout_.width, layout_.height, false);
    return writer.write(path.c_str(), pixels_.data(), PngWriter::Rgb, static_cast<size_t>(layout_.width) * 3,
                        false, error);
}
