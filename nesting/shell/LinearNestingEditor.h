// Linear (one-dimensional) nesting inside the source-data command: the list
// of details (name, length, count) and the cutting patterns computed for them
// by SimplexMethodSolver, their drawing and their register.
//
// In linear nesting the model's sheet stands for one stock bar: its width is
// the bar length, its height the height of the strips that show pieces, and
// the figure gap the cut allowance between pieces. A detail is drawn as a
// rectangular figure named after it; a pattern as one sheet whose count is the
// number of bars cut that way.
//
// A pattern's counts run over the whole details list, entry i for row i (0 for
// a row the calculation left out); every re-ordering of the details moves the
// entries with their rows, and whatever removes rows clears the patterns.
#pragma once

#include "api/INestingObjects.h"
#include "host/VarnelAPI.h"
#include "io/RegisterTables.h"
#include "shell/LinearDetailList.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class LinearNestingEditor {
public:
    // Takes the model and rebuilds both lists from the drawing of a linear
    // job: a row per rectangular figure of another name or length, a pattern
    // per sheet that holds such figures (each matched to the row of its name
    // and length). The parts of a figure job are no pieces: both lists stay
    // empty then.
    void Init(INestingModelPtr model);

    // A new row: empty name, length 0, count 1.
    void AddDetail();
    void SelectDetail(const std::wstring& name);
    void UnselectAllDetails();
    // Out of range: nothing.
    void DeleteDetail(int index);
    void SetDetailParams(int index, const LNDetailParams& params);
    void ClearResult() { m_results.clear(); }

    // Rows of one name and length become the first of them with the counts
    // added, said in a message: a drawing keeps one row per name and length
    // (rows left apart would come back as one on reopening, the counts of
    // the others lost). When the rows of some name and length together want
    // more pieces than a row may, nothing is merged and the message names
    // those rows and their total. Merged clears the patterns.
    enum class Merge { None, Merged, Refused };
    Merge MergeEqualRows();
    // A list file's rows (`lines` their lines in `file`) added at the end
    // and merged; refused whole, the list as it was, when a merge is.
    bool AppendDetails(const std::vector<LNDetailParams>& rows, const std::vector<size_t>& lines,
                       const std::wstring& file);
    // Row `index` (from 0) takes `params` and merges with an equal row; a
    // refused merge leaves the row as it was.
    Merge ChangeDetail(size_t index, const LNDetailParams& params);
    // Row `index` (from 0) as messages name it: a row read from a list file
    // by the file's line where it stands, "строка 7 «Балка» файла list.csv";
    // a row typed (or read back from the drawing) by its place in the list,
    // "строка 3 «Балка»", "строка 3 «Балка» списка" when rows of files stand
    // in the list beside it.
    std::wstring RowText(size_t index) const;

    // Merges equal rows (no plan when that is refused), then solves the
    // usable rows (length above 0.1, count above 0) against one bar, with
    // the host's progress bar shown; rows longer than the bar are
    // named in a message and the others still planned. Messages when no row
    // is usable, no plan can be made, or the plan's patterns hold more
    // pieces than a drawing of them can; no patterns then. Every pattern's
    // efficiency is the share of the bar's length its finished pieces take.
    void CalculateLinearNesting();

    // Stable sorts; the detail sorts carry the patterns' entries with their rows.
    void SortDetailsByNames();
    void SortDetailsByLength();
    void SortDetailsByCounts();
    void SortResultByEfficiency();
    void SortResultByDetailsCounts();
    void SortResultBySheetsCounts();

    // The drawing rebuilt from the lists: one sheet per pattern with its
    // pieces laid along the bar, or, with no patterns to show, one empty bar
    // and a strip per usable row stacked in the container view. A plan whose
    // pieces could not all be drawn is dropped, with a message: the drawing
    // never holds part of a plan.
    void VisualizeNesting();
    // Every sheet and figure of the drawing deleted (the drawn job goes), the
    // lists kept.
    void ClearDrawing();
    // Draws the patterns when a plan is computed but not drawn, so that the
    // drawing keeps it.
    void KeepPlan();
    // The linear-nesting register, through the reporter, in a folder the user
    // picks; nothing when the dialog is cancelled. It lists the plan as
    // computed, drawn or not.
    void CreateReport();

    INestingModelPtr m_model;
    std::vector<LNDetailParams> m_details;
    std::vector<LNResultParams> m_results;
    // Fixes the solver's random layouts (tests); without it a fixed seed
    // serves, so that the same list always gives the same plan.
    std::optional<uint32_t> m_seed;
    // What the user typed in the title blocks of the pages that every redraw,
    // and the switch to figure nesting, makes again.
    vrnApi::UserStampCells m_typedCells;

    // The shortest offcut the register names as a remnant (mm).
    inline static double m_minWaste = registers::kLinearMinimumRemnant;
    inline static bool m_visualSheets = false;

    // Where a row was read from: a list file's name and the row's line in it
    // (from 1); none (line 0) for a row typed or read back from the drawing.
    struct Source {
        std::wstring file;
        size_t line = 0;
    };

private:
    // One a row of m_details; rows added, deleted, merged and sorted take
    // theirs along.
    std::vector<Source> m_sources;

    template <class Less>
    void SortDetails(Less less);
    template <class Key>
    void SortResults(Key key);
    // False when a bar or a piece could not be drawn.
    bool DrawPatterns();
    void DrawDetails();
};
