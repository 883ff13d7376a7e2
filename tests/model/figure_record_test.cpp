// The figure record in the figure's macro: written in the macro's own frame,
// read back where the macro stands, across a save and reopen of the drawing.
#include "figure_fixture.h"

#include "ByteAccess.h"
#include "model/FigureRecord.h"
#include "model/NestingModel.h"

namespace figuretest {
namespace {

class FigureRecordStoreTest : public FigureHostTest {
protected:
    // A plate with a hole, its gap polygons, a text height, thickness and material.
    FigurePtr Plate()
    {
        FigurePtr figure = MakeFigure(Rectangle(0, 0, 100, 50), L"Plate", {Rectangle(20, 10, 20, 20)});
        figure->InitPolygons(0.0, 10.0, nullptr);
        figure->m_sourceTextParams = {{5.0}};
        figure->SetThickness(2.0);
        figure->SetMaterial(L"Ст3");
        figure->m_count = 3;
        return figure;
    }

    static ByteBlock StoredBlock(const Figure& figure)
    {
        ByteBlock block;
        figure.m_macro->LoadMacroParams(block);
        return block;
    }

    static void ExpectSameLists(const Figure& a, const Figure& b)
    {
        for (auto list : {&Figure::m_borders, &Figure::m_poligons, &Figure::m_controls}) {
            ASSERT_EQ((a.*list).size(), (b.*list).size());
            for (size_t i = 0; i < (a.*list).size(); ++i)
                ExpectSameVertices(*(a.*list)[i], *(b.*list)[i], 1e-6);
        }
    }
};

TEST_F(FigureRecordStoreTest, PointsAreStoredInTheMacroFrame)
{
    const FigurePtr figure = Plate();
    figure->SetPlacement(100, 50, 0, false);
    figure->SaveParams();

    FigureRecord record;
    ASSERT_TRUE(LoadFigureRecord(StoredBlock(*figure), record));
    ASSERT_EQ(record.borders.size(), 2u);
    ExpectSameVertices(*record.borders[0], NPolygon({0, 0}, Rectangle(0, 0, 100, 50)));
    ASSERT_EQ(record.texts.size(), 1u);
    EXPECT_EQ(record.texts[0].height, 5.0);
    EXPECT_EQ(record.figure.m_count, 3);
    EXPECT_EQ(record.object.m_objectType, NestingObjectType::Figure);
    EXPECT_EQ(figure->m_macro->GetMaterialPropertyFromMacro(), L"Ст3");

    // The figure itself is back where it stood.
    ExpectRectNear(figure->m_rectBorder, {{100, 50}, {200, 100}});
}

TEST_F(FigureRecordStoreTest, TurnedFigureReadsBackWhereItsMacroStands)
{
    const FigurePtr figure = Plate();
    figure->SetPlacement(100, 50, 30, false);
    figure->SaveParams();

    const FigurePtr loaded = Figure::Create(figure->m_macro);
    loaded->LoadParams();
    ExpectSameLists(*figure, *loaded);
    ExpectInStepWithMacro(*loaded);
    EXPECT_EQ(loaded->m_name, L"Plate");
    EXPECT_EQ(loaded->m_material, L"Ст3");
    EXPECT_EQ(loaded->m_thickness, 2.0);
    EXPECT_NEAR(loaded->m_area, figure->m_area, 1e-9);
    ExpectRectNear(loaded->m_rect, figure->m_rect);
    const NRect& rc = loaded->m_rect;
    EXPECT_NEAR(loaded->m_rectArea, (rc.pTop.x - rc.pBot.x) * (rc.pTop.y - rc.pBot.y), 1e-9);
}

// The cut length is the outline's (300 around the plate, 80 around its hole),
// as measured when it was read, not that of the wider gap polygons; a record
// without one is measured on its outline rings.
TEST_F(FigureRecordStoreTest, CutLengthIsTheOutlinesAfterLoading)
{
    const FigurePtr figure = Plate();
    ASSERT_NEAR(figure->m_length, 380.0, 1e-6);
    for (const double stored : {380.0, 0.0, -1.0}) {
        SCOPED_TRACE(stored);
        figure->m_length = stored;
        figure->SaveParams();
        const FigurePtr loaded = Figure::Create(figure->m_macro);
        loaded->LoadParams();
        EXPECT_NEAR(loaded->m_length, 380.0, 1e-6);
    }
}

TEST_F(FigureRecordStoreTest, RecordSurvivesASaveAndReopenOfTheDrawing)
{
    const FigurePtr figure = Plate();
    figure->SetPlacement(300, 200, 90, false);
    figure->SaveParams();
    const std::wstring path = File("job.vdw");
    ASSERT_TRUE(doc->SaveAs(path));
    doc->Close(0);
    doc = nullptr;
    ASSERT_TRUE(application->GetDocuments()->Open(path, true, 0));

    NestingModel model;
    model.InitFiguresFromActiveDoc(nullptr);
    ASSERT_EQ(model.m_figures.size(), 1u);
    const Figure& loaded = *model.m_figures[0];
    EXPECT_TRUE(loaded.m_edit);
    ExpectSameLists(*figure, loaded);
    ExpectInStepWithMacro(loaded);
    EXPECT_EQ(loaded.m_count, 3);
    ASSERT_EQ(loaded.m_sourceTextParams.size(), 1u);
    EXPECT_EQ(loaded.m_material, L"Ст3");
}

TEST_F(FigureRecordStoreTest, RecordWithoutTextsKeepsTheFiguresTextHeights)
{
    const FigurePtr figure = Plate();
    figure->m_sourceTextParams.clear();
    figure->SaveParams();
    const FigurePtr loaded = Figure::Create(figure->m_macro);
    loaded->m_sourceTextParams = {{3.5}, {7.0}};
    loaded->LoadParams();
    ASSERT_EQ(loaded->m_sourceTextParams.size(), 2u);
    EXPECT_EQ(loaded->m_sourceTextParams[1].height, 7.0);
    EXPECT_EQ(loaded->m_borders.size(), 2u);
}

TEST_F(FigureRecordStoreTest, CorruptRecordIsRefusedWithAMessageAndChangesNothing)
{
    const FigurePtr figure = Plate();
    figure->SaveParams();
    ByteBlock block = StoredBlock(*figure);
    WriteAt<uint32_t>(block, 236, 1000000);  // the outline list claims far more polygons than stored
    figure->m_macro->SaveMacroParams(block);

    Messages().clear();
    figure->m_name = L"Before";
    figure->LoadParams();
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(figure->m_name, L"Before");
    EXPECT_EQ(figure->m_borders.size(), 2u);
    EXPECT_EQ(figure->m_poligons.size(), 2u);
}

TEST_F(FigureRecordStoreTest, MacroWithoutRecordLeavesAFigureWithoutPolygons)
{
    const FigurePtr figure = Plate();
    figure->m_macro->SaveMacroParams({});
    figure->m_name = L"Before";
    figure->LoadParams();
    EXPECT_TRUE(figure->m_borders.empty());
    EXPECT_TRUE(figure->m_poligons.empty());
    EXPECT_TRUE(figure->m_controls.empty());
    EXPECT_EQ(figure->m_name, L"Before");

    const FigurePtr bare = Figure::Create(nullptr);
    bare->SaveParams();  // nothing to write to
    bare->LoadParams();
    EXPECT_TRUE(bare->m_borders.empty());
}

}  // namespace
}  // namespace figuretest
