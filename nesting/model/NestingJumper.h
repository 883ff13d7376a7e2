// A bridge (micro-joint, lead-in or crossing) between a figure and a figure or
// the sheet, kept in a library macro (command 103). Its first end is the
// macro's placement point; its second end is the centre of the macro's second
// arc, in macro coordinates. The owners are found again from the drawing. The
// macro stores the 40-byte JumperParams record, followed, once the bridge has
// had an owner, by one mark per end (an int32 host reference of the owner's
// macro, then that macro's placement x, y and angle as doubles, NaN when not
// known): a bridge whose owner is gone is never taken for a neighbour's, and
// one whose owner was moved without it is brought after it.
#pragma once

#include "model/JumperDrawer.h"
#include "model/NestingObject.h"

#include <array>
#include <memory>
#include <vector>

class Jumper;
using JumperPtr = std::shared_ptr<Jumper>;

class Jumper : public NObject, public JumperParams {
public:
    explicit Jumper(INestingMacroObjectPtr macro);
    ~Jumper() override;
    // A bridge in the default state holding `macro` (which may be empty).
    static JumperPtr Create(INestingMacroObjectPtr macro);

    // The drawer of the type, the two-point flag and the end points from the macro.
    void Init() override;
    void SaveParams() override;
    // A block too short or unsound is refused with a message and changes
    // nothing. The name is not rebuilt: it waits for the owners.
    void LoadParams() override;

    // "Мостик: <owner1> - <owner2> b<width> тип-<type + 1>", given to the macro.
    void UpdateName();
    void UpdateGeometry();
    // False, and the bridge marked invalid, when an owner it needs is missing.
    bool CheckValid();
    bool CheckIntersect(const JumperPtr& other) const;
    bool CheckIntersectWithPoint(const NPoint& p, double width) const;
    void CorrectPlacement1();
    void CorrectPlacement2();
    // Draws the bridge from m_point1 to m_point2 into the active drawing
    // container and appends the new objects.
    void CreateDrawingObjects(std::vector<vlapi::IDrawingObjectPtr>& objects, bool second);
    // A new macro of fresh drawing objects at m_point1 on `layer`, in place of the old one.
    void CreateMacro(int layer);
    // The preview while an end is dragged: a temporary group with the bridge
    // drawn to `p` as its first or second end; its host reference, 0 without one.
    // The bridge holds the last preview group, so that the reference names it
    // until its caller deletes it or the next preview replaces it.
    int GetPhantomGroup(const NPoint& p, bool second);
    // The macro made again in its view and on its layer.
    void ReBuild();

    double GetWidth() const { return m_width; }
    void SetWidth(double w);
    int GetType() const { return m_type; }
    // The drawer of the new kind and the name; a one-point kind drops the second owner.
    void SetType(BridgeType tp);
    const NPoint& GetPoint1() const { return m_point1; }
    const NPoint& GetPoint2() const { return m_point2; }
    void SetPoint1(const NPoint& p);
    void SetPoint2(const NPoint& p);

    JumperDrawerPtr m_drawer;  // empty for a type outside the eleven kinds
    NPoint m_point1;           // drawing coordinates; the macro's placement point
    NPoint m_point2;           // equals m_point1 for a one-point bridge
    // Each end was placed: set, previewed, or read from the macro.
    bool m_point1Placed = false;
    bool m_point2Placed = false;
    NObjectPtr m_owner1;       // the figure or sheet at each end
    NObjectPtr m_owner2;
    bool m_bynormal = false;   // the second end follows the first owner's normal
    // Each end's owner as last stored; an owner found since replaces its
    // end's mark when the record is saved.
    struct OwnerMark {
        reference ref = 0;     // the owner's macro; 0: none known
        bool placed = false;   // the placement below is known
        double x = 0.0;        // where the owner's macro stood, angle in degrees
        double y = 0.0;
        double angle = 0.0;
        // Where the end stood when its owner stood there: a bridge whose end
        // is still there was left behind by an owner moved since.
        bool located = false;
        NPoint at;
    };
    std::array<OwnerMark, 2> m_ownerMarks;

private:
    vlapi::IDrawingGroupPtr m_phantom;

    void DrawWith(JumperDrawer& drawer, std::vector<vlapi::IDrawingObjectPtr>& objects, bool second) const;
    // The requested second end moved along the first owner's normal, when
    // both owners can answer; `p` otherwise.
    NPoint ByNormal(const NPoint& p) const;
};
