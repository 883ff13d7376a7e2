#include "host/TangentialRuns.h"

namespace vrnApi {
namespace {

double Dot(const NSegment& s1, const NSegment& s2)
{
    return (s1.p2.x - s1.p1.x) * (s2.p2.x - s2.p1.x) + (s1.p2.y - s1.p1.y) * (s2.p2.y - s2.p1.y);
}

bool NearCurve(const NearestCurvePoint& nearest, const NPoint& p, double limit2)
{
    NPoint n;
    return nearest(p, n) && Distance2(p, n) < limit2;
}

// The largest q of [from, last] for which `fits` holds, when it holds up to
// some q and not past it (as on a run that turns one way: a longer chord
// strays further from its curve, a later tangent meets the first one
// further out): found by doubling the step from `from` and halving it back,
// in a few dozen questions where asking each q from `last` down asked
// thousands on a long run (each a search of the curve). `from` - 1 when it
// does not hold at `from`.
template <class F>
size_t Farthest(size_t from, size_t last, F fits)
{
    if (!fits(from))
        return from - 1;
    size_t good = from, bad = last + 1;
    for (size_t step = 1; good + step <= last; step *= 2) {
        if (!fits(good + step)) {
            bad = good + step;
            break;
        }
        good += step;
    }
    while (bad - good > 1) {
        const size_t middle = good + (bad - good) / 2;
        (fits(middle) ? good : bad) = middle;
    }
    return good;
}

// Left-turning run: vertices where tangent-like lines through the samples
// meet, farthest acceptable candidate first. Parallel lines give no candidate.
void AppendTangentVertices(const std::vector<NPoint>& s, double a, const NearestCurvePoint& nearest,
                           std::vector<NPoint>& out)
{
    const size_t m = s.size();
    size_t k = 0;
    while (k + 1 < m - 1) {
        NPoint x;
        const auto meets = [&](size_t q) { return IntersectionLines(s[k], s[k + 1], s[q + 1], s[q], x) && NearCurve(nearest, x, a); };
        const size_t q = Farthest(k + 1, m - 2, meets);
        if (q > k && meets(q))
            out.push_back(x);
        k = q > k ? q : k + 1;
    }
}

// Right-turning run: the longest chords whose middle stays within the sag.
void AppendChords(const std::vector<NPoint>& s, double b, const NearestCurvePoint& nearest, std::vector<NPoint>& out)
{
    const size_t m = s.size();
    size_t j = 0;
    while (j < m - 1) {
        const size_t q = Farthest(j + 1, m - 1, [&](size_t q) {
            const NPoint mid{(s[j].x + s[q].x) * 0.5, (s[j].y + s[q].y) * 0.5};
            return NearCurve(nearest, mid, b);
        });
        if (q > j)
            out.push_back(s[q]);
        j = q > j ? q : j + 1;
    }
}

}  // namespace

void AppendTangentialRuns(const std::vector<NSegmentPtr>& fine, double arrow,
                          const NearestCurvePoint& nearest, std::vector<NPoint>& out)
{
    const size_t n = fine.size();
    if (n < 2)
        return;
    const double a = arrow * arrow + 0.0001;
    const double b = (arrow + 0.0001) * (arrow + 0.0001);

    std::vector<NPoint> samples;
    bool left = false;
    bool right = false;
    bool turnChanges = false;
    const NSegment* reference = fine[0].get();
    for (size_t i = 0; i + 1 < n; ++i) {
        const NSegment& piece = *fine[i];
        samples.push_back(piece.p1);
        const bool turnsLeft = GetPlacementPointLine(piece.p1, piece.p2, fine[i + 1]->p2) > 0.0001;
        bool& same = turnsLeft ? left : right;
        const bool other = turnsLeft ? right : left;
        if (other)
            turnChanges = true;
        else
            same = true;

        const bool last = i == n - 2;
        if (!turnChanges && Dot(piece, *reference) >= 0.0 && i != n / 2 && !last)
            continue;

        samples.push_back(piece.p2);
        if (last)
            samples.push_back(fine[n - 1]->p2);
        out.push_back(samples[0]);
        if (left)
            AppendTangentVertices(samples, a, nearest, out);
        else
            AppendChords(samples, b, nearest, out);
        if (last)
            out.push_back(fine[n - 1]->p2);

        samples.clear();
        left = right = turnChanges = false;
        reference = &piece;
    }
}

}  // namespace vrnApi
