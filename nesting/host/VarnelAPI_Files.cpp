// Drawing files opened for reading, the curves of a drawing file, the
// components of a 3D assembly, and drawing objects carried between documents
// through the host clipboard.
#include "host/VarnelAPI_Detail.h"
#include "host/NestingResources.h"

#include <cmath>
#include <filesystem>
#include <limits>

namespace vrnApi {
namespace {

// Deeper nesting than this is taken for a loop in the assembly tree.
constexpr int kMaxAssemblyDepth = 64;

// Makes a drawing file the active document while it is read: the reading
// takes what it reads from the active document. At the end of the scope the
// document is closed again unless it was open before, in which case the
// document that was active before becomes active again.
class ReadingScope {
public:
    ReadingScope(vlapi::IVarnelDocument2DPtr doc, bool wasOpen)
        : m_doc(std::move(doc)), m_previous(application->GetActiveDocument()), m_wasOpen(wasOpen)
    {
        m_doc->Activate();
    }
    ~ReadingScope()
    {
        if (!m_wasOpen)
            m_doc->Close(0);
        else if (m_previous && !hostAccess::SameObject(m_previous, m_doc))
            m_previous->Activate();
    }
    ReadingScope(const ReadingScope&) = delete;
    ReadingScope& operator=(const ReadingScope&) = delete;

private:
    vlapi::IVarnelDocument2DPtr m_doc;
    vlapi::IVarnelDocumentPtr m_previous;
    bool m_wasOpen;
};

// Puts `objects` on the clipboard through a temporary group of `doc`; false
// when no group was made.
bool CopyToClipboard(const vlapi::IVarnelDocument2DPtr& doc, const vlapi::DrawingObjectList& objects)
{
    vlapi::IDrawingGroupsPtr groups = doc ? doc->GetDrawingGroups() : nullptr;
    vlapi::IDrawingGroupPtr group = groups ? groups->Add(true, L"") : nullptr;
    if (!group)
        return false;
    {
        hostAccess::OpenGroup open(group);
        group->AddObjects(vlapi::APIObjectList(objects.begin(), objects.end()));
    }
    group->CopyToClipboard(0, 0);
    hostAccess::ReleaseGroup(group);
    return true;
}

// The number of copies a part file asks for, truncated: at least one (also
// for a missing or unreadable value), at most what an int32_t holds.
int32_t CopyCount(double stored)
{
    if (!(stored >= 1.0))
        return 1;
    constexpr double kLargest = std::numeric_limits<int32_t>::max();
    return stored < kLargest ? static_cast<int32_t>(stored) : std::numeric_limits<int32_t>::max();
}

void ReadPartData(FileMetaParams& par)
{
    par.m_count = CopyCount(GetPropertyFromDocument(LoadStr(IDS_COPY_COUNT)));
    par.m_thickness = GetPropertyFromDocument(LoadStr(IDS_THICKNESS));
    par.m_material = GetMaterialPropertyFromDocument();
    // A file without the property (not from DXF, or written before it was kept) gives 0.
    const double units = GetPropertyFromDocument(kFileUnitsProperty);
    par.m_fileUnits = units >= 1.0 && units <= 100.0 && units == std::floor(units) ? static_cast<int32_t>(units) : 0;
}

void CollectParts(const vlapi::IPartPtr& assembly, bool uniqueParts, std::vector<vlapi::IPartPtr>& parts, int depth)
{
    if (!assembly || depth > kMaxAssemblyDepth)
        return;
    vlapi::IPartsPtr components = assembly->GetParts();
    if (!components)
        return;
    for (const vlapi::IVarnelAPIObjectPtr& item : components->GetObjects()) {
        vlapi::IPartPtr component(item);
        if (!component)
            continue;
        parts.push_back(component);
        if (!component->IsDetail())
            CollectParts(component, uniqueParts, parts, depth + 1);
    }
}

}  // namespace

std::wstring OpenFailureText(const std::wstring& path, const std::wstring& hostReason)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file = detail::PathOf(path);
    // The host may start its reason with the file, which the message names already.
    std::wstring why = hostReason.rfind(path + L": ", 0) == 0 ? hostReason.substr(path.size() + 2) : hostReason;
    if (path.empty())
        why = L"файл не указан";
    else if (fs::is_directory(file, ec))
        why = L"это папка, а не файл";
    else if (!fs::exists(file, ec))
        why = L"файл не найден";
    else if (why.empty())
        why = L"файл повреждён или не является документом этого вида";
    return LoadStr(IDS_ERR_OPEN_FILE) + L" " + path + L": " + why;
}

vlapi::IVarnelDocument2DPtr GetVarnel2DDocument(std::wstring path, bool& visible, bool mess)
{
    if (!application || !application->GetDocuments())
        return {};
    std::wstring why;
    vlapi::IVarnelDocument2DPtr doc = detail::FindOrOpenDocument<vlapi::IVarnelDocument2DPtr>(path, visible, &why);
    if (!doc && mess)
        ShowOpenFailure(path, why);
    return doc;
}

bool ReadFileDrawing(const std::wstring& path, std::vector<NContourPtr>& contours, std::vector<std::wstring>& texts,
                     std::wstring& failure, size_t* macros)
{
    return ReadFileObjects(path, failure, [&](const vlapi::IDrawingContainerPtr& container) {
        ReadDrawing(container, contours, texts, macros);
    });
}

bool ReadFileObjects(const std::wstring& path, std::wstring& failure,
                     const std::function<void(const vlapi::IDrawingContainerPtr&)>& read)
{
    bool visible = false;
    vlapi::IVarnelDocument2DPtr doc = GetVarnel2DDocument(path, visible, false);
    if (!doc) {
        failure = OpenFailureText(path);
        return false;
    }
    ReadingScope reading(doc, visible);
    read(GetActiveDrawingContainer());
    return true;
}

void ReadDrawing(const vlapi::IDrawingContainerPtr& container, std::vector<NContourPtr>& contours,
                 std::vector<std::wstring>& texts, size_t* macros)
{
    if (!container)
        return;
    const vlapi::DrawingObjectList objects = container->GetObjects({vlapi::vlAllObj});
    std::vector<vlapi::IDrawingObjectPtr> curves;
    for (const vlapi::IDrawingObjectPtr& object : objects) {
        if (vlapi::ITextPtr text{object})
            texts.push_back(text->GetText());
        else if (object && object->IsGeometry())
            curves.push_back(object);
        else if (macros && vlapi::IMacroObjectPtr{object})
            ++*macros;
    }
    std::vector<NSegmentPtr> segments;
    ApproximateObjectsByLineSegments(curves, segments);
    CreateContinuousContours(segments, contours);
}

bool ReadFileAndWriteToClip(FileMetaParams& par, MacroLayers& layers)
{
    bool visible = false;
    vlapi::IVarnelDocument2DPtr doc = GetVarnel2DDocument(par.m_path, visible, true);
    if (!doc)
        return false;
    ReadingScope reading(doc, visible);
    bool copied = false;
    if (vlapi::IDrawingContainerPtr container = GetActiveDrawingContainer()) {
        const vlapi::DrawingObjectList objects = container->GetObjects({vlapi::vlAllObj});
        if (!objects.empty() && CopyToClipboard(doc, objects)) {
            copied = true;
            GetLayersFromView(GetActiveView(doc), layers);
        }
    }
    ReadPartData(par);
    return copied;
}

void ReadContoursFromFile(std::wstring path, std::vector<NContourPtr>& contours)
{
    std::vector<std::wstring> texts;
    std::wstring failure;
    if (!ReadFileDrawing(path, contours, texts, failure))
        ShowErrorText(failure);
}

void GetPartsFromAssembly(vlapi::IPartPtr assembly, bool uniqueParts, std::vector<vlapi::IPartPtr>& parts)
{
    CollectParts(assembly, uniqueParts, parts, 0);
}

void WriteObjectsToClip(const std::vector<vlapi::IDrawingObjectPtr>& objs)
{
    if (!objs.empty())
        CopyToClipboard(GetActiveDocument2D(), objs);
}

void ReadObjectsFromClip()
{
    vlapi::IDrawingGroupPtr group = CreateGroupInActiveDoc(true);
    if (!group)
        return;
    group->ReadFromClipboard(0, 0);
    group->Store();
    hostAccess::ReleaseGroup(group);
}

}  // namespace vrnApi
