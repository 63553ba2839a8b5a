// The thread rule's check (comrt/apartment.h), built with thread checks whatever the build
// type: calls on the creating thread pass silently, the first call from another thread is
// reported once, naming the class.
#define COMRT_THREAD_CHECKS 1

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

#include <comrt/apartment.h>

namespace {

using ::testing::HasSubstr;

// What the calls of `calls` write to standard error.
template <typename F>
std::string Reported(F&& calls) {
    ::testing::internal::CaptureStderr();
    calls();
    return ::testing::internal::GetCapturedStderr();
}

TEST(OwnerThread, CallsOnTheCreatingThreadAreNotReported) {
    const comrt::owner_thread owner;
    EXPECT_EQ("", Reported([&] {
                  owner.check(OLESTR("clsTessel"));
                  owner.check(OLESTR("clsTessel"));
              }));
}

TEST(OwnerThread, TheFirstCallFromAnotherThreadIsReportedOnce) {
    const comrt::owner_thread owner;
    const std::string report = Reported([&] {
        std::thread([&] {
            owner.check(OLESTR("clsTessel"));
            owner.check(OLESTR("clsTessel"));
        }).join();
        std::thread([&] { owner.check(OLESTR("clsTessel")); }).join();
    });
    EXPECT_THAT(report, HasSubstr("a clsTessel object created on thread"));
    EXPECT_EQ(1, std::count(report.begin(), report.end(), '\n')) << report;
    EXPECT_EQ("", Reported([&] { owner.check(OLESTR("clsTessel")); })) << "the owner's own calls still pass";
}

// A copy belongs to the thread that makes it, as a new object does.
TEST(OwnerThread, ACopyBelongsToTheThreadThatMadeIt) {
    const comrt::owner_thread original;
    const std::string report = Reported([&] {
        std::thread([&] {
            const comrt::owner_thread copy(original);
            copy.check(OLESTR("clsPropertyItem"));
        }).join();
    });
    EXPECT_EQ("", report);
}

TEST(OwnerThread, ANameOutsideAsciiIsShownWithQuestionMarks) {
    const comrt::owner_thread owner;
    const std::string report =
        Reported([&] { std::thread([&] { owner.check(OLESTR("Gr\u00FCn")); }).join(); });
    EXPECT_THAT(report, HasSubstr("a Gr?n object"));
}

}  // namespace
