#include "cli/flat_line.h"

#include <cstdint>

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

}  // namespace tavorin
