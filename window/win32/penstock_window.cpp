#include "window/win32/penstock_window.h"

#include <algorithm>
#include <exception>

#include "sheet/penstock_file.h"
#include "window/win32/clipboard.h"
#include "window/win32/controls.h"
#include "window/win32/dpi.h"
#include "window/win32/gdi.h"
#include "window/win32/profile_canvas.h"
#include "window/win32/text.h"

namespace tavorin::win32 {
namespace {

constexpr wchar_t kClassName[] = L"TavorinPenstockWindow";
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// The room a column gives each side of its widest text, in twips (8 pixels at 96 dpi), of
// which a list view's cell takes about 6.
constexpr int kCellMargin = 120;
// Where a list view's cell begins its text, in twips (about 5 pixels at 96 dpi).
constexpr int kCellTextIndent = 75;
// The room above and below a row's text, in twips (3 pixels at 96 dpi).
constexpr int kRowMargin = 45;

bool held(int key) { return GetKeyState(key) < 0; }

std::string itemText(HWND table, int row, int column) {
    std::wstring buffer(64, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<size_t>(
            SendMessageW(table, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
        if (length + 1 < buffer.size() || buffer.size() >= (size_t{1} << 24)) {
            buffer.resize(std::min(length, buffer.size()));
            return narrow(buffer);
        }
        buffer.assign(buffer.size() * 4, L'\0');
    }
}

void setItemText(HWND table, int row, int column, std::string_view text) {
    std::wstring wide = widen(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(table, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void insertItem(HWND table, int row) {
    wchar_t empty[] = L"";
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = empty;
    SendMessageW(table, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

void setItemState(HWND table, int row, UINT state, UINT mask) {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(table, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
}

int nextItem(HWND table, int after, UINT flags) {
    return static_cast<int>(
        SendMessageW(table, LVM_GETNEXTITEM, static_cast<WPARAM>(after), flags));
}

int textWidthIn(HDC dc, std::string_view text) {
    const std::wstring wide = widen(text);
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
}

}  // namespace

// --- the window

PenstockWindow::PenstockWindow(const PenstockHost& host) : m_host(host) {}

PenstockWindow::~PenstockWindow() {
    if (m_window != nullptr) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

std::unique_ptr<PenstockWindow> PenstockWindow::create(HINSTANCE instance,
                                                       const PenstockHost& host) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&classes);
    if (!registerWindowClass(instance, kClassName, windowProc)) return nullptr;
    std::unique_ptr<PenstockWindow> window(new PenstockWindow(host));
    if (CreateWindowExW(0, kClassName, widen(kPenstockWindowTitle).c_str(), kWindowStyle,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                        nullptr, instance, window.get()) == nullptr ||
        !window->build(instance)) {
        return nullptr;
    }
    return window;
}

LRESULT CALLBACK PenstockWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    return dispatchToObject(window, message, wParam, lParam, &PenstockWindow::m_window,
                            &PenstockWindow::handle);
}

LRESULT PenstockWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_NOTIFY:
            if (m_tips && m_tips->answer(lParam)) return 0;
            return onNotify(*reinterpret_cast<NMHDR*>(lParam));
        case WM_ACTIVATE:
            onActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_CLOSE:
            onClose();
            return 0;
        case WM_DROPFILES:
            onDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_TIMER:
            if (m_notice && m_notice->onTimer(wParam)) return 0;
            break;
        case WM_MOVE:
        case WM_SIZE:
            // The notice stands where the window was.
            if (m_notice) m_notice->hide();
            break;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DESTROY:
            m_names.reset();
            break;
        default:
            break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

bool PenstockWindow::build(HINSTANCE instance) {
    m_dpi = windowDpi(m_window);
    m_names = std::make_unique<AccessibleNames>();
    m_tips = std::make_unique<TextTips>(m_window, instance);
    m_notice = std::make_unique<Notice>(m_window, instance);
    const auto table = penstockWindowTable();
    m_controls.assign(table.size(), nullptr);
    for (size_t row = 0; row < table.size(); ++row) {
        const ControlSpec& c = table[row];
        m_controls[row] = createControl(c, m_window, kFirstControlId + static_cast<int>(row),
                                        instance, m_store, *m_names, *m_tips);
    }
    m_profile = createTable(instance, kProfileTableId, profileColumns(), true);
    m_results = createTable(instance, kResultTableId, resultColumns(), false);
    m_edit =
        CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0,
                        m_window, reinterpret_cast<HMENU>(INT_PTR{kCellEditId}), instance, nullptr);
    m_canvas = ProfileCanvas::create(instance, m_window, kDrawingId, m_host.face);
    if (m_profile == nullptr || m_results == nullptr || m_edit == nullptr || !m_canvas) {
        return false;
    }
    SendMessageW(m_edit, EM_SETLIMITTEXT, 0, 0);  // no limit
    m_names->set(m_profile, kProfileArea.name);
    m_names->set(m_results, kResultArea.name);
    m_names->set(m_canvas->window(), kDrawingArea.name);
    orderTables();
    if (const auto order = penstockFocusOrder(); !order.empty()) {
        m_lastFocus = m_controls[order.front()];
    }
    DragAcceptFiles(m_window, TRUE);
    layout();
    RECT frame{0, 0, twipsToPixels(kPenstockClientWidth, m_dpi),
               twipsToPixels(kPenstockClientHeight, m_dpi)};
    adjustWindowRect(frame, kWindowStyle, false, 0, m_dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The window is the controller's view and side (private bases, named here).
    m_controller.emplace(static_cast<PenstockView&>(*this), static_cast<WindowSide&>(*this),
                         m_host.store, m_host.side, m_host.document);
    m_controller->start();
    return true;
}

// A list view in report view with a column per entry of `columns`; the results' one row at a
// time.
HWND PenstockWindow::createTable(HINSTANCE instance, int id, std::span<const TableColumn> columns,
                                 bool editable) {
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                  LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS;
    if (!editable) style |= LVS_SINGLESEL;
    HWND table = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr, style, 0, 0, 0, 0,
                                 m_window, reinterpret_cast<HMENU>(INT_PTR{id}), instance, nullptr);
    if (table == nullptr) return nullptr;
    SendMessageW(table, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (size_t c = 0; c < columns.size(); ++c) {
        std::wstring caption = widen(columns[c].caption);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = caption.data();
        column.cx = 1;  // sized by layout()
        column.iSubItem = static_cast<int>(c);
        SendMessageW(table, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    return table;
}

// The focus order of the table's rows, with the profile after the last box and the results
// after the last button; the edit of a cell above the profile, which it lies on.
void PenstockWindow::orderTables() {
    const auto table = penstockWindowTable();
    const auto order = penstockFocusOrder();
    orderSiblings(table, m_controls, order);
    HWND lastBox = nullptr;
    HWND last = nullptr;
    for (const size_t row : order) {
        if (m_controls[row] == nullptr) continue;
        last = m_controls[row];
        if (table[row].kind != ControlKind::Button) lastBox = last;
    }
    constexpr UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(m_profile, lastBox != nullptr ? lastBox : HWND_TOP, 0, 0, 0, 0, keep);
    SetWindowPos(m_results, last != nullptr ? last : m_profile, 0, 0, 0, 0, keep);
    SetWindowPos(m_edit, HWND_TOP, 0, 0, 0, 0, keep);
}

// Every control at its twips and in its font, the tables and the drawing in their areas, the
// columns as wide as their widest texts, at m_dpi.
void PenstockWindow::layout() {
    m_fonts.emplace(m_host.face, m_dpi);
    const HFONT font = m_fonts->get(FontRole::Default);
    m_tips->setFont(font);
    layoutControls(penstockWindowTable(), m_controls, *m_fonts, m_dpi);
    const auto px = [this](int twips) { return twipsToPixels(twips, m_dpi); };
    const auto place = [&](HWND child, const Area& area) {
        SetWindowPos(child, nullptr, px(area.left), px(area.top), px(area.width), px(area.height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (HWND table : {m_profile, m_results, m_edit}) {
        SendMessageW(table, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    const int margin = px(15);
    SendMessageW(m_edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));
    // Rows with room above and below their text: a list view's rows are as high as its small
    // images where those are higher than its text.
    int textHeight = 0;
    if (HDC dc = GetDC(m_profile)) {
        {
            Selected selected(dc, font);
            TEXTMETRICW metrics{};
            if (GetTextMetricsW(dc, &metrics)) textHeight = metrics.tmHeight;
        }
        ReleaseDC(m_profile, dc);
    }
    const HIMAGELIST rows = ImageList_Create(1, textHeight + 2 * px(kRowMargin), ILC_COLOR, 1, 0);
    for (HWND table : {m_profile, m_results}) {
        SendMessageW(table, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(rows));
    }
    m_rows.reset(rows);
    place(m_profile, kProfileArea);
    place(m_results, kResultArea);
    place(m_canvas->window(), kDrawingArea);
    sizeColumns(m_profile, profileColumns());
    sizeColumns(m_results, resultColumns());
    m_canvas->setDpi(m_dpi);
}

// Each column as wide as the wider of its caption and its widest text in the window's font,
// and the cell's margins.
void PenstockWindow::sizeColumns(HWND table, std::span<const TableColumn> columns) {
    HDC dc = GetDC(table);
    if (dc == nullptr) return;
    {
        Selected font(dc, m_fonts->get(FontRole::Default));
        const int margins = 2 * twipsToPixels(kCellMargin, m_dpi);
        for (size_t c = 0; c < columns.size(); ++c) {
            const int width =
                std::max(textWidthIn(dc, columns[c].widest), textWidthIn(dc, columns[c].caption)) +
                margins;
            SendMessageW(table, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(width, 0));
        }
    }
    ReleaseDC(table, dc);
}

// A cell being edited is committed first, so that an entry or a key of 文件 reads it.
void PenstockWindow::show() {
    const bool shown = IsWindowVisible(m_window) != FALSE;
    const bool editing = m_editing && GetFocus() == m_edit;
    endEdit(true);
    ShowWindow(m_window, IsIconic(m_window) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(m_window);
    if (editing) {
        SetFocus(m_profile);
    } else if (!shown && m_lastFocus != nullptr) {
        SetFocus(m_lastFocus);
    }
}

// The handlers never throw; Form1's flag says that one runs.
void PenstockWindow::busy(const std::function<void()>& work) {
    const bool was = std::exchange(m_host.running, true);
    work();
    m_host.running = was;
}

bool PenstockWindow::mayClose() {
    endEdit(true);
    bool close = false;
    busy([&] { close = m_controller->mayClose(); });
    return close;
}

// Closes (the window is destroyed; 管线计算… makes a new one) only when the question about
// unsaved changes lets it, and not while a handler's dialog or message is up.
void PenstockWindow::onClose() {
    if (m_host.running) return;
    if (mayClose()) DestroyWindow(m_window);
}

// The focus comes back to the control that had it; an edited cell closes as the focus leaves
// it, so the table has the focus then.
void PenstockWindow::onActivate(bool active) {
    keepFocusAcrossActivation(m_window, active, m_lastFocus);
    if (m_lastFocus == m_edit) m_lastFocus = m_profile;
}

void PenstockWindow::onDpiChanged(int dpi, const RECT& suggested) {
    endEdit(true);
    if (m_notice) m_notice->hide();
    m_dpi = dpi > 0 ? dpi : 96;
    layout();
    SetWindowPos(m_window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A penstock opens here; anything else is Form1's, as a case (or its message).
void PenstockWindow::onDropFiles(HDROP drop) {
    const std::string path = takeDroppedFile(drop);
    if (path.empty() || m_host.running) return;
    endEdit(true);
    if (isPenstockFile(path)) {
        busy([&] { m_controller->openAt(path); });
        return;
    }
    SetForegroundWindow(m_host.form);
    busy([&] { openCaseAt(m_host.store, m_host.side, m_host.document, path); });
}

void PenstockWindow::onCommand(int id, int code, HWND from) {
    if (from == m_edit) {
        if (code == EN_KILLFOCUS) endEdit(true);
        return;
    }
    const auto table = penstockWindowTable();
    const int row = id - kFirstControlId;
    if (from == nullptr || code != BN_CLICKED || row < 0 ||
        static_cast<size_t>(row) >= table.size())
        return;
    const ControlSpec& c = table[static_cast<size_t>(row)];
    if (c.kind == ControlKind::Button) busy([&] { m_controller->run(c.command); });
}

LRESULT PenstockWindow::onNotify(const NMHDR& header) {
    if (header.hwndFrom == m_results) {
        if (header.code == NM_DBLCLK) {
            openResult(reinterpret_cast<const NMITEMACTIVATE&>(header).iItem);
        } else if (header.code == NM_CUSTOMDRAW) {
            return onCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        }
        return 0;
    }
    if (header.hwndFrom != m_profile) return 0;
    switch (header.code) {
        case NM_CUSTOMDRAW:
            return onCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&header)));
        case NM_CLICK:
        case NM_DBLCLK:
            if (const auto at = cellAt(reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction)) {
                m_column = at->second;
                showCell(at->first, at->second);
                if (header.code == NM_DBLCLK) beginEdit(true);
            }
            return 0;
        case NM_SETFOCUS:
            // Tabbed into, the table has a current cell.
            if (!currentCell() && rowCount() > 0) selectCell(0, 0);
            return 0;
        case LVN_ITEMCHANGED: {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) != 0 &&
                ((change.uNewState ^ change.uOldState) & LVIS_FOCUSED) != 0) {
                InvalidateRect(m_profile, nullptr, FALSE);
            }
            return 0;
        }
        default:
            return 0;
    }
}

// After a row is drawn: the place of its (empty) small image, which sets the rows' height,
// in the colour beside it, for a selected row that the list view leaves white there; and in
// the profile the current cell, which stands out in its row: drawn as a cell that is not
// selected, in a frame of the selection's colour.
LRESULT PenstockWindow::onCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT:
            break;
        default:
            return CDRF_DODEFAULT;
    }
    const HWND table = draw.nmcd.hdr.hwndFrom;
    const HDC dc = draw.nmcd.hdc;
    const auto row = static_cast<WPARAM>(draw.nmcd.dwItemSpec);
    if (SendMessageW(table, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED) {
        RECT image{};
        image.left = LVIR_ICON;
        if (SendMessageW(table, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&image)) &&
            image.right > image.left) {
            const COLORREF beside = GetPixel(dc, image.right + 1, (image.top + image.bottom) / 2);
            if (beside != CLR_INVALID) {
                GdiObject<HBRUSH> brush(CreateSolidBrush(beside));
                FillRect(dc, &image, brush.get());
            }
        }
    }
    const auto current = currentCell();
    if (table != m_profile || !current || m_editing || draw.nmcd.dwItemSpec != current->first) {
        return CDRF_DODEFAULT;
    }
    RECT cell = cellRect(current->first, current->second);
    FillRect(dc, &cell, GetSysColorBrush(COLOR_WINDOW));
    const std::wstring text = widen(this->cell(current->first, current->second));
    RECT inside = cell;
    InflateRect(&inside, -twipsToPixels(kCellTextIndent, m_dpi), 0);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inside,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    const int thick = std::max(1, twipsToPixels(30, m_dpi));
    const HBRUSH frame = GetSysColorBrush(COLOR_HIGHLIGHT);
    const RECT sides[] = {{cell.left, cell.top, cell.right, cell.top + thick},
                          {cell.left, cell.bottom - thick, cell.right, cell.bottom},
                          {cell.left, cell.top, cell.left + thick, cell.bottom},
                          {cell.right - thick, cell.top, cell.right, cell.bottom}};
    for (const RECT& side : sides) FillRect(dc, &side, frame);
    return CDRF_DODEFAULT;
}

bool PenstockWindow::preTranslate(MSG& message) {
    if (m_window == nullptr) return false;
    if (message.hwnd != m_window && !IsChild(m_window, message.hwnd)) return false;
    if (message.message == WM_DROPFILES) {
        onDropFiles(reinterpret_cast<HDROP>(message.wParam));
        return true;
    }
    if (message.hwnd == m_edit && editKeys(message)) return true;
    if (message.hwnd == m_profile && profileKeys(message)) return true;
    if (message.hwnd == m_results && resultKeys(message)) return true;
    return translateTableKeys(m_window, message);
}

bool PenstockWindow::profileKeys(const MSG& message) {
    if (message.message == WM_CHAR) {
        // Typing edits the cell, from an empty text; what was typed before the edit took the
        // focus goes to it too.
        const auto typed = static_cast<wchar_t>(message.wParam);
        if (typed < L' ' || typed == 0x7F) return false;
        if (!m_editing) beginEdit(false);
        if (m_editing) SendMessageW(m_edit, WM_CHAR, message.wParam, message.lParam);
        return true;
    }
    if (message.message != WM_KEYDOWN) return false;
    const bool control = held(VK_CONTROL);
    switch (message.wParam) {
        case VK_TAB:
            if (control) return false;
            moveCell(held(VK_SHIFT));
            return true;
        case VK_LEFT:
        case VK_RIGHT:
            if (const auto current = currentCell()) {
                const size_t last = profileColumns().size() - 1;
                const size_t column = message.wParam == VK_LEFT
                                          ? (current->second > 0 ? current->second - 1 : 0)
                                          : std::min(current->second + 1, last);
                m_column = column;
                showCell(current->first, column);
            }
            return true;
        case VK_F2:
        case VK_RETURN:
            beginEdit(true);
            return true;
        case VK_INSERT:
            busy([&] { m_controller->run(Command::PenstockInsertRow); });
            return true;
        case VK_DELETE:
            busy([&] { m_controller->run(Command::PenstockDeleteRow); });
            return true;
        case 'V':
            if (!control) return false;
            paste();
            return true;
        case 'C':
            if (!control) return false;
            copy();
            return true;
        default:
            return false;
    }
}

bool PenstockWindow::editKeys(const MSG& message) {
    // The characters of the keys below would only beep.
    if (message.message == WM_CHAR) {
        return message.wParam == L'\t' || message.wParam == L'\r' || message.wParam == 0x1B;
    }
    if (message.message != WM_KEYDOWN) return false;
    switch (message.wParam) {
        case VK_RETURN:
            endEdit(true);
            SetFocus(m_profile);
            return true;
        case VK_ESCAPE:
            endEdit(false);
            SetFocus(m_profile);
            return true;
        case VK_TAB:
            endEdit(true);
            moveCell(held(VK_SHIFT));
            return true;
        case 'V': {
            // Cells from a spreadsheet fill the table from this cell; one text goes into the
            // edit.
            if (!held(VK_CONTROL)) return false;
            std::string error;
            const auto text = clipboardText(m_window, error);
            if (!text || text->find_first_of(L"\t\r\n") == std::wstring::npos) return false;
            endEdit(false);
            SetFocus(m_profile);
            paste();
            return true;
        }
        default:
            return false;
    }
}

bool PenstockWindow::resultKeys(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != VK_RETURN) return false;
    openResult(nextItem(m_results, -1, LVNI_FOCUSED));
    return true;
}

std::optional<std::pair<size_t, size_t>> PenstockWindow::cellAt(POINT at) {
    LVHITTESTINFO hit{};
    hit.pt = at;
    SendMessageW(m_profile, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.iItem < 0 || hit.iSubItem < 0) return std::nullopt;
    return std::pair<size_t, size_t>{static_cast<size_t>(hit.iItem),
                                     static_cast<size_t>(hit.iSubItem)};
}

// The cell in the profile table's client area (the first column's too, whose bounds are the
// whole row's).
RECT PenstockWindow::cellRect(size_t row, size_t column) {
    RECT r{};
    r.top = static_cast<LONG>(column);
    r.left = LVIR_BOUNDS;
    SendMessageW(m_profile, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    if (column == 0) {
        r.right = r.left + static_cast<LONG>(SendMessageW(m_profile, LVM_GETCOLUMNWIDTH, 0, 0));
    }
    return r;
}

// Scrolls the cell into view and draws the current cell anew.
void PenstockWindow::showCell(size_t row, size_t column) {
    SendMessageW(m_profile, LVM_ENSUREVISIBLE, row, FALSE);
    const RECT cell = cellRect(row, column);
    RECT client{};
    GetClientRect(m_profile, &client);
    int dx = 0;
    if (cell.right > client.right) dx = cell.right - client.right;
    if (cell.left - dx < client.left) dx = cell.left - client.left;
    if (dx != 0) SendMessageW(m_profile, LVM_SCROLL, static_cast<WPARAM>(dx), 0);
    InvalidateRect(m_profile, nullptr, FALSE);
}

// Tab and Shift+Tab: the next cell along the row, then the next row; on out of the table
// past its last cell or before its first.
void PenstockWindow::moveCell(bool back) {
    const size_t rows = rowCount();
    const size_t columns = profileColumns().size();
    const auto current = currentCell();
    size_t row = current ? current->first : 0;
    size_t column = current ? current->second : 0;
    bool leave = rows == 0;
    if (current && !back) {
        if (column + 1 < columns) {
            ++column;
        } else if (row + 1 < rows) {
            ++row;
            column = 0;
        } else {
            leave = true;
        }
    } else if (current) {
        if (column > 0) {
            --column;
        } else if (row > 0) {
            --row;
            column = columns - 1;
        } else {
            leave = true;
        }
    }
    if (!leave) {
        selectCell(row, column);
        return;
    }
    if (HWND next = GetNextDlgTabItem(m_window, m_profile, back ? TRUE : FALSE)) SetFocus(next);
}

// The edit laid over the current cell, with the cell's text or empty, the caret at its end.
void PenstockWindow::beginEdit(bool keepText) {
    const auto current = currentCell();
    if (!current) return;
    endEdit(true);
    const auto [row, column] = *current;
    showCell(row, column);
    RECT r = cellRect(row, column);
    RECT client{};
    GetClientRect(m_profile, &client);
    IntersectRect(&r, &r, &client);
    MapWindowPoints(m_profile, m_window, reinterpret_cast<POINT*>(&r), 2);
    m_editRow = row;
    m_editColumn = column;
    SetWindowTextW(m_edit, keepText ? widen(cell(row, column)).c_str() : L"");
    SetWindowPos(m_edit, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_SHOWWINDOW);
    m_editing = true;
    SetFocus(m_edit);
    const int length = GetWindowTextLengthW(m_edit);
    SendMessageW(m_edit, EM_SETSEL, static_cast<WPARAM>(length), length);
}

// Puts the edit's text into its cell (or drops it) and hides the edit.
void PenstockWindow::endEdit(bool keep) {
    if (!m_editing) return;
    m_editing = false;
    if (keep && m_editRow < rowCount()) setCell(m_editRow, m_editColumn, windowText(m_edit));
    ShowWindow(m_edit, SW_HIDE);
    InvalidateRect(m_profile, nullptr, FALSE);
}

void PenstockWindow::paste() {
    std::string error;
    const std::optional<std::wstring> text = clipboardText(m_window, error);
    if (!error.empty()) {
        report(error);
        return;
    }
    if (!text) return;
    busy([&] { m_controller->paste(narrow(*text)); });
    InvalidateRect(m_profile, nullptr, FALSE);
}

// The selected rows, from the first to the last, every cell; the current row when none is.
void PenstockWindow::copy() {
    int first = nextItem(m_profile, -1, LVNI_SELECTED);
    int last = first;
    for (int row = first; row >= 0; row = nextItem(m_profile, row, LVNI_SELECTED)) last = row;
    if (first < 0) {
        const auto current = currentCell();
        if (!current) return;
        first = last = static_cast<int>(current->first);
    }
    std::string error;
    try {
        const std::string text = m_controller->copy(
            static_cast<size_t>(first), 0, static_cast<size_t>(last), profileColumns().size() - 1);
        error = setClipboardText(m_window, withCrLf(widen(text)));
    } catch (const std::exception&) {
        error = "内存不足，没有复制。";
    }
    if (!error.empty()) report(error);
}

// Form1 comes to the front first, so that its question, its messages and its notice stand
// over it.
void PenstockWindow::openResult(int row) {
    if (row < 0) return;
    if (IsIconic(m_host.form)) ShowWindow(m_host.form, SW_RESTORE);
    SetForegroundWindow(m_host.form);
    busy([&] { m_controller->openInForm1(static_cast<size_t>(row)); });
}

// --- PenstockView

std::string PenstockWindow::lineText(std::string_view key) {
    std::string text;
    m_store.readText(key, text);
    return text;
}

void PenstockWindow::setLineText(std::string_view key, std::string_view text) {
    m_store.replaceText(key, text);
}

size_t PenstockWindow::rowCount() {
    return static_cast<size_t>(SendMessageW(m_profile, LVM_GETITEMCOUNT, 0, 0));
}

std::string PenstockWindow::cell(size_t row, size_t column) {
    return itemText(m_profile, static_cast<int>(row), static_cast<int>(column));
}

void PenstockWindow::setCell(size_t row, size_t column, std::string_view text) {
    setItemText(m_profile, static_cast<int>(row), static_cast<int>(column), text);
}

void PenstockWindow::insertRows(size_t at, size_t count) {
    for (size_t i = 0; i < count; ++i) insertItem(m_profile, static_cast<int>(at + i));
}

void PenstockWindow::removeRows(size_t at, size_t count) {
    for (size_t i = 0; i < count; ++i) SendMessageW(m_profile, LVM_DELETEITEM, at, 0);
}

std::optional<std::pair<size_t, size_t>> PenstockWindow::currentCell() {
    const int row = nextItem(m_profile, -1, LVNI_FOCUSED);
    if (row < 0) return std::nullopt;
    return std::pair<size_t, size_t>{static_cast<size_t>(row),
                                     std::min(m_column, profileColumns().size() - 1)};
}

void PenstockWindow::selectCell(size_t row, size_t column) {
    if (row >= rowCount()) return;
    m_column = std::min(column, profileColumns().size() - 1);
    setItemState(m_profile, -1, 0, LVIS_SELECTED);
    setItemState(m_profile, static_cast<int>(row), LVIS_SELECTED | LVIS_FOCUSED,
                 LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(m_profile, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(row));
    showCell(row, m_column);
    SetFocus(m_profile);
}

void PenstockWindow::focusBox(std::string_view key) {
    const ControlSpec* c = findControlIn(penstockWindowTable(), key);
    if (c == nullptr) return;
    if (HWND box = m_controls[static_cast<size_t>(c - penstockWindowTable().data())]) SetFocus(box);
}

void PenstockWindow::showResults(const std::vector<std::vector<std::string>>& rows) {
    SendMessageW(m_results, WM_SETREDRAW, FALSE, 0);
    SendMessageW(m_results, LVM_DELETEALLITEMS, 0, 0);
    for (size_t r = 0; r < rows.size(); ++r) {
        insertItem(m_results, static_cast<int>(r));
        for (size_t c = 0; c < rows[r].size(); ++c) {
            setItemText(m_results, static_cast<int>(r), static_cast<int>(c), rows[r][c]);
        }
    }
    // Enter opens the first row until another is chosen.
    if (!rows.empty()) setItemState(m_results, 0, LVIS_FOCUSED, LVIS_FOCUSED);
    SendMessageW(m_results, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(m_results, nullptr, TRUE);
}

void PenstockWindow::showDrawing(const Penstock* penstock) { m_canvas->show(penstock); }

// --- WindowSide

void PenstockWindow::report(std::string_view message) { m_host.dialogs.report(m_window, message); }

std::string PenstockWindow::choosePath(const FileMenuEntry& entry, const std::string& offer) {
    return m_host.dialogs.path(m_window, entry, offer);
}

void PenstockWindow::print(const std::string& html) {
    if (m_host.dialogs.print(m_window, html)) notify(kPrintedNotice);
}

void PenstockWindow::showCheckDialog() { m_host.side.showCheckDialog(); }

void PenstockWindow::notify(std::string_view message) {
    if (m_notice)
        m_notice->show(message, m_fonts ? m_fonts->get(FontRole::Default) : nullptr, m_dpi);
}

SaveAnswer PenstockWindow::askToSave(std::string_view question) {
    return m_host.dialogs.ask(m_window, question);
}

}  // namespace tavorin::win32
