#include "engine/fields.h"

#include <algorithm>
#include <bit>

namespace tavorin {
namespace {

using detail::kFieldRows;
constexpr std::size_t kCount = detail::kRowCount;
static_assert(kCount < 255, "a row must fit FieldId and the slots of the perfect hash");
static_assert(std::all_of(kFieldRows + detail::kFormRows, kFieldRows + kCount,
                          [](const FieldSpec& f) { return f.part == FieldPart::Check; }),
              "the check's boxes follow Form1's controls");

// The longest result text with "." has 22 characters ("-1.23456789012346E-100"); the room
// left is for a longer decimal separator. A check's verdict has up to 54 bytes ("不满足：抗滑、
// 抗倾覆、偏心、地基应力").
constexpr std::size_t kResultRoom = 47;
constexpr std::size_t kCheckResultRoom = 64;

}  // namespace

std::span<const FieldSpec> fieldTable() { return {kFieldRows, detail::kFormRows}; }

std::span<const FieldSpec> checkFieldTable() {
    return {kFieldRows + detail::kFormRows, kCount - detail::kFormRows};
}

MemoryStore::MemoryStore() {
    m_texts.reserve(kCount);
    for (const FieldSpec& f : kFieldRows) {
        m_texts.emplace_back(f.defaultText);
        if (f.role == FieldRole::Output) {
            m_texts.back().reserve(f.part == FieldPart::Check ? kCheckResultRoom : kResultRoom);
        }
    }
}

void MemoryStore::reset() {
    for (std::size_t word = 0; word < kMaskWords; ++word) {
        for (std::uint64_t rows = m_changed[word]; rows != 0; rows &= rows - 1) {
            const std::size_t row = word * 64 + static_cast<std::size_t>(std::countr_zero(rows));
            m_texts[row].assign(kFieldRows[row].defaultText);
        }
        m_changed[word] = 0;
    }
}

namespace {
// The row of a box (caption == false) or of a caption label (caption == true), or -1.
long rowOf(std::string_view name, bool caption) {
    const FieldSpec* f = findAnyField(name);
    if (f == nullptr || (f->role == FieldRole::Caption) != caption) return -1;
    return f - kFieldRows;
}

bool isCaption(FieldId id) { return id.spec().role == FieldRole::Caption; }
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
    changed(static_cast<std::size_t>(row));
    return true;
}

bool MemoryStore::setCaption(std::string_view name, std::string_view caption) {
    const long row = rowOf(name, true);
    if (row < 0) return false;
    m_texts[row].assign(caption);
    changed(static_cast<std::size_t>(row));
    return true;
}

bool MemoryStore::readById(FieldId id, std::string&, std::string_view& text) {
    if (isCaption(id)) return false;
    text = m_texts[id.row()];
    return true;
}

bool MemoryStore::replaceById(FieldId id, std::string_view text) {
    if (isCaption(id)) return false;
    m_texts[id.row()].assign(text);
    changed(id.row());
    return true;
}

bool MemoryStore::setCaptionById(FieldId id, std::string_view caption) {
    if (!isCaption(id)) return false;
    m_texts[id.row()].assign(caption);
    changed(id.row());
    return true;
}

const std::string& MemoryStore::text(std::string_view name) const {
    static const std::string empty;
    const FieldSpec* f = findAnyField(name);
    return f == nullptr ? empty : m_texts[f - kFieldRows];
}

}  // namespace tavorin
