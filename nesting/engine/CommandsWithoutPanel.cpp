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
// sheet under it, among the figures around it, by `mode`: slid until it
// touches, or by the automatic rule. The figure, on its macro as it now stands.
FigurePtr PlaceAgain(NestingModel& model, const INestingMacroObjectPtr& macro, NestingMode mode) {
    FigurePtr figure = Figure::Create(macro);
    figure->ChangeView(vrnApi::SetActiveSystemView(), true);
    figure->LoadParams();
    // The figure's own macro is skipped: ChangeView noted it as the dragged one.
    model.InitFiguresFromActiveDoc(figure);
    model.ReadFromConfig();
    model.SetAutoPlacementFigure(figure, mode);
    return figure;
}

void PlaceSelected(NestingModel& model) {
    model.CreateProgressIndicator();
    model.InitSheetsFromActiveDoc();
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetSelectedMacrosFromActiveDoc(MacroCommand::Figure, macros);
    ProgressIndicator::Create().SetValue(0.0);
    for (size_t done = 0; done < macros.size(); ++done) {
        PlaceAgain(model, macros[done], NestingMode::AutoForOne);
        ProgressIndicator::Create().SetValue(static_cast<double>(done + 1) * 100.0 /
                                             static_cast<double>(macros.size()));
    }
    for (const INestingMacroObjectPtr& macro : macros) {
        macro->SelectMacro(true);
    }
    ReleaseLoaded(model);
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
            const FigurePtr figure = PlaceAgain(model, macro, mode);
            ReleaseLoaded(model);
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
    vrnApi::SetUndoContainer(true);
    try {
        for (const INestingMacroObjectPtr& macro : macros) {
            Figure::Create(macro)->SetPlacement(0.0, 0.0, angle, false);
        }
    } catch (...) {
        // A key press must not throw into the host; the drawing keeps what was done.
    }
    RunAutoPlacementInSheet();
    vrnApi::SetUndoContainer(false);
}
