#include "TreeView.h"

#include "RemoteMemory.h"

#include <cstring>

namespace ui {

namespace {

// Item texts longer than this are cut; folder names never come near it.
constexpr int kTextLimit = 1024;

} // namespace

std::string Dump(const std::vector<TreeItem>& items, int depth) {
    std::string out;
    for (const TreeItem& item : items) {
        out += std::string(size_t(depth) * 2, ' ') + Quote(item.text) + " [" +
               std::to_string(item.image) + "/" + std::to_string(item.selectedImage) + "]";
        if (item.expanded)
            out += " +expanded";
        if (item.selected)
            out += " *selected";
        out += "\n" + Dump(item.children, depth + 1);
    }
    return out;
}

TreeView::TreeView(const Window& control, Where where) : control_(control) {
    if (!control.Exists() || control.ClassName() != WC_TREEVIEWA)
        Fail(where, control.Describe() + " is not a tree-view control");
}

HTREEITEM TreeView::NextItem(HTREEITEM item, UINT relation) const {
    return reinterpret_cast<HTREEITEM>(SendTo(control_.Handle(), TVM_GETNEXTITEM, relation,
                                              reinterpret_cast<LPARAM>(item), Where()));
}

HTREEITEM TreeView::Child(HTREEITEM item) const {
    return item ? NextItem(item, TVGN_CHILD) : NextItem(nullptr, TVGN_ROOT);
}

HTREEITEM TreeView::Next(HTREEITEM item) const {
    return NextItem(item, TVGN_NEXT);
}

HTREEITEM TreeView::Parent(HTREEITEM item) const {
    return NextItem(item, TVGN_PARENT);
}

HTREEITEM TreeView::Selection() const {
    return NextItem(nullptr, TVGN_CARET);
}

std::vector<HTREEITEM> TreeView::ChildrenOf(HTREEITEM item) const {
    std::vector<HTREEITEM> children;
    for (HTREEITEM child = Child(item); child; child = Next(child))
        children.push_back(child);
    return children;
}

TreeItem TreeView::Read(HTREEITEM item, bool withChildren, Where where) const {
    RemoteMemory memory(control_.ProcessId(), sizeof(TVITEMA) + kTextLimit, where);
    TVITEMA query = {};
    query.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_STATE;
    query.hItem = item;
    query.stateMask = TVIS_EXPANDED | TVIS_SELECTED;
    query.pszText = static_cast<char*>(memory.Address(sizeof(TVITEMA)));
    query.cchTextMax = kTextLimit;
    memory.Put(query, 0, where);
    memory.Put('\0', sizeof(TVITEMA), where);
    if (!SendTo(control_.Handle(), TVM_GETITEMA, 0, memory.Param(), where))
        Fail(where, control_.Describe() + " has no such item");
    const TVITEMA answer = memory.Get<TVITEMA>(0, where);
    // A control may point pszText at a text of its own instead of filling the buffer given.
    if (answer.pszText != query.pszText)
        Fail(where, control_.Describe() + " did not copy the item text into the buffer given");
    std::string text(kTextLimit, '\0');
    memory.Read(&text[0], kTextLimit, sizeof(TVITEMA), where);
    text.resize(text.find('\0'));

    TreeItem result;
    result.handle = item;
    result.text = text;
    result.image = answer.iImage;
    result.selectedImage = answer.iSelectedImage;
    result.expanded = (answer.state & TVIS_EXPANDED) != 0;
    result.selected = (answer.state & TVIS_SELECTED) != 0;
    if (withChildren)
        for (HTREEITEM child : ChildrenOf(item))
            result.children.push_back(Read(child, true, where));
    return result;
}

std::vector<TreeItem> TreeView::Items(Where where) const {
    std::vector<TreeItem> items;
    for (HTREEITEM item : ChildrenOf(nullptr))
        items.push_back(Read(item, true, where));
    return items;
}

HTREEITEM TreeView::Find(const std::string& path, Where where) const {
    HTREEITEM found = nullptr;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find('\\', start);
        const std::string name = path.substr(start, end == std::string::npos ? end : end - start);
        HTREEITEM match = nullptr;
        for (HTREEITEM child : ChildrenOf(found)) {
            if (Read(child, false, where).text == name) {
                match = child;
                break;
            }
        }
        if (!match)
            return nullptr;
        found = match;
        if (end == std::string::npos)
            return found;
        start = end + 1;
    }
}

HTREEITEM TreeView::Get(const std::string& path, Where where) const {
    HTREEITEM item = Find(path, where);
    if (!item)
        Fail(where, "no tree item " + Quote(path) + " in\n" + Dump(Items(where)));
    return item;
}

void TreeView::Expand(HTREEITEM item, Where where) const {
    SendTo(control_.Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item), where);
}

void TreeView::Collapse(HTREEITEM item, Where where) const {
    SendTo(control_.Handle(), TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(item), where);
}

void TreeView::Select(HTREEITEM item, Where where) const {
    if (!SendTo(control_.Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item),
                where))
        Fail(where, "the tree refused to select " + Quote(Read(item, false, where).text));
}

RECT TreeView::ItemRect(HTREEITEM item, bool textOnly, Where where) const {
    RemoteMemory memory(control_.ProcessId(), sizeof(RECT), where);
    RECT rect = {};
    // TVM_GETITEMRECT takes the item in the first bytes of the rectangle it fills.
    static_assert(sizeof(RECT) >= sizeof(HTREEITEM), "an item handle fits into a RECT");
    std::memcpy(&rect, &item, sizeof item);
    memory.Put(rect, 0, where);
    if (!SendTo(control_.Handle(), TVM_GETITEMRECT, textOnly, memory.Param(), where))
        Fail(where, "tree item " + Quote(Read(item, false, where).text) + " is not shown");
    return memory.Get<RECT>(0, where);
}

bool TreeView::InView(HTREEITEM item) const {
    RemoteMemory memory(control_.ProcessId(), sizeof(RECT));
    RECT rect = {};
    std::memcpy(&rect, &item, sizeof item);
    memory.Put(rect);
    if (!SendTo(control_.Handle(), TVM_GETITEMRECT, FALSE, memory.Param(), Where()))
        return false;
    rect = memory.Get<RECT>();
    return rect.top >= 0 && rect.bottom <= control_.ClientSize().cy;
}

void TreeView::ClickButton(HTREEITEM item, Where where) const {
    // The hit test reports the button's column even for an item that draws no button.
    if (!Child(item))
        Fail(where, "tree item " + Quote(Read(item, false, where).text) + " has no expand button");
    if (!InView(item))
        Fail(where, "tree item " + Quote(Read(item, false, where).text) + " is not in view");
    const RECT row = ItemRect(item, false, where);
    const RECT text = ItemRect(item, true, where);
    const int y = (row.top + row.bottom) / 2;
    // The button sits left of the item's image and text; find it with the control's own hit
    // test, column by column.
    RemoteMemory memory(control_.ProcessId(), sizeof(TVHITTESTINFO), where);
    for (int x = 0; x < text.left; ++x) {
        TVHITTESTINFO hit = {};
        hit.pt = {x, y};
        memory.Put(hit, 0, where);
        SendTo(control_.Handle(), TVM_HITTEST, 0, memory.Param(), where);
        hit = memory.Get<TVHITTESTINFO>(0, where);
        if (hit.hItem == item && (hit.flags & TVHT_ONITEMBUTTON)) {
            const LPARAM at = MAKELPARAM(x, y);
            if (!PostMessageA(control_.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at) ||
                !PostMessageA(control_.Handle(), WM_LBUTTONUP, 0, at))
                Fail(where, "cannot post a click to " + control_.Describe());
            return;
        }
    }
    Fail(where, "tree item " + Quote(Read(item, false, where).text) + " has no expand button");
}

} // namespace ui
