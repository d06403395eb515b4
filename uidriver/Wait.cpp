#include "Wait.h"

#include <cstdio>

namespace ui {

void Fail(const Where& where, const std::string& what) {
    throw Failure(std::string(where.file) + ":" + std::to_string(where.line) + ": " + what);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount64() >= deadline)
            return condition();
        Sleep(kPollInterval);
    }
}

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        switch (c) {
        case '\r':
            quoted += "\\r";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\t':
            quoted += "\\t";
            break;
        case '"':
            quoted += "\\\"";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
                quoted += hex;
            } else {
                quoted += c;
            }
        }
    }
    return quoted + "\"";
}

} // namespace ui
