// Whole strip-packing jobs placed as place_bench places them, on small
// instances kept in tests/data: every copy is placed and no two overlap by the
// exact rule (outlines each shrunk by 0.05 mm share no more than 1e-6 mm²).
#include "support/place_reference.h"
#include "support/host_fixture.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

std::filesystem::path TestData() { return std::filesystem::path(NESTING_SOURCE_DIR) / "tests" / "data"; }

// Places the job of the file and checks every copy placed, none
// overlapping; the density of the layout (0 for a file that is no job).
double ExpectEveryCopyPlacedApart(const std::filesystem::path& file)
{
    place_check::Instance instance;
    std::string error;
    EXPECT_TRUE(place_check::LoadInstance(file, instance, error)) << error;
    place_check::ScaleToMillimetres(instance);

    const place_check::Outcome outcome = place_check::PlaceOnStrip(instance);

    EXPECT_FALSE(outcome.copies.empty());
    EXPECT_EQ(outcome.placed, outcome.copies.size());
    for (size_t c = 0; c < outcome.copies.size(); ++c)
        EXPECT_TRUE(outcome.copies[c].placed) << "copy " << c << ": " << outcome.copies[c].why;
    for (const place_check::Overlap& overlap : outcome.overlaps)
        ADD_FAILURE() << "overlap: " << place_check::Describe(instance, outcome, overlap);
    EXPECT_GT(outcome.density, 0.3);
    return outcome.density;
}

class PlaceJobTest : public hosttest::HostTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(PlaceJobTest, EveryCopyIsPlacedAndNoneOverlaps) { ExpectEveryCopyPlacedApart(TestData() / GetParam()); }

INSTANTIATE_TEST_SUITE_P(Esicup, PlaceJobTest,
                         ::testing::Values("esicup/blaz1.json", "esicup/fu.json", "esicup/shapes0.json"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             return std::filesystem::path(info.param).stem().string();
                         });

// Industrial outlines (arcs as many short edges), two copies of each part.
TEST_F(PlaceJobTest, IndustrialPartsSlow) { ExpectEveryCopyPlacedApart(TestData() / "place" / "gardeyn1_pairs.json"); }

// Variants of the instances as drawings and exports give them: vertices
// repeated exactly (in holes too) or a hair's breadth away (once, or in runs
// longer than the point tolerance), parts far from their own origin, ten
// times as large or a tenth, parts nearly as large as the strip.
// Where the instance itself is named, the layout is as dense as its own.
TEST_F(PlaceJobTest, SlowVariantsArePlacedAsTheInstanceItself)
{
    const struct {
        const char* variant;
        const char* instance;
        double density = 0.3; // at least
    } cases[] = {
        {"albano_all.json", "esicup/albano.json"}, {"blaz1_repeats.json", "esicup/blaz1.json"},
        {"fu_origin.json", "esicup/fu.json"},      {"shapes0_near.json", "esicup/shapes0.json"},
        // The bottom-left band and the rotation tie grow with the strip.
        {"fu_scaled.json", "esicup/fu.json"},      {"shapes0_scaled.json", "esicup/shapes0.json"},
        // A vertex 1e-3 mm after a corner, off the edge by less than half the
        // point tolerance, moves no edge: an exact fit of three parts holds.
        {"shapes1_near.json", "esicup/shapes1.json"},
        // A tenth as large, edges in collinear pieces, parts 10^6 mm from their origin.
        {"fu_tiny.json", "esicup/fu.json"},        {"shapes0_split.json", "esicup/shapes0.json"},
        {"blaz1_far.json", "esicup/blaz1.json"},
        {"large4m.json", nullptr},                 {"large20m.json", nullptr},
        {"holed_plate.json", nullptr},             {"shapes0_holes.json", nullptr},
        // Holes as a polygon's inner rings; spikes, which hold no material.
        {"shapes0_inner.json", nullptr},           {"shapes0_spikes.json", "esicup/shapes0.json"},
        // Plates as high as the strip but for rounding, far from their origin: upright, side by side.
        {"tall_off_origin.json", nullptr, 0.999},
        // Runs of vertices each nearer than the point tolerance, together farther, in a line and as jogs.
        {"shapes0_runs.json", "esicup/shapes0.json"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.variant);
        const double density = ExpectEveryCopyPlacedApart(TestData() / "place" / "variants" / c.variant);
        EXPECT_GT(density, c.density);
        if (c.instance) {
            const double own = ExpectEveryCopyPlacedApart(TestData() / c.instance);
            EXPECT_NEAR(density, own, 0.005 * own);
        }
    }
}

// Each item is tried in exactly the orientations it allows, in any set of
// steps the engine has, and placed in one that fits (a square set on its
// corner fits a strip narrower than its diagonal only turned by 45°); a job
// it cannot turn so is refused, not run. Holes come beside the outline's
// "data", or as a "polygon"'s "inner" rings beside the "type" or in the
// "data".
TEST_F(PlaceJobTest, ItemsTakeExactlyTheirOrientationsAndEitherFormOfHoles)
{
    const std::string tall = R"("shape": {"type": "simple_polygon", "data": [[0, 0], [100, 0], [100, 600], [0, 600]]})";
    const std::string frame = R"("shape": {"type": "polygon", "outer": [[0, 0], [300, 0], [300, 300], [0, 300], [0, 0]],
                                           "inner": [[[50, 50], [50, 250], [250, 250], [250, 50], [50, 50]]]})";
    const std::string nested = R"("shape": {"type": "polygon", "data": {"outer": [[0, 0], [300, 0], [300, 300], [0, 300]],
                                            "inner": [[[50, 50], [50, 250], [250, 250], [250, 50]]]}})";
    const std::string plates = R"(}, {"demand": 4, "allowed_orientations": [0], "shape": {"type": "simple_polygon",
                                  "data": [[0, 0], [80, 0], [80, 80], [0, 80]]}})";
    // 5,200 mm long, its ends rounded by 1,200 short edges (a dense ring,
    // thinned where it is read): as long as the strip its one copy makes.
    std::string dense;
    for (int k = 0; k < 1200; ++k) {
        const double t = PI * (k % 600) / 599.0 - 0.5 * PI;
        const double x = k < 600 ? 5000.0 + 200.0 * std::cos(t) : 200.0 - 200.0 * std::cos(t);
        const double y = 200.0 + (k < 600 ? 200.0 : -200.0) * std::sin(t);
        dense += (k ? ", [" : "[") + std::to_string(x) + ", " + std::to_string(y) + "]";
    }
    dense = R"("shape": {"type": "simple_polygon", "data": [)" + dense + "]}";
    // A square of 400 mm on its corner: 566 mm high.
    const std::string diamond = R"("shape": {"type": "simple_polygon", "data": [[282.84271247, 0], [565.68542495, 282.84271247],
                                             [282.84271247, 565.68542495], [0, 282.84271247]]})";
    // A bar 800 × 300 turned by 45°: on a strip 500 mm high only laid flat,
    // wider than it is drawn.
    const std::string bar = R"("shape": {"type": "simple_polygon", "data": [[0, 0], [565.68542495, 565.68542495],
                                         [353.55339059, 777.81745931], [-212.13203436, 212.13203436]]})";
    const struct {
        const char* name;
        std::string items;
        bool refused;
        size_t holes = 0; // of the first item
    } cases[] = {
        // 600 mm high, on a strip 500 mm high: only turned.
        {"only 90", R"({"demand": 3, "allowed_orientations": [90], )" + tall + "}", false},
        {"only 270", R"({"demand": 3, "allowed_orientations": [270], )" + tall + "}", false},
        {"90 and 270", R"({"demand": 3, "allowed_orientations": [270, 90], )" + tall + "}", false},
        {"45 degree steps",
         R"({"demand": 3, "allowed_orientations": [0, 45, 90, 135, 180, 225, 270, 315], )" + tall + "}", false},
        {"45 degree steps, fitting only at 45",
         R"({"demand": 2, "allowed_orientations": [0, 45, 90, 135, 180, 225, 270, 315], )" + diamond + "}", false},
        {"45 degree steps, a bar fitting only laid flat",
         R"({"demand": 2, "allowed_orientations": [0, 45, 90, 135, 180, 225, 270, 315], )" + bar + "}", false},
        {"30 degree steps", R"({"demand": 3, "allowed_orientations": [0, 30, 60, 90], )" + tall + "}", true},
        {"sets of two kinds",
         R"({"demand": 1, "allowed_orientations": [0, 90], )" + tall + R"(}, {"demand": 1, "allowed_orientations": [0, 180], )" +
             tall + "}",
         true},
        {"a dense outline as long as the strip", R"({"demand": 1, "allowed_orientations": [0, 180], )" + dense + "}",
         false},
        {"holes as inner rings", R"({"demand": 1, "allowed_orientations": [0], )" + frame + plates, false, 1},
        {"holes as inner rings of the data", R"({"demand": 1, "allowed_orientations": [0], )" + nested + plates, false, 1},
    };
    const std::filesystem::path folder = std::filesystem::path(::testing::TempDir()) / "orientations";
    std::filesystem::create_directories(folder);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path file = folder / "job.json";
        std::ofstream(file) << R"({"name": "job", "units": "mm", "strip_height": 500, "items": [)" << c.items << "]}";
        place_check::Instance instance;
        std::string error;
        ASSERT_TRUE(place_check::LoadInstance(file, instance, error)) << error;
        EXPECT_EQ(instance.items[0].holes.size(), c.holes);
        const place_check::Outcome outcome = place_check::PlaceOnStrip(instance);
        EXPECT_EQ(outcome.refused.empty(), !c.refused) << outcome.refused;
        if (c.refused)
            continue;
        for (size_t k = 0; k < outcome.copies.size(); ++k)
            EXPECT_TRUE(outcome.copies[k].placed) << "copy " << k << ": " << outcome.copies[k].why;
        EXPECT_EQ(outcome.placed, outcome.copies.size());
        EXPECT_TRUE(outcome.overlaps.empty());
    }
}

// An industrial outline of 179 vertices, about 5.2 x 2.5 m, with two edges of
// 0.00005 mm (together the point tolerance) after one vertex or another, full
// precision or rounded to six decimals, at the origin or 10,000 mm away: alone
// on an empty strip it is placed as the outline without them is.
TEST_F(PlaceJobTest, OutlineWithRunsOfNearVerticesIsPlacedAlone)
{
    const auto outline = [](size_t after, double offset, bool rounded, bool runs) {
        std::vector<NPoint> ring = {{0, 0}, {1000, 0}, {1000, 30}, {1100, 30}, {1100, 0}, {5200, 0}};
        for (int k = 0; k <= 170; ++k) {
            const double s = std::sin(6.0 * PI * k / 170.0);
            ring.push_back({5200.0 - 5200.0 * k / 170.0, 2500.0 - 40.0 * s * s});
        }
        if (runs) {
            const NPoint a = ring[after], b = ring[(after + 1) % ring.size()];
            const double length = std::hypot(b.x - a.x, b.y - a.y);
            const NPoint u{(b.x - a.x) / length, (b.y - a.y) / length};
            ring.insert(ring.begin() + static_cast<std::ptrdiff_t>(after) + 1,
                        {{a.x + 5e-5 * u.x, a.y + 5e-5 * u.y}, {a.x + 1e-4 * u.x, a.y + 1e-4 * u.y}});
        }
        std::string data;
        char number[64];
        for (const NPoint& p : ring) {
            std::snprintf(number, sizeof number, rounded ? "[%.6f, %.6f]" : "[%.17g, %.17g]", p.x + offset, p.y + offset);
            data += (data.empty() ? "" : ", ") + std::string(number);
        }
        return std::pair{ring.size(), data};
    };
    const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "runs.json";
    const auto place = [&](const std::string& data) {
        std::ofstream(file) << R"({"name": "job", "units": "mm", "strip_height": 3000, "items": [{"demand": 1, )"
                            << R"("allowed_orientations": [0], "shape": {"type": "simple_polygon", "data": [)" << data
                            << "]}}]}";
        place_check::Instance instance;
        std::string error;
        EXPECT_TRUE(place_check::LoadInstance(file, instance, error)) << error;
        return place_check::PlaceOnStrip(instance);
    };
    const double plain = place(outline(0, 0.0, false, false).second).density;
    EXPECT_GT(plain, 0.8);
    for (const size_t after : {0, 5, 40, 176})
        for (const double offset : {0.0, 10000.0})
            for (const bool rounded : {false, true}) {
                SCOPED_TRACE(testing::Message() << "after vertex " << after << " at " << offset << (rounded ? ", rounded" : ""));
                const auto [vertices, data] = outline(after, offset, rounded, true);
                EXPECT_EQ(vertices, 179u);
                const place_check::Outcome outcome = place(data);
                ASSERT_EQ(outcome.copies.size(), 1u);
                EXPECT_TRUE(outcome.copies[0].placed) << outcome.copies[0].why;
                EXPECT_TRUE(outcome.overlaps.empty());
                EXPECT_NEAR(outcome.density, plain, 1e-6);
            }
}

// The rule itself: a common strip of the outlines counts once it is wider
// than the two shrinks together; touching and thinner strips do not.
TEST(PlaceCheck, OverlapCountsOnlyBeyondTheShrink)
{
    const place_check::Ring square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const struct {
        double depth; // how far the second square reaches into the first
        bool counted;
    } cases[] = {{0.0, false}, {0.09, false}, {0.2, true}, {10.0, true}};
    for (const auto& c : cases) {
        place_check::Ring moved = square;
        for (NPoint& p : moved)
            p.x += 10.0 - c.depth;
        const std::vector<place_check::Copy> copies{{0, square, true, {}, {}}, {0, moved, true, {}, {}}};
        EXPECT_EQ(place_check::FindOverlaps(copies).size(), c.counted ? 1u : 0u) << c.depth;
    }
}

// Outlines reach the exact arithmetic checked: repeated points and spikes
// are measured like the ring without them; a ring that is not simple is reported as
// unmeasured, never handed on. A common region pinched at a point (a corner
// set into a notch, both edges a hair inside) is measured loop by loop.
TEST(PlaceCheck, RingsAreCheckedBeforeTheyAreMeasured)
{
    const place_check::Ring square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const place_check::Ring notched{{0, 0}, {10, 0}, {10, 5}, {5, 5}, {5, 10}, {0, 10}};
    const struct {
        place_check::Ring other;
        bool overlap;
        bool measured;
        place_check::Ring first = {}; // the square when empty
    } cases[] = {
        {{{5, 5}, {5, 5}, {15, 5}, {15, 15}, {15, 15}, {5, 15}, {5, 5}}, true, true},
        {{{20, 0}, {30, 0}, {30, 0}, {30, 10}, {20, 10}}, false, true},
        {{{5, 5}, {15, 15}, {15, 5}, {5, 15}}, true, false}, // crosses itself
        {{{5, 5}, {5, 5}, {5, 5}}, true, false},
        // A spike holds no material: measured, it overlaps nothing; nor does
        // one whose sides are closer than the point tolerance, coming back a
        // hair off its start.
        {{{12, 0}, {20, 0}, {20, 10}, {12, 10}, {12, 5}, {5, 5}, {12, 5}}, false, true},
        {{{12, 0}, {20, 0}, {20, 10}, {12, 10}, {12, 5}, {5, 5}, {12, 5.00001}}, false, true},
        // ... nor one whose way back crosses the edge before it by less
        // than the tolerance, ending on the edge after it.
        {{{24, 0}, {12, 0}, {12, 5}, {4, 5}, {12.0012, 4.99999}, {24, 4.9}}, false, true},
        {{{5, 5}, {10, 4.99}, {12, 4.99}, {12, 12}, {4.98, 12}}, false, true, notched},
    };
    for (const auto& c : cases) {
        const place_check::Ring& first = c.first.empty() ? square : c.first;
        const std::vector<place_check::Copy> copies{{0, first, true, {}, {}}, {0, c.other, true, {}, {}}};
        const std::vector<place_check::Overlap> overlaps = place_check::FindOverlaps(copies);
        ASSERT_EQ(overlaps.size(), c.overlap ? 1u : 0u);
        if (c.overlap) {
            EXPECT_EQ(overlaps[0].unmeasured.empty(), c.measured) << overlaps[0].unmeasured;
        }
    }
}

} // namespace
