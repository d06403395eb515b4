#include "MessageBox.h"

#include "Screen.h"

#include <algorithm>

namespace ui {

namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kIconIds[] = {20, 1088}; // Windows, Wine

Window IconStatic(const Window& box) {
    for (const int id : kIconIds) {
        if (!box.HasItem(id))
            continue;
        Window item = box.Item(id);
        if (item.ClassName() == "Static" && (item.Style() & SS_TYPEMASK) == SS_ICON)
            return item;
    }
    return Window();
}

} // namespace

int CautiousAnswer(const std::vector<int>& buttons) {
    for (const int id : {IDCANCEL, IDNO, IDOK})
        if (std::find(buttons.begin(), buttons.end(), id) != buttons.end())
            return id;
    return buttons.empty() ? IDCANCEL : buttons.front();
}

const char* Name(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None:
        return "None";
    case BoxIcon::Hand:
        return "Hand";
    case BoxIcon::Question:
        return "Question";
    case BoxIcon::Exclamation:
        return "Exclamation";
    case BoxIcon::Asterisk:
        return "Asterisk";
    case BoxIcon::Unknown:
        break;
    }
    return "Unknown";
}

std::string ButtonName(int id) {
    static const char* const kNames[] = {"",    "OK", "Cancel", "Abort", "Retry",     "Ignore",
                                         "Yes", "No", "Close",  "Help",  "Try Again", "Continue"};
    if (id > 0 && id < int(sizeof kNames / sizeof kNames[0]))
        return kNames[id];
    return "button " + std::to_string(id);
}

std::string MessageBoxRecord::Describe() const {
    std::string description = caption + ": " + Quote(text) + " [" + Name(icon) + "]";
    for (size_t i = 0; i < buttons.size(); ++i)
        description += (i ? "/" : " ") + ButtonName(buttons[i]);
    description += " -> " + ButtonName(answer);
    if (!expected)
        description += wanted ? " (unexpected: the scenario wanted " + ButtonName(wanted) + ")"
                              : " (unexpected)";
    return description;
}

bool IsMessageBox(const Window& window) {
    if (window.ClassName() != "#32770" || !window.HasItem(kTextId))
        return false;
    return bool(IconStatic(window));
}

BoxIcon ClassifyIcon(const Image& picture) {
    struct Candidate {
        LPCSTR id;
        BoxIcon icon;
    };
    static const Candidate kCandidates[] = {{IDI_EXCLAMATION, BoxIcon::Exclamation},
                                            {IDI_QUESTION, BoxIcon::Question},
                                            {IDI_HAND, BoxIcon::Hand},
                                            {IDI_ASTERISK, BoxIcon::Asterisk}};
    for (const Candidate& candidate : kCandidates)
        if (ContainsIcon(picture, LoadIconA(nullptr, candidate.id)))
            return candidate.icon;
    return BoxIcon::Unknown;
}

MessageBoxRecord ReadMessageBox(const Window& box, DWORD iconWaitMs) {
    MessageBoxRecord record;
    record.caption = box.Text();
    record.text = box.Item(kTextId).Text();
    std::vector<std::pair<LONG, int>> buttons;
    for (const Window& child : box.Children())
        if (child.ClassName() == "Button" && child.Visible())
            buttons.emplace_back(child.Rect().left, child.Id());
    std::sort(buttons.begin(), buttons.end());
    for (const auto& button : buttons)
        record.buttons.push_back(button.second);
    if (const Window owner = box.Owner()) {
        record.owner = owner.Handle();
        record.ownerTitle = owner.Text();
        record.ownerVisible = owner.Visible();
    }
    const Window icon = IconStatic(box);
    if (!icon.StaticIcon() || !icon.Visible()) {
        record.icon = BoxIcon::None;
    } else {
        WaitUntil(
            [&] {
                record.icon = ClassifyIcon(CaptureWindow(icon));
                return record.icon != BoxIcon::Unknown;
            },
            iconWaitMs);
    }
    return record;
}

} // namespace ui
