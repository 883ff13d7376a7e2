#include "engine/WasteBuilder.h"

#include "host/VarnelAPI.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double GRID_MERGE = 0.1;  // coordinates closer than this give one grid line
constexpr double SNAP_FACTOR = 2.5; // remnants closer than this many half gaps are snapped together

// A grid cell: its four corners and its centre.
struct Cell {
    std::array<NPoint, 4> corners;
    NPoint centre;
    NRect rect;
};

Cell MakeCell(double xRight, double xLeft, double yBot, double yTop)
{
    Cell cell;
    cell.corners = {NPoint{xRight, yBot}, NPoint{xLeft, yBot}, NPoint{xLeft, yTop}, NPoint{xRight, yTop}};
    cell.centre = {(xRight + xLeft) * 0.5, (yBot + yTop) * 0.5};
    cell.rect = {{xLeft, yBot}, {xRight, yTop}};
    return cell;
}

// Liang-Barsky clipping of a-b against the cell shrunk by EPS: true when a
// piece of the segment runs through the cell's interior.
bool SegmentCrossesInterior(const NPoint& a, const NPoint& b, const NRect& rect)
{
    double t0 = 0.0;
    double t1 = 1.0;
    const auto clip = [&t0, &t1](double p, double q) {
        if (p == 0.0)
            return q > 0.0;
        const double t = q / p;
        if (p < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        return t0 < t1;
    };
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    return clip(-dx, a.x - (rect.pBot.x + EPS)) && clip(dx, (rect.pTop.x - EPS) - a.x) &&
           clip(-dy, a.y - (rect.pBot.y + EPS)) && clip(dy, (rect.pTop.y - EPS) - a.y);
}

bool RingCrossesInterior(const NPolygon& ring, const Cell& cell)
{
    const std::vector<NPoint>& pts = ring.m_points;
    for (size_t k = 0; k < pts.size(); ++k) {
        if (SegmentCrossesInterior(pts[k == 0 ? pts.size() - 1 : k - 1], pts[k], cell.rect))
            return true;
    }
    return false;
}

bool AnyPointIn(const NPolygon& ring, const Cell& cell, bool touchCorners, bool touchCentre)
{
    for (const NPoint& corner : cell.corners) {
        if (ring.CheckContainPoint(corner, touchCorners))
            return true;
    }
    return ring.CheckContainPoint(cell.centre, touchCentre);
}

bool AllPointsIn(const NPolygon& ring, const Cell& cell, bool touch)
{
    for (const NPoint& corner : cell.corners) {
        if (!ring.CheckContainPoint(corner, touch))
            return false;
    }
    return ring.CheckContainPoint(cell.centre, touch);
}

// The outer contour reaches into the cell. A triangle's corners on its
// border count (its slanted side runs along cell diagonals); a slanted side
// passing through the cell between the sampled points counts too.
bool OuterContourHit(const NPolygon& outer, const Cell& cell)
{
    const bool triangle = outer.m_points.size() == 3;
    return AnyPointIn(outer, cell, triangle, true) || RingCrossesInterior(outer, cell);
}

bool CentreInGabarit(const NPolygon& outer, const Cell& cell)
{
    const NRect& g = outer.GetGabarit();
    const NPoint& c = cell.centre;
    return g.pBot.x - EPS < c.x && c.x < g.pTop.x + EPS && g.pBot.y - EPS < c.y && c.y < g.pTop.y + EPS;
}

bool LiesInHole(const NPolygon& hole, const Cell& cell)
{
    return AllPointsIn(hole, cell, false) && !RingCrossesInterior(hole, cell);
}

bool HasOuterContour(const VectorPolygon& borders)
{
    return !borders.empty() && borders.front() && !borders.front()->m_points.empty();
}

bool FigureOccupiesCell(const VectorPolygon& borders, const Cell& cell)
{
    const NPolygon& outer = *borders.front();
    if (!CentreInGabarit(outer, cell) || !OuterContourHit(outer, cell))
        return false;
    for (size_t k = 1; k < borders.size(); ++k) {
        if (borders[k] && LiesInHole(*borders[k], cell))
            return false;
    }
    return true;
}

bool CellOnSheet(const NPolygon& sheet, bool rectangular, const Cell& cell)
{
    if (!CheckRectContainPoint(sheet.GetGabarit(), cell.centre))
        return false;
    return rectangular || AllPointsIn(sheet, cell, true);
}

// The rings that give grid lines: the sheet, then per part its outer contour
// and its holes, unless one hole's gabarit is larger than the outer one's.
std::vector<const NPolygon*> GridPolygons(const NPolygon& sheet, const std::vector<VectorPolygon>& figures)
{
    std::vector<const NPolygon*> polygons{&sheet};
    for (const VectorPolygon& borders : figures) {
        if (!HasOuterContour(borders))
            continue;
        const NPolygon& outer = *borders.front();
        polygons.push_back(&outer);
        const double outerArea = outer.GetGabaritArea();
        const bool holesLarger = std::any_of(borders.begin() + 1, borders.end(), [outerArea](const NPolygonPtr& h) {
            return h && h->GetGabaritArea() > outerArea;
        });
        if (holesLarger)
            continue;
        for (size_t k = 1; k < borders.size(); ++k) {
            if (borders[k] && borders[k]->GetGabaritArea() < outerArea)
                polygons.push_back(borders[k].get());
        }
    }
    return polygons;
}

double Area(const WasteBuilder::NRectangle& r)
{
    return std::fabs(r.Width() * r.Height());
}

bool RectsIntersect(const WasteBuilder::NRectangle& a, const WasteBuilder::NRectangle& b)
{
    return CheckIntersectRects(a.GetRect(), b.GetRect());
}

// The two rectangles share area, not merely an edge.
bool RectsOverlap(const WasteBuilder::NRectangle& a, const WasteBuilder::NRectangle& b)
{
    const NRect ra = a.GetRect();
    const NRect rb = b.GetRect();
    return std::min(ra.pTop.x, rb.pTop.x) - std::max(ra.pBot.x, rb.pBot.x) > EPS &&
           std::min(ra.pTop.y, rb.pTop.y) - std::max(ra.pBot.y, rb.pBot.y) > EPS;
}

bool RowsOverlap(const WasteBuilder::NRectangle& a, const WasteBuilder::NRectangle& b)
{
    return std::max(a.j2, b.j2) - std::min(a.j1, b.j1) < (a.j2 - a.j1) + (b.j2 - b.j1);
}

bool SpansInX(const WasteBuilder::NRectangle& outer, const WasteBuilder::NRectangle& inner)
{
    return outer.x1 >= inner.x1 - EPS && outer.x2 <= inner.x2 + EPS;
}

bool SpansInY(const WasteBuilder::NRectangle& outer, const WasteBuilder::NRectangle& inner)
{
    return outer.y1 < inner.y1 + EPS && outer.y2 > inner.y2 - EPS;
}

// The largest by area, the first on ties.
WasteBuilder::NRectanglePtr Largest(const std::vector<WasteBuilder::NRectanglePtr>& rects)
{
    WasteBuilder::NRectanglePtr best;
    for (const auto& r : rects) {
        if (!best || Area(*r) > Area(*best))
            best = r;
    }
    return best;
}

bool IntersectsAny(const WasteBuilder::NRectangle& rect, const std::vector<WasteBuilder::NRectanglePtr>& others)
{
    return std::any_of(others.begin(), others.end(), [&rect](const auto& o) { return RectsIntersect(rect, *o); });
}

// The largest candidate first; then, candidate by candidate, the largest of
// the candidate and those meeting it that meet nothing chosen so far. Chosen
// rectangles never meet (touching counts).
std::vector<WasteBuilder::NRectanglePtr> ChooseDisjoint(const std::vector<WasteBuilder::NRectanglePtr>& candidates)
{
    std::vector<WasteBuilder::NRectanglePtr> chosen;
    if (candidates.empty())
        return chosen;
    chosen.push_back(Largest(candidates));
    for (const auto& q : candidates) {
        if (IntersectsAny(*q, chosen))
            continue;
        std::vector<WasteBuilder::NRectanglePtr> pool{q};
        for (const auto& other : candidates) {
            if (other != q && RectsIntersect(*other, *q) && !IntersectsAny(*other, chosen))
                pool.push_back(other);
        }
        chosen.push_back(Largest(pool));
    }
    return chosen;
}

}  // namespace

// ---------------------------------------------------------------------------
// NRectangle

WasteBuilder::NRectangle::NRectangle(double x1_, double y1_, double x2_, double y2_, size_t i, size_t j)
    : x1(x1_), y1(y1_), x2(x2_), y2(y2_), i1(i), j1(j), i2(i + 1), j2(j + 1)
{
}

NRect WasteBuilder::NRectangle::GetRect() const
{
    return {{std::min(x1, x2), y1}, {std::max(x1, x2), y2}};
}

double WasteBuilder::NRectangle::Width() const
{
    return std::fabs(x2 - x1);
}

double WasteBuilder::NRectangle::Height() const
{
    return std::fabs(y2 - y1);
}

void WasteBuilder::NRectangle::Draw(int style)
{
    const std::array<NPoint, 4> pts{NPoint{x1, y1}, NPoint{x2, y1}, NPoint{x2, y2}, NPoint{x1, y2}};
    for (size_t k = 0; k < pts.size(); ++k)
        segments.push_back(vrnApi::DrawLineSeg(pts[k], pts[(k + 1) % pts.size()], style));
}

void WasteBuilder::NRectangle::Clear()
{
    for (int ref : segments)
        vrnApi::DeleteDrawingObj(ref);
    segments.clear();
}

void WasteBuilder::RectanglesGroup::Draw()
{
    if (rectangles.empty())
        return;
    rectangles.front()->Draw(1);
    for (size_t k = 0; k + 1 < rectangles.size(); ++k)
        rectangles[k]->Draw(3);
    rectangles.back()->Draw(4);
}

// ---------------------------------------------------------------------------
// Decomposition

void WasteBuilder::Init(double figureGap, double sheetGap)
{
    m_figureGap = figureGap;
    m_sheetGap = sheetGap;
}

void WasteBuilder::DecomposeToRectangles(const NPolygonPtr& sheetOutline, const std::vector<VectorPolygon>& figures,
                                         double minSize, VectorPolygon& outs)
{
    if (!sheetOutline || figures.empty())
        return;
    m_validRectangles.clear();
    m_restRectangles.clear();
    m_allRectangles.clear();
    m_rectangles.clear();

    PrepareRectangleGrid(*sheetOutline, figures);
    std::vector<NRectanglePtr> unitedRectangles;
    PreliminaryUniteRectangles(unitedRectangles);
    for (const NRectanglePtr& r : unitedRectangles) {
        const bool valid = r->Width() > minSize - EPS && r->Height() > minSize - EPS;
        (valid ? m_validRectangles : m_restRectangles).push_back(r);
    }
    for (const auto& column : m_rectangles)
        m_allRectangles.insert(m_allRectangles.end(), column.begin(), column.end());

    ExtendValidRectangles();
    UniteRestRectangles(minSize);
    std::vector<NRectanglePtr> wasteRectangles;
    TransformWastesByGap(*sheetOutline, 2.0 * m_figureGap, wasteRectangles);
    // The minimum holds for the remnants as they are kept: after the gap has cut them down.
    std::erase_if(wasteRectangles, [minSize](const NRectanglePtr& r) {
        return !(r->Width() > minSize - EPS && r->Height() > minSize - EPS);
    });
    CreateRectanglePolygons(wasteRectangles, outs);
}

double WasteBuilder::AddPoint(const NPoint& point, std::vector<NPoint>& points)
{
    const auto known =
        std::find_if(points.begin(), points.end(), [&point](const NPoint& p) { return p.IsEquil(point, GRID_MERGE); });
    if (known == points.end()) {
        points.push_back(point);
        return 0.0;
    }
    return std::max(std::fabs(known->x - point.x), std::fabs(known->y - point.y));
}

void WasteBuilder::PrepareRectangleGrid(const NPolygon& sheet, const std::vector<VectorPolygon>& figures)
{
    std::vector<NPoint> xs;
    std::vector<NPoint> ys;
    m_gridShiftX = 0.0;
    m_gridShiftY = 0.0;
    for (const NPolygon* polygon : GridPolygons(sheet, figures)) {
        for (const NPoint& p : polygon->m_points) {
            m_gridShiftX = std::max(m_gridShiftX, AddPoint({p.x, 0.0}, xs));
            m_gridShiftY = std::max(m_gridShiftY, AddPoint({0.0, p.y}, ys));
        }
    }
    if (xs.size() < 2 || ys.size() < 2)
        return;
    std::stable_sort(xs.begin(), xs.end(), [](const NPoint& a, const NPoint& b) { return a.x > b.x; });
    std::stable_sort(ys.begin(), ys.end(), [](const NPoint& a, const NPoint& b) { return a.y < b.y; });

    const bool rectangular = sheet.CheckRectangle();
    m_rectangles.assign(xs.size() - 1, std::vector<NRectanglePtr>(ys.size() - 1));
    for (size_t i = 0; i + 1 < xs.size(); ++i) {
        for (size_t j = 0; j + 1 < ys.size(); ++j) {
            const Cell cell = MakeCell(xs[i].x, xs[i + 1].x, ys[j].y, ys[j + 1].y);
            if (!CellOnSheet(sheet, rectangular, cell))
                continue;
            const bool occupied = std::any_of(figures.begin(), figures.end(), [&cell](const VectorPolygon& borders) {
                return HasOuterContour(borders) && FigureOccupiesCell(borders, cell);
            });
            if (!occupied)
                m_rectangles[i][j] = std::make_shared<NRectangle>(xs[i].x, ys[j].y, xs[i + 1].x, ys[j + 1].y, i, j);
        }
    }
}

bool WasteBuilder::IsCellPresent(size_t i, size_t j) const
{
    return i < m_rectangles.size() && j < m_rectangles[i].size() && m_rectangles[i][j];
}

bool WasteBuilder::AreCellsPresent(size_t colBeg, size_t colEnd, size_t rowBeg, size_t rowEnd) const
{
    for (size_t i = colBeg; i < colEnd; ++i) {
        for (size_t j = rowBeg; j < rowEnd; ++j) {
            if (!IsCellPresent(i, j))
                return false;
        }
    }
    return true;
}

bool WasteBuilder::GrowByColumn(NRectangle& rect)
{
    const size_t column = rect.i2;
    if (column >= m_rectangles.size())
        return false;
    for (size_t j = rect.j1; j < rect.j2; ++j) {
        if (!IsCellPresent(column, j) || m_rectangles[column][j]->used)
            return false;
    }
    for (size_t j = rect.j1; j < rect.j2; ++j)
        m_rectangles[column][j]->used = true;
    rect.x2 = m_rectangles[column][rect.j1]->x2;
    rect.i2 = column + 1;
    return true;
}

bool WasteBuilder::GrowByRow(NRectangle& rect)
{
    const size_t row = rect.j2;
    if (m_rectangles.empty() || row >= m_rectangles.front().size())
        return false;
    for (size_t i = rect.i1; i < rect.i2; ++i) {
        if (!IsCellPresent(i, row) || m_rectangles[i][row]->used)
            return false;
    }
    for (size_t i = rect.i1; i < rect.i2; ++i)
        m_rectangles[i][row]->used = true;
    rect.y2 = m_rectangles[rect.i2 - 1][row]->y2;
    rect.j2 = row + 1;
    return true;
}

void WasteBuilder::PreliminaryUniteRectangles(std::vector<NRectanglePtr>& unitedRectangles)
{
    for (const auto& column : m_rectangles) {
        for (const NRectanglePtr& cell : column) {
            if (!cell || cell->used)
                continue;
            bool columns = true;
            bool rows = true;
            while (columns || rows) {
                columns = columns && GrowByColumn(*cell);
                rows = rows && GrowByRow(*cell);
            }
            unitedRectangles.push_back(cell);
            cell->used = true;
        }
    }
}

void WasteBuilder::ExtendValidRectangles()
{
    for (const NRectanglePtr& v : m_validRectangles)
        ExtendDown(*v);
    for (const NRectanglePtr& v : m_validRectangles)
        ExtendRight(*v);
    for (const NRectanglePtr& v : m_validRectangles)
        ExtendLeft(*v);
}

// The valid rectangle takes over the rows of the rest rectangles right below
// it that span its columns; the rest rectangle keeps its part on one side.
void WasteBuilder::ExtendDown(NRectangle& valid)
{
    std::vector<NRectanglePtr> below;
    for (const NRectanglePtr& r : m_restRectangles) {
        if (r->j2 <= valid.j1 && r->i1 <= valid.i1 && r->i2 >= valid.i2)
            below.push_back(r);
    }
    std::stable_sort(below.begin(), below.end(), [](const auto& a, const auto& b) { return a->j1 > b->j1; });
    for (const NRectanglePtr& r : below) {
        if (r->j2 != valid.j1)
            break;
        valid.y1 = r->y1;
        valid.j1 = r->j1;
        if (r->x1 > valid.x1)
            r->x2 = valid.x1;
        else if (valid.x2 > r->x2)
            r->x1 = valid.x2;
    }
}

// Towards column 0: up to the nearest valid rectangle beside it across free
// cells, or to the grid's edge when none lies beside it.
void WasteBuilder::ExtendRight(NRectangle& valid)
{
    NRectanglePtr nearest;
    bool anyBeside = false;
    for (const NRectanglePtr& w : m_validRectangles) {
        if (w.get() == &valid || w->i2 > valid.i1 || !RowsOverlap(valid, *w))
            continue;
        anyBeside = true;
        if (AreCellsPresent(w->i2, valid.i1, valid.j1, valid.j2) &&
            (!nearest || valid.i1 - w->i2 < valid.i1 - nearest->i2))
            nearest = w;
    }
    if (nearest) {
        valid.x1 = nearest->x2;
        valid.i1 = nearest->i2;
    } else if (!anyBeside && valid.i1 > 0 && AreCellsPresent(0, valid.i1, valid.j1, valid.j2)) {
        valid.x1 = m_rectangles[0][valid.j1]->x1;
        valid.i1 = 0;
    }
}

// Towards the last column: the mirror of ExtendRight.
void WasteBuilder::ExtendLeft(NRectangle& valid)
{
    const size_t columns = m_rectangles.size();
    NRectanglePtr nearest;
    bool anyBeside = false;
    for (const NRectanglePtr& w : m_validRectangles) {
        if (w.get() == &valid || w->i1 < valid.i2 || !RowsOverlap(valid, *w))
            continue;
        anyBeside = true;
        if (AreCellsPresent(valid.i2, w->i1, valid.j1, valid.j2) &&
            (!nearest || w->i1 - valid.i2 < nearest->i1 - valid.i2))
            nearest = w;
    }
    if (nearest) {
        valid.x2 = nearest->x1;
        valid.i2 = nearest->i1;
    } else if (!anyBeside && valid.i2 < columns && AreCellsPresent(valid.i2, columns, valid.j1, valid.j2)) {
        valid.x2 = m_rectangles[columns - 1][valid.j1]->x2;
        valid.i2 = columns;
    }
}

bool WasteBuilder::CheckConjunction(const NRectangle& rect1, const NRectangle& rect2)
{
    const NRect a = rect1.GetRect();
    const NRect b = rect2.GetRect();
    const bool sideBySide = std::fabs(a.pTop.x - b.pBot.x) < EPS || std::fabs(b.pTop.x - a.pBot.x) < EPS;
    const bool stacked = std::fabs(a.pTop.y - b.pBot.y) < EPS || std::fabs(b.pTop.y - a.pBot.y) < EPS;
    const double overlapY = std::min(a.pTop.y, b.pTop.y) - std::max(a.pBot.y, b.pBot.y);
    const double overlapX = std::min(a.pTop.x, b.pTop.x) - std::max(a.pBot.x, b.pBot.x);
    return (sideBySide && overlapY > EPS) || (stacked && overlapX > EPS);
}

// Depth first from `rest`: every unused rectangle joined to one already
// found is marked, appended and searched from before the scan goes on.
void WasteBuilder::FindAdjacentRest(const std::vector<NRectanglePtr>& restRectangles, const NRectanglePtr& rest,
                                    RectanglesGroup& group)
{
    struct Frame {
        NRectanglePtr from;
        size_t next;
    };
    std::vector<Frame> stack{{rest, 0}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next >= restRectangles.size()) {
            stack.pop_back();
            continue;
        }
        const NRectanglePtr& s = restRectangles[top.next++];
        if (s == top.from || s->used || !(CheckConjunction(*top.from, *s) || CheckConjunction(*s, *top.from)))
            continue;
        s->used = true;
        group.rectangles.push_back(s);
        stack.push_back({s, 0});
    }
}

void WasteBuilder::FindUnitableGroups(const std::vector<NRectanglePtr>& rectangles,
                                      std::vector<std::vector<NRectanglePtr>>& intersectGroups)
{
    std::vector<bool> taken(rectangles.size(), false);
    for (size_t start = 0; start < rectangles.size(); ++start) {
        if (taken[start])
            continue;
        taken[start] = true;
        std::vector<NRectanglePtr> component{rectangles[start]};
        for (size_t m = 0; m < component.size(); ++m) {
            for (size_t k = 0; k < rectangles.size(); ++k) {
                if (!taken[k] && RectsIntersect(*component[m], *rectangles[k])) {
                    taken[k] = true;
                    component.push_back(rectangles[k]);
                }
            }
        }
        intersectGroups.push_back(std::move(component));
    }
}

// Rectangles made of members stacked on one another along y (members wide
// enough) and of members side by side along x (members tall enough).
void WasteBuilder::CollectCandidates(const RectanglesGroup& group, double minSize,
                                     std::vector<NRectanglePtr>& candidates) const
{
    for (const bool alongY : {true, false}) {
        std::vector<NRectanglePtr> members;
        for (const NRectanglePtr& r : group.rectangles) {
            if ((alongY ? r->Width() : r->Height()) > minSize - EPS)
                members.push_back(r);
        }
        std::vector<std::vector<NRectanglePtr>> components;
        FindUnitableGroups(members, components);
        for (const auto& component : components) {
            for (const NRectanglePtr& m : component) {
                auto t = std::make_shared<NRectangle>(m->x1, m->y1, m->x2, m->y2, m->i1, m->j1);
                for (size_t pass = 0; pass < component.size(); ++pass) {
                    for (const NRectanglePtr& s : component) {
                        if (alongY && SpansInX(*s, *t)) {
                            if (std::fabs(s->y1 - t->y2) < EPS)
                                t->y2 = s->y2;
                            if (std::fabs(s->y2 - t->y1) < EPS)
                                t->y1 = s->y1;
                        } else if (!alongY && SpansInY(*s, *t)) {
                            if (std::fabs(s->x2 - t->x1) < EPS)
                                t->x1 = s->x1;
                            else if (std::fabs(s->x1 - t->x2) < EPS)
                                t->x2 = s->x2;
                        }
                    }
                }
                if ((alongY ? t->Height() : t->Width()) > minSize - EPS)
                    candidates.push_back(t);
            }
        }
    }
}

void WasteBuilder::UniteRestRectangles(double minSize)
{
    for (const NRectanglePtr& r : m_restRectangles)
        r->used = false;
    std::vector<RectanglesGroup> groups;
    for (const NRectanglePtr& r : m_restRectangles) {
        if (r->used)
            continue;
        r->used = true;
        RectanglesGroup group;
        FindAdjacentRest(m_restRectangles, r, group);
        if (group.rectangles.empty()) {
            r->used = false;
            continue;
        }
        group.rectangles.push_back(r);
        groups.push_back(std::move(group));
    }

    std::vector<NRectanglePtr> candidates;
    for (const RectanglesGroup& group : groups)
        CollectCandidates(group, minSize, candidates);
    // Rest cells that a valid rectangle took over when it was stretched
    // (sideways across free cells, downward over a whole rest rectangle) are
    // no longer free.
    std::erase_if(candidates, [this](const NRectanglePtr& c) {
        return std::any_of(m_validRectangles.begin(), m_validRectangles.end(),
                           [&c](const NRectanglePtr& v) { return RectsOverlap(*c, *v); });
    });
    for (const NRectanglePtr& chosen : ChooseDisjoint(candidates))
        m_validRectangles.push_back(chosen);
}

void WasteBuilder::TransformWastesByGap(const NPolygon& sheet, double gap, std::vector<NRectanglePtr>& wasteRectangles)
{
    // A side beside a part keeps the gap from where the part may truly reach:
    // past the grid line by the line's shift, past its ring by the sag.
    const double least = SNAP_FACTOR * gap * 0.5;
    const double hx = gap * 0.5 + m_gridShiftX + m_outlineSag;
    const double hy = gap * 0.5 + m_gridShiftY + m_outlineSag;
    const double tol = SNAP_FACTOR * std::max(hx, hy);
    const NRect& g = sheet.GetGabarit();
    std::vector<NRect> beforeInset;
    for (const NRectanglePtr& v : m_validRectangles) {
        if (!(v->Width() > least && v->Height() > least))
            continue;
        const NRect before = v->GetRect();
        if (g.pTop.x - EPS > v->x1)
            v->x1 -= hx;
        if (v->x2 > g.pBot.x + EPS)
            v->x2 += hx;
        if (g.pTop.y - EPS > v->y2)
            v->y2 -= hy;
        if (v->y1 > g.pBot.y + EPS)
            v->y1 += hy;
        // Nothing is left of one the inset crossed over.
        if (!(v->x1 - v->x2 > EPS && v->y2 - v->y1 > EPS))
            continue;
        beforeInset.push_back(before);
        wasteRectangles.push_back(v);
    }

    // Remnants that lay against each other before the inset share the edge
    // again; ones that were apart (a thin part between them) stay apart.
    const auto touched = [](double a, double b) { return std::fabs(a - b) < EPS; };
    for (size_t k = 0; k < wasteRectangles.size(); ++k) {
        NRectangle& r = *wasteRectangles[k];
        const auto snap = [&](const auto& matches) {
            for (size_t m = 0; m < wasteRectangles.size(); ++m) {
                if (m != k && matches(*wasteRectangles[m], beforeInset[m]))
                    return wasteRectangles[m];
            }
            return NRectanglePtr();
        };
        const NRect& r0 = beforeInset[k];
        if (auto s = snap([&](const NRectangle& o, const NRect& o0) {
                return std::fabs(r.x1 - o.x2) < tol && SpansInY(o, r) && touched(r0.pTop.x, o0.pBot.x);
            }))
            r.x1 = s->x2;
        if (auto s = snap([&](const NRectangle& o, const NRect& o0) {
                return std::fabs(r.x2 - o.x1) < tol && SpansInY(o, r) && touched(r0.pBot.x, o0.pTop.x);
            }))
            r.x2 = s->x1;
        if (auto s = snap([&](const NRectangle& o, const NRect& o0) {
                return std::fabs(r.y2 - o.y1) < tol && o.x1 > r.x1 - EPS && o.x2 < r.x2 + EPS &&
                       touched(r0.pTop.y, o0.pBot.y);
            }))
            r.y2 = s->y1;
        if (auto s = snap([&](const NRectangle& o, const NRect& o0) {
                return std::fabs(r.y1 - o.y2) < tol && o.x1 > r.x1 - EPS && o.x2 < r.x2 + EPS &&
                       touched(r0.pBot.y, o0.pTop.y);
            }))
            r.y1 = s->y2;
    }
}

void WasteBuilder::CreateRectanglePolygons(const std::vector<NRectanglePtr>& wasteRectangles, VectorPolygon& outs)
{
    for (const NRectanglePtr& r : wasteRectangles) {
        const NPoint p1{r->x1, r->y1};
        const NPoint d{r->x2 - r->x1, r->y2 - r->y1};
        const std::vector<NPoint> points{p1, p1 + NPoint{d.x, 0.0}, p1 + d, p1 + NPoint{0.0, d.y}};
        outs.push_back(std::make_shared<NPolygon>(NPoint{0.0, 0.0}, points));
    }
}

void WasteBuilder::TransformPolygons(int viewNumber, VectorPolygon& polygons)
{
    double x = 0.0;
    double y = 0.0;
    double scale = 0.0;
    vrnApi::GetViewParams(viewNumber, x, y, scale);
    if (scale <= EPS)
        return;
    for (const NPolygonPtr& polygon : polygons) {
        polygon->Scale(1.0 / scale);
        polygon->Offset({-x / scale, -y / scale});
    }
}
