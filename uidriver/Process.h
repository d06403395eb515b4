// The program under test, running as its own process for the life of one scenario.
//
// The process is started suspended, put into a job object that kills it when the job's last
// handle closes (so it cannot outlive the test program, even one that crashes), and resumed.
// Destroying the Process kills the program if it still runs; when the scenario has failed, it
// first saves the screen as ui-failure-<suite>.<test>.bmp in the current directory. Under Wine the
// program's windows are made unmanaged (AppDefaults\<exe>\X11 Driver, Managed = N): with no window
// manager on the virtual display, closing a managed top-level window costs a 2-second wait inside
// Wine.
//
// From the start, a watcher thread looks at the program's top-level windows every few
// milliseconds and answers every message box it shows: with the next answer queued by
// Answer(), or, when none is queued or the box does not offer it, with Cancel/No/OK. Each box is
// recorded (caption, text, icon, buttons, owner, answer). A box nobody expected, and an answer
// that no box used, fail the test when the Process is destroyed. So no box is ever left
// waiting, and a scenario queues its answers before the action that raises the box.
#pragma once

#include "MessageBox.h"
#include "Window.h"

#include <windows.h>

#include <atomic>
#include <deque>
#include <initializer_list>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace ui {

class Process {
public:
    // Starts `exe` with the command line `"exe" arguments` in `workingDirectory` (the test
    // program's own current directory when empty), with `answers` queued for the boxes it may
    // show while it starts. Fails when the program cannot be started.
    explicit Process(const std::string& exe, const std::string& arguments = "",
                     const std::string& workingDirectory = "",
                     std::initializer_list<int> answers = {}, Where where = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return id_; }
    bool Running() const;
    // Waits for the program to end and returns its exit code; fails on timeout (the program
    // is then killed by the destructor).
    DWORD WaitForExit(DWORD timeoutMs = kTimeout, Where where = {});
    // Ends the program at once (exit code 1) and waits until it is gone.
    void Kill();

    // The program's top-level windows, visible or not, message boxes included.
    std::vector<Window> Windows() const;
    // A visible dialog ("#32770", not a message box) with exactly this title, or none.
    Window FindDialog(const std::string& title) const;
    // Waits for such a dialog; fails listing the windows there are.
    Window WaitForDialog(const std::string& title, DWORD timeoutMs = kTimeout,
                         Where where = {}) const;

    // Queues the answer to the next message box (IDOK, IDYES, IDNO, ...).
    void Answer(int button);
    // Every box answered so far, in order.
    std::vector<MessageBoxRecord> MessageBoxes() const;
    // The next box not yet returned by this call, waiting for it; fails if none comes.
    MessageBoxRecord WaitForMessageBox(DWORD timeoutMs = kTimeout, Where where = {});
    // Answers queued and not yet used by a box.
    size_t PendingAnswers() const;
    // Forgets the queued answers (for a scenario that ends before the box it prepared for).
    void ClearAnswers();

private:
    void SaveFailureScreenshot() const;
    void Watch();
    void AnswerBoxes();

    DWORD id_ = 0;
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    std::string name_;

    mutable std::mutex mutex_;
    std::deque<int> answers_;
    std::vector<MessageBoxRecord> boxes_;
    size_t taken_ = 0;
    // Boxes answered and not yet gone.
    struct Answered {
        HWND box;
        ULONGLONG when;
        int answer;
    };
    std::vector<Answered> answered_;
    std::atomic<bool> stop_{false};
    std::thread watcher_;
};

// The top-level windows of process `id`, visible or not, message boxes included.
std::vector<Window> WindowsOf(DWORD id);

// The running programs whose file is named `name` (such as "winhlp32.exe"): each one's process
// id and full path (empty when it cannot be read).
std::vector<std::pair<DWORD, std::string>> ProgramsNamed(const char* name);

// Starts `script` with the host's /bin/sh, outside Wine (Wine starts a host program given by its
// host path); double quotes in it are passed on as they are. Wine cannot wait for such a
// program, and the process information it returns then holds no handles, only what was on the
// stack: closing them could close one of this program's own (under 32-bit Wine, the one it
// holds for HKEY_CURRENT_USER), so nothing is closed. False, with the error set, when it does
// not start.
bool StartHostShell(const std::string& script);

} // namespace ui
