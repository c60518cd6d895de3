// The calculation sheet (计算书): one self-contained Chinese HTML document (UTF-8, inline
// style, A4 print layout) written from calculation records. It is also well-formed XML,
// so that any browser, a word processor or an XML parser reads it.
//
// For each block: a title block with blanks to fill by hand, the inputs as typed and as
// read, every step of the record with its formula, the formula with the values put in and
// its result, the sizing grid, and the notes. A result that a box shows is the text of
// that box, exactly; its cell carries the box's name (data-box="x1").
#pragma once

#include <string>
#include <string_view>

#include "engine/record.h"

namespace tavorin {

// The parts of a document of many sections; join them in this order:
//   sheetBegin(), then sheetSection() or sheetRejected() for each block, then sheetEnd().
// `extraStyle` adds rules to the document's style sheet.
std::string sheetBegin(std::string_view title, std::string_view extraStyle = {});
// One block. `heading` names it in a document of many blocks ("第 3 行"), or is empty;
// `next` starts it on a new page (every block after the first). `check`, when given, is the
// record of the stability check (check.h) run after the calculation: its section
// "五、稳定验算" follows the notes. `derivation`, when given, is the record of the block's
// inputs derived from a penstock's profile (penstock.h), shown before the inputs.
std::string sheetSection(const CalcRecord& record, std::string_view heading, bool next,
                         const CalcRecord* check = nullptr, const CalcRecord* derivation = nullptr);
// A block that could not be calculated, with the reason (Chinese).
std::string sheetRejected(std::string_view heading, std::string_view reason, bool next);
std::string sheetEnd();

// The whole document of one block.
std::string sheetDocument(const CalcRecord& record, const CalcRecord* check = nullptr);

// `text` with &, <, >, " escaped for HTML and XML.
std::string escapeHtml(std::string_view text);

// A formula of the record typeset in HTML: names in italics with their indices lowered
// ("a11" → <i>a</i><sub>11</sub>), sin and cos upright.
std::string formulaHtml(std::string_view formula);

}  // namespace tavorin
