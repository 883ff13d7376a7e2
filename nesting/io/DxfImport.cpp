#include "io/DxfImport.h"
#include "io/DxfGroups.h"

#include "geometry/UtilityFunctions.h"
#include "host/BorderRings.h"
#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/DxfPartDrawing.h"
#include "io/DxfPartTexts.h"
#include "io/DxfUnits.h"
#include "io/ImportFiles.h"
#include "io/OutlineJoints.h"
#include "model/NestingModel.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <string_view>
#include <system_error>
#include <tuple>
#include <unordered_map>

namespace fs = std::filesystem;

namespace dxfimport {
namespace {

constexpr wchar_t kNoOutputFolder[] = L"не задана папка для фрагментов";
constexpr wchar_t kNoConverter[] = L"не загружен конвертер DXF";
constexpr wchar_t kNotRead[] = L"файл не прочитан как DXF";
constexpr wchar_t kNoneRead[] = L"ни один объект файла не прочитан";
constexpr wchar_t kReaderLeftOut[] = L"пропущено: ";  // how the reader starts the list of what it left out
// How the reader starts the list of what its caps left out: sound objects of
// the drawing (holes, markings) that a part read without them would lack.
constexpr wchar_t kReaderCapsLeftOut[] = L"пропущено сверх пределов программы: ";
constexpr wchar_t kNotWhole[] = L"файл прочитан не весь, а без пропущенного деталь не записывается: ";
constexpr wchar_t kNoMemory[] = L"для импорта детали не хватает памяти";
constexpr wchar_t kRefusedMarking[] = L"маркировка не принята:";
constexpr wchar_t kHiddenMarking[] = L"маркировка на выключенных или замороженных слоях не читается:";
constexpr wchar_t kUnknownMarking[] = L"маркировка не распознана:";
constexpr wchar_t kDisagreeing[] = L"маркировка даёт разные значения:";
constexpr wchar_t kUnclosedMarking[] = L"маркировка без закрывающей скобки не прочитана:";
constexpr wchar_t kOnHiddenLayers[] = L"кривые на выключенных или замороженных слоях не импортированы: ";
constexpr wchar_t kImportedWith[] = L"деталь импортирована ";
constexpr wchar_t kAllImportedWith[] = L"детали импортированы ";
constexpr wchar_t kNotCut[] = L"замкнутые кривые не основной (сплошной) линии не режутся: ";
constexpr wchar_t kImportedWithout[] = L"деталь импортирована, но ";
constexpr wchar_t kWhileRead[] = L"при чтении ";
constexpr wchar_t kOnlySolids[] = L"в файле только 3D-объекты, они не импортируются: нет плоского контура детали";
// Over the notes on parts that were imported: a note is no error.
constexpr wchar_t kNotesHeading[] = L"Замечания к импортированным деталям:";
constexpr wchar_t kNothingPlane[] =
    L"в файле нет объектов, которые импортируются (отрезков, дуг, окружностей, эллипсов, полилиний, сплайнов, текстов)";

// An object of a DXF file as DxfObjectKinds files it.
struct KindsObject {
    std::string type;
    bool paper = false;
    long flags = 0;
    std::string block;
    double z[2] = {0, 0};  // of a line's ends, of a vertex
    double normal[3] = {0, 0, 1};
    std::optional<double> x, y;  // its first point

    void Take(int group, std::string_view value)
    {
        if ((group == 10 && !x) || (group == 20 && !y)) {
            char text[64] = {};
            value.copy(text, sizeof text - 1);
            (group == 10 ? x : y) = std::strtod(text, nullptr);
        } else if (group == 67) {
            paper = value == "1";
        } else if (group == 2) {
            block = value;
        } else if (group == 70 || group == 30 || group == 31 || (group >= 210 && group <= 230 && group % 10 == 0)) {
            char text[64] = {};  // the numbers read, as strtod and strtol read them
            value.copy(text, sizeof text - 1);
            if (group == 70)
                flags = std::strtol(text, nullptr, 10);
            else if (group == 30 || group == 31)
                z[group - 30] = std::strtod(text, nullptr);
            else
                normal[(group - 210) / 10] = std::strtod(text, nullptr);
        }
    }
};

// What a DXF file's model space or block holds.
struct Kinds {
    bool solids = false;
    bool planes = false;
    bool others = false;
    std::set<std::string> inserts;  // blocks copied
};

// What the drawing of a DXF file holds, read from its groups in one pass:
// 3D objects (faces, solids, surfaces, meshes, polyface and rising
// polylines, rising lines, objects lying off the XY plane), plane objects of
// the kinds the converter reads, and objects of other kinds; block copies by
// what their blocks hold. Paper space, attributes and viewports count for none.
class DxfObjectKinds {
public:
    // False when the file cannot be read as text groups (or is larger than
    // any the converter reads).
    bool Read(const fs::path& file)
    {
        std::string section;
        bool blockHeader = false;
        bool full = true;  // no more block names than a file may have
        const GroupsRead read = ReadGroups(file, [&](int group, std::string_view value) {
            if (!full)
                return;
            m_units.Take(group, value);
            if (group == 2 && section.empty()) {
                section = value;
                m_into = section == "ENTITIES" ? &m_model : nullptr;
            } else if (group == 2 && blockHeader) {
                m_into = &m_blocks[std::string(value)];
                m_paperBlock = IsPaperBlock(value);
                full = m_blocks.size() <= kMaxNames;
            } else if (group == 0) {
                if (m_inserts > kMaxNames) {
                    full = false;
                    return;
                }
                Finish(value == "VERTEX" || value == "SEQEND");
                blockHeader = value == "BLOCK";
                if (value == "SECTION")
                    section.clear();
                else if (value == "ENDSEC")
                    section.assign(1, '-');
                if (value == "SECTION" || value == "ENDSEC" || value == "BLOCK" || value == "ENDBLK") {
                    m_into = nullptr;
                    m_paperBlock = false;
                }
                else if (m_into)
                    m_object.emplace().type = value;
            } else if (m_object) {
                m_object->Take(group, value);
            }
        });
        if (read == GroupsRead::Unreadable || !full)
            return false;
        if (read == GroupsRead::Capped)
            m_object.reset();  // the converter reads the file as if it ended before this record
        Finish(false);
        return true;
    }

    // The curves the file draws in paper space (its layouts, which are not
    // the part's drawing): "2 отрезка, 1 окружность (первая кривая у точки
    // (0; 0))"; empty when it draws none there.
    std::wstring PaperCurves() const
    {
        static const std::pair<std::string_view, std::array<const wchar_t*, 3>> kWords[] = {
            {"LINE", {L"отрезок", L"отрезка", L"отрезков"}},
            {"ARC", {L"дуга", L"дуги", L"дуг"}},
            {"CIRCLE", {L"окружность", L"окружности", L"окружностей"}},
            {"ELLIPSE", {L"эллипс", L"эллипса", L"эллипсов"}},
            {"POLYLINE", {L"полилиния", L"полилинии", L"полилиний"}},
            {"SPLINE", {L"сплайн", L"сплайна", L"сплайнов"}},
            {"INSERT", {L"вставка блока", L"вставки блоков", L"вставок блоков"}}};
        std::wstring text;
        for (const auto& [type, words] : kWords) {
            const auto n = m_paper.counts.find(std::string(type));
            if (n != m_paper.counts.end())
                text += (text.empty() ? L"" : L", ") + Counted(n->second, words[0], words[1], words[2]);
        }
        if (text.empty())
            return {};
        if (m_paper.first)
            text += L" (первая кривая у точки " + PointText(*m_paper.first) + L")";
        return text;
    }

    // Why a converter that read nothing read nothing; empty when the
    // drawing holds objects it reads (`planes` then set).
    std::wstring NothingRead(bool* planes = nullptr) const
    {
        std::map<std::string, Kinds> resolved;
        std::vector<std::string> path;
        const Kinds all = Resolve(m_model, resolved, path);
        if (planes)
            *planes = all.planes;
        if (all.planes)
            return {};
        if (all.others)
            return kNothingPlane;
        return all.solids ? kOnlySolids : std::wstring();
    }

private:
    static constexpr size_t kMaxDepth = 16;
    // Blocks, and blocks copied, beyond which a file is not looked into (the
    // converter reads no more than half a million blocks and a quarter of a
    // million objects).
    static constexpr size_t kMaxNames = 1'000'000;

    // A block of paper space: "*Paper_Space", "*Paper_Space0", ... in any letter case.
    static bool IsPaperBlock(std::string_view name)
    {
        constexpr std::string_view kPaper = "*paper_space";
        if (name.size() < kPaper.size())
            return false;
        for (size_t i = 0; i < kPaper.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(name[i])) != kPaper[i])
                return false;
        return true;
    }


    // Files the object just read; a polyline waits for its vertices (`more`
    // when a vertex or the end of the sequence follows).
    void Finish(bool more)
    {
        std::optional<KindsObject> object = std::move(m_object);
        m_object.reset();
        if (object && object->type == "VERTEX" && m_polyline) {
            m_lowest = std::min(m_lowest, object->z[0]);
            m_highest = std::max(m_highest, object->z[0]);
            object.reset();
        }
        if (m_polyline && !more) {
            File(*m_polyline, (m_polyline->flags & (16 | 64)) || ((m_polyline->flags & 8) && !Flat(m_lowest, m_highest)));
            m_polyline.reset();
        }
        if (object && object->type == "VERTEX" && m_paperPolyline) {
            if (!m_paper.first && object->x && object->y)
                m_paper.first = NPoint{*object->x, *object->y};
            m_paperPolyline = false;
            return;
        }
        if (object && ((object->paper && m_into == &m_model) || (m_paperBlock && m_into))) {
            static const std::set<std::string_view> kCurves = {"LINE", "ARC", "CIRCLE", "ELLIPSE", "LWPOLYLINE",
                                                              "POLYLINE", "SPLINE", "INSERT"};
            if (kCurves.count(object->type)) {
                ++m_paper.counts[object->type == "LWPOLYLINE" ? "POLYLINE" : object->type];
                // A polyline's own point gives only its height: its first vertex stands for it.
                if (object->type == "POLYLINE")
                    m_paperPolyline = true;
                else if (!m_paper.first && object->x && object->y)
                    m_paper.first = NPoint{*object->x, *object->y};
            }
            return;
        }
        if (!object || !m_into || object->paper)
            return;
        if (object->type == "POLYLINE") {
            m_polyline = std::move(object);
            m_lowest = INFINITY;
            m_highest = -INFINITY;
            return;
        }
        File(*object, object->type == "LINE" &&
                          !Flat(std::min(object->z[0], object->z[1]), std::max(object->z[0], object->z[1])));
    }

    // Whether heights from `low` to `high` (in the file's units) lie within
    // 0.001 mm, as a flat drawing's do: a 3D projection leaves its
    // outline's heights some 1e-9 apart.
    bool Flat(double low, double high) const
    {
        return !(low < high) || (high - low) * MillimetresIn(m_units.Code()) <= 0.001;
    }

    void File(const KindsObject& object, bool rising)
    {
        enum Kind { kOther, kSolid, kQuiet, kRead, kInsert };
        static const std::unordered_map<std::string_view, Kind> kinds = {
            {"3DFACE", kSolid},   {"3DSOLID", kSolid},       {"BODY", kSolid},
            {"SURFACE", kSolid},  {"MESH", kSolid},          {"PLANESURFACE", kSolid},  {"EXTRUDEDSURFACE", kSolid},
            {"LOFTEDSURFACE", kSolid}, {"REVOLVEDSURFACE", kSolid}, {"SWEPTSURFACE", kSolid}, {"POLYFACE", kSolid},
            {"ATTDEF", kQuiet},   {"VIEWPORT", kQuiet},      {"SEQEND", kQuiet},        {"ATTRIB", kQuiet},
            {"VERTEX", kQuiet},   {"LINE", kRead},           {"ARC", kRead},            {"CIRCLE", kRead},
            {"ELLIPSE", kRead},   {"LWPOLYLINE", kRead},     {"POLYLINE", kRead},       {"SPLINE", kRead},
            {"TEXT", kRead},      {"MTEXT", kRead},          {"INSERT", kInsert}};
        const auto found = kinds.find(object.type);
        const Kind kind = found == kinds.end() ? kOther : found->second;
        if (!m_into || kind == kQuiet)
            return;
        if (kind == kInsert) {
            m_inserts += m_into->inserts.insert(object.block).second;
            return;
        }
        rising = rising || kind == kSolid || std::abs(object.normal[0]) > 1e-9 || std::abs(object.normal[1]) > 1e-9;
        (rising ? m_into->solids : kind == kRead ? m_into->planes : m_into->others) = true;
    }

    // What `kinds` holds with its copied blocks; a block copied within itself adds nothing.
    Kinds Resolve(const Kinds& kinds, std::map<std::string, Kinds>& resolved, std::vector<std::string>& path) const
    {
        Kinds all{kinds.solids, kinds.planes, kinds.others, {}};
        for (const std::string& name : kinds.inserts) {
            auto block = m_blocks.find(name);
            if (block == m_blocks.end() || path.size() >= kMaxDepth ||
                std::find(path.begin(), path.end(), name) != path.end())
                continue;
            auto done = resolved.find(name);
            if (done == resolved.end()) {
                path.push_back(name);
                done = resolved.emplace(name, Resolve(block->second, resolved, path)).first;
                path.pop_back();
            }
            all.solids = all.solids || done->second.solids;
            all.planes = all.planes || done->second.planes;
            all.others = all.others || done->second.others;
        }
        return all;
    }

    Kinds m_model;
    std::map<std::string, Kinds> m_blocks;
    bool m_paperBlock = false;  // the block being read is a layout's
    bool m_paperPolyline = false;  // a polyline of paper space waits for its first vertex
    struct {
        std::map<std::string, size_t> counts;  // by DXF type
        std::optional<NPoint> first;
    } m_paper;  // the curves of paper space
    Kinds* m_into = nullptr;  // of the section or block being read
    size_t m_inserts = 0;     // block names filed as copied
    std::optional<KindsObject> m_object;
    std::optional<KindsObject> m_polyline;  // waiting for its vertices
    double m_lowest = INFINITY, m_highest = -INFINITY;  // the heights of its vertices so far
    HeaderUnits m_units;
};

// Why the converter read nothing from `file`.

vlapi::IViewPtr CurrentView(const vlapi::IVarnelDocument2DPtr& doc)
{
    vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(doc);
    return views ? views->GetActiveView() : nullptr;
}

// The keys the drawing's markings give no value for and the entry holds
// none of its own for (a count always has one: 1 unless the caller gave
// another, which is then its own).
std::vector<PartKey> UnmarkedKeys(const PartValues& values, const FileMetaParams& entry)
{
    std::vector<PartKey> keys;
    if (!values.count && entry.m_count == FileMetaParams{}.m_count)
        keys.push_back(PartKey::Count);
    if (!values.thickness && !(entry.m_thickness > 0.0))
        keys.push_back(PartKey::Thickness);
    if (!values.material && entry.m_material.empty())
        keys.push_back(PartKey::Material);
    return keys;
}

// "без маркировки количества, толщины и материала: деталь импортирована с
// количеством 1, без толщины, без материала", of the keys given, in the
// words of the notes on markings not read; "детали импортированы" for several.
std::wstring UnmarkedText(const std::vector<PartKey>& keys, const FileMetaParams& entry, bool many)
{
    std::wstring missing, taken;
    for (size_t i = 0; i < keys.size(); ++i) {
        const wchar_t* word = keys[i] == PartKey::Count       ? L"количества"
                              : keys[i] == PartKey::Thickness ? L"толщины"
                                                              : L"материала";
        missing += (i == 0 ? L"" : i + 1 == keys.size() ? L" и " : L", ") + std::wstring(word);
        taken += (i == 0 ? L"" : L", ") + ValueTaken(keys[i], entry);
    }
    return L"без маркировки " + missing + L": " + (many ? kAllImportedWith : kImportedWith) + taken;
}

class Run {
public:
    Run(const fs::path& folder, const DxfReader& read, const DxfProblems& problems)
        : m_folder(folder), m_read(read), m_problems(problems)
    {
    }

    // The reason the entry gave no fragment; empty when it did.
    std::wstring Import(FileMetaParams& entry)
    {
        entry.m_fragment.clear();
        m_lastRead = false;
        m_units.reset();
        m_target.clear();
        m_lastUnmarked.clear();
        const fs::path source = vrnApi::detail::PathOf(entry.m_path);
        const std::wstring stem = vrnApi::detail::TextOf(source.stem());
        const std::wstring base = importfiles::CleanComponent(stem);
        if (!importfiles::IsUsableComponent(base))
            return importfiles::kBadName;
        // A file that cannot be read is named with why, not taken for one the reader finds no DXF in.
        if (std::wstring fault = importfiles::ReadFault(source); !fault.empty())
            return fault;
        std::error_code ec;
        const fs::path target = m_names.Reserve(m_folder, base, L".vfw");
        m_target = target;
        // A fragment not named as its file is said to be, with why.
        std::wstring renamed = importfiles::CleanedText(stem);
        const std::wstring written = vrnApi::detail::TextOf(target.filename());
        if (importfiles::FoldedName(written) != importfiles::FoldedName(base + L".vfw"))
            renamed += (renamed.empty() ? L"" : L"; ") +
                       (L"файл «" + base + L".vfw» уже записан для другой детали этого импорта");
        else if (written != base + L".vfw")
            renamed += (renamed.empty() ? L"" : L"; ") +
                       std::wstring(L"так назван прежний файл папки, имя которого отличается только строчными и прописными буквами");
        if (!renamed.empty())
            m_notes.Add(entry.m_path,
                        L"деталь записана в файл «" + vrnApi::detail::TextOf(target.filename()) + L"»: " + renamed);
        if (!importfiles::IsInside(m_folder, target))
            return importfiles::kOutsideFolder;
        if (outputs::OpenDocument(target))
            return outputs::kOpenInHost;

        importfiles::HiddenFragment fragment;
        if (!fragment.Get())
            return outputs::kNoDocument;
        if (!fragment.IsActive())
            return importfiles::kNotActive;
        vlapi::IViewPtr view = CurrentView(fragment.Get());
        if (!view)
            return outputs::kNoDocument;
        const bool read = m_read(entry.m_path);
        m_lastRead = read;
        if (read)
            m_units = ScalingUnits(source);
        const std::wstring leftOut = LeftOut();
        if (!read)
            return UnreadText(source, leftOut);
        if (!fragment.IsActive())
            return importfiles::kNotActive;

        // The closed curves of the file the reader did not take, asked of
        // the drawing while the curves of hidden layers are in it: none when
        // the reader says it left nothing out (and not asked of a file its
        // caps left something out of, refused whatever it lacks).
        const std::vector<FileCurve> notRead =
            (m_problems && leftOut.empty()) || leftOut.find(kReaderCapsLeftOut) != std::wstring::npos
                ? std::vector<FileCurve>()
                : CurvesNotRead(fragment.Get(), view, source);
        FileLayers fileLayers;
        std::wstring hidden;
        std::vector<FileCurve> hiddenRings;
        std::vector<LayerText> hiddenTexts;
        SortOntoLayers(view, &fileLayers, &hidden, &hiddenRings, &hiddenTexts);
        if (!hidden.empty())
            hidden = kOnHiddenLayers + hidden;
        // A hole is not written as the part whose outline was left out, for
        // whatever reason the reader left it out, or said nothing of it (paper space).
        if (std::wstring lost = LostOutline(fragment.Get(), view, hiddenRings, &source, &fileLayers);
            !lost.empty()) {
            if (!hidden.empty())
                lost += L"; " + hidden;
            return leftOut.empty() ? lost : lost + L"; " + kWhileRead + leftOut;
        }
        // Nor is a part written with holes missing: what the reader's caps
        // left out refuses it, the cap named.
        if (m_problems) {
            const std::vector<std::wstring> problems = m_problems();
            if (std::any_of(problems.begin(), problems.end(),
                            [](const std::wstring& p) { return p.starts_with(kReaderCapsLeftOut); }))
                return hidden.empty() ? kNotWhole + leftOut : kNotWhole + leftOut + L"; " + hidden;
        }
        // Nor without a hole it has, whatever the reader left its curve out
        // for (a window of lines some of which rise is no open outline):
        // what it said of it follows. Asked again once the outline's ends
        // a hair apart are joined.
        const auto lostHole = [&]() -> std::wstring {
            std::wstring lost = LostHoles(view, notRead);
            if (lost.empty())
                return lost;
            if (!hidden.empty())
                lost += L"; " + hidden;
            return leftOut.empty() ? lost : lost + L"; " + kWhileRead + leftOut;
        };
        if (std::wstring lost = lostHole(); !lost.empty())
            return lost;
        PartValues values;
        for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
            if (vlapi::ITextPtr text{obj})
                values.Read(text->GetText());
        }
        std::wstring points;
        const std::wstring problem = CheckOutline(fragment.Get(), view, &fileLayers, &points);
        if (!problem.empty()) {
            std::wstring reason = problem;
            // No outline in the model: the file may draw it in paper space.
            if (problem.rfind(kNoOutlineReason, 0) == 0) {
                DxfObjectKinds kinds;
                const std::wstring paper = kinds.Read(source) ? kinds.PaperCurves() : std::wstring();
                if (!paper.empty())
                    reason += L"; в пространстве листа, которое не импортируется: " + paper;
            }
            if (!hidden.empty())
                reason += L"; " + hidden;
            return leftOut.empty() ? reason : reason + L"; " + kWhileRead + leftOut;
        }
        if (std::wstring lost = lostHole(); !lost.empty())
            return lost;
        // Each kind of item named a few times, then counted: a file may hold thousands.
        constexpr size_t kNamed = 10;
        // A marking whose value is refused is none the user wrote: the part
        // is not taken with another value in its place.
        if (!values.unreadable.empty()) {
            std::vector<std::wstring> items;
            for (const BracketText& item : values.unreadable)
                items.push_back(item.value + L" (" + ValueRule(item.key) + L")");
            std::wstring reason = std::wstring(kRefusedMarking) + L" " + uf::FirstNames(items, kNamed, L"; ");
            if (!hidden.empty())
                reason += L"; " + hidden;
            return leftOut.empty() ? reason : reason + L"; " + kWhileRead + leftOut;
        }
        if (!hidden.empty())
            m_notes.Add(entry.m_path, kImportedWithout + hidden);
        std::vector<std::wstring> hiddenMarkings;
        for (const LayerText& text : hiddenTexts) {
            for (const std::wstring& item : MarkingItems(text.text))
                hiddenMarkings.push_back(item + L" на слое «" + text.layer + L"»");
        }
        if (!hiddenMarkings.empty()) {
            m_notes.Add(entry.m_path, std::wstring(kHiddenMarking) + L" " + uf::FirstNames(hiddenMarkings, kNamed));
        }
        if (!points.empty())
            m_notes.Add(entry.m_path, kImportedWithout + (L"кривые меньше " + uf::NumberText(vrnApi::kPointRing) +
                                                          L" мм — точки, они не режутся: ") + points);
        if (const std::wstring notCut = ClosedCurvesNotCut(view, &fileLayers); !notCut.empty())
            m_notes.Add(entry.m_path, std::wstring(kImportedWithout) + kNotCut + notCut);
        if (!leftOut.empty())
            m_notes.Add(entry.m_path, std::wstring(kImportedWithout) + kWhileRead + leftOut);
        FileMetaParams filled = entry;
        values.FillEntry(filled);
        if (const std::wstring mixed = uf::MixedScriptsText(filled.m_material); !mixed.empty()) {
            m_notes.Add(entry.m_path, L"материал «" + filled.m_material +
                                          L"» набран латинскими и русскими буквами вперемешку: " + mixed);
        }
        const auto more = [&](const wchar_t* what, size_t count) {
            std::wstring head(what);
            if (!head.empty() && head.back() == L':')
                head.pop_back();
            if (count > kNamed)
                m_notes.Add(entry.m_path, head + L" — ещё " + std::to_wstring(count - kNamed));
        };
        for (const PartValues::Conflict& conflict : values.conflicts) {
            // The first few, and how many more: a file may hold thousands.
            constexpr size_t kListed = 10;
            const size_t listed = conflict.items.size() > kListed + 1 ? kListed : conflict.items.size();
            std::wstring items;
            for (size_t k = 0; k < listed; ++k)
                items += (k == 0 ? L"" : k + 1 == conflict.items.size() ? L" и " : L", ") + conflict.items[k];
            if (listed < conflict.items.size())
                items += L" и ещё " + std::to_wstring(conflict.items.size() - listed);
            m_notes.Add(entry.m_path, std::wstring(kDisagreeing) + L" " + items + L": " + kImportedWith +
                                          ValueTaken(conflict.key, filled));
        }
        const std::wstring taken = kImportedWith + ValueTaken(PartKey::Count, filled) + L", " +
                                   ValueTaken(PartKey::Thickness, filled) + L", " + ValueTaken(PartKey::Material, filled);
        for (size_t k = 0; k < values.unknown.size() && k < kNamed; ++k)
            m_notes.Add(entry.m_path,
                        std::wstring(kUnknownMarking) + L" " + values.unknown[k] + L" (ключи: " + KnownKeys() + L"): " + taken);
        more(kUnknownMarking, values.unknown.size());
        for (size_t k = 0; k < values.unclosed.size() && k < kNamed; ++k)
            m_notes.Add(entry.m_path, std::wstring(kUnclosedMarking) + L" «" + values.unclosed[k] + L"»: " + taken);
        more(kUnclosedMarking, values.unclosed.size());
        // What the file gives no marking for, and the entry had no value of
        // its own for, is taken by default: said once the part is written.
        // A marking not read has said what the part was taken with already.
        if (values.unknown.empty() && values.unclosed.empty())
            m_lastUnmarked = UnmarkedKeys(values, filled);
        filled.m_fragment = vrnApi::detail::TextOf(target);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), filled.m_count);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), filled.m_thickness);
        vrnApi::SetMaterialPropertyToDocument(filled.m_material);
        // The units go with the part, so that a refusal for its size names them wherever it is made.
        filled.m_fileUnits = m_units.value_or(0);
        if (m_units)
            vrnApi::SetPropertyToDocument(kFileUnitsProperty, *m_units);
        vrnApi::SetActiveSysLayer(0);
        std::wstring reason;
        const bool earlier = fs::is_regular_file(target, ec);
        outputs::PendingFile file(target);
        if (!outputs::SaveInPlace(fragment.Get(), file, reason))
            return reason;
        m_written.insert(target);
        // A fragment of an earlier import is not replaced unsaid.
        if (earlier)
            m_notes.Add(entry.m_path, L"прежний файл «" + vrnApi::detail::TextOf(target.filename()) + L"» заменён");
        entry = filled;
        return {};
    }

    // The units of the file imported last, when they scaled its drawing, or
    // when its header gives none that is known (millimetres taken): named
    // beside the reason it was refused for (`reason`), or in a note on the
    // part it gave.
    void SayUnits(const std::wstring& path, std::wstring& reason)
    {
        const std::optional<int> units = m_lastRead ? m_units : std::nullopt;
        if (!units) {
            // Units not known are said: millimetres were taken for them.
            const std::wstring unread = m_lastRead ? UnreadUnitsText(vrnApi::detail::PathOf(path)) : std::wstring();
            if (unread.empty())
                return;
            if (!reason.empty())
                reason += L"; " + unread;
            else
                m_notes.Add(path, unread);
            return;
        }
        if (!reason.empty()) {
            reason += L"; " + UnitsText(*units);
        } else {
            m_notes.Add(path, UnitsText(*units));
            ++m_unitNotes;
        }
    }

    // What a refusal adds when a file of an earlier import has the name the
    // refused part would have had: it stays in the folder (and is loaded with
    // it). Empty when there is none, or this run wrote that name since.
    std::wstring EarlierStays(const fs::path& target) const
    {
        std::error_code ec;
        if (target.empty() || m_written.count(target) || !fs::is_regular_file(target, ec))
            return {};
        return L"; прежний файл «" + vrnApi::detail::TextOf(target.filename()) + L"» остался в папке";
    }
    // The target of the entry imported last; its name is free again when it was refused.
    const fs::path& Target() const { return m_target; }
    void Refused() { m_names.Release(m_target); }

    // The entry imported last wrote its part: named with the files of its
    // kind when its file gave no count, thickness or material.
    void Written(const FileMetaParams& entry)
    {
        if (m_lastUnmarked.empty())
            return;
        const std::wstring reason = UnmarkedText(m_lastUnmarked, entry, false);
        auto group = std::find_if(m_unmarked.begin(), m_unmarked.end(),
                                  [&](const Unmarked& u) { return u.reason == reason; });
        if (group == m_unmarked.end())
            group = m_unmarked.insert(m_unmarked.end(), Unmarked{reason, UnmarkedText(m_lastUnmarked, entry, true), {}});
        group->files.push_back(vrnApi::detail::TextOf(vrnApi::detail::PathOf(entry.m_path).filename()));
    }
    // The files that gave no count, thickness or material, a line for each
    // kind: the first few named, the rest counted, with what their parts
    // were taken with. Information, not a warning: nothing is left out.
    void AddUnmarked(outputs::FailureList& notes) const
    {
        for (const Unmarked& group : m_unmarked)
            notes.Add(uf::FirstNames(group.files, kNamedFiles), group.files.size() == 1 ? group.reason : group.reasonOfMany);
    }

    const outputs::FailureList& Notes() const { return m_notes; }
    void DropNotesFrom(size_t count) { m_notes.Truncate(count); }
    // Whether a note tells of something left out of a part or taken
    // otherwise than written, beyond the units it was scaled by.
    bool Warns() const { return m_notes.Count() > m_unitNotes; }

private:
    // What the reader said it left out of the file it read last, in one text.
    std::wstring LeftOut() const { return m_problems ? ProblemsText(m_problems()) : std::wstring(); }

    fs::path m_folder;
    const DxfReader& m_read;
    const DxfProblems& m_problems;
    importfiles::UniqueNames m_names;
    fs::path m_target;              // of the entry imported last
    std::set<fs::path> m_written;   // the fragments this run wrote
    outputs::FailureList m_notes;
    size_t m_unitNotes = 0;   // notes that only tell the units
    bool m_lastRead = false;  // the reader read the file imported last
    std::optional<int> m_units;  // that scaled the drawing of the file imported last
    std::vector<PartKey> m_lastUnmarked;  // of the file imported last
    struct Unmarked {
        std::wstring reason;        // of one file
        std::wstring reasonOfMany;  // of several
        std::vector<std::wstring> files;
    };
    std::vector<Unmarked> m_unmarked;  // by the keys missing and the values taken, in the order met
    static constexpr size_t kNamedFiles = 10;
};

// The model's progress bar, removed whatever way the run ends.
class Progress {
public:
    explicit Progress(NestingModel& model) : m_model(model) { m_model.CreateProgressIndicator(); }
    ~Progress() { m_model.DeleteProgressIndicator(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    void Set(size_t done, size_t all)
    {
        m_model.SetProgressIndicator(static_cast<double>(done) * 100.0 / static_cast<double>(all));
    }

private:
    NestingModel& m_model;
};

// The reason no file of the run can be imported; empty when they can.
std::wstring Prepare(const std::wstring& outFolder, const DxfReader& read, fs::path& folder)
{
    if (outFolder.empty())
        return kNoOutputFolder;
    folder = importfiles::OutputFolder(outFolder);
    if (!outputs::EnsureFolder(folder))
        return importfiles::NoFolderText(folder);
    // A folder that takes no file is named once, not beside every part.
    if (std::wstring why = importfiles::NoWriteText(folder); !why.empty())
        return why;
    return read ? std::wstring() : std::wstring(kNoConverter);
}

}  // namespace

std::wstring ProblemsText(const std::vector<std::wstring>& problems)
{
    std::wstring text;
    for (const std::wstring& problem : problems)
        text += (text.empty() ? L"" : L"; ") + problem;
    return text;
}

std::wstring UnreadText(const fs::path& file, const std::wstring& leftOut)
{
    DxfObjectKinds kinds;
    bool planes = false;
    const std::wstring why = kinds.Read(file) ? kinds.NothingRead(&planes) : std::wstring();
    if (!why.empty())
        return leftOut.empty() ? why : why + L": " + leftOut;
    if (leftOut.empty())
        return kNotRead;
    // A file of objects of the kinds read that the reader read and left all
    // out (beyond its caps), saying what it left out: that is why.
    const bool allLeftOut = planes && (leftOut.starts_with(kReaderLeftOut) || leftOut.starts_with(kReaderCapsLeftOut));
    return (allLeftOut ? kNoneRead : kNotRead) + (L": " + leftOut);
}

void ImportFiguresFromDxf(NestingModel& model, std::vector<FileMetaParams>& files, const std::wstring& outFolder,
                          const DxfReader& read, const DxfProblems& problems)
{
    if (files.empty())
        return;
    outputs::FailureList refused;
    fs::path folder;
    const std::wstring common = Prepare(outFolder, read, folder);
    outputs::FailureList notes;
    bool warns = false;
    if (!common.empty()) {
        // One cause for every file: said once.
        for (FileMetaParams& entry : files)
            entry.m_fragment.clear();
        if (application)
            application->MessageBox(vrnApi::LoadStr(IDS_MESS_ERROR_IMPORT) + L": " + common +
                                        L"; не импортирован ни один из файлов (" + std::to_wstring(files.size()) + L")",
                                    std::wstring(), vlapi::vlMBIconError, 0, 0);
        return;
    }
    {
        Run run(folder, read, problems);
        Progress bar(model);
        // The files refused, with their reasons and the fragments they would have had.
        std::vector<std::tuple<std::wstring, std::wstring, fs::path>> refusals;
        for (size_t i = 0; i < files.size(); ++i) {
            bar.Set(i, files.size());
            std::wstring reason;
            try {
                const size_t noted = run.Notes().Count();
                reason = run.Import(files[i]);
                // Notes are on parts that were imported: a file refused at
                // the last (its fragment not saved) has its reason alone.
                if (!reason.empty()) {
                    run.DropNotesFrom(noted);
                    run.Refused();
                }
                run.SayUnits(files[i].m_path, reason);
                if (reason.empty())
                    run.Written(files[i]);
            } catch (const std::bad_alloc&) {
                // The file's drawing went with its hidden fragment; the next file has the memory again.
                files[i].m_fragment.clear();
                run.Refused();
                reason = kNoMemory;
            }
            if (!reason.empty())
                refusals.emplace_back(files[i].m_path, std::move(reason), run.Target());
        }
        for (const auto& [path, reason, target] : refusals)
            refused.Add(path, reason + run.EarlierStays(target));
        bar.Set(files.size(), files.size());
        notes = run.Notes();
        warns = run.Warns();
        run.AddUnmarked(notes);
    }
    if (refused.Empty() && notes.Empty())
        return;
    // The files refused under the error's heading; the notes on the parts
    // that were imported under their own, as a warning where they tell of
    // something left out, as information where they only tell the units.
    std::wstring text;
    if (!refused.Empty())
        text = refused.Text(vrnApi::LoadStr(IDS_MESS_ERROR_IMPORT) + L":");
    if (!notes.Empty())
        text = notes.Text(text.empty() ? std::wstring(kNotesHeading) : text + L"\n\n" + kNotesHeading);
    const int icon = !refused.Empty() ? vlapi::vlMBIconError : warns ? vlapi::vlMBIconWarning : vlapi::vlMBIconInformation;
    if (application)
        application->MessageBox(text, std::wstring(), icon, 0, 0);
}

}  // namespace dxfimport
