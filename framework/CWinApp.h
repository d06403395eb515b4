// CWinApp: the application object. The program defines exactly one, as a static object; its
// constructor registers it, and the framework's entry point (AfxWinMain, called from WinMain)
// runs it:
//   1. the error mode gains SEM_FAILCRITICALERRORS and SEM_NOOPENFILEERRORBOX, so a drive
//      without a medium makes calls fail instead of raising the system's own boxes;
//   2. libraries load from the system directory only (AfxEnableSafeDllLoading);
//   3. InitInstance; when it returns false, the process ends (ExitInstance's code), otherwise
//      the message loop runs until WM_QUIT.
// An exception that reaches the entry point is shown in a message box and ends the process.
#pragma once

#include <windows.h>

#include "CString.h"

class CWnd;

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int Run();
    virtual int ExitInstance();

    // The application's command handling: ID_HELP opens the help (OnHelp). True when handled.
    virtual bool OnCommand(UINT id);

    // Opens the help viewer on the application's help file (HELP_FINDER).
    void OnHelp();
    // Starts the help viewer on the help file: winhlp32.exe of the Windows folder (or, where
    // it is not there, of the system folder), by its full path, never a program of that name
    // elsewhere. The viewer opens at the file's contents whatever `command` asks (HELP_QUIT
    // starts nothing); `data` is not used.
    virtual void WinHelp(DWORD_PTR data, UINT command);

    CWnd* m_pMainWnd = nullptr;
    // The executable's path with the extension ".HLP".
    CString m_helpFilePath;
};

// The application object, or null when the program defines none (test programs).
CWinApp* AfxGetApp();

// The framework's entry point; WinMain (AfxWinMain.cpp) calls it.
int AfxWinMain();
