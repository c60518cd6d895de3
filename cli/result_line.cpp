#include "cli/result_line.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "cli/json_string.h"

namespace tavorin {
namespace {

// What comes before each text of the result line: {"fields":{"Text1":" and ","kj":" …
// Each is copied as a whole block of kPrefixRoom bytes, which is quicker than a copy of its
// own length, so the line's room has that much to spare.
constexpr std::size_t kPrefixRoom = 32;

struct FieldPrefixes {
    struct Prefix {
        std::array<char, kPrefixRoom> bytes{};
        std::size_t size = 0;
    };
    std::vector<Prefix> byRow;  // Form1's controls, then the check's boxes
    std::size_t total = 0;      // of Form1's prefixes
    std::size_t checkTotal = 0;
    FieldPrefixes() {
        for (std::size_t row = 0; row < detail::kRowCount; ++row) {
            std::string text = byRow.empty() ? R"({"fields":{")" : R"(",")";
            text.append(detail::kFieldRows[row].name);
            text.append(R"(":")");
            Prefix prefix;
            const std::size_t size = std::min(text.size(), kPrefixRoom);  // names are short
            std::memcpy(prefix.bytes.data(), text.data(), size);
            prefix.size = size;
            (row < detail::kFormRows ? total : checkTotal) += size;
            byRow.push_back(prefix);
        }
    }
};

const FieldPrefixes& fieldPrefixes() {
    static const FieldPrefixes prefixes;
    return prefixes;
}

std::size_t rowsOf(bool check) { return check ? detail::kRowCount : detail::kFormRows; }

constexpr std::string_view kNoFault = R"("},"fault":null})";
constexpr std::string_view kFaultKind = R"("},"fault":{"kind":")";
constexpr std::string_view kFaultMessage = R"(","message":")";

char* writeRaw(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

}  // namespace

std::size_t resultLineBound(const MemoryStore& store, const std::optional<Fault>& fault,
                            bool check) {
    const FieldPrefixes& prefixes = fieldPrefixes();
    std::size_t bound = prefixes.total + (check ? prefixes.checkTotal : 0) + kPrefixRoom +
                        kFaultKind.size() + kFaultMessage.size() + 16;
    for (std::size_t row = 0; row < rowsOf(check); ++row) {
        bound += 6 * store.textAt(FieldId::atRow(row)).size();
    }
    if (fault) bound += 6 * (faultKindId(fault->kind).size() + fault->message.size());
    return bound;
}

char* writeResultLine(char* out, const MemoryStore& store, const std::optional<Fault>& fault,
                      bool check) {
    const FieldPrefixes& prefixes = fieldPrefixes();
    for (std::size_t row = 0; row < rowsOf(check); ++row) {
        const FieldPrefixes::Prefix& prefix = prefixes.byRow[row];
        std::memcpy(out, prefix.bytes.data(), kPrefixRoom);
        out += prefix.size;
        out = writeJsonEscaped(out, store.textAt(FieldId::atRow(row)));
    }
    if (fault) {
        out = writeRaw(out, kFaultKind);
        out = writeJsonEscaped(out, faultKindId(fault->kind));
        out = writeRaw(out, kFaultMessage);
        out = writeJsonEscaped(out, fault->message);
        out = writeRaw(out, "\"}}");
    } else {
        out = writeRaw(out, kNoFault);
    }
    *out++ = '\n';
    return out;
}

void appendResultLine(std::string& out, const MemoryStore& store, const std::optional<Fault>& fault,
                      bool check) {
    // The exact size, so that a line echoing a text of many megabytes takes no more.
    const FieldPrefixes& prefixes = fieldPrefixes();
    std::size_t size = prefixes.total + (check ? prefixes.checkTotal : 0) + 1;
    for (std::size_t row = 0; row < rowsOf(check); ++row) {
        size += jsonEscapedSize(store.textAt(FieldId::atRow(row)));
    }
    if (fault) {
        size += kFaultKind.size() + jsonEscapedSize(faultKindId(fault->kind)) +
                kFaultMessage.size() + jsonEscapedSize(fault->message) + 3;
    } else {
        size += kNoFault.size();
    }
    const std::size_t start = out.size();
    // The prefixes are copied as whole blocks: room for the last one's spare bytes.
    out.resize(start + size + kPrefixRoom);
    char* end = writeResultLine(out.data() + start, store, fault, check);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace tavorin
