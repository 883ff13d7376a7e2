// Parts of a 3D assembly of test parts (built in code, saved as .v3d, read
// back): the tree and records, the flat patterns against their closed forms,
// the fragments written in sub-folders and loaded as figures, and the edits
// of the import dialog.
#include "io/AssemblyReader.h"
#include "io/import_pictures.h"
#include "io/KernelCurveDrawing.h"
#include "io/PartMarking.h"

#include "geometry/RingArea.h"
#include "geometry/UtilityFunctions.h"
#include "host/NestingResources.h"
#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "support/host_fixture.h"
#include "vlhost/TestParts.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>

namespace {

namespace fs = std::filesystem;
namespace tp = vlhost::testparts;

std::wstring Wide(const fs::path& p) { return vlhost::Host::Wide(p.string()); }

NPoint Unit(const NPoint& v)
{
    const double l = std::hypot(v.x, v.y);
    return {v.x / l, v.y / l};
}

// One flat pattern measured from its kernel curves: outline rings chained
// from fine polygons, the development axis square to the bend lines.
struct Measured {
    double area = 0.0;     // outer ring less holes
    double length = 0.0;   // extent across the bend lines (along x without bends)
    double width = 0.0;    // extent along them
    std::vector<double> bendLines;  // from the lower end of the development, ascending
    size_t rings = 0;
};

std::vector<NPoint> FinePoints(const SPtr<MbCurve>& curve)
{
    std::vector<MbCartPoint> points;
    curve->CalculatePolygon(1e-4, points);
    std::vector<NPoint> out;
    for (const MbCartPoint& p : points)
        out.push_back({p.x, p.y});
    return out;
}

Measured Measure(const ImportPartMetaData& part)
{
    Measured m;
    std::vector<NSegmentPtr> segments;
    std::vector<NPoint> all;
    for (const SPtr<MbCurve>& curve : part.curves) {
        const std::vector<NPoint> points = FinePoints(curve);
        all.insert(all.end(), points.begin(), points.end());
        for (size_t k = 1; k < points.size(); ++k)
            segments.push_back(std::make_shared<NSegment>(points[k - 1], points[k], 0));
    }
    std::vector<NContourPtr> contours;
    CreateContinuousContours(segments, contours);
    std::vector<double> areas;
    for (const NContourPtr& contour : contours) {
        std::vector<NPoint> ring;
        contour->GetPoints(ring);
        areas.push_back(std::fabs(SignedArea(ring)));
    }
    std::sort(areas.rbegin(), areas.rend());
    m.rings = areas.size();
    for (size_t k = 0; k < areas.size(); ++k)
        m.area += k == 0 ? areas[k] : -areas[k];
    NPoint along{0.0, 1.0};
    if (!part.bends.empty()) {
        const MbCartPoint a = part.bends[0]->PointOn(part.bends[0]->GetTMin());
        const MbCartPoint b = part.bends[0]->PointOn(part.bends[0]->GetTMax());
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        along = {(b.x - a.x) / len, (b.y - a.y) / len};
    }
    const NPoint across{along.y, -along.x};
    auto extent = [&](const NPoint& axis, double& lo) {
        lo = 1e300;
        double hi = -1e300;
        for (const NPoint& p : all) {
            const double v = p.x * axis.x + p.y * axis.y;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        return hi - lo;
    };
    double lo = 0.0, ignored = 0.0;
    m.length = extent(across, lo);
    m.width = extent(along, ignored);
    for (const SPtr<MbCurve>& bend : part.bends) {
        const MbCartPoint mid = bend->PointOn((bend->GetTMin() + bend->GetTMax()) / 2);
        m.bendLines.push_back(mid.x * across.x + mid.y * across.y - lo);
    }
    std::sort(m.bendLines.begin(), m.bendLines.end());
    return m;
}

// Bend lines of the closed form from the development's lower end, seen from
// either end of it.
bool SameBendLines(const Measured& m, const tp::FlatPattern& flat)
{
    std::vector<double> ahead, back;
    for (double x : flat.bendLines) {
        ahead.push_back(x - flat.minX);
        back.push_back(flat.maxX - x);
    }
    std::sort(back.begin(), back.end());
    auto near = [&](const std::vector<double>& expected) {
        if (expected.size() != m.bendLines.size())
            return false;
        for (size_t i = 0; i < expected.size(); ++i) {
            if (std::fabs(expected[i] - m.bendLines[i]) > 0.01)
                return false;
        }
        return true;
    };
    return near(ahead) || near(back);
}

class AssemblyImportTest : public hosttest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        out = root / "Детали";
    }

    // The test assembly, with a part of material "../x", saved and closed.
    fs::path SaveAssembly()
    {
        vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
        vlhost::PartData& top = *vlhost::Host::Tree(assembly);
        tp::AddAssembly(top);
        vlhost::PartData& odd = top.Add(L"Заглушка:1", true);
        odd.designation = L"З-1/2";
        odd.material = L"../x";
        odd.fileName = L"Заглушка.v3d";
        odd.unfold = true;
        EXPECT_EQ(odd.AddSheet(tp::HolePlate().recipe), L"");
        return Saved(assembly);
    }

    AssemblyReader Read() { return ReadSaved(SaveAssembly()); }

    // The reader of an assembly file, the fragments' folder `out`.
    AssemblyReader ReadSaved(const fs::path& path)
    {
        AssemblyReader reader;
        reader.Init(Wide(path), Wide(out));
        reader.ReadContoursFromAssembly();
        return reader;
    }

    // The document saved as `name` (an assembly's as Сборка.v3d) and closed.
    fs::path Saved(const vlapi::IVarnelDocument3DPtr& assembly, const char* name = "Сборка.v3d")
    {
        const fs::path path = root / name;
        EXPECT_TRUE(assembly->SaveAs(Wide(path)));
        assembly->Close(0);
        return path;
    }

    // A part unfolded, of `material`, added to the assembly.
    static vlhost::PartData& AddUnfolded(const vlapi::IVarnelDocument3DPtr& assembly, const std::wstring& name,
                                         const std::wstring& material = L"Сталь 3")
    {
        vlhost::PartData& part = vlhost::Host::Tree(assembly)->Add(name, true);
        part.material = material;
        part.unfold = true;
        return part;
    }

    // The fragments written, each part named and counted by its name.
    static void WriteByName(AssemblyReader& reader, bool unfoldedOnly)
    {
        reader.m_namePattern = reader.m_textPattern = L"Наименование";
        reader.WriteContoursToFragments(unfoldedOnly);
    }

    fs::path out;
};

struct ExpectedRecord {
    std::wstring material, thickness, name, mark;
    int count;
    bool unfolded;
    const tp::TestPart* flat;  // null: no flat pattern
};

TEST_F(AssemblyImportTest, RecordsTreeAndFlatPatternsFollowTheClosedForms)
{
    const tp::TestPart bracket = tp::LBracket();
    const tp::TestPart channel = tp::UChannel(10, 10, 0.4, 100, 60, 40, 80);
    const tp::TestPart plate = tp::HolePlate();
    const tp::TestPart twoBends = tp::TwoBends();
    EXPECT_NEAR(bracket.flat.Length(), 105.969, 0.001);
    const ExpectedRecord expected[] = {
        {L"../x", L"2", L"Заглушка 1", L"З-1/2", 1, true, &plate},
        {L"AISI 304/08Х18Н10", L"10", L"Швеллер", L"ШВ-02", 1, true, &channel},
        {L"Сталь 3", L"2", L"Кронштейн", L"КР-01", 2, true, &bracket},
        {L"Сталь 3", L"2", L"Кронштейн повёрнутый", L"КР-01", 1, true, &bracket},
        {L"Сталь 3", L"2", L"Пластина", L"", 1, true, &plate},
        {L"Сталь 3", L"2", L"Уголок", L"", 1, true, &twoBends},
        {L"Сталь 45", L"0", L"Корпус", L"", 1, false, nullptr},
    };
    const size_t messages = host->State().messages.size();
    const int documents = OpenDocuments();
    AssemblyReader reader = Read();
    EXPECT_EQ(host->State().messages.size(), messages) << "every body unbends";
    EXPECT_EQ(OpenDocuments(), documents);
    EXPECT_EQ(reader.m_nameAssembly, L"Сборка");
    ASSERT_EQ(reader.m_metaDatum.size(), std::size(expected));
    size_t row = 0;
    for (const NodeMaterial& material : reader.m_dataTree) {
        for (const NodeThickness& node : material.nodes) {
            for (const ImportPartMetaData& part : node.datum) {
                const ExpectedRecord& e = expected[row];
                SCOPED_TRACE(vlhost::Host::Utf8(part.GetFullName()));
                EXPECT_EQ(material.name, e.material);
                EXPECT_EQ(node.name, e.thickness);
                EXPECT_EQ(part.name, e.name);
                EXPECT_EQ(part.mark, e.mark);
                EXPECT_EQ(part.count, e.count);
                EXPECT_EQ(part.unfolded, e.unfolded);
                EXPECT_EQ(part.path2D, L"");
                EXPECT_EQ(part.path3D, (e.name == L"Заглушка 1" ? L"Заглушка" : e.name) + L".v3d");
                EXPECT_EQ(reader.GetImportPartMetaData(static_cast<int32_t>(row)), &part);
                EXPECT_EQ(reader.m_metaDatum[row].name, part.name);
                ++row;
                if (!e.flat) {
                    EXPECT_TRUE(part.curves.empty());
                    continue;
                }
                const Measured m = Measure(part);
                const tp::FlatPattern& flat = e.flat->flat;
                EXPECT_EQ(m.rings, 1 + e.flat->recipe.holes.size() +
                                       (e.flat->recipe.flanges.empty() ? 0 : e.flat->recipe.flanges[0].holes.size()));
                EXPECT_NEAR(m.area, flat.area, flat.area * 1e-4);
                EXPECT_NEAR(m.length, flat.Length(), 0.01);
                EXPECT_NEAR(m.width, flat.width, 0.01);
                EXPECT_TRUE(SameBendLines(m, flat)) << ::testing::PrintToString(m.bendLines);
            }
        }
    }
    EXPECT_FALSE(reader.GetImportPartMetaData(static_cast<int32_t>(row)));
    EXPECT_FALSE(reader.GetImportPartMetaData(-1));
}

TEST_F(AssemblyImportTest, FragmentsInSubFoldersLoadAsFiguresAndNothingElseIsTouched)
{
    AssemblyReader reader = Read();
    fs::create_directories(out / "Сталь 3" / "2");
    std::ofstream(out / "Сталь 3" / "старый.txt") << "kept";
    // An earlier run's, named as the file system takes it whatever the case of its letters: replaced, as said.
    std::ofstream(out / "Сталь 3" / "2" / "пластина.vfw") << "old";
    std::ofstream(out / "Кронштейн.vfw") << "kept";
    std::ofstream(root / "x") << "outside";
    reader.m_namePattern = L"Наименование";
    reader.m_textPattern = L"Кол-во шт";
    const size_t messages = host->State().messages.size();
    const int documents = OpenDocuments();
    const std::vector<fs::path> outside = FilesOutside(out);
    reader.WriteContoursToFragments(true);

    ASSERT_EQ(host->State().messages.size(), messages + 1);
    const std::wstring closing = host->State().messages.back().text;
    EXPECT_NE(closing.find(L"Записано деталей: 6"), std::wstring::npos) << vlhost::Host::Utf8(closing);
    EXPECT_NE(closing.find(L"Корпус: не листовая деталь"), std::wstring::npos);
    EXPECT_NE(closing.find(L"\nЗаменены прежние файлы: " + Wide(out / "Сталь 3" / "2" / "пластина.vfw")), std::wstring::npos);
    EXPECT_NE(closing.find(L"Пластина: «пластина.vfw»: так назван прежний файл папки, имя которого отличается только строчными "
                           L"и прописными буквами"), std::wstring::npos) << vlhost::Host::Utf8(closing);
    EXPECT_EQ(OpenDocuments(), documents);
    EXPECT_TRUE(hostAccess::SameObject(application->GetActiveDocument(), doc));
    EXPECT_TRUE(fs::exists(out / "Сталь 3" / "старый.txt"));
    EXPECT_TRUE(fs::exists(out / "Кронштейн.vfw"));
    EXPECT_FALSE(fs::exists(out / "Сталь 45")) << "a folder left empty by the run is not made";
    EXPECT_EQ(FilesOutside(out), outside) << "nothing is written outside the output folder";

    struct Written {
        fs::path file;
        std::wstring material;
        double thickness;
        int count;
        double area;
        size_t rings;
        size_t bendLines;
    };
    const double plateArea = tp::HolePlate().flat.area;
    const Written written[] = {
        // The material as the model gives it; only the folder named after it is cleaned.
        {out / ".. x" / "2" / "Заглушка 1.vfw", L"../x", 2, 1, plateArea, 5, 0},
        {out / "AISI 304 08Х18Н10" / "10" / "Швеллер.vfw", L"AISI 304/08Х18Н10", 10, 1,
         tp::UChannel(10, 10, 0.4, 100, 60, 40, 80).flat.area, 1, 4},
        {out / "Сталь 3" / "2" / "Кронштейн.vfw", L"Сталь 3", 2, 2, tp::LBracket().flat.area, 2, 2},
        {out / "Сталь 3" / "2" / "Кронштейн повёрнутый.vfw", L"Сталь 3", 2, 1, tp::LBracket().flat.area, 2, 2},
        {out / "Сталь 3" / "2" / "пластина.vfw", L"Сталь 3", 2, 1, plateArea, 5, 0},
        {out / "Сталь 3" / "2" / "Уголок.vfw", L"Сталь 3", 2, 1, tp::TwoBends().flat.area, 1, 4},
    };
    NestingModel model;
    for (const Written& w : written) {
        SCOPED_TRACE(w.file.string());
        ASSERT_TRUE(fs::exists(w.file));
        const bool recorded = std::any_of(reader.m_metaDatum.begin(), reader.m_metaDatum.end(),
                                          [&](const ImportPartMetaData& p) { return p.path2D == Wide(w.file); });
        EXPECT_TRUE(recorded);
        const FigurePtr figure = model.AddFigure(Wide(w.file));
        ASSERT_TRUE(figure);
        EXPECT_EQ(figure->GetMaterial(), w.material);
        EXPECT_EQ(figure->GetThickness(), w.thickness);
        EXPECT_EQ(figure->m_count, w.count);
        EXPECT_NEAR(figure->m_area, w.area, w.area * 1e-4);
        EXPECT_EQ(figure->m_borders.size(), w.rings) << "bend lines and marking stay out of the borders";

        // The marking stands inside the outline, clear of the holes and the bend lines.
        vlapi::IVarnelDocument2DPtr fragment(host->Open(w.file, false));
        ASSERT_TRUE(fragment);
        vlapi::IDrawingContainerPtr container(fragment->GetViewsAndLayersManager()->GetViews()->GetView(0));
        std::vector<NPolygonPtr> borders;
        flatpattern::InitBordersFromContainer(container, borders);
        ASSERT_EQ(borders.size(), w.rings);
        size_t texts = 0;
        size_t bends = 0;
        std::vector<NSegment> bendLines;
        NPolygonPtr label;
        for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
            if (obj->GetLayer() == 0)
                continue;
            EXPECT_EQ(obj->GetLayer(), 1);
            double x1, y1, x2, y2;
            ASSERT_TRUE(fragment->GetObjectsBox(hostAccess::ListOf(obj), x1, y1, x2, y2));
            auto box = std::make_shared<NPolygon>(NPoint{0, 0},
                                                  std::vector<NPoint>{{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}});
            if (obj->GetType() == vlapi::vlDrDrawText) {
                ++texts;
                label = box;
                EXPECT_EQ(vlapi::ITextPtr(obj)->GetText(), std::to_wstring(w.count) + L" шт");
            } else {
                ++bends;
                EXPECT_EQ(obj->GetStyle(), 8);
                bendLines.emplace_back(NPoint{x1, y1}, NPoint{x2, y2}, 0);  // straight lines: their box's diagonal
            }
        }
        EXPECT_EQ(texts, 1u);
        EXPECT_EQ(bends, w.bendLines);
        ASSERT_TRUE(label);
        EXPECT_TRUE(borders[0]->CheckContainPoligon(*label, false));
        for (size_t k = 1; k < borders.size(); ++k)
            EXPECT_FALSE(borders[k]->CheckIntersection(*label, true) || label->CheckContainPoligon(*borders[k], true));
        for (const NSegment& line : bendLines) {
            std::vector<NIndexPoint> hits;
            EXPECT_FALSE(label->Intersection(line, hits) || label->CheckContainPoint(line.p1, true));
        }
        fragment->Close(0);
    }
    KeepPicture(model, doc, "assembly_parts");
}

TEST_F(AssemblyImportTest, APartFileGivesNoTreeButItsFlatPatternReadAgain)
{
    vlapi::IVarnelDocument3DPtr part = host->NewDocument3D(vlapi::vlDocumentPart, false);
    vlhost::PartData& top = *vlhost::Host::Tree(part);
    top.name = L"Кронштейн";
    top.unfold = true;
    ASSERT_EQ(top.AddSheet(tp::LBracket().recipe), L"");
    ASSERT_EQ(top.AddBlock(40, 30, 20), L"");
    const fs::path path = Saved(part, "Кронштейн.v3d");

    const size_t messages = Messages().size();
    AssemblyReader reader = ReadSaved(path);
    EXPECT_TRUE(reader.m_dataTree.empty());
    ASSERT_EQ(Messages().size(), messages + 1);  // the import would do nothing: said so
    EXPECT_EQ(Messages().back().text, L"Файл " + Wide(path) + L" не сборка: детали читаются из файла 3D-сборки");
    vlapi::IVarnelDocument3DPtr empty = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    vlhost::Host::Tree(empty)->name = L"Пустая";
    const fs::path nothing = Saved(empty);
    const AssemblyReader none = ReadSaved(nothing);
    EXPECT_TRUE(none.m_dataTree.empty());
    EXPECT_EQ(Messages().back().text, L"В сборке " + Wide(nothing) + L" нет деталей");

    ImportPartMetaData record;
    record.name = L"Кронштейн";
    record.path3D = Wide(path);
    record.curves.emplace_back(new MbLineSegment({0, 0}, {1, 0}));
    reader.ReadContoursFromPart(record);
    const Measured m = Measure(record);
    EXPECT_NEAR(m.area, tp::LBracket().flat.area, tp::LBracket().flat.area * 1e-4);
    EXPECT_EQ(record.bends.size(), 2u);

    // A flat body read in the plane of its largest face, without unbending.
    bool wasOpen = false;
    vlapi::IVarnelDocument3DPtr opened = vrnApi::GetVarnel3DDocument(Wide(path), wasOpen);
    const vlapi::BodyList bodies = vlapi::IFeaturePtr(opened->GetTopPart())->GetResultBodies();
    ASSERT_EQ(bodies.size(), 2u);
    CurvesVector curves, bends;
    EXPECT_TRUE(AssemblyReader::UnbendBodyByRectifyFace(bodies[1], L"Корпус", curves, bends));
    EXPECT_EQ(curves.size(), 4u);
    record.curves = curves;
    EXPECT_NEAR(Measure(record).area, 40.0 * 30.0, 1e-6);
    opened->Close(0);
}

// The reason as a user reads it: Russian words; names in quotes are the file's own.
bool InRussian(const std::wstring& reason)
{
    std::wstring word;
    bool quoted = false;
    const auto english = [&] { return word.size() >= 3 && word != L"JSON"; };
    for (const wchar_t c : reason + L" ") {
        if (c < 128 && std::isalpha(static_cast<int>(c))) {
            word += c;
            continue;
        }
        if (!quoted && english())
            return false;
        word.clear();
        if (c == L'"' || c == L'«' || c == L'»')
            quoted = c == L'"' ? !quoted : c == L'«';
    }
    return true;
}

// An assembly the host cannot open gives no tree, and its one message names
// the file and the host's reason, in Russian.
TEST_F(AssemblyImportTest, AnAssemblyTheHostCannotOpenIsNamedWithTheHostsReasonInRussian)
{
    const fs::path path = SaveAssembly();
    std::ifstream in(path);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const struct {
        const char* from;  // null: the file is cut there
        const char* to;
        const wchar_t* says;
    } damages[] = {
        {"\"thickness\": 2.0", "\"thickness\": 0.0", L"деталь «Кронштейн», тело 4294967296: толщина не больше нуля"},
        {"\"thickness\": 2.0", "\"thickness\": -2.0", L"толщина"},
        {"\"edge\": 1", "\"edge\": 7", L"отгибка 1: у контура нет ребра 7"},
        {"\"id\": 4294967296", "\"id\": \"x\"", L"деталь «Кронштейн», 1-е тело: поле \"id\" тела не целое число"},
        {"\"id\": 4294967296", "\"id\": 18446744073709551615", L"1-е тело: поле \"id\" тела не целое число от "},
        {"\"radius\": 3.0", "\"radius\": true", L"деталь «Кронштейн», тело 4294967296: поле \"radius\" не число"},
        {"\"up\": true", "\"up\": 1",
         L"деталь «Кронштейн», тело 4294967296, отгибка 1: поле \"up\" не логическое значение"},
        {"\"circle\": [", "\"circle\": [1.0, ",
         L"тело 4294967296, отгибка 1, отверстие 1: окружность не задана центром и радиусом"},
        {"\"children\": [", "\"children\": [3, ", L"компонент 1 в «Сборка»: на месте объекта с полем \"name\" стоит число"},
        {"\"pose\": [", "\"pose\": [-2e7, 0, 0, 0, 0, 0], \"old\": [",
         L"тело 4294967296: положение (-20000000; 0; 0) дальше 10000000 мм от начала координат"},
        {"\"thickness\": 2.0", "\"thickness\": 2e999", L"файл повреждён: число вне пределов чисел с плавающей точкой (строка "},
        {"{", "[", L"файл повреждён: запись JSON нарушена (строка 2, столбец 10)"},
        {nullptr, nullptr, L"файл повреждён: запись JSON нарушена (строка "},
        {"", "", L"файл пуст"},
    };
    for (const auto& d : damages) {
        SCOPED_TRACE(d.to ? d.to : "cut");
        std::string damaged = d.from && !*d.from ? std::string() : text.substr(0, d.from ? text.size() : text.size() / 2);
        if (d.from && *d.from) {
            const size_t at = damaged.find(d.from);
            ASSERT_NE(at, std::string::npos);
            damaged.replace(at, std::strlen(d.from), d.to);
        }
        std::ofstream(path, std::ios::trunc) << damaged;
        const size_t messages = Messages().size();
        const AssemblyReader reader = ReadSaved(path);
        EXPECT_TRUE(reader.m_dataTree.empty());
        ASSERT_EQ(Messages().size(), messages + 1);
        const std::wstring& said = Messages().back().text;
        const std::wstring opening = L"Не удалось открыть файл " + Wide(path) + L": ";
        ASSERT_EQ(said.rfind(opening, 0), 0u) << vlhost::Host::Utf8(said);
        EXPECT_NE(said.find(d.says), std::wstring::npos) << vlhost::Host::Utf8(said);
        EXPECT_TRUE(InRussian(said.substr(opening.size()))) << vlhost::Host::Utf8(said);
    }
}

// A part with its unfold switch on and two sheet bodies: both are unbent,
// listed with their thickness and written.
TEST_F(AssemblyImportTest, EverySheetBodyOfAnUnfoldedPartIsWritten)
{
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    vlhost::PartData& part = AddUnfolded(assembly, L"Опора");
    vlhost::SheetRecipe plate;
    plate.thickness = 2;
    plate.outline = vlhost::SheetLoop::Rectangle(0, 0, 80, 40);
    ASSERT_EQ(part.AddSheet(tp::LBracket().recipe), L"");
    ASSERT_EQ(part.AddSheet(plate, {0, 0, 50}), L"");
    AssemblyReader reader = ReadSaved(Saved(assembly));
    ASSERT_EQ(reader.m_metaDatum.size(), 2u);
    std::vector<double> areas;
    for (const ImportPartMetaData& record : reader.m_metaDatum) {
        EXPECT_EQ(record.thickness, 2.0);
        EXPECT_TRUE(record.unfolded);
        areas.push_back(Measure(record).area);
    }
    std::sort(areas.begin(), areas.end());
    EXPECT_NEAR(areas[0], tp::LBracket().flat.area, tp::LBracket().flat.area * 1e-4);  // 3128.8
    EXPECT_NEAR(areas[1], 80.0 * 40.0, 1e-6);

    WriteByName(reader, true);
    EXPECT_EQ(Messages().back().text, L"Запись на диск завершена\nЗаписаны не под именем по шаблону:\nОпора: «Опора_2.vfw»: "
                                      L"файл «Опора.vfw» уже записан для другой детали этого импорта");
    for (const char* file : {"Опора.vfw", "Опора_2.vfw"})
        EXPECT_TRUE(fs::exists(out / "Сталь 3" / "2" / file)) << file;
}

// An earlier fragment staying beside a refusal, a folder not made (once, with
// why and its parts), a material mixing Latin and Cyrillic and parts written
// without material (nested on sheets of any) are named.
TEST_F(AssemblyImportTest, StayingAndUnmadeFilesAndMixedOrMissingMaterialsAreNamed)
{
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    tp::AddAssembly(*vlhost::Host::Tree(assembly));
    ASSERT_EQ(AddUnfolded(assembly, L"Косынка", L"Cт3").AddSheet(tp::HolePlate().recipe), L"");
    ASSERT_EQ(AddUnfolded(assembly, L"Прокладка", L"").AddSheet(tp::HolePlate().recipe), L"");
    AssemblyReader reader = ReadSaved(Saved(assembly));
    const fs::path channel = out / "AISI 304 08Х18Н10" / "10" / "Швеллер.vfw";
    fs::create_directories(channel.parent_path()), std::ofstream(channel) << "old";
    std::ofstream(out / "Сталь 3") << "a file where the folder goes";
    for (NodeMaterial& material : reader.m_dataTree)
        for (NodeThickness& node : material.nodes)
            for (ImportPartMetaData& part : node.datum)
                if (part.name == L"Швеллер")
                    part.curves.clear();  // the channel's pattern lost
    WriteByName(reader, true);
    const std::wstring text = Messages().back().text;
    EXPECT_NE(text.find(L"Швеллер (ШВ-02): нет контура развёртки; прежний файл «" + Wide(channel) + L"» остался в папке\nКорпус: "
                        L"не листовая деталь\nне удалось создать папку «" + Wide(out / "Сталь 3" / "2") + L"»: на пути к "
                        L"ней файл «" + Wide(out / "Сталь 3") + L"»: не записаны детали: Кронштейн (КР-01), Кронштейн "
                        L"повёрнутый (КР-01), Пластина, Уголок\nМатериал «Cт3» набран латинскими и русскими буквами "
                        L"вперемешку: в слове «Cт3» латинские буквы C, русские т\nЗаписаны без материала (в сборке он "
                        L"не задан): Прокладка"),
              std::wstring::npos)
        << vlhost::Host::Utf8(text);
    reader.m_pathOutFolder = Wide(out / "Сталь 3");
    WriteByName(reader, true);
    EXPECT_EQ(Messages().back().text, L"Детали не записаны: не удалось создать папку «" + Wide(out / "Сталь 3") + L"»: на её месте файл");
    // A folder that takes no file (its path leaves no room for the name a file is first written under) is named
    // once, for the run or with the parts of its sub-folder.
    const fs::path deep = hosttest::PathOfLength(root, 4095 - 12);
    const fs::path shallower = deep.parent_path() / std::string(deep.filename().native().size() - 14, 'f');
    const std::wstring tooLong = L"» не записать файлы: путь к папке слишком длинный для записи в неё (";
    fs::create_directories(deep);
    reader.m_pathOutFolder = Wide(deep);
    WriteByName(reader, true);
    EXPECT_EQ(Messages().back().text, L"Детали не записаны: в папку «" + Wide(deep) + tooLong + L"4083 байта)");
    reader.m_pathOutFolder = Wide(shallower);
    WriteByName(reader, true);
    EXPECT_NE(Messages().back().text.find(L"\nв папку «" + Wide(shallower / "Сталь 3" / "2") + tooLong + L"4084 байта): не "
                                          L"записаны детали: Кронштейн (КР-01), Кронштейн повёрнутый (КР-01), Пластина, Уголок\n"),
              std::wstring::npos)
        << vlhost::Host::Utf8(Messages().back().text);
}

// The marking of an L bracket stands in one flat face, clear of both bend
// lines and of the bend zone between them, whenever a face holds it; a name
// no face holds is told in the closing message.
TEST_F(AssemblyImportTest, MarkingStandsInOneFlatFaceOrTheClosingMessageSaysItDoesNotFit)
{
    struct Case {
        const wchar_t* name;  // 3.5 mm a letter
        tp::TestPart part;
        const wchar_t* said;  // the closing message's words before the name; null: it fits
    };
    const Case cases[] = {
        {L"Кронштейн опорный", tp::LBracket(2, 3, 0.4, 120, 100, 60), nullptr},
        {L"Косынка усиленная", tp::LBracket(2, 3, 0.4, 100, 60, 50), nullptr},
        {L"Уголок крепёжный", tp::LBracket(), nullptr},   // 56 mm in a base 60 long
        {L"Кронштейн поворотный", tp::LBracket(), L"не помещается"},  // 70 mm: longer than any face
    };
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    for (const Case& c : cases)
        ASSERT_EQ(AddUnfolded(assembly, c.name).AddSheet(c.part.recipe), L"");
    AssemblyReader reader = ReadSaved(Saved(assembly));
    WriteByName(reader, false);
    const std::wstring closing = Messages().back().text;

    for (const Case& c : cases) {
        SCOPED_TRACE(vlhost::Host::Utf8(c.name));
        const size_t named = closing.find(c.name);
        if (c.said) {
            const size_t said = closing.find(c.said);
            EXPECT_TRUE(said < named && closing.find(L'\n', said) > named) << vlhost::Host::Utf8(closing);
            EXPECT_TRUE(fs::exists(out / (vlhost::Host::Utf8(c.name) + ".vfw")));  // written all the same
            continue;
        }
        EXPECT_EQ(named, std::wstring::npos) << vlhost::Host::Utf8(closing);
        vlapi::IVarnelDocument2DPtr fragment(host->Open(out / (vlhost::Host::Utf8(c.name) + ".vfw"), false));
        ASSERT_TRUE(fragment);
        vlapi::IDrawingContainerPtr container(fragment->GetViewsAndLayersManager()->GetViews()->GetView(0));
        std::vector<NPolygonPtr> borders;
        flatpattern::InitBordersFromContainer(container, borders);
        ASSERT_EQ(borders.size(), 2u);
        std::vector<NPoint> box;
        std::vector<std::pair<NPoint, NPoint>> bends;
        for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(container)) {
            double x1, y1, x2, y2;
            ASSERT_TRUE(fragment->GetObjectsBox(hostAccess::ListOf(obj), x1, y1, x2, y2));
            if (obj->GetType() == vlapi::vlDrDrawText)
                box = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}};
            else if (obj->GetLayer() == 1)
                bends.push_back({{x1, y1}, {x2, y2}});  // straight lines: their box's diagonal
        }
        fragment->Close(0);
        ASSERT_EQ(box.size(), 4u);
        ASSERT_EQ(bends.size(), 2u);
        const NPolygon label({}, box);
        EXPECT_TRUE(borders[0]->CheckContainPoligon(label, false));
        EXPECT_FALSE(borders[1]->CheckIntersection(label, true) || label.CheckContainPoligon(*borders[1], true));
        // Across the bend lines: both lines on one side of every corner.
        const NPoint a = bends[0].first;
        const NPoint u = Unit(bends[0].second - a);
        const auto across = [&](const NPoint& p) { return u.x * (p.y - a.y) - u.y * (p.x - a.x); };
        const double lo = std::min(0.0, across(bends[1].first));
        const double hi = std::max(0.0, across(bends[1].first));
        const bool below = std::all_of(box.begin(), box.end(), [&](const NPoint& p) { return across(p) < lo; });
        const bool above = std::all_of(box.begin(), box.end(), [&](const NPoint& p) { return across(p) > hi; });
        EXPECT_TRUE(below || above);
    }
}

// A sheet of 3,600 round holes has more vertices than the label search takes:
// written with its marking in the middle, and named.
TEST_F(AssemblyImportTest, SlowAPerforatedSheetsMarkingIsNotSearchedButNamed)
{
    tp::TestPart perforated = tp::HolePlate(2, 610, 610);
    perforated.recipe.holes.clear();
    for (int k = 0; k < 3600; ++k)
        perforated.recipe.holes.push_back(vlhost::SheetLoop::Circle(10 + (k % 60) * 10, 10 + (k / 60) * 10, 2));
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    ASSERT_EQ(AddUnfolded(assembly, L"Лист перфорированный", L"").AddSheet(perforated.recipe), L"");
    AssemblyReader reader = ReadSaved(Saved(assembly));
    WriteByName(reader, false);
    EXPECT_NE(Messages().back().text.find(L"Место маркировки не искалось: в контурах развёртки больше 250 000 вершин; "
                                          L"маркировка стоит в середине габарита: Лист перфорированный"),
              std::wstring::npos)
        << vlhost::Host::Utf8(Messages().back().text);
    EXPECT_TRUE(fs::exists(out / "Лист перфорированный.vfw"));
}

// A fragment that is not the host's active document receives nothing: the
// part is reported, no file is written and the user's drawing is untouched.
TEST_F(AssemblyImportTest, NothingLandsOutsideTheFragment)
{
    AssemblyReader reader = Read();
    const size_t objects = DrawingObjects();
    {
        vlhost::FailureScope noActive("IApplication::GetActiveDocument");
        WriteByName(reader, false);
    }
    EXPECT_EQ(DrawingObjects(), objects);
    EXPECT_FALSE(fs::exists(out / "Кронштейн.vfw")) << vlhost::Host::Utf8(Messages().back().text);
    const std::wstring closing = Messages().back().text;
    EXPECT_NE(closing.find(L"Записано деталей: 0"), std::wstring::npos);
    EXPECT_NE(closing.find(L"документ фрагмента не стал активным"), std::wstring::npos);
    EXPECT_EQ(Messages().back().flags, vlapi::vlMBIconError);

    // The marking asks the same of its container.
    hosttest::AddLine(Container(), {0, 0}, {10, 0});
    vlapi::IDrawingContainerPtr mine(doc->GetViewsAndLayersManager()->GetViews()->GetView(0));
    vlapi::IVarnelDocument2DPtr other = NewDrawing();
    EXPECT_EQ(CreateMarking(mine, 1, {}, L"A"), Marking::NotMade);
    doc->Activate();
    EXPECT_EQ(DrawingObjects(), objects + 1);
}

// A sheet part's flat pattern lies in a side of its sheet, whatever the part's
// proportions and pose: a strip thicker than it is wide, a plate thicker than
// its sides are long, turned bodies and bends.
TEST_F(AssemblyImportTest, FlatPatternLiesInASideOfTheSheet)
{
    const auto strip = [](double t) {
        tp::TestPart part{tp::HolePlate(t).recipe, {0, 300, 10, 300 * 10 - 3.14159265358979323846 * 4, {}}};
        part.recipe.outline = vlhost::SheetLoop::Rectangle(0, 0, 300, 10);
        part.recipe.holes = {vlhost::SheetLoop::Circle(150, 5, 2)};
        return part;
    };
    const struct {
        const wchar_t* name;
        tp::TestPart part;
        vlhost::Pose pose;
    } cases[] = {
        {L"Полоса 12", strip(12), {}},
        {L"Полоса 8", strip(8), {}},
        {L"Полоса 10", strip(10), {}},
        {L"Полоса повёрнутая", strip(12), {10, 20, 30, 30, 45, 60}},
        {L"Пластина 250", tp::HolePlate(250, 300, 200), {}},
        {L"Кронштейн 12", tp::LBracket(12, 3, 0.4, 100, 40, 10), {0, 0, 0, 90, 0, 0}},
    };
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    for (const auto& c : cases)
        ASSERT_EQ(AddUnfolded(assembly, c.name).AddSheet(c.part.recipe, c.pose), L"");
    const size_t messages = Messages().size();
    AssemblyReader reader = ReadSaved(Saved(assembly));
    EXPECT_EQ(Messages().size(), messages);
    for (const auto& c : cases) {
        SCOPED_TRACE(vlhost::Host::Utf8(c.name));
        const auto record = std::find_if(reader.m_metaDatum.begin(), reader.m_metaDatum.end(),
                                         [&](const ImportPartMetaData& r) { return r.name == c.name; });
        ASSERT_NE(record, reader.m_metaDatum.end());
        const Measured m = Measure(*record);
        const tp::FlatPattern& flat = c.part.flat;
        EXPECT_EQ(m.rings, 1 + c.part.recipe.holes.size() + (c.part.recipe.flanges.empty() ? 0 : 1));
        EXPECT_NEAR(m.area, flat.area, flat.area * 1e-4);
        EXPECT_NEAR(m.length, flat.Length(), 0.01);
        EXPECT_NEAR(m.width, flat.width, 0.01);
    }
}

// A body whose sides are not the sheet's thickness apart, or that is not
// flat once unbent, gives no pattern, and the message names the part; a body
// whose faces the kernel does not mark is read in its side that pairs.
TEST_F(AssemblyImportTest, ABodyThatIsNotOneFlatSheetGivesNoPattern)
{
    vlapi::IVarnelDocument3DPtr doc = host->NewDocument3D(vlapi::vlDocumentPart, false);
    vlhost::PartData& top = *vlhost::Host::Tree(doc);
    top.name = L"Деталь";
    ASSERT_EQ(top.AddSheet(tp::LBracket().recipe), L"");
    ASSERT_EQ(top.AddBlock(300, 10, 12), L"");
    const vlapi::BodyList bodies = vlapi::IFeaturePtr(doc->GetTopPart())->GetResultBodies();
    ASSERT_EQ(bodies.size(), 2u);
    const std::vector<BendParam> bend{{true, 90.0, 0.0, 0.4, 3.0}};
    const struct {
        size_t body;
        std::vector<BendParam> params;
        double thickness;
        const wchar_t* says;  // null: read, of this area
        double area;
    } cases[] = {
        {0, bend, 2.0, nullptr, tp::LBracket().flat.area},
        {0, bend, 5.0, L"Деталь\nНе найдены стороны листа: ни одна пара плоских граней тела не отстоит друг от друга "
                       L"на толщину листа 5 мм.", 0},
        {0, {}, 2.0, L"Деталь\nРазвёртка не плоская: поперёк листа толщиной 2 мм тело имеет размер ", 0},
        {1, bend, 12.0, nullptr, 3000.0},
        {1, bend, 10.0, nullptr, 3600.0},
        {1, bend, 11.0, L"Не найдены стороны листа", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.thickness);
        const size_t messages = Messages().size();
        ImportPartMetaData record;
        const bool read = AssemblyReader::UnbendSheetBody(bodies[c.body], L"Деталь", c.params, c.thickness,
                                                          record.curves, record.bends);
        EXPECT_EQ(read, !c.says);
        ASSERT_EQ(Messages().size(), messages + (c.says ? 1 : 0));
        if (c.says) {
            EXPECT_NE(Messages().back().text.find(c.says), std::wstring::npos) << vlhost::Host::Utf8(Messages().back().text);
            EXPECT_TRUE(record.curves.empty());
            continue;
        }
        EXPECT_NEAR(Measure(record).area, c.area, c.area * 1e-4);
    }
    doc->Close(0);
}

// A sheet thinner or thicker than any sheet nested, a pattern smaller than a
// part may be or one whose flanges lie over each other flat is named with
// its size or place in the closing message alone (the reading says nothing
// of it) and written nowhere.
TEST_F(AssemblyImportTest, APartNoSheetCanGiveIsRefusedNamingIt)
{
    const auto square = [](double t, double side) {
        vlhost::SheetRecipe recipe = tp::HolePlate(t).recipe;
        recipe.outline = vlhost::SheetLoop::Rectangle(0, 0, side, side);
        recipe.holes.clear();
        return recipe;
    };
    // Flanges bent up off both sides of a slot 20 wide, each 15 long.
    vlhost::SheetRecipe slot = square(2, 60);
    slot.outline.vertices = {{0, 0, 0}, {100, 0, 0}, {100, 60, 0}, {60, 60, 0}, {60, 20, 0}, {40, 20, 0}, {40, 60, 0}, {0, 60, 0}};
    slot.radius = 2;
    for (const int edge : {3, 5}) {
        vlhost::Flange flange;
        flange.edge = edge;
        flange.length = 15;
        slot.flanges.push_back(flange);
    }
    const struct {
        vlhost::SheetRecipe recipe;
        const wchar_t* says;  // null: written
    } cases[] = {
        {tp::HolePlate(600, 300, 200).recipe, L"Пластина 1: толщина 600 мм вне пределов от 0.01 до 500 мм"},
        {tp::HolePlate(500.5, 300, 200).recipe, L"Пластина 2: толщина 500.5 мм вне пределов"},
        {tp::HolePlate(0.005, 300, 200).recipe, L"Пластина 3: толщина 0.005 мм вне пределов"},
        {tp::HolePlate(1e300, 300, 200).recipe, L"Пластина 4: толщина 1e+300 мм вне пределов"},
        {tp::HolePlate(500.0001, 300, 200).recipe, L"Пластина 5: толщина 500.0001 мм вне пределов"},
        {tp::HolePlate(500, 300, 200).recipe, nullptr},
        {tp::HolePlate(0.01, 300, 200).recipe, nullptr},
        {tp::LBracket(1e-300).recipe, L"Пластина 8: толщина 1e-300 мм вне пределов"},
        {square(2, 0.009), L"Пластина 9: развёртка не годится в деталь: деталь меньше 0.01 мм: 0.009 × 0.009 мм"},
        {square(2, 0.01), nullptr},
        {slot, L"Пластина 11: развёртка не годится в деталь: контур пересекает сам себя в точке (44.398; 60)"},
    };
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    int number = 0;
    for (const auto& c : cases)
        ASSERT_EQ(AddUnfolded(assembly, L"Пластина " + std::to_wstring(++number), L"Ст3").AddSheet(c.recipe), L"");
    const size_t messages = Messages().size();
    AssemblyReader reader = ReadSaved(Saved(assembly));
    EXPECT_EQ(Messages().size(), messages) << vlhost::Host::Utf8(Messages().back().text);
    WriteByName(reader, true);
    const std::wstring closing = Messages().back().text;
    EXPECT_EQ(closing.rfind(L"Записано деталей: 3. Не записаны:", 0), 0u) << vlhost::Host::Utf8(closing);
    number = 0;
    for (const auto& c : cases) {
        const std::wstring name = L"Пластина " + std::to_wstring(++number);
        SCOPED_TRACE(vlhost::Host::Utf8(name));
        const fs::path folder = out / "Ст3" / vlhost::Host::Utf8(uf::NumberText(c.recipe.thickness));
        EXPECT_EQ(fs::exists(folder / (vlhost::Host::Utf8(name) + ".vfw")), !c.says);
        if (c.says) {
            EXPECT_NE(closing.find(c.says), std::wstring::npos) << vlhost::Host::Utf8(closing);
        }
    }
    EXPECT_FALSE(fs::exists(out / "Ст3" / "1e+300"));
    EXPECT_FALSE(fs::exists(out / "Ст3" / "600"));
}

}  // namespace
