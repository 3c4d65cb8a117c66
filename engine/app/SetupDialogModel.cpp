#include "app/SetupDialogModel.h"

#include <algorithm>
#include <cstdio>

namespace {

// Multisampling and anisotropy share one table of slider values.
constexpr int kSliderValues[SetupDialogModel::kLastSliderPosition + 1] = {1, 2, 4, 8, 16};

int positionOf(int value) {
    for (int i = 0; i <= SetupDialogModel::kLastSliderPosition; ++i)
        if (kSliderValues[i] == value)
            return i;
    return 0;
}

// An X server reports the depth of a 32-bit visual as 24 bits per pixel (the padding byte is not
// counted), so a record asking for 32 colour bits must accept 24-bit modes and the other way round.
int colourDepth(int bits) {
    return bits == 32 ? 24 : bits;
}

// Only 16:9 and 16:10 screens, in the integer arithmetic a mode's own height is computed with.
bool wideAspect(int width, int height) {
    const long long w = width;
    return height == w * 9 / 16 || height == w * 10 / 16;
}

} // namespace

SetupDialogModel::SetupDialogModel(const ApplicationSettings& settings,
                                   const std::vector<OfferedDisplayMode>& offered)
    : caption_(settings.title) {
    bool exact = false;
    for (const OfferedDisplayMode& mode : offered) {
        // The check comes before the append, so the list may end one entry past the limit.
        if (modes_.size() > kModeLimit)
            break;
        if (mode.width < 640 || mode.height < 400 || !wideAspect(mode.width, mode.height))
            continue;
        if (colourDepth(mode.bitsPerPixel) != colourDepth(settings.colorBits))
            continue;
        // The screen lists each size once per refresh rate; those follow each other.
        if (!modes_.empty() && modes_.back().width == mode.width && modes_.back().height == mode.height)
            continue;
        modes_.push_back({mode.width, mode.height});
        if (mode.width == settings.width && mode.height == settings.height) {
            selection_ = static_cast<int>(modes_.size()) - 1;
            exact = true;
        }
    }
    if (!exact) {
        for (size_t i = 0; i < modes_.size(); ++i) {
            if (modes_[i].width != settings.width)
                continue;
            selection_ = static_cast<int>(i);
            if (modes_[i].height == settings.height)
                break;
        }
    }

    alwaysOnTop_ = settings.alwaysOnTop;
    fullscreen_ = settings.fullscreen;
    vsync_ = settings.vsync;

    multisampling_.enabled = settings.samples != 1;
    if (multisampling_.enabled)
        multisampling_.position = positionOf(settings.samples);
    anisotropy_.enabled = settings.anisotropy != 0;
    if (anisotropy_.enabled)
        anisotropy_.position = positionOf(settings.anisotropy);
}

std::string SetupDialogModel::modeText(size_t index) const {
    if (index >= modes_.size())
        return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "%d * %d", modes_[index].width, modes_[index].height);
    return text;
}

void SetupDialogModel::select(int index) {
    selection_ = index >= 0 && static_cast<size_t>(index) < modes_.size() ? index : -1;
}

void SetupDialogModel::setFullscreen(bool on) {
    fullscreen_ = on;
    if (on)
        alwaysOnTop_ = false;
}

const SetupDialogModel::SliderState& SetupDialogModel::slider(Slider which) const {
    return which == Slider::Multisampling ? multisampling_ : anisotropy_;
}

SetupDialogModel::SliderState& SetupDialogModel::slider(Slider which) {
    return which == Slider::Multisampling ? multisampling_ : anisotropy_;
}

int SetupDialogModel::sliderPosition(Slider which) const {
    return slider(which).position;
}

bool SetupDialogModel::sliderEnabled(Slider which) const {
    return slider(which).enabled;
}

std::string SetupDialogModel::sliderLabel(Slider which) const {
    char text[16];
    std::snprintf(text, sizeof text, "%dx", sliderValue(slider(which).position));
    return text;
}

int SetupDialogModel::setSliderPosition(Slider which, int position) {
    slider(which).position = std::clamp(position, 0, kLastSliderPosition);
    return slider(which).position;
}

int SetupDialogModel::sliderValue(int position) {
    return kSliderValues[std::clamp(position, 0, kLastSliderPosition)];
}

void SetupDialogModel::run(ApplicationSettings& settings) const {
    if (selection_ >= 0) {
        settings.width = modes_[static_cast<size_t>(selection_)].width;
        settings.height = modes_[static_cast<size_t>(selection_)].height;
    }
    settings.fullscreen = fullscreen_;
    settings.alwaysOnTop = alwaysOnTop_;
    settings.vsync = vsync_;
    // A disabled slider still stands at a position, so its value is stored all the same.
    settings.samples = sliderValue(multisampling_.position);
    settings.anisotropy = sliderValue(anisotropy_.position);
}
