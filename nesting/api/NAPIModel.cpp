// The automation model: every operation drives the NestingModel it holds.
#include "api/NestingAPIObjects.h"

#include "api/DxfImportLink.h"
#include "io/SheetFile.h"
#include "geometry/UtilityFunctions.h"
#include "host/NestingResources.h"
#include "host/HostAccess.h"
#include "host/VarnelAPI.h"
#include "model/NestingSetting.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace {

template <class P, class T, class Wrap>
void AppendWrapped(const std::vector<std::shared_ptr<T>>& objects, std::vector<P>& out, Wrap wrap)
{
    out.reserve(out.size() + objects.size());
    for (const std::shared_ptr<T>& object : objects)
        out.emplace_back(wrap(object));
}

// Ranges of this file's own values.
constexpr napi::Range kSheetScheme{0.0, 3.0};  // user-defined, horizontal, vertical, rows
constexpr napi::Range kColumns{1.0, 100.0};
constexpr napi::Range kLength{0.0, 1.0e6, true};
constexpr napi::Range kPieces{1.0, napi::kCopies.high};
// The count a detail of linear nesting is wanted: what a list file gives, not
// copies made.
constexpr napi::Range kWanted{0.0, 1.0e9, true, true};
// Lengths of linear pieces closer than this are one detail.
constexpr double kSameLength = 1e-4;

// The sheet's thickness and material as a message gives them.
std::wstring ThicknessText(const NestingModel& m)
{
    return m.m_thicknessSheet > 0.0 ? uf::NumberText(m.m_thicknessSheet) + L" мм" : L"не задана";
}

std::wstring MaterialText()
{
    return NestingModel::m_materialSheet.empty() ? L"не задан" : NestingModel::m_materialSheet;
}

// The sheet as a message names it: its size, thickness and material; the
// default size, which nobody gave (a size typed as 12000 × 2500 was), is said
// to be the default one.
std::wstring SheetText(const NestingModel& m, bool mayBeDefault)
{
    const bool byDefault = mayBeDefault && m.m_sheetSized == 0 &&
                           NestingModel::m_widthSheet == NestingModel::kDefaultWidthSheet &&
                           NestingModel::m_heightSheet == NestingModel::kDefaultHeightSheet;
    return std::wstring(byDefault ? L"лист по умолчанию " : L"") + uf::NumberText(NestingModel::m_widthSheet) +
           L" × " + uf::NumberText(NestingModel::m_heightSheet) + L" мм, толщина " + ThicknessText(m) +
           L", материал " + MaterialText();
}

template <class T>
bool InList(const std::vector<std::shared_ptr<T>>& list, const std::shared_ptr<T>& object)
{
    return object && std::find(list.begin(), list.end(), object) != list.end();
}

// A field of the model's parameter block with the values it takes: its own
// setter and the block's setter check it by this one rule.
template <class T>
struct Field {
    T ModelParams::*member;
    napi::Range range;

    bool Holds(T value) const { return range.Holds(static_cast<double>(value)); }
};

constexpr Field<double> kScale1{&ModelParams::m_scale1, napi::kScale};  // no setter of its own
constexpr Field<double> kScale2{&ModelParams::m_scale2, napi::kScale};
constexpr Field<double> kThicknessSheet{&ModelParams::m_thicknessSheet, napi::kThickness};
constexpr Field<double> kTextSize{&ModelParams::m_textSize, napi::kTextSize};
constexpr Field<double> kWastSize{&ModelParams::m_wastSize, napi::kRemnantSize};
constexpr Field<double> kWastRectSize{&ModelParams::m_wastRectSize, napi::kRemnantSize};
constexpr Field<double> kFigureGap{&ModelParams::m_figureGap, napi::kGap};
constexpr Field<double> kSheetGap{&ModelParams::m_sheetGap, napi::kGap};
constexpr Field<int32_t> kWastesColor{&ModelParams::m_wastesColor, napi::kColour};
constexpr Field<int32_t> kNestingMethod{&ModelParams::m_nestingMethod, napi::kNestingMethod};

// Every field of a block takes its value.
bool FieldsHold(const ModelParams& block)
{
    const auto holds = [&](const auto& field) { return field.Holds(block.*field.member); };
    // The shortest remnant of linear nesting, when the block keeps one, as
    // the panel takes it; one not kept is read as none, but is a number still.
    constexpr napi::Range kLinearMinimum{0.0, paramlimits::kLinearMinimum};
    const bool linearMinimum = block.m_linearMinimumKept == 0
                                   ? std::isfinite(block.m_linearMinimum)
                                   : block.m_linearMinimumKept == 1 && kLinearMinimum.Holds(block.m_linearMinimum);
    return holds(kScale1) && holds(kScale2) && holds(kThicknessSheet) && holds(kTextSize) && holds(kWastSize) &&
           holds(kWastRectSize) && holds(kFigureGap) && holds(kSheetGap) && holds(kWastesColor) &&
           holds(kNestingMethod) && linearMinimum;
}

// One field set by its own setter: a value outside its range is refused.
template <class T>
NResult SetField(NestingModel& model, const Field<T>& field, T value)
{
    if (!field.Holds(value))
        return NResult::OutOfRange;
    model.*field.member = value;
    return NResult::Done;
}

}  // namespace

NAPIModel::NAPIModel()
{
    m_model.Init();
    OwnDrawingActive();
}

bool NAPIModel::OwnDrawingActive()
{
    const reference active = napi::Guarded(reference{0}, [] { return hostAccess::ReferenceOf(vrnApi::GetActiveDocument2D()); });
    if (active == 0)
        return false;
    if (m_drawing == 0)
        m_drawing = active;
    return active == m_drawing;
}

// ---- Loading, configuration and the parameter block

void NAPIModel::InitSheetsFromActiveDoc() { OnDrawing([](NestingModel& m) { m.InitSheetsFromActiveDoc(); }); }
// The commands that read the figures through the automation model may move
// them: the bridges on the figures are held, to follow them.
void NAPIModel::InitFiguresFromActiveDoc()
{
    OnDrawing([](NestingModel& m) {
        m.InitFiguresFromActiveDoc(nullptr);
        m.HoldBridges();
    });
}
void NAPIModel::InitWastesFromActiveDoc() { OnDrawing([](NestingModel& m) { m.InitWastesFromActiveDoc(); }); }
void NAPIModel::InitJumpersFromActiveDoc() { OnDrawing([](NestingModel& m) { m.InitJumpersFromActiveDoc(); }); }
void NAPIModel::ReadFromConfig() { With([](NestingModel& m) { m.ReadFromConfig(); }); }
bool NAPIModel::WriteToConfig() { return With(false, [](NestingModel& m) { return m.WriteToConfig(); }); }

void NAPIModel::ReadAdaptersFolder()
{
    // No folder is read: the singleton's configuration is copied in.
    With([](NestingModel& m) { static_cast<ConfigParams&>(m) = NestingSetting::m_instance; });
}

void NAPIModel::GetAdapters(std::map<std::wstring, bool>& adapters)
{
    With([&](NestingModel& m) { adapters = m.m_adapters; });
}

void NAPIModel::SetAdapters(std::map<std::wstring, bool>& adapters)
{
    With([&](NestingModel& m) { m.m_adapters = adapters; });
}

SheetSchemeParams* NAPIModel::GetSchemeParams() { return &m_model.m_scheme; }

NResult NAPIModel::SetSchemeParams(const SheetSchemeParams& params)
{
    return napi::SetWithin({{kSheetScheme, static_cast<double>(params.sheetScheme)},
                            {kColumns, static_cast<double>(params.countColumns)}},
                           [&] { With([&](NestingModel& m) { m.SetSchemeParams(params); }); });
}

ModelParams NAPIModel::GetParams() { return With(ModelParams(), [](NestingModel& m) { return m.GetParams(); }); }
// A whole parameter block: each field is checked as its own setter checks it,
// and one refused leaves the whole block as it was.
NResult NAPIModel::SetParams(const ModelParams& params)
{
    if (!FieldsHold(params))
        return NResult::OutOfRange;
    With([&](NestingModel& m) { m.SetParams(params); });
    return NResult::Done;
}
void NAPIModel::SaveSession() { With([](NestingModel& m) { m.SaveSession(); }); }
void NAPIModel::SaveParams() { OnDrawing([](NestingModel& m) { m.SaveParams(); }); }
void NAPIModel::LoadParams() { OnDrawing([](NestingModel& m) { m.LoadParams(); }); }

void NAPIModel::RecognizeSheetScheme(SheetSchemeParams&)
{
    OnDrawing([](NestingModel& m) { m.RecognizeSheetScheme(); });
}

// ---- Configuration values: fields of the model's ConfigParams

double NAPIModel::GetBridgesWidth() { return m_model.m_bridgesWidth; }

NResult NAPIModel::SetBridgesWidth(double width)
{
    return napi::SetWithin({{napi::kBridgeWidth, width}}, [&] { m_model.m_bridgesWidth = width; });
}

double NAPIModel::GetBridgesLength() { return m_model.m_bridgesLength; }

NResult NAPIModel::SetBridgesLength(double length)
{
    return napi::SetWithin({{napi::kBridgeLength, length}}, [&] { m_model.m_bridgesLength = length; });
}

double NAPIModel::GetTolerance() { return m_model.m_tolerance; }

NResult NAPIModel::SetTolerance(double tolerance)
{
    return napi::SetWithin({{napi::kTolerance, tolerance}}, [&] { m_model.m_tolerance = tolerance; });
}

int NAPIModel::GetSheetFormat() { return m_model.m_sheetFormat; }

NResult NAPIModel::SetSheetFormat(int format)
{
    return napi::SetWithin({{napi::kSheetFormat, static_cast<double>(format)}}, [&] { m_model.m_sheetFormat = format; });
}

bool NAPIModel::GetSheetOrient() { return m_model.m_sheetOrient; }
void NAPIModel::SetSheetOrient(bool vertical) { m_model.m_sheetOrient = vertical; }
void NAPIModel::GetLytPath(std::wstring& path) { With([&](NestingModel& m) { path = m.m_lytPath; }); }
void NAPIModel::SetLytPath(std::wstring path) { With([&](NestingModel& m) { m.m_lytPath = std::move(path); }); }

std::wstring NAPIModel::GetSheetPattern()
{
    return With(std::wstring(), [](NestingModel& m) { return m.m_sheetPattern; });
}

void NAPIModel::SetSheetPattern(std::wstring pattern)
{
    With([&](NestingModel& m) { m.m_sheetPattern = std::move(pattern); });
}

// ---- Model parameters, sheet size and counts: only stored

int32_t NAPIModel::GetNestingMethod() { return m_model.m_nestingMethod; }

NResult NAPIModel::SetNestingMethod(int32_t method) { return SetField(m_model, kNestingMethod, method); }

bool NAPIModel::GetCheckOrient() { return m_model.m_checkOrient; }
void NAPIModel::SetCheckOrient(bool check) { m_model.m_checkOrient = check; }
bool NAPIModel::GetRectSheet() { return m_model.m_rectSheet; }
void NAPIModel::SetRectSheet(bool rect) { m_model.m_rectSheet = rect; }
double NAPIModel::GetWidthSheet() { return NestingModel::GetWidthSheet(); }
double NAPIModel::GetHeightSheet() { return NestingModel::GetHeightSheet(); }

// The sheets are resized in the drawing, and the bridges on their edges follow.
NResult NAPIModel::SetWidthSheet(double width)
{
    if (!napi::kSheetSide.Holds(width))
        return NResult::OutOfRange;
    return OnDrawing(NResult::NotFound, [&](NestingModel& m) {
        m.SetWidthSheet(width);
        return NResult::Done;
    });
}

NResult NAPIModel::SetHeightSheet(double height)
{
    if (!napi::kSheetSide.Holds(height))
        return NResult::OutOfRange;
    return OnDrawing(NResult::NotFound, [&](NestingModel& m) {
        m.SetHeightSheet(height);
        return NResult::Done;
    });
}

double NAPIModel::GetThicknessSheet() { return m_model.m_thicknessSheet; }

NResult NAPIModel::SetThicknessSheet(double thickness) { return SetField(m_model, kThicknessSheet, thickness); }

std::wstring NAPIModel::GetMaterialSheet()
{
    return With(std::wstring(), [](NestingModel&) { return NestingModel::GetMaterialSheet(); });
}

void NAPIModel::SetMaterialSheet(std::wstring material)
{
    With([&](NestingModel&) { NestingModel::m_materialSheet = std::move(material); });
}

bool NAPIModel::GetHideText() { return m_model.m_hideText; }
void NAPIModel::SetHideText(bool hide) { m_model.m_hideText = hide; }
double NAPIModel::GetTextSize() { return m_model.m_textSize; }

NResult NAPIModel::SetTextSize(double size) { return SetField(m_model, kTextSize, size); }

double NAPIModel::GetFigureGap() { return m_model.m_figureGap; }

NResult NAPIModel::SetFigureGap(double gap) { return SetField(m_model, kFigureGap, gap); }

double NAPIModel::GetSheetGap() { return m_model.m_sheetGap; }

NResult NAPIModel::SetSheetGap(double gap) { return SetField(m_model, kSheetGap, gap); }

bool NAPIModel::GetUniteFigures() { return m_model.m_uniteFigures; }
void NAPIModel::SetUniteFigures(bool unite) { m_model.m_uniteFigures = unite; }
bool NAPIModel::GetUniteMirrors() { return m_model.m_uniteMirrors; }
void NAPIModel::SetUniteMirrors(bool unite) { m_model.m_uniteMirrors = unite; }
size_t NAPIModel::GetFiguresCount() { return m_model.m_figures.size(); }
size_t NAPIModel::GetSheetsCount() { return m_model.m_sheets.size(); }
size_t NAPIModel::GetJumpersCount() { return m_model.m_jumpers.size(); }

// ---- Remnant parameters: only stored

bool NAPIModel::GetWasteMethod() { return m_model.m_wasteMethod; }
void NAPIModel::SetWasteMethod(bool automatic) { m_model.m_wasteMethod = automatic; }
double NAPIModel::GetWastSize() { return m_model.m_wastSize; }

NResult NAPIModel::SetWastSize(double size) { return SetField(m_model, kWastSize, size); }

double NAPIModel::GetWastRectSize() { return m_model.m_wastRectSize; }

NResult NAPIModel::SetWastRectSize(double size) { return SetField(m_model, kWastRectSize, size); }

bool NAPIModel::GetWastesRect() { return m_model.m_wastesRect; }
void NAPIModel::SetWastesRect(bool rect) { m_model.m_wastesRect = rect; }
int32_t NAPIModel::GetWastesColor() { return m_model.m_wastesColor; }

NResult NAPIModel::SetWastesColor(int32_t colour) { return SetField(m_model, kWastesColor, colour); }

bool NAPIModel::GetWastesHide() { return m_model.m_wastesHide; }
void NAPIModel::SetWastesHide(bool hide) { m_model.m_wastesHide = hide; }
size_t NAPIModel::GetWastesCount() { return m_model.m_wastes.size(); }

// ---- Lists

void NAPIModel::GetFigureObjects(std::vector<INObjectPtr>& out)
{
    With([&](NestingModel& m) { AppendWrapped(m.m_figures, out, WrapObject); });
}

void NAPIModel::GetSheetObjects(std::vector<INObjectPtr>& out)
{
    With([&](NestingModel& m) { AppendWrapped(m.m_sheets, out, WrapObject); });
}

void NAPIModel::GetJumperObjects(std::vector<INObjectPtr>& out)
{
    With([&](NestingModel& m) { AppendWrapped(m.m_jumpers, out, WrapObject); });
}

void NAPIModel::GetWasteObjects(std::vector<INObjectPtr>& out)
{
    With([&](NestingModel& m) { AppendWrapped(m.m_wastes, out, WrapObject); });
}

void NAPIModel::GetFigureObjectsTree(IFiguresTree& out)
{
    With([&](NestingModel& m) {
        std::vector<std::vector<FigurePtr>> tree;
        m.GetFigureObjectsTree(tree);
        for (const std::vector<FigurePtr>& group : tree) {
            out.emplace_back();
            AppendWrapped(group, out.back(), WrapFigure);
        }
    });
}

void NAPIModel::GetSelectedSheets(std::vector<ISheetPtr>& out)
{
    With([&](NestingModel& m) {
        std::vector<SheetPtr> chosen;
        m.GetSelectedSheets(chosen);
        AppendWrapped(chosen, out, WrapSheet);
    });
}

void NAPIModel::GetSelectedFigures(std::vector<IFigurePtr>& out)
{
    With([&](NestingModel& m) {
        std::vector<FigurePtr> chosen;
        m.GetSelectedFigures(chosen);
        AppendWrapped(chosen, out, WrapFigure);
    });
}

void NAPIModel::GetSelectedJumpers(std::vector<IJumperPtr>& out)
{
    With([&](NestingModel& m) {
        std::vector<JumperPtr> chosen;
        m.GetSelectedJumpers(chosen);
        AppendWrapped(chosen, out, WrapJumper);
    });
}

void NAPIModel::GetFiguresByName(std::vector<INObjectPtr>& out, std::wstring name)
{
    With([&](NestingModel& m) {
        std::vector<FigurePtr> figures;
        m.GetFiguresByName(figures, name);
        AppendWrapped(figures, out, WrapObject);
    });
}

void NAPIModel::GetRectangleFigures(std::vector<IFigurePtr>& out)
{
    With([&](NestingModel& m) {
        std::vector<FigurePtr> figures;
        m.GetRectangleFigures(figures);
        AppendWrapped(figures, out, WrapFigure);
    });
}

// ---- Sheets

ISheetPtr NAPIModel::AddSheet()
{
    return OnDrawing(ISheetPtr(), [](NestingModel& m) { return WrapSheet(m.AddSheet()); });
}

void NAPIModel::DelSheet(const ISheetPtr& sheet)
{
    // Only a sheet of this model: a foreign one changes nothing.
    OnDrawing([&](NestingModel& m) {
        SheetPtr object = ModelObjectAs<Sheet>(sheet);
        if (InList(m.m_sheets, object))
            m.DelSheet(object);
    });
}

void NAPIModel::ArrangeSheets() { OnDrawing([](NestingModel& m) { m.ArrangeSheets(); }); }
void NAPIModel::UpdateSheets() { OnDrawing([](NestingModel& m) { m.UpdateSheets(); }); }
void NAPIModel::ClearSheets() { OnDrawing([](NestingModel& m) { m.ClearSheets(); }); }
void NAPIModel::SelectSheet(size_t index, bool select) { OnDrawing([&](NestingModel& m) { m.SelectSheet(index, select); }); }
void NAPIModel::InvertSelectSheet(size_t index) { OnDrawing([&](NestingModel& m) { m.InvertSelectSheet(index); }); }

int32_t NAPIModel::GetIndexSheetByRef(int reference)
{
    return With(int32_t{-1}, [&](NestingModel& m) { return static_cast<int32_t>(m.GetIndexSheetByRef(reference)); });
}

bool NAPIModel::ImportSheetFromFile(std::wstring path)
{
    return OnDrawing(false, [&](NestingModel& m) {
        sheetfile::SheetOfFile sheet;
        const std::wstring refused = sheetfile::ReadSheet(path, sheet);
        if (!refused.empty()) {
            vrnApi::ShowErrorText(refused + L".\nЛист остаётся прежним: " + SheetText(m, true) + L".");
            return false;
        }
        // What a remnant's label leaves out stays as it was, lines inside the
        // sheet are not cut, and what the DXF reader left out is not read:
        // the user is told of each.
        std::wstring kept;
        if (!sheet.label.empty() && !sheet.thickness)
            kept += L"\nВ надписи отхода нет толщины: толщина листа остаётся прежней: " + ThicknessText(m) + L".";
        if (!sheet.label.empty() && !sheet.material)
            kept += L"\nВ надписи отхода нет материала: материал листа остаётся прежним: " + MaterialText() + L".";
        if (sheet.looseLines > 0)
            kept += L"\nЛинии внутри контура листа не замкнуты и не доходят до него (" +
                    std::to_wstring(sheet.looseLines) + L"): они не вырезаются, лист загружен целым.";
        if (!sheet.hidden.empty())
            kept += L"\nКривые на выключенных или замороженных слоях не загружены: " + sheet.hidden +
                    L": они не вырезаются, лист загружен целым.";
        if (!sheet.hiddenLabels.empty())
            kept += L"\nНадписи отходов на выключенных или замороженных слоях не читаются: " +
                    uf::FirstNames(sheet.hiddenLabels, 5) + L".";
        if (!sheet.otherStyles.empty())
            kept += L"\nЗамкнутые кривые не основной (сплошной) линии не режутся: " + sheet.otherStyles +
                    L": лист загружен целым.";
        if (!sheet.leftOut.empty())
            kept += L"\nПри чтении файла " + sheet.leftOut + L".";
        m.SetWidthSheet(sheet.width);
        m.SetHeightSheet(sheet.height);
        if (sheet.thickness)
            m.m_thicknessSheet = *sheet.thickness;
        if (sheet.material)
            NestingModel::m_materialSheet = *sheet.material;
        if (!kept.empty())
            vrnApi::ShowWarningText(L"Лист загружен из файла " + path +
                                    (sheet.label.empty() ? L"" : L" (надпись отхода «" + sheet.label + L"»)") + L": " +
                                    SheetText(m, false) + L"." + kept);
        m.UpdateSheets();
        m.ArrangeFiguresInContainer(true, true);
        return true;
    });
}

void NAPIModel::InitSheetThickness() { With([](NestingModel& m) { m.InitSheetThickness(); }); }
void NAPIModel::InitSheetMaterial() { With([](NestingModel& m) { m.InitSheetMaterial(); }); }

// ---- Figures

IFigurePtr NAPIModel::AddFigure(std::wstring path)
{
    std::wstring why;
    return AddFigure(std::move(path), why);
}

IFigurePtr NAPIModel::AddFigure(std::wstring path, std::wstring& why)
{
    return OnDrawing(IFigurePtr(), [&](NestingModel& m) { return WrapFigure(m.AddFigure(std::move(path), &why)); });
}

IFigurePtr NAPIModel::AddLinNestFigure(LNDetailParams detail, size_t count)
{
    // n pieces, one at least: the model makes the first piece whatever n is.
    if (!kLength.Holds(detail.length) || !kPieces.Holds(static_cast<double>(count)) ||
        !kWanted.Holds(static_cast<double>(detail.count)))
        return {};
    return OnDrawing(IFigurePtr(), [&](NestingModel& m) {
        // A drawing keeps one count per detail of a name and length (the
        // editor rebuilds one row from all its pieces): a piece wanted
        // another number of times than the drawn ones of its detail would
        // come back with their count, its own lost.
        for (const FigurePtr& piece : m.m_figures) {
            if (piece->GetCount() == detail.count || piece->GetName() != detail.name || !piece->CheckRectangle())
                continue;
            const double length = piece->m_rectBorder.pTop.x - piece->m_rectBorder.pBot.x;
            if (std::fabs(length - detail.length) < kSameLength)
                return IFigurePtr();
        }
        return WrapFigure(m.AddLinNestFigure(std::move(detail), count));
    });
}

void NAPIModel::RemFigure(const IFigurePtr& figure)
{
    OnDrawing([&](NestingModel& m) {
        FigurePtr object = ModelObjectAs<Figure>(figure);
        m.RemFigure(object);
    });
}

void NAPIModel::DelFigure(const IFigurePtr& figure)
{
    // Only a figure of this model loses its edit mark: a foreign one is left alone.
    OnDrawing([&](NestingModel& m) {
        FigurePtr object = ModelObjectAs<Figure>(figure);
        if (InList(m.m_figures, object))
            m.DelFigure(object);
    });
}

void NAPIModel::DelFigures(const std::vector<INObjectPtr>& objects)
{
    OnDrawing([&](NestingModel& m) {
        // Only figures of this model lose their edit marks.
        std::unordered_set<const Figure*> own;
        for (const FigurePtr& figure : m.m_figures)
            own.insert(figure.get());
        std::vector<FigurePtr> figures;
        for (const INObjectPtr& object : objects) {
            if (FigurePtr figure = ModelObjectAs<Figure>(object); figure && own.erase(figure.get()) != 0)
                figures.push_back(std::move(figure));
        }
        for (const FigurePtr& figure : figures)
            figure->m_edit = false;
        m.RemFigures(figures);
    });
}

void NAPIModel::ClearFigures() { OnDrawing([](NestingModel& m) { m.ClearFigures(); }); }

NResult NAPIModel::CopyFiguresByName(std::wstring name, size_t count)
{
    if (!napi::kCopies.Holds(static_cast<double>(count)))
        return NResult::OutOfRange;
    // A name no figure has has no copies to make.
    return OnDrawing(NResult::NotFound, [&](NestingModel& m) {
        std::vector<FigurePtr> named;
        m.GetFiguresByName(named, name);
        if (named.empty())
            return NResult::NotFound;
        m.CopyFiguresByName(name, count);
        return NResult::Done;
    });
}

void NAPIModel::SortFiguresByNames() { With([](NestingModel& m) { m.SortFiguresByNames(); }); }
void NAPIModel::SortFiguresByAreasIncrease() { With([](NestingModel& m) { m.SortFiguresByAreasIncrease(); }); }
void NAPIModel::SortFiguresByAreasDecrease() { With([](NestingModel& m) { m.SortFiguresByAreasDecrease(); }); }
void NAPIModel::MoveFiguresToSysView() { OnDrawing([](NestingModel& m) { m.MoveFiguresToSysView(); }); }
void NAPIModel::SetAllFiguresInSourcePlacement() { OnDrawing([](NestingModel& m) { m.SetAllFiguresInSourcePlacement(); }); }
void NAPIModel::InitFigurePolygons() { OnDrawing([](NestingModel& m) { m.InitFigurePolygons(); }); }
void NAPIModel::CreateCompoundFigures() { OnDrawing([](NestingModel& m) { m.CreateCompoundFigures(); }); }
void NAPIModel::DestroyCompoundFigures() { OnDrawing([](NestingModel& m) { m.DestroyCompoundFigures(); }); }
void NAPIModel::RotateAllFiguresToMinGabarit() { OnDrawing([](NestingModel& m) { m.RotateAllFiguresToMinGabarit(); }); }

void NAPIModel::ArrangeFiguresInContainer(bool allFigures, bool delWastes)
{
    OnDrawing([&](NestingModel& m) { m.ArrangeFiguresInContainer(allFigures, delWastes); });
}

void NAPIModel::CheckIntersectAllFigures() { OnDrawing([](NestingModel& m) { m.CheckIntersectAllFigures(nullptr); }); }
std::vector<std::pair<std::wstring, std::wstring>> NAPIModel::MoveMismatchedFiguresToContainer()
{
    std::vector<std::pair<std::wstring, std::wstring>> names;
    OnDrawing([&](NestingModel& m) {
        for (const FigurePtr& figure : m.MoveMismatchedFiguresToContainer()) {
            const std::wstring stock = m.StockAgainstSheets(*figure);
            for (const FigurePtr& part : PartsOf(figure))
                names.emplace_back(part->m_name, stock);
        }
    });
    return names;
}
void NAPIModel::CreateFigureColouring() { OnDrawing([](NestingModel& m) { m.CreateFigureColouring(); }); }
void NAPIModel::UpdateFiguresScale() { With([](NestingModel& m) { m.UpdateFiguresScale(); }); }

// ---- Drawing updates

void NAPIModel::UpdateResultTables() { OnDrawing([](NestingModel& m) { m.UpdateResultTables(nullptr); }); }
void NAPIModel::UpdateSizeText(bool offset) { OnDrawing([&](NestingModel& m) { m.UpdateSizeText(offset); }); }
void NAPIModel::UpdateHideText() { OnDrawing([](NestingModel& m) { m.UpdateHideText(); }); }
void NAPIModel::UpdateGaps() { OnDrawing([](NestingModel& m) { m.UpdateGaps(); }); }

// ---- Progress, DXF import, linear-nesting results

void NAPIModel::CreateProgressIndicator() { With([](NestingModel& m) { m.CreateProgressIndicator(); }); }
void NAPIModel::SetProgressIndicator(double percent)
{
    // A share that is not a number moves nothing.
    if (std::isfinite(percent))
        With([&](NestingModel& m) { m.SetProgressIndicator(percent); });
}
void NAPIModel::DeleteProgressIndicator() { With([](NestingModel& m) { m.DeleteProgressIndicator(); }); }

void NAPIModel::ImportFiguresFromDXF(std::vector<FileMetaParams>& params, std::wstring outPath,
                                     const ScriptMetaParams&)
{
    With([&](NestingModel& m) { ImportDxfFiles(m, params, outPath); });
}

LinearCutInfo NAPIModel::GetLinearCutInfo()
{
    return With(LinearCutInfo(), [](NestingModel& m) { return m.m_linearCutInfo; });
}

void NAPIModel::SetLinearInfo(const LinearCutInfo& linearInfo)
{
    With([&](NestingModel& m) { m.SetLinearCutInfo(linearInfo); });
}

// ---- Bridges

IJumperPtr NAPIModel::CreateJumper(double x, double y, double width, BridgeType type, bool byNormal)
{
    if (!napi::kBridgeWidth.Holds(width) || !napi::kBridgeType.Holds(static_cast<double>(type)) ||
        !napi::kCoordinate.Holds(x) || !napi::kCoordinate.Holds(y))
        return {};
    return With(IJumperPtr(), [&](NestingModel& m) { return WrapJumper(m.CreateJumper(x, y, width, type, byNormal)); });
}

NResult NAPIModel::AddJumper(const IJumperPtr& jumper, int layer)
{
    // An empty or foreign object has no bridge to add.
    const JumperPtr object = ModelObjectAs<Jumper>(jumper);
    if (!object)
        return NResult::NotFound;
    const Jumper& j = *object;
    if (napi::SetWithin({{napi::kBridgeWidth, j.GetWidth()},
                         {napi::kBridgeType, static_cast<double>(j.GetType())},
                         {napi::kCoordinate, j.m_point1.x},
                         {napi::kCoordinate, j.m_point1.y},
                         {napi::kCoordinate, j.m_point2.x},
                         {napi::kCoordinate, j.m_point2.y}},
                        [] {}) != NResult::Done)
        return NResult::OutOfRange;
    return OnDrawing(NResult::NotFound, [&](NestingModel& m) {
        // A bridge already in the model is not added twice; one that stands
        // in a drawing for another model, or that stands on a figure or a
        // sheet of another model, is none of this model's. A bridge joins
        // what its ends stand on: one without the owner of its first end, or
        // a two-point one without that of its second, is no bridge to draw.
        if (InList(m.m_jumpers, object))
            return NResult::Done;
        const auto owned = [&](const NObjectPtr& owner) {
            return InList(m.m_figures, std::dynamic_pointer_cast<Figure>(owner)) ||
                   InList(m.m_sheets, std::dynamic_pointer_cast<Sheet>(owner));
        };
        const bool second = j.m_twoPoints || j.m_owner2;
        if (j.GetReference() != 0 || !owned(j.m_owner1) || (second && !owned(j.m_owner2)))
            return NResult::NotFound;
        // Nor is one whose end was never placed, or a two-point one whose
        // second end stands on its first.
        if (!j.m_point1Placed ||
            (j.m_twoPoints && (!j.m_point2Placed || Distance(j.m_point1, j.m_point2) < EPS)))
            return NResult::NotFound;
        // Nor is one whose end stands off what it joins: each end lies on
        // its owner's outline, within half the bridge's width (the bridge
        // touches it there; a click puts it on the outline itself), in the
        // view the bridge is drawn in, not on a part in the container or on
        // another sheet.
        const int view = vrnApi::GetActiveView();
        const double reach = std::max(0.5 * j.GetWidth(), EPS);
        const auto standsOn = [&](const NObjectPtr& owner, const NPoint& end) {
            return owner->GetView() == view && owner->CheckContainPointOnBorders(end, reach);
        };
        if (!standsOn(j.m_owner1, j.m_point1) || (j.m_twoPoints && !standsOn(j.m_owner2, j.m_point2)))
            return NResult::NotFound;
        m.AddJumper(object, layer);
        return InList(m.m_jumpers, object) ? NResult::Done : NResult::NotFound;
    });
}

void NAPIModel::DelJumper(const IJumperPtr& jumper)
{
    OnDrawing([&](NestingModel& m) {
        JumperPtr object = ModelObjectAs<Jumper>(jumper);
        m.DelJumper(object);
    });
}

void NAPIModel::ClearJumpers() { OnDrawing([](NestingModel& m) { m.ClearJumpers(); }); }

IJumperPtr NAPIModel::GetJumperByRef(int reference)
{
    return With(IJumperPtr(), [&](NestingModel& m) { return WrapJumper(m.GetJumperByRef(reference)); });
}

bool NAPIModel::CheckIntersectPointWithJumpers(double x, double y, double width)
{
    return With(false, [&](NestingModel& m) { return m.CheckIntersectPointWithJumpers(x, y, width); });
}

INObjectPtr NAPIModel::CheckObjectForJumperOwner(int reference, double& x, double& y, double width,
                                                 NestingObjectType type)
{
    return OnDrawing(INObjectPtr(), [&](NestingModel& m) {
        double px = x;
        double py = y;
        INObjectPtr owner = WrapObject(m.CheckObjectForJumper(reference, px, py, width, type));
        if (owner) {
            x = px;
            y = py;
        }
        return owner;
    });
}

// ---- Remnants

IWastePtr NAPIModel::CreateWaste(double x, double y)
{
    std::wstring why;
    return CreateWaste(x, y, why);
}

IWastePtr NAPIModel::CreateWaste(double x, double y, std::wstring& why)
{
    return OnDrawing(IWastePtr(), [&](NestingModel& m) { return WrapWaste(m.CreateWaste(NPoint{x, y}, &why)); });
}

void NAPIModel::AddWaste(const IWastePtr& waste)
{
    // The model takes no remnant twice, nor another drawing's.
    OnDrawing([&](NestingModel& m) { m.AddWaste(ModelObjectAs<Waste>(waste)); });
}

void NAPIModel::DelWaste(const IWastePtr& waste)
{
    OnDrawing([&](NestingModel& m) {
        WastePtr object = ModelObjectAs<Waste>(waste);
        m.DelWaste(object);
    });
}

void NAPIModel::ClearWastes() { OnDrawing([](NestingModel& m) { m.ClearWastes(); }); }

IWastePtr NAPIModel::GetWasteByRef(int reference)
{
    return With(IWastePtr(), [&](NestingModel& m) { return WrapWaste(m.GetWasteByRef(reference)); });
}

IWastePtr NAPIModel::GetWasteByPoint(double x, double y)
{
    return With(IWastePtr(), [&](NestingModel& m) { return WrapWaste(m.GetWasteAtPoint(NPoint{x, y})); });
}

double NAPIModel::RemnantMinimum(bool rectangles)
{
    return With(0.0, [&](NestingModel& m) { return m.RemnantMinimum(rectangles); });
}

void NAPIModel::CalculateWastes() { OnDrawing([](NestingModel& m) { m.CalculateWastes(); }); }
void NAPIModel::DecomposeWastesToRectangles() { OnDrawing([](NestingModel& m) { m.DecomposeWastesToRectangles(); }); }

void NAPIModel::SelectWastesByMethod(bool automatic, bool select)
{
    OnDrawing([&](NestingModel& m) { m.SelectWastesByMethod(automatic, select); });
}

void NAPIModel::UpdateWastes() { OnDrawing([](NestingModel& m) { m.UpdateWastes(); }); }
void NAPIModel::ClearWastesByMethod(bool method) { OnDrawing([&](NestingModel& m) { m.ClearWastesByMethod(method); }); }
void NAPIModel::DeleteNonRectangularWastes() { OnDrawing([](NestingModel& m) { m.DeleteNonRectangularWastes(); }); }

// ---- Factory

INestingModelPtr CreateNestingModelInstance()
{
    return napi::Guarded(INestingModelPtr(), [] { return napi::Make<INestingModelPtr, NAPIModel>(); });
}
