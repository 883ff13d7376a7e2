// Host curves inside a macro turned into straight segments and polygons.
#include "host/NestingMacro.h"

#include "geometry/PointGrid.h"
#include "host/HostAccess.h"
#include "host/TangentialRuns.h"
#include "host/VarnelAPI_Detail.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

double& Tolerance()
{
    return NestingSetting::m_instance.m_tolerance;
}

// The least sag an arc is followed with, whatever the configured one: a
// circle of 5 m keeps to some 5,000 vertices.
constexpr double kLeastArrow = 0.001;  // mm

// A curve's sag is at most this fraction of its radius: a circle becomes a
// polygon of 84 sides or more, whose area is within 0.1 % of the circle's,
// whatever the configured sag.
constexpr double kRelativeSag = 0.0007;

// The smaller side of an ellipse's box from which its chords (each longer
// than a thousandth of it, at the sag above) are all longer than the point
// tolerance, so that no two of them are one.
constexpr double kDistinctChords = 0.1;  // mm

// Half the smaller side of the object's box; 0 when it has none.
double HalfSmallerSide(vlapi::IVarnelDocument2D& doc, const vlapi::IDrawingObjectPtr& obj)
{
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    return doc.GetObjectsBox(hostAccess::ListOf(obj), x1, y1, x2, y2) ? std::min(x2 - x1, y2 - y1) * 0.5 : 0.0;
}

// The sag one curve is approximated with: the configured one, bounded by the
// curve's radius (of a circle or an arc) or by half the smaller side of its
// box (of an ellipse, a spline, ...), so that a small closed curve still
// gives a ring. Objects made of several pieces (polylines, contours,
// equidistants) keep the configured sag.
// `halfSide`: half the smaller side of the object's box, when the caller has it.
double SagFor(vlapi::IVarnelDocument2D& doc, const vlapi::IDrawingObjectPtr& obj, std::optional<double> halfSide = {})
{
    const double sag = Tolerance();
    if (!vrnApi::IsCurveType(obj->GetType()))
        return sag;
    double size = 0.0;
    if (vlapi::ICirclePtr circle{obj})
        size = circle->GetRadius();
    else if (vlapi::IArcPtr arc{obj})
        size = arc->GetRadius();
    else
        size = halfSide ? *halfSide : HalfSmallerSide(doc, obj);
    return std::isfinite(size) && size > 0.0 ? std::min(sag, kRelativeSag * size) : sag;
}

// Sets the configured sag for one scope and puts the previous value back.
class ToleranceScope {
public:
    explicit ToleranceScope(double sag) : m_saved(Tolerance()) { Tolerance() = sag; }
    ~ToleranceScope() { Tolerance() = m_saved; }
    ToleranceScope(const ToleranceScope&) = delete;
    ToleranceScope& operator=(const ToleranceScope&) = delete;

private:
    double m_saved;
};

// A list of segments that takes a segment only when it does not hold it
// already, in either direction; the segments are found by their ends.
class SegmentList {
public:
    // `every`: each segment is taken as it comes, none looked for (the
    // pieces of one curve in their order, which may be shorter than the
    // point tolerance on a small curve and still are not one another).
    explicit SegmentList(std::vector<NSegmentPtr>& segments, bool every = false) : m_segments(segments), m_every(every) {}

    bool Empty() const { return m_segments.empty(); }

    void Offer(const vlapi::ILineSegmentPtr& line)
    {
        if (m_every)
            return Take(line);
        if (!line)
            return;
        auto segment = std::make_shared<NSegment>(NPoint{line->GetX1(), line->GetY1()},
                                                  NPoint{line->GetX2(), line->GetY2()}, 0);
        for (; m_filed < m_segments.size(); ++m_filed) {
            m_ends.Add(m_segments[m_filed]->p1, m_filed);
            m_ends.Add(m_segments[m_filed]->p2, m_filed);
        }
        const bool known = m_ends.FirstNear(segment->p1, [&](size_t i) { return *m_segments[i] == *segment; }) !=
                           PointGrid::kNone;
        if (known)
            return;
        m_segments.push_back(segment);
    }

    // Takes a segment known to be none of those held; it is filed (for the
    // segments offered later) only when one is.
    void Take(const vlapi::ILineSegmentPtr& line)
    {
        if (line)
            m_segments.push_back(std::make_shared<NSegment>(NPoint{line->GetX1(), line->GetY1()},
                                                            NPoint{line->GetX2(), line->GetY2()}, 0));
    }

private:
    std::vector<NSegmentPtr>& m_segments;
    bool m_every = false;
    size_t m_filed = 0;  // segments filed in m_ends
    PointGrid m_ends{EPS};
};

bool BoxOf(vlapi::IVarnelDocument2D& doc, const vlapi::APIObjectList& objects, double& width, double& height)
{
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    if (!doc.GetObjectsBox(objects, x1, y1, x2, y2))
        return false;
    width = x2 - x1;
    height = y2 - y1;
    return true;
}

// The approximation is trusted only when it stays within the object's box
// (w × h). The box of pieces that are all lines is that of their ends.
bool FitsObjectBox(vlapi::IVarnelDocument2D& doc, double w, double h, const vlapi::DrawingObjectList& pieces)
{
    double x1 = INFINITY, y1 = INFINITY, x2 = -INFINITY, y2 = -INFINITY;
    bool lines = !pieces.empty();
    for (const vlapi::IDrawingObjectPtr& piece : pieces) {
        const vlapi::ILineSegmentPtr line{piece};
        if (!line) {
            lines = false;
            break;
        }
        x1 = std::min({x1, line->GetX1(), line->GetX2()}), x2 = std::max({x2, line->GetX1(), line->GetX2()});
        y1 = std::min({y1, line->GetY1(), line->GetY2()}), y2 = std::max({y2, line->GetY1(), line->GetY2()});
    }
    double pw = x2 - x1, ph = y2 - y1;
    if (!lines && !BoxOf(doc, vlapi::APIObjectList(pieces.begin(), pieces.end()), pw, ph))
        return false;
    return pw < w + 0.0001 && ph < h + 0.0001;
}

void ReverseChain(std::vector<NSegmentPtr>& pieces)
{
    for (const NSegmentPtr& piece : pieces)
        piece->Invert();
    std::reverse(pieces.begin(), pieces.end());
}

vrnApi::NearestCurvePoint NearestOn(const vlapi::ICurve2DPtr& curve)
{
    return [curve](const NPoint& p, NPoint& nearest) {
        double t = 0.0, distance = 0.0;
        return curve && curve->GetNearestPoint(p.x, p.y, nearest.x, nearest.y, t, distance);
    };
}

// The centre and radius of an arc or a circle; false for any other object.
bool CircleOf(const vlapi::IDrawingObjectPtr& obj, NPoint& centre, double& radius)
{
    if (vlapi::IArcPtr arc{obj}) {
        centre = {arc->GetXc(), arc->GetYc()};
        radius = arc->GetRadius();
    } else if (vlapi::ICirclePtr circle{obj}) {
        centre = {circle->GetXc(), circle->GetYc()};
        radius = circle->GetRadius();
    } else {
        return false;
    }
    return std::isfinite(centre.x) && std::isfinite(centre.y) && std::isfinite(radius) && radius > 0.0;
}

// How an arc or a circle runs along the chord of a chain: its start, its end
// and its sweep (positive counter-clockwise; a circle's whole turn), read
// from the curve itself; false for any other object.
bool ArcRun(const vlapi::IDrawingObjectPtr& obj, const NSegment& chord, NPoint& start, NPoint& end, double& sweep)
{
    NPoint centre;
    double radius = 0.0;
    if (!CircleOf(obj, centre, radius))
        return false;
    start = chord.p1;
    end = chord.p2;
    if (vlapi::IArcPtr arc{obj}) {
        // Its own way, from its first end to its second, then the chain's.
        const double from = std::atan2(arc->GetY1() - centre.y, arc->GetX1() - centre.x);
        sweep = std::atan2(arc->GetY2() - centre.y, arc->GetX2() - centre.x) - from;
        if (arc->GetDirection())
            sweep = sweep <= 0.0 ? sweep + 2.0 * PI : sweep;
        else
            sweep = sweep >= 0.0 ? sweep - 2.0 * PI : sweep;
    } else {
        sweep = 2.0 * PI;  // a circle runs counter-clockwise from its start
    }
    if (chord.invert)
        sweep = -sweep;
    return std::isfinite(sweep);
}

// An arc or a circle from `start` to `end` by `sweep` about its centre,
// followed exactly on its free side: where it turns left the polygon's
// edges touch it (each vertex within `arrow` of it), where it turns right
// its chords (each within `arrow` of it) stand off it. Its points at every
// multiple of 45° are vertices (touched by edges on the left), so that the
// polygon reaches exactly as far as the arc along the axes and the
// diagonals: a round part's box is its own, whatever the sag.
void AppendArcVertices(const NPoint& centre, double radius, const NPoint& start, const NPoint& end, double sweep,
                       double arrow, std::vector<NPoint>& out)
{
    constexpr double kEighth = 0.25 * PI;
    const bool left = sweep > 0.0;
    arrow = arrow >= kLeastArrow ? arrow : kLeastArrow;  // NaN too
    const double cosine = left ? radius / (radius + arrow) : std::max(0.0, 1.0 - arrow / radius);
    const double step = std::min(0.5 * PI, 2.0 * std::acos(std::min(1.0, cosine)));
    const double a0 = std::atan2(start.y - centre.y, start.x - centre.x);
    // The multiples of 45° strictly inside the sweep (by more than a step's
    // thousandth, so that no piece is a sliver), in the sweep's order.
    std::vector<double> splits;
    const double margin = 1e-3 * std::max(step, 1e-6);
    const double from = std::min(a0, a0 + sweep), to = std::max(a0, a0 + sweep);
    for (double k = std::floor(from / kEighth) + 1.0; k * kEighth < to - margin && splits.size() < 9; k += 1.0)
        if (k * kEighth > from + margin)
            splits.push_back(k * kEighth);
    if (!left)
        std::reverse(splits.begin(), splits.end());
    splits.push_back(a0 + sweep);
    out.push_back(start);
    double a = a0;
    for (size_t s = 0; s < splits.size(); ++s) {
        const double piece = splits[s] - a;
        const int count = std::max(1, static_cast<int>(std::ceil(std::fabs(piece) / std::max(step, 1e-6) - 1e-9)));
        const double turn = piece / count;
        if (left) {
            const double reach = radius / std::cos(0.5 * turn);
            for (int k = 0; k < count; ++k) {
                const double b = a + (k + 0.5) * turn;
                out.push_back({centre.x + reach * std::cos(b), centre.y + reach * std::sin(b)});
            }
        } else {
            for (int k = 1; k < count; ++k) {
                const double b = a + k * turn;
                out.push_back({centre.x + radius * std::cos(b), centre.y + radius * std::sin(b)});
            }
        }
        // A point at 45° is a vertex of the ring (the end is the arc's own).
        if (s + 1 < splits.size())
            out.push_back({centre.x + radius * std::cos(splits[s]), centre.y + radius * std::sin(splits[s])});
        a = splits[s];
    }
    out.push_back(end);
}

// The output vertices of one chord of a closed chain; false when the curve
// cannot be approximated finely.
bool AppendChordVertices(const vlapi::IVarnelDocument2DPtr& doc, const NSegment& chord, double arrow,
                         std::vector<NPoint>& out)
{
    vlapi::IDrawingObjectPtr obj(hostAccess::ObjectOf(doc, chord.m_ref));
    if (!obj)
        return true;  // a stale reference: its neighbours' ends join straight
    if (obj->GetType() == vlapi::vlDrLineSeg) {
        if (vlapi::ILineSegmentPtr(obj)) {
            out.push_back(chord.p1);
            out.push_back(chord.p2);
        }
        return true;
    }
    // An arc or a circle is followed from its centre and radius, not from pieces made of it.
    NPoint centre, start, end;
    double radius = 0.0, sweep = 0.0;
    if (CircleOf(obj, centre, radius) && ArcRun(obj, chord, start, end, sweep)) {
        AppendArcVertices(centre, radius, start, end, sweep, arrow, out);
        return true;
    }
    std::vector<NSegmentPtr> fine;
    {
        ToleranceScope fineSag(kFineChordSag);
        vrnApi::ApproximateCurvePieces(obj, fine);
    }
    if (fine.empty())
        return false;
    if (chord.invert)
        ReverseChain(fine);
    vrnApi::AppendTangentialRuns(fine, arrow, NearestOn(obj->GetCurve()), out);
    return true;
}

}  // namespace

namespace vrnApi {

void GetGeomObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs,
                             bool sysLayer)
{
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(macro))) {
        if (!obj)
            continue;
        if (sysLayer ? obj->GetLayer() == 0 && obj->IsGeometry()
                     : obj->IsGeometry() || obj->GetType() == vlapi::vlDrDrawText)
            objs.push_back(obj);
    }
}

double SagOfPieces(const vlapi::IDrawingObjectPtr& obj, double arrow)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    const double size = doc && obj ? HalfSmallerSide(*doc.get(), obj) : 0.0;
    return std::isfinite(size) && size > 0.0 ? std::min(arrow, kRelativeSag * size) : arrow;
}

void GetCurveObjectsFromMacro(vlapi::IMacroObjectPtr macro, std::vector<vlapi::IDrawingObjectPtr>& objs,
                              double arrow)
{
    GetCurveObjects(vlapi::IDrawingContainerPtr(macro), objs, arrow);
}

}  // namespace vrnApi

namespace {

void Approximate(const vlapi::IDrawingObjectPtr& obj, SegmentList& segments)
{
    if (!obj)
        return;
    if (obj->GetType() == vlapi::vlDrLineSeg) {
        segments.Offer(vlapi::ILineSegmentPtr(obj));
        return;
    }
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!doc)
        return;
    // The object's box, asked of the host once (a spline's is costly): for its sag and for the check.
    double w = 0.0, h = 0.0;
    const bool boxed = BoxOf(*doc.get(), hostAccess::ListOf(obj), w, h);
    vlapi::IDrawingGroupPtr result = doc->DecomposeObject(
        obj.get(), 1, -2, SagFor(*doc.get(), obj, boxed ? std::min(w, h) * 0.5 : 0.0));
    if (!result)
        return;
    const vlapi::DrawingObjectList pieces = result->GetObjects({vlapi::vlAllObj});
    // The chords of an ellipse (of some size) never repeat: into an empty
    // list they go without being looked for (a hundred thousand of them).
    const int type = obj->GetType();
    const bool distinct =
        segments.Empty() && (type == vlapi::vlDrEllipse || type == vlapi::vlDrEllipseArc) && std::min(w, h) >= kDistinctChords;
    if (boxed && FitsObjectBox(*doc.get(), w, h, pieces)) {
        for (const vlapi::IDrawingObjectPtr& piece : pieces) {
            if (piece && piece->GetType() == vlapi::vlDrLineSeg)
                distinct ? segments.Take(vlapi::ILineSegmentPtr(piece)) : segments.Offer(vlapi::ILineSegmentPtr(piece));
            else if (pieces.size() > 1)
                Approximate(piece, segments);
        }
    }
    // The pieces stand in no view; they go with their group.
    result->Delete();
}

}  // namespace

namespace vrnApi {

void ApproximateObjectByLineSegments(vlapi::IDrawingObjectPtr obj, std::vector<NSegmentPtr>& segments)
{
    SegmentList list(segments);
    Approximate(obj, list);
}

void ApproximateCurvePieces(const vlapi::IDrawingObjectPtr& obj, std::vector<NSegmentPtr>& pieces)
{
    SegmentList list(pieces, true);
    Approximate(obj, list);
}

bool AppendArcChordPoints(const vlapi::IDrawingObjectPtr& obj, const NSegment& chord, std::vector<NPoint>& out)
{
    NPoint centre;
    double radius = 0.0;
    if (!CircleOf(obj, centre, radius))
        return false;
    const auto angleOf = [&](const NPoint& p) { return std::atan2(p.y - centre.y, p.x - centre.x); };
    const double from = angleOf(chord.p1);
    double sweep = 2.0 * PI;  // a circle runs counter-clockwise from its start
    if (const vlapi::IArcPtr arc{obj}) {
        if (chord.p1 == chord.p2)
            return false;
        const bool counterClockwise = arc->GetDirection() == (chord.p1 == NPoint{arc->GetX1(), arc->GetY1()});
        sweep = std::remainder(angleOf(chord.p2) - from, 2.0 * PI);
        if (counterClockwise && sweep <= 0.0)
            sweep += 2.0 * PI;
        else if (!counterClockwise && sweep >= 0.0)
            sweep -= 2.0 * PI;
    }
    // The sag the host's decomposition takes (SagFor), never below its least.
    const double sag = std::max(std::min(Tolerance(), kRelativeSag * radius), 1e-9 * std::max(1.0, 2.0 * radius));
    const double step = sag >= radius ? PI : 2.0 * std::acos(1.0 - sag / radius);
    const double count = std::max(1.0, std::ceil(std::fabs(sweep) / step - 1e-9));
    if (!std::isfinite(sag) || !(count < 1e7))
        return false;
    // Each vertex turned from the one before by the step, every few anew from
    // the angle itself: a hundred thousand holes have millions of vertices.
    out.push_back(chord.p1);
    const double c = std::cos(sweep / count), s = std::sin(sweep / count);
    double x = 0.0, y = 0.0;
    for (double k = 1.0; k < count; ++k) {
        if (std::fmod(k, 16.0) == 1.0) {
            const double a = from + sweep * k / count;
            x = radius * std::cos(a);
            y = radius * std::sin(a);
        } else {
            const double turned = x * c - y * s;
            y = x * s + y * c;
            x = turned;
        }
        out.push_back({centre.x + x, centre.y + y});
    }
    return true;
}

void ApproximateObjectsByLineSegments(const std::vector<vlapi::IDrawingObjectPtr>& objs,
                                      std::vector<NSegmentPtr>& segments)
{
    SegmentList list(segments);
    for (const vlapi::IDrawingObjectPtr& obj : objs)
        Approximate(obj, list);
}

NPolygonPtr ApproximateByTangentialPoligon(const std::vector<NSegmentPtr>& segments, double arrow)
{
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    if (!doc)
        return {};
    std::vector<NPoint> out;
    for (const NSegmentPtr& chord : segments) {
        if (!AppendChordVertices(doc, *chord, arrow, out))
            return {};
    }
    if (out.empty())
        return {};
    return std::make_shared<NPolygon>(NPoint{0.0, 0.0}, out);
}

void AppendCutPieces(const vlapi::IDrawingObjectPtr& obj, std::vector<clearance::CutPiece>& pieces)
{
    if (!obj)
        return;
    if (const vlapi::ILineSegmentPtr line{obj}) {
        pieces.push_back(clearance::LinePiece({line->GetX1(), line->GetY1()}, {line->GetX2(), line->GetY2()}));
        return;
    }
    NPoint centre;
    double radius = 0.0;
    if (CircleOf(obj, centre, radius)) {
        NPoint start, end;
        double sweep = 0.0;
        const vlapi::IArcPtr arc{obj};
        const NSegment chord(arc ? NPoint{arc->GetX1(), arc->GetY1()} : NPoint{centre.x + radius, centre.y},
                             arc ? NPoint{arc->GetX2(), arc->GetY2()} : NPoint{centre.x + radius, centre.y}, 0);
        if (ArcRun(obj, chord, start, end, sweep)) {
            const double from = std::atan2(start.y - centre.y, start.x - centre.x);
            pieces.push_back(clearance::ArcPiece(centre, radius, from, sweep));
            return;
        }
    }
    std::vector<NSegmentPtr> fine;
    {
        ToleranceScope fineSag(kCutChordSag);
        ApproximateCurvePieces(obj, fine);
    }
    for (const NSegmentPtr& segment : fine)
        pieces.push_back(clearance::LinePiece(segment->p1, segment->p2));
}

}  // namespace vrnApi

void NMacroObject::InitBordersFromMacro(std::vector<NPolygonPtr>& borders)
{
    if (!m_macro)
        return;
    std::vector<vlapi::IDrawingObjectPtr> curves;
    vrnApi::GetCurveObjectsFromMacro(m_macro, curves, Tolerance());
    if (curves.empty())
        return;
    std::vector<NSegmentPtr> segments;
    for (const vlapi::IDrawingObjectPtr& curve : curves)
        vrnApi::ApproximateObjectByLineSegments(curve, segments);
    std::vector<NContourPtr> contours;
    CreateContinuousContours(segments, contours);

    double x = 0.0, y = 0.0, angle = 0.0;
    GetMacroPlacement(x, y, angle);
    for (const NContourPtr& contour : contours) {
        NPolygonPtr polygon = contour->CreatePolygon();
        if (!polygon)
            continue;
        polygon->DelColinearPoints();
        if (polygon->m_points.empty())
            continue;
        polygon->m_pole += NPoint{x, y};
        for (NPoint& p : polygon->m_points)
            p += NPoint{x, y};
        polygon->UpdateGabarit();
        polygon->Rotate(angle * DR);
        borders.push_back(polygon);
    }
    vrnApi::detail::SortByGabaritArea(borders);
}
