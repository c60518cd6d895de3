// The penstock window (管线计算), without any toolkit: what it shows and what it does.
//
// It holds a penstock (engine/penstock.h) as the user types it: the line's data in labelled
// boxes, in the order of a penstock file, and the profile as a table of texts, one row a point
// and one column a key of the file. "计  算" derives and calculates every row and shows them in
// a results table, one line a block or pier row, and the drawing of the profile beside it.
// A result row opens in Form1 as a case of its own. The window keeps its own file, with the
// habits of case files (the question about unsaved changes, the notice of what was written).
//
// Like Form1 and the check dialog it is a control table (its boxes, labels and buttons),
// plus two tables and a drawing whose places are given here; each toolkit builds it in one
// loop over the rows and supplies a PenstockView of its widgets.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/penstock.h"
#include "sheet/profile_drawing.h"
#include "window/command.h"
#include "window/control_table.h"

namespace tavorin {

inline constexpr std::string_view kPenstockWindowName = "PenstockWindow";
inline constexpr std::string_view kPenstockWindowTitle = "管线计算";

// The client area: 18000 × 11400 twips, 1200 × 760 pixels at 96 dpi; within 1280 × 800.
inline constexpr int kPenstockClientWidth = 18000;
inline constexpr int kPenstockClientHeight = 11400;

// A place in the client area, in twips, and the name a screen reader gives what stands there.
struct Area {
    int left, top, width, height;
    std::string_view name;
};
// The profile table, the results table and the drawing.
inline constexpr Area kProfileArea = {5760, 3960, 12000, 3480, "纵剖面"};
inline constexpr Area kResultArea = {120, 7560, 17760, 3720, "计算结果"};
inline constexpr Area kDrawingArea = {5760, 120, 12000, 3720, "纵剖面图"};

// The controls apart from the tables and the drawing: a label and a box for each of the line's
// keys (the box named as the key; sjk a choice list of "线性" and "均匀"), and the buttons.
std::span<const ControlSpec> penstockWindowTable();

// The rows of the window's controls that take the focus, in the order Tab walks them; the
// profile table follows the last box, the results table the buttons.
std::span<const std::size_t> penstockFocusOrder();

// A column of a table: its key (a point's key, or a box of the row's case), its caption, and
// the widest text it must show whole (its width is that text's in the window's font).
struct TableColumn {
    std::string_view key;
    std::string_view caption;
    std::string_view widest;
};

// The profile table: the point's keys in the order of the file (名称, 桩号X(米), … then the
// stability check's inputs with the check dialog's captions).
std::span<const TableColumn> profileColumns();

// The results table: 名称, HSt, DA1t, DA2t, L1t, L2t, x1, y1, w1, v1, x2, y2, w2, v2, 结论,
// Bmin.
std::span<const TableColumn> resultColumns();

// The text a number column must show whole: 15 digits, a sign and an exponent.
inline constexpr std::string_view kWidestNumber = "-1.23456789012346E+15";

// What the window's toolkit gives and takes: its boxes by key, its profile table by row and
// column (of profileColumns()), and the results and the drawing to show.
class PenstockView {
  public:
    virtual std::string lineText(std::string_view key) = 0;
    virtual void setLineText(std::string_view key, std::string_view text) = 0;

    virtual std::size_t rowCount() = 0;
    virtual std::string cell(std::size_t row, std::size_t column) = 0;
    virtual void setCell(std::size_t row, std::size_t column, std::string_view text) = 0;
    // Inserts empty rows before `at` (at == rowCount() appends); removes rows.
    virtual void insertRows(std::size_t at, std::size_t count) = 0;
    virtual void removeRows(std::size_t at, std::size_t count) = 0;
    // The cell with the focus, or nothing; selects and shows a cell (and gives it the focus).
    virtual std::optional<std::pair<std::size_t, std::size_t>> currentCell() = 0;
    virtual void selectCell(std::size_t row, std::size_t column) = 0;
    // Gives the focus to the box of a line key.
    virtual void focusBox(std::string_view key) = 0;

    // Replaces the results table: each row's cells in the order of resultColumns().
    virtual void showResults(const std::vector<std::vector<std::string>>& rows) = 0;
    // The drawing to paint (drawProfile at the area's size), or nothing to leave it empty;
    // the penstock stays as it is until the next call.
    virtual void showDrawing(const Penstock* penstock) = 0;

  protected:
    ~PenstockView() = default;
};

// The texts in the view: the line's boxes and every row of the table that holds any text
// (a row left wholly blank is no point); `rows` gets the table row of each point.
PenstockTexts readView(PenstockView& view, std::vector<std::size_t>* rows = nullptr);

// Shows `texts` in the view: every box, and the table with one row a point (at least three).
// Empties the results and the drawing.
void showTexts(PenstockView& view, const PenstockTexts& texts);

// A new penstock: the line's optional keys at their defaults, Zwt, Qt and DSt empty, and
// three empty rows.
PenstockTexts newPenstockTexts();

// Tab-separated text, rows by line (LF or CR LF), cells by tab; a cell in double quotes may
// hold tabs, line ends and "" for a quote, as spreadsheets write them.
std::vector<std::vector<std::string>> parseTabText(std::string_view text);
// The same form back: rows ending in LF, a cell quoted only when it must be.
std::string tabText(const std::vector<std::vector<std::string>>& cells);

// The penstock file the window belongs to, as CaseDocument is Form1's.
struct PenstockDocument {
    std::string path;       // UTF-8; empty for a new penstock
    std::string unchanged;  // the file's text as last opened, saved or made new
};

// What the window does. Every handler runs inside a last resort like Form1's: what escapes is
// reported, and the window goes on.
class PenstockController {
  public:
    // `side` is the penstock window's (its messages, dialogs, notices, printer and question);
    // `form`, `formSide` and `formDocument` are Form1's, for opening a row there.
    PenstockController(PenstockView& view, WindowSide& side, WindowStore& form,
                       WindowSide& formSide, CaseDocument& formDocument);

    // Shows a new penstock, without a file; the window as it opens.
    void start();

    // The buttons: 计  算, 添加行, 插入行, 删除行, 导出计算书…, 打印….
    void run(Command command);

    // The entries of 文件: 新建管线, 打开管线… (asks for the file), 保存管线, 管线另存为….
    // Each asks about unsaved changes where it drops the penstock shown.
    void runEntry(const FileMenuEntry& entry);
    // Opens the file at `utf8Path` as 打开管线… does once it is chosen (a file named on the
    // command line or dropped on a window).
    void openAt(const std::string& utf8Path);
    // Whether the window may close: asks about unsaved changes.
    bool mayClose();

    // A key of 文件 pressed while the penstock window is the active one acts on its penstock:
    // 新建, 打开…, 保存 and 另存为… as 新建管线, 打开管线…, 保存管线 and 管线另存为…, 导出计算书…
    // and 打印… as the window's buttons. False for any other entry, which acts as in Form1.
    bool runKeyOf(const FileMenuEntry& entry);

    // Pastes tab-separated text at the current cell (or the first), filling the table from
    // there and adding rows as needed; cells beyond the last column are left out.
    void paste(std::string_view text);
    // The cells from (row0, column0) to (row1, column1), as tab-separated text.
    std::string copy(std::size_t row0, std::size_t column0, std::size_t row1, std::size_t column1);

    // Puts result row `row`'s case into Form1 (and its check inputs into the check dialog),
    // calculated, after asking about Form1's unsaved changes; the notice names the row.
    void openInForm1(std::size_t row);

    const PenstockDocument& document() const { return m_document; }

  private:
    void calculate();
    void addRows(bool insert);
    void deleteRows();
    void exportSheet(bool print);
    bool save(bool as);
    void openFile(const std::string& utf8Path);
    bool mayDropPenstock();
    void adopt(std::string path);
    void guard(const std::function<void()>& handler);

    PenstockView& m_view;
    WindowSide& m_side;
    WindowStore& m_form;
    WindowSide& m_formSide;
    CaseDocument& m_formDocument;
    PenstockDocument m_document;
    // The line as last calculated, for opening its rows in Form1.
    PenstockTexts m_texts;
    std::optional<Penstock> m_penstock;
};

}  // namespace tavorin
