#pragma once

#include <cstddef>
#include <string>

// The layout of a scene part's state file (data/<part>.dat once decompressed), in file order: the
// post chain's "BLIT" block and its engines' blocks, then the part's envelopes and loose numbers.
// VorndleSceneTemplate reads and writes the file by walking this table, and statetool builds its
// binary and text forms from it, so a section or field added here reaches both. The chain's
// blocks are the one exception: BlitEngine reads and writes them itself and cannot see this table
// (the engine never includes the production), so their fields must follow BlitEngine::readState
// and the engines' readParams.
namespace vorndle_state {

enum class FieldKind {
    Float,     // four bytes
    Flag,      // one byte, 0 or 1
    PassCount, // a four-byte integer, 0..BlitEngine::kMaxPassCount
};

enum class SectionKind {
    ChainBlock, // a block of the post chain: its four-character magic, then its fields
    Envelope,   // an "ENVL" record
    Values,     // the part's loose floats
};

// Which of the part's envelopes an envelope section fills.
enum class PartEnvelope {
    None, // not an envelope section
    CameraSelection,
    TimeOfDay,
    Gamma,
    Turbidity,
    SunIntensity,
    RayleighFactor,
    MieFactor,
    ColourScale,
    AzimuthOffset,
    LutFade,
    EffectMode,
    DepthOfFieldSwitch,
    DepthOfFieldParam0,
    DepthOfFieldParam1,
    DepthOfFieldParam2,
    CloudHeight,
};

// Which of the part's floats a field of the values section fills.
enum class PartValue {
    None, // a field of the chain's blocks
    TerrainDetail,
    ShadowIntensity,
    Spare,
    MaterialSmoothness,
    CloudHeightScale,
    TerrainTexCoordScale,
};

struct FieldLayout {
    const char* name;
    FieldKind kind;
    int count; // numbers in the file and on the field's text line
    PartValue value;
    const char* note;
};

struct SectionLayout {
    const char* name;
    SectionKind kind;
    const char* magic; // a chain block's four opening characters, else null
    // statetool refuses NaN and infinities in this section's floats. The chain's engines refuse
    // them as well; the part's reader refuses them in every float, the values section's included.
    bool finiteOnly;
    const FieldLayout* fields;
    int fieldCount;
    PartEnvelope envelope;
    const char* note;
};

// The sections in file order, the chain's blocks first.
struct SectionList {
    const SectionLayout* first;
    size_t count;

    const SectionLayout* begin() const { return first; }
    const SectionLayout* end() const { return first + count; }
    size_t size() const { return count; }
    const SectionLayout& operator[](size_t i) const { return first[i]; }
};

const SectionList& sections();
// Index of a section by name, -1 when there is none.
int findSection(const std::string& name);

} // namespace vorndle_state
