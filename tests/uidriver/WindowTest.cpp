#include "UiFixture.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using WindowScenario = FixtureScenario;

TEST_F(WindowScenario, ReadsTextsVisibilityAndState) {
    EXPECT_EQ(dialog_.Text(), "UI Fixture");
    EXPECT_EQ(Item(IDC_PATH).Text(), "C:\\Fixture");
    EXPECT_EQ(Item(IDOK).Text(), "OK");
    EXPECT_EQ(Item(IDC_PLATFORM).Text(), "Platform 2");
    EXPECT_EQ(Item(IDC_PATH).ClassName(), "Edit");

    EXPECT_TRUE(Item(IDOK).Visible());
    EXPECT_TRUE(Item(IDOK).Enabled());
    EXPECT_FALSE(Item(IDC_HIDDEN).Visible());
    EXPECT_FALSE(Item(IDC_HIDDEN).Enabled());
    EXPECT_FALSE(dialog_.HasItem(4242));
    EXPECT_THROW(dialog_.Item(4242), ui::Failure);
}

TEST_F(WindowScenario, ReadsStylesAndRectanglesInDialogUnits) {
    EXPECT_TRUE(Item(IDOK).HasStyle(BS_DEFPUSHBUTTON));
    EXPECT_FALSE(Item(IDCANCEL).HasStyle(BS_DEFPUSHBUTTON));
    EXPECT_TRUE(Item(IDC_PATH).HasStyle(ES_AUTOHSCROLL | WS_TABSTOP));
    // The edit control trades the template's WS_BORDER for a sunken client edge.
    EXPECT_FALSE(Item(IDC_PATH).HasStyle(WS_BORDER));
    EXPECT_TRUE(Item(IDC_PATH).ExStyle() & WS_EX_CLIENTEDGE);
    EXPECT_TRUE(Item(IDC_BROWSE).HasStyle(BS_ICON));
    EXPECT_TRUE(dialog_.ExStyle() & WS_EX_APPWINDOW);

    // The template, read from the fixture's file, is the dialog the dialog manager made of it:
    // each control where the template puts it, in pixels of the template's font.
    const ui::DialogTemplate fixture = ui::ReadDialogTemplate(FixturePath(), IDD_FIXTURE);
    std::vector<int> ids, templateIds;
    for (const ui::Window& child : dialog_.Children())
        ids.push_back(child.Id());
    for (const ui::DialogControl& c : fixture.controls) {
        SCOPED_TRACE(c.id);
        templateIds.push_back(c.id);
        const ui::Window control = Item(c.id);
        EXPECT_STRCASEEQ(control.ClassName().c_str(), c.className.c_str());
        const RECT expected = fixture.Pixels(c);
        const RECT actual = control.Rect();
        EXPECT_EQ(actual, expected);
        EXPECT_TRUE(control.HasStyle(c.style & ~(c.id == IDC_PATH ? WS_BORDER : 0)));
        EXPECT_EQ(control.ExStyle() & c.exStyle, c.exStyle);
        if (c.className == "Button") {
            EXPECT_EQ(control.Text(), c.text);
        }
    }
    EXPECT_EQ(ids, templateIds);
    EXPECT_TRUE(dialog_.HasStyle(fixture.style));
    EXPECT_EQ(dialog_.ExStyle() & fixture.exStyle, fixture.exStyle);
    const RECT size = fixture.Pixels(0, 0, fixture.cx, fixture.cy);
    EXPECT_EQ(dialog_.ClientSize().cx, size.right);
    EXPECT_EQ(dialog_.ClientSize().cy, size.bottom);
}

TEST(DialogTemplate, OneCutShortOrOfTheOlderFormFailsInsteadOfBeingReadPastItsEnd) {
    const HMODULE module = LoadLibraryExA(FixturePath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(IDD_FIXTURE), RT_DIALOG);
    ASSERT_NE(resource, nullptr);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, resource)));
    const std::vector<char> bytes(data, data + SizeofResource(module, resource));
    FreeLibrary(module);
    EXPECT_NO_THROW(ui::ParseDialogTemplate(bytes.data(), bytes.size()));
    for (size_t size = 0; size < bytes.size(); ++size) {
        const std::vector<char> cut(bytes.begin(), bytes.begin() + std::ptrdiff_t(size));
        EXPECT_THROW(ui::ParseDialogTemplate(cut.data(), cut.size()), ui::Failure) << size;
    }
    // DIALOG rather than DIALOGEX: a style, no signature.
    const WORD older[] = {LOWORD(WS_POPUP), HIWORD(WS_POPUP), 0, 0, 0, 0, 0, 100, 50, 0, 0, 0};
    EXPECT_THROW(ui::ParseDialogTemplate(older, sizeof older), ui::Failure);
}

TEST_F(WindowScenario, ClicksReachTheDialog) {
    Item(IDC_PATH).SetText("D:\\Other Place");
    Item(IDOK).Click();
    Item(IDC_MESSAGE).WaitForText("OK: D:\\Other Place");
}

TEST_F(WindowScenario, AHiddenButtonCannotBeClicked) {
    try {
        Item(IDC_HIDDEN).Click();
        FAIL() << "clicked a hidden button";
    } catch (const ui::Failure& failure) {
        EXPECT_NE(std::string(failure.what()).find("not visible"), std::string::npos)
            << failure.what();
    }
}

TEST_F(WindowScenario, EnterInTheEditActsOnTheDefaultButton) {
    const ui::Window edit = Item(IDC_PATH);
    edit.SetText("E:\\Typed");
    edit.MouseClick();
    ASSERT_TRUE(ui::WaitUntil([&] { return dialog_.Focus() == edit; }))
        << "focus is on " << dialog_.Focus().Describe();
    dialog_.PressKey(VK_RETURN);
    Item(IDC_MESSAGE).WaitForText("OK: E:\\Typed");
    EXPECT_TRUE(App().Running()) << "OK must not end the fixture's dialog";
}

TEST_F(WindowScenario, TellsWhichIconAButtonShows) {
    EXPECT_NE(Item(IDC_BROWSE).ButtonImage(), nullptr);
    EXPECT_EQ(Item(IDOK).ButtonImage(), nullptr);
    const HICON closed = ui::LoadIconFromFile(FixturePath(), IDI_FOLDER_CLOSED, 16);
    const HICON open = ui::LoadIconFromFile(FixturePath(), IDI_FOLDER_OPEN, 16);
    EXPECT_TRUE(Item(IDC_BROWSE).Shows(closed));
    EXPECT_FALSE(Item(IDC_BROWSE).Shows(open, 0));
    EXPECT_FALSE(Item(IDOK).Shows(closed, 0));
    DestroyIcon(closed);
    DestroyIcon(open);
}

// The pixels of a 24-bit bottom-up BMP file as SaveBmp writes it.
ui::Image ReadBmp(const std::string& bytes) {
    ui::Image image;
    BITMAPFILEHEADER file;
    BITMAPINFOHEADER info;
    if (bytes.size() < sizeof file + sizeof info)
        return image;
    memcpy(&file, bytes.data(), sizeof file);
    memcpy(&info, bytes.data() + sizeof file, sizeof info);
    const size_t stride = size_t((info.biWidth * 3 + 3) & ~3);
    if (file.bfType != 0x4D42 || info.biBitCount != 24 || info.biHeight <= 0 ||
        bytes.size() != file.bfOffBits + stride * size_t(info.biHeight))
        return image;
    image.width = info.biWidth;
    image.height = info.biHeight;
    for (int y = 0; y < image.height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(bytes.data()) + file.bfOffBits +
                          size_t(image.height - 1 - y) * stride;
        for (int x = 0; x < image.width; ++x)
            image.pixels.push_back(std::uint32_t(row[x * 3]) | std::uint32_t(row[x * 3 + 1]) << 8 |
                                   std::uint32_t(row[x * 3 + 2]) << 16);
    }
    return image;
}

TEST_F(WindowScenario, SavesAScreenshotOfTheDialog) {
    const HICON closed = ui::LoadIconFromFile(FixturePath(), IDI_FOLDER_CLOSED, 16);
    ASSERT_TRUE(Item(IDC_BROWSE).Shows(closed)) << "the dialog is drawn";
    ui::ScratchFolder folder;
    const std::string path = folder / "dialog.bmp";
    ui::SaveScreenshot(dialog_, path);
    const ui::Image saved = ReadBmp(ui::ReadFileBytes(path));
    const RECT rect = dialog_.Rect();
    EXPECT_EQ(saved.width, rect.right - rect.left);
    EXPECT_EQ(saved.height, rect.bottom - rect.top);
    EXPECT_TRUE(ui::ContainsIcon(saved, closed)) << "the file holds what the screen shows";
    DestroyIcon(closed);
}

} // namespace
