// The export command on the stand-in host: its choices, the confirm button's
// enabling, the paired text buttons, the folder and the export itself.
#include "shell_fixture.h"

#include "shell/ExportProcess.h"

#include <functional>

namespace shelltest {
namespace {

class ExportCommandTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        ExportProcess::m_folder.clear();
        ExportProcess::m_params = ExportParams();
        ASSERT_TRUE(user->Command(6)) << user->Refusal();
    }
    static ExportProcess& Command() { return dynamic_cast<ExportProcess&>(*BaseProcess::currentProcess); }
    vlapi::IPropertyControlPtr Folder() const { return user->Find(L"Папка экспорта"); }
    vlapi::IPropertyControlPtr Sheets() const { return user->Find(L"Листы"); }
    vlapi::IPropertyControlPtr M3D() const { return user->Find(L"Листы в 3D-документ"); }
    // The side buttons of a box as "pressed/enabled" pairs, e.g. "10 11".
    static std::string Pair(const vlapi::IPropertyControlPtr& box, int first, int second)
    {
        const vlapi::IPropertyToolBarPtr side{box};
        auto one = [&](int id) {
            return std::string(side->GetButtonPressed(id) ? "1" : "0") + (side->GetButtonEnable(id) ? "1" : "0");
        };
        return one(first) + " " + one(second);
    }
    std::string ConfirmAnswer()
    {
        EXPECT_TRUE(user->Raw("ButtonUpdate", {L"1"}));
        return LastAnswer();
    }
    bool ChooseFolder() { return user->Raw("ControlCommand", {L"Папка экспорта", L"1"}); }
};

TEST_F(ExportCommandTest, FirstRunOpensWithTheDefaultChoicesAndConfirmOff)
{
    EXPECT_EQ(user->Caption(), L"Экспорт");
    EXPECT_EQ(user->Prompt(), L"Укажите папку для экспорта");
    for (const wchar_t* ticked : {L"Карта раскроя", L"Листы", L"Деловые отходы"})
        EXPECT_TRUE(vlapi::IPropertyCheckBoxPtr(user->Find(ticked))->GetChecked()) << ticked;
    EXPECT_FALSE(vlapi::IPropertyCheckBoxPtr(M3D())->GetChecked());
    EXPECT_EQ(vlapi::IPropertyListPtr(user->Find(L"Формат"))->GetCurrentItem(), 0);
    EXPECT_EQ(Pair(Sheets(), 7203, 7204), "01 01");
    EXPECT_EQ(Pair(M3D(), 7201, 7202), "00 00");
    EXPECT_EQ(vlapi::IPropertyEditPtr(Folder())->GetText(), L"");
    EXPECT_FALSE(user->Enter());
    EXPECT_NE(user->Refusal().find("disabled"), std::string::npos);
    EXPECT_TRUE(user->Running());

    ASSERT_TRUE(user->Help());
    EXPECT_EQ(State().helpTopics, std::vector<int>{7});
}

TEST_F(ExportCommandTest, ConfirmIsOnWithAFolderAndAnythingToExport)
{
    struct Case {
        const wchar_t* folder;
        bool card, sheets, wastes, m3d;
        int format;
        bool enabled;
    } cases[] = {
        {L"", true, true, true, true, 0, false},
        {L"/out", false, false, false, false, 0, false},
        {L"/out", true, false, false, false, 0, true},
        {L"/out", true, false, false, false, 1, true},
        // The map is a DXF file only: with fragments alone it is nothing to export.
        {L"/out", true, false, false, false, 2, false},
        {L"/out", true, true, false, false, 2, true},
        {L"/out", false, true, false, false, 0, true},
        {L"/out", false, false, true, false, 0, true},
        {L"/out", false, false, false, true, 0, true},
    };
    for (const Case& c : cases) {
        ExportProcess::m_folder = c.folder;
        ExportProcess::m_params = {c.card, c.sheets, c.wastes, c.m3d};
        ExportProcess::m_params.format = c.format;
        EXPECT_EQ(ConfirmAnswer(), std::string("true enable ") + (c.enabled ? "true" : "false") + " checked 0");
    }
    ASSERT_TRUE(user->Raw("ButtonUpdate", {L"8"}));
    EXPECT_EQ(LastAnswer(), "true enable true checked 0");

    // Ticking and unticking in the panel reach the choices.
    ExportProcess::m_folder = L"/out";
    ExportProcess::m_params = ExportParams();
    for (const wchar_t* box : {L"Карта раскроя", L"Листы", L"Деловые отходы"})
        ASSERT_TRUE(user->Tick(user->Find(box), false));
    EXPECT_EQ(ConfirmAnswer(), "true enable false checked 0");
    ASSERT_TRUE(user->Tick(M3D(), true));
    EXPECT_EQ(ConfirmAnswer(), "true enable true checked 0");
    ASSERT_TRUE(user->SetValue(user->Find(L"Формат"), L"Только DXF"));
    EXPECT_EQ(ExportProcess::m_params.format, 1);

    // The map ticked with fragments alone: the prompt says it will not be
    // written, and with nothing else ticked confirm is off.
    ASSERT_TRUE(user->Tick(M3D(), false));
    ASSERT_TRUE(user->Tick(user->Find(L"Карта раскроя"), true));
    ASSERT_TRUE(user->SetValue(user->Find(L"Формат"), L"Только фрагменты"));
    EXPECT_EQ(ConfirmAnswer(), "true enable false checked 0");
    EXPECT_EQ(user->Prompt(),
              L"Карта раскроя записывается только в формате DXF: с форматом «Только фрагменты» она не будет записана");
    ASSERT_TRUE(user->SetValue(user->Find(L"Формат"), L"DXF и фрагменты"));
    EXPECT_EQ(ConfirmAnswer(), "true enable true checked 0");
    EXPECT_EQ(user->Prompt(), L"Укажите папку для экспорта");
}

TEST_F(ExportCommandTest, TheTextButtonsOfABoxArePairsOffWhileTheBoxIsNotTicked)
{
    const size_t messages = Messages().size();
    struct Step {
        const char* what;
        std::function<bool()> act;
        std::string sheets, m3d;  // 7203 7204, 7201 7202 as pressed/enabled
        size_t warnings;
    } steps[] = {
        {"press 7203", [&] { return user->Press(Sheets(), 7203); }, "11 01", "00 00", 0},
        {"press 7204", [&] { return user->Press(Sheets(), 7204); }, "01 11", "00 00", 0},
        {"press 7204 again", [&] { return user->Press(Sheets(), 7204); }, "01 01", "00 00", 0},
        {"press 7203", [&] { return user->Press(Sheets(), 7203); }, "11 01", "00 00", 0},
        {"untick sheets", [&] { return user->Tick(Sheets(), false); }, "00 00", "00 00", 0},
        {"tick sheets", [&] { return user->Tick(Sheets(), true); }, "01 01", "00 00", 0},
        {"tick 3D", [&] { return user->Tick(M3D(), true); }, "01 01", "01 01", 0},
        {"press 7201", [&] { return user->Press(M3D(), 7201); }, "01 01", "11 01", 1},
        {"press 7202", [&] { return user->Press(M3D(), 7202); }, "01 01", "01 11", 2},
        {"press 7202 again", [&] { return user->Press(M3D(), 7202); }, "01 01", "01 01", 2},
        {"press 7201", [&] { return user->Press(M3D(), 7201); }, "01 01", "11 01", 3},
        {"untick 3D", [&] { return user->Tick(M3D(), false); }, "01 01", "00 00", 3},
    };
    for (const Step& s : steps) {
        ASSERT_TRUE(s.act()) << s.what << ": " << user->Refusal();
        EXPECT_EQ(Pair(Sheets(), 7203, 7204), s.sheets) << s.what;
        EXPECT_EQ(Pair(M3D(), 7201, 7202), s.m3d) << s.what;
        EXPECT_EQ(Messages().size() - messages, s.warnings) << s.what;
    }
    EXPECT_EQ(Messages().back().text, L"Идёт экспорт...");
    EXPECT_FALSE(user->Press(M3D(), 7201));  // off with its box
}

TEST_F(ExportCommandTest, OnlyTheDialogAndTheClearCommandChangeTheFolder)
{
    State().folderAnswers.push_back(File("out"));
    ASSERT_TRUE(ChooseFolder());
    EXPECT_EQ(ExportProcess::m_folder, File("out"));
    EXPECT_EQ(State().dialogs.back().start, L"");

    ASSERT_TRUE(ChooseFolder());  // cancelled: the folder stays
    EXPECT_EQ(State().dialogs.back().start, File("out"));
    EXPECT_EQ(ExportProcess::m_folder, File("out"));

    ASSERT_TRUE(user->SetValue(Folder(), L"typed"));
    ASSERT_TRUE(user->Tick(Sheets(), false));  // any refresh shows the folder again
    EXPECT_EQ(vlapi::IPropertyEditPtr(Folder())->GetText(), File("out"));
    EXPECT_EQ(ExportProcess::m_folder, File("out"));

    ASSERT_TRUE(user->Press(Folder(), vlapi::vlControlCommandDelete));
    EXPECT_EQ(ExportProcess::m_folder, L"");
    EXPECT_EQ(vlapi::IPropertyEditPtr(Folder())->GetText(), L"");
}

TEST_F(ExportCommandTest, ConfirmWithoutAFolderWarnsExportsNothingAndKeepsThePanel)
{
    ASSERT_TRUE(user->Raw("ButtonClick", {L"1"}));
    EXPECT_EQ(Messages().back().text, L"Не указана папка для экспорта");
    EXPECT_TRUE(user->Running());
    EXPECT_TRUE(Command().Bound());
    EXPECT_EQ(State().access.offs, 0);
}

}  // namespace
}  // namespace shelltest
