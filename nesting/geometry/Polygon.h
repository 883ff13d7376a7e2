// The library's shape types: contours (chains of segments) and polygons
// (implicitly closed rings of points), with the queries and transforms on them.
//
// Ring convention: edge k runs from vertex k-1 to vertex k, edge 0 being the
// closing edge from the last vertex to the first. Output vectors passed by
// reference are appended to, never cleared.
#pragma once

#include "geometry/BaseAlgorithms.h"

#include <memory>
#include <utility>
#include <vector>

class NContour;
class NPolygon;
using NContourPtr = std::shared_ptr<NContour>;
using NPolygonPtr = std::shared_ptr<NPolygon>;
using VectorPolygon = std::vector<NPolygonPtr>;

// An ordered chain of shared segments.
class NContour {
public:
    void InitSegments(const std::vector<NSegmentPtr>& segms);
    void AddSegment(const NSegmentPtr& segm);
    void InsertSegment(size_t i, const NSegmentPtr& segm);
    void Invert();
    void Offset(const NPoint& p);
    void Scale(double scale);
    void GetPoints(std::vector<NPoint>& p) const;
    NPolygonPtr CreatePolygon() const;
    // Shown in the active drawing segment by segment (defined by the host binding).
    void Draw();
    void Clear();

    std::vector<NSegmentPtr> m_segments;
};

class NPolygon {
public:
    NPolygon() = default;
    NPolygon(const NPoint& pole, const std::vector<NPoint>& points);

    // Construction and access
    NPolygonPtr GetCopy() const;
    void GetPoints(std::vector<NPoint>& points) const;
    const NRect& GetGabarit() const { return m_rect; }
    void UpdateGabarit();
    double GetGabaritArea() const;
    bool operator==(const NPolygon& other) const;
    double CalculateLength() const;
    size_t FindFirstIndexMaximumY() const;
    size_t FindFirstIndexMinimumY() const;
    size_t GetIndexPoint(const NIndexPoint& p) const;
    NPoint GetMidPoint(const NIndexPoint& p1, const NIndexPoint& p2) const;
    void AddRelatives(const NPolygonPtr& p);
    bool CheckRelatives(const NPolygonPtr& p) const;
    // Ends of the ring read as an open chain (the pole for an empty ring).
    const NPoint& GetBegPoint() const;
    const NPoint& GetEndPoint() const;

    // Vertex editing and clean-up
    void AddPoint(const NPoint& p);
    void InsertPoint(size_t ind, const NPoint& p);
    void DelPoint(const NPoint& p);
    void DelEquilPoints();
    bool DelColinearPoints();
    void Simplify();
    void TransformCoordsToLong();
    void ChangeFirstPoint(size_t ind);
    void Invert();
    NPolygon& operator+=(const NPolygon& other);
    void SetWidthIfRectangle(double w);
    void SetHeightIfRectangle(double h);

    // Transforms
    void Offset(const NPoint& p);
    void Rotate(double angle);
    void Rotate(double cosA, double sinA);
    void SetPlacement(double x, double y, double angle);
    // The same with the angle's cosine and sine.
    void SetPlacement(double x, double y, double cosA, double sinA);
    void Scale(double scale);
    void MirrorX();

    // Intersection, containment, distance, orientation
    bool CheckContainPoint(const NPoint& p, bool touch) const;
    bool CheckContainPointOn(const NPoint& p) const;
    bool CheckContainPoligon(const NPolygon& other, bool touch) const;
    bool CheckContainPoligonOn(const NPolygon& other) const;
    bool CheckIntersection(const NPolygon& other, bool touch) const;
    bool Intersection(const NPolygon& other, std::vector<NIndexPoint>& points) const;
    bool Intersection(const NSegment& segm, std::vector<NIndexPoint>& points) const;
    double Distance(const NPolygon& other, const NPoint& vect, bool inner) const;
    bool CheckDirection() const;

    // Self-crossings, normals, nearest crossings
    bool SelfIntersection(std::vector<NIndexPoint>& points) const;
    void GetSubPolygons(VectorPolygon& outs) const;
    bool Normal(const NPoint& p, NPoint& pn1, NPoint& pn2) const;
    bool NearIntersectionToPoint(const NSegment& segm, const NPoint& p0, NPoint& pi, double& min) const;

    // Shape tests and minimal gabarit
    bool CheckRectangle(double& w, double& h) const;
    bool CheckRectangle() const;
    bool CheckTriangularity() const;
    NSegment FindMaxSegment(size_t& ind1, size_t& ind2) const;
    bool CheckMirror(const NPolygon& other) const;
    double CalculateAngleMinGabarit() const;
    double CalculateAngleMinGabarit_N2() const;

    // Shown in the active drawing (defined by the host binding); the host
    // references drawn are kept in m_segments, which is drawing state.
    void DrawByLineSeg(unsigned short style) const;
    void Draw(unsigned short style) const;
    void Clear() const;
    void Message() const;

    NPoint m_pole;
    std::vector<NPoint> m_points;
    bool m_used = false;
    bool m_inner = false;
    VectorPolygon m_relatives;
    mutable std::vector<int> m_segments;
    NRect m_rect{{GABARIT_LOW, GABARIT_LOW}, {GABARIT_HIGH, GABARIT_HIGH}};
};

class EdgeIndex;

// A polygon prepared for many tests of what it holds: the answers of its
// CheckContainPoint and CheckContainPoligon, each found among its edges near
// the point or the other ring instead of all of them (a plate of a hundred
// thousand holes with an outline of as many vertices). The polygon must
// outlive the index and stay as it is.
class NPolygonIndex {
public:
    explicit NPolygonIndex(const NPolygon& polygon);
    ~NPolygonIndex();
    NPolygonIndex(const NPolygonIndex&) = delete;
    NPolygonIndex& operator=(const NPolygonIndex&) = delete;

    bool ContainsPoint(const NPoint& p, bool touch) const;
    bool ContainsPolygon(const NPolygon& other, bool touch) const;

private:
    const NPolygon& m_polygon;
    std::unique_ptr<EdgeIndex> m_edges;
};

// Point in ring by ray casting; a point on the boundary gives `touch`.
bool CheckPoligonContainPoint(const std::vector<NPoint>& pnts, const NPoint& p, bool touch);
// `p` lies on an edge of the ring `points`.
bool CheckPoligonContainPointOn(const std::vector<NPoint>& points, const NPoint& p);
// The nearest point of the ring's boundary to `p`.
NPoint GetProjectionPointToPoligon(const NPolygon& poligon, const NPoint& p);

// Chaining of pieces whose ends coincide. Consumes `geometry`; appends one
// chain per group of connected pieces to `outs`. Instantiated for
// NSegmentPtr and NPolygonPtr.
template <class T>
void CreateContinuousGeometry(std::vector<T>& geometry, std::vector<std::vector<T>>& outs);
void CreateContinuousContours(std::vector<NSegmentPtr>& segments, std::vector<NContourPtr>& outs);
void CreateContinuousPoligons(VectorPolygon& polygons, VectorPolygon& outs);

// Convex hull (monotone chain, counter-clockwise, appended to `hull`) and the
// convexity test of a closed ring.
void CreateConvexHull(const std::vector<NPoint>& points, std::vector<NPoint>& hull);
bool CheckConvexHull(const std::vector<NPoint>& points);
// Whether a ring bounds its convex hull (a round hole, a rectangle): its area
// is the hull's to within rounding.
bool BoundsItsHull(const std::vector<NPoint>& ring);
// The box of a point list, computed afresh.
NRect PointsBox(const std::vector<NPoint>& points);
// Turning angle (radians) of the minimal-area bounding rectangle by rotating
// calipers on the hull of `p`, and the snap of an angle to a quarter turn.
double CalculateMinGabarit(const std::vector<NPoint>& p);
double CorrectMinGabaritAngle(double angle);

// Boolean operations on polygons by edge classification.
enum class BooleanType : int32_t { Union = 0, Difference = 1, Intersection = 2 };
bool CreateBooleanPoligons(const VectorPolygon& hodographs, BooleanType booleanType, VectorPolygon& outs,
                           bool unused = false);
// The same for regions of several rings each: an outline with the holes in
// it running the other way, or rings apart, as this operation gives them.
bool CreateBooleanRegions(const std::vector<VectorPolygon>& regions, BooleanType booleanType, VectorPolygon& outs);
void SortPolygonFragments(VectorPolygon& fragments);

// Joins two outlines along their longest edges, `gap` apart; (dx, dy, angle in
// degrees) is the move of the second outline. Null for an empty outline.
NPolygonPtr CompoundPolygonsToRectangle(const NPolygon& polygon1, const NPolygon& polygon2, double gap, double& dx,
                                        double& dy, double& angle);

// The ring runs from a out to b and back along the same line: b is the tip
// of a spike (or a slit) whose sides lie closer than `tolerance` to each
// other, the far end of its shorter leg within `tolerance` of the longer
// leg's line (both legs at least that long; a shorter one is a repeated
// vertex). Such a sliver holds no material, however long it is, as a spike
// of no width holds none: the cleaning, the crossing test and whatever
// measures an outline take it so alike.
bool SliverTip(const NPoint& a, const NPoint& b, const NPoint& c, double tolerance = EPS);

// Cleans an outline ring once, before any no-fit polygon is built on it:
// exact, nearly repeated (within `tolerance`, the point-equality tolerance EPS
// by default) and straight-run vertices go, and the ring runs counter-clockwise
// when `solid` (an outer outline) and clockwise for a hole. Spikes (the ring
// running out and back along one line) go whole: they hold no material. The
// cleaned ring passes inside no other vertex of the original by `cut` or
// more; with no cut (the default) it encloses the original. Of two vertices closer than the
// tolerance, the one off the line of the edges around them goes. False, with
// the ring emptied, when it bounds no area.
bool CleanOutline(std::vector<NPoint>& ring, bool solid, double tolerance = EPS, double cut = 0.0);
// The same on a figure's rings, the outer one first and the holes after it,
// with a cut of half the point tolerance: a vertex that lies that close to
// the line of its neighbours lies on it, however far it is from them, and
// goes (as repeats an export leaves a hair's breadth off an edge do). Holes
// that bound nothing are dropped, an outer ring that bounds nothing is left
// as it is.
void CleanOutlines(VectorPolygon& rings);

// Outline simplification: narrow dents and short axis-parallel ledges.
NPolygonPtr RemoveDentsStraight(NPolygonPtr polygon, double distance);
// Its two halves. A dent closed: the vertices after vertex i + 1 up to and
// including vertex j (taken modulo the count) collapse onto vertex i + 1.
struct DentEdit {
    size_t i = 0;
    size_t j = 0;
    bool operator==(const DentEdit&) const = default;
};
// The dents narrower than `distance`, one at most per edge, by edge.
std::vector<DentEdit> FindDentsStraight(const NPolygon& polygon, double distance);
// Every dent FindDentsStraight may close after each edge, whatever its
// width: the steps from the edge's first vertex to the vertex Q that closes
// it (ascending) and the square of the mouth's width. The dents narrower
// than `distance` are the first of each edge's that are (FindDentsStraight's,
// found once for every width).
struct DentChoice {
    size_t step = 0;
    double widthSquared = 0.0;
};
std::vector<std::vector<DentChoice>> DentChoices(const NPolygon& polygon);
std::vector<DentEdit> DentsNarrowerThan(const std::vector<std::vector<DentChoice>>& choices, double distance);
// The longest edge that closing the dents gives the outline (0 for none):
// no point of the closed outline lies further than half of it from the
// outline itself.
double WidestClosing(const NPolygon& polygon, const std::vector<DentEdit>& edits);
// `polygon` with the dents closed, or `polygon` itself when there are none or
// the closed outline would not hold it.
NPolygonPtr CloseDentsStraight(NPolygonPtr polygon, const std::vector<DentEdit>& edits);
NPolygonPtr RemoveLedgesTarvel(NPolygonPtr polygon, double tolerance);
void CutRectangularProtrusionsAlt(std::vector<NPoint>& polygon, double tolerance);
std::vector<NPoint> removeLedgesOnce(const std::vector<NPoint>& points, double tolerance);
std::vector<std::pair<int, int>> findRectangularProtrusions(const std::vector<NPoint>& polygon);
std::vector<std::pair<size_t, size_t>> SearchLedges(const std::vector<NPoint>& contour,
                                                    const std::vector<NPoint>& hull);
void FlattenLedges(std::vector<NPoint>& contour, size_t start, size_t end);
bool onSegment(const NPoint& p, const NPoint& q, const NPoint& r);
bool arePerpendicular(const NPoint& a, const NPoint& b, const NPoint& c);
double cross(const NPoint& O, const NPoint& A, const NPoint& B);
bool areSegmentsCollinear(const NPoint& p1, const NPoint& p2, const NPoint& p3, const NPoint& p4);
