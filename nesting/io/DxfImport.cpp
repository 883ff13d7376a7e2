#include "io/DxfImport.h"

#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/DxfPartDrawing.h"
#include "io/DxfPartTexts.h"
#include "io/ImportFiles.h"
#include "model/NestingModel.h"

#include <system_error>

namespace fs = std::filesystem;

namespace dxfimport {
namespace {

constexpr wchar_t kNoOutputFolder[] = L"не задана папка для фрагментов";
constexpr wchar_t kNoConverter[] = L"не загружен конвертер DXF";
constexpr wchar_t kNoFile[] = L"файл не найден";
constexpr wchar_t kNotRead[] = L"файл не прочитан как DXF";
constexpr wchar_t kUnreadValue[] = L"значение не прочитано";

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
            return kNotRead;
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
