// The Wine tests' watchdog: a thread that checks every 200 ms for dialogs no
// test step is there to answer and for a test thread that has stopped.
#include "tests/wine/watchdog.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/wine/window_driver.h"

namespace wayleap::test {
namespace {

constexpr DWORD kStallMs = 20000;
const char kOwnDialog[] = "WayleapTestOwnDialog";

std::atomic<DWORD> g_progress{0};
std::atomic<int> g_scripts{0};
std::atomic<bool> g_inTest{false};

// The visible top-level windows of this process; with `unexpected`, only
// dialogs the test did not make itself.
std::vector<HWND> Windows(bool unexpected) {
    std::vector<HWND> found;
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process != GetCurrentProcessId() || !IsWindowVisible(window)) continue;
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (unexpected && (lstrcmpA(className, "#32770") != 0 || GetPropA(window, kOwnDialog))) continue;
        found.push_back(window);
    }
    return found;
}

// One line per window: class, caption and the texts of its controls (a
// message box's message among them).
std::string Lines(const std::vector<HWND>& windows) {
    std::string lines;
    for (HWND window : windows) {
        char className[128] = {};
        GetClassNameA(window, className, sizeof className);
        std::string text;
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const std::string part = TextOf(child);
            if (!part.empty()) text += (text.empty() ? "" : " | ") + part;
        }
        lines += "  window: class \"" + std::string(className) + "\", caption \"" + TextOf(window) + "\", text \"" +
                 text + "\"\n";
    }
    return lines;
}

// Ends the processes this one started, and theirs (Wine's own services aside).
void EndDescendants(DWORD parent) {
    std::vector<DWORD> children;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {sizeof entry};
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        const char* wineOwn[] = {"explorer.exe", "services.exe", "winedevice.exe", "plugplay.exe", "rpcss.exe",
                                 "svchost.exe", "conhost.exe"};
        bool own = false;
        for (const char* name : wineOwn) own = own || lstrcmpiA(entry.szExeFile, name) == 0;
        if (entry.th32ParentProcessID == parent && entry.th32ProcessID != parent && !own) {
            children.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    for (DWORD child : children) {
        EndDescendants(child);
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, child)) {
            TerminateProcess(process, 3);
            CloseHandle(process);
        }
    }
}

[[noreturn]] void Fail(const std::string& why, const std::vector<HWND>& windows) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();  // under gtest's lock
    const std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : "(between tests)";
    std::printf("\n[ WATCHDOG ] %s: %s\n%s", name.c_str(), why.c_str(), Lines(windows).c_str());
    std::printf("[  FAILED  ] %s (ended by the watchdog)\n", name.c_str());
    std::fflush(stdout);
    EndDescendants(GetCurrentProcessId());
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(INFINITE);
}

// A dialog still shown for a moment after the script that closes it has
// ended is not unexpected: one must stay unanswered for a second.
constexpr DWORD kUnansweredMs = 1000;

DWORD WINAPI Watch(void*) {
    for (DWORD unansweredSince = 0;; Sleep(200)) {
        const std::vector<HWND> unexpected = g_inTest && g_scripts == 0 ? Windows(true) : std::vector<HWND>();
        if (unexpected.empty()) unansweredSince = 0;
        else if (!unansweredSince) unansweredSince = GetTickCount();
        else if (GetTickCount() - unansweredSince >= kUnansweredMs) {
            Fail("a window appeared that no test step answers", unexpected);
        }
        if (!g_inTest) continue;
        if (GetTickCount() - g_progress > kStallMs) {
            Fail("no progress for 20 seconds: the test thread is blocked (a deadlock, or a wait that never ends)",
                 Windows(false));
        }
    }
}

class Listener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override {
        NoteProgress();
        g_inTest = true;
    }
    void OnTestPartResult(const ::testing::TestPartResult&) override { NoteProgress(); }
    void OnTestEnd(const ::testing::TestInfo&) override { g_inTest = false; }
};

}  // namespace

void StartWatchdog() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new Listener);
    if (HANDLE thread = CreateThread(nullptr, 0, Watch, nullptr, 0, nullptr)) CloseHandle(thread);
}

std::string OpenWindows() { return Lines(Windows(false)); }

void NoteProgress() { g_progress = GetTickCount(); }
void NoteScript(int delta) { g_scripts += delta; }
void MarkOwnDialog(HWND dialog) { SetPropA(dialog, kOwnDialog, reinterpret_cast<HANDLE>(1)); }

}  // namespace wayleap::test
