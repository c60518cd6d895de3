// What the toolkit-free window tests put in place of a toolkit: a window store in memory, and
// a window side that answers each file dialog with the next path, the question about unsaved
// changes with `reply`, and records what it was asked and told.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fields.h"
#include "window/command.h"
#include "window/file_menu.h"

namespace tavorin {

class MemoryWindowStore final : public WindowStore {
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

class RecordingSide final : public WindowSide {
  public:
    void report(std::string_view message) override {
        said.push_back("report " + std::string(message));
    }
    // "ask <entry> <offer>"; an empty path (cancelled) once the answers run out.
    std::string choosePath(const FileMenuEntry& entry, const std::string& offer) override {
        said.push_back("ask " + std::string(entry.name) + " " + offer);
        if (answers.empty()) return {};
        std::string path = answers.front();
        answers.pop_front();
        return path;
    }
    void showCheckDialog() override {}
    void notify(std::string_view message) override {
        said.push_back("notify " + std::string(message));
    }
    SaveAnswer askToSave(std::string_view question) override {
        said.push_back("question " + std::string(question));
        return reply;
    }

    std::deque<std::string> answers;
    SaveAnswer reply = SaveAnswer::Discard;
    std::vector<std::string> said;
};

}  // namespace tavorin
