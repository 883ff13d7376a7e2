#include "engine/CommandsWithoutPanel.h"

#include "host/VarnelAPI.h"
#include "model/NestingModel.h"
#include "model/ProgressIndicator.h"

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

// The figure of `macro` taken into the system view and placed again in the
// sheet under it, among the figures around it.
void PlaceAgain(NestingModel& model, const INestingMacroObjectPtr& macro) {
    FigurePtr figure = Figure::Create(macro);
    figure->ChangeView(vrnApi::SetActiveSystemView(), true);
    figure->LoadParams();
    // The figure's own macro is skipped: ChangeView noted it as the dragged one.
    model.InitFiguresFromActiveDoc(figure);
    model.ReadFromConfig();
    model.SetAutoPlacementFigure(figure, NestingMode::AutoForOne);
}

void PlaceSelected(NestingModel& model) {
    model.CreateProgressIndicator();
    model.InitSheetsFromActiveDoc();
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetSelectedMacrosFromActiveDoc(MacroCommand::Figure, macros);
    ProgressIndicator::Create().SetValue(0.0);
    for (size_t done = 0; done < macros.size(); ++done) {
        PlaceAgain(model, macros[done]);
        ProgressIndicator::Create().SetValue(static_cast<double>(done + 1) * 100.0 /
                                             static_cast<double>(macros.size()));
    }
    for (const INestingMacroObjectPtr& macro : macros) {
        macro->SelectMacro(true);
    }
    ReleaseLoaded(model);
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
    // Moving a macro makes the host issue this command again while it runs.
    static bool run = false;
    if (run) {
        return;
    }
    run = true;
    vrnApi::SetUndoContainer(true);
    NestingModel model;
    try {
        PlaceSelected(model);
    } catch (...) {
        // A command must not throw into the host; the drawing keeps what was done.
    }
    model.DeleteProgressIndicator();
    vrnApi::SetUndoContainer(false);
    run = false;
}
