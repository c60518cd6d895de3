#include "sheet/penstock_sheet.h"

#include <array>

#include "engine/calculate.h"
#include "engine/check.h"
#include "sheet/profile_drawing.h"
#include "sheet/sheet.h"
#include "sheet/sheet_html.h"

namespace tavorin {
namespace {

constexpr std::string_view kTable =
    "<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
    "style=\"border-collapse:collapse\">";

// The derived boxes in the table of every row's inputs, in two tables that fit a page.
constexpr std::array<std::string_view, 9> kGeometryBoxes = {"DA1t", "DA2t", "L1t", "L2t", "Dt",
                                                            "DDt",  "D1t",  "D2t", "k"};
constexpr std::array<std::string_view, 8> kHydraulicBoxes = {"HSt", "H1t", "H2t",     "Vt",
                                                             "DHt", "DSt", "spjText", "kkt"};
constexpr std::array<std::string_view, 8> kResultBoxes = {"x1", "y1", "w1", "v1",
                                                          "x2", "y2", "w2", "v2"};

std::string headerCell(std::string_view box) {
    return cell("th", escapeHtml(findAnyField(box)->caption) + "<span class=\"note\">" +
                          escapeHtml(box) + "</span>");
}

// What each row gave, for the tables of the whole line: the texts of the boxes they show.
struct RowSummary {
    std::string name;
    bool pier = false;
    bool checked = false;
    std::vector<std::pair<std::string_view, std::string>> texts;
    std::optional<Fault> fault;

    const std::string& text(std::string_view box) const {
        for (const auto& [name, t] : texts) {
            if (name == box) return t;
        }
        static const std::string none;
        return none;
    }
};

std::string rowKind(const RowSummary& row) { return row.pier ? "支墩" : "镇墩"; }

std::string lineData(const Penstock& p) {
    std::string out =
        "<h2>一、管线资料</h2>\n" + std::string(kTable) +
        "<thead><tr><th width=\"8%\">序号</th><th width=\"42%\">项目</th>"
        "<th width=\"14%\">键</th><th width=\"36%\">文件中的文字</th></tr></thead><tbody>\n";
    for (std::size_t k = 0; k < kLineKeys.size(); ++k) {
        const std::string& text = p.texts().line[k];
        const std::string shown = text.empty()
                                      ? "（未给出，取 " +
                                            (lineDefault(k).empty() ? std::string("D + 2δ")
                                                                    : std::string(lineDefault(k))) +
                                            "）"
                                      : "“" + escapeHtml(text) + "”";
        out += "<tr>" + cell("td", std::to_string(k + 1)) +
               cell("td", escapeHtml(kLineCaptions[k])) + cell("td", escapeHtml(kLineKeys[k])) +
               cell("td", shown) + "</tr>\n";
    }
    out +=
        "</tbody></table>\n<h3>纵剖面各点</h3>\n" + std::string(kTable) + "<thead><tr><th>点</th>";
    for (std::size_t k = 0; k < PointKey::Bjt; ++k) out += cell("th", escapeHtml(pointCaption(k)));
    out += "<th>稳定验算</th></tr></thead><tbody>\n";
    for (std::size_t i = 0; i < p.points().size(); ++i) {
        const PenstockTexts::Point& pt = p.texts().points[i];
        out += "<tr>" + cell("td", std::to_string(i)) + cell("td", escapeHtml(p.pointName(i)));
        for (std::size_t k = 1; k < PointKey::Bjt; ++k) {
            out += cell("td", "<span class=\"v\">" + escapeHtml(pt[k]) + "</span>");
        }
        out += cell("td", pt[PointKey::Bjt].empty() ? "—" : "验算") + "</tr>\n";
    }
    return out + "</tbody></table>\n";
}

template <std::size_t N>
std::string rowTable(const std::vector<RowSummary>& rows,
                     const std::array<std::string_view, N>& boxes, bool verdicts) {
    // Small type, so that a result's 15 digits stand on one line of their cell.
    std::string out =
        "<table class=\"rows\" width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
        "style=\"border-collapse:collapse\"><thead><tr><th>名称</th>";
    for (const std::string_view box : boxes) out += headerCell(box);
    if (verdicts) out += "<th>结论</th><th>Bmin(米)</th>";
    out += "</tr></thead><tbody>\n";
    for (const RowSummary& row : rows) {
        out += "<tr>" + cell("td", escapeHtml(row.name) + "<span class=\"note\">" + rowKind(row) +
                                       "</span>");
        for (const std::string_view box : boxes) {
            out += cell("td", boxTextHtml(row.text(box)), boxAttribute(box));
        }
        if (verdicts) {
            std::string verdict;
            if (row.fault) {
                verdict = "<span class=\"note\">" + escapeHtml(row.fault->message) + "</span>";
            } else if (row.checked) {
                verdict = boxTextHtml(row.text("jg"));
            } else {
                verdict = "未验算";
            }
            out += cell("td", verdict) +
                   cell("td", row.checked ? boxTextHtml(row.text("Bmin")) : std::string("—"));
        }
        out += "</tr>\n";
    }
    return out + "</tbody></table>\n";
}

constexpr std::string_view kMethod = R"(<h2>五、说明</h2>
<ol class="notes">
<li>纵剖面各点自进口（第 0 点）至阀门编号，除两端外每点设一镇墩；给出支墩间距 <i>Lz</i> 的管段另列一行支墩。</li>
<li>管段 <i>p</i>→<i>q</i>：Δ<i>X</i> = <i>X<sub>q</sub></i> − <i>X<sub>p</sub></i>，Δ<i>Z</i> = <i>Z<sub>p</sub></i> − <i>Z<sub>q</sub></i>，<i>S</i> = √(Δ<i>X</i>² + Δ<i>Z</i>²)，θ = atan(Δ<i>Z</i> ÷ Δ<i>X</i>) × 180 ÷ π（π = 3.1416，使镇墩计算换回弧度时仍为 atan(Δ<i>Z</i> ÷ Δ<i>X</i>)）；管夹角按“度.分”写出：⌊θ⌋ + (θ − ⌊θ⌋) × 60 ÷ 100，负角按绝对值拆分后取负号。</li>
<li>水头 = (<i>Zw</i> − <i>z</i>) + 水锤；水锤“线性”分布时为 <i>dH</i> × <i>s</i> ÷ <i>Stot</i>（<i>s</i> 为距进口的斜距），“均匀”时为 <i>dH</i>。</li>
<li>上侧管长 <i>L</i><sub>1</sub> = 上侧管段斜长 − 上侧伸缩节距离，下侧管长 <i>L</i><sub>2</sub> = 本点伸缩节距离；流速 <i>V</i> = 4<i>Q</i> ÷ (π<i>D</i>²)；水头摩擦损失按达西公式 λ<i>L</i><sub>1</sub> ÷ <i>D</i> × <i>V</i>² ÷ (2 × 9.81) 计上侧管段。</li>
<li>推求的数值以 15 位有效数字写入各输入框，各行再按单个镇墩（支墩）的方法计算；每行的算例单独保存后计算，结果相同。</li>
</ol>
)";

// The captions of the profile's numbers a derivation records.
std::string inputCaption(const RecordedInput& in) {
    if (const auto key = lineKeyIndex(in.box)) return std::string(kLineCaptions[*key]);
    if (const auto key = pointKeyIndex(in.box)) return std::string(pointCaption(*key));
    if (in.symbol == "Stot") return "管线总斜长";
    return "点距进口的斜距";
}

}  // namespace

std::string derivationSection(const CalcRecord& derivation) {
    std::string out = "<h2>由管线纵剖面推求的输入</h2>\n" + std::string(kTable) +
                      "<thead><tr><th width=\"6%\">序号</th><th width=\"40%\">项目</th>"
                      "<th width=\"14%\">符号</th><th width=\"20%\">文件中的文字</th>"
                      "<th width=\"20%\">数值</th></tr></thead><tbody>\n";
    int number = 0;
    for (const RecordedInput& in : derivation.inputs) {
        out += "<tr>" + cell("td", std::to_string(++number)) +
               cell("td", escapeHtml(inputCaption(in))) +
               cell("td", "<span class=\"f\">" + formulaHtml(in.symbol) + "</span>") +
               cell("td", in.box.empty()    ? std::string("—")
                          : in.text.empty() ? std::string("（未给出，取默认值）")
                                            : "“" + boxTextHtml(in.text) + "”") +
               cell("td", boxTextHtml(in.valueText)) + "</tr>\n";
    }
    out += "</tbody></table>\n" + stepTable(derivation, RecordGroup::Profile);
    if (derivation.fault) {
        out += "<div class=\"fault\">推求中止。<br/>" + escapeHtml(derivation.fault->message) +
               "<br/>此行未计算。</div>\n";
    }
    return out;
}

void writePenstockSheet(const Penstock& penstock,
                        const std::function<void(std::string_view)>& write) {
    const std::string& lineName = penstock.texts().line[LineKey::Text1];
    const std::string name = lineName.empty() ? std::string(lineDefault(LineKey::Text1)) : lineName;
    write(sheetBegin("计算书 " + name,
                     "table.rows th, table.rows td { font-size: 7pt; padding: 0.8mm 0.8mm; }\n"));

    // Every row once without records, for the tables of the whole line.
    std::vector<RowSummary> rows(penstock.rows().size());
    MemoryStore store;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const PenstockRow& row = penstock.rows()[r];
        store.reset();
        rows[r].name = row.name;
        rows[r].pier = row.pier;
        rows[r].checked = row.checked;
        rows[r].fault = calculateRow(penstock, r, store);
        const auto keep = [&](std::string_view box) {
            rows[r].texts.emplace_back(box, store.text(box));
        };
        for (const std::string_view box : kGeometryBoxes) keep(box);
        for (const std::string_view box : kHydraulicBoxes) keep(box);
        for (const std::string_view box : kResultBoxes) keep(box);
        keep("jg");
        keep("Bmin");
    }
    std::string out =
        "<div class=\"block\">\n<h1>计算书</h1>\n<p "
        "class=\"line\">管线各镇墩（支墩）作用力及镇墩重量计算</p>\n";
    out +=
        "<table class=\"title\" width=\"100%\" cellspacing=\"0\"><tbody>\n<tr><td "
        "width=\"14%\">工程名称：</td><td class=\"fill\" colspan=\"3\">&#160;</td>"
        "<td width=\"12%\">管线名：</td><td class=\"fill\" width=\"30%\">" +
        escapeHtml(name) +
        "</td></tr>\n<tr><td>计算：</td><td class=\"fill\" width=\"18%\">&#160;</td>"
        "<td width=\"8%\">校核：</td><td class=\"fill\" width=\"18%\">&#160;</td>"
        "<td>日期：</td><td class=\"fill\">&#160;</td></tr>\n</tbody></table>\n";
    out += lineData(penstock);
    out += "<h2>二、管线纵剖面</h2>\n" + profileSvg(drawProfile(penstock, 680, 300));
    out += "<h2>三、由纵剖面推求的各镇墩（支墩）输入</h2>\n<h3>1. 管段几何与管径</h3>\n" +
           rowTable(rows, kGeometryBoxes, false) + "<h3>2. 水头、流速与其他</h3>\n" +
           rowTable(rows, kHydraulicBoxes, false);
    out += "<h2>四、各镇墩（支墩）计算结果</h2>\n" + rowTable(rows, kResultBoxes, true);
    out += kMethod;
    out += "</div>\n";
    write(out);
    rows.clear();

    // Then each row's own sections.
    CalcRecord derivation, record, check;
    for (std::size_t r = 0; r < penstock.rows().size(); ++r) {
        const PenstockRow& row = penstock.rows()[r];
        store.reset();
        const std::string heading =
            "第 " + std::to_string(r + 1) + " 项（" + (row.pier ? "支墩" : "镇墩") + "）";
        if (deriveRow(penstock, r, store, derivation)) {
            std::string section =
                "<div class=\"block next\">\n<h1>计算书</h1>\n<p class=\"line\">" +
                escapeHtml(row.name + "　" + heading) + "</p>\n";
            write(section + derivationSection(derivation) + "</div>\n");
            continue;
        }
        const bool calculated = !calculate(store, record);
        if (row.checked && calculated) {
            checkStability(store, check);
            write(sheetSection(record, heading, true, &check, &derivation));
        } else {
            write(sheetSection(record, heading, true, nullptr, &derivation));
        }
    }
    write(sheetEnd());
}

std::string penstockSheet(const Penstock& penstock) {
    std::string out;
    writePenstockSheet(penstock, [&out](std::string_view piece) { out += piece; });
    return out;
}

}  // namespace tavorin
