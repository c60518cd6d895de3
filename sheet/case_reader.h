// The one reader of a case: a batch line of tavorin-calc, a line of tavorin-calc --sheet
// and a case file are read here, so the same bytes get the same verdict and the same
// message wherever they come from.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/fields.h"

namespace tavorin {

// Which names a case may hold: a case file holds inputs and choices only (Form1's and the
// stability check's); a line of tavorin-calc may also preset output boxes.
enum class CaseScope { Inputs, InputsAndOutputs };

// Where the bytes come from. A UTF-8 byte-order mark is skipped at the start of a file and
// of the first line of an input, and is an error anywhere else; blank bytes are "空行。" on
// a line and "文件为空。" in a file.
enum class CasePlace { File, FirstLine, Line };

// Receives the members of a case in the order written; a name given twice comes twice,
// and the later text wins.
class CaseSink {
  public:
    virtual ~CaseSink() = default;
    // `text` is the decoded string and may be moved from.
    virtual void member(const FieldSpec& field, std::string& text) = 0;
};

// Reads `bytes` as one JSON object (RFC 8259, strict UTF-8) whose names are boxes of
// `scope` and whose values are strings, without building a document and without recursion.
// Returns the Chinese message naming the problem, ending in "。", or empty for a case:
//   "文件为空。" / "空行。"
//   "不是 UTF-8 编码的文字（第 12 个字节）。"
//   "数值超出范围（第 9 个字节）。"
//   "不是有效的 JSON（第 5 个字节处有误，从 "x}" 起）。"   and "…（在第 7 个字节处意外结束）。"
//   "不是一个 JSON 对象；应为 {"HSt": "152", "kj": "镇墩", …}。"
//   "“HS”不是输入框、选择框或结果框的名称。"
//   "“x1”是结果框；算例文件只含输入框和选择框。"   (and "“Gj”是结果框；…" for the check's)
//   "“HSt”的值不是文字（应加引号，如 "152"）。"
// Bytes are counted from 1 at the start of `bytes`, byte-order mark included. An error of
// the JSON itself comes before any problem with a name or a value. Once a problem is
// found the sink gets nothing more. Throws only std::bad_alloc.
std::string readCase(std::string_view bytes, CaseScope scope, CasePlace place, CaseSink& sink);

// What every JSON text read here is first checked for: blank bytes ("文件为空。" / "空行。"),
// UTF-8, and the byte-order mark of `place`. Returns the message, or empty and sets `offset`
// to where the JSON starts (after a byte-order mark).
std::string checkJsonBytes(std::string_view bytes, CasePlace place, std::size_t& offset);

// The messages of a JSON text that does not parse: at byte `oneBased` of `bytes` (one past the
// end: it ended early), and a number beyond the double range starting there.
std::string jsonSyntaxMessage(std::string_view bytes, std::size_t oneBased);
std::string numberRangeMessage(std::size_t oneBased);

// At most about `limit` bytes from the start of `text`, safe to show: control characters,
// invalid UTF-8, C1 controls, and bidirectional and other invisible formatting characters
// are written as escapes (\n, \x1B, \u202E), '\' and '"' as \\ and \", and "…" follows when
// the text was cut.
std::string excerpt(std::string_view text, std::size_t limit = 32);

}  // namespace tavorin
