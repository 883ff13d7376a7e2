// Export of a nesting drawing into one folder: the nesting map as "card.dxf",
// each sheet with its figures and each remnant as a fragment and/or a DXF
// file, and all sheets as sketches of the 3D document "sheets.v3d". Each
// export runs on a model read afresh from the active drawing; every file is
// built in a hidden host document filled through the host clipboard.
#pragma once

#include "io/ConverterDXF.h"
#include "io/OutputFiles.h"
#include "io/SheetFaults.h"
#include "model/NestingModel.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Exporter {
public:
    // Objects by the view they stand in, each in the model's order: each
    // object's view is asked of the host once a run.
    template <class T>
    using ByView = std::map<int, std::vector<std::shared_ptr<T>>>;

    void SetParams(const ExportParams& params) { m_params = params; }
    // Writes what the parameters ask for into `folder`; an empty folder only
    // warns, and so does a drawing with nothing to export (no part on a
    // sheet): nothing is written then. Remnants are written for the sheets
    // that hold parts. The files are written aside, in a hidden folder of
    // the run, and go over the folder's files together once the run is
    // done: a run cut short (the drawing closed, the work cancelled, the
    // program quit, at whichever file) leaves the folder as it was, and so
    // does one whose files cannot all be put in place (the user is told
    // which). Each step tells its success only then, and only when all its
    // files were written, and names each file that was not, with the reason;
    // the closing message warns of the sheets written as drawn whose parts
    // overlap or are not cut from them (each with its parts and why), or
    // stand nearer to one another or to the sheet's edge than the gaps (each
    // with the distance against the gap), of the remnants written that were
    // built for an earlier size or layout of their sheet, and of the files
    // an earlier export left in the folder that this one did not write. The
    // map is a DXF file only: with fragments alone it is not written, and
    // said so. An export that wrote no file never closes with its success.
    void ExportToDXF(std::wstring folder);

    ExportParams m_params;
    NestingModel m_model;

private:
    // What one export run keeps between its steps.
    struct Run {
        std::filesystem::path folder;
        std::vector<FigurePtr> figures;
        std::vector<SheetPtr> sheets;
        std::vector<WastePtr> wastes;
        ByView<Figure> figuresInView;
        ByView<Waste> wastesInView;
        // The sheets that cannot be cut as drawn: they are written all the
        // same, and named when the run ends.
        SheetFaults faults;
        // The bridges standing where no part stands: the map leaves them
        // out, and the note on them names them.
        std::vector<reference> lostBridges;
        std::wstring lostNote;
        // The remnants written that were built for what their sheet no
        // longer is: written as they are, and named when the run ends.
        std::wstring staleNote;
        vlapi::IVarnelDocument2DPtr source;
        ConverterDXF converter;
        bool converterWanted = false;
        // The 3D document, open from sheet to sheet (the sheets' and
        // remnants' documents are closed one by one).
        std::vector<std::unique_ptr<outputs::HiddenDocument>> hidden;
        outputs::NameBook names;
        // The files the run wrote, and those it could not: a file of the
        // folder that is neither is named as left from before, one it could
        // not replace only as a failure.
        std::vector<std::filesystem::path> written;
        outputs::FailureList failed;
        // The files are written aside and put in place together at the end;
        // the steps' messages wait for that too.
        std::unique_ptr<outputs::StagedFiles> staged;
        std::vector<std::function<void()>> said;
        int step = 0;
        int total = 0;
        bool clean = true;  // every step so far wrote all its files
        bool noWastes = false;  // the remnants were asked for, and there were none to write
        bool gone = false;  // cut short while the host handled waiting events (closed, cancelled)
    };

    // How one step ended.
    struct Step {
        int written = 0;
        bool converterMissing = false;  // a DXF file was not tried: no converter
        outputs::FailureList failures;
    };

    void ExportMap(Run& run);
    void ExportSheets(Run& run);
    void ExportWastes(Run& run);
    void Export3D(Run& run);
    // The objects of the figures on the sheet (the sheet's view made
    // current): their contours, with `contourText` handed on, and their texts.
    outputs::DrawnCopies SheetObjects(const Run& run, Sheet& sheet, bool contourText, bool texts) const;
    // Writes the objects to the clipboard (deleting them) and makes the hidden
    // fragment they go into, closed (the source drawing active again) once
    // its files are written or the run leaves it, so that the host holds one
    // open at a time; none, with the object's files noted, when the host
    // makes none.
    std::unique_ptr<outputs::HiddenDocument> FileSetDocument(const Run& run, Step& step, outputs::DrawnCopies& objects,
                                                             const std::wstring& base);
    // Saves the active hidden document as `base`.vfw and converts it to
    // `base`.dxf, as the format asks.
    // The files of `base` named as failed: the drawing gave no outlines for them.
    void NoOutlines(Step& step, const std::wstring& base) const;
    void WriteFileSet(Run& run, Step& step, const vlapi::IVarnelDocumentPtr& document, const std::wstring& base);
    // Saves the hidden document as the file, unless the file is open in the host.
    void SaveFile(Run& run, Step& step, const vlapi::IVarnelDocumentPtr& document, const std::filesystem::path& target);
    // Converts the active document to the DXF file. What the converter says
    // of it is told under the file's own name (the converter is quiet: it
    // would name the file it writes in the hidden folder).
    void WriteDxf(Run& run, Step& step, const std::filesystem::path& file);
    // Shows the step's message: `success` when all its files were written,
    // nothing when it had nothing to write (unless `nothing` is 0: then
    // `success` all the same), otherwise the failures under `nothing` (no
    // file written) or a general heading.
    void Report(Run& run, const Step& step, int success, int nothing);
    // Counts the finished step on the progress bar and lets the host handle
    // the user's waiting events.
    void StepDone(Run& run, int done);
    // Lets the host handle the user's waiting events; false once the run is
    // cut short (the drawing closed, the work cancelled, the program quit).
    static bool Going(Run& run);
    // Whether the model holds something to export: a part on a sheet (the
    // remnants of a sheet that holds none are not cut from it).
    bool HoldsSomething(const ByView<Figure>& figures) const;
    // Whether one of the figures stands on the sheet (in its view).
    static bool HoldsPart(const ByView<Figure>& figures, const Sheet& sheet);
    // The objects by their views.
    template <class T>
    static ByView<T> InViews(const std::vector<std::shared_ptr<T>>& objects);
    // The note on the sheets written as drawn that cannot be cut so (parts
    // over one another, not cut from the sheet, nearer than the gaps), on
    // the bridges left out and on the remnants out of date.
    static std::wstring FaultsNote(const Run& run);
    // The note on the files of the folder this run did not write.
    std::wstring EarlierNote(const Run& run) const;
};

// Whether the choices ask for a file the export writes: the map, a DXF file
// only, counts in a format with DXF.
bool AsksForFiles(const ExportParams& params);

// The text of a resource with the elapsed seconds: formatted when the text
// holds exactly one floating conversion and no other, else with the seconds
// appended.
std::wstring SecondsText(const std::wstring& text, double seconds);
