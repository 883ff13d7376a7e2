// The wording of job_check's summary where a count could be misread: the bars
// of a linear plan against the least that can hold its pieces, each bar
// layout's bars and pieces, and the pieces imported against those to nest.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace jobcheck {

// The least number of bars of `bar` mm that can hold pieces whose lengths add
// up to `pieces` mm, when `count` pieces are cut from them with a cut of `gap`
// mm after every piece but a bar's last: the pieces' length with their cuts
// over the bar with one cut, rounded up.
int LeastBars(double pieces, int count, double bar, double gap);

// The least number of bars as sharp as the solver can prove it for pieces of
// `lengths` (mm, each with its count) cut from bars of `bar` mm with a cut of
// `gap`: LeastBars, the bound of the solver's dual functions and, while
// `bars` (those of a plan) stay above those, the bound of its linear
// relaxation.
int ProvenLeastBars(const std::vector<std::pair<double, int>>& lengths, double bar, double gap, int bars);

// "10 bars, the minimum", or "11 bars, at least 10 needed".
std::string BarsAgainstLeast(int bars, int least);

// One layout's bars and pieces: "1 bar of 1 piece", "2 bars, each of 5 pieces".
std::string LayoutBars(int bars, int pieces);

// The pieces imported (by part name, as the files carry them) against the
// pieces to nest (by part name, as the drawing holds them): "69 pieces
// imported, all to nest", or "67 pieces imported, 69 to nest: counts set in
// source data", naming also the parts not taken into the drawing and those
// never imported.
std::string ImportedAgainstNested(const std::map<std::wstring, int>& imported,
                                  const std::map<std::wstring, int>& toNest);

}  // namespace jobcheck
