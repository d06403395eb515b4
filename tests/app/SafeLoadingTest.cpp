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
#include "UiDriver.h"

namespace {

const char* const kPlanted[] = {"version.dll", "lz32.dll", "comctl32.dll"};

class SafeLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        char overrides[512] = {};
        GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
        ASSERT_NE(std::string(overrides).find("version,lz32,comctl32=n,b"), std::string::npos)
            << overrides;
        const std::string here = ui::ProgramFolder();
        for (const char* program : {"krzsetup.exe", "load_probe.exe"})
            ASSERT_TRUE(CopyFileA((here + program).c_str(), (folder_ / program).c_str(), FALSE));
        for (const char* dll : kPlanted)
            ASSERT_TRUE(CopyFileA((here + "krzplant.dll").c_str(), (folder_ / dll).c_str(), FALSE));
    }

    // The planted DLLs that were loaded since the last look.
    std::string Loaded() const {
        std::string loaded;
        for (const char* dll : kPlanted) {
            const std::string marker = folder_ / (std::string(dll) + ".loaded");
            if (DeleteFileA(marker.c_str()))
                loaded += std::string(loaded.empty() ? "" : " ") + dll;
        }
        return loaded;
    }

    // Runs a program of the folder, with the folder as its current directory, to its end.
    DWORD Run(const std::string& program, const std::string& arguments) {
        ui::Process process(folder_ / program, arguments, folder_.Path());
        return process.WaitForExit();
    }

    ui::ScratchFolder folder_;
};

TEST_F(SafeLoadingTest, PlantedLibrariesWouldBeFoundByName) {
    EXPECT_EQ(Run("load_probe.exe", "unsafe"), 0u);
    EXPECT_EQ(Loaded(), "version.dll lz32.dll comctl32.dll");
}

// Each of the two defences on its own: the process's search path without the program's
// folder, and the bound functions' libraries loaded by their full system path.
TEST_F(SafeLoadingTest, SafeSearchPathFindsNoPlantedLibraryAndStillMakesShellLinks) {
    EXPECT_EQ(Run("load_probe.exe", "search-path"), 0u); // 2: no shell link object
    EXPECT_EQ(Loaded(), "");
}

// Where the program's folder cannot be taken out of the search (no SetDefaultDllDirectories),
// a library loaded beforehand from the system directory is what a load by name finds.
TEST_F(SafeLoadingTest, PreloadedLibrariesAreFoundInsteadOfPlantedOnes) {
    EXPECT_EQ(Run("load_probe.exe", "preloaded"), 0u);
    EXPECT_EQ(Loaded(), "");
}

TEST_F(SafeLoadingTest, BoundFunctionsLoadNoPlantedLibrary) {
    EXPECT_EQ(Run("load_probe.exe", "bound"), 0u);
    EXPECT_EQ(Loaded(), "");
}

TEST_F(SafeLoadingTest, InstallerLoadsNoPlantedLibrary) {
    // Wine's own user32 imports version.dll, and the loader resolves that import with the
    // standard search, the program's folder first, before the program runs; a planted
    // version.dll would be loaded for any program that imports user32. On Windows, user32
    // and the installer's other imports depend on known DLLs only. So the installer's folder
    // gets the other two here; the probe above covers version.dll.
    ASSERT_TRUE(DeleteFileA((folder_ / "version.dll").c_str()));
    PreviousInstallation none(nullptr);
    {
        ui::Process setup(folder_ / "krzsetup.exe", "", folder_.Path());
        setup.WaitForDialog("Setup Quorbelix").Item(IDCANCEL).Click();
        EXPECT_EQ(setup.WaitForExit(), 0u);
    }
    EXPECT_EQ(Loaded(), "");
}

} // namespace
