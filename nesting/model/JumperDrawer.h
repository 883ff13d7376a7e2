// The drawers of the bridge kinds. Every bridge is made of at most two arcs of
// radius r (half the bridge width) and two straight segments in line style 2;
// a one-point bridge is a single circle of radius r around its point. The
// drawers differ only in where the four node points lie and, for the
// crossing, in the sense of the second arc.
#pragma once

#include "host/INestingMacro.h"
#include "vlapi/vlapi.h"

#include <memory>
#include <vector>

class JumperDrawer;
using JumperDrawerPtr = std::shared_ptr<JumperDrawer>;

class JumperDrawer {
public:
    virtual ~JumperDrawer();

    // Makes the drawing objects in `container` (drawing coordinates) and holds them.
    virtual void Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
                      bool second) = 0;
    // Sets m_p1 to m_p4 for the ends a = point1 and b = point2.
    virtual void CalculateNodePoints(const NPoint& point1, const NPoint& point2) = 0;

    // Takes every handle still empty from the macro: its first and second arc
    // and its first and second line segment.
    void Init(const INestingMacroObjectPtr& macro);
    // The second end in drawing coordinates: `point1` plus the centre of the
    // second arc (held in macro coordinates), or `point1` without one.
    NPoint GetPoint2(const NPoint& point1) const;
    // The vector of length r square to a->b, pointing to its right; zero when
    // the two ends coincide and give no direction.
    NPoint CalculateOffsetPoints(const NPoint& a, const NPoint& b) const;
    void DrawCircle(vlapi::IDrawingContainerPtr container, const NPoint& point1);
    // The common two-point drawing; without `second`, or with coincident
    // ends, the circle around the first point.
    void DrawAllObjects(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
                        bool second, bool secondArcDirection = true);
    // Rewrites the held objects, which stand in macro coordinates (origin at
    // point1), for the ends and the radius now in force.
    void UpdateGeometry(bool twoPoints, const NPoint& point1, const NPoint& point2);
    // Appends the held objects: m_arc1, m_arc2, m_segment1, m_segment2.
    void GetObjects(std::vector<vlapi::IDrawingObjectPtr>& objects) const;
    // Lets go of the held objects; nothing is deleted from the drawing.
    void ReleaseObjects();

    vlapi::IArcPtr m_arc1;  // around the first point; the circle of a one-point bridge
    vlapi::IArcPtr m_arc2;  // around the second point
    vlapi::ILineSegmentPtr m_segment1;  // m_p1 -> m_p2
    vlapi::ILineSegmentPtr m_segment2;  // m_p3 -> m_p4
    NPoint m_p1;  // m_p1 and m_p3 belong to the first point,
    NPoint m_p2;  // m_p2 and m_p4 to the second
    NPoint m_p3;
    NPoint m_p4;
    double m_r = 0.0;  // mm

    // The drawer of a bridge type; empty for a value outside the eleven kinds.
    static JumperDrawerPtr Make(int32_t type);
};

class CircleJumperDrawer : public JumperDrawer {
public:
    void Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
              bool second) override;
    void CalculateNodePoints(const NPoint& point1, const NPoint& point2) override;
};

class DoubleJumperDrawer : public JumperDrawer {
public:
    void Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
              bool second) override;
    void CalculateNodePoints(const NPoint& point1, const NPoint& point2) override;
};

class LeftJumperDrawer : public JumperDrawer {
public:
    void Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
              bool second) override;
    void CalculateNodePoints(const NPoint& point1, const NPoint& point2) override;
};

class RightJumperDrawer : public JumperDrawer {
public:
    void Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
              bool second) override;
    void CalculateNodePoints(const NPoint& point1, const NPoint& point2) override;
};

class CrossJumperDrawer : public JumperDrawer {
public:
    void Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
              bool second) override;
    void CalculateNodePoints(const NPoint& point1, const NPoint& point2) override;
};
