// Writes generated tavorin-calc input lines to standard output: a parameter study of heads,
// angles, turning angles and both structures, mixed with odd texts, texts that stop the
// command at a fault, JSON escapes, and lines that are rejected.
//
//   tavorin_make_cases [COUNT [SEED]]    (100000 lines, seed 20261208)
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

std::mt19937 generator;  // one stream, so the lines depend only on the seed

int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator); }

template <class T, std::size_t N>
const T& pickOf(const T (&items)[N]) {
    return items[pick(static_cast<int>(N))];
}

const char* const kInputs[] = {"HSt", "DDt", "L1t", "L2t", "Dt",  "DA1t", "DA2t",
                               "Vt",  "b1t", "b2t", "ft",  "fgt", "fjt",  "DSt",
                               "H1t", "H2t", "D1t", "D2t", "DHt", "kkt",  "spjText"};

// Texts as users type them, and JSON spellings of them.
const char* const kOddTexts[] = {
    "",
    " 1 52",
    "1.5m",
    "&H1F",
    "&o17",
    "1e2",
    "2D3",
    "abc",
    "0,6",
    "-10.30",
    "\\t3.8\\n",
    "  0.014  ",
    "1e400",
    "1e-400",
    "-0",
    "+7",
    ".5",
    "5.",
    "\\u0031\\u0035\\u0032",
    "1\\\"",
    "\\\\",
    "\\/2",
    "１５２",
    "1e308",
    "9.99e307",
    "0.0000001",
    "1E+15",
    "123456789012345678901234567890",
    "35.75",
    "-0.000",
    "&HFFFFFFFFFFFFFFFFFFFF",
    "1d-3",
    "\\ud83d\\ude00",
};

std::string number(double low, double high, int decimals) {
    const double v = std::uniform_real_distribution<double>(low, high)(generator);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string study(int i) {
    std::string line =
        "{\"HSt\": \"" + number(50, 400, pick(3)) + "\", \"DA1t\": \"" + std::to_string(pick(71)) +
        "." + std::to_string(pick(60)) + "\", \"DA2t\": \"" + std::to_string(pick(71)) +
        "\", \"spjText\": \"" + std::to_string(pick(46) - 10) + "\", \"kj\": \"" +
        (i % 4 == 0 ? "支墩" : "镇墩") + "\", \"k\": \"" + (i % 2 == 0 ? "上侧" : "下侧") +
        "\", \"D1t\": \"" + number(0.5, 2, 2) + "\"";
    if (pick(3) == 0) line += ", \"Vt\": \"" + number(0, 12, 1) + "\"";
    if (pick(4) == 0) line += ", \"Text1\": \"" + std::string(pick(2) ? "镇墩 7号" : "B-12") + "\"";
    return line + "}";
}

std::string oddCase() {
    std::string line = "{";
    const int fields = 1 + pick(5);
    for (int f = 0; f < fields; ++f) {
        if (f > 0) line += pick(2) ? ", " : ",";
        line += "\"" + std::string(pickOf(kInputs)) + "\":" + (pick(2) ? " " : "") + "\"" +
                pickOf(kOddTexts) + "\"";
    }
    return line + "}";
}

std::string faultCase() {
    const char* const lines[] = {
        R"({"fjt": "0"})",
        R"({"fjt": "", "kj": "支墩"})",
        R"({"spjText": ""})",
        R"({"spjText": "abc"})",
        R"({"spjText": "1e39"})",
        R"({"HSt": "1e308"})",
        R"({"DHt": "1e39"})",
        R"({"Dt": "1e200", "DDt": "1e200"})",
        R"({"x1": "not a number", "kj": "支墩", "fjt": "0"})",
        R"({"spjText": "899.998291", "kkt": "2.7143332401447817", "DA2t": "35"})",
    };
    return pickOf(lines);
}

std::string rejectedLine() {
    const char* const lines[] = {
        "",
        "   ",
        "[]",
        "\"text\"",
        R"({"HS": "152"})",
        R"({"Label25": "x"})",
        R"({"HSt": 152})",
        R"({"HSt": null})",
        R"({"HSt": ["1"]})",
        R"({"HSt": "152")",
        R"({"HSt": "152"} x)",
        R"({"HSt": "15)"
        "\x01"
        R"(2"})",
        R"({"HSt": "1\q"})",
        R"({"HSt": "152", "HSt": 1})",
        "{\"Text1\": \"\xff\xfe\"}",
        R"({"HSt": "\ud800"})",
        "{,}",
        R"({"a11text": "1", "unknown": "2"})",
    };
    return pickOf(lines);
}

}  // namespace

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    generator.seed(argc > 2 ? static_cast<unsigned>(std::atol(argv[2])) : 20261208u);
    std::string out;
    for (long i = 0; i < count; ++i) {
        const int kind = pick(100);
        std::string line = kind < 70   ? study(static_cast<int>(i))
                           : kind < 88 ? oddCase()
                           : kind < 95 ? faultCase()
                                       : rejectedLine();
        // Some lines end in CR LF, as files written on Windows do.
        line += pick(50) == 0 ? "\r\n" : "\n";
        out += line;
        if (out.size() > (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), stdout);
            out.clear();
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
