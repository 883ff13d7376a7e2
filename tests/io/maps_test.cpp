// The nesting-map drawings and their part tables: one of each per sheet, the
// sheet's view copied with everything on it, no colourings, texts rescaled to
// the map's scale, plain (no longer library) objects, the source untouched.
#include "io/io_fixture.h"

#include "host/NestingResources.h"
#include "host/VarnelAPI_Detail.h"
#include "io/Reporter.h"
#include "model/BridgeAnchors.h"

namespace iotest {
namespace {

class MapsTest : public IoTest {
protected:
    std::filesystem::path Maps() const { return Out() / "Карты раскроя"; }
    std::filesystem::path MapFile(const std::string& name) const { return Maps() / name; }

    // Three sheets: S1 at scale 0.5 with three parts A, a compound of two T
    // and a remnant, S2 with one A, S3 empty; the parts coloured; a bridge
    // on the first A of each map.
    void BuildJob()
    {
        model.m_figureGap = 0.0;
        SheetPtr s1 = AddSheet(L"S1", 1000.0, 500.0);
        for (int i = 0; i < 3; ++i)
            AddRectPart(s1, L"A", 100, 50, 120.0 * i, 0);
        AddBridge(model.m_figures.front());
        AddCompound(s1, L"T", 0, 200);
        AddWaste(s1, 600, 300, 300, 150);
        SheetPtr s2 = AddSheet(L"S2", 1000.0, 500.0);
        AddBridge(AddRectPart(s2, L"A", 100, 50, 0, 0));
        AddSheet(L"S3", 1000.0, 500.0);
        model.CreateFigureColouring();
        vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(s1->GetView());
        view->SetScale(0.5);
        view->Update();
        Store();
    }

    // A bridge in the middle of the part's upper edge.
    void AddBridge(const FigurePtr& part)
    {
        part->SetCurrentView();
        JumperPtr bridge = model.CreateJumper(0, 0, 30.0, BridgeType::Gap, false);
        bridge->m_owner1 = part;
        bridge->SetPoint1({(part->m_rectBorder.pBot.x + part->m_rectBorder.pTop.x) / 2, part->m_rectBorder.pTop.y});
        model.AddJumper(bridge, 0);
    }

    // The names of the bridges of the active drawing, plain or not.
    static std::vector<std::wstring> BridgeNames()
    {
        std::vector<vlapi::IDrawingObjectPtr> macros;
        for (const vlapi::IViewPtr& view : Views(vrnApi::GetActiveDocument2D()))
            CountDeep(vlapi::IDrawingContainerPtr(view), vlapi::vlDrMacro, &macros);
        std::vector<std::wstring> names;
        for (const vlapi::IDrawingObjectPtr& macro : macros)
            if (const std::wstring name = vlapi::IMacroObjectPtr(macro)->GetName(); name.rfind(L"Мостик:", 0) == 0)
                names.push_back(name);
        return names;
    }

    // The job's layout switch as the reporter's Init left it.
    bool Document(bool maps, bool tables)
    {
        Reporter reporter;
        reporter.Init();
        const bool withoutLayout = NestingSetting::m_withoutLayout;
        ReportParams params;
        params.folder = OutText();
        params.addCards = maps;
        params.addSpecif = tables;
        reporter.SetParams(params);
        reporter.CreateDocumentation();
        return withoutLayout;
    }
};

TEST_F(MapsTest, EachSheetGetsAPlainMapWithoutColouringsAtTheMapsScale)
{
    BuildJob();
    const size_t sourceMacros = DrawingMacros().size();
    const std::vector<std::wstring> drawn = BridgeNames();
    ASSERT_EQ(drawn, std::vector<std::wstring>(2, L"Мостик: A b30.0 тип-1"));
    const double textSize = 5.0;  // the model's label height in the source
    for (bool withoutLayout : {true, false}) {
        SCOPED_TRACE(withoutLayout);
        std::filesystem::remove_all(Out());
        vlapi::ILayoutSheetsPtr pages = doc->GetLayoutSheets();
        for (int i = 0; i < pages->GetCount(); ++i)
            pages->GetItem(i)->SetStyleLibrary(withoutLayout ? L"GRAPHIC.vst" : L"Formats.vst");
        EXPECT_EQ(Document(true, false), withoutLayout);
        EXPECT_EQ(NestingSetting::m_withoutLayout, withoutLayout);
        EXPECT_TRUE(Messages().empty()) << vlhost::Host::Utf8(Messages().empty() ? L"" : Messages().back().text);
        EXPECT_EQ(ExtraDocuments(), 0);
        EXPECT_EQ(application->GetActiveDocument(), vlapi::IVarnelDocumentPtr(doc));
        EXPECT_EQ(DrawingMacros().size(), sourceMacros);
        EXPECT_TRUE(State().access.enabled);

        for (const char* name : {"S1.vdw", "S2.vdw"})
            EXPECT_TRUE(std::filesystem::is_regular_file(MapFile(name))) << name;
        EXPECT_FALSE(std::filesystem::exists(MapFile("S3.vdw")));  // it holds nothing: no map
        vlapi::IVarnelDocument2DPtr map(host->Open(MapFile("S1.vdw"), false));
        ASSERT_TRUE(map);
        // Only the sheet is still a library object.
        for (const INestingMacroObjectPtr& macro : DrawingMacros())
            EXPECT_TRUE(macro->GetCommand() == MacroCommand::Sheet || static_cast<int>(macro->GetCommand()) == -1);
        size_t macros = 0;
        std::vector<vlapi::IDrawingObjectPtr> texts;
        for (const vlapi::IViewPtr& view : Views(map)) {
            EXPECT_FALSE(vlapi::ILayersPtr(view->GetLayers())->FindLayer(vrnApi::LoadStr(IDS_COLORING)));
            EXPECT_EQ(CountDeep(vlapi::IDrawingContainerPtr(view), vlapi::vlDrColouring), 0u);
            macros += CountDeep(vlapi::IDrawingContainerPtr(view), vlapi::vlDrMacro);
            if (view->GetNumber() != 0)
                CountDeep(vlapi::IDrawingContainerPtr(view), vlapi::vlDrDrawText, &texts);
        }
        // The sheet, three parts, the compound with its two members, the remnant, the bridge.
        EXPECT_EQ(macros, 9u);
        // The bridge keeps its part's name, as in the drawing, whatever
        // command is run on the map.
        EXPECT_EQ(BridgeNames(), std::vector<std::wstring>{drawn.front()});
        BridgeAnchors::AfterOwners();
        EXPECT_EQ(BridgeNames(), std::vector<std::wstring>{drawn.front()});
        // The remnant's label keeps its size on paper: scaled by the map's
        // view scale over the source's 0.5.
        ASSERT_FALSE(texts.empty());
        const vlapi::IViewPtr sheetView = vlapi::IDrawingObjectPtr(texts.front())->GetView();
        bool label = false;
        for (const vlapi::IDrawingObjectPtr& text : texts) {
            if (vlapi::ITextPtr(text)->GetText().rfind(vrnApi::LoadStr(IDS_WASTE), 0) == 0) {
                label = true;
                EXPECT_NEAR(vlapi::IDrawingTextPtr(text)->GetHeight(), textSize * sheetView->GetScale() / 0.5, 1e-9);
            }
        }
        EXPECT_TRUE(label);
        map->Close(0);
        doc->Activate();
    }
}

TEST_F(MapsTest, PartTablesCountEachNameOnItsOwnSheet)
{
    BuildJob();
    Document(false, true);
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(std::filesystem::exists(MapFile("S1.vdw")));
    struct Case {
        const char* file;
        std::vector<std::vector<std::wstring>> rows;
    };
    const Case cases[] = {
        {"S1_Ведомость Деталей.vfw", {{L"Имя детали", L"Кол-во"}, {L"A", L"3"}, {L"T", L"2"}}},
        {"S2_Ведомость Деталей.vfw", {{L"Имя детали", L"Кол-во"}, {L"A", L"1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const TableFile table = ReadTableFile(MapFile(c.file));
        EXPECT_EQ(table.cells, c.rows);
        EXPECT_DOUBLE_EQ(table.y, 12.0 * c.rows.size());
        EXPECT_DOUBLE_EQ(table.titleY, 12.0 * c.rows.size() + 3.0);
        EXPECT_EQ(table.title.substr(0, 31), L"Ведомость деталей карты раскроя");
    }
    EXPECT_EQ(ReadTableFile(MapFile("S2_Ведомость Деталей.vfw")).title, L"Ведомость деталей карты раскроя S2");
    EXPECT_FALSE(std::filesystem::exists(MapFile("S3_Ведомость Деталей.vfw")));
}

// A map's title block gives the utilisation the register of maps gives, a
// sheet whose parts overlap counting each part whole.
TEST_F(MapsTest, TitleBlocksGiveTheRegistersUtilisation)
{
    model.m_figureGap = 0.0;
    const SheetPtr s1 = AddSheet(L"S1", 1000.0, 500.0);
    AddRectPart(s1, L"A", 100, 50, 0, 0);
    AddRectPart(s1, L"A", 100, 50, 50, 0);  // over the first
    AddRectPart(AddSheet(L"S2", 1000.0, 500.0), L"A", 100, 50, 0, 0);
    Store();
    Reporter reporter;
    reporter.Init();
    ReportParams params;
    params.folder = OutText();
    params.addCards = params.addTableCards = true;
    reporter.SetParams(params);
    reporter.CreateDocumentation();
    const TableFile cards = ReadTableFile(Out() / "Документация" / "Ведомость карт раскроя.vfw");
    ASSERT_EQ(cards.cells.size(), 3u);
    for (size_t row = 1; row < cards.cells.size(); ++row) {
        SCOPED_TRACE(row);
        vlapi::IVarnelDocument2DPtr map(host->Open(MapFile(vlhost::Host::Utf8(cards.cells[row][0]) + ".vdw"), false));
        ASSERT_TRUE(map);
        EXPECT_EQ(map->GetLayoutSheets()->GetItem(0)->GetStamp()->GetCellText(1104)->GetText(), cards.cells[row][6]);
        map->Close(0);
        doc->Activate();
    }
    EXPECT_EQ(cards.cells[1][6], L"2.00");
}

}  // namespace
}  // namespace iotest
