#pragma once

#include "app/capture/LabelFont.h"

#include <cstdint>
#include <string>
#include <vector>

// One picture of many stills for reviews and documentation: the stills scaled down into a grid,
// left to right and top to bottom, each with a label under it (its beat and part).
class ContactSheet {
public:
    struct Layout {
        int columns = 0, rows = 0;
        int cellWidth = 0, cellHeight = 0; // the scaled still
        int labelHeight = 0, margin = 0;
        int width = 0, height = 0; // the whole sheet
        // Top left corner of still i's picture.
        int x(int i) const { return margin + (i % columns) * (cellWidth + margin); }
        int y(int i) const { return margin + (i / columns) * (cellHeight + labelHeight + margin); }
    };

    static constexpr int kMaxColumns = 4;
    static constexpr int kMaxCellWidth = 320;
    static constexpr int kFontSize = 14;

    // The grid for `count` stills of one size: at most kMaxColumns columns, stills no wider than
    // kMaxCellWidth (never enlarged) with their aspect kept.
    static Layout layout(int count, int stillWidth, int stillHeight);

    ContactSheet(int count, int stillWidth, int stillHeight);

    [[nodiscard]] bool loadFont(const std::string& path, std::string& error);
    // Scales still `index` (BGRA, bottom row first, as read back) into its cell and labels it.
    void place(int index, const uint8_t* bgra, const std::string& label);
    [[nodiscard]] bool write(const std::string& path, std::string& error);

    const Layout& sheetLayout() const { return layout_; }
    // RGB, top row first.
    const std::vector<uint8_t>& pixels() const { return pixels_; }

private:
    int stillWidth_, stillHeight_;
    Layout layout_;
    std::vector<uint8_t> pixels_;
    LabelFont font_;
};
