// The candidate points of figures taken as their rectangles (the container's
// layout), figure after figure on one sheet, without clipping every placed
// rectangle again for each figure.
#pragma once

#include "engine/Hodograph.h"

#include <cstdint>
#include <memory>
#include <set>
#include <utility>
#include <vector>

class Figure;

class RectLayout {
public:
    // What HodographBuilder::CreateRectHodographs and GetNodePoints give for
    // the moving figure's gap rectangle `figure` (placement point (x, y)) on
    // `sheetRect` beside the gap rectangles of the `placed` figures but the
    // moving one, with `gap` kept to the sheet's edges, as far as the
    // bottom-left rule with `band` looks at them: the points from the
    // leftmost to a little past `band` right of it, in the same order,
    // repeats merged as there. Nothing when the figure does not fit.
    //
    // The clipped rectangles are kept from one call to the next for each
    // rectangle about the placement point (within rounding: copies of a part
    // moved about differ by it, and take the points of the first), sheet and
    // gap:
    // each placed figure that has come since is clipped by the sheet's
    // rectangle and by the earlier ones that reach it, and clips them and the
    // sheet's in its turn, which is where it comes in the order of the whole
    // work (a rectangle is clipped by the others' rectangles, in their
    // order). Until the next Reset, `placed` may only grow at its end, its
    // figures standing where they stood.
    void CandidatePoints(double x, double y, const std::vector<std::shared_ptr<Figure>>& placed, const Figure& moving,
                         const NRect& figure, const NRect& sheetRect, double gap, double band,
                         std::vector<NPoint>& points);
    void Reset() { m_works.clear(); }

private:
    struct Key {
        double left = 0.0, bottom = 0.0, right = 0.0, top = 0.0;  // the figure's rectangle about its point
        double gap = 0.0;
        NRect sheet;
        bool operator==(const Key& other) const;
    };

    // The clipped rectangles for one key.
    struct Work {
        Key key;
        bool fits = false;
        uint64_t used = 0;
        size_t seen = 0;                  // entries of `placed` taken in
        const Figure* last = nullptr;     // the last of them
        const Figure* skipped = nullptr;  // one left out as the moving figure of its call
        std::vector<HodographRectPtr> rects;              // the sheet's, then one per placed rectangle
        std::vector<double> leftmost;                     // of each rectangle's points; none: infinity
        std::set<std::pair<double, size_t>> byPoints;     // rectangles by their leftmost point
        std::multiset<std::pair<double, size_t>> byLeft;  // placed rectangles by their left sides
        double widest = 0.0;

        Work(const Key& key, const NRect& sheetRect, const NRect& figure, const NPoint& p0);
        void Add(const NRect& placed, const NRect& figure, const NPoint& p0);
        void Clip(size_t target, size_t by);
        void Renew(size_t rect);
    };

    static constexpr size_t kWorks = 16;
    std::vector<Work> m_works;
    uint64_t m_calls = 0;
};
