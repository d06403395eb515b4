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

// The pictures and the script that makes the icons of them, carried by this test program as
// RCDATA (AppTest.rc).
constexpr int kMainPicture = 1;
constexpr int kClosedPicture = 2;
constexpr int kOpenPicture = 3;
constexpr int kIconScript = 4;

std::string Resource(int id) {
    const HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    EXPECT_NE(found, nullptr);
    if (!found)
        return {};
    const char* text = static_cast<const char*>(LockResource(LoadResource(nullptr, found)));
    return std::string(text, SizeofResource(nullptr, found));
}

// image size -> rows, from a picture in the format of res/mkicon.pl.
std::map<int, std::vector<std::string>> Picture(int id) {
    std::istringstream in(Resource(id));
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

// A letter's colour as 0x00RRGGBB, from the palette of res/mkicon.pl ("[k => 0x000000], ...").
DWORD Colour(char c) {
    static const std::map<char, DWORD> colours = [] {
        std::map<char, DWORD> palette;
        const std::string script = Resource(kIconScript);
        const std::string arrow = " => 0x";
        for (std::size_t at = script.find(arrow); at != std::string::npos && at > 0;
             at = script.find(arrow, at + arrow.size()))
            palette[script[at - 1]] =
                DWORD(std::stoul(script.substr(at + arrow.size(), 6), nullptr, 16));
        return palette;
    }();
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
                    const DWORD expected = Colour(drawn == '.' ? 'k' : drawn);
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
