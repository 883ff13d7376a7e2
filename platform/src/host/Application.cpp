#include "host/Application.h"

#include <algorithm>
#include <fstream>

#include "geom/Contour.h"
#include "host/Panel.h"
#include "vlapi/Runtime.h"
#include "io/Files.h"
#include "model/Document3D.h"
#include "model/Params.h"
#include "model3d/Part3D.h"

namespace vlhost {
namespace {

Application* current = nullptr;
std::vector<Application*> living;  // in order of making

class TransferService : public Api<NoCore, vlapi::ITransferService> {
 public:
  // Documents' references are negative and objects' positive (DocumentBase),
  // so the reference of an object never names its document instead.
  int32_t GetReference(vlapi::IAPIObject* object) override {
    if (!object || Failures::Instance().Fails("ITransferService::GetReference")) return 0;
    // Drawing objects first: they are asked for by the hundred thousand.
    if (Node* node = NodeOf(object)) return node->Alive() ? node->Reference() : 0;
    if (auto* doc = dynamic_cast<DocumentBase*>(object)) return doc->DocReference();
    return 0;
  }
  vlapi::IAPIObjectPtr GetObject(int32_t reference, int32_t documentReference) override {
    if (!current || reference == 0 || Failures::Instance().Fails("ITransferService::GetObject")) return {};
    auto* doc = dynamic_cast<Document2D*>(current->FindByReference(documentReference).get());
    if (!doc) return {};
    if (reference == doc->DocReference()) return vlapi::IAPIObjectPtr(static_cast<vlapi::IVarnelDocument2D*>(doc));
    Node* node = doc->Find(reference);
    return node ? node->Identity() : nullptr;
  }
  MbRefItem* GetKernelObject(vlapi::IAPIObject* object, int) override {
    auto* holder = dynamic_cast<KernelHolder*>(object);
    if (!holder || Failures::Instance().Fails("ITransferService::GetKernelObject")) return nullptr;
    return holder->KernelObject();
  }
};

class ResourcesModule : public Api<NoCore, vlapi::IResourcesModule> {
 public:
  ResourcesModule(Application* app, std::wstring name) : app_(app), name_(std::move(name)) {}
  std::wstring GetName() override { return name_; }
  bool AddCursor(int id, const std::wstring& cursor) override {
    Shell& shell = app_->GetShell();
    shell.Note("IResourcesModule::AddCursor(" + std::to_string(id) + ", " + Quote(cursor) + ")");
    shell.Module(name_).cursors.emplace_back(id, cursor);
    return true;
  }
  bool AddLibraryId(int id, const std::vector<int>& entries) override {
    Shell& shell = app_->GetShell();
    std::string list;
    for (int e : entries) list += (list.empty() ? "" : ", ") + std::to_string(e);
    shell.Note("IResourcesModule::AddLibraryId(" + std::to_string(id) + ", {" + list + "})");
    ModuleRecord& record = shell.Module(name_);
    record.libraryId = id;
    record.entries = entries;
    return true;
  }
  bool AddString(int id) override {
    ModuleRecord& record = app_->GetShell().Module(name_);
    // 248 of them: the transcript gets one line per block of consecutive ids.
    if (record.strings.empty() || record.strings.back() + 1 != id)
      app_->GetShell().Note("IResourcesModule::AddString(" + std::to_string(id) + ")");
    record.strings.push_back(id);
    return true;
  }

 private:
  Ref<Application> app_;
  std::wstring name_;
};

class ProceduresLibrary : public Api<NoCore, vlapi::IProceduresLibrary, vlapi::ILibrary, vlapi::IVarnelDictionary> {
 public:
  ProceduresLibrary(Application* app, std::wstring name) : app_(app), name_(std::move(name)) {}
  std::wstring GetName() override { return name_; }
  std::wstring GetFontName() override {
    if (Failures::Instance().Fails("IProceduresLibrary::GetFontName")) return {};
    return app_->LibraryFont(name_);
  }
  vlapi::IVarnelDictionaryPtr GetDictionary() override {
    return Give<vlapi::IVarnelDictionary>("IProceduresLibrary::GetDictionary", this);
  }
  bool ShowHelp(int topic) override {
    app_->State().helpTopics.push_back(topic);
    return true;
  }
  bool RunCommand(int command, int mode, vlapi::IVarnelAPIObjectPtr& result) override {
    result = nullptr;
    Shell& shell = app_->GetShell();
    shell.Note("ILibrary::RunCommand(" + std::to_string(command) + ", " + std::to_string(mode) + ")");
    return shell.RequestCommand(name_, command, mode);
  }
  std::wstring GetString(int id, vlapi::IResourcesModule* module) override {
    if (!module || Failures::Instance().Fails("IVarnelDictionary::GetString")) return {};
    return app_->Text(module->GetName(), id);
  }

 private:
  Ref<Application> app_;
  std::wstring name_;
};

class LibrariesApi : public Api<NoCore, vlapi::IProceduresLibraries> {
 public:
  LibrariesApi(Application* app, std::vector<std::wstring> names) : app_(app), names_(std::move(names)) {}
  int GetCount() override { return static_cast<int>(names_.size()); }
  vlapi::IProceduresLibraryPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return GetLibrary(names_[static_cast<std::size_t>(index)]);
  }
  // By the name the host knows, or by the library's menu title.
  vlapi::IProceduresLibraryPtr GetLibrary(const std::wstring& name) override {
    if (name.empty() || Failures::Instance().Fails("IProceduresLibraries::GetLibrary")) return {};
    for (const std::wstring& known : names_)
      if (known == name || app_->GetShell().TitleOf(known) == name)
        return Give<vlapi::IProceduresLibrary>(new ProceduresLibrary(app_.get(), known));
    return {};
  }

 private:
  Ref<Application> app_;
  std::vector<std::wstring> names_;
};

class DocumentsApi : public Api<NoCore, vlapi::IDocuments> {
 public:
  explicit DocumentsApi(Application* app) : app_(app) {}
  int GetCount() override { return static_cast<int>(app_->Open().size()); }
  vlapi::IVarnelDocumentPtr GetItem(int index) override {
    if (index < 0 || index >= GetCount()) return {};
    return app_->Open()[static_cast<std::size_t>(index)];
  }
  vlapi::IVarnelDocumentPtr FindDocument(const std::wstring& path) override {
    if (Failures::Instance().Fails("IDocuments::FindDocument")) return {};
    return app_->FindByPath(path);
  }
  vlapi::IVarnelDocumentPtr Open(const std::wstring& path, bool visible, int) override {
    if (Failures::Instance().Fails("IDocuments::Open")) return {};
    return app_->OpenFile(path, visible);
  }
  vlapi::IVarnelDocumentPtr Add(int type, bool visible) override {
    if (Failures::Instance().Fails("IDocuments::Add")) return {};
    if (type == vlapi::vlDocumentDrawing || type == vlapi::vlDocumentFragment)
      return vlapi::IVarnelDocumentPtr(static_cast<vlapi::IVarnelDocument2D*>(app_->NewDocument2D(type, visible).get()));
    if (type == vlapi::vlDocumentPart || type == vlapi::vlDocumentAssembly)
      return vlapi::IVarnelDocumentPtr(static_cast<vlapi::IVarnelDocument3D*>(app_->NewDocument3D(type, visible).get()));
    return {};
  }

 private:
  Ref<Application> app_;
};

template <class T>
T Next(std::deque<T>& answers, T otherwise) {
  if (answers.empty()) return otherwise;
  T answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

Application::Application(const std::filesystem::path& root, const std::filesystem::path& resources)
    : root_(root), resources_(resources) {
  std::error_code ec;
  for (int kind : {vlapi::vlSystemFiles, vlapi::vlApplications, vlapi::vlConfigurations})
    std::filesystem::create_directories(Folder(kind), ec);
  shell_ = std::make_unique<Shell>(*this);
  InstallConverters();
  current = this;
  living.push_back(this);
}

Application::~Application() {
  shell_.reset();
  for (const auto& doc : documents_)
    if (auto* base = dynamic_cast<DocumentBase*>(doc.get())) base->Orphan();
  if (current == this) current = nullptr;
  living.erase(std::remove(living.begin(), living.end(), this), living.end());
}

Application* Application::OfWindow(vlapi::WindowHandle window) {
  for (Application* app : living)
    if (reinterpret_cast<vlapi::WindowHandle>(app) == window) return app;
  return nullptr;
}

vlapi::WindowHandle Application::GetMainWindow() {
  if (Failures::Instance().Fails("IApplication::GetMainWindow")) return nullptr;
  return reinterpret_cast<vlapi::WindowHandle>(this);
}

std::filesystem::path Application::ConverterPath(const std::string& name) const {
  return Folder(vlapi::vlApplications) / "ImpExp" / name;
}

// The converters built with the host are linked into the folder of
// applications under the names libraries look for.
void Application::InstallConverters() {
#ifdef NESTING_HOST_CONVERTERS
  const std::filesystem::path built = NESTING_HOST_CONVERTERS;
  std::error_code ec;
  std::filesystem::create_directories(ConverterPath(""), ec);
  for (const char* kind : {"Export", "Import"}) {
    const std::filesystem::path source = built / (std::string("dxf") + kind + ".so");
    const std::filesystem::path target = ConverterPath(std::string("dxf") + kind + ".vcl");
    if (!std::filesystem::exists(source, ec)) continue;
    // A link left by an earlier host in the same folders is made anew; a real file stays.
    if (std::filesystem::is_symlink(target, ec)) std::filesystem::remove(target, ec);
    if (!std::filesystem::exists(std::filesystem::symlink_status(target, ec))) std::filesystem::create_symlink(source, target, ec);
  }
#endif
}

std::filesystem::path Application::DefaultResourceFolder() {
#ifdef NESTING_HOST_RESOURCES
  return NESTING_HOST_RESOURCES;
#else
  return "resources";
#endif
}

Application* Application::Current() { return current; }

std::filesystem::path Application::Folder(int kind) const {
  switch (kind) {
    case vlapi::vlSystemFiles: return root_ / "System";
    case vlapi::vlApplications:
    case vlapi::vlLibraries: return root_ / "Libraries";
    case vlapi::vlConfigurations: return root_ / "Config";
    default: return {};
  }
}

void Application::RegisterLibrary(const std::wstring& library, const std::wstring& module, const std::wstring& fileName) {
  libraries_[library] = {module, fileName};
}

std::wstring Application::LibraryFile(const std::wstring& library) const {
  auto it = libraries_.find(library);
  return it == libraries_.end() ? std::wstring() : it->second.fileName;
}

// The host gives each library an icon font named after its module.
std::wstring Application::LibraryFont(const std::wstring& library) const {
  auto it = libraries_.find(library);
  return it == libraries_.end() ? std::wstring() : it->second.module + L" Icons";
}

std::wstring Application::ModuleFileName(const std::wstring& module) const {
  for (const auto& [name, entry] : libraries_)
    if (entry.module == module) return WideOf(Folder(vlapi::vlApplications) / PathOf(entry.fileName));
  return {};
}

// The texts of a module: "<module>.txt" in the resources folder, one
// "<id><TAB><text>" per line, "\n" standing for a line break.
std::wstring Application::Text(const std::wstring& module, int id) {
  auto found = texts_.find(module);
  if (found == texts_.end()) {
    std::map<int, std::wstring> table;
    std::ifstream in(resources_ / (Utf8(module) + ".txt"));
    std::string line;
    while (std::getline(in, line)) {
      const std::size_t tab = line.find('\t');
      if (line.empty() || line[0] == '#' || tab == std::string::npos) continue;
      try {
        std::wstring text = Wide(line.substr(tab + 1));
        for (std::size_t at = text.find(L"\\n"); at != std::wstring::npos; at = text.find(L"\\n", at))
          text.replace(at, 2, L"\n");
        table[std::stoi(line.substr(0, tab))] = text;
      } catch (...) {
        continue;  // a line without a number is no resource
      }
    }
    found = texts_.emplace(module, std::move(table)).first;
  }
  auto it = found->second.find(id);
  return it == found->second.end() ? std::wstring() : it->second;
}

Ref<Document2D> Application::NewDocument2D(int type, bool visible) {
  Ref<Document2D> doc = Make<Document2D>(this, type, visible);
  Activate(doc.get());
  shell_->DocumentCreated(doc.get());
  return doc;
}

Ref<Document3D> Application::NewDocument3D(int type, bool visible) {
  Ref<Document3D> doc = Make<Document3D>(this, type, visible);
  Activate(doc.get());
  shell_->DocumentCreated(doc.get());
  return doc;
}

void Application::Activate(vlapi::IVarnelDocument* document) {
  vlapi::IVarnelDocumentPtr keep(document);
  documents_.erase(std::remove(documents_.begin(), documents_.end(), keep), documents_.end());
  documents_.push_back(keep);
  state_.peakOpenDocuments = std::max(state_.peakOpenDocuments, documents_.size());
}

void Application::Closing(vlapi::IVarnelDocument* document) {
  vlapi::IVarnelDocumentPtr keep(document);
  documents_.erase(std::remove(documents_.begin(), documents_.end(), keep), documents_.end());
}

vlapi::IVarnelDocumentPtr Application::Active() const {
  return documents_.empty() ? nullptr : documents_.back();
}

vlapi::IVarnelDocumentPtr Application::FindByPath(const std::wstring& path) const {
  if (path.empty()) return {};
  std::error_code ec;
  const auto wanted = std::filesystem::weakly_canonical(PathOf(path), ec);
  // Each document's canonical path was worked out when its path was set.
  for (const auto& doc : documents_) {
    const auto* base = dynamic_cast<const DocumentBase*>(doc.get());
    if (base && !base->Path().empty() && base->CanonicalPath() == wanted) return doc;
  }
  return {};
}

vlapi::IVarnelDocumentPtr Application::FindByReference(int32_t docRef) const {
  for (const auto& doc : documents_)
    if (auto* base = dynamic_cast<DocumentBase*>(doc.get()); base && base->DocReference() == docRef) return doc;
  return {};
}

vlapi::IVarnelDocumentPtr Application::OpenFile(const std::wstring& path, bool visible) {
  std::wstring error;
  vlapi::IVarnelDocumentPtr doc = ReadDocument(*this, path, visible, error);
  if (!doc) Fail(1, error);
  else shell_->DocumentOpened(doc.get());
  return doc;
}

void Application::Fail(int code, const std::wstring& text) {
  state_.errorCode = code;
  state_.errorText = text;
}

vlapi::IVarnelDocumentPtr Application::GetActiveDocument() {
  if (Failures::Instance().Fails("IApplication::GetActiveDocument")) return {};
  return Active();
}

vlapi::IDocumentsPtr Application::GetDocuments() {
  return Give<vlapi::IDocuments>("IApplication::GetDocuments", new DocumentsApi(this));
}

vlapi::IApplicationServicesPtr Application::GetApplicationServices() {
  return Give<vlapi::IApplicationServices>("IApplication::GetApplicationServices", this);
}

vlapi::ISystemSettingsPtr Application::GetSystemSettings() {
  return Give<vlapi::ISystemSettings>("IApplication::GetSystemSettings", this);
}

vlapi::IApplicationDialogsPtr Application::GetApplicationDialogs() {
  return Give<vlapi::IApplicationDialogs>("IApplication::GetApplicationDialogs", this);
}

vlapi::IVarnelErrorPtr Application::GetLastError() { return Give<vlapi::IVarnelError>("IApplication::GetLastError", this); }

vlapi::ILibraryManagerPtr Application::GetLibraryManager() {
  return Give<vlapi::ILibraryManager>("IApplication::GetLibraryManager", this);
}

vlapi::IMath2DPtr Application::GetMath2D() { return Give<vlapi::IMath2D>("IApplication::GetMath2D", this); }

vlapi::IResourcesModulePtr Application::GetResourcesModule(const std::wstring& name) {
  if (name.empty() || Failures::Instance().Fails("IApplication::GetResourcesModule")) return {};
  return Give<vlapi::IResourcesModule>(new ResourcesModule(this, name));
}

vlapi::IProcessParamPtr Application::CreateProcessParam() {
  if (Failures::Instance().Fails("IApplication::CreateProcessParam")) return {};
  shell_->Note("IApplication::CreateProcessParam()");
  return Give<vlapi::IProcessParam>(new ProcessParam(*shell_));
}

vlapi::IApplicationEventsPtr Application::GetApplicationEvents() {
  if (Failures::Instance().Fails("IApplication::GetApplicationEvents")) return {};
  return shell_->ApplicationEventsObject();
}

int Application::MessageBox(const std::wstring& text, const std::wstring& caption, int flags, int param1, int param2) {
  shell_->Note("IApplication::MessageBox(" + Quote(text) + ", " + Quote(caption) + ", " + std::to_string(flags) + ")");
  state_.messages.push_back({text, caption, flags, param1, param2});
  // Unanswered, a box takes its first button: OK, or Yes.
  return Next(state_.messageAnswers, (flags & vlapi::vlMBYesNo) != 0 ? int{vlapi::vlIDYes} : 1);
}

void Application::StartProgressBar(const std::wstring& text, int range) {
  state_.progress.shown = true;
  state_.progress.text = text;
  state_.progress.range = range;
  state_.progress.position = 0;
  ++state_.progress.starts;
  if (state_.progressWatch) state_.progressWatch(state_.progress);
}

void Application::SetProgressBarPosition(int position) {
  state_.progress.position = position;
  state_.progress.positions.push_back(position);
  if (state_.progressWatch) state_.progressWatch(state_.progress);
}

void Application::StopProgressBar() {
  state_.progress.shown = false;
  ++state_.progress.stops;
  if (state_.progressWatch) state_.progressWatch(state_.progress);
}

void Application::ProcessPendingEvents() {
  ++state_.access.pendingEventRuns;
  // What waits now; what these actions queue waits for the next call.
  std::deque<std::function<void()>> waiting;
  waiting.swap(state_.pendingEvents);
  if (!waiting.empty()) shell_->Record("host: " + std::to_string(waiting.size()) + " waiting user actions");
  for (auto& action : waiting)
    if (action) action();
}

void Application::EnableUserAccess(bool enable) {
  state_.access.enabled = enable;
  ++(enable ? state_.access.ons : state_.access.offs);
}

std::wstring Application::GetModuleFileName(vlapi::IResourcesModule* module) {
  return module ? ModuleFileName(module->GetName()) : std::wstring();
}

std::wstring Application::GetSystemPath(int kind) {
  if (Failures::Instance().Fails("ISystemSettings::GetSystemPath")) return {};
  return WideOf(Folder(kind));
}

std::wstring Application::OpenFileDialog(int, const std::wstring& ext, const std::wstring& filters,
                                         const std::wstring& start, int, bool preview) {
  state_.dialogs.push_back({"file", ext, filters, start, preview});
  return Next(state_.fileAnswers, std::wstring());
}

std::vector<std::wstring> Application::OpenFilesDialog(int, const std::wstring& ext, const std::wstring& filters,
                                                       const std::wstring& start, int, bool preview) {
  state_.dialogs.push_back({"files", ext, filters, start, preview});
  return Next(state_.filesAnswers, std::vector<std::wstring>());
}

std::wstring Application::ChooseFolderDialog(int, const std::wstring& start) {
  state_.dialogs.push_back({"folder", L"", L"", start, false});
  return Next(state_.folderAnswers, std::wstring());
}

vlapi::IProceduresLibrariesPtr Application::GetProceduresLibraries() {
  std::vector<std::wstring> names;
  for (const auto& [name, entry] : libraries_) names.push_back(name);
  return Give<vlapi::IProceduresLibraries>("ILibraryManager::GetProceduresLibraries", new LibrariesApi(this, names));
}

bool Application::CalculateInertiaProperties(const vlapi::APIObjectList& objects, vlapi::IInertiaProperties* result,
                                             vlapi::IInertiaPropertiesCalculateParam*) {
  auto* out = dynamic_cast<InertiaProperties*>(result);
  if (!out || Failures::Instance().Fails("IMath2D::CalculateInertiaProperties")) return false;
  std::vector<geom::Curve> curves;
  for (const auto& o : objects)
    if (Shape* s = ShapeOf(o.get()))
      for (const geom::Curve& c : s->Curves()) curves.push_back(c);
  double area = 0, perimeter = 0;
  for (const geom::Contour& contour : geom::chainContours(curves)) {
    perimeter += geom::length(contour);
    if (geom::isClosed(contour)) area += geom::area(contour);
  }
  out->area = area;
  out->perimeter = perimeter;
  return true;
}

}  // namespace vlhost

namespace {

vlapi::ITransferServicePtr ServeTransferService() {
  static vlhost::Ref<vlhost::TransferService> service = vlhost::Make<vlhost::TransferService>();
  return vlhost::Give<vlapi::ITransferService>(service.get());
}

// The stand-in host serves the SDK runtime's transfer service from the start.
const bool transferServiceRegistered = [] {
  vlapi::SetTransferServiceProvider(&ServeTransferService);
  return true;
}();

}  // namespace
