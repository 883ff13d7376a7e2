// The model's parameters: the defaults or the session copy a model starts
// from, the 224-byte block written into every sheet macro and read back from
// the first one, and the sheet material as the drawing's property.
#include "sheet_fixture.h"

#include "model/ByteAccess.h"

namespace sheettest {
namespace {

class ModelParamsTest : public ModelHostTest {
protected:
    static ByteBlock Block(const Sheet& sheet) {
        ByteBlock block;
        sheet.m_macro->LoadMacroParams(block);
        return block;
    }
    static ByteBlock BlockOf(const ModelParams& params) {
        ByteBlock block;
        size_t offset = 0;
        params.SaveModelParams(block, offset);
        return block;
    }
};

}  // namespace

TEST_F(ModelParamsTest, EverySheetMacroCarriesTheSameBlockAndItsCount) {
    const SheetPtr first = AddSheet(0, 0);
    const SheetPtr second = AddSheet(3100, 0);
    model.m_figureGap = 3.0;
    model.m_wastesColor = 0x0000FF;
    second->m_count = 7.0;
    NestingModel::m_materialSheet = L"Ст3";
    model.SaveParams();

    const ByteBlock expected = BlockOf(model.GetParams());
    EXPECT_EQ(Block(*first), expected);
    EXPECT_EQ(Block(*second), expected);
    EXPECT_EQ(ReadAt<double>(Block(*second), 48), 3.0);
    EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), L"Ст3");
    double count = 0.0;
    second->m_macro->GetPropertyMacro(L"Count", count);
    EXPECT_EQ(count, 7.0);
}

TEST_F(ModelParamsTest, TheFirstSheetsBlockIsTheOneReadBack) {
    const SheetPtr first = AddSheet(0, 0, 2000, 1000);
    const SheetPtr second = AddSheet(2100, 0);
    ModelParams stored;
    stored.m_figureGap = 2.5;
    stored.m_nestingMethod = 1;
    stored.reserve1[3] = -4.0;  // reserves travel as they are
    stored.reserve3[12] = 0xEE;
    first->m_macro->SaveMacroParams(BlockOf(stored));
    ModelParams other;
    other.m_figureGap = 9.0;
    second->m_macro->SaveMacroParams(BlockOf(other));
    second->m_count = 3.0;
    second->SaveParams();
    second->m_count = 1.0;
    vrnApi::SetMaterialPropertyToDocument(L"09Г2С");

    model.LoadParams();
    EXPECT_EQ(BlockOf(model.GetParams()), BlockOf(stored));
    EXPECT_EQ(NestingModel::m_widthSheet, 2000.0);
    EXPECT_EQ(NestingModel::m_heightSheet, 1000.0);
    EXPECT_EQ(NestingModel::m_materialSheet, L"09Г2С");
    EXPECT_EQ(second->m_count, 3.0);

    model.SaveParams();
    EXPECT_EQ(Block(*second), BlockOf(stored));
}

TEST_F(ModelParamsTest, AModelWithoutSheetsWritesOnlyTheMaterialAndReadsNothing) {
    NestingModel::m_materialSheet = L"Ст3";
    model.SaveParams();
    EXPECT_EQ(vrnApi::GetMaterialPropertyFromDocument(), L"Ст3");

    vrnApi::SetMaterialPropertyToDocument(L"Другой");
    NestingModel::m_widthSheet = 1234.0;
    model.m_figureGap = 4.0;
    model.LoadParams();
    EXPECT_EQ(NestingModel::m_materialSheet, L"Ст3");
    EXPECT_EQ(NestingModel::m_widthSheet, 1234.0);
    EXPECT_EQ(model.m_figureGap, 4.0);
}

TEST_F(ModelParamsTest, AMissingShortOrCorruptBlockKeepsTheParameters) {
    const SheetPtr sheet = AddSheet(0, 0);
    model.m_figureGap = 4.0;
    model.LoadParams();  // nothing stored yet
    EXPECT_EQ(model.m_figureGap, 4.0);

    ModelParams stored;
    stored.m_figureGap = 1.0;
    ByteBlock shortBlock = BlockOf(stored);
    shortBlock.resize(100);
    sheet->m_macro->SaveMacroParams(shortBlock);
    model.LoadParams();
    EXPECT_EQ(model.m_figureGap, 4.0);

    ByteBlock corrupt = BlockOf(stored);
    corrupt[203] = 7;  // a flag that is neither 0 nor 1
    sheet->m_macro->SaveMacroParams(corrupt);
    model.LoadParams();
    EXPECT_EQ(model.m_figureGap, 4.0);

    ByteBlock longer = BlockOf(stored);
    longer.resize(300, 0xFF);  // what follows the block is not read
    sheet->m_macro->SaveMacroParams(longer);
    model.LoadParams();
    EXPECT_EQ(model.m_figureGap, 1.0);
}

TEST_F(ModelParamsTest, AFirstSheetWithoutOutlineKeepsTheCommonSheetSize) {
    const SheetPtr bare = Sheet::Create(SheetMacro(L"Лист", 3000, 1500));  // outline never read
    model.m_sheets.push_back(bare);
    NestingModel::m_widthSheet = 2000;
    NestingModel::m_heightSheet = 1000;
    model.LoadParams();
    EXPECT_EQ(NestingModel::m_widthSheet, 2000.0);
    EXPECT_EQ(NestingModel::m_heightSheet, 1000.0);
}

TEST_F(ModelParamsTest, ModelsStartFromTheSessionCopyOnceOneIsSaved) {
    NestingModel::m_session = false;
    model.m_figureGap = 3.0;
    model.Init();
    EXPECT_EQ(model.m_figureGap, 5.0);

    model.m_figureGap = 3.0;
    model.m_uniteFigures = false;
    model.SaveSession();
    NestingModel next;
    next.Init();
    EXPECT_EQ(next.m_figureGap, 3.0);
    EXPECT_FALSE(next.m_uniteFigures);

    model.m_figureGap = 8.0;  // the copy is the one taken at the time
    NestingModel later;
    later.Init();
    EXPECT_EQ(later.m_figureGap, 3.0);
}

TEST_F(ModelParamsTest, SetParamsTakesTheWholeBlock) {
    ModelParams params;
    params.m_sheetGap = 15.0;
    params.reserve2[7] = 42;
    model.SetParams(params);
    EXPECT_EQ(BlockOf(model.GetParams()), BlockOf(params));
}

}  // namespace sheettest
