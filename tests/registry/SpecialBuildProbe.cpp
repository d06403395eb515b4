// Records an application path entry from a process whose own version resource the test chose:
//   probe.exe <install folder> <special-build text before the call>
#include "Registry.h"

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    CString specialBuild(argv[2]);
    registry::WriteAppPathEntry(argv[1], specialBuild);
    return 0;
}
