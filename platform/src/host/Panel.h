#pragma once
// Interactive processes, their parameters and property panels.
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/ShellTraits.h"
#include "host/Registry.h"
#include "vlapi/vlapi.h"

namespace vlhost {

class Shell;
class Document2D;
class ProcessParam;

std::string Quote(const std::wstring& text);  // "text" in UTF-8, for the transcript

// A button of a control's tool bar (or a side button).
struct PanelButton {
  int id = 0;
  int icon = 0;
  int icon2 = -1;
  std::wstring hint;
  std::wstring font;
  bool enabled = true;
  bool pressed = false;
};

// An item of a list or an edit list.
struct PanelItem {
  std::wstring text;
  bool checked = false;
  bool marked = false;
  bool invalid = false;
};

// What every control keeps. A control belongs to the panel that made it; a
// face belongs to its control and shares its count and identity.
class ControlCore {
 public:
  ControlCore(ProcessParam* panel, int type) : panel_(panel), type_(type) {}
  virtual ~ControlCore() = default;

  int Kind() const { return type_; }
  ProcessParam* Panel() const { return panel_; }
  void Detach() { panel_ = nullptr; }
  vlapi::IAPIObject* Owner() const { return owner_; }
  void SetOwner(vlapi::IAPIObject* owner) { owner_ = owner; }
  // The control as the transcript names it: its kind and caption.
  std::string Label() const;
  void Note(const std::string& call) const;
  PanelButton* Button(int id);
  // Whether the user can reach the control (shown, enabled, in a shown tab, not read-only).
  virtual bool ReadOnly() const { return false; }

  std::wstring caption;
  bool enabled = true;
  bool visible = true;
  std::vector<PanelButton> buttons;
  bool toolBar = false;  // whether the control offers a tool bar

 private:
  ProcessParam* panel_;
  int type_;
  vlapi::IAPIObject* owner_ = nullptr;
};

// The control kinds' implementations over ControlCore.
template <class I>
class ControlOf : public Api<ControlCore, I, vlapi::IPropertyToolBar> {
  using Base = Api<ControlCore, I, vlapi::IPropertyToolBar>;

 public:
  ControlOf(ProcessParam* panel, int type) : Base(panel, type) {}
  ~ControlOf() override = default;

  long AddRef() override { return this->Owner() ? this->Owner()->AddRef() : Base::AddRef(); }
  long Release() override { return this->Owner() ? this->Owner()->Release() : Base::Release(); }
  bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) override {
    if (this->Owner() && vlapi::SameIID(iid, vlapi::IID_IAPIObject)) return this->Owner()->QueryInterface(iid, object);
    if (vlapi::SameIID(iid, vlapi::IID_IPropertyToolBar) && !this->toolBar) {
      *object = nullptr;
      return false;
    }
    return Base::QueryInterface(iid, object);
  }

  // vlapi::IPropertyControl
  int GetType() override { return this->Kind(); }
  std::wstring GetCaption() override { return this->caption; }
  void SetCaption(const std::wstring& text) override {
    this->Note("SetCaption(" + Quote(text) + ")");
    this->caption = text;
  }
  bool GetEnable() override { return this->enabled; }
  void SetEnable(bool on) override {
    this->Note(std::string("SetEnable(") + (on ? "true" : "false") + ")");
    this->enabled = on;
  }
  bool GetVisible() override { return this->visible; }
  void SetVisible(bool on) override {
    this->Note(std::string("SetVisible(") + (on ? "true" : "false") + ")");
    this->visible = on;
  }
  void SetOption(int value) override { this->Note("SetOption(" + std::to_string(value) + ")"); }
  void SetTextOption(const std::wstring& value) override { this->Note("SetTextOption(" + Quote(value) + ")"); }

  // vlapi::IPropertyToolBar
  bool AddButton(int id, int icon, int icon2) override {
    this->Note("AddButton(" + std::to_string(id) + ", " + std::to_string(icon) + ", " + std::to_string(icon2) + ")");
    if (this->Button(id)) return false;
    this->buttons.push_back({id, icon, icon2, L"", L"", true, false});
    return true;
  }
  int GetButtonCount() override { return static_cast<int>(this->buttons.size()); }
  void SetButtonHint(int id, const std::wstring& hint) override {
    this->Note("SetButtonHint(" + std::to_string(id) + ", " + Quote(hint) + ")");
    if (PanelButton* b = this->Button(id)) b->hint = hint;
  }
  void SetButtonEnable(int id, bool on) override {
    this->Note("SetButtonEnable(" + std::to_string(id) + ", " + (on ? "true" : "false") + ")");
    if (PanelButton* b = this->Button(id)) b->enabled = on;
  }
  bool GetButtonEnable(int id) override {
    const PanelButton* b = this->Button(id);
    return b && b->enabled;
  }
  void SetButtonPressed(int id, bool on) override {
    this->Note("SetButtonPressed(" + std::to_string(id) + ", " + (on ? "true" : "false") + ")");
    if (PanelButton* b = this->Button(id)) b->pressed = on;
  }
  bool GetButtonPressed(int id) override {
    const PanelButton* b = this->Button(id);
    return b && b->pressed;
  }
  void SetButtonFont(int id, const std::wstring& font) override {
    this->Note("SetButtonFont(" + std::to_string(id) + ", " + Quote(font) + ")");
    if (PanelButton* b = this->Button(id)) b->font = font;
  }
  void SetButtonOption(int id, int value) override {
    this->Note("SetButtonOption(" + std::to_string(id) + ", " + std::to_string(value) + ")");
  }
};

class SeparatorControl : public ControlOf<vlapi::IPropertyControl> {
 public:
  using ControlOf::ControlOf;
};

class TextButtonControl : public ControlOf<vlapi::IPropertyTextButton> {
 public:
  using ControlOf::ControlOf;
};

class EditControl : public ControlOf<vlapi::IPropertyEdit> {
 public:
  EditControl(ProcessParam* panel, int type);
  bool ReadOnly() const override { return readOnly; }
  bool Numeric() const { return Kind() != vlapi::vlControlEditStr; }
  // Checks the user's text for this edit: empty when it is taken, else why not.
  std::string Refusal(const std::wstring& text) const;
  // Takes the user's text (a number edit keeps the number in its shortest form).
  void Accept(const std::wstring& text);

  std::wstring text;
  double minimum = 0;
  double maximum = -1;  // no range while maximum < minimum
  bool readOnly = false;
  bool mark = false;

  std::wstring GetText() override { return text; }
  void SetText(const std::wstring& value) override;
  int GetInt() override;
  void SetInt(int value) override;
  double GetReal() override;
  void SetReal(double value) override;
  void SetRange(double lo, double hi) override;
  bool GetReadOnly() override { return readOnly; }
  void SetReadOnly(bool on) override;
  bool GetMark() override { return mark; }
  void SetMark(bool on) override;
};

class ListControl : public ControlOf<vlapi::IPropertyList> {
 public:
  ListControl(ProcessParam* panel, int type);
  bool ReadOnly() const override { return readOnly; }
  std::vector<std::wstring> items;
  int current = -1;
  bool readOnly = false;

  void SetItems(const std::vector<std::wstring>& list) override;
  void AddItem(const std::wstring& item) override;
  void Clear() override;
  int GetCount() override { return static_cast<int>(items.size()); }
  std::wstring GetItem(int index) override;
  int GetCurrentItem() override { return current; }
  void SetCurrentItem(int index) override;
  std::wstring GetCurrentText() override { return GetItem(current); }
  int FindItem(const std::wstring& text) override;
  bool GetReadOnly() override { return readOnly; }
  void SetReadOnly(bool on) override;
};

class CheckBoxControl : public ControlOf<vlapi::IPropertyCheckBox> {
 public:
  CheckBoxControl(ProcessParam* panel, int type);
  bool checked = false;
  bool GetChecked() override { return checked; }
  void SetChecked(bool on) override;
};

class GridControl : public ControlOf<vlapi::IPropertyGrid> {
 public:
  GridControl(ProcessParam* panel, int type);
  bool CellEditable(int row, int column) const;

  std::vector<std::vector<std::wstring>> cells;  // rows of cells
  int columns = 0;
  std::vector<int> widths;
  std::vector<std::tuple<int, int, bool>> editable;  // in the order set; the last that applies holds
  int currentRow = -1;
  int currentColumn = -1;
  int redraws = 0;

  int GetRowCount() override { return static_cast<int>(cells.size()); }
  void SetRowCount(int rows) override;
  int GetColumnCount() override { return columns; }
  void SetColumnCount(int count) override;
  void SetColumnWidth(int column, int width) override;
  int GetColumnWidth(int column) override;
  std::wstring GetCellText(int row, int column) override;
  void SetCellText(int row, int column, const std::wstring& text) override;
  void SetCellEditable(int row, int column, bool on) override;
  bool GetCellEditable(int row, int column) override { return CellEditable(row, column); }
  int GetCurrentRow() override { return currentRow; }
  int GetCurrentColumn() override { return currentColumn; }
  void SetCurrentCell(int row, int column) override;
  void Redraw() override;
};

class SlideControl : public ControlOf<vlapi::IPropertySlideBox> {
 public:
  using ControlOf::ControlOf;
  std::wstring file;
  int redraws = 0;
  std::wstring GetFile() override { return file; }
  void SetFile(const std::wstring& path) override;
  void Redraw() override;
};

class ColorControl : public ControlOf<vlapi::IPropertyColor> {
 public:
  using ControlOf::ControlOf;
  int color = 0;
  int initial = 0;
  int GetColor() override { return color; }
  void SetColor(int value) override;
  void SetInitialColor(int value) override;
};

class EditListControl : public ControlOf<vlapi::IPropertyEditList> {
 public:
  EditListControl(ProcessParam* panel, int type);
  std::vector<PanelItem> items;
  int current = -1;
  int editing = -1;  // the item being renamed in place
  int checkState = vlapi::vlCheckUndefined;

  void Clear() override;
  int AddItem(const std::wstring& text) override;
  int GetCount() override { return static_cast<int>(items.size()); }
  std::wstring GetItemText(int index) override;
  void SetItemText(int index, const std::wstring& text) override;
  bool GetItemChecked(int index) override;
  void SetItemChecked(int index, bool on) override;
  bool GetItemMarked(int index) override;
  void SetItemMarked(int index, bool on) override;
  bool GetItemInvalid(int index) override;
  void SetItemInvalid(int index, bool on) override;
  bool EditItem(int index) override;
  int GetCurrentItem() override { return current; }
  int GetCheckState() override { return checkState; }
  void SetCheckState(int state) override;

 private:
  PanelItem* Item(int index);
};

class EditCheckBoxControl : public ControlOf<vlapi::IPropertyEditCheckBox> {
 public:
  EditCheckBoxControl(ProcessParam* panel, int type);
  ~EditCheckBoxControl() override;
  EditControl& Edit() { return *edit_; }
  CheckBoxControl& Check() { return *check_; }
  int checkState = vlapi::vlCheckUndefined;

  bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) override;
  vlapi::IPropertyEditPtr GetEdit() override;
  vlapi::IPropertyCheckBoxPtr GetCheckBox() override;
  int GetCheckState() override { return checkState; }
  void SetCheckState(int state) override;

 private:
  std::unique_ptr<EditControl> edit_;
  std::unique_ptr<CheckBoxControl> check_;
};

// The controls behind a vlapi pointer of this host (a face gives its own).
ControlCore* ControlOfObject(vlapi::IAPIObject* object);

class PropertyTab;

class ControlsApi : public Api<NoCore, vlapi::IPropertyControls> {
 public:
  ControlsApi(ProcessParam* panel, PropertyTab* tab) : panel_(panel), tab_(tab) {}
  void Detach() { panel_ = nullptr; }
  int GetCount() override;
  vlapi::IPropertyControlPtr GetItem(int index) override;
  vlapi::IPropertyControlPtr Add(int type) override;

 private:
  ProcessParam* panel_;
  PropertyTab* tab_;
};

class PropertyTab : public Api<NoCore, vlapi::IPropertyTab> {
 public:
  PropertyTab(ProcessParam* panel, int index, std::wstring caption);
  std::wstring caption;
  bool visible = true;
  bool expanded = true;
  int index;
  std::vector<vlapi::IPropertyControlPtr> controls;
  void Detach();

  std::wstring GetCaption() override { return caption; }
  void SetCaption(const std::wstring& text) override;
  bool GetVisible() override { return visible; }
  void SetVisible(bool on) override;
  vlapi::IPropertyControlsPtr GetControls() override;

 private:
  ProcessParam* panel_;
  Ref<ControlsApi> controls_;
};

class ProcessParam : public Api<NoCore, vlapi::IProcessParam, vlapi::IPropertiesManagerEvents, vlapi::IPropertyTabs> {
 public:
  explicit ProcessParam(Shell& shell);
  ~ProcessParam() override;
  Shell* GetShell() const { return shell_; }
  void Detach();
  const std::vector<Ref<PropertyTab>>& Tabs() const { return tabs_; }
  std::wstring caption;
  int buttons = 0;
  // Every control of the panel, in the order made (faces excluded).
  std::vector<vlapi::IPropertyControlPtr> Controls() const;
  // The tab a control stands in (null for none).
  PropertyTab* TabOf(const ControlCore* control) const;
  // A text picture of the panel, one line per control.
  std::string Dump() const;

  // vlapi::IProcessParam
  void SetCaption(const std::wstring& text) override;
  std::wstring GetCaption() override { return caption; }
  void SetButtons(int set) override;
  void SetStyle(int style) override;
  void SetFlags(int flags) override;
  vlapi::IPropertiesManagerEventsPtr GetPropertiesManagerEvents() override;
  vlapi::IPropertyTabsPtr GetPropertyTabs() override;
  // vlapi::IPropertiesManagerEvents
  void OnButtonClick(const std::wstring& owner, vlapi::ButtonClickHandler handler) override;
  void OnChangeControlValue(const std::wstring& owner, vlapi::ControlHandler handler) override;
  void OnControlCommand(const std::wstring& owner, vlapi::ControlCommandHandler handler) override;
  void OnButtonUpdate(const std::wstring& owner, vlapi::ButtonUpdateHandler handler) override;
  void OnProcessActivate(const std::wstring& owner, vlapi::NotifyHandler handler) override;
  void OnProcessDeactivate(const std::wstring& owner, vlapi::NotifyHandler handler) override;
  void OnSelectItem(const std::wstring& owner, vlapi::ItemHandler handler) override;
  void OnCheckItem(const std::wstring& owner, vlapi::ItemHandler handler) override;
  void OnSelectCell(const std::wstring& owner, vlapi::CellHandler handler) override;
  void OnEditFocus(const std::wstring& owner, vlapi::FocusHandler handler) override;
  void OnUserMenuCommand(const std::wstring& owner, vlapi::ControlIndexHandler handler) override;
  void OnFillContextPanel(const std::wstring& owner, vlapi::ContextPanelHandler handler) override;
  void OnFillContextIconMenu(const std::wstring& owner, vlapi::ContextIconMenuHandler handler) override;
  void OnEndEditItem(const std::wstring& owner, vlapi::ControlIndexHandler handler) override;
  void OnChangeTabExpanded(const std::wstring& owner, vlapi::TabHandler handler) override;
  void OnDoubleClickItem(const std::wstring& owner, vlapi::ControlIndexHandler handler) override;
  void OnGetContextMenuType(const std::wstring& owner, vlapi::ContextMenuTypeHandler handler) override;
  void RemoveHandlers(const std::wstring& owner) override;
  // vlapi::IPropertyTabs
  int GetCount() override { return static_cast<int>(tabs_.size()); }
  vlapi::IPropertyTabPtr GetTab(int index) override;
  vlapi::IPropertyTabPtr Add(const std::wstring& caption) override;

 private:
  template <class F>
  void Handler(Event event, const std::wstring& owner, F handler);
  Shell* shell_;
  std::vector<Ref<PropertyTab>> tabs_;
};

class Process : public Api<NoCore, vlapi::IProcess, vlapi::IProcess2D, vlapi::IProcess2DEvents> {
 public:
  Process(Shell& shell, Document2D* doc, int type);
  ~Process() override;
  Document2D* Doc() const;
  void Detach() { shell_ = nullptr; }
  ProcessParam* Param() const { return param_.get(); }
  // Ends the running process: its end event reaches the handlers left.
  void End(const std::string& why);

  int type;
  int mask = 0;
  bool running = false;
  std::wstring caption;
  std::wstring prompt;
  int refreshes = 0;

  // vlapi::IProcess
  void SetMask(int value) override;
  void SetProcessParam(vlapi::IProcessParam* param) override;
  bool Start(int mode, int flags) override;
  bool Stop() override;
  bool IsRunning() override { return running; }
  void SetCaption(const std::wstring& text) override;
  void SetPrompt(const std::wstring& text) override;
  void RefreshPanel() override;
  // vlapi::IProcess2D
  vlapi::IProcess2DEventsPtr GetProcess2DEvents() override;
  // vlapi::IProcess2DEvents
  void OnCursor(const std::wstring& owner, vlapi::CursorHandler handler) override;
  void OnEndProcess(const std::wstring& owner, vlapi::EndProcessHandler handler) override;
  void RemoveHandlers(const std::wstring& owner) override;

 private:
  Shell* shell_;
  vlapi::IVarnelDocument2DPtr doc_;
  Ref<ProcessParam> param_;
};

// The context panel and the context icon menu handed to a library.
template <class I>
class ContextCommands : public Api<NoCore, I> {
 public:
  explicit ContextCommands(Shell& shell, std::string name) : shell_(&shell), name_(std::move(name)) {}
  bool AddCommand(int id, int icon, const std::wstring& hint) override;
  int GetCount() override { return static_cast<int>(commands.size()); }
  std::vector<PanelButton> commands;

 private:
  Shell* shell_;
  std::string name_;
};
using ContextPanel = ContextCommands<vlapi::IProcessContextPanel>;
using ContextIconMenu = ContextCommands<vlapi::IProcessContextIconMenu>;

}  // namespace vlhost
