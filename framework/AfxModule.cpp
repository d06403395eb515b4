#include "AfxModule.h"

#include <windows.h>

CString AfxGetModuleFileName(bool* complete) {
    // Older systems leave a path that fills the buffer without its NUL.
    char path[MAX_PATH + 1] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (complete)
        *complete = n < MAX_PATH;
    return CString(path, n < MAX_PATH ? int(n) : MAX_PATH);
}
