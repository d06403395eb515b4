// The installer's icons, as the system loads them from the executable, pixel by pixel
// against the text pictures they were drawn from.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "resource.h"

namespace {

// The pictures, carried by this test program as RCDATA (AppTest.rc).
constexpr int kMainPicture = 1;
constexpr int kClosedPicture = 2;
constexpr int kOpenPicture = 3;

// image size -> rows, from a picture in the format of res/mkicon.pl.
std::map<int, std::vector<std::string>> Picture(int id) {
    const HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    EXPECT_NE(found, nullptr);
    if (!found)
        return {};
    const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    std::istringstream in(std::string(text, SizeofResource(nullptr, found)));
    std::map<int, std::vector<std::string>> images;
    std::string line;
    int size = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("image ", 0) == 0) {
            size = std::stoi(line.substr(6));
            continue;
        }
        if (size && int(line.size()) == size && line[0] != '#')
            images[size].push_back(line);
    }
    return images;
}

COLORREF Colour(char c) {
    static const std::map<char, COLORREF> colours = {
        {'k', RGB(0, 0, 0)},       {'r', RGB(128, 0, 0)},     {'g', RGB(0, 128, 0)},
        {'y', RGB(128, 128, 0)},   {'n', RGB(0, 0, 128)},     {'p', RGB(128, 0, 128)},
        {'t', RGB(0, 128, 128)},   {'s', RGB(192, 192, 192)}, {'d', RGB(128, 128, 128)},
        {'R', RGB(255, 0, 0)},     {'G', RGB(0, 255, 0)},     {'Y', RGB(255, 255, 0)},
        {'B', RGB(0, 0, 255)},     {'M', RGB(255, 0, 255)},   {'C', RGB(0, 255, 255)},
        {'W', RGB(255, 255, 255)},
    };
    return colours.at(c);
}

// The pixels of a bitmap as 0x00RRGGBB, top row first.
std::vector<DWORD> Pixels(HBITMAP bitmap, int size) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    std::vector<DWORD> pixels(std::size_t(size * size));
    const HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, bitmap, 0, UINT(size), pixels.data(), &info, DIB_RGB_COLORS), size);
    ReleaseDC(nullptr, dc);
    for (DWORD& p : pixels)
        p &= 0xFFFFFF;
    return pixels;
}

TEST(Icons, EveryPixelIsAsDrawn) {
    struct Case {
        int icon, picture;
        std::vector<int> sizes;
    };
    const Case cases[] = {
        {IDI_MAIN, kMainPicture, {32, 16}},
        {IDI_FOLDER_CLOSED, kClosedPicture, {16}},
        {IDI_FOLDER_OPEN, kOpenPicture, {16}},
    };
    for (const Case& c : cases) {
        const auto picture = Picture(c.picture);
        ASSERT_EQ(picture.size(), c.sizes.size()) << c.icon;
        for (int size : c.sizes) {
            SCOPED_TRACE(testing::Message() << "icon " << c.icon << ", " << size << " pixels");
            const std::vector<std::string>& rows = picture.at(size);
            ASSERT_EQ(int(rows.size()), size);
            const HICON icon = HICON(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.icon),
                                                IMAGE_ICON, size, size, 0));
            ASSERT_NE(icon, nullptr);
            ICONINFO info = {};
            ASSERT_TRUE(GetIconInfo(icon, &info));
            const std::vector<DWORD> colour = Pixels(info.hbmColor, size);
            const std::vector<DWORD> mask = Pixels(info.hbmMask, size);
            int wrong = 0;
            for (int y = 0; y < size; ++y) {
                for (int x = 0; x < size; ++x) {
                    const char drawn = rows[std::size_t(y)][std::size_t(x)];
                    const std::size_t i = std::size_t(y * size + x);
                    const bool transparent = mask[i] != 0;
                    const COLORREF rgb = Colour(drawn == '.' ? 'k' : drawn);
                    const DWORD expected =
                        DWORD(GetRValue(rgb)) << 16 | DWORD(GetGValue(rgb)) << 8 | GetBValue(rgb);
                    if (transparent != (drawn == '.') || colour[i] != expected) {
                        if (++wrong <= 3)
                            ADD_FAILURE()
                                << "pixel " << x << "," << y << " drawn '" << drawn << "' is "
                                << std::hex << colour[i] << (transparent ? " transparent" : "");
                    }
                }
            }
            EXPECT_EQ(wrong, 0);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
            DestroyIcon(icon);
        }
    }
}

} // namespace
