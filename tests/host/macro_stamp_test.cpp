// The library's stamp on its macros: written, recognised, taken off, and kept
// with the parameter block when the drawing is saved and opened again.
#include "support/macro_fixture.h"

#include "host/HostAccess.h"

namespace macrotest {
namespace {

class MacroStampTest : public MacroHostTest {
protected:
    INestingMacroObjectPtr Square(const std::wstring& name, MacroCommand command = MacroCommand::Figure)
    {
        return MakeMacro(Container(), AddRing(Container(), {{0, 0}, {10, 0}, {10, 10}, {0, 10}}), name, command);
    }
};

TEST_F(MacroStampTest, StampedMacroIsRecognisedOnlyForItsCommand)
{
    const INestingMacroObjectPtr macro = Square(L"Part");
    vlapi::IMacroObjectPtr host = HostMacro(macro);
    host->SetEditMode(true);
    EXPECT_FALSE(macro->CheckMacroLibraryNameAndCommand(MacroCommand::Sheet));
    EXPECT_TRUE(host->GetEditMode());  // a failed check leaves the edit mode alone
    EXPECT_TRUE(macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure));
    EXPECT_FALSE(host->GetEditMode());
    EXPECT_EQ(macro->GetCommand(), MacroCommand::Figure);
    // The model's records hold the command as a plain number.
    EXPECT_TRUE(macro->CheckMacroLibraryNameAndCommand(101));
    EXPECT_FALSE(macro->CheckMacroLibraryNameAndCommand(102));
    EXPECT_EQ(macro->GetName(), L"Part");
    EXPECT_EQ(vlapi::IUserParametersPtr(host)->GetLibraryId(), vrnApi::LoadStr(100));
    EXPECT_TRUE(host->GetEditable());
    EXPECT_TRUE(host->GetHotPointsEditable());
    EXPECT_EQ(vlapi::IDrawingContainerPtr(host)->GetObjects({vlapi::vlAllObj}).size(), 4u);
}

TEST_F(MacroStampTest, LibraryIdMustMatchExactly)
{
    const INestingMacroObjectPtr macro = Square(L"Part");
    vlapi::IUserParametersPtr params(HostMacro(macro));
    const std::wstring id = vrnApi::LoadStr(100);
    for (const std::wstring& other : {id + L" ", std::wstring(L"x") + id.substr(1), std::wstring()}) {
        params->SetLibraryId(other);
        EXPECT_FALSE(macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure));
    }
}

TEST_F(MacroStampTest, MissingLibraryIdTextNeitherStampsNorRecognises)
{
    const INestingMacroObjectPtr stamped = Square(L"Part");
    vlapi::IMacroObjectPtr blank = Container()->GetMacroObjects()->AddMacro(1);
    vlapi::IUserParametersPtr(blank)->SetCommand(101);  // an empty id text with the figure number

    resourceModule = application->GetResourcesModule(L"NoSuchModule");
    ASSERT_TRUE(vrnApi::LoadStr(100).empty());
    EXPECT_FALSE(NMacroObject::Create(blank)->CheckMacroLibraryNameAndCommand(MacroCommand::Figure));
    EXPECT_FALSE(stamped->CheckMacroLibraryNameAndCommand(MacroCommand::Figure));
    vlapi::IMacroObjectPtr fresh = Container()->GetMacroObjects()->AddMacro(1);
    EXPECT_FALSE(SetMacroParams(fresh, L"Part", 101, {}));
    EXPECT_EQ(fresh->GetName(), L"");
    EXPECT_EQ(vlapi::IUserParametersPtr(fresh)->GetCommand(), 0);
}

TEST_F(MacroStampTest, MacroWithoutUserParametersIsNeverStamped)
{
    vlapi::IMacroObjectPtr macro = Container()->GetMacroObjects()->AddMacro(1);
    vlhost::FailureScope noParams("IUserParameters");
    EXPECT_FALSE(SetMacroParams(macro, L"Part", 101, {}));
    EXPECT_EQ(macro->GetName(), L"");
    EXPECT_EQ(NMacroObject::Create(macro)->GetCommand(), MacroCommand::Undefined);
}

TEST_F(MacroStampTest, ForbidEditableTakesTheStampOffAndKeepsTheBlock)
{
    const INestingMacroObjectPtr macro = Square(L"Part");
    macro->SaveMacroParams({1, 2, 3});
    macro->ForbidEditable();
    EXPECT_EQ(static_cast<int>(macro->GetCommand()), -1);
    EXPECT_FALSE(macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure));
    std::vector<uint8_t> block;
    macro->LoadMacroParams(block);
    EXPECT_EQ(block, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_FALSE(HostMacro(macro)->GetEditable());
}

TEST_F(MacroStampTest, LoadingReplacesTheCallersBlockOnlyWhenThereIsAMacro)
{
    std::vector<uint8_t> block = {9, 9};
    NMacroObject::Create(vlapi::IMacroObjectPtr{})->LoadMacroParams(block);
    EXPECT_EQ(block, (std::vector<uint8_t>{9, 9}));
    Square(L"Part")->LoadMacroParams(block);
    EXPECT_TRUE(block.empty());
}

TEST_F(MacroStampTest, ReferencesTurnBackIntoWrappers)
{
    const INestingMacroObjectPtr macro = Square(L"Part");
    const reference ref = macro->GetReference();
    ASSERT_NE(ref, 0);
    EXPECT_EQ(NMacroObject::Create(ref)->GetName(), L"Part");
    const reference line = hostAccess::ReferenceOf(AddLine(Container(), {0, 0}, {1, 1}));
    const INestingMacroObjectPtr notMacro = NMacroObject::Create(line);
    ASSERT_TRUE(notMacro);
    EXPECT_EQ(notMacro->GetReference(), 0);
    EXPECT_EQ(notMacro->GetCommand(), MacroCommand::Undefined);
    EXPECT_FALSE(notMacro->CheckMacroLibraryNameAndCommand(MacroCommand::Undefined));
}

TEST_F(MacroStampTest, DeletedAndDestroyedWrappersHoldNothing)
{
    const INestingMacroObjectPtr deleted = Square(L"A");
    deleted->DeleteMacro();
    EXPECT_EQ(deleted->GetReference(), 0);
    EXPECT_EQ(deleted->GetMacroLayer(), -1);

    const INestingMacroObjectPtr destroyed = Square(L"B");
    destroyed->DestroyMacro();
    EXPECT_EQ(destroyed->GetReference(), 0);
    EXPECT_TRUE(Container()->GetObjects({vlapi::vlDrMacro}).empty());
    EXPECT_EQ(Container()->GetObjects({vlapi::vlDrLineSeg}).size(), 4u);  // the members stay
}

TEST_F(MacroStampTest, SavedDrawingIsRecognisedByStampAndCommandWithItsBlock)
{
    const std::vector<uint8_t> block = {0, 1, 254, 255, 17};
    Square(L"Figure")->SaveMacroParams(block);
    Square(L"Sheet", MacroCommand::Sheet)->SaveMacroParams({7});
    vlapi::IMacroObjectPtr foreign = Container()->GetMacroObjects()->AddMacro(1);
    vlapi::IUserParametersPtr(foreign)->SetLibraryId(L"Another library");
    vlapi::IUserParametersPtr(foreign)->SetCommand(101);

    const std::wstring path = File("stamped.vdw");
    ASSERT_TRUE(doc->SaveAs(path));
    doc->Close(0);
    doc = nullptr;
    ASSERT_TRUE(application->GetDocuments()->Open(path, true, 0));

    const std::vector<INestingMacroObjectPtr> macros = DrawingMacros();
    ASSERT_EQ(macros.size(), 3u);  // every macro is listed, the foreign one too
    std::vector<INestingMacroObjectPtr> figures;
    for (const INestingMacroObjectPtr& m : macros) {
        if (m->CheckMacroLibraryNameAndCommand(MacroCommand::Figure))
            figures.push_back(m);
    }
    ASSERT_EQ(figures.size(), 1u);
    EXPECT_EQ(figures[0]->GetName(), L"Figure");
    std::vector<uint8_t> read;
    figures[0]->LoadMacroParams(read);
    EXPECT_EQ(read, block);
}

}  // namespace
}  // namespace macrotest
