// Takes the README's picture of the Select Path dialog (docs/select-path-screenshot.sh runs it):
// starts the installer, opens the dialog with the browse button, saves the dialog as a BMP file
// once it has settled, and closes both dialogs.
// Usage: selectpath_shot KRZSETUP.EXE PICTURE.BMP   (Windows paths)
#include <cstdio>

#include "UiDriver.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: selectpath_shot KRZSETUP.EXE PICTURE.BMP\n");
        return 2;
    }
    try {
        ui::Process setup(argv[1]);
        const ui::Window main = setup.WaitForDialog("Setup Quorbelix");
        for (const ui::Window& child : main.Children()) {
            if (child.Id() == 1000 && child.Visible())
                child.Click();
        }
        const ui::Window pick = setup.WaitForDialog("Setup Folder");
        ui::SaveScreenshot(pick, argv[2]);
        pick.Item(IDCANCEL).Click();
        pick.WaitUntilGone();
        main.Item(IDCANCEL).Click();
        setup.WaitForExit();
    } catch (const ui::Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
