#include "host/BorderRings.h"

#include "geometry/UtilityFunctions.h"
#include "geometry/DisjointSets.h"
#include "geometry/PointGrid.h"
#include "geometry/RingCrossings.h"
#include "geometry/RingThinning.h"
#include "host/NestingMacro.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <limits>
#include <numeric>
#include <unordered_map>

namespace vrnApi {

bool ReadCurveChord(const vlapi::IDrawingObjectPtr& obj, CurveChord& out)
{
    // A line is read from its ends (a part drawn as a polyline of a million
    // vertices brings a million of them), as its curve would give them.
    if (const vlapi::ILineSegmentPtr line{obj}) {
        const NPoint p1{line->GetX1(), line->GetY1()};
        const NPoint d{line->GetX2() - p1.x, line->GetY2() - p1.y};
        const NPoint p2{p1.x + d.x, p1.y + d.y};
        out.middle = {p1.x + d.x * 0.5, p1.y + d.y * 0.5};
        out.chord = std::make_shared<NSegment>(p1, p2, 0);
        out.chord->m_ref = hostAccess::ReferenceOf(obj);
        return true;
    }
    // An arc likewise from its ends, its centre and its way round: the middle
    // of its sweep.
    if (const vlapi::IArcPtr arc{obj}) {
        const NPoint centre{arc->GetXc(), arc->GetYc()};
        const NPoint p1{arc->GetX1(), arc->GetY1()}, p2{arc->GetX2(), arc->GetY2()};
        const double radius = arc->GetRadius();
        const double from = std::atan2(p1.y - centre.y, p1.x - centre.x);
        double sweep = std::atan2(p2.y - centre.y, p2.x - centre.x) - from;
        if (arc->GetDirection())
            sweep = sweep <= 0.0 ? sweep + 2.0 * PI : sweep;
        else
            sweep = sweep >= 0.0 ? sweep - 2.0 * PI : sweep;
        if (std::isfinite(sweep) && std::isfinite(radius)) {
            const double half = from + sweep * 0.5;
            out.middle = {centre.x + radius * std::cos(half), centre.y + radius * std::sin(half)};
            out.chord = std::make_shared<NSegment>(p1, p2, 0);
            out.chord->m_ref = hostAccess::ReferenceOf(obj);
            return true;
        }
    }
    vlapi::ICurve2DPtr curve = obj ? obj->GetCurve() : vlapi::ICurve2DPtr{};
    if (!curve)
        return false;
    const double t0 = curve->GetParamMin();
    const double t1 = curve->GetParamMax();
    NPoint p1, p2;
    if (!curve->GetPoint(t0, p1.x, p1.y) || !curve->GetPoint(t1, p2.x, p2.y) ||
        !curve->GetPoint((t0 + t1) / 2, out.middle.x, out.middle.y))
        return false;
    out.chord = std::make_shared<NSegment>(p1, p2, 0);
    out.chord->m_ref = hostAccess::ReferenceOf(obj);
    return true;
}

bool IsPointSized(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& curves, bool moved)
{
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    if (!doc || curves.empty() || !doc->GetObjectsBox(curves, x1, y1, x2, y2))
        return false;
    // Smaller by more than the rounding of the coordinates: circles of one
    // radius are all points or all rings wherever they stand.
    const double far = std::max({1.0, std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)});
    const double rounding = 64.0 * std::numeric_limits<double>::epsilon() * far;
    const double size = kPointRing - (moved ? 2.0 : 1.0) * rounding;
    return x2 - x1 < size && y2 - y1 < size;
}

bool IsPointChain(const vlapi::IVarnelDocument2DPtr& doc, const NContour& chain)
{
    // Ends a point's size apart are no point, whatever the curves between.
    double x1 = INFINITY, y1 = INFINITY, x2 = -INFINITY, y2 = -INFINITY;
    for (const NSegmentPtr& chord : chain.m_segments) {
        for (const NPoint& p : {chord->p1, chord->p2}) {
            x1 = std::min(x1, p.x), x2 = std::max(x2, p.x);
            y1 = std::min(y1, p.y), y2 = std::max(y2, p.y);
        }
        if (!(x2 - x1 < kPointRing && y2 - y1 < kPointRing))
            return false;
    }
    vlapi::APIObjectList curves;
    for (const NSegmentPtr& chord : chain.m_segments)
        curves.emplace_back(hostAccess::ObjectOf(doc, chord->m_ref));
    return IsPointSized(doc, curves, true);
}

NPolygonPtr BorderRing(NContour& chain, NPolygon& approximation, bool outer, double arrow, double& strayed,
                       bool atPrecision)
{
    approximation.UpdateGabarit();
    if (approximation.CheckDirection() != outer)
        chain.Invert();
    const double sag = atPrecision || arrow < kBorderSag ? arrow : kBorderSag;
    NPolygonPtr ring = ApproximateByTangentialPoligon(chain.m_segments, sag, !atPrecision);
    if (!ring)
        return {};
    // Repeated and straight vertices go only where that leaves the ring
    // within the point tolerance of where it ran, never across a vertex
    // that stands out less than the repeat tolerance (the figure's outline
    // would cut into the part there). A hole runs clockwise here, with the
    // material on its left, and comes back counter-clockwise.
    // Spikes narrower than the point tolerance go before a dense ring is
    // thinned: thinned, their sides would part, and a sliver become a spike
    // of material.
    if (ring->m_points.size() > kDenseRing)
        ring->m_points = RingWithoutSpikes(ring->m_points);
    // A ring is dense by the vertices that shape it: the straight ones
    // (within half the point tolerance, as the cleaning drops them) go first,
    // so that edges given in many collinear pieces do not make it dense.
    if (ring->m_points.size() > kDenseRing)
        strayed = std::max(strayed, ThinRing(ring->m_points, 0.5 * EPS));
    if (ring->m_points.size() > kDenseRing)
        strayed = std::max(strayed, ThinRing(ring->m_points, kFineChordSag));
    if (!CleanOutline(ring->m_points, outer))
        return {};
    ring->UpdateGabarit();
    if (!outer)
        ring->Invert();
    return ring->m_points.empty() ? NPolygonPtr{} : ring;
}


bool IsClosedChain(const NContour& contour)
{
    if (contour.m_segments.empty())
        return false;
    const NPoint& start = contour.m_segments.front()->p1;
    const NPoint& end = contour.m_segments.back()->p2;
    return std::fabs(start.x - end.x) < 0.0001 && std::fabs(start.y - end.y) < 0.0001;
}

void CollapsePointCurves(std::vector<CurveChord>& curves, std::vector<size_t>& joints)
{
    const size_t count = curves.size();
    const auto endPoint = [&](size_t e) -> const NPoint& {
        return e % 2 ? curves[e / 2].chord->p2 : curves[e / 2].chord->p1;
    };
    // Ends at the very same point are one joint (a point where thousands of
    // curves meet is looked at once); its first end stands for it.
    DisjointSets sets(2 * count);
    PointGrid filed(EPS);
    std::vector<size_t> sites;
    for (size_t e = 0; e < 2 * count; ++e) {
        const NPoint& p = endPoint(e);
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            continue;
        const size_t same = filed.FirstNear(p, [&](size_t f) {
            const NPoint& q = endPoint(f);
            return q.x == p.x && q.y == p.y;
        });
        if (same != PointGrid::kNone) {
            sets.Unite(e, same);
            continue;
        }
        filed.Add(p, e);
        sites.push_back(e);
    }
    // Points closer than the point tolerance join, the nearest first, while
    // all the points of the joint stay that close to one another: a vertex
    // repeated a hair away, more than once, is one joint, yet a run of such
    // vertices longer than the tolerance (an outline digitised in steps
    // shorter than it) keeps its way, its vertices joined no farther than
    // the tolerance from where they were drawn.
    struct Meeting {
        double distance;
        size_t a, b;
    };
    std::vector<Meeting> meetings;
    for (size_t e : sites) {
        const NPoint& p = endPoint(e);
        filed.ForEachNear(p, [&](size_t f) {
            if (f < e && endPoint(f) == p)
                meetings.push_back({Distance(p, endPoint(f)), f, e});
        });
    }
    std::stable_sort(meetings.begin(), meetings.end(),
                     [](const Meeting& x, const Meeting& y) { return x.distance < y.distance; });
    std::unordered_map<size_t, std::pair<NPoint, NPoint>> boxes;  // of the joints of more than one point
    const auto boxOf = [&](size_t root) {
        const auto it = boxes.find(root);
        return it != boxes.end() ? it->second : std::pair{endPoint(root), endPoint(root)};
    };
    for (const Meeting& m : meetings) {
        const size_t a = sets.Root(m.a), b = sets.Root(m.b);
        if (a == b)
            continue;
        const auto [loA, hiA] = boxOf(a);
        const auto [loB, hiB] = boxOf(b);
        const NPoint lo{std::min(loA.x, loB.x), std::min(loA.y, loB.y)};
        const NPoint hi{std::max(hiA.x, hiB.x), std::max(hiA.y, hiB.y)};
        if (!(lo == hi))  // the joint's box would reach the point tolerance
            continue;
        sets.Unite(a, b);
        boxes.erase(a);
        boxes.erase(b);
        boxes[sets.Root(a)] = {lo, hi};
    }
    // A curve from a joint to itself is a point unless its middle stands off
    // the line between its ends (a closed curve).
    std::vector<CurveChord> kept;
    joints.clear();
    for (size_t c = 0; c < count; ++c) {
        const size_t start = sets.Root(2 * c), end = sets.Root(2 * c + 1);
        const NSegment& chord = *curves[c].chord;
        const NPoint straight{0.5 * (chord.p1.x + chord.p2.x), 0.5 * (chord.p1.y + chord.p2.y)};
        if (start == end && curves[c].middle == straight)
            continue;
        kept.push_back(curves[c]);
        joints.push_back(start);
        joints.push_back(end);
    }
    curves = std::move(kept);
}

std::vector<NContourPtr> ChainByJoints(const std::vector<CurveChord>& curves, const std::vector<size_t>& joints,
                                       size_t& open)
{
    open = 0;
    const size_t count = curves.size();
    // The curves at each joint in the given order, and the first of them
    // not taken yet (curves are only ever taken).
    struct Joint {
        std::vector<size_t> curves;
        size_t next = 0;
    };
    std::unordered_map<size_t, Joint> at;
    const auto closedOnItself = [&](size_t c) { return joints[2 * c] == joints[2 * c + 1]; };
    for (size_t c = 0; c < count; ++c) {
        if (closedOnItself(c))
            continue;
        at[joints[2 * c]].curves.push_back(c);
        at[joints[2 * c + 1]].curves.push_back(c);
    }
    std::vector<bool> taken(count, false);
    const auto firstLeft = [&](size_t joint) {
        const auto it = at.find(joint);
        if (it == at.end())
            return PointGrid::kNone;
        Joint& j = it->second;
        while (j.next < j.curves.size() && taken[j.curves[j.next]])
            ++j.next;
        return j.next < j.curves.size() ? j.curves[j.next] : PointGrid::kNone;
    };
    std::vector<NContourPtr> chains;
    for (size_t first = 0; first < count; ++first) {
        if (taken[first])
            continue;
        taken[first] = true;
        // Curves joined at the tail in order, and at the head, the last
        // joined first in the chain.
        std::vector<NSegmentPtr> tailPieces{curves[first].chord}, headPieces;
        size_t head = joints[2 * first], tail = joints[2 * first + 1];
        while (!closedOnItself(first)) {
            const size_t next = std::min(firstLeft(tail), firstLeft(head));
            if (next == PointGrid::kNone)
                break;
            taken[next] = true;
            const NSegmentPtr& chord = curves[next].chord;
            const size_t start = joints[2 * next], end = joints[2 * next + 1];
            if (tail == start) {
                tail = end;
                tailPieces.push_back(chord);
            } else if (tail == end) {
                tail = start;
                chord->Invert();
                tailPieces.push_back(chord);
            } else if (head == end) {
                head = start;
                headPieces.push_back(chord);
            } else {
                head = end;
                chord->Invert();
                headPieces.push_back(chord);
            }
        }
        std::vector<NSegmentPtr> chain(headPieces.rbegin(), headPieces.rend());
        chain.insert(chain.end(), tailPieces.begin(), tailPieces.end());
        auto contour = std::make_shared<NContour>();
        contour->InitSegments(chain);
        chains.push_back(contour);
        open += head != tail;
    }
    return chains;
}

NPolygonPtr ApproximateChain(const vlapi::IVarnelDocument2DPtr& doc, const NContour& contour)
{
    // Each chord gives its vertices from its start up to the next chord's.
    std::vector<NPoint> points;
    points.reserve(contour.m_segments.size());
    std::vector<NSegmentPtr> fine;
    for (const NSegmentPtr& chord : contour.m_segments) {
        vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, chord->m_ref)};
        if (!obj)
            return {};
        if (obj->GetType() == vlapi::vlDrLineSeg) {
            points.push_back(chord->p1);
            continue;
        }
        if (AppendArcChordPoints(obj, *chord, points))
            continue;
        fine.clear();
        ApproximateCurvePieces(obj, fine);
        if (!fine.empty() && !(fine.front()->p1 == chord->p1)) {
            for (const NSegmentPtr& piece : fine)
                piece->Invert();
            std::reverse(fine.begin(), fine.end());
        }
        for (const NSegmentPtr& piece : fine)
            points.push_back(piece->p1);
    }
    if (points.empty())
        return {};
    auto ring = std::make_shared<NPolygon>();
    ring->m_points = std::move(points);
    ring->UpdateGabarit();
    return ring;
}

bool HasRepeatedCurve(const std::vector<CurveChord>& curves, const std::vector<size_t>& joints)
{
    // Each curve counts for the first curve before it that it matches, +1
    // the same way (a closed curve, whose middle tells no way, too), -1 the
    // other way (run back along it: no material); unmatched it stands for
    // itself. Twice more one way than the other is twice drawn. Curves match
    // between the same joints: neighbours along a run digitised in steps
    // shorter than the point tolerance are not one curve.
    PointGrid starts(EPS);  // of the curves standing for themselves
    std::vector<int> balance(curves.size(), 0);
    for (size_t i = 0; i < curves.size(); ++i) {
        const NSegment& a = *curves[i].chord;
        const auto matches = [&](size_t j, bool back) {
            const bool same = back ? joints[2 * i] == joints[2 * j + 1] && joints[2 * i + 1] == joints[2 * j]
                                   : joints[2 * i] == joints[2 * j] && joints[2 * i + 1] == joints[2 * j + 1];
            return same && curves[i].middle == curves[j].middle;
        };
        const size_t same = starts.FirstNear(a.p1, [&](size_t j) { return matches(j, false); });
        const size_t back = starts.FirstNear(a.p2, [&](size_t j) { return matches(j, true); });
        if (same == PointGrid::kNone && back == PointGrid::kNone) {
            balance[i] = 1;
            starts.Add(a.p1, i);
        } else if (same <= back) {
            ++balance[same];
        } else {
            --balance[back];
        }
    }
    return std::any_of(balance.begin(), balance.end(), [](int b) { return b > 1 || b < -1; });
}

namespace {

// A coordinate in millimetres to a thousandth, without trailing zeros (six
// significant digits, written out, beyond a thousand kilometres).
std::wstring Millimetres(double v)
{
    if (std::fabs(v) >= 1e9)
        return uf::NumberText(v);
    wchar_t buffer[64];
    const int n = std::swprintf(buffer, 64, L"%.3f", std::fabs(v) < 0.0005 ? 0.0 : v);
    std::wstring text(buffer, n < 0 ? 0 : static_cast<size_t>(n));
    while (!text.empty() && text.back() == L'0')
        text.pop_back();
    if (!text.empty() && text.back() == L'.')
        text.pop_back();
    return text;
}

}  // namespace

std::wstring CrossingReason(const std::vector<NPolygonPtr>& rings)
{
    static const std::vector<NPoint> kNone;
    std::vector<const std::vector<NPoint>*> points;
    for (const NPolygonPtr& ring : rings)
        points.push_back(ring ? &ring->m_points : &kNone);
    const std::optional<RingCrossing> crossing = FindRingCrossing(points);
    if (!crossing)
        return {};
    const wchar_t* what = crossing->ring1 == crossing->ring2 ? L"контур пересекает сам себя" : L"контуры пересекаются";
    return std::wstring(what) + L" в точке (" + Millimetres(crossing->at.x) + L"; " + Millimetres(crossing->at.y) +
           L")";
}

std::vector<NPolygonPtr> WithoutSpikes(const std::vector<NPolygonPtr>& rings)
{
    std::vector<NPolygonPtr> out;
    for (const NPolygonPtr& ring : rings) {
        if (ring && !RingHasSpikes(ring->m_points)) {
            out.push_back(ring);
            continue;
        }
        std::vector<NPoint> points = ring ? RingWithoutSpikes(ring->m_points) : std::vector<NPoint>{};
        if (points.size() < 3 || points.size() == ring->m_points.size()) {
            out.push_back(ring);
            continue;
        }
        NPolygonPtr copy = std::make_shared<NPolygon>(*ring);
        copy->m_points = std::move(points);
        copy->UpdateGabarit();
        out.push_back(copy);
    }
    return out;
}

namespace {

// The gabarit that holds the gabarits of `rings` (all but `except`).
NRect Bounds(const std::vector<NPolygonPtr>& rings, size_t except)
{
    NRect all{{INFINITY, INFINITY}, {-INFINITY, -INFINITY}};
    for (size_t k = 0; k < rings.size(); ++k) {
        if (k == except)
            continue;
        const NRect& r = rings[k]->GetGabarit();
        all.pBot = {std::min(all.pBot.x, r.pBot.x), std::min(all.pBot.y, r.pBot.y)};
        all.pTop = {std::max(all.pTop.x, r.pTop.x), std::max(all.pTop.y, r.pTop.y)};
    }
    return all;
}

}  // namespace

size_t FindOuterRing(const std::vector<NPolygonPtr>& rings)
{
    // Only a ring whose gabarit holds every gabarit may hold every ring: a
    // drawing of many thousand loose rings has none, and is told so at once.
    const NRect all = Bounds(rings, NOT_FOUND_INDEX);
    std::vector<size_t> order;
    for (size_t k = 0; k < rings.size(); ++k) {
        if (CheckRectContainRect(rings[k]->GetGabarit(), all))
            order.push_back(k);
    }
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return rings[a]->GetGabaritArea() > rings[b]->GetGabaritArea();
    });
    for (size_t candidate : order) {
        // Each ring is looked for among the edges of the candidate near it.
        const NPolygonIndex outer(*rings[candidate]);
        bool holdsAll = true;
        for (size_t k = 0; k < rings.size() && holdsAll; ++k)
            holdsAll = k == candidate || outer.ContainsPolygon(*rings[k], true);
        if (holdsAll)
            return candidate;
    }
    return NOT_FOUND_INDEX;
}

std::pair<size_t, size_t> RingsApart(const std::vector<NPolygonPtr>& rings)
{
    size_t largest = 0;
    for (size_t k = 1; k < rings.size(); ++k) {
        if (rings[k]->GetGabaritArea() > rings[largest]->GetGabaritArea())
            largest = k;
    }
    // Each ring is looked for among the largest one's edges near it.
    const NPolygonIndex holder(*rings[largest]);
    for (size_t k = 0; k < rings.size(); ++k) {
        if (k != largest && !holder.ContainsPolygon(*rings[k], true))
            return {largest, k};
    }
    return {largest, largest == 0 && rings.size() > 1 ? 1 : 0};
}

std::optional<std::pair<size_t, size_t>> RingInHole(const std::vector<NPolygonPtr>& rings, size_t outer)
{
    // Rings times vertices beyond which a ring is indexed before the others are looked for in it.
    constexpr size_t kPlainTests = 4096;
    if (rings.size() < 3)
        return std::nullopt;
    // A ring within another has its gabarit's middle within the other's
    // gabarit: the middles are put on a grid of about one cell a ring, and a
    // ring is compared with those whose middles fall in the cells it covers.
    const NRect all = Bounds(rings, outer);
    const size_t side = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(rings.size()))));
    const double width = std::max((all.pTop.x - all.pBot.x) / static_cast<double>(side), EPS);
    const double height = std::max((all.pTop.y - all.pBot.y) / static_cast<double>(side), EPS);
    auto cell = [side](double v, double low, double step) {
        const double at = std::floor((v - low) / step);
        return at <= 0 ? size_t{0} : std::min(side - 1, static_cast<size_t>(at));
    };
    std::vector<std::vector<size_t>> cells(side * side);
    for (size_t k = 0; k < rings.size(); ++k) {
        if (k == outer)
            continue;
        const NRect& r = rings[k]->GetGabarit();
        cells[cell((r.pBot.y + r.pTop.y) / 2, all.pBot.y, height) * side +
              cell((r.pBot.x + r.pTop.x) / 2, all.pBot.x, width)]
            .push_back(k);
    }
    std::vector<size_t> near;
    for (size_t a = 0; a < rings.size(); ++a) {
        if (a == outer)
            continue;
        const NRect& r = rings[a]->GetGabarit();
        const size_t x1 = cell(r.pBot.x - EPS, all.pBot.x, width), x2 = cell(r.pTop.x + EPS, all.pBot.x, width);
        const size_t y1 = cell(r.pBot.y - EPS, all.pBot.y, height), y2 = cell(r.pTop.y + EPS, all.pBot.y, height);
        near.clear();
        for (size_t y = y1; y <= y2; ++y) {
            for (size_t x = x1; x <= x2; ++x) {
                for (size_t b : cells[y * side + x]) {
                    if (b != a)
                        near.push_back(b);
                }
            }
        }
        // A large ring round many others (a hole shaped like a C about a
        // field of small ones) finds each among its edges near it.
        if (near.size() * rings[a]->m_points.size() > kPlainTests) {
            const NPolygonIndex holder(*rings[a]);
            for (size_t b : near) {
                if (holder.ContainsPolygon(*rings[b], true))
                    return std::pair{a, b};
            }
        } else {
            for (size_t b : near) {
                if (rings[a]->CheckContainPoligon(*rings[b], true))
                    return std::pair{a, b};
            }
        }
    }
    return std::nullopt;
}

}  // namespace vrnApi
