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

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The numbers of a list or grid field: blanks before the number are skipped
// and reading stops where the number does ("12,5 мм" reads 12.5; a comma
// stands for the decimal point). False when the field does not start with a
// number, or the number is negative, not finite or, for a count, beyond 32 bits.
bool ReadDetailLength(const std::wstring& field, double& length);
bool ReadDetailCount(const std::wstring& field, int32_t& count);
// A detail from the fields name, length and count (further fields ignored);
// false with fewer than three fields or numbers that the readers refuse.
bool DetailFromFields(const std::vector<std::wstring>& fields, LNDetailParams& detail);

// A linear-nesting list file read: UTF-8 text (a byte-order mark skipped),
// lines cut at ";" into fields, a carriage return before a line feed dropped.
// The first non-blank line is the header; a line with an empty field before
// its last ";" is dropped and a line DetailFromFields refuses is skipped;
// blank lines are ignored.
struct DetailList {
    std::vector<LNDetailParams> details;  // in file order
    size_t skipped = 0;                   // lines dropped or skipped
    std::wstring error;                   // not empty: nothing can be imported
};
DetailList ParseDetailList(std::string_view bytes);
DetailList ReadDetailList(const std::filesystem::path& file);

class LinearNestingEditor {
public:
    // Takes the model and rebuilds both lists from the drawing: a row per
    // rectangular figure of another name or length, a pattern per sheet that
    // holds such figures (each matched to the row of its name and length).
    void Init(INestingModelPtr model);

    // A new row: empty name, length 0, count 1.
    void AddDetail() { m_details.push_back(LNDetailParams{}); }
    void SelectDetail(const std::wstring& name);
    void UnselectAllDetails();
    // Out of range: nothing.
    void DeleteDetail(int index);
    void SetDetailParams(int index, const LNDetailParams& params);
    void ClearResult() { m_results.clear(); }

    // Solves the usable rows (length above 0.1, count above 0) against one
    // bar. Messages when no row is usable or the solver fails; no patterns then.
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
    // and a strip per usable row stacked in the container view.
    void VisualizeNesting();
    // The linear-nesting register, through the reporter, in a folder the user
    // picks; nothing when the dialog is cancelled.
    void CreateReport();

    INestingModelPtr m_model;
    std::vector<LNDetailParams> m_details;
    std::vector<LNResultParams> m_results;
    // Fixes the solver's random layouts (tests); without it each run draws one.
    std::optional<uint32_t> m_seed;

    inline static double m_minWaste = 250.0;
    inline static bool m_visualSheets = false;

private:
    template <class Less>
    void SortDetails(Less less);
    template <class Key>
    void SortResults(Key key);
    void DrawPatterns();
    void DrawDetails();
};
