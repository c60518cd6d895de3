#include "window/command.h"

#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "engine/calculate.h"
#include "engine/check.h"
#include "sheet/case_file.h"
#include "sheet/case_reader.h"
#include "sheet/penstock_file.h"
#include "window/penstock_window.h"
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
        default:  // none, or the penstock window's, which its controller runs
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

// The case in the store, as it stands, now belongs to the file `path` (none when empty).
// The document changes only once the store has been read: what escapes leaves it as it was.
void adopt(CaseDocument& document, FieldStore& store, std::string path) {
    CaseDocument now{std::move(path), {}};
    markUnchanged(now, store);
    document = std::move(now);
}

// Opens the case file at `path` into the store, which then belongs to it.
void openInto(FieldStore& store, WindowSide& side, CaseDocument& document,
              const std::string& path) {
    const FileOutcome outcome = openCase(store, path);
    if (outcome.error.empty()) adopt(document, store, path);
    tell(side, outcome);
}

// 保存 and 另存为…: asks for the file (保存 only for a case without one) and writes the case;
// true when it was written, and the file is then the case's.
bool saveInto(FieldStore& store, WindowSide& side, const FileMenuEntry& entry,
              CaseDocument& document) {
    std::string path = document.path;
    if (entry.command == FileCommand::SaveAs || path.empty()) {
        // Save as offers the case's own file, in its folder.
        path = side.choosePath(entry, path.empty() ? suggestedName(store, entry.suffix) : path);
    }
    if (path.empty()) return false;
    const FileOutcome outcome = saveCase(store, path);
    const bool saved = outcome.error.empty();
    if (saved) adopt(document, store, path);
    tell(side, outcome);
    return saved;
}

const FileMenuEntry& saveEntry() {
    for (const FileMenuEntry& entry : fileMenu()) {
        if (entry.command == FileCommand::Save) return entry;
    }
    throw std::logic_error("the menu table has no 保存");
}

// The window's case as the question about unsaved changes sees it.
class CaseToDrop final : public UnsavedDocument {
  public:
    CaseToDrop(FieldStore& store, WindowSide& side, CaseDocument& document)
        : m_store(store), m_side(side), m_document(document) {}

    bool changed() override { return caseChanged(m_document, m_store); }
    std::string name() override { return caseName(m_document, m_store); }
    bool save() override { return saveInto(m_store, m_side, saveEntry(), m_document); }

  private:
    FieldStore& m_store;
    WindowSide& m_side;
    CaseDocument& m_document;
};

// Whether the window may put another case in the boxes, or close: asks when they hold
// unsaved changes.
bool mayDropCase(FieldStore& store, WindowSide& side, CaseDocument& document) {
    CaseToDrop unsaved(store, side, document);
    return mayDrop(unsaved, side);
}

void runFileEntry(FieldStore& store, WindowSide& side, const FileMenuEntry& entry,
                  CaseDocument& document) {
    FileOutcome outcome;
    std::string path;
    if (forPenstock(entry)) {
        // The penstock window runs its own, in its own last resort.
        if (PenstockController* penstock = side.penstock()) {
            if (entry.command != FileCommand::PenstockWindow) penstock->runEntry(entry);
        }
        return;
    }
    switch (entry.command) {
        case FileCommand::CheckDialog:
            side.showCheckDialog();
            return;
        case FileCommand::Print: {
            std::optional<Fault> fault;
            const std::string sheet = calculateSheet(store, fault);
            if (fault) side.report(fault->message);
            side.print(sheet);
            return;
        }
        case FileCommand::New:
            if (!mayDropCase(store, side, document)) return;
            outcome = newCase(store);
            if (outcome.error.empty()) adopt(document, store, {});
            tell(side, outcome);
            return;
        case FileCommand::Open:
            if (!mayDropCase(store, side, document)) return;
            path = side.choosePath(entry, suggestedName(store, entry.suffix));
            if (!path.empty()) openInto(store, side, document, path);
            return;
        case FileCommand::Save:
        case FileCommand::SaveAs:
            saveInto(store, side, entry, document);
            return;
        case FileCommand::ExportSheet:
        case FileCommand::ExportPdf:
            break;
        default:  // the penstock's, above
            return;
    }
    path = side.choosePath(entry, suggestedName(store, entry.suffix));
    if (path.empty()) return;
    if (entry.command == FileCommand::ExportSheet) {
        outcome = exportSheet(store, path);
    } else {
        const std::string sheet = calculateSheet(store, outcome.fault);
        outcome.error = side.exportPdf(sheet, path);
        if (outcome.error.empty()) outcome.done = exportedNotice(path);
    }
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
    // A penstock file opens in the penstock window.
    if (isPenstockFile(utf8Path)) {
        if (PenstockController* penstock = side.penstock()) {
            penstock->openAt(utf8Path);
            return;
        }
    }
    guarded(store, side, trap, [&](FieldStore& undo) {
        if (mayDropCase(undo, side, document)) openInto(undo, side, document, utf8Path);
    });
}

bool runClose(WindowStore& store, WindowSide& side, CaseDocument& document, const StoreTrap& trap) {
    bool close = false;
    guarded(store, side, trap,
            [&](FieldStore& undo) { close = mayDropCase(undo, side, document); });
    return close;
}

}  // namespace tavorin
