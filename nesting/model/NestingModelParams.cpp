// The model's parameters: where a model starts them (the defaults or the
// session copy), and the model block written into every sheet macro and read
// back from the first one, with the sheet material as a document property.
#include "model/NestingModel.h"

#include "host/VarnelAPI.h"

void NestingModel::Init() {
    if (m_session) {
        SetParams(copyParams);
    } else {
        InitModelParams();
    }
}

void NestingModel::SetParams(const ModelParams& params) { static_cast<ModelParams&>(*this) = params; }

void NestingModel::SaveSession() {
    copyParams = GetParams();
    m_session = true;
}

void NestingModel::SaveParams() {
    ByteBlock block;
    size_t offset = 0;
    SaveModelParams(block, offset);
    for (const SheetPtr& sheet : m_sheets) {
        if (sheet->m_macro) {
            sheet->m_macro->SaveMacroParams(block);
        }
        sheet->SaveParams();
    }
    vrnApi::SetMaterialPropertyToDocument(m_materialSheet);
}

void NestingModel::LoadParams() {
    if (m_sheets.empty()) {
        return;
    }
    const Sheet& first = *m_sheets.front();
    // A sheet whose outline could not be read has no size to give.
    if (first.m_polygon) {
        m_widthSheet = first.GetWidth();
        m_heightSheet = first.GetHeight();
    }
    if (first.m_macro) {
        ByteBlock block;
        first.m_macro->LoadMacroParams(block);
        // A block that is missing, short or corrupt leaves the parameters as they are.
        size_t offset = 0;
        LoadModelParams(block, offset);
    }
    m_materialSheet = vrnApi::GetMaterialPropertyFromDocument();
    for (const SheetPtr& sheet : m_sheets) {
        sheet->LoadParams();
    }
}
