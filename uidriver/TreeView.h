// A tree-view control (SysTreeView32) of another process, read item by item across the process
// boundary (TVM_GETNEXTITEM, and TVM_GETITEMA into memory allocated inside the target) and
// driven with its own messages or with posted mouse input.
#pragma once

#include "Window.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace ui {

struct TreeItem {
    HTREEITEM handle = nullptr;
    std::string text;
    int image = 0;
    int selectedImage = 0;
    bool expanded = false; // TVIS_EXPANDED
    bool selected = false; // TVIS_SELECTED
    // The items the control holds under this one, in the control's order (empty when the
    // item was read without them).
    std::vector<TreeItem> children;
};

// Indented lines "text [image/selected image] +expanded *selected", one per item: for failure
// messages and for comparing a whole tree at once.
std::string Dump(const std::vector<TreeItem>& items, int depth = 0);

class TreeView {
public:
    explicit TreeView(const Window& control, Where where = {});
    const Window& Control() const { return control_; }

    // Every item the control holds now, top-level items first, each with all its descendants.
    std::vector<TreeItem> Items(Where where = {}) const;
    // One item, with or without its descendants.
    TreeItem Read(HTREEITEM item, bool withChildren = true, Where where = {}) const;

    // TVM_GETNEXTITEM. Null when there is none. Child(nullptr) is the first top-level item.
    HTREEITEM Child(HTREEITEM item) const;
    HTREEITEM Next(HTREEITEM item) const;
    HTREEITEM Parent(HTREEITEM item) const;
    HTREEITEM Selection() const;
    std::vector<HTREEITEM> ChildrenOf(HTREEITEM item) const;

    // The item reached by the texts of `path`, separated by backslashes ("C:\\Program Files"),
    // each matched exactly among the children of the one before. Null when there is none.
    HTREEITEM Find(const std::string& path, Where where = {}) const;
    // The same, failing with a dump of the tree when there is none.
    HTREEITEM Get(const std::string& path, Where where = {}) const;

    // TVM_EXPAND (TVE_EXPAND, TVE_COLLAPSE). The control notifies its parent only the first
    // time an item is expanded this way.
    void Expand(HTREEITEM item, Where where = {}) const;
    void Collapse(HTREEITEM item, Where where = {}) const;
    // Clicks the item's expand button as a user does (posted mouse button down and up on it):
    // the control notifies its parent (TVN_ITEMEXPANDING) every time. The item must be in view
    // and have a button. Wait for the effect afterwards.
    void ClickButton(HTREEITEM item, Where where = {}) const;
    // TVM_SELECTITEM with TVGN_CARET; the control notifies its parent (TVN_SELCHANGED).
    void Select(HTREEITEM item, Where where = {}) const;

    // TVM_GETITEMRECT: the item's row (or its text only) in client coordinates; fails when the
    // item is not shown at all (below a collapsed item).
    RECT ItemRect(HTREEITEM item, bool textOnly = false, Where where = {}) const;
    // Whether the item's row lies wholly inside the client area (scrolled into view).
    bool InView(HTREEITEM item) const;

private:
    HTREEITEM NextItem(HTREEITEM item, UINT relation) const;

    Window control_;
};

} // namespace ui
