// job_check catches what it is there for: a placed job made by nesting_job
// (tests/data/e2e/job.txt, placed, remnants, export, documentation) passes
// every check, and each check fails, naming the fault, on a copy spoilt in
// the way it guards against.
#include "support/shell_command.h"
#include "vlhost/Driver.h"
#include "vlhost/Host.h"

#include "geometry/BaseAlgorithms.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

using shellcommand::Outcome;

Outcome RunCommand(const std::vector<std::string>& words)
{
    std::string command;
    for (const std::string& word : words)
        command.append(shellcommand::Quoted(word)).append(" ");
    return shellcommand::Run(command);
}

std::string Read(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void Write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

void Replace(const fs::path& file, const std::string& from, const std::string& to)
{
    std::string text = Read(file);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from << " in " << file;
    Write(file, text.replace(at, from.size(), to));
}

// Opens the drawing in the stand-in host, the library not loaded, lets the
// user edit it there, and saves it as `saved`.
void EditInHost(const fs::path& drawing, const fs::path& saved, const std::function<void(vlhost::Driver&)>& edit)
{
    const fs::path root = fs::temp_directory_path() / ("job_check_test-host-" + std::to_string(getpid()));
    {
        vlhost::Host host(root);
        vlhost::Driver user(host);
        ASSERT_TRUE(user.Open(drawing));
        edit(user);
        ASSERT_TRUE(user.Save(saved));
    }
    fs::remove_all(root);
}

// Moves a macro of the drawing as the user would with the host's own tool.
void MoveMacro(const fs::path& drawing, const std::wstring& name, double dx, double dy)
{
    EditInHost(drawing, drawing,
               [&](vlhost::Driver& user) { ASSERT_TRUE(user.Move(user.Objects(L"macro:" + name), dx, dy)); });
}

class JobCheck : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_job = fs::temp_directory_path() / ("job_check_test-" + std::to_string(getpid()));
        fs::remove_all(s_job);
        const Outcome made = RunCommand({NESTING_JOB, NESTING_SOURCE_DIR "/tests/data/e2e/job.txt", (s_job / "job.vdw").string(),
                                         "--placed", "--remnants", "--export", (s_job / "export").string(), "--document",
                                         (s_job / "docs").string()});
        ASSERT_EQ(made.status, 0) << made.output;
    }
    static void TearDownTestSuite() { fs::remove_all(s_job); }

    // A copy of the job to spoil.
    static fs::path Copy(const std::string& name)
    {
        const fs::path copy = s_job.string() + "-" + name;
        fs::remove_all(copy);
        fs::copy(s_job, copy, fs::copy_options::recursive);
        return copy;
    }

    static Outcome Check(const std::vector<std::string>& args)
    {
        std::vector<std::string> words = {JOB_CHECK};
        words.insert(words.end(), args.begin(), args.end());
        return RunCommand(words);
    }

    static inline fs::path s_job;
};

TEST_F(JobCheck, TheJobAsMadePassesEveryCheck)
{
    const std::string job = (s_job / "job.vdw").string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"overlap", job}, {"reopen", job},
          {"accounted", job, "--parts", NESTING_SOURCE_DIR "/tests/data/e2e/job.txt"}, {"dxf", job, (s_job / "export").string()},
          {"gaps", job, (s_job / "export").string()}, {"csv", s_job.string()},
          {"registers", job, (s_job / "docs").string()}, {"remnants", job}}) {
        const Outcome outcome = Check(args);
        EXPECT_EQ(outcome.status, 0) << args[0] << ":\n" << outcome.output;
    }
    // The least gap is the least of all pairs: the plate and the diamond stand the gap apart.
    EXPECT_NE(Check({"gaps", job, (s_job / "export").string()}).output.find("the least gap between parts 5.0000 mm"),
              std::string::npos);
    const Outcome summary = Check({"summary", job, "--files", s_job.string()});
    EXPECT_EQ(summary.status, 0);
    EXPECT_NE(summary.output.find("3 pieces: 3 placed, 0 in the container"), std::string::npos) << summary.output;
    // Each part, the first piece as its copies, keeps the thickness and material its file gives.
    std::ifstream parts(s_job / "docs" / "Документация" / "Ведомость деталей.csv");
    const std::string register_{std::istreambuf_iterator<char>(parts), {}};
    EXPECT_NE(register_.find("\"Plate\";\"1\";\"Ст3\";\"2.00\""), std::string::npos) << register_;
}

struct Spoilt {
    const char* name;
    std::function<void(const fs::path& job)> spoil;
    std::vector<std::string> args;  // $J stands for the spoilt copy's folder
    const char* fault;  // what the check names
};

std::string Drawing(const fs::path& job) { return (job / "job.vdw").string(); }
std::string SheetDxf(const fs::path& job) { return (job / "export" / "Карта раскроя 1.dxf").string(); }
std::string PartsCsv(const fs::path& job) { return (job / "docs" / "Документация" / "Ведомость деталей.csv").string(); }

const Spoilt kSpoilt[] = {
    {"CrossMovedOntoThePlate", [](const fs::path& job) { MoveMacro(Drawing(job), L"Cross", 40, -90); },
     {"overlap", "$J/job.vdw"}, "and part 3 \"Cross\" on \"Карта раскроя 1\" share"},
    {"PlateMovedOffItsSheet", [](const fs::path& job) { MoveMacro(Drawing(job), L"Plate", 0, 400); },
     {"reopen", "$J/job.vdw"}, "result tables differ"},
    {"PlateStandingOutOfItsSheet", [](const fs::path& job) { MoveMacro(Drawing(job), L"Plate", -80, 0); },
     {"accounted", "$J/job.vdw", "--import", "$J/import"}, "stands on \"Карта раскроя 1\" but outside the sheet"},
    {"TwoPlatesListed",
     [](const fs::path& job) { Write(job / "parts.txt", "Plate|2\nCross|1\nDiamond|1\nRing|1\n"); },
     {"accounted", "$J/job.vdw", "--parts", "$J/parts.txt"}, "\"Plate\": 2 imported, 1 placed and 0 in the container"},
    {"PartMissingFromTheSheetDxf",
     [](const fs::path& job) {
         // The first line of the file moved off: its outline no longer closes.
         std::string text = Read(SheetDxf(job));
         const size_t line = text.find("\nAcDbLine\n");
         ASSERT_NE(line, std::string::npos);
         const size_t x = text.find("\n 10\n", line);
         const size_t end = text.find('\n', x + 5);
         Write(SheetDxf(job), text.replace(x + 5, end - x - 5, "-77.5"));
     },
     {"dxf", "$J/job.vdw", "$J/export"}, "as in the drawing"},
    {"DxfObjectWithoutItsOwner", [](const fs::path& job) { Replace(SheetDxf(job), "  5\nD\n330\nC\n", "  5\nD\n"); },
     {"dxf", "$J/job.vdw", "$J/export"}, "Карта раскроя 1.dxf: 1 audit fixes"},
    {"PartsRegisterNamingAnotherMap", [](const fs::path& job) { Replace(PartsCsv(job), "\"Карта раскроя 1\"", "\"Карта 7\""); },
     {"registers", "$J/job.vdw", "$J/docs"}, "listed, the drawing holds none"},
    {"TruncatedDxf",
     [](const fs::path& job) {
         const std::string text = Read(SheetDxf(job));
         Write(SheetDxf(job), text.substr(0, text.size() / 2));
     },
     {"dxf", "$J/job.vdw", "$J/export"}, "Карта раскроя 1.dxf: "},
    {"UsersTitleBlockCellLost",
     [](const fs::path& job) {
         const fs::path laid = job / "laid.vdw";
         ASSERT_EQ(RunCommand({NESTING_JOB, NESTING_SOURCE_DIR "/tests/data/e2e/job.txt", laid.string(), "--layout"}).status, 0);
         // The first page's title block holds the user's own cell as typed in the host.
         EditInHost(laid, job / "typed.vdw",
                    [](vlhost::Driver& user) { ASSERT_TRUE(user.TypeInTitleBlock(0, 110, L"Иванов И.И.")); });
     },
     {"same", "$J/typed.vdw", "$J/laid.vdw"}, "the title block of page 1: cell 110 held \"Иванов И.И.\", holds \"\""},
    {"PlateMovedOntoTheRemnant", [](const fs::path& job) { MoveMacro(Drawing(job), L"Plate", 150, 100); },
     {"remnants", "$J/job.vdw"}, "holds 5000.0000 mm² of part 1 \"Plate\""},
    {"CrossMovedIntoTheRemnantsGap", [](const fs::path& job) { MoveMacro(Drawing(job), L"Cross", 3, 0); },
     {"remnants", "$J/job.vdw"}, "within the part gap 5.0000 mm"},
    {"RemnantFileOverTheParts",
     [](const fs::path& job) {
         // A remnant's file whose outline takes in the whole sheet.
         std::string lines;
         const double corners[][2] = {{-10, -10}, {400, -10}, {400, 300}, {-10, 300}};
         for (int k = 0; k < 4; ++k) {
             const auto* a = corners[k];
             const auto* b = corners[(k + 1) % 4];
             lines += "0\nLINE\n8\n0\n10\n" + std::to_string(a[0]) + "\n20\n" + std::to_string(a[1]) + "\n11\n" +
                      std::to_string(b[0]) + "\n21\n" + std::to_string(b[1]) + "\n";
         }
         Write(job / "export" / "waste1-1(1).dxf", "0\nSECTION\n2\nENTITIES\n" + lines + "0\nENDSEC\n0\nEOF\n");
     },
     {"/usr/bin/python3", NESTING_SOURCE_DIR "/tests/e2e/check_remnant_dxf.py", "$J/export", "5"},
     "holds 7300.0000 mm² of the parts"},
    {"RemnantOutlineEndsAHairApart",
     [](const fs::path& job) {
         // The first line of the remnant's outline starts 0.000002 mm off where the last one ends.
         Replace(job / "export" / "waste1-1(1).dxf", "AcDbLine\n 10\n7.5\n", "AcDbLine\n 10\n7.500002\n");
     },
     {"dxf", "$J/job.vdw", "$J/export"},
     "waste1-1(1).dxf: the outline is not closed at (7.500002, 192.500000): its ends lie 0.000002000 mm apart"},
    {"CsvCellChanged", [](const fs::path& job) { Replace(PartsCsv(job), "\"Cross\"", "\"Crosses\""); },
     {"csv", "$J/docs"}, "differs from its table document from row"},
    {"CsvNameASpreadsheetEvaluates", [](const fs::path& job) { Replace(PartsCsv(job), "\"Cross\"", "\"=Cross\""); },
     {"csv", "$J/docs"}, "a spreadsheet evaluates the cell \"=Cross\""},
    {"CsvLineWithoutItsLastSeparator", [](const fs::path& job) { Replace(PartsCsv(job), ";\n", "\n"); },
     {"csv", "$J/docs"}, "a line that does not end with"},
    {"CsvFolderWithoutRegisters", [](const fs::path& job) { fs::remove_all(job / "docs"); },
     {"csv", "$J/docs"}, "no .csv file under"},
    {"CsvWithoutItsByteOrderMark", [](const fs::path& job) { Replace(PartsCsv(job), "\xEF\xBB\xBF", ""); },
     {"csv", "$J/docs"}, "no byte-order mark leads the file"},
};

TEST_F(JobCheck, EachCheckNamesTheFaultItGuardsAgainst)
{
    for (const Spoilt& c : kSpoilt) {
        SCOPED_TRACE(c.name);
        const fs::path job = Copy(c.name);
        c.spoil(job);
        // job_check, or the DXF reader of the scripts named with its interpreter.
        std::vector<std::string> args = c.args;
        for (std::string& arg : args) {
            if (const size_t at = arg.find("$J"); at != std::string::npos)
                arg.replace(at, 2, job.string());
        }
        const Outcome outcome = args.front().front() == '/' ? RunCommand(args) : Check(args);
        EXPECT_EQ(outcome.status, 1) << outcome.output;
        EXPECT_NE(outcome.output.find(c.fault), std::string::npos) << outcome.output;
        fs::remove_all(job);
    }
}

// An export of thousands of files is read whole: their paths together pass
// what one command line of the system takes (128 KiB), so the files go to
// the reader in batches.
TEST_F(JobCheck, AnExportOfManyFilesIsReadWhole)
{
    constexpr size_t kCopies = 500;  // of some 330 bytes a path
    const fs::path job = Copy("many");
    const fs::path deep = job / "export" / std::string(200, 'd');
    size_t files = kCopies;
    for (const auto& entry : fs::recursive_directory_iterator(job / "export"))
        files += entry.path().extension() == ".dxf";
    fs::create_directories(deep);
    for (size_t k = 0; k < kCopies; ++k)
        fs::copy_file(job / "export" / "card.dxf", deep / ("копия карты " + std::to_string(k) + ".dxf"));
    const Outcome outcome = Check({"dxf", Drawing(job), (job / "export").string()});
    EXPECT_EQ(outcome.status, 0) << outcome.output;
    EXPECT_NE(outcome.output.find("job_check dxf: " + std::to_string(files) + " DXF files"), std::string::npos) << outcome.output;
    fs::remove_all(job);
}

// A sheet whose name a file cannot hold has its files under the name the
// export makes of it: the checks find them.
TEST_F(JobCheck, SheetFilesAreFoundUnderTheNamesTheExportGives)
{
    const fs::path job = Copy("renamed");
    // The sheet renamed as the user would in the host.
    EditInHost(job / "job.vdw", job / "job.vdw", [](vlhost::Driver& user) {
        for (const vlapi::IVarnelAPIObjectPtr& object : user.Objects(L"macros")) {
            if (vlapi::IMacroObjectPtr macro{object}; macro && macro->GetName() == L"Карта раскроя 1")
                macro->SetName(L"Карта: 1");
        }
    });
    fs::rename(SheetDxf(job), job / "export" / "Карта_ 1.dxf");
    for (const char* check : {"gaps", "dxf"}) {
        const Outcome outcome = Check({check, Drawing(job), (job / "export").string()});
        EXPECT_EQ(outcome.status, 0) << check << ":\n" << outcome.output;
    }
    fs::remove_all(job);
}

// The true gaps of round parts (circles, a washer, slots and quarter rounds)
// and of right triangles with a corner cut as the sheet's DXF file holds
// them: they keep the set gaps at the finest and the coarsest precision,
// parts touching each other and the sheet's edge without gaps included, and
// a disc grown by 3 mm in the file no longer does.
TEST(JobCheckGaps, RoundPartsKeepTheSetGapsOnTheirTrueOutlines)
{
    const fs::path job = fs::temp_directory_path() / ("job_check_gaps-" + std::to_string(getpid()));
    const std::vector<std::string> check = {JOB_CHECK, "gaps", (job / "job.vdw").string(), (job / "export").string()};
    // precision, figure gap, edge gap; the default gaps last, for the spoilt file
    for (const auto& [precision, figureGap, edgeGap] :
         {std::array<const char*, 3>{"0.1", "0", "0"}, {"10", "20", "20"}, {"2.5", "5", "10"}}) {
        SCOPED_TRACE(std::string(precision) + " " + figureGap + " " + edgeGap);
        fs::remove_all(job);
        const Outcome made = RunCommand({NESTING_JOB, NESTING_SOURCE_DIR "/tests/data/gaps/round.txt", (job / "job.vdw").string(),
                                         "--sheet", "700", "600", "--gaps", figureGap, edgeGap, "--precision", precision,
                                         "--placed", "--export", (job / "export").string()});
        ASSERT_EQ(made.status, 0) << made.output;
        const Outcome sound = RunCommand(check);
        EXPECT_EQ(sound.status, 0) << sound.output;
        EXPECT_NE(sound.output.find("1 sheets, 33 outlines"), std::string::npos) << sound.output;
    }

    const fs::path sheet = job / "export" / "Карта раскроя 1.dxf";
    std::string text = Read(sheet);
    // A disc: a whole circle (no arc) of radius 40.
    size_t radius = 0;
    for (size_t at = text.find("\nCIRCLE\n"); at != std::string::npos; at = text.find("\nCIRCLE\n", at + 1)) {
        radius = text.find("\n 40\n", at);
        if (radius != std::string::npos && text.compare(radius + 5, 3, "40.") == 0)
            break;
        radius = std::string::npos;
    }
    ASSERT_NE(radius, std::string::npos);
    const size_t end = text.find('\n', radius + 5);
    const double grown = std::stod(text.substr(radius + 5, end - radius - 5)) + 3.0;
    Write(sheet, text.replace(radius + 5, end - radius - 5, std::to_string(grown)));
    const Outcome spoilt = RunCommand(check);
    EXPECT_EQ(spoilt.status, 1) << spoilt.output;
    EXPECT_NE(spoilt.output.find(" mm is set"), std::string::npos) << spoilt.output;
    fs::remove_all(job);
}

// A disc moved nearer to the sheet's corner in its file, by 0.024 mm to the
// left and 0.032 mm down: the least gap to the edge is its bottom's, the
// nearest of the sides that fall short, as the export names it.
TEST(JobCheckGaps, TheLeastGapIsTheNearestOfThoseThatFallShort)
{
    const fs::path job = fs::temp_directory_path() / ("job_check_least-" + std::to_string(getpid()));
    fs::create_directories(job);
    Write(job / "disc.txt", "D|1|2|Ст3|@0,0,40\n");
    const Outcome made = RunCommand({NESTING_JOB, (job / "disc.txt").string(), (job / "job.vdw").string(), "--sheet", "400",
                                     "300", "--gaps", "6", "10", "--placed", "--export", (job / "export").string()});
    ASSERT_EQ(made.status, 0) << made.output;
    const fs::path sheet = job / "export" / "Карта раскроя 1.dxf";
    std::string text = Read(sheet);
    const size_t circle = text.find("\nCIRCLE\n");
    ASSERT_NE(circle, std::string::npos);
    for (const auto& [code, value] : {std::pair{"\n 10\n", "49.976"}, std::pair{"\n 20\n", "49.968"}}) {
        const size_t at = text.find(code, circle) + 5;
        text.replace(at, text.find('\n', at) - at, value);
    }
    Write(sheet, text);
    const Outcome moved = RunCommand({JOB_CHECK, "gaps", (job / "job.vdw").string(), (job / "export").string()});
    EXPECT_EQ(moved.status, 1) << moved.output;
    EXPECT_NE(moved.output.find("stands from the sheet's edge 9.9680 mm"), std::string::npos) << moved.output;
    EXPECT_NE(moved.output.find("to the sheet's edge 9.9680 mm (10.0000 set)"), std::string::npos) << moved.output;
    fs::remove_all(job);
}

// nesting_job drops no part without a word: a part with a spike (no
// material) is placed, one whose outline crosses itself is named with the
// library's message; parts the run leaves in the container are named with
// what it told the user; either fails the run. Equal right triangles whose
// joined pair fits no sheet are each placed, side by side where they so fit.
struct MadeJob {
    const char* name;
    std::string parts;
    std::vector<std::string> options;  // after --placed
    int status;
    std::string said, placed;  // on the error stream; by job_check overlap
};

const MadeJob kMade[] = {
    {"refused", "Spiked|2|2|Ст3|0,0 100,0 100,50 60,50 60,80 60,50 0,50\nBowtie|1|2|Ст3|0,0 100,60 100,0 0,60\n",
     {"--sheet", "400", "200"}, 1, "part Bowtie refused: Bowtie: контур пересекает сам себя", "2 placed parts"},
    {"triangles", "T|3|2|Ст3|0,0 2975,0 0,1475\n", {"--sheet", "3000", "1500", "--gaps", "10", "10"}, 0, "",
     "3 placed parts on 3 sheets"},
    {"triangles side by side", "T|2|2|Ст3|0,0 2960,0 2960,1470\n", {"--sheet", "3000", "1500", "--gaps", "10", "12"},
     0, "", "2 placed parts on 1 sheets"},
    {"left", "T|2|2|Ст3|0,0 3100,0 0,1475\n", {"--sheet", "3000", "1500", "--gaps", "10", "10"}, 1,
     "parts left in the container: Не размещены на листах и остались в контейнере:\nT — 2 шт.: больше любого листа: "
     "деталь 3100 × 1475", "0 placed parts"},
};

TEST(NestingJob, NoPartIsDroppedWithoutAWord)
{
    const fs::path job = fs::temp_directory_path() / ("nesting_job_refused-" + std::to_string(getpid()));
    for (const MadeJob& c : kMade) {
        SCOPED_TRACE(c.name);
        fs::remove_all(job);
        fs::create_directories(job);
        Write(job / "parts.txt", c.parts);
        std::vector<std::string> words{NESTING_JOB, (job / "parts.txt").string(), (job / "job.vdw").string(), "--placed"};
        words.insert(words.end(), c.options.begin(), c.options.end());
        const Outcome made = RunCommand(words);
        EXPECT_EQ(made.status, c.status) << made.output;
        EXPECT_NE(made.output.find(c.said), std::string::npos) << made.output;
        const Outcome overlap = RunCommand({JOB_CHECK, "overlap", (job / "job.vdw").string()});
        EXPECT_EQ(overlap.status, 0) << overlap.output;
        EXPECT_NE(overlap.output.find(c.placed), std::string::npos) << overlap.output;
    }
    fs::remove_all(job);
}

// Outlines whose vertices repeat a hair's breadth apart (runs of edges shorter
// than the point tolerance, in a line or as a jog, one of the tolerance itself,
// a bump digitised in such steps, a round part of 101 vertices whose closing
// edge is 0.0005 mm, from its first vertex, from the short edge on and
// backwards): the library places each, job_check reads each as one ring of
// its area, its checks pass, and fail once one part is moved onto another.
TEST(JobCheckRings, OutlinesWithNearRepeatedVerticesAreOneRingOfTheirAreaEach)
{
    const fs::path job = fs::temp_directory_path() / ("job_check_rings-" + std::to_string(getpid()));
    fs::remove_all(job);
    fs::create_directories(job);
    using Ring = std::vector<std::array<double, 2>>;
    std::vector<std::pair<std::string, Ring>> parts = {
        {"Run", {{0, 0}, {10, 0}, {10, 10}, {10, 10.00007}, {10, 10.00014}, {10, 20}, {0, 20}}},
        {"Tolerance", {{0, 0}, {10, 0}, {10, 10}, {10, 10.0001}, {10, 20}, {0, 20}}},
        {"Jog", {{0, 0}, {10, 0}, {10, 10}, {10.00005, 10}, {10.00005, 10.00005}, {10, 10.00005}, {10, 20}, {0, 20}}},
    };
    // A bump 0.5 mm high out of an edge, digitised in steps of 0.000099 mm.
    Ring bump = {{0, 0}, {10, 0}, {10, 9.5}};
    const int steps = static_cast<int>(std::ceil(PI * 0.5 / 9.9e-5));
    for (int k = 1; k < steps; ++k)
        bump.push_back({10 + 0.5 * std::sin(PI * k / steps), 10 - 0.5 * std::cos(PI * k / steps)});
    bump.insert(bump.end(), {{10, 10.5}, {10, 20}, {0, 20}});
    parts.emplace_back("Bump", bump);
    Ring round;
    for (int k = 0; k < 100; ++k)
        round.push_back({50 + 43.34 * std::cos(2 * PI * k / 100), 50 + 43.34 * std::sin(2 * PI * k / 100)});
    round.push_back({round[0][0], round[0][1] - 0.0005});
    parts.emplace_back("Round", round);
    std::rotate(round.begin(), round.end() - 1, round.end());
    parts.emplace_back("RoundFromTheShortEdge", round);
    std::reverse(round.begin(), round.end());
    parts.emplace_back("RoundBackwards", round);
    std::ostringstream list;
    list.precision(17);
    std::map<std::string, double> areas;
    for (const auto& [name, ring] : parts) {
        list << name << "|1|2|Ст3|";
        double area = 0.0;
        for (size_t k = 0; k < ring.size(); ++k) {
            const auto &a = ring[k], &b = ring[(k + 1) % ring.size()];
            area += 0.5 * (a[0] * b[1] - b[0] * a[1]);
            list << (k ? " " : "") << a[0] << "," << a[1];
        }
        list << "\n";
        areas[name] = std::fabs(area);
    }
    // Plates with a circle 0.001 mm across, a hole as the library reads it,
    // and one a hair smaller, a centre mark (a point, no hole): their rings.
    const std::map<std::string, size_t> marked = {{"Hole", 2}, {"Mark", 1}};
    list << "Hole|1|2|Ст3|0,0 100,0 100,60 0,60;@50,30,0.0005\nMark|1|2|Ст3|0,0 100,0 100,60 0,60;@50,30,0.00049\n";
    Write(job / "parts.txt", list.str());
    const std::string drawing = (job / "job.vdw").string(), exported = (job / "export").string();
    const Outcome made = RunCommand({NESTING_JOB, (job / "parts.txt").string(), drawing, "--sheet", "400", "300",
                                     "--placed", "--export", exported});
    ASSERT_EQ(made.status, 0) << made.output;

    const Outcome dump = RunCommand({JOB_CHECK, "dump", drawing});
    ASSERT_EQ(dump.status, 0) << dump.output;
    const nlohmann::json read = nlohmann::json::parse(dump.output);
    ASSERT_EQ(read["parts"].size(), parts.size() + marked.size());
    std::map<std::string, nlohmann::json> boxes;
    for (const nlohmann::json& part : read["parts"]) {
        const std::string name = part["name"];
        const nlohmann::json& rings = part["outline"]["rings"];
        boxes[name] = part["outline"]["box"];
        if (marked.count(name)) {
            EXPECT_EQ(rings.size(), marked.at(name)) << name;
            continue;
        }
        ASSERT_TRUE(areas.count(name)) << name;
        EXPECT_GE(part["sheet"].get<int>(), 0) << name;
        EXPECT_EQ(part["outline"]["open"], 0) << name;
        ASSERT_EQ(rings.size(), 1u) << name;
        EXPECT_NEAR(rings[0]["area"].get<double>(), areas[name], 1e-6 * areas[name]) << name;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{JOB_CHECK, "overlap", drawing}, {JOB_CHECK, "dxf", drawing, exported},
          {JOB_CHECK, "gaps", drawing, exported}}) {
        const Outcome outcome = RunCommand(args);
        EXPECT_EQ(outcome.status, 0) << args[1] << ":\n" << outcome.output;
    }
    const nlohmann::json &from = boxes["RoundBackwards"], &to = boxes["Round"];
    MoveMacro(drawing, L"RoundBackwards", to[0][0].get<double>() - from[0][0].get<double>(),
              to[0][1].get<double>() - from[0][1].get<double>());
    const Outcome spoilt = RunCommand({JOB_CHECK, "overlap", drawing});
    EXPECT_EQ(spoilt.status, 1) << spoilt.output;
    EXPECT_NE(spoilt.output.find("share"), std::string::npos) << spoilt.output;
    fs::remove_all(job);
}

// Ends of curves a hair apart on either side of a thousandth of a millimetre
// are one joint: the triangle closes.
TEST(JobCheckGaps, EndsAHairApartAcrossTheGridJoin)
{
    const fs::path file = fs::temp_directory_path() / ("job_check_joint-" + std::to_string(getpid()) + ".dxf");
    const auto line = [](const char* x1, const char* y1, const char* x2, const char* y2) {
        return std::string("0\nLINE\n8\n0\n10\n") + x1 + "\n20\n" + y1 + "\n11\n" + x2 + "\n21\n" + y2 + "\n";
    };
    Write(file, "0\nSECTION\n2\nENTITIES\n" + line("0", "0", "10.0004999", "0") + line("10.0005001", "0", "0", "10") +
                    line("0", "10", "0", "0") + "0\nENDSEC\n0\nEOF\n");
    const Outcome read = RunCommand({"/usr/bin/python3", NESTING_SOURCE_DIR "/tools/file_check.py", "outlines", file.string()});
    EXPECT_NE(read.output.find("\"open\": 0"), std::string::npos) << read.output;
    fs::remove(file);
}

}  // namespace
