// The installer's registry reads and writes. Its entries below HKEY_LOCAL_MACHINE, key
// SOFTWARE\Microsoft\Windows\CurrentVersion: the application path entry ("App Paths\KRZ.EXE")
// and the uninstall entry ("Uninstall\Quorbelix"), and the lookup of a previous installation's
// folder; and the user's shell folders, where the shortcuts go. Every key on the way is opened one
// component at a time and never created; only an entry's own subkey is created. Values are REG_SZ
// texts with their NUL counted.
//
// The main dialog owns the two texts these use (install folder, special-build text) and
// forwards its member operations here. The writers report whether their entry was written.
#pragma once

#include "CString.h"

namespace registry {

// The "Path" value of the application path entry, or the empty text.
CString ReadPreviousInstallFolder();

// Writes the application path entry for `installFolder`; fills `specialBuild` on the way
// (ReadSpecialBuild). True when the key and all three values were written; a failed value
// does not keep the next ones from being written.
bool WriteAppPathEntry(const CString& installFolder, CString& specialBuild);

// Writes the uninstall entry for `installFolder`. Its command, the folder followed by
// "\Uninstall.exe", is put in double quotation marks when it contains a blank. True when the
// key and both values were written.
bool WriteUninstallEntry(const CString& installFolder);

// The user's Desktop and Programs folders, read from the key "Shell folders" below
// HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer, opened one key at a
// time; each stays empty when its key or value cannot be read (texts of at most 259
// characters).
struct ShellFolders {
    CString desktop;
    CString programs;
};
ShellFolders ReadShellFolders();

// Sets `specialBuild` to the trimmed "SpecialBuild" string of the executable's own version
// resource (US English, Unicode table); leaves it unchanged when there is no version resource.
void ReadSpecialBuild(CString& specialBuild);

} // namespace registry
