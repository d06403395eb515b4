// krzexpand: expands the payload that this program carries (resource 129) into the folder
// given on its command line, through the installer's own expansion, so that the expansion
// can be driven from outside before the installer's dialog exists. Instead of showing a box,
// each message is printed on standard output as one line: caption|text|box type, with
// carriage returns and line feeds written as \r and \n. Exit code 0 on success, 1 when the
// expansion failed, 2 on misuse.
#include <windows.h>

#include <cstdio>

#include "AfxMessageBox.h"
#include "Expansion.h"
#include "InstallFiles.h"

namespace {

int PrintMessage(HWND, const char* text, const char* caption, UINT type) {
    std::printf("%s|", caption);
    for (const char* p = text; *p; ++p) {
        if (*p == '\r')
            std::fputs("\\r", stdout);
        else if (*p == '\n')
            std::fputs("\\n", stdout);
        else
            std::putchar(*p);
    }
    std::printf("|0x%02X\n", type);
    std::fflush(stdout);
    return IDOK;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: krzexpand <folder>\n");
        return 2;
    }
    AfxSetMessageBoxHook(PrintMessage);
    return app::ExpandPayload(argv[1]) ? 0 : 1;
}
