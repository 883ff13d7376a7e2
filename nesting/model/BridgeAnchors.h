// Which figure or sheet a bridge stands on, and the bridges of the drawing
// held to those objects, so that what a command does to a figure or a sheet
// happens to its bridges too: an end follows its owner's shift and turn (into
// another view as well), and a bridge goes when its owner is deleted.
#pragma once

#include "model/NestingFigure.h"
#include "model/NestingJumper.h"

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// The owners of a bridge's two ends, chosen among the objects offered (the
// figures and sheets of the bridge's view, figures first): for each end the
// one whose border passes nearest the end, within half the bridge's width;
// at equal distances the first offered. An end whose owner's macro reference
// is stored takes that object or none, so that a neighbour never inherits a
// bridge whose owner is gone or has moved away from it.
class BridgeOwners {
public:
    explicit BridgeOwners(const Jumper& jumper);

    // An object of that macro reference could own an end.
    bool Wants(reference ref) const;
    // Each end has the object of its stored reference: no offer can change them.
    bool Settled() const;
    void Offer(const NObjectPtr& candidate);
    const NObjectPtr& Owner(size_t end) const { return m_ends[end].owner; }
    // The owners found, an end without one left empty.
    void GiveTo(Jumper& jumper) const;

private:
    struct End {
        NPoint point;
        reference stored = 0;
        NObjectPtr owner;
        double distance = 0.0;
    };
    std::array<End, 2> m_ends;
    size_t m_count;  // the ends that need an owner
    double m_reach;
};

// Offers the library figures and then sheets of `view` among `macros` (each
// read as a temporary object of its own) until the owners are settled.
void OfferDrawingOwners(BridgeOwners& owners, const std::vector<INestingMacroObjectPtr>& macros, int view);

// The drawing's objects made anew (a cancelled command gives the drawing back
// as copies): `moved` tells the references they had and have now, and the
// bridges among `macros` are made to name their owners' new macros.
void FollowMovedOwners(const std::vector<INestingMacroObjectPtr>& macros, const std::map<reference, reference>& moved);

// The bridges of the active drawing whose records name no owner (written
// before owners were stored) are given the figures and sheets they stand on,
// so that a move of those owners with the host's own tools brings them along
// and no neighbour inherits them; the others are left as they are.
void MarkBridgeOwners();

// Bridges copied with the host's own tools are bridges of their own: each end
// is owned by the figure or sheet it stands on, whatever owned the original's.
void OwnCopiedBridges(const std::vector<INestingMacroObjectPtr>& copies);

// The bridge ends standing on a rectangular sheet's edges, taken before the
// sheet is resized; Follow then moves those on an edge that moved with it.
class SheetEdgeBridges {
public:
    // The drawing's macros and its bridges among them, listed once for all
    // the sheets resized together (a bridge stands in one sheet's view: the
    // others' resizing leaves it as it was).
    struct Drawing {
        std::vector<INestingMacroObjectPtr> macros;
        std::vector<INestingMacroObjectPtr> bridges;
        static Drawing Active();
    };

    SheetEdgeBridges(const NObject& sheet, const Drawing& drawing);
    void Follow(const NObject& sheet) const;

private:
    struct End {
        JumperPtr bridge;
        size_t end = 0;
        NPoint point;
    };
    NRect m_before;
    std::vector<End> m_ends;
};

// Bridges taken out of the active drawing for as long as it lives, each kept
// as a copy standing in no view, and put back into their views (as new
// objects) when it goes: what is made of the drawing meanwhile (a map, its
// DXF file) does not show them.
class BridgesAside {
public:
    explicit BridgesAside(const std::vector<reference>& bridges);
    ~BridgesAside();
    BridgesAside(const BridgesAside&) = delete;
    BridgesAside& operator=(const BridgesAside&) = delete;

private:
    struct Aside {
        int view = 0;
        vlapi::IDrawingGroupPtr copy;
    };
    vlapi::IVarnelDocument2DPtr m_doc;
    std::vector<Aside> m_aside;
};

class BridgeAnchors {
public:
    // Every bridge of the active drawing brought after the figures and
    // sheets it is marked on where they moved without it (with the host's
    // own tools, the library away or not asked), and named after the owners
    // it stands on now: a bridge taken off its owner (copied along with a
    // copy of its part, or moved onto another) is the bridge of what it
    // stands on; one that stands on nothing is named lost ("Потерян
    // объект"). The references of the bridges that lack an owner are given
    // back: they stand where no part stands, and no map or export draws them.
    static std::vector<reference> AfterOwners();

    // Holds each bridge of the active drawing with an end on one of `owners`
    // (objects of the drawing, their outlines loaded), after bringing it after
    // an owner that moved without it. The ends' owners are chosen among
    // `candidates` when given (every figure, then every sheet, of the
    // drawing), otherwise among the drawing's macros. A bridge held already
    // keeps its hold.
    void Hold(const std::vector<NObjectPtr>& owners, const std::vector<NObjectPtr>* candidates = nullptr);
    // Brings each held bridge after its owners as they stand now and stores
    // its owners' references anew. A bridge whose owner has lost its macro
    // (deleted outside a model) is left where it is; a compound split or
    // joined has handed its ends on first (Split, Hand).
    void Follow();
    // Deletes from the drawing every bridge with an end on one of `owners`
    // (the drawing's bridges read once), and drops their holds; the
    // references they had are appended to `deleted`.
    void DeleteOn(const std::vector<NObjectPtr>& owners, std::vector<reference>& deleted);
    void Release() { m_holds.clear(); }
    size_t Count() const { return m_holds.size(); }

    struct Placement {
        int view = -1;
        double x = 0.0;
        double y = 0.0;
        double angle = 0.0;  // degrees
    };
    // A held end whose owner is made anew out of other figures (a compound
    // split into its members, members joined into a compound).
    struct Handover {
        JumperPtr bridge;
        size_t end = 0;
        INestingMacroObjectPtr from;  // the owner it leaves
        Placement fromAt;             // where that owner stood when `at` was taken
        NPoint at;                    // where the end stands on it
    };
    // The ends held on `owner`, where they stand now.
    std::vector<Handover> Leave(const INestingMacroObjectPtr& owner) const;
    // The ends carried along by the owners they leave, as long as those still
    // stand in the drawing (a member moved into its compound), then held on
    // whichever of `owners` passes nearest to each.
    void Hand(const std::vector<Handover>& ends, const std::vector<FigurePtr>& owners);
    // Splits `compound` by `split`, which appends its members to `members` in
    // the compound's order (a member mirrored for the join mirrored back, at
    // the origin): each end held on the compound passes to the member it
    // stands on, where it stood on that member.
    void Split(const CompoundFigure& compound, std::vector<FigurePtr>& members, const std::function<void()>& split);

private:
    // One end of a held bridge and the owner it stands on; an end on an
    // object that is not held has no owner here: it stays where it is.
    struct End {
        INestingMacroObjectPtr owner;
        Placement start;  // where the owner stood when the bridge was held
        Placement last;   // where it stood when the bridge was last brought after it
        NPoint point;     // where the end stood when the bridge was held
    };
    struct Held {
        JumperPtr bridge;
        std::array<End, 2> ends;
        size_t count = 1;
        size_t lead = 0;  // the first end on a held owner: the bridge stays in its view
    };

    // Brings a bridge after those of `owners` that its marks say moved
    // without it (by the host's own tools): an end left off its owner's
    // border that lies on it again when carried along.
    static void CatchUp(const JumperPtr& bridge, const std::vector<NObjectPtr>& owners);
    static Placement Where(const INestingMacroObject& macro);
    static bool Same(const Placement& a, const Placement& b);
    static NPoint Carry(const Placement& from, const Placement& to, const NPoint& p);
    bool Holds(reference bridge) const;
    static void Bring(Held& held);
    static void NameOwners(const Held& held);
    // The end held on `owner` from now on, standing at `at`; the next Follow
    // brings the bridge there.
    static void Rehold(Held& held, size_t end, const Figure& owner, const NPoint& at);
    Held* HeldOf(const JumperPtr& bridge);

    std::vector<Held> m_holds;
};
