#include "model/HotPointEditors.h"

#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "model/NestingFigure.h"
#include "model/NestingJumper.h"
#include "model/NestingModel.h"

#include <cmath>
#include <cwchar>

namespace {

constexpr int kPlaceSelectedFigures = 300;  // the library command run after a figure's drag
constexpr double kAnyDistance = 2147483647.0;
constexpr double kOnAxis = 0.0001;
constexpr double kSamePlace = 1e-9;   // mm
constexpr double kSameAngle = 1e-9;   // degrees

// The turn, in degrees within [0, 360), that brings the x axis onto the
// direction of `p` seen from the origin; a point on the negative x axis, or
// the origin itself, gives half a turn.
double TurnTowards(const HotPoint& p)
{
    double angle = 0.0;
    if (std::fabs(p.y) < kOnAxis) {
        angle = p.x > 0.0 ? 0.0 : PI;
    } else {
        angle = std::atan2(p.y, p.x);
        if (angle < 0.0)
            angle += 2.0 * PI;
    }
    return angle * RD;
}

// The ends of a bridge loaded from its macro, with its owners from the drawing.
void LoadBridge(Jumper& jumper, const JumperPtr& shared)
{
    jumper.LoadParams();
    jumper.Init();
    InitJumperOwnersFromFigures(shared);
}

// The first end moved onto the first owner's border, when it has one there.
void PullFirstEndOntoOwner(Jumper& jumper)
{
    NPoint projection;
    if (!jumper.m_owner1 || !jumper.m_owner1->GetProjectionPoint(jumper.m_point1, kAnyDistance, projection))
        return;
    const NPoint shift = projection - jumper.m_point1;
    jumper.NObject::SetPlacement(shift.x, shift.y, 0.0, false);
    jumper.m_point1 = projection;
}

// The second end set onto the second owner's border, when it has one there.
void PullSecondEndOntoOwner(Jumper& jumper)
{
    NPoint projection;
    if (jumper.m_owner2 && jumper.m_owner2->GetProjectionPoint(jumper.m_point2, kAnyDistance, projection))
        jumper.SetPoint2(projection);
}

}  // namespace

// ---- HP_NObject

HP_NObject::HP_NObject(NObjectPtr object) : m_object(std::move(object)) {}

HP_NObject::~HP_NObject() = default;

void HP_NObject::Init()
{
    if (m_object)
        m_object->Init();
}

bool HP_NObject::GetHotPoints(HotPoint&, int)
{
    return false;
}

bool HP_NObject::SetHotPoint(HotPoint&, int)
{
    return false;
}

std::wstring HP_NObject::GetCursorText(int)
{
    return {};
}

int HP_NObject::GetHotPointsEx(HotPoint&, int)
{
    return 0;
}

int HP_NObject::GetCursorText7(int, char**)
{
    return 0;
}

bool HP_NObject::ExecuteCommand(int)
{
    return true;
}

int HP_NObject::UpdateCommand(int)
{
    return 0;
}

bool HP_NObject::Prepare()
{
    return true;
}

vlapi::IAPIObjectPtr HP_NObject::GetMenu(int)
{
    return nullptr;
}

void HP_NObject::BeginDrag(int)
{
    if (!m_object)
        return;
    Placement start;
    m_object->GetPlacement(start.x, start.y, start.angle);
    m_start = start;
}

bool HP_NObject::RestoreStart()
{
    if (!m_object || !m_start)
        return false;
    const Placement start = *m_start;
    m_start.reset();
    Placement now;
    m_object->GetPlacement(now.x, now.y, now.angle);
    // The turn about the placement point first, then the shift along the view's axes.
    if (std::fabs(std::remainder(start.angle - now.angle, 360.0)) > kSameAngle)
        m_object->SetPlacement(0.0, 0.0, start.angle - now.angle, false);
    m_object->GetPlacement(now.x, now.y, now.angle);
    if (std::fabs(start.x - now.x) > kSamePlace || std::fabs(start.y - now.y) > kSamePlace)
        m_object->SetPlacement(start.x - now.x, start.y - now.y, 0.0, false);
    return true;
}

bool HP_NObject::EditComplete(int, bool)
{
    return true;
}

bool HP_NObject::External_Move()
{
    return true;
}

bool HP_NObject::External_Rotate()
{
    return true;
}

bool HP_NObject::AddToModel()
{
    return true;
}

bool HP_NObject::SetPlacement(HotPoint&, bool)
{
    return false;
}

bool HP_NObject::SetFirstOrSecond(HotPoint& point, int index)
{
    if (index != 0 && index != 1)
        return false;
    return SetPlacement(point, index == 1);
}

// ---- HP_Figure

HP_Figure::HP_Figure(INestingMacroObjectPtr macro) : HP_NObject(nullptr)
{
    refMacro = macro ? macro->GetReference() : 0;
    m_object = Figure::Create(std::move(macro));
}

void HP_Figure::Init()
{
    auto* figure = dynamic_cast<Figure*>(m_object.get());
    if (!figure)
        return;
    figure->LoadParams();
    m_armHP2 = (figure->m_rectBorder.pTop.x - figure->m_rectBorder.pBot.x) * 0.5;
}

bool HP_Figure::GetHotPoints(HotPoint& point, int index)
{
    switch (index) {
    case 0:
        point.x = 0.0;
        point.y = 0.0;
        point.text = L"0";
        return true;
    case 1:
        point.x = m_armHP2;
        point.y = 0.0;
        point.text = L"A";
        point.cursorId = CURSOR_ROTATE;
        return true;
    default:
        return false;
    }
}

bool HP_Figure::SetHotPoint(HotPoint& point, int index)
{
    return SetFirstOrSecond(point, index);
}

bool HP_Figure::SetPlacement(HotPoint& point, bool second)
{
    if (!m_object)
        return false;
    if (!m_dragging) {
        m_bridges.Hold({m_object});
        m_dragging = true;
    }
    if (second)
        m_object->SetPlacement(0.0, 0.0, TurnTowards(point), false);
    else
        m_object->SetPlacement(point.x, point.y, 0.0, true);  // the handle's position is the displacement
    m_bridges.Follow();
    return true;
}

std::wstring HP_Figure::GetCursorText(int index)
{
    if (index != 1 || !m_object)
        return {};
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
    m_object->GetPlacement(x, y, angle);
    wchar_t text[255] = {};
    std::swprintf(text, std::size(text), L"A = %.2f", angle);
    return text;
}

bool HP_Figure::EditComplete(int, bool success)
{
    if (!success)
        RestoreStart();
    m_bridges.Follow();
    m_bridges.Release();
    m_dragging = false;
    if (success)
        vrnApi::RunLibraryCommand(kPlaceSelectedFigures);
    return true;
}

// ---- HP_Jumper

HP_Jumper::HP_Jumper(INestingMacroObjectPtr macro) : HP_NObject(Jumper::Create(std::move(macro))) {}

void HP_Jumper::Init()
{
    const JumperPtr jumper = std::dynamic_pointer_cast<Jumper>(m_object);
    if (jumper)
        LoadBridge(*jumper, jumper);
}

bool HP_Jumper::GetHotPoints(HotPoint& point, int index)
{
    const auto* jumper = dynamic_cast<const Jumper*>(m_object.get());
    if (index == 0) {
        point.x = 0.0;
        point.y = 0.0;
        point.text = L"0";
        return true;
    }
    if (index != 1 || !jumper || !jumper->m_twoPoints)
        return false;
    point.x = jumper->m_point2.x - jumper->m_point1.x;
    point.y = jumper->m_point2.y - jumper->m_point1.y;
    point.text = L"1";
    return true;
}

bool HP_Jumper::SetHotPoint(HotPoint& point, int index)
{
    return SetFirstOrSecond(point, index);
}

bool HP_Jumper::SetPlacement(HotPoint& point, bool second)
{
    auto* jumper = dynamic_cast<Jumper*>(m_object.get());
    if (!jumper)
        return false;
    if (second) {
        if (!jumper->m_twoPoints)
            return false;
        // The handle stands where the end does, in the macro's coordinates.
        jumper->SetPoint2(jumper->m_point1 + NPoint{point.x, point.y});
        PullSecondEndOntoOwner(*jumper);
        return true;
    }
    const NPoint end2 = jumper->m_point2;
    jumper->NObject::SetPlacement(point.x, point.y, 0.0, false);
    double angle = 0.0;
    jumper->GetPlacement(jumper->m_point1.x, jumper->m_point1.y, angle);
    PullFirstEndOntoOwner(*jumper);
    jumper->SetPoint2(end2);
    point.x = jumper->m_point1.x;
    point.y = jumper->m_point1.y;
    return true;
}

void HP_Jumper::BeginDrag(int index)
{
    HP_NObject::BeginDrag(index);
    if (const auto* jumper = dynamic_cast<const Jumper*>(m_object.get()))
        m_startPoint2 = jumper->m_point2;
}

bool HP_Jumper::EditComplete(int, bool success)
{
    auto* jumper = dynamic_cast<Jumper*>(m_object.get());
    if (success || !jumper || !RestoreStart())
        return true;
    double angle = 0.0;
    jumper->GetPlacement(jumper->m_point1.x, jumper->m_point1.y, angle);
    jumper->SetPoint2(m_startPoint2);
    return true;
}

bool HP_Jumper::External_Move()
{
    CorrectPlacement();
    return true;
}

bool HP_Jumper::External_Rotate()
{
    CorrectPlacement();
    return true;
}

bool HP_Jumper::AddToModel()
{
    CorrectPlacement();
    return true;
}

void HP_Jumper::CorrectPlacement()
{
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetSelectedMacrosFromActiveDoc(MacroCommand::Bridge, macros);
    for (const INestingMacroObjectPtr& macro : macros) {
        if (!macro)
            continue;
        const JumperPtr jumper = Jumper::Create(macro);
        LoadBridge(*jumper, jumper);
        PullFirstEndOntoOwner(*jumper);
        PullSecondEndOntoOwner(*jumper);
    }
}
