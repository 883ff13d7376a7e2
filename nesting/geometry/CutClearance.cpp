#include "geometry/CutClearance.h"

#include <algorithm>
#include <cmath>

namespace clearance {
namespace {

constexpr double kTurn = 2.0 * PI;

double Length(const NPoint& v) { return std::hypot(v.x, v.y); }

NPoint At(const NPoint& centre, double radius, double angle)
{
    return {centre.x + radius * std::cos(angle), centre.y + radius * std::sin(angle)};
}

// Whether the arc passes the direction `angle` from its centre.
bool Spans(const CutPiece& arc, double angle)
{
    if (std::fabs(arc.sweep) >= kTurn)
        return true;
    const double turn = NormalizeAngle(arc.sweep > 0.0 ? angle - arc.from : arc.from - angle, kTurn);
    return turn <= std::fabs(arc.sweep);
}

bool SpansTowards(const CutPiece& arc, const NPoint& p)
{
    return Spans(arc, std::atan2(p.y - arc.centre.y, p.x - arc.centre.x));
}

double PointLine(const NPoint& p, const NPoint& a, const NPoint& b)
{
    const NPoint d = b - a;
    const double length2 = d.x * d.x + d.y * d.y;
    const double t = length2 > 0.0 ? std::clamp(((p.x - a.x) * d.x + (p.y - a.y) * d.y) / length2, 0.0, 1.0) : 0.0;
    return Length(p - NPoint{a.x + t * d.x, a.y + t * d.y});
}

double PointPiece(const NPoint& p, const CutPiece& piece)
{
    if (!piece.IsArc())
        return PointLine(p, piece.a, piece.b);
    const double fromCentre = Length(p - piece.centre);
    if (fromCentre > 0.0 && SpansTowards(piece, p))
        return std::fabs(fromCentre - piece.radius);
    if (fromCentre == 0.0 && std::fabs(piece.sweep) >= kTurn)
        return piece.radius;
    return std::min(Length(p - piece.a), Length(p - piece.b));
}

// The ends of each piece against the other.
double EndsDistance(const CutPiece& p, const CutPiece& q)
{
    return std::min({PointPiece(p.a, q), PointPiece(p.b, q), PointPiece(q.a, p), PointPiece(q.b, p)});
}

double Cross(const NPoint& o, const NPoint& p, const NPoint& q)
{
    return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x);
}

// Lines that cross or touch: each one's ends not both strictly on one side
// of the other (collinear lines that meet have an end on the other).
bool LinesMeet(const CutPiece& p, const CutPiece& q)
{
    const double d1 = Cross(q.a, q.b, p.a), d2 = Cross(q.a, q.b, p.b);
    const double d3 = Cross(p.a, p.b, q.a), d4 = Cross(p.a, p.b, q.b);
    return ((d1 > 0.0 && d2 < 0.0) || (d1 < 0.0 && d2 > 0.0)) && ((d3 > 0.0 && d4 < 0.0) || (d3 < 0.0 && d4 > 0.0));
}

double LineArc(const CutPiece& line, const CutPiece& arc)
{
    double best = EndsDistance(line, arc);
    const NPoint d = line.b - line.a;
    const double length = Length(d);
    if (length <= 0.0)
        return best;
    const NPoint w{d.x / length, d.y / length};
    // The foot of the centre on the line, along it from its start.
    const double t = (arc.centre.x - line.a.x) * w.x + (arc.centre.y - line.a.y) * w.y;
    const NPoint foot{line.a.x + t * w.x, line.a.y + t * w.y};
    const double off = Length(foot - arc.centre);
    if (off <= arc.radius) {
        const double h = std::sqrt(arc.radius * arc.radius - off * off);
        for (const double along : {t - h, t + h}) {
            if (along >= 0.0 && along <= length && SpansTowards(arc, {line.a.x + along * w.x, line.a.y + along * w.y}))
                return 0.0;
        }
    }
    // Within the line, the nearest points lie square to it through the centre.
    if (t > 0.0 && t < length) {
        const NPoint u = off > 0.0 ? NPoint{(foot.x - arc.centre.x) / off, (foot.y - arc.centre.y) / off}
                                   : NPoint{-w.y, w.x};
        for (const double side : {1.0, -1.0}) {
            const NPoint q{arc.centre.x + side * arc.radius * u.x, arc.centre.y + side * arc.radius * u.y};
            if (SpansTowards(arc, q))
                best = std::min(best, Length(q - foot));
        }
    }
    return best;
}

double ArcArc(const CutPiece& p, const CutPiece& q)
{
    double best = EndsDistance(p, q);
    const NPoint between = q.centre - p.centre;
    const double d = Length(between);
    if (d <= 1e-12) {
        // About one centre: the radii apart where the arcs share a direction.
        const bool share = std::fabs(p.sweep) >= kTurn || std::fabs(q.sweep) >= kTurn || SpansTowards(p, q.a) ||
                           SpansTowards(p, q.b) || SpansTowards(q, p.a) || SpansTowards(q, p.b);
        return share ? std::min(best, std::fabs(p.radius - q.radius)) : best;
    }
    const NPoint u{between.x / d, between.y / d};
    if (d <= p.radius + q.radius && d >= std::fabs(p.radius - q.radius)) {
        const double along = (d * d + p.radius * p.radius - q.radius * q.radius) / (2.0 * d);
        const double h = std::sqrt(std::max(0.0, p.radius * p.radius - along * along));
        for (const double side : {1.0, -1.0}) {
            const NPoint x{p.centre.x + along * u.x - side * h * u.y, p.centre.y + along * u.y + side * h * u.x};
            if (SpansTowards(p, x) && SpansTowards(q, x))
                return 0.0;
        }
    }
    // Within both arcs, the nearest points lie on the line of the centres.
    for (const double sp : {1.0, -1.0}) {
        const NPoint x{p.centre.x + sp * p.radius * u.x, p.centre.y + sp * p.radius * u.y};
        if (!SpansTowards(p, x))
            continue;
        for (const double sq : {1.0, -1.0}) {
            const NPoint y{q.centre.x + sq * q.radius * u.x, q.centre.y + sq * q.radius * u.y};
            if (SpansTowards(q, y))
                best = std::min(best, Length(y - x));
        }
    }
    return best;
}

struct Boxed {
    const CutPiece* piece;
    NRect box;
};

std::vector<Boxed> SortedByLeft(const std::vector<CutPiece>& pieces)
{
    std::vector<Boxed> boxed;
    boxed.reserve(pieces.size());
    for (const CutPiece& piece : pieces)
        boxed.push_back({&piece, PieceBox(piece)});
    std::stable_sort(boxed.begin(), boxed.end(),
                     [](const Boxed& a, const Boxed& b) { return a.box.pBot.x < b.box.pBot.x; });
    return boxed;
}

}  // namespace

CutPiece LinePiece(const NPoint& a, const NPoint& b)
{
    CutPiece piece;
    piece.a = a;
    piece.b = b;
    return piece;
}

CutPiece ArcPiece(const NPoint& centre, double radius, double from, double sweep)
{
    const double turn = std::clamp(sweep, -kTurn, kTurn);
    const NPoint a = At(centre, radius, from);
    const NPoint b = At(centre, radius, from + turn);
    if (!std::isfinite(radius) || !std::isfinite(from) || !std::isfinite(turn) || radius <= 0.0 || turn == 0.0 ||
        !std::isfinite(centre.x) || !std::isfinite(centre.y))
        return LinePiece(a, b);
    CutPiece piece;
    piece.a = a;
    piece.b = b;
    piece.centre = centre;
    piece.radius = radius;
    piece.from = from;
    piece.sweep = turn;
    return piece;
}

void AddRingPieces(const std::vector<NPoint>& ring, std::vector<CutPiece>& pieces)
{
    const size_t n = ring.size();
    for (size_t k = 0; n >= 2 && k < n; ++k)
        pieces.push_back(LinePiece(ring[k == 0 ? n - 1 : k - 1], ring[k]));
}

CutPiece Placed(const CutPiece& piece, double x, double y, double angle)
{
    const double c = std::cos(angle * DR), s = std::sin(angle * DR);
    const auto place = [&](const NPoint& p) { return NPoint{x + p.x * c - p.y * s, y + p.x * s + p.y * c}; };
    CutPiece placed = piece;
    placed.a = place(piece.a);
    placed.b = place(piece.b);
    if (piece.IsArc()) {
        placed.centre = place(piece.centre);
        placed.from = piece.from + angle * DR;
    }
    return placed;
}

NRect PieceBox(const CutPiece& piece)
{
    NRect box{{std::min(piece.a.x, piece.b.x), std::min(piece.a.y, piece.b.y)},
              {std::max(piece.a.x, piece.b.x), std::max(piece.a.y, piece.b.y)}};
    if (!piece.IsArc())
        return box;
    for (int k = 0; k < 4; ++k) {
        const double angle = k * 0.5 * PI;
        if (!Spans(piece, angle))
            continue;
        const NPoint p = At(piece.centre, piece.radius, angle);
        box.pBot = {std::min(box.pBot.x, p.x), std::min(box.pBot.y, p.y)};
        box.pTop = {std::max(box.pTop.x, p.x), std::max(box.pTop.y, p.y)};
    }
    return box;
}

double PieceDistance(const CutPiece& p, const CutPiece& q)
{
    if (!p.IsArc() && !q.IsArc())
        return LinesMeet(p, q) ? 0.0 : EndsDistance(p, q);
    if (!p.IsArc())
        return LineArc(p, q);
    if (!q.IsArc())
        return LineArc(q, p);
    return ArcArc(p, q);
}

double PiecesDistance(const std::vector<CutPiece>& a, const std::vector<CutPiece>& b, double reach)
{
    const std::vector<Boxed> q = SortedByLeft(b);
    double widest = 0.0;
    for (const Boxed& f : q)
        widest = std::max(widest, f.box.pTop.x - f.box.pBot.x);
    double best = reach;
    for (const CutPiece& piece : a) {
        const NRect box = PieceBox(piece);
        const double from = box.pBot.x - best - widest;
        auto it = std::lower_bound(q.begin(), q.end(), from, [](const Boxed& f, double x) { return f.box.pBot.x < x; });
        for (; it != q.end() && it->box.pBot.x <= box.pTop.x + best; ++it) {
            if (it->box.pTop.x < box.pBot.x - best || it->box.pBot.y > box.pTop.y + best ||
                it->box.pTop.y < box.pBot.y - best)
                continue;
            best = std::min(best, PieceDistance(piece, *it->piece));
            if (best <= 0.0)
                return 0.0;
        }
    }
    return best < reach ? best : kFar;
}

}  // namespace clearance
