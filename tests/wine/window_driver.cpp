// Driving real windows from the test's own thread: dialogs, message boxes,
// message pumps with a time limit and timer scripts.
#include "tests/wine/window_driver.h"

#include <gtest/gtest.h>

#include <map>

namespace wayleap::test {

std::string TextOf(HWND window) {
    char buffer[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

namespace {

struct DialogSearch {
    std::string caption;
    HWND found = nullptr;
    std::vector<HWND> all;
};

bool IsDialogWindow(HWND window) {
    char name[64] = {};
    return GetClassNameA(window, name, sizeof name) > 0 && lstrcmpA(name, "#32770") == 0 && IsWindowVisible(window);
}

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<DialogSearch*>(param);
    if (!IsDialogWindow(window)) return TRUE;
    search->all.push_back(window);
    if (!search->found && TextOf(window) == search->caption) search->found = window;
    return TRUE;
}

// The static control that holds a message box's text.
constexpr int kMessageBoxText = 0xFFFF;

}  // namespace

HWND FindThreadDialog(const std::string& caption) {
    DialogSearch search;
    search.caption = caption;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindProcessDialog(DWORD processId, const char* caption, HWND skip) {
    HWND window = nullptr;
    while ((window = FindWindowExA(nullptr, window, "#32770", caption)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && window != skip && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

std::string MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, kMessageBoxText);
    return text ? TextOf(text) : std::string();
}

std::vector<std::string> CloseThreadDialogs() {
    DialogSearch search;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&search));
    std::vector<std::string> captions;
    for (HWND dialog : search.all) {
        captions.push_back(TextOf(dialog));
        const WPARAM button = GetDlgItem(dialog, kMessageBoxText) ? IDOK : IDCANCEL;
        PostMessageA(dialog, WM_COMMAND, button, 0);
    }
    return captions;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

namespace {
std::map<UINT_PTR, TimerScript*>& Scripts() {
    static std::map<UINT_PTR, TimerScript*> scripts;
    return scripts;
}
}  // namespace

TimerScript::TimerScript(std::vector<Step> steps, DWORD timeoutMs, UINT intervalMs)
    : steps_(std::move(steps)), start_(GetTickCount()), timeoutMs_(timeoutMs) {
    if (finished()) return;
    timer_ = SetTimer(nullptr, 0, intervalMs, Tick);
    if (timer_) {
        Scripts()[timer_] = this;
    } else {
        ADD_FAILURE() << "SetTimer failed";
    }
}

TimerScript::~TimerScript() { Stop(); }

void TimerScript::Stop() {
    if (!timer_) return;
    KillTimer(nullptr, timer_);
    Scripts().erase(timer_);
    timer_ = 0;
}

void CALLBACK TimerScript::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    auto it = Scripts().find(id);
    if (it != Scripts().end()) it->second->Advance();
}

void TimerScript::Advance() {
    if (running_ || finished()) return;
    if (GetTickCount() - start_ > timeoutMs_) {
        timedOut_ = true;
        Stop();
        ADD_FAILURE() << "the window script timed out at step " << next_ + 1 << " of " << steps_.size();
        CloseThreadDialogs();
        return;
    }
    running_ = true;
    const bool done = steps_[next_]();
    running_ = false;
    if (done && ++next_ >= steps_.size()) Stop();
}

bool TimerScript::RunToEnd() {
    PumpUntil([this] { return finished() || timedOut_; }, timeoutMs_ + 2000);
    return finished();
}

DialogSentinel::DialogSentinel()
    : script_({[this] {
                  for (std::string& caption : CloseThreadDialogs()) seen.push_back(std::move(caption));
                  return false;
              }},
              120000) {}

}  // namespace wayleap::test
