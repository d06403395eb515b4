#include "MessageBoxRecorder.h"

#include "AfxMessageBox.h"

namespace {

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
