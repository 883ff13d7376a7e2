#include "model/NestingJumper.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

constexpr double kFarAway = 2147483647.0;
// The width and the kind are each written into a text of 10 characters with
// its terminating null: 9 characters at most.
constexpr size_t kSuffixLength = 9;
const std::wstring kLostOwner = L"Потерян объект";

template <class Value>
std::wstring Suffix(const wchar_t* format, Value value)
{
    wchar_t text[64] = {};
    std::swprintf(text, std::size(text), format, value);
    return std::wstring(text).substr(0, kSuffixLength);
}

std::wstring OwnerName(const NObjectPtr& owner)
{
    return owner ? owner->m_name : kLostOwner;
}

// The owners' marks stored after the record: per end an int32 reference and
// three doubles.
constexpr size_t kMarkSize = sizeof(reference) + 3 * sizeof(double);

void AppendMark(ByteBlock& block, const Jumper::OwnerMark& mark)
{
    const double unknown = std::nan("");
    const double values[3] = {mark.placed ? mark.x : unknown, mark.placed ? mark.y : unknown,
                              mark.placed ? mark.angle : unknown};
    const size_t at = block.size();
    block.resize(at + kMarkSize);
    std::memcpy(block.data() + at, &mark.ref, sizeof mark.ref);
    std::memcpy(block.data() + at + sizeof mark.ref, values, sizeof values);
}

Jumper::OwnerMark ReadMark(const ByteBlock& block, size_t offset)
{
    Jumper::OwnerMark mark;
    double values[3] = {};
    std::memcpy(&mark.ref, block.data() + offset, sizeof mark.ref);
    std::memcpy(values, block.data() + offset + sizeof mark.ref, sizeof values);
    if (mark.ref < 0)
        mark.ref = 0;
    mark.placed = mark.ref != 0 && std::isfinite(values[0]) && std::isfinite(values[1]) && std::isfinite(values[2]);
    if (mark.placed) {
        mark.x = values[0];
        mark.y = values[1];
        mark.angle = values[2];
    }
    return mark;
}

// The mark of an owner as it stands now.
Jumper::OwnerMark MarkOf(const NObject& owner)
{
    Jumper::OwnerMark mark;
    mark.ref = owner.GetReference();
    mark.placed = owner.m_macro != nullptr;
    owner.GetPlacement(mark.x, mark.y, mark.angle);
    return mark;
}

}  // namespace

Jumper::Jumper(INestingMacroObjectPtr macro) : NObject(std::move(macro))
{
    m_command = MacroCommand::Bridge;
    m_objectType = NestingObjectType::Bridge;
}

Jumper::~Jumper() = default;

JumperPtr Jumper::Create(INestingMacroObjectPtr macro)
{
    return std::make_shared<Jumper>(std::move(macro));
}

void Jumper::Init()
{
    m_twoPoints = m_type != static_cast<int32_t>(BridgeType::Gap) &&
                  m_type != static_cast<int32_t>(BridgeType::Start);
    m_drawer = JumperDrawer::Make(m_type);
    if (!m_drawer)
        return;
    m_drawer->Init(m_macro);
    m_drawer->m_r = m_width * 0.5;
    double angle = 0.0;
    GetPlacement(m_point1.x, m_point1.y, angle);
    m_point2 = m_drawer->GetPoint2(m_point1);
}

void Jumper::SaveParams()
{
    if (!m_macro)
        return;
    const NObjectPtr owners[2] = {m_owner1, m_twoPoints ? m_owner2 : nullptr};
    for (size_t end = 0; end < 2; ++end) {
        if (owners[end] && owners[end]->GetReference() != 0)
            m_ownerMarks[end] = MarkOf(*owners[end]);
    }
    if (!m_twoPoints)
        m_ownerMarks[1] = {};
    ByteBlock block;
    size_t offset = 0;
    SaveFigureParams(block, offset);
    if (m_ownerMarks[0].ref != 0 || m_ownerMarks[1].ref != 0) {
        for (const OwnerMark& mark : m_ownerMarks)
            AppendMark(block, mark);
    }
    m_macro->SaveMacroParams(block);
}

void Jumper::LoadParams()
{
    if (!m_macro)
        return;
    ByteBlock block;
    m_macro->LoadMacroParams(block);
    if (block.empty())
        return;
    size_t offset = 0;
    if (!LoadFigureParams(block, offset)) {
        vrnApi::Message(L"Запись мостика \"" + m_macro->GetName() + L"\" повреждена и не прочитана");
        return;
    }
    // A record of an earlier version ends here: its owners are not known.
    const bool marked = block.size() - offset >= 2 * kMarkSize;
    for (size_t end = 0; end < 2; ++end)
        m_ownerMarks[end] = marked ? ReadMark(block, offset + end * kMarkSize) : OwnerMark{};
}

void Jumper::UpdateName()
{
    if (!m_macro)
        return;
    m_name = L"Мостик: " + OwnerName(m_owner1);
    if (m_owner2 || m_twoPoints)
        m_name += L" - " + OwnerName(m_owner2);
    m_name += Suffix(L" b%1.1f", m_width);
    m_name += Suffix(L" тип-%lld", static_cast<long long>(m_type) + 1);
    m_macro->SetName(m_name);
}

void Jumper::UpdateGeometry()
{
    if (m_drawer)
        m_drawer->UpdateGeometry(m_twoPoints, m_point1, m_point2);
}

bool Jumper::CheckValid()
{
    if (m_owner1 && (m_owner2 || !m_twoPoints))
        return m_valid;
    m_valid = false;
    return false;
}

bool Jumper::CheckIntersect(const JumperPtr& other) const
{
    if (!other || other.get() == this)
        return false;
    if (m_twoPoints && other->m_twoPoints &&
        CheckIntersectionSegments(m_point1, m_point2, other->m_point1, other->m_point2))
        return true;
    const double d = (m_width + other->m_width) * 0.5;
    for (const NPoint* q : {&other->m_point1, &other->m_point2}) {
        if (Distance(m_point1, *q) < d || Distance(m_point2, *q) < d)
            return true;
    }
    return false;
}

bool Jumper::CheckIntersectWithPoint(const NPoint& p, double width) const
{
    const double d = (width + m_width) * 0.5;
    return Distance(m_point1, p) < d || Distance(m_point2, p) < d;
}

void Jumper::CorrectPlacement1()
{
    NPoint pp;
    if (!m_owner1 || !m_owner1->GetProjectionPoint(m_point1, kFarAway, pp))
        return;
    const NPoint d = pp - m_point1;
    SetPlacement(d.x, d.y, 0.0, false);
    m_point1 += d;
}

void Jumper::CorrectPlacement2()
{
    NPoint pp;
    if (m_owner2 && m_owner2->GetProjectionPoint(m_point2, kFarAway, pp))
        SetPoint2(pp);
}

void Jumper::DrawWith(JumperDrawer& drawer, std::vector<vlapi::IDrawingObjectPtr>& objects, bool second) const
{
    // A drawing holds only what it drew: handles of an earlier drawing (or of
    // the macro) must not travel into the new one.
    drawer.ReleaseObjects();
    drawer.Draw(vrnApi::GetActiveDrawingContainer(), m_point1, m_point2, second);
    drawer.GetObjects(objects);
}

void Jumper::CreateDrawingObjects(std::vector<vlapi::IDrawingObjectPtr>& objects, bool second)
{
    if (m_drawer)
        DrawWith(*m_drawer, objects, second);
}

void Jumper::CreateMacro(int layer)
{
    std::vector<vlapi::IDrawingObjectPtr> objects;
    CreateDrawingObjects(objects, m_twoPoints);
    if (objects.empty())
        return;
    INestingMacroObjectPtr made = vrnApi::CreateMacroByObjects(objects, m_point1, static_cast<int32_t>(m_command));
    if (!made) {
        // The bridge keeps the macro it had; the objects drawn for the new one go.
        for (const vlapi::IDrawingObjectPtr& object : objects)
            object->Delete();
        m_drawer->ReleaseObjects();
        m_drawer->Init(m_macro);
        return;
    }
    if (m_macro)
        m_macro->DeleteMacro();
    m_macro = made;
    m_macro->SetName(m_name);
    m_macro->ChangeMacroLayer(layer);
}

int Jumper::GetPhantomGroup(const NPoint& p, bool second)
{
    vlapi::IDrawingGroupPtr group = vrnApi::CreateGroupInActiveDoc(true);
    if (!group)
        return 0;
    if (second) {
        m_point2 = p;
        NPoint pn1, pn2;
        if (m_bynormal && m_owner1 && m_owner1->GetNormalToBorders(m_point1, pn1, pn2))
            m_point2 = GetProjectionPointToLine(pn1, pn2, p);
    } else {
        m_point1 = p;
    }
    // The preview has a drawer of its own: the bridge's drawer keeps the
    // objects of its macro.
    if (JumperDrawerPtr preview = JumperDrawer::Make(m_type)) {
        preview->m_r = m_width * 0.5;
        std::vector<vlapi::IDrawingObjectPtr> objects;
        hostAccess::OpenGroup open(group);
        DrawWith(*preview, objects, second);
    }
    m_phantom = group;
    return hostAccess::ReferenceOf(group);
}

void Jumper::ReBuild()
{
    if (!m_macro)
        return;
    m_macro->SetCurrentMacroView();
    CreateMacro(m_macro->GetMacroLayer());
    SaveParams();
    if (m_choose)
        m_macro->ChooseMacro(true);
}

void Jumper::SetWidth(double w)
{
    m_width = w;
    if (m_drawer)
        m_drawer->m_r = w * 0.5;
    UpdateName();
    UpdateGeometry();
    SaveParams();
}

void Jumper::SetType(BridgeType tp)
{
    m_type = static_cast<int32_t>(tp);
    Init();
    if (!m_twoPoints) {
        m_owner2.reset();
        m_ownerMarks[1] = {};
    }
    UpdateName();
}

void Jumper::SetPoint1(const NPoint& p)
{
    if (!m_macro) {
        m_point1 = p;
        return;
    }
    // The macro goes to p: the host moves it relative to where it stands.
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
    GetPlacement(x, y, angle);
    SetPlacement(p.x - x, p.y - y, 0.0, false);
    GetPlacement(m_point1.x, m_point1.y, angle);
}

// The crossing of the first owner's normal with the second owner's border
// nearest to p. A p that is itself such a crossing (a click on the second
// owner's edge straight across from the first end) stays: the border query
// looks past its own point for the next crossing, which would put the end on
// the second owner's far edge.
NPoint Jumper::ByNormal(const NPoint& p) const
{
    NPoint pn1, pn2, pi;
    if (!m_bynormal || !m_owner1 || !m_owner2 || !m_owner1->GetNormalToBorders(m_point1, pn1, pn2))
        return p;
    if (DistancePointToLine(pn1, pn2, p) < EPS && m_owner2->CheckContainPointOnBorders(p, EPS))
        return p;
    if (m_owner2->GetNearIntersectionWithBorders(NSegment(pn1, pn2, 0), p, pi))
        return pi;
    return p;
}

void Jumper::SetPoint2(const NPoint& p)
{
    m_point2 = ByNormal(p);
    UpdateGeometry();
}
