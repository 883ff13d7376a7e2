#include "vlhost/Driver.h"

#include <algorithm>
#include <cwctype>
#include <sstream>

#include "host/Application.h"
#include "host/Panel.h"
#include "io/Files.h"
#include "model/Document3D.h"
#include "model/Layout.h"
#include "model/Macro.h"
#include "model/View.h"
#include "vlhost/Host.h"

namespace vlhost {
namespace {

int KindOf(const std::wstring& name) {
  static const std::pair<const wchar_t*, int> kinds[] = {
      {L"separator", vlapi::vlControlSeparator}, {L"editint", vlapi::vlControlEditInt},
      {L"editreal", vlapi::vlControlEditReal},   {L"edit", vlapi::vlControlEditStr},
      {L"list", vlapi::vlControlListStr},        {L"check", vlapi::vlControlCheckBox},
      {L"grid", vlapi::vlControlGrid},           {L"slide", vlapi::vlControlSlideBox},
      {L"button", vlapi::vlControlTextButton},   {L"colour", vlapi::vlControlColor},
      {L"color", vlapi::vlControlColor},         {L"editlist", vlapi::vlControlEditList},
      {L"length", vlapi::vlControlEditLength},   {L"editcheck", vlapi::vlControlEditCheckBox}};
  for (const auto& [text, kind] : kinds)
    if (name == text) return kind;
  try {
    return std::stoi(name);
  } catch (...) {
    return 0;
  }
}

bool ParseInt(const std::wstring& text, long long& value) {
  try {
    std::size_t used = 0;
    value = std::stoll(text, &used, 0);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

bool ParseDouble(const std::wstring& text, double& value) {
  try {
    std::size_t used = 0;
    value = std::stod(text, &used);
    return used == text.size();
  } catch (...) {
    return false;
  }
}

bool ParseFlag(const std::wstring& text) { return text == L"1" || text == L"true" || text == L"on"; }

std::string Text(const vlapi::IPropertyControlPtr& c) {
  ControlCore* core = ControlOfObject(c.get());
  return core ? core->Label() : "no control";
}

std::vector<std::wstring> Words(const std::wstring& text) {
  std::vector<std::wstring> out;
  std::wistringstream in(text);
  for (std::wstring w; in >> w;) out.push_back(w);
  return out;
}

vlapi::IProcessContextPanelPtr ContextPanelObject(Shell& shell) {
  return Give<vlapi::IProcessContextPanel>(new ContextPanel(shell, "IProcessContextPanel"));
}

vlapi::IProcessContextIconMenuPtr ContextIconMenuObject(Shell& shell) {
  return Give<vlapi::IProcessContextIconMenu>(new ContextIconMenu(shell, "IProcessContextIconMenu"));
}

std::string Arg(const vlapi::IProcessContextPanelPtr&) { return {}; }
std::string Arg(const vlapi::IProcessContextIconMenuPtr&) { return {}; }

std::string Arg(const vlapi::IPropertyControlPtr& c) { return Text(c); }
std::string Arg(bool v) { return v ? "true" : "false"; }
std::string Arg(int v) { return std::to_string(v); }

// The arguments of an event as the transcript shows them.
template <class... A>
std::string Args(const A&... args) {
  std::string text;
  ((text += (text.empty() ? "" : ", ") + Arg(args)), ...);
  return text;
}

vlapi::IPropertiesManagerEvents* PanelEvents(Shell& shell) {
  return static_cast<vlapi::IPropertiesManagerEvents*>(shell.Running()->Param());
}

// Tells the running panel's handlers of `event` (of signature F, answering nothing).
template <class F, class... A>
void Tell(Shell& shell, Event event, const A&... args) {
  shell.Raise<F>(PanelEvents(shell), event, Args(args...), [&](auto& h) {
    h(args...);
    return std::string();
  });
}

void Standing(Container& c, std::vector<Ref<Shape>>& out) {
  for (const auto& s : c.Items())
    if (s->Alive()) out.push_back(s);
}

}  // namespace

Driver::Driver(Host& host) : host_(host) {}

Application& Driver::App() const { return *host_.app_; }

bool Driver::Refuse(const std::string& why) {
  refusal_ = why;
  App().GetShell().Refuse(why);
  return Idle(false);
}

bool Driver::Idle(bool result) {
  Shell& shell = App().GetShell();
  if (shell.UnloadWaits()) shell.Unload();
  shell.RefreshHotPoints();
  return result;
}

const std::vector<std::string>& Driver::Transcript() const { return App().State().transcript; }

// --- The library -------------------------------------------------------------------

bool Driver::Load(const std::filesystem::path& library, const std::wstring& name, const std::wstring& module) {
  loadError_.clear();
  if (!App().GetShell().Load(library, name, module, loadError_)) return Refuse(loadError_);
  return Idle(true);
}

bool Driver::Attach(vlapi::LoadVarnelLibraryFunction load, vlapi::UnloadVarnelLibraryFunction unload,
                    const std::wstring& name, const std::wstring& module) {
  loadError_.clear();
  if (!App().GetShell().Attach(load, unload, name, module, loadError_)) return Refuse(loadError_);
  return Idle(true);
}

void Driver::Unload() {
  focused_ = nullptr;
  App().GetShell().Unload();
}

bool Driver::Loaded() const { return App().GetShell().Loaded(); }

std::wstring Driver::MenuTitle() { return App().GetShell().MenuTitle(); }

std::vector<std::pair<int, std::wstring>> Driver::Menu() {
  Shell& shell = App().GetShell();
  std::vector<std::pair<int, std::wstring>> menu;
  for (int id : shell.MenuEntries()) menu.emplace_back(id, App().Text(shell.ModuleName(), id));
  return menu;
}

bool Driver::Command(int command) {
  focused_ = nullptr;
  if (!App().GetShell().ChooseCommand(command)) {
    refusal_ = App().State().refusals.empty() ? "" : App().State().refusals.back();
    return Idle(false);
  }
  return Idle(true);
}

// --- Documents ------------------------------------------------------------------------

vlapi::IVarnelDocumentPtr Driver::New(int type, bool visible) {
  App().GetShell().Record("user: new document " + std::to_string(type));
  vlapi::IVarnelDocumentPtr doc;
  if (type == vlapi::vlDocumentDrawing || type == vlapi::vlDocumentFragment)
    doc = vlapi::IVarnelDocumentPtr(static_cast<vlapi::IVarnelDocument2D*>(App().NewDocument2D(type, visible).get()));
  else if (type == vlapi::vlDocumentPart || type == vlapi::vlDocumentAssembly)
    doc = vlapi::IVarnelDocumentPtr(static_cast<vlapi::IVarnelDocument3D*>(App().NewDocument3D(type, visible).get()));
  if (!doc) Refuse("no document of type " + std::to_string(type));
  Idle(true);
  return doc;
}

vlapi::IVarnelDocumentPtr Driver::Open(const std::filesystem::path& path, bool visible) {
  App().GetShell().Record("user: open " + path.filename().string());
  vlapi::IVarnelDocumentPtr doc = App().OpenFile(WideOf(path), visible);
  if (!doc) Refuse("cannot open " + path.string() + ": " + Utf8(App().State().errorText));
  Idle(true);
  return doc;
}

bool Driver::Save(const std::filesystem::path& path) {
  vlapi::IVarnelDocumentPtr doc = App().Active();
  if (!doc) return Refuse("no document to save");
  App().GetShell().Record("user: save " + path.filename().string());
  if (!doc->SaveAs(WideOf(path))) return Refuse("cannot save " + path.string());
  return Idle(true);
}

bool Driver::Close() {
  vlapi::IVarnelDocumentPtr doc = App().Active();
  if (!doc) return Refuse("no document to close");
  App().GetShell().Record("user: close " + Shell::Describe(doc.get()));
  doc->Close(0);
  return Idle(true);
}

bool Driver::CloseAll() {
  Shell& shell = App().GetShell();
  shell.Record("user: close all");
  if (!shell.BeginCloseAll()) return Refuse("the library keeps the documents open");
  while (vlapi::IVarnelDocumentPtr doc = App().Active()) {
    const std::size_t before = App().Open().size();
    doc->Close(0);
    if (App().Open().size() >= before) break;  // a document that does not close
  }
  return Idle(true);
}

bool Driver::Activate(int index) {
  const auto& open = App().Open();
  if (index < 0 || index >= static_cast<int>(open.size())) return Refuse("no document " + std::to_string(index));
  vlapi::IVarnelDocumentPtr doc = open[static_cast<std::size_t>(index)];
  App().GetShell().Record("user: activate " + Shell::Describe(doc.get()));
  doc->Activate();
  return Idle(true);
}

bool Driver::ShowView(int number) {
  auto* doc = dynamic_cast<Document2D*>(App().Active().get());
  if (!doc) return Refuse("no drawing to show a view of");
  View* view = doc->ViewByNumber(number);
  if (!view || !view->Alive()) return Refuse("no view " + std::to_string(number));
  App().GetShell().Record("user: view " + std::to_string(number) + " \"" + Host::Utf8(view->name) + "\"");
  doc->MakeCurrent(view);
  return Idle(true);
}

void Driver::Quit() {
  Shell& shell = App().GetShell();
  shell.Record("user: quit");
  shell.Destroying();
  Unload();
}

namespace {

vlapi::IStampPtr TitleBlockOf(const vlapi::IVarnelDocumentPtr& doc, int page) {
  const vlapi::IVarnelDocument2DPtr drawing(doc);
  const vlapi::ILayoutSheetsPtr pages = drawing ? drawing->GetLayoutSheets() : nullptr;
  const vlapi::ILayoutSheetPtr sheet = pages ? pages->GetItem(page) : nullptr;
  return sheet ? sheet->GetStamp() : nullptr;
}

}  // namespace

bool Driver::TypeInTitleBlock(int page, int cell, const std::wstring& text) {
  // The user types only into a title block that is drawn.
  const vlapi::IVarnelDocument2DPtr drawing(App().Active());
  const vlapi::ILayoutSheetsPtr pages = drawing ? drawing->GetLayoutSheets() : nullptr;
  const auto* shown = dynamic_cast<LayoutSheet*>(pages ? pages->GetItem(page).get() : nullptr);
  if (shown && !shown->HasLayout()) return Refuse("page " + std::to_string(page + 1) + " draws no title block");
  const vlapi::IStampPtr stamp = TitleBlockOf(App().Active(), page);
  const vlapi::ITextPtr cellText = stamp ? stamp->GetCellText(cell) : nullptr;
  if (!cellText) return Refuse("no cell " + std::to_string(cell) + " in a title block of page " + std::to_string(page));
  App().GetShell().Record("user: type \"" + Utf8(text) + "\" into cell " + std::to_string(cell) + " of page " +
                          std::to_string(page));
  cellText->SetText(text);
  stamp->Update();
  return Idle(true);
}

std::wstring Driver::TitleBlockCell(int page, int cell) const {
  const vlapi::IStampPtr stamp = TitleBlockOf(App().Active(), page);
  if (!stamp) return {};
  const std::vector<int> held = stamp->GetCellNumbers();
  if (std::find(held.begin(), held.end(), cell) == held.end()) return {};
  const vlapi::ITextPtr cellText = stamp->GetCellText(cell);
  return cellText ? cellText->GetText() : std::wstring();
}

// --- Keys ----------------------------------------------------------------------------------

bool Driver::KeyDown(int code, int flags) {
  App().GetShell().Record("user: key down " + std::to_string(code));
  App().State().keysDown.insert(static_cast<uint8_t>(code));
  App().GetShell().Key(true, code, flags);
  return Idle(true);
}

bool Driver::KeyUp(int code, int flags) {
  App().GetShell().Record("user: key up " + std::to_string(code));
  App().State().keysDown.erase(static_cast<uint8_t>(code));
  App().GetShell().Key(false, code, flags);
  return Idle(true);
}

bool Driver::Key(int code, int flags) { return KeyDown(code, flags) && KeyUp(code, flags); }

// --- Objects ----------------------------------------------------------------------------------

vlapi::APIObjectList Driver::Objects(const std::wstring& selector) { return Objects(Words(selector)); }

vlapi::APIObjectList Driver::Objects(const std::vector<std::wstring>& selectors) {
  vlapi::APIObjectList out;
  auto* doc = dynamic_cast<Document2D*>(App().Active().get());
  if (!doc) return out;
  std::vector<Ref<Shape>> standing;
  for (const auto& view : doc->Views()) Standing(*view, standing);
  auto add = [&](Shape* s) {
    vlapi::IVarnelAPIObjectPtr object(s->Identity());
    if (std::find(out.begin(), out.end(), object) == out.end()) out.push_back(object);
  };
  for (const std::wstring& word : selectors) {
    if (word == L"macros" || word.rfind(L"macro:", 0) == 0) {
      const std::wstring name = word == L"macros" ? L"" : word.substr(6);
      for (const auto& s : standing)
        if (auto* m = dynamic_cast<MacroObject*>(s.get()); m && (word == L"macros" || m->name == name)) add(m);
    } else if (word.rfind(L"ref:", 0) == 0 || word.rfind(L"#", 0) == 0) {
      long long ref = 0;
      if (ParseInt(word.substr(word[0] == L'#' ? 1 : 4), ref))
        if (auto* s = dynamic_cast<Shape*>(doc->Find(static_cast<int32_t>(ref))); s && s->Alive()) add(s);
    } else if (word == L"selection") {
      for (const auto& s : doc->Selection())
        if (s->Alive()) add(s.get());
    }
  }
  return out;
}

bool Driver::Select(const vlapi::APIObjectList& objects) {
  auto* doc = dynamic_cast<Document2D*>(App().Active().get());
  if (!doc) return Refuse("no drawing to select in");
  App().GetShell().Record("user: select " + std::to_string(objects.size()) + " objects");
  doc->Selection().clear();
  doc->GetSelectionManager()->Select(objects);
  return Idle(true);
}

bool Driver::Move(const vlapi::APIObjectList& objects, double dx, double dy) {
  auto* doc = dynamic_cast<Document2D*>(App().Active().get());
  if (!doc) return Refuse("no drawing to move in");
  App().GetShell().Record("user: move by " + Number(dx) + ", " + Number(dy));
  doc->MoveObjects(objects, dx, dy);
  return Idle(true);
}

bool Driver::Rotate(const vlapi::APIObjectList& objects, double x, double y, double angle) {
  auto* doc = dynamic_cast<Document2D*>(App().Active().get());
  if (!doc) return Refuse("no drawing to rotate in");
  App().GetShell().Record("user: rotate about " + Number(x) + ", " + Number(y) + " by " + Number(angle));
  doc->RotateObjects(objects, x, y, angle);
  return Idle(true);
}

bool Driver::Copy(const vlapi::APIObjectList& objects, double dx, double dy) {
  auto* doc = dynamic_cast<Document2D*>(App().Active().get());
  if (!doc) return Refuse("no drawing to copy in");
  App().GetShell().Record("user: copy by " + Number(dx) + ", " + Number(dy));
  vlapi::ICopyObjectParamPtr param(doc->CreateAPIObject(vlapi::vlObjectCopyObjectParam));
  param->SetTargetX(dx);
  param->SetTargetY(dy);
  doc->CopyObjects(objects, param.get());
  return Idle(true);
}

std::vector<vlapi::HotPoint> Driver::HotPoints() const { return App().GetShell().HotPoints(); }

bool Driver::Drag(int index, const std::vector<std::pair<double, double>>& steps, bool success) {
  if (!App().GetShell().Drag(index, steps, success)) {
    refusal_ = App().State().refusals.back();
    return Idle(false);
  }
  return Idle(true);
}

std::vector<std::wstring> Driver::CursorTexts() const { return App().GetShell().CursorTexts(); }

// --- The panel ------------------------------------------------------------------------------------

bool Driver::Running() const { return App().GetShell().Running() != nullptr; }

std::wstring Driver::Caption() const {
  const Process* p = App().GetShell().Running();
  if (!p) return {};
  if (!p->caption.empty() || !p->Param()) return p->caption;
  return p->Param()->caption;
}

std::wstring Driver::Prompt() const {
  const Process* p = App().GetShell().Running();
  return p ? p->prompt : std::wstring();
}

int Driver::Mask() const {
  const Process* p = App().GetShell().Running();
  return p ? p->mask : 0;
}

std::string Driver::Dump() const {
  const Process* p = App().GetShell().Running();
  if (!p || !p->Param()) return {};
  return "prompt " + Quote(p->prompt) + "\n" + p->Param()->Dump();
}

vlapi::IPropertyControlPtr Driver::Find(const std::wstring& caption) const {
  const Process* p = App().GetShell().Running();
  if (!p || !p->Param()) return {};
  for (const auto& c : p->Param()->Controls()) {
    ControlCore* core = ControlOfObject(c.get());
    if (core->caption == caption) return c;
    if (auto* ec = dynamic_cast<EditCheckBoxControl*>(core);
        ec && (ec->Edit().caption == caption || ec->Check().caption == caption))
      return c;
  }
  return {};
}

vlapi::IPropertyControlPtr Driver::FindKind(int kind, int nth) const {
  const Process* p = App().GetShell().Running();
  if (!p || !p->Param()) return {};
  for (const auto& c : p->Param()->Controls())
    if (c->GetType() == kind && --nth == 0) return c;
  return {};
}

vlapi::IPropertyControlPtr Driver::Control(const std::wstring& designator) const {
  if (designator.size() > 1 && designator[0] == L'@') {
    const std::size_t hash = designator.find(L'#');
    long long nth = 1;
    if (hash != std::wstring::npos && !ParseInt(designator.substr(hash + 1), nth)) return {};
    return FindKind(KindOf(designator.substr(1, hash == std::wstring::npos ? std::wstring::npos : hash - 1)),
                    static_cast<int>(nth));
  }
  return Find(designator);
}

// Whether the user can reach `control` in the running panel.
bool Driver::PanelControl(const vlapi::IPropertyControlPtr& control, bool needValue) {
  const Process* p = App().GetShell().Running();
  if (!p || !p->Param()) return Refuse("no process panel is shown");
  ControlCore* core = ControlOfObject(control.get());
  if (!core) return Refuse("no such control");
  const PropertyTab* tab = p->Param()->TabOf(core);
  if (!tab) return Refuse(core->Label() + " is not in the panel");
  if (!tab->visible) return Refuse(core->Label() + " stands in a hidden tab");
  if (!core->visible) return Refuse(core->Label() + " is hidden");
  if (!core->enabled) return Refuse(core->Label() + " is disabled");
  if (needValue && core->ReadOnly()) return Refuse(core->Label() + " is read-only");
  return true;
}

bool Driver::SetValue(const vlapi::IPropertyControlPtr& control, const std::wstring& value) {
  if (!PanelControl(control, true)) return false;
  Shell& shell = App().GetShell();
  ControlCore* core = ControlOfObject(control.get());
  shell.Record("user: set " + core->Label() + " to " + Quote(value));
  if (auto* ec = dynamic_cast<EditCheckBoxControl*>(core)) {
    if (!ec->Edit().visible || !ec->Edit().enabled) return Refuse(core->Label() + ": its edit is off");
    core = &ec->Edit();
  }
  if (auto* e = dynamic_cast<EditControl*>(core)) {
    if (const std::string why = e->Refusal(value); !why.empty()) return Refuse(core->Label() + ": " + why);
    e->Accept(value);
  } else if (auto* l = dynamic_cast<ListControl*>(core)) {
    long long index = l->FindItem(value);
    if (index < 0 && !(value.size() > 1 && value[0] == L'#' && ParseInt(value.substr(1), index)))
      return Refuse(core->Label() + " has no item " + Quote(value));
    if (index < 0 || index >= l->GetCount()) return Refuse(core->Label() + " has no item " + Quote(value));
    l->current = static_cast<int>(index);
  } else if (auto* k = dynamic_cast<CheckBoxControl*>(core)) {
    if (value != L"on" && value != L"off") return Refuse(core->Label() + " takes on or off");
    k->checked = value == L"on";
  } else if (auto* col = dynamic_cast<ColorControl*>(core)) {
    long long c = 0;
    if (!ParseInt(value, c) || c < 0 || c > 0xFFFFFF) return Refuse(core->Label() + ": not a colour: " + Utf8(value));
    col->color = static_cast<int>(c);
  } else {
    return Refuse(core->Label() + " takes no value");
  }
  Tell<vlapi::ControlHandler>(shell, Event::ChangeControlValue, control);
  return Idle(true);
}

bool Driver::Tick(const vlapi::IPropertyControlPtr& control, bool on) {
  if (!PanelControl(control, false)) return false;
  ControlCore* core = ControlOfObject(control.get());
  CheckBoxControl* box = dynamic_cast<CheckBoxControl*>(core);
  if (auto* ec = dynamic_cast<EditCheckBoxControl*>(core)) box = &ec->Check();
  if (!box) return Refuse(core->Label() + " has no check box");
  if (!box->visible || !box->enabled) return Refuse(core->Label() + ": its check box is off");
  Shell& shell = App().GetShell();
  shell.Record("user: tick " + core->Label() + (on ? " on" : " off"));
  box->checked = on;
  Tell<vlapi::ControlHandler>(shell, Event::ChangeControlValue, control);
  return Idle(true);
}

bool Driver::Press(const vlapi::IPropertyControlPtr& control, int id) {
  if (!PanelControl(control, false)) return false;
  Shell& shell = App().GetShell();
  ControlCore* core = ControlOfObject(control.get());
  vlapi::IPropertyControlPtr target = control;
  const int kind = core->Kind();
  if (id == -1 && kind == vlapi::vlControlEditCheckBox) {
    // the browse button beside the edit face (a folder or file to choose)
    auto* ec = dynamic_cast<EditCheckBoxControl*>(core);
    target = Give<vlapi::IPropertyControl>(static_cast<vlapi::IPropertyEdit*>(&ec->Edit()));
    id = 0;
  } else if (id == -1) {
    if (kind != vlapi::vlControlTextButton) return Refuse(core->Label() + " is not a button");
    id = 0;
  } else if (id == vlapi::vlControlCommandDelete &&
             (kind == vlapi::vlControlEditList || kind == vlapi::vlControlGrid || kind == vlapi::vlControlEditCheckBox)) {
    // the control's own delete (clear) button
  } else {
    ControlCore* carrier = core;
    if (auto* ec = dynamic_cast<EditCheckBoxControl*>(core)) {
      carrier = &ec->Edit();
      target = Give<vlapi::IPropertyControl>(static_cast<vlapi::IPropertyEdit*>(&ec->Edit()));
    }
    const PanelButton* button = carrier->Button(id);
    if (!button) return Refuse(core->Label() + " has no button " + std::to_string(id));
    if (!button->enabled) return Refuse(core->Label() + ": button " + std::to_string(id) + " is disabled");
  }
  shell.Record("user: press " + core->Label() + (id ? " button " + std::to_string(id) : ""));
  Tell<vlapi::ControlCommandHandler>(shell, Event::ControlCommand, target, id);
  return Idle(true);
}

bool Driver::SelectItem(const vlapi::IPropertyControlPtr& control, int index, bool select) {
  if (!PanelControl(control, false)) return false;
  ControlCore* core = ControlOfObject(control.get());
  if (auto* el = dynamic_cast<EditListControl*>(core)) {
    if (index < 0 || index >= el->GetCount()) return Refuse(core->Label() + " has no item " + std::to_string(index));
    el->current = select ? index : -1;
  } else if (auto* g = dynamic_cast<GridControl*>(core)) {
    if (index < 1 || index >= g->GetRowCount()) return Refuse(core->Label() + " has no row " + std::to_string(index));
    g->currentRow = select ? index : -1;
    g->currentColumn = select ? std::max(g->currentColumn, 0) : -1;
  } else {
    return Refuse(core->Label() + " has no items to select");
  }
  Shell& shell = App().GetShell();
  shell.Record("user: " + std::string(select ? "select " : "unselect ") + core->Label() + " item " +
               std::to_string(index));
  Tell<vlapi::ItemHandler>(shell, Event::SelectItem, control, index, select);
  return Idle(true);
}

bool Driver::CheckItem(const vlapi::IPropertyControlPtr& control, int index, bool check) {
  if (!PanelControl(control, false)) return false;
  ControlCore* core = ControlOfObject(control.get());
  auto* el = dynamic_cast<EditListControl*>(core);
  if (!el) return Refuse(core->Label() + " has no items to tick");
  if (index < 0 || index >= el->GetCount()) return Refuse(core->Label() + " has no item " + std::to_string(index));
  Shell& shell = App().GetShell();
  shell.Record("user: " + std::string(check ? "tick " : "untick ") + core->Label() + " item " + std::to_string(index));
  el->items[static_cast<std::size_t>(index)].checked = check;
  Tell<vlapi::ItemHandler>(shell, Event::CheckItem, control, index, check);
  return Idle(true);
}

bool Driver::EditItem(const vlapi::IPropertyControlPtr& control, int index, const std::wstring& text) {
  if (!PanelControl(control, false)) return false;
  ControlCore* core = ControlOfObject(control.get());
  auto* el = dynamic_cast<EditListControl*>(core);
  if (!el) return Refuse(core->Label() + " has no items to edit");
  if (el->editing != index || index < 0 || index >= el->GetCount())
    return Refuse(core->Label() + ": item " + std::to_string(index) + " is not being edited");
  Shell& shell = App().GetShell();
  shell.Record("user: rename " + core->Label() + " item " + std::to_string(index) + " to " + Quote(text));
  el->items[static_cast<std::size_t>(index)].text = text;
  el->editing = -1;
  Tell<vlapi::ControlIndexHandler>(shell, Event::EndEditItem, control, index);
  return Idle(true);
}

bool Driver::DoubleClickItem(const vlapi::IPropertyControlPtr& control, int index) {
  if (!PanelControl(control, false)) return false;
  ControlCore* core = ControlOfObject(control.get());
  auto* el = dynamic_cast<EditListControl*>(core);
  if (!el || index < 0 || index >= el->GetCount()) return Refuse(core->Label() + " has no item " + std::to_string(index));
  Shell& shell = App().GetShell();
  shell.Record("user: double-click " + core->Label() + " item " + std::to_string(index));
  Tell<vlapi::ControlIndexHandler>(shell, Event::DoubleClickItem, control, index);
  return Idle(true);
}

bool Driver::SelectCell(const vlapi::IPropertyControlPtr& control, int row, int column) {
  if (!PanelControl(control, false)) return false;
  ControlCore* core = ControlOfObject(control.get());
  auto* g = dynamic_cast<GridControl*>(core);
  if (!g) return Refuse(core->Label() + " is not a grid");
  if (row < 0 || row >= g->GetRowCount() || column < 0 || column >= g->columns)
    return Refuse(core->Label() + " has no cell " + std::to_string(row) + ", " + std::to_string(column));
  Shell& shell = App().GetShell();
  shell.Record("user: select " + core->Label() + " cell " + std::to_string(row) + ", " + std::to_string(column));
  const bool newRow = g->currentRow != row;
  g->currentRow = row;
  g->currentColumn = column;
  if (newRow) Tell<vlapi::ItemHandler>(shell, Event::SelectItem, control, row, true);
  if (shell.Running()) Tell<vlapi::CellHandler>(shell, Event::SelectCell, control, row, column);
  return Idle(true);
}

bool Driver::EditCell(const vlapi::IPropertyControlPtr& control, int row, int column, const std::wstring& text) {
  auto* g = dynamic_cast<GridControl*>(ControlOfObject(control.get()));
  if (g && !g->CellEditable(row, column))
    return PanelControl(control, false) &&
           Refuse(g->Label() + ": cell " + std::to_string(row) + ", " + std::to_string(column) + " is read-only");
  if (!SelectCell(control, row, column)) return false;
  if (g->currentRow != row || g->currentColumn != column) return Refuse(g->Label() + ": the cell moved away");
  Shell& shell = App().GetShell();
  if (!shell.Running()) return Refuse("the process ended");
  shell.Record("user: type " + Quote(text) + " into " + g->Label());
  g->cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
  Tell<vlapi::ControlHandler>(shell, Event::ChangeControlValue, control);
  return Idle(true);
}

bool Driver::Focus(const vlapi::IPropertyControlPtr& control) {
  if (!PanelControl(control, false)) return false;
  ControlCore* core = ControlOfObject(control.get());
  if (!dynamic_cast<EditControl*>(core) && !dynamic_cast<EditCheckBoxControl*>(core))
    return Refuse(core->Label() + " takes no focus");
  Shell& shell = App().GetShell();
  shell.Record("user: focus " + core->Label());
  vlapi::IPropertyControlPtr previous = focused_;
  focused_ = control;
  if (previous && vlapi::IAPIObjectPtr(previous) != vlapi::IAPIObjectPtr(control))
    Tell<vlapi::FocusHandler>(shell, Event::EditFocus, previous, false);
  if (shell.Running()) Tell<vlapi::FocusHandler>(shell, Event::EditFocus, control, true);
  return Idle(true);
}

bool Driver::MenuCommand(const vlapi::IPropertyControlPtr& control, int menuId) {
  if (!PanelControl(control, false)) return false;
  Shell& shell = App().GetShell();
  shell.Record("user: menu command " + std::to_string(menuId) + " of " + Text(control));
  Tell<vlapi::ControlIndexHandler>(shell, Event::UserMenuCommand, control, menuId);
  return Idle(true);
}

bool Driver::ExpandTab(int index, bool expand) {
  Shell& shell = App().GetShell();
  const Process* p = shell.Running();
  if (!p || !p->Param()) return Refuse("no process panel is shown");
  const auto& tabs = p->Param()->Tabs();
  if (index < 0 || index >= static_cast<int>(tabs.size()) || !tabs[static_cast<std::size_t>(index)]->visible)
    return Refuse("no tab " + std::to_string(index));
  shell.Record("user: " + std::string(expand ? "expand" : "collapse") + " tab " + std::to_string(index));
  tabs[static_cast<std::size_t>(index)]->expanded = expand;
  Tell<vlapi::TabHandler>(shell, Event::ChangeTabExpanded, index);
  return Idle(true);
}

bool Driver::Cursor(double x, double y, bool click) {
  Shell& shell = App().GetShell();
  Process* p = shell.Running();
  if (!p) return Refuse("no process takes the cursor");
  // The host hands the running process the cursor of the drawing the user
  // works in, whichever drawing made the process: the transcript says so.
  const vlapi::IVarnelDocumentPtr active = App().Active();
  const std::string where = dynamic_cast<Document2D*>(active.get()) == p->Doc()
                                ? std::string()
                                : " in " + Shell::Describe(active.get());
  shell.Record("user: " + std::string(click ? "click" : "cursor") + " at " + Number(x) + ", " + Number(y) + where);
  const bool dynamic = !click;
  shell.Raise<vlapi::CursorHandler>(static_cast<vlapi::IProcess2DEvents*>(p), Event::Cursor,
                                    Number(x) + ", " + Number(y) + ", 0, " + (dynamic ? "true" : "false"),
                                    [&](auto& h) { return std::string(h(x, y, 0.0, dynamic) ? "true" : "false"); });
  return Idle(true);
}

// Enter, Esc and help: asked whether the button is on, pressed, and for Enter
// and Esc the process then ends when it still runs.
bool Driver::StandardButton(int id) {
  Shell& shell = App().GetShell();
  Process* p = shell.Running();
  if (!p || !p->Param()) return Refuse("no process panel is shown");
  Ref<Process> keep(p);
  shell.Record("user: button " + std::to_string(id));
  auto* events = static_cast<vlapi::IPropertiesManagerEvents*>(p->Param());
  bool enable = true;
  int checked = 0;
  bool answered = false;
  shell.Raise<vlapi::ButtonUpdateHandler>(events, Event::ButtonUpdate, std::to_string(id), [&](auto& h) {
    bool e = true;
    int c = 0;
    const bool answer = h(id, e, c);
    if (answer) {
      answered = true;
      enable = e;
      checked = c;
    }
    return answer ? "true enable " + std::string(e ? "true" : "false") + " checked " + std::to_string(c)
                  : std::string("false");
  });
  if (answered && !enable) return Refuse("button " + std::to_string(id) + " is disabled");
  shell.Raise<vlapi::ButtonClickHandler>(events, Event::ButtonClick, std::to_string(id),
                                         [&](auto& h) { return std::string(h(id) ? "true" : "false"); });
  if ((id == vlapi::pbEnter || id == vlapi::pbEsc) && p->running)
    p->End(id == vlapi::pbEnter ? "confirmed" : "cancelled");
  return Idle(true);
}

bool Driver::Enter() { return StandardButton(vlapi::pbEnter); }
bool Driver::Esc() { return StandardButton(vlapi::pbEsc); }
bool Driver::Help() { return StandardButton(vlapi::pbHelp); }

bool Driver::ClosePanel() {
  Process* p = App().GetShell().Running();
  if (!p) return Refuse("no process panel is shown");
  App().GetShell().Record("user: close the panel");
  p->End("the user closes the panel");
  return Idle(true);
}

bool Driver::Context(int x, int y) {
  Shell& shell = App().GetShell();
  shell.Record("user: context at " + std::to_string(x) + ", " + std::to_string(y));
  Process* p = shell.Running();
  if (!p || !p->Param()) {
    if (!shell.Loaded() || !shell.Callbacks().fillContextPanel) return Idle(true);
    vlapi::IProcessContextPanelPtr panel = ContextPanelObject(shell);
    shell.Into("FillContextPanel()", [&] { return std::string(shell.Callbacks().fillContextPanel(panel) ? "true" : "false"); });
    return Idle(true);
  }
  Ref<Process> keep(p);
  auto* events = static_cast<vlapi::IPropertiesManagerEvents*>(p->Param());
  int type = vlapi::vlProcessDefaultContextMenu;
  shell.Raise<vlapi::ContextMenuTypeHandler>(events, Event::GetContextMenuType,
                                             std::to_string(x) + ", " + std::to_string(y), [&](auto& h) {
                                               const int answer = h(x, y);
                                               if (answer != vlapi::vlProcessDefaultContextMenu) type = answer;
                                               return std::to_string(answer);
                                             });
  if (type == vlapi::vlProcessContextPanel) {
    Tell<vlapi::ContextPanelHandler>(shell, Event::FillContextPanel, ContextPanelObject(shell));
  } else if (type == vlapi::vlProcessContextIconMenu) {
    Tell<vlapi::ContextIconMenuHandler>(shell, Event::FillContextIconMenu, ContextIconMenuObject(shell));
  } else {
    shell.Record(type == vlapi::vlProcessContextMenuHide ? "no context menu" : "the host's context menu");
  }
  return Idle(true);
}

// --- Raw events ------------------------------------------------------------------------------

bool Driver::Raw(const std::string& event, const std::vector<std::wstring>& args) {
  Shell& shell = App().GetShell();
  shell.Record("user: raw " + event);
  auto arg = [&](std::size_t i) { return i < args.size() ? args[i] : std::wstring(); };
  auto number = [&](std::size_t i) {
    double v = 0;
    return ParseDouble(arg(i), v) ? v : 0.0;
  };
  auto integer = [&](std::size_t i) { return static_cast<int>(number(i)); };
  auto* doc = dynamic_cast<Document2D*>(App().Active().get());

  // Events of the application.
  if (event == "CreateDocument" || event == "OpenDocument") {
    if (!App().Active()) return Refuse("no document");
    event == "CreateDocument" ? shell.DocumentCreated(App().Active().get()) : shell.DocumentOpened(App().Active().get());
    return Idle(true);
  }
  if (event == "BeginCloseAllDocument") return Idle(shell.BeginCloseAll());
  if (event == "ApplicationDestroy") return shell.Destroying(), Idle(true);
  if (event == "KeyDown" || event == "KeyUp") return Idle(shell.Key(event == "KeyDown", integer(0), integer(1)));
  // Events of the active drawing.
  if (event == "ObjectsMoved" || event == "ObjectsRotated" || event == "ObjectsCopied" || event == "CloseDocument") {
    if (!doc) return Refuse("no drawing");
    if (event == "CloseDocument") {
      shell.DocumentClosing(*doc);
      return Idle(true);
    }
    std::wstring selector;
    for (const auto& a : args) selector += a + L" ";
    vlapi::DrawingObjectList objects;
    for (const auto& o : Objects(selector)) objects.emplace_back(o);
    const Event kind = event == "ObjectsMoved" ? Event::ObjectsMoved
                       : event == "ObjectsRotated" ? Event::ObjectsRotated : Event::ObjectsCopied;
    shell.RaiseObjects(*doc, kind, objects);
    return Idle(true);
  }
  // Events of the running process.
  Process* p = shell.Running();
  if (!p) return Refuse("no process runs");
  Ref<Process> keep(p);
  if (event == "Cursor") {
    const bool dynamic = ParseFlag(arg(args.size() > 3 ? 3 : 2));
    const double angle = args.size() > 3 ? number(2) : 0.0;
    shell.Raise<vlapi::CursorHandler>(static_cast<vlapi::IProcess2DEvents*>(p), Event::Cursor,
                                      Number(number(0)) + ", " + Number(number(1)), [&](auto& h) {
                                        return std::string(h(number(0), number(1), angle, dynamic) ? "true" : "false");
                                      });
    return Idle(true);
  }
  if (event == "EndProcess") {
    shell.Raise<vlapi::EndProcessHandler>(static_cast<vlapi::IProcess2DEvents*>(p), Event::EndProcess, "",
                                          [](auto& h) { return std::string(h() ? "true" : "false"); });
    return Idle(true);
  }
  if (!p->Param()) return Refuse("the process has no panel");
  auto* events = static_cast<vlapi::IPropertiesManagerEvents*>(p->Param());
  const vlapi::IPropertyControlPtr control = Control(arg(0));
  if (event == "ButtonClick")
    shell.Raise<vlapi::ButtonClickHandler>(events, Event::ButtonClick, std::to_string(integer(0)),
                                           [&](auto& h) { return std::string(h(integer(0)) ? "true" : "false"); });
  else if (event == "ButtonUpdate")
    shell.Raise<vlapi::ButtonUpdateHandler>(events, Event::ButtonUpdate, std::to_string(integer(0)), [&](auto& h) {
      bool enable = true;
      int checked = 0;
      const bool answer = h(integer(0), enable, checked);
      return std::string(answer ? "true" : "false") + " enable " + (enable ? "true" : "false") + " checked " +
             std::to_string(checked);
    });
  else if (event == "ChangeControlValue")
    Tell<vlapi::ControlHandler>(shell, Event::ChangeControlValue, control);
  else if (event == "ControlCommand")
    Tell<vlapi::ControlCommandHandler>(shell, Event::ControlCommand, control, integer(1));
  else if (event == "ProcessActivate")
    Tell<vlapi::NotifyHandler>(shell, Event::ProcessActivate);
  else if (event == "ProcessDeactivate")
    Tell<vlapi::NotifyHandler>(shell, Event::ProcessDeactivate);
  else if (event == "SelectItem" || event == "CheckItem")
    Tell<vlapi::ItemHandler>(shell, event == "SelectItem" ? Event::SelectItem : Event::CheckItem, control, integer(1),
                             ParseFlag(arg(2)));
  else if (event == "SelectCell")
    Tell<vlapi::CellHandler>(shell, Event::SelectCell, control, integer(1), integer(2));
  else if (event == "EditFocus")
    Tell<vlapi::FocusHandler>(shell, Event::EditFocus, control, ParseFlag(arg(1)));
  else if (event == "UserMenuCommand" || event == "EndEditItem" || event == "DoubleClickItem")
    Tell<vlapi::ControlIndexHandler>(shell,
                                     event == "UserMenuCommand" ? Event::UserMenuCommand
                                     : event == "EndEditItem"   ? Event::EndEditItem
                                                                : Event::DoubleClickItem,
                                     control, integer(1));
  else if (event == "FillContextPanel")
    Tell<vlapi::ContextPanelHandler>(shell, Event::FillContextPanel, ContextPanelObject(shell));
  else if (event == "FillContextIconMenu")
    Tell<vlapi::ContextIconMenuHandler>(shell, Event::FillContextIconMenu, ContextIconMenuObject(shell));
  else if (event == "ChangeTabExpanded")
    Tell<vlapi::TabHandler>(shell, Event::ChangeTabExpanded, integer(0));
  else if (event == "GetContextMenuType")
    shell.Raise<vlapi::ContextMenuTypeHandler>(events, Event::GetContextMenuType, "",
                                               [&](auto& h) { return std::to_string(h(integer(0), integer(1))); });
  else
    return Refuse("no event " + event);
  return Idle(true);
}

}  // namespace vlhost
