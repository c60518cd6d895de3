// random_cases COUNT [SEED]: COUNT input lines for tavorin-calc, the same for the same seed
// on every platform (splitmix64, no standard distributions). Each line sets every numeric
// input and both choice lists; about one box in fifty holds an awkward text (empty,
// letters, blanks, a huge exponent, a hex number, a zero divisor) so that faults and the
// lenient reading are exercised too.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace {

struct Random {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    // 0 … n-1.
    std::uint64_t below(std::uint64_t n) { return next() % n; }
};

struct Range {
    std::string_view name;
    int low, high;  // whole part
};

constexpr Range kRanges[] = {
    {"HSt", 0, 600}, {"DDt", 0, 0},  {"L1t", 0, 300}, {"L2t", 0, 300},    {"Dt", 0, 8},
    {"Vt", 0, 12},   {"b1t", 0, 1},  {"b2t", 0, 1},   {"ft", 0, 1},       {"fgt", 0, 1},
    {"fjt", 0, 1},   {"DSt", 0, 8},  {"H1t", 0, 600}, {"H2t", 0, 600},    {"D1t", 0, 8},
    {"D2t", 0, 8},   {"DHt", 0, 20}, {"kkt", 0, 1},   {"spjText", 0, 90},
};

constexpr std::string_view kAwkward[] = {
    "", "abc", " 1 2 ", "1e400", "-0", "1,5", "&H1F", "0", "1d2", "+.5", "9.99999999999999e307",
};

std::string number(Random& r, int low, int high) {
    const int whole = low + static_cast<int>(r.below(static_cast<std::uint64_t>(high - low + 1)));
    std::string text = std::to_string(whole);
    if (const auto decimals = r.below(7); decimals > 0) {
        text += '.';
        for (std::uint64_t i = 0; i < decimals; ++i) text += static_cast<char>('0' + r.below(10));
    }
    if (r.below(40) == 0) text = "-" + text;
    return text;
}

// Degrees.minutes: 0 to 89 degrees, minutes 00 to 59, or a plain number of degrees.
std::string angle(Random& r) {
    std::string text = std::to_string(r.below(90));
    if (r.below(3) == 0) {
        const auto minutes = r.below(60);
        text += '.';
        text += static_cast<char>('0' + minutes / 10);
        text += static_cast<char>('0' + minutes % 10);
    }
    return text;
}

void field(std::string& line, std::string_view name, std::string_view text) {
    line += line.size() > 1 ? ", \"" : "\"";
    line += name;
    line += "\": \"";
    line += text;
    line += '"';
}

}  // namespace

int main(int argc, char** argv) {
    long count = 0;
    std::uint64_t seed = 8;
    if (argc < 2 ||
        std::from_chars(argv[1], argv[1] + std::string_view(argv[1]).size(), count).ec !=
            std::errc{}) {
        std::fputs("usage: random_cases COUNT [SEED]\n", stderr);
        return 2;
    }
    if (argc > 2) std::from_chars(argv[2], argv[2] + std::string_view(argv[2]).size(), seed);
    Random r{seed};
    std::string line;
    for (long i = 0; i < count; ++i) {
        line.assign(1, '{');
        const auto pick = r.below(20);
        field(line, "kj", pick < 15 ? "镇墩" : pick < 19 ? "支墩" : "其他");
        field(line, "k", r.below(2) == 0 ? "上侧" : "下侧");
        for (const Range& range : kRanges) {
            std::string text = range.name == "DDt"   ? "0.0" + std::to_string(r.below(40) + 5)
                               : range.name == "kkt" ? std::to_string(r.below(2))
                                                     : number(r, range.low, range.high);
            if (r.below(50) == 0) text = kAwkward[r.below(std::size(kAwkward))];
            field(line, range.name, text);
        }
        field(line, "DA1t", angle(r));
        field(line, "DA2t", angle(r));
        line += "}\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return 0;
}
