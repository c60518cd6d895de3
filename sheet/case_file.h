// Case files: one JSON object of the 22 input boxes and the two choice lists, on one line,
// the same object that tavorin-calc reads on a line, so saved cases can be put together
// into a batch (cat *.json > penstock.jsonl):
//   {"Text1":"3号镇墩","kj":"镇墩","k":"上侧","HSt":"152",…,"spjText":"0"}
// After them come the inputs of the stability check that differ from their default texts
// (…,"spjText":"0","Bjt":"6","Ljt":"5"}): a case without the check keeps the bytes it had
// before the check existed, and such a file opens as before, with every check input at its
// default text.
//
// Every function takes and gives UTF-8 and reports a failure as a value with a Chinese
// message naming the problem; none throws.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/fields.h"
#include "sheet/case_reader.h"

namespace tavorin {

// The texts a case names, in the order given.
using CaseTexts = std::vector<std::pair<std::string, std::string>>;

struct CaseParse {
    CaseTexts texts;
    std::string error;  // empty when the text is a valid case
};

// Reads a case with readCase (see there for the errors), into `texts`; out of memory is
// "内存不足，无法读取。".
CaseParse parseCase(std::string_view json, CaseScope scope = CaseScope::Inputs,
                    CasePlace place = CasePlace::File);

// The case in `store`: every input box and choice list, in the window's table order, then
// the check's inputs that are not at their default text, on one line ending in a newline.
// A store holds all of the check's boxes or none (a window without the check's dialog);
// which one is told by its first input, Bjt. Empty with `error` set when the store cannot
// give a text.
struct CaseWrite {
    std::string json;
    std::string error;
};
CaseWrite caseJson(FieldStore& store);

// Puts a parsed case into `store`: every input box and choice list, the check's inputs
// included when the store holds them, gets its text from the case, or its default text when
// the case does not name it; output boxes named by a tavorin-calc line get their texts too.
// Returns false if the store refused a text (also a check box named in the case, on a store
// without the check's boxes).
bool applyCase(FieldStore& store, const CaseTexts& texts);

// Reads a whole file (at most 1 MiB for a case). `error` names the file and the reason;
// `tooLarge` is the reason for a file over the limit.
struct FileRead {
    std::string bytes;
    std::string error;
};
FileRead readFile(const std::string& utf8Path, size_t limit = 1 << 20,
                  std::string_view tooLarge = "文件过大，不是算例文件。");

// Writes `bytes` to a temporary file beside `utf8Path` and renames it over `utf8Path`, so
// a failed save leaves the old file as it was. Returns the Chinese error, or empty.
std::string writeFileReplacing(const std::string& utf8Path, std::string_view bytes);

// Opens a case file: readFile, then parseCase. `error` is ready to show.
CaseParse openCaseFile(const std::string& utf8Path);

}  // namespace tavorin
