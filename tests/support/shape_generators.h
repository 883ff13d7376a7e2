// Random outlines for the property tests of the booleans and the no-fit
// polygons: stars, grid rectangles and triangles, combs, and the
// near-degenerate families (near-coincident copies, interlocking combs, tiny
// turns, near-duplicate vertices, slivers, far offsets). Header only: the
// geometry tests use it without the host support library.
#pragma once

#include "geometry/Polygon.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <utility>
#include <vector>

namespace shapes {

using Ring = std::vector<NPoint>;
using Pair = std::pair<Ring, Ring>;

inline Ring Moved(Ring ring, const NPoint& d)
{
    for (NPoint& p : ring)
        p += d;
    return ring;
}

inline Ring Turned(Ring ring, const NPoint& centre, double degrees)
{
    for (NPoint& p : ring)
        p.Rotate(centre, degrees * DR);
    return ring;
}

// A comb: a bar 1 high with `teeth` teeth of width `tooth` every `pitch`,
// `height` high, pointing up (or down from y = 0), counter-clockwise.
inline Ring Comb(int teeth, double pitch, double tooth, double height, bool down)
{
    const double s = down ? -1.0 : 1.0;
    Ring ring{{0, 0}, {(teeth - 1) * pitch + tooth, 0}};
    for (int k = teeth - 1; k >= 0; --k) {
        const double x = k * pitch;
        ring.push_back({x + tooth, s * height});
        ring.push_back({x, s * height});
        if (k > 0) {
            ring.push_back({x, s * 1.0});
            ring.push_back({x - pitch + tooth, s * 1.0});
        }
    }
    if (down)
        std::reverse(ring.begin(), ring.end());
    return ring;
}

class Generator {
public:
    explicit Generator(unsigned seed) : m_random(seed) {}

    double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(m_random); }
    int Integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    double LogUniform(double low, double high) { return std::exp(Uniform(std::log(low), std::log(high))); }
    double Sign() { return Integer(0, 1) ? 1.0 : -1.0; }
    NPoint Jitter(double size) { return {Uniform(-size, size), Uniform(-size, size)}; }
    size_t Index(const Ring& ring) { return static_cast<size_t>(Integer(0, static_cast<int>(ring.size()) - 1)); }

    // A star-shaped ring round `centre`, counter-clockwise; with equal radii
    // it is convex.
    Ring Star(const NPoint& centre, double radius, bool convex)
    {
        Ring points;
        for (double a : SortedAngles()) {
            const double r = convex ? radius : Uniform(0.3 * radius, radius);
            points.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
        }
        return points;
    }

    Ring RandomStar(bool convex) { return Star({Uniform(0, 60), Uniform(0, 60)}, Uniform(10, 40), convex); }

    Ring GridRectangle()
    {
        const int x = Integer(0, 5);
        const int y = Integer(0, 5);
        const double w = Integer(1, 6 - x);
        const double h = Integer(1, 6 - y);
        return {{double(x), double(y)}, {x + w, double(y)}, {x + w, y + h}, {double(x), y + h}};
    }

    // A triangle on the integer grid, counter-clockwise, of non-zero area.
    Ring GridTriangle()
    {
        for (;;) {
            Ring t;
            for (int k = 0; k < 3; ++k)
                t.push_back({double(Integer(0, 4)), double(Integer(0, 4))});
            const double turn = (t[1].x - t[0].x) * (t[2].y - t[0].y) - (t[1].y - t[0].y) * (t[2].x - t[0].x);
            if (turn == 0)
                continue;
            if (turn < 0)
                std::swap(t[1], t[2]);
            return t;
        }
    }

    Ring Shape() { return Integer(0, 3) == 0 ? GridRectangle() : RandomStar(Integer(0, 1) == 0); }

    // ---------------------------------------------------------------- families

    // A shape and a copy with every vertex moved by up to twice the
    // point-equality tolerance (some not at all), now and then with an extra
    // vertex next to an edge.
    Pair NearCoincidentCopies()
    {
        const Ring a = Shape();
        Ring b;
        for (size_t k = 0; k < a.size(); ++k) {
            b.push_back(a[k] + (Integer(0, 2) == 0 ? NPoint{} : Jitter(2 * EPS)));
            if (Integer(0, 3) == 0) {
                const NPoint& q = a[(k + 1) % a.size()];
                const double t = Uniform(0.1, 0.9);
                b.push_back(NPoint{a[k].x + t * (q.x - a[k].x), a[k].y + t * (q.y - a[k].y)} + Jitter(2 * EPS));
            }
        }
        return {a, b};
    }

    // Two combs whose teeth interlock: each contact (tooth sides, the upper
    // bar on the teeth tops, the teeth tips on the lower bar) touches or
    // overlaps by 0.001 either way.
    Pair InterlockingCombs()
    {
        const auto overlap = [&] { return Integer(0, 2) == 0 ? 0.0 : 1e-3 * Sign(); };
        const int teeth = Integer(2, 6);
        const double pitch = Uniform(2.0, 4.0);
        const double tooth = Uniform(0.5, pitch / 2);
        const double height = Uniform(3.0, 6.0);
        const double sides = overlap();
        const double dy = height + 1.0 - overlap();
        const Ring down = Comb(teeth, pitch, pitch - tooth + 2 * sides, dy - 1.0 + overlap(), true);
        return {Comb(teeth, pitch, tooth, height, false), Moved(down, {tooth - sides, dy})};
    }

    // A shape against itself turned by a hair (and a quarter turn or not).
    Pair TinyTurns()
    {
        const Ring a = Shape();
        const double degrees = 90.0 * Integer(0, 1) + Sign() * LogUniform(1e-9, 1e-3);
        const NPoint centre = Integer(0, 1) ? a[Index(a)] : NPoint{Uniform(0, 60), Uniform(0, 60)};
        return {a, Turned(a, centre, degrees)};
    }

    // Two overlapping shapes whose vertices come doubled, a fraction of the
    // tolerance (or a little more) apart, along the next edge.
    Pair NearDuplicateVertices()
    {
        const auto doubled = [&](const Ring& ring) {
            Ring out;
            for (size_t k = 0; k < ring.size(); ++k) {
                out.push_back(ring[k]);
                if (Integer(0, 1)) {
                    const NPoint d = ring[(k + 1) % ring.size()] - ring[k];
                    const double t = LogUniform(1e-9, 2 * EPS) / std::hypot(d.x, d.y);
                    out.push_back(NPoint{ring[k].x + t * d.x, ring[k].y + t * d.y} + Jitter(1e-3 * t));
                }
            }
            return out;
        };
        const Ring a = Shape();
        const Ring b = Integer(0, 1) ? Shape() : Moved(a, Jitter(3.0));
        return {doubled(a), doubled(b)};
    }

    // A shape and a strip or triangle about as thin as the tolerance (or
    // 0.001), across or along it.
    Pair Slivers()
    {
        const Ring a = Shape();
        double lox = a[0].x, hix = a[0].x, loy = a[0].y, hiy = a[0].y;
        for (const NPoint& p : a) {
            lox = std::min(lox, p.x);
            hix = std::max(hix, p.x);
            loy = std::min(loy, p.y);
            hiy = std::max(hiy, p.y);
        }
        const double width = Integer(0, 3) == 0 ? 1e-3 : LogUniform(0.3 * EPS, 3 * EPS);
        const double y = Integer(0, 1) ? loy : Uniform(loy, hiy);
        Ring sliver;
        if (Integer(0, 1))
            sliver = {{lox - 5, y}, {hix + 5, y}, {hix + 5, y + width}, {lox - 5, y + width}};
        else
            sliver = {{lox - 5, y}, {hix + 5, y}, {lox - 5, y + width}};
        const NPoint centre{(lox + hix) / 2, (loy + hiy) / 2};
        return {a, Turned(sliver, centre, Integer(0, 1) ? 0.0 : Uniform(0, 180))};
    }

    // Any of the above, far from the origin.
    Pair FarOffsets()
    {
        Pair pair;
        switch (Integer(0, 4)) {
        case 0: pair = NearCoincidentCopies(); break;
        case 1: pair = InterlockingCombs(); break;
        case 2: pair = TinyTurns(); break;
        case 3: pair = NearDuplicateVertices(); break;
        default: pair = Slivers(); break;
        }
        const NPoint d{Sign() * Uniform(0, 1e6), Sign() * Uniform(0, 1e6)};
        return {Moved(pair.first, d), Moved(pair.second, d)};
    }

private:
    // Directions of 3 to 14 vertices round a centre, no two neighbours half a
    // turn or more apart, so that the star is simple.
    std::vector<double> SortedAngles()
    {
        for (;;) {
            std::vector<double> angles(static_cast<size_t>(Integer(3, 14)));
            for (double& a : angles)
                a = Uniform(0.0, 2 * PI);
            std::sort(angles.begin(), angles.end());
            double widest = angles.front() + 2 * PI - angles.back();
            for (size_t k = 1; k < angles.size(); ++k)
                widest = std::max(widest, angles[k] - angles[k - 1]);
            if (widest < 0.9 * PI)
                return angles;
        }
    }

    std::mt19937 m_random;
};

// A family of near-degenerate pairs, for parameterised tests.
struct Family {
    const char* name;
    Pair (Generator::*make)();
    unsigned seed;
};

inline const std::vector<Family>& Families()
{
    static const std::vector<Family> families{
        {"NearCoincidentCopies", &Generator::NearCoincidentCopies, 21},
        {"InterlockingCombs", &Generator::InterlockingCombs, 22},
        {"TinyTurns", &Generator::TinyTurns, 23},
        {"NearDuplicateVertices", &Generator::NearDuplicateVertices, 24},
        {"Slivers", &Generator::Slivers, 25},
        {"FarOffsets", &Generator::FarOffsets, 26},
    };
    return families;
}

inline void PrintTo(const Family& family, std::ostream* out) { *out << family.name; }

} // namespace shapes
