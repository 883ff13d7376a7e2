// Contact geometry of two rings that touch under translation: where they
// touch, which directions of motion would push one into the other, and how far
// a motion can go before it runs into the fixed ring.
//
// Both rings keep their material on the left of every directed edge (a
// counter-clockwise outline, or a clockwise container). The fixed ring A stays
// put; the moving ring B is given by its own points plus a translation.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace nfp {

double Cross(const NPoint& a, const NPoint& b);
double Dot(const NPoint& a, const NPoint& b);
double Length(const NPoint& v);
// Direction angle of v in [0, 2pi).
double Angle(const NPoint& v);
// a reduced to [0, 2pi).
double Mod2Pi(double a);
// Twice the signed area of the ring: positive for counter-clockwise.
double SignedArea2(const std::vector<NPoint>& ring);

// Where a vertex of one ring touches the other ring.
enum class ContactKind {
    VertexVertex,  // vertex i of A on vertex j of B
    VertexOnEdgeA, // vertex j of B inside edge i (i -> i+1) of A
    VertexOnEdgeB, // vertex i of A inside edge j (j -> j+1) of B
};

struct Contact {
    ContactKind kind;
    size_t i;
    size_t j;
};

// Edge i of A and edge j of B.
struct EdgePair {
    size_t i = 0;
    size_t j = 0;
};

// An open sector of forbidden directions of motion of B, counter-clockwise
// from `start` over `width` radians. `slide` is the motion that runs along
// the sector's starting ray for as long as the contact lasts.
struct Sector {
    double start = 0.0;
    double width = 0.0;
    NPoint slide;
    bool full = false; // every direction is forbidden: the rings overlap here
    // The slack of the edges along the two boundary rays: a direction lies
    // on a ray when closer than the larger of its slack and the ray's.
    double startSlack = 0.0;
    double endSlack = 0.0;
};

// A uniform grid over a ring's box; each cell lists the edges whose boxes
// meet it, so that the edges near a segment are found without testing all.
class EdgeGrid {
public:
    // About `cellsPerEdge` cells for each edge of the ring, over its box.
    explicit EdgeGrid(const std::vector<NPoint>& ring, double cellsPerEdge = 1.0);

    // Calls f(k) for every edge k listed in a cell that the box [lo, hi]
    // meets (an edge may come more than once) until f returns true; returns
    // whether it did.
    template <class F>
    bool AnyNear(const NPoint& lo, const NPoint& hi, F f) const
    {
        if (m_cols == 0 || hi.x < m_lo.x || hi.y < m_lo.y || lo.x > m_hi.x || lo.y > m_hi.y)
            return false;
        const size_t c0 = Col(lo.x), c1 = Col(hi.x);
        for (size_t r = Row(lo.y), r1 = Row(hi.y); r <= r1; ++r)
            for (size_t c = c0; c <= c1; ++c) {
                size_t cell = r * m_cols + c;
                for (size_t e = m_start[cell]; e < m_start[cell + 1]; ++e)
                    if (f(m_edges[e]))
                        return true;
            }
        return false;
    }

    // Calls f(k) once for every edge k that meets the horizontal ray from p
    // to the right inside the grid, with `column` the column it meets it in;
    // f sees each crossing once if it counts only those in the given column.
    template <class F>
    void ForEachOnRay(const NPoint& p, F f) const
    {
        if (m_cols == 0 || p.y < m_lo.y || p.y > m_hi.y || p.x > m_hi.x)
            return;
        size_t r = Row(p.y);
        for (size_t c = Col(p.x); c < m_cols; ++c)
            for (size_t e = m_start[r * m_cols + c]; e < m_start[r * m_cols + c + 1]; ++e)
                f(m_edges[e], c);
    }
    size_t Col(double x) const
    {
        const double c = (x - m_lo.x) * m_perCellX;
        return c <= 0.0 ? 0 : c >= static_cast<double>(m_cols) ? m_cols - 1 : static_cast<size_t>(c);
    }
    // The smaller side of a cell.
    double CellSize() const { return m_cols == 0 ? 0.0 : std::min(m_cellWidth, m_cellHeight); }
    // A lower bound on the distance from p to every edge of the ring: how
    // far p lies outside the grid, or the cells between p's cell and the
    // nearest cell that lists an edge.
    double LowerDistance(const NPoint& p) const;

private:
    size_t Row(double y) const
    {
        const double r = (y - m_lo.y) * m_perCellY;
        return r <= 0.0 ? 0 : r >= static_cast<double>(m_rows) ? m_rows - 1 : static_cast<size_t>(r);
    }
    template <class F>
    void ForEachCell(const NPoint& p, const NPoint& q, F f) const;

    NPoint m_lo;
    NPoint m_hi;
    size_t m_cols = 0;
    size_t m_rows = 0;
    double m_perCellX = 1.0; // cells per unit of length
    double m_perCellY = 1.0;
    double m_cellWidth = 1.0; // 1 / m_perCellX
    double m_cellHeight = 1.0;
    std::vector<size_t> m_start; // edges of cell c: m_edges[m_start[c] .. m_start[c + 1])
    std::vector<size_t> m_edges;
    // Per cell, the steps (in rows and columns at once) to the nearest cell
    // that lists an edge: 0 for such a cell.
    std::vector<uint32_t> m_steps;
};

// The grids of a pair's rings are finer: the contact and travel tests of
// an orbit ask them for small neighbourhoods all the time, and their cells'
// distances to the nearest edge bound the clearances.
inline constexpr double CONTACT_CELLS_PER_EDGE = 9.0;

// A ring with a grid over its edges, for locating many points against it.
struct IndexedRing {
    explicit IndexedRing(std::vector<NPoint> ringPoints) : points(std::move(ringPoints)), grid(points) {}
    std::vector<NPoint> points;
    EdgeGrid grid;
};

// How far each vertex of B lies at least from A's edges, and each vertex of A
// from B's edges, kept along an orbit: each bound is stored as the travel of
// B (summed lengths of its moves) at which it runs out.
//
// The vertices whose bounds run out within twice `horizon` of the travel at
// which the lists were made are listed (ascending); until the travel passes
// `refresh`, every other vertex stays clear by more than the horizon, and
// the steps look only at the listed ones.
struct Clearance {
    std::vector<double> a;
    std::vector<double> b;
    double travel = 0.0;
    std::vector<size_t> nearA;
    std::vector<size_t> nearB;
    double horizon = 0.0;
    double refresh = -1.0; // the lists are out of date once the travel passes it
    // Scratch space of the contact search, kept from step to step.
    std::vector<bool> onVertex;
    std::vector<size_t> edges;
    void Reset(size_t verticesA, size_t verticesB)
    {
        a.assign(verticesA, 0.0);
        b.assign(verticesB, 0.0);
        travel = 0.0;
        refresh = -1.0;
    }
};

// The two rings of one pair. Lengths below `tolerance` count as zero; two
// directions count as one when the edges they follow would part by less than
// the tolerance over their length.
class ContactFrame {
public:
    ContactFrame(const std::vector<NPoint>& a, const std::vector<NPoint>& b, double tolerance);

    const std::vector<NPoint>& A() const { return m_a; }
    const std::vector<NPoint>& B() const { return m_b; }
    double Tolerance() const { return m_tol; }
    NPoint VertexB(size_t j, const NPoint& shift) const { return m_b[j] + shift; }

    // Every contact of A with B moved by `shift`.
    // Every contact of A with B moved by `shift`. Along an orbit, the
    // clearance (if given) skips the vertices far from the other ring and is
    // brought up to date for the others.
    void FindContacts(const NPoint& shift, std::vector<Contact>& contacts, Clearance* clearance = nullptr) const;
    // The forbidden sector of one contact at `shift`.
    Sector ForbiddenSector(const Contact& c, const NPoint& shift) const;
    // True when motion along `dir` from this contact pushes B into A.
    bool Blocks(const Contact& c, const NPoint& dir) const;
    // The part of `move` (0 < t <= 1) B can travel from `shift` before it
    // would run into A; 1 when nothing is in the way.
    double FreeTravel(const NPoint& shift, const NPoint& move, const Clearance* clearance = nullptr) const;
    // B moved by `shift` does not overlap A (touching allowed). When two
    // edges cross properly, `crossing` (if given) receives them.
    bool IsFeasible(const NPoint& shift, EdgePair* crossing = nullptr) const;
    // Edge i of A and edge j of B moved by `shift` cross each other properly:
    // each has its ends strictly on both sides of the other's line.
    bool EdgesCross(const EdgePair& edges, const NPoint& shift) const;

    // Where a point lies against a ring of this frame's scale.
    enum class Side { Inside, Boundary, Outside };
    Side Locate(const std::vector<NPoint>& ring, const NPoint& p) const;
    bool OnRing(const std::vector<NPoint>& ring, const NPoint& p) const;
    // The same with the ring's grid: only the edges near p are tested.
    Side Locate(const IndexedRing& ring, const NPoint& p) const;
    bool OnRing(const IndexedRing& ring, const NPoint& p) const;

    // Motion along `angle` over `length` goes into the sector (by more than
    // the tolerance).
    bool Forbids(const Sector& s, double angle, double length) const;
    // The contact can exist without overlap at some translation: the
    // touching vertex's wedge stays out of the other ring's material.
    bool CanTouch(const Contact& c) const;
    // Both rings turn left at every vertex.
    bool BothConvex() const;
    // Every contact that CanTouch, by i, then j, then kind (vertex on vertex,
    // on an edge of A, on an edge of B). Only the pairs whose directions can
    // agree are tested: a touching vertex's wedge must turn away from the
    // other ring's edge or wedge.
    void TouchingContacts(std::vector<Contact>& contacts) const;

private:
    size_t NextA(size_t i) const { return i + 1 == m_a.size() ? 0 : i + 1; }
    size_t PrevA(size_t i) const { return i == 0 ? m_a.size() - 1 : i - 1; }
    size_t NextB(size_t j) const { return j + 1 == m_b.size() ? 0 : j + 1; }
    size_t PrevB(size_t j) const { return j == 0 ? m_b.size() - 1 : j - 1; }
    Sector VertexVertexSector(size_t i, size_t j) const;
    // The angle (radians) by which a direction followed over `length`
    // parts from another by the tolerance: directions closer than the larger
    // slack of two count as one.
    double Slack(double length) const;
    // A ring's material round one vertex: counter-clockwise from the
    // outgoing edge over `width`, with the slack of the outgoing and the
    // incoming edge.
    struct Wedge {
        double start;
        double width;
        double startSlack;
        double endSlack;
    };
    Wedge WedgeA(size_t i) const;
    Wedge WedgeB(size_t j) const;
    bool Overlap(const Wedge& a, const Wedge& b) const;
    Sector Hull(const Wedge& wi, const Wedge& wj) const;
    bool Near(const NPoint& p, const NPoint& q) const;
    bool OnSegment(const NPoint& p, const NPoint& q0, const NPoint& q1) const;
    // Where p lies on the edge q0 -> q1: off it, within the tolerance of one
    // of its ends, or inside it.
    enum class EdgePlace { Off, Start, End, Inside };
    EdgePlace PlaceOnEdge(const NPoint& p, const NPoint& q0, const NPoint& q1) const;
    // The earliest block (a part of `move`) before `best`, or `best`.
    double EarliestBlock(const NPoint& shift, const NPoint& move, bool bOnA, const Clearance* clearance,
                         double best) const;
    // The contacts of vertex m of B (ofB) or of A, at p, with the other ring.
    void VertexContacts(bool ofB, size_t m, const NPoint& p, Clearance* clearance, std::vector<size_t>& near,
                        std::vector<bool>& aOnVertex, std::vector<Contact>& contacts) const;
    // The edges of `ring` within twice the tolerance of p, and a lower bound
    // on p's distance from all its edges, for a p whose grid bound
    // (LowerDistance) is no more than twice the tolerance.
    void NearEdges(const EdgeGrid& grid, const std::vector<NPoint>& ring, const NPoint& p, double& clearance,
                   double& expires, double travel, std::vector<size_t>& edges) const;
    // The edges (ascending) of a grid's ring that may pass within the tolerance of p.
    void EdgesNear(const EdgeGrid& grid, const NPoint& p, std::vector<size_t>& edges) const;
    // Makes the clearance's lists of near vertices anew when out of date.
    void UpdateNearLists(Clearance& clearance) const;
    bool HasProperCrossing(const NPoint& shift, EdgePair* crossing) const;
    bool HasVertexInside(const NPoint& shift) const;

    // Per ring: the direction and length of edge k (k -> k+1) and the material wedge at
    // vertex k (counter-clockwise from the outgoing edge over `width`).
    struct Corner {
        double edgeAngle = 0.0;
        double length = 0.0; // of edge k
        double slack = 0.0;  // of edge k
        double width = 0.0;
    };
    std::vector<Corner> Corners(const std::vector<NPoint>& ring) const;

    std::vector<NPoint> m_a;
    std::vector<NPoint> m_b;
    std::vector<Corner> m_cornersA;
    std::vector<Corner> m_cornersB;
    // Shared with the frames of other pairs of the same rings.
    std::shared_ptr<const EdgeGrid> m_gridA;
    std::shared_ptr<const EdgeGrid> m_gridB;
    double m_tol = 0.0;
    bool m_counterClockwiseA = true;
};

} // namespace nfp
