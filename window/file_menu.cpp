#include "window/file_menu.h"

#include <algorithm>

#include "engine/check.h"
#include "engine/record.h"
#include "sheet/case_file.h"
#include "sheet/penstock_file.h"
#include "sheet/sheet.h"

namespace tavorin {
namespace {

using C = FileCommand;

constexpr FileMenuEntry kEntries[] = {
    {"file", "newCase", "新建", C::New, false, "", "", "Ctrl+N"},
    {"file", "openCase", "打开…", C::Open, false, "算例文件 (*.tavorin *.json);;所有文件 (*)",
     kCaseSuffix, "Ctrl+O"},
    {"file", "saveCase", "保存", C::Save, false, "算例文件 (*.tavorin)", kCaseSuffix, "Ctrl+S"},
    {"file", "saveCaseAs", "另存为…", C::SaveAs, false, "算例文件 (*.tavorin)", kCaseSuffix,
     "Ctrl+Shift+S"},
    {"file", "exportSheet", "导出计算书…", C::ExportSheet, false, "计算书 (*.html)", ".html",
     "Ctrl+E"},
    {"file", "exportPdf", "导出 PDF…", C::ExportPdf, true, "PDF 文件 (*.pdf)", ".pdf", ""},
    {"file", "printSheet", "打印…", C::Print, false, "", "", "Ctrl+P"},
    {"file", "newPenstock", "新建管线", C::NewPenstock, false, "", "", ""},
    {"file", "openPenstock", "打开管线…", C::OpenPenstock, false,
     "管线文件 (*.penstock *.json);;所有文件 (*)", kPenstockSuffix, ""},
    {"file", "savePenstock", "保存管线", C::SavePenstock, false, "管线文件 (*.penstock)",
     kPenstockSuffix, ""},
    {"file", "savePenstockAs", "管线另存为…", C::SavePenstockAs, false, "管线文件 (*.penstock)",
     kPenstockSuffix, ""},
    {"check", "stabilityCheck", "稳定验算…", C::CheckDialog, false, "", "", ""},
    {"penstock", "penstockWindow", "管线计算…", C::PenstockWindow, false, "", "", "Ctrl+L"},
};

}  // namespace

std::span<const FileMenuEntry> fileMenu() { return kEntries; }

bool opensFile(const FileMenuEntry& entry) {
    return entry.command == C::Open || entry.command == C::OpenPenstock;
}

bool forPenstock(const FileMenuEntry& entry) {
    switch (entry.command) {
        case C::PenstockWindow:
        case C::NewPenstock:
        case C::OpenPenstock:
        case C::SavePenstock:
        case C::SavePenstockAs:
            return true;
        default:
            return false;
    }
}

std::span<const FileMenuEntry> menuEntries(std::string_view parent) {
    const auto under = [parent](const FileMenuEntry& e) { return e.parent == parent; };
    const FileMenuEntry* first = std::find_if(std::begin(kEntries), std::end(kEntries), under);
    const FileMenuEntry* last = std::find_if_not(first, std::end(kEntries), under);
    return {first, last};
}

std::optional<KeyChord> keyChord(std::string_view keys) {
    if (!keys.starts_with("Ctrl+")) return std::nullopt;
    keys.remove_prefix(5);
    KeyChord chord;
    if (keys.starts_with("Shift+")) {
        chord.shift = true;
        keys.remove_prefix(6);
    }
    if (keys.size() != 1 || keys[0] < 'A' || keys[0] > 'Z') return std::nullopt;
    chord.letter = keys[0];
    return chord;
}

std::string_view fileNameOf(std::string_view utf8Path) {
    const size_t slash = utf8Path.find_last_of("/\\");
    return slash == std::string_view::npos ? utf8Path : utf8Path.substr(slash + 1);
}

std::string exportedNotice(std::string_view utf8Path) {
    return "计算书已导出到“" + std::string(fileNameOf(utf8Path)) + "”。";
}

std::string dialogTitle(const FileMenuEntry& entry) {
    std::string title(entry.caption);
    if (const size_t dots = title.find("…"); dots != std::string::npos) title.erase(dots);
    return title;
}

void markUnchanged(CaseDocument& document, FieldStore& store) {
    document.unchanged = caseJson(store).json;
}

bool caseChanged(const CaseDocument& document, FieldStore& store) {
    const CaseWrite now = caseJson(store);
    return !now.error.empty() || now.json != document.unchanged;
}

std::string caseName(const CaseDocument& document, FieldStore& store) {
    if (document.path.empty()) return suggestedName(store, "");
    return std::string(fileNameOf(document.path));
}

namespace {

// Puts the case `texts` into the store (the default text for every input box it does not
// name) and empties every output box and result caption, as in a window just opened.
FileOutcome putCase(FieldStore& store, const CaseTexts& texts) {
    if (!applyCase(store, texts)) return {"无法把算例写入窗口。", std::nullopt, {}};
    for (const auto& table : {fieldTable(), checkFieldTable()}) {
        for (const FieldSpec& f : table) {
            if (f.role == FieldRole::Output) store.replaceText(f.name, "");
            if (f.role == FieldRole::Caption) store.setCaption(f.name, "");
        }
    }
    return {};
}

}  // namespace

FileOutcome newCase(FieldStore& store) { return putCase(store, {}); }

FileOutcome openCase(FieldStore& store, const std::string& utf8Path) {
    const CaseParse parsed = openCaseFile(utf8Path);
    if (!parsed.error.empty()) return {parsed.error, std::nullopt, {}};
    return putCase(store, parsed.texts);
}

FileOutcome saveCase(FieldStore& store, const std::string& utf8Path) {
    const CaseWrite written = caseJson(store);
    if (!written.error.empty()) return {written.error, std::nullopt, {}};
    FileOutcome outcome{writeFileReplacing(utf8Path, written.json), std::nullopt, {}};
    if (outcome.error.empty()) {
        outcome.done = "已保存到“" + std::string(fileNameOf(utf8Path)) + "”。";
    }
    return outcome;
}

namespace {

// Whether the user gave the check anything: an input box of it off its default text (a box
// the store cannot read counts as not given).
bool checkAsked(FieldStore& store) {
    std::string text;
    for (const FieldSpec& f : checkFieldTable()) {
        if (f.role == FieldRole::Input && store.readText(f.name, text) && text != f.defaultText) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::string calculateSheet(FieldStore& store, std::optional<Fault>& fault) {
    CalcRecord record;
    fault = calculate(store, record);
    if (fault || !checkAsked(store)) return sheetDocument(record);
    CalcRecord check;
    fault = checkStability(store, check);
    return sheetDocument(record, &check);
}

FileOutcome exportSheet(FieldStore& store, const std::string& utf8Path) {
    FileOutcome outcome;
    const std::string document = calculateSheet(store, outcome.fault);
    outcome.error = writeFileReplacing(utf8Path, document);
    if (outcome.error.empty()) outcome.done = exportedNotice(utf8Path);
    return outcome;
}

std::string suggestedName(FieldStore& store, std::string_view suffix) {
    std::string name;
    if (!store.readText("Text1", name)) name.clear();
    // Characters that no file system takes in a name.
    for (char& c : name) {
        if (std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos ||
            static_cast<unsigned char>(c) < 0x20) {
            c = '_';
        }
    }
    if (name.find_first_not_of(" ._") == std::string::npos) name = "算例";
    return name + std::string(suffix);
}

}  // namespace tavorin
