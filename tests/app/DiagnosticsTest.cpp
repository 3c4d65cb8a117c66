#include "core/Diagnostics.h"

#include <gtest/gtest.h>
#include <string>

TEST(DiagnosticsTest, ReportIsOnePlainLineWhateverTheFileHeld) {
    testing::internal::CaptureStderr();
    diagnostic("data/demo.xml", "texture \"a\nb\"", "unknown format \"%s\"", "\x1b[2Jrgba\r");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "data/demo.xml: texture \"a?b\": unknown format \"?[2Jrgba?\"\n");

    testing::internal::CaptureStderr();
    diagnostic(nullptr, "", "gone");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "<unknown>: -: gone\n");

    // A name longer than the line is cut, and the line still ends.
    const std::string longName(5000, 'x');
    testing::internal::CaptureStderr();
    diagnostic(longName.c_str(), "place", "reason");
    const std::string out = testing::internal::GetCapturedStderr();
    EXPECT_LT(out.size(), 2000u);
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find('\n'), out.size() - 1);
}
