// Automation objects held across what takes their model objects away (the
// host deleting a macro, the drawing closed, the job optimised again), and
// operations given foreign objects, wild indexes and unusual texts.
#include "api/api_fixture.h"

#include "api/NestingAPIObjects.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <string>

namespace apitest {
namespace {

// Every operation of the object, answers thrown away: what counts is that
// none faults.
void Exercise(INObject& object)
{
    object.GetName();
    object.SetName(std::wstring(100000, L'Ж'));
    object.SetName(std::wstring{wchar_t(0xD800), wchar_t(0x110000), L'\0', L'x'});
    object.GetChoose();
    object.Choose(true);
    object.InvertChoose();
    object.GetValid();
    object.SetEdit(true);
    object.CheckReference(0);
    object.CheckReference(-1);
    object.GetReference();
    NRect box;
    object.GetGabarit(box);
    object.GetView();
    object.SetCurrentView();
    object.SetPlacement(10.0, 10.0, 45.0);
    object.ChangeView(INT_MAX);
    object.ChangeView(-5);
    object.SaveParams();
    if (IFigurePtr figure = INObjectPtr(&object)) {
        figure->InitChoose();
        figure->SetThickness(2.0);
        figure->SetMaterial(std::wstring(100000, L'a'));
        figure->GetThickness();
        figure->GetMaterial();
        figure->GetCount();
    }
    if (ISheetPtr sheet = INObjectPtr(&object)) {
        sheet->UpdateName();
        sheet->SetCount(3.0);
        sheet->GetCount();
    }
    if (IJumperPtr jumper = INObjectPtr(&object)) {
        jumper->SetType(BridgeType::CrossStart);
        jumper->SetWidth(12.0);
        jumper->SetByNormal(true);
        jumper->IsTwoPoints();
        jumper->SetOwner1(INObjectPtr(&object));
        jumper->SetOwner2(INObjectPtr());
        jumper->SetPoint1(5.0, 5.0);
        jumper->SetPoint2(50.0, 5.0);
        int group = -1;
        jumper->GetPhantomGroup(10.0, 10.0, true, group);
        jumper->ReBuild();
    }
    if (IWastePtr waste = INObjectPtr(&object)) {
        waste->GetMethod();
        waste->ChangeText(std::wstring(100000, L'R'));
        waste->SetColor(0xFF);
    }
}

void ExerciseAll(const Job& job)
{
    for (INObject* object : std::initializer_list<INObject*>{job.sheet.get(), job.figure.get(), job.jumper.get(),
                                                             job.waste.get()})
        Exercise(*object);
}

// Deletes the drawing object of the reference as the host's user would.
void DeleteHostObject(int reference)
{
    const vlapi::ITransferServicePtr transfer = GetTransferService();
    const vlapi::IAPIObjectPtr document = vrnApi::GetActiveDocument2D();
    if (vlapi::IDrawingObjectPtr object = transfer->GetObject(reference, transfer->GetReference(document.get())))
        object->Delete();
}

using StaleTest = ApiTest;

}  // namespace

// Whatever took the model objects away, each held object stays safe to call.
TEST_F(StaleTest, HeldObjectsOutliveWhatTookTheirModelObjects)
{
    const std::pair<const char*, std::function<void(ApiTest&, Job&)>> events[] = {
        {"host deleted the macros",
         [](ApiTest&, Job& job) {
             for (INObject* object : std::initializer_list<INObject*>{job.jumper.get(), job.waste.get(),
                                                                      job.figure.get(), job.sheet.get()})
                 DeleteHostObject(object->GetReference());
         }},
        {"drawing closed",
         [](ApiTest&, Job&) { vrnApi::GetActiveDocument2D()->Close(0); }},
        {"model cleared",
         [](ApiTest&, Job& job) {
             job.model->ClearJumpers();
             job.model->ClearWastes();
             job.model->ClearFigures();
             job.model->ClearSheets();
         }},
        {"job optimised again",
         [](ApiTest&, Job& job) {
             job.model->SaveParams();
             IOptimizerPtr optimizer = CreateOptimizerInstance();
             optimizer->Init();
             optimizer->RunOptimization(OptimizationParams{});
             optimizer->Init();
             optimizer->RunOptimization(OptimizationParams{});
             optimizer->Clear();
         }},
    };
    for (const auto& [what, event] : events) {
        SCOPED_TRACE(what);
        Job job = MakeJob();
        event(*this, job);
        ExerciseAll(job);
        INestingModel& m = *job.model.get();
        m.DelJumper(job.jumper);
        m.DelWaste(job.waste);
        m.DelFigure(job.figure);
        m.DelSheet(job.sheet);
        m.AddJumper(job.jumper, 0);
        m.AddWaste(job.waste);
        m.UpdateSheets();
        m.UpdateWastes();
        m.UpdateResultTables();
        m.ArrangeFiguresInContainer(true, true);
        ExerciseAll(job);
        if (vrnApi::GetActiveDocument2D() == nullptr)
            NewDrawing();
    }
}

// Objects of another model or another drawing, and wild indexes and
// references: this model keeps what it had.
TEST_F(StaleTest, ForeignObjectsAndWildIndexesChangeNothing)
{
    Job job = MakeJob();
    Job other = MakeJob();
    vlapi::IVarnelDocument2DPtr first = vrnApi::GetActiveDocument2D();
    NewDrawing();
    Job elsewhere = MakeJob();
    first->Activate();
    INestingModel& m = *job.model.get();
    const size_t macros = DrawingMacros().size();

    const std::pair<const char*, std::function<void()>> calls[] = {
        {"bridge of another model added", [&] { m.AddJumper(other.jumper, 0); }},
        {"bridge of another drawing added", [&] { m.AddJumper(elsewhere.jumper, 0); }},
        {"remnant of another drawing added", [&] { m.AddWaste(elsewhere.waste); }},
        {"figure of another drawing deleted", [&] { m.DelFigure(elsewhere.figure); }},
        {"sheet of another drawing deleted", [&] { m.DelSheet(elsewhere.sheet); }},
        {"owner of another drawing", [&] { job.jumper->SetOwner1(elsewhere.figure); }},
        {"owner of another model", [&] { job.jumper->SetOwner2(other.sheet); }},
        {"sheet index beyond the list", [&] { m.SelectSheet(SIZE_MAX, true); }},
        {"sheet index just beyond", [&] { m.SelectSheet(1, true); }},
        {"sheet index inverted beyond", [&] { m.InvertSelectSheet(SIZE_MAX); }},
        {"copies by an unknown name", [&] { m.CopyFiguresByName(std::wstring(100000, L'x'), 2); }},
    };
    for (const auto& [what, call] : calls) {
        call();
        EXPECT_EQ(DrawingMacros().size(), macros) << what;
        EXPECT_EQ(m.GetJumpersCount(), 1u) << what;
        EXPECT_EQ(m.GetWastesCount(), 1u) << what;
        EXPECT_EQ(m.GetFiguresCount(), 3u) << what;
        EXPECT_EQ(m.GetSheetsCount(), 1u) << what;
    }
    for (int reference : {0, -1, INT_MIN, INT_MAX}) {
        EXPECT_EQ(m.GetIndexSheetByRef(reference), -1) << reference;
        EXPECT_FALSE(m.GetJumperByRef(reference)) << reference;
        EXPECT_FALSE(m.GetWasteByRef(reference)) << reference;
        double x = 1.0, y = 2.0;
        EXPECT_FALSE(m.CheckObjectForJumperOwner(reference, x, y, 10.0, NestingObjectType::Figure));
        EXPECT_FALSE(m.CheckObjectForJumperOwner(reference, x, y, 10.0, static_cast<NestingObjectType>(77)));
        EXPECT_EQ(x, 1.0);
    }
    std::vector<ISheetPtr> selected;
    m.GetSelectedSheets(selected);
    EXPECT_TRUE(selected.empty());
}

// Names and paths: empty, very long, not UTF-16 at all, folders that do not
// exist or are files. Each is refused or taken as it stands, and nothing faults.
TEST_F(StaleTest, UnusualTextsAndPathsAreRefusedOrTakenAsTheyStand)
{
    Job job = MakeJob();
    INestingModel& m = *job.model.get();
    const std::wstring file = FragmentFile(TestParts().front());
    const std::wstring odd{wchar_t(0xDC00), wchar_t(0xD800), wchar_t(0x10FFFF + 1), L'/'};
    const std::wstring texts[] = {L"", std::wstring(100000, L'Ш'), odd, root.wstring(), file + L"/x",
                                  File("no/such/folder/x.vfr")};
    for (const std::wstring& text : texts) {
        SCOPED_TRACE(testing::PrintToString(text.size()));
        const size_t figures = m.GetFiguresCount();
        EXPECT_FALSE(m.AddFigure(text));
        EXPECT_EQ(m.GetFiguresCount(), figures);
        EXPECT_FALSE(m.ImportSheetFromFile(text));
        m.SetSheetPattern(text);
        m.SetMaterialSheet(text);
        m.SetLytPath(text);
        std::wstring lyt;
        m.GetLytPath(lyt);
        std::vector<INObjectPtr> named;
        m.GetFiguresByName(named, text);
        std::map<std::wstring, bool> adapters{{text, true}};
        m.SetAdapters(adapters);
        std::vector<FileMetaParams> dxf(1);
        dxf[0].m_path = text;
        m.ImportFiguresFromDXF(dxf, text, ScriptMetaParams{});
        IExporterPtr exporter = CreateExporterInstance();
        exporter->ExportToDXF(text);
        IReporterPtr reporter = CreateReporterInstance();
        ReportParams report;
        report.folder = text;
        report.lytPath = text;
        report.addCards = report.addSpecif = report.addTableDetails = true;
        reporter->SetParams(report);
        reporter->Init();
        reporter->CreateDocumentation();
        m.SaveParams();
        m.SaveSession();
    }
    EXPECT_EQ(m.GetSheetsCount(), 1u);
}

}  // namespace apitest
