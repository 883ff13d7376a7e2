#include "host/HostAccess.h"

namespace hostAccess {

reference ReferenceOf(vlapi::IAPIObject* object)
{
    vlapi::ITransferServicePtr transfer = GetTransferService();
    if (!transfer || !object)
        return 0;
    return transfer->GetReference(object);
}

vlapi::IAPIObjectPtr ObjectOf(const vlapi::IVarnelDocument2DPtr& doc, reference ref)
{
    vlapi::ITransferServicePtr transfer = GetTransferService();
    if (!transfer || !doc)
        return {};
    return transfer->GetObject(ref, ReferenceOf(doc));
}

std::vector<vlapi::IAPIObjectPtr> ObjectsOf(const vlapi::IVarnelDocument2DPtr& doc, const std::vector<reference>& refs)
{
    std::vector<vlapi::IAPIObjectPtr> objects(refs.size());
    vlapi::ITransferServicePtr transfer = GetTransferService();
    if (!transfer || !doc)
        return objects;
    const reference docRef = ReferenceOf(doc);
    for (size_t k = 0; k < refs.size(); ++k)
        objects[k] = transfer->GetObject(refs[k], docRef);
    return objects;
}

int EnsureLayer(const vlapi::ILayersPtr& layers, int number, const std::wstring& name)
{
    if (!layers)
        return -1;
    if (const vlapi::ILayerPtr existing = layers->FindLayer(name))
        return existing->GetNumber();
    // A number another layer of the view holds would be taken twice: the new
    // layer keeps the free one it was given. (Asked by number: a drawing read
    // from a file may make a hundred thousand layers one after another.)
    const bool taken = layers->GetLayer(number) != nullptr;
    vlapi::ILayerPtr layer = layers->Add();
    if (!layer)
        return -1;
    if (!taken)
        layer->SetNumber(number);
    layer->SetName(name);
    layer->Update();
    return layer->GetNumber();
}

void ReleaseGroup(const vlapi::IDrawingGroupPtr& group)
{
    if (!group)
        return;
    group->Clear(true);
    group->Delete();
}

vlapi::DrawingObjectList AllObjects(const vlapi::IDrawingContainerPtr& container)
{
    if (!container)
        return {};
    return container->GetObjects({vlapi::vlAllObj});
}

}  // namespace hostAccess
