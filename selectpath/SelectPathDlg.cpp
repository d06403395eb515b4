#include "SelectPathDlg.h"

#include "AfxMessageBox.h"
#include "CWaitCursor.h"
#include "FolderListing.h"
#include "resource.h"

namespace {

char UpperAtoZ(char c) {
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

constexpr int kClosedFolder = 0;
constexpr int kOpenFolder = 1;

} // namespace

BEGIN_MESSAGE_MAP(CSelectPathDlg, CDialog)
    ON_NOTIFY(TVN_ITEMEXPANDINGA, IDC_FOLDER_TREE, OnItemExpanding)
    ON_NOTIFY(TVN_SELCHANGINGA, IDC_FOLDER_TREE, OnSelChanging)
    ON_NOTIFY(TVN_SELCHANGEDA, IDC_FOLDER_TREE, OnSelChanged)
    ON_NOTIFY(TVN_KEYDOWN, IDC_FOLDER_TREE, OnKeyDown)
END_MESSAGE_MAP()

CSelectPathDlg::CSelectPathDlg(CWnd* parent, bool showFreeSpace)
    : CDialog(IDD_SELECT_PATH, parent), m_showFreeSpace(showFreeSpace) {}

INT_PTR CSelectPathDlg::DoModal() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TREEVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    return CDialog::DoModal();
}

void CSelectPathDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FREE_SPACE, m_freeSpace);
    DDX_Control(pDX, IDC_FOLDER_PATH, m_pathStatic);
    DDX_Control(pDX, IDC_FOLDER_TREE, m_folderTree);
}

BOOL CSelectPathDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText("Setup Folder");

    // Without its images the tree still works; the beep is the only sign.
    if (!m_folderImages.Create(16, 16, ILC_MASK, 0, 8))
        ::Beep(99, 99);
    m_folderImages.Add(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_FOLDER_CLOSED)));
    m_folderImages.Add(::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDI_FOLDER_OPEN)));
    m_folderTree.ModifyStyle(0, TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT);
    m_folderTree.SetImageList(&m_folderImages, TVSIL_NORMAL);

    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        CString drive;
        drive.Format("%c:", letter);
        const UINT type = ::GetDriveTypeA(drive + "\\");
        if (type == DRIVE_FIXED || type == DRIVE_REMOVABLE) {
            const HTREEITEM item =
                m_folderTree.InsertItem(drive, kClosedFolder, kClosedFolder, TVI_ROOT, TVI_LAST);
            m_folderTree.InsertItem("", kClosedFolder, kClosedFolder, item, TVI_LAST);
        }
    }

    SelectStartingFolder();
    // A tree that gets the focus with nothing selected selects its first visible item by
    // itself; OK would then return that drive in place of a starting folder that the walk did
    // not find (one still to be created, say). So the tree stays without a selection until the
    // user makes one (the keys that move a selection start one: OnKeyDown).
    m_givingFocus = true;
    m_folderTree.SetFocus();
    m_givingFocus = false;
    return FALSE; // the focus is set
}

void CSelectPathDlg::SelectStartingFolder() {
    if (const HTREEITEM start = WalkPath(m_selectedPath)) {
        m_folderTree.SetItemState(start, TVIS_SELECTED, TVIS_SELECTED);
        m_folderTree.SelectItem(start);
    }
    if (const HTREEITEM selected = m_folderTree.GetSelectedItem())
        m_folderTree.EnsureVisible(selected);
}

HTREEITEM CSelectPathDlg::WalkPath(const CString& path) {
    HTREEITEM found = nullptr;
    Listing latest;
    CString rest = path;
    while (!rest.IsEmpty()) {
        // CString::Find steps over double-byte characters: a trail byte is never a separator.
        const int backslash = rest.Find('\\');
        CString component;
        if (backslash < 0) {
            component = rest;
            rest.Empty();
        } else {
            component = rest.Left(backslash);
            rest = rest.Mid(backslash + 1);
        }
        found = FindChild(found, component, !rest.IsEmpty(), latest);
    }
    return found;
}

HTREEITEM CSelectPathDlg::FindChild(HTREEITEM parent, const CString& name, bool expand,
                                    Listing& latest) {
    const HTREEITEM child =
        parent && parent == latest.parent ? FindListedChild(latest, name) : FindChild(parent, name);
    if (child && expand) {
        ListIfUnlisted(child, &latest);
        // Its first expansion notifies OnItemExpanding, which shows the open folder.
        m_folderTree.Expand(child, TVE_EXPAND);
    }
    return child;
}

HTREEITEM CSelectPathDlg::FindChild(HTREEITEM parent, const CString& name) const {
    HTREEITEM child = m_folderTree.GetChildItem(parent);
    while (child && !SameName(m_folderTree.GetItemText(child), name))
        child = m_folderTree.GetNextSiblingItem(child);
    return child;
}

HTREEITEM CSelectPathDlg::FindListedChild(const Listing& listing, const CString& name) const {
    HTREEITEM found = nullptr;
    for (const auto& [text, item] : listing.children) {
        if (!SameName(text, name))
            continue;
        // Names that differ in letter case only: the first in the tree's order.
        if (found)
            return FindChild(listing.parent, name);
        found = item;
    }
    return found;
}

void CSelectPathDlg::OnItemExpanding(NMHDR* header, LRESULT* result) {
    const auto* view = reinterpret_cast<const NMTREEVIEWA*>(header);
    const HTREEITEM item = view->itemNew.hItem;
    const int image = view->action == TVE_EXPAND ? kOpenFolder : kClosedFolder;
    m_folderTree.SetItemImage(item, image, image);
    ListIfUnlisted(item, nullptr);
    *result = 0;
}

void CSelectPathDlg::ListIfUnlisted(HTREEITEM item, Listing* record) {
    // Drive and folder names are never empty, so an empty first child is the placeholder.
    const HTREEITEM first = m_folderTree.GetChildItem(item);
    if (!first || !m_folderTree.GetItemText(first).IsEmpty())
        return;
    m_folderTree.DeleteItem(first);
    ListChildren(item, record);
}

void CSelectPathDlg::ListChildren(HTREEITEM item, Listing* record) {
    CWaitCursor wait;
    if (record) {
        record->parent = nullptr;
        record->children.clear();
    }
    const CString path = ItemPath(item);
    std::vector<selectpath::Subfolder> subfolders;
    if (!selectpath::ListSubfolders(path, subfolders)) {
        // The item keeps no children: it loses its expand button until the next opening.
        CString message;
        message.Format("Error Drive: %s\r\nCorrect and try again", path.Left(2).GetString());
        AfxMessageBox(message);
        return;
    }
    if (record)
        record->children.reserve(subfolders.size());
    // The control sorts each folder into place (TVI_SORT); the order it gets them in only
    // spares it the walk along the siblings. Each placeholder follows its folder at once.
    for (const std::size_t i : selectpath::InsertionOrder(subfolders)) {
        const HTREEITEM folder = m_folderTree.InsertItem(subfolders[i].name, kClosedFolder,
                                                         kClosedFolder, item, TVI_SORT);
        // A folder the control could not take gets no placeholder, which would go to the top.
        if (!folder)
            continue;
        if (subfolders[i].hasSubfolders)
            m_folderTree.InsertItem("", kClosedFolder, kClosedFolder, folder, TVI_LAST);
        if (record)
            record->children.emplace_back(std::move(subfolders[i].name), folder);
    }
    if (record)
        record->parent = item;
}

void CSelectPathDlg::OnSelChanging(NMHDR*, LRESULT* result) {
    *result = m_givingFocus ? TRUE : 0; // TRUE keeps the selection as it is
}

void CSelectPathDlg::OnSelChanged(NMHDR* header, LRESULT* result) {
    const auto* view = reinterpret_cast<const NMTREEVIEWA*>(header);
    m_selectedPath = ItemPath(view->itemNew.hItem);
    if (const HTREEITEM selected = m_folderTree.GetSelectedItem()) {
        m_pathStatic.SetWindowText(ItemPath(selected));
        if (m_showFreeSpace)
            m_freeSpace.SetWindowText(FreeSpaceOf(m_selectedPath));
    }
    *result = 0;
}

void CSelectPathDlg::OnKeyDown(NMHDR* header, LRESULT* result) {
    // The control notifies the key before acting on it; with nothing selected, Wine's then does
    // nothing more. A character goes on to the control's own search, which starts at the top.
    if (!m_folderTree.GetSelectedItem()) {
        const WORD key = reinterpret_cast<const NMTVKEYDOWN*>(header)->wVKey;
        HTREEITEM start = nullptr;
        if (key == VK_DOWN || key == VK_UP || key == VK_HOME) {
            start = m_folderTree.GetChildItem(nullptr);
        } else if (key == VK_END) {
            // TVGN_LASTVISIBLE is newer than the control of the first systems.
            for (HTREEITEM item = m_folderTree.GetChildItem(nullptr); item;
                 item = m_folderTree.GetNextItem(item, TVGN_NEXTVISIBLE))
                start = item;
        }
        if (start) {
            m_folderTree.SelectItem(start);
            m_folderTree.EnsureVisible(start);
        }
    }
    *result = 0;
}

CString CSelectPathDlg::ItemPath(HTREEITEM item) const {
    CString path;
    for (; item; item = m_folderTree.GetParentItem(item))
        path = m_folderTree.GetItemText(item) + "\\" + path;
    return path;
}

CString CSelectPathDlg::FreeSpaceOf(const CString& path) {
    const CString root = path.GetLength() > 3 ? path.Left(3) : path;
    // The free bytes in 64 bits, which describe any volume; GetDiskFreeSpaceA's 32-bit cluster
    // counts do not (16 TiB of 4 KB clusters is more than they can count). Every system that
    // shows the text has GetDiskFreeSpaceExA (the NT family from 4.0); the first 95, which
    // lacks it, shows none.
    using GetDiskFreeSpaceEx =
        BOOL(WINAPI*)(LPCSTR, ULARGE_INTEGER*, ULARGE_INTEGER*, ULARGE_INTEGER*);
    const auto getFreeSpaceEx = reinterpret_cast<GetDiskFreeSpaceEx>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA")));
    ULARGE_INTEGER available, total;
    if (!getFreeSpaceEx || !getFreeSpaceEx(root, &available, &total, nullptr))
        return CString();
    return FreeSpaceText(available.QuadPart);
}

CString CSelectPathDlg::FreeSpaceText(ULONGLONG freeBytes) {
    const ULONGLONG kilobytes = freeBytes / 1024;
    const ULONGLONG megabytes = kilobytes / 1024;
    const char* format = "%uKB free";
    DWORD number = DWORD(kilobytes), lastDigits = 0;
    if (kilobytes >= 8192) {
        format = "%uMB free";
        number = DWORD(megabytes);
    }
    // The system's formatting knows no 64-bit numbers: more megabytes than 32 bits hold (fewer
    // than 2^44) are written in two parts, the last nine digits with their leading zeros. The
    // division by 10^9 = 512 x 1,953,125 goes in 32-bit steps, which keeps the compiler's
    // 64-bit division routines out of the 32-bit program.
    if (megabytes > 0xFFFFFFFF) {
        constexpr DWORD kFifthPower = 1953125;
        const DWORD high = DWORD(megabytes >> 17);
        const DWORD middle = (high % kFifthPower) << 8 | (DWORD(megabytes >> 9) & 0xFF);
        format = "%u%09uMB free";
        number = (high / kFifthPower) << 8 | middle / kFifthPower;
        lastDigits = (middle % kFifthPower) << 9 | (DWORD(megabytes) & 0x1FF);
    }
    CString text;
    text.Format(format, number, lastDigits); // the one-number texts take no second
    return text;
}

bool CSelectPathDlg::SameName(const char* a, const char* b) {
    for (; *a || *b; ++a, ++b) {
        if (UpperAtoZ(*a) != UpperAtoZ(*b))
            return false;
    }
    return true;
}
