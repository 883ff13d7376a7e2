#include "shell/Events.h"

#include "api/NAPIBase.h"
#include "engine/CommandsWithoutPanel.h"
#include "host/HostAccess.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "model/BridgeAnchors.h"
#include "shell/BaseProcess.h"

#include <algorithm>
#include <functional>

std::vector<DocumentEventsPtr> documentEvents;

namespace {

int suspensions = 0;

constexpr int kPlaceSelectedFigures = 300;

// Virtual-key codes of the modifiers.
constexpr int kControlKey = 17;
constexpr int kAltKey = 18;

// What a key does to the selected figure: a slide, or a turn by `angle`.
struct KeyAction {
    int code;
    NestingMode mode;
    double angle;  // degrees; 0 for a slide
};

constexpr KeyAction kKeys[] = {
    {37, NestingMode::OffsetLeft, 0.0},   // left arrow
    {65, NestingMode::OffsetLeft, 0.0},   // A
    {38, NestingMode::OffsetUp, 0.0},     // up arrow
    {87, NestingMode::OffsetUp, 0.0},     // W
    {39, NestingMode::OffsetRight, 0.0},  // right arrow
    {68, NestingMode::OffsetRight, 0.0},  // D
    {40, NestingMode::OffsetDown, 0.0},   // down arrow
    {83, NestingMode::OffsetDown, 0.0},   // S
    {76, NestingMode::AutoForOne, -90.0}, // L
    {82, NestingMode::AutoForOne, 90.0},  // R
};

bool IsArrow(int code)
{
    return code >= 37 && code <= 40;
}

bool Held(const vlapi::IPressedKeysPtr& keys, int code)
{
    return keys ? keys->IsKeyDown(code) : vrnApi::IsKeyDown(static_cast<uint8_t>(code));
}

bool SameDocument(const vlapi::IVarnelDocument2DPtr& a, const vlapi::IVarnelDocument2DPtr& b)
{
    return a && b && vlapi::IAPIObjectPtr(a) == vlapi::IAPIObjectPtr(b);
}

// A callback that reaches its sink only while the sink lives, and keeps it
// alive until the callback returns.
template <class R, class... Args>
std::function<R(Args...)> Weakly(const DocumentEventsPtr& sink, R fallback, R (DocumentEvents::*member)(Args...))
{
    std::weak_ptr<DocumentEvents> weak = sink;
    return [weak, fallback, member](Args... args) -> R {
        const DocumentEventsPtr self = weak.lock();
        if (!self)
            return fallback;
        return napi::Guarded(fallback, [&] { return ((*self).*member)(args...); });
    };
}

}  // namespace

// ---- DocumentEvents

DocumentEvents::DocumentEvents(vlapi::IVarnelDocument2DPtr doc) : m_doc(std::move(doc)) {}

// Releases the event source, then the drawing; unsubscribes nothing.
DocumentEvents::~DocumentEvents() = default;

void DocumentEvents::Advise()
{
    if (!m_doc)
        return;
    if (!DocumentEventsSuspended())
        AdviseObjects();
    if (vlapi::IVarnelDocumentEventsPtr events = m_doc->GetDocumentEvents()) {
        std::weak_ptr<DocumentEvents> weak = shared_from_this();
        events->OnCloseDocument(handlerProcessOwner, [weak] {
            if (const DocumentEventsPtr sink = weak.lock())
                napi::Guarded([&] { sink->OnCloseDocument(); });
        });
    }
}

void DocumentEvents::AdviseObjects()
{
    const DocumentEventsPtr self = shared_from_this();
    m_objectEvents = m_doc->GetDrawingObjectEvents(handlerObjectOwner);
    if (m_objectEvents) {
        m_objectEvents->SetTypes({vlapi::vlDrMacro});
        m_objectEvents->OnObjectsMoved(Weakly(self, true, &DocumentEvents::OnMoveObject));
        m_objectEvents->OnObjectsRotated(Weakly(self, true, &DocumentEvents::OnRotateObject));
        m_objectEvents->OnObjectsCopied(Weakly(self, true, &DocumentEvents::OnCopyObject));
    }
}

void DocumentEvents::UnAdvise()
{
    Suspend();
    if (!m_doc)
        return;
    if (vlapi::IVarnelDocumentEventsPtr events = m_doc->GetDocumentEvents())
        events->RemoveHandlers(handlerProcessOwner);
}

void DocumentEvents::Suspend()
{
    if (m_objectEvents) {
        m_objectEvents->RemoveHandlers();
        m_objectEvents = nullptr;
    }
}

void DocumentEvents::Resume()
{
    if (m_doc && !m_objectEvents)
        AdviseObjects();
}

bool DocumentEvents::CheckObjects(const vlapi::DrawingObjectList& objects)
{
    const std::wstring library = vrnApi::LoadStr(IDS_LIBID);
    return std::all_of(objects.begin(), objects.end(), [&](const vlapi::IDrawingObjectPtr& object) {
        const vlapi::IUserParametersPtr user(object);
        return user && user->GetLibraryId() == library;
    });
}

bool DocumentEvents::AskForPlacement(const vlapi::DrawingObjectList& objects)
{
    if (!LibraryEdit::Active() && CheckObjects(objects))
        vrnApi::RunLibraryCommand(kPlaceSelectedFigures);
    return true;
}

bool DocumentEvents::OnMoveObject(const vlapi::DrawingObjectList& objects)
{
    return AskForPlacement(objects);
}

bool DocumentEvents::OnRotateObject(const vlapi::DrawingObjectList& objects)
{
    return AskForPlacement(objects);
}

// The host reports the copies; its selection still holds what was copied.
// The copies become the selection, so that command 300 places them and the
// originals stay where they stand.
bool DocumentEvents::OnCopyObject(const vlapi::DrawingObjectList& objects)
{
    if (LibraryEdit::Active())
        return true;
    std::vector<INestingMacroObjectPtr> copies;
    for (const vlapi::IDrawingObjectPtr& object : objects) {
        if (INestingMacroObjectPtr macro = vrnApi::CreateMacroByReference(hostAccess::ReferenceOf(object)))
            copies.push_back(std::move(macro));
    }
    OwnCopiedBridges(copies);
    if (!objects.empty() && CheckObjects(objects)) {
        if (vlapi::ISelectionManagerPtr selection = m_doc->GetSelectionManager()) {
            selection->UnselectAll();
            selection->Select(vlapi::APIObjectList(objects.begin(), objects.end()));
        }
    }
    return AskForPlacement(objects);
}

void DocumentEvents::OnCloseDocument()
{
    UnAdvise();
    auto it = std::find_if(documentEvents.begin(), documentEvents.end(),
                           [this](const DocumentEventsPtr& sink) { return sink.get() == this; });
    if (it != documentEvents.end())
        documentEvents.erase(it);
}

// ---- The list of sinks

void CreateDocumentEvents(const vlapi::IVarnelDocumentPtr& doc)
{
    const vlapi::IVarnelDocument2DPtr drawing(doc);
    if (!drawing || drawing->GetDocumentType() != vlapi::vlDocumentDrawing)
        return;
    const bool subscribed = std::any_of(documentEvents.begin(), documentEvents.end(), [&](const DocumentEventsPtr& sink) {
        return SameDocument(sink->Document(), drawing);
    });
    if (subscribed)
        return;
    auto sink = std::make_shared<DocumentEvents>(drawing);
    sink->Advise();
    documentEvents.push_back(std::move(sink));
}

void RemoveDocumentEvents()
{
    // Taken out first: unsubscribing calls the host, which may call back.
    std::vector<DocumentEventsPtr> sinks;
    sinks.swap(documentEvents);
    suspensions = 0;
    for (const DocumentEventsPtr& sink : sinks)
        sink->UnAdvise();
}

void SuspendDocumentEvents()
{
    if (suspensions++ > 0)
        return;
    // A copy: the host may call back into the list.
    const std::vector<DocumentEventsPtr> sinks = documentEvents;
    for (const DocumentEventsPtr& sink : sinks)
        sink->Suspend();
}

void ResumeDocumentEvents()
{
    if (suspensions == 0 || --suspensions > 0)
        return;
    const std::vector<DocumentEventsPtr> sinks = documentEvents;
    for (const DocumentEventsPtr& sink : sinks)
        sink->Resume();
}

bool DocumentEventsSuspended()
{
    return suspensions > 0;
}

void HoldDocumentEvents(bool held)
{
    if (held)
        SuspendDocumentEvents();
    else
        ResumeDocumentEvents();
}

// ---- Application handlers

void OnCreateDocument(const vlapi::IVarnelDocumentPtr& doc)
{
    CreateDocumentEvents(doc);
}

void OnOpenDocument(const vlapi::IVarnelDocumentPtr& doc)
{
    CreateDocumentEvents(doc);
    // A drawing of an earlier version: its bridges learn their owners.
    const vlapi::IVarnelDocument2DPtr drawing(doc);
    if (drawing && drawing->GetDocumentType() == vlapi::vlDocumentDrawing &&
        SameDocument(drawing, vrnApi::GetActiveDocument2D())) {
        LibraryEdit edit;
        MarkBridgeOwners();
    }
}

bool OnBeginCloseAllDocument()
{
    return true;
}

void OnApplicationDestroy()
{
    // Quitting closes the drawings: a command still running ends as a cancel.
    BaseProcess::AbandonCurrent();
}

bool OnKeyDown(int& keyCode, int, const vlapi::IPressedKeysPtr& pressedKeys)
{
    const int code = keyCode;
    const auto* action = std::find_if(std::begin(kKeys), std::end(kKeys), [code](const KeyAction& a) { return a.code == code; });
    if (action == std::end(kKeys) || BaseProcess::CommandRuns())
        return true;
    if (!IsArrow(code) && (Held(pressedKeys, kControlKey) || Held(pressedKeys, kAltKey)))
        return true;
    LibraryEdit edit;
    if (action->angle != 0.0)
        RotateFigure(action->angle);
    else
        OffsetFigure(action->mode);
    return true;
}

bool OnKeyUp(int&, int, const vlapi::IPressedKeysPtr&)
{
    return true;
}

void CreateApplicationEvents()
{
    vlapi::IApplicationEventsPtr events = application ? application->GetApplicationEvents() : nullptr;
    if (!events)
        return;
    events->OnCreateDocument(handlerApplicationOwner, [](const vlapi::IVarnelDocumentPtr& doc) {
        napi::Guarded([&] { OnCreateDocument(doc); });
    });
    events->OnOpenDocument(handlerApplicationOwner, [](const vlapi::IVarnelDocumentPtr& doc) {
        napi::Guarded([&] { OnOpenDocument(doc); });
    });
    events->OnBeginCloseAllDocument(handlerApplicationOwner, [] { return OnBeginCloseAllDocument(); });
    events->OnApplicationDestroy(handlerApplicationOwner, [] { napi::Guarded([] { OnApplicationDestroy(); }); });
    events->OnKeyDown(handlerApplicationOwner, [](int& keyCode, int keyFlags, const vlapi::IPressedKeysPtr& keys) {
        return napi::Guarded(true, [&] { return OnKeyDown(keyCode, keyFlags, keys); });
    });
    events->OnKeyUp(handlerApplicationOwner, [](int& keyCode, int keyFlags, const vlapi::IPressedKeysPtr& keys) {
        return napi::Guarded(true, [&] { return OnKeyUp(keyCode, keyFlags, keys); });
    });
}

void RemoveApplicationEvents()
{
    if (vlapi::IApplicationEventsPtr events = application ? application->GetApplicationEvents() : nullptr)
        events->RemoveHandlers(handlerApplicationOwner);
}
