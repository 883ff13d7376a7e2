// The documentation command's one closing message: done, with the folder;
// nothing to document; what could not be written and why; the documents
// of an earlier job that stay in the folder, named; and the style library
// the user set for the maps when it is not there.
#include "command_fixture.h"

#include "host/VarnelAPI_Detail.h"

#include <fstream>

namespace shelltest {
namespace {

namespace fs = std::filesystem;
using testing::HasSubstr;
using testing::Not;

class DocumentationTest : public CommandTest {
protected:
    // The job of `plates` plates 250 x 150, one a sheet of 300 x 200, in a new
    // drawing; with -1, a drawing of linear nesting that shows its list of
    // details, no plan.
    void Job(int plates)
    {
        user->New();
        if (plates < 0) {
            LinearNestingEditor editor;
            editor.m_model = CreateNestingModelInstance();
            editor.m_model->SetNestingMethod(1);
            editor.m_details = {{L"A", 500, 4}};
            editor.VisualizeNesting();
        } else if (plates > 0) {
            MakeJob({Fragment("P", testparts::Rectangle(0, 0, 250, 150), plates)});
            Place();
        }
    }
    // Two parts 100 x 50 on a sheet, the second shifted over the first, 30 mm right of it.
    void Overlapping()
    {
        user->New();
        MakeJob({Fragment("Q", testparts::Rectangle(0, 0, 100, 50), 2)});
        Place();
        std::vector<INestingMacroObjectPtr> parts = DrawingMacros();
        std::erase_if(parts, [](const INestingMacroObjectPtr& m) { return m->GetCommand() != MacroCommand::Figure; });
        ASSERT_EQ(parts.size(), 2u);
        double x[2] = {}, y[2] = {}, angle = 0.0;
        for (const int k : {0, 1})
            parts[k]->GetMacroPlacement(x[k], y[k], angle);
        parts[1]->SetMacroPlacement(x[0] + 30.0 - x[1], y[0] - y[1], 0.0, false);
    }
};

TEST_F(DocumentationTest, OneClosingMessageSaysWhatTheRunDid)
{
    std::ofstream(root / "file") << "a file where a folder would be";
    struct Case {
        const char* what;
        int plates;
        fs::path folder;
        int flags;                      // of the message
        std::vector<std::string> says;  // and what it must not say, after a "!"
        bool mapOpen = false;           // the folder's first map open in the host meanwhile
        bool overlapping = false;       // the job of two parts, one over the other, instead
        std::string library = {};       // the style library the configuration names; none: the host's
    };
    const fs::path mine = root / "Оформление" / "Моё.vst";
    const fs::path there = root / "Оформление" / "Есть.vst";
    fs::create_directories(there.parent_path());
    std::ofstream(there) << "a style library";
    const Case cases[] = {
        {"one map", 1, root / "open", vlapi::vlMBIconInformation, {"завершено", "!прежних"}},
        {"the same again, its map open in the host", 1, root / "open", vlapi::vlMBIconError,
         {"Карта раскроя 1.vdw: файл открыт в программе", "!прежних"}, true},
        {"an empty drawing", 0, root / "docs", vlapi::vlMBIconWarning,
         {"Документация не создана", "!завершено"}},
        {"the list of a linear job, no plan", -1, root / "docs", vlapi::vlMBIconWarning,
         {"Документация не создана: в чертеже нет показанного раскроя"}},
        {"job A of three maps", 3, root / "docs", vlapi::vlMBIconInformation,
         {"Создание документации завершено", "!прежних"}},
        {"job B of one map, into A's folder", 1, root / "docs", vlapi::vlMBIconWarning,
         {"завершено", "прежних запусков", "2.vdw", "3.vdw", "3_Ведомость Деталей.vfw", "!1.vdw"}},
        {"a folder that cannot be made", 1, root / "file" / "docs", vlapi::vlMBIconError,
         {"/file/docs: не удалось создать папку", "!Документация", "!завершено"}},
        {"a map whose parts overlap", 1, root / "over", vlapi::vlMBIconWarning,
         {"Создание документации завершено", "детали наложены друг на друга",
          "\nКарта раскроя 1 (деталей: 2): Q"},
         false, true},
        {"a style library the user set that is not there", 1, root / "styled", vlapi::vlMBIconWarning,
         {"Создание документации завершено", "\n\nБиблиотека оформлений не найдена: " + mine.string() +
                                                  ". Карты раскроя записаны без оформления из неё."},
         false, false, mine.string()},
        {"the host's own, not installed here", 1, root / "own", vlapi::vlMBIconInformation, {"завершено", "!Библиотека"},
         false, false, (root / "System" / "Nesting.vst").string()},
        {"the user's, there", 1, root / "there", vlapi::vlMBIconInformation, {"завершено", "!Библиотека"}, false, false,
         there.string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::create_directories(root / "Config" / "Nesting");
        std::ofstream(root / "Config" / "Nesting" / "Nesting-cfg.xml")
            << "<Sheets><item name=\"lyt_file\" value=\"" << c.library << "\" /></Sheets>";
        c.overlapping ? Overlapping() : Job(c.plates);
        if (c.mapOpen) {
            const vlapi::IVarnelDocumentPtr job = host->Application()->GetActiveDocument();
            ASSERT_TRUE(user->Open(c.folder / "Карты раскроя" / "Карта раскроя 1.vdw"));
            job->Activate();
        }
        const size_t before = host->State().messages.size();
        host->State().folderAnswers.push_back(vrnApi::detail::TextOf(c.folder));
        ASSERT_TRUE(user->Command(7));
        ASSERT_EQ(host->State().messages.size(), before + 1);
        EXPECT_EQ(host->State().messages.back().flags, c.flags);
        const std::string text = vlhost::Host::Utf8(LastMessage());
        for (const std::string& said : c.says) {
            if (said[0] == '!')
                EXPECT_THAT(text, Not(HasSubstr(said.substr(1))));
            else
                EXPECT_THAT(text, HasSubstr(said));
        }
        EXPECT_EQ(fs::exists(c.folder), c.plates > 0 && c.folder.parent_path() == root);
    }
}

}  // namespace
}  // namespace shelltest
