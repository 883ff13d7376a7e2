// The settings command: what its panel shows, confirm and cancel against the
// configuration file, the style library's dialog, and the documentation
// command that has no panel.
#include "command_fixture.h"

#include <gmock/gmock.h>

#include "api/NestingAPIObjects.h"
#include "host/VarnelAPI_Detail.h"
#include "shell/SettingProcess.h"
#include "shell/Starters.h"

#include <fstream>
#include <functional>
#include <sstream>

namespace shelltest {
namespace {

using testing::HasSubstr;
using testing::Not;

const char kConfig[] = R"(<?xml version="23.0" encoding="UTF-8" standalone="yes"?>
<config_version value="1" />
<Bridges>
	<item name="max_width" value="12.5" />
	<item name="max_length" value="77" />
</Bridges>
<Precision>
	<item name="tolerance" value="1.5" />
</Precision>
<Sheets>
	<item name="format" value="3" />
	<item name="orientation" value="false" />
	<item name="lyt_file" value="/old.vst" />
</Sheets>
<Patterns>
	<item name="card_name" value="Карта " />
</Patterns>
)";

class SettingTest : public CommandTest {
protected:
    void SetUp() override
    {
        CommandTest::SetUp();
        std::filesystem::create_directories(ConfigFile().parent_path());
        std::ofstream(ConfigFile(), std::ios::binary) << kConfig;
        MakeJob({Fragment("A", testparts::Rectangle(0, 0, 60, 40))});
        ASSERT_TRUE(user->Command(8));
        ASSERT_TRUE(user->Running());
    }
    std::filesystem::path ConfigFile() const { return root / "Config" / "Nesting" / "Nesting-cfg.xml"; }
    std::string Config() const
    {
        std::ifstream in(ConfigFile(), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    SettingProcess& Process() const { return Current<SettingProcess>(); }
    vlapi::IPropertyEditPtr Path() const { return Process().m_lytPath->GetEdit(); }
    // The style library's own button, as the host reports it.
    void PathButton(int id) const { Process().OnControlCommand(vlapi::IPropertyControlPtr(Path()), id); }
};

TEST_F(SettingTest, TheLayoutBoxSwitchesWhatIsShown)
{
    const bool recognised = NestingSetting::m_withoutLayout;
    EXPECT_FALSE(Shown(L"Ширина мостика") || Shown(L"Длина мостика"));
    EXPECT_EQ(Text(L"Ширина мостика"), L"12.5");
    ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
    EXPECT_TRUE(Shown(L"Формат") && Shown(L"Ориентация листа") && Path()->GetVisible());
    EXPECT_FALSE(Shown(L"Схема размещения") || Shown(L"Количество столбцов"));
    ASSERT_TRUE(user->Tick(C(L"Без оформления"), true));
    EXPECT_FALSE(Shown(L"Формат") || Shown(L"Ориентация листа") || Path()->GetVisible());
    EXPECT_TRUE(Shown(L"Схема размещения"));
    EXPECT_FALSE(Shown(L"Количество столбцов"));
    ASSERT_TRUE(user->SetValue(C(L"Схема размещения"), L"Листы в ряд"));
    EXPECT_TRUE(Shown(L"Количество столбцов"));
    EXPECT_EQ(NestingSetting::m_withoutLayout, recognised);  // shown only, until confirmed
    // A format outside A1 to A4 (one the automation refuses, come from an
    // older file) shows, and stays, as A4.
    EXPECT_EQ(Process().m_model->SetSheetFormat(7), NResult::OutOfRange);
    dynamic_cast<NAPIModel&>(*Process().m_model.get()).Model().m_sheetFormat = 7;
    Process().UpdateControls();
    EXPECT_EQ(vlapi::IPropertyListPtr(C(L"Формат"))->GetCurrentItem(), 3);
    EXPECT_EQ(Process().m_model->GetSheetFormat(), 4);
    ASSERT_TRUE(user->Help());
    EXPECT_EQ(host->State().helpTopics.back(), 9);
    EXPECT_TRUE(user->Running());
}

TEST_F(SettingTest, CancelWritesNothingAndConfirmWritesTheFile)
{
    for (const bool confirm : {false, true}) {
        SCOPED_TRACE(confirm ? "Enter" : "Esc");
        ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
        ASSERT_TRUE(user->SetValue(C(L"Формат"), L"А2"));
        ASSERT_TRUE(user->SetValue(C(L"Ориентация листа"), L"Вертикальная"));
        host->State().fileAnswers.push_back(L"/styles/new.vst");
        PathButton(1);
        EXPECT_EQ(Path()->GetText(), L"/styles/new.vst");
        const std::string before = Config();
        ASSERT_TRUE(confirm ? user->Enter() : user->Esc());
        EXPECT_FALSE(user->Running());  // it stopped itself inside its handler
        EXPECT_EQ(host->HandlerCount(L"Nesting"), 0);
        if (!confirm) {
            EXPECT_EQ(Config(), before);
            ASSERT_TRUE(user->Command(8));
        }
    }
    EXPECT_FALSE(NestingSetting::m_withoutLayout);
    const std::string after = Config();
    for (const char* item : {R"("format" value="2")", R"("orientation" value="true")", R"("lyt_file" value="/styles/new.vst")",
                             R"("max_width" value="12.5")", R"("max_length" value="77")", R"("tolerance" value="1.5")"})
        EXPECT_THAT(after, HasSubstr(item));
    // The reopened command shows what was confirmed.
    ASSERT_TRUE(user->Command(8));
    EXPECT_EQ(vlapi::IPropertyListPtr(C(L"Формат"))->GetCurrentItem(), 1);
    EXPECT_EQ(vlapi::IPropertyListPtr(C(L"Ориентация листа"))->GetCurrentItem(), 1);
    EXPECT_EQ(Path()->GetText(), L"/styles/new.vst");
}

TEST_F(SettingTest, TheStyleLibraryChangesOnlyWhenAFileIsChosen)
{
    const std::wstring path = Path()->GetText();
    host->State().fileAnswers.push_back(L"");
    PathButton(1);
    EXPECT_EQ(Path()->GetText(), path);
    std::wstring held;
    Process().m_model->GetLytPath(held);
    EXPECT_EQ(held, path);
    PathButton(vlapi::vlControlCommandDelete);  // only a refresh
    EXPECT_EQ(Path()->GetText(), path);
    ASSERT_TRUE(user->Enter());
    EXPECT_THAT(Config(), HasSubstr(R"("lyt_file" value="/old.vst")"));
}

// A library that is not there is named when it is typed or chosen; one that
// is there is taken without a word.
TEST_F(SettingTest, AStyleLibraryThatIsNotThereIsNamedWhenSet)
{
    const std::filesystem::path present = root / "present.vst";
    std::ofstream(present) << "library";
    ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
    for (const std::wstring& path : {(root / "missing.vst").wstring(), present.wstring()}) {
        const size_t shown = host->State().messages.size();
        ASSERT_TRUE(user->SetValue(C(L"Библиотека оформлений"), path));
        const bool missing = path != present.wstring();
        ASSERT_EQ(host->State().messages.size(), shown + (missing ? 1 : 0));
        if (missing) {
            EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), HasSubstr(vlhost::Host::Utf8(L"не найдена: " + path)));
        }
    }
    host->State().fileAnswers.push_back((root / "chosen-missing.vst").wstring());
    PathButton(1);
    EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), HasSubstr("chosen-missing.vst"));
}

// What the panel shows is what is stored: a path typed in, a scheme that the
// views alone cannot tell, a value the file did not hold (its default).
TEST_F(SettingTest, WhatThePanelShowsIsWhatIsStored)
{
    const struct {
        const char* what;
        std::wstring config;  // the file before the command (empty: kConfig)
        std::function<void()> edit;
        std::vector<std::string> stored;
        std::wstring scheme;  // as the reopened command shows it
    } cases[] = {
        {"a path typed in", L"", [&] {
             ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
             ASSERT_TRUE(user->SetValue(C(L"Библиотека оформлений"), L"/typed.vst"));
         }, {R"("lyt_file" value="/typed.vst")"}, L""},
        {"no bridge length in the file, none added", L"<Bridges><item name=\"max_width\" value=\"12.5\" /></Bridges>", [&] {
             ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
             ASSERT_TRUE(user->SetValue(C(L"Формат"), L"А2"));
         }, {R"(<Bridges><item name="max_width" value="12.5" /></Bridges>)", R"("format" value="2")"}, L""},
        {"the user's own scheme", L"", [&] {
             ASSERT_TRUE(user->Tick(C(L"Без оформления"), true));
             ASSERT_TRUE(user->SetValue(C(L"Схема размещения"), L"Пользовательский"));
         }, {}, L"Пользовательский"},
        {"rows of one sheet", L"", [&] {
             ASSERT_TRUE(user->Tick(C(L"Без оформления"), true));
             ASSERT_TRUE(user->SetValue(C(L"Схема размещения"), L"Листы в ряд"));
             ASSERT_TRUE(user->SetValue(C(L"Количество столбцов"), L"4"));
         }, {}, L"Листы в ряд"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(user->Esc());
        if (!c.config.empty())
            std::ofstream(ConfigFile(), std::ios::binary) << vlhost::Host::Utf8(c.config);
        ASSERT_TRUE(user->Command(8));
        c.edit();
        ASSERT_TRUE(user->Enter());
        for (const std::string& item : c.stored)
            EXPECT_THAT(Config(), HasSubstr(item)) << c.what;
        ASSERT_TRUE(user->Command(8));
        if (!c.scheme.empty()) {
            EXPECT_EQ(vlapi::IPropertyListPtr(C(L"Схема размещения"))->GetCurrentText(), c.scheme) << c.what;
        }
    }
    EXPECT_EQ(Text(L"Количество столбцов"), L"4");
}

// What another window of the program saved while the panel was open stays
// in the file: Enter writes only what this panel changed.
TEST_F(SettingTest, ConfirmKeepsWhatAnotherSessionSavedMeanwhile)
{
    std::string other = kConfig;
    other.replace(other.find("/old.vst"), 8, "/other.vst");
    other.replace(other.find("\"77\""), 4, "\"88\"");
    std::ofstream(ConfigFile(), std::ios::binary) << other;
    ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
    ASSERT_TRUE(user->SetValue(C(L"Формат"), L"А2"));
    ASSERT_TRUE(user->Enter());
    for (const char* item : {R"("format" value="2")", R"("lyt_file" value="/other.vst")", R"("max_length" value="88")"})
        EXPECT_THAT(Config(), HasSubstr(item));
}

// Enter writes only what the panel changed: every other item keeps its text
// byte for byte, whatever it is (refused on reading, empty, typed into the
// file while the panel is open, sound or not), and the user is told nothing;
// a changed item whose text was refused is named with the value replacing it.
TEST_F(SettingTest, EnterWritesOnlyWhatThePanelChanged)
{
    const auto with = [](std::string text, const std::string& from, const std::string& to) {
        return text.replace(text.find(from), from.size(), to);
    };
    const std::string vertical = with(kConfig, R"("orientation" value="false")", R"("orientation" value="true")");
    const std::string format7 = with(kConfig, R"("format" value="3")", R"("format" value="7")");
    const auto orient = [&] {
        ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
        ASSERT_TRUE(user->SetValue(C(L"Ориентация листа"), L"Вертикальная"));
    };
    const struct {
        const char* what;
        std::string before;     // the file the command reads
        std::string meanwhile;  // typed into the file while the panel is open ("": nothing)
        std::function<void()> edit;
        std::string after;
        std::wstring told;  // the message of Enter ("": none)
    } cases[] = {
        {"a comma", with(kConfig, "\"12.5\"", "\"1,5\""), "", orient, with(vertical, "\"12.5\"", "\"1,5\""), L""},
        {"a format out of range", format7, "", orient, with(vertical, R"("format" value="3")", R"("format" value="7")"), L""},
        {"an empty style library", with(kConfig, "/old.vst", ""), "", orient, with(vertical, "/old.vst", ""), L""},
        {"a refused tolerance typed meanwhile", kConfig, with(kConfig, "\"1.5\"", "\"0,25\""), orient,
         with(vertical, "\"1.5\"", "\"0,25\""), L""},
        {"a sound tolerance typed meanwhile", kConfig, with(kConfig, "\"1.5\"", "\"0.25\""), orient,
         with(vertical, "\"1.5\"", "\"0.25\""), L""},
        {"a refused format the user changes", format7, "",
         [&] {
             ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
             ASSERT_TRUE(user->SetValue(C(L"Формат"), L"А2"));
         },
         with(kConfig, R"("format" value="3")", R"("format" value="2")"), L"Sheets/format: «7» заменено на 2"},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(user->Esc());
        std::ofstream(ConfigFile(), std::ios::binary) << c.before;
        ASSERT_TRUE(user->Command(8));
        if (!c.meanwhile.empty())
            std::ofstream(ConfigFile(), std::ios::binary) << c.meanwhile;
        c.edit();
        const size_t shown = host->State().messages.size();
        ASSERT_TRUE(user->Enter());
        EXPECT_EQ(Config(), c.after) << c.what;
        EXPECT_EQ(host->State().messages.size(), shown + (c.told.empty() ? 0 : 1)) << c.what;
        if (!c.told.empty()) {
            EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), HasSubstr(vlhost::Host::Utf8(c.told))) << c.what;
        }
        ASSERT_TRUE(user->Command(8));
    }
}

// A configuration file that cannot be written is named with the reason; the
// file, the session's values and the drawing stay as they were.
TEST_F(SettingTest, AFileThatCannotBeWrittenIsToldAndNothingChanges)
{
    ASSERT_TRUE(user->Tick(C(L"Без оформления"), false));
    ASSERT_TRUE(user->SetValue(C(L"Формат"), L"А2"));
    std::filesystem::remove(ConfigFile());
    std::filesystem::create_directory(ConfigFile());
    const NestingSetting session = NestingSetting::m_instance;
    const bool withoutLayout = NestingSetting::m_withoutLayout;
    ASSERT_TRUE(user->Enter());
    EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), HasSubstr(ConfigFile().string()));
    EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), HasSubstr("папка"));
    EXPECT_EQ(NestingSetting::m_instance.m_sheetFormat, session.m_sheetFormat);
    EXPECT_EQ(NestingSetting::m_withoutLayout, withoutLayout);
    EXPECT_TRUE(std::filesystem::is_directory(ConfigFile()));
    EXPECT_FALSE(user->Running());
}

TEST_F(SettingTest, DocumentationWritesTheDocumentsIntoTheChosenFolder)
{
    ASSERT_TRUE(user->Esc());
    host->State().folderAnswers.push_back(L"");
    ASSERT_TRUE(user->Command(7));  // cancelled: nothing
    const size_t messages = host->State().messages.size();
    const std::filesystem::path folder = root / "Документы";
    std::filesystem::create_directories(folder);
    host->State().folderAnswers.push_back(vrnApi::detail::TextOf(folder));
    ASSERT_TRUE(user->Command(7));
    EXPECT_EQ(host->State().messages.size(), messages + 1);
    EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), HasSubstr("Создание документации завершено"));
    EXPECT_TRUE(std::filesystem::exists(folder / "Документация" / "Ведомость деталей.csv"));
    // The part lies in the container: the sheet holds nothing and gets no map.
    EXPECT_FALSE(std::filesystem::exists(folder / "Карты раскроя"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Документация" / "Ведомость линейного раскроя.csv"));
    const vlhost::ProgressState& progress = host->State().progress;
    EXPECT_FALSE(progress.shown);
    EXPECT_EQ(vlhost::Host::Utf8(progress.text), "Создание документации");
    EXPECT_EQ(progress.positions.back(), 100);

    // A file that cannot be written is named, and the run claims no success.
    std::filesystem::remove(folder / "Документация" / "Ведомость деталей.csv");
    std::filesystem::create_directory(folder / "Документация" / "Ведомость деталей.csv");
    const size_t again = host->State().messages.size();
    host->State().folderAnswers.push_back(vrnApi::detail::TextOf(folder));
    ASSERT_TRUE(user->Command(7));
    ASSERT_EQ(host->State().messages.size(), again + 1);
    EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), HasSubstr("Ведомость деталей.csv"));
    EXPECT_THAT(vlhost::Host::Utf8(LastMessage()), Not(HasSubstr("завершено")));
}

}  // namespace
}  // namespace shelltest
