// The documentation of a nesting drawing: a map drawing and a part table per
// sheet, and five registers, each a host table document with a CSV twin. The
// reporter works on a model of its own, read from the active drawing by Init,
// and writes what its parameters ask for into their folder.
#pragma once

#include "io/OutputFiles.h"
#include "io/RegisterTables.h"
#include "io/SheetFaults.h"
#include "model/NestingModel.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Reporter {
public:
    // How far a run has come: builders done of all it runs.
    using Progress = std::function<void(size_t done, size_t all)>;

    // Sheets, figures and remnants of the active drawing, the configuration,
    // the sheets whose parts overlap, the results as the drawing's result
    // tables show them, and the remnants' names. The bridges are brought onto
    // their parts first; those whose part is gone are shown on no map.
    void Init();
    void SetParams(const ReportParams& params) { m_params = params; }
    // The bars the register of linear cuts lists instead of the drawing's
    // (a plan computed but not drawn).
    void SetLinearPlan(std::vector<registers::LinearBar> bars) { m_linearPlan = std::move(bars); }
    // The shortest offcut of a bar the register of linear cuts names as a
    // remnant (mm).
    void SetLinearMinimumRemnant(double mm) { m_linearMinimumRemnant = mm; }
    void Clear();
    // Runs the builders the flags ask for, in their fixed order, with the
    // host's user access off meanwhile. Ends with one error message naming
    // every output that was not written and why, or a warning naming the
    // maps that cannot be cut as drawn and the style library set that is
    // not there; an empty folder only warns.
    void CreateDocumentation();
    // The same run without any message: what it wrote and what it could not
    // are left in Written() and Failures(). The files are written aside, in
    // a hidden folder of the run inside the folder, and go over the folder's
    // files together at the end: a run that does not end (the program
    // stopped) leaves the folders as they were, and so does one whose files
    // cannot all be put in place (NotPlaced() then says which; nothing
    // counts as written). A register's table document and its CSV twin are
    // put in place together or not at all.
    void Run(const Progress& progress = {});
    // The message of a run whose files could not all be put in place; empty
    // when they were.
    const std::wstring& NotPlaced() const { return m_notPlaced; }

    // The sheets the maps and the registers of maps and materials are made
    // for: those that hold a figure (a sheet that holds nothing is not cut).
    std::vector<SheetPtr> DocumentedSheets() const;
    // The files the last run wrote.
    const std::vector<std::filesystem::path>& Written() const { return m_written; }
    // The documents already in the folders of maps and registers that the
    // last run neither wrote nor failed to replace (an earlier run's),
    // relative to the folder; none after a run that put nothing in place.
    std::vector<std::wstring> EarlierFiles() const;
    // Those documents as a closing message names them, so that nobody takes
    // them for this job's; empty when there are none.
    std::wstring EarlierNote() const;
    // The note of a closing message on the maps that cannot be cut as drawn
    // (read by Init): two line feeds, then each map whose parts overlap with
    // the names of those parts, and each map holding parts that are not cut
    // from its sheet (over its edge, of another thickness or material) with
    // those parts, each time saying what its figures in the register count;
    // each map whose parts stand nearer to one another, or to the sheet's
    // edge, than the gap, with those parts and the distance against the gap;
    // and, maps asked for, the bridges left off them for standing on no part;
    // empty when every map is sound.
    std::wstring MapsNote() const;
    // The note of a closing message on the style library of the maps the
    // last run wrote: two line feeds and its path when the user set it and
    // it is not there (a bare name is looked for in the host's system-files
    // folder); empty otherwise. The host's default library, and its library
    // of pages without layout, are the host's to have.
    std::wstring StyleLibraryNote() const;
    // The note of a closing message on the remnants the registers leave out
    // (registers of maps or remnants asked for): two line feeds, then those
    // a part stands on, with the part, and those narrower than the least
    // stock width; and on those the documents show (maps or those registers
    // asked for) that were built for an earlier size or layout of their
    // sheet; empty when there are none.
    std::wstring WastesNote() const;

    // The builders, in the order of the run. Each writes what it can and
    // notes each file it could not write.
    void CreateCardsDrawing();
    void CreateCardsDetailTables();
    void CreateCardsTable();
    void CreateDetailsTable();
    void CreateMaterialTable();
    void CreateWastesTable();
    void CreateLNTable();

    // The CSV twins of the registers, from the lists their tables are filled
    // from: UTF-8 led by a byte-order mark, every cell followed by ";". False
    // when the file was not written.
    bool CreateCardsTableAsCSV(const std::vector<SheetPtr>& sheets, const std::vector<WastePtr>& wastes);
    bool CreateDetailsTableAsCSV(const std::vector<registers::FigureGroup>& singleFigures);
    bool CreateMaterialTableAsCSV(const std::vector<registers::SheetGroup>& singleSheets);
    bool CreateWastesTableAsCSV(const std::vector<WastePtr>& wastes, const std::vector<SheetPtr>& sheets);
    bool CreateLNTableAsCSV(const std::vector<registers::LinearBar>& bars);
    // A CSV data field: quoted, inner quotes doubled.
    static std::wstring EditCSV(const std::wstring& field);
    // A text cell (a name, a material) as a spreadsheet keeps it text: one
    // that would start a formula ("=", "+", "-", "@", a tab or a carriage
    // return first, blanks before it or not) gets an apostrophe before it;
    // any other is as it is.
    static std::wstring TextCSV(const std::wstring& text);

    // Creates the folder (with its parents); true when it is a folder
    // afterwards. Never throws.
    static bool createDirectory(const std::wstring& path);
    // Appends the model's figures in order, a compound figure as its members,
    // each with its owner set to the first sheet of its view (kept when no
    // sheet has it).
    static void GetAllFigures(NestingModel& model, std::vector<FigurePtr>& all);

    // What the last run could not write.
    const outputs::FailureList& Failures() const { return m_failures; }

    ReportParams m_params;
    NestingModel m_model;

private:
    std::filesystem::path Folder() const;
    std::filesystem::path MapsFolder() const;
    std::filesystem::path DocsFolder() const;
    // A file's name as the closing message shows it: relative to the folder.
    std::wstring Shown(const std::filesystem::path& file) const;
    // The map and part-table base name of each of the sheets, unique within the run.
    const std::vector<std::wstring>& MapNames(const std::vector<SheetPtr>& sheets);
    // The remnants of the documented sheets and those of no sheet.
    std::vector<WastePtr> DocumentedWastes(const std::vector<SheetPtr>& documented) const;
    // Ensure the folder once per run (and the chosen folder before it);
    // false, noted once, when it cannot be made.
    bool MapsFolderReady();
    bool DocsFolderReady();
    bool FolderReady(int& state, const std::filesystem::path& folder);

    // The common form of a register in the documentation folder.
    void WriteRegister(const registers::Table& table, const std::function<bool()>& writeCsv);
    // A fragment at `target` holding the table and its title, and the CSV
    // twin (when `writeCsv` is given) written once the table is made.
    void WriteTableDocument(const registers::Table& table, const std::filesystem::path& target,
                            const std::function<bool()>& writeCsv);
    // One sheet's map drawing; false when its view cannot be copied.
    void WriteMap(const Sheet& sheet, const std::wstring& name, const vlapi::IVarnelDocument2DPtr& source);
    // The CSV twin of a table; `openFailure` is the reason shown when the file
    // cannot be opened. False when it was not written.
    bool WriteCsv(const registers::Table& table, const wchar_t* openFailure);
    // Saves the hidden document under the pending file, for `target`,
    // noting the failure.
    bool SaveDocument(outputs::HiddenDocument& document, outputs::PendingFile& file, const std::filesystem::path& target);
    // Where the run writes the file for `target` meanwhile.
    std::filesystem::path Staged(const std::filesystem::path& target) const;
    // The file for `target` is written: it goes in place at the end.
    void Done(const std::filesystem::path& target);
    // The file for `target` is not to go in place after all; `reason` names it
    // among the failures.
    void Undo(const std::filesystem::path& target, const wchar_t* reason);

    outputs::FailureList m_failures;
    std::vector<std::filesystem::path> m_written;
    std::unique_ptr<outputs::StagedFiles> m_staged;
    std::wstring m_notPlaced;
    SheetFaults m_faults;
    // The bridges standing where no part stands: no map shows them, and
    // the note on them names those of the maps.
    std::vector<reference> m_lostBridges;
    std::wstring m_lostNote;
    std::wstring OverlapNote() const;
    std::wstring LeftOutNote() const;
    std::optional<std::vector<registers::LinearBar>> m_linearPlan;
    double m_linearMinimumRemnant = registers::kLinearMinimumRemnant;
    vlapi::IVarnelDocumentPtr m_source;
    std::vector<std::wstring> m_mapNames;
    int m_folder = 0;      // 0 not tried this run, 1 ready, -1 failed
    int m_mapsFolder = 0;
    int m_docsFolder = 0;
};
