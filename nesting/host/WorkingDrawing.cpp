#include "host/WorkingDrawing.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

namespace vrnApi {
namespace {

constexpr wchar_t kDrawingClosed[] = L"Чертёж, в котором работала команда, закрыт: работа прервана.";

vlapi::IVarnelDocument2DPtr s_work;
int s_depth = 0;
// The document the user made active while a scope held the activation; it is
// active again when the outermost scope ends.
vlapi::IVarnelDocumentPtr s_userChoice;
// The work of the outermost scope was cancelled.
bool s_cancelled = false;

vlapi::IVarnelDocumentPtr Active()
{
    return application ? application->GetActiveDocument() : nullptr;
}

bool Same(const vlapi::IVarnelDocumentPtr& a, const vlapi::IVarnelDocumentPtr& b)
{
    return a && b && hostAccess::SameObject(a, b);
}

// Makes `work` active again when `active` is another document, which the
// user chose (kept for the end of the outermost scope).
void TakeActivation(const vlapi::IVarnelDocumentPtr& work, const vlapi::IVarnelDocumentPtr& active)
{
    if (!work || Same(work, active))
        return;
    if (active && s_depth > 0)
        s_userChoice = active;
    work->Activate();
}

}  // namespace

bool IsOpenDocument(const vlapi::IVarnelDocumentPtr& doc)
{
    vlapi::IDocumentsPtr documents = doc && application ? application->GetDocuments() : nullptr;
    if (!documents)
        return false;
    for (int i = 0; i < documents->GetCount(); ++i) {
        if (Same(documents->GetItem(i), doc))
            return true;
    }
    return false;
}

vlapi::IVarnelDocumentPtr OtherActiveDocument(const vlapi::IVarnelDocumentPtr& doc)
{
    vlapi::IVarnelDocumentPtr active = Active();
    // A 3D document shows the drawing of the sketch it edits as its own.
    if (!active || !doc || Same(active, doc) || Same(vlapi::IVarnelDocument2DPtr(active), doc))
        return nullptr;
    return active;
}

std::wstring DocumentTitle(const vlapi::IVarnelDocumentPtr& doc)
{
    if (!doc)
        return {};
    const std::wstring title = doc->GetTitle();
    return title.empty() ? doc->GetPathName() : title;
}

WorkingDrawing::WorkingDrawing(vlapi::IVarnelDocument2DPtr doc) : m_outer(s_work)
{
    ++s_depth;
    if (!doc)
        return;
    s_work = std::move(doc);
    if (IsOpenDocument(s_work))
        TakeActivation(s_work, Active());
}

WorkingDrawing::~WorkingDrawing()
{
    const vlapi::IVarnelDocument2DPtr work = s_work;
    s_work = m_outer;
    if (--s_depth > 0)
        return;
    s_cancelled = false;
    const vlapi::IVarnelDocumentPtr choice = s_userChoice;
    s_userChoice = nullptr;
    // Only while the drawing worked on is still the active one: a document
    // the work itself opened and left active stays so.
    if (choice && IsOpenDocument(choice) && Same(Active(), work))
        choice->Activate();
}

vlapi::IVarnelDocument2DPtr WorkingDrawing::Current()
{
    return s_work;
}

bool ProcessPendingEvents()
{
    if (!application)
        return true;
    const vlapi::IVarnelDocumentPtr work = s_work ? vlapi::IVarnelDocumentPtr(s_work) : Active();
    application->ProcessPendingEvents();
    if (!work)
        return !s_cancelled;
    if (!IsOpenDocument(work)) {
        ShowErrorText(kDrawingClosed);
        return false;
    }
    TakeActivation(work, Active());
    return !s_cancelled;
}

void CancelWork()
{
    if (s_depth > 0)
        s_cancelled = true;
}

}  // namespace vrnApi
