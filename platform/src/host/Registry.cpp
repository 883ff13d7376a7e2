#include "host/Registry.h"

#include <algorithm>
#include <utility>

namespace vlhost {

const char* EventName(Event event) {
  switch (event) {
    case Event::CreateDocument: return "OnCreateDocument";
    case Event::OpenDocument: return "OnOpenDocument";
    case Event::BeginCloseAllDocument: return "OnBeginCloseAllDocument";
    case Event::ApplicationDestroy: return "OnApplicationDestroy";
    case Event::KeyDown: return "OnKeyDown";
    case Event::KeyUp: return "OnKeyUp";
    case Event::ObjectsMoved: return "OnObjectsMoved";
    case Event::ObjectsRotated: return "OnObjectsRotated";
    case Event::ObjectsCopied: return "OnObjectsCopied";
    case Event::CloseDocument: return "OnCloseDocument";
    case Event::Cursor: return "OnCursor";
    case Event::EndProcess: return "OnEndProcess";
    case Event::ButtonClick: return "OnButtonClick";
    case Event::ChangeControlValue: return "OnChangeControlValue";
    case Event::ControlCommand: return "OnControlCommand";
    case Event::ButtonUpdate: return "OnButtonUpdate";
    case Event::ProcessActivate: return "OnProcessActivate";
    case Event::ProcessDeactivate: return "OnProcessDeactivate";
    case Event::SelectItem: return "OnSelectItem";
    case Event::CheckItem: return "OnCheckItem";
    case Event::SelectCell: return "OnSelectCell";
    case Event::EditFocus: return "OnEditFocus";
    case Event::UserMenuCommand: return "OnUserMenuCommand";
    case Event::FillContextPanel: return "OnFillContextPanel";
    case Event::FillContextIconMenu: return "OnFillContextIconMenu";
    case Event::EndEditItem: return "OnEndEditItem";
    case Event::ChangeTabExpanded: return "OnChangeTabExpanded";
    case Event::DoubleClickItem: return "OnDoubleClickItem";
    case Event::GetContextMenuType: return "OnGetContextMenuType";
  }
  return "?";
}

int EventRegistry::Drop(const void* source, const std::wstring& owner) {
  int dropped = 0;
  for (const auto& e : entries_)
    if (e->source == source && e->owner == owner) {
      e->dropped = true;
      ++dropped;
    }
  std::erase_if(entries_, [](const EntryPtr& e) { return e->dropped; });
  return dropped;
}

int EventRegistry::DropSource(const void* source) {
  int dropped = 0;
  for (const auto& e : entries_)
    if (e->source == source) {
      e->dropped = true;
      ++dropped;
    }
  std::erase_if(entries_, [](const EntryPtr& e) { return e->dropped; });
  return dropped;
}

std::vector<EventRegistry::EntryPtr> EventRegistry::DropAll() {
  for (const auto& e : entries_) e->dropped = true;
  return std::exchange(entries_, {});
}

std::vector<EventRegistry::EntryPtr> EventRegistry::Of(const void* source, Event event) const {
  std::vector<EntryPtr> out;
  for (const auto& e : entries_)
    if (e->source == source && e->event == event) out.push_back(e);
  return out;
}

bool EventRegistry::Has(const void* source, Event event) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const EntryPtr& e) { return e->source == source && e->event == event; });
}

int EventRegistry::Count(const std::wstring& owner) const {
  return static_cast<int>(std::count_if(entries_.begin(), entries_.end(),
                                        [&](const EntryPtr& e) { return owner.empty() || e->owner == owner; }));
}

}  // namespace vlhost
