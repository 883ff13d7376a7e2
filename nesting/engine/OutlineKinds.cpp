#include "engine/OutlineKinds.h"

#include "model/NestingFigure.h"

#include <cmath>
#include <functional>

namespace {

// Rings match within this (mm): far below any tolerance of the placement,
// far above what moving and turning a copy leaves in its last digits.
constexpr double kSame = 1e-6;

void Mix(uint64_t& hash, uint64_t value) { hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2); }

template <class Fn>
void ForEachRing(const Figure& figure, Fn fn)
{
    for (const VectorPolygon* list : {&figure.m_poligons, &figure.m_borders, &figure.m_controls})
        for (const NPolygonPtr& ring : *list)
            if (ring)
                fn(*ring);
}

}  // namespace

size_t OutlineKinds::KindOf(const Figure& figure)
{
    Kind kind;
    const NPoint origin = !figure.m_poligons.empty() && figure.m_poligons[0] && !figure.m_poligons[0]->m_points.empty()
                              ? figure.m_poligons[0]->m_points[0]
                              : NPoint{};
    uint64_t hash = 0;
    ForEachRing(figure, [&](const NPolygon& ring) {
        kind.sizes.push_back(ring.m_points.size());
        Mix(hash, ring.m_points.size());
        for (const NPoint& p : ring.m_points)
            kind.points.push_back(NPoint{p.x - origin.x, p.y - origin.y});
    });
    // A far point of the rings, coarsely: equal rings almost always share
    // it, and kinds of as many vertices (plates of every size) are told
    // apart before their points are compared.
    if (!kind.points.empty()) {
        const NPoint& far = kind.points[kind.points.size() / 2];
        Mix(hash, std::hash<long long>{}(std::llround(far.x * 100.0)));
        Mix(hash, std::hash<long long>{}(std::llround(far.y * 100.0)));
    }
    // A figure without rings is like no other.
    if (kind.points.empty()) {
        m_kinds.push_back(std::move(kind));
        return m_kinds.size() - 1;
    }
    std::vector<size_t>& candidates = m_byHash[hash];
    for (const size_t k : candidates) {
        const Kind& known = m_kinds[k];
        if (known.sizes != kind.sizes)
            continue;
        bool same = true;
        for (size_t i = 0; same && i < kind.points.size(); ++i)
            same = std::fabs(known.points[i].x - kind.points[i].x) <= kSame &&
                   std::fabs(known.points[i].y - kind.points[i].y) <= kSame;
        if (same)
            return k;
    }
    candidates.push_back(m_kinds.size());
    m_kinds.push_back(std::move(kind));
    return m_kinds.size() - 1;
}

void OutlineKinds::Clear()
{
    m_kinds.clear();
    m_byHash.clear();
}
