// The penstock window without any toolkit: a view of plain texts stands for the widgets.
#include "window/penstock_window.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "sheet/penstock_file.h"
#include "tests/window/penstock_golden.h"
#include "tests/window/window_fakes.h"

namespace tavorin {
namespace {

using Json = nlohmann::json;

class View final : public PenstockView {
  public:
    std::string lineText(std::string_view key) override { return line[std::string(key)]; }
    void setLineText(std::string_view key, std::string_view text) override {
        line[std::string(key)] = text;
    }
    std::size_t rowCount() override { return cells.size(); }
    std::string cell(std::size_t row, std::size_t column) override { return cells[row][column]; }
    void setCell(std::size_t row, std::size_t column, std::string_view text) override {
        cells[row][column] = text;
    }
    void insertRows(std::size_t at, std::size_t count) override {
        cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(at), count,
                     std::vector<std::string>(kPointKeys.size()));
    }
    void removeRows(std::size_t at, std::size_t count) override {
        cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(at),
                    cells.begin() + static_cast<std::ptrdiff_t>(at + count));
    }
    std::optional<std::pair<std::size_t, std::size_t>> currentCell() override { return current; }
    void selectCell(std::size_t row, std::size_t column) override { current = {{row, column}}; }
    void focusBox(std::string_view key) override { focused = key; }
    void showResults(const std::vector<std::vector<std::string>>& rows) override { results = rows; }
    void showDrawing(const Penstock* penstock) override { drawn = penstock != nullptr; }

    std::map<std::string, std::string> line;
    std::vector<std::vector<std::string>> cells;
    std::optional<std::pair<std::size_t, std::size_t>> current;
    std::string focused;
    std::vector<std::vector<std::string>> results;
    bool drawn = false;
};

using Side = RecordingSide;
using Form = MemoryWindowStore;

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Window {
    View view;
    Side side, formSide;
    Form form;
    CaseDocument formDocument;
    PenstockController controller{view, side, form, formSide, formDocument};
    Window() { controller.start(); }

    // Types the golden line, box by box and cell by cell.
    void type(const PenstockTexts& t) {
        for (std::size_t k = 0; k < kLineKeys.size(); ++k)
            view.setLineText(kLineKeys[k], t.line[k]);
        while (view.rowCount() < t.points.size()) controller.run(Command::PenstockAddRow);
        for (std::size_t r = 0; r < t.points.size(); ++r) {
            for (std::size_t c = 0; c < kPointKeys.size(); ++c) view.setCell(r, c, t.points[r][c]);
        }
    }
};

// The results table against the batch tool's lines: one row a line, each column its box.
void expectBatchResults(const View& view) {
    const std::vector<Json> lines = goldenLines();
    ASSERT_EQ(view.results.size(), lines.size());
    for (std::size_t r = 0; r < lines.size(); ++r) {
        const Json& fields = lines[r]["fields"];
        for (std::size_t c = 0; c < resultColumns().size(); ++c) {
            const std::string key(resultColumns()[c].key);
            const std::string expected = fields.contains(key) ? fields[key].get<std::string>()
                                         : key == "jg"        ? "未验算"
                                                              : "";
            EXPECT_EQ(view.results[r][c], expected) << r << " " << key;
        }
    }
}

TEST(PenstockWindow, TypedOrPastedTheLineGivesTheBatchToolsLines) {
    Window typed;
    typed.type(golden());
    typed.controller.run(Command::PenstockCalculate);
    expectBatchResults(typed.view);
    EXPECT_TRUE(typed.view.drawn);

    // The same points as a spreadsheet copies them, pasted at the first cell of the three
    // empty rows: the table grows to five.
    Window pasted;
    pasted.type({golden().line, {}});
    std::vector<std::vector<std::string>> rows;
    for (const PointTexts& p : golden().points) {
        rows.emplace_back();
        for (std::size_t c = 0; c < kPointKeys.size(); ++c) rows.back().push_back(p[c]);
    }
    std::string text = tabText(rows);
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, "\r");
    pasted.view.selectCell(0, 0);
    pasted.controller.paste(text);
    EXPECT_EQ(pasted.view.rowCount(), 5u);
    pasted.controller.run(Command::PenstockCalculate);
    expectBatchResults(pasted.view);
    // Copying the range gives the same form back (with LF line ends).
    EXPECT_EQ(pasted.controller.copy(0, 0, 4, kPointKeys.size() - 1), tabText(rows));
}

TEST(PenstockWindow, AFaultOfTheProfileNamesRowAndColumnAndKeepsEveryCell) {
    const struct {
        std::size_t row, column;
        const char* text;
        const char* message;
    } rows[] = {
        {2, PointKey::Z, "三百",
         "report 第3点“2号镇墩”：“Z”中的内容不是数字。（表中第 3 行，“高程Z(米)”列）"},
        {3, PointKey::X, "200",
         "report 第4点“3号镇墩”：“X”应大于上一点的桩号 260。（表中第 4 行，“桩号X(米)”列）"},
        {1, PointKey::j, "500",
         "report 第2点“1号镇墩”：伸缩节距离“j”应大于 0 且小于本段斜长 "
         "162.788205960997 米。（表中第 2 行，“伸缩节距离(米)”列）"},
    };
    for (const auto& row : rows) {
        Window w;
        w.type(golden());
        w.controller.run(Command::PenstockCalculate);
        w.view.setCell(row.row, row.column, row.text);
        const auto before = w.view.cells;
        w.side.said.clear();
        w.controller.run(Command::PenstockCalculate);
        EXPECT_EQ(w.side.said, std::vector<std::string>{row.message});
        EXPECT_EQ(w.view.current, (std::pair{row.row, row.column}));
        EXPECT_EQ(w.view.cells, before);
    }
    // A blank row between points is no point; the fault's row is still the table's.
    Window w;
    w.type(golden());
    w.view.selectCell(1, 0);
    w.controller.run(Command::PenstockInsertRow);
    w.view.setCell(4, PointKey::Z, "x");
    w.controller.run(Command::PenstockCalculate);
    ASSERT_FALSE(w.side.said.empty());
    EXPECT_TRUE(w.side.said.back().ends_with("（表中第 5 行，“高程Z(米)”列）"))
        << w.side.said.back();
}

TEST(PenstockWindow, ARowOpensInForm1WithTheBatchToolsTexts) {
    Window w;
    w.type(golden());
    w.controller.run(Command::PenstockCalculate);
    const std::vector<Json> lines = goldenLines();
    for (const std::size_t row :
         {std::size_t{0}, std::size_t{4}}) {  // a pier row, the checked block
        w.controller.openInForm1(row);
        for (const auto& [name, text] : lines[row]["fields"].items()) {
            EXPECT_EQ(w.form.memory.text(name), text.get<std::string>()) << row << " " << name;
        }
        EXPECT_EQ(w.formSide.said.back(),
                  "notify Form1 中是第 " + std::to_string(row + 1) + " 行“" +
                      lines[row]["fields"]["Text1"].get<std::string>() + "”的算例。");
    }
}

TEST(PenstockWindow, SavesAndOpensItsFileByteForByteAndAsksBeforeLosingChanges) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tavorin-penstock-window-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "line.penstock").string();
    const auto entry = [](FileCommand command) -> const FileMenuEntry& {
        for (const FileMenuEntry& e : fileMenu()) {
            if (e.command == command) return e;
        }
        throw std::logic_error("no entry");
    };
    Window w;
    w.type(golden());
    w.side.answers = {path};
    w.controller.runEntry(entry(FileCommand::SavePenstock));
    const std::string saved = contents(path);
    EXPECT_EQ(saved, penstockJson(golden()));

    Window other;
    other.controller.openAt(path);
    other.side.said.clear();
    other.controller.runEntry(entry(FileCommand::SavePenstock));  // no dialog: its own file
    EXPECT_EQ(other.side.said, std::vector<std::string>{"notify 已保存到“line.penstock”。"});
    EXPECT_EQ(contents(path), saved);
    EXPECT_TRUE(other.controller.mayClose());  // unchanged: nothing asked

    other.view.setCell(0, PointKey::name, "进口");
    other.side.reply = SaveAnswer::Cancel;
    EXPECT_FALSE(other.controller.mayClose());
    EXPECT_EQ(other.side.said.back(), "question 是否保存对“line.penstock”的更改？");
    other.side.reply = SaveAnswer::Save;
    EXPECT_TRUE(other.controller.mayClose());
    EXPECT_NE(contents(path).find("\"name\":\"进口\""), std::string::npos);
    std::filesystem::remove_all(dir);
}

// Form1's keys of 文件, pressed in the penstock window, act on the penstock.
TEST(PenstockWindow, TheKeysOfFileActOnThePenstockThere) {
    const std::string question = "question 是否保存对“三号管线”的更改？";
    const struct {
        std::string_view entry;
        std::vector<std::string> said;
    } rows[] = {
        {"newCase", {question}},
        {"openCase", {question, "ask openPenstock "}},
        {"saveCase", {"ask savePenstock 三号管线.penstock"}},
        {"saveCaseAs", {"ask savePenstockAs 三号管线.penstock"}},
        {"exportSheet", {"ask exportSheet 三号管线.html"}},
    };
    for (const auto& row : rows) {
        Window w;
        w.type(golden());
        const FileMenuEntry* entry = nullptr;
        for (const FileMenuEntry& e : fileMenu()) entry = e.name == row.entry ? &e : entry;
        ASSERT_TRUE(w.controller.runKeyOf(*entry)) << row.entry;
        EXPECT_EQ(w.side.said, row.said) << row.entry;
        EXPECT_TRUE(w.formSide.said.empty()) << row.entry;
    }
    Window w;
    for (const FileMenuEntry& e : fileMenu()) {
        if (e.command == FileCommand::CheckDialog) {
            EXPECT_FALSE(w.controller.runKeyOf(e));
        }
    }
}

TEST(PenstockWindow, ReadsTabTextAsSpreadsheetsWriteIt) {
    using Cells = std::vector<std::vector<std::string>>;
    const std::pair<std::string_view, Cells> rows[] = {
        {"a\tb\r\nc\td\r\n", {{"a", "b"}, {"c", "d"}}},
        {"a\t\tb", {{"a", "", "b"}}},
        {"\"x\ty\"\t\"say \"\"hi\"\"\"\n", {{"x\ty", "say \"hi\""}}},
        {"\"two\nlines\"\tz\n", {{"two\nlines", "z"}}},
        {"\n", {{""}}},
        {"", {}},
    };
    for (const auto& [text, cells] : rows) EXPECT_EQ(parseTabText(text), cells) << text;
    const Cells odd = {{"x\ty", "say \"hi\"", "two\nlines", "plain"}};
    EXPECT_EQ(parseTabText(tabText(odd)), odd);
}

}  // namespace
}  // namespace tavorin
