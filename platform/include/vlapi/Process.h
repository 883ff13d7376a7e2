#pragma once
// Interactive processes and their property panels.
//
// A library runs an interactive command as a host process: it asks the
// application for process parameters (IApplication::CreateProcessParam), gives
// them a caption and the standard buttons, fills the panel through their tab
// set, asks the active 2D document for a process (IVarnelDocument2D::CreateProcess),
// hands it the parameters and starts it. The start call returns at once; the
// process then runs until the user closes the panel, confirms or cancels, or
// the library stops it. The host reports what the user does through two event
// sources with owner-keyed handlers (as in Events.h): the panel's
// (IProcessParam::GetPropertiesManagerEvents) and the 2D side's
// (IProcess2D::GetProcess2DEvents).
//
// Panel controls carry no ids: a handler recognises the control of an event by
// its identity (both queried for IAPIObject give the same object). A control's
// faces (the edit and check-box faces of an edit with a check box, the tool
// bar of a list or grid) answer the control's identity.
//
// Settings that a panel passes only by value (SetOption and its kin, the two
// unnamed process-parameter settings, a process's mask) are recorded by the
// host and change nothing it shows.
#include <functional>
#include <string>
#include <vector>

#include "vlapi/Events.h"

namespace vlapi {

// Kinds of panel controls (IPropertyControls::Add).
enum ControlTypeEnum {
  vlControlSeparator = 1,
  vlControlEditInt = 2,
  vlControlEditReal = 3,
  vlControlEditStr = 4,
  vlControlListStr = 7,
  vlControlCheckBox = 8,
  vlControlGrid = 10,
  vlControlSlideBox = 11,
  vlControlTextButton = 13,
  vlControlColor = 17,
  vlControlEditList = 18,
  vlControlEditLength = 19,
  vlControlEditCheckBox = 29,
};

enum CheckStateEnum {
  vlCheckUndefined = 0,
  vlCheckCurrent = 1,
  vlCheckFixed = 2,
  vlCheckVariable = 3,
};

// The standard process buttons, as OnButtonClick and OnButtonUpdate see them.
enum SpecPropertyButtonEnum {
  pbEnter = 1,
  pbEsc = 2,
  pbAutoCreate = 3,
  pbSaveState = 4,
  pbNewSearch = 5,
  pbPrevObj = 6,
  pbNextObj = 7,
  pbHelp = 8,
  pbCopyProps = 9,
};

// Sets of standard buttons (IProcessParam::SetButtons).
enum SpecPropertyToolBarEnum {
  pnNone = 0,
  pnEnterEscHelp = 3,
};

enum vlProcessContextMenuType {
  vlProcessDefaultContextMenu = 0,
  vlProcessContextMenuHide = -2,
  vlProcessContextPanel = -3,
  vlProcessContextIconMenu = -4,
};

// Kinds of processes a 2D document makes (IVarnelDocument2D::CreateProcess).
enum vlProcessTypeEnum {
  vlProcess2DCursor = 1,
};

// The command id with which an edit list, a grid or an edit with a check box
// reports the press of its own delete (clear) button.
constexpr int vlControlCommandDelete = 2;

// The process parameters: caption, standard buttons and the panel.
struct IProcessParam : IAPIObject {
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual std::wstring GetCaption() = 0;
  virtual void SetButtons(int buttons) = 0;  // SpecPropertyToolBarEnum
  // The two settings the frame gives by value (0 before the caption, 1 after the buttons).
  virtual void SetStyle(int style) = 0;
  virtual void SetFlags(int flags) = 0;
  virtual IPropertiesManagerEventsPtr GetPropertiesManagerEvents() = 0;
  virtual IPropertyTabsPtr GetPropertyTabs() = 0;
};

// A running interactive process; a cursor process also answers IProcess2D.
struct IProcess : IAPIObject {
  virtual void SetMask(int mask) = 0;
  virtual void SetProcessParam(IProcessParam* param) = 0;
  // Starts the process and returns at once; it runs until it ends.
  virtual bool Start(int mode, int flags) = 0;
  // Ends the process: its end event reaches the handlers still registered.
  virtual bool Stop() = 0;
  virtual bool IsRunning() = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual void SetPrompt(const std::wstring& prompt) = 0;
  // Shows the panel again after its controls have changed.
  virtual void RefreshPanel() = 0;
};

struct IProcess2D : IAPIObject {
  virtual IProcess2DEventsPtr GetProcess2DEvents() = 0;
};

// x, y: the cursor in the coordinates of the active view, mm; dynamic: true
// while the cursor moves, false for a click.
using CursorHandler = std::function<bool(double x, double y, double angle, bool dynamic)>;
using EndProcessHandler = std::function<bool()>;

struct IProcess2DEvents : IAPIObject {
  virtual void OnCursor(const std::wstring& owner, CursorHandler handler) = 0;
  virtual void OnEndProcess(const std::wstring& owner, EndProcessHandler handler) = 0;
  virtual void RemoveHandlers(const std::wstring& owner) = 0;
};

using ButtonClickHandler = std::function<bool(int buttonId)>;
using ControlHandler = std::function<void(const IPropertyControlPtr& control)>;
using ControlCommandHandler = std::function<void(const IPropertyControlPtr& control, int buttonId)>;
using ButtonUpdateHandler = std::function<bool(int buttonId, bool& enable, int& checked)>;
using ItemHandler = std::function<void(const IPropertyControlPtr& control, int index, bool on)>;
using CellHandler = std::function<void(const IPropertyControlPtr& control, int row, int column)>;
using FocusHandler = std::function<void(const IPropertyControlPtr& control, bool set)>;
using ControlIndexHandler = std::function<void(const IPropertyControlPtr& control, int index)>;
using ContextPanelHandler = std::function<void(const IProcessContextPanelPtr& panel)>;
using ContextIconMenuHandler = std::function<void(const IProcessContextIconMenuPtr& menu)>;
using TabHandler = std::function<void(int tabIndex)>;
using ContextMenuTypeHandler = std::function<int(int screenX, int screenY)>;  // vlProcessContextMenuType

// The panel's events.
struct IPropertiesManagerEvents : IAPIObject {
  // A standard button (SpecPropertyButtonEnum) was pressed.
  virtual void OnButtonClick(const std::wstring& owner, ButtonClickHandler handler) = 0;
  virtual void OnChangeControlValue(const std::wstring& owner, ControlHandler handler) = 0;
  // A control's own button (text button, tool-bar or side button, delete) was pressed.
  virtual void OnControlCommand(const std::wstring& owner, ControlCommandHandler handler) = 0;
  // The host asks whether a standard button is enabled (and pressed); a
  // handler answering true has set `enable` (and `checked`).
  virtual void OnButtonUpdate(const std::wstring& owner, ButtonUpdateHandler handler) = 0;
  virtual void OnProcessActivate(const std::wstring& owner, NotifyHandler handler) = 0;
  virtual void OnProcessDeactivate(const std::wstring& owner, NotifyHandler handler) = 0;
  virtual void OnSelectItem(const std::wstring& owner, ItemHandler handler) = 0;
  virtual void OnCheckItem(const std::wstring& owner, ItemHandler handler) = 0;
  virtual void OnSelectCell(const std::wstring& owner, CellHandler handler) = 0;
  virtual void OnEditFocus(const std::wstring& owner, FocusHandler handler) = 0;
  virtual void OnUserMenuCommand(const std::wstring& owner, ControlIndexHandler handler) = 0;
  virtual void OnFillContextPanel(const std::wstring& owner, ContextPanelHandler handler) = 0;
  virtual void OnFillContextIconMenu(const std::wstring& owner, ContextIconMenuHandler handler) = 0;
  virtual void OnEndEditItem(const std::wstring& owner, ControlIndexHandler handler) = 0;
  virtual void OnChangeTabExpanded(const std::wstring& owner, TabHandler handler) = 0;
  virtual void OnDoubleClickItem(const std::wstring& owner, ControlIndexHandler handler) = 0;
  // The host asks which context menu to show at a screen point.
  virtual void OnGetContextMenuType(const std::wstring& owner, ContextMenuTypeHandler handler) = 0;
  virtual void RemoveHandlers(const std::wstring& owner) = 0;
};

// The tabs of a panel. A new panel has one tab already (GetTab(0)), which a
// library hides before it adds its own.
struct IPropertyTabs : IAPIObject {
  virtual int GetCount() = 0;
  virtual IPropertyTabPtr GetTab(int index) = 0;
  virtual IPropertyTabPtr Add(const std::wstring& caption) = 0;
};

struct IPropertyTab : IAPIObject {
  virtual std::wstring GetCaption() = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual bool GetVisible() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual IPropertyControlsPtr GetControls() = 0;
};

struct IPropertyControls : IAPIObject {
  virtual int GetCount() = 0;
  virtual IPropertyControlPtr GetItem(int index) = 0;
  // Appends a control of ControlTypeEnum `type`; query it for its kind's interface.
  virtual IPropertyControlPtr Add(int type) = 0;
};

// What every control has.
struct IPropertyControl : IAPIObject {
  virtual int GetType() = 0;  // ControlTypeEnum
  virtual std::wstring GetCaption() = 0;
  virtual void SetCaption(const std::wstring& caption) = 0;
  virtual bool GetEnable() = 0;
  virtual void SetEnable(bool enable) = 0;
  virtual bool GetVisible() = 0;
  virtual void SetVisible(bool visible) = 0;
  // A presentation setting given by value (recorded only).
  virtual void SetOption(int value) = 0;
  virtual void SetTextOption(const std::wstring& value) = 0;
};

// Edits of text, integers, reals and lengths (kinds 4, 2, 3, 19). The value is
// kept as its text; a number edit shows numbers in their shortest form. The
// user's input is refused (with a message) when the edit is read-only, when a
// number edit is given no number or a number outside its range.
struct IPropertyEdit : IPropertyControl {
  virtual std::wstring GetText() = 0;
  virtual void SetText(const std::wstring& text) = 0;
  virtual int GetInt() = 0;
  virtual void SetInt(int value) = 0;
  virtual double GetReal() = 0;
  virtual void SetReal(double value) = 0;
  virtual void SetRange(double minimum, double maximum) = 0;
  virtual bool GetReadOnly() = 0;
  virtual void SetReadOnly(bool readOnly) = 0;
  // The on/off insertion mark the host keeps for the edit.
  virtual bool GetMark() = 0;
  virtual void SetMark(bool on) = 0;
};

// A drop-down list of texts (kind 7).
struct IPropertyList : IPropertyControl {
  virtual void SetItems(const std::vector<std::wstring>& items) = 0;
  virtual void AddItem(const std::wstring& item) = 0;
  virtual void Clear() = 0;
  virtual int GetCount() = 0;
  virtual std::wstring GetItem(int index) = 0;
  virtual int GetCurrentItem() = 0;  // -1 for none
  virtual void SetCurrentItem(int index) = 0;
  virtual std::wstring GetCurrentText() = 0;
  virtual int FindItem(const std::wstring& text) = 0;  // -1 when absent
  virtual bool GetReadOnly() = 0;
  virtual void SetReadOnly(bool readOnly) = 0;
};

struct IPropertyCheckBox : IPropertyControl {
  virtual bool GetChecked() = 0;
  virtual void SetChecked(bool checked) = 0;
};

// A grid; row 0 holds the header texts. Cells are read-only for the user
// unless made editable; the header never is.
struct IPropertyGrid : IPropertyControl {
  virtual int GetRowCount() = 0;
  virtual void SetRowCount(int rows) = 0;
  virtual int GetColumnCount() = 0;
  virtual void SetColumnCount(int columns) = 0;
  virtual void SetColumnWidth(int column, int width) = 0;
  virtual int GetColumnWidth(int column) = 0;
  virtual std::wstring GetCellText(int row, int column) = 0;
  virtual void SetCellText(int row, int column, const std::wstring& text) = 0;
  // Row or column -1 stands for every row or column, present and future.
  virtual void SetCellEditable(int row, int column, bool editable) = 0;
  virtual bool GetCellEditable(int row, int column) = 0;
  virtual int GetCurrentRow() = 0;     // -1 for none
  virtual int GetCurrentColumn() = 0;  // -1 for none
  virtual void SetCurrentCell(int row, int column) = 0;
  virtual void Redraw() = 0;
};

// A preview of a document file.
struct IPropertySlideBox : IPropertyControl {
  virtual std::wstring GetFile() = 0;
  virtual void SetFile(const std::wstring& path) = 0;
  virtual void Redraw() = 0;
};

struct IPropertyTextButton : IPropertyControl {};

// Colours are red | green << 8 | blue << 16.
struct IPropertyColor : IPropertyControl {
  virtual int GetColor() = 0;
  virtual void SetColor(int color) = 0;
  virtual void SetInitialColor(int color) = 0;
};

// A list of items with check marks, a mark and an invalid flag each, that the
// user may tick and rename in place.
struct IPropertyEditList : IPropertyControl {
  virtual void Clear() = 0;
  virtual int AddItem(const std::wstring& text) = 0;  // its index
  virtual int GetCount() = 0;
  virtual std::wstring GetItemText(int index) = 0;
  virtual void SetItemText(int index, const std::wstring& text) = 0;
  virtual bool GetItemChecked(int index) = 0;
  virtual void SetItemChecked(int index, bool checked) = 0;
  virtual bool GetItemMarked(int index) = 0;
  virtual void SetItemMarked(int index, bool marked) = 0;
  virtual bool GetItemInvalid(int index) = 0;
  virtual void SetItemInvalid(int index, bool invalid) = 0;
  // Starts the user's in-place editing of an item's text.
  virtual bool EditItem(int index) = 0;
  virtual int GetCurrentItem() = 0;  // -1 for none
  virtual int GetCheckState() = 0;   // CheckStateEnum
  virtual void SetCheckState(int state) = 0;
};

// An edit with a check box: two faces (IPropertyEdit and IPropertyCheckBox,
// also answered by queries of the control) and a check state.
struct IPropertyEditCheckBox : IPropertyControl {
  virtual IPropertyEditPtr GetEdit() = 0;
  virtual IPropertyCheckBoxPtr GetCheckBox() = 0;
  virtual int GetCheckState() = 0;  // CheckStateEnum
  virtual void SetCheckState(int state) = 0;
};

// The buttons of a control (a grid's or list's tool bar, the side buttons of
// an edit, a list or a check box), named by their command ids. A press reaches
// OnControlCommand with the control and the id.
struct IPropertyToolBar : IAPIObject {
  // icon2: a second icon, or -1 for none.
  virtual bool AddButton(int id, int icon, int icon2) = 0;
  virtual int GetButtonCount() = 0;
  virtual void SetButtonHint(int id, const std::wstring& hint) = 0;
  virtual void SetButtonEnable(int id, bool enable) = 0;
  virtual bool GetButtonEnable(int id) = 0;
  virtual void SetButtonPressed(int id, bool pressed) = 0;
  virtual bool GetButtonPressed(int id) = 0;
  virtual void SetButtonFont(int id, const std::wstring& font) = 0;
  // A presentation setting of a button given by value (recorded only).
  virtual void SetButtonOption(int id, int value) = 0;
};

// What the context panel and the context icon menu of a process offer: named
// commands the user may choose.
struct IProcessContextPanel : IAPIObject {
  virtual bool AddCommand(int id, int icon, const std::wstring& hint) = 0;
  virtual int GetCount() = 0;
};

struct IProcessContextIconMenu : IAPIObject {
  virtual bool AddCommand(int id, int icon, const std::wstring& hint) = 0;
  virtual int GetCount() = 0;
};

}  // namespace vlapi
