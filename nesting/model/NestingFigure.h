// A part to be nested: its outline rings read from the macro, its gap
// polygons (the outline grown by half the figure gap) and control polygons
// (0.1 mm inside them), its source text heights, material, owner sheet and
// colour. Every move, turn, mirror or scale goes to the macro and to all three
// polygon lists together.
#pragma once

#include "model/NestingObject.h"
#include "vlapi/vlapi.h"

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Sheet;
class Figure;
class CompoundFigure;
using SheetPtr = std::shared_ptr<Sheet>;
using FigurePtr = std::shared_ptr<Figure>;
using CompoundFigurePtr = std::shared_ptr<CompoundFigure>;

class Figure : public NObject, public FigureParams {
public:
    explicit Figure(INestingMacroObjectPtr macro);
    ~Figure() override;

    // A new figure on `macro`; nothing is read from the macro yet.
    static FigurePtr Create(INestingMacroObjectPtr macro);

    // Overrides of NObject
    void ChangeView(int number, bool move) override;
    void UpdateGabarit() override;
    void GetPlacement(double& x, double& y, double& angle) const override;
    void SetPlacement(double x, double y, double angle, bool fromHP) override;
    void SetMirrorPlacement() override;
    bool GetProjectionPoint(const NPoint& p, double maxdist, NPoint& pp) const override;
    bool CheckContainPointOnBorders(const NPoint& p, double maxdist) const override;
    bool GetNormalToBorders(const NPoint& p, NPoint& pn1, NPoint& pn2) const override;
    bool GetNearIntersectionWithBorders(const NSegment& segm, const NPoint& p0,
                                        NPoint& pi) const override;
    // Writes the figure record and the material into the macro.
    void SaveParams() override;
    // Reads the figure record back; a corrupt block leaves the figure as it was.
    void LoadParams() override;

    // Further virtual operations
    virtual FigurePtr CreateCopy() const;
    virtual void CreateCopies(int count, double step, std::vector<FigurePtr>& figures) const;
    virtual void DestroyCompoundFigures(std::vector<FigurePtr>& figures);
    virtual void SetThickness(double thickness) { m_thickness = thickness; }
    virtual void SetMaterial(std::wstring material) { m_material = std::move(material); }
    virtual void GetContourObjects(std::vector<vlapi::IDrawingObjectPtr>& objects, bool text);
    virtual void GetTextObjects(std::vector<vlapi::IDrawingObjectPtr>& objects);
    virtual void CreateColouring();
    virtual void DeleteColouring();

    // Reading from the macro: name, source text heights and outline, once.
    void InitParams();
    // Outline rings, gap and control polygons.
    void InitBorders();
    // The outline rings as the macro draws them where it stands (outer
    // first), with their area, cut length and sag, and how far the part may
    // reach past the outer ring's rectangle; the figure is not changed.
    VectorPolygon ReadBorders(double& area, double& length, double& sag, double* beyond = nullptr) const;
    // The outer ring's notches whose mouth is narrower than `size` are closed
    // before it is grown by half the gap, but for those that can hold a
    // shape `narrowest` wide or more in every direction.
    void InitPolygons(double size, double gap, FigurePtr other,
                      double narrowest = std::numeric_limits<double>::infinity());
    void CopyPolygonsFrom(const Figure& other);
    void ClearPolygons();
    // The point every polygon of the figure turns about: its macro's
    // reference point.
    NPoint Pole() const;

    // Moves every polygon by (x, y) and turns it by `angle` degrees.
    void SetPolygonsPlacement(double x, double y, double angle);
    void SetScale(double scale1, double scale2);
    void RotateToMinGabarit();
    void CopyDataFrom(const Figure& other);

    // Comparisons
    bool IsEquilBorders(const Figure& other) const;
    bool IsEquilFigure(const Figure& other) const;
    bool IsEquilThicknessAndMaterial(const Figure& other) const;
    bool CheckTriangularity() const;
    bool CheckMirror(const Figure& other) const;
    bool CheckGap(double gap) const;
    bool CheckRectangle() const;
    // The gap polygons were made with the borders' sag (false for records of
    // earlier drawings: theirs may cut into the gap on curves).
    bool HasSagOutward() const { return m_sagKnown == 1; }
    // The gap polygons' convex corners follow the round of the gap (false
    // for records of earlier drawings, which keep the offsets' mitres).
    bool HasRoundCorners() const { return m_roundKnown == 1; }
    // How far out beyond half the gap the gap polygons stand.
    double GapSag() const;
    // Sets and returns m_valid.
    bool CheckOwnerThickness(double thickness);
    bool CheckOwnerMaterial(const std::wstring& material);
    // Whether the figure is cut from stock of the thickness and material, as
    // the two checks above judge it (a value unset on either side matches),
    // the figure left as it is.
    bool OfStock(double thickness, const std::wstring& material) const;
    // The two figures' polygons intersect or one holds the other (overlap test).
    bool CheckIntersect(FigurePtr other);
    // The free travel of `other` along `direction` until it meets this figure
    // (gap polygons); 0 without them.
    double Distance(const Figure& other, const NPoint& direction) const;

    // Texts, property, specification
    void InitTextLayer();
    void UpdateSizeText(double height, bool offset);
    void UpdateProperty();
    void CreateSpecificationObject();
    void Draw() {}

    double GetThickness() const { return m_thickness; }
    const std::wstring& GetMaterial() const { return m_material; }
    int GetCount() const { return m_count; }

    SheetPtr m_owner;
    VectorPolygon m_borders;   // outline rings, outer first
    VectorPolygon m_poligons;  // gap polygons, outer first
    VectorPolygon m_controls;  // control polygons
    std::vector<FontParams> m_sourceTextParams;
    std::wstring m_material;
    NRect m_rectBorder;
    double m_rectArea = 0.0;
    int32_t m_color = 0;
    bool m_equid = true;

private:
    // The figure's boxes from its first outline and gap polygon, as they stand.
    void TakeGabarits();
    // A new figure on a copy of this figure's macro, with this figure's data.
    FigurePtr CopyOn(INestingMacroObjectPtr macro) const;
};

// Two equal right-triangle figures (or mirror images) joined along their
// longest edges into one nearly rectangular figure. In the drawing it is one
// figure macro holding the two member macros; in the model's list it stands
// in place of its members.
class CompoundFigure : public Figure {
public:
    explicit CompoundFigure(INestingMacroObjectPtr macro);
    ~CompoundFigure() override;
    static CompoundFigurePtr Create(INestingMacroObjectPtr macro);

    // Overrides of Figure
    void ChangeView(int number, bool move) override;
    // Its own record, then each member's.
    void SaveParams() override;
    void LoadParams() override;
    FigurePtr CreateCopy() const override;
    void DestroyCompoundFigures(std::vector<FigurePtr>& figures) override;
    void SetThickness(double thickness) override;
    void SetMaterial(std::wstring material) override;
    void GetContourObjects(std::vector<vlapi::IDrawingObjectPtr>& objects, bool text) override;
    void GetTextObjects(std::vector<vlapi::IDrawingObjectPtr>& objects) override;
    void CreateColouring() override;
    void DeleteColouring() override;

    // The text heights of the compound's macro.
    void InitParams();
    // Joins the two figures, `gap` apart along their longest edges, centred
    // on the view origin. False (both left where they were) when they cannot
    // be joined. With a `slide`, the second is turned until its longest edge
    // runs back along the first one's and stands that far along it from
    // where the two edges' middles face each other; the outline is the hull
    // of the two. Named `name`, or with the next
    // number when it is empty.
    bool AddFigures(FigurePtr figure1, FigurePtr figure2, double gap, std::optional<double> slide = std::nullopt,
                    const std::wstring& name = {});
    // Reads the members back from the macro's content.
    void UpdateFigures();
    // One of the macros the compound's macro holds has that reference.
    bool HoldsMember(reference ref) const;

    std::vector<FigurePtr> m_figures;  // the members
    inline static int32_t m_index = 0;  // running number of compound names

private:
    std::vector<INestingMacroObjectPtr> MemberMacros() const;
};

// The parts a figure stands for, as the registers and every message count
// them: a compound figure's members, any other figure itself.
std::vector<FigurePtr> PartsOf(const FigurePtr& figure);
