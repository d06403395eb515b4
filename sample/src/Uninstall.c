/* The application's uninstaller, as a small stand-in. It undoes what the installer did and
 * nothing else: after a confirmation it removes the four installed files (itself last), the
 * installer's temporary file if one was left, the two KRZ.lnk shortcuts that start this
 * installation's KRZ.exe (found through the user's shell folders, as the installer found
 * them), the application path entry and the uninstall entry that record this folder, and the
 * folder itself when nothing else is left in it. It then says what it could not remove.
 * It refuses to remove anything unless the registry records its own folder as the
 * installation's folder: a copy elsewhere must not remove an installation it does not belong to.
 *
 * A running program cannot delete its own file. It moves the file into the temporary folder
 * instead (allowed while it runs, when that folder is on the same drive) and has the system
 * delete it there when Windows next starts; on another drive, the file and the folder are
 * only marked for deletion at the next start.
 *
 * Exit status: 0 when everything was removed, 1 when nothing was (declined, refused), 2 when
 * something could not be removed. Built by sample/make-sample.sh, and by the Windows build for
 * its own architecture. */
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <stdio.h>
#include <string.h>

#define KEY_APP_PATH "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KRZ.EXE"
#define KEY_UNINSTALL "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorbelix"
#define KEY_SHELL_FOLDERS "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"

static const char kCaption[] = "Uninstall Quorbelix";
static const char* const kFiles[] = {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "krz.tmp"};

static char g_left[4096];    /* what could not be removed, one line each */
static char g_delayed[2048]; /* what the system removes when Windows next starts */

static void Note(char* list, size_t size, const char* what) {
    if (strlen(list) + strlen(what) + 3 < size) {
        strcat(list, what);
        strcat(list, "\r\n");
    }
}

/* A REG_SZ value of HKLM or HKCU, or "" when the key or the value is missing. */
static void ReadString(HKEY root, const char* key, const char* name, char* text, DWORD size) {
    HKEY h;
    DWORD type = 0;
    text[0] = 0;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS)
        return;
    if (RegQueryValueExA(h, name, NULL, &type, (BYTE*)text, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        text[0] = 0;
    else
        text[size - 1] = 0;
    RegCloseKey(h);
}

/* The folder as one spelling: full, long names, no trailing backslash (a drive root keeps its
 * own). Returns 0 when the folder does not exist. */
static int Canonical(const char* folder, char* out) {
    char full[MAX_PATH], root[4];
    size_t n;
    if (strlen(folder) == 2 && folder[1] == ':') { /* a drive root recorded as "E:" */
        snprintf(root, sizeof root, "%s\\", folder);
        folder = root;
    }
    if (!folder[0] || !GetFullPathNameA(folder, MAX_PATH, full, NULL) ||
        !GetLongPathNameA(full, out, MAX_PATH))
        return 0;
    n = strlen(out);
    if (n > 3 && out[n - 1] == '\\')
        out[n - 1] = 0;
    return 1;
}

/* The folder that an entry records: "Path" of the application path entry, or the folder of
 * the uninstall entry's command (which is quoted when it holds a blank). */
static int RecordedFolder(int uninstallEntry, char* folder) {
    char text[MAX_PATH + 2], *p = text, *slash;
    if (!uninstallEntry) {
        ReadString(HKEY_LOCAL_MACHINE, KEY_APP_PATH, "Path", text, sizeof text);
        return Canonical(text, folder);
    }
    ReadString(HKEY_LOCAL_MACHINE, KEY_UNINSTALL, "UninstallString", text, sizeof text);
    if (*p == '"') {
        ++p;
        if (strchr(p, '"'))
            *strchr(p, '"') = 0;
    }
    slash = strrchr(p, '\\');
    if (!slash || lstrcmpiA(slash + 1, "Uninstall.exe") != 0)
        return 0;
    *slash = 0;
    return Canonical(p, folder);
}

/* Whether the shortcut starts `target`. */
static int StartsTarget(const char* link, const char* target) {
    IShellLinkA* shell = NULL;
    IPersistFile* persist = NULL;
    WCHAR wide[MAX_PATH];
    char path[MAX_PATH] = "";
    int same = 0;
    if (FAILED(CoCreateInstance(&CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, &IID_IShellLinkA,
                                (void**)&shell)))
        return 0;
    if (SUCCEEDED(shell->lpVtbl->QueryInterface(shell, &IID_IPersistFile, (void**)&persist)) &&
        MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH) &&
        SUCCEEDED(persist->lpVtbl->Load(persist, wide, STGM_READ)) &&
        SUCCEEDED(shell->lpVtbl->GetPath(shell, path, MAX_PATH, NULL, SLGP_RAWPATH)))
        same = lstrcmpiA(path, target) == 0;
    if (persist)
        persist->lpVtbl->Release(persist);
    shell->lpVtbl->Release(shell);
    return same;
}

static void RemoveFile(const char* path) {
    if (!DeleteFileA(path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        Note(g_left, sizeof g_left, path);
}

static void RemoveShortcut(const char* place, const char* target) {
    char dir[MAX_PATH], link[MAX_PATH + 16];
    ReadString(HKEY_CURRENT_USER, KEY_SHELL_FOLDERS, place, dir, sizeof dir);
    if (!dir[0])
        return;
    snprintf(link, sizeof link, "%s\\KRZ.lnk", dir);
    /* A KRZ.lnk that starts something else is not this installation's. */
    if (GetFileAttributesA(link) != INVALID_FILE_ATTRIBUTES && StartsTarget(link, target))
        RemoveFile(link);
}

static void RemoveKey(const char* key) {
    const LONG status = RegDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    char line[300];
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        snprintf(line, sizeof line, "HKEY_LOCAL_MACHINE\\%s", key);
        Note(g_left, sizeof g_left, line);
    }
}

/* This program's own file: moved out of the folder, to go when Windows next starts. */
static void RemoveSelf(const char* self, const char* folder) {
    char temp[MAX_PATH], parked[MAX_PATH];
    if (GetTempPathA(MAX_PATH, temp) && GetTempFileNameA(temp, "krz", 0, parked)) {
        if (MoveFileExA(self, parked, MOVEFILE_REPLACE_EXISTING)) {
            MoveFileExA(parked, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
            return;
        }
        DeleteFileA(parked);
    }
    if (MoveFileExA(self, NULL, MOVEFILE_DELAY_UNTIL_REBOOT)) {
        Note(g_delayed, sizeof g_delayed, self);
        /* Removed then only if it is empty by then. */
        if (MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
            Note(g_delayed, sizeof g_delayed, folder);
    } else {
        Note(g_left, sizeof g_left, self);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char self[MAX_PATH], own[MAX_PATH], recorded[2][MAX_PATH], path[MAX_PATH + 16];
    char message[8192], *slash;
    int records[2], i;
    DWORD n = GetModuleFileNameA(NULL, self, MAX_PATH);
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (n == 0 || n >= MAX_PATH || !(slash = strrchr(self, '\\')))
        return 1;
    *slash = 0;
    if (!Canonical(self, own))
        return 1;
    *slash = '\\';

    for (i = 0; i < 2; ++i)
        records[i] = RecordedFolder(i, recorded[i]) && lstrcmpiA(recorded[i], own) == 0;
    if (!records[0] && !records[1]) {
        snprintf(message, sizeof message,
                 "Quorbelix is not recorded as installed in\r\n%s\r\n\r\nNothing was removed.",
                 own);
        MessageBoxA(NULL, message, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    snprintf(message, sizeof message, "Remove Quorbelix from this computer?\r\n\r\n%s", own);
    if (MessageBoxA(NULL, message, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;

    for (i = 0; i < 4; ++i) {
        snprintf(path, sizeof path, "%s\\%s", own, kFiles[i]);
        RemoveFile(path);
    }
    snprintf(path, sizeof path, "%s\\KRZ.exe", own);
    if (SUCCEEDED(CoInitialize(NULL))) {
        RemoveShortcut("Desktop", path);
        RemoveShortcut("Programs", path);
        CoUninitialize();
    }
    /* Each entry only when it records this folder. */
    if (records[0])
        RemoveKey(KEY_APP_PATH);
    if (records[1])
        RemoveKey(KEY_UNINSTALL);
    RemoveSelf(self, own);
    /* The folder cannot go while it is this process's current folder. A folder that still
     * holds the user's own files stays, with them. */
    if (GetTempPathA(MAX_PATH, path))
        SetCurrentDirectoryA(path);
    RemoveDirectoryA(own);

    if (g_left[0]) {
        snprintf(message, sizeof message, "These could not be removed:\r\n\r\n%s", g_left);
        MessageBoxA(NULL, message, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return 2;
    }
    if (g_delayed[0])
        snprintf(message, sizeof message,
                 "Quorbelix has been removed. These go when Windows next starts:\r\n\r\n%s",
                 g_delayed);
    else
        snprintf(message, sizeof message, "Quorbelix has been removed.");
    MessageBoxA(NULL, message, kCaption, MB_OK | MB_ICONINFORMATION);
    return 0;
}
