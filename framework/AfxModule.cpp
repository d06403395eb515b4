#include "AfxModule.h"

#include <windows.h>

CString AfxGetModuleFileName() {
    // Room for the longest path of the NT family, 32,767 characters of up to two bytes each in
    // a double-byte code page. It lies in the image's zero-filled data: only the pages that a
    // name reaches are ever committed.
    static char path[0x10000];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, sizeof path);
    // A name that does not fit is cut: Windows 2000 and later then return the buffer's size (XP
    // with no NUL and no error, later ones with ERROR_INSUFFICIENT_BUFFER), and a system that
    // cuts a double-byte name between two characters may return one less. So only a name that
    // leaves two bytes unused is taken as whole.
    return n + 1 < sizeof path ? CString(path, int(n)) : CString();
}
