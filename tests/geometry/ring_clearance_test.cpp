// How two parts given by their rings stand to each other, and a part to a
// sheet's edge; rings that follow curves from outside may cross by less than
// the slack where the curves only touch.
#include "geometry/RingClearance.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Rings = std::vector<std::vector<NPoint>>;

VectorPolygon Make(const Rings& rings)
{
    VectorPolygon made;
    for (const std::vector<NPoint>& ring : rings)
        made.push_back(std::make_shared<NPolygon>(NPoint{}, ring));
    return made;
}

std::vector<NPoint> Box(double x, double y, double w, double h) { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }

// A circle followed from outside: a tangential polygon standing off it by `sag` at its vertices.
std::vector<NPoint> Round(double cx, double cy, double r, double sag)
{
    const int n = static_cast<int>(std::ceil(PI / std::acos(r / (r + sag))));
    std::vector<NPoint> ring;
    for (int k = 0; k < n; ++k) {
        const double a = 2.0 * PI * k / n;
        ring.push_back({cx + (r + sag) * std::cos(a), cy + (r + sag) * std::sin(a)});
    }
    return ring;
}

constexpr double kSlack = 0.1;

TEST(RingClearance, PartsApartTouchingOrOverOneAnother)
{
    const Rings plate{Box(0, 0, 100, 50)};
    const Rings frame{Box(0, 0, 100, 100), Box(20, 20, 60, 60)};
    const Rings disc{Round(0, 0, 50, 0.025)};
    const struct {
        const char* what;
        Rings a, b;
        bool overlap;
        double distance;  // below a reach of 10; clearance::kFar beyond it
    } cases[] = {
        {"2 mm apart", plate, {Box(0, 52, 60, 40)}, false, 2.0},
        {"3.23 mm apart, sideways", plate, {Box(103.23, 10, 20, 20)}, false, 3.23},
        {"a corner 2 mm from another's corner", plate, {Box(101.2, 51.6, 10, 10)}, false, 2.0},
        {"farther than the reach", plate, {Box(0, 70, 10, 10)}, false, clearance::kFar},
        {"sharing an edge", plate, {Box(100, 0, 50, 50)}, false, 0.0},
        {"crossing by less than the slack", plate, {Box(99.95, 0, 50, 50)}, false, 0.0},
        {"crossing by 2 mm", plate, {Box(98, 0, 50, 50)}, true, 0.0},
        {"crossed through, no vertex in the other", {Box(0, 40, 100, 20)}, {Box(40, 0, 20, 100)}, true, 0.0},
        {"a corner cut off by the other's edge", plate, {Box(95, 45, 50, 50)}, true, 0.0},
        {"wholly inside the other, its boundary 10 mm in", plate, {Box(10, 10, 20, 20)}, true, clearance::kFar},
        {"over its own copy", plate, plate, true, 0.0},
        {"over its copy shifted by less than the slack", plate, {Box(0.03, 0, 100, 50)}, true, 0.0},
        {"in the other's hole, 5 mm from it", frame, {Box(25, 25, 50, 50)}, false, 5.0},
        {"in the hole, crossing its edge", frame, {Box(15, 25, 50, 50)}, true, 0.0},
        {"round parts whose curves touch", disc, {Round(100, 0, 50, 0.025)}, false, 0.0},
        {"round parts 2 mm apart", disc, {Round(102, 0, 50, 0.025)}, false, 1.95},
        {"round parts 1 mm into each other", disc, {Round(99, 0, 50, 0.025)}, true, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const VectorPolygon a = Make(c.a), b = Make(c.b);
        EXPECT_EQ(clearance::Overlap(a, b, kSlack), c.overlap);
        EXPECT_EQ(clearance::Overlap(b, a, kSlack), c.overlap);
        const double d = clearance::RingsDistance(a, b, 10.0);
        EXPECT_TRUE(d == c.distance || std::fabs(d - c.distance) <= 0.06) << d;  // or both kFar
    }
}

TEST(RingClearance, DistanceToTheSheetsEdge)
{
    const NPolygon sheet({}, Box(0, 0, 300, 200));
    const struct {
        const char* what;
        std::vector<NPoint> part;
        double distance;  // below a reach of 10; clearance::kFar beyond it
    } cases[] = {
        {"4.5 mm from the left edge", Box(4.5, 20, 100, 50), 4.5},
        {"7 mm from the top edge", Box(50, 143, 100, 50), 7.0},
        {"the edge gap away", Box(10, 10, 100, 50), clearance::kFar},
        {"on the edge", Box(0, 20, 100, 50), 0.0},
        {"over the edge", Box(-5, 20, 100, 50), 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const double d = clearance::EdgeDistance(Make({c.part}), sheet, 10.0);
        EXPECT_TRUE(d == c.distance || std::fabs(d - c.distance) <= 1e-9) << d;  // or both kFar
    }
}

}  // namespace
