#include "io/OutlineJoints.h"

#include "geometry/UtilityFunctions.h"
#include "geometry/DisjointSets.h"
#include "geometry/PointGrid.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "io/DxfPartDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <numeric>
#include <optional>
#include <span>

namespace dxfimport {
namespace {

bool IsLine(const vlapi::IDrawingObjectPtr& obj) { return obj && obj->GetType() == vlapi::vlDrLineSeg; }

// Curves whose ends can be moved: lines, arcs and splines (those that run
// through their end poles).
bool CanMoveEnds(const vlapi::IDrawingObjectPtr& obj)
{
    const int type = obj ? obj->GetType() : 0;
    return type == vlapi::vlDrLineSeg || type == vlapi::vlDrArc || type == vlapi::vlDrNurbs;
}

// A spline with its end poles at `start` and `end`, when its knots make it
// run through them (the first and the last knot each repeated degree + 1 times).
bool MoveSplineEnds(const vlapi::INurbsPtr& nurbs, const NPoint& start, const NPoint& end)
{
    std::vector<double> poles = nurbs->GetPoints();
    const std::vector<double> knots = nurbs->GetKnots();
    const int degree = nurbs->GetDegree();
    const size_t ends = static_cast<size_t>(degree) + 1;
    if (degree < 1 || poles.size() < 4 || knots.size() < 2 * ends || nurbs->GetClosed())
        return false;
    for (size_t k = 1; k < ends; ++k)
        if (knots[k] != knots[0] || knots[knots.size() - 1 - k] != knots.back())
            return false;
    poles[0] = start.x;
    poles[1] = start.y;
    poles[poles.size() - 2] = end.x;
    poles[poles.size() - 1] = end.y;
    return nurbs->SetNurbs(poles, nurbs->GetWeights(), knots, degree, false);
}

// Puts the ends of a line, an arc or a spline at `start` and `end`; false
// when the curve cannot take them.
bool Reshape(const vlapi::IDrawingObjectPtr& obj, const NPoint& start, const NPoint& middle, const NPoint& end)
{
    if (vlapi::INurbsPtr nurbs{obj}) {
        if (!MoveSplineEnds(nurbs, start, end))
            return false;
    } else if (vlapi::ILineSegmentPtr line{obj}) {
        line->SetX1(start.x);
        line->SetY1(start.y);
        line->SetX2(end.x);
        line->SetY2(end.y);
    } else if (vlapi::IArcPtr arc{obj}) {
        if (!arc->SetBy3Points(start.x, start.y, end.x, end.y, middle.x, middle.y))
            return false;
    } else {
        return false;
    }
    obj->Update();
    return true;
}

// A number of a message: at most `decimals` decimals, no trailing zeros;
// six significant digits, written out, beyond a thousand kilometres.
std::wstring Number(double value, int decimals)
{
    if (std::fabs(value) >= 1e9)
        return uf::NumberText(value);
    char buffer[400];  // the widest double in fixed notation
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::wstring text(buffer, buffer + std::strlen(buffer));
    if (text.find(L'.') != std::wstring::npos) {
        text.erase(text.find_last_not_of(L'0') + 1);
        if (text.back() == L'.')
            text.pop_back();
    }
    return text == L"-0" ? L"0" : text;
}

}  // namespace

bool WithinJoint(const NPoint& a, const NPoint& b)
{
    // Nearer by more than the rounding of their coordinates, as a ring is
    // smaller than a point's box (vrnApi::IsPointSized): ends of a ring of
    // 0.001 mm are as far apart as its size, which rounding must not make
    // a joint.
    const double far = std::max({1.0, std::fabs(a.x), std::fabs(a.y), std::fabs(b.x), std::fabs(b.y)});
    return a == b || Distance(a, b) < kJoinTolerance - 64.0 * std::numeric_limits<double>::epsilon() * far;
}

std::vector<size_t> RingsDrawnAlone(const std::vector<vrnApi::CurveChord>& curves, std::vector<bool>* points)
{
    const size_t count = curves.size();
    const auto endOf = [&](size_t e) -> const NPoint& { return e % 2 ? curves[e / 2].chord->p2 : curves[e / 2].chord->p1; };
    // Ends a joint apart are filed by the first of them, ends at one point
    // likewise: a few lie near any point, however many ends meet there.
    DisjointSets near(count), chained(count);
    PointGrid nearFiled(kJoinTolerance), pointFiled(EPS);
    std::vector<std::pair<NPoint, size_t>> nearFirsts, atPoints;  // the first end filed, its curve
    std::vector<size_t> ends, pointOf(2 * count);               // ends at each point
    for (size_t e = 0; e < 2 * count; ++e) {
        const NPoint& p = endOf(e);
        bool joined = false;
        nearFiled.ForEachNear(p, [&](size_t f) {
            if (WithinJoint(nearFirsts[f].first, p)) {
                near.Unite(e / 2, nearFirsts[f].second);
                joined = true;
            }
        });
        if (!joined) {
            nearFiled.Add(p, nearFirsts.size());
            nearFirsts.emplace_back(p, e / 2);
        }
        size_t at = pointFiled.FirstNear(p, [&](size_t f) { return atPoints[f].first == p; });
        if (at == PointGrid::kNone) {
            at = atPoints.size();
            pointFiled.Add(p, at);
            atPoints.emplace_back(p, e / 2);
            ends.push_back(0);
        }
        ++ends[at];
        chained.Unite(e / 2, atPoints[at].second);
        pointOf[e] = at;
    }
    std::vector<bool> alone(count, true);  // by the root of `near`
    for (size_t e = 0; e < 2 * count; ++e) {
        const size_t root = near.Root(e / 2);
        if (ends[pointOf[e]] != 2 || chained.Root(e / 2) != chained.Root(root))
            alone[root] = false;
    }
    // A ring within a point's box is a point (DropPoints), not a ring.
    std::vector<std::array<double, 4>> extent(count, {INFINITY, INFINITY, -INFINITY, -INFINITY});
    for (size_t c = 0; c < count; ++c) {
        std::array<double, 4>& e = extent[near.Root(c)];
        for (const NPoint& p : {curves[c].chord->p1, curves[c].chord->p2, curves[c].middle})
            e = {std::min(e[0], p.x), std::min(e[1], p.y), std::max(e[2], p.x), std::max(e[3], p.y)};
    }
    if (points)
        points->assign(count, false);
    std::vector<size_t> ringOf(count, PointGrid::kNone);
    for (size_t c = 0; c < count; ++c) {
        const size_t root = near.Root(c);
        const bool point = extent[root][2] - extent[root][0] < kJoinTolerance && extent[root][3] - extent[root][1] < kJoinTolerance;
        if (alone[root] && (points || !point))
            ringOf[c] = root;
        if (points)
            (*points)[root] = point;
    }
    return ringOf;
}

std::wstring PointText(const NPoint& p) { return L"(" + Number(p.x, 4) + L"; " + Number(p.y, 4) + L")"; }

void JoinNearEnds(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IDrawingContainerPtr& container,
                  std::vector<vrnApi::CurveChord>& curves)
{
    // End 2c is the start of curve c, end 2c + 1 its end; closed curves have
    // none. A curve no larger than a joint has both ends, however near.
    const size_t count = curves.size();
    auto endPoint = [&](size_t e) -> NPoint& { return e % 2 ? curves[e / 2].chord->p2 : curves[e / 2].chord->p1; };
    // The host's objects of the curves, looked up only for the curves asked about.
    std::vector<vlapi::IDrawingObjectPtr> objects(count);
    std::vector<bool> looked(count, false);
    auto objectOf = [&](size_t c) -> const vlapi::IDrawingObjectPtr& {
        if (!looked[c]) {
            objects[c] = vlapi::IDrawingObjectPtr(hostAccess::ObjectOf(doc, curves[c].chord->m_ref));
            looked[c] = true;
        }
        return objects[c];
    };
    // No larger than a joint: its middle that near its start, and, but for a
    // line, its box (a closed spline's middle may stand that near while the
    // curve is a ring) that of a point, as the rings dropped as points are measured.
    std::vector<signed char> small(count, -1);
    auto pointSized = [&](size_t c) {
        if (small[c] < 0)
            small[c] = Distance(curves[c].middle, curves[c].chord->p1) < kJoinTolerance &&
                       (IsLine(objectOf(c)) || vrnApi::IsPointSized(doc, {vlapi::IVarnelAPIObjectPtr(objectOf(c))}));
        return small[c] == 1;
    };
    // A ring drawn alone already closes where its curves meet: its joints
    // are not joined across it, however near.
    const std::vector<size_t> alone = RingsDrawnAlone(curves);
    auto hasEnds = [&](size_t c) {
        return alone[c] == PointGrid::kNone && (!(curves[c].chord->p1 == curves[c].chord->p2) || pointSized(c));
    };

    // Ends closer than kJoinTolerance to an end filed first near them are
    // one joint with the nearest such end: every end of a joint lies that
    // near its first, so that a run of pieces shorter than a joint makes
    // joints of its length one after another, not one joint; and an end
    // where another ends joins that one, not a joint across a ring of a
    // joint's size (two arcs of 0.001 mm stay a ring).
    DisjointSets joints(2 * count);
    PointGrid filed(kJoinTolerance);
    std::vector<size_t> firsts;  // the first end of each joint
    for (size_t e = 0; e < 2 * count; ++e) {
        if (!hasEnds(e / 2))
            continue;
        const NPoint& p = endPoint(e);
        size_t first = PointGrid::kNone;
        double nearest = INFINITY;
        filed.ForEachNear(p, [&](size_t f) {
            const double d = Distance(endPoint(f), p);
            if (WithinJoint(endPoint(f), p) && (d < nearest || (d == nearest && f < first))) {
                first = f;
                nearest = d;
            }
        });
        if (first != PointGrid::kNone) {
            joints.Unite(e, first);
        } else {
            filed.Add(p, e);
            firsts.push_back(e);
        }
    }
    // A joint where an odd number of ends meet has an end free (two ends a
    // hair apart on either side of where two joints part, or a joint of
    // two curves beside an end a hair away); such joints closer than
    // kJoinTolerance are joined in pairs, the nearest first.
    std::vector<size_t> ends(2 * count, 0);  // at each joint's root
    for (size_t e = 0; e < 2 * count; ++e)
        if (hasEnds(e / 2))
            ++ends[joints.Root(e)];
    PointGrid free(kJoinTolerance);
    for (size_t f : firsts)
        if (ends[joints.Root(f)] % 2)
            free.Add(endPoint(f), f);
    struct Near {
        double distance;
        size_t a, b;
    };
    std::vector<Near> near;
    for (size_t f : firsts) {
        if (ends[joints.Root(f)] % 2 == 0)
            continue;
        free.ForEachNear(endPoint(f), [&](size_t g) {
            const double d = Distance(endPoint(f), endPoint(g));
            if (g > f && WithinJoint(endPoint(f), endPoint(g)))
                near.push_back({d, f, g});
        });
    }
    std::stable_sort(near.begin(), near.end(), [](const Near& l, const Near& r) { return l.distance < r.distance; });
    for (const Near& n : near) {
        const size_t a = joints.Root(n.a), b = joints.Root(n.b);
        if (a == b || ends[a] % 2 == 0 || ends[b] % 2 == 0)
            continue;
        joints.Unite(a, b);
        ends[joints.Root(a)] = ends[a] + ends[b];
    }

    // The ends of each joint, joints in the order of their roots: `members`
    // from `starts[r]` on holds the ends whose root is r, in increasing order.
    std::vector<size_t> starts(2 * count + 1, 0), members;
    for (size_t e = 0; e < 2 * count; ++e)
        if (hasEnds(e / 2))
            ++starts[joints.Root(e) + 1];
    for (size_t r = 0; r < 2 * count; ++r)
        starts[r + 1] += starts[r];
    members.resize(starts.back());
    {
        std::vector<size_t> next(starts.begin(), starts.end() - 1);
        for (size_t e = 0; e < 2 * count; ++e)
            if (hasEnds(e / 2))
                members[next[joints.Root(e)]++] = e;
    }

    std::vector<NPoint> moved(2 * count);
    std::vector<bool> moves(2 * count, false), deleted(count, false);
    std::vector<std::pair<NPoint, NPoint>> links;
    for (size_t r = 0; r < 2 * count; ++r) {
        const std::span<const size_t> group(members.data() + starts[r], starts[r + 1] - starts[r]);
        if (group.empty())
            continue;
        double x1 = INFINITY, y1 = INFINITY, x2 = -INFINITY, y2 = -INFINITY;
        for (size_t e : group) {
            x1 = std::min(x1, endPoint(e).x), x2 = std::max(x2, endPoint(e).x);
            y1 = std::min(y1, endPoint(e).y), y2 = std::max(y2, endPoint(e).y);
        }
        auto bothEnds = [&](size_t e) { return joints.Root(e ^ 1) == joints.Root(e); };
        const bool apart = !(x2 - x1 < EPS && y2 - y1 < EPS);
        std::vector<size_t> kept;
        for (size_t e : group) {
            // A line within one joint, or a curve no larger than one, is the joint itself.
            if (bothEnds(e) && (IsLine(objectOf(e / 2)) || pointSized(e / 2)))
                deleted[e / 2] = true;
            else
                kept.push_back(e);
        }
        // Ends within the point tolerance chain as they are, unless a piece
        // between them goes: they meet where it was.
        if (kept.empty() || (!apart && kept.size() == group.size()))
            continue;
        auto movable = [&](size_t e) { return !bothEnds(e) && CanMoveEnds(objectOf(e / 2)); };
        auto fixed = std::find_if(kept.begin(), kept.end(), [&](size_t e) { return !movable(e); });
        const NPoint target = endPoint(fixed == kept.end() ? group.front() : *fixed);
        for (size_t e : kept) {
            if (endPoint(e).x == target.x && endPoint(e).y == target.y)
                continue;
            if (movable(e)) {
                moves[e] = true;
                moved[e] = target;
            } else if (!(endPoint(e) == target)) {
                links.emplace_back(endPoint(e), target);
            }
        }
    }

    std::vector<vrnApi::CurveChord> kept;
    for (size_t c = 0; c < count; ++c) {
        if (deleted[c]) {
            if (objectOf(c))
                objectOf(c)->Delete();
            continue;
        }
        if (moves[2 * c] || moves[2 * c + 1]) {
            const NPoint start = moves[2 * c] ? moved[2 * c] : endPoint(2 * c);
            const NPoint end = moves[2 * c + 1] ? moved[2 * c + 1] : endPoint(2 * c + 1);
            vrnApi::CurveChord reread;
            if (Reshape(objectOf(c), start, curves[c].middle, end) && vrnApi::ReadCurveChord(objectOf(c), reread)) {
                curves[c] = reread;
            } else {
                for (size_t e : {2 * c, 2 * c + 1})
                    if (moves[e])
                        links.emplace_back(endPoint(e), moved[e]);
            }
        }
        kept.push_back(curves[c]);
    }
    for (const auto& [from, to] : links) {
        vlapi::IDrawingObjectPtr link(vrnApi::CreateLineSegm(container, from.x, from.y, to.x, to.y, kOutlineStyle));
        vrnApi::CurveChord chord;
        if (!link || !vrnApi::ReadCurveChord(link, chord))
            continue;
        link->SetLayer(0);
        link->Update();
        kept.push_back(chord);
    }
    curves = std::move(kept);
}

std::wstring OpenOutlineGap(const std::vector<vrnApi::CurveChord>& curves, const std::vector<NContourPtr>& chains,
                            std::vector<size_t>& open, const EndPlaceOf& placeOf, std::vector<size_t>* meeting)
{
    open.clear();
    if (meeting)
        meeting->clear();
    // The points where curve ends meet (ends within the point tolerance, as
    // the chains join them), and the curve ends at each.
    PointGrid filed(EPS);
    std::vector<NPoint> nodes;
    std::vector<std::vector<size_t>> at;  // curve ends (2c, 2c + 1) at each point
    std::vector<size_t> nodeOf(2 * curves.size());
    for (size_t e = 0; e < 2 * curves.size(); ++e) {
        const NPoint& p = e % 2 ? curves[e / 2].chord->p2 : curves[e / 2].chord->p1;
        size_t node = filed.FirstNear(p, [&](size_t n) { return nodes[n] == p; });
        if (node == PointGrid::kNone) {
            node = nodes.size();
            nodes.push_back(p);
            at.emplace_back();
            filed.Add(p, node);
        }
        nodeOf[e] = node;
        at[node].push_back(e);
    }
    const auto isFree = [&](size_t node) { return at[node].size() == 1; };

    // The free end to tell of: the first open chain's last end, or its first,
    // or another free end; none when every point joins two curves or more.
    std::optional<size_t> from;
    for (const NContourPtr& chain : chains) {
        if (from || chain->m_segments.empty() || vrnApi::IsClosedChain(*chain))
            continue;
        for (const NPoint& p : {chain->m_segments.back()->p2, chain->m_segments.front()->p1}) {
            const size_t node = filed.FirstNear(p, [&](size_t n) { return nodes[n] == p; });
            if (!from && node != PointGrid::kNone && isFree(node))
                from = node;
        }
    }
    for (size_t n = 0; n < nodes.size() && !from; ++n)
        if (isFree(n))
            from = n;

    // The curves from each free end on to where the outline branches or to
    // another free end: they leave it open.
    std::vector<bool> walked(curves.size(), false);
    const auto walk = [&](size_t node, std::vector<size_t>& path) {
        size_t end = at[node].front();
        while (!walked[end / 2]) {
            walked[end / 2] = true;
            path.push_back(end / 2);
            node = nodeOf[end ^ 1];
            if (at[node].size() != 2)
                break;
            end = at[node][0] / 2 == end / 2 ? at[node][1] : at[node][0];
        }
        return node;
    };
    std::optional<size_t> to;  // where the path of `from` ends
    std::vector<size_t> path;  // of `from`
    if (from)
        to = walk(*from, path);
    open = path;
    for (size_t n = 0; n < nodes.size(); ++n) {
        if (isFree(n) && !walked[at[n].front() / 2])
            walk(n, open);
    }
    if (!from) {
        // Every point joins two curves or more, yet a chain stays open: more
        // than two curves meet at a point (a line drawn from corner to
        // corner). No curve leaves the outline open; those meeting there are
        // what to look at, the outline's own and the one too many alike.
        for (size_t n = 0; n < nodes.size(); ++n) {
            if (at[n].size() <= 2)
                continue;
            if (meeting) {
                for (size_t e : at[n])
                    if (std::find(meeting->begin(), meeting->end(), e / 2) == meeting->end())
                        meeting->push_back(e / 2);
            }
            return L"контур ветвится в точке " + PointText(nodes[n]);
        }
        return {};
    }

    const NPoint end = nodes[*from];
    const auto place = [&](size_t node) {
        return placeOf ? placeOf(nodes[node], at[node].front() / 2) : EndPlace::Free;
    };
    // A curve that runs on along another from its free end: the two share
    // part of their way (two ellipses or splines, which stay two curves).
    if (place(*from) == EndPlace::AlongCurve)
        return L"кривая у точки " + PointText(end) + L" идёт по другой кривой лишь частью своего пути (два эллипса "
               L"или сплайна, лежащие друг на друге так, остаются двумя кривыми)";
    // The free ends told of that stand on another curve, not at its end (a T).
    const auto onCurves = [&](std::initializer_list<size_t> ends) {
        std::vector<NPoint> on;
        for (size_t n : ends)
            if (place(n) != EndPlace::Free)
                on.push_back(nodes[n]);
        if (on.size() == 1)
            return L"; конец в точке " + PointText(on[0]) + L" лежит посреди другой кривой";
        if (on.size() == 2)
            return L"; концы в точках " + PointText(on[0]) + L" и " + PointText(on[1]) + L" лежат посреди других кривых";
        return std::wstring();
    };
    std::optional<size_t> nearest;  // the other free end nearest to it
    for (size_t n = 0; n < nodes.size(); ++n)
        if (n != *from && isFree(n) && (!nearest || Distance(nodes[n], end) < Distance(nodes[*nearest], end)))
            nearest = n;
    // Free ends nearer than a joint are joined unless a third one is as near:
    // the chains branch there rather than leave a gap.
    if (nearest && Distance(nodes[*nearest], end) < kJoinTolerance)
        return L"контур ветвится в точке " + PointText(end);
    // A tail: curves that leave the outline where it branches and end free.
    if (at[*to].size() > 2)
        return L"контур ветвится в точке " + PointText(nodes[*to]) + L": кривые от неё до точки " + PointText(end) +
               L" никуда не ведут" + onCurves({*from});
    // Straight curves from one free end to the other, the nearest: closing them
    // would draw them again; they bound nothing.
    const NPoint& other = nodes[*to];
    const auto offLine = [&](const NPoint& p) {
        const double l = Distance(end, other);
        return l > 0.0 ? std::fabs((other.x - end.x) * (p.y - end.y) - (other.y - end.y) * (p.x - end.x)) / l
                       : Distance(p, end);
    };
    const bool straight = std::all_of(path.begin(), path.end(), [&](size_t c) {
        return offLine(curves[c].chord->p1) < kJoinTolerance && offLine(curves[c].chord->p2) < kJoinTolerance &&
               offLine(curves[c].middle) < kJoinTolerance;
    });
    if (nearest && *nearest == *to && straight)
        return L"кривые от точки " + PointText(end) + L" до точки " + PointText(other) +
               L" ничего не ограничивают: их концы не соединены с концами других кривых" + onCurves({*from, *to});
    if (!nearest)
        return {};
    return L"разрыв " + Number(Distance(nodes[*nearest], end), 4) + L" мм между точками " + PointText(end) + L" и " +
           PointText(nodes[*nearest]) + onCurves({*from, *nearest});
}

}  // namespace dxfimport
