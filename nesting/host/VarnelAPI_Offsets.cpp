// Offset polygons of an outline computed by the host: each ring is drawn as a
// temporary polyline, the host builds its equidistant on the wanted side, and
// the equidistant is read back as polygons. Every temporary is deleted again.
#include "host/VarnelAPI_Detail.h"

#include "geometry/RingArea.h"
#include "model/NestingSetting.h"

#include <cmath>

namespace vrnApi {
namespace {

// Below this magnitude a radius is no offset at all.
constexpr double kZeroRadius = 0.0001;
constexpr int kPolyLineStyle = 1;
constexpr int kEquidistantStyle = 4;

// Deletes a temporary drawing object at the end of the scope.
class Temporary {
public:
    template <class P>
    explicit Temporary(const P& object) : m_object(object)
    {
    }
    ~Temporary()
    {
        if (m_object)
            m_object->Delete();
    }
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    void Replace(vlapi::IDrawingObjectPtr object)
    {
        if (m_object)
            m_object->Delete();
        m_object = std::move(object);
    }
    const vlapi::IDrawingObjectPtr& Get() const { return m_object; }

private:
    vlapi::IDrawingObjectPtr m_object;
};

std::vector<NPolygonPtr> PlainCopies(const std::vector<NPolygonPtr>& borders)
{
    std::vector<NPolygonPtr> copies;
    for (const NPolygonPtr& border : borders)
        copies.push_back(std::make_shared<NPolygon>(NPoint{0.0, 0.0}, border->m_points));
    return copies;
}

// The width of the box of the polygons (read back from an equidistant).
double WidthOf(const std::vector<NPolygonPtr>& polygons)
{
    double x1 = INFINITY, x2 = -INFINITY;
    for (const NPolygonPtr& polygon : polygons) {
        x1 = std::min(x1, polygon->GetGabarit().pBot.x);
        x2 = std::max(x2, polygon->GetGabarit().pTop.x);
    }
    return polygons.empty() ? 0.0 : x2 - x1;
}

// Growing the outer ring (or shrinking a hole) wants the equidistant at least
// as wide as its ring; the other way round it wants it at most as wide.
bool OnWantedSide(double ringWidth, double equidWidth, bool outer, double radius)
{
    const bool wantsWider = outer == (radius > 0.0);
    return wantsWider ? ringWidth <= equidWidth : equidWidth <= ringWidth;
}

// The polygons of one ring's equidistant, larger gabarit first. The host
// builds an equidistant each time it is asked for its shape: it is broken
// into its lines and arcs once, and they are read.
std::vector<NPolygonPtr> ReadBack(const vlapi::IDrawingObjectPtr& equid)
{
    std::vector<vlapi::IDrawingObjectPtr> pieces;
    DecomposeDrawingObject(equid, NestingSetting::m_instance.m_tolerance, pieces);
    std::vector<NSegmentPtr> segments;
    ApproximateObjectsByLineSegments(pieces, segments);
    std::vector<NPolygonPtr> polygons;
    if (segments.size() < 3)
        return polygons;
    std::vector<NContourPtr> contours;
    CreateContinuousContours(segments, contours);
    for (const NContourPtr& contour : contours) {
        if (NPolygonPtr polygon = contour->CreatePolygon())
            polygons.push_back(polygon);
    }
    detail::SortByGabaritArea(polygons);
    std::vector<NPolygonPtr> cleaned;
    // Repeats of the host's joints go, each ring keeping its own direction,
    // without cutting into what it bounds by more than the point tolerance.
    for (const NPolygonPtr& polygon : polygons) {
        if (CleanOutline(polygon->m_points, SignedArea(polygon->m_points) > 0.0)) {
            polygon->UpdateGabarit();
            cleaned.push_back(polygon);
        }
    }
    return cleaned;
}

std::vector<NPolygonPtr> OffsetRing(const vlapi::IDrawingContainerPtr& container, const NPolygon& ring, bool outer,
                                    double radius, bool arc)
{
    const double magnitude = std::fabs(radius);
    NPolygon box(NPoint{0.0, 0.0}, ring.m_points);
    box.UpdateGabarit();
    const NRect& gabarit = box.GetGabarit();
    const double width = gabarit.pTop.x - gabarit.pBot.x, height = gabarit.pTop.y - gabarit.pBot.y;
    // A ring shrunk by half its smaller side or more is nothing (every
    // point inside lies that near its edge): a plate of thousands of small
    // holes asks the host for no equidistant of them.
    const bool shrinks = outer != (radius > 0.0);
    if (shrinks && !(std::min(width, height) > 2.0 * magnitude))
        return {};
    Temporary polyLine(CreatePolyLine(container, ring, kPolyLineStyle));
    if (!polyLine.Get())
        return {};
    Temporary equid(CreateEquidistant(container, polyLine.Get(), outer, arc, magnitude, kEquidistantStyle));
    if (!equid.Get())
        return {};
    // The side is told from what is read back, not from the host's box of
    // the equidistant, which would build it once more.
    std::vector<NPolygonPtr> polygons = ReadBack(equid.Get());
    if (OnWantedSide(width, WidthOf(polygons), outer, radius))
        return polygons;
    equid.Replace(CreateEquidistant(container, polyLine.Get(), !outer, arc, magnitude, kEquidistantStyle));
    return equid.Get() ? ReadBack(equid.Get()) : std::vector<NPolygonPtr>{};
}

}  // namespace

void CreateEquidistantPoligons(const std::vector<NPolygonPtr>& borders, double radius, std::vector<NPolygonPtr>& equids,
                               bool arc)
{
    if (std::fabs(radius) < kZeroRadius) {
        const std::vector<NPolygonPtr> copies = PlainCopies(borders);
        equids.insert(equids.end(), copies.begin(), copies.end());
        return;
    }
    vlapi::IVarnelDocument2DPtr doc = GetActiveDocument2D();
    vlapi::IDrawingContainerPtr container(GetViewPtrByNumber(GetActiveView()));
    if (!doc || !container)
        return;
    std::vector<NPolygonPtr> result;
    for (size_t i = 0; i < borders.size(); ++i) {
        const bool outer = i == 0;
        std::vector<NPolygonPtr> polygons = OffsetRing(container, *borders[i], outer, radius, arc);
        // Without the outer ring's offset a hole's offset must not stand in for it.
        if (outer && polygons.empty())
            return;
        result.insert(result.end(), polygons.begin(), polygons.end());
    }
    equids.insert(equids.end(), result.begin(), result.end());
}

}  // namespace vrnApi
