// An SVG picture of a 2D document: its pages side by side, each view mapped
// onto the sheet by its origin and scale, and every visible object.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "io/Files.h"
#include "model/Layout.h"
#include "model/Macro.h"
#include "model/Table.h"
#include "model/Text.h"

namespace vlhost {
namespace {

std::string Escape(const std::wstring& text) {
  std::string out;
  for (char c : Utf8(text)) {
    switch (c) {
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '&': out += "&amp;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Colour(int packed) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", packed & 0xFF, (packed >> 8) & 0xFF, (packed >> 16) & 0xFF);
  return buffer;
}

std::string StyleColour(int style) {
  switch (style) {
    case 2: return "#555555";
    case 3: return "#d02020";
    case 4: return "#2050c0";
    default: return "#000000";
  }
}

class Painter {
 public:
  Painter(Document2D& doc, bool pages) : doc_(doc), pages_(pages) { Measure(); }

  std::string Paint() {
    std::ostringstream svg;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << Width() << "mm\" height=\"" << Height()
        << "mm\" viewBox=\"0 0 " << Width() << ' ' << Height() << "\">\n"
        << "<rect x=\"0\" y=\"0\" width=\"" << Width() << "\" height=\"" << Height() << "\" fill=\"white\"/>\n";
    if (pages_) PaintPages(svg);
    for (const auto& view : doc_.Views()) PaintView(svg, *view);
    svg << "</svg>\n";
    return svg.str();
  }

 private:
  static constexpr double kMargin = 10;

  void Measure() {
    double x = 0;
    for (const auto& page : pages_ ? doc_.Pages() : std::vector<Ref<LayoutSheet>>{}) {
      box_.add({x, 0});
      box_.add({x + page->format->GetWidth(), page->format->GetHeight()});
      x += page->format->GetWidth();
    }
    for (const auto& view : doc_.Views()) {
      const geom::Transform t = SheetOf(*view);
      for (const auto& s : view->Items()) {
        const geom::Box b = s->Box();
        if (b.empty()) continue;
        box_.add(t.apply(b.min));
        box_.add(t.apply(b.max));
      }
    }
    if (box_.empty()) box_.add({0, 0});
  }

  static geom::Transform SheetOf(const View& view) {
    return geom::Transform::scale({0, 0}, view.scale).then(geom::Transform::move(view.x, view.y));
  }

  double Width() const { return box_.width() + 2 * kMargin; }
  double Height() const { return box_.height() + 2 * kMargin; }
  geom::Point Out(geom::Point p) const { return {p.x - box_.min.x + kMargin, box_.max.y - p.y + kMargin}; }

  void Line(std::ostream& svg, geom::Point a, geom::Point b, const char* colour, double width) const {
    a = Out(a);
    b = Out(b);
    svg << "<line x1=\"" << a.x << "\" y1=\"" << a.y << "\" x2=\"" << b.x << "\" y2=\"" << b.y << "\" stroke=\""
        << colour << "\" stroke-width=\"" << width << "\"/>\n";
  }

  void Rect(std::ostream& svg, geom::Point min, geom::Point max, const char* colour, double width) const {
    Line(svg, min, {max.x, min.y}, colour, width);
    Line(svg, {max.x, min.y}, max, colour, width);
    Line(svg, max, {min.x, max.y}, colour, width);
    Line(svg, {min.x, max.y}, min, colour, width);
  }

  // `turn`: the text's direction, degrees counter-clockwise.
  void Label(std::ostream& svg, geom::Point at, double height, const std::wstring& text, const std::string& colour,
             double turn = 0) const {
    if (text.empty() || height <= 0) return;
    const geom::Point p = Out(at);
    svg << "<text x=\"" << p.x << "\" y=\"" << p.y << "\" font-family=\"DejaVu Sans, sans-serif\" font-size=\""
        << height << "\" fill=\"" << colour << "\"";
    if (std::abs(turn) > 1e-9) svg << " transform=\"rotate(" << -turn << ' ' << p.x << ' ' << p.y << ")\"";
    svg << ">" << Escape(text) << "</text>\n";
  }

  void PaintPages(std::ostream& svg) const {
    double x = 0;
    for (const auto& page : doc_.Pages()) {
      const double w = page->format->GetWidth(), h = page->format->GetHeight();
      Rect(svg, {x, 0}, {x + w, h}, "#999999", 0.3);
      if (page->HasLayout()) {
        Rect(svg, {x + 20, 5}, {x + w - 5, h - 5}, "#000000", 0.6);
        Rect(svg, {x + w - 190, 5}, {x + w - 5, 60}, "#000000", 0.4);
        double row = 52;
        for (const auto& [cell, text] : page->stamp->cells) {
          Label(svg, {x + w - 185, row}, 3.5, std::to_wstring(cell) + L": " + text->model.Joined(), "#000000");
          row -= 6;
        }
      }
      x += w;
    }
  }

  void PaintView(std::ostream& svg, const View& view) {
    const geom::Transform t = SheetOf(view);
    svg << "<g id=\"view" << view.number << "\">\n";
    for (const auto& s : view.Items()) PaintShape(svg, view, *s, t);
    svg << "</g>\n";
  }

  std::string ColourOf(const View& view, const Shape& shape) const {
    const Layer* l = view.LayerByNumber(shape.layer);
    return l && l->color != 0 ? Colour(l->color) : StyleColour(shape.style);
  }

  void PaintShape(std::ostream& svg, const View& view, const Shape& shape, const geom::Transform& t) {
    if (!view.ShowsLayer(shape.layer)) return;
    if (auto* macro = dynamic_cast<const MacroObject*>(&shape)) {
      const geom::Transform inner = macro->Placement().then(t);
      // Fills first, so that curves and texts stay on top.
      for (const auto& m : macro->Items())
        if (dynamic_cast<const ColouringShape*>(m.get()) || dynamic_cast<const HatchShape*>(m.get())) PaintShape(svg, view, *m, inner);
      for (const auto& m : macro->Items())
        if (!dynamic_cast<const ColouringShape*>(m.get()) && !dynamic_cast<const HatchShape*>(m.get())) PaintShape(svg, view, *m, inner);
    } else if (auto* colouring = dynamic_cast<const ColouringShape*>(&shape)) {
      Fill(svg, colouring->boundaries, t, Colour(colouring->color), 0.5);
    } else if (auto* hatch = dynamic_cast<const HatchShape*>(&shape)) {
      Fill(svg, hatch->boundaries, t, "#808080", 0.25);
    } else if (auto* text = dynamic_cast<const DrawingText*>(&shape)) {
      PaintText(svg, text->model, text->anchor, geom::Transform::turn(text->anchor, text->angle).then(t), ColourOf(view, shape));
    } else if (auto* table = dynamic_cast<const DrawingTable*>(&shape)) {
      PaintTable(svg, *table, t);
    } else {
      PaintCurves(svg, shape.Curves(), t, ColourOf(view, shape), shape.style == 4 ? 0.5 : 0.35);
    }
  }

  void PaintCurves(std::ostream& svg, const std::vector<geom::Curve>& curves, const geom::Transform& t,
                   const std::string& colour, double width) const {
    const double sag = 0.05 / std::max(t.lengthFactor(), 1e-9);
    for (const geom::Curve& curve : curves) {
      const std::vector<geom::Point> points = geom::chordPoints(curve, sag);
      if (points.size() < 2) continue;
      svg << "<path fill=\"none\" stroke=\"" << colour << "\" stroke-width=\"" << width << "\" d=\"";
      for (std::size_t i = 0; i < points.size(); ++i) {
        const geom::Point p = Out(t.apply(points[i]));
        svg << (i ? " L" : "M") << p.x << ' ' << p.y;
      }
      svg << "\"/>\n";
    }
  }

  void Fill(std::ostream& svg, const Boundaries& boundaries, const geom::Transform& t, const std::string& colour,
            double opacity) const {
    const auto rings = boundaries.Rings(0.05 / std::max(t.lengthFactor(), 1e-9));
    if (rings.empty()) return;
    svg << "<path fill=\"" << colour << "\" fill-opacity=\"" << opacity << "\" fill-rule=\"evenodd\" stroke=\"none\" d=\"";
    for (const auto& ring : rings) {
      for (std::size_t i = 0; i < ring.size(); ++i) {
        const geom::Point p = Out(t.apply(ring[i]));
        svg << (i ? " L" : " M") << p.x << ' ' << p.y;
      }
      svg << " Z";
    }
    svg << "\"/>\n";
  }

  // Lines run down from the anchor, in the text's own coordinates placed by `t`.
  void PaintText(std::ostream& svg, const TextModel& model, geom::Point at, const geom::Transform& t,
                 const std::string& colour, double scale = 1.0) const {
    const double turn = t.turnAngle() * 180.0 / geom::kPi;
    double y = at.y;
    for (const auto& line : model.lines) {
      double x = at.x, height = 0;
      for (const auto& item : line.items) {
        const double h = item.height * scale;
        Label(svg, t.apply({x, y}), h * t.lengthFactor(), item.text, colour, turn);
        x += 0.7 * h * item.widthFactor * static_cast<double>(item.text.size());
        height = std::max(height, h);
      }
      y -= 1.6 * height;
    }
  }

  void PaintTable(std::ostream& svg, const DrawingTable& table, const geom::Transform& t) const {
    double top = table.corner.y;
    for (std::size_t r = 0; r < table.heights.size(); ++r) {
      double left = table.corner.x;
      const double bottom = top - table.heights[r];
      for (std::size_t c = 0; c < table.widths.size(); ++c) {
        const double right = left + table.widths[c];
        const geom::Point corners[] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
        for (int k = 0; k < 4; ++k) Line(svg, t.apply(corners[k]), t.apply(corners[(k + 1) % 4]), "#000000", 0.25);
        const TextModel& text = table.cells[r][c]->model;
        const double h = std::min(text.Height(), table.heights[r] * 0.7);
        PaintText(svg, text, {left + 1, bottom + (table.heights[r] - h) / 2}, t, "#000000",
                  text.Height() > 0 ? h / text.Height() : 1);
        left = right;
      }
      top = bottom;
    }
  }

  Document2D& doc_;
  bool pages_;
  geom::Box box_;
};

}  // namespace

// A fragment has no sheet format of its own: its pages are never drawn.
std::string RenderSvg(Document2D& doc, bool pages) {
  return Painter(doc, pages && doc.DocType() != vlapi::vlDocumentFragment).Paint();
}

bool WriteSvg(Document2D& doc, const std::wstring& path) {
  try {
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out << RenderSvg(doc);
    return static_cast<bool>(out);
  } catch (...) {
    return false;
  }
}

}  // namespace vlhost
