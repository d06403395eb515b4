#include "UiFixture.h"

namespace {

TEST(Process, StartsInTheWorkingFolderAndReportsTheExitCode) {
    ui::ScratchFolder folder;
    ui::Process app(FixturePath(), "", folder.Path());
    const ui::Window dialog = app.WaitForDialog("UI Fixture");
    EXPECT_EQ(dialog.Item(IDC_MESSAGE).Text(), folder.Path());
    dialog.Item(IDC_QUIT).Click();
    EXPECT_EQ(app.WaitForExit(), DWORD(FIXTURE_QUIT_CODE));
    EXPECT_FALSE(app.Running());
}

TEST(Process, EscapeEndsTheDialogWithCancel) {
    ui::Process app(FixturePath());
    app.WaitForDialog("UI Fixture").PressKey(VK_ESCAPE);
    EXPECT_EQ(app.WaitForExit(), DWORD(IDCANCEL));
}

TEST(Process, AProgramThatCannotStartFails) {
    try {
        ui::Process app("C:\\no such folder\\missing.exe");
        FAIL() << "started a missing program";
    } catch (const ui::Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find("cannot start"), std::string::npos)
            << failure.what();
        EXPECT_NE(std::string(failure.what()).find("ProcessTest.cpp:"), std::string::npos)
            << "the failure names the scenario's line: " << failure.what();
    }
}

// A scenario that fails half-way must not leave its program behind, nor wait for it.
TEST(Process, AFailedScenarioKillsItsProgram) {
    HANDLE handle = nullptr;
    try {
        ui::Process app(FixturePath());
        handle = OpenProcess(SYNCHRONIZE, FALSE, app.Id());
        ASSERT_NE(handle, nullptr);
        app.WaitForDialog("UI Fixture");
        EXPECT_THROW(app.WaitForExit(200), ui::Failure); // it is still running
        app.WaitForDialog("No Such Dialog", 200);
        FAIL() << "found a dialog that does not exist";
    } catch (const ui::Failure& failure) {
        const std::string what = failure.what();
        EXPECT_NE(what.find("no dialog \"No Such Dialog\""), std::string::npos) << what;
        EXPECT_NE(what.find("\"UI Fixture\""), std::string::npos)
            << "the failure lists the windows there are: " << what;
    }
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_OBJECT_0) << "the program outlived its scenario";
    CloseHandle(handle);
    // The screen as the failure left it, for whoever looks into the failure.
    const std::string shot = "ui-failure-Process.AFailedScenarioKillsItsProgram.bmp";
    EXPECT_EQ(ui::ReadFileBytes(shot).substr(0, 2), "BM");
    ui::RemoveTree(shot);
}

} // namespace
