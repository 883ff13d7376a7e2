// The object list of a command panel: one host control that shows library
// objects (bridges, remnants) one per row, or groups of figures, with a check
// mark per row that mirrors the object's chosen state in the drawing.
//
// A command keeps it as a member, calls Init from its CreateControls and
// UpdateControls whenever it refreshes its panel; the list holds the
// automation objects of its rows, so that a row leads back to its object.
// It works on the flat list when that is not empty, on the figure tree
// otherwise.
//
// Row layout of the tree (list mode): a group of one figure is one row with
// its name; a group of n >= 2 figures is a header row (the first member's
// name, ticked when every member is chosen) followed by n rows of five
// blanks and the member's name; an empty group has no row.
#pragma once

#include "api/INestingObjects.h"
#include "vlapi/vlapi.h"

#include <string>
#include <vector>

class ListObiects {
public:
    ListObiects() = default;
    // Releases the tree, the objects, the grid and the list, in this order.
    ~ListObiects() = default;
    ListObiects(const ListObiects&) = default;
    ListObiects& operator=(const ListObiects&) = default;
    ListObiects(ListObiects&&) = default;
    ListObiects& operator=(ListObiects&&) = default;

    // Adds the control to `controls`: a grid (`listOrGrid` true; `state` and
    // `visible` unused) or an edit list, captioned `name`, shown as `visible`
    // asks, with check marks in `state` unless that is vlCheckUndefined.
    void Init(bool listOrGrid, const vlapi::IPropertyControlsPtr& controls, const std::wstring& name,
              vlapi::CheckStateEnum state, bool visible);
    // Keeps the present objects (an empty entry is dropped, so that row k is
    // always object k) and refills the control from them.
    void UpdateControls(const std::vector<INObjectPtr>& objects);
    // Keeps the tree and, in list mode, rebuilds the rows from it.
    void UpdateControls(const IFiguresTree& tree);

    // The objects of the ticked rows, in row order (header rows give none);
    // without a list control `objects` is left as it is.
    void GetSelectedObjects(std::vector<INObjectPtr>& objects) const;
    // Inverts the chosen state of the first object with that host reference.
    void InvertSelect(int reference);
    void SelectAll();
    void UnselectAll();
    // False when `ctrl` is not the list; otherwise chooses (or unchooses) the
    // object of row `index`, every member for a header row, and answers true.
    bool SelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select);
    // Whether a control command belongs to this list; the button is not read.
    bool ControlCommand(const vlapi::IPropertyControlPtr& ctrl, int buttonId) const;
    bool CheckReference(int reference) const;

    vlapi::IPropertyEditListPtr GetControl() const { return m_list; }
    void SetEnable(bool enable);
    void SetVisible(bool visible);
    void SetCheckState(vlapi::CheckStateEnum state);
    vlapi::CheckStateEnum GetCheckState() const;
    // In-place renaming of the flat list: the row of the first chosen object
    // is edited; at the end every ticked row renames its object. Figures of
    // the tree are not renamed.
    void BeginEditItemName();
    void EndEditItemName();

private:
    // The row `row` of the tree: its group and the member in it (-1 for the
    // header row); false past the last row.
    bool TreeRow(int row, size_t& group, int& member) const;
    bool Flat() const { return !m_objects.empty(); }
    // Every object of the flat list, or else every figure of the tree.
    template <class F>
    void ForEachObject(F&& f) const;

    vlapi::IPropertyEditListPtr m_list;
    vlapi::IPropertyGridPtr m_grid;
    bool m_listOrGrid = false;
    std::vector<INObjectPtr> m_objects;
    IFiguresTree m_tree;
};
