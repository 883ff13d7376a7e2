#include "model/NestingObject.h"

#include "host/VarnelAPI.h"

NObject::NObject(INestingMacroObjectPtr macro) : m_macro(std::move(macro)) {}

NObject::~NObject() = default;

void NObject::ChangeView(int number, bool move)
{
    if (!m_macro)
        return;
    double dx = 0.0;
    double dy = 0.0;
    m_macro->ChangeMacroView(number, dx, dy);
    if (move)
        SetPlacement(dx, dy, 0.0, false);
}

void NObject::BeginTry(int number)
{
    EndTry(false);
    const int own = GetView();
    if (!m_macro || own == number)
        return;
    // The shift ChangeView makes: between the views' origins, in model units.
    double x0 = 0.0, y0 = 0.0, scale0 = 0.0;
    double x1 = 0.0, y1 = 0.0, scale1 = 0.0;
    vrnApi::GetViewParams(own, x0, y0, scale0);
    vrnApi::GetViewParams(number, x1, y1, scale1);
    if (!(scale0 > 0.0) || !(scale1 > 0.0)) {
        ChangeView(number, true);
        return;
    }
    m_tryShift = NPoint{x0 / scale0 - x1 / scale1, y0 / scale0 - y1 / scale1};
    m_tryView = number;
    SetPlacement(m_tryShift.x, m_tryShift.y, 0.0, false);
}

void NObject::EndTry(bool stays)
{
    if (m_tryView < 0)
        return;
    const int view = m_tryView;
    m_tryView = -1;
    if (stays)
        ChangeView(view, false);
    // A macro that could not be moved keeps the coordinates of its view.
    if (!stays || GetView() != view)
        SetPlacement(-m_tryShift.x, -m_tryShift.y, 0.0, false);
}

void NObject::GetPlacement(double& x, double& y, double& angle) const
{
    if (m_macro)
        m_macro->GetMacroPlacement(x, y, angle);
}

void NObject::SetPlacement(double x, double y, double angle, bool fromHP)
{
    if (m_macro)
        m_macro->SetMacroPlacement(x, y, angle, fromHP);
}

void NObject::MoveTo(double x, double y, double angle)
{
    if (!m_macro)
        return;
    double x0 = 0.0;
    double y0 = 0.0;
    double a0 = 0.0;
    GetPlacement(x0, y0, a0);
    SetPlacement(x - x0, y - y0, angle - a0, false);
}

void NObject::SetMirrorPlacement()
{
    if (m_macro)
        m_macro->SetMacroMirrorPlacement();
}

bool NObject::GetProjectionPoint(const NPoint&, double, NPoint&) const
{
    return false;
}

bool NObject::CheckContainPointOnBorders(const NPoint&, double) const
{
    return false;
}

bool NObject::GetNormalToBorders(const NPoint&, NPoint&, NPoint&) const
{
    return false;
}

bool NObject::GetNearIntersectionWithBorders(const NSegment&, const NPoint&, NPoint&) const
{
    return false;
}

void NObject::Clear()
{
    if (!m_edit && m_macro)
        m_macro->DeleteMacro();
}

int NObject::GetView() const
{
    if (m_tryView >= 0)
        return m_tryView;
    return m_macro ? m_macro->GetMacroViewNumber() : -1;
}

void NObject::SetCurrentView()
{
    if (m_macro)
        m_macro->SetCurrentMacroView();
}

reference NObject::GetReference() const
{
    return m_macro ? m_macro->GetReference() : 0;
}

bool NObject::CheckReference(int ref) const
{
    return m_macro && m_macro->GetReference() == ref;
}

void NObject::Choose(bool on)
{
    if (!m_macro || m_choose == on)
        return;
    m_macro->ChooseMacro(on);
    m_choose = on;
}

void NObject::InvertChoose()
{
    if (!m_macro)
        return;
    m_macro->ChooseMacro(!m_choose);
    m_choose = !m_choose;
}

void NObject::InitChoose()
{
    if (!m_macro)
        return;
    const bool selected = m_macro->CheckSelect();
    if (selected != m_choose) {
        m_macro->ChooseMacro(selected);
        m_choose = selected;
    }
}

void NObject::SetBorderStyle(int style)
{
    if (m_macro)
        m_macro->SetBorderStyle(style);
}

void NObject::ChangeStyleMacro()
{
    if (m_macro)
        m_macro->ChangeStyleMacro(m_valid ? 1 : 3);
}

void NObject::ForbidEditable()
{
    if (m_macro)
        m_macro->ForbidEditable();
}

void NObject::Destroy()
{
    if (m_macro)
        m_macro->DestroyMacro();
}
