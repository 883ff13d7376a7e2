#include "engine/OutlineDents.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

// Rings match within this (mm): far below any tolerance of the placement,
// far above what moving and turning a copy leaves in its last digits.
constexpr double kSame = 1e-6;

void Mix(uint64_t& hash, uint64_t value) { hash ^= value + 0x9e3779b97f4a7c15ULL + (hash << 6) + (hash >> 2); }

bool SameShape(const NPolygon& a, const NPolygon& b)
{
    if (a.m_points.size() != b.m_points.size() || a.m_points.empty())
        return false;
    const NPoint d = b.m_points.front() - a.m_points.front();
    for (size_t k = 0; k < a.m_points.size(); ++k)
        if (std::fabs(a.m_points[k].x + d.x - b.m_points[k].x) > kSame ||
            std::fabs(a.m_points[k].y + d.y - b.m_points[k].y) > kSame)
            return false;
    return true;
}

}  // namespace

OutlineDents::Shape& OutlineDents::Of(const NPolygon& ring)
{
    const std::vector<NPoint>& points = ring.m_points;
    uint64_t hash = points.size();
    // A far point of the ring, coarsely: rings of as many vertices (plates
    // of every size) are told apart before their points are compared.
    if (!points.empty()) {
        const NPoint far = points[points.size() / 2] - points.front();
        Mix(hash, std::hash<long long>{}(std::llround(far.x * 100.0)));
        Mix(hash, std::hash<long long>{}(std::llround(far.y * 100.0)));
    }
    std::vector<size_t>& candidates = m_byHash[hash];
    for (const size_t k : candidates)
        if (SameShape(*m_shapes[k].outline, ring))
            return m_shapes[k];
    Shape& shape = m_shapes.emplace_back();
    shape.outline = ring.GetCopy();
    shape.choices = DentChoices(*shape.outline);
    candidates.push_back(m_shapes.size() - 1);
    return shape;
}

NPolygonPtr OutlineDents::Closed(Shape& shape, const NPolygonPtr& ring, const std::vector<DentEdit>& edits)
{
    if (!ring || edits.empty())
        return ring;
    // The same dents closed close them the same way.
    auto found = std::find_if(shape.closed.begin(), shape.closed.end(),
                              [&](const auto& entry) { return entry.first == edits; });
    if (found == shape.closed.end()) {
        shape.closed.emplace_back(edits, CloseDentsStraight(shape.outline, edits));
        found = std::prev(shape.closed.end());
    }
    if (found->second == shape.outline)
        return ring;
    const NPoint shift = ring->GetBegPoint() - shape.outline->GetBegPoint();
    if (shift.x == 0.0 && shift.y == 0.0)
        return found->second;
    NPolygonPtr moved = found->second->GetCopy();
    moved->Offset(shift);
    return moved;
}

double OutlineDents::WidestClosing(Shape& shape, double width)
{
    const auto found = shape.widest.find(width);
    if (found != shape.widest.end())
        return found->second;
    const double widest =
        shape.choices.empty() ? 0.0 : ::WidestClosing(*shape.outline, DentsNarrowerThan(shape.choices, width));
    shape.widest.emplace(width, widest);
    return widest;
}

const DentMouth& OutlineDents::Mouth(Shape& shape, const DentEdit& edit)
{
    auto it = std::find_if(shape.mouths.begin(), shape.mouths.end(),
                           [&](const auto& mouth) { return mouth.first == edit; });
    if (it == shape.mouths.end()) {
        shape.mouths.emplace_back(edit, MeasureDent(*shape.outline, edit));
        it = std::prev(shape.mouths.end());
    }
    return it->second;
}

void OutlineDents::Clear()
{
    m_shapes.clear();
    m_byHash.clear();
}
