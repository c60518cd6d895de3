// A whole penstock (管线): the longitudinal profile of a line and its common data, from which
// every anchor block's case is derived, so that no engineer derives 21 inputs by hand.
//
// The profile is a list of points (vertices) from the inlet (point 0) down to the valve, each
// with its chainage X and pipe-axis elevation Z, the pipe (D, DD) from it down to the next
// point, the distance j from it down the pipe to its expansion joint, and what the block at it
// needs besides (turning angle, plug, reducer side, stability check). Every interior point is
// an anchor block; a span with a pier spacing Lz adds a support-pier row.
//
// For a span from point p to q, every step one double operation:
//   ΔX = Xq − Xp (> 0), ΔZ = Zp − Zq (the drop), S = √(ΔX² + ΔZ²),
//   θ = atan(ΔZ ÷ ΔX) × 180 ÷ π, with π = 3.1416, so that the block's own conversion back to
//   radians gives atan(ΔZ ÷ ΔX) again.
// s(i) is the inclined distance of point i from the inlet (the S of the spans above it, summed
// from the top), Stot = s(last). The water hammer at distance s is dH × s ÷ Stot ("线性") or dH
// ("均匀"); the head at elevation z and distance s is (Zw − z) + hammer(s).
//
// A block at point i with the span u above it and w below it gets
//   DA1t, DA2t  θ of u and w as degrees.minutes: ⌊θ⌋ + (θ − ⌊θ⌋) × 60 ÷ 100; a negative θ
//               (a span that rises) is split by its magnitude and the sign put back, as the
//               block reads a negative angle ("-10.30" is −10.5°)
//   L1t = S(u) − j(i−1), L2t = j(i)
//   Dt, DDt, D1t, D2t, k: the pipe of both spans when D(i−1) = D(i) (k "上侧"); otherwise a
//               reducer D1t = D(i−1), D2t = D(i) on the point's side k, the block's pipe being
//               that of u for "下侧" and of w for "上侧"
//   HSt         the head at the point; H1t, H2t the heads at the upper and the lower joint
//   Vt = 4 × Q ÷ (π × D²); DHt = λ × L1 ÷ Du × Vu² ÷ (2 × 9.81) over the upper span
//   DSt         the line's DSt, or D + 2 × DD of the block's pipe
//   spjText, kkt the point's texts; kj "镇墩"; Text1 the point's name; b1t, b2t, ft, fgt, fjt
//               the line's texts; the check's inputs the point's, when it gives Bjt.
// A pier row of a span stands for its support piers: kj "支墩", both angles θ of the span, both
// lengths Lz, HSt the head at the span's lower point, H1t = H2t the head at its joint, the pipe
// of the span, DHt over Lz, no turn, no plug.
// Every derived number is written as text in the general form (numeric_text.h); texts taken
// from the file (D, DD, spj, kk, the friction data) are written as typed, so a derived case
// saved alone and calculated again gives the same digits.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/fault.h"
#include "engine/fields.h"
#include "engine/real.h"
#include "engine/record.h"

namespace tavorin {

// The line's own keys, in the order of a penstock file.
inline constexpr std::array<std::string_view, 13> kLineKeys = {
    "Text1", "Zwt", "Qt", "dHt", "sjk", "lamt", "jt", "b1t", "b2t", "ft", "fgt", "fjt", "DSt"};
struct LineKey {
    enum : std::size_t { Text1, Zwt, Qt, dHt, sjk, lamt, jt, b1t, b2t, ft, fgt, fjt, DSt };
};

// What the user reads beside each of the line's keys.
inline constexpr std::array<std::string_view, 13> kLineCaptions = {"管线名称",
                                                                   "上游水位(米)",
                                                                   "设计流量(立方米/秒)",
                                                                   "阀门处水锤压力升高(米)",
                                                                   "水锤分布",
                                                                   "沿程阻力系数λ",
                                                                   "伸缩节距镇墩(米)",
                                                                   "上侧伸缩节盘根长(米)",
                                                                   "下侧伸缩节盘根长(米)",
                                                                   "伸缩节摩擦系数",
                                                                   "管壁沿支墩摩擦系数",
                                                                   "镇墩(支墩)与地基摩擦系数",
                                                                   "伸缩节直径(空为 D+2δ)"};

// A point's keys, in the order of a penstock file: its own, then the stability check's inputs
// (check.h) under their box names.
inline constexpr std::array<std::string_view, 24> kPointKeys = {
    "name", "X",   "Z",   "D",   "DD",  "j",   "spj", "kk",  "k",    "Lz",  "Bjt",  "Ljt",
    "Hjt",  "Gjt", "hpt", "hgt", "hwt", "Rjt", "Kht", "Kct", "Kcet", "Kot", "Koet", "Rket"};
struct PointKey {
    enum : std::size_t { name, X, Z, D, DD, j, spj, kk, k, Lz, Bjt };
};

// What the user reads beside a point's own keys; the check's inputs have their boxes'
// captions (checkFieldTable()).
inline constexpr std::array<std::string_view, 10> kPointCaptions = {
    "名称",           "桩号X(米)",    "高程Z(米)", "管径D(米)",  "管壁厚(米)",
    "伸缩节距离(米)", "水平转角(度)", "堵头kk",    "渐变管位置", "支墩间距(米)"};
std::string_view pointCaption(std::size_t key);

// The texts of a penstock as typed, by key. An empty text is a key not given: its default
// applies (a required number is then missing).
// A point's texts by key. Only the keys given are held, so that a line of many thousand points
// stays small (a page of memory costs more to touch than to fill here).
class PointTexts {
  public:
    // The text of `key` (an index of kPointKeys); empty when not given.
    const std::string& operator[](std::size_t key) const;
    // The text of `key`, to be set.
    std::string& operator[](std::size_t key);
    // Every key has the same text in both (an empty text is one not given).
    friend bool operator==(const PointTexts& a, const PointTexts& b);

  private:
    std::vector<std::pair<std::uint8_t, std::string>> m_texts;
};

struct PenstockTexts {
    using Point = PointTexts;
    std::array<std::string, kLineKeys.size()> line;
    std::vector<Point> points;
};

// A key's index in kLineKeys or kPointKeys, or nullopt.
std::optional<std::size_t> lineKeyIndex(std::string_view key);
std::optional<std::size_t> pointKeyIndex(std::string_view key);

// The default text of a line key ("管线", "0", "线性", "0.012", "6", the case's own defaults of
// b1t … fjt); empty for the required Zwt and Qt and for DSt, which is derived.
std::string_view lineDefault(std::size_t key);

// The hammer distributions and the reducer sides a file may name.
inline constexpr std::string_view kLinearHammer = "线性";
inline constexpr std::string_view kUniformHammer = "均匀";

// Why a profile cannot be derived: the first faulty text, naming the point and the key.
struct ProfileFault {
    std::optional<std::size_t> point;  // the point, counted from 0; nothing for the line's data
    std::string key;                   // "Z", "Zwt", or "points"
    std::string message;  // Chinese, e.g. "第3点“2号镇墩”：“Z”中的内容不是数字。"
};

// One row of the line: an anchor block at an interior point, or the support piers of a span.
struct PenstockRow {
    bool pier = false;
    std::size_t point = 0;  // the block's point, or the upper point of the pier's span
    std::string name;       // the block's Text1: the point's name, "n号镇墩", or "第k跨支墩"
    bool checked = false;   // the block's point gives Bjt: the stability check runs
};

// A profile read and checked: its numbers, the inclined distances and its rows in order
// along the line (the pier row of a span between the blocks at its ends).
class Penstock {
  public:
    struct Point {
        Real X, Z, D, DD, j, Lz;
        bool hasLz = false;
    };
    // The point's name, or its default "n号镇墩".
    std::string pointName(std::size_t point) const;

    const PenstockTexts& texts() const { return *m_texts; }
    const std::vector<Point>& points() const { return m_points; }
    const std::vector<PenstockRow>& rows() const { return m_rows; }
    // s(i), the inclined distance of point i from the inlet.
    Real distance(std::size_t point) const { return m_distance[point]; }
    Real totalLength() const { return m_distance.back(); }
    Real Zw, Q, dH, lambda;
    bool linearHammer = true;

  private:
    friend struct PenstockReader;
    const PenstockTexts* m_texts = nullptr;
    std::vector<Point> m_points;
    std::vector<Real> m_distance;
    std::vector<PenstockRow> m_rows;
};

// Reads and checks the texts (numbers by the strict double conversion with "."): the line's
// Zwt and Qt and every point's X and Z are required, and D and DD on every point but the last;
// X strictly increasing; D > 0; every joint inside its span (0 < j < S); Lz > 0 where given;
// sjk and k one of their two texts; at least three points. The first fault is returned. The
// result refers to `texts`, which must outlive it.
struct PenstockRead {
    std::optional<Penstock> penstock;
    ProfileFault fault;
};
PenstockRead readPenstock(const PenstockTexts& texts);

// Writes the case of row `row` into `store`: every input box and choice list of Form1 and
// the check's inputs (the point's, or their defaults for a row that is not checked). Returns
// the fault that stopped the derivation (an overflow), naming the box being derived; the boxes
// derived before it keep their texts.
std::optional<Fault> deriveRow(const Penstock& penstock, std::size_t row, FieldStore& store);

// The same, recording every derived quantity (its formula and values, RecordGroup::Profile)
// and the profile's numbers it used (as inputs) into `record`, cleared first.
std::optional<Fault> deriveRow(const Penstock& penstock, std::size_t row, FieldStore& store,
                               CalcRecord& record);

// What tavorin-calc does with the row's case: the derivation, the calculate command and, on a
// checked row, the stability check after a calculation without a fault. Returns the first
// fault; `store` holds the row's case and results.
std::optional<Fault> calculateRow(const Penstock& penstock, std::size_t row, FieldStore& store);

// θ of the span from point `from` to the next, in degrees (for drawings and tests).
double spanAngle(const Penstock& penstock, std::size_t from);

// The head (Zw − z) + hammer(s) at elevation z and inclined distance s, and the static head
// alone, for drawings.
double headAt(const Penstock& penstock, double z, double s);

// θ in degrees as the degrees.minutes the blocks read (see above).
Real degreesMinutes(Real theta);

}  // namespace tavorin
