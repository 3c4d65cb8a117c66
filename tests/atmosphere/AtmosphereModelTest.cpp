#include "atmosphere/AtmosphereModel.h"
#include "core/Diagnostics.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cmath>
#include <limits>

namespace {

constexpr float kDeg = 0.017453292f;

void expectNear(const Vec3& actual, const Vec3& expected, float relative) {
    EXPECT_NEAR(actual.x, expected.x, std::fabs(expected.x) * relative);
    EXPECT_NEAR(actual.y, expected.y, std::fabs(expected.y) * relative);
    EXPECT_NEAR(actual.z, expected.z, std::fabs(expected.z) * relative);
}

bool blockFinite(const AtmosphereModel& model) {
    float block[AtmosphereModel::kBlockFloats];
    model.blockValues(block);
    for (float v : block)
        if (!std::isfinite(v))
            return false;
    return true;
}

float elevation(const AtmosphereModel& m) {
    return std::asin(m.sunDirection.y);
}

// Local time of solar noon: the hour angle (solar time times pi / 12) reaches pi at 12 solar hours.
float solarNoon(const AtmosphereModel& m) {
    const double J = m.julianDay;
    return float(12.0 - 0.17 * std::sin(4 * M_PI * (J - 80) / 373) +
                 0.129 * std::sin(2 * M_PI * (J - 8) / 355) - 12 * (m.meridian - m.longitude) / M_PI);
}

TEST(AtmosphereModelTest, DefaultsAndScatteringCoefficients) {
    AtmosphereModel m;
    EXPECT_EQ(m.timeOfDay, 16.0f) << "constructed for four in the afternoon";
    EXPECT_EQ(m.turbidity, 2.0f);
    EXPECT_EQ(m.directionality, 0.6f);
    EXPECT_EQ(m.sunDistance, 1000.0f);
    EXPECT_EQ(m.rayleighFactor, 1000.0f);
    EXPECT_EQ(m.mieFactor, 0.7f);
    EXPECT_EQ(m.julianDay, 150.0f);
    EXPECT_EQ(m.colourScale, 1.0f);
    EXPECT_EQ(m.sunIntensity, 1.0f);
    for (int offset : m.blockOffsets)
        EXPECT_EQ(offset, -1);
    expectNear(m.betaRayleighTheta, {3.87846e-4f, 6.55863e-4f, 1.36000e-3f}, 1e-5f);
    expectNear(m.betaRayleigh, {2.06851e-3f, 3.49794e-3f, 7.25332e-3f}, 1e-5f);
    expectNear(m.betaMieTheta, {9.33651e-4f, 1.21412e-3f, 1.74833e-3f}, 1e-5f);
    expectNear(m.betaMie, {1.27910e-3f, 1.65606e-3f, 2.34277e-3f}, 1e-5f);
    EXPECT_NEAR(m.sunPosition.length(), 1000.0f, 1e-2f);
}

TEST(AtmosphereModelTest, ZenithSunColourAndTurbidityWaitsForARecompute) {
    AtmosphereModel m;
    m.setSunAngles(0, 0);
    expectNear(m.sunColour, {0.876645f, 0.833079f, 0.737973f}, 1e-5f);
    EXPECT_NEAR(m.sunDirection.y, 1.0f, 1e-6f);
    EXPECT_NEAR(m.sunPosition.y, 1000.0f, 1e-3f);

    const Vec3 colour = m.sunColour, mie = m.betaMie;
    m.setTurbidity(6);
    EXPECT_EQ(m.sunColour, colour);
    EXPECT_EQ(m.betaMie, mie);
    m.setScattering(1000, 0.7f);
    EXPECT_GT(m.betaMie.x, mie.x);
    m.setSunAngles(0, 0);
    EXPECT_LT(m.sunColour.z, colour.z) << "a hazier sky lets less blue through";
}

TEST(AtmosphereModelTest, AzimuthOffsetTurnsTheSunAboutTheVertical) {
    AtmosphereModel m;
    m.setSunAngles(1.0f, 0);
    const Vec3 d = m.sunDirection;
    m.azimuthOffset = 1.5707964f;
    m.setSunAngles(1.0f, 0);
    EXPECT_NEAR(m.sunDirection.x, -d.z, 1e-6f);
    EXPECT_NEAR(m.sunDirection.z, d.x, 1e-6f);
    EXPECT_NEAR(m.sunDirection.y, d.y, 1e-6f);
}

TEST(AtmosphereModelTest, SunBelowTheHorizonGivesNoLightAndNothingIsEverNotFinite) {
    AtmosphereModel m;
    for (float degrees : {90.5f, 92.0f, 93.885f, 95.0f, 120.0f, 180.0f}) {
        m.setSunAngles(degrees * kDeg, 0.3f);
        EXPECT_EQ(m.sunColour, Vec3()) << degrees;
        EXPECT_TRUE(blockFinite(m)) << degrees;
    }
    m.setSunAngles(89.9f * kDeg, 0);
    EXPECT_GT(m.sunColour.x, 0.0f);
    EXPECT_LT(m.sunColour.z, m.sunColour.x) << "a low sun is red";

    // Every hour of every fifth day at latitudes from pole to pole.
    for (float lat = -90; lat <= 90; lat += 15)
        for (int day = 0; day < 366; day += 5)
            for (float hour = 0; hour < 24; hour += 0.5f) {
                m.latitude = lat * kDeg;
                m.julianDay = float(day);
                m.setTimeOfDay(hour);
                ASSERT_TRUE(blockFinite(m)) << lat << " " << day << " " << hour;
                ASSERT_NEAR(m.sunDirection.length(), 1.0f, 1e-5f);
            }

    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    AtmosphereModel odd;
    const Vec3 before = odd.sunDirection;
    odd.setTimeOfDay(nan);
    odd.setSunAngles(inf, 0);
    EXPECT_EQ(odd.sunDirection, before) << "non-finite times and angles are ignored";
    odd.setTurbidity(-1e30f);
    odd.setScattering(inf, nan);
    odd.sunDistance = inf;
    odd.colourScale = 1e30f;
    odd.setTimeOfDay(12);
    Mat4 view;
    view.m[0] = nan;
    odd.updateFromCamera(view, Vec3(inf, 0, 0));
    EXPECT_TRUE(blockFinite(odd));
}

TEST(AtmosphereModelTest, AzimuthIsTheQuadrantCorrectArctangent) {
    AtmosphereModel m;
    m.latitude = 50 * kDeg;
    m.julianDay = 172;
    const double J = 172, lat = m.latitude;
    const double delta = 0.4093 * std::sin(6.2831855 * (J - 81) * 0.0027173914);
    int positive = 0, negative = 0;
    for (float hour = 0; hour < 24; hour += 0.25f) {
        m.setTimeOfDay(hour);
        const double ts = hour + 0.17 * std::sin(12.566371 * (J - 80) * 0.0026809652) -
                          0.129 * std::sin(6.2831855 * (J - 8) * 0.002816901);
        const double h = ts * M_PI / 12;
        const double num = -(std::cos(delta) * std::sin(h));
        const double den = std::cos(lat) * std::sin(delta) - std::sin(lat) * std::cos(delta) * std::cos(h);
        if (den > 0) {
            EXPECT_NEAR(m.phi, std::atan(num / den), 1e-5) << hour;
            ++positive;
        } else {
            EXPECT_NEAR(std::cos(m.phi), std::cos(std::atan2(num, den)), 1e-5) << hour;
            EXPECT_LT(std::cos(m.phi), 0.0f) << "the sun stays on its side of the sky at " << hour;
            ++negative;
        }
    }
    EXPECT_GT(positive, 0);
    EXPECT_GT(negative, 0);
}

TEST(AtmosphereModelTest, AJuneDayAtFiftyDegreesIsSmoothAndSymmetric) {
    AtmosphereModel m;
    m.latitude = 50 * kDeg;
    m.longitude = 8 * kDeg;
    m.meridian = 15 * kDeg;
    m.julianDay = 172;
    const float noon = solarNoon(m);

    // Minute by minute from 11.5 hours before to 11.5 hours after solar noon.
    m.setTimeOfDay(noon - 11.5f);
    Vec3 previous = m.sunDirection;
    float previousElevation = elevation(m);
    float largestStep = 0;
    for (int minute = 1; minute <= 23 * 60; ++minute) {
        const float t = noon - 11.5f + float(minute) / 60.0f;
        m.setTimeOfDay(t);
        const float step = std::acos(std::min(1.0f, previous.dot(m.sunDirection)));
        largestStep = std::max(largestStep, step);
        const float e = elevation(m);
        if (t < noon - 1.0f / 60) {
            ASSERT_GT(e, previousElevation) << "climbs until solar noon, at " << t;
        } else if (t > noon + 1.0f / 60) {
            ASSERT_LT(e, previousElevation) << "sinks after solar noon, at " << t;
        }
        previous = m.sunDirection;
        previousElevation = e;
    }
    // The earth turns a quarter of a degree a minute and the model's sun moves at most about twice
    // that (near midnight); a sun flipped to the other side of the sky would move tens of degrees.
    EXPECT_LT(largestStep, 1.0f * kDeg);

    m.setTimeOfDay(noon);
    EXPECT_NEAR(elevation(m) / kDeg, 90 - 50 + 23.4f, 0.3f);
    for (float hours : {0.5f, 2.0f, 4.5f, 7.0f, 10.0f}) {
        m.setTimeOfDay(noon - hours);
        const Vec3 morning = m.sunDirection;
        m.setTimeOfDay(noon + hours);
        const Vec3 evening = m.sunDirection;
        EXPECT_NEAR(morning.y, evening.y, 2e-4f) << hours;
        EXPECT_NEAR(morning.x, evening.x, 2e-4f) << hours;
        EXPECT_NEAR(morning.z, -evening.z, 2e-4f) << hours;
        EXPECT_GT(std::fabs(morning.z), 0.05f) << hours;
    }
}

TEST(AtmosphereModelTest, BlockLayoutAndViewSpace) {
    AtmosphereModel m;
    m.setSunAngles(0.5f, 0.25f);
    m.sunIntensity = 3;
    m.colourScale = 2;
    m.directionality = 0.8f;
    const Mat4 view = Mat4::translation({0, 0, -5}) * Mat4::rotationY(0.5f);
    m.updateFromCamera(view, {7, 8, 9});
    float b[AtmosphereModel::kBlockFloats];
    m.blockValues(b);
    EXPECT_FLOAT_EQ(b[0], 2 * m.sunColour.x);
    EXPECT_FLOAT_EQ(b[2], 2 * m.sunColour.z);
    EXPECT_FLOAT_EQ(b[3], 6);
    const Vec3 dirView = Mat4::transformVector(view, m.sunDirection);
    const Vec3 posView = Mat4::transformPoint(view, m.sunPosition);
    const Vec3* slots[7] = {&posView,   &dirView,       &m.eyePosition, &m.betaRayleigh, &m.betaRayleighTheta,
                            &m.betaMie, &m.betaMieTheta};
    for (int i = 0; i < 7; ++i) {
        EXPECT_FLOAT_EQ(b[4 + 4 * i], slots[i]->x) << i;
        EXPECT_FLOAT_EQ(b[5 + 4 * i], slots[i]->y) << i;
        EXPECT_FLOAT_EQ(b[6 + 4 * i], slots[i]->z) << i;
        if (i < 6) {
            EXPECT_EQ(b[7 + 4 * i], 0.0f) << i;
        }
    }
    EXPECT_EQ(b[12], 7.0f);
    EXPECT_FLOAT_EQ(b[31], 0.8f);
    EXPECT_NEAR(posView.z, m.sunPosition.z * std::cos(0.5f) - m.sunPosition.x * std::sin(0.5f) - 5, 1e-2f);
}

TEST(AtmosphereModelTest, ConfiguresFromAnElementInAFixedOrder) {
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(
        doc.Parse("<atmosphere>\n"
                  "  <timeofday value=\"9.5\"/>\n"
                  "  <latitude value=\"50\"/><longitude value=\"-8\"/><meridian value=\"15\"/>\n"
                  "  <juliandate value=\"172\"/><turbidity value=\"3\"/><directionality value=\"0.7\"/>\n"
                  "  <scattering rayleighfactor=\"500\" miefactor=\"0.9\"/>\n"
                  "  <sundistancetoplanet value=\"2000\"/>\n"
                  "</atmosphere>"),
        tinyxml2::XML_SUCCESS);
    AtmosphereModel m;
    ASSERT_TRUE(m.configureFromElement(doc.RootElement(), "sky.xml"));
    EXPECT_FLOAT_EQ(m.latitude, 50 * kDeg);
    EXPECT_FLOAT_EQ(m.longitude, -8 * kDeg);
    EXPECT_FLOAT_EQ(m.meridian, 15 * kDeg);
    EXPECT_EQ(m.julianDay, 172.0f);
    EXPECT_EQ(m.directionality, 0.7f);
    EXPECT_EQ(m.rayleighFactor, 500.0f);
    EXPECT_EQ(m.mieFactor, 0.9f);
    EXPECT_NEAR(m.sunPosition.length(), 2000.0f, 0.1f);

    // The time of day is applied last, whatever the document order: the sun uses every input.
    AtmosphereModel expected;
    expected.latitude = float(50 * 0.017453292);
    expected.longitude = float(-8 * 0.017453292);
    expected.meridian = float(15 * 0.017453292);
    expected.julianDay = 172;
    expected.setTurbidity(3);
    expected.setScattering(500, 0.9f);
    expected.sunDistance = 2000;
    expected.setTimeOfDay(9.5f);
    EXPECT_EQ(m.sunDirection, expected.sunDirection);
    EXPECT_EQ(m.sunColour, expected.sunColour);
    EXPECT_EQ(m.betaMie, expected.betaMie) << "scattering comes after turbidity";

    AtmosphereModel untouched;
    tinyxml2::XMLDocument empty;
    empty.Parse("<atmosphere/>");
    ASSERT_TRUE(untouched.configureFromElement(empty.RootElement(), "sky.xml"));
    EXPECT_EQ(untouched.timeOfDay, 16.0f);
}

// The sky's light follows the sun: blue-white by day (more blue than red), warmer and dimmer with
// the sun low, nothing once it has set; a horizontal surface sees less of the sun the lower it is.
TEST(AtmosphereModelTest, SkyLightFollowsTheTimeOfDay) {
    AtmosphereModel m;
    m.latitude = 50 * kDeg;
    m.julianDay = 172;
    m.setTurbidity(2.5f);
    m.setScattering(1000, 0.7f);
    m.setTimeOfDay(12.5f);
    const Vec3 noon = m.skyIrradiance(), noonSun = m.sunIrradiance();
    EXPECT_GT(noon.z, noon.x * 1.3f) << "a blue sky at noon";
    EXPECT_GT(noon.y, 0.05f);
    m.setTimeOfDay(20.0f);
    const Vec3 evening = m.skyIrradiance();
    EXPECT_LT(evening.y, noon.y * 0.7f) << "dimmer with the sun low";
    EXPECT_GT(evening.x / evening.z, noon.x / noon.z) << "warmer with the sun low";
    EXPECT_LT(m.sunIrradiance().y, noonSun.y * 0.5f);
    m.setTimeOfDay(0.5f);
    EXPECT_EQ(m.skyIrradiance(), Vec3(0, 0, 0)) << "night: the sun's light is gone";
    EXPECT_EQ(m.sunIrradiance(), Vec3(0, 0, 0));

    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<atmosphere><aerial haze=\"0.002\" mist=\"0.03\" mistbase=\"-2\" mistheight=\"5\">"
                        "<nightsky r=\"0.1\" g=\"0.2\" b=\"0.3\"/></aerial></atmosphere>"),
              tinyxml2::XML_SUCCESS);
    ASSERT_TRUE(m.configureFromElement(doc.RootElement(), "sky.xml"));
    EXPECT_EQ(m.aerialHaze, 0.002f);
    EXPECT_EQ(m.aerialMist, 0.03f);
    EXPECT_EQ(m.aerialMistBase, -2.0f);
    EXPECT_EQ(m.aerialMistHeight, 5.0f);
    EXPECT_EQ(m.aerialNight, Vec3(0.1f, 0.2f, 0.3f));
}

TEST(AtmosphereModelTest, AnUnreadableValueFailsWithOneLine) {
    const char* bad[] = {"<atmosphere><latitude value=\"north\"/></atmosphere>",
                         "<atmosphere><timeofday/></atmosphere>",
                         "<atmosphere><scattering rayleighfactor=\"1000\"/></atmosphere>",
                         "<atmosphere><scattering miefactor=\"x\" rayleighfactor=\"1\"/></atmosphere>",
                         "<atmosphere><aerial haze=\"-0.01\"/></atmosphere>",
                         "<atmosphere><aerial mist=\"nan\"/></atmosphere>",
                         "<atmosphere><aerial mist=\"0.1\" mistheight=\"0\"/></atmosphere>",
                         "<atmosphere><aerial haze=\"1e30\"/></atmosphere>",
                         "<atmosphere><aerial><nightsky r=\"0.1\" g=\"-1\" b=\"0\"/></aerial></atmosphere>"};
    for (const char* text : bad) {
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.Parse(text), tinyxml2::XML_SUCCESS);
        AtmosphereModel m;
        const unsigned before = diagnosticCount();
        testing::internal::CaptureStderr();
        EXPECT_FALSE(m.configureFromElement(doc.RootElement(), "sky.xml")) << text;
        const std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(diagnosticCount(), before + 1) << text;
        EXPECT_EQ(err.rfind("sky.xml: line 1: ", 0), 0u) << err;
    }
    AtmosphereModel m;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(m.configureFromElement(nullptr, "sky.xml"));
    testing::internal::GetCapturedStderr();
}

} // namespace
