#include "engine/penstock.h"

#include <utility>

#include "engine/calculate.h"
#include "engine/check.h"
#include "engine/field_io.h"
#include "engine/input_case.h"
#include "engine/numeric_text.h"
#include "engine/trace.h"

namespace tavorin {

const std::string& PointTexts::operator[](std::size_t key) const {
    for (const auto& [k, text] : m_texts) {
        if (k == key) return text;
    }
    static const std::string none;
    return none;
}

std::string& PointTexts::operator[](std::size_t key) {
    for (auto& [k, text] : m_texts) {
        if (k == key) return text;
    }
    if (m_texts.empty()) m_texts.reserve(6);  // a point usually gives X, Z, D, DD and one more
    return m_texts.emplace_back(static_cast<std::uint8_t>(key), std::string()).second;
}

bool operator==(const PointTexts& a, const PointTexts& b) {
    for (std::size_t key = 0; key < kPointKeys.size(); ++key) {
        if (a[key] != b[key]) return false;
    }
    return true;
}

std::optional<std::size_t> lineKeyIndex(std::string_view key) {
    for (std::size_t i = 0; i < kLineKeys.size(); ++i) {
        if (kLineKeys[i] == key) return i;
    }
    return std::nullopt;
}

std::optional<std::size_t> pointKeyIndex(std::string_view key) {
    for (std::size_t i = 0; i < kPointKeys.size(); ++i) {
        if (kPointKeys[i] == key) return i;
    }
    return std::nullopt;
}

std::string_view pointCaption(std::size_t key) {
    if (key < kPointCaptions.size()) return kPointCaptions[key];
    return checkFieldTable()[key - PointKey::Bjt].caption;
}

std::string_view lineDefault(std::size_t key) {
    switch (key) {
        case LineKey::Text1:
            return "管线";
        case LineKey::dHt:
            return "0";
        case LineKey::sjk:
            return kLinearHammer;
        case LineKey::lamt:
            return "0.012";
        case LineKey::jt:
            return "6";
        case LineKey::b1t:
        case LineKey::b2t:
        case LineKey::ft:
        case LineKey::fgt:
        case LineKey::fjt:
            return findField(kLineKeys[key])->defaultText;
        default:
            return {};
    }
}

namespace {

// A quantity's name with the index of its point or span: "X" 3 is "X3".
struct Name {
    const char* stem;
    std::size_t index = kNone;
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::string text() const {
        return index == kNone ? std::string(stem) : stem + std::to_string(index);
    }
};

// The derivation without a record: the numbers and the boxes, nothing else.
class PlainDerive {
  public:
    using Num = Real;
    explicit PlainDerive(FieldIo* io) : m_io(io) {}

    static Num number(Name, const char*, const char*, Real v, std::string_view) { return v; }
    static Num constant(const char*, Real v) { return v; }
    template <class F>
    static Num let(Name, const char*, F&& compute) {
        return compute();
    }
    void write(FieldId box, const Num& x) { m_io->write(box, x); }
    void copy(FieldId box, std::string_view text) { m_io->write(box, text); }

  private:
    FieldIo* m_io;
};

// The derivation with a record: every number of the profile it uses is an input, every
// quantity a step of RecordGroup::Profile, every box written is noted.
class TraceDerive {
  public:
    using Num = Traced;
    TraceDerive(FieldIo& io, CalcRecord& record) : m_io(io), m_record(record) {}

    Num number(Name name, const char* key, const char* unit, Real v, std::string_view text) {
        const std::string symbol = name.text();
        bool seen = false;
        for (const RecordedInput& in : m_record.inputs) seen = seen || in.symbol == symbol;
        if (!seen) {
            m_record.inputs.push_back(
                {key, symbol, unit, std::string(text), generalForm(v.value()), true});
        }
        return Traced::named(symbol, v);
    }
    static Num constant(const char* symbol, Real v) { return Traced::named(symbol, v); }
    template <class F>
    Num let(Name name, const char* meaning, F&& compute) {
        const std::string symbol = name.text();
        Traced result;
        try {
            result = compute();
        } catch (const CalcFault&) {
            if (m_record.faultAt.empty()) m_record.faultAt = symbol;
            throw;
        }
        RecordedStep step;
        step.name = symbol;
        step.meaning = meaning;
        step.group = RecordGroup::Profile;
        step.formula = result.formula();
        step.substitution = result.substitution();
        step.valueText = result.valueText();
        m_record.steps.push_back(std::move(step));
        return Traced::named(symbol, result);
    }
    void write(FieldId box, const Num& x) {
        const std::string text = x.valueText();
        m_io.write(box, text);
        m_record.written.emplace_back(box.name(), text);
        for (auto it = m_record.steps.rbegin(); it != m_record.steps.rend(); ++it) {
            if (it->name == x.name()) {
                it->box = box.name();
                it->boxText = text;
                break;
            }
        }
    }
    void copy(FieldId box, std::string_view text) {
        m_io.write(box, text);
        m_record.written.emplace_back(box.name(), std::string(text));
    }

  private:
    FieldIo& m_io;
    CalcRecord& m_record;
};

// Runs `derive`; a CalcFault it throws names `box` unless it names one already.
template <class F>
decltype(auto) deriving(FieldId box, F&& derive) {
    try {
        return derive();
    } catch (CalcFault& fault) {
        if (fault.box.empty()) fault.box = box.name();
        throw;
    }
}

const std::string& pointText(const Penstock& p, std::size_t point, std::size_t key) {
    return p.texts().points[point][key];
}

// A text that gives a value: not empty and not only blanks.
bool given(std::string_view text) { return !isBlankText(text); }

// The line's text of `key`, or its default.
std::string_view lineText(const Penstock& p, std::size_t key) {
    const std::string& text = p.texts().line[key];
    return given(text) ? std::string_view(text) : lineDefault(key);
}

// A point's text of `key`, or `fallback` when it gives none.
std::string_view pointTextOr(const Penstock& p, std::size_t point, std::size_t key,
                             std::string_view fallback) {
    const std::string& text = pointText(p, point, key);
    return given(text) ? std::string_view(text) : fallback;
}

template <class Cx>
struct SpanOf {
    using Num = typename Cx::Num;
    Num dX, dZ, S, theta;
};

template <class Cx>
typename Cx::Num coordinate(Cx& cx, const Penstock& p, std::size_t point, bool elevation) {
    const Penstock::Point& pt = p.points()[point];
    return elevation ? cx.number({"Z", point}, "Z", "m", pt.Z, pointText(p, point, PointKey::Z))
                     : cx.number({"X", point}, "X", "m", pt.X, pointText(p, point, PointKey::X));
}

// The span from point `from` down to the next.
template <class Cx>
SpanOf<Cx> spanOf(Cx& cx, const Penstock& p, std::size_t from) {
    using Num = typename Cx::Num;
    const Num Xp = coordinate(cx, p, from, false);
    const Num Zp = coordinate(cx, p, from, true);
    const Num Xq = coordinate(cx, p, from + 1, false);
    const Num Zq = coordinate(cx, p, from + 1, true);
    const Num pi = cx.constant("π", PI);
    SpanOf<Cx> s;
    s.dX = cx.let({"ΔX", from}, "管段水平长度", [&] { return Xq - Xp; });
    s.dZ = cx.let({"ΔZ", from}, "管段高差（下降为正）", [&] { return Zp - Zq; });
    s.S = cx.let({"S", from}, "管段斜长", [&] { return pow(pow(s.dX, 2) + pow(s.dZ, 2), 0.5); });
    s.theta = cx.let({"θ", from}, "管段倾角（度）", [&] { return (atan(s.dZ / s.dX) * 180) / pi; });
    return s;
}

template <class N>
N degreesMinutesOf(const N& theta) {
    auto split = [](const N& t) {
        const N m = intFloor(t);
        return m + (((t - m) * 60) / 100);
    };
    // The block splits a negative angle by its magnitude; so is it written.
    return theta.value() < 0 ? -split(-theta) : split(theta);
}

// What every row of the line shares.
template <class Cx>
struct LineOf {
    using Num = typename Cx::Num;
    Num Zw, Q, dH, lambda, Stot, pi;
    bool linear;

    Num hammer(const Num& s) const {
        if (linear) return (dH * s) / Stot;
        return dH;
    }
    Num head(const Num& z, const Num& s) const { return (Zw - z) + hammer(s); }
};

template <class Cx>
LineOf<Cx> lineOf(Cx& cx, const Penstock& p) {
    const auto& t = p.texts().line;
    LineOf<Cx> l;
    l.Zw = cx.number({"Zw"}, "Zwt", "m", p.Zw, t[LineKey::Zwt]);
    l.Q = cx.number({"Q"}, "Qt", "m³/s", p.Q, t[LineKey::Qt]);
    l.linear = p.linearHammer;
    l.dH = cx.number({"dH"}, "dHt", "m", p.dH, lineText(p, LineKey::dHt));
    l.lambda = cx.number({"λ"}, "lamt", "", p.lambda, lineText(p, LineKey::lamt));
    l.Stot = cx.number({"Stot"}, "", "m", p.totalLength(), {});
    l.pi = cx.constant("π", PI);
    return l;
}

// What a block and a pier row both write: the pipe, the velocity, the joint diameter, the
// friction data and the choices.
template <class Cx>
void writePipe(Cx& cx, const Penstock& p, std::size_t pipe, const typename Cx::Num& V) {
    using Num = typename Cx::Num;
    cx.copy("Dt", pointText(p, pipe, PointKey::D));
    cx.copy("DDt", pointText(p, pipe, PointKey::DD));
    cx.write("Vt", V);
    if (const std::string& ds = p.texts().line[LineKey::DSt]; given(ds)) {
        cx.copy("DSt", ds);
    } else {
        const Penstock::Point& pt = p.points()[pipe];
        const Num D = cx.number({"D", pipe}, "D", "m", pt.D, pointText(p, pipe, PointKey::D));
        const Num DD = cx.number({"DD", pipe}, "DD", "m", pt.DD, pointText(p, pipe, PointKey::DD));
        const Num DS = deriving("DSt", [&] {
            return cx.let({"DS"}, "伸缩节直径（D + 2δ）", [&] { return D + (Num(2) * DD); });
        });
        cx.write("DSt", DS);
    }
    cx.copy("b1t", lineText(p, LineKey::b1t));
    cx.copy("b2t", lineText(p, LineKey::b2t));
    cx.copy("ft", lineText(p, LineKey::ft));
    cx.copy("fgt", lineText(p, LineKey::fgt));
    cx.copy("fjt", lineText(p, LineKey::fjt));
}

template <class Cx>
typename Cx::Num velocity(Cx& cx, const LineOf<Cx>& l, const Penstock& p, std::size_t pipe,
                          Name name) {
    using Num = typename Cx::Num;
    const Penstock::Point& pt = p.points()[pipe];
    const Num D = cx.number({"D", pipe}, "D", "m", pt.D, pointText(p, pipe, PointKey::D));
    return cx.let(name, "管内流速", [&] { return (Num(4) * l.Q) / (l.pi * pow(D, 2)); });
}

// The head loss over `length` of the pipe of span `pipe`, with its velocity V.
template <class Cx>
typename Cx::Num headLoss(Cx& cx, const LineOf<Cx>& l, const Penstock& p, std::size_t pipe,
                          const typename Cx::Num& length, const typename Cx::Num& V) {
    using Num = typename Cx::Num;
    const Penstock::Point& pt = p.points()[pipe];
    const Num D = cx.number({"D", pipe}, "D", "m", pt.D, pointText(p, pipe, PointKey::D));
    return cx.let({"DH"}, "上侧管段水头摩擦损失（达西公式）",
                  [&] { return ((l.lambda * length) / D) * (pow(V, 2) / (Num(2) * 9.81)); });
}

// The stability check's inputs: the point's when it gives Bjt, else their defaults.
template <class Cx>
void writeCheckInputs(Cx& cx, const Penstock& p, std::size_t point, bool checked) {
    // The check's inputs are the rows after Form1's, in the order of the point's keys.
    for (std::size_t i = 0; i + PointKey::Bjt < kPointKeys.size(); ++i) {
        const FieldId box = FieldId::atRow(detail::kFormRows + i);
        const std::string_view text =
            checked ? pointTextOr(p, point, PointKey::Bjt + i, box.spec().defaultText)
                    : box.spec().defaultText;
        cx.copy(box, text);
    }
}

template <class Cx>
void deriveBlock(Cx& cx, const Penstock& p, const PenstockRow& row) {
    using Num = typename Cx::Num;
    const std::size_t b = row.point;
    const std::size_t a = b - 1;
    const LineOf<Cx> l = lineOf(cx, p);
    const std::vector<Penstock::Point>& pts = p.points();

    const SpanOf<Cx> u = spanOf(cx, p, a);
    const SpanOf<Cx> w = spanOf(cx, p, b);
    const Num ja = cx.number({"j", a}, "j", "m", pts[a].j, pointText(p, a, PointKey::j));
    const Num jb = cx.number({"j", b}, "j", "m", pts[b].j, pointText(p, b, PointKey::j));
    const Num sa = cx.number({"s", a}, "", "m", p.distance(a), {});

    cx.copy("Text1", row.name);
    cx.copy("kj", kAnchorBlock);
    const Num DA1 = deriving("DA1t", [&] {
        return cx.let({"DA1"}, "上侧管夹角（度.分）", [&] { return degreesMinutesOf(u.theta); });
    });
    cx.write("DA1t", DA1);
    const Num DA2 = deriving("DA2t", [&] {
        return cx.let({"DA2"}, "下侧管夹角（度.分）", [&] { return degreesMinutesOf(w.theta); });
    });
    cx.write("DA2t", DA2);
    const Num L1 =
        deriving("L1t", [&] { return cx.let({"L1"}, "上侧管长", [&] { return u.S - ja; }); });
    cx.write("L1t", L1);
    const Num L2 = cx.let({"L2"}, "下侧管长", [&] { return jb; });
    cx.write("L2t", L2);

    // The pipe of the block: both spans' when they have one diameter, else the reducer's side.
    const bool reducer = pts[a].D.value() != pts[b].D.value();
    const std::string_view side = reducer ? pointTextOr(p, b, PointKey::k, kLowerSide) : kUpperSide;
    const std::size_t pipe = reducer && side == kUpperSide ? b : a;
    cx.copy("D1t", pointText(p, a, PointKey::D));
    cx.copy("D2t", pointText(p, reducer ? b : a, PointKey::D));
    cx.copy("k", side);

    const Num Zb = coordinate(cx, p, b, true);
    const Num Za = coordinate(cx, p, a, true);
    const Num sb = deriving("HSt", [&] {
        return cx.let({"s", b}, "镇墩处距进口的斜距", [&] { return sa + u.S; });
    });
    const Num HS = deriving("HSt", [&] {
        return cx.let({"HS"}, "镇墩处设计水头（静水头加水锤）", [&] { return l.head(Zb, sb); });
    });
    cx.write("HSt", HS);
    const Num H1 = deriving("H1t", [&] {
        const Num zj =
            cx.let({"zj1"}, "上侧伸缩节处管轴高程", [&] { return Za - ((ja / u.S) * u.dZ); });
        const Num sj = cx.let({"sj1"}, "上侧伸缩节距进口的斜距", [&] { return sa + ja; });
        return cx.let({"H1"}, "上侧伸缩节处计算水头", [&] { return l.head(zj, sj); });
    });
    cx.write("H1t", H1);
    const Num H2 = deriving("H2t", [&] {
        const Num zj =
            cx.let({"zj2"}, "下侧伸缩节处管轴高程", [&] { return Zb - ((jb / w.S) * w.dZ); });
        const Num sj = cx.let({"sj2"}, "下侧伸缩节距进口的斜距", [&] { return sb + jb; });
        return cx.let({"H2"}, "下侧伸缩节处计算水头", [&] { return l.head(zj, sj); });
    });
    cx.write("H2t", H2);

    const Num V = deriving("Vt", [&] { return velocity(cx, l, p, pipe, {"V"}); });
    writePipe(cx, p, pipe, V);
    const Num DH = deriving("DHt", [&] {
        const Num Vu = pipe == a ? V : velocity(cx, l, p, a, {"Vu"});
        return headLoss(cx, l, p, a, L1, Vu);
    });
    cx.write("DHt", DH);
    cx.copy("kkt", pointTextOr(p, b, PointKey::kk, "0"));
    cx.copy("spjText", pointTextOr(p, b, PointKey::spj, "0"));
    writeCheckInputs(cx, p, b, row.checked);
}

template <class Cx>
void derivePier(Cx& cx, const Penstock& p, const PenstockRow& row) {
    using Num = typename Cx::Num;
    const std::size_t a = row.point;
    const std::size_t b = a + 1;
    const LineOf<Cx> l = lineOf(cx, p);
    const Penstock::Point& pa = p.points()[a];

    const SpanOf<Cx> span = spanOf(cx, p, a);
    const Num Lz = cx.number({"Lz", a}, "Lz", "m", pa.Lz, pointText(p, a, PointKey::Lz));
    const Num ja = cx.number({"j", a}, "j", "m", pa.j, pointText(p, a, PointKey::j));
    const Num sa = cx.number({"s", a}, "", "m", p.distance(a), {});

    cx.copy("Text1", row.name);
    cx.copy("kj", kSupportPier);
    const Num DA = deriving("DA1t", [&] {
        return cx.let({"DA"}, "管夹角（度.分）", [&] { return degreesMinutesOf(span.theta); });
    });
    cx.write("DA1t", DA);
    cx.write("DA2t", DA);
    cx.write("L1t", Lz);
    cx.write("L2t", Lz);
    cx.copy("D1t", pointText(p, a, PointKey::D));
    cx.copy("D2t", pointText(p, a, PointKey::D));
    cx.copy("k", kUpperSide);

    const Num Za = coordinate(cx, p, a, true);
    const Num Zb = coordinate(cx, p, b, true);
    const Num HS = deriving("HSt", [&] {
        const Num sb = cx.let({"s", b}, "管段下端距进口的斜距", [&] { return sa + span.S; });
        return cx.let({"HS"}, "管段下端的设计水头（静水头加水锤）", [&] { return l.head(Zb, sb); });
    });
    cx.write("HSt", HS);
    const Num H = deriving("H1t", [&] {
        const Num zj =
            cx.let({"zj"}, "伸缩节处管轴高程", [&] { return Za - ((ja / span.S) * span.dZ); });
        const Num sj = cx.let({"sj"}, "伸缩节距进口的斜距", [&] { return sa + ja; });
        return cx.let({"H"}, "伸缩节处计算水头", [&] { return l.head(zj, sj); });
    });
    cx.write("H1t", H);
    cx.write("H2t", H);
    const Num V = deriving("Vt", [&] { return velocity(cx, l, p, a, {"V"}); });
    writePipe(cx, p, a, V);
    const Num DH = deriving("DHt", [&] { return headLoss(cx, l, p, a, Lz, V); });
    cx.write("DHt", DH);
    cx.copy("kkt", "0");
    cx.copy("spjText", "0");
    writeCheckInputs(cx, p, a, false);
}

template <class Cx>
void deriveAny(Cx& cx, const Penstock& p, std::size_t row) {
    const PenstockRow& r = p.rows()[row];
    if (r.pier) {
        derivePier(cx, p, r);
    } else {
        deriveBlock(cx, p, r);
    }
}

// The message of a fault of the derivation: where it arose and why.
Fault derivationFault(const CalcFault& fault) {
    const FieldSpec* field = findAnyField(fault.box);
    const std::string where =
        field == nullptr ? std::string()
                         : "推求“" + std::string(field->caption) + "”（" + fault.box + "）时";
    std::string detail;
    switch (fault.kind) {
        case FaultKind::DivisionByZero:
            detail = "出现以零作除数。";
            break;
        case FaultKind::InvalidArgument:
            detail = "出现负数开非整数次方。";
            break;
        default:
            detail = "计算结果超出数值范围。";
            break;
    }
    return {fault.kind, fault.box, std::string(faultKindName(fault.kind)) + "：" + where + detail};
}

// --- reading the profile

// A span's length and angle without a record, as every derivation computes them.
struct ValueOnly {
    using Num = Real;
    static Num number(Name, const char*, const char*, Real v, std::string_view) { return v; }
    static Num constant(const char*, Real v) { return v; }
    template <class F>
    static Num let(Name, const char*, F&& compute) {
        return compute();
    }
};

std::string inQuotes(std::string_view text) { return "“" + std::string(text) + "”"; }

}  // namespace

struct PenstockReader {
    const PenstockTexts& texts;
    Penstock p;
    ProfileFault fault;
    Real m_jt;

    bool fail(std::optional<std::size_t> point, std::string_view key, const std::string& why) {
        std::string where;
        if (point) {
            where = "第" + std::to_string(*point + 1) + "点" + inQuotes(pointName(*point)) + "：";
        }
        fault = {point, std::string(key), where + why};
        return false;
    }

    std::string pointName(std::size_t i) const { return p.pointName(i); }

    // The strict reading of `text`; `required` when an empty text is missing, else `fallback`.
    bool number(std::optional<std::size_t> point, std::string_view key, std::string_view text,
                Real& out) {
        if (isBlankText(text)) return fail(point, key, "缺少" + inQuotes(key) + "。");
        const Conversion<double> c = convertStrictDouble(text, ".");
        if (c.error == ConversionError::TypeMismatch) {
            return fail(point, key, inQuotes(key) + "中的内容不是数字。");
        }
        if (c.error == ConversionError::Overflow) {
            return fail(point, key, inQuotes(key) + "中的数值超出范围。");
        }
        out = c.value;
        return true;
    }
    bool lineNumber(std::size_t key, Real& out) {
        const std::string& t = texts.line[key];
        return number(std::nullopt, kLineKeys[key],
                      given(t) ? std::string_view(t) : lineDefault(key), out);
    }
    bool pointNumber(std::size_t point, std::size_t key, Real& out) {
        return number(point, kPointKeys[key], texts.points[point][key], out);
    }
    // A number that may be left out: nothing is read then.
    bool optionalNumber(std::size_t point, std::size_t key, Real& out, bool& isGiven) {
        isGiven = given(texts.points[point][key]);
        return !isGiven || pointNumber(point, key, out);
    }
    bool choice(std::optional<std::size_t> point, std::string_view key, std::string_view text,
                std::string_view a, std::string_view b) {
        if (!given(text) || text == a || text == b) return true;
        return fail(point, key, inQuotes(key) + "应为" + inQuotes(a) + "或" + inQuotes(b) + "。");
    }

    bool readLine() {
        const auto& line = texts.line;
        if (!lineNumber(LineKey::Zwt, p.Zw) || !lineNumber(LineKey::Qt, p.Q) ||
            !lineNumber(LineKey::dHt, p.dH) || !lineNumber(LineKey::lamt, p.lambda)) {
            return false;
        }
        if (!choice(std::nullopt, "sjk", line[LineKey::sjk], kLinearHammer, kUniformHammer)) {
            return false;
        }
        p.linearHammer = line[LineKey::sjk] != kUniformHammer;
        if (!lineNumber(LineKey::jt, m_jt)) return false;
        Real unused;
        for (const std::size_t key :
             {LineKey::b1t, LineKey::b2t, LineKey::ft, LineKey::fgt, LineKey::fjt}) {
            if (!lineNumber(key, unused)) return false;
        }
        return !given(line[LineKey::DSt]) || lineNumber(LineKey::DSt, unused);
    }

    bool readPoint(std::size_t i) {
        const bool last = i + 1 == texts.points.size();
        Penstock::Point& pt = p.m_points[i];
        if (!pointNumber(i, PointKey::X, pt.X) || !pointNumber(i, PointKey::Z, pt.Z)) return false;
        if (i > 0 && !(pt.X.value() > p.m_points[i - 1].X.value())) {
            return fail(i, "X",
                        "“X”应大于上一点的桩号 " + generalForm(p.m_points[i - 1].X.value()) + "。");
        }
        if (!last) {
            if (!pointNumber(i, PointKey::D, pt.D) || !pointNumber(i, PointKey::DD, pt.DD)) {
                return false;
            }
            if (!(pt.D.value() > 0)) return fail(i, "D", "“D”应大于零。");
            bool hasJ = false;
            if (!optionalNumber(i, PointKey::j, pt.j, hasJ)) return false;
            if (!hasJ) pt.j = m_jt;
            if (!optionalNumber(i, PointKey::Lz, pt.Lz, pt.hasLz)) return false;
            if (pt.hasLz && !(pt.Lz.value() > 0)) return fail(i, "Lz", "“Lz”应大于零。");
        }
        Real unused;
        bool isGiven = false;
        if (!optionalNumber(i, PointKey::spj, unused, isGiven) ||
            !optionalNumber(i, PointKey::kk, unused, isGiven)) {
            return false;
        }
        return choice(i, "k", texts.points[i][PointKey::k], kUpperSide, kLowerSide);
    }

    bool read() {
        p.m_texts = &texts;
        if (!readLine()) return false;
        const std::size_t n = texts.points.size();
        if (n < 3) {
            return fail(std::nullopt, "points",
                        "管线至少应有 3 个点（现有 " + std::to_string(n) + " 个）。");
        }
        p.m_points.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            if (!readPoint(i)) return false;
        }
        // The inclined distances, from the top, as every row computes them; a joint lies
        // inside its span.
        p.m_distance.reserve(n);
        p.m_distance.assign(1, Real(0));
        ValueOnly cx;
        try {
            for (std::size_t i = 0; i + 1 < n; ++i) {
                const Real S = spanOf(cx, p, i).S;
                const Real j = p.m_points[i].j;
                if (!(j.value() > 0) || !(j.value() < S.value())) {
                    return fail(
                        i, "j",
                        "伸缩节距离“j”应大于 0 且小于本段斜长 " + generalForm(S.value()) + " 米。");
                }
                p.m_distance.push_back(p.m_distance.back() + S);
            }
        } catch (const CalcFault&) {
            return fail(std::nullopt, "points", "管线的长度超出数值范围。");
        }
        std::size_t rows = n - 2;
        for (const Penstock::Point& pt : p.m_points) rows += pt.hasLz ? 1 : 0;
        p.m_rows.reserve(rows);
        for (std::size_t i = 0; i + 1 < n; ++i) {
            if (i > 0) {
                const bool checked = given(texts.points[i][PointKey::Bjt]);
                p.m_rows.push_back({false, i, pointName(i), checked});
            }
            if (p.m_points[i].hasLz) {
                p.m_rows.push_back({true, i, "第" + std::to_string(i) + "跨支墩", false});
            }
        }
        return true;
    }
};

PenstockRead readPenstock(const PenstockTexts& texts) {
    PenstockReader reader{texts, {}, {}, {}};
    if (!reader.read()) return {std::nullopt, std::move(reader.fault)};
    return {std::move(reader.p), {}};
}

std::optional<Fault> deriveRow(const Penstock& penstock, std::size_t row, FieldStore& store) {
    FieldIo io(store, ".");
    PlainDerive cx(&io);
    try {
        deriveAny(cx, penstock, row);
        return std::nullopt;
    } catch (const CalcFault& fault) {
        return fault.kind == FaultKind::FieldAccess ? describeFault(fault) : derivationFault(fault);
    }
}

std::optional<Fault> deriveRow(const Penstock& penstock, std::size_t row, FieldStore& store,
                               CalcRecord& record) {
    record = CalcRecord{};
    record.blockName = penstock.rows()[row].name;
    FieldIo io(store, ".");
    TraceDerive cx(io, record);
    try {
        deriveAny(cx, penstock, row);
        return std::nullopt;
    } catch (const CalcFault& fault) {
        record.fault =
            fault.kind == FaultKind::FieldAccess ? describeFault(fault) : derivationFault(fault);
        return record.fault;
    }
}

std::string Penstock::pointName(std::size_t point) const {
    const std::string& name = m_texts->points[point][PointKey::name];
    return given(name) ? name : std::to_string(point) + "号镇墩";
}

std::optional<Fault> calculateRow(const Penstock& penstock, std::size_t row, FieldStore& store) {
    std::optional<Fault> fault = deriveRow(penstock, row, store);
    if (!fault) fault = calculate(store);
    if (!fault && penstock.rows()[row].checked) fault = checkStability(store);
    return fault;
}

double spanAngle(const Penstock& penstock, std::size_t from) {
    ValueOnly cx;
    try {
        return spanOf(cx, penstock, from).theta.value();
    } catch (const CalcFault&) {
        return 0.0;
    }
}

double headAt(const Penstock& penstock, double z, double s) {
    LineOf<ValueOnly> l;
    l.Zw = penstock.Zw;
    l.dH = penstock.dH;
    l.Stot = penstock.totalLength();
    l.linear = penstock.linearHammer;
    try {
        return l.head(Real(z), Real(s)).value();
    } catch (const CalcFault&) {
        return 0.0;
    }
}

Real degreesMinutes(Real theta) { return degreesMinutesOf(theta); }

}  // namespace tavorin
