// The entry point of the core's tests. Each test has 5 seconds: one that has
// not finished by then (a deadlock, a wait that never ends) fails at once,
// naming itself, instead of running into ctest's time limit.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned kSeconds = 5;
char g_message[512];

void OnAlarm(int) {
    if (write(STDERR_FILENO, g_message, std::strlen(g_message)) < 0) _exit(2);
    _exit(1);
}

class TimeLimit : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& test) override {
        std::snprintf(g_message, sizeof g_message,
                      "\n[  TIMEOUT ] %s.%s did not finish within %u s: it is blocked (a deadlock, or a wait that "
                      "never ends)\n", test.test_suite_name(), test.name(), kSeconds);
        alarm(kSeconds);
    }
    void OnTestEnd(const ::testing::TestInfo&) override { alarm(0); }
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    signal(SIGALRM, OnAlarm);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TimeLimit);
    return RUN_ALL_TESTS();
}
