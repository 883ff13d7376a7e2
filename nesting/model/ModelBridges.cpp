// The model's bridges: reading them from the drawing with their owners,
// creating, adding and deleting them, the object under a bridge end, and the
// overlap tests against the bridges of the model.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"

#include <algorithm>

namespace {

std::vector<INestingMacroObjectPtr> LibraryMacros()
{
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    return macros;
}

// The first object of the list in `view` whose border carries `p`.
template <class T>
NObjectPtr FindCarrier(const std::vector<std::shared_ptr<T>>& list, int view, const NPoint& p, double width)
{
    for (const std::shared_ptr<T>& object : list) {
        if (object->GetView() == view && object->CheckContainPointOnBorders(p, width))
            return object;
    }
    return {};
}

// Gives a bridge's ends the first offered objects whose borders carry them.
class OwnerSearch {
public:
    explicit OwnerSearch(Jumper& jumper) : m_jumper(jumper), m_found2(!jumper.m_twoPoints) {}

    bool Done() const { return m_found1 && m_found2; }

    void Offer(const NObjectPtr& candidate)
    {
        if (!m_found1 && candidate->CheckContainPointOnBorders(m_jumper.m_point1, m_jumper.m_width)) {
            m_jumper.m_owner1 = candidate;
            m_found1 = true;
        }
        if (!m_found2 && candidate->CheckContainPointOnBorders(m_jumper.m_point2, m_jumper.m_width)) {
            m_jumper.m_owner2 = candidate;
            m_found2 = true;
        }
    }

private:
    Jumper& m_jumper;
    bool m_found1 = false;
    bool m_found2;
};

NObjectPtr TemporaryFigure(const INestingMacroObjectPtr& macro)
{
    FigurePtr figure = Figure::Create(macro);
    figure->m_edit = true;
    figure->LoadParams();
    return figure;
}

NObjectPtr TemporarySheet(const INestingMacroObjectPtr& macro)
{
    SheetPtr sheet = Sheet::Create(macro);
    sheet->InitParams();
    sheet->m_edit = true;
    return sheet;
}

// One pass over the macros of `command` in the bridge's view.
template <class Make>
void OfferMacros(const std::vector<INestingMacroObjectPtr>& macros, MacroCommand command, int view,
                 OwnerSearch& search, Make make)
{
    for (const INestingMacroObjectPtr& macro : macros) {
        if (search.Done())
            return;
        if (macro->GetMacroViewNumber() == view && macro->CheckMacroLibraryNameAndCommand(command))
            search.Offer(make(macro));
    }
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
    const double width = jumper->m_width;
    auto find = [&](const NPoint& p) {
        NObjectPtr owner = FindCarrier(m_figures, view, p, width);
        return owner ? owner : FindCarrier(m_sheets, view, p, width);
    };
    if (NObjectPtr owner = find(jumper->m_point1))
        jumper->m_owner1 = owner;
    if (!jumper->m_twoPoints)
        return;
    if (NObjectPtr owner = find(jumper->m_point2))
        jumper->m_owner2 = owner;
}

void NestingModel::InitJumperFromActiveDoc(JumperPtr jumper)
{
    if (!jumper)
        return;
    const std::vector<INestingMacroObjectPtr> macros = LibraryMacros();
    const int view = jumper->GetView();
    OwnerSearch search(*jumper);
    OfferMacros(macros, MacroCommand::Figure, view, search, TemporaryFigure);
    OfferMacros(macros, MacroCommand::Sheet, view, search, TemporarySheet);
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
    if (!jumper)
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
