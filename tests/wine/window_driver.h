// Driving real windows from the test's own thread: finding dialogs and
// message boxes, reading what they show, pumping messages with a time limit,
// and scripts of steps that run inside modal loops.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace wayleap::test {

// Text of a window or control (WM_GETTEXT).
std::string TextOf(HWND window);
// A visible top-level dialog-class ("#32770") window of this thread with that caption, or null.
HWND FindThreadDialog(const std::string& caption);
// A visible top-level dialog-class window of another process: the one with
// that caption, or (caption null) any one but `skip`.
HWND FindProcessDialog(DWORD processId, const char* caption, HWND skip = nullptr);
// The text a message box shows; empty for a window that is not a message box.
std::string MessageBoxText(HWND box);
// Closes every visible dialog of this thread (message boxes with OK, other
// dialogs with Cancel) and returns their captions.
std::vector<std::string> CloseThreadDialogs();

// Runs this thread's messages until `done` holds or `timeoutMs` have passed;
// true when it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 10000);
void PumpFor(DWORD ms);

// Steps run one per tick of a thread timer (every 10 ms unless told otherwise), so they also run inside the
// modal loops of DialogBox, MessageBox, PropertySheet and GetOpenFileName: a
// test sets the script up before the call that shows a modal window. A step
// returns true when it is done; the next one runs on a later tick. A step must
// not run a modal loop itself (post the click that opens one instead). When
// the steps have not finished in time the script reports a failure and closes
// the thread's dialogs, so a modal call never hangs the test.
class TimerScript {
public:
    using Step = std::function<bool()>;
    explicit TimerScript(std::vector<Step> steps, DWORD timeoutMs = 15000, UINT intervalMs = 10);
    ~TimerScript();
    TimerScript(const TimerScript&) = delete;
    TimerScript& operator=(const TimerScript&) = delete;

    bool finished() const { return next_ >= steps_.size(); }
    bool timedOut() const { return timedOut_; }
    // Pumps messages until every step is done or the time is up; true when done.
    bool RunToEnd();

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD);
    void Advance();
    void Stop();

    std::vector<Step> steps_;
    std::size_t next_ = 0;
    DWORD start_;
    DWORD timeoutMs_;
    UINT_PTR timer_ = 0;
    bool running_ = false;
    bool timedOut_ = false;
};

// For calls that must show nothing: closes every dialog of this thread that
// appears while it lives and keeps the captions.
class DialogSentinel {
public:
    DialogSentinel();
    std::vector<std::string> seen;

private:
    TimerScript script_;
};

}  // namespace wayleap::test
