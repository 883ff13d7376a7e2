// A remnant's outline, label, name and overlap tests.
#include "model/NestingWaste.h"
#include "host/NestingResources.h"

#include "geometry/UtilityFunctions.h"
#include "host/VarnelAPI.h"
#include "model/NestingSheet.h"

#include <cmath>
#include <cwchar>

namespace {

constexpr unsigned short kOutlineStyle = 3;

// One piece of the name, formatted as the host's C runtime would into a
// buffer of 255 wide characters.
template <class... Args>
std::wstring Format(const wchar_t* format, Args... args)
{
    wchar_t buffer[255] = {};
    const int written = std::swprintf(buffer, std::size(buffer), format, args...);
    return written < 0 ? std::wstring(buffer) : std::wstring(buffer, static_cast<size_t>(written));
}

}  // namespace

void Waste::InitParams(bool /*transform*/)
{
    if (!m_macro)
        return;
    m_name = m_macro->GetName();
    ReadOutline();
    if (!m_polygons.empty())
        m_macro->CreateColouringInMacro(m_polygons, m_color);
}

void Waste::ReadOutline()
{
    if (!m_macro)
        return;
    m_polygons.clear();
    m_macro->InitBordersFromMacro(m_polygons);
    std::erase(m_polygons, nullptr);
    if (m_polygons.empty())
        return;
    NPolygon& outer = *m_polygons.front();
    outer.DelEquilPoints();
    outer.DelColinearPoints();
    UpdateGabarit();
    UpdateRectForm();
}

void Waste::UpdateRectForm()
{
    // The outline is the truth: a remnant reshaped by hand is no longer the
    // rectangle its record remembers.
    double width = 0.0;
    double height = 0.0;
    m_rectform = m_polygons.size() == 1 && m_polygons.front()->CheckRectangle(width, height);
    if (m_rectform) {
        m_width = width;
        m_height = height;
    }
}

void Waste::AddText(double height)
{
    if (!m_macro)
        return;
    const double x = (m_rect.pBot.x + m_rect.pTop.x) * 0.5;
    const double y = (m_rect.pBot.y + m_rect.pTop.y) * 0.5;
    m_macro->AddTextInMacro(m_name, x, y, height);
}

void Waste::UpdateSizeText(double height)
{
    if (m_macro)
        m_macro->SetFontParams({FontParams{height}}, false, false);
}

void Waste::UpdateName(int index, int indTotal)
{
    if (!m_owner)
        return;
    std::wstring name = vrnApi::LoadStr(IDS_WASTE);
    name += L" " + m_owner->m_name;
    name += Format(L"-%d(%d)", index, indTotal);
    // Each field after the numbers brings its own blank: a remnant without a
    // size leaves no doubled or trailing one.
    const std::wstring size = SizeText();
    if (!size.empty())
        name += L" " + size;
    if (!m_material.empty())
        name += L" " + m_material;
    m_name = name;
    if (m_macro) {
        m_macro->SetName(m_name);
        m_macro->ChangeTextInMacro(m_name);
    }
}

std::wstring Waste::SizeText() const
{
    // A remnant of any other shape has no length and width to give: its
    // bounding box would promise stock it does not hold.
    if (!m_rectform || m_polygons.empty())
        return {};
    const double w = uf::FloorMillimetres(m_width);
    const double h = uf::FloorMillimetres(m_height);
    const std::wstring size = uf::NumberText(w) + L"x" + uf::NumberText(h);
    return m_thickness > EPS ? uf::NumberText(m_thickness) + L"x" + size : size;
}

bool Waste::CheckIntersect(const Waste& other) const
{
    if (m_polygons.empty() || other.m_polygons.empty())
        return false;
    const NPolygon& outer = *m_polygons.front();
    const NPolygon& otherOuter = *other.m_polygons.front();
    if (!outer.CheckIntersection(otherOuter, false) && !outer.CheckContainPoligon(otherOuter, false) &&
        !otherOuter.CheckContainPoligon(outer, false))
        return false;
    for (size_t i = 1; i < m_polygons.size(); ++i) {
        if (m_polygons[i]->CheckContainPoligon(otherOuter, false))
            return false;
    }
    for (size_t i = 1; i < other.m_polygons.size(); ++i) {
        if (other.m_polygons[i]->CheckContainPoligon(outer, false))
            return false;
    }
    return true;
}

bool Waste::CheckRectangle(double size) const
{
    return m_rectform && m_width > size - EPS_WIDTH && m_height > size - EPS_WIDTH;
}

void Waste::GetContourObjects(std::vector<vlapi::IDrawingObjectPtr>& objs, bool text)
{
    if (!m_macro)
        return;
    std::vector<vlapi::IDrawingObjectPtr> members;
    m_macro->GetDrawingObjectsFromMacro(nullptr, members, false, text);
    for (const vlapi::IDrawingObjectPtr& member : members) {
        if (member)
            objs.push_back(member);
    }
}

void Waste::Draw()
{
    for (const NPolygonPtr& polygon : m_polygons)
        polygon->Draw(kOutlineStyle);
}

void Waste::DeleteColouring()
{
    if (m_macro)
        m_macro->DeleteColouringInMacro(m_color);
}
