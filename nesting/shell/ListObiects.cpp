#include "shell/ListObiects.h"

#include "shell/Controls.h"

namespace {

constexpr int kGridColumnWidth = 100;
const std::wstring kMemberIndent = L"     ";

// Whether every member of the group is chosen.
bool AllChosen(const std::vector<IFigurePtr>& group)
{
    for (const IFigurePtr& figure : group) {
        if (!figure->GetChoose())
            return false;
    }
    return true;
}

// The rows a group takes: n + 1 for n >= 2 (its header row first), else n.
size_t RowsOf(const std::vector<IFigurePtr>& group)
{
    return group.size() >= 2 ? group.size() + 1 : group.size();
}

// What a row of the list shows.
struct Row {
    std::wstring text;
    bool checked = false;
    bool invalid = false;
};

// The list made to show `rows`: only the rows that differ from what it shows
// are set (a list of thousands of parts is not written again for each edit
// of the panel); a list that would have to lose rows is filled anew.
void Show(vlapi::IPropertyEditList& list, const std::vector<Row>& rows)
{
    int count = list.GetCount();
    if (count > static_cast<int>(rows.size())) {
        list.Clear();
        count = 0;
    }
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const Row& row = rows[static_cast<size_t>(i)];
        const bool shown = i < count;
        const int item = shown ? i : list.AddItem(row.text);
        if (shown && list.GetItemText(item) != row.text)
            list.SetItemText(item, row.text);
        if (!shown || list.GetItemChecked(item) != row.checked)
            list.SetItemChecked(item, row.checked);
        if (!shown || list.GetItemInvalid(item) != row.invalid)
            list.SetItemInvalid(item, row.invalid);
    }
}

}  // namespace

void ListObiects::Init(bool listOrGrid, const vlapi::IPropertyControlsPtr& controls, const std::wstring& name,
                       vlapi::CheckStateEnum state, bool visible)
{
    m_listOrGrid = listOrGrid;
    if (!controls)
        return;
    if (listOrGrid) {
        m_grid = vlapi::IPropertyGridPtr(controls->Add(vlapi::vlControlGrid));
        if (!m_grid)
            return;
        m_grid->SetCaption(name);
        m_grid->SetRowCount(1);
        m_grid->SetOption(1);
        m_grid->SetColumnCount(2);
        m_grid->SetOption(1);
        for (int column = 0; column < 2; ++column) {
            m_grid->SetColumnWidth(column, kGridColumnWidth);
            m_grid->SetCellText(0, column, L"");
        }
        m_grid->SetOption(0);
        m_grid->Redraw();
        return;
    }
    m_list = vlapi::IPropertyEditListPtr(controls->Add(vlapi::vlControlEditList));
    if (!m_list)
        return;
    m_list->SetCaption(name);
    // Presentation settings given by value.
    m_list->SetOption(0);
    m_list->SetTextOption(L"");
    m_list->SetOption(0);
    m_list->SetOption(1);
    m_list->SetOption(1);
    m_list->SetOption(0);
    m_list->SetVisible(visible);
    if (state != vlapi::vlCheckUndefined) {
        m_list->SetOption(0);
        m_list->SetOption(1);
        m_list->SetCheckState(state);
    }
}

void ListObiects::UpdateControls(const std::vector<INObjectPtr>& objects)
{
    m_objects.clear();
    for (const INObjectPtr& object : objects) {
        if (object)
            m_objects.push_back(object);
    }
    if (m_grid) {
        m_grid->SetRowCount(static_cast<int>(m_objects.size()) + 1);
        for (size_t i = 0; i < m_objects.size(); ++i) {
            const int row = static_cast<int>(i) + 1;
            m_grid->SetCellText(row, 0, m_objects[i]->GetName());
            m_grid->SetCellText(row, 1, L"1");
        }
        m_grid->Redraw();
    } else if (m_list) {
        std::vector<Row> rows;
        rows.reserve(m_objects.size());
        for (const INObjectPtr& object : m_objects)
            rows.push_back({object->GetName(), object->GetChoose(), !object->GetValid()});
        Show(*m_list.get(), rows);
    }
}

void ListObiects::UpdateControls(const IFiguresTree& tree)
{
    m_tree.clear();
    for (const std::vector<IFigurePtr>& group : tree) {
        std::vector<IFigurePtr>& kept = m_tree.emplace_back();
        for (const IFigurePtr& figure : group) {
            if (figure)
                kept.push_back(figure);
        }
    }
    if (m_listOrGrid || !m_list)
        return;
    std::vector<Row> rows;
    for (const std::vector<IFigurePtr>& group : m_tree) {
        if (group.empty())
            continue;
        rows.push_back({group.front()->GetName(), AllChosen(group), false});
        if (group.size() < 2)
            continue;
        for (const IFigurePtr& figure : group)
            rows.push_back({kMemberIndent + figure->GetName(), figure->GetChoose(), !figure->GetValid()});
    }
    Show(*m_list.get(), rows);
}

bool ListObiects::TreeRow(int row, size_t& group, int& member) const
{
    if (row < 0)
        return false;
    size_t rows = 0;
    for (size_t g = 0; g < m_tree.size(); ++g) {
        const size_t n = m_tree[g].size();
        rows += RowsOf(m_tree[g]);
        if (rows > static_cast<size_t>(row)) {
            group = g;
            member = static_cast<int>(static_cast<size_t>(row) + n - rows);
            return true;
        }
    }
    return false;
}

template <class F>
void ListObiects::ForEachObject(F&& f) const
{
    if (Flat()) {
        for (const INObjectPtr& object : m_objects)
            f(*object.get());
        return;
    }
    for (const std::vector<IFigurePtr>& group : m_tree) {
        for (const IFigurePtr& figure : group)
            f(*figure.get());
    }
}

void ListObiects::GetSelectedObjects(std::vector<INObjectPtr>& objects) const
{
    if (!m_list)
        return;
    objects.clear();
    for (int row = 0; row < m_list->GetCount(); ++row) {
        if (!m_list->GetItemChecked(row))
            continue;
        if (Flat()) {
            // Rows past the last object belong to nothing.
            if (static_cast<size_t>(row) >= m_objects.size())
                break;
            objects.push_back(m_objects[static_cast<size_t>(row)]);
            continue;
        }
        size_t group = 0;
        int member = 0;
        if (!TreeRow(row, group, member))
            break;
        if (member >= 0)
            objects.emplace_back(m_tree[group][static_cast<size_t>(member)]);
    }
}

void ListObiects::InvertSelect(int reference)
{
    bool done = false;
    ForEachObject([&](INObject& object) {
        if (!done && object.CheckReference(reference)) {
            object.InvertChoose();
            done = true;
        }
    });
}

void ListObiects::SelectAll()
{
    ForEachObject([](INObject& object) {
        if (!object.GetChoose())
            object.Choose(true);
    });
}

void ListObiects::UnselectAll()
{
    ForEachObject([](INObject& object) { object.Choose(false); });
}

bool ListObiects::SelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select)
{
    if (!SameControl(ctrl, m_list))
        return false;
    if (Flat()) {
        if (index >= 0 && static_cast<size_t>(index) < m_objects.size())
            m_objects[static_cast<size_t>(index)]->Choose(select);
        return true;
    }
    size_t group = 0;
    int member = 0;
    if (!TreeRow(index, group, member))
        return true;
    if (member >= 0) {
        m_tree[group][static_cast<size_t>(member)]->Choose(select);
        return true;
    }
    for (const IFigurePtr& figure : m_tree[group])
        figure->Choose(select);
    return true;
}

bool ListObiects::ControlCommand(const vlapi::IPropertyControlPtr& ctrl, int) const
{
    return SameControl(ctrl, m_list);
}

bool ListObiects::CheckReference(int reference) const
{
    bool found = false;
    ForEachObject([&](INObject& object) { found = found || object.CheckReference(reference); });
    return found;
}

void ListObiects::SetEnable(bool enable)
{
    if (m_list)
        m_list->SetEnable(enable);
}

void ListObiects::SetVisible(bool visible)
{
    if (m_list)
        m_list->SetVisible(visible);
}

void ListObiects::SetCheckState(vlapi::CheckStateEnum state)
{
    if (m_list)
        m_list->SetCheckState(state);
}

vlapi::CheckStateEnum ListObiects::GetCheckState() const
{
    return m_list ? static_cast<vlapi::CheckStateEnum>(m_list->GetCheckState()) : vlapi::vlCheckUndefined;
}

void ListObiects::BeginEditItemName()
{
    if (!m_list || !Flat())
        return;
    for (size_t i = 0; i < m_objects.size(); ++i) {
        if (m_objects[i]->GetChoose()) {
            m_list->EditItem(static_cast<int>(i));
            return;
        }
    }
}

void ListObiects::EndEditItemName()
{
    if (!m_list || !Flat())
        return;
    for (int row = 0; row < m_list->GetCount() && static_cast<size_t>(row) < m_objects.size(); ++row) {
        if (m_list->GetItemChecked(row))
            m_objects[static_cast<size_t>(row)]->SetName(m_list->GetItemText(row));
    }
}
