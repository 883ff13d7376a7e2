// A whole job through the automation interfaces on the stand-in host, checked
// independently on the drawing it leaves: parts come in from fragment files,
// are nested by the optimiser, get remnants and bridges, and the reopened
// drawing is measured with CGAL.
#include "api/api_fixture.h"

#include "support/cgal_areas.h"

#include <cstdlib>
#include <map>

namespace apitest {
namespace {

struct Drawn {
    int view = -1;
    areas::Region region;
};

// The library objects of the active drawing by kind, as their macros hold them.
std::map<MacroCommand, std::vector<Drawn>> ReadDrawing()
{
    std::map<MacroCommand, std::vector<Drawn>> drawn;
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    for (const INestingMacroObjectPtr& macro : macros) {
        Drawn object{macro->GetMacroViewNumber(), {}};
        std::vector<NPolygonPtr> borders;
        macro->InitBordersFromMacro(borders);
        for (const NPolygonPtr& ring : borders)
            object.region.push_back(ring->m_points);
        drawn[macro->GetCommand()].push_back(std::move(object));
    }
    return drawn;
}

// A free point near the sheet's upper right corner.
NPoint UpperRight(const NRect& sheet) { return {sheet.pTop.x - 3.0, sheet.pTop.y - 3.0}; }

// The figure of the sheet's view standing lowest, from the `skip`-th on.
INObjectPtr LowestFigureOf(const std::vector<INObjectPtr>& figures, int view, size_t skip)
{
    std::vector<std::pair<double, INObjectPtr>> onSheet;
    for (const INObjectPtr& figure : figures) {
        NRect box;
        figure->GetGabarit(box);
        if (figure->GetView() == view)
            onSheet.emplace_back(box.pBot.y + box.pBot.x * 1e-6, figure);
    }
    std::stable_sort(onSheet.begin(), onSheet.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return skip < onSheet.size() ? onSheet[skip].second : INObjectPtr();
}

using ScenarioTest = ApiTest;

}  // namespace

TEST_F(ScenarioTest, PartsAreNestedGetRemnantsAndBridgesAndTheDrawingChecksOut)
{
    const std::wstring drawing = File("job.vdw");
    size_t parts = 0;

    // Source data: sheets and figures with their counts, stored in the drawing.
    {
        INestingModelPtr model = CreateNestingModelInstance();
        model->SetWidthSheet(260.0);
        model->SetHeightSheet(160.0);
        model->SetThicknessSheet(2.0);
        model->SetMaterialSheet(L"Ст3");
        ASSERT_TRUE(model->AddSheet());
        ASSERT_TRUE(model->AddSheet());
        for (const Part& part : TestParts()) {
            IFigurePtr figure = model->AddFigure(FragmentFile(part));
            ASSERT_TRUE(figure);
            EXPECT_EQ(figure->GetCount(), part.count);
            EXPECT_EQ(figure->GetMaterial(), part.material);
            parts += static_cast<size_t>(part.count);
        }
        EXPECT_EQ(model->GetFiguresCount(), parts);
        EXPECT_EQ(model->GetSheetsCount(), 2u);
        // The source-data command's steps after loading, then its confirmation.
        model->MoveFiguresToSysView();
        model->DestroyCompoundFigures();
        model->SetAllFiguresInSourcePlacement();
        model->InitFigurePolygons();
        model->RotateAllFiguresToMinGabarit();
        model->UpdateFiguresScale();
        model->ArrangeFiguresInContainer(true, false);
        model->SaveSession();
        std::vector<INObjectPtr> figures;
        model->GetFigureObjects(figures);
        for (const INObjectPtr& figure : figures)
            figure->SaveParams();
        model->SaveParams();
        model->CheckIntersectAllFigures();
        model->UpdateResultTables();
        model->WriteToConfig();
        const size_t macros = DrawingMacros().size();
        model = nullptr;
        EXPECT_EQ(DrawingMacros().size(), macros) << "a dropped model deletes nothing";
    }

    // Placement.
    NestingResult result;
    {
        IOptimizerPtr optimizer = CreateOptimizerInstance();
        optimizer->Init();
        optimizer->RunOptimization(OptimizationParams{1, RotationType::Rotation90, true});
        result = optimizer->GetResult();
        EXPECT_GE(optimizer->GetTime(), 0);
    }
    ASSERT_FALSE(result.sheet_results.empty());

    // Remnants, bridges and results on a model read from the drawing.
    size_t wastes = 0;
    {
        INestingModelPtr model = CreateNestingModelInstance();
        model->InitSheetsFromActiveDoc();
        model->InitFiguresFromActiveDoc();
        model->InitWastesFromActiveDoc();
        model->InitJumpersFromActiveDoc();
        model->ReadFromConfig();
        ASSERT_EQ(model->GetSheetsCount(), result.sheet_results.size());
        ASSERT_EQ(model->GetFiguresCount(), parts);

        model->SetWasteMethod(true);
        model->CalculateWastes();
        wastes = model->GetWastesCount();
        EXPECT_GT(wastes, 0u);

        std::vector<INObjectPtr> sheets;
        std::vector<INObjectPtr> figures;
        model->GetSheetObjects(sheets);
        model->GetFigureObjects(figures);
        NRect sheetBox;
        sheets.back()->GetGabarit(sheetBox);
        sheets.back()->SetCurrentView();
        model->SetWasteMethod(false);
        const NPoint free = UpperRight(sheetBox);
        IWastePtr manual = model->CreateWaste(free.x, free.y);
        ASSERT_TRUE(manual);
        EXPECT_FALSE(manual->GetMethod());
        model->AddWaste(manual);
        ++wastes;

        const int view = sheets.front()->GetView();
        sheets.front()->SetCurrentView();
        const double width = 6.0;

        // Two points: from the lowest figure down to the sheet's edge.
        INObjectPtr lowest = LowestFigureOf(figures, view, 0);
        ASSERT_TRUE(lowest);
        NRect box;
        lowest->GetGabarit(box);
        double x1 = (box.pBot.x + box.pTop.x) / 2, y1 = box.pBot.y;
        IJumperPtr two = model->CreateJumper(0, 0, width, BridgeType::Double, false);
        two->SetOwner1(model->CheckObjectForJumperOwner(lowest->GetReference(), x1, y1, 40.0, NestingObjectType::Figure));
        two->SetPoint1(x1, y1);
        double x2 = x1, y2 = y1 - 2.0;
        INObjectPtr sheet = model->CheckObjectForJumperOwner(sheets.front()->GetReference(), x2, y2, 40.0,
                                                             NestingObjectType::Sheet);
        ASSERT_TRUE(sheet);
        two->SetOwner2(sheet);
        two->SetPoint2(x2, y2);
        model->AddJumper(two, 0);

        // One point: on the next figure's outline.
        INObjectPtr next = LowestFigureOf(figures, view, 1);
        ASSERT_TRUE(next);
        next->GetGabarit(box);
        double x = box.pTop.x, y = (box.pBot.y + box.pTop.y) / 2;
        IJumperPtr one = model->CreateJumper(0, 0, width, BridgeType::Start, false);
        INObjectPtr owner = model->CheckObjectForJumperOwner(next->GetReference(), x, y, 40.0, NestingObjectType::Figure);
        ASSERT_TRUE(owner);
        one->SetOwner1(owner);
        one->SetPoint1(x, y);
        model->AddJumper(one, 0);
        EXPECT_EQ(model->GetJumpersCount(), 2u);

        model->UpdateResultTables();
        model->SaveParams();
        ASSERT_TRUE(doc->SaveAs(drawing));
    }

    // The reopened drawing, measured on its own.
    doc->Close(0);
    doc = vlapi::IVarnelDocument2DPtr(host->Open(drawing));
    ASSERT_TRUE(doc);
    auto drawn = ReadDrawing();
    const std::vector<Drawn>& sheets = drawn[MacroCommand::Sheet];
    const std::vector<Drawn>& figures = drawn[MacroCommand::Figure];
    const std::vector<Drawn>& remnants = drawn[MacroCommand::Waste];
    ASSERT_EQ(sheets.size(), result.sheet_results.size());
    ASSERT_EQ(figures.size(), parts);
    EXPECT_EQ(remnants.size(), wastes);
    EXPECT_EQ(drawn[MacroCommand::Bridge].size(), 2u);
    // No operation of the run leaves a stored group it no longer needs.
    const vlapi::IDrawingGroupsPtr groups = doc->GetDrawingGroups();
    ASSERT_TRUE(groups);
    for (int i = 0; i < groups->GetCount(); ++i)
        EXPECT_FALSE(groups->GetItem(i)->GetObjects({vlapi::vlAllObj}).empty()) << "empty stored group " << i;

    const double tol = 1e-6;
    double kimArea = 0.0;
    double kimSheets = 0.0;
    for (size_t k = 0; k < sheets.size(); ++k) {
        const Drawn& sheet = sheets[k];
        double figuresArea = 0.0;
        for (const Drawn& figure : figures)
            if (figure.view == sheet.view)
                figuresArea += areas::Area(figure.region);
        EXPECT_NEAR(result.sheet_results[k].sheetArea, areas::Area(sheet.region), 1e-3) << k;
        EXPECT_NEAR(result.sheet_results[k].figuresArea, figuresArea, 1e-3) << k;
        kimArea += figuresArea;
        kimSheets += areas::Area(sheet.region);
    }
    for (size_t i = 0; i < figures.size(); ++i) {
        const auto home = std::find_if(sheets.begin(), sheets.end(),
                                       [&](const Drawn& s) { return s.view == figures[i].view; });
        ASSERT_NE(home, sheets.end()) << "figure " << i << " lies on no sheet";
        EXPECT_LT(areas::OutsideArea(figures[i].region, home->region), tol) << i;
        for (size_t j = i + 1; j < figures.size(); ++j) {
            if (figures[j].view == figures[i].view) {
                EXPECT_LT(areas::OverlapArea(figures[i].region, figures[j].region), tol) << i << " " << j;
            }
        }
        for (const Drawn& remnant : remnants) {
            if (remnant.view == figures[i].view) {
                EXPECT_LT(areas::OverlapArea(figures[i].region, remnant.region), tol) << i;
            }
        }
    }
    EXPECT_GT(kimArea / kimSheets, 0.0);

    const std::filesystem::path svg = root / "job.svg";
    ASSERT_TRUE(vlhost::Host::WriteSvg(doc, svg));
    if (const char* keep = std::getenv("NESTING_SCENARIO_SVG"))
        std::filesystem::copy_file(svg, keep, std::filesystem::copy_options::overwrite_existing);

    // Placed again, the parts leave no remnant standing: the run says how
    // many it deleted, the one built by hand apart; the bridges stay.
    const size_t shown = host->State().messages.size();
    IOptimizerPtr again = CreateOptimizerInstance();
    again->Init();
    again->RunOptimization(OptimizationParams{1, RotationType::Rotation90, true});
    EXPECT_EQ(MacrosOf(MacroCommand::Waste), 0u);
    EXPECT_EQ(MacrosOf(MacroCommand::Bridge), 2u);
    ASSERT_EQ(host->State().messages.size(), shown + 1);
    EXPECT_EQ(host->State().messages.back().text,
              L"Удалены деловые отходы прежнего раскроя — " + std::to_wstring(wastes) +
                  L" шт. (из них построены вручную по точке — 1 шт.): постройте их заново для нового раскроя");
}

}  // namespace apitest
