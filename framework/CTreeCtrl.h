// CTreeCtrl: a tree-view control (class "SysTreeView32"), driven with its TVM_ messages.
// Item texts are read through a buffer of 260 characters, so a text comes back with at most
// 259 of them.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "CImageList.h"
#include "CString.h"
#include "CWnd.h"

class CTreeCtrl : public CWnd {
public:
    // TVM_INSERTITEMA.
    HTREEITEM InsertItem(const TVINSERTSTRUCTA* insert);
    HTREEITEM InsertItem(UINT mask, const char* text, int image, int selectedImage, UINT state,
                         UINT stateMask, LPARAM param, HTREEITEM parent, HTREEITEM after);
    // An item with text, image and selected image (TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE).
    HTREEITEM InsertItem(const char* text, int image, int selectedImage,
                         HTREEITEM parent = TVI_ROOT, HTREEITEM after = TVI_LAST);
    BOOL DeleteItem(HTREEITEM item);

    // TVM_EXPAND with TVE_EXPAND, TVE_COLLAPSE or TVE_TOGGLE.
    BOOL Expand(HTREEITEM item, UINT code);

    // TVM_GETNEXTITEM; a null item with TVGN_CHILD gives the first top-level item.
    HTREEITEM GetNextItem(HTREEITEM item, UINT code) const;
    HTREEITEM GetChildItem(HTREEITEM item) const { return GetNextItem(item, TVGN_CHILD); }
    HTREEITEM GetNextSiblingItem(HTREEITEM item) const { return GetNextItem(item, TVGN_NEXT); }
    HTREEITEM GetParentItem(HTREEITEM item) const { return GetNextItem(item, TVGN_PARENT); }
    HTREEITEM GetSelectedItem() const { return GetNextItem(nullptr, TVGN_CARET); }

    // TVM_SELECTITEM with TVGN_CARET: makes `item` the current selection.
    BOOL SelectItem(HTREEITEM item);
    BOOL EnsureVisible(HTREEITEM item);

    // TVM_GETITEMA / TVM_SETITEMA with the caller's TVITEMA (hItem and mask filled in).
    BOOL GetItem(TVITEMA* item) const;
    BOOL SetItem(TVITEMA* item);
    BOOL SetItem(HTREEITEM item, UINT mask, const char* text, int image, int selectedImage,
                 UINT state, UINT stateMask, LPARAM param);

    CString GetItemText(HTREEITEM item) const;
    BOOL SetItemImage(HTREEITEM item, int image, int selectedImage);
    BOOL SetItemState(HTREEITEM item, UINT state, UINT stateMask);

    // TVM_SETIMAGELIST with TVSIL_NORMAL or TVSIL_STATE. The control does not own the list.
    HIMAGELIST SetImageList(CImageList* list, int type);
};
