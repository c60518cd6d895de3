#include "engine/check.h"

#include <array>
#include <string_view>

#include "engine/calc_context.h"
#include "engine/command.h"
#include "engine/field_io.h"
#include "engine/trace.h"

namespace tavorin {
namespace {

// What a quantity that does not exist shows.
constexpr std::string_view kDash = "—";
constexpr std::string_view kPass = "满足";
constexpr std::string_view kFail = "不满足";

// The values only, for the search of the smallest base: no store, no record.
struct ValueCalc {
    using Num = Real;
    static void group(RecordGroup) {}
    static Num constant(const char*, Real v) { return v; }
    template <class F>
    static auto let(const char*, const char*, F&& compute) {
        return compute();
    }
    static void fixed(const char*, const char*, const char*, std::string_view) {}
};

template <class Cx>
struct CheckCaseOf {
    using Num = typename Cx::Num;
    Num B, L;
    std::optional<Num> Hb, G;
    Num hp;
    std::optional<Num> hG;
    Num hw;
    std::optional<Num> Rj;
    Num Kh, Kc, Kce, K0, K0e, Rke;
    Num fj;
    std::array<Num, 2> X, Y;  // temperature rise, drop
};

// What the rows share; G and U follow B.
template <class Num>
struct BlockOf {
    Num G, hG, U;
};

// The checks a row can fail, in the order the verdict names them.
enum Failed : unsigned { Sliding = 1, Overturning = 2, Eccentricity = 4, Bearing = 8 };
constexpr std::array<std::string_view, 4> kCheckNames = {"抗滑", "抗倾覆", "偏心", "地基应力"};

template <class Num>
struct RowOf {
    Num N, H;
    std::optional<Num> Kc, Ko, e, smax, smin;  // nothing: "—"
    bool sminZero = false;                     // the base partly lifts: σmin is "0"
    unsigned failed = 0;                       // Failed bits
};

struct RowNames {
    const char *x, *y;
    const char *Xa, *E, *Hj, *Nj, *Kc, *Mo, *Mr, *Ko, *M, *ej, *A, *t, *smax, *smin, *ek, *sk, *jg;
    RecordGroup group;
    bool seismic;
};

constexpr std::array<RowNames, 4> kRows = {{
    {"x1", "y1",  "Xa1", "E1", "Hj1",   "Nj1",   "Kc1", "Mo1", "Mr1", "Ko1",
     "M1", "ej1", "A1",  "t1", "smax1", "smin1", "ek1", "sk1", "jg1", RecordGroup::CheckRise,
     false},
    {"x2", "y2",  "Xa2", "E2", "Hj2",   "Nj2",   "Kc2", "Mo2", "Mr2", "Ko2",
     "M2", "ej2", "A2",  "t2", "smax2", "smin2", "ek2", "sk2", "jg2", RecordGroup::CheckDrop,
     false},
    {"x1",     "y1",   "Xa1e", "E1e",  "Hj1e",
     "Nj1e",   "Kc1e", "Mo1e", "Mr1e", "Ko1e",
     "M1e",    "ej1e", "A1e",  "t1e",  "smax1e",
     "smin1e", "ek1e", "sk1e", "jg1e", RecordGroup::CheckRiseSeismic,
     true},
    {"x2",     "y2",   "Xa2e", "E2e",  "Hj2e",
     "Nj2e",   "Kc2e", "Mo2e", "Mr2e", "Ko2e",
     "M2e",    "ej2e", "A2e",  "t2e",  "smax2e",
     "smin2e", "ek2e", "sk2e", "jg2e", RecordGroup::CheckDropSeismic,
     true},
}};

template <class Num>
Num positive(Num x, const char* box) {
    if (!(x.value() > 0)) throw CalcFault{FaultKind::InvalidArgument, box, false, "应大于零"};
    return x;
}

template <class Num>
Num notNegative(Num x, const char* box) {
    if (!(x.value() >= 0)) throw CalcFault{FaultKind::InvalidArgument, box, false, "不能小于零"};
    return x;
}

template <class Cx>
CheckCaseOf<Cx> readCheckCase(Cx& cx) {
    cx.group(RecordGroup::CheckBlock);
    CheckCaseOf<Cx> c;
    c.B = positive(cx.inputStrict("Bjt", "B", "m"), "Bjt");
    c.L = positive(cx.inputStrict("Ljt", "L", "m"), "Ljt");
    c.Hb = cx.optionalInput("Hjt", "Hb", "m");
    if (c.Hb) positive(*c.Hb, "Hjt");
    c.G = cx.optionalInput("Gjt", "G", "t");
    if (c.G) positive(*c.G, "Gjt");
    // A block of no given weight is a prism: its height is needed. Blank, it faults as the
    // strict conversion of a blank text does.
    if (!c.Hb && !c.G) throw CalcFault{FaultKind::TypeMismatch, "Hjt"};
    c.hp = notNegative(cx.inputStrict("hpt", "hp", "m"), "hpt");
    c.hG = cx.optionalInput("hgt", "hG", "m");
    if (c.hG) {
        notNegative(*c.hG, "hgt");
    } else if (c.G) {
        throw CalcFault{FaultKind::TypeMismatch, "hgt"};
    }
    c.hw = notNegative(cx.inputStrict("hwt", "hw", "m"), "hwt");
    c.Rj = cx.optionalInput("Rjt", "[σ]", "t/m²");
    c.Kh = notNegative(cx.inputStrict("Kht", "Kh", ""), "Kht");
    c.Kc = cx.inputStrict("Kct", "[Kc]", "");
    c.Kce = cx.inputStrict("Kcet", "[Kce]", "");
    c.K0 = cx.inputStrict("Kot", "[K0]", "");
    c.K0e = cx.inputStrict("Koet", "[K0e]", "");
    c.Rke = cx.inputStrict("Rket", "η", "");
    c.fj = cx.input("fjt", "fj", "");
    c.X[0] = cx.readBack("x1");
    c.Y[0] = cx.readBack("y1");
    c.X[1] = cx.readBack("x2");
    c.Y[1] = cx.readBack("y2");
    return c;
}

template <class Cx, class Case>
BlockOf<typename Cx::Num> blockOf(Cx& cx, const Case& c, const typename Cx::Num& B) {
    using Num = typename Cx::Num;
    const Num G = c.G ? *c.G : cx.let("G", "镇墩重量 (t)，混凝土容重 2.4 t/m³", [&] {
        return ((2.4 * B) * c.L) * *c.Hb;
    });
    const Num hG =
        c.hG ? *c.hG : cx.let("hG", "重心高度 (m)，棱柱体取半高", [&] { return *c.Hb / 2; });
    const Num U = cx.let("U", "基底扬压力 (t)", [&] { return (c.hw * B) * c.L; });
    return {G, hG, U};
}

template <class Cx, class Case>
RowOf<typename Cx::Num> checkRow(Cx& cx, const Case& c, const typename Cx::Num& B,
                                 const BlockOf<typename Cx::Num>& b, const RowNames& r,
                                 const typename Cx::Num& X, const typename Cx::Num& Y,
                                 const typename Cx::Num& k) {
    using Num = typename Cx::Num;
    cx.group(r.group);
    RowOf<Num> out;
    const Num Xa = cx.let(r.Xa, "水平作用力的大小 (t)", [&] { return abs(X); });
    const Num E = cx.let(r.E, "镇墩地震惯性力 (t)", [&] { return k * b.G; });
    out.H = cx.let(r.Hj, "水平力 H (t)", [&] { return Xa + E; });
    out.N = cx.let(r.Nj, "垂直力 N (t)", [&] { return (b.G + Y) - b.U; });

    // Sliding.
    if (out.H.value() == 0) {
        cx.fixed(r.Kc, "抗滑稳定安全系数", "H = 0：无水平力，抗滑满足", kDash);
    } else {
        out.Kc = cx.let(r.Kc, "抗滑稳定安全系数", [&] { return (c.fj * out.N) / out.H; });
        if (!(out.Kc->value() >= (r.seismic ? c.Kce : c.Kc).value())) out.failed |= Sliding;
    }

    // Overturning about the toe toward which H acts.
    const Num zero = 0;
    const Num Mo = cx.let(r.Mo, "倾覆力矩 (t·m)", [&] {
        return ((Xa * c.hp) + (E * b.hG)) + ((b.U + max(-Y, zero)) * (B / 2));
    });
    const Num Mr = cx.let(r.Mr, "抗倾覆力矩 (t·m)", [&] { return (b.G + max(Y, zero)) * (B / 2); });
    if (Mo.value() == 0) {
        cx.fixed(r.Ko, "抗倾覆稳定安全系数", "倾覆力矩为 0：抗倾覆满足", kDash);
    } else {
        out.Ko = cx.let(r.Ko, "抗倾覆稳定安全系数", [&] { return Mr / Mo; });
        if (!(out.Ko->value() >= (r.seismic ? c.K0e : c.K0).value())) out.failed |= Overturning;
    }

    // Eccentricity and bearing pressure.
    const Num M = cx.let(r.M, "对基底中心的力矩 (t·m)", [&] { return (Xa * c.hp) + (E * b.hG); });
    if (out.N.value() <= 0) {
        const char* lifted = "N ≤ 0：基底全部脱开";
        cx.fixed(r.ej, "偏心距 (m)", lifted, kDash);
        cx.fixed(r.smax, "最大基底应力 (t/m²)", lifted, kDash);
        cx.fixed(r.smin, "最小基底应力 (t/m²)", lifted, kDash);
        out.failed |= Eccentricity;
        if (c.Rj) out.failed |= Bearing;
        return out;
    }
    const Num e = cx.let(r.ej, "偏心距 (m)", [&] { return M / out.N; });
    out.e = e;
    const Num A = cx.let(r.A, "基底面积 (m²)", [&] { return B * c.L; });
    if (e.value() <= (B / 6).value()) {
        const Num t = cx.let(r.t, "e ≤ B/6：基底全部受压", [&] { return (6 * e) / B; });
        out.smax = cx.let(r.smax, "最大基底应力 (t/m²)", [&] { return (out.N / A) * (1 + t); });
        out.smin = cx.let(r.smin, "最小基底应力 (t/m²)", [&] { return (out.N / A) * (1 - t); });
    } else if (e.value() < (B / 2).value()) {
        out.smax = cx.let(r.smax, "最大基底应力 (t/m²)，B/6 < e < B/2：基底部分脱开",
                          [&] { return (2 * out.N) / ((3 * c.L) * ((B / 2) - e)); });
        cx.fixed(r.smin, "最小基底应力 (t/m²)", "基底部分脱开：σmin 取 0", "0");
        out.sminZero = true;
    } else {
        const char* overturns = "e ≥ B/2：镇墩倾覆";
        cx.fixed(r.smax, "最大基底应力 (t/m²)", overturns, kDash);
        cx.fixed(r.smin, "最小基底应力 (t/m²)", overturns, kDash);
    }
    const Num ek = r.seismic ? cx.let(r.ek, "地震时允许偏心距 (m)", [&] { return B / 4; })
                             : cx.let(r.ek, "允许偏心距 (m)", [&] { return B / 6; });
    if (!(e.value() <= ek.value())) out.failed |= Eccentricity;
    if (c.Rj) {
        if (!out.smax) {
            out.failed |= Bearing;
        } else {
            const Num allowed = r.seismic ? cx.let(r.sk, "地震时地基允许承载力 (t/m²)",
                                                   [&] { return *c.Rj * c.Rke; })
                                          : *c.Rj;
            if (!(out.smax->value() <= allowed.value())) out.failed |= Bearing;
        }
    }
    return out;
}

// A verdict in a buffer of its own: writing it takes no heap string.
class Verdict {
  public:
    explicit Verdict(unsigned failed) {
        if (failed == 0) {
            append(kPass);
            return;
        }
        append(kFail);
        append("：");
        bool first = true;
        for (std::size_t i = 0; i < kCheckNames.size(); ++i) {
            if ((failed & (1u << i)) == 0) continue;
            if (!first) append("、");
            append(kCheckNames[i]);
            first = false;
        }
    }
    std::string_view text() const { return {m_chars.data(), m_size}; }

  private:
    void append(std::string_view part) {
        for (char ch : part) m_chars[m_size++] = ch;
    }
    std::array<char, 64> m_chars{};
    std::size_t m_size = 0;
};

template <class Cx, class Num>
void writeOptional(Cx& cx, const char* box, const std::optional<Num>& x) {
    if (x) {
        cx.write(box, *x);
    } else {
        cx.writeText(box, kDash);
    }
}

template <class Cx>
void writeRow(Cx& cx, const RowNames& r, const RowOf<typename Cx::Num>& row) {
    cx.write(r.Nj, row.N);
    cx.write(r.Hj, row.H);
    writeOptional(cx, r.Kc, row.Kc);
    writeOptional(cx, r.Ko, row.Ko);
    writeOptional(cx, r.ej, row.e);
    writeOptional(cx, r.smax, row.smax);
    if (row.sminZero) {
        cx.writeText(r.smin, "0");
    } else {
        writeOptional(cx, r.smin, row.smin);
    }
    const Verdict verdict(row.failed);
    cx.fixed(r.jg, "结论", "", verdict.text());
    cx.writeText(r.jg, verdict.text());
}

template <class Cx>
void writeEmptyRow(Cx& cx, const RowNames& r) {
    for (const char* box : {r.Nj, r.Hj, r.Kc, r.Ko, r.ej, r.smax, r.smin, r.jg}) {
        cx.writeEmpty(box);
    }
}

Real plain(const Real& x) { return x; }
Real plain(const Traced& x) { return x.real(); }
template <class Num>
std::optional<Real> plain(const std::optional<Num>& x) {
    if (!x) return std::nullopt;
    return plain(*x);
}

template <class Cx>
CheckCaseOf<ValueCalc> valuesOf(const CheckCaseOf<Cx>& c) {
    CheckCaseOf<ValueCalc> v;
    v.B = plain(c.B);
    v.L = plain(c.L);
    v.Hb = plain(c.Hb);
    v.G = plain(c.G);
    v.hp = plain(c.hp);
    v.hG = plain(c.hG);
    v.hw = plain(c.hw);
    v.Rj = plain(c.Rj);
    v.Kh = plain(c.Kh);
    v.Kc = plain(c.Kc);
    v.Kce = plain(c.Kce);
    v.K0 = plain(c.K0);
    v.K0e = plain(c.K0e);
    v.Rke = plain(c.Rke);
    v.fj = plain(c.fj);
    for (std::size_t i = 0; i < 2; ++i) {
        v.X[i] = plain(c.X[i]);
        v.Y[i] = plain(c.Y[i]);
    }
    return v;
}

bool seismicRows(const CheckCaseOf<ValueCalc>& c) { return c.Kh.value() != 0; }

// The smallest B = n / 10, n = 1 … 1000, at which every row passes, the other inputs
// unchanged; a fault at a trial B counts as not passing.
std::optional<Real> smallestBase(const CheckCaseOf<ValueCalc>& c) {
    ValueCalc v;
    const std::size_t rows = seismicRows(c) ? 4 : 2;
    for (int n = 1; n <= 1000; ++n) {
        const Real B = Real(n) / Real(10);
        try {
            const BlockOf<Real> block = blockOf(v, c, B);
            bool passes = true;
            for (std::size_t i = 0; i < rows && passes; ++i) {
                const RowNames& r = kRows[i];
                const Real k = r.seismic ? c.Kh : Real(0);
                passes = checkRow(v, c, B, block, r, c.X[i % 2], c.Y[i % 2], k).failed == 0;
            }
            if (passes) return B;
        } catch (const CalcFault&) {
            // Not passing.
        }
    }
    return std::nullopt;
}

template <class Cx>
void runCheck(Cx& cx) {
    using Num = typename Cx::Num;
    const CheckCaseOf<Cx> c = readCheckCase(cx);
    const BlockOf<Num> block = blockOf(cx, c, c.B);
    cx.write("Gj", block.G);
    const bool seismic = c.Kh.value() != 0;
    bool passes = true;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const RowNames& r = kRows[i];
        if (r.seismic && !seismic) {
            writeEmptyRow(cx, r);
            continue;
        }
        const Num k = r.seismic ? c.Kh : cx.constant("k", 0);
        const RowOf<Num> row = checkRow(cx, c, c.B, block, r, c.X[i % 2], c.Y[i % 2], k);
        writeRow(cx, r, row);
        passes = passes && row.failed == 0;
    }
    cx.group(RecordGroup::CheckVerdict);
    const std::string_view verdict = passes ? kPass : kFail;
    cx.fixed("jg", "稳定验算结论", "", verdict);
    cx.writeText("jg", verdict);

    const char* meaning = "满足各项验算的最小基底长度 (m)";
    if (c.G) {
        cx.fixed("Bmin", meaning, "给出了镇墩重量 G：不求最小基底长度", kDash);
        cx.writeText("Bmin", kDash);
    } else if (const std::optional<Real> found = smallestBase(valuesOf(c))) {
        cx.writeFound("Bmin", meaning, "B = n ÷ 10（n = 1 … 1000）中各行均满足的最小者", *found);
    } else {
        cx.fixed("Bmin", meaning, "B = n ÷ 10（n = 1 … 1000）均不能使各行满足", kDash);
        cx.writeText("Bmin", kDash);
    }
}

}  // namespace

std::optional<Fault> checkStability(FieldStore& store, std::string_view separator) {
    return runPlainCommand(store, separator, [](auto& cx) { runCheck(cx); });
}

std::optional<Fault> checkStability(FieldStore& store, CalcRecord& record,
                                    std::string_view separator) {
    return runRecordedCommand(store, record, separator, [](auto& cx) { runCheck(cx); });
}

}  // namespace tavorin
