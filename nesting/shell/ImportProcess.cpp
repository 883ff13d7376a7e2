#include "shell/ImportProcess.h"

#include "geometry/UtilityFunctions.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "shell/Controls.h"
#include "shell/PanelControls.h"
#include "shell/Starters.h"

#include <filesystem>
#include <initializer_list>
#include <tuple>
#include <utility>

using namespace panel;

namespace {

constexpr int IDS_LOAD_DETAILS = 7102;
constexpr int IDS_MATERIAL = 7116;
constexpr int IDS_EXPORT_PATH = 7411;
constexpr int IDS_PREPROCESSORS_LIST = 7510;
constexpr int IDS_IMPORT_IMPORT = 7800;
constexpr int IDS_IMPORT_DXF = 7801;
constexpr int IDS_IMPORT_3D = 7802;
constexpr int IDS_IMPORT_TYPE = 7803;
constexpr int IDS_IMPORT_CADMATIC = 7804;
constexpr int IDS_IMPORT_PREPROCESS5 = 7808;
constexpr int IDS_IMPORT_PERCENT = 7809;
constexpr int IDS_IMPORT_NAME = 7810;
constexpr int IDS_IMPORT_COUNT = 7811;
constexpr int IDS_IMPORT_OPEN = 7812;
constexpr int IDS_IMPORT_CREATEFR = 7813;
constexpr int IDS_IMPORT_GROUPFR = 7814;
constexpr int IDS_IMPORT_DESIGNATION = 7815;
constexpr int IDS_IMPORT_SCAN = 7816;
constexpr int IDS_IMPORT_MATERIAL = 7817;
constexpr int IDS_IMPORT_THICKNESS = 7818;
constexpr int IDS_IMPORT_PATH = 7819;
constexpr int IDS_IMPORT_ASSEMBLY = 7820;
constexpr int IDS_IMPORT_FRAGMENTS = 7821;
constexpr int IDS_IMPORT_PARAMETERS = 7822;
constexpr int IDS_IMPORT_PROPLIST = 7823;
constexpr int IDS_IMPORT_PROPADD = 7824;
constexpr int IDS_IMPORT_TEMPLATEFILE = 7825;
constexpr int IDS_IMPORT_EQNAME = 7826;
constexpr int IDS_IMPORT_TEMPLATEFR = 7827;
constexpr int IDS_IMPORT_NOSCAN = 7828;
constexpr int IDS_IMPORT_FILEEXT = 7830;
constexpr int IDS_IMPORT_FILEFILTER = 7831;
constexpr int IDS_IMPORT_NOPREPROCESSOR = 7832;
constexpr int IDS_IMPORT_A3DFILEEXT = 7833;
constexpr int IDS_IMPORT_A3DFILEFILTER = 7834;
constexpr int IDS_IMPORT_NOFILETEMPLATE = 7835;

constexpr wchar_t kCaption[] = L"Импорт";
constexpr int kHelpTopic = 2;
// The host's icons of the tool-bar buttons and of the add button.
constexpr int kIconAssembly = 63247;
constexpr int kIconFragments = 59729;
constexpr int kIconAdd = 63236;
// The columns of the part grid the user edits, and the one of the paths.
constexpr int kColumnName = 1, kColumnMark = 2, kColumnMaterial = 4, kColumnThickness = 5, kColumnCount = 6;
constexpr int kColumnPath = 7;

struct Column {
    int caption;
    int width;
};

// A grid with its header row (row 0) and `rows` rows in all.
vlapi::IPropertyGridPtr AddGrid(const vlapi::IPropertyControlsPtr& controls, std::initializer_list<Column> columns,
                                int rows, int option)
{
    const auto grid = Add<vlapi::IPropertyGridPtr>(controls, vlapi::vlControlGrid);
    if (!grid)
        return grid;
    grid->SetColumnCount(static_cast<int>(columns.size()));
    grid->SetRowCount(rows);
    int c = 0;
    for (const Column& column : columns) {
        grid->SetCellText(0, c, Str(column.caption));
        grid->SetColumnWidth(c++, column.width);
    }
    grid->SetOption(option);
    return grid;
}

// An edit list of the texts of `ids`, its first item marked.
vlapi::IPropertyEditListPtr AddEditList(const vlapi::IPropertyControlsPtr& controls, int caption,
                                        const std::vector<int>& ids)
{
    const auto list = Add<vlapi::IPropertyEditListPtr>(controls, vlapi::vlControlEditList, Str(caption));
    if (!list)
        return list;
    for (int id : ids)
        list->AddItem(Str(id));
    list->SetOption(0);
    list->SetItemMarked(0, true);
    return list;
}

// The text of the first marked item of an edit list; empty for none.
std::wstring FirstMarked(const vlapi::IPropertyEditListPtr& list)
{
    const int count = list ? list->GetCount() : 0;
    for (int i = 0; i < count; ++i) {
        if (list->GetItemMarked(i))
            return list->GetItemText(i);
    }
    return {};
}

}  // namespace

void RunImportProcess()
{
    StartCommand<ImportProcess>();
}

std::wstring ImportProcess::BaseName(const std::wstring& path)
{
    return vrnApi::detail::TextOf(vrnApi::detail::PathOf(path).stem());
}

void ImportProcess::Init() {}

std::wstring ImportProcess::GetCaption() const
{
    return kCaption;
}

void ImportProcess::CreateControls()
{
    const vlapi::IPropertyControlsPtr controls = AddTab(m_procParam, Str(IDS_IMPORT_IMPORT));
    auto separator = [](const vlapi::IPropertyControlsPtr& to) {
        Add<vlapi::IPropertyControlPtr>(to, vlapi::vlControlSeparator);
    };

    m_editPathFolder = Add<vlapi::IPropertyEditCheckBoxPtr>(controls, vlapi::vlControlEditCheckBox);
    SetUpPathEdit(m_editPathFolder, Str(IDS_EXPORT_PATH));
    separator(controls);
    m_listTypeImport = AddList(controls, Str(IDS_IMPORT_TYPE), {Str(IDS_IMPORT_DXF), Str(IDS_IMPORT_3D)});
    separator(controls);
    std::vector<int> preprocessors;
    for (int id = IDS_IMPORT_CADMATIC; id <= IDS_IMPORT_PREPROCESS5; ++id)
        preprocessors.push_back(id);
    m_listPreprocessors = AddEditList(controls, IDS_PREPROCESSORS_LIST, preprocessors);
    Show(m_listPreprocessors, false);
    m_openFigures = Add<vlapi::IPropertyTextButtonPtr>(controls, vlapi::vlControlTextButton, Str(IDS_LOAD_DETAILS));
    separator(controls);
    m_gridDXF = AddGrid(controls,
                        {{IDS_IMPORT_PERCENT, 25}, {IDS_IMPORT_NAME, 150}, {IDS_IMPORT_COUNT, 50},
                         {IDS_THICKNESS, 100}, {IDS_MATERIAL, 150}},
                        4, 1);
    if (m_gridDXF) {
        m_gridDXF->SetOption(0);
        m_gridDXF->SetOption(1);
        m_gridDXF->Redraw();
    }
    m_editPathAssembly = Add<vlapi::IPropertyEditCheckBoxPtr>(controls, vlapi::vlControlEditCheckBox);
    SetUpPathEdit(m_editPathAssembly, Str(IDS_IMPORT_OPEN));
    separator(controls);
    m_createFragments = Add<vlapi::IPropertyTextButtonPtr>(controls, vlapi::vlControlTextButton, Str(IDS_IMPORT_CREATEFR));
    m_checkCreateSubdirs = AddCheckBox(controls, Str(IDS_IMPORT_GROUPFR));
    separator(controls);
    m_gridFiles = AddGrid(controls,
                          {{IDS_IMPORT_PERCENT, 25}, {IDS_IMPORT_NAME, 150}, {IDS_IMPORT_DESIGNATION, 100},
                           {IDS_IMPORT_SCAN, 100}, {IDS_IMPORT_MATERIAL, 150}, {IDS_IMPORT_THICKNESS, 100},
                           {IDS_IMPORT_COUNT, 75}, {IDS_IMPORT_PATH, 500}},
                          1, 0);
    m_toolBar = vlapi::IPropertyToolBarPtr(m_gridFiles);
    for (const auto& [id, icon, hint, pressed] : {std::tuple{kShowAssembly, kIconAssembly, IDS_IMPORT_ASSEMBLY, true},
                                                  std::tuple{kShowFragments, kIconFragments, IDS_IMPORT_FRAGMENTS, false}}) {
        AddButtonInToolBar(m_toolBar, id, icon, Str(hint), true, pressed, false);
        if (m_toolBar)
            m_toolBar->SetButtonOption(id, 1);
    }
    m_slideParts = Add<vlapi::IPropertySlideBoxPtr>(controls, vlapi::vlControlSlideBox);

    const vlapi::IPropertyControlsPtr parameters = AddTab(m_procParam, Str(IDS_IMPORT_PARAMETERS), &m_tab2);
    m_listProperties = AddEditList(parameters, IDS_IMPORT_PROPLIST,
                                   {IDS_IMPORT_NAME, IDS_IMPORT_DESIGNATION, IDS_IMPORT_MATERIAL, IDS_IMPORT_THICKNESS,
                                    IDS_IMPORT_COUNT});
    AddButtonInToolBar(vlapi::IPropertyToolBarPtr(m_listProperties), kAddProperty, kIconAdd, Str(IDS_IMPORT_PROPADD),
                       true, false, false);
    m_editNamePattern = Add<vlapi::IPropertyEditPtr>(parameters, vlapi::vlControlEditStr, Str(IDS_IMPORT_TEMPLATEFILE));
    if (m_editNamePattern)
        m_editNamePattern->SetMark(true);
    m_checkMarkEquilName = AddCheckBox(parameters, Str(IDS_IMPORT_EQNAME));
    m_editTextPattern = Add<vlapi::IPropertyEditPtr>(parameters, vlapi::vlControlEditStr, Str(IDS_IMPORT_TEMPLATEFR));
    if (m_editTextPattern)
        m_editTextPattern->SetMark(false);
    separator(controls);
}

void ImportProcess::UpdateControls()
{
    const bool dxf = m_typeImport == 0;
    SetCurrent(m_listTypeImport, m_typeImport);
    Show(m_listPreprocessors, false);
    Show(m_openFigures, dxf);
    Show(m_createFragments, !dxf);
    Show(m_checkCreateSubdirs, !dxf);
    Show(m_gridFiles, !dxf);
    Show(m_tab2, !dxf);
    SetPathText(m_editPathFolder, m_pathFolder);
    SetChecked(m_checkCreateSubdirs, m_createSubDirs);
    FillDxfGrid();
    Show(m_gridDXF, dxf && !m_fileParams.empty());
    SetPathText(m_editPathAssembly, m_reader.m_pathAssembly);
    Show(m_editPathAssembly, !dxf);
    UpdateGridControl();
    UpdateSlide();
    SetText(m_editNamePattern, m_namePattern);
    SetText(m_editTextPattern, m_textPattern);
    Show(m_editTextPattern, !Checked(m_checkMarkEquilName));
    Finish(m_process, kCaption);
}

void ImportProcess::FillDxfGrid()
{
    if (!m_gridDXF)
        return;
    m_gridDXF->SetRowCount(static_cast<int>(m_fileParams.size()) + 1);
    int row = 1;
    for (const FileMetaParams& file : m_fileParams) {
        const std::wstring cells[] = {std::to_wstring(row), BaseName(file.m_path), std::to_wstring(file.m_count),
                                      Format(L"%1.2f", file.m_thickness), file.m_material};
        for (int c = 0; c < 5; ++c)
            m_gridDXF->SetCellText(row, c, cells[c]);
        ++row;
    }
    m_gridDXF->Redraw();
}

void ImportProcess::UpdateGridControl()
{
    if (!m_gridFiles)
        return;
    const ImportPartMetaDatum& parts = m_reader.m_metaDatum;
    const bool paths3D = !m_toolBar || Pressed(m_toolBar, kShowAssembly);
    m_gridFiles->SetRowCount(static_cast<int>(parts.size()) + 1);
    int row = 1;
    for (const ImportPartMetaData& part : parts) {
        const std::wstring path = paths3D         ? part.path3D
                                  : part.unfolded ? part.path2D
                                                  : Str(IDS_IMPORT_NOSCAN);
        const std::wstring cells[] = {std::to_wstring(row),
                                      part.name,
                                      part.mark,
                                      part.unfolded ? L"да" : L"нет",
                                      part.material,
                                      AssemblyReader::ThicknessText(part.thickness),
                                      std::to_wstring(part.count),
                                      path};
        for (int c = 0; c <= kColumnPath; ++c)
            m_gridFiles->SetCellText(row, c, cells[c]);
        for (int c = 1; c <= kColumnPath; ++c)
            m_gridFiles->SetCellEditable(row, c, c != 3 && c != kColumnPath);
        ++row;
    }
    m_gridFiles->Redraw();
}

void ImportProcess::UpdateSlide()
{
    if (!m_slideParts)
        return;
    std::wstring file;
    bool visible = false;
    if (m_typeImport != 0) {
        const int row = m_gridFiles ? m_gridFiles->GetCurrentRow() : -1;
        if (row > 0) {
            file = m_gridFiles->GetCellText(row, kColumnPath);
            visible = !m_reader.m_metaDatum.empty() && !file.empty();
        }
    } else {
        const int row = m_gridDXF ? m_gridDXF->GetCurrentRow() : -1;
        if (row > 0 && row <= static_cast<int>(m_fileParams.size()))
            file = m_fileParams[row - 1].m_fragment;  // where the DXF import wrote it (x_2.vfw for a second x)
        visible = !m_fileParams.empty();
    }
    m_slideParts->SetFile(file);
    m_slideParts->SetVisible(visible);
    m_slideParts->Redraw();
}

void ImportProcess::OnChangeControlValue(vlapi::IPropertyControlPtr ctrl)
{
    if (SameControl(ctrl, m_listTypeImport)) {
        if (const int index = CurrentIndex(m_listTypeImport); index >= 0)
            m_typeImport = index;
    } else if (SameControl(ctrl, m_checkCreateSubdirs)) {
        m_createSubDirs = Checked(m_checkCreateSubdirs);
    } else if (SameControl(ctrl, m_gridFiles)) {
        ApplyCellEdit();
    } else if (SameControl(ctrl, m_editNamePattern)) {
        m_namePattern = m_editNamePattern->GetText();
    } else if (SameControl(ctrl, m_checkMarkEquilName)) {
        if (Checked(m_checkMarkEquilName))
            m_textPattern = m_namePattern;
    } else if (SameControl(ctrl, m_editTextPattern)) {
        m_textPattern = m_editTextPattern->GetText();
    } else {
        return;
    }
    UpdateControls();
}

void ImportProcess::ApplyCellEdit()
{
    const int row = m_gridFiles->GetCurrentRow();
    const int column = m_gridFiles->GetCurrentColumn();
    if (row < 0 || column < 0)
        return;
    std::wstring text = m_gridFiles->GetCellText(row, column);
    // The reader keeps a thickness or count whose text does not start with
    // a number in range, and tells so.
    switch (column) {
    case kColumnName: m_reader.SetDataName(row - 1, std::move(text)); break;
    case kColumnMark: m_reader.SetDataMark(row - 1, std::move(text)); break;
    case kColumnMaterial: m_reader.SetDataMaterial(row - 1, std::move(text)); break;
    case kColumnThickness: m_reader.SetDatathickness(row - 1, std::move(text)); break;
    case kColumnCount: m_reader.SetDataCount(row - 1, std::move(text)); break;
    default: return;
    }
    m_reader.UpdateImportPartMetaDatum();
}

void ImportProcess::OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int, bool select)
{
    if (select && ((m_gridDXF && SameControl(ctrl, m_gridDXF)) || (m_gridFiles && SameControl(ctrl, m_gridFiles))))
        UpdateSlide();
}

void ImportProcess::OnEditFocus(const vlapi::IPropertyControlPtr& ctrl, bool set)
{
    if (!set || !m_editNamePattern || !m_editTextPattern)
        return;
    if (SameControl(ctrl, m_editNamePattern)) {
        m_editNamePattern->SetMark(true);
        m_editTextPattern->SetMark(false);
    } else if (SameControl(ctrl, m_editTextPattern)) {
        m_editTextPattern->SetMark(true);
        m_editNamePattern->SetMark(false);
    }
}

bool ImportProcess::OnButtonClick(int buttonId)
{
    SetReturnValue(buttonId);
    if (buttonId == vlapi::pbEsc && m_returnValue == 2)
        Stop();
    else if (buttonId == vlapi::pbHelp)
        OpenHelp(kHelpTopic);
    return true;
}

void ImportProcess::KeepSession(CommandSnapshot& snapshot)
{
    snapshot.Keep(m_typeImport);
    snapshot.Keep(m_createSubDirs);
    snapshot.Keep(m_pathFolder);
    snapshot.Keep(m_pathAssembly);
    snapshot.Keep(m_namePattern);
    snapshot.Keep(m_textPattern);
}

void ImportProcess::OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId)
{
    bool refresh = true;
    const bool clear = buttonId == vlapi::vlControlCommandDelete;
    if (m_editPathFolder && SameControl(ctrl, m_editPathFolder)) {
        if (clear)
            m_pathFolder.clear();
        else
            ChooseOutputFolder();
    } else if (m_openFigures && SameControl(ctrl, m_openFigures)) {
        refresh = ReadDxfFiles();
    } else if (m_editPathAssembly && SameControl(ctrl, m_editPathAssembly)) {
        if (clear)
            m_pathAssembly.clear();
        else
            ReadAssembly();
    } else if (m_createFragments && SameControl(ctrl, m_createFragments)) {
        refresh = WriteFragments();
    } else if (m_gridFiles && SameControl(ctrl, m_gridFiles)) {
        if ((buttonId == kShowAssembly || buttonId == kShowFragments) && m_toolBar) {
            m_toolBar->SetButtonPressed(kShowAssembly, buttonId == kShowAssembly);
            m_toolBar->SetButtonPressed(kShowFragments, buttonId == kShowFragments);
        }
    } else if (m_listProperties && SameControl(ctrl, m_listProperties)) {
        refresh = buttonId == kAddProperty && AddPropertyWord();
    } else {
        refresh = false;
    }
    if (refresh)
        UpdateControls();
}

void ImportProcess::ChooseOutputFolder()
{
    // A chosen folder ends with a separator, as the fragments' paths expect.
    if (ChooseFolder(m_pathFolder) && m_pathFolder.back() != std::filesystem::path::preferred_separator)
        m_pathFolder += std::filesystem::path::preferred_separator;
}

bool ImportProcess::ReadDxfFiles()
{
    if (m_pathFolder.empty()) {
        vrnApi::ShowWarningMessage(IDS_MESS_PUT_EXPORT_FOLDER);
        return false;
    }
    const std::wstring preprocessor = FirstMarked(m_listPreprocessors);
    if (preprocessor.empty()) {
        vrnApi::ShowWarningText(Str(IDS_IMPORT_NOPREPROCESSOR));
        return false;
    }
    std::vector<std::wstring> files;
    vrnApi::ChoiceFilesDialog(Str(IDS_IMPORT_FILEEXT), Str(IDS_IMPORT_FILEFILTER),
                              std::wstring(), true, files);
    if (files.empty())
        return false;
    m_fileParams.clear();
    for (std::wstring& file : files)
        m_fileParams.push_back(FileMetaParams{std::move(file), std::wstring(), 1, 0.0});
    m_reader.Init(std::wstring(), m_pathFolder);
    m_reader.ImportFromDXF(m_fileParams, preprocessor);
    // A refused file gave no fragment: the closing message names it with
    // its reason, and the grid lists only the parts written.
    std::erase_if(m_fileParams, [](const FileMetaParams& file) { return file.m_fragment.empty(); });
    return true;
}

void ImportProcess::ReadAssembly()
{
    const std::wstring chosen = vrnApi::ChoiceFileDialog(Str(IDS_IMPORT_A3DFILEEXT),
                                                         Str(IDS_IMPORT_A3DFILEFILTER), L" ", true);
    // A cancelled dialog keeps the assembly, and the parts read from it with
    // the user's edits.
    if (chosen.empty()) {
        if (m_pathAssembly.empty())
            vrnApi::ShowWarningMessage(IDS_MESS_PUT_EXPORT_FOLDER);
        return;
    }
    m_pathAssembly = chosen;
    m_reader.Init(m_pathAssembly, m_pathFolder);
    m_reader.ReadContoursFromAssembly();
}

bool ImportProcess::WriteFragments()
{
    if (m_reader.m_metaDatum.empty())
        return false;
    if (m_namePattern.empty()) {
        vrnApi::ShowWarningText(Str(IDS_IMPORT_NOFILETEMPLATE));
        return false;
    }
    if (m_pathFolder.empty()) {
        vrnApi::ShowWarningMessage(IDS_MESS_PUT_EXPORT_FOLDER);
        return false;
    }
    m_reader.Init(m_pathAssembly, m_pathFolder);
    m_reader.m_namePattern = m_namePattern;
    m_reader.m_textPattern = m_textPattern;
    m_reader.WriteContoursToFragments(m_createSubDirs);
    return true;
}

bool ImportProcess::AddPropertyWord()
{
    std::wstring* target = m_editNamePattern && m_editNamePattern->GetMark()   ? &m_namePattern
                           : m_editTextPattern && m_editTextPattern->GetMark() ? &m_textPattern
                                                                               : nullptr;
    if (!target)
        return false;
    const std::wstring word = FirstMarked(m_listProperties);
    if (word.empty())
        return false;
    *target += word;
    return true;
}
