#include "CTreeCtrl.h"

#include <cstring>

namespace {
LPARAM AsParam(const void* pointer) {
    return reinterpret_cast<LPARAM>(pointer);
}
} // namespace

HTREEITEM CTreeCtrl::InsertItem(const TVINSERTSTRUCTA* insert) {
    return reinterpret_cast<HTREEITEM>(SendMessage(TVM_INSERTITEMA, 0, AsParam(insert)));
}

HTREEITEM CTreeCtrl::InsertItem(UINT mask, const char* text, int image, int selectedImage,
                                UINT state, UINT stateMask, LPARAM param, HTREEITEM parent,
                                HTREEITEM after) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = after;
    insert.item.mask = mask;
    insert.item.pszText = const_cast<char*>(text);
    insert.item.iImage = image;
    insert.item.iSelectedImage = selectedImage;
    insert.item.state = state;
    insert.item.stateMask = stateMask;
    insert.item.lParam = param;
    return InsertItem(&insert);
}

HTREEITEM CTreeCtrl::InsertItem(const char* text, int image, int selectedImage, HTREEITEM parent,
                                HTREEITEM after) {
    return InsertItem(TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE, text, image, selectedImage, 0, 0,
                      0, parent, after);
}

BOOL CTreeCtrl::DeleteItem(HTREEITEM item) {
    return BOOL(SendMessage(TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::Expand(HTREEITEM item, UINT code) {
    return BOOL(SendMessage(TVM_EXPAND, code, reinterpret_cast<LPARAM>(item)));
}

HTREEITEM CTreeCtrl::GetNextItem(HTREEITEM item, UINT code) const {
    return reinterpret_cast<HTREEITEM>(
        SendMessage(TVM_GETNEXTITEM, code, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::SelectItem(HTREEITEM item) {
    return BOOL(SendMessage(TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::EnsureVisible(HTREEITEM item) {
    return BOOL(SendMessage(TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item)));
}

BOOL CTreeCtrl::GetItem(TVITEMA* item) const {
    return BOOL(SendMessage(TVM_GETITEMA, 0, AsParam(item)));
}

BOOL CTreeCtrl::SetItem(TVITEMA* item) {
    return BOOL(SendMessage(TVM_SETITEMA, 0, AsParam(item)));
}

BOOL CTreeCtrl::SetItem(HTREEITEM item, UINT mask, const char* text, int image, int selectedImage,
                        UINT state, UINT stateMask, LPARAM param) {
    TVITEMA data = {};
    data.hItem = item;
    data.mask = mask;
    data.pszText = const_cast<char*>(text);
    data.iImage = image;
    data.iSelectedImage = selectedImage;
    data.state = state;
    data.stateMask = stateMask;
    data.lParam = param;
    return SetItem(&data);
}

CString CTreeCtrl::GetItemText(HTREEITEM item) const {
    char text[260] = {};
    TVITEMA data = {};
    data.hItem = item;
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.pszText = text;
    data.cchTextMax = sizeof text;
    if (!GetItem(&data))
        return CString();
    // The control may answer with a pointer of its own instead of filling the buffer.
    const char* result = data.pszText ? data.pszText : text;
    const int length = lstrlenA(result);
    return CString(result, length < int(sizeof text) ? length : int(sizeof text) - 1);
}

BOOL CTreeCtrl::SetItemImage(HTREEITEM item, int image, int selectedImage) {
    return SetItem(item, TVIF_IMAGE | TVIF_SELECTEDIMAGE, nullptr, image, selectedImage, 0, 0, 0);
}

BOOL CTreeCtrl::SetItemState(HTREEITEM item, UINT state, UINT stateMask) {
    return SetItem(item, TVIF_STATE, nullptr, 0, 0, state, stateMask, 0);
}

HIMAGELIST CTreeCtrl::SetImageList(CImageList* list, int type) {
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(TVM_SETIMAGELIST, WPARAM(type),
                    reinterpret_cast<LPARAM>(list ? list->GetSafeHandle() : nullptr)));
}
