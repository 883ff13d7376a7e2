#include "host/Panel.h"

#include <cmath>
#include <cwchar>
#include <sstream>

#include "host/Application.h"
#include "host/Shell.h"
#include "io/Files.h"
#include "model/Document2D.h"

namespace vlhost {
namespace {

const char* KindName(int type) {
  switch (type) {
    case vlapi::vlControlSeparator: return "separator";
    case vlapi::vlControlEditInt: return "editint";
    case vlapi::vlControlEditReal: return "editreal";
    case vlapi::vlControlEditStr: return "edit";
    case vlapi::vlControlListStr: return "list";
    case vlapi::vlControlCheckBox: return "check";
    case vlapi::vlControlGrid: return "grid";
    case vlapi::vlControlSlideBox: return "slide";
    case vlapi::vlControlTextButton: return "button";
    case vlapi::vlControlColor: return "colour";
    case vlapi::vlControlEditList: return "editlist";
    case vlapi::vlControlEditLength: return "length";
    case vlapi::vlControlEditCheckBox: return "editcheck";
    default: return "control";
  }
}

std::string Flag(bool value) { return value ? "true" : "false"; }

// The number a whole text gives (white space around it allowed, a decimal
// comma taken as a point); false when the text is no number.
bool ParseNumber(const std::wstring& text, double& value) {
  std::wstring t = text;
  for (wchar_t& c : t)
    if (c == L',') c = L'.';
  const wchar_t* begin = t.c_str();
  wchar_t* end = nullptr;
  value = std::wcstod(begin, &end);
  if (end == begin || !std::isfinite(value)) return false;
  while (*end == L' ' || *end == L'\t') ++end;
  return *end == 0;
}

std::string Flags(const ControlCore& c) {
  std::string out;
  if (!c.visible) out += " hidden";
  if (!c.enabled) out += " disabled";
  if (c.ReadOnly()) out += " readonly";
  return out;
}

void DumpButtons(std::ostringstream& out, const ControlCore& c, const std::string& indent) {
  for (const PanelButton& b : c.buttons) {
    out << indent << "button " << b.id << " icon " << b.icon;
    if (b.icon2 != -1) out << "/" << b.icon2;
    if (!b.hint.empty()) out << " " << Quote(b.hint);
    if (!b.enabled) out << " disabled";
    if (b.pressed) out << " pressed";
    if (!b.font.empty()) out << " font " << Quote(b.font);
    out << "\n";
  }
}

void DumpControl(std::ostringstream& out, vlapi::IAPIObject* object, const std::string& indent);

void DumpEdit(std::ostringstream& out, EditControl& e) {
  out << " = " << Quote(e.text);
  if (e.maximum >= e.minimum) out << " range " << Number(e.minimum) << ".." << Number(e.maximum);
  if (e.mark) out << " mark";
}

void DumpControl(std::ostringstream& out, vlapi::IAPIObject* object, const std::string& indent) {
  ControlCore* c = ControlOfObject(object);
  if (!c) return;
  out << indent << KindName(c->Kind());
  if (!c->caption.empty()) out << " " << Quote(c->caption);
  if (auto* e = dynamic_cast<EditControl*>(c)) {
    DumpEdit(out, *e);
  } else if (auto* l = dynamic_cast<ListControl*>(c)) {
    out << " = " << l->current;
    for (std::size_t i = 0; i < l->items.size(); ++i) out << (i ? ", " : " [") << Quote(l->items[i]);
    if (!l->items.empty()) out << "]";
  } else if (auto* k = dynamic_cast<CheckBoxControl*>(c)) {
    out << (k->checked ? " on" : " off");
  } else if (auto* g = dynamic_cast<GridControl*>(c)) {
    out << " " << g->cells.size() << "x" << g->columns << " current " << g->currentRow << "," << g->currentColumn;
  } else if (auto* s = dynamic_cast<SlideControl*>(c)) {
    if (!s->file.empty()) out << " file " << Quote(WideOf(PathOf(s->file).filename()));
  } else if (auto* col = dynamic_cast<ColorControl*>(c)) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%06X", static_cast<unsigned>(col->color) & 0xFFFFFFu);
    out << " = " << hex;
  } else if (auto* el = dynamic_cast<EditListControl*>(c)) {
    out << " state " << el->checkState << " current " << el->current;
  } else if (auto* ec = dynamic_cast<EditCheckBoxControl*>(c)) {
    out << " state " << ec->checkState;
  }
  out << Flags(*c) << "\n";
  const std::string inner = indent + "  ";
  if (auto* g = dynamic_cast<GridControl*>(c)) {
    for (std::size_t r = 0; r < g->cells.size(); ++r) {
      out << inner << "row " << r << ":";
      for (std::size_t col = 0; col < g->cells[r].size(); ++col)
        out << (col ? " | " : " ") << Quote(g->cells[r][col]);
      out << "\n";
    }
  } else if (auto* el = dynamic_cast<EditListControl*>(c)) {
    for (std::size_t i = 0; i < el->items.size(); ++i) {
      const PanelItem& item = el->items[i];
      out << inner << "item " << i << " [" << (item.checked ? "x" : " ") << "] " << Quote(item.text)
          << (item.marked ? " marked" : "") << (item.invalid ? " invalid" : "") << "\n";
    }
  } else if (auto* ec = dynamic_cast<EditCheckBoxControl*>(c)) {
    DumpControl(out, static_cast<vlapi::IPropertyEdit*>(&ec->Edit()), inner);
    DumpControl(out, static_cast<vlapi::IPropertyCheckBox*>(&ec->Check()), inner);
  }
  DumpButtons(out, *c, inner);
}

}  // namespace

// --- Controls ----------------------------------------------------------------------

std::string ControlCore::Label() const {
  return std::string(KindName(type_)) + (caption.empty() ? "" : " " + Quote(caption));
}

void ControlCore::Note(const std::string& call) const {
  if (panel_ && panel_->GetShell()) panel_->GetShell()->Note(Label() + "." + call);
}

PanelButton* ControlCore::Button(int id) {
  for (PanelButton& b : buttons)
    if (b.id == id) return &b;
  return nullptr;
}

ControlCore* ControlOfObject(vlapi::IAPIObject* object) { return object ? dynamic_cast<ControlCore*>(object) : nullptr; }

EditControl::EditControl(ProcessParam* panel, int type) : ControlOf(panel, type) { toolBar = true; }

std::string EditControl::Refusal(const std::wstring& value) const {
  if (readOnly) return "the edit is read-only";
  if (!Numeric()) return {};
  double number = 0;
  if (!ParseNumber(value, number)) return "not a number: " + Utf8(value);
  if (Kind() == vlapi::vlControlEditInt && number != std::floor(number)) return "not a whole number: " + Utf8(value);
  if (maximum >= minimum && (number < minimum || number > maximum))
    return Utf8(value) + " is outside " + Number(minimum) + ".." + Number(maximum);
  return {};
}

void EditControl::Accept(const std::wstring& value) {
  double number = 0;
  text = Numeric() && ParseNumber(value, number) ? Wide(Number(number)) : value;
}

void EditControl::SetText(const std::wstring& value) {
  Note("SetText(" + Quote(value) + ")");
  text = value;
}

int EditControl::GetInt() {
  return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

void EditControl::SetInt(int value) {
  Note("SetInt(" + std::to_string(value) + ")");
  text = std::to_wstring(value);
}

double EditControl::GetReal() {
  double value = 0;
  if (ParseNumber(text, value)) return value;
  std::wstring t = text;
  for (wchar_t& c : t)
    if (c == L',') c = L'.';
  value = std::wcstod(t.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

void EditControl::SetReal(double value) {
  Note("SetReal(" + Number(value) + ")");
  text = Wide(Number(value));
}

void EditControl::SetRange(double lo, double hi) {
  Note("SetRange(" + Number(lo) + ", " + Number(hi) + ")");
  minimum = lo;
  maximum = hi;
}

void EditControl::SetReadOnly(bool on) {
  Note("SetReadOnly(" + Flag(on) + ")");
  readOnly = on;
}

void EditControl::SetMark(bool on) {
  Note("SetMark(" + Flag(on) + ")");
  mark = on;
}

ListControl::ListControl(ProcessParam* panel, int type) : ControlOf(panel, type) { toolBar = true; }

void ListControl::SetItems(const std::vector<std::wstring>& list) {
  std::string text;
  for (const auto& item : list) text += (text.empty() ? "" : ", ") + Quote(item);
  Note("SetItems({" + text + "})");
  items = list;
  if (current >= GetCount()) current = -1;
}

void ListControl::AddItem(const std::wstring& item) {
  Note("AddItem(" + Quote(item) + ")");
  items.push_back(item);
}

void ListControl::Clear() {
  Note("Clear()");
  items.clear();
  current = -1;
}

std::wstring ListControl::GetItem(int index) {
  return index >= 0 && index < GetCount() ? items[static_cast<std::size_t>(index)] : std::wstring();
}

void ListControl::SetCurrentItem(int index) {
  Note("SetCurrentItem(" + std::to_string(index) + ")");
  current = index >= 0 && index < GetCount() ? index : -1;
}

int ListControl::FindItem(const std::wstring& text) {
  for (int i = 0; i < GetCount(); ++i)
    if (items[static_cast<std::size_t>(i)] == text) return i;
  return -1;
}

void ListControl::SetReadOnly(bool on) {
  Note("SetReadOnly(" + Flag(on) + ")");
  readOnly = on;
}

CheckBoxControl::CheckBoxControl(ProcessParam* panel, int type) : ControlOf(panel, type) { toolBar = true; }

void CheckBoxControl::SetChecked(bool on) {
  Note("SetChecked(" + Flag(on) + ")");
  checked = on;
}

GridControl::GridControl(ProcessParam* panel, int type) : ControlOf(panel, type) { toolBar = true; }

bool GridControl::CellEditable(int row, int column) const {
  if (row <= 0 || row >= static_cast<int>(cells.size()) || column < 0 || column >= columns) return false;
  bool on = false;
  for (const auto& [r, c, e] : editable)
    if ((r == -1 || r == row) && (c == -1 || c == column)) on = e;
  return on;
}

void GridControl::SetRowCount(int rows) {
  Note("SetRowCount(" + std::to_string(rows) + ")");
  cells.resize(static_cast<std::size_t>(std::max(rows, 0)), std::vector<std::wstring>(static_cast<std::size_t>(columns)));
  if (currentRow >= GetRowCount()) currentRow = currentColumn = -1;
}

void GridControl::SetColumnCount(int count) {
  Note("SetColumnCount(" + std::to_string(count) + ")");
  columns = std::max(count, 0);
  for (auto& row : cells) row.resize(static_cast<std::size_t>(columns));
  widths.resize(static_cast<std::size_t>(columns), 0);
  if (currentColumn >= columns) currentRow = currentColumn = -1;
}

void GridControl::SetColumnWidth(int column, int width) {
  Note("SetColumnWidth(" + std::to_string(column) + ", " + std::to_string(width) + ")");
  if (column >= 0 && column < columns) widths[static_cast<std::size_t>(column)] = width;
}

int GridControl::GetColumnWidth(int column) {
  return column >= 0 && column < columns ? widths[static_cast<std::size_t>(column)] : 0;
}

std::wstring GridControl::GetCellText(int row, int column) {
  if (row < 0 || row >= GetRowCount() || column < 0 || column >= columns) return {};
  return cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

void GridControl::SetCellText(int row, int column, const std::wstring& text) {
  Note("SetCellText(" + std::to_string(row) + ", " + std::to_string(column) + ", " + Quote(text) + ")");
  if (row < 0 || row >= GetRowCount() || column < 0 || column >= columns) return;
  cells[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
}

void GridControl::SetCellEditable(int row, int column, bool on) {
  Note("SetCellEditable(" + std::to_string(row) + ", " + std::to_string(column) + ", " + Flag(on) + ")");
  editable.emplace_back(row, column, on);
}

void GridControl::SetCurrentCell(int row, int column) {
  Note("SetCurrentCell(" + std::to_string(row) + ", " + std::to_string(column) + ")");
  const bool inside = row >= 0 && row < GetRowCount() && column >= 0 && column < columns;
  currentRow = inside ? row : -1;
  currentColumn = inside ? column : -1;
}

void GridControl::Redraw() {
  Note("Redraw()");
  ++redraws;
}

void SlideControl::SetFile(const std::wstring& path) {
  Note("SetFile(" + Quote(path) + ")");
  file = path;
}

void SlideControl::Redraw() {
  Note("Redraw()");
  ++redraws;
}

void ColorControl::SetColor(int value) {
  Note("SetColor(" + std::to_string(value) + ")");
  color = value;
}

void ColorControl::SetInitialColor(int value) {
  Note("SetInitialColor(" + std::to_string(value) + ")");
  initial = value;
}

EditListControl::EditListControl(ProcessParam* panel, int type) : ControlOf(panel, type) { toolBar = true; }

PanelItem* EditListControl::Item(int index) {
  return index >= 0 && index < GetCount() ? &items[static_cast<std::size_t>(index)] : nullptr;
}

void EditListControl::Clear() {
  Note("Clear()");
  items.clear();
  current = editing = -1;
}

int EditListControl::AddItem(const std::wstring& text) {
  Note("AddItem(" + Quote(text) + ")");
  items.push_back({text});
  return GetCount() - 1;
}

std::wstring EditListControl::GetItemText(int index) {
  const PanelItem* item = Item(index);
  return item ? item->text : std::wstring();
}

void EditListControl::SetItemText(int index, const std::wstring& text) {
  Note("SetItemText(" + std::to_string(index) + ", " + Quote(text) + ")");
  if (PanelItem* item = Item(index)) item->text = text;
}

bool EditListControl::GetItemChecked(int index) {
  const PanelItem* item = Item(index);
  return item && item->checked;
}

void EditListControl::SetItemChecked(int index, bool on) {
  Note("SetItemChecked(" + std::to_string(index) + ", " + Flag(on) + ")");
  if (PanelItem* item = Item(index)) item->checked = on;
}

bool EditListControl::GetItemMarked(int index) {
  const PanelItem* item = Item(index);
  return item && item->marked;
}

void EditListControl::SetItemMarked(int index, bool on) {
  Note("SetItemMarked(" + std::to_string(index) + ", " + Flag(on) + ")");
  if (PanelItem* item = Item(index)) item->marked = on;
}

bool EditListControl::GetItemInvalid(int index) {
  const PanelItem* item = Item(index);
  return item && item->invalid;
}

void EditListControl::SetItemInvalid(int index, bool on) {
  Note("SetItemInvalid(" + std::to_string(index) + ", " + Flag(on) + ")");
  if (PanelItem* item = Item(index)) item->invalid = on;
}

bool EditListControl::EditItem(int index) {
  Note("EditItem(" + std::to_string(index) + ")");
  if (!Item(index)) return false;
  editing = index;
  return true;
}

void EditListControl::SetCheckState(int state) {
  Note("SetCheckState(" + std::to_string(state) + ")");
  checkState = state;
}

EditCheckBoxControl::EditCheckBoxControl(ProcessParam* panel, int type)
    : ControlOf(panel, type),
      edit_(std::make_unique<EditControl>(panel, vlapi::vlControlEditStr)),
      check_(std::make_unique<CheckBoxControl>(panel, vlapi::vlControlCheckBox)) {
  edit_->SetOwner(static_cast<vlapi::IPropertyEditCheckBox*>(this));
  check_->SetOwner(static_cast<vlapi::IPropertyEditCheckBox*>(this));
  check_->toolBar = false;
}

EditCheckBoxControl::~EditCheckBoxControl() = default;

// Its faces answer for it; its tool bar is its edit face's.
bool EditCheckBoxControl::QueryInterface(vlapi::IAPIObjectIID iid, void** object) {
  if (vlapi::SameIID(iid, vlapi::IID_IPropertyEdit) || vlapi::SameIID(iid, vlapi::IID_IPropertyToolBar))
    return edit_->QueryInterface(iid, object);
  if (vlapi::SameIID(iid, vlapi::IID_IPropertyCheckBox)) return check_->QueryInterface(iid, object);
  return ControlOf::QueryInterface(iid, object);
}

vlapi::IPropertyEditPtr EditCheckBoxControl::GetEdit() { return Give<vlapi::IPropertyEdit>(edit_.get()); }

vlapi::IPropertyCheckBoxPtr EditCheckBoxControl::GetCheckBox() { return Give<vlapi::IPropertyCheckBox>(check_.get()); }

void EditCheckBoxControl::SetCheckState(int state) {
  Note("SetCheckState(" + std::to_string(state) + ")");
  checkState = state;
}

// --- Tabs and the panel ----------------------------------------------------------------

int ControlsApi::GetCount() { return static_cast<int>(tab_->controls.size()); }

vlapi::IPropertyControlPtr ControlsApi::GetItem(int index) {
  if (index < 0 || index >= GetCount()) return {};
  return tab_->controls[static_cast<std::size_t>(index)];
}

vlapi::IPropertyControlPtr ControlsApi::Add(int type) {
  if (!panel_ || Failures::Instance().Fails("IPropertyControls::Add")) return {};
  if (Shell* shell = panel_->GetShell())
    shell->Note("IPropertyControls::Add(" + std::string(KindName(type)) + ") [tab " + std::to_string(tab_->index) + "]");
  vlapi::IPropertyControlPtr control;
  switch (type) {
    case vlapi::vlControlSeparator: control = Give<vlapi::IPropertyControl>(new SeparatorControl(panel_, type)); break;
    case vlapi::vlControlEditInt:
    case vlapi::vlControlEditReal:
    case vlapi::vlControlEditStr:
    case vlapi::vlControlEditLength: control = Give<vlapi::IPropertyControl>(new EditControl(panel_, type)); break;
    case vlapi::vlControlListStr: control = Give<vlapi::IPropertyControl>(new ListControl(panel_, type)); break;
    case vlapi::vlControlCheckBox: control = Give<vlapi::IPropertyControl>(new CheckBoxControl(panel_, type)); break;
    case vlapi::vlControlGrid: control = Give<vlapi::IPropertyControl>(new GridControl(panel_, type)); break;
    case vlapi::vlControlSlideBox: control = Give<vlapi::IPropertyControl>(new SlideControl(panel_, type)); break;
    case vlapi::vlControlTextButton:
      control = Give<vlapi::IPropertyControl>(new TextButtonControl(panel_, type));
      break;
    case vlapi::vlControlColor: control = Give<vlapi::IPropertyControl>(new ColorControl(panel_, type)); break;
    case vlapi::vlControlEditList: control = Give<vlapi::IPropertyControl>(new EditListControl(panel_, type)); break;
    case vlapi::vlControlEditCheckBox:
      control = Give<vlapi::IPropertyControl>(new EditCheckBoxControl(panel_, type));
      break;
    default: return {};
  }
  tab_->controls.push_back(control);
  return control;
}

PropertyTab::PropertyTab(ProcessParam* panel, int i, std::wstring text)
    : caption(std::move(text)), index(i), panel_(panel), controls_(Make<ControlsApi>(panel, this)) {}

void PropertyTab::Detach() {
  panel_ = nullptr;
  controls_->Detach();
  for (const auto& c : controls)
    if (ControlCore* core = ControlOfObject(c.get())) {
      core->Detach();
      if (auto* ec = dynamic_cast<EditCheckBoxControl*>(core)) {
        ec->Edit().Detach();
        ec->Check().Detach();
      }
    }
}

void PropertyTab::SetCaption(const std::wstring& text) {
  if (panel_ && panel_->GetShell())
    panel_->GetShell()->Note("IPropertyTab::SetCaption(" + Quote(text) + ") [tab " + std::to_string(index) + "]");
  caption = text;
}

void PropertyTab::SetVisible(bool on) {
  if (panel_ && panel_->GetShell())
    panel_->GetShell()->Note("IPropertyTab::SetVisible(" + Flag(on) + ") [tab " + std::to_string(index) + "]");
  visible = on;
}

vlapi::IPropertyControlsPtr PropertyTab::GetControls() { return Give<vlapi::IPropertyControls>(controls_.get()); }

ProcessParam::ProcessParam(Shell& shell) : shell_(&shell) {
  shell.Adopt(this);
  tabs_.push_back(Make<PropertyTab>(this, 0, L""));  // the tab every panel starts with
}

ProcessParam::~ProcessParam() {
  for (const auto& tab : tabs_) tab->Detach();
  if (shell_) {
    shell_->Registry().DropSource(static_cast<vlapi::IPropertiesManagerEvents*>(this));
    shell_->Forget(this);
  }
}

void ProcessParam::Detach() { shell_ = nullptr; }

std::vector<vlapi::IPropertyControlPtr> ProcessParam::Controls() const {
  std::vector<vlapi::IPropertyControlPtr> out;
  for (const auto& tab : tabs_) out.insert(out.end(), tab->controls.begin(), tab->controls.end());
  return out;
}

PropertyTab* ProcessParam::TabOf(const ControlCore* control) const {
  for (const auto& tab : tabs_)
    for (const auto& c : tab->controls) {
      const ControlCore* core = ControlOfObject(c.get());
      if (core == control) return tab.get();
      if (auto* ec = dynamic_cast<const EditCheckBoxControl*>(core);
          ec && (control == &const_cast<EditCheckBoxControl*>(ec)->Edit() ||
                 control == &const_cast<EditCheckBoxControl*>(ec)->Check()))
        return tab.get();
    }
  return nullptr;
}

std::string ProcessParam::Dump() const {
  std::ostringstream out;
  out << "caption " << Quote(caption) << "\n";
  for (const auto& tab : tabs_) {
    out << "tab " << tab->index << " " << Quote(tab->caption) << (tab->visible ? "" : " hidden")
        << (tab->expanded ? "" : " collapsed") << "\n";
    for (const auto& c : tab->controls) DumpControl(out, c.get(), "  ");
  }
  return out.str();
}

void ProcessParam::SetCaption(const std::wstring& text) {
  if (shell_) shell_->Note("IProcessParam::SetCaption(" + Quote(text) + ")");
  caption = text;
}

void ProcessParam::SetButtons(int set) {
  if (shell_) shell_->Note("IProcessParam::SetButtons(" + std::to_string(set) + ")");
  buttons = set;
}

void ProcessParam::SetStyle(int style) {
  if (shell_) shell_->Note("IProcessParam::SetStyle(" + std::to_string(style) + ")");
}

void ProcessParam::SetFlags(int flags) {
  if (shell_) shell_->Note("IProcessParam::SetFlags(" + std::to_string(flags) + ")");
}

vlapi::IPropertiesManagerEventsPtr ProcessParam::GetPropertiesManagerEvents() {
  if (Failures::Instance().Fails("IProcessParam::GetPropertiesManagerEvents")) return {};
  return Give<vlapi::IPropertiesManagerEvents>(this);
}

vlapi::IPropertyTabsPtr ProcessParam::GetPropertyTabs() {
  if (Failures::Instance().Fails("IProcessParam::GetPropertyTabs")) return {};
  return Give<vlapi::IPropertyTabs>(this);
}

vlapi::IPropertyTabPtr ProcessParam::GetTab(int index) {
  if (index < 0 || index >= GetCount()) return {};
  return Give<vlapi::IPropertyTab>(tabs_[static_cast<std::size_t>(index)].get());
}

vlapi::IPropertyTabPtr ProcessParam::Add(const std::wstring& text) {
  if (shell_) shell_->Note("IPropertyTabs::Add(" + Quote(text) + ")");
  tabs_.push_back(Make<PropertyTab>(this, GetCount(), text));
  return Give<vlapi::IPropertyTab>(tabs_.back().get());
}

template <class F>
void ProcessParam::Handler(Event event, const std::wstring& owner, F handler) {
  if (shell_)
    shell_->AddHandler(static_cast<vlapi::IPropertiesManagerEvents*>(this), "IPropertiesManagerEvents", event, owner,
                       std::move(handler));
}

void ProcessParam::OnButtonClick(const std::wstring& o, vlapi::ButtonClickHandler h) {
  Handler(Event::ButtonClick, o, std::move(h));
}
void ProcessParam::OnChangeControlValue(const std::wstring& o, vlapi::ControlHandler h) {
  Handler(Event::ChangeControlValue, o, std::move(h));
}
void ProcessParam::OnControlCommand(const std::wstring& o, vlapi::ControlCommandHandler h) {
  Handler(Event::ControlCommand, o, std::move(h));
}
void ProcessParam::OnButtonUpdate(const std::wstring& o, vlapi::ButtonUpdateHandler h) {
  Handler(Event::ButtonUpdate, o, std::move(h));
}
void ProcessParam::OnProcessActivate(const std::wstring& o, vlapi::NotifyHandler h) {
  Handler(Event::ProcessActivate, o, std::move(h));
}
void ProcessParam::OnProcessDeactivate(const std::wstring& o, vlapi::NotifyHandler h) {
  Handler(Event::ProcessDeactivate, o, std::move(h));
}
void ProcessParam::OnSelectItem(const std::wstring& o, vlapi::ItemHandler h) {
  Handler(Event::SelectItem, o, std::move(h));
}
void ProcessParam::OnCheckItem(const std::wstring& o, vlapi::ItemHandler h) {
  Handler(Event::CheckItem, o, std::move(h));
}
void ProcessParam::OnSelectCell(const std::wstring& o, vlapi::CellHandler h) {
  Handler(Event::SelectCell, o, std::move(h));
}
void ProcessParam::OnEditFocus(const std::wstring& o, vlapi::FocusHandler h) {
  Handler(Event::EditFocus, o, std::move(h));
}
void ProcessParam::OnUserMenuCommand(const std::wstring& o, vlapi::ControlIndexHandler h) {
  Handler(Event::UserMenuCommand, o, std::move(h));
}
void ProcessParam::OnFillContextPanel(const std::wstring& o, vlapi::ContextPanelHandler h) {
  Handler(Event::FillContextPanel, o, std::move(h));
}
void ProcessParam::OnFillContextIconMenu(const std::wstring& o, vlapi::ContextIconMenuHandler h) {
  Handler(Event::FillContextIconMenu, o, std::move(h));
}
void ProcessParam::OnEndEditItem(const std::wstring& o, vlapi::ControlIndexHandler h) {
  Handler(Event::EndEditItem, o, std::move(h));
}
void ProcessParam::OnChangeTabExpanded(const std::wstring& o, vlapi::TabHandler h) {
  Handler(Event::ChangeTabExpanded, o, std::move(h));
}
void ProcessParam::OnDoubleClickItem(const std::wstring& o, vlapi::ControlIndexHandler h) {
  Handler(Event::DoubleClickItem, o, std::move(h));
}
void ProcessParam::OnGetContextMenuType(const std::wstring& o, vlapi::ContextMenuTypeHandler h) {
  Handler(Event::GetContextMenuType, o, std::move(h));
}
void ProcessParam::RemoveHandlers(const std::wstring& owner) {
  if (shell_)
    shell_->RemoveHandlers(static_cast<vlapi::IPropertiesManagerEvents*>(this), "IPropertiesManagerEvents", owner);
}

// --- Processes -----------------------------------------------------------------------------

Process::Process(Shell& shell, Document2D* doc, int t)
    : type(t), shell_(&shell), doc_(static_cast<vlapi::IVarnelDocument2D*>(doc)) {
  shell.Adopt(this);
}

Document2D* Process::Doc() const { return dynamic_cast<Document2D*>(doc_.get()); }

Process::~Process() {
  if (!shell_) return;
  shell_->Registry().DropSource(static_cast<vlapi::IProcess2DEvents*>(this));
  shell_->Forget(this);
}

void Process::SetMask(int value) {
  if (shell_) shell_->Note("IProcess::SetMask(" + std::to_string(value) + ")");
  mask = value;
}

void Process::SetProcessParam(vlapi::IProcessParam* param) {
  if (shell_) shell_->Note("IProcess::SetProcessParam()");
  param_ = Ref<ProcessParam>(dynamic_cast<ProcessParam*>(param));
}

bool Process::Start(int mode, int flags) {
  if (!shell_) return false;
  shell_->Note("IProcess::Start(" + std::to_string(mode) + ", " + std::to_string(flags) + ")");
  if (running || !Doc() || !Doc()->App()) return false;  // a closed document runs nothing
  running = true;
  shell_->Started(this);
  return true;
}

bool Process::Stop() {
  if (!shell_) return false;
  shell_->Note("IProcess::Stop()");
  if (running) End("stopped by the library");
  return true;
}

void Process::End(const std::string& why) {
  if (!running || !shell_) return;
  Ref<Process> keep(this);
  running = false;
  Shell& shell = *shell_;
  shell.Record("process ends: " + why);
  shell.Ended(this);
  shell.Raise<vlapi::EndProcessHandler>(static_cast<vlapi::IProcess2DEvents*>(this), Event::EndProcess, "",
                                        [](auto& h) { return Flag(h()); });
}

void Process::SetCaption(const std::wstring& text) {
  if (shell_) shell_->Note("IProcess::SetCaption(" + Quote(text) + ")");
  caption = text;
}

void Process::SetPrompt(const std::wstring& text) {
  if (shell_) shell_->Note("IProcess::SetPrompt(" + Quote(text) + ")");
  prompt = text;
}

void Process::RefreshPanel() {
  if (shell_) shell_->Note("IProcess::RefreshPanel()");
  ++refreshes;
}

vlapi::IProcess2DEventsPtr Process::GetProcess2DEvents() {
  if (Failures::Instance().Fails("IProcess2D::GetProcess2DEvents")) return {};
  return Give<vlapi::IProcess2DEvents>(this);
}

void Process::OnCursor(const std::wstring& owner, vlapi::CursorHandler handler) {
  if (shell_)
    shell_->AddHandler(static_cast<vlapi::IProcess2DEvents*>(this), "IProcess2DEvents", Event::Cursor, owner,
                       std::move(handler));
}

void Process::OnEndProcess(const std::wstring& owner, vlapi::EndProcessHandler handler) {
  if (shell_)
    shell_->AddHandler(static_cast<vlapi::IProcess2DEvents*>(this), "IProcess2DEvents", Event::EndProcess, owner,
                       std::move(handler));
}

void Process::RemoveHandlers(const std::wstring& owner) {
  if (shell_) shell_->RemoveHandlers(static_cast<vlapi::IProcess2DEvents*>(this), "IProcess2DEvents", owner);
}

template <class I>
bool ContextCommands<I>::AddCommand(int id, int icon, const std::wstring& hint) {
  shell_->Note(name_ + "::AddCommand(" + std::to_string(id) + ", " + std::to_string(icon) + ", " + Quote(hint) + ")");
  commands.push_back({id, icon, -1, hint, L"", true, false});
  return true;
}

template class ContextCommands<vlapi::IProcessContextPanel>;
template class ContextCommands<vlapi::IProcessContextIconMenu>;

}  // namespace vlhost
