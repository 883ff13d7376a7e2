// The import command on the stand-in host: its two modes and remembered
// choices, the file and part grids with their preview, the edits of the
// parts, the patterns, and its actions with their dialogs.
#include "shell_fixture.h"

#include "shell/ImportProcess.h"
#include "vlhost/TestParts.h"

#include <filesystem>

namespace shelltest {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::wstring W(const fs::path& path) { return vlhost::Host::Wide(path.string()); }
fs::path P(const std::wstring& text) { return fs::path(vlhost::Host::Utf8(text)); }

ImportPartMetaData Part(std::wstring name, std::wstring material, double thickness, bool unfolded)
{
    ImportPartMetaData part;
    part.name = std::move(name);
    part.material = std::move(material);
    part.thickness = thickness;
    part.unfolded = unfolded;
    part.path3D = part.name + L".v3d";
    part.path2D = unfolded ? part.name + L".vfw" : std::wstring();
    return part;
}

class ImportCommandTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ImportProcess::m_typeImport = 0;
        ImportProcess::m_createSubDirs = true;
        ImportProcess::m_pathFolder.clear();
        ImportProcess::m_pathAssembly.clear();
        ImportProcess::m_namePattern = ImportProcess::m_textPattern = L"Наименование";
        ASSERT_TRUE(user->Command(1)) << user->Refusal();
    }
    static ImportProcess& Command() { return dynamic_cast<ImportProcess&>(*BaseProcess::currentProcess); }
    static std::wstring Out() { return L"/out" + std::wstring(1, fs::path::preferred_separator); }

    // The parts of a read assembly, without one, in 3D mode.
    void ShowParts(std::initializer_list<ImportPartMetaData> parts)
    {
        ImportProcess::m_typeImport = 1;
        AssemblyReader& reader = Command().m_reader;
        for (const ImportPartMetaData& part : parts) {
            auto node = std::find_if(reader.m_dataTree.begin(), reader.m_dataTree.end(),
                                     [&](const NodeMaterial& m) { return m.name == part.material; });
            if (node == reader.m_dataTree.end())
                node = reader.m_dataTree.insert(node, NodeMaterial{part.material, {}});
            node->Add(part);
        }
        reader.UpdateImportPartMetaDatum();
        Command().UpdateControls();
    }
    static std::wstring Row(const vlapi::IPropertyGridPtr& grid, int row)
    {
        std::wstring text;
        for (int c = 0; c < grid->GetColumnCount(); ++c)
            text += (c ? L" | " : L"") + grid->GetCellText(row, c);
        return text;
    }
    static bool Shown(const vlapi::IPropertyControlPtr& control) { return control && control->GetVisible(); }
    // Which of the mode's controls show, as "name 0|1 ...".
    static std::string Visible(const ImportProcess& c)
    {
        std::string text;
        auto add = [&](const char* name, bool shown) { text += (text.empty() ? "" : " ") + (name + (shown ? " 1"s : " 0"s)); };
        add("files", Shown(c.m_openFigures)), add("dxf grid", Shown(c.m_gridDXF)), add("preview", Shown(c.m_slideParts));
        add("assembly", Shown(c.m_editPathAssembly)), add("write", Shown(c.m_createFragments));
        add("folders", Shown(c.m_checkCreateSubdirs)), add("parts", Shown(c.m_gridFiles));
        add("tab", c.m_tab2->GetVisible()), add("preprocessors", Shown(c.m_listPreprocessors));
        return text;
    }
    vlapi::IPropertyControlPtr Folder() const { return user->Find(L"Папка экспорта"); }
    vlapi::IPropertyControlPtr Assembly() const { return user->Find(L"Открыть"); }
    size_t Dialogs() { return State().dialogs.size(); }
};

TEST(ImportBaseName, IsTheFileNameWithoutItsLastExtension)
{
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"in/part.rev.dxf", L"part.rev"}, {"in.d/part", L"part"}, {"part.dxf", L"part"}, {"/a/b/Деталь 1.DXF", L"Деталь 1"}};
    for (const auto& [path, name] : cases)
        EXPECT_EQ(ImportProcess::BaseName(vlhost::Host::Wide(path)), name) << path;
}

TEST_F(ImportCommandTest, ThePanelFollowsTheModeAndTheNextRunKeepsTheChoices)
{
    ImportProcess& first = Command();
    EXPECT_EQ(user->Caption(), L"Импорт");
    EXPECT_EQ(user->Prompt(), L"Импорт");
    EXPECT_EQ(Visible(first), "files 1 dxf grid 0 preview 0 assembly 0 write 0 folders 0 parts 0 tab 0 preprocessors 0");
    EXPECT_TRUE(first.m_listPreprocessors->GetItemMarked(0));
    EXPECT_EQ(first.m_gridDXF->GetRowCount(), 1);
    EXPECT_TRUE(first.m_toolBar->GetButtonPressed(ImportProcess::kShowAssembly));
    EXPECT_FALSE(first.m_toolBar->GetButtonPressed(ImportProcess::kShowFragments));

    ASSERT_TRUE(user->SetValue(user->Find(L"Тип импорта"), L"Импорт из 3D-сборки"));
    EXPECT_EQ(ImportProcess::m_typeImport, 1);
    EXPECT_EQ(Visible(first), "files 0 dxf grid 0 preview 0 assembly 1 write 1 folders 1 parts 1 tab 1 preprocessors 0");
    EXPECT_TRUE(first.m_checkCreateSubdirs->GetChecked());
    EXPECT_EQ(first.m_editNamePattern->GetText(), L"Наименование");
    EXPECT_EQ(first.m_editTextPattern->GetText(), L"Наименование");

    State().folderAnswers.push_back(L"/out");
    ASSERT_TRUE(user->Raw("ControlCommand", {L"Папка экспорта", L"1"}));
    ASSERT_TRUE(user->Tick(user->Find(L"Группировать фрагменты"), false));
    ASSERT_TRUE(user->SetValue(first.m_editNamePattern, L"Обозначение"));
    ASSERT_TRUE(user->Tick(first.m_checkMarkEquilName, true));
    EXPECT_FALSE(Shown(first.m_editTextPattern));
    EXPECT_EQ(first.m_editTextPattern->GetText(), L"Обозначение");  // refilled though hidden
    ImportProcess::m_pathAssembly = L"/a.v3d";

    ASSERT_TRUE(user->Command(1));
    ImportProcess& second = Command();
    EXPECT_EQ(second.m_listTypeImport->GetCurrentItem(), 1);
    EXPECT_EQ(vlapi::IPropertyEditPtr(Folder())->GetText(), Out());
    EXPECT_FALSE(second.m_checkCreateSubdirs->GetChecked());
    EXPECT_EQ(second.m_editNamePattern->GetText(), L"Обозначение");
    EXPECT_FALSE(second.m_checkMarkEquilName->GetChecked());
    EXPECT_TRUE(Shown(second.m_editTextPattern));
    EXPECT_EQ(vlapi::IPropertyEditPtr(Assembly())->GetText(), L"");  // the new reader's path
    EXPECT_EQ(ImportProcess::m_pathAssembly, L"/a.v3d");
}

TEST_F(ImportCommandTest, TheDxfGridListsTheFilesAndThePreviewShowsTheSelectedOnesFragment)
{
    ImportProcess& command = Command();
    ImportProcess::m_pathFolder = Out();
    // Two files of one name in two folders: the import wrote the second as a_2.
    command.m_fileParams = {{L"/in/a.dxf", L"Ст3", 3, 2.5}, {L"/in/b/a.dxf", L"", 1, 0.0}};
    command.m_fileParams[0].m_fragment = Out() + L"a.vfw";
    command.m_fileParams[1].m_fragment = Out() + L"a_2.vfw";
    command.UpdateControls();
    EXPECT_TRUE(Shown(command.m_gridDXF));
    EXPECT_EQ(command.m_gridDXF->GetRowCount(), 3);
    EXPECT_EQ(Row(command.m_gridDXF, 1), L"1 | a | 3 | 2.50 | Ст3");
    EXPECT_EQ(Row(command.m_gridDXF, 2), L"2 | a | 1 | 0.00 | ");
    EXPECT_TRUE(Shown(command.m_slideParts));
    EXPECT_EQ(command.m_slideParts->GetFile(), L"");

    ASSERT_TRUE(user->SelectItem(command.m_gridDXF, 2));
    EXPECT_EQ(command.m_slideParts->GetFile(), Out() + L"a_2.vfw");
    ASSERT_TRUE(user->SelectItem(command.m_gridDXF, 2, false));  // a deselection leaves it
    EXPECT_EQ(command.m_slideParts->GetFile(), Out() + L"a_2.vfw");
}

TEST_F(ImportCommandTest, ThePartGridShowsTheReadersPartsWithTheirPathsAndPreview)
{
    // A thickness out of the range is not shown rounded onto it, nor to 0.
    ShowParts({Part(L"Б", L"Сталь", 2.0, false), Part(L"А", L"Сталь", 2.5, true),
               Part(L"В", L"Сталь", 0.00999999999, true), Part(L"Г", L"Сталь", 1e-300, true)});
    ImportProcess& command = Command();
    const vlapi::IPropertyGridPtr grid = command.m_gridFiles;
    ASSERT_EQ(grid->GetRowCount(), 5);
    EXPECT_EQ(Row(grid, 1), L"1 | Б |  | нет | Сталь | 2 | 1 | Б.v3d");
    EXPECT_EQ(Row(grid, 2), L"2 | А |  | да | Сталь | 2.5 | 1 | А.v3d");
    EXPECT_EQ(Row(grid, 3), L"3 | В |  | да | Сталь | 0.00999999999 | 1 | В.v3d");
    EXPECT_EQ(Row(grid, 4), L"4 | Г |  | да | Сталь | 1e-300 | 1 | Г.v3d");
    for (int c = 1; c < 8; ++c)
        EXPECT_EQ(grid->GetCellEditable(1, c), c != 3 && c != 7) << c;
    EXPECT_FALSE(Shown(command.m_slideParts));

    ASSERT_TRUE(user->Press(grid, ImportProcess::kShowFragments));
    EXPECT_FALSE(command.m_toolBar->GetButtonPressed(ImportProcess::kShowAssembly));
    EXPECT_EQ(grid->GetCellText(1, 7), L"Нет развёртки");
    EXPECT_EQ(grid->GetCellText(2, 7), L"А.vfw");
    ASSERT_TRUE(user->SelectItem(grid, 2));
    EXPECT_TRUE(Shown(command.m_slideParts));
    EXPECT_EQ(command.m_slideParts->GetFile(), L"А.vfw");

    for (int twice = 0; twice < 2; ++twice)
        ASSERT_TRUE(user->Press(grid, ImportProcess::kShowAssembly));
    EXPECT_TRUE(command.m_toolBar->GetButtonPressed(ImportProcess::kShowAssembly));
    EXPECT_FALSE(command.m_toolBar->GetButtonPressed(ImportProcess::kShowFragments));
    EXPECT_EQ(grid->GetCellText(2, 7), L"А.v3d");
}

TEST_F(ImportCommandTest, CellEditsReachTheReaderAndABadNumberKeepsTheValue)
{
    ShowParts({Part(L"А", L"Сталь", 2.0, true), Part(L"Б", L"Сталь", 2.0, true), Part(L"В", L"Сталь", 2.0, true)});
    const vlapi::IPropertyGridPtr grid = Command().m_gridFiles;
    struct Case {
        int row, column;
        const wchar_t* text;
        const wchar_t* shown = nullptr;  // the row after the refresh; none: as the case before shows it
    } cases[] = {
        {3, 1, L"Опора", L"3 | Опора |  | да | Сталь | 2 | 1 | В.v3d"},
        {3, 2, L"ОП-1", L"3 | Опора | ОП-1 | да | Сталь | 2 | 1 | В.v3d"},
        {1, 4, L"Ст3", L"1 | А |  | да | Ст3 | 2 | 1 | А.v3d"},  // its new node sorts first
        {1, 5, L" 3mm", L"1 | А |  | да | Ст3 | 3 | 1 | А.v3d"},
        {1, 6, L"12 pcs", L"1 | А |  | да | Ст3 | 3 | 12 | А.v3d"},
        {1, 5, L"мм 3"}, {1, 5, L"0"}, {1, 5, L"-2"}, {1, 5, L"1e999"},
        {1, 6, L"шт"}, {1, 6, L"0"}, {1, 6, L"99999999999"},
    };
    const wchar_t* shown = nullptr;
    for (const Case& c : cases) {
        shown = c.shown ? c.shown : shown;
        ASSERT_TRUE(user->EditCell(grid, c.row, c.column, c.text)) << user->Refusal();
        EXPECT_EQ(Row(grid, c.row), shown) << vlhost::Host::Utf8(c.text);
    }
    const ImportPartMetaData& a = Command().m_reader.m_metaDatum[0];
    EXPECT_EQ(a.thickness, 3.0);
    EXPECT_EQ(a.count, 12);
    EXPECT_FALSE(user->EditCell(grid, 1, 3, L"нет"));  // read-only
}

TEST_F(ImportCommandTest, PatternsTakePropertyWordsIntoTheEditThatLastHadTheFocus)
{
    ImportProcess::m_typeImport = 1;
    ImportProcess& command = Command();
    command.UpdateControls();
    const vlapi::IPropertyControlPtr list = command.m_listProperties;
    ASSERT_TRUE(user->SetValue(command.m_editNamePattern, L""));
    command.m_listProperties->SetItemMarked(0, false);
    command.m_listProperties->SetItemMarked(1, true);  // the host marks what the user picks
    ASSERT_TRUE(user->Press(list, ImportProcess::kAddProperty));
    EXPECT_EQ(ImportProcess::m_namePattern, L"Обозначение");
    EXPECT_EQ(command.m_editNamePattern->GetText(), L"Обозначение");

    ASSERT_TRUE(user->Focus(command.m_editTextPattern));
    ASSERT_TRUE(user->Press(list, ImportProcess::kAddProperty));
    EXPECT_EQ(ImportProcess::m_textPattern, L"НаименованиеОбозначение");
    ASSERT_TRUE(user->Focus(command.m_editNamePattern));
    ASSERT_TRUE(user->Raw("EditFocus", {L"Шаблон имени файла", L"off"}));  // focus elsewhere keeps it
    EXPECT_TRUE(command.m_editNamePattern->GetMark());
    EXPECT_FALSE(command.m_editTextPattern->GetMark());

    command.m_listProperties->SetItemMarked(1, false);
    ASSERT_TRUE(user->Press(list, ImportProcess::kAddProperty));
    EXPECT_EQ(ImportProcess::m_namePattern, L"Обозначение");

    // Ticking the box copies the name pattern once; clearing it keeps the copy.
    ASSERT_TRUE(user->Tick(command.m_checkMarkEquilName, true));
    ASSERT_TRUE(user->SetValue(command.m_editNamePattern, L"Материал"));
    EXPECT_EQ(ImportProcess::m_textPattern, L"Обозначение");
    ASSERT_TRUE(user->Tick(command.m_checkMarkEquilName, false));
    EXPECT_EQ(ImportProcess::m_textPattern, L"Обозначение");
}

TEST_F(ImportCommandTest, EveryPropertyWordOfTheListIsExpandedByTheReader)
{
    ImportProcess::m_typeImport = 1;
    ImportProcess& command = Command();
    command.UpdateControls();
    ImportPartMetaData part = Part(L"Уголок", L"Сталь 3", 2.5, true);
    part.mark = L"У-1";
    part.count = 4;
    const std::wstring values[] = {L"Уголок", L"У-1", L"Сталь 3", L"2.5", L"4"};
    ASSERT_EQ(command.m_listProperties->GetCount(), static_cast<int>(std::size(values)));
    for (int i = 0; i < static_cast<int>(std::size(values)); ++i) {
        ASSERT_TRUE(user->SetValue(command.m_editNamePattern, L""));
        for (int k = 0; k < command.m_listProperties->GetCount(); ++k)
            command.m_listProperties->SetItemMarked(k, k == i);
        ASSERT_TRUE(user->Press(command.m_listProperties, ImportProcess::kAddProperty));
        EXPECT_EQ(command.m_reader.CreateStringFromPattern(ImportProcess::m_namePattern, part), values[i])
            << vlhost::Host::Utf8(ImportProcess::m_namePattern);
    }
}

TEST_F(ImportCommandTest, CancelEndsAndHelpOpensTopicTwo)
{
    ASSERT_TRUE(user->Help());
    EXPECT_EQ(State().helpTopics, std::vector<int>{2});
    ASSERT_TRUE(user->Esc());
    EXPECT_EQ(Command().m_returnValue, 2);
    EXPECT_FALSE(user->Running());
    EXPECT_EQ(host->HandlerCount(L"Nesting"), 0);
}

TEST_F(ImportCommandTest, CancelledDialogsKeepWhatWasChosenAndNothingIsWrittenWithoutAFolder)
{
    ImportProcess& command = Command();
    State().folderAnswers.push_back(L"/out");
    ASSERT_TRUE(user->Raw("ControlCommand", {L"Папка экспорта", L"1"}));
    ASSERT_TRUE(user->Raw("ControlCommand", {L"Папка экспорта", L"1"}));  // cancelled
    EXPECT_EQ(State().dialogs.back().start, Out());
    EXPECT_EQ(ImportProcess::m_pathFolder, Out());

    // DXF files: a cancelled dialog keeps the list; no preprocessor or no
    // folder opens no dialog.
    command.m_fileParams = {{L"/in/a.dxf", L"Ст3", 3, 2.5}};
    ASSERT_TRUE(user->Press(command.m_openFigures));
    EXPECT_EQ(State().dialogs.back().kind, "files");
    EXPECT_EQ(command.m_fileParams.size(), 1u);
    command.m_listPreprocessors->SetItemMarked(0, false);
    size_t dialogs = Dialogs();
    ASSERT_TRUE(user->Press(command.m_openFigures));
    EXPECT_EQ(Messages().back().text, L"Не выбран препроцессор");
    command.m_listPreprocessors->SetItemMarked(0, true);
    ASSERT_TRUE(user->Press(Folder(), vlapi::vlControlCommandDelete));
    EXPECT_EQ(ImportProcess::m_pathFolder, L"");
    ASSERT_TRUE(user->Press(command.m_openFigures));
    EXPECT_EQ(Messages().back().text, L"Не указана папка для экспорта");
    EXPECT_EQ(Dialogs(), dialogs);

    // The assembly: a cancelled dialog keeps the path and the parts read.
    ASSERT_TRUE(user->SetValue(command.m_listTypeImport, L"#1"));
    ASSERT_TRUE(user->Raw("ControlCommand", {L"Открыть", L"1"}));
    EXPECT_EQ(Messages().back().text, L"Не указана папка для экспорта");
    ShowParts({Part(L"А", L"Сталь", 2.0, true)});
    ImportProcess::m_pathAssembly = command.m_reader.m_pathAssembly = L"/a.v3d";
    const size_t messages = Messages().size();
    ASSERT_TRUE(user->Raw("ControlCommand", {L"Открыть", L"1"}));
    EXPECT_EQ(State().dialogs.back().start, L" ");
    EXPECT_EQ(ImportProcess::m_pathAssembly, L"/a.v3d");
    EXPECT_EQ(command.m_reader.m_metaDatum.size(), 1u);
    EXPECT_EQ(Messages().size(), messages);

    // Fragments: an empty name pattern, then no folder, write nothing.
    ImportProcess::m_namePattern.clear();
    ASSERT_TRUE(user->Press(command.m_createFragments));
    EXPECT_EQ(Messages().back().text, L"Не задан шаблон имени файла");
    ImportProcess::m_namePattern = L"Наименование";
    ASSERT_TRUE(user->Press(command.m_createFragments));
    EXPECT_EQ(Messages().back().text, L"Не указана папка для экспорта");
    EXPECT_EQ(command.m_reader.m_metaDatum[0].path2D, L"А.vfw");

    // Without parts the button does nothing, even without a name pattern.
    command.m_reader = AssemblyReader();
    ImportProcess::m_namePattern.clear();
    const size_t before = Messages().size();
    ASSERT_TRUE(user->Press(command.m_createFragments));
    EXPECT_EQ(Messages().size(), before);
}

TEST_F(ImportCommandTest, AnAssemblysPartsBecomeFragmentsInsideTheFolderOnly)
{
    const fs::path out = root / "Детали";
    State().folderAnswers.push_back(W(out));
    ASSERT_TRUE(user->Raw("ControlCommand", {L"Папка экспорта", L"1"}));
    ImportProcess& command = Command();

    // An assembly of one bracket whose material climbs out of the folder,
    // renamed and written with a name pattern that do too.
    vlapi::IVarnelDocument3DPtr assembly = host->NewDocument3D(vlapi::vlDocumentAssembly, false);
    vlhost::PartData& bracket = vlhost::Host::Tree(assembly)->Add(L"Кронштейн", true);
    bracket.material = L"../..";
    bracket.fileName = L"Кронштейн.v3d";
    bracket.unfold = true;
    ASSERT_EQ(bracket.AddSheet(vlhost::testparts::LBracket().recipe), L"");
    ASSERT_TRUE(assembly->SaveAs(W(root / "Сборка.v3d")));
    assembly->Close(0);

    const std::vector<fs::path> outside = FilesOutside(out);
    ASSERT_TRUE(user->SetValue(command.m_listTypeImport, L"#1"));
    State().fileAnswers.push_back(W(root / "Сборка.v3d"));
    ASSERT_TRUE(user->Raw("ControlCommand", {L"Открыть", L"1"}));
    ASSERT_EQ(command.m_gridFiles->GetRowCount(), 2);
    EXPECT_EQ(vlapi::IPropertyEditPtr(Assembly())->GetText(), W(root / "Сборка.v3d"));
    ASSERT_TRUE(user->EditCell(command.m_gridFiles, 1, 1, L"../Кронштейн"));
    ASSERT_TRUE(user->SetValue(command.m_editNamePattern, L"../../Наименование"));
    ASSERT_TRUE(user->Press(command.m_createFragments));
    EXPECT_EQ(Messages().back().text, L"Запись на диск завершена\nЗаписаны не под именем по шаблону:\n../Кронштейн: "
                                      L"«.. .. .. Кронштейн.vfw»: знаки «/» заменены пробелами");
    ASSERT_TRUE(user->Press(command.m_gridFiles, ImportProcess::kShowFragments));
    const fs::path fragment = P(command.m_gridFiles->GetCellText(1, 7));
    EXPECT_TRUE(fs::exists(fragment)) << fragment;
    EXPECT_EQ(fragment.lexically_normal().string().rfind(out.string(), 0), 0u) << fragment;
    EXPECT_EQ(FilesOutside(out), outside) << "nothing is written outside the output folder";
}

}  // namespace
}  // namespace shelltest
