// Parts from the checked-in DXF files (tests/data/dxf/parts, made by
// make_parts.py): each gives a fragment that loads as a figure with its rings,
// area, count, thickness and material, or a refusal named in the one closing
// message.
#include "io/DxfImport.h"
#include "io/import_pictures.h"
#include "io/DxfPartTexts.h"

#include "geometry/RingArea.h"
#include "host/NestingResources.h"
#include "model/NestingFigure.h"
#include "model/NestingModel.h"
#include "support/dxf_text.h"
#include "support/host_fixture.h"
#include "vlhost/Converters.h"

#include <cmath>
#include <cwctype>
#include <fstream>
#include <numbers>
#include <span>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using dxfimport::PartKey;

const fs::path kParts = fs::path(NESTING_SOURCE_DIR) / "tests" / "data" / "dxf" / "parts";
const fs::path kAwkward = fs::path(NESTING_SOURCE_DIR) / "tests" / "data" / "dxf" / "awkward";
constexpr double pi = std::numbers::pi;

std::wstring Wide(const fs::path& p) { return vlhost::Host::Wide(p.string()); }

// A drawing of these entities and nothing else.
std::string Drawing(const dxftext::Groups& entities) { return dxftext::File({{"ENTITIES", entities}}); }

// A table of the layers named, each with its flags (1: frozen; 2: off, by its colour -7).
dxftext::Groups layers(std::initializer_list<std::pair<const char*, const char*>> named)
{
    using namespace dxftext;
    Groups table{{0, "TABLE"}, {2, "LAYER"}, {70, std::to_string(named.size())}};
    for (const auto& [name, flags] : named)
        table = table + Groups{{0, "LAYER"}, {2, name}, {70, flags}, {62, *flags == '2' ? "-7" : "7"}, {6, "CONTINUOUS"}};
    return table + Groups{{0, "ENDTAB"}};
}

// An ELLIPSE on layer 0 about (cx, cy), its major axis (mx, my), from one parameter to another.
dxftext::Groups Ellipse(const std::string& cx, const std::string& cy, const std::string& mx, const std::string& my,
                        const std::string& ratio, const std::string& from = "0", const std::string& to = "6.283185307179586")
{
    return {{0, "ELLIPSE"}, {8, "0"}, {10, cx}, {20, cy}, {11, mx}, {21, my}, {40, ratio}, {41, from}, {42, to}};
}

// The text holds `part`; the whole text is shown when it does not.
::testing::AssertionResult Holds(const std::wstring& text, const std::wstring& part)
{
    if (text.find(part) != std::wstring::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << vlhost::Host::Utf8(part) << "\nnot in:\n" << vlhost::Host::Utf8(text);
}

// The start of the refusal of a part one curve inside the outline of which was not imported.
#define HOLE_LOST L"внутри внешнего контура детали не импортирована кривая, а без неё деталь не записывается: "

// A file written for a test and what its import gives: a refusal (its
// start), or a fragment of the area, named only with the note, of so many
// rings (0: not counted), that keeps the units that scaled it.
struct Part {
    std::string name, bytes;
    const wchar_t* refusal = nullptr;
    double area = 0;
    std::wstring note = L"";
    size_t rings = 0;
    int32_t units = 0;  // $INSUNITS
};

TEST(DxfPartTexts, BracketedTextsGiveKeysAndValues)
{
    struct Case {
        std::wstring text;
        bool read;
        PartKey key;
        std::wstring value;
    };
    const Case cases[] = {
        {L"[Материал=Сталь 3]", true, PartKey::Material, L"Сталь 3"},
        {L"  [ толщина : 2,5 мм ] ", true, PartKey::Thickness, L"2,5 мм"},
        {L"[КОЛ-ВО=4]", true, PartKey::Count, L"4"},
        {L"[Qty: 7 pcs]", true, PartKey::Count, L"7 pcs"},
        {L"[Material=AISI 304/08Х18Н10]", true, PartKey::Material, L"AISI 304/08Х18Н10"},
        // Typed in other scripts' forms: full width, other square brackets, a dash for the hyphen; quoted.
        {L"［Кол-во＝4］", true, PartKey::Count, L"4"},
        {L"【Кол–во: 4】", true, PartKey::Count, L"4"},
        {L"[Материал=«Ст3»]", true, PartKey::Material, L"Ст3"},
        {L"Деталь [Ст3]", false, {}, {}},          // not wholly in brackets
        {L"[Ст3]", false, {}, {}},                 // no key
        {L"[Цвет=красный]", false, {}, {}},        // a key of no meaning here
        // A value runs to the bracket that closes its own; brackets round it go.
        {L"[Материал=Ст3 [ГОСТ]]", true, PartKey::Material, L"Ст3 [ГОСТ]"},
        {L"[Материал=[Ст3]]", true, PartKey::Material, L"Ст3"},
        {L"[Кол-во=[3]]", true, PartKey::Count, L"3"},
        {L"[Толщина=3 [мм]]", true, PartKey::Thickness, L"3 [мм]"},
        {L"[Ст3] [Кол-во=4]", false, {}, {}},      // the first "[" is not closed by the last "]"
        {L"[Материал[Ст3]=x]", false, {}, {}},     // a bracket before the "="
        {L"", false, {}, {}},
    };
    for (const Case& c : cases) {
        const auto item = dxfimport::ReadBracketText(c.text);
        ASSERT_EQ(item.has_value(), c.read) << vlhost::Host::Utf8(c.text);
        if (c.read) {
            EXPECT_EQ(item->key, c.key);
            EXPECT_EQ(item->value, c.value);
        }
    }
    const std::pair<const wchar_t*, double> thicknesses[] = {{L"2,5 мм", 2.5}, {L"10", 10.0}, {L"500 мм", 500.0},
                                                             {L".5", 0.5},      {L"0,01", 0.01}, {L"2 мм.", 2.0}, {L"3 [мм]", 3.0}};
    for (const auto& [text, thickness] : thicknesses)
        EXPECT_EQ(dxfimport::ReadThickness(text), thickness) << vlhost::Host::Utf8(text);
    for (const wchar_t* bad : {L"0", L"-2", L"abc", L"2 5", L"1e999", L"", L"1e300", L"500,5", L"0.001", L"1e-300"})
        EXPECT_FALSE(dxfimport::ReadThickness(bad)) << vlhost::Host::Utf8(bad);
    // 100000: as many as loading takes.
    const std::pair<const wchar_t*, int32_t> counts[] = {{L"4 шт", 4}, {L"4.0", 4}, {L"04,00 шт", 4}, {L"100000", 100000}, {L"3 [шт]", 3}};
    for (const auto& [text, count] : counts)
        EXPECT_EQ(dxfimport::ReadCount(text), count) << vlhost::Host::Utf8(text);
    for (const wchar_t* bad : {L"0", L"2.5", L"2,5", L"4.01", L"4.", L"99999999999", L"2147483647", L"100001", L"x"})
        EXPECT_FALSE(dxfimport::ReadCount(bad)) << vlhost::Host::Utf8(bad);

    dxfimport::PartValues values;
    values.Read(L"Примечание\n[Толщина=abc]\n[Толщина=3]");
    values.Read(L"[Толщина=4]");  // the first readable value stays, the other is named
    EXPECT_EQ(values.thickness, 3.0);
    ASSERT_EQ(values.unreadable.size(), 1u);
    EXPECT_EQ(values.unreadable[0].value, L"[Толщина=abc]");
    ASSERT_EQ(values.conflicts.size(), 1u);
    EXPECT_EQ(values.conflicts[0].items, (std::vector<std::wstring>{L"[Толщина=3]", L"[Толщина=4]"}));

    // Every bracketed item of a text is read wherever it stands; the same
    // value written twice (in other words) is no disagreement.
    const struct {
        std::vector<std::wstring> texts;
        std::optional<int32_t> count;
        std::optional<double> thickness;
        std::optional<std::wstring> material;
        size_t conflicts;
    } readings[] = {
        {{L"[Кол-во=4] [Толщина=2]"}, 4, 2.0, {}, 0},
        {{L"[Кол-во=4][Толщина=2]"}, 4, 2.0, {}, 0},
        {{L"Деталь 1 [Кол-во=4]"}, 4, {}, {}, 0},
        {{L"[Кол-во=4] шт"}, 4, {}, {}, 0},
        {{L"[Кол-во=4] [Материал=Ст3]"}, 4, {}, L"Ст3", 0},
        {{L"[[Кол-во=4]] [Масштаб 1:2] ]["}, 4, {}, {}, 0},
        {{L"[Примечание: см. [Кол-во=4]] [Материал=Ст3 [ГОСТ 380]]"}, 4, {}, L"Ст3 [ГОСТ 380]", 0},
        {{L"[Кол-во=5]", L"[Кол-во=6]"}, 5, {}, {}, 1},
        {{L"[Кол-во=5]", L"[Количество: 5 шт]"}, 5, {}, {}, 0},
        {{L"[Толщина=2] [Толщина=2,5] [Толщина=3]"}, {}, 2.0, {}, 1},
    };
    for (const auto& r : readings) {
        dxfimport::PartValues read;
        for (const std::wstring& text : r.texts)
            read.Read(text);
        SCOPED_TRACE(vlhost::Host::Utf8(r.texts.front()));
        EXPECT_EQ(read.count, r.count);
        EXPECT_EQ(read.thickness, r.thickness);
        EXPECT_EQ(read.material, r.material);
        EXPECT_EQ(read.conflicts.size(), r.conflicts);
    }
    // A marking cut short (its value in another text) is named; a bracket that opens no marking is not.
    dxfimport::PartValues split;
    split.Read(L"[Кол-во=");
    split.Read(L"4]");
    split.Read(L"Масштаб [1:2");
    split.Read(L"[Материал=Ст3 [ГОСТ]");
    EXPECT_EQ(split.count, std::nullopt);
    EXPECT_EQ(split.material, std::nullopt);
    EXPECT_EQ(split.unclosed, (std::vector<std::wstring>{L"[Кол-во=", L"[Материал=Ст3 [ГОСТ]"}));

    FileMetaParams entry{L"x.dxf", L"Ст3", 2, 1.0};
    values.FillEntry(entry);
    EXPECT_EQ(entry.m_material, L"Ст3");  // no material text: the entry keeps its own
    EXPECT_EQ(entry.m_thickness, 3.0);
    EXPECT_EQ(entry.m_count, 2);
}

class DxfImportTest : public hosttest::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        m_converter = std::make_unique<vlhost::ConverterModule>(application, "dxfImport");
        ASSERT_TRUE(m_converter->Loaded()) << m_converter->Error();
        // As the import command: what the converter leaves out goes into the run's message.
        m_converter->ShowProblems(false);
        m_read = [this](const std::wstring& path) { return m_converter->Convert(path, L""); };
        m_problems = [this] { return m_converter->Problems(); };
        out = root / "Фрагменты";
    }

    std::vector<FileMetaParams> Entries(std::initializer_list<const char*> names) const
    {
        std::vector<FileMetaParams> entries;
        for (const char* name : names)
            entries.push_back({Wide(kParts / name), L"", 1, 0.0});
        return entries;
    }

    // Each case's `bytes` written as dxf/NAME.dxf, and the entries naming them.
    template <class Cases>
    std::vector<FileMetaParams> WriteCases(const Cases& cases) const
    {
        std::vector<FileMetaParams> entries;
        fs::create_directories(root / "dxf");
        for (const auto& c : cases) {
            std::ofstream(root / "dxf" / (std::string(c.name) + ".dxf"), std::ios::binary) << c.bytes;
            entries.push_back({Wide(root / "dxf" / (std::string(c.name) + ".dxf")), L"", 1, 0.0});
        }
        return entries;
    }

    void Import(std::vector<FileMetaParams>& entries, const dxfimport::DxfReader& read)
    {
        NestingModel model;
        dxfimport::ImportFiguresFromDxf(model, entries, Wide(out), read, m_problems);
        // Whatever the import wrote loads as a figure: the next step takes every part file it writes.
        for (const FileMetaParams& entry : entries) {
            std::wstring why;
            EXPECT_TRUE(entry.m_fragment.empty() || NestingModel().AddFigure(entry.m_fragment, &why))
                << vlhost::Host::Utf8(entry.m_fragment) << ": " << vlhost::Host::Utf8(why);
        }
    }

    // The closing message of the run; empty when none was shown. The
    // drawings these tests make carry no marking: the note naming the files
    // that gave none is left out (with its heading when it was the only note).
    std::wstring Closing(size_t before) const
    {
        if (host->State().messages.size() <= before)
            return {};
        std::wstring text = host->State().messages.back().text;
        const std::wstring heading = L"Замечания к импортированным деталям:";
        for (size_t at = text.find(L": без маркировки "); at != std::wstring::npos; at = text.find(L": без маркировки ")) {
            const size_t start = text.rfind(L'\n', at);
            const size_t end = text.find(L'\n', at);
            text.erase(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        }
        if (text.ends_with(heading))
            text.erase(text.size() - heading.size() - (text.size() > heading.size() ? 2 : 0));
        return text;
    }

    // The cases written and imported: their entries as the import left them,
    // and its closing message.
    template <class Cases>
    std::pair<std::vector<FileMetaParams>, std::wstring> ImportCases(const Cases& cases)
    {
        std::vector<FileMetaParams> entries = WriteCases(cases);
        const size_t before = host->State().messages.size();
        Import(entries, m_read);
        return {std::move(entries), Closing(before)};
    }

    // The cases written and imported in one run, each checked: a refusal is
    // named in the closing message and writes no fragment; a written part is
    // named only with its note, keeps count 1 and no thickness, and its figure
    // has the area (and the rings, where the case gives them). The closing message.
    std::wstring ExpectParts(std::span<const Part> cases)
    {
        const auto [entries, closing] = ImportCases(cases);
        NestingModel model;
        for (size_t i = 0; i < cases.size(); ++i) {
            const Part& c = cases[i];
            SCOPED_TRACE(c.name);
            const std::wstring& path = entries[i].m_path;
            const fs::path fragment = out / (c.name + ".vfw");
            if (c.refusal) {
                EXPECT_TRUE(Holds(closing, path + L": " + c.refusal));
                EXPECT_FALSE(fs::exists(fragment));
                continue;
            }
            const size_t named = closing.find(c.note.empty() ? path + L":" : path + L": " + c.note);
            EXPECT_EQ(named == std::wstring::npos, c.note.empty()) << vlhost::Host::Utf8(closing);
            EXPECT_EQ(entries[i].m_count, 1);
            EXPECT_EQ(entries[i].m_thickness, 0.0);
            const FigurePtr figure = model.AddFigure(Wide(fragment));
            if (!figure) {
                ADD_FAILURE() << "no figure";
                continue;
            }
            if (c.rings) {
                EXPECT_EQ(figure->m_borders.size(), c.rings);
            }
            EXPECT_NEAR(figure->m_area, c.area, c.area * 1e-3);
            EXPECT_EQ(figure->m_fileUnits, c.units);
        }
        return closing;
    }

    std::unique_ptr<vlhost::ConverterModule> m_converter;
    dxfimport::DxfReader m_read;
    dxfimport::DxfProblems m_problems;
    fs::path out;
};

TEST_F(DxfImportTest, EachFileGivesAFigureOrARefusalNamedInOneMessage)
{
    struct Case {
        fs::path file;
        const wchar_t* refusal;  // the reason (its start); null: a fragment is written
        size_t rings;
        double area;
        std::wstring material = L"";
        double thickness = 0.0;
        int count = 1;
    };
    const Case cases[] = {
        {kParts / "duplicate_lines.dxf", nullptr, 1, 5000.0},
        {kParts / "splines.dxf", nullptr, 1, 7000.0},
        {kParts / "bulges.dxf", nullptr, 2, 4000.0 + 400.0 * pi - 25.0 * pi},
        {kParts / "texts.dxf", nullptr, 3, 9600.0 - 100.0 * pi - 400.0, L"Сталь 3", 2.5, 4},
        {kParts / "open_outline.dxf", L"незамкнутый контур", 0, 0},
        {kParts / "nested_holes.dxf", L"контур внутри отверстия", 0, 0},
        {kParts / "two_parts.dxf", L"больше одного внешнего контура", 0, 0},
        {kParts / "empty.dxf", L"нет замкнутого внешнего контура", 0, 0},
        {kParts / "truncated.dxf", L"файл не прочитан как DXF: файл обрывается до конца (нет EOF)", 0, 0},
        {kParts / "missing.dxf", L"файл не найден", 0, 0},
        // Small holes of every kind keep their rings; an outline crossing
        // itself or another is refused with the place; an open curve is named
        // before any other problem.
        {kAwkward / "small_holes.dxf", nullptr, 4, 10000.0 - pi * (2.381 * 2.381 + 1.0 + 0.25)},
        {kAwkward / "small_arcs.dxf", nullptr, 4, 10000.0 - pi * 0.64 - (10.0 + pi * 0.25) - pi},
        {kAwkward / "spline_outline.dxf", nullptr, 2, 4590.0 - 4.0 * pi},
        {kAwkward / "ellipse.dxf", nullptr, 3, pi * (1800.0 - 4.5 - 25.0)},
        {kAwkward / "inch_units.dxf", nullptr, 2, (8.0 - pi / 16.0) * 25.4 * 25.4},
        {kAwkward / "drawn_twice.dxf", nullptr, 2, 5000.0 - 25.0 * pi},
        {kAwkward / "figure_eight.dxf", L"контур пересекает сам себя в точке (40; 20)", 0, 0},
        {kAwkward / "bow_tie.dxf", L"контур пересекает сам себя в точке (50; 30)", 0, 0},
        {kAwkward / "offset_loop.dxf", L"контур пересекает сам себя в точке (45; 48.75)", 0, 0},
        {kAwkward / "inner_crossing.dxf", L"контур пересекает сам себя в точке (100; 100)", 0, 0},
        {kAwkward / "rings_cross.dxf", L"контуры пересекаются в точке (", 0, 0},
        // A spike holds no material, wherever it runs: past the outline, across a hole.
        {kAwkward / "hole_spike_past.dxf", nullptr, 2, 10000.0 - 2400.0},
        {kAwkward / "spikes_across.dxf", nullptr, 4, 10000.0 - 1200.0 - 600.0 - 200.0},
        {kAwkward / "open_beside.dxf", L"незамкнутый контур", 0, 0},
        {kAwkward / "open_chains.dxf", L"незамкнутый контур", 0, 0},
        // Splines given by fit points close as they are drawn (the area as ezdxf reads it).
        {kAwkward / "fit_closed.dxf", nullptr, 2, 5696.31},
        // A drawing of 3D objects only is named as such, through blocks too.
        {kAwkward / "poly3d_z.dxf", L"в файле только 3D-объекты, они не импортируются", 0, 0},
        {kAwkward / "polyface.dxf", L"в файле только 3D-объекты", 0, 0},
        {kAwkward / "solids_only.dxf", L"в файле только 3D-объекты", 0, 0},
    };
    std::vector<FileMetaParams> entries;
    for (const Case& c : cases)
        entries.push_back({Wide(c.file), L"", 1, 0.0});
    const size_t before = host->State().messages.size();
    const int documents = OpenDocuments();
    Import(entries, m_read);

    // One message for the whole run: what the converter could not read is in it.
    const std::wstring closing = Closing(before);
    EXPECT_EQ(host->State().messages.size(), before + 1);
    EXPECT_EQ(host->State().messages.back().flags, vlapi::vlMBIconError);
    EXPECT_EQ(OpenDocuments(), documents) << "every hidden fragment is closed";
    EXPECT_TRUE(hostAccess::SameObject(application->GetActiveDocument(), doc));
    EXPECT_FALSE(host->State().progress.shown);

    NestingModel model;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.file.filename().string());
        const fs::path fragment = out / (c.file.stem().string() + ".vfw");
        if (c.refusal) {
            EXPECT_TRUE(Holds(closing, entries[i].m_path + L": " + c.refusal));
            EXPECT_FALSE(fs::exists(fragment));
            EXPECT_EQ(entries[i].m_material, L"");
            continue;
        }
        // A written part is named at most in a note about the units that scaled it.
        const size_t named = closing.find(entries[i].m_path + L":");
        EXPECT_TRUE(named == closing.find(entries[i].m_path + L": единицы файла"));
        EXPECT_EQ(entries[i].m_material, c.material);
        EXPECT_EQ(entries[i].m_thickness, c.thickness);
        EXPECT_EQ(entries[i].m_count, c.count);
        const FigurePtr figure = model.AddFigure(Wide(fragment));
        ASSERT_TRUE(figure);
        EXPECT_EQ(figure->m_borders.size(), c.rings);
        EXPECT_NEAR(figure->m_area, c.area, c.area * 1e-4);
        EXPECT_EQ(figure->GetMaterial(), c.material);
        EXPECT_EQ(figure->GetThickness(), c.thickness);
        EXPECT_EQ(figure->m_count, c.count);
    }
    EXPECT_EQ(model.m_figures.size(), 1u + 1u + 1u + 4u + 9u) << "the texts part comes four times";
    KeepPicture(model, doc, "dxf_parts");
}

TEST_F(DxfImportTest, LayersFollowLineStylesAndTextsStayOnTheirLayer)
{
    std::vector<FileMetaParams> entries = Entries({"texts.dxf"});
    Import(entries, m_read);
    vlapi::IVarnelDocument2DPtr fragment(host->Open(out / "texts.vfw", false));
    ASSERT_TRUE(fragment);
    vlapi::IViewPtr view = fragment->GetViewsAndLayersManager()->GetViews()->GetView(0);
    std::map<int, std::vector<int>> kinds;  // layer -> object types
    for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view)))
        kinds[obj->GetLayer()].push_back(obj->GetType());
    ASSERT_EQ(kinds.size(), 4u);
    EXPECT_EQ(kinds[1], std::vector<int>(5, vlapi::vlDrDrawText));
    EXPECT_EQ(kinds[2], std::vector<int>{vlapi::vlDrLineSeg});  // the dashed bend line
    EXPECT_EQ(kinds[3], std::vector<int>{vlapi::vlDrLineSeg});  // the centre line
    EXPECT_EQ(view->GetLayers()->GetLayer(1)->GetName(), vrnApi::LoadStr(IDS_NAME_TEXT_LAYER));
    EXPECT_FALSE(view->GetLayers()->FindLayer(L"Детали")) << "the file's own layers are replaced";
    fragment->Close(0);
}

// Files of other names stay; an earlier fragment written over, or kept beside
// a refusal, and a fragment not named as its file are named; a folder that
// cannot be made is named once, with why.
TEST_F(DxfImportTest, FilesAroundTheRunSurviveAndReplacedOrRenamedFilesAreNamed)
{
    fs::create_directories(out);
    std::ofstream(out / "other.vfw") << "kept";
    std::ofstream(out / "bulges.vfw") << "old";  // an earlier import's file
    std::ofstream(out / "open_outline.vfw") << "old";
    std::ofstream(out / "TEXTS.vfw") << "old";  // names the file system tells apart from "texts.vfw" by no letter
    fs::create_directories(root / "copy");
    fs::copy_file(kParts / "bulges.dxf", root / "copy" / "bulges.DXF");
    fs::copy_file(kParts / "splines.dxf", root / "copy" / "say \"when\".dxf");
    fs::copy_file(kParts / "bulges.dxf", root / "copy" / "Bulges.dxf");
    std::vector<FileMetaParams> entries = Entries({"bulges.dxf", "duplicate_lines.dxf", "open_outline.dxf"});
    for (const char* copy : {"bulges.DXF", "say \"when\".dxf", "Bulges.dxf"})
        entries.push_back({Wide(root / "copy" / copy), L"", 1, 0.0});
    entries.push_back(Entries({"texts.dxf"}).front());
    const size_t before = host->State().messages.size();
    NestingModel model;
    dxfimport::ImportFiguresFromDxf(model, entries, Wide(out) + L"\\", m_read, m_problems);  // as a folder dialog ends it
    const std::wstring closing = Closing(before);
    for (const std::wstring& said : std::vector<std::wstring>{
             entries[0].m_path + L": прежний файл «bulges.vfw» заменён",
          entries[2].m_path + L": незамкнутый контур",
          std::wstring(L"; прежний файл «open_outline.vfw» остался в папке"),
          entries[3].m_path + L": деталь записана в файл «bulges_2.vfw»: файл «bulges.vfw» уже записан для другой детали этого импорта",
          entries[4].m_path + L": деталь записана в файл «say  when .vfw»: знаки «\"» заменены пробелами",
          entries[5].m_path + L": деталь записана в файл «Bulges_3.vfw»: файл «Bulges.vfw» уже записан для другой детали этого импорта",
          entries[6].m_path + L": деталь записана в файл «TEXTS.vfw»: так назван прежний файл папки, имя которого отличается "
                              L"только строчными и прописными буквами",
          entries[6].m_path + L": прежний файл «TEXTS.vfw» заменён"})
        EXPECT_TRUE(Holds(closing, said));
    EXPECT_EQ(closing.find(entries[1].m_path), std::wstring::npos) << "a new file named as its part: nothing to say";
    EXPECT_EQ(fs::file_size(out / "other.vfw"), 4u);
    EXPECT_GT(fs::file_size(out / "bulges.vfw"), 3u) << "the run's own file replaces an earlier one";
    EXPECT_TRUE(fs::exists(out / "bulges_2.vfw"));
    EXPECT_GT(fs::file_size(out / "TEXTS.vfw"), 3u);
    EXPECT_EQ(std::distance(fs::directory_iterator(out), fs::directory_iterator()), 8);

    // A conversion that cannot happen keeps whatever is there.
    std::vector<FileMetaParams> again = Entries({"bulges.dxf"});
    const auto written = fs::last_write_time(out / "bulges.vfw");
    Import(again, nullptr);
    EXPECT_TRUE(Holds(Closing(before), L"не загружен конвертер DXF"));
    EXPECT_EQ(fs::last_write_time(out / "bulges.vfw"), written);
    // A folder behind a file: named once, with why, for all the files.
    std::vector<FileMetaParams> three = Entries({"bulges.dxf", "splines.dxf", "texts.dxf"});
    out = out / "bulges.vfw" / "Детали" / "";  // as a folder dialog gives it
    Import(three, m_read);
    EXPECT_EQ(Closing(before), L"Ошибка импорта: не удалось создать папку «" + Wide(out.parent_path()) + L"»: на пути к "
                                   L"ней файл «" + Wide(out.parent_path().parent_path()) + L"»; не импортирован ни один из файлов (3)");
    out.clear();
    Import(again, m_read);
    EXPECT_TRUE(Holds(Closing(before), L"не задана папка для фрагментов"));
}

// Rights are the user's: run as root, the block runs as another user.
struct AsAnotherUser {
    const bool changed = ::geteuid() == 0 && ::seteuid(65534) == 0;  // "nobody"
    ~AsAnotherUser()
    {
        if (changed && ::seteuid(0) != 0)
            std::abort();
    }
};

// A folder that takes no file is named once, with why, for all the files:
// one too long for a file to be written in it, one the user may not write
// to. A file that cannot be read is named with why, as no fault of its DXF.
TEST_F(DxfImportTest, AFolderThatTakesNoFileAndFilesThatCannotBeReadAreNamedWithWhy)
{
    std::vector<FileMetaParams> three = Entries({"bulges.dxf", "splines.dxf", "texts.dxf"});
    const size_t before = host->State().messages.size();
    const auto none = [&](const std::wstring& why) {
        return L"Ошибка импорта: в папку «" + Wide(out) + L"» не записать файлы: " + why + L"; не импортирован ни один из файлов (3)";
    };
    // A folder whose path leaves room for "bulges.vfw" but not for the name a file is first written under.
    out = hosttest::PathOfLength(root, 4095 - 12);
    ASSERT_TRUE(fs::create_directories(out));
    Import(three, m_read);
    EXPECT_EQ(Closing(before), none(L"путь к папке слишком длинный для записи в неё (4083 байта)"));

    const fs::path open = root / "Фрагменты", dxf = root / "dxf";
    fs::create_directories(open);
    fs::permissions(open, fs::perms::all);
    out = root / "Закрытая папка";
    fs::create_directories(out);
    fs::permissions(out, fs::perms(0555));
    fs::create_directories(dxf / "folder.dxf");
    std::ofstream(dxf / "secret.dxf") << Drawing(dxftext::Square(0, 0, 100));
    fs::permissions(dxf / "secret.dxf", fs::perms::none);
    fs::create_symlink("loop.dxf", dxf / "loop.dxf");
    ASSERT_EQ(::mkfifo((dxf / "pipe.dxf").c_str(), 0644), 0);
    const std::pair<const char*, const wchar_t*> unread[] = {
        {"secret.dxf", L"нет прав на чтение"}, {"missing.dxf", L"файл не найден"}, {"folder.dxf", L"это папка, а не файл"},
        {"loop.dxf", L"символические ссылки ведут по кругу"}, {"pipe.dxf", L"это не файл, а устройство или канал"}};
    std::vector<FileMetaParams> entries = Entries({"bulges.dxf"});
    for (const auto& [name, why] : unread)
        entries.push_back({Wide(dxf / name), L"", 1, 0.0});
    {
        AsAnotherUser user;
        if (::faccessat(AT_FDCWD, out.c_str(), W_OK, AT_EACCESS) == 0)
            GTEST_SKIP() << "the folder stays writable for this user";
        Import(three, m_read);
        EXPECT_EQ(Closing(before), none(L"нет прав на запись"));
        out = open;
        Import(entries, m_read);
    }
    const std::wstring closing = Closing(before) + L"\n";
    for (size_t k = 0; k < std::size(unread); ++k)
        EXPECT_TRUE(Holds(closing, L"\n" + entries[k + 1].m_path + L": " + unread[k].second + L"\n"));
    EXPECT_EQ(std::count(closing.begin(), closing.end(), L'\n'), 6);
    const FigurePtr written = NestingModel().AddFigure(entries[0].m_fragment);
    ASSERT_TRUE(written);
    EXPECT_NEAR(written->m_area, 4000.0 + 400.0 * pi - 25.0 * pi, 1e-3);
}

// A file whose drawing takes more memory than there is is named as such, and
// the run goes on with the next.
TEST_F(DxfImportTest, AFileBeyondTheMemoryIsNamedAndTheNextImports)
{
    std::vector<FileMetaParams> entries = Entries({"bulges.dxf", "duplicate_lines.dxf"});
    const dxfimport::DxfReader read = [this](const std::wstring& path) {
        if (path.find(L"bulges") != std::wstring::npos)
            throw std::bad_alloc();
        return m_read(path);
    };
    const size_t before = host->State().messages.size();
    Import(entries, read);
    EXPECT_TRUE(Holds(Closing(before), L"bulges.dxf: для импорта детали не хватает памяти"));
    EXPECT_TRUE(entries[0].m_fragment.empty());
    EXPECT_FALSE(fs::exists(out / "bulges.vfw"));
    EXPECT_TRUE(fs::exists(out / "duplicate_lines.vfw"));
}

// Files made here: outline ends a hair apart are joined; a gap wider than
// that is named with its place; what the converter must leave out of a
// hostile file does not cost the part its sound outline, and the run's one
// message names what was left out and where it stands; what lies after EOF,
// or in blocks nothing inserts, is not read at all.
TEST_F(DxfImportTest, JointsAHairApartAreJoinedAndHostileFilesKeepTheirSoundPart)
{
    using namespace dxftext;
    const std::wstring leftOut = L"деталь импортирована, но при чтении пропущено: ";
    const double d = 0.0002;
    const Groups square = Square(0, 0, 100);
    const std::vector<std::pair<double, double>> hole{{40, 40}, {60, 40}, {60, 60}, {40, 60}, {40, 40}};
    Groups deep = Block("B0", Circle("50", "50", 10));
    for (int i = 1; i < 40; ++i)
        deep = deep + Block("B" + std::to_string(i), Insert("B" + std::to_string(i - 1), 0, 0));
    const Groups face{{0, "3DFACE"}, {8, "0"}, {10, "0"},  {20, "0"},  {30, "0"},  {11, "9"}, {21, "0"},
                      {31, "0"},     {12, "9"}, {22, "9"}, {32, "5"}, {13, "0"}, {23, "9"}, {33, "5"}};
    const Part cases[] = {
        {"lines", Drawing(Line(0, 0, 100, d) + Line(100 + d, 0, 100, 100) + Line(100, 100 - d, 0, 100) + Line(-d, 100, d, -d)),
         nullptr, 10000},
        {"line_and_arc", Drawing(Line(0, 0, 100, 0) + Line(100, 0, 100, 90.0005) + Arc(90, 90, 10, 0, 90) +
                                 Line(90.0004, 100, 0, 100) + Line(0, 100, 0, 0)), nullptr, 9900 + 25 * pi},
        {"splines", Drawing(FitSpline({{0, 0}, {50, 0}, {100, 0}}) + FitSpline({{100, 0.0004}, {50, 50}, {0, 100}}) +
                            FitSpline({{0, 100.0004}, {0, 50}, {0.0003, 0}})), nullptr, 5000},
        {"ellipse_halves", Drawing(HalfEllipse(0, 0, 50, 25, true) + HalfEllipse(0.0004, 0, 50, 25, false)), nullptr, 1250 * pi},
        {"line_shorter_than_a_joint", Drawing(square + Line(100, 100, 100.0005, 100)), nullptr, 10000},
        {"point_lines", Drawing(square + Line(50, 50, 50, 50) + Line(100, 100, 100, 100)), nullptr, 10000},
        {"edges_in_overlapping_pieces",
         Drawing(Line(0, 0, 60, 0) + Line(40, 0, 100, 0) + Line(100, 0, 100, 100) + Line(100, 100, 0, 100) +
                 Line(30, 100, 70, 100) + Line(0, 100, 0, 0) + Line(0, 0, 0, 100)), nullptr, 10000},
        {"gap", Drawing(Line(0, 0, 100, 0) + Line(100, 0, 100, 99.5) + Line(100, 100, 0, 100) + Line(0, 100, 0, 0)),
         L"незамкнутый контур: разрыв 0.5 мм между точками (100; 99.5) и (100; 100)", 0},
        {"gap_just_wider", Drawing(Line(0, 0, 100, 0) + Line(100, 0, 100, 99.9985) + Line(100, 100, 0, 100) + Line(0, 100, 0, 0)),
         L"незамкнутый контур: разрыв 0.0015 мм между точками (100; 99.9985) и (100; 100)", 0},
        // A value longer than the reader reads: the curve is left out by a cap.
        {"long_layer", Drawing(square + Line(0, 0, 50, 50, std::string(2000, 'L'))),
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: "
         L"объекты со значениями длиннее 1023 символов — 1 (отрезок на слое «LLLLLLLL", 0},
        {"text_beyond_numbers", dxftext::File({{"BLOCKS", Block("FAR", Text(1e10, 0, "x"))},
                                      {"ENTITIES", square + Insert("FAR", 0, 0, "1e300")}}),
         nullptr, 10000, leftOut + L"объекты, координаты которых переполняются с масштабами блоков и единицами файла — 1 (текст на слое «0» в блоке «FAR»)"},
        {"spline_through_one_point", Drawing(square + FitSpline({{5, 5}, {5, 5}, {5, 5}})), nullptr, 10000,
         leftOut + L"сплайны через совпадающие точки — 1 (сплайн на слое «0» у (5; 5))"},
        {"count_in_header", dxftext::File({{"HEADER", {{0, "SPLINE"}, {72, "900000000E+20"}}}, {"ENTITIES", square}}), nullptr,
         10000, leftOut + L"объекты в заголовке файла — 1 (сплайн на слое «0»)"},
        // A hole the converter cannot read refuses the part, named at its place; one of no known
        // place (no number) or that encloses nothing is left out, and said so.
        {"hole_at_infinity", Drawing(square + Circle("inf", "50", 10)), nullptr, 10000,
         leftOut + L"объекты с числами не в десятичной записи или бесконечными — 1 (окружность на слое «0»)"},
        {"hole_ellipse_ratio_2", Drawing(square + Ellipse("50", "50", "10", "0", "2")), HOLE_LOST L"эллипс на слое «0» у (50; 50); "
         L"при чтении пропущено: эллипсы с неверными осями — 1 (эллипс на слое «0» у (50; 50))", 0},
        {"hole_ellipse_ratio_0", Drawing(square + Ellipse("50", "50", "10", "0", "0")), nullptr, 10000,
         leftOut + L"эллипсы с неверными осями — 1 (эллипс на слое «0» у (50; 50))"},
        {"hole_spline_knots_descending", Drawing(square + Spline(2, {0, 0, 0, 2, 1, 3, 3, 3}, hole)), HOLE_LOST L"сплайн на слое «0» у "
         L"(40; 40); при чтении пропущено: сплайны, узлы которых не подходят к управляющим точкам — 1 (сплайн на слое «0» у (40; 40))", 0},
        {"hole_spline_knots_equal", Drawing(square + Spline(2, std::vector<double>(8, 1.0), hole)), HOLE_LOST L"сплайн на слое «0» у "
         L"(40; 40); при чтении пропущено: сплайны, узлы которых не подходят к управляющим точкам — 1", 0},
        {"hole_spline_weight_0", Drawing(square + Spline(2, {0, 0, 0, 1, 2, 3, 3, 3}, hole, {1, 0, 1, 1, 1})), HOLE_LOST
         L"сплайн на слое «0» у (40; 40); при чтении пропущено: сплайны с весами не больше нуля — 1 (сплайн на слое «0» у (40; 40))", 0},
        // Its own (50, 50) on a plane tilted 30 degrees about y stands at (-43.3, 50): beside the part.
        {"hole_on_a_tilted_plane", Drawing(square + Circle("50", "50", 10, {{210, "0.5"}, {220, "0"}, {230, "0.866"}})), nullptr,
         10000, leftOut + L"3D-объекты — 1 (окружность на слое «0» у (-43.301; 50))"},
        {"holes_in_arrays_of_arrays",
         dxftext::File({{"BLOCKS", Block("H", Circle("0", "0", 0.001)) + Block("A", Insert("H", 0, 0, "1", 300, 300, 0.01))},
                        {"ENTITIES", square + Insert("A", 1, 1, "1", 300, 300, 0.3)}}),
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: вставки, "
         L"копии которых дают объекты сверх 250 000, которые программа берёт из одного файла — 1 (вставка блока на слое «0» у (1; 1))"},
        {"hole_40_blocks_deep", dxftext::File({{"BLOCKS", deep}, {"ENTITIES", square + Insert("B39", 0, 0)}}),
         L"файл прочитан не весь, а без пропущенного деталь не записывается: пропущено сверх пределов программы: вставки "
         L"глубже 16 уровней блоков — 1 (вставка блока на слое «0» в блоке «B24» у (0; 0))"},
        {"hole_of_one_vertex", Drawing(square + Polyline({{50, 50}}, true)), nullptr, 10000,
         leftOut + L"полилинии менее чем из двух точек — 1 (полилиния на слое «0» у (50; 50))"},
        // Curves of nothing at the drawing's tolerance: a circle of a radius
        // no curve has is left out and named, arcs of round-off within a
        // joint are points as point lines are, a spline that breaks apart at
        // a repeated knot is left out and named; a ring whose sides lie
        // nearer than a joint (a slit, a sliver of a triangle, a slit into
        // the outline) is named so, not as open curves.
        {"hole_of_radius_1e-300", Drawing(square + Circle("50", "50", 1e-300)), nullptr, 10000,
         leftOut + L"дуги и окружности без радиуса — 1 (окружность на слое «0» у (50; 50))"},
        {"arcs_of_round_off", Drawing(square + Arc(50, 50, 1e-9, 0, 90) + Arc(50, 50, 10, 0, 1e-7)), nullptr, 10000},
        {"hole_spline_broken_at_a_knot", Drawing(square + Spline(2, {0, 0, 0, 1, 1, 1, 2, 2, 2},
                                                                 {{40, 40}, {60, 40}, {60, 60}, {40, 60}, {30, 50}, {40, 40}})),
         HOLE_LOST L"сплайн на слое «0» у (40; 40); при чтении пропущено: сплайны, разорванные на кратном узле — 1 (сплайн на "
         L"слое «0» у (40; 40))", 0},
        {"ellipse_thinner_than_the_point_tolerance",
         Drawing(square + Ellipse("50", "30", "0.5", "0", "0.0002")), L"контур без площади у точки (49.", 0},
        {"slit_thinner_than_a_joint", Drawing(square + Polyline({{40, 50}, {60, 50}, {60, 50.001}, {40, 50.001}}, true)),
         L"контур тоньше 0.001 мм у точки (40; 50): его стороны лежат одна на другой", 0},
        {"triangle_of_0.0012", Drawing(square + Polyline({{50, 50}, {50.0012, 50}, {50, 50.0012}}, true)),
         L"контур тоньше 0.001 мм у точки (50.0012; 50): его стороны лежат одна на другой", 0},
        {"outline_slit_0.0005_wide",
         Drawing(Polyline({{0, 0}, {100, 0}, {100, 100}, {50.0005, 100}, {50.0005, 50}, {50, 50}, {50, 100}, {0, 100}}, true)),
         L"контур тоньше 0.001 мм у точки (50.0005; 100): его стороны лежат одна на другой", 0},
        // Reader oddities: nothing after EOF is read; a block defined twice is
        // left out as ambiguous (its holes, either's, with it); "0x32" is no DXF number.
        {"hole_after_eof", Drawing(square) + Drawing(Circle("50", "50", 10)), nullptr, 10000},
        {"hole_in_a_block_defined_twice",
         dxftext::File({{"BLOCKS", Block("H", Circle("50", "50", 10)) + Block("H", Circle("50", "50", 30))},
                        {"ENTITIES", square + Insert("H", 0, 0)}}),
         L"внутри внешнего контура детали не импортированы кривые, а без них деталь не записывается: окружность на слое «0» "
         L"в блоке «H» у (50; 50), окружность на слое «0» в блоке «H» у (50; 50); при чтении пропущено: вставки блоков, "
         L"определённых в файле дважды — 1 (вставка блока на слое «0» у (0; 0))", 0},
        {"hole_in_an_external_reference",
         dxftext::File({{"BLOCKS", {{0, "BLOCK"}, {2, "HOLES"}, {70, "4"}, {10, "0"}, {20, "0"}, {1, "holes.dwg"}, {0, "ENDBLK"}}},
                        {"ENTITIES", square + Insert("HOLES", 0, 0)}}),
         nullptr, 10000, leftOut + L"вставки внешних ссылок (их файлы не читаются) — 1 (вставка блока на слое «0» у (0; 0))"},
        {"hole_drawn_only_as_a_hatch",
         Drawing(square + Groups{{0, "HATCH"}, {8, "0"}, {10, "0"}, {20, "0"}, {2, "SOLID"}}), nullptr,
         10000, leftOut + L"объекты HATCH, которые не импортируются — 1 (штриховка на слое «0»)"},
        {"hole_at_a_hexadecimal_number", Drawing(square + Circle("0x32", "50", 10)), nullptr, 10000,
         leftOut + L"объекты с числами не в десятичной записи или бесконечными — 1 (окружность на слое «0»)"},
        // An arrowhead block of dimensions that nothing inserts is not read.
        {"arrow_block_not_inserted",
         dxftext::File({{"BLOCKS", Block("_CLOSEDFILLED", {{0, "SOLID"}, {8, "0"}, {10, "0"}, {20, "0"}, {11, "-1"},
                                                          {21, "0.16"}, {12, "-1"}, {22, "-0.16"}})},
                        {"ENTITIES", square}}),
         nullptr, 10000},
        // Open curves are named by layer and kind.
        {"centre_marks", Drawing(square + Circle("70", "50", 10) + Line(60, 40, 80, 60, "CENTER") +
                                 Line(80, 40, 60, 60, "CENTER")),
         L"незамкнутый контур: разрыв 20 мм между точками (80; 60) и (80; 40); незамкнутые кривые: 2 отрезка на слое «CENTER»", 0},
        // An unreadable file: one reason, in the run's message.
        {"binary", std::string("AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION", 30), L"файл не прочитан как DXF: это двоичный DXF", 0},
        {"sections_damaged", "0\nSECTION\n2\nENTITIES\n0\nSECTION\n0\nENDSEC\n0\nENDSEC\n0\nEOF\n",
         L"файл не прочитан как DXF: секции файла повреждены: в строке 5 секция начата внутри секции из строки 1", 0},
        {"closed_fit_spline", Drawing(FitSpline({{0, 0}, {60, 0}, {100, 30}, {60, 60}, {0, 60}, {-20, 30}}, true)), nullptr, 6556.3},
        // Nothing the converter reads: the refusal says what the drawing holds.
        {"face_in_block_rising_line_paper_square",
         dxftext::File({{"BLOCKS", Block("F", face)},
                        {"ENTITIES", Insert("F", 0, 0) + Line(0, 0, 5, 5) + Groups{{30, "0"}, {31, "7"}} +
                                         Groups{{0, "LINE"}, {67, "1"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}}}),
         L"в файле только 3D-объекты, они не импортируются: нет плоского контура детали", 0},
        {"face_and_hatch", Drawing(face + Groups{{0, "HATCH"}, {8, "0"}}),
         L"в файле нет объектов, которые импортируются (отрезков, дуг, окружностей, эллипсов, полилиний, сплайнов, текстов)", 0},
        {"region", Drawing({{0, "REGION"}, {8, "0"}, {70, "1"}, {1, "acis"}}),
         L"в файле нет объектов, которые импортируются (отрезков, дуг, окружностей, эллипсов, полилиний, сплайнов, текстов)", 0},
        // An outline past the reader's caps is named with the cap, not as a file that is no DXF.
        {"outline_of_too_many_vertices", Drawing(Polyline(std::vector<std::pair<double, double>>(500'001, {1, 1}), true)),
         L"ни один объект файла не прочитан: пропущено сверх пределов программы: объекты сверх 500 000 частей (вершин, дуговых за две, точек "
         L"сплайнов, строк текстов), которые программа берёт из одного файла — 1 (полилиния на слое «0» у (1; 1))", 0},
    };
    // A closed curve (or chain) smaller than a point's box (0.001 mm either
    // way), as centre marks are drawn, is a point: dropped and named with its
    // place, one or ten; from that size up it is a hole.
    std::vector<Part> all(std::begin(cases), std::end(cases));
    for (Part& c : all)
        c.rings = std::max<size_t>(c.rings, 1);  // one ring where the table gives none
    const std::wstring points = L"деталь импортирована, но кривые меньше 0.001 мм — точки, они не режутся: ";
    const Groups plate = Polyline({{0, 0}, {100, 0}, {100, 60}, {0, 60}}, true);
    static const auto round = [](double x, double r, int n) {
        std::vector<std::pair<double, double>> at;
        for (int k = 0; k < n; ++k)
            at.emplace_back(x + r * std::cos(2 * pi * k / n), 30 + r * std::sin(2 * pi * k / n));
        return at;
    };
    const struct {
        const char* kind;
        const wchar_t* named;
        Groups (*draw)(double x, double r);
        std::vector<double> sizes = {0.0004, 0.001};  // of radius, or half the side
    } kinds[] = {
        {"circle", L"1 окружность", [](double x, double r) { return Circle(Num(x), "30", r); },
         {0.0001, 0.0004, 0.0005, 0.001, 0.0011, 0.0015}},
        {"square", L"4 отрезка",
         [](double x, double r) { return Polyline({{x - r, 30 - r}, {x + r, 30 - r}, {x + r, 30 + r}, {x - r, 30 + r}}, true); }},
        {"ellipse", L"1 эллипс", [](double x, double r) { return Ellipse(Num(x), "30", Num(r), "0", "0.5"); }},
        {"spline", L"1 сплайн", [](double x, double r) { return FitSpline(round(x, r, 8), true); }},
        {"dense_polyline", L"64 отрезка", [](double x, double r) { return Polyline(round(x, r, 64), true); }},
        {"arcs", L"2 дуги", [](double x, double r) { return Arc(x, 30, r, 0, 180) + Arc(x, 30, r, 180, 360); }},
        {"bulges", L"2 дуги", [](double x, double r) { return BulgedPolyline({{x - r, 30, 1}, {x + r, 30, 1}}); }},
        // Sides shorter than a joint: the ring is as drawn, no joints across it.
        {"hexagon", L"6 отрезков", [](double x, double r) { return Polyline(round(x, r, 6), true); }, {0.0004, 0.00055}},
    };
    for (const auto& k : kinds)
        for (const double r : k.sizes) {
            const bool point = 2 * r < 0.001;
            char size[16];
            std::snprintf(size, sizeof size, "_%g", r);
            Groups ten;
            for (int i = 0; i < 10; ++i)
                ten = ten + k.draw(10 + 8 * i, r);
            all.push_back({k.kind + std::string(size), Drawing(plate + k.draw(50, r)),
                           nullptr, 6000, point ? points + k.named + L" на слое «0» у точки (50; 30)" : L"", point ? 1u : 2u});
            if (r == k.sizes.front() || r == k.sizes.back())
                all.push_back({"ten_" + (k.kind + std::string(size)), Drawing(plate + ten), nullptr,
                               6000, point ? points : L"", point ? 1u : 11u});
        }
    // A ring of two bulges 0.001 mm across whose ends round to a hair nearer: a hole, not one joint.
    all.push_back({"bulges_0.001_across", Drawing(plate + BulgedPolyline({{50, 30, 1}, {50.001, 30, 1}})),
                   nullptr, 6000, L"", 2u});
    // A centre mark beside the outline's edge is a point, named as such.
    all.push_back({"circle_0.0008_across_beside_the_edge", Drawing(plate + Circle("0.0003", "30", 0.0004)),
                   nullptr, 6000, points + L"1 окружность на слое «0» у точки (0.0003; 30)", 1u});
    const size_t before = host->State().messages.size();
    ExpectParts(all);
    EXPECT_EQ(host->State().messages.size(), before + 1) << "one message for the run";
}

// A hole, an edge or a slot drawn again in curves of other kinds, split at
// other points, or in part: what lies on another curve within the point
// tolerance is one curve, and the part has each of its rings once. Rings
// that share an edge (a hole along the outline) keep it, each ring closed.
TEST_F(DxfImportTest, CurvesLyingOnOneAnotherAreOneCurve)
{
    using namespace dxftext;
    const double w = std::sqrt(0.5);
    const Groups plate = Square(0, 0, 100);
    // The hole of radius 10 at (60, 50) as a rational spline, whole or its upper half.
    const auto splineCircle = [&](bool half) {
        const std::vector<std::pair<double, double>> poles{{70, 50}, {70, 60}, {60, 60}, {50, 60}, {50, 50},
                                                           {50, 40}, {60, 40}, {70, 40}, {70, 50}};
        if (half)
            return Spline(2, {0, 0, 0, 1, 1, 2, 2, 2}, {poles.begin(), poles.begin() + 5}, {1, w, 1, w, 1});
        return Spline(2, {0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 4}, poles, {1, w, 1, w, 1, w, 1, w, 1});
    };
    const Groups circle = Circle("60", "50", 10);
    const Groups bulges = BulgedPolyline({{50, 50, 1}, {70, 50, 1}});
    // The last millimetre of the lower edge in pieces 0.0011 mm apart, each
    // but the last 0.0002 mm short of the next: shorter than a joint.
    Groups pieces;
    for (int k = 0, n = 909; k < n; ++k)
        pieces = pieces + Line(99 + k / 909.0, 0, 99 + (k + 1) / 909.0 - (k + 1 < n ? 0.0002 : 0), 0);
    const Groups slot = BulgedPolyline({{20, 20, 0}, {50, 20, 1}, {50, 30, 0}, {20, 30, 1}});
    const double hole = 10000 - 100 * pi, slotArea = 300 + 25 * pi;
    const struct {
        const char* name;
        Groups entities;
        size_t rings;
        double area;
    } cases[] = {
        {"circle_and_bulges", plate + circle + bulges, 2, hole},
        {"circle_and_two_arcs", plate + circle + Arc(60, 50, 10, 0, 180) + Arc(60, 50, 10, 180, 0), 2, hole},
        {"arcs_split_twice", plate + Arc(60, 50, 10, 0, 180) + Arc(60, 50, 10, 180, 0) + Arc(60, 50, 10, 90, 270) +
                                 Arc(60, 50, 10, 270, 90), 2, hole},
        {"circle_and_arc_on_it", plate + circle + Arc(60, 50, 10, 30, 60), 2, hole},
        {"arc_on_circle_first", plate + Arc(60, 50, 10, 30, 60) + circle, 2, hole},
        {"arcs_overlapping_in_part", plate + Arc(60, 50, 10, 0, 200) + Arc(60, 50, 10, 150, 0), 2, hole},
        {"circle_arcs_and_bulges", plate + Arc(60, 50, 10, 0, 180) + Arc(60, 50, 10, 90, 270) + circle + bulges +
                                       Arc(60, 50, 10, 180, 0), 2, hole},
        {"circle_and_spline", plate + circle + splineCircle(false), 2, hole},
        {"half_spline_and_arcs", plate + splineCircle(true) + Arc(60, 50, 10, 90, 270) + Arc(60, 50, 10, 270, 90), 2, hole},
        {"slot_twice_split_otherwise", plate + slot + Line(20, 20, 35, 20) + Line(35, 20, 50, 20) + Arc(50, 25, 5, 270, 0) +
                                           Arc(50, 25, 5, 0, 90) + Line(50, 30, 20, 30) + Arc(20, 25, 5, 90, 270),
         2, 10000 - slotArea},
        {"outline_twice_split_otherwise", Polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true) + Line(0, 0, 60, 0) +
                                              Line(60, 0, 100, 0) + Line(100, 0, 100, 30) + Line(100, 30, 100, 100) +
                                              Line(0, 100, 100, 100) + Line(0, 0, 0, 100) + circle,
         2, hole},
        {"edge_in_pieces_over_one_line", plate + Line(0, 0, 40, 0) + Line(40, 0, 70, 0) + Line(70, 0, 100, 0), 1, 10000},
        {"hole_along_the_edge_and_a_hole_twice", plate + Square(80, 40, 20) + circle + Arc(60, 50, 10, 0, 180) +
                                                     Arc(60, 50, 10, 180, 0), 3, 10000 - 400 - 100 * pi},
        {"hole_three_times", plate + circle + bulges + Arc(60, 50, 10, 45, 135) + Arc(60, 50, 10, 135, 225) +
                                 Arc(60, 50, 10, 225, 315) + Arc(60, 50, 10, 315, 45), 2, hole},
        {"circle_under_a_turned_ellipse_of_ratio_1",
         plate + circle + Ellipse("60", "50", Num(10 * std::cos(0.7)), Num(10 * std::sin(0.7)), "1", "0", Num(2 * pi)), 2, hole},
        {"hole_in_a_block_turned_over_and_drawn", plate + circle + Groups{{0, "INSERT"}, {8, "0"}, {2, "HOLE"},
                                                                          {10, "65"}, {20, "50"}, {41, "-1"}}, 2, hole},
        // Nearer than a joint is one curve: a hole 0.0002 mm wider, an outline 0.0008 mm off.
        {"hole_twice_0.0002_apart", plate + circle + Circle("60", "50", 10.0002), 2, hole},
        {"arcs_0.0008_outside_a_circle", plate + circle + Arc(60, 50, 10.0008, 0, 180) + Arc(60, 50, 10.0008, 180, 0), 2, hole},
        {"outline_twice_0.0008_apart", plate + Square(0.0008, 0.0008, 100) + circle, 2, hole},
        // Drawn again 0.0009 mm off and split elsewhere: kept as one drawing,
        // not an edge of each (whose corners stand 0.0013 mm apart).
        {"outline_again_0.0009_off_split_otherwise", Polyline({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true) +
                                                         Line(0.0009, 0.0009, 50, 0.0009) + Line(50, 0.0009, 100.0009, 0.0009) +
                                                         Line(100.0009, 0.0009, 100.0009, 100.0009) +
                                                         Line(100.0009, 100.0009, 0.0009, 100.0009) +
                                                         Line(0.0009, 100.0009, 0.0009, 0.0009) + circle,
         2, hole},
        {"edge_drawn_again_in_pieces_shorter_than_a_joint", plate + pieces + circle, 2, hole},
        // An outline drawn again as a spline of degree 1 through its corners.
        {"outline_under_a_spline_of_degree_1",
         plate + Spline(1, {0, 0, 1, 2, 3, 4, 4}, {{0, 0}, {100, 0}, {100, 100}, {0, 100}, {0, 0}}) + circle, 2, hole},
    };
    std::vector<Part> files;
    for (const auto& c : cases)
        files.push_back({c.name, dxftext::File({{"BLOCKS", Block("HOLE", Circle("5", "0", 10))}, {"ENTITIES", c.entities}}),
                         nullptr, c.area, L"", c.rings});
    EXPECT_EQ(ExpectParts(files), L"");
}

// Every refusal names where its trouble is (a point, or a layer and kind)
// and cites no rule the part keeps; what a written part lacks of its file
// is named with the layer it stood on. Sizes are written out as far as it
// takes to stand on their side of the limit they break.
TEST_F(DxfImportTest, RefusalsAndNotesNameThePlace)
{
    using namespace dxftext;
    const auto dashed = [](Groups g) {
        for (size_t k = 0; k < g.size(); ++k)
            if (g[k].first == 0)
                g.insert(g.begin() + static_cast<ptrdiff_t>(k + 1), {6, "DASHED"});
        return g;
    };
    // A square of `side` drawn in pieces `piece` long, each `gap` short of the next.
    const auto pieces = [](double side, double piece, double gap) {
        Groups g;
        const std::pair<double, double> corners[] = {{0, 0}, {side, 0}, {side, side}, {0, side}, {0, 0}};
        for (int c = 0; c < 4; ++c) {
            const auto [x0, y0] = corners[c];
            const auto [x1, y1] = corners[c + 1];
            const int n = static_cast<int>(std::lround(side / piece));
            for (int k = 0; k < n; ++k) {
                const double a = double(k) / n, b = double(k + 1) / n - (k + 1 < n ? gap / side : 0);
                g = g + Line(x0 + (x1 - x0) * a, y0 + (y1 - y0) * a, x0 + (x1 - x0) * b, y0 + (y1 - y0) * b);
            }
        }
        return g;
    };
    const Groups plate = Square(0, 0, 100);
    // A round hole, and a closed spline through `n` points of it.
    const Groups hole = Circle("60", "50", 10);
    const auto fitted = [](int n) {
        std::vector<std::pair<double, double>> points;
        for (int k = 0; k <= n; ++k)
            points.emplace_back(60 + 10 * std::cos(2 * pi * k / n), 50 + 10 * std::sin(2 * pi * k / n));
        return FitSpline(points, true);
    };
    // An arc of the ellipse 40 × 20 about (50, 50) between two parameters.
    const auto halfway = [](const char* from, const char* to) { return Ellipse("50", "50", "20", "0", "0.5", from, to); };
    // The lower edge drawn again a hundred times, each split at another point.
    Groups edgeAgain;
    for (int k = 0; k < 100; ++k)
        edgeAgain = edgeAgain + Line(0, 0, 1 + 0.37 * k, 0) + Line(1 + 0.37 * k, 0, 100, 0);
    const std::wstring lacks = L"деталь импортирована, но кривые на выключенных или замороженных слоях не импортированы: ";
    // A plate 100 × 60 whose second vertex reads `x`, on `layer`, and a hole of 10 mm in it.
    const auto outline = [](const std::string& x, const std::string& layer = "0") {
        return Groups{{0, "LWPOLYLINE"}, {8, layer}, {90, "4"}, {70, "1"}, {10, "0"}, {20, "0"}, {10, x}, {20, "0"},
                      {10, "100"}, {20, "60"}, {10, "0"}, {20, "60"}};
    };
    const Groups disc = Circle("50", "30", 5);
    const std::wstring lostAtNan =
        L"внешний контур не импортирован: полилиния на слое «0» у (0; 0) охватывает все импортированные кривые детали; "
        L"при чтении пропущено: объекты с числами не в десятичной записи или бесконечными — 1 (полилиния на слое «0» у (0; 0))";
    const std::wstring lostOnLongLayer =
        L"внешний контур не импортирован: полилиния на слое «" + std::wstring(64, L'L') + L"…» у (0; 0) охватывает";
    const Part cases[] = {
        {"two_outlines", Drawing(plate + Square(150, 0, 50)),
         L"больше одного внешнего контура: контур у точки (150; 0) не лежит внутри контура у точки (0; 0)", 0},
        {"island_in_hole", Drawing(plate + Square(20, 20, 60) + Square(40, 40, 20)),
         L"контур внутри отверстия: контур у точки (40; 40) лежит внутри отверстия у точки (20; 20)", 0},
        {"dashed_outline", Drawing(dashed(plate)),
         L"нет замкнутого внешнего контура: нет кривых основной (сплошной) линии; кривые других типов линий не режутся: "
         L"4 отрезка на слое «0»", 0},
        {"texts_only", Drawing(Text(0, 0, "Деталь")),
         L"нет замкнутого внешнего контура: в чертеже нет видимых кривых, только 1 текст на слое «0»", 0},
        {"lines_shorter_than_a_joint", Drawing(Line(10, 10, 10.0005, 10) + Line(15, 10, 15.0005, 10)),
         L"нет замкнутого внешнего контура: кривые у точки (10; 10) ничего не ограничивают", 0},
        {"outline_on_a_frozen_layer",
         dxftext::File({{"TABLES", layers({{"F", "1"}})},
                        {"ENTITIES", Line(0, 0, 9, 0, "F") + Line(9, 0, 9, 9, "F") + Line(9, 9, 0, 0, "F") + Text(0, 0, "[Кол-во=2]")}}),
         L"нет замкнутого внешнего контура: в чертеже нет видимых кривых, только 1 текст на слое «0»; кривые на выключенных "
         L"или замороженных слоях не импортированы: 3 отрезка на слое «F»", 0},
        {"hatch_only", Drawing({{0, "HATCH"}, {8, "0"}, {10, "0"}, {20, "0"}, {2, "SOLID"}}),
         L"в файле нет объектов, которые импортируются (отрезков, дуг, окружностей, эллипсов, полилиний, сплайнов, текстов): "
         L"пропущено: объекты HATCH, которые не импортируются — 1 (штриховка на слое «0»); ничего", 0},
        {"longer_than_a_sheet", Drawing(Polyline({{0, 0}, {1000000.5, 0}, {1000000.5, 10}, {0, 10}}, true)),
         L"деталь больше 1000000 мм: 1000000.5 × 10 мм", 0},
        {"farther_than_a_sheet", Drawing(Square(999999990.5, -5, 10)),
         L"деталь дальше 1000000000 мм от начала координат: у точки (1000000000.5; -5)", 0},
        {"smaller_than_a_part", Drawing(Square(0, 0, 0.0099999)),
         L"деталь меньше 0.01 мм: 0.0099999 × 0.0099999 мм у точки (0; 0)", 0},
        {"stray_line_far_off", Drawing(plate + Line(5e6, 0, 5e6 + 1, 0)),
         L"деталь больше 1000000 мм: 5000001 × 100 мм от точки (0; 0) до точки (5000001; 100)", 0},
        // Open curves as they are: a line across the part, or one from a
        // corner, is no gap; a gap is one.
        {"divided_by_a_line", Drawing(plate + Line(50, 0, 50, 100)),
         L"незамкнутый контур: кривые от точки (50; 100) до точки (50; 0) ничего не ограничивают: их концы не соединены с "
         L"концами других кривых; концы в точках (50; 100) и (50; 0) лежат посреди других кривых; незамкнутые кривые: "
         L"1 отрезок на слое «0»", 0},
        {"line_from_a_corner", Drawing(plate + Line(0, 0, 50, 50)),
         L"незамкнутый контур: контур ветвится в точке (0; 0): кривые от неё до точки (50; 50) никуда не ведут; "
         L"незамкнутые кривые: 1 отрезок на слое «0»", 0},
        // A line from corner to corner leaves no end free: the curves meeting
        // where the outline branches are named, the line's layer among them.
        {"line_from_corner_to_corner", Drawing(plate + Line(0, 0, 100, 100, "Defpoints")), L"незамкнутый контур: контур "
         L"ветвится в точке (0; 0), где сходятся кривые: 2 отрезка на слое «0», 1 отрезок на слое «Defpoints»", 0},
        {"line_across_a_polyline_from_corner_to_corner",
         Drawing(Polyline({{0, 0}, {100, 0}, {100, 60}, {0, 60}}, true) + Line(100, 60, 0, 0, "Размеры")), L"незамкнутый "
         L"контур: контур ветвится в точке (100; 60), где сходятся кривые: 1 отрезок на слое «Размеры», 2 отрезка на слое «0»", 0},
        // A hole drawn again as a spline through points of it that parts from
        // it between them (0.0045 mm, 12 points; 15 mm, 4 points) is another curve.
        {"circle_and_a_spline_fitted_through_12_of_its_points", Drawing(plate + hole + fitted(12)),
         L"контуры пересекаются в точке (", 0},
        {"circle_and_a_tall_spline_through_4_of_its_points",
         Drawing(plate + hole + FitSpline({{70, 50}, {60, 75}, {50, 50}, {60, 25}, {70, 50}}, true)),
         L"контур внутри отверстия: контур у точки (50; 50)", 0},
        {"elliptic_arcs_sharing_part_of_their_way", Drawing(plate + halfway("0", "4") + halfway("3", "6.283185307179586")),
         L"незамкнутый контур: кривая у точки (36.9271; 42.432) идёт по другой кривой лишь частью своего пути", 0},
        // Curves piled beyond the search: the pile is why, not a crossing it makes.
        {"edge_drawn_again_a_hundred_times", Drawing(plate + edgeAgain),
         L"наложенные кривые: у точки (0; 0) друг на друге лежат больше 64 кривых: такое наложение не разбирается", 0},
        {"u_of_lines", Drawing(Line(0, 100, 0, 0) + Line(0, 0, 100, 0) + Line(100, 0, 100, 100)),
         L"незамкнутый контур: разрыв 100 мм между точками (100; 100) и (0; 100); незамкнутые кривые: 3 отрезка", 0},
        // The outline drawn only in paper space (a layout), named there.
        {"outline_in_paper_space",
         Drawing(Groups{{0, "LWPOLYLINE"}, {67, "1"}, {8, "0"}, {90, "4"}, {70, "1"}, {10, "0"}, {20, "0"},
                        {10, "100"}, {20, "0"}, {10, "100"}, {20, "100"}, {10, "0"}, {20, "100"}}),
         L"нет замкнутого внешнего контура: в чертеже нет видимых кривых; в пространстве листа, которое не импортируется: "
         L"1 полилиния (первая кривая у точки (0; 0))", 0},
        // Kept with their place named: an object of no type name; holes on
        // layers off and frozen (the frozen one named in another letter case).
        {"object_of_no_type", Drawing(plate + Groups{{0, ""}, {8, "0"}, {10, "5"}, {20, "5"}}), nullptr, 10000,
         L"деталь импортирована, но при чтении пропущено: объекты без имени типа, которые не импортируются — 1 "
         L"(объект без имени типа на слое «0» у (5; 5))"},
        // Holes not drawn: an invisible circle; one drawn in a dashed line, which is not cut.
        {"invisible_hole", Drawing(plate + Circle("50", "50", 10, {{60, "1"}})), nullptr, 10000,
         L"деталь импортирована, но при чтении пропущено: невидимые объекты, которые не импортируются — 1 (окружность "
         L"на слое «0» у (50; 50))"},
        {"dashed_hole", Drawing(plate + Circle("50", "50", 10, {{6, "DASHED"}})), nullptr, 10000,
         L"деталь импортирована, но замкнутые кривые не основной (сплошной) линии не режутся: 1 окружность на слое «0»"},
        {"holes_on_hidden_layers", dxftext::File({{"TABLES", layers({{"OFF", "2"}, {"FROZEN", "1"}})},
                                         {"ENTITIES", plate + Circle("30", "30", 5, {{8, "OFF"}}) + Circle("70", "70", 5, {{8, "frozen"}})}}),
         nullptr, 10000, lacks + L"1 окружность на слое «OFF», 1 окружность на слое «frozen»"},
        // A block copy on a frozen layer hides its objects on other layers too;
        // a frozen layer 0 hides its own.
        {"hole_in_a_copy_on_a_frozen_layer",
         dxftext::File({{"TABLES", layers({{"F", "1"}, {"V", "0"}})},
                        {"BLOCKS", Block("H", {{0, "CIRCLE"}, {8, "V"}, {10, "0"}, {20, "0"}, {40, "10"}})},
                        {"ENTITIES", plate + Groups{{0, "INSERT"}, {8, "F"}, {2, "H"}, {10, "50"}, {20, "50"}}}}),
         nullptr, 10000, lacks + L"1 окружность на слое «F»"},
        {"hole_on_a_frozen_layer_0",
         dxftext::File({{"TABLES", layers({{"0", "1"}, {"V", "0"}})},
                        {"ENTITIES", Line(0, 0, 100, 0, "V") + Line(100, 0, 100, 100, "V") + Line(100, 100, 0, 100, "V") +
                                         Line(0, 100, 0, 0, "V") + Circle("50", "50", 10)}}),
         nullptr, 10000, lacks + L"1 окружность на слое «0»"},
        // An outline left out (a vertex or a spline's start no number, a
        // radius below 0 or none, a layer hidden or named too long to read, a
        // line style not cut, in a block or not) that holds every curve taken
        // is named, the hole is no part. The outline drawn again on a frozen
        // layer, or a hole left out, leaves the part.
        {"outline_vertex_nan", Drawing(outline("nan") + disc), lostAtNan.c_str(), 0},
        {"outline_vertex_1e400", Drawing(outline("1e400") + disc), lostAtNan.c_str(), 0},
        {"outline_vertex_0x64", Drawing(outline("0x64") + disc), lostAtNan.c_str(), 0},
        {"outline_vertex_empty", Drawing(outline("") + disc), lostAtNan.c_str(), 0},
        {"outline_on_a_layer_of_1024_letters", Drawing(outline("100", std::string(1024, 'L')) + disc),
         lostOnLongLayer.c_str(), 0},
        {"outline_frozen", dxftext::File({{"TABLES", layers({{"OUT", "1"}})}, {"ENTITIES", outline("100", "OUT") + disc}}),
         L"внешний контур не импортирован: полилиния на слое «OUT» у (0; 0) охватывает все импортированные кривые детали; "
         L"кривые на выключенных или замороженных слоях не импортированы: 1 полилиния на слое «OUT»", 0},
        {"outline_off", dxftext::File({{"TABLES", layers({{"OUT", "2"}})}, {"ENTITIES", outline("100", "OUT") + disc}}),
         L"внешний контур не импортирован: полилиния на слое «OUT» у (0; 0)", 0},
        {"outline_of_lines_frozen",
         dxftext::File({{"TABLES", layers({{"F", "1"}})},
                        {"ENTITIES", Line(0, 0, 100, 0, "F") + Line(100, 0, 100, 60, "F") + Line(100, 60, 0, 60, "F") +
                                         Line(0, 60, 0, 0, "F") + disc}}),
         L"внешний контур не импортирован: 4 отрезка на слое «F» (контур у (0; 0)) охватывают все импортированные кривые "
         L"детали", 0},
        {"outline_dashed", Drawing(dashed(outline("100")) + disc),
         L"внешний контур проведён не основной (сплошной) линией, а такие кривые не режутся: полилиния на слое «0» у (0; 0) "
         L"охватывает все импортированные кривые детали", 0},
        {"outline_of_a_radius_below_0", Drawing(disc + Circle("50", "30", -40)),
         L"не прочитан размер кривой, которая может быть внешним контуром детали: окружность на слое «0» у (50; 30); при "
         L"чтении пропущено: дуги и окружности без радиуса", 0},
        {"outline_spline_first_point_nan", Drawing(FitSpline({{NAN, 30}, {50, 55}, {5, 30}, {50, 5}, {95, 30}}) + disc),
         L"внешний контур не импортирован: сплайн на слое «0» у (50; 55) охватывает все импортированные кривые детали", 0},
        {"outline_in_a_turned_block_vertex_nan",
         dxftext::File({{"BLOCKS", Block("PART", outline("nan") + disc)},
                        {"ENTITIES", Groups{{0, "INSERT"}, {8, "0"}, {2, "PART"}, {10, "200"}, {20, "100"}, {50, "30"}}}}),
         L"внешний контур не импортирован: полилиния на слое «0» в блоке «PART» у (200; 100)", 0},
        {"washer_of_an_outer_radius_nan", Drawing(disc + Circle("50", "30", NAN)),
         L"не прочитан размер кривой, которая может быть внешним контуром детали: окружность на слое «0» у (50; 30); при чтении "
         L"пропущено: объекты с числами не в десятичной записи или бесконечными — 1 (окружность на слое «0» у (50; 30))", 0},
        {"outline_twice_once_frozen", dxftext::File({{"TABLES", layers({{"OUT", "1"}})},
                                                     {"ENTITIES", outline("100", "OUT") + outline("100") + disc}}),
         nullptr, 6000 - 25 * pi, lacks + L"1 полилиния на слое «OUT»"},
        {"hole_vertex_nan", Drawing(outline("100") + Polyline({{40, 20}, {60, 20}, {60, 40}, {40, 40}}, true) +
                                    Polyline({{45, 25}, {NAN, 25}, {50, 30}}, true)),
         HOLE_LOST L"полилиния на слое «0» у (45; 25); при чтении пропущено: объекты с числами не в десятичной записи или "
         L"бесконечными — 1 (полилиния на слое «0» у (45; 25))", 0},
        // Pieces shorter than a joint make an outline; pieces a hair apart join.
        {"pieces_of_0.00006", Drawing(pieces(0.12, 0.00006, 0)), nullptr, 0.0144},
        {"pieces_with_gaps_of_0.00006", Drawing(pieces(100, 1.24, 0.00006)), nullptr, 10000},
        {"pieces_with_gaps_of_0.0006", Drawing(pieces(100, 1.24, 0.0006)), nullptr, 10000},
    };
    ExpectParts(cases);
}

// The file's units ($INSUNITS, the last value from 0 to 24 the header
// gives, whatever its line ends) are applied, and every part they scaled is
// named with its unit, under a heading that is no error's, as information;
// a file in millimetres, without units or saying none is taken in
// millimetres, and nothing is said of it.
TEST_F(DxfImportTest, TheUnitsThatScaledAPartAreNamed)
{
    using namespace dxftext;
    const auto plate = [](Groups header) {
        return dxftext::File({{"HEADER", header}, {"ENTITIES", Polyline({{0, 0}, {30, 0}, {30, 20}, {0, 20}}, true)}});
    };
    const auto units = [](const char* code) { return Groups{{9, "$INSUNITS"}, {70, code}}; };
    const std::wstring said = L"единицы файла ($INSUNITS) — ", metres = said + L"метры: размеры умножены на 1000",
                       centimetres = said + L"сантиметры: размеры умножены на 10";
    std::string lineEndsCr = plate(units("6"));
    std::replace(lineEndsCr.begin(), lineEndsCr.end(), '\n', '\r');
    // The part file keeps the units for its figure, whose refusals name them.
    const Part cases[] = {
        {"metres", plate(units("6")), nullptr, 600e6, metres, 0, 6},
        {"inches", plate(units("1")), nullptr, 600 * 25.4 * 25.4, said + L"дюймы: размеры умножены на 25.4", 0, 1},
        {"centimetres", plate(units("5")), nullptr, 600e2, centimetres, 0, 5},
        {"feet", plate(units("2")), nullptr, 600 * 304.8 * 304.8, said + L"футы: размеры умножены на 304.8", 0, 2},
        {"millimetres", plate(units("4")), nullptr, 600, L""},
        {"no_units", plate(units("0")), nullptr, 600, L""},
        {"no_units_given", plate({{9, "$ACADVER"}, {1, "AC1015"}}), nullptr, 600, L""},
        {"metres_then_centimetres", plate(units("6") + units("5")), nullptr, 600e2, centimetres, 0, 5},
        {"metres_then_no_unit_code", plate(units("6") + units("99") + units("x")), nullptr, 600e6, metres, 0, 6},
        {"metres_lines_ending_in_cr", lineEndsCr, nullptr, 600e6, metres, 0, 6},
    };
    const size_t before = host->State().messages.size();
    const std::wstring closing = ExpectParts(cases);
    EXPECT_EQ(closing.rfind(L"Замечания к импортированным деталям:\n", 0), 0u) << vlhost::Host::Utf8(closing);
    ASSERT_EQ(host->State().messages.size(), before + 1);
    EXPECT_EQ(host->State().messages.back().flags, vlapi::vlMBIconInformation);
}

// A note on a part that was imported is no error: the parts refused stand
// under the error's heading, with the error's icon, the notes under their
// own, and a run of notes only is a warning.
TEST_F(DxfImportTest, NotesOnImportedPartsAreNotHeadedAsErrors)
{
    using namespace dxftext;
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {
        {"construction_circle_on_a_frozen_layer",
         dxftext::File({{"TABLES", layers({{"BUILD", "1"}})}, {"ENTITIES", Square(0, 0, 100) + Circle("50", "50", 70, {{8, "BUILD"}})}})},
        {"open", Drawing(Line(0, 0, 100, 0) + Line(100, 0, 100, 100))},
        {"plain", Drawing(Square(0, 0, 100))},
        {"units_not_read", dxftext::File({{"HEADER", Groups{{9, "$INSUNITS"}, {70, "6.0"}}}, {"ENTITIES", Square(0, 0, 100)}})},
    };
    const std::wstring error = vrnApi::LoadStr(IDS_MESS_ERROR_IMPORT) + L":\n";
    const std::wstring notes = L"Замечания к импортированным деталям:\n";
    const struct {
        std::vector<size_t> files;
        std::vector<std::wstring> headings;  // in this order, and no other
        int icon;
        const wchar_t* said = L"";
    } runs[] = {
        {{0, 2}, {notes}, vlapi::vlMBIconWarning},
        {{1, 0}, {error, notes}, vlapi::vlMBIconError},
        {{1, 2}, {error}, vlapi::vlMBIconError},
        // Units the header gives but no known one: millimetres taken, and said.
        {{3}, {notes}, vlapi::vlMBIconWarning, L"units_not_read.dxf: единицы файла ($INSUNITS) не прочитаны: «6.0» — не "
                                               L"целое число от 0 до 24: размеры взяты в миллиметрах"},
    };
    for (const auto& run : runs) {
        out = root / ("Фрагменты " + std::to_string(&run - runs));  // none of an earlier run's fragments replaced
        std::vector<std::remove_cvref_t<decltype(files[0])>> chosen;
        for (size_t k : run.files)
            chosen.push_back(files[k]);
        SCOPED_TRACE(chosen.front().name);
        const auto [entries, closing] = ImportCases(chosen);
        EXPECT_EQ(closing.rfind(run.headings.front(), 0), 0u) << vlhost::Host::Utf8(closing);
        size_t at = 0;
        for (const std::wstring& heading : run.headings) {
            at = closing.find(heading, at);
            EXPECT_NE(at, std::wstring::npos) << vlhost::Host::Utf8(closing);
        }
        EXPECT_EQ(closing.find(error) != std::wstring::npos, run.headings.front() == error);
        EXPECT_EQ(closing.find(notes) != std::wstring::npos, run.headings.back() == notes);
        EXPECT_EQ(closing.find(L"Ошибка") == 0, run.icon == vlapi::vlMBIconError);
        EXPECT_EQ(host->State().messages.back().flags, run.icon);
        EXPECT_TRUE(Holds(closing, run.said));
    }
}

// Every name the file system takes is written, however little it leaves
// for a temporary name beside it, and loads: parts named by 241 to 255
// bytes. A name the run makes longer than that (the second file of one
// name) is refused with that reason.
TEST_F(DxfImportTest, EveryNameTheFileSystemTakesIsImported)
{
    using namespace dxftext;
    const std::string square = Drawing(Square(0, 0, 100));
    std::vector<Part> cases;  // named by so many bytes with ".dxf" or ".vfw"
    for (size_t bytes : {241, 245, 250, 251, 255})
        cases.push_back({std::string(bytes - 4, 'p'), square, nullptr, 10000});
    cases.push_back({"", square, nullptr, 10000});
    for (int k = 0; k < 125; ++k)
        cases.back().name += "д";  // 254 bytes
    EXPECT_EQ(ExpectParts(cases), L"");

    // The longest name again, from another folder, in the same run, its
    // marking unknown: refused for its name alone, with no note, as a part
    // not imported (the first one's fragment replaced, as said).
    const fs::path again = root / "again" / (cases[4].name + ".dxf");
    fs::create_directories(again.parent_path());
    std::ofstream(again, std::ios::binary) << Drawing(Square(0, 0, 100) + Text(5, 5, "[Цвет=x]"));
    std::vector<FileMetaParams> entries{{Wide(root / "dxf" / (cases[4].name + ".dxf")), L"", 1, 0.0}, {Wide(again), L"", 1, 0.0}};
    const size_t before = host->State().messages.size();
    Import(entries, m_read);
    const std::wstring closing = Closing(before);
    EXPECT_EQ(closing, vrnApi::LoadStr(IDS_MESS_ERROR_IMPORT) + L":\n" + Wide(again) +
                           L": имя файла длиннее, чем допускает файловая система (257 байт, допустимо не больше 255 байт)" +
                           L"\n\nЗамечания к импортированным деталям:\n" + entries[0].m_path + L": прежний файл «" +
                           Wide(cases[4].name) + L".vfw» заменён")
        << vlhost::Host::Utf8(closing);

    // An output folder of a name longer than that cannot be made, and says why.
    out = root / std::string(256, 'f');
    Import(entries, m_read);
    EXPECT_EQ(Closing(before), L"Ошибка импорта: не удалось создать папку «" + Wide(out) +
                                   L"»: имя папки длиннее, чем допускает файловая система (256 байт, допустимо не больше "
                                   L"255 байт); не импортирован ни один из файлов (2)");
}

// A part larger than any sheet, beyond where millimetres keep the point
// tolerance, or smaller than its joints can tell is refused with its size,
// written out up to 15 digits (beyond them with an exponent).
TEST_F(DxfImportTest, PartsOfSizesNoSheetHoldsAreRefusedWithTheirSize)
{
    using namespace dxftext;
    const Groups plate = Square(0, 0, 100) + Circle("50", "50", 10);
    const auto inUnits = [&](int units) {
        return dxftext::File({{"HEADER", {{9, "$INSUNITS"}, {70, std::to_string(units)}}}, {"ENTITIES", plate}});
    };
    const Part cases[] = {
        {"square_1e160", Drawing(Square(0, 0, 1e160)), L"деталь больше 1000000 мм: 1e+160 × 1e+160 мм"},
        {"inserted_at_1e154", dxftext::File({{"BLOCKS", Block("P", plate)}, {"ENTITIES", Insert("P", 0, 0, "1e154")}}),
         L"деталь больше 1000000 мм: 1e+156 × 1e+156 мм"},
        {"circle_1e200", Drawing(Circle("0", "0", 1e200)), L"деталь больше 1000000 мм: 2e+200 × 2e+200 мм"},
        {"gigametres", inUnits(17), L"деталь больше 1000000 мм: 100000000000000 × 100000000000000 мм"},
        {"astronomical_units", inUnits(18), L"деталь больше 1000000 мм"},
        {"light_years", inUnits(19), L"деталь больше 1000000 мм"},
        {"parsecs", inUnits(20), L"деталь больше 1000000 мм"},
        {"line_far_out", Drawing(Line(1e300, 0, 1e300, 1)),
         L"деталь дальше 1000000000 мм от начала координат: у точки (1e+300; 0)"},
        {"a_hair_longer_than_a_sheet", Drawing(Line(0, 0, 1000000.00001, 0) + Line(1000000.00001, 0, 1000000.00001, 10) +
                                               Line(1000000.00001, 10, 0, 10) + Line(0, 10, 0, 0)),
         L"деталь больше 1000000 мм: 1000000.00001 × 10 мм от точки (0; 0) до точки (1000000.00001; 10)"},
        {"angstroms", inUnits(11), L"деталь меньше 0.01 мм: 0.00001 × 0.00001 мм"},
        {"nanometres", inUnits(12), L"деталь меньше 0.01 мм: 0.0001 × 0.0001 мм"},
    };
    const std::wstring closing = ExpectParts(cases);
    size_t digits = 0, most = 0;
    for (wchar_t c : closing)
        most = std::max(most, digits = std::iswdigit(c) ? digits + 1 : 0);
    EXPECT_LE(most, 15u) << vlhost::Host::Utf8(closing);
}

// The files that give no count, thickness or material are named in the
// closing message, a line for each kind with what their parts were taken
// with: the first ten named, the rest counted; not a file whose marking not
// read has said so, nor one refused, nor a value the entry had of its own.
// A message of information when it tells nothing else.
TEST_F(DxfImportTest, FilesThatGiveNoCountThicknessOrMaterialAreNamedWithWhatTheyWereTakenWith)
{
    using namespace dxftext;
    const auto marked = [](std::initializer_list<const char*> texts) {
        Groups drawn = Square(0, 0, 100);
        double y = 10;
        for (const char* text : texts)
            drawn = drawn + Text(10, y += 10, text);
        return Drawing(drawn);
    };
    const std::wstring all = L": без маркировки количества, толщины и материала: ";
    const struct {
        const char* name;
        std::string bytes;
        double thickness = 0.0;    // of the entry, as the caller gave it
        const wchar_t* note = L""; // the line naming the file; empty: none
        int count = 1;             // of the entry: another than 1 is the caller's own
    } cases[] = {
        {"whole", marked({"[Кол-во=2]", "[Толщина=2]", "[Материал=Ст3]"})},
        {"count_alone", marked({"[Кол-во=3]"}), 0.0,
         L"count_alone.dxf: без маркировки толщины и материала: деталь импортирована без толщины, без материала"},
        {"bare", marked({}), 0.0, L"bare.dxf, bare_too.dxf"},
        {"bare_too", marked({"Деталь 7"}), 0.0, L"bare.dxf, bare_too.dxf"},
        {"stock_alone", marked({"[Толщина=1,5]", "[Материал=AISI 304]"}), 0.0,
         L"stock_alone.dxf: без маркировки количества: деталь импортирована с количеством 1"},
        {"material_alone", marked({"[Материал=AISI 304]"}), 0.0,
         L"material_alone.dxf: без маркировки количества и толщины: деталь импортирована с количеством 1, без толщины"},
        {"thickness_given", marked({}), 1.5,
         L"thickness_given.dxf: без маркировки количества и материала: деталь импортирована с количеством 1, без материала"},
        {"count_given", marked({"[Толщина=2]", "[Материал=Ст3]"}), 0.0, L"", 4},
        {"unclosed", marked({"[Материал=Ст3"})},
        {"refused", Drawing(Line(0, 0, 100, 0))},
    };
    std::vector<FileMetaParams> entries = WriteCases(cases);
    for (size_t i = 0; i < std::size(cases); ++i) {
        entries[i].m_thickness = cases[i].thickness;
        entries[i].m_count = cases[i].count;
    }
    Import(entries, m_read);
    ASSERT_FALSE(Messages().empty());
    const std::wstring closing = Messages().back().text;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::wstring file = Wide(std::string(c.name) + ".dxf");
        // Named by its file name, in the line of its kind alone.
        bool named = false;
        for (const wchar_t* before : {L"\n", L", "})
            for (const wchar_t* after : {L":", L","})
                named = named || Holds(closing, before + file + after);
        EXPECT_EQ(named, *c.note != 0) << vlhost::Host::Utf8(closing);
        if (*c.note) {
            EXPECT_TRUE(Holds(closing, L"\n" + std::wstring(c.note)));
        }
    }
    EXPECT_TRUE(Holds(closing, L"\nbare.dxf, bare_too.dxf" + all + L"детали импортированы с количеством 1, без толщины, без материала"));
    EXPECT_EQ(entries[6].m_thickness, 1.5);

    // Twelve bare files: ten named, two counted; a note of information.
    std::vector<Part> bare;
    for (int k = 1; k <= 12; ++k)
        bare.push_back({"p" + std::to_string(k), marked({}), nullptr, 10000});
    out = root / "Фрагменты 2";
    ImportCases(bare);
    EXPECT_EQ(Messages().back().text,
              L"Замечания к импортированным деталям:\np1.dxf, p2.dxf, p3.dxf, p4.dxf, p5.dxf, p6.dxf, p7.dxf, p8.dxf, "
              L"p9.dxf, p10.dxf и ещё 2" + all + L"детали импортированы с количеством 1, без толщины, без материала");
    EXPECT_EQ(Messages().back().flags, vlapi::vlMBIconInformation);
}

// Russian cp1251 texts under a Western code page (or none) are read as cp1251,
// and said so; German ones stay. A "[key=value]" of no known key, or cut short,
// is named; MTEXT codes take nothing of the text. Markings only from texts shown
// (others named); a value out of range refuses the part; a material mixing Latin
// and Cyrillic in a word is named. What is written loads with its values.
TEST_F(DxfImportTest, MarkingIsReadFromWhatIsShownInAnyCodePageOrNamedOrRefusesThePart)
{
    using namespace dxftext;
    const auto file = [](const char* codePage, const std::string& texts, const char* version = "AC1015") {
        Groups header{{9, "$ACADVER"}, {1, version}};
        if (*codePage)
            header = header + Groups{{9, "$DWGCODEPAGE"}, {3, codePage}};
        return dxftext::File({{"HEADER", header}, {"ENTITIES", Square(0, 0, 100) + Text(10, 10, texts, "MTEXT")}});
    };
    const auto attdef = [](const char* flags) {  // of the value "[Qty=4]", or 7 when not constant
        return Groups{{0, "ATTDEF"}, {8, "0"}, {10, "0"}, {20, "0"}, {40, "2.5"}, {1, *flags == '2' ? "[Qty=4]" : "[Qty=7]"},
                      {3, "Qty"}, {2, "QTY"}, {70, flags}, {73, "0"}, {74, "2"}};
    };
    // Texts on layers frozen and off, and attributes of a copy of "TAG".
    const auto part = [&](const Groups& texts) {
        return dxftext::File({{"TABLES", layers({{"FROZEN", "1"}, {"OFF", "2"}})}, {"BLOCKS", Block("TAG", {})},
                              {"ENTITIES", Square(0, 0, 100) + texts}});
    };
    const auto marked = [&](const char* text) { return part(Text(10, 10, text)); };
    const auto on = [](const char* layer, Groups text) { return text[1].second = layer, text; };
    const auto attribute = [](const char* value, const char* flags) {
        return Groups{{0, "ATTRIB"}, {8, "0"}, {10, "10"}, {20, "40"}, {40, "2.5"}, {1, value}, {2, "QTY"}, {70, flags}};
    };
    const auto copy = [](const Groups& attributes) { return Groups{{66, "1"}} + attributes + Groups{{0, "SEQEND"}, {8, "0"}}; };
    const std::string count5 = "[\xCA\xEE\xEB-\xE2\xEE=5]";                       // "[Кол-во=5]" in cp1251
    const std::string steel = "[\xCC\xE0\xF2\xE5\xF0\xE8\xE0\xEB=\xD1\xF2" "3]";  // "[Материал=Ст3]"
    const std::wstring recoded = L"деталь импортирована, но при чтении тексты с русскими буквами прочитаны в кодировке "
                                 L"windows-1251, а не в ";
    const std::wstring asUtf8 = L"деталь импортирована, но при чтении тексты прочитаны в кодировке UTF-8, а не в указанной в файле ";
    const std::wstring unknown = L"маркировка не распознана: ";
    const std::wstring keys = L" (ключи: материал, material, толщина, thickness, кол-во, количество, count, quantity, "
                              L"qty): деталь импортирована с количеством 1, без толщины, без материала";
    const std::wstring hidden = L"маркировка на выключенных или замороженных слоях не читается: ";
    const std::wstring invisible = L"деталь импортирована, но при чтении пропущено: невидимые тексты, их маркировка не читается — 1 (";
    const std::wstring refused = L"маркировка не принята: [";
    const std::wstring counts = L" (количество должно быть целым числом от 1 до 100000)";
    const std::wstring thicknesses = L" (толщина должна быть числом от 0.01 до 500 мм)";
    const struct {
        const char* name;
        std::string bytes;
        int count;  // 0: refused
        const wchar_t* material;
        std::wstring note;  // the refusal or the note, a line each naming the file; empty: nothing
        double thickness = 0;
    } cases[] = {
        {"count_in_1251_said_1252", file("ANSI_1252", count5), 5, L"", recoded + L"указанной в файле ANSI_1252 — 1 («[Кол-во=5]»)"},
        // A file naming no code page is in the host's own: nothing to say.
        {"material_in_1251_said_nothing", file("", steel + "\\P[\xD2\xEE\xEB\xF9\xE8\xED\xE0=2]"), 1, L"Ст3", L"", 2},
        {"german_material", file("ANSI_1252", "[Material=Wei\xDF" "blech Gr\xF6\xDF" "e]\\P[Scale 1:2]\\P[A-A]"), 1,
         L"Weißblech Größe", L""},
        {"count_in_1251_said_1250", file("ANSI_1250", count5), 1, L"", unknown + L"[Ęîë-âî=5]" + keys},
        // UTF-8 under a code page of one byte a letter (R12, R2000, R2004 as exporters write them): read as
        // UTF-8, and said; cp1251 that the header names stays cp1251.
        {"utf8_said_1251_r12", file("ANSI_1251", "[Кол-во=5]\\P[Материал=Ст3сп/пс]", "AC1009"), 5, L"Ст3сп/пс",
         asUtf8 + L"ANSI_1251 — 1 («[Кол-во=5] [Материал=Ст3сп/пс]»)"},
        {"utf8_said_1252_r2004", file("ANSI_1252", "[Материал=Ст3]", "AC1018"), 1, L"Ст3", asUtf8 + L"ANSI_1252 — 1 («[Материал=Ст3]»)"},
        {"cp1251_said_1251", file("ANSI_1251", count5 + "\\P" + steel), 5, L"Ст3", L""},
        // An R2007 file is UTF-8: bytes that make none are in its code page.
        {"cp1251_in_r2007", file("ANSI_1251", count5 + "\\P" + steel, "AC1021"), 5, L"Ст3",
         L"деталь импортирована, но при чтении тексты, байты которых не UTF-8, прочитаны в кодировке ANSI_1251 — 1 "
         L"(«[Кол-во=5] [Материал=Ст3]»)"},
        {"unknown_keys", file("ANSI_1252", "[Mat\xE9riau=Acier]\\P[Color: red]"), 1, L"",
         unknown + L"[Matériau=Acier]" + keys + L"\n" + unknown + L"[Color: red]" + keys},  // a line each
        // Formatting codes round the marking, codes of no meaning kept as text; a marking split between lines.
        {"marking_among_mtext_codes", file("", "\\pxqc;{\\fArial|b0;[Материал=Ст3]}\\n[Qty=4]"), 4, L"Ст3", L""},
        // A constant attribute of a block is drawn in every copy; a variable one's default is not.
        {"count_in_a_constant_attribute",
         dxftext::File({{"BLOCKS", Block("TAG", attdef("2")) + Block("VAR", attdef("0"))},
                        {"ENTITIES", Square(0, 0, 100) + Insert("TAG", 10, 10) + Insert("VAR", 10, 30)}}),
         4, L"", L""},
        {"marking_split_between_lines", file("", "[Qty=\\P4]"), 1, L"",
         L"маркировка без закрывающей скобки не прочитана: «[Qty=»: деталь импортирована с количеством 1, без толщины, "
         L"без материала"},
        {"hidden_beside_shown",
         part(on("FROZEN", Text(10, 10, "[Кол-во=13]")) + on("OFF", Text(10, 20, "[Материал=08пс] [Толщина=3]")) +
              Text(10, 30, "[Кол-во=4]")),
         4, L"", hidden + L"[Кол-во=13] на слое «FROZEN», [Материал=08пс] на слое «OFF», [Толщина=3] на слое «OFF»"},
        {"invisible_attribute", part(Insert("TAG", 0, 0) + copy(attribute("[Кол-во=12]", "1") + attribute("[Кол-во=3]", "0"))),
         3, L"", invisible + L"атрибут на слое «0» у (10; 40))"},
        // A copy on a frozen layer is hidden with its attributes, whatever their layers.
        {"attribute_of_a_copy_on_a_frozen_layer", part(on("FROZEN", Insert("TAG", 0, 0)) + copy(attribute("[Кол-во=14]", "0"))),
         1, L"", hidden + L"[Кол-во=14] на слое «FROZEN»"},
        {"invisible_text", part(Text(10, 10, "[Кол-во=12]") + Groups{{60, "1"}}), 1, L"", invisible + L"текст на слое «0» у (10; 10))"},
        {"count_0", marked("[Кол-во=0]"), 0, L"", refused + L"Кол-во=0]" + counts},
        {"count_not_whole", marked("[Кол-во=2,5]"), 0, L"", refused + L"Кол-во=2,5]" + counts},
        {"count_of_int32", marked("[Кол-во: 2147483647]"), 0, L"", refused + L"Кол-во: 2147483647]" + counts},
        {"thickness_1e300", marked("[Толщина: 1e300]"), 0, L"", refused + L"Толщина: 1e300]" + thicknesses},
        {"thickness_1e-300", marked("[Толщина=1e-300]"), 0, L"", refused + L"Толщина=1e-300]" + thicknesses},
        {"count_past_loading", marked("[Кол-во=100001]"), 0, L"", refused + L"Кол-во=100001]" + counts},
        {"thickness_600", marked("[Толщина=600]"), 0, L"", refused + L"Толщина=600]" + thicknesses},
        {"thickness_0,005_beside_2", marked("[Толщина=0,005] [Толщина=2]"), 0, L"", refused + L"Толщина=0,005]" + thicknesses},
        {"material_with_latin_c", marked("[Материал=Cт3]"), 1, L"Cт3",
         L"материал «Cт3» набран латинскими и русскими буквами вперемешку: в слове «Cт3» латинские буквы C, русские т"},
        {"material_of_two_scripts", marked("[Материал=AISI 304/08Х18Н10]"), 1, L"AISI 304/08Х18Н10", L""},
        // A value runs to the bracket that closes its own, in a text or a paragraph text; brackets round it or its unit go.
        {"material_with_a_bracketed_standard", marked("[Материал=Ст3 [ГОСТ]]"), 1, L"Ст3 [ГОСТ]", L""},
        {"material_in_brackets_mtext", file("", "[Материал=[Ст3]]"), 1, L"Ст3", L""},
        {"count_in_brackets", marked("[Кол-во=[3]]"), 3, L"", L""},
        {"count_in_brackets_with_its_unit_mtext", file("", "[Кол-во=[3] шт]"), 3, L"", L""},
        {"thickness_of_a_bracketed_unit", marked("[Толщина=3 [мм]]"), 1, L"", L"", 3},
        {"thickness_of_a_bracketed_unit_mtext", file("", "[Толщина=3 [мм]]"), 1, L"", L"", 3},
        {"count_of_two_bracketed_numbers", marked("[Кол-во=[3] [4]]"), 0, L"", refused + L"Кол-во=[3] [4]]" + counts},
        {"material_unclosed_round_a_bracket", marked("[Материал=Ст3 [ГОСТ]"), 1, L"", L"маркировка без закрывающей скобки "
         L"не прочитана: «[Материал=Ст3 [ГОСТ]»: деталь импортирована с количеством 1, без толщины, без материала"},
    };
    const auto [entries, closing] = ImportCases(cases);
    NestingModel model;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].name);
        std::wstring lines = entries[i].m_path + L": " + cases[i].note;
        for (size_t at = lines.find(L'\n'); at != std::wstring::npos; at = lines.find(L'\n', at + 1))
            lines.insert(at + 1, entries[i].m_path + L": ");
        const bool named = closing.find(cases[i].note.empty() ? entries[i].m_path + L":" : lines) != std::wstring::npos;
        EXPECT_EQ(named, !cases[i].note.empty()) << vlhost::Host::Utf8(closing);
        EXPECT_EQ(entries[i].m_fragment.empty(), cases[i].count == 0);
        if (cases[i].count == 0)
            continue;
        EXPECT_EQ(entries[i].m_count, cases[i].count);
        EXPECT_EQ(entries[i].m_material, cases[i].material);
        const FigurePtr figure = model.AddFigure(entries[i].m_fragment);
        ASSERT_TRUE(figure);
        EXPECT_EQ(figure->m_count, cases[i].count);
        EXPECT_EQ(figure->GetThickness(), cases[i].thickness);
        EXPECT_EQ(figure->GetMaterial(), cases[i].material);
        EXPECT_NEAR(figure->m_area, 10000.0, 1e-6);
    }
}

// What CAD programs leave in exact geometry imports exactly: bulges of
// round-off are straight edges; bulges in a block inserted at an uneven scale
// are followed as closely as single curves; splines of straight quadratic
// spans joined at sharp corners (doubled knots, not from 0) make an outline
// with its hole; a polyline smoothed into a spline is its curve; names and
// blocks as loose writers leave them are read as CAD reads them.
TEST_F(DxfImportTest, RoundOffUnevenScalesAndSplineCornersImportExactly)
{
    using namespace dxftext;
    const auto squareWithBulge = [](double bulge) {
        return Drawing(BulgedPolyline({{0, 0, bulge}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}));
    };
    // A plate with a D-shaped hole (half a circle of radius 20 and its
    // diameter) and an edge bulged out by 0.4, inserted at the scale (3, 0.5).
    const Groups plate = BulgedPolyline({{0, 0, 0.4}, {100, 0, 0}, {100, 100, 0}, {0, 100, 0}}) +
                         BulgedPolyline({{40, 30, 1}, {40, 70, 0}});
    const Groups uneven{{0, "INSERT"}, {8, "0"}, {2, "PLATE"}, {10, "0"}, {20, "0"}, {41, "3"}, {42, "0.5"}};
    const double sweep = 4 * std::atan(0.4), radius = 50 / std::sin(sweep / 2);
    const double segment = radius * radius / 2 * (sweep - std::sin(sweep));
    // A six-pointed star (radii 100 and 40) of two splines, and the same star at half scale as its hole.
    const auto star = [](double scale) {
        std::vector<std::pair<double, double>> corners;
        for (int k = 0; k <= 12; ++k) {
            const double r = (k % 2 ? 40.0 : 100.0) * scale, a = pi / 2 + k * pi / 6;
            corners.emplace_back(r * std::cos(a), r * std::sin(a));
        }
        Groups g;
        for (const auto& [from, to] : {std::pair{0, 2}, std::pair{2, 12}}) {
            std::vector<std::pair<double, double>> poles;
            std::vector<double> knots(3, 1.0);
            for (int k = from; k < to; ++k) {
                poles.push_back(corners[k]);
                poles.emplace_back((corners[k].first + corners[k + 1].first) / 2, (corners[k].second + corners[k + 1].second) / 2);
                if (k > from)
                    knots.insert(knots.end(), 2, 1.0 + k - from);
            }
            poles.push_back(corners[to]);
            knots.insert(knots.end(), 3, 1.0 + to - from);
            g = g + Spline(2, knots, poles);
        }
        return g;
    };
    // A closed polyline of 16 vertices round (50, 50) at 40 smoothed from a square frame.
    Groups splineFit{{0, "POLYLINE"}, {8, "0"}, {66, "1"}, {10, "0"}, {20, "0"}, {70, "5"}};
    const auto vertex = [&](double x, double y, const char* flags) {
        splineFit = splineFit + Groups{{0, "VERTEX"}, {8, "0"}, {10, Num(x)}, {20, Num(y)}, {70, flags}};
    };
    for (const auto& [x, y] : {std::pair{0, 0}, {100, 0}, {100, 100}, {0, 100}})
        vertex(x, y, "16");
    for (int k = 0; k < 16; ++k)
        vertex(50 + 40 * std::cos(k * pi / 8), 50 + 40 * std::sin(k * pi / 8), "8");
    splineFit = splineFit + Groups{{0, "SEQEND"}};
    const Part cases[] = {
        {"bulge_1e-10", squareWithBulge(1e-10), nullptr, 10000, L"", 1},
        {"bulge_1e-12", squareWithBulge(1e-12), nullptr, 10000, L"", 1},
        {"bulge_1e-14", squareWithBulge(1e-14), nullptr, 10000, L"", 1},
        {"bulge_minus_1e-16", squareWithBulge(-1e-16), nullptr, 10000, L"", 1},
        {"bulge_1e-300", squareWithBulge(1e-300), nullptr, 10000, L"", 1},
        {"uneven_block_scale", dxftext::File({{"BLOCKS", Block("PLATE", plate)}, {"ENTITIES", uneven}}), nullptr,
         1.5 * (10000 + segment - 200 * pi), L"", 2},
        {"star_splines_with_hole", Drawing(star(1) + star(0.5)), nullptr, 0.75 * 6 * 100 * 40 * 0.5, L"", 2},
        // A knot repeated past the degree where the two pieces meet: a hole
        // of two parabolic arcs, each two thirds of its triangle off the chord.
        {"spline_joined_at_a_full_knot", Drawing(Square(0, 0, 100) + Spline(2, {0, 0, 0, 1, 1, 1, 2, 2, 2},
                                                                            {{40, 40}, {60, 40}, {60, 60}, {60, 60}, {40, 60}, {40, 40}})),
         nullptr, 10000 - 2 * 200 * 2.0 / 3, L"", 2},
        // A polyline smoothed into a spline: its control frame is not drawn.
        {"spline_fit_polyline", Drawing(splineFit), nullptr, 8 * 1600 * std::sin(pi / 8), L"", 1},
        {"edge_at_a_subnormal_number", Drawing(Line(0, 0, 100, 1e-320) + Line(100, 1e-320, 100, 100) +
                                               Line(100, 100, 0, 100) + Line(0, 100, 0, 0)), nullptr, 10000, L"", 1},
        // Names of blocks and layers are one whatever their case; a block
        // its section ends without ENDBLK ends there.
        {"block_named_in_another_case", dxftext::File({{"BLOCKS", Block("HOLE", Circle("50", "50", 10))},
                                                       {"ENTITIES", Square(0, 0, 100) + Insert("Hole", 0, 0)}}),
         nullptr, 10000 - 100 * pi, L"", 2},
        {"block_without_its_end",
         dxftext::File({{"BLOCKS", Groups{{0, "BLOCK"}, {2, "H"}, {70, "0"}, {10, "0"}, {20, "0"}} + Circle("50", "50", 10)},
                        {"ENTITIES", Square(0, 0, 100) + Insert("H", 0, 0)}}),
         nullptr, 10000 - 100 * pi, L"", 2},
    };
    EXPECT_EQ(ExpectParts(cases), L"");
}

// Outlines of thousands of short lines, as digitised parts and CAM exports
// give them, become figures whose gap polygons stand round the whole part.
TEST_F(DxfImportTest, DenseOutlinesBecomeFiguresWithTheirGapPolygons)
{
    using namespace dxftext;
    const auto round = [](int count, double cx, double r) {
        std::vector<std::pair<double, double>> points;
        for (int k = 0; k < count; ++k)
            points.emplace_back(cx + r * std::cos(2 * pi * k / count), r * std::sin(2 * pi * k / count));
        return Polyline(points, true);
    };
    const double gap = 4.0;  // each gap polygon stands half of it out (its round corners on chords a hair further)
    const struct {
        const char* name;
        std::string bytes;
        double area;
        size_t gapRings;
        double gapArea;  // of the outer gap polygon
    } cases[] = {
        {"circle_900", Drawing(round(900, 0, 3)), 9 * pi, 1, 25 * pi},
        {"circle_20000", Drawing(round(20000, 0, 500)), 250000 * pi, 1, 502 * 502 * pi},
        {"plate_dense_hole", Drawing(Square(-50, -50, 100) + round(2000, 0, 10)), 10000 - 100 * pi, 2, 104 * 104 - (4 - pi) * 4},
    };
    const auto [entries, closing] = ImportCases(cases);
    EXPECT_EQ(closing, L"");
    NestingModel model;
    model.m_figureGap = gap;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const FigurePtr figure = model.AddFigure(Wide(out / (std::string(c.name) + ".vfw")));
        ASSERT_TRUE(figure);
        EXPECT_NEAR(figure->m_area, c.area, c.area * 1e-4);
        figure->InitPolygons(0.0, gap, nullptr);
        ASSERT_EQ(figure->m_poligons.size(), c.gapRings);
        EXPECT_NEAR(std::fabs(SignedArea(figure->m_poligons.front()->m_points)), c.gapArea, c.gapArea * 5e-3);
    }
}

}  // namespace
