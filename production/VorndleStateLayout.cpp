#include "VorndleStateLayout.h"

#include <iterator>

namespace vorndle_state {

namespace {

constexpr FieldKind F = FieldKind::Float;
constexpr FieldKind B = FieldKind::Flag;
constexpr FieldKind P = FieldKind::PassCount;
constexpr PartValue Chain = PartValue::None;

constexpr FieldLayout kPost[] = {
    {"lut_fade", F, 1, Chain, "share of the colour gradient blended in (0 off, 1 fully)"},
    {"distortion_strength", F, 1, Chain, "distortion, texture units"},
    {"distortion_tiling", F, 1, Chain, "tiling of the distortion noise"},
    {"chromatic_aberration", F, 1, Chain, ""},
    {"distortion_spare", F, 1, Chain, "unused"},
    {"dof_focus", F, 1, Chain, "focus distance"},
    {"dof_sharp_half_depth", F, 1, Chain, "half depth of the sharp zone"},
    {"dof_full_blur", F, 1, Chain, "distance from the focus where the blur is full"},
    {"dof_blur_range", F, 1, Chain, "dof_full_blur - dof_sharp_half_depth, recomputed every frame"},
    {"display_gamma", F, 1, Chain, "1 leaves the image as it is"},
    {"exposure", F, 1, Chain, "multiplier"},
    {"noise_spare", F, 1, Chain, "unused"},
    {"noise_time", F, 1, Chain, "replaced by the demo time every frame"},
    {"grain", F, 1, Chain, "film grain amount"},
    {"effect_0", B, 1, Chain, "unused switch"},
    {"glow", B, 1, Chain, ""},
    {"light_streaks", B, 1, Chain, "when glow is off"},
    {"effect_3", B, 1, Chain, "unused switch"},
    {"depth_of_field", B, 1, Chain, ""},
    {"motion_blur", B, 1, Chain, "instead of the depth-of-field blur"},
    {"radial_blur", B, 1, Chain, "when glow and light streaks are off"},
    {"dof_blur_passes", P, 1, Chain, "0..64"},
    {"glow_passes", P, 1, Chain, ""},
    {"light_streak_passes", P, 1, Chain, ""},
    {"passes_3", P, 1, Chain, "unused"},
    {"ambient_occlusion_passes", P, 1, Chain, "unused: one pass"},
    {"motion_blur_passes", P, 1, Chain, "unused: one pass"},
    {"radial_blur_passes", P, 1, Chain, ""},
};

// Glow, light streaks and radial blur keep what exceeds the threshold (colour rgb), scaled by
// colour alpha.
constexpr FieldLayout kGlow[] = {
    {"threshold_r", F, 1, Chain, ""},
    {"threshold_g", F, 1, Chain, ""},
    {"threshold_b", F, 1, Chain, ""},
    {"scale", F, 1, Chain, "of what exceeds the threshold"},
};

constexpr FieldLayout kLightStreaks[] = {
    {"threshold_r", F, 1, Chain, ""},
    {"threshold_g", F, 1, Chain, ""},
    {"threshold_b", F, 1, Chain, ""},
    {"scale", F, 1, Chain, "of what exceeds the threshold"},
    {"direction_0", F, 2, Chain, "x y"},
    {"direction_1", F, 2, Chain, "x y"},
    {"weights_0", F, 4, Chain, "four taps; the engine scales them to unit length"},
    {"weights_1", F, 4, Chain, "four taps"},
};

constexpr FieldLayout kSsao[] = {
    {"near", F, 1, Chain, ""},
    {"far", F, 1, Chain, ""},
    {"radius", F, 1, Chain, ""},
    {"attenuation_bias", F, 1, Chain, ""},
    {"attenuation_scale", F, 1, Chain, ""},
    {"attenuation_power", F, 1, Chain, ""},
    {"gi_scale", F, 1, Chain, ""},
    {"depth_scale", F, 1, Chain, ""},
};

constexpr FieldLayout kRadialBlur[] = {
    {"threshold_r", F, 1, Chain, ""},
    {"threshold_g", F, 1, Chain, ""},
    {"threshold_b", F, 1, Chain, ""},
    {"scale", F, 1, Chain, "of what exceeds the threshold"},
    {"origin", F, 2, Chain, "texture coordinates"},
    {"start", F, 1, Chain, "where the smear starts along the line to the origin (0 at the pixel)"},
    {"length", F, 1, Chain, "share of the distance to the origin"},
};

constexpr FieldLayout kValues[] = {
    {"terrain_detail", F, 2, PartValue::TerrainDetail, ""},
    {"shadow_intensity", F, 1, PartValue::ShadowIntensity, ""},
    {"spare", F, 1, PartValue::Spare, "unused"},
    {"smoothness", F, 16, PartValue::MaterialSmoothness, "one per material"},
    {"cloud_height_scale", F, 1, PartValue::CloudHeightScale, ""},
    {"texcoord_scale", F, 1, PartValue::TerrainTexCoordScale, "terrain texture coordinates"},
};

template <size_t N>
constexpr SectionLayout block(const char* name, const char* magic, const FieldLayout (&list)[N],
                              const char* note) {
    return {name, SectionKind::ChainBlock, magic, true, list, int(N), PartEnvelope::None, note};
}

constexpr SectionLayout bareBlock(const char* name, const char* magic) {
    return {name, SectionKind::ChainBlock, magic, true, nullptr, 0, PartEnvelope::None, "no parameters"};
}

constexpr SectionLayout envelope(const char* name, PartEnvelope target, const char* note) {
    return {name, SectionKind::Envelope, nullptr, false, nullptr, 0, target, note};
}

constexpr SectionLayout kSections[] = {
    block("post", "BLIT", kPost, "the post-processing chain"),
    bareBlock("post.dof_blur", "BLUR"),
    block("post.glow", "GLOW", kGlow, ""),
    block("post.light_streaks", "LSTK", kLightStreaks, ""),
    block("post.ssao", "SSAO", kSsao, "ambient occlusion"),
    bareBlock("post.motion_blur", "MOTB"),
    block("post.radial_blur", "RADB", kRadialBlur, ""),
    envelope("camera", PartEnvelope::CameraSelection, "index of the active camera (the value's floor)"),
    envelope("time_of_day", PartEnvelope::TimeOfDay, "hours"),
    envelope("gamma", PartEnvelope::Gamma, "display gamma of the composite"),
    {"values", SectionKind::Values, nullptr, false, kValues, int(std::size(kValues)), PartEnvelope::None, ""},
    envelope("turbidity", PartEnvelope::Turbidity, ""),
    envelope("sun_intensity", PartEnvelope::SunIntensity, ""),
    envelope("rayleigh", PartEnvelope::RayleighFactor, "Rayleigh scattering factor"),
    envelope("mie", PartEnvelope::MieFactor, "Mie scattering factor"),
    envelope("colour_scale", PartEnvelope::ColourScale, "sun colour multiplier"),
    envelope("azimuth_offset", PartEnvelope::AzimuthOffset, "radians about the vertical axis"),
    envelope("lut_fade", PartEnvelope::LutFade, "0..1"),
    envelope("effect_mode", PartEnvelope::EffectMode, "rounded: 1 glow, 2 radial blur, else neither"),
    envelope("dof_switch", PartEnvelope::DepthOfFieldSwitch, "above 0.5: depth of field on"),
    envelope("dof_param_0", PartEnvelope::DepthOfFieldParam0, "focus distance"),
    envelope("dof_param_1", PartEnvelope::DepthOfFieldParam1, "half depth of the sharp zone"),
    envelope("dof_param_2", PartEnvelope::DepthOfFieldParam2,
             "distance from the focus where the blur is full"),
    envelope("cloud_height", PartEnvelope::CloudHeight, ""),
};

} // namespace

const SectionList& sections() {
    static const SectionList list = {kSections, std::size(kSections)};
    return list;
}

int findSection(const std::string& name) {
    for (size_t i = 0; i < std::size(kSections); ++i)
        if (name == kSections[i].name)
            return int(i);
    return -1;
}

} // namespace vorndle_state
