// The export's last step: every sheet as a sketch "Sheet<n>" of one hidden 3D
// part document, filled with the sheet's figures through the clipboard, saved
// as "sheets.v3d".
#include "io/Exporter.h"

#include "geometry/UtilityFunctions.h"
#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"

namespace fs = std::filesystem;

namespace {

// Makes one sheet's sketch and pastes the clipboard into it; false when the
// sketch cannot be made or edited.
bool FillSketch(const vlapi::ISketchesPtr& sketches, const vlapi::IModelObjectPtr& base, const std::wstring& name,
                bool paste)
{
    vlapi::ISketchPtr sketch = sketches->Add();
    if (!sketch || !sketch->SetBaseObject(base.get()))
        return false;
    sketch->SetName(name);
    sketch->Update();
    if (!sketch->BeginEdit(0))
        return false;
    if (paste)
        vrnApi::ReadObjectsFromClip();
    return sketch->EndEdit();
}

}  // namespace

void Exporter::Export3D(Run& run)
{
    const int64_t t0 = uf::MeasureTimeMS();
    Step step;
    const fs::path target = run.folder / "sheets.v3d";
    const std::wstring shown = L"sheets.v3d";

    // Every sheet's objects, sheets without figures included (their list is empty).
    // A sheet with figures whose outlines the drawing does not give would
    // stand empty in the document.
    std::vector<outputs::DrawnCopies> lists;
    bool outlined = true;
    for (const SheetPtr& sheet : run.sheets) {
        lists.push_back(SheetObjects(run, *sheet, m_params.text3DCont, m_params.text3DSour));
        outlined = outlined && !(lists.back().Empty() && HoldsPart(run.figuresInView, *sheet));
    }
    if (!run.sheets.empty())
        run.sheets.front()->SetCurrentView();

    vlapi::IVarnelDocument3DPtr document;
    if (!outlined)
        step.failures.Add(shown, outputs::kNoOutlines);
    else if (outputs::OpenDocument(target))
        step.failures.Add(shown, outputs::kOpenInHost);
    else if (!(document = vrnApi::CreateSleep3DDocument()))
        step.failures.Add(shown, outputs::kNoDocument);
    if (document) {
        run.hidden.push_back(std::make_unique<outputs::HiddenDocument>(document, run.source, 0));
        vlapi::IPartPtr top = document->GetTopPart();
        vlapi::IModelContainerPtr container(top);
        vlapi::IModelObjectPtr base = top ? top->GetDefaultPlane(vlapi::vlPlaneXOY) : nullptr;
        vlapi::ISketchesPtr sketches = container ? container->GetSketches() : nullptr;
        bool sketched = sketches && base;
        for (size_t n = 0; sketched && n < lists.size(); ++n) {
            run.source->Activate();
            // Between two sheets the user's drawing is the active one again.
            if (n > 0 && !Going(run))
                return;  // cut short: the document is not saved
            vrnApi::WriteObjectsToClip(lists[n].Objects());
            document->Activate();
            sketched = FillSketch(sketches, base, L"Sheet" + std::to_wstring(n + 1), !lists[n].Empty());
        }
        lists.clear();
        if (!sketched) {
            step.failures.Add(shown, outputs::kNoSketches);
        } else {
            SaveFile(run, step, document, target);
        }
        run.source->Activate();
    }
    lists.clear();

    const double seconds = static_cast<double>(uf::MeasureTimeMS() - t0) * 1e-6;
    run.failed.Append(step.failures);
    if (step.failures.Empty()) {
        run.said.push_back([text = SecondsText(vrnApi::LoadStr(IDS_MESS_SUCCESS_EXPORT_3D), seconds)] {
            vrnApi::ShowInformText(text);
        });
    } else {
        run.clean = false;
        run.said.push_back([text = step.failures.Text(L"Листы не экспортированы в 3D-документ:",
                                                      outputs::FailureList::kShownOfMany)] {
            vrnApi::ShowErrorText(text);
        });
    }
    StepDone(run, run.step + 1);
}
