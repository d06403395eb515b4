// The main command's program (scripts/run.sh), run under Wine: starts the installer, or the
// uninstaller that the installation recorded, and says what this run did.
//
//   install_walkthrough install walk|watch <krzsetup.exe> [<ready.bmp> <finished.bmp>]
//   install_walkthrough uninstall walk|watch
//
// "walk" drives the program on a virtual display: Yes to the reinstall question, OK on the
// proposed folder, Close on the finished dialog (saving a picture of the dialog when ready and
// when finished); Yes and OK to the uninstaller's boxes. "watch" leaves the program to the user
// on their display and only looks at its windows. The program runs in a job object: when it
// has ended, whatever it started and left running (the help viewer after F1) is ended too.
//
// Exit status and the one line on stderr: 0 the installation finished (its report follows on
// stdout) or nothing of it is left after the uninstaller; 1 the program failed (its message
// is quoted) or the uninstaller left something; 2 usage; 3 Cancel (or Close) before anything
// was installed; 4 No to the reinstall question; 5 the dialog never showed.
#include "InstallerKeys.h"
#include "MachineState.h"
#include "MessageBox.h"
#include "Screen.h"
#include "ShortcutReader.h"
#include "Window.h"

#include <fcntl.h>
#include <io.h>
#include <objbase.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace {

enum Outcome { kDone = 0, kFailed = 1, kUsage = 2, kCancelled = 3, kDeclined = 4, kNotShown = 5 };

const char kTitle[] = "Setup Quorbelix";
const char kFiles[][16] = {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "Uninstall.exe"};

int Say(int outcome, const std::string& line) {
    std::fprintf(stderr, "run: %s\n", line.c_str());
    return outcome;
}

// The program under test in a job that ends everything in it when this object goes.
class Started {
public:
    Started(const std::string& exe, const std::string& commandLine) {
        job_ = CreateJobObjectA(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        std::string line = commandLine;
        std::string folder = exe.substr(0, exe.find_last_of('\\') + 1);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                            nullptr, folder.c_str(), &startup, &info))
            throw ui::Failure("cannot start " + exe + " (error " + std::to_string(GetLastError()) +
                              ")");
        AssignProcessToJobObject(job_, info.hProcess);
        ResumeThread(info.hThread);
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
    ~Started() {
        TerminateJobObject(job_, 1);
        CloseHandle(process_);
        CloseHandle(job_);
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;

    bool Running() const { return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    DWORD ExitCode() const {
        DWORD code = 0;
        GetExitCodeProcess(process_, &code);
        return code;
    }
    // Ends what the program left running; says so when there was something.
    void EndHelpers() {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
        if (QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                      sizeof accounting, nullptr) &&
            accounting.ActiveProcesses > 0) {
            std::printf("run: ended %lu process(es) that the program left running\n",
                        static_cast<unsigned long>(accounting.ActiveProcesses));
            TerminateJobObject(job_, 1);
        }
    }

    std::vector<ui::Window> Windows() const {
        Search search{id_, {}};
        EnumWindows(Collect, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

private:
    struct Search {
        DWORD pid;
        std::vector<ui::Window> found;
    };
    // The visible top-level windows of the program.
    static BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid == search->pid && IsWindowVisible(hwnd))
            search->found.push_back(ui::Window(hwnd));
        return TRUE;
    }

    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

void Press(const ui::Window& box, int button) {
    PostMessageA(box.Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box.Handle(), button)));
}

// What the user saw of one run of a program.
struct Seen {
    std::vector<std::string> boxes; // texts, in order
    bool asked = false;             // the reinstall question
    bool declined = false;          // ... answered other than Yes (as far as it was seen)
    bool shown = false;             // the main dialog
    bool finished = false;          // ... in its finished state
    std::string failure;            // the first message that was not a question
};

// Looks at the program's windows until it ends. A walk answers Yes to a question and OK to any
// other box, clicks OK in the ready dialog and Close in the finished one (Cancel after a
// failure), and saves the pictures it is given paths for.
Seen Follow(Started& program, bool walk, const std::string& ready, const std::string& finished) {
    Seen seen;
    std::vector<HWND> known;
    bool clickedOk = false, clickedClose = false, gaveUp = false;
    const ULONGLONG deadline = GetTickCount64() + 120000;
    while (program.Running()) {
        for (const ui::Window& w : program.Windows()) {
            try {
                if (ui::IsMessageBox(w)) {
                    bool isNew = true;
                    for (HWND h : known)
                        isNew = isNew && h != w.Handle();
                    if (!isNew)
                        continue;
                    known.push_back(w.Handle());
                    const ui::MessageBoxRecord box = ui::ReadMessageBox(w, 0);
                    seen.boxes.push_back(box.text);
                    const bool question = box.buttons.size() == 2 && box.buttons[0] == IDYES;
                    if (box.text.find("Reinstall?") != std::string::npos)
                        seen.asked = true;
                    else if (!question && seen.failure.empty())
                        seen.failure = box.text;
                    if (walk)
                        Press(w, question ? IDYES : IDOK);
                } else if (w.ClassName() == "#32770" && w.Text() == kTitle) {
                    seen.shown = true;
                    const bool done = w.Item(IDCANCEL).Text() == "Close";
                    seen.finished = seen.finished || done;
                    if (!walk)
                        continue;
                    if (!clickedOk && !done) {
                        if (!ready.empty())
                            ui::SaveScreenshot(w, ready);
                        w.Item(IDOK).Click();
                        clickedOk = true;
                    } else if (done && !clickedClose) {
                        if (!finished.empty())
                            ui::SaveScreenshot(w, finished);
                        w.Item(IDCANCEL).Click();
                        clickedClose = true;
                    } else if (!done && !seen.failure.empty() && !gaveUp) {
                        w.Item(IDCANCEL).Click(); // back in the ready state after a failure
                        gaveUp = true;
                    }
                }
            } catch (const ui::Failure&) {
                // The window went while it was read; the next round looks again.
            }
        }
        if (walk && GetTickCount64() > deadline)
            throw ui::Failure("the program did not end within two minutes");
        Sleep(20);
    }
    seen.declined = seen.asked && !seen.shown;
    program.EndHelpers();
    return seen;
}

std::string Registered(const char* key, const char* name) {
    return ui::ReadRegistryString(HKEY_LOCAL_MACHINE, key, name).value_or("");
}

std::string ShellFolder(const char* name) {
    return ui::ReadRegistryString(HKEY_CURRENT_USER, keys::kShellFolders, name).value_or("");
}

// On 64-bit Windows, which of its two registry views a key named by this program lies in: the
// view of the program's own architecture, which is the installer's (the main command builds both
// for the same one).
std::string View(REGSAM view) {
    const REGSAM other = ui::OtherRegistryView();
    if (!other)
        return "";
    if (!view)
        view = other == KEY_WOW64_64KEY ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    return view == KEY_WOW64_32KEY ? " (32-bit view)" : " (64-bit view)";
}

// The installation as the registry records it: files, shortcuts, entries.
void Report() {
    const std::string folder = Registered(keys::kAppPathEntry, "Path");
    std::printf("Installed into %s (%s)\n", folder.c_str(), ui::HostPath(folder).c_str());
    for (const char* name : kFiles) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        FILETIME local;
        SYSTEMTIME t;
        if (GetFileAttributesExA((folder + "\\" + name).c_str(), GetFileExInfoStandard, &data) &&
            FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) &&
            FileTimeToSystemTime(&local, &t))
            std::printf("  %-14s %9lu bytes  modified %04u-%02u-%02u %02u:%02u:%02u\n", name,
                        static_cast<unsigned long>(data.nFileSizeLow), t.wYear, t.wMonth, t.wDay,
                        t.wHour, t.wMinute, t.wSecond);
        else
            std::printf("  %-14s missing\n", name);
    }
    CoInitialize(nullptr);
    for (const char* place : {"Desktop", "Programs"}) {
        const std::string link = ShellFolder(place) + "\\KRZ.lnk";
        const std::optional<ui::Shortcut> s = ui::ReadShortcut(link);
        if (s)
            std::printf("%s shortcut %s -> %s (\"%s\")\n", place, link.c_str(), s->path.c_str(),
                        s->description.c_str());
        else
            std::printf("%s shortcut: none\n", place);
    }
    CoUninitialize();
    for (const char* key : {keys::kAppPathEntry, keys::kUninstallEntry}) {
        std::printf("HKEY_LOCAL_MACHINE\\%s%s\n", key, View(0).c_str());
        HKEY h;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &h) != ERROR_SUCCESS)
            continue;
        char name[256], value[1024];
        for (DWORD i = 0;; ++i) {
            DWORD nameSize = sizeof name, valueSize = sizeof value - 1, type = 0;
            if (RegEnumValueA(h, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(value),
                              &valueSize) != ERROR_SUCCESS)
                break;
            value[type == REG_SZ ? valueSize : 0] = '\0';
            std::printf("    %-16s %s\n", *name ? name : "(Default)", value);
        }
        RegCloseKey(h);
    }
}

int Install(bool walk, const std::string& exe, const std::string& ready,
            const std::string& finished) {
    Started setup(exe, "\"" + exe + "\"");
    const Seen seen = Follow(setup, walk, ready, finished);
    if (seen.finished) {
        Report();
        return kDone;
    }
    if (!seen.failure.empty())
        return Say(kFailed, "the installer failed: " + ui::Quote(seen.failure));
    if (seen.declined)
        return Say(kDeclined, "No to the reinstall question: nothing was installed");
    if (seen.shown)
        return Say(kCancelled, "cancelled: nothing was installed");
    return Say(kNotShown, "the installer ended (exit code " + std::to_string(setup.ExitCode()) +
                              ") without showing its dialog on this display");
}

// What is left of the installation in `folder`: one line each.
std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> left;
    if (!folder.empty() && ui::IsFolder(folder)) {
        WIN32_FIND_DATAA entry;
        const HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &entry);
        std::string names;
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = entry.cFileName;
                if (name != "." && name != "..")
                    names += " " + name;
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        left.push_back("the folder " + folder + (names.empty() ? " (empty)" : ", holding" + names));
    }
    for (const char* place : {"Desktop", "Programs"}) {
        const std::string link = ShellFolder(place) + "\\KRZ.lnk";
        if (ui::PathExists(link))
            left.push_back("the " + std::string(place) + " shortcut " + link);
    }
    std::vector<REGSAM> views = {0};
    if (const REGSAM other = ui::OtherRegistryView())
        views.push_back(other);
    for (const REGSAM view : views)
        for (const char* key : {keys::kAppPathEntry, keys::kUninstallEntry})
            if (ui::RegistryKeyExists(HKEY_LOCAL_MACHINE, key, view))
                left.push_back("HKEY_LOCAL_MACHINE\\" + std::string(key) + View(view));
    return left;
}

int Uninstall(bool walk) {
    std::string command = Registered(keys::kUninstallEntry, "UninstallString");
    if (command.empty())
        return Say(kFailed, "no uninstaller is recorded: nothing is installed");
    // The command as the system would start it: a quoted path, or the whole text.
    std::string exe = command;
    if (command[0] == '"')
        exe = command.substr(1, command.find('"', 1) - 1);
    if (exe.size() < 3 || exe[1] != ':' || exe[2] != '\\')
        return Say(kFailed, "the recorded uninstaller is not a full path: " + command);
    std::string folder = Registered(keys::kAppPathEntry, "Path");
    if (folder.empty())
        folder = exe.substr(0, exe.find_last_of('\\'));
    std::printf("run: %s\n", command.c_str());
    Started uninstaller(exe, command);
    const Seen seen = Follow(uninstaller, walk, "", "");
    for (const std::string& text : seen.boxes)
        std::printf("run: the uninstaller said %s\n", ui::Quote(text).c_str());
    const std::vector<std::string> left = Leftovers(folder);
    if (left.empty()) {
        std::printf("Left of the installation: nothing\n");
        return kDone;
    }
    std::printf("Left of the installation:\n");
    for (const std::string& line : left)
        std::printf("  %s\n", line.c_str());
    return Say(kFailed, "the uninstaller left " + std::to_string(left.size()) + " thing(s)");
}

} // namespace

int main(int argc, char** argv) {
    // Lines end in \n alone: the output goes to a terminal on the host.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const bool modeOk = args.size() >= 2 && (args[1] == "walk" || args[1] == "watch");
    try {
        if (modeOk && args[0] == "install" && (args.size() == 3 || args.size() == 5))
            return Install(args[1] == "walk", args[2], args.size() == 5 ? args[3] : "",
                           args.size() == 5 ? args[4] : "");
        if (modeOk && args[0] == "uninstall" && args.size() == 2)
            return Uninstall(args[1] == "walk");
    } catch (const ui::Failure& failure) {
        return Say(kFailed, failure.what());
    }
    std::fprintf(stderr, "usage: install_walkthrough install walk|watch <krzsetup.exe> "
                         "[<ready.bmp> <finished.bmp>]\n"
                         "       install_walkthrough uninstall walk|watch\n");
    return kUsage;
}
