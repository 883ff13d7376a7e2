#include "io/PartMarking.h"

#include "engine/InterPointBuilder.h"
#include "geometry/RingArea.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/KernelCurveDrawing.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr double kTextHeight = 5.0;
constexpr double kBendClear = 0.05;  // half the width of the strip a bend line takes out of its face, mm
constexpr double kBendReach = 1.0;   // the strip reaches this far past the line's ends, through the outline, mm
constexpr double kParallel = 1e-6;   // sine of the angle under which two bend lines are parallel

vlapi::APIObjectList AsList(const vlapi::DrawingObjectList& objects)
{
    vlapi::APIObjectList list;
    for (const vlapi::IDrawingObjectPtr& obj : objects)
        list.emplace_back(obj);
    return list;
}

double Cross(const NPoint& u, const NPoint& v) { return u.x * v.y - u.y * v.x; }
double Dot(const NPoint& u, const NPoint& v) { return u.x * v.x + u.y * v.y; }

NPoint Unit(const NPoint& v)
{
    const double l = std::hypot(v.x, v.y);
    return {v.x / l, v.y / l};
}

struct Line {
    NPoint a, b;
    NPoint Along() const { return Unit(b - a); }
};

// The corners of the strip along a segment.
void AddStripCorners(const NPoint& a, const NPoint& b, std::vector<NPoint>& corners)
{
    const NPoint u = Unit(b - a);
    const NPoint n{-u.y, u.x};
    for (double side : {-kBendClear, kBendClear}) {
        corners.push_back({a.x - u.x * kBendReach + n.x * side, a.y - u.y * kBendReach + n.y * side});
        corners.push_back({b.x + u.x * kBendReach + n.x * side, b.y + u.y * kBendReach + n.y * side});
    }
}

NPolygonPtr Hull(const std::vector<NPoint>& points)
{
    std::vector<NPoint> hull;
    CreateConvexHull(points, hull);
    return hull.size() >= 3 ? std::make_shared<NPolygon>(NPoint{}, hull) : nullptr;
}

// The distance between two parallel lines whose stretches face each other;
// none for lines that are not so.
std::optional<double> FacingDistance(const Line& p, const Line& q)
{
    const NPoint u = p.Along();
    if (std::fabs(Cross(u, q.Along())) > kParallel)
        return std::nullopt;
    const double length = Dot(p.b - p.a, u);
    const double t1 = Dot(q.a - p.a, u);
    const double t2 = Dot(q.b - p.a, u);
    if (std::max(t1, t2) <= EPS || std::min(t1, t2) >= length - EPS)
        return std::nullopt;
    const double distance = std::fabs(Cross(u, q.a - p.a));
    return distance > EPS ? std::optional<double>(distance) : std::nullopt;
}

// What the bend lines take out of the outline: a thin strip along every line,
// and the zone between the two lines of one bend (two parallel lines facing
// each other, each the other's nearest).
VectorPolygon BendRegions(const VectorPolygon& bends)
{
    VectorPolygon regions;
    std::vector<Line> lines;
    for (const NPolygonPtr& bend : bends) {
        if (!bend || bend->m_points.size() < 2)
            continue;
        const std::vector<NPoint>& p = bend->m_points;
        for (size_t k = 1; k < p.size(); ++k) {
            if (p[k] == p[k - 1])
                continue;
            std::vector<NPoint> corners;
            AddStripCorners(p[k - 1], p[k], corners);
            if (NPolygonPtr strip = Hull(corners))
                regions.push_back(strip);
        }
        if (!(p.front() == p.back()))
            lines.push_back({p.front(), p.back()});
    }
    std::vector<size_t> nearest(lines.size(), NOT_FOUND_INDEX);
    for (size_t i = 0; i < lines.size(); ++i) {
        double best = 0.0;
        for (size_t j = 0; j < lines.size(); ++j) {
            const std::optional<double> d = j == i ? std::nullopt : FacingDistance(lines[i], lines[j]);
            if (d && (nearest[i] == NOT_FOUND_INDEX || *d < best)) {
                nearest[i] = j;
                best = *d;
            }
        }
    }
    for (size_t i = 0; i < lines.size(); ++i) {
        const size_t j = nearest[i];
        if (j == NOT_FOUND_INDEX || j < i || nearest[j] != i)
            continue;
        std::vector<NPoint> corners;
        AddStripCorners(lines[i].a, lines[i].b, corners);
        AddStripCorners(lines[j].a, lines[j].b, corners);
        if (NPolygonPtr zone = Hull(corners))
            regions.push_back(zone);
    }
    return regions;
}

// One flat face of the outline, oriented for the label search: its outline
// the way NPolygon::CheckDirection reports as false, its holes the other way.
struct Face {
    NPolygonPtr outline;
    VectorPolygon holes;
    double area = 0.0;
};

Face Oriented(const NPolygonPtr& outline, const VectorPolygon& holes)
{
    Face face{outline->GetCopy(), {}, std::fabs(SignedArea(outline->m_points))};
    if (face.outline->CheckDirection())
        face.outline->Invert();
    for (const NPolygonPtr& hole : holes) {
        NPolygonPtr copy = hole->GetCopy();
        if (!copy->CheckDirection())
            copy->Invert();
        face.holes.push_back(copy);
    }
    return face;
}

// The flat faces of the outline with its holes, largest first: the regions
// left when the bend regions and the holes are taken out.
std::vector<Face> FacesOf(const NPolygonPtr& outer, const VectorPolygon& holes, const VectorPolygon& bends)
{
    const VectorPolygon regions = BendRegions(bends);
    if (regions.empty())
        return {Oriented(outer, holes)};
    VectorPolygon operands{outer};
    operands.insert(operands.end(), regions.begin(), regions.end());
    operands.insert(operands.end(), holes.begin(), holes.end());
    VectorPolygon rings;
    CreateBooleanPoligons(operands, BooleanType::Difference, rings);
    const bool counterClockwise = SignedArea(outer->m_points) > 0.0;
    VectorPolygon outlines;
    VectorPolygon cuts;
    for (const NPolygonPtr& ring : rings)
        ((SignedArea(ring->m_points) > 0.0) == counterClockwise ? outlines : cuts).push_back(ring);
    std::vector<Face> faces;
    for (const NPolygonPtr& outline : outlines) {
        outline->UpdateGabarit();
        VectorPolygon inside;
        for (const NPolygonPtr& cut : cuts) {
            if (outline->CheckContainPoligon(*cut, true))
                inside.push_back(cut);
        }
        faces.push_back(Oriented(outline, inside));
    }
    std::stable_sort(faces.begin(), faces.end(), [](const Face& a, const Face& b) { return a.area > b.area; });
    return faces.empty() ? std::vector<Face>{Oriented(outer, holes)} : faces;
}

}  // namespace

Marking CreateMarking(const vlapi::IDrawingContainerPtr& container, int32_t layer, CurvesVector bends,
                      const std::wstring& text)
{
    const vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    const vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(doc);
    if (!container || !views || !hostAccess::SameObject(views->GetActiveView(), container))
        return Marking::NotMade;

    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    doc->GetObjectsBox(AsList(container->GetObjects({vlapi::vlAllObj})), x1, y1, x2, y2);
    vlapi::IDrawingTextPtr label = vrnApi::CreateText(container, text, (x1 + x2) * 0.5, (y1 + y2) * 0.5, kTextHeight);
    if (!label)
        return Marking::Inside;
    double tx1 = 0.0, ty1 = 0.0, tx2 = 0.0, ty2 = 0.0;
    if (doc->GetObjectsBox(hostAccess::ListOf(label), tx1, ty1, tx2, ty2))
        doc->MoveObjects(hostAccess::ListOf(label), -(tx2 - tx1) * 0.5, 0.0);
    label->SetLayer(layer);
    label->Update();

    std::vector<NPolygonPtr> borders;
    flatpattern::InitBordersFromContainer(container, borders);
    VectorPolygon bendPolygons;
    for (const SPtr<MbCurve>& bend : bends) {
        std::vector<NPoint> points;
        flatpattern::GetPointsFromCurve(bend, points);
        bendPolygons.push_back(std::make_shared<NPolygon>(NPoint{0.0, 0.0}, points));
    }
    // An inverted box tells that the host could not measure the text.
    NRect box{{1.0, 1.0}, {0.0, 0.0}};
    vrnApi::GetObjectGabarit(vlapi::IVarnelAPIObjectPtr(label), box);
    if (borders.empty() || box.pBot.x > box.pTop.x || box.pBot.y > box.pTop.y)
        return Marking::Inside;

    // The search builds the label's positions about every hole some ten
    // times: past this many vertices it would take longer than the rest of
    // the import, and the label stays in the middle.
    size_t vertices = 0;
    for (const NPolygonPtr& border : borders)
        vertices += border ? border->m_points.size() : 0;
    if (vertices > kMostSearchedVertices)
        return Marking::Unsearched;
    const VectorPolygon holes(borders.begin() + 1, borders.end());
    const std::vector<Face> faces = FacesOf(borders.front(), holes, bendPolygons);
    const Face* chosen = nullptr;
    for (const Face& face : faces) {
        InterPointBuilder builder;
        builder.Init(face.outline, face.holes);
        if (builder.LabelFits(box)) {
            chosen = &face;
            break;
        }
    }
    const Face& face = chosen ? *chosen : faces.front();
    InterPointBuilder builder;
    builder.Init(face.outline, face.holes);
    NPoint offset{0.0, 0.0};
    builder.FindInternalPointForLabel(box, bendPolygons, offset);
    vrnApi::OffsetObject(vlapi::IVarnelAPIObjectPtr(label), offset);
    return chosen ? Marking::Inside : Marking::Crowded;
}
