// Boolean operations on polygons by edge classification.
//
// Every crossing of two outlines becomes a vertex of both; each edge is then
// kept when the result region lies on exactly one of its sides, judged from
// its mid point against the other operands. An edge running along another
// operand's boundary is judged by the sides on which the two operands lie, so
// that operands sharing edges (as no-fit polygons do all the time) unite
// without stray pieces. The kept runs of edges (fragments) are turned to run
// the way of the first operand, split where they meet, and chained into rings;
// where more than two fragment ends meet, the chain follows the boundary of
// the face it is walking round.
#include "geometry/Polygon.h"
#include "geometry/RingArea.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace {

// Where an operand lies with respect to a directed edge: strictly inside or
// outside at the edge's mid point, or along the edge with its inside on the
// edge's left or right.
enum class Placement { Inside, Outside, Left, Right };

struct Operand {
    const NPolygon* polygon = nullptr;
    bool counterClockwise = true;
    bool solid = true;  // encloses some area
};

struct Fragment {
    NPolygonPtr chain;
    bool regionOnLeft = true;
    bool closed = false;  // a whole outline, first point repeated at the end
};

NPoint MidPoint(const NPoint& a, const NPoint& b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

void delEmptyPolygons(VectorPolygon& polygons)
{
    std::erase_if(polygons, [](const NPolygonPtr& p) { return p->m_points.size() < 2; });
}

const NPoint* FindPoint(const std::vector<NPoint>& points, const NPoint& p, double tolerance)
{
    const auto it = std::find_if(points.begin(), points.end(), [&](const NPoint& v) { return v.IsEquil(p, tolerance); });
    return it == points.end() ? nullptr : &*it;
}

// Inserts every crossing of `a` with `b` into `a` as a vertex, in front of the
// end vertex of the edge that carries it. A crossing that repeats a vertex of
// either outline within the repeated-vertex tolerance takes that vertex's
// coordinates, so that both outlines get the very same point.
void InsertCrossings(NPolygon& a, const NPolygon& b)
{
    std::vector<NIndexPoint> hits;
    if (!a.Intersection(b, hits))
        return;
    size_t inserted = 0;
    for (const NIndexPoint& hit : hits) {
        NPoint point{hit.x, hit.y};
        if (FindPoint(a.m_points, point, EPS_REPEATED))
            continue;
        if (const NPoint* vertex = FindPoint(b.m_points, point, EPS_REPEATED))
            point = *vertex;
        const size_t at = std::min(hit.i + inserted, a.m_points.size());
        a.m_points.insert(a.m_points.begin() + static_cast<std::ptrdiff_t>(at), point);
        ++inserted;
    }
}

// True when `p` lies within the equality tolerance (a true distance, whatever
// the edge's length) of the segment a-b.
bool NearSegment(const NPoint& a, const NPoint& b, const NPoint& p)
{
    if (p.x < std::min(a.x, b.x) - EPS || p.x > std::max(a.x, b.x) + EPS || p.y < std::min(a.y, b.y) - EPS ||
        p.y > std::max(a.y, b.y) + EPS)
        return false;
    const NPoint d = b - a;
    const double length2 = d.x * d.x + d.y * d.y;
    double t = length2 > 0.0 ? ((p.x - a.x) * d.x + (p.y - a.y) * d.y) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return Distance2(p, NPoint{a.x + t * d.x, a.y + t * d.y}) < EPS * EPS;
}

// True when both ends of p-q lie within the equality tolerance of the line
// through a and b.
bool OnLine(const NPoint& a, const NPoint& b, const NPoint& p, const NPoint& q)
{
    const NPoint d = b - a;
    const double limit2 = EPS * EPS * (d.x * d.x + d.y * d.y);
    const auto off2 = [&](const NPoint& v) {
        const double c = d.x * (v.y - a.y) - d.y * (v.x - a.x);
        return c * c;
    };
    return off2(p) < limit2 && off2(q) < limit2;
}

// Where the operand lies with respect to the edge p -> q of another operand,
// judged at the edge's mid point. One pass over the operand's edges finds an
// edge the mid point runs along and, failing that, counts the crossings of a
// ray (even-odd). The classification needs a boundary band of one true width
// whatever the edge lengths, which the general point test (whose band widens
// as edges get shorter) does not give; a mid point in that band is not inside.
Placement Locate(const Operand& operand, const NPoint& p, const NPoint& q, const NPoint& mid)
{
    const NPolygon& polygon = *operand.polygon;
    if (!operand.solid || !CheckRectContainPoint(polygon.m_rect, mid))
        return Placement::Outside;
    bool inside = false;
    bool onBoundary = false;
    NPoint prev = polygon.m_points.back();
    for (const NPoint& cur : polygon.m_points) {
        if (NearSegment(prev, cur, mid)) {
            if (OnLine(prev, cur, p, q)) {
                const bool sameWay = (cur.x - prev.x) * (q.x - p.x) + (cur.y - prev.y) * (q.y - p.y) > 0;
                return sameWay == operand.counterClockwise ? Placement::Left : Placement::Right;
            }
            onBoundary = true;
        }
        if ((prev.y > mid.y) != (cur.y > mid.y) &&
            mid.x < prev.x + (mid.y - prev.y) * (cur.x - prev.x) / (cur.y - prev.y))
            inside = !inside;
        prev = cur;
    }
    return inside && !onBoundary ? Placement::Inside : Placement::Outside;
}

bool Covers(Placement placement, bool leftSide)
{
    return placement == Placement::Inside || placement == (leftSide ? Placement::Left : Placement::Right);
}

bool InResult(BooleanType type, const std::vector<Placement>& placements, bool leftSide)
{
    const auto covers = [leftSide](Placement p) { return Covers(p, leftSide); };
    switch (type) {
    case BooleanType::Union:
        return std::any_of(placements.begin(), placements.end(), covers);
    case BooleanType::Difference:
        return covers(placements.front()) && std::none_of(placements.begin() + 1, placements.end(), covers);
    case BooleanType::Intersection:
        return std::all_of(placements.begin(), placements.end(), covers);
    }
    return false;
}

// Decides the fate of the edges of one operand after another.
class EdgeClassifier {
public:
    EdgeClassifier(const std::vector<Operand>& operands, BooleanType type)
        : m_operands(operands), m_type(type), m_placements(operands.size())
    {
    }

    // True when the edge p -> q of operand `owner` bounds the result and is
    // not a copy of an edge kept from an earlier operand; `regionOnLeft` then
    // tells on which side the result lies.
    bool Keep(size_t owner, const NPoint& p, const NPoint& q, bool& regionOnLeft)
    {
        const NPoint mid = MidPoint(p, q);
        bool sharedWithEarlier = false;
        for (size_t k = 0; k < m_operands.size(); ++k) {
            if (k == owner) {
                const Operand& own = m_operands[k];
                m_placements[k] = !own.solid ? Placement::Outside
                                  : own.counterClockwise ? Placement::Left
                                                         : Placement::Right;
                continue;
            }
            m_placements[k] = Locate(m_operands[k], p, q, mid);
            const bool along = m_placements[k] == Placement::Left || m_placements[k] == Placement::Right;
            sharedWithEarlier = sharedWithEarlier || (along && k < owner);
        }
        const bool left = InResult(m_type, m_placements, true);
        const bool right = InResult(m_type, m_placements, false);
        regionOnLeft = left;
        return left != right && !sharedWithEarlier;
    }

private:
    const std::vector<Operand>& m_operands;
    BooleanType m_type;
    std::vector<Placement> m_placements;
};

// Collects the runs of kept edges of one operand, walking its edges from the
// closing one. A run also ends where the result changes sides.
class FragmentCollector {
public:
    explicit FragmentCollector(std::vector<Fragment>& fragments) : m_fragments(fragments) {}

    void Walk(const NPolygon& polygon, size_t owner, EdgeClassifier& classifier)
    {
        const std::vector<NPoint>& v = polygon.m_points;
        m_chain.clear();
        m_broken = false;
        NPoint prev = v.back();
        for (size_t k = 0; k < v.size(); ++k) {
            bool regionOnLeft = true;
            if (!classifier.Keep(owner, prev, v[k], regionOnLeft)) {
                Close(prev);
            } else {
                if (!m_chain.empty() && regionOnLeft != m_regionOnLeft)
                    Close(prev);
                if (m_chain.empty())
                    m_regionOnLeft = regionOnLeft;
                m_chain.push_back(prev);
                if (k + 1 == v.size()) {
                    m_chain.push_back(v[k]);
                    Collect(!m_broken);
                }
            }
            prev = v[k];
        }
    }

private:
    void Close(const NPoint& end)
    {
        m_broken = true;
        if (m_chain.empty())
            return;
        m_chain.push_back(end);
        Collect(false);
    }

    void Collect(bool closed)
    {
        m_fragments.push_back({std::make_shared<NPolygon>(NPoint{}, m_chain), m_regionOnLeft, closed});
        m_chain.clear();
    }

    std::vector<Fragment>& m_fragments;
    std::vector<NPoint> m_chain;
    bool m_regionOnLeft = true;
    bool m_broken = false;
};

// Fragments turned to keep the result on the wanted side, cleaned, whole
// outlines closed explicitly.
VectorPolygon OrientedFragments(std::vector<Fragment>& fragments, bool regionOnLeft)
{
    VectorPolygon chains;
    for (Fragment& f : fragments) {
        if (f.regionOnLeft != regionOnLeft)
            f.chain->Invert();
        f.chain->DelEquilPoints();
        if (f.chain->m_points.size() < 2)
            continue;
        if (f.closed)
            f.chain->m_points.push_back(f.chain->m_points.front());
        chains.push_back(f.chain);
    }
    return chains;
}

// Counter-clockwise sweep from direction `from` to direction `to`, in (0, 2pi].
double Sweep(const NPoint& from, const NPoint& to)
{
    double t = std::atan2(from.x * to.y - from.y * to.x, from.x * to.x + from.y * to.y);
    if (t <= 0)
        t += 2 * PI;
    return t;
}

NPoint FirstDirection(const NPolygon& chain) { return chain.m_points[1] - chain.m_points[0]; }

NPoint LastDirection(const NPolygon& chain)
{
    const size_t n = chain.m_points.size();
    return chain.m_points[n - 1] - chain.m_points[n - 2];
}

NPoint Reversed(const NPoint& d) { return {-d.x, -d.y}; }

// Chains oriented fragments into rings. A chain grows at its tail and head
// like the plain chaining; when several fragments could follow, the one that
// keeps the chain on the boundary of the same face is taken (the sharpest turn
// towards the result side), the chain's own start included once it is closed.
class RingTracer {
public:
    RingTracer(VectorPolygon pending, bool regionOnLeft) : m_pending(std::move(pending)), m_regionOnLeft(regionOnLeft)
    {
    }

    bool Done() const { return m_pending.empty(); }

    VectorPolygon NextChain()
    {
        m_chain.assign(1, m_pending.front());
        m_pending.erase(m_pending.begin());
        while (GrowOnce()) {
        }
        VectorPolygon chain(m_chain.begin(), m_chain.end());
        if (chain.size() == 1 && IsClosed())
            chain.front()->m_points.pop_back();
        return chain;
    }

private:
    const NPoint& Head() const { return m_chain.front()->m_points.front(); }
    const NPoint& Tail() const { return m_chain.back()->m_points.back(); }
    bool IsClosed() const { return Head() == Tail(); }

    bool GrowOnce()
    {
        for (const NPolygonPtr& piece : m_pending) {
            if (Tail() == piece->m_points.front())
                return Attach(BestSuccessor(), false);
            if (Head() == piece->m_points.back())
                return Attach(BestPredecessor(), true);
        }
        return false;
    }

    // Moves pending piece `index` to the chain; false for no piece (the chain
    // closes on itself).
    bool Attach(size_t index, bool atHead)
    {
        if (index >= m_pending.size())
            return false;
        if (atHead)
            m_chain.push_front(m_pending[index]);
        else
            m_chain.push_back(m_pending[index]);
        m_pending.erase(m_pending.begin() + static_cast<std::ptrdiff_t>(index));
        return true;
    }

    // How far the boundary turns from the reversed arriving direction to the
    // leaving one, measured so that the smallest value hugs the result.
    double Turn(const NPoint& back, const NPoint& leaving) const
    {
        return m_regionOnLeft ? Sweep(leaving, back) : Sweep(back, leaving);
    }

    size_t BestSuccessor() const
    {
        const NPoint back = Reversed(LastDirection(*m_chain.back()));
        size_t best = m_pending.size();
        double bestTurn = IsClosed() ? Turn(back, FirstDirection(*m_chain.front())) : 4 * PI;
        for (size_t k = 0; k < m_pending.size(); ++k) {
            const NPolygon& piece = *m_pending[k];
            if (!(piece.m_points.front() == Tail()))
                continue;
            const double turn = Turn(back, FirstDirection(piece));
            if (turn < bestTurn) {
                bestTurn = turn;
                best = k;
            }
        }
        return best;
    }

    size_t BestPredecessor() const
    {
        const NPoint leaving = FirstDirection(*m_chain.front());
        size_t best = m_pending.size();
        double bestTurn = IsClosed() ? Turn(Reversed(LastDirection(*m_chain.back())), leaving) : 4 * PI;
        for (size_t k = 0; k < m_pending.size(); ++k) {
            const NPolygon& piece = *m_pending[k];
            if (!(piece.m_points.back() == Head()))
                continue;
            const double turn = Turn(Reversed(LastDirection(piece)), leaving);
            if (turn < bestTurn) {
                bestTurn = turn;
                best = k;
            }
        }
        return best;
    }

    VectorPolygon m_pending;
    bool m_regionOnLeft;
    std::deque<NPolygonPtr> m_chain;
};

NPolygonPtr Piece(const std::vector<NPoint>& points, size_t from, size_t to)
{
    return std::make_shared<NPolygon>(
        NPoint{}, std::vector<NPoint>(points.begin() + static_cast<std::ptrdiff_t>(from),
                                      points.begin() + static_cast<std::ptrdiff_t>(to) + 1));
}

// Marks, for every fragment, the points that some other point of the
// fragments repeats: the nodes where boundaries meet.
std::vector<std::vector<bool>> FindNodes(const VectorPolygon& fragments)
{
    struct Occurrence {
        NPoint point;
        size_t fragment;
        size_t index;
    };
    std::vector<Occurrence> all;
    std::vector<std::vector<bool>> nodes;
    for (size_t f = 0; f < fragments.size(); ++f) {
        const std::vector<NPoint>& points = fragments[f]->m_points;
        nodes.emplace_back(points.size(), false);
        for (size_t k = 0; k < points.size(); ++k)
            all.push_back({points[k], f, k});
    }
    std::stable_sort(all.begin(), all.end(),
                     [](const Occurrence& a, const Occurrence& b) { return a.point.x < b.point.x; });
    for (size_t i = 0; i < all.size(); ++i) {
        for (size_t j = i + 1; j < all.size() && all[j].point.x - all[i].point.x < EPS; ++j) {
            if (!(all[i].point == all[j].point))
                continue;
            nodes[all[i].fragment][all[i].index] = true;
            nodes[all[j].fragment][all[j].index] = true;
        }
    }
    return nodes;
}

// Splits the fragments at every inner node, keeping their order, so that the
// ring tracing can choose its way wherever boundaries meet.
VectorPolygon SplitAtAllNodes(const VectorPolygon& fragments)
{
    const std::vector<std::vector<bool>> nodes = FindNodes(fragments);
    VectorPolygon pieces;
    for (size_t f = 0; f < fragments.size(); ++f) {
        const std::vector<NPoint>& points = fragments[f]->m_points;
        size_t from = 0;
        for (size_t k = 1; k + 1 < points.size(); ++k) {
            if (nodes[f][k]) {
                pieces.push_back(Piece(points, from, k));
                from = k;
            }
        }
        pieces.push_back(from == 0 ? fragments[f] : Piece(points, from, points.size() - 1));
    }
    return pieces;
}

// Rings with fewer than three vertices bound nothing and are dropped.
bool AppendRings(VectorPolygon fragments, bool regionOnLeft, VectorPolygon& outs)
{
    std::erase_if(fragments, [](const NPolygonPtr& f) { return f->m_points.size() < 2; });
    RingTracer tracer(SplitAtAllNodes(fragments), regionOnLeft);
    bool appended = false;
    while (!tracer.Done()) {
        VectorPolygon chain = tracer.NextChain();
        VectorPolygon rings;
        CreateContinuousPoligons(chain, rings);
        for (const NPolygonPtr& ring : rings) {
            if (ring->m_points.size() < 3)
                continue;
            outs.push_back(ring);
            appended = true;
        }
    }
    return appended;
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

bool CreateBooleanPoligons(const VectorPolygon& hodographs, BooleanType booleanType, VectorPolygon& outs, bool)
{
    if (hodographs.size() < 2)
        return false;
    VectorPolygon poligons;
    for (const NPolygonPtr& h : hodographs) {
        if (h && !h->m_points.empty())
            poligons.push_back(std::make_shared<NPolygon>(NPoint{}, h->m_points));
    }
    for (const NPolygonPtr& a : poligons) {
        for (const NPolygonPtr& b : poligons) {
            if (a != b)
                InsertCrossings(*a, *b);
        }
    }
    for (const NPolygonPtr& p : poligons)
        p->DelEquilPoints();
    delEmptyPolygons(poligons);
    if (poligons.empty())
        return false;

    std::vector<Operand> operands;
    for (const NPolygonPtr& p : poligons) {
        p->UpdateGabarit();
        const double area = SignedArea(p->m_points);
        operands.push_back({p.get(), area >= 0, std::fabs(area) > 0});
    }
    EdgeClassifier classifier(operands, booleanType);
    std::vector<Fragment> fragments;
    FragmentCollector collector(fragments);
    for (size_t k = 0; k < poligons.size(); ++k)
        collector.Walk(*poligons[k], k, classifier);

    const bool regionOnLeft = operands.front().counterClockwise;
    VectorPolygon chains = OrientedFragments(fragments, regionOnLeft);
    SortPolygonFragments(chains);
    return AppendRings(std::move(chains), regionOnLeft, outs);
}
