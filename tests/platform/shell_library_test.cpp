// Loading a library, its registrations, menu and resources, its commands as
// the user and the library itself ask for them, and its unloading.
#include <algorithm>
#include <fstream>
#include <functional>
#include <stdexcept>

#include "shell_fixture.h"

namespace vlhost::test {
namespace {

using LibraryTest = ShellTest;

TEST_F(LibraryTest, LoadRecordsRegistrationsMenuAndResourcesAndUnloadLeavesNothing) {
  ASSERT_TRUE(LoadTestLibrary());
  EXPECT_EQ(State().registrations, (std::vector<std::string>{"RunCommand", "FillContextPanel", "LibCommandState",
                                                               "GetMenuId", "LibObjInterfaceEntry(1)",
                                                               "LibObjInterfaceEntry(2)"}));
  EXPECT_EQ(user->MenuTitle(), L"Раскрой листового материала");
  EXPECT_EQ(user->Menu(), (std::vector<std::pair<int, std::wstring>>{{1, L"Импорт деталей..."}, {4, L"Деловой отход..."}}));
  const ModuleRecord* module = App().GetShell().FindModule(L"Nesting");
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->cursors, (std::vector<std::pair<int, std::wstring>>{{10011, L"CURSOR_ROTATE"}}));
  EXPECT_EQ(module->strings, (std::vector<int>{100, 101, 102}));
  EXPECT_EQ(host->HandlerCount(L"ApplicationEvents_Test"), 6);

  user->Unload();
  EXPECT_FALSE(user->Loaded());
  EXPECT_EQ(host->HandlerCount(), 0);
  EXPECT_TRUE(State().handlersLeft.empty());
  EXPECT_EQ(CallsSince(0).back(), "UnloadVarnelLibrary");
}

bool LoadsFalse(vlapi::IApplication*, vlapi::IVarnelLibraryActions*) { return false; }
bool Throws(vlapi::IApplication* app, vlapi::IVarnelLibraryActions*) {
  app->GetApplicationEvents()->OnKeyDown(L"Half", [](int&, int, const vlapi::IPressedKeysPtr&) { return true; });
  throw std::runtime_error("no memory");
}
void Unloads() {}

TEST_F(LibraryTest, ABadLibraryIsAClearErrorAndLeavesNothingBehind) {
  std::filesystem::create_directories(root);
  const auto text = root / "notes.so";
  std::ofstream(text) << "not a library";
  struct Case {
    std::function<bool()> load;
    const char* error;
  } cases[] = {
      {[&] { return user->Load(root / "missing.so"); }, "no library file"},
      {[&] { return user->Load(text); }, "cannot open the library"},
      {[&] { return user->Load(VLAPI_RUNTIME); }, "exports no LoadVarnelLibrary"},
      {[&] { return user->Attach(&LoadsFalse, &Unloads); }, "answered false"},
      {[&] { return user->Attach(&Throws, &Unloads); }, "threw: exception from LoadVarnelLibrary: no memory"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(c.load()) << c.error;
    EXPECT_NE(user->LoadError().find(c.error), std::string::npos) << user->LoadError();
    EXPECT_FALSE(user->Loaded());
    EXPECT_EQ(host->HandlerCount(), 0);
  }
  EXPECT_EQ(State().handlersLeft, std::vector<std::string>{"IApplicationEvents::OnKeyDown [\"Half\"]"});
  EXPECT_TRUE(LoadTestLibrary());  // the host is none the worse
}

TEST_F(LibraryTest, ACommandAskedForInsideAnEventRunsThereAndThen) {
  ASSERT_TRUE(LoadTestLibrary());
  user->New();
  user->Command(4);  // a figure of the library
  // The user's move asks for command 300, which moves the figure back onto
  // the x axis: that move asks again, and the library's guard stops that run.
  const std::size_t mark = Mark();
  ASSERT_TRUE(user->Move(user->Objects(L"macros"), 5, 0));
  const std::string moved = "OnObjectsMoved([macro #8 \"F1\"]) [\"Objects_Test\"]";
  EXPECT_EQ(CallsSince(mark), (std::vector<std::string>{moved, "RunCommand(300, 1)", moved, "RunCommand(300, 1)"}));
  EXPECT_EQ(DepthsSince(mark), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(State().transcript[State().transcript.size() - 4], "      < false");

  // The library's own calls are reported as the user's are.
  const std::size_t own = Mark();
  user->Command(5);
  EXPECT_EQ(CallsSince(own), (std::vector<std::string>{"LibCommandState(5)", "RunCommand(5, 0)", moved,
                                                         "RunCommand(300, 1)", moved, "RunCommand(300, 1)"}));

  user->Unload();  // with no library loaded the requests stay recorded
  vlapi::ILibraryPtr library(host->Application()->GetLibraryManager()->GetProceduresLibraries()->GetLibrary(L"APP_VlTest"));
  vlapi::IVarnelAPIObjectPtr result;
  ASSERT_TRUE(library && library->RunCommand(300, 1, result));
  EXPECT_EQ(State().commandQueue, std::deque<int>{300});
}

TEST_F(LibraryTest, FaultsOfTheLibraryAreCaughtAndRecorded) {
  ASSERT_TRUE(LoadTestLibrary());
  user->New();
  EXPECT_TRUE(user->Command(3));  // runs, and throws
  ASSERT_EQ(State().faults.size(), 1u);
  EXPECT_NE(State().faults[0].find("RunCommand(3, 0): command 3 fails"), std::string::npos);

  EXPECT_TRUE(user->Command(301));  // asks for itself without end
  const std::vector<std::string> calls = CallsSince(0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "RunCommand(301, 1)"), 7);
  ASSERT_EQ(State().faults.size(), 2u);
  EXPECT_NE(State().faults[1].find("8 commands deep"), std::string::npos);

  EXPECT_FALSE(user->Command(6));  // its state answers it off
  EXPECT_EQ(user->Refusal(), "command 6 is disabled: never");
  EXPECT_EQ(CallsSince(0).back(), "LibCommandState(6)");
}

TEST_F(LibraryTest, ALibraryIsFoundByItsNameOrByItsMenuTitle) {
  ASSERT_TRUE(LoadTestLibrary());
  vlapi::IProceduresLibrariesPtr libraries = host->Application()->GetLibraryManager()->GetProceduresLibraries();
  for (const wchar_t* name : {L"APP_VlTest", L"Раскрой листового материала"}) {
    vlapi::IProceduresLibraryPtr library = libraries->GetLibrary(name);
    ASSERT_TRUE(library) << Host::Utf8(name);
    EXPECT_EQ(library->GetName(), L"APP_VlTest");
    EXPECT_EQ(library->GetFontName(), L"Nesting Icons");
  }
  EXPECT_FALSE(libraries->GetLibrary(L"Другая библиотека"));
  user->New();
  user->Command(1);  // its panel looks itself up by the title: the button gets the font
  EXPECT_NE(user->Dump().find("button 7100 icon 57346 \"выделить\" font \"Nesting Icons\""), std::string::npos);
}

// The user quits while the library lets the host handle waiting events: the
// library's code is taken away only once the host is idle again.
TEST_F(LibraryTest, ALibraryUnloadedUnderItsOwnCallGoesWhenTheHostIsIdle) {
  for (const std::function<void()>& leave : std::vector<std::function<void()>>{[&] { user->Unload(); }, [&] { user->Quit(); }}) {
    ASSERT_TRUE(LoadTestLibrary());
    State().pendingEvents.push_back(leave);
    const std::size_t mark = Mark();
    EXPECT_TRUE(user->Command(9));
    EXPECT_FALSE(user->Loaded());
    const std::vector<std::string> calls = CallsSince(mark);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back(), "UnloadVarnelLibrary");
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "UnloadVarnelLibrary"), 1);
    EXPECT_EQ(State().messages.back().text, L"дождалась");
  }
}

TEST_F(LibraryTest, AHandlerLeftAtUnloadIsReportedAndDroppedBeforeTheLibraryCloses) {
  ASSERT_TRUE(LoadTestLibrary());
  user->Command(2);
  user->Unload();
  EXPECT_EQ(State().handlersLeft, std::vector<std::string>{"IApplicationEvents::OnKeyDown [\"Leak_Test\"]"});
  EXPECT_EQ(host->HandlerCount(), 0);
  EXPECT_TRUE(user->Key('A'));  // nothing of the library is called any more
  EXPECT_TRUE(CallsSince(0).back() == "UnloadVarnelLibrary");
}

}  // namespace
}  // namespace vlhost::test
