// The shared driver of the Wine GUI tests: finding dialogs and message boxes
// and reading what they show, pumping messages with a time limit, and
// scripts of steps on a thread timer that act inside modal loops.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace wayleap::test {

// Text of a window or control (WM_GETTEXT), without waiting long on a window
// whose thread is stuck (the watchdog reads the windows of a stalled test).
std::string TextOf(HWND window);
// A visible top-level dialog-class ("#32770") window of this thread with that caption, or null.
HWND FindThreadDialog(const std::string& caption);
// A visible top-level dialog-class window of another process: the one with
// that caption, or (caption null) any one but `skip`.
HWND FindProcessDialog(DWORD processId, const char* caption, HWND skip = nullptr);
// The text a message box shows; empty for a window that is not a message box.
inline std::string MessageBoxText(HWND box) { return GetDlgItem(box, 0xFFFF) ? TextOf(GetDlgItem(box, 0xFFFF)) : ""; }

// Runs this thread's messages until `done` holds or `timeoutMs` have passed;
// true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

// Steps run one per tick of a thread timer (every 10 ms unless told
// otherwise), so they also run inside the modal loops of DialogBox,
// MessageBox, PropertySheet and GetOpenFileName: a test sets the script up
// before the call that shows a modal window. A step returns true when it is
// done; the next one runs on a later tick. A step must not run a modal loop
// itself (post the click that opens one instead). When the steps have not
// finished in time the script reports a failure and closes the thread's
// dialogs (message boxes with OK, others with Cancel), so a modal call never
// hangs the test.
class TimerScript {
public:
    using Step = std::function<bool()>;
    explicit TimerScript(std::vector<Step> steps, DWORD timeoutMs = 15000, UINT intervalMs = 10);
    ~TimerScript() { Stop(); }
    TimerScript(const TimerScript&) = delete;
    TimerScript& operator=(const TimerScript&) = delete;
    bool finished() const { return next_ >= steps_.size(); }
    // Pumps messages until every step is done or the time is up; true when done.
    bool RunToEnd() { return PumpUntil([this] { return finished() || timedOut_; }, timeoutMs_ + 2000), finished(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Stop();
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    DWORD start_, timeoutMs_;
    UINT_PTR timer_ = 0;
    bool running_ = false, timedOut_ = false;
};

// For calls that must show nothing: closes every dialog of this thread that
// appears while it lives and keeps the captions.
struct DialogSentinel : TimerScript {
    DialogSentinel();
    std::vector<std::string> seen;
};

// Common steps of those scripts.
namespace steps {
using Step = TimerScript::Step;
Step Do(std::function<void()> action);  // runs `action` once
Step Gone(const HWND& window);          // waits until `window` is destroyed
// Waits for a dialog of this thread with that caption and posts `command`
// to it (IDOK, IDCANCEL...); `text` (when given) receives a message box's text.
Step Answer(const std::string& caption, int command, std::string* text = nullptr);
}  // namespace steps

}  // namespace wayleap::test
