// The automation objects of sheets, figures, bridges and remnants.
#include "api/NestingAPIObjects.h"

#include "host/VarnelAPI.h"

#include <cmath>
#include <type_traits>

NObjectPtr ModelObjectOf(vlapi::IAPIObject* object)
{
    return napi::Guarded(NObjectPtr(), [&] {
        const auto* link = dynamic_cast<const napi::ObjectLink*>(object);
        return link ? link->ModelObject() : NObjectPtr();
    });
}

namespace napi {

template <class I, class T>
std::wstring ObjectImpl<I, T>::GetName()
{
    return With(std::wstring(), [](T& o) { return o.GetName(); });
}

template <class I, class T>
void ObjectImpl<I, T>::SetName(std::wstring name)
{
    With([&](T& o) { o.SetName(name); });
}

template <class I, class T>
bool ObjectImpl<I, T>::GetChoose()
{
    return With(false, [](T& o) { return o.GetChoose(); });
}

template <class I, class T>
void ObjectImpl<I, T>::Choose(bool choose)
{
    With([&](T& o) { o.Choose(choose); });
}

template <class I, class T>
void ObjectImpl<I, T>::InvertChoose()
{
    With([](T& o) { o.InvertChoose(); });
}

template <class I, class T>
bool ObjectImpl<I, T>::GetValid()
{
    return With(false, [](T& o) { return o.GetValid(); });
}

template <class I, class T>
void ObjectImpl<I, T>::SetEdit(bool edit)
{
    With([&](T& o) { o.SetEdit(edit); });
}

template <class I, class T>
bool ObjectImpl<I, T>::CheckReference(int reference)
{
    return With(false, [&](T& o) { return o.CheckReference(reference); });
}

template <class I, class T>
int ObjectImpl<I, T>::GetReference()
{
    return With(0, [](T& o) { return static_cast<int>(o.GetReference()); });
}

template <class I, class T>
void ObjectImpl<I, T>::GetGabarit(NRect& out)
{
    // The model object's rectangle; for a figure that of its first gap
    // polygon, or of its outline while it has none (the figure's own
    // rectangle then stays where the outline was read).
    With([&](T& o) {
        if constexpr (std::is_base_of_v<Figure, T>)
            out = o.m_poligons.empty() && !o.m_borders.empty() ? o.m_rectBorder : o.GetGabarit();
        else
            out = o.GetGabarit();
    });
}

template <class I, class T>
int ObjectImpl<I, T>::GetView()
{
    return With(-1, [](T& o) { return o.GetView(); });
}

template <class I, class T>
void ObjectImpl<I, T>::SetCurrentView()
{
    With([](T& o) { o.SetCurrentView(); });
}

namespace {

// Another remnant of the drawing's view that the outline `moved` would
// share area with: no area is stock twice.
bool OverlapsAnotherRemnant(const Waste& waste, const Waste& moved)
{
    if (!waste.m_macro || !vrnApi::InActiveDrawing(*waste.m_macro))
        return false;
    std::vector<INestingMacroObjectPtr> macros;
    vrnApi::GetMacrosFromActiveDoc(macros);
    const int view = waste.GetView();
    for (const INestingMacroObjectPtr& macro : macros) {
        if (!macro || !macro->CheckMacroLibraryNameAndCommand(MacroCommand::Waste) ||
            macro->GetReference() == waste.GetReference() || macro->GetMacroViewNumber() != view)
            continue;
        const WastePtr other = Waste::Create(macro);
        other->ReadOutline();
        if (other->CheckIntersect(moved))
            return true;
    }
    return false;
}

// The remnant's outline, were its macro placed at (x, y) turned by `angle`
// degrees, lies on its sheet (its edges may run along the sheet's; a
// remnant that knows no sheet has none to leave) and on no other remnant.
bool PlaceForRemnant(const Waste& waste, double x, double y, double angle)
{
    if (waste.m_polygons.empty() || !waste.m_polygons.front())
        return true;
    double x0 = 0.0, y0 = 0.0, a0 = 0.0;
    waste.GetPlacement(x0, y0, a0);
    // The macro turns about its point, then moves with it.
    const WastePtr moved = Waste::Create(nullptr);
    const NPoint at{x0, y0};
    const double turn = (angle - a0) * DR;
    for (const NPolygonPtr& ring : waste.m_polygons) {
        if (!ring)
            continue;
        auto copy = std::make_shared<NPolygon>(*ring);
        for (NPoint& p : copy->m_points) {
            p.Rotate(at, turn);
            p += NPoint{x - x0, y - y0};
        }
        copy->UpdateGabarit();
        moved->m_polygons.push_back(std::move(copy));
    }
    const NPolygon& outer = *moved->m_polygons.front();
    const SheetPtr& sheet = waste.m_owner;
    if (sheet && sheet->m_polygon && outer.m_points != sheet->m_polygon->m_points &&
        !sheet->m_polygon->CheckContainPoligon(outer, true))
        return false;
    return !OverlapsAnotherRemnant(waste, *moved);
}

}  // namespace

template <class I, class T>
NResult ObjectImpl<I, T>::SetPlacement(double x, double y, double angle)
{
    if constexpr (std::is_same_v<T, Sheet>) {
        // The library never moves a sheet's macro: the sheet's outline is kept
        // in its own frame, at the origin of its view, and the sheet layout
        // moves the view. A sheet is placed only where it stands.
        if (Gone())
            return kCoordinate.Holds(x) && kCoordinate.Holds(y) && kCoordinate.Holds(angle) ? NResult::NotFound
                                                                                               : NResult::OutOfRange;
        bool elsewhere = false;
        With([&](T& o) {
            double x0 = 0.0, y0 = 0.0, a0 = 0.0;
            o.GetPlacement(x0, y0, a0);
            elsewhere = o.m_macro && !(std::fabs(x - x0) <= EPS && std::fabs(y - y0) <= EPS &&
                                       std::fabs(std::remainder(angle - a0, 360.0)) <= EPS);
        });
        return elsewhere ? NResult::OutOfRange
                         : SetWithin({{kCoordinate, x}, {kCoordinate, y}, {kCoordinate, angle}}, [] {});
    }
    if (!(kCoordinate.Holds(x) && kCoordinate.Holds(y) && kCoordinate.Holds(angle)))
        return NResult::OutOfRange;
    // An object whose macro is gone has no place to take.
    if (!With(false, [](T& o) { return o.m_macro && o.GetReference() != 0; }))
        return NResult::NotFound;
    // A remnant is stock of its sheet: it is not moved off it, nor onto another.
    if constexpr (std::is_same_v<T, Waste>) {
        if (!With(false, [&](T& o) { return PlaceForRemnant(o, x, y, angle); }))
            return NResult::OutOfRange;
    }
    // The bridges on the object come along, as after a move in the drawing.
    return SetWithin({{kCoordinate, x}, {kCoordinate, y}, {kCoordinate, angle}}, [&] {
        With([&](T& o) {
            if (!o.m_macro)
                return;
            BridgeAnchors bridges;
            bridges.Hold({m_object});
            o.MoveTo(x, y, angle);
            // A remnant's outline and a bridge's ends are read again from
            // the macro, as the next reading of the drawing finds them.
            if constexpr (std::is_same_v<T, Waste>)
                o.ReadOutline();
            else if constexpr (std::is_same_v<T, Jumper>)
                o.Init();
            bridges.Follow();
        });
    });
}

template <class I, class T>
void ObjectImpl<I, T>::ChangeView(int view)
{
    // Callers place the object right after, so the view's shift is not followed.
    With([&](T& o) { o.ChangeView(view, false); });
}

template <class I, class T>
void ObjectImpl<I, T>::SaveParams()
{
    With([](T& o) { o.SaveParams(); });
}

template class ObjectImpl<ISheet, Sheet>;
template class ObjectImpl<IFigure, Figure>;
template class ObjectImpl<IJumper, Jumper>;
template class ObjectImpl<IWaste, Waste>;

}  // namespace napi

// ---- Sheets

void NAPISheet::UpdateName()
{
    With([](Sheet& s) { s.UpdateName(); });
}

double NAPISheet::GetCount()
{
    return With(0.0, [](Sheet& s) { return s.m_count; });
}

NResult NAPISheet::SetCount(double count)
{
    return SetOn({{napi::kSheetCount, count}}, [&] { With([&](Sheet& s) { s.m_count = count; }); });
}

// ---- Figures

void NAPIFigure::InitChoose()
{
    With([](Figure& f) { f.InitChoose(); });
}

NResult NAPIFigure::SetThickness(double thickness)
{
    return SetOn({{napi::kThickness, thickness}}, [&] { With([&](Figure& f) { f.SetThickness(thickness); }); });
}

void NAPIFigure::SetMaterial(std::wstring material)
{
    With([&](Figure& f) { f.SetMaterial(std::move(material)); });
}

double NAPIFigure::GetThickness()
{
    return With(0.0, [](Figure& f) { return f.GetThickness(); });
}

std::wstring NAPIFigure::GetMaterial()
{
    return With(std::wstring(), [](Figure& f) { return f.GetMaterial(); });
}

int32_t NAPIFigure::GetCount()
{
    return With(int32_t{0}, [](Figure& f) { return f.GetCount(); });
}

// ---- Bridges

BridgeType NAPIJumper::GetType()
{
    return With(BridgeType::Gap, [](Jumper& j) { return static_cast<BridgeType>(j.GetType()); });
}

NResult NAPIJumper::SetType(BridgeType type)
{
    return SetOn({{napi::kBridgeType, static_cast<double>(type)}}, [&] { With([&](Jumper& j) { j.SetType(type); }); });
}

double NAPIJumper::GetWidth()
{
    return With(0.0, [](Jumper& j) { return j.GetWidth(); });
}

NResult NAPIJumper::SetWidth(double width)
{
    return SetOn({{napi::kBridgeWidth, width}}, [&] { With([&](Jumper& j) { j.SetWidth(width); }); });
}

bool NAPIJumper::GetByNormal()
{
    return With(false, [](Jumper& j) { return j.m_bynormal; });
}

void NAPIJumper::SetByNormal(bool byNormal)
{
    With([&](Jumper& j) { j.m_bynormal = byNormal; });
}

bool NAPIJumper::IsTwoPoints()
{
    return With(false, [](Jumper& j) { return j.m_twoPoints; });
}

namespace {

// The figure or sheet behind an owner given to a bridge; empty for anything else.
NObjectPtr OwnerBehind(const INObjectPtr& owner)
{
    NObjectPtr object = ModelObjectOf(owner.get());
    if (std::dynamic_pointer_cast<Figure>(object) || std::dynamic_pointer_cast<Sheet>(object))
        return object;
    return {};
}

}  // namespace

void NAPIJumper::SetOwner1(const INObjectPtr& owner)
{
    With([&](Jumper& j) { j.m_owner1 = OwnerBehind(owner); });
}

void NAPIJumper::SetOwner2(const INObjectPtr& owner)
{
    With([&](Jumper& j) { j.m_owner2 = OwnerBehind(owner); });
}

NResult NAPIJumper::SetPoint1(double x, double y)
{
    // The model's SetPoint1 moves the macro only; the drawer follows here.
    return SetOn({{napi::kCoordinate, x}, {napi::kCoordinate, y}}, [&] {
        With([&](Jumper& j) {
            j.SetPoint1(NPoint{x, y});
            j.UpdateGeometry();
        });
    });
}

NResult NAPIJumper::SetPoint2(double x, double y)
{
    return SetOn({{napi::kCoordinate, x}, {napi::kCoordinate, y}}, [&] { With([&](Jumper& j) { j.SetPoint2(NPoint{x, y}); }); });
}

namespace {

// A bridge drawn in a drawing that is not the active one, or whose macro was
// deleted (it left its model, or its drawing was closed): nothing of it is
// drawn in the active drawing. A bridge not yet added has no drawing yet.
bool DrawnElsewhere(const Jumper& j)
{
    return j.m_macro && (j.GetReference() == 0 || !vrnApi::InActiveDrawing(*j.m_macro));
}

}  // namespace

void NAPIJumper::GetPhantomGroup(double x, double y, bool second, int& group)
{
    // A point out of range draws nothing.
    group = 0;
    if (napi::kCoordinate.Holds(x) && napi::kCoordinate.Holds(y))
        With([&](Jumper& j) {
            if (!DrawnElsewhere(j))
                group = j.GetPhantomGroup(NPoint{x, y}, second);
        });
}

void NAPIJumper::ReBuild()
{
    With([](Jumper& j) {
        if (j.m_macro && !DrawnElsewhere(j))
            j.ReBuild();
    });
}

// ---- Remnants

bool NAPIWaste::GetMethod()
{
    return With(false, [](Waste& w) { return w.m_method; });
}

void NAPIWaste::ChangeText(std::wstring text)
{
    With([&](Waste& w) { w.ChangeText(std::move(text)); });
}

NResult NAPIWaste::SetColor(int colour)
{
    return SetOn({{napi::kColour, static_cast<double>(colour)}}, [&] { With([&](Waste& w) { w.SetColor(colour); }); });
}

// ---- Wrapping model objects

ISheetPtr WrapSheet(const SheetPtr& sheet)
{
    return sheet ? napi::Make<ISheetPtr, NAPISheet>(sheet) : ISheetPtr();
}

IFigurePtr WrapFigure(const FigurePtr& figure)
{
    return figure ? napi::Make<IFigurePtr, NAPIFigure>(figure) : IFigurePtr();
}

IJumperPtr WrapJumper(const JumperPtr& jumper)
{
    return jumper ? napi::Make<IJumperPtr, NAPIJumper>(jumper) : IJumperPtr();
}

IWastePtr WrapWaste(const WastePtr& waste)
{
    return waste ? napi::Make<IWastePtr, NAPIWaste>(waste) : IWastePtr();
}

INObjectPtr WrapObject(const NObjectPtr& object)
{
    if (auto figure = std::dynamic_pointer_cast<Figure>(object))
        return WrapFigure(figure);
    if (auto sheet = std::dynamic_pointer_cast<Sheet>(object))
        return WrapSheet(sheet);
    if (auto jumper = std::dynamic_pointer_cast<Jumper>(object))
        return WrapJumper(jumper);
    if (auto waste = std::dynamic_pointer_cast<Waste>(object))
        return WrapWaste(waste);
    return {};
}
