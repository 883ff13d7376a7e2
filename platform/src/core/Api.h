#pragma once
// How host objects answer the vlapi conventions: reference counting, interface
// queries along each interface's base chain, and the failure switch that makes
// chosen calls give nothing.
#include <atomic>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "vlhost/Failures.h"
#include "vlapi/vlapi.h"

namespace vlhost {

// For every interface: its id, its name and the interface it derives from.
template <class I>
struct Traits;

#define VLHOST_TRAITS(Name, BaseName)                                 \
  template <>                                                         \
  struct Traits<vlapi::Name> {                                        \
    using Base = std::conditional_t<std::is_void_v<BaseName>, void, BaseName>; \
    static constexpr vlapi::IAPIObjectIID iid = vlapi::IID_##Name;     \
    static constexpr std::string_view name = #Name;                   \
  };

using namespace vlapi;
VLHOST_TRAITS(IAPIObject, void)
VLHOST_TRAITS(IVarnelAPIObject, IAPIObject)
VLHOST_TRAITS(ITransferService, IAPIObject)
VLHOST_TRAITS(IApplication, IAPIObject)
VLHOST_TRAITS(IApplicationServices, IAPIObject)
VLHOST_TRAITS(ISystemSettings, IAPIObject)
VLHOST_TRAITS(IApplicationDialogs, IAPIObject)
VLHOST_TRAITS(IVarnelError, IAPIObject)
VLHOST_TRAITS(IDocuments, IAPIObject)
VLHOST_TRAITS(IVarnelDocument, IVarnelAPIObject)
VLHOST_TRAITS(IDocumentFrame, IAPIObject)
VLHOST_TRAITS(IVarnelDocument2D, IVarnelDocument)
VLHOST_TRAITS(IVarnelDocument3D, IVarnelDocument)
VLHOST_TRAITS(IPart, IVarnelAPIObject)
VLHOST_TRAITS(IParts, IAPIObject)
VLHOST_TRAITS(IResourcesModule, IAPIObject)
VLHOST_TRAITS(IVarnelDictionary, IAPIObject)
VLHOST_TRAITS(ILibraryManager, IAPIObject)
VLHOST_TRAITS(IProceduresLibraries, IAPIObject)
VLHOST_TRAITS(IProceduresLibrary, IAPIObject)
VLHOST_TRAITS(ILibrary, IAPIObject)
VLHOST_TRAITS(IMath2D, IAPIObject)
VLHOST_TRAITS(IFileConverter, IAPIObject)
VLHOST_TRAITS(IInertiaProperties, IVarnelAPIObject)
VLHOST_TRAITS(IInertiaPropertiesCalculateParam, IVarnelAPIObject)
VLHOST_TRAITS(IViewsAndLayersManager, IAPIObject)
VLHOST_TRAITS(IViews, IAPIObject)
VLHOST_TRAITS(IView, IVarnelAPIObject)
VLHOST_TRAITS(ILayers, IAPIObject)
VLHOST_TRAITS(ILayer, IVarnelAPIObject)
VLHOST_TRAITS(ILayoutSheets, IAPIObject)
VLHOST_TRAITS(ILayoutSheet, IVarnelAPIObject)
VLHOST_TRAITS(ISheetFormat, IVarnelAPIObject)
VLHOST_TRAITS(IStamp, IVarnelAPIObject)
VLHOST_TRAITS(IPropertyMng, IAPIObject)
VLHOST_TRAITS(IProperty, IVarnelAPIObject)
VLHOST_TRAITS(IPropertyKeeper, IAPIObject)
VLHOST_TRAITS(ISelectionManager, IAPIObject)
VLHOST_TRAITS(IChooseManager, IAPIObject)
VLHOST_TRAITS(IFindObjectParameters, IVarnelAPIObject)
VLHOST_TRAITS(IDrawingContainer, IAPIObject)
VLHOST_TRAITS(ISymbols2DContainer, IAPIObject)
VLHOST_TRAITS(IDrawingObjects, IAPIObject)
VLHOST_TRAITS(IMacroObjects, IDrawingObjects)
VLHOST_TRAITS(IDrawingContours, IDrawingObjects)
VLHOST_TRAITS(IDrawingTables, IDrawingObjects)
VLHOST_TRAITS(IColourings, IDrawingObjects)
VLHOST_TRAITS(IDrawingGroups, IAPIObject)
VLHOST_TRAITS(IDrawingGroup, IVarnelAPIObject)
VLHOST_TRAITS(IDrawingObject, IVarnelAPIObject)
VLHOST_TRAITS(ICurve2D, IAPIObject)
VLHOST_TRAITS(ILineSegment, IDrawingObject)
VLHOST_TRAITS(ICircle, IDrawingObject)
VLHOST_TRAITS(IArc, IDrawingObject)
VLHOST_TRAITS(IRectangle, IDrawingObject)
VLHOST_TRAITS(IPolyLine2D, IDrawingObject)
VLHOST_TRAITS(INurbs, IDrawingObject)
VLHOST_TRAITS(IEquidistant, IDrawingObject)
VLHOST_TRAITS(IDrawingContour, IDrawingObject)
VLHOST_TRAITS(IContour, IAPIObject)
VLHOST_TRAITS(IHatch, IDrawingObject)
VLHOST_TRAITS(IColouring, IDrawingObject)
VLHOST_TRAITS(IBoundariesObject, IAPIObject)
VLHOST_TRAITS(IMacroObject, IDrawingObject)
VLHOST_TRAITS(IUserParameters, IAPIObject)
VLHOST_TRAITS(IDrawingText, IDrawingObject)
VLHOST_TRAITS(IText, IAPIObject)
VLHOST_TRAITS(ITextLine, IVarnelAPIObject)
VLHOST_TRAITS(ITextItem, IVarnelAPIObject)
VLHOST_TRAITS(ITextFont, IAPIObject)
VLHOST_TRAITS(IDrawingTable, IDrawingObject)
VLHOST_TRAITS(ITable, IAPIObject)
VLHOST_TRAITS(ITableCell, IAPIObject)
VLHOST_TRAITS(ICellFormat, IAPIObject)
VLHOST_TRAITS(ICopyObjectParam, IVarnelAPIObject)
VLHOST_TRAITS(IMeshCopyObjectParam, ICopyObjectParam)
VLHOST_TRAITS(ISpecificationDescriptions, IAPIObject)
VLHOST_TRAITS(ISpecificationDescription, IAPIObject)
VLHOST_TRAITS(ISpecificationTuning, IAPIObject)
VLHOST_TRAITS(ISpecificationTuningSections, IAPIObject)
VLHOST_TRAITS(ISpecificationTuningSection, IAPIObject)
VLHOST_TRAITS(ISpecificationBaseObjects, IAPIObject)
VLHOST_TRAITS(ISpecificationBaseObject, IVarnelAPIObject)
VLHOST_TRAITS(ISpecificationObjectCreateParam, IVarnelAPIObject)
#undef VLHOST_TRAITS

// `p` as the interface of the base chain of `I` whose id is `iid`, or null.
template <class I>
void* CastAlongChain(I* p, vlapi::IAPIObjectIID iid) {
  if (vlapi::SameIID(iid, Traits<I>::iid)) return p;
  using Base = typename Traits<I>::Base;
  if constexpr (std::is_void_v<Base>) {
    return nullptr;
  } else {
    return CastAlongChain<Base>(static_cast<Base*>(p), iid);
  }
}

// Whether an interface query for `iid` is switched off by the failure switch.
bool QueryFails(vlapi::IAPIObjectIID iid);

// The implementation of the IAPIObject part of a host object that answers the
// interfaces `Is` (and their bases), built on `Core`, a plain base class.
// The object's identity (its IAPIObject) is that of its first interface.
template <class Core, class... Is>
class Api : public Core, public Is... {
 public:
  using Core::Core;
  Api() = default;
  // A copy is a new object: it starts without references.
  Api(const Api& other) : Core(other), Is(other)..., refs_(0) {}
  Api& operator=(const Api&) = delete;

  long AddRef() override { return ++refs_; }
  long Release() override {
    const long left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) override {
    *object = nullptr;
    if (QueryFails(iid)) return false;
    void* found = nullptr;
    ((found = found ? found : CastAlongChain<Is>(static_cast<Is*>(this), iid)), ...);
    if (!found) return false;
    AddRef();
    *object = found;
    return true;
  }

 protected:
  ~Api() override = default;

 private:
  long refs_ = 0;
};

// The host's own counted holder of an implementation class.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(std::nullptr_t) {}
  Ref(T* p) : p_(p) { if (p_) p_->AddRef(); }
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref(Ref&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
  Ref(const Ref<U>& o) : Ref(static_cast<T*>(o.get())) {}
  ~Ref() { if (p_) p_->Release(); }
  Ref& operator=(Ref o) noexcept { std::swap(p_, o.p_); return *this; }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }
  friend bool operator==(const Ref& a, const Ref& b) { return a.p_ == b.p_; }

 private:
  T* p_ = nullptr;
};

template <class T, class... A>
Ref<T> Make(A&&... args) {
  return Ref<T>(new T(std::forward<A>(args)...));
}

// A vlapi smart pointer to interface `I` of the host object `p`.
template <class I, class T>
SmartPtr<I, Traits<I>::iid> Give(T* p) {
  return SmartPtr<I, Traits<I>::iid>(p ? static_cast<I*>(p) : nullptr);
}

// As Give, unless the failure switch has the call `call` switched off.
template <class I, class T>
SmartPtr<I, Traits<I>::iid> Give(std::string_view call, T* p) {
  const Ref<T> hold(p);  // a new object that is not given goes
  if (Failures::Instance().Fails(call)) return {};
  return Give<I>(p);
}

// The plain base of objects that need none.
struct NoCore {
  virtual ~NoCore() = default;
};

}  // namespace vlhost
