#include "window/fonts.h"

#include <algorithm>

namespace tavorin {
namespace {

bool sameName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::string chooseFace(std::span<const std::string> installed,
                       std::span<const std::string> chinese) {
    for (std::string_view preferred : kPreferredFaces) {
        for (const std::string& face : installed) {
            if (sameName(face, preferred)) return face;
        }
    }
    for (const std::string& face : chinese) {
        if (!face.empty() && face.front() != '@') return face;
    }
    return {};
}

}  // namespace tavorin
