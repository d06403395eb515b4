// Walks a user's installation through on a virtual display, for scripts/run.sh: starts the
// installer, says yes to the reinstall question if a previous installation is recorded, accepts
// the proposed folder and presses OK, then closes the finished dialog. Saves a picture of the
// dialog when it is ready and when it is finished.
// Usage: install_walkthrough <krzsetup.exe> <ready.bmp> <finished.bmp>
#include "InstallerKeys.h"
#include "UiDriver.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int Walk(const std::string& exe, const std::string& ready, const std::string& finished) {
    const bool previous =
        ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path").has_value();
    ui::Process setup(exe, "", "", {});
    if (previous)
        setup.Answer(IDYES);
    const ui::Window dialog = setup.WaitForDialog("Setup Quorbelix");
    for (const ui::MessageBoxRecord& box : setup.MessageBoxes())
        std::printf("walkthrough: answered %s\n", box.Describe().c_str());
    std::printf("walkthrough: installing into %s\n", dialog.Item(1001).Text().c_str());
    ui::SaveScreenshot(dialog, ready);

    // Any box from here on is a failure of the run; the driver answers it with OK.
    const size_t asked = setup.MessageBoxes().size();
    dialog.Item(IDOK).Click();
    const ui::Window close = dialog.Item(IDCANCEL);
    ui::WaitUntil([&] { return close.Text() == "Close" || setup.MessageBoxes().size() > asked; },
                  60000);
    if (close.Text() != "Close") {
        const std::vector<ui::MessageBoxRecord> boxes = setup.MessageBoxes();
        for (size_t i = asked; i < boxes.size(); ++i)
            std::fprintf(stderr, "walkthrough: the installer said %s\n",
                         boxes[i].Describe().c_str());
        std::fprintf(stderr, "walkthrough: the installation did not finish\n");
        return 1;
    }
    ui::SaveScreenshot(dialog, finished);
    close.Click();
    return setup.WaitForExit() == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: install_walkthrough <krzsetup.exe> <ready.bmp> "
                             "<finished.bmp>\n");
        return 2;
    }
    try {
        return Walk(argv[1], argv[2], argv[3]);
    } catch (const ui::Failure& failure) {
        std::fprintf(stderr, "walkthrough: %s\n", failure.what());
        return 1;
    }
}
