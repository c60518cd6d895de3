// The menus of the menu bar: their entries as rows of one table, each under the menu-bar row
// of the control table it opens from (the entries of "文件" under "file"), and what the
// toolkit-free ones do on the window's field store. A window supplies the dialogs (a path
// in, UTF-8) and shows the messages (window/command.h runs each entry); everything else is
// here, so both windows behave alike. A menu-bar row with entries runs no command itself.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "engine/fault.h"
#include "engine/fields.h"

namespace tavorin {

enum class FileCommand {
    New,          // 新建: the default case, without a file, as in a window just opened
    Open,         // 打开…: a case file into the input boxes
    Save,         // 保存: the input boxes into the case's file, asking for one for a new case
    SaveAs,       // 另存为…: the input boxes into a case file chosen each time
    ExportSheet,  // 导出计算书…: calculate and write the calculation sheet (.html)
    ExportPdf,    // 导出 PDF…: the same document as PDF (the Qt window's print support)
    Print,        // 打印…: the same document on a printer (Qt; on Windows the browser prints)
    CheckDialog,  // 稳定验算…: shows the dialog of the stability check (window/check_dialog.h)
    // The penstock window (window/penstock_window.h): 管线计算… shows it; the others act on
    // its penstock, showing it first.
    PenstockWindow,
    NewPenstock,     // 新建管线
    OpenPenstock,    // 打开管线…
    SavePenstock,    // 保存管线
    SavePenstockAs,  // 管线另存为…
};

struct FileMenuEntry {
    std::string_view parent;   // the menu-bar row of the control table it opens under
    std::string_view name;     // the action's objectName
    std::string_view caption;  // as shown
    FileCommand command;
    bool needsPdfWriter;      // only where the toolkit writes PDF (the Qt window)
    std::string_view filter;  // the file dialog's filter, or empty
    std::string_view suffix;  // added to a chosen name without one
    std::string_view keys;    // the shortcut as Qt writes it portably ("Ctrl+Shift+S"), or empty
};

// Whether the entry's dialog asks for an existing file to open (打开…, 打开管线…).
bool opensFile(const FileMenuEntry& entry);

// Whether the entry acts on the penstock window.
bool forPenstock(const FileMenuEntry& entry);

// A shortcut of the menu table: Ctrl, with Shift when `shift`, and a capital letter.
struct KeyChord {
    bool shift = false;
    char letter = 0;
    bool operator==(const KeyChord&) const = default;
};

// The chord of `keys` ("Ctrl+O", "Ctrl+Shift+S"); nullopt for empty or any other text.
std::optional<KeyChord> keyChord(std::string_view keys);

// Case files are saved as .tavorin; .json files (the batch tool's lines, older cases) open
// the same way.
inline constexpr std::string_view kCaseSuffix = ".tavorin";

// The case file the window's boxes belong to: the one last opened or saved, empty for a
// new case. 保存 writes to it without asking.
struct CaseDocument {
    std::string path;  // UTF-8
    // The case (caseJson) when the window opened, or a case was last opened, saved or made
    // new: the boxes hold unsaved changes while theirs differs.
    std::string unchanged;
};

// Takes the store's case as the document's unchanged one: when the window opens, and after
// a case is opened, saved or made new.
void markUnchanged(CaseDocument& document, FieldStore& store);

// Whether the store's case (the input boxes, choice lists and the check's inputs, as 保存
// would write them) differs from the document's unchanged one. A text typed and typed back
// is no change, and neither is a calculation, which writes only result boxes. A store that
// cannot give its case counts as changed.
bool caseChanged(const CaseDocument& document, FieldStore& store);

// What the question about unsaved changes calls the case: its file's name
// ("3号镇墩.tavorin"), or for a new case the name the save dialog offers, without its
// suffix ("3号镇墩"; "算例" when the block has no name).
std::string caseName(const CaseDocument& document, FieldStore& store);

// Every entry, grouped by parent and in menu order: under "file" 新建 (Ctrl+N), 打开…
// (Ctrl+O), 保存 (Ctrl+S), 另存为… (Ctrl+Shift+S), 导出计算书… (Ctrl+E), 导出 PDF…, 打印…
// (Ctrl+P); under "check" 稳定验算….
std::span<const FileMenuEntry> fileMenu();

// The entries under the menu-bar row `parent`, in menu order; empty for a row that opens no
// menu.
std::span<const FileMenuEntry> menuEntries(std::string_view parent);

// The title of the entry's file dialog: its caption without the "…".
std::string dialogTitle(const FileMenuEntry& entry);

// What a file command leaves for the window to show.
struct FileOutcome {
    std::string error;           // Chinese; non-empty when nothing was done
    std::optional<Fault> fault;  // the calculation stopped (the sheet holds it up to there)
    std::string done;            // a file was written: the brief notice that says so
};

// The last part of a path, after its last "/" or "\\".
std::string_view fileNameOf(std::string_view utf8Path);

// Opens a case file: on success every input box and choice list gets the case's text (or
// its default), every output box is emptied and Label25 cleared, as in a window just
// opened on that case; the check's results are emptied too. On any error nothing in the
// store changes.
FileOutcome openCase(FieldStore& store, const std::string& utf8Path);

// 新建: every input box, choice list and check input gets its default text, every output
// box (the check's too) is emptied and Label25 cleared, as in a window just opened.
FileOutcome newCase(FieldStore& store);

// Saves the input boxes and choice lists as a case file (temporary file, then rename);
// `done` is "已保存到“3号镇墩.tavorin”。".
FileOutcome saveCase(FieldStore& store, const std::string& utf8Path);

// Runs the calculate command on the store, as the button does, with a record, and returns
// the sheet's HTML; `fault` is set when the command stopped. When any input box of the
// stability check holds other than its default text, the check runs after a calculation
// without a fault and the sheet holds its section; `fault` is then the check's, if any.
std::string calculateSheet(FieldStore& store, std::optional<Fault>& fault);

// calculateSheet, then writes the document (temporary file, then rename); `done` is
// "计算书已导出到“3号镇墩.html”。", also when the calculation stopped.
FileOutcome exportSheet(FieldStore& store, const std::string& utf8Path);

// The notice of a sheet written to `utf8Path` (HTML or PDF).
std::string exportedNotice(std::string_view utf8Path);

// The name to offer in a save dialog: the block's name, or "算例".
std::string suggestedName(FieldStore& store, std::string_view suffix);

}  // namespace tavorin
