// The shared driver of the Wine GUI tests.
#include "tests/wine/window_driver.h"

#include <gtest/gtest.h>

#include "tests/wine/watchdog.h"

#include <map>
#include <utility>

namespace wayleap::test {
namespace {

std::map<UINT_PTR, TimerScript*> g_scripts;

// The visible dialog-class windows of a process with that caption (any when
// null), only those of one of its threads when `thread` is not 0, but `skip`.
std::vector<HWND> Dialogs(DWORD process, DWORD thread, const char* caption, HWND skip = nullptr) {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", caption)) != nullptr;) {
        DWORD owner = 0;
        const DWORD ownerThread = GetWindowThreadProcessId(window, &owner);
        if (owner == process && (!thread || ownerThread == thread) && window != skip && IsWindowVisible(window)) {
            found.push_back(window);
        }
    }
    return found;
}

// Closes every dialog of this thread (message boxes with OK, others with
// Cancel), adding their captions to `captions` when given.
void CloseThreadDialogs(std::vector<std::string>* captions = nullptr) {
    for (HWND dialog : Dialogs(GetCurrentProcessId(), GetCurrentThreadId(), nullptr)) {
        if (captions) captions->push_back(TextOf(dialog));
        PostMessageA(dialog, WM_COMMAND, GetDlgItem(dialog, 0xFFFF) ? IDOK : IDCANCEL, 0);
    }
}

}  // namespace

std::string TextOf(HWND window) {
    char buffer[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 500, &copied);
    return buffer;
}

HWND FindThreadDialog(const std::string& caption) {
    const std::vector<HWND> found = Dialogs(GetCurrentProcessId(), GetCurrentThreadId(), caption.c_str());
    return found.empty() ? nullptr : found.front();
}

HWND FindProcessDialog(DWORD processId, const char* caption, HWND skip) {
    const std::vector<HWND> found = Dialogs(processId, 0, caption, skip);
    return found.empty() ? nullptr : found.front();
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (const DWORD start = GetTickCount(); !done(); MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT)) {
        NoteProgress();
        if (GetTickCount() - start > timeoutMs) return false;
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) TranslateMessage(&msg), DispatchMessageA(&msg);
    }
    return true;
}

TimerScript::TimerScript(std::vector<Step> steps, DWORD timeoutMs, UINT intervalMs)
    : steps_(std::move(steps)), start_(GetTickCount()), timeoutMs_(timeoutMs) {
    timer_ = finished() ? 0 : SetTimer(nullptr, 0, intervalMs, Tick);
    if (timer_) g_scripts[timer_] = this, NoteScript(+1);
}

void TimerScript::Stop() {
    if (!timer_) return;
    KillTimer(nullptr, timer_);
    g_scripts.erase(std::exchange(timer_, 0));
    NoteScript(-1);
}

// Runs the next step of the timer's script, unless one of its steps is still
// running (in a modal loop that step started); past the time limit, fails and
// closes the dialogs instead.
void CALLBACK TimerScript::Tick(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = g_scripts.find(id);
    if (it == g_scripts.end() || it->second->running_) return;
    TimerScript& script = *it->second;
    NoteProgress();
    script.timedOut_ = GetTickCount() - script.start_ > script.timeoutMs_;
    EXPECT_FALSE(script.timedOut_) << "the window script timed out at step " << script.next_ + 1 << " of "
                                   << script.steps_.size() << "; open then:\n" << OpenWindows();
    script.running_ = !script.timedOut_;
    if (script.timedOut_ || (script.steps_[script.next_]() && ++script.next_ >= script.steps_.size())) script.Stop();
    if (script.timedOut_) CloseThreadDialogs();
    script.running_ = false;
}

DialogSentinel::DialogSentinel() : TimerScript({[this] { return CloseThreadDialogs(&seen), false; }}, 120000) {}

namespace steps {

Step Do(std::function<void()> action) { return [action] { return action(), true; }; }

Step Gone(const HWND& window) { return [&window] { return !IsWindow(window); }; }

Step Answer(const std::string& caption, int command, std::string* text) {
    return [caption, command, text] {
        HWND box = FindThreadDialog(caption);
        if (box && text) *text = MessageBoxText(box);
        return box && PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(command), 0);
    };
}

}  // namespace steps
}  // namespace wayleap::test
