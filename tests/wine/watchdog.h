// Ends a Wine test program that hangs, at once and saying why, instead of
// leaving it to ctest's time limit.
#pragma once

#include <windows.h>

#include <string>

namespace wayleap::test {

// Watches every test from here on. The test fails, the program prints what it
// saw and ends with its child processes, when
//  - a dialog or message box of this process stays shown for a second while
//    no window script runs (no test step is there to answer it), or
//  - the test thread has made no progress for 20 seconds (a deadlock, or a
//    wait that never ends).
void StartWatchdog();
// The test thread is alive: PumpUntil, window scripts and test results say so.
void NoteProgress();
// A window script starts (+1) or ends (-1): the dialogs it meets are expected.
void NoteScript(int delta);
// A dialog the test made itself, never taken for an unexpected one.
void MarkOwnDialog(HWND dialog);
// The visible top-level windows of this process, one line each: class,
// caption and text (a message box's message).
std::string OpenWindows();

}  // namespace wayleap::test
