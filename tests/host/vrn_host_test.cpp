// Messages, dialogs, paths, the scoped brackets on the host's switches and the
// configuration file in the host's configuration folder.
#include "vrn_fixture.h"

#include "host/HostGuards.h"
#include "model/NestingSetting.h"

#include <pugixml.hpp>

#include <stdexcept>

namespace {

using vrntest::VrnTest;

class VrnHostTest : public VrnTest {};

TEST_F(VrnHostTest, MessagesCarryTheirIconCaptionAndFurtherValues)
{
    vrnApi::ShowErrorMessage(105);
    vrnApi::ShowWarningMessage(105);
    vrnApi::ShowInformMessage(105);
    vrnApi::Message(L"готово");
    ASSERT_EQ(Messages().size(), 4u);
    const int flags[] = {0x10, 0x30, 0x40};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Messages()[i].text, vrnApi::LoadStr(105));
        EXPECT_EQ(Messages()[i].caption, L"");
        EXPECT_EQ(Messages()[i].flags, flags[i]);
        EXPECT_EQ(Messages()[i].param2, 0);
    }
    EXPECT_EQ(Messages()[3].text, L"готово");
    EXPECT_EQ(Messages()[3].caption, vrnApi::LoadStr(100));
    EXPECT_EQ(Messages()[3].flags, 0x40);
    EXPECT_EQ(Messages()[3].param2, 1);
}

TEST_F(VrnHostTest, NothingIsShownOrAnsweredWithoutTheApplication)
{
    application = nullptr;
    vrnApi::ShowErrorMessage(105);
    std::wstring path = L"start";
    EXPECT_EQ(vrnApi::ChoiceFolderDialog(path), L"start");
    EXPECT_EQ(path, L"start");
    EXPECT_EQ(vrnApi::GetSystemPathToConfig(), L"");
    EXPECT_FALSE(vrnApi::IsKeyDown(0x10));
    EXPECT_EQ(vrnApi::GetErrorCode(), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(VrnHostTest, DialogsPassTheirArgumentsAndGiveTheAnswers)
{
    State().fileAnswers.push_back(L"/parts/a.vdw");
    EXPECT_EQ(vrnApi::ChoiceFileDialog(L"vdw", L"Чертежи (*.vdw)|(*.vdw)", L"/parts", true), L"/parts/a.vdw");
    ASSERT_EQ(State().dialogs.size(), 1u);
    EXPECT_EQ(State().dialogs[0].filters, L"Чертежи (*.vdw)|(*.vdw)");
    EXPECT_TRUE(State().dialogs[0].preview);

    std::vector<std::wstring> files{L"kept"};
    State().filesAnswers.push_back({L"/a", L"/b"});
    vrnApi::ChoiceFilesDialog(L"vdw", L"", L"/", false, files);
    EXPECT_EQ(files, (std::vector<std::wstring>{L"/a", L"/b"}));

    std::wstring path = L"/start";
    EXPECT_EQ(vrnApi::ChoiceFolderDialog(path), L"");  // cancelled: the host's answer stands
    EXPECT_EQ(path, L"");
}

TEST_F(VrnHostTest, KeysFoldersAndHostErrors)
{
    EXPECT_FALSE(vrnApi::IsKeyDown(0x10));
    State().keysDown.insert(0x10);
    EXPECT_TRUE(vrnApi::IsKeyDown(0x10));
    EXPECT_EQ(std::filesystem::path(vrnApi::GetSystemPathToConfig()), host->Folder(vlapi::vlConfigurations));
    EXPECT_EQ(std::filesystem::path(vrnApi::GetSystemPathToLibs()), host->Folder(vlapi::vlApplications));
    EXPECT_EQ(std::filesystem::path(vrnApi::GetSystemPathToSystemFiles()), host->Folder(vlapi::vlSystemFiles));
    State().errorCode = 7;
    EXPECT_EQ(vrnApi::GetErrorCode(), 7);
    vrnApi::ClearError();
    EXPECT_EQ(vrnApi::GetErrorCode(), 0);
    vrnApi::CallHelp(12);
    EXPECT_EQ(State().helpTopics, std::vector<int>{12});
}

// A long edit bracketed as the placement brackets it; `fail` leaves it early.
void BracketedEdit(bool fail)
{
    vrnApi::ScopedSwitch access(vrnApi::EnableUserAccess, false);
    vrnApi::ScopedSwitch noRebuild(vrnApi::SetTreeRebuild, false);
    vrnApi::ScopedSwitch step(vrnApi::SetUndoContainer, true);
    vrnApi::ScopedSwitch noUndo(vrnApi::SetEnableUndo, false);
    if (fail)
        throw std::runtime_error("edit failed");
}

TEST_F(VrnHostTest, EveryBracketClosesOnEveryPath)
{
    BracketedEdit(false);
    EXPECT_THROW(BracketedEdit(true), std::runtime_error);
    const vlhost::DocumentSwitches& switches = Switches();
    EXPECT_EQ(switches.undoDepth, 0);
    EXPECT_EQ(switches.undoContainersOpened, 2);
    EXPECT_EQ(switches.undoContainersClosed, 2);
    EXPECT_TRUE(switches.treeRebuild);
    EXPECT_TRUE(switches.treeUpdate);
    EXPECT_EQ(switches.treeRebuildOff, switches.treeRebuildOn);
    EXPECT_TRUE(switches.undoEnabled);
    EXPECT_EQ(switches.undoOff, switches.undoOn);
    EXPECT_TRUE(State().access.enabled);
    EXPECT_EQ(State().access.offs, State().access.ons);
}

TEST_F(VrnHostTest, ConfigurationIsWrittenUnderTheHostsFolderAndReadBack)
{
    vrnApi::ConnectConfiguration();
    const std::filesystem::path file = host->Folder(vlapi::vlConfigurations) / "Nesting" / "Nesting-cfg.xml";

    NestingSetting fresh;
    fresh.ReadFromConfig();  // no file yet: the defaults, completed from the host's folders
    EXPECT_DOUBLE_EQ(fresh.m_tolerance, 2.5);
    EXPECT_DOUBLE_EQ(fresh.m_bridgesWidth, 30.0);
    EXPECT_EQ(fresh.m_sheetFormat, 4);
    EXPECT_EQ(std::filesystem::path(fresh.m_lytPath).parent_path(), host->Folder(vlapi::vlSystemFiles));

    ASSERT_TRUE(fresh.WriteToConfig());
    ASSERT_TRUE(std::filesystem::is_regular_file(file));
    NestingSetting reread;
    reread.m_tolerance = 9.0;
    reread.ReadFromConfig();
    EXPECT_DOUBLE_EQ(reread.m_tolerance, 2.5);
    EXPECT_DOUBLE_EQ(reread.m_bridgesLength, 100.0);
    EXPECT_EQ(reread.m_lytPath, fresh.m_lytPath);
    EXPECT_EQ(reread.m_sheetPattern, fresh.m_sheetPattern);
    NestingSetting::SetFoldersHook({});
}

TEST_F(VrnHostTest, PolygonShowsItsPointsWithAPortableCount)
{
    NPolygon ring({0.0, 0.0}, {{0.0, 0.0}, {10.0, 0.0}, {10.0, 5.5}});
    ring.Message();
    NPolygon empty({0.0, 0.0}, {});
    empty.Message();
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[0].text, L"count=3\n(0.00000 0.00000) (10.00000 0.00000) (10.00000 5.50000) ");
    EXPECT_EQ(Messages()[1].text, L"count=0\n");
    EXPECT_EQ(Messages()[1].caption, vrnApi::LoadStr(100));
}

TEST_F(VrnHostTest, HostFoldersWithRussianNamesAreJoinedThroughUtf8)
{
    vlhost::Host russian(root / u8"Раскрой листа");
    application = russian.Application();
    vlapi::IVarnelDocument2DPtr drawing = russian.NewDrawing();
    vrnApi::DeleteDocumentLayout();
    EXPECT_EQ(pugi::as_utf8(drawing->GetLayoutSheets()->GetItem(0)->GetStyleLibrary()),
              (russian.Folder(vlapi::vlSystemFiles) / "GRAPHIC.vst").string());

    vrnApi::ConnectConfiguration();
    NestingSetting setting;
    setting.ReadFromConfig();
    EXPECT_TRUE(setting.WriteToConfig());
    EXPECT_TRUE(std::filesystem::is_regular_file(russian.Folder(vlapi::vlConfigurations) / "Nesting" /
                                                 "Nesting-cfg.xml"));
    NestingSetting::SetFoldersHook({});
    drawing = nullptr;
    application = host->Application();
}

}  // namespace
