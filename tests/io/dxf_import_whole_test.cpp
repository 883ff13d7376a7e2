// A DXF part is written whole or refused, never without holes nor as its hole; each part written is loaded as
// the source data loads it, its area compared with the drawing's.
#include "io/DxfImport.h"
#include "io/OutlineJoints.h"

#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "support/dxf_text.h"
#include "support/host_fixture.h"
#include "vlhost/Converters.h"
#include "vlhost/Host.h"

#include <cmath>
#include <fstream>
#include <functional>
#include <numbers>

namespace {

namespace fs = std::filesystem;
using namespace dxftext;

const double pi = std::numbers::pi;
// A 100 × 200 plate with a round hole of radius 10.
const double kPlate = 20000 - 100 * pi;
const std::vector<std::pair<double, double>> kOutline{{0, 0}, {100, 0}, {100, 200}, {0, 200}};

struct Part {
    std::string name;
    std::function<std::string()> bytes;  // made when the case runs: some are megabytes
    std::wstring said;                   // the start of its refusal, or of the note on it; empty: nothing
    double area = 0;                     // of the part written; 0: refused
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
        for (const Part& part : parts) {
            std::ofstream(root / (part.name + ".dxf"), std::ios::binary) << part.bytes();
            entries.push_back({vlhost::Host::Wide((root / (part.name + ".dxf")).string()), L"", 1, 0.0});
        }
        const size_t before = Messages().size();
        dxfimport::ImportFiguresFromDxf(
            *std::make_unique<NestingModel>(), entries, vlhost::Host::Wide((root / "out").string()),
            [&](const std::wstring& path) { return converter.Convert(path, L""); }, [&] { return converter.Problems(); });
        const std::wstring closing = Messages().size() > before ? Messages().back().text : L"";
        for (size_t i = 0; i < parts.size(); ++i) {
            SCOPED_TRACE(parts[i].name);
            const fs::path fragment = root / "out" / (parts[i].name + ".vfw");
            const bool written = parts[i].area > 0;
            EXPECT_EQ(closing.find(entries[i].m_path + L": " + parts[i].said) == std::wstring::npos, parts[i].said.empty())
                << vlhost::Host::Utf8(closing);
            EXPECT_EQ(fs::exists(fragment), written);
            const FigurePtr figure = written ? NestingModel().AddFigure(vlhost::Host::Wide(fragment.string())) : nullptr;
            EXPECT_NEAR(figure ? figure->m_area : 0.0, parts[i].area, parts[i].area * 1e-4);
        }
    }
};

void Append(Groups& to, const Groups& more) { to.insert(to.end(), more.begin(), more.end()); }

// The outline (or the ring `ring`) as a closed 3D POLYLINE, vertex i at the
// height z(i), or as lines (`lines`), each rising to z(i).
Groups Outline3D(const std::function<double(size_t)>& z, bool lines = false, const std::vector<std::pair<double, double>>& ring = kOutline)
{
    Groups g = lines ? Groups{} : Groups{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {70, "9"}};
    for (size_t i = 0; i < ring.size(); ++i) {
        const auto [x, y] = ring[i];
        const auto [x2, y2] = ring[(i + 1) % ring.size()];
        Append(g, lines ? Line(x, y, x2, y2) + Groups{{31, Num(z(i))}}
                        : Groups{{0, "VERTEX"}, {8, "0"}, {10, Num(x)}, {20, Num(y)}, {30, Num(z(i))}, {70, "32"}});
    }
    return lines ? g : g + Groups{{0, "SEQEND"}};
}

const std::vector<std::pair<double, double>> kWindow{{30, 100}, {70, 100}, {70, 140}, {30, 140}};  // 40 × 40, in the plate

Groups Hole() { return Circle("40", "50", 10); }
Groups Rectangle(double w, double h) { return Polyline({{0, 0}, {w, 0}, {w, h}, {0, h}}, true); }

// The plate's hole and its outline `outline` in the model space, `blocks` before them.
std::string Plate(const Groups& outline, const Groups& blocks = Block("B", {}))
{
    return File({{"BLOCKS", blocks}, {"ENTITIES", outline + Hole()}});
}

const std::wstring kNotWhole = L"файл прочитан не весь, а без пропущенного деталь не записывается: "
                               L"пропущено сверх пределов программы: ";
const std::wstring kLost = L"внешний контур не импортирован: ";
const std::wstring kHoleLost = L"внутри внешнего контура детали не импортирована кривая, а без неё деталь не записывается: ";
const std::wstring kLeftOut = L"деталь импортирована, но при чтении пропущено: ";

TEST_F(DxfWholePartTest, PartsPastTheReadersCapsAreRefusedNamingTheCapSlow)
{
    // `count` closed curves of `hole` (at x, y) on a plate `side` wide.
    const auto holes = [](int count, double side, const std::function<Groups(double, double)>& hole) {
        return [=] {
            Groups g = Rectangle(side, side);
            for (int i = 0; i < count; ++i)
                Append(g, hole(5 + (i % 500) * 5, 5 + (i / 500) * 5.0));
            return dxftext::File({{"ENTITIES", g}});
        };
    };
    Expect({
        // 102,400 round holes as an array of arrays come in as 102,400 circles drawn one by one do.
        {"holes_as_arrays_of_arrays", [] { return dxftext::File({{"BLOCKS", Block("HOLE", Circle("0", "0", 3)) +
            Block("GRID", Insert("HOLE", 0, 0, "1", 16, 16, 10))}, {"ENTITIES", Rectangle(3220, 3220) +
            Insert("GRID", 10, 10, "1", 20, 20, 160)}}); }, L"", 3220.0 * 3220 - 102400 * 9 * pi},
        {"holes_of_spline_points_past_the_cap",
         holes(1100, 2600, [](double x, double y) {
             std::vector<std::pair<double, double>> ring;
             for (int k = 0; k <= 100; ++k)
                 ring.emplace_back(x + 2 * std::cos(k * pi / 50), y + 2 * std::sin(k * pi / 50));
             return FitSpline(ring);
         }),
         kNotWhole + L"сплайны сверх 100 000 точек (управляющих и определяющих), которые программа берёт из одного файла "
                     L"— 110 (сплайн на слое «0» у (2457; 10), "},
        {"holes_past_the_objects_cap", holes(250'001, 2520, [](double x, double y) { return Circle(Num(x), Num(y), 1); }),
         kNotWhole + L"объекты сверх 250 000"},
        {"holes_past_the_ellipses_cap", holes(20'001, 2520, [](double x, double y) {
             return HalfEllipse(x, y, 2, 1, true) + HalfEllipse(x, y, 2, 1, false); }), kNotWhole + L"эллипсы сверх 20 000"},
    });
}

// An outline or a hole left out for any reason refuses the part, naming it at its place; a curve that rises
// within the flatness of a 3D projection (0.001 mm) is read flat, whatever its kind; what is left out beside
// the part, or is not drawn, is named at a point of its own.
TEST_F(DxfWholePartTest, ACurveSkippedForAnyReasonRefusesThePartNamingIt)
{
    const auto nested = [](int depth) {
        Groups blocks = Block("L" + std::to_string(depth), Polyline(kOutline, true));
        for (int level = depth - 1; level >= 1; --level)
            Append(blocks, Block("L" + std::to_string(level), Insert("L" + std::to_string(level + 1), 0, 0)));
        return Plate(Insert("L1", 0, 0), blocks);
    };
    const Groups xref{{0, "BLOCK"}, {2, "XR"}, {70, "4"}, {10, "0"}, {20, "0"}, {1, "other.dxf"}};
    const Groups outline = Polyline(kOutline, true), paper{{67, "1"}}, frame = Rectangle(420, 297) + paper;
    const Groups tilted{{210, "0.6"}, {220, "0"}, {230, "0.8"}};  // a plane seen at a slant: its plan is read
    const auto viewport = [](const char* x, const char* y, const char* width, const char* height) {
        return Groups{{0, "VIEWPORT"}, {67, "1"}, {10, x}, {20, y}, {40, width}, {41, height}, {69, "2"}};
    };
    const std::wstring inPaper = kLost + L"полилиния на слое «0» в пространстве листа у (0; 0) охватывает";
    Groups risen = FitSpline({{-10, -10}, {110, -10}, {110, 210}, {-10, 210}, {-10, -10}}, true);
    risen.back().second = "5";
    const auto rise = [](double by) { return [by](size_t i) { return i == 2 ? by : 0.0; }; };  // the third vertex
    const auto slant = [](const char* x) { return Groups{{210, x}, {220, "0"}, {230, "1"}}; };   // a plane turned about y
    // A solid fill bounded by the polyline `ring`, or by an arc of a radius of 10 about (x, y) from `from`
    // to `to` degrees (counter-clockwise `ccw`, its angles as DXF gives them) and then the edges `more`.
    const auto fill = [](const std::vector<std::pair<double, double>>& ring, const Groups& seeds = {{98, "0"}}) {
        Groups g{{0, "HATCH"}, {8, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "SOLID"}, {70, "1"}, {71, "0"}, {91, "1"},
                 {92, "2"}, {72, "0"}, {73, "1"}, {93, std::to_string(ring.size())}};
        for (const auto& [x, y] : ring)
            Append(g, {{10, Num(x)}, {20, Num(y)}});
        return g + Groups{{97, "0"}, {75, "0"}, {76, "1"}} + seeds;
    };
    const Groups hatch = fill(kOutline, {{98, "1"}, {10, "300"}, {20, "300"}});  // the outline's, seeded in the hole
    const auto arcHatch = [](double x, double y, const char* from, const char* to, const char* ccw, const Groups& more = {}) {
        const Groups g{{0, "HATCH"}, {8, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "SOLID"}, {70, "1"}, {71, "0"}, {91, "1"},
                       {92, "1"}, {93, more.empty() ? "1" : "2"}, {72, "2"}, {10, Num(x)}, {20, Num(y)}, {40, "10"},
                       {50, from}, {51, to}, {73, ccw}};
        return g + more + Groups{{97, "0"}, {75, "0"}, {76, "1"}, {98, "0"}};
    };
    const auto plateWith = [&](const Groups& g) { return [=] { return Plate(outline + g); }; };  // `g` drawn on it too
    const std::wstring hatchAt = kLeftOut + L"объекты HATCH, которые не импортируются — 1 (штриховка на слое «0» у ";
    Expect({
        // Heights within 0.001 mm of one another are flat, as a 3D projection writes them.
        {"polyline_risen_1e-9", [] { return Plate(Outline3D([](size_t i) { return 1e-9 * i; })); }, L"", kPlate},
        {"lines_risen_1e-10", [] { return Plate(Outline3D([](size_t) { return 1e-10; }, true)); }, L"", kPlate},
        {"polyline_risen_5", [] { return Plate(Outline3D([](size_t i) { return 5.0 * (i % 2); })); },
         kLost + L"полилиния на слое «0» у (0; 0) охватывает все импортированные кривые детали"},
        {"lines_risen_5", [] { return Plate(Outline3D([](size_t) { return 5.0; }, true)); },
         kLost + L"4 отрезка на слое «0» у (0; 0) охватывают"},
        {"outline_in_paper_space", [&] { return Plate(outline + paper); }, inPaper},
        // Paper space's frame about the model: a sheet's, never the part's outline.
        {"frame_in_paper_space_about_a_part_with_holes", [&] { return Plate(outline + frame); }, L"", kPlate},
        {"frame_about_a_viewport_about_a_plain_plate",
         [&] { return dxftext::File({{"ENTITIES", outline + frame + viewport("210", "148", "400", "280")}}); }, L"", 20000},
        {"outline_in_paper_space_beside_its_viewport",
         [&] { return Plate(outline + paper + viewport("300", "100", "50", "50")); }, inPaper},
        {"outline_drawn_only_as_a_hatch", [&] { return Plate(hatch); }, kLost + L"штриховка на слое «0» у (0; 0) охватывает"},
        {"outline_drawn_and_filled", [&] { return Plate(outline + hatch); },
         L"деталь импортирована, но при чтении пропущено: объекты HATCH", kPlate},
        {"outline_in_an_external_reference", [&] { return Plate(Insert("XR", 0, 0), xref + outline + Groups{{0, "ENDBLK"}}); },
         kLost + L"полилиния на слое «0» в блоке «XR» у (0; 0) охватывает"},
        {"outline_17_blocks_deep", [&] { return nested(17); }, kLost + L"полилиния на слое «0» в блоке «L17» у (0; 0)"},
        {"outline_16_blocks_deep", [&] { return nested(16); }, L"", kPlate},
        {"outline_on_a_tilted_plane", [&] { return Plate(Circle("0", "0", 200, tilted)); },
         kLost + L"окружность на слое «0» у (0; 0) охватывает"},
        {"outline_an_ellipse_on_a_tilted_plane", [&] { return Plate(Groups{{0, "ELLIPSE"}, {8, "0"}, {10, "50"}, {20, "100"},
             {11, "200"}, {21, "0"}, {31, "0"}, {40, "1"}, {41, "0"}, {42, "6.283185307179586"}} + tilted); },
         kLost + L"эллипс на слое «0» у (50; 100) охватывает"},
        {"outline_in_a_block_inserted_on_a_tilted_plane",
         [&] { return Plate(Insert("T", 0, 0) + tilted, Block("T", Polyline({{-200, -200}, {300, -200}, {300, 400}, {-200, 400}}, true))); },
         kLost + L"полилиния на слое «0» в блоке «T»"},
        {"outline_a_spline_risen_5", [&] { return Plate(risen); }, kLost + L"сплайн на слое «0» у (-10; -10) охватывает"},
        // A window whose one vertex rises, as a 3D polyline or as lines.
        {"window_polyline_risen_0.005", plateWith(Outline3D(rise(0.005), false, kWindow)), kHoleLost + L"полилиния на слое «0» "
         L"у (30; 100); при чтении пропущено: 3D-объекты — 1 (полилиния на слое «0» у (30; 100))"},
        {"window_polyline_risen_0.5", plateWith(Outline3D(rise(0.5), false, kWindow)), kHoleLost + L"полилиния на слое «0» у (30; 100)"},
        {"window_polyline_risen_2", plateWith(Outline3D(rise(2), false, kWindow)), kHoleLost + L"полилиния на слое «0» у (30; 100)"},
        {"window_lines_risen_0.005", plateWith(Outline3D(rise(0.005), true, kWindow)), kHoleLost + L"4 отрезка на слое «0» "
         L"у (30; 100); при чтении пропущено: 3D-объекты — 1 (отрезок на слое «0» у (70; 140))"},
        {"window_polyline_risen_0.0009", plateWith(Outline3D(rise(0.0009), false, kWindow)), L"", kPlate - 1600},
        {"window_lines_risen_0.0009", plateWith(Outline3D(rise(0.0009), true, kWindow)), L"", kPlate - 1600},
        {"window_polyline_flat_at_5", plateWith(Outline3D([](size_t) { return 5.0; }, false, kWindow)), L"", kPlate - 1600},
        {"window_polyline_in_a_block_risen_2", [&] { return Plate(outline + Insert("W", 0, 0), Block("W", Outline3D(rise(2), false, kWindow))); },
         kHoleLost + L"полилиния на слое «0» в блоке «W» у (30; 100)"},
        // Its copy turned: named where it stands, in the refusal and in what the reader left out alike.
        {"window_polyline_in_a_turned_block_risen_2",
         [&] { return Plate(outline + Insert("W", 170, 80) + Groups{{50, "90"}}, Block("W", Outline3D(rise(2), false, kWindow))); },
         kHoleLost + L"полилиния на слое «0» в блоке «W» у (70; 110); при чтении пропущено: 3D-объекты — 1 (полилиния на слое «0» в "
                     L"блоке «W» у (70; 110))"},
        // On a plane tilted so little that they rise 0.0008 mm: read by their plan; 0.0012 mm: 3D, named where
        // they stand. Lines stand where their points say, whatever way they are extruded.
        {"window_on_a_plane_tilted_by_0.00002", plateWith(Polyline(kWindow, true) + slant("0.00002")), L"", kPlate - 1600},
        {"window_of_lines_extruded_at_a_slant", [&] {
             Groups lines = outline;
             for (size_t i = 0; i < kWindow.size(); ++i)
                 Append(lines, Line(kWindow[i].first, kWindow[i].second, kWindow[(i + 1) % 4].first, kWindow[(i + 1) % 4].second) + tilted);
             return Plate(lines); }, L"", kPlate - 1600},
        {"hole_on_a_plane_tilted_by_0.00004", plateWith(Circle("70", "170", 10, slant("0.00004"))), L"", kPlate - 100 * pi},
        {"hole_on_a_plane_tilted_by_0.00006", plateWith(Circle("70", "170", 10, slant("0.00006"))), kHoleLost + L"окружность на "
         L"слое «0» у (70; 170); при чтении пропущено: 3D-объекты — 1 (окружность на слое «0» у (70; 170))"},
        {"hole_an_ellipse_on_a_plane_tilted_by_0.00002", plateWith(Groups{{0, "ELLIPSE"}, {8, "0"}, {10, "70"}, {20, "170"},
             {11, "10"}, {21, "0"}, {31, "-0.0002"}, {40, "0.5"}, {41, "0"}, {42, "6.283185307179586"}} + slant("0.00002")),
         L"", kPlate - 50 * pi},
        // A hatch is a fill, never cut: a section's hatching inside the part, with no curve about it; a hole's
        // fill, a clockwise edge of a half disc's among its edges; beside the part.
        {"window_drawn_only_as_a_hatch", plateWith(fill(kWindow)), hatchAt + L"(30; 100))", kPlate},
        {"hole_filled", plateWith(arcHatch(40, 50, "0", "360", "1")), hatchAt + L"(50; 50))", kPlate},
        {"half_disc_filled_clockwise", plateWith(BulgedPolyline({{40, 150, 0}, {60, 150, -1}}) + arcHatch(50, 150, "0", "180", "0",
             {{72, "1"}, {10, "40"}, {20, "150"}, {11, "60"}, {21, "150"}})), hatchAt + L"(60; 150))", kPlate - 50 * pi},
        {"hatch_beside_the_part", plateWith(fill({{550, 320}, {560, 320}, {560, 330}})), hatchAt + L"(550; 320))", kPlate},
        // Beside the part, or not drawn: named, the part written.
        {"window_risen_beside_the_part", plateWith(Outline3D(rise(2), false, {{130, 0}, {170, 0}, {170, 40}})),
         kLeftOut + L"3D-объекты — 1 (полилиния на слое «0» у (130; 0))", kPlate},
        {"window_made_invisible", plateWith(Polyline(kWindow, true) + Groups{{60, "1"}}),
         kLeftOut + L"невидимые объекты, которые не импортируются — 1 (полилиния на слое «0» у (30; 100))", kPlate},
    });
}

// The box (x, y, w, h) and its corners, counter-clockwise from its lower left.
struct Box {
    double x, y, w, h;
    std::vector<std::pair<double, double>> Corners() const { return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}; }
};

// ACIS text as a DXF file codes it, line by line.
std::string AcisCoded(const std::string& plain)
{
    std::string out;
    for (const char c : plain) {
        if (c == ' ' || c == '\n' || c == '_' || c == '@')
            out += c == '_' ? '@' : c == '@' ? '_' : c;
        else if (c >= 'A' && c <= '^')
            out += static_cast<char>(0x5E - (c - 'A')) + std::string(c == 'A' ? " " : "");
        else
            out += static_cast<char>(c ^ 0x5F);
    }
    return out;
}

// A body of ACIS data whose vertices are the corners of the box: as text of
// version 7.0 placed by a transform, coded, or of version 4.0, plain; or
// binary, as a file from 2013 on keeps it in its ACDSDATA.
Groups AcisText(const Box& b, bool coded)
{
    std::string sat = coded ? "700 0 1 0\n@4 test @8 ACIS 7.0 @24 Thu Jan 01 00:00:00 2026\n1 9.9999999999999995e-007 1e-010\n"
                              "body $-1 -1 $-1 $1 $-1 $2 #\ntransform $-1 -1 1 0 0 0 1 0 0 0 1 " + Num(b.x) + " " + Num(b.y) +
                                  " 0 1 no_rotate no_reflect no_shear #\n"
                            : "400 0 1 0\n@4 test @8 ACIS 4.0 @24 Thu Jan 01 00:00:00 2026\n1 9.9999999999999995e-007 1e-010\n";
    for (const auto& [u, v] : b.Corners())
        sat += coded ? "point $-1 -1 $-1 " + Num(u - b.x) + " " + Num(v - b.y) + " 0 #\n" : "point $-1 " + Num(u) + " " + Num(v) + " 0 #\n";
    sat += "End-of-ACIS-data";
    Groups g;
    for (size_t at = 0, end = 0; at < sat.size(); at = end + 1) {
        end = std::min(sat.find('\n', at), sat.size());
        g.emplace_back(1, coded ? AcisCoded(sat.substr(at, end - at)) : sat.substr(at, end - at));
    }
    return g;
}
std::string AcisBinary(const Box& box)
{
    std::string b = "ACIS BinaryFile";
    const auto integer = [&](int32_t v) { b.append(reinterpret_cast<const char*>(&v), 4); };
    const auto real = [&](double v) { b.append(reinterpret_cast<const char*>(&v), 8); };
    const auto word = [&](char tag, const std::string& text) { b += tag, b += static_cast<char>(text.size()), b += text; };
    for (const int32_t v : {21800, 0, 1, 0})
        integer(v);
    word(7, "test"), word(7, "ACIS 218.00 NT"), word(7, "Thu Jan 01 00:00:00 2026");
    for (const double v : {1.0, 1e-6, 1e-10})
        b += '\x06', real(v);
    for (const auto& [u, v] : box.Corners()) {
        word(0x0D, "point");
        b += '\x0C', integer(-1), b += '\x04', integer(-1), b += '\x0C', integer(-1);
        b += '\x13', real(u), real(v), real(0), b += '\x11';
    }
    word(0x0E, "End"), word(0x0E, "of"), word(0x0E, "ACIS"), word(0x0D, "data");
    return b;
}

// Every kind of object the reader leaves out that draws a closed shape: one that may be a cut
// refuses the part it stands in, even in part, or about (its lost outline), and is named beside
// it, on a frozen layer or in a dashed linetype; a fill is named inside it; a multiline that is
// not closed, a helix of less than a turn, a region of no readable data, a polyline of widths.
TEST_F(DxfWholePartTest, EveryClosedKindTheReaderLeavesOutIsCutOrNamed)
{
    using Sections = std::vector<std::pair<std::string, Groups>>;
    using Draw = std::function<Sections(const Box&)>;
    enum How { kCut, kFill, kTaken, kRead };
    const auto entities = [](const Groups& g) { return Sections{{"ENTITIES", g}}; };
    const auto corners = [&](const char* kind, bool crossed) -> Draw {
        return [=](const Box& b) {
            Groups g{{0, kind}, {8, "0"}};
            for (int k = 0; k < 4; ++k) {
                const auto [u, v] = b.Corners()[crossed && k >= 2 ? 5 - k : k];
                Append(g, {{10 + k, Num(u)}, {20 + k, Num(v)}, {30 + k, "0"}});
            }
            return entities(g);
        };
    };
    // A multiline of two elements 0.5 off its vertices either way, closed; or open from the middle of
    // one side of the box to the other's, its elements on the box's sides, capped by its style.
    const auto mline = [](bool closed, bool capped) -> Draw {
        return [=](const Box& b) {
            const double cx = b.x + b.w / 2, cy = b.y + b.h / 2;
            const auto at = closed ? b.Corners() : std::vector<std::pair<double, double>>{{b.x, cy}, {b.x + b.w, cy}};
            Groups g{{0, "MLINE"}, {8, "0"}, {2, capped ? "CAPPED" : "STANDARD"}, {40, "1"}, {70, "0"}, {71, closed ? "3" : "1"},
                     {72, std::to_string(at.size())}, {73, "2"}, {10, Num(at[0].first)}, {20, Num(at[0].second)}, {30, "0"}};
            for (const auto& [u, v] : at) {
                const double mx = closed ? (u - cx) / std::hypot(u - cx, v - cy) : 0, my = closed ? (v - cy) / std::hypot(u - cx, v - cy) : 1;
                const std::string off = Num(closed ? 0.5 : b.h / 2);
                Append(g, {{11, Num(u)}, {21, Num(v)}, {31, "0"}, {12, "1"}, {22, "0"}, {32, "0"}, {13, Num(mx)}, {23, Num(my)}, {33, "0"},
                           {74, "2"}, {41, off}, {41, "0"}, {75, "0"}, {74, "2"}, {41, "-" + off}, {41, "0"}, {75, "0"}});
            }
            const Groups style{{0, "MLINESTYLE"}, {5, "A1"}, {2, "CAPPED"}, {70, std::to_string(16 | 256)}, {71, "2"}};
            return Sections{{"ENTITIES", g}, {"OBJECTS", capped ? style : Groups{}}};
        };
    };
    // Text coded (0) or plain (1), binary (2), or none of it (3).
    const auto acis = [](const char* kind, int form) -> Draw {
        return [=](const Box& b) {
            Groups g{{0, kind}, {5, "2A"}, {8, "0"}, {100, "AcDbModelerGeometry"}, {70, "1"}};
            if (form < 2)
                return Sections{{"ENTITIES", g + AcisText(b, form == 0)}};
            std::string hex;
            for (const unsigned char c : AcisBinary(b))
                hex += std::string{"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
            Groups data{{0, "ACDSRECORD"}, {90, "1"}, {2, "AcDbDs::ID"}, {280, "10"}, {320, "2A"}, {2, "ASM_Data"}, {280, "15"},
                        {94, std::to_string(hex.size() / 2)}};
            for (size_t at = 0; at < hex.size(); at += 254)
                data.emplace_back(310, hex.substr(at, 254));
            return Sections{{"ENTITIES", g + Groups{{290, "1"}, {2, "{00000000-0000-0000-0000-000000000000}"}}},
                            {"ACDSDATA", Groups{{70, "2"}, {71, "2"}} + (form == 2 ? data : Groups{})}};
        };
    };
    const auto vertex = [](double u, double v, const char* flags) {
        return Groups{{0, "VERTEX"}, {8, "0"}, {10, Num(u)}, {20, Num(v)}, {30, "0"}, {70, flags}};
    };
    const auto polyface = [&](const Box& b) {
        Groups g{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "64"}, {71, "4"}, {72, "1"}};
        for (const auto& [u, v] : b.Corners())
            Append(g, vertex(u, v, "192"));
        return entities(g + vertex(0, 0, "128") + Groups{{71, "1"}, {72, "2"}, {73, "3"}, {74, "4"}, {0, "SEQEND"}});
    };
    const auto polymesh = [&](const Box& b) {
        Groups g{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "16"}, {71, "2"}, {72, "2"}};
        for (const int k : {0, 3, 1, 2})
            Append(g, vertex(b.Corners()[k].first, b.Corners()[k].second, "64"));
        return entities(g + Groups{{0, "SEQEND"}});
    };
    const auto mesh = [&](const Box& b) {
        Groups g{{0, "MESH"}, {8, "0"}, {100, "AcDbSubDMesh"}, {71, "2"}, {72, "0"}, {91, "0"}, {92, "4"}};
        for (const auto& [u, v] : b.Corners())
            Append(g, {{10, Num(u)}, {20, Num(v)}, {30, "0"}});
        return entities(g + Groups{{93, "5"}, {90, "4"}, {90, "0"}, {90, "1"}, {90, "2"}, {90, "3"}});
    };
    // A flat helix about the box, round its middle from its right, of `turns` (its spline of degree 1).
    const auto helix = [&](double turns) -> Draw {
        return [=](const Box& b) {
            const double cx = b.x + b.w / 2, cy = b.y + b.h / 2, r = std::hypot(b.w, b.h) / 2;
            Groups g{{0, "HELIX"}, {8, "0"}, {100, "AcDbSpline"}, {70, "0"}, {71, "1"}, {72, "19"}, {73, "17"}, {74, "0"}};
            for (int k = 0; k < 19; ++k)
                g.emplace_back(40, Num(std::clamp(k - 1, 0, 16)));
            for (int k = 0; k <= 16; ++k)
                Append(g, {{10, Num(cx + r * std::cos(turns * k * pi / 8))}, {20, Num(cy + r * std::sin(turns * k * pi / 8))}, {30, "0"}});
            return entities(g + Groups{{100, "AcDbHelix"}, {90, "29"}, {91, "63"}, {10, Num(cx)}, {20, Num(cy)}, {30, "0"},
                                       {11, Num(cx + r)}, {21, Num(cy)}, {31, "0"}, {12, "0"}, {22, "0"}, {32, "1"},
                                       {40, Num(r)}, {41, Num(turns)}, {42, "0"}, {290, "1"}, {280, "1"}});
        };
    };
    const auto picture = [&](bool wipeout) -> Draw {
        return [=](const Box& b) {
            const double pixel = wipeout ? 1 : 400;
            return entities({{0, wipeout ? "WIPEOUT" : "IMAGE"}, {8, "0"}, {10, Num(b.x)}, {20, Num(b.y)}, {30, "0"}, {11, Num(b.w / pixel)},
                             {21, "0"}, {31, "0"}, {12, "0"}, {22, Num(b.h / pixel)}, {32, "0"}, {13, Num(pixel)}, {23, Num(pixel)},
                             {280, wipeout ? "1" : "0"}, {71, "1"}, {91, "2"}, {14, "-0.5"}, {24, "-0.5"}, {14, Num(pixel - 0.5)},
                             {24, Num(pixel - 0.5)}});
        };
    };
    const auto ole = [&](const Box& b) {
        return entities({{0, "OLE2FRAME"}, {8, "0"}, {70, "2"}, {3, "Paintbrush"}, {10, Num(b.x)}, {20, Num(b.y + b.h)}, {30, "0"},
                         {11, Num(b.x + b.w)}, {21, Num(b.y)}, {31, "0"}, {71, "2"}, {72, "0"}, {90, "0"}});
    };
    const auto own = [&](const Groups& more) -> Draw {  // a closed light polyline about the box, with `more`
        return [=](const Box& b) { return entities(Polyline(b.Corners(), true) + more); };
    };
    const std::wstring threeD = L"3D-объекты", notRead = L"объекты ";
    const struct Kind {
        std::string name;
        std::wstring named;    // as the refusal names it
        std::wstring skipped;  // as the reader's note names it
        How how;
        Draw draw;
        std::function<NPoint(const Box&)> at = [](const Box& b) { return NPoint{b.x, b.y}; };  // where it is named
    } kinds[] = {
        {"mline_closed", L"мультилиния", notRead + L"MLINE", kCut, mline(true, false)},
        {"mline_capped", L"мультилиния", notRead + L"MLINE", kCut, mline(false, true), [](const Box& b) { return NPoint{b.x, b.y + b.h / 2}; }},
        {"mline_open", L"мультилиния", notRead + L"MLINE", kTaken, mline(false, false)},
        {"region_coded_text", L"область", notRead + L"REGION", kCut, acis("REGION", 0)},
        {"region_plain_text", L"область", notRead + L"REGION", kCut, acis("REGION", 1)},
        {"region_binary", L"область", notRead + L"REGION", kCut, acis("REGION", 2)},
        {"solid3d", L"3D-тело", threeD, kCut, acis("3DSOLID", 0)},
        {"face3d", L"3D-грань", threeD, kCut, corners("3DFACE", false)},
        {"polyline_risen", L"полилиния", threeD, kCut,
         [](const Box& b) { return Sections{{"ENTITIES", Outline3D([](size_t i) { return i == 2 ? 2.0 : 0.0; }, false, b.Corners())}}; }},
        {"polyface", L"полилиния", threeD, kCut, polyface},
        {"polygon_mesh", L"полилиния", threeD, kCut, polymesh},
        {"mesh", L"сеть", threeD, kCut, mesh},
        {"helix", L"спираль", notRead + L"HELIX", kCut, helix(1), [](const Box& b) { return NPoint{b.x + b.w / 2 + std::hypot(b.w, b.h) / 2, b.y + b.h / 2}; }},
        {"helix_half_a_turn", L"спираль", notRead + L"HELIX", kTaken, helix(0.5)},
        {"image", L"изображение", notRead + L"IMAGE", kCut, picture(false)},
        {"ole_frame", L"OLE-объект", notRead + L"OLE2FRAME", kCut, ole, [](const Box& b) { return NPoint{b.x, b.y + b.h}; }},
        {"solid_fill", L"фигура", notRead + L"SOLID", kFill, corners("SOLID", true)},
        {"trace", L"полоса", notRead + L"TRACE", kFill, corners("TRACE", true)},
        {"wipeout", L"маскировка", notRead + L"WIPEOUT", kFill, picture(true)},
        {"lwpolyline_of_a_width", L"", L"", kRead, own({{43, "2"}})},
        {"lwpolyline_of_widths", L"", L"", kRead, own({{40, "1"}, {41, "3"}})},
        {"lwpolyline_thick_and_risen", L"", L"", kRead, own({{39, "5"}, {38, "3"}})},
        {"polyline_of_widths", L"", L"", kRead, [&](const Box& b) {  // its vertices of widths of their own
             Groups g{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {30, "0"}, {70, "1"}, {40, "2"}, {41, "4"}};
             for (const auto& [u, v] : b.Corners())
                 Append(g, vertex(u, v, "0") + Groups{{40, "1"}, {41, "3"}});
             return entities(g + Groups{{0, "SEQEND"}}); }},
    };
    // The plate and its round hole, `sections` of a kind drawn with it, on layer `layer` and in
    // the linetype `linetype` (none: by layer): FR is frozen, DASH dashed.
    const auto plate = [](const Sections& sections, const std::string& layer, const std::string& linetype) {
        Sections file{{"TABLES", DashFrozenOffTables()}, {"ENTITIES", Polyline(kOutline, true) + Hole()}};
        for (const auto& [name, groups] : sections) {
            if (name == "ENTITIES")
                Append(file[1].second, OnLayer(groups, layer, linetype));
            else
                file.emplace_back(name, OnLayer(groups, layer, linetype));
        }
        return dxftext::File(file);
    };
    const Box inside{30, 100, 40, 40}, across{80, 100, 40, 40}, about{-10, -10, 120, 220}, beside{230, 100, 40, 40};
    std::vector<Part> parts;
    for (const Kind& k : kinds) {
        const auto add = [&](const std::string& variant, const Box& b, const std::wstring& said, double area,
                             const std::string& layer = "0", const std::string& linetype = "") {
            parts.push_back({k.name + "_" + variant, [=, draw = k.draw] { return plate(draw(b), layer, linetype); }, said, area});
        };
        const auto named = [&](const Box& b) { return k.named + L" на слое «0» у " + dxfimport::PointText(k.at(b)); };
        const std::wstring note = kLeftOut + k.skipped;
        if (k.how == kCut) {
            add("inside", inside, kHoleLost + named(inside), 0);
            add("across_the_edge", across, kHoleLost + named(across), 0);
        } else {
            add("inside", inside, k.how == kRead ? L"" : note, k.how == kRead ? kPlate - 1600 : kPlate);
        }
        if (k.how == kCut || k.how == kFill)
            add("about", about, kLost + named(about) + L" охватывает", 0);
        if (k.how == kCut) {
            add("beside", beside, note, kPlate);
            add("frozen", inside, note, kPlate, "FR");
            add("dashed", inside, note, kPlate, "0", "DASH");
        }
    }
    // A region whose data is none ACIS gives: where it lies is not known, and it may be a cut.
    const std::wstring unplaced = L"не прочитано, где лежит объект, который может быть вырезом детали, а без него деталь не "
                                  L"записывается: область на слое «0»; ";
    parts.push_back({"region_of_no_data", [&] { return plate(acis("REGION", 3)({0, 0, 1, 1}), "0", ""); }, unplaced});
    parts.push_back({"region_of_no_acis", [&] { return plate(entities({{0, "REGION"}, {8, "0"}, {70, "1"}, {1, "not acis"}}), "0", ""); },
                     unplaced});
    Expect(parts);
}

TEST_F(DxfWholePartTest, ArcsOfAWholeTurnAreCirclesAtEveryAngle)
{
    std::vector<Part> parts;
    for (int a = 0; a < 360; a += 5) {
        const Groups outline = Polyline(kOutline, true);
        parts.push_back({"arc_from_" + std::to_string(a), [=] { return Plate(outline + Arc(40, 150, 10, a, a + 360)); }, L"",
                         kPlate - 100 * pi});
        parts.push_back({"block_turned_" + std::to_string(a), [=] {  // a block's arc 0..360 inserted turned
            return Plate(outline + Insert("H", 40, 150) + Groups{{50, Num(a)}}, Block("H", Arc(0, 0, 10, 0, 360))); }, L"",
                         kPlate - 100 * pi});
    }
    parts.push_back({"arc_short_of_a_turn", [] { return Plate(Polyline(kOutline, true) + Arc(40, 150, 10, 0, 359.99)); }, L"незамкнутый контур"});
    Expect(parts);
}

// A part kept as a block is written whole, at the area its curves enclose, wherever its copy turns, scales or
// mirrors it (by a scale or by the extrusion), within a turned block too: circles, lines and arcs, bulges, a
// spline through fit points, an ellipse.
TEST_F(DxfWholePartTest, PartsKeptAsBlocksAreWholeWhateverTheirCopiesTurnScaleOrMirror)
{
    const double w = 200, h = 100, r = 15, b = std::tan(pi / 8), plate = w * h - (4 - pi) * r * r - 100 * pi;
    Groups sixHoles = Circle("0", "0", 60);
    std::vector<std::pair<double, double>> fits;
    for (int k = 0; k < 36; ++k) {
        fits.emplace_back(60 * std::cos(k * pi / 18), 60 * std::sin(k * pi / 18));
        if (k % 6 == 0)
            Append(sixHoles, Circle(Num(40 * std::cos(k * pi / 18)), Num(40 * std::sin(k * pi / 18)), 8));
    }
    const std::vector<std::tuple<std::string, Groups, double>> shapes = {
        {"disc", Circle("0", "0", 60), 3600 * pi}, {"washer", Circle("0", "0", 60) + Circle("0", "0", 25), 2975 * pi},
        {"disc_six_holes", sixHoles, 3216 * pi},
        {"plate_lines_arcs", Line(r, 0, w - r, 0) + Line(w, r, w, h - r) + Line(w - r, h, r, h) + Line(0, h - r, 0, r) +
             Arc(w - r, r, r, 270, 360) + Arc(w - r, h - r, r, 0, 90) + Arc(r, h - r, r, 90, 180) + Arc(r, r, r, 180, 270) +
             Circle("100", "50", 10), plate},
        {"plate_bulges", BulgedPolyline({{r, 0, 0}, {w - r, 0, b}, {w, r, 0}, {w, h - r, b}, {w - r, h, 0}, {r, h, b}, {0, h - r, 0},
             {0, r, b}}) + Circle("100", "50", 10), plate},
        {"fit_spline", FitSpline(fits, true), 3600 * pi},
        {"ellipse", Groups{{0, "ELLIPSE"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "80"}, {21, "0"}, {40, "0.5"}, {41, "0"},
             {42, "6.283185307179586"}} + Circle("20", "0", 10), 3100 * pi},
    };
    // Its copy at (100, 100), and its area's scale.
    const auto copy = [](const std::string& block, double angle, double sx = 1, double sy = 1, const Groups& more = {}) {
        return TurnedInsert(block, 100, 100, angle, sx, sy, more);
    };
    const std::vector<std::tuple<std::string, Groups, double>> placings = {
        {"turned_1", copy("PART", 1), 1}, {"turned_45", copy("PART", 45), 1}, {"turned_200", copy("PART", 200), 1},
        {"mirrored_turned_30", copy("PART", 30, -1, 1), 1},
        {"extruded_along_minus_z_turned_15", copy("PART", 15, 1, 1, {{210, "0"}, {220, "0"}, {230, "-1"}}), 1},
        {"scaled_2_by_0.5_turned_30", copy("PART", 30, 2, 0.5), 1}, {"scaled_1.5_turned_110", copy("PART", 110, 1.5, 1.5), 2.25},
        {"in_a_block_turned_15_turned_30_scaled_0.8", copy("HOLDER", 30, 0.8, 0.8), 0.64},
    };
    std::vector<Part> parts;
    for (const auto& [shape, curves, area] : shapes)
        for (const auto& [placing, drawn, scale] : placings)
            parts.push_back({shape + "_" + placing, [&, &curves = curves, &drawn = drawn] {
                                 return dxftext::File({{"BLOCKS", Block("PART", curves) + Block("HOLDER", copy("PART", 15))},
                                                       {"ENTITIES", drawn}});
                             }, L"", area * scale});
    Expect(parts);
}

TEST_F(DxfWholePartTest, EveryLinetypeWithoutGapsIsCutAndDashedOnesAreNot)
{
    // The plate drawn in `linetype` (none: by layer) on layer 0 of the linetype `layer` (none: no group 6).
    const auto plate = [](const std::string& linetype, const std::string& layer, const Groups& dashes = {{73, "0"}}) {
        return [=] {
            const std::string name = linetype.empty() ? layer : linetype;
            Groups tables = Groups{{0, "TABLE"}, {2, "LTYPE"}, {0, "LTYPE"}, {2, name.empty() ? "UNUSED" : name}, {70, "0"}, {72, "65"}} + dashes +
                            Groups{{0, "ENDTAB"}, {0, "TABLE"}, {2, "LAYER"}, {0, "LAYER"}, {2, "0"}, {70, "0"}, {62, "7"}};
            if (!layer.empty())
                tables.emplace_back(6, layer);
            const Groups own = linetype.empty() ? Groups{} : Groups{{6, linetype}};
            return dxftext::File({{"TABLES", tables + Groups{{0, "ENDTAB"}}}, {"ENTITIES", Polyline(kOutline, true) + own + Hole() + own}});
        };
    };
    const Groups dashes{{73, "2"}, {40, "10"}, {49, "6"}, {49, "-4"}};
    const std::wstring notCut = L"нет замкнутого внешнего контура: нет кривых основной (сплошной) линии";
    std::vector<Part> parts;
    for (const char* name : {"SOLID", "Сплошная", "Solid line", "ISO_SOLID", "DASHED"})  // none with dash elements
        parts.push_back({std::string("linetype ") + name, plate(name, "CONTINUOUS"), L"", kPlate});
    parts.insert(parts.end(), {
        {"dash_without_gaps", plate("LONG", "CONTINUOUS", {{73, "1"}, {40, "10"}, {49, "10"}}), L"", kPlate},
        {"layer_without_a_linetype", plate("", ""), L"", kPlate},
        {"layer_of_a_solid_linetype", plate("", "Сплошная"), L"", kPlate},
        {"dashed", plate("MYDASH", "CONTINUOUS", dashes), notCut},
        {"layer_dashed", plate("", "MYDASH", dashes), notCut},
    });
    Expect(parts);
}

}  // namespace
