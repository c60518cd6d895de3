#include "window/command.h"

#include <optional>

#include "engine/calculate.h"
#include "window/version.h"

namespace tavorin {

std::string WindowSide::exportPdf(const std::string&, const std::string&) {
    return "这个窗口不能导出 PDF。";
}

void WindowSide::print(const std::string&) { report("这个窗口不能打印。"); }

namespace {

std::optional<Fault> run(FieldStore& store, Command command) {
    switch (command) {
        case Command::Calculate:
            // The windows write "." as the decimal separator, as the batch tool does.
            return calculate(store, ".");
        case Command::Version:
            return showVersion(store);
        case Command::None:
            break;
    }
    return std::nullopt;
}

}  // namespace

void runCommand(FieldStore& store, WindowSide& side, Command command) {
    // The window stays as the command left it; the user reads why it stopped.
    if (const std::optional<Fault> fault = run(store, command)) side.report(fault->message);
}

void runEntry(FieldStore& store, WindowSide& side, const FileMenuEntry& entry) {
    if (entry.command == FileCommand::Print) {
        std::optional<Fault> fault;
        const std::string document = calculateSheet(store, fault);
        if (fault) side.report(fault->message);
        side.print(document);
        return;
    }
    const std::string path = side.choosePath(entry, suggestedName(store, entry.suffix));
    if (path.empty()) return;
    FileOutcome outcome;
    switch (entry.command) {
        case FileCommand::Open:
            outcome = openCase(store, path);
            break;
        case FileCommand::Save:
            outcome = saveCase(store, path);
            break;
        case FileCommand::ExportSheet:
            outcome = exportSheet(store, path);
            break;
        case FileCommand::ExportPdf: {
            const std::string document = calculateSheet(store, outcome.fault);
            outcome.error = side.exportPdf(document, path);
            break;
        }
        case FileCommand::Print:
            break;
    }
    // A calculation that stopped is reported as the button reports it.
    if (outcome.fault) side.report(outcome.fault->message);
    if (!outcome.error.empty()) side.report(outcome.error);
}

}  // namespace tavorin
