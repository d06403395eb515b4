// A dialog template as compiled into a program: what the dialog manager builds the dialog from,
// read from the program's file so that a scenario compares the running dialog with it instead
// of restating the resource script.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace ui {

struct DialogControl {
    int id;
    std::string className; // "Button", "Edit", "Static", ... for the predefined classes
    int x, y, cx, cy;      // dialog units
    DWORD style, exStyle;
    std::string text; // "#n" for a resource number (the icon of a static, for one)
};

struct DialogTemplate {
    DWORD style, exStyle;
    int x, y, cx, cy;
    std::string font; // empty without DS_SETFONT
    int pointSize;
    std::vector<DialogControl> controls; // in template order, which is the tab order

    // The first control with this identifier; a missing one fails.
    const DialogControl& Control(int id, Where where = {}) const;
    // Dialog units in pixels for this template's font (DialogUnitsToPixels in Window.h).
    RECT Pixels(int left, int top, int width, int height) const;
    RECT Pixels(const DialogControl& c) const { return Pixels(c.x, c.y, c.cx, c.cy); }
};

// Reads DIALOGEX resource `id` of the program or library at `path` (loaded as a data file, not
// run). Only the extended form is read, the one the resource compiler makes of a DIALOGEX; a
// missing resource, the older form or a template cut short fails.
DialogTemplate ReadDialogTemplate(const std::string& path, int id, Where where = {});
DialogTemplate ParseDialogTemplate(const void* data, size_t size, Where where = {});

} // namespace ui
