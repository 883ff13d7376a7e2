// The bridges command (command 10): places bridges, lead-ins and crossings
// between a figure and another figure or its sheet by one or two clicks, lists
// the drawing's bridges, sorts and chooses them, changes the type and width of
// the chosen ones and deletes them, and sets the colour of their layer.
//
// The command works on a working model of the active drawing. The bridge
// being placed (the working bridge) is not one of the model's bridges until
// its last click adds it. While the cursor moves, a preview of the working
// bridge follows it; the preview of one move is deleted before the next one
// is drawn, and the last when the command ends.
#pragma once

#include "api/INestingObjects.h"
#include "shell/BaseProcess.h"
#include "shell/ListObiects.h"

#include <string>
#include <vector>

// The orders of the bridge list, by its pressed sort button.
enum class BridgeOrder { None, Name, Type, Width };

// Sorts the bridges stably: names by character codes, types and widths
// ascending; bridges whose width is not a number, and entries that are no
// bridges, go last. With BridgeOrder::None the order stays.
void SortBridges(std::vector<INObjectPtr>& bridges, BridgeOrder order);

class BridgesProcess : public BaseProcess {
public:
    // Command ids of the bridge list's tool bar and of the second-point box's side button.
    static constexpr int kSelectAll = 7100;
    static constexpr int kSortByName = 7101;
    static constexpr int kSortByType = 7102;
    static constexpr int kSortByWidth = 7103;
    static constexpr int kEditMode = 7104;
    static constexpr int kByNormal = 7201;

    void Init() override;
    void CreateControls() override;
    void UpdateControls() override;
    std::wstring GetCaption() const override;
    bool CallBackCursor(double x, double y, double angle, bool dynamic) override;
    bool TakesClicks() const override { return true; }
    bool OnButtonClick(int buttonId) override;
    void OnChangeControlValue(vlapi::IPropertyControlPtr ctrl) override;
    void OnControlCommand(vlapi::IPropertyControlPtr ctrl, int buttonId) override;
    void OnSelectItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool select) override;
    // A tick of the bridge list chooses its bridge as a selection does.
    void OnCheckItem(const vlapi::IPropertyControlPtr& ctrl, int index, bool check) override;
    // The preview goes with the command's handlers.
    void UnadviseEvents() override;

    // Sorts by the sort button pressed now; nothing without a tool bar.
    void SortObjects(std::vector<INObjectPtr>& objects) const;
    // The edit button, width, type, method and radius controls from the
    // command's state and the chosen bridges.
    void UpdateJumperData();
    // The first- and second-point boxes for the cursor at (x, y).
    void UpdateRefPoints(double x, double y);

private:
    bool Pressed(int id) const;
    // The bridges ticked in the list.
    std::vector<IJumperPtr> SelectedBridges() const;
    // The preview deleted with its objects.
    void ClearPreview();
    // A click on (x, y) over the object `ref`: an existing bridge changes its
    // choice; otherwise an end of the working bridge is taken on its owner.
    void Click(int ref, double x, double y);

    // Released in the reverse order: controls, list, layer name, working
    // bridge, model.
    INestingModelPtr m_model;
    IJumperPtr m_tempJumper;
    BridgeType m_type = BridgeType::Gap;
    double m_width = 0.0;
    bool m_second = false;
    bool m_bynorm = true;
    bool m_editmode = false;
    int m_phantomGroup = 0;
    // The preview group itself, held until it is deleted whatever becomes of
    // the bridge that drew it.
    vlapi::IDrawingGroupPtr m_phantom;
    int m_layerNumber = 0;
    // r 0, g 210, b 200 packed as r + g * 256 + b * 65536.
    int m_layerColor = 0xC8D200;
    std::wstring m_layerName = L"Мостики/старты";
    ListObiects m_listJumpers;
    vlapi::IPropertyToolBarPtr m_toolBar;
    vlapi::IPropertyListPtr m_typesJumpers;
    vlapi::IPropertyEditPtr m_widthJumper;
    vlapi::IPropertyListPtr m_methodStop;
    vlapi::IPropertyEditPtr m_radiusStop;
    vlapi::IPropertyListPtr m_methodStart;
    vlapi::IPropertyEditPtr m_radiusStart;
    vlapi::IPropertyEditCheckBoxPtr m_refPoint1;
    vlapi::IPropertyEditCheckBoxPtr m_refPoint2;
    vlapi::IPropertyColorPtr m_colorLayer;
};
