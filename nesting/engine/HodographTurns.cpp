// No-fit polygons of a pair of figures turned together by quarter turns:
// those of the pair as it lay, turned. The copies of a part meet each other,
// and the other parts, in every turn of a run; each such meeting is built once.
#include "engine/HodographBuilder.h"

namespace {

// The point turned counter-clockwise by `quarters` quarter turns about the
// origin, exactly (coordinates swapped, no sine or cosine).
NPoint Quartered(const NPoint& p, int quarters)
{
    switch (quarters & 3) {
    case 1: return {-p.y, p.x};
    case 2: return {-p.x, -p.y};
    case 3: return {p.y, -p.x};
    default: return p;
    }
}

void Quarter(NPolygon& ring, int quarters)
{
    for (NPoint& p : ring.m_points)
        p = Quartered(p, quarters);
    ring.UpdateGabarit();
}

NPolygonPtr Quartered(const NPolygon& ring, int quarters)
{
    NPolygonPtr turned = ring.GetCopy();
    Quarter(*turned, quarters);
    return turned;
}

}  // namespace

bool HodographBuilder::FindTurnedCash(const NPolygonPtr& polygon1, const NPolygonPtr& polygon2, const NPoint& p0,
                                      const VectorPolygon& innerPolygons, MapHodographPoligon& extAll,
                                      MapHodographPoligon& innAll)
{
    if (m_hodographsContainer.empty() || !polygon1 || !polygon2)
        return false;
    for (int quarters = 1; quarters < 4; ++quarters) {
        // The pair turned back by as many quarters: an entry for that pair
        // answers for this one.
        const int back = 4 - quarters;
        const NPolygonPtr turned1 = Quartered(*polygon1, back);
        const NPolygonPtr turned2 = Quartered(*polygon2, back);
        VectorPolygon turnedInner;
        for (const NPolygonPtr& inner : innerPolygons)
            turnedInner.push_back(Quartered(*inner, back));
        const HodographCash* cash = FindCash(turned1, turned2, Quartered(p0, back), turnedInner);
        if (!cash)
            continue;
        MapHodographPoligon externs;
        MapHodographPoligon inners;
        cash->GetHodographs(turned1, turned2, externs, inners);
        for (const auto& [hodograph, border] : externs)
            Quarter(*hodograph, quarters);
        for (const auto& [hodograph, border] : inners)
            Quarter(*hodograph, quarters);
        extAll.insert(extAll.end(), externs.begin(), externs.end());
        innAll.insert(innAll.end(), inners.begin(), inners.end());
        return true;
    }
    return false;
}
