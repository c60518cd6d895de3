#include "cli/manual_text.h"

#include <algorithm>
#include <charconv>
#include <vector>

namespace tavorin {
namespace {

// "\ ": a space that never breaks a line, until the line is written.
constexpr char kUnbreakable = '\x01';

struct Special {
    std::string_view name;
    std::string_view text;
};
constexpr Special kSpecials[] = {{"lq", "“"}, {"rq", "”"}, {"aq", "'"}, {"dq", "\""}, {"em", "—"},
                                 {"en", "–"}, {"mu", "×"}, {"S2", "²"}, {"S3", "³"},  {"<=", "≤"},
                                 {">=", "≥"}, {"->", "→"}, {"hy", "-"}, {"bu", "•"},  {"ti", "~"},
                                 {"ha", "^"}, {"*s", "σ"}};

std::string_view special(std::string_view name) {
    for (const Special& s : kSpecials) {
        if (s.name == name) return s.text;
    }
    return name;
}

// The text of `in` with its escapes resolved; fonts leave nothing.
std::string unescape(std::string_view in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (in[i] != '\\' || i + 1 == in.size()) {
            out += in[i];
            continue;
        }
        const char e = in[++i];
        const auto bracketed = [&] {  // \[name] or \f[name]: i at '['
            const std::size_t close = in.find(']', i);
            const std::size_t end = close == std::string_view::npos ? in.size() : close;
            const std::string_view name = in.substr(i + 1, end - i - 1);
            i = end;
            return name;
        };
        switch (e) {
            case 'f':
                if (i + 1 < in.size() && in[i + 1] == '[') {
                    ++i;
                    bracketed();
                } else {
                    i += i + 1 < in.size() && in[i + 1] == '(' ? 3 : 1;
                }
                break;
            case '(':
                out += special(in.substr(i + 1, 2));
                i += 2;
                break;
            case '[':
                out += special(bracketed());
                break;
            case 'e':
                out += '\\';
                break;
            case ' ':
            case '~':
                out += kUnbreakable;
                break;
            case '&':
            case '%':
                break;
            case '"':  // a comment to the end of the line
                while (!out.empty() && out.back() == ' ') out.pop_back();
                i = in.size();
                break;
            default:  // \- \\ \. and the like: the character itself
                out += e;
        }
    }
    return out;
}

// The arguments of a request: separated by blanks, a quoted one may hold blanks ("" in it
// is a quote); an escape keeps the character after it in the argument.
std::vector<std::string> arguments(std::string_view in) {
    std::vector<std::string> args;
    std::size_t i = 0;
    for (;;) {
        while (i < in.size() && in[i] == ' ') ++i;
        if (i == in.size()) return args;
        std::string arg;
        if (in[i] == '"') {
            for (++i; i < in.size(); ++i) {
                if (in[i] == '"') {
                    if (i + 1 < in.size() && in[i + 1] == '"') {
                        arg += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                arg += in[i];
            }
        } else {
            for (; i < in.size() && in[i] != ' '; ++i) {
                arg += in[i];
                if (in[i] == '\\' && i + 1 < in.size()) arg += in[++i];
            }
        }
        args.push_back(std::move(arg));
    }
}

std::size_t number(const std::vector<std::string>& args, std::size_t at, std::size_t otherwise) {
    std::size_t n = otherwise;
    if (at < args.size()) std::from_chars(args[at].data(), args[at].data() + args[at].size(), n);
    return n;
}

class Renderer {
  public:
    explicit Renderer(std::size_t width) : m_width(width) {}

    void request(std::string_view name, const std::vector<std::string>& args);
    // A line of text; `fromRequest` when a font request gave it.
    void text(std::string_view raw, bool fromRequest);
    std::string finish() {
        breakLine();
        while (m_out.size() >= 2 && m_out.ends_with("\n\n")) m_out.pop_back();
        return std::move(m_out);
    }

  private:
    void breakLine() {
        if (!m_started) return;
        while (!m_line.empty() && m_line.back() == ' ') m_line.pop_back();
        for (char& c : m_line) c = c == kUnbreakable ? ' ' : c;
        m_out += m_line;
        m_out += '\n';
        m_line.clear();
        m_started = false;
    }
    void space() {
        breakLine();
        if (!m_afterHeading && !m_out.empty() && !m_out.ends_with("\n\n")) m_out += '\n';
    }
    void startLine() {
        m_line.assign(m_indent, ' ');
        m_column = m_indent;
        m_started = true;
        m_fresh = true;
    }
    void word(std::string_view w) {
        const std::size_t width = displayWidth(w);
        if (!m_started) {
            startLine();
        } else if (!m_fresh && m_column + 1 + width > m_width) {
            breakLine();
            startLine();
        }
        if (!m_fresh) {
            m_line += ' ';
            ++m_column;
        }
        m_line += w;
        m_column += width;
        m_fresh = false;
        m_afterHeading = false;
    }
    // A tag at the current margin, the text after it `indent` further in: on the same line
    // when the tag leaves a column free before it.
    void tag(std::string_view text, std::size_t indent) {
        breakLine();
        m_indent = m_margin;
        startLine();
        m_line += text;
        m_column += displayWidth(text);
        m_afterHeading = false;
        m_indent = m_margin + indent;
        if (m_column < m_indent) {
            m_line.append(m_indent - m_column, ' ');
            m_column = m_indent;
        } else {
            breakLine();
        }
    }
    void paragraph() {
        space();
        m_indent = m_margin;
        m_tagNext = false;
    }

    std::size_t m_width;
    std::string m_out;
    std::string m_line;                 // the output line being filled
    std::size_t m_column = 0;           // its width
    bool m_started = false;             // a line is being filled
    bool m_fresh = false;               // and it has no word yet
    std::size_t m_margin = 0;           // of the section, or of .RS
    std::size_t m_indent = 0;           // where the text's lines start
    std::size_t m_tagWidth = 7;         // of .TP and .IP
    bool m_tagNext = false;             // the next text is the tag of .TP
    bool m_fill = true;                 // off between .EX and .EE
    bool m_afterHeading = false;        // nothing yet after a heading: no blank line
    std::vector<std::size_t> m_insets;  // the margins before each .RS
};

void Renderer::request(std::string_view name, const std::vector<std::string>& args) {
    std::string joined;
    for (const std::string& a : args) joined += (joined.empty() ? "" : " ") + a;
    const auto font = [&](bool spaced) {
        std::string t;
        for (const std::string& a : args) t += (spaced && !t.empty() ? " " : "") + a;
        if (!t.empty()) text(t, true);
    };
    if (name == "SH" || name == "SS") {
        const std::string heading = unescape(joined);
        breakLine();
        m_fill = true;
        m_insets.clear();
        m_tagNext = false;
        m_margin = 0;
        if (heading == "NAME") {
            space();
            m_indent = 0;
        } else if (heading == "SYNOPSIS") {
            space();
            tag("Usage:", 7);
            m_margin = 7;
        } else {
            space();
            m_indent = name == "SS" ? 2 : 0;
            word(heading);
            breakLine();
            m_afterHeading = true;  // no blank line before the section's first paragraph
            m_margin = m_indent = 4;
        }
    } else if (name == "PP" || name == "LP" || name == "P") {
        paragraph();
    } else if (name == "TP" || name == "TQ") {
        if (name == "TP") {
            paragraph();
            m_tagWidth = number(args, 0, 7);
        }
        breakLine();
        m_tagNext = true;
    } else if (name == "IP") {
        paragraph();
        m_tagWidth = number(args, 1, 7);
        if (!args.empty() && !args[0].empty()) {
            tag(unescape(args[0]), m_tagWidth);
        } else {
            m_indent = m_margin + m_tagWidth;
        }
    } else if (name == "RS") {
        breakLine();
        m_insets.push_back(m_margin);
        m_margin = m_indent + number(args, 0, m_tagWidth);
        m_indent = m_margin;
    } else if (name == "RE") {
        breakLine();
        if (!m_insets.empty()) {
            m_margin = m_insets.back();
            m_insets.pop_back();
        }
        m_indent = m_margin;
    } else if (name == "EX" || name == "nf") {
        breakLine();
        m_fill = false;
    } else if (name == "EE" || name == "fi") {
        m_fill = true;
    } else if (name == "br") {
        breakLine();
    } else if (name == "sp") {
        space();
    } else if (name == "B" || name == "I") {
        font(true);
    } else if (name == "BR" || name == "RB" || name == "IR" || name == "RI" || name == "BI" ||
               name == "IB") {
        font(false);
    } else if (name == "TH" || name == "nh" || name == "hy" || name == "ad" || name == "mso" ||
               name.empty() || name.starts_with('\\')) {
        // Steers groff only, or a comment.
    } else {
        font(true);
    }
}

void Renderer::text(std::string_view raw, bool fromRequest) {
    const std::string t = unescape(raw);
    if (m_tagNext) {
        m_tagNext = false;
        tag(t, m_tagWidth);
        return;
    }
    if (!m_fill) {
        breakLine();
        startLine();
        m_line += t;
        m_afterHeading = false;
        breakLine();
        return;
    }
    if (t.empty() && !fromRequest) {
        space();
        return;
    }
    if (!fromRequest && t.front() == ' ') breakLine();
    for (std::size_t at = 0; at < t.size();) {
        const std::size_t end = std::min(t.find(' ', at), t.size());
        if (end > at) word(std::string_view(t).substr(at, end - at));
        at = end + 1;
    }
}

}  // namespace

std::size_t displayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t n = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        char32_t cp = n == 1 ? c : c & (0x7F >> n);
        for (std::size_t k = 1; k < n && i + k < text.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        i += n;
        const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0x303E) ||
                          (cp >= 0x3041 && cp <= 0xA4CF) || (cp >= 0xAC00 && cp <= 0xD7A3) ||
                          (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0xFE30 && cp <= 0xFE4F) ||
                          (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6) ||
                          (cp >= 0x1F300 && cp <= 0x1F64F) || (cp >= 0x1F900 && cp <= 0x1F9FF) ||
                          (cp >= 0x20000 && cp <= 0x3FFFD);
        width += wide ? 2 : 1;
    }
    return width;
}

std::string manualText(std::string_view page, std::size_t width) {
    Renderer renderer(width);
    while (!page.empty()) {
        const std::size_t end = std::min(page.find('\n'), page.size());
        const std::string_view line = page.substr(0, end);
        page.remove_prefix(std::min(end + 1, page.size()));
        if (line.starts_with('.') || line.starts_with('\'')) {
            std::string_view rest = line.substr(1);
            while (rest.starts_with(' ')) rest.remove_prefix(1);
            const std::size_t space = std::min(rest.find(' '), rest.size());
            renderer.request(rest.substr(0, space), arguments(rest.substr(space)));
        } else {
            renderer.text(line, false);
        }
    }
    return renderer.finish();
}

}  // namespace tavorin
