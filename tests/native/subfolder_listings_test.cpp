// Sub-folder listings on worker threads: one budget per menu, late results
// kept for the next menus, one listing per folder at a time, bounded threads.
// Folders are listed by a scripted lister whose listings can be held back
// until the test lets them go.
#include "core/subfolder_listings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

using namespace wayleap;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

class Listings : public ::testing::Test {
protected:
    // Folders listed by the scripted lister: "blocked" ones wait for Release.
    std::optional<std::vector<FoundFile>> List(const std::string& pattern) {
        std::unique_lock<std::mutex> lock(mutex_);
        ++calls_[pattern];
        released_.wait(lock, [&] { return !blocked_.count(pattern); });
        if (pattern == "missing\\*") return std::nullopt;
        return std::vector<FoundFile>{{pattern + " sub", kAttributeDirectory}};
    }
    void Block(const std::string& pattern) {
        std::lock_guard<std::mutex> lock(mutex_);
        blocked_.insert({pattern, true});
    }
    void Release(const std::string& pattern) {
        std::lock_guard<std::mutex> lock(mutex_);
        blocked_.erase(pattern);
        released_.notify_all();
    }
    int Calls(const std::string& pattern) {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_[pattern];
    }

    SubfolderListings& Make(SubfolderListings::Limits limits) {
        listings_ = std::make_unique<SubfolderListings>(
            [this](const std::string& pattern) { return List(pattern); },
            [this](std::function<void()> work) {
                threads_.emplace_back(std::move(work));
                return true;
            },
            StandardListingSync(), limits);
        return *listings_;
    }

    void TearDown() override {
        for (const auto& blocked : std::map<std::string, bool>(blocked_)) Release(blocked.first);
        listings_.reset();
        for (std::thread& thread : threads_) thread.join();
    }

    template <typename Predicate>
    static bool Eventually(Predicate done) {
        for (auto until = Clock::now() + 10s; Clock::now() < until; std::this_thread::sleep_for(1ms)) {
            if (done()) return true;
        }
        return false;
    }

    static std::string Names(const SubfolderListings::Listing& listing) {
        if (!listing) return "unlisted";
        std::string names;
        for (const FoundFile& found : *listing) names += "[" + found.name + "]";
        return names;
    }

    std::mutex mutex_;
    std::condition_variable released_;
    std::map<std::string, bool> blocked_;
    std::map<std::string, int> calls_;
    std::vector<std::thread> threads_;
    std::unique_ptr<SubfolderListings> listings_;
};

// Fast folders are listed anew for every menu; what they found is not kept.
TEST_F(Listings, FastFoldersAreListedOncePerMenu) {
    SubfolderListings& listings = Make({10s, 60s});
    for (int menu = 1; menu <= 2; ++menu) {
        SubfolderListings::Menu m = listings.Begin({"a\\*", "missing\\*", "a\\*"});
        EXPECT_EQ(Names(m.Take("a\\*")), "[a\\* sub]");
        EXPECT_EQ(Names(m.Take("missing\\*")), "unlisted");
        EXPECT_EQ(Names(m.Take("a\\*")), "[a\\* sub]");
        EXPECT_EQ(Calls("a\\*"), menu);
    }
}

// A folder that does not answer within the budget gives no entries (the
// popup shows "<This Folder>" alone) and goes on; a second menu waits for the
// same listing instead of starting one; once it has ended, the menus of the
// keep period get its result at once; after that it is listed again.
TEST_F(Listings, ALateListingServesTheNextMenusUntilItExpires) {
    SubfolderListings& listings = Make({50ms, 500ms, 1u << 20, 4, 32, 20ms});
    Block("slow\\*");
    for (int menu = 0; menu < 2; ++menu) {
        EXPECT_EQ(Names(listings.Begin({"slow\\*"}).Take("slow\\*")), "");
        EXPECT_TRUE(listings.Busy());
    }
    EXPECT_EQ(Calls("slow\\*"), 1);
    Release("slow\\*");
    ASSERT_TRUE(Eventually([&] { return !listings.Busy(); }));
    Block("slow\\*");  // a new listing would now be late
    for (int menu = 0; menu < 2; ++menu) {
        EXPECT_EQ(Names(listings.Begin({"slow\\*"}).Take("slow\\*")), "[slow\\* sub]");
    }
    EXPECT_EQ(Calls("slow\\*"), 1);
    EXPECT_TRUE(Eventually([&] { return listings.Threads() == 0; })) << "idle threads end";
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(Names(listings.Begin({"slow\\*"}).Take("slow\\*")), "");
    EXPECT_EQ(Calls("slow\\*"), 2);
}

// Every folder counts against the one budget of its menu: four folders that
// never answer keep the menu waiting once, not four times.
TEST_F(Listings, AllListingsOfAMenuShareOneBudget) {
    SubfolderListings& listings = Make({300ms, 60s});
    const std::vector<std::string> patterns = {"1\\*", "2\\*", "3\\*", "4\\*"};
    for (const std::string& p : patterns) Block(p);
    const Clock::time_point start = Clock::now();
    SubfolderListings::Menu menu = listings.Begin(patterns);
    for (const std::string& p : patterns) EXPECT_EQ(Names(menu.Take(p)), "");
    EXPECT_LT(Clock::now() - start, 900ms);
}

// A listing that never returns holds one thread however many menus ask for
// its folder, and the other folders are still listed.
TEST_F(Listings, AListingThatNeverReturnsHoldsOneThread) {
    SubfolderListings& listings = Make({5ms, 60s, 1u << 20, 1});
    Block("dead\\*");
    for (int i = 0; i < 20; ++i) {
        SubfolderListings::Menu menu = listings.Begin({"dead\\*", "live\\*"});
        menu.Take("dead\\*");
        menu.Take("live\\*");
    }
    EXPECT_GE(Calls("live\\*"), 1);
    EXPECT_LE(listings.Threads(), 2u);
}

}  // namespace
