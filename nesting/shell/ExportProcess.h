// The export command (command 6): a panel with the export folder, what to
// export (the nesting map, the sheets, the remnants, the sheets as one 3D
// document), the file format and the text options of the sheets and of the
// 3D document; its confirm button hands the choices to the exporter, which
// reads the active drawing and writes the files.
//
// The choices are class-wide: a later run, while the library stays loaded,
// opens with the choices of the run before (a cancelled run leaves them). The two text buttons at the side
// of the sheets box and of the 3D box are pairs in which at most one is
// pressed; they are off while their box is not ticked.
#pragma once

#include "api/INestingObjects.h"
#include "shell/BaseProcess.h"

#include <string>

class ExportProcess : public BaseProcess {
public:
    // The side buttons: source texts and contour texts of the 3D document and
    // of the sheets.
    static constexpr int kText3DSour = 7201;
    static constexpr int kText3DCont = 7202;
    static constexpr int kText2DSour = 7203;
    static constexpr int kText2DCont = 7204;

    void Init() override;
    void CreateControls() override;
    void UpdateControls() override;
    std::wstring GetCaption() const override;
    // Confirm exports and ends the command, but only when a folder is chosen
    // (else a warning, and the panel stays); help opens topic 7. True.
    bool OnButtonClick(int buttonId) override;
    void OnChangeControlValue(vlapi::IPropertyControlPtr ctrl) override;
    // The folder: 2 clears it, any other id asks for it (a cancelled dialog
    // keeps the folder); the side buttons flip within their pair.
    void OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId) override;
    // Confirm is on with a folder and something to export; the rest always.
    bool OnButtonUpdate(int buttonId, bool& enable, int& checked) override;
    void KeepSession(CommandSnapshot& snapshot) override;
    // Ended without Enter or Esc: the choices are kept, nothing is exported.
    void Confirm() override {}
    // Hands the choices and the folder to the exporter; false, with a
    // warning and nothing exported, without a folder.
    bool RunExport();

    static inline std::wstring m_folder;
    static inline ExportParams m_params;

    // Released in the reverse order, the exporter last.
    IExporterPtr m_exporter;
    vlapi::IPropertyEditCheckBoxPtr m_editFolder;
    vlapi::IPropertyCheckBoxPtr m_checkCard;
    vlapi::IPropertyCheckBoxPtr m_checkSheets;
    vlapi::IPropertyCheckBoxPtr m_checkWastes;
    vlapi::IPropertyListPtr m_listFormat;
    vlapi::IPropertyCheckBoxPtr m_checkM3D;
};
