#include "window/win32/profile_canvas.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "window/fonts.h"
#include "window/win32/controls.h"
#include "window/win32/gdi.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TavorinProfileDrawing";

int scaled(double units, double scale) { return static_cast<int>(std::lround(units * scale)); }

// "#rrggbb"
COLORREF colourOf(std::string_view hex) {
    unsigned rgb = 0;
    if (hex.size() == 7) std::from_chars(hex.data() + 1, hex.data() + 7, rgb, 16);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A stroke's pen at `scale` device pixels to a drawing unit: its colour, its width (at least a
// pixel), dashed 6 on 3 as the sheet's drawing dashes it.
HPEN strokePen(ProfileDrawing::Stroke stroke, double scale) {
    LOGBRUSH brush{BS_SOLID, colourOf(strokeColour(stroke)), 0};
    const auto width = static_cast<DWORD>(std::max(1, scaled(strokeWidth(stroke), scale)));
    if (strokeDashed(stroke)) {
        const DWORD dashes[] = {static_cast<DWORD>(std::max(1, scaled(6, scale))),
                                static_cast<DWORD>(std::max(1, scaled(3, scale)))};
        return ExtCreatePen(PS_GEOMETRIC | PS_USERSTYLE | PS_ENDCAP_FLAT | PS_JOIN_MITER, width,
                            &brush, 2, dashes);
    }
    return ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width, &brush, 0,
                        nullptr);
}

}  // namespace

std::unique_ptr<ProfileCanvas> ProfileCanvas::create(HINSTANCE instance, HWND parent, int id,
                                                     std::wstring face) {
    // Its background is never erased: WM_PAINT paints it whole.
    if (!registerWindowClass(instance, kClassName, windowProc)) return nullptr;
    std::unique_ptr<ProfileCanvas> canvas(new ProfileCanvas(std::move(face)));
    if (CreateWindowExW(WS_EX_CLIENTEDGE, kClassName, nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(INT_PTR{id}), instance, canvas.get()) == nullptr) {
        return nullptr;
    }
    return canvas;
}

// The window goes with its parent.
ProfileCanvas::~ProfileCanvas() {
    if (m_window != nullptr) SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
}

LRESULT CALLBACK ProfileCanvas::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    return dispatchToObject(window, message, wParam, lParam, &ProfileCanvas::m_window,
                            &ProfileCanvas::handle);
}

LRESULT ProfileCanvas::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SIZE:
            redraw();
            return 0;
        case WM_ERASEBKGND:
            return 1;  // painted whole in WM_PAINT
        case WM_PAINT:
            onPaint();
            return 0;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void ProfileCanvas::setDpi(int dpi) {
    m_dpi = dpi;
    LOGFONTW font{};
    font.lfHeight = -scaled(ProfileDrawing{}.labelSize, dpi / 96.0);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = antialiasGlyphs(dpi) ? DEFAULT_QUALITY : NONANTIALIASED_QUALITY;
    m_face.copy(font.lfFaceName, LF_FACESIZE - 1);
    m_font.reset(CreateFontIndirectW(&font));
    redraw();
}

void ProfileCanvas::show(const Penstock* penstock) {
    m_penstock = penstock;
    redraw();
}

// The drawing laid out at the client area's size, in drawing units (pixels at 96 dpi), and
// painted now.
void ProfileCanvas::redraw() {
    m_drawing.reset();
    RECT client{};
    GetClientRect(m_window, &client);
    if (m_penstock != nullptr && client.right > 0 && client.bottom > 0) {
        const double toUnits = 96.0 / m_dpi;
        m_drawing = drawProfile(*m_penstock, client.right * toUnits, client.bottom * toUnits);
    }
    InvalidateRect(m_window, nullptr, FALSE);
    UpdateWindow(m_window);
}

// Off screen first, so that a redraw does not flicker.
void ProfileCanvas::onPaint() {
    PAINTSTRUCT paint{};
    const HDC target = BeginPaint(m_window, &paint);
    RECT client{};
    GetClientRect(m_window, &client);
    {
        MemoryDc memory(target);
        GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(target, client.right, client.bottom));
        if (memory.get() == nullptr || bitmap.get() == nullptr) {
            paintDrawing(target, client);
        } else {
            Selected selected(memory.get(), bitmap.get());
            paintDrawing(memory.get(), client);
            BitBlt(target, 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(m_window, &paint);
}

void ProfileCanvas::paintDrawing(HDC dc, const RECT& client) {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!m_drawing) return;
    const ProfileDrawing& d = *m_drawing;
    const double s = m_dpi / 96.0;
    const auto at = [s](const ProfileDrawing::Point& p) {
        return POINT{scaled(p.x, s), scaled(p.y, s)};
    };
    for (const ProfileDrawing::Line& line : d.lines) {
        if (line.points.size() < 2) continue;
        GdiObject<HPEN> pen(strokePen(line.stroke, s));
        Selected selected(dc, pen.get());
        std::vector<POINT> points;
        for (const ProfileDrawing::Point& p : line.points) points.push_back(at(p));
        Polyline(dc, points.data(), static_cast<int>(points.size()));
    }
    Selected font(dc, m_font.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    const auto text = [dc](POINT where, const std::string& utf8, UINT align) {
        const std::wstring wide = widen(utf8);
        SetTextAlign(dc, TA_BASELINE | align);
        TextOutW(dc, where.x, where.y, wide.c_str(), static_cast<int>(wide.size()));
    };
    // The marks as the sheet draws them, each a filled outline, and their labels.
    for (const ProfileDrawing::Marker& m : d.markers) {
        const MarkShape shape = markShape(d, m);
        std::vector<POINT> outline;
        for (const ProfileDrawing::Point& p : shape.outline) outline.push_back(at(p));
        GdiObject<HBRUSH> brush(CreateSolidBrush(colourOf(shape.colour)));
        {
            Selected pen(dc, GetStockObject(NULL_PEN));
            Selected fill(dc, brush.get());
            Polygon(dc, outline.data(), static_cast<int>(outline.size()));
        }
        if (m.labelled) text(at(shape.label), m.name, TA_LEFT);
    }
    for (const ProfileDrawing::Text& t : d.texts) {
        const UINT align = t.anchor == ProfileDrawing::Anchor::Start    ? TA_LEFT
                           : t.anchor == ProfileDrawing::Anchor::Middle ? TA_CENTER
                                                                        : TA_RIGHT;
        text(at(t.at), t.text, align);
    }
}

}  // namespace tavorin::win32
