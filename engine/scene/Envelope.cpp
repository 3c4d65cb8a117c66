#include "scene/Envelope.h"

#include "core/InputStream.h"
#include "core/OutputStream.h"
#include "core/XmlAttributes.h"

#include <cmath>
#include <tinyxml2.h>

namespace {

constexpr float oneThird = 0.33333334f;
constexpr int bezierSearchLimit = 256;

// Wraps v into [lo, hi] and counts the whole cycles that took (as a double, so absurd times
// cannot overflow an integer).
float wrap(float v, float lo, float hi, double& cycles) {
    float r = hi - lo;
    if (r == 0) {
        cycles = 0;
        return lo;
    }
    float w = v - r * std::floor((v - lo) / r);
    double h = w > v ? 0.5 : -0.5;
    cycles = -std::trunc(static_cast<double>(w - v) / r + h);
    return w;
}

bool isOdd(double n) {
    return std::fmod(n, 2.0) != 0.0;
}

bool isHermiteLike(int32_t shape) {
    return shape == ShapeTCB || shape == ShapeHermite || shape == ShapeBezier || shape == ShapeHermiteAlt;
}

} // namespace

float Envelope::outgoingTangent(const EnvelopeKey& k0, const EnvelopeKey& k1) {
    const EnvelopeKey* p = k0.prev;
    switch (k0.shape) {
    case ShapeTCB: {
        float d = k1.value - k0.value;
        float b = (1 - k0.tension) * (1 - k0.continuity) * (1 - k0.bias);
        if (!p)
            return b * d;
        float a = (1 - k0.tension) * (1 + k0.continuity) * (1 + k0.bias);
        return ((k1.time - k0.time) / (k1.time - p->time)) * (a * (k0.value - p->value) + b * d);
    }
    case ShapeHermite:
    case ShapeBezier:
    case ShapeHermiteAlt:
        return p ? k0.param[1] * ((k1.time - k0.time) / (k1.time - p->time)) : k0.param[1];
    case ShapeLinear: {
        float d = k1.value - k0.value;
        if (!p)
            return d;
        return ((k1.time - k0.time) / (k1.time - p->time)) * (k0.value - p->value + d);
    }
    case ShapeBezier2D: {
        float t = k0.param[3] * (k1.time - k0.time);
        return std::fabs(k0.param[2]) > 1e-5f ? t / k0.param[2] : t * 100000.0f;
    }
    default:
        return 0;
    }
}

float Envelope::incomingTangent(const EnvelopeKey& k0, const EnvelopeKey& k1) {
    const EnvelopeKey* n = k1.next;
    switch (k1.shape) {
    case ShapeTCB: {
        float d = k1.value - k0.value;
        float a = (1 - k1.tension) * (1 - k1.continuity) * (1 + k1.bias);
        if (!n)
            return a * d;
        float b = (1 - k1.tension) * (1 + k1.continuity) * (1 - k1.bias);
        return ((k1.time - k0.time) / (n->time - k0.time)) * (b * (n->value - k1.value) + a * d);
    }
    case ShapeHermite:
    case ShapeBezier:
    case ShapeHermiteAlt:
        return n ? k1.param[0] * ((k1.time - k0.time) / (n->time - k0.time)) : k1.param[0];
    case ShapeLinear: {
        float d = k1.value - k0.value;
        if (!n)
            return d;
        return ((k1.time - k0.time) / (n->time - k0.time)) * (n->value - k1.value + d);
    }
    case ShapeBezier2D: {
        float t = k1.param[1] * (k1.time - k0.time);
        return std::fabs(k1.param[0]) > 1e-5f ? t / k1.param[0] : t * 100000.0f;
    }
    default:
        return 0;
    }
}

float Envelope::bezier(float x0, float x1, float x2, float x3, float t) {
    float c = 3 * (x1 - x0);
    float b = 3 * (x2 - x1) - c;
    float a = x3 - x0 - c - b;
    return a * t * t * t + b * t * t + c * t + x0;
}

float Envelope::bezierTime(float x0, float x1, float x2, float x3, float time) {
    float t0 = 0, t1 = 1;
    for (int depth = 0;; ++depth) {
        float t = t0 + (t1 - t0) * 0.5f;
        if (depth >= bezierSearchLimit)
            return t;
        float v = bezier(x0, x1, x2, x3, t);
        if (!(std::fabs(time - v) > 1e-4f))
            return t;
        if (v > time)
            t1 = t;
        else
            t0 = t;
    }
}

float Envelope::bezier2DSpan(const EnvelopeKey& k0, const EnvelopeKey& k1, float time) {
    bool own = k0.shape == ShapeBezier2D;
    float x1 = k0.time + (own ? k0.param[2] : (k1.time - k0.time) * oneThird);
    float t = bezierTime(k0.time, x1, k1.time + k1.param[0], k1.time, time);
    float y1 = k0.value + (own ? k0.param[3] : k0.param[1] * oneThird);
    return bezier(k0.value, y1, k1.value + k1.param[1], k1.value, t);
}

namespace {

// Time outside [first, last] by the behaviour of that side (`before`: ahead of the first key):
// true with `value` answered at once, or false with the time (and the value offset) to evaluate
// between the keys. Unknown behaviour codes keep the time.
bool beyondTheKeys(const EnvelopeKey& first, const EnvelopeKey& last, int behaviour, bool before, float& time,
                   float& offset, float& value) {
    double cycles = 0;
    switch (behaviour) {
    case BehaviourReset:
        value = 0;
        return true;
    case BehaviourConstant:
        value = before ? first.value : last.value;
        return true;
    case BehaviourRepeat: {
        const float r = last.time - first.time;
        time = r == 0 ? first.time : time - r * std::floor((time - first.time) / r);
        return false;
    }
    case BehaviourOscillate:
        time = wrap(time, first.time, last.time, cycles);
        // Odd cycles mirror: L + F - T after the keys, L - F - T before them (as files expect).
        if (isOdd(cycles))
            time = (before ? last.time - first.time : last.time + first.time) - time;
        return false;
    case BehaviourOffsetRepeat:
        time = wrap(time, first.time, last.time, cycles);
        offset = (last.value - first.value) * static_cast<float>(cycles);
        return false;
    case BehaviourLinear:
        value = before ? Envelope::outgoingTangent(first, *first.next) / (first.next->time - first.time) *
                                 (time - first.time) +
                             first.value
                       : Envelope::incomingTangent(*last.prev, last) / (last.time - last.prev->time) *
                                 (time - last.time) +
                             last.value;
        return true;
    default:
        return false;
    }
}

} // namespace

float Envelope::evaluate(float time) const {
    const EnvelopeKey* f = first_;
    if (!f)
        return 0;
    if (!f->next)
        return f->value;
    float offset = 0;
    if (time < f->time || time > last_->time) {
        const bool before = time < f->time;
        float value = 0;
        if (beyondTheKeys(*f, *last_, before ? preBehaviour : postBehaviour, before, time, offset, value))
            return value;
    }

    const EnvelopeKey* k0 = f;
    while (k0->next && time > k0->next->time)
        k0 = k0->next;
    const EnvelopeKey* k1 = k0->next;
    // Still past the last key (only with unknown behaviour codes): hold the last value.
    if (!k1)
        return k0->value + offset;
    if (time == k0->time)
        return k0->value + offset;
    if (time == k1->time)
        return k1->value + offset;

    float u = (time - k0->time) / (k1->time - k0->time);
    if (isHermiteLike(k1->shape)) {
        float u2 = u * u, u3 = u2 * u;
        float h1 = 2 * u3 - 3 * u2 + 1;
        float h2 = 3 * u2 - 2 * u3;
        float h3 = u3 - 2 * u2 + u;
        float h4 = u3 - u2;
        return h1 * k0->value + h2 * k1->value + h3 * outgoingTangent(*k0, *k1) +
               h4 * incomingTangent(*k0, *k1) + offset;
    }
    switch (k1->shape) {
    case ShapeLinear:
        return k0->value + u * (k1->value - k0->value) + offset;
    case ShapeStepped:
        return k0->value + offset;
    case ShapeBezier2D:
        return bezier2DSpan(*k0, *k1, time) + offset;
    default:
        return offset;
    }
}

void Envelope::link(EnvelopeKey* key) {
    EnvelopeKey* at = first_;
    while (at && !(at->time > key->time))
        at = at->next;
    if (at) {
        key->next = at;
        key->prev = at->prev;
        if (at->prev)
            at->prev->next = key;
        else
            first_ = key;
        at->prev = key;
    } else {
        key->prev = last_;
        key->next = nullptr;
        if (last_)
            last_->next = key;
        else
            first_ = key;
        last_ = key;
    }
    ++keyCount_;
}

EnvelopeKey* Envelope::insertKey(const EnvelopeKey& key) {
    storage_.emplace_back(new EnvelopeKey[1]);
    EnvelopeKey* k = storage_.back().get();
    *k = key;
    k->prev = k->next = nullptr;
    link(k);
    return k;
}

void Envelope::readElement(const tinyxml2::XMLElement* element, Ref<Envelope>& out) {
    Ref<Envelope> env = makeRef<Envelope>();
    // Absent behaviours read as Reset here, not as the constructor's Constant.
    env->preBehaviour = xml::intAttr(element, "pre", BehaviourReset);
    env->postBehaviour = xml::intAttr(element, "post", BehaviourReset);

    size_t count = 0;
    for (auto* k = element ? element->FirstChildElement("key") : nullptr; k; k = k->NextSiblingElement("key"))
        ++count;
    if (count > 0) {
        env->storage_.emplace_back(new EnvelopeKey[count]);
        env->keysAsArray_ = true;
        EnvelopeKey* block = env->storage_.back().get();
        size_t i = 0;
        for (auto* k = element->FirstChildElement("key"); k; k = k->NextSiblingElement("key"), ++i) {
            EnvelopeKey& key = block[i];
            key.shape = xml::intAttr(k, "type", ShapeTCB);
            key.value = xml::floatAttr(k, "value", 0);
            key.time = xml::floatAttr(k, "time", 0);
            key.tension = xml::floatAttr(k, "t", 0);
            key.continuity = xml::floatAttr(k, "c", 0);
            key.bias = xml::floatAttr(k, "b", 0);
            static const char* const params[4] = {"param0", "param1", "param2", "param3"};
            for (int p = 0; p < 4; ++p)
                key.param[p] = xml::floatAttr(k, params[p], 0);
            env->link(&key);
        }
    }
    out = env;
}

bool Envelope::read(InputStream& in) {
    uint32_t m = 0;
    int32_t pre = 0, post = 0, t = 0, n = 0;
    if (!in.readUInt32(m) || m != magic)
        return false;
    if (!in.readInt32(pre) || !in.readInt32(post) || !in.readInt32(t) || !in.readInt32(n))
        return false;
    preBehaviour = pre;
    postBehaviour = post;
    tag = t;
    // The count comes from the file: refuse one the remaining bytes cannot hold before any key
    // is allocated.
    if (n <= 0 || !in.canHold(static_cast<uint64_t>(n), binaryKeySize))
        return false;
    for (int32_t i = 0; i < n; ++i) {
        EnvelopeKey key;
        bool ok = in.readFloat(key.value) && in.readFloat(key.time) && in.readInt32(key.shape) &&
                  in.readFloat(key.tension) && in.readFloat(key.continuity) && in.readFloat(key.bias);
        for (int p = 0; ok && p < 4; ++p)
            ok = in.readFloat(key.param[p]);
        if (!ok)
            return false;
        insertKey(key);
    }
    return true;
}

bool Envelope::write(OutputStream& out) const {
    out.writeUInt32(magic);
    out.writeInt32(preBehaviour);
    out.writeInt32(postBehaviour);
    out.writeInt32(tag);
    out.writeInt32(keyCount_);
    for (const EnvelopeKey* k = first_; k; k = k->next) {
        out.writeFloat(k->value);
        out.writeFloat(k->time);
        out.writeInt32(k->shape);
        out.writeFloat(k->tension);
        out.writeFloat(k->continuity);
        out.writeFloat(k->bias);
        for (float p : k->param)
            out.writeFloat(p);
    }
    return !out.failed();
}
