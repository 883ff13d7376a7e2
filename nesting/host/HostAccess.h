// Small roads into the host shared by the binding's sources.
#pragma once

#include <vector>

#include "vlapi/vlapi.h"

#include "geometry/BaseAlgorithms.h"

namespace hostAccess {

// A one-entry list for the host's list operations (an empty entry for an
// object that is not a host API object).
template <class P>
vlapi::APIObjectList ListOf(const P& object)
{
    return {vlapi::IVarnelAPIObjectPtr(object)};
}

// The host reference of an object; 0 for none.
reference ReferenceOf(vlapi::IAPIObject* object);
template <class P>
reference ReferenceOf(const P& object)
{
    return ReferenceOf(static_cast<vlapi::IAPIObject*>(object.get()));
}

// The object `ref` of the 2D document `doc`; empty when it names nothing.
vlapi::IAPIObjectPtr ObjectOf(const vlapi::IVarnelDocument2DPtr& doc, reference ref);
// The objects `refs` of `doc`, in their order, each as ObjectOf gives it; the
// document's own reference is asked for once.
std::vector<vlapi::IAPIObjectPtr> ObjectsOf(const vlapi::IVarnelDocument2DPtr& doc, const std::vector<reference>& refs);

// The objects of `container` (empty for none) of every type.
vlapi::DrawingObjectList AllObjects(const vlapi::IDrawingContainerPtr& container);

// Adds to `layers` a layer `number` called `name` unless one of that name is
// there already (numbered as the host gives it when another layer holds
// `number`); the current layer is left as it was. The number of the layer so
// called, -1 when there is none.
int EnsureLayer(const vlapi::ILayersPtr& layers, int number, const std::wstring& name);

// Deletes a group made by the library, letting go of its members first: they
// stay in the drawing (or, when they stand in no view, live on with whoever
// still holds them). Nothing for an empty pointer.
void ReleaseGroup(const vlapi::IDrawingGroupPtr& group);

// Closes an opened group whatever way the scope is left.
class OpenGroup {
public:
    explicit OpenGroup(vlapi::IDrawingGroupPtr group) : m_group(std::move(group)) { m_group->Open(); }
    ~OpenGroup() { m_group->Close(); }
    OpenGroup(const OpenGroup&) = delete;
    OpenGroup& operator=(const OpenGroup&) = delete;

private:
    vlapi::IDrawingGroupPtr m_group;
};

// Two pointers name the same host object.
template <class P, class Q>
bool SameObject(const P& a, const Q& b)
{
    return vlapi::IAPIObjectPtr(a) == vlapi::IAPIObjectPtr(b);
}

}  // namespace hostAccess
