#include "window/command.h"

#include <exception>
#include <new>
#include <optional>
#include <vector>

#include "engine/calculate.h"
#include "engine/check.h"
#include "sheet/case_reader.h"
#include "window/version.h"

namespace tavorin {

std::string WindowSide::exportPdf(const std::string&, const std::string&) {
    return "这个窗口不能导出 PDF。";
}

void WindowSide::print(const std::string&) { report("这个窗口不能打印。"); }

namespace {

// Hands every operation on to the window's store, keeping the first text of each control
// it changes.
class UndoStore final : public FieldStore {
  public:
    UndoStore(WindowStore& store, const StoreTrap& trap) : m_store(store), m_trap(trap) {}

    bool readText(std::string_view name, std::string& text) override {
        if (m_trap) m_trap(name);
        return m_store.readText(name, text);
    }
    bool replaceText(std::string_view name, std::string_view text) override {
        if (m_trap) m_trap(name);
        remember(name, false);
        return m_store.replaceText(name, text);
    }
    bool setCaption(std::string_view name, std::string_view caption) override {
        if (m_trap) m_trap(name);
        remember(name, true);
        return m_store.setCaption(name, caption);
    }

    // Gives every control changed its first text back, the last changed first.
    void undo() noexcept {
        for (auto it = m_kept.rbegin(); it != m_kept.rend(); ++it) {
            try {
                if (it->caption) {
                    m_store.setCaption(it->name, it->text);
                } else {
                    m_store.replaceText(it->name, it->text);
                }
            } catch (...) {
                // The other controls still get theirs.
            }
        }
    }

  private:
    struct Kept {
        std::string name;
        bool caption;
        std::string text;
    };
    void remember(std::string_view name, bool caption) {
        for (const Kept& k : m_kept) {
            if (k.name == name && k.caption == caption) return;
        }
        std::string text;
        const bool read = caption ? m_store.readCaption(name, text) : m_store.readText(name, text);
        if (read) m_kept.push_back({std::string(name), caption, std::move(text)});
    }

    WindowStore& m_store;
    const StoreTrap& m_trap;
    std::vector<Kept> m_kept;
};

constexpr std::string_view kNotDone = "这次操作没有完成；窗口中的内容保持原样。";

// The last resort of every handler: runs it on an UndoStore over the window's store and
// returns the message to show, or empty when the handler returned.
std::string runGuarded(WindowStore& store, const std::function<void(FieldStore&)>& handler,
                       const StoreTrap& trap) {
    try {
        UndoStore undo(store, trap);
        try {
            handler(undo);
            return {};
        } catch (const std::bad_alloc&) {
            undo.undo();
            return "内存不足，" + std::string(kNotDone);
        } catch (const std::exception& e) {
            undo.undo();
            return "程序内部出错（" + excerpt(e.what(), 120) + "），" + std::string(kNotDone);
        } catch (...) {
            undo.undo();
            return "程序内部出错，" + std::string(kNotDone);
        }
    } catch (...) {
        // No memory even for the message.
        return "程序内部出错。";
    }
}

// runGuarded(), and the window shows what escaped the handler.
void guarded(WindowStore& store, WindowSide& side, const StoreTrap& trap,
             const std::function<void(FieldStore&)>& handler) {
    const std::string message = runGuarded(store, handler, trap);
    if (!message.empty()) side.report(message);
}

std::optional<Fault> run(FieldStore& store, Command command) {
    switch (command) {
        case Command::Calculate:
            // The windows write "." as the decimal separator, as the batch tool does.
            return calculate(store, ".");
        case Command::Version:
            return showVersion(store);
        case Command::Check:
            if (std::optional<Fault> fault = calculate(store, ".")) return fault;
            return checkStability(store, ".");
        case Command::None:
            break;
    }
    return std::nullopt;
}

// What a file command did: the fault that stopped its calculation as the button reports
// it, then its error, or else its notice.
void tell(WindowSide& side, const FileOutcome& outcome) {
    if (outcome.fault) side.report(outcome.fault->message);
    if (!outcome.error.empty()) {
        side.report(outcome.error);
    } else if (!outcome.done.empty()) {
        side.notify(outcome.done);
    }
}

// Opens the case file at `path` into the store, which then belongs to it.
void openInto(FieldStore& store, WindowSide& side, CaseDocument& document,
              const std::string& path) {
    const FileOutcome outcome = openCase(store, path);
    if (outcome.error.empty()) document.path = path;
    tell(side, outcome);
}

void runFileEntry(FieldStore& store, WindowSide& side, const FileMenuEntry& entry,
                  CaseDocument& document) {
    if (entry.command == FileCommand::CheckDialog) {
        side.showCheckDialog();
        return;
    }
    if (entry.command == FileCommand::Print) {
        std::optional<Fault> fault;
        const std::string sheet = calculateSheet(store, fault);
        if (fault) side.report(fault->message);
        side.print(sheet);
        return;
    }
    std::string path;
    if (entry.command == FileCommand::Save && !document.path.empty()) {
        path = document.path;
    } else {
        // Save as offers the case's own file, in its folder.
        const bool own = entry.command == FileCommand::SaveAs && !document.path.empty();
        path = side.choosePath(entry, own ? document.path : suggestedName(store, entry.suffix));
    }
    if (path.empty()) return;
    if (entry.command == FileCommand::Open) {
        openInto(store, side, document, path);
        return;
    }
    FileOutcome outcome;
    switch (entry.command) {
        case FileCommand::Save:
        case FileCommand::SaveAs:
            outcome = saveCase(store, path);
            break;
        case FileCommand::ExportSheet:
            outcome = exportSheet(store, path);
            break;
        case FileCommand::ExportPdf: {
            const std::string sheet = calculateSheet(store, outcome.fault);
            outcome.error = side.exportPdf(sheet, path);
            if (outcome.error.empty()) outcome.done = exportedNotice(path);
            break;
        }
        case FileCommand::Open:
        case FileCommand::Print:
        case FileCommand::CheckDialog:
            break;
    }
    const bool saved = entry.command == FileCommand::Save || entry.command == FileCommand::SaveAs;
    if (saved && outcome.error.empty()) document.path = path;
    tell(side, outcome);
}

}  // namespace

void runCommand(WindowStore& store, WindowSide& side, Command command, const StoreTrap& trap) {
    guarded(store, side, trap, [&](FieldStore& undo) {
        // The window stays as the command left it; the user reads why it stopped.
        if (const std::optional<Fault> fault = run(undo, command)) side.report(fault->message);
    });
}

void runEntry(WindowStore& store, WindowSide& side, const FileMenuEntry& entry,
              CaseDocument& document, const StoreTrap& trap) {
    guarded(store, side, trap,
            [&](FieldStore& undo) { runFileEntry(undo, side, entry, document); });
}

void openCaseAt(WindowStore& store, WindowSide& side, CaseDocument& document,
                const std::string& utf8Path, const StoreTrap& trap) {
    guarded(store, side, trap, [&](FieldStore& undo) { openInto(undo, side, document, utf8Path); });
}

}  // namespace tavorin
