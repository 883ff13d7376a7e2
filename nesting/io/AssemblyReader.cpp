// Reading an assembly into part records and the material/thickness tree, the
// dialog's edits of the records, and the hand-over of DXF files.
#include "io/AssemblyReader.h"

#include "geometry/UtilityFunctions.h"
#include "host/HostGuards.h"
#include "host/VarnelAPI.h"
#include "io/DxfPartTexts.h"
#include "io/NumberText.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <limits>

namespace {

constexpr wchar_t kThicknessRefused[] = L"Толщина не изменена: нужно число от 0.01 до 500 мм";
constexpr wchar_t kCountRefused[] = L"Количество не изменено: нужно целое число от 1 до ";  // and the most

// A 3D document this reader opened, closed again whatever way the reading ends.
class OpenedDocument {
public:
    explicit OpenedDocument(const std::wstring& path) { m_doc = vrnApi::GetVarnel3DDocument(path, m_wasOpen); }
    ~OpenedDocument()
    {
        if (m_doc && !m_wasOpen)
            m_doc->Close(0);
    }
    OpenedDocument(const OpenedDocument&) = delete;
    OpenedDocument& operator=(const OpenedDocument&) = delete;
    const vlapi::IVarnelDocument3DPtr& Get() const { return m_doc; }

private:
    bool m_wasOpen = false;
    vlapi::IVarnelDocument3DPtr m_doc;
};

std::wstring Cleaned(std::wstring text)
{
    uf::DeleteIllegalSymbolsFromStr(text, L' ');
    return text;
}

// Adds the record to the node of its material, made when there is none.
void FileRecord(std::vector<NodeMaterial>& tree, const ImportPartMetaData& record)
{
    auto node = std::find_if(tree.begin(), tree.end(), [&](const NodeMaterial& m) { return m.name == record.material; });
    if (node == tree.end()) {
        tree.push_back(NodeMaterial{record.material, {}});
        node = std::prev(tree.end());
    }
    node->Add(record);
}

bool InRange(double thickness)
{
    return thickness >= dxfimport::kLeastThickness && thickness <= dxfimport::kMostThickness;
}

// The number with as few digits as keep it on its own side of the range (and
// apart from 0 when it is not 0).
std::wstring UnroundedText(double value)
{
    std::wstring text = uf::NumberText(value);
    const auto crosses = [&] {
        const double shown = std::wcstod(text.c_str(), nullptr);
        return InRange(shown) != InRange(value) || (shown == 0.0) != (value == 0.0);
    };
    for (int digits = 7; digits <= 17 && crosses(); ++digits) {
        wchar_t buffer[64];
        const int n = std::swprintf(buffer, std::size(buffer), L"%.*g", digits, value);
        text.assign(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    return text;
}

void Refuse(const wchar_t* text)
{
    if (application)
        application->MessageBox(text, std::wstring(), vlapi::vlMBIconWarning, 0, 0);
}

}  // namespace

std::wstring AssemblyReader::ThicknessText(double thickness)
{
    return UnroundedText(thickness);
}

std::wstring AssemblyReader::ThicknessOutOfRange(double thickness)
{
    if (InRange(thickness))
        return {};
    return L"толщина " + UnroundedText(thickness) + L" мм вне пределов от " + uf::NumberText(dxfimport::kLeastThickness) +
           L" до " + uf::NumberText(dxfimport::kMostThickness) + L" мм";
}

void AssemblyReader::Init(std::wstring pathAssembly, std::wstring pathOutFolder)
{
    m_pathAssembly = std::move(pathAssembly);
    m_pathOutFolder = std::move(pathOutFolder);
    m_model = CreateNestingModelInstance();
}

void AssemblyReader::ReadContoursFromAssembly()
{
    m_metaDatum.clear();
    m_dataTree.clear();
    OpenedDocument doc(m_pathAssembly);
    if (!doc.Get())
        return;  // the host has said why
    // A part's own file, or an assembly of nothing, gives no parts: said so,
    // rather than an import that does nothing.
    if (doc.Get()->GetDocumentType() != vlapi::vlDocumentAssembly)
        return Refuse((L"Файл " + m_pathAssembly + L" не сборка: детали читаются из файла 3D-сборки").c_str());
    vlapi::IPartPtr top = doc.Get()->GetTopPart();
    if (!top)
        return Refuse((L"В сборке " + m_pathAssembly + L" нет деталей").c_str());
    m_nameAssembly = top->GetName();
    std::vector<vlapi::IPartPtr> parts{top};
    vrnApi::GetPartsFromAssembly(top, false, parts);

    for (const vlapi::IPartPtr& part : parts) {
        vlapi::IFeaturePtr feature{part};
        if (!feature)
            continue;
        if (m_model)
            m_model->CreateProgressIndicator();
        const vlapi::BodyList bodies = feature->GetResultBodies();
        auto sheetMetal = SheetMetalOfBodies(part);
        size_t counter = 0;
        for (const vlapi::IBodyPtr& body : bodies) {
            if (!body)
                continue;
            SheetMetal& metal = sheetMetal[body->GetId()];
            const double thickness = metal.thickness;
            const std::vector<BendParam>& params = metal.params;
            ImportPartMetaData record;
            record.name = Cleaned(part->GetName());
            record.mark = part->GetDesignation();
            // The material as the model gives it ("Ст3сп/пс"), which sheets are
            // matched by; only the folder named after it is cleaned.
            record.material = part->GetMaterial();
            record.thickness = thickness;
            record.path3D = part->GetFileName();
            if (!params.empty()) {
                record.unfolded = params.front().unfold;
                // A sheet out of the range is named with its thickness when
                // the fragments are written; its pattern is kept for an edit.
                UnbendSheetBody(body, record.name, params, thickness, record.curves, record.bends, InRange(thickness));
            }
            m_metaDatum.push_back(std::move(record));
            ++counter;
            if (m_model)
                m_model->SetProgressIndicator(static_cast<double>(counter) * 100.0 / static_cast<double>(bodies.size()));
        }
        if (m_model)
            m_model->DeleteProgressIndicator();
    }
    if (m_metaDatum.empty())
        return Refuse((L"В сборке " + m_pathAssembly + L" нет деталей").c_str());

    for (const ImportPartMetaData& record : m_metaDatum)
        FileRecord(m_dataTree, record);
    SortTree();
    UpdateImportPartMetaDatum();
}

void AssemblyReader::SortTree()
{
    std::stable_sort(m_dataTree.begin(), m_dataTree.end(),
                     [](const NodeMaterial& a, const NodeMaterial& b) { return a.name < b.name; });
    for (NodeMaterial& material : m_dataTree) {
        material.SortByThickness();
        for (NodeThickness& node : material.nodes)
            node.SortByName();
    }
}

void AssemblyReader::Refile(int32_t row)
{
    int32_t index = 0;
    for (auto material = m_dataTree.begin(); material != m_dataTree.end(); ++material) {
        for (auto node = material->nodes.begin(); node != material->nodes.end(); ++node) {
            if (row >= index + static_cast<int32_t>(node->datum.size())) {
                index += static_cast<int32_t>(node->datum.size());
                continue;
            }
            const auto at = node->datum.begin() + (row - index);
            const ImportPartMetaData record = *at;
            node->datum.erase(at);
            if (node->datum.empty())
                material->nodes.erase(node);
            if (material->nodes.empty())
                m_dataTree.erase(material);
            FileRecord(m_dataTree, record);
            SortTree();
            return;
        }
    }
}

void AssemblyReader::ImportFromDXF(std::vector<FileMetaParams>& fileParams, std::wstring)
{
    if (!m_model)
        return;
    vrnApi::ScopedSwitch access(&vrnApi::EnableUserAccess, false);
    m_model->ImportFiguresFromDXF(fileParams, m_pathOutFolder, ScriptMetaParams{});
}

void AssemblyReader::UpdateImportPartMetaDatum()
{
    m_metaDatum.clear();
    for (const NodeMaterial& material : m_dataTree) {
        for (const NodeThickness& node : material.nodes)
            m_metaDatum.insert(m_metaDatum.end(), node.datum.begin(), node.datum.end());
    }
}

ImportPartMetaData* AssemblyReader::GetImportPartMetaData(int32_t row)
{
    if (row < 0)
        return nullptr;
    int32_t index = 0;
    for (NodeMaterial& material : m_dataTree) {
        for (NodeThickness& node : material.nodes) {
            for (ImportPartMetaData& record : node.datum) {
                if (index++ == row)
                    return &record;
            }
        }
    }
    return nullptr;
}

void AssemblyReader::SetDataName(int32_t row, std::wstring text)
{
    if (ImportPartMetaData* record = GetImportPartMetaData(row)) {
        record->name = std::move(text);
        UpdateImportPartMetaDatum();
    }
}

void AssemblyReader::SetDataMark(int32_t row, std::wstring text)
{
    if (ImportPartMetaData* record = GetImportPartMetaData(row)) {
        record->mark = std::move(text);
        UpdateImportPartMetaDatum();
    }
}

void AssemblyReader::SetDataMaterial(int32_t row, std::wstring text)
{
    if (ImportPartMetaData* record = GetImportPartMetaData(row)) {
        record->material = std::move(text);
        Refile(row);
        UpdateImportPartMetaDatum();
    }
}

void AssemblyReader::SetDatathickness(int32_t row, std::wstring text)
{
    ImportPartMetaData* record = GetImportPartMetaData(row);
    if (!record)
        return;
    const std::optional<double> value = numbertext::LeadingDouble(text);
    if (!value || !InRange(*value))
        return Refuse(kThicknessRefused);
    record->thickness = *value;
    Refile(row);
    UpdateImportPartMetaDatum();
}

void AssemblyReader::SetDataCount(int32_t row, std::wstring text)
{
    ImportPartMetaData* record = GetImportPartMetaData(row);
    if (!record)
        return;
    const std::optional<int64_t> value = numbertext::LeadingInteger(text);
    // No more pieces than loading the part file takes.
    if (!value || *value < 1 || *value > dxfimport::kMostCount)
        return Refuse((kCountRefused + std::to_wstring(dxfimport::kMostCount)).c_str());
    record->count = static_cast<int32_t>(*value);
    UpdateImportPartMetaDatum();
}

void AssemblyReader::ReadContoursFromPart(ImportPartMetaData& data)
{
    data.curves.clear();
    data.bends.clear();
    OpenedDocument doc(data.path3D);
    if (!doc.Get())
        return;
    vlapi::IPartPtr part = doc.Get()->GetTopPart();
    vlapi::IFeaturePtr feature{part};
    if (!feature)
        return;
    auto sheetMetal = SheetMetalOfBodies(part);
    for (const vlapi::IBodyPtr& body : feature->GetResultBodies()) {
        if (!body)
            continue;
        const SheetMetal& metal = sheetMetal[body->GetId()];
        const double thickness = metal.thickness;
        const std::vector<BendParam>& params = metal.params;
        if (!params.empty())
            UnbendSheetBody(body, data.name, params, thickness, data.curves, data.bends, InRange(thickness));
    }
}
