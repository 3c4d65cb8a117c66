#include "app/edit/EditOverlay.h"

#include "assets/TextureBuilders.h"
#include "render/Device.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
constexpr int kFontPixels = 12;
constexpr int kLineHeight = 15;
constexpr int kGraphHeight = 36;
constexpr int kMargin = 4;
// The graph's full height, in seconds: four frames at 60 per second.
constexpr double kGraphSeconds = 4.0 / 60.0;
const uint8_t kText[3] = {235, 235, 235};
const uint8_t kError[3] = {255, 110, 90};
} // namespace

EditOverlay::EditOverlay() = default;
EditOverlay::~EditOverlay() = default;

void EditOverlay::recordFrame(double seconds) {
    frames_[next_] = seconds;
    next_ = (next_ + 1) % kGraphFrames;
    count_ = std::min(count_ + 1, kGraphFrames);
}

double EditOverlay::framesPerSecond() const {
    // Over the last second or so of frames.
    double total = 0;
    int n = 0;
    for (int i = 1; i <= count_ && total < 1.0; ++i, ++n)
        total += frames_[(next_ - i + kGraphFrames) % kGraphFrames];
    return total > 0 ? n / total : 0;
}

void EditOverlay::paint(const Lines& lines) {
    std::fill(picture_.begin(), picture_.end(), uint8_t(0));
    // A dark panel: the picture below shows through nowhere, so the text reads on any frame.
    for (size_t i = 0; i < picture_.size(); i += 3) {
        picture_[i] = 16;
        picture_[i + 1] = 18;
        picture_[i + 2] = 24;
    }
    int y = kMargin + font_.ascender();
    for (const std::string* line : {&lines.position, &lines.parts, &lines.transport, &lines.reload}) {
        font_.draw(picture_.data(), width_, height_, kMargin, y, width_ - 2 * kMargin, *line, kText);
        y += kLineHeight;
    }
    if (!lines.error.empty())
        font_.draw(picture_.data(), width_, height_, kMargin, y, width_ - 2 * kMargin, lines.error, kError);
    y += kLineHeight - font_.ascender() + 2;

    // Frame times, oldest on the left; the line marks 1/60 s.
    const int base = std::min(height_ - 1, y + kGraphHeight);
    const int sixtieth = base - static_cast<int>(kGraphHeight * (1.0 / 60.0) / kGraphSeconds);
    for (int i = 0; i < count_; ++i) {
        const double seconds = frames_[(next_ - count_ + i + kGraphFrames) % kGraphFrames];
        const int x = kMargin + i * (width_ - 2 * kMargin) / kGraphFrames;
        const int top = base - static_cast<int>(std::min(1.0, seconds / kGraphSeconds) * kGraphHeight);
        const bool slow = seconds > 1.5 / 60.0;
        for (int row = std::max(0, top); row <= base; ++row) {
            uint8_t* p = &picture_[(size_t(row) * width_ + x) * 3];
            p[0] = slow ? 230 : 90;
            p[1] = slow ? 120 : 200;
            p[2] = slow ? 60 : 120;
        }
    }
    for (int x = kMargin; x < width_ - kMargin && sixtieth >= 0; ++x) {
        uint8_t* p = &picture_[(size_t(sixtieth) * width_ + x) * 3];
        p[0] = p[1] = p[2] = 200;
    }

    // The passes: a bar each, as long as its share of the frame, with its name and time on it.
    y = base + 4 + font_.ascender();
    char text[96];
    for (size_t i = 0; i < lines.passCount && y < height_; ++i, y += kLineHeight) {
        const EditOverlay::Lines::Pass& pass = lines.passes[i];
        const double share = lines.frameMs > 0 ? std::min(1.0, pass.ms / lines.frameMs) : 0;
        const int length = static_cast<int>(share * (width_ - 2 * kMargin));
        for (int row = std::max(0, y - font_.ascender()); row < std::min(height_, y + 3); ++row)
            for (int x = kMargin; x < kMargin + length; ++x) {
                uint8_t* p = &picture_[(size_t(row) * width_ + x) * 3];
                p[0] = 60;
                p[1] = 70;
                p[2] = 110;
            }
        std::snprintf(text, sizeof text, "%.2f ms  %s", pass.ms, pass.name.c_str());
        font_.draw(picture_.data(), width_, height_, kMargin + 2, y, width_ - 2 * kMargin, text, kText);
    }
}

void EditOverlay::draw(Device& device, int width, int height, const Lines& lines) {
    if (!fontTried_) {
        fontTried_ = true;
        std::string error;
        fontLoaded_ = font_.load(LabelFont::defaultPath(), kFontPixels, error);
        if (!fontLoaded_)
            std::fprintf(stderr, "edit: no overlay: %s\n", error.c_str());
    }
    if (!fontLoaded_ || width <= 0 || height <= 0)
        return;
    const int panelWidth = std::min(width, 400);
    const int panelHeight = std::min(height, 2 * kMargin + 5 * kLineHeight + kGraphHeight + 4 +
                                                 static_cast<int>(lines.passCount) * kLineHeight);
    if (!panel_.fit(panelWidth, panelHeight, "rgb_8"))
        return;
    if (panelWidth != width_ || panelHeight != height_) {
        width_ = panelWidth;
        height_ = panelHeight;
        picture_.assign(size_t(width_) * height_ * 3, 0);
    }
    paint(lines);
    {
        const UnpackAlignment tight;
        glBindTexture(GL_TEXTURE_2D, panel_.texture());
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, picture_.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    // The picture's top row is its first: copied upside down into GL's bottom-up back buffer.
    const int source[4] = {0, 0, width_, height_};
    const int target[4] = {0, height, width_, height - height_};
    copyRectangle(device, panel_.framebuffer(), 0, source, target);
}
