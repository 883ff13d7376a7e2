// The hot-point editors of the library's macros. When the user selects the
// macro of a figure or a bridge, the host's hot-point object makes one editor
// for it and forwards every request to it: which handles there are, where
// they stand, their labels, cursors and menus, and what dragging one does to
// the model object behind the macro. Every drag step acts on the object's
// macro at once, so the drawing shows each step.
#pragma once

#include "model/BridgeAnchors.h"
#include "model/NestingObject.h"

#include "vlapi/vlapi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One handle as exchanged with the host: its position in the coordinates of
// the object's macro ((0, 0) is the placement point), its label, and the
// resource id of the cursor shown over it, left as the caller filled it
// unless an editor sets one.
struct HotPoint {
    double x = 0.0;
    double y = 0.0;
    std::wstring text;
    int32_t cursorId = 0;
};

// The common base: the default answers, and the model object made from the
// macro, which the editor owns for its lifetime.
class HP_NObject {
public:
    explicit HP_NObject(NObjectPtr object = nullptr);
    virtual ~HP_NObject();

    HP_NObject(const HP_NObject&) = delete;
    HP_NObject& operator=(const HP_NObject&) = delete;

    // The object's own Init, when there is an object.
    virtual void Init();
    // Handle `index` (from 0); false past the last one, `point` untouched.
    virtual bool GetHotPoints(HotPoint& point, int index);
    // Handle `index` dragged to `point`.
    virtual bool SetHotPoint(HotPoint& point, int index);
    // The text shown beside the cursor while handle `index` is dragged.
    virtual std::wstring GetCursorText(int index);
    virtual int GetHotPointsEx(HotPoint& point, int index);
    virtual int GetCursorText7(int index, char** text);
    virtual bool ExecuteCommand(int command);
    virtual int UpdateCommand(int command);
    virtual bool Prepare();
    // The context menu of handle `index`; none by default.
    virtual vlapi::IAPIObjectPtr GetMenu(int index);
    // A drag of handle `index` starts: the editor keeps where its object
    // stands, so that a cancelled drag can put it back.
    virtual void BeginDrag(int index);
    // The drag of handle `index` ended, done or cancelled.
    virtual bool EditComplete(int index, bool success);
    // The host moved, turned or added the object by its own tools.
    virtual bool External_Move();
    virtual bool External_Rotate();
    virtual bool AddToModel();
    // The move of the object for its first (`second` false) or second handle.
    virtual bool SetPlacement(HotPoint& point, bool second);

    NObjectPtr m_object;

protected:
    // Handle 0 is the first point, handle 1 the second; no other handle.
    bool SetFirstOrSecond(HotPoint& point, int index);
    // Turns and moves the object back to where BeginDrag found it; false
    // when no drag began.
    bool RestoreStart();

private:
    struct Placement {
        double x = 0.0;
        double y = 0.0;
        double angle = 0.0;  // degrees
    };
    std::optional<Placement> m_start;
};

// A figure: handle "0" at its placement point moves it, handle "A" on its
// x axis turns it about the placement point; the figure's bridges follow it
// step by step. A drag done ends with the figures placed again in their sheet
// (command 300); a drag cancelled puts the figure and its bridges back where
// they stood.
class HP_Figure : public HP_NObject {
public:
    explicit HP_Figure(INestingMacroObjectPtr macro);

    // The figure's record; the turning handle at half its width.
    void Init() override;
    bool GetHotPoints(HotPoint& point, int index) override;
    bool SetHotPoint(HotPoint& point, int index) override;
    // "A = <angle>" for the turning handle.
    std::wstring GetCursorText(int index) override;
    bool EditComplete(int index, bool success) override;
    bool SetPlacement(HotPoint& point, bool second) override;

    double m_armHP2 = 0.0;  // distance of the turning handle from the placement point, mm

    // The figure macro that last got an editor, and the macros the editor
    // holds: the model leaves them out when it reloads its figures.
    inline static reference refMacro = 0;
    inline static std::vector<reference> refs;

private:
    BridgeAnchors m_bridges;  // held from a drag's first step to its end
    bool m_dragging = false;
};

// A bridge: handle "0" at its first end moves it (pulled back onto its
// first owner's border); a two-point bridge has handle "1" at its second end,
// dragged along its second owner's border. A drag cancelled puts both ends
// back.
class HP_Jumper : public HP_NObject {
public:
    explicit HP_Jumper(INestingMacroObjectPtr macro);

    // The bridge's record, drawer and ends, and its owners in the drawing.
    void Init() override;
    bool GetHotPoints(HotPoint& point, int index) override;
    bool SetHotPoint(HotPoint& point, int index) override;
    void BeginDrag(int index) override;
    bool EditComplete(int index, bool success) override;
    bool External_Move() override;
    bool External_Rotate() override;
    bool AddToModel() override;
    bool SetPlacement(HotPoint& point, bool second) override;

    // Pulls the ends of every selected bridge of the drawing back onto their
    // owners' borders.
    static void CorrectPlacement();

private:
    NPoint m_startPoint2;  // the second end when the drag began
};
