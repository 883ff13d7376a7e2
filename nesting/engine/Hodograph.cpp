#include "engine/Hodograph.h"

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------- HodographCash

namespace {

NPoint FirstPoint(const NPolygon& polygon) { return polygon.GetBegPoint(); }

void CopyShifted(cMapHodographPoligon& from, const NPoint& dp, MapHodographPoligon& to)
{
    for (const auto& [hodograph, border] : from) {
        NPolygonPtr copy = hodograph->GetCopy();
        copy->Offset(dp);
        to.emplace_back(copy, border);
    }
}

} // namespace

bool HodographCash::IsContain(std::shared_ptr<const NPolygon> p1, std::shared_ptr<const NPolygon> p2,
                              const NPoint& p0, const VectorPolygon& inns) const
{
    if (!p1 || !p2 || !polygon1 || !polygon2)
        return false;
    if (!(*p1 == *polygon1) || !(*p2 == *polygon2) || !(p0 - FirstPoint(*p2) == placeOffset))
        return false;
    if (inns.size() != innPolygons.size())
        return false;
    for (size_t k = 0; k < inns.size(); ++k)
        if (!(*inns[k] == *innPolygons[k]))
            return false;
    return true;
}

void HodographCash::GetHodographs(std::shared_ptr<const NPolygon> p1, std::shared_ptr<const NPolygon> p2,
                                  MapHodographPoligon& externs, MapHodographPoligon& inners) const
{
    if (!p1 || !p2 || !polygon1)
        return;
    NPoint dp = FirstPoint(*p1) - FirstPoint(*polygon1);
    CopyShifted(extHodographs, dp, externs);
    CopyShifted(innHodographs, dp, inners);
}

void HodographCash::Insert(std::shared_ptr<const NPolygon> p1, std::shared_ptr<const NPolygon> p2, const NPoint& p0,
                           const VectorPolygon& inns, cMapHodographPoligon& externs, cMapHodographPoligon& inners)
{
    if (!p1 || !p2)
        return;
    polygon1 = p1->GetCopy();
    polygon2 = p2->GetCopy();
    placeOffset = p0 - FirstPoint(*p2);
    for (const NPolygonPtr& inn : inns)
        innPolygons.push_back(inn->GetCopy());
    CopyShifted(externs, NPoint{}, extHodographs);
    CopyShifted(inners, NPoint{}, innHodographs);
}

// ---------------------------------------------------------------- HodographRect

namespace {

enum Side : int { Bottom = 1, Right = 2, Top = 3, Left = 4 };

struct Box {
    double L, B, R, T;
    bool Inside(const NPoint& p) const
    {
        return L - EPS < p.x && p.x < R + EPS && B - EPS < p.y && p.y < T + EPS;
    }
};

Box BoxOf(const HodographRect& r) { return {r.p1.x, r.p1.y, r.p3.x, r.p3.y}; }

// The cut end takes the edge coordinate, or the mean of the two when the side
// runs along the line of that edge.
double Cut(double edge, double old, bool along) { return along ? (edge + old) / 2.0 : edge; }

} // namespace

HodographRect::HodographRect(const NRect& rc1, const NRect& rc2, const NPoint& p0, double gap, bool inter)
    : m_internal(inter ? 1 : 0)
{
    double wl = (p0.x - rc2.pBot.x) + gap;
    double hb = (p0.y - rc2.pBot.y) + gap;
    double wr = (rc2.pTop.x - p0.x) + gap;
    double ht = (rc2.pTop.y - p0.y) + gap;
    if (inter) {
        p1 = {rc1.pBot.x + wl, rc1.pBot.y + hb};
        p2 = {rc1.pTop.x - wr, rc1.pBot.y + hb};
        p3 = {rc1.pTop.x - wr, rc1.pTop.y - ht};
        p4 = {rc1.pBot.x + wl, rc1.pTop.y - ht};
    } else {
        p1 = {rc1.pBot.x - wr, rc1.pBot.y - ht};
        p2 = {rc1.pTop.x + wl, rc1.pBot.y - ht};
        p3 = {rc1.pTop.x + wl, rc1.pTop.y + hb};
        p4 = {rc1.pBot.x - wr, rc1.pTop.y + hb};
    }
    m_segments = {std::make_shared<NSegment>(p1, p2, Bottom), std::make_shared<NSegment>(p2, p3, Right),
                  std::make_shared<NSegment>(p3, p4, Top), std::make_shared<NSegment>(p4, p1, Left)};
}

bool HodographRect::IsCrossed() const { return m_internal != 0 && (p1.x > p3.x + EPS || p1.y > p3.y + EPS); }

HodographRect& HodographRect::operator-=(const HodographRect& other)
{
    if (&other == this)
        return *this;
    if (other.m_internal) {
        ClipByInternal(other);
        return *this;
    }
    std::vector<std::pair<size_t, NSegmentPtr>> pieces;
    ClipByExternal(other, pieces);
    for (auto it = pieces.rbegin(); it != pieces.rend(); ++it)
        m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(it->first), it->second);
    Box box = BoxOf(other);
    for (NSegmentPtr& s : m_segments)
        if (s && box.Inside(s->p1) && box.Inside(s->p2))
            s.reset();
    return *this;
}

void HodographRect::ClipByExternal(const HodographRect& other, std::vector<std::pair<size_t, NSegmentPtr>>& pieces)
{
    Box o = BoxOf(other);
    for (size_t k = 0; k < m_segments.size(); ++k) {
        if (!m_segments[k])
            continue;
        NSegment& s = *m_segments[k];
        NPoint& a = s.p1;
        NPoint& b = s.p2;
        bool aIn = o.Inside(a);
        bool bIn = o.Inside(b);
        if (!aIn && bIn) {
            switch (s.dir) {
            case Bottom: b.x = Cut(o.L, b.x, std::fabs(b.y - o.B) < EPS); break;
            case Right: b.y = Cut(o.B, b.y, std::fabs(b.x - o.R) < EPS); break;
            case Top: b.x = Cut(o.R, b.x, std::fabs(b.y - o.T) < EPS); break;
            case Left: b.y = Cut(o.T, b.y, std::fabs(b.x - o.L) < EPS); break;
            }
        } else if (aIn && !bIn) {
            switch (s.dir) {
            case Bottom: a.x = Cut(o.R, a.x, std::fabs(a.y - o.B) < EPS); break;
            case Right: a.y = Cut(o.T, a.y, std::fabs(a.x - o.R) < EPS); break;
            case Top: a.x = Cut(o.L, a.x, std::fabs(a.y - o.T) < EPS); break;
            case Left: a.y = Cut(o.B, a.y, std::fabs(a.x - o.L) < EPS); break;
            }
        } else if (!aIn && !bIn) {
            bool yInRange = o.B - EPS < a.y && a.y < o.T + EPS;
            bool xInRange = o.L - EPS < a.x && a.x < o.R + EPS;
            NPoint entry;
            bool split = false;
            switch (s.dir) {
            case Bottom:
                split = a.x < o.L + EPS && yInRange && b.x > o.R - EPS;
                entry = {o.L, a.y};
                break;
            case Right:
                split = xInRange && a.y < o.B + EPS && b.y > o.T - EPS;
                entry = {a.x, o.B};
                break;
            case Top:
                split = b.x < o.L + EPS && yInRange && a.x > o.R - EPS;
                entry = {o.R, a.y};
                break;
            case Left:
                split = xInRange && a.y > o.T - EPS && b.y < o.B + EPS;
                entry = {a.x, o.T};
                break;
            }
            if (split) {
                pieces.emplace_back(k, std::make_shared<NSegment>(a, entry, s.dir));
                switch (s.dir) {
                case Bottom: a.x = o.R; break;
                case Right: a.y = o.T; break;
                case Top: a.x = o.L; break;
                case Left: a.y = o.B; break;
                }
            }
        }
    }
}

void HodographRect::ClipByInternal(const HodographRect& other)
{
    Box o = BoxOf(other);
    for (NSegmentPtr& side : m_segments) {
        if (!side)
            continue;
        NSegment& s = *side;
        NPoint& a = s.p1;
        NPoint& b = s.p2;
        bool aIn = o.Inside(a);
        bool bIn = o.Inside(b);
        if (!aIn && bIn) {
            switch (s.dir) {
            case Bottom: a.x = o.L; break;
            case Right: a.y = o.B; break;
            case Top: a.x = o.R; break;
            case Left: a.y = o.T; break;
            }
        } else if (aIn && !bIn) {
            switch (s.dir) {
            case Bottom: b.x = o.R; break;
            case Right: b.y = o.T; break;
            case Top: b.x = o.L; break;
            case Left: b.y = o.B; break;
            }
        } else if (!aIn && !bIn) {
            // A side with both ends outside is kept, trimmed to the rectangle,
            // only when it runs right across it.
            bool across = false;
            switch (s.dir) {
            case Bottom: across = a.y > o.B && a.y < o.T && a.x <= o.L && b.x >= o.R; break;
            case Right: across = a.x > o.L && a.x < o.R && a.y <= o.B && b.y >= o.T; break;
            case Top: across = a.y > o.B && a.y < o.T && a.x >= o.R && b.x <= o.L; break;
            case Left: across = a.x > o.L && a.x < o.R && a.y >= o.T && b.y <= o.B; break;
            }
            if (!across) {
                side.reset();
                continue;
            }
            switch (s.dir) {
            case Bottom: a.x = o.L, b.x = o.R; break;
            case Right: a.y = o.B, b.y = o.T; break;
            case Top: a.x = o.R, b.x = o.L; break;
            case Left: a.y = o.T, b.y = o.B; break;
            }
        }
    }
}

HodographRect& HodographRect::Unite(HodographRect& other)
{
    if (&other == this)
        return *this;
    for (const NSegmentPtr& s : other.m_segments)
        if (s)
            m_segments.push_back(s);
    other.m_segments.clear();
    return *this;
}

void HodographRect::Offset(const NPoint& p)
{
    for (const NSegmentPtr& s : m_segments)
        if (s)
            s->Offset(p);
}

void HodographRect::GetSegments(std::vector<NSegmentPtr>& segments) const
{
    for (const NSegmentPtr& s : m_segments)
        if (s)
            segments.push_back(s);
}

void HodographRect::GetNodePoints(std::vector<NPoint>& points) const
{
    auto add = [&points](const NPoint& p) {
        bool known = std::any_of(points.begin(), points.end(), [&](const NPoint& q) { return q == p; });
        if (!known)
            points.push_back(p);
    };
    for (const NSegmentPtr& s : m_segments)
        if (s) {
            add(s->p1);
            add(s->p2);
        }
}
