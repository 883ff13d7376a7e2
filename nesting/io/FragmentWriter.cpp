// Writing the unfolded parts of an assembly as fragment files: folders by
// material and thickness, file names and marking texts from the patterns,
// one hidden fragment per part, and one closing message.
#include "io/AssemblyReader.h"

#include "geometry/UtilityFunctions.h"
#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "io/DxfPartDrawing.h"
#include "io/ImportFiles.h"
#include "io/PartMarking.h"

#include <cwchar>
#include <map>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kDone[] = L"Запись на диск завершена";
constexpr wchar_t kNoOutputFolder[] = L"Не задана папка для фрагментов";
constexpr wchar_t kNotSheet[] = L"не листовая деталь";
constexpr wchar_t kNotUnfolded[] = L"развёртка не задана";
constexpr wchar_t kNoOutline[] = L"нет контура развёртки";
constexpr wchar_t kBadOutline[] = L"развёртка не годится в деталь: ";
constexpr wchar_t kUnsearched[] =
    L"Место маркировки не искалось: в контурах развёртки больше 250 000 вершин; маркировка стоит в середине габарита:";
constexpr wchar_t kCrowded[] = L"Маркировка не помещается ни на одну грань развёртки и стоит на наибольшей:";

constexpr int kTextLayer = 1;
constexpr int kOutlineStyle = 1;
constexpr int kBendStyle = 8;

void Show(const std::wstring& text, int flags)
{
    if (application)
        application->MessageBox(text, std::wstring(), flags, 0, 0);
}

// `folder` / the cleaned `name`; `folder` itself when the name names nothing.
fs::path SubFolder(const fs::path& folder, const std::wstring& name)
{
    const std::wstring component = importfiles::CleanComponent(name);
    return importfiles::IsUsableComponent(component) ? folder / vrnApi::detail::PathOf(component) : folder;
}

}  // namespace

std::wstring AssemblyReader::CreateStringFromPattern(const std::wstring& pattern, const ImportPartMetaData& data) const
{
    std::wstring text = pattern;
    uf::ReplaceSubString(text, L"Наименование", data.name);
    uf::ReplaceSubString(text, L"Обозначение", data.mark);
    uf::ReplaceSubString(text, L"Материал", data.material);
    uf::ReplaceSubString(text, L"Толщина", uf::NumberText(data.thickness));
    uf::ReplaceSubString(text, L"Кол-во", std::to_wstring(data.count));
    return text;
}

void AssemblyReader::WriteContoursToFragments(bool isCreateDirs)
{
    if (m_pathOutFolder.empty())
        return Show(kNoOutputFolder, vlapi::vlMBIconError);
    const fs::path out = importfiles::OutputFolder(m_pathOutFolder);
    // An output folder that cannot be: said once, not for every part.
    if (const std::wstring blocked = importfiles::NoFolderText(out, false); !blocked.empty())
        return Show(L"Детали не записаны: " + blocked, vlapi::vlMBIconError);
    std::error_code ec;
    if (fs::is_directory(out, ec)) {
        if (const std::wstring blocked = importfiles::NoWriteText(out); !blocked.empty())
            return Show(L"Детали не записаны: " + blocked, vlapi::vlMBIconError);
    }
    outputs::FailureList skipped;
    outputs::FailureList failed;
    std::vector<std::wstring> crowded;     // parts whose marking no flat face holds
    std::vector<std::wstring> unsearched;  // parts too large for the marking's search
    outputs::FailureList renamed;          // parts whose file is not named as the pattern gives
    std::vector<std::wstring> replaced;    // files of an earlier run written over
    using Names = std::vector<std::wstring>;
    std::map<fs::path, std::pair<std::wstring, Names>> noFolder;  // why, and the parts
    std::set<std::wstring> mixed;          // materials that mix Latin and Cyrillic letters
    std::vector<std::wstring> noMaterial;  // parts the assembly gives no material (its sheets give none)
    std::set<fs::path> writtenFiles;
    std::set<fs::path> tried;  // folders made, or found, and tried for a file
    size_t written = 0;
    {
        importfiles::MadeFolders folders;
        importfiles::UniqueNames names;
        for (NodeMaterial& material : m_dataTree) {
            const fs::path materialFolder = isCreateDirs ? SubFolder(out, material.name) : out;
            for (NodeThickness& node : material.nodes) {
                const fs::path folder = isCreateDirs ? SubFolder(materialFolder, node.name) : materialFolder;
                for (ImportPartMetaData& part : node.datum) {
                    const std::wstring name = part.GetFullName();
                    // A part not written whose file name a file of an earlier run has: that file stays.
                    const auto skip = [&](const std::wstring& reason) {
                        const std::wstring file =
                            importfiles::CleanComponent(CreateStringFromPattern(m_namePattern, part));
                        const fs::path earlier =
                            importfiles::IsUsableComponent(file) ? names.Earlier(folder, file + L".vfw") : fs::path();
                        const bool stays = !earlier.empty() && !writtenFiles.count(earlier);
                        skipped.Add(name, stays ? reason + L"; прежний файл «" + vrnApi::detail::TextOf(earlier) +
                                                      L"» остался в папке"
                                                : reason);
                    };
                    if (part.thickness <= 0.0) {
                        skipped.Add(name, kNotSheet);
                        continue;
                    }
                    if (const std::wstring reason = ThicknessOutOfRange(part.thickness); !reason.empty()) {
                        skip(reason);
                        continue;
                    }
                    if (!part.unfolded) {
                        skip(kNotUnfolded);
                        continue;
                    }
                    if (part.curves.empty()) {
                        skip(kNoOutline);
                        continue;
                    }
                    const std::wstring given = CreateStringFromPattern(m_namePattern, part);
                    const std::wstring file = importfiles::CleanComponent(given);
                    if (!importfiles::IsUsableComponent(file)) {
                        skipped.Add(name, importfiles::kBadName);
                        continue;
                    }
                    // A folder that cannot be made, or takes no file, is named
                    // once, with why, and the parts it would hold.
                    auto known = noFolder.find(folder);
                    if (known == noFolder.end() && !tried.count(folder)) {
                        std::wstring why = folders.Ensure(folder) ? importfiles::NoWriteText(folder)
                                                                  : importfiles::NoFolderText(folder);
                        if (!why.empty())
                            known = noFolder.emplace(folder, std::pair{std::move(why), Names{}}).first;
                        tried.insert(folder);
                    }
                    if (known != noFolder.end()) {
                        known->second.second.push_back(name);
                        continue;
                    }
                    const fs::path path = names.Reserve(folder, file, L".vfw");
                    std::wstring reason;
                    if (!importfiles::IsInside(out, path))
                        reason = importfiles::kOutsideFolder;
                    else if (outputs::OpenDocument(path))
                        reason = outputs::kOpenInHost;
                    std::error_code ec;
                    const bool earlier = fs::is_regular_file(path, ec);
                    if (reason.empty()) {
                        ImportPartMetaData target = part;
                        target.path2D = vrnApi::detail::TextOf(path);
                        Marking marking = Marking::Inside;
                        std::wstring refused;
                        reason = CreateFragment(target, &marking, &refused);
                        if (reason.empty() && !refused.empty()) {
                            names.Release(path);
                            skip(kBadOutline + refused);
                            continue;
                        }
                        if (reason.empty()) {
                            part.path2D = target.path2D;
                            ++written;
                            if (earlier)
                                replaced.push_back(vrnApi::detail::TextOf(path));
                            writtenFiles.insert(path);
                            std::wstring why = importfiles::CleanedText(given);
                            const std::wstring own = vrnApi::detail::TextOf(path.filename());
                            if (importfiles::FoldedName(own) != importfiles::FoldedName(file + L".vfw"))
                                why += (why.empty() ? L"" : L"; ") +
                                       (L"файл «" + file + L".vfw» уже записан для другой детали этого импорта");
                            else if (own != file + L".vfw")
                                why += (why.empty() ? L"" : L"; ") +
                                       std::wstring(L"так назван прежний файл папки, имя которого отличается только "
                                                    L"строчными и прописными буквами");
                            if (!why.empty())
                                renamed.Add(name, L"«" + vrnApi::detail::TextOf(path.filename()) + L"»: " + why);
                            if (!uf::MixedScriptsText(part.material).empty())
                                mixed.insert(part.material);
                            if (part.material.empty())
                                noMaterial.push_back(name);
                            if (marking == Marking::Crowded)
                                crowded.push_back(name);
                            else if (marking == Marking::Unsearched)
                                unsearched.push_back(name);
                        }
                    }
                    if (!reason.empty()) {
                        names.Release(path);
                        failed.Add(name + L" (" + vrnApi::detail::TextOf(path) + L")",
                                   earlier ? reason + L"; прежний файл остался в папке" : reason);
                    }
                }
            }
        }
    }
    for (const auto& [folder, why] : noFolder) {
        std::wstring parts;
        for (const std::wstring& part : why.second)
            parts += (parts.empty() ? L"" : L", ") + part;
        failed.Add(why.first, L"не записаны детали: " + parts);
    }
    std::wstring text = skipped.Empty() && failed.Empty()
                            ? std::wstring(kDone)
                            : failed.Text(skipped.Text(L"Записано деталей: " + std::to_wstring(written) + L". Не записаны:"));
    const auto list = [&](const std::wstring& head, const auto& names) {
        if (names.empty())
            return;
        text += L"\n" + head;
        size_t i = 0;
        for (const std::wstring& name : names)
            text += (i++ == 0 ? L" " : L", ") + name;
    };
    list(kCrowded, crowded);
    list(kUnsearched, unsearched);
    list(L"Заменены прежние файлы:", replaced);
    if (!renamed.Empty())
        text += L"\n" + renamed.Text(L"Записаны не под именем по шаблону:");
    for (const std::wstring& material : mixed)
        text += L"\nМатериал «" + material + L"» набран латинскими и русскими буквами вперемешку: " +
                uf::MixedScriptsText(material);
    // A part without material is nested on a sheet of any: said, as a DXF part's is.
    constexpr size_t kNamed = 10;
    if (!noMaterial.empty())
        text += L"\nЗаписаны без материала (в сборке он не задан): " + uf::FirstNames(noMaterial, kNamed);
    Show(text, failed.Empty() ? vlapi::vlMBIconWarning : vlapi::vlMBIconError);
    UpdateImportPartMetaDatum();
}

std::wstring AssemblyReader::CreateFragment(const ImportPartMetaData& data, Marking* marked, std::wstring* refused)
{
    if (marked)
        *marked = Marking::Inside;
    importfiles::HiddenFragment fragment;
    if (!fragment.Get())
        return outputs::kNoDocument;
    if (!fragment.IsActive())
        return importfiles::kNotActive;
    const vlapi::IViewsPtr views = vrnApi::detail::ViewsOf(fragment.Get());
    const vlapi::IViewPtr view = views ? views->GetActiveView() : nullptr;
    const vlapi::IDrawingContainerPtr container(view);
    if (!container)
        return outputs::kNoDocument;
    hostAccess::EnsureLayer(view->GetLayers(), kTextLayer, vrnApi::LoadStr(IDS_NAME_TEXT_LAYER));
    for (const SPtr<MbCurve>& curve : data.curves)
        DrawCurve(container, curve, 0, kOutlineStyle);
    for (const SPtr<MbCurve>& curve : data.bends)
        DrawCurve(container, curve, kTextLayer, kBendStyle);
    if (refused && !data.curves.empty()) {
        // A pattern that folds over itself flat, or that is no size a part
        // may have, is no part to nest: loaded, it would be refused.
        *refused = dxfimport::CheckOutline(fragment.Get(), view);
        if (!refused->empty())
            return {};
    }
    if (!data.curves.empty()) {
        const std::wstring text = CreateStringFromPattern(m_textPattern, data);
        const Marking marking = text.empty() ? Marking::Inside : CreateMarking(container, kTextLayer, data.bends, text);
        if (marking == Marking::NotMade)
            return importfiles::kNotActive;
        if (marked)
            *marked = marking;
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), data.count);
        vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), data.thickness);
        vrnApi::SetMaterialPropertyToDocument(data.material);
    }
    vrnApi::SetActiveSysLayer(0);
    std::wstring reason;
    outputs::PendingFile file(vrnApi::detail::PathOf(data.path2D));
    outputs::SaveInPlace(fragment.Get(), file, reason);
    return reason;
}
