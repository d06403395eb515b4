#include "ShortcutReader.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace ui {

std::optional<Shortcut> ReadShortcut(const std::string& file) {
    std::optional<Shortcut> link;
    IShellLinkA* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shell))))
        return link;
    IPersistFile* persist = nullptr;
    wchar_t wide[1024];
    if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, 1024) &&
        SUCCEEDED(persist->Load(wide, STGM_READ))) {
        Shortcut& s = link.emplace();
        char text[1024];
        shell->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH);
        s.path = text;
        shell->GetDescription(text, sizeof text);
        s.description = text;
        shell->GetWorkingDirectory(text, sizeof text);
        s.workingDirectory = text;
        shell->GetArguments(text, sizeof text);
        s.arguments = text;
        shell->GetIconLocation(text, sizeof text, &s.iconIndex);
        s.iconLocation = text;
        shell->GetHotkey(&s.hotkey);
        shell->GetShowCmd(&s.showCommand);
    }
    if (persist)
        persist->Release();
    shell->Release();
    return link;
}

} // namespace ui
