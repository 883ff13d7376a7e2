// The import command (command 1): source parts from files outside the
// drawing, written as fragment files into an output folder, from which the
// source-data command takes them.
//
// Two modes, chosen in the panel:
//  - DXF files: each chosen file is converted into a fragment; a grid lists
//    the files with the count, thickness and material the reading gave them.
//  - A 3D assembly: its sheet-metal parts are unbent and listed by material
//    and thickness in a grid the user edits (name, designation, material,
//    thickness, count), with a preview; the parts are written as fragments
//    named by a file-name pattern and marked by a text pattern, in folders by
//    material and thickness when asked.
//
// The mode, the output folder, the assembly, the two patterns and the folder
// choice are class-wide: a later run, while the library stays loaded, opens
// with them as the last run confirmed them. Of the two pattern edits, the one that last took the focus
// receives the property words of the property list's add button.
#pragma once

#include "io/AssemblyReader.h"
#include "shell/BaseProcess.h"

#include <cstdint>
#include <string>
#include <vector>

class ImportProcess : public BaseProcess {
public:
    // Command ids of the part grid's tool bar (the paths shown: 3D files or
    // fragments) and of the property list's add button.
    static constexpr int kShowAssembly = 7101;
    static constexpr int kShowFragments = 7102;
    static constexpr int kAddProperty = 7201;

    void Init() override;
    void CreateControls() override;
    // Shows the class-wide choices, the file list and the parts, with the
    // controls of the chosen mode.
    void UpdateControls() override;
    std::wstring GetCaption() const override;
    // The command's own buttons do its work; confirm keeps the choices for
    // the next run, cancel ends it with the choices as they were; help
    // opens topic 2. True.
    bool OnButtonClick(int buttonId) override;
    void OnChangeControlValue(vlapi::IPropertyControlPtr ctrl) override;
    void OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId) override;
    void OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select) override;
    void OnEditFocus(const vlapi::IPropertyControlPtr& ctrl, bool set) override;
    void KeepSession(CommandSnapshot& snapshot) override;

    // The part grid refilled from the reader's parts.
    void UpdateGridControl();
    // The preview pointed at the file of the selected row.
    void UpdateSlide();

    // The name of a DXF file in the grid: its file name without the extension.
    static std::wstring BaseName(const std::wstring& path);

    static inline int32_t m_typeImport = 0;  // 0 DXF files, 1 a 3D assembly
    static inline bool m_createSubDirs = true;
    static inline std::wstring m_pathFolder;  // ends with a separator once chosen
    static inline std::wstring m_pathAssembly;
    static inline std::wstring m_namePattern = L"Наименование";
    static inline std::wstring m_textPattern = L"Наименование";

    // Released in the reverse order: the controls, the files, the reader.
    AssemblyReader m_reader;
    std::vector<FileMetaParams> m_fileParams;
    vlapi::IPropertyListPtr m_listTypeImport;
    vlapi::IPropertyEditListPtr m_listPreprocessors;
    vlapi::IPropertyGridPtr m_gridDXF;
    vlapi::IPropertyTextButtonPtr m_openFigures;
    vlapi::IPropertyToolBarPtr m_toolBar;
    vlapi::IPropertyEditCheckBoxPtr m_editPathFolder;
    vlapi::IPropertyEditCheckBoxPtr m_editPathAssembly;
    vlapi::IPropertyGridPtr m_gridFiles;
    vlapi::IPropertySlideBoxPtr m_slideParts;
    vlapi::IPropertyTextButtonPtr m_createFragments;
    vlapi::IPropertyTabPtr m_tab2;
    vlapi::IPropertyEditListPtr m_listProperties;
    vlapi::IPropertyEditPtr m_editNamePattern;
    vlapi::IPropertyCheckBoxPtr m_checkMarkEquilName;
    vlapi::IPropertyCheckBoxPtr m_checkCreateSubdirs;
    vlapi::IPropertyEditPtr m_editTextPattern;

private:
    void FillDxfGrid();
    void ApplyCellEdit();
    void ChooseOutputFolder();
    // False when no file was read (no refresh then).
    bool ReadDxfFiles();
    void ReadAssembly();
    // False when nothing was written (no refresh then).
    bool WriteFragments();
    // False when no word was added.
    bool AddPropertyWord();
};
