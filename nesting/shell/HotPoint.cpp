#include "shell/HotPoint.h"

#include "api/NAPIBase.h"
#include "host/VarnelAPI.h"
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
    explicit HPObj(std::unique_ptr<HP_NObject> editor) : m_editor(std::move(editor)) {}

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
            if (!m_dragging) {
                m_dragging = true;
                SuspendDocumentEvents();
            }
            m_editor->BeginDrag(index);
        });
        return true;
    }

    // The edit completed (a cancelled drag puts the object back), then the
    // sinks resumed, on every path.
    bool EndDrag(int index, bool success) override
    {
        napi::Guarded([&] { m_editor->EditComplete(index, success); });
        napi::Guarded([&] { EndSuspension(); });
        return true;
    }

private:
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
    bool m_dragging = false;
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
    return napi::Make<vlapi::IHotPointObjectPtr, HPObj>(std::move(editor));
}
