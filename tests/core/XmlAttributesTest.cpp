#include "core/XmlAttributes.h"

#include <clocale>
#include <cmath>
#include <gtest/gtest.h>
#include <tinyxml2.h>

namespace {

class XmlAttributesTest : public ::testing::Test {
protected:
    const tinyxml2::XMLElement* parse(const char* text) {
        doc.Parse(text);
        return doc.RootElement();
    }
    tinyxml2::XMLDocument doc;
};

TEST_F(XmlAttributesTest, IntegersScanLikePercentD) {
    auto* e = parse(R"(<e a="12" b=" -7" c="1=" d="x3" e="3.9" f="" g="99999999999" h="+4"/>)");
    EXPECT_EQ(xml::intAttr(e, "a", 0), 12);
    EXPECT_EQ(xml::intAttr(e, "b", 0), -7);
    EXPECT_EQ(xml::intAttr(e, "c", 0), 1);
    EXPECT_EQ(xml::intAttr(e, "d", 5), 5) << "unreadable counts as absent";
    EXPECT_EQ(xml::intAttr(e, "e", 0), 3);
    EXPECT_EQ(xml::intAttr(e, "f", 5), 5);
    EXPECT_EQ(xml::intAttr(e, "g", 5), 5) << "out of range counts as absent";
    EXPECT_EQ(xml::intAttr(e, "h", 0), 4);
    EXPECT_EQ(xml::intAttr(e, "missing", -1), -1);
    int out = 42;
    EXPECT_FALSE(xml::queryInt(e, "d", out));
    EXPECT_EQ(out, 42) << "a failed query leaves the value alone";
    EXPECT_EQ(xml::intAttr(nullptr, "a", 9), 9);
}

TEST_F(XmlAttributesTest, RealsScanLikePercentLfInAnyLocale) {
    auto* e = parse(R"(<e a="1.5" b="2e3" c=".25x" d="abc" f="1e400"/>)");
    EXPECT_EQ(xml::doubleAttr(e, "a", 0), 1.5);
    EXPECT_EQ(xml::doubleAttr(e, "b", 0), 2000);
    EXPECT_EQ(xml::floatAttr(e, "c", 0), 0.25f);
    EXPECT_EQ(xml::floatAttr(e, "d", -1), -1);
    EXPECT_TRUE(std::isinf(xml::floatAttr(e, "f", 0)));

    // A toolkit may switch the numeric locale to one with a decimal comma.
    const char* old = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = old ? old : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        EXPECT_EQ(xml::doubleAttr(e, "a", 0), 1.5);
        std::setlocale(LC_NUMERIC, saved.c_str());
    }
}

TEST_F(XmlAttributesTest, BooleansUseTheWholeVocabulary) {
    auto* e = parse(R"(<e a="TRUE" b="Yes" c="1" d="false" e="NO" f="0" g="maybe" h="2"/>)");
    EXPECT_TRUE(xml::boolAttr(e, "a", false));
    EXPECT_TRUE(xml::boolAttr(e, "b", false));
    EXPECT_TRUE(xml::boolAttr(e, "c", false));
    EXPECT_FALSE(xml::boolAttr(e, "d", true));
    EXPECT_FALSE(xml::boolAttr(e, "e", true));
    EXPECT_FALSE(xml::boolAttr(e, "f", true));
    EXPECT_TRUE(xml::boolAttr(e, "g", true));
    EXPECT_FALSE(xml::boolAttr(e, "g", false));
    EXPECT_TRUE(xml::boolAttr(e, "h", true));
    EXPECT_EQ(xml::stringAttr(e, "g"), "maybe");
    EXPECT_EQ(xml::stringAttr(e, "none", "dflt"), "dflt");
}

} // namespace
