// The case file a window's boxes belong to, without any toolkit: which entries ask for a
// file, which file 保存 writes, what is notified, when the question about unsaved changes
// is asked and what each answer does, and the keys of the menu table.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/fields.h"
#include "tests/window/window_fakes.h"
#include "window/command.h"
#include "window/file_menu.h"
#include "window/unsaved_changes.h"

namespace tavorin {
namespace {

using Store = MemoryWindowStore;
using Side = RecordingSide;

const FileMenuEntry& entryNamed(std::string_view name) {
    for (const FileMenuEntry& entry : fileMenu()) {
        if (entry.name == name) return entry;
    }
    throw std::logic_error("no entry " + std::string(name));
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A folder of its own for the files of one test.
std::string newFolder() {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("tavorin-document-" + std::to_string(std::random_device{}()));
    EXPECT_TRUE(std::filesystem::create_directory(folder));
    return folder.generic_string();
}

// What the window was told, as expected; "report *" stands for any report (its words are
// the reader's and the writer's, tested there).
void expectSaid(const std::vector<std::string>& said, const std::vector<std::string>& expected) {
    ASSERT_EQ(said.size(), expected.size()) << ::testing::PrintToString(said);
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == "report *") {
            EXPECT_TRUE(said[i].starts_with("report ")) << said[i];
        } else {
            EXPECT_EQ(said[i], expected[i]);
        }
    }
}

TEST(CaseDocument, SaveAsksOnlyForANewCaseAndEveryEntryKeepsTheRightFile) {
    const std::string dir = newFolder();
    const std::string a = dir + "/a.tavorin", b = dir + "/b.tavorin", sheet = dir + "/s.html";
    std::ofstream(dir + "/bad.tavorin") << "{\"HSt\":1}";
    std::ofstream(dir + "/old.json") << "{\"Text1\":\"旧\",\"HSt\":\"99\"}\n";

    // Each step: the entry (or "open:" a path as from the command line or a drop), the text
    // typed into Text1 first, the dialog's answer, what the window was told, and the file
    // the case belongs to afterwards.
    const struct {
        std::string entry, name, answer;
        std::vector<std::string> said;
        std::string document;
    } steps[] = {
        {"saveCase", "一", "", {"ask saveCase 一.tavorin"}, ""},  // cancelled
        {"saveCase", "一", a, {"ask saveCase 一.tavorin", "notify 已保存到“a.tavorin”。"}, a},
        {"saveCase", "二", "", {"notify 已保存到“a.tavorin”。"}, a},
        {"exportSheet",
         "二",
         sheet,
         {"ask exportSheet 二.html", "notify 计算书已导出到“s.html”。"},
         a},
        {"saveCaseAs", "三", b, {"ask saveCaseAs " + a, "notify 已保存到“b.tavorin”。"}, b},
        {"openCase", "三", dir + "/bad.tavorin", {"ask openCase 三.tavorin", "report *"}, b},
        {"open:" + dir + "/bad.tavorin", "三", "", {"report *"}, b},
        {"open:" + dir + "/old.json", "三", "", {}, dir + "/old.json"},
        {"saveCaseAs",
         "四",
         dir + "/none/c.tavorin",
         {"ask saveCaseAs " + dir + "/old.json", "report *"},
         dir + "/old.json"},
        // 四 was not saved: 不保存.
        {"openCase",
         "五",
         a,
         {"question 是否保存对“old.json”的更改？", "ask openCase 五.tavorin"},
         a},
    };
    Store store;
    Side side;
    CaseDocument document;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.entry + " " + step.name);
        store.replaceText("Text1", step.name);
        side.said.clear();
        side.answers = {step.answer};
        if (step.entry.starts_with("open:")) {
            openCaseAt(store, side, document, step.entry.substr(5));
        } else {
            runEntry(store, side, entryNamed(step.entry), document);
        }
        expectSaid(side.said, step.said);
        EXPECT_EQ(document.path, step.document);
    }
    // The second 保存 wrote 二 into a.tavorin without asking; the last 打开… read it back.
    EXPECT_NE(contents(a).find("\"Text1\":\"二\""), std::string::npos);
    EXPECT_EQ(store.memory.text("Text1"), "二");
    EXPECT_NE(contents(b).find("\"Text1\":\"三\""), std::string::npos);
    std::filesystem::remove_all(dir);
}

// A changed case, closed, made new, opened or dropped on, with each answer to the question:
// 保存 saves as 保存 does and goes on only when the file was written; 不保存 goes on and
// leaves the file as it was; 取消 keeps the boxes, the file and the window.
TEST(UnsavedChanges, EachAnswerToEachTrigger) {
    const std::string dir = newFolder();
    const std::string own = dir + "/own.tavorin", chosen = dir + "/chosen.tavorin";
    const std::string other = dir + "/other.tavorin";
    std::ofstream(other) << "{\"HSt\":\"7\"}";
    const struct {
        const char* what;
        bool hasFile;  // saved to own.tavorin before HSt was changed
        SaveAnswer reply;
        std::string dialog;  // the save dialog's answer, for a new case
        std::vector<std::string> saving;
        bool goesOn;
        std::string written;  // the file that holds the change afterwards
    } answers[] = {
        {"保存 of a case with a file",
         true,
         SaveAnswer::Save,
         "",
         {"notify 已保存到“own.tavorin”。"},
         true,
         own},
        {"保存 of a new case",
         false,
         SaveAnswer::Save,
         chosen,
         {"ask saveCase 3号镇墩.tavorin", "notify 已保存到“chosen.tavorin”。"},
         true,
         chosen},
        {"保存 of a new case, its dialog cancelled",
         false,
         SaveAnswer::Save,
         "",
         {"ask saveCase 3号镇墩.tavorin"},
         false,
         ""},
        {"保存 that cannot write",
         false,
         SaveAnswer::Save,
         dir + "/none/x.tavorin",
         {"ask saveCase 3号镇墩.tavorin", "report *"},
         false,
         ""},
        {"不保存", true, SaveAnswer::Discard, "", {}, true, ""},
        {"取消", true, SaveAnswer::Cancel, "", {}, false, ""},
    };
    for (const std::string trigger : {"close", "newCase", "openCase", "drop"}) {
        for (const auto& row : answers) {
            SCOPED_TRACE(trigger + ": " + row.what);
            std::filesystem::remove(own);
            std::filesystem::remove(chosen);
            Store store;
            Side side;
            CaseDocument document;
            markUnchanged(document, store);
            store.replaceText("Text1", "3号镇墩");
            if (row.hasFile) {
                side.answers = {own};
                runEntry(store, side, entryNamed("saveCase"), document);
                ASSERT_EQ(document.path, own);
            }
            store.replaceText("HSt", "99");
            side.said.clear();
            side.reply = row.reply;
            // The save dialog opens only for a new case; then 打开…'s.
            side.answers = {other};
            if (!row.hasFile && row.reply == SaveAnswer::Save) side.answers.push_front(row.dialog);
            bool closes = false;
            if (trigger == "close") {
                closes = runClose(store, side, document);
            } else if (trigger == "drop") {
                openCaseAt(store, side, document, other);
            } else {
                runEntry(store, side, entryNamed(trigger), document);
            }

            std::vector<std::string> said = {"question 是否保存对“" +
                                             std::string(row.hasFile ? "own.tavorin" : "3号镇墩") +
                                             "”的更改？"};
            said.insert(said.end(), row.saving.begin(), row.saving.end());
            if (trigger == "openCase" && row.goesOn) said.push_back("ask openCase 3号镇墩.tavorin");
            expectSaid(side.said, said);
            const std::string hst = store.memory.text("HSt");
            if (trigger == "close") {
                EXPECT_EQ(closes, row.goesOn);
                EXPECT_EQ(hst, "99");
            } else if (!row.goesOn) {
                EXPECT_EQ(hst, "99");
                EXPECT_EQ(store.memory.text("Text1"), "3号镇墩");
            } else if (trigger == "newCase") {
                EXPECT_EQ(hst, "152");
                EXPECT_EQ(store.memory.text("Text1"), "Text1");
                EXPECT_EQ(document.path, "");
            } else {
                EXPECT_EQ(hst, "7");
                EXPECT_EQ(document.path, other);
            }
            if (!row.written.empty()) {
                EXPECT_NE(contents(row.written).find("\"HSt\":\"99\""), std::string::npos);
            } else if (row.hasFile) {
                EXPECT_NE(contents(own).find("\"HSt\":\"152\""), std::string::npos);
            }
            EXPECT_FALSE(std::filesystem::exists(chosen) && row.written != chosen);
        }
    }
    std::filesystem::remove_all(dir);
}

// In order on one window: when the case counts as unchanged nothing is asked, and the
// question names the case's file, or for a new case its block (or "算例").
TEST(UnsavedChanges, OnlyAChangeOfTheCaseAsks) {
    const std::string dir = newFolder();
    const std::string own = dir + "/own.tavorin", other = dir + "/other.tavorin";
    std::ofstream(other) << "{\"HSt\":\"7\"}";
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> typed;  // before the action, in order
        std::string action;
        std::vector<std::string> said;
    } steps[] = {
        {"as opened", {}, "close", {}},
        {"typed back", {{"HSt", "99"}, {"HSt", "152"}, {"k", "下侧"}, {"k", "上侧"}}, "close", {}},
        {"a check input typed back", {{"Bjt", "6"}, {"Bjt", ""}}, "close", {}},
        {"calculated", {}, "calculate", {}},
        {"after the calculation", {}, "close", {}},
        {"unchanged", {}, "newCase", {}},
        {"unchanged", {}, "drop", {}},
        {"unchanged", {}, "openCase", {"ask openCase Text1.tavorin"}},
        {"HSt of the file changed",
         {{"HSt", "8"}},
         "newCase",
         {"question 是否保存对“other.tavorin”的更改？"}},
        {"saved", {}, "saveCaseAs", {"ask saveCaseAs " + other, "notify 已保存到“own.tavorin”。"}},
        {"after 保存", {}, "close", {}},
        {"a check input", {{"Bjt", "6"}}, "drop", {"question 是否保存对“own.tavorin”的更改？"}},
        {"the check input typed back", {{"Bjt", ""}}, "drop", {}},
        {"the opened case", {}, "close", {}},
        {"made new", {}, "newCase", {}},
        {"a new case", {{"Text1", "3号/镇墩"}}, "close", {"question 是否保存对“3号_镇墩”的更改？"}},
        {"a new case without a name",
         {{"Text1", " "}},
         "close",
         {"question 是否保存对“算例”的更改？"}},
    };
    Store store;
    Side side;
    side.reply = SaveAnswer::Cancel;
    CaseDocument document;
    markUnchanged(document, store);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.action + ", " + step.what);
        for (const auto& [name, text] : step.typed) store.replaceText(name, text);
        side.said.clear();
        side.answers = {step.action == "saveCaseAs" ? own : other};
        if (step.action == "close") {
            EXPECT_EQ(runClose(store, side, document), step.said.empty());
        } else if (step.action == "calculate") {
            runCommand(store, side, Command::Calculate);
            EXPECT_EQ(store.memory.text("Label25"), "计算结果:");
        } else if (step.action == "drop") {
            openCaseAt(store, side, document, other);
        } else {
            runEntry(store, side, entryNamed(step.action), document);
        }
        expectSaid(side.said, step.said);
    }
    std::filesystem::remove_all(dir);
}

TEST(MenuTable, KeysAreCtrlWithALetterAndNoTwoEntriesShareOne) {
    const struct {
        std::string_view keys;
        std::optional<KeyChord> chord;
    } rows[] = {
        {"Ctrl+O", KeyChord{false, 'O'}},
        {"Ctrl+Shift+S", KeyChord{true, 'S'}},
        {"", std::nullopt},
        {"Ctrl+o", std::nullopt},
        {"Shift+S", std::nullopt},
        {"Ctrl+F12", std::nullopt},
    };
    for (const auto& row : rows) EXPECT_EQ(keyChord(row.keys), row.chord) << row.keys;

    std::vector<std::string_view> given;
    std::set<std::pair<bool, char>> chords;
    for (const FileMenuEntry& entry : fileMenu()) {
        if (entry.keys.empty()) continue;
        given.push_back(entry.keys);
        const std::optional<KeyChord> chord = keyChord(entry.keys);
        ASSERT_TRUE(chord) << entry.keys;
        EXPECT_TRUE(chords.insert({chord->shift, chord->letter}).second) << entry.keys;
    }
    EXPECT_EQ(given, (std::vector<std::string_view>{"Ctrl+N", "Ctrl+O", "Ctrl+S", "Ctrl+Shift+S",
                                                    "Ctrl+E", "Ctrl+P", "Ctrl+L"}));
}

}  // namespace
}  // namespace tavorin
