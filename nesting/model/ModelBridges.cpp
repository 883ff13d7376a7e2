// The model's bridges: reading them from the drawing with their owners,
// creating, adding and deleting them, the object under a bridge end, and the
// overlap tests against the bridges of the model.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"
#include "model/BridgeAnchors.h"

#include <algorithm>

namespace {

std::vector<INestingMacroObjectPtr> LibraryMacros()
{
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    return macros;
}

template <class T>
NObjectPtr FindByRef(const std::vector<std::shared_ptr<T>>& list, int ref)
{
    for (const std::shared_ptr<T>& object : list) {
        if (object->CheckReference(ref))
            return object;
    }
    return {};
}

// The point carried from the active view into the view of `object`, which
// becomes the current view.
NPoint IntoViewOf(NObject& object, NPoint p)
{
    if (object.GetView() == vrnApi::GetActiveView())
        return p;
    vrnApi::TransformFromViewToSheet(p);
    object.SetCurrentView();
    vrnApi::TransformFromSheetToView(p);
    return p;
}

}  // namespace

void NestingModel::InitJumpersFromActiveDoc()
{
    for (const INestingMacroObjectPtr& macro : LibraryMacros()) {
        if (!macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
            continue;
        JumperPtr jumper = Jumper::Create(macro);
        jumper->m_edit = true;
        jumper->LoadParams();
        jumper->Init();
        m_jumpers.push_back(std::move(jumper));
    }
    for (const JumperPtr& jumper : m_jumpers) {
        InitJumperOwners(jumper);
        jumper->CheckValid();
        jumper->InitChoose();
        jumper->UpdateName();
    }
}

void NestingModel::InitJumperOwners(JumperPtr jumper)
{
    if (!jumper)
        return;
    const int view = jumper->GetView();
    BridgeOwners owners(*jumper);
    for (const FigurePtr& figure : m_figures) {
        if (figure->GetView() == view)
            owners.Offer(figure);
    }
    for (const SheetPtr& sheet : m_sheets) {
        if (sheet->GetView() == view)
            owners.Offer(sheet);
    }
    owners.GiveTo(*jumper);
}

void NestingModel::InitJumperFromActiveDoc(JumperPtr jumper)
{
    if (!jumper)
        return;
    BridgeOwners owners(*jumper);
    OfferDrawingOwners(owners, LibraryMacros(), jumper->GetView());
    owners.GiveTo(*jumper);
}

void NestingModel::HoldBridges()
{
    const std::vector<NObjectPtr> figures(m_figures.begin(), m_figures.end());
    std::vector<NObjectPtr> candidates = figures;
    candidates.insert(candidates.end(), m_sheets.begin(), m_sheets.end());
    m_heldBridges.Hold(figures, &candidates);
}

void NestingModel::HoldBridges(const std::vector<FigurePtr>& figures)
{
    m_heldBridges.Hold(std::vector<NObjectPtr>(figures.begin(), figures.end()));
}

void NestingModel::FollowBridges()
{
    m_heldBridges.Follow();
}

void NestingModel::DeleteBridgesOn(const std::vector<NObjectPtr>& owners)
{
    std::vector<NObjectPtr> drawn;
    for (const NObjectPtr& owner : owners) {
        if (owner && owner->m_macro)
            drawn.push_back(owner);
    }
    if (drawn.empty())
        return;
    std::vector<std::pair<reference, JumperPtr>> listed;
    for (const JumperPtr& jumper : m_jumpers)
        listed.emplace_back(jumper->GetReference(), jumper);
    std::vector<reference> deleted;
    m_heldBridges.DeleteOn(drawn, deleted);
    for (const auto& [ref, jumper] : listed) {
        if (std::find(deleted.begin(), deleted.end(), ref) != deleted.end())
            std::erase(m_jumpers, jumper);
    }
}

void InitJumperOwnersFromFigures(JumperPtr jumper)
{
    NestingModel model;
    model.InitJumperFromActiveDoc(std::move(jumper));
}

bool NestingModel::CheckJumper(JumperPtr jumper) const
{
    return std::any_of(m_jumpers.begin(), m_jumpers.end(),
                       [&](const JumperPtr& other) { return other != jumper && other->CheckIntersect(jumper); });
}

bool NestingModel::CheckIntersectPointWithJumpers(double x, double y, double width) const
{
    const NPoint p{x, y};
    return std::any_of(m_jumpers.begin(), m_jumpers.end(),
                       [&](const JumperPtr& jumper) { return jumper->CheckIntersectWithPoint(p, width); });
}

void NestingModel::ClearJumpers()
{
    for (const JumperPtr& jumper : m_jumpers)
        jumper->Clear();
    m_jumpers.clear();
}

NObjectPtr NestingModel::CheckObjectForJumper(int ref, double& x, double& y, double width, NestingObjectType type)
{
    if (ref == 0)
        return {};
    NObjectPtr object;
    if (type == NestingObjectType::Sheet)
        object = FindByRef(m_sheets, ref);
    else if (type == NestingObjectType::Figure)
        object = FindByRef(m_figures, ref);
    if (!object && type == NestingObjectType::Figure) {
        // A member of a compound found under the point: the bridge stands on
        // the compound, the figure that is placed and that a move carries.
        for (const FigurePtr& figure : m_figures) {
            const auto* compound = dynamic_cast<const CompoundFigure*>(figure.get());
            if (compound && compound->HoldsMember(ref)) {
                object = figure;
                break;
            }
        }
    }
    if (!object)
        return {};
    const NPoint p = IntoViewOf(*object, {x, y});
    NPoint pp = p;
    if (!object->GetProjectionPoint(p, width, pp) || CheckIntersectPointWithJumpers(pp.x, pp.y, width))
        return {};
    x = pp.x;
    y = pp.y;
    return object;
}

JumperPtr NestingModel::CreateJumper(double, double, double width, BridgeType type, bool bynorm)
{
    JumperPtr jumper = Jumper::Create(nullptr);
    jumper->m_type = static_cast<int32_t>(type);
    jumper->Init();
    jumper->m_width = width;
    if (jumper->m_drawer)
        jumper->m_drawer->m_r = width * 0.5;
    jumper->UpdateName();
    jumper->UpdateGeometry();
    jumper->SaveParams();
    jumper->m_bynormal = bynorm;
    jumper->Init();
    return jumper;
}

void NestingModel::AddJumper(JumperPtr jumper, int layer)
{
    // A bridge that has its macro already stands in a drawing, and some model
    // lists it: making its macro again would take that one away from under
    // the other list.
    if (!jumper || jumper->GetReference() != 0)
        return;
    jumper->CreateMacro(layer);
    jumper->UpdateName();
    jumper->SaveParams();
    m_jumpers.push_back(std::move(jumper));
}

void NestingModel::DelJumper(JumperPtr& jumper)
{
    if (!jumper)
        return;
    const auto it = std::find(m_jumpers.begin(), m_jumpers.end(), jumper);
    if (it == m_jumpers.end())
        return;
    const JumperPtr doomed = *it;
    doomed->m_edit = false;
    doomed->Clear();
    // The caller's pointer may be the list's own entry: empty it before the
    // entry goes, so that no other bridge takes its place in it.
    jumper.reset();
    m_jumpers.erase(it);
}
