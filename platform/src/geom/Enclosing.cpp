// The contours of a drawing's curves that enclose a point: the curves are cut
// where they meet, the pieces form a planar graph, and the faces of that graph
// are traced; the smallest face around the point is the region wanted.

#include "geom/Contour.h"
#include "geom/detail/Kernel.h"

#include <algorithm>
#include <map>
#include <numeric>

namespace vlhost::geom {

using namespace detail;

namespace {

// ---- Pieces: lines and arcs of at most half a turn ----------------------------

struct Piece {
    LineArc shape;
    std::size_t source = 0;
};

double spanOf(const LineArc& shape)
{
    if (std::holds_alternative<Segment>(shape))
        return 1;
    return std::abs(std::get<Arc>(shape).sweep());
}

Point pointOn(const LineArc& shape, double t)
{
    if (const auto* s = std::get_if<Segment>(&shape))
        return lerp(s->start, s->end, t);
    return circularPath(std::get<Arc>(shape)).at(t);
}

double lengthBetween(const LineArc& shape, double t0, double t1)
{
    if (const auto* s = std::get_if<Segment>(&shape))
        return distance(s->start, s->end) * std::abs(t1 - t0);
    return std::get<Arc>(shape).radius * std::abs(t1 - t0);
}

LineArc subPiece(const LineArc& shape, double t0, double t1)
{
    if (const auto* s = std::get_if<Segment>(&shape))
        return Segment{pointOn(*s, t0), pointOn(*s, t1)};
    return arcOf(circularPath(std::get<Arc>(shape)), t0, t1);
}

double parameterOf(const LineArc& shape, Point p)
{
    if (const auto* s = std::get_if<Segment>(&shape)) {
        const Point d = s->end - s->start;
        return std::clamp(dot(p - s->start, d) / dot(d, d), 0.0, 1.0);
    }
    return circularPath(std::get<Arc>(shape)).nearest(p).t;
}

std::vector<Piece> piecesOf(std::span<const Curve> curves, double sag)
{
    std::vector<Piece> out;
    for (std::size_t i = 0; i < curves.size(); ++i)
        for (const LineArc& shape : linesAndArcs(curves[i], sag)) {
            const double span = spanOf(shape);
            if (std::holds_alternative<Arc>(shape) && span > kPi) {
                out.push_back({subPiece(shape, 0, span / 2), i});
                out.push_back({subPiece(shape, span / 2, span), i});
            } else {
                out.push_back({shape, i});
            }
        }
    return out;
}

// ---- Crossings ----------------------------------------------------------------

struct Circle2 {
    Point centre;
    double radius;
};

std::vector<Point> lineCircle(Point a, Point b, const Circle2& c, double tol)
{
    const Point d = b - a;
    const Point f = a - c.centre;
    const double qa = dot(d, d);
    if (std::abs(cross(d, f)) / std::sqrt(qa) > c.radius + tol)
        return {};
    const double qb = 2 * dot(f, d);
    const double disc = std::max(0.0, qb * qb - 4 * qa * (dot(f, f) - c.radius * c.radius));
    std::vector<Point> out;
    for (double sign : {-1.0, 1.0}) {
        const double t = (-qb + sign * std::sqrt(disc)) / (2 * qa);
        if (t >= -1e-12 && t <= 1 + 1e-12)
            out.push_back(a + d * t);
    }
    return out;
}

std::vector<Point> circleCircle(const Circle2& c1, const Circle2& c2, double tol)
{
    const double d = distance(c1.centre, c2.centre);
    if (d < kTiny || d > c1.radius + c2.radius + tol || d < std::abs(c1.radius - c2.radius) - tol)
        return {};
    const double a = (d * d + c1.radius * c1.radius - c2.radius * c2.radius) / (2 * d);
    const double h = std::sqrt(std::max(0.0, c1.radius * c1.radius - a * a));
    const Point u = (c2.centre - c1.centre) / d;
    const Point base = c1.centre + u * a;
    return {base + Point{-u.y, u.x} * h, base - Point{-u.y, u.x} * h};
}

bool onPiece(const LineArc& shape, Point p, double tol)
{
    return distanceToPiece(shape, p) <= tol;
}

std::vector<Point> crossings(const LineArc& a, const LineArc& b, double tol)
{
    const auto* sa = std::get_if<Segment>(&a);
    const auto* sb = std::get_if<Segment>(&b);
    std::vector<Point> candidates;
    if (sa && sb) {
        const Point d1 = sa->end - sa->start;
        const Point d2 = sb->end - sb->start;
        const double den = cross(d1, d2);
        if (std::abs(den) > 1e-12 * norm(d1) * norm(d2)) {
            const double t = cross(sb->start - sa->start, d2) / den;
            candidates.push_back(sa->start + d1 * t);
        }
    } else if (sa || sb) {
        const Segment& s = sa ? *sa : *sb;
        const Arc& arc = std::get<Arc>(sa ? b : a);
        candidates = lineCircle(s.start, s.end, {arc.centre, arc.radius}, tol);
    } else {
        const Arc& a1 = std::get<Arc>(a);
        const Arc& a2 = std::get<Arc>(b);
        candidates = circleCircle({a1.centre, a1.radius}, {a2.centre, a2.radius}, tol);
    }
    std::vector<Point> out;
    for (Point p : candidates)
        if (onPiece(a, p, tol) && onPiece(b, p, tol))
            out.push_back(p);
    return out;
}

// Parameters where each piece must be cut: where the pieces cross, and where
// an end of one piece touches the other.
void cutPair(const Piece& a, const Piece& b, std::vector<double>& cutsA, std::vector<double>& cutsB, double tol)
{
    for (Point p : crossings(a.shape, b.shape, tol)) {
        cutsA.push_back(parameterOf(a.shape, p));
        cutsB.push_back(parameterOf(b.shape, p));
    }
    auto touch = [tol](const LineArc& end, const LineArc& other, std::vector<double>& cuts) {
        for (double t : {0.0, spanOf(end)}) {
            const Point p = pointOn(end, t);
            if (distanceToPiece(other, p) <= tol)
                cuts.push_back(parameterOf(other, p));
        }
    };
    touch(a.shape, b.shape, cutsB);
    touch(b.shape, a.shape, cutsA);
}

std::vector<std::vector<double>> cutsOf(const std::vector<Piece>& pieces, double tol)
{
    std::vector<Box> boxes;
    for (const Piece& p : pieces)
        boxes.push_back(boxOfPiece(p.shape));
    std::vector<std::size_t> order(pieces.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t i, std::size_t j) { return boxes[i].min.x < boxes[j].min.x; });
    std::vector<std::vector<double>> cuts(pieces.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        const std::size_t i = order[k];
        for (std::size_t m = k + 1; m < order.size() && boxes[order[m]].min.x <= boxes[i].max.x + tol; ++m) {
            const std::size_t j = order[m];
            if (boxes[i].overlaps(boxes[j], tol))
                cutPair(pieces[i], pieces[j], cuts[i], cuts[j], tol);
        }
    }
    return cuts;
}

std::vector<Piece> splitPieces(const std::vector<Piece>& pieces, double tol)
{
    const std::vector<std::vector<double>> cuts = cutsOf(pieces, tol);
    std::vector<Piece> out;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const LineArc& shape = pieces[i].shape;
        const double span = spanOf(shape);
        std::vector<double> sorted = cuts[i];
        std::sort(sorted.begin(), sorted.end());
        std::vector<double> kept{0};
        for (double t : sorted)
            if (lengthBetween(shape, kept.back(), t) > tol && lengthBetween(shape, t, span) > tol)
                kept.push_back(t);
        kept.push_back(span);
        for (std::size_t k = 0; k + 1 < kept.size(); ++k)
            out.push_back({subPiece(shape, kept[k], kept[k + 1]), pieces[i].source});
    }
    return out;
}

// ---- Planar graph -------------------------------------------------------------

// Merges points closer than the tolerance into vertices.
class VertexMerger {
public:
    explicit VertexMerger(double tol) : tol_(tol) {}

    std::size_t add(Point p)
    {
        const auto [cx, cy] = cellOf(p);
        std::size_t found = points_.size();
        for (long long dx = -1; dx <= 1 && found == points_.size(); ++dx)
            for (long long dy = -1; dy <= 1 && found == points_.size(); ++dy)
                if (const auto it = cells_.find({cx + dx, cy + dy}); it != cells_.end())
                    for (std::size_t v : it->second)
                        if (near(points_[v], p, tol_)) {
                            found = v;
                            break;
                        }
        if (found < points_.size())
            return found;
        points_.push_back(p);
        cells_[{cx, cy}].push_back(found);
        return found;
    }

    std::size_t size() const { return points_.size(); }

private:
    std::pair<long long, long long> cellOf(Point p) const
    {
        constexpr double kLimit = 4e18;
        auto index = [&](double v) { return static_cast<long long>(std::clamp(std::floor(v / (2 * tol_)), -kLimit, kLimit)); };
        return {index(p.x), index(p.y)};
    }

    double tol_;
    std::vector<Point> points_;
    std::map<std::pair<long long, long long>, std::vector<std::size_t>> cells_;
};

struct Edge {
    Piece piece;
    std::size_t from = 0;
    std::size_t to = 0;
    bool alive = true;
};

// Half-edge 2e runs edge e forwards, 2e + 1 backwards.
struct HalfEdge {
    std::size_t origin;
    std::size_t target;
    double direction;      // departure angle, in [-pi, pi)
    double curvature;      // signed, positive turning left
};

class FaceTracer {
public:
    FaceTracer(std::vector<Piece> pieces, double tol) : tol_(tol)
    {
        buildEdges(pieces);
        pruneDanglingEdges();
        buildHalfEdges();
    }

    std::vector<Contour> faces() const
    {
        std::vector<Contour> out;
        std::vector<bool> visited(halves_.size(), false);
        for (std::size_t start = 0; start < halves_.size(); ++start) {
            if (visited[start] || !edges_[start / 2].alive)
                continue;
            Contour face;
            std::size_t h = start;
            for (std::size_t steps = 0; !visited[h] && steps <= halves_.size(); ++steps) {
                visited[h] = true;
                face.edges.push_back(edgeOf(h));
                h = next(h);
            }
            out.push_back(std::move(face));
        }
        return out;
    }

private:
    void buildEdges(const std::vector<Piece>& pieces)
    {
        VertexMerger vertices(tol_);
        std::map<std::pair<std::size_t, std::size_t>, std::vector<Point>> midpoints;
        for (const Piece& p : pieces) {
            const std::size_t from = vertices.add(pointOn(p.shape, 0));
            const std::size_t to = vertices.add(pointOn(p.shape, spanOf(p.shape)));
            if (from == to)
                continue;
            // The same piece drawn twice (or once each way) is one edge.
            const Point mid = pointOn(p.shape, spanOf(p.shape) / 2);
            auto& seen = midpoints[{std::min(from, to), std::max(from, to)}];
            if (std::any_of(seen.begin(), seen.end(), [&](Point q) { return near(q, mid, tol_); }))
                continue;
            seen.push_back(mid);
            edges_.push_back({p, from, to, true});
        }
        vertexCount_ = vertices.size();
    }

    void pruneDanglingEdges()
    {
        std::vector<std::vector<std::size_t>> incident(vertexCount_);
        for (std::size_t e = 0; e < edges_.size(); ++e) {
            incident[edges_[e].from].push_back(e);
            incident[edges_[e].to].push_back(e);
        }
        std::vector<std::size_t> degree(vertexCount_);
        std::vector<std::size_t> queue;
        for (std::size_t v = 0; v < vertexCount_; ++v) {
            degree[v] = incident[v].size();
            if (degree[v] == 1)
                queue.push_back(v);
        }
        while (!queue.empty()) {
            const std::size_t v = queue.back();
            queue.pop_back();
            for (std::size_t e : incident[v]) {
                if (!edges_[e].alive)
                    continue;
                edges_[e].alive = false;
                for (std::size_t w : {edges_[e].from, edges_[e].to})
                    if (--degree[w] == 1)
                        queue.push_back(w);
            }
        }
    }

    static HalfEdge halfEdgeOf(const Edge& e, bool forward)
    {
        const LineArc& shape = e.piece.shape;
        Point tangent;
        double curvature = 0;
        if (const auto* s = std::get_if<Segment>(&shape)) {
            tangent = s->end - s->start;
        } else {
            const Arc& arc = std::get<Arc>(shape);
            const CircularPath path = circularPath(arc);
            tangent = path.tangent(forward ? 0 : std::abs(path.sweep));
            curvature = (arc.sweep() > 0 ? 1 : -1) / arc.radius;
        }
        if (!forward) {
            tangent = -tangent;
            curvature = -curvature;
        }
        double angle = std::atan2(tangent.y, tangent.x);
        if (angle > kPi - 1e-9)
            angle -= 2 * kPi;
        return {forward ? e.from : e.to, forward ? e.to : e.from, angle, curvature};
    }

    void buildHalfEdges()
    {
        for (const Edge& e : edges_) {
            halves_.push_back(halfEdgeOf(e, true));
            halves_.push_back(halfEdgeOf(e, false));
        }
        around_.assign(vertexCount_, {});
        for (std::size_t h = 0; h < halves_.size(); ++h)
            if (edges_[h / 2].alive)
                around_[halves_[h].origin].push_back(h);
        for (auto& list : around_)
            orderAround(list);
        position_.assign(halves_.size(), 0);
        for (const auto& list : around_)
            for (std::size_t k = 0; k < list.size(); ++k)
                position_[list[k]] = k;
    }

    // Counter-clockwise order of departure around a vertex. Curves that
    // leave it in one direction (a line touching an arc, two arcs touching)
    // are told apart by how they bend: the one bending left comes later. Their
    // directions agree only up to where the touching point was computed, so
    // directions within kSameDirection of one another count as one.
    void orderAround(std::vector<std::size_t>& list) const
    {
        constexpr double kSameDirection = 1e-6;  // radians
        struct Departure {
            double direction;
            std::size_t half;
        };
        std::vector<Departure> sorted;
        for (std::size_t h : list)
            sorted.push_back({halves_[h].direction, h});
        std::stable_sort(sorted.begin(), sorted.end(),
                         [](const Departure& a, const Departure& b) { return a.direction < b.direction; });
        std::vector<std::vector<Departure>> runs;
        for (const Departure& d : sorted) {
            if (runs.empty() || d.direction - runs.back().back().direction > kSameDirection)
                runs.emplace_back();
            runs.back().push_back(d);
        }
        // The first run may go on from the last one round the turn: it goes behind it, a turn further on.
        if (runs.size() > 1 && runs.front().front().direction + 2 * kPi - runs.back().back().direction <= kSameDirection) {
            for (Departure d : runs.front())
                runs.back().push_back({d.direction + 2 * kPi, d.half});
            runs.erase(runs.begin());
        }
        list.clear();
        for (std::vector<Departure>& run : runs) {
            std::stable_sort(run.begin(), run.end(), [&](const Departure& a, const Departure& b) {
                const double ka = halves_[a.half].curvature;
                const double kb = halves_[b.half].curvature;
                return ka != kb ? ka < kb : a.direction < b.direction;
            });
            for (const Departure& d : run)
                list.push_back(d.half);
        }
    }

    // The half-edge after h on the face to its left: at h's target, the
    // departure just clockwise of the way back.
    std::size_t next(std::size_t h) const
    {
        const std::size_t twin = h ^ 1;
        const auto& list = around_[halves_[twin].origin];
        return list[(position_[twin] + list.size() - 1) % list.size()];
    }

    ContourEdge edgeOf(std::size_t h) const
    {
        const Piece& p = edges_[h / 2].piece;
        const bool backwards = (h & 1) != 0;
        const Curve curve = toCurve(p.shape);
        return {backwards ? reversed(curve) : curve, p.source, backwards};
    }

    double tol_;
    std::size_t vertexCount_ = 0;
    std::vector<Edge> edges_;
    std::vector<HalfEdge> halves_;
    std::vector<std::vector<std::size_t>> around_;
    std::vector<std::size_t> position_;
};

Point pointOnBorder(const Contour& c)
{
    const Curve& first = c.edges.front().curve;
    const Domain d = domain(first);
    return pointAt(first, (d.min + d.max) / 2);
}

}  // namespace

std::vector<Contour> enclosingContours(std::span<const Curve> curves, Point p, double tol, double sag)
{
    if (!isFinite(p))
        return {};
    tol = std::isfinite(tol) && tol > kTiny ? tol : kTiny;
    const std::vector<Contour> faces = FaceTracer(splitPieces(piecesOf(curves, sag), tol), tol).faces();
    std::vector<double> areas;
    for (const Contour& f : faces)
        areas.push_back(signedArea(f));
    // Bounded faces run counter-clockwise; the smallest one around p is the region.
    std::optional<std::size_t> outer;
    for (std::size_t i = 0; i < faces.size(); ++i)
        if (areas[i] > tol * tol && (!outer || areas[i] < areas[*outer]) && boundingBox(faces[i]).contains(p) &&
            encloses(faces[i], p))
            outer = i;
    if (!outer)
        return {};
    // The clockwise borders of the separate drawings inside it are its holes,
    // unless they lie inside another such hole.
    std::vector<std::size_t> holes;
    for (std::size_t i = 0; i < faces.size(); ++i)
        if (areas[i] < -tol * tol && !encloses(faces[i], p) && encloses(faces[*outer], pointOnBorder(faces[i])))
            holes.push_back(i);
    std::vector<Contour> out{faces[*outer]};
    for (std::size_t i : holes) {
        const bool nested = std::any_of(holes.begin(), holes.end(), [&](std::size_t j) {
            return j != i && encloses(faces[j], pointOnBorder(faces[i]));
        });
        if (!nested)
            out.push_back(faces[i]);
    }
    return out;
}

}  // namespace vlhost::geom
