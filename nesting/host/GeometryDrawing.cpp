// The geometric types shown in, and taken away from, the active drawing.
#include "host/VarnelAPI.h"

#include <cwchar>

void NSegment::Draw()
{
    m_ref = vrnApi::DrawLineSeg(p1, p2, 1);
}

void NSegment::Clear()
{
    vrnApi::DeleteDrawingObj(m_ref);
    m_ref = 0;
}

void NContour::Draw()
{
    for (const NSegmentPtr& segment : m_segments)
        segment->Draw();
}

void NContour::Clear()
{
    for (const NSegmentPtr& segment : m_segments)
        segment->Clear();
}

void NPolygon::DrawByLineSeg(unsigned short style) const
{
    const size_t n = m_points.size();
    for (size_t i = 1; i < n; ++i)
        m_segments.push_back(vrnApi::DrawLineSeg(m_points[i - 1], m_points[i], style));
    if (n > 0)
        m_segments.push_back(vrnApi::DrawLineSeg(m_points[n - 1], m_points[0], style));
}

void NPolygon::Draw(unsigned short style) const
{
    m_segments.push_back(vrnApi::DrawPolyLine(*this, style));
}

void NPolygon::Clear() const
{
    for (int ref : m_segments)
        vrnApi::DeleteDrawingObj(ref);
    m_segments.clear();
}

void NPolygon::Message() const
{
    wchar_t buffer[255];
    std::swprintf(buffer, 255, L"count=%llu\n", static_cast<unsigned long long>(m_points.size()));
    std::wstring text = buffer;
    for (const NPoint& p : m_points) {
        std::swprintf(buffer, 255, L"(%1.5f %1.5f) ", p.x, p.y);
        text += buffer;
    }
    vrnApi::Message(text);
}
