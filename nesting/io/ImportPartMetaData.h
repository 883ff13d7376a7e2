// Parts read from a 3D assembly, one record per distinct part, arranged for
// the import dialog in a tree: materials, within a material its sheet
// thicknesses, within a thickness its part records.
//
// Texts are compared by their character codes (a proper prefix first): no
// locale and no letter case, so thickness names sort as text ("10" before "2").
#pragma once

#include "kernel/Curves.h"

#include <cstdint>
#include <string>
#include <vector>

// Plane curves of the kernel in the coordinates of a flat pattern's fixed
// face; copies of a record share them.
using CurvesVector = std::vector<SPtr<MbCurve>>;

struct ImportPartMetaData {
    std::wstring name;      // the part's name, characters illegal in file names blanked
    std::wstring mark;      // the designation as the host gives it
    bool unfolded = false;  // the part's sheet metal is to be unfolded: it is written as a fragment
    int32_t count = 1;      // equal bodies the record stands for
    double thickness = 0.0; // mm; 0 for a body without sheet-metal data
    std::wstring material;  // characters illegal in file names blanked
    std::wstring path3D;    // the part's 3D file
    std::wstring path2D;    // the fragment written for it
    CurvesVector curves;    // outline and holes of the flat pattern
    CurvesVector bends;     // bend lines of the flat pattern

    // `name`, or `name` (`mark`) when there is a designation.
    std::wstring GetFullName() const;
};

using ImportPartMetaDatum = std::vector<ImportPartMetaData>;

// Whether two flat patterns are one shape in one place up to a shift: as many
// outline curves and bend lines, each curve of one lying on a curve of the
// other once moved by the difference of their boxes' lower corners (1e-4).
bool SameFlatPattern(const ImportPartMetaData& a, const ImportPartMetaData& b);

struct NodeThickness {
    std::wstring name;  // the thickness of its first record (uf::NumberText)
    ImportPartMetaDatum datum;

    // Adds the record, or adds its count to a record of the same name,
    // designation, 3D file and flat pattern.
    void Add(const ImportPartMetaData& data);
    void SortByName();
    // The node has records, the first of thickness within 1e-4 of data's.
    bool EquilThickness(const ImportPartMetaData& data) const;
    // Gives records of equal names the suffixes _1, _2, ... in their order,
    // again until all names differ.
    void RenameEquilDatum();
};

struct NodeMaterial {
    std::wstring name;
    std::vector<NodeThickness> nodes;

    // Adds the record to the first node of its thickness, or to a new node.
    void Add(const ImportPartMetaData& data);
    void SortByThickness();
};
