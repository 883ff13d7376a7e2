// The automation model and optimiser at work: the factories' defaults, and
// the places where callers and the model read the contract differently.
#include "api/api_fixture.h"

#include "api/NestingAPIObjects.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI_Detail.h"
#include "io/SheetFile.h"
#include "support/dxf_text.h"

#include <array>
#include <fstream>
#include <functional>
#include <optional>
#include <set>

namespace apitest {
namespace {

class ModelApiTest : public ApiTest {
protected:
    std::filesystem::path ConfigFile() const
    {
        return NestingSetting::ConfigFile(host->Folder(vlapi::vlConfigurations));
    }
    void WriteConfig(const std::string& body) const
    {
        std::filesystem::create_directories(ConfigFile().parent_path());
        std::ofstream(ConfigFile()) << "<?xml version=\"1.0\"?>\n<config_version value=\"23.0\"/>\n" << body;
    }
    size_t InformMessages(int id) const
    {
        size_t n = 0;
        for (const vlhost::RecordedMessage& m : host->State().messages)
            n += m.text == vrnApi::LoadStr(id) ? 1 : 0;
        return n;
    }
    // A new model with one sheet of the size given, `before` set ahead of the sheet.
    static INestingModelPtr ModelWithSheet(double width, double height,
                                           const std::function<void(INestingModel&)>& before = {})
    {
        INestingModelPtr model = CreateNestingModelInstance();
        model->SetWidthSheet(width);
        model->SetHeightSheet(height);
        if (before)
            before(*model.get());
        model->AddSheet();
        return model;
    }
    // The optimiser run once on the active drawing's job, and its result.
    static NestingResult Optimise(const OptimizationParams& params)
    {
        IOptimizerPtr optimizer = CreateOptimizerInstance();
        optimizer->Init();
        optimizer->RunOptimization(params);
        return optimizer->GetResult();
    }
    // A new model of the active drawing's sheets and figures.
    static INestingModelPtr ReadBack()
    {
        INestingModelPtr model = CreateNestingModelInstance();
        model->InitSheetsFromActiveDoc();
        model->InitFiguresFromActiveDoc();
        return model;
    }
    static void ClearAll(INestingModel& m)
    {
        m.ClearWastes();
        m.ClearJumpers();
        m.ClearFigures();
        m.ClearSheets();
    }
};

void ExpectPoint(const NPoint& p, double x, double y)
{
    EXPECT_NEAR(p.x, x, 1e-6);
    EXPECT_NEAR(p.y, y, 1e-6);
}

}  // namespace

TEST_F(ModelApiTest, NewModelsStartFromTheDefaultsAndTheLastSession)
{
    INestingModelPtr model = CreateNestingModelInstance();
    ASSERT_TRUE(model);
    EXPECT_EQ(model->GetBridgesWidth(), 30.0);
    EXPECT_EQ(model->GetBridgesLength(), 100.0);
    EXPECT_EQ(model->GetTolerance(), 2.5);
    EXPECT_EQ(model->GetSheetFormat(), 4);
    EXPECT_FALSE(model->GetSheetOrient());
    const SheetSchemeParams* scheme = model->GetSchemeParams();
    EXPECT_TRUE(scheme->withoutLayout);
    EXPECT_EQ(scheme->sheetScheme, 1);
    EXPECT_EQ(scheme->countColumns, 3);
    EXPECT_EQ(model->GetFiguresCount() + model->GetSheetsCount() + model->GetJumpersCount() +
                  model->GetWastesCount(), 0u);
    EXPECT_EQ(model->GetFigureGap(), ModelParams().m_figureGap);

    // The session copy carries the model parameters, not the configuration
    // values (the sheet pattern among them), which the configuration file carries.
    model->SetFigureGap(7.0);
    model->SetSheetPattern(L"Лист ");
    model->SetBridgesWidth(12.0);
    EXPECT_EQ(CreateNestingModelInstance()->GetFigureGap(), ModelParams().m_figureGap);
    model->SaveSession();
    INestingModelPtr next = CreateNestingModelInstance();
    EXPECT_EQ(next->GetFigureGap(), 7.0);
    EXPECT_EQ(next->GetSheetPattern(), L"");
    EXPECT_EQ(next->GetBridgesWidth(), 30.0);

    model->WriteToConfig();
    next->ReadFromConfig();
    EXPECT_EQ(next->GetSheetPattern(), L"Лист ");
    EXPECT_EQ(next->GetBridgesWidth(), 12.0);
}

// A "Bridges" section without "max_width" reads 0; only a missing section
// or file keeps the start-up 30.
TEST_F(ModelApiTest, BridgeWidthComesFromTheConfigurationAsItStands)
{
    const struct {
        const char* file;
        double width;
    } cases[] = {
        {nullptr, 30.0},
        {"<Precision><item name=\"tolerance\" value=\"1\"/></Precision>", 30.0},
        {"<Bridges><item name=\"max_length\" value=\"80\"/></Bridges>", 30.0},
        {"<Bridges><item name=\"max_width\" value=\"0\"/></Bridges>", 30.0},
        {"<Bridges><item name=\"max_width\" value=\"44\"/></Bridges>", 44.0},
    };
    for (const auto& c : cases) {
        NestingSetting::m_instance = NestingSetting();
        std::filesystem::remove(ConfigFile());
        if (c.file)
            WriteConfig(c.file);
        INestingModelPtr model = CreateNestingModelInstance();
        model->ReadFromConfig();
        EXPECT_EQ(model->GetBridgesWidth(), c.width) << (c.file ? c.file : "no file");
    }
}

TEST_F(ModelApiTest, NewOptimiserPlacesASmallJobWithoutTurningAndTimesInMilliseconds)
{
    INestingModelPtr model = ModelWithSheet(300.0, 200.0);
    model->AddFigure(FragmentFile("part.vfr", Rectangle(0, 0, 80, 30), 3));
    model->ArrangeFiguresInContainer(true, false);
    model->SaveParams();
    model = nullptr;

    IOptimizerPtr optimizer = CreateOptimizerInstance();
    EXPECT_EQ(optimizer->GetTime(), 0);
    EXPECT_TRUE(optimizer->GetResult().sheet_results.empty());
    optimizer->Init();
    EXPECT_FALSE(optimizer->GetNestingMethod());
    EXPECT_FALSE(optimizer->GetMaterialOrient());
    // A method or a turn that does not exist runs nothing.
    optimizer->RunOptimization(OptimizationParams{7, RotationType::WithoutRotation, true});
    optimizer->RunOptimization(OptimizationParams{1, static_cast<RotationType>(9), true});
    optimizer->RunOptimization(OptimizationParams{1, static_cast<RotationType>(-1), true});
    EXPECT_TRUE(optimizer->GetResult().sheet_results.empty());
    EXPECT_EQ(optimizer->GetTime(), 0);
    optimizer->RunOptimization(OptimizationParams{});
    const NestingResult result = optimizer->GetResult();
    ASSERT_EQ(result.sheet_results.size(), 1u);
    EXPECT_NEAR(result.sheet_results[0].figuresArea, 3 * 80 * 30, 1e-3);

    INestingModelPtr check = ReadBack();
    std::vector<INObjectPtr> figures;
    check->GetFigureObjects(figures);
    ASSERT_EQ(figures.size(), 3u);
    for (const INObjectPtr& figure : figures) {
        NRect box;
        figure->GetGabarit(box);
        EXPECT_NEAR(box.pTop.x - box.pBot.x, 80 + check->GetFigureGap(), 1e-3) << "not turned";
    }

    auto* impl = static_cast<NAPIOptimizer*>(optimizer.get());
    impl->Optimizer().m_dt = 1234567;  // microseconds
    EXPECT_EQ(optimizer->GetTime(), 1234);
}

// Figures stored before their gap polygons were built are placed all the same;
// so are right triangles, which the new gap's rebuild joins into compound
// figures (new figures of the model) before the placement.
TEST_F(ModelApiTest, OptimiserPlacesFiguresStoredWithoutGapPolygons)
{
    struct Case {
        const char* name;
        double gap;
        bool saveFigure;  // the first figure saved straight after it was added
        std::vector<NPoint> outline;
        double area;
    };
    for (const Case& c : {Case{"saved at once", 5.0, true, Rectangle(0, 0, 80, 30), 80 * 30},
                          Case{"gap 0, never saved", 0.0, false, Rectangle(0, 0, 80, 30), 80 * 30},
                          Case{"triangles joined", 5.0, false, {{0, 0}, {80, 0}, {0, 60}}, 80 * 60 / 2}}) {
        SCOPED_TRACE(c.name);
        INestingModelPtr model = ModelWithSheet(300.0, 200.0, [&](INestingModel& m) {
            m.SetFigureGap(c.gap);
            m.WriteToConfig();
        });
        IFigurePtr figure = model->AddFigure(FragmentFile("part.vfr", c.outline, 4));
        ASSERT_TRUE(figure);
        if (c.saveFigure)
            figure->SaveParams();
        model->SaveParams();
        model = nullptr;
        const NestingResult result = Optimise(OptimizationParams{});
        ASSERT_EQ(result.sheet_results.size(), 1u);
        EXPECT_NEAR(result.sheet_results[0].figuresArea, 4 * c.area, 1e-3);
        NewDrawing();
    }
}

// What the optimisation command refuses, an automation caller's run refuses
// too, and says so: a drawing of linear nesting, parts of two thicknesses for
// a sheet of none; a turn across the rolling direction is not made.
TEST_F(ModelApiTest, TheRunRefusesWhatTheCommandRefusesOnEveryRoute)
{
    struct Case {
        const char* name;
        std::function<void(INestingModel&)> job;
        RotationType rotation;
        const wchar_t* said;
    } cases[] = {
        {"linear nesting", [](INestingModel& m) { m.SetNestingMethod(1); }, RotationType::WithoutRotation,
         L"Команда доступна только для фигурного раскроя"},
        {"two thicknesses, none for the sheet",
         [this](INestingModel& m) { m.AddFigure(FragmentFile("thin.vfr", Rectangle(0, 0, 40, 30), 1, 3.0))->SaveParams(); },
         RotationType::WithoutRotation, L"Оптимизация не выполнена: детали разной толщины (2, 3 мм)"},
        {"a quarter turn of oriented material", [](INestingModel& m) { m.SetCheckOrient(true); },
         RotationType::Rotation90,
         L"Учитывается направление проката: детали поворачиваются только на 180°, поворот «90» не выполняется"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NewDrawing();
        {
            // A part that fits the sheet only turned by a quarter.
            INestingModelPtr model = ModelWithSheet(300.0, 200.0);
            model->AddFigure(FragmentFile("tall.vfr", Rectangle(0, 0, 30, 250), 1, 2.0))->SaveParams();
            c.job(*model.get());
            model->SaveParams();
        }
        const size_t shown = Messages().size();
        const NestingResult result = Optimise(OptimizationParams{1, c.rotation, false});
        ASSERT_GT(Messages().size(), shown) << "said first";
        EXPECT_EQ(Messages()[shown].text.rfind(c.said, 0), 0u) << vlhost::Host::Utf8(Messages()[shown].text);
        const double placed = result.sheet_results.empty() ? 0.0 : result.sheet_results[0].figuresArea;
        EXPECT_EQ(placed, 0.0) << "nothing placed";
    }
}

// The reporter starts with no folder; the exporter writes the map and the
// remnants of a sheet a part is cut from as fragments and DXF, and no 3D
// document.
TEST_F(ModelApiTest, ReporterAndExporterStartFromTheirDefaults)
{
    // The part placed on the sheet (a sheet nothing is cut from has nothing to
    // export) and a remnant built beside it.
    {
        Job job = MakeJob();
        job.model->ClearWastes();
        job.model->SaveParams();
    }
    Optimise(OptimizationParams{1, RotationType::WithoutRotation, false});
    {
        INestingModelPtr model = ReadBack();
        model->SetWasteMethod(true);
        model->CalculateWastes();
        ASSERT_GT(model->GetWastesCount(), 0u);
    }
    IReporterPtr reporter = CreateReporterInstance();
    reporter->Init();
    reporter->CreateDocumentation();
    EXPECT_EQ(InformMessages(IDS_MESS_PUT_EXPORT_FOLDER), 1u);

    const std::filesystem::path out = root / "export";
    IExporterPtr exporter = CreateExporterInstance();
    exporter->ExportToDXF(vrnApi::detail::TextOf(out));
    std::set<std::string> extensions;
    for (const auto& entry : std::filesystem::directory_iterator(out))
        extensions.insert(entry.path().extension().string());
    EXPECT_EQ(extensions, (std::set<std::string>{".dxf", ".vfw"}));
    EXPECT_TRUE(std::filesystem::exists(out / "card.dxf"));
    EXPECT_EQ(InformMessages(IDS_MESS_SUCCESS_EXPORT_CARD), 1u);
    EXPECT_EQ(InformMessages(IDS_MESS_SUCCESS_EXPORT_WASTES), 1u);
}

// A part that stands on a remnant (put there where the library did not see
// it) takes that stock: the export writes no file of the remnant and the
// documentation no row of it, and each says so.
TEST_F(ModelApiTest, ARemnantAPartStandsOnIsNeitherExportedNorRegistered)
{
    Job job = MakeJob();
    NRect box;
    job.sheet->GetGabarit(box);
    job.figure->ChangeView(job.sheet->GetView());
    ASSERT_EQ(job.figure->SetPlacement((box.pBot.x + box.pTop.x) / 2, (box.pBot.y + box.pTop.y) / 2, 0.0), NResult::Done);
    job.model->SaveParams();
    const std::wstring remnant = job.waste->GetName();
    job = Job{};
    const std::filesystem::path out = root / "export";
    IExporterPtr exporter = CreateExporterInstance();
    exporter->ExportToDXF(vrnApi::detail::TextOf(out));
    for (const auto& entry : std::filesystem::directory_iterator(out))
        EXPECT_NE(entry.path().filename().string().rfind("waste", 0), 0u) << entry.path();
    ASSERT_FALSE(Messages().empty());
    const auto told = [&](const wchar_t* what) {
        return std::any_of(Messages().begin(), Messages().end(), [&](const vlhost::RecordedMessage& m) {
            return m.text.find(what) != std::wstring::npos && m.text.find(remnant) != std::wstring::npos;
        });
    };
    EXPECT_TRUE(told(L"не экспортированы"));

    IReporterPtr reporter = CreateReporterInstance();
    reporter->Init();
    ReportParams params;
    params.folder = vrnApi::detail::TextOf(root / "docs") + L"/";
    params.addTableWastes = true;
    reporter->SetParams(params);
    reporter->CreateDocumentation();
    EXPECT_TRUE(told(L"в ведомости не вошли"));
}

// Groups of equal name, thickness within 1e-4 and material, in model order.
TEST_F(ModelApiTest, FigureTreeGroupsEqualFiguresInModelOrder)
{
    INestingModelPtr model = CreateNestingModelInstance();
    const struct {
        const char* folder;
        const char* file;
        double thickness;
    } parts[] = {{"1", "A.vfr", 2.0}, {"2", "B.vfr", 2.0}, {"3", "A.vfr", 2.00005}, {"4", "A.vfr", 2.001}};
    for (const auto& p : parts) {
        std::filesystem::create_directories(root / p.folder);
        IFigurePtr figure = model->AddFigure(FragmentFile(std::string(p.folder) + "/" + p.file, Rectangle(0, 0, 10, 10)));
        ASSERT_TRUE(figure);
        figure->SetThickness(p.thickness);
    }
    IFiguresTree tree;
    model->GetFigureObjectsTree(tree);
    std::vector<std::vector<double>> thicknesses;
    for (const auto& group : tree) {
        thicknesses.emplace_back();
        for (const IFigurePtr& figure : group) {
            ASSERT_TRUE(figure);
            thicknesses.back().push_back(figure->GetThickness());
        }
    }
    EXPECT_EQ(thicknesses, (std::vector<std::vector<double>>{{2.0, 2.00005}, {2.0}, {2.001}}));
    EXPECT_EQ(tree[0][0]->GetName(), tree[0][1]->GetName());
    EXPECT_NE(tree[0][0]->GetName(), tree[1][0]->GetName());
}

// The automation model joins compounds whatever the triangles flag says; the
// model itself keeps mirror images apart unless their flag is on.
TEST_F(ModelApiTest, CompoundFiguresAreBuiltWithoutTestingTheUnitingFlag)
{
    const std::vector<NPoint> triangle = {{0, 0}, {40, 0}, {0, 30}};
    const std::vector<NPoint> mirrored = {{0, 0}, {40, 0}, {40, 30}};
    const struct {
        std::vector<NPoint> second;
        bool mirrors;
        size_t figures;
    } cases[] = {{triangle, false, 1}, {mirrored, false, 2}, {mirrored, true, 1}};
    int n = 0;
    for (const auto& c : cases) {
        INestingModelPtr model = CreateNestingModelInstance();
        model->SetUniteFigures(false);
        model->SetUniteMirrors(c.mirrors);
        model->AddFigure(FragmentFile("t" + std::to_string(n++) + ".vfr", triangle));
        model->AddFigure(FragmentFile("t" + std::to_string(n++) + ".vfr", c.second));
        model->InitFigurePolygons();
        model->CreateCompoundFigures();
        EXPECT_EQ(model->GetFiguresCount(), c.figures) << "mirrors " << c.mirrors;
        model->DestroyCompoundFigures();
        EXPECT_EQ(model->GetFiguresCount(), 2u);
        model->ClearFigures();
    }
}

// A point found on a member of a compound gives the compound as the bridge's
// owner: the figure that is placed, whose moves and deletion carry the bridge.
TEST_F(ModelApiTest, ABridgeOnACompoundsMemberIsTheCompounds)
{
    INestingModelPtr model = CreateNestingModelInstance();
    model->AddFigure(FragmentFile("t1.vfr", {{0, 0}, {40, 0}, {0, 30}}));
    model->AddFigure(FragmentFile("t2.vfr", {{0, 0}, {40, 0}, {0, 30}}));
    model->InitFigurePolygons();
    model->CreateCompoundFigures();
    std::vector<INObjectPtr> figures;
    model->GetFigureObjects(figures);
    ASSERT_EQ(figures.size(), 1u);
    const auto compound = ModelObjectAs<CompoundFigure>(figures.front());
    ASSERT_TRUE(compound);
    std::vector<INestingMacroObjectPtr> members;
    compound->m_macro->GetMacroObjectsFromMacro(members);
    ASSERT_EQ(members.size(), 2u);
    compound->SetCurrentView();
    const NRect box = compound->m_rectBorder;
    for (const INestingMacroObjectPtr& member : members) {
        double x = (box.pBot.x + box.pTop.x) / 2;
        double y = box.pBot.y;
        const INObjectPtr owner =
            model->CheckObjectForJumperOwner(member->GetReference(), x, y, 10.0, NestingObjectType::Figure);
        EXPECT_EQ(ModelObjectOf(owner.get()), compound);
    }
}

// Arranging the container keeps the remnants unless asked to delete them.
TEST_F(ModelApiTest, ArrangingTheContainerDeletesRemnantsOnlyWhenAsked)
{
    for (const bool delWastes : {false, true}) {
        Job job = MakeJob();
        job.model->ArrangeFiguresInContainer(true, delWastes);
        EXPECT_EQ(job.model->GetWastesCount(), delWastes ? 0u : 1u);
        EXPECT_EQ(MacrosOf(MacroCommand::Waste), delWastes ? 0u : 1u);
        ClearAll(*job.model.get());
    }
}

// Figures too many or too long for the container's usual length (a million
// millimetres: a thousand parts a metre long, or a drawing in metres) are
// laid out side by side all the same, none left piled where it stood.
TEST_F(ModelApiTest, TheContainerHoldsEveryFigureHoweverLong)
{
    INestingModelPtr model = ModelWithSheet(3000.0, 1500.0);
    model->AddFigure(FragmentFile("long.vfr", Rectangle(0.0, 0.0, 300000.0, 1000.0), 5));
    model->InitFigurePolygons();
    model->ArrangeFiguresInContainer(true, true);
    std::vector<INObjectPtr> figures;
    model->GetFigureObjects(figures);
    ASSERT_EQ(figures.size(), 5u);
    std::vector<NRect> boxes;
    for (const INObjectPtr& figure : figures)
        figure->GetGabarit(boxes.emplace_back());
    for (size_t i = 0; i < boxes.size(); ++i)
        for (size_t j = i + 1; j < boxes.size(); ++j)
            EXPECT_FALSE(boxes[i].pBot.x < boxes[j].pTop.x && boxes[j].pBot.x < boxes[i].pTop.x &&
                         boxes[i].pBot.y < boxes[j].pTop.y && boxes[j].pBot.y < boxes[i].pTop.y)
                << i << " over " << j;
}

TEST_F(ModelApiTest, UnknownSheetReferenceIsMinusOneAtThirtyTwoBits)
{
    Job job = MakeJob();
    EXPECT_EQ(job.model->GetIndexSheetByRef(job.sheet->GetReference()), 0);
    const int32_t none = job.model->GetIndexSheetByRef(job.figure->GetReference());
    EXPECT_EQ(none, -1);
    EXPECT_EQ(static_cast<uint32_t>(none), 0xFFFFFFFFu);
    EXPECT_EQ(job.model->GetIndexSheetByRef(0), -1);
}

// A one-point bridge stands at the point projected onto its owner; setting
// the first point moves the macro and renews the drawing; the preview's
// second point goes onto the first owner's normal.
TEST_F(ModelApiTest, BridgePointsFollowTheirOwners)
{
    Job job = MakeJob();
    const JumperPtr one = ModelObjectAs<Jumper>(job.jumper);
    ASSERT_TRUE(one && one->m_macro);
    double x = 0.0, y = 0.0, angle = 0.0;
    one->m_macro->GetMacroPlacement(x, y, angle);
    ExpectPoint({x, y}, 150.0, 0.0);

    IJumperPtr two = job.model->CreateJumper(0, 0, 20.0, BridgeType::Double, true);
    EXPECT_TRUE(two->IsTwoPoints());
    EXPECT_FALSE(job.jumper->IsTwoPoints());
    double x1 = 60.0, y1 = 3.0;
    two->SetOwner1(job.model->CheckObjectForJumperOwner(job.sheet->GetReference(), x1, y1, 20.0,
                                                        NestingObjectType::Sheet));
    ExpectPoint({x1, y1}, 60.0, 0.0);
    two->SetPoint1(x1, y1);
    int group = 0;
    two->GetPhantomGroup(80.0, 40.0, true, group);
    EXPECT_NE(group, 0);
    const JumperPtr bridge = ModelObjectAs<Jumper>(two);
    ExpectPoint(bridge->GetPoint2(), 60.0, 40.0);

    // A two-point bridge joins two owners: without its second it is no bridge,
    // nor with its second end off that owner's outline (the preview's point
    // in the sheet); on the normal, at the sheet's far edge, it is.
    EXPECT_EQ(job.model->AddJumper(two, 0), NResult::NotFound);
    two->SetOwner2(job.sheet);
    EXPECT_EQ(job.model->AddJumper(two, 0), NResult::NotFound);
    two->SetPoint2(60.0, 200.0);
    ExpectPoint(bridge->GetPoint2(), 60.0, 200.0);
    EXPECT_EQ(job.model->AddJumper(two, 0), NResult::Done);
    EXPECT_EQ(job.model->AddJumper(two, 0), NResult::Done);
    EXPECT_EQ(job.model->GetJumpersCount(), 2u);
    const size_t objects = DrawingObjects();
    two->SetPoint1(70.0, 0.0);
    bridge->m_macro->GetMacroPlacement(x, y, angle);
    ExpectPoint({x, y}, 70.0, 0.0);
    ExpectPoint(bridge->GetPoint1(), 70.0, 0.0);
    ExpectPoint(bridge->GetPoint2(), 60.0, 200.0);
    EXPECT_EQ(DrawingObjects(), objects);

    // A point too near an existing bridge finds no owner and stays where it was.
    double nx = 150.0, ny = 2.0;
    EXPECT_FALSE(job.model->CheckObjectForJumperOwner(job.sheet->GetReference(), nx, ny, 20.0,
                                                      NestingObjectType::Sheet));
    ExpectPoint({nx, ny}, 150.0, 2.0);
    EXPECT_TRUE(job.model->GetJumperByRef(job.jumper->GetReference()));
    EXPECT_FALSE(job.model->GetJumperByRef(0));
}

// With a page layout the result goes to the title block only; without one to
// the sheets' tables, the material property and the remnants' names.
TEST_F(ModelApiTest, ResultTablesFollowTheLayout)
{
    for (const bool withoutLayout : {true, false}) {
        hosttest::LayoutSwitch layout(withoutLayout);
        Job job = MakeJob();
        job.model->SetMaterialSheet(L"Ст3");
        job.model->SetThicknessSheet(2.0);
        vrnApi::SetMaterialPropertyToDocument(L"");
        job.model->UpdateResultTables();
        EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), withoutLayout ? L"Ст3" : L"");
        vlapi::ILayoutSheetPtr page = doc->GetLayoutSheets()->GetItem(0);
        if (withoutLayout) {
            EXPECT_TRUE(job.waste->GetName().find(L"Ст3") != std::wstring::npos) << "remnant renamed";
        } else {
            ASSERT_TRUE(page);
            EXPECT_EQ(page->GetStamp()->GetCellText(1101)->GetText(), L"300x200x2");
        }
        ClearAll(*job.model.get());
    }
}

// A remnant the export wrote, as fragment and as DXF, loads as a sheet of
// the size its name gives, with the thickness and material its label gives;
// a rectangle of any file sets the size in whole millimetres, rounded down.
// Any other file is refused with one message that names it and says why, and
// the sheet stays as it was.
TEST_F(ModelApiTest, ASheetIsReadFromARectangleOfAFile)
{
    {
        // A part across the lower half of the sheet, no gaps: the upper half is
        // left as a 300.7 × 200.6 remnant, named 300 × 200 (a sheet nothing is
        // cut from exports none).
        {
            INestingModelPtr source = ModelWithSheet(300.7, 400.6, [](INestingModel& m) {
                m.SetThicknessSheet(2.5);
                m.SetMaterialSheet(L"AISI 304");
                ASSERT_EQ(m.SetFigureGap(0.0), NResult::Done);
                ASSERT_EQ(m.SetSheetGap(0.0), NResult::Done);
            });
            source->AddFigure(FragmentFile("half.vfr", Rectangle(0, 0, 300.7, 200), 1, 2.5, L"AISI 304"));
            source->SaveParams();
        }
        Optimise(OptimizationParams{1, RotationType::WithoutRotation, false});
        INestingModelPtr job = ReadBack();
        std::vector<INObjectPtr> sheets;
        job->GetSheetObjects(sheets);
        ASSERT_EQ(sheets.size(), 1u);
        sheets.front()->SetCurrentView();
        NRect box;
        sheets.front()->GetGabarit(box);
        job->AddWaste(job->CreateWaste(box.pBot.x + 150.0, box.pTop.y - 10.0));
        ASSERT_EQ(job->GetWastesCount(), 1u);
        IExporterPtr exporter = CreateExporterInstance();
        exporter->SetParams(ExportParams{false, false, true, false, false, false, false, false, 0});
        exporter->ExportToDXF(vrnApi::detail::TextOf(root / "export"));
        ClearAll(*job.get());
    }
    // A fragment saved of what `draw` puts in it; the active drawing stays active.
    const auto fragment = [&](const std::string& file, const std::function<void(const vlapi::IDrawingContainerPtr&)>& draw) {
        vlapi::IVarnelDocumentPtr active = application->GetActiveDocument();
        vlapi::IVarnelDocument2DPtr saved(application->GetDocuments()->Add(vlapi::vlDocumentFragment, true));
        draw(vrnApi::GetActiveDrawingContainer());
        EXPECT_TRUE(saved->SaveAs(File(file)));
        saved->Close(0);
        active->Activate();
        return File(file);
    };
    // The rings, a label when one is given, and open chains of lines.
    const auto drawn = [&](const std::string& file, const std::vector<std::vector<NPoint>>& rings,
                           const std::wstring& label = L"", const std::vector<std::vector<NPoint>>& chains = {}) {
        return fragment(file, [&](const vlapi::IDrawingContainerPtr& c) {
            for (const std::vector<NPoint>& ring : rings)
                hosttest::AddRing(c, ring);
            for (const std::vector<NPoint>& chain : chains)
                for (size_t i = 1; i < chain.size(); ++i)
                    hosttest::AddLine(c, chain[i - 1], chain[i]);
            if (!label.empty())
                vrnApi::CreateText(c, label, 10.0, 10.0, 5.0);
        });
    };
    using dxftext::operator+;
    // A DXF sheet 300 × 200 labelled as a remnant, with what `inside` draws
    // in it at (100, 50): what the reader leaves out is said, and a closed
    // curve among it is a cut as any other.
    // The outline on `layer`, in the linetype `linetype` (none: by layer); FR is frozen, OFF off, DASH dashed.
    const auto dxfSheet = [&](const std::string& file, const dxftext::Groups& inside, const char* layer = "0",
                              const char* linetype = "") {
        const dxftext::Groups outline = dxftext::Polyline({{0, 0}, {300, 0}, {300, 200}, {0, 200}}, true);
        std::ofstream(root / file) << dxftext::File(
            {{"TABLES", dxftext::DashFrozenOffTables()},
             {"ENTITIES", dxftext::OnLayer(outline, layer, linetype) + dxftext::Text(10, 10, "Отход Лист 1-1(1) 2x300x200 Ст3") + inside}});
        return File(file);
    };
    // A circle of radius 20 about (150, 100), on `layer`, with `more` groups.
    const auto circle = [&](const std::string& layer, const dxftext::Groups& more = {}) {
        return dxftext::OnLayer(dxftext::Circle("150", "100", 20, more), layer);
    };
    const dxftext::Groups closedMultiline{{0, "MLINE"}, {8, "0"}, {2, "STANDARD"}, {71, "3"}, {72, "3"}, {73, "1"},
                                          {10, "100"}, {20, "50"}, {11, "100"}, {21, "50"}, {13, "0"}, {23, "1"},
                                          {74, "1"}, {41, "0"}, {11, "200"}, {21, "50"}, {13, "0"}, {23, "1"},
                                          {74, "1"}, {41, "0"}, {11, "150"}, {21, "100"}, {13, "0"}, {23, "1"},
                                          {74, "1"}, {41, "0"}};
    dxftext::Groups risen{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {70, "9"}};
    dxftext::Groups fill{{0, "HATCH"}, {8, "0"}, {10, "0"}, {20, "0"}, {30, "0"}, {2, "SOLID"}, {70, "1"}, {71, "0"},
                         {91, "1"}, {92, "2"}, {72, "0"}, {73, "1"}, {93, "4"}};
    for (const auto& [x, y, z] : std::vector<std::array<double, 3>>{{100, 50, 0}, {200, 50, 0}, {200, 100, 2}, {100, 100, 0}}) {
        risen = risen + dxftext::Groups{{0, "VERTEX"}, {8, "0"}, {10, dxftext::Num(x)}, {20, dxftext::Num(y)},
                                        {30, dxftext::Num(z)}, {70, "32"}};
        fill = fill + dxftext::Groups{{10, dxftext::Num(x)}, {20, dxftext::Num(y)}};
    }
    risen = risen + dxftext::Groups{{0, "SEQEND"}};
    fill = fill + dxftext::Groups{{97, "0"}, {75, "0"}, {76, "1"}, {98, "0"}};
    std::ofstream(root / "spoilt.vfw") << "not a drawing";
    std::ofstream(root / "spoilt.dxf") << "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\nten\n";
    std::filesystem::create_directories(root / "folder.vfw");
    const std::string remnant = "waste1-1(1) 2.5x300x200 AISI 304";
    const std::vector<NPoint> plate = Rectangle(0, 0, 300, 200), hole = Rectangle(100, 50, 100, 50);
    const auto label = [](const std::wstring& fields) { return L"Отход Лист 1-1(1) " + fields; };
    const struct {
        std::wstring file;
        const wchar_t* message;  // why a file is refused, or what of a label taken is not given
        bool taken = false;
        double width = 0, height = 0, thickness = 0;
        const wchar_t* material = nullptr;
    } cases[] = {
        {vrnApi::detail::TextOf(root / "export" / (remnant + ".vfw")), nullptr, true, 300, 200, 2.5, L"AISI 304"},
        {vrnApi::detail::TextOf(root / "export" / (remnant + ".dxf")), nullptr, true, 300, 200, 2.5, L"AISI 304"},
        {FragmentFile("plain.vfr", Rectangle(5, 5, 250.7, 120.2)), nullptr, true, 250, 120, 1, L"Ст3"},
        {FragmentFile("longest.vfr", Rectangle(0, 0, 100000.7, 80)), nullptr, true, 100000, 80, 1, L"Ст3"},
        {FragmentFile("triangle.vfr", {{0, 0}, {100, 0}, {0, 100}}), L"Контур листа должен быть прямоугольником"},
        // A rectangle whose lower side bows 1.85 mm into it, as an arc: within
        // the sag parts are followed with, and yet no rectangle.
        {fragment("bowed.vfw",
                  [](const vlapi::IDrawingContainerPtr& c) {
                      hosttest::AddArc(c, {0, 0}, {300, 0}, {150, 1.85});
                      hosttest::AddLine(c, {300, 0}, {300, 200});
                      hosttest::AddLine(c, {300, 200}, {0, 200});
                      hosttest::AddLine(c, {0, 200}, {0, 0});
                  }),
         L"Контур листа должен быть прямоугольником"},
        {FragmentFile("narrow.vfr", Rectangle(0, 0, 0.6, 100)), L"сторона листа меньше 1 мм"},
        {FragmentFile("huge.vfr", Rectangle(0, 0, 200000, 80)), L"сторона листа больше 100000 мм"},
        {File("none.vfr"), L"Не удалось открыть файл"},
        {File("folder.vfw"), L"это папка, а не файл"},
        {File("spoilt.vfw"), L"файл повреждён"},
        {File("spoilt.dxf"), L"файл не прочитан как DXF"},
        {drawn("two.vfw", {Rectangle(0, 0, 100, 50), Rectangle(200, 0, 100, 50)}), L"не один контур листа"},
        // Holes, or parts drawn on it: a sheet is taken whole or not at all.
        {drawn("islands.vfw", {plate, hole}, label(L"2x300x200 Ст3")),
         L"у отхода есть вырезы (замкнутых контуров внутри контура листа: 1)"},
        {drawn("holed.vfw", {plate, hole}), L"у листа есть вырезы (замкнутых контуров внутри контура листа: 1): 4 отрезка на слое «0» (контур у (100; 50))"},
        {drawn("sheet.vfw", {plate, hole}, L"Plate"), L"у листа есть вырезы"},
        {dxfSheet("risen.dxf", risen),
         L"у отхода есть вырез, который не прочитан: полилиния на слое «0» у (100; 50), а лист загружается только целым; "
         L"при чтении пропущено: 3D-объекты — 1"},
        {dxfSheet("filled.dxf", fill),
         L"При чтении файла пропущено: объекты HATCH, которые не импортируются — 1 (штриховка на слое «0» у (100; 50)).", true,
         300, 200, 2, L"Ст3"},
        // What a part's import does not cut is not cut of a sheet: on a layer off or frozen, made
        // invisible, in a linetype with gaps. What is cut is named with its kind, layer and place,
        // read or not; the sheet's outline left out, about the one read, is named so.
        {dxfSheet("circle_off.dxf", circle("OFF")),
         L"\nКривые на выключенных или замороженных слоях не загружены: 1 окружность на слое «OFF»: они не вырезаются, "
         L"лист загружен целым.", true, 300, 200, 2, L"Ст3"},
        {dxfSheet("circle_frozen.dxf", circle("FR") + dxftext::OnLayer(dxftext::Text(20, 20, "Отход Лист 1-1(1) 2x300x200 Ст3"), "FR")),
         L"\nКривые на выключенных или замороженных слоях не загружены: 1 окружность на слое «FR»: они не вырезаются, лист "
         L"загружен целым.\nНадписи отходов на выключенных или замороженных слоях не читаются: «Отход Лист 1-1(1) 2x300x200 Ст3» "
         L"на слое «FR».", true, 300, 200, 2, L"Ст3"},
        {dxfSheet("circle_invisible.dxf", circle("0", {{60, "1"}})),
         L"\nПри чтении файла пропущено: невидимые объекты, которые не импортируются — 1 (окружность на слое «0» у (150; 100)).",
         true, 300, 200, 2, L"Ст3"},
        {dxfSheet("circle_dashed.dxf", circle("0", {{6, "DASH"}})),
         L"\nЗамкнутые кривые не основной (сплошной) линии не режутся: 1 окружность на слое «0»: лист загружен целым.", true,
         300, 200, 2, L"Ст3"},
        {dxfSheet("axes_dashed.dxf", dxftext::Line(-10, 100, 310, 100) + dxftext::Groups{{6, "DASH"}} +
                                         dxftext::Line(150, -10, 150, 210) + dxftext::Groups{{6, "DASH"}}),
         nullptr, true, 300, 200, 2, L"Ст3"},
        {dxfSheet("circle.dxf", circle("HOLES") + dxftext::Square(20, 120, 30)),
         L"у отхода есть вырезы (замкнутых контуров внутри контура листа: 2): окружность на слое «HOLES» у (150; 100), 4 отрезка "
         L"на слое «0» (контур у (20; 120)), а лист загружается только целым.\n"},
        {dxfSheet("multiline.dxf", closedMultiline),
         L"у отхода есть вырез, который не прочитан: мультилиния на слое «0» у (100; 50), а лист загружается только целым; при "
         L"чтении пропущено: объекты MLINE, которые не импортируются — 1 (мультилиния на слое «0» у (100; 50))"},
        {dxfSheet("outline_frozen.dxf", dxftext::Polyline({{10, 10}, {290, 10}, {290, 190}, {10, 190}}, true), "FR"),
         L"контур листа не загружен: полилиния на слое «FR» у (0; 0) охватывает все загруженные кривые листа; кривые на "
         L"выключенных или замороженных слоях не загружены: 1 полилиния на слое «FR»"},
        {dxfSheet("outline_only_frozen.dxf", {}, "FR"),
         L"в файле нет замкнутого контура листа; кривые на выключенных или замороженных слоях не загружены: 1 полилиния на слое «FR»"},
        {dxfSheet("outline_dashed.dxf", {}, "0", "DASH"),
         L"в файле нет замкнутого контура листа; замкнутые кривые не основной (сплошной) линии не режутся: 1 полилиния на слое «0»"},
        // A hole drawn as a macro (a block the user put in): its ring is not read.
        {fragment("macro.vfw",
                  [](const vlapi::IDrawingContainerPtr& c) {
                      hosttest::AddRing(c, Rectangle(0, 0, 300, 200));
                      const std::vector<vlapi::IDrawingObjectPtr> ring = hosttest::AddRing(c, Rectangle(100, 50, 100, 50));
                      EXPECT_TRUE(c->GetMacroObjects()->AddMacro(1)->AddObjects(vlapi::APIObjectList(ring.begin(), ring.end())));
                  }),
         L"в файле есть макроэлементы (1): их контуры не читаются"},
        {drawn("twice.vfw", {plate, plate}), nullptr, true, 300, 200, 1, L"Ст3"},
        {drawn("shifted.vfw", {plate, Rectangle(0.005, 0, 300, 200)}), nullptr, true, 300, 200, 1, L"Ст3"},
        // Lines that reach the outline part the sheet (a slot open to its edge,
        // a cut across it); lines clear of it (marks, a cut not quite closed)
        // are not cut, as the user is told.
        {drawn("slot.vfw", {plate}, L"", {{{0, 80}, {60, 80}, {60, 120}, {0, 120}}}),
         L"у листа есть прорези или разрезы (линий, доходящих до контура листа: 1)"},
        {drawn("cut.vfw", {plate}, label(L"2x300x200 Ст3"), {{{0, 100}, {320, 100}}}),
         L"у отхода есть прорези или разрезы"},
        {drawn("mark.vfw", {plate}, label(L"2x300x200 Ст3"), {{{50, 50}, {100, 50}, {100, 100}, {50, 100}, {50, 50.5}}}),
         L"Линии внутри контура листа не замкнуты и не доходят до него (1): они не вырезаются", true, 300, 200, 2, L"Ст3"},
        // Labels read in part: a field written that cannot be read refuses the
        // file, a field left out is said to stay as it was.
        {drawn("nan.vfw", {plate}, label(L"nanx300x200 Ст3")),
         L"в надписи отхода «Отход Лист 1-1(1) nanx300x200 Ст3» толщина «nan» не прочитана"},
        {drawn("zero.vfw", {plate}, label(L"0x300x200 Ст3")), L"толщина «0» не прочитана"},
        {drawn("far.vfw", {plate}, label(L"1e308x300x200 Ст3")), L"толщина «1e308» не прочитана"},
        {drawn("other.vfw", {plate}, label(L"2x300x120 Ст3")),
         L"размер в надписи отхода «Отход Лист 1-1(1) 2x300x120 Ст3» не совпадает с контуром листа 300 × 200 мм"},
        {drawn("unnumbered.vfw", {plate}, L"Отход Лист 1 2x300x200 Ст3"), L"нет номера отхода"},
        {drawn("nomaterial.vfw", {plate}, label(L"2x200x300")),
         L"В надписи отхода нет материала: материал листа остаётся прежним: Ст3.", true, 300, 200, 2, L"Ст3"},
        {drawn("nothickness.vfw", {plate}, label(L"300x200 09Г2С")),
         L"В надписи отхода нет толщины: толщина листа остаётся прежней: 1 мм.", true, 300, 200, 1, L"09Г2С"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vlhost::Host::Utf8(c.file));
        INestingModelPtr model = ModelWithSheet(100.0, 50.0, [](INestingModel& m) {
            m.SetThicknessSheet(1.0);
            m.SetMaterialSheet(L"Ст3");
        });
        const size_t macros = DrawingMacros().size();
        const size_t messages = Messages().size();
        EXPECT_EQ(model->ImportSheetFromFile(c.file), c.taken);
        EXPECT_EQ(model->GetWidthSheet(), c.taken ? c.width : 100.0);
        EXPECT_EQ(model->GetHeightSheet(), c.taken ? c.height : 50.0);
        EXPECT_EQ(model->GetThicknessSheet(), c.taken ? c.thickness : 1.0);
        EXPECT_EQ(model->GetMaterialSheet(), c.taken ? c.material : L"Ст3");
        // One message of ours: the host's converter does not tell of a file on its own.
        ASSERT_EQ(Messages().size(), messages + (c.message ? 1 : 0));
        if (c.message) {
            const std::wstring& text = Messages().back().text;
            EXPECT_NE(text.find(c.file + (c.taken ? L" (" : L": ")), std::wstring::npos) << vlhost::Host::Utf8(text);
            EXPECT_NE(text.find(c.message), std::wstring::npos) << vlhost::Host::Utf8(text);
            // The sheet that stays, or the one loaded, is named whole.
            EXPECT_NE(text.find(c.taken ? L": 300 × 200 мм, толщина " : L"Лист остаётся прежним: 100 × 50 мм, толщина 1 мм, материал Ст3."),
                      std::wstring::npos)
                << vlhost::Host::Utf8(text);
        }
        EXPECT_EQ(DrawingMacros().size(), macros) << "the outline read is not kept";
        model->ClearSheets();
    }
    // A sheet nobody set is said to be the default one; the same size typed
    // is the user's, and so it stays once the drawing is read again.
    NewDrawing();
    NestingModel::m_widthSheet = NestingModel::kDefaultWidthSheet;
    NestingModel::m_heightSheet = NestingModel::kDefaultHeightSheet;
    INestingModelPtr model = CreateNestingModelInstance();
    model->SetThicknessSheet(0.0);
    model->SetMaterialSheet(L"");
    model->AddSheet();
    EXPECT_FALSE(model->ImportSheetFromFile(File("none.vfr")));
    EXPECT_NE(Messages().back().text.find(
                  L"Лист остаётся прежним: лист по умолчанию 12000 × 2500 мм, толщина не задана, материал не задан."),
              std::wstring::npos);
    model->SetWidthSheet(NestingModel::kDefaultWidthSheet);
    model->SetHeightSheet(NestingModel::kDefaultHeightSheet);
    model->SaveParams();
    INestingModelPtr reread = CreateNestingModelInstance();
    reread->InitSheetsFromActiveDoc();
    for (const INestingModelPtr& typed : {model, reread}) {
        EXPECT_FALSE(typed->ImportSheetFromFile(File("none.vfr")));
        EXPECT_NE(Messages().back().text.find(L"Лист остаётся прежним: 12000 × 2500 мм, толщина не задана"),
                  std::wstring::npos)
            << vlhost::Host::Utf8(Messages().back().text);
    }
}

// The thickness, size and material a remnant's label gives, whatever its
// sheet is called; a field written that no remnant has is named with what
// was written.
TEST(SheetFileTest, ARemnantsLabelGivesItsThicknessSizeAndMaterial)
{
    const struct {
        const wchar_t* label;
        std::optional<double> thickness;
        std::optional<std::wstring> material;
        const wchar_t* damage;
        bool found = true;
    } cases[] = {
        {L"Отход Карта раскроя 1-3(3) 2x1472x801 Ст3", 2.0, L"Ст3", L""},
        {L"Отход Лист (2)-1(14) 1.5x100x50 AISI 304", 1.5, L"AISI 304", L""},
        {L"Отход Карта раскроя 2-1(4) 1472x801 09Г2С", std::nullopt, L"09Г2С", L""},
        {L"Отход Карта раскроя 1-2(2) Ст3", std::nullopt, L"Ст3", L""},
        {L"Отход Карта раскроя 1-2(2) 100x50", std::nullopt, std::nullopt, L""},
        {L"Отход  Лист 7-2(3)  1,5x300x120  Ст 3 ", 1.5, L"Ст 3", L""},
        {L"Отход Карта раскроя 1-1(1) 2000x300x120 Ст3", std::nullopt, std::nullopt, L"толщина «2000» не прочитана"},
        {L"Отход Карта раскроя 1-1(1) nanx300x120 Ст3", std::nullopt, std::nullopt, L"толщина «nan» не прочитана"},
        {L"Отход Карта раскроя 1-1(1) 1e999x300x120 Ст3", std::nullopt, std::nullopt, L"толщина «1e999» не прочитана"},
        {L"Отход Карта раскроя 1-1(1) -2x300x120 Ст3", std::nullopt, std::nullopt, L"толщина «-2» не прочитана"},
        {L"Отход Карта раскроя 1-1(1) 1e-300x300x120 Ст3", std::nullopt, std::nullopt, L"толщина «1e-300» не прочитана"},
        {L"Отход Карта раскроя 1-1(1) 0.01x300x120 Ст3", 0.01, L"Ст3", L""},
        {L"Отход Карта раскроя 1-1(1) 2x300xinf Ст3", std::nullopt, std::nullopt, L"размер «2x300xinf» не прочитан"},
        {L"Отход Карта раскроя 1-1(1) 2x300x120мм Ст3", std::nullopt, std::nullopt, L"размер «2x300x120мм» не прочитан"},
        {L"Отход Карта раскроя 1", std::nullopt, std::nullopt, L"нет номера отхода"},
        {L"Plate 2x100x50 Ст3", std::nullopt, std::nullopt, L"", false},
        // As a user retypes it: the word in another case, the size parted by
        // "X", "×", "*" or a Cyrillic "х", blanks about them, tabs and line
        // breaks between the fields; grades of steel are no size.
        {L"отход Карта раскроя 1-1(1) 2x300x120 Ст3", 2.0, L"Ст3", L""},
        {L"ОТХОД Карта раскроя 1-1(1) 2X300X120 Ст3", 2.0, L"Ст3", L""},
        {L"Отход Карта раскроя 1-1(1) 2\u0445300\u0445120 Ст3", 2.0, L"Ст3", L""},
        {L"Отход Карта раскроя 1-1(1) 2\u00D7300\u00D7120 Ст3", 2.0, L"Ст3", L""},
        {L"Отход Карта раскроя 1-1(1) 2 x 300 x 120 Ст3", 2.0, L"Ст3", L""},
        {L"Отход Карта раскроя 1-1(1)\t2*300*120\nAISI\n304", 2.0, L"AISI 304", L""},
        {L"Отход Карта раскроя 1-1(1) 12\u041518\u041D10\u0422", std::nullopt, L"12\u041518\u041D10\u0422", L""},
        {L"Отход Карта раскроя 1-1(1) 08X18H10", std::nullopt, L"08X18H10", L""},
        {L"Отход Карта раскроя 1-1(1) 2x300x120 12\u041518\u041D10\u0422", 2.0, L"12\u041518\u041D10\u0422", L""},
        {L"Отход Карта раскроя 1-1(1) 2x300x120x7 Ст3", std::nullopt, std::nullopt,
         L"размер «2x300x120x7» не прочитан: в нём больше трёх чисел"},
        {L"Отход Карта раскроя 1-1(1) 2X300X120X7 Ст3", std::nullopt, std::nullopt, L"больше трёх чисел"},
        {L"Отходы Карта раскроя 1-1(1) 2x300x120 Ст3", std::nullopt, std::nullopt, L"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(vlhost::Host::Utf8(c.label));
        const sheetfile::RemnantLabel read = sheetfile::ReadRemnantLabel(c.label, L"Отход");
        EXPECT_EQ(read.found, c.found);
        EXPECT_EQ(read.thickness, c.thickness);
        EXPECT_EQ(read.material, c.material);
        EXPECT_EQ(read.damage.empty(), !*c.damage);
        EXPECT_NE(read.damage.find(c.damage), std::wstring::npos) << vlhost::Host::Utf8(read.damage);
    }
}

// The model converts DXF files through the host's converter into fragments
// of the output folder, fills the entries from the files' texts and names the
// files it could not convert.
TEST_F(ModelApiTest, DxfFilesBecomeFragmentsThroughTheHostsConverter)
{
    INestingModelPtr model = CreateNestingModelInstance();
    const std::filesystem::path parts = std::filesystem::path(NESTING_SOURCE_DIR) / "tests/data/dxf/parts";
    std::vector<FileMetaParams> files(2);
    files[0].m_path = vlhost::Host::Wide((parts / "texts.dxf").string());
    files[1].m_path = L"missing.dxf";
    model->ImportFiguresFromDXF(files, root.wstring(), ScriptMetaParams{});
    EXPECT_EQ(files[0].m_material, L"Сталь 3");
    EXPECT_EQ(files[0].m_thickness, 2.5);
    EXPECT_EQ(files[0].m_count, 4);
    EXPECT_TRUE(std::filesystem::exists(root / "texts.vfw"));
    ASSERT_FALSE(Messages().empty());
    EXPECT_NE(Messages().back().text.find(L"missing.dxf: "), std::wstring::npos);
    EXPECT_EQ(model->GetFiguresCount(), 0u) << "the fragments are files, not figures of the model";
}

}  // namespace apitest
