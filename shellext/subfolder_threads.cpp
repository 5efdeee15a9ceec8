// Sub-folder listings on threads of their own, for SkipdoorCM.dll's menus.
#include "shellext/subfolder_threads.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <new>
#include <utility>

#include "win/code_page.h"
#include "win/unique_handle.h"

namespace wayleap::shellext {
namespace {

SubfolderListings* g_listings = nullptr;

// The directories in a folder, listed with the wide API so that every name
// comes back true; files are left out at once, since only sub-folders are
// ever shown. A name the ANSI code page holds exactly is kept in it alone;
// another keeps its true form beside the best the code page can give.
std::optional<std::vector<FoundFile>> ListDirectory(const std::string& pattern) {
    const std::optional<std::u16string> trueForm = WidePatternOf(pattern);
    const std::wstring widePattern = trueForm ? std::wstring(trueForm->begin(), trueForm->end()) : AnsiToWide(pattern);
    if (widePattern.empty()) return std::nullopt;
    WIN32_FIND_DATAW data;
    unique_find find(FindFirstFileW(widePattern.c_str(), &data));
    if (!find) return std::nullopt;
    std::vector<FoundFile> found;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::wstring_view name(data.cFileName);
        if (std::optional<std::string> exact = WideToAnsiExact(name)) {
            found.push_back({std::move(*exact), data.dwFileAttributes, {}});
        } else {
            found.push_back({WideToAnsiBest(name), data.dwFileAttributes, std::u16string(name.begin(), name.end())});
        }
    } while (FindNextFileW(find.get(), &data));
    return found;
}

// Windows' slim lock and condition variables: waking a thread with them costs
// a fraction of what the C++ library's (built on events here) costs.
class SlimSync final : public ListingSync {
public:
    void Lock() override { AcquireSRWLockExclusive(&lock_); }
    void Unlock() override { ReleaseSRWLockExclusive(&lock_); }
    void Wait(Signal signal, Clock::time_point deadline) override {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return;
        const DWORD timeout = left >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(left);
        SleepConditionVariableSRW(Variable(signal), &lock_, timeout, 0);
    }
    void WakeOne(Signal signal) override { WakeConditionVariable(Variable(signal)); }
    void WakeAll(Signal signal) override { WakeAllConditionVariable(Variable(signal)); }

private:
    CONDITION_VARIABLE* Variable(Signal signal) { return signal == Signal::Queued ? &queued_ : &finished_; }
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE queued_ = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE finished_ = CONDITION_VARIABLE_INIT;
};

struct ThreadStart {
    std::function<void()> work;
    HMODULE self;
};

// The thread holds its own reference to the DLL and gives it back only as it
// ends, so the DLL's code stays mapped for as long as the thread runs it.
DWORD WINAPI ListingThread(void* parameter) {
    HMODULE self = static_cast<ThreadStart*>(parameter)->self;
    {
        std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
        start->work();
    }
    FreeLibraryAndExitThread(self, 0);
}

bool StartListingThread(std::function<void()> work) {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCSTR>(&ListingThread),
                            &self)) {
        return false;
    }
    auto start = std::unique_ptr<ThreadStart>(new (std::nothrow) ThreadStart{std::move(work), self});
    HANDLE thread = start ? CreateThread(nullptr, 0, ListingThread, start.get(), 0, nullptr) : nullptr;
    if (!thread) {
        FreeLibrary(self);
        return false;
    }
    start.release();  // the thread owns it now
    CloseHandle(thread);
    return true;
}

}  // namespace

SubfolderListings* Listings() { return g_listings; }

void CreateListings() {
    g_listings = new SubfolderListings(ListDirectory, StartListingThread, std::make_unique<SlimSync>(),
                                       SubfolderListings::Limits{});
}

void DestroyListings() {
    delete g_listings;
    g_listings = nullptr;
}

}  // namespace wayleap::shellext
