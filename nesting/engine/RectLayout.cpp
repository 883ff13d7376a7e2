#include "engine/RectLayout.h"

#include "model/NestingFigure.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

// Rectangles within this of each other may clip each other (as
// HodographBuilder::CreateRectHodographs finds them).
constexpr double kSlack = 2.0 * EPS;
// Past the band right of the leftmost point: points that may still merge
// with one the rule looks at (repeats are points within EPS).
constexpr double kMergeReach = 1e-3;
// Rectangles about the placement point this close are one: copies of a part
// moved about differ by rounding, each would otherwise clip every placed
// rectangle afresh (a container of thousands of copies in quadratic time).
constexpr double kSameOffset = 1e-9;

bool Near(double a, double b) { return std::fabs(a - b) <= kSameOffset; }

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
    return Near(left, other.left) && Near(bottom, other.bottom) && Near(right, other.right) && Near(top, other.top) &&
           SameBits(gap, other.gap) && SameRect(sheet, other.sheet);
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
    auto it = std::find_if(m_works.begin(), m_works.end(), [&](const Work& w) {
        return w.key == key && placed.size() >= w.seen && (w.seen == 0 || placed[w.seen - 1].get() == w.last) &&
               (!w.skipped || w.skipped == &moving);
    });
    if (it == m_works.end()) {
        // Of those kept, the one used longest ago makes room.
        if (m_works.size() >= kWorks)
            m_works.erase(std::min_element(m_works.begin(), m_works.end(),
                                           [](const Work& a, const Work& b) { return a.used < b.used; }));
        m_works.emplace_back(key, sheetRect, figure, p0);
        it = std::prev(m_works.end());
    }
    Work& work = *it;
    work.used = ++m_calls;
    for (; work.seen < placed.size(); ++work.seen) {
        const Figure* entry = placed[work.seen].get();
        work.last = entry;
        if (!entry)
            continue;
        if (entry == &moving)
            work.skipped = entry;
        else
            work.Add(entry->m_rect, figure, p0);
    }
    if (!work.fits || work.byPoints.empty())
        return;

    // The points of the rectangles whose points reach near the leftmost, in
    // the rectangles' order, repeats merged with the first of them.
    const double bound = work.byPoints.begin()->first + 2.0 * band + kMergeReach;
    std::vector<size_t> near;
    for (auto p = work.byPoints.begin(); p != work.byPoints.end() && p->first < bound; ++p)
        near.push_back(p->second);
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
        for (const NSegmentPtr& s : work.rects[k]->m_segments) {
            if (s) {
                add(s->p1);
                add(s->p2);
            }
        }
    }
}

RectLayout::Work::Work(const Key& key, const NRect& sheetRect, const NRect& figure, const NPoint& p0) : key(key)
{
    auto inner = std::make_shared<HodographRect>(sheetRect, figure, p0, key.gap, true);
    fits = !inner->IsCrossed();
    if (!fits)
        return;
    rects.push_back(std::move(inner));
    leftmost.push_back(std::numeric_limits<double>::infinity());
    Renew(0);
}

void RectLayout::Work::Add(const NRect& placed, const NRect& figure, const NPoint& p0)
{
    if (!fits)
        return;
    const size_t n = rects.size();
    rects.push_back(std::make_shared<HodographRect>(placed, figure, p0, 0.0, false));
    leftmost.push_back(std::numeric_limits<double>::infinity());
    const HodographRect& h = *rects[n];
    widest = std::max(widest, h.p3.x - h.p1.x);

    // The earlier rectangles that reach the new one, and those it reaches.
    std::vector<size_t> clipping;
    std::vector<size_t> clipped;
    for (auto it = byLeft.lower_bound({h.p1.x - widest - kSlack, 0}); it != byLeft.end() && it->first <= h.p3.x + kSlack;
         ++it) {
        const HodographRect& k = *rects[it->second];
        if (Reaches(h, k))
            clipping.push_back(it->second);
        if (Reaches(k, h))
            clipped.push_back(it->second);
    }
    byLeft.insert({h.p1.x, n});
    std::sort(clipping.begin(), clipping.end());
    // The new rectangle: by the sheet's, then by the earlier ones in order.
    Clip(n, 0);
    for (const size_t k : clipping)
        Clip(n, k);
    // The new one comes last for every other it reaches.
    for (const size_t k : clipped)
        Clip(k, n);
    if (Reaches(*rects[0], h))
        Clip(0, n);
}

void RectLayout::Work::Clip(size_t target, size_t by)
{
    *rects[target] -= *rects[by];
    // The sides clipped away leave no gaps in the list: the sheet's rectangle,
    // clipped by every other, would otherwise grow with the figures placed.
    std::erase(rects[target]->m_segments, nullptr);
    Renew(target);
}

void RectLayout::Work::Renew(size_t rect)
{
    double least = std::numeric_limits<double>::infinity();
    for (const NSegmentPtr& s : rects[rect]->m_segments) {
        if (s)
            least = std::min({least, s->p1.x, s->p2.x});
    }
    if (least == leftmost[rect])
        return;
    byPoints.erase({leftmost[rect], rect});
    leftmost[rect] = least;
    if (least < std::numeric_limits<double>::infinity())
        byPoints.insert({least, rect});
}
