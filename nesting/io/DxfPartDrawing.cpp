#include "io/DxfPartDrawing.h"

#include "geometry/UtilityFunctions.h"
#include "geometry/PointGrid.h"
#include "host/BorderRings.h"
#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "io/OutlineJoints.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <map>
#include <numeric>
#include <set>

namespace dxfimport {
namespace {

// Why an outline cannot make a figure, as the closing message shows it.
constexpr wchar_t kNoOutline[] = L"нет замкнутого внешнего контура";
constexpr wchar_t kUnreadable[] = L"контур детали не читается";
constexpr wchar_t kOpenOutline[] = L"незамкнутый контур";
constexpr wchar_t kSecondOutline[] = L"больше одного внешнего контура";
constexpr wchar_t kRingInHole[] = L"контур внутри отверстия";
constexpr wchar_t kFlatRing[] = L"контур без площади у точки ";

// The sizes a part may have: no sheet is larger than kLargestPart, no point
// is told from another nearer than the joints (kJoinTolerance) unless the part
// is ten times their size, and beyond kFarthestPart from the origin the
// coordinates of a drawing in millimetres lose the point tolerance.
constexpr double kLargestPart = 1e6;     // mm
constexpr double kSmallestPart = 0.01;   // mm
constexpr double kFarthestPart = 1e9;    // mm

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
    const std::wstring sizes = uf::NumberText(width) + L" × " + uf::NumberText(height) + L" мм";
    if (!(std::max(width, height) <= kLargestPart))
        return L"деталь больше " + uf::NumberText(kLargestPart) + L" мм: " + sizes;
    if (!(std::max({std::fabs(x1), std::fabs(y1), std::fabs(x2), std::fabs(y2)}) <= kFarthestPart))
        return L"деталь дальше " + uf::NumberText(kFarthestPart) + L" мм от начала координат: у точки (" +
               uf::NumberText(x1) + L"; " + uf::NumberText(y1) + L")";
    if (std::max(width, height) < kSmallestPart)
        return L"деталь меньше " + uf::NumberText(kSmallestPart) + L" мм: " + sizes;
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

// "1 отрезок", "2 отрезка", "5 отрезков".
std::wstring Counted(size_t n, const wchar_t* one, const wchar_t* few, const wchar_t* many)
{
    const size_t tens = n % 100, units = n % 10;
    const wchar_t* word = tens >= 11 && tens <= 14 ? many : units == 1 ? one : units >= 2 && units <= 4 ? few : many;
    return std::to_wstring(n) + L" " + word;
}

// The curves of the chains that are not closed, by layer and kind:
// "2 отрезка на слое «CENTER», 1 дуга на слое «0»".
std::wstring OpenCurves(const vlapi::IVarnelDocument2DPtr& doc, const std::vector<NContourPtr>& chains,
                        const FileLayers* fileLayers)
{
    struct Kinds {
        size_t lines = 0, arcs = 0, splines = 0, others = 0;
    };
    std::vector<std::pair<std::wstring, Kinds>> byLayer;  // in the order met
    std::map<std::wstring, size_t> placeOf;                 // a layer's place in `byLayer`: a file may have thousands
    for (const NContourPtr& chain : chains) {
        if (vrnApi::IsClosedChain(*chain))
            continue;
        for (const NSegmentPtr& chord : chain->m_segments) {
            const auto named = fileLayers ? fileLayers->find(chord->m_ref) : FileLayers::const_iterator{};
            const std::wstring layer = fileLayers && named != fileLayers->end() ? named->second : L"0";
            const auto place = placeOf.emplace(layer, byLayer.size()).first;
            if (place->second == byLayer.size())
                byLayer.push_back({layer, Kinds{}});
            const auto at = byLayer.begin() + static_cast<ptrdiff_t>(place->second);
            const vlapi::IDrawingObjectPtr obj{hostAccess::ObjectOf(doc, chord->m_ref)};
            const int type = obj ? obj->GetType() : 0;
            ++(type == vlapi::vlDrLineSeg ? at->second.lines
               : type == vlapi::vlDrArc   ? at->second.arcs
               : type == vlapi::vlDrNurbs || type == vlapi::vlDrNurbsByPoints || type == vlapi::vlDrBezier
                   ? at->second.splines
                   : at->second.others);
        }
    }
    constexpr size_t kLayersNamed = 5;
    std::wstring text;
    for (size_t i = 0; i < byLayer.size() && i < kLayersNamed; ++i) {
        const Kinds& k = byLayer[i].second;
        std::wstring kinds;
        const auto add = [&](size_t n, const wchar_t* one, const wchar_t* few, const wchar_t* many) {
            if (n > 0)
                kinds += (kinds.empty() ? L"" : L", ") + Counted(n, one, few, many);
        };
        add(k.lines, L"отрезок", L"отрезка", L"отрезков");
        add(k.arcs, L"дуга", L"дуги", L"дуг");
        add(k.splines, L"сплайн", L"сплайна", L"сплайнов");
        add(k.others, L"кривая", L"кривые", L"кривых");
        text += (text.empty() ? L"" : L", ") + kinds + L" на слое «" + byLayer[i].first + L"»";
    }
    if (byLayer.size() > kLayersNamed)
        text += L" и на других слоях";
    return text;
}

// One curve over another: the same ends, either way round, and the same middle.
bool SameCurve(const vrnApi::CurveChord& a, const vrnApi::CurveChord& b)
{
    const NSegment& s = *a.chord;
    const NSegment& t = *b.chord;
    const bool ends = (s.p1 == t.p1 && s.p2 == t.p2) || (s.p1 == t.p2 && s.p2 == t.p1);
    return ends && a.middle == b.middle;
}

// Lines of one straight that overlap in part (an edge drawn again in other
// pieces) become one line over their union: the outline runs along it once.
// Lines that only meet end to end stay as they are, and so do overlapping
// lines where another curve meets an end of theirs inside the union (a
// hole's edge along the outline's: two rings, each of them closed). The
// chords follow.
void MergeOverlappingLines(std::vector<vrnApi::CurveChord>& curves, const std::vector<vlapi::IDrawingObjectPtr>& objects)
{
    // The curves' ends as they were, filed when lines first overlap (most outlines have none).
    std::vector<NPoint> endPoints;
    for (const vrnApi::CurveChord& c : curves) {
        endPoints.push_back(c.chord->p1);
        endPoints.push_back(c.chord->p2);
    }
    PointGrid ends(EPS);
    bool filed = false;
    const auto freeEnd = [&](const NPoint& p) {
        for (size_t e = 0; !filed && e < endPoints.size(); ++e)
            ends.Add(endPoints[e], e);
        filed = true;
        size_t met = 0;
        ends.ForEachNear(p, [&](size_t e) { met += endPoints[e] == p; });
        return met <= 1;
    };
    struct Line {
        size_t index;
        double angle, offset, from, to;  // direction in [0, pi), distance of the straight, span along it
    };
    std::vector<Line> lines;
    for (size_t i = 0; i < curves.size(); ++i) {
        if (!vlapi::ILineSegmentPtr(objects[i]))
            continue;
        const NPoint a = curves[i].chord->p1, b = curves[i].chord->p2;
        const double length = Distance(a, b);
        if (!(length > EPS))
            continue;
        NPoint d{(b.x - a.x) / length, (b.y - a.y) / length};
        if (d.y < 0 || (d.y == 0 && d.x < 0))
            d = NPoint{-d.x, -d.y};
        const double s1 = a.x * d.x + a.y * d.y, s2 = b.x * d.x + b.y * d.y;
        lines.push_back({i, std::atan2(d.y, d.x), a.x * d.y - a.y * d.x, std::min(s1, s2), std::max(s1, s2)});
    }
    std::stable_sort(lines.begin(), lines.end(), [](const Line& l, const Line& m) {
        return l.angle < m.angle || (l.angle == m.angle && l.offset < m.offset);
    });
    std::vector<bool> gone(curves.size(), false);
    for (size_t g = 0; g < lines.size();) {
        size_t h = g + 1;  // lines g..h-1 lie on one straight
        while (h < lines.size() && lines[h].angle - lines[h - 1].angle < 1e-9 &&
               std::fabs(lines[h].offset - lines[h - 1].offset) < EPS)
            ++h;
        std::stable_sort(lines.begin() + static_cast<ptrdiff_t>(g), lines.begin() + static_cast<ptrdiff_t>(h),
                         [](const Line& l, const Line& m) { return l.from < m.from; });
        for (size_t k = g; k < h;) {
            Line merged = lines[k];
            size_t next = k + 1;
            for (; next < h && lines[next].from < merged.to - EPS; ++next)
                merged.to = std::max(merged.to, lines[next].to);
            // Ends inside the union (off its two extremes) must be free.
            bool loose = next > k + 1;
            for (size_t m = k; m < next && loose; ++m) {
                for (const NPoint& p : {curves[lines[m].index].chord->p1, curves[lines[m].index].chord->p2}) {
                    const NPoint d{std::cos(merged.angle), std::sin(merged.angle)};
                    const double along = p.x * d.x + p.y * d.y;
                    if (along > merged.from + EPS && along < merged.to - EPS && !freeEnd(p))
                        loose = false;
                }
            }
            if (loose) {
                for (size_t m = k + 1; m < next; ++m)
                    gone[lines[m].index] = true;
                const NPoint a = curves[merged.index].chord->p1;
                const NPoint d{std::cos(merged.angle), std::sin(merged.angle)};
                const double s = a.x * d.x + a.y * d.y;
                const NPoint p{a.x + d.x * (merged.from - s), a.y + d.y * (merged.from - s)};
                const NPoint q{a.x + d.x * (merged.to - s), a.y + d.y * (merged.to - s)};
                const vlapi::ILineSegmentPtr line(objects[merged.index]);
                line->SetX1(p.x), line->SetY1(p.y), line->SetX2(q.x), line->SetY2(q.y);
                line->Update();
                vrnApi::ReadCurveChord(objects[merged.index], curves[merged.index]);
            }
            k = next;
        }
        g = h;
    }
    std::vector<vrnApi::CurveChord> kept;
    for (size_t i = 0; i < curves.size(); ++i) {
        if (gone[i])
            objects[i]->Delete();
        else
            kept.push_back(curves[i]);
    }
    curves = std::move(kept);
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

// A line from a point to itself (exports repeat vertices so) bounds nothing:
// the host gives it no curve, and the outline closes over it.
bool IsPointLine(const vlapi::IDrawingObjectPtr& obj)
{
    const vlapi::ILineSegmentPtr line(obj);
    return line && NPoint{line->GetX1(), line->GetY1()} == NPoint{line->GetX2(), line->GetY2()};
}

}  // namespace

void SortOntoLayers(const vlapi::IViewPtr& view, FileLayers* fileLayers)
{
    vlapi::ILayersPtr layers = view ? view->GetLayers() : nullptr;
    if (!layers)
        return;
    // The curves the drawing keeps on layers frozen or off (construction
    // lines, other parts) are not drawn, so they are not cut either: they
    // are left out. Texts stay, as the part's values may be written there.
    std::set<int> hidden;
    for (int i = 0; i < layers->GetCount(); ++i) {
        vlapi::ILayerPtr layer{layers->GetItem(i)};
        if (layer && !layer->GetVisible())
            hidden.insert(layer->GetNumber());
    }
    vlapi::DrawingObjectList objects;
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
        if (obj->GetType() != vlapi::vlDrDrawText && hidden.count(obj->GetLayer()))
            obj->Delete();
        else
            objects.push_back(obj);
    }
    if (fileLayers) {
        std::map<int, std::wstring> names;
        for (int i = 0; i < layers->GetCount(); ++i) {
            if (vlapi::ILayerPtr layer{layers->GetItem(i)})
                names[layer->GetNumber()] = layer->GetName();
        }
        for (const vlapi::IDrawingObjectPtr& obj : objects) {
            const auto name = names.find(obj->GetLayer());
            (*fileLayers)[hostAccess::ReferenceOf(obj)] = name != names.end() ? name->second : std::wstring(L"0");
        }
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

std::wstring CheckOutline(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::IViewPtr& view, FileLayers* fileLayers)
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
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
        if (obj->GetLayer() != 0)
            continue;
        if (IsPointLine(obj)) {
            obj->Delete();
            continue;
        }
        vrnApi::CurveChord chord;
        if (!vrnApi::ReadCurveChord(obj, chord))
            return kUnreadable;
        const size_t first =
            keptStarts.FirstNear(chord.chord->p1, [&](size_t k) { return SameCurve(kept[k], chord); });
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
    if (kept.empty())
        return kNoOutline;
    MergeOverlappingLines(kept, objects);
    JoinNearEnds(doc, container, kept);

    std::vector<NSegmentPtr> chords;
    for (const vrnApi::CurveChord& k : kept)
        chords.push_back(k.chord);
    std::vector<NContourPtr> contours;
    CreateContinuousContours(chords, contours);
    // An open chain anywhere is the first thing to tell: the rings below are
    // only made of closed ones.
    for (const NContourPtr& contour : contours) {
        if (!vrnApi::IsClosedChain(*contour))
            return std::wstring(kOpenOutline) + L": " + OpenOutlineGap(contours) + L"; незамкнутые кривые: " +
                   OpenCurves(doc, contours, fileLayers);
    }
    std::vector<NPolygonPtr> rings;
    for (const NContourPtr& contour : contours) {
        NPolygonPtr ring = vrnApi::ApproximateChain(doc, *contour);
        if (!ring)
            return kUnreadable;
        if (ring->m_points.size() < 3) {
            // A closed chain that encloses nothing. Within a joint it is a
            // point (an arc or circle of round-off), which bounds nothing, as
            // a point line does not; larger, it is a slit no part can have.
            vlapi::APIObjectList curves;
            for (const NSegmentPtr& chord : contour->m_segments)
                curves.emplace_back(hostAccess::ObjectOf(doc, chord->m_ref));
            double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
            if (!doc->GetObjectsBox(curves, x1, y1, x2, y2) || std::max(x2 - x1, y2 - y1) >= kJoinTolerance)
                return std::wstring(kFlatRing) + PointText(contour->m_segments.front()->p1);
            for (const vlapi::IVarnelAPIObjectPtr& curve : curves) {
                if (const vlapi::IDrawingObjectPtr obj{curve})
                    obj->Delete();
            }
            continue;
        }
        ring->UpdateGabarit();
        rings.push_back(ring);
    }
    // A spike holds no material: which ring holds which is told without them.
    rings = vrnApi::WithoutSpikes(rings);
    if (std::wstring crossing = vrnApi::CrossingReason(rings); !crossing.empty())
        return crossing;
    const size_t outer = vrnApi::FindOuterRing(rings);
    if (outer == NOT_FOUND_INDEX)
        return kSecondOutline;
    if (vrnApi::HasRingInHole(rings, outer))
        return kRingInHole;
    return {};
}

}  // namespace dxfimport
