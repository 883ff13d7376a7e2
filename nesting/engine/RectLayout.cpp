#include "engine/RectLayout.h"

#include "model/NestingFigure.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

// Rectangles within this of each other may clip each other (as
// HodographBuilder::CreateRectHodographs finds them).
constexpr double kSlack = 2.0 * EPS;
// Past the band right of the leftmost point: points that may still merge
// with one the rule looks at (repeats are points within EPS).
constexpr double kMergeReach = 1e-3;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameRect(const NRect& a, const NRect& b)
{
    return SameBits(a.pBot.x, b.pBot.x) && SameBits(a.pBot.y, b.pBot.y) && SameBits(a.pTop.x, b.pTop.x) &&
           SameBits(a.pTop.y, b.pTop.y);
}

// `k` reaches `h` as the clipping of `h` takes its neighbours.
bool Reaches(const HodographRect& h, const HodographRect& k)
{
    return k.p3.x >= h.p1.x - kSlack && k.p1.x <= h.p3.x + kSlack && k.p1.y <= h.p3.y + kSlack &&
           k.p3.y >= h.p1.y - kSlack;
}

}  // namespace

bool RectLayout::Key::operator==(const Key& other) const
{
    return SameBits(left, other.left) && SameBits(bottom, other.bottom) && SameBits(right, other.right) &&
           SameBits(top, other.top) && SameBits(gap, other.gap) && SameRect(sheet, other.sheet);
}

void RectLayout::CandidatePoints(double x, double y, const std::vector<std::shared_ptr<Figure>>& placed,
                                 const Figure& moving, const NRect& figure, const NRect& sheetRect, double gap,
                                 double band, std::vector<NPoint>& points)
{
    // A figure as large as the sheet but for rounding fits (within the point
    // tolerance, as the inner-fit rectangle says).
    if (figure.pTop.x - figure.pBot.x > sheetRect.pTop.x - sheetRect.pBot.x + EPS ||
        figure.pTop.y - figure.pBot.y > sheetRect.pTop.y - sheetRect.pBot.y + EPS)
        return;
    const NPoint p0{x, y};
    const Key key{x - figure.pBot.x, y - figure.pBot.y, figure.pTop.x - x, figure.pTop.y - y, gap, sheetRect};
    const bool kept = m_started && key == m_key && placed.size() >= m_seen &&
                      (m_seen == 0 || placed[m_seen - 1].get() == m_last) && (!m_skipped || m_skipped == &moving);
    if (!kept)
        Start(key, sheetRect, figure, p0, gap);
    for (; m_seen < placed.size(); ++m_seen) {
        const Figure* entry = placed[m_seen].get();
        m_last = entry;
        if (!entry)
            continue;
        if (entry == &moving)
            m_skipped = entry;
        else
            Add(entry->m_rect, figure, p0);
    }
    if (!m_fits || m_byPoints.empty())
        return;

    // The points of the rectangles whose points reach near the leftmost, in
    // the rectangles' order, repeats merged with the first of them.
    const double bound = m_byPoints.begin()->first + 2.0 * band + kMergeReach;
    std::vector<size_t> near;
    for (auto it = m_byPoints.begin(); it != m_byPoints.end() && it->first < bound; ++it)
        near.push_back(it->second);
    std::sort(near.begin(), near.end());
    const size_t first = points.size();
    const auto add = [&](const NPoint& p) {
        if (p.x >= bound)
            return;
        if (std::none_of(points.begin() + static_cast<std::ptrdiff_t>(first), points.end(),
                         [&](const NPoint& q) { return q == p; }))
            points.push_back(p);
    };
    for (const size_t k : near) {
        for (const NSegmentPtr& s : m_rects[k]->m_segments) {
            if (s) {
                add(s->p1);
                add(s->p2);
            }
        }
    }
}

void RectLayout::Start(const Key& key, const NRect& sheetRect, const NRect& figure, const NPoint& p0, double gap)
{
    m_started = true;
    m_key = key;
    m_seen = 0;
    m_last = nullptr;
    m_skipped = nullptr;
    m_rects.clear();
    m_leftmost.clear();
    m_byPoints.clear();
    m_byLeft.clear();
    m_widest = 0.0;
    auto inner = std::make_shared<HodographRect>(sheetRect, figure, p0, gap, true);
    m_fits = !inner->IsCrossed();
    if (!m_fits)
        return;
    m_rects.push_back(std::move(inner));
    m_leftmost.push_back(std::numeric_limits<double>::infinity());
    Renew(0);
}

void RectLayout::Add(const NRect& placed, const NRect& figure, const NPoint& p0)
{
    if (!m_fits)
        return;
    const size_t n = m_rects.size();
    m_rects.push_back(std::make_shared<HodographRect>(placed, figure, p0, 0.0, false));
    m_leftmost.push_back(std::numeric_limits<double>::infinity());
    const HodographRect& h = *m_rects[n];
    m_widest = std::max(m_widest, h.p3.x - h.p1.x);

    // The earlier rectangles that reach the new one, and those it reaches.
    std::vector<size_t> clipping;
    std::vector<size_t> clipped;
    for (auto it = m_byLeft.lower_bound({h.p1.x - m_widest - kSlack, 0});
         it != m_byLeft.end() && it->first <= h.p3.x + kSlack; ++it) {
        const HodographRect& k = *m_rects[it->second];
        if (Reaches(h, k))
            clipping.push_back(it->second);
        if (Reaches(k, h))
            clipped.push_back(it->second);
    }
    m_byLeft.insert({h.p1.x, n});
    std::sort(clipping.begin(), clipping.end());
    // The new rectangle: by the sheet's, then by the earlier ones in order.
    Clip(n, 0);
    for (const size_t k : clipping)
        Clip(n, k);
    // The new one comes last for every other it reaches.
    for (const size_t k : clipped)
        Clip(k, n);
    if (Reaches(*m_rects[0], h))
        Clip(0, n);
}

void RectLayout::Clip(size_t target, size_t by)
{
    *m_rects[target] -= *m_rects[by];
    Renew(target);
}

void RectLayout::Renew(size_t rect)
{
    double leftmost = std::numeric_limits<double>::infinity();
    for (const NSegmentPtr& s : m_rects[rect]->m_segments) {
        if (s)
            leftmost = std::min({leftmost, s->p1.x, s->p2.x});
    }
    if (leftmost == m_leftmost[rect])
        return;
    m_byPoints.erase({m_leftmost[rect], rect});
    m_leftmost[rect] = leftmost;
    if (leftmost < std::numeric_limits<double>::infinity())
        m_byPoints.insert({leftmost, rect});
}
