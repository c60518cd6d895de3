// The batch tool's line handling on arbitrary input: exactly one valid JSON answer line for
// each input line, short safe error lines, the verdict of an independent JSON parser
// respected, and a failing output reported as such.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "engine/fields.h"
#include "fuzz/check.h"

namespace {

using Json = nlohmann::json;

class Source final : public tavorin::ByteSource {
  public:
    Source(std::string_view data, std::size_t chunk) : m_data(data), m_chunk(chunk) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::size_t n = std::min({size, m_chunk, m_data.size()});
        std::copy_n(m_data.data(), n, buffer);
        m_data.remove_prefix(n);
        return static_cast<std::ptrdiff_t>(n);
    }
    std::string failure() const override { return "none"; }

  private:
    std::string_view m_data;
    std::size_t m_chunk;
};

class Sink final : public tavorin::ByteSink {
  public:
    explicit Sink(std::size_t room) : m_room(room) {}
    bool write(std::string_view bytes) override {
        if (bytes.size() > m_room) return false;
        m_room -= bytes.size();
        text.append(bytes);
        return true;
    }
    bool flush() override { return true; }
    std::string failure() const override { return "full"; }
    std::string text;

  private:
    std::size_t m_room;
};

// No raw control character, C1 control or bidirectional formatting character.
bool safeToShow(const std::string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if (b < 0x20 || b == 0x7F) return false;
        if (b == 0xC2 && i + 1 < s.size() && static_cast<unsigned char>(s[i + 1]) < 0xA0) {
            return false;
        }
        if (b == 0xE2 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x80 &&
            static_cast<unsigned char>(s[i + 2]) >= 0xAA &&
            static_cast<unsigned char>(s[i + 2]) <= 0xAE) {
            return false;
        }
        if (b == 0xE2 && i + 2 < s.size() && static_cast<unsigned char>(s[i + 1]) == 0x81 &&
            static_cast<unsigned char>(s[i + 2]) >= 0xA6 &&
            static_cast<unsigned char>(s[i + 2]) <= 0xA9) {
            return false;
        }
    }
    return true;
}

// What an independent parser says of an input line: nothing (it threw on something other
// than syntax), invalid, or valid and acceptable to the tool (an object of strings under
// known names), with the texts to expect.
struct Verdict {
    bool known = false;
    bool valid = false;
    bool acceptable = false;
    Json object;
};

Verdict judge(std::string_view line, bool first) {
    Verdict v;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A byte-order mark is read at the start of the input only; that parser skips one
    // wherever a line starts, and a second one after it.
    constexpr std::string_view bom = "\xEF\xBB\xBF";
    if (first && line.starts_with(bom)) line.remove_prefix(bom.size());
    if (line.starts_with(bom)) return {true, false, false, {}};
    if (line.find_first_not_of(" \t") == std::string_view::npos) return {true, false, false, {}};
    // That parser takes a zero byte for the end of its input.
    if (line.find('\0') != std::string_view::npos) return {};
    try {
        v.object = Json::parse(line);
    } catch (const Json::parse_error&) {
        return {true, false, false, {}};
    } catch (const std::exception&) {
        return {};
    }
    v.known = v.valid = true;
    v.acceptable = v.object.is_object();
    if (v.acceptable) {
        for (const auto& [name, value] : v.object.items()) {
            const tavorin::FieldSpec* f = tavorin::findAnyField(name);
            if (f == nullptr || f->role == tavorin::FieldRole::Caption || !value.is_string()) {
                v.acceptable = false;
            }
        }
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const bool failingSink = data[0] & 1;
    const std::size_t chunk = data[1] % 16 + 1;  // blocks of 1 to 16 bytes from the source
    const std::string_view input(reinterpret_cast<const char*>(data) + 2, size - 2);

    Source source(input, chunk);
    Sink sink(failingSink ? data[0] * 8 : std::string::npos);
    std::string errors;
    const int status = tavorin::runBatch(source, sink, errors);

    std::vector<std::string_view> lines;
    for (std::string_view rest = input; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        lines.push_back(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    std::vector<std::string_view> answers;
    for (std::string_view rest = sink.text; !rest.empty();) {
        const std::size_t end = rest.find('\n');
        FUZZ_CHECK(end != std::string_view::npos, "an answer without its line end");
        answers.push_back(rest.substr(0, end));
        rest.remove_prefix(end + 1);
    }
    if (status == tavorin::kStreamFailed) {
        FUZZ_CHECK(failingSink && !errors.empty() && answers.size() <= lines.size(),
                   "stream failure: %s", errors.c_str());
    } else {
        FUZZ_CHECK(answers.size() == lines.size(), "%zu answers to %zu lines", answers.size(),
                   lines.size());
        FUZZ_CHECK(errors.empty(), "errors: %s", errors.c_str());
    }
    bool anyRejected = false;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        Json answer;
        try {
            answer = Json::parse(answers[i]);
        } catch (const std::exception& e) {
            FUZZ_CHECK(false, "answer %zu is not JSON: %s", i + 1, e.what());
        }
        FUZZ_CHECK(answer.is_object(), "answer %zu is not an object", i + 1);
        const Verdict verdict = judge(lines[i], i == 0);
        if (answer.contains("error")) {
            anyRejected = true;
            const std::string& message = answer["error"].get_ref<const std::string&>();
            FUZZ_CHECK(message.starts_with("第 " + std::to_string(i + 1) + " 行：") &&
                           message.size() < 400 && safeToShow(message),
                       "error line %zu: %s", i + 1, message.c_str());
            FUZZ_CHECK(!verdict.known || !verdict.acceptable, "line %zu rejected: %s", i + 1,
                       message.c_str());
            continue;
        }
        FUZZ_CHECK(!verdict.known || verdict.valid, "invalid line %zu calculated", i + 1);
        // Form1's boxes, and the check's after them on a line that names one of its boxes.
        const std::size_t boxes = answer["fields"].size();
        const std::size_t form1 = tavorin::fieldTable().size();
        FUZZ_CHECK(answer.size() == 2 && answer.contains("fault") &&
                       (boxes == form1 || boxes == form1 + tavorin::checkFieldTable().size()),
                   "answer %zu has the wrong members", i + 1);
        if (verdict.known) {
            bool namesCheck = false;
            for (const auto& item : verdict.object.items()) {
                namesCheck = namesCheck || tavorin::findCheckField(item.key()) != nullptr;
            }
            FUZZ_CHECK((boxes != form1) == namesCheck, "answer %zu: the check's boxes %s", i + 1,
                       namesCheck ? "missing" : "unasked");
        }
        if (verdict.known) {
            for (const auto& [name, value] : verdict.object.items()) {
                if (tavorin::findAnyField(name)->role == tavorin::FieldRole::Output) continue;
                FUZZ_CHECK(answer["fields"][name] == value, "line %zu: %s changed", i + 1,
                           name.c_str());
            }
        }
        // The same line handled alone, and with its ownership handed over, gives the same.
        const std::string again = tavorin::handleLine(lines[i], i + 1).text;
        FUZZ_CHECK(again == answers[i], "line %zu differs when handled alone", i + 1);
    }
    if (status != tavorin::kStreamFailed) {
        FUZZ_CHECK(status == (anyRejected ? tavorin::kLineRejected : tavorin::kAllCalculated),
                   "status %d", status);
    }
    return 0;
}
