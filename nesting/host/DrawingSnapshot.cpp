#include "host/DrawingSnapshot.h"

#include "host/VarnelAPI_Detail.h"

#include <algorithm>
#include <array>

namespace {

constexpr int kSystemView = 0;
// The built-in properties a drawing may hold values of.
constexpr std::array<int, 3> kBuiltIn = {vlapi::vlPropertyDesignation, vlapi::vlPropertyName, vlapi::vlPropertyMaterial};

std::vector<vlapi::IViewPtr> ViewList(const vlapi::IVarnelDocument2DPtr& doc)
{
    std::vector<vlapi::IViewPtr> list;
    vrnApi::GetAllViews(doc, list);
    list.erase(std::remove_if(list.begin(), list.end(), [](const vlapi::IViewPtr& view) { return !view; }), list.end());
    return list;
}

std::vector<vlapi::ILayerPtr> LayerList(const vlapi::IViewPtr& view)
{
    std::vector<vlapi::ILayerPtr> list;
    vlapi::ILayersPtr layers = view->GetLayers();
    for (int i = 0; layers && i < layers->GetCount(); ++i) {
        if (vlapi::ILayerPtr layer{layers->GetItem(i)})
            list.push_back(layer);
    }
    return list;
}

// A temporary group holding `objects`; empty when the host makes none.
vlapi::IDrawingGroupPtr GroupOf(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& objects)
{
    vlapi::IDrawingGroupsPtr groups = doc->GetDrawingGroups();
    vlapi::IDrawingGroupPtr group = groups ? groups->Add(true, std::wstring()) : nullptr;
    if (group && !group->AddObjects(objects)) {
        hostAccess::ReleaseGroup(group);
        return nullptr;
    }
    return group;
}

// Copies of `objects` in `doc` standing in no view, in a group of their own;
// the objects themselves stay as they are.
vlapi::IDrawingGroupPtr CopiesOf(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::APIObjectList& objects)
{
    vlapi::IDrawingGroupPtr source = GroupOf(doc, objects);
    if (!source)
        return nullptr;
    vlapi::IDrawingGroupPtr copies = source->CopyToDocument(doc.get());
    hostAccess::ReleaseGroup(source);
    return copies;
}

// A long edit of `doc`, as every one: tree rebuilding off and one undo
// container open for its time, so that the user meets it as one step.
class LongEdit {
public:
    explicit LongEdit(vlapi::IVarnelDocument2DPtr doc) : m_doc(std::move(doc))
    {
        m_doc->SetTreeRebuild(false);
        m_doc->SetTreeUpdate(false);
        m_doc->SetUndoContainer(true);
    }
    ~LongEdit()
    {
        m_doc->SetUndoContainer(false);
        m_doc->SetTreeRebuild(true);
        m_doc->SetTreeUpdate(true);
    }
    LongEdit(const LongEdit&) = delete;
    LongEdit& operator=(const LongEdit&) = delete;

private:
    vlapi::IVarnelDocument2DPtr m_doc;
};

// Whether the host takes a group's objects back into `doc` (it is asked with
// an empty group): before a restore takes anything away, so that a drawing
// the copies could not go into keeps what it holds.
bool TakesObjectsBack(const vlapi::IVarnelDocument2DPtr& doc)
{
    vlapi::IDrawingGroupsPtr groups = doc->GetDrawingGroups();
    vlapi::IDrawingGroupPtr probe = groups ? groups->Add(true, std::wstring()) : nullptr;
    const bool stored = probe && probe->Store();
    hostAccess::ReleaseGroup(probe);
    return stored;
}

bool StillOpen(const vlapi::IVarnelDocument2DPtr& doc)
{
    vlapi::IDocumentsPtr documents = application ? application->GetDocuments() : nullptr;
    for (int i = 0; documents && i < documents->GetCount(); ++i) {
        if (hostAccess::SameObject(documents->GetItem(i), doc))
            return true;
    }
    return false;
}

}  // namespace

// The copies go with the groups that hold them, without a call into the host
// (the host may be gone by then).
DrawingSnapshot::~DrawingSnapshot() = default;

bool DrawingSnapshot::Take(const vlapi::IVarnelDocument2DPtr& doc)
{
    Drop();
    if (!vrnApi::detail::ViewsOf(doc))
        return false;
    vlapi::APIObjectList wholeViews;
    vlapi::APIObjectList systemObjects;
    for (const vlapi::IViewPtr& view : ViewList(doc)) {
        View state;
        state.number = view->GetNumber();
        state.name = view->GetName();
        state.x = view->GetX();
        state.y = view->GetY();
        state.scale = view->GetScale();
        for (const vlapi::ILayerPtr& layer : LayerList(view)) {
            state.layers.push_back({layer->GetNumber(), layer->GetName(), layer->GetColor(), layer->GetVisible()});
            if (layer->GetCurrent())
                state.currentLayer = layer->GetNumber();
        }
        for (const vlapi::IDrawingObjectPtr& object : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
            state.objects.push_back(hostAccess::ReferenceOf(object));
            if (state.number == kSystemView)
                systemObjects.emplace_back(object);
        }
        if (view->GetCurrent())
            m_currentView = state.number;
        if (state.number != kSystemView)
            wholeViews.emplace_back(view);
        m_views.push_back(std::move(state));
    }
    m_viewCopies = CopiesOf(doc, wholeViews);
    m_systemCopies = CopiesOf(doc, systemObjects);
    if (!m_viewCopies || !m_systemCopies) {
        Drop();
        return false;
    }

    vlapi::ILayoutSheetsPtr pages = doc->GetLayoutSheets();
    for (int i = 0; pages && i < pages->GetCount(); ++i) {
        vlapi::ILayoutSheetPtr page = pages->GetItem(i);
        if (!page)
            continue;
        Page state;
        if (vlapi::ISheetFormatPtr format = page->GetFormat()) {
            state.format = format->GetFormat();
            state.vertical = format->GetVertical();
            state.width = format->GetWidth();
            state.height = format->GetHeight();
        }
        state.style = page->GetStyleLibrary();
        state.styleNumber = page->GetStyleNumber();
        if (vlapi::IStampPtr stamp = page->GetStamp()) {
            for (int cell : stamp->GetCellNumbers()) {
                if (vlapi::ITextPtr text = stamp->GetCellText(cell))
                    state.cells[cell] = text->GetText();
            }
        }
        m_pages.push_back(std::move(state));
    }

    const vlapi::IPropertyKeeperPtr keeper(doc);
    if (vlapi::IPropertyMngPtr manager = doc->GetPropertyMng(); manager && keeper) {
        std::vector<vlapi::IPropertyPtr> properties;
        for (int id : kBuiltIn)
            properties.push_back(manager->GetBuiltInProperty(id));
        for (int i = 0; i < manager->GetCount(); ++i)
            properties.push_back(manager->GetItem(i));
        for (const vlapi::IPropertyPtr& property : properties) {
            if (!property)
                continue;
            Property state{property, false, {}};
            bool fromSource = false;
            state.held = keeper->GetPropertyValue(property.get(), state.value, false, fromSource);
            m_properties.push_back(std::move(state));
        }
    }
    m_doc = doc;
    return true;
}

void DrawingSnapshot::Drop()
{
    // The copies stand in no view: deleting the groups deletes them.
    if (m_viewCopies)
        m_viewCopies->Delete();
    if (m_systemCopies)
        m_systemCopies->Delete();
    m_viewCopies = nullptr;
    m_systemCopies = nullptr;
    m_doc = nullptr;
    m_views.clear();
    m_pages.clear();
    m_properties.clear();
    m_currentView = 0;
}

bool DrawingSnapshot::Restore(Moved& moved)
{
    moved.clear();
    if (!m_doc || !StillOpen(m_doc)) {
        Drop();
        return false;
    }
    const vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(m_doc);
    if (!views || !TakesObjectsBack(m_doc)) {
        Drop();
        return false;
    }
    const LongEdit edit(m_doc);
    bool whole = true;
    for (const vlapi::IViewPtr& view : ViewList(m_doc)) {
        if (view->GetNumber() != kSystemView)
            whole = view->Delete() && whole;
    }
    whole = RestoreSystemView(views) && whole;
    // The copies of the other views take their own numbers again, which no
    // view holds now.
    whole = m_viewCopies->Store() && whole;
    hostAccess::ReleaseGroup(m_viewCopies);
    m_viewCopies = nullptr;
    if (vlapi::IViewPtr current = views->GetView(m_currentView)) {
        current->SetCurrent(true);
        current->Update();
    }
    whole = RestorePages() && whole;
    RestoreProperties();
    MapReferences(views, moved);
    Drop();
    return whole;
}

bool DrawingSnapshot::RestoreSystemView(const vlapi::IViewsPtr& views)
{
    const vlapi::IViewPtr view = views->GetView(kSystemView);
    const auto state = std::find_if(m_views.begin(), m_views.end(), [](const View& v) { return v.number == kSystemView; });
    if (!view || state == m_views.end())
        return false;
    for (const vlapi::IDrawingObjectPtr& object : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view)))
        object->Delete();
    view->SetName(state->name);
    view->SetX(state->x);
    view->SetY(state->y);
    view->SetScale(state->scale);
    vlapi::ILayersPtr layers = view->GetLayers();
    if (layers) {
        for (const vlapi::ILayerPtr& layer : LayerList(view)) {
            const int number = layer->GetNumber();
            if (std::none_of(state->layers.begin(), state->layers.end(), [&](const Layer& l) { return l.number == number; }))
                layer->Delete();
        }
        for (const Layer& kept : state->layers) {
            vlapi::ILayerPtr layer = layers->GetLayer(kept.number);
            if (!layer && (layer = layers->Add()))
                layer->SetNumber(kept.number);
            if (!layer)
                continue;
            layer->SetName(kept.name);
            layer->SetColor(kept.color);
            layer->SetVisible(kept.visible);
            if (kept.number == state->currentLayer)
                layer->MakeCurrent();
            layer->Update();
        }
    }
    view->SetCurrent(true);
    view->Update();
    const bool stored = m_systemCopies->Store();
    hostAccess::ReleaseGroup(m_systemCopies);
    m_systemCopies = nullptr;
    return stored;
}

bool DrawingSnapshot::RestorePages()
{
    vlapi::ILayoutSheetsPtr pages = m_doc->GetLayoutSheets();
    if (!pages)
        return false;
    bool whole = true;
    while (pages->GetCount() > static_cast<int>(m_pages.size()) && whole) {
        vlapi::ILayoutSheetPtr last = pages->GetItem(pages->GetCount() - 1);
        whole = last && last->Delete();
    }
    while (pages->GetCount() < static_cast<int>(m_pages.size()) && whole)
        whole = static_cast<bool>(pages->Add());
    for (size_t i = 0; i < m_pages.size(); ++i) {
        vlapi::ILayoutSheetPtr page = pages->GetItem(static_cast<int>(i));
        if (!page) {
            whole = false;
            continue;
        }
        const Page& state = m_pages[i];
        if (vlapi::ISheetFormatPtr format = page->GetFormat()) {
            format->SetFormat(state.format);
            format->SetVertical(state.vertical);
            if (state.format == vlapi::vlFormatUser)
                format->SetUserSize(state.width, state.height);
        }
        page->SetStyleLibrary(state.style);
        page->SetStyleNumber(state.styleNumber);
        if (vlapi::IStampPtr stamp = page->GetStamp()) {
            // Every cell as it stood: the user's own cells too, and a cell
            // written since emptied again.
            for (int cell : stamp->GetCellNumbers()) {
                if (state.cells.count(cell) == 0) {
                    if (vlapi::ITextPtr cellText = stamp->GetCellText(cell))
                        cellText->SetText(std::wstring());
                }
            }
            for (const auto& [cell, text] : state.cells) {
                if (vlapi::ITextPtr cellText = stamp->GetCellText(cell))
                    cellText->SetText(text);
                else
                    whole = false;
            }
            stamp->Update();
        }
        page->Update();
    }
    return whole;
}

void DrawingSnapshot::RestoreProperties()
{
    const vlapi::IPropertyKeeperPtr keeper(m_doc);
    if (!keeper)
        return;
    for (const Property& state : m_properties) {
        vlapi::PropertyValue now;
        bool fromSource = false;
        const bool held = keeper->GetPropertyValue(state.property.get(), now, false, fromSource);
        if (state.held)
            keeper->SetPropertyValue(state.property.get(), state.value, false);
        else if (held)  // the empty value: none
            keeper->SetPropertyValue(state.property.get(), vlapi::PropertyValue(), false);
    }
}

void DrawingSnapshot::MapReferences(const vlapi::IViewsPtr& views, Moved& moved) const
{
    for (const View& state : m_views) {
        const vlapi::IViewPtr view = views->GetView(state.number);
        const vlapi::DrawingObjectList now = hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view));
        if (now.size() != state.objects.size())
            continue;
        for (size_t i = 0; i < now.size(); ++i) {
            const reference ref = hostAccess::ReferenceOf(now[i]);
            if (ref != state.objects[i])
                moved[state.objects[i]] = ref;
        }
    }
}
