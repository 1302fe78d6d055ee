// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <vector>

#include "vb/ErrorHandling.h"

namespace {
struct SinkCapture {
    std::vector<vb::ErrorReport> reports;
    SinkCapture() {
        vb::SetErrorSink([this](const vb::ErrorReport& r) { reports.push_back(r); });
    }
    ~SinkCapture() { vb::SetErrorSink({}); }
};
}  // namespace

TEST(ErrorHandling, ResumeNextLogsAndGoesOn) {
    SinkCapture cap;
    vb::Handler h("Proc of Modul Test");
    int reached = 0;
    h.Next(10, [] { vb::Raise(53); });
    h.Next(20, [&] { reached = 1; });
    ASSERT_EQ(cap.reports.size(), 1u);
    EXPECT_EQ(cap.reports[0].label, "Proc of Modul Test");
    EXPECT_EQ(cap.reports[0].erl, 10);
    EXPECT_EQ(cap.reports[0].err.Number, 53);
    EXPECT_EQ(cap.reports[0].err.Description, "File not found");
    EXPECT_EQ(reached, 1);
    EXPECT_EQ(h.Err.Number, 53);
}

TEST(ErrorHandling, GuardReturnsDefaultOnError) {
    SinkCapture cap;
    vb::Handler h("F of Modul Test");
    EXPECT_EQ(h.Guard(-1, [] { return 7; }), 7);
    EXPECT_EQ(h.Guard(-1, []() -> int { throw vb::VbError(6); }), -1);
    ASSERT_EQ(cap.reports.size(), 1u);
    EXPECT_EQ(cap.reports[0].err.Description, "Overflow");
}

TEST(ErrorHandling, NonVbExceptionsMapToNumbers) {
    EXPECT_EQ(vb::ErrFrom(std::make_exception_ptr(std::bad_alloc())).Number, 7);
    EXPECT_EQ(vb::ErrFrom(std::make_exception_ptr(std::runtime_error("x"))).Number, 5);
    EXPECT_TRUE(vb::Quiet([] {}));
    EXPECT_FALSE(vb::Quiet([] { vb::Raise(5); }));
}
