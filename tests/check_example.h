// The worked example of the stability check, as the engine's and the windows' tests type it
// and read it back: the default anchor block on a base 6 × 5, 4 high, the bend point 2.5
// above the base, [σ] = 50, Kh = 0.1, and what a hand calculation gives.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace tavorin {

inline const std::map<std::string, std::string> kCheckExampleInputs = {
    {"Bjt", "6"}, {"Ljt", "5"}, {"Hjt", "4"}, {"hpt", "2.5"}, {"Rjt", "50"}, {"Kht", "0.1"}};

inline const std::map<std::string, std::string> kCheckExampleResults = {
    {"Gj", "288"},
    {"Kc1", "1.99559644548481"},
    {"Ko1", "3.04270931788839"},
    {"ej1", "0.75165497683355"},
    {"smax1", "15.0634414339374"},
    {"smin1", "2.13565500132914"},
    {"Kc1e", "1.45526598884597"},
    {"smax1e", "16.9834414339374"},
    {"jg1", "满足"},
    {"jg", "满足"},
    {"Bmin", "5.3"}};

// A block far too small for the default pipes (2 × 2, 1 high, [σ] = 5, Kh = 0.1): every row
// fails every check, so each row's verdict is the longest there is; the screenshots show it.
inline const std::map<std::string, std::string> kFailingBlockInputs = {
    {"Bjt", "2"}, {"Ljt", "2"}, {"Hjt", "1"}, {"hpt", "2.5"}, {"Rjt", "5"}, {"Kht", "0.1"}};

// The widest text the check writes into a result box `name`: a number in the general form
// with 15 digits, a sign and a three-digit exponent; a row's verdict that names all four
// checks (jg1, jg2, jg1e, jg2e); the verdict of all rows (jg).
inline std::string_view widestCheckText(std::string_view name) {
    if (name == "jg") return "不满足";
    if (name.starts_with("jg")) return "不满足：抗滑、抗倾覆、偏心、地基应力";
    return "-1.23456789012346E+308";
}

}  // namespace tavorin
