/* The application that the installer carries, as a small stand-in: a main window with a text
 * area, a menu, the help file and an about box. Built by sample/make-sample.sh. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#define IDM_NEW 100
#define IDM_OPEN 101
#define IDM_SAVE 102
#define IDM_EXIT 103
#define IDM_WORDWRAP 110
#define IDM_STATS 111
#define IDM_HELP 120
#define IDM_ABOUT 121
#define IDC_EDIT 200

static const char kClassName[] = "QuorbelixMain";
static const char kTitle[] = "Quorbelix";
static HWND g_edit;
static char g_path[MAX_PATH];

static void HelpPath(char* path, DWORD size) {
    DWORD n = GetModuleFileNameA(NULL, path, size);
    while (n > 0 && path[n - 1] != '\\')
        --n;
    path[n] = 0;
    if (n + 8 < size)
        strcat(path, "KRZ.hlp");
}

static BOOL ChooseFile(HWND owner, BOOL save) {
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Quorbelix notes (*.krz)\0*.krz\0Text files (*.txt)\0*.txt\0All files\0*.*\0";
    ofn.lpstrFile = g_path;
    ofn.nMaxFile = sizeof g_path;
    ofn.lpstrDefExt = "krz";
    ofn.Flags = save ? OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST : OFN_FILEMUSTEXIST;
    return save ? GetSaveFileNameA(&ofn) : GetOpenFileNameA(&ofn);
}

static void LoadNote(HWND window) {
    HANDLE file;
    DWORD size, read;
    char* text;
    if (!ChooseFile(window, FALSE))
        return;
    file = CreateFileA(g_path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        MessageBoxA(window, "The file cannot be opened.", kTitle, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    size = GetFileSize(file, NULL);
    text = (char*)HeapAlloc(GetProcessHeap(), 0, size + 1);
    if (text && ReadFile(file, text, size, &read, NULL)) {
        text[read] = 0;
        SetWindowTextA(g_edit, text);
    }
    if (text)
        HeapFree(GetProcessHeap(), 0, text);
    CloseHandle(file);
}

static void SaveNote(HWND window) {
    int length = GetWindowTextLengthA(g_edit);
    char* text;
    HANDLE file;
    DWORD written;
    if (!ChooseFile(window, TRUE))
        return;
    text = (char*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)length + 1);
    if (!text)
        return;
    GetWindowTextA(g_edit, text, length + 1);
    file = CreateFileA(g_path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, text, (DWORD)length, &written, NULL) || written != (DWORD)length)
        MessageBoxA(window, "The file cannot be saved.", kTitle, MB_OK | MB_ICONEXCLAMATION);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    HeapFree(GetProcessHeap(), 0, text);
}

static void ShowStatistics(HWND window) {
    int length = GetWindowTextLengthA(g_edit);
    int lines = (int)SendMessageA(g_edit, EM_GETLINECOUNT, 0, 0);
    char message[160];
    snprintf(message, sizeof message, "Characters: %d\r\nLines: %d", length, lines);
    MessageBoxA(window, message, kTitle, MB_OK | MB_ICONINFORMATION);
}

static HMENU BuildMenu(void) {
    HMENU bar = CreateMenu(), file = CreatePopupMenu(), view = CreatePopupMenu(),
          help = CreatePopupMenu();
    AppendMenuA(file, MF_STRING, IDM_NEW, "&New\tCtrl+N");
    AppendMenuA(file, MF_STRING, IDM_OPEN, "&Open...\tCtrl+O");
    AppendMenuA(file, MF_STRING, IDM_SAVE, "&Save As...\tCtrl+S");
    AppendMenuA(file, MF_SEPARATOR, 0, NULL);
    AppendMenuA(file, MF_STRING, IDM_EXIT, "E&xit");
    AppendMenuA(view, MF_STRING, IDM_WORDWRAP, "&Word Wrap");
    AppendMenuA(view, MF_STRING, IDM_STATS, "&Statistics...");
    AppendMenuA(help, MF_STRING, IDM_HELP, "&Contents\tF1");
    AppendMenuA(help, MF_SEPARATOR, 0, NULL);
    AppendMenuA(help, MF_STRING, IDM_ABOUT, "&About Quorbelix...");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)file, "&File");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)view, "&View");
    AppendMenuA(bar, MF_POPUP, (UINT_PTR)help, "&Help");
    return bar;
}

static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    char helpPath[MAX_PATH];
    switch (message) {
    case WM_CREATE:
        g_edit = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE |
                                     ES_AUTOVSCROLL | ES_WANTRETURN,
                                 0, 0, 0, 0, window, (HMENU)IDC_EDIT, NULL, NULL);
        SendMessageA(g_edit, WM_SETFONT, (WPARAM)GetStockObject(ANSI_FIXED_FONT), TRUE);
        return 0;
    case WM_SIZE:
        MoveWindow(g_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_SETFOCUS:
        SetFocus(g_edit);
        return 0;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDM_NEW:
            SetWindowTextA(g_edit, "");
            return 0;
        case IDM_OPEN:
            LoadNote(window);
            return 0;
        case IDM_SAVE:
            SaveNote(window);
            return 0;
        case IDM_EXIT:
            DestroyWindow(window);
            return 0;
        case IDM_WORDWRAP:
            CheckMenuItem(GetMenu(window), IDM_WORDWRAP,
                          GetMenuState(GetMenu(window), IDM_WORDWRAP, MF_BYCOMMAND) & MF_CHECKED
                              ? MF_UNCHECKED
                              : MF_CHECKED);
            return 0;
        case IDM_STATS:
            ShowStatistics(window);
            return 0;
        case IDM_HELP:
            HelpPath(helpPath, sizeof helpPath);
            WinHelpA(window, helpPath, HELP_FINDER, 0);
            return 0;
        case IDM_ABOUT:
            MessageBoxA(window, "Quorbelix 1.0\r\nA note keeper.", "About Quorbelix",
                        MB_OK | MB_ICONINFORMATION);
            return 0;
        }
        break;
    case WM_DESTROY:
        HelpPath(helpPath, sizeof helpPath);
        WinHelpA(window, helpPath, HELP_QUIT, 0);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show) {
    WNDCLASSA wc;
    HWND window;
    MSG msg;
    ACCEL keys[] = {{FCONTROL | FVIRTKEY, 'N', IDM_NEW},
                    {FCONTROL | FVIRTKEY, 'O', IDM_OPEN},
                    {FCONTROL | FVIRTKEY, 'S', IDM_SAVE},
                    {FVIRTKEY, VK_F1, IDM_HELP}};
    HACCEL accelerators = CreateAcceleratorTableA(keys, 4);
    (void)previous;
    (void)commandLine;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc))
        return 1;
    window = CreateWindowExA(0, kClassName, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                             CW_USEDEFAULT, 640, 480, NULL, BuildMenu(), instance, NULL);
    if (!window)
        return 1;
    ShowWindow(window, show);
    UpdateWindow(window);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        if (!TranslateAcceleratorA(window, accelerators, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return (int)msg.wParam;
}
