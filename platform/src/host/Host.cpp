#include "vlhost/Host.h"

#include "host/Application.h"
#include "io/Files.h"
#include "model/Document3D.h"
#include "model/Shapes.h"
#include "model3d/Part3D.h"

namespace vlhost {
namespace {

constexpr double kDegree = geom::kPi / 180.0;

Document2D* Doc2D(const vlapi::IVarnelDocument2DPtr& doc) { return dynamic_cast<Document2D*>(doc.get()); }

vlapi::IDrawingObjectPtr AddCurve(const vlapi::IDrawingContainerPtr& container, int type, geom::Curve curve) {
  auto* owner = dynamic_cast<Container*>(NodeOf(container.get()));
  Document2D* doc = owner ? owner->OwnerNode()->Doc() : nullptr;
  if (!doc) return {};
  Ref<Shape> shape = Make<FreeCurve>(type, std::move(curve));
  shape->Register(doc);
  shape->layer = owner->DefaultLayer();
  owner->Adopt(shape);
  doc->Drawn(shape);
  return vlapi::IDrawingObjectPtr(shape->Identity());
}

std::vector<geom::Point> PointsOf(const std::vector<double>& xy) {
  std::vector<geom::Point> points;
  for (std::size_t i = 0; i + 1 < xy.size(); i += 2) points.push_back({xy[i], xy[i + 1]});
  return points;
}

}  // namespace

Host::Host(const std::filesystem::path& root) : app_(new vlhost::Application(root)) {
  app_->AddRef();
  app_->RegisterLibrary(L"APP_Nesting", L"Nesting", L"libNesting.so");
}

Host::~Host() {
  Failures::Instance().RestoreAll();
  Shell& shell = app_->GetShell();
  if (shell.Loaded()) {
    shell.Destroying();
    shell.Unload();
  }
  app_->Release();
}

vlapi::IApplication* Host::Application() const { return app_; }
HostState& Host::State() { return app_->State(); }
std::filesystem::path Host::Folder(int kind) const { return app_->Folder(kind); }

vlapi::IVarnelDocumentPtr Host::Open(const std::filesystem::path& path, bool visible) {
  return app_->OpenFile(WideOf(path), visible);
}

vlapi::IVarnelDocument2DPtr Host::NewDrawing(int type, bool visible) {
  return vlapi::IVarnelDocument2DPtr(static_cast<vlapi::IVarnelDocument2D*>(app_->NewDocument2D(type, visible).get()));
}

vlapi::IVarnelDocument3DPtr Host::NewDocument3D(int type, bool visible) {
  return vlapi::IVarnelDocument3DPtr(static_cast<vlapi::IVarnelDocument3D*>(app_->NewDocument3D(type, visible).get()));
}

PartData* Host::Tree(const vlapi::IVarnelDocument3DPtr& doc) {
  auto* d = dynamic_cast<Document3D*>(doc.get());
  return d ? d->top.get() : nullptr;
}

vlapi::IDrawingObjectPtr Host::AddEllipse(const vlapi::IDrawingContainerPtr& container, double cx, double cy, double a,
                                          double b, double rotation) {
  return AddCurve(container, vlapi::vlDrEllipse, geom::Ellipse{{cx, cy}, a, b, rotation * kDegree});
}

vlapi::IDrawingObjectPtr Host::AddEllipseArc(const vlapi::IDrawingContainerPtr& container, double cx, double cy,
                                             double a, double b, double rotation, double start, double end, bool ccw) {
  const geom::Ellipse e{{cx, cy}, a, b, rotation * kDegree};
  return AddCurve(container, vlapi::vlDrEllipseArc, geom::EllipticArc{e, start * kDegree, end * kDegree, ccw});
}

vlapi::IDrawingObjectPtr Host::AddBezier(const vlapi::IDrawingContainerPtr& container, const std::vector<double>& poles,
                                         int degree) {
  return AddCurve(container, vlapi::vlDrBezier, geom::Bezier{PointsOf(poles), degree});
}

vlapi::IDrawingObjectPtr Host::AddNurbsByPoints(const vlapi::IDrawingContainerPtr& container,
                                                const std::vector<double>& points) {
  const std::vector<geom::Point> through = PointsOf(points);
  return AddCurve(container, vlapi::vlDrNurbsByPoints, geom::nurbsThroughPoints(through));
}

vlapi::IDrawingObjectPtr Host::AddConic(const vlapi::IDrawingContainerPtr& container, double x1, double y1, double ax,
                                        double ay, double x2, double y2, double weight) {
  return AddCurve(container, vlapi::vlDrConicCurve, geom::Conic{{x1, y1}, {ax, ay}, {x2, y2}, weight});
}

DocumentSwitches Host::Switches(const vlapi::IVarnelDocument2DPtr& doc) {
  Document2D* d = Doc2D(doc);
  return d ? d->Switches() : DocumentSwitches{};
}

int Host::UpdateCount(const vlapi::IVarnelDocument2DPtr& doc) {
  Document2D* d = Doc2D(doc);
  return d ? d->UpdateCount() : 0;
}

int Host::Updates(const vlapi::IAPIObjectPtr& object) {
  Node* node = NodeOf(object.get());
  return node ? node->Updates() : 0;
}

int Host::Refreshes(const vlapi::IVarnelDocument2DPtr& doc) {
  Document2D* d = Doc2D(doc);
  return d ? d->Refreshes() : 0;
}

void Host::SetProcessRunning(const vlapi::IVarnelDocument2DPtr& doc, bool running) {
  if (Document2D* d = Doc2D(doc)) d->SetProcessRunning(running);
}

int Host::HandlerCount(const std::wstring& owner) const { return app_->GetShell().Registry().Count(owner); }

std::string Host::Utf8(const std::wstring& text) { return vlhost::Utf8(text); }
std::wstring Host::Wide(const std::string& utf8) { return vlhost::Wide(utf8); }

std::string Host::Svg(const vlapi::IVarnelDocument2DPtr& doc) {
  Document2D* d = Doc2D(doc);
  return d ? RenderSvg(*d) : std::string();
}

std::string Host::Svg(const vlapi::ISketchPtr& sketch) {
  SketchData* data = SketchOf(sketch.get());
  return data && data->drawing ? RenderSvg(*data->drawing, false) : std::string();
}

bool Host::WriteSvg(const vlapi::IVarnelDocument2DPtr& doc, const std::filesystem::path& path) {
  Document2D* d = Doc2D(doc);
  return d && vlhost::WriteSvg(*d, WideOf(path));
}

}  // namespace vlhost
