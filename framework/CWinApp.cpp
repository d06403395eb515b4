#include "CWinApp.h"

#include <new>
#include <stdexcept>
#include <vector>

#include "AfxBoundary.h"
#include "AfxMessageBox.h"
#include "AfxModule.h"
#include "CDialog.h"
#include "CWnd.h"
#include "SafeDllLoading.h"

namespace {
CWinApp* g_app = nullptr;

CString HelpFilePath() {
    CString help = AfxGetModuleFileName();
    const int dot = help.ReverseFind('.');
    if (dot > help.ReverseFind('\\'))
        help = help.Left(dot);
    return help + ".HLP";
}
} // namespace

CWinApp* AfxGetApp() {
    return g_app;
}

CWinApp::CWinApp() : m_helpFilePath(HelpFilePath()) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
        AfxRethrowParkedException();
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return 0;
}

bool CWinApp::OnCommand(UINT id) {
    if (id != ID_HELP)
        return false;
    OnHelp();
    return true;
}

void CWinApp::OnHelp() {
    WinHelp(0, HELP_FINDER);
}

void CWinApp::WinHelp(DWORD_PTR, UINT command) {
    if (command == HELP_QUIT)
        return; // the viewer runs on its own, and ends when its user closes it
    // WinHelpA would start the viewer by its bare name, which the system looks for in this
    // program's folder and in the current one first. Windows keeps it in its own folder; Wine
    // keeps it in the system folder.
    for (const auto folderOf : {::GetWindowsDirectoryA, ::GetSystemDirectoryA}) {
        char folder[MAX_PATH + 1] = {};
        const UINT n = folderOf(folder, MAX_PATH);
        if (n == 0 || n >= MAX_PATH)
            continue;
        CString viewer = folder;
        if (viewer.ReverseFind('\\') != viewer.GetLength() - 1)
            viewer += "\\";
        viewer += "winhlp32.exe";
        const CString line = "\"" + viewer + "\" \"" + m_helpFilePath + "\"";
        std::vector<char> commandLine(line.GetString(), line.GetString() + line.GetLength() + 1);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        // Started in that folder, so that it looks for nothing in this program's.
        if (::CreateProcessA(viewer, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             folder, &startup, &process)) {
            ::CloseHandle(process.hThread);
            ::CloseHandle(process.hProcess);
            return;
        }
    }
}

int AfxWinMain() {
    ::SetErrorMode(::SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    AfxEnableSafeDllLoading();
    CWinApp* const app = AfxGetApp();
    if (!app)
        return 1;
    try {
        const int code = app->InitInstance() ? app->Run() : app->ExitInstance();
        AfxRethrowParkedException();
        return code;
    } catch (const std::bad_alloc&) {
        AfxMessageBox("Out of memory", MB_OK | MB_ICONSTOP);
    } catch (const std::exception& error) {
        AfxMessageBox(error.what(), MB_OK | MB_ICONSTOP);
    } catch (...) {
        AfxMessageBox("Unexpected error", MB_OK | MB_ICONSTOP);
    }
    return 1;
}
