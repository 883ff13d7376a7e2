// Edges of a ring bucketed by their y-range, so that the edges near a segment
// are found without testing every edge. Edge j runs from vertex j-1 to vertex j.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <vector>

class EdgeIndex {
public:
    EdgeIndex(const std::vector<NPoint>& ring, const NRect& box);

    // The edges whose y-range, widened by EPS, meets [lo, hi], in ascending order.
    const std::vector<size_t>& Near(double lo, double hi);

private:
    size_t Bucket(double y) const;
    template <class F>
    void ForEachEdgeBucket(const std::vector<NPoint>& ring, F f) const;

    double m_base;
    double m_scale = 1.0;
    size_t m_buckets;
    std::vector<size_t> m_start;  // edges of bucket b: m_edges[m_start[b] .. m_start[b + 1])
    std::vector<size_t> m_edges;
    std::vector<size_t> m_seen;   // the last query that listed each edge
    size_t m_query = 0;
    std::vector<size_t> m_near;
};
