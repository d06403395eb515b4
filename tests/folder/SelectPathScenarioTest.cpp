// The Select Path dialog as a user meets it: the installer runs as its own process, its browse
// button opens the dialog, and the UI driver reads the folder tree across the process boundary.
// Each scenario records its starting folder as a previous installation's folder (the installer's
// question answered with Yes), so that it becomes the main dialog's install folder. Drives come
// from Wine's mount manager: a removable drive whose host folder is missing has no medium.
#include <gtest/gtest.h>

#include "UiDriver.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

const char kAppPathEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\KRZ.EXE";
const char kUninstallEntry[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorbelix";
const char kNoDisk[] = "/nonexistent/krz-floppy";

std::string ProgramFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string program(path);
    return program.substr(0, program.rfind('\\') + 1);
}

std::vector<std::string> Texts(const std::vector<ui::TreeItem>& items) {
    std::vector<std::string> texts;
    for (const ui::TreeItem& item : items)
        texts.push_back(item.text);
    return texts;
}

// Folders made for one scenario on a drive the tests do not own: the first of them that did not
// exist is removed again with everything below it.
class MadeFolders {
public:
    explicit MadeFolders(const std::string& path) {
        for (size_t at = path.find('\\', 3);; at = path.find('\\', at + 1)) {
            const std::string part = path.substr(0, at);
            if (!ui::PathExists(part)) {
                top_ = part;
                break;
            }
            if (at == std::string::npos)
                break;
        }
        ui::CreateFolders(path);
    }
    ~MadeFolders() {
        if (!top_.empty())
            ui::RemoveTree(top_);
    }
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;

private:
    std::string top_;
};

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
    ASSERT_EQ(GetFileAttributesA(path.c_str()), attributes) << path;
}

class SelectPath : public ::testing::Test {
protected:
    void SetUp() override {
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kAppPathEntry);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kUninstallEntry);
    }
    void TearDown() override {
        setup_.reset();
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kAppPathEntry);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, kUninstallEntry);
    }

    // Starts the installer (tests/app's copy) with `installFolder` as its install folder.
    void Start(const std::string& installFolder) {
        ui::SetRegistryString(HKEY_LOCAL_MACHINE, kAppPathEntry, "Path", installFolder);
        setup_ = std::make_unique<ui::Process>(ProgramFolder() + "..\\app\\krzsetup.exe", "",
                                               scratch_.Path(), std::initializer_list<int>{IDYES});
        main_ = setup_->WaitForDialog("Setup Quorbelix");
        setup_->WaitForMessageBox();
        ASSERT_EQ(main_.Item(1001).Text(), installFolder);
    }

    // Clicks the browse button (made over the hidden placeholder of the same id) and waits for
    // the Select Path dialog.
    void Browse() {
        for (const ui::Window& child : main_.Children()) {
            if (child.Id() == 1000 && child.Visible())
                child.Click();
        }
        pick_ = setup_->WaitForDialog("Setup Folder");
        tree_ = std::make_unique<ui::TreeView>(pick_.Item(1013));
    }

    // Ends the Select Path dialog with OK or Cancel; returns the main dialog's path edit.
    std::string Close(int button) {
        pick_.Item(button).Click();
        pick_.WaitUntilGone();
        return main_.Item(1001).Text();
    }

    bool BoxShowing() const {
        for (const ui::Window& window : setup_->Windows()) {
            if (ui::IsMessageBox(window) && window.Visible())
                return true;
        }
        return false;
    }

    ui::TreeView& Tree() { return *tree_; }
    std::string PathStatic() const { return pick_.Item(1028).Text(); }
    std::string FreeSpace() const { return pick_.Item(1001).Text(); }

    ui::ScratchFolder scratch_;
    std::unique_ptr<ui::Process> setup_;
    ui::Window main_, pick_;
    std::unique_ptr<ui::TreeView> tree_;
};

TEST_F(SelectPath, TemplateAsLaidOut) {
    Start("C:\\windows");
    Browse();
    EXPECT_TRUE(pick_.HasStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_EQ(pick_.Owner(), main_);
    const SIZE client = pick_.ClientSize();
    const RECT size = ui::DialogUnitsToPixels(0, 0, 233, 183, "MS Sans Serif", 8);
    EXPECT_EQ(client.cx, size.right);
    EXPECT_EQ(client.cy, size.bottom);

    struct Control {
        int id;
        const char* className;
        const char* text;
        int x, y, cx, cy;
        LONG styles; // all of these set
        LONG absent; // none of these
    };
    // The tree's border shows as a sunken edge (the control's own doing), as the edit's does.
    const LONG treeStyles = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_DISABLEDRAGDROP |
                            TVS_SHOWSELALWAYS | WS_TABSTOP | WS_VISIBLE;
    const Control controls[] = {
        {IDOK, "Button", "OK", 177, 167, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_VISIBLE, 0},
        {IDCANCEL, "Button", "Cancel", 118, 167, 50, 14, WS_TABSTOP | WS_VISIBLE, BS_DEFPUSHBUTTON},
        {1013, "SysTreeView32", nullptr, 4, 17, 223, 146, treeStyles, 0},
        {1061, "Static", "Folder:", 3, 3, 26, 8, WS_GROUP | WS_VISIBLE, 0},
        {1028, "Static", nullptr, 30, 1, 197, 14, SS_CENTERIMAGE | WS_GROUP | WS_VISIBLE, 0},
        {1001, "Edit", nullptr, 5, 166, 108, 14, ES_READONLY | WS_TABSTOP | WS_VISIBLE, WS_BORDER},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.id);
        const ui::Window control = pick_.Item(c.id);
        EXPECT_STRCASEEQ(control.ClassName().c_str(), c.className);
        if (c.text) {
            EXPECT_EQ(control.Text(), c.text);
        }
        const RECT expected = ui::DialogUnitsToPixels(c.x, c.y, c.cx, c.cy, "MS Sans Serif", 8);
        const RECT actual = control.Rect();
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
        EXPECT_TRUE(control.HasStyle(c.styles));
        EXPECT_EQ(control.Style() & c.absent, 0);
    }
    EXPECT_TRUE(pick_.Item(1013).ExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(pick_.Item(1028).ExStyle() & WS_EX_STATICEDGE);
    EXPECT_EQ(pick_.Item(1001).ExStyle() & WS_EX_CLIENTEDGE, 0);

    // Template order is tab order; the tree has the focus.
    std::vector<int> order;
    for (const ui::Window& child : pick_.Children())
        order.push_back(child.Id());
    EXPECT_EQ(order, (std::vector<int>{IDOK, IDCANCEL, 1013, 1061, 1028, 1001}));
    EXPECT_EQ(pick_.Focus(), Tree().Control());
    EXPECT_EQ(Close(IDCANCEL), "C:\\windows");
}

TEST_F(SelectPath, OpensOnAnExistingFolderAndGivesItBackWithoutItsBackslash) {
    const std::string folder = "C:\\Program Files\\Tessarin Software\\Quorbelix";
    MadeFolders made(folder + "\\Sub");
    Start(folder);
    Browse();
    for (const char* path : {"C:", "C:\\Program Files", "C:\\Program Files\\Tessarin Software"}) {
        const ui::TreeItem item = Tree().Read(Tree().Get(path), false);
        EXPECT_TRUE(item.expanded) << path;
        EXPECT_EQ(item.image, 1) << path;
        EXPECT_EQ(item.selectedImage, 1) << path;
    }
    const HTREEITEM quorbelix = Tree().Get(folder);
    const ui::TreeItem item = Tree().Read(quorbelix);
    EXPECT_TRUE(item.selected);
    EXPECT_FALSE(item.expanded);
    EXPECT_EQ(item.image, 0);
    ASSERT_EQ(item.children.size(), 1u) << "not listed yet: the placeholder";
    EXPECT_EQ(item.children[0].text, "");
    EXPECT_EQ(Tree().Selection(), quorbelix);
    EXPECT_TRUE(Tree().InView(quorbelix));
    EXPECT_EQ(PathStatic(), folder + "\\");
    EXPECT_EQ(Close(IDOK), folder);
}

TEST_F(SelectPath, FindsTheFolderWhateverTheCaseOfItsLettersAndReturnsTheTreesCase) {
    MadeFolders made("C:\\Program Files\\X");
    Start("c:\\program files\\x");
    Browse();
    EXPECT_EQ(Tree().Selection(), Tree().Get("C:\\Program Files\\X"));
    EXPECT_EQ(Close(IDOK), "C:\\Program Files\\X");
}

TEST_F(SelectPath, SelectsNothingWhenTheFolderIsNotThereAndOkKeepsTheInstallFolder) {
    struct Case {
        std::string installFolder;
        std::string lastExpanded; // the deepest folder the walk opens
    };
    const std::string scratch = scratch_.Path();
    ui::CreateFolders(scratch_ / "Sub");
    const Case cases[] = {
        {scratch + "\\Not\\There", scratch},
        {scratch + "\\", scratch}, // ends with a backslash: the walk ends on an empty name
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.installFolder);
        Start(c.installFolder);
        main_.Item(1001).SetText("D:\\Typed");
        Browse();
        const ui::TreeItem last = Tree().Read(Tree().Get(c.lastExpanded), false);
        EXPECT_TRUE(last.expanded);
        EXPECT_EQ(last.image, 1);
        EXPECT_EQ(Tree().Selection(), nullptr) << ui::Dump(Tree().Items());
        EXPECT_EQ(PathStatic(), "");
        EXPECT_EQ(pick_.Focus(), Tree().Control());
        EXPECT_EQ(Close(IDOK), c.installFolder);
        main_.Item(IDCANCEL).Click();
        setup_->WaitForExit();
    }
}

TEST_F(SelectPath, CancelChangesNothingAndADriveComesBackAsItsLetter) {
    const std::string folder = scratch_.Path();
    Start(folder);
    main_.Item(1001).SetText("D:\\Typed");
    Browse();
    const HTREEITEM start = Tree().Selection();
    ASSERT_EQ(start, Tree().Get(folder));
    Tree().Select(Tree().Get("C:"));
    pick_.Item(1028).WaitForText("C:\\");
    EXPECT_EQ(Close(IDCANCEL), "D:\\Typed");

    // The install folder did not change either: the next opening starts on it again.
    Browse();
    EXPECT_EQ(Tree().Selection(), Tree().Get(folder));
    const HTREEITEM drive = Tree().Get("C:");
    Tree().Select(drive);
    pick_.Item(1028).WaitForText("C:\\");
    EXPECT_TRUE(Tree().Read(drive, false).selected);
    EXPECT_EQ(Close(IDOK), "C:");
}

TEST_F(SelectPath, ListsHiddenFoldersButNotSystemFoldersEachOnce) {
    ui::ScratchFolder disk;
    const ui::ScopedWineDrive drive('K', ui::HostPath(disk.Path()), DRIVE_FIXED);
    for (const char* folder : {"K:\\Visible", "K:\\Hidden\\Inner", "K:\\System\\Inner",
                               "K:\\OnlySystem\\Sys", "K:\\Deep\\Sub\\Below", "K:\\Deep\\Sub2"})
        ui::CreateFolders(folder);
    ui::WriteFileBytes("K:\\file.txt", "a file is no folder");
    ui::WriteFileBytes("K:\\Visible\\file.txt", "nor here");
    SetAttributes("K:\\Hidden", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    SetAttributes("K:\\System", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);
    SetAttributes("K:\\OnlySystem\\Sys", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM);

    Start("K:\\Visible");
    Browse();
    const std::vector<ui::TreeItem> listed = Tree().Read(Tree().Get("K:")).children;
    ASSERT_EQ(Texts(listed), (std::vector<std::string>{"Deep", "Hidden", "OnlySystem", "Visible"}))
        << ui::Dump(listed);
    // An expand button (the placeholder) only where a listable subfolder waits.
    EXPECT_EQ(Texts(listed[0].children), std::vector<std::string>{""});
    EXPECT_EQ(Texts(listed[1].children), std::vector<std::string>{""});
    EXPECT_TRUE(listed[2].children.empty());
    EXPECT_TRUE(listed[3].children.empty()) << "a file is no subfolder";

    // Expanding and collapsing again and again lists the folder once; what appears on disk
    // after its listing shows only in a new opening.
    const HTREEITEM deep = Tree().Get("K:\\Deep");
    Tree().ClickButton(deep);
    ASSERT_TRUE(ui::WaitUntil([&] { return Tree().Read(deep, false).expanded; }));
    ui::CreateFolders("K:\\Deep\\Later");
    for (const bool expanded : {false, true, false, true}) {
        Tree().ClickButton(deep);
        ASSERT_TRUE(ui::WaitUntil([&] { return Tree().Read(deep, false).expanded == expanded; }));
        EXPECT_EQ(Tree().Read(deep, false).image, expanded ? 1 : 0);
    }
    const ui::TreeItem read = Tree().Read(deep);
    EXPECT_EQ(Texts(read.children), (std::vector<std::string>{"Sub", "Sub2"})) << ui::Dump({read});
    Close(IDCANCEL);

    Browse();
    Tree().Expand(Tree().Get("K:\\Deep"));
    EXPECT_EQ(Texts(Tree().Read(Tree().Get("K:\\Deep")).children),
              (std::vector<std::string>{"Later", "Sub", "Sub2"}));
    Close(IDCANCEL);
}

TEST_F(SelectPath, ListsRemovableAndFixedDrivesOnlyInLetterOrder) {
    ui::ScratchFolder floppy, fixed, cd, network;
    const ui::ScopedWineDrive a('A', ui::HostPath(floppy.Path()), DRIVE_REMOVABLE);
    const ui::ScopedWineDrive e('E', ui::HostPath(cd.Path()), DRIVE_CDROM);
    const ui::ScopedWineDrive f('F', ui::HostPath(fixed.Path()), DRIVE_FIXED);
    const ui::ScopedWineDrive n('N', ui::HostPath(network.Path()), DRIVE_REMOTE);
    Start("C:\\windows");
    Browse();
    const std::vector<ui::TreeItem> drives = Tree().Items();
    const std::vector<std::string> letters = Texts(drives);
    EXPECT_EQ(std::count(letters.begin(), letters.end(), "A:"), 1) << ui::Dump(drives);
    EXPECT_EQ(std::count(letters.begin(), letters.end(), "F:"), 1);
    EXPECT_EQ(std::count(letters.begin(), letters.end(), "E:"), 0);
    EXPECT_EQ(std::count(letters.begin(), letters.end(), "N:"), 0);
    EXPECT_TRUE(std::is_sorted(letters.begin(), letters.end()));
    for (const ui::TreeItem& drive : drives) {
        ASSERT_EQ(drive.text.size(), 2u);
        EXPECT_EQ(drive.text[1], ':');
        EXPECT_FALSE(drive.children.empty()) << drive.text << " has an expand button";
    }
    // Both empty, but a drive is listed only when it is opened.
    EXPECT_EQ(Texts(drives[0].children), std::vector<std::string>{""});
    Close(IDCANCEL);
}

TEST_F(SelectPath, DriveWithoutAMediumGivesTheDriveErrorAndLosesItsButton) {
    const ui::ScopedWineDrive a('A', kNoDisk, DRIVE_REMOVABLE);
    Start("C:\\windows");
    Browse();
    ASSERT_FALSE(FreeSpace().empty()) << "drive C: has room";
    const HTREEITEM floppy = Tree().Get("A:");
    setup_->Answer(IDOK);
    Tree().ClickButton(floppy);
    const ui::MessageBoxRecord box = setup_->WaitForMessageBox();
    EXPECT_EQ(box.text, "Error Drive: A:\r\nCorrect and try again");
    EXPECT_EQ(box.caption, "krzsetup");
    EXPECT_EQ(box.icon, ui::BoxIcon::Exclamation);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(box.ownerTitle, "Setup Folder");
    ASSERT_TRUE(ui::WaitUntil([&] { return !BoxShowing(); }));
    const ui::TreeItem item = Tree().Read(floppy);
    EXPECT_TRUE(item.children.empty()) << "no expand button";
    EXPECT_EQ(item.image, 1) << "the user's expansion showed the open folder";
    // Its free space cannot be read: the edit is emptied.
    Tree().Select(floppy);
    pick_.Item(1028).WaitForText("A:\\");
    EXPECT_EQ(FreeSpace(), "");
    EXPECT_EQ(Close(IDOK), "A:");
}

TEST_F(SelectPath, InstallFolderOnADriveWithoutAMediumGivesTheErrorBeforeTheDialogShows) {
    const ui::ScopedWineDrive a('A', kNoDisk, DRIVE_REMOVABLE);
    Start("A:\\Quorbelix");
    setup_->Answer(IDOK);
    Browse();
    // The box had come and gone when the dialog appeared.
    const std::vector<ui::MessageBoxRecord> boxes = setup_->MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Error Drive: A:\r\nCorrect and try again");
    EXPECT_FALSE(BoxShowing());
    EXPECT_EQ(Tree().Selection(), nullptr);
    EXPECT_TRUE(Tree().Read(Tree().Get("A:")).children.empty());
    EXPECT_EQ(Close(IDOK), "A:\\Quorbelix");
}

// The expected free-space text of a drive, from what the platform tells this process.
std::string FreeSpaceOf(const char* root) {
    DWORD sectors = 0, bytes = 0, freeClusters = 0, clusters = 0;
    EXPECT_TRUE(GetDiskFreeSpaceA(root, &sectors, &bytes, &freeClusters, &clusters)) << root;
    const unsigned long long kilobytes = 1ull * freeClusters * (sectors * bytes / 1024);
    return kilobytes < 8192 ? std::to_string(kilobytes) + "KB free"
                            : std::to_string(kilobytes / 1024) + "MB free";
}

TEST_F(SelectPath, FreeSpaceShowsOnTheNtFamilyOnly) {
    // A small disk of its own, so that nothing else changes its free space meanwhile.
    const ui::ScopedWineDrive y('Y', ui::TinyDiskHostFolder(), DRIVE_FIXED);
    const std::string expected = FreeSpaceOf("Y:\\");
    ASSERT_NE(expected.find("KB free"), std::string::npos) << expected;
    for (const char* version : {"", "win98"}) {
        SCOPED_TRACE(*version ? version : "the prefix's own (NT family)");
        std::unique_ptr<ui::ScopedWindowsVersion> old;
        if (*version)
            old = std::make_unique<ui::ScopedWindowsVersion>("krzsetup.exe", version);
        Start("Y:");
        Browse();
        // A drive as the starting folder: selected, not opened.
        const HTREEITEM drive = Tree().Get("Y:");
        EXPECT_EQ(Tree().Selection(), drive);
        EXPECT_FALSE(Tree().Read(drive, false).expanded);
        EXPECT_EQ(PathStatic(), "Y:\\");
        EXPECT_EQ(FreeSpace(), *version ? "" : expected);
        Close(IDCANCEL);
        main_.Item(IDCANCEL).Click();
        setup_->WaitForExit();
    }
}

} // namespace
