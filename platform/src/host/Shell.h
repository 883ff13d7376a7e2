#pragma once
// The host's side of an application library: loading it, its registrations
// and menu, the events it subscribes to, the running process and the hot
// points of a selected library object, with the transcript of every call
// between host and library.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/ShellTraits.h"
#include "host/Registry.h"
#include "vlapi/vlapi.h"
#include "vlhost/HostState.h"

namespace vlhost {

class Application;
class Document2D;
class Shape;
class Process;
class ProcessParam;

// What a library recorded with its resource module.
struct ModuleRecord {
  std::vector<std::pair<int, std::wstring>> cursors;
  int libraryId = 0;
  std::vector<int> entries;
  std::vector<int> strings;
};

// The callbacks a library registered.
struct LibraryCallbacks {
  vlapi::RunCommandCallback runCommand;
  vlapi::FillContextPanelCallback fillContextPanel;
  vlapi::LibCommandStateCallback commandState;
  vlapi::GetMenuIdCallback menuId;
  vlapi::LibObjInterfaceEntryCallback hotPoints;
  vlapi::LibObjInterfaceEntryCallback properties;
};

class Shell {
 public:
  explicit Shell(Application& app);
  ~Shell();
  Shell(const Shell&) = delete;
  Shell& operator=(const Shell&) = delete;

  Application& App() { return app_; }
  HostState& State();

  // Transcript.
  void Record(const std::string& line);
  void Note(const std::string& call) { Record(". " + call); }
  // Runs `body` as one call of the host into the library: recorded, with the
  // answer `body` gives as text (empty: none), and with any exception caught
  // and recorded as a fault. False when an exception was caught.
  template <class F>
  bool Into(const std::string& call, F&& body);

  // Handlers.
  EventRegistry& Registry() { return registry_; }
  template <class F>
  void AddHandler(const void* source, const std::string& sourceName, Event event, const std::wstring& owner,
                  F handler);
  void RemoveHandlers(const void* source, const std::string& sourceName, const std::wstring& owner);
  // Calls each live handler of `event` on `source`, in order: `call(handler)`
  // makes the call and gives its answer as text. The number of handlers called.
  template <class F, class Call>
  int Raise(const void* source, Event event, const std::string& args, Call&& call);

  // The library.
  bool Load(const std::filesystem::path& path, const std::wstring& name, const std::wstring& module,
            std::string& error);
  // A library linked into the host's own process.
  bool Attach(vlapi::LoadVarnelLibraryFunction load, vlapi::UnloadVarnelLibraryFunction unload,
              const std::wstring& name, const std::wstring& module, std::string& error);
  // Ends a running process, calls UnloadVarnelLibrary, reports and drops the
  // handlers left, lets go of the library's objects and closes the library.
  // Asked for under a call into the library (the user quit while it let the
  // host handle waiting events), it waits until the host is idle again
  // (UnloadWaits): the library's code is never taken away under it.
  void Unload();
  bool UnloadWaits() const { return unloadWaits_; }
  bool Loaded() const { return loaded_; }
  const std::wstring& LibraryName() const { return name_; }
  const std::wstring& ModuleName() const { return module_; }
  LibraryCallbacks& Callbacks() { return callbacks_; }
  ModuleRecord& Module(const std::wstring& module) { return modules_[module]; }
  const ModuleRecord* FindModule(const std::wstring& module) const;
  // The library's menu: its title and its entries (command ids).
  std::wstring MenuTitle();
  std::vector<int> MenuEntries() const;
  // The menu title of the library known by `name` ("" when none).
  std::wstring TitleOf(const std::wstring& name);
  // The user chooses command `command`: false, with the reason recorded, when
  // it is refused (not run).
  bool ChooseCommand(int command);
  // A library asked for command `command` of library `name` (ILibrary::RunCommand).
  bool RequestCommand(const std::wstring& name, int command, int mode);

  // The event sources handed to a library.
  vlapi::IApplicationEventsPtr ApplicationEventsObject();
  vlapi::IDrawingObjectEventsPtr ObjectEventsObject(Document2D& doc, const std::wstring& owner);
  vlapi::IVarnelDocumentEventsPtr DocumentEventsObject(Document2D& doc);
  void SetTypes(const Document2D& doc, const std::wstring& owner, const vlapi::TypeList& types);
  vlapi::TypeList TypesOf(const Document2D& doc, const std::wstring& owner) const;

  // Application events.
  const void* ApplicationSource() const { return &appSource_; }
  void DocumentCreated(vlapi::IVarnelDocument* document);
  void DocumentOpened(vlapi::IVarnelDocument* document);
  bool BeginCloseAll();  // false when a handler keeps the documents
  void Destroying();
  // A key goes down or up; the answer of the handlers (true when any took it).
  bool Key(bool down, int code, int flags);

  // Document events.
  void ObjectsChanged(Document2D& doc, Event event, const std::vector<Shape*>& shapes);
  // Raw: the objects as given, unfiltered.
  void RaiseObjects(Document2D& doc, Event event, const vlapi::DrawingObjectList& objects);
  void DocumentClosing(Document2D& doc);
  void DocumentGone(Document2D& doc);

  // Processes and panels made for the library: the host lets go of them when
  // it goes, whoever still holds them.
  void Adopt(Process* process) { processes_.push_back(process); }
  void Adopt(ProcessParam* param) { params_.push_back(param); }
  void Forget(Process* process) { std::erase(processes_, process); }
  void Forget(ProcessParam* param) { std::erase(params_, param); }

  // The running process.
  Process* Running() const { return running_; }
  void Started(Process* process);
  void Ended(Process* process);

  // Hot points of the selected library object.
  void RefreshHotPoints();
  const std::vector<vlapi::HotPoint>& HotPoints() const { return hotPoints_; }
  bool HasHotPointObject() const { return static_cast<bool>(hotPointObject_); }
  vlapi::IAPIObjectPtr PropertyObject() const { return propertyObject_; }
  // Drags hot point `index` through `steps` (macro coordinates); false, with
  // the reason recorded, when there is no such point.
  bool Drag(int index, const std::vector<std::pair<double, double>>& steps, bool success);
  const std::vector<std::wstring>& CursorTexts() const { return cursorTexts_; }

  // Text of a document and of objects for the transcript.
  static std::string Describe(vlapi::IAPIObject* object);
  void Refuse(const std::string& why);

 private:
  bool Start(void* handle, vlapi::LoadVarnelLibraryFunction load, vlapi::UnloadVarnelLibraryFunction unload,
             const std::wstring& name, const std::wstring& module, const std::string& file, std::string& error);
  void ReleaseLibraryObjects();
  void ListHotPoints();

  Application& app_;
  EventRegistry registry_;
  int depth_ = 0;
  bool unloadWaits_ = false;
  char appSource_ = 0;

  bool loaded_ = false;
  void* handle_ = nullptr;
  vlapi::UnloadVarnelLibraryFunction unload_ = nullptr;
  std::wstring name_;
  std::wstring module_;
  LibraryCallbacks callbacks_;
  std::map<std::wstring, ModuleRecord> modules_;
  int commandDepth_ = 0;
  std::map<std::pair<const Document2D*, std::wstring>, vlapi::TypeList> filters_;  // per document and owner

  std::vector<Process*> processes_;
  std::vector<ProcessParam*> params_;
  Process* running_ = nullptr;  // held by `runningRef_`
  vlapi::IAPIObjectPtr runningRef_;

  Shape* hotPointShape_ = nullptr;
  vlapi::IAPIObjectPtr hotPointSelected_;  // the selected macro (kept alive while its answers are)
  vlapi::IHotPointObjectPtr hotPointObject_;
  vlapi::IAPIObjectPtr hotPointAnswer_;
  vlapi::IAPIObjectPtr propertyObject_;
  std::vector<vlapi::HotPoint> hotPoints_;
  std::vector<std::wstring> cursorTexts_;
};

std::string Quote(const std::wstring& text);
std::string Number(double value);

template <class F>
bool Shell::Into(const std::string& call, F&& body) {
  Record("> " + call);
  ++depth_;
  std::string answer;
  bool ok = true;
  try {
    answer = body();
  } catch (const std::exception& e) {
    ok = false;
    answer.clear();
    State().faults.push_back("exception from " + call + ": " + e.what());
    Record("! exception: " + std::string(e.what()));
  } catch (...) {
    ok = false;
    answer.clear();
    State().faults.push_back("exception from " + call);
    Record("! exception");
  }
  --depth_;
  if (!answer.empty()) Record("< " + answer);
  return ok;
}

template <class F>
void Shell::AddHandler(const void* source, const std::string& sourceName, Event event, const std::wstring& owner,
                       F handler) {
  Note(sourceName + "::" + EventName(event) + "(" + Quote(owner) + ")");
  if (handler) registry_.Add(source, sourceName, event, owner, std::move(handler));
}

template <class F, class Call>
int Shell::Raise(const void* source, Event event, const std::string& args, Call&& call) {
  int called = 0;
  for (const auto& entry : registry_.Of(source, event)) {
    if (entry->dropped || *entry->type != typeid(F)) continue;
    F& handler = *static_cast<F*>(entry->handler.get());
    Into(std::string(EventName(event)) + "(" + args + ") [" + Quote(entry->owner) + "]",
         [&] { return call(handler); });
    ++called;
  }
  return called;
}

}  // namespace vlhost
