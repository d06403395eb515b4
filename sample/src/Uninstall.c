/* The application's uninstaller, as a small stand-in: after a confirmation it removes the
 * application's files from its own folder and says which could not be removed. Built by
 * sample/make-sample.sh. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

static const char* const kFiles[] = {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "KRZ.GID"};

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    char folder[MAX_PATH], path[MAX_PATH], report[1024] = "";
    DWORD n = GetModuleFileNameA(NULL, folder, MAX_PATH);
    size_t i;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    while (n > 0 && folder[n - 1] != '\\')
        --n;
    folder[n] = 0;
    if (MessageBoxA(NULL, "Remove Quorbelix from this computer?", "Uninstall Quorbelix",
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 0;
    for (i = 0; i < sizeof kFiles / sizeof kFiles[0]; ++i) {
        snprintf(path, sizeof path, "%s%s", folder, kFiles[i]);
        if (!DeleteFileA(path) && GetLastError() != ERROR_FILE_NOT_FOUND) {
            strncat(report, path, sizeof report - strlen(report) - 3);
            strcat(report, "\r\n");
        }
    }
    if (report[0])
        MessageBoxA(NULL, report, "These files could not be removed", MB_OK | MB_ICONEXCLAMATION);
    else
        MessageBoxA(NULL, "Quorbelix has been removed.", "Uninstall Quorbelix",
                    MB_OK | MB_ICONINFORMATION);
    return 0;
}
