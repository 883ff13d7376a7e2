// Puts back the process-wide size and material of new sheets, which tests
// change, when the test ends.
#pragma once

#include "model/NestingModel.h"

#include <string>

class SavedSheetStatics {
public:
    SavedSheetStatics() = default;
    SavedSheetStatics(const SavedSheetStatics&) = delete;
    SavedSheetStatics& operator=(const SavedSheetStatics&) = delete;
    ~SavedSheetStatics()
    {
        NestingModel::m_widthSheet = m_width;
        NestingModel::m_heightSheet = m_height;
        NestingModel::m_materialSheet = m_material;
    }

private:
    double m_width = NestingModel::m_widthSheet;
    double m_height = NestingModel::m_heightSheet;
    std::wstring m_material = NestingModel::m_materialSheet;
};
