#include "ModalRunner.h"

#include <gtest/gtest.h>

#include "CDialog.h"

namespace {

struct Run {
    std::function<HWND()> dialog;
    std::vector<ModalStep> steps;
    std::size_t next;
    DWORD lastStepAt;
};
Run* g_run = nullptr;

constexpr DWORD kGraceMs = 5000;

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Run& run = *g_run;
    const HWND hwnd = run.dialog();
    if (!hwnd)
        return; // not created yet, or closing
    if (run.next < run.steps.size()) {
        // The step may open a nested modal loop in which this timer fires again.
        const ModalStep step = run.steps[run.next++];
        step(hwnd);
        run.lastStepAt = ::GetTickCount();
        return;
    }
    if (::GetTickCount() - run.lastStepAt > kGraceMs) {
        ADD_FAILURE() << "the dialog is still open after its last step";
        ::EndDialog(hwnd, kStillOpen);
    }
}

} // namespace

INT_PTR RunModal(CDialog& dialog, std::vector<ModalStep> steps) {
    return RunWithSteps([&dialog] { return dialog.m_hWnd; }, std::move(steps),
                        [&dialog] { return dialog.DoModal(); });
}

INT_PTR RunWithSteps(std::function<HWND()> dialog, std::vector<ModalStep> steps,
                     std::function<INT_PTR()> body) {
    Run run{std::move(dialog), std::move(steps), 0, ::GetTickCount()};
    Run* const outer = g_run;
    g_run = &run;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, &Tick);
    struct Cleanup {
        UINT_PTR timer;
        Run* outer;
        ~Cleanup() {
            ::KillTimer(nullptr, timer);
            g_run = outer;
        }
    } cleanup{timer, outer};
    return body();
}

void PressKey(UINT key) {
    const HWND focus = ::GetFocus();
    ::PostMessageA(focus, WM_KEYDOWN, key, 1);
    ::PostMessageA(focus, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
}

void Click(HWND dialog, int id) {
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}
