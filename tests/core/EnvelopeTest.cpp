#include "scene/Envelope.h"
#include "core/MemoryInputStream.h"
#include "core/MemoryOutputStream.h"
#include "scene/EnvelopeShapeFunctor.h"

#include <gtest/gtest.h>
#include <initializer_list>
#include <tinyxml2.h>

namespace {

EnvelopeKey key(float time, float value, int shape = ShapeLinear) {
    EnvelopeKey k;
    k.time = time;
    k.value = value;
    k.shape = shape;
    return k;
}

Ref<Envelope> envelope(std::initializer_list<EnvelopeKey> keys, int pre = BehaviourConstant,
                       int post = BehaviourConstant) {
    Ref<Envelope> e = makeRef<Envelope>();
    for (const EnvelopeKey& k : keys)
        e->insertKey(k);
    e->preBehaviour = pre;
    e->postBehaviour = post;
    return e;
}

TEST(EnvelopeTest, NoKeysAndOneKey) {
    Envelope empty;
    EXPECT_EQ(empty.evaluate(-5), 0);
    EXPECT_EQ(empty.evaluate(3), 0);
    for (int pre = 0; pre <= 5; ++pre) {
        Ref<Envelope> one = envelope({key(2, 7, ShapeTCB)}, pre, BehaviourReset);
        EXPECT_EQ(one->evaluate(-100), 7);
        EXPECT_EQ(one->evaluate(2), 7);
        EXPECT_EQ(one->evaluate(100), 7);
    }
}

TEST(EnvelopeTest, InsertionKeepsTimeOrderAndTiesInInsertionOrder) {
    Ref<Envelope> e = envelope({key(2, 20), key(0, 0), key(1, 10), key(1, 11)});
    ASSERT_EQ(e->keyCount(), 4);
    std::vector<float> values;
    for (const EnvelopeKey* k = e->firstKey(); k; k = k->next)
        values.push_back(k->value);
    EXPECT_EQ(values, (std::vector<float>{0, 10, 11, 20}));
    EXPECT_EQ(e->lastKey()->value, 20);
    EXPECT_EQ(e->lastKey()->prev->value, 11);
}

TEST(EnvelopeTest, LinearAndSteppedSpans) {
    Ref<Envelope> lin = envelope({key(0, 0), key(10, 20)});
    EXPECT_FLOAT_EQ(lin->evaluate(2.5f), 5);
    Ref<Envelope> step = envelope({key(0, 1), key(1, 2, ShapeStepped), key(2, 3, ShapeStepped)});
    EXPECT_EQ(step->evaluate(0.5f), 1);
    EXPECT_EQ(step->evaluate(1), 2) << "a time on a key answers that key, even for stepped spans";
    EXPECT_EQ(step->evaluate(1.999f), 2);
    Ref<Envelope> unknown = envelope({key(0, 1), key(1, 2, 9)});
    EXPECT_EQ(unknown->evaluate(0.5f), 0) << "unknown shapes yield only the offset";
}

TEST(EnvelopeTest, TcbSpansByHand) {
    // Keys (0,0) (1,1) (2,0), zero tension/continuity; bias 0.5 on the middle key.
    EnvelopeKey mid = key(1, 1, ShapeTCB);
    mid.bias = 0.5f;
    Ref<Envelope> e = envelope({key(0, 0, ShapeTCB), mid, key(2, 0, ShapeTCB)});
    // First span: out = 1 (no prev), in = 0.5*(0.5*(0-1) + 1.5*1) = 0.5.
    EXPECT_FLOAT_EQ(Envelope::incomingTangent(*e->firstKey(), *e->firstKey()->next), 0.5f);
    EXPECT_FLOAT_EQ(e->evaluate(0.5f), 0.5f + 0.125f - 0.0625f);
    // Second span: out = 0.5*(1.5*1 + 0.5*(-1)) = 0.5, in = -1 (no next).
    EXPECT_FLOAT_EQ(e->evaluate(1.5f), 0.5f + 0.0625f + 0.125f);

    // Tension and continuity scale the tangents: tension 1 flattens them to zero.
    EnvelopeKey tight = key(0, 0, ShapeTCB);
    tight.tension = 1;
    EnvelopeKey tight1 = key(1, 1, ShapeTCB);
    tight1.tension = 1;
    Ref<Envelope> flat = envelope({tight, tight1});
    EXPECT_FLOAT_EQ(flat->evaluate(0.25f), 2 * 0.25f * 0.25f * 0.25f * -1 + 3 * 0.0625f);
}

TEST(EnvelopeTest, HermiteFamilyUsesExplicitTangents) {
    for (int shape : {ShapeHermite, ShapeBezier, ShapeHermiteAlt}) {
        EnvelopeKey k0 = key(0, 0, shape);
        k0.param[1] = 2;
        EnvelopeKey k1 = key(1, 1, shape);
        k1.param[0] = 0.5f;
        Ref<Envelope> e = envelope({k0, k1});
        EXPECT_FLOAT_EQ(e->evaluate(0.5f), 0.5f + 0.125f * 2 - 0.125f * 0.5f) << "shape " << shape;
        // With a neighbour the tangent is scaled by the span's share of the two spans.
        Ref<Envelope> withPrev = envelope({key(-1, 0, shape), k0, k1});
        EXPECT_FLOAT_EQ(Envelope::outgoingTangent(*withPrev->firstKey()->next, *withPrev->lastKey()), 1.0f);
    }
}

TEST(EnvelopeTest, Bezier2DSpanAndHandleFactor) {
    EnvelopeKey k0 = key(0, 0, ShapeBezier2D);
    k0.param[2] = 1.0f / 3;
    k0.param[3] = 0;
    EnvelopeKey k1 = key(1, 1, ShapeBezier2D);
    k1.param[0] = -1.0f / 3;
    k1.param[1] = 0;
    Ref<Envelope> e = envelope({k0, k1});
    // Time handles make x(t) = t; values (0, 0, 1, 1) give 3t^2 - 2t^3.
    EXPECT_NEAR(e->evaluate(0.5f), 0.5f, 1e-3f);
    EXPECT_NEAR(e->evaluate(0.25f), 0.15625f, 1e-3f);
    EXPECT_NEAR(e->evaluate(0.8f), 3 * 0.64f - 2 * 0.512f, 1e-3f);

    EnvelopeKey a = key(0, 0, ShapeBezier2D);
    a.param[3] = 0.5f;
    a.param[2] = 0;
    EnvelopeKey b = key(2, 1, ShapeBezier2D);
    EXPECT_FLOAT_EQ(Envelope::outgoingTangent(a, b), 100000.0f) << "zero handle time multiplies";
    a.param[2] = 0.25f;
    EXPECT_FLOAT_EQ(Envelope::outgoingTangent(a, b), 4.0f);
    b.param[1] = 0.5f;
    b.param[0] = 0;
    EXPECT_FLOAT_EQ(Envelope::incomingTangent(a, b), 100000.0f);

    // A Bezier2D span after a non-Bezier2D key uses thirds of the span and of param1.
    EnvelopeKey lin = key(0, 0, ShapeLinear);
    lin.param[1] = 0;
    EnvelopeKey end = key(3, 3, ShapeBezier2D);
    end.param[0] = -1;
    end.param[1] = -1;
    Ref<Envelope> mixed = envelope({lin, end});
    EXPECT_NEAR(mixed->evaluate(1.5f), 1.5f * 0.5f + 0.5f * 1.5f * 0.5f, 0.5f); // sanity: between keys
    EXPECT_GT(mixed->evaluate(1.5f), 0);
    EXPECT_LT(mixed->evaluate(1.5f), 3);
}

TEST(EnvelopeTest, BezierSearchStopsOnUnreachableTimes) {
    // The bracket never closes on a time outside the curve: the search must end at its limit.
    float t = Envelope::bezierTime(0, 0, 0, 0, 5);
    EXPECT_GE(t, 0);
    EXPECT_LE(t, 1);
}

TEST(EnvelopeTest, BehavioursOutsideTheKeys) {
    auto ramp = [](int pre, int post) { return envelope({key(0, 0), key(10, 10)}, pre, post); };
    EXPECT_EQ(ramp(BehaviourReset, BehaviourReset)->evaluate(-1), 0);
    EXPECT_EQ(ramp(BehaviourReset, BehaviourReset)->evaluate(11), 0);
    EXPECT_EQ(ramp(BehaviourConstant, BehaviourConstant)->evaluate(-1), 0);
    EXPECT_EQ(ramp(BehaviourConstant, BehaviourConstant)->evaluate(11), 10);
    EXPECT_FLOAT_EQ(ramp(BehaviourRepeat, BehaviourRepeat)->evaluate(13), 3);
    EXPECT_FLOAT_EQ(ramp(BehaviourRepeat, BehaviourRepeat)->evaluate(-3), 7);
    // Oscillate mirrors odd cycles.
    EXPECT_FLOAT_EQ(ramp(BehaviourOscillate, BehaviourOscillate)->evaluate(-3), 3);
    EXPECT_FLOAT_EQ(ramp(BehaviourOscillate, BehaviourOscillate)->evaluate(13), 7);
    EXPECT_FLOAT_EQ(ramp(BehaviourOscillate, BehaviourOscillate)->evaluate(23), 3);
    // OffsetRepeat shifts by whole cycles of (last - first).
    EXPECT_FLOAT_EQ(ramp(BehaviourOffsetRepeat, BehaviourOffsetRepeat)->evaluate(25), 25);
    EXPECT_FLOAT_EQ(ramp(BehaviourOffsetRepeat, BehaviourOffsetRepeat)->evaluate(-3), -3);
    Ref<Envelope> steps =
        envelope({key(0, 1), key(4, 3, ShapeStepped)}, BehaviourConstant, BehaviourOffsetRepeat);
    EXPECT_FLOAT_EQ(steps->evaluate(8 + 1), 1 + 2 * (3 - 1)) << "two cycles after the end";
    // Linear extrapolates along the end tangents.
    EXPECT_FLOAT_EQ(ramp(BehaviourLinear, BehaviourLinear)->evaluate(12), 12);
    EXPECT_FLOAT_EQ(ramp(BehaviourLinear, BehaviourLinear)->evaluate(-2), -2);
    // Unknown codes keep the time; past the last key the last value holds.
    EXPECT_FLOAT_EQ(ramp(42, 42)->evaluate(15), 10);
}

TEST(EnvelopeTest, OscillateWithALaterFirstKeyUsesTheMirrorFormula) {
    // First key at 2: the pre mirror is L - F - T, which can land before the first key again.
    Ref<Envelope> e = envelope({key(2, 0), key(10, 8)}, BehaviourOscillate, BehaviourOscillate);
    // T = 0 wraps to 8 (one cycle back, odd) and mirrors to 10 - 2 - 8 = 0: extrapolated span.
    EXPECT_FLOAT_EQ(e->evaluate(0), -2);
    // Post mirror is L + F - T: T = 12 wraps to 4 (odd) -> 8 -> value 6.
    EXPECT_FLOAT_EQ(e->evaluate(12), 6);
}

TEST(EnvelopeTest, RepeatWithAllKeysAtOneTime) {
    Ref<Envelope> e = envelope({key(5, 1), key(5, 3)}, BehaviourRepeat, BehaviourRepeat);
    EXPECT_EQ(e->evaluate(2), 1);
    EXPECT_EQ(e->evaluate(7), 1);
    Ref<Envelope> osc = envelope({key(5, 1), key(5, 3)}, BehaviourOscillate, BehaviourOffsetRepeat);
    EXPECT_EQ(osc->evaluate(2), 1);
    EXPECT_EQ(osc->evaluate(9), 1);
}

TEST(EnvelopeTest, AbsurdTimesDoNotMisbehave) {
    Ref<Envelope> e = envelope({key(0, 0), key(1, 1)}, BehaviourOffsetRepeat, BehaviourOffsetRepeat);
    EXPECT_TRUE(std::isfinite(e->evaluate(1e30f)));
    EXPECT_TRUE(std::isfinite(e->evaluate(-1e30f)));
    Ref<Envelope> osc = envelope({key(0, 0), key(1, 1)}, BehaviourOscillate, BehaviourOscillate);
    EXPECT_TRUE(std::isfinite(osc->evaluate(3e38f)));
}

class EnvelopeElementTest : public ::testing::Test {
protected:
    Ref<Envelope> read(const char* text) {
        doc.Parse(text);
        Ref<Envelope> e;
        Envelope::readElement(doc.RootElement(), e);
        return e;
    }
    tinyxml2::XMLDocument doc;
};

TEST_F(EnvelopeElementTest, KeysOutOfOrderAndMissingBehaviours) {
    Ref<Envelope> e = read(R"(<envelope>
        <key time="2" value="4" type="3"/>
        <note time="1" value="100"/>
        <key time="0" value="0" type="3"/>
    </envelope>)");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->keyCount(), 2);
    EXPECT_TRUE(e->keysAsArray());
    EXPECT_EQ(e->preBehaviour, BehaviourReset);
    EXPECT_EQ(e->postBehaviour, BehaviourReset);
    EXPECT_FLOAT_EQ(e->evaluate(1), 2);
    EXPECT_EQ(e->evaluate(-1), 0);
    EXPECT_EQ(e->evaluate(3), 0);
}

TEST_F(EnvelopeElementTest, AttributesAndDefaults) {
    Ref<Envelope> e = read(R"(<envelope pre="1=" post="4">
        <key time="0" value="oops" t="0.25" c="-0.5" b="1" param0="1" param1="2" param2="3" param3="4"/>
        <key time="1" value="2"/>
    </envelope>)");
    EXPECT_EQ(e->preBehaviour, 1);
    EXPECT_EQ(e->postBehaviour, 4);
    const EnvelopeKey* k = e->firstKey();
    EXPECT_EQ(k->value, 0);
    EXPECT_EQ(k->shape, ShapeTCB);
    EXPECT_EQ(k->tension, 0.25f);
    EXPECT_EQ(k->continuity, -0.5f);
    EXPECT_EQ(k->bias, 1);
    EXPECT_EQ(k->param[0], 1);
    EXPECT_EQ(k->param[3], 4);
    EXPECT_EQ(e->evaluate(-1), 0) << "pre 1= reads as Constant";
    EXPECT_FLOAT_EQ(e->evaluate(3), 2 + 2 * 2) << "post OffsetRepeat";
}

TEST_F(EnvelopeElementTest, EmptyElementIsZeroEverywhere) {
    Ref<Envelope> e = read("<envelope pre=\"1\" post=\"1\"/>");
    EXPECT_EQ(e->keyCount(), 0);
    EXPECT_EQ(e->evaluate(0), 0);
    EXPECT_EQ(e->evaluate(100), 0);
}

std::vector<unsigned char> record(uint32_t magic, int32_t n, int keysPresent) {
    MemoryOutputStream out;
    out.writeUInt32(magic);
    out.writeInt32(BehaviourRepeat);
    out.writeInt32(BehaviourLinear);
    out.writeInt32(77);
    out.writeInt32(n);
    for (int i = 0; i < keysPresent; ++i) {
        out.writeFloat(float(i));     // value
        out.writeFloat(float(2 * i)); // time
        out.writeInt32(ShapeLinear);  // shape
        for (int j = 0; j < 7; ++j)   // tension, continuity, bias, params
            out.writeFloat(0);
    }
    return out.bytes();
}

TEST(EnvelopeBinaryTest, RoundTripKeepsEveryField) {
    EnvelopeKey k0 = key(0, 1.5f, ShapeBezier2D);
    k0.tension = 0.1f;
    k0.continuity = 0.2f;
    k0.bias = 0.3f;
    for (int i = 0; i < 4; ++i)
        k0.param[i] = 0.5f + i;
    Ref<Envelope> e = envelope({key(3, -2, ShapeTCB), k0}, BehaviourOscillate, BehaviourLinear);
    e->tag = 12345;
    MemoryOutputStream out;
    ASSERT_TRUE(e->write(out));
    ASSERT_EQ(out.bytes().size(), 20u + 40 * 2);
    EXPECT_EQ(std::string(out.bytes().begin(), out.bytes().begin() + 4), "ENVL");

    MemoryInputStream in(out.bytes().data(), out.bytes().size());
    Envelope back;
    ASSERT_TRUE(back.read(in));
    EXPECT_EQ(back.tag, 12345);
    EXPECT_EQ(back.preBehaviour, BehaviourOscillate);
    EXPECT_EQ(back.postBehaviour, BehaviourLinear);
    ASSERT_EQ(back.keyCount(), 2);
    const EnvelopeKey* b = back.firstKey();
    EXPECT_EQ(b->shape, ShapeBezier2D);
    EXPECT_EQ(b->tension, 0.1f);
    EXPECT_EQ(b->continuity, 0.2f);
    EXPECT_EQ(b->bias, 0.3f);
    EXPECT_EQ(b->param[3], 3.5f);
    EXPECT_EQ(back.lastKey()->value, -2);
    for (float t : {-1.0f, 0.5f, 1.5f, 4.0f})
        EXPECT_EQ(back.evaluate(t), e->evaluate(t));
}

TEST(EnvelopeBinaryTest, MalformedRecordsFail) {
    auto readBytes = [](const std::vector<unsigned char>& bytes, Envelope& e) {
        MemoryInputStream in(bytes.data(), bytes.size());
        return e.read(in);
    };
    Envelope good;
    EXPECT_TRUE(readBytes(record(Envelope::magic, 3, 3), good));
    EXPECT_EQ(good.keyCount(), 3);
    EXPECT_EQ(good.tag, 77);

    Envelope wrongMagic;
    EXPECT_FALSE(readBytes(record(0x4C564E46, 3, 3), wrongMagic));
    EXPECT_EQ(wrongMagic.keyCount(), 0);
    Envelope zero, negative;
    EXPECT_FALSE(readBytes(record(Envelope::magic, 0, 0), zero));
    EXPECT_FALSE(readBytes(record(Envelope::magic, -1, 0), negative));

    // A count the remaining bytes cannot hold fails before any key is made.
    Envelope absurd;
    EXPECT_FALSE(readBytes(record(Envelope::magic, 0x7fffffff, 1), absurd));
    EXPECT_EQ(absurd.keyCount(), 0);

    // Truncated inside the second key: the read fails.
    std::vector<unsigned char> cut = record(Envelope::magic, 2, 2);
    cut.resize(cut.size() - 10);
    Envelope truncated;
    EXPECT_FALSE(readBytes(cut, truncated));
    std::vector<unsigned char> header = record(Envelope::magic, 2, 0);
    header.resize(10);
    Envelope shortHeader;
    EXPECT_FALSE(readBytes(header, shortHeader));
}

TEST(EnvelopeBinaryTest, KeysAppendToWhatIsThere) {
    Ref<Envelope> e = envelope({key(1, 100)});
    std::vector<unsigned char> bytes = record(Envelope::magic, 2, 2); // keys at times 0 and 2
    MemoryInputStream in(bytes.data(), bytes.size());
    ASSERT_TRUE(e->read(in));
    EXPECT_EQ(e->keyCount(), 3);
    EXPECT_EQ(e->firstKey()->next->value, 100);
}

TEST(EnvelopeShapeFunctorTest, CombinesSevenEnvelopes) {
    auto constant = [](float v) { return envelope({key(0, v)}); };
    EnvelopeShapeFunctor f(constant(1), constant(2), constant(3), constant(10), constant(20), constant(30),
                           constant(4), 0.5f);
    Vec3 pos, rot;
    float radius = 0;
    f.evaluateOriented(0, pos, rot, radius);
    EXPECT_EQ(pos, Vec3(1, 2, 3));
    EXPECT_EQ(rot, Vec3(-10, -20, -30));
    EXPECT_EQ(radius, 2);
    EnvelopeShapeFunctor partial(constant(1), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 1);
    partial.evaluate(0, pos, radius);
    EXPECT_EQ(pos, Vec3(1, 0, 0));
    EXPECT_EQ(radius, 0);
}

} // namespace
