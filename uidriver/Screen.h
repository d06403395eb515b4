// Pictures of what the program under test shows: screen captures, BMP files and icon
// matching. Windows of another process cannot be asked to draw into our device context (under
// Wine a device context belongs to one process), so everything is read back from the screen:
// the window must be visible and not covered when it is captured.
//
// From a host shell, the whole virtual display can also be saved with ImageMagick:
//     DISPLAY=:99 import -window root shot.png
// (xvfb-run -a prints no display number; run the test under `xvfb-run -a -e /dev/stderr` or
// start Xvfb yourself to know it).
#pragma once

#include "Wait.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ui {

class Window;

// Pixels as 0x00RRGGBB, row by row from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
};

// What the screen shows in `rect` (screen coordinates).
Image CaptureScreen(const RECT& rect);
// What the screen shows of the window, frame included.
Image CaptureWindow(const Window& window);
// The same, once the picture has settled: the target drains its sent messages, nothing in the
// window waits to be painted, and three captures 40 ms apart agree (all within about 3 s). A
// window that was just shown or changed reaches the screen a little later.
Image CaptureSettled(const Window& window);

// Writes a 24-bit BMP file; fails when the file cannot be written.
void SaveBmp(const Image& image, const std::string& path, Where where = {});
// Captures the window once settled and writes it as a BMP file.
void SaveScreenshot(const Window& window, const std::string& path, Where where = {});

// The icon drawn at its own size (DrawIconEx, DI_NORMAL) on a plain `background`.
Image RenderIcon(HICON icon, COLORREF background);

// Whether `picture` contains `icon`: at some position, every pixel that the icon covers
// opaquely has the icon's colour there. Semi-transparent pixels are not compared.
bool ContainsIcon(const Image& picture, HICON icon);

// Loads icon resource `id` of an executable (without running it) at `size` pixels, for
// comparing with what the program shows. The caller owns the icon (DestroyIcon). Fails when the
// file or the resource is missing.
HICON LoadIconFromFile(const std::string& exe, int id, int size, Where where = {});

} // namespace ui
