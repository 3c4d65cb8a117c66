#pragma once

#include "app/ApplicationSettings.h"

#include <string>
#include <vector>

// A display mode as the screen offers it.
struct OfferedDisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

// Everything the settings dialog decides, without any widgets: which resolutions it lists and
// which one it selects, how the check boxes and sliders start and react, and what "Run" writes
// back. The GTK dialog only mirrors this state in its widgets and forwards their changes.
class SetupDialogModel {
public:
    enum class Slider { Multisampling, Anisotropy };

    struct Resolution {
        int width = 0;
        int height = 0;
    };

    // The list stops growing once it holds more than this many entries.
    static constexpr size_t kModeLimit = 4096;
    static constexpr int kLastSliderPosition = 4;

    SetupDialogModel(const ApplicationSettings& settings, const std::vector<OfferedDisplayMode>& offered);

    const std::string& caption() const { return caption_; }

    const std::vector<Resolution>& modes() const { return modes_; }
    // The combo box entry of a listed mode, "1920 * 1080".
    std::string modeText(size_t index) const;
    // The selected entry, -1 for none.
    int selection() const { return selection_; }
    // Any index outside the list selects nothing.
    void select(int index);

    bool fullscreen() const { return fullscreen_; }
    bool alwaysOnTop() const { return alwaysOnTop_; }
    bool alwaysOnTopEnabled() const { return !fullscreen_; }
    bool vsync() const { return vsync_; }
    // Setting full screen clears always-on-top and disables it; clearing it enables it again.
    // A record that starts in full screen keeps its always-on-top mark (disabled) until then.
    void setFullscreen(bool on);
    void setAlwaysOnTop(bool on) { alwaysOnTop_ = on; }
    void setVsync(bool on) { vsync_ = on; }

    int sliderPosition(Slider slider) const;
    bool sliderEnabled(Slider slider) const;
    // "%dx" of the value at the slider's position.
    std::string sliderLabel(Slider slider) const;
    // Positions above the last are set back to it (and negative ones to 0); answers the position
    // kept.
    int setSliderPosition(Slider slider, int position);
    static int sliderValue(int position);

    // "Run": writes the selected mode, the check boxes and the slider values into `settings`.
    // With nothing selected the width and height stay as they are.
    void run(ApplicationSettings& settings) const;

private:
    struct SliderState {
        int position = 0;
        bool enabled = true;
    };
    const SliderState& slider(Slider which) const;
    SliderState& slider(Slider which);

    std::string caption_;
    std::vector<Resolution> modes_;
    int selection_ = -1;
    bool fullscreen_ = false;
    bool alwaysOnTop_ = false;
    bool vsync_ = false;
    SliderState multisampling_;
    SliderState anisotropy_;
};
