#include "StateText.h"

// The field lists follow BlitEngine::readState and the engines' readParams: change them together.
namespace state_text {

namespace {

constexpr FieldKind F = FieldKind::Float;
constexpr FieldKind B = FieldKind::Flag;
constexpr FieldKind P = FieldKind::PassCount;

const FieldLayout kPost[] = {
    {"lut_fade", F, 1, "share of the colour gradient blended in (0 off, 1 fully)"},
    {"distortion_strength", F, 1, "distortion, texture units"},
    {"distortion_tiling", F, 1, "tiling of the distortion noise"},
    {"chromatic_aberration", F, 1, ""},
    {"distortion_spare", F, 1, "unused"},
    {"dof_focus", F, 1, "focus distance"},
    {"dof_sharp_half_depth", F, 1, "half depth of the sharp zone"},
    {"dof_full_blur", F, 1, "distance from the focus where the blur is full"},
    {"dof_blur_range", F, 1, "dof_full_blur - dof_sharp_half_depth, recomputed every frame"},
    {"display_gamma", F, 1, "1 leaves the image as it is"},
    {"exposure", F, 1, "multiplier"},
    {"noise_spare", F, 1, "unused"},
    {"noise_time", F, 1, "replaced by the demo time every frame"},
    {"grain", F, 1, "film grain amount"},
    {"effect_0", B, 1, "unused switch"},
    {"glow", B, 1, ""},
    {"light_streaks", B, 1, "when glow is off"},
    {"effect_3", B, 1, "unused switch"},
    {"depth_of_field", B, 1, ""},
    {"motion_blur", B, 1, "instead of the depth-of-field blur"},
    {"radial_blur", B, 1, "when glow and light streaks are off"},
    {"dof_blur_passes", P, 1, "0..64"},
    {"glow_passes", P, 1, ""},
    {"light_streak_passes", P, 1, ""},
    {"passes_3", P, 1, "unused"},
    {"ambient_occlusion_passes", P, 1, "unused: one pass"},
    {"motion_blur_passes", P, 1, "unused: one pass"},
    {"radial_blur_passes", P, 1, ""},
};

// Glow, light streaks and radial blur keep what exceeds the threshold (colour rgb), scaled by
// colour alpha.
const FieldLayout kGlow[] = {
    {"threshold_r", F, 1, ""},
    {"threshold_g", F, 1, ""},
    {"threshold_b", F, 1, ""},
    {"scale", F, 1, "of what exceeds the threshold"},
};

const FieldLayout kLightStreaks[] = {
    {"threshold_r", F, 1, ""},
    {"threshold_g", F, 1, ""},
    {"threshold_b", F, 1, ""},
    {"scale", F, 1, "of what exceeds the threshold"},
    {"direction_0", F, 2, "x y"},
    {"direction_1", F, 2, "x y"},
    {"weights_0", F, 4, "four taps; the engine scales them to unit length"},
    {"weights_1", F, 4, "four taps"},
};

const FieldLayout kSsao[] = {
    {"near", F, 1, ""},
    {"far", F, 1, ""},
    {"radius", F, 1, ""},
    {"attenuation_bias", F, 1, ""},
    {"attenuation_scale", F, 1, ""},
    {"attenuation_power", F, 1, ""},
    {"gi_scale", F, 1, ""},
    {"depth_scale", F, 1, ""},
};

const FieldLayout kRadialBlur[] = {
    {"threshold_r", F, 1, ""},
    {"threshold_g", F, 1, ""},
    {"threshold_b", F, 1, ""},
    {"scale", F, 1, "of what exceeds the threshold"},
    {"origin", F, 2, "texture coordinates"},
    {"start", F, 1, "where the smear starts along the line to the origin (0 at the pixel)"},
    {"length", F, 1, "share of the distance to the origin"},
};

const FieldLayout kValues[] = {
    {"terrain_detail", F, 2, ""},     {"shadow_intensity", F, 1, ""},
    {"spare", F, 1, "unused"},        {"smoothness", F, 16, "one per material"},
    {"cloud_height_scale", F, 1, ""}, {"texcoord_scale", F, 1, "terrain texture coordinates"},
};

template <size_t N>
SectionLayout fields(const char* name, const char* magic, const FieldLayout (&list)[N], const char* note) {
    return {name, magic, false, true, list, int(N), note};
}

SectionLayout envelope(const char* name, const char* note) {
    return {name, nullptr, true, false, nullptr, 0, note};
}

} // namespace

const std::vector<SectionLayout>& layout() {
    static const std::vector<SectionLayout> sections = [] {
        std::vector<SectionLayout> s = {
            fields("post", "BLIT", kPost, "the post-processing chain"),
            {"post.dof_blur", "BLUR", false, true, nullptr, 0, "no parameters"},
            fields("post.glow", "GLOW", kGlow, ""),
            fields("post.light_streaks", "LSTK", kLightStreaks, ""),
            fields("post.ssao", "SSAO", kSsao, "ambient occlusion"),
            {"post.motion_blur", "MOTB", false, true, nullptr, 0, "no parameters"},
            fields("post.radial_blur", "RADB", kRadialBlur, ""),
            envelope("camera", "index of the active camera (the value's floor)"),
            envelope("time_of_day", "hours"),
            envelope("gamma", "display gamma of the composite"),
        };
        SectionLayout values = fields("values", nullptr, kValues, "");
        values.finiteOnly = false;
        s.push_back(values);
        const char* const tail[][2] = {
            {"turbidity", ""},
            {"sun_intensity", ""},
            {"rayleigh", "Rayleigh scattering factor"},
            {"mie", "Mie scattering factor"},
            {"colour_scale", "sun colour multiplier"},
            {"azimuth_offset", "radians about the vertical axis"},
            {"lut_fade", "0..1"},
            {"effect_mode", "rounded: 1 glow, 2 radial blur, else neither"},
            {"dof_switch", "above 0.5: depth of field on"},
            {"dof_param_0", "focus distance"},
            {"dof_param_1", "half depth of the sharp zone"},
            {"dof_param_2", "distance from the focus where the blur is full"},
            {"cloud_height", ""},
        };
        for (const auto& t : tail)
            s.push_back(envelope(t[0], t[1]));
        return s;
    }();
    return sections;
}

int findSection(const std::string& name) {
    const std::vector<SectionLayout>& sections = layout();
    for (size_t i = 0; i < sections.size(); ++i)
        if (name == sections[i].name)
            return int(i);
    return -1;
}

} // namespace state_text
