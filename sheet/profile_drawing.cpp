#include "sheet/profile_drawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/numeric_text.h"
#include "sheet/sheet.h"

namespace tavorin {
namespace {

// A step of 1, 2 or 5 times a power of ten giving about `wanted` intervals over `range`.
double niceStep(double range, int wanted) {
    if (!(range > 0)) return 1;
    const double raw = range / wanted;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double f : {1.0, 2.0, 5.0}) {
        if (raw <= f * power) return f * power;
    }
    return 10 * power;
}

// Numbers of the drawing, whatever the process's locale: a scale's at most 6 significant
// digits, a coordinate's two decimals.
std::string scaleText(double v) {
    if (std::fabs(v) < 1e-9) v = 0;
    char buffer[32];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 6).ptr;
    return std::string(buffer, end);
}

std::string number(double v) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 2).ptr;
    return std::string(buffer, end);
}

}  // namespace

double textWidth(const std::string& text, double size) {
    double width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        width += length >= 3 ? size : size * 0.55;
        i += length;
    }
    return width;
}

ProfileDrawing drawProfile(const Penstock& penstock, double width, double height) {
    ProfileDrawing d;
    d.width = width;
    d.height = height;
    const double size = d.labelSize;
    const std::vector<Penstock::Point>& points = penstock.points();
    const std::size_t n = points.size();

    // The area of the plot: room on the left for elevations, below for chainages and above
    // for the legend.
    const double left = 58, right = width - 14, top = 26, bottom = height - 34;
    double x0 = points.front().X.value(), x1 = points.back().X.value();
    double z0 = points.front().Z.value(), z1 = z0;
    for (const Penstock::Point& p : points) {
        z0 = std::min(z0, p.Z.value());
        z1 = std::max(z1, p.Z.value());
    }
    std::vector<double> head(n);
    for (std::size_t i = 0; i < n; ++i) {
        head[i] = penstock.Zw.value() +
                  (headAt(penstock, penstock.Zw.value(), penstock.distance(i).value()));
        z0 = std::min(z0, head[i]);
        z1 = std::max(z1, head[i]);
    }
    z0 = std::min(z0, penstock.Zw.value());
    z1 = std::max(z1, penstock.Zw.value());
    const double zPad = std::max((z1 - z0) * 0.06, 1.0);
    z0 -= zPad;
    z1 += zPad;
    const auto px = [&](double x) { return left + (x - x0) / (x1 - x0) * (right - left); };
    const auto py = [&](double z) { return bottom - (z - z0) / (z1 - z0) * (bottom - top); };

    // The scales and their grid.
    const double xStep = niceStep(x1 - x0, 8);
    for (double x = std::ceil(x0 / xStep) * xStep; x <= x1 + xStep * 1e-9; x += xStep) {
        d.lines.push_back({ProfileDrawing::Stroke::Grid, {{px(x), top}, {px(x), bottom}}});
        d.texts.push_back(
            {{px(x), bottom + size + 3}, scaleText(x), ProfileDrawing::Anchor::Middle});
    }
    const double zStep = niceStep(z1 - z0, 6);
    for (double z = std::ceil(z0 / zStep) * zStep; z <= z1 + zStep * 1e-9; z += zStep) {
        d.lines.push_back({ProfileDrawing::Stroke::Grid, {{left, py(z)}, {right, py(z)}}});
        d.texts.push_back(
            {{left - 4, py(z) + size * 0.35}, scaleText(z), ProfileDrawing::Anchor::End});
    }
    d.lines.push_back({ProfileDrawing::Stroke::Frame,
                       {{left, top}, {right, top}, {right, bottom}, {left, bottom}, {left, top}}});
    d.texts.push_back(
        {{(left + right) / 2, height - 4}, "桩号 X（米）", ProfileDrawing::Anchor::Middle});
    d.texts.push_back({{4, top - 8}, "高程（米）", ProfileDrawing::Anchor::Start});

    // The water level, the head line and the pipe axis.
    d.lines.push_back({ProfileDrawing::Stroke::StaticLevel,
                       {{px(x0), py(penstock.Zw.value())}, {px(x1), py(penstock.Zw.value())}}});
    ProfileDrawing::Line headLine{ProfileDrawing::Stroke::HeadLine, {}};
    ProfileDrawing::Line axis{ProfileDrawing::Stroke::Pipe, {}};
    for (std::size_t i = 0; i < n; ++i) {
        headLine.points.push_back({px(points[i].X.value()), py(head[i])});
        axis.points.push_back({px(points[i].X.value()), py(points[i].Z.value())});
    }
    d.lines.push_back(std::move(headLine));
    d.lines.push_back(std::move(axis));

    // The legend, above the plot on the right.
    double legend = right;
    for (const auto& [stroke, text] : {std::pair{ProfileDrawing::Stroke::HeadLine, "静水头加水锤"},
                                       std::pair{ProfileDrawing::Stroke::StaticLevel, "静水位"},
                                       std::pair{ProfileDrawing::Stroke::Pipe, "管轴线"}}) {
        const double w = textWidth(text, size);
        d.texts.push_back({{legend, top - 8}, text, ProfileDrawing::Anchor::End});
        d.lines.push_back({stroke, {{legend - w - 26, top - 12}, {legend - w - 4, top - 12}}});
        legend -= w + 40;
    }

    // The rows along the line; a label that would run into the one before it is left out.
    double labelEnd = -1e300;
    for (const PenstockRow& row : penstock.rows()) {
        const Penstock::Point& p = points[row.point];
        ProfileDrawing::Marker m;
        m.name = row.name;
        if (row.pier) {
            const Penstock::Point& q = points[row.point + 1];
            m.mark = ProfileDrawing::Mark::Pier;
            m.at = {px((p.X.value() + q.X.value()) / 2), py((p.Z.value() + q.Z.value()) / 2)};
        } else {
            m.mark = ProfileDrawing::Mark::Block;
            m.at = {px(p.X.value()), py(p.Z.value())};
        }
        const double labelStart = markShape(d, m).label.x;
        m.labelled = labelStart > labelEnd;
        if (m.labelled) labelEnd = labelStart + textWidth(m.name, size) + 6;
        d.markers.push_back(std::move(m));
    }
    return d;
}

MarkShape markShape(const ProfileDrawing& d, const ProfileDrawing::Marker& m) {
    const double x = m.at.x, y = m.at.y;
    if (m.mark == ProfileDrawing::Mark::Block) {
        const double half = kBlockMarkSide / 2;
        return {{{x - half, y - half},
                 {x + half, y - half},
                 {x + half, y + half},
                 {x - half, y + half}},
                "#000000",
                {x + 4, y - 6}};
    }
    return {
        {{x, y + 3}, {x - 4, y + 10}, {x + 4, y + 10}}, "#606060", {x + 4, y + 10 + d.labelSize}};
}

const char* strokeColour(ProfileDrawing::Stroke stroke) {
    switch (stroke) {
        case ProfileDrawing::Stroke::StaticLevel:
            return "#1f5fbf";
        case ProfileDrawing::Stroke::HeadLine:
            return "#c02020";
        case ProfileDrawing::Stroke::Grid:
            return "#d0d0d0";
        default:
            return "#000000";
    }
}

bool strokeDashed(ProfileDrawing::Stroke stroke) {
    return stroke == ProfileDrawing::Stroke::StaticLevel;
}

double strokeWidth(ProfileDrawing::Stroke stroke) {
    switch (stroke) {
        case ProfileDrawing::Stroke::Pipe:
            return 2.2;
        case ProfileDrawing::Stroke::StaticLevel:
        case ProfileDrawing::Stroke::HeadLine:
            return 1.4;
        default:
            return 0.7;
    }
}

std::string profileSvg(const ProfileDrawing& d) {
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + number(d.width) +
                      " " + number(d.height) +
                      "\" width=\"100%\" role=\"img\" aria-label=\"管线纵剖面\" "
                      "style=\"font-family: SimSun, 'AR PL UMing CN', serif; font-size: " +
                      number(d.labelSize) + "px\">\n";
    for (const ProfileDrawing::Line& line : d.lines) {
        out += "<polyline fill=\"none\" stroke=\"";
        out += strokeColour(line.stroke);
        out += "\" stroke-width=\"" + number(strokeWidth(line.stroke)) + "\"";
        if (strokeDashed(line.stroke)) out += " stroke-dasharray=\"6 3\"";
        out += " points=\"";
        for (const ProfileDrawing::Point& p : line.points)
            out += number(p.x) + "," + number(p.y) + " ";
        out.back() = '"';
        out += "/>\n";
    }
    for (const ProfileDrawing::Marker& m : d.markers) {
        const MarkShape shape = markShape(d, m);
        if (m.mark == ProfileDrawing::Mark::Block) {
            out += "<rect x=\"" + number(shape.outline[0].x) + "\" y=\"" +
                   number(shape.outline[0].y) + "\" width=\"" + scaleText(kBlockMarkSide) +
                   "\" height=\"" + scaleText(kBlockMarkSide) + "\" fill=\"" + shape.colour +
                   "\"/>\n";
        } else {
            out += "<polygon fill=\"" + std::string(shape.colour) + "\" points=\"";
            for (const ProfileDrawing::Point& p : shape.outline)
                out += number(p.x) + "," + number(p.y) + " ";
            out.back() = '"';
            out += "/>\n";
        }
        if (m.labelled) {
            out += "<text x=\"" + number(shape.label.x) + "\" y=\"" + number(shape.label.y) +
                   "\">" + escapeHtml(m.name) + "</text>\n";
        }
    }
    for (const ProfileDrawing::Text& t : d.texts) {
        const char* anchor = t.anchor == ProfileDrawing::Anchor::Start    ? "start"
                             : t.anchor == ProfileDrawing::Anchor::Middle ? "middle"
                                                                          : "end";
        out += "<text x=\"" + number(t.at.x) + "\" y=\"" + number(t.at.y) + "\" text-anchor=\"" +
               anchor + "\">" + escapeHtml(t.text) + "</text>\n";
    }
    out += "</svg>\n";
    return out;
}

}  // namespace tavorin
