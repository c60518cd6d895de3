// The text of tavorin-calc --help.
#include <string>

#include "cli/batch.h"
#include "engine/fields.h"

namespace tavorin {

std::string batchUsage() {
    std::string names;
    for (const FieldSpec& f : fieldTable()) {
        if (f.role == FieldRole::Caption) continue;
        if (!names.empty()) names += ' ';
        names += f.name;
    }
    return R"(Usage: tavorin-calc [--help] [--version] [--sheet] < cases.jsonl > results.jsonl

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

A line that is not a JSON object of strings, names an unknown control, is longer
than 64 MiB (67108864 bytes before the LF) or cannot be handled in the memory there
is, gets an error line in Chinese: the message the window gives for a case file of the
same bytes (error lines are always in Chinese; messages on standard error are in
English), for example
  {"error": "第 N 行：“HS”不是输入框、选择框或结果框的名称。"}
and the tool goes on with the next line: every input line gets one output line. The
message names the problem: "空行。", "不是 UTF-8 编码的文字（第 12 个字节）。",
"数值超出范围（第 9 个字节）。", "不是有效的 JSON（第 5 个字节处有误，…）。",
"不是一个 JSON 对象；…", "“HSt”的值不是文字（…）。"; bytes are counted from 1. A UTF-8
byte-order mark at the start of the input is skipped; anywhere else it is an error. An
error quotes at most a short excerpt of the line, with control characters, invalid
UTF-8 and bidirectional or invisible formatting characters escaped (\n, \xFF,
\u202E). Lines end with LF or CR LF; a last line without a line end counts. The
decimal separator is ".". Texts are UTF-8; the output escapes only '"', '\' and
control characters.

With --sheet, the tool writes the calculation sheet (计算书) instead: one HTML
document (UTF-8, A4 print layout; open it in a browser or a word processor, print it
or save it as PDF) with one section per input line, each on a new page: the inputs
as typed and as read, every quantity with its formula, the formula with the values
put in and the result (exactly the text of its box), the sizing grid and the notes.
A line stopped by a fault gets its section up to the fault, with the fault's message;
a line that is not a case gets a section that says why (in Chinese). For example:
  tavorin-calc --sheet < penstock.jsonl > penstock.html
Case files saved by the window ("文件" → "保存…") are such lines: cat them together.

Exit status:
  0  every line was calculated (faults of the command included)
  1  at least one line was rejected with an error line
  2  wrong command line
  3  standard input could not be read or standard output not written (a message
     on standard error says which; the output then ends early)
  4  an internal error (a message on standard error)
)";
}

}  // namespace tavorin
