#include "core/Diagnostics.h"

#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

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

// Work done ahead reports in the order one thread would have: held lines count at once, come out
// only when taken and said, stay with the thread that held them, and vanish when dropped.
TEST(DiagnosticsTest, HeldLinesCountAtOnceAndComeOutOnlyWhenSaid) {
    testing::internal::CaptureStderr();
    const unsigned before = diagnosticCount();
    std::vector<std::string> outer, worker;
    {
        DiagnosticHold hold;
        diagnostic("a.png", "png", "first");
        {
            DiagnosticHold inner;
            diagnostic("b.png", "png", "dropped");
        }
        std::thread([&] {
            diagnostic("c.ogg", "open", "not held on another thread");
            DiagnosticHold workerHold;
            diagnostic("d.ogg", "open", "held by the worker");
            worker = workerHold.take();
        }).join();
        diagnostic("e.png", "png", "second");
        outer = hold.take();
        diagnostic("f.png", "png", "after the hold");
    }
    EXPECT_EQ(diagnosticCount() - before, 6u);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "c.ogg: open: not held on another thread\nf.png: png: after the hold\n");
    ASSERT_EQ(outer.size(), 2u);
    ASSERT_EQ(worker.size(), 1u);
    testing::internal::CaptureStderr();
    sayHeld(worker);
    sayHeld(outer);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "d.ogg: open: held by the worker\na.png: png: first\ne.png: png: second\n");
    EXPECT_EQ(diagnosticCount() - before, 6u) << "said lines were counted when held";
}
