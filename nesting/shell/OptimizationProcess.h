// The optimisation command (command 3): the panel from which the user runs the
// automatic placement of every figure of the active nesting drawing on its
// sheets. The user chooses the placement method and the rotation steps,
// presses the start button and reads, sheet by sheet, the sheet area, the
// figures' area, the utilisation and the cut length, the overall utilisation
// in a last totals row, and the time the run took.
//
// The placement runs synchronously inside the start button's event, through
// the command's own optimiser. Enter keeps the placement of the runs; Esc
// gives the drawing back as the command found it. The options live in a
// class-wide static: a later run of the command opens with the choices of the
// last run confirmed while the library stays loaded.
#pragma once

#include "api/INestingObjects.h"
#include "shell/BaseProcess.h"

class OptimizationProcess : public BaseProcess {
public:
    OptimizationProcess(bool pause, bool terminate) : m_pause(pause), m_terminate(terminate) {}

    void Init() override;
    void CreateControls() override;
    void UpdateControls() override;
    std::wstring GetCaption() const override;
    bool OnButtonClick(int buttonId) override;
    void OnChangeControlValue(vlapi::IPropertyControlPtr ctrl) override;
    void OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId) override;
    void KeepSession(CommandSnapshot& snapshot) override;

    // The options of the next run: by contours, without rotation, sheets added.
    static inline OptimizationParams m_params{1, RotationType::WithoutRotation, true};

protected:
    // The optimiser the command works with; a new one from the factory.
    virtual IOptimizerPtr CreateOptimizer() const;

private:
    // The rotation items the drawing offers: "0" and "180", and "90", "45"
    // and "горизонтально/вертикально" unless the material is oriented.
    std::vector<std::wstring> RotationItems();
    // A rotation kept from another drawing that this one does not offer
    // becomes "0".
    void FitRotation(size_t offered);
    void ShowResults();

    // Released in the reverse order, the optimiser last.
    IOptimizerPtr m_optimizer;
    bool m_pause = false;
    bool m_terminate = true;
    vlapi::IPropertyListPtr m_listMethods;
    vlapi::IPropertyTextButtonPtr m_runOptimization;
    vlapi::IPropertyTextButtonPtr m_pauseOptimization;
    vlapi::IPropertyTextButtonPtr m_stopOptimization;
    vlapi::IPropertyCheckBoxPtr m_addSheet;
    vlapi::IPropertyListPtr m_listRotate;
    vlapi::IPropertyGridPtr m_listReport;
    vlapi::IPropertyEditPtr m_textTime;
};
