// The application: active documents, resources, recorded user interaction,
// folders and the host's brackets.
#include <set>

#include "HostFixture.h"

namespace vlhost::test {
namespace {

std::wstring LoadText(const vlapi::IApplicationPtr& app, int id) {
  vlapi::IProceduresLibraryPtr library =
      app->GetLibraryManager()->GetProceduresLibraries()->GetLibrary(L"APP_Nesting");
  if (!library) return {};
  vlapi::IResourcesModulePtr module = app->GetResourcesModule(L"Nesting");
  return library->GetDictionary()->GetString(id, module.get());
}

TEST_F(HostTest, OpeningMakesActiveAndClosingGivesActivityBack) {
  auto first = NewDrawing();
  // A document never saved is titled by its kind and number, a saved one by its file's name.
  const std::wstring untitled = first->GetTitle();
  EXPECT_TRUE(untitled.starts_with(L"Чертёж "));
  ASSERT_TRUE(first->SaveAs(File("first.vdw")));
  EXPECT_EQ(first->GetTitle(), L"first.vdw");
  auto second = NewDrawing();
  EXPECT_NE(second->GetTitle(), untitled);
  ASSERT_TRUE(second->SaveAs(File("second.vdw")));
  second->Close(0);
  EXPECT_EQ(Api()->GetActiveDocument(), vlapi::IVarnelDocumentPtr(first));

  // A windowless document is active while it is open, and gives the activity back.
  vlapi::IVarnelDocumentPtr hidden = Api()->GetDocuments()->Open(File("second.vdw"), false, 1);
  ASSERT_TRUE(hidden);
  EXPECT_EQ(Api()->GetActiveDocument(), hidden);
  EXPECT_FALSE(hidden->GetFrame());
  // An open file is found, not opened again.
  EXPECT_EQ(Api()->GetDocuments()->FindDocument(File("second.vdw")), hidden);
  first->Activate();
  EXPECT_EQ(Api()->GetActiveDocument(), vlapi::IVarnelDocumentPtr(first));
  hidden->Activate();
  hidden->Close(0);
  EXPECT_EQ(Api()->GetActiveDocument(), vlapi::IVarnelDocumentPtr(first));
  first->Close(0);
  EXPECT_FALSE(Api()->GetActiveDocument());
  // A missing file opens nothing and sets the host's error.
  EXPECT_FALSE(Api()->GetDocuments()->Open(File("missing.vdw"), false, 1));
  EXPECT_NE(Api()->GetLastError()->GetCode(), 0);
}

TEST_F(HostTest, ResourceTextsComeThroughTheLibraryDictionary) {
  EXPECT_EQ(LoadText(Api(), 7015), L"Раскраска");
  EXPECT_EQ(LoadText(Api(), 7017), L"Надписи");
  EXPECT_FALSE(LoadText(Api(), 100).empty());
  EXPECT_TRUE(LoadText(Api(), 99999).empty());
  // Each id has its own text.
  std::set<std::wstring> texts;
  int count = 0;
  for (int id : {100, 105, 7015, 7017, 7109, 7111, 7142, 7220, 7224, 7315, 7423, 7425}) {
    texts.insert(LoadText(Api(), id));
    ++count;
  }
  EXPECT_EQ(static_cast<int>(texts.size()), count);
  // Another library has no such dictionary.
  EXPECT_FALSE(Api()->GetLibraryManager()->GetProceduresLibraries()->GetLibrary(L"APP_Other"));
  EXPECT_NE(Api()->GetApplicationServices()->GetModuleFileName(Api()->GetResourcesModule(L"Nesting").get()).find(L"libNesting.so"),
            std::wstring::npos);
}

TEST_F(HostTest, MessagesDialogsAndCommandsAreRecordedWithScriptedAnswers) {
  app->State().messageAnswers.push_back(7);
  EXPECT_EQ(Api()->MessageBox(L"Ошибка", L"", 0x10, 0, 0), 7);
  EXPECT_EQ(Api()->MessageBox(L"Готово", L"Раскрой", 0x40, 0, 1), 1);
  // Unanswered, a Yes/No question takes Yes.
  EXPECT_EQ(Api()->MessageBox(L"Дальше?", L"", vlapi::vlMBIconQuestion | vlapi::vlMBYesNo, 0, 0), vlapi::vlIDYes);
  ASSERT_EQ(app->State().messages.size(), 3u);
  EXPECT_EQ(app->State().messages[0].flags, 0x10);
  EXPECT_EQ(app->State().messages[1].caption, L"Раскрой");

  app->State().folderAnswers.push_back(L"/tmp/out");
  EXPECT_EQ(Api()->GetApplicationDialogs()->ChooseFolderDialog(0, L"/start"), L"/tmp/out");
  EXPECT_EQ(Api()->GetApplicationDialogs()->ChooseFolderDialog(0, L"/start"), L"");  // cancelled
  EXPECT_EQ(app->State().dialogs.size(), 2u);

  vlapi::ILibraryPtr library = Api()->GetLibraryManager()->GetProceduresLibraries()->GetLibrary(L"APP_Nesting");
  vlapi::IVarnelAPIObjectPtr result;
  ASSERT_TRUE(library->RunCommand(300, 1, result));
  EXPECT_EQ(app->State().commandQueue, std::deque<int>{300});
  vlapi::IProceduresLibraryPtr(library)->ShowHelp(9);
  EXPECT_EQ(app->State().helpTopics, std::vector<int>{9});

  app->State().keysDown.insert(0x10);
  EXPECT_TRUE(Api()->GetApplicationServices()->IsKeyDown(0x10));
  EXPECT_FALSE(Api()->GetApplicationServices()->IsKeyDown(0x11));
}

TEST_F(HostTest, BracketsAreCountedSoThatEveryOneCanBeCheckedClosed) {
  auto doc = NewDrawing();
  doc->SetTreeRebuild(false);
  doc->SetUndoContainer(true);
  Api()->StartProgressBar(L"", 100);
  Api()->SetProgressBarPosition(40);
  Api()->EnableUserAccess(false);
  auto* host = dynamic_cast<Document2D*>(doc.get());
  EXPECT_EQ(host->Switches().undoDepth, 1);
  EXPECT_FALSE(host->Switches().treeRebuild);
  EXPECT_TRUE(app->State().progress.shown);
  doc->SetUndoContainer(false);
  doc->SetTreeRebuild(true);
  Api()->StopProgressBar();
  Api()->EnableUserAccess(true);
  EXPECT_EQ(host->Switches().undoDepth, 0);
  EXPECT_EQ(host->Switches().undoContainersOpened, host->Switches().undoContainersClosed);
  EXPECT_EQ(host->Switches().treeRebuildOff, host->Switches().treeRebuildOn);
  EXPECT_EQ(app->State().progress.starts, app->State().progress.stops);
  EXPECT_EQ(app->State().progress.positions, std::vector<int>{40});
  EXPECT_EQ(app->State().access.offs, app->State().access.ons);
}

TEST_F(HostTest, FoldersLieUnderTheChosenRoot) {
  for (int kind : {vlapi::vlSystemFiles, vlapi::vlApplications, vlapi::vlConfigurations}) {
    const std::filesystem::path folder = PathOf(Api()->GetSystemSettings()->GetSystemPath(kind));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_EQ(folder.parent_path(), root);
  }
  EXPECT_NE(Api()->GetSystemSettings()->GetSystemPath(vlapi::vlConfigurations),
            Api()->GetSystemSettings()->GetSystemPath(vlapi::vlApplications));
}

// A page without layout draws no title block, but its cells stay with it.
TEST_F(HostTest, PagesWithoutLayoutKeepTheirTitleBlockCells) {
  auto doc = NewDrawing();
  vlapi::ILayoutSheetPtr page = doc->GetLayoutSheets()->GetItem(0);
  ASSERT_TRUE(page->GetStamp());
  page->GetStamp()->GetCellText(110)->SetText(L"Иванов");
  vlapi::ISheetFormatPtr format = page->GetFormat();
  format->SetFormat(vlapi::vlFormatA3);
  format->SetVertical(false);
  EXPECT_DOUBLE_EQ(format->GetWidth(), 420);
  EXPECT_DOUBLE_EQ(format->GetHeight(), 297);
  page->SetStyleLibrary(Api()->GetSystemSettings()->GetSystemPath(vlapi::vlSystemFiles) + L"/GRAPHIC.vst");
  page->SetStyleNumber(15);
  ASSERT_TRUE(page->GetStamp());
  EXPECT_EQ(page->GetStamp()->GetCellText(110)->GetText(), L"Иванов");
  // A drawing keeps its first page.
  EXPECT_FALSE(page->Delete());
  vlapi::ILayoutSheetPtr second = doc->GetLayoutSheets()->Add();
  EXPECT_TRUE(second->Delete());
  EXPECT_EQ(doc->GetLayoutSheets()->GetCount(), 1);
}

TEST_F(HostTest, SpecificationTakesObjectsOfTheDrawing) {
  auto doc = NewDrawing();
  auto macro = AddSquareMacro(Container(ActiveView(doc)), 1, 1);
  vlapi::ISpecificationDescriptionsPtr descriptions = doc->GetSpecificationDescriptions();
  ASSERT_TRUE(descriptions);
  EXPECT_FALSE(descriptions->GetDescription());
  vlapi::ISpecificationDescriptionPtr description = descriptions->Add(L"", 0, L"");
  ASSERT_TRUE(description);
  EXPECT_TRUE(descriptions->GetDescription());
  vlapi::ISpecificationTuningPtr tuning = description->GetTuning();
  vlapi::ISpecificationTuningSectionsPtr sections = tuning->GetSections();
  int kinds20 = 0;
  for (int i = 0; i < sections->GetCount(); ++i)
    if (sections->GetItem(i)->GetKind() == 20) kinds20 += sections->GetItem(i)->SetColumns(0, 5, 1, 3) ? 1 : 0;
  EXPECT_EQ(kinds20, 1);
  EXPECT_TRUE(tuning->Apply());
  vlapi::ISpecificationObjectCreateParamPtr param = doc->CreateAPIObject(vlapi::vlSpecificationObjectCreateParam);
  ASSERT_TRUE(param);
  param->SetSectionMode(0);
  param->SetPositionMode(0);
  vlapi::ISpecificationBaseObjectsPtr objects = description->GetBaseObjects();
  vlapi::ISpecificationBaseObjectPtr object =
      objects->Add(param.get(), vlapi::IPropertyKeeperPtr(macro).get(), 1, {});
  ASSERT_TRUE(object);
  object->SetAutoFill(1);
  EXPECT_EQ(objects->GetCount(), 1);
}

TEST_F(HostTest, SelectionAndChoiceAreSeparate) {
  auto doc = NewDrawing();
  auto a = AddSquareMacro(Container(ActiveView(doc)), 1, 1);
  auto b = AddSquareMacro(Container(ActiveView(doc)), 2, 2);
  doc->GetSelectionManager()->Select(ListOf(vlapi::IAPIObjectPtr(a)));
  doc->GetSelectionManager()->Select(ListOf(vlapi::IAPIObjectPtr(b)));
  doc->GetChooseManager()->Choose(ListOf(vlapi::IAPIObjectPtr(a)));
  EXPECT_EQ(doc->GetSelectionManager()->GetSelectedObjects().size(), 2u);
  doc->GetSelectionManager()->Unselect(ListOf(vlapi::IAPIObjectPtr(a)));
  const auto selected = doc->GetSelectionManager()->GetSelectedObjects();
  ASSERT_EQ(selected.size(), 1u);
  EXPECT_EQ(vlapi::IAPIObjectPtr(selected[0]), vlapi::IAPIObjectPtr(b));
  EXPECT_EQ(doc->GetChooseManager()->GetChosenObjects().size(), 1u);
  // A deleted object leaves both.
  a->Delete();
  EXPECT_TRUE(doc->GetChooseManager()->GetChosenObjects().empty());
}

}  // namespace
}  // namespace vlhost::test
