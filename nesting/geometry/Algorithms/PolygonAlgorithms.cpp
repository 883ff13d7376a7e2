// Splitting and ordering of open chains of points (fragments) where they
// meet: the step between classifying the edges of overlaid outlines and
// chaining what is kept into rings.
#include "geometry/Polygon.h"

#include <algorithm>

namespace {

NPolygonPtr Piece(const std::vector<NPoint>& points, size_t from, size_t to)
{
    return std::make_shared<NPolygon>(
        NPoint{}, std::vector<NPoint>(points.begin() + static_cast<std::ptrdiff_t>(from),
                                      points.begin() + static_cast<std::ptrdiff_t>(to) + 1));
}

bool ContainsEqualPoint(const std::vector<NPoint>& points, const NPoint& p)
{
    return std::any_of(points.begin(), points.end(), [&](const NPoint& q) { return q == p; });
}

// Splits `fragment` at its inner points that meet an end of another fragment.
void SplitAtNodes(const NPolygonPtr& fragment, const VectorPolygon& fragments, VectorPolygon& pieces,
                  std::vector<NPoint>& nodes)
{
    const std::vector<NPoint>& f = fragment->m_points;
    size_t i0 = 0;
    for (size_t i = 1; i + 1 < f.size(); ++i) {
        for (const NPolygonPtr& other : fragments) {
            if (other == fragment || !(f[i] == other->GetBegPoint() || f[i] == other->GetEndPoint()))
                continue;
            pieces.push_back(Piece(f, i0, i));
            i0 = i;
            nodes.push_back(f[i]);
        }
    }
    if (i0 != 0)
        pieces.push_back(Piece(f, i0, f.size() - 1));
}

}  // namespace

void SortPolygonFragments(VectorPolygon& fragments)
{
    VectorPolygon newFragments;
    VectorPolygon delFragments;
    std::vector<NPoint> nodes;
    for (const NPolygonPtr& fragment : fragments) {
        if (fragment->m_points.size() < 3)
            continue;
        const size_t before = newFragments.size();
        SplitAtNodes(fragment, fragments, newFragments, nodes);
        if (newFragments.size() != before)
            delFragments.push_back(fragment);
    }
    std::erase_if(fragments, [&](const NPolygonPtr& f) {
        return std::find(delFragments.begin(), delFragments.end(), f) != delFragments.end();
    });
    std::vector<NPoint> connects;
    for (const NPolygonPtr& f : fragments) {
        connects.push_back(f->GetBegPoint());
        connects.push_back(f->GetEndPoint());
    }
    VectorPolygon addFragments;
    VectorPolygon midFragments;
    VectorPolygon endFragments;
    for (const NPolygonPtr& piece : newFragments) {
        const NPoint& b = piece->GetBegPoint();
        const NPoint& e = piece->GetEndPoint();
        if (ContainsEqualPoint(nodes, b) && ContainsEqualPoint(nodes, e))
            midFragments.push_back(piece);
        else if (ContainsEqualPoint(connects, b) && ContainsEqualPoint(connects, e))
            addFragments.push_back(piece);
        else
            endFragments.push_back(piece);
    }
    for (const VectorPolygon* group : {&addFragments, &midFragments, &endFragments})
        fragments.insert(fragments.end(), group->begin(), group->end());
}
