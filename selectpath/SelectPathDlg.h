// CSelectPathDlg: the Select Path dialog (template 149, titled "Setup Folder"). The user picks
// a folder in a tree of the machine's removable and fixed drives and their folders.
//
// The caller sets m_selectedPath to the starting folder, runs DoModal and, on IDOK, reads
// m_selectedPath: the path of the item selected last, ending with a backslash (C:\ for a drive
// item), or the caller's own value when no item was ever selected.
//
// Folders are read lazily: an item not listed yet has one child with an empty text, which gives
// it its expand button and is replaced by the item's subfolders at its first expansion. Each item
// is listed at most once per dialog; the dialog never changes anything on disk.
#pragma once

#include "CDialog.h"
#include "CEdit.h"
#include "CImageList.h"
#include "CStatic.h"
#include "CTreeCtrl.h"

#include <utility>
#include <vector>

class CSelectPathDlg : public CDialog {
public:
    // The selected drive's free space is shown when `showFreeSpace` (the installer asks for it
    // on the Windows NT family only).
    CSelectPathDlg(CWnd* parent, bool showFreeSpace);

    // Registers the tree-view window class, which the template names, then runs the dialog.
    INT_PTR DoModal() override;

    // The free-space text of `freeBytes`: whole kilobytes as "%uKB free" below 8,192 KB, whole
    // megabytes as "%uMB free" from there on, every 64-bit count written exactly.
    static CString FreeSpaceText(ULONGLONG freeBytes);

    // Whether two item texts name the same folder: equal bytes, the letters A to Z matching
    // either case (no other character is folded).
    static bool SameName(const char* a, const char* b);

    // Images 0 (closed folder, icon IDI_FOLDER_CLOSED) and 1 (open folder, IDI_FOLDER_OPEN).
    CImageList m_folderImages;
    // The starting folder, then the item path of each newly selected item.
    CString m_selectedPath;
    // The selected drive's free space, written only when the caller asks for it (IDC_FREE_SPACE).
    CEdit m_freeSpace;
    // The item path of the current selection (IDC_FOLDER_PATH).
    CStatic m_pathStatic;
    // The drives and folders (IDC_FOLDER_TREE).
    CTreeCtrl m_folderTree;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnItemExpanding(NMHDR* header, LRESULT* result);
    // Refuses the selection that the tree makes by itself while the dialog gives it the focus.
    void OnSelChanging(NMHDR* header, LRESULT* result);
    void OnSelChanged(NMHDR* header, LRESULT* result);
    // With nothing selected, the keys that move a selection start one: Down, Up and Home at the
    // first item, End at the last item shown. The control itself has no item to move from then
    // (Wine's ignores them).
    void OnKeyDown(NMHDR* header, LRESULT* result);

    DECLARE_MESSAGE_MAP()

private:
    // The folder items that one listing put under `parent`, with their names.
    struct Listing {
        HTREEITEM parent = nullptr;
        std::vector<std::pair<CString, HTREEITEM>> children;
    };

    void SelectStartingFolder();
    // The item reached by the backslash-separated components of `path`, each looked up among
    // the children of the item found for the one before (among the drives for the first, and
    // after a component that was not found); every component but the last is expanded.
    HTREEITEM WalkPath(const CString& path);
    // The child of `parent` (of the top level when null) named `name`, listed and expanded
    // when `expand`; null when there is none. `latest` is the walk's latest listing: the
    // children it lists are looked up there, rather than read back from the tree one by one.
    HTREEITEM FindChild(HTREEITEM parent, const CString& name, bool expand, Listing& latest);
    HTREEITEM FindChild(HTREEITEM parent, const CString& name) const;
    HTREEITEM FindListedChild(const Listing& listing, const CString& name) const;
    // Lists the item's subfolders when it still has its placeholder child; the folder items
    // go into `record` too when it is given.
    void ListIfUnlisted(HTREEITEM item, Listing* record);
    // Reads the whole listing and tests every subfolder for subfolders of its own before the
    // first folder item goes in, so each item has its placeholder before it can be seen.
    void ListChildren(HTREEITEM item, Listing* record);
    // The texts of the item and its ancestors, top-level first, each followed by a backslash.
    CString ItemPath(HTREEITEM item) const;
    // The free-space text of the drive of `path` (GetDiskFreeSpaceExA); empty when the drive
    // cannot tell, or the system cannot ask.
    static CString FreeSpaceOf(const CString& path);

    const bool m_showFreeSpace;
    bool m_givingFocus = false;
};
