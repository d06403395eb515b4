// Shell shortcuts made by the platform's shell link object. COM must be initialised on the
// calling thread.
#pragma once

#include <windows.h>

#include <shobjidl.h>

#include "CString.h"

// Shortcut files that all start one target and carry one description, written one after
// another by a single shell link object: the object is created and given the target and the
// description at the first Save, and released with the writer. A Save whose object cannot be
// created, or cannot be asked for its persistence, fails without keeping it, so the next Save
// starts again from the creation, as a fresh object would.
class CShortcutWriter {
public:
    CShortcutWriter(CString target, CString description);
    ~CShortcutWriter();
    CShortcutWriter(const CShortcutWriter&) = delete;
    CShortcutWriter& operator=(const CShortcutWriter&) = delete;

    // Writes the shortcut file `linkFile`. Returns the COM status: negative on failure.
    HRESULT Save(const CString& linkFile);

private:
    void Release();

    CString m_target;
    CString m_description;
    IShellLinkA* m_link = nullptr;
    IPersistFile* m_file = nullptr;
};

namespace shell {

// Writes the shortcut file `linkFile` that starts `target` and carries `description`.
// Returns the COM status: negative on failure.
HRESULT CreateShortcut(CString target, CString linkFile, CString description);

} // namespace shell
