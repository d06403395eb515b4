// Message boxes of the program under test, as seen from outside.
//
// A message box is a "#32770" dialog with a static text of id 0xFFFF and an icon static of id
// 20 (Windows) or 1088 (Wine). Its icon handle belongs to the target process and cannot be read
// from here (under Wine, GetIconInfo on another process's icon fails with error 1402), so the
// icon is told by its picture: the icon static, captured from the screen, is compared with the
// standard icons drawn in this process. Wine's message box leaves the icon static empty
// (STM_GETICON gives null) when the box has no icon.
#pragma once

#include "Screen.h"
#include "Window.h"

#include <string>
#include <vector>

namespace ui {

enum class BoxIcon { None, Hand, Question, Exclamation, Asterisk, Unknown };

const char* Name(BoxIcon icon);
// "OK", "Cancel", "Yes", "No", ... for IDOK, IDCANCEL, IDYES, IDNO, ...
std::string ButtonName(int id);

struct MessageBoxRecord {
    std::string caption;
    std::string text;
    BoxIcon icon = BoxIcon::Unknown;
    // Identifiers of the box's visible buttons, left to right: {IDOK}, {IDYES, IDNO}, ...
    std::vector<int> buttons;
    // The owner window when the box appeared (null for none), its title and whether it was
    // visible: a box raised while a dialog initialises has its still hidden dialog as owner.
    HWND owner = nullptr;
    std::string ownerTitle;
    bool ownerVisible = false;
    // The answer the scenario had queued for this box (0 for none), the button pressed, and
    // whether that was the queued answer. A box without a queued answer, or one that does not
    // offer it, is unexpected and answered with CautiousAnswer().
    int wanted = 0;
    int answer = 0;
    bool expected = false;

    // "krzsetup: \"Cannot create directory\" [Exclamation] OK -> OK": for failure messages.
    std::string Describe() const;
};

bool IsMessageBox(const Window& window);

// The button that answers a box nobody expected: Cancel, else No, else OK, else the first.
int CautiousAnswer(const std::vector<int>& buttons);

// Reads caption, text, buttons, owner and icon of a message box that is showing (the answer is
// left to the caller). The icon is compared on the screen; it is looked at again for up to
// `iconWaitMs` while the box may not have painted yet.
MessageBoxRecord ReadMessageBox(const Window& box, DWORD iconWaitMs = 5000);

// Which standard icon a picture of an icon static shows (ContainsIcon with IDI_EXCLAMATION,
// IDI_QUESTION, IDI_HAND, IDI_ASTERISK as drawn in this process), else Unknown.
BoxIcon ClassifyIcon(const Image& picture);

} // namespace ui
