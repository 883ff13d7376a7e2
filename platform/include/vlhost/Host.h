#pragma once
// The headless stand-in host as tests and scripts drive it: an application
// with its folders under a chosen root, documents built in code, the user's
// answers given in advance and what the host showed read back afterwards.
//
//   vlhost::Host host(folder);              // folders System, Libraries, Config under `folder`
//   vlapi::IApplication* app = host.Application();   // what the library gets at load time
//   auto doc = host.NewDrawing();           // active, with view 0 (layer 0) and one page
//   host.State().messageAnswers.push_back(1);
//   ... run library code ...
//   host.State().messages                   // every message box shown
//   vlhost::FailureScope off("IVarnelDocument2D::GetLayoutSheets");  // that call gives nothing
//
// A library is loaded, and the user played, through vlhost::Driver (Driver.h).
//
// Failure-switch names are "<Interface>::<Method>" of the host calls that give
// objects, lists or boxes (IApplication::GetActiveDocument, IViews::GetView,
// IDrawingContainer::GetObjects, IMacroObjects::AddMacro, IDrawingObjects::Add,
// IVarnelDocument2D::DecomposeObject, ITransferService::GetObject, ...), or an
// interface name ("IUserParameters", "IVarnelDocument2D") to refuse its queries.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "vlapi/vlapi.h"
#include "vlhost/Failures.h"
#include "vlhost/HostState.h"
#include "vlhost/Parts.h"

namespace vlhost {

class Application;
class Driver;

class Host {
 public:
  // Registers the application library "APP_Nesting" with resource module
  // "Nesting" (texts from the host's resource file) and file libNesting.so.
  explicit Host(const std::filesystem::path& root);
  // The application goes: a loaded library hears of it and is unloaded.
  ~Host();
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  vlapi::IApplication* Application() const;
  HostState& State();
  std::filesystem::path Folder(int kind) const;  // vlSystemPathTypeEnum

  // Opens a document file (made active); empty, with State().errorText, when it cannot be read.
  vlapi::IVarnelDocumentPtr Open(const std::filesystem::path& path, bool visible = true);
  vlapi::IVarnelDocument2DPtr NewDrawing(int type = vlapi::vlDocumentDrawing, bool visible = true);
  // A new 3D document; `Tree` gives its component tree to fill.
  vlapi::IVarnelDocument3DPtr NewDocument3D(int type = vlapi::vlDocumentAssembly, bool visible = true);
  static PartData* Tree(const vlapi::IVarnelDocument3DPtr& doc);

  // Curves that only a user draws: added to `container` (a view or a macro).
  // Angles in degrees; points as x0, y0, x1, y1, ...
  static vlapi::IDrawingObjectPtr AddEllipse(const vlapi::IDrawingContainerPtr& container, double cx, double cy,
                                             double a, double b, double rotation);
  static vlapi::IDrawingObjectPtr AddEllipseArc(const vlapi::IDrawingContainerPtr& container, double cx, double cy,
                                                double a, double b, double rotation, double start, double end,
                                                bool ccw);
  static vlapi::IDrawingObjectPtr AddBezier(const vlapi::IDrawingContainerPtr& container,
                                            const std::vector<double>& poles, int degree);
  static vlapi::IDrawingObjectPtr AddNurbsByPoints(const vlapi::IDrawingContainerPtr& container,
                                                   const std::vector<double>& points);
  static vlapi::IDrawingObjectPtr AddConic(const vlapi::IDrawingContainerPtr& container, double x1, double y1,
                                           double ax, double ay, double x2, double y2, double weight);

  // What the host recorded of a document and of its objects.
  static DocumentSwitches Switches(const vlapi::IVarnelDocument2DPtr& doc);
  static int UpdateCount(const vlapi::IVarnelDocument2DPtr& doc);  // updates of everything in it
  static int Updates(const vlapi::IAPIObjectPtr& object);          // updates of one object
  static int Refreshes(const vlapi::IVarnelDocument2DPtr& doc);
  static void SetProcessRunning(const vlapi::IVarnelDocument2DPtr& doc, bool running);
  // Event handlers registered with the host (under `owner`; empty: all).
  int HandlerCount(const std::wstring& owner = L"") const;

  // A wide text as UTF-8 bytes (for messages on a terminal).
  static std::string Utf8(const std::wstring& text);
  static std::wstring Wide(const std::string& utf8);

  // A picture of the document for a person to look at.
  static std::string Svg(const vlapi::IVarnelDocument2DPtr& doc);
  // A picture of a sketch's drawing (its objects alone).
  static std::string Svg(const vlapi::ISketchPtr& sketch);
  static bool WriteSvg(const vlapi::IVarnelDocument2DPtr& doc, const std::filesystem::path& path);

 private:
  friend class Driver;
  vlhost::Application* app_;
};

}  // namespace vlhost
