// The source-data command (ids 2 and 101): where the user prepares a nesting
// job. One panel serves both nesting kinds of the drawing's model: figure
// nesting (figures loaded from files with their copy count, thickness and
// material, uniting and orientation options, sheets, gaps and labels) and
// linear nesting (a list of details, its import from a list file, the
// calculation of cutting patterns, their drawing and register). The figure
// and sheet work goes through ReadContoursEditor, the linear work through
// LinearNestingEditor; both share one model.
//
// Every handler changes the model or the command's own state and then calls
// UpdateControls, which rebuilds the whole panel, shows and hides controls by
// the nesting kind, and sets the prompt.
#pragma once

#include "shell/BaseProcess.h"
#include "shell/LinearNestingEditor.h"
#include "shell/ListObiects.h"
#include "shell/ReadContoursEditor.h"

#include <string>

enum FigureSortType : int32_t {
    sortByName = 0,
    sortByAreaIncrease = 1,
    sortByAreaDecrease = 2,
};

class ReadContoursProcess : public BaseProcess {
public:
    explicit ReadContoursProcess(ModelFactory factory = &CreateNestingModelInstance) : m_factory(factory) {}
    // Takes every control, both models, the lists and the figure list over:
    // the moved-from command holds and releases none of them.
    ReadContoursProcess(ReadContoursProcess&&) = default;
    ~ReadContoursProcess() override = default;

    // The model from the drawing; without one, a message (the starter then
    // stops the command).
    void Init() override;
    void CreateControls() override;
    void UpdateControls() override;
    std::wstring GetCaption() const override;
    bool CallBackCursor(double x, double y, double angle, bool dynamic) override;
    bool TakesClicks() const override { return true; }
    bool OnButtonClick(int buttonId) override;
    void OnChangeControlValue(vlapi::IPropertyControlPtr ctrl) override;
    void OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId) override;
    void OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select) override;
    void OnStopProcess() override {}
    void KeepSession(CommandSnapshot& snapshot) override;

    bool HasModel() const { return static_cast<bool>(m_editor.m_model); }

    ReadContoursEditor m_editor;
    LinearNestingEditor m_LNEditor;
    vlapi::IPropertyListPtr m_listMethods;
    vlapi::IPropertyGridPtr m_gridLNDetails;
    vlapi::IPropertyToolBarPtr m_gridBarDetails;
    vlapi::IPropertyEditPtr m_editMinWaste;
    vlapi::IPropertyTextButtonPtr m_buttRunLN;
    vlapi::IPropertyTextButtonPtr m_buttReportLN;
    vlapi::IPropertyCheckBoxPtr m_checkVisualLN;
    vlapi::IPropertyGridPtr m_gridResultLN;
    vlapi::IPropertyToolBarPtr m_gridBarResult;
    ListObiects m_listFigures;
    vlapi::IPropertyTextButtonPtr m_openFigures;
    vlapi::IPropertyToolBarPtr m_toolBar;
    vlapi::IPropertyEditPtr m_countFigures;
    vlapi::IPropertyEditPtr m_thicknessFigure;
    vlapi::IPropertyEditPtr m_materialFigure;
    vlapi::IPropertyCheckBoxPtr m_uniteFigures;
    vlapi::IPropertyCheckBoxPtr m_uniteMirrors;
    vlapi::IPropertyCheckBoxPtr m_checkOrient;
    vlapi::IPropertyTabPtr tab2;
    vlapi::IPropertyCheckBoxPtr m_typeSheet;  // never made
    vlapi::IPropertyEditPtr m_widthSheet;
    vlapi::IPropertyEditPtr m_heightSheet;
    vlapi::IPropertyEditPtr m_thicknessSheet;
    vlapi::IPropertyEditPtr m_editNameSheet;
    vlapi::IPropertyEditPtr m_materialSheet;
    vlapi::IPropertyTextButtonPtr m_openSheet;
    vlapi::IPropertyEditPtr m_fileSheet;
    vlapi::IPropertyEditListPtr m_listSheets;
    vlapi::IPropertyEditPtr m_gapFigures;
    vlapi::IPropertyEditPtr m_gapSheet;
    vlapi::IPropertyCheckBoxPtr m_hideText;
    vlapi::IPropertyEditPtr m_sizeText;
    bool m_loading = false;
    bool m_updateGaps = false;
    FigureSortType m_sortType = sortByAreaDecrease;

    // The sheet file last loaded, kept from one run to the next.
    inline static std::wstring m_pathSheet;
    inline static std::wstring m_pathFigures;

private:
    bool Linear() const;
    void StartBars();
    void UpdateDetailsGrid();
    void UpdateResultsGrid();
    void UpdateSelectionEdits(bool linear);
    void UpdateSheetList(bool figureMode);
    void ChangeDetail();
    void Refresh();
    void RedrawAndRefresh();
    void ClearSelection();
    // Panel commands (OnControlCommand).
    void LoadFigures();
    void AddDetail();
    void ImportDetails();
    void DeleteDetail();
    void DeleteSheets();
    void LoadSheet();
    void FigureListCommand(int buttonId);

    ModelFactory m_factory = &CreateNestingModelInstance;
};
