#include "Screen.h"

#include "Window.h"

#include <cstdio>
#include <memory>
#include <utility>

namespace ui {

namespace {

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// A 32-bit top-down DIB section selected into a memory DC, deselected and freed on scope exit.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        HDC screen = GetDC(nullptr);
        dc_.reset(CreateCompatibleDC(screen));
        ReleaseDC(nullptr, screen);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        bitmap_ = CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        if (bitmap_)
            old_ = SelectObject(dc_.get(), bitmap_);
    }
    ~Canvas() {
        if (bitmap_) {
            SelectObject(dc_.get(), old_);
            DeleteObject(bitmap_);
        }
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC Dc() const { return dc_.get(); }
    bool Ok() const { return bitmap_ != nullptr; }

    Image Pixels() const {
        GdiFlush();
        Image image;
        if (!bits_)
            return image;
        image.width = width_;
        image.height = height_;
        const auto* p = static_cast<const std::uint32_t*>(bits_);
        image.pixels.assign(p, p + size_t(width_) * size_t(height_));
        for (auto& pixel : image.pixels)
            pixel &= 0x00FFFFFF;
        return image;
    }

private:
    int width_, height_;
    MemoryDc dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    void* bits_ = nullptr;
};

SIZE IconSize(HICON icon) {
    SIZE size = {0, 0};
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return size;
    BITMAP bm = {};
    GetObject(info.hbmMask, sizeof bm, &bm);
    size.cx = bm.bmWidth;
    size.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2; // monochrome: AND over XOR
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return size;
}

} // namespace

Image CaptureScreen(const RECT& rect) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return Image();
    Canvas canvas(width, height);
    HDC screen = GetDC(nullptr);
    BitBlt(canvas.Dc(), 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return canvas.Pixels();
}

Image CaptureWindow(const Window& window) {
    RECT rect = {};
    GetWindowRect(window.Handle(), &rect);
    return CaptureScreen(rect);
}

namespace {

// Whether the window or one of its descendants still waits to be painted. Update regions are
// kept by the window manager, so they can be asked for across processes.
bool PaintPending(HWND hwnd) {
    if (GetUpdateRect(hwnd, nullptr, FALSE))
        return true;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && PaintPending(child))
            return true;
    return false;
}

} // namespace

Image CaptureSettled(const Window& window) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window.Handle(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    WaitUntil([&] { return !PaintPending(window.Handle()); }, 2000);
    // The painted pixels reach the screen a little after the painting: wait until three
    // captures in a row agree.
    Image last = CaptureWindow(window);
    int agreeing = 1;
    for (int round = 0; round < 40 && agreeing < 3; ++round) {
        Sleep(40);
        Image next = CaptureWindow(window);
        const bool same =
            next.width == last.width && next.height == last.height && next.pixels == last.pixels;
        agreeing = same ? agreeing + 1 : 1;
        last = std::move(next);
    }
    return last;
}

void SaveBmp(const Image& image, const std::string& path, Where where) {
    const int stride = (image.width * 3 + 3) & ~3;
    const DWORD dataSize = DWORD(stride) * DWORD(image.height);
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + dataSize;
    info.biSize = sizeof info;
    info.biWidth = image.width;
    info.biHeight = image.height; // bottom-up
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = dataSize;
    std::vector<unsigned char> data(dataSize);
    for (int y = 0; y < image.height; ++y) {
        unsigned char* row = &data[size_t(image.height - 1 - y) * size_t(stride)];
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t pixel = image.At(x, y);
            row[x * 3 + 0] = static_cast<unsigned char>(pixel);
            row[x * 3 + 1] = static_cast<unsigned char>(pixel >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(pixel >> 16);
        }
    }
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        Fail(where, "cannot create " + path);
    const bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                    std::fwrite(&info, sizeof info, 1, out) == 1 &&
                    (data.empty() || std::fwrite(data.data(), data.size(), 1, out) == 1);
    if (std::fclose(out) != 0 || !ok)
        Fail(where, "cannot write " + path);
}

void SaveScreenshot(const Window& window, const std::string& path, Where where) {
    SaveBmp(CaptureSettled(window), path, where);
}

Image RenderIcon(HICON icon, COLORREF background) {
    const SIZE size = IconSize(icon);
    Canvas canvas(size.cx, size.cy);
    if (!canvas.Ok())
        return Image();
    RECT all = {0, 0, size.cx, size.cy};
    HBRUSH brush = CreateSolidBrush(background);
    FillRect(canvas.Dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(canvas.Dc(), 0, 0, icon, size.cx, size.cy, 0, nullptr, DI_NORMAL);
    return canvas.Pixels();
}

bool ContainsIcon(const Image& picture, HICON icon) {
    // A pixel the icon covers opaquely comes out the same on black and on white.
    const Image onBlack = RenderIcon(icon, RGB(0, 0, 0));
    const Image onWhite = RenderIcon(icon, RGB(255, 255, 255));
    if (onBlack.width == 0 || onBlack.width > picture.width || onBlack.height > picture.height)
        return false;
    struct Point {
        int x, y;
        std::uint32_t colour;
    };
    std::vector<Point> opaque;
    for (int y = 0; y < onBlack.height; ++y)
        for (int x = 0; x < onBlack.width; ++x)
            if (onBlack.At(x, y) == onWhite.At(x, y))
                opaque.push_back({x, y, onBlack.At(x, y)});
    if (opaque.empty())
        return false;
    for (int top = 0; top + onBlack.height <= picture.height; ++top) {
        for (int left = 0; left + onBlack.width <= picture.width; ++left) {
            bool match = true;
            for (const Point& p : opaque) {
                if (picture.At(left + p.x, top + p.y) != p.colour) {
                    match = false;
                    break;
                }
            }
            if (match)
                return true;
        }
    }
    return false;
}

HICON LoadIconFromFile(const std::string& exe, int id, int size, Where where) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module)
        Fail(where, "cannot load " + exe + " (error " + std::to_string(GetLastError()) + ")");
    // Not shared: the icon is a copy that outlives the module.
    HANDLE icon = LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, 0);
    FreeLibrary(module);
    if (!icon)
        Fail(where,
             "no icon " + std::to_string(id) + " of " + std::to_string(size) + " pixels in " + exe);
    return static_cast<HICON>(icon);
}

} // namespace ui
