#include "shell/HotPoint.h"

#include "api/NAPIBase.h"
#include "host/VarnelAPI.h"
#include "host/WorkingDrawing.h"
#include "shell/BaseProcess.h"
#include "shell/Events.h"

namespace napi {

template <>
struct InterfaceTraits<vlapi::IHotPointObject> {
    using Base = vlapi::IAPIObject;
    static constexpr vlapi::IAPIObjectIID iid = vlapi::IID_IHotPointObject;
};

}  // namespace napi

namespace {

class HPObj : public napi::RefCounted<vlapi::IHotPointObject> {
public:
    HPObj(std::unique_ptr<HP_NObject> editor, vlapi::IVarnelDocument2DPtr drawing)
        : m_editor(std::move(editor)), m_drawing(std::move(drawing))
    {
    }

    bool Get(int index, vlapi::HotPoint& hotPoint) override
    {
        return napi::Guarded(false, [&] {
            HotPoint point{hotPoint.x, hotPoint.y, hotPoint.text, hotPoint.cursorId};
            if (!m_editor->GetHotPoints(point, index))
                return false;
            hotPoint = {point.x, point.y, point.text, point.cursorId};
            return true;
        });
    }

    bool Set(int index, double x, double y) override
    {
        return napi::Guarded(false, [&] {
            if (Refused())
                return false;
            HotPoint point{x, y, L"", 0};
            return m_editor->SetHotPoint(point, index);
        });
    }

    std::wstring GetCursorText(int index) override
    {
        return napi::Guarded(std::wstring(), [&] { return m_editor->GetCursorText(index); });
    }

    vlapi::IAPIObjectPtr GetMenu(int index) override
    {
        return napi::Guarded(vlapi::IAPIObjectPtr(), [&] { return m_editor->GetMenu(index); });
    }

    // The sinks are suspended for the drag: its moves are the editor's, not
    // the user's edits. The editor keeps where its object stood.
    bool BeginDrag(int index) override
    {
        napi::Guarded([&] {
            m_refused = false;
            if (Refused())
                return;
            if (!m_dragging) {
                m_dragging = true;
                SuspendDocumentEvents();
            }
            m_editor->BeginDrag(index);
        });
        return true;
    }

    // The edit completed (a cancelled drag, or one refused on its way, puts
    // the object back in its own drawing), then the sinks resumed, on every path.
    bool EndDrag(int index, bool success) override
    {
        napi::Guarded([&] {
            if (!m_refused) {
                m_editor->EditComplete(index, success);
            } else if (m_dragging && vrnApi::IsOpenDocument(m_drawing)) {
                vrnApi::WorkingDrawing own(m_drawing);
                m_editor->EditComplete(index, false);
            }
        });
        napi::Guarded([&] { EndSuspension(); });
        m_refused = false;
        return true;
    }

private:
    // Whether the drag is refused: the user drags in another drawing than
    // the object's, in that drawing's coordinates. Said once per drag.
    bool Refused()
    {
        if (m_refused)
            return true;
        const vlapi::IVarnelDocumentPtr elsewhere = vrnApi::OtherActiveDocument(m_drawing);
        if (!elsewhere)
            return false;
        m_refused = true;
        const NObjectPtr& object = m_editor->m_object;
        const std::wstring name = object && object->m_macro ? object->m_macro->GetName() : std::wstring();
        vrnApi::ShowWarningText(L"Перетаскивание в чертеже «" + vrnApi::DocumentTitle(elsewhere) +
                                L"» не принято: объект «" + name + L"» стоит в чертеже «" +
                                vrnApi::DocumentTitle(m_drawing) + L"»");
        return true;
    }

    ~HPObj() override { napi::Guarded([&] { EndSuspension(); }); }

    void EndSuspension()
    {
        if (!m_dragging)
            return;
        m_dragging = false;
        ResumeDocumentEvents();
        if (application)
            CreateDocumentEvents(application->GetActiveDocument());
    }

    std::unique_ptr<HP_NObject> m_editor;
    vlapi::IVarnelDocument2DPtr m_drawing;  // the object's
    bool m_dragging = false;
    bool m_refused = false;
};

}  // namespace

std::unique_ptr<HP_NObject> CreateHP_NObject(const vlapi::IVarnelAPIObjectPtr& object)
{
    if (BaseProcess::CommandRuns())
        return nullptr;
    const INestingMacroObjectPtr macro = vrnApi::CreateMacroByObject(object);
    if (!macro)
        return nullptr;
    std::unique_ptr<HP_NObject> editor;
    if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Figure))
        editor = std::make_unique<HP_Figure>(macro);
    else if (macro->CheckMacroLibraryNameAndCommand(MacroCommand::Bridge))
        editor = std::make_unique<HP_Jumper>(macro);
    else
        return nullptr;
    editor->Init();
    return editor;
}

vlapi::IHotPointObjectPtr CreateHPObj(const vlapi::IVarnelAPIObjectPtr& object)
{
    std::unique_ptr<HP_NObject> editor = CreateHP_NObject(object);
    if (!editor)
        return nullptr;
    // The host asks for the hot points of an object of the active drawing.
    return napi::Make<vlapi::IHotPointObjectPtr, HPObj>(std::move(editor), vrnApi::GetActiveDocument2D());
}
