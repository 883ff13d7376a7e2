// The import of parts from a 3D assembly: every body of every part is read,
// its sheet metal unbent to a flat pattern in the host's geometric kernel, and
// listed in a tree by material and thickness; the import dialog edits the
// records, and the unfolded parts are written as fragment files. The same
// reader hands DXF files to the model's DXF import.
#pragma once

#include "api/INestingObjects.h"
#include "io/ImportPartMetaData.h"
#include "io/PartMarking.h"
#include "kernel/Kernel.h"
#include "vlapi/vlapi.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// One sheet-metal element's bend description, as the host gives it for a body.
struct BendParam {
    bool unfold = false;     // the part's unfold switch
    double angle = 0.0;      // a bend element's angle, degrees; 0 for other elements
    double coneAngle = 0.0;  // always 0
    double kof = 0.0;        // the sheet body's bend coefficient
    double radius = 0.0;     // the sheet body's bend radius
};

using FacesVector = std::vector<SPtr<MbFace>>;

class AssemblyReader {
public:
    void Init(std::wstring pathAssembly, std::wstring pathOutFolder);
    // Reads every body of every part occurrence of the assembly into records
    // and the tree (empty when the file is not an assembly).
    void ReadContoursFromAssembly();
    // Hands the DXF files to the model's DXF import, the output folder theirs.
    void ImportFromDXF(std::vector<FileMetaParams>& fileParams, std::wstring scriptName);
    // `m_metaDatum` := the records of the tree, in tree order.
    void UpdateImportPartMetaDatum();
    // The record of a row of the flattened tree; null for no such row.
    ImportPartMetaData* GetImportPartMetaData(int32_t row);
    // Edits of one record; a row that does not exist changes nothing. A
    // thickness must start with a number above 0 and a count with a whole
    // number from 1 (a thickness within the range of sheets): other texts are
    // refused with a message, the old value kept.
    // A record whose material or thickness changes moves to the node of its
    // new material and thickness (counted into an equal record there), so
    // that its fragment is written into that node's folder.
    void SetDataName(int32_t row, std::wstring text);
    void SetDataMark(int32_t row, std::wstring text);
    void SetDataMaterial(int32_t row, std::wstring text);
    void SetDatathickness(int32_t row, std::wstring text);
    void SetDataCount(int32_t row, std::wstring text);
    // Reads the flat pattern of one part again from its own 3D file.
    void ReadContoursFromPart(ImportPartMetaData& data);
    std::wstring GetWorkObjectGUID(vlapi::IBodyPtr body) { (void)body; return {}; }

    // Sheet-metal bodies (the elements of the part that lie on the body).
    static void GetSheetMetalFromPart(vlapi::IPartPtr part, int64_t idFinBody, double& thickness,
                                      std::vector<BendParam>& params);
    // The same for every body of the part at once, by body: the part's
    // elements gone through once however many bodies it has.
    struct SheetMetal {
        double thickness = 0.0;
        std::vector<BendParam> params;
    };
    static std::unordered_map<int64_t, SheetMetal> SheetMetalOfBodies(vlapi::IPartPtr part);

    // Unbending: the flat pattern's curves of a body of sheet `thickness`, in
    // the plane of a side of the sheet. A body with no pair of plane faces
    // `thickness` apart, or not flat once unbent, gives none, with a message
    // naming the part (unless `report` is false: the caller names it).
    static bool UnbendSheetBody(vlapi::IBodyPtr body, const std::wstring& partName, const std::vector<BendParam>& params,
                                double thickness, CurvesVector& curves, CurvesVector& bends, bool report = true);
    static void GetBendGeomFromSolid(const SPtr<MbFaceShell>& shell, FacesVector& innerFaces, FacesVector& outerFaces,
                                     SPtr<MbFace>& fixedFace, MbCartPoint& fixedPoint);
    static SPtr<MbFace> GetMaxFaceFromSolid(const SPtr<MbSolid>& solid);
    static bool UnbendBodyByRectifyFace(vlapi::IBodyPtr body, const std::wstring& partName, CurvesVector& curves,
                                        CurvesVector& bends);

    // Curves of the flat pattern.
    static void GetCurvesFromSolid(const SPtr<MbSolid>& solid, const SPtr<MbFace>& fixedFace, CurvesVector& curves,
                                   CurvesVector& bends);
    static void GetCurvesFromFace(const SPtr<MbFace>& face, const MbPlacement3D& place, CurvesVector& curves,
                                  CurvesVector& bends);

    // Why a sheet of `thickness` mm is not nested (one out of the range that
    // DXF markings are held to too, its value shown unrounded across the
    // bound); empty for a thickness in range.
    static std::wstring ThicknessOutOfRange(double thickness);
    // A thickness as the import shows it: never rounded onto the range from
    // outside it, nor to 0.
    static std::wstring ThicknessText(double thickness);

    // Writing fragments: one per unfolded part, in sub-folders by material and
    // thickness when `isCreateDirs`; one closing message tells what was written.
    void WriteContoursToFragments(bool isCreateDirs);
    std::wstring CreateStringFromPattern(const std::wstring& pattern, const ImportPartMetaData& data) const;
    // Makes, fills, saves and closes the fragment of the record at its
    // `path2D`; the reason when it was not written, empty when it was.
    // `marking`, when given, tells how the marking was placed (Crowded: no
    // flat face could hold it; Unsearched: the outline was too large to look).
    // `refused`, when given, receives why the outline can make no figure (by
    // the rules DXF parts are held to: sizes, closed rings that do not cross);
    // the fragment is then not written.
    std::wstring CreateFragment(const ImportPartMetaData& data, Marking* marking = nullptr, std::wstring* refused = nullptr);
    // Draws a kernel curve into the container, on the layer in the line style.
    void DrawCurve(const vlapi::IDrawingContainerPtr& container, const SPtr<MbCurve>& curve, int32_t layerNum,
                   int32_t style);

private:
    // The tree's materials, their thickness nodes and their records sorted.
    void SortTree();
    // Takes the record of `row` out of its node, dropping the nodes it leaves
    // empty, and files it again under its own material and thickness.
    void Refile(int32_t row);

public:
    std::wstring m_pathAssembly;
    std::wstring m_pathOutFolder;
    std::wstring m_nameAssembly;
    std::wstring m_namePattern;
    std::wstring m_textPattern;
    std::vector<NodeMaterial> m_dataTree;
    ImportPartMetaDatum m_metaDatum;
    INestingModelPtr m_model;
};
