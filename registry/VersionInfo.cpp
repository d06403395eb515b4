// The version-information functions, bound at run time to the system directory's version.dll
// (framework/SystemLibraries.h), so that a version.dll in the installer's folder is never loaded.
#include <windows.h>

#include <winver.h>

#include "SystemLibraries.h"

AFX_BIND_SYSTEM_FUNCTION("version.dll", DWORD, GetFileVersionInfoSizeA,
                         (LPCSTR path, LPDWORD handle), (path, handle), 0)
AFX_BIND_SYSTEM_FUNCTION("version.dll", WINBOOL, GetFileVersionInfoA,
                         (LPCSTR path, DWORD handle, DWORD size, LPVOID data),
                         (path, handle, size, data), FALSE)
AFX_BIND_SYSTEM_FUNCTION("version.dll", WINBOOL, VerQueryValueA,
                         (LPCVOID block, LPCSTR sub, LPVOID* value, PUINT length),
                         (block, sub, value, length), FALSE)
