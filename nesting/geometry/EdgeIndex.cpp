#include "geometry/EdgeIndex.h"

#include <algorithm>

EdgeIndex::EdgeIndex(const std::vector<NPoint>& ring, const NRect& box)
    : m_base(box.pBot.y - EPS), m_buckets(std::max<size_t>(1, ring.size() / 4)), m_seen(ring.size(), 0)
{
    const double height = box.pTop.y - box.pBot.y + 2 * EPS;
    m_scale = static_cast<double>(m_buckets) / height;
    m_start.assign(m_buckets + 1, 0);
    ForEachEdgeBucket(ring, [this](size_t, size_t bucket) { ++m_start[bucket + 1]; });
    for (size_t b = 0; b < m_buckets; ++b)
        m_start[b + 1] += m_start[b];
    m_edges.resize(m_start[m_buckets]);
    std::vector<size_t> fill(m_start.begin(), m_start.end() - 1);
    ForEachEdgeBucket(ring, [this, &fill](size_t j, size_t bucket) { m_edges[fill[bucket]++] = j; });
}

const std::vector<size_t>& EdgeIndex::Near(double lo, double hi)
{
    ++m_query;
    m_near.clear();
    const size_t last = Bucket(hi + EPS);
    for (size_t b = Bucket(lo - EPS); b <= last; ++b) {
        for (size_t e = m_start[b]; e < m_start[b + 1]; ++e) {
            const size_t j = m_edges[e];
            if (m_seen[j] != m_query) {
                m_seen[j] = m_query;
                m_near.push_back(j);
            }
        }
    }
    std::sort(m_near.begin(), m_near.end());
    return m_near;
}

// Monotonic in y, so overlapping ranges always share a bucket.
size_t EdgeIndex::Bucket(double y) const
{
    const double t = (y - m_base) * m_scale;
    if (!(t > 0))
        return 0;
    return t >= static_cast<double>(m_buckets - 1) ? m_buckets - 1 : static_cast<size_t>(t);
}

template <class F>
void EdgeIndex::ForEachEdgeBucket(const std::vector<NPoint>& ring, F f) const
{
    const size_t m = ring.size();
    for (size_t j = 0; j < m; ++j) {
        const NPoint& c = ring[j == 0 ? m - 1 : j - 1];
        const NPoint& d = ring[j];
        const size_t last = Bucket(std::max(c.y, d.y) + EPS);
        for (size_t b = Bucket(std::min(c.y, d.y) - EPS); b <= last; ++b)
            f(j, b);
    }
}
