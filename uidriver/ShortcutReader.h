// Shortcut files as the platform's shell link object reads them back. COM must be
// initialised on the calling thread.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace ui {

struct Shortcut {
    std::string path, description, workingDirectory, arguments, iconLocation;
    int iconIndex = -1;
    WORD hotkey = 0xffff;
    int showCommand = -1;
};

// The shortcut file `file` as IShellLinkA loads it, or nothing when it cannot be loaded.
std::optional<Shortcut> ReadShortcut(const std::string& file);

} // namespace ui
