#include "io/ImportPartMetaData.h"
#include "geometry/UtilityFunctions.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <set>

namespace {

constexpr double kSame = 1e-4;

// Points along a curve: its ends and three between.
std::vector<MbCartPoint> Samples(const MbCurve& curve)
{
    std::vector<MbCartPoint> points;
    const double t0 = curve.GetTMin();
    const double t1 = curve.GetTMax();
    for (int i = 0; i <= 4; ++i)
        points.push_back(curve.PointOn(t0 + (t1 - t0) * i / 4.0));
    return points;
}

bool Near(const MbCartPoint& a, const MbCartPoint& b, const MbCartPoint& shift)
{
    return std::fabs(a.x - b.x - shift.x) < kSame && std::fabs(a.y - b.y - shift.y) < kSame;
}

// Whether the samples of two curves agree under `shift`, whichever way each runs.
bool SameSamples(const std::vector<MbCartPoint>& a, const std::vector<MbCartPoint>& b, const MbCartPoint& shift)
{
    if (a.size() != b.size())
        return false;
    bool forward = true;
    bool backward = true;
    for (size_t i = 0; i < a.size(); ++i) {
        forward = forward && Near(a[i], b[i], shift);
        backward = backward && Near(a[i], b[b.size() - 1 - i], shift);
    }
    return forward || backward;
}

using SampledCurves = std::vector<std::vector<MbCartPoint>>;

SampledCurves Sampled(const CurvesVector& curves)
{
    SampledCurves out;
    for (const SPtr<MbCurve>& curve : curves)
        out.push_back(curve ? Samples(*curve) : std::vector<MbCartPoint>{});
    return out;
}

MbCartPoint LowerCorner(const SampledCurves& curves)
{
    MbCartPoint low{1e300, 1e300};
    for (const auto& points : curves) {
        for (const MbCartPoint& p : points) {
            low.x = std::min(low.x, p.x);
            low.y = std::min(low.y, p.y);
        }
    }
    return low;
}

// Each curve of `a` matches a curve of `b` not matched yet.
bool Match(const SampledCurves& a, const SampledCurves& b, const MbCartPoint& shift)
{
    if (a.size() != b.size())
        return false;
    std::vector<bool> used(b.size(), false);
    for (const auto& curve : a) {
        size_t j = 0;
        while (j < b.size() && (used[j] || !SameSamples(curve, b[j], shift)))
            ++j;
        if (j == b.size())
            return false;
        used[j] = true;
    }
    return true;
}

bool NameLess(const std::wstring& a, const std::wstring& b) { return a < b; }

}  // namespace

std::wstring ImportPartMetaData::GetFullName() const
{
    return mark.empty() ? name : name + L" (" + mark + L")";
}

bool SameFlatPattern(const ImportPartMetaData& a, const ImportPartMetaData& b)
{
    const SampledCurves ac = Sampled(a.curves);
    const SampledCurves bc = Sampled(b.curves);
    const SampledCurves ab = Sampled(a.bends);
    const SampledCurves bb = Sampled(b.bends);
    if (ac.size() != bc.size() || ab.size() != bb.size())
        return false;
    SampledCurves allA = ac;
    allA.insert(allA.end(), ab.begin(), ab.end());
    SampledCurves allB = bc;
    allB.insert(allB.end(), bb.begin(), bb.end());
    if (allA.empty())
        return true;
    const MbCartPoint la = LowerCorner(allA);
    const MbCartPoint lb = LowerCorner(allB);
    const MbCartPoint shift{la.x - lb.x, la.y - lb.y};
    return Match(ac, bc, shift) && Match(ab, bb, shift);
}

void NodeThickness::Add(const ImportPartMetaData& data)
{
    for (ImportPartMetaData& record : datum) {
        if (record.name == data.name && record.mark == data.mark && record.path3D == data.path3D &&
            SameFlatPattern(record, data)) {
            record.count += data.count;
            return;
        }
    }
    datum.push_back(data);
}

void NodeThickness::SortByName()
{
    std::stable_sort(datum.begin(), datum.end(),
                     [](const ImportPartMetaData& a, const ImportPartMetaData& b) { return NameLess(a.name, b.name); });
}

bool NodeThickness::EquilThickness(const ImportPartMetaData& data) const
{
    return !datum.empty() && std::fabs(data.thickness - datum.front().thickness) < 1e-4;
}

void NodeThickness::RenameEquilDatum()
{
    if (datum.size() <= 1)
        return;
    const auto allDiffer = [this] {
        std::set<std::wstring> names;
        for (const ImportPartMetaData& record : datum) {
            if (!names.insert(record.name).second)
                return false;
        }
        return true;
    };
    // Each pass makes the names of a group longer, so that a name met again
    // after a pass can only be one of the new, longer ones; passes end.
    for (size_t pass = 0; pass <= datum.size() && !allDiffer(); ++pass) {
        for (size_t i = 0; i + 1 < datum.size(); ++i) {
            std::vector<size_t> group{i};
            for (size_t j = i + 1; j < datum.size(); ++j) {
                if (datum[j].name == datum[i].name)
                    group.push_back(j);
            }
            if (group.size() < 2)
                continue;
            for (size_t k = 0; k < group.size(); ++k)
                datum[group[k]].name += L"_" + std::to_wstring(k + 1);
        }
    }
}

void NodeMaterial::Add(const ImportPartMetaData& data)
{
    for (NodeThickness& node : nodes) {
        if (node.EquilThickness(data)) {
            node.Add(data);
            return;
        }
    }
    NodeThickness node;
    node.name = uf::NumberText(data.thickness);
    node.Add(data);
    nodes.push_back(std::move(node));
}

void NodeMaterial::SortByThickness()
{
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const NodeThickness& a, const NodeThickness& b) { return NameLess(a.name, b.name); });
}
