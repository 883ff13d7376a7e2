// Offset polygons of an outline computed by the host: each ring is drawn as a
// temporary polyline, the host builds its equidistant on the wanted side, and
// the equidistant is read back as polygons. Every temporary is deleted again.
#include "host/VarnelAPI_Detail.h"

#include "geometry/RingArea.h"

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

double WidthOf(vlapi::IVarnelDocument2D& doc, const vlapi::IDrawingObjectPtr& object)
{
    double x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
    doc.GetObjectsBox(hostAccess::ListOf(object), x1, y1, x2, y2);
    return x2 - x1;
}

// Growing the outer ring (or shrinking a hole) wants the equidistant at least
// as wide as its ring; the other way round it wants it at most as wide.
bool OnWantedSide(double ringWidth, double equidWidth, bool outer, double radius)
{
    const bool wantsWider = outer == (radius > 0.0);
    return wantsWider ? ringWidth <= equidWidth : equidWidth <= ringWidth;
}

// The polygons of one ring's equidistant, larger gabarit first.
std::vector<NPolygonPtr> ReadBack(const vlapi::IDrawingObjectPtr& equid)
{
    std::vector<NSegmentPtr> segments;
    ApproximateObjectByLineSegments(equid, segments);
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

std::vector<NPolygonPtr> OffsetRing(vlapi::IVarnelDocument2D& doc, const vlapi::IDrawingContainerPtr& container,
                                    const NPolygon& ring, bool outer, double radius, bool arc)
{
    Temporary polyLine(CreatePolyLine(container, ring, kPolyLineStyle));
    if (!polyLine.Get())
        return {};
    const double magnitude = std::fabs(radius);
    Temporary equid(CreateEquidistant(container, polyLine.Get(), outer, arc, magnitude, kEquidistantStyle));
    if (!equid.Get())
        return {};
    if (!OnWantedSide(WidthOf(doc, polyLine.Get()), WidthOf(doc, equid.Get()), outer, radius))
        equid.Replace(CreateEquidistant(container, polyLine.Get(), !outer, arc, magnitude, kEquidistantStyle));
    if (!equid.Get())
        return {};
    return ReadBack(equid.Get());
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
        std::vector<NPolygonPtr> polygons = OffsetRing(*doc.get(), container, *borders[i], outer, radius, arc);
        // Without the outer ring's offset a hole's offset must not stand in for it.
        if (outer && polygons.empty())
            return;
        result.insert(result.end(), polygons.begin(), polygons.end());
    }
    equids.insert(equids.end(), result.begin(), result.end());
}

}  // namespace vrnApi
