#include "shell/ReadContoursEditor.h"

#include "geometry/UtilityFunctions.h"
#include "host/HostGuards.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "shell/PanelControls.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

const wchar_t kEverySheet[] = L"Нельзя удалить все листы: в листах чертежа хранятся параметры раскроя";

// The reference of the figure's macro and of the macros inside it (the
// members of a compound figure), which outlive the compound's rebuilding.
void CollectReferences(const INObjectPtr& figure, std::set<int>& references)
{
    const int reference = figure->GetReference();
    if (reference == 0)
        return;
    references.insert(reference);
    if (const INestingMacroObjectPtr macro = vrnApi::CreateMacroByReference(reference)) {
        std::vector<INestingMacroObjectPtr> members;
        macro->GetMacroObjectsFromMacro(members);
        for (const INestingMacroObjectPtr& member : members) {
            if (member)
                references.insert(member->GetReference());
        }
    }
}

bool Known(const INObjectPtr& figure, const std::set<int>& known)
{
    std::set<int> own;
    CollectReferences(figure, own);
    return std::any_of(own.begin(), own.end(), [&](int reference) { return known.count(reference) != 0; });
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
    return true;
}

bool ReadContoursEditor::SetUniteFiguresOrMirrors(bool unite, bool mirrors)
{
    if (!m_model)
        return false;
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
    return true;
}

bool ReadContoursEditor::SetFiguresThickness(double thickness)
{
    if (!m_model)
        return false;
    std::vector<IFigurePtr> selected;
    m_model->GetSelectedFigures(selected);
    for (const IFigurePtr& figure : selected)
        figure->SetThickness(thickness);
    return !selected.empty();
}

bool ReadContoursEditor::SetFiguresMaterial(const std::wstring& material)
{
    if (!m_model)
        return false;
    std::vector<IFigurePtr> selected;
    m_model->GetSelectedFigures(selected);
    for (const IFigurePtr& figure : selected)
        figure->SetMaterial(material);
    return !selected.empty();
}

// ---- Sheets

bool ReadContoursEditor::SetSheetSize(double value, double (INestingModel::*get)(), void (INestingModel::*set)(double))
{
    if (!m_model || !(value > 0.0) || !std::isfinite(value))
        return false;
    INestingModel& model = *m_model.get();
    const double before = (model.*get)();
    (model.*set)(value);
    model.UpdateSheets();
    model.UpdateResultTables();
    if ((model.*get)() < before)
        model.ArrangeFiguresInContainer(true, true);
    return true;
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
    if (!m_model)
        return false;
    m_model->SetThicknessSheet(thickness);
    m_model->UpdateResultTables();
    return true;
}

bool ReadContoursEditor::SetSheetMaterial(const std::wstring& material)
{
    if (!m_model)
        return false;
    m_model->SetMaterialSheet(material);
    m_model->UpdateResultTables();
    return true;
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
    for (const ISheetPtr& sheet : sheets)
        m_model->DelSheet(sheet);
    m_model->ArrangeSheets();
    return true;
}

void ReadContoursEditor::DeleteSelectedFigures(const std::vector<INObjectPtr>& objects)
{
    if (!m_model)
        return;
    for (const INObjectPtr& object : objects)
        m_model->DelFigure(IFigurePtr(object));
}

void ReadContoursEditor::ImportSheetFromFile(const std::wstring& path)
{
    if (m_model)
        m_model->ImportSheetFromFile(path);
}

// ---- Loading figures

void ReadContoursEditor::LoadFigures(const std::vector<std::wstring>& files, bool unite)
{
    const int64_t start = uf::MeasureTimeMS();
    if (!m_model || files.empty())
        return;
    m_model->CreateProgressIndicator();
    if (application)
        application->ProcessPendingEvents();

    std::vector<INObjectPtr> before;
    m_model->GetFigureObjects(before);
    const int container = vrnApi::GetViewByName(vrnApi::LoadStr(IDS_DETAIL_CONTAINER));
    // The container's figures take part in the arrangement; the placed ones
    // leave the model for the load and keep their macros.
    std::set<int> known;
    for (const INObjectPtr& figure : before) {
        CollectReferences(figure, known);
        if (figure->GetView() != container)
            m_model->RemFigure(IFigurePtr(figure));
    }
    {
        vrnApi::ScopedSwitch rebuild(vrnApi::SetTreeRebuild, false);
        m_model->SetProgressIndicator(0.0);
        for (size_t k = 0; k < files.size(); ++k) {
            m_model->AddFigure(files[k]);
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
        m_model->InitFiguresFromActiveDoc();
        m_model->CreateFigureColouring();

        std::vector<INObjectPtr> after;
        m_model->GetFigureObjects(after);
        for (const INObjectPtr& figure : after) {
            if (figure->GetView() == container && !Known(figure, known))
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
}

// ---- Confirmation and cancellation

void ReadContoursEditor::UpdateGaps()
{
    if (m_model)
        m_model->UpdateGaps();
}

void ReadContoursEditor::OK()
{
    if (!m_model)
        return;
    m_model->SaveSession();
    if (m_model->GetNestingMethod() != 0) {
        m_model->WriteToConfig();
        return;
    }
    std::vector<INObjectPtr> figures;
    m_model->GetFigureObjects(figures);
    for (const INObjectPtr& figure : figures)
        figure->SaveParams();
    m_model->SaveParams();
    m_model->CheckIntersectAllFigures();
    m_model->UpdateResultTables();
    m_model->WriteToConfig();
}

void ReadContoursEditor::Cancel()
{
    if (!m_model)
        return;
    m_model->SaveSession();
    m_model->SetTextSize(0.1);
    m_model->UpdateSizeText(false);
    m_model->SetParams(m_sourceParam);
    m_model->UpdateSheets();
    m_model->UpdateSizeText(false);
    m_model->UpdateHideText();
    m_model->ClearSheets();
    m_model->ClearFigures();
}
