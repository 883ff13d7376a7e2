// The host's events: one registry for every source, application and key
// events, drawing-object events from the user's tools and a library's own
// calls, a document's closing, and the hot points of a selected library macro.
#include <algorithm>

#include "shell_fixture.h"

namespace vlhost::test {
namespace {

using EventsTest = ShellTest;

vlapi::IVarnelDocument2DPtr Drawing(Driver& user) { return vlapi::IVarnelDocument2DPtr(user.New()); }

TEST_F(EventsTest, AHandlerDroppedDuringDispatchIsNeverCalledAgain) {
  vlapi::IApplicationEventsPtr events = host->Application()->GetApplicationEvents();
  std::vector<std::string> calls;
  events->OnKeyDown(L"A", [&](int&, int, const vlapi::IPressedKeysPtr&) {
    calls.push_back("A");
    events->RemoveHandlers(L"A");  // its own key, while it is being called
    events->RemoveHandlers(L"B");  // and one whose turn has not come yet
    return true;
  });
  events->OnKeyDown(L"B", [&](int&, int, const vlapi::IPressedKeysPtr&) {
    calls.push_back("B");
    return true;
  });
  events->OnKeyDown(L"C", [&](int&, int, const vlapi::IPressedKeysPtr&) {
    calls.push_back("C");
    return false;
  });
  // A key dropped on one source stays on another.
  vlapi::IVarnelDocument2DPtr doc = Drawing(*user);
  doc->GetDocumentEvents()->OnCloseDocument(L"A", [&] { calls.push_back("close A"); });
  user->Key('X');
  user->Key('X');
  EXPECT_EQ(calls, (std::vector<std::string>{"A", "C", "C"}));
  user->Close();
  EXPECT_EQ(calls.back(), "close A");
  EXPECT_EQ(host->HandlerCount(), 1);  // C: the closed document took its own with it
  events->RemoveHandlers(L"C");
  EXPECT_EQ(host->HandlerCount(), 0);
}

TEST_F(EventsTest, ApplicationEventsReachEveryDocumentAndKeysCarryWhatIsHeld) {
  vlapi::IApplicationEventsPtr events = host->Application()->GetApplicationEvents();
  std::vector<std::wstring> seen;
  bool keep = true;
  const auto record = [&](const wchar_t* what) {
    return [&, what](const vlapi::IVarnelDocumentPtr& d) { seen.push_back(what + std::to_wstring(d->GetDocumentType())); };
  };
  events->OnCreateDocument(L"T", record(L"created "));
  events->OnOpenDocument(L"T", record(L"opened "));
  events->OnBeginCloseAllDocument(L"T", [&] { return !keep; });
  events->OnKeyDown(L"T", [&](int& key, int flags, const vlapi::IPressedKeysPtr& keys) {
    seen.push_back(L"down " + std::to_wstring(key) + L" " + std::to_wstring(flags) +
                   (keys->IsKeyDown(16) ? L" shift" : L""));
    return true;
  });
  events->OnKeyUp(L"T", [&](int& key, int, const vlapi::IPressedKeysPtr& keys) {
    seen.push_back(L"up " + std::to_wstring(key) + L" held " + std::to_wstring(keys->GetKeys().size()));
    return true;
  });

  user->New();
  user->New(vlapi::vlDocumentFragment, false);  // without a window too
  user->New(vlapi::vlDocumentAssembly);
  ASSERT_TRUE(user->Activate(0));
  ASSERT_TRUE(user->Save(root / "a.vdw"));
  ASSERT_TRUE(user->Open(root / "a.vdw", false));
  user->KeyDown(16);
  user->Key(37, 3);
  user->KeyUp(16);
  EXPECT_EQ(seen, (std::vector<std::wstring>{L"created 1", L"created 2", L"created 5", L"opened 1", L"down 16 0 shift",
                                             L"down 37 3 shift", L"up 37 held 1", L"up 16 held 0"}));
  EXPECT_FALSE(user->CloseAll());  // the handler keeps them
  EXPECT_EQ(host->Application()->GetDocuments()->GetCount(), 4);
  keep = false;
  EXPECT_TRUE(user->CloseAll());
  EXPECT_EQ(host->Application()->GetDocuments()->GetCount(), 0);
}

TEST_F(EventsTest, DestroyComesBeforeTheLibraryIsUnloaded) {
  ASSERT_TRUE(LoadTestLibrary());
  user->Quit();
  EXPECT_EQ(CallsSince(0), (std::vector<std::string>{"LoadVarnelLibrary", "OnApplicationDestroy() [\"ApplicationEvents_Test\"]",
                                                      "UnloadVarnelLibrary"}));
}

TEST_F(EventsTest, ObjectEventsComeFromEveryMoveFilteredPerOwner) {
  vlapi::IVarnelDocument2DPtr doc = Drawing(*user);
  std::vector<std::string> seen;
  const auto listen = [&](const wchar_t* owner, const vlapi::TypeList& types) {
    vlapi::IDrawingObjectEventsPtr events = doc->GetDrawingObjectEvents(owner);
    if (!types.empty()) events->SetTypes(types);
    const std::string name = Host::Utf8(owner);
    const auto note = [&, name](const char* what) {
      return [&, name, what](const vlapi::DrawingObjectList& objects) {
        seen.push_back(name + " " + what + " " + std::to_string(objects.size()));
        return true;
      };
    };
    events->OnObjectsMoved(note("moved"));
    events->OnObjectsRotated(note("rotated"));
    events->OnObjectsCopied(note("copied"));
    return events;
  };
  vlapi::IDrawingObjectEventsPtr macros = listen(L"macros", {vlapi::vlDrMacro});
  listen(L"all", {});
  EXPECT_EQ(macros->GetTypes(), vlapi::TypeList{vlapi::vlDrMacro});

  vlapi::IDrawingContainerPtr view(doc->GetViewsAndLayersManager()->GetViews()->GetActiveView());
  vlapi::IMacroObjectPtr macro = view->GetMacroObjects()->AddMacro(1);
  vlapi::ILineSegmentPtr line = view->GetCollection(vlapi::vlDrLineSeg)->Add();
  line->Update();
  const vlapi::APIObjectList both{vlapi::IVarnelAPIObjectPtr(macro), vlapi::IVarnelAPIObjectPtr(line)};
  const vlapi::APIObjectList lineOnly{vlapi::IVarnelAPIObjectPtr(line)};
  vlapi::ICopyObjectParamPtr copy(doc->CreateAPIObject(vlapi::vlObjectCopyObjectParam));
  struct Case {
    std::function<void()> act;
    std::vector<std::string> seen;
  } cases[] = {
      {[&] { user->Move(both, 1, 0); }, {"macros moved 1", "all moved 2"}},
      {[&] { user->Move(lineOnly, 1, 0); }, {"all moved 1"}},
      {[&] { doc->RotateObjects(both, 0, 0, 30); }, {"macros rotated 1", "all rotated 2"}},
      {[&] { doc->CopyObjects(lineOnly, copy.get()); }, {"all copied 1"}},
      {[&] { macro->SetPlacement(5, 0, 0, 0, 1); }, {"macros moved 1", "all moved 1"}},
      {[&] { macro->SetPlacement(0, 0, 10, 0, 1); }, {"macros rotated 1", "all rotated 1"}},
      {[&] { macro->SetPlacement(0, 0, 0, 0, 1); }, {}},  // no change, no event
      {[&] { user->Raw("ObjectsMoved", {}); }, {"macros moved 0", "all moved 0"}},  // raw: as given
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    seen.clear();
    cases[i].act();
    EXPECT_EQ(seen, cases[i].seen) << "case " << i;
  }
  macros->RemoveHandlers();
  seen.clear();
  user->Move(both, 1, 0);
  EXPECT_EQ(seen, std::vector<std::string>{"all moved 2"});
}

TEST_F(EventsTest, ClosingIsToldWhileTheDocumentStillStands) {
  vlapi::IVarnelDocument2DPtr doc = Drawing(*user);
  int views = -1;
  int open = -1;
  doc->GetDocumentEvents()->OnCloseDocument(L"T", [&] {
    views = doc->GetViewsAndLayersManager()->GetViews()->GetCount();
    open = host->Application()->GetDocuments()->GetCount();
  });
  user->Close();
  EXPECT_EQ(views, 1);
  EXPECT_EQ(open, 1);
  EXPECT_EQ(host->HandlerCount(), 0);
}

TEST_F(EventsTest, ALibraryMacroSelectedAloneShowsTheLibrarysHotPoints) {
  ASSERT_TRUE(LoadTestLibrary());
  user->New();
  user->Command(4);
  vlapi::IDrawingContainerPtr view(vlapi::IVarnelDocument2DPtr(host->Application()->GetActiveDocument())
                                       ->GetViewsAndLayersManager()->GetViews()->GetActiveView());
  view->GetMacroObjects()->AddMacro(1)->SetName(L"other");  // no library's
  const std::size_t mark = Mark();
  user->Select(user->Objects(L"macro:other"));
  user->Select(user->Objects(L"macros"));
  EXPECT_TRUE(CallsSince(mark).empty());
  EXPECT_FALSE(user->Drag(0, {{1, 1}}));

  user->Select(user->Objects(L"macro:F1"));
  ASSERT_EQ(user->HotPoints().size(), 2u);
  EXPECT_EQ(user->HotPoints()[1].cursorId, 10011);
  const std::size_t drag = Mark();
  ASSERT_TRUE(user->Drag(1, {{50, 50}, {0, 50}}));
  EXPECT_EQ(user->CursorTexts(), (std::vector<std::wstring>{L"A = 45.00", L"A = 90.00"}));
  const std::vector<std::string> calls = CallsSince(drag);
  EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + 6),
            (std::vector<std::string>{"IHotPointObject::BeginDrag(1)", "IHotPointObject::Set(1, 50, 50)",
                                      "IHotPointObject::GetCursorText(1)", "IHotPointObject::Set(1, 0, 50)",
                                      "IHotPointObject::GetCursorText(1)", "IHotPointObject::EndDrag(1, true)"}));
  // The turns during the drag reached no sink: the library took its sinks off.
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("OnObjects", 0) == 0; }), 1);
  EXPECT_TRUE(user->Drag(0, {{1, 1}}, false));
  EXPECT_NE(std::find(State().transcript.begin(), State().transcript.end(), "> IHotPointObject::EndDrag(0, false)"),
            State().transcript.end());
  EXPECT_FALSE(user->Drag(5, {{1, 1}}));
  EXPECT_EQ(user->Refusal(), "no hot point 5");
}

}  // namespace
}  // namespace vlhost::test
