#pragma once

#include "core/Object.h"

#include <cstdint>
#include <memory>
#include <vector>

class InputStream;
class OutputStream;
namespace tinyxml2 {
class XMLElement;
}

// Interpolation shape of the span that ends at a key (tangents: the shape of the owning key).
enum EnvelopeShape : int32_t {
    ShapeTCB = 0,
    ShapeHermite = 1,
    ShapeBezier = 2,
    ShapeLinear = 3,
    ShapeStepped = 4,
    ShapeBezier2D = 5,
    ShapeHermiteAlt = 6,
};

// What an envelope answers before its first key (pre) or after its last key (post).
enum EnvelopeBehaviour : int32_t {
    BehaviourReset = 0,
    BehaviourConstant = 1,
    BehaviourRepeat = 2,
    BehaviourOscillate = 3,
    BehaviourOffsetRepeat = 4,
    BehaviourLinear = 5,
};

struct EnvelopeKey {
    float value = 0;
    float time = 0;
    int32_t shape = ShapeStepped;
    float tension = 0;
    float continuity = 0;
    float bias = 0;
    float param[4] = {0, 0, 0, 0};
    EnvelopeKey* prev = nullptr;
    EnvelopeKey* next = nullptr;
};

// A keyed scalar curve of time: keys sorted by time in a doubly linked list, each with a value and
// the interpolation shape of the span that ends at it, plus behaviours outside the key range.
// Immutable once loaded; evaluation is pure and re-entrant.
class Envelope : public Object {
public:
    static constexpr uint32_t magic = 0x4C564E45; // "ENVL" read least significant byte first
    static constexpr size_t binaryKeySize = 40;

    Envelope() = default;

    float evaluate(float time) const;

    // Copies the key to its sorted place: before the first key with a strictly greater time,
    // so keys with equal times keep their insertion order.
    EnvelopeKey* insertKey(const EnvelopeKey& key);

    // Builds an envelope from a scene file's `envelope` element into `out`.
    static void readElement(const tinyxml2::XMLElement* element, Ref<Envelope>& out);
    // Binary "ENVL" record. Reading appends its keys to this envelope; it fails on a wrong magic,
    // a non-positive count, a count the stream cannot hold, or a short read (keys read until then
    // stay). Writing emits the keys in list order.
    [[nodiscard]] bool read(InputStream& in);
    bool write(OutputStream& out) const;

    int32_t keyCount() const { return keyCount_; }
    const EnvelopeKey* firstKey() const { return first_; }
    const EnvelopeKey* lastKey() const { return last_; }

    int32_t tag = 0;
    int32_t preBehaviour = BehaviourConstant;
    int32_t postBehaviour = BehaviourConstant;

    // True when the keys came as one block (scene-file envelopes) rather than one by one.
    bool keysAsArray() const { return keysAsArray_; }

    // Tangents and span values, exposed for tests and tools.
    static float outgoingTangent(const EnvelopeKey& k0, const EnvelopeKey& k1);
    static float incomingTangent(const EnvelopeKey& k0, const EnvelopeKey& k1);
    static float bezier(float x0, float x1, float x2, float x3, float t);
    static float bezierTime(float x0, float x1, float x2, float x3, float time);

private:
    void link(EnvelopeKey* key);
    static float bezier2DSpan(const EnvelopeKey& k0, const EnvelopeKey& k1, float time);

    int32_t keyCount_ = 0;
    EnvelopeKey* first_ = nullptr;
    EnvelopeKey* last_ = nullptr;
    bool keysAsArray_ = false;
    std::vector<std::unique_ptr<EnvelopeKey[]>> storage_;
};
