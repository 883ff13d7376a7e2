// The model's figures kept in step with its parameters: order, views,
// copies of a part, label heights, thickness property, colouring layer and
// drawing scale.
#include "model/NestingModel.h"
#include "host/NestingResources.h"

#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cwchar>

// ---- Order

void NestingModel::SortFiguresByNames()
{
    std::stable_sort(m_figures.begin(), m_figures.end(),
                     [](const FigurePtr& a, const FigurePtr& b) { return a->m_name < b->m_name; });
}

void NestingModel::SortFiguresByAreasIncrease()
{
    std::stable_sort(m_figures.begin(), m_figures.end(),
                     [](const FigurePtr& a, const FigurePtr& b) { return a->m_rectArea < b->m_rectArea; });
}

void NestingModel::GetCompoundFigures(std::vector<FigurePtr>& figures) const
{
    for (const FigurePtr& figure : m_figures) {
        if (figure->m_objectType == NestingObjectType::CompoundFigure && figure->m_choose)
            figures.push_back(figure);
    }
}

// ---- Views

void NestingModel::MoveFiguresToContainer()
{
    if (m_figures.empty())
        return;
    const int view = vrnApi::CreateContainerView(m_widthSheet, m_heightSheet);
    for (const FigurePtr& figure : m_figures) {
        figure->ChangeView(view, false);
        figure->m_owner.reset();
    }
}

void NestingModel::MoveFiguresToSysView()
{
    const int view = vrnApi::GetSystemView();
    for (const FigurePtr& figure : m_figures)
        figure->ChangeView(view, true);
}

// ---- Copies of one part

void NestingModel::CopyFiguresByName(const std::wstring& name, size_t count)
{
    std::vector<FigurePtr> figures;
    GetFiguresByName(figures, name);
    if (figures.empty())
        return;
    const FigurePtr first = figures.front();
    for (size_t i = figures.size(); i < count; ++i) {
        if (first->m_macro)
            first->m_macro->SetCurrentMacroView();
        FigurePtr copy = first->CreateCopy();
        if (!copy)
            continue;
        copy->m_edit = false;
        copy->SaveParams();
        m_figures.push_back(std::move(copy));
    }
    if (count < figures.size()) {
        const std::vector<FigurePtr> surplus(figures.begin() + static_cast<std::ptrdiff_t>(count), figures.end());
        for (const FigurePtr& figure : surplus)
            figure->m_edit = false;
        RemFigures(surplus);
    }
    vrnApi::SetActiveSysLayer(first->m_macro ? first->m_macro->GetMacroViewNumber() : -1);
}

// ---- Texts, property, colouring, scale

void NestingModel::UpdateHideText()
{
    vrnApi::ShowHideText(m_hideText);
}

void NestingModel::UpdateSizeText(bool offset)
{
    for (const FigurePtr& figure : m_figures)
        figure->UpdateSizeText(m_textSize, offset);
    for (const WastePtr& waste : m_wastes) {
        if (waste->m_macro)
            waste->m_macro->SetFontParams({FontParams{m_textSize}}, false, false);
    }
}

void NestingModel::UpdateFiguresProperty()
{
    const std::wstring name = vrnApi::LoadStr(IDS_THICKNESS);
    for (const FigurePtr& figure : m_figures) {
        if (figure->m_macro)
            figure->m_macro->SetPropertyMacro(name, figure->m_thickness);
    }
}

void NestingModel::ShowHideColouring(bool show)
{
    vrnApi::ShowHideLayer(vrnApi::LoadStr(IDS_COLORING), !show);
}

void NestingModel::GetStringScale(std::wstring& text) const
{
    text = uf::NumberText(m_scale1) + L":" + uf::NumberText(m_scale2);
}

void NestingModel::SetStringScale(const std::wstring& text)
{
    if (!uf::GetScaleFromString(text, m_scale1, m_scale2))
        return;
    ArrangeFiguresInContainer(true, true);
}
