// Member objects of a library macro and placed copies of them.
#include "host/NestingMacro.h"

#include "host/HostAccess.h"
#include "host/LibraryEdit.h"
#include "host/VarnelAPI.h"

#include <utility>

namespace {

struct Placement {
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
};

Placement PlacementOf(const INestingMacroObject* macro)
{
    Placement p;
    if (macro)
        macro->GetMacroPlacement(p.x, p.y, p.angle);
    return p;
}

// Copies `sources` into a new temporary group, standing as the macro's members
// stand in the drawing, then placed by the owner's placement; appends the copies.
void AppendPlacedCopies(const Placement& own, const Placement& owner,
                        const std::vector<vlapi::IDrawingObjectPtr>& sources,
                        std::vector<vlapi::IDrawingObjectPtr>& objs)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!doc || sources.empty())
        return;
    vlapi::IDrawingGroupPtr group = vrnApi::CreateGroupInActiveDoc(true);
    if (!group)
        return;
    // The library's own copies, moved and turned: no user's edit to answer.
    const LibraryEdit libraryCopies;
    const vlapi::APIObjectList list(sources.begin(), sources.end());
    {
        hostAccess::OpenGroup open(group);
        vlapi::ICopyObjectParamPtr param(doc->CreateAPIObject(vlapi::vlObjectCopyObjectParam));
        if (param) {
            param->SetBaseX(0.0);
            param->SetBaseY(0.0);
            param->SetTargetX(own.x);
            param->SetTargetY(own.y);
            param->SetAngle(own.angle);
            param->SetScale(1.0);
            doc->CopyObjects(list, param.get());
        }
    }
    doc->MoveObjects(hostAccess::ListOf(group), owner.x, owner.y);
    doc->RotateObjects(hostAccess::ListOf(group), owner.x, owner.y, owner.angle);
    const vlapi::DrawingObjectList copies = group->GetObjects({vlapi::vlAllObj});
    objs.insert(objs.end(), copies.begin(), copies.end());
}

}  // namespace

namespace vrnApi {

vlapi::IDrawingObjectPtr GetObiectFromMacro(vlapi::IMacroObjectPtr macro, vlapi::VarnelAPIObjectTypeEnum type, size_t ind)
{
    vlapi::IDrawingContainerPtr container(macro);
    if (!container)
        return {};
    vlapi::DrawingObjectList members = container->GetObjects({type});
    return ind < members.size() ? members[ind] : vlapi::IDrawingObjectPtr{};
}

}  // namespace vrnApi

vlapi::ILineSegmentPtr NMacroObject::GetLineSegmFromMacro(size_t ind)
{
    return vlapi::ILineSegmentPtr(vrnApi::GetObiectFromMacro(m_macro, vlapi::vlObjectLineSegment, ind));
}

vlapi::ICirclePtr NMacroObject::GetCircleFromMacro(size_t ind)
{
    return vlapi::ICirclePtr(vrnApi::GetObiectFromMacro(m_macro, vlapi::vlObjectCircle, ind));
}

vlapi::IArcPtr NMacroObject::GetArcFromMacro(size_t ind)
{
    return vlapi::IArcPtr(vrnApi::GetObiectFromMacro(m_macro, vlapi::vlObjectArc, ind));
}

vlapi::IRectanglePtr NMacroObject::GetRectangleFromMacro()
{
    return std::as_const(*this).GetRectangleFromMacro();
}

void NMacroObject::GetMacroObjectsFromMacro(std::vector<INestingMacroObjectPtr>& macros)
{
    vlapi::IDrawingContainerPtr container(m_macro);
    if (!container)
        return;
    const int viewNumber = GetMacroViewNumber();
    for (const vlapi::IDrawingObjectPtr& member : container->GetObjects({vlapi::vlDrMacro})) {
        vlapi::IMacroObjectPtr macro{member};
        if (!macro)
            continue;
        INestingMacroObjectPtr wrapper = Create(macro);
        wrapper->SetMacroViewNumber(viewNumber);
        macros.push_back(wrapper);
    }
}

void NMacroObject::GetDrawingObjectsFromMacro(INestingMacroObjectPtr owner,
                                              std::vector<vlapi::IDrawingObjectPtr>& objs, bool sysLayer,
                                              bool withText)
{
    if (!m_macro)
        return;
    std::vector<vlapi::IDrawingObjectPtr> sources;
    vrnApi::GetGeomObjectsFromMacro(m_macro, sources, sysLayer);
    if (withText) {
        std::vector<vlapi::IDrawingTextPtr> texts;
        vrnApi::InitTextFromMacro(m_macro, texts);
        for (const vlapi::IDrawingTextPtr& text : texts) {
            if (vlapi::IDrawingGroupPtr drawn = text->GetTextGroup()) {
                const vlapi::DrawingObjectList parts = drawn->GetObjects({vlapi::vlAllObj});
                sources.insert(sources.end(), parts.begin(), parts.end());
            }
        }
    }
    AppendPlacedCopies(PlacementOf(this), PlacementOf(owner.get()), sources, objs);
}

void NMacroObject::GetTextObjectsFromMacro(INestingMacroObjectPtr owner, const std::vector<FontParams>& params,
                                           std::vector<vlapi::IDrawingObjectPtr>& objs)
{
    if (!m_macro)
        return;
    std::vector<vlapi::IDrawingObjectPtr> texts;
    vrnApi::GetTextObjectsFromMacro(m_macro, texts);
    if (texts.empty())
        return;
    AppendPlacedCopies(PlacementOf(this), PlacementOf(owner.get()), texts, objs);
    SetFontParams(params, false, false);
}

void NMacroObject::SetRectangleWidth(double w)
{
    if (vlapi::IRectanglePtr rect = GetRectangleFromMacro()) {
        rect->SetWidth(w);
        rect->Update();
    }
}

void NMacroObject::SetRectangleHeight(double h)
{
    if (vlapi::IRectanglePtr rect = GetRectangleFromMacro()) {
        rect->SetHeight(h);
        rect->Update();
    }
}
