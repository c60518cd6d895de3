#include "window/file_menu.h"

#include "engine/record.h"
#include "sheet/case_file.h"
#include "sheet/sheet.h"

namespace tavorin {
namespace {

constexpr FileMenuEntry kEntries[] = {
    {"openCase", "打开…", FileCommand::Open, false, "算例文件 (*.json);;所有文件 (*)", ".json"},
    {"saveCase", "保存…", FileCommand::Save, false, "算例文件 (*.json)", ".json"},
    {"exportSheet", "导出计算书…", FileCommand::ExportSheet, false, "计算书 (*.html)", ".html"},
    {"exportPdf", "导出 PDF…", FileCommand::ExportPdf, true, "PDF 文件 (*.pdf)", ".pdf"},
    {"printSheet", "打印…", FileCommand::Print, true, "", ""},
};

}  // namespace

std::span<const FileMenuEntry> fileMenu() { return kEntries; }

FileOutcome openCase(FieldStore& store, const std::string& utf8Path) {
    const CaseParse parsed = openCaseFile(utf8Path);
    if (!parsed.error.empty()) return {parsed.error, std::nullopt};
    if (!applyCase(store, parsed.texts)) return {"无法把算例写入窗口。", std::nullopt};
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Output) store.replaceText(f.name, "");
        if (f.role == FieldRole::Caption) store.setCaption(f.name, "");
    }
    return {};
}

FileOutcome saveCase(FieldStore& store, const std::string& utf8Path) {
    const CaseWrite written = caseJson(store);
    if (!written.error.empty()) return {written.error, std::nullopt};
    return {writeFileReplacing(utf8Path, written.json), std::nullopt};
}

std::string calculateSheet(FieldStore& store, std::optional<Fault>& fault) {
    CalcRecord record;
    fault = calculate(store, record);
    return sheetDocument(record);
}

FileOutcome exportSheet(FieldStore& store, const std::string& utf8Path) {
    FileOutcome outcome;
    const std::string document = calculateSheet(store, outcome.fault);
    outcome.error = writeFileReplacing(utf8Path, document);
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
