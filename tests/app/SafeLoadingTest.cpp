// No library is ever loaded from the installer's own folder. The installer and a probe run
// from a folder where DLLs of the run-time-bound libraries' names (version, lz32, comctl32)
// are planted, with Wine told to prefer such native DLLs to its own (WINEDLLOVERRIDES, set by
// the test's registration: Wine reads it from the Unix environment that the processes it
// starts inherit, not from their Windows environment); a planted DLL that gets loaded leaves
// a marker file. A probe that loads the libraries by bare name proves that the planted DLLs
// would be found.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "AppTestSupport.h"

namespace {

const char* const kPlanted[] = {"version.dll", "lz32.dll", "comctl32.dll"};

class SafeLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "krz-planted-" + std::to_string(GetCurrentProcessId()) + "\\";
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        const std::string here = ProgramFolder();
        for (const char* program : {"krzsetup.exe", "load_probe.exe"})
            ASSERT_TRUE(CopyFileA((here + program).c_str(), (folder_ + program).c_str(), FALSE))
                << program;
        for (const char* dll : kPlanted)
            ASSERT_TRUE(CopyFileA((here + "krzplant.dll").c_str(), (folder_ + dll).c_str(), FALSE));

        char overrides[512] = {};
        GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
        ASSERT_NE(std::string(overrides).find("version,lz32,comctl32=n,b"), std::string::npos)
            << overrides;
    }

    void TearDown() override {
        WIN32_FIND_DATAA entry;
        const HANDLE find = FindFirstFileA((folder_ + "*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileA((folder_ + entry.cFileName).c_str());
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryA(folder_.c_str());
    }

    // The planted DLLs that were loaded.
    std::string Loaded() const {
        std::string loaded;
        for (const char* dll : kPlanted) {
            const std::string marker = folder_ + dll + ".loaded";
            if (GetFileAttributesA(marker.c_str()) != INVALID_FILE_ATTRIBUTES) {
                loaded += std::string(loaded.empty() ? "" : " ") + dll;
                DeleteFileA(marker.c_str());
            }
        }
        return loaded;
    }

    // Starts a program of the folder, with the folder as its current directory.
    PROCESS_INFORMATION Start(const std::string& commandLine) {
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        std::string line = commandLine;
        EXPECT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                                   folder_.c_str(), &startup, &process))
            << commandLine << ": " << GetLastError();
        return process;
    }

    // Waits for the process to end (killing it after 20 s) and returns its exit code.
    static DWORD Finish(PROCESS_INFORMATION& process) {
        if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "the process did not end";
            TerminateProcess(process.hProcess, 255);
            WaitForSingleObject(process.hProcess, 5000);
        }
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return code;
    }

    DWORD Run(const std::string& commandLine) {
        PROCESS_INFORMATION process = Start(commandLine);
        return process.hProcess ? Finish(process) : 255;
    }

    std::string folder_;
};

struct FindDialog {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<FindDialog*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->processId && IsWindowVisible(hwnd) &&
        WindowText(hwnd) == "Setup Quorbelix") {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST_F(SafeLoadingTest, PlantedLibrariesWouldBeFoundByName) {
    EXPECT_EQ(Run(folder_ + "load_probe.exe unsafe"), 0u);
    EXPECT_EQ(Loaded(), "version.dll lz32.dll comctl32.dll");
}

// Each of the two defences on its own: the process's search path without the program's
// folder, and the bound functions' libraries loaded by their full system path.
TEST_F(SafeLoadingTest, SafeSearchPathFindsNoPlantedLibraryAndStillMakesShellLinks) {
    EXPECT_EQ(Run(folder_ + "load_probe.exe search-path"), 0u); // 2: no shell link object
    EXPECT_EQ(Loaded(), "");
}

TEST_F(SafeLoadingTest, BoundFunctionsLoadNoPlantedLibrary) {
    EXPECT_EQ(Run(folder_ + "load_probe.exe bound"), 0u);
    EXPECT_EQ(Loaded(), "");
}

TEST_F(SafeLoadingTest, InstallerLoadsNoPlantedLibrary) {
    // Wine's own user32 imports version.dll, and the loader resolves that import with the
    // standard search, the program's folder first, before the program runs; a planted
    // version.dll would be loaded for any program that imports user32. On Windows, user32
    // and the installer's other imports depend on known DLLs only. So the installer's folder
    // gets the other two here; the probe above covers version.dll.
    ASSERT_TRUE(DeleteFileA((folder_ + "version.dll").c_str()));
    PreviousInstallation none(nullptr);
    PROCESS_INFORMATION process = Start("\"" + folder_ + "krzsetup.exe\"");
    ASSERT_NE(process.hProcess, nullptr);
    FindDialog search = {process.dwProcessId, nullptr};
    for (int i = 0; i < 200 && !search.found; ++i) {
        Sleep(50);
        EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&search));
    }
    EXPECT_NE(search.found, nullptr) << "the main dialog did not appear";
    if (search.found)
        PostMessageA(search.found, WM_COMMAND, IDCANCEL, 0);
    else
        TerminateProcess(process.hProcess, 255);
    EXPECT_EQ(Finish(process), 0u);
    EXPECT_EQ(Loaded(), "");
}

} // namespace
