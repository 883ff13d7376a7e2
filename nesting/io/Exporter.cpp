// The export run: the nesting map, the sheets and the remnants.
#include "io/Exporter.h"

#include "geometry/UtilityFunctions.h"
#include "host/FileWriting.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "host/WorkingDrawing.h"
#include "io/DxfImport.h"
#include "io/RegisterTables.h"
#include "model/BridgeAnchors.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kNothingToExport[] = L"Нечего экспортировать: на листах чертежа нет деталей";
constexpr wchar_t kEarlierHeading[] =
    L"В папке остались файлы прежних экспортов, которых этот экспорт не записывал:";
constexpr size_t kEarlierShown = 10;  // earlier files named one by one
constexpr size_t kNarrowShown = 15;   // remnants too narrow named one by one
constexpr wchar_t kMapNotWritten[] =
    L"Карта раскроя не записана: она записывается только в формате DXF (card.dxf), а выбран формат «Только фрагменты»";
constexpr wchar_t kNothingWritten[] = L"Экспорт не записал ни одного файла";
constexpr wchar_t kNoWastes[] = L": на листах с деталями нет деловых отходов для экспорта";
constexpr wchar_t kNothingChosen[] = L": ничего не выбрано для экспорта";

// Removes the progress bar however the run ends.
class ProgressBar {
public:
    explicit ProgressBar(NestingModel& model)
        : m_model(model)
    {
        m_model.CreateProgressIndicator();
    }
    ~ProgressBar() { m_model.DeleteProgressIndicator(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

private:
    NestingModel& m_model;
};

// "waste" and the remnant's name from its first digit 1 to 9 on. Blanks come
// singly and none ends the name: drawings of earlier versions stored the
// names of remnants without a size with two blanks before the material.
std::wstring WasteFileName(const std::wstring& name)
{
    const size_t digit = name.find_first_of(L"123456789");
    std::wstring file = L"waste";
    if (digit == std::wstring::npos)
        return file;
    for (size_t i = digit; i < name.size(); ++i) {
        if (name[i] != L' ' || (file.back() != L' ' && i + 1 < name.size()))
            file += name[i];
    }
    while (file.back() == L' ')
        file.pop_back();
    return file;
}

// The files of one object as the format asks for them.
std::vector<std::wstring> FilesOf(const std::wstring& base, int format)
{
    std::vector<std::wstring> files;
    if (format != 1)
        files.push_back(base + L".vfw");
    if (format <= 1)
        files.push_back(base + L".dxf");
    return files;
}

bool IsFloatingConversion(wchar_t c) { return std::wcschr(L"fFeEgGaA", c) != nullptr; }

}  // namespace

bool AsksForFiles(const ExportParams& params)
{
    return (params.addCard && params.format <= 1) || params.addSheets || params.addWastes || params.add3D;
}

std::wstring SecondsText(const std::wstring& text, double seconds)
{
    int floating = 0;
    bool other = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'%')
            continue;
        if (i + 1 < text.size() && text[i + 1] == L'%') {
            ++i;
            continue;
        }
        // Flags, width and precision, then the conversion itself.
        size_t j = i + 1;
        while (j < text.size() && (std::wcschr(L"-+ #0.", text[j]) || std::iswdigit(text[j])))
            ++j;
        if (j < text.size() && IsFloatingConversion(text[j]))
            ++floating;
        else
            other = true;
        i = j;
    }
    if (floating == 1 && !other) {
        wchar_t buffer[100];
        const int n = std::swprintf(buffer, 100, text.c_str(), seconds);
        if (n >= 0)
            return std::wstring(buffer, static_cast<size_t>(n));
    }
    return text + outputs::Format(L" (%.1f с)", seconds);
}

void Exporter::ExportToDXF(std::wstring folder)
{
    if (folder.empty()) {
        vrnApi::ShowWarningMessage(IDS_MESS_PUT_EXPORT_FOLDER);
        return;
    }
    // Choices that ask for no file: nothing is made, not even the folder.
    if (!AsksForFiles(m_params)) {
        vrnApi::ShowWarningText(m_params.addCard ? std::wstring(kMapNotWritten)
                                                 : kNothingWritten + std::wstring(kNothingChosen));
        return;
    }
    Run run;
    run.folder = vrnApi::detail::PathOf(folder);
    std::error_code error;
    const bool folderWas = std::filesystem::exists(run.folder, error);
    // The bridges on their parts first, as any reading of the drawing finds them.
    const std::vector<reference> lostBridges = BridgeAnchors::AfterOwners();
    m_model.InitSheetsFromActiveDoc();
    m_model.InitFiguresFromActiveDoc(nullptr);
    m_model.InitWastesFromActiveDoc();
    ByView<Figure> figuresInView = InViews(m_model.m_figures);
    const bool something = HoldsSomething(figuresInView);
    if (!something || !outputs::EnsureFolder(run.folder)) {
        if (!something)
            vrnApi::ShowWarningText(kNothingToExport);
        else if (const std::wstring why = outputs::FolderFault(run.folder); !why.empty())
            vrnApi::ShowErrorText(L"Не удалось создать папку экспорта:\n" + folder + L"\n" + why);
        else
            vrnApi::ShowErrorText(L"Не удалось создать папку экспорта:\n" + folder);
        m_model.ClearSheets();
        m_model.ClearFigures();
        m_model.ClearWastes();
        return;
    }
    run.staged = std::make_unique<outputs::StagedFiles>(run.folder, ".export-");
    if (!run.staged->Ready()) {
        vrnApi::ShowErrorText(L"Экспорт не выполнен: в папку " + folder + L" не записать файлы: " + run.staged->Error());
        m_model.ClearSheets();
        m_model.ClearFigures();
        m_model.ClearWastes();
        return;
    }
    run.figures = m_model.m_figures;
    run.figuresInView = std::move(figuresInView);
    run.sheets = m_model.m_sheets;
    run.faults.Read(m_model);
    run.lostBridges = lostBridges;
    // A remnant a part stands on is no stock: it is not exported, and said so.
    std::wstring covered;
    std::vector<std::wstring> narrow;
    run.wastes = m_model.FreeWastes(covered, &narrow);
    run.wastesInView = InViews(run.wastes);
    // The map and the remnants' files show the remnants of the sheets that
    // hold parts as they were built, up to date or not.
    if (m_params.addWastes || (m_params.addCard && m_params.format <= 1)) {
        std::set<int> held;  // the views of the sheets that hold parts
        for (const SheetPtr& sheet : run.sheets) {
            if (HoldsPart(run.figuresInView, *sheet))
                held.insert(sheet->GetView());
        }
        std::vector<WastePtr> shown;
        for (const WastePtr& waste : run.wastes) {
            if (held.count(waste->GetView()) != 0)
                shown.push_back(waste);
        }
        run.staleNote = StaleWastesNote(L"Деловые отходы построены для прежнего листа или раскроя и устарели — "
                                        L"постройте их заново (записаны как есть):",
                                        m_model, shown, run.sheets);
    }
    if (m_params.addWastes && !covered.empty())
        vrnApi::ShowWarningText(L"Отходы, на которых стоят детали, не экспортированы:" + covered);
    // Nor is one too narrow to use (kept from an earlier minimum).
    if (m_params.addWastes && !narrow.empty())
        vrnApi::ShowWarningText(outputs::NamesNote(L"Отходы уже минимального размера отхода " +
                                                       uf::NumberText(m_model.LeastStockWidth()) + L" мм не экспортированы:",
                                                   narrow, kNarrowShown)
                                    .substr(2));
    const bool text3D = m_params.text3DSour || m_params.text3DCont;
    run.total = int(m_params.addCard) + int(m_params.addSheets) + int(m_params.addWastes) + int(m_params.add3D) +
                int(text3D);
    {
        ProgressBar progress(m_model);
        if (m_params.add3D && text3D)
            vrnApi::ShowInformMessage(IDS_MESS_EXPORT_LING);
        run.source = vrnApi::GetActiveDocument2D();
        // The names the run gives its files, the fixed ones first.
        run.names.Use(L"card.dxf");
        run.names.Use(L"sheets.v3d");
        run.converterWanted = (m_params.addCard || m_params.addSheets || m_params.addWastes) && m_params.format <= 1;
        if (run.converterWanted && !run.converter.Init(false, false)) {
            run.clean = false;
            vrnApi::ShowErrorText(L"Конвертер DXF не загружен, файлы DXF не записаны:\n" + run.converter.Error());
        }
        run.converter.ShowProblems(false);
        if (run.source) {
            // A step that finds the drawing closed ends the run.
            if (m_params.addCard)
                ExportMap(run);
            if (m_params.addSheets && !run.gone)
                ExportSheets(run);
            if (m_params.addWastes && !run.gone)
                ExportWastes(run);
            if (m_params.add3D && !run.gone)
                Export3D(run);
        } else {
            run.clean = false;
            vrnApi::ShowErrorText(L"Нет активного чертежа: экспорт не выполнен");
        }
        run.hidden.clear();
        if (run.source && !run.gone)
            run.source->Activate();
        // A run cut short puts nothing in place: its files go with the hidden
        // folder, and none of its messages is told.
        std::wstring file;
        std::wstring reason;
        if (!run.gone && !run.staged->Commit(file, reason)) {
            vrnApi::ShowErrorText(L"Экспорт не выполнен: файл " + file + L" не удалось поместить в папку " + folder +
                                  L" (" + reason + L").\nФайлы папки оставлены как были.");
        } else if (!run.gone) {
            for (const std::function<void()>& say : run.said)
                say();
            const std::wstring earlier = EarlierNote(run);
            // Sheets written as drawn that cannot be cut so, and files of an
            // earlier run beside the new ones (which may be taken for this
            // job's): the closing message warns of them.
            const std::wstring warned = run.written.empty() ? earlier : FaultsNote(run) + earlier;
            if (run.clean && !run.written.empty() && warned.empty())
                vrnApi::ShowInformText(vrnApi::LoadStr(IDS_MESS_SUCCESS_EXPORT));
            else if (run.clean && !run.written.empty())
                vrnApi::ShowWarningText(vrnApi::LoadStr(IDS_MESS_SUCCESS_EXPORT) + warned);
            else if (run.clean)
                vrnApi::ShowWarningText(kNothingWritten + std::wstring(run.noWastes ? kNoWastes : L"") + earlier);
            else if (!warned.empty())
                vrnApi::ShowWarningText(warned.substr(2));
        }
        run.staged.reset();
        // A folder this run made and put nothing into goes again.
        if (!folderWas)
            std::filesystem::remove(run.folder, error);
    }
    m_model.ClearSheets();
    m_model.ClearFigures();
    m_model.ClearWastes();
}

void Exporter::ExportMap(Run& run)
{
    // The map is the drawing converted to DXF: asked for with fragments
    // alone, it is not written, and the user is told so.
    if (m_params.format > 1) {
        run.clean = false;
        run.said.push_back([] { vrnApi::ShowWarningText(kMapNotWritten); });
        StepDone(run, 1);
        return;
    }
    Step step;
    // The map goes without its colourings. Their layer stays, empty
    // meanwhile, as the user set it (a converter writes no empty layer).
    for (const FigurePtr& figure : run.figures)
        figure->DeleteColouring();
    {
        // Nor does it show a bridge whose part is gone, which is said.
        const std::wstring lost = LostBridgesNote(
            L"Мостики, которые не стоят ни на одной детали, в карту раскроя не вошли:", run.lostBridges, run.sheets, true);
        const BridgesAside aside(run.lostBridges);
        WriteDxf(run, step, run.folder / "card.dxf");
        if (step.written > 0)
            run.lostNote = lost;
    }
    for (const FigurePtr& figure : run.figures)
        figure->CreateColouring();
    run.source->Activate();
    Report(run, step, IDS_MESS_SUCCESS_EXPORT_CARD, 0);
    StepDone(run, 1);
}

void Exporter::ExportSheets(Run& run)
{
    Step step;
    for (const SheetPtr& sheet : run.sheets) {
        // A sheet without figures has nothing to export; one with figures
        // whose outlines the drawing does not give has failed.
        if (!HoldsPart(run.figuresInView, *sheet))
            continue;
        outputs::DrawnCopies objects = SheetObjects(run, *sheet, m_params.text2DCont, m_params.text2DSour);
        const std::wstring base = run.names.Reserve(outputs::SafeFileName(sheet->m_name), {L".vfw", L".dxf"});
        if (objects.Empty()) {
            NoOutlines(step, base);
            continue;
        }
        const std::unique_ptr<outputs::HiddenDocument> document = FileSetDocument(run, step, objects, base);
        if (!document)
            continue;
        sheet->DrawContour();
        vrnApi::ReadObjectsFromClip();
        WriteFileSet(run, step, document->Get(), base);
        document->Close();
        if (!Going(run))
            return;
    }
    if (!run.sheets.empty())
        run.sheets.front()->SetCurrentView();
    Report(run, step, IDS_MESS_SUCCESS_EXPORT_SHEETS, IDS_MESS_ERROR_EXPORT_SHEETS);
    StepDone(run, run.step + 1);
}

void Exporter::ExportWastes(Run& run)
{
    Step step;
    const std::wstring textLayer = vrnApi::LoadStr(IDS_NAME_TEXT_LAYER);
    for (const SheetPtr& sheet : run.sheets) {
        // A sheet nothing is cut from stays whole: it leaves no remnants.
        if (!HoldsPart(run.figuresInView, *sheet))
            continue;
        sheet->SetCurrentView();
        const auto wastes = run.wastesInView.find(sheet->GetView());
        if (wastes == run.wastesInView.end())
            continue;
        for (const WastePtr& waste : wastes->second) {
            outputs::DrawnCopies objects;
            waste->GetContourObjects(objects.Objects(), false);
            const std::wstring base =
                run.names.Reserve(outputs::SafeFileName(WasteFileName(waste->m_name)), {L".vfw", L".dxf"});
            // A remnant has an outline: without one it has failed.
            if (objects.Empty()) {
                NoOutlines(step, base);
                continue;
            }
            const std::unique_ptr<outputs::HiddenDocument> document = FileSetDocument(run, step, objects, base);
            if (!document)
                continue;
            vrnApi::ReadObjectsFromClip();
            // The label on a layer of its own.
            vrnApi::CreateLayer(textLayer, 0, false);
            std::vector<vlapi::IDrawingTextPtr> texts;
            vrnApi::GetTextObjectsFromActiveDoc(texts);
            for (const vlapi::IDrawingTextPtr& text : texts) {
                text->SetLayer(1);
                text->Update();
            }
            WriteFileSet(run, step, document->Get(), base);
            document->Close();
            if (!Going(run))
                return;
        }
    }
    if (!run.sheets.empty())
        run.sheets.front()->SetCurrentView();
    run.noWastes = step.written == 0 && step.failures.Empty() && !step.converterMissing;
    Report(run, step, IDS_MESS_SUCCESS_EXPORT_WASTES, IDS_MESS_ERROR_EXPORT_WASTES);
    StepDone(run, run.step + 1);
}

outputs::DrawnCopies Exporter::SheetObjects(const Run& run, Sheet& sheet, bool contourText, bool texts) const
{
    sheet.SetCurrentView();
    outputs::DrawnCopies objects;
    const auto figures = run.figuresInView.find(sheet.GetView());
    if (figures == run.figuresInView.end())
        return objects;
    for (const FigurePtr& figure : figures->second) {
        figure->GetContourObjects(objects.Objects(), contourText);
        if (texts)
            figure->GetTextObjects(objects.Objects());
    }
    return objects;
}

std::unique_ptr<outputs::HiddenDocument> Exporter::FileSetDocument(const Run& run, Step& step,
                                                                   outputs::DrawnCopies& objects,
                                                                   const std::wstring& base)
{
    vrnApi::WriteObjectsToClip(objects.Objects());
    objects.Delete();
    vlapi::IVarnelDocument2DPtr document = vrnApi::CreateSleep2DDocument(false);
    if (!document) {
        for (const std::wstring& file : FilesOf(base, m_params.format))
            step.failures.Add(file, outputs::kNoDocument);
        return nullptr;
    }
    return std::make_unique<outputs::HiddenDocument>(document, run.source, 0);
}

void Exporter::NoOutlines(Step& step, const std::wstring& base) const
{
    for (const std::wstring& file : FilesOf(base, m_params.format))
        step.failures.Add(file, outputs::kNoOutlines);
}

void Exporter::WriteFileSet(Run& run, Step& step, const vlapi::IVarnelDocumentPtr& document, const std::wstring& base)
{
    if (m_params.format != 1)
        SaveFile(run, step, document, run.folder / vrnApi::detail::PathOf(base + L".vfw"));
    if (m_params.format <= 1) {
        document->Activate();
        WriteDxf(run, step, run.folder / vrnApi::detail::PathOf(base + L".dxf"));
    }
}

void Exporter::SaveFile(Run& run, Step& step, const vlapi::IVarnelDocumentPtr& document, const fs::path& target)
{
    const std::wstring shown = vrnApi::detail::TextOf(target.filename());
    if (outputs::OpenDocument(target)) {
        step.failures.Add(shown, outputs::kOpenInHost);
        return;
    }
    outputs::PendingFile file(run.staged->Staged(target), target);
    std::wstring reason;
    if (outputs::SaveInPlace(document, file, reason)) {
        ++step.written;
        run.staged->Written(target);
        run.written.push_back(target);
    } else {
        step.failures.Add(shown, reason);
    }
}

void Exporter::WriteDxf(Run& run, Step& step, const fs::path& target)
{
    if (!run.converter.IsLoaded()) {
        step.converterMissing = true;
        return;
    }
    const std::wstring shown = vrnApi::detail::TextOf(target.filename());
    if (outputs::OpenDocument(target)) {
        step.failures.Add(shown, outputs::kOpenInHost);
        return;
    }
    outputs::PendingFile file(run.staged->Staged(target), target);
    if (!file.Fault().empty()) {
        step.failures.Add(shown, file.Fault());
        return;
    }
    const bool converted = run.converter.Convert(L"", file.HostPath());
    const std::wstring said = dxfimport::ProblemsText(run.converter.Problems());
    std::wstring reason = said.empty() ? std::wstring(outputs::kNotConverted) : outputs::kNotConverted + (L": " + said);
    if (converted && file.Commit(reason)) {
        ++step.written;
        run.staged->Written(target);
        run.written.push_back(target);
        if (!said.empty())
            run.said.push_back([text = shown + L": " + said] { vrnApi::ShowWarningText(text); });
    } else {
        step.failures.Add(shown, reason);
    }
}

void Exporter::Report(Run& run, const Step& step, int success, int nothing)
{
    run.failed.Append(step.failures);
    if (step.failures.Empty() && !step.converterMissing) {
        // A step with nothing to export (no remnant, no sheet with parts)
        // wrote no file and failed at nothing: it has nothing to tell.
        if (step.written > 0 || nothing == 0)
            run.said.push_back([success] { vrnApi::ShowInformMessage(success); });
        return;
    }
    run.clean = false;
    // Files that were not tried for want of the converter were told once.
    if (step.failures.Empty())
        return;
    const std::wstring heading = step.written == 0 && nothing != 0
                                     ? vrnApi::LoadStr(nothing)
                                     : std::wstring(L"Не все файлы экспорта записаны");
    run.said.push_back([text = step.failures.Text(heading + L":", outputs::FailureList::kShownOfMany)] {
        vrnApi::ShowErrorText(text);
    });
}

bool Exporter::HoldsSomething(const ByView<Figure>& figures) const
{
    return std::any_of(m_model.m_sheets.begin(), m_model.m_sheets.end(),
                       [&](const SheetPtr& sheet) { return HoldsPart(figures, *sheet); });
}

bool Exporter::HoldsPart(const ByView<Figure>& figures, const Sheet& sheet)
{
    return figures.count(sheet.GetView()) != 0;
}

template <class T>
Exporter::ByView<T> Exporter::InViews(const std::vector<std::shared_ptr<T>>& objects)
{
    ByView<T> inViews;
    for (const std::shared_ptr<T>& object : objects) {
        if (object)
            inViews[object->GetView()].push_back(object);
    }
    return inViews;
}

std::wstring Exporter::FaultsNote(const Run& run)
{
    return run.faults.OverlapNote(L"На листах детали наложены друг на друга, по ним резать нельзя:", run.sheets) +
           run.faults.LeftOutNote(L"На листах есть детали, которые из листа не вырезать:", run.sheets) +
           run.faults.CloseNote(L"На листах детали стоят друг к другу ближе зазора между деталями:", run.sheets) +
           run.faults.EdgeNote(L"На листах детали стоят к краю листа ближе зазора до края:", run.sheets) + run.lostNote +
           run.staleNote;
}

std::wstring Exporter::EarlierNote(const Run& run) const
{
    // The map and the sheets, which a machine cuts from, before the remnants.
    std::vector<std::wstring> names =
        outputs::EarlierFiles(run.folder, {".dxf", ".vfw", ".v3d"}, run.written, run.failed, run.folder);
    std::stable_partition(names.begin(), names.end(),
                          [](const std::wstring& name) { return name.rfind(L"waste", 0) != 0; });
    return outputs::NamesNote(kEarlierHeading, names, kEarlierShown);
}

void Exporter::StepDone(Run& run, int done)
{
    run.step = done;
    if (run.total > 0)
        m_model.SetProgressIndicator(run.step * 100.0 / run.total);
    Going(run);
}

bool Exporter::Going(Run& run)
{
    if (!run.gone && !vrnApi::ProcessPendingEvents())
        run.gone = true;
    return !run.gone;
}
