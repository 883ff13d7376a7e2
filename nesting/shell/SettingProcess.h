// The settings command (id 8): the style library, sheet format and
// orientation of layout sheets, or, for sheets laid out without them, the
// arrangement of the sheet views. Every value lives in the command's working
// model until confirmation, which writes the configuration file and lays the
// drawing's sheets out again; cancellation writes nothing. Both end the
// command from inside its button handler.
#pragma once

#include "shell/BaseProcess.h"
#include "shell/ModelCommand.h"

#include <map>
#include <string>

class SettingProcess : public BaseProcess {
public:
    explicit SettingProcess(ModelFactory factory = &CreateNestingModelInstance) : m_factory(factory) {}
    SettingProcess(SettingProcess&&) = default;
    ~SettingProcess() override = default;

    void Init() override;
    void CreateControls() override;
    void UpdateControls() override;
    std::wstring GetCaption() const override;
    bool OnButtonClick(int buttonId) override;
    void OnChangeControlValue(vlapi::IPropertyControlPtr ctrl) override;
    void OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId) override;
    bool OnButtonUpdate(int buttonId, bool& enable, int& checked) override;
    void OnCheckItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool check) override;

    bool HasModel() const { return static_cast<bool>(m_model); }

    INestingModelPtr m_model;
    SheetSchemeParams m_schemeParams{true, 1, 3};
    vlapi::IPropertyEditPtr m_widthBridges;
    vlapi::IPropertyEditPtr m_lenthBridges;
    vlapi::IPropertyEditPtr m_tolerance;
    vlapi::IPropertyCheckBoxPtr m_checkLayout;
    vlapi::IPropertyEditCheckBoxPtr m_lytPath;
    vlapi::IPropertyListPtr m_sheetFormat;
    vlapi::IPropertyListPtr m_sheetOrient;
    vlapi::IPropertyListPtr m_listScheme;
    vlapi::IPropertyEditPtr m_editColumns;
    vlapi::IPropertyEditListPtr m_listAdapters;  // never made
    vlapi::IPropertyCheckBoxPtr m_testHodograph;  // never made
    std::map<std::wstring, bool> m_adapters;

private:
    vlapi::IPropertyEditPtr PathEdit() const;
    void Finish();

    ModelFactory m_factory = &CreateNestingModelInstance;
};
