#include "sheet/case_reader.h"

#include <nlohmann/json.hpp>

namespace tavorin {
namespace {

using Json = nlohmann::json;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

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

// The offset of the first byte of `s` that does not start or continue well-formed UTF-8,
// or npos.
size_t firstNonUtf8(std::string_view s) {
    size_t at = 0;
    while (at < s.size()) {
        if (static_cast<unsigned char>(s[at]) < 0x80) {
            ++at;
            continue;
        }
        char32_t code = 0;
        const int length = utf8Sequence(s.substr(at), code);
        if (length == 0) return at;
        at += static_cast<size_t>(length);
    }
    return std::string_view::npos;
}

constexpr char kHex[] = "0123456789ABCDEF";

// Characters that change how the text around them is shown, or show nothing.
bool isInvisibleFormat(char32_t c) {
    return (c >= 0x80 && c <= 0x9F) || c == 0xAD || c == 0x061C || c == 0x180E ||
           (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

std::string byteText(size_t oneBased) { return "第 " + std::to_string(oneBased) + " 个字节"; }

std::string inQuotes(std::string_view name) { return "“" + excerpt(name) + "”"; }

std::string syntaxError(std::string_view bytes, size_t oneBased) {
    return jsonSyntaxMessage(bytes, oneBased);
}

// nlohmann's SAX events for one case. The top-level value must be an object; its members
// at depth 1 go to the sink; anything deeper is only checked for syntax. The first problem
// is kept, the parse goes on so that an error of the JSON wins over it.
class CaseHandler {
  public:
    CaseHandler(std::string_view bytes, size_t offset, CaseScope scope, CaseSink& sink)
        : m_bytes(bytes), m_offset(offset), m_scope(scope), m_sink(sink) {}

    bool null() { return scalar(); }
    bool boolean(bool) { return scalar(); }
    bool number_integer(Json::number_integer_t) { return scalar(); }
    bool number_unsigned(Json::number_unsigned_t) { return scalar(); }
    bool number_float(Json::number_float_t, const std::string&) { return scalar(); }
    bool binary(Json::binary_t&) { return scalar(); }
    bool string(std::string& text) {
        if (m_depth == 1 && !m_skip) {
            if (m_problem.empty()) m_sink.member(*m_field, text);
            return true;
        }
        return scalar();
    }
    bool start_object(std::size_t) { return open(); }
    bool start_array(std::size_t) {
        if (m_depth == 0) notObject();
        return open();
    }
    bool end_object() { return close(); }
    bool end_array() { return close(); }
    bool key(std::string& name) {
        if (m_depth != 1) return true;
        m_skip = false;
        m_name = name;
        if (!m_problem.empty()) {
            m_skip = true;
            return true;
        }
        // Form1's boxes and the stability check's: its inputs belong to a case file too.
        m_field = findAnyField(name);
        if (m_field == nullptr || m_field->role == FieldRole::Caption) {
            problem(inQuotes(name) + "不是输入框、选择框或结果框的名称。");
        } else if (m_field->role == FieldRole::Output && m_scope == CaseScope::Inputs) {
            problem(inQuotes(name) + "是结果框；算例文件只含输入框和选择框。");
        }
        return true;
    }
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& e) {
        // 406: a number beyond the double range; the position is just past its token.
        if (e.id == 406) {
            const size_t start = position >= token.size() ? position - token.size() + 1 : 1;
            m_error = numberRangeMessage(start + m_offset);
        } else {
            m_error = syntaxError(m_bytes, position + m_offset);
        }
        return false;
    }

    // The message, or empty for a case.
    std::string verdict() {
        if (!m_error.empty()) return m_error;
        return m_problem;
    }

  private:
    void problem(std::string text) {
        if (m_problem.empty()) m_problem = std::move(text);
    }
    void notObject() {
        problem("不是一个 JSON 对象；应为 {\"HSt\": \"152\", \"kj\": \"镇墩\", …}。");
    }
    bool scalar() {
        if (m_depth == 0) notObject();
        if (m_depth == 1 && !m_skip) valueNotText();
        return true;
    }
    void valueNotText() { problem(inQuotes(m_name) + "的值不是文字（应加引号，如 \"152\"）。"); }
    bool open() {
        if (m_depth == 1 && !m_skip) valueNotText();
        ++m_depth;
        return true;
    }
    bool close() {
        --m_depth;
        return true;
    }

    std::string_view m_bytes;  // all of them, byte-order mark included
    size_t m_offset;           // of what the parser reads, in m_bytes
    CaseScope m_scope;
    CaseSink& m_sink;
    size_t m_depth = 0;
    const FieldSpec* m_field = nullptr;  // of the member being read at depth 1
    bool m_skip = false;                 // its value is not wanted
    std::string m_name;
    std::string m_problem;
    std::string m_error;
};

}  // namespace

std::string checkJsonBytes(std::string_view bytes, CasePlace place, std::size_t& offset) {
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        return place == CasePlace::File ? "文件为空。" : "空行。";
    }
    if (const size_t bad = firstNonUtf8(bytes); bad != std::string_view::npos) {
        return "不是 UTF-8 编码的文字（" + byteText(bad + 1) + "）。";
    }
    offset = 0;
    if (place != CasePlace::Line && bytes.starts_with(kByteOrderMark))
        offset = kByteOrderMark.size();
    // The parser would skip a byte-order mark of its own accord: one is read only where the
    // place allows it, and never a second.
    if (bytes.substr(offset).starts_with(kByteOrderMark)) return syntaxError(bytes, offset + 1);
    return {};
}

std::string jsonSyntaxMessage(std::string_view bytes, std::size_t oneBased) {
    if (oneBased > bytes.size()) {
        return "不是有效的 JSON（在" + byteText(oneBased) + "处意外结束）。";
    }
    return "不是有效的 JSON（" + byteText(oneBased) + "处有误，从 \"" +
           excerpt(bytes.substr(oneBased - 1), 16) + "\" 起）。";
}

std::string numberRangeMessage(std::size_t oneBased) {
    return "数值超出范围（" + byteText(oneBased) + "）。";
}

std::string readCase(std::string_view bytes, CaseScope scope, CasePlace place, CaseSink& sink) {
    size_t offset = 0;
    if (std::string message = checkJsonBytes(bytes, place, offset); !message.empty()) {
        return message;
    }
    const std::string_view json = bytes.substr(offset);
    CaseHandler handler(bytes, offset, scope, sink);
    Json::sax_parse(json.begin(), json.end(), &handler);
    return handler.verdict();
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
