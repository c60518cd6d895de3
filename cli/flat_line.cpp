#include "cli/flat_line.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "cli/json_string.h"

namespace tavorin {
namespace {

bool isJsonBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isContinuation(unsigned char c, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return c >= low && c <= high;
}

// The length of the well-formed UTF-8 sequence at `p` (before `end`) that starts with a
// byte of 0x80 or more, or 0.
std::size_t utf8Length(const unsigned char* p, const unsigned char* end) {
    const unsigned char c = p[0];
    const auto left = static_cast<std::size_t>(end - p);
    if (c >= 0xC2 && c <= 0xDF) return left >= 2 && isContinuation(p[1]) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
        const unsigned char high = c == 0xED ? 0x9F : 0xBF;
        return left >= 3 && isContinuation(p[1], low, high) && isContinuation(p[2]) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;
        return left >= 4 && isContinuation(p[1], low, high) && isContinuation(p[2]) &&
                       isContinuation(p[3])
                   ? 4
                   : 0;
    }
    return 0;
}

class Reader {
  public:
    explicit Reader(std::string_view line)
        : m_p(reinterpret_cast<const unsigned char*>(line.data())), m_end(m_p + line.size()) {}

    void skipBlanks() {
        while (m_p != m_end && isJsonBlank(static_cast<char>(*m_p))) ++m_p;
    }
    bool take(char c) {
        if (m_p == m_end || *m_p != static_cast<unsigned char>(c)) return false;
        ++m_p;
        return true;
    }
    bool atEnd() const { return m_p == m_end; }

    // A string after its opening quote, up to and without its closing quote. Sets
    // `text` to the raw text when it holds no escape, else decodes it into `scratch`.
    bool string(std::string_view& text, std::string& scratch) {
        const unsigned char* start = m_p;
        while (m_p != m_end) {
            const unsigned char c = *m_p;
            if (c == '"') {
                text = {reinterpret_cast<const char*>(start),
                        static_cast<std::size_t>(m_p - start)};
                ++m_p;
                return true;
            }
            if (c == '\\') return decoded(start, text, scratch);
            if (c < 0x20) return false;
            if (c < 0x80) {
                ++m_p;
            } else {
                const std::size_t n = utf8Length(m_p, m_end);
                if (n == 0) return false;
                m_p += n;
            }
        }
        return false;
    }

  private:
    bool hex4(std::uint32_t& value) {
        if (m_end - m_p < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const int h = hexValue(static_cast<char>(*m_p++));
            if (h < 0) return false;
            value = value * 16 + static_cast<std::uint32_t>(h);
        }
        return true;
    }

    bool decoded(const unsigned char* start, std::string_view& text, std::string& scratch) {
        scratch.assign(reinterpret_cast<const char*>(start), static_cast<std::size_t>(m_p - start));
        while (m_p != m_end) {
            const unsigned char c = *m_p;
            if (c == '"') {
                ++m_p;
                text = scratch;
                return true;
            }
            if (c < 0x20) return false;
            if (c >= 0x80) {
                const std::size_t n = utf8Length(m_p, m_end);
                if (n == 0) return false;
                scratch.append(reinterpret_cast<const char*>(m_p), n);
                m_p += n;
                continue;
            }
            ++m_p;
            if (c != '\\') {
                scratch.push_back(static_cast<char>(c));
                continue;
            }
            if (m_p == m_end) return false;
            const char e = static_cast<char>(*m_p++);
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    scratch.push_back(e);
                    break;
                case 'b':
                    scratch.push_back('\b');
                    break;
                case 'f':
                    scratch.push_back('\f');
                    break;
                case 'n':
                    scratch.push_back('\n');
                    break;
                case 'r':
                    scratch.push_back('\r');
                    break;
                case 't':
                    scratch.push_back('\t');
                    break;
                case 'u': {
                    std::uint32_t cp = 0;
                    if (!hex4(cp)) return false;
                    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;  // a lone low surrogate
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        std::uint32_t low = 0;
                        if (!take('\\') || !take('u') || !hex4(low)) return false;
                        if (low < 0xDC00 || low > 0xDFFF) return false;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    appendUtf8(scratch, cp);
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }

    const unsigned char* m_p;
    const unsigned char* m_end;
};

constexpr char kHex[] = "0123456789abcdef";

// Bytes that a JSON string cannot hold as they are.
constexpr std::array<bool, 256> kNeedsEscape = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 0x20; ++c) table[c] = true;
    table['"'] = true;
    table['\\'] = true;
    return table;
}();

// Whether any of the eight bytes of `word` is below 0x20, '"' or '\\'.
bool anyNeedsEscape(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t highs = 0x8080808080808080u;
    const auto hasZero = [](std::uint64_t v) { return (v - ones) & ~v & highs; };
    const std::uint64_t below = (word - ones * 0x20) & ~word & highs;
    return (below | hasZero(word ^ (ones * '"')) | hasZero(word ^ (ones * '\\'))) != 0;
}

// Writes `text` escaped at `out`, which has room for six bytes per byte of it.
char* writeEscaped(char* out, std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* const end = p + text.size();
    while (p != end) {
        const auto* run = p;
        // Eight bytes at a time while none needs an escape, then byte by byte.
        for (std::uint64_t word; end - p >= 8; p += 8) {
            std::memcpy(&word, p, 8);
            if (anyNeedsEscape(word)) break;
        }
        while (p != end && !kNeedsEscape[*p]) ++p;
        std::memcpy(out, run, static_cast<std::size_t>(p - run));
        out += p - run;
        if (p == end) break;
        const unsigned char c = *p++;
        *out++ = '\\';
        switch (c) {
            case '"':
                *out++ = '"';
                break;
            case '\\':
                *out++ = '\\';
                break;
            case '\b':
                *out++ = 'b';
                break;
            case '\t':
                *out++ = 't';
                break;
            case '\n':
                *out++ = 'n';
                break;
            case '\f':
                *out++ = 'f';
                break;
            case '\r':
                *out++ = 'r';
                break;
            default:
                std::memcpy(out, "u00", 3);
                out[3] = kHex[c >> 4];
                out[4] = kHex[c & 0xF];
                out += 5;
        }
    }
    return out;
}

char* writeRaw(char* out, std::string_view text) {
    std::memcpy(out, text.data(), text.size());
    return out + text.size();
}

char* writeString(char* out, std::string_view text) {
    *out++ = '"';
    out = writeEscaped(out, text);
    *out++ = '"';
    return out;
}

// What comes before each text of the result line: {"fields":{"Text1":" and ","kj":" …
// Each is copied as a whole block of kPrefixRoom bytes, which is quicker than a copy of its
// own length, so the line's room has that much to spare.
constexpr std::size_t kPrefixRoom = 32;

struct FieldPrefixes {
    struct Prefix {
        std::array<char, kPrefixRoom> bytes{};
        std::size_t size = 0;
    };
    std::vector<Prefix> byRow;
    std::size_t total = 0;
    FieldPrefixes() {
        for (const FieldSpec& f : fieldTable()) {
            std::string text = byRow.empty() ? R"({"fields":{")" : R"(",")";
            text.append(f.name);
            text.append(R"(":")");
            Prefix prefix;
            const std::size_t size = std::min(text.size(), kPrefixRoom);  // names are short
            std::memcpy(prefix.bytes.data(), text.data(), size);
            prefix.size = size;
            total += size;
            byRow.push_back(prefix);
        }
    }
};

const FieldPrefixes& fieldPrefixes() {
    static const FieldPrefixes prefixes;
    return prefixes;
}

constexpr std::string_view kNoFault = R"("},"fault":null})";
constexpr std::string_view kFaultKind = R"("},"fault":{"kind":)";
constexpr std::string_view kFaultMessage = R"(,"message":)";

}  // namespace

bool loadFlatLine(std::string_view line, MemoryStore& store, std::string& scratch) {
    Reader in(line);
    in.skipBlanks();
    if (!in.take('{')) return false;
    in.skipBlanks();
    if (!in.take('}')) {
        do {
            in.skipBlanks();
            std::string_view key;
            std::string_view value;
            if (!in.take('"') || !in.string(key, scratch)) return false;
            const FieldSpec* field = findField(key);
            if (field == nullptr || field->role == FieldRole::Caption) return false;
            const FieldId id =
                FieldId::atRow(static_cast<std::size_t>(field - fieldTable().data()));
            in.skipBlanks();
            if (!in.take(':')) return false;
            in.skipBlanks();
            if (!in.take('"') || !in.string(value, scratch)) return false;
            store.replaceById(id, value);
            in.skipBlanks();
        } while (in.take(','));
        if (!in.take('}')) return false;
    }
    in.skipBlanks();
    return in.atEnd();
}

std::size_t resultLineBound(const MemoryStore& store, const std::optional<Fault>& fault) {
    const FieldPrefixes& prefixes = fieldPrefixes();
    std::size_t bound =
        prefixes.total + kPrefixRoom + kFaultKind.size() + kFaultMessage.size() + 16;
    for (std::size_t row = 0; row < prefixes.byRow.size(); ++row) {
        bound += 6 * store.textAt(FieldId::atRow(row)).size();
    }
    if (fault) bound += 6 * (faultKindId(fault->kind).size() + fault->message.size());
    return bound;
}

char* writeResultLine(char* out, const MemoryStore& store, const std::optional<Fault>& fault) {
    const FieldPrefixes& prefixes = fieldPrefixes();
    for (std::size_t row = 0; row < prefixes.byRow.size(); ++row) {
        const FieldPrefixes::Prefix& prefix = prefixes.byRow[row];
        std::memcpy(out, prefix.bytes.data(), kPrefixRoom);
        out += prefix.size;
        out = writeEscaped(out, store.textAt(FieldId::atRow(row)));
    }
    if (fault) {
        out = writeRaw(out, kFaultKind);
        out = writeString(out, faultKindId(fault->kind));
        out = writeRaw(out, kFaultMessage);
        out = writeString(out, fault->message);
        *out++ = '}';
        *out++ = '}';
    } else {
        out = writeRaw(out, kNoFault);
    }
    *out++ = '\n';
    return out;
}

void appendResultLine(std::string& out, const MemoryStore& store,
                      const std::optional<Fault>& fault) {
    const std::size_t start = out.size();
    out.resize(start + resultLineBound(store, fault));
    char* end = writeResultLine(out.data() + start, store, fault);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

}  // namespace tavorin
