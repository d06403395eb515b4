// Where the UI fixture program is, and a scenario base that starts it and waits for its dialog.
#pragma once

#include "FixtureIds.h"
#include "UiDriver.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

// The fixture is built next to the test program.
inline std::string FixturePath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + KRZ_UI_FIXTURE;
}

// "uifixture": the file name without extension, the caption of the fixture's message boxes.
inline std::string FixtureCaption() {
    const std::string name = KRZ_UI_FIXTURE;
    return name.substr(0, name.rfind('.'));
}

class FixtureScenario : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = std::make_unique<ui::Process>(FixturePath());
        dialog_ = app_->WaitForDialog("UI Fixture");
    }
    void TearDown() override { app_.reset(); }

    ui::Process& App() { return *app_; }
    ui::Window Item(int id) const { return dialog_.Item(id); }

    // Opens the picker with the browse button and returns its dialog.
    ui::Window OpenPicker() {
        Item(IDC_BROWSE).Click();
        return App().WaitForDialog("Pick Folder");
    }

    std::unique_ptr<ui::Process> app_;
    ui::Window dialog_;
};
