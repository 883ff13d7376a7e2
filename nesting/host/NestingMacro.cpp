// The macro wrapper: construction, identity, life and the library's stamp.
#include "host/NestingMacro.h"
#include "host/NestingResources.h"

#include "host/HostAccess.h"
#include "host/VarnelAPI.h"

namespace {


vlapi::IUserParametersPtr UserParameters(const vlapi::IMacroObjectPtr& macro)
{
    return vlapi::IUserParametersPtr(macro);
}

// The editing settings of a library macro: both permissions, edit mode off.
void SetEditing(vlapi::IMacroObject& macro, bool editable)
{
    macro.SetEditable(editable);
    macro.SetEditMode(false);
    macro.SetHotPointsEditable(editable);
}

}  // namespace

NMacroObject::NMacroObject(vlapi::IMacroObjectPtr macro) : m_macro(std::move(macro))
{
    if (m_macro)
        m_view = m_macro->GetView();
}

NMacroObject::~NMacroObject()
{
    m_view.reset();
    m_macro.reset();
}

INestingMacroObjectPtr NMacroObject::Create(vlapi::IMacroObjectPtr macro)
{
    return std::make_shared<NMacroObject>(std::move(macro));
}

INestingMacroObjectPtr NMacroObject::Create(reference ref)
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!doc)
        return {};
    return Create(vlapi::IMacroObjectPtr(hostAccess::ObjectOf(doc, ref)));
}

MacroCommand NMacroObject::GetCommand() const
{
    vlapi::IUserParametersPtr params = UserParameters(m_macro);
    return params ? static_cast<MacroCommand>(params->GetCommand()) : MacroCommand::Undefined;
}

reference NMacroObject::GetReference() const
{
    return m_macro ? hostAccess::ReferenceOf(m_macro) : 0;
}

std::wstring NMacroObject::GetName() const
{
    return m_macro ? m_macro->GetName() : std::wstring{};
}

void NMacroObject::SetName(std::wstring name)
{
    if (!m_macro)
        return;
    m_macro->SetName(name);
    m_macro->Update();
}

void NMacroObject::DestroyMacro()
{
    vlapi::IVarnelDocument2DPtr doc = vrnApi::GetActiveDocument2D();
    if (!doc)
        return;
    doc->DestroyMacroObjects(hostAccess::ListOf(m_macro));
    m_macro.reset();
}

void NMacroObject::DeleteMacro()
{
    if (!m_macro)
        return;
    m_macro->Delete();
    m_macro.reset();
}

void NMacroObject::CancelEditMode()
{
    if (!m_macro)
        return;
    if (UserParameters(m_macro))
        m_macro->SetEditMode(false);
    m_macro->Update();
}

bool SetMacroParams(vlapi::IMacroObjectPtr macro, std::wstring name, int command,
                    const std::vector<vlapi::IDrawingObjectPtr>& objs)
{
    vlapi::IUserParametersPtr params = UserParameters(macro);
    const std::wstring libraryId = vrnApi::LoadStr(IDS_LIBID);
    // A stamp without the library id text could never be told from a foreign macro.
    if (!params || libraryId.empty())
        return false;
    vlapi::APIObjectList members;
    for (const vlapi::IDrawingObjectPtr& obj : objs)
        members.emplace_back(obj);

    macro->SetName(name);
    params->SetCommand(command);
    params->SetLibraryId(libraryId);
    params->SetModuleName(vrnApi::GetFileNameModule());
    SetEditing(*macro.get(), true);
    macro->SetDrawOrder(-1);
    macro->SetCopyMode(1);
    macro->SetExplodeMode(1);
    macro->Update();
    return members.empty() || macro->AddObjects(members);
}

bool CheckLibraryStamp(const vlapi::IMacroObjectPtr& macro, MacroCommand command)
{
    vlapi::IUserParametersPtr params = UserParameters(macro);
    if (!params)
        return false;
    const std::wstring libraryId = vrnApi::LoadStr(IDS_LIBID);
    // Without the resource text every macro of the right number would pass.
    if (libraryId.empty() || params->GetLibraryId() != libraryId)
        return false;
    return params->GetCommand() == static_cast<int>(command);
}

bool NMacroObject::CheckMacroLibraryNameAndCommand(MacroCommand command)
{
    if (!CheckLibraryStamp(m_macro, command))
        return false;
    CancelEditMode();
    return true;
}

void NMacroObject::ForbidEditable()
{
    vlapi::IUserParametersPtr params = UserParameters(m_macro);
    if (!params)
        return;
    params->SetCommand(-1);
    params->SetLibraryId(L"");
    params->SetModuleName(L"");
    SetEditing(*m_macro.get(), false);
    m_macro->Update();
}

void NMacroObject::SaveMacroParams(const std::vector<uint8_t>& params)
{
    vlapi::IUserParametersPtr user = UserParameters(m_macro);
    if (user)
        user->SetUserData(params);
}

void NMacroObject::LoadMacroParams(std::vector<uint8_t>& params)
{
    vlapi::IUserParametersPtr user = UserParameters(m_macro);
    if (user)
        params = user->GetUserData();
}
