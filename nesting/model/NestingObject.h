// The base of every object of a nesting drawing (sheet, figure, bridge,
// remnant): its macro in the drawing, its name, its state flags, its bounding
// rectangle and its macro command. Placement and view changes go straight to
// the macro, so the drawing and the model never disagree.
#pragma once

#include "geometry/Polygon.h"
#include "host/INestingMacro.h"
#include "model/Params.h"

#include <memory>
#include <string>

class NObject;
using NObjectPtr = std::shared_ptr<NObject>;

class NObject : public ObjectParams {
public:
    explicit NObject(INestingMacroObjectPtr macro);
    virtual ~NObject();

    NObject(const NObject&) = delete;
    NObject& operator=(const NObject&) = delete;

    // Moves the macro into view `number`; with `move`, the object follows
    // the shift of coordinates between the two views.
    virtual void ChangeView(int number, bool move);
    // A try on a sheet of view `number`: the object's coordinates are taken
    // into that view's frame, as ChangeView with `move` takes them, and the
    // object tells that view as its own, while its macro stays where it is.
    // EndTry with `stays` moves the macro there; without, the coordinates go
    // back. Most tries of a long run find no room, and a macro moved to a
    // view is copied there whole.
    void BeginTry(int number);
    void EndTry(bool stays);
    virtual void UpdateGabarit() {}
    // Relative transform: by (x, y) mm, turned by `angle` degrees.
    virtual void GetPlacement(double& x, double& y, double& angle) const;
    virtual void SetPlacement(double x, double y, double angle, bool fromHP);
    // Places the macro at (x, y) turned by `angle` degrees: by the difference
    // from where it stands.
    void MoveTo(double x, double y, double angle);
    virtual void SetMirrorPlacement();
    virtual bool GetProjectionPoint(const NPoint& p, double maxdist, NPoint& pp) const;
    virtual bool CheckContainPointOnBorders(const NPoint& p, double maxdist) const;
    virtual bool GetNormalToBorders(const NPoint& p, NPoint& pn1, NPoint& pn2) const;
    virtual bool GetNearIntersectionWithBorders(const NSegment& segm, const NPoint& p0,
                                                NPoint& pi) const;
    virtual void Init() {}
    // Deletes the macro from the drawing unless the object stands for a macro
    // that was there before (m_edit).
    virtual void Clear();
    virtual void SaveParams() {}
    virtual void LoadParams() {}

    // The view holding the macro (-1 without one), or the view of the try
    // under way; makes it current.
    int GetView() const;
    void SetCurrentView();

    reference GetReference() const;
    bool CheckReference(int ref) const;

    // Choice in lists, mirrored by the macro's selection in the drawing.
    void Choose(bool on);
    void InvertChoose();
    void InitChoose();

    void SetBorderStyle(int style);
    void ChangeStyleMacro();
    void ForbidEditable();
    void Destroy();

    const std::wstring& GetName() const { return m_name; }
    void SetName(const std::wstring& name) { m_name = name; }
    bool GetChoose() const { return m_choose; }
    bool GetValid() const { return m_valid; }
    void SetEdit(bool edit) { m_edit = edit; }
    const NRect& GetGabarit() const { return m_rect; }

    INestingMacroObjectPtr m_macro;
    std::wstring m_name;
    bool m_edit = false;
    bool m_choose = false;
    bool m_valid = true;
    bool m_temp = false;
    NRect m_rect;
    MacroCommand m_command = MacroCommand::Undefined;

private:
    int m_tryView = -1; // none
    NPoint m_tryShift;
};
