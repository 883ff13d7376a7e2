#pragma once
// The user of the stand-in host: loads a library, chooses its commands, works
// in documents with the host's own tools and keys, drags hot points and
// drives the panel of the running process, as a person at the host would.
//
//   vlhost::Host host(folder);
//   vlhost::Driver user(host);
//   user.Load("build/libNesting.so");          // or Attach(&LoadVarnelLibrary, ...)
//   user.New();                                 // a drawing: the library hears of it
//   user.Command(3);                            // from the library's menu
//   user.SetValue(user.Find(L"Метод"), L"По контурам");
//   user.Enter();
//   host.State().transcript                     // every call both ways, in order
//
// An action the host refuses (a hidden, disabled or read-only control, a bad
// number, a button that is off, nothing to act on) does nothing but record why:
// it answers false and Refusal() tells the reason. After every action the host
// is idle again: it asks the library for the hot points of a library macro
// that has become the one selected object.
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "vlapi/vlapi.h"

namespace vlhost {

class Host;
class Application;

class Driver {
 public:
  explicit Driver(Host& host);

  // The library and its menu.
  bool Load(const std::filesystem::path& library, const std::wstring& name = L"APP_Nesting",
            const std::wstring& module = L"Nesting");
  bool Attach(vlapi::LoadVarnelLibraryFunction load, vlapi::UnloadVarnelLibraryFunction unload,
              const std::wstring& name = L"APP_Nesting", const std::wstring& module = L"Nesting");
  void Unload();
  bool Loaded() const;
  const std::string& LoadError() const { return loadError_; }
  std::wstring MenuTitle();
  std::vector<std::pair<int, std::wstring>> Menu();  // command ids with their titles
  bool Command(int command);                         // any id, on the menu or not

  // Documents (each made active; the library hears of new and opened ones).
  vlapi::IVarnelDocumentPtr New(int type = vlapi::vlDocumentDrawing, bool visible = true);
  vlapi::IVarnelDocumentPtr Open(const std::filesystem::path& path, bool visible = true);
  bool Save(const std::filesystem::path& path);
  bool Close();     // the active document
  bool CloseAll();  // false when the library keeps them open
  bool Activate(int index);  // among the open documents, in the order they were made active
  // The view numbered `number` of the active drawing made the current one, as
  // the user picks it among the drawing's views: clicks go into it.
  bool ShowView(int number);
  void Quit();      // the application goes: destroy event, then the library is unloaded
  // The user types `text` into cell `cell` of the title block of page `page`
  // (from 0) of the active drawing; "" empties the cell.
  bool TypeInTitleBlock(int page, int cell, const std::wstring& text);
  // The text of that cell ("" for an empty cell or none).
  std::wstring TitleBlockCell(int page, int cell) const;

  // Keys (virtual-key codes); the keys held down are the pressed keys of each event.
  bool KeyDown(int code, int flags = 0);
  bool KeyUp(int code, int flags = 0);
  bool Key(int code, int flags = 0);  // down and up

  // Objects of the active drawing by a selector: "macros" (every macro standing
  // in a view), "macro:NAME", "ref:N", "selection", "none"; several separated
  // by spaces, or given one a word (a name may then hold spaces).
  vlapi::APIObjectList Objects(const std::wstring& selector);
  vlapi::APIObjectList Objects(const std::vector<std::wstring>& selectors);
  bool Select(const vlapi::APIObjectList& objects);
  // The host's own editing tools.
  bool Move(const vlapi::APIObjectList& objects, double dx, double dy);
  bool Rotate(const vlapi::APIObjectList& objects, double x, double y, double angle);
  bool Copy(const vlapi::APIObjectList& objects, double dx, double dy);

  // Hot points of the selected library macro, in its coordinates.
  std::vector<vlapi::HotPoint> HotPoints() const;
  bool Drag(int index, const std::vector<std::pair<double, double>>& steps, bool success = true);
  std::vector<std::wstring> CursorTexts() const;

  // The running process and its panel.
  bool Running() const;
  std::wstring Caption() const;  // the process's caption, else its parameters'
  std::wstring Prompt() const;
  int Mask() const;
  std::string Dump() const;  // a text picture of the panel ("" without one)
  // A control by caption (faces included), or by kind (ControlTypeEnum) and its
  // place among the controls of that kind (from 1).
  vlapi::IPropertyControlPtr Find(const std::wstring& caption) const;
  vlapi::IPropertyControlPtr FindKind(int kind, int nth = 1) const;
  // "caption", "@kind" or "@kind#n" (kinds by name: edit, editint, editreal,
  // length, list, check, grid, slide, button, colour, editlist, editcheck, separator).
  vlapi::IPropertyControlPtr Control(const std::wstring& designator) const;
  // An edit's text, a list's item (its text or "#index"), a check box's "on"
  // or "off", a colour's number; an edit with a check box takes the text.
  bool SetValue(const vlapi::IPropertyControlPtr& control, const std::wstring& value);
  bool Tick(const vlapi::IPropertyControlPtr& control, bool on);  // a check box, or an edit with one
  // A text button (id -1), a button of a control's tool bar or side, or the
  // control's own delete (vlControlCommandDelete) of an edit list, grid or edit with a check box.
  bool Press(const vlapi::IPropertyControlPtr& control, int id = -1);
  bool SelectItem(const vlapi::IPropertyControlPtr& control, int index, bool select = true);
  bool CheckItem(const vlapi::IPropertyControlPtr& control, int index, bool check);
  bool EditItem(const vlapi::IPropertyControlPtr& control, int index, const std::wstring& text);
  bool DoubleClickItem(const vlapi::IPropertyControlPtr& control, int index);
  bool SelectCell(const vlapi::IPropertyControlPtr& control, int row, int column);
  bool EditCell(const vlapi::IPropertyControlPtr& control, int row, int column, const std::wstring& text);
  bool Focus(const vlapi::IPropertyControlPtr& control);
  bool MenuCommand(const vlapi::IPropertyControlPtr& control, int menuId);
  bool ExpandTab(int index, bool expand);
  bool Cursor(double x, double y, bool click);  // in the active view, mm
  bool Enter();
  bool Esc();
  bool Help();
  bool ClosePanel();
  bool Context(int x, int y);

  // Any event as the host would raise it, unchecked: its name without "On"
  // (ButtonClick, Cursor, ObjectsMoved, KeyDown, CloseDocument, ...) and its
  // arguments as texts (controls by designator, objects by selector).
  bool Raw(const std::string& event, const std::vector<std::wstring>& args);

  const std::vector<std::string>& Transcript() const;
  const std::string& Refusal() const { return refusal_; }

 private:
  Application& App() const;
  bool Refuse(const std::string& why);
  bool Idle(bool result);
  bool PanelControl(const vlapi::IPropertyControlPtr& control, bool needValue);
  bool StandardButton(int id);

  Host& host_;
  std::string loadError_;
  std::string refusal_;
  vlapi::IPropertyControlPtr focused_;
};

}  // namespace vlhost
