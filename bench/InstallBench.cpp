// Times whole installations under Wine: krzsetup.exe runs as its own process, the UI driver
// types a fresh folder into the path edit and presses OK, and the clock stops when Cancel
// reads "Close". The installer answers no message while its run works, so that reading comes
// once the run has returned: files, shortcuts and registry entries included. Each run installs
// a second time with empty shell folder values, so without shortcuts, to show their share (the
// shell link object is loaded anew in every installer process). The baseline copies
// the four installed files into a fresh folder with CopyFileA in the same prefix. Asserts
// nothing; see bench/install.sh.
// Usage: install_bench <krzsetup.exe> [runs]
#include "InstallerKeys.h"
#include "PayloadLayout.h"
#include "Timing.h"
#include "UiDriver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// One installation into `folder`: milliseconds from the click on OK to "Close". Without
// `shortcuts` the shell folder values are empty, so the installer makes no shortcut.
double TimeInstallation(const std::string& exe, const ui::ScratchFolder& scratch,
                        const std::string& folder, bool shortcuts) {
    ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
    ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kUninstallEntry);
    ui::Process setup(exe, "", scratch.Path());
    const ui::Window dialog = setup.WaitForDialog("Setup Quorbelix");
    // Empty values, once Wine's desktop process has started (it would write them anew).
    std::optional<ui::ScopedRegistryValue> desktop, programs;
    if (!shortcuts) {
        desktop.emplace(HKEY_CURRENT_USER, keys::kShellFolders, "Desktop", "");
        programs.emplace(HKEY_CURRENT_USER, keys::kShellFolders, "Programs", "");
    }
    dialog.Item(1001).SetText(folder);
    const ui::Window ok = dialog.Item(IDOK);
    const ui::Window close = dialog.Item(IDCANCEL);
    const double start = bench::Now();
    ok.Click();
    while (close.Text() != "Close") {
        if (!setup.MessageBoxes().empty())
            ui::Fail({}, "the installer said " + setup.MessageBoxes()[0].Describe());
        Sleep(1);
    }
    const double elapsed = bench::Now() - start;
    close.Click();
    setup.WaitForExit();
    return elapsed;
}

int Bench(const std::string& exe, int runs) {
    ui::ScratchFolder scratch;
    ui::CreateFolders(scratch / "Desktop");
    ui::CreateFolders(scratch / "Programs");
    // The shortcuts go to the scratch folder. Wine writes "Shell Folders" anew from "User Shell
    // Folders" whenever a program asks the shell for a folder: both point there.
    std::vector<std::unique_ptr<ui::ScopedRegistryValue>> folders;
    for (const char* key : {keys::kShellFolders, keys::kUserShellFolders})
        for (const char* name : {"Desktop", "Programs"})
            folders.push_back(std::make_unique<ui::ScopedRegistryValue>(HKEY_CURRENT_USER, key,
                                                                        name, scratch / name));

    std::vector<double> install, bare, copy;
    for (int i = 0; i < runs; ++i) {
        const std::string folder = scratch / ("installed" + std::to_string(i));
        install.push_back(TimeInstallation(exe, scratch, folder, true));
        bare.push_back(
            TimeInstallation(exe, scratch, scratch / ("bare" + std::to_string(i)), false));

        const std::string copied = scratch / ("copied" + std::to_string(i));
        const double start = bench::Now();
        CreateDirectoryA(copied.c_str(), nullptr);
        for (const char* name : payload::kFileList) {
            if (!CopyFileA((folder + "\\" + name).c_str(), (copied + "\\" + name).c_str(), TRUE))
                ui::Fail({}, std::string("cannot copy ") + name);
        }
        copy.push_back(bench::Now() - start);
    }
    ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
    ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kUninstallEntry);

    unsigned long long bytes = 0;
    for (const char* name : payload::kFileList)
        bytes += ui::ReadFileBytes(scratch / ("installed0\\" + std::string(name))).size();
    const bench::Summary a = bench::Summarise(install), n = bench::Summarise(bare),
                         b = bench::Summarise(copy);
    std::printf("%d runs, %llu bytes in four files; milliseconds: median (lowest-highest)\n", runs,
                bytes);
    std::printf("installation, OK to Close    %8.2f (%.2f-%.2f)\n", a.median, a.low, a.high);
    std::printf("  the same without shortcuts %8.2f (%.2f-%.2f)\n", n.median, n.low, n.high);
    std::printf("CopyFileA of the four files  %8.2f (%.2f-%.2f)\n", b.median, b.low, b.high);
    std::printf("ratio of the medians         %8.1fx\n", a.median / b.median);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: install_bench <krzsetup.exe> [runs]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    try {
        return Bench(argv[1], runs);
    } catch (const ui::Failure& failure) {
        std::fprintf(stderr, "install_bench: %s\n", failure.what());
        return 1;
    }
}
