// Whether two figures overlap, and how far one may travel towards the other.
// The test uses the control polygons (the gap polygons 0.1 mm inside), so
// figures placed exactly one gap apart touch without overlapping.
#include "model/NestingFigure.h"

#include "host/VarnelAPI.h"

#include <cmath>

namespace {


struct ViewFrame {
    double x = 0.0;
    double y = 0.0;
    double scale = 0.0;
};

ViewFrame FrameOf(const Figure& figure) {
    ViewFrame frame;
    vrnApi::GetViewParams(figure.GetView(), frame.x, frame.y, frame.scale);
    return frame;
}

void OffsetAll(const VectorPolygon& polygons, const NPoint& d) {
    for (const NPolygonPtr& polygon : polygons) {
        polygon->Offset(d);
    }
}

// The first ring lies in one of the holes (all rings after the first) of `holes`.
bool InsideAHole(const VectorPolygon& holes, const NPolygon& ring) {
    for (size_t i = 1; i < holes.size(); ++i) {
        if (holes[i]->CheckContainPoligon(ring, false)) {
            return true;
        }
    }
    return false;
}

bool OutlinesOverlap(const VectorPolygon& a, const VectorPolygon& b) {
    const NPolygon& outerA = *a.front();
    const NPolygon& outerB = *b.front();
    if (!outerA.CheckIntersection(outerB, false) && !outerA.CheckContainPoligon(outerB, false) &&
        !outerB.CheckContainPoligon(outerA, false)) {
        return false;
    }
    return !InsideAHole(a, outerB) && !InsideAHole(b, outerA);
}

}  // namespace

bool Figure::CheckIntersect(FigurePtr other) {
    // A figure is not its own obstacle.
    if (!other || other.get() == this || m_controls.empty() || other->m_controls.empty()) {
        return false;
    }
    const ViewFrame mine = FrameOf(*this);
    const ViewFrame theirs = FrameOf(*other);
    if (mine.scale <= EPS || theirs.scale <= EPS) {
        return false;
    }
    const NPoint d{theirs.x / theirs.scale - mine.x / mine.scale, theirs.y / theirs.scale - mine.y / mine.scale};
    const bool shift = std::fabs(d.x) > EPS || std::fabs(d.y) > EPS;
    if (shift) {
        OffsetAll(other->m_controls, d);
    }
    const bool overlap = OutlinesOverlap(m_controls, other->m_controls);
    if (shift) {
        OffsetAll(other->m_controls, NPoint{-d.x, -d.y});
    }
    // Only an overlap is marked: a clear pair keeps what earlier tests found.
    if (overlap) {
        m_valid = false;
        other->m_valid = false;
    }
    return overlap;
}

double Figure::Distance(const Figure& other, const NPoint& direction) const {
    if (m_poligons.empty() || other.m_poligons.empty() || !m_poligons.front() || !other.m_poligons.front()) {
        return 0.0;
    }
    return m_poligons.front()->Distance(*other.m_poligons.front(), direction, false);
}
