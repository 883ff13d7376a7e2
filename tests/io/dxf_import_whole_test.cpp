// A DXF part is written as drawn or refused: never without holes the
// reader's caps left out, never as its hole when its outline was skipped
// (3D, paper space, an external reference, a block too deep), with arcs of a
// whole turn as circles and every solid linetype cut. Each part written is
// loaded as the source data loads it and its area compared with the drawing's.
#include "io/DxfImport.h"

#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "support/dxf_text.h"
#include "support/host_fixture.h"
#include "vlhost/Converters.h"
#include "vlhost/Host.h"

#include <array>
#include <cmath>
#include <fstream>
#include <functional>
#include <numbers>

namespace {

namespace fs = std::filesystem;
using namespace dxftext;

const double pi = std::numbers::pi;
// A 100 × 200 plate with a round hole of radius 10, the outline left to the case.
const double kPlate = 20000 - 100 * pi;
const std::vector<std::pair<double, double>> kOutline{{0, 0}, {100, 0}, {100, 200}, {0, 200}};

struct Part {
    std::string name;
    std::function<std::string()> bytes;  // made when the case runs: some are megabytes
    const wchar_t* refusal;              // its start; null: a part of `area` is written
    double area = 0;
};

class DxfWholePartTest : public hosttest::HostTest {
protected:
    // Imports the parts in one run and checks each against the closing message.
    void Expect(const std::vector<Part>& parts)
    {
        vlhost::ConverterModule converter(application, "dxfImport");
        ASSERT_TRUE(converter.Loaded()) << converter.Error();
        converter.ShowProblems(false);
        std::vector<FileMetaParams> entries;
        fs::create_directories(root / "dxf");
        for (const Part& part : parts) {
            const fs::path file = root / "dxf" / (part.name + ".dxf");
            std::ofstream(file, std::ios::binary) << part.bytes();
            entries.push_back({vlhost::Host::Wide(file.string()), L"", 1, 0.0});
        }
        const size_t before = Messages().size();
        {
            NestingModel model;
            dxfimport::ImportFiguresFromDxf(
                model, entries, vlhost::Host::Wide((root / "out").string()),
                [&](const std::wstring& path) { return converter.Convert(path, L""); },
                [&] { return converter.Problems(); });
        }
        const std::wstring closing = Messages().size() > before ? Messages().back().text : L"";
        for (size_t i = 0; i < parts.size(); ++i) {
            SCOPED_TRACE(parts[i].name);
            const fs::path fragment = root / "out" / (parts[i].name + ".vfw");
            if (parts[i].refusal) {
                EXPECT_NE(closing.find(entries[i].m_path + L": " + parts[i].refusal), std::wstring::npos)
                    << vlhost::Host::Utf8(closing);
                EXPECT_FALSE(fs::exists(fragment));
                continue;
            }
            // Named at most for the units that scaled it.
            const size_t named = closing.find(entries[i].m_path + L": ");
            EXPECT_EQ(named, closing.find(entries[i].m_path + L": единицы файла")) << vlhost::Host::Utf8(closing);
            const FigurePtr figure = NestingModel().AddFigure(vlhost::Host::Wide(fragment.string()));
            if (!figure) {
                ADD_FAILURE() << "no figure";
                continue;
            }
            EXPECT_NEAR(figure->m_area, parts[i].area, parts[i].area * 1e-4);
        }
    }
};

void Append(Groups& to, const Groups& more) { to.insert(to.end(), more.begin(), more.end()); }

// `groups` with their layer and linetype set.
Groups Drawn(Groups groups, const std::string& layer, const std::string& linetype = "")
{
    for (auto& [code, value] : groups)
        if (code == 8)
            value = layer;
    if (!linetype.empty())
        groups.insert(groups.begin() + 1, {6, linetype});
    return groups;
}

// A closed POLYLINE round `points`, its vertices at the heights `z` gives.
Groups Polyline3D(const std::vector<std::pair<double, double>>& points, const std::function<double(size_t)>& z)
{
    Groups g{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "9"}};
    for (size_t i = 0; i < points.size(); ++i)
        g = g + Groups{{0, "VERTEX"}, {8, "0"}, {10, Num(points[i].first)}, {20, Num(points[i].second)},
                       {30, Num(z(i))}, {70, "32"}};
    return g + Groups{{0, "SEQEND"}};
}

// Lines round `points`, the second end of each at the height `z`.
Groups Lines3D(const std::vector<std::pair<double, double>>& points, double z)
{
    Groups g;
    for (size_t i = 0; i < points.size(); ++i) {
        const auto& [x1, y1] = points[i];
        const auto& [x2, y2] = points[(i + 1) % points.size()];
        g = g + Line(x1, y1, x2, y2) + Groups{{30, "0"}, {31, Num(z)}};
    }
    return g;
}

// The plate's outline drawn on the plane through the origin of normal `n`,
// so that its plan is the outline: in the plane's own coordinates (its axes
// as DXF makes them of the normal).
Groups TiltedOutline(const std::array<double, 3>& n)
{
    const auto cross = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return std::array<double, 3>{a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
    };
    const auto dot = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
    };
    std::array<double, 3> ax = cross(std::fabs(n[0]) < 1.0 / 64 && std::fabs(n[1]) < 1.0 / 64
                                         ? std::array<double, 3>{0, 1, 0} : std::array<double, 3>{0, 0, 1}, n);
    const double length = std::sqrt(dot(ax, ax));
    for (double& c : ax)
        c /= length;
    const std::array<double, 3> ay = cross(n, ax);
    std::vector<std::pair<double, double>> own;
    for (const auto& [x, y] : kOutline) {
        const std::array<double, 3> p{x, y, -(x * n[0] + y * n[1]) / n[2]};
        own.emplace_back(dot(p, ax), dot(p, ay));
    }
    return Polyline(own, true) + Groups{{210, Num(n[0])}, {220, Num(n[1])}, {230, Num(n[2])}};
}

Groups Hole() { return Circle("40", "50", 10); }

// The plate's hole and its outline `outline` in the model space, `blocks` before them.
std::string Plate(const Groups& outline, const Groups& blocks = {}, const Groups& tables = {})
{
    std::vector<std::pair<std::string, Groups>> sections;
    if (!tables.empty())
        sections.push_back({"TABLES", tables});
    if (!blocks.empty())
        sections.push_back({"BLOCKS", blocks});
    sections.push_back({"ENTITIES", outline + Hole()});
    return dxftext::File(sections);
}

constexpr wchar_t kNotWhole[] = L"файл прочитан не весь, а без пропущенного деталь не записывается: "
                                L"пропущено сверх пределов программы: ";

TEST_F(DxfWholePartTest, PartsPastTheReadersCapsAreRefusedNamingTheCapSlow)
{
    const auto circles = [](int count, double pitch) {
        Groups g;
        for (int i = 0; i < count; ++i)
            Append(g, Circle(Num(5 + (i % 500) * pitch), Num(5 + (i / 500) * pitch), 1));
        return g;
    };
    Expect({
        // 102,400 round holes as an array of arrays come in as 102,400 circles drawn one by one do.
        {"holes_as_arrays_of_arrays",
         [] {
             return dxftext::File({{"BLOCKS", Block("HOLE", Circle("0", "0", 3)) + Block("GRID", Insert("HOLE", 0, 0, "1", 16, 16, 10))},
                          {"ENTITIES", Polyline({{0, 0}, {3220, 0}, {3220, 3220}, {0, 3220}}, true) +
                                           Insert("GRID", 10, 10, "1", 20, 20, 160)}});
         },
         nullptr, 3220.0 * 3220 - 102400 * 9 * pi},
        {"holes_of_spline_points_past_the_cap",
         [] {
             Groups g = Polyline({{0, 0}, {1100, 0}, {1100, 1100}, {0, 1100}}, true);
             for (int i = 0; i < 1100; ++i) {
                 std::vector<std::pair<double, double>> ring;
                 for (int k = 0; k <= 100; ++k)
                     ring.emplace_back(35 + (i % 33) * 32 + 10 * std::cos(k * pi / 50), 25 + (i / 33) * 32 + 10 * std::sin(k * pi / 50));
                 Append(g, FitSpline(ring));
             }
             return dxftext::File({{"ENTITIES", g}});
         },
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: сплайны "
         L"сверх 100 000 точек (управляющих и определяющих), которые программа берёт из одного файла — 110 (сплайн на слое «0» у ("},
        {"holes_past_the_objects_cap",
         [&] { return dxftext::File({{"ENTITIES", Polyline({{0, 0}, {2520, 0}, {2520, 2520}, {0, 2520}}, true) + circles(250'001, 5)}}); },
         kNotWhole},
        {"hole_of_arcs_past_the_pieces_cap",
         [] {
             std::vector<std::array<double, 3>> ring(250'001, {0, 0, 0.1});
             for (size_t k = 0; k < ring.size(); ++k)
                 ring[k] = {50 + 10 * std::cos(2 * pi * k / ring.size()), 50 + 10 * std::sin(2 * pi * k / ring.size()), 1e-6};
             return Plate(Polyline(kOutline, true) + BulgedPolyline(ring));
         },
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: объекты сверх 500 000 частей"},
        {"holes_past_the_ellipses_cap",
         [] {
             Groups g = Polyline({{0, 0}, {2100, 0}, {2100, 1100}, {0, 1100}}, true);
             for (int i = 0; i < 20'001; ++i)
                 Append(g, {{0, "ELLIPSE"}, {8, "0"}, {10, Num(5 + (i % 200) * 10)}, {20, Num(5 + (i / 200) * 10)},
                            {11, "2"}, {21, "0"}, {40, "0.5"}, {41, "0"}, {42, "6.283185307179586"}});
             return dxftext::File({{"ENTITIES", g}});
         },
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: эллипсы сверх 20 000"},
        {"holes_in_arrays_past_the_visits",
         [] {
             return Plate(Polyline(kOutline, true) + Insert("A", 0, 0),
                          Block("C", {}) + Block("B", Insert("C", 0, 0, "1", 1000, 100, 1)) + Block("A", Insert("B", 0, 0, "1", 1000, 100, 1)));
         },
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: вставки, блоки которых разворачиваются"},
        {"hole_past_two_million_records",
         [] { return dxftext::File({{"ENTITIES", Polyline(kOutline, true) + Groups(2'000'000, {0, "FOO"}) + Hole()}}); },
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: всё, что в файле дальше"},
    });
}

TEST_F(DxfWholePartTest, AnOutlineSkippedForAnyReasonRefusesThePartNamingIt)
{
    const auto nested = [](int depth) {
        Groups blocks = Block("L" + std::to_string(depth), Polyline(kOutline, true));
        for (int level = depth - 1; level >= 1; --level)
            blocks = blocks + Block("L" + std::to_string(level), Insert("L" + std::to_string(level + 1), 0, 0));
        return blocks;
    };
    const wchar_t* lost = L"внешний контур не импортирован: ";
    Expect({
        // Heights within 0.001 mm of one another are flat, as a 3D projection writes them.
        {"polyline_risen_1e-9", [] { return Plate(Polyline3D(kOutline, [](size_t i) { return 1e-9 * i; })); }, nullptr, kPlate},
        {"lines_risen_1e-10", [] { return Plate(Lines3D(kOutline, 1e-10)); }, nullptr, kPlate},
        {"polyline_risen_0.0009_in_metres",
         [] {
             return dxftext::File({{"HEADER", {{9, "$INSUNITS"}, {70, "6"}}},
                          {"ENTITIES", Polyline3D({{0, 0}, {0.1, 0}, {0.1, 0.2}, {0, 0.2}}, [](size_t i) { return 0.9e-6 * (i % 2); }) +
                                           Circle("0.04", "0.05", 0.01)}});
         },
         nullptr, kPlate},
        {"polyline_risen_5", [] { return Plate(Polyline3D(kOutline, [](size_t i) { return 5.0 * (i % 2); })); },
         L"внешний контур не импортирован: полилиния на слое «0» у (0; 0) охватывает все импортированные кривые детали"},
        {"lines_risen_5", [] { return Plate(Lines3D(kOutline, 5)); },
         L"внешний контур не импортирован: 4 отрезка на слое «0» у (0; 0) охватывают все импортированные кривые детали"},
        {"outline_in_paper_space", [] { return Plate(Polyline(kOutline, true) + Groups{{67, "1"}}); },
         L"внешний контур не импортирован: полилиния на слое «0» в пространстве листа у (0; 0) охватывает"},
        {"outline_in_an_external_reference",
         [] {
             return Plate(Insert("XR", 0, 0), Groups{{0, "BLOCK"}, {2, "XR"}, {70, "4"}, {10, "0"}, {20, "0"}, {1, "other.dxf"}} +
                                                  Polyline(kOutline, true) + Groups{{0, "ENDBLK"}});
         },
         L"внешний контур не импортирован: полилиния на слое «0» в блоке «XR» у (0; 0) охватывает"},
        {"outline_17_blocks_deep", [&] { return Plate(Insert("L1", 0, 0), nested(17)); },
         L"внешний контур не импортирован: полилиния на слое «0» в блоке «L17» у (0; 0) охватывает"},
        {"outline_16_blocks_deep", [&] { return Plate(Insert("L1", 0, 0), nested(16)); }, nullptr, kPlate},
        {"outline_on_a_tilted_plane", [] { return Plate(TiltedOutline({0.6, 0, 0.8})); },
         L"внешний контур не импортирован: полилиния на слое «0» у ("},
        {"outline_made_invisible", [] { return Plate(Polyline(kOutline, true) + Groups{{60, "1"}}); }, lost},
    });
}

TEST_F(DxfWholePartTest, ArcsOfAWholeTurnAreCirclesAtEveryAngle)
{
    std::vector<Part> parts;
    for (int a = 0; a < 360; a += 5) {
        parts.push_back({"arc_from_" + std::to_string(a),
                         [a] { return dxftext::File({{"ENTITIES", Polyline(kOutline, true) + Arc(40, 50, 10, a, a + 360)}}); }, nullptr, kPlate});
        // A block's arc 0..360 inserted turned.
        parts.push_back({"block_turned_" + std::to_string(a),
                         [a] {
                             return dxftext::File({{"BLOCKS", Block("H", Arc(0, 0, 10, 0, 360))},
                                          {"ENTITIES", Polyline(kOutline, true) + Insert("H", 40, 50) + Groups{{50, Num(a)}}}});
                         },
                         nullptr, kPlate});
    }
    parts.push_back({"arc_of_equal_angles", [] { return dxftext::File({{"ENTITIES", Polyline(kOutline, true) + Arc(40, 50, 10, 25, 25)}}); },
                     nullptr, kPlate});
    // An arc a hair short of a turn is still an arc: the hole is open.
    parts.push_back({"arc_short_of_a_turn", [] { return dxftext::File({{"ENTITIES", Polyline(kOutline, true) + Arc(40, 50, 10, 0, 359.99)}}); },
                     L"незамкнутый контур"});
    Expect(parts);
}

TEST_F(DxfWholePartTest, EveryLinetypeWithoutGapsIsCutAndDashedOnesAreNot)
{
    const auto linetype = [](const std::string& name, const Groups& dashes = {{73, "0"}, {40, "0"}}) {
        return Groups{{0, "LTYPE"}, {2, name}, {70, "0"}, {3, ""}, {72, "65"}} + dashes;
    };
    const auto tables = [&](const Groups& linetypes, const Groups& layer) {
        return Groups{{0, "TABLE"}, {2, "LTYPE"}} + linetype("CONTINUOUS") + linetypes + Groups{{0, "ENDTAB"}} +
               Groups{{0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "P"}, {70, "0"}, {62, "7"}} + layer + Groups{{0, "ENDTAB"}};
    };
    const auto plate = [&](const std::string& linetypeName, const Groups& layerLinetype, const Groups& linetypes) {
        return [=] {
            return dxftext::File({{"TABLES", tables(linetypes, layerLinetype)},
                         {"ENTITIES", Drawn(Polyline(kOutline, true), "P", linetypeName) + Drawn(Hole(), "P", linetypeName)}});
        };
    };
    const Groups dashes{{73, "2"}, {40, "10"}, {49, "6"}, {49, "-4"}};
    std::vector<Part> parts;
    for (const char* name : {"SOLID", "Сплошная", "Solid line", "ISO_SOLID", "DASHED"})
        parts.push_back({std::string("linetype_") + name, plate(name, {{6, "CONTINUOUS"}}, linetype(name)), nullptr, kPlate});
    parts.push_back({"layer_without_a_linetype", plate("", {}, {}), nullptr, kPlate});
    parts.push_back({"layer_of_a_solid_linetype", plate("", {{6, "Сплошная"}}, linetype("Сплошная")), nullptr, kPlate});
    parts.push_back({"dash_without_gaps", plate("LONG", {{6, "CONTINUOUS"}}, linetype("LONG", {{73, "1"}, {40, "10"}, {49, "10"}})),
                     nullptr, kPlate});
    parts.push_back({"dashed", plate("MYDASH", {{6, "CONTINUOUS"}}, linetype("MYDASH", dashes)),
                     L"нет замкнутого внешнего контура: нет кривых основной (сплошной) линии"});
    parts.push_back({"layer_dashed", plate("", {{6, "MYDASH"}}, linetype("MYDASH", dashes)),
                     L"нет замкнутого внешнего контура: нет кривых основной (сплошной) линии"});
    Expect(parts);
}

}  // namespace
