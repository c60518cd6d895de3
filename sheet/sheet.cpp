#include "sheet/sheet.h"

#include <array>

#include "engine/fields.h"
#include "sheet/sheet_html.h"

namespace tavorin {

std::string cell(std::string_view tag, std::string_view content, std::string_view attributes) {
    std::string out = "<";
    out += tag;
    if (!attributes.empty()) {
        out += ' ';
        out += attributes;
    }
    out += '>';
    out += content;
    out += "</";
    out += tag;
    out += '>';
    return out;
}

std::string boxAttribute(std::string_view box) {
    return "class=\"r\" data-box=\"" + escapeHtml(box) + "\"";
}

std::string boxTextHtml(const std::string& text) {
    return "<span class=\"v\">" + escapeHtml(text) + "</span>";
}

namespace {

// Print layout: A4, Chinese serif faces first, thin rules, header rows repeated on every
// page, no table row split across pages; every block after the first starts a new page.
constexpr std::string_view kStyle = R"(@page { size: A4; margin: 16mm 14mm 16mm 16mm; }
body { font-family: "SimSun", "宋体", "NSimSun", "AR PL UMing CN", "Noto Serif CJK SC", "Source Han Serif SC", serif; font-size: 10pt; color: #000; background: #fff; margin: 0; }
.block { margin: 0 auto; padding: 0 0.6mm; }
.block.next { page-break-before: always; break-before: page; }
h1 { font-size: 18pt; font-weight: bold; text-align: center; letter-spacing: 0.4em; margin: 0 0 3mm 0; }
h2 { font-size: 12.5pt; font-weight: bold; margin: 5mm 0 2mm 0; page-break-after: avoid; break-after: avoid; }
h3 { font-size: 10.5pt; font-weight: bold; margin: 3mm 0 1.5mm 0; page-break-after: avoid; break-after: avoid; }
p.line { font-size: 9pt; margin: 0 0 2mm 0; text-align: center; }
table { border-collapse: collapse; width: 100%; table-layout: fixed; margin: 0 0 2mm 0; }
th, td { border: 0.6pt solid #000; padding: 1.2mm 1.5mm; vertical-align: top; text-align: left; overflow-wrap: anywhere; word-wrap: break-word; }
th { font-weight: bold; background: #eee; }
thead { display: table-header-group; }
tr { page-break-inside: avoid; break-inside: avoid; }
table.title td { border: none; padding: 1.5mm 1mm; font-size: 10.5pt; }
table.title td.fill { border-bottom: 0.6pt solid #000; }
.f { font-family: "Times New Roman", "Liberation Serif", "DejaVu Serif Condensed", "DejaVu Serif", "SimSun", "AR PL UMing CN", serif; }
.s { font-family: "Times New Roman", "Liberation Serif", "DejaVu Serif Condensed", "DejaVu Serif", "SimSun", "AR PL UMing CN", serif; font-size: 9pt; }
.v { white-space: pre-wrap; overflow-wrap: anywhere; font-family: "Times New Roman", "Liberation Serif", "DejaVu Serif Condensed", "DejaVu Serif", serif; }
td.r { font-size: 9pt; }
.note { font-size: 8.5pt; font-weight: normal; color: #333; display: block; }
.fault { border: 1.2pt solid #b00; color: #900; padding: 2mm 3mm; margin: 3mm 0; font-weight: bold; }
ol.notes { margin: 0; padding-left: 6mm; }
ol.notes li { margin: 0 0 1mm 0; }
i { font-style: italic; }
sub { font-size: 70%; }
@media screen { body { padding: 10mm 6mm; } .block { max-width: 182mm; } .block.next { margin-top: 14mm; } }
)";

struct GroupHeading {
    RecordGroup group;
    std::string_view title;
};

constexpr std::array<GroupHeading, 7> kCalcGroups = {{
    {RecordGroup::Angles, "角度换算"},
    {RecordGroup::UpperPipe, "镇墩上侧管作用力 a1 … a9"},
    {RecordGroup::LowerPipe, "镇墩下侧管作用力 a1 … a9"},
    {RecordGroup::Sums, "作用力合计"},
    {RecordGroup::Pier, "支墩的上侧管荷载"},
    {RecordGroup::Rise, "温度升高：合力、重量与体积"},
    {RecordGroup::Drop, "温度降低：合力、重量与体积"},
}};

constexpr std::array<GroupHeading, 5> kCheckGroups = {{
    {RecordGroup::CheckBlock, "镇墩重量、重心与扬压力"},
    {RecordGroup::CheckRise, "温度升高（正常工况）"},
    {RecordGroup::CheckDrop, "温度降低（正常工况）"},
    {RecordGroup::CheckRiseSeismic, "温度升高（地震工况）"},
    {RecordGroup::CheckDropSeismic, "温度降低（地震工况）"},
}};

// The length of the letter at the start of `s`: an ASCII letter, or θ and λ, which the
// profile's quantities are named with; 0 for anything else.
std::size_t letterAt(std::string_view s) {
    const char c = s.front();
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return 1;
    if (s.starts_with("θ") || s.starts_with("λ")) return 2;
    return 0;
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string caption(std::string_view box) {
    const FieldSpec* field = findAnyField(box);
    return field == nullptr ? std::string(box) : std::string(field->caption);
}

std::string titleBlock(const CalcRecord& record, std::string_view heading) {
    std::string out = "<h1>计算书</h1>\n";
    out += "<p class=\"line\">镇墩（支墩）作用力及镇墩重量计算";
    if (!heading.empty()) out += "　" + escapeHtml(heading);
    out += "</p>\n";
    out +=
        "<table class=\"title\" width=\"100%\" cellspacing=\"0\"><tbody>\n<tr><td "
        "width=\"14%\">工程名称：</td>"
        "<td class=\"fill\" colspan=\"3\">&#160;</td>"
        "<td width=\"16%\">镇墩(支墩)名：</td><td class=\"fill\" width=\"26%\">" +
        escapeHtml(record.blockName) + "</td></tr>\n";
    out +=
        "<tr><td>计算：</td><td class=\"fill\" width=\"18%\">&#160;</td>"
        "<td width=\"8%\">校核：</td><td class=\"fill\" width=\"18%\">&#160;</td>"
        "<td>日期：</td><td class=\"fill\">&#160;</td></tr>\n</tbody></table>\n";
    return out;
}

// The inputs of a record: a box left blank was not given; the one it stopped at could not
// be read.
std::string inputRows(const CalcRecord& record, std::string_view heading) {
    std::string out(heading);
    out +=
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
        "style=\"border-collapse:collapse\"><thead><tr>"
        "<th width=\"6%\">序号</th><th width=\"34%\">项目</th>"
        "<th width=\"12%\">符号</th><th width=\"18%\">输入文字</th>"
        "<th width=\"18%\">读入数值</th><th width=\"12%\">单位</th>"
        "</tr></thead><tbody>\n";
    int row = 0;
    for (const RecordedInput& in : record.inputs) {
        const char* none = in.box == record.faultAt ? "不能读入" : "未给出";
        std::string value = in.valueText.empty()
                                ? std::string(none)
                                : "<span class=\"v\">" + escapeHtml(in.valueText) + "</span>";
        if (in.strict && !in.valueText.empty()) value += "<span class=\"note\">严格转换</span>";
        out += "<tr>" + cell("td", std::to_string(++row)) +
               cell("td", escapeHtml(caption(in.box))) +
               cell("td", "<span class=\"f\">" + formulaHtml(in.symbol) + "</span>") +
               cell("td", "“" + boxTextHtml(in.text) + "”") + cell("td", value) +
               cell("td", escapeHtml(in.unit.empty() ? std::string("—") : in.unit)) + "</tr>\n";
    }
    for (const RecordedInput& choice : record.choices) {
        out += "<tr>" + cell("td", std::to_string(++row)) +
               cell("td", escapeHtml(caption(choice.box))) +
               cell("td", "<span class=\"f\">" + escapeHtml(choice.box) + "</span>") +
               cell("td", "“" + boxTextHtml(choice.text) + "”", "colspan=\"3\"") + "</tr>\n";
    }
    out += "</tbody></table>\n";
    return out;
}

std::string inputTable(const CalcRecord& record) {
    return inputRows(record, "<h2>一、基本资料</h2>\n");
}

std::string resultCell(const RecordedStep& step) {
    std::string content;
    std::string attributes = "class=\"r\"";
    if (!step.box.empty()) {
        content = boxTextHtml(step.boxText);
        attributes = boxAttribute(step.box);
        if (step.boxText != step.valueText) {
            content += "<span class=\"note\">计算值 " + escapeHtml(step.valueText) +
                       "，显示取至 0.01</span>";
        }
    } else {
        content = boxTextHtml(step.valueText);
    }
    if (step.single) content += "<span class=\"note\">单精度</span>";
    return cell("td", content, attributes);
}

std::string stepRow(const RecordedStep& step) {
    std::string meaning = escapeHtml(step.meaning);
    if (!step.note.empty()) meaning += "<span class=\"note\">" + escapeHtml(step.note) + "</span>";
    return "<tr>" + cell("td", "<span class=\"f\">" + formulaHtml(step.name) + "</span>") +
           cell("td", meaning) +
           cell("td", "<span class=\"f\">" + formulaHtml(step.formula) + "</span>") +
           cell("td", "<span class=\"s\">" + escapeHtml(step.substitution) + "</span>") +
           resultCell(step) + "</tr>\n";
}

// A table of steps for each group that has any, headed "<number>. <title>", numbered on
// from `number`.
template <std::size_t N>
std::string groupTables(const CalcRecord& record, const std::array<GroupHeading, N>& groups,
                        int& number) {
    std::string out;
    for (const GroupHeading& g : groups) {
        std::string table = stepTable(record, g.group);
        if (table.empty()) continue;
        out += "<h3>" + std::to_string(++number) + ". " + escapeHtml(g.title) + "</h3>\n";
        out += table;
    }
    return out;
}

std::string stepTables(const CalcRecord& record) {
    int number = 0;
    std::string out = "<h2>二、计算过程</h2>\n" + groupTables(record, kCalcGroups, number);
    if (record.steps.empty()) out += "<p>未进行计算。</p>\n";
    return out;
}

std::string faultBlock(const CalcRecord& record) {
    if (!record.fault) return {};
    std::string where;
    if (!record.faultAt.empty()) {
        const FieldSpec* field = findAnyField(record.faultAt);
        where = field != nullptr ? "“" + std::string(field->caption) + "”（" + record.faultAt + "）"
                                 : "计算 " + record.faultAt + " 时";
    }
    return "<div class=\"fault\">计算中止" +
           (where.empty() ? std::string() : "于" + escapeHtml(where)) + "。<br/>" +
           escapeHtml(record.fault->message) +
           "<br/>以上为中止前已完成的计算；其后的各项未算出。</div>\n";
}

std::string resultGrid(const CalcRecord& record) {
    std::string out = "<h2>三、计算结果</h2>\n";
    out +=
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
        "style=\"border-collapse:collapse\"><thead><tr>"
        "<th width=\"16%\">组合方案</th><th width=\"21%\">水平作用力(t)</th>"
        "<th width=\"21%\">垂直作用力(t)</th><th width=\"21%\">镇墩重量(t)</th>"
        "<th width=\"21%\">镇墩体积(m3)</th></tr></thead><tbody>\n";
    const std::array<std::pair<std::string_view, std::array<std::string_view, 4>>, 2> rows = {{
        {"温度升高", {"x1", "y1", "w1", "v1"}},
        {"温度降低", {"x2", "y2", "w2", "v2"}},
    }};
    for (const auto& [name, boxes] : rows) {
        out += "<tr>" + cell("td", std::string(name));
        for (std::string_view box : boxes) {
            const std::string* text = record.writtenText(box);
            out += text != nullptr ? cell("td", boxTextHtml(*text), boxAttribute(box))
                                   : cell("td", "—（未算出）");
        }
        out += "</tr>\n";
    }
    out += "</tbody></table>\n";
    return out;
}

constexpr std::string_view kNotes = R"(<h2>四、说明</h2>
<ol class="notes">
<li>常数：π = 3.1416（计算中一律取此值）；钢材容重 7.85 t/m³；混凝土容重 2.4 t/m³；水容重 1 t/m³；抗滑安全系数 <i>K</i> = 1.5；重力加速度 <i>g</i> = 9.81 m/s²。</li>
<li>力以 t（吨力）计，长度、水头以 m 计。管夹角以“度.分”输入：“35.30”即 35°30′；计算中的角度以弧度计。</li>
<li>温度降低时（镇墩）的水平作用力取上侧投影与按水平转角转过的下侧投影之和的长度，与温度升高时同理；无转角时等于 |<i>a</i><sub>2x</sub> + <i>a</i><sub>4x</sub>|，恒不为负。</li>
<li>负的“度.分”角度按其绝对值拆分为度和分，再取负号：“-10.30”为 −(10° + 30′) = −10.5°。</li>
<li>结果栏为窗口中对应框的文字：双精度 15 位有效数字，单精度 7 位，管自重 a1 取至 0.01。重量由显示的作用力读回计算，体积由显示的重量读回计算。</li>
</ol>
)";

constexpr std::string_view kCheckMethod =
    "<p>"
    "将镇墩视为置于平面基底上的刚性混凝土块，在各工况水平作用力所在的竖直平面内验算抗滑、抗倾覆、"
    "偏心和地基应力：管道作用力作用于两管轴线的交点，高出基底 <i>hp</i>，该点与镇墩重心均位于基底"
    "中心的正上方，扬压力在基底上均匀分布。地震工况另计镇墩自身的惯性力 <i>Kh</i> × <i>G</i>，"
    "作用于重心，方向与管道水平作用力相同；力以 t、长度以 m、应力以 t/m² 计。</p>\n";

constexpr std::string_view kCheckCriteria =
    "<p>判据：正常工况 <i>Kc</i> ≥ [<i>Kc</i>]，<i>K</i><sub>0</sub> ≥ [<i>K</i><sub>0</sub>]，"
    "<i>e</i> ≤ <i>B</i>/6，σ<sub>max</sub> ≤ [σ]；地震工况 <i>Kc</i> ≥ [<i>Kce</i>]，"
    "<i>K</i><sub>0</sub> ≥ [<i>K</i><sub>0e</sub>]，<i>e</i> ≤ <i>B</i>/4，σ<sub>max</sub> ≤ "
    "η[σ]。“—”表示该量不存在：无水平力时的 <i>Kc</i>、无倾覆力矩时的 "
    "<i>K</i><sub>0</sub>（均为满足），"
    "<i>N</i> ≤ 0 或 <i>e</i> ≥ <i>B</i>/2 时的偏心距与基底应力（为不满足）。未给出 [σ] "
    "时只列基底应力，"
    "不作判断。</p>\n";

constexpr std::array<GroupHeading, 1> kCheckVerdict = {{
    {RecordGroup::CheckVerdict, "结论与最小基底长度"},
}};

std::string checkResults(const CalcRecord& check, int& number) {
    std::string out = "<h3>" + std::to_string(++number) + ". 验算结果</h3>\n";
    out +=
        "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
        "style=\"border-collapse:collapse\"><thead><tr>"
        "<th width=\"13%\">工况</th><th width=\"10%\">N(t)</th><th width=\"10%\">H(t)</th>"
        "<th width=\"9%\">Kc</th><th width=\"9%\">K0</th><th width=\"9%\">e(m)</th>"
        "<th width=\"10%\">σmax(t/m²)</th><th width=\"10%\">σmin(t/m²)</th>"
        "<th width=\"20%\">结论</th></tr></thead><tbody>\n";
    const std::array<std::pair<std::string_view, std::string_view>, 4> rows = {{
        {"温度升高", "1"},
        {"温度降低", "2"},
        {"温度升高（地震）", "1e"},
        {"温度降低（地震）", "2e"},
    }};
    for (const auto& [name, row] : rows) {
        const std::string r(row);
        const std::string* verdict = check.writtenText("jg" + r);
        if (verdict != nullptr && verdict->empty()) continue;  // no seismic rows
        out += "<tr>" + cell("td", std::string(name));
        for (const char* quantity : {"Nj", "Hj", "Kc", "Ko", "ej", "smax", "smin", "jg"}) {
            const std::string box = quantity + r;
            const std::string* text = check.writtenText(box);
            out += text != nullptr ? cell("td", boxTextHtml(*text), boxAttribute(box))
                                   : cell("td", "未算出");
        }
        out += "</tr>\n";
    }
    out += "</tbody></table>\n";
    out += kCheckCriteria;
    return out;
}

std::string checkSection(const CalcRecord& check) {
    std::string out = "<h2>五、稳定验算</h2>\n<h3>1. 计算方法</h3>\n";
    out += kCheckMethod;
    out += inputRows(check, "<h3>2. 验算资料</h3>\n");
    int number = 2;
    out += groupTables(check, kCheckGroups, number);
    out += faultBlock(check);
    out += checkResults(check, number);
    out += groupTables(check, kCheckVerdict, number);
    return out;
}

}  // namespace

std::string stepTable(const CalcRecord& record, RecordGroup group) {
    std::string rows;
    for (const RecordedStep& step : record.steps) {
        if (step.group == group) rows += stepRow(step);
    }
    if (rows.empty()) return {};
    return "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
           "style=\"border-collapse:collapse\"><thead><tr>"
           "<th width=\"7%\">符号</th><th width=\"17%\">含义</th>"
           "<th width=\"26%\">公式</th><th width=\"31%\">代入数值</th>"
           "<th width=\"19%\">结果</th></tr></thead><tbody>\n" +
           rows + "</tbody></table>\n";
}

std::string escapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML; a box may hold a tab.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
                    out += "\xEF\xBF\xBD";
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string formulaHtml(std::string_view formula) {
    std::string out;
    size_t i = 0;
    const auto letter = [&](size_t at) { return letterAt(formula.substr(at)); };
    while (i < formula.size()) {
        if (letter(i) == 0) {
            const size_t start = i;
            while (i < formula.size() && letter(i) == 0) ++i;
            out += escapeHtml(formula.substr(start, i - start));
            continue;
        }
        const size_t start = i;
        while (i < formula.size() && letter(i) != 0) i += letter(i);
        const size_t letters = i;
        while (i < formula.size() && (letter(i) != 0 || isDigit(formula[i]))) {
            i += letter(i) != 0 ? letter(i) : 1;
        }
        const std::string_view name = formula.substr(start, letters - start);
        const std::string_view index = formula.substr(letters, i - letters);
        if (index.empty() && (name == "sin" || name == "cos" || name == "atan")) {
            out += name;
            continue;
        }
        out += "<i>" + std::string(name) + "</i>";
        if (!index.empty()) out += "<sub>" + std::string(index) + "</sub>";
    }
    return out;
}

std::string sheetBegin(std::string_view title, std::string_view extraStyle) {
    std::string out =
        "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"zh-CN\">\n<head>\n"
        "<meta charset=\"utf-8\"/>\n<title>";
    out += escapeHtml(title);
    out += "</title>\n<style>\n";
    out += kStyle;
    out += extraStyle;
    out += "</style>\n</head>\n<body>\n";
    return out;
}

std::string sheetSection(const CalcRecord& record, std::string_view heading, bool next,
                         const CalcRecord* check, const CalcRecord* derivation) {
    std::string out = next ? "<div class=\"block next\">\n" : "<div class=\"block\">\n";
    out += titleBlock(record, heading);
    if (derivation != nullptr) out += derivationSection(*derivation);
    out += inputTable(record);
    out += stepTables(record);
    out += faultBlock(record);
    out += resultGrid(record);
    out += kNotes;
    if (check != nullptr) out += checkSection(*check);
    out += "</div>\n";
    return out;
}

std::string sheetRejected(std::string_view heading, std::string_view reason, bool next) {
    std::string out = next ? "<div class=\"block next\">\n" : "<div class=\"block\">\n";
    out += "<h1>计算书</h1>\n<p class=\"line\">" + escapeHtml(heading) + "</p>\n";
    out += "<div class=\"fault\">此行未计算：" + escapeHtml(reason) + "</div>\n</div>\n";
    return out;
}

std::string sheetEnd() { return "</body>\n</html>\n"; }

std::string sheetDocument(const CalcRecord& record, const CalcRecord* check) {
    const std::string title =
        "计算书 " + (record.blockName.empty() ? std::string("镇墩(支墩)") : record.blockName);
    return sheetBegin(title) + sheetSection(record, {}, false, check) + sheetEnd();
}

}  // namespace tavorin
