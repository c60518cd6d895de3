// The drawing of a penstock's profile: the pipe axis against chainage, each block and pier row
// marked with its name, the static water level and the line of static head plus water hammer,
// with scales of chainage and elevation. It is described once, as lines, marks and texts in
// the drawing's own units (pixels at 96 dpi, y downwards), so that the sheet writes it as SVG
// and each window paints the same picture with its toolkit.
#pragma once

#include <string>
#include <vector>

#include "engine/penstock.h"

namespace tavorin {

struct ProfileDrawing {
    struct Point {
        double x = 0, y = 0;
    };
    enum class Stroke {
        Pipe,         // the pipe axis: heavy, black
        StaticLevel,  // the upstream water level: blue, dashed
        HeadLine,     // static head plus water hammer: red
        Frame,        // the frame of the plot: thin, black
        Grid,         // the scales' grid: thin, light grey
    };
    struct Line {
        Stroke stroke;
        std::vector<Point> points;
    };
    enum class Mark {
        Block,  // an anchor block: a filled square on the axis
        Pier,   // a pier row: a triangle under the middle of its span
    };
    struct Marker {
        Mark mark;
        Point at;
        std::string name;
        bool labelled;  // false where the label would run into the one before it
    };
    enum class Anchor { Start, Middle, End };
    struct Text {
        Point at;  // the baseline's start, middle or end
        std::string text;
        Anchor anchor;
    };

    double width = 0, height = 0;
    std::vector<Line> lines;  // in drawing order
    std::vector<Marker> markers;
    std::vector<Text> texts;  // the scales' numbers and the legend
    double labelSize = 11;    // text height of labels and scales
};

// The drawing of `penstock` in a `width` × `height` area.
ProfileDrawing drawProfile(const Penstock& penstock, double width, double height);

// How a marker is drawn around its point, in the drawing's units: a block as a black square
// of side kBlockMarkSide centred on it; a pier as a grey triangle beneath it, its apex 3 and
// its base (8 wide) 10 under the point. Its label, where it has one, begins 4 to the right of
// the point, on a baseline 6 above a block's point or one text height under a pier's
// triangle.
inline constexpr double kBlockMarkSide = 7;
struct MarkShape {
    std::vector<ProfileDrawing::Point> outline;  // a filled polygon
    const char* colour;                          // #rrggbb
    ProfileDrawing::Point label;                 // the start of the label's baseline
};
MarkShape markShape(const ProfileDrawing& drawing, const ProfileDrawing::Marker& marker);

// The drawing as an inline SVG element (UTF-8, well-formed XML), scaled to its container's
// width.
std::string profileSvg(const ProfileDrawing& drawing);

// The colour of a stroke as #rrggbb, and whether it is dashed.
const char* strokeColour(ProfileDrawing::Stroke stroke);
bool strokeDashed(ProfileDrawing::Stroke stroke);
double strokeWidth(ProfileDrawing::Stroke stroke);

// About how wide `text` is at `size`: Chinese characters a full size, others half.
double textWidth(const std::string& text, double size);

}  // namespace tavorin
