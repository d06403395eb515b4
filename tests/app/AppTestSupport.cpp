#include "AppTestSupport.h"

#include <gtest/gtest.h>

#include "AfxMessageBox.h"
#include "InstallerKeys.h"

namespace {

void RemoveEntry() {
    HKEY appPaths;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keys::kAppPaths, 0, KEY_ALL_ACCESS, &appPaths) ==
        ERROR_SUCCESS) {
        RegDeleteKeyA(appPaths, "KRZ.EXE");
        RegCloseKey(appPaths);
    }
}

std::vector<int> g_answers;
std::vector<RecordedBox> g_boxes;

int Record(HWND owner, const char* text, const char* caption, UINT type) {
    g_boxes.push_back({owner, text, caption, type});
    if (g_answers.empty())
        return IDOK;
    const int answer = g_answers.front();
    g_answers.erase(g_answers.begin());
    return answer;
}

AfxMessageBoxHook g_previousHook = nullptr;

} // namespace

PreviousInstallation::PreviousInstallation(const char* folder) {
    RemoveEntry();
    if (!folder)
        return;
    HKEY key;
    const LONG created = RegCreateKeyExA(HKEY_LOCAL_MACHINE, keys::kAppPathEntry, 0, nullptr, 0,
                                         KEY_ALL_ACCESS, nullptr, &key, nullptr);
    EXPECT_EQ(created, ERROR_SUCCESS);
    if (created != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder),
                   DWORD(lstrlenA(folder) + 1));
    RegCloseKey(key);
}

PreviousInstallation::~PreviousInstallation() {
    RemoveEntry();
}

MessageBoxRecorder::MessageBoxRecorder(std::vector<int> answers) {
    g_answers = std::move(answers);
    g_boxes.clear();
    g_previousHook = AfxSetMessageBoxHook(Record);
}

MessageBoxRecorder::~MessageBoxRecorder() {
    AfxSetMessageBoxHook(g_previousHook);
}

const std::vector<RecordedBox>& MessageBoxRecorder::Boxes() const {
    return g_boxes;
}
