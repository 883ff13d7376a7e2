#pragma once
// The host application, its services, libraries, resources and references.
#include <cstdint>
#include <string>
#include <vector>

#include "vlapi/Forward.h"
#include "vlapi/ShellForward.h"
#include "vlapi/Types.h"

class MbRefItem;  // the geometric kernel's objects

namespace vlapi {

// The host's main window, as the host's own modules (the file converters) are given it.
struct MainWindow;
using WindowHandle = MainWindow*;

// Every host object that stands in a document or in the application.
struct IVarnelAPIObject : IAPIObject {
  virtual int GetAPIObjectType() = 0;  // VarnelAPIObjectTypeEnum
  // Applies the changes made to the object; getters never need it.
  virtual bool Update() = 0;
};

// Integer references of objects within a document. A document is named by its
// own reference, which no object of it shares. References are stable for the life of the object, and a
// document saved and opened again keeps the references of its objects.
struct ITransferService : IAPIObject {
  virtual int32_t GetReference(IAPIObject* object) = 0;  // 0 for none
  virtual IAPIObjectPtr GetObject(int32_t reference, int32_t documentReference) = 0;
  // The geometric kernel's object of a host object (mode 0): a body's solid,
  // a face's face. The host keeps it; hold it in an SPtr to keep it longer.
  // Null for objects without one.
  virtual MbRefItem* GetKernelObject(IAPIObject* object, int mode) = 0;
};

struct IApplication : IAPIObject {
  virtual IVarnelDocumentPtr GetActiveDocument() = 0;
  virtual IDocumentsPtr GetDocuments() = 0;
  virtual IApplicationServicesPtr GetApplicationServices() = 0;
  virtual ISystemSettingsPtr GetSystemSettings() = 0;
  virtual IApplicationDialogsPtr GetApplicationDialogs() = 0;
  virtual IVarnelErrorPtr GetLastError() = 0;
  virtual ILibraryManagerPtr GetLibraryManager() = 0;
  virtual IMath2DPtr GetMath2D() = 0;
  // The resource module of the application library `name` (its texts live in
  // the host's resource file "<name>" under the resources folder).
  virtual IResourcesModulePtr GetResourcesModule(const std::wstring& name) = 0;
  // A modal message box; `flags` carries the icon kind (vlMessageBoxFlags).
  // Returns the button the user pressed (1 for OK).
  virtual int MessageBox(const std::wstring& text, const std::wstring& caption, int flags, int param1,
                         int param2) = 0;
  // The progress bar of the main window: started with a text and a range,
  // moved to a position, stopped.
  virtual void StartProgressBar(const std::wstring& text, int range) = 0;
  virtual void SetProgressBarPosition(int position) = 0;
  virtual void StopProgressBar() = 0;
  // Switches the user's access to the application off (false) and on (true).
  virtual void EnableUserAccess(bool enable) = 0;
  // Handles the user-interface events waiting in the queue.
  virtual void ProcessPendingEvents() = 0;
  // New parameters for an interactive process (Process.h).
  virtual IProcessParamPtr CreateProcessParam() = 0;
  // The application's event source (Events.h).
  virtual IApplicationEventsPtr GetApplicationEvents() = 0;
  // The main window, which the host's file converters need (vlapi/Converter.h).
  virtual WindowHandle GetMainWindow() = 0;
};

struct IApplicationServices : IAPIObject {
  virtual std::wstring GetModuleFileName(IResourcesModule* module) = 0;
  virtual bool IsKeyDown(uint8_t virtualKey) = 0;  // held down at this moment
};

struct ISystemSettings : IAPIObject {
  virtual std::wstring GetSystemPath(int kind) = 0;  // vlSystemPathTypeEnum; empty when unknown
};

// Modal dialogs; a cancelled dialog gives an empty text or list.
struct IApplicationDialogs : IAPIObject {
  virtual std::wstring OpenFileDialog(int mode, const std::wstring& defaultExtension, const std::wstring& filters,
                                      const std::wstring& startDirectory, int options, bool preview) = 0;
  virtual std::vector<std::wstring> OpenFilesDialog(int mode, const std::wstring& defaultExtension,
                                                    const std::wstring& filters, const std::wstring& startDirectory,
                                                    int options, bool preview) = 0;
  virtual std::wstring ChooseFolderDialog(int mode, const std::wstring& startPath) = 0;
};

// The last error of a host call that failed (opening a file, ...).
struct IVarnelError : IAPIObject {
  virtual int GetCode() = 0;
  virtual void Clear() = 0;
  // Why it failed, as the host tells it; empty when it does not say.
  virtual std::wstring GetDescription() = 0;
};

// A string-resource module of one application library.
// A library records its resources with its module at load time: its cursors,
// its library id (the resource whose text names the library) with the ids of
// its menu entries (each entry runs the command of its id and is titled by
// that id's text), and the ids of its strings.
struct IResourcesModule : IAPIObject {
  virtual std::wstring GetName() = 0;
  virtual bool AddCursor(int id, const std::wstring& name) = 0;
  virtual bool AddLibraryId(int id, const std::vector<int>& entries) = 0;
  virtual bool AddString(int id) = 0;
};

struct IVarnelDictionary : IAPIObject {
  // The text of resource `id` of `module`; empty when there is none.
  virtual std::wstring GetString(int id, IResourcesModule* module) = 0;
};

struct ILibraryManager : IAPIObject {
  virtual IProceduresLibrariesPtr GetProceduresLibraries() = 0;
};

struct IProceduresLibraries : IAPIObject {
  virtual int GetCount() = 0;
  virtual IProceduresLibraryPtr GetItem(int index) = 0;
  // The library known by `name`, or whose menu title (the text of its library
  // id) is `name`.
  virtual IProceduresLibraryPtr GetLibrary(const std::wstring& name) = 0;
};

// An application library as the host knows it; it also answers ILibrary.
struct IProceduresLibrary : IAPIObject {
  virtual std::wstring GetName() = 0;
  // The icon font whose glyphs the library's tool-bar buttons show.
  virtual std::wstring GetFontName() = 0;
  virtual IVarnelDictionaryPtr GetDictionary() = 0;
  virtual bool ShowHelp(int topic) = 0;
};

struct ILibrary : IAPIObject {
  // Asks the host to run the library's command; `result` may receive an object.
  // A loaded library's command runs at once, inside this call; one asked for
  // a library that is not loaded is recorded.
  virtual bool RunCommand(int command, int mode, IVarnelAPIObjectPtr& result) = 0;
};

// Results of IMath2D::CalculateInertiaProperties.
struct IInertiaProperties : IVarnelAPIObject {
  virtual double GetArea() = 0;
  virtual double GetPerimeter() = 0;
  virtual double GetCenterX() = 0;
  virtual double GetCenterY() = 0;
};

struct IInertiaPropertiesCalculateParam : IVarnelAPIObject {
  virtual double GetDensity() = 0;
  virtual void SetDensity(double density) = 0;
};

struct IMath2D : IAPIObject {
  // Area (unsigned) and perimeter of the region the closed curves of `objects` bound.
  virtual bool CalculateInertiaProperties(const APIObjectList& objects, IInertiaProperties* result,
                                          IInertiaPropertiesCalculateParam* param) = 0;
};

}  // namespace vlapi

// The imported host function that gives the transfer service of the running host.
vlapi::ITransferServicePtr GetTransferService();
