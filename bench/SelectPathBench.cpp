// Times the Select Path dialog on a folder holding many subfolders, driven from outside through
// the installer (tests/app's copy) as the scenarios drive it. Runs under Wine; see
// bench/selectpath.sh, which makes the folders on the host.
// Usage: selectpath_bench HOST-FOLDER [--runs N] [--installer PATH]
//   HOST-FOLDER holds Big\ with the subfolders; it is mapped to drive K: while the bench runs.
//   PATH is another build's krzsetup.exe, to compare two builds in the same conditions.
// Measured, each as the median of N runs:
//   open on Big     the dialog opened on K:\Big (Big selected, not listed): click to visible
//   expand Big      Big's first expansion (TVM_EXPAND; lists every subfolder): until it returns
//   open inside Big the dialog opened on a folder inside Big, so that opening lists Big
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "InstallerKeys.h"
#include "Timing.h"
#include "UiDriver.h"

namespace {

// The installer under test: tests/app's copy unless --installer names another.
std::string installer;

// One installer process with its main dialog, on `installFolder`.
struct Session {
    explicit Session(const std::string& installFolder) {
        ui::SetRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path", installFolder);
        setup = std::make_unique<ui::Process>(installer, "", "", std::initializer_list<int>{IDYES});
        main = setup->WaitForDialog("Setup Quorbelix");
        setup->WaitForMessageBox();
    }
    ~Session() {
        main.Item(IDCANCEL).Click();
        setup->WaitForExit();
    }

    // Clicks the browse button; returns the milliseconds until the dialog shows.
    double Browse() {
        ui::Window browse;
        for (const ui::Window& child : main.Children()) {
            if (child.Id() == 1000 && child.Visible())
                browse = child;
        }
        const double start = bench::Now();
        browse.Click();
        pick = setup->WaitForDialog("Setup Folder", 600000);
        return bench::Now() - start;
    }

    void Cancel() {
        pick.Item(IDCANCEL).Click();
        pick.WaitUntilGone();
    }

    std::unique_ptr<ui::Process> setup;
    ui::Window main, pick;
};

} // namespace

int main(int argc, char** argv) {
    int runs = 3;
    installer = ui::ProgramFolder() + "..\\app\\krzsetup.exe";
    bool usage = argc < 2 || argc % 2 != 0;
    for (int i = 2; !usage && i < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--runs")
            runs = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--installer")
            installer = argv[i + 1];
        else
            usage = true;
    }
    if (usage) {
        std::fprintf(stderr, "usage: selectpath_bench HOST-FOLDER [--runs N] [--installer PATH]\n");
        return 2;
    }
    try {
        const ui::ScopedWineDrive drive('K', argv[1], DRIVE_FIXED);
        std::vector<std::string> subfolders;
        WIN32_FIND_DATAA entry;
        const HANDLE find = FindFirstFileA("K:\\Big\\*.*", &entry);
        if (find == INVALID_HANDLE_VALUE) {
            std::fprintf(stderr, "no folder K:\\Big (%s/Big)\n", argv[1]);
            return 1;
        }
        do {
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != '.')
                subfolders.push_back(entry.cFileName);
        } while (FindNextFileA(find, &entry));
        FindClose(find);
        std::sort(subfolders.begin(), subfolders.end());

        std::vector<double> open, expand, openInside;
        for (int run = 0; run < runs; ++run) {
            {
                Session session("K:\\Big");
                open.push_back(session.Browse());
                const ui::TreeView tree(session.pick.Item(1013));
                const HTREEITEM big = tree.Get("K:\\Big");
                // TVM_EXPAND returns once the dialog's handler has listed Big.
                DWORD_PTR result = 0;
                const double start = bench::Now();
                if (!SendMessageTimeoutA(tree.Control().Handle(), TVM_EXPAND, TVE_EXPAND,
                                         reinterpret_cast<LPARAM>(big), SMTO_BLOCK, 600000,
                                         &result)) {
                    std::fprintf(stderr, "the expansion got no answer\n");
                    return 1;
                }
                expand.push_back(bench::Now() - start);
                const size_t listed = tree.ChildrenOf(big).size();
                if (listed != subfolders.size()) {
                    std::fprintf(stderr, "listed %zu of %zu subfolders\n", listed,
                                 subfolders.size());
                    return 1;
                }
                session.Cancel();
            }
            {
                Session session("K:\\Big\\" + subfolders[subfolders.size() / 2]);
                openInside.push_back(session.Browse());
                session.Cancel();
            }
        }
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
        std::printf("%zu subfolders in K:\\Big; median of %d runs, milliseconds\n",
                    subfolders.size(), runs);
        std::printf("%-18s %10.1f\n", "open on Big", bench::Summarise(open).median);
        std::printf("%-18s %10.1f\n", "expand Big", bench::Summarise(expand).median);
        std::printf("%-18s %10.1f\n", "open inside Big", bench::Summarise(openInside).median);
    } catch (const ui::Failure& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
