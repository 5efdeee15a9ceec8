// Sub-folder listings that never keep a menu waiting: every expanded entry's
// folder is listed on a worker thread, the menu waits for all of them
// together at most one time budget, and a listing that ends after its menu
// was built is kept for the menus that follow.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/menu_plan.h"

namespace wayleap {

// The lock and the two wake-up signals the listings work with. Any platform's
// primitives serve; StandardListingSync() uses the C++ library's. Windows has
// its own slim ones (far cheaper to wake with there), hence the seam.
class ListingSync {
public:
    using Clock = std::chrono::steady_clock;
    enum class Signal { Queued, Finished };
    virtual ~ListingSync() = default;
    virtual void Lock() = 0;
    virtual void Unlock() = 0;
    // Called with the lock held, returns with it held: after a wake-up on
    // `signal`, at `deadline`, or earlier; callers check again.
    virtual void Wait(Signal signal, Clock::time_point deadline) = 0;
    virtual void WakeOne(Signal signal) = 0;
    virtual void WakeAll(Signal signal) = 0;
};

std::unique_ptr<ListingSync> StandardListingSync();

class SubfolderListings {
public:
    using Clock = std::chrono::steady_clock;
    using Listing = std::optional<std::vector<FoundFile>>;
    // Runs `work` on a new thread; false when no thread could be started.
    using ThreadStarter = std::function<bool(std::function<void()> work)>;

    struct Limits {
        // How long one menu waits, in total, for all its listings.
        std::chrono::milliseconds budget{100};
        // How long a listing that ended after its menu was built serves later menus.
        std::chrono::milliseconds keep{60000};
        // Bytes of names kept for later menus; the oldest results go first.
        std::size_t keptBytes = 8u << 20;
        // Threads listing at once. A thread whose listing has run longer than
        // the budget no longer counts, so that a folder that never answers
        // holds one thread and the others go on.
        std::size_t workers = 4;
        // Never more threads than this, stalled ones included.
        std::size_t maxThreads = 32;
        // How long an idle thread waits for more work before it ends.
        std::chrono::milliseconds linger{5000};
    };

    SubfolderListings(DirectoryLister lister, ThreadStarter startThread, std::unique_ptr<ListingSync> sync,
                      Limits limits);
    // Waits for the threads to end; a listing still running is waited for.
    ~SubfolderListings();
    SubfolderListings(const SubfolderListings&) = delete;
    SubfolderListings& operator=(const SubfolderListings&) = delete;

    struct Job;

    // The listings of one menu, all started (or found kept) when it begins;
    // the budget counts from then.
    class Menu {
    public:
        // The folder's listing: its entries when it has ended, nullopt when it
        // cannot be listed, and no entries when it is still running once the
        // budget is spent (the popup then holds "<This Folder>" alone).
        Listing Take(const std::string& pattern);

    private:
        friend class SubfolderListings;
        Menu(SubfolderListings& owner, Clock::time_point deadline) : owner_(&owner), deadline_(deadline) {}
        SubfolderListings* owner_;
        Clock::time_point deadline_;
        // Each folder's listing, and how many times this menu will still take it.
        struct Use {
            std::shared_ptr<Job> job;
            int left = 0;
        };
        std::map<std::string, Use> jobs_;
    };

    Menu Begin(const std::vector<std::string>& patterns);

    // True while a listing is running or waiting for a thread.
    bool Busy() const;
    // Threads alive, idle ones included.
    std::size_t Threads() const;

private:
    std::shared_ptr<Job> Request(const std::string& pattern, Clock::time_point deadline);
    void Work();
    void StartThreads(Clock::time_point now);
    void Finish(const std::shared_ptr<Job>& job, Listing result);
    void Forget(const std::string& pattern);
    void DropExpired(Clock::time_point now);

    const DirectoryLister lister_;
    const ThreadStarter startThread_;
    const Limits limits_;

    class Locked;
    // Wakes Finished when a listing or a thread ends, Queued when there is work.
    const std::unique_ptr<ListingSync> sync_;
    // Listings running or queued, and ended ones kept for later menus, by pattern.
    std::map<std::string, std::shared_ptr<Job>> jobs_;
    std::deque<std::shared_ptr<Job>> queue_;
    std::size_t running_ = 0;
    std::size_t threads_ = 0;
    std::size_t ready_ = 0;  // threads not running a listing (idle or starting)
    std::size_t keptBytes_ = 0;
    bool stopping_ = false;
};

}  // namespace wayleap
