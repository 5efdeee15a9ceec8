// The entry point of the core's tests. Each test has 5 seconds: one that has
// not finished by then (a deadlock, a wait that never ends) fails at once,
// naming itself, instead of running into ctest's time limit.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

constexpr auto kLimit = std::chrono::seconds(5);

class TimeLimit : public ::testing::EmptyTestEventListener {
public:
    TimeLimit() : watcher_([this] { Watch(); }) {}
    ~TimeLimit() override {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        watcher_.join();
    }

private:
    using Clock = std::chrono::steady_clock;

    void OnTestStart(const ::testing::TestInfo& test) override {
        std::lock_guard<std::mutex> lock(mutex_);
        name_ = std::string(test.test_suite_name()) + "." + test.name();
        deadline_ = Clock::now() + kLimit;
        running_ = true;
        changed_.notify_all();
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
        changed_.notify_all();
    }

    void Watch() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopping_) {
            if (!running_) {
                changed_.wait(lock);
            } else if (!changed_.wait_until(lock, deadline_, [this] { return stopping_ || !running_; }) &&
                       Clock::now() >= deadline_) {
                std::fprintf(stderr, "\n[  TIMEOUT ] %s did not finish within %lld s: it is blocked (a deadlock, or a "
                             "wait that never ends)\n", name_.c_str(), static_cast<long long>(kLimit.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::string name_;
    Clock::time_point deadline_;
    bool running_ = false, stopping_ = false;
    std::thread watcher_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new TimeLimit);
    return RUN_ALL_TESTS();
}
