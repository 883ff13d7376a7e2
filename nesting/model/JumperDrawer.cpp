#include "model/JumperDrawer.h"

#include "host/VarnelAPI.h"

namespace {

constexpr int kBridgeStyle = 2;

bool HaveDirection(const NPoint& a, const NPoint& b)
{
    return Distance(a, b) >= EPS;
}

void SetArc(const vlapi::IArcPtr& arc, const NPoint& first, const NPoint& second, double r)
{
    arc->SetX1(first.x);
    arc->SetY1(first.y);
    arc->SetX2(second.x);
    arc->SetY2(second.y);
    arc->SetRadius(r);
}

void SetSegment(const vlapi::ILineSegmentPtr& segment, const NPoint& first, const NPoint& second)
{
    segment->SetX1(first.x);
    segment->SetY1(first.y);
    segment->SetX2(second.x);
    segment->SetY2(second.y);
    segment->Update();
}

vlapi::ILineSegmentPtr CreateSegment(const vlapi::IDrawingContainerPtr& container, const NPoint& first,
                                     const NPoint& second)
{
    return vrnApi::CreateLineSegm(container, first.x, first.y, second.x, second.y, kBridgeStyle);
}

}  // namespace

JumperDrawer::~JumperDrawer() = default;

JumperDrawerPtr JumperDrawer::Make(int32_t type)
{
    switch (static_cast<BridgeType>(type)) {
    case BridgeType::Gap:
    case BridgeType::Start:
        return std::make_shared<CircleJumperDrawer>();
    case BridgeType::Double:
    case BridgeType::CutOut:
    case BridgeType::DoubleStart:
        return std::make_shared<DoubleJumperDrawer>();
    case BridgeType::Left:
    case BridgeType::LeftStart:
        return std::make_shared<LeftJumperDrawer>();
    case BridgeType::Right:
    case BridgeType::RightStart:
        return std::make_shared<RightJumperDrawer>();
    case BridgeType::Cross:
    case BridgeType::CrossStart:
        return std::make_shared<CrossJumperDrawer>();
    }
    return {};
}

void JumperDrawer::Init(const INestingMacroObjectPtr& macro)
{
    if (!macro)
        return;
    if (!m_arc1)
        m_arc1 = macro->GetArcFromMacro(0);
    if (!m_arc2)
        m_arc2 = macro->GetArcFromMacro(1);
    if (!m_segment1)
        m_segment1 = macro->GetLineSegmFromMacro(0);
    if (!m_segment2)
        m_segment2 = macro->GetLineSegmFromMacro(1);
}

NPoint JumperDrawer::GetPoint2(const NPoint& point1) const
{
    if (!m_arc2)
        return point1;
    return point1 + NPoint{m_arc2->GetXc(), m_arc2->GetYc()};
}

NPoint JumperDrawer::CalculateOffsetPoints(const NPoint& a, const NPoint& b) const
{
    if (!HaveDirection(a, b))
        return {};
    const double k = m_r / Distance(a, b);
    return {k * (b.y - a.y), k * (a.x - b.x)};
}

void JumperDrawer::DrawCircle(vlapi::IDrawingContainerPtr container, const NPoint& point1)
{
    m_arc1 = vrnApi::CreateArc(container, point1, NPoint{}, NPoint{}, m_r, true, kBridgeStyle);
}

void JumperDrawer::DrawAllObjects(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
                                  bool second, bool secondArcDirection)
{
    if (!second || !HaveDirection(point1, point2)) {
        DrawCircle(container, point1);
        return;
    }
    CalculateNodePoints(point1, point2);
    m_arc1 = vrnApi::CreateArc(container, point1, m_p3, m_p1, m_r, true, kBridgeStyle);
    m_arc2 = vrnApi::CreateArc(container, point2, m_p2, m_p4, m_r, secondArcDirection, kBridgeStyle);
    m_segment1 = CreateSegment(container, m_p1, m_p2);
    m_segment2 = CreateSegment(container, m_p3, m_p4);
}

void JumperDrawer::UpdateGeometry(bool twoPoints, const NPoint& point1, const NPoint& point2)
{
    if (m_arc1) {
        m_arc1->SetRadius(m_r);
        m_arc1->Update();
    }
    if (!twoPoints || !HaveDirection(point1, point2))
        return;
    CalculateNodePoints(point1, point2);
    for (NPoint* p : {&m_p1, &m_p2, &m_p3, &m_p4})
        *p -= point1;
    if (m_arc1) {
        SetArc(m_arc1, m_p3, m_p1, m_r);
        m_arc1->Update();
    }
    if (m_arc2) {
        const NPoint centre = point2 - point1;
        m_arc2->SetXc(centre.x);
        m_arc2->SetYc(centre.y);
        SetArc(m_arc2, m_p2, m_p4, m_r);
        m_arc2->Update();
    }
    if (m_segment1)
        SetSegment(m_segment1, m_p1, m_p2);
    if (m_segment2)
        SetSegment(m_segment2, m_p3, m_p4);
}

void JumperDrawer::GetObjects(std::vector<vlapi::IDrawingObjectPtr>& objects) const
{
    if (m_arc1)
        objects.emplace_back(m_arc1);
    if (m_arc2)
        objects.emplace_back(m_arc2);
    if (m_segment1)
        objects.emplace_back(m_segment1);
    if (m_segment2)
        objects.emplace_back(m_segment2);
}

void JumperDrawer::ReleaseObjects()
{
    m_arc1 = nullptr;
    m_arc2 = nullptr;
    m_segment1 = nullptr;
    m_segment2 = nullptr;
}

// ---- The five kinds

void CircleJumperDrawer::Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint&, bool)
{
    DrawCircle(container, point1);
}

void CircleJumperDrawer::CalculateNodePoints(const NPoint&, const NPoint&) {}

void DoubleJumperDrawer::Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
                              bool second)
{
    DrawAllObjects(container, point1, point2, second);
}

void DoubleJumperDrawer::CalculateNodePoints(const NPoint& point1, const NPoint& point2)
{
    const NPoint n = CalculateOffsetPoints(point1, point2);
    m_p1 = point1 - n;
    m_p2 = point2 - n;
    m_p3 = point1 + n;
    m_p4 = point2 + n;
}

void LeftJumperDrawer::Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
                            bool second)
{
    DrawAllObjects(container, point1, point2, second);
}

void LeftJumperDrawer::CalculateNodePoints(const NPoint& point1, const NPoint& point2)
{
    const NPoint n = CalculateOffsetPoints(point1, point2);
    m_p1 = m_p3 = point1 - n;
    m_p2 = m_p4 = point2 - n;
}

void RightJumperDrawer::Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
                             bool second)
{
    DrawAllObjects(container, point1, point2, second);
}

void RightJumperDrawer::CalculateNodePoints(const NPoint& point1, const NPoint& point2)
{
    const NPoint n = CalculateOffsetPoints(point1, point2);
    m_p1 = m_p3 = point1 + n;
    m_p2 = m_p4 = point2 + n;
}

void CrossJumperDrawer::Draw(vlapi::IDrawingContainerPtr container, const NPoint& point1, const NPoint& point2,
                             bool second)
{
    DrawAllObjects(container, point1, point2, second, false);
}

void CrossJumperDrawer::CalculateNodePoints(const NPoint& point1, const NPoint& point2)
{
    const NPoint n = CalculateOffsetPoints(point1, point2);
    m_p1 = point1 - n;
    m_p2 = point2 + n;
    m_p3 = point1 + n;
    m_p4 = point2 - n;
}
