// Part records and their tree, the text patterns, and the dialog's edits.
#include "io/AssemblyReader.h"

#include "support/host_fixture.h"

#include <algorithm>
#include <filesystem>

namespace {

ImportPartMetaData Record(std::wstring name, double thickness, std::wstring mark = L"", std::wstring path = L"p.v3d")
{
    ImportPartMetaData r;
    r.name = std::move(name);
    r.mark = std::move(mark);
    r.thickness = thickness;
    r.path3D = std::move(path);
    return r;
}

std::vector<std::wstring> Names(const NodeThickness& node)
{
    std::vector<std::wstring> names;
    for (const ImportPartMetaData& r : node.datum)
        names.push_back(r.name);
    return names;
}

TEST(ImportRecords, ThicknessNodesMergesAndSorts)
{
    NodeMaterial material;
    for (const ImportPartMetaData& r : {Record(L"A", 2.0), Record(L"B", 2.00005), Record(L"C", 1.5), Record(L"D", 10),
                                        Record(L"A", 2.0), Record(L"A", 2.0), Record(L"A", 2.0, L"X-1"),
                                        Record(L"A", 2.0, L"", L"q.v3d")})
        material.Add(r);
    ASSERT_EQ(material.nodes.size(), 3u);
    material.SortByThickness();
    EXPECT_EQ(material.nodes[0].name, L"1.5");
    EXPECT_EQ(material.nodes[1].name, L"10");  // texts: 10 before 2
    EXPECT_EQ(material.nodes[2].name, L"2");
    NodeThickness& two = material.nodes[2];
    two.SortByName();
    EXPECT_EQ(Names(two), (std::vector<std::wstring>{L"A", L"A", L"A", L"B"}));
    EXPECT_EQ(two.datum[0].count, 3) << "the same part met three times";
    EXPECT_EQ(two.datum[1].GetFullName(), L"A (X-1)");
    EXPECT_EQ(two.datum[2].path3D, L"q.v3d");
    EXPECT_TRUE(two.EquilThickness(Record(L"E", 2.00009)));
    EXPECT_FALSE(two.EquilThickness(Record(L"E", 2.0001)));

    // Bodies of one part whose flat patterns differ stay apart; equal ones count.
    NodeThickness node;
    ImportPartMetaData small = Record(L"P", 2);
    small.curves.emplace_back(new MbLineSegment({0, 0}, {10, 0}));
    ImportPartMetaData moved = small;
    moved.curves = {SPtr<MbCurve>(new MbLineSegment({5, 5}, {15, 5}))};
    ImportPartMetaData large = small;
    large.curves = {SPtr<MbCurve>(new MbLineSegment({0, 0}, {20, 0}))};
    for (const ImportPartMetaData& r : {small, moved, large})
        node.Add(r);
    ASSERT_EQ(node.datum.size(), 2u);
    EXPECT_EQ(node.datum[0].count, 2);
    EXPECT_EQ(node.datum[1].count, 1);
}

TEST(ImportRecords, EqualNamesAreRenamedUntilAllDiffer)
{
    const std::vector<std::pair<std::vector<std::wstring>, std::vector<std::wstring>>> cases = {
        {{L"B", L"A", L"B"}, {L"B_1", L"A", L"B_2"}},
        {{L"A", L"A", L"A_1"}, {L"A_1_1", L"A_2", L"A_1_2"}},
        {{L"A", L"A", L"A_2"}, {L"A_1", L"A_2_1", L"A_2_2"}},
        {{L"A"}, {L"A"}},
    };
    for (const auto& [before, after] : cases) {
        NodeThickness node;
        for (const std::wstring& name : before)
            node.datum.push_back(Record(name, 1));
        node.RenameEquilDatum();
        EXPECT_EQ(Names(node), after);
    }
}

TEST(ImportRecords, PatternsTakeThePartsValues)
{
    AssemblyReader reader;
    ImportPartMetaData part = Record(L"A-1", 2.5, L"КР-01");
    part.material = L"Сталь 3";
    part.count = 12;
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"Наименование", L"A-1"},
        {L"Наименование_Толщина", L"A-1_2.5"},
        {L"Кол-во_шт", L"12_шт"},
        {L"Обозначение Материал", L"КР-01 Сталь 3"},
        {L"деталь", L"деталь"},
    };
    for (const auto& [pattern, text] : cases)
        EXPECT_EQ(reader.CreateStringFromPattern(pattern, part), text);
    part.thickness = 3;
    EXPECT_EQ(reader.CreateStringFromPattern(L"Толщина", part), L"3");
    part.thickness = 0.00001;
    EXPECT_EQ(reader.CreateStringFromPattern(L"Толщина", part), L"0.00001");
}

using ImportEditsTest = hosttest::HostTest;

// The row of the record named so in the flattened tree.
int32_t RowOf(const AssemblyReader& reader, const std::wstring& name)
{
    for (size_t row = 0; row < reader.m_metaDatum.size(); ++row) {
        if (reader.m_metaDatum[row].name == name)
            return static_cast<int32_t>(row);
    }
    return -1;
}

AssemblyReader ReaderOf(std::initializer_list<std::pair<std::wstring, ImportPartMetaData>> records)
{
    AssemblyReader reader;
    for (auto [material, record] : records) {
        record.material = material;
        const std::wstring& name = record.material;  // named: a lambda takes no structured binding
        auto node = std::find_if(reader.m_dataTree.begin(), reader.m_dataTree.end(),
                                 [&](const NodeMaterial& m) { return m.name == name; });
        if (node == reader.m_dataTree.end())
            node = reader.m_dataTree.insert(node, NodeMaterial{material, {}});
        node->Add(record);
    }
    reader.UpdateImportPartMetaDatum();
    return reader;
}

TEST_F(ImportEditsTest, EditsReachTheRecordOrAreRefusedWithAMessage)
{
    AssemblyReader reader = ReaderOf({{L"Сталь 3", Record(L"A", 2)}, {L"Сталь 3", Record(L"B", 2)}});
    struct Case {
        bool thickness;  // else the count
        std::wstring text;
        double value;    // what the record holds afterwards
        bool refused;
    };
    const Case cases[] = {
        {true, L" 2,5 мм", 2.5, false}, {true, L"abc", 2.5, true}, {true, L"0", 2.5, true},
        {true, L"-1", 2.5, true},       {true, L"1e999", 2.5, true}, {true, L"3e-1", 0.3, false},
        {true, L"500,5", 0.3, true},    {true, L"0.005", 0.3, true}, {true, L"500", 500, false},
        {false, L"3 шт", 3, false},     {false, L"0", 3, true},     {false, L"99999999999", 3, true},
        {false, L"x", 3, true},
    };
    for (const Case& c : cases) {
        const size_t messages = Messages().size();
        if (c.thickness)
            reader.SetDatathickness(RowOf(reader, L"B"), c.text);
        else
            reader.SetDataCount(RowOf(reader, L"B"), c.text);
        const ImportPartMetaData& record = reader.m_metaDatum[static_cast<size_t>(RowOf(reader, L"B"))];
        EXPECT_EQ(c.thickness ? record.thickness : record.count, c.value) << vlhost::Host::Utf8(c.text);
        EXPECT_EQ(Messages().size(), messages + (c.refused ? 1 : 0)) << vlhost::Host::Utf8(c.text);
    }
    reader.SetDataName(5, L"Z");
    reader.SetDataCount(5, L"abc");
    EXPECT_EQ(Messages().size(), 9u) << "a row that does not exist changes nothing, says nothing";
}

// A record whose material or thickness is edited moves to the node of its new
// values (counted into an equal record there; nodes left empty go), and its
// fragment is written into that node's folder.
TEST_F(ImportEditsTest, AnEditedMaterialOrThicknessFilesTheRecordUnderItsNewNode)
{
    ImportPartMetaData plate = Record(L"Плита", 2);
    plate.unfolded = true;
    for (auto [a, b] : {std::pair<MbCartPoint, MbCartPoint>{{0, 0}, {80, 0}}, {{80, 0}, {80, 40}}, {{80, 40}, {0, 40}},
                        {{0, 40}, {0, 0}}})
        plate.curves.emplace_back(new MbLineSegment(a, b));
    AssemblyReader reader =
        ReaderOf({{L"Сталь 3", plate}, {L"Сталь 3", Record(L"Уголок", 2)}, {L"Сталь 10", Record(L"Уголок", 1.5)}});
    const auto tree = [&] {
        std::vector<std::wstring> rows;
        for (const NodeMaterial& m : reader.m_dataTree)
            for (const NodeThickness& t : m.nodes)
                for (const ImportPartMetaData& r : t.datum)
                    rows.push_back(m.name + L"/" + t.name + L"/" + r.name + L"×" + std::to_wstring(r.count));
        return rows;
    };
    struct Case {
        int32_t row;
        bool material;  // else the thickness
        const wchar_t* text;
        std::vector<std::wstring> rows;  // the tree afterwards, in row order
    };
    const Case cases[] = {
        {0, true, L"Сталь 10", {L"Сталь 10/1.5/Уголок×1", L"Сталь 10/2/Плита×1", L"Сталь 3/2/Уголок×1"}},
        {1, false, L"1,5", {L"Сталь 10/1.5/Плита×1", L"Сталь 10/1.5/Уголок×1", L"Сталь 3/2/Уголок×1"}},
        {2, false, L"1.5", {L"Сталь 10/1.5/Плита×1", L"Сталь 10/1.5/Уголок×1", L"Сталь 3/1.5/Уголок×1"}},
        {2, true, L"Сталь 10", {L"Сталь 10/1.5/Плита×1", L"Сталь 10/1.5/Уголок×2"}},
    };
    for (const Case& c : cases) {
        if (c.material)
            reader.SetDataMaterial(c.row, c.text);
        else
            reader.SetDatathickness(c.row, c.text);
        EXPECT_EQ(tree(), c.rows) << vlhost::Host::Utf8(c.text);
        ASSERT_EQ(reader.m_metaDatum.size(), c.rows.size());
    }
    EXPECT_EQ(reader.m_metaDatum[0].material, L"Сталь 10");
    EXPECT_EQ(reader.m_metaDatum[0].thickness, 1.5);

    reader.Init(L"", File("out"));
    reader.m_namePattern = reader.m_textPattern = L"Наименование";
    reader.WriteContoursToFragments(true);
    EXPECT_TRUE(std::filesystem::exists(root / "out" / "Сталь 10" / "1.5" / "Плита.vfw"));
    EXPECT_FALSE(std::filesystem::exists(root / "out" / "Сталь 3"));
}

// Kernel curves drawn into a drawing keep their kind, their ends and their
// way round; a box's largest face is the one a curved face is rectified into.
TEST_F(ImportEditsTest, KernelCurvesBecomeHostObjectsOfTheirKind)
{
    const double pi = 3.14159265358979323846;
    const SPtr<MbCurve> curves[] = {
        SPtr<MbCurve>(new MbLineSegment({0, 0}, {10, 0})),
        SPtr<MbCurve>(new MbArc({50, 50}, 5, 0, 2 * pi)),
        SPtr<MbCurve>(new MbArc({0, 50}, 10, pi / 2, 1.5 * pi)),  // 270 degrees from the top
        SPtr<MbCurve>(new MbNurbs(3, {{0, 0}, {1, 2}, {3, 2}, {4, 0}}, {1, 1, 1, 1}, {0, 0, 0, 0, 1, 1, 1, 1}, false)),
    };
    const int kinds[] = {vlapi::vlDrLineSeg, vlapi::vlDrCircle, vlapi::vlDrArc, vlapi::vlDrNurbs};
    AssemblyReader reader;
    for (const SPtr<MbCurve>& curve : curves)
        reader.DrawCurve(Container(), curve, 1, 8);
    const vlapi::DrawingObjectList drawn = Container()->GetObjects({vlapi::vlAllObj});
    ASSERT_EQ(drawn.size(), std::size(kinds));
    for (size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i]->GetType(), kinds[i]);
        EXPECT_EQ(drawn[i]->GetLayer(), 1);
        EXPECT_EQ(drawn[i]->GetStyle(), 8);
    }
    vlapi::ICurve2DPtr arc = drawn[2]->GetCurve();
    NPoint start, end, middle;
    arc->GetPoint(arc->GetParamMin(), start.x, start.y);
    arc->GetPoint(arc->GetParamMax(), end.x, end.y);
    arc->GetPoint((arc->GetParamMin() + arc->GetParamMax()) / 2, middle.x, middle.y);
    EXPECT_EQ(start, (NPoint{0, 60}));
    EXPECT_EQ(end, (NPoint{10, 50}));
    EXPECT_EQ(middle, (NPoint{-10 / std::sqrt(2.0), 50 - 10 / std::sqrt(2.0)})) << "the long way round";
    EXPECT_NEAR(arc->GetLength(), 1.5 * pi * 10, 1e-6);
    vlapi::INurbsPtr nurbs(drawn[3]);
    EXPECT_EQ(nurbs->GetPoints(), (std::vector<double>{0, 0, 1, 2, 3, 2, 4, 0}));
    EXPECT_EQ(nurbs->GetKnots(), (std::vector<double>{0, 0, 0, 0, 1, 1, 1, 1}));
    EXPECT_EQ(nurbs->GetDegree(), 3);

    const SPtr<MbSolid> box(MakeBox(MbPlacement3D(), 100, 50, 2));
    const SPtr<MbFace> largest = AssemblyReader::GetMaxFaceFromSolid(box);
    ASSERT_TRUE(largest);
    MbCube cube;
    largest->AddYourGabaritTo(cube);
    EXPECT_NEAR(cube.GetLengthX() * cube.GetLengthY(), 5000.0, 1e-9);
}

// The reader hands DXF files to its model's import, the user kept out meanwhile.
TEST_F(ImportEditsTest, DxfFilesGoThroughTheReadersModel)
{
    std::vector<FileMetaParams> files{{vlhost::Host::Wide(NESTING_SOURCE_DIR "/tests/data/dxf/parts/bulges.dxf"), L"", 1, 0.0}};
    AssemblyReader reader;
    reader.ImportFromDXF(files, L"CADMATIC");  // no model yet: nothing
    EXPECT_EQ(State().access.offs, 0);
    reader.Init(L"", File("out"));
    reader.ImportFromDXF(files, L"CADMATIC");
    EXPECT_TRUE(std::filesystem::exists(root / "out" / "bulges.vfw"));
    EXPECT_EQ(State().access.offs, 1);
    EXPECT_TRUE(State().access.enabled);
}

}  // namespace
