// The installation run: what OK does.
#include "SetupDlg.h"

#include <objbase.h>

#include "AfxMessageBox.h"
#include "CWaitCursor.h"
#include "InstallFiles.h"
#include "PayloadLayout.h"
#include "Registry.h"
#include "Shortcut.h"

namespace {

const char kCannotCreateDirectory[] = "Cannot create directory";
const char kPathLengthExceeded[] = "\r\nPath length exceeds 256";
const char kInstalled[] = "The program has been successfully installed";
const char kShortcutsMade[] = "\r\n\r\nA shortcut (named KRZ) can be found on Windows Desktop and "
                              "in \"Programs\" of Windows \"Start\".";
// What could not be made: the first line, then one for each.
const char kNotAllMade[] = "The program has been installed, but:";
const char kNoDesktopShortcut[] = "\r\n\r\nNo shortcut on Windows Desktop.";
const char kNoProgramsShortcut[] = "\r\n\r\nNo shortcut in \"Programs\" of Windows \"Start\".";
const char kNoAppPathEntry[] =
    "\r\n\r\nNo application path entry: the next setup will not find this installation.";
const char kNoUninstallEntry[] =
    "\r\n\r\nNo uninstall entry: Uninstall.exe in the program's folder removes it.";
const char kClose[] = "Close";
const char kShortcutName[] = "\\KRZ.lnk";
const char kShortcutDescription[] = "Quorbelix";

// Folders of this many characters or more are refused (the message speaks of 256).
constexpr int kFolderLengthLimit = 240;
constexpr int kPathTooLong = 24;

// The shortcut to `target` in `folder`; true when it was saved. A folder that could not be
// read gets none: its link would otherwise land at the root of the current drive.
bool CreateShortcutIn(const CString& folder, const CString& target) {
    return !folder.IsEmpty() &&
           SUCCEEDED(shell::CreateShortcut(target, folder + kShortcutName, kShortcutDescription));
}

// A backslash as the last character, a trail byte of a double-byte character not counting.
bool EndsWithBackslash(const CString& text) {
    return !text.IsEmpty() && text.ReverseFind('\\') == text.GetLength() - 1;
}

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// A folder that names one place whatever the current directory: a drive letter, a colon and
// a separator (or the letter and colon alone, a drive's root that has lost its backslash), or
// a UNC name, \\server\share. The system takes a forward slash for a backslash in both
// (C:/..., //server/share). Anything else would be taken relative to the current directory or
// drive; \\.\ and \\?\ names, however slashed, reach devices and the object manager's
// namespace.
bool IsAbsoluteFolder(const CString& folder) {
    const int length = folder.GetLength();
    if (length >= 2 && folder[1] == ':') {
        const char drive = folder[0];
        const bool letter = (drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z');
        return letter && (length == 2 || IsSeparator(folder[2]));
    }
    if (length < 5 || !IsSeparator(folder[0]) || !IsSeparator(folder[1]))
        return false;
    // The server name ends at the first separator after it; a slash is never a trail byte.
    int share = folder.Find('\\', 2);
    const int slash = folder.Find('/', 2);
    if (slash >= 0 && (share < 0 || slash < share))
        share = slash;
    if (share <= 2 || share + 1 >= length || IsSeparator(folder[share + 1]))
        return false;
    const CString server = folder.Mid(2, share - 2);
    return server != "." && server != "?";
}

} // namespace

void CSetupDlg::OnInstall() {
    // Finished: OK (and Enter) close the dialog as "Close" does.
    if (m_installed) {
        OnCancel();
        return;
    }
    // Busy: a second run never starts inside the first.
    if (m_busy)
        return;

    CWaitCursor wait;
    m_busy = 1;

    const registry::ShellFolders shellFolders = registry::ReadShellFolders();

    // The folder as typed, without white space at either end or one trailing backslash: this
    // one text is created, holds the files and goes into the shortcuts and both entries.
    CString folder;
    m_pathEdit.GetWindowText(folder);
    folder.TrimLeft();
    folder.TrimRight();
    if (EndsWithBackslash(folder)) {
        folder = folder.Left(folder.GetLength() - 1);
        folder.TrimRight(); // "C:\Blank \" is the folder "C:\Blank" too
    }

    const int created = CreateFolderPath(folder);
    if (created != 0) {
        CString message = kCannotCreateDirectory;
        if (created == kPathTooLong)
            message += kPathLengthExceeded;
        AfxMessageBox(message);
        m_busy = 0;
        return;
    }

    // The files, through the temporary file; a failure has shown its message.
    if (!app::ExpandPayload(folder)) {
        m_busy = 0;
        return;
    }

    // Shortcuts and registry entries are made as far as the machine allows. The files are
    // installed either way; what could not be made is named in one message once the dialog is
    // finished, whose text speaks of the shortcuts only when both are there.
    const HRESULT com = CoInitialize(nullptr);
    const CString target = folder + "\\" + payload::kFileList[0];
    constexpr int kAllMade = sizeof kNotAllMade - 1;
    CString missing = kNotAllMade;
    if (!CreateShortcutIn(shellFolders.desktop, target))
        missing += kNoDesktopShortcut;
    if (!CreateShortcutIn(shellFolders.programs, target))
        missing += kNoProgramsShortcut;
    m_message = kInstalled;
    if (missing.GetLength() == kAllMade)
        m_message += kShortcutsMade;
    m_installFolder = folder;
    if (!registry::WriteAppPathEntry(m_installFolder, m_specialBuild))
        missing += kNoAppPathEntry;
    if (!registry::WriteUninstallEntry(m_installFolder))
        missing += kNoUninstallEntry;
    // Only a successful initialisation is balanced.
    if (SUCCEEDED(com))
        CoUninitialize();

    UpdateData(FALSE);
    m_browseButton.ShowWindow(SW_HIDE);
    GetDlgItem(IDOK)->ShowWindow(SW_HIDE);
    GetDlgItem(IDCANCEL)->SetWindowText(kClose);
    m_pathEdit.ShowWindow(SW_HIDE);
    m_pathLabel.ShowWindow(SW_HIDE);
    if (missing.GetLength() != kAllMade)
        AfxMessageBox(missing);

    m_installed = 1;
    m_busy = 0;
}

int CSetupDlg::CreateFolderPath(CString path) {
    path.TrimLeft();
    path.TrimRight();
    if (path.GetLength() >= kFolderLengthLimit)
        return kPathTooLong;
    if (!IsAbsoluteFolder(path))
        return ERROR_BAD_PATHNAME;
    if (CreateDirectoryA(path, nullptr))
        return 0;
    DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS)
        return 0;
    if (error != ERROR_PATH_NOT_FOUND)
        return int(error);

    CString parent = path;
    const CString last = SplitLastFolder(parent);
    if (last.IsEmpty())
        return ERROR_PATH_NOT_FOUND;
    const int made = CreateFolderPath(parent);
    if (made != 0)
        return made;
    // The parent is there now, or something of its name is (a file, say). The folder is tried
    // once more, directly: a second "path not found" is final, where trying the whole path
    // again would find the same parent and never end.
    if (CreateDirectoryA(parent + "\\" + last, nullptr))
        return 0;
    error = GetLastError();
    return error == ERROR_ALREADY_EXISTS ? 0 : int(error);
}

CString CSetupDlg::SplitLastFolder(CString& path) {
    const int backslash = path.ReverseFind('\\');
    if (backslash <= 0)
        return CString();
    const CString component = path.Mid(backslash + 1);
    path = path.Left(backslash);
    // A drive ("C:"), or a parent ending in a backslash, is as far up as the split goes.
    if (path.GetLength() < 3 || EndsWithBackslash(path))
        return CString();
    return component;
}
