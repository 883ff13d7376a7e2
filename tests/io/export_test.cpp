// The export: the files each format writes, its messages and progress, the
// failures it names while old files survive, and the 3D document of sheets.
#include "io/io_fixture.h"

#include "api/INestingObjects.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI_Detail.h"
#include "io/Exporter.h"
#include "io/Reporter.h"
#include "host/WorkingDrawing.h"
#include "job_check/Clearance.h"

#include <fstream>
#include <functional>
#include <set>
#include <tuple>

namespace iotest {
namespace {

namespace fs = std::filesystem;

const std::wstring kMapNotWritten =
    L"Карта раскроя не записана: она записывается только в формате DXF (card.dxf), а выбран формат «Только фрагменты»";
const std::string kWaste1 = "waste1-1(1) 2x300x150 Ст3";
const std::string kWaste2 = "waste1-2(2) 2x300x150 Ст3";

class ExportTest : public IoTest {
protected:
    // S1 with two parts, a compound figure and two remnants, S2 empty, S3
    // with one part; the parts coloured, the remnants named.
    void BuildJob()
    {
        model.m_figureGap = 0.0;
        SheetPtr s1 = AddSheet(L"S1", 1000.0, 500.0);
        AddRectPart(s1, L"A", 100, 50, 0, 0);
        AddRectPart(s1, L"A", 100, 50, 120, 0);
        AddCompound(s1, L"T", 0, 200);
        AddWaste(s1, 600, 300, 300, 150);
        AddWaste(s1, 600, 0, 300, 150);
        AddSheet(L"S2", 1000.0, 500.0);
        SheetPtr s3 = AddSheet(L"S3", 800.0, 400.0);
        AddRectPart(s3, L"B", 200, 100, 0, 0);
        model.UpdateWastesNames();
        model.CreateFigureColouring();
        Store();
    }

    void Export(const ExportParams& params)
    {
        IExporterPtr exporter = CreateExporterInstance();
        exporter->SetParams(params);
        exporter->ExportToDXF(OutText());
    }

    static ExportParams Params(bool card, bool sheets, bool wastes, bool threeD, int format)
    {
        ExportParams params;
        params.addCard = card;
        params.addSheets = sheets;
        params.addWastes = wastes;
        params.add3D = threeD;
        params.format = format;
        return params;
    }

    // The texts of the messages shown, information and error alike.
    std::vector<std::wstring> Texts() const
    {
        std::vector<std::wstring> texts;
        for (const vlhost::RecordedMessage& m : host->State().messages)
            texts.push_back(m.text);
        return texts;
    }
    static std::wstring Text(int id) { return vrnApi::LoadStr(id); }

    // The drawing documented into the folder "docs", its maps and `table`: the reporter's `note` of it.
    std::wstring Document(bool ReportParams::*table, std::wstring (Reporter::*note)() const)
    {
        Reporter reporter;
        reporter.Init();
        ReportParams params;
        params.folder = OutText() + L"/docs/";
        params.addCards = params.*table = true;
        reporter.SetParams(params);
        reporter.CreateDocumentation();
        return (reporter.*note)();
    }

    // The figures' colourings in the source drawing.
    size_t Colourings() const { return CountDeep(doc, vlapi::vlDrColouring); }

    // Every view's layers in their order: name, colour and whether shown.
    std::vector<std::tuple<std::wstring, int, bool>> Layers() const
    {
        std::vector<vlapi::IViewPtr> views;
        vrnApi::GetAllViews(doc, views);
        std::vector<std::tuple<std::wstring, int, bool>> layers;
        for (const vlapi::IViewPtr& view : views) {
            const vlapi::ILayersPtr all = view->GetLayers();
            for (int i = 0; all && i < all->GetCount(); ++i)
                if (const vlapi::ILayerPtr layer{all->GetItem(i)})
                    layers.emplace_back(layer->GetName(), layer->GetColor(), layer->GetVisible());
        }
        return layers;
    }

};

TEST_F(ExportTest, EachFormatWritesItsFilesAndTellsEachStep)
{
    BuildJob();
    const size_t macros = DrawingMacros().size();
    const size_t colourings = Colourings();
    vrnApi::ShowHideLayer(vrnApi::LoadStr(IDS_COLORING), true);  // the user hid the colourings
    const auto layers = Layers();
    struct Case {
        int format;
        std::set<std::string> files;
        std::vector<std::wstring> messages;
    };
    const Case cases[] = {
        {0,
         {"card.dxf", "S1.vfw", "S1.dxf", "S3.vfw", "S3.dxf", kWaste1 + ".vfw", kWaste1 + ".dxf", kWaste2 + ".vfw",
          kWaste2 + ".dxf"},
         {Text(IDS_MESS_SUCCESS_EXPORT_CARD), Text(IDS_MESS_SUCCESS_EXPORT_SHEETS), Text(IDS_MESS_SUCCESS_EXPORT_WASTES),
          Text(IDS_MESS_SUCCESS_EXPORT)}},
        {1,
         {"card.dxf", "S1.dxf", "S3.dxf", kWaste1 + ".dxf", kWaste2 + ".dxf"},
         {Text(IDS_MESS_SUCCESS_EXPORT_CARD), Text(IDS_MESS_SUCCESS_EXPORT_SHEETS), Text(IDS_MESS_SUCCESS_EXPORT_WASTES),
          Text(IDS_MESS_SUCCESS_EXPORT)}},
        // The map is a DXF file only: left out, and said so; the export is not done as asked.
        {2,
         {"S1.vfw", "S3.vfw", kWaste1 + ".vfw", kWaste2 + ".vfw"},
         {kMapNotWritten, Text(IDS_MESS_SUCCESS_EXPORT_SHEETS), Text(IDS_MESS_SUCCESS_EXPORT_WASTES)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        fs::remove_all(Out());
        Messages().clear();
        Export(Params(true, true, true, false, c.format));
        EXPECT_EQ(Listing(Out()), c.files);
        EXPECT_EQ(Texts(), c.messages);
        for (const vlhost::RecordedMessage& m : Messages())
            EXPECT_EQ(m.flags, m.text == kMapNotWritten ? vlapi::vlMBIconWarning : vlapi::vlMBIconInformation);
        ExpectCleanHost({Out()});
        EXPECT_EQ(DrawingMacros().size(), macros);
        // The colourings go for the map only and come back; their layer
        // stays as the user set it, in its place.
        EXPECT_EQ(Colourings(), colourings);
        EXPECT_EQ(Layers(), layers);
    }
    // A sheet's fragment holds its outline and its parts' outlines.
    vlapi::IVarnelDocument2DPtr sheet(host->Open(Out() / "S3.vfw", false));
    ASSERT_TRUE(sheet);
    EXPECT_EQ(DrawingObjects(), 5u);
    sheet->Close(0);
}

TEST_F(ExportTest, FiveStepsEndAtEightyAndTheThreeDDocumentHoldsEverySheet)
{
    BuildJob();
    ExportParams params = Params(true, true, true, true, 1);
    params.text3DSour = true;
    Export(params);
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().front().text, Text(IDS_MESS_EXPORT_LING));
    const std::vector<int>& positions = State().progress.positions;
    ASSERT_FALSE(positions.empty());
    EXPECT_EQ(positions.back(), 80);
    EXPECT_EQ(Messages().back().text, Text(IDS_MESS_SUCCESS_EXPORT));

    // S1: two parts and two triangles; S2 empty; S3 one part.
    const std::vector<std::pair<std::wstring, size_t>> sketches = {{L"Sheet1", 14}, {L"Sheet2", 0}, {L"Sheet3", 4}};
    EXPECT_EQ(SketchLines(*host, Out() / "sheets.v3d"), sketches);
}

// Export and documentation close each document once its file is written:
// the host holds one of theirs open at a time, however many files they write.
TEST_F(ExportTest, ExportAndDocumentationHoldOneDocumentOpenAtATime)
{
    BuildJob();
    const struct Case {
        const char* name;
        std::function<void()> run;
        size_t files;
    } cases[] = {
        {"export", [&] { Export(Params(true, true, true, true, 0)); }, 10},
        {"documentation",
         [&] {
             Reporter reporter;
             reporter.Init();
             reporter.SetParams({true, true, OutText() + L"/docs/", L"", 4, 0, true, true, true, true, false});
             reporter.CreateDocumentation();
         },
         12},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(Out());
        const size_t open = static_cast<size_t>(OpenDocuments());
        State().peakOpenDocuments = open;
        c.run();
        size_t files = 0;
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Out()))
            files += entry.is_regular_file() ? 1 : 0;
        EXPECT_EQ(files, c.files);
        EXPECT_LE(State().peakOpenDocuments, open + 1);
        EXPECT_EQ(static_cast<size_t>(OpenDocuments()), open);
    }
}

TEST_F(ExportTest, SecondsFillTheTextOnlyWhenItHoldsOneFloatingConversion)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {L"за %.1f с", L"за 2.5 с"},
        {L"%g s, 100%%", L"2.5 s, 100%"},
        {L"Готово", L"Готово (2.5 с)"},
        {L"%d с", L"%d с (2.5 с)"},
        {L"%f %f", L"%f %f (2.5 с)"},
        {L"%s", L"%s (2.5 с)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SecondsText(c.text, 2.5), c.shown);
}

TEST_F(ExportTest, AnEmptyFolderWarnsAndRemnantsOfOneNameGetTwoFiles)
{
    SheetPtr sheet = AddSheet(L"S", 1000.0, 500.0);
    AddRectPart(sheet, L"A", 100, 50, 600, 300);
    AddWaste(sheet, 0, 0, 100, 100);
    AddWaste(sheet, 200, 0, 100, 100);
    // Named as earlier versions named a remnant without a size.
    AddWaste(sheet, 400, 0, 100, 100)->m_macro->SetName(L"Отход S1-3(3)  Ст3 ");
    // One narrower than the minimum size (kept from an earlier one) is no
    // stock: not exported, and said so.
    AddWaste(sheet, 0, 200, 300, 5)->m_macro->SetName(L"Узкий");
    Store();  // unnamed remnants: "waste" alone for both
    IExporterPtr exporter = CreateExporterInstance();
    exporter->ExportToDXF(L"");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().front().text, Text(IDS_MESS_PUT_EXPORT_FOLDER));
    EXPECT_EQ(State().progress.starts, 0);

    exporter->SetParams(Params(false, false, true, false, 2));
    exporter->ExportToDXF(OutText());
    EXPECT_EQ(Listing(Out()), (std::set<std::string>{"waste.vfw", "waste_2.vfw", "waste1-3(3) Ст3.vfw"}));
    EXPECT_EQ(Messages()[1].text, L"Отходы уже минимального размера отхода 10 мм не экспортированы:\nУзкий");
}

// A format out of range is refused and the one in force stays: DXF only.
TEST_F(ExportTest, AFormatOutOfRangeKeepsTheParametersInForce)
{
    BuildJob();
    IExporterPtr exporter = CreateExporterInstance();
    EXPECT_EQ(exporter->SetParams(Params(false, false, true, false, 1)), NResult::Done);
    EXPECT_EQ(exporter->SetParams(Params(true, true, true, false, 7)), NResult::OutOfRange);
    exporter->ExportToDXF(OutText());
    EXPECT_EQ(Listing(Out()), (std::set<std::string>{kWaste1 + ".dxf", kWaste2 + ".dxf"}));
}

// A step with nothing to export is no failure: no file and no message of
// the step. An export that writes no file at all never ends as done: it says
// why (the map asked for as fragments alone, no remnants, nothing chosen),
// and leaves no folder.
TEST_F(ExportTest, AStepWithNothingToExportWritesAndTellsNothingButNoFileIsNoExport)
{
    SheetPtr sheet = AddSheet(L"S", 1000.0, 500.0);
    AddSheet(L"E", 1000.0, 500.0);
    AddRectPart(sheet, L"A", 100, 50, 0, 0);
    Store();  // no remnant; E without parts
    const std::wstring nothing = L"Экспорт не записал ни одного файла";
    struct Case {
        bool card, sheets, wastes;
        std::set<std::string> files;
        std::vector<std::wstring> messages;
    };
    const Case cases[] = {
        {false, true, true, {"S.vfw"}, {Text(IDS_MESS_SUCCESS_EXPORT_SHEETS), Text(IDS_MESS_SUCCESS_EXPORT)}},
        {false, false, true, {}, {nothing + L": на листах с деталями нет деловых отходов для экспорта"}},
        {true, false, false, {}, {kMapNotWritten}},
        {false, false, false, {}, {nothing + L": ничего не выбрано для экспорта"}},
        {true, true, true, {"S.vfw"}, {kMapNotWritten, Text(IDS_MESS_SUCCESS_EXPORT_SHEETS)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.card << c.sheets << c.wastes);
        fs::remove_all(Out());
        Messages().clear();
        Export(Params(c.card, c.sheets, c.wastes, false, 2));
        EXPECT_EQ(Listing(Out()), c.files);
        EXPECT_EQ(fs::exists(Out()), !c.files.empty());
        EXPECT_EQ(Texts(), c.messages);
    }
}

// An export holds one job: the files it finds in its folder and does not
// write (an earlier job's, or this one's of another format) are named when
// it ends, under a warning, the map and sheets before the remnants; a drawing with nothing on
// its sheets writes nothing, not even the folder.
TEST_F(ExportTest, TheFilesAnEarlierExportLeftAreNamedAndNothingIsNoExport)
{
    const std::wstring note = L"\n\nВ папке остались файлы прежних экспортов, которых этот экспорт не записывал:";
    const std::wstring nothing = L"Нечего экспортировать: на листах чертежа нет деталей";
    struct Case {
        const char* what;
        std::function<void()> build;
        std::vector<std::string> earlier;  // left in the folder before the export
        int format;
        std::vector<std::wstring> last;  // the last message
        std::set<std::string> files;     // the folder afterwards; none when it is not made
    };
    const auto partAndRemnant = [this] {
        SheetPtr s = AddSheet(L"S1", 1000.0, 500.0);
        AddRectPart(s, L"A", 100, 50, 0, 0);
        AddWaste(s, 600, 0, 300, 150);
        model.UpdateWastesNames();
    };
    const auto partInContainer = [this] {
        vrnApi::GetViewPtrByNumber(vrnApi::CreateContainerView(1000.0, 500.0))->SetCurrent(true);
        model.m_figures.push_back(Figure::Create(vrnApi::CreateMacroByRectangle(L"C", 20, 20, 101)));
    };
    const Case cases[] = {
        {"another job's map, sheets, remnants and 3D document, the map and sheets first", partAndRemnant,
         {"card.dxf", "Карта 2.dxf", "Карта 2.vfw", "Карта 3.DXF", "waste2-1(4) 2x99x99 Ст3.dxf", "sheets.v3d",
          "notes.txt", ".hidden.dxf"},
         0,
         {Text(IDS_MESS_SUCCESS_EXPORT) + note +
          L"\nsheets.v3d\nКарта 2.dxf\nКарта 2.vfw\nКарта 3.DXF\nwaste2-1(4) 2x99x99 Ст3.dxf"},
         {"card.dxf", "S1.dxf", "S1.vfw", kWaste1 + ".dxf", kWaste1 + ".vfw", "Карта 2.dxf", "Карта 2.vfw",
          "Карта 3.DXF", "waste2-1(4) 2x99x99 Ст3.dxf", "sheets.v3d", "notes.txt", ".hidden.dxf"}},
        {"this job's files of another format", partAndRemnant, {"S1.dxf", "card.dxf"}, 2,
         {Text(IDS_MESS_SUCCESS_EXPORT) + note + L"\nS1.dxf\ncard.dxf"},
         {"S1.dxf", "S1.vfw", "card.dxf", kWaste1 + ".vfw"}},
        {"a folder of this job's files alone", partAndRemnant, {"S1.vfw", kWaste1 + ".vfw"}, 2,
         {Text(IDS_MESS_SUCCESS_EXPORT)}, {"S1.vfw", kWaste1 + ".vfw"}},
        {"a remnant alone on a sheet", [this] { AddWaste(AddSheet(L"S1", 1000.0, 500.0), 0, 0, 300, 150); },
         {}, 2, {nothing}, {}},
        {"parts in the container, a remnant left on their sheet",
         [&] { AddWaste(AddSheet(L"S1", 1000.0, 500.0), 0, 0, 300, 150); partInContainer(); }, {}, 0, {nothing}, {}},
        {"a remnant on a sheet without parts beside one with",
         [&] { partAndRemnant(); AddWaste(AddSheet(L"S2", 1000.0, 500.0), 0, 0, 300, 150); }, {}, 2,
         {Text(IDS_MESS_SUCCESS_EXPORT)}, {"S1.vfw", kWaste1 + ".vfw"}},
        {"an empty drawing", [] {}, {}, 0, {nothing}, {}},
        {"sheets without parts or remnants", [this] { AddSheet(L"S1", 1000.0, 500.0); }, {}, 0, {nothing}, {}},
        {"parts in the container alone", [&] { AddSheet(L"S1", 1000.0, 500.0); partInContainer(); }, {}, 0, {nothing}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FreshDrawing();
        fs::remove_all(Out());
        c.build();
        Store();
        for (const std::string& file : c.earlier) {
            fs::create_directories(Out());
            std::ofstream(Out() / fs::u8path(file)) << "earlier";
        }
        Messages().clear();
        // The map only where the format writes it.
        Export(Params(c.format <= 1, true, true, false, c.format));
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back().text, c.last.front());
        if (c.files.empty()) {
            EXPECT_EQ(Messages().size(), 1u);
            EXPECT_EQ(Messages().back().flags, vlapi::vlMBIconWarning);
            EXPECT_FALSE(fs::exists(Out()));
        } else {
            EXPECT_EQ(Listing(Out()), c.files);
            // Files of an earlier run beside the new ones are warned of.
            EXPECT_EQ(Messages().back().flags, c.last.front().find(note) == std::wstring::npos
                                                   ? vlapi::vlMBIconInformation
                                                   : vlapi::vlMBIconWarning);
        }
    }
}

// A file of this export that could not replace the earlier one (open in the
// host, which keeps it) is named once, as a failure, not again as a file of
// an earlier export; a file of an earlier export still is.
TEST_F(ExportTest, AFileNotReplacedIsNamedOnceAsAFailure)
{
    SheetPtr sheet = AddSheet(L"S1", 1000.0, 500.0);
    AddRectPart(sheet, L"A", 100, 50, 0, 0);
    AddWaste(sheet, 600, 0, 300, 150);
    model.UpdateWastesNames();
    Store();
    Export(Params(false, true, true, false, 0));
    std::ofstream(Out() / fs::u8path("Карта 9.dxf")) << "earlier";
    const vlapi::IVarnelDocumentPtr open(host->Open(Out() / "S1.vfw", false));
    ASSERT_TRUE(open);
    doc->Activate();
    const std::string before = Bytes(Out() / "S1.vfw");
    Messages().clear();
    Export(Params(false, true, true, false, 0));
    open->Close(0);
    EXPECT_EQ(Texts(), (std::vector<std::wstring>{
                           L"Не все файлы экспорта записаны:\nS1.vfw: файл открыт в программе",
                           Text(IDS_MESS_SUCCESS_EXPORT_WASTES),
                           L"В папке остались файлы прежних экспортов, которых этот экспорт не записывал:\nКарта 9.dxf"}));
    EXPECT_EQ(Bytes(Out() / "S1.vfw"), before);
}

// An export cut short, at whichever file it writes (the drawing closed, or
// the work cancelled as Esc and quitting cancel it), leaves the folder as it
// was: the earlier export's files byte for byte, none of this run's, nothing
// hidden, and no message says that anything was exported. So does one whose
// files cannot all be put in place (the last one stands on a folder), which
// says which file and that the folder is as it was.
TEST_F(ExportTest, AnExportCutShortOrNotPutInPlaceLeavesTheFolderAsItWas)
{
    const std::vector<std::string> earlier = {"card.dxf", "S1.vfw", "S1.dxf", "S3.dxf", kWaste1 + ".vfw", "Карта 9.dxf"};
    const auto prepare = [&] {
        FreshDrawing();
        BuildJob();
        fs::create_directories(Out());
        for (const std::string& file : earlier)
            std::ofstream(Out() / fs::u8path(file)) << "earlier " << file;
        Messages().clear();
    };
    const auto expectAsItWas = [&](const std::string& what, const std::set<std::string>& more) {
        std::set<std::string> names(earlier.begin(), earlier.end());
        names.insert(more.begin(), more.end());
        EXPECT_EQ(Listing(Out()), names) << what;
        for (const std::string& file : earlier)
            EXPECT_EQ(Bytes(Out() / fs::u8path(file)), "earlier " + file) << what;
        for (const vlhost::RecordedMessage& m : Messages())
            EXPECT_NE(m.flags, vlapi::vlMBIconInformation) << what << ": " << vlhost::Host::Utf8(m.text);
    };
    for (const bool close : {true, false}) {
        int points = 0;
        for (int n = 1; n < 30; ++n) {
            prepare();
            bool cut = false;
            // The user's action waits for the exporter's n-th look at what waits.
            std::function<void(int)> wait = [&](int left) {
                if (left > 1) {
                    State().pendingEvents.push_back([&wait, left] { wait(left - 1); });
                    return;
                }
                cut = true;
                if (close)
                    doc->Close(0);
                else
                    vrnApi::CancelWork();
            };
            State().pendingEvents.push_back([&wait, n] { wait(n); });
            {
                vrnApi::WorkingDrawing work(doc);
                Export(Params(true, true, true, true, 0));
            }
            State().pendingEvents.clear();
            if (!cut)
                break;
            ++points;
            expectAsItWas((close ? "closed at wait " : "cancelled at wait ") + std::to_string(n), {});
        }
        // After the map, each sheet's and remnant's files and each step, and
        // between the sheets of the 3D document.
        EXPECT_EQ(points, 10) << close;
    }

    prepare();
    fs::create_directories(Out() / "sheets.v3d");
    Export(Params(true, true, true, true, 0));
    expectAsItWas("a folder in place of the last file", {"sheets.v3d"});
    EXPECT_TRUE(fs::is_directory(Out() / "sheets.v3d"));
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(vlhost::Host::Utf8(Messages().back().text),
              "Экспорт не выполнен: файл sheets.v3d не удалось поместить в папку " + Out().string() +
                  " (на месте файла стоит папка).\nФайлы папки оставлены как были.");
}

// The least distance between the part outlines of a sheet's DXF file read
// back (lines and arcs exactly, as job_check measures them), and from them
// to the sheet's outline (the largest).
std::pair<double, double> FileDistances(const fs::path& dxf)
{
    nlohmann::json read = PythonCheck("outlines", {dxf});
    std::vector<jobcheck::Loop> loops;
    for (const nlohmann::json& loop : read[dxf.string()]["loops"]) {
        jobcheck::Loop edges;
        for (const nlohmann::json& e : loop)
            edges.push_back({{e[0].get<double>(), e[1].get<double>()}, {e[2].get<double>(), e[3].get<double>()},
                             e[4].get<double>()});
        loops.push_back(std::move(edges));
    }
    const auto area = [](const jobcheck::Loop& loop) {
        const NRect box = jobcheck::LoopBox(loop);
        return (box.pTop.x - box.pBot.x) * (box.pTop.y - box.pBot.y);
    };
    std::ranges::stable_sort(loops, std::greater{}, area);
    double parts = 1e300, edge = 1e300;
    for (size_t i = 1; i < loops.size(); ++i) {
        edge = std::min(edge, jobcheck::LoopDistance(loops[i], loops[0], -1.0));
        for (size_t j = i + 1; j < loops.size(); ++j)
            parts = std::min(parts, jobcheck::LoopDistance(loops[i], loops[j], -1.0));
    }
    return {parts, edge};
}

// Parts moved by hand nearer to one another, or to the sheet's edge, than
// their gap are named by the export and the documentation with the distance
// the sheet's DXF file gives, rounded to as many decimals as it takes to
// read less than the gap; a part with curves only when nearer than that by
// more than 0.025 mm (0.05 mm for two such parts). Parts over one another or
// over the sheet's edge are named as parts not to be cut. A bar of linear
// nesting keeps no gap to its edge, only the cut between its pieces. The
// files are written all the same.
TEST_F(ExportTest, SheetsNotCutAsDrawnAreNamedByExportAndDocumentation)
{
    enum Kind { None, Overlap, LeftOut, Close, Edge };
    // A rectangle w x h at (x, y), or with r set a disc of that radius centred there.
    struct Part { const wchar_t* name; double x, y, w, h, r = 0.0; };
    struct Case {
        const char* what;
        std::vector<Part> parts;  // on the sheet S of 300 x 200 (a bar of 300 x 40 for linear nesting)
        Kind kind;
        std::wstring line;        // the sheet's line of the note
        double figureGap = 5, sheetGap = 10;
        bool compound = false;    // also a compound T of two triangles at (10, 110), the parts' x from its right
        bool linear = false;
        double apart = -1.0;      // when set, how near the sheet's DXF file puts the parts (or, for Edge, the edge)
    };
    const Part a{L"A", 10, 10, 100, 50};
    // The disc D of radius 40 at (60, 60); a plate P whose lower-left corner
    // stands `apart` from the disc in the direction `degrees`.
    const Part disc{L"D", 60, 60, 0, 0, 40};
    const auto corner = [](double apart, double degrees) {
        return Part{L"P", 60 + (40 + apart) * std::cos(degrees * DR), 60 + (40 + apart) * std::sin(degrees * DR), 60, 40};
    };
    // The rectangle B with its lower-left corner `apart` from A's upper-right one, at 53°.
    const Part diagonal{L"B", 110 + 5.9866 * std::cos(53 * DR), 60 + 5.9866 * std::sin(53 * DR), 60, 40};
    const Case cases[] = {
        {"2 mm apart where the gap is 5", {a, {L"B", 10, 62, 60, 40}}, Close, L"S: A и B — 2.0 мм при зазоре 5 мм"},
        {"3.23 mm apart where the gap is 6", {a, {L"B", 10, 63.23, 60, 40}}, Close, L"S: A и B — 3.2 мм при зазоре 6 мм",
         6},
        {"5.99 mm apart where the gap is 6", {a, {L"B", 10, 65.99, 60, 40}}, Close,
         L"S: A и B — 5.99 мм при зазоре 6 мм", 6, 10, false, false, 5.99},
        {"5.9866 mm apart, corner to corner", {a, diagonal}, Close, L"S: A и B — 5.99 мм при зазоре 6 мм", 6, 10, false,
         false, 5.9866},
        {"5.90 mm apart", {a, {L"B", 10, 65.9, 60, 40}}, Close, L"S: A и B — 5.9 мм при зазоре 6 мм", 6},
        {"5.9984 mm apart", {a, {L"B", 10, 65.9984, 60, 40}}, Close, L"S: A и B — 5.998 мм при зазоре 6 мм", 6, 10,
         false, false, 5.9984},
        {"5.9995 mm apart: the gap", {a, {L"B", 10, 65.9995, 60, 40}}, None, L"", 6},
        {"the gap apart", {a, {L"B", 10, 65, 60, 40}}, None, L""},
        {"4.5 mm from the edge where the edge gap is 10", {{L"A", 4.5, 10, 100, 50}}, Edge,
         L"S: A — 4.5 мм при зазоре 10 мм"},
        {"7 mm from the edge", {{L"A", 10, 143, 100, 50}}, Edge, L"S: A — 7.0 мм при зазоре 10 мм"},
        {"9.96 mm from the edge", {{L"A", 9.96, 10, 100, 50}}, Edge, L"S: A — 9.96 мм при зазоре 10 мм", 5, 10, false,
         false, 9.96},
        {"a disc 0.013 mm nearer than the gap to a plate's corner", {disc, corner(5.987, 20)}, None, L"", 6, 10, false,
         false, 5.987},
        {"a disc 0.023 mm nearer, at 65°", {disc, corner(5.977, 65)}, None, L"", 6, 10, false, false, 5.977},
        {"a disc 0.03 mm nearer, at 37°", {disc, corner(5.97, 37)}, Close, L"S: D и P — 5.97 мм при зазоре 6 мм", 6,
         10, false, false, 5.97},
        {"two discs 2.2496 mm apart", {disc, {L"E", 60 + 72.2496 * std::cos(37 * DR), 60 + 72.2496 * std::sin(37 * DR),
                                              0, 0, 30}}, Close, L"S: D и E — 2.2 мм при зазоре 6 мм", 6, 10, false, false, 2.2496},
        {"a disc 0.023 mm nearer than the edge gap", {{L"D", 49.977, 60, 0, 0, 40}}, None, L"", 6, 10, false, false,
         9.977},
        {"a disc 9.96 mm from the edge", {{L"D", 60, 49.96, 0, 0, 40}}, Edge, L"S: D — 9.96 мм при зазоре 10 мм", 6, 10,
         false, false, 9.96},
        {"a triangle of a compound 3 mm from a part", {{L"B", 3, 120, 40, 40}}, Close,
         L"S: T и B — 3.0 мм при зазоре 5 мм", 5, 10, true},
        {"over one another", {a, {L"B", 60, 30, 60, 40}}, Overlap, L"S (деталей: 2): A, B"},
        {"over the sheet's edge", {{L"A", -5, 10, 100, 50}, {L"B", 10, 100, 60, 40}}, LeftOut, L"S: A (за краем листа)"},
        {"touching where the gaps are 0", {{L"A", 0, 0, 100, 50}, {L"B", 100, 0, 60, 40}}, None, L"", 0, 0},
        {"a bar's pieces across it, the cut apart", {{L"A", 0, 0, 100, 40}, {L"B", 103, 0, 100, 40}}, None, L"", 3, 10,
         false, true},
        {"a bar's pieces 1 mm apart where the cut is 3", {{L"A", 0, 0, 100, 40}, {L"B", 101, 0, 100, 40}}, Close,
         L"S: A и B — 1.0 мм при зазоре 3 мм", 3, 10, false, true, 1.0},
        {"a piece past the bar's end", {{L"A", 0, 0, 100, 40}, {L"B", 250, 0, 100, 40}}, LeftOut,
         L"S: B (за краем листа)", 3, 10, false, true},
    };
    // Each kind's heading; the documentation's says more, of the maps' register, for some.
    const std::map<Kind, std::pair<std::wstring, std::wstring>> headings = {
        {Overlap, {L"детали наложены друг на друга, по ним резать нельзя",
                   L"; эффективность и периметр в ведомости карт раскроя посчитаны по всем деталям карты, каждая целиком"}},
        {LeftOut, {L"есть детали, которые из листа не вырезать",
                   L"; в эффективность и периметр ведомости карт раскроя они не вошли"}},
        {Close, {L"детали стоят друг к другу ближе зазора между деталями", L""}},
        {Edge, {L"детали стоят к краю листа ближе зазора до края", L""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FreshDrawing();
        model.m_figureGap = c.figureGap;
        model.m_sheetGap = c.sheetGap;
        model.m_nestingMethod = c.linear ? 1 : 0;
        const SheetPtr sheet = AddSheet(L"S", 300.0, c.linear ? 40.0 : 200.0);
        const double right = c.compound ? AddCompound(sheet, L"T", 10, 110)->m_rectBorder.pTop.x - sheet->m_rect.pBot.x : 0.0;
        for (const Part& p : c.parts)
            p.r > 0.0 ? AddDisc(sheet, p.name, p.r, p.x, p.y) : AddRectPart(sheet, p.name, p.w, p.h, right + p.x, p.y);
        Store();
        Messages().clear();
        Export(Params(false, true, false, false, 1));
        ASSERT_FALSE(Messages().empty());
        const bool warned = c.kind != None;
        const auto note = [&](bool maps) {
            if (!warned)
                return std::wstring();
            const auto& [heading, more] = headings.at(c.kind);
            return (maps ? L"\n\nНа картах раскроя " + heading + more : L"\n\nНа листах " + heading) + L":\n" + c.line;
        };
        EXPECT_EQ(Messages().back().text, Text(IDS_MESS_SUCCESS_EXPORT) + note(false));
        EXPECT_EQ(Messages().back().flags, warned ? vlapi::vlMBIconWarning : vlapi::vlMBIconInformation);
        ASSERT_TRUE(fs::exists(Out() / "S.dxf"));
        // The distance named is the file's, rounded to its decimals.
        const bool measured = c.apart >= 0.0 || c.kind == Close || c.kind == Edge;
        const auto [parts, edge] = measured ? FileDistances(Out() / "S.dxf") : std::pair{0.0, 0.0};
        if (c.apart >= 0.0) {
            EXPECT_NEAR(c.parts.size() > 1 ? parts : edge, c.apart, 1e-6);
        }
        if (c.kind == Close || c.kind == Edge) {
            const size_t from = c.line.find(L" — ") + 3;
            const std::wstring shown = c.line.substr(from, c.line.find(L" мм") - from);
            const size_t decimals = shown.size() - shown.find(L'.') - 1;
            EXPECT_NEAR(c.kind == Close ? parts : edge, std::stod(shown), 0.5 * std::pow(10.0, -double(decimals)) + 1e-9);
        }

        Messages().clear();
        EXPECT_EQ(Document(&ReportParams::addTableCards, &Reporter::MapsNote), note(true));
        EXPECT_TRUE(fs::exists(Out() / "docs" / "Карты раскроя" / "S.vdw"));
        EXPECT_EQ(Messages().size(), warned ? 1u : 0u);
    }
}

// Remnants built for an earlier size of their sheet, or an earlier layout of
// its parts, are written as they stand, and the export and the documentation
// say for what they were built; those built anew, or of an earlier version
// that does not know, are not named.
TEST_F(ExportTest, RemnantsOutOfDateAreNamedByExportAndDocumentation)
{
    const std::wstring resized = L"S — 2 шт.: построены для листа 1000 × 500 мм, лист теперь ";
    const std::wstring moved = L"S — 2 шт.: построены для прежнего раскроя листа";
    SheetPtr sheet;
    FigurePtr second;  // the case's sheet and its second part, as the edits find them
    const auto build = [&] {  // the sheet's two remnants, anew
        for (WastePtr& waste : std::vector<WastePtr>(model.m_wastes))
            model.DelWaste(waste);
        AddWaste(sheet, 0, 300, 300, 150);
        AddWaste(sheet, 400, 300, 300, 150);
    };
    const struct {
        const char* what;
        std::function<void()> edit;
        std::wstring line;
    } cases[] = {
        {"nothing changed since", [] {}, L""},
        {"the sheet made wider", [&] { sheet->SetWidth(1200.0); }, resized + L"1200 × 500 мм"},
        {"the sheet made higher", [&] { sheet->SetHeight(600.0); }, resized + L"1000 × 600 мм"},
        {"a part moved", [&] { second->SetPlacement(0.0, 100.0, 0.0, false); }, moved},
        {"a part turned in its place",
         [&] {
             double x = 0.0, y = 0.0, angle = 0.0;
             second->GetPlacement(x, y, angle);
             second->m_macro->SetMacroPlacement(x, y, angle + 180.0, false);
         },
         moved},
        {"a part taken off", [&] { second->m_macro->DeleteMacro(); std::erase(model.m_figures, second); }, moved},
        {"the sheet made wider and the remnants built again", [&] { sheet->SetWidth(1200.0); build(); }, L""},
        {"remnants of an earlier version, the sheet made wider",
         [&] {
             sheet->SetWidth(1200.0);
             for (const WastePtr& waste : model.m_wastes)
                 waste->m_builtKnown = 0;
         },
         L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto note = [&](const std::wstring& as) {
            return c.line.empty() ? std::wstring()
                                  : L"\n\nДеловые отходы построены для прежнего листа или раскроя и устарели — постройте их "
                                    L"заново (" + as + L" как есть):\n" + c.line;
        };
        FreshDrawing();
        model.m_figureGap = 0.0;
        sheet = AddSheet(L"S", 1000.0, 500.0);
        AddRectPart(sheet, L"A", 100, 50, 0, 0);
        second = AddRectPart(sheet, L"B", 100, 50, 200, 0);
        build();
        c.edit();
        model.UpdateWastesNames();
        Store();

        Messages().clear();
        Export(Params(false, false, true, false, 2));
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back().text, Text(IDS_MESS_SUCCESS_EXPORT) + note(L"записаны"));
        EXPECT_EQ(Listing(Out()).size(), 2u);

        EXPECT_EQ(Document(&ReportParams::addTableWastes, &Reporter::WastesNote), note(L"в документацию вошли"));
        EXPECT_TRUE(fs::exists(Out() / "docs" / "Документация" / "Ведомость делового отхода.csv"));
    }
}

}  // namespace
}  // namespace iotest
