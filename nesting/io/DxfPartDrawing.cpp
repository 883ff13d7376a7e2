#include "io/DxfPartDrawing.h"

#include "geometry/UtilityFunctions.h"
#include "geometry/DisjointSets.h"
#include "geometry/PointGrid.h"
#include "host/BorderRings.h"
#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "io/CurveOverlaps.h"
#include "io/OutlineJoints.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <unordered_map>

namespace dxfimport {
namespace {

// Why an outline cannot make a figure, as the closing message shows it.
constexpr const wchar_t* kNoOutline = kNoOutlineReason;
constexpr wchar_t kUnreadable[] = L"контур детали не читается";
constexpr wchar_t kOpenOutline[] = L"незамкнутый контур";
constexpr wchar_t kSecondOutline[] = L"больше одного внешнего контура";
constexpr wchar_t kRingInHole[] = L"контур внутри отверстия";
constexpr wchar_t kFlatRing[] = L"контур без площади у точки ";
constexpr wchar_t kPiled[] = L"наложенные кривые: у точки ";

// The sizes a part may have: no sheet is larger than kLargestPart, no point
// is told from another nearer than the joints (kJoinTolerance) unless the part
// is ten times their size, and beyond kFarthestPart from the origin the
// coordinates of a drawing in millimetres lose the point tolerance.
constexpr double kLargestPart = 1e6;     // mm
constexpr double kSmallestPart = 0.01;   // mm
constexpr double kFarthestPart = 1e9;    // mm

// `v` as a message writes it, with as many digits as it takes to stand on
// the side of `limit` the value stands on: 1000000.5 is not written as the
// 1000000 it exceeds.
std::wstring NumberAgainst(double v, double limit)
{
    const auto side = [limit](double x) { return x < limit ? -1 : x > limit ? 1 : 0; };
    std::wstring text = uf::NumberText(v);
    for (int digits = 7; digits <= 17 && side(std::wcstod(text.c_str(), nullptr)) != side(v); ++digits) {
        char buffer[400];  // the widest double written out
        const double magnitude = std::fabs(v);
        if (magnitude >= 1e-6 && magnitude < 1e15) {
            const int whole = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
            std::snprintf(buffer, sizeof buffer, "%.*f", std::max(0, digits - whole), v);
        } else {
            std::snprintf(buffer, sizeof buffer, "%.*g", digits, v);
        }
        std::string narrow(buffer);
        if (narrow.find('.') != std::string::npos && narrow.find('e') == std::string::npos) {
            narrow.erase(narrow.find_last_not_of('0') + 1);
            if (narrow.back() == '.')
                narrow.pop_back();
        }
        text.assign(narrow.begin(), narrow.end());
    }
    return text;
}

// Where a part's box larger than kLargestPart stands (a stray curve far away
// is found by its corner): its corners written out as far as it takes for
// the box they give to be larger too, as (0; 0) and (1000000.00001; 10) are,
// where (1000000; 10) is not.
std::wstring Box(double x1, double y1, double x2, double y2)
{
    const auto text = [&](const std::wstring& a, const std::wstring& b, const std::wstring& c, const std::wstring& d) {
        return L" от точки (" + a + L"; " + b + L") до точки (" + c + L"; " + d + L")";
    };
    const std::wstring rounded = L" от точки " + PointText({x1, y1}) + L" до точки " + PointText({x2, y2});
    if (!(std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)}) < kFarthestPart))
        return rounded;
    for (int decimals = 4; decimals <= 12; ++decimals) {
        double read[4];
        std::wstring written[4];
        const double corners[4] = {x1, y1, x2, y2};
        for (int k = 0; k < 4; ++k) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.*f", decimals, corners[k]);
            std::string narrow(buffer);
            narrow.erase(narrow.find_last_not_of('0') + 1);
            if (narrow.back() == '.')
                narrow.pop_back();
            if (narrow == "-0")
                narrow = "0";
            read[k] = std::strtod(narrow.c_str(), nullptr);
            written[k].assign(narrow.begin(), narrow.end());
        }
        if (std::max(read[2] - read[0], read[3] - read[1]) > kLargestPart)
            return text(written[0], written[1], written[2], written[3]);
    }
    return rounded;
}

// Why the outline on layer 0 is of no size a part can have; empty when it is.
std::wstring SizeProblem(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IDrawingContainerPtr& container)
{
    vlapi::APIObjectList outline;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
        if (obj->GetLayer() == 0 && obj->IsGeometry())
            outline.emplace_back(obj);
    }
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    if (outline.empty() || !doc->GetObjectsBox(outline, x1, y1, x2, y2))
        return {};
    const double width = x2 - x1, height = y2 - y1;
    const auto sizes = [&](double limit) {
        return NumberAgainst(width, limit) + L" × " + NumberAgainst(height, limit) + L" мм";
    };
    if (!(std::max(width, height) <= kLargestPart))
        return L"деталь больше " + uf::NumberText(kLargestPart) + L" мм: " + sizes(kLargestPart) + Box(x1, y1, x2, y2);
    // A corner of the gabarit out there: along an axis the part passes the
    // limit on, its far side.
    const auto far = [](double low, double high) {
        const double out = std::fabs(low) > std::fabs(high) ? low : high;
        return std::fabs(out) > kFarthestPart ? out : low;
    };
    const double x = far(x1, x2), y = far(y1, y2);
    if (!(std::max(std::fabs(x), std::fabs(y)) <= kFarthestPart)) {
        const auto coordinate = [](double v) { return NumberAgainst(v, std::copysign(kFarthestPart, v)); };
        return L"деталь дальше " + uf::NumberText(kFarthestPart) + L" мм от начала координат: у точки (" +
               coordinate(x) + L"; " + coordinate(y) + L")";
    }
    if (std::max(width, height) < kSmallestPart)
        return L"деталь меньше " + uf::NumberText(kSmallestPart) + L" мм: " + sizes(kSmallestPart) + L" у точки " +
               PointText({x1, y1});
    return {};
}

std::wstring StyleLayerName(int style) { return L"Стиль линий " + std::to_wstring(style); }

void PutOnLayer(const vlapi::IDrawingObjectPtr& obj, int layer)
{
    if (obj->GetLayer() != layer) {
        obj->SetLayer(layer);
        obj->Update();
    }
}

// Replaces a polyline, contour or rectangle on layer 0 by its lines and arcs,
// which take its file layer.
void BreakUp(const vlapi::IDrawingContainerPtr& container, const vlapi::IDrawingObjectPtr& obj, double arrow,
             FileLayers* fileLayers)
{
    const auto layer = fileLayers ? fileLayers->find(hostAccess::ReferenceOf(obj)) : FileLayers::iterator{};
    std::vector<vlapi::IDrawingObjectPtr> pieces;
    vrnApi::DecomposeDrawingObject(obj, vrnApi::SagOfPieces(obj, arrow), pieces);
    for (const vlapi::IDrawingObjectPtr& piece : pieces) {
        vrnApi::CurveChord chord;
        if (!vrnApi::ReadCurveChord(piece, chord))
            continue;
        const NPoint& a = chord.chord->p1;
        const NPoint& b = chord.chord->p2;
        vlapi::IDrawingObjectPtr made =
            piece->GetType() == vlapi::vlDrArc
                ? vlapi::IDrawingObjectPtr(vrnApi::CreateArcBy3Points(container, a, b, chord.middle, kOutlineStyle))
                : vlapi::IDrawingObjectPtr(vrnApi::CreateLineSegm(container, a.x, a.y, b.x, b.y, kOutlineStyle));
        if (made)
            PutOnLayer(made, 0);
        if (made && fileLayers && layer != fileLayers->end())
            (*fileLayers)[hostAccess::ReferenceOf(made)] = layer->second;
    }
    obj->Delete();
}

// Objects counted by the layer they stood on in the file and their kind, as
// the messages name them: "2 отрезка на слое «CENTER», 1 дуга на слое «0»".
class Tally {
public:
    void Add(const std::wstring& layer, int type)
    {
        const auto place = m_placeOf.emplace(layer, m_byLayer.size()).first;
        if (place->second == m_byLayer.size())
            m_byLayer.push_back({layer, {}});
        ++m_byLayer[place->second].second[KindOf(type)];
    }
    // The file layer of the object `ref` (of `fileLayers`, "0" when none is known).
    void Add(const FileLayers* fileLayers, reference ref, int type)
    {
        const auto named = fileLayers ? fileLayers->find(ref) : FileLayers::const_iterator{};
        Add(fileLayers && named != fileLayers->end() ? named->second : L"0", type);
    }
    bool Empty() const { return m_byLayer.empty(); }
    std::wstring Text() const
    {
        constexpr size_t kLayersNamed = 5;
        static const wchar_t* const kWords[][3] = {
            {L"отрезок", L"отрезка", L"отрезков"},       {L"дуга", L"дуги", L"дуг"},
            {L"окружность", L"окружности", L"окружностей"}, {L"эллипс", L"эллипса", L"эллипсов"},
            {L"сплайн", L"сплайна", L"сплайнов"},        {L"полилиния", L"полилинии", L"полилиний"},
            {L"кривая", L"кривые", L"кривых"},           {L"текст", L"текста", L"текстов"},
            {L"объект", L"объекта", L"объектов"}};
        std::wstring text;
        for (size_t i = 0; i < m_byLayer.size() && i < kLayersNamed; ++i) {
            std::wstring kinds;
            for (size_t k = 0; k < kKinds; ++k) {
                if (const size_t n = m_byLayer[i].second[k])
                    kinds += (kinds.empty() ? L"" : L", ") + Counted(n, kWords[k][0], kWords[k][1], kWords[k][2]);
            }
            text += (text.empty() ? L"" : L", ") + kinds + L" на слое «" + m_byLayer[i].first + L"»";
        }
        size_t more = 0;
        for (size_t i = kLayersNamed; i < m_byLayer.size(); ++i) {
            for (size_t n : m_byLayer[i].second)
                more += n;
        }
        if (more > 0)
            text += L" и ещё " + Counted(more, L"объект", L"объекта", L"объектов") + L" на других слоях";
        return text;
    }

private:
    static constexpr size_t kKinds = 9;
    static size_t KindOf(int type)
    {
        switch (type) {
        case vlapi::vlDrLineSeg: return 0;
        case vlapi::vlDrArc: return 1;
        case vlapi::vlDrCircle: return 2;
        case vlapi::vlDrEllipse: case vlapi::vlDrEllipseArc: return 3;
        case vlapi::vlDrNurbs: case vlapi::vlDrNurbsByPoints: case vlapi::vlDrBezier: return 4;
        case vlapi::vlDrPolyLine: case vlapi::vlDrContour: case vlapi::vlDrRectangle: return 5;
        case vlapi::vlDrConicCurve: case vlapi::vlDrEquidistant: return 6;
        case vlapi::vlDrDrawText: return 7;
        default: return 8;
        }
    }
    std::vector<std::pair<std::wstring, std::array<size_t, kKinds>>> m_byLayer;  // in the order met
    std::map<std::wstring, size_t> m_placeOf;  // a layer's place in `m_byLayer`: a file may have thousands
};

// The curves `open` (indices of `curves`) by layer and kind.
std::wstring OpenCurves(const vlapi::IVarnelDocument2DPtr& doc, const std::vector<vrnApi::CurveChord>& curves,
                        const std::vector<size_t>& open, const FileLayers* fileLayers)
{
    Tally tally;
    for (size_t c : open) {
        const reference ref = curves[c].chord->m_ref;
        const vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, ref)};
        tally.Add(fileLayers, ref, obj ? obj->GetType() : 0);
    }
    return tally.Text();
}

// A point of a ring to find it by: its vertex of the smallest x (and y).
std::wstring RingPlace(const NPolygon& ring)
{
    if (ring.m_points.empty())
        return PointText(ring.m_pole);
    const auto lowest = std::min_element(ring.m_points.begin(), ring.m_points.end(), [](const NPoint& l, const NPoint& r) {
        return l.x < r.x || (l.x == r.x && l.y < r.y);
    });
    return PointText(*lowest);
}

// Why there is no outline to cut, with what the drawing holds instead: the
// curves of other line types (which are not cut), or its other objects.
std::wstring NoOutline(const vlapi::IDrawingContainerPtr& container, const FileLayers* fileLayers, bool hadCurves,
                       const NPoint& firstCurve)
{
    if (hadCurves)
        return std::wstring(kNoOutline) + L": кривые у точки " + PointText(firstCurve) +
               L" ничего не ограничивают (отрезки, проведённые туда и обратно, или точки)";
    Tally others, curves;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
        if (obj->GetLayer() == 0)
            continue;
        (obj->IsGeometry() ? curves : others).Add(fileLayers, hostAccess::ReferenceOf(obj), obj->GetType());
    }
    if (!curves.Empty())
        return std::wstring(kNoOutline) + L": нет кривых основной (сплошной) линии; кривые других типов линий не "
               L"режутся: " + curves.Text();
    if (!others.Empty())
        return std::wstring(kNoOutline) + L": в чертеже нет видимых кривых, только " + others.Text();
    return std::wstring(kNoOutline) + L": в чертеже нет видимых кривых";
}

// One curve over another: the same ends, either way round, and the same
// middle. Only lines, arcs and circles are told so (three points make them);
// other curves through the same three points may part between them, and
// are left to DropOverlaps, which follows them.
bool IsThreePointCurve(const vlapi::IDrawingObjectPtr& obj)
{
    const int type = obj->GetType();
    return type == vlapi::vlDrLineSeg || type == vlapi::vlDrArc || type == vlapi::vlDrCircle;
}

bool SameCurve(const vrnApi::CurveChord& a, const vrnApi::CurveChord& b)
{
    const NSegment& s = *a.chord;
    const NSegment& t = *b.chord;
    const bool ends = (s.p1 == t.p1 && s.p2 == t.p2) || (s.p1 == t.p2 && s.p2 == t.p1);
    return ends && a.middle == b.middle;
}

// Deletes the curves marked `gone` from the drawing and from `kept` and
// `objects`, the others keeping their order.
void DeleteCurves(std::vector<vrnApi::CurveChord>& kept, std::vector<vlapi::IDrawingObjectPtr>& objects,
                  const std::vector<bool>& gone)
{
    size_t to = 0;
    for (size_t k = 0; k < kept.size(); ++k) {
        if (gone[k]) {
            objects[k]->Delete();
            continue;
        }
        kept[to] = kept[k];
        objects[to] = objects[k];
        ++to;
    }
    kept.resize(to);
    objects.resize(to);
}

// A spike: curves drawn there and back (each twice, the copy gone already),
// from a free end along ends that join two curves to a point where the
// outline passes. It holds no material, and goes: the ring is the part
// without it. Doubled curves that run free at both ends (a stray line) stay,
// to be named as open. `ends` files each kept curve at both of its ends.
void DropSpikes(std::vector<vrnApi::CurveChord>& kept, std::vector<vlapi::IDrawingObjectPtr>& objects,
                const std::vector<bool>& doubled, const PointGrid& ends)
{
    if (std::find(doubled.begin(), doubled.end(), true) == doubled.end())
        return;
    std::vector<bool> gone(kept.size(), false);
    const auto meeting = [&](const NPoint& p) {
        std::vector<size_t> curves;
        ends.ForEachNear(p, [&](size_t k) {
            if (!gone[k] && (kept[k].chord->p1 == p || kept[k].chord->p2 == p) &&
                std::find(curves.begin(), curves.end(), k) == curves.end())
                curves.push_back(k);
        });
        return curves;
    };
    for (size_t first = 0; first < kept.size(); ++first) {
        for (const bool fromStart : {true, false}) {
            if (gone[first] || !doubled[first])
                continue;
            const NPoint tip = fromStart ? kept[first].chord->p1 : kept[first].chord->p2;
            if (meeting(tip).size() != 1)
                continue;
            std::vector<size_t> spike{first};
            NPoint at = fromStart ? kept[first].chord->p2 : kept[first].chord->p1;
            bool based = false;
            while (spike.size() <= kept.size()) {
                const std::vector<size_t> here = meeting(at);
                if (here.size() != 2) {
                    based = here.size() > 2;
                    break;
                }
                const size_t next = here[0] == spike.back() ? here[1] : here[0];
                if (!doubled[next] || std::find(spike.begin(), spike.end(), next) != spike.end())
                    break;
                spike.push_back(next);
                at = kept[next].chord->p1 == at ? kept[next].chord->p2 : kept[next].chord->p1;
            }
            if (!based)
                continue;
            for (size_t k : spike)
                gone[k] = true;
        }
    }
    DeleteCurves(kept, objects, gone);
}

// Where a free end `p` of the curve `c` (of `curves`) stands: on another
// curve a joint away from that curve's ends, and running along it there or
// not.
EndPlace PlaceOfEnd(const vlapi::IVarnelDocument2DPtr& doc, const std::vector<vrnApi::CurveChord>& curves,
                    const NPoint& p, size_t c)
{
    const auto objectOf = [&](size_t k) { return vlapi::IDrawingObjectPtr{hostAccess::ObjectOf(doc, curves[k].chord->m_ref)}; };
    const auto curveOf = [&](size_t k) {
        const vlapi::IDrawingObjectPtr obj = objectOf(k);
        return obj ? obj->GetCurve() : nullptr;
    };
    // The unit direction of a curve at its point nearest to p.
    const auto direction = [&](const vlapi::ICurve2DPtr& curve) {
        double x = 0.0, y = 0.0, t = 0.0, d = 0.0;
        NPoint a, b;
        if (!curve || !curve->GetNearestPoint(p.x, p.y, x, y, t, d))
            return NPoint{};
        const double t0 = curve->GetParamMin(), t1 = curve->GetParamMax(), dt = (t1 - t0) * 1e-4;
        if (!curve->GetPoint(std::max(t0, t - dt), a.x, a.y) || !curve->GetPoint(std::min(t1, t + dt), b.x, b.y))
            return NPoint{};
        const double l = Distance(a, b);
        return l > 0.0 ? NPoint{(b.x - a.x) / l, (b.y - a.y) / l} : NPoint{};
    };
    for (size_t k = 0; k < curves.size(); ++k) {
        const NSegment& s = *curves[k].chord;
        if (k == c || Distance(p, s.p1) < kJoinTolerance || Distance(p, s.p2) < kJoinTolerance)
            continue;
        // A line, an arc or a circle lies within its size of its middle.
        const vlapi::IDrawingObjectPtr obj = objectOf(k);
        const double reach = std::max(Distance(s.p1, s.p2), Distance(s.p1, curves[k].middle)) + kJoinTolerance;
        if (!obj || (IsThreePointCurve(obj) && (std::fabs(p.x - curves[k].middle.x) > reach ||
                                                 std::fabs(p.y - curves[k].middle.y) > reach)))
            continue;
        const vlapi::ICurve2DPtr curve = obj->GetCurve();
        double x = 0.0, y = 0.0, t = 0.0, distance = INFINITY;
        if (!curve || !curve->GetNearestPoint(p.x, p.y, x, y, t, distance) || !(distance < kJoinTolerance))
            continue;
        const NPoint u = direction(curve), v = direction(curveOf(c));
        const bool along = std::fabs(u.x * v.y - u.y * v.x) < 0.2 && (u.x != 0.0 || u.y != 0.0) && (v.x != 0.0 || v.y != 0.0);
        return along ? EndPlace::AlongCurve : EndPlace::OnCurve;
    }
    return EndPlace::Free;
}

// A line from a point to itself (exports repeat vertices so) bounds nothing:
// the host gives it no curve, and the outline closes over it.
bool IsPointLine(const vlapi::IDrawingObjectPtr& obj)
{
    const vlapi::ILineSegmentPtr line(obj);
    return line && NPoint{line->GetX1(), line->GetY1()} == NPoint{line->GetX2(), line->GetY2()};
}

// Deletes the groups of curves of the outline (curves whose ends lie nearer
// than a joint, each with the curves its ends meet) that all lie within a
// point's box (vrnApi::kPointRing): a circle of a micron standing for a
// centre mark, a polyline drawn within one. Such a ring bounds no hole: the
// joints would take it, and the reading of the figure takes it for a point.
// The groups the drawing tells from a point (larger than its point
// tolerance; smaller ones are round-off, as point lines are) are named by
// layer and kind, with the middle of the first; empty when there are none.
std::wstring DropPoints(const vlapi::IVarnelDocument2DPtr& doc, std::vector<vrnApi::CurveChord>& kept,
                        std::vector<vlapi::IDrawingObjectPtr>& objects, const FileLayers* fileLayers)
{
    const size_t count = kept.size();
    // Each end joins the ends filed near it, and is filed itself only when
    // there are none: the ends filed stand a joint apart, so that a few lie
    // near any point, however many ends meet there.
    DisjointSets groups(count);
    PointGrid filed(kJoinTolerance);
    std::vector<std::pair<NPoint, size_t>> ends;  // filed: the end and its curve
    for (size_t c = 0; c < count; ++c) {
        for (const NPoint& p : {kept[c].chord->p1, kept[c].chord->p2}) {
            bool joined = false;
            filed.ForEachNear(p, [&](size_t e) {
                if (Distance(ends[e].first, p) < kJoinTolerance) {
                    groups.Unite(c, ends[e].second);
                    joined = true;
                }
            });
            if (!joined) {
                filed.Add(p, ends.size());
                ends.emplace_back(p, c);
            }
        }
    }
    // The extent of each group's ends and middles, by its root: a group that
    // reaches a point's size there is none, and its box is not asked for.
    std::vector<std::array<double, 4>> extent(count, {INFINITY, INFINITY, -INFINITY, -INFINITY});
    for (size_t c = 0; c < count; ++c) {
        std::array<double, 4>& e = extent[groups.Root(c)];
        for (const NPoint& p : {kept[c].chord->p1, kept[c].chord->p2, kept[c].middle})
            e = {std::min(e[0], p.x), std::min(e[1], p.y), std::max(e[2], p.x), std::max(e[3], p.y)};
    }
    std::map<size_t, vlapi::APIObjectList> small;  // the curves of each such group, by its root
    for (size_t c = 0; c < count; ++c) {
        const size_t root = groups.Root(c);
        if (extent[root][2] - extent[root][0] < vrnApi::kPointRing && extent[root][3] - extent[root][1] < vrnApi::kPointRing)
            small[root].emplace_back(objects[c]);
    }
    std::set<size_t> points;  // roots of the groups dropped
    Tally named;
    std::optional<NPoint> first;
    size_t groupsNamed = 0;
    for (const auto& [root, curves] : small) {
        if (!vrnApi::IsPointSized(doc, curves))
            continue;
        points.insert(root);
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        doc->GetObjectsBox(curves, x1, y1, x2, y2);
        if (x2 - x1 < EPS && y2 - y1 < EPS)
            continue;
        for (const vlapi::IVarnelAPIObjectPtr& curve : curves) {
            const vlapi::IDrawingObjectPtr obj{curve};
            named.Add(fileLayers, hostAccess::ReferenceOf(obj), obj->GetType());
        }
        if (!first)
            first = NPoint{(x1 + x2) * 0.5, (y1 + y2) * 0.5};
        ++groupsNamed;
    }
    std::vector<bool> dropped(count, false);
    for (size_t c = 0; c < count; ++c)
        dropped[c] = points.count(groups.Root(c)) > 0;
    DeleteCurves(kept, objects, dropped);
    if (named.Empty())
        return {};
    return named.Text() + (groupsNamed == 1 ? L" у точки " : L" (первая у точки ") + PointText(*first) +
           (groupsNamed == 1 ? L"" : L")");
}

// A curve of the outline whose shape the host cannot give, named by its kind and layer.
std::wstring Unreadable(const vlapi::IDrawingObjectPtr& obj, const FileLayers* fileLayers)
{
    Tally tally;
    tally.Add(fileLayers, hostAccess::ReferenceOf(obj), obj->GetType());
    return std::wstring(kUnreadable) + L": " + tally.Text();
}

// A closed curve as the messages name it ("полилиния на слое «OUT» у (0;
// 0)": a circle or an ellipse by its centre, another curve by its start)
// with its box; none for a curve that is not closed.
std::optional<FileCurve> ClosedCurve(const vlapi::IDrawingObjectPtr& obj, const std::wstring& layer)
{
    const vlapi::ICurve2DPtr curve = obj->GetCurve();
    const vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    FileCurve ring;
    if (!curve || !curve->IsClosed() || !doc || !doc->GetObjectsBox(hostAccess::ListOf(obj), ring.x1, ring.y1, ring.x2, ring.y2))
        return std::nullopt;
    NPoint at{(ring.x1 + ring.x2) * 0.5, (ring.y1 + ring.y2) * 0.5};
    if (const vlapi::ICirclePtr circle{obj})
        at = {circle->GetXc(), circle->GetYc()};
    else if (obj->GetType() != vlapi::vlDrEllipse && !curve->GetPoint(curve->GetParamMin(), at.x, at.y))
        return std::nullopt;
    Tally one;
    one.Add(layer, obj->GetType());
    ring.named = one.Text().substr(2) + L" у " + PointText(at);  // without its count, "1 "
    vrnApi::CurveChord chord;
    if (vrnApi::ReadCurveChord(obj, chord)) {
        NContour alone;
        alone.AddSegment(chord.chord);
        if (const NPolygonPtr followed = vrnApi::ApproximateChain(doc, alone))
            ring.ring = followed->m_points;
    }
    return ring;
}

// The rings that open curves of `curves` make together, chained end to end
// (the closed ones are rings of their own, ClosedCurve), each named by its
// curves and where it starts: "4 отрезка на слое «F» (контур у (0; 0))".
std::vector<FileCurve> ChainedRings(const std::vector<vlapi::IDrawingObjectPtr>& curves,
                                    const std::function<std::wstring(const vlapi::IDrawingObjectPtr&)>& layerOf)
{
    const vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    std::vector<NSegmentPtr> chords;
    for (const vlapi::IDrawingObjectPtr& obj : curves) {
        const vlapi::ICurve2DPtr curve = obj->GetCurve();
        vrnApi::CurveChord chord;
        if (curve && !curve->IsClosed() && vrnApi::ReadCurveChord(obj, chord))
            chords.push_back(chord.chord);
    }
    std::vector<FileCurve> rings;
    if (!doc || chords.size() < 2)
        return rings;
    std::vector<NContourPtr> chains;
    CreateContinuousContours(chords, chains);
    for (const NContourPtr& chain : chains) {
        if (chain->m_segments.size() < 2 || !vrnApi::IsClosedChain(*chain))
            continue;
        vlapi::APIObjectList objects;
        Tally tally;
        for (const NSegmentPtr& chord : chain->m_segments) {
            const vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, chord->m_ref)};
            if (!obj)
                continue;
            objects.emplace_back(obj);
            tally.Add(layerOf(obj), obj->GetType());
        }
        FileCurve ring;
        if (objects.empty() || !doc->GetObjectsBox(objects, ring.x1, ring.y1, ring.x2, ring.y2))
            continue;
        ring.named = tally.Text() + L" (контур у " + PointText(chain->m_segments.front()->p1) + L")";
        ring.several = true;
        if (const NPolygonPtr followed = vrnApi::ApproximateChain(doc, *chain))
            ring.ring = followed->m_points;
        rings.push_back(std::move(ring));
    }
    return rings;
}

// Whether the largest ring that curves of `curves` make (a closed one, or
// open ones chained) holds another one's box: the curves make a part with holes.
bool HoldsRing(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& curves,
               const std::function<std::wstring(const vlapi::IDrawingObjectPtr&)>& layerOf)
{
    std::vector<vlapi::IDrawingObjectPtr> objects;
    for (const vlapi::IVarnelAPIObjectPtr& curve : curves)
        if (const vlapi::IDrawingObjectPtr obj{curve})
            objects.push_back(obj);
    std::vector<FileCurve> rings = ChainedRings(objects, layerOf);
    for (const vlapi::IDrawingObjectPtr& obj : objects) {
        FileCurve ring;
        const vlapi::ICurve2DPtr curve = obj->GetCurve();
        if (curve && curve->IsClosed() && doc->GetObjectsBox(hostAccess::ListOf(obj), ring.x1, ring.y1, ring.x2, ring.y2))
            rings.push_back(std::move(ring));
    }
    if (rings.empty())
        return false;
    const auto size = [](const FileCurve& r) { return (r.x2 - r.x1) * (r.y2 - r.y1); };
    const auto outer = std::max_element(rings.begin(), rings.end(),
                                        [&](const FileCurve& a, const FileCurve& b) { return size(a) < size(b); });
    const double t = kJoinTolerance;
    return std::any_of(rings.begin(), rings.end(), [&](const FileCurve& inner) {
        return inner.x1 - outer->x1 >= t && inner.y1 - outer->y1 >= t && outer->x2 - inner.x2 >= t && outer->y2 - inner.y2 >= t;
    });
}

}  // namespace

std::wstring Counted(size_t n, const wchar_t* one, const wchar_t* few, const wchar_t* many)
{
    const size_t tens = n % 100, units = n % 10;
    const wchar_t* word = tens >= 11 && tens <= 14 ? many : units == 1 ? one : units >= 2 && units <= 4 ? few : many;
    return std::to_wstring(n) + L" " + word;
}

void SortOntoLayers(const vlapi::IViewPtr& view, FileLayers* fileLayers, std::wstring* hiddenCurves,
                    std::vector<FileCurve>* hiddenRings, std::vector<LayerText>* hiddenTexts)
{
    vlapi::ILayersPtr layers = view ? view->GetLayers() : nullptr;
    if (!layers)
        return;
    // The curves the drawing keeps on layers frozen or off (construction
    // lines, other parts) are not drawn, so they are not cut either: they
    // are left out, and told by layer and kind. Their texts are not shown
    // either: a marking there is none of the part's.
    std::set<int> hidden;
    std::map<int, std::wstring> names;
    for (int i = 0; i < layers->GetCount(); ++i) {
        vlapi::ILayerPtr layer{layers->GetItem(i)};
        if (!layer)
            continue;
        names[layer->GetNumber()] = layer->GetName();
        if (!layer->GetVisible())
            hidden.insert(layer->GetNumber());
    }
    const auto nameOf = [&](const vlapi::IDrawingObjectPtr& obj) {
        const auto name = names.find(obj->GetLayer());
        return name != names.end() ? name->second : std::wstring(L"0");
    };
    vlapi::DrawingObjectList objects;
    std::vector<vlapi::IDrawingObjectPtr> hiddenObjects;
    Tally left;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
        if (hidden.count(obj->GetLayer())) {
            if (vlapi::ITextPtr text{obj}; text && hiddenTexts)
                hiddenTexts->push_back({nameOf(obj), text->GetText()});
            if (obj->IsGeometry())
                left.Add(nameOf(obj), obj->GetType());
            if (hiddenRings && obj->IsGeometry())
                if (std::optional<FileCurve> ring = ClosedCurve(obj, nameOf(obj)))
                    hiddenRings->push_back(std::move(*ring));
            hiddenObjects.push_back(obj);
        } else {
            objects.push_back(obj);
        }
    }
    // An outline of lines and arcs on a hidden layer is a ring as a closed curve is.
    if (hiddenRings) {
        std::vector<vlapi::IDrawingObjectPtr> curves;
        for (const vlapi::IDrawingObjectPtr& obj : hiddenObjects)
            if (obj->IsGeometry())
                curves.push_back(obj);
        for (FileCurve& ring : ChainedRings(curves, nameOf))
            hiddenRings->push_back(std::move(ring));
    }
    for (const vlapi::IDrawingObjectPtr& obj : hiddenObjects)
        obj->Delete();
    if (hiddenCurves)
        *hiddenCurves = left.Empty() ? std::wstring() : left.Text();
    if (fileLayers) {
        for (const vlapi::IDrawingObjectPtr& obj : objects)
            (*fileLayers)[hostAccess::ReferenceOf(obj)] = nameOf(obj);
    }
    std::vector<int> targets;
    std::vector<int> styles;     // the other line styles, as they are met
    std::map<int, int> styleAt;  // style → its place in `styles`
    for (const vlapi::IDrawingObjectPtr& obj : objects) {
        int target = kTextLayer;
        if (obj->GetType() != vlapi::vlDrDrawText) {
            const int style = obj->GetStyle();
            if (style == kOutlineStyle && obj->IsGeometry()) {
                target = 0;
            } else {
                auto at = styleAt.emplace(style, static_cast<int>(styles.size())).first;
                if (at->second == static_cast<int>(styles.size()))
                    styles.push_back(style);
                target = 2 + at->second;
            }
        }
        targets.push_back(target);
        PutOnLayer(obj, 0);
    }
    std::vector<vlapi::ILayerPtr> old;
    for (int i = 0; i < layers->GetCount(); ++i) {
        vlapi::ILayerPtr layer{layers->GetItem(i)};
        if (layer && layer->GetNumber() != 0)
            old.push_back(layer);
    }
    for (auto layer = old.rbegin(); layer != old.rend(); ++layer)
        (*layer)->Delete();
    if (std::find(targets.begin(), targets.end(), kTextLayer) != targets.end())
        hostAccess::EnsureLayer(layers, kTextLayer, vrnApi::LoadStr(IDS_NAME_TEXT_LAYER));
    for (size_t k = 0; k < styles.size(); ++k)
        hostAccess::EnsureLayer(layers, 2 + static_cast<int>(k), StyleLayerName(styles[k]));
    for (size_t i = 0; i < objects.size(); ++i)
        PutOnLayer(objects[i], targets[i]);
}

std::wstring LostOutline(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view,
                         const std::vector<FileCurve>& hiddenRings, const std::filesystem::path* file,
                         const FileLayers* fileLayers)
{
    const auto layerOf = [fileLayers](const vlapi::IDrawingObjectPtr& obj) {
        const auto named = fileLayers ? fileLayers->find(hostAccess::ReferenceOf(obj)) : FileLayers::const_iterator{};
        return fileLayers && named != fileLayers->end() ? named->second : std::wstring(L"0");
    };
    // The box of the curves to cut.
    vlapi::APIObjectList cut;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
        if (obj->GetLayer() == 0 && obj->IsGeometry())
            cut.emplace_back(obj);
    }
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    if (cut.empty() || !doc->GetObjectsBox(cut, x1, y1, x2, y2))
        return {};
    // The ends and middles of the curves to cut: a curve the drawing holds
    // encloses them all, or is no outline of theirs (a construction circle
    // whose box holds the part may still cut across its corners).
    std::vector<NPoint> cutPoints;
    for (const vlapi::IVarnelAPIObjectPtr& obj : cut) {
        vrnApi::CurveChord chord;
        if (vrnApi::ReadCurveChord(vlapi::IDrawingObjectPtr(obj), chord))
            cutPoints.insert(cutPoints.end(), {chord.chord->p1, chord.chord->p2, chord.middle});
    }
    // Holding them all, and reaching a joint past them somewhere: not the
    // outline drawn again.
    const double t = kJoinTolerance;
    // A curve of no known size may be any of them: one about their middle is taken to.
    const auto encloses = [&](const FileCurve& c) {
        if (!c.sized)
            return c.x1 > x1 && c.x1 < x2 && c.y1 > y1 && c.y1 < y2;
        return c.x1 <= x1 + t && c.y1 <= y1 + t && c.x2 >= x2 - t && c.y2 >= y2 - t &&
               (x1 - c.x1 >= t || y1 - c.y1 >= t || c.x2 - x2 >= t || c.y2 - y2 >= t) &&
               std::all_of(cutPoints.begin(), cutPoints.end(), [&](const NPoint& p) {
                   return c.ring.size() < 3 || CheckPoligonContainPoint(c.ring, p, true);
               });
    };
    const std::wstring lost = L"внешний контур не импортирован: ";
    const auto holds = [](const FileCurve& ring) {
        return (ring.several ? L" охватывают" : L" охватывает") + std::wstring(L" все импортированные кривые детали");
    };
    for (const FileCurve& ring : hiddenRings) {
        if (encloses(ring))
            return lost + ring.named + holds(ring);
    }
    // Drawn in another line style (not cut): closed curves, and open ones
    // that close a ring together.
    std::vector<vlapi::IDrawingObjectPtr> uncut;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view)))
        if (obj->GetLayer() >= 2 && obj->IsGeometry())
            uncut.push_back(obj);
    std::vector<FileCurve> uncutRings = ChainedRings(uncut, layerOf);
    for (const vlapi::IDrawingObjectPtr& obj : uncut)
        if (std::optional<FileCurve> ring = ClosedCurve(obj, layerOf(obj)))
            uncutRings.push_back(std::move(*ring));
    for (const FileCurve& ring : uncutRings) {
        if (encloses(ring))
            return L"внешний контур проведён не основной (сплошной) линией, а такие кривые не режутся: " + ring.named +
                   holds(ring);
    }
    if (!file)
        return {};
    // What the reader left out, whatever it left it out for (a 3D curve, one
    // in paper space, in an external reference, in a block deeper than it
    // reads, beyond its caps, ...), found in the file: a ring there that
    // holds every curve to cut and is none of those the drawing has (uncut,
    // in other line styles, or hidden), each of which answers for one ring
    // of its box.
    std::vector<FileCurve> around = ClosedFileCurves(*file, [&](const FileCurve& c) { return !c.unplaced && encloses(c); });
    // Paper space has coordinates of its own: a ring there is taken for the
    // part's outline only where the two may be one drawing: not a sheet's
    // frame about a view of the model, nor around curves to cut that make
    // a part with holes of their own (inside an outline they would be
    // islands in a hole, no part either).
    const bool holes = std::any_of(around.begin(), around.end(), [](const FileCurve& c) { return c.paper; }) &&
                       HoldsRing(doc, cut, layerOf);
    around.erase(std::remove_if(around.begin(), around.end(),
                                [holes](const FileCurve& c) { return c.frame || (c.paper && holes); }),
                 around.end());
    const auto same = [t](const FileCurve& a, const FileCurve& b) {
        return std::fabs(a.x1 - b.x1) < t && std::fabs(a.y1 - b.y1) < t && std::fabs(a.x2 - b.x2) < t &&
               std::fabs(a.y2 - b.y2) < t;
    };
    const auto answered = [&](const FileCurve& ring) {
        const auto found = std::find_if(around.begin(), around.end(), [&](const FileCurve& c) { return same(c, ring); });
        if (found != around.end())
            around.erase(found);
    };
    for (const FileCurve& ring : uncutRings)
        answered(ring);
    for (const FileCurve& ring : hiddenRings)
        answered(ring);
    if (around.empty())
        return {};
    const FileCurve& curve = around.front();
    if (!curve.sized)
        return L"не прочитан размер кривой, которая может быть внешним контуром детали: " + curve.named;
    return lost + curve.named + holds(curve);
}

namespace {

// A point of a curve the file draws lies on one the drawing holds when it
// stands this near it: the reader places both by the same numbers.
constexpr double kOnTolerance = 10 * kJoinTolerance;

// The curves a drawing holds, filed by their boxes (widened by
// kOnTolerance) in a grid, to be asked whether a point lies on one.
class HeldCurves {
public:
    HeldCurves(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view)
    {
        double x1 = INFINITY, y1 = INFINITY, x2 = -INFINITY, y2 = -INFINITY;
        for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
            Held held;
            if (!obj->IsGeometry())
                continue;
            // Circles and lines, most of a drawing's curves, are measured here; others by the host.
            const int type = obj->GetType();
            if (const vlapi::ICirclePtr circle{obj}; circle && type == vlapi::vlDrCircle) {
                held.shape = Held::kCircle;
                held.a = {circle->GetXc(), circle->GetYc()};
                held.r = circle->GetRadius();
                held.x1 = held.a.x - held.r, held.y1 = held.a.y - held.r, held.x2 = held.a.x + held.r, held.y2 = held.a.y + held.r;
            } else if (const vlapi::ILineSegmentPtr line{obj}; line && type == vlapi::vlDrLineSeg) {
                held.shape = Held::kLine;
                held.a = {line->GetX1(), line->GetY1()};
                held.b = {line->GetX2(), line->GetY2()};
                held.x1 = std::min(held.a.x, held.b.x), held.y1 = std::min(held.a.y, held.b.y);
                held.x2 = std::max(held.a.x, held.b.x), held.y2 = std::max(held.a.y, held.b.y);
            } else if (!(held.curve = obj->GetCurve()) ||
                       !doc->GetObjectsBox(hostAccess::ListOf(obj), held.x1, held.y1, held.x2, held.y2)) {
                continue;
            }
            held.x1 -= kOnTolerance, held.y1 -= kOnTolerance, held.x2 += kOnTolerance, held.y2 += kOnTolerance;
            x1 = std::min(x1, held.x1), y1 = std::min(y1, held.y1), x2 = std::max(x2, held.x2), y2 = std::max(y2, held.y2);
            m_held.push_back(std::move(held));
        }
        if (m_held.empty() || !std::isfinite(x2 - x1 + y2 - y1))
            return;
        m_x = x1, m_y = y1;
        m_cell = std::max({x2 - x1, y2 - y1, kOnTolerance}) / kCells;
        for (size_t k = 0; k < m_held.size(); ++k) {
            const Held& h = m_held[k];
            const int64_t i1 = Cell(h.x1, m_x), i2 = Cell(h.x2, m_x), j1 = Cell(h.y1, m_y), j2 = Cell(h.y2, m_y);
            // A curve across much of the drawing (its outline) is asked of every point.
            if ((i2 - i1 + 1) * (j2 - j1 + 1) > kMostCells) {
                m_wide.push_back(k);
                continue;
            }
            for (int64_t i = i1; i <= i2; ++i)
                for (int64_t j = j1; j <= j2; ++j)
                    m_cells[Key(i, j)].push_back(k);
        }
    }

    bool Holds(const NPoint& p) const
    {
        if (m_held.empty())
            return false;
        const auto on = [&](size_t k) {
            const Held& h = m_held[k];
            if (p.x < h.x1 || p.x > h.x2 || p.y < h.y1 || p.y > h.y2)
                return false;
            if (h.shape == Held::kCircle)
                return std::fabs(Distance(p, h.a) - h.r) <= kOnTolerance;
            if (h.shape == Held::kLine)
                return DistancePointToSegment(p, h.a, h.b) <= kOnTolerance;
            double x = 0.0, y = 0.0, t = 0.0, d = INFINITY;
            return h.curve->GetNearestPoint(p.x, p.y, x, y, t, d) && d <= kOnTolerance;
        };
        if (std::any_of(m_wide.begin(), m_wide.end(), on))
            return true;
        const auto cell = m_cells.find(Key(Cell(p.x, m_x), Cell(p.y, m_y)));
        return cell != m_cells.end() && std::any_of(cell->second.begin(), cell->second.end(), on);
    }

private:
    static constexpr double kCells = 256.0;   // across the drawing's longer side
    static constexpr int64_t kMostCells = 64;  // that one curve is filed in
    struct Held {
        enum Shape { kCircle, kLine, kOther };
        Shape shape = kOther;
        NPoint a, b;     // a circle's centre; a line's ends
        double r = 0.0;  // a circle's radius
        vlapi::ICurve2DPtr curve;  // another curve
        double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    };
    int64_t Cell(double v, double origin) const
    {
        return static_cast<int64_t>(std::floor(std::clamp((v - origin) / m_cell, -1.0, kCells + 1.0)));
    }
    static int64_t Key(int64_t i, int64_t j) { return (i + 2) * 1024 + (j + 2); }

    std::vector<Held> m_held;
    std::vector<size_t> m_wide;
    std::unordered_map<int64_t, std::vector<size_t>> m_cells;
    double m_x = 0.0, m_y = 0.0, m_cell = 1.0;
};

}  // namespace

std::vector<FileCurve> CurvesNotRead(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view,
                                     const std::filesystem::path& file)
{
    const HeldCurves held(doc, view);
    return ClosedFileCurves(file, [&](const FileCurve& c) {
        // Paper space has coordinates of its own; what is made invisible,
        // or stands on a layer off or frozen, is not drawn, so not cut, nor
        // is what is drawn in a linetype with gaps, nor a fill (a section's
        // hatching); a ring within a point's box is a point.
        if (c.paper || c.invisible || c.hidden || c.uncut || c.fill || (c.on.empty() && !c.unplaced) ||
            (c.sized && c.x2 - c.x1 < vrnApi::kPointRing && c.y2 - c.y1 < vrnApi::kPointRing))
            return false;
        // One of no known size, or place, cannot have been read.
        return !c.sized || !std::all_of(c.on.begin(), c.on.end(), [&](const NPoint& p) { return held.Holds(p); });
    });
}

std::wstring LostHoles(const vlapi::IViewPtr& view, const std::vector<FileCurve>& notRead)
{
    if (notRead.empty())
        return {};
    std::vector<vlapi::IDrawingObjectPtr> cut;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view)))
        if (obj->GetLayer() == 0 && obj->IsGeometry())
            cut.push_back(obj);
    const auto layer = [](const vlapi::IDrawingObjectPtr&) { return std::wstring(L"0"); };
    std::vector<FileCurve> rings = ChainedRings(cut, layer);
    for (const vlapi::IDrawingObjectPtr& obj : cut)
        if (std::optional<FileCurve> ring = ClosedCurve(obj, L"0"))
            rings.push_back(std::move(*ring));
    // The outer outline: the ring of the largest box (the outline checked holds every other).
    const auto size = [](const FileCurve& r) { return (r.x2 - r.x1) * (r.y2 - r.y1); };
    const auto outer = std::max_element(rings.begin(), rings.end(),
                                        [&](const FileCurve& a, const FileCurve& b) { return size(a) < size(b); });
    if (outer == rings.end() || outer->ring.size() < 3)
        return {};
    std::vector<std::wstring> lost, unplaced;
    for (const FileCurve& c : notRead) {
        if (c.unplaced)
            unplaced.push_back(c.named);
        else if (std::any_of(c.on.begin(), c.on.end(),
                             [&](const NPoint& p) { return CheckPoligonContainPoint(outer->ring, p, false); }))
            lost.push_back(c.named);
    }
    constexpr size_t kNamed = 5;
    // Where a body stands that its ACIS data does not tell may be inside.
    if (lost.empty() && !unplaced.empty())
        return L"не прочитано, где лежит объект, который может быть вырезом детали, а без него деталь не записывается: " +
               uf::FirstNames(unplaced, kNamed);
    if (lost.empty())
        return {};
    std::wstring text = lost.size() == 1 ? L"внутри внешнего контура детали не импортирована кривая, а без неё деталь не записывается: "
                                         : L"внутри внешнего контура детали не импортированы кривые, а без них деталь не записывается: ";
    return text + uf::FirstNames(lost, kNamed);
}

std::vector<FileCurve> NamedRings(const std::vector<vlapi::IDrawingObjectPtr>& curves,
                                  const std::function<std::wstring(const vlapi::IDrawingObjectPtr&)>& layerOf)
{
    std::vector<FileCurve> rings = ChainedRings(curves, layerOf);
    for (const vlapi::IDrawingObjectPtr& obj : curves)
        if (std::optional<FileCurve> ring = ClosedCurve(obj, layerOf(obj)))
            rings.push_back(std::move(*ring));
    return rings;
}

std::wstring ClosedCurvesNotCut(const vlapi::IViewPtr& view, const FileLayers* fileLayers)
{
    Tally tally;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
        if (obj->GetLayer() < 2 || !obj->IsGeometry())
            continue;
        const vlapi::ICurve2DPtr curve = obj->GetCurve();
        if (curve && curve->IsClosed())
            tally.Add(fileLayers, hostAccess::ReferenceOf(obj), obj->GetType());
    }
    return tally.Text();
}

std::wstring CheckOutline(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view, FileLayers* fileLayers,
                          std::wstring* points)
{
    const vlapi::IDrawingContainerPtr container(view);
    if (std::wstring size = SizeProblem(doc, container); !size.empty())
        return size;
    const double arrow = NestingSetting::m_instance.m_tolerance;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
        if (obj->GetLayer() == 0 && !vrnApi::IsCurveType(obj->GetType()))
            BreakUp(container, obj, arrow, fileLayers);
    }

    std::vector<vrnApi::CurveChord> kept;
    std::vector<vlapi::IDrawingObjectPtr> objects;  // of the curves kept
    PointGrid keptStarts(EPS);  // a curve drawn again starts where the first one starts or ends
    std::vector<bool> doubled;  // of the curves kept: drawn again
    std::optional<NPoint> firstCurve;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
        if (obj->GetLayer() != 0)
            continue;
        vrnApi::CurveChord chord;
        if (!vrnApi::ReadCurveChord(obj, chord)) {
            if (!IsPointLine(obj))
                return Unreadable(obj, fileLayers);
            if (!firstCurve)
                firstCurve = NPoint{vlapi::ILineSegmentPtr(obj)->GetX1(), vlapi::ILineSegmentPtr(obj)->GetY1()};
            obj->Delete();
            continue;
        }
        if (!firstCurve)
            firstCurve = chord.chord->p1;
        // Pieces no larger than a joint are not told apart by their ends: the joints take them.
        const bool pointSized = Distance(chord.chord->p1, chord.middle) < kJoinTolerance &&
                                Distance(chord.chord->p2, chord.middle) < kJoinTolerance;
        const bool threePoint = IsThreePointCurve(obj);
        const size_t first = pointSized ? PointGrid::kNone : keptStarts.FirstNear(chord.chord->p1, [&](size_t k) {
            return threePoint && IsThreePointCurve(objects[k]) && SameCurve(kept[k], chord);
        });
        if (first != PointGrid::kNone) {
            doubled[first] = true;
            obj->Delete();
        } else {
            keptStarts.Add(chord.chord->p1, kept.size());
            keptStarts.Add(chord.chord->p2, kept.size());
            kept.push_back(chord);
            objects.push_back(obj);
            doubled.push_back(false);
        }
    }
    DropSpikes(kept, objects, doubled, keptStarts);
    // A pile of curves beyond the search is left as it is drawn: where the
    // outline then fails, the pile is why.
    std::optional<NPoint> thin;  // where a ring's own sides lie on one another
    const std::optional<NPoint> pile = DropOverlaps(container, kept, objects, fileLayers, &thin);
    if (std::wstring dropped = DropPoints(doc, kept, objects, fileLayers); points)
        *points = std::move(dropped);
    const std::wstring reason = [&]() -> std::wstring {
        JoinNearEnds(doc, container, kept);
        if (kept.empty())
            return NoOutline(container, fileLayers, firstCurve.has_value(), firstCurve.value_or(NPoint{}));

        // A closed curve (a circle, a closed spline) is a ring of its own: two
        // that start at one point are two rings, not one chain through it.
        std::vector<NSegmentPtr> chords;
        std::vector<NContourPtr> contours;
        for (const vrnApi::CurveChord& k : kept) {
            if (k.chord->p1 == k.chord->p2 && Distance(k.chord->p1, k.middle) >= kJoinTolerance) {
                contours.push_back(std::make_shared<NContour>());
                contours.back()->AddSegment(k.chord);
            } else {
                chords.push_back(k.chord);
            }
        }
        if (!contours.empty() && !chords.empty()) {
            // In the order of their first curves, as the chains alone would stand.
            std::unordered_map<const NSegment*, size_t> placeOf;  // of each chord in `kept`
            placeOf.reserve(kept.size());
            for (size_t k = 0; k < kept.size(); ++k)
                placeOf.emplace(kept[k].chord.get(), k);
            CreateContinuousContours(chords, contours);
            std::vector<std::pair<size_t, NContourPtr>> ordered;
            for (const NContourPtr& c : contours) {
                size_t first = kept.size();
                for (const NSegmentPtr& s : c->m_segments)
                    first = std::min(first, placeOf[s.get()]);
                ordered.emplace_back(first, c);
            }
            std::stable_sort(ordered.begin(), ordered.end(), [](const auto& l, const auto& r) { return l.first < r.first; });
            for (size_t i = 0; i < ordered.size(); ++i)
                contours[i] = ordered[i].second;
        } else {
            CreateContinuousContours(chords, contours);
        }
        // An open chain anywhere is the first thing to tell: the rings below are
        // only made of closed ones.
        for (const NContourPtr& contour : contours) {
            if (!vrnApi::IsClosedChain(*contour)) {
                std::vector<size_t> open, meeting;
                const std::wstring where = OpenOutlineGap(
                    kept, contours, open, [&](const NPoint& p, size_t c) { return PlaceOfEnd(doc, kept, p, c); },
                    &meeting);
                if (!meeting.empty())
                    return std::wstring(kOpenOutline) + L": " + where + L", где сходятся кривые: " +
                           OpenCurves(doc, kept, meeting, fileLayers);
                return std::wstring(kOpenOutline) + L": " + where + L"; незамкнутые кривые: " +
                       OpenCurves(doc, kept, open, fileLayers);
            }
        }
        std::vector<NPolygonPtr> rings;
        std::vector<NContourPtr> chains;  // of the rings
        for (const NContourPtr& contour : contours) {
            NPolygonPtr ring = vrnApi::ApproximateChain(doc, *contour);
            if (!ring)
                return std::wstring(kUnreadable) + L": у точки " + PointText(contour->m_segments.front()->p1);
            if (ring->m_points.size() < 3) {
                // A closed chain that encloses nothing. Within a joint it is a
                // point (an arc or circle of round-off), which bounds nothing, as
                // a point line does not; larger, it is a slit no part can have.
                vlapi::APIObjectList curves;
                for (const NSegmentPtr& chord : contour->m_segments)
                    curves.emplace_back(hostAccess::ObjectOf(doc, chord->m_ref));
                if (!vrnApi::IsPointSized(doc, curves))
                    return std::wstring(kFlatRing) + PointText(contour->m_segments.front()->p1);
                for (const vlapi::IVarnelAPIObjectPtr& curve : curves) {
                    if (const vlapi::IDrawingObjectPtr obj{curve})
                        obj->Delete();
                }
                continue;
            }
            ring->UpdateGabarit();
            rings.push_back(ring);
            chains.push_back(contour);
        }
        // A spike holds no material: which ring holds which is told without them.
        rings = vrnApi::WithoutSpikes(rings);
        if (std::wstring crossing = vrnApi::CrossingReason(rings); !crossing.empty())
            return crossing;
        if (rings.empty())
            return NoOutline(container, fileLayers, firstCurve.has_value(), firstCurve.value_or(NPoint{}));
        const size_t outer = vrnApi::FindOuterRing(rings);
        if (outer == NOT_FOUND_INDEX) {
            const auto [first, second] = vrnApi::RingsApart(rings);
            return std::wstring(kSecondOutline) + L": контур у точки " + RingPlace(*rings[second]) +
                   L" не лежит внутри контура у точки " + RingPlace(*rings[first]);
        }
        if (const auto island = vrnApi::RingInHole(rings, outer))
            return std::wstring(kRingInHole) + L": контур у точки " + RingPlace(*rings[island->second]) +
                   L" лежит внутри отверстия у точки " + RingPlace(*rings[island->first]);
        // Each ring is made as the figure's reading makes it: one thinner
        // than the point tolerance there (an ellipse a few microns across) is
        // a slit, no ring, and the part is not written for the loading to refuse.
        for (size_t k = 0; k < rings.size(); ++k) {
            NContour chain;
            for (const NSegmentPtr& chord : chains[k]->m_segments)
                chain.AddSegment(std::make_shared<NSegment>(*chord));
            NPolygon approximation = *rings[k];
            double strayed = 0.0;
            if (!vrnApi::BorderRing(chain, approximation, k == outer, NestingSetting::m_instance.m_tolerance, strayed))
                return std::wstring(kFlatRing) + RingPlace(*rings[k]);
        }
        return {};
    }();
    // A ring whose sides lie nearer to one another than a joint (a slit, a
    // sliver of a triangle) has them made one, and comes out open or flat:
    // that it is so thin is why.
    if (thin && (reason.starts_with(kOpenOutline) || reason.starts_with(kFlatRing) || reason.starts_with(kNoOutline)))
        return L"контур тоньше " + uf::NumberText(kJoinTolerance) + L" мм у точки " + PointText(*thin) +
               L": его стороны лежат одна на другой";
    if (!reason.empty() && pile)
        return std::wstring(kPiled) + PointText(*pile) + L" друг на друге лежат больше " + std::to_wstring(kMostAlong) +
               L" кривых: такое наложение не разбирается";
    return reason;
}

}  // namespace dxfimport
