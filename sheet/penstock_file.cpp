#include "sheet/penstock_file.h"

#include <new>
#include <nlohmann/json.hpp>
#include <optional>

#include "sheet/case_file.h"
#include "sheet/case_reader.h"

namespace tavorin {
namespace {

using Json = nlohmann::json;

std::string inQuotes(std::string_view text) { return "“" + excerpt(text) + "”"; }

// nlohmann's SAX events for a penstock file: the object at depth 1, the points array at depth
// 2, each point's object at depth 3. The first problem is kept and the parse goes on, so that
// an error of the JSON wins over it; a problem inside a point is worded once the point's name
// is known.
class PenstockHandler {
  public:
    PenstockHandler(std::string_view bytes, std::size_t offset, PenstockTexts& texts)
        : m_bytes(bytes), m_offset(offset), m_texts(texts) {}

    bool null() { return scalar(); }
    bool boolean(bool) { return scalar(); }
    bool number_integer(Json::number_integer_t) { return scalar(); }
    bool number_unsigned(Json::number_unsigned_t) { return scalar(); }
    bool number_float(Json::number_float_t, const std::string&) { return scalar(); }
    bool binary(Json::binary_t&) { return scalar(); }
    bool string(std::string& text) {
        if (m_target != nullptr && m_depth == m_targetDepth) {
            *m_target = std::move(text);
            m_target = nullptr;
            return true;
        }
        return scalar();
    }
    bool start_object(std::size_t) {
        if (m_depth == 2 && m_inPoints) {
            m_texts.points.emplace_back();
        } else if (m_depth != 0) {
            wrongValue();
        }
        ++m_depth;
        return true;
    }
    bool start_array(std::size_t) {
        if (m_depth == 0) {
            notObject();
        } else if (m_depth == 1 && m_key == "points") {
            m_inPoints = true;
            m_texts.points.clear();  // a later "points" replaces an earlier one
        } else {
            wrongValue();
        }
        ++m_depth;
        return true;
    }
    bool end_object() {
        --m_depth;
        return true;
    }
    bool end_array() {
        --m_depth;
        if (m_depth == 1) m_inPoints = false;
        return true;
    }
    bool key(std::string& name) {
        m_target = nullptr;
        if (m_depth == 1) {
            m_key = name;
            m_point.reset();
            if (name == "points") return true;
            if (const auto key = lineKeyIndex(name)) {
                m_target = &m_texts.line[*key];
                m_targetDepth = 1;
            } else {
                problem(std::nullopt, inQuotes(name) + "不是管线文件的键。");
            }
        } else if (m_depth == 3 && m_inPoints) {
            m_key = name;
            m_point = m_texts.points.size() - 1;
            if (const auto key = pointKeyIndex(name)) {
                m_target = &m_texts.points.back()[*key];
                m_targetDepth = 3;
            } else {
                problem(m_point, inQuotes(name) + "不是点的键。");
            }
        }
        return true;
    }
    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& e) {
        // 406: a number beyond the double range; the position is just past its token.
        if (e.id == 406) {
            const std::size_t start = position >= token.size() ? position - token.size() + 1 : 1;
            m_error = numberRangeMessage(start + m_offset);
        } else {
            m_error = jsonSyntaxMessage(m_bytes, position + m_offset);
        }
        return false;
    }

    std::string verdict() const {
        if (!m_error.empty()) return m_error;
        if (!m_problem) return {};
        std::string where;
        if (m_problem->point) {
            // Read only: the point's name if it gave one. A later "points" may have replaced
            // the array the point stood in.
            const std::size_t i = *m_problem->point;
            const std::vector<PointTexts>& points = m_texts.points;
            const std::string name = i < points.size() ? points[i][PointKey::name] : std::string();
            where = "第" + std::to_string(i + 1) + "点" +
                    inQuotes(name.empty() ? std::to_string(i) + "号镇墩" : name) + "：";
        }
        return where + m_problem->text;
    }

  private:
    struct Problem {
        std::optional<std::size_t> point;
        std::string text;
    };
    void problem(std::optional<std::size_t> point, std::string text) {
        if (!m_problem) m_problem = Problem{point, std::move(text)};
    }
    void notObject() {
        problem(
            std::nullopt,
            "不是一个 JSON 对象；应为 {\"Zwt\": \"1030\", \"Qt\": \"12\", \"points\": [{…}, …]}。");
    }
    // A value where a text, the points array or a point was wanted.
    void wrongValue() {
        if (m_depth == 1 && m_key == "points") {
            problem(std::nullopt, "“points”应为点的数组。");
        } else if (m_depth == 1 || m_depth == 3) {
            problem(m_point, inQuotes(m_key) + "的值不是文字（应加引号，如 \"100\"）。");
        } else if (m_depth == 2 && m_inPoints) {
            problem(std::nullopt, "“points”的第 " + std::to_string(m_texts.points.size() + 1) +
                                      " 项不是 JSON 对象。");
        }
    }
    bool scalar() {
        if (m_depth == 0) {
            notObject();
        } else {
            wrongValue();
            if (m_depth == 2 && m_inPoints) m_texts.points.emplace_back();
        }
        m_target = nullptr;
        return true;
    }

    std::string_view m_bytes;
    std::size_t m_offset;
    PenstockTexts& m_texts;
    std::size_t m_depth = 0;
    bool m_inPoints = false;
    std::string m_key;                   // the member being read at depth 1 or 3
    std::optional<std::size_t> m_point;  // the point it belongs to
    std::string* m_target = nullptr;     // where its text goes
    std::size_t m_targetDepth = 0;
    std::optional<Problem> m_problem;
    std::string m_error;
};

// Stops at the first key of the top object: whether it is one only a penstock has.
class SniffHandler : public nlohmann::json_sax<Json> {
  public:
    bool found = false;
    bool null() override { return m_depth > 0; }
    bool boolean(bool) override { return m_depth > 0; }
    bool number_integer(number_integer_t) override { return m_depth > 0; }
    bool number_unsigned(number_unsigned_t) override { return m_depth > 0; }
    bool number_float(number_float_t, const string_t&) override { return m_depth > 0; }
    bool string(string_t&) override { return m_depth > 0; }
    bool binary(binary_t&) override { return m_depth > 0; }
    bool start_object(std::size_t) override {
        ++m_depth;
        return true;
    }
    bool end_object() override { return --m_depth > 0; }
    bool start_array(std::size_t) override { return m_depth++ > 0; }
    bool end_array() override { return --m_depth > 0; }
    bool key(string_t& name) override {
        if (m_depth == 1 && (name == "points" || name == "Zwt")) {
            found = true;
            return false;
        }
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
        return false;
    }

  private:
    std::size_t m_depth = 0;
};

// A JSON string of `text` (valid UTF-8), as the case files write them.
void appendString(std::string& out, std::string_view text) {
    out += Json(std::string(text)).dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

PenstockParse parsePenstock(std::string_view bytes) {
    PenstockParse result;
    try {
        std::size_t offset = 0;
        result.error = checkJsonBytes(bytes, CasePlace::File, offset);
        if (result.error.empty()) {
            const std::string_view json = bytes.substr(offset);
            PenstockHandler handler(bytes, offset, result.texts);
            Json::sax_parse(json.begin(), json.end(), &handler);
            result.error = handler.verdict();
        }
    } catch (const std::bad_alloc&) {
        result.error = "内存不足，无法读取。";
    }
    if (!result.error.empty()) result.texts = {};
    return result;
}

bool looksLikePenstock(std::string_view bytes) {
    std::size_t offset = 0;
    if (!checkJsonBytes(bytes, CasePlace::File, offset).empty()) return false;
    SniffHandler sniff;
    try {
        const std::string_view json = bytes.substr(offset);
        Json::sax_parse(json.begin(), json.end(), &sniff);
    } catch (const std::exception&) {
        return false;
    }
    return sniff.found;
}

std::string penstockJson(const PenstockTexts& texts) {
    std::string out = "{";
    for (std::size_t i = 0; i < kLineKeys.size(); ++i) {
        appendString(out, kLineKeys[i]);
        out += ':';
        appendString(out, texts.line[i]);
        out += ',';
    }
    out += "\"points\":[\n";
    for (std::size_t p = 0; p < texts.points.size(); ++p) {
        out += '{';
        bool first = true;
        for (std::size_t k = 0; k < kPointKeys.size(); ++k) {
            if (texts.points[p][k].empty()) continue;
            if (!first) out += ',';
            first = false;
            appendString(out, kPointKeys[k]);
            out += ':';
            appendString(out, texts.points[p][k]);
        }
        out += p + 1 < texts.points.size() ? "},\n" : "}\n";
    }
    out += "]}\n";
    return out;
}

bool isPenstockFile(const std::string& utf8Path) {
    const FileRead file = readFile(utf8Path, kPenstockFileLimit);
    return file.error.empty() && looksLikePenstock(file.bytes);
}

PenstockParse openPenstockFile(const std::string& utf8Path) {
    const FileRead file = readFile(utf8Path, kPenstockFileLimit, "文件过大，不是管线文件。");
    if (!file.error.empty()) return {{}, file.error};
    PenstockParse parsed = parsePenstock(file.bytes);
    if (!parsed.error.empty()) {
        parsed.error = "文件“" + utf8Path + "”不是管线文件：" + parsed.error;
    }
    return parsed;
}

}  // namespace tavorin
