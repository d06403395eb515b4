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

    struct Case {
        int id, left, top, width, height;
    };
    for (const Case& c : {Case{IDC_PATH, 2, 12, 241, 14}, Case{IDC_BROWSE, 245, 11, 22, 16},
                          Case{IDOK, 217, 103, 50, 14}, Case{IDC_HIDDEN, 138, 80, 40, 14}}) {
        SCOPED_TRACE(c.id);
        const RECT expected =
            ui::DialogUnitsToPixels(c.left, c.top, c.width, c.height, "MS Sans Serif", 8);
        const RECT actual = Item(c.id).Rect();
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
    }
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
