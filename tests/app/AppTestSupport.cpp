#include "AppTestSupport.h"

#include "InstallerKeys.h"
#include "MachineState.h"

PreviousInstallation::PreviousInstallation(const char* folder) {
    ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
    if (folder)
        ui::SetRegistryString(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, "Path", folder);
}

PreviousInstallation::~PreviousInstallation() {
    try {
        ui::DeleteRegistryKey(HKEY_LOCAL_MACHINE, keys::kAppPathEntry);
    } catch (const ui::Failure&) {
        // The next test's arrangement removes it first.
    }
}
