// Adaptive algorithms shared by the smooth curves (ellipses and splines).

#include "geom/detail/Kernel.h"

#include <algorithm>
#include <array>
#include <functional>

namespace vlhost::geom::detail {

namespace {

// Chords and pieces are checked at samples, so they aim a little below the sag.
constexpr double kSagMargin = 0.97;
constexpr int kMaxDepth = 40;
// A chord or piece may cover at most this turn of the tangent (cos 30°).
constexpr double kMaxTurnCos = 0.8660254037844386;

using Integrand = std::function<double(double)>;

double gauss(const Integrand& f, double a, double b)
{
    static constexpr std::array<double, 4> nodes{0.1834346424956498, 0.5255324099163290, 0.7966664774136267,
                                                 0.9602898564975363};
    static constexpr std::array<double, 4> weights{0.3626837833783620, 0.3137066458778873, 0.2223810344533745,
                                                   0.1012285362903763};
    const double half = (b - a) / 2;
    const double mid = (a + b) / 2;
    double sum = 0;
    for (std::size_t i = 0; i < nodes.size(); ++i)
        sum += weights[i] * (f(mid - half * nodes[i]) + f(mid + half * nodes[i]));
    return sum * half;
}

double adaptiveIntegral(const Integrand& f, double a, double b, double whole, int depth)
{
    const double mid = (a + b) / 2;
    const double left = gauss(f, a, mid);
    const double right = gauss(f, mid, b);
    if (depth >= 20 || std::abs(left + right - whole) <= 1e-13 * std::max(1.0, std::abs(left + right)))
        return left + right;
    return adaptiveIntegral(f, a, mid, left, depth + 1) + adaptiveIntegral(f, mid, b, right, depth + 1);
}

double integrateOverSpans(const Smooth& curve, const Integrand& f)
{
    const std::vector<double> br = curve.breaks();
    double sum = 0;
    for (std::size_t i = 0; i + 1 < br.size(); ++i)
        sum += adaptiveIntegral(f, br[i], br[i + 1], gauss(f, br[i], br[i + 1]), 0);
    return sum;
}

bool turnsLittle(Point d0, Point d1)
{
    const double n0 = norm(d0);
    const double n1 = norm(d1);
    if (n0 < kTiny || n1 < kTiny)
        return true;   // a stationary end (coincident poles): the samples decide
    return dot(d0, d1) >= kMaxTurnCos * n0 * n1;
}

// The derivative at t as the curve runs on from `from` (from before t: as it arrives).
Point slopeComingFrom(const Smooth& curve, double t, double from)
{
    return from < t ? curve.derivativeBefore(t) : curve.derivative(t);
}

bool chordFits(const Smooth& curve, const Sample& a, const Sample& b, double sag)
{
    if (!turnsLittle(slopeComingFrom(curve, a.t, b.t), slopeComingFrom(curve, b.t, a.t)))
        return false;
    for (int k = 1; k < 8; ++k) {
        const Point p = curve.at(a.t + (b.t - a.t) * k / 8.0);
        if (distanceToSegment(p, a.p, b.p) > kSagMargin * sag)
            return false;
    }
    return true;
}

void refineChord(const Smooth& curve, const Sample& a, const Sample& b, double sag, int depth, std::vector<Sample>& out)
{
    if (depth >= kMaxDepth || (depth >= 1 && chordFits(curve, a, b, sag))) {
        out.push_back(b);
        return;
    }
    const double tm = (a.t + b.t) / 2;
    const Sample m{tm, curve.at(tm)};
    refineChord(curve, a, m, sag, depth + 1, out);
    refineChord(curve, m, b, sag, depth + 1, out);
}

// Minimum of the distance from p to the curve on [lo, hi] by golden-section search.
Nearest goldenNearest(const Smooth& curve, Point p, double lo, double hi, int iterations)
{
    constexpr double kGolden = 0.6180339887498949;
    auto dist2 = [&](double t) { const Point d = curve.at(t) - p; return dot(d, d); };
    double x1 = hi - kGolden * (hi - lo);
    double x2 = lo + kGolden * (hi - lo);
    double f1 = dist2(x1);
    double f2 = dist2(x2);
    for (int i = 0; i < iterations; ++i) {
        if (f1 <= f2) {
            hi = x2; x2 = x1; f2 = f1;
            x1 = hi - kGolden * (hi - lo); f1 = dist2(x1);
        } else {
            lo = x1; x1 = x2; f1 = f2;
            x2 = lo + kGolden * (hi - lo); f2 = dist2(x2);
        }
    }
    Nearest best{curve.at(lo), lo, std::sqrt(dist2(lo))};
    for (double t : {(lo + hi) / 2, hi}) {
        const Point q = curve.at(t);
        if (distance(q, p) < best.distance)
            best = {q, t, distance(q, p)};
    }
    return best;
}

// Nearest point among fine samples: the chords nearest to p (each a local
// minimum, none much farther than the best) are refined on the curve.
Nearest nearestAmong(const Smooth& curve, const std::vector<Sample>& samples, Point p, double sag)
{
    constexpr std::size_t kMaxCandidates = 8;
    std::vector<double> d(samples.size(), distance(samples[0].p, p));
    for (std::size_t i = 1; i < samples.size(); ++i)
        d[i] = distanceToSegment(p, samples[i - 1].p, samples[i].p);
    const double best = *std::min_element(d.begin(), d.end());
    std::vector<std::size_t> candidates;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const bool localMinimum = (i == 0 || d[i] <= d[i - 1]) && (i + 1 == d.size() || d[i] <= d[i + 1]);
        if (localMinimum && d[i] <= best + 2 * sag)
            candidates.push_back(i);
    }
    std::stable_sort(candidates.begin(), candidates.end(), [&](std::size_t a, std::size_t b) { return d[a] < d[b]; });
    candidates.resize(std::min(candidates.size(), kMaxCandidates));
    Nearest nearest{samples[0].p, samples[0].t, d[0]};
    for (std::size_t i : candidates) {
        const std::size_t lo = i >= 2 ? i - 2 : 0;
        const std::size_t hi = std::min(i + 1, samples.size() - 1);
        const Nearest n = goldenNearest(curve, p, samples[lo].t, samples[hi].t, 60);
        if (n.distance < nearest.distance)
            nearest = n;
    }
    return nearest;
}

double bisectRoot(const std::function<double(double)>& f, double lo, double hi)
{
    double flo = f(lo);
    for (int i = 0; i < 60; ++i) {
        const double mid = (lo + hi) / 2;
        const double fm = f(mid);
        if ((fm < 0) == (flo < 0)) {
            lo = mid;
            flo = fm;
        } else {
            hi = mid;
        }
    }
    return (lo + hi) / 2;
}

Point unitTangent(const Smooth& curve, double t, double towards)
{
    Point d = slopeComingFrom(curve, t, towards);
    if (norm(d) < kTiny) {
        const double step = (towards - t) * 1e-6;
        d = (curve.at(t + step) - curve.at(t)) * (step >= 0 ? 1 : -1);
    }
    const double n = norm(d);
    return n < kTiny ? Point{} : d / n;
}

// Arc leaving a with unit tangent `dir` and ending at b (a segment when b lies on the tangent).
LineArc pieceFromTangent(Point a, Point dir, Point b)
{
    const Point v = b - a;
    const Point normal{-dir.y, dir.x};
    const double den = 2 * dot(v, normal);
    if (std::abs(den) <= 1e-9 * norm(v))
        return Segment{a, b};
    const double r = dot(v, v) / den;
    const Point c = a + normal * r;
    const Point ca = a - c;
    const Point cb = b - c;
    return Arc{c, std::abs(r), std::atan2(ca.y, ca.x), std::atan2(cb.y, cb.x), r > 0};
}

LineArc reversedPiece(const LineArc& piece)
{
    if (const auto* s = std::get_if<Segment>(&piece))
        return Segment{s->end, s->start};
    const Arc& a = std::get<Arc>(piece);
    return Arc{a.centre, a.radius, a.endAngle, a.startAngle, !a.ccw};
}

// The two pieces of the biarc from p0 (tangent t0) to p1 (tangent t1), joined
// where the tangent lengths are equal; nothing when no such biarc exists.
std::optional<std::array<LineArc, 2>> biarc(Point p0, Point t0, Point p1, Point t1)
{
    const Point v = p1 - p0;
    const Point t = t0 + t1;
    const double vt = dot(v, t);
    const double k = 2 * (1 - dot(t0, t1));
    double d;
    if (k < 1e-12) {
        if (std::abs(dot(v, t1)) < kTiny)
            return std::nullopt;
        d = dot(v, v) / (4 * dot(v, t1));
    } else {
        d = (-vt + std::sqrt(vt * vt + k * dot(v, v))) / k;
    }
    if (!std::isfinite(d) || d <= 0)
        return std::nullopt;
    const Point joint = ((p0 + t0 * d) + (p1 - t1 * d)) / 2;
    return std::array<LineArc, 2>{pieceFromTangent(p0, t0, joint), reversedPiece(pieceFromTangent(p1, -t1, joint))};
}

Point pointOnPiece(const LineArc& piece, double fraction)
{
    if (const auto* s = std::get_if<Segment>(&piece))
        return lerp(s->start, s->end, fraction);
    const CircularPath path = circularPath(std::get<Arc>(piece));
    return path.at(std::abs(path.sweep) * fraction);
}

class PieceFitter {
public:
    PieceFitter(const Smooth& curve, double sag, const Box& box)
        : curve_(curve), sag_(kSagMargin * sag), box_(box),
          boxTol_(1e-9 * std::max({1.0, box.width(), box.height()})) {}

    void fit(double t0, double t1, int depth, std::vector<LineArc>& out) const
    {
        const Sample a{t0, curve_.at(t0)};
        const Sample b{t1, curve_.at(t1)};
        if (depth >= kMaxDepth || (depth >= 1 && chordFits(curve_, a, b, sag_ / kSagMargin))) {
            if (distance(a.p, b.p) > kTiny)
                out.push_back(Segment{a.p, b.p});
            return;
        }
        const auto pair = biarc(a.p, unitTangent(curve_, t0, t1), b.p, unitTangent(curve_, t1, t0));
        if (pair && fits(*pair, t0, t1)) {
            for (const LineArc& piece : *pair)
                out.push_back(piece);
            return;
        }
        const double tm = (t0 + t1) / 2;
        fit(t0, tm, depth + 1, out);
        fit(tm, t1, depth + 1, out);
    }

private:
    bool fits(const std::array<LineArc, 2>& pair, double t0, double t1) const
    {
        if (!turnsLittle(slopeComingFrom(curve_, t0, t1), slopeComingFrom(curve_, t1, t0)))
            return false;
        for (const LineArc& piece : pair)
            if (!box_.contains(boxOfPiece(piece), boxTol_))
                return false;
        std::vector<Sample> samples;
        for (int k = 0; k <= 16; ++k) {
            const double t = t0 + (t1 - t0) * k / 16.0;
            samples.push_back({t, curve_.at(t)});
        }
        for (const Sample& s : samples)
            if (std::min(distanceToPiece(pair[0], s.p), distanceToPiece(pair[1], s.p)) > sag_)
                return false;
        for (const LineArc& piece : pair)
            for (int k = 1; k < 6; ++k)
                if (nearestAmong(curve_, samples, pointOnPiece(piece, k / 6.0), sag_).distance > sag_)
                    return false;
        return true;
    }

    const Smooth& curve_;
    double sag_;
    Box box_;
    double boxTol_;
};

}  // namespace

std::vector<Sample> adaptiveChords(const Smooth& curve, double sag)
{
    const std::vector<double> br = curve.breaks();
    std::vector<Sample> out{{br.front(), curve.at(br.front())}};
    for (std::size_t i = 0; i + 1 < br.size(); ++i)
        refineChord(curve, out.back(), {br[i + 1], curve.at(br[i + 1])}, sag, 0, out);
    return out;
}

double arcLength(const Smooth& curve)
{
    return integrateOverSpans(curve, [&](double t) { return norm(curve.derivative(t)); });
}

double areaTerm(const Smooth& curve)
{
    return integrateOverSpans(curve, [&](double t) { return cross(curve.at(t), curve.derivative(t)) / 2; });
}

Box tightBox(const Smooth& curve, std::vector<double>* extremes)
{
    constexpr int kSamples = 16;
    const std::vector<double> br = curve.breaks();
    Box box;
    for (std::size_t i = 0; i + 1 < br.size(); ++i) {
        for (int k = 0; k <= kSamples; ++k)
            box.add(curve.at(br[i] + (br[i + 1] - br[i]) * k / kSamples));
        for (const auto& component : {+[](Point d) { return d.x; }, +[](Point d) { return d.y; }}) {
            auto slope = [&](double t) { return component(slopeComingFrom(curve, t, br[i])); };
            for (int k = 0; k < kSamples; ++k) {
                const double lo = br[i] + (br[i + 1] - br[i]) * k / kSamples;
                const double hi = br[i] + (br[i + 1] - br[i]) * (k + 1) / kSamples;
                if ((slope(lo) < 0) == (slope(hi) < 0) || slope(lo) == 0 || slope(hi) == 0)
                    continue;
                const double root = bisectRoot(slope, lo, hi);
                box.add(curve.at(root));
                if (extremes)
                    extremes->push_back(root);
            }
        }
    }
    return box;
}

NearestChords nearestChords(const Smooth& curve)
{
    Box box;
    const std::vector<double> br = curve.breaks();
    for (std::size_t i = 0; i + 1 < br.size(); ++i)
        for (int k = 0; k < 4; ++k)
            box.add(curve.at(br[i] + (br[i + 1] - br[i]) * k / 4));
    box.add(curve.at(br.back()));
    const double sag = 1e-3 * std::max(kTiny, std::hypot(box.width(), box.height()));
    return {adaptiveChords(curve, sag), sag};
}

Nearest nearestOn(const Smooth& curve, const NearestChords& chords, Point p)
{
    return nearestAmong(curve, chords.chords, p, chords.sag);
}

Nearest nearestOn(const Smooth& curve, Point p) { return nearestOn(curve, nearestChords(curve), p); }

std::vector<LineArc> biarcs(const Smooth& curve, double sag)
{
    std::vector<double> cuts;
    const Box box = tightBox(curve, &cuts);
    const std::vector<double> br = curve.breaks();
    cuts.insert(cuts.end(), br.begin(), br.end());
    std::sort(cuts.begin(), cuts.end());
    // Extremes that fall on a break would leave slivers between them.
    const double close = 1e-9 * (br.back() - br.front());
    cuts.erase(std::unique(cuts.begin(), cuts.end(), [close](double a, double b) { return b - a <= close; }), cuts.end());
    cuts.back() = br.back();
    const PieceFitter fitter(curve, sag, box);
    std::vector<LineArc> out;
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i)
        fitter.fit(cuts[i], cuts[i + 1], 0, out);
    return out;
}

double distanceToPiece(const LineArc& piece, Point p)
{
    if (const auto* s = std::get_if<Segment>(&piece))
        return distanceToSegment(p, s->start, s->end);
    return circularPath(std::get<Arc>(piece)).distanceTo(p);
}

Box boxOfPiece(const LineArc& piece)
{
    if (const auto* s = std::get_if<Segment>(&piece)) {
        Box b;
        b.add(s->start);
        b.add(s->end);
        return b;
    }
    return circularPath(std::get<Arc>(piece)).box();
}

}  // namespace vlhost::geom::detail
