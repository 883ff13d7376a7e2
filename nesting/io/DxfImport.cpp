#include "io/DxfImport.h"

#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/DxfPartDrawing.h"
#include "io/DxfPartTexts.h"
#include "io/ImportFiles.h"
#include "model/NestingModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <string_view>
#include <system_error>

namespace fs = std::filesystem;

namespace dxfimport {
namespace {

constexpr wchar_t kNoOutputFolder[] = L"не задана папка для фрагментов";
constexpr wchar_t kNoConverter[] = L"не загружен конвертер DXF";
constexpr wchar_t kNoFile[] = L"файл не найден";
constexpr wchar_t kNotRead[] = L"файл не прочитан как DXF";
constexpr wchar_t kUnreadValue[] = L"значение не прочитано";
constexpr wchar_t kOnlySolids[] = L"в файле только 3D-объекты, они не импортируются: нет плоского контура детали";

// What the drawing of a DXF file holds, read from its groups: 3D objects
// (faces, solids, surfaces, meshes, polyface and rising polylines, rising
// lines, objects lying off the XY plane) and plane ones, block copies by
// what their blocks hold. Paper space, attributes and viewports count for
// neither.
class DxfObjectKinds {
public:
    // False when the file cannot be read as text groups.
    bool Read(const fs::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        std::string code, value;
        std::string section;
        std::vector<Record>* records = nullptr;
        while (std::getline(in, code) && std::getline(in, value)) {
            const int group = GroupCode(code);
            if (group == kNoCode)
                return false;
            Trim(value);
            if (group == 0 && value == "SECTION") {
                section.clear();
                records = nullptr;
                continue;
            }
            if (group == 2 && section.empty() && !records) {
                section = value;
                if (section == "ENTITIES")
                    records = &m_model;
                continue;
            }
            if (group == 0 && value == "ENDSEC") {
                section = "-";
                records = nullptr;
                continue;
            }
            if (section == "BLOCKS" && group == 0) {
                m_inBlockHeader = value == "BLOCK";
                records = value == "BLOCK" || value == "ENDBLK" ? nullptr : m_block;
                if (value == "ENDBLK")
                    m_block = nullptr;
                if (value != "BLOCK" && value != "ENDBLK" && records)
                    records->emplace_back(value);
                continue;
            }
            if (section == "BLOCKS" && m_inBlockHeader && group == 2) {
                m_block = &m_blocks[value];
                continue;
            }
            if (!records)
                continue;
            if (group == 0) {
                records->emplace_back(value);
                continue;
            }
            if (!records->empty())
                records->back().Take(group, value);
        }
        return true;
    }

    // The model holds 3D objects and nothing plane.
    bool OnlySolids() const
    {
        Tally tally;
        std::vector<std::string> path;
        Count(m_model, tally, path);
        return tally.solids > 0 && tally.planes == 0;
    }

private:
    static constexpr int kNoCode = -1;
    static constexpr size_t kMaxDepth = 16;

    struct Record {
        explicit Record(std::string kind) : type(std::move(kind)) {}
        std::string type;
        bool paper = false;
        long flags = 0;
        std::string block;
        double z[2] = {0, 0};  // of a line's ends, of a vertex
        double normal[3] = {0, 0, 1};

        void Take(int group, const std::string& value)
        {
            if (group == 67)
                paper = value == "1";
            else if (group == 70)
                flags = std::strtol(value.c_str(), nullptr, 10);
            else if (group == 2)
                block = value;
            else if (group == 30 || group == 31)
                z[group - 30] = std::strtod(value.c_str(), nullptr);
            else if (group >= 210 && group <= 230 && group % 10 == 0)
                normal[(group - 210) / 10] = std::strtod(value.c_str(), nullptr);
        }
    };
    struct Tally {
        size_t solids = 0;
        size_t planes = 0;
    };

    static int GroupCode(std::string text)
    {
        Trim(text);
        if (text.empty() || text.size() > 6)
            return kNoCode;
        char* end = nullptr;
        const long code = std::strtol(text.c_str(), &end, 10);
        return *end == '\0' && code >= 0 ? static_cast<int>(code) : kNoCode;
    }
    static void Trim(std::string& text)
    {
        const size_t first = text.find_first_not_of(" \t\r");
        const size_t last = text.find_last_not_of(" \t\r");
        text = first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    }
    void Count(const std::vector<Record>& records, Tally& tally, std::vector<std::string>& path) const
    {
        static const std::set<std::string_view> solid = {"3DFACE", "3DSOLID", "BODY", "REGION", "SURFACE", "MESH",
                                                         "PLANESURFACE", "EXTRUDEDSURFACE", "LOFTEDSURFACE",
                                                         "REVOLVEDSURFACE", "SWEPTSURFACE", "POLYFACE"};
        static const std::set<std::string_view> quiet = {"ATTDEF", "VIEWPORT", "SEQEND", "ATTRIB"};
        for (size_t i = 0; i < records.size(); ++i) {
            const Record& r = records[i];
            if (r.paper || quiet.count(r.type) || r.type == "VERTEX")
                continue;
            if (r.type == "INSERT") {
                auto block = m_blocks.find(r.block);
                if (block == m_blocks.end() || path.size() >= kMaxDepth ||
                    std::find(path.begin(), path.end(), r.block) != path.end())
                    continue;
                path.push_back(r.block);
                Count(block->second, tally, path);
                path.pop_back();
                continue;
            }
            bool rising = solid.count(r.type) > 0 || (r.type == "LINE" && r.z[0] != r.z[1]) ||
                          std::abs(r.normal[0]) > 1e-9 || std::abs(r.normal[1]) > 1e-9;
            if (r.type == "POLYLINE") {
                bool level = true;
                for (size_t v = i + 1; v < records.size() && records[v].type == "VERTEX"; ++v)
                    level = level && records[v].z[0] == records[i + 1].z[0];
                rising = rising || (r.flags & (16 | 64)) || ((r.flags & 8) && !level);
            }
            ++(rising ? tally.solids : tally.planes);
        }
    }

    std::vector<Record> m_model;
    std::map<std::string, std::vector<Record>> m_blocks;
    std::vector<Record>* m_block = nullptr;
    bool m_inBlockHeader = false;
};

// Why the converter read nothing from `file`.
std::wstring Unread(const fs::path& file)
{
    DxfObjectKinds kinds;
    return kinds.Read(file) && kinds.OnlySolids() ? kOnlySolids : kNotRead;
}

vlapi::IViewPtr CurrentView(const vlapi::IVarnelDocument2DPtr& doc)
{
    vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(doc);
    return views ? views->GetActiveView() : nullptr;
}

class Run {
public:
    Run(const fs::path& folder, const DxfReader& read) : m_folder(folder), m_read(read) {}

    // The reason the entry gave no fragment; empty when it did.
    std::wstring Import(FileMetaParams& entry)
    {
        entry.m_fragment.clear();
        const fs::path source = vrnApi::detail::PathOf(entry.m_path);
        const std::wstring base = importfiles::CleanComponent(vrnApi::detail::TextOf(source.stem()));
        if (!importfiles::IsUsableComponent(base))
            return importfiles::kBadName;
        std::error_code ec;
        if (!fs::is_regular_file(source, ec))
            return kNoFile;
        const fs::path target = m_names.Reserve(m_folder, base, L".vfw");
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
        if (!m_read(entry.m_path))
            return Unread(source);
        if (!fragment.IsActive())
            return importfiles::kNotActive;

        SortOntoLayers(view);
        PartValues values;
        for (const vlapi::IDrawingObjectPtr& obj : hostAccess::AllObjects(vlapi::IDrawingContainerPtr(view))) {
            if (vlapi::ITextPtr text{obj})
                values.Read(text->GetText());
        }
        const std::wstring problem = CheckOutline(fragment.Get(), view);
        if (!problem.empty())
            return problem;
        for (const std::wstring& text : values.unreadable)
            m_notes.Add(entry.m_path, std::wstring(kUnreadValue) + L" " + text);

        FileMetaParams filled = entry;
        values.FillEntry(filled);
        filled.m_fragment = vrnApi::detail::TextOf(target);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), filled.m_count);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), filled.m_thickness);
        vrnApi::SetMaterialPropertyToDocument(filled.m_material);
        vrnApi::SetActiveSysLayer(0);
        std::wstring reason;
        outputs::PendingFile file(target);
        if (!outputs::SaveInPlace(fragment.Get(), file, reason))
            return reason;
        entry = filled;
        return {};
    }

    const outputs::FailureList& Notes() const { return m_notes; }

private:
    fs::path m_folder;
    const DxfReader& m_read;
    importfiles::UniqueNames m_names;
    outputs::FailureList m_notes;
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
        return outputs::kNoFolder;
    return read ? std::wstring() : std::wstring(kNoConverter);
}

}  // namespace

void ImportFiguresFromDxf(NestingModel& model, std::vector<FileMetaParams>& files, const std::wstring& outFolder,
                          const DxfReader& read)
{
    if (files.empty())
        return;
    outputs::FailureList refused;
    fs::path folder;
    const std::wstring common = Prepare(outFolder, read, folder);
    outputs::FailureList notes;
    if (!common.empty()) {
        for (FileMetaParams& entry : files) {
            entry.m_fragment.clear();
            refused.Add(entry.m_path, common);
        }
    } else {
        Run run(folder, read);
        Progress bar(model);
        for (size_t i = 0; i < files.size(); ++i) {
            bar.Set(i, files.size());
            const std::wstring reason = run.Import(files[i]);
            if (!reason.empty())
                refused.Add(files[i].m_path, reason);
        }
        bar.Set(files.size(), files.size());
        notes = run.Notes();
    }
    if (refused.Empty() && notes.Empty())
        return;
    std::wstring text = vrnApi::LoadStr(IDS_MESS_ERROR_IMPORT) + L":";
    if (!refused.Empty())
        text = refused.Text(text);
    if (!notes.Empty())
        text = notes.Text(text);
    if (application)
        application->MessageBox(text, std::wstring(), refused.Empty() ? vlapi::vlMBIconWarning : vlapi::vlMBIconError,
                                0, 0);
}

}  // namespace dxfimport
