#include "InstallFiles.h"

#include "AfxMessageBox.h"
#include "Expansion.h"

namespace app {

using payload::Expansion;

namespace {

// The message of a failed expansion; null for Expansion::done.
const char* ExpansionMessage(Expansion expansion) {
    switch (expansion) {
    case Expansion::done:
        break;
    case Expansion::temporaryNoSpace:
        return "No space on disk";
    case Expansion::temporaryBadPath:
        return "Invalid Path";
    case Expansion::folderUnusable:
        return "File Error";
    case Expansion::diskFull:
        return "Disk full\r\nCorrect and retry";
    case Expansion::failed:
        return "Error in installation";
    case Expansion::targetRefused:
        return "Error in installing";
    }
    return nullptr;
}

bool Report(Expansion expansion) {
    if (expansion == Expansion::done)
        return true;
    AfxMessageBox(ExpansionMessage(expansion));
    return false;
}

} // namespace

bool ExpandPayload(const CString& folder) {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    if (!payload::FindPayload(data, size))
        data = nullptr;
    return ExpandPayload(folder, data, size);
}

bool ExpandPayload(const CString& folder, const std::uint8_t* data, std::size_t size) {
    return Report(payload::ExpandPayloadFiles(folder, data, size));
}

} // namespace app
