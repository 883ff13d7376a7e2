// A nesting drawing as the checks and the summary see it: what the library's
// model loading reads from its macros (sheets, parts, remnants, bridges, the
// results), and the outlines of the parts and remnants as the host draws
// them, read from the host's own curves (never from the library's polygons).
#pragma once

#include "geometry/BaseAlgorithms.h"
#include "vlhost/Host.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <map>
#include <vector>

namespace jobcheck {

using Points = std::vector<NPoint>;

// One closed outline: the curves' points in view coordinates (no point
// repeated at the end), and its area as the host measures the curves.
struct Ring {
    Points points;
    double area = 0.0;
};

struct Outline {
    std::vector<Ring> rings;   // the largest first
    std::vector<Points> open;  // chains of curves that do not close
};

struct SheetRecord {
    std::wstring name;
    int view = -1;
    double scale = 1.0;  // of its view
    NRect rect;          // in its view
    double count = 1.0;
    double sheetArea = 0.0, figuresArea = 0.0, utilisation = 0.0;  // as the model computes them
};

struct PartRecord {
    std::wstring name;
    int view = -1;
    int sheet = -1;  // index into Job::sheets; -1 when its view is no sheet's
    double x = 0.0, y = 0.0, angle = 0.0;
    int count = 1;  // the pieces of its part the source data asks for
    double thickness = 0.0;
    std::wstring material;
    std::wstring compound;  // the compound figure it is a member of
    Outline outline;
};

// mm a remnant's side may fall short of the minimum size, as docs/limits.md
// gives it: the rounding of doubles, no more.
inline constexpr double kRemnantWidthShort = 1e-6;

struct RemnantRecord {
    std::wstring name;
    int view = -1;
    bool automatic = false;
    Outline outline;
};

struct BridgeRecord {
    std::wstring name;
    int type = 0;
    int view = -1;
    double width = 0.0;
    NPoint point1, point2;
};

struct Job {
    int method = 0;  // 0 nesting of outlines, 1 linear
    std::vector<uint8_t> params;  // the model's stored parameters, as the first sheet holds them
    // Every layer of every view: "view N: name, colour C, shown|hidden".
    std::vector<std::string> layers;
    std::vector<SheetRecord> sheets;
    std::vector<PartRecord> parts;
    std::vector<RemnantRecord> remnants;
    std::vector<BridgeRecord> bridges;
    double utilisation = 0.0;                           // overall, as the model computes it
    double figureGap = 0.0, sheetGap = 0.0;             // mm, between parts and to the sheet's edge
    double sheetThickness = 0.0;                        // mm, of every sheet
    std::wstring sheetMaterial;                         // of every sheet
    int barSized = 0;                                   // ModelParams::m_barSized
    // Every table drawn, cell texts.
    std::vector<std::vector<std::vector<std::wstring>>> tables;
    // Every page's title block, the number and text of each cell holding one
    // (the library's and the user's alike), by ascending number; none for a
    // page without a title block.
    std::vector<std::map<int, std::wstring>> titleBlocks;
};

// A stand-in host with the library attached, for reading drawings.
class Reader {
public:
    Reader();
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Opens the drawing and reads it; false, with `error`, when it does not open.
    bool Read(const std::filesystem::path& drawing, Job& job, std::string& error);
    // Opens the drawing, runs the library's command (5 updates the results)
    // and saves the drawing as `copy`.
    bool RunAndSave(const std::filesystem::path& drawing, int command, const std::filesystem::path& copy,
                    std::string& error);
    // The first table of a table document, cell texts by row.
    bool ReadTable(const std::filesystem::path& file, std::vector<std::vector<std::wstring>>& cells);
    // The count a part file (a fragment) carries; 0 when it does not open.
    int CountOf(const std::filesystem::path& fragment);

    vlhost::Host& Host();

private:
    struct State;
    State* m_state;
};

// "Лист 1" as UTF-8.
std::string Utf8(const std::wstring& text);

// The rectangle of the outline's rings.
inline NRect BoxOf(const Outline& outline)
{
    NRect box{{1e300, 1e300}, {-1e300, -1e300}};
    for (const Ring& ring : outline.rings) {
        for (const NPoint& p : ring.points) {
            box.pBot = {std::min(box.pBot.x, p.x), std::min(box.pBot.y, p.y)};
            box.pTop = {std::max(box.pTop.x, p.x), std::max(box.pTop.y, p.y)};
        }
    }
    return box;
}

}  // namespace jobcheck
