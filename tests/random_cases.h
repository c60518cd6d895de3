// Random input cases for invariant tests: plausible numbers, odd texts, both structures,
// every reducer side, turning angles that fault, and foundation friction of zero.
#pragma once

#include <map>
#include <random>
#include <string>
#include <vector>

namespace tavorin {

inline std::map<std::string, std::string> randomCase(std::mt19937& random) {
    auto pick = [&](const std::vector<std::string>& texts) {
        return texts[std::uniform_int_distribution<size_t>(0, texts.size() - 1)(random)];
    };
    auto number = [&](double low, double high, int decimals) {
        const double v = std::uniform_real_distribution<double>(low, high)(random);
        std::string text = std::to_string(v);
        const auto point = text.find('.');
        return decimals == 0 ? text.substr(0, point) : text.substr(0, point + 1 + decimals);
    };
    std::map<std::string, std::string> texts;
    texts["HSt"] = number(10, 600, 1);
    texts["DDt"] = number(0.006, 0.05, 3);
    texts["L1t"] = number(1, 120, 2);
    texts["L2t"] = number(1, 120, 2);
    texts["Dt"] = pick({number(0.4, 4, 2), "1", "1.5m"});
    texts["DA1t"] = pick({number(0, 70, 2), "35.30", "-10.30", "0"});
    texts["DA2t"] = pick({number(0, 70, 2), "63", "10.30"});
    texts["Vt"] = pick({number(0, 8, 1), "0", "&H3"});
    texts["D1t"] = pick({"1", number(0.4, 3, 2)});
    texts["D2t"] = pick({"1", number(0.4, 3, 2)});
    texts["kkt"] = pick({"0", "1", "2"});
    texts["DHt"] = pick({"1", number(0, 5, 2), "1e39"});
    texts["fjt"] = pick({"0.6", number(0.3, 0.8, 2), "0", ""});
    texts["spjText"] = pick({"0", number(0, 90, 1), "-15.5", "", "abc", "180"});
    texts["kj"] = pick({"镇墩", "支墩", "abc"});
    texts["k"] = pick({"上侧", "下侧", "中间"});
    texts["Text1"] = pick({"Text1", "3号镇墩", "<b>&\"x\"</b>"});
    return texts;
}

}  // namespace tavorin
