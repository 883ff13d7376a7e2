// The automation objects as callers hold them: which ids each answers, how
// references are counted, and objects used after their model or their model
// object is gone.
#include "api/api_fixture.h"

#include "api/NestingAPIObjects.h"

#include <array>
#include <cmath>
#include <functional>
#include <set>
#include <sstream>
#include <string>

namespace apitest {
namespace {

const std::vector<std::pair<std::string, vlapi::IAPIObjectIID>> kIds = {
    {"IAPIObject", vlapi::IID_IAPIObject}, {"INObject", IID_INObject},
    {"ISheet", IID_ISheet},                {"IFigure", IID_IFigure},
    {"IJumper", IID_IJumper},              {"IWaste", IID_IWaste},
    {"INestingModel", IID_INestingModel},  {"IOptimizer", IID_IOptimizer},
    {"IExporter", IID_IExporter},          {"IReporter", IID_IReporter},
};

// The names of the interfaces the object answers.
std::set<std::string> Answers(vlapi::IAPIObject* object)
{
    std::set<std::string> names;
    for (const auto& [name, iid] : kIds) {
        void* out = nullptr;
        const bool answered = object->QueryInterface(iid, &out);
        EXPECT_EQ(answered, out != nullptr) << name;
        if (answered) {
            static_cast<vlapi::IAPIObject*>(out)->Release();
            names.insert(name);
        }
    }
    return names;
}

// The reference count, read by adding and dropping one.
long Count(vlapi::IAPIObject* object)
{
    object->AddRef();
    return object->Release();
}

// Where a model object's macro stands: x, y and the angle in degrees.
std::array<double, 3> At(const NObjectPtr& object)
{
    std::array<double, 3> at{};
    object->GetPlacement(at[0], at[1], at[2]);
    return at;
}

NRect Box(INObject* object)
{
    NRect box;
    object->GetGabarit(box);
    return box;
}

void DeleteAll(Job& job)
{
    job.model->DelFigure(job.figure);
    job.model->DelWaste(job.waste);
    job.model->DelJumper(job.jumper);
    job.model->DelSheet(job.sheet);
}

using Call = std::pair<const char*, std::function<NResult()>>;

class ObjectsTest : public ApiTest {
protected:
    // Everything a refused value could have changed, as one text.
    static std::wstring Snapshot(const Job& job)
    {
        INestingModel& m = *job.model.get();
        const ModelParams p = m.GetParams();
        const SheetSchemeParams scheme = *m.GetSchemeParams();
        const NRect box = Box(job.figure.get()), remnant = Box(job.waste.get());
        std::wostringstream s;
        const auto put = [&s](const auto&... v) { ((s << v << ' '), ...); };
        put(remnant.pBot.x, remnant.pBot.y, remnant.pTop.x, remnant.pTop.y, static_cast<int>(job.jumper->GetType()),
            job.jumper->GetWidth(), job.jumper->GetName(), job.figure->GetThickness(), box.pBot.x,
            job.sheet->GetCount(), m.GetBridgesWidth(), m.GetBridgesLength(), m.GetTolerance(), m.GetSheetFormat(),
            m.GetNestingMethod(), m.GetWidthSheet(), m.GetHeightSheet(), p.m_thicknessSheet, p.m_textSize,
            p.m_figureGap, p.m_sheetGap, p.m_wastSize, p.m_wastRectSize, p.m_wastesColor, scheme.sheetScheme,
            scheme.countColumns, p.m_linearMinimum, int(p.m_linearMinimumKept), m.GetFiguresCount(),
            DrawingMacros().size());
        return s.str();
    }
    // Each call answers `answer` and changes nothing.
    static void ExpectEach(const Job& job, NResult answer, const std::vector<Call>& calls)
    {
        const std::wstring before = Snapshot(job);
        for (const auto& [what, call] : calls) {
            EXPECT_EQ(call(), answer) << what;
            EXPECT_EQ(Snapshot(job), before) << what;
        }
    }
};

}  // namespace

TEST_F(ObjectsTest, EachKindAnswersItsOwnIdItsBasesAndNothingElse)
{
    Job job = MakeJob();
    IOptimizerPtr optimizer = CreateOptimizerInstance();
    IReporterPtr reporter = CreateReporterInstance();
    IExporterPtr exporter = CreateExporterInstance();
    const struct {
        vlapi::IAPIObject* object;
        std::set<std::string> ids;
    } cases[] = {
        {job.sheet.get(), {"IAPIObject", "INObject", "ISheet"}},
        {job.figure.get(), {"IAPIObject", "INObject", "IFigure"}},
        {job.jumper.get(), {"IAPIObject", "INObject", "IJumper"}},
        {job.waste.get(), {"IAPIObject", "INObject", "IWaste"}},
        {job.model.get(), {"IAPIObject", "INestingModel"}},
        {optimizer.get(), {"IAPIObject", "IOptimizer"}},
        {reporter.get(), {"IAPIObject", "IReporter"}},
        {exporter.get(), {"IAPIObject", "IExporter"}},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.object, nullptr);
        EXPECT_EQ(Answers(c.object), c.ids);
        void* out = &out;
        EXPECT_FALSE(c.object->QueryInterface(nullptr, &out));
        EXPECT_EQ(out, nullptr);
        EXPECT_FALSE(c.object->QueryInterface(IID_INObject, nullptr));
    }

    // Every list entry answers its kind through INObject; the wrong kind and
    // an empty entry give empty pointers.
    std::vector<INObjectPtr> objects;
    job.model->GetSheetObjects(objects);
    job.model->GetFigureObjects(objects);
    job.model->GetJumperObjects(objects);
    job.model->GetWasteObjects(objects);
    ASSERT_EQ(objects.size(), 6u);
    EXPECT_TRUE(ISheetPtr(objects[0]) && !IFigurePtr(objects[0]));
    EXPECT_TRUE(IFigurePtr(objects[3]) && !ISheetPtr(objects[3]));
    EXPECT_TRUE(IJumperPtr(objects[4]) && !IWastePtr(objects[4]));
    EXPECT_TRUE(IWastePtr(objects[5]) && !IJumperPtr(objects[5]));
    EXPECT_FALSE(IFigurePtr(INObjectPtr()));
    EXPECT_FALSE(INestingModelPtr(optimizer));
}

TEST_F(ObjectsTest, FactoriesGiveOneReferenceCopiesAddOneAndTheLastReleaseDeletes)
{
    INestingModelPtr model = CreateNestingModelInstance();
    IOptimizerPtr optimizer = CreateOptimizerInstance();
    IReporterPtr reporter = CreateReporterInstance();
    IExporterPtr exporter = CreateExporterInstance();
    ASSERT_TRUE(model && optimizer && reporter && exporter);
    for (vlapi::IAPIObject* object : std::initializer_list<vlapi::IAPIObject*>{model.get(), optimizer.get(), reporter.get(), exporter.get()})
        EXPECT_EQ(Count(object), 1);
    {
        INestingModelPtr copy = model;
        vlapi::IAPIObjectPtr base = model;
        EXPECT_EQ(Count(model.get()), 3);
    }
    EXPECT_EQ(Count(model.get()), 1);

    // A listed object holds its model object: releasing the last reference
    // lets it go.
    model->SetWidthSheet(300.0);
    model->SetHeightSheet(200.0);
    ISheetPtr sheet = model->AddSheet();
    EXPECT_EQ(Count(sheet.get()), 1);
    SheetPtr object = ModelObjectAs<Sheet>(sheet);
    const long held = object.use_count();
    INObjectPtr asObject = sheet;
    EXPECT_EQ(Count(sheet.get()), 2);
    EXPECT_EQ(object.use_count(), held) << "one automation object, two references";
    sheet = nullptr;
    asObject = nullptr;
    EXPECT_EQ(object.use_count(), held - 1);
}

// A model released before the objects it listed: they keep their model
// objects, stay usable and are deleted by their own last release; the
// drawing keeps every macro.
TEST_F(ObjectsTest, ObjectsOutliveTheirModelAndTheDrawingKeepsEverything)
{
    Job job = MakeJob();
    IFiguresTree tree;
    job.model->GetFigureObjectsTree(tree);
    std::vector<INObjectPtr> all;
    job.model->GetFigureObjects(all);
    job.model->GetWasteObjects(all);
    const size_t macros = DrawingMacros().size();
    const std::wstring name = job.figure->GetName();
    const int ref = job.figure->GetReference();

    job.model = nullptr;
    EXPECT_EQ(DrawingMacros().size(), macros);

    EXPECT_EQ(job.figure->GetName(), name);
    EXPECT_TRUE(job.figure->CheckReference(ref));
    job.figure->Choose(true);
    EXPECT_TRUE(job.figure->GetChoose());
    job.figure->SetPlacement(40.0, 30.0, 0.0);
    job.figure->SaveParams();
    job.sheet->SetCount(2.0);
    EXPECT_EQ(job.sheet->GetCount(), 2.0);
    job.jumper->SetWidth(20.0);
    job.jumper->SetPoint1(100.0, 0.0);
    job.waste->ChangeText(L"R");
    for (const auto& group : tree)
        for (const IFigurePtr& figure : group)
            EXPECT_EQ(figure->GetName(), name);
    for (const INObjectPtr& object : all)
        EXPECT_GE(object->GetView(), 0);
    EXPECT_EQ(DrawingMacros().size(), macros);
}

// An object whose model object left its model stays safe: deleting clears
// its macro; the object keeps its data, answers "no macro" and ignores edits.
TEST_F(ObjectsTest, ObjectsStaySafeAfterTheirModelObjectLeftTheModel)
{
    Job job = MakeJob();
    INestingModel& model = *job.model.get();
    const size_t macros = DrawingMacros().size();
    const std::wstring name = job.figure->GetName();
    const int ref = job.figure->GetReference();

    DeleteAll(job);
    EXPECT_EQ(model.GetFiguresCount(), 2u);
    EXPECT_EQ(model.GetSheetsCount() + model.GetWastesCount() + model.GetJumpersCount(), 0u);
    EXPECT_EQ(DrawingMacros().size(), macros - 4);

    for (INObject* object : std::initializer_list<INObject*>{job.figure.get(), job.sheet.get(), job.waste.get(),
                                                               job.jumper.get()}) {
        EXPECT_EQ(object->GetView(), -1);
        EXPECT_EQ(object->GetReference(), 0);
        object->Choose(true);
        object->InvertChoose();
        object->SetPlacement(1.0, 2.0, 90.0);
        object->ChangeView(0);
        object->SetCurrentView();
        object->SaveParams();
    }
    EXPECT_EQ(job.figure->GetName(), name);
    EXPECT_FALSE(job.figure->CheckReference(ref));
    job.jumper->ReBuild();
    int group = -1;
    job.jumper->GetPhantomGroup(10.0, 10.0, false, group);
    EXPECT_EQ(DrawingMacros().size(), macros - 4);

    // Deleting again, or adding what left (its macro gone), changes nothing.
    model.DelFigure(job.figure);
    model.AddWaste(job.waste);
    EXPECT_EQ(model.GetWastesCount(), 0u);
    EXPECT_EQ(DrawingMacros().size(), macros - 4);
}

// Empty and foreign entries: nothing happens to this model or the other's objects.
TEST_F(ObjectsTest, EmptyAndForeignObjectsChangeNothing)
{
    Job job = MakeJob();
    INestingModelPtr other = CreateNestingModelInstance();
    const size_t macros = DrawingMacros().size();

    other->DelFigure(job.figure);
    other->RemFigure(job.figure);
    other->DelSheet(job.sheet);
    other->DelJumper(job.jumper);
    other->DelWaste(job.waste);
    for (INestingModel* m : {job.model.get(), other.get()}) {
        m->DelFigure(nullptr);
        m->RemFigure(nullptr);
        m->DelSheet(nullptr);
        m->AddJumper(nullptr, 0);
        m->DelJumper(nullptr);
        m->AddWaste(nullptr);
        m->DelWaste(nullptr);
    }
    job.jumper->SetOwner2(INObjectPtr());
    job.jumper->SetOwner2(job.waste);  // a remnant owns no bridge
    EXPECT_FALSE(ModelObjectAs<Jumper>(job.jumper)->m_owner2);
    EXPECT_FALSE(ModelObjectOf(other.get()));

    EXPECT_EQ(DrawingMacros().size(), macros);
    EXPECT_EQ(job.model->GetFiguresCount(), 3u);
    EXPECT_EQ(job.model->GetSheetsCount(), 1u);
    EXPECT_EQ(job.model->GetJumpersCount(), 1u);
    EXPECT_EQ(job.model->GetWastesCount(), 1u);
    EXPECT_EQ(other->GetFiguresCount() + other->GetSheetsCount(), 0u);
}


// Out of range, not a number, infinite or beyond any sheet: each value is
// refused and changes nothing.
TEST_F(ObjectsTest, ValuesOutOfRangeAreRefusedAndChangeNothing)
{
    Job job = MakeJob();
    INestingModel& m = *job.model.get();
    const double nan = std::nan("");
    // The parameter block with one field as given.
    const auto block = [&](auto ModelParams::*field, auto value) {
        ModelParams p = m.GetParams();
        p.*field = value;
        return m.SetParams(p);
    };
    const auto params = [&](auto ModelParams::*field) { return [&, field](double v) { return block(field, v); }; };
    // The block with a shortest remnant of linear nesting kept.
    const auto keep = [&](double mm) { ModelParams p = m.GetParams(); p.KeepLinearMinimum(mm); return m.SetParams(p); };
    const double beyond[] = {nan, HUGE_VAL, -HUGE_VAL, 1e300, -1e300};
    // Each setter of a measure with the values it refuses, and with those
    // beyond any sheet when `beyondToo`.
    const struct {
        const char* what;
        std::function<NResult(double)> set;
        std::vector<double> values;
        bool beyondToo = true;
    } measures[] = {
        {"bridge width", [&](double v) { return job.jumper->SetWidth(v); }, {-10.0, 0.0}},
        {"bridge end x", [&](double v) { return job.jumper->SetPoint1(v, 0.0); }, {}},
        {"bridge second end x", [&](double v) { return job.jumper->SetPoint2(v, 0.0); }, {HUGE_VAL}, false},
        {"bridge second end y", [&](double v) { return job.jumper->SetPoint2(0.0, v); }, {}},
        {"figure x", [&](double v) { return job.figure->SetPlacement(v, 0.0, 0.0); }, {}},
        {"figure angle", [&](double v) { return job.figure->SetPlacement(0.0, 0.0, v); }, {}},
        {"figure thickness", [&](double v) { return job.figure->SetThickness(v); }, {-1.0}},
        {"sheet count", [&](double v) { return job.sheet->SetCount(v); }, {-1.0, 0.0, 2.5}},
        {"bridges width", [&](double v) { return m.SetBridgesWidth(v); }, {-1.0}},
        // 0 as well, which the configuration file refuses.
        {"bridges length", [&](double v) { return m.SetBridgesLength(v); }, {-1.0, 0.0}},
        {"tolerance", [&](double v) { return m.SetTolerance(v); }, {0.0}},
        {"sheet width", [&](double v) { return m.SetWidthSheet(v); }, {-100.0}},
        {"sheet height", [&](double v) { return m.SetHeightSheet(v); }, {0.0}},
        {"sheet thickness", [&](double v) { return m.SetThicknessSheet(v); }, {-2.0}},
        {"text size", [&](double v) { return m.SetTextSize(v); }, {0.0}},
        {"figure gap", [&](double v) { return m.SetFigureGap(v); }, {-1.0}},
        {"sheet gap", [&](double v) { return m.SetSheetGap(v); }, {}},
        {"remnant size", [&](double v) { return m.SetWastSize(v); }, {-1.0}},
        {"remnant rectangle size", [&](double v) { return m.SetWastRectSize(v); }, {-1.0}},
        {"parameters' scale", params(&ModelParams::m_scale1), {}},
        {"parameters' text size", params(&ModelParams::m_textSize), {0.0, 5e8}},
        {"parameters' figure gap", params(&ModelParams::m_figureGap), {-5.0, 5e8}, false},
        {"parameters' sheet gap", params(&ModelParams::m_sheetGap), {5e8}, false},
        {"parameters' sheet thickness", params(&ModelParams::m_thicknessSheet), {5e8}, false},
        {"parameters' remnant size", params(&ModelParams::m_wastSize), {5e8}, false},
        {"parameters' remnant rectangle", params(&ModelParams::m_wastRectSize), {5e8}, false},
        {"parameters' linear minimum kept", keep, {nan, HUGE_VAL, -5.0, 1e300, 1000.5}, false},
        {"parameters' linear minimum not kept", params(&ModelParams::m_linearMinimum), {nan}, false},
    };
    const std::wstring before = Snapshot(job);
    for (const auto& c : measures) {
        std::vector<double> values = c.values;
        if (c.beyondToo)
            values.insert(values.end(), std::begin(beyond), std::end(beyond));
        for (const double v : values) {
            EXPECT_EQ(c.set(v), NResult::OutOfRange) << c.what << ' ' << v;
            EXPECT_EQ(Snapshot(job), before) << c.what << ' ' << v;
        }
    }
    const std::array<double, 3> w = At(ModelObjectAs<Waste>(job.waste));
    IExporterPtr exporter = CreateExporterInstance();
    IReporterPtr reporter = CreateReporterInstance();
    ExpectEach(job, NResult::OutOfRange, {
        {"bridge type -3", [&] { return job.jumper->SetType(static_cast<BridgeType>(-3)); }},
        {"bridge type 11", [&] { return job.jumper->SetType(static_cast<BridgeType>(11)); }},
        {"remnant colour -5", [&] { return job.waste->SetColor(-5); }},
        {"remnant colour beyond 24 bits", [&] { return job.waste->SetColor(0x1000000); }},
        {"sheet format 7", [&] { return m.SetSheetFormat(7); }},
        {"nesting method 2", [&] { return m.SetNestingMethod(2); }},
        {"remnants colour -1", [&] { return m.SetWastesColor(-1); }},
        {"sheet scheme 9", [&] { return m.SetSchemeParams({true, 9, 3}); }},
        {"no columns", [&] { return m.SetSchemeParams({true, 3, 0}); }},
        {"parameters with nesting method 7", [&] { return block(&ModelParams::m_nestingMethod, 7); }},
        {"parameters with nesting method -3", [&] { return block(&ModelParams::m_nestingMethod, -3); }},
        {"parameters with a linear minimum kept 2", [&] { return block(&ModelParams::m_linearMinimumKept, uint8_t{2}); }},
        {"whole-sheet remnant moved left", [&] { return job.waste->SetPlacement(-5.0, 0.0, 0.0); }},
        {"whole-sheet remnant turned", [&] { return job.waste->SetPlacement(w[0], w[1], w[2] + 90.0); }},
        {"export format 3", [&] { ExportParams p; p.format = 3; return exporter->SetParams(p); }},
        {"report sheet format A0", [&] { ReportParams p; p.format = 0; return reporter->SetParams(p); }},
        {"report orientation 2", [&] { ReportParams p; p.orient = 2; return reporter->SetParams(p); }},
        {"copies of a negative count", [&] { return m.CopyFiguresByName(job.figure->GetName(), static_cast<size_t>(-1)); }},
    });
    // A bridge whose end holds such a value (its record spoilt) is not added either.
    const IJumperPtr spoilt = m.CreateJumper(0.0, 0.0, 30.0, BridgeType::Gap, false);
    ASSERT_TRUE(spoilt);
    const auto spoiltEnd = std::dynamic_pointer_cast<Jumper>(ModelObjectOf(spoilt.get()));
    ASSERT_TRUE(spoiltEnd);
    for (const double v : beyond) {
        EXPECT_FALSE(m.CreateJumper(0.0, 0.0, v, BridgeType::Gap, false)) << v;
        EXPECT_FALSE(m.CreateJumper(v, 0.0, 30.0, BridgeType::Gap, false)) << v;
        EXPECT_FALSE(m.CreateJumper(0.0, v, 30.0, BridgeType::Double, false)) << v;
        spoiltEnd->m_point1 = {v, 0.0};
        EXPECT_EQ(m.AddJumper(spoilt, 0), NResult::OutOfRange) << v;
        int group = -1;
        job.jumper->GetPhantomGroup(v, 0.0, false, group);
        EXPECT_EQ(group, 0) << v;
        EXPECT_FALSE(m.CreateWaste(v, v)) << v;
        EXPECT_FALSE(m.GetWasteByPoint(v, 0.0)) << v;
        double x = v, y = v;
        EXPECT_FALSE(m.CheckObjectForJumperOwner(job.sheet->GetReference(), x, y, 30.0, NestingObjectType::Sheet)) << v;
        EXPECT_FALSE(m.CheckIntersectPointWithJumpers(v, v, 30.0)) << v;
        EXPECT_FALSE(m.AddLinNestFigure(LNDetailParams{L"Труба", v, 1}, 1)) << v;
        m.SetProgressIndicator(v);
    }
    m.DeleteProgressIndicator();
    EXPECT_EQ(Snapshot(job), before);
    // A part file asking for more pieces than copies are made at once makes none.
    const size_t held = m.GetFiguresCount();
    EXPECT_FALSE(m.AddFigure(FragmentFile("many.vfr", TestParts().front().outline, 100001)));
    EXPECT_FALSE(m.AddFigure(FragmentFile("thin.vfr", TestParts().front().outline, 1, -4.0)));
    EXPECT_FALSE(m.AddFigure(FragmentFile("thick.vfr", TestParts().front().outline, 1, 5000.0)));
    EXPECT_EQ(m.GetFiguresCount(), held);
    // What names nothing is not there to act on.
    ExpectEach(job, NResult::NotFound, {
        {"no such part", [&] { return m.CopyFiguresByName(L"no such part", 3); }},
        {"no bridge", [&] { return m.AddJumper(IJumperPtr(), 0); }},
    });
    EXPECT_EQ(Snapshot(job), before);
    EXPECT_EQ(job.waste->SetPlacement(w[0], w[1], w[2] + 360.0), NResult::Done);
    EXPECT_FALSE(m.CreateJumper(0.0, 0.0, 30.0, static_cast<BridgeType>(99), false));
    EXPECT_FALSE(m.CreateJumper(0.0, 0.0, -10.0, BridgeType::Gap, false));
    EXPECT_FALSE(m.AddLinNestFigure(LNDetailParams{L"Труба", -5.0, 1}, 1));
    const size_t figures = m.GetFiguresCount();
    EXPECT_FALSE(m.AddLinNestFigure(LNDetailParams{L"Труба", 500.0, 1}, 0));
    EXPECT_EQ(m.GetFiguresCount(), figures) << "no piece asked for";
    // A detail is wanted 1 to 10^9 times, and its pieces drawn again as often
    // as those drawn: a drawing keeps one count per name and length.
    EXPECT_FALSE(m.AddLinNestFigure(LNDetailParams{L"Труба", 500.0, 0}, 1));
    EXPECT_FALSE(m.AddLinNestFigure(LNDetailParams{L"Труба", 500.0, 1000000001}, 1));
    ASSERT_TRUE(m.AddLinNestFigure(LNDetailParams{L"Труба", 500.0, 1000000000}, 1));
    EXPECT_TRUE(m.AddLinNestFigure(LNDetailParams{L"Труба", 500.0, 1000000000}, 2));
    EXPECT_TRUE(m.AddLinNestFigure(LNDetailParams{L"Труба", 600.0, 7}, 1));
    const size_t pieces = m.GetFiguresCount();
    EXPECT_FALSE(m.AddLinNestFigure(LNDetailParams{L"Труба", 500.00005, 1000000000 - 1}, 1));
    EXPECT_EQ(m.GetFiguresCount(), pieces);

    // A sheet added after a refused size has the size in force.
    const ISheetPtr added = m.AddSheet();
    ASSERT_TRUE(added);
    const NRect box = Box(added.get());
    EXPECT_NEAR(box.pTop.x - box.pBot.x, 300.0, 1e-6);
    EXPECT_NEAR(box.pTop.y - box.pBot.y, 200.0, 1e-6);
    EXPECT_EQ(job.jumper->SetWidth(24.0), NResult::Done);
    EXPECT_EQ(job.jumper->GetWidth(), 24.0);
    for (const double kept : {0.0, 250.0, 1000.0}) {
        EXPECT_EQ(keep(kept), NResult::Done) << kept;
        EXPECT_EQ(m.GetParams().LinearMinimum(), kept);
    }
}


// Each field of the parameter block is taken as its own setter takes it: a
// value one refuses the other refuses, leaving the block as it was.
TEST_F(ObjectsTest, TheParameterBlockTakesWhatEachSetterTakes)
{
    using Setter = NResult (INestingModel::*)(double);
    const std::tuple<const char*, double ModelParams::*, Setter> measures[] = {
        {"sheet thickness", &ModelParams::m_thicknessSheet, &INestingModel::SetThicknessSheet},
        {"text size", &ModelParams::m_textSize, &INestingModel::SetTextSize},
        {"remnant size", &ModelParams::m_wastSize, &INestingModel::SetWastSize},
        {"remnant rectangle", &ModelParams::m_wastRectSize, &INestingModel::SetWastRectSize},
        {"figure gap", &ModelParams::m_figureGap, &INestingModel::SetFigureGap},
        {"sheet gap", &ModelParams::m_sheetGap, &INestingModel::SetSheetGap},
    };
    const double values[] = {-3.0, 0.0, 0.005, 7.0, 999.0, 5000.0, 5e8, std::nan(""), HUGE_VAL};
    const auto fields = [](const ModelParams& p) {
        return std::tie(p.m_scale1, p.m_scale2, p.m_thicknessSheet, p.m_textSize, p.m_wastSize, p.m_wastRectSize,
                        p.m_figureGap, p.m_sheetGap, p.m_wastesColor, p.m_nestingMethod);
    };
    // The setter's answer against the block's, on two new models.
    const auto compare = [&](const char* what, auto field, auto value, auto set) {
        INestingModelPtr single = CreateNestingModelInstance(), whole = CreateNestingModelInstance();
        const ModelParams before = whole->GetParams();
        ModelParams p = before;
        p.*field = value;
        const NResult answer = set(*single.get(), value);
        EXPECT_EQ(whole->SetParams(p), answer) << what << ' ' << value;
        EXPECT_TRUE(fields(whole->GetParams()) == fields(answer == NResult::Done ? p : before)) << what << ' ' << value;
    };
    for (const auto& [what, field, setter] : measures) {
        const Setter set = setter;
        for (const double v : values)
            compare(what, field, v, [set](INestingModel& m, double value) { return (m.*set)(value); });
    }
    for (const int32_t method : {-3, 0, 1, 7})
        compare("nesting method", &ModelParams::m_nestingMethod, method,
                [](INestingModel& m, int32_t value) { return m.SetNestingMethod(value); });
    for (const int32_t colour : {-1, 0, 0xC8D200, 0x1000000})
        compare("remnants colour", &ModelParams::m_wastesColor, colour,
                [](INestingModel& m, int32_t value) { return m.SetWastesColor(value); });
}

// A figure placed through its automation object stands where it is asked,
// its rectangle with it, and a bridge on it comes along.
TEST_F(ObjectsTest, FigurePlacedByTheInterfaceMovesWithItsBridges)
{
    Job job = MakeJob();
    INestingModel& m = *job.model.get();
    job.figure->SaveParams();
    job.figure->SetCurrentView();
    const NRect box = Box(job.figure.get());
    const NRect border = ModelObjectAs<Figure>(job.figure)->m_rectBorder;
    double x = border.pBot.x;
    double y = (border.pBot.y + border.pTop.y) / 2;
    const IJumperPtr bridge = m.CreateJumper(0.0, 0.0, 10.0, BridgeType::Gap, false);
    bridge->SetOwner1(m.CheckObjectForJumperOwner(job.figure->GetReference(), x, y, 10.0, NestingObjectType::Figure));
    ASSERT_TRUE(ModelObjectAs<Jumper>(bridge)->m_owner1);
    bridge->SetPoint1(x, y);
    ASSERT_EQ(m.AddJumper(bridge, 0), NResult::Done);
    const auto [x0, y0, a0] = At(ModelObjectAs<Figure>(job.figure));

    ASSERT_EQ(job.figure->SetPlacement(x0 + 40.0, y0 + 30.0, a0), NResult::Done);
    const auto moved = At(ModelObjectAs<Figure>(job.figure));
    EXPECT_NEAR(moved[0], x0 + 40.0, 1e-6);
    EXPECT_NEAR(moved[1], y0 + 30.0, 1e-6);
    const NRect after = Box(job.figure.get());
    EXPECT_NEAR(after.pBot.x, box.pBot.x + 40.0, 1e-6);
    EXPECT_NEAR(after.pTop.y, box.pTop.y + 30.0, 1e-6);
    // The bridge in the drawing, as the next reading finds it.
    const auto bridgeAt = At(ModelObjectAs<Jumper>(bridge));
    EXPECT_NEAR(bridgeAt[0], x + 40.0, 1e-6);
    EXPECT_NEAR(bridgeAt[1], y + 30.0, 1e-6);

    // A half turn about the macro's point: the rectangle turns with it.
    ASSERT_EQ(job.figure->SetPlacement(moved[0], moved[1], a0 + 180.0), NResult::Done);
    EXPECT_NEAR(std::remainder(At(ModelObjectAs<Figure>(job.figure))[2] - a0 - 180.0, 360.0), 0.0, 1e-6);
    const NRect turned = Box(job.figure.get());
    EXPECT_NEAR(turned.pTop.x - turned.pBot.x, after.pTop.x - after.pBot.x, 1e-6);
    EXPECT_NEAR(turned.pBot.x + turned.pTop.x, 4.0 * moved[0] - after.pBot.x - after.pTop.x, 1e-6);
}

// The library moves a sheet's view, never its macro: a sheet placed anywhere
// but where it stands is refused, its macro and outline as they were.
TEST_F(ObjectsTest, ASheetIsPlacedOnlyWhereItStands)
{
    Job job = MakeJob();
    const SheetPtr sheet = ModelObjectAs<Sheet>(job.sheet);
    const auto [x0, y0, a0] = At(sheet);
    const NRect box = Box(job.sheet.get());

    EXPECT_EQ(job.sheet->SetPlacement(x0 + 50.0, y0, a0), NResult::OutOfRange);
    EXPECT_EQ(job.sheet->SetPlacement(x0, y0, a0 + 90.0), NResult::OutOfRange);
    EXPECT_EQ(job.sheet->SetPlacement(x0, y0, a0 + 360.0), NResult::Done);
    EXPECT_EQ(At(sheet), (std::array<double, 3>{x0, y0, a0}));
    const NRect after = Box(job.sheet.get());
    EXPECT_EQ(std::make_tuple(after.pBot.x, after.pTop.y), std::make_tuple(box.pBot.x, box.pTop.y));
}

// A remnant or a bridge placed through its automation object: the model's
// outline and ends follow its macro, as the next reading of the drawing finds them.
TEST_F(ObjectsTest, RemnantsAndBridgesPlacedByTheInterfaceKeepTheModelWithTheDrawing)
{
    Job job = MakeJob();
    // The sheet grown past its remnant, which moves on it.
    ASSERT_EQ(job.model->SetWidthSheet(400.0), NResult::Done);
    ASSERT_EQ(job.model->SetHeightSheet(300.0), NResult::Done);
    const WastePtr waste = ModelObjectAs<Waste>(job.waste);
    const JumperPtr bridge = ModelObjectAs<Jumper>(job.jumper);
    const NRect box = waste->GetGabarit();
    const NPoint ends[] = {bridge->m_point1, bridge->m_point2};
    const std::pair<INObject*, NObjectPtr> objects[] = {{job.waste.get(), waste}, {job.jumper.get(), bridge}};
    for (const auto& [object, model] : objects) {
        const auto [x0, y0, a0] = At(model);
        ASSERT_EQ(object->SetPlacement(x0 + 40.0, y0 + 30.0, a0), NResult::Done) << model->GetName();
    }
    EXPECT_NEAR(waste->GetGabarit().pBot.x, box.pBot.x + 40.0, 1e-6);
    EXPECT_NEAR(waste->GetGabarit().pTop.y, box.pTop.y + 30.0, 1e-6);
    for (int end = 0; end < (bridge->m_twoPoints ? 2 : 1); ++end) {
        const NPoint& now = end == 0 ? bridge->m_point1 : bridge->m_point2;
        EXPECT_NEAR(now.x, ends[end].x + 40.0, 1e-6) << end;
        EXPECT_NEAR(now.y, ends[end].y + 30.0, 1e-6) << end;
    }
    // A remnant beside another, on a sheet grown past the first, is not
    // moved onto it: no area is stock twice.
    Job wide = MakeJob();
    ASSERT_EQ(wide.model->SetWidthSheet(600.0), NResult::Done);
    const IWastePtr beside = wide.model->CreateWaste(580.0, 20.0);
    ASSERT_TRUE(beside);
    wide.model->AddWaste(beside);
    const WastePtr second = ModelObjectAs<Waste>(beside);
    const NRect besideBox = second->GetGabarit();
    const auto [x0, y0, a0] = At(second);
    EXPECT_EQ(beside->SetPlacement(x0 - 200.0, y0, a0), NResult::OutOfRange);
    EXPECT_NEAR(second->GetGabarit().pBot.x, besideBox.pBot.x, 1e-9);
    EXPECT_EQ(beside->SetPlacement(x0, y0, a0), NResult::Done) << "where it stands, along the first";
}

// An object whose drawing object is gone (deleted with it) names nothing to
// act on: every setter answers NotFound and changes nothing; a bridge whose
// sheet left, or one of another model, is not added.
TEST_F(ObjectsTest, ObjectsWhoseDrawingObjectIsGoneAreNotFound)
{
    Job job = MakeJob();
    INestingModel& m = *job.model.get();
    DeleteAll(job);
    Job other = MakeJob();
    // A bridge `along` mm on the lower edge of the other job's sheet, its
    // first end placed or not, with the owner given of its second end.
    const auto onOtherSheet = [&](BridgeType type, bool placed, const INObjectPtr& second, double along = 40.0) {
        const IJumperPtr bridge = other.model->CreateJumper(0.0, 0.0, 5.0, type, false);
        const NRect box = Box(other.sheet.get());
        double x = box.pBot.x + along, y = box.pBot.y + 2.0;
        bridge->SetOwner1(
            other.model->CheckObjectForJumperOwner(other.sheet->GetReference(), x, y, 5.0, NestingObjectType::Sheet));
        if (placed)
            bridge->SetPoint1(x, y);
        bridge->SetOwner2(second);
        return bridge;
    };
    const auto add = [&](const IJumperPtr& bridge) { return other.model->AddJumper(bridge, 0); };
    // NotFound when the other model adds none of the bridges made, one of each type.
    const auto noneAdded = [&](std::initializer_list<BridgeType> types, const std::function<IJumperPtr(BridgeType)>& make) {
        NResult all = NResult::NotFound;
        for (const BridgeType type : types)
            if (add(make(type)) != NResult::NotFound)
                all = NResult::Done;
        return all;
    };
    // A bridge on the other job's part in the container, its end on the
    // part's outline, drawn in the part's view or on the sheet's.
    const auto bridgeOnPart = [&](bool onSheet) {
        const IJumperPtr bridge = other.model->CreateJumper(0.0, 0.0, 5.0, BridgeType::Gap, false);
        other.figure->SetCurrentView();
        const NRect border = ModelObjectAs<Figure>(other.figure)->m_rectBorder;
        double x = border.pBot.x, y = (border.pBot.y + border.pTop.y) / 2;
        bridge->SetOwner1(
            other.model->CheckObjectForJumperOwner(other.figure->GetReference(), x, y, 5.0, NestingObjectType::Figure));
        EXPECT_TRUE(ModelObjectAs<Jumper>(bridge)->m_owner1);
        bridge->SetPoint1(x, y);
        if (onSheet)
            other.sheet->SetCurrentView();
        return other.model->AddJumper(bridge, 0);
    };
    ExpectEach(job, NResult::NotFound, {
        {"figure thickness", [&] { return job.figure->SetThickness(2.0); }},
        {"figure placed", [&] { return job.figure->SetPlacement(1.0, 1.0, 0.0); }},
        {"sheet count", [&] { return job.sheet->SetCount(3.0); }},
        {"sheet placed where it stood", [&] { return job.sheet->SetPlacement(0.0, 0.0, 0.0); }},
        {"bridge type", [&] { return job.jumper->SetType(BridgeType::Double); }},
        {"bridge width", [&] { return job.jumper->SetWidth(10.0); }},
        {"bridge end", [&] { return job.jumper->SetPoint1(1.0, 1.0); }},
        {"bridge second end", [&] { return job.jumper->SetPoint2(1.0, 1.0); }},
        {"remnant colour", [&] { return job.waste->SetColor(5); }},
        {"remnant placed", [&] { return job.waste->SetPlacement(1.0, 1.0, 0.0); }},
        {"bridge on a sheet that left", [&] { return m.AddJumper(job.jumper, 0); }},
        {"another model's bridge", [&] { return m.AddJumper(other.jumper, 0); }},
        {"a bridge on another model's figure", [&] {
             const IJumperPtr bridge = m.CreateJumper(0.0, 0.0, 10.0, BridgeType::Gap, false);
             bridge->SetOwner1(other.figure);
             return m.AddJumper(bridge, 0);
         }},
        {"a bridge on nothing, off every sheet", [&] {
             const IJumperPtr bridge = other.model->CreateJumper(5000.0, 5000.0, 5.0, BridgeType::Gap, false);
             bridge->SetPoint1(5000.0, 5000.0);
             return other.model->AddJumper(bridge, 0);
         }},
        {"a bridge whose end was never placed", [&] { return add(onOtherSheet(BridgeType::Gap, false, nullptr)); }},
        {"a two-point bridge without its second end", [&] { return add(onOtherSheet(BridgeType::Double, true, nullptr)); }},
        {"a two-point bridge whose second end has an owner, never placed", [&] { return add(onOtherSheet(BridgeType::Double, true, other.sheet)); }},
        {"bridges whose second end stands off its owner", [&] {
             return noneAdded({BridgeType::Double, BridgeType::Left, BridgeType::Right, BridgeType::Cross,
                               BridgeType::CutOut, BridgeType::DoubleStart, BridgeType::LeftStart,
                               BridgeType::RightStart, BridgeType::CrossStart},
                              [&](BridgeType type) {
                                  const IJumperPtr bridge = onOtherSheet(type, true, other.sheet, 100.0);
                                  bridge->SetPoint2(5000.0, 5000.0);
                                  return bridge;
                              });
         }},
        {"bridges whose end stands off their part", [&] {
             return noneAdded({BridgeType::Gap, BridgeType::Start}, [&](BridgeType type) {
                 const IJumperPtr bridge = other.model->CreateJumper(0.0, 0.0, 5.0, type, false);
                 bridge->SetOwner1(other.figure);
                 bridge->SetPoint1(-3000.0, 77.0);
                 return bridge;
             });
         }},
        {"a bridge on its part's outline in the container, drawn on the sheet",
         [&] { return bridgeOnPart(true); }},
    });
    EXPECT_EQ(other.model->AddJumper(other.jumper, 0), NResult::Done) << "its own, there already";
    EXPECT_EQ(other.model->GetJumpersCount(), 1u);
    EXPECT_EQ(add(onOtherSheet(BridgeType::Gap, true, nullptr)), NResult::Done) << "one on the sheet's edge";
    EXPECT_EQ(bridgeOnPart(false), NResult::Done) << "one on the part's outline, in its view";
    EXPECT_EQ(other.model->GetJumpersCount(), 3u);
}

// A model works on its own drawing: while another one is active, or once its
// own is closed, what would reach the active drawing changes neither, and an
// object is not carried into another drawing's view.
TEST_F(ObjectsTest, AModelLeavesOtherDrawingsAlone)
{
    Job job = MakeJob();
    INestingModel& m = *job.model.get();
    const vlapi::IVarnelDocument2DPtr own = doc;
    const size_t ownMacros = DrawingMacros().size();
    const std::wstring name = job.figure->GetName();
    doc = NewDrawing();
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"a sheet added", [&] { m.AddSheet(); }},
        {"a figure added", [&] { m.AddFigure(FragmentFile(TestParts().front())); }},
        {"copies", [&] { EXPECT_EQ(m.CopyFiguresByName(name, 5), NResult::NotFound); }},
        {"the container", [&] { m.ArrangeFiguresInContainer(true, true); }},
        {"the gaps", [&] { m.UpdateGaps(); }},
        {"the parameters stored", [&] { m.SaveParams(); }},
        {"the result tables", [&] { m.UpdateResultTables(); }},
        {"the figures read", [&] { m.InitFiguresFromActiveDoc(); }},
        {"the figures cleared", [&] { m.ClearFigures(); }},
        {"a remnant", [&] { m.AddWaste(m.CreateWaste(10.0, 10.0)); }},
        {"a bridge", [&] {
             EXPECT_EQ(m.AddJumper(m.CreateJumper(0.0, 0.0, 10.0, BridgeType::Gap, false), 0), NResult::NotFound);
         }},
        {"the figure into this view", [&] { job.figure->ChangeView(0); }},
        {"the bridge drawn again", [&] { job.jumper->ReBuild(); }},
        {"the bridge's preview", [&] {
             int group = -1;
             job.jumper->GetPhantomGroup(10.0, 10.0, false, group);
             EXPECT_EQ(group, 0);
         }},
        {"the sheet's size", [&] { EXPECT_EQ(m.SetWidthSheet(250.0), NResult::NotFound); }},
    };
    for (const auto& [what, call] : calls) {
        call();
        EXPECT_EQ(DrawingMacros().size(), 0u) << what;
    }
    EXPECT_EQ(m.GetFiguresCount(), 3u);
    own->Activate();
    EXPECT_EQ(DrawingMacros().size(), ownMacros);
    EXPECT_EQ(m.CopyFiguresByName(name, 5), NResult::Done);
    EXPECT_EQ(m.GetFiguresCount(), 5u);
}

}  // namespace apitest
