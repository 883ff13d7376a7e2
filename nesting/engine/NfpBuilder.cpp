#include "engine/NfpBuilder.h"

#include "engine/InnerFit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

using nfp::Angle;
using nfp::ContactFrame;
using nfp::Length;
using nfp::SignedArea2;

namespace {

// Rings kept per calculation beyond the orbit around A: a pair never has more
// cavities than this in practice, and it bounds the work on hostile input.
constexpr size_t MAX_RINGS = 64;
constexpr double DOWN = 1.5 * PI;
// A traced ring that comes back within this many tolerances of its start
// closes there.
constexpr double CLOSING_TOLERANCES = 4.0;

// Removes repeated points (the first compared with the last) and points that
// an edge passes straight through, from a traced ring. The tip of a spike,
// where the ring turns back on itself, is kept: it is a position B can slide to.
void CleanTrace(std::vector<NPoint>& ring, double tol)
{
    bool changed = true;
    while (changed && ring.size() > 1) {
        changed = false;
        for (size_t k = 0; k < ring.size() && ring.size() > 1; ++k) {
            const NPoint& prev = ring[k == 0 ? ring.size() - 1 : k - 1];
            const NPoint& cur = ring[k];
            const NPoint& next = ring[(k + 1) % ring.size()];
            NPoint in = cur - prev;
            NPoint out = next - cur;
            bool repeated = Length(in) < tol;
            bool passThrough = ring.size() > 2 && std::fabs(nfp::Cross(in, out)) < tol * Length(next - prev) &&
                               nfp::Dot(in, out) > 0.0;
            if (repeated || passThrough) {
                ring.erase(ring.begin() + static_cast<std::ptrdiff_t>(k));
                changed = true;
            }
        }
    }
}

// The lower corner of a ring's box: the local origin its work is done in, so
// that the same shapes give the same result wherever they lie.
NPoint LowerCorner(const std::vector<NPoint>& ring)
{
    NPoint low = ring.empty() ? NPoint{} : ring.front();
    for (const NPoint& p : ring)
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
    return low;
}

// A copy of the polygon's ring moved to its local origin and cleaned with the
// point-equality tolerance, with its material on the left: a
// counter-clockwise outline, or a clockwise container.
std::vector<NPoint> PreparedRing(const std::shared_ptr<const NPolygon>& polygon, bool solid, NPoint& origin)
{
    std::vector<NPoint> ring = polygon ? polygon->m_points : std::vector<NPoint>{};
    origin = LowerCorner(ring);
    for (NPoint& p : ring)
        p -= origin;
    CleanOutline(ring, solid);
    return ring;
}

} // namespace

void NFP_Builder::Init(const NPoint& p0, std::shared_ptr<const NPolygon> polygon1,
                       std::shared_ptr<const NPolygon> polygon2, bool inner)
{
    m_inner = inner;
    // Private copies of both rings, each at its own origin. A's material lies
    // left of its edges: a counter-clockwise outline, or a clockwise container
    // in inner mode. The point-equality tolerance rules the cleaning of both
    // and every contact, travel and closing test of the orbit.
    NPoint originA;
    NPoint originB;
    m_ringA = PreparedRing(polygon1, !inner, originA);
    m_ringB = PreparedRing(polygon2, true, originB);
    // Positions of B's placement point: translations of the local B plus
    // this offset.
    m_figurePlace = p0 + originA - originB;
}

void NFP_Builder::RunCalculate()
{
    m_nfpPolygons.clear();
    m_complete = true;
    if (m_ringA.size() < 3 || m_ringB.size() < 3)
        return;
    // Inside a convex container the region is where each of its sides keeps
    // B on its inner side: no orbit needed, and none of its contacts at the
    // scale of the tolerance, which a part nearly as large as the window
    // meets at every step.
    std::vector<NPoint> region;
    if (m_inner && nfp::ConvexContainerFit(m_ringA, m_ringB, EPS, region)) {
        m_rings.clear();
        if (!region.empty())
            m_rings.emplace_back(std::move(region));
        StoreRings();
        return;
    }
    // Features as small as the tolerance itself (a sliver exactly that
    // thin) can make the contacts found at one position contradict each
    // other; the orbit then runs again with a finer tolerance. So can a B
    // nearly as large as its container: every position where it fits then
    // has a vertex of each ring within the tolerance of the other's edges
    // where they meet at a hair's angle, and seems to overlap; a container
    // that seems to hold B nowhere is looked at again finer too. Without
    // success the first attempt's rings stand; in a container where they
    // hold B nowhere, those the finest attempt traced before it failed (each
    // bounds positions where B fits), so that a fit the search found is kept.
    VectorPolygon kept;
    bool settled = false; // some attempt searched the whole container and found it holds B nowhere
    for (double tolerance : {EPS, EPS / 16.0, EPS / 256.0}) {
        m_frame.emplace(m_ringA, m_ringB, tolerance);
        m_finest = tolerance == EPS / 256.0;
        m_stopAtFailure = !m_finest && tolerance != EPS;
        m_nfpPolygons.clear();
        const bool complete = Calculate();
        if (complete && (!m_inner || !m_nfpPolygons.empty()))
            return;
        settled = settled || complete;
        if (tolerance == EPS || (m_finest && m_inner && kept.empty()))
            kept = m_nfpPolygons;
    }
    m_nfpPolygons = kept;
    m_complete = settled;
}

bool NFP_Builder::Calculate()
{
    m_rings.clear();
    m_complete = true;
    if (!CheckIndexesByGabarit())
        return true;
    if (!m_inner) {
        FindExterStartPosition();
        if (!TraceRing(DOWN) || !EnclosesBoth())
            return false;
        m_rings.emplace_back(m_nfpPoints);
    }
    FindInnerStartPosition();
    StoreRings();
    return m_complete;
}

bool NFP_Builder::CheckIndexesByGabarit() const
{
    if (!m_inner)
        return true;
    NRect ra = NPolygon(NPoint{}, m_frame->A()).GetGabarit();
    NRect rb = NPolygon(NPoint{}, m_frame->B()).GetGabarit();
    double tol = m_frame->Tolerance();
    return rb.pTop.x - rb.pBot.x <= ra.pTop.x - ra.pBot.x + tol &&
           rb.pTop.y - rb.pBot.y <= ra.pTop.y - ra.pBot.y + tol;
}

void NFP_Builder::FindExterStartPosition()
{
    // B hangs below A: its first highest vertex on A's first lowest vertex.
    const auto& a = m_frame->A();
    const auto& b = m_frame->B();
    size_t ia = 0;
    for (size_t i = 1; i < a.size(); ++i)
        if (a[i].y < a[ia].y)
            ia = i;
    size_t jb = 0;
    for (size_t j = 1; j < b.size(); ++j)
        if (b[j].y > b[jb].y)
            jb = j;
    m_shift = a[ia] - b[jb];
    m_clearance.Reset(a.size(), b.size());
}

template <class Visit>
void NFP_Builder::ForEachCandidate(Visit visit) const
{
    const auto& a = m_frame->A();
    const auto& b = m_frame->B();
    std::vector<ContactSegment> segs;
    using nfp::ContactKind;
    std::vector<nfp::Contact> touching;
    m_frame->TouchingContacts(touching);
    for (const nfp::Contact& c : touching) {
        const size_t i = c.i;
        const size_t j = c.j;
        if (c.kind == ContactKind::VertexVertex)
            visit(a[i] - b[j]);
        else if (c.kind == ContactKind::VertexOnEdgeA)
            segs.emplace_back(a[i] - b[j], a[(i + 1) % a.size()] - b[j]);
        else
            segs.emplace_back(a[i] - b[j], a[i] - b[(j + 1) % b.size()]);
    }
    // Every boundary component has a vertex: a touching of two vertices (an
    // end of these segments, above) or a crossing of two of the segments.
    // A sweep from left to right: a segment meets only the segments that
    // start before it ends.
    // (By their left ends, in the order found among equals: the segments
    // are large, so their places are sorted and they are moved once.)
    std::vector<std::pair<double, size_t>> order(segs.size());
    for (size_t k = 0; k < segs.size(); ++k)
        order[k] = {segs[k].lo.x, k};
    std::stable_sort(order.begin(), order.end(), [](const auto& u, const auto& v) { return u.first < v.first; });
    std::vector<ContactSegment> sorted;
    sorted.reserve(segs.size());
    for (const auto& [x, k] : order)
        sorted.push_back(segs[k]);
    segs.swap(sorted);
    for (size_t k = 0; k < segs.size(); ++k) {
        const ContactSegment& u = segs[k];
        for (size_t l = k + 1; l < segs.size() && segs[l].lo.x <= u.hi.x; ++l) {
            const ContactSegment& v = segs[l];
            if (v.hi.y < u.lo.y || v.lo.y > u.hi.y)
                continue;
            double denom = nfp::Cross(u.dir, v.dir);
            // Parallel: where they meet is an end of one of them.
            if (denom * denom <= 1e-24 * u.len2 * v.len2)
                continue;
            NPoint w = v.p - u.p;
            double t = nfp::Cross(w, v.dir) / denom;
            double s = nfp::Cross(w, u.dir) / denom;
            if (t > 0.0 && t < 1.0 && s > 0.0 && s < 1.0)
                visit(u.p + NPoint{u.dir.x * t, u.dir.y * t});
        }
    }
}

void NFP_Builder::FindInnerStartPosition()
{
    // Every piece of the boundary lies on a segment of positions where one
    // vertex touches an edge of the other ring. A touching, feasible position
    // that no ring passes through starts another ring. Around a convex A
    // with a convex B the orbit is the whole boundary.
    if (!m_inner && m_frame->BothConvex())
        return;
    CrossingWitnesses witnesses;
    // A B nearly as large as its container meets its contacts at the scale
    // of the tolerance at every candidate, and the candidates crowd round
    // the small region where it fits: past this many overlapping ones before
    // any ring, a finer tolerance settles the pair sooner.
    const size_t patience =
        m_inner && !m_finest ? 8 * (m_frame->A().size() + m_frame->B().size()) : std::numeric_limits<size_t>::max();
    size_t overlapping = 0;
    // Past an orbit that did not close, the attempt between the first and
    // the finest is spent: its rings would not stand, and its other starts
    // would trace the same loop.
    ForEachCandidate([&](const NPoint& p) {
        if (m_rings.size() > MAX_RINGS || (m_rings.empty() && overlapping > patience) || (m_stopAtFailure && !m_complete))
            return;
        if (witnesses.ShowOverlap(*m_frame, p)) {
            ++overlapping;
            return;
        }
        if (IsKnownPosition(p))
            return;
        if (IsFeasible(p, witnesses))
            TryStartAt(p);
        else
            ++overlapping;
    });
    if (m_rings.empty() && overlapping > patience)
        m_complete = false;
}

bool NFP_Builder::IsFeasible(const NPoint& shift, CrossingWitnesses& witnesses) const
{
    nfp::EdgePair crossing;
    crossing.i = m_frame->A().size(); // none yet
    if (m_frame->IsFeasible(shift, &crossing))
        return true;
    if (crossing.i < m_frame->A().size())
        witnesses.Add(crossing);
    return false;
}

bool NFP_Builder::CrossingWitnesses::ShowOverlap(const ContactFrame& frame, const NPoint& shift)
{
    for (size_t k = 0; k < m_pairs.size(); ++k)
        if (frame.EdgesCross(m_pairs[k], shift)) {
            // Keep the most useful witness first.
            std::rotate(m_pairs.begin(), m_pairs.begin() + static_cast<std::ptrdiff_t>(k),
                        m_pairs.begin() + static_cast<std::ptrdiff_t>(k) + 1);
            return true;
        }
    return false;
}

void NFP_Builder::CrossingWitnesses::Add(const nfp::EdgePair& pair)
{
    if (m_pairs.size() == CAPACITY)
        m_pairs.pop_back();
    m_pairs.insert(m_pairs.begin(), pair);
}

bool NFP_Builder::IsKnownPosition(const NPoint& shift) const
{
    using Side = ContactFrame::Side;
    for (size_t k = 0; k < m_rings.size(); ++k) {
        const nfp::IndexedRing& ring = m_rings[k];
        bool area = ring.points.size() >= 3;
        Side side = area ? m_frame->Locate(ring, shift) : m_frame->OnRing(ring, shift) ? Side::Boundary : Side::Outside;
        if (side == Side::Boundary)
            return true;
        // Around A only the inside of the first ring holds cavities; every
        // other ring encloses free positions.
        bool enclosing = !m_inner && k == 0;
        if (enclosing ? side != Side::Inside : side == Side::Inside)
            return true;
    }
    return false;
}

void NFP_Builder::TryStartAt(const NPoint& shift)
{
    m_shift = shift;
    m_clearance.Reset(m_frame->A().size(), m_frame->B().size());
    FindTouchingPoints();
    FindPotentialTranslationVectors();
    if (m_sectors.empty())
        return;
    // Start from a free direction and follow the ring that bounds it; with
    // none, B fits exactly at this one position.
    double phi = m_sectors.front().start + m_sectors.front().width;
    if (!LeaveBlockedDirections(phi))
        m_rings.emplace_back(Ring{shift});
    else if (TraceRing(nfp::Mod2Pi(phi)))
        m_rings.emplace_back(m_nfpPoints);
    else
        m_complete = false;
}

void NFP_Builder::StepBack() { Move(m_trimmedVector.p1 - m_trimmedVector.p2); }

void NFP_Builder::Move(const NPoint& move)
{
    NPoint from = m_shift;
    m_shift += move;
    m_clearance.travel += Length(move);
    m_trimmedVector = NSegment(from, m_shift, 0);
    m_backAngle = Angle(NPoint{-move.x, -move.y});
    m_nfpPoints.push_back(m_shift);
}

bool NFP_Builder::ReachesKnownRing() const
{
    return std::any_of(m_rings.begin(), m_rings.end(),
                       [&](const nfp::IndexedRing& ring) { return m_frame->OnRing(ring, m_shift); });
}

bool NFP_Builder::LeaveBlockedDirections(double& phi) const
{
    for (size_t k = 0; k <= m_sectors.size(); ++k) {
        auto inside = std::find_if(m_sectors.begin(), m_sectors.end(),
                                   [&](const nfp::Sector& s) { return m_frame->Forbids(s, phi, HUGE_VAL); });
        if (inside == m_sectors.end())
            return true;
        phi = inside->start + inside->width;
    }
    return false;
}

size_t NFP_Builder::StepBound() const
{
    size_t n = m_frame->A().size();
    size_t m = m_frame->B().size();
    return 2 * (n + m) + 2 * n * m;
}

bool NFP_Builder::TraceRing(double backAngle)
{
    m_backAngle = backAngle;
    m_nfpPoints.assign(1, m_shift);
    // Each step depends only on where B is and where it came from: a trace
    // that comes back to the same state without closing goes round a loop
    // that misses its start for ever. A ring closes within about one step
    // per vertex of the two: the states are kept only past that, where a
    // loop still shows within one more round.
    std::set<std::tuple<double, double, double>> states;
    const size_t watchFrom = m_frame->A().size() + m_frame->B().size();
    for (m_iter = 0; m_iter < StepBound(); ++m_iter) {
        if (!Step())
            return false;
        bool closed = IsClosed();
        if (!closed && ReachesKnownRing()) {
            // A corridor of B's exact width leads to a ring already traced:
            // this ring ends there and goes back the way it came.
            StepBack();
            closed = IsClosed();
        }
        if (closed) {
            CleanTrace(m_nfpPoints, m_frame->Tolerance());
            return true;
        }
        if (m_iter >= watchFrom && !states.emplace(m_shift.x, m_shift.y, m_backAngle).second)
            return false;
    }
    return false; // the orbit did not close: no ring
}

bool NFP_Builder::Step()
{
    FindTouchingPoints();
    FindPotentialTranslationVectors();
    FindFeasibleTranslationVectors();
    return SelectTranslationVector() && TrimmingFeasibleTranslationVectors();
}

bool NFP_Builder::IsClosed()
{
    // Each contact may hold within the tolerance, so a ring may come back a
    // few tolerances off its start: that closes it too.
    const NPoint& first = m_nfpPoints.front();
    const double reach = CLOSING_TOLERANCES * m_frame->Tolerance();
    if (m_nfpPoints.size() >= 2 && Length(m_nfpPoints.back() - first) < reach) {
        m_nfpPoints.pop_back();
        return true;
    }
    // The last move ran over the start along the first move's direction
    // (running over it the other way is the way back through a corridor).
    if (m_nfpPoints.size() < 3)
        return false;
    const NPoint& prev = m_nfpPoints[m_nfpPoints.size() - 2];
    const NPoint move = m_nfpPoints.back() - prev;
    const double len2 = nfp::Dot(move, move);
    const double t = len2 > 0.0 ? std::clamp(nfp::Dot(first - prev, move) / len2, 0.0, 1.0) : 0.0;
    if (Length(prev + NPoint{move.x * t, move.y * t} - first) < reach &&
        nfp::Dot(move, m_nfpPoints[1] - first) > 0.0) {
        m_nfpPoints.pop_back();
        return true;
    }
    return false;
}

bool NFP_Builder::EnclosesBoth() const
{
    // A + (-B) holds a copy of A and one of B turned half round: a ring round
    // A bounds at least the larger area of the two, less the band the
    // tolerance may cut off along its way.
    const auto& a = m_frame->A();
    const auto& b = m_frame->B();
    double perimeter = 0.0;
    for (const auto* ring : {&a, &b, &m_nfpPoints})
        for (size_t k = 0; k < ring->size(); ++k)
            perimeter += Length((*ring)[(k + 1) % ring->size()] - (*ring)[k]);
    const double least = 0.5 * std::max(SignedArea2(a), SignedArea2(b));
    return 0.5 * SignedArea2(m_nfpPoints) >= least - CLOSING_TOLERANCES * m_frame->Tolerance() * perimeter;
}

void NFP_Builder::FindTouchingPoints() { m_frame->FindContacts(m_shift, m_touchPoints, &m_clearance); }

void NFP_Builder::FindPotentialTranslationVectors()
{
    m_sectors.clear();
    m_potentialVectors.clear();
    for (const nfp::Contact& c : m_touchPoints) {
        nfp::Sector s = m_frame->ForbiddenSector(c, m_shift);
        m_sectors.push_back(s);
        if (!s.full)
            m_potentialVectors.emplace_back(m_shift, m_shift + s.slide, 0);
    }
}

void NFP_Builder::FindFeasibleTranslationVectors()
{
    m_feasibleVectors.clear();
    double tol = m_frame->Tolerance();
    for (const NSegment& v : m_potentialVectors) {
        NPoint d = v.p2 - v.p1;
        if (Length(d) < tol)
            continue;
        double angle = Angle(d);
        bool blocked = std::any_of(m_sectors.begin(), m_sectors.end(),
                                   [&](const nfp::Sector& s) { return m_frame->Forbids(s, angle, Length(d)); });
        if (!blocked)
            m_feasibleVectors.push_back(v);
    }
}

bool NFP_Builder::SelectTranslationVector()
{
    // Leave the blocked directions next to the way back, then take the first
    // feasible move counter-clockwise from there: B keeps to the free side it
    // came from and the forbidden region stays on its left.
    double phi = m_backAngle;
    if (!LeaveBlockedDirections(phi))
        return false;
    // Going straight back is the last resort: it only leaves a dead end
    // (the bottom of a slot B fits exactly).
    constexpr double tolAngle = 1e-9;
    double bestTurn = std::numeric_limits<double>::max();
    const NSegment* best = nullptr;
    for (const NSegment& v : m_feasibleVectors) {
        double turn = nfp::Mod2Pi(Angle(v.p2 - v.p1) - phi + tolAngle) - tolAngle;
        if (turn < tolAngle)
            turn += 2.0 * PI;
        bool shorter = best && Length(v.p2 - v.p1) < Length(best->p2 - best->p1);
        if (turn < bestTurn - tolAngle || (turn < bestTurn + tolAngle && shorter)) {
            bestTurn = std::min(bestTurn, turn);
            best = &v;
        }
    }
    if (!best)
        return false; // no feasible move: the orbit fails
    m_trimmedVector = *best;
    return true;
}

bool NFP_Builder::TrimmingFeasibleTranslationVectors()
{
    NPoint move = m_trimmedVector.p2 - m_trimmedVector.p1;
    double t = m_frame->FreeTravel(m_shift, move, &m_clearance);
    // A collision within the tolerance of the slide's end is the end itself:
    // B goes on to the clean contact there instead of stopping a hair short.
    if ((1.0 - t) * Length(move) < m_frame->Tolerance())
        t = 1.0;
    move *= t;
    if (Length(move) < m_frame->Tolerance())
        return false;
    Move(move);
    return true;
}

void NFP_Builder::StoreRings()
{
    for (size_t k = 0; k < m_rings.size(); ++k) {
        std::vector<NPoint> points = m_rings[k].points;
        for (NPoint& p : points)
            p += m_figurePlace;
        // A region of placement points runs counter-clockwise.
        if (m_inner && SignedArea2(points) < 0.0)
            std::reverse(points.begin(), points.end());
        m_nfpPolygons.push_back(std::make_shared<NPolygon>(NPoint{}, points));
    }
}
