// Sub-folder listings on worker threads, a shared time budget per menu, and
// late results kept for the menus that follow.
#include "core/subfolder_listings.h"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace wayleap {

using Signal = ListingSync::Signal;

// One folder's listing. Everything but `pattern` is guarded by the owner's
// lock until the state is Done; after that `result` never changes, so a menu
// holding the job may read it without the lock.
struct SubfolderListings::Job {
    enum class State { Queued, Running, Done };
    std::string pattern;
    State state = State::Queued;
    Clock::time_point started;
    // The latest deadline of the menus waiting for it: ending by then is on
    // time, and the result goes only to those menus.
    Clock::time_point deadline;
    Clock::time_point ended;
    bool kept = false;  // ended late: serves later menus until it expires
    std::size_t bytes = 0;
    Listing result;
};

class SubfolderListings::Locked {
public:
    explicit Locked(ListingSync& sync) : sync_(sync) { sync_.Lock(); }
    ~Locked() { sync_.Unlock(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    ListingSync& sync_;
};

namespace {

class StandardSync final : public ListingSync {
public:
    void Lock() override { mutex_.lock(); }
    void Unlock() override { mutex_.unlock(); }
    void Wait(Signal signal, Clock::time_point deadline) override {
        std::unique_lock<std::mutex> lock(mutex_, std::adopt_lock);
        (signal == Signal::Queued ? queued_ : finished_).wait_until(lock, deadline);
        lock.release();
    }
    void WakeOne(Signal signal) override { (signal == Signal::Queued ? queued_ : finished_).notify_one(); }
    void WakeAll(Signal signal) override { (signal == Signal::Queued ? queued_ : finished_).notify_all(); }

private:
    std::mutex mutex_;
    std::condition_variable queued_, finished_;
};

// What a kept result costs: its names plus each entry's own bookkeeping.
std::size_t CostOf(const SubfolderListings::Listing& listing) {
    std::size_t bytes = 64;
    if (listing) {
        for (const FoundFile& found : *listing) {
            bytes += found.name.size() + 2 * found.wide.size() + sizeof(FoundFile);
        }
    }
    return bytes;
}

}  // namespace

std::unique_ptr<ListingSync> StandardListingSync() { return std::make_unique<StandardSync>(); }

SubfolderListings::SubfolderListings(DirectoryLister lister, ThreadStarter startThread,
                                     std::unique_ptr<ListingSync> sync, Limits limits)
    : lister_(std::move(lister)), startThread_(std::move(startThread)), limits_(limits), sync_(std::move(sync)) {}

SubfolderListings::~SubfolderListings() {
    Locked lock(*sync_);
    stopping_ = true;
    queue_.clear();
    sync_->WakeAll(Signal::Queued);
    while (threads_ > 0) sync_->Wait(Signal::Finished, Clock::now() + std::chrono::seconds(1));
}

SubfolderListings::Menu SubfolderListings::Begin(const std::vector<std::string>& patterns) {
    const Clock::time_point now = Clock::now();
    Menu menu(*this, now + limits_.budget);
    Locked lock(*sync_);
    DropExpired(now);
    for (const std::string& pattern : patterns) {
        Menu::Use& use = menu.jobs_[pattern];
        if (!use.job) use.job = Request(pattern, menu.deadline_);
        ++use.left;
    }
    StartThreads(now);
    return menu;
}

// Called with the lock held. A kept result is used as it is; a listing under
// way is waited for, never started a second time.
std::shared_ptr<SubfolderListings::Job> SubfolderListings::Request(const std::string& pattern,
                                                                   Clock::time_point deadline) {
    auto found = jobs_.find(pattern);
    if (found == jobs_.end()) {
        auto job = std::make_shared<Job>();
        job->pattern = pattern;
        found = jobs_.emplace(pattern, job).first;
        try {
            queue_.push_back(job);
        } catch (...) {
            jobs_.erase(found);
            throw;
        }
        sync_->WakeOne(Signal::Queued);
    }
    Job& job = *found->second;
    if (job.state != Job::State::Done) job.deadline = std::max(job.deadline, deadline);
    return found->second;
}

SubfolderListings::Listing SubfolderListings::Menu::Take(const std::string& pattern) {
    std::shared_ptr<Job> job;
    bool sole = false;
    {
        Locked lock(*owner_->sync_);
        auto found = jobs_.find(pattern);
        if (found != jobs_.end()) {
            job = found->second.job;
            if (--found->second.left <= 0) jobs_.erase(found);
        } else {
            // Not announced when the menu began: started now, within what is left.
            job = owner_->Request(pattern, deadline_);
            owner_->StartThreads(Clock::now());
        }
        while (job->state != Job::State::Done && Clock::now() < deadline_) {
            owner_->sync_->Wait(Signal::Finished, deadline_);
        }
        if (job->state != Job::State::Done) return std::vector<FoundFile>{};
        // Neither kept for later menus nor awaited by another menu: this
        // menu is its last reader and takes the result without a copy.
        sole = job.use_count() == 1;
    }
    return sole ? std::move(job->result) : job->result;
}

bool SubfolderListings::Busy() const {
    Locked lock(*sync_);
    return !queue_.empty() || running_ > 0;
}

std::size_t SubfolderListings::Threads() const {
    Locked lock(*sync_);
    return threads_;
}

// Starts threads while listings wait for one, as long as fewer than
// `workers` threads are idle or on a listing younger than the budget.
void SubfolderListings::StartThreads(Clock::time_point now) {
    while (queue_.size() > ready_ && threads_ < limits_.maxThreads) {
        std::size_t young = 0;
        for (const auto& entry : jobs_) {
            const Job& job = *entry.second;
            if (job.state == Job::State::Running && now - job.started < limits_.budget) ++young;
        }
        if (ready_ + young >= limits_.workers) break;
        ++threads_;
        ++ready_;
        bool started = false;
        try {
            started = startThread_([this] { Work(); });
        } catch (...) {
        }
        if (!started) {
            // The listings stay queued; the next menu tries again.
            --threads_;
            --ready_;
            break;
        }
    }
}

// A thread's life: listings from the queue, one after another, until none
// has come for `linger`. Nothing here throws but the listing itself.
void SubfolderListings::Work() {
    Locked lock(*sync_);
    for (;;) {
        const Clock::time_point idleUntil = Clock::now() + limits_.linger;
        while (queue_.empty() && !stopping_ && Clock::now() < idleUntil) sync_->Wait(Signal::Queued, idleUntil);
        if (queue_.empty() || stopping_) break;
        std::shared_ptr<Job> job = queue_.front();
        queue_.pop_front();
        job->state = Job::State::Running;
        job->started = Clock::now();
        ++running_;
        --ready_;
        sync_->Unlock();
        Listing result;
        try {
            result = lister_(job->pattern);
        } catch (...) {
            result.reset();  // out of memory while listing: as a folder that cannot be listed
        }
        sync_->Lock();
        ++ready_;
        --running_;
        Finish(job, std::move(result));
    }
    --ready_;
    --threads_;
    sync_->WakeAll(Signal::Finished);
}

// Called with the lock held; allocates nothing. On time, the result goes to
// the menus that waited and is not kept: the next menu lists the folder
// afresh. Late, it is kept for the menus of the next `keep` period, within
// the byte limit (the oldest results go first).
void SubfolderListings::Finish(const std::shared_ptr<Job>& job, Listing result) {
    job->ended = Clock::now();
    job->result = std::move(result);
    job->state = Job::State::Done;
    if (job->ended <= job->deadline) {
        Forget(job->pattern);
    } else {
        job->kept = true;
        job->bytes = CostOf(job->result);
        keptBytes_ += job->bytes;
        while (keptBytes_ > limits_.keptBytes) {
            auto oldest = jobs_.end();
            for (auto it = jobs_.begin(); it != jobs_.end(); ++it) {
                if (it->second->kept && (oldest == jobs_.end() || it->second->ended < oldest->second->ended)) {
                    oldest = it;
                }
            }
            Forget(oldest->first);
        }
    }
    sync_->WakeAll(Signal::Finished);
}

void SubfolderListings::Forget(const std::string& pattern) {
    auto found = jobs_.find(pattern);
    if (found == jobs_.end()) return;
    if (found->second->kept) keptBytes_ -= found->second->bytes;
    jobs_.erase(found);
}

void SubfolderListings::DropExpired(Clock::time_point now) {
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        const Job& job = *it->second;
        if (job.kept && now - job.ended >= limits_.keep) {
            keptBytes_ -= job.bytes;
            it = jobs_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace wayleap
