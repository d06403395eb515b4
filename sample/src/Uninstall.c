/* The application's uninstaller, as a small stand-in. It undoes what the installer did and
 * nothing else: after a confirmation it removes the four installed files (itself last), the
 * installer's temporary file if one was left, the two KRZ.lnk shortcuts that start this
 * installation's KRZ.exe (found through the user's shell folders, as the installer found
 * them), the application path entry and the uninstall entry that record this folder, and the
 * folder itself when nothing else is left in it. It then says what it could not remove.
 * It refuses to remove anything unless the registry records its own folder as the
 * installation's folder: a copy elsewhere must not remove an installation it does not belong to.
 * On 64-bit Windows the registry has two views, and the installer of each architecture writes
 * to its own; the same uninstaller may have been installed by either, so it looks in both.
 *
 * It runs elevated in a folder that others may write to, so it trusts nothing there. On the NT
 * family the folder is held open from before the question to the end, so that it cannot be
 * swapped for a link to another folder meanwhile; a folder that is itself a link is refused.
 * It is held without delete access, which no folder grants while it is some program's current
 * folder; the folder is opened for its removal only at the end, and then left, and named, when
 * another program still has it open.
 * A name in it is removed by first renaming a file of its own over it (a rename replaces a
 * link itself, where deleting a link may delete what it points to), then deleting that file.
 *
 * A running program cannot delete its own file. It moves the file into the temporary folder
 * instead (allowed while it runs, when that folder is on the same drive) and has the system
 * delete it there when Windows next starts; on another drive, the file and the folder are
 * only marked for deletion at the next start.
 *
 * Exit status: 0 when everything was removed, 1 when nothing was (declined, refused), 2 when
 * something could not be removed. Built by sample/make-sample.sh, and by the Windows build for
 * its own architecture, without the C run-time library: it imports only what Windows 95 and
 * NT 4.0 have. */
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <stdarg.h>

#define KEY_APP_PATH "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KRZ.EXE"
#define KEY_UNINSTALL "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorbelix"
#define KEY_SHELL_FOLDERS "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders"

static const char kCaption[] = "Uninstall Quorbelix";
static const char* const kFiles[] = {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "krz.tmp"};

/* The shell link object and its interfaces, here rather than from the uuid library, whose
 * every other identifier would come along. */
static const CLSID kShellLink = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID kShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
static const IID kPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

static char g_left[4096];    /* what could not be removed, one line each */
static char g_delayed[2048]; /* what the system removes when Windows next starts */
static char g_message[8192];
static int g_nt;                             /* the NT family: links, and renames over a name */
static HANDLE g_hold = INVALID_HANDLE_VALUE; /* the folder, held open on the NT family */
static REGSAM g_views[2]; /* the registry views: the program's own (0), and another's */
static int g_viewCount;

/* Appends the texts, up to a null pointer, to the string in `buffer` when they all fit;
 * otherwise leaves it as it was. */
static void Append(char* buffer, int size, ...) {
    va_list texts;
    const char* text;
    int length = lstrlenA(buffer);
    va_start(texts, size);
    while ((text = va_arg(texts, const char*)) != NULL)
        length += lstrlenA(text);
    va_end(texts);
    if (length >= size)
        return;
    va_start(texts, size);
    while ((text = va_arg(texts, const char*)) != NULL)
        lstrcatA(buffer, text);
    va_end(texts);
}

static void Note(char* list, int size, const char* what) {
    Append(list, size, what, "\r\n", (const char*)NULL);
}

/* The last backslash of `path`, or a null pointer. */
static char* LastBackslash(char* path) {
    char* last = 0;
    for (; *path; path = CharNextA(path))
        if (*path == '\\')
            last = path;
    return last;
}

/* `folder` and `name` joined by one backslash (a drive root has its own) into `path` of
 * MAX_PATH characters. Returns 0 when that does not fit. */
static int Join(char* path, const char* folder, const char* name) {
    const int length = lstrlenA(folder);
    const int root = length == 3 && folder[1] == ':';
    if (length + lstrlenA(name) + 2 > MAX_PATH)
        return 0;
    lstrcpyA(path, folder);
    if (!root)
        lstrcatA(path, "\\");
    lstrcatA(path, name);
    return 1;
}

/* A function of a system library that older systems may lack, or a null pointer. */
static FARPROC Lookup(const char* library, const char* name) {
    const HMODULE module = GetModuleHandleA(library);
    return module ? GetProcAddress(module, name) : NULL;
}

/* The registry views to look in: the program's own and, on 64-bit Windows, the other
 * architecture's (looked up at run time: IsWow64Process is missing before XP SP2, and a system
 * without it has one view). */
static void FindViews(void) {
    g_views[g_viewCount++] = 0;
#ifdef _WIN64
    g_views[g_viewCount++] = KEY_WOW64_32KEY;
#else
    {
        typedef BOOL(WINAPI * IsWow64)(HANDLE, BOOL*);
        const IsWow64 isWow64 = (IsWow64)(void (*)(void))Lookup("kernel32.dll", "IsWow64Process");
        BOOL wow64 = FALSE;
        if (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64)
            g_views[g_viewCount++] = KEY_WOW64_64KEY;
    }
#endif
}

/* A REG_SZ value of HKLM or HKCU in registry `view` (0: the program's own), or "" when the key
 * or the value is missing. */
static void ReadString(HKEY root, REGSAM view, const char* key, const char* name, char* text,
                       DWORD size) {
    HKEY h;
    DWORD type = 0;
    text[0] = 0;
    if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | view, &h) != ERROR_SUCCESS)
        return;
    if (RegQueryValueExA(h, name, NULL, &type, (BYTE*)text, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0)
        text[0] = 0;
    else
        text[size - 1] = 0;
    RegCloseKey(h);
}

/* A full path in its long spelling, each name as its folder lists it: a short name such as
 * PROG~FBU becomes the name it stands for. Returns 0 when a part does not exist. */
static int LongSpelling(const char* full, char* out) {
    WIN32_FIND_DATAA found;
    HANDLE find;
    const char* part = full;
    int length = 0, i;
    /* The root stays as it is: "C:\" or "\\server\share\". */
    if (full[0] && full[1] == ':' && full[2] == '\\') {
        part = full + 3;
    } else if (full[0] == '\\' && full[1] == '\\') {
        for (i = 0, part = full + 2; *part && i < 2; part = CharNextA(part))
            i += *part == '\\';
    } else {
        return 0;
    }
    lstrcpynA(out, full, (int)(part - full) + 1);
    length = (int)(part - full);
    while (*part) {
        const char* end = part;
        while (*end && *end != '\\')
            end = CharNextA(end);
        if (length + (end - part) + 1 >= MAX_PATH)
            return 0;
        lstrcpynA(out + length, part, (int)(end - part) + 1);
        for (i = length; out[i]; ++i)
            if (out[i] == '*' || out[i] == '?')
                return 0;
        find = FindFirstFileA(out, &found);
        if (find == INVALID_HANDLE_VALUE)
            return 0;
        FindClose(find);
        if (length + lstrlenA(found.cFileName) + 2 >= MAX_PATH)
            return 0;
        lstrcpyA(out + length, found.cFileName);
        length += lstrlenA(found.cFileName);
        if (*end) {
            lstrcpyA(out + length++, "\\");
            ++end;
        }
        part = end;
    }
    return 1;
}

/* The folder as one spelling: full, long names, no trailing backslash (a drive root keeps its
 * own). Returns 0 when the folder does not exist. */
static int Canonical(const char* folder, char* out) {
    char full[MAX_PATH], root[4];
    DWORD n;
    if (lstrlenA(folder) == 2 && folder[1] == ':') { /* a drive root recorded as "E:" */
        root[0] = folder[0];
        lstrcpyA(root + 1, ":\\");
        folder = root;
    }
    if (!folder[0])
        return 0;
    n = GetFullPathNameA(folder, MAX_PATH, full, NULL);
    if (n == 0 || n >= MAX_PATH || !LongSpelling(full, out))
        return 0;
    n = (DWORD)lstrlenA(out);
    if (n > 3 && out[n - 1] == '\\')
        out[n - 1] = 0;
    return 1;
}

/* The folder that an entry of registry `view` records: "Path" of the application path entry,
 * or the folder of the uninstall entry's command (which is quoted when it holds a blank). */
static int RecordedFolder(int uninstallEntry, REGSAM view, char* folder) {
    char text[MAX_PATH + 2], *p = text, *slash;
    if (!uninstallEntry) {
        ReadString(HKEY_LOCAL_MACHINE, view, KEY_APP_PATH, "Path", text, sizeof text);
        return Canonical(text, folder);
    }
    ReadString(HKEY_LOCAL_MACHINE, view, KEY_UNINSTALL, "UninstallString", text, sizeof text);
    if (*p == '"') {
        char* q = ++p;
        while (*q && *q != '"')
            q = CharNextA(q);
        *q = 0;
    }
    slash = LastBackslash(p);
    if (!slash || lstrcmpiA(slash + 1, "Uninstall.exe") != 0)
        return 0;
    *slash = 0;
    return Canonical(p, folder);
}

/* Whether the shortcut starts KRZ.exe in `folder`, however the shortcut spells that folder. */
static int StartsOurProgram(const char* link, const char* folder) {
    IShellLinkA* shell = NULL;
    IPersistFile* persist = NULL;
    WCHAR wide[MAX_PATH];
    char path[MAX_PATH], spelled[MAX_PATH], *slash;
    int same = 0;
    path[0] = 0;
    if (FAILED(CoCreateInstance(&kShellLink, NULL, CLSCTX_INPROC_SERVER, &kShellLinkA,
                                (void**)&shell)))
        return 0;
    if (SUCCEEDED(shell->lpVtbl->QueryInterface(shell, &kPersistFile, (void**)&persist)) &&
        MultiByteToWideChar(CP_ACP, 0, link, -1, wide, MAX_PATH) &&
        SUCCEEDED(persist->lpVtbl->Load(persist, wide, STGM_READ)) &&
        SUCCEEDED(shell->lpVtbl->GetPath(shell, path, MAX_PATH, NULL, SLGP_RAWPATH)) &&
        (slash = LastBackslash(path)) != NULL && lstrcmpiA(slash + 1, "KRZ.exe") == 0) {
        *slash = 0;
        same = Canonical(path, spelled) && lstrcmpiA(spelled, folder) == 0;
    }
    if (persist)
        persist->lpVtbl->Release(persist);
    shell->lpVtbl->Release(shell);
    return same;
}

/* Removes the file that `folder`\`name` names, never what it points to. On the NT family a new
 * file of this program's own is renamed over it first (replacing a link itself, detaching a
 * hard link), and that file is deleted; the 95/98 family has no links. A read-only file is
 * left, as Windows leaves it. */
static void RemoveFile(const char* folder, const char* name) {
    char path[MAX_PATH], own[MAX_PATH];
    DWORD attributes;
    if (!Join(path, folder, name)) {
        Note(g_left, sizeof g_left, name);
        return;
    }
    attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) {
        Note(g_left, sizeof g_left, path);
        return;
    }
    if (g_nt) {
        if (!GetTempFileNameA(folder, "krz", 0, own)) {
            Note(g_left, sizeof g_left, path);
            return;
        }
        if (!MoveFileExA(own, path, MOVEFILE_REPLACE_EXISTING)) {
            DeleteFileA(own);
            Note(g_left, sizeof g_left, path);
            return;
        }
    }
    if (!DeleteFileA(path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        Note(g_left, sizeof g_left, path);
}

static void RemoveShortcut(const char* place, const char* folder) {
    char dir[MAX_PATH], link[MAX_PATH];
    ReadString(HKEY_CURRENT_USER, 0, KEY_SHELL_FOLDERS, place, dir, sizeof dir);
    /* A KRZ.lnk that starts something else is not this installation's. */
    if (dir[0] && Join(link, dir, "KRZ.lnk") &&
        GetFileAttributesA(link) != INVALID_FILE_ATTRIBUTES && StartsOurProgram(link, folder))
        RemoveFile(dir, "KRZ.lnk");
}

/* Deletes `key` of HKLM in registry `view`. Another view than the program's own is there only
 * on 64-bit Windows, which has RegDeleteKeyExA (XP x64 and later); without it the key stays,
 * and is named. (Wine shows some keys in both views: the second deletion finds nothing.) */
static void RemoveKey(const char* key, REGSAM view) {
    typedef LONG(WINAPI * DeleteKeyEx)(HKEY, const char*, REGSAM, DWORD);
    const DeleteKeyEx deleteKeyEx =
        view ? (DeleteKeyEx)(void (*)(void))Lookup("advapi32.dll", "RegDeleteKeyExA") : NULL;
    const LONG status = !view         ? RegDeleteKeyA(HKEY_LOCAL_MACHINE, key)
                        : deleteKeyEx ? deleteKeyEx(HKEY_LOCAL_MACHINE, key, view, 0)
                                      : ERROR_CALL_NOT_IMPLEMENTED;
    char line[300];
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) {
        line[0] = 0;
        Append(line, sizeof line, "HKEY_LOCAL_MACHINE\\", key,
               view == KEY_WOW64_64KEY   ? " (64-bit view)"
               : view == KEY_WOW64_32KEY ? " (32-bit view)"
                                         : "",
               (const char*)NULL);
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
        /* Removed then only if it is empty by then; a drive root stays. */
        if (lstrlenA(folder) > 3 && MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
            Note(g_delayed, sizeof g_delayed, folder);
    } else {
        Note(g_left, sizeof g_left, self);
    }
}

/* Whether two handles' information names one file: the same volume and file index. */
static int SameFile(const BY_HANDLE_FILE_INFORMATION* a, const BY_HANDLE_FILE_INFORMATION* b) {
    return a->dwVolumeSerialNumber == b->dwVolumeSerialNumber &&
           a->nFileIndexHigh == b->nFileIndexHigh && a->nFileIndexLow == b->nFileIndexLow;
}

/* On the NT family, holds the folder open, sharing all but deletion, so that no other program
 * can rename it (or a folder above it) and put a link in its place. It asks for read access
 * (a handle with no access to the data, only to the attributes, would keep nobody out) but not
 * for delete access: a folder that is some program's current folder is open without delete
 * sharing, and grants no handle delete access. Returns 0 for a folder that cannot be held,
 * that is a link to another place, or whose name no longer opens the folder held. A drive root
 * cannot be moved and is not held. */
static int HoldFolder(const char* folder) {
    BY_HANDLE_FILE_INFORMATION held, named;
    HANDLE again;
    DWORD attributes;
    int same = 0;
    if (!g_nt || lstrlenA(folder) <= 3)
        return 1;
    g_hold = CreateFileA(folder, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    attributes = GetFileAttributesA(folder);
    if (g_hold == INVALID_HANDLE_VALUE || attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return 0;
    again = CreateFileA(folder, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (again == INVALID_HANDLE_VALUE)
        return 0;
    same = GetFileInformationByHandle(g_hold, &held) && GetFileInformationByHandle(again, &named) &&
           SameFile(&held, &named) && (held.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(again);
    return same;
}

/* Notes the folder as left, and why. */
static void LeaveFolder(const char* folder, const char* why) {
    char line[MAX_PATH + 100];
    line[0] = 0;
    Append(line, sizeof line, folder, why, (const char*)NULL);
    Note(g_left, sizeof g_left, line);
}

/* The folder goes if it is empty; a folder that still holds files stays, with them. A held
 * folder is removed through a handle (NT's FileDispositionInformation, looked up in ntdll.dll),
 * never by its name. That handle asks for delete access, which the hold does not share: so the
 * hold ends first, and the folder that the name then opens is removed only when it is the one
 * held. Another program that has it open (as its current folder, for one) keeps it there. */
static void RemoveFolder(const char* folder) {
    typedef LONG(WINAPI * SetInformationFile)(HANDLE, void*, void*, ULONG, int);
    const SetInformationFile set =
        (SetInformationFile)(void (*)(void))Lookup("ntdll.dll", "NtSetInformationFile");
    BY_HANDLE_FILE_INFORMATION held, named;
    ULONG_PTR io[2]; /* an IO_STATUS_BLOCK */
    BOOLEAN remove = TRUE;
    HANDLE doomed;
    LONG status;
    int known;
    if (g_hold == INVALID_HANDLE_VALUE || !set) {
        if (g_hold != INVALID_HANDLE_VALUE)
            CloseHandle(g_hold);
        g_hold = INVALID_HANDLE_VALUE;
        RemoveDirectoryA(folder);
        return;
    }
    known = GetFileInformationByHandle(g_hold, &held);
    CloseHandle(g_hold);
    g_hold = INVALID_HANDLE_VALUE;
    doomed = CreateFileA(folder, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (doomed == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_SHARING_VIOLATION)
            LeaveFolder(folder, " (the folder: another program is using it)");
        else if (GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES)
            LeaveFolder(folder, " (the folder: it cannot be opened for removal)");
        return;
    }
    if (!known || !GetFileInformationByHandle(doomed, &named) || !SameFile(&held, &named)) {
        LeaveFolder(folder, " (the folder: its name now opens another one)");
    } else {
        status = set(doomed, io, &remove, sizeof remove, 13 /* FileDispositionInformation */);
        if (status != 0 && status != (LONG)0xC0000101 /* STATUS_DIRECTORY_NOT_EMPTY */)
            LeaveFolder(folder, " (the folder: it cannot be removed)");
    }
    CloseHandle(doomed);
}

static int Uninstall(void) {
    char self[MAX_PATH], own[MAX_PATH], recorded[MAX_PATH], temp[MAX_PATH];
    char* slash;
    int records[2][2], i, v, any = 0;
    const DWORD n = GetModuleFileNameA(NULL, self, MAX_PATH);
    g_nt = !(GetVersion() & 0x80000000);
    FindViews();
    if (n == 0 || n >= MAX_PATH || !(slash = LastBackslash(self)))
        return 1;
    *slash = 0;
    if (!Canonical(self, own))
        return 1;
    *slash = '\\';

    for (v = 0; v < g_viewCount; ++v)
        for (i = 0; i < 2; ++i) {
            records[v][i] =
                RecordedFolder(i, g_views[v], recorded) && lstrcmpiA(recorded, own) == 0;
            any |= records[v][i];
        }
    if (!any) {
        Append(g_message, sizeof g_message, "Quorbelix is not recorded as installed in\r\n", own,
               "\r\n\r\nNothing was removed.", (const char*)NULL);
        MessageBoxA(NULL, g_message, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    /* A process's current folder is held open without delete sharing: started in the
     * installation folder, as the system may start it, it would hold the folder itself and
     * could neither hold it as below nor remove it. */
    if (GetTempPathA(MAX_PATH, temp))
        SetCurrentDirectoryA(temp);
    if (!HoldFolder(own)) {
        Append(g_message, sizeof g_message, "Quorbelix cannot be removed from\r\n", own,
               "\r\n\r\nThe folder is a link to another place, or another program holds it."
               "\r\n\r\nNothing was removed.",
               (const char*)NULL);
        MessageBoxA(NULL, g_message, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    Append(g_message, sizeof g_message, "Remove Quorbelix from this computer?\r\n\r\n", own,
           (const char*)NULL);
    if (MessageBoxA(NULL, g_message, kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;

    for (i = 0; i < 4; ++i)
        RemoveFile(own, kFiles[i]);
    if (SUCCEEDED(CoInitialize(NULL))) {
        RemoveShortcut("Desktop", own);
        RemoveShortcut("Programs", own);
        CoUninitialize();
    }
    /* Each entry only when it records this folder, in each view. */
    for (v = 0; v < g_viewCount; ++v) {
        if (records[v][0])
            RemoveKey(KEY_APP_PATH, g_views[v]);
        if (records[v][1])
            RemoveKey(KEY_UNINSTALL, g_views[v]);
    }
    RemoveSelf(self, own);
    RemoveFolder(own);

    g_message[0] = 0;
    if (g_left[0]) {
        Append(g_message, sizeof g_message, "These could not be removed:\r\n\r\n", g_left,
               (const char*)NULL);
        MessageBoxA(NULL, g_message, kCaption, MB_OK | MB_ICONEXCLAMATION);
        return 2;
    }
    if (g_delayed[0])
        Append(g_message, sizeof g_message,
               "Quorbelix has been removed. These go when Windows next starts:\r\n\r\n", g_delayed,
               (const char*)NULL);
    else
        Append(g_message, sizeof g_message, "Quorbelix has been removed.", (const char*)NULL);
    MessageBoxA(NULL, g_message, kCaption, MB_OK | MB_ICONINFORMATION);
    return 0;
}

/* The entry point: no C run-time start-up, nothing of it is used. */
__attribute__((force_align_arg_pointer)) void WinMainCRTStartup(void) {
    ExitProcess((UINT)Uninstall());
}
