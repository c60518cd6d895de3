#include "engine/fields.h"

#include <algorithm>

namespace tavorin {
namespace {

using R = FieldRole;

constexpr FieldSpec kFields[] = {
    {"Text1", R::Input, "Text1", "镇墩(支墩)名"},
    {"kj", R::Choice, kAnchorBlock, "计算镇墩(支墩)", {kAnchorBlock, kSupportPier}},
    {"k", R::Choice, kUpperSide, "渐变管位置(上侧,下侧)", {kUpperSide, kLowerSide}},

    {"HSt", R::Input, "152", "设计水头(米)"},
    {"DDt", R::Input, "0.014", "管壁厚(米)"},
    {"L1t", R::Input, "50", "上侧管长(米)"},
    {"L2t", R::Input, "6", "下侧管长(米)"},
    {"Dt", R::Input, "1", "管径(米)"},
    {"DA1t", R::Input, "35", "上侧管夹角(度)"},
    {"DA2t", R::Input, "63", "下侧管夹角(度)"},
    // The value enters as a velocity (squared in the centrifugal force), so the caption
    // states a velocity.
    {"Vt", R::Input, "3.8", "流速(米/秒)"},
    {"b1t", R::Input, "0.1", "上侧伸缩节盘根长(米)"},
    {"b2t", R::Input, "0.1", "下侧伸缩节盘根长(米)"},
    {"ft", R::Input, "0.4", "伸缩节摩擦系数"},
    {"fgt", R::Input, "0.4", "管壁沿支墩摩擦系数"},
    {"fjt", R::Input, "0.6", "镇墩(支墩)与地基摩擦系数"},
    {"DSt", R::Input, "1.03", "伸缩节直径"},
    {"H1t", R::Input, "150", "镇墩上侧伸缩节计算水头(米)"},
    {"H2t", R::Input, "200", "镇墩下侧伸缩节计算水头(米)"},
    {"D1t", R::Input, "1", "渐变管 d1(米)"},
    {"D2t", R::Input, "1", "渐变管 d2(米)"},
    {"DHt", R::Input, "1", "水头摩擦损失(米)"},
    {"kkt", R::Input, "0", "有堵头吗?(有kk=1,无kk=0)"},
    {"spjText", R::Input, "0", "水平转角（度）"},

    {"a11text", R::Output, "", "管自重        a1 镇墩上侧"},
    {"a12text", R::Output, "", "堵头或阀门    a2 镇墩上侧"},
    {"a13text", R::Output, "", "弯管处        a3 镇墩上侧"},
    {"a14text", R::Output, "", "渐变管内水压力a4 镇墩上侧"},
    {"a15text", R::Output, "", "伸缩节内水压力a5 镇墩上侧"},
    {"a16text", R::Output, "", "水对管壁摩擦力a6 镇墩上侧"},
    {"a17text", R::Output, "", "伸缩节摩擦力  a7 镇墩上侧"},
    {"a18text", R::Output, "", "支墩摩擦力    a8 镇墩上侧"},
    {"a19text", R::Output, "", "弯管处离心力  a9 镇墩上侧"},
    {"a21text", R::Output, "", "管自重        a1 镇墩下侧"},
    {"a22text", R::Output, "", "堵头或阀门    a2 镇墩下侧"},
    {"a23text", R::Output, "", "弯管处        a3 镇墩下侧"},
    {"a24text", R::Output, "", "渐变管内水压力a4 镇墩下侧"},
    {"a25text", R::Output, "", "伸缩节内水压力a5 镇墩下侧"},
    {"a26text", R::Output, "", "水对管壁摩擦力a6 镇墩下侧"},
    {"a27text", R::Output, "", "伸缩节摩擦力  a7 镇墩下侧"},
    {"a28text", R::Output, "", "支墩摩擦力    a8 镇墩下侧"},
    {"a29text", R::Output, "", "弯管处离心力  a9 镇墩下侧"},
    {"aa1text", R::Output, "", "温度升高时合计∑a 镇墩上侧"},
    {"aa2text", R::Output, "", "温度降低时合计∑a 镇墩上侧"},
    {"aa3text", R::Output, "", "温度升高时合计∑a 镇墩下侧"},
    {"aa4text", R::Output, "", "温度降低时合计∑a 镇墩下侧"},
    {"x1", R::Output, "", "温度升高 水平作用力(t)"},
    {"y1", R::Output, "", "温度升高 垂直作用力(t)"},
    {"w1", R::Output, "", "温度升高 镇墩重量(t)"},
    {"v1", R::Output, "", "温度升高 镇墩体积(m3)"},
    {"x2", R::Output, "", "温度降低 水平作用力(t)"},
    {"y2", R::Output, "", "温度降低 垂直作用力(t)"},
    {"w2", R::Output, "", "温度降低 镇墩重量(t)"},
    {"v2", R::Output, "", "温度降低 镇墩体积(m3)"},

    {"Label25", R::Caption, "", "计算结果标题"},
};

constexpr size_t kCount = std::size(kFields);

// Table rows sorted by name, for lookups by binary search.
struct NameIndex {
    std::array<std::pair<std::string_view, size_t>, kCount> rows{};
    NameIndex() {
        for (size_t i = 0; i < kCount; ++i) rows[i] = {kFields[i].name, i};
        std::sort(rows.begin(), rows.end());
    }
    const FieldSpec* find(std::string_view name) const {
        const auto it =
            std::lower_bound(rows.begin(), rows.end(), name,
                             [](const auto& row, std::string_view n) { return row.first < n; });
        return it != rows.end() && it->first == name ? &kFields[it->second] : nullptr;
    }
};

const NameIndex& nameIndex() {
    static const NameIndex index;
    return index;
}

}  // namespace

std::span<const FieldSpec> fieldTable() { return kFields; }

const FieldSpec* findField(std::string_view name) { return nameIndex().find(name); }

MemoryStore::MemoryStore() {
    m_texts.reserve(kCount);
    for (const FieldSpec& f : kFields) m_texts.emplace_back(f.defaultText);
}

namespace {
// The row of a box (caption == false) or of a caption label (caption == true), or -1.
long rowOf(std::string_view name, bool caption) {
    const FieldSpec* f = findField(name);
    if (f == nullptr || (f->role == FieldRole::Caption) != caption) return -1;
    return f - kFields;
}
}  // namespace

bool MemoryStore::readText(std::string_view name, std::string& text) {
    const long row = rowOf(name, false);
    if (row < 0) return false;
    text = m_texts[row];
    return true;
}

bool MemoryStore::replaceText(std::string_view name, std::string_view text) {
    const long row = rowOf(name, false);
    if (row < 0) return false;
    m_texts[row].assign(text);
    return true;
}

bool MemoryStore::setCaption(std::string_view name, std::string_view caption) {
    const long row = rowOf(name, true);
    if (row < 0) return false;
    m_texts[row].assign(caption);
    return true;
}

const std::string& MemoryStore::text(std::string_view name) const {
    static const std::string empty;
    const FieldSpec* f = findField(name);
    return f == nullptr ? empty : m_texts[f - kFields];
}

}  // namespace tavorin
