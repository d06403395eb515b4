// Where the installer keeps its state in the registry, as the tests and benchmarks look for
// it: the entries below HKEY_LOCAL_MACHINE, the shell folders below HKEY_CURRENT_USER.
#pragma once

namespace keys {

constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr char kUninstall[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kAppPathEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KRZ.EXE";
constexpr char kUninstallEntry[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorbelix";

// Wine writes "Shell Folders" anew from "User Shell Folders": a test redirects both.
constexpr char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

} // namespace keys
