#include "host/Shell.h"

#include <dlfcn.h>

#include <algorithm>
#include <charconv>
#include <set>

#include "host/Application.h"
#include "host/Panel.h"
#include "io/Files.h"
#include "model/Document3D.h"
#include "model/Macro.h"

namespace vlhost {
namespace {

// A document's two event sources: addresses inside the document object, so
// that they name nothing else while it lives.
const void* ObjectSource(const Document2D& doc) { return reinterpret_cast<const char*>(&doc) + 1; }
const void* DocumentSource(const Document2D& doc) { return reinterpret_cast<const char*>(&doc) + 2; }

constexpr int kMaxNestedCommands = 8;
constexpr int kMaxHotPoints = 256;

std::string Flag(bool value) { return value ? "true" : "false"; }

class LibraryActions : public Api<NoCore, vlapi::IVarnelLibraryActions> {
 public:
  explicit LibraryActions(Shell& shell) : shell_(shell) {}
  bool RegisterRunCommand(vlapi::RunCommandCallback callback) override {
    return Keep("RunCommand", shell_.Callbacks().runCommand, std::move(callback));
  }
  bool RegisterFillContextPanel(vlapi::FillContextPanelCallback callback) override {
    return Keep("FillContextPanel", shell_.Callbacks().fillContextPanel, std::move(callback));
  }
  bool RegisterLibCommandState(vlapi::LibCommandStateCallback callback) override {
    return Keep("LibCommandState", shell_.Callbacks().commandState, std::move(callback));
  }
  bool RegisterGetMenuId(vlapi::GetMenuIdCallback callback) override {
    return Keep("GetMenuId", shell_.Callbacks().menuId, std::move(callback));
  }
  bool RegisterLibObjInterfaceEntry(int kind, vlapi::LibObjInterfaceEntryCallback callback) override {
    const std::string name = "LibObjInterfaceEntry(" + std::to_string(kind) + ")";
    if (kind == vlapi::vlLibObjHotPoints) return Keep(name, shell_.Callbacks().hotPoints, std::move(callback));
    if (kind == vlapi::vlLibObjProperties) return Keep(name, shell_.Callbacks().properties, std::move(callback));
    shell_.Note("IVarnelLibraryActions::Register" + name + ": unknown kind");
    return false;
  }

 private:
  template <class F>
  bool Keep(const std::string& name, F& slot, F callback) {
    shell_.Note("IVarnelLibraryActions::Register" + name);
    shell_.State().registrations.push_back(name);
    slot = std::move(callback);
    return static_cast<bool>(slot);
  }
  Shell& shell_;
};

class PressedKeys : public Api<NoCore, vlapi::IPressedKeys> {
 public:
  explicit PressedKeys(const std::set<uint8_t>& keys) : keys_(keys.begin(), keys.end()) {}
  bool IsKeyDown(int key) override { return std::binary_search(keys_.begin(), keys_.end(), key); }
  std::vector<int> GetKeys() override { return keys_; }

 private:
  std::vector<int> keys_;
};

class ApplicationEvents : public Api<NoCore, vlapi::IApplicationEvents> {
 public:
  explicit ApplicationEvents(Application* app) : app_(app) {}
  void OnCreateDocument(const std::wstring& owner, vlapi::DocumentHandler h) override {
    Add(Event::CreateDocument, owner, std::move(h));
  }
  void OnOpenDocument(const std::wstring& owner, vlapi::DocumentHandler h) override {
    Add(Event::OpenDocument, owner, std::move(h));
  }
  void OnBeginCloseAllDocument(const std::wstring& owner, vlapi::QueryHandler h) override {
    Add(Event::BeginCloseAllDocument, owner, std::move(h));
  }
  void OnApplicationDestroy(const std::wstring& owner, vlapi::NotifyHandler h) override {
    Add(Event::ApplicationDestroy, owner, std::move(h));
  }
  void OnKeyDown(const std::wstring& owner, vlapi::KeyHandler h) override { Add(Event::KeyDown, owner, std::move(h)); }
  void OnKeyUp(const std::wstring& owner, vlapi::KeyHandler h) override { Add(Event::KeyUp, owner, std::move(h)); }
  void RemoveHandlers(const std::wstring& owner) override {
    Shell& shell = app_->GetShell();
    shell.RemoveHandlers(shell.ApplicationSource(), "IApplicationEvents", owner);
  }

 private:
  template <class F>
  void Add(Event event, const std::wstring& owner, F handler) {
    Shell& shell = app_->GetShell();
    shell.AddHandler(shell.ApplicationSource(), "IApplicationEvents", event, owner, std::move(handler));
  }
  Ref<Application> app_;
};

class DrawingObjectEvents : public Api<NoCore, vlapi::IDrawingObjectEvents> {
 public:
  DrawingObjectEvents(Document2D* doc, std::wstring owner) : doc_(doc), owner_(std::move(owner)) {}
  void SetTypes(const vlapi::TypeList& types) override {
    if (Shell* shell = ShellOf()) {
      std::string list;
      for (int t : types) list += (list.empty() ? "" : ", ") + std::to_string(t);
      shell->Note("IDrawingObjectEvents::SetTypes({" + list + "}) [" + Quote(owner_) + "]");
      shell->SetTypes(*doc_, owner_, types);
    }
  }
  vlapi::TypeList GetTypes() override {
    Shell* shell = ShellOf();
    return shell ? shell->TypesOf(*doc_, owner_) : vlapi::TypeList{vlapi::vlAllObj};
  }
  void OnObjectsMoved(vlapi::ObjectsHandler h) override { Add(Event::ObjectsMoved, std::move(h)); }
  void OnObjectsRotated(vlapi::ObjectsHandler h) override { Add(Event::ObjectsRotated, std::move(h)); }
  void OnObjectsCopied(vlapi::ObjectsHandler h) override { Add(Event::ObjectsCopied, std::move(h)); }
  void RemoveHandlers() override {
    if (Shell* shell = ShellOf()) shell->RemoveHandlers(ObjectSource(*doc_), "IDrawingObjectEvents", owner_);
  }

 private:
  Shell* ShellOf() const { return doc_->App() ? &doc_->App()->GetShell() : nullptr; }
  void Add(Event event, vlapi::ObjectsHandler handler) {
    if (Shell* shell = ShellOf())
      shell->AddHandler(ObjectSource(*doc_), "IDrawingObjectEvents", event, owner_, std::move(handler));
  }
  Ref<Document2D> doc_;
  std::wstring owner_;
};

class DocumentEvents : public Api<NoCore, vlapi::IVarnelDocumentEvents> {
 public:
  explicit DocumentEvents(Document2D* doc) : doc_(doc) {}
  void OnCloseDocument(const std::wstring& owner, vlapi::NotifyHandler h) override {
    if (Shell* shell = ShellOf())
      shell->AddHandler(DocumentSource(*doc_), "IVarnelDocumentEvents", Event::CloseDocument, owner, std::move(h));
  }
  void RemoveHandlers(const std::wstring& owner) override {
    if (Shell* shell = ShellOf()) shell->RemoveHandlers(DocumentSource(*doc_), "IVarnelDocumentEvents", owner);
  }

 private:
  Shell* ShellOf() const { return doc_->App() ? &doc_->App()->GetShell() : nullptr; }
  Ref<Document2D> doc_;
};

std::string ObjectsText(const vlapi::DrawingObjectList& objects) {
  std::string text;
  for (const auto& o : objects) text += (text.empty() ? "" : ", ") + Shell::Describe(o.get());
  return "[" + text + "]";
}

}  // namespace

std::string Quote(const std::wstring& text) {
  std::string out = "\"";
  for (char c : Utf8(text)) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string Number(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

Shell::Shell(Application& app) : app_(app) {}

Shell::~Shell() {
  Unload();
  if (running_) running_->End("the application goes");
  for (Process* p : std::vector<Process*>(processes_)) p->Detach();
  for (ProcessParam* p : std::vector<ProcessParam*>(params_)) p->Detach();
  registry_.DropAll();
}

HostState& Shell::State() { return app_.State(); }

void Shell::Record(const std::string& line) {
  State().transcript.push_back(std::string(static_cast<std::size_t>(2 * depth_), ' ') + line);
}

void Shell::RemoveHandlers(const void* source, const std::string& sourceName, const std::wstring& owner) {
  const int dropped = registry_.Drop(source, owner);
  Note(sourceName + "::RemoveHandlers(" + Quote(owner) + ") = " + std::to_string(dropped));
}

void Shell::Refuse(const std::string& why) {
  State().refusals.push_back(why);
  Record("refused: " + why);
}

std::string Shell::Describe(vlapi::IAPIObject* object) {
  if (!object) return "none";
  if (auto* doc = dynamic_cast<DocumentBase*>(object)) {
    static const char* kinds[] = {"document", "drawing", "fragment", "document", "part", "assembly"};
    const int type = doc->DocType();
    std::string text = (type >= 0 && type <= 5 ? kinds[type] : "document") + std::string(" #") +
                       std::to_string(doc->DocNumber());
    if (!doc->Path().empty()) text += " " + Quote(WideOf(PathOf(doc->Path()).filename()));
    return text;
  }
  if (auto* macro = dynamic_cast<MacroObject*>(object))
    return "macro #" + std::to_string(macro->Reference()) + (macro->name.empty() ? "" : " " + Quote(macro->name));
  if (Shape* shape = ShapeOf(object)) return "object " + std::to_string(shape->Type()) + " #" + std::to_string(shape->Reference());
  if (ControlCore* control = ControlOfObject(object)) return control->Label();
  return "object";
}

// --- The library ---------------------------------------------------------------

bool Shell::Load(const std::filesystem::path& path, const std::wstring& name, const std::wstring& module,
                 std::string& error) {
  if (loaded_) {
    error = "a library is loaded already: " + Utf8(name_);
    return false;
  }
  std::error_code ec;
  const std::filesystem::path file = std::filesystem::absolute(path, ec);
  if (!std::filesystem::is_regular_file(file, ec)) {
    error = "no library file " + path.string();
    return false;
  }
  dlerror();
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = "cannot open the library " + file.string() + ": " + (why ? why : "unknown reason");
    return false;
  }
  auto load = reinterpret_cast<vlapi::LoadVarnelLibraryFunction>(dlsym(handle, "LoadVarnelLibrary"));
  auto unload = reinterpret_cast<vlapi::UnloadVarnelLibraryFunction>(dlsym(handle, "UnloadVarnelLibrary"));
  if (!load || !unload) {
    error = file.string() + " exports no " + (load ? "UnloadVarnelLibrary" : "LoadVarnelLibrary");
    dlclose(handle);
    return false;
  }
  return Start(handle, load, unload, name, module, file.string(), error);
}

bool Shell::Attach(vlapi::LoadVarnelLibraryFunction load, vlapi::UnloadVarnelLibraryFunction unload,
                   const std::wstring& name, const std::wstring& module, std::string& error) {
  if (loaded_) {
    error = "a library is loaded already: " + Utf8(name_);
    return false;
  }
  if (!load || !unload) {
    error = "a library without entry points";
    return false;
  }
  return Start(nullptr, load, unload, name, module, "", error);
}

bool Shell::Start(void* handle, vlapi::LoadVarnelLibraryFunction load, vlapi::UnloadVarnelLibraryFunction unload,
                  const std::wstring& name, const std::wstring& module, const std::string& file, std::string& error) {
  handle_ = handle;
  unload_ = unload;
  name_ = name;
  module_ = module;
  loaded_ = true;
  callbacks_ = {};
  modules_.erase(module);
  State().registrations.clear();
  const std::wstring fileName = file.empty() ? app_.LibraryFile(name) : Wide(file);
  app_.RegisterLibrary(name, module, fileName.empty() ? name : fileName);

  Ref<LibraryActions> actions = Make<LibraryActions>(*this);
  bool answer = false;
  const bool clean = Into("LoadVarnelLibrary", [&] {
    answer = load(&app_, actions.get());
    return Flag(answer);
  });
  if (clean && answer) return true;
  error = "LoadVarnelLibrary of " + (file.empty() ? Utf8(name) : file) +
          (clean ? " answered false" : " threw: " + State().faults.back());
  unload_ = nullptr;  // a library that did not load is not unloaded, only closed
  Unload();
  return false;
}

void Shell::Unload() {
  if (!loaded_) return;
  if (depth_ > 0) {
    if (!unloadWaits_) Record("host: the library is unloaded once the host is idle");
    unloadWaits_ = true;
    return;
  }
  unloadWaits_ = false;
  if (running_) running_->End("the library is unloaded");
  ReleaseLibraryObjects();
  if (unload_) Into("UnloadVarnelLibrary", [&] {
      unload_();
      return std::string();
    });
  // Whatever the library left must go before its code does.
  std::vector<EventRegistry::EntryPtr> left = registry_.DropAll();
  for (const auto& e : left) {
    const std::string line = e->sourceName + "::" + EventName(e->event) + " [" + Quote(e->owner) + "]";
    State().handlersLeft.push_back(line);
    Record("! handler left: " + line);
  }
  left.clear();
  callbacks_ = {};
  loaded_ = false;
  unload_ = nullptr;
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
}

void Shell::ReleaseLibraryObjects() {
  hotPointObject_ = nullptr;
  hotPointAnswer_ = nullptr;
  propertyObject_ = nullptr;
  hotPointSelected_ = nullptr;
  hotPointShape_ = nullptr;
  hotPoints_.clear();
}

const ModuleRecord* Shell::FindModule(const std::wstring& module) const {
  auto it = modules_.find(module);
  return it == modules_.end() ? nullptr : &it->second;
}

std::wstring Shell::MenuTitle() {
  int id = 0;
  if (const ModuleRecord* record = FindModule(module_)) id = record->libraryId;
  if (loaded_ && callbacks_.menuId) Into("GetMenuId()", [&] {
      id = callbacks_.menuId();
      return std::to_string(id);
    });
  return id ? app_.Text(module_, id) : std::wstring();
}

std::vector<int> Shell::MenuEntries() const {
  const ModuleRecord* record = FindModule(module_);
  return record ? record->entries : std::vector<int>{};
}

std::wstring Shell::TitleOf(const std::wstring& name) {
  if (!loaded_ || name != name_) return {};
  const ModuleRecord* record = FindModule(module_);
  return record && record->libraryId ? app_.Text(module_, record->libraryId) : std::wstring();
}

bool Shell::ChooseCommand(int command) {
  Record("user: command " + std::to_string(command));
  if (!loaded_) {
    Refuse("no library is loaded");
    return false;
  }
  if (callbacks_.commandState) {
    bool enable = true;
    int checked = 0;
    std::wstring reason;
    bool answered = false;
    Into("LibCommandState(" + std::to_string(command) + ")", [&] {
      answered = callbacks_.commandState(command, enable, checked, reason);
      return answered ? "true enable " + Flag(enable) + " checked " + std::to_string(checked) +
                            (reason.empty() ? "" : " " + Quote(reason))
                      : std::string("false");
    });
    if (answered && !enable) {
      Refuse("command " + std::to_string(command) + " is disabled" + (reason.empty() ? "" : ": " + Utf8(reason)));
      return false;
    }
  }
  if (running_) running_->End("another command is chosen");
  if (!callbacks_.runCommand) {
    Refuse("the library registered no RunCommand");
    return false;
  }
  RequestCommand(name_, command, 0);  // run: its answer is the library's business
  return true;
}

bool Shell::RequestCommand(const std::wstring& name, int command, int mode) {
  if (!loaded_ || name != name_) {
    State().commandQueue.push_back(command);
    return true;
  }
  if (!callbacks_.runCommand) {
    Refuse("the library registered no RunCommand");
    return false;
  }
  if (commandDepth_ >= kMaxNestedCommands) {
    State().faults.push_back("command " + std::to_string(command) + " asked for " +
                             std::to_string(kMaxNestedCommands) + " commands deep: not run");
    Record("! command " + std::to_string(command) + " not run: commands nested too deep");
    return false;
  }
  ++commandDepth_;
  bool answer = false;
  Into("RunCommand(" + std::to_string(command) + ", " + std::to_string(mode) + ")", [&] {
    answer = callbacks_.runCommand(command, mode);
    return Flag(answer);
  });
  --commandDepth_;
  return answer;
}

// --- Application and document events --------------------------------------------

vlapi::IApplicationEventsPtr Shell::ApplicationEventsObject() {
  return Give<vlapi::IApplicationEvents>(new ApplicationEvents(&app_));
}

vlapi::IDrawingObjectEventsPtr Shell::ObjectEventsObject(Document2D& doc, const std::wstring& owner) {
  return Give<vlapi::IDrawingObjectEvents>(new DrawingObjectEvents(&doc, owner));
}

vlapi::IVarnelDocumentEventsPtr Shell::DocumentEventsObject(Document2D& doc) {
  return Give<vlapi::IVarnelDocumentEvents>(new DocumentEvents(&doc));
}

void Shell::SetTypes(const Document2D& doc, const std::wstring& owner, const vlapi::TypeList& types) {
  filters_[{&doc, owner}] = types;
}

vlapi::TypeList Shell::TypesOf(const Document2D& doc, const std::wstring& owner) const {
  auto it = filters_.find({&doc, owner});
  return it == filters_.end() ? vlapi::TypeList{vlapi::vlAllObj} : it->second;
}

void Shell::DocumentCreated(vlapi::IVarnelDocument* document) {
  vlapi::IVarnelDocumentPtr doc(document);
  Raise<vlapi::DocumentHandler>(ApplicationSource(), Event::CreateDocument, Describe(document), [&](auto& h) {
    h(doc);
    return std::string();
  });
}

void Shell::DocumentOpened(vlapi::IVarnelDocument* document) {
  vlapi::IVarnelDocumentPtr doc(document);
  Raise<vlapi::DocumentHandler>(ApplicationSource(), Event::OpenDocument, Describe(document), [&](auto& h) {
    h(doc);
    return std::string();
  });
}

bool Shell::BeginCloseAll() {
  bool go = true;
  Raise<vlapi::QueryHandler>(ApplicationSource(), Event::BeginCloseAllDocument, "", [&](auto& h) {
    const bool answer = h();
    go = go && answer;
    return Flag(answer);
  });
  return go;
}

void Shell::Destroying() {
  Raise<vlapi::NotifyHandler>(ApplicationSource(), Event::ApplicationDestroy, "", [&](auto& h) {
    h();
    return std::string();
  });
}

bool Shell::Key(bool down, int code, int flags) {
  vlapi::IPressedKeysPtr keys = Give<vlapi::IPressedKeys>(new PressedKeys(State().keysDown));
  bool taken = false;
  Raise<vlapi::KeyHandler>(ApplicationSource(), down ? Event::KeyDown : Event::KeyUp,
                           std::to_string(code) + ", " + std::to_string(flags), [&](auto& h) {
                             int key = code;
                             const bool answer = h(key, flags, keys);
                             taken = taken || answer;
                             return Flag(answer) + (key != code ? " key " + std::to_string(key) : "");
                           });
  return taken;
}

void Shell::ObjectsChanged(Document2D& doc, Event event, const std::vector<Shape*>& shapes) {
  const void* source = ObjectSource(doc);
  if (shapes.empty() || !registry_.Has(source, event)) return;
  for (const auto& entry : registry_.Of(source, event)) {
    if (entry->dropped || *entry->type != typeid(vlapi::ObjectsHandler)) continue;
    const vlapi::TypeList types = TypesOf(doc, entry->owner);
    vlapi::DrawingObjectList objects;
    for (Shape* s : shapes)
      if (s->Alive() && TypeMatches(*s, types)) objects.emplace_back(s->Identity());
    if (objects.empty()) continue;
    auto& handler = *static_cast<vlapi::ObjectsHandler*>(entry->handler.get());
    Into(std::string(EventName(event)) + "(" + ObjectsText(objects) + ") [" + Quote(entry->owner) + "]",
         [&] { return Flag(handler(objects)); });
  }
}

void Shell::RaiseObjects(Document2D& doc, Event event, const vlapi::DrawingObjectList& objects) {
  Raise<vlapi::ObjectsHandler>(ObjectSource(doc), event, ObjectsText(objects),
                               [&](auto& h) { return Flag(h(objects)); });
}

void Shell::DocumentClosing(Document2D& doc) {
  // The closing is announced first, then the document's process ends: its
  // library hears why the process ends.
  Raise<vlapi::NotifyHandler>(DocumentSource(doc), Event::CloseDocument,
                              Describe(static_cast<vlapi::IVarnelDocument2D*>(&doc)), [&](auto& h) {
    h();
    return std::string();
  });
  if (running_ && running_->Doc() == &doc) running_->End("its document closes");
}

void Shell::DocumentGone(Document2D& doc) {
  registry_.DropSource(ObjectSource(doc));
  registry_.DropSource(DocumentSource(doc));
  std::erase_if(filters_, [&](const auto& f) { return f.first.first == &doc; });
  if (hotPointShape_ && hotPointShape_->Doc() == &doc) ReleaseLibraryObjects();
}

// --- Processes --------------------------------------------------------------------

void Shell::Started(Process* process) {
  if (running_ && running_ != process) running_->End("another process starts");
  running_ = process;
  runningRef_ = vlapi::IAPIObjectPtr(static_cast<vlapi::IProcess*>(process));
}

void Shell::Ended(Process* process) {
  if (running_ != process) return;
  running_ = nullptr;
  runningRef_ = nullptr;  // may let the process go: callers hold it meanwhile
}

// --- Hot points ---------------------------------------------------------------------

void Shell::RefreshHotPoints() {
  Shape* selected = nullptr;
  if (loaded_ && callbacks_.hotPoints) {
    auto* doc = dynamic_cast<Document2D*>(app_.Active().get());
    if (doc && doc->Selection().size() == 1) {
      auto* macro = dynamic_cast<MacroObject*>(doc->Selection().front().get());
      if (macro && macro->Alive() && !macro->user.moduleName.empty() &&
          macro->user.moduleName == app_.ModuleFileName(module_))
        selected = macro;
    }
  }
  if (selected && selected == hotPointShape_ && selected->Alive()) return;
  if (hotPointShape_) Record("hot points released");
  ReleaseLibraryObjects();
  if (!selected) return;
  hotPointShape_ = selected;
  hotPointSelected_ = selected->Identity();
  const vlapi::IVarnelAPIObjectPtr object(hotPointSelected_);
  const std::string what = Describe(hotPointSelected_.get());
  Into("LibObjInterfaceEntry(hot points, " + what + ")", [&] {
    hotPointAnswer_ = callbacks_.hotPoints(object);
    return std::string(hotPointAnswer_ ? "object" : "none");
  });
  if (callbacks_.properties) Into("LibObjInterfaceEntry(properties, " + what + ")", [&] {
      propertyObject_ = callbacks_.properties(object);
      return std::string(propertyObject_ ? "object" : "none");
    });
  hotPointObject_ = vlapi::IHotPointObjectPtr(hotPointAnswer_);
  ListHotPoints();
}

void Shell::ListHotPoints() {
  hotPoints_.clear();
  if (!hotPointObject_) return;
  for (int i = 0; i < kMaxHotPoints; ++i) {
    vlapi::HotPoint point;
    bool more = false;
    Into("IHotPointObject::Get(" + std::to_string(i) + ")", [&] {
      more = hotPointObject_->Get(i, point);
      return more ? "true (" + Number(point.x) + ", " + Number(point.y) + ") " + Quote(point.text) + " cursor " +
                        std::to_string(point.cursorId)
                  : std::string("false");
    });
    if (!more) break;
    hotPoints_.push_back(point);
  }
}

bool Shell::Drag(int index, const std::vector<std::pair<double, double>>& steps, bool success) {
  Record("user: drag hot point " + std::to_string(index));
  if (!hotPointObject_) {
    Refuse("no selected object shows hot points");
    return false;
  }
  if (index < 0 || index >= static_cast<int>(hotPoints_.size())) {
    Refuse("no hot point " + std::to_string(index));
    return false;
  }
  vlapi::IHotPointObjectPtr object = hotPointObject_;  // the drag may change the selection
  const std::string i = std::to_string(index);
  cursorTexts_.clear();
  Into("IHotPointObject::BeginDrag(" + i + ")", [&] { return Flag(object->BeginDrag(index)); });
  for (const auto& [x, y] : steps) {
    Into("IHotPointObject::Set(" + i + ", " + Number(x) + ", " + Number(y) + ")",
         [&, x = x, y = y] { return Flag(object->Set(index, x, y)); });
    std::wstring text;
    Into("IHotPointObject::GetCursorText(" + i + ")", [&] {
      text = object->GetCursorText(index);
      return Quote(text);
    });
    cursorTexts_.push_back(text);
  }
  Into("IHotPointObject::EndDrag(" + i + ", " + Flag(success) + ")",
       [&] { return Flag(object->EndDrag(index, success)); });
  if (object == hotPointObject_) ListHotPoints();
  return true;
}

}  // namespace vlhost
