// The automation implementations: NAPISheet, NAPIFigure, NAPIJumper and
// NAPIWaste over the model objects, NAPIModel over a NestingModel of its own,
// NAPIOptimizer over a NestingOptimizer, NAPIReporter over a Reporter,
// NAPIExporter over an Exporter.
#pragma once

#include "api/NAPIBase.h"
#include "engine/NestingOptimizer.h"
#include "host/LibraryEdit.h"
#include "io/Exporter.h"
#include "io/Reporter.h"
#include "model/NestingModel.h"

#include <memory>
#include <string>
#include <vector>

// The model object behind an automation object of this library (a sheet,
// figure, bridge or remnant); empty for an empty or foreign object.
NObjectPtr ModelObjectOf(vlapi::IAPIObject* object);

template <class T, class P>
std::shared_ptr<T> ModelObjectAs(const P& object)
{
    return std::dynamic_pointer_cast<T>(ModelObjectOf(object.get()));
}

namespace napi {

// How the library finds the model object behind an automation object.
class ObjectLink {
public:
    virtual NObjectPtr ModelObject() const = 0;

protected:
    virtual ~ObjectLink() = default;
};

// The INObject operations of one kind `I` over model objects of type `T`.
// The automation object holds its model object by its own reference.
template <class I, class T>
class ObjectImpl : public RefCounted<I>, public ObjectLink {
public:
    explicit ObjectImpl(std::shared_ptr<T> object) : m_object(std::move(object)) {}

    NObjectPtr ModelObject() const override { return m_object; }

    std::wstring GetName() override;
    void SetName(std::wstring name) override;
    bool GetChoose() override;
    void Choose(bool choose) override;
    void InvertChoose() override;
    bool GetValid() override;
    void SetEdit(bool edit) override;
    bool CheckReference(int reference) override;
    int GetReference() override;
    void GetGabarit(NRect& out) override;
    int GetView() override;
    void SetCurrentView() override;
    NResult SetPlacement(double x, double y, double angle) override;
    void ChangeView(int view) override;
    void SaveParams() override;

protected:
    // The object's drawing object was there and is gone: deleted with the
    // object, or its drawing closed. A bridge not yet added has none to lose.
    bool Gone()
    {
        return With(false, [](T& o) { return o.m_macro && o.GetReference() == 0; });
    }
    // Runs `set` when every value lies in its range and the drawing object
    // is not gone: OutOfRange, NotFound or Done, as INObject's setters answer.
    template <class F>
    NResult SetOn(std::initializer_list<std::pair<Range, double>> values, F&& set)
    {
        for (const auto& [range, value] : values) {
            if (!range.Holds(value))
                return NResult::OutOfRange;
        }
        if (Gone())
            return NResult::NotFound;
        return SetWithin({}, std::forward<F>(set));
    }

    // Runs `body` on the model object; without one, or when it throws, gives
    // `fallback`. A move or copy it makes is the library's own: the drawings'
    // sinks let it pass.
    template <class R, class F>
    R With(R fallback, F&& body)
    {
        const LibraryEdit edit;
        return Guarded(fallback, [&]() -> R { return m_object ? body(*m_object) : fallback; });
    }
    template <class F>
    void With(F&& body)
    {
        const LibraryEdit edit;
        Guarded([&] {
            if (m_object)
                body(*m_object);
        });
    }

    std::shared_ptr<T> m_object;
};

}  // namespace napi

class NAPISheet final : public napi::ObjectImpl<ISheet, Sheet> {
public:
    using ObjectImpl::ObjectImpl;
    void UpdateName() override;
    double GetCount() override;
    NResult SetCount(double count) override;
};

class NAPIFigure final : public napi::ObjectImpl<IFigure, Figure> {
public:
    using ObjectImpl::ObjectImpl;
    void InitChoose() override;
    NResult SetThickness(double thickness) override;
    void SetMaterial(std::wstring material) override;
    double GetThickness() override;
    std::wstring GetMaterial() override;
    int32_t GetCount() override;
};

class NAPIJumper final : public napi::ObjectImpl<IJumper, Jumper> {
public:
    using ObjectImpl::ObjectImpl;
    BridgeType GetType() override;
    NResult SetType(BridgeType type) override;
    double GetWidth() override;
    NResult SetWidth(double width) override;
    bool GetByNormal() override;
    void SetByNormal(bool byNormal) override;
    bool IsTwoPoints() override;
    void SetOwner1(const INObjectPtr& owner) override;
    void SetOwner2(const INObjectPtr& owner) override;
    NResult SetPoint1(double x, double y) override;
    NResult SetPoint2(double x, double y) override;
    void GetPhantomGroup(double x, double y, bool second, int& group) override;
    void ReBuild() override;
};

class NAPIWaste final : public napi::ObjectImpl<IWaste, Waste> {
public:
    using ObjectImpl::ObjectImpl;
    bool GetMethod() override;
    void ChangeText(std::wstring text) override;
    NResult SetColor(int colour) override;
};

// The automation object of a model object: the kind that matches it (a
// compound figure is a figure); empty for none.
INObjectPtr WrapObject(const NObjectPtr& object);
ISheetPtr WrapSheet(const SheetPtr& sheet);
IFigurePtr WrapFigure(const FigurePtr& figure);
IJumperPtr WrapJumper(const JumperPtr& jumper);
IWastePtr WrapWaste(const WastePtr& waste);

class NAPIModel final : public napi::RefCounted<INestingModel> {
public:
    // A model as the factory makes it: parameters from the session copy when
    // there is one, else the defaults.
    NAPIModel();

    void InitSheetsFromActiveDoc() override;
    void InitFiguresFromActiveDoc() override;
    void InitWastesFromActiveDoc() override;
    void InitJumpersFromActiveDoc() override;
    void ReadFromConfig() override;
    bool WriteToConfig() override;
    void ReadAdaptersFolder() override;
    void GetAdapters(std::map<std::wstring, bool>& adapters) override;
    void SetAdapters(std::map<std::wstring, bool>& adapters) override;
    SheetSchemeParams* GetSchemeParams() override;
    NResult SetSchemeParams(const SheetSchemeParams& params) override;
    ModelParams GetParams() override;
    NResult SetParams(const ModelParams& params) override;
    void SaveSession() override;
    void SaveParams() override;

    double GetBridgesWidth() override;
    NResult SetBridgesWidth(double width) override;
    double GetBridgesLength() override;
    NResult SetBridgesLength(double length) override;
    double GetTolerance() override;
    NResult SetTolerance(double tolerance) override;
    int GetSheetFormat() override;
    NResult SetSheetFormat(int format) override;
    bool GetSheetOrient() override;
    void SetSheetOrient(bool vertical) override;
    void GetLytPath(std::wstring& path) override;
    void SetLytPath(std::wstring path) override;
    std::wstring GetSheetPattern() override;
    void SetSheetPattern(std::wstring pattern) override;

    int32_t GetNestingMethod() override;
    NResult SetNestingMethod(int32_t method) override;
    bool GetCheckOrient() override;
    void SetCheckOrient(bool check) override;
    bool GetRectSheet() override;
    void SetRectSheet(bool rect) override;
    double GetWidthSheet() override;
    double GetHeightSheet() override;
    NResult SetWidthSheet(double width) override;
    NResult SetHeightSheet(double height) override;
    double GetThicknessSheet() override;
    NResult SetThicknessSheet(double thickness) override;
    std::wstring GetMaterialSheet() override;
    void SetMaterialSheet(std::wstring material) override;
    bool GetHideText() override;
    void SetHideText(bool hide) override;
    double GetTextSize() override;
    NResult SetTextSize(double size) override;
    double GetFigureGap() override;
    NResult SetFigureGap(double gap) override;
    double GetSheetGap() override;
    NResult SetSheetGap(double gap) override;
    bool GetUniteFigures() override;
    void SetUniteFigures(bool unite) override;
    bool GetUniteMirrors() override;
    void SetUniteMirrors(bool unite) override;
    size_t GetFiguresCount() override;
    size_t GetSheetsCount() override;
    size_t GetJumpersCount() override;

    bool GetWasteMethod() override;
    void SetWasteMethod(bool automatic) override;
    double GetWastSize() override;
    NResult SetWastSize(double size) override;
    double GetWastRectSize() override;
    NResult SetWastRectSize(double size) override;
    bool GetWastesRect() override;
    void SetWastesRect(bool rect) override;
    int32_t GetWastesColor() override;
    NResult SetWastesColor(int32_t colour) override;
    bool GetWastesHide() override;
    void SetWastesHide(bool hide) override;
    size_t GetWastesCount() override;

    void GetFigureObjects(std::vector<INObjectPtr>& out) override;
    void GetSheetObjects(std::vector<INObjectPtr>& out) override;
    void GetJumperObjects(std::vector<INObjectPtr>& out) override;
    void GetWasteObjects(std::vector<INObjectPtr>& out) override;
    void GetFigureObjectsTree(IFiguresTree& out) override;
    void GetSelectedSheets(std::vector<ISheetPtr>& out) override;
    void GetSelectedFigures(std::vector<IFigurePtr>& out) override;
    void GetSelectedJumpers(std::vector<IJumperPtr>& out) override;
    void GetFiguresByName(std::vector<INObjectPtr>& out, std::wstring name) override;
    void GetRectangleFigures(std::vector<IFigurePtr>& out) override;

    ISheetPtr AddSheet() override;
    void DelSheet(const ISheetPtr& sheet) override;
    void ArrangeSheets() override;
    void UpdateSheets() override;
    void ClearSheets() override;
    void SelectSheet(size_t index, bool select) override;
    void InvertSelectSheet(size_t index) override;
    int32_t GetIndexSheetByRef(int reference) override;
    bool ImportSheetFromFile(std::wstring path) override;
    void InitSheetThickness() override;
    void InitSheetMaterial() override;

    IFigurePtr AddFigure(std::wstring path) override;
    // The same, with why no figure was made.
    IFigurePtr AddFigure(std::wstring path, std::wstring& why);
    IFigurePtr AddLinNestFigure(LNDetailParams detail, size_t count) override;
    void RemFigure(const IFigurePtr& figure) override;
    void DelFigure(const IFigurePtr& figure) override;
    void ClearFigures() override;
    NResult CopyFiguresByName(std::wstring name, size_t count) override;
    void SortFiguresByNames() override;
    void SortFiguresByAreasIncrease() override;
    void SortFiguresByAreasDecrease() override;
    void MoveFiguresToSysView() override;
    void SetAllFiguresInSourcePlacement() override;
    void InitFigurePolygons() override;
    void CreateCompoundFigures() override;
    void DestroyCompoundFigures() override;
    void RotateAllFiguresToMinGabarit() override;
    void ArrangeFiguresInContainer(bool allFigures, bool delWastes) override;
    void CheckIntersectAllFigures() override;
    std::vector<std::pair<std::wstring, std::wstring>> MoveMismatchedFiguresToContainer() override;
    void CreateFigureColouring() override;
    void UpdateFiguresScale() override;

    void UpdateResultTables() override;
    void UpdateSizeText(bool offset) override;
    void UpdateHideText() override;
    void UpdateGaps() override;

    void CreateProgressIndicator() override;
    void SetProgressIndicator(double percent) override;
    void DeleteProgressIndicator() override;
    void ImportFiguresFromDXF(std::vector<FileMetaParams>& params, std::wstring outPath,
                              const ScriptMetaParams& scriptParam) override;

    IJumperPtr CreateJumper(double x, double y, double width, BridgeType type, bool byNormal) override;
    NResult AddJumper(const IJumperPtr& jumper, int layer) override;
    void DelJumper(const IJumperPtr& jumper) override;
    void ClearJumpers() override;
    IJumperPtr GetJumperByRef(int reference) override;
    bool CheckIntersectPointWithJumpers(double x, double y, double width) override;
    INObjectPtr CheckObjectForJumperOwner(int reference, double& x, double& y, double width,
                                          NestingObjectType type) override;

    IWastePtr CreateWaste(double x, double y) override;
    // The same, with the reason when no remnant is made.
    IWastePtr CreateWaste(double x, double y, std::wstring& why);
    void AddWaste(const IWastePtr& waste) override;
    void DelWaste(const IWastePtr& waste) override;
    void ClearWastes() override;
    IWastePtr GetWasteByRef(int reference) override;
    IWastePtr GetWasteByPoint(double x, double y) override;
    void CalculateWastes() override;
    void DecomposeWastesToRectangles() override;
    void SelectWastesByMethod(bool automatic, bool select) override;
    void UpdateWastes() override;
    // The least width of the remnants the model builds, as rectangles or
    // not: the minimum size given, or the default that stands for it.
    double RemnantMinimum(bool rectangles);

    // Operations of the automation model that no interface carries.
    void LoadParams();
    // Recognises the drawing's scheme into the model; `params` is not filled.
    void RecognizeSheetScheme(SheetSchemeParams& params);
    LinearCutInfo GetLinearCutInfo();
    void SetLinearInfo(const LinearCutInfo& linearInfo);
    void ClearWastesByMethod(bool method);
    void DeleteNonRectangularWastes();
    // DelFigure of each object, the drawing's bridges read once for all.
    void DelFigures(const std::vector<INObjectPtr>& objects);

    // The model this object drives.
    NestingModel& Model() { return m_model; }

private:
    // Runs `body` on the model; when it throws, gives `fallback`.
    template <class R, class F>
    R With(R fallback, F&& body)
    {
        return napi::Guarded(fallback, [&]() -> R { return body(m_model); });
    }
    template <class F>
    void With(F&& body)
    {
        napi::Guarded([&] { body(m_model); });
    }
    // The same for what reads or changes the active drawing: only while the
    // model's own drawing is the active one, as the library's own run (the
    // drawings' sinks held back, as while a command runs).
    template <class R, class F>
    R OnDrawing(R fallback, F&& body)
    {
        if (!OwnDrawingActive())
            return fallback;
        const LibraryRun run;
        return With(fallback, std::forward<F>(body));
    }
    template <class F>
    void OnDrawing(F&& body)
    {
        if (!OwnDrawingActive())
            return;
        const LibraryRun run;
        With(std::forward<F>(body));
    }
    // The model works on one drawing: the one active when it was made, or
    // when it first needed one. Another drawing active, or its own closed,
    // it leaves the drawings alone.
    bool OwnDrawingActive();

    NestingModel m_model;
    reference m_drawing = 0;
};

class NAPIOptimizer final : public napi::RefCounted<IOptimizer> {
public:
    void Init() override;
    void Clear() override;
    bool GetNestingMethod() override;
    bool GetMaterialOrient() override;
    NestingResult GetResult() override;
    int64_t GetTime() override;
    // Refuses, with a message, a drawing of linear nesting and parts of
    // several thicknesses or materials for sheets that have none; turns
    // parts of a material with a rolling direction by 180° at most, and
    // says so when another turn was asked for.
    void RunOptimization(const OptimizationParams& params) override;
    static constexpr wchar_t kFigureNestingOnly[] = L"Команда доступна только для фигурного раскроя";

    // The optimiser this object drives.
    NestingOptimizer& Optimizer() { return m_optimizer; }

private:
    NestingOptimizer m_optimizer;
};

class NAPIReporter final : public napi::RefCounted<IReporter> {
public:
    void Init() override;
    void Clear() override;
    NResult SetParams(ReportParams& params) override;
    void CreateDocumentation() override;

    // The reporter this object drives.
    Reporter& GetReporter() { return m_reporter; }

private:
    Reporter m_reporter;
};

class NAPIExporter final : public napi::RefCounted<IExporter> {
public:
    NResult SetParams(const ExportParams& params) override;
    void ExportToDXF(std::wstring folder) override;

    // The exporter this object drives.
    Exporter& GetExporter() { return m_exporter; }

private:
    Exporter m_exporter;
};
