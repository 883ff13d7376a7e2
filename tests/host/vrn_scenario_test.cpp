// A nesting drawing built through the host binding alone: sheets on pages of
// the job's format, the container view, the library's layers, a figure read
// from a part file through the clipboard, a remnant, offsets, texts, colouring,
// result table and title block; saved, reopened and drawn as SVG.
#include "vrn_fixture.h"
#include "host/NestingResources.h"

#include "host/HostGuards.h"
#include "host/NestingMacro.h"
#include "model/NestingSetting.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>

namespace {

constexpr double kSheetWidth = 3000;
constexpr double kSheetHeight = 1500;

class VrnScenarioTest : public vrntest::WithLayoutTest {
protected:
    // A part drawing: a 200 x 100 plate with a round hole, 3 copies of 2 mm Ст3.
    std::wstring PartFile()
    {
        vlapi::IVarnelDocument2DPtr part = NewDrawing();
        vrntest::AddRing(Container(), {{500, 300}, {700, 300}, {700, 400}, {500, 400}});
        vrntest::AddCircle(Container(), {650, 350}, 20);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), 3);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), 2);
        vrnApi::SetMaterialPropertyToDocument(L"Ст3");
        const std::wstring path = File("plate.vdw");
        EXPECT_TRUE(part->SaveAs(path));
        part->Close(0);
        return path;
    }

    // Sheet i: its view on page i at the computed scale, its macro moved into it.
    INestingMacroObjectPtr AddSheet(int i, const std::wstring& lyt)
    {
        const std::wstring name = L"Лист " + std::to_wstring(i + 1);
        const int view = vrnApi::AddView(name);
        vrnApi::AddDocumentSheet(lyt, view, vlapi::vlFormatA2, kSheetWidth, kSheetHeight, false, i > 0);
        vrnApi::SetActiveSystemView();
        INestingMacroObjectPtr sheet =
            vrnApi::CreateMacroByRectangle(name, kSheetWidth, kSheetHeight, static_cast<int>(MacroCommand::Sheet));
        double dx = 0, dy = 0;
        sheet->ChangeMacroView(view, dx, dy);
        return sheet;
    }

    size_t ObjectsIn(int view) const { return WithLayoutTest::ObjectsIn(vrnApi::GetViewPtrByNumber(view)); }

    static size_t Members(const INestingMacroObjectPtr& macro, int type)
    {
        vlapi::IDrawingContainerPtr members(std::dynamic_pointer_cast<NMacroObject>(macro)->GetMacro());
        return members->GetObjects({type}).size();
    }
    static double Width(const NPolygonPtr& ring) { return ring->GetGabarit().pTop.x - ring->GetGabarit().pBot.x; }
    static NRect Box(const std::vector<NPolygonPtr>& rings)
    {
        return rings.front()->GetGabarit();
    }
};

TEST_F(VrnScenarioTest, NestingDrawingIsBuiltSavedReopenedAndDrawn)
{
    const std::wstring partPath = PartFile();
    const int openBefore = OpenDocuments();
    const reference since = NextReference();
    const std::wstring lyt = (host->Folder(vlapi::vlSystemFiles) / "Nesting.vst").wstring();
    std::vector<INestingMacroObjectPtr> sheets;
    INestingMacroObjectPtr figure, waste;
    {
        vrnApi::ScopedSwitch noRebuild(vrnApi::SetTreeRebuild, false);
        vrnApi::ScopedSwitch step(vrnApi::SetUndoContainer, true);

        vrnApi::CreateLayer(vrnApi::LoadStr(IDS_NAME_TEXT_LAYER), 0, false);
        vrnApi::CreateLayer(vrnApi::LoadStr(IDS_COLORING), NestingSetting::m_figureColor, false);
        for (int i = 0; i < 3; ++i)
            sheets.push_back(AddSheet(i, lyt));
        const int container = vrnApi::CreateContainerView(kSheetWidth, kSheetHeight);
        ASSERT_GE(container, 0);

        // The figure comes from the part file through the clipboard.
        vrnApi::SetActiveSystemView();
        FileMetaParams par;
        par.m_path = partPath;
        par.m_count = 0;
        figure = vrnApi::CreateMacroFromFile(par, static_cast<int>(MacroCommand::Figure));
        ASSERT_TRUE(figure);
        EXPECT_EQ(par.m_count, 3);
        EXPECT_DOUBLE_EQ(par.m_thickness, 2.0);
        EXPECT_EQ(par.m_material, L"Ст3");
        std::vector<NPolygonPtr> borders;
        figure->InitBordersFromMacro(borders);
        ASSERT_EQ(borders.size(), 2u);
        EXPECT_NEAR(Box(borders).pBot.x, -100, 1e-6);
        EXPECT_NEAR(Box(borders).pTop.y, 50, 1e-6);

        // Onto the first sheet, with its label and colouring.
        double dx = 0, dy = 0;
        figure->ChangeMacroView(sheets[0]->GetMacroViewNumber(), dx, dy);
        figure->SetMacroPlacement(300, 200, 0, false);
        figure->InitTextLayer();
        figure->AddTextInMacro(L"Деталь 1", 0, 0, 20);
        figure->CreateColouringInMacro(borders, NestingSetting::m_figureColor);

        // Grow and shrink offsets read back around the placed outline.
        const size_t onSheet = ObjectsIn(sheets[0]->GetMacroViewNumber());
        sheets[0]->SetCurrentMacroView();
        borders.clear();
        figure->InitBordersFromMacro(borders);
        std::vector<NPolygonPtr> grown, shrunk;
        vrnApi::CreateEquidistantPoligons(borders, 5.0, grown, true);
        vrnApi::CreateEquidistantPoligons(borders, -5.0, shrunk, false);
        ASSERT_EQ(grown.size(), 2u);
        ASSERT_EQ(shrunk.size(), 2u);
        EXPECT_NEAR(Box(grown).pBot.x, 195, 0.01);
        EXPECT_NEAR(Box(grown).pTop.y, 255, 0.01);
        EXPECT_NEAR(Box(shrunk).pBot.x, 205, 0.01);
        EXPECT_NEAR(Box(shrunk).pTop.y, 245, 0.01);
        // The hole is the ring of chords that stands for the circle; the host
        // reads its equidistant back within the configured sag.
        const double hole = Width(borders[1]);
        const double sag = NestingSetting::m_instance.m_tolerance;
        EXPECT_NEAR(Width(grown[1]), hole - 10, sag);
        EXPECT_NEAR(Width(shrunk[1]), hole + 10, sag);
        EXPECT_EQ(ObjectsIn(sheets[0]->GetMacroViewNumber()), onSheet);

        // A remnant enclosed by contours on the second sheet.
        sheets[1]->SetCurrentMacroView();
        const reference frame = vrnApi::DrawRectangle({1000, 500}, 800, 600, 1);
        waste = vrnApi::CreateMacroByEncloseContours({1400, 800}, static_cast<int>(MacroCommand::Waste));
        ASSERT_TRUE(waste);
        vrnApi::DeleteDrawingObj(frame);
        EXPECT_EQ(waste->GetName(), vrnApi::LoadStr(IDS_WASTE));

        // The first sheet's result table and every page's title block.
        SheetTableParams table;
        table.botX = 0;
        table.botY = kSheetHeight + 20;
        sheets[0]->CreateTableInMacro(table);
        sheets[0]->UpdateTableInMacro(1, 0, L"Лист 1");
        sheets[0]->UpdateTableInMacro(1, 1, L"Ст3");
        for (int i = 0; i < 3; ++i)
            vrnApi::UpdateStamp(i, L"3000x1500x2", L"600.000", L"4.44");
    }

    // Every bracket closed, nothing temporary left.
    EXPECT_EQ(Switches().undoDepth, 0);
    EXPECT_EQ(Switches().undoContainersOpened, Switches().undoContainersClosed);
    EXPECT_TRUE(Switches().treeRebuild);
    EXPECT_EQ(OpenDocuments(), openBefore);
    EXPECT_TRUE(NoTemporaryGroupSince(since));
    EXPECT_EQ(ObjectsIn(vrnApi::GetSystemView()), 0u);
    const int container = vrnApi::GetViewByName(vrnApi::LoadStr(IDS_DETAIL_CONTAINER));
    double cx = 0, cy = 0, cscale = 0;
    vrnApi::GetViewParams(container, cx, cy, cscale);
    EXPECT_DOUBLE_EQ(cx, 30);
    EXPECT_DOUBLE_EQ(cy, 420 + 30);
    EXPECT_DOUBLE_EQ(cscale, 0.1);

    // The pages carry the job's format and the views their scales.
    ASSERT_EQ(doc->GetLayoutSheets()->GetCount(), 3);
    for (int i = 0; i < 3; ++i) {
        double x = 0, y = 0, scale = 0;
        vrnApi::GetViewParams(sheets[i]->GetMacroViewNumber(), x, y, scale);
        EXPECT_DOUBLE_EQ(x, 594.0 * i + 30);
        EXPECT_DOUBLE_EQ(y, std::ceil(420 - 0.1 * kSheetHeight) * 0.5 + 20);
        EXPECT_DOUBLE_EQ(scale, 0.1);
        EXPECT_EQ(doc->GetLayoutSheets()->GetItem(i)->GetFormat()->GetFormat(), vlapi::vlFormatA2);
        EXPECT_EQ(doc->GetLayoutSheets()->GetItem(i)->GetStyleLibrary(), lyt);
    }

    // Saved and reopened: the macros, layers and title block are all there.
    const std::wstring path = File("nesting.vdw");
    ASSERT_TRUE(doc->SaveAs(path));
    doc->Close(0);
    doc = nullptr;
    bool visible = true;
    doc = vrnApi::GetVarnel2DDocument(path, visible, true);
    ASSERT_TRUE(doc);
    const std::vector<INestingMacroObjectPtr> macros = DrawingMacros();
    std::map<MacroCommand, std::vector<INestingMacroObjectPtr>> byCommand;
    for (const INestingMacroObjectPtr& macro : macros) {
        for (MacroCommand command : {MacroCommand::Sheet, MacroCommand::Figure, MacroCommand::Waste}) {
            if (macro->CheckMacroLibraryNameAndCommand(command))
                byCommand[command].push_back(macro);
        }
    }
    ASSERT_EQ(byCommand[MacroCommand::Sheet].size(), 3u);
    ASSERT_EQ(byCommand[MacroCommand::Figure].size(), 1u);
    ASSERT_EQ(byCommand[MacroCommand::Waste].size(), 1u);

    // The figure keeps its label and colouring, the first sheet its result table.
    const INestingMacroObjectPtr& reread = byCommand[MacroCommand::Figure].front();
    std::vector<FontParams> fonts;
    reread->GetFontParams(fonts);
    ASSERT_EQ(fonts.size(), 1u);
    EXPECT_DOUBLE_EQ(fonts[0].height, 20);
    EXPECT_EQ(Members(reread, vlapi::vlDrColouring), 1u);
    const INestingMacroObjectPtr& first = byCommand[MacroCommand::Sheet].front();
    EXPECT_EQ(first->GetName(), L"Лист 1");
    vlapi::ITablePtr resultTable(std::dynamic_pointer_cast<NMacroObject>(first)->GetTableFromMacro());
    ASSERT_TRUE(resultTable);
    EXPECT_EQ(vlapi::ITextPtr(resultTable->GetCell(1, 1)->GetText())->GetText(), L"Ст3");
    EXPECT_EQ(doc->GetLayoutSheets()->GetItem(2)->GetStamp()->GetCellText(1104)->GetText(), L"4.44");
    int color = -1;
    bool hide = true;
    vrnApi::GetLayerParams(vrnApi::LoadStr(IDS_NAME_TEXT_LAYER), color, hide);
    EXPECT_FALSE(hide);

    const std::string svg = vlhost::Host::Svg(doc);
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    if (const char* out = std::getenv("NESTING_SCENARIO_SVG"))
        std::ofstream(out) << svg;
}

}  // namespace
