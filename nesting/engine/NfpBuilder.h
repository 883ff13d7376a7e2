// The orbiting no-fit polygon of a moving polygon B against a fixed polygon A.
#pragma once

#include "engine/NfpContacts.h"
#include "geometry/Polygon.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

// Slides B around A (or, in inner mode, along the inside of A) so that the two
// touch without overlapping, and traces the positions of B's placement point.
// The rings are the boundary of the placement points at which B overlaps A:
// the first ring is the orbit around A, the following ones are the cavities
// of that region (pockets B reaches only from inside, exact fits kept as a
// ring of one or two points). In inner mode every ring bounds a region of
// placement points at which B lies inside A.
class NFP_Builder {
public:
    NFP_Builder() = default;
    virtual ~NFP_Builder() = default;

    // A and B are copied; the caller's polygons are never changed. p0 is B's
    // placement point in B's present position.
    void Init(const NPoint& p0, std::shared_ptr<const NPolygon> polygon1, std::shared_ptr<const NPolygon> polygon2,
              bool inner);
    void RunCalculate();
    VectorPolygon& GetNfpPolygons() { return m_nfpPolygons; }
    // False when some orbit could not be completed (its ring is left out; a
    // failed orbit around A leaves no ring at all).
    bool IsComplete() const { return m_complete; }

private:
    using Ring = std::vector<NPoint>;

    // Pairs of edges that crossed at recently tested positions. Candidate
    // positions deep inside the overlap region far outnumber the others, and
    // the edges that crossed at one of them mostly cross at its neighbours
    // too: testing these few pairs first settles most candidates at once.
    class CrossingWitnesses {
    public:
        // Some kept pair crosses with B moved by `shift`.
        bool ShowOverlap(const nfp::ContactFrame& frame, const NPoint& shift);
        void Add(const nfp::EdgePair& pair);

    private:
        static constexpr size_t CAPACITY = 8;
        std::vector<nfp::EdgePair> m_pairs; // most recently useful first
    };

    // One calculation with the present frame; false when an orbit failed.
    bool Calculate();
    bool CheckIndexesByGabarit() const;
    void FindExterStartPosition();
    void FindInnerStartPosition();
    void TryStartAt(const NPoint& shift);
    bool TraceRing(double backAngle);
    bool Step();
    void FindTouchingPoints();
    void FindPotentialTranslationVectors();
    void FindFeasibleTranslationVectors();
    bool SelectTranslationVector();
    bool TrimmingFeasibleTranslationVectors();
    bool IsClosed();
    // The ring traced round A bounds as much as A + (-B) must.
    bool EnclosesBoth() const;
    bool ReachesKnownRing() const;
    void StepBack();
    void Move(const NPoint& move);
    // Turns phi counter-clockwise out of the blocked sectors; false when
    // every direction is blocked.
    bool LeaveBlockedDirections(double& phi) const;
    bool IsKnownPosition(const NPoint& shift) const;
    // B moved by `shift` does not overlap A; an edge pair that shows the
    // overlap joins the witnesses.
    bool IsFeasible(const NPoint& shift, CrossingWitnesses& witnesses) const;
    // The positions where B, moved from p to q, keeps one vertex on an edge.
    struct ContactSegment {
        ContactSegment(const NPoint& from, const NPoint& to)
            : p(from), dir(to - from), len2(nfp::Dot(dir, dir)), lo{std::min(from.x, to.x), std::min(from.y, to.y)},
              hi{std::max(from.x, to.x), std::max(from.y, to.y)}
        {
        }
        NPoint p;
        NPoint dir; // q - p
        double len2;
        NPoint lo; // the box
        NPoint hi;
    };
    // Calls visit(shift) for every position where B touches A at two places
    // at once: two vertices on each other, or two contact segments crossing.
    template <class Visit>
    void ForEachCandidate(Visit visit) const;
    void StoreRings();
    size_t StepBound() const;

    NPoint m_figurePlace;
    std::vector<NPoint> m_ringA;              // A and B cleaned, at their local origins
    std::vector<NPoint> m_ringB;
    std::optional<nfp::ContactFrame> m_frame; // A fixed, B at its Init position
    NPoint m_shift;                        // B's translation since Init
    nfp::Clearance m_clearance;            // along the present trace
    std::vector<nfp::Contact> m_touchPoints;
    std::vector<nfp::Sector> m_sectors;    // directions forbidden by the contacts
    std::vector<NSegment> m_potentialVectors;
    std::vector<NSegment> m_feasibleVectors;
    NSegment m_trimmedVector;
    double m_backAngle = 0.0;              // direction back along the last move
    std::vector<NPoint> m_nfpPoints;       // the ring being traced (translations)
    std::vector<nfp::IndexedRing> m_rings; // finished rings (translations)
    VectorPolygon m_nfpPolygons;
    size_t m_iter = 0;
    bool m_inner = false;
    bool m_complete = true;
    bool m_finest = false; // the last tolerance tried: the search there goes on to the end
    bool m_stopAtFailure = false; // an attempt between the first and the finest: its rings stand only complete
};
