// The drawing of a penstock's profile on Win32 (sheet/profile_drawing.h): a child window that
// lays drawProfile() out at its own size, in pixels of its DPI, and paints it with GDI, off
// screen first: geometric pens of the strokes' colours and widths (the static level dashed 6
// on 3, as the sheet's), the marks from markShape(), the texts in the window's face.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "engine/penstock.h"
#include "sheet/profile_drawing.h"
#include "window/win32/fonts.h"

namespace tavorin::win32 {

class ProfileCanvas {
  public:
    // A child of `parent` with identifier `id`, white and empty; nullptr when the system
    // refuses it.
    static std::unique_ptr<ProfileCanvas> create(HINSTANCE instance, HWND parent, int id,
                                                 std::wstring face);
    ~ProfileCanvas();
    ProfileCanvas(const ProfileCanvas&) = delete;
    ProfileCanvas& operator=(const ProfileCanvas&) = delete;

    HWND window() const { return m_window; }

    // The DPI the drawing is painted at (its texts' font too).
    void setDpi(int dpi);

    // The line to draw, or nothing; it stays as it is until the next call.
    void show(const Penstock* penstock);

  private:
    explicit ProfileCanvas(std::wstring face) : m_face(std::move(face)) {}
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void onPaint();
    void redraw();
    void paintDrawing(HDC dc, const RECT& client);

    HWND m_window = nullptr;
    std::wstring m_face;
    int m_dpi = 96;
    Font m_font;
    const Penstock* m_penstock = nullptr;
    std::optional<ProfileDrawing> m_drawing;  // at the client area's size
};

}  // namespace tavorin::win32
