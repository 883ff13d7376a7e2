// Placement, views, layers and copies of a library macro.
#include "host/NestingMacro.h"

#include "host/HostAccess.h"
#include "host/LibraryEdit.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

using CopyParamMaker = std::function<vlapi::ICopyObjectParamPtr(vlapi::IVarnelDocument2D&)>;

// Parameters of a copy in place: no displacement, no turn, scale 1.
void SetInPlace(vlapi::ICopyObjectParam& param)
{
    param.SetBaseX(0.0);
    param.SetBaseY(0.0);
    param.SetTargetX(0.0);
    param.SetTargetY(0.0);
    param.SetAngle(0.0);
    param.SetScale(1.0);
    param.SetCopyAttributes(true);
}

vlapi::ICopyObjectParamPtr MakeInPlaceParam(vlapi::IVarnelDocument2D& doc)
{
    vlapi::ICopyObjectParamPtr param(doc.CreateAPIObject(vlapi::vlObjectCopyObjectParam));
    if (param)
        SetInPlace(*param.get());
    return param;
}

CopyParamMaker MeshParamMaker(int count, double step)
{
    return [count, step](vlapi::IVarnelDocument2D& doc) {
        vlapi::IMeshCopyObjectParamPtr mesh(doc.CreateAPIObject(vlapi::vlObjectMeshCopyObjectParam));
        if (!mesh)
            return vlapi::ICopyObjectParamPtr{};
        SetInPlace(*mesh.get());
        mesh->SetColumns(count);
        mesh->SetRows(1);
        mesh->SetRowStep(1);
        mesh->SetColumnStep(step);
        return vlapi::ICopyObjectParamPtr(mesh);
    };
}

// Copies `macro` by the host inside a new stored group and returns the macros
// the group then holds. The group only gathers the copies: it is dissolved
// afterwards (the copies stay in the drawing), so that no stored group is
// left behind, to be emptied later when the copies move or go. It is never
// left open.
std::vector<vlapi::IMacroObjectPtr> CopyIntoNewGroup(const vlapi::IMacroObjectPtr& macro,
                                                     const CopyParamMaker& makeParam)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!doc || !macro)
        return {};
    vlapi::IDrawingGroupPtr group = vrnApi::CreateGroupInActiveDoc(false);
    if (!group)
        return {};
    {
        hostAccess::OpenGroup open(group);
        const LibraryEdit libraryCopies;  // the library's own copies: no user's edit to answer
        if (vlapi::ICopyObjectParamPtr param = makeParam(*doc.get()))
            doc->CopyObjects(hostAccess::ListOf(macro), param.get());
    }
    std::vector<vlapi::IMacroObjectPtr> copies;
    for (const vlapi::IDrawingObjectPtr& obj : group->GetObjects({vlapi::vlDrMacro})) {
        if (vlapi::IMacroObjectPtr copy{obj})
            copies.push_back(copy);
    }
    if (copies.empty())
        group->Delete();
    else
        hostAccess::ReleaseGroup(group);
    return copies;
}

// The view the macro stands in: its parent, or for a member of another macro
// the view that one stands in.
vlapi::IViewPtr ParentView(const vlapi::IMacroObjectPtr& macro)
{
    if (!macro)
        return {};
    vlapi::IViewPtr parent(macro->GetParent());
    return parent ? parent : macro->GetView();
}

void MakeCurrent(vlapi::IView& view)
{
    if (view.GetCurrent())
        return;
    view.SetCurrent(true);
    view.Update();
}

// The macro and its members, moved into another view, stand on the layers of
// the same names there: a layer's number may differ from view to view.
void KeepLayersByName(const vlapi::IMacroObjectPtr& macro, const MacroLayers& from, const vlapi::IViewPtr& view)
{
    const vlapi::ILayersPtr layers = view ? view->GetLayers() : vlapi::ILayersPtr{};
    if (!macro || !layers)
        return;
    const auto renumber = [&](const vlapi::IDrawingObjectPtr& object) {
        const auto it = object ? from.find(object->GetLayer()) : from.end();
        if (it == from.end())
            return;
        if (const vlapi::ILayerPtr there = layers->FindLayer(it->second); there && there->GetNumber() != it->first)
            object->SetLayer(there->GetNumber());
    };
    // Views whose layers of those names have the same numbers leave nothing to renumber.
    const bool same = std::all_of(from.begin(), from.end(), [&](const auto& layer) {
        const vlapi::ILayerPtr there = layers->FindLayer(layer.second);
        return !there || there->GetNumber() == layer.first;
    });
    if (!same) {
        for (const vlapi::IDrawingObjectPtr& member : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(macro)))
            renumber(member);
        renumber(vlapi::IDrawingObjectPtr(macro));
    }
    macro->Update();
}

}  // namespace

vlapi::IRectanglePtr NMacroObject::GetRectangleFromMacro() const
{
    return vlapi::IRectanglePtr(vrnApi::GetObiectFromMacro(m_macro, vlapi::vlObjectRectangle, 0));
}

void NMacroObject::GetGabarit(NRect& rc) const
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    vlapi::IRectanglePtr rect = GetRectangleFromMacro();
    if (!doc || !rect)
        return;
    doc->GetObjectsBox(hostAccess::ListOf(rect), rc.pBot.x, rc.pBot.y, rc.pTop.x, rc.pTop.y);
}

INestingMacroObjectPtr NMacroObject::CreateMacroCopy(int /*command*/) const
{
    std::vector<vlapi::IMacroObjectPtr> copies = CopyIntoNewGroup(m_macro, MakeInPlaceParam);
    return copies.empty() ? INestingMacroObjectPtr{} : Create(copies.front());
}

void NMacroObject::CreateMacroCopies(int /*command*/, int count, double step,
                                     std::vector<INestingMacroObjectPtr>& copies) const
{
    for (const vlapi::IMacroObjectPtr& copy : CopyIntoNewGroup(m_macro, MeshParamMaker(count, step)))
        copies.push_back(Create(copy));
}

int NMacroObject::GetMacroViewNumber() const
{
    vlapi::IViewPtr view = ParentView(m_macro);
    return view ? view->GetNumber() : -1;
}

void NMacroObject::SetMacroViewNumber(int viewNumber)
{
    m_view = vrnApi::GetViewPtrByNumber(viewNumber);
}

void NMacroObject::SetCurrentMacroView()
{
    if (vlapi::IViewPtr view = ParentView(m_macro))
        MakeCurrent(*view.get());
}

bool NMacroObject::InActiveDocument() const
{
    // A view of another drawing is not the active drawing's view of its number.
    const vlapi::IViewPtr view = ParentView(m_macro);
    return view && hostAccess::SameObject(vrnApi::GetViewPtrByNumber(view->GetNumber()), view);
}

void NMacroObject::ChangeMacroView(int viewNumber, double& x, double& y)
{
    vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(viewNumber);
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!m_macro || !view || !doc || !InActiveDocument())
        return;
    MakeCurrent(*view.get());
    const vlapi::IViewPtr previous = m_view;
    if (!previous || hostAccess::SameObject(previous, view))
        return;

    MacroLayers layers;
    vrnApi::GetLayersFromView(previous->GetNumber(), layers);
    vrnApi::AddLayersToView(view->GetNumber(), layers);

    vlapi::IDrawingGroupPtr source = vrnApi::CreateGroupInActiveDoc(true);
    if (!source)
        return;
    source->AddObjects(hostAccess::ListOf(vlapi::IDrawingObjectPtr(m_macro)));
    vlapi::IMacroObjectPtr moved;
    if (vlapi::IDrawingGroupPtr copy = source->CopyToDocument(doc.get())) {
        copy->Store();
        vlapi::DrawingObjectList macros = copy->GetObjects({vlapi::vlDrMacro});
        if (!macros.empty())
            moved = vlapi::IMacroObjectPtr(macros.front());
        // A copy without its macro is of no use: it goes whole.
        if (moved)
            hostAccess::ReleaseGroup(copy);
        else
            copy->Delete();
    }
    if (!moved) {
        // The original stays where it was.
        hostAccess::ReleaseGroup(source);
        return;
    }
    source->Delete();
    KeepLayersByName(moved, layers, view);
    x = previous->GetX() / previous->GetScale() - view->GetX() / view->GetScale();
    y = previous->GetY() / previous->GetScale() - view->GetY() / view->GetScale();
    m_view = view;
    m_macro = moved;
}

void NMacroObject::ChangeMacroLayer(int numLayer)
{
    if (!m_macro)
        return;
    m_macro->SetLayer(numLayer);
    m_macro->Update();
}

int NMacroObject::GetMacroLayer() const
{
    return m_macro ? m_macro->GetLayer() : -1;
}

// The angle is given in [0, 360) whatever the host holds: drawings of earlier
// versions kept every turn added up (823 degrees and more).
void NMacroObject::GetMacroPlacement(double& x, double& y, double& angle) const
{
    if (!m_macro)
        return;
    int mirrored = 0;
    m_macro->GetPlacement(x, y, angle, mirrored);
    angle = NormalizeAngle(angle);
}

void NMacroObject::SetMacroPlacement(double x, double y, double angle, bool fromHP)
{
    if (!m_macro)
        return;
    double x1 = 0.0;
    double y1 = 0.0;
    double a1 = 0.0;
    if (!fromHP)
        GetMacroPlacement(x1, y1, a1);
    if (fromHP || std::fabs(a1) <= 0.0001) {
        m_macro->SetPlacement(x, y, angle, 0, 1);
    } else {
        // Shift along the view's axes: turn back to 0, shift and turn, turn on again.
        m_macro->SetPlacement(0.0, 0.0, -a1, 0, 1);
        m_macro->SetPlacement(x, y, angle, 0, 1);
        m_macro->SetPlacement(0.0, 0.0, a1, 0, 1);
    }
    // The host adds the turns up: whole turns are taken off again, so that
    // the angle stored stays in [0, 360).
    int mirrored = 0;
    double stored = 0.0;
    m_macro->GetPlacement(x1, y1, stored, mirrored);
    const double normal = NormalizeAngle(stored);
    if (normal != stored)
        m_macro->SetPlacement(0.0, 0.0, normal - stored, 0, 1);
}

void NMacroObject::SetMacroMirrorPlacement()
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!m_macro || !doc)
        return;
    doc->MirrorObjects(hostAccess::ListOf(m_macro), 0.0, 0.0, 100.0, 0.0, 0, 1, 1);
}

void NMacroObject::TransformScale(double scale)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!doc)
        return;
    doc->SetTransformation(0.0, 0.0, 0.0, scale, scale);
    if (m_macro)
        doc->TransformObjects(hostAccess::ListOf(m_macro));
    doc->ResetTransformation();
}
