#include "model/NestingJumper.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
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
// three doubles; then, when every placed mark knows where its end stood, two
// doubles per end. An end without a placed mark is written as reference 0
// and zeros: no number that is not finite is ever stored.
constexpr size_t kMarkSize = sizeof(reference) + 3 * sizeof(double);
constexpr size_t kEndSize = 2 * sizeof(double);

void AppendDoubles(ByteBlock& block, std::initializer_list<double> values)
{
    for (const double value : values) {
        const size_t at = block.size();
        block.resize(at + sizeof value);
        std::memcpy(block.data() + at, &value, sizeof value);
    }
}

double DoubleAt(const ByteBlock& block, size_t offset)
{
    double value = 0.0;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

void AppendMark(ByteBlock& block, const Jumper::OwnerMark& mark)
{
    const reference ref = mark.placed ? mark.ref : 0;
    const size_t at = block.size();
    block.resize(at + sizeof ref);
    std::memcpy(block.data() + at, &ref, sizeof ref);
    if (mark.placed)
        AppendDoubles(block, {mark.x, mark.y, mark.angle});
    else
        AppendDoubles(block, {0.0, 0.0, 0.0});
}

Jumper::OwnerMark ReadMark(const ByteBlock& block, size_t offset)
{
    Jumper::OwnerMark mark;
    std::memcpy(&mark.ref, block.data() + offset, sizeof mark.ref);
    const double x = DoubleAt(block, offset + sizeof mark.ref);
    const double y = DoubleAt(block, offset + sizeof mark.ref + sizeof(double));
    const double angle = DoubleAt(block, offset + sizeof mark.ref + 2 * sizeof(double));
    if (mark.ref < 0)
        mark.ref = 0;
    mark.placed = mark.ref != 0 && std::isfinite(x) && std::isfinite(y) && std::isfinite(angle);
    if (mark.placed) {
        mark.x = x;
        mark.y = y;
        mark.angle = angle;
    }
    return mark;
}

// The mark of an owner as it stands now, with the end standing at `at`.
Jumper::OwnerMark MarkOf(const NObject& owner, const NPoint& at)
{
    Jumper::OwnerMark mark;
    mark.ref = owner.GetReference();
    mark.placed = owner.m_macro != nullptr;
    owner.GetPlacement(mark.x, mark.y, mark.angle);
    mark.located = mark.placed;
    mark.at = at;
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
    if (m_macro)
        m_point1Placed = m_point2Placed = true;
}

void Jumper::SaveParams()
{
    if (!m_macro)
        return;
    const NObjectPtr owners[2] = {m_owner1, m_twoPoints ? m_owner2 : nullptr};
    for (size_t end = 0; end < 2; ++end) {
        if (owners[end] && owners[end]->GetReference() != 0)
            m_ownerMarks[end] = MarkOf(*owners[end], end == 0 ? m_point1 : m_point2);
    }
    if (!m_twoPoints)
        m_ownerMarks[1] = {};
    ByteBlock block;
    size_t offset = 0;
    SaveFigureParams(block, offset);
    const auto known = [](const OwnerMark& mark) { return mark.placed && mark.ref != 0; };
    if (known(m_ownerMarks[0]) || known(m_ownerMarks[1])) {
        for (const OwnerMark& mark : m_ownerMarks)
            AppendMark(block, mark);
        if (std::all_of(m_ownerMarks.begin(), m_ownerMarks.end(),
                        [&](const OwnerMark& mark) { return !known(mark) || mark.located; })) {
            for (const OwnerMark& mark : m_ownerMarks) {
                const bool located = known(mark) && std::isfinite(mark.at.x) && std::isfinite(mark.at.y);
                AppendDoubles(block, {located ? mark.at.x : 0.0, located ? mark.at.y : 0.0});
            }
        }
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
    const bool located = block.size() - offset >= 2 * kMarkSize + 2 * kEndSize;
    for (size_t end = 0; end < 2; ++end) {
        OwnerMark& mark = m_ownerMarks[end];
        mark = marked ? ReadMark(block, offset + end * kMarkSize) : OwnerMark{};
        if (!located || !mark.placed)
            continue;
        const size_t at = offset + 2 * kMarkSize + end * kEndSize;
        mark.at = {DoubleAt(block, at), DoubleAt(block, at + sizeof(double))};
        mark.located = std::isfinite(mark.at.x) && std::isfinite(mark.at.y);
    }
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
        m_point2Placed = true;
        NPoint pn1, pn2;
        if (m_bynormal && m_owner1 && m_owner1->GetNormalToBorders(m_point1, pn1, pn2))
            m_point2 = GetProjectionPointToLine(pn1, pn2, p);
    } else {
        m_point1 = p;
        m_point1Placed = true;
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
    m_point1Placed = true;
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
    m_point2Placed = true;
    UpdateGeometry();
}
