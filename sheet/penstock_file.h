// Penstock files (管线文件, .penstock): the profile of a line and its common data as one UTF-8
// JSON object whose every value is a text, as in case files:
//   {"Text1":"管线","Zwt":"1030","Qt":"12",…,"DSt":"","points":[
//   {"X":"0","Z":"1000","D":"2","DD":"0.02"},
//   {"name":"甲","X":"100","Z":"950","D":"2","DD":"0.02"},
//   …
//   ]}
// The line's keys are kLineKeys, a point's kPointKeys (engine/penstock.h); any other key is
// refused with its name. A file is written in that form: the line's keys in their order, every
// one of them, then one point a line with the keys it gives. Reading only takes the JSON apart
// (keys, texts, the shape); whether the texts are numbers is judged by readPenstock.
//
// Every function takes and gives UTF-8 and reports a failure as a value with a Chinese message;
// none throws.
#pragma once

#include <string>
#include <string_view>

#include "engine/penstock.h"

namespace tavorin {

inline constexpr std::string_view kPenstockSuffix = ".penstock";

// The largest penstock file read: 64 MiB.
inline constexpr std::size_t kPenstockFileLimit = std::size_t{64} << 20;

struct PenstockParse {
    PenstockTexts texts;
    std::string error;  // empty when the bytes are a penstock file
};

// Reads `bytes` (a byte-order mark at the start is skipped). Errors of the JSON itself come
// first, with the case reader's messages ("不是有效的 JSON（第 5 个字节处有误，从 "x}" 起）。",
// "数值超出范围（第 9 个字节）。"), then the first problem of a key or a value:
//   "“Z1”不是管线文件的键。"         "第3点“甲”：“Zz”不是点的键。"
//   "“Zwt”的值不是文字（应加引号，如 "1030"）。"   "“points”应为点的数组。"
//   "“points”的第 3 项不是 JSON 对象。"       "不是一个 JSON 对象；应为 {"Zwt": …}。"
// A key given twice takes its later text.
PenstockParse parsePenstock(std::string_view bytes);

// Whether `bytes` hold a penstock rather than a case: a JSON object with "points" or "Zwt" at
// its top (looked at only as far as needed).
bool looksLikePenstock(std::string_view bytes);

// Whether the file at `utf8Path` holds a penstock (looksLikePenstock of its bytes); a file
// that cannot be read is not one, and is left to whoever opens it to say why.
bool isPenstockFile(const std::string& utf8Path);

// The file's text of `texts`, ending in a line feed.
std::string penstockJson(const PenstockTexts& texts);

// readFile (at most kPenstockFileLimit), then parsePenstock; the error names the file.
PenstockParse openPenstockFile(const std::string& utf8Path);

}  // namespace tavorin
