#include "model/NestingSetting.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

// A fresh configuration folder per test, removed afterwards.
class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::path(::testing::TempDir()) / (std::string("cfg_") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "config");
        folders_.config = root_ / "config";
        folders_.systemFiles = root_ / "system";
    }
    void TearDown() override {
        NestingSetting::SetFoldersHook(nullptr);
        fs::remove_all(root_);
    }

    void WriteFile(const std::string& text) {
        fs::create_directories(folders_.config / "Nesting");
        std::ofstream(NestingSetting::ConfigFile(folders_.config), std::ios::binary) << text;
    }

    std::string ReadFile() const {
        std::ifstream in(NestingSetting::ConfigFile(folders_.config), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // A setting read from the hand-written sections `body`.
    NestingSetting ReadSections(const std::string& body) {
        WriteFile("<?xml version=\"23.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" + body);
        return ReadBack();
    }

    // A setting read from the configuration folder as it stands.
    NestingSetting ReadBack() const {
        NestingSetting setting;
        setting.ReadFromConfig(folders_);
        return setting;
    }

    std::wstring DefaultStylePath() const {
        return (folders_.systemFiles / "Nesting.vst").wstring();
    }

    fs::path root_;
    NestingSetting::Folders folders_;
};

}  // namespace

TEST(StartupValues, SingletonColoursAndNames) {
    const NestingSetting& s = NestingSetting::m_instance;
    EXPECT_EQ(s.m_bridgesWidth, 30.0);
    EXPECT_EQ(s.m_bridgesLength, 100.0);
    EXPECT_EQ(s.m_tolerance, 2.5);
    EXPECT_EQ(s.m_sheetFormat, 4);
    EXPECT_FALSE(s.m_sheetOrient);
    EXPECT_EQ(s.m_version, L"23.0");
    EXPECT_TRUE(s.m_lytPath.empty());
    EXPECT_TRUE(s.m_sheetPattern.empty());
    EXPECT_TRUE(s.m_pythonPath.empty());
    EXPECT_FALSE(s.m_testHodograph);
    EXPECT_TRUE(NestingSetting::m_withoutLayout);

    EXPECT_EQ(NestingSetting::m_figureColor, 15138815);
    EXPECT_EQ(NestingSetting::m_wasteColor, 16777164);
    EXPECT_EQ(NestingSetting::m_errorColor, 14145535);

    for (size_t k = 0; k < typesBridges.size(); ++k) {
        const std::wstring prefix = L"тип " + std::to_wstring(k + 1) + L" - ";
        EXPECT_EQ(typesBridges[k].substr(0, prefix.size()), prefix);
    }
    EXPECT_EQ(typesBridges[size_t(BridgeType::CrossStart)], L"тип 11 - переход с перекрестием");
    ASSERT_EQ(stringStandartScale.size(), 22u);
    EXPECT_EQ(stringStandartScale.front(), L"1:100");
    EXPECT_EQ(stringStandartScale[12], L"1:1");
    EXPECT_EQ(stringStandartScale.back(), L"100:1");
}

TEST_F(ConfigFile, WrittenFileHasTheFixedShape) {
    NestingSetting setting;
    setting.m_lytPath.clear();
    setting.m_sheetPattern = L"Карта";
    ASSERT_TRUE(setting.WriteToConfig(folders_.config));

    const std::string expected =
        "<?xml version=\"23.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<config_version value=\"23.0\" />\n"
        "<Bridges>\n"
        "\t<item name=\"max_width\" value=\"30\" />\n"
        "\t<item name=\"max_length\" value=\"100\" />\n"
        "</Bridges>\n"
        "<Precision>\n"
        "\t<item name=\"tolerance\" value=\"2.5\" />\n"
        "</Precision>\n"
        "<Sheets>\n"
        "\t<item name=\"format\" value=\"4\" />\n"
        "\t<item name=\"orientation\" value=\"false\" />\n"
        "\t<item name=\"lyt_file\" value=\"\" />\n"
        "</Sheets>\n"
        "<Patterns>\n"
        "\t<item name=\"card_name\" value=\"Карта\" />\n"
        "</Patterns>\n";
    EXPECT_EQ(ReadFile(), expected);
}

TEST_F(ConfigFile, WrittenValuesReadBack) {
    NestingSetting written;
    written.m_bridgesWidth = 12.75;
    written.m_bridgesLength = 0.1;
    written.m_tolerance = 0.25;
    written.m_sheetFormat = 2;
    written.m_sheetOrient = true;
    written.m_lytPath = L"/стили/Nesting.vst";
    written.m_sheetPattern = L"Карта раскроя №";
    written.m_version = L"24.1";
    written.m_pythonPath = L"/usr/bin/python3";
    written.m_adapters[L"dxf"] = true;
    ASSERT_TRUE(written.WriteToConfig(folders_.config));

    const NestingSetting read = ReadBack();
    EXPECT_EQ(read.m_bridgesWidth, 12.75);
    EXPECT_EQ(read.m_bridgesLength, 0.1);
    EXPECT_EQ(read.m_tolerance, 0.25);
    EXPECT_EQ(read.m_sheetFormat, 2);
    EXPECT_TRUE(read.m_sheetOrient);
    EXPECT_EQ(read.m_lytPath, L"/стили/Nesting.vst");
    EXPECT_EQ(read.m_sheetPattern, L"Карта раскроя №");
    EXPECT_EQ(read.m_version, L"24.1");
    // Neither the interpreter path nor the adapters travel through the file.
    EXPECT_EQ(ReadFile().find("python"), std::string::npos);
    EXPECT_TRUE(read.m_adapters.empty());
    EXPECT_TRUE(read.m_pythonPath.empty());
}

TEST_F(ConfigFile, RewritingReplacesTheWholeFile) {
    NestingSetting setting;
    setting.m_sheetPattern = std::wstring(500, L'x');
    ASSERT_TRUE(setting.WriteToConfig(folders_.config));
    setting.m_sheetPattern = L"y";
    ASSERT_TRUE(setting.WriteToConfig(folders_.config));
    EXPECT_EQ(ReadFile().find("xxx"), std::string::npos);
    const NestingSetting read = ReadBack();
    EXPECT_EQ(read.m_sheetPattern, L"y");
}

// Each value read from the file, or the start-up value where the file has
// none or one the reader refuses. A bridge needs a size: a width or length of
// 0 or less reads as the start-up value, as the bridges command's own edit
// refuses it. Of two equal items the first wins.
TEST_F(ConfigFile, ValuesReadOrTheStartupOnes) {
    struct Read {
        std::wstring version = L"23.0";
        double width = 30.0, length = 100.0, tolerance = 2.5;
        int format = 4;
        bool orient = false;
    };
    const struct {
        const char* what;
        const char* body;  // nullptr: no file at all
        Read read;
    } cases[] = {
        {"no file", nullptr, {}},
        {"missing items and sections",
         "<config_version />\n"
         "<Bridges><item name=\"max_width\" value=\"40\" /></Bridges>\n"
         "<Sheets><item name=\"format\" value=\"3\" /></Sheets>\n"
         "<Patterns><item name=\"card_name\" value=\"\" /></Patterns>\n",
         {.version = L"", .width = 40.0, .format = 3}},
        {"tolerance", "<Precision><item name=\"tolerance\" value=\"0.5\" /></Precision>", {.tolerance = 0.5}},
        {"the first of two equal items",
         "<Bridges>\n"
         "  <item value=\"7\" />\n"
         "  <other name=\"max_width\" value=\"8\" />\n"
         "  <item name=\"max_width\" value=\"9\" />\n"
         "  <item name=\"max_width\" value=\"10\" />\n"
         "</Bridges>",
         {.width = 9.0}},
        {"odd values",
         "<Bridges>\n"
         "  <item name=\"max_width\" value=\"thirty\" />\n"
         "  <item name=\"max_length\" value=\"-5\" />\n"
         "</Bridges>\n"
         "<Precision><item name=\"tolerance\" value=\"0\" /></Precision>\n"
         "<Sheets>\n"
         "  <item name=\"format\" value=\"7\" />\n"
         "  <item name=\"orientation\" value=\"maybe\" />\n"
         "  <item name=\"lyt_file\" value=\"\" />\n"
         "</Sheets>\n",
         {}},
        {"more odd values",
         "<Bridges>\n"
         "  <item name=\"max_width\" value=\"nan\" />\n"
         "  <item name=\"max_length\" value=\"1e400\" />\n"
         "</Bridges>\n"
         "<Precision><item name=\"tolerance\" value=\" 1.5 \" /></Precision>\n"
         "<Sheets>\n"
         "  <item name=\"format\" value=\"2.5\" />\n"
         "  <item name=\"orientation\" value=\"true\" />\n"
         "</Sheets>\n",
         {.tolerance = 1.5, .orient = true}},
        {"a width over the limit", "<Bridges><item name=\"max_width\" value=\"10001\" /></Bridges>", {}},
        {"sizes 0", "<Bridges><item name=\"max_width\" value=\"0\" /><item name=\"max_length\" value=\"0\" /></Bridges>", {}},
        {"sizes -12", "<Bridges><item name=\"max_width\" value=\"-12\" /><item name=\"max_length\" value=\"-12\" /></Bridges>",
         {}},
        {"sizes 0.0", "<Bridges><item name=\"max_width\" value=\"0.0\" /><item name=\"max_length\" value=\"0.0\" /></Bridges>",
         {}},
        {"no bridge sizes", "<Bridges />", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const NestingSetting s = c.body ? ReadSections(c.body) : ReadBack();
        EXPECT_EQ(s.m_version, c.read.version);
        EXPECT_EQ(s.m_bridgesWidth, c.read.width);
        EXPECT_EQ(s.m_bridgesLength, c.read.length);
        EXPECT_EQ(s.m_tolerance, c.read.tolerance);
        EXPECT_EQ(s.m_sheetFormat, c.read.format);
        EXPECT_EQ(s.m_sheetOrient, c.read.orient);
        EXPECT_EQ(s.m_lytPath, DefaultStylePath());
        EXPECT_EQ(s.m_sheetPattern, L"Карта раскроя ");
        EXPECT_TRUE(s.m_pythonPath.empty());  // the interpreter found on the path
    }
}

TEST_F(ConfigFile, AbsentSectionKeepsWhatTheObjectHeld) {
    WriteFile("<Bridges><item name=\"max_width\" value=\"41\" /></Bridges>");
    NestingSetting setting;
    setting.m_lytPath = L"/kept.vst";
    setting.m_sheetFormat = 1;
    setting.m_sheetPattern = L"P-";
    setting.m_pythonPath = L"/opt/python";
    setting.ReadFromConfig(folders_);
    EXPECT_EQ(setting.m_lytPath, L"/kept.vst");
    EXPECT_EQ(setting.m_sheetFormat, 1);
    EXPECT_EQ(setting.m_sheetPattern, L"P-");
    EXPECT_EQ(setting.m_pythonPath, L"/opt/python");
}

TEST_F(ConfigFile, BrokenFilesNeverCrash) {
    const std::string texts[] = {
        "",
        "\xEF\xBB\xBF",
        "<Bridges><item name=\"max_width\" value=\"44\" /></Bridges><Sheets><item name=",
        "<<<>>>\x01\x02 not xml at all",
        std::string(4096, '\0'),
        "<Bridges><item name=\"max_width\" value=\"45\"></Bridges>",
    };
    for (const std::string& text : texts) {
        WriteFile(text);
        const NestingSetting setting = ReadBack();
        EXPECT_GE(setting.m_bridgesWidth, 0.0);
        EXPECT_FALSE(setting.m_lytPath.empty());
        EXPECT_FALSE(setting.m_sheetPattern.empty());
    }
}

// A folder or a device in place of the file is not read nor written over, and
// the user is told why.
TEST_F(ConfigFile, AFolderInPlaceOfTheFileIsToldAndLeft) {
    const fs::path file = NestingSetting::ConfigFile(folders_.config);
    fs::create_directories(file.parent_path());
    ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0);
    NestingSetting setting;
    EXPECT_NE(setting.ReadFromConfig(folders_).find(L"стоит не файл"), std::wstring::npos);
    EXPECT_FALSE(setting.WriteToConfig(folders_.config));
    EXPECT_TRUE(fs::is_fifo(file));
    fs::remove(file);
    fs::create_directories(file);
    EXPECT_NE(setting.ReadFromConfig(folders_).find(L"стоит папка"), std::wstring::npos);
    EXPECT_EQ(setting.m_bridgesWidth, 30.0);
    std::wstring reason;
    EXPECT_FALSE(setting.WriteToConfig(folders_.config, reason));
    EXPECT_NE(reason.find(L"папка"), std::wstring::npos);
}

TEST_F(ConfigFile, UnwritableFolderIsReportedNotThrown) {
    NestingSetting setting;
    EXPECT_FALSE(setting.WriteToConfig(root_ / "no" / "such" / "folder"));
    EXPECT_FALSE(setting.WriteToConfig(fs::path()));
}

TEST_F(ConfigFile, HostFoldersComeThroughTheHook) {
    NestingSetting setting;
    setting.m_bridgesWidth = 55.0;
    EXPECT_FALSE(setting.WriteToConfig());  // no hook: nothing written
    EXPECT_FALSE(fs::exists(NestingSetting::ConfigFile(folders_.config)));

    const NestingSetting::Folders folders = folders_;
    NestingSetting::SetFoldersHook([folders] { return folders; });
    ASSERT_TRUE(setting.WriteToConfig());
    NestingSetting read;
    read.ReadFromConfig();
    EXPECT_EQ(read.m_bridgesWidth, 55.0);
    EXPECT_EQ(read.m_lytPath, DefaultStylePath());
}

TEST_F(ConfigFile, NonAsciiFolders) {
    folders_.config = root_ / "Настройки";
    fs::create_directories(folders_.config);
    NestingSetting setting;
    setting.m_sheetFormat = 1;
    ASSERT_TRUE(setting.WriteToConfig(folders_.config));
    const NestingSetting read = ReadBack();
    EXPECT_EQ(read.m_sheetFormat, 1);
}

// What the read could not take is told, naming the file; a file that does not
// parse gives nothing, not the part before the fault.
TEST_F(ConfigFile, APartlyReadableFileIsReportedNotHalfLoaded) {
    const std::string whole = "<?xml version=\"23.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                              "<Bridges><item name=\"max_width\" value=\"44\" /></Bridges>\n"
                              "<Sheets><item name=\"format\" value=\"2\" /></Sheets>\n";
    const struct {
        std::string text;
        std::wstring told;  // "" when nothing is told
        double width;
        int format;
    } cases[] = {
        {whole, L"", 44.0, 2},
        {whole.substr(0, whole.size() - 20), L"повреждён", 30.0, 4},
        {"<Bridges><item name=\"max_width\" value=\"thirty\" /></Bridges>", L"max_width: значение «thirty» не принято, действует 30", 30.0, 4},
        {"<Bridges><item name=\"max_width\" value=\"0\" /></Bridges>", L"max_width: значение «0» не принято", 30.0, 4},
        {"<Sheets><item name=\"orientation\" value=\"maybe\" /></Sheets>", L"orientation", 30.0, 4},
        {"", L"повреждён (файл пуст)", 30.0, 4},
        {whole.substr(0, whole.size() - 20), L"повреждён (ошибка в атрибуте, строка 3)", 30.0, 4},
        {"<Nesting>" + whole.substr(whole.find("<Bridges>")) + "</Nesting>", L"нет настроек программы (его элемент — <Nesting>)",
         30.0, 4},
        {whole + "<Sheets><item name=\"format\" value=\"1\" /></Sheets>", L"раздел Sheets: записан не раз, взят первый", 44.0, 2},
        {"<Sheets><item name=\"format\" value=\"3\" /><item name=\"format\" value=\"1\" /></Sheets>",
         L"Sheets/format: записан не раз, взят первый", 30.0, 3},
    };
    for (const auto& c : cases) {
        WriteFile(c.text);
        NestingSetting setting;
        const std::wstring told = setting.ReadFromConfig(folders_);
        if (c.told.empty()) {
            EXPECT_TRUE(told.empty()) << c.text;
        } else {
            EXPECT_NE(told.find(NestingSetting::ConfigFile(folders_.config).wstring()), std::wstring::npos) << c.text;
            EXPECT_NE(told.find(c.told), std::wstring::npos) << c.text << pugi::as_utf8(told);
        }
        EXPECT_EQ(setting.m_bridgesWidth, c.width) << c.text;
        EXPECT_EQ(setting.m_sheetFormat, c.format) << c.text;
    }
}

// The file is replaced only by a complete one: a write that fails leaves the
// old file byte for byte, no temporary file beside it, and says why.
TEST_F(ConfigFile, AFailedWriteKeepsTheOldFileAndSaysWhy) {
    const fs::path file = NestingSetting::ConfigFile(folders_.config);
    const std::string old = "<Bridges><item name=\"max_width\" value=\"44\" /></Bridges>";
    NestingSetting setting;
    setting.m_sheetPattern = std::wstring(20000, L'x');  // more than the limit below lets through
    const struct {
        const char* what;
        std::function<void()> arrange;
        std::function<void()> restore;
        std::wstring reason;
    } cases[] = {
        {"a read-only file", [&] { fs::permissions(file, fs::perms::owner_read); },
         [&] { fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write); }, L"только для чтения"},
        {"a full disk",
         [] {
             std::signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{4096, RLIM_INFINITY};
             setrlimit(RLIMIT_FSIZE, &limit);
         },
         [] {
             const rlimit limit{RLIM_INFINITY, RLIM_INFINITY};
             setrlimit(RLIMIT_FSIZE, &limit);
             std::signal(SIGXFSZ, SIG_DFL);
         },
         L"размер"},
        {"a read-only folder",
         [&] { fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec); },
         [&] { fs::permissions(file.parent_path(), fs::perms::owner_all); }, L"только для чтения"},
    };
    for (const auto& c : cases) {
        WriteFile(old);
        c.arrange();
        std::wstring reason;
        const bool written = setting.WriteToConfig(folders_.config, reason);
        c.restore();
        EXPECT_FALSE(written) << c.what;
        EXPECT_NE(reason.find(c.reason), std::wstring::npos) << c.what;
        EXPECT_EQ(ReadFile(), old) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1) << c.what;
    }
}

// A configuration file that is a link (to a file shared elsewhere, by an
// absolute or a relative path, under any name the file system takes) stays a
// link, and the file it points to gets the settings; links in a loop are
// kept and the save refused.
TEST_F(ConfigFile, ALinkedFileIsWrittenWhereItPoints) {
    const fs::path file = NestingSetting::ConfigFile(folders_.config);
    fs::create_directories(file.parent_path());
    NestingSetting setting;
    setting.m_sheetFormat = 3;
    const fs::path common = root_ / "common" / "nesting.xml";
    const fs::path longest = root_ / "longest" / (std::string(251, 'n') + ".xml");
    const std::pair<fs::path, fs::path> links[] = {  // the file, and the link to it
        {common, common}, {common, "../../common/nesting.xml"}, {longest, longest}};
    for (const auto& [shared, link] : links) {
        fs::create_directories(shared.parent_path());
        fs::remove(file);
        std::ofstream(shared) << "<Sheets />";
        fs::create_symlink(link, file);
        ASSERT_TRUE(setting.WriteToConfig(folders_.config)) << link;
        EXPECT_TRUE(fs::is_symlink(file)) << link;
        const NestingSetting read = ReadBack();
        EXPECT_EQ(read.m_sheetFormat, 3) << link;
        EXPECT_EQ(std::distance(fs::directory_iterator(shared.parent_path()), fs::directory_iterator()), 1) << link;
    }
    // Links that loop lead nowhere: the link stays, and the save says why.
    fs::remove(file);
    fs::remove(common);
    fs::create_symlink(file, common);
    fs::create_symlink(common, file);
    std::wstring reason;
    EXPECT_FALSE(setting.WriteToConfig(folders_.config, reason));
    std::error_code error;
    EXPECT_EQ(fs::read_symlink(file, error), common);
    EXPECT_NE(reason.find(L"ссылки ведут по кругу"), std::wstring::npos);
}

// What a save cut short may leave beside the file (here a folder and a
// read-only file under names a temporary file could take) never stops the
// next save: each save writes a file of its own.
TEST_F(ConfigFile, LeftoversOfAnEarlierSaveDoNotStopTheNext) {
    const fs::path folder = NestingSetting::ConfigFile(folders_.config).parent_path();
    fs::create_directories(folder / ".Nesting-cfg.tmp.xml");
    std::ofstream(folder / ".Nesting-cfg.xml.tmp") << "x";
    fs::permissions(folder / ".Nesting-cfg.xml.tmp", fs::perms::owner_read);
    NestingSetting setting;
    setting.m_sheetFormat = 3;
    std::wstring reason;
    ASSERT_TRUE(setting.WriteToConfig(folders_.config, reason)) << std::string(reason.begin(), reason.end());
    const NestingSetting read = ReadBack();
    EXPECT_EQ(read.m_sheetFormat, 3);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

// The file is read in the encoding its declaration names; a byte that is not
// of that encoding, or an encoding this program does not read, gives nothing
// of the file, never a value with letters dropped.
TEST_F(ConfigFile, TheDeclaredEncodingIsRead) {
    const auto file = [](const std::string& declaration, const std::string& style, const std::string& pattern) {
        return declaration + "\n<Sheets><item name=\"format\" value=\"2\" /><item name=\"lyt_file\" value=\"" + style +
               "\" /></Sheets>\n<Patterns><item name=\"card_name\" value=\"" + pattern + "\" /></Patterns>\n";
    };
    const std::string cp1251Style = "\xCE\xF4\xEE\xF0\xEC\xEB\xE5\xED\xE8\xE5.vst";  // "Оформление.vst"
    const std::string cp1251Pattern = "\xCB\xE8\xF1\xF2 ";                          // "Лист "
    std::string utf16 = "\xFF\xFE";  // little-endian, after its mark
    for (const char c : file("", "a.vst", "b"))
        utf16 += std::string{c, '\0'};
    const struct {
        const char* what;
        std::string text;
        std::wstring told;  // "" when the file reads whole
        int format;
        std::wstring style, pattern;  // as read; "" for the defaults
    } cases[] = {
        {"windows-1251", file("<?xml version=\"23.0\" encoding=\"windows-1251\"?>", cp1251Style, cp1251Pattern), L"", 2,
         L"Оформление.vst", L"Лист "},
        {"cp1251 in single quotes", file("<?xml version='1.0' encoding = 'CP1251'?>", cp1251Style, cp1251Pattern), L"", 2,
         L"Оформление.vst", L"Лист "},
        {"UTF-8", file("<?xml version=\"23.0\" encoding=\"UTF-8\"?>", "Оформление.vst", "Лист "), L"", 2,
         L"Оформление.vst", L"Лист "},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + file("<?xml version=\"1.0\"?>", "Оформление.vst", "Лист "), L"", 2,
         L"Оформление.vst", L"Лист "},
        {"UTF-16 with its mark", utf16, L"", 2, L"a.vst", L"b"},
        {"windows-1251 declared as UTF-8", file("<?xml version=\"23.0\" encoding=\"UTF-8\"?>", cp1251Style, cp1251Pattern),
         L"байт 0xCE в позиции 109 не из кодировки UTF-8", 4, L"", L""},
        {"a byte windows-1251 lacks", file("<?xml version=\"1.0\" encoding=\"windows-1251\"?>", "\x98.vst", "x"),
         L"байт 0x98 в позиции", 4, L"", L""},
        {"KOI8-R", file("<?xml version=\"1.0\" encoding=\"KOI8-R\"?>", "\xEF\xC6.vst", "x"),
         L"записан в кодировке «koi8-r», которую программа не читает", 4, L"", L""},
        {"windows-1251 undeclared", file("", cp1251Style, cp1251Pattern),
         L"если файл записан в windows-1251, это должно быть сказано в его начале", 4, L"", L""},
        {"UTF-16 without its mark", utf16.substr(2), L"", 2, L"a.vst", L"b"},
        {"UTF-16 big-endian without its mark", '\0' + utf16.substr(2, utf16.size() - 3), L"", 2, L"a.vst", L"b"},
        {"UTF-8 declared as windows-1251", file("<?xml version=\"1.0\" encoding=\"windows-1251\"?>", "Оформление.vst", "x"),
         L"объявлена кодировка «windows-1251», а текст записан в UTF-8", 4, L"", L""},
        {"windows-1251 declared as Latin-1", file("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", cp1251Style, "x"),
         L"объявлена кодировка «iso-8859-1», а текст записан в windows-1251", 4, L"", L""},
        {"Latin-1", file("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "Gr\xF6\xDF" "e.vst", "x"), L"", 2,
         L"Gr\u00F6\u00DFe.vst", L"x"},
        {"one byte a letter declared as UTF-16", file("<?xml version=\"1.0\" encoding=\"UTF-16\"?>", "a.vst", "x"),
         L"объявлена кодировка «utf-16», а текст записан по байту на знак", 4, L"", L""},
    };
    for (const auto& c : cases) {
        WriteFile(c.text);
        NestingSetting setting;
        const std::wstring told = setting.ReadFromConfig(folders_);
        if (c.told.empty()) {
            EXPECT_TRUE(told.empty()) << c.what;
        } else {
            EXPECT_NE(told.find(c.told), std::wstring::npos) << c.what << ": " << pugi::as_utf8(told);
        }
        EXPECT_EQ(setting.m_sheetFormat, c.format) << c.what;
        EXPECT_EQ(setting.m_lytPath, c.style.empty() ? DefaultStylePath() : c.style) << c.what;
        EXPECT_EQ(setting.m_sheetPattern, c.pattern.empty() ? L"Карта раскроя " : c.pattern) << c.what;
    }
}

// A file that cannot be read whole is never replaced unseen: a damaged one
// is kept byte for byte as a copy beside it (each under a name of its own)
// before the new one is written; one in an encoding this program does not
// read is left as it is, and the write says why.
TEST_F(ConfigFile, AnUnreadableFileIsKeptOrLeft) {
    const fs::path file = NestingSetting::ConfigFile(folders_.config);
    const fs::path folder = file.parent_path();
    const std::string damaged = "<Precision><item name=\"tolerance\" value=\"0.25\" /></Precision>\n<Patterns";
    const std::string foreign = "<?xml version=\"1.0\" encoding=\"koi8-r\"?>\n<Sheets />\n";
    NestingSetting setting;
    setting.m_sheetFormat = 1;
    for (const fs::path& expected : {folder / "Nesting-cfg.повреждён.xml", folder / "Nesting-cfg.повреждён-2.xml"}) {
        WriteFile(damaged);
        std::wstring reason;
        fs::path kept;
        ASSERT_TRUE(setting.WriteToConfig(folders_.config, reason, kept));
        EXPECT_EQ(kept, expected);
        std::ifstream in(kept, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), damaged);
        NestingSetting read;
        EXPECT_TRUE(read.ReadFromConfig(folders_).empty());
        EXPECT_EQ(read.m_sheetFormat, 1);
    }
    WriteFile(foreign);
    std::wstring reason;
    fs::path kept;
    EXPECT_FALSE(setting.WriteToConfig(folders_.config, reason, kept));
    EXPECT_NE(reason.find(L"«koi8-r»"), std::wstring::npos);
    EXPECT_TRUE(kept.empty());
    EXPECT_EQ(ReadFile(), foreign);
    EXPECT_FALSE(NestingSetting::ReadsWhole(folders_.config));
}

// A write changes the file only in the items it writes, byte for byte: every
// other item keeps its text (one the reader refused, an empty one, one spelt
// otherwise, one missing), and so do the comments, the elements of its own,
// a section written twice, the quotes, the indentation, the line ends and
// the encoding. A value written over one the reader refused is named; one
// held that reads as the value written stays as it is spelt.
TEST_F(ConfigFile, AWriteChangesOnlyTheItemsItWrites) {
    const std::string head = "<?xml version=\"23.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
    const auto utf16 = [](const std::string& ascii) {
        std::string bytes = "\xFF\xFE";
        for (const char c : ascii) {
            bytes += std::string{c, '\0'};
        }
        return bytes;
    };
    const auto sheets = [&head](const std::string& items) { return head + "<Sheets>\n" + items + "</Sheets>\n"; };
    using S = NestingSetting;
    const struct {
        const char* what;
        std::string before;
        unsigned items;
        std::function<void(NestingSetting&)> change;  // of the values read
        std::string after;
        std::vector<std::wstring> replaced;
    } cases[] = {
        {"refused and empty items stay when another is written",
         head + "<Bridges>\n\t<item name=\"max_width\" value=\"1,5\" />\n</Bridges>\n<Sheets>\n\t<item name=\"format\" "
                "value=\"7\" />\n\t<item name=\"orientation\" value=\"false\" />\n\t<item name=\"lyt_file\" value=\"\" />\n</Sheets>\n",
         S::SheetOrient, [](S& s) { s.m_sheetOrient = true; },
         head + "<Bridges>\n\t<item name=\"max_width\" value=\"1,5\" />\n</Bridges>\n<Sheets>\n\t<item name=\"format\" "
                "value=\"7\" />\n\t<item name=\"orientation\" value=\"true\" />\n\t<item name=\"lyt_file\" value=\"\" />\n</Sheets>\n",
         {}},
        {"values spelt otherwise that read as those written",
         sheets("\t<item name=\"format\" value=\" 03\" />\n\t<item name=\"orientation\" value=\"1\" />\n") +
             "<Precision><item name=\"tolerance\" value=\"1.50\"/></Precision>\n",
         S::SheetFormat | S::SheetOrient | S::Tolerance, [](S&) {},
         sheets("\t<item name=\"format\" value=\" 03\" />\n\t<item name=\"orientation\" value=\"1\" />\n") +
             "<Precision><item name=\"tolerance\" value=\"1.50\"/></Precision>\n",
         {}},
        {"refused values written over are named",
         sheets("\t<item name=\"format\" value=\"7\" />\n\t<item name=\"orientation\" value=\"yes\" />\n"),
         S::SheetFormat | S::SheetOrient, [](S& s) { s.m_sheetFormat = 2; },
         sheets("\t<item name=\"format\" value=\"2\" />\n\t<item name=\"orientation\" value=\"false\" />\n"),
         {L"Sheets/format: «7» заменено на 2", L"Sheets/orientation: «yes» заменено на false"}},
        {"missing items, values and sections are added in the file's manner",
         head + "<Bridges>\n    <item name=\"max_width\" value=\"40\" />\n</Bridges>\n<Sheets />\n<Precision>\n"
                "\t<item name=\"tolerance\" />\n</Precision>\n",
         S::BridgesLength | S::SheetFormat | S::Tolerance | S::SheetPattern,
         [](S& s) { s.m_bridgesLength = 90; s.m_sheetFormat = 2; s.m_tolerance = 0.5; s.m_sheetPattern = L"P"; },
         head + "<Bridges>\n    <item name=\"max_width\" value=\"40\" />\n    <item name=\"max_length\" value=\"90\" />\n"
                "</Bridges>\n<Sheets>\n\t<item name=\"format\" value=\"2\" />\n</Sheets>\n<Precision>\n\t<item "
                "name=\"tolerance\" value=\"0.5\" />\n</Precision>\n<Patterns>\n\t<item name=\"card_name\" value=\"P\" />\n"
                "</Patterns>\n",
         {}},
        {"line ends, quotes, comments and what else the file holds",
         "<?xml version='1.0'?>\r\n<!-- a\r\nb -->\r\n<Sheets><item name='format' value='3'/></Sheets>\r\n"
         "<Sheets><item name=\"format\" value=\"1\" /></Sheets>\r\n<Other x=\"1\" />\r\n<Patterns>\r\n"
         "\t<item name=\"card_name\" value='\"a\"' />\r\n</Patterns>\r\n",
         S::SheetFormat | S::SheetPattern, [](S& s) { s.m_sheetFormat = 2; s.m_sheetPattern = L"'b' & <c>"; },
         "<?xml version='1.0'?>\r\n<!-- a\r\nb -->\r\n<Sheets><item name='format' value='2'/></Sheets>\r\n"
         "<Sheets><item name=\"format\" value=\"1\" /></Sheets>\r\n<Other x=\"1\" />\r\n<Patterns>\r\n"
         "\t<item name=\"card_name\" value='&apos;b&apos; &amp; &lt;c&gt;' />\r\n</Patterns>\r\n",
         {}},
        {"windows-1251 stays, a Cyrillic value written in it",
         "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<!-- \xEC\xEE\xE8 -->\n<Patterns><item name=\"card_name\" "
         "value=\"\xCB\xE8\xF1\xF2\"/></Patterns>\n<Sheets><item name=\"lyt_file\" value=\"\xC0.vst\"/></Sheets>\n",
         S::SheetPattern, [](S& s) { s.m_sheetPattern = L"Карта"; },
         "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<!-- \xEC\xEE\xE8 -->\n<Patterns><item name=\"card_name\" "
         "value=\"\xCA\xE0\xF0\xF2\xE0\"/></Patterns>\n<Sheets><item name=\"lyt_file\" value=\"\xC0.vst\"/></Sheets>\n",
         {}},
        {"a value windows-1251 has no letter for: the file goes over to UTF-8",
         "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<Patterns><item name=\"card_name\" value=\"\xCB\"/></Patterns>\n",
         S::SheetPattern, [](S& s) { s.m_sheetPattern = L"Λ"; },
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Patterns><item name=\"card_name\" value=\"Λ\"/></Patterns>\n", {}},
        {"UTF-16 stays",
         utf16("<Sheets><item name=\"format\" value=\"3\"/><item name=\"lyt_file\" value=\"\"/></Sheets>\n"),
         S::SheetFormat, [](S& s) { s.m_sheetFormat = 1; },
         utf16("<Sheets><item name=\"format\" value=\"1\"/><item name=\"lyt_file\" value=\"\"/></Sheets>\n"), {}},
    };
    for (const auto& c : cases) {
        WriteFile(c.before);
        NestingSetting setting;
        setting.ReadFromConfig(folders_);
        c.change(setting);
        std::wstring reason;
        fs::path kept;
        std::vector<std::wstring> replaced;
        ASSERT_TRUE(setting.WriteItems(folders_.config, c.items, reason, kept, replaced)) << c.what;
        EXPECT_EQ(ReadFile(), c.after) << c.what;
        EXPECT_EQ(replaced, c.replaced) << c.what;
    }
}
