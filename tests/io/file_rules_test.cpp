// What every documentation file goes through: names made safe and unique, a
// file that cannot be written named in one closing message with its reason
// while the old file survives, no temporary file or hidden document left
// behind, and the host's user access back on.
#include "io/io_fixture.h"

#include <gmock/gmock.h>

#include "host/NestingResources.h"
#include "host/VarnelAPI_Detail.h"
#include "api/INestingObjects.h"
#include "io/Exporter.h"
#include "io/OutputFiles.h"
#include "io/Reporter.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace iotest {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const std::wstring& text) { return vlhost::Host::Utf8(text); }

vlapi::IVarnelDocumentPtr OpenDocumentOf(const fs::path& file)
{
    return application->GetDocuments()->FindDocument(vrnApi::detail::TextOf(file));
}

class FileRulesTest : public IoTest {
protected:
    fs::path Maps() const { return Out() / "Карты раскроя"; }
    fs::path Docs() const { return Out() / "Документация"; }

    // Every test's job: two sheets of one name and one whose name holds a
    // separator, a colon and a control character, each with a part; a
    // remnant on the first.
    void SetUp() override
    {
        IoTest::SetUp();
        SheetPtr first = AddSheet(L"S", 1000.0, 500.0);
        AddRectPart(first, L"A", 100, 50, 0, 0);
        AddWaste(first, 600, 300, 300, 150);
        AddRectPart(AddSheet(L"S", 1000.0, 500.0), L"A", 100, 50, 0, 0);
        AddRectPart(AddSheet(L"a/b:c\x01", 1000.0, 500.0), L"A", 100, 50, 0, 0);
        Store();
    }

    // A reporter set to write every document into `folder`.
    static std::unique_ptr<Reporter> AllInto(const std::wstring& folder)
    {
        auto reporter = std::make_unique<Reporter>();
        reporter->Init();
        reporter->SetParams(ReportParams{true, true, folder, L"", 4, 0, true, true, true, true, true});
        return reporter;
    }

    void RunAll(const std::wstring& folder) { AllInto(folder)->CreateDocumentation(); }

    void ExpectClean() { ExpectCleanHost({Out(), Maps(), Docs()}); }

    // The closing error message, one line per file.
    std::string Report() const
    {
        for (const vlhost::RecordedMessage& m : host->State().messages) {
            if (m.flags == vlapi::vlMBIconError)
                return Utf8(m.text);
        }
        return "";
    }
};

TEST_F(FileRulesTest, NamesStayInTheFolderAndEqualNamesDoNotOverwriteEachOther)
{
    const mode_t mask = ::umask(022);
    RunAll(OutText());
    ::umask(mask);
    EXPECT_EQ(Report(), "");
    // Each file as any new file is made, readable by those who read the folder, not by its writer alone.
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Out()))
        EXPECT_TRUE(!entry.is_regular_file() || (entry.status().permissions() & fs::perms::all) == fs::perms(0644)) << entry.path();
    const std::set<std::string> maps = {"S.vdw",
                                        "S_2.vdw",
                                        "a_b_c_.vdw",
                                        "S_Ведомость Деталей.vfw",
                                        "S_2_Ведомость Деталей.vfw",
                                        "a_b_c__Ведомость Деталей.vfw"};
    EXPECT_EQ(Listing(Maps()), maps);
    EXPECT_EQ(Listing(Out()), (std::set<std::string>{"Документация", "Карты раскроя"}));
    EXPECT_EQ(Listing(Docs()).size(), 10u);
    ExpectClean();
}

TEST_F(FileRulesTest, AFileNotWrittenIsNamedWithItsReasonAndTheOldOneSurvives)
{
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        std::vector<std::string> failed;  // relative to the output folder
        const char* reason;
        // CSV twins of tables not saved: kept with their tables, as they were
        std::vector<std::string> twins = {};
    };
    const std::vector<std::string> everyDocument = {
        "Карты раскроя/S.vdw", "Карты раскроя/S_2_Ведомость Деталей.vfw", "Документация/Ведомость материалов.vfw",
        "Документация/Ведомость линейного раскроя.vfw"};
    const Case cases[] = {
        {"open in the host",
         [this] {
             host->Open(Maps() / "S.vdw", false);
             host->Open(Docs() / "Ведомость деталей.vfw", false);
             doc->Activate();
         },
         {"Карты раскроя/S.vdw", "Документация/Ведомость деталей.vfw", "Документация/Ведомость деталей.csv"},
         "файл открыт в программе"},
        {"no document",
         [] { vlhost::Failures::Instance().Fail("IDocuments::Add"); },
         everyDocument,
         "не удалось создать документ"},
        {"no view copied",
         [] { vlhost::Failures::Instance().Fail("IDrawingGroup::CopyToDocument"); },
         {"Карты раскроя/S.vdw", "Карты раскроя/S_2.vdw", "Карты раскроя/a_b_c_.vdw"},
         "не удалось скопировать вид листа"},
        {"no table",
         [] { vlhost::Failures::Instance().Fail("IDrawingTables::AddTable"); },
         {"Карты раскроя/S_Ведомость Деталей.vfw", "Документация/Ведомость карт раскроя.vfw",
          "Документация/Ведомость карт раскроя.csv", "Документация/Ведомость делового отхода.csv"},
         "не удалось создать таблицу"},
        {"no save",
         [] { vlhost::Failures::Instance().Fail("IVarnelDocument::SaveAs"); },
         everyDocument,
         "не удалось сохранить документ",
         {"Документация/Ведомость карт раскроя.csv", "Документация/Ведомость деталей.csv"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The old files: a first run's, each marked at its end.
        fs::remove_all(Out());
        RunAll(OutText());
        std::vector<std::string> kept = c.failed;
        kept.insert(kept.end(), c.twins.begin(), c.twins.end());
        std::map<std::string, std::string> old = MarkOldFiles(Out(), kept);
        Messages().clear();
        c.breakIt();
        RunAll(OutText());
        vlhost::Failures::Instance().RestoreAll();
        for (const vlapi::IVarnelDocumentPtr& open : {OpenDocumentOf(Maps() / "S.vdw"), OpenDocumentOf(Docs() / "Ведомость деталей.vfw")}) {
            if (open)
                open->Close(0);
        }
        doc->Activate();
        const std::string report = Report();
        for (const std::string& file : kept) {
            const bool twin = std::find(c.twins.begin(), c.twins.end(), file) != c.twins.end();
            EXPECT_EQ(Bytes(Out() / file), old[file]) << file;
            EXPECT_NE(report.find(file + ": " + (twin ? "не записан парный файл" : c.reason)), std::string::npos)
                << file << "\n" << report;
        }
        ExpectClean();
    }
}

// The documents go in place together at the end. A run that does not end
// (the program stops after its first documents) and one whose documents
// cannot all be put in place (a folder stands where a register's CSV goes)
// leave the folders as they were, the earlier run's documents byte for byte;
// the second says so and names no earlier document. What the first left
// hidden in the folder neither shows nor stops the next run.
TEST_F(FileRulesTest, ARunCutShortOrNotPutInPlaceLeavesTheFoldersAsTheyWere)
{
    RunAll(OutText());
    std::vector<std::string> files;
    for (const fs::path& folder : {Maps(), Docs()}) {
        for (const std::string& name : Listing(folder))
            files.push_back((folder.filename() / fs::u8path(name)).string());
    }
    ASSERT_EQ(files.size(), 16u);
    std::map<std::string, std::string> old = MarkOldFiles(Out(), files);
    const auto expectAsTheyWere = [&](const char* what) {
        for (const auto& [file, bytes] : old)
            EXPECT_EQ(Bytes(Out() / fs::u8path(file)), bytes) << what << ": " << file;
        size_t shown = 0;
        for (const fs::path& folder : {Maps(), Docs()}) {
            for (const std::string& name : Listing(folder))
                shown += name[0] != '.';
        }
        EXPECT_EQ(shown, 16u) << what;
    };

    const pid_t child = fork();
    if (child == 0) {
        AllInto(OutText())->Run([](size_t done, size_t) {
            if (done == 3)
                _exit(0);
        });
        _exit(1);
    }
    int status = -1;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    expectAsTheyWere("the program stopped");

    const std::string csv = "Документация/Ведомость деталей.csv";
    fs::remove(Out() / fs::u8path(csv));
    fs::create_directory(Out() / fs::u8path(csv));
    old.erase(csv);
    Messages().clear();
    RunAll(OutText());
    expectAsTheyWere("a folder in a register's place");
    EXPECT_EQ(Report(), "Документация не создана: файл " + csv + " не удалось поместить в папку " + Out().string() +
                            " (на месте файла стоит папка).\nФайлы папки оставлены как были.");
    ExpectClean();
}

// The folder of maps a link to a folder on another disk: the maps wait
// there, beside their places, and are put in place as the registers are.
TEST_F(FileRulesTest, AFolderOfMapsOnAnotherDiskTakesItsMaps)
{
    const fs::path other = fs::path("/dev/shm") / ("maps-" + std::to_string(getpid()));
    struct stat disk {}, here {};
    if (::stat("/dev/shm", &disk) != 0 || ::stat(root.c_str(), &here) != 0 || disk.st_dev == here.st_dev)
        GTEST_SKIP() << "no other disk to link to";
    fs::create_directories(other);
    fs::create_directories(Out());
    fs::create_directory_symlink(other, Maps());
    RunAll(OutText());
    const std::set<std::string> maps = Listing(other);
    fs::remove_all(other);
    EXPECT_EQ(Report(), "");
    EXPECT_EQ(maps.size(), 6u);
    EXPECT_EQ(Listing(Docs()).size(), 10u);
}

TEST_F(FileRulesTest, AFolderThatCannotBeMadeSkipsItsOutputsOnly)
{
    fs::create_directories(Out());
    std::ofstream(Maps()) << "a file where the folder of maps would be";
    RunAll(OutText());
    EXPECT_EQ(Report(), "Не записаны файлы документации:\nКарты раскроя: не удалось создать папку");
    EXPECT_EQ(Listing(Docs()).size(), 10u);
    ExpectClean();
}

TEST_F(FileRulesTest, AFolderThatCannotBeWrittenToKeepsNothingHalfWritten)
{
    fs::create_directories(Docs());
    fs::permissions(Docs(), fs::perms::owner_read | fs::perms::owner_exec);
    if (access(Docs().c_str(), W_OK) == 0) {
        fs::permissions(Docs(), fs::perms::owner_all);
        GTEST_SKIP() << "the folder stays writable for this user (root)";
    }
    RunAll(OutText());
    fs::permissions(Docs(), fs::perms::owner_all);
    // Nothing goes in place: not the registers, nor the maps.
    EXPECT_EQ(Report().rfind("Документация не создана: файл Документация/", 0), 0u) << Report();
    EXPECT_TRUE(Listing(Docs()).empty());
    EXPECT_TRUE(Listing(Maps()).empty());
    ExpectClean();
}

TEST_F(FileRulesTest, AnEmptyFolderOnlyWarnsAndNothingAskedWritesNothing)
{
    RunAll(L"");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().front().text, vrnApi::LoadStr(IDS_MESS_PUT_EXPORT_FOLDER));
    EXPECT_EQ(State().access.offs, 0);

    Reporter reporter;
    reporter.Init();
    ReportParams params;
    params.folder = OutText();
    reporter.SetParams(params);
    reporter.CreateDocumentation();
    EXPECT_FALSE(fs::exists(Out()));
    EXPECT_EQ(State().access.offs, 1);
    ExpectClean();
}

// Every name the file system takes is written, however little it leaves for
// a temporary name beside it; a longer one is refused with that reason, in
// the export and the documentation alike, and no message shows the hidden
// folders the files wait in. Sheets of `letters` Cyrillic letters (two
// bytes each) give files of so many bytes: the sheet's fragment and DXF file
// and its map twice that and 4, its part table twice that and 38.
TEST_F(FileRulesTest, EveryNameTheFileSystemTakesIsWrittenAndALongerOneIsRefusedWithWhy)
{
    FreshDrawing();
    const struct {
        size_t letters;
        bool sheet, table;  // written: the sheet's own files and map, its part table
    } cases[] = {{108, true, true}, {125, true, false}, {126, false, false}};
    for (const auto& c : cases)
        AddRectPart(AddSheet(std::wstring(c.letters, L'Л'), 1000.0, 500.0), L"A", 100, 50, 0, 0);
    Store();
    RunAll(OutText());
    IExporterPtr exporter = CreateExporterInstance();
    exporter->SetParams(ExportParams{});
    exporter->ExportToDXF(vrnApi::detail::TextOf(Out() / "export"));

    std::wstring shown;
    for (const vlhost::RecordedMessage& m : Messages())
        shown += m.text + L"\n";
    for (const wchar_t* unsaid : {L".documentation-", L".export-", L"не удалось сохранить", L"не удалось преобразовать"})
        EXPECT_EQ(shown.find(unsaid), std::wstring::npos) << Utf8(shown);
    const auto expect = [&](const fs::path& folder, const std::wstring& name, bool written) {
        const std::string file = Utf8(name);
        std::error_code ec;
        EXPECT_EQ(fs::exists(folder / fs::u8path(file), ec), written) << file.size() << " bytes";
        const std::wstring why = L"имя файла длиннее, чем допускает файловая система (" +
                                 std::to_wstring(file.size()) + L" байт, допустимо не больше 255 байт)";
        EXPECT_EQ(shown.find(name + L": " + why) != std::wstring::npos, !written) << Utf8(shown);
    };
    for (const auto& c : cases) {
        const std::wstring name(c.letters, L'Л');
        for (const wchar_t* extension : {L".vfw", L".dxf"})
            expect(Out() / "export", name + extension, c.sheet);
        expect(Maps(), name + L".vdw", c.sheet);
        expect(Maps(), name + L"_Ведомость Деталей.vfw", c.table);
    }
    ExpectCleanHost({Out(), Maps(), Docs(), Out() / "export"});
}

// A folder whose path leaves no room for the short name a file waits under
// (or for the hidden folder of a run) refuses the file saying so, though
// the target's own path is one the file system takes; no temporary name is
// shown.
TEST_F(FileRulesTest, AFolderTooLongForTheNameAFileWaitsUnderIsNamedSo)
{
    fs::path folder = root;
    while (folder.native().size() < 4085)
        folder /= std::string(std::min<size_t>(200, 4085 - folder.native().size() - 1), 'd');
    ASSERT_TRUE(outputs::EnsureFolder(folder));
    const fs::path target = folder / "a.vfw";  // 4091 bytes: taken
    const std::wstring why = L"путь к папке слишком длинный для записи в неё (4085 байт)";
    EXPECT_EQ(outputs::PendingFile(target).Fault(), why);
    EXPECT_EQ(outputs::PendingFile(folder / ".export-XXXXXX" / "a.vfw", target).Fault(), why);
    outputs::StagedFiles staged(folder, ".export-");
    EXPECT_FALSE(staged.Ready());
    EXPECT_EQ(staged.Error(), why);
}

// Every writer writes through a file that is a link (into a machine's folder,
// on another disk where there is one): the link stays and the file it leads
// to gets the new contents; an existing file keeps its mode. The writers:
// documentation (maps, part tables, registers, CSV twins), export (DXF files,
// fragments, 3D document) and a file written on its own (a part's fragment).
TEST_F(FileRulesTest, ALinkedFileIsWrittenThroughItsLinkAndAFileKeepsItsMode)
{
    const auto runAll = [this] {
        RunAll(OutText());
        IExporterPtr exporter = CreateExporterInstance();
        ExportParams everything;
        everything.add3D = true;
        exporter->SetParams(everything);
        exporter->ExportToDXF(OutText());
    };
    const fs::path elsewhere = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") / ("linked-" + std::to_string(getpid()))
                                                            : root / "linked";
    fs::create_directories(elsewhere);
    runAll();
    // Every other file a link to a file of mode 0640 elsewhere, the others of mode 0640.
    std::map<fs::path, fs::path> links;
    std::vector<fs::path> plain;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(Out())) {
        fs::path to = elsewhere / std::to_string(links.size());
        if (entry.is_regular_file() && links.size() <= plain.size()) {
            std::ofstream(to) << "earlier";
            fs::remove(entry.path());
            fs::create_symlink(to, entry.path());
            links[entry.path()] = to;
        } else if (entry.is_regular_file()) {
            plain.push_back(to = entry.path());
        }
        ::chmod(to.c_str(), 0640);
    }
    ASSERT_GE(links.size() + plain.size(), 24u);
    const fs::path single = Out() / "single.vfw";  // through a relative link
    std::ofstream(elsewhere / "single") << "earlier";
    fs::create_symlink(fs::relative(elsewhere / "single", Out()), single);
    outputs::PendingFile file(single);
    std::ofstream(file.Temporary()) << "new";
    std::wstring reason;
    EXPECT_TRUE(file.Commit(reason)) << Utf8(reason);
    runAll();
    EXPECT_EQ(Report(), "");
    for (const auto& [link, to] : links) {
        EXPECT_TRUE(fs::is_symlink(link) && Bytes(to) != "earlier" && !Bytes(to).empty()) << link;
        plain.push_back(to);
    }
    for (const fs::path& written : plain)
        EXPECT_EQ(fs::status(written).permissions() & fs::perms::all, fs::perms(0640)) << written;
    EXPECT_TRUE(fs::is_symlink(single) && Bytes(elsewhere / "single") == "new");
    fs::remove_all(elsewhere);
    ExpectClean();
}

// A register linked nowhere writable (to a folder, into no folder, round in a
// loop) stops the run, named with why, and the link stays, as does a folder of
// documents linked to no folder; through a chain, or to no file yet, it is written.
TEST_F(FileRulesTest, ALinkLeadingNowhereWritableIsKeptAndNamedWithWhy)
{
    using testing::HasSubstr;
    const fs::path csv = Docs() / "Ведомость деталей.csv", away = root / "away", lost = away / "no" / "x.csv";
    const struct {
        const char* what;
        std::vector<std::pair<fs::path, fs::path>> links;  // link, where it leads; the first is the register's
        std::string reason;                                 // empty: written where the links lead
    } cases[] = {
        {"to a folder", {{csv, away}}, "ссылка ведёт на папку " + away.string()},
        {"into no folder", {{csv, lost}}, "ссылка ведёт на " + lost.string() + ": папка не найдена"},
        {"round in a loop", {{csv, away / "loop"}, {away / "loop", csv}}, "символические ссылки ведут по кругу"},
        {"along a chain", {{csv, away / "1"}, {away / "1", "2"}}, ""},
        {"to no file yet", {{csv, away / "new.csv"}}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(Out());
        fs::remove_all(away);
        RunAll(OutText());
        fs::create_directories(away);
        fs::remove(csv);
        for (const auto& [link, to] : c.links)
            fs::create_symlink(to, link);
        Messages().clear();
        RunAll(OutText());
        std::error_code error;
        EXPECT_EQ(fs::read_symlink(csv, error), c.links.front().second);
        if (c.reason.empty()) {
            EXPECT_THAT(Bytes(csv), HasSubstr("Имя детали"));
        }
        EXPECT_THAT(Report(), c.reason.empty() ? testing::Matcher<std::string>(testing::IsEmpty()) :
            testing::AllOf(HasSubstr("Документация/Ведомость деталей.csv не удалось поместить"), HasSubstr("(" + c.reason + ")")));
    }
    fs::remove_all(Out());
    fs::create_directories(Out());
    fs::create_symlink(away / "no", Docs());
    RunAll(OutText());
    EXPECT_THAT(Report(), HasSubstr("Документация: не удалось создать папку: ссылка ведёт на " + (away / "no").string() +
                                    ": папка не найдена"));
    EXPECT_TRUE(fs::is_symlink(Docs()));
    fs::create_symlink("b", away / "a");  // a file written on its own refuses a loop before it writes anything
    fs::create_symlink("a", away / "b");
    EXPECT_EQ(outputs::PendingFile(away / "a").Fault(), L"символические ссылки ведут по кругу");
    fs::remove_all(away);
}

// A folder that takes nothing fails every map of a large job: the message
// names the first fifteen files and counts the rest. Lists of files refused
// each for its own reason name them all.
TEST(FailureListTest, TheFirstFifteenAreNamedAndTheRestCounted)
{
    outputs::FailureList list;
    for (int k = 1; k <= 40; ++k)
        list.Add(L"Карта " + std::to_wstring(k) + L".vdw", outputs::kNotSaved);
    const std::wstring text = list.Text(L"Не записаны:", outputs::FailureList::kShownOfMany);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 16);
    const std::wstring all = list.Text(L"Не записаны:");
    EXPECT_EQ(std::count(all.begin(), all.end(), L'\n'), 40);
    EXPECT_NE(text.find(L"\nКарта 15.vdw: не удалось сохранить документ\n… и ещё 25"), std::wstring::npos);
    EXPECT_TRUE(list.Names(L"Карта 40.vdw"));
}

}  // namespace
}  // namespace iotest
