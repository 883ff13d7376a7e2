// Figures of one outline: the copies of a part, and equal parts, told apart
// from the others by all of their rings as they lie (outline, gap and
// control rings, holes included, in their turn), wherever they stand.
#pragma once

#include "geometry/Polygon.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class Figure;

class OutlineKinds {
public:
    // The kind of the figure's rings as they lie now: that of a figure seen
    // before whose rings, moved onto these, match them point for point, or
    // a new one.
    size_t KindOf(const Figure& figure);
    void Clear();
    size_t Size() const { return m_kinds.size(); }

private:
    struct Kind {
        std::vector<size_t> sizes; // vertices of each ring, in order
        std::vector<NPoint> points; // all of them, less the first gap ring's first point
    };
    std::vector<Kind> m_kinds;
    std::unordered_map<uint64_t, std::vector<size_t>> m_byHash; // kinds by their rings' sizes
};
