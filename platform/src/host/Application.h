#pragma once
// The headless host application: documents, services, recorded user
// interaction and the host's folders under one root chosen by the caller.
#include <cstdint>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/Api.h"
#include "host/Shell.h"
#include "model/Document2D.h"
#include "vlhost/HostState.h"

namespace vlhost {

class Document3D;
class ResourceTexts;

class Application : public Api<NoCore, vlapi::IApplication, vlapi::IApplicationServices, vlapi::ISystemSettings,
                               vlapi::IApplicationDialogs, vlapi::IVarnelError, vlapi::ILibraryManager,
                               vlapi::IMath2D> {
 public:
  // The host's folders are made under `root`: System, Libraries, Config.
  explicit Application(const std::filesystem::path& root,
                       const std::filesystem::path& resources = DefaultResourceFolder());
  ~Application() override;
  static std::filesystem::path DefaultResourceFolder();
  // The application that GetTransferService() serves (the last one made).
  static Application* Current();
  // The living application whose main window `window` is, or null.
  static Application* OfWindow(vlapi::WindowHandle window);
  // Where the host's file converters are installed ("ImpExp/dxfExport.vcl", ...).
  std::filesystem::path ConverterPath(const std::string& name) const;

  HostState& State() { return state_; }
  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path Folder(int kind) const;

  // Application libraries: `library` is known by that name; its resource
  // module is `module`, its file `fileName` in the Libraries folder.
  void RegisterLibrary(const std::wstring& library, const std::wstring& module, const std::wstring& fileName);
  std::wstring ModuleFileName(const std::wstring& module) const;
  std::wstring LibraryFile(const std::wstring& library) const;
  std::wstring LibraryFont(const std::wstring& library) const;
  // Loading of libraries, events, processes and hot points.
  Shell& GetShell() { return *shell_; }
  std::wstring Text(const std::wstring& module, int id);

  // Documents.
  Ref<Document2D> NewDocument2D(int type = vlapi::vlDocumentDrawing, bool visible = true);
  Ref<Document3D> NewDocument3D(int type = vlapi::vlDocumentAssembly, bool visible = true);
  void Activate(vlapi::IVarnelDocument* document);
  void Closing(vlapi::IVarnelDocument* document);
  vlapi::IVarnelDocumentPtr Active() const;
  const std::vector<vlapi::IVarnelDocumentPtr>& Open() const { return documents_; }
  vlapi::IVarnelDocumentPtr FindByPath(const std::wstring& path) const;
  vlapi::IVarnelDocumentPtr OpenFile(const std::wstring& path, bool visible);
  vlapi::IVarnelDocumentPtr FindByReference(int32_t docRef) const;
  int32_t NewDocumentNumber() { return nextDocNumber_++; }
  void Fail(int code, const std::wstring& text);

  // The clipboard: copies of shapes that stand in no document.
  std::vector<Ref<Shape>>& Clipboard() { return clipboard_; }

  // vlapi::IApplication
  vlapi::IVarnelDocumentPtr GetActiveDocument() override;
  vlapi::IDocumentsPtr GetDocuments() override;
  vlapi::IApplicationServicesPtr GetApplicationServices() override;
  vlapi::ISystemSettingsPtr GetSystemSettings() override;
  vlapi::IApplicationDialogsPtr GetApplicationDialogs() override;
  vlapi::IVarnelErrorPtr GetLastError() override;
  vlapi::ILibraryManagerPtr GetLibraryManager() override;
  vlapi::IMath2DPtr GetMath2D() override;
  vlapi::IResourcesModulePtr GetResourcesModule(const std::wstring& name) override;
  int MessageBox(const std::wstring& text, const std::wstring& caption, int flags, int param1, int param2) override;
  void StartProgressBar(const std::wstring& text, int range) override;
  void SetProgressBarPosition(int position) override;
  void StopProgressBar() override;
  void EnableUserAccess(bool enable) override;
  // Delivers the user's actions a test or a script queued in State().pendingEvents.
  void ProcessPendingEvents() override;
  vlapi::IProcessParamPtr CreateProcessParam() override;
  vlapi::IApplicationEventsPtr GetApplicationEvents() override;
  vlapi::WindowHandle GetMainWindow() override;
  // vlapi::IApplicationServices
  std::wstring GetModuleFileName(vlapi::IResourcesModule* module) override;
  bool IsKeyDown(uint8_t key) override { return state_.keysDown.count(key) > 0; }
  // vlapi::ISystemSettings
  std::wstring GetSystemPath(int kind) override;
  // vlapi::IApplicationDialogs
  std::wstring OpenFileDialog(int mode, const std::wstring& ext, const std::wstring& filters,
                              const std::wstring& start, int options, bool preview) override;
  std::vector<std::wstring> OpenFilesDialog(int mode, const std::wstring& ext, const std::wstring& filters,
                                            const std::wstring& start, int options, bool preview) override;
  std::wstring ChooseFolderDialog(int mode, const std::wstring& start) override;
  // vlapi::IVarnelError
  int GetCode() override { return state_.errorCode; }
  void Clear() override { state_.errorCode = 0; state_.errorText.clear(); }
  std::wstring GetDescription() override { return state_.errorText; }
  // vlapi::ILibraryManager
  vlapi::IProceduresLibrariesPtr GetProceduresLibraries() override;
  // vlapi::IMath2D
  bool CalculateInertiaProperties(const vlapi::APIObjectList& objects, vlapi::IInertiaProperties* result,
                                  vlapi::IInertiaPropertiesCalculateParam* param) override;

 private:
  struct LibraryEntry {
    std::wstring module;
    std::wstring fileName;
  };
  void InstallConverters();

  std::unique_ptr<Shell> shell_;
  std::filesystem::path root_;
  std::filesystem::path resources_;
  HostState state_;
  std::vector<vlapi::IVarnelDocumentPtr> documents_;  // in order of activation, active last
  std::map<std::wstring, LibraryEntry> libraries_;
  std::map<std::wstring, std::map<int, std::wstring>> texts_;  // per module, loaded on first use
  std::vector<Ref<Shape>> clipboard_;
  int32_t nextDocNumber_ = 1;
};

}  // namespace vlhost
