// The model's lists: adding, removing, finding and collecting objects.
#include "model/NestingModel.h"

#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <unordered_set>

namespace {

constexpr int kFigureCommand = static_cast<int>(MacroCommand::Figure);

template <class T>
std::shared_ptr<T> FindByRef(const std::vector<std::shared_ptr<T>>& list, int ref)
{
    if (ref == 0)
        return {};
    for (const std::shared_ptr<T>& object : list) {
        if (object->GetReference() == ref)
            return object;
    }
    return {};
}

template <class T>
void AppendChosen(const std::vector<std::shared_ptr<T>>& list, std::vector<std::shared_ptr<T>>& out)
{
    for (const std::shared_ptr<T>& object : list) {
        if (object->m_choose)
            out.push_back(object);
    }
}

template <class T, class Pred>
void AppendIf(const std::vector<std::shared_ptr<T>>& list, std::vector<std::shared_ptr<T>>& out, Pred pred)
{
    std::copy_if(list.begin(), list.end(), std::back_inserter(out), pred);
}

bool SameGroup(const Figure& a, const Figure& b)
{
    return a.m_name == b.m_name && std::fabs(a.m_thickness - b.m_thickness) < EPS &&
           a.m_material == b.m_material;
}

// The figure read from a new macro, or nothing when the macro holds no closed
// outline (the figure then has deleted its macro).
FigurePtr FigureWithOutline(INestingMacroObjectPtr macro)
{
    FigurePtr figure = Figure::Create(std::move(macro));
    figure->InitParams();
    if (figure->m_borders.empty())
        return {};
    return figure;
}

}  // namespace

NestingModel::NestingModel() = default;

NestingModel::~NestingModel()
{
    m_linearCutInfo.clear();
    m_result.sheet_results.clear();
    m_sheets.clear();
    m_wastes.clear();
    m_jumpers.clear();
    m_figures.clear();
    m_adapters.clear();
    m_sheetPattern.clear();
    m_lytPath.clear();
}

// ---- Figures

FigurePtr NestingModel::AddFigure(std::wstring path, std::wstring* why)
{
    const auto refuse = [why](std::wstring text) {
        if (why)
            *why = std::move(text);
        return FigurePtr{};
    };
    vrnApi::SetActiveSystemView();
    FileMetaParams params;
    params.m_path = std::move(path);
    INestingMacroObjectPtr macro = vrnApi::CreateMacroFromFile(params, kFigureCommand);
    if (!macro)
        return refuse(L"файл не прочитан");
    FigurePtr figure = FigureWithOutline(macro);
    if (!figure)
        return refuse(L"в файле нет замкнутого контура детали");
    // A thickness no part has (the figure's own setter refuses it), or a
    // count past what a model makes (it would fill the memory with copies).
    if (!(params.m_thickness >= 0.0 && params.m_thickness <= paramlimits::kThickness)) {
        figure->m_edit = false;
        figure->Clear();
        return refuse(L"толщина в файле " + uf::NumberText(params.m_thickness) + L" мм, а не от 0 до " +
                      uf::NumberText(paramlimits::kThickness) + L" мм");
    }
    if (params.m_count > paramlimits::kCopies) {
        figure->m_edit = false;
        figure->Clear();
        return refuse(L"в файле " + std::to_wstring(params.m_count) + L" шт., больше " +
                      std::to_wstring(static_cast<int64_t>(paramlimits::kCopies)) + L", сколько загружается за раз");
    }
    figure->SetThickness(params.m_thickness);
    figure->SetMaterial(params.m_material);
    figure->m_gap = m_figureGap;
    figure->m_count = params.m_count;
    figure->m_fileUnits = params.m_fileUnits;
    m_figures.push_back(figure);
    for (int32_t i = 1; i < params.m_count; ++i) {
        macro->SetCurrentMacroView();
        if (FigurePtr copy = figure->CreateCopy()) {
            copy->SaveParams();
            m_figures.push_back(std::move(copy));
        }
    }
    return figure;
}

FigurePtr NestingModel::AddLinNestFigure(LNDetailParams par, size_t count)
{
    INestingMacroObjectPtr macro = vrnApi::CreateMacroByRectangle(par.name, par.length, m_heightSheet, kFigureCommand);
    if (!macro)
        return {};
    FigurePtr figure = FigureWithOutline(macro);
    if (!figure)
        return {};
    macro->SetBorderStyle(1);
    figure->SetThickness(m_thicknessSheet);
    figure->SetMaterial(m_materialSheet);
    figure->m_gap = m_figureGap;
    figure->m_count = par.count;
    m_figures.push_back(figure);
    for (size_t i = 1; i < count; ++i) {
        if (FigurePtr copy = figure->CreateCopy()) {
            copy->m_macro->SetBorderStyle(1);
            m_figures.push_back(std::move(copy));
        }
    }
    return figure;
}

void NestingModel::RemFigure(FigurePtr& figure)
{
    if (!figure)
        return;
    const auto it = std::find(m_figures.begin(), m_figures.end(), figure);
    if (it == m_figures.end())
        return;
    const FigurePtr held = figure;
    if (!held->m_edit)
        DeleteBridgesOn({held});  // the figure's macro goes, and its bridges with it
    held->Clear();
    figure.reset();  // may be the list's own slot: emptied before the erase
    m_figures.erase(it);
}

void NestingModel::RemFigures(const std::vector<FigurePtr>& figures)
{
    std::unordered_set<const Figure*> listed;
    for (const FigurePtr& figure : m_figures)
        listed.insert(figure.get());
    std::vector<FigurePtr> gone;
    for (const FigurePtr& figure : figures) {
        if (figure && listed.erase(figure.get()) != 0)
            gone.push_back(figure);
    }
    if (gone.empty())
        return;
    std::vector<NObjectPtr> drawn;
    for (const FigurePtr& figure : gone) {
        if (!figure->m_edit)
            drawn.push_back(figure);
    }
    DeleteBridgesOn(drawn);  // their macros go, and their bridges with them
    for (const FigurePtr& figure : gone)
        figure->Clear();
    std::erase_if(m_figures, [&](const FigurePtr& figure) { return listed.count(figure.get()) == 0; });
}

void NestingModel::DelFigure(FigurePtr& figure)
{
    if (!figure)
        return;
    figure->m_edit = false;
    RemFigure(figure);
}

FigurePtr NestingModel::GetFigureByRef(int ref) const
{
    return FindByRef(m_figures, ref);
}

void NestingModel::GetFigureObjectsTree(std::vector<std::vector<FigurePtr>>& tree) const
{
    // Each figure joins the first group whose first figure it matches, or
    // starts a group; the groups of a name and material are looked up together.
    std::map<std::pair<std::wstring, std::wstring>, std::vector<size_t>> groups;
    for (const FigurePtr& figure : m_figures) {
        std::vector<size_t>& named = groups[{figure->m_name, figure->m_material}];
        const auto it = std::find_if(named.begin(), named.end(),
                                     [&](size_t g) { return SameGroup(*tree[g].front(), *figure); });
        if (it != named.end()) {
            tree[*it].push_back(figure);
        } else {
            named.push_back(tree.size());
            tree.push_back({figure});
        }
    }
}

void NestingModel::GetFiguresByName(std::vector<FigurePtr>& figures, const std::wstring& name) const
{
    AppendIf(m_figures, figures, [&](const FigurePtr& f) { return f->m_name == name; });
}

void NestingModel::GetFiguresByThickness(std::vector<FigurePtr>& figures, double thickness) const
{
    AppendIf(m_figures, figures, [&](const FigurePtr& f) { return std::fabs(f->m_thickness - thickness) < EPS; });
}

void NestingModel::GetRectangleFigures(std::vector<FigurePtr>& figures) const
{
    AppendIf(m_figures, figures, [](const FigurePtr& f) { return f->CheckRectangle(); });
}

// ---- Sheets

void NestingModel::DelSheet(SheetPtr sheet)
{
    if (!sheet)
        return;
    DeleteBridgesOn({sheet});
    // Its remnants go with it, from the model as from the drawing.
    std::vector<WastePtr> remnants;
    std::copy_if(m_wastes.begin(), m_wastes.end(), std::back_inserter(remnants), [&](const WastePtr& waste) {
        return waste->m_owner == sheet || (!waste->m_owner && sheet->GetView() > 0 && waste->GetView() == sheet->GetView());
    });
    for (WastePtr& waste : remnants)
        DelWaste(waste);
    const int container = vrnApi::CreateContainerView(m_widthSheet, m_heightSheet);
    for (const FigurePtr& figure : m_figures) {
        if (figure->m_owner == sheet) {
            figure->ChangeView(container, false);
            figure->m_owner.reset();
        }
    }
    FollowBridges();
    sheet->m_edit = false;
    sheet->Clear();
    const auto it = std::find(m_sheets.begin(), m_sheets.end(), sheet);
    if (it != m_sheets.end())
        m_sheets.erase(it);
}

// ---- Look-ups by reference and chosen objects

JumperPtr NestingModel::GetJumperByRef(int ref) const
{
    return FindByRef(m_jumpers, ref);
}

WastePtr NestingModel::GetWasteByRef(int ref) const
{
    return FindByRef(m_wastes, ref);
}

void NestingModel::GetSelectedSheets(std::vector<SheetPtr>& sheets) const
{
    AppendChosen(m_sheets, sheets);
}

void NestingModel::GetSelectedFigures(std::vector<FigurePtr>& figures) const
{
    AppendChosen(m_figures, figures);
}

void NestingModel::GetSelectedJumpers(std::vector<JumperPtr>& jumpers) const
{
    AppendChosen(m_jumpers, jumpers);
}

void NestingModel::GetSelectedWastes(std::vector<WastePtr>& wastes) const
{
    AppendChosen(m_wastes, wastes);
}
