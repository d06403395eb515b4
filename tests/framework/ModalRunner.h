// Drives a modal dialog from inside its own message loop, for in-process tests.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

class CDialog;

// The result RunModal gives a dialog that is still open long after its last step.
constexpr INT_PTR kStillOpen = 0x5eed;

using ModalStep = std::function<void(HWND dialog)>;

// Runs `dialog` modally and calls the steps one by one from its message loop. A thread timer
// fires them, and timer messages come only when no other message is queued, so whatever a
// step posts (clicks, keys) has been handled when the next step runs. A dialog still open a
// few seconds after the last step fails the test and ends with kStillOpen. Returns DoModal's
// result; what DoModal throws passes through.
INT_PTR RunModal(CDialog& dialog, std::vector<ModalStep> steps);

// The same for a modal dialog that `body` runs itself (an application object's InitInstance,
// say): `dialog` tells the steps which window the running dialog is (null while there is
// none). Returns what `body` returns.
INT_PTR RunWithSteps(std::function<HWND()> dialog, std::vector<ModalStep> steps,
                     std::function<INT_PTR()> body);

// Posts a key press (WM_KEYDOWN, WM_KEYUP) to the window that has the focus, as the keyboard
// would deliver it, so that the dialog manager's own key handling runs.
void PressKey(UINT key);

// Posts a click of button `id` of `dialog` (BM_CLICK).
void Click(HWND dialog, int id);
