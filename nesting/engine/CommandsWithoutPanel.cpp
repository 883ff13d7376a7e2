#include "engine/CommandsWithoutPanel.h"

#include "host/VarnelAPI.h"
#include "model/NestingModel.h"
#include "model/ProgressIndicator.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Drops the model's figures and sheets; every one was read from the drawing,
// so the drawing keeps its macros.
void ReleaseLoaded(NestingModel& model) {
    model.ClearFigures();
    model.ClearSheets();
}

void UpdateResults() {
    NestingModel model;
    model.InitSheetsFromActiveDoc();
    model.InitFiguresFromActiveDoc(nullptr);
    model.InitWastesFromActiveDoc();
    model.ReadFromConfig();
    model.CheckIntersectAllFigures(nullptr);
    model.UpdateResultTables(nullptr);
    model.UpdateSheets();
    ReleaseLoaded(model);
}

// The figure of `macro`, read as it stands.
FigurePtr ReadFigure(const INestingMacroObjectPtr& macro) {
    FigurePtr figure = Figure::Create(macro);
    figure->LoadParams();
    return figure;
}

// The figure taken into the system view and placed again in the sheet under
// it, among the figures around it, by `mode`: slid until it touches, or by
// the automatic rule. False when the rule found it no room there and it went
// to the container.
bool PlaceAgain(NestingModel& model, const FigurePtr& figure, NestingMode mode) {
    figure->ChangeView(vrnApi::SetActiveSystemView(), true);
    figure->LoadParams();
    // The figure's own macro is skipped: ChangeView noted it as the dragged one.
    model.InitFiguresFromActiveDoc(figure);
    model.ReadFromConfig();
    return model.SetAutoPlacementFigure(figure, mode);
}

// The first sheet that holds the figure.
SheetPtr SheetUnder(const NestingModel& model, const FigurePtr& figure) {
    for (const SheetPtr& sheet : model.m_sheets) {
        if (sheet->CheckContainFigureEx(figure, -SheetInset(model.m_figureGap, model.m_sheetGap))) {
            return sheet;
        }
    }
    return nullptr;
}

// Shifts a figure that juts out of its sheet back inside, clear of the
// sheet's edge by the edge gap, when it fits there; one that does not fit
// is left where it stands.
void BringInside(const NestingModel& model, const FigurePtr& figure, const Sheet& sheet) {
    if (sheet.GetView() != figure->GetView()) {
        return;
    }
    const double margin = SheetInset(model.m_figureGap, model.m_sheetGap);
    const NRect& rect = figure->m_rect;
    const NRect area{sheet.m_rect.pBot + NPoint{margin, margin}, sheet.m_rect.pTop - NPoint{margin, margin}};
    auto shift = [](double low, double high, double areaLow, double areaHigh, double& by) {
        if (high - low > areaHigh - areaLow) {
            return false;
        }
        by = std::max(0.0, areaLow - low) - std::max(0.0, high - areaHigh);
        return true;
    };
    double dx = 0.0;
    double dy = 0.0;
    if (shift(rect.pBot.x, rect.pTop.x, area.pBot.x, area.pTop.x, dx) &&
        shift(rect.pBot.y, rect.pTop.y, area.pBot.y, area.pTop.y, dy)) {
        figure->SetPlacement(dx, dy, 0.0, false);
    }
}

// The sheet of the figure's view that it stands on at least partly.
SheetPtr SheetPartlyUnder(const NestingModel& model, const FigurePtr& figure) {
    const NRect& rect = figure->m_rect;
    for (const SheetPtr& sheet : model.m_sheets) {
        const NRect& area = sheet->m_rect;
        if (sheet->GetView() == figure->GetView() && rect.pBot.x < area.pTop.x && area.pBot.x < rect.pTop.x &&
            rect.pBot.y < area.pTop.y && area.pBot.y < rect.pTop.y) {
            return sheet;
        }
    }
    return nullptr;
}

// Turns the figure by `angle` degrees about its placement point. A figure
// that stood on a sheet and juts out of it now, or that stands partly on the
// sheet of its view (turned by its handle, moved or turned with the host's
// own tools), is brought back inside when it fits there; one that left every
// sheet goes to the container when placed again.
void TurnOnItsSheet(const NestingModel& model, const FigurePtr& figure, double angle) {
    SheetPtr home = SheetUnder(model, figure);
    if (angle != 0.0) {
        figure->SetPlacement(0.0, 0.0, angle, false);
    }
    if (SheetUnder(model, figure)) {
        return;
    }
    if (!home) {
        home = SheetPartlyUnder(model, figure);
    }
    if (home) {
        BringInside(model, figure, *home);
    }
}

// A part moved onto a remnant, or into its gap, takes that stock: each such
// remnant leaves the drawing, the others are numbered again, and the user is
// told which went and under which part.
void DropCoveredWastes() {
    NestingModel model;
    model.InitSheetsFromActiveDoc();
    model.InitWastesFromActiveDoc();
    if (!model.m_wastes.empty()) {
        model.InitFiguresFromActiveDoc(nullptr);
        std::wstring dropped;
        const std::vector<WastePtr> free = model.FreeWastes(dropped);
        for (WastePtr waste : std::vector<WastePtr>(model.m_wastes)) {
            if (std::find(free.begin(), free.end(), waste) == free.end())
                model.DelWaste(waste);
        }
        if (!dropped.empty()) {
            model.UpdateWastesNames();
            vrnApi::ShowWarningText(L"Отходы, на которые поставлены детали (или в их зазор), больше не свободны и удалены:" +
                                    dropped);
        }
    }
    model.m_wastes.clear();
    ReleaseLoaded(model);
}

// The selected figures, turned by `angle` degrees first when it is not 0,
// placed again in their sheets; their bridges follow them.
void PlaceSelected(NestingModel& model, double angle) {
    model.CreateProgressIndicator();
    model.InitSheetsFromActiveDoc();
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetSelectedMacrosFromActiveDoc(MacroCommand::Figure, macros);
    std::vector<FigurePtr> figures;
    for (const INestingMacroObjectPtr& macro : macros) {
        figures.push_back(ReadFigure(macro));
    }
    model.HoldBridges(figures);
    for (const FigurePtr& figure : figures) {
        TurnOnItsSheet(model, figure, angle);
    }
    ProgressIndicator::Create().SetValue(0.0);
    std::wstring roomless;
    for (size_t done = 0; done < figures.size(); ++done) {
        if (!PlaceAgain(model, figures[done], NestingMode::AutoForOne)) {
            const Figure& figure = *figures[done];
            roomless += L"\n" + (figure.m_macro ? figure.m_macro->GetName() : figure.m_name);
        }
        ProgressIndicator::Create().SetValue(static_cast<double>(done + 1) * 100.0 /
                                             static_cast<double>(figures.size()));
    }
    model.FollowBridges();
    for (const INestingMacroObjectPtr& macro : macros) {
        macro->SelectMacro(true);
    }
    ReleaseLoaded(model);
    if (!roomless.empty()) {
        vrnApi::ShowWarningText(L"На листе нет свободного места, детали перенесены в контейнер:" + roomless);
    }
}

// A sheet stands with the lower-left corner of its outline at its view's
// origin, where the model keeps it (the sheet layout moves views, not sheet
// macros): a selected sheet moved with the host's own tools goes back there.
void PutSheetsBack() {
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetSelectedMacrosFromActiveDoc(MacroCommand::Sheet, macros);
    for (const INestingMacroObjectPtr& macro : macros) {
        VectorPolygon borders;
        macro->InitBordersFromMacro(borders);
        if (borders.empty() || !borders.front()) {
            continue;
        }
        borders.front()->UpdateGabarit();
        const NPoint corner = borders.front()->GetGabarit().pBot;
        if (std::fabs(corner.x) > EPS || std::fabs(corner.y) > EPS) {
            macro->SetMacroPlacement(-corner.x, -corner.y, 0.0, false);
        }
    }
}

// Command 300, or the keyboard's turn by `angle`: one undo step. Moving a
// macro makes the host issue command 300 again while one runs; that one does
// nothing.
void PlaceSelectedOnce(double angle) {
    static bool run = false;
    if (run) {
        return;
    }
    run = true;
    vrnApi::SetUndoContainer(true);
    NestingModel model;
    try {
        PutSheetsBack();
        PlaceSelected(model, angle);
        DropCoveredWastes();
    } catch (...) {
        // A command must not throw into the host; the drawing keeps what was done.
    }
    model.DeleteProgressIndicator();
    vrnApi::SetUndoContainer(false);
    run = false;
}

// The first selected drawing object, when it is a library figure macro.
INestingMacroObjectPtr SelectedFigureMacro() {
    const reference ref = vrnApi::GetFirstSelectedObj();
    if (ref == 0) {
        return nullptr;
    }
    INestingMacroObjectPtr macro = vrnApi::CreateMacroByReference(ref);
    if (!macro || !macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure)) {
        return nullptr;
    }
    return macro;
}

}  // namespace

void RunUpdateResults() {
    vrnApi::SetEnableUndo(false);
    try {
        UpdateResults();
    } catch (...) {
        // A command must not throw into the host; the drawing keeps what was done.
    }
    vrnApi::SetEnableUndo(true);
}

void RunAutoPlacementInSheet() {
    PlaceSelectedOnce(0.0);
}

void OffsetFigure(NestingMode mode) {
    const INestingMacroObjectPtr macro = SelectedFigureMacro();
    if (!macro) {
        return;
    }
    vrnApi::SetUndoContainer(true);
    {
        NestingModel model;
        try {
            model.InitSheetsFromActiveDoc();
            const FigurePtr figure = ReadFigure(macro);
            model.HoldBridges({figure});
            PlaceAgain(model, figure, mode);
            model.FollowBridges();
            ReleaseLoaded(model);
            DropCoveredWastes();
            if (figure->m_macro) {
                figure->m_macro->SelectMacro(true);
            }
        } catch (...) {
            // A key press must not throw into the host; the drawing keeps what was done.
        }
    }
    vrnApi::SetUndoContainer(false);
}

void RotateFigure(double angle) {
    if (vrnApi::GetFirstSelectedObj() == 0) {
        return;
    }
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetSelectedMacrosFromActiveDoc(MacroCommand::Figure, macros);
    if (macros.empty()) {
        return;
    }
    PlaceSelectedOnce(angle);
}
