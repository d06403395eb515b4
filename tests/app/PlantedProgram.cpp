// Stands in for a program that someone has put where the installer might start it by name:
// when it runs, it leaves the file "<its own path>.ran" and ends.
#include <windows.h>

int main() {
    char path[MAX_PATH + 8] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    lstrcatA(path, ".ran");
    const HANDLE marker =
        CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE)
        return 1;
    CloseHandle(marker);
    return 0;
}
