// Remnants in the model: finishing a new remnant, deleting, choosing and
// showing them.
#include "model/NestingModel.h"
#include "host/NestingResources.h"

#include "host/VarnelAPI.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <optional>
#include <tuple>

namespace {


std::wstring WastesLayerName()
{
    return vrnApi::LoadStr(IDS_WASTES);
}

// Where a part stands, turned how far and mirrored or not, in hundredths of
// a millimetre and of a degree: read from the part's macro, the same numbers
// each time the drawing is read.
using Place = std::array<int64_t, 4>;

Place PlaceOf(const Figure& figure)
{
    double x = 0.0, y = 0.0, angle = 0.0;
    figure.GetPlacement(x, y, angle);
    return {std::llround(x * 100.0), std::llround(y * 100.0), std::llround(NormalizeAngle(angle) * 100.0),
            figure.m_symmetry ? 1 : 0};
}

// The count of the places, and the places hashed whatever their order.
std::pair<int32_t, uint32_t> LayoutOf(std::vector<Place> places)
{
    std::sort(places.begin(), places.end());
    uint32_t hash = 2166136261u;  // FNV-1a over the places' bytes
    for (const auto& place : places) {
        for (const int64_t value : place) {
            for (int byte = 0; byte < 8; ++byte) {
                hash ^= static_cast<uint32_t>((static_cast<uint64_t>(value) >> (8 * byte)) & 0xFFu);
                hash *= 16777619u;
            }
        }
    }
    return {static_cast<int32_t>(places.size()), hash};
}

}  // namespace

void NestingModel::InitWasteParams(WastePtr waste, SheetPtr sheet, bool transform)
{
    if (waste && sheet)
        InitWasteParams(waste, sheet, transform, PartsLayout(*sheet));
}

void NestingModel::InitWasteParams(WastePtr waste, SheetPtr sheet, bool transform, std::pair<int32_t, uint32_t> layout)
{
    if (!waste || !sheet)
        return;
    waste->m_owner = sheet;
    waste->m_ownerRef = sheet->GetReference();
    waste->m_method = m_wasteMethod;
    waste->m_thickness = m_thicknessSheet;
    waste->m_material = m_materialSheet;
    waste->InitParams(transform);
    waste->AddText(m_textSize);
    waste->UpdateSizeText(m_textSize);
    waste->m_startPoint = NPoint{0.0, 0.0};
    // What it is built for: a later change of either leaves it out of date.
    waste->m_builtWidth = sheet->GetWidth();
    waste->m_builtHeight = sheet->GetHeight();
    std::tie(waste->m_builtParts, waste->m_builtLayout) = layout;
    waste->m_builtKnown = 1;
    waste->SaveParams();
    if (sheet->m_macro)
        sheet->m_macro->SetCurrentMacroView();
    if (waste->m_macro)
        waste->m_macro->ChangeMacroLayer(vrnApi::CreateLayer(WastesLayerName(), m_wastesColor, m_wastesHide));
}

std::pair<int32_t, uint32_t> NestingModel::PartsLayout(const Sheet& sheet) const
{
    const int view = sheet.GetView();
    std::vector<Place> places;
    for (const FigurePtr& figure : m_figures) {
        if (figure && figure->GetView() == view)
            places.push_back(PlaceOf(*figure));
    }
    return LayoutOf(std::move(places));
}

std::vector<NestingModel::StaleWaste> NestingModel::StaleWastes(const std::vector<WastePtr>& wastes) const
{
    std::vector<StaleWaste> stale;
    // The parts' places and the sheets by view, each object's view asked
    // once, when a remnant first needs them.
    std::optional<std::map<int, std::vector<Place>>> places;
    std::optional<std::map<int, SheetPtr>> sheetsInView;
    std::map<const Sheet*, std::pair<int32_t, uint32_t>> layouts;  // each sheet's read once
    for (const WastePtr& waste : wastes) {
        if (!waste || waste->m_builtKnown != 1)
            continue;
        SheetPtr sheet = waste->m_owner;
        if (!sheet || std::find(m_sheets.begin(), m_sheets.end(), sheet) == m_sheets.end()) {
            if (!sheetsInView) {
                sheetsInView.emplace();
                for (const SheetPtr& s : m_sheets) {
                    if (s)
                        sheetsInView->emplace(s->GetView(), s);  // the first of a view stays
                }
            }
            const auto it = sheetsInView->find(waste->GetView());
            sheet = it == sheetsInView->end() ? nullptr : it->second;
        }
        if (!sheet)
            continue;
        constexpr double kSameSize = 1e-6;  // mm
        const bool resized = !(std::fabs(waste->m_builtWidth - sheet->GetWidth()) <= kSameSize &&
                               std::fabs(waste->m_builtHeight - sheet->GetHeight()) <= kSameSize);
        auto layout = layouts.find(sheet.get());
        if (layout == layouts.end()) {
            if (!places) {
                places.emplace();
                for (const FigurePtr& figure : m_figures) {
                    if (figure)
                        (*places)[figure->GetView()].push_back(PlaceOf(*figure));
                }
            }
            const auto inView = places->find(sheet->GetView());
            layout = layouts.emplace(sheet.get(), LayoutOf(inView == places->end() ? std::vector<Place>() : inView->second))
                         .first;
        }
        const auto [parts, hashed] = layout->second;
        if (resized || parts != waste->m_builtParts || hashed != waste->m_builtLayout)
            stale.push_back({waste, sheet, resized});
    }
    return stale;
}

void NestingModel::DelWaste(WastePtr& waste)
{
    const auto it = std::find(m_wastes.begin(), m_wastes.end(), waste);
    if (!waste || it == m_wastes.end())
        return;
    // The caller's pointer may be the list's own element: it is emptied
    // before the element is erased, so no other remnant is touched.
    const WastePtr doomed = waste;
    waste.reset();
    doomed->m_edit = false;
    doomed->Clear();
    doomed->m_owner.reset();
    m_wastes.erase(it);
}

void NestingModel::ClearWastesByMethod(bool method)
{
    std::vector<WastePtr> doomed;
    std::copy_if(m_wastes.begin(), m_wastes.end(), std::back_inserter(doomed),
                 [method](const WastePtr& waste) { return waste->m_method == method; });
    for (WastePtr& waste : doomed) {
        waste->Clear();
        DelWaste(waste);
    }
}

void NestingModel::SelectWastesByMethod(bool method, bool on)
{
    for (const WastePtr& waste : m_wastes) {
        if (waste->m_method != method || !waste->m_macro || waste->m_choose == on)
            continue;
        waste->m_macro->ChooseMacro(on);
        waste->m_choose = on;
    }
}

void NestingModel::DeleteNonRectangularWastes()
{
    std::vector<WastePtr> doomed;
    std::copy_if(m_wastes.begin(), m_wastes.end(), std::back_inserter(doomed),
                 [this](const WastePtr& waste) { return !waste->CheckRectangle(m_wastRectSize); });
    for (WastePtr& waste : doomed) {
        waste->Clear();
        DelWaste(waste);
    }
}

void NestingModel::GetRectWasteObjects(std::vector<WastePtr>& wastes) const
{
    std::copy_if(m_wastes.begin(), m_wastes.end(), std::back_inserter(wastes),
                 [this](const WastePtr& waste) { return waste->CheckRectangle(m_wastRectSize); });
}

void NestingModel::UpdateWastes()
{
    vrnApi::ShowHideLayer(WastesLayerName(), m_wastesHide);
}

void FollowMovedSheets(const std::vector<INestingMacroObjectPtr>& macros, const std::map<reference, reference>& moved)
{
    for (const INestingMacroObjectPtr& macro : macros) {
        if (!macro || !macro->CheckMacroLibraryNameAndCommand(MacroCommand::Waste))
            continue;
        const WastePtr waste = Waste::Create(macro);
        waste->LoadParams();
        const auto found = moved.find(waste->m_ownerRef);
        if (found == moved.end())
            continue;
        waste->m_ownerRef = found->second;
        waste->SaveParams();
    }
}
