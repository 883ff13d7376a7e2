// A nested drawing (three sheets with parts of the repository's test data, a
// compound figure, bridges, remnants) and a linear-nesting drawing are
// exported and documented through the automation interfaces, and what they
// leave is checked independently: maps drawn to SVG and PNG, registers against
// Python's csv, DXF files loaded strictly by ezdxf with their closed outlines
// measured, the 3D document reopened; failures named while old files survive.
// NESTING_SCENARIO_OUT=<folder> keeps a copy of the outputs and pictures.
#include "io/io_fixture.h"

#include "api/INestingObjects.h"
#include "geometry/RingArea.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI_Detail.h"
#include "support/test_parts.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace iotest {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::vector<std::wstring>>;

constexpr char kPython[] = "/usr/bin/python3";

// `part` is among `areas` (each used once), within 0.01 mm².
bool TakeArea(std::vector<double>& areas, double part)
{
    const auto it = std::find_if(areas.begin(), areas.end(), [&](double a) { return std::fabs(a - part) < 1e-2; });
    if (it == areas.end())
        return false;
    areas.erase(it);
    return true;
}

std::vector<double> Areas(const nlohmann::json& file) { return file.value("areas", std::vector<double>{}); }

double RingArea(const std::vector<NPoint>& ring) { return std::fabs(SignedArea(ring)); }

class ScenarioTest : public IoTest {
protected:
    struct Placed {
        std::wstring name;
        std::vector<NPoint> ring;
        double x, y;
    };

    // The nested drawing: its sheets' and remnants' areas and each sheet's
    // figure areas and edge counts, as the checks expect them.
    struct Job {
        std::vector<double> sheetAreas;
        std::vector<std::vector<double>> figureAreas;  // per sheet
        std::vector<size_t> edges;                     // per sheet
        std::vector<double> wasteAreas;
    };

    Job BuildNestedDrawing()
    {
        Job job;
        const auto& parts = testparts::TestParts();
        const std::vector<NPoint> triangle = {{0, 0}, {100, 0}, {0, 60}};
        const std::vector<std::vector<Placed>> layout = {
            {{parts[0].name, parts[0].outline, 10, 10}, {parts[0].name, parts[0].outline, 90, 10},
             {parts[0].name, parts[0].outline, 170, 10}, {parts[1].name, parts[1].outline, 10, 80}},
            {{parts[2].name, parts[2].outline, 10, 20}, {parts[2].name, parts[2].outline, 80, 20},
             {parts[3].name, parts[3].outline, 150, 20}, {parts[3].name, parts[3].outline, 200, 20}},
            {{parts[1].name, parts[1].outline, 10, 40}, {parts[3].name, parts[3].outline, 90, 20}},
        };
        std::vector<SheetPtr> sheets;
        for (size_t s = 0; s < layout.size(); ++s) {
            SheetPtr sheet = AddSheet(L"Лист" + std::to_wstring(s + 1), 300.0, 200.0);
            sheets.push_back(sheet);
            job.sheetAreas.push_back(300.0 * 200.0);
            job.figureAreas.emplace_back();
            job.edges.push_back(0);
            for (const Placed& p : layout[s]) {
                AddPart(sheet, p.name, p.ring, p.x, p.y);
                job.figureAreas.back().push_back(RingArea(p.ring));
                job.edges.back() += p.ring.size();
            }
        }
        // A compound figure of two triangles on the first sheet.
        AddCompound(sheets[0], L"Косынка", 150, 75);
        job.figureAreas[0].push_back(RingArea(triangle));
        job.figureAreas[0].push_back(RingArea(triangle));
        job.edges[0] += 6;
        // Remnants: one on the first sheet, two of one name on the third.
        AddWaste(sheets[0], 200, 150, 90, 40);
        AddWaste(sheets[2], 160, 100, 120, 80);
        AddWaste(sheets[2], 10, 120, 60, 70);
        job.wasteAreas = {90 * 40, 120 * 80, 60 * 70};

        // Bridges: one point on a part's outline, two points from a part to the sheet's edge.
        sheets[0]->SetCurrentView();
        const FigurePtr first = model.m_figures.front();
        double px = first->m_rectBorder.pTop.x, py = first->m_rectBorder.pBot.y + 5.0;
        JumperPtr one = model.CreateJumper(0, 0, 6.0, BridgeType::Start, false);
        one->m_owner1 = model.CheckObjectForJumper(first->GetReference(), px, py, 10.0, NestingObjectType::Figure);
        EXPECT_TRUE(one->m_owner1);
        one->SetPoint1({px, py});
        one->UpdateGeometry();
        model.AddJumper(one, 0);
        sheets[1]->SetCurrentView();
        const FigurePtr cross = model.m_figures[6];
        JumperPtr two = model.CreateJumper(0, 0, 6.0, BridgeType::Double, false);
        two->m_owner1 = cross;
        two->m_owner2 = sheets[1];
        const double x = cross->m_rectBorder.pBot.x + 15.0;
        two->SetPoint1({x, cross->m_rectBorder.pBot.y});
        two->SetPoint2({x, sheets[1]->m_rect.pBot.y});
        model.AddJumper(two, 0);
        model.m_jumpers.clear();

        model.CreateFigureColouring();
        model.ArrangeSheets();
        model.CalculateNestingResult();
        model.UpdateResultTables(nullptr);
        // Two remnants named by hand alike.
        model.m_wastes[1]->m_macro->SetName(L"Остаток");
        model.m_wastes[2]->m_macro->SetName(L"Остаток");
        Store();
        return job;
    }

    // The library objects of the drawing as name and command; remnants
    // without their names, which the documentation renews as it starts.
    static std::multiset<std::pair<std::wstring, int>> LibraryObjects()
    {
        std::multiset<std::pair<std::wstring, int>> objects;
        for (const INestingMacroObjectPtr& macro : DrawingMacros()) {
            const bool remnant = macro->GetCommand() == MacroCommand::Waste;
            objects.insert({remnant ? std::wstring() : macro->GetName(), static_cast<int>(macro->GetCommand())});
        }
        return objects;
    }

    void Export(const fs::path& folder, int format, bool threeD)
    {
        ExportParams params;
        params.format = format;
        params.add3D = threeD;
        IExporterPtr exporter = CreateExporterInstance();
        exporter->SetParams(params);
        exporter->ExportToDXF(vrnApi::detail::TextOf(folder));
    }

    void Document(const fs::path& folder)
    {
        IReporterPtr reporter = CreateReporterInstance();
        reporter->Init();
        ReportParams params{true, true, vrnApi::detail::TextOf(folder), L"", 4, 0, true, true, true, true, true};
        reporter->SetParams(params);
        reporter->CreateDocumentation();
    }

    // Each register's table equals what Python's csv reads from its twin.
    void ExpectRegistersMatchTheirCsv(const fs::path& docs, const std::vector<std::pair<std::wstring, std::wstring>>& registers)
    {
        std::vector<fs::path> csvs;
        for (const auto& [name, title] : registers)
            csvs.push_back(docs / vrnApi::detail::PathOf(name + L".csv"));
        const nlohmann::json parsed = PythonCheck("csv", csvs);
        for (size_t i = 0; i < registers.size(); ++i) {
            SCOPED_TRACE(vlhost::Host::Utf8(registers[i].first));
            const TableFile table = ReadTableFile(docs / vrnApi::detail::PathOf(registers[i].first + L".vfw"));
            ASSERT_TRUE(table.read);
            EXPECT_EQ(table.title, registers[i].second);
            EXPECT_GT(table.cells.size(), 1u);
            EXPECT_EQ(PythonCsv(parsed[csvs[i].string()]), table.cells);
        }
    }

    // A picture of the drawing as SVG and, with rsvg-convert, PNG.
    static void Draw(const vlapi::IVarnelDocument2DPtr& drawing, const fs::path& svg)
    {
        fs::create_directories(svg.parent_path());
        EXPECT_TRUE(vlhost::Host::WriteSvg(drawing, svg));
        if (fs::exists("/usr/bin/rsvg-convert")) {
            const fs::path png = fs::path(svg).replace_extension(".png");
            const std::string command = "/usr/bin/rsvg-convert -o " + shellcommand::Quoted(png.string()) + " " + shellcommand::Quoted(svg.string());
            EXPECT_EQ(std::system(command.c_str()), 0) << command;
            EXPECT_GT(fs::file_size(png), 0u);
        }
    }

    // Pictures of the maps and part tables, for a person to look at; no
    // colourings. The bridges the maps carry.
    size_t DrawPictures(const fs::path& maps, const fs::path& pictures)
    {
        size_t bridges = 0;
        for (const auto& entry : fs::directory_iterator(maps)) {
            vlapi::IVarnelDocument2DPtr drawing(host->Open(entry.path(), false));
            EXPECT_TRUE(drawing) << entry.path();
            if (!drawing)
                continue;
            EXPECT_EQ(CountDeep(drawing, vlapi::vlDrColouring), 0u) << entry.path();
            // A map's bridges are plain content, as its parts are, named as in the drawing.
            for (const INestingMacroObjectPtr& macro : DrawingMacros())
                EXPECT_NE(macro->GetCommand(), MacroCommand::Bridge) << entry.path();
            std::vector<vlapi::IDrawingObjectPtr> macros;
            for (const vlapi::IViewPtr& view : Views(drawing))
                CountDeep(vlapi::IDrawingContainerPtr(view), vlapi::vlDrMacro, &macros);
            for (const vlapi::IDrawingObjectPtr& macro : macros)
                bridges += vlapi::IMacroObjectPtr(macro)->GetName().rfind(L"Мостик: ", 0) == 0 ? 1 : 0;
            Draw(drawing, pictures / (entry.path().stem().string() + ".svg"));
            drawing->Close(0);
            doc->Activate();
        }
        return bridges;
    }

    void Keep()
    {
        if (const char* keep = std::getenv("NESTING_SCENARIO_OUT")) {
            std::error_code ec;
            fs::remove_all(keep, ec);
            fs::copy(Out(), keep, fs::copy_options::recursive, ec);
        }
    }
};

TEST_F(ScenarioTest, NestedAndLinearDrawingsAreExportedAndDocumented)
{
    if (!fs::exists(kPython))
        GTEST_SKIP() << "no " << kPython;
    const Job job = BuildNestedDrawing();
    Draw(doc, Out() / "pictures" / "source.svg");
    const auto library = LibraryObjects();
    EXPECT_EQ(std::count_if(library.begin(), library.end(),
                            [](const auto& o) { return o.second == static_cast<int>(MacroCommand::Bridge); }),
              2);
    const fs::path exported = Out() / "export";
    const fs::path converter = host->Folder(vlapi::vlApplications) / "ImpExp" / "dxfExport.vcl";

    // Without its converter the export names it, writes no DXF and tells no success.
    const fs::path built = fs::read_symlink(converter);
    fs::remove(converter);
    Export(exported, 0, false);
    EXPECT_TRUE(ShownWithin(L"dxfExport.vcl", vlapi::vlMBIconError));
    EXPECT_FALSE(Shown(vrnApi::LoadStr(IDS_MESS_SUCCESS_EXPORT)));
    EXPECT_FALSE(fs::exists(exported / "card.dxf"));
    EXPECT_TRUE(fs::exists(exported / "Лист1.vfw"));
    fs::create_symlink(built, converter);

    // The whole export.
    Messages().clear();
    Export(exported, 0, true);
    EXPECT_TRUE(Shown(vrnApi::LoadStr(IDS_MESS_SUCCESS_EXPORT))) << vlhost::Host::Utf8(Messages().front().text);
    EXPECT_TRUE(fs::exists(exported / "waste.vfw") && fs::exists(exported / "waste_2.vfw"));

    // DXF: strict load, nothing for the audit to mend, the outlines' areas those of the drawing.
    std::vector<fs::path> dxfs = {exported / "card.dxf"};
    for (int s = 1; s <= 3; ++s)
        dxfs.push_back(exported / ("Лист" + std::to_string(s) + ".dxf"));
    std::vector<fs::path> wasteDxfs;
    for (const auto& entry : fs::directory_iterator(exported)) {
        if (entry.path().filename().string().rfind("waste", 0) == 0 && entry.path().extension() == ".dxf")
            wasteDxfs.push_back(entry.path());
    }
    ASSERT_EQ(wasteDxfs.size(), 3u);
    dxfs.insert(dxfs.end(), wasteDxfs.begin(), wasteDxfs.end());
    const nlohmann::json dxf = PythonCheck("dxf", dxfs);
    for (const fs::path& file : dxfs) {
        ASSERT_TRUE(dxf[file.string()].contains("errors")) << dxf[file.string()].dump();
        EXPECT_EQ(dxf[file.string()]["errors"].get<int>(), 0) << file;
        EXPECT_EQ(dxf[file.string()]["fixes"].get<int>(), 0) << file;
    }
    std::vector<double> card = Areas(dxf[dxfs[0].string()]);
    for (size_t s = 0; s < 3; ++s) {
        SCOPED_TRACE(s);
        std::vector<double> sheet = Areas(dxf[dxfs[s + 1].string()]);
        EXPECT_TRUE(TakeArea(sheet, job.sheetAreas[s]));
        EXPECT_TRUE(TakeArea(card, job.sheetAreas[s]));
        for (double area : job.figureAreas[s]) {
            EXPECT_TRUE(TakeArea(sheet, area)) << area;
            EXPECT_TRUE(TakeArea(card, area)) << area;
        }
        EXPECT_TRUE(sheet.empty()) << sheet.size() << " outlines more than the sheet and its parts";
    }
    std::vector<double> wastes;
    for (const fs::path& file : wasteDxfs) {
        const std::vector<double> areas = Areas(dxf[file.string()]);
        ASSERT_EQ(areas.size(), 1u) << file;
        wastes.push_back(areas.front());
    }
    for (double area : job.wasteAreas) {
        EXPECT_TRUE(TakeArea(wastes, area)) << area;
        EXPECT_TRUE(TakeArea(card, area)) << area;
    }

    // The 3D document: one sketch per sheet, holding that sheet's outlines.
    std::vector<std::pair<std::wstring, size_t>> sketches;
    for (size_t n = 0; n < job.edges.size(); ++n)
        sketches.emplace_back(L"Sheet" + std::to_wstring(n + 1), job.edges[n]);
    EXPECT_EQ(SketchLines(*host, exported / "sheets.v3d"), sketches);

    // A save made to fail is named, never told as success, and the old file survives.
    const std::string old = Bytes(exported / "Лист1.vfw");
    Messages().clear();
    {
        vlhost::FailureScope noSave("IVarnelDocument::SaveAs");
        Export(exported, 2, false);
    }
    EXPECT_TRUE(ShownWithin(L"Лист1.vfw: не удалось сохранить документ", vlapi::vlMBIconError));
    EXPECT_FALSE(Shown(vrnApi::LoadStr(IDS_MESS_SUCCESS_EXPORT)));
    EXPECT_TRUE(Bytes(exported / "Лист1.vfw") == old);
    // ... once: not again as a file an earlier export left.
    EXPECT_FALSE(ShownWithin(L"Лист1.vfw", vlapi::vlMBIconWarning));
    // Outlines the drawing does not give leave a sheet's and a remnant's files
    // unwritten, and say so: a sheet with parts is never passed over as empty.
    Messages().clear();
    {
        vlhost::FailureScope noGroups("IDrawingGroups::Add");
        Export(exported, 2, true);
    }
    EXPECT_TRUE(ShownWithin(L"Лист1.vfw: не удалось получить контуры из чертежа", vlapi::vlMBIconError));
    EXPECT_TRUE(ShownWithin(L"sheets.v3d: не удалось получить контуры из чертежа", vlapi::vlMBIconError));
    EXPECT_FALSE(Shown(vrnApi::LoadStr(IDS_MESS_SUCCESS_EXPORT)));
    EXPECT_TRUE(Bytes(exported / "Лист1.vfw") == old);
    // ... and so is a file open in the host.
    vlapi::IVarnelDocumentPtr open = host->Open(exported / "Лист3.vfw", false);
    doc->Activate();
    Export(exported, 2, false);
    EXPECT_TRUE(ShownWithin(L"Лист3.vfw: файл открыт в программе", vlapi::vlMBIconError));
    open->Close(0);
    doc->Activate();

    // The documentation.
    const fs::path documented = Out() / "documentation";
    Messages().clear();
    Document(documented);
    EXPECT_TRUE(Messages().empty()) << vlhost::Host::Utf8(Messages().front().text);
    ExpectRegistersMatchTheirCsv(documented / "Документация",
                                 {{L"Ведомость карт раскроя", L"Ведомость карт раскроя"},
                                  {L"Ведомость деталей", L"Ведомость вхождения деталей в карты раскроя"},
                                  {L"Ведомость материалов", L"Сводная ведомость материалов"},
                                  {L"Ведомость делового отхода", L"Ведомость делового отхода"}});
    EXPECT_EQ(DrawPictures(documented / "Карты раскроя", Out() / "pictures"), 2u);

    // Afterwards: no hidden document, the source active and unchanged, user access on.
    ExpectCleanHost({exported, documented / "Документация", documented / "Карты раскроя"});
    EXPECT_EQ(LibraryObjects(), library);

    // The linear-nesting drawing: bars and their details.
    doc->Close(0);
    doc = NewDrawing();
    model.m_nestingMethod = 1;
    const std::pair<double, std::vector<double>> bars[] = {{6000.0, {1500, 1500, 1500, 1200}}, {3000.0, {1000, 700, 1000}}};
    for (size_t b = 0; b < 2; ++b) {
        SheetPtr bar = AddSheet(L"Пруток" + std::to_wstring(b + 1), bars[b].first, 40.0, 2.0);
        double x = 0.0;
        for (double length : bars[b].second) {
            AddRectPart(bar, L"Деталь " + std::to_wstring(static_cast<int>(length)), length, 40.0, x, 0.0);
            x += length;
        }
    }
    Store();
    const fs::path linear = Out() / "linear";
    Document(linear);
    Export(linear / "export", 0, false);
    ExpectRegistersMatchTheirCsv(linear / "Документация", {{L"Ведомость линейного раскроя", L"Ведомость линейного раскроя"}});
    const TableFile cuts = ReadTableFile(linear / "Документация" / "Ведомость линейного раскроя.vfw");
    ASSERT_EQ(cuts.cells.size(), 5u);
    EXPECT_EQ(cuts.cells[3][6], L"2");  // the equal details of the second bar, counted together
    ExpectCleanHost({linear, linear / "export"});
    Keep();
}

}  // namespace
}  // namespace iotest
