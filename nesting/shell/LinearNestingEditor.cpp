#include "shell/LinearNestingEditor.h"

#include "geometry/UtilityFunctions.h"
#include "engine/LinearNesting/SimplexMethodSolver.h"
#include "host/HostGuards.h"
#include "api/NestingAPIObjects.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/Reporter.h"
#include "shell/BaseProcess.h"
#include "shell/PanelControls.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <numeric>

namespace {

constexpr double kShortest = 0.1;      // a row this long or shorter is not cut
constexpr double kSameLength = 1e-4;   // lengths closer than this are one detail
// The largest count a row may have.
constexpr int64_t kMostPieces = 1'000'000'000;
// Rows a message names at most, and groups of rows.
constexpr size_t kNamedRows = 10;
// The seed of the solver's random layouts: the same list gives the same plan.
constexpr uint32_t kSeed = 1;
// The longest a calculation may take, on a machine far slower than the one
// its work is measured on.
constexpr double kLongestSeconds = 8.0;
// The most pieces a drawn plan holds, over all its patterns (each is drawn
// once, however many bars are cut so). A plan of more is not made: its
// drawing would take minutes and hundreds of megabytes, and a plan the
// drawing cannot keep would leave its register alone to tell of it.
constexpr int64_t kMostDrawnPieces = 20'000;

const wchar_t kNoRows[] = L"Нет деталей для расчёта: нужны длина больше 0.1 мм и количество больше 0";
const wchar_t kEndlessLoop[] = L"Бесконечный цикл!";
const wchar_t kInfeasible[] = L"Исходная задача неразрешима!";
const wchar_t kNoPlan[] = L"Не удалось составить раскрой, в котором каждая деталь вырезана столько раз, сколько нужно";
const wchar_t kProgressText[] = L"Расчёт линейного раскроя";
const wchar_t kNotDrawn[] = L"Раскрой не удалось нарисовать целиком: он убран, рассчитайте его снова";

bool Usable(const LNDetailParams& detail)
{
    return detail.length > kShortest && detail.count > 0;
}

// Per cent of a bar of `bar` mm that pieces of `taken` mm in all take.
double Efficiency(double taken, double bar)
{
    return bar > 0.0 ? taken * 100.0 / bar : 0.0;
}

// The host's progress bar for the time of one calculation.
class HostProgress {
public:
    explicit HostProgress(const wchar_t* text)
    {
        if (application)
            application->StartProgressBar(text, 100);
    }
    ~HostProgress()
    {
        if (application)
            application->StopProgressBar();
    }
    HostProgress(const HostProgress&) = delete;
    HostProgress& operator=(const HostProgress&) = delete;
    void Set(double percent) const
    {
        if (application)
            application->SetProgressBarPosition(static_cast<int>(percent));
    }
};

double Width(const INObjectPtr& object)
{
    NRect rect;
    object->GetGabarit(rect);
    return rect.pTop.x - rect.pBot.x;
}

double Height(const INObjectPtr& object)
{
    NRect rect;
    object->GetGabarit(rect);
    return rect.pTop.y - rect.pBot.y;
}

// A piece laid at (x, y). Pieces of linear nesting carry no bridges, so the
// drawing is not searched for bridges to bring along at each of them.
void PlaceAt(const INObjectPtr& piece, double x, double y)
{
    if (const NObjectPtr object = ModelObjectOf(piece.get()))
        object->MoveTo(x, y, 0.0);
}

// The row of that name and length, or the row count.
size_t RowOf(const std::vector<LNDetailParams>& details, const std::wstring& name, double length)
{
    for (size_t i = 0; i < details.size(); ++i) {
        if (details[i].name == name && std::fabs(details[i].length - length) < kSameLength)
            return i;
    }
    return details.size();
}

// The pieces a drawing of the plan holds: each layout's once, however many
// bars are cut so.
int64_t DrawnPlanPieces(const MapLayout& plan)
{
    int64_t pieces = 0;
    for (const auto& [layout, bars] : plan)
        for (const int32_t count : layout)
            pieces += std::max<int64_t>(count, 0);
    return pieces;
}

using Sources = std::vector<LinearNestingEditor::Source>;

// Whether some row of the list was read from a file: a row typed is then
// said to be counted in the list, not in a file.
bool FromFiles(const Sources& sources)
{
    return std::any_of(sources.begin(), sources.end(), [](const LinearNestingEditor::Source& s) { return s.line > 0; });
}

// Row `i` of `rows` as messages name it (LinearNestingEditor::RowText) by
// `sources`, one a row; when they are not as many, no row's source is known.
std::wstring RowName(const std::vector<LNDetailParams>& rows, const Sources& sources, size_t i)
{
    const bool known = sources.size() == rows.size();
    if (known && sources[i].line > 0)
        return DetailRowText(sources[i].line, rows[i].name) + L" файла " + sources[i].file;
    return DetailRowText(i + 1, rows[i].name) + (known && FromFiles(sources) ? L" списка" : L"");
}

const wchar_t kMerged[] = L"Строки с одинаковыми именем и длиной объединены:";

// Rows of one name and length as one, the first of them with the counts
// added (and its source); `merged` names, a line for each such row, the rows
// it took (row i as `name(i)`) with their own counts, then its length and
// total. When the counts of some such rows add up past the most a row may
// want, `rows` and `sources` stay as they were and a message names them
// with their total, then `refusal`.
LinearNestingEditor::Merge MergeRows(std::vector<LNDetailParams>& rows, Sources& sources,
                                     const std::function<std::wstring(size_t)>& name, const std::wstring& refusal,
                                     std::wstring& merged)
{
    sources.resize(rows.size());
    // The rows each kept row takes, itself first, and their total.
    std::vector<LNDetailParams> kept;
    Sources keptSources;
    std::vector<std::vector<size_t>> members;
    std::vector<int64_t> totals;
    for (size_t i = 0; i < rows.size(); ++i) {
        const LNDetailParams& detail = rows[i];
        const size_t row = Usable(detail) ? RowOf(kept, detail.name, detail.length) : kept.size();
        if (row == kept.size()) {
            kept.push_back(detail);
            keptSources.push_back(sources[i]);
            members.push_back({i});
            totals.push_back(detail.count);
            continue;
        }
        members[row].push_back(i);
        totals[row] += detail.count;
    }
    if (kept.size() == rows.size())
        return LinearNestingEditor::Merge::None;

    std::wstring over;
    size_t overs = 0;
    for (size_t k = 0; k < kept.size(); ++k) {
        if (totals[k] <= kMostPieces)
            continue;
        if (++overs > kNamedRows)
            continue;
        over += L"\n";
        for (size_t m = 0; m < members[k].size() && m < kNamedRows; ++m)
            over += name(members[k][m]) + L", ";
        if (members[k].size() > kNamedRows)
            over += L"… всего строк " + std::to_wstring(members[k].size()) + L", ";
        over += uf::NumberText(kept[k].length) + L" мм: " + std::to_wstring(totals[k]) + L" шт.";
    }
    if (overs > 0) {
        if (overs > kNamedRows)
            over += L"\n… и ещё " + std::to_wstring(overs - kNamedRows);
        vrnApi::ShowErrorText(L"Строки с одинаковыми именем и длиной не объединены: деталей в одной строке может "
                              L"быть не больше " +
                              std::to_wstring(kMostPieces) + L", а в этих строках вместе больше:" + over + refusal);
        return LinearNestingEditor::Merge::Refused;
    }
    merged.clear();
    size_t groups = 0;
    for (size_t k = 0; k < kept.size(); ++k) {
        if (members[k].size() < 2)
            continue;
        kept[k].count = static_cast<int32_t>(totals[k]);
        if (++groups > kNamedRows)
            continue;
        merged += L"\n";
        for (size_t m = 0; m < members[k].size() && m < kNamedRows; ++m)
            merged += name(members[k][m]) + L": " + std::to_wstring(rows[members[k][m]].count) + L" шт., ";
        if (members[k].size() > kNamedRows)
            merged += L"… всего строк " + std::to_wstring(members[k].size()) + L", ";
        merged += uf::NumberText(kept[k].length) + L" мм, вместе " + std::to_wstring(kept[k].count) + L" шт.";
    }
    if (groups > kNamedRows)
        merged += L"\n… и ещё " + std::to_wstring(groups - kNamedRows);
    rows = std::move(kept);
    sources = std::move(keptSources);
    return LinearNestingEditor::Merge::Merged;
}

}  // namespace

// ---- The lists from the drawing

void LinearNestingEditor::Init(INestingModelPtr model)
{
    m_model = std::move(model);
    m_details.clear();
    m_sources.clear();
    m_results.clear();
    m_visualSheets = false;
    if (!m_model || m_model->GetNestingMethod() == 0)
        return;
    m_model->SortFiguresByNames();
    std::vector<INObjectPtr> sheets;
    std::vector<IFigurePtr> figures;
    m_model->GetSheetObjects(sheets);
    m_model->GetRectangleFigures(figures);
    const double gap = m_model->GetFigureGap();
    const double bar = m_model->GetWidthSheet();

    for (const IFigurePtr& figure : figures) {
        const std::wstring name = figure->GetName();
        const double length = Width(INObjectPtr(figure)) - gap;
        if (RowOf(m_details, name, length) == m_details.size())
            m_details.push_back({name, length, figure->GetCount()});
    }
    m_sources.assign(m_details.size(), Source{});
    for (const INObjectPtr& object : sheets) {
        const ISheetPtr sheet(object);
        if (!sheet)
            continue;
        const int view = sheet->GetView();
        LNResultParams pattern;
        pattern.counts.assign(m_details.size(), 0);
        double taken = 0.0;
        bool any = false;
        for (const IFigurePtr& figure : figures) {
            if (figure->GetView() != view)
                continue;
            any = true;
            const size_t row = RowOf(m_details, figure->GetName(), Width(INObjectPtr(figure)) - gap);
            if (row == m_details.size())
                continue;
            taken += m_details[row].length;
            ++pattern.counts[row];
        }
        if (!any)
            continue;
        pattern.count = sheet->GetCount();
        pattern.efficiency = Efficiency(taken, bar);
        m_results.push_back(std::move(pattern));
    }
    m_visualSheets = !m_results.empty();
}

// ---- Rows

void LinearNestingEditor::SelectDetail(const std::wstring& name)
{
    if (!m_model)
        return;
    std::vector<IFigurePtr> figures;
    m_model->GetRectangleFigures(figures);
    for (const IFigurePtr& figure : figures)
        figure->Choose(figure->GetName() == name);
}

void LinearNestingEditor::UnselectAllDetails()
{
    if (!m_model)
        return;
    std::vector<INObjectPtr> figures;
    m_model->GetFigureObjects(figures);
    for (const INObjectPtr& figure : figures)
        figure->Choose(false);
}

void LinearNestingEditor::AddDetail()
{
    m_sources.resize(m_details.size());
    m_details.push_back(LNDetailParams{});
    m_sources.emplace_back();
}

void LinearNestingEditor::DeleteDetail(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= m_details.size())
        return;
    m_sources.resize(m_details.size());
    m_details.erase(m_details.begin() + index);
    m_sources.erase(m_sources.begin() + index);
    ClearResult();
}

std::wstring LinearNestingEditor::RowText(size_t index) const
{
    return index < m_details.size() ? RowName(m_details, m_sources, index) : DetailRowText(index + 1, L"");
}

void LinearNestingEditor::SetDetailParams(int index, const LNDetailParams& params)
{
    if (index >= 0 && static_cast<size_t>(index) < m_details.size())
        m_details[static_cast<size_t>(index)] = params;
}

// ---- The calculation

LinearNestingEditor::Merge LinearNestingEditor::MergeEqualRows()
{
    // Named as they stand before the merge.
    const std::vector<LNDetailParams> rows = m_details;
    const Sources sources = m_sources;
    std::wstring merged;
    const Merge merge = MergeRows(
        m_details, m_sources, [&](size_t i) { return RowName(rows, sources, i); }, L"\nРаскрой не рассчитан.",
        merged);
    if (merge == Merge::Merged) {
        vrnApi::ShowInformText(kMerged + merged);
        ClearResult();
    }
    return merge;
}

bool LinearNestingEditor::AppendDetails(const std::vector<LNDetailParams>& rows, const std::vector<size_t>& lines,
                                        const std::wstring& file)
{
    std::vector<LNDetailParams> details = m_details;
    Sources sources = m_sources;
    sources.resize(details.size());
    const size_t listed = details.size();
    details.insert(details.end(), rows.begin(), rows.end());
    const std::wstring fileName = vrnApi::detail::TextOf(vrnApi::detail::PathOf(file).filename());
    for (size_t i = 0; i < rows.size(); ++i)
        sources.push_back({fileName, i < lines.size() ? lines[i] : i + 1});
    // A row listed before is named by the line of its own file, unless that
    // file has the name of this one: then by its place in the list.
    const std::vector<LNDetailParams> named = details;
    const Sources namedSources = sources;
    const auto name = [&](size_t i) {
        return i < listed && (namedSources[i].line == 0 || namedSources[i].file == fileName)
                   ? DetailRowText(i + 1, named[i].name) + L" списка"
                   : RowName(named, namedSources, i);
    };
    std::wstring merged;
    const Merge merge =
        MergeRows(details, sources, name, L"\nФайл списка деталей не загружен: " + file, merged);
    if (merge == Merge::Refused)
        return false;
    m_details = std::move(details);
    m_sources = std::move(sources);
    ClearResult();
    // A list loaded into a list that held rows is added to it: said, so that
    // a corrected list is not taken for one loaded in place of the first.
    std::wstring said;
    if (listed > 0 && !rows.empty())
        said = L"Детали файла " + fileName + L" добавлены к списку, который уже был загружен: в нём было строк " +
               std::to_wstring(listed) + L", из файла добавлено " + std::to_wstring(rows.size()) + L", стало " +
               std::to_wstring(m_details.size()) + L".";
    if (merge == Merge::Merged)
        said += (said.empty() ? L"" : L"\n") + std::wstring(kMerged) + merged;
    if (!said.empty())
        vrnApi::ShowInformText(said);
    return true;
}

LinearNestingEditor::Merge LinearNestingEditor::ChangeDetail(size_t index, const LNDetailParams& params)
{
    if (index >= m_details.size())
        return Merge::Refused;
    std::vector<LNDetailParams> details = m_details;
    Sources sources = m_sources;
    sources.resize(details.size());
    details[index] = params;
    const std::wstring row = sources[index].line > 0
                                 ? std::to_wstring(sources[index].line) + L" файла " + sources[index].file
                                 : std::to_wstring(index + 1) + (FromFiles(sources) ? L" списка" : L"");
    const std::vector<LNDetailParams> named = details;
    const Sources namedSources = sources;
    std::wstring merged;
    const Merge merge =
        MergeRows(details, sources, [&](size_t i) { return RowName(named, namedSources, i); },
                  L"\nИзменение строки " + row + L" не принято.", merged);
    if (merge == Merge::Refused)
        return merge;
    m_details = std::move(details);
    m_sources = std::move(sources);
    if (merge == Merge::Merged) {
        vrnApi::ShowInformText(kMerged + merged);
        ClearResult();
    }
    return merge;
}

void LinearNestingEditor::CalculateLinearNesting()
{
    m_results.clear();
    if (!m_model)
        return;
    if (MergeEqualRows() == Merge::Refused)
        return;
    const double gap = m_model->GetFigureGap();
    const double width = m_model->GetWidthSheet();
    const double bar = width + gap;
    const double strip = m_model->GetHeightSheet();

    // The solver sees only the usable rows that fit the bar; `rows` leads its
    // positions back.
    std::vector<Detail> details;
    std::vector<size_t> rows;
    std::wstring tooLong;
    std::wstring tooShort;
    for (size_t i = 0; i < m_details.size(); ++i) {
        const LNDetailParams& row = m_details[i];
        const std::wstring named = L"\n" + RowText(i) + L": " + uf::NumberText(row.length) + L" мм";
        if (row.count <= 0)
            continue;
        if (!Usable(row))
            tooShort += named;
        else if (row.length > width + kSameLength)
            tooLong += named;
        else {
            details.push_back({row.name, row.length + gap, row.count});
            rows.push_back(i);
        }
    }
    if (!tooShort.empty())
        vrnApi::ShowWarningText(L"Детали длиной не больше " + uf::NumberText(kShortest) + L" мм не раскроены:" +
                                tooShort);
    if (!tooLong.empty())
        vrnApi::ShowWarningText(L"Детали длиннее заготовки (" + uf::NumberText(width) +
                                L" мм) не раскроены:" + tooLong);
    if (details.empty()) {
        if (tooLong.empty() && tooShort.empty())
            vrnApi::ShowErrorText(kNoRows);
        return;
    }
    SimplexMethodSolver solver(1e-6, 1000);
    solver.SetRandomSeed(m_seed.value_or(kSeed));
    solver.SetTimeLimit(kLongestSeconds);
    solver.Init(details, strip, bar, m_minWaste);
    MapLayout plan;
    {
        HostProgress progress(kProgressText);
        solver.SetProgress([&](double percent) { progress.Set(percent); });
        switch (solver.RunCalculate(details)) {
        case SimplexMethodSolver::Solved:
            break;
        case SimplexMethodSolver::IterationLimit:
            vrnApi::ShowErrorText(kEndlessLoop);
            return;
        case SimplexMethodSolver::Infeasible:
            vrnApi::ShowErrorText(kInfeasible);
            return;
        default:
            return;
        }
        plan = solver.ReduceResultToDiscreteValues(details);
    }
    // The solver checks its plan; one that is not exact is never shown.
    if (plan.empty() || !solver.IsExactPlan(details, plan)) {
        vrnApi::ShowErrorText(kNoPlan);
        return;
    }
    if (const int64_t pieces = DrawnPlanPieces(plan); pieces > kMostDrawnPieces) {
        vrnApi::ShowErrorText(L"Раскрой не составлен: деталей на его картах раскроя " + std::to_wstring(pieces) +
                              L" (карт " + std::to_wstring(plan.size()) + L"), а чертёж раскроя вмещает не больше " +
                              std::to_wstring(kMostDrawnPieces) +
                              L". Разделите список деталей на части и рассчитайте каждую отдельно.");
        return;
    }
    for (const auto& [layout, bars] : plan) {
        LNResultParams pattern;
        pattern.counts.assign(m_details.size(), 0);
        double taken = 0.0;
        for (size_t k = 0; k < layout.size() && k < rows.size(); ++k) {
            pattern.counts[rows[k]] = layout[k];
            taken += layout[k] * m_details[rows[k]].length;
        }
        pattern.count = bars;
        pattern.efficiency = Efficiency(taken, width);
        m_results.push_back(std::move(pattern));
    }
    SortResultByEfficiency();
}

// ---- Sorts

template <class Less>
void LinearNestingEditor::SortDetails(Less less)
{
    std::vector<size_t> order(m_details.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return less(m_details[a], m_details[b]); });
    m_sources.resize(m_details.size());
    std::vector<LNDetailParams> details;
    Sources sources;
    details.reserve(order.size());
    sources.reserve(order.size());
    for (size_t i : order) {
        details.push_back(std::move(m_details[i]));
        sources.push_back(std::move(m_sources[i]));
    }
    m_details = std::move(details);
    m_sources = std::move(sources);
    for (LNResultParams& pattern : m_results) {
        pattern.counts.resize(order.size(), 0);
        std::vector<int32_t> counts;
        counts.reserve(order.size());
        for (size_t i : order)
            counts.push_back(pattern.counts[i]);
        pattern.counts = std::move(counts);
    }
}

void LinearNestingEditor::SortDetailsByNames()
{
    SortDetails([](const LNDetailParams& a, const LNDetailParams& b) { return a.name < b.name; });
}

void LinearNestingEditor::SortDetailsByLength()
{
    SortDetails([](const LNDetailParams& a, const LNDetailParams& b) { return a.length < b.length; });
}

void LinearNestingEditor::SortDetailsByCounts()
{
    SortDetails([](const LNDetailParams& a, const LNDetailParams& b) { return a.count < b.count; });
}

template <class Key>
void LinearNestingEditor::SortResults(Key key)
{
    std::stable_sort(m_results.begin(), m_results.end(),
                     [&](const LNResultParams& a, const LNResultParams& b) { return key(a) > key(b); });
}

void LinearNestingEditor::SortResultByEfficiency()
{
    SortResults([](const LNResultParams& p) { return p.efficiency; });
}

void LinearNestingEditor::SortResultByDetailsCounts()
{
    SortResults([](const LNResultParams& p) {
        return std::accumulate(p.counts.begin(), p.counts.end(), int64_t{0});
    });
}

void LinearNestingEditor::SortResultBySheetsCounts()
{
    SortResults([](const LNResultParams& p) { return p.count; });
}

// ---- The drawing and the register

void LinearNestingEditor::ClearDrawing()
{
    if (!m_model)
        return;
    std::vector<INObjectPtr> objects;
    m_model->GetSheetObjects(objects);
    m_model->GetFigureObjects(objects);
    for (const INObjectPtr& object : objects)
        object->SetEdit(false);
    m_model->ClearSheets();
    m_model->ClearFigures();
}

void LinearNestingEditor::VisualizeNesting()
{
    if (!m_model)
        return;
    // The pages are made again: what the user typed in their title blocks
    // stays on them.
    m_typedCells.Take();
    ClearDrawing();
    if (!m_results.empty() && m_visualSheets && !DrawPatterns()) {
        // A plan the drawing cannot hold whole goes: no drawing or register shows part of it.
        ClearDrawing();
        ClearResult();
        vrnApi::ShowErrorText(kNotDrawn);
    }
    if (m_results.empty() || !m_visualSheets)
        DrawDetails();
    m_typedCells.Put();
}

bool LinearNestingEditor::DrawPatterns()
{
    bool whole = true;
    {
        vrnApi::ScopedSwitch rebuild(vrnApi::SetTreeRebuild, false);
        for (const LNResultParams& pattern : m_results) {
            const ISheetPtr sheet = m_model->AddSheet();
            if (!sheet)
                return false;
            sheet->SetEdit(true);
            // The bar keeps the pattern's count, or the drawing would cut fewer.
            if (sheet->SetCount(pattern.count) != NResult::Done)
                return false;
            for (size_t i = 0; i < pattern.counts.size() && i < m_details.size(); ++i) {
                if (pattern.counts[i] <= 0)
                    continue;
                const size_t pieces = static_cast<size_t>(pattern.counts[i]);
                const size_t before = m_model->GetFiguresCount();
                if (const IFigurePtr figure = m_model->AddLinNestFigure(m_details[i], pieces))
                    figure->SaveParams();
                // Every piece of the pattern stands in the drawing, or the plan is not shown.
                whole = whole && m_model->GetFiguresCount() == before + pieces;
            }
        }
        if (!whole)
            return false;
        m_model->InitFigurePolygons();
        // The pieces laid along their bars, each view's in the model's order.
        std::vector<INObjectPtr> figures;
        m_model->GetFigureObjects(figures);
        std::map<int, double> ends;
        for (const INObjectPtr& figure : figures) {
            double& x = ends[figure->GetView()];
            PlaceAt(figure, x, 0.0);
            x += Width(figure);
        }
    }
    std::vector<INObjectPtr> figures;
    m_model->GetFigureObjects(figures);
    for (const INObjectPtr& figure : figures) {
        figure->SetEdit(true);
        figure->SaveParams();
    }
    m_model->CreateFigureColouring();
    m_model->UpdateSheets();
    m_model->UpdateResultTables();
    m_model->SaveParams();
    return true;
}

void LinearNestingEditor::DrawDetails()
{
    m_model->AddSheet();
    m_model->UpdateSheets();
    for (const LNDetailParams& detail : m_details) {
        if (!Usable(detail))
            continue;
        if (const IFigurePtr figure = m_model->AddLinNestFigure(detail, 1)) {
            figure->SetEdit(true);
            figure->SaveParams();
        }
    }
    m_model->InitFigurePolygons();
    m_model->UpdateResultTables();
    std::vector<INObjectPtr> figures;
    m_model->GetFigureObjects(figures);
    const double height = m_model->GetHeightSheet();
    const int container = vrnApi::CreateContainerView(m_model->GetWidthSheet(), height);
    double y = 2.0 * height;
    for (auto it = figures.rbegin(); it != figures.rend(); ++it) {
        (*it)->ChangeView(container);
        PlaceAt(*it, 0.0, y);
        y += Height(*it);
    }
    m_model->CreateFigureColouring();
    m_model->SaveParams();
}

void LinearNestingEditor::KeepPlan()
{
    if (m_results.empty() || m_visualSheets)
        return;
    m_visualSheets = true;
    VisualizeNesting();
}

void LinearNestingEditor::CreateReport()
{
    ReportParams params;
    params.addTableLN = true;
    if (!m_model || !BaseProcess::ChooseFolder(params.folder))
        return;
    // The reporter reads the bars' thickness and material from the drawing:
    // it is given them as the panel holds them now, or the register would
    // show those of the last calculation and, reading them back, undo what
    // the user typed since.
    m_model->SaveParams();
    Reporter reporter;
    reporter.Init();
    reporter.SetParams(params);
    reporter.SetLinearMinimumRemnant(m_minWaste);
    // The plan as computed, whether the drawing shows it or not. A plan the
    // drawing shows (drawn whole, or read from it) is read from the drawing,
    // as the documentation reads it: each bar's pieces in the order they lie
    // along it, which a drawing reopened keeps while its list of details
    // comes back sorted by name.
    if (!m_results.empty() && !m_visualSheets) {
        std::vector<registers::LinearBar> bars;
        const std::wstring pattern = m_model->GetSheetPattern();
        for (size_t k = 0; k < m_results.size(); ++k) {
            registers::LinearBar bar{pattern + std::to_wstring(k + 1), m_model->GetWidthSheet(),
                                     m_model->GetHeightSheet(), m_results[k].count, {}};
            for (size_t i = 0; i < m_results[k].counts.size() && i < m_details.size(); ++i)
                if (m_results[k].counts[i] > 0)
                    bar.pieces.push_back({m_details[i].name, m_details[i].length, m_results[k].counts[i]});
            bars.push_back(std::move(bar));
        }
        reporter.SetLinearPlan(std::move(bars));
    }
    reporter.CreateDocumentation();
    // The register goes into a folder that may hold another job's documents.
    const std::wstring earlier = reporter.EarlierNote();
    if (reporter.Written().empty() && reporter.Failures().Empty())
        vrnApi::ShowWarningText(L"Ведомость линейного раскроя не создана: нет рассчитанного раскроя" + earlier);
    else if (!earlier.empty())
        vrnApi::ShowWarningText(earlier.substr(2));
}
