// Entry point of the end-to-end test programs: GoogleTest with a watchdog
// that ends a test which takes too long (and every program it started)
// before the test runner's hard timeout would leave windows behind.
#include "harness.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>

namespace {

constexpr DWORD kTestSeconds = 90;

class Watchdog : public ::testing::EmptyTestEventListener {
public:
    Watchdog()
    {
        armed_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        done_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        CreateThread(nullptr, 0, Run, this, 0, nullptr);
    }

    void OnTestStart(const ::testing::TestInfo& test) override
    {
        snprintf(name_, sizeof name_, "%s.%s", test.test_suite_name(), test.name());
        ResetEvent(done_);
        SetEvent(armed_);
    }

    void OnTestEnd(const ::testing::TestInfo&) override
    {
        ResetEvent(armed_);
        SetEvent(done_);
    }

private:
    static DWORD WINAPI Run(void* self)
    {
        auto* dog = static_cast<Watchdog*>(self);
        for (;;) {
            WaitForSingleObject(dog->armed_, INFINITE);
            if (WaitForSingleObject(dog->done_, kTestSeconds * 1000) == WAIT_TIMEOUT) {
                fprintf(stderr, "watchdog: %s ran longer than %lu s; ending it and its programs\n", dog->name_,
                        static_cast<unsigned long>(kTestSeconds));
                fflush(stderr);
                e2e::EndAllPrograms();
                ExitProcess(100);
            }
        }
    }

    HANDLE armed_;
    HANDLE done_;
    char name_[512] = {};
};

}  // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog);
    return RUN_ALL_TESTS();
}
