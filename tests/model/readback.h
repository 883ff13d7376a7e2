// A model in memory against the same drawing read back by a fresh model, as
// the next command would read it.
#pragma once

#include "figure_fixture.h"

#include "model/NestingModel.h"

#include <vector>

namespace readback {

template <class T>
std::shared_ptr<T> ByReference(const std::vector<std::shared_ptr<T>>& list, reference ref)
{
    for (const std::shared_ptr<T>& object : list) {
        if (object->GetReference() == ref)
            return object;
    }
    return nullptr;
}

inline void ExpectSameLists(const VectorPolygon& read, const VectorPolygon& memory, const std::wstring& name)
{
    ASSERT_EQ(read.size(), memory.size()) << name;
    for (size_t i = 0; i < read.size(); ++i)
        figuretest::ExpectSameVertices(*read[i], *memory[i], 1e-6);
}

inline void ExpectSameFigure(const Figure& read, const Figure& memory)
{
    EXPECT_EQ(read.m_name, memory.m_name);
    EXPECT_EQ(read.m_objectType, memory.m_objectType) << memory.m_name;
    EXPECT_EQ(read.m_symmetry, memory.m_symmetry) << memory.m_name;
    EXPECT_EQ(read.m_child, memory.m_child) << memory.m_name;
    EXPECT_NEAR(read.m_thickness, memory.m_thickness, 1e-9) << memory.m_name;
    EXPECT_EQ(read.m_material, memory.m_material) << memory.m_name;
    EXPECT_NEAR(read.m_gap, memory.m_gap, 1e-9) << memory.m_name;
    EXPECT_NEAR(read.m_area, memory.m_area, 1e-6) << memory.m_name;
    ExpectSameLists(read.m_borders, memory.m_borders, memory.m_name);
    ExpectSameLists(read.m_poligons, memory.m_poligons, memory.m_name);
    ExpectSameLists(read.m_controls, memory.m_controls, memory.m_name);
}

inline void ExpectSameWaste(const Waste& read, const Waste& memory)
{
    EXPECT_EQ(read.m_name, memory.m_name);
    EXPECT_EQ(read.m_rectform, memory.m_rectform) << memory.m_name;
    EXPECT_NEAR(read.m_width, memory.m_width, 1e-9) << memory.m_name;
    EXPECT_NEAR(read.m_height, memory.m_height, 1e-9) << memory.m_name;
    EXPECT_EQ(read.m_method, memory.m_method) << memory.m_name;
    EXPECT_EQ(read.m_ownerRef, memory.m_ownerRef) << memory.m_name;
    ExpectSameLists(read.m_polygons, memory.m_polygons, memory.m_name);
}

// The pages of the active drawing, in order.
inline std::vector<vlapi::ILayoutSheetPtr> Pages()
{
    std::vector<vlapi::ILayoutSheetPtr> pages;
    const vlapi::ILayoutSheetsPtr sheets = vrnApi::GetActiveDocument2D()->GetLayoutSheets();
    for (int i = 0; i < sheets->GetCount(); ++i)
        pages.push_back(sheets->GetItem(i));
    return pages;
}

// The drawing still has the same pages in the same order.
inline void ExpectSamePages(const std::vector<vlapi::ILayoutSheetPtr>& before)
{
    const std::vector<vlapi::ILayoutSheetPtr> now = Pages();
    ASSERT_EQ(now.size(), before.size());
    for (size_t i = 0; i < now.size(); ++i)
        EXPECT_TRUE(hostAccess::SameObject(now[i], before[i])) << "page " << i;
}

// A fresh model reads from the active drawing the sheets, figures (members of
// compounds included) and remnants that `memory` holds, and nothing else.
inline void ExpectDrawingReadsBackAs(const NestingModel& memory)
{
    NestingModel read;
    read.InitSheetsFromActiveDoc();
    read.InitFiguresFromActiveDoc(nullptr);
    read.InitWastesFromActiveDoc();

    ASSERT_EQ(read.m_sheets.size(), memory.m_sheets.size());
    for (size_t i = 0; i < read.m_sheets.size(); ++i) {
        const Sheet& sheet = *memory.m_sheets[i];
        EXPECT_EQ(read.m_sheets[i]->GetReference(), sheet.GetReference());
        EXPECT_EQ(read.m_sheets[i]->m_name, sheet.m_name);
        figuretest::ExpectRectNear(read.m_sheets[i]->m_rect, sheet.m_rect);
    }
    ASSERT_EQ(read.m_figures.size(), memory.m_figures.size());
    for (const FigurePtr& figure : memory.m_figures) {
        const FigurePtr found = ByReference(read.m_figures, figure->GetReference());
        ASSERT_TRUE(found) << figure->m_name;
        ExpectSameFigure(*found, *figure);
        const auto* compound = dynamic_cast<const CompoundFigure*>(figure.get());
        const auto* readCompound = dynamic_cast<const CompoundFigure*>(found.get());
        ASSERT_EQ(compound != nullptr, readCompound != nullptr) << figure->m_name;
        if (!compound)
            continue;
        ASSERT_EQ(readCompound->m_figures.size(), compound->m_figures.size());
        for (size_t k = 0; k < compound->m_figures.size(); ++k)
            ExpectSameFigure(*readCompound->m_figures[k], *compound->m_figures[k]);
    }
    ASSERT_EQ(read.m_wastes.size(), memory.m_wastes.size());
    for (const WastePtr& waste : memory.m_wastes) {
        const WastePtr found = ByReference(read.m_wastes, waste->GetReference());
        ASSERT_TRUE(found) << waste->m_name;
        ExpectSameWaste(*found, *waste);
    }
    read.m_wastes.clear();
    read.m_figures.clear();
    read.m_sheets.clear();
}

}  // namespace readback
