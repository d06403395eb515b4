// The Select Path dialog as a user meets it: the installer runs as its own process, its browse
// button opens the dialog, and the UI driver reads the folder tree across the process boundary.
// Each scenario records its starting folder as a previous installation's folder (the question
// answered with Yes), so that it is the main dialog's install folder. Drives come from Wine's
// mount manager; a removable drive whose host folder is missing has no medium.
#include <gtest/gtest.h>

#include "InstallerKeys.h"
#include "UiDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const char kNoDisk[] = "/nonexistent/krz-floppy";
const char kDriveError[] = "Error Drive: A:\r\nCorrect and try again";

std::vector<std::string> Texts(const std::vector<ui::TreeItem>& items) {
    std::vector<std::string> texts;
    for (const ui::TreeItem& item : items)
        texts.push_back(item.text);
    return texts;
}

// The subfolders of `folder` in the order its listing returns them.
std::vector<std::string> ListingOrder(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &entry);
    EXPECT_NE(find, INVALID_HANDLE_VALUE) << folder;
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        const std::string name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

// The order a tree control of this process gives `names` when it gets them one by one in this
// order, each sorted into place (TVI_SORT).
std::vector<std::string> ControlOrder(const std::vector<std::string>& names) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
    EXPECT_TRUE(InitCommonControlsEx(&controls));
    const HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_POPUP, 0, 0, 100, 100, nullptr,
                                      nullptr, GetModuleHandleA(nullptr), nullptr);
    EXPECT_TRUE(tree);
    for (const std::string& name : names) {
        TVINSERTSTRUCTA insert = {};
        insert.hParent = TVI_ROOT;
        insert.hInsertAfter = TVI_SORT;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(name.c_str());
        EXPECT_TRUE(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    std::vector<std::string> order;
    for (LPARAM item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); item;
         item = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, item)) {
        char text[MAX_PATH] = {};
        TVITEMA data = {};
        data.mask = TVIF_TEXT | TVIF_HANDLE;
        data.hItem = reinterpret_cast<HTREEITEM>(item);
        data.pszText = text;
        data.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
        order.push_back(text);
    }
    DestroyWindow(tree);
    return order;
}

// The items a user sees, top to bottom (each whose ancestors are all expanded), with their item
// paths without the final backslash.
void AppendShown(const std::vector<ui::TreeItem>& items, const std::string& parent,
                 std::vector<std::pair<HTREEITEM, std::string>>& shown) {
    for (const ui::TreeItem& item : items) {
        const std::string path = parent.empty() ? item.text : parent + "\\" + item.text;
        shown.emplace_back(item.handle, path);
        if (item.expanded)
            AppendShown(item.children, path, shown);
    }
}

// The rightmost column of `picture` that holds a pixel of the text (black), inside a border of 2.
int TextRight(const ui::Image& picture) {
    for (int x = picture.width - 3; x >= 2; --x) {
        for (int y = 2; y < picture.height - 2; ++y) {
            const std::uint32_t pixel = picture.At(x, y);
            if ((pixel >> 16 & 0xFF) < 0x40 && (pixel >> 8 & 0xFF) < 0x40 && (pixel & 0xFF) < 0x40)
                return x;
        }
    }
    return -1;
}

// A folder under C:\Program Files for one scenario, removed afterwards with what it holds.
class ProgramFilesFolder {
public:
    explicit ProgramFilesFolder(const std::string& name, const std::string& below = "")
        : path_("C:\\Program Files\\" + name) {
        EXPECT_FALSE(ui::PathExists(path_)) << "left over: " << path_;
        ui::CreateFolders(path_ + below);
    }
    ~ProgramFilesFolder() { ui::RemoveTree(path_); }
    ProgramFilesFolder(const ProgramFilesFolder&) = delete;
    ProgramFilesFolder& operator=(const ProgramFilesFolder&) = delete;

private:
    std::string path_;
};

class SelectPath : public ::testing::Test {
protected:
    void SetUp() override { ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry); }
    void TearDown() override {
        setup_.reset();
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kUninstallEntry);
    }

    // Starts the installer (tests/app's copy) with `installFolder` as its install folder.
    void Start(const std::string& installFolder) {
        setup_.reset();
        ui::SetRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path", installFolder);
        setup_ = std::make_unique<ui::Process>(ui::ProgramFolder() + "..\\app\\krzsetup.exe", "",
                                               scratch_.Path(), std::initializer_list<int>{IDYES});
        main_ = setup_->WaitForDialog("Setup Quorbelix");
        setup_->WaitForMessageBox();
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
        const std::vector<ui::Window> windows = setup_->Windows();
        return std::any_of(windows.begin(), windows.end(),
                           [](const ui::Window& w) { return ui::IsMessageBox(w) && w.Visible(); });
    }

    ui::TreeView& Tree() { return *tree_; }
    std::string PathStatic() const { return pick_.Item(1028).Text(); }
    std::string FreeSpace() const { return pick_.Item(1001).Text(); }

    ui::ScratchFolder scratch_;
    std::unique_ptr<ui::Process> setup_;
    ui::Window main_, pick_;
    std::unique_ptr<ui::TreeView> tree_;
};

TEST_F(SelectPath, OpensOnAnExistingFolderLaidOutAsItsTemplateAndGivesTheFolderBack) {
    const std::string folder = "C:\\Program Files\\Tessarin Software\\Quorbelix";
    ProgramFilesFolder made("Tessarin Software", "\\Quorbelix\\Sub");
    Start(folder);
    Browse();

    EXPECT_TRUE(pick_.HasStyle(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME));
    EXPECT_EQ(pick_.Owner(), main_);
    // Centred: the main dialog on the screen's work area, this dialog over the main dialog.
    RECT area;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    for (const auto& [inner, outer] :
         {std::pair{main_.Rect(), area}, {pick_.Rect(), main_.Rect()}}) {
        EXPECT_NEAR(inner.left + inner.right, outer.left + outer.right, 1);
        EXPECT_NEAR(inner.top + inner.bottom, outer.top + outer.bottom, 1);
    }
    // The layout is the template's (149), read from the installer's file, in pixels of its font.
    const ui::DialogTemplate selectPath =
        ui::ReadDialogTemplate(ui::ProgramFolder() + "..\\app\\krzsetup.exe", 149);
    const RECT size = selectPath.Pixels(0, 0, selectPath.cx, selectPath.cy);
    EXPECT_EQ(pick_.ClientSize().cx, size.right);
    EXPECT_EQ(pick_.ClientSize().cy, size.bottom);
    std::vector<int> order, templateOrder; // template order is tab order
    for (const ui::Window& child : pick_.Children())
        order.push_back(child.Id());
    for (const ui::DialogControl& c : selectPath.controls) {
        SCOPED_TRACE(c.id);
        templateOrder.push_back(c.id);
        const ui::Window control = pick_.Item(c.id);
        EXPECT_STRCASEEQ(control.ClassName().c_str(), c.className.c_str());
        const RECT expected = selectPath.Pixels(c);
        const RECT actual = control.Rect();
        EXPECT_EQ(actual, expected);
        // The tree's border shows as a sunken edge (the control's own doing).
        EXPECT_TRUE(control.HasStyle((c.style | WS_VISIBLE) & ~(c.id == 1013 ? WS_BORDER : 0)));
    }
    EXPECT_EQ(order, templateOrder);
    // The dialog gives its tree these when it starts.
    EXPECT_TRUE(pick_.Item(1013).HasStyle(TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT));
    EXPECT_EQ(pick_.Item(IDOK).Text(), "OK");
    EXPECT_EQ(pick_.Item(IDCANCEL).Text(), "Cancel");
    EXPECT_EQ(pick_.Item(1061).Text(), "Folder:");
    EXPECT_TRUE(pick_.Item(1013).ExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(pick_.Item(1028).ExStyle() & WS_EX_STATICEDGE);
    EXPECT_FALSE(pick_.Item(1001).HasStyle(WS_BORDER) ||
                 (pick_.Item(1001).ExStyle() & WS_EX_CLIENTEDGE));
    EXPECT_EQ(pick_.Focus(), Tree().Control());

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
    EXPECT_EQ(Texts(item.children), std::vector<std::string>{""}) << "not listed yet";
    EXPECT_EQ(Tree().Selection(), quorbelix);
    EXPECT_TRUE(Tree().InView(quorbelix));
    EXPECT_EQ(PathStatic(), folder + "\\");
    EXPECT_EQ(Close(IDOK), folder);
}

TEST_F(SelectPath, FindsTheFolderWhateverTheCaseOfItsLettersAndReturnsTheTreesCase) {
    ProgramFilesFolder made("X");
    Start("c:\\program files\\x");
    Browse();
    EXPECT_EQ(Tree().Selection(), Tree().Get("C:\\Program Files\\X"));
    EXPECT_EQ(Close(IDOK), "C:\\Program Files\\X");
}

TEST_F(SelectPath, SelectsNothingWhenTheFolderIsNotThereAndOkKeepsTheInstallFolder) {
    const std::string scratch = scratch_.Path();
    ui::CreateFolders(scratch_ / "Sub");
    // Not there yet; and a folder ending with a backslash, whose walk ends on an empty name.
    for (const std::string& installFolder : {scratch + "\\Not\\There", scratch + "\\"}) {
        SCOPED_TRACE(installFolder);
        Start(installFolder);
        main_.Item(1001).SetText("D:\\Typed");
        Browse();
        const ui::TreeItem last = Tree().Read(Tree().Get(scratch), false);
        EXPECT_TRUE(last.expanded);
        EXPECT_EQ(last.image, 1);
        // Although the tree has the focus, which makes it select an item by itself.
        EXPECT_EQ(pick_.Focus(), Tree().Control());
        EXPECT_EQ(Tree().Selection(), nullptr);
        EXPECT_EQ(PathStatic(), "");
        EXPECT_EQ(Close(IDOK), installFolder);
    }
}

// A keyboard user meets the same fresh dialog: the keys that move a selection start one (Down,
// Up and Home at the first drive, End at the last item shown, a letter at the first item shown
// with that initial), and Enter returns its folder.
TEST_F(SelectPath, KeysStartASelectionWhereThereIsNoneAndEnterReturnsIt) {
    ui::CreateFolders(scratch_ / "Quorbelix Keys");
    const std::string installFolder = scratch_ / "Quorbelix Keys\\Not There";
    for (const UINT key : {UINT(VK_DOWN), UINT(VK_UP), UINT(VK_HOME), UINT(VK_END), UINT('Q')}) {
        SCOPED_TRACE(key);
        Start(installFolder);
        Browse();
        ASSERT_EQ(Tree().Selection(), nullptr);
        std::vector<std::pair<HTREEITEM, std::string>> shown;
        AppendShown(Tree().Items(), "", shown);
        ASSERT_FALSE(shown.empty());
        auto expected = key == VK_END ? shown.end() - 1 : shown.begin();
        if (key == 'Q') {
            expected = std::find_if(shown.begin(), shown.end(), [](const auto& item) {
                const std::string name = item.second.substr(item.second.rfind('\\') + 1);
                return std::toupper(static_cast<unsigned char>(name[0])) == 'Q';
            });
            ASSERT_EQ(expected->second, scratch_ / "Quorbelix Keys");
        }
        pick_.PressKey(key);
        ASSERT_TRUE(ui::WaitUntil([&] { return Tree().Selection() == expected->first; }))
            << "wanted " << expected->second;
        pick_.PressKey(VK_RETURN);
        pick_.WaitUntilGone();
        EXPECT_EQ(main_.Item(1001).Text(), expected->second);
    }
}

// A path is text: an ampersand in a folder name takes its own room, where a mnemonic would
// underline the letter after it and leave the ampersand out.
TEST_F(SelectPath, PathShowsAnAmpersandAsItIs) {
    ProgramFilesFolder made("R&D Tools");
    Start("C:\\Program Files\\R&D Tools");
    Browse();
    const ui::Window path = pick_.Item(1028);
    ASSERT_EQ(path.Text(), "C:\\Program Files\\R&D Tools\\");
    const int withAmpersand = TextRight(ui::CaptureSettled(path));
    path.SetText("C:\\Program Files\\RD Tools\\");
    const int without = TextRight(ui::CaptureSettled(path));
    ASSERT_GT(without, 0);
    EXPECT_GT(withAmpersand, without + 2);
    Close(IDCANCEL);
}

TEST_F(SelectPath, CancelChangesNothingAndADriveComesBackAsItsLetter) {
    const std::string folder = scratch_.Path();
    Start(folder);
    main_.Item(1001).SetText("D:\\Typed");
    Browse();
    Tree().Select(Tree().Get("C:"));
    pick_.Item(1028).WaitForText("C:\\");
    EXPECT_EQ(Close(IDCANCEL), "D:\\Typed");

    // Nor did the install folder change: the next opening starts on it again.
    Browse();
    EXPECT_EQ(Tree().Selection(), Tree().Get(folder));
    Tree().Select(Tree().Get("C:"));
    pick_.Item(1028).WaitForText("C:\\");
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
    for (const char* folder : {"K:\\Hidden", "K:\\System", "K:\\OnlySystem\\Sys"}) {
        const DWORD attribute = folder[3] == 'H' ? FILE_ATTRIBUTE_HIDDEN : FILE_ATTRIBUTE_SYSTEM;
        ASSERT_TRUE(SetFileAttributesA(folder, FILE_ATTRIBUTE_DIRECTORY | attribute));
        ASSERT_TRUE(GetFileAttributesA(folder) & attribute) << folder;
    }

    Start("K:\\Visible");
    Browse();
    const std::vector<ui::TreeItem> listed = Tree().Read(Tree().Get("K:")).children;
    ASSERT_EQ(Texts(listed), (std::vector<std::string>{"Deep", "Hidden", "OnlySystem", "Visible"}))
        << ui::Dump(listed);
    // An expand button (the placeholder) only where a listable subfolder waits.
    EXPECT_EQ(Texts(listed[0].children), std::vector<std::string>{""});
    EXPECT_EQ(Texts(listed[1].children), std::vector<std::string>{""});
    EXPECT_TRUE(listed[2].children.empty());
    EXPECT_TRUE(listed[3].children.empty());

    // Expanded and collapsed again and again, a folder is listed once; what appears on disk
    // after its listing shows only in a new opening.
    const HTREEITEM deep = Tree().Get("K:\\Deep");
    for (const bool expanded : {true, false, true, false, true}) {
        Tree().ClickButton(deep);
        ASSERT_TRUE(ui::WaitUntil([&] { return Tree().Read(deep, false).expanded == expanded; }));
        EXPECT_EQ(Tree().Read(deep, false).image, expanded ? 1 : 0);
        ui::CreateFolders("K:\\Deep\\Later");
    }
    EXPECT_EQ(Texts(Tree().Read(deep).children), (std::vector<std::string>{"Sub", "Sub2"}));
    Close(IDCANCEL);
    Browse();
    Tree().Expand(Tree().Get("K:\\Deep"));
    EXPECT_EQ(Texts(Tree().Read(Tree().Get("K:\\Deep")).children),
              (std::vector<std::string>{"Later", "Sub", "Sub2"}));
}

// However the dialog hands the folders of a listing to the tree, the tree shows them as it does
// when it gets each in listing order, with the same placeholders: whether through the path walk
// or through the user's expansion.
TEST_F(SelectPath, ShowsTheOrderTheControlGivesFoldersInListingOrder) {
    // Names that differ in letter case only come from the fixture, made on the host.
    char twins[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KRZ_CASE_TWINS", twins, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH) << "needs the CTest fixture selectpath_case_twins";
    const ui::ScopedWineDrive drive('K', twins, DRIVE_FIXED);
    // Beside them, letter case, digits and signs that the listing and the control order
    // differently, and names that the control's comparison finds equal ("ss" and the sharp s,
    // a soft hyphen), whose order follows the order they come in.
    // (\337 is the sharp s, \255 the soft hyphen.)
    const std::vector<std::string> names = {"beta", "Beta", "BETA",   "alpha",   "Alpha2",   "10",
                                            "9",    "100",  "_under", "x-ray",   "xray",     "Zeta",
                                            "a_b",  "ab",   "Masse",  "Ma\337e", "Ma\255sse"};
    const std::vector<std::string> withSubfolder = {"Beta", "9", "Ma\337e", "xray", "_under"};
    for (const char* top : {"K:\\Walked", "K:\\Expanded"}) {
        for (const std::string& name : withSubfolder)
            ui::CreateFolders(top + ("\\" + name + "\\Sub"));
        for (const std::string& name : names)
            ui::CreateFolders(top + ("\\" + name));
        // A folder with a file and a system folder only has nothing to list.
        const std::string zeta = top + std::string("\\Zeta");
        ui::WriteFileBytes(zeta + "\\file.txt", "no folder");
        ui::CreateFolders(zeta + "\\System");
        ASSERT_TRUE(SetFileAttributesA((zeta + "\\System").c_str(),
                                       FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM));
    }
    // The folder's subfolders as the tree shows them, in `expected`.
    const auto expectListedAsTheControlOrdersThem = [&](const std::string& folder,
                                                        std::vector<std::string>& expected) {
        SCOPED_TRACE(folder);
        const std::vector<std::string> listed = ListingOrder(folder);
        expected = ControlOrder(listed);
        ASSERT_EQ(listed.size(), names.size());
        ASSERT_NE(expected, listed) << "the listing comes in the control's order already";
        const std::vector<ui::TreeItem> shown = Tree().Read(Tree().Get(folder)).children;
        ASSERT_EQ(Texts(shown), expected) << ui::Dump(shown);
        for (const ui::TreeItem& item : shown) {
            const bool subfolder =
                std::count(withSubfolder.begin(), withSubfolder.end(), item.text);
            EXPECT_EQ(Texts(item.children),
                      subfolder ? std::vector<std::string>{""} : std::vector<std::string>{})
                << item.text;
        }
    };

    // The walk lists Walked and picks, of the names that match BETA, the first in the tree.
    Start("K:\\Walked\\BETA");
    Browse();
    std::vector<std::string> walked, expanded;
    expectListedAsTheControlOrdersThem("K:\\Walked", walked);
    ASSERT_FALSE(HasFatalFailure());
    const auto first = std::find_if(walked.begin(), walked.end(), [](const std::string& name) {
        return _stricmp(name.c_str(), "BETA") == 0;
    });
    ASSERT_NE(first, walked.end());
    EXPECT_EQ(Tree().Selection(), Tree().Get("K:\\Walked\\" + *first));
    EXPECT_EQ(PathStatic(), "K:\\Walked\\" + *first + "\\");

    Tree().Expand(Tree().Get("K:\\Expanded"));
    expectListedAsTheControlOrdersThem("K:\\Expanded", expanded);
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
    for (const char* letter : {"A:", "F:"})
        EXPECT_EQ(std::count(letters.begin(), letters.end(), letter), 1) << ui::Dump(drives);
    for (const char* letter : {"E:", "N:"})
        EXPECT_EQ(std::count(letters.begin(), letters.end(), letter), 0) << ui::Dump(drives);
    EXPECT_TRUE(std::is_sorted(letters.begin(), letters.end()));
    for (const ui::TreeItem& drive : drives)
        EXPECT_FALSE(drive.children.empty()) << drive.text << " has no expand button";
}

TEST_F(SelectPath, DriveWithoutAMediumGivesTheDriveErrorAndLosesItsButton) {
    const ui::ScopedWineDrive a('A', kNoDisk, DRIVE_REMOVABLE);
    Start("C:\\windows");
    Browse();
    ASSERT_FALSE(FreeSpace().empty());
    const HTREEITEM floppy = Tree().Get("A:");
    setup_->Answer(IDOK);
    Tree().ClickButton(floppy);
    const ui::MessageBoxRecord box = setup_->WaitForMessageBox();
    EXPECT_EQ(box.text, kDriveError);
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
    EXPECT_EQ(boxes[1].text, kDriveError);
    EXPECT_FALSE(BoxShowing());
    EXPECT_EQ(Tree().Selection(), nullptr);
    EXPECT_TRUE(Tree().Read(Tree().Get("A:")).children.empty());
    EXPECT_EQ(Close(IDOK), "A:\\Quorbelix");
}

// The free space of the drive of `root`, as the dialog writes it.
std::string FreeSpaceOfDrive(const char* root) {
    ULARGE_INTEGER available = {}, total = {};
    EXPECT_TRUE(GetDiskFreeSpaceExA(root, &available, &total, nullptr)) << root;
    const ULONGLONG kilobytes = available.QuadPart / 1024;
    return kilobytes < 8192 ? std::to_string(kilobytes) + "KB free"
                            : std::to_string(kilobytes / 1024) + "MB free";
}

TEST_F(SelectPath, FreeSpaceShowsOnTheNtFamilyOnly) {
    // A small disk of its own, so that nothing changes its free space meanwhile.
    const ui::ScopedWineDrive y('Y', ui::TinyDiskHostFolder(), DRIVE_FIXED);
    const std::string expected = FreeSpaceOfDrive("Y:\\");
    ASSERT_NE(expected.find("KB free"), std::string::npos);
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
    }

    // File systems of 5 TiB, more kilobytes than 32 bits hold, and of 17 TiB, more clusters
    // than GetDiskFreeSpaceA can count.
    char disks[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KRZ_BIG_DISKS", disks, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH - 4)
        << "needs the CTest fixture selectpath_big_disks";
    for (const auto& [size, text] :
         {std::pair("5T", "5242880MB free"), std::pair("17T", "17825792MB free")}) {
        SCOPED_TRACE(size);
        const ui::ScopedWineDrive x('X', disks + std::string(size), DRIVE_FIXED);
        EXPECT_EQ(FreeSpaceOfDrive("X:\\"), text);
        Start("X:");
        Browse();
        EXPECT_EQ(PathStatic(), "X:\\");
        EXPECT_EQ(FreeSpace(), text);
    }
}

TEST_F(SelectPath, TheChosenFolderInstalls) {
    // The shortcuts go to scratch folders (Wine writes "Shell Folders" anew from "User Shell
    // Folders", so both point there).
    const std::string desktop = scratch_ / "Desktop", programs = scratch_ / "Programs";
    std::vector<std::unique_ptr<ui::ScopedRegistryValue>> shellFolders;
    for (const char* key : {"Shell Folders", "User Shell Folders"}) {
        const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
        for (const std::string& name : {std::string("Desktop"), std::string("Programs")})
            shellFolders.push_back(std::make_unique<ui::ScopedRegistryValue>(
                HKEY_CURRENT_USER, explorer + key, name, name == "Desktop" ? desktop : programs));
    }
    const std::string chosen = scratch_ / "Chosen";
    for (const std::string& folder : {desktop, programs, chosen})
        ui::CreateFolders(folder);

    Start(scratch_.Path());
    Browse();
    Tree().Expand(Tree().Get(scratch_.Path()));
    Tree().Select(Tree().Get(chosen));
    pick_.Item(1028).WaitForText(chosen + "\\");
    ASSERT_EQ(Close(IDOK), chosen);
    main_.Item(IDOK).Click();
    main_.Item(IDCANCEL).WaitForText("Close");
    for (const char* file : {"KRZ.exe", "KRZ.hlp", "KRZ.cnt", "Uninstall.exe"})
        EXPECT_TRUE(ui::PathExists(chosen + "\\" + file)) << file;
    EXPECT_EQ(ui::ReadRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path"), chosen);
    main_.Item(IDCANCEL).Click();
    EXPECT_EQ(setup_->WaitForExit(), 0u);
}

} // namespace
