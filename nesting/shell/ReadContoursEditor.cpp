#include "shell/ReadContoursEditor.h"

#include "api/NestingAPIObjects.h"
#include "geometry/UtilityFunctions.h"
#include "host/HostGuards.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/WorkingDrawing.h"
#include "shell/PanelControls.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace {

const wchar_t kEverySheet[] = L"Нельзя удалить все листы: в листах чертежа хранятся параметры раскроя";
const wchar_t kMismatchedMoved[] =
    L"Толщина или материал деталей не совпадает с листом: детали убраны с листов в контейнер";

// Lines named one by one; the rest are counted, so that the message fits a screen.
constexpr size_t kShownLines = 20;

// "\nname — n шт.: why" for each name and why, in the order they first come.
std::wstring CountedNames(const std::vector<std::pair<std::wstring, std::wstring>>& names)
{
    std::vector<std::pair<std::pair<std::wstring, std::wstring>, int>> counted;
    for (const auto& name : names) {
        const auto it = std::find_if(counted.begin(), counted.end(), [&](const auto& c) { return c.first == name; });
        if (it != counted.end())
            ++it->second;
        else
            counted.emplace_back(name, 1);
    }
    std::wstring text;
    int rest = 0;
    for (size_t i = 0; i < counted.size(); ++i) {
        const auto& [name, why] = counted[i].first;
        if (i < kShownLines)
            text += L"\n" + name + L" — " + std::to_wstring(counted[i].second) + L" шт." +
                    (why.empty() ? L"" : L": " + why);
        else
            rest += counted[i].second;
    }
    if (counted.size() > kShownLines)
        text += L"\n… и ещё " + std::to_wstring(counted.size() - kShownLines) + L" строк (" + std::to_wstring(rest) +
                L" шт.)";
    return text;
}

// What stands of a nesting: the parts on each sheet's view (a joined pair
// counts as its two parts, as the registers count them) and the remnants in
// each view.
struct Nesting {
    std::map<int, size_t> placed;
    std::map<int, size_t> remnants;
};

size_t Total(const std::map<int, size_t>& counts)
{
    size_t total = 0;
    for (const auto& [view, count] : counts)
        total += count;
    return total;
}

// How many `after` holds fewer than `before`, view by view.
size_t Fewer(const std::map<int, size_t>& before, const std::map<int, size_t>& after)
{
    size_t fewer = 0;
    for (const auto& [view, count] : before) {
        const auto it = after.find(view);
        const size_t now = it == after.end() ? 0 : it->second;
        fewer += count > now ? count - now : 0;
    }
    return fewer;
}

Nesting NestingOf(INestingModel& model)
{
    std::vector<INObjectPtr> sheets, figures, wastes;
    model.GetSheetObjects(sheets);
    model.GetFigureObjects(figures);
    model.GetWasteObjects(wastes);
    Nesting nesting;
    for (const INObjectPtr& figure : figures) {
        const int view = figure->GetView();
        if (std::none_of(sheets.begin(), sheets.end(), [view](const INObjectPtr& s) { return s->GetView() == view; }))
            continue;
        const FigurePtr parts = ModelObjectAs<Figure>(figure);
        nesting.placed[view] += parts ? PartsOf(parts).size() : 1;
    }
    for (const INObjectPtr& waste : wastes)
        ++nesting.remnants[waste->GetView()];
    return nesting;
}

// What an edit undid of the nesting that stood before it: the figures it
// took off the sheets (into the container, or deleted), the remnants it
// deleted, and those left on a sheet that lost parts, which no longer show
// its free area.
struct Undone {
    size_t parts = 0;
    size_t remnants = 0;
    size_t stale = 0;
    bool everything = false;  // no figure left on a sheet
};

Undone UndoneSince(INestingModel& model, const Nesting& before)
{
    const Nesting after = NestingOf(model);
    Undone undone{Fewer(before.placed, after.placed), Fewer(before.remnants, after.remnants), 0,
                  Total(after.placed) == 0};
    for (const auto& [view, count] : after.remnants) {
        const auto was = before.placed.find(view);
        const auto now = after.placed.find(view);
        if (was != before.placed.end() && (now == after.placed.end() || now->second < was->second))
            undone.stale += count;
    }
    return undone;
}

// `lead`: the clause's first word, "деловые" or "Деловые".
std::wstring StaleRemnants(size_t count, const wchar_t* lead = L"деловые")
{
    return lead + (L" отходы (" + std::to_wstring(count)) +
           L" шт.) построены для прежнего раскроя и устарели — постройте их заново";
}

// An edit that takes the figures off the sheets or deletes the remnants of
// the nesting that stood before it says so when it happens, and why; one
// that deletes figures from the sheets (`deleted`) only of the remnants.
void TellUndone(INestingModel& model, const Nesting& before, const std::wstring& why, bool deleted = false)
{
    const Undone undone = UndoneSince(model, before);
    std::vector<std::wstring> said;
    if (undone.parts > 0 && !deleted)
        said.push_back(std::wstring(undone.everything ? L"раскрой отменён, " : L"") +
                       L"детали убраны с листов в контейнер — " + std::to_wstring(undone.parts) + L" шт.");
    if (undone.remnants > 0)
        said.push_back(L"деловые отходы удалены — " + std::to_wstring(undone.remnants) + L" шт.");
    if (undone.stale > 0)
        said.push_back(StaleRemnants(undone.stale));
    if (said.empty())
        return;
    std::wstring text = why + L": ";
    for (size_t i = 0; i < said.size(); ++i)
        text += (i > 0 ? L"; " : L"") + said[i];
    vrnApi::ShowWarningText(text);
}

// Whether the model made the figure in this command (its edit mark is off): a
// compound figure only when every member is such a figure, so that a cancel
// never deletes a figure the drawing had.
bool MadeHere(const INObjectPtr& figure)
{
    const NObjectPtr object = ModelObjectOf(figure.get());
    if (!object || object->m_edit)
        return false;
    if (const auto compound = std::dynamic_pointer_cast<CompoundFigure>(object)) {
        return std::none_of(compound->m_figures.begin(), compound->m_figures.end(),
                            [](const FigurePtr& member) { return member && member->m_edit; });
    }
    return true;
}

// Applies `apply` to every selected figure; false without a model or a selection.
template <class Apply>
bool ForSelectedFigures(const INestingModelPtr& model, Apply apply)
{
    if (!model)
        return false;
    std::vector<IFigurePtr> selected;
    model->GetSelectedFigures(selected);
    for (const IFigurePtr& figure : selected)
        apply(figure);
    return !selected.empty();
}

// A change of the sheets' data shown in the result tables; false without a model.
template <class Edit>
bool EditResults(const INestingModelPtr& model, Edit edit)
{
    if (!model)
        return false;
    edit(*model.get());
    model->UpdateResultTables();
    return true;
}

}  // namespace

bool ReadContoursEditor::Init(ModelFactory factory)
{
    m_model = factory ? factory() : nullptr;
    if (!m_model)
        return false;
    m_model->InitSheetsFromActiveDoc();
    m_model->ReadFromConfig();
    if (m_model->GetSheetsCount() == 0) {
        m_model->AddSheet();
        m_model->UpdateResultTables();
    }
    m_model->InitFiguresFromActiveDoc();
    m_model->InitWastesFromActiveDoc();
    m_model->UpdateSheets();
    m_sourceParam = m_model->GetParams();
    m_startSize = {m_model->GetWidthSheet(), m_model->GetHeightSheet()};
    std::vector<INObjectPtr> figures;
    m_model->GetFigureObjects(figures);
    for (const INObjectPtr& object : figures) {
        if (const IFigurePtr figure = IFigurePtr(object))
            figure->InitChoose();
    }
    std::vector<INObjectPtr> sheets;
    m_model->GetSheetObjects(sheets);
    if (!sheets.empty())
        sheets.front()->SetCurrentView();
    return true;
}

// ---- Figures

bool ReadContoursEditor::SetCountFiguresCopies(int32_t count, bool unite)
{
    if (!m_model || count < 0)
        return false;
    std::vector<IFigurePtr> selected;
    m_model->GetSelectedFigures(selected);
    if (selected.empty())
        return false;
    const Nesting before = NestingOf(*m_model.get());
    {
        vrnApi::ScopedSwitch access(vrnApi::EnableUserAccess, false);
        m_model->MoveFiguresToSysView();
        m_model->SetAllFiguresInSourcePlacement();
        m_model->CopyFiguresByName(selected.front()->GetName(), static_cast<size_t>(count));
        if (unite) {
            m_model->CreateCompoundFigures();
            m_model->InitFigurePolygons();
        }
        m_model->RotateAllFiguresToMinGabarit();
        m_model->ArrangeFiguresInContainer(true, true);
    }
    TellUndone(*m_model.get(), before, L"Изменено количество деталей «" + selected.front()->GetName() + L"»");
    return true;
}

bool ReadContoursEditor::SetUniteFiguresOrMirrors(bool unite, bool mirrors)
{
    if (!m_model)
        return false;
    const Nesting before = NestingOf(*m_model.get());
    m_model->SetUniteFigures(unite);
    m_model->SetUniteMirrors(mirrors);
    m_model->MoveFiguresToSysView();
    m_model->DestroyCompoundFigures();
    m_model->SetAllFiguresInSourcePlacement();
    m_model->InitFigurePolygons();
    if (unite)
        m_model->CreateCompoundFigures();
    m_model->RotateAllFiguresToMinGabarit();
    m_model->ArrangeFiguresInContainer(true, true);
    TellUndone(*m_model.get(), before, L"Изменено объединение деталей");
    return true;
}

bool ReadContoursEditor::SetFiguresThickness(double thickness)
{
    return ForSelectedFigures(m_model, [&](const IFigurePtr& figure) { figure->SetThickness(thickness); });
}

bool ReadContoursEditor::SetFiguresMaterial(const std::wstring& material)
{
    return ForSelectedFigures(m_model, [&](const IFigurePtr& figure) { figure->SetMaterial(material); });
}

// ---- Sheets

bool ReadContoursEditor::SetSheetSize(double value, double (INestingModel::*get)(), NResult (INestingModel::*set)(double))
{
    if (!m_model)
        return false;
    INestingModel& model = *m_model.get();
    const double before = (model.*get)();
    const Nesting nesting = NestingOf(model);
    if ((model.*set)(value) != NResult::Done)
        return false;
    model.UpdateSheets();
    model.UpdateResultTables();
    const double now = (model.*get)();
    // A larger sheet keeps the parts where they stand; the remnants, which do
    // not reach its new edge, are said to be out of date once, on confirming.
    if (now < before) {
        model.ArrangeFiguresInContainer(true, true);
        TellUndone(model, nesting, L"Размер листа уменьшен");
    }
    return true;
}

void ReadContoursEditor::TellSheetResized()
{
    if (!m_model)
        return;
    INestingModel& model = *m_model.get();
    const size_t remnants = Total(NestingOf(model).remnants);
    std::wstring changes;
    bool smaller = false;
    const auto changed = [&](const wchar_t* what, double was, double now) {
        if (was == now)
            return;
        smaller = smaller || now < was;
        changes += (changes.empty() ? L"" : L", ") + std::wstring(what) + L" " + uf::NumberText(was) + L" → " +
                   uf::NumberText(now);
    };
    changed(L"длина", m_startSize.x, model.GetWidthSheet());
    changed(L"ширина", m_startSize.y, model.GetHeightSheet());
    if (changes.empty() || remnants == 0)
        return;
    vrnApi::ShowWarningText(std::wstring(smaller ? L"Размер листа изменён (" : L"Размер листа увеличен (") + changes +
                            L"): деловые отходы (" + std::to_wstring(remnants) +
                            L" шт.) построены для прежнего размера листа и устарели — постройте их заново");
}

bool ReadContoursEditor::SetWidthSheet(double width)
{
    return SetSheetSize(width, &INestingModel::GetWidthSheet, &INestingModel::SetWidthSheet);
}

bool ReadContoursEditor::SetHeightSheet(double height)
{
    return SetSheetSize(height, &INestingModel::GetHeightSheet, &INestingModel::SetHeightSheet);
}

bool ReadContoursEditor::SetSheetThickness(double thickness)
{
    return EditResults(m_model, [&](INestingModel& model) { model.SetThicknessSheet(thickness); });
}

bool ReadContoursEditor::SetSheetMaterial(const std::wstring& material)
{
    return EditResults(m_model, [&](INestingModel& model) { model.SetMaterialSheet(material); });
}

bool ReadContoursEditor::SetSheetPattern(const std::wstring& pattern)
{
    if (!m_model)
        return false;
    m_model->SetSheetPattern(pattern);
    std::vector<INObjectPtr> objects;
    m_model->GetSheetObjects(objects);
    int number = 0;
    for (const INObjectPtr& object : objects) {
        const ISheetPtr sheet(object);
        if (!sheet)
            continue;
        sheet->SetName(pattern + std::to_wstring(++number));
        sheet->UpdateName();
    }
    m_model->UpdateResultTables();
    return true;
}

bool ReadContoursEditor::SetTextHide(bool hide)
{
    if (!m_model)
        return false;
    m_model->SetHideText(hide);
    m_model->UpdateHideText();
    return true;
}

bool ReadContoursEditor::SetTextSize(double size)
{
    if (!m_model)
        return false;
    m_model->SetTextSize(size);
    m_model->UpdateSizeText(false);
    return true;
}

void ReadContoursEditor::AddSheet()
{
    if (!m_model)
        return;
    m_model->AddSheet();
    m_model->ArrangeSheets();
    m_model->UpdateResultTables();
}

bool ReadContoursEditor::DeleteSelectedSheets(const std::vector<INObjectPtr>& objects)
{
    if (!m_model)
        return false;
    std::vector<ISheetPtr> sheets;
    for (const INObjectPtr& object : objects) {
        if (const ISheetPtr sheet = ISheetPtr(object))
            sheets.push_back(sheet);
    }
    if (sheets.empty())
        return false;
    if (sheets.size() >= m_model->GetSheetsCount()) {
        vrnApi::ShowErrorText(kEverySheet);
        return false;
    }
    const Nesting before = NestingOf(*m_model.get());
    std::wstring why = sheets.size() == 1 ? L"Удалён лист" : L"Удалены листы";
    for (size_t i = 0; i < sheets.size(); ++i)
        why += (i == 0 ? L" «" : L", «") + sheets[i]->GetName() + L"»";
    for (const ISheetPtr& sheet : sheets)
        m_model->DelSheet(sheet);
    m_model->ArrangeSheets();
    TellUndone(*m_model.get(), before, why);
    return true;
}

void ReadContoursEditor::DeleteSelectedFigures(const std::vector<INObjectPtr>& objects)
{
    if (!m_model)
        return;
    const Nesting before = NestingOf(*m_model.get());
    // The library's own model reads the drawing's bridges once for all.
    if (auto* napi = dynamic_cast<NAPIModel*>(m_model.get())) {
        napi->DelFigures(objects);
    } else {
        for (const INObjectPtr& object : objects)
            m_model->DelFigure(IFigurePtr(object));
    }
    TellUndone(*m_model.get(), before, L"Удалены детали с листов", true);
}

bool ReadContoursEditor::ImportSheetFromFile(const std::wstring& path)
{
    if (!m_model)
        return false;
    const Nesting before = NestingOf(*m_model.get());
    if (!m_model->ImportSheetFromFile(path))
        return false;
    m_model->UpdateResultTables();
    TellUndone(*m_model.get(), before, L"Лист загружен из файла " + path);
    return true;
}

// ---- Loading figures

void ReadContoursEditor::LoadFigures(const std::vector<std::wstring>& files, bool unite)
{
    const int64_t start = uf::MeasureTimeMS();
    if (!m_model || files.empty())
        return;
    m_model->CreateProgressIndicator();
    if (!vrnApi::ProcessPendingEvents()) {
        m_model->DeleteProgressIndicator();  // the drawing closed meanwhile
        return;
    }

    std::vector<INObjectPtr> before;
    m_model->GetFigureObjects(before);
    std::wstring refused;  // the files no part came from, and why
    const int container = vrnApi::GetViewByName(vrnApi::LoadStr(IDS_DETAIL_CONTAINER));
    // The container's figures take part in the arrangement; the placed ones
    // leave the model for the load and keep their macros.
    for (const INObjectPtr& figure : before) {
        if (figure->GetView() != container)
            m_model->RemFigure(IFigurePtr(figure));
    }
    {
        vrnApi::ScopedSwitch rebuild(vrnApi::SetTreeRebuild, false);
        m_model->SetProgressIndicator(0.0);
        auto* napi = dynamic_cast<NAPIModel*>(m_model.get());
        for (size_t k = 0; k < files.size(); ++k) {
            std::wstring why;
            const IFigurePtr added = napi ? napi->AddFigure(files[k], why) : m_model->AddFigure(files[k]);
            if (!added)
                refused += L"\n" + files[k] + (why.empty() ? L"" : L": " + why);
            m_model->SetProgressIndicator(static_cast<double>(k + 1) * 100.0 / static_cast<double>(files.size()));
        }
        m_model->MoveFiguresToSysView();
        m_model->DestroyCompoundFigures();
        m_model->SetAllFiguresInSourcePlacement();
        m_model->InitFigurePolygons();
        if (unite)
            m_model->CreateCompoundFigures();
        m_model->RotateAllFiguresToMinGabarit();
        m_model->UpdateFiguresScale();
        m_model->ArrangeFiguresInContainer(true, false);
        m_model->UpdateSizeText(true);
        const bool hide = m_model->GetHideText();
        m_model->SetHideText(!hide);
        m_model->UpdateHideText();
        m_model->SetHideText(hide);
        m_model->UpdateHideText();
        // Reading the drawing again marks every figure as read from it: the
        // marks of this load's figures are taken before, by their macros.
        std::vector<INObjectPtr> loaded;
        m_model->GetFigureObjects(loaded);
        std::set<int> made;
        for (const INObjectPtr& figure : loaded) {
            if (MadeHere(figure))
                made.insert(figure->GetReference());
        }
        m_model->InitFiguresFromActiveDoc();
        m_model->CreateFigureColouring();
        loaded.clear();
        m_model->GetFigureObjects(loaded);
        for (const INObjectPtr& figure : loaded) {
            if (figure->GetView() == container && made.count(figure->GetReference()) != 0)
                figure->SetEdit(false);
        }
        if (before.empty()) {
            m_model->InitSheetThickness();
            m_model->InitSheetMaterial();
        }
        m_model->DeleteProgressIndicator();
    }
    const double seconds = static_cast<double>(uf::MeasureTimeMS() - start) * 1e-6;
    vrnApi::ShowInformText(panel::Format(L"Загрузка файлов завершена\n(затрачено %1.1f сек)", seconds));
    if (!refused.empty())
        vrnApi::ShowWarningText(L"Детали этих файлов не загружены:" + refused);
}

// ---- Confirmation

void ReadContoursEditor::UpdateGaps()
{
    if (!m_model)
        return;
    // Gaps typed back to what they were change nothing: the nesting stays.
    const double figureGap = m_model->GetFigureGap();
    const double sheetGap = m_model->GetSheetGap();
    std::wstring why;
    const auto changed = [&why](const wchar_t* what, double was, double now) {
        if (was != now)
            why += (why.empty() ? L"Изменён " : L", ") + std::wstring(what) + L" (" + uf::NumberText(was) + L" → " +
                   uf::NumberText(now) + L")";
    };
    changed(L"зазор между деталями", m_sourceParam.m_figureGap, figureGap);
    changed(L"зазор до края листа", m_sourceParam.m_sheetGap, sheetGap);
    if (why.empty())
        return;
    const Nesting before = NestingOf(*m_model.get());
    m_model->UpdateGaps();
    TellUndone(*m_model.get(), before, why);
}

ReadContoursEditor::FigureJob ReadContoursEditor::FigureJobOf()
{
    if (!m_model)
        return {};
    return {m_model->GetFiguresCount() != 0, m_model->GetWastesCount(), DrawingBridges(false)};
}

void ReadContoursEditor::DeleteRemnantsAndBridges()
{
    if (!m_model)
        return;
    DrawingBridges(true);
    std::vector<INObjectPtr> remnants;
    m_model->GetWasteObjects(remnants);
    for (const INObjectPtr& remnant : remnants)
        remnant->SetEdit(false);
    m_model->ClearWastes();
}

size_t ReadContoursEditor::DrawingBridges(bool remove)
{
    // The editor's model holds no bridges of its own: those read here go
    // with the call, their drawing objects kept unless deleted.
    m_model->InitJumpersFromActiveDoc();
    std::vector<INObjectPtr> bridges;
    m_model->GetJumperObjects(bridges);
    for (const INObjectPtr& bridge : bridges)
        bridge->SetEdit(!remove);
    m_model->ClearJumpers();
    return bridges.size();
}

void ReadContoursEditor::OK()
{
    if (!m_model)
        return;
    m_model->SaveSession();
    if (m_model->GetNestingMethod() != 0) {
        // The drawing keeps what its bars and stamps show: the method, the
        // bar's thickness and material changed since the last drawing.
        m_model->SaveParams();
        m_model->WriteToConfig();
        return;
    }
    std::vector<INObjectPtr> figures;
    m_model->GetFigureObjects(figures);
    for (const INObjectPtr& figure : figures)
        figure->SaveParams();
    m_model->SaveParams();
    // A part placed on a sheet of another thickness or material is not cut
    // from it: it goes back to the container, and the user is told which.
    const Nesting before = NestingOf(*m_model.get());
    const auto moved = m_model->MoveMismatchedFiguresToContainer();
    if (moved.empty())
        m_model->CheckIntersectAllFigures();
    m_model->UpdateResultTables();
    if (!moved.empty()) {
        // The remnants of the sheets they left no longer show the free area.
        const size_t stale = UndoneSince(*m_model.get(), before).stale;
        vrnApi::ShowWarningText(kMismatchedMoved + CountedNames(moved) +
                                (stale > 0 ? L"\n\n" + StaleRemnants(stale, L"Деловые") : L""));
    }
    m_model->WriteToConfig();
}
