// The program's entry point. Kept out of the framework library: only the executable links it.
#include "CWinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return AfxWinMain();
}
