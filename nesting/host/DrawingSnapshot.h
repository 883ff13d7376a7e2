// A drawing as it stood when a command started, to be given back when the
// command is cancelled. The host keeps no undo of its own for the library, so
// the snapshot holds copies: every view but the system one whole (its layers
// and everything standing in it), the system view's objects, layers and
// placement, the pages (format, style library and every cell of the title
// block, the user's too), the document's property values and the current view. The
// copies stand in no view and are not saved with the drawing.
//
// Restore gives every view back as it was, under its own number and in its
// place among the views; views added since go. The objects given back are
// the copies, so their references are new: Restore tells which reference
// became which, for the stored records that name other objects.
#pragma once

#include "geometry/BaseAlgorithms.h"
#include "vlapi/vlapi.h"

#include <map>
#include <string>
#include <vector>

class DrawingSnapshot {
public:
    using Moved = std::map<reference, reference>;

    DrawingSnapshot() = default;
    ~DrawingSnapshot();
    DrawingSnapshot(const DrawingSnapshot&) = delete;
    DrawingSnapshot& operator=(const DrawingSnapshot&) = delete;

    // Takes `doc` as it stands (what was held before is let go); false,
    // holding nothing, when the host could not copy it.
    bool Take(const vlapi::IVarnelDocument2DPtr& doc);
    // Gives the drawing back and lets the copies go. `moved` receives, for the
    // objects standing directly in a view, the reference each had when taken
    // and the one its copy has now. False when nothing was held, the document
    // has been closed, or the host refused part of the work (a host that
    // takes no objects back is found out first: the drawing stays as it is).
    bool Restore(Moved& moved);
    // Lets the copies go; the drawing stays as it is.
    void Drop();
    bool Holds() const { return static_cast<bool>(m_doc); }
    const vlapi::IVarnelDocument2DPtr& Document() const { return m_doc; }

private:
    struct Layer {
        int number = 0;
        std::wstring name;
        int color = 0;
        bool visible = true;
    };
    struct View {
        int number = 0;
        std::wstring name;
        double x = 0.0, y = 0.0, scale = 1.0;
        std::vector<Layer> layers;
        int currentLayer = 0;
        std::vector<reference> objects;  // standing directly in it, in order
    };
    struct Page {
        int format = 0;
        bool vertical = false;
        double width = 0.0, height = 0.0;
        std::wstring style;
        int styleNumber = 0;
        std::map<int, std::wstring> cells;  // the title block's, by number; none without one
    };
    struct Property {
        vlapi::IPropertyPtr property;
        bool held = false;
        vlapi::PropertyValue value;
    };

    bool RestoreSystemView(const vlapi::IViewsPtr& views);
    bool RestorePages();
    void RestoreProperties();
    void MapReferences(const vlapi::IViewsPtr& views, Moved& moved) const;

    vlapi::IVarnelDocument2DPtr m_doc;
    std::vector<View> m_views;  // in the collection's order, the system view first
    int m_currentView = 0;
    vlapi::IDrawingGroupPtr m_viewCopies;    // the views but the system one, standing in none
    vlapi::IDrawingGroupPtr m_systemCopies;  // the system view's objects, standing in no view
    std::vector<Page> m_pages;
    std::vector<Property> m_properties;
};
