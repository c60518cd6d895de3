// The field store: the window's boxes, choice lists and result caption, each holding one
// text and addressed by its control name. The calculate command works only through it,
// so it runs unchanged on the window's widgets and on an in-memory store.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavorin {

enum class FieldRole {
    Input,    // an input text box (read by the calculation, except Text1)
    Choice,   // a choice list: an editable text with two fixed items
    Output,   // an output text box, empty at start, written by the calculation
    Caption,  // a label whose caption the calculation sets (Label25)
};

struct FieldSpec {
    std::string_view name;
    FieldRole role;
    std::string_view defaultText;  // the text when the window opens
    std::string_view caption;      // what the user reads beside it (for an output box: the
                                   // row caption and the column header)
    std::array<std::string_view, 2> items = {};  // a choice list's items, in list order
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
};

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

constexpr std::size_t slotOf(std::string_view name, std::uint32_t multiplier) {
    return (hashKey(name) * multiplier) >> (32 - kSlotBits);
}

constexpr bool collisionFree(std::uint32_t multiplier) {
    std::array<bool, kSlots> taken{};
    for (const FieldSpec& f : kFieldRows) {
        const std::size_t slot = slotOf(f.name, multiplier);
        if (taken[slot]) return false;
        taken[slot] = true;
    }
    return true;
}

constexpr std::uint32_t findMultiplier() {
    for (std::size_t i = 0; i < std::size(kFieldRows); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (kFieldRows[i].name == kFieldRows[j].name) {
                throw "two rows of the field table share a control name";  // a compile error
            }
        }
    }
    for (std::uint32_t m = 0x9E3779B1u;; m += 2) {
        if (collisionFree(m)) return m;
    }
}

inline constexpr std::uint32_t kMultiplier = findMultiplier();

// Slot -> row + 1, 0 for a free slot.
inline constexpr std::array<std::uint8_t, kSlots> kSlotRows = [] {
    std::array<std::uint8_t, kSlots> rows{};
    for (std::size_t i = 0; i < std::size(kFieldRows); ++i) {
        rows[slotOf(kFieldRows[i].name, kMultiplier)] = static_cast<std::uint8_t>(i + 1);
    }
    return rows;
}();

// The row of `name`, or nullptr. Written so that, inlined with a name the compiler can
// see, it folds to the row.
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

// Every box, choice list and the result caption, in this order: the name box, the two
// choice lists, the 21 numeric inputs in the order they are read, the 30 output boxes,
// Label25.
std::span<const FieldSpec> fieldTable();

// The row of `name`, or nullptr. One hash and one comparison, no search.
inline const FieldSpec* findField(std::string_view name) { return detail::findRow(name); }

// A control of the table by its row. A name written in the code becomes its row while
// compiling (FieldId id = "HSt"; an unknown name does not compile); a name known only at
// run time goes through find().
class FieldId {
  public:
    consteval FieldId(const char* name)  // NOLINT: control names are written as literals
        : m_row(static_cast<std::uint8_t>(detail::rowOfName(name))) {}

    static std::optional<FieldId> find(std::string_view name) {
        const FieldSpec* f = findField(name);
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
// at its default text, every output box and Label25 empty. Names outside the table fail.
// Every output box has room for any result text, so a calculate command on a store that
// is used again allocates nothing.
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

    // Every control back to its start state, keeping the room already taken. Only the
    // controls changed since the last reset are touched.
    void reset();

  private:
    void changed(std::size_t row) { m_changed |= std::uint64_t{1} << row; }

    std::vector<std::string> m_texts;  // by table row
    std::uint64_t m_changed = 0;       // rows written since the last reset
};

}  // namespace tavorin
