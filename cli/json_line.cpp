#include "cli/json_line.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace tavorin {
namespace {

// The length of the well-formed UTF-8 sequence at the start of `s` (1 to 4), and its code
// point; 0 when the bytes there are not one (overlong forms, surrogates and code points
// beyond U+10FFFF included).
int utf8Sequence(std::string_view s, char32_t& code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80) {
        code = b0;
        return 1;
    }
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        code = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        code = b0 & 0x0F;
        if (b0 == 0xE0) low = 0xA0;   // no overlong form
        if (b0 == 0xED) high = 0x9F;  // no surrogate
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        code = b0 & 0x07;
        if (b0 == 0xF0) low = 0x90;
        if (b0 == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (s.size() < static_cast<size_t>(length)) return 0;
    for (int i = 1; i < length; ++i) {
        const unsigned char b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return 0;
        code = (code << 6) | (b & 0x3F);
    }
    return length;
}

constexpr char kHex[] = "0123456789ABCDEF";

// Characters that change how the text around them is shown, or show nothing.
bool isInvisibleFormat(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || c == 0xAD || c == 0x061C || c == 0x180E ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

class Parser {
  public:
    Parser(std::string_view line, MemberSink& sink) : m_s(line), m_sink(sink) {}

    std::optional<std::string> run() {
        skipBlanks();
        if (m_at < m_s.size() && m_s[m_at] == '{') {
            if (!object()) return m_error;
        } else {
            if (!skipValue()) return m_error;
            skipBlanks();
            if (m_at == m_s.size()) return "expected a JSON object of control names to texts";
        }
        skipBlanks();
        if (m_at != m_s.size()) {
            fail(m_at, "unexpected text after the value");
            return m_error;
        }
        return std::nullopt;
    }

  private:
    bool fail(size_t at, std::string_view what, size_t quoteFrom = std::string_view::npos) {
        if (quoteFrom == std::string_view::npos) quoteFrom = at;
        m_error = "not valid JSON at column " + std::to_string(at + 1) + ": " + std::string(what);
        if (quoteFrom < m_s.size()) {
            m_error += ", near \"" + excerpt(m_s.substr(quoteFrom)) + "\"";
        } else {
            m_error += " at the end of the line";
        }
        return false;
    }

    void skipBlanks() {
        while (m_at < m_s.size() &&
               (m_s[m_at] == ' ' || m_s[m_at] == '\t' || m_s[m_at] == '\r' || m_s[m_at] == '\n')) {
            ++m_at;
        }
    }

    bool expect(char c, std::string_view what) {
        skipBlanks();
        if (m_at < m_s.size() && m_s[m_at] == c) {
            ++m_at;
            return true;
        }
        return fail(m_at, what);
    }

    // The object at m_at: each member goes to the sink.
    bool object() {
        ++m_at;
        skipBlanks();
        if (m_at < m_s.size() && m_s[m_at] == '}') {
            ++m_at;
            return true;
        }
        std::string name;
        std::string text;
        for (;;) {
            skipBlanks();
            if (m_at == m_s.size() || m_s[m_at] != '"') {
                return fail(m_at, "expected a control name in double quotes");
            }
            if (!string(&name)) return false;
            if (!expect(':', "expected ':' after the name")) return false;
            skipBlanks();
            if (m_at < m_s.size() && m_s[m_at] == '"') {
                if (!string(&text)) return false;
                m_sink.member(name, &text);
            } else {
                if (!skipValue()) return false;
                m_sink.member(name, nullptr);
            }
            skipBlanks();
            if (m_at < m_s.size() && m_s[m_at] == ',') {
                ++m_at;
                continue;
            }
            return expect('}', "expected ',' or '}' after a member");
        }
    }

    // Four hex digits at m_at.
    bool hex4(char32_t& value) {
        if (m_s.size() - m_at < 4) return false;
        value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_s[m_at + i];
            int digit = 0;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
                digit = (c | 0x20) - 'a' + 10;
            } else {
                return false;
            }
            value = value * 16 + static_cast<char32_t>(digit);
        }
        m_at += 4;
        return true;
    }

    // The string at m_at (a '"'), decoded into *out unless out is null.
    bool string(std::string* out) {
        const size_t open = m_at++;
        if (out != nullptr) {
            // One allocation of the raw length, which the decoded text never exceeds.
            out->clear();
            size_t end = m_at;
            for (;;) {
                const size_t stop = m_s.find_first_of("\"\\", end);
                if (stop == std::string_view::npos) {
                    end = m_s.size();
                    break;
                }
                if (m_s[stop] == '"') {
                    end = stop;
                    break;
                }
                end = stop + 2;
                if (end >= m_s.size()) {
                    end = m_s.size();
                    break;
                }
            }
            out->reserve(end - m_at);
        }
        for (;;) {
            // A run of plain characters at once.
            const size_t runStart = m_at;
            while (m_at < m_s.size()) {
                const auto b = static_cast<unsigned char>(m_s[m_at]);
                if (b == '"' || b == '\\' || b < 0x20 || b >= 0x80) break;
                ++m_at;
            }
            if (out != nullptr) out->append(m_s.substr(runStart, m_at - runStart));
            if (m_at == m_s.size()) return fail(open, "a string that never ends");
            const auto b = static_cast<unsigned char>(m_s[m_at]);
            if (b == '"') {
                ++m_at;
                return true;
            }
            if (b < 0x20) return fail(m_at, "a control character inside a string");
            if (b >= 0x80) {
                char32_t code = 0;
                const int length = utf8Sequence(m_s.substr(m_at), code);
                if (length == 0) return fail(m_at, "a byte that is not UTF-8");
                if (out != nullptr) out->append(m_s.substr(m_at, length));
                m_at += length;
                continue;
            }
            // An escape.
            const size_t escape = m_at++;
            if (m_at == m_s.size()) return fail(open, "a string that never ends");
            const char e = m_s[m_at++];
            char plain = 0;
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    plain = e;
                    break;
                case 'b':
                    plain = '\b';
                    break;
                case 'f':
                    plain = '\f';
                    break;
                case 'n':
                    plain = '\n';
                    break;
                case 'r':
                    plain = '\r';
                    break;
                case 't':
                    plain = '\t';
                    break;
                case 'u': {
                    char32_t code = 0;
                    if (!hex4(code)) return fail(escape, "\\u needs four hex digits");
                    if (code >= 0xDC00 && code <= 0xDFFF) {
                        return fail(escape, "a low surrogate without a high one");
                    }
                    if (code >= 0xD800 && code <= 0xDBFF) {
                        char32_t second = 0;
                        if (m_s.substr(m_at, 2) != "\\u" || (m_at += 2, !hex4(second)) ||
                            second < 0xDC00 || second > 0xDFFF) {
                            return fail(escape, "a high surrogate without a low one");
                        }
                        code = 0x10000 + ((code - 0xD800) << 10) + (second - 0xDC00);
                    }
                    if (out != nullptr) appendUtf8(*out, code);
                    continue;
                }
                default:
                    return fail(escape, "an unknown escape");
            }
            if (out != nullptr) out->push_back(plain);
        }
    }

    bool digits() {
        const size_t start = m_at;
        while (m_at < m_s.size() && m_s[m_at] >= '0' && m_s[m_at] <= '9') ++m_at;
        return m_at > start;
    }

    bool number() {
        const size_t start = m_at;
        if (m_s[m_at] == '-') ++m_at;
        if (m_at < m_s.size() && m_s[m_at] == '0') {
            ++m_at;
        } else if (!digits()) {
            return fail(start, "not a JSON value");
        }
        if (m_at < m_s.size() && m_s[m_at] == '.') {
            ++m_at;
            if (!digits()) return fail(m_at, "a number needs digits after '.'", start);
        }
        if (m_at < m_s.size() && (m_s[m_at] == 'e' || m_s[m_at] == 'E')) {
            ++m_at;
            if (m_at < m_s.size() && (m_s[m_at] == '+' || m_s[m_at] == '-')) ++m_at;
            if (!digits()) return fail(m_at, "a number needs digits in its exponent", start);
        }
        return true;
    }

    // One scalar value at m_at: a string, a number, true, false or null.
    bool scalar() {
        const char c = m_s[m_at];
        if (c == '"') return string(nullptr);
        if (c == '-' || (c >= '0' && c <= '9')) return number();
        for (const std::string_view word : {"true", "false", "null"}) {
            if (m_s.substr(m_at, word.size()) == word) {
                m_at += word.size();
                return true;
            }
        }
        return fail(m_at, "not a JSON value");
    }

    // Checks and skips any value, without recursion: `open` holds the closers of the arrays
    // and objects around the current position.
    bool skipValue() {
        std::vector<char> open;
        for (;;) {
            skipBlanks();
            if (m_at == m_s.size()) return fail(m_at, "expected a value");
            const char c = m_s[m_at];
            bool filled = false;  // the value just read is complete
            if (c == '[' || c == '{') {
                if (open.size() == kMaxJsonDepth) {
                    return fail(m_at, "arrays and objects nested too deeply");
                }
                ++m_at;
                const char close = c == '[' ? ']' : '}';
                skipBlanks();
                if (m_at < m_s.size() && m_s[m_at] == close) {
                    ++m_at;
                    filled = true;
                } else {
                    open.push_back(close);
                    if (close == '}' && !memberName()) return false;
                }
            } else {
                if (!scalar()) return false;
                filled = true;
            }
            while (filled) {
                if (open.empty()) return true;
                skipBlanks();
                if (m_at < m_s.size() && m_s[m_at] == ',') {
                    ++m_at;
                    if (open.back() == '}' && !memberName()) return false;
                    filled = false;
                } else if (m_at < m_s.size() && m_s[m_at] == open.back()) {
                    ++m_at;
                    open.pop_back();
                } else {
                    return fail(m_at,
                                open.back() == ']' ? "expected ',' or ']'" : "expected ',' or '}'");
                }
            }
        }
    }

    // A name and its ':' inside a skipped object.
    bool memberName() {
        skipBlanks();
        if (m_at == m_s.size() || m_s[m_at] != '"') return fail(m_at, "expected a name");
        if (!string(nullptr)) return false;
        return expect(':', "expected ':' after the name");
    }

    std::string_view m_s;
    MemberSink& m_sink;
    size_t m_at = 0;
    std::string m_error;
};

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::optional<std::string> readJsonObject(std::string_view line, MemberSink& sink) {
    return Parser(line, sink).run();
}

void appendJsonString(std::string& out, std::string_view text) {
    out.push_back('"');
    size_t at = 0;
    while (at < text.size()) {
        size_t run = at;
        while (run < text.size()) {
            const auto b = static_cast<unsigned char>(text[run]);
            if (b < 0x20 || b == '"' || b == '\\') break;
            ++run;
        }
        out.append(text.substr(at, run - at));
        if (run == text.size()) break;
        const auto b = static_cast<unsigned char>(text[run]);
        switch (b) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                out += "\\u00";
                out.push_back("0123456789abcdef"[b >> 4]);
                out.push_back("0123456789abcdef"[b & 15]);
        }
        at = run + 1;
    }
    out.push_back('"');
}

std::string excerpt(std::string_view text, std::size_t limit) {
    std::string out;
    size_t at = 0;
    while (at < text.size() && at < limit) {
        const auto b = static_cast<unsigned char>(text[at]);
        char32_t code = 0;
        const int length = utf8Sequence(text.substr(at), code);
        if (length == 0 || b < 0x20 || b == 0x7F) {
            switch (b) {
                case '\n':
                    out += "\\n";
                    break;
                case '\r':
                    out += "\\r";
                    break;
                case '\t':
                    out += "\\t";
                    break;
                default:
                    out += "\\x";
                    out.push_back(kHex[b >> 4]);
                    out.push_back(kHex[b & 15]);
            }
            ++at;
            continue;
        }
        if (b == '\\' || b == '"') {
            out.push_back('\\');
            out.push_back(static_cast<char>(b));
        } else if (isInvisibleFormat(code)) {
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(code >> shift) & 15]);
        } else {
            out.append(text.substr(at, length));
        }
        at += length;
    }
    if (at < text.size()) out += "…";
    return out;
}

}  // namespace tavorin
