#include "cli/flat_line.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <optional>
#include <random>
#include <string>

#include "cli/result_line.h"
#include "engine/calculate.h"
#include "engine/check.h"

namespace tavorin {
namespace {

using Json = nlohmann::ordered_json;

// What a JSON document parser makes of the line: the store it gives, or nothing when the
// line is not an object of known controls to strings.
std::optional<MemoryStore> parsedByDocument(const std::string& line) {
    Json object;
    try {
        object = Json::parse(line);
    } catch (const Json::exception&) {
        return std::nullopt;
    }
    if (!object.is_object()) return std::nullopt;
    MemoryStore store;
    for (const auto& [name, value] : object.items()) {
        const FieldSpec* f = findField(name);
        if (f == nullptr || f->role == FieldRole::Caption || !value.is_string()) {
            return std::nullopt;
        }
        store.replaceText(name, value.get_ref<const std::string&>());
    }
    return store;
}

void expectSameTexts(const MemoryStore& a, const MemoryStore& b) {
    for (const FieldSpec& f : fieldTable()) EXPECT_EQ(a.text(f.name), b.text(f.name)) << f.name;
}

TEST(FlatLine, AcceptsOnlyWhatTheDocumentParserAccepts) {
    const char* const lines[] = {
        R"({})",
        R"(  { }  )",
        "{\"HSt\":\"1\",\t\"Vt\" : \"2\"}\r",
        R"({"HSt": "152", "HSt": "153"})",
        R"({"Text1": "镇墩 7号 😀", "kj": "支墩"})",
        R"({"HSt": "\u0031\u0035\u0032", "Vt": "\t\"\\\/\b\f\n\r"})",
        R"({"Text1": "\ud83d\ude00 \u00e9 \u4e2d \u0000"})",
        R"({"\u0048St": "7"})",
        R"({"x1": "garbage", "a11text": ""})",
        // Rejected by both.
        R"({"HSt": 152})",
        R"({"HSt": null})",
        R"({"HS": "152"})",
        R"({"Label25": "x"})",
        R"({"HSt": "152")",
        R"({"HSt": "152"} x)",
        R"({"HSt": "152",})",
        R"({,})",
        R"([])",
        R"("text")",
        "",
        "{\"HSt\": \"1\x01\"}",
        R"({"HSt": "1\q"})",
        R"({"HSt": "\ud800"})",
        R"({"HSt": "\udc00"})",
        R"({"HSt": "\ud800\u0041"})",
        R"({"HSt": "\u12"})",
        "{\"Text1\": \"\xff\"}",
        "{\"Text1\": \"\xc0\xaf\"}",          // overlong
        "{\"Text1\": \"\xed\xa0\x80\"}",      // an encoded surrogate
        "{\"Text1\": \"\xf4\x90\x80\x80\"}",  // beyond U+10FFFF
        "{\"Text1\": \"\xe4\xb8\"}",          // cut short
        R"({"HSt": "152", "HSt": 1})",
    };
    for (const std::string line : lines) {
        SCOPED_TRACE(line);
        MemoryStore flat;
        std::string scratch;
        const bool accepted = loadFlatLine(line, flat, scratch);
        const std::optional<MemoryStore> document = parsedByDocument(line);
        EXPECT_EQ(accepted, document.has_value());
        if (accepted && document) expectSameTexts(flat, *document);
    }
}

// A line of random bytes from a JSON-heavy alphabet: whatever the flat reader accepts, the
// document parser accepts with the same texts.
TEST(FlatLine, NeverAcceptsMoreOnRandomLines) {
    const std::string pieces[] = {
        "{",   "}",       "\"",           ":",    ",",  " ",       "\\",  "u",       "0",
        "d8",  "HSt",     "Vt",           "kj",   "x1", "Label25", "1",   "\"HSt\"", "\"Vt\":",
        "\\n", "\\u00e9", "\xe4\xb8\xad", "\xff", "\t", "n",       "null"};
    std::mt19937 random(3);
    int accepted = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string line = i % 2 == 0 ? "{\"HSt\":\"" : "";
        const int n = static_cast<int>(random() % 12);
        for (int j = 0; j < n; ++j) line += pieces[random() % std::size(pieces)];
        if (i % 3 == 0) line += "\"}";
        MemoryStore flat;
        std::string scratch;
        if (!loadFlatLine(line, flat, scratch)) continue;
        ++accepted;
        const std::optional<MemoryStore> document = parsedByDocument(line);
        ASSERT_TRUE(document.has_value()) << line;
        expectSameTexts(flat, *document);
    }
    EXPECT_GT(accepted, 100);  // the test reaches accepted lines at all
}

// The result line written directly is the document dump of the same result, with the
// check's boxes after Form1's on a line that ran the check.
TEST(FlatLine, ResultLineIsTheDocumentDump) {
    const char* const texts[] = {"plain", "镇墩", "\"quoted\" \\", "tab\there\nnew\x01\x1f\x7f",
                                 "\xf0\x9f\x98\x80", "",
                                 // Escapes past eight plain bytes, in and between words.
                                 "01234567\"9abcdef\\ghijklmnopqrstu\x1fv 镇墩镇墩镇墩 end"};
    for (const bool check : {false, true}) {
        for (const bool withFault : {false, true}) {
            for (const char* text : texts) {
                SCOPED_TRACE(text);
                MemoryStore store;
                store.replaceText("Text1", text);
                store.replaceText("Bjt", check ? "6" : text);
                store.replaceText("fjt", withFault ? "0" : "0.6");
                std::optional<Fault> fault = calculate(store);
                ASSERT_EQ(fault.has_value(), withFault);
                if (check && !fault) fault = checkStability(store);
                std::string line;
                appendResultLine(line, store, fault, check);

                Json fields = Json::object();
                for (const FieldSpec& f : fieldTable())
                    fields[std::string(f.name)] = store.text(f.name);
                if (check) {
                    for (const FieldSpec& f : checkFieldTable())
                        fields[std::string(f.name)] = store.text(f.name);
                }
                Json result{{"fields", fields}, {"fault", nullptr}};
                if (fault) {
                    result["fault"] =
                        Json{{"kind", faultKindId(fault->kind)}, {"message", fault->message}};
                }
                const std::string dump =
                    result.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
                EXPECT_EQ(line, dump);
                EXPECT_LE(line.size(), resultLineBound(store, fault, check));
            }
        }
    }
}

}  // namespace
}  // namespace tavorin
