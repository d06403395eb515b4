// Recording the installer's message boxes in the in-process tests (the framework's hook).
#pragma once

#include <windows.h>

#include <vector>

#include "CString.h"

// A message box that the installer would have shown.
struct RecordedBox {
    HWND owner;
    CString text, caption;
    UINT type;
};

// Replaces the installer's message boxes with a recorder for the object's lifetime; each box
// "presses" the next answer (IDOK when the answers run out).
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(std::vector<int> answers = {});
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    const std::vector<RecordedBox>& Boxes() const;
};
