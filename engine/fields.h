// The field store: the window's boxes, choice lists and result caption, each holding one
// text and addressed by its control name. The calculate command works only through it,
// so it runs unchanged on the window's widgets and on an in-memory store.
//
// The boxes of the stability check (check.h) are rows of the same table, after Form1's
// controls, marked FieldPart::Check: one perfect hash and one FieldId serve both, the
// memory store holds them with room for every result, and a dialog can list them by
// checkFieldTable(). They stay out of fieldTable() and findField(), which keep meaning
// Form1's controls, so everything that lists or accepts those (the batch tool's output
// line, case files, the window) is unchanged until it asks for the check's boxes.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavorin {

enum class FieldRole {
    Input,    // an input text box (read by the calculation, except Text1)
    Choice,   // a choice list: an editable text with two fixed items
    Output,   // an output text box, empty at start, written by the calculation
    Caption,  // a label whose caption the calculation sets (Label25)
};

// Where a control is shown.
enum class FieldPart {
    Form,   // Form1, the main window
    Check,  // the stability check's inputs and results
};

struct FieldSpec {
    std::string_view name;
    FieldRole role;
    std::string_view defaultText;  // the text when the window opens
    std::string_view caption;      // what the user reads beside it (for an output box: the
                                   // row caption and the column header)
    std::array<std::string_view, 2> items = {};  // a choice list's items, in list order
    FieldPart part = FieldPart::Form;
};

// The items that select the support-pier rules and the reducer side.
inline constexpr std::string_view kAnchorBlock = "镇墩";
inline constexpr std::string_view kSupportPier = "支墩";
inline constexpr std::string_view kUpperSide = "上侧";
inline constexpr std::string_view kLowerSide = "下侧";
inline constexpr std::string_view kResultCaption = "计算结果:";

namespace detail {
// The rows of fieldTable(), here so that a control name written in the code resolves to
// its row while compiling.
inline constexpr FieldSpec kFieldRows[] = {
    {"Text1", FieldRole::Input, "Text1", "镇墩(支墩)名"},
    {"kj", FieldRole::Choice, kAnchorBlock, "计算镇墩(支墩)", {kAnchorBlock, kSupportPier}},
    {"k", FieldRole::Choice, kUpperSide, "渐变管位置(上侧,下侧)", {kUpperSide, kLowerSide}},

    {"HSt", FieldRole::Input, "152", "设计水头(米)"},
    {"DDt", FieldRole::Input, "0.014", "管壁厚(米)"},
    {"L1t", FieldRole::Input, "50", "上侧管长(米)"},
    {"L2t", FieldRole::Input, "6", "下侧管长(米)"},
    {"Dt", FieldRole::Input, "1", "管径(米)"},
    {"DA1t", FieldRole::Input, "35", "上侧管夹角(度)"},
    {"DA2t", FieldRole::Input, "63", "下侧管夹角(度)"},
    // The value enters as a velocity (squared in the centrifugal force), so the caption
    // states a velocity.
    {"Vt", FieldRole::Input, "3.8", "流速(米/秒)"},
    {"b1t", FieldRole::Input, "0.1", "上侧伸缩节盘根长(米)"},
    {"b2t", FieldRole::Input, "0.1", "下侧伸缩节盘根长(米)"},
    {"ft", FieldRole::Input, "0.4", "伸缩节摩擦系数"},
    {"fgt", FieldRole::Input, "0.4", "管壁沿支墩摩擦系数"},
    {"fjt", FieldRole::Input, "0.6", "镇墩(支墩)与地基摩擦系数"},
    {"DSt", FieldRole::Input, "1.03", "伸缩节直径"},
    {"H1t", FieldRole::Input, "150", "镇墩上侧伸缩节计算水头(米)"},
    {"H2t", FieldRole::Input, "200", "镇墩下侧伸缩节计算水头(米)"},
    {"D1t", FieldRole::Input, "1", "渐变管 d1(米)"},
    {"D2t", FieldRole::Input, "1", "渐变管 d2(米)"},
    {"DHt", FieldRole::Input, "1", "水头摩擦损失(米)"},
    {"kkt", FieldRole::Input, "0", "有堵头吗?(有kk=1,无kk=0)"},
    {"spjText", FieldRole::Input, "0", "水平转角（度）"},

    {"a11text", FieldRole::Output, "", "管自重        a1 镇墩上侧"},
    {"a12text", FieldRole::Output, "", "堵头或阀门    a2 镇墩上侧"},
    {"a13text", FieldRole::Output, "", "弯管处        a3 镇墩上侧"},
    {"a14text", FieldRole::Output, "", "渐变管内水压力a4 镇墩上侧"},
    {"a15text", FieldRole::Output, "", "伸缩节内水压力a5 镇墩上侧"},
    {"a16text", FieldRole::Output, "", "水对管壁摩擦力a6 镇墩上侧"},
    {"a17text", FieldRole::Output, "", "伸缩节摩擦力  a7 镇墩上侧"},
    {"a18text", FieldRole::Output, "", "支墩摩擦力    a8 镇墩上侧"},
    {"a19text", FieldRole::Output, "", "弯管处离心力  a9 镇墩上侧"},
    {"a21text", FieldRole::Output, "", "管自重        a1 镇墩下侧"},
    {"a22text", FieldRole::Output, "", "堵头或阀门    a2 镇墩下侧"},
    {"a23text", FieldRole::Output, "", "弯管处        a3 镇墩下侧"},
    {"a24text", FieldRole::Output, "", "渐变管内水压力a4 镇墩下侧"},
    {"a25text", FieldRole::Output, "", "伸缩节内水压力a5 镇墩下侧"},
    {"a26text", FieldRole::Output, "", "水对管壁摩擦力a6 镇墩下侧"},
    {"a27text", FieldRole::Output, "", "伸缩节摩擦力  a7 镇墩下侧"},
    {"a28text", FieldRole::Output, "", "支墩摩擦力    a8 镇墩下侧"},
    {"a29text", FieldRole::Output, "", "弯管处离心力  a9 镇墩下侧"},
    {"aa1text", FieldRole::Output, "", "温度升高时合计∑a 镇墩上侧"},
    {"aa2text", FieldRole::Output, "", "温度降低时合计∑a 镇墩上侧"},
    {"aa3text", FieldRole::Output, "", "温度升高时合计∑a 镇墩下侧"},
    {"aa4text", FieldRole::Output, "", "温度降低时合计∑a 镇墩下侧"},
    {"x1", FieldRole::Output, "", "温度升高 水平作用力(t)"},
    {"y1", FieldRole::Output, "", "温度升高 垂直作用力(t)"},
    {"w1", FieldRole::Output, "", "温度升高 镇墩重量(t)"},
    {"v1", FieldRole::Output, "", "温度升高 镇墩体积(m3)"},
    {"x2", FieldRole::Output, "", "温度降低 水平作用力(t)"},
    {"y2", FieldRole::Output, "", "温度降低 垂直作用力(t)"},
    {"w2", FieldRole::Output, "", "温度降低 镇墩重量(t)"},
    {"v2", FieldRole::Output, "", "温度降低 镇墩体积(m3)"},

    {"Label25", FieldRole::Caption, "", "计算结果标题"},

    // The stability check: its inputs in the order read, then its results.
    {"Bjt", FieldRole::Input, "", "基底长度 B(米)", {}, FieldPart::Check},
    {"Ljt", FieldRole::Input, "", "基底宽度 L(米)", {}, FieldPart::Check},
    {"Hjt", FieldRole::Input, "", "镇墩高度 Hb(米)", {}, FieldPart::Check},
    {"Gjt", FieldRole::Input, "", "镇墩重量 G(t)", {}, FieldPart::Check},
    {"hpt", FieldRole::Input, "", "管轴交点高度 hp(米)", {}, FieldPart::Check},
    {"hgt", FieldRole::Input, "", "重心高度 hG(米)", {}, FieldPart::Check},
    {"hwt", FieldRole::Input, "0", "扬压力水头 hw(米)", {}, FieldPart::Check},
    {"Rjt", FieldRole::Input, "", "地基允许承载力 [σ](t/m²)", {}, FieldPart::Check},
    {"Kht", FieldRole::Input, "0", "地震系数 Kh", {}, FieldPart::Check},
    {"Kct", FieldRole::Input, "1.5", "抗滑稳定安全系数 [Kc]", {}, FieldPart::Check},
    {"Kcet", FieldRole::Input, "1.2", "地震时抗滑稳定安全系数 [Kc]", {}, FieldPart::Check},
    {"Kot", FieldRole::Input, "1.5", "抗倾覆稳定安全系数 [K0]", {}, FieldPart::Check},
    {"Koet", FieldRole::Input, "1.3", "地震时抗倾覆稳定安全系数 [K0]", {}, FieldPart::Check},
    {"Rket", FieldRole::Input, "1.2", "地震时地基允许承载力提高系数", {}, FieldPart::Check},
    {"Gj", FieldRole::Output, "", "验算用镇墩重量 G(t)", {}, FieldPart::Check},
    {"Nj1", FieldRole::Output, "", "温度升高 垂直力 N(t)", {}, FieldPart::Check},
    {"Hj1", FieldRole::Output, "", "温度升高 水平力 H(t)", {}, FieldPart::Check},
    {"Kc1", FieldRole::Output, "", "温度升高 抗滑稳定安全系数 Kc", {}, FieldPart::Check},
    {"Ko1", FieldRole::Output, "", "温度升高 抗倾覆稳定安全系数 K0", {}, FieldPart::Check},
    {"ej1", FieldRole::Output, "", "温度升高 偏心距 e(米)", {}, FieldPart::Check},
    {"smax1", FieldRole::Output, "", "温度升高 最大基底应力 σmax(t/m²)", {}, FieldPart::Check},
    {"smin1", FieldRole::Output, "", "温度升高 最小基底应力 σmin(t/m²)", {}, FieldPart::Check},
    {"jg1", FieldRole::Output, "", "温度升高 结论", {}, FieldPart::Check},
    {"Nj2", FieldRole::Output, "", "温度降低 垂直力 N(t)", {}, FieldPart::Check},
    {"Hj2", FieldRole::Output, "", "温度降低 水平力 H(t)", {}, FieldPart::Check},
    {"Kc2", FieldRole::Output, "", "温度降低 抗滑稳定安全系数 Kc", {}, FieldPart::Check},
    {"Ko2", FieldRole::Output, "", "温度降低 抗倾覆稳定安全系数 K0", {}, FieldPart::Check},
    {"ej2", FieldRole::Output, "", "温度降低 偏心距 e(米)", {}, FieldPart::Check},
    {"smax2", FieldRole::Output, "", "温度降低 最大基底应力 σmax(t/m²)", {}, FieldPart::Check},
    {"smin2", FieldRole::Output, "", "温度降低 最小基底应力 σmin(t/m²)", {}, FieldPart::Check},
    {"jg2", FieldRole::Output, "", "温度降低 结论", {}, FieldPart::Check},
    {"Nj1e", FieldRole::Output, "", "温度升高 地震 垂直力 N(t)", {}, FieldPart::Check},
    {"Hj1e", FieldRole::Output, "", "温度升高 地震 水平力 H(t)", {}, FieldPart::Check},
    {"Kc1e", FieldRole::Output, "", "温度升高 地震 抗滑稳定安全系数 Kc", {}, FieldPart::Check},
    {"Ko1e", FieldRole::Output, "", "温度升高 地震 抗倾覆稳定安全系数 K0", {}, FieldPart::Check},
    {"ej1e", FieldRole::Output, "", "温度升高 地震 偏心距 e(米)", {}, FieldPart::Check},
    {"smax1e",
     FieldRole::Output,
     "",
     "温度升高 地震 最大基底应力 σmax(t/m²)",
     {},
     FieldPart::Check},
    {"smin1e",
     FieldRole::Output,
     "",
     "温度升高 地震 最小基底应力 σmin(t/m²)",
     {},
     FieldPart::Check},
    {"jg1e", FieldRole::Output, "", "温度升高 地震 结论", {}, FieldPart::Check},
    {"Nj2e", FieldRole::Output, "", "温度降低 地震 垂直力 N(t)", {}, FieldPart::Check},
    {"Hj2e", FieldRole::Output, "", "温度降低 地震 水平力 H(t)", {}, FieldPart::Check},
    {"Kc2e", FieldRole::Output, "", "温度降低 地震 抗滑稳定安全系数 Kc", {}, FieldPart::Check},
    {"Ko2e", FieldRole::Output, "", "温度降低 地震 抗倾覆稳定安全系数 K0", {}, FieldPart::Check},
    {"ej2e", FieldRole::Output, "", "温度降低 地震 偏心距 e(米)", {}, FieldPart::Check},
    {"smax2e",
     FieldRole::Output,
     "",
     "温度降低 地震 最大基底应力 σmax(t/m²)",
     {},
     FieldPart::Check},
    {"smin2e",
     FieldRole::Output,
     "",
     "温度降低 地震 最小基底应力 σmin(t/m²)",
     {},
     FieldPart::Check},
    {"jg2e", FieldRole::Output, "", "温度降低 地震 结论", {}, FieldPart::Check},
    {"jg", FieldRole::Output, "", "稳定验算结论", {}, FieldPart::Check},
    {"Bmin", FieldRole::Output, "", "满足各项验算的最小基底长度 Bmin(米)", {}, FieldPart::Check},
};

// Form1's controls are the rows before the first check box.
inline constexpr std::size_t kFormRows = [] {
    std::size_t n = 0;
    while (kFieldRows[n].part == FieldPart::Form) ++n;
    return n;
}();
inline constexpr std::size_t kRowCount = std::size(kFieldRows);

// Control names by a perfect hash: every character and the length, mixed (FNV-1a) and
// multiplied, pick one of about n²/4 slots; no two names share one. The multiplier is found
// while compiling, for any number of rows.
inline constexpr unsigned kSlotBits =
    static_cast<unsigned>(std::bit_width(std::size(kFieldRows) * std::size(kFieldRows) / 4 + 1));
inline constexpr std::size_t kSlots = std::size_t{1} << kSlotBits;
static_assert(std::size(kFieldRows) < 256, "a row must fit FieldId and kSlotRows");

constexpr std::uint32_t hashKey(std::string_view name) {
    std::uint32_t key = 0x811C9DC5u ^ static_cast<std::uint32_t>(name.size());
    for (const char c : name) {
        key = (key ^ static_cast<unsigned char>(c)) * 0x01000193u;
    }
    return key;
}

consteval bool namesDistinct() {
    for (std::size_t i = 0; i < kRowCount; ++i) {
        for (std::size_t j = i + 1; j < kRowCount; ++j) {
            if (kFieldRows[i].name == kFieldRows[j].name) return false;
        }
    }
    return true;
}
static_assert(namesDistinct(), "two rows of the field table share a control name");

// No two names of the table have the same key, so a collision-free multiplier exists.
consteval bool keysDistinct() {
    for (std::size_t i = 0; i < kRowCount; ++i) {
        for (std::size_t j = i + 1; j < kRowCount; ++j) {
            if (hashKey(kFieldRows[i].name) == hashKey(kFieldRows[j].name)) return false;
        }
    }
    return true;
}
static_assert(keysDistinct(), "two control names share a hash key: widen hashKey");

constexpr std::size_t slotOf(std::string_view name, std::uint64_t multiplier) {
    return static_cast<std::size_t>((hashKey(name) * multiplier) >> (64 - kSlotBits));
}

constexpr bool collisionFree(std::uint64_t multiplier) {
    std::array<bool, kSlots> taken{};
    for (const FieldSpec& f : kFieldRows) {
        const std::size_t slot = slotOf(f.name, multiplier);
        if (taken[slot]) return false;
        taken[slot] = true;
    }
    return true;
}

constexpr std::uint64_t findMultiplier() {
    for (std::uint64_t m = 0x9E3779B97F4A7C15u;;
         m = (m * 6364136223846793005u + 1442695040888963407u) | 1u) {
        if (collisionFree(m)) return m;
    }
}

inline constexpr std::uint64_t kMultiplier = findMultiplier();

// Slot -> row + 1, 0 for a free slot.
inline constexpr std::array<std::uint8_t, kSlots> kSlotRows = [] {
    std::array<std::uint8_t, kSlots> rows{};
    for (std::size_t i = 0; i < std::size(kFieldRows); ++i) {
        rows[slotOf(kFieldRows[i].name, kMultiplier)] = static_cast<std::uint8_t>(i + 1);
    }
    return rows;
}();

// The row of `name` among all rows, Form1's and the check's, or nullptr. Written so that,
// inlined with a name the compiler can see, it folds to the row.
constexpr const FieldSpec* findRow(std::string_view name) {
    const std::uint8_t row = kSlotRows[slotOf(name, kMultiplier)];
    if (row == 0 || kFieldRows[row - 1].name != name) return nullptr;
    return &kFieldRows[row - 1];
}

consteval std::size_t rowOfName(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kFieldRows); ++i) {
        if (kFieldRows[i].name == name) return i;
    }
    throw "not a control of the field table";  // a compile error where the name is written
}
}  // namespace detail

// Every box, choice list and the result caption of Form1, in this order: the name box, the
// two choice lists, the 21 numeric inputs in the order they are read, the 30 output boxes,
// Label25.
std::span<const FieldSpec> fieldTable();

// The boxes of the stability check: its 14 inputs in the order read (Bjt … Rket), then its
// results: Gj; Nj, Hj, Kc, Ko, ej, smax, smin, jg of each of the rows 1, 2, 1e, 2e; jg;
// Bmin. They follow fieldTable() in memory: checkFieldTable().data() ==
// fieldTable().data() + fieldTable().size().
std::span<const FieldSpec> checkFieldTable();

// The row of a control of Form1 named `name`, or nullptr (also for a check box). One hash
// and one comparison, no search.
inline const FieldSpec* findField(std::string_view name) {
    const FieldSpec* f = detail::findRow(name);
    return f != nullptr && f->part == FieldPart::Form ? f : nullptr;
}

// The row of a box of the stability check, or nullptr.
inline const FieldSpec* findCheckField(std::string_view name) {
    const FieldSpec* f = detail::findRow(name);
    return f != nullptr && f->part == FieldPart::Check ? f : nullptr;
}

// The row of any control of the store, Form1's or the check's, or nullptr.
inline const FieldSpec* findAnyField(std::string_view name) { return detail::findRow(name); }

// A control of the table by its row. A name written in the code becomes its row while
// compiling (FieldId id = "HSt"; an unknown name does not compile); a name known only at
// run time goes through find().
class FieldId {
  public:
    consteval FieldId(const char* name)  // NOLINT: control names are written as literals
        : m_row(static_cast<std::uint8_t>(detail::rowOfName(name))) {}

    // Any row, Form1's or the check's.
    static std::optional<FieldId> find(std::string_view name) {
        const FieldSpec* f = findAnyField(name);
        if (f == nullptr) return std::nullopt;
        return atRow(static_cast<std::size_t>(f - detail::kFieldRows));
    }
    static constexpr FieldId atRow(std::size_t row) {
        return FieldId(Row{static_cast<std::uint8_t>(row)});
    }

    constexpr std::size_t row() const { return m_row; }
    constexpr const FieldSpec& spec() const { return detail::kFieldRows[m_row]; }
    constexpr std::string_view name() const { return spec().name; }

    friend constexpr bool operator==(FieldId, FieldId) = default;

  private:
    struct Row {
        std::uint8_t row;
    };
    constexpr explicit FieldId(Row r) : m_row(r.row) {}
    std::uint8_t m_row;
};

// What a command needs of the window. Each operation reports whether it succeeded; a
// failure stops the calling command.
class FieldStore {
  public:
    virtual ~FieldStore() = default;
    // Reads the whole text of a box or choice list into `text`.
    virtual bool readText(std::string_view name, std::string& text) = 0;
    // Replaces the whole text of a box or choice list.
    virtual bool replaceText(std::string_view name, std::string_view text) = 0;
    // Replaces the whole caption of a label.
    virtual bool setCaption(std::string_view name, std::string_view caption) = 0;

    // The same operations on a control of the table by its row. By default they call the
    // operations by name; a store that keeps its texts by row answers them directly.
    // readById sets `text` to the box's text, which stays valid until the store changes;
    // it may use `scratch` to hold it.
    virtual bool readById(FieldId id, std::string& scratch, std::string_view& text) {
        if (!readText(id.name(), scratch)) return false;
        text = scratch;
        return true;
    }
    virtual bool replaceById(FieldId id, std::string_view text) {
        return replaceText(id.name(), text);
    }
    virtual bool setCaptionById(FieldId id, std::string_view caption) {
        return setCaption(id.name(), caption);
    }
};

// A field store in memory, in the window's start state: every input box and choice list
// at its default text, every output box and Label25 empty; the check's boxes likewise.
// Names outside the table fail. Every output box has room for any result text, so a
// calculate command or a check on a store that is used again allocates nothing.
class MemoryStore final : public FieldStore {
  public:
    MemoryStore();

    bool readText(std::string_view name, std::string& text) override;
    bool replaceText(std::string_view name, std::string_view text) override;
    bool setCaption(std::string_view name, std::string_view caption) override;
    bool readById(FieldId id, std::string& scratch, std::string_view& text) override;
    bool replaceById(FieldId id, std::string_view text) override;
    bool setCaptionById(FieldId id, std::string_view caption) override;

    // The text or caption of any control of the table; empty for an unknown name.
    const std::string& text(std::string_view name) const;
    const std::string& textAt(FieldId id) const { return m_texts[id.row()]; }

    // Moves `text` into the control at `id`, box or caption, without copying it: a long
    // text read from a line is held once.
    void give(FieldId id, std::string&& text) {
        m_texts[id.row()] = std::move(text);
        changed(id.row());
    }

    // Every control back to its start state, keeping the room already taken. Only the
    // controls changed since the last reset are touched.
    void reset();

  private:
    static constexpr std::size_t kMaskWords = (detail::kRowCount + 63) / 64;
    void changed(std::size_t row) { m_changed[row / 64] |= std::uint64_t{1} << (row % 64); }

    std::vector<std::string> m_texts;                   // by table row
    std::array<std::uint64_t, kMaskWords> m_changed{};  // rows written since the last reset
};

}  // namespace tavorin
