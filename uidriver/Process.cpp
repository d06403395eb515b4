#include "Process.h"

#include "MachineState.h"
#include "Screen.h"

#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>

namespace ui {

namespace {

struct Search {
    DWORD pid;
    std::vector<Window> windows;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid)
        search->windows.push_back(Window(hwnd));
    return TRUE;
}

// A box whose answer did not close it within this time is answered again.
constexpr ULONGLONG kReanswerAfter = 3000;

// What a click on the box's button sends to the box.
void Press(const Window& box, int button) {
    PostMessageA(box.Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.Handle(), button)));
}

} // namespace

Process::Process(const std::string& exe, const std::string& arguments,
                 const std::string& workingDirectory, std::initializer_list<int> answers,
                 Where where)
    : answers_(answers) {
    const size_t slash = exe.find_last_of("\\/");
    name_ = slash == std::string::npos ? exe : exe.substr(slash + 1);
    // Nothing manages the windows on the virtual display, so Wine would wait 2 s for a window
    // manager each time a top-level window of a managed program closes (a dialog, a message
    // box, the program's end). Unmanaged, Wine draws the frames itself and closes at once.
    if (RunningUnderWine())
        SetRegistryString(HKEY_CURRENT_USER,
                          "Software\\Wine\\AppDefaults\\" + name_ + "\\X11 Driver", "Managed", "N",
                          where);

    job_ = CreateJobObjectA(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job_ ||
        !SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        const DWORD error = GetLastError();
        if (job_)
            CloseHandle(job_);
        Fail(where, "cannot create a job object (error " + std::to_string(error) + ")");
    }

    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Wine now and then fails a start with ERROR_INTERNAL_ERROR on a loaded machine; the same
    // start succeeds when tried again.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt)
            Sleep(100);
        started = CreateProcessA(
            exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
            workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup, &info);
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR)
            break;
    }
    if (!started) {
        const DWORD error = GetLastError();
        CloseHandle(job_);
        Fail(where, "cannot start " + commandLine + " (error " + std::to_string(error) + ")");
    }
    if (!AssignProcessToJobObject(job_, info.hProcess)) {
        const DWORD error = GetLastError();
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        CloseHandle(job_);
        Fail(where, "cannot put " + name_ + " into a job (error " + std::to_string(error) + ")");
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    watcher_ = std::thread([this] { Watch(); });
}

Process::~Process() {
    // A scenario that failed (or is unwinding from a ui::Failure) leaves a picture of the screen
    // as it was, beside the test program's other output.
    if (::testing::Test::HasFailure() || std::uncaught_exceptions() > 0)
        SaveFailureScreenshot();
    Kill();
    stop_ = true;
    watcher_.join();
    CloseHandle(process_);
    CloseHandle(job_);
    // Reported here, on the test's own thread, so that GoogleTest names the right test.
    for (const MessageBoxRecord& box : boxes_)
        if (!box.expected)
            ADD_FAILURE() << name_ << " showed an unexpected message box: " << box.Describe();
    for (const int answer : answers_)
        ADD_FAILURE() << "no message box of " << name_ << " took the answer " << ButtonName(answer);
}

void Process::SaveFailureScreenshot() const {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "." + test->name() : name_;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.')
            c = '_';
    const std::string path = "ui-failure-" + name + ".bmp";
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    try {
        SaveBmp(CaptureScreen(screen), path);
        std::fprintf(stderr, "screen at the failure saved as %s\n", path.c_str());
    } catch (const Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
    }
}

bool Process::Running() const {
    return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD Process::WaitForExit(DWORD timeoutMs, Where where) {
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        std::string windows;
        for (const Window& w : Windows())
            if (w.Visible())
                windows += " [" + w.Describe() + "]";
        Fail(where, name_ + " did not end within " + std::to_string(timeoutMs) +
                        " ms; its visible windows:" + (windows.empty() ? " none" : windows));
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return code;
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kTimeout);
    }
}

std::vector<Window> WindowsOf(DWORD id) {
    Search search{id, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

std::vector<Window> Process::Windows() const {
    return WindowsOf(id_);
}

Window Process::FindDialog(const std::string& title) const {
    for (const Window& w : Windows()) {
        if (w.Visible() && w.ClassName() == "#32770" && !IsMessageBox(w)) {
            try {
                if (w.Text() == title)
                    return w;
            } catch (const Failure&) {
                // Gone while we looked.
            }
        }
    }
    return Window();
}

Window Process::WaitForDialog(const std::string& title, DWORD timeoutMs, Where where) const {
    Window found;
    if (WaitUntil([&] { return bool(found = FindDialog(title)); }, timeoutMs))
        return found;
    std::string windows;
    for (const Window& w : Windows())
        if (w.Visible())
            windows += " [" + w.Describe() + "]";
    Fail(where, "no dialog " + Quote(title) + " of " + name_ + " within " +
                    std::to_string(timeoutMs) + " ms" + (Running() ? "" : " (it has ended)") +
                    "; its visible windows:" + (windows.empty() ? " none" : windows));
}

void Process::Answer(int button) {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.push_back(button);
}

std::vector<MessageBoxRecord> Process::MessageBoxes() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

MessageBoxRecord Process::WaitForMessageBox(DWORD timeoutMs, Where where) {
    MessageBoxRecord next;
    const bool came = WaitUntil(
        [&] {
            std::lock_guard<std::mutex> lock(mutex_);
            if (taken_ >= boxes_.size())
                return false;
            next = boxes_[taken_++];
            return true;
        },
        timeoutMs);
    if (!came)
        Fail(where, "no message box of " + name_ + " within " + std::to_string(timeoutMs) + " ms");
    return next;
}

size_t Process::PendingAnswers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return answers_.size();
}

void Process::ClearAnswers() {
    std::lock_guard<std::mutex> lock(mutex_);
    answers_.clear();
}

void Process::Watch() {
    while (!stop_) {
        try {
            AnswerBoxes();
        } catch (const std::exception&) {
            // A box that vanished while it was read; the next round looks again.
        }
        Sleep(kPollInterval);
    }
}

void Process::AnswerBoxes() {
    const ULONGLONG now = GetTickCount64();
    answered_.erase(std::remove_if(answered_.begin(), answered_.end(),
                                   [](const Answered& a) { return !IsWindow(a.box); }),
                    answered_.end());
    for (const Window& w : Windows()) {
        if (!w.Visible() || !IsMessageBox(w))
            continue;
        auto seen = std::find_if(answered_.begin(), answered_.end(),
                                 [&](const Answered& a) { return a.box == w.Handle(); });
        if (seen != answered_.end()) {
            if (now - seen->when > kReanswerAfter) {
                seen->when = now;
                Press(w, seen->answer);
            }
            continue;
        }
        MessageBoxRecord record = ReadMessageBox(w);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!answers_.empty()) {
                record.wanted = answers_.front();
                answers_.pop_front();
            }
            record.expected = std::find(record.buttons.begin(), record.buttons.end(),
                                        record.wanted) != record.buttons.end();
            record.answer = record.expected ? record.wanted : CautiousAnswer(record.buttons);
            boxes_.push_back(record);
        }
        answered_.push_back({w.Handle(), now, record.answer});
        Press(w, record.answer);
    }
}

std::vector<std::pair<DWORD, std::string>> ProgramsNamed(const char* name) {
    std::vector<std::pair<DWORD, std::string>> found;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, name) != 0)
            continue;
        char path[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        if (const HANDLE process =
                OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID)) {
            QueryFullProcessImageNameA(process, 0, path, &size);
            CloseHandle(process);
        }
        found.emplace_back(entry.th32ProcessID, path);
    }
    CloseHandle(snapshot);
    return found;
}

bool StartHostShell(const std::string& script) {
    std::string line = "/bin/sh -c \"";
    for (const char c : script)
        line += c == '"' ? std::string("\\\"") : std::string(1, c);
    line += "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION shell = {};
    return CreateProcessA("/bin/sh", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &shell);
}

} // namespace ui
