#include "window/penstock_window.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>

#include "engine/numeric_text.h"
#include "sheet/case_file.h"
#include "sheet/case_reader.h"
#include "sheet/penstock_file.h"
#include "sheet/penstock_sheet.h"
#include "window/file_menu.h"
#include "window/unsaved_changes.h"

namespace tavorin {
namespace {

using K = ControlKind;
using T = TextFrom;
using F = FontRole;
constexpr int no = kNoFocus;

// The line's boxes in one column, labels 3360 wide and boxes 2040 to their right, rows from Top
// 120 in steps of 360; the buttons below them.
constexpr ControlSpec kControls[] = {
    {"psLabel1", K::Label, 120, 180, 3360, 255, T::Own, "管线名称", F::Default, no},
    {"Text1", K::TextBox, 3540, 120, 2040, 375, T::Own, "", F::Default, 1},
    {"psLabel2", K::Label, 120, 540, 3360, 255, T::Own, "上游水位(米)", F::Default, no},
    {"Zwt", K::TextBox, 3540, 480, 2040, 375, T::Own, "", F::Default, 2},
    {"psLabel3", K::Label, 120, 900, 3360, 255, T::Own, "设计流量(立方米/秒)", F::Default, no},
    {"Qt", K::TextBox, 3540, 840, 2040, 375, T::Own, "", F::Default, 3},
    {"psLabel4", K::Label, 120, 1260, 3360, 255, T::Own, "阀门处水锤压力升高(米)", F::Default, no},
    {"dHt", K::TextBox, 3540, 1200, 2040, 375, T::Own, "", F::Default, 4},
    {"psLabel5", K::Label, 120, 1620, 3360, 255, T::Own, "水锤分布", F::Default, no},
    {"sjk", K::ChoiceList, 3540, 1560, 2040, 300, T::Own, "", F::Default, 5},
    {"psLabel6", K::Label, 120, 1980, 3360, 255, T::Own, "沿程阻力系数λ", F::Default, no},
    {"lamt", K::TextBox, 3540, 1920, 2040, 375, T::Own, "", F::Default, 6},
    {"psLabel7", K::Label, 120, 2340, 3360, 255, T::Own, "伸缩节距镇墩(米)", F::Default, no},
    {"jt", K::TextBox, 3540, 2280, 2040, 375, T::Own, "", F::Default, 7},
    {"psLabel8", K::Label, 120, 2700, 3360, 255, T::Own, "上侧伸缩节盘根长(米)", F::Default, no},
    {"b1t", K::TextBox, 3540, 2640, 2040, 375, T::Own, "", F::Default, 8},
    {"psLabel9", K::Label, 120, 3060, 3360, 255, T::Own, "下侧伸缩节盘根长(米)", F::Default, no},
    {"b2t", K::TextBox, 3540, 3000, 2040, 375, T::Own, "", F::Default, 9},
    {"psLabel10", K::Label, 120, 3420, 3360, 255, T::Own, "伸缩节摩擦系数", F::Default, no},
    {"ft", K::TextBox, 3540, 3360, 2040, 375, T::Own, "", F::Default, 10},
    {"psLabel11", K::Label, 120, 3780, 3360, 255, T::Own, "管壁沿支墩摩擦系数", F::Default, no},
    {"fgt", K::TextBox, 3540, 3720, 2040, 375, T::Own, "", F::Default, 11},
    {"psLabel12", K::Label, 120, 4140, 3360, 255, T::Own, "镇墩(支墩)与地基摩擦系数", F::Default,
     no},
    {"fjt", K::TextBox, 3540, 4080, 2040, 375, T::Own, "", F::Default, 12},
    {"psLabel13", K::Label, 120, 4500, 3360, 255, T::Own, "伸缩节直径(空为 D+2δ)", F::Default, no},
    {"DSt", K::TextBox, 3540, 4440, 2040, 375, T::Own, "", F::Default, 13},

    // The table's rows, the calculation, the sheet.
    {"psAddRow", K::Button, 120, 5040, 1260, 420, T::Own, "添加行", F::Default, 14,
     Command::PenstockAddRow},
    {"psInsertRow", K::Button, 1500, 5040, 1260, 420, T::Own, "插入行", F::Default, 15,
     Command::PenstockInsertRow},
    {"psDeleteRow", K::Button, 2880, 5040, 1260, 420, T::Own, "删除行", F::Default, 16,
     Command::PenstockDeleteRow},
    {"psCalculate", K::Button, 4260, 5040, 1320, 420, T::Own, "计  算", F::Default, 17,
     Command::PenstockCalculate},
    {"psExport", K::Button, 120, 5580, 2640, 420, T::Own, "导出计算书…", F::Default, 18,
     Command::PenstockExport},
    {"psPrint", K::Button, 2880, 5580, 1260, 420, T::Own, "打印…", F::Default, 19,
     Command::PenstockPrint},
};

// Point keys' columns: a number's width is that of a typed number of 12 digits; a name's of a
// long name.
constexpr std::string_view kTypedNumber = "-1234.5678901";

const std::vector<TableColumn>& profileColumnList() {
    static const std::vector<TableColumn> columns = [] {
        std::vector<TableColumn> out;
        for (std::size_t k = 0; k < kPointKeys.size(); ++k) {
            out.push_back(
                {kPointKeys[k], pointCaption(k),
                 k == PointKey::name ? std::string_view("12号镇墩（进口）") : kTypedNumber});
        }
        return out;
    }();
    return columns;
}

constexpr TableColumn kResultColumns[] = {
    {"Text1", "名称", "第123跨支墩"},
    {"HSt", "HSt", kWidestNumber},
    {"DA1t", "DA1t", kWidestNumber},
    {"DA2t", "DA2t", kWidestNumber},
    {"L1t", "L1t", kWidestNumber},
    {"L2t", "L2t", kWidestNumber},
    {"x1", "x1", kWidestNumber},
    {"y1", "y1", kWidestNumber},
    {"w1", "w1", kWidestNumber},
    {"v1", "v1", kWidestNumber},
    {"x2", "x2", kWidestNumber},
    {"y2", "y2", kWidestNumber},
    {"w2", "w2", kWidestNumber},
    {"v2", "v2", kWidestNumber},
    {"jg", "结论", "不满足：抗滑、抗倾覆、偏心、地基应力"},
    {"Bmin", "Bmin", "100.0"},
};

const FileMenuEntry& entryOf(FileCommand command) {
    for (const FileMenuEntry& entry : fileMenu()) {
        if (entry.command == command) return entry;
    }
    throw std::logic_error("the menu table lacks an entry");
}

bool blank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

// The column of a point's key in the profile table.
std::size_t columnOf(std::string_view key) { return pointKeyIndex(key).value_or(0); }

}  // namespace

std::span<const ControlSpec> penstockWindowTable() { return kControls; }

std::span<const std::size_t> penstockFocusOrder() {
    static const std::vector<std::size_t> order = focusOrderOf(kControls);
    return order;
}

std::span<const TableColumn> profileColumns() { return profileColumnList(); }

std::span<const TableColumn> resultColumns() { return kResultColumns; }

PenstockTexts readView(PenstockView& view, std::vector<std::size_t>* rows) {
    PenstockTexts texts;
    for (std::size_t k = 0; k < kLineKeys.size(); ++k) texts.line[k] = view.lineText(kLineKeys[k]);
    if (rows != nullptr) rows->clear();
    const std::size_t count = view.rowCount();
    for (std::size_t r = 0; r < count; ++r) {
        PointTexts point;
        bool any = false;
        for (std::size_t c = 0; c < kPointKeys.size(); ++c) {
            std::string text = view.cell(r, c);
            if (text.empty()) continue;
            any = any || !blank(text);
            point[c] = std::move(text);
        }
        if (!any) continue;
        texts.points.push_back(std::move(point));
        if (rows != nullptr) rows->push_back(r);
    }
    return texts;
}

void showTexts(PenstockView& view, const PenstockTexts& texts) {
    for (std::size_t k = 0; k < kLineKeys.size(); ++k)
        view.setLineText(kLineKeys[k], texts.line[k]);
    const std::size_t rows = std::max<std::size_t>(3, texts.points.size());
    if (view.rowCount() > rows) view.removeRows(rows, view.rowCount() - rows);
    if (view.rowCount() < rows) view.insertRows(view.rowCount(), rows - view.rowCount());
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < kPointKeys.size(); ++c) {
            view.setCell(r, c, r < texts.points.size() ? texts.points[r][c] : std::string());
        }
    }
    view.showResults({});
    view.showDrawing(nullptr);
}

PenstockTexts newPenstockTexts() {
    PenstockTexts texts;
    for (std::size_t k = 0; k < kLineKeys.size(); ++k) texts.line[k] = lineDefault(k);
    texts.points.resize(3);
    return texts;
}

std::vector<std::vector<std::string>> parseTabText(std::string_view text) {
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> row;
    std::string cell;
    bool quoted = false;    // inside a cell in quotes
    bool cellOpen = false;  // the row has begun
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cell += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                cell += c;
            }
            continue;
        }
        if (c == '"' && cell.empty()) {
            quoted = true;
            cellOpen = true;
        } else if (c == '\t') {
            row.push_back(std::move(cell));
            cell.clear();
            cellOpen = true;
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            row.push_back(std::move(cell));
            cell.clear();
            rows.push_back(std::move(row));
            row.clear();
            cellOpen = false;
        } else {
            cell += c;
            cellOpen = true;
        }
    }
    // A last row without its line end.
    if (cellOpen || !cell.empty()) {
        row.push_back(std::move(cell));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string tabText(const std::vector<std::vector<std::string>>& cells) {
    std::string out;
    for (const std::vector<std::string>& row : cells) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) out += '\t';
            const std::string& cell = row[c];
            if (cell.find_first_of("\t\r\n\"") == std::string::npos) {
                out += cell;
                continue;
            }
            out += '"';
            for (const char ch : cell) {
                if (ch == '"') out += '"';
                out += ch;
            }
            out += '"';
        }
        out += '\n';
    }
    return out;
}

// --- the controller

PenstockController::PenstockController(PenstockView& view, WindowSide& side, WindowStore& form,
                                       WindowSide& formSide, CaseDocument& formDocument)
    : m_view(view),
      m_side(side),
      m_form(form),
      m_formSide(formSide),
      m_formDocument(formDocument) {}

void PenstockController::guard(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::bad_alloc&) {
        m_side.report("内存不足，这次操作没有完成。");
    } catch (const std::exception& e) {
        m_side.report("程序内部出错（" + excerpt(e.what(), 120) + "），这次操作没有完成。");
    } catch (...) {
        m_side.report("程序内部出错，这次操作没有完成。");
    }
}

void PenstockController::adopt(std::string path) {
    m_document = {std::move(path), penstockJson(readView(m_view))};
}

void PenstockController::start() {
    guard([&] {
        showTexts(m_view, newPenstockTexts());
        m_penstock.reset();
        adopt({});
    });
}

void PenstockController::run(Command command) {
    guard([&] {
        switch (command) {
            case Command::PenstockCalculate:
                calculate();
                return;
            case Command::PenstockAddRow:
                addRows(false);
                return;
            case Command::PenstockInsertRow:
                addRows(true);
                return;
            case Command::PenstockDeleteRow:
                deleteRows();
                return;
            case Command::PenstockExport:
                exportSheet(false);
                return;
            case Command::PenstockPrint:
                exportSheet(true);
                return;
            default:
                return;
        }
    });
}

void PenstockController::calculate() {
    // The drawing refers to the penstock last calculated, which goes now.
    m_view.showDrawing(nullptr);
    m_penstock.reset();
    std::vector<std::size_t> rows;
    m_texts = readView(m_view, &rows);
    PenstockRead read = readPenstock(m_texts);
    if (!read.penstock) {
        // The profile itself is at fault: its cell, or its box, is shown; nothing is cleared.
        const ProfileFault& fault = read.fault;
        std::string where;
        if (fault.point && *fault.point < rows.size()) {
            const std::size_t row = rows[*fault.point];
            const std::size_t column = columnOf(fault.key);
            where = "（表中第 " + std::to_string(row + 1) + " 行，“" +
                    std::string(profileColumns()[column].caption) + "”列）";
            m_view.selectCell(row, column);
        } else if (const auto key = lineKeyIndex(fault.key)) {
            where = "（“" + std::string(kLineCaptions[*key]) + "”）";
            m_view.focusBox(fault.key);
        } else if (fault.key == "points") {
            where = "（纵剖面表）";
        }
        m_side.report(fault.message + where);
        return;
    }
    m_penstock.emplace(std::move(*read.penstock));
    std::vector<std::vector<std::string>> results;
    MemoryStore store;
    for (std::size_t r = 0; r < m_penstock->rows().size(); ++r) {
        store.reset();
        const PenstockRow& row = m_penstock->rows()[r];
        const std::optional<Fault> fault = calculateRow(*m_penstock, r, store);
        std::vector<std::string> cells;
        for (const TableColumn& column : resultColumns()) {
            if (column.key == "jg") {
                cells.push_back(fault ? fault->message : row.checked ? store.text("jg") : "未验算");
            } else if (column.key == "Bmin") {
                cells.push_back(row.checked && !fault ? store.text("Bmin") : std::string());
            } else {
                cells.push_back(store.text(column.key));
            }
        }
        results.push_back(std::move(cells));
    }
    m_view.showResults(results);
    m_view.showDrawing(&*m_penstock);
}

void PenstockController::addRows(bool insert) {
    const auto current = m_view.currentCell();
    const std::size_t at = insert && current ? current->first : m_view.rowCount();
    m_view.insertRows(at, 1);
    m_view.selectCell(at, current ? current->second : 0);
}

void PenstockController::deleteRows() {
    const auto current = m_view.currentCell();
    if (!current || current->first >= m_view.rowCount()) return;
    m_view.removeRows(current->first, 1);
    if (m_view.rowCount() == 0) m_view.insertRows(0, 1);
    m_view.selectCell(std::min(current->first, m_view.rowCount() - 1), current->second);
}

void PenstockController::exportSheet(bool print) {
    const PenstockTexts texts = readView(m_view);
    const PenstockRead read = readPenstock(texts);
    if (!read.penstock) {
        // The fault is shown as 计  算 shows it.
        calculate();
        return;
    }
    const std::string html = penstockSheet(*read.penstock);
    if (print) {
        m_side.print(html);
        return;
    }
    const FileMenuEntry& entry = entryOf(FileCommand::ExportSheet);
    const std::string& name = texts.line[LineKey::Text1];
    const std::string path = m_side.choosePath(
        entry, (blank(name) ? std::string("管线") : name) + std::string(entry.suffix));
    if (path.empty()) return;
    const std::string error = writeFileReplacing(path, html);
    if (!error.empty()) {
        m_side.report(error);
    } else {
        m_side.notify(exportedNotice(path));
    }
}

bool PenstockController::save(bool as) {
    std::string path = m_document.path;
    const FileMenuEntry& entry =
        entryOf(as ? FileCommand::SavePenstockAs : FileCommand::SavePenstock);
    if (as || path.empty()) {
        const std::string& name = m_view.lineText("Text1");
        const std::string offer =
            !path.empty() ? path
                          : (blank(name) ? std::string("管线") : name) + std::string(entry.suffix);
        path = m_side.choosePath(entry, offer);
    }
    if (path.empty()) return false;
    const std::string json = penstockJson(readView(m_view));
    const std::string error = writeFileReplacing(path, json);
    if (!error.empty()) {
        m_side.report(error);
        return false;
    }
    m_document = {path, json};
    m_side.notify("已保存到“" + std::string(fileNameOf(path)) + "”。");
    return true;
}

namespace {

// The penstock shown, as the question about unsaved changes sees it.
class PenstockToDrop final : public UnsavedDocument {
  public:
    PenstockToDrop(PenstockView& view, const PenstockDocument& document, std::function<bool()> save)
        : m_view(view), m_document(document), m_save(std::move(save)) {}
    bool changed() override { return penstockJson(readView(m_view)) != m_document.unchanged; }
    std::string name() override {
        if (!m_document.path.empty()) return std::string(fileNameOf(m_document.path));
        const std::string name = m_view.lineText("Text1");
        return blank(name) ? std::string("管线") : name;
    }
    bool save() override { return m_save(); }

  private:
    PenstockView& m_view;
    const PenstockDocument& m_document;
    std::function<bool()> m_save;
};

}  // namespace

bool PenstockController::mayDropPenstock() {
    PenstockToDrop unsaved(m_view, m_document, [this] { return save(false); });
    return mayDrop(unsaved, m_side);
}

bool PenstockController::mayClose() {
    bool close = false;
    guard([&] { close = mayDropPenstock(); });
    return close;
}

bool PenstockController::runKeyOf(const FileMenuEntry& entry) {
    switch (entry.command) {
        case FileCommand::New:
            runEntry(entryOf(FileCommand::NewPenstock));
            return true;
        case FileCommand::Open:
            runEntry(entryOf(FileCommand::OpenPenstock));
            return true;
        case FileCommand::Save:
            runEntry(entryOf(FileCommand::SavePenstock));
            return true;
        case FileCommand::SaveAs:
            runEntry(entryOf(FileCommand::SavePenstockAs));
            return true;
        case FileCommand::ExportSheet:
            run(Command::PenstockExport);
            return true;
        case FileCommand::Print:
            run(Command::PenstockPrint);
            return true;
        default:
            return false;
    }
}

void PenstockController::runEntry(const FileMenuEntry& entry) {
    guard([&] {
        switch (entry.command) {
            case FileCommand::NewPenstock:
                if (!mayDropPenstock()) return;
                showTexts(m_view, newPenstockTexts());
                m_penstock.reset();
                adopt({});
                return;
            case FileCommand::OpenPenstock: {
                if (!mayDropPenstock()) return;
                const std::string path = m_side.choosePath(entry, m_document.path);
                if (!path.empty()) openFile(path);
                return;
            }
            case FileCommand::SavePenstock:
                save(false);
                return;
            case FileCommand::SavePenstockAs:
                save(true);
                return;
            default:
                return;
        }
    });
}

void PenstockController::openAt(const std::string& utf8Path) {
    guard([&] {
        if (mayDropPenstock()) openFile(utf8Path);
    });
}

void PenstockController::openFile(const std::string& utf8Path) {
    const PenstockParse parsed = openPenstockFile(utf8Path);
    if (!parsed.error.empty()) {
        m_side.report(parsed.error);
        return;
    }
    showTexts(m_view, parsed.texts);
    m_penstock.reset();
    // As shown: a file Tavorin wrote is saved again byte for byte, and one written by hand
    // counts as unchanged until it is edited.
    m_document = {utf8Path, penstockJson(readView(m_view))};
    m_side.notify("已打开“" + std::string(fileNameOf(utf8Path)) + "”。");
}

void PenstockController::paste(std::string_view text) {
    guard([&] {
        const std::vector<std::vector<std::string>> cells = parseTabText(text);
        if (cells.empty()) return;
        const auto current = m_view.currentCell();
        const std::size_t row0 = current ? current->first : 0;
        const std::size_t column0 = current ? current->second : 0;
        const std::size_t needed = row0 + cells.size();
        if (m_view.rowCount() < needed)
            m_view.insertRows(m_view.rowCount(), needed - m_view.rowCount());
        for (std::size_t r = 0; r < cells.size(); ++r) {
            for (std::size_t c = 0; c < cells[r].size() && column0 + c < kPointKeys.size(); ++c) {
                m_view.setCell(row0 + r, column0 + c, cells[r][c]);
            }
        }
    });
}

std::string PenstockController::copy(std::size_t row0, std::size_t column0, std::size_t row1,
                                     std::size_t column1) {
    std::vector<std::vector<std::string>> cells;
    for (std::size_t r = std::min(row0, row1); r <= std::max(row0, row1) && r < m_view.rowCount();
         ++r) {
        std::vector<std::string> row;
        for (std::size_t c = std::min(column0, column1);
             c <= std::max(column0, column1) && c < kPointKeys.size(); ++c) {
            row.push_back(m_view.cell(r, c));
        }
        cells.push_back(std::move(row));
    }
    return tabText(cells);
}

void PenstockController::openInForm1(std::size_t row) {
    guard([&] {
        if (!m_penstock || row >= m_penstock->rows().size()) return;
        const PenstockRow& r = m_penstock->rows()[row];
        // Form1's case gives way to the row's: its unsaved changes are asked about first.
        if (!runClose(m_form, m_formSide, m_formDocument)) return;
        const std::optional<Fault> fault = deriveRow(*m_penstock, row, m_form);
        if (fault) {
            m_formSide.report(fault->message);
            return;
        }
        // Every result box shows the row's, as after 计  算 (and 验  算 for a checked block).
        for (const FieldSpec& f : fieldTable()) {
            if (f.role == FieldRole::Output) m_form.replaceText(f.name, "");
        }
        m_form.setCaption("Label25", "");
        for (const FieldSpec& f : checkFieldTable()) {
            if (f.role == FieldRole::Output) m_form.replaceText(f.name, "");
        }
        runCommand(m_form, m_formSide, r.checked ? Command::Check : Command::Calculate);
        m_formDocument = {};
        markUnchanged(m_formDocument, m_form);
        m_formSide.notify("Form1 中是第 " + std::to_string(row + 1) + " 行“" + r.name +
                          "”的算例。");
    });
}

}  // namespace tavorin
