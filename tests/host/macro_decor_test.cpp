// What a macro carries besides its outline: property values, texts, fills,
// looks, selection, the result table and placed copies of its members.
#include "support/macro_fixture.h"

#include "host/HostAccess.h"
#include "model/NestingSetting.h"

namespace macrotest {
namespace {

const std::vector<NPoint> kSquare = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};

class MacroDecorTest : public MacroHostTest {
protected:
    INestingMacroObjectPtr Square(const std::wstring& name = L"Part")
    {
        return MakeMacro(Container(), AddRing(Container(), kSquare), name);
    }
    int PropertyCount() const { return doc->GetPropertyMng()->GetCount(); }
    int CurrentLayer() const
    {
        vlapi::ILayersPtr layers = ActiveView()->GetLayers();
        for (int i = 0; i < layers->GetCount(); ++i) {
            vlapi::ILayerPtr layer(layers->GetItem(i));
            if (layer && layer->GetCurrent())
                return layer->GetNumber();
        }
        return -1;
    }
    int AddLayer(const std::wstring& name, int number)
    {
        vlapi::ILayerPtr layer = ActiveView()->GetLayers()->Add();
        layer->SetName(name);
        layer->SetNumber(number);
        layer->Update();
        return number;
    }
    static std::vector<vlapi::IDrawingTextPtr> Texts(const INestingMacroObjectPtr& macro)
    {
        std::vector<vlapi::IDrawingTextPtr> texts;
        vrnApi::InitTextFromMacro(HostMacro(macro), texts);
        return texts;
    }
    static std::vector<FontParams> Heights(const INestingMacroObjectPtr& macro)
    {
        std::vector<FontParams> heights;
        macro->GetFontParams(heights);
        return heights;
    }
};

// A property is defined once for all macros; a read where the macro holds no
// value, or of an unknown property, leaves the caller's value; an empty name
// is refused, and a wrapper without macro still defines its property.
TEST_F(MacroDecorTest, PropertiesAreDefinedOnceAndReadBack)
{
    const INestingMacroObjectPtr a = Square(L"A");
    int before = PropertyCount();
    a->SetPropertyMacro(L"Count", 3.0);
    Square(L"B")->SetPropertyMacro(L"Count", 5.0);
    EXPECT_EQ(PropertyCount(), before + 1);
    double value = 0;
    a->GetPropertyMacro(L"Count", value);
    EXPECT_EQ(value, 3.0);

    const INestingMacroObjectPtr other = Square(L"C");
    before = PropertyCount();
    value = 7.0;
    other->GetPropertyMacro(L"Count", value);
    EXPECT_EQ(value, 7.0);
    other->GetPropertyMacro(L"Unknown", value);
    EXPECT_EQ(value, 7.0);
    EXPECT_EQ(PropertyCount(), before);
    other->SetPropertyMacro(L"", 1.0);
    EXPECT_EQ(PropertyCount(), before);
    NMacroObject::Create(vlapi::IMacroObjectPtr{})->SetPropertyMacro(L"Sheets", 1.0);
    EXPECT_EQ(PropertyCount(), before + 1);

    other->SetMaterialPropertyToMacro(L"Steel S235");
    EXPECT_EQ(other->GetMaterialPropertyFromMacro(), L"Steel S235");
    EXPECT_EQ(Square(L"Bare")->GetMaterialPropertyFromMacro(), L"");
}

TEST_F(MacroDecorTest, TextsStayOnTheirLayerWhenThereIsNoTextLayer)
{
    const INestingMacroObjectPtr macro = Square();
    macro->AddTextInMacro(L"Part 1", 5, 5, 3.5);
    const std::vector<vlapi::IDrawingTextPtr> texts = Texts(macro);
    ASSERT_FALSE(texts.empty());
    const vlapi::IDrawingTextPtr text = texts[0];
    ASSERT_TRUE(text);
    EXPECT_EQ(vlapi::ITextPtr(text)->GetText(), L"Part 1");
    EXPECT_GE(text->GetLayer(), 0);
    macro->InitTextLayer();
    EXPECT_GE(text->GetLayer(), 0);

    const int number = AddLayer(vrnApi::LoadStr(7017), 6);
    macro->InitTextLayer();
    EXPECT_EQ(text->GetLayer(), number);
}

TEST_F(MacroDecorTest, TextsOfACompoundFigureChangeAndReportTheirHeights)
{
    const INestingMacroObjectPtr a = Square(L"A");
    const INestingMacroObjectPtr b = Square(L"B");
    a->AddTextInMacro(L"A", 1, 1, 2.0);
    b->AddTextInMacro(L"B", 1, 1, 4.0);
    const INestingMacroObjectPtr both = vrnApi::CreateMacroByMacros(a, b, L"AB");
    ASSERT_TRUE(both);
    both->ChangeTextInMacro(L"AB");
    const std::vector<vlapi::IDrawingTextPtr> texts = Texts(both);
    ASSERT_EQ(texts.size(), 2u);
    for (const auto& text : texts)
        EXPECT_EQ(vlapi::ITextPtr(text)->GetText(), L"AB");
    const std::vector<FontParams> heights = Heights(both);
    ASSERT_EQ(heights.size(), 2u);
    EXPECT_EQ(heights[0].height, 2.0);
    EXPECT_EQ(heights[1].height, 4.0);
}

// A label's lines move with their heights, in any view and whichever flag
// is given: lines 5 high and 8 apart set to one height stand 8/5 of it
// apart, the label (a compound's two members' together) keeps its middle,
// and a marking 10 high below them keeps its place in the label (grown with
// it as they do, never pulled in among them); their old heights set again,
// every anchor is where it was. A list of another length changes nothing.
TEST_F(MacroDecorTest, LabelLinesMoveApartWithTheirHeights)
{
    const struct {
        double scale;
        bool offset, inverse;
        double height;
    } cases[] = {{1, false, false, 20}, {0.02, true, false, 5}, {0.02, true, false, 0.1},
                 {1.0 / 15, false, true, 12}, {2, true, false, 3}, {0.5, false, false, 0.33}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "scale " << c.scale << ", height " << c.height);
        ActiveView()->SetScale(c.scale);
        ActiveView()->Update();
        // A's label (texts 0 to 3): three lines and a marking below; B's (4, 5): two lines.
        const INestingMacroObjectPtr a = Square(L"A");
        const INestingMacroObjectPtr b = Square(L"B");
        a->AddTextInMacro(L"Деталь 1", 100, 120, 5.0);
        a->AddTextInMacro(L"Ст3 2 мм", 100, 112, 5.0);
        a->AddTextInMacro(L"Заказ 15", 100, 104, 5.0);
        a->AddTextInMacro(L"[Кол-во=1]", 0, -30, 10.0);
        b->AddTextInMacro(L"Деталь 2", -40, 8, 5.0);
        b->AddTextInMacro(L"Ст3 2 мм", -40, 0, 5.0);
        const INestingMacroObjectPtr both = vrnApi::CreateMacroByMacros(a, b, L"AB");
        ASSERT_TRUE(both);
        const std::vector<vlapi::IDrawingTextPtr> texts = Texts(both);
        ASSERT_EQ(texts.size(), 6u);
        const std::vector<FontParams> before = Heights(both);
        std::vector<NPoint> anchors;
        for (const vlapi::IDrawingTextPtr& text : texts)
            anchors.push_back({text->GetX(), text->GetY()});

        both->SetFontParams(std::vector<FontParams>(texts.size(), FontParams{c.height}), c.offset, c.inverse);
        for (const FontParams& h : Heights(both))
            EXPECT_DOUBLE_EQ(h.height, c.height);
        const auto apart = [&texts](size_t i, size_t k) { return texts[i]->GetY() - texts[k]->GetY(); };
        for (const auto& [i, k] : {std::pair<size_t, size_t>{0, 1}, {1, 2}, {4, 5}})
            EXPECT_NEAR(apart(i, k), 8.0 * c.height / 5.0, 1e-9);
        EXPECT_NEAR(apart(2, 3), 134.0 * c.height / 5.0, 1e-9);
        EXPECT_NEAR(texts[2]->GetX() - texts[3]->GetX(), 100.0 * c.height / 5.0, 1e-9);
        NPoint middle;
        for (size_t i = 0; i < texts.size(); ++i)
            middle += NPoint{texts[i]->GetX() - anchors[i].x, texts[i]->GetY() - anchors[i].y};
        EXPECT_NEAR(middle.x, 0.0, 1e-9);
        EXPECT_NEAR(middle.y, 0.0, 1e-9);

        both->SetFontParams(before, !c.offset, c.inverse);
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_NEAR(texts[i]->GetX(), anchors[i].x, 1e-9);
            EXPECT_NEAR(texts[i]->GetY(), anchors[i].y, 1e-9);
        }
        both->SetFontParams({{1.0}, {1.0}}, true, false);
        EXPECT_DOUBLE_EQ(Heights(both).front().height, 5.0);
    }

    // A compound whose second member is turned half round, as two right
    // triangles are joined, each labelled the same: texts set six times as
    // high cover none of the other member's (each a box 0.7 of its height a
    // character wide, its height high, turned with its member).
    const INestingMacroObjectPtr first = Square(L"A");
    const INestingMacroObjectPtr second = Square(L"B");
    for (const INestingMacroObjectPtr& member : {first, second}) {
        member->AddTextInMacro(L"[Кол-во=2]", -147.78, -122.78, 5.0);
        member->AddTextInMacro(L"Клин", -131.11, -64.44, 5.0);
        member->AddTextInMacro(L"Заказ 7", -131.11, -72.78, 5.0);
    }
    HostMacro(first)->SetPlacement(0, -6.0093, 0, 0, 0);
    HostMacro(second)->SetPlacement(0, 6.0093, 180, 0, 0);
    const INestingMacroObjectPtr pair = vrnApi::CreateMacroByMacros(first, second, L"Pair");
    ASSERT_TRUE(pair);
    pair->SetFontParams(std::vector<FontParams>(6, FontParams{30.0}), false, false);
    const std::vector<vlapi::IDrawingTextPtr> texts = Texts(pair);
    ASSERT_EQ(texts.size(), 6u);
    std::vector<NRect> boxes;
    for (size_t i = 0; i < texts.size(); ++i) {
        const double width = 0.7 * 30.0 * static_cast<double>(vlapi::ITextPtr(texts[i])->GetText().size());
        const double x = texts[i]->GetX(), y = texts[i]->GetY();
        boxes.push_back(i < 3 ? NRect{{x, y - 6.0093}, {x + width, y + 30 - 6.0093}}
                              : NRect{{-x - width, -y - 30 + 6.0093}, {-x, -y + 6.0093}});
    }
    for (size_t i = 0; i < 3; ++i) {
        for (size_t k = 3; k < 6; ++k) {
            const bool apart = boxes[i].pTop.x <= boxes[k].pBot.x || boxes[k].pTop.x <= boxes[i].pBot.x ||
                               boxes[i].pTop.y <= boxes[k].pBot.y || boxes[k].pTop.y <= boxes[i].pBot.y;
            EXPECT_TRUE(apart) << i << " " << k;
        }
    }
}

TEST_F(MacroDecorTest, ColouringLayerIsMadeWithoutBecomingCurrent)
{
    const INestingMacroObjectPtr macro = Square();
    const int current = CurrentLayer();
    macro->CreateColouringInMacro({}, 0x0000ff);
    macro->CreateColouringInMacro({}, 0x00ff00);
    vlapi::ILayerPtr layer = ActiveView()->GetLayers()->FindLayer(vrnApi::LoadStr(7015));
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->GetNumber(), 3);
    EXPECT_EQ(CurrentLayer(), current);

    vlapi::IColouringsPtr colourings = vlapi::IDrawingContainerPtr(HostMacro(macro))->GetColourings();
    ASSERT_EQ(colourings->GetCount(), 1);
    vlapi::IColouringPtr colouring(colourings->GetItem(0));
    EXPECT_EQ(colouring->GetColor(), 0x0000ff);
    EXPECT_EQ(colouring->GetLayer(), 3);
    EXPECT_EQ(vlapi::IBoundariesObjectPtr(colouring)->GetBoundaries().size(), 4u);

    macro->DeleteColouringInMacro(0x00ff00);
    EXPECT_EQ(colourings->GetCount(), 1);
    macro->DeleteColouringInMacro(0x0000ff);
    EXPECT_EQ(colourings->GetCount(), 0);

    // Where number 3 is another layer's, the colouring goes on its own layer.
    layer->SetName(L"Другой");
    layer->Update();
    macro->CreateColouringInMacro({}, 0x0000ff);
    const vlapi::ILayerPtr own = ActiveView()->GetLayers()->FindLayer(vrnApi::LoadStr(7015));
    ASSERT_TRUE(own);
    EXPECT_NE(own->GetNumber(), 3);
    EXPECT_EQ(vlapi::IColouringPtr(colourings->GetItem(0))->GetLayer(), own->GetNumber());
}

TEST_F(MacroDecorTest, ErrorLookFollowsTheColouring)
{
    const INestingMacroObjectPtr macro = Square();
    macro->CreateColouringInMacro({}, NestingSetting::m_figureColor);
    EXPECT_FALSE(macro->CheckStyleMacro());
    macro->ChangeStyleMacro(3);
    EXPECT_TRUE(macro->CheckStyleMacro());
    EXPECT_EQ(macro->GetLineSegmFromMacro(0)->GetStyle(), 3);
    macro->ChangeStyleMacro(1);
    EXPECT_FALSE(macro->CheckStyleMacro());
    EXPECT_EQ(macro->GetLineSegmFromMacro(0)->GetStyle(), 1);

    const INestingMacroObjectPtr plain = Square(L"Plain");
    plain->ChangeStyleMacro(3);
    EXPECT_EQ(plain->GetLineSegmFromMacro(0)->GetStyle(), 1);  // no colouring: never restyled here
    plain->SetBorderStyle(3);
    EXPECT_EQ(plain->GetLineSegmFromMacro(3)->GetStyle(), 3);
}

TEST_F(MacroDecorTest, SelectionAndChoiceAreApart)
{
    const INestingMacroObjectPtr a = Square(L"A");
    const INestingMacroObjectPtr b = Square(L"B");
    a->ChooseMacro(true);
    EXPECT_FALSE(a->CheckSelect());
    a->SelectMacro(true);
    b->SelectMacro(true);
    EXPECT_TRUE(a->CheckSelect());
    EXPECT_TRUE(b->CheckSelect());
    a->SelectMacro(false);
    EXPECT_FALSE(a->CheckSelect());
    std::vector<INestingMacroObjectPtr> selected;
    vrnApi::GetSelectedMacrosFromActiveDoc(MacroCommand::Figure, selected);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0]->GetName(), L"B");
    vrnApi::GetSelectedMacrosFromActiveDoc(101, selected);  // the number as the model's records hold it
    vrnApi::GetSelectedMacrosFromActiveDoc(102, selected);
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[1]->GetName(), L"B");
}

TEST_F(MacroDecorTest, ResultTableIsMadeOnceWrittenAndRescaled)
{
    const INestingMacroObjectPtr sheet = vrnApi::CreateMacroByRectangle(L"Sheet", 3000, 1500, 102);
    SheetTableParams par;
    par.cellWidth = 70;
    par.countCols = 4;
    par.kofWidth = 0.5;
    sheet->CreateTableInMacro(par);
    sheet->CreateTableInMacro(par);
    EXPECT_EQ(vlapi::ISymbols2DContainerPtr(HostMacro(sheet))->GetDrawingTables()->GetCount(), 1);
    vlapi::ITablePtr table(NMacroObject(HostMacro(sheet)).GetTableFromMacro());
    ASSERT_TRUE(table);
    EXPECT_EQ(table->GetColumnsCount(), 5);
    sheet->UpdateTableInMacro(1, 0, L"Sheet 1");
    EXPECT_EQ(vlapi::ITextPtr(table->GetCell(1, 0)->GetText())->GetText(), L"Sheet 1");
    EXPECT_EQ(vlapi::ITextPtr(table->GetCell(0, 1)->GetText())->GetText(), L"Материал");

    sheet->ResizeTableInMacro(par);
    EXPECT_EQ(vlapi::ICellFormatPtr(table->GetCell(0, 2))->GetWidth(), 375);

    SheetTableParams flat = par;
    flat.countCols = 0;
    sheet->ResizeTableInMacro(flat);  // no natural width: the table keeps its sizes
    EXPECT_EQ(vlapi::ICellFormatPtr(table->GetCell(0, 2))->GetWidth(), 375);

    sheet->DeleteTableInMacro();
    EXPECT_FALSE(NMacroObject(HostMacro(sheet)).GetTableFromMacro());
}

TEST_F(MacroDecorTest, TableHasATitleRowAboveItsDataRowsAndRefusesUnevenColumns)
{
    const vlapi::ISymbols2DContainerPtr symbols(HostMacro(Square()));
    const std::vector<std::wstring> titles = {L"A", L"B", L"C"};
    EXPECT_FALSE(vrnApi::CreateTable(symbols, 0, 0, 2, 8, {30, 40}, titles));
    EXPECT_FALSE(vrnApi::CreateTable(symbols, 0, 0, 2, 8, {}, {}));
    EXPECT_EQ(symbols->GetDrawingTables()->GetCount(), 0);

    vlapi::ITablePtr table(vrnApi::CreateTable(symbols, 5, 7, 2, 8, {30, 40.2, 50}, titles));
    ASSERT_TRUE(table);
    EXPECT_EQ(table->GetRowsCount(), 3);
    EXPECT_EQ(vlapi::ITextPtr(table->GetCell(0, 2)->GetText())->GetText(), L"C");
    EXPECT_EQ(vlapi::ICellFormatPtr(table->GetCell(0, 1))->GetWidth(), 41);

    vrnApi::SetTextInTableCell(table, 9, 9, L"nowhere");  // no such cell: nothing written
    vrnApi::SetTextInTableCell(vlapi::ITablePtr{}, 0, 0, L"nothing");  // no table: nothing happens
    vrnApi::SetTextInTableCell(table, 2, 0, L"last");
    EXPECT_EQ(vlapi::ITextPtr(table->GetCell(2, 0)->GetText())->GetText(), L"last");
}

TEST_F(MacroDecorTest, HatchIsBoundedByOnePolylinePerPolygon)
{
    const INestingMacroObjectPtr macro = Square();
    macro->CreateHatchInMacro({});
    const auto members = [&](int type) {
        return vlapi::IDrawingContainerPtr(HostMacro(macro))->GetObjects({type}).size();
    };
    EXPECT_EQ(members(vlapi::vlDrHatch), 0u);
    macro->CreateHatchInMacro({std::make_shared<NPolygon>(NPoint{}, kSquare), std::make_shared<NPolygon>()});
    EXPECT_EQ(members(vlapi::vlDrHatch), 1u);
    EXPECT_EQ(members(vlapi::vlDrPolyLine), 1u);
}

TEST_F(MacroDecorTest, MembersByKindAndPlacedCopies)
{
    const INestingMacroObjectPtr macro = Square();
    EXPECT_TRUE(macro->GetLineSegmFromMacro(3));
    EXPECT_FALSE(macro->GetLineSegmFromMacro(4));
    EXPECT_FALSE(macro->GetRectangleFromMacro());
    macro->SetMacroPlacement(20, 5, 90, false);

    std::vector<vlapi::IDrawingObjectPtr> copies;
    macro->GetDrawingObjectsFromMacro(nullptr, copies, true, false);
    ASSERT_EQ(copies.size(), 4u);
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    doc->GetObjectsBox(vlapi::APIObjectList(copies.begin(), copies.end()), x1, y1, x2, y2);
    EXPECT_NEAR(x1, 10, 1e-9);  // turned by 90 about (20, 5): x from 10 to 20
    EXPECT_NEAR(x2, 20, 1e-9);
    EXPECT_NEAR(y1, 5, 1e-9);
    EXPECT_NEAR(y2, 15, 1e-9);

    const INestingMacroObjectPtr bare = MakeMacro(Container(), {}, L"Bare");
    std::vector<vlapi::IDrawingObjectPtr> none;
    const int groups = StoredGroups();
    bare->GetDrawingObjectsFromMacro(nullptr, none, true, false);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(StoredGroups(), groups);
}

}  // namespace
}  // namespace macrotest
