// NContour and the chaining of segments and polygon fragments into chains.
#include "geometry/Polygon.h"
#include "geometry/PointGrid.h"

#include <algorithm>

// ---------------------------------------------------------------- NContour

void NContour::InitSegments(const std::vector<NSegmentPtr>& segms)
{
    if (&segms != &m_segments)
        m_segments = segms;
}

void NContour::AddSegment(const NSegmentPtr& segm) { m_segments.push_back(segm); }

// Inserts before position i; a position beyond the end appends.
void NContour::InsertSegment(size_t i, const NSegmentPtr& segm)
{
    const size_t at = std::min(i, m_segments.size());
    m_segments.insert(m_segments.begin() + static_cast<std::ptrdiff_t>(at), segm);
}

void NContour::Invert()
{
    for (const NSegmentPtr& s : m_segments)
        s->Invert();
    std::reverse(m_segments.begin(), m_segments.end());
}

void NContour::Offset(const NPoint& p)
{
    for (const NSegmentPtr& s : m_segments)
        s->Offset(p);
}

void NContour::Scale(double scale)
{
    for (const NSegmentPtr& s : m_segments)
        s->Scale(scale);
}

void NContour::GetPoints(std::vector<NPoint>& p) const
{
    for (const NSegmentPtr& s : m_segments)
        s->GetPoints(p);
}

NPolygonPtr NContour::CreatePolygon() const
{
    if (m_segments.empty())
        return nullptr;
    std::vector<NPoint> points;
    points.reserve(m_segments.size());
    GetPoints(points);
    return std::make_shared<NPolygon>(NPoint{}, points);
}

// ---------------------------------------------------------------- chaining

namespace {

const NPoint& PieceBegin(const NSegmentPtr& s) { return s->p1; }
const NPoint& PieceEnd(const NSegmentPtr& s) { return s->p2; }
const NPoint& PieceBegin(const NPolygonPtr& p) { return p->GetBegPoint(); }
const NPoint& PieceEnd(const NPolygonPtr& p) { return p->GetEndPoint(); }

// A chain grows at its tail and at its head; each piece that joins it is
// turned, when needed, to run the chain's way.
template <class T>
class ChainBuilder {
public:
    explicit ChainBuilder(const T& first) : m_tailPieces{first}, m_head(PieceBegin(first)), m_tail(PieceEnd(first)) {}

    // `piece` has an end that meets the chain's.
    bool Meets(const T& piece) const
    {
        return m_tail == PieceBegin(piece) || m_tail == PieceEnd(piece) || m_head == PieceEnd(piece) ||
               m_head == PieceBegin(piece);
    }

    // Joins `piece` when one of its ends meets the chain's; false otherwise.
    bool TryJoin(const T& piece)
    {
        if (m_tail == PieceBegin(piece)) {
            m_tail = PieceEnd(piece);
            m_tailPieces.push_back(piece);
        } else if (m_tail == PieceEnd(piece)) {
            m_tail = PieceBegin(piece);
            piece->Invert();
            m_tailPieces.push_back(piece);
        } else if (m_head == PieceEnd(piece)) {
            m_head = PieceBegin(piece);
            m_headPieces.push_back(piece);
        } else if (m_head == PieceBegin(piece)) {
            m_head = PieceEnd(piece);
            piece->Invert();
            m_headPieces.push_back(piece);
        } else {
            return false;
        }
        return true;
    }

    const NPoint& Head() const { return m_head; }
    const NPoint& Tail() const { return m_tail; }
    // The chain from its head to its tail.
    std::vector<T> Chain()
    {
        std::vector<T> chain(m_headPieces.rbegin(), m_headPieces.rend());
        chain.insert(chain.end(), m_tailPieces.begin(), m_tailPieces.end());
        return chain;
    }

private:
    // Pieces joined at the tail, in order, and at the head, the last joined
    // first in the chain: a chain grown at its head is not moved piece by
    // piece (a ring of lines drawn against their order).
    std::vector<T> m_tailPieces;
    std::vector<T> m_headPieces;
    NPoint m_head;
    NPoint m_tail;
};

}  // namespace

// Each chain starts from the first piece left and takes, one at a time, the
// first piece left (in the given order) that meets its head or its tail. The
// ends of the pieces left are filed in a grid, so that a chain finds its next
// piece among the ends near its own instead of among all pieces.
template <class T>
void CreateContinuousGeometry(std::vector<T>& geometry, std::vector<std::vector<T>>& outs)
{
    std::erase(geometry, nullptr);
    PointGrid ends(EPS);
    for (size_t i = 0; i < geometry.size(); ++i) {
        ends.Add(PieceBegin(geometry[i]), i);
        ends.Add(PieceEnd(geometry[i]), i);
    }
    std::vector<bool> taken(geometry.size(), false);
    auto take = [&](size_t i) {
        taken[i] = true;
        ends.Remove(PieceBegin(geometry[i]), i);
        ends.Remove(PieceEnd(geometry[i]), i);
    };
    for (size_t first = 0; first < geometry.size(); ++first) {
        if (taken[first])
            continue;
        take(first);
        ChainBuilder<T> builder(geometry[first]);
        for (;;) {
            auto meets = [&](size_t i) { return builder.Meets(geometry[i]); };
            const size_t next = std::min(ends.FirstNear(builder.Tail(), meets), ends.FirstNear(builder.Head(), meets));
            if (next == PointGrid::kNone)
                break;
            take(next);
            builder.TryJoin(geometry[next]);
        }
        outs.push_back(builder.Chain());
    }
    geometry.clear();
}

template void CreateContinuousGeometry<NSegmentPtr>(std::vector<NSegmentPtr>&, std::vector<std::vector<NSegmentPtr>>&);
template void CreateContinuousGeometry<NPolygonPtr>(VectorPolygon&, std::vector<VectorPolygon>&);

void CreateContinuousContours(std::vector<NSegmentPtr>& segments, std::vector<NContourPtr>& outs)
{
    std::vector<std::vector<NSegmentPtr>> chains;
    CreateContinuousGeometry(segments, chains);
    for (const auto& chain : chains) {
        auto contour = std::make_shared<NContour>();
        contour->InitSegments(chain);
        outs.push_back(contour);
    }
}

void CreateContinuousPoligons(VectorPolygon& polygons, VectorPolygon& outs)
{
    std::vector<VectorPolygon> chains;
    CreateContinuousGeometry(polygons, chains);
    for (const VectorPolygon& chain : chains) {
        const NPolygonPtr& result = chain.front();
        for (size_t k = 1; k < chain.size(); ++k)
            *result += *chain[k];
        if (result->m_points.size() > 1) {
            result->DelColinearPoints();
            result->UpdateGabarit();
            outs.push_back(result);
        }
    }
}
