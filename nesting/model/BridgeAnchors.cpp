#include "model/BridgeAnchors.h"

#include "host/HostAccess.h"
#include "host/LibraryEdit.h"
#include "host/VarnelAPI.h"
#include "model/NestingFigure.h"
#include "model/NestingSheet.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace {

constexpr double kSamePlace = 1e-7;  // mm, and degrees for turns
constexpr double kOnBorder = 1e-3;   // mm: an end carried back lies on its owner's border
constexpr double kFarAway = 2147483647.0;

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

// The nearest point of the object's border to `p` and its distance, when
// the border passes closer than `reach`.
std::optional<double> BorderDistance(const NObject& object, const NPoint& p, double reach)
{
    // The bounding rectangle holds the border: a point far from it is far
    // from the border too. An object without one is measured all the same.
    const NRect& box = object.m_rect;
    if (box.pTop.x > box.pBot.x && box.pTop.y > box.pBot.y) {
        const double dx = std::max({box.pBot.x - p.x, 0.0, p.x - box.pTop.x});
        const double dy = std::max({box.pBot.y - p.y, 0.0, p.y - box.pTop.y});
        if (dx >= reach || dy >= reach)
            return std::nullopt;
    }
    NPoint on;
    if (!object.GetProjectionPoint(p, reach, on))
        return std::nullopt;
    return Distance(on, p);
}

JumperPtr LoadBridge(const INestingMacroObjectPtr& macro)
{
    JumperPtr bridge = Jumper::Create(macro);
    bridge->m_edit = true;
    bridge->LoadParams();
    bridge->Init();
    return bridge;
}

size_t EndCount(const Jumper& bridge)
{
    return bridge.m_twoPoints ? 2 : 1;
}

const NPoint& EndPoint(const Jumper& bridge, size_t end)
{
    return end == 0 ? bridge.m_point1 : bridge.m_point2;
}

reference StoredOwner(const Jumper& bridge, size_t end)
{
    return bridge.m_ownerMarks[end].ref;
}

// Of `owners`, the one of that macro reference standing in `view`.
NObjectPtr OwnerOf(const std::vector<NObjectPtr>& owners, reference ref, int view)
{
    for (const NObjectPtr& owner : owners) {
        if (owner && owner->m_macro && ref != 0 && owner->GetReference() == ref && owner->GetView() == view)
            return owner;
    }
    return nullptr;
}

// A bridge with the objects of a list its ends stand on (empty for an end on
// none of them).
struct Standing {
    JumperPtr bridge;
    std::array<NObjectPtr, 2> on;
};

// Whether an end of the bridge may stand on `object`: its stored owner, or,
// without one, an object whose border passes within the end's reach.
bool MayStandOn(const Jumper& bridge, const NObject& object)
{
    for (size_t end = 0; end < EndCount(bridge); ++end) {
        const reference stored = StoredOwner(bridge, end);
        if (stored != 0 ? object.GetReference() == stored
                        : BorderDistance(object, EndPoint(bridge, end), 0.5 * bridge.m_width).has_value())
            return true;
    }
    return false;
}

// The bridges of the drawing with an end on one of `owners`, each end's owner
// chosen among `candidates` or, without them, among the drawing's macros.
// Bridges for which `skip` answers true are passed over; every other one is
// given to `prepare` first.
template <class Skip, class Prepare>
std::vector<Standing> BridgesStandingOn(const std::vector<NObjectPtr>& owners,
                                        const std::vector<NObjectPtr>* candidates, Skip skip, Prepare prepare)
{
    std::vector<Standing> standing;
    if (owners.empty())
        return standing;
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    for (const INestingMacroObjectPtr& macro : macros) {
        if (!macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge) || skip(macro->GetReference()))
            continue;
        const JumperPtr bridge = LoadBridge(macro);
        prepare(bridge);
        const int view = bridge->GetView();
        const bool near = std::any_of(owners.begin(), owners.end(), [&](const NObjectPtr& owner) {
            return owner && owner->GetView() == view && MayStandOn(*bridge, *owner);
        });
        if (!near)
            continue;
        BridgeOwners found(*bridge);
        if (candidates) {
            for (const NObjectPtr& candidate : *candidates) {
                if (candidate && candidate->GetView() == view)
                    found.Offer(candidate);
            }
        } else {
            OfferDrawingOwners(found, macros, view);
        }
        Standing entry{bridge, {}};
        for (size_t end = 0; end < EndCount(*bridge); ++end) {
            const NObjectPtr& owner = found.Owner(end);
            if (!owner || owner->GetReference() == 0)
                continue;
            const auto it = std::find_if(owners.begin(), owners.end(), [&](const NObjectPtr& o) {
                return o && o->GetReference() == owner->GetReference();
            });
            if (it != owners.end())
                entry.on[end] = *it;
        }
        if (entry.on[0] || entry.on[1])
            standing.push_back(std::move(entry));
    }
    return standing;
}

}  // namespace

// ---- BridgeOwners

BridgeOwners::BridgeOwners(const Jumper& jumper)
    : m_count(EndCount(jumper)), m_reach(0.5 * jumper.m_width)
{
    for (size_t end = 0; end < m_count; ++end) {
        m_ends[end].point = EndPoint(jumper, end);
        m_ends[end].stored = StoredOwner(jumper, end);
    }
}

bool BridgeOwners::Wants(reference ref) const
{
    for (size_t end = 0; end < m_count; ++end) {
        if (m_ends[end].stored == 0 || m_ends[end].stored == ref)
            return true;
    }
    return false;
}

bool BridgeOwners::Settled() const
{
    for (size_t end = 0; end < m_count; ++end) {
        if (m_ends[end].stored == 0 || !m_ends[end].owner)
            return false;
    }
    return true;
}

void BridgeOwners::Offer(const NObjectPtr& candidate)
{
    if (!candidate)
        return;
    for (size_t end = 0; end < m_count; ++end) {
        End& e = m_ends[end];
        if (e.stored != 0 && candidate->GetReference() != e.stored)
            continue;
        const std::optional<double> d = BorderDistance(*candidate, e.point, m_reach);
        if (d && (!e.owner || *d < e.distance)) {
            e.owner = candidate;
            e.distance = *d;
        }
    }
}

void BridgeOwners::GiveTo(Jumper& jumper) const
{
    jumper.m_owner1 = m_ends[0].owner;
    jumper.m_owner2 = m_count > 1 ? m_ends[1].owner : nullptr;
}

void OfferDrawingOwners(BridgeOwners& owners, const std::vector<INestingMacroObjectPtr>& macros, int view)
{
    for (const MacroCommand command : {MacroCommand::Figure, MacroCommand::Sheet}) {
        for (const INestingMacroObjectPtr& macro : macros) {
            if (owners.Settled())
                return;
            if (macro->GetMacroViewNumber() != view || !owners.Wants(macro->GetReference()) ||
                !macro->CheckMacroLibraryNameAndCommand(command))
                continue;
            owners.Offer(command == MacroCommand::Figure ? TemporaryFigure(macro) : TemporarySheet(macro));
        }
    }
}

void FollowMovedOwners(const std::vector<INestingMacroObjectPtr>& macros, const std::map<reference, reference>& moved)
{
    for (const INestingMacroObjectPtr& macro : macros) {
        if (!macro || !macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
            continue;
        const JumperPtr bridge = LoadBridge(macro);
        bool renamed = false;
        for (Jumper::OwnerMark& mark : bridge->m_ownerMarks) {
            const auto found = moved.find(mark.ref);
            if (mark.ref != 0 && found != moved.end()) {
                mark.ref = found->second;
                renamed = true;
            }
        }
        if (renamed)
            bridge->SaveParams();
    }
}

void MarkBridgeOwners()
{
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    std::vector<JumperPtr> unmarked;
    for (const INestingMacroObjectPtr& macro : macros) {
        if (!macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
            continue;
        JumperPtr bridge = LoadBridge(macro);
        if (bridge->m_ownerMarks[0].ref == 0 && bridge->m_ownerMarks[1].ref == 0)
            unmarked.push_back(std::move(bridge));
    }
    if (unmarked.empty())
        return;
    // Each figure and sheet read once, figures first.
    std::vector<NObjectPtr> candidates;
    for (const MacroCommand command : {MacroCommand::Figure, MacroCommand::Sheet}) {
        for (const INestingMacroObjectPtr& macro : macros) {
            if (macro->CheckMacroLibraryNameAndCommand(command))
                candidates.push_back(command == MacroCommand::Figure ? TemporaryFigure(macro) : TemporarySheet(macro));
        }
    }
    for (const JumperPtr& bridge : unmarked) {
        BridgeOwners owners(*bridge);
        const int view = bridge->GetView();
        for (const NObjectPtr& candidate : candidates) {
            if (candidate->GetView() == view)
                owners.Offer(candidate);
        }
        owners.GiveTo(*bridge);
        if (bridge->m_owner1 || bridge->m_owner2)
            bridge->SaveParams();
    }
}

void OwnCopiedBridges(const std::vector<INestingMacroObjectPtr>& copies)
{
    std::vector<INestingMacroObjectPtr> macros;
    for (const INestingMacroObjectPtr& copy : copies) {
        if (!copy || !copy->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
            continue;
        if (macros.empty())
            vrnApi::GetMacrosFromActiveDoc(macros);
        const JumperPtr bridge = LoadBridge(copy);
        bridge->m_ownerMarks = {};
        BridgeOwners owners(*bridge);
        OfferDrawingOwners(owners, macros, bridge->GetView());
        owners.GiveTo(*bridge);
        bridge->CheckValid();
        bridge->UpdateName();
        bridge->SaveParams();
    }
}

// ---- BridgesAside

BridgesAside::BridgesAside(const std::vector<reference>& bridges)
{
    if (bridges.empty())
        return;
    m_doc = vrnApi::GetActiveDocument2D();
    if (!m_doc)
        return;
    const LibraryEdit edit;
    for (const reference ref : bridges) {
        const INestingMacroObjectPtr macro = vrnApi::CreateMacroByReference(ref);
        const vlapi::IVarnelAPIObjectPtr object(hostAccess::ObjectOf(m_doc, ref));
        vlapi::IDrawingGroupsPtr groups = m_doc->GetDrawingGroups();
        vlapi::IDrawingGroupPtr group = groups && macro && object ? groups->Add(true, std::wstring()) : nullptr;
        if (!group)
            continue;
        vlapi::IDrawingGroupPtr copy = group->AddObjects({object}) ? group->CopyToDocument(m_doc.get()) : nullptr;
        hostAccess::ReleaseGroup(group);
        // A bridge that cannot be kept stays where it is.
        if (!copy)
            continue;
        m_aside.push_back({macro->GetMacroViewNumber(), copy});
        macro->DeleteMacro();
    }
}

BridgesAside::~BridgesAside()
{
    if (m_aside.empty())
        return;
    // Closed meanwhile: the copies go with it.
    vlapi::IDocumentsPtr documents = application ? application->GetDocuments() : nullptr;
    bool open = false;
    for (int i = 0; documents && i < documents->GetCount() && !open; ++i)
        open = hostAccess::SameObject(documents->GetItem(i), m_doc);
    if (!open) {
        for (const Aside& aside : m_aside)
            hostAccess::ReleaseGroup(aside.copy);
        return;
    }
    const LibraryEdit edit;
    const vlapi::IVarnelDocument2DPtr active = vrnApi::GetActiveDocument2D();
    m_doc->Activate();
    const int current = vrnApi::GetActiveView();
    for (const Aside& aside : m_aside) {
        if (const vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(aside.view)) {
            view->SetCurrent(true);
            aside.copy->Store();
        }
        hostAccess::ReleaseGroup(aside.copy);
    }
    if (const vlapi::IViewPtr view = vrnApi::GetViewPtrByNumber(current))
        view->SetCurrent(true);
    if (active && !hostAccess::SameObject(active, m_doc))
        active->Activate();
}

// ---- SheetEdgeBridges

SheetEdgeBridges::Drawing SheetEdgeBridges::Drawing::Active()
{
    Drawing drawing;
    vrnApi::GetMacrosFromActiveDoc(drawing.macros);
    for (const INestingMacroObjectPtr& macro : drawing.macros) {
        if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
            drawing.bridges.push_back(macro);
    }
    return drawing;
}

SheetEdgeBridges::SheetEdgeBridges(const NObject& sheet, const Drawing& drawing) : m_before(sheet.m_rect)
{
    const reference ref = sheet.GetReference();
    if (ref == 0)
        return;
    for (const INestingMacroObjectPtr& macro : drawing.bridges) {
        if (macro->GetMacroViewNumber() != sheet.GetView())
            continue;
        const JumperPtr bridge = LoadBridge(macro);
        BridgeOwners owners(*bridge);
        if (!owners.Wants(ref))
            continue;
        OfferDrawingOwners(owners, drawing.macros, bridge->GetView());
        for (size_t end = 0; end < EndCount(*bridge); ++end) {
            if (owners.Owner(end) && owners.Owner(end)->GetReference() == ref)
                m_ends.push_back({bridge, end, EndPoint(*bridge, end)});
        }
    }
}

void SheetEdgeBridges::Follow(const NObject& sheet) const
{
    const NRect& after = sheet.m_rect;
    for (const End& e : m_ends) {
        // The edge the end stands on: the nearest of the sheet as it was.
        const double distances[4] = {std::fabs(e.point.x - m_before.pBot.x), std::fabs(e.point.x - m_before.pTop.x),
                                     std::fabs(e.point.y - m_before.pBot.y), std::fabs(e.point.y - m_before.pTop.y)};
        const size_t edge = static_cast<size_t>(std::min_element(std::begin(distances), std::end(distances)) -
                                                std::begin(distances));
        NPoint to = e.point;
        if (edge < 2)
            to.x += edge == 0 ? after.pBot.x - m_before.pBot.x : after.pTop.x - m_before.pTop.x;
        else
            to.y += edge == 2 ? after.pBot.y - m_before.pBot.y : after.pTop.y - m_before.pTop.y;
        if (Distance(to, e.point) < kSamePlace)
            continue;
        Jumper& bridge = *e.bridge;
        if (e.end == 0) {
            const NPoint second = bridge.m_point2;
            bridge.SetPoint1(to);
            if (bridge.m_twoPoints)
                bridge.SetPoint2(second);
        } else {
            bridge.SetPoint2(to);
        }
        bridge.SaveParams();
    }
}

// ---- BridgeAnchors

BridgeAnchors::Placement BridgeAnchors::Where(const INestingMacroObject& macro)
{
    Placement at;
    at.view = macro.GetMacroViewNumber();
    macro.GetMacroPlacement(at.x, at.y, at.angle);
    return at;
}

bool BridgeAnchors::Same(const Placement& a, const Placement& b)
{
    return a.view == b.view && std::fabs(a.x - b.x) < kSamePlace && std::fabs(a.y - b.y) < kSamePlace &&
           std::fabs(std::remainder(a.angle - b.angle, 360.0)) < kSamePlace;
}

// The point that stood at `p` with an object placed at `from` stands there
// again with the object placed at `to`.
NPoint BridgeAnchors::Carry(const Placement& from, const Placement& to, const NPoint& p)
{
    const double back = -from.angle * DR;
    const double dx = p.x - from.x;
    const double dy = p.y - from.y;
    const NPoint local{dx * std::cos(back) - dy * std::sin(back), dx * std::sin(back) + dy * std::cos(back)};
    const double turn = to.angle * DR;
    return {to.x + local.x * std::cos(turn) - local.y * std::sin(turn),
            to.y + local.x * std::sin(turn) + local.y * std::cos(turn)};
}

bool BridgeAnchors::Holds(reference bridge) const
{
    return std::any_of(m_holds.begin(), m_holds.end(),
                       [bridge](const Held& held) { return held.bridge->GetReference() == bridge; });
}

void BridgeAnchors::CatchUp(const JumperPtr& shared, const std::vector<NObjectPtr>& owners)
{
    const Jumper& bridge = *shared;
    const int view = bridge.GetView();
    Held held{shared, {}, EndCount(bridge), 2};
    for (size_t end = 0; end < held.count; ++end) {
        End& e = held.ends[end];
        e.point = EndPoint(bridge, end);
        e.start.view = view;
        e.last = e.start;
        const Jumper::OwnerMark& mark = bridge.m_ownerMarks[end];
        const NObjectPtr owner = mark.placed ? OwnerOf(owners, mark.ref, view) : nullptr;
        if (!owner)
            continue;
        const Placement was{view, mark.x, mark.y, mark.angle};
        const Placement now = Where(*owner->m_macro);
        if (Same(was, now) || !BorderDistance(*owner, Carry(was, now, e.point), kOnBorder))
            continue;
        // Left behind: still where it stood when its owner stood there (an
        // end that moved since went along with its owner, or by itself).
        // Without that record, an end off its owner's border was left behind.
        if (mark.located ? Distance(e.point, mark.at) > kOnBorder : BorderDistance(*owner, e.point, kOnBorder).has_value())
            continue;
        e.owner = owner->m_macro;
        e.start = was;
        e.last = was;
        held.lead = std::min(held.lead, end);
    }
    if (held.lead < held.count)
        Bring(held);
}

std::vector<reference> BridgeAnchors::AfterOwners()
{
    std::vector<reference> lost;
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    // Every command starts here, whatever the size of the drawing: each
    // macro is asked what it is once, and each figure or sheet is read once,
    // when a bridge first looks at it.
    struct Candidate {
        INestingMacroObjectPtr macro;
        reference ref = 0;
        int view = 0;
        bool figure = false;
        NObjectPtr read;
    };
    std::vector<Candidate> candidates;  // figures first, then sheets, each in drawing order
    std::vector<JumperPtr> bridges;
    for (const MacroCommand command : {MacroCommand::Figure, MacroCommand::Sheet}) {
        for (const INestingMacroObjectPtr& macro : macros) {
            if (macro->CheckMacroLibraryNameAndCommand(command))
                candidates.push_back({macro, macro->GetReference(), macro->GetMacroViewNumber(),
                                      command == MacroCommand::Figure, nullptr});
        }
    }
    for (const INestingMacroObjectPtr& macro : macros) {
        if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
            bridges.push_back(LoadBridge(macro));
    }
    std::unordered_map<reference, size_t> byReference;
    for (size_t k = 0; k < candidates.size(); ++k)
        byReference.emplace(candidates[k].ref, k);
    const auto read = [&candidates](size_t k) {
        Candidate& c = candidates[k];
        if (!c.read)
            c.read = c.figure ? TemporaryFigure(c.macro) : TemporarySheet(c.macro);
        return c.read;
    };
    // As OfferDrawingOwners, from the candidates read once.
    const auto offer = [&](BridgeOwners& owners, int view) {
        for (size_t k = 0; k < candidates.size() && !owners.Settled(); ++k) {
            if (candidates[k].view == view && owners.Wants(candidates[k].ref))
                owners.Offer(read(k));
        }
    };
    for (const JumperPtr& bridge : bridges) {
        // The owners its marks name.
        const int view = bridge->GetView();
        std::vector<NObjectPtr> marked;
        for (size_t end = 0; end < EndCount(*bridge); ++end) {
            const Jumper::OwnerMark& mark = bridge->m_ownerMarks[end];
            const auto found = mark.placed && mark.ref != 0 ? byReference.find(mark.ref) : byReference.end();
            if (found != byReference.end() && candidates[found->second].view == view)
                marked.push_back(read(found->second));
        }
        CatchUp(bridge, marked);
        // Named after what it stands on now.
        BridgeOwners owners(*bridge);
        for (const NObjectPtr& owner : marked)
            owners.Offer(owner);
        offer(owners, view);
        owners.GiveTo(*bridge);
        const auto whole = [&bridge] { return bridge->m_owner1 && (bridge->m_owner2 || !bridge->m_twoPoints); };
        if (!whole()) {
            // Its owner gone, or the bridge taken off it (copied along with a
            // copy of its part, or moved onto another): it is the bridge of
            // the figure or sheet it stands on now, if any.
            for (size_t end = 0; end < EndCount(*bridge); ++end) {
                if (!owners.Owner(end))
                    bridge->m_ownerMarks[end] = {};
            }
            BridgeOwners standing(*bridge);
            offer(standing, view);
            standing.GiveTo(*bridge);
            if (standing.Owner(0) || standing.Owner(1))
                bridge->SaveParams();
        }
        bridge->UpdateName();
        if (!whole())
            lost.push_back(bridge->GetReference());
        bridge->m_owner1.reset();
        bridge->m_owner2.reset();
    }
    return lost;
}

void BridgeAnchors::Hold(const std::vector<NObjectPtr>& owners, const std::vector<NObjectPtr>* candidates)
{
    const auto skip = [this](reference ref) { return Holds(ref); };
    const auto catchUp = [&owners](const JumperPtr& bridge) { CatchUp(bridge, owners); };
    for (Standing& standing : BridgesStandingOn(owners, candidates, skip, catchUp)) {
        Held held{standing.bridge, {}, EndCount(*standing.bridge), 2};
        for (size_t end = 0; end < held.count; ++end) {
            End& e = held.ends[end];
            const NObjectPtr& owner = standing.on[end];
            e.point = EndPoint(*held.bridge, end);
            if (owner && owner->m_macro) {
                e.owner = owner->m_macro;
                e.start = Where(*e.owner);
                held.lead = std::min(held.lead, end);
            } else {
                e.start.view = held.bridge->GetView();
            }
            e.last = e.start;
        }
        if (held.lead < held.count)
            m_holds.push_back(std::move(held));
    }
}

void BridgeAnchors::Follow()
{
    for (Held& held : m_holds)
        Bring(held);
}

void BridgeAnchors::Bring(Held& held)
{
    Jumper& bridge = *held.bridge;
    if (bridge.GetReference() == 0)
        return;
    std::array<Placement, 2> now;
    bool moved = false;
    bool renamed = false;  // an owner's macro made anew (carried through another view)
    for (size_t end = 0; end < held.count; ++end) {
        const End& e = held.ends[end];
        if (e.owner && e.owner->GetReference() == 0)
            return;
        now[end] = e.owner ? Where(*e.owner) : e.start;
        moved = moved || !Same(now[end], e.last);
        renamed = renamed || (e.owner && e.owner->GetReference() != bridge.m_ownerMarks[end].ref);
    }
    if (!moved && !renamed)
        return;
    // The bridge stays in the view of its first held owner. An end whose
    // owner stands there keeps its place on that owner; any other end is
    // carried along with the first held owner.
    const End& lead = held.ends[held.lead];
    const int view = now[held.lead].view;
    std::array<NPoint, 2> to;
    for (size_t end = 0; end < held.count; ++end) {
        const End& e = held.ends[end];
        to[end] = now[end].view == view ? Carry(e.start, now[end], e.point)
                                        : Carry(lead.start, now[held.lead], e.point);
    }
    if (moved) {
        if (bridge.GetView() != view) {
            bridge.ChangeView(view, false);
            bridge.Init();  // the drawer takes the members of the macro in its new view
        }
        bridge.SetPoint1(to[0]);
        if (bridge.m_twoPoints)
            bridge.SetPoint2(to[1]);
    }
    for (size_t end = 0; end < held.count; ++end) {
        End& e = held.ends[end];
        if (e.owner)
            bridge.m_ownerMarks[end] = {e.owner->GetReference(), true, now[end].x,         now[end].y,
                                        now[end].angle,          true, EndPoint(bridge, end)};
        e.last = now[end];
    }
    bridge.SaveParams();
    if (renamed)
        NameOwners(held);
}

void BridgeAnchors::NameOwners(const Held& held)
{
    // An end handed on to another owner (a compound split or joined) names
    // it: the held owner by its macro, any other end the object it stands on.
    Jumper& bridge = *held.bridge;
    BridgeOwners standing(bridge);
    const bool offer = std::any_of(held.ends.begin(), held.ends.begin() + static_cast<std::ptrdiff_t>(held.count),
                                   [](const End& e) { return !e.owner; });
    if (offer) {
        std::vector<INestingMacroObjectPtr> macros;
        vrnApi::GetMacrosFromActiveDoc(macros);
        OfferDrawingOwners(standing, macros, bridge.GetView());
    }
    std::array<NObjectPtr, 2> owners;
    for (size_t end = 0; end < held.count; ++end) {
        const INestingMacroObjectPtr& macro = held.ends[end].owner;
        if (!macro) {
            owners[end] = standing.Owner(end);
            continue;
        }
        owners[end] = std::make_shared<NObject>(macro);
        owners[end]->m_name = macro->GetName();
    }
    bridge.m_owner1 = owners[0];
    bridge.m_owner2 = owners[1];
    bridge.UpdateName();
    // The marks stay as stored: the owners only lent their names.
    bridge.m_owner1.reset();
    bridge.m_owner2.reset();
}

std::vector<BridgeAnchors::Handover> BridgeAnchors::Leave(const INestingMacroObjectPtr& owner) const
{
    std::vector<Handover> ends;
    if (!owner || owner->GetReference() == 0)
        return ends;
    const Placement now = Where(*owner);
    for (const Held& held : m_holds) {
        for (size_t end = 0; end < held.count; ++end) {
            const End& e = held.ends[end];
            if (e.owner == owner)
                ends.push_back({held.bridge, end, owner, now, Carry(e.start, now, e.point)});
        }
    }
    return ends;
}

BridgeAnchors::Held* BridgeAnchors::HeldOf(const JumperPtr& bridge)
{
    const auto it = std::find_if(m_holds.begin(), m_holds.end(), [&](const Held& h) { return h.bridge == bridge; });
    return it == m_holds.end() ? nullptr : &*it;
}

void BridgeAnchors::Rehold(Held& held, size_t end, const Figure& owner, const NPoint& at)
{
    End& e = held.ends[end];
    e.owner = owner.m_macro;
    e.start = Where(*e.owner);
    e.point = at;
    e.last = Placement{};
    e.last.view = -2;  // never a view: the next Follow moves the bridge
}

void BridgeAnchors::Hand(const std::vector<Handover>& ends, const std::vector<FigurePtr>& owners)
{
    for (const Handover& handover : ends) {
        Held* held = HeldOf(handover.bridge);
        if (!held)
            continue;
        NPoint at = handover.at;
        if (handover.from && handover.from->GetReference() != 0)
            at = Carry(handover.fromAt, Where(*handover.from), at);
        FigurePtr nearest;
        double distance = 0.0;
        for (const FigurePtr& owner : owners) {
            const std::optional<double> d =
                owner && owner->m_macro ? BorderDistance(*owner, at, kFarAway) : std::nullopt;
            if (d && (!nearest || *d < distance)) {
                nearest = owner;
                distance = *d;
            }
        }
        if (nearest)
            Rehold(*held, handover.end, *nearest, at);
    }
}

void BridgeAnchors::Split(const CompoundFigure& compound, std::vector<FigurePtr>& members,
                          const std::function<void()>& split)
{
    // Each end in the frame of the member under it, read before the split.
    struct OnMember {
        Handover end;
        size_t member = 0;
        NPoint local;
        bool mirrored = false;
    };
    std::vector<OnMember> ends;
    for (const Handover& end : Leave(compound.m_macro)) {
        const Placement origin{end.fromAt.view, 0.0, 0.0, 0.0};
        const NPoint inCompound = Carry(end.fromAt, origin, end.at);
        std::optional<size_t> nearest;
        double distance = 0.0;
        for (size_t k = 0; k < compound.m_figures.size(); ++k) {
            const FigurePtr& member = compound.m_figures[k];
            const std::optional<double> d = member ? BorderDistance(*member, inCompound, kFarAway) : std::nullopt;
            if (d && (!nearest || *d < distance)) {
                nearest = k;
                distance = *d;
            }
        }
        if (!nearest)
            continue;
        const Figure& member = *compound.m_figures[*nearest];
        Placement at{origin.view, 0.0, 0.0, 0.0};
        member.GetPlacement(at.x, at.y, at.angle);
        ends.push_back({end, *nearest, Carry(at, origin, inCompound), member.m_symmetry});
    }
    const size_t first = members.size();
    split();
    for (const OnMember& on : ends) {
        Held* held = HeldOf(on.end.bridge);
        if (!held || first + on.member >= members.size() || !members[first + on.member]->m_macro)
            continue;
        const Figure& member = *members[first + on.member];
        const Placement now = Where(*member.m_macro);
        // A member mirrored back stands at the origin, mirrored across the x axis.
        const NPoint at = on.mirrored ? NPoint{on.local.x, -on.local.y}
                                      : Carry(Placement{now.view, 0.0, 0.0, 0.0}, now, on.local);
        Rehold(*held, on.end.end, member, at);
    }
}

void BridgeAnchors::DeleteOn(const std::vector<NObjectPtr>& owners, std::vector<reference>& deleted)
{
    const auto remove = [&](Jumper& bridge) {
        const reference ref = bridge.GetReference();
        std::erase_if(m_holds, [ref](const Held& held) { return held.bridge->GetReference() == ref; });
        bridge.m_edit = false;
        bridge.Clear();
        deleted.push_back(ref);
    };
    // A held bridge goes with its owner wherever the owner has been taken
    // since (into the system view before the copies of a part are deleted),
    // even though it does not stand on the owner there.
    std::vector<JumperPtr> held;
    for (const Held& h : m_holds) {
        if (std::any_of(h.ends.begin(), h.ends.begin() + static_cast<std::ptrdiff_t>(h.count), [&](const End& e) {
                return e.owner && std::any_of(owners.begin(), owners.end(), [&](const NObjectPtr& owner) {
                           return owner && e.owner == owner->m_macro;
                       });
            }))
            held.push_back(h.bridge);
    }
    for (const JumperPtr& bridge : held)
        remove(*bridge);
    const auto gone = [&deleted](reference ref) {
        return std::find(deleted.begin(), deleted.end(), ref) != deleted.end();
    };
    const auto asItIs = [](const JumperPtr&) {};
    for (Standing& standing : BridgesStandingOn(owners, nullptr, gone, asItIs))
        remove(*standing.bridge);
}
