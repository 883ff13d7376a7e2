// A process and its panel as the user drives them: each kind of control's
// action with the event it raises or the reason it is refused; the standard
// buttons; how a process ends; control identity.
#include <algorithm>
#include <functional>

#include "shell_fixture.h"

namespace vlhost::test {
namespace {

class PanelTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    OpenPanel();
  }
  vlapi::IPropertyControlPtr C(const wchar_t* designator) const { return user->Control(designator); }
};

struct Action {
  const char* name;
  std::function<bool(Driver&)> act;
  const wchar_t* prompt;  // what the library's handler made of the event
  const char* refusal;    // or why the host refused the action
};

TEST_F(PanelTest, EachControlKindActsRaisesItsEventOrIsRefused) {
  const Action actions[] = {
      {"int", [](Driver& u) { return u.SetValue(u.Control(L"Количество"), L"5"); }, L"changed Количество", nullptr},
      {"int range", [](Driver& u) { return u.SetValue(u.Control(L"Количество"), L"11"); }, nullptr, "11 is outside 1..10"},
      {"int fraction", [](Driver& u) { return u.SetValue(u.Control(L"Количество"), L"2.5"); }, nullptr, "not a whole number"},
      {"real comma", [](Driver& u) { return u.SetValue(u.Control(L"Толщина"), L"2,5"); }, L"changed Толщина", nullptr},
      {"real text", [](Driver& u) { return u.SetValue(u.Control(L"Толщина"), L"abc"); }, nullptr, "not a number: abc"},
      {"text", [](Driver& u) { return u.SetValue(u.Control(L"@edit"), L"лист"); }, L"changed Имя", nullptr},
      {"length", [](Driver& u) { return u.SetValue(u.Control(L"@length"), L"1000.5"); }, nullptr, "outside 0..1000"},
      {"list", [](Driver& u) { return u.SetValue(u.Control(L"Метод"), L"По контурам"); }, L"changed Метод", nullptr},
      {"list item", [](Driver& u) { return u.SetValue(u.Control(L"Метод"), L"Нет"); }, nullptr, "has no item \"Нет\""},
      {"check", [](Driver& u) { return u.Tick(u.Control(L"Готово"), true); }, L"changed Готово", nullptr},
      {"check word", [](Driver& u) { return u.SetValue(u.Control(L"Готово"), L"yes"); }, nullptr, "takes on or off"},
      {"hidden", [](Driver& u) { return u.Tick(u.Control(L"Скрытый"), true); }, nullptr, "is hidden"},
      {"grid cell", [](Driver& u) { return u.EditCell(u.Control(L"@grid"), 2, 1, L"7"); }, L"changed Таблица", nullptr},
      {"grid read-only", [](Driver& u) { return u.EditCell(u.Control(L"@grid"), 1, 0, L"7"); }, nullptr, "cell 1, 0 is read-only"},
      {"grid header", [](Driver& u) { return u.EditCell(u.Control(L"@grid"), 0, 1, L"7"); }, nullptr, "read-only"},
      {"grid select", [](Driver& u) { return u.SelectCell(u.Control(L"@grid"), 1, 0); }, L"cell 1 0", nullptr},
      {"grid outside", [](Driver& u) { return u.SelectCell(u.Control(L"@grid"), 3, 0); }, nullptr, "has no cell 3, 0"},
      {"slide", [](Driver& u) { return u.SetValue(u.Control(L"@slide"), L"x"); }, nullptr, "takes no value"},
      {"button", [](Driver& u) { return u.Press(u.Control(L"Пуск")); }, L"command Пуск 0", nullptr},
      {"button id", [](Driver& u) { return u.Press(u.Control(L"Пуск"), 5); }, nullptr, "has no button 5"},
      {"colour", [](Driver& u) { return u.SetValue(u.Control(L"Цвет"), L"0x0000FF"); }, L"changed Цвет", nullptr},
      {"colour range", [](Driver& u) { return u.SetValue(u.Control(L"Цвет"), L"-1"); }, nullptr, "not a colour"},
      {"tool bar", [](Driver& u) { return u.Press(u.Control(L"Список"), 7100); }, L"command Список 7100", nullptr},
      {"delete", [](Driver& u) { return u.Press(u.Control(L"Список"), 2); }, L"command Список 2", nullptr},
      {"tick item", [](Driver& u) { return u.CheckItem(u.Control(L"Список"), 1, true); }, L"tick Список 1 on", nullptr},
      {"select item", [](Driver& u) { return u.SelectItem(u.Control(L"Список"), 0); }, L"select Список 0 on", nullptr},
      {"rename unasked", [](Driver& u) { return u.EditItem(u.Control(L"Список"), 0, L"x"); }, nullptr, "item 0 is not being edited"},
      {"rename", [](Driver& u) {
         return u.DoubleClickItem(u.Control(L"Список"), 0) && u.EditItem(u.Control(L"Список"), 0, L"новый");
       }, L"renamed новый", nullptr},
      {"folder text", [](Driver& u) { return u.SetValue(u.Control(L"Папка"), L"/tmp"); }, L"changed Папка", nullptr},
      {"folder box", [](Driver& u) { return u.Tick(u.Control(L"@editcheck"), true); }, L"changed Папка", nullptr},
      {"side button", [](Driver& u) { return u.Press(u.Control(L"Папка"), 7201); }, L"command Папка 7201", nullptr},
      {"folder clear", [](Driver& u) { return u.Press(u.Control(L"Папка"), 2); }, L"command Папка 2", nullptr},
      {"focus", [](Driver& u) { return u.Focus(u.Control(L"Имя")); }, L"focus Имя on", nullptr},
      {"focus list", [](Driver& u) { return u.Focus(u.Control(L"Метод")); }, nullptr, "takes no focus"},
      {"user menu", [](Driver& u) { return u.MenuCommand(u.Control(L"Список"), 3); }, L"menu 3", nullptr},
      {"tab", [](Driver& u) { return u.ExpandTab(1, false); }, L"tab 1", nullptr},
      {"hidden tab", [](Driver& u) { return u.ExpandTab(0, true); }, nullptr, "no tab 0"},
      {"cursor", [](Driver& u) { return u.Cursor(1.5, 2, false); }, L"cursor 1.5 2", nullptr},
      {"click", [](Driver& u) { return u.Cursor(3, 4, true); }, L"click 3 4", nullptr},
      {"confirm off", [](Driver& u) { return u.Enter(); }, nullptr, "button 1 is disabled"},
  };
  for (const Action& a : actions) {
    user->Tick(user->Control(L"Готово"), false);  // keeps confirm off
    const bool done = a.act(*user);
    if (a.refusal) {
      EXPECT_FALSE(done) << a.name;
      EXPECT_NE(user->Refusal().find(a.refusal), std::string::npos) << a.name << ": " << user->Refusal();
    } else {
      EXPECT_TRUE(done) << a.name << ": " << user->Refusal();
      EXPECT_EQ(user->Prompt(), a.prompt) << a.name;
    }
    EXPECT_TRUE(user->Running()) << a.name;
  }
  const std::string dump = user->Dump();
  for (const char* shown : {"editint \"Количество\" = \"5\" range 1..10", "editreal \"Толщина\" = \"2.5\"",
                            "list \"Метод\" = 1", "row 2: \"\" | \"7\"", "colour \"Цвет\" = 0000FF",
                            "item 0 [ ] \"новый\"", "item 1 [x] \"второй\"", "button 7201 icon 57346/57346",
                            "edit \"Папка\" = \"/tmp\"", "check \"Папка\" on", "tab 1 \"Параметры\" collapsed"})
    EXPECT_NE(dump.find(shown), std::string::npos) << shown << "\n" << dump;
}

TEST_F(PanelTest, DisabledAndReadOnlyControlsRefuseTheUser) {
  vlapi::IPropertyEditPtr name(C(L"Имя"));
  name->SetReadOnly(true);
  EXPECT_FALSE(user->SetValue(name, L"x"));
  EXPECT_NE(user->Refusal().find("read-only"), std::string::npos);
  vlapi::IPropertyControlPtr button = C(L"Пуск");
  button->SetEnable(false);
  EXPECT_FALSE(user->Press(button));
  EXPECT_NE(user->Refusal().find("is disabled"), std::string::npos);
  vlapi::IPropertyToolBarPtr(C(L"Список"))->SetButtonEnable(7100, false);
  EXPECT_FALSE(user->Press(C(L"Список"), 7100));
  EXPECT_NE(user->Refusal().find("button 7100 is disabled"), std::string::npos);
  EXPECT_EQ(name->GetText(), L"деталь");
}

TEST_F(PanelTest, EnterEscAndClosingEndTheProcessOnceAfterTheClick) {
  struct Case {
    const char* name;
    std::function<bool(Driver&)> end;
    std::vector<std::string> calls;
  } cases[] = {
      // The library stops the process inside its own click handler.
      {"enter", [](Driver& u) { return u.Enter(); },
       {"OnButtonUpdate(1) [\"Test\"]", "OnButtonClick(1) [\"Test\"]", "OnEndProcess() [\"Test\"]"}},
      // ... or unbinds itself inside it, then stops: no end event reaches it.
      {"esc", [](Driver& u) { return u.Esc(); }, {"OnButtonUpdate(2) [\"Test\"]", "OnButtonClick(2) [\"Test\"]"}},
      {"close", [](Driver& u) { return u.ClosePanel(); }, {"OnEndProcess() [\"Test\"]"}},
      {"another command", [](Driver& u) { return u.Command(4); },
       {"LibCommandState(4)", "OnEndProcess() [\"Test\"]", "RunCommand(4, 0)"}},
  };
  for (const Case& c : cases) {
    if (!user->Running()) {
      ASSERT_TRUE(user->Command(1));
    }
    user->Tick(C(L"Готово"), true);
    vlapi::IVarnelDocument2DPtr doc(host->Application()->GetActiveDocument());
    EXPECT_TRUE(doc->IsProcessRunning());
    const std::size_t mark = Mark();
    EXPECT_TRUE(c.end(*user)) << c.name << ": " << user->Refusal();
    EXPECT_EQ(CallsSince(mark), c.calls) << c.name;
    EXPECT_FALSE(user->Running()) << c.name;
    EXPECT_FALSE(doc->IsProcessRunning()) << c.name;
    EXPECT_EQ(host->HandlerCount(L"Test"), 0) << c.name;
  }
  EXPECT_FALSE(user->Cursor(1, 1, true));  // nothing takes the cursor now
  EXPECT_FALSE(user->Enter());
}

TEST_F(PanelTest, HelpAndContextGoToTheRunningProcess) {
  EXPECT_TRUE(user->Help());
  EXPECT_EQ(State().messages.back().text, L"справка");
  EXPECT_TRUE(user->Running());
  const std::size_t mark = Mark();
  EXPECT_TRUE(user->Context(5, 5));
  EXPECT_TRUE(user->Context(-5, 5));
  EXPECT_EQ(CallsSince(mark),
            (std::vector<std::string>{"OnGetContextMenuType(5, 5) [\"Test\"]", "OnFillContextPanel() [\"Test\"]",
                                      "OnGetContextMenuType(-5, 5) [\"Test\"]", "OnFillContextIconMenu() [\"Test\"]"}));
  user->ClosePanel();
  const std::size_t idle = Mark();
  EXPECT_TRUE(user->Context(5, 5));  // without a process the library's own filler is asked
  EXPECT_EQ(CallsSince(idle), std::vector<std::string>{"FillContextPanel()"});
}

TEST_F(PanelTest, AControlAndItsFacesAreOneObjectAndSettingsAreRecorded) {
  vlapi::IPropertyEditCheckBoxPtr folder(C(L"Папка"));
  const vlapi::IAPIObjectPtr identity(folder);
  EXPECT_EQ(vlapi::IAPIObjectPtr(folder->GetEdit()), identity);
  EXPECT_EQ(vlapi::IAPIObjectPtr(folder->GetCheckBox()), identity);
  EXPECT_EQ(vlapi::IAPIObjectPtr(vlapi::IPropertyEditPtr(folder)), identity);
  EXPECT_EQ(vlapi::IAPIObjectPtr(vlapi::IPropertyToolBarPtr(folder)), identity);
  EXPECT_EQ(vlapi::IAPIObjectPtr(vlapi::IPropertyToolBarPtr(C(L"Список"))), vlapi::IAPIObjectPtr(C(L"Список")));
  EXPECT_FALSE(vlapi::IPropertyToolBarPtr(C(L"Пуск")));
  EXPECT_EQ(user->Mask(), 65534);
  EXPECT_EQ(user->Caption(), L"Тест");
  for (const char* recorded : {". IProcessParam::SetStyle(0)", ". IProcessParam::SetFlags(1)", ". IProcess::Start(1, 0)"})
    EXPECT_NE(std::find_if(State().transcript.begin(), State().transcript.end(),
                           [&](const std::string& l) { return l.find(recorded) != std::string::npos; }),
              State().transcript.end())
        << recorded;
}

}  // namespace
}  // namespace vlhost::test
