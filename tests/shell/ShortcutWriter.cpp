// Writes one shortcut for the lnkinfo check: creates the target file and the folders,
// then calls CreateShortcut.
//   shortcut_writer.exe <target> <link file> <description>
#include "Shortcut.h"

#include <objbase.h>

#include <cstdio>

namespace {

// Creates every folder on the way to `path`'s own folder.
void CreateFoldersFor(const char* path) {
    const CString text(path);
    for (int slash = text.Find('\\', 3); slash >= 0; slash = text.Find('\\', slash + 1))
        CreateDirectoryA(text.Left(slash), nullptr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        return 2;
    CreateFoldersFor(argv[1]);
    CreateFoldersFor(argv[2]);
    HANDLE file = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 3;
    CloseHandle(file);
    CoInitialize(nullptr);
    const HRESULT status = shell::CreateShortcut(argv[1], argv[2], argv[3]);
    CoUninitialize();
    std::printf("CreateShortcut: 0x%08lx\n", static_cast<unsigned long>(status));
    return FAILED(status) ? 1 : 0;
}
