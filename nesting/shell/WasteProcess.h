// The remnants command (ids 4 and 104): lists the drawing's usable remnants,
// selects all, the manual or the automatic ones, renames them, makes remnants
// by a click on a free point (manual method) or from the sheets' free area
// (automatic method), restricts them to rectangles of a minimum size, and
// sets the colour and visibility of the remnants' layer.
#pragma once

#include "shell/BaseProcess.h"
#include "shell/ListObiects.h"
#include "shell/ModelCommand.h"

#include <string>

class WasteProcess : public BaseProcess {
public:
    explicit WasteProcess(ModelFactory factory = &CreateNestingModelInstance);
    WasteProcess(WasteProcess&&) = default;
    ~WasteProcess() override = default;

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
    // An in-place rename of a row renames its remnant as the name edit does.
    void OnEndEditItem(const vlapi::IPropertyControlPtr& ctrl, int itemIndex) override;

    bool HasModel() const { return static_cast<bool>(m_model); }

    INestingModelPtr m_model;
    bool m_editmode = false;
    double m_minSize = 0.0;
    std::wstring m_layerName;
    ListObiects m_listWastes;
    vlapi::IPropertyToolBarPtr m_toolBar;
    vlapi::IPropertyListPtr m_listMethods;
    vlapi::IPropertyEditPtr m_editWaste;
    vlapi::IPropertyEditPtr m_editSize;
    vlapi::IPropertyTextButtonPtr m_buttCreate;
    vlapi::IPropertyCheckBoxPtr m_onlyRect;
    vlapi::IPropertyEditPtr m_editRectSize;
    vlapi::IPropertyColorPtr m_colorLayer;
    vlapi::IPropertyCheckBoxPtr m_hideWastes;

private:
    void Recalculate();
    // The selected remnants take the name, in the model and on their labels.
    void RenameSelected(const std::wstring& name);
    void Rename(const INObjectPtr& object, const std::wstring& name);
    void SelectByButton(int buttonId);
    void Refresh();

    ModelFactory m_factory = &CreateNestingModelInstance;
    // The remnants of the list's rows, row for row, as the last refresh listed them.
    std::vector<INObjectPtr> m_rows;
};
