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

// Left-turning run: vertices where tangent-like lines through the samples
// meet, farthest acceptable candidate first. Parallel lines give no candidate.
void AppendTangentVertices(const std::vector<NPoint>& s, double a, const NearestCurvePoint& nearest,
                           std::vector<NPoint>& out)
{
    const size_t m = s.size();
    size_t k = 0;
    while (k + 1 < m - 1) {
        size_t next = k + 1;
        for (size_t q = m - 2; q >= k + 1; --q) {
            NPoint x;
            if (!IntersectionLines(s[k], s[k + 1], s[q + 1], s[q], x))
                continue;
            if (NearCurve(nearest, x, a)) {
                out.push_back(x);
                next = q;
                break;
            }
        }
        k = next;
    }
}

// Right-turning run: the longest chords whose middle stays within the sag.
void AppendChords(const std::vector<NPoint>& s, double b, const NearestCurvePoint& nearest,
                  std::vector<NPoint>& out)
{
    const size_t m = s.size();
    size_t j = 0;
    while (j < m - 1) {
        size_t next = j + 1;
        for (size_t q = m - 1; q >= j + 1; --q) {
            const NPoint mid{(s[j].x + s[q].x) * 0.5, (s[j].y + s[q].y) * 0.5};
            if (NearCurve(nearest, mid, b)) {
                out.push_back(s[q]);
                next = q;
                break;
            }
        }
        j = next;
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
