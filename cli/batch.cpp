#include "cli/batch.h"

#include <istream>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "engine/calculate.h"
#include "engine/fields.h"

namespace tavorin {
namespace {

using Json = nlohmann::ordered_json;

// The store for one line, or the reason the line is rejected.
std::optional<std::string> loadLine(const std::string& line, MemoryStore& store) {
    if (line.find_first_not_of(" \t") == std::string::npos) {
        return "empty line; expected a JSON object of control names to texts";
    }
    Json object;
    try {
        object = Json::parse(line);
    } catch (const Json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 1, column 2: …" → "column 2: …"
        const std::string what = e.what();
        const auto column = what.find("column");
        return "not valid JSON, " + (column == std::string::npos ? what : what.substr(column));
    }
    if (!object.is_object()) return "expected a JSON object of control names to texts";
    for (const auto& [name, value] : object.items()) {
        const FieldSpec* field = findField(name);
        if (field == nullptr || field->role == FieldRole::Caption) {
            return "unknown control \"" + name +
                   "\" (only the input boxes, kj, k and the output boxes can be given)";
        }
        if (!value.is_string()) return "the value of \"" + name + "\" is not a string";
        store.replaceText(name, value.get_ref<const std::string&>());
    }
    return std::nullopt;
}

void writeLine(std::ostream& out, const Json& json) {
    out << json.dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
}

}  // namespace

int runBatch(std::istream& in, std::ostream& out) {
    int status = 0;
    std::string line;
    for (long number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        MemoryStore store;
        if (const auto error = loadLine(line, store)) {
            writeLine(out, Json{{"error", "line " + std::to_string(number) + ": " + *error}});
            status = 1;
            continue;
        }
        const std::optional<Fault> fault = calculate(store);
        // The names are unique: append in table order without ordered_map's key search.
        Json fields = Json::object();
        auto& object = fields.get_ref<Json::object_t&>();
        object.reserve(fieldTable().size());
        for (const FieldSpec& f : fieldTable()) object.emplace_back(f.name, store.text(f.name));
        Json result{{"fields", std::move(fields)}, {"fault", nullptr}};
        if (fault) {
            result["fault"] = Json{{"kind", faultKindId(fault->kind)}, {"message", fault->message}};
        }
        writeLine(out, result);
    }
    return status;
}

std::string batchUsage() {
    std::string names;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Caption) continue;
        if (!names.empty()) names += ' ';
        names += f.name;
    }
    return R"(Usage: tavorin-calc [--help] [--sheet] < cases.jsonl > results.jsonl

Runs the Tavorin calculate command (the "计  算" button of the window) once for each
line of standard input and writes one line of results to standard output.

Each input line is a JSON object that maps control names to texts, as if typed into
the window: {"DA1t": "35.30", "kj": "支墩"}. Controls not named keep the text they
have when the window opens; {} is the default case. Output boxes may be given too:
they then show that text before the calculation, as after an earlier run. Names:
)" + names +
           R"(

Each output line holds the text of every box and of the result caption Label25 after
the command, in the order above, and the fault that stopped the command, if any:
  {"fields": {"Text1": "Text1", ..., "Label25": "计算结果:"}, "fault": null}
  {"fields": {...}, "fault": {"kind": "division-by-zero", "message": "除数为零：…"}}
Fault kinds: type-mismatch, division-by-zero, overflow, invalid-argument. A command
that stops at a fault keeps the boxes written before it; the later ones, and Label25,
keep what they showed.

A line that is not a JSON object of strings, or that names an unknown control, gets
  {"error": "line N: ..."}
and the tool goes on with the next line. The decimal separator is ".". Texts are
UTF-8 and written unescaped.

With --sheet, the tool writes the calculation sheet (计算书) instead: one HTML
document (UTF-8, A4 print layout; open it in a browser or a word processor, print it
or save it as PDF) with one section per input line, each on a new page: the inputs
as typed and as read, every quantity with its formula, the formula with the values
put in and the result (exactly the text of its box), the sizing grid and the notes.
A line stopped by a fault gets its section up to the fault, with the fault's message;
a line that is not a case gets a section that says why (in Chinese). For example:
  tavorin-calc --sheet < penstock.jsonl > penstock.html
Case files saved by the window ("文件" → "保存…") are such lines: cat them together.

Exit status: 0 when every line was calculated (faults included), 1 when any line was
rejected, 2 for a wrong command line.
)";
}

}  // namespace tavorin
