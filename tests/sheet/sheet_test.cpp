// The calculation sheet shows exactly the boxes' texts; case files round-trip and reject
// what is not a case without touching the store.
#include "sheet/sheet.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <string_view>

#include "engine/calculate.h"
#include "engine/check.h"
#include "engine/record.h"
#include "sheet/case_file.h"
#include "tests/random_cases.h"
#include "window/file_menu.h"

namespace tavorin {
namespace {

namespace fs = std::filesystem;
using Texts = std::map<std::string, std::string>;

std::string unescape(std::string text) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
    for (const auto& [entity, c] : entities) {
        for (size_t at; (at = text.find(entity)) != std::string::npos;) {
            text.replace(at, std::string_view(entity).size(), c);
        }
    }
    return text;
}

// Every result cell of a sheet: box name and the text shown.
std::vector<std::pair<std::string, std::string>> resultCells(const std::string& html) {
    static const std::regex cell(R"re(data-box="([^"]+)"><span class="v">([^<]*)</span>)re");
    std::vector<std::pair<std::string, std::string>> cells;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), cell);
         it != std::sregex_iterator(); ++it) {
        cells.emplace_back((*it)[1].str(), unescape((*it)[2].str()));
    }
    return cells;
}

MemoryStore storeWith(const Texts& inputs) {
    MemoryStore store;
    for (const auto& [name, text] : inputs) store.replaceText(name, text);
    return store;
}

TEST(Sheet, EveryResultIsTheTextOfItsBox) {
    std::mt19937 random(20261208);
    for (int i = 0; i < 300; ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        const Texts inputs = randomCase(random);
        MemoryStore store = storeWith(inputs);
        // Earlier texts in the output boxes must not reach the sheet of a run that stops.
        for (const FieldSpec& f : fieldTable()) {
            if (f.role == FieldRole::Output) store.replaceText(f.name, "earlier");
        }
        CalcRecord record;
        const auto fault = calculate(store, record);
        const std::string html = sheetDocument(record);
        std::set<std::string> shown;
        for (const auto& [box, text] : resultCells(html)) {
            EXPECT_EQ(text, store.text(box)) << box;
            EXPECT_NE(text, "earlier") << box;
            shown.insert(box);
        }
        // Every box the run wrote, other than the never-computed a12, a26, a28, is shown.
        for (const auto& [box, text] : record.written) {
            if (box == "a12text" || box == "a26text" || box == "a28text") continue;
            EXPECT_TRUE(shown.count(box)) << box;
        }
        EXPECT_EQ(html.find("earlier"), std::string::npos);
        if (fault) {
            EXPECT_NE(html.find(escapeHtml(fault->message)), std::string::npos);
        }
        // The block's name is escaped.
        EXPECT_NE(html.find(escapeHtml(inputs.at("Text1"))), std::string::npos);
        EXPECT_EQ(html.find("<b>"), std::string::npos);
    }
}

// The sheet of the stability check's worked example, byte for byte. TAVORIN_WRITE_GOLDEN=1
// writes the file instead, to be looked at and committed.
TEST(Sheet, TheStabilityCheckSectionOfTheWorkedExample) {
    MemoryStore store = storeWith({{"Text1", "1号镇墩"},
                                   {"Bjt", "6"},
                                   {"Ljt", "5"},
                                   {"Hjt", "4"},
                                   {"hpt", "2.5"},
                                   {"Rjt", "50"},
                                   {"Kht", "0.1"}});
    CalcRecord record;
    CalcRecord check;
    ASSERT_FALSE(calculate(store, record).has_value());
    ASSERT_FALSE(checkStability(store, check).has_value());
    const std::string html = sheetDocument(record, &check);
    const fs::path golden = fs::path(TAVORIN_GOLDEN_DIR) / "sheet-check.html";
    if (std::getenv("TAVORIN_WRITE_GOLDEN") != nullptr) {
        std::ofstream(golden, std::ios::binary) << html;
    }
    std::ifstream in(golden, std::ios::binary);
    const std::string expected{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(html, expected) << "differs from " << golden;
    // Every result cell is the text of its box, the check's included.
    std::set<std::string> shown;
    for (const auto& [box, text] : resultCells(html)) {
        EXPECT_EQ(text, store.text(box)) << box;
        shown.insert(box);
    }
    for (const FieldSpec& f : checkFieldTable()) {
        if (f.role == FieldRole::Output) {
            EXPECT_TRUE(shown.count(std::string(f.name))) << f.name;
        }
    }
    // Without the check's record the sheet is the calculation's alone.
    EXPECT_NE(html.find("五、稳定验算"), std::string::npos);
    EXPECT_EQ(sheetDocument(record).find("五、稳定验算"), std::string::npos);
}

TEST(Sheet, TypesetsNamesAndEscapesText) {
    const std::pair<const char*, const char*> rows[] = {
        {"a11", "<i>a</i><sub>11</sub>"},
        {"qs × L1", "<i>qs</i> × <i>L</i><sub>1</sub>"},
        {"cos(a10) × aa1", "cos(<i>a</i><sub>10</sub>) × <i>aa</i><sub>1</sub>"},
        {"atan(dZ ÷ dX)", "atan(<i>dZ</i> ÷ <i>dX</i>)"},
        {"a1x", "<i>a</i><sub>1x</sub>"},
        {"π ÷ 4", "π ÷ 4"},
        {"|x1| × K", "|<i>x</i><sub>1</sub>| × <i>K</i>"},
        // The profile's quantities: θ and λ are names, atan is upright.
        {"atan(ΔZ0 ÷ ΔX0) × 180 ÷ π",
         "atan(Δ<i>Z</i><sub>0</sub> ÷ Δ<i>X</i><sub>0</sub>) × 180 ÷ π"},
        {"⌊θ12⌋ + λ", "⌊<i>θ</i><sub>12</sub>⌋ + <i>λ</i>"},
    };
    for (const auto& [formula, html] : rows) EXPECT_EQ(formulaHtml(formula), html) << formula;
    EXPECT_EQ(escapeHtml("<a href=\"x\">&</a>"), "&lt;a href=&quot;x&quot;&gt;&amp;&lt;/a&gt;");
    // A control character cannot stand in XML.
    EXPECT_EQ(escapeHtml("a\x01z"), "a\xEF\xBF\xBDz");
}

TEST(CaseFile, RoundTripsEveryInputAndChoice) {
    MemoryStore store = storeWith({{"Text1", "3号镇墩 \"东\""},
                                   {"HSt", "1 52"},
                                   {"kj", "支墩"},
                                   {"k", "中间"},
                                   {"spjText", ""},
                                   {"x1", "not saved"},
                                   {"Bjt", "6"},
                                   {"hwt", ""},
                                   {"Kct", "1.5"},
                                   {"Gj", "not saved"}});
    const CaseWrite written = caseJson(store);
    ASSERT_TRUE(written.error.empty());
    EXPECT_EQ(written.json.find('\n'), written.json.size() - 1);  // one line
    EXPECT_EQ(written.json.find("x1"), std::string::npos);
    // The check's inputs follow Form1's, only those not at their default text.
    EXPECT_TRUE(written.json.ends_with(R"("spjText":"","Bjt":"6","hwt":""})"
                                       "\n"))
        << written.json;
    const CaseParse parsed = parseCase(written.json);
    ASSERT_TRUE(parsed.error.empty()) << parsed.error;
    EXPECT_EQ(parsed.texts.size(), 26u);
    MemoryStore fresh = storeWith({{"Kct", "2"}, {"Ljt", "5"}});
    ASSERT_TRUE(applyCase(fresh, parsed.texts));
    for (const auto& boxes : {fieldTable(), checkFieldTable()}) {
        for (const FieldSpec& f : boxes) {
            if (f.role == FieldRole::Input || f.role == FieldRole::Choice) {
                EXPECT_EQ(fresh.text(f.name), store.text(f.name)) << f.name;
            }
        }
    }
    // A case without the check has the bytes it had before the check's boxes existed.
    MemoryStore untouched;
    EXPECT_TRUE(caseJson(untouched).json.ends_with(R"("kkt":"0","spjText":"0"})"
                                                   "\n"));
    // Desktops tell a case file by these first bytes (the package's file type).
    EXPECT_TRUE(caseJson(untouched).json.starts_with(R"({"Text1":")"));
    // The batch tool reads the same line.
    EXPECT_TRUE(parseCase(written.json, CaseScope::InputsAndOutputs).error.empty());
}

TEST(CaseFile, RejectsWhatIsNotACase) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "文件为空。"},
        {"{\"HSt\": \"152\"", "不是有效的 JSON"},
        {"[\"HSt\"]", "不是一个 JSON 对象"},
        {"\"152\"", "不是一个 JSON 对象"},
        {"{\"HS\": \"152\"}", "“HS”不是输入框、选择框或结果框的名称"},
        {"{\"Label25\": \"x\"}", "“Label25”不是输入框、选择框或结果框的名称"},
        {"{\"x1\": \"1\"}", "“x1”是结果框"},
        {"{\"HSt\": 152}", "“HSt”的值不是文字"},
        {"{\"HSt\": null}", "“HSt”的值不是文字"},
        {"{\"HSt\": \"\xff\"}", "不是 UTF-8 编码的文字（第 10 个字节）"},
        {"{\"Bjt\": \"6\", \"Gj\": \"288\"}", "“Gj”是结果框"},
        {"{\"Bmin\": \"5.3\"}", "“Bmin”是结果框"},
        {"{\"Kht\": 0.1}", "“Kht”的值不是文字"},
    };
    for (const auto& [json, error] : rows) {
        SCOPED_TRACE(json);
        const CaseParse parsed = parseCase(json);
        EXPECT_NE(parsed.error.find(error), std::string::npos) << parsed.error;
        EXPECT_TRUE(parsed.texts.empty());
    }
    // A byte-order mark, as some editors write, is no problem.
    EXPECT_EQ(parseCase("\xEF\xBB\xBF{\"HSt\": \"100\"}").error, "");
    // A case need not name every box: the others take their default texts.
    const CaseParse partial = parseCase("{\"kj\": \"支墩\"}");
    ASSERT_TRUE(partial.error.empty());
    MemoryStore store = storeWith({{"HSt", "99"}, {"Bjt", "9"}, {"Kht", "0.2"}});
    ASSERT_TRUE(applyCase(store, partial.texts));
    EXPECT_EQ(store.text("HSt"), "152");
    EXPECT_EQ(store.text("kj"), "支墩");
    // An older file, without the check's inputs: the check's boxes too are at their defaults,
    // not left from the block shown before.
    EXPECT_EQ(store.text("Bjt"), "");
    EXPECT_EQ(store.text("Kht"), "0");
}

// A memory store that lacks some of the check's boxes, as a window without the check's dialog
// (all of them) or one that cannot give a box (one of them).
class StoreLacking final : public FieldStore {
  public:
    explicit StoreLacking(std::set<std::string_view> lacks) : m_lacks(std::move(lacks)) {
        m_store.replaceText("Bjt", "6");
    }
    bool readText(std::string_view name, std::string& text) override {
        return !m_lacks.count(name) && m_store.readText(name, text);
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        return !m_lacks.count(name) && m_store.replaceText(name, text);
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        return m_store.setCaption(name, caption);
    }

  private:
    std::set<std::string_view> m_lacks;
    MemoryStore m_store;
};

TEST(CaseFile, AStoreHoldsEveryCheckBoxOrNone) {
    std::set<std::string_view> allCheckBoxes;
    for (const FieldSpec& f : checkFieldTable()) allCheckBoxes.insert(f.name);
    const struct {
        const char* what;
        std::set<std::string_view> lacks;
        std::string saveError;  // of caseJson; empty: the json holds Bjt unless the store lacks it
        bool opensFormCase;     // applyCase of a case without check boxes
        bool opensCheckCase;    // applyCase of a case naming Bjt
    } rows[] = {
        {"every box", {}, "", true, true},
        {"no check box", allCheckBoxes, "", true, false},
        {"all but Rket", {"Rket"}, "无法读取“地震时地基允许承载力提高系数”。", false, false},
    };
    const CaseTexts formCase = {{"HSt", "100"}};
    const CaseTexts checkCase = {{"HSt", "100"}, {"Bjt", "7"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        StoreLacking store(row.lacks);
        const CaseWrite written = caseJson(store);
        EXPECT_EQ(written.error, row.saveError);
        if (row.saveError.empty()) {
            EXPECT_EQ(written.json.find("\"Bjt\":\"6\"") != std::string::npos,
                      !row.lacks.count("Bjt"));
        }
        EXPECT_EQ(applyCase(store, formCase), row.opensFormCase);
        EXPECT_EQ(applyCase(store, checkCase), row.opensCheckCase);
    }
}

class CaseFileOnDisk : public testing::Test {
  protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() / ("tavorin-case-" + std::to_string(std::random_device{}()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    // Paths travel as UTF-8, as the windows hand them over; on Windows a narrow path would
    // be read in the ANSI code page instead.
    static fs::path native(const std::string& utf8) {
        return fs::path(std::u8string(utf8.begin(), utf8.end()));
    }
    std::string path(const char* name) const {
        const std::u8string text = (m_dir / native(name)).u8string();
        return {text.begin(), text.end()};
    }
    static void put(const std::string& file, const std::string& bytes) {
        std::ofstream(native(file), std::ios::binary) << bytes;
    }
    static std::string get(const std::string& file) {
        std::ifstream in(native(file), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path m_dir;
};

TEST_F(CaseFileOnDisk, OpeningABrokenFileChangesNothingAndNamesTheProblem) {
    put(path("array.json"), "[1, 2]");
    put(path("unknown.json"), "{\"HSt\": \"100\", \"Vx\": \"3\"}");
    put(path("big.json"), std::string(2 << 20, ' '));
    fs::create_directory(native(path("folder.json")));
    const std::pair<std::string, const char*> rows[] = {
        {path("array.json"), "不是一个 JSON 对象"},
        {path("unknown.json"), "“Vx”不是输入框、选择框或结果框的名称"},
        {path("missing.json"), "文件不存在"},
        {path("big.json"), "文件过大"},
        {path("folder.json"), "文件夹"},
    };
    for (const auto& [file, problem] : rows) {
        SCOPED_TRACE(file);
        MemoryStore store = storeWith({{"HSt", "99"}, {"x1", "5"}});
        store.setCaption("Label25", "计算结果:");
        const MemoryStore before = store;
        const FileOutcome outcome = openCase(store, file);
        EXPECT_NE(outcome.error.find(problem), std::string::npos) << outcome.error;
        EXPECT_NE(outcome.error.find(file), std::string::npos) << outcome.error;
        for (const FieldSpec& f : fieldTable()) {
            EXPECT_EQ(store.text(f.name), before.text(f.name)) << f.name;
        }
    }
}

TEST_F(CaseFileOnDisk, SaveReplacesTheFileAndLeavesNoTemporaryFile) {
    const std::string file = path("块 1.json");
    put(file, "old");
    MemoryStore store = storeWith({{"HSt", "200"}});
    ASSERT_EQ(saveCase(store, file).error, "");
    EXPECT_EQ(get(file), caseJson(store).json);
    size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(m_dir)) ++entries;
    EXPECT_EQ(entries, 1u);

    // A save that cannot write reports it and keeps the old file.
    const std::string blocked = path("blocked.json");
    fs::create_directory(native(blocked));
    EXPECT_NE(saveCase(store, blocked).error.find("无法保存文件"), std::string::npos);
    EXPECT_NE(saveCase(store, path("no/such/dir.json")).error.find("无法保存文件"),
              std::string::npos);
    EXPECT_EQ(get(file), caseJson(store).json);

    // Opened into a fresh store: the same inputs; the results are cleared.
    MemoryStore fresh;
    fresh.replaceText("x1", "stale");
    fresh.setCaption("Label25", "计算结果:");
    ASSERT_EQ(openCase(fresh, file).error, "");
    EXPECT_EQ(fresh.text("HSt"), "200");
    EXPECT_EQ(fresh.text("x1"), "");
    EXPECT_EQ(fresh.text("Label25"), "");
}

TEST_F(CaseFileOnDisk, ExportWritesTheSheetOfTheCalculationItRan) {
    const std::string file = path("sheet.html");
    MemoryStore store = storeWith({{"fjt", "0"}});
    const FileOutcome outcome = exportSheet(store, file);
    EXPECT_EQ(outcome.error, "");
    ASSERT_TRUE(outcome.fault.has_value());
    const std::string html = get(file);
    EXPECT_NE(html.find(escapeHtml(outcome.fault->message)), std::string::npos);
    EXPECT_EQ(store.text("x1"), "77.5667185956496");
    for (const auto& [box, text] : resultCells(html)) EXPECT_EQ(text, store.text(box)) << box;
}

}  // namespace
}  // namespace tavorin
