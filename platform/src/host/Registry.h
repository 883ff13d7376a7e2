#pragma once
// The one registry of event handlers for every event source of the host:
// handlers per source and event, in registration order, each under an owner
// key; a key is dropped per source.
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

namespace vlhost {

enum class Event {
  CreateDocument,
  OpenDocument,
  BeginCloseAllDocument,
  ApplicationDestroy,
  KeyDown,
  KeyUp,
  ObjectsMoved,
  ObjectsRotated,
  ObjectsCopied,
  CloseDocument,
  Cursor,
  EndProcess,
  ButtonClick,
  ChangeControlValue,
  ControlCommand,
  ButtonUpdate,
  ProcessActivate,
  ProcessDeactivate,
  SelectItem,
  CheckItem,
  SelectCell,
  EditFocus,
  UserMenuCommand,
  FillContextPanel,
  FillContextIconMenu,
  EndEditItem,
  ChangeTabExpanded,
  DoubleClickItem,
  GetContextMenuType,
};

const char* EventName(Event event);

class EventRegistry {
 public:
  struct Entry {
    const void* source = nullptr;
    std::string sourceName;
    Event event{};
    std::wstring owner;
    std::shared_ptr<void> handler;  // a std::function of the event's signature
    const std::type_info* type = nullptr;
    bool dropped = false;
  };
  using EntryPtr = std::shared_ptr<Entry>;

  template <class F>
  void Add(const void* source, const std::string& sourceName, Event event, const std::wstring& owner, F handler) {
    auto entry = std::make_shared<Entry>();
    entry->source = source;
    entry->sourceName = sourceName;
    entry->event = event;
    entry->owner = owner;
    entry->handler = std::make_shared<F>(std::move(handler));
    entry->type = &typeid(F);
    entries_.push_back(std::move(entry));
  }
  // Drops the handlers of `owner` on `source`; their number.
  int Drop(const void* source, const std::wstring& owner);
  // Drops every handler on `source` (the source is going); their number.
  int DropSource(const void* source);
  // Drops everything; the entries dropped.
  std::vector<EntryPtr> DropAll();
  // The live handlers of `event` on `source`, in registration order. A dispatch
  // walks this copy and skips the entries dropped meanwhile.
  std::vector<EntryPtr> Of(const void* source, Event event) const;
  bool Has(const void* source, Event event) const;
  int Count(const std::wstring& owner) const;  // empty owner: all
  const std::vector<EntryPtr>& All() const { return entries_; }

 private:
  std::vector<EntryPtr> entries_;
};

}  // namespace vlhost
