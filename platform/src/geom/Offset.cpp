// Equidistant offsets of closed regions through Clipper 6.

#include "geom/Offset.h"
#include "geom/detail/Kernel.h"

#include <polyclipping/clipper.hpp>

#include <algorithm>

namespace vlhost::geom {

namespace {

// Sharp corners keep their point out to this many offset distances.
constexpr double kSharpCornerLimit = 1000;

// Integer coordinates a thousand times finer than the sag.
class Scaling {
public:
    explicit Scaling(double sag) : factor_(1000 / std::max(sag, 1e-6)) {}

    ClipperLib::IntPoint toInt(Point p) const
    {
        return {static_cast<ClipperLib::cInt>(std::llround(p.x * factor_)),
                static_cast<ClipperLib::cInt>(std::llround(p.y * factor_))};
    }
    Point toPoint(const ClipperLib::IntPoint& p) const
    {
        return {static_cast<double>(p.X) / factor_, static_cast<double>(p.Y) / factor_};
    }
    double toInt(double length) const { return length * factor_; }

private:
    double factor_;
};

bool usableRing(const Ring& ring)
{
    return ring.size() >= 3 && std::all_of(ring.begin(), ring.end(), [](Point p) { return isFinite(p) && std::abs(p.x) < 1e9 && std::abs(p.y) < 1e9; });
}

// The region the rings bound, nested rings alternating, as Clipper paths oriented outer counter-clockwise.
ClipperLib::Paths regionOf(std::span<const Ring> rings, const Scaling& scaling)
{
    ClipperLib::Paths input;
    for (const Ring& ring : rings) {
        if (!usableRing(ring))
            continue;
        ClipperLib::Path path;
        for (Point p : ring)
            path.push_back(scaling.toInt(p));
        input.push_back(std::move(path));
    }
    ClipperLib::Clipper clipper;
    clipper.AddPaths(input, ClipperLib::ptSubject, true);
    ClipperLib::Paths region;
    clipper.Execute(ClipperLib::ctUnion, region, ClipperLib::pftEvenOdd, ClipperLib::pftEvenOdd);
    return region;
}

Ring ringOf(const ClipperLib::Path& path, const Scaling& scaling, bool counterClockwise)
{
    Ring ring;
    for (const ClipperLib::IntPoint& p : path)
        ring.push_back(scaling.toPoint(p));
    if (ClipperLib::Orientation(path) != counterClockwise)
        std::reverse(ring.begin(), ring.end());
    return ring;
}

// Outer rings counter-clockwise, each followed by its holes clockwise, then the islands inside those holes.
void collect(const ClipperLib::PolyNode& node, const Scaling& scaling, std::vector<Ring>& out)
{
    for (const ClipperLib::PolyNode* outer : node.Childs) {
        out.push_back(ringOf(outer->Contour, scaling, true));
        for (const ClipperLib::PolyNode* hole : outer->Childs)
            out.push_back(ringOf(hole->Contour, scaling, false));
    }
    for (const ClipperLib::PolyNode* outer : node.Childs)
        for (const ClipperLib::PolyNode* hole : outer->Childs)
            collect(*hole, scaling, out);
}

}  // namespace

std::vector<Ring> offsetRings(std::span<const Ring> rings, double distance, Corners corners, double sag)
{
    if (!std::isfinite(distance) || !(sag > 0) || !std::isfinite(sag))
        return {};
    const Scaling scaling(sag);
    const ClipperLib::Paths region = regionOf(rings, scaling);
    const bool round = corners == Corners::Round;
    ClipperLib::ClipperOffset offset(kSharpCornerLimit, scaling.toInt(sag));
    offset.AddPaths(region, round ? ClipperLib::jtRound : ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
    ClipperLib::PolyTree tree;
    offset.Execute(tree, scaling.toInt(distance));
    std::vector<Ring> out;
    collect(tree, scaling, out);
    return out;
}

std::vector<Ring> offsetContours(std::span<const Contour> contours, double distance, Corners corners, double sag)
{
    std::vector<Ring> rings;
    for (const Contour& contour : contours)
        rings.push_back(ringPoints(contour, sag));
    return offsetRings(rings, distance, corners, sag);
}

}  // namespace vlhost::geom
