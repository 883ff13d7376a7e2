// The editing layer between the source-data panel and its working model: one
// operation per user action, each a fixed sequence of model operations that
// keeps sheets, figures, compound figures, the container view, the result
// tables and the labels consistent. It also loads figures from files and
// carries the panel's confirmation (a cancel is the command frame's: it gives
// the drawing back as it was).
//
// Without a model (Init was not given one) every operation does nothing and
// the setters answer false.
#pragma once

#include "api/INestingObjects.h"
#include "shell/ModelCommand.h"

#include <string>
#include <vector>

class ReadContoursEditor {
public:
    // A new model from `factory`, filled from the active drawing and the
    // configuration; a drawing without sheets gets one. False without a model.
    bool Init(ModelFactory factory = &CreateNestingModelInstance);
    const INestingModelPtr& GetNestingModel() const { return m_model; }

    // The number of figures named as the first selected one becomes `count`;
    // false, changing nothing, with no selection or a negative count.
    bool SetCountFiguresCopies(int32_t count, bool unite);
    bool SetUniteFiguresOrMirrors(bool unite, bool mirrors);
    // On every selected figure; false when none is selected.
    bool SetFiguresThickness(double thickness);
    bool SetFiguresMaterial(const std::wstring& material);

    // The sheet size of new and rectangular sheets; a smaller one lays the
    // container out again. False, changing nothing, for a size that is not
    // above 0.
    bool SetWidthSheet(double width);
    bool SetHeightSheet(double height);
    bool SetSheetThickness(double thickness);
    bool SetSheetMaterial(const std::wstring& material);
    // The pattern, and the sheets named after it: pattern + number from 1.
    bool SetSheetPattern(const std::wstring& pattern);
    bool SetTextHide(bool hide);
    bool SetTextSize(double size);

    void AddSheet();
    // The sheets among `objects` deleted; false, deleting nothing, when they
    // would be every sheet of the drawing (its sheets keep the model's
    // parameters), with a message.
    bool DeleteSelectedSheets(const std::vector<INObjectPtr>& objects);
    void DeleteSelectedFigures(const std::vector<INObjectPtr>& objects);
    // The sheet read from the file (size, and a remnant's thickness and
    // material); false, changing nothing, when the file was refused.
    bool ImportSheetFromFile(const std::wstring& path);

    // Each file a figure, laid out in the container with the container's
    // figures; a closing message tells the time taken. Only the figures of
    // this load lose their edit mark, so that clearing the model deletes them
    // and keeps those the drawing had.
    void LoadFigures(const std::vector<std::wstring>& files, bool unite);

    void UpdateGaps();
    void OK();
    // On confirming: the remnants the drawing keeps are out of date when the
    // sheet size changed since Init, said once for every change made.
    void TellSheetResized();

    // What the drawing's figure job holds that a switch to linear nesting
    // takes away: its parts, and the remnants and bridges it deletes.
    struct FigureJob {
        bool parts = false;
        size_t remnants = 0;
        size_t bridges = 0;
    };
    FigureJob FigureJobOf();
    // The figure job's remnants and bridges deleted from the drawing and the
    // model (linear nesting draws its bars in place of the sheets and parts).
    void DeleteRemnantsAndBridges();

    ModelParams m_sourceParam{};
    NPoint m_startSize;  // the sheet's length and width at Init
    INestingModelPtr m_model;

private:
    // The drawing's bridges, read for the call and let go: counted, or
    // deleted (`remove`).
    size_t DrawingBridges(bool remove);
    bool SetSheetSize(double value, double (INestingModel::*get)(), NResult (INestingModel::*set)(double));
};
