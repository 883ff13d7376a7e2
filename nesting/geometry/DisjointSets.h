// Disjoint sets of indices 0 … count − 1, united pairwise; each set is named
// by its least index, so that the order of the sets follows their members'.
#pragma once

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <vector>

class DisjointSets {
public:
    explicit DisjointSets(size_t count) : m_parent(count) { std::iota(m_parent.begin(), m_parent.end(), size_t{0}); }

    size_t Root(size_t e)
    {
        while (m_parent[e] != e)
            e = m_parent[e] = m_parent[m_parent[e]];
        return e;
    }
    void Unite(size_t a, size_t b)
    {
        a = Root(a);
        b = Root(b);
        if (a != b)
            m_parent[std::max(a, b)] = std::min(a, b);
    }

private:
    std::vector<size_t> m_parent;
};
