// The case file a window's boxes belong to, without any toolkit: which entries ask for a
// file, which file 保存 writes, what is notified, and the keys of the menu table.
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
#include "window/command.h"
#include "window/file_menu.h"

namespace tavorin {
namespace {

class Store final : public WindowStore {
  public:
    bool readText(std::string_view name, std::string& text) override {
        return memory.readText(name, text);
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        return memory.replaceText(name, text);
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        return memory.setCaption(name, caption);
    }
    bool readCaption(std::string_view name, std::string& caption) override {
        caption = memory.text(name);
        return true;
    }
    MemoryStore memory;
};

// Answers each file dialog with the next path and records what was asked and said.
class Side final : public WindowSide {
  public:
    void report(std::string_view message) override {
        said.push_back("report " + std::string(message));
    }
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override {
        said.push_back("ask " + std::string(entry.name) + " " + offer);
        std::string path = answers.front();
        answers.pop_front();
        return path;
    }
    void showCheckDialog() override {}
    void notify(std::string_view message) override {
        said.push_back("notify " + std::string(message));
    }

    std::deque<std::string> answers;
    std::vector<std::string> said;
};

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

TEST(CaseDocument, SaveAsksOnlyForANewCaseAndEveryEntryKeepsTheRightFile) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("tavorin-document-" + std::to_string(std::random_device{}()));
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    const std::string dir = folder.generic_string();
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
        {"openCase", "五", a, {"ask openCase 五.tavorin"}, a},
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
        ASSERT_EQ(side.said.size(), step.said.size()) << ::testing::PrintToString(side.said);
        for (size_t i = 0; i < step.said.size(); ++i) {
            // A report's words are the reader's and the writer's, tested there.
            if (step.said[i] == "report *") {
                EXPECT_TRUE(side.said[i].starts_with("report ")) << side.said[i];
            } else {
                EXPECT_EQ(side.said[i], step.said[i]);
            }
        }
        EXPECT_EQ(document.path, step.document);
    }
    // The second 保存 wrote 二 into a.tavorin without asking; the last 打开… read it back.
    EXPECT_NE(contents(a).find("\"Text1\":\"二\""), std::string::npos);
    EXPECT_EQ(store.memory.text("Text1"), "二");
    EXPECT_NE(contents(b).find("\"Text1\":\"三\""), std::string::npos);
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
    EXPECT_EQ(given, (std::vector<std::string_view>{"Ctrl+O", "Ctrl+S", "Ctrl+Shift+S", "Ctrl+E",
                                                    "Ctrl+P"}));
}

}  // namespace
}  // namespace tavorin
