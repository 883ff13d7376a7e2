// Bodies built from their recipes: a sheet's base plate and flanges as planes
// and cylinders of the geometric kernel, and blocks.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <tuple>

#include "geom/Contour.h"
#include "io/Files.h"
#include "model3d/Body.h"

namespace vlhost {
namespace {

constexpr double kDegree = geom::kPi / 180;

// One edge of a loop in a plate's plane: a segment, or an arc about `centre`
// from the angle `start` by `sweep` (a whole turn for a circle).
struct Piece {
  geom::Point a, b;
  bool arc = false;
  geom::Point centre;
  double radius = 0, start = 0, sweep = 0;
};

struct Loop2 {
  std::vector<Piece> pieces;
  double sign = 1;  // +1 counter-clockwise, -1 clockwise
};

// `v` with as few significant digits as keep it on its side of `limit`.
std::string Beside(double v, double limit) {
  char text[64];
  for (int digits = 6; digits < 17; ++digits) {
    std::snprintf(text, sizeof text, "%.*g", digits, v);
    const double shown = std::strtod(text, nullptr);
    if ((shown < limit) == (v < limit) && (shown > limit) == (v > limit)) return text;
  }
  std::snprintf(text, sizeof text, "%.17g", v);
  return text;
}

// The shortest text that reads back as `v`, without an exponent for the sizes
// a model has, so that a size is never shown rounded to a limit it breaks.
std::string SizeText(double v) {
  char text[64];
  const bool plain = std::abs(v) >= 1e-4 && std::abs(v) < 1e15;
  const auto end = plain ? std::to_chars(text, text + sizeof text, v, std::chars_format::fixed).ptr
                         : std::to_chars(text, text + sizeof text, v).ptr;
  return std::string(text, end);
}

bool Finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

geom::Curve CurveOf(const Piece& p) {
  if (!p.arc) return geom::Segment{p.a, p.b};
  return geom::Arc{p.centre, p.radius, p.start, p.start + p.sweep, p.sweep > 0};
}

geom::Contour ContourOf(const Loop2& loop) {
  geom::Contour contour;
  for (const Piece& p : loop.pieces) contour.edges.push_back({CurveOf(p), 0, false});
  return contour;
}

// The loop's pieces, or a message.
std::string LoopOf(const SheetLoop& loop, Loop2& out) {
  out.pieces.clear();
  if (loop.radius > 0 || loop.vertices.empty()) {
    if (!Finite({loop.cx, loop.cy, loop.radius}) || !(loop.radius > 1e-6)) return "у окружности нет радиуса";
    const geom::Point c{loop.cx, loop.cy}, p{loop.cx + loop.radius, loop.cy};
    out.pieces.push_back({p, p, true, c, loop.radius, 0, 2 * geom::kPi});
    return {};
  }
  const std::size_t n = loop.vertices.size();
  for (std::size_t i = 0; i < n; ++i) {
    const SheetVertex& v = loop.vertices[i];
    const SheetVertex& w = loop.vertices[(i + 1) % n];
    if (!Finite({v.x, v.y, v.bulge})) return "вершина не число";
    Piece piece;
    piece.a = {v.x, v.y};
    piece.b = {w.x, w.y};
    const double chord = geom::distance(piece.a, piece.b);
    if (chord < 1e-6) return "у ребра нет длины";
    if (std::abs(v.bulge) > 1e-12) {
      piece.arc = true;
      piece.sweep = 4 * std::atan(v.bulge);
      const geom::Point mid = geom::lerp(piece.a, piece.b, 0.5), dir = (piece.b - piece.a) / chord;
      piece.centre = mid + geom::Point{-dir.y, dir.x} * (chord / 2 / std::tan(piece.sweep / 2));
      piece.radius = geom::distance(piece.centre, piece.a);
      piece.start = std::atan2(piece.a.y - piece.centre.y, piece.a.x - piece.centre.x);
    }
    out.pieces.push_back(piece);
  }
  const double area = geom::signedArea(ContourOf(out));
  if (std::abs(area) < 1e-9) return "контур не ограничивает площади";
  out.sign = area > 0 ? 1 : -1;
  return {};
}

// Bodies stay within this distance of their recipe's origin (mm), and are
// placed within kFarthest of their part's: farther out the kernel's
// coordinates lose the precision that joins faces and finds bends.
constexpr double kReach = 1e5;
constexpr double kFarthest = 1e7;
// The least bend: its angle (degrees), and the length of its inner arc (mm),
// no shorter than the distance within which the kernel joins points.
constexpr double kLeastAngle = 1e-4;
constexpr double kLeastArc = 1e-6;

std::vector<const Loop2*> LoopsOf(const Loop2& outline, const std::vector<Loop2>& holes) {
  std::vector<const Loop2*> loops{&outline};
  for (const Loop2& hole : holes) loops.push_back(&hole);
  return loops;
}

bool SegmentsCross(geom::Point a, geom::Point b, geom::Point c, geom::Point d) {
  auto side = [](geom::Point p, geom::Point q, geom::Point r) {
    const double s = geom::cross(q - p, r - p);
    return std::abs(s) < 1e-12 ? 0 : s > 0 ? 1 : -1;
  };
  const int s1 = side(a, b, c), s2 = side(a, b, d), s3 = side(c, d, a), s4 = side(c, d, b);
  if (s1 * s2 < 0 && s3 * s4 < 0) return true;
  auto on = [](geom::Point p, geom::Point q, geom::Point r) {
    return geom::distanceToSegment(r, p, q) < 1e-9;
  };
  return (s1 == 0 && on(a, b, c)) || (s2 == 0 && on(a, b, d)) || (s3 == 0 && on(c, d, a)) || (s4 == 0 && on(c, d, b));
}

// The first place where two chords of the rings cross or touch (chords next
// to each other in one ring apart): which rings, or none. Of all such pairs,
// the one met first when the chords are taken by their left ends; chords are
// compared only with those that pass through a cell of a grid they pass
// through, cells as wide as a chord is long on average (a column of
// thousands of holes has as many chords side by side in x).
std::optional<std::pair<std::size_t, std::size_t>> Meeting(const std::vector<std::vector<geom::Point>>& rings) {
  struct Chord {
    geom::Point a, b;
    std::size_t ring, index;
    double left() const { return std::min(a.x, b.x); }
    double right() const { return std::max(a.x, b.x); }
  };
  std::vector<Chord> chords;
  for (std::size_t r = 0; r < rings.size(); ++r)
    for (std::size_t i = 0; i < rings[r].size(); ++i)
      chords.push_back({rings[r][i], rings[r][(i + 1) % rings[r].size()], r, i});
  std::stable_sort(chords.begin(), chords.end(), [](const Chord& p, const Chord& q) { return p.left() < q.left(); });
  if (chords.empty()) return std::nullopt;
  constexpr double kTouch = 1e-9;
  geom::Box all;
  double length = 0;
  for (const Chord& c : chords) all.add(c.a), all.add(c.b), length += geom::distance(c.a, c.b);
  const double cell = std::max({length / static_cast<double>(chords.size()), all.width() * 1e-9, all.height() * 1e-9, 1e-9});
  const auto index = [&](double v, double low) { return static_cast<int64_t>(std::floor((v - low) / cell)); };
  struct Entry {
    int64_t x, y;
    std::size_t chord;
    bool operator<(const Entry& o) const { return std::tie(x, y, chord) < std::tie(o.x, o.y, o.chord); }
  };
  std::vector<Entry> entries;
  for (std::size_t i = 0; i < chords.size(); ++i) {
    const Chord& c = chords[i];
    for (int64_t x = index(c.left() - kTouch, all.min.x), x1 = index(c.right() + kTouch, all.min.x); x <= x1; ++x) {
      // The chord's span of y within the column (its whole span when upright).
      double y0 = std::min(c.a.y, c.b.y), y1 = std::max(c.a.y, c.b.y);
      if (c.a.x != c.b.x) {
        const double from = all.min.x + static_cast<double>(x) * cell - kTouch, to = from + cell + 2 * kTouch;
        const auto yAt = [&](double at) {
          const double t = std::clamp((at - c.a.x) / (c.b.x - c.a.x), 0.0, 1.0);
          return c.a.y + (c.b.y - c.a.y) * t;
        };
        y0 = std::min(yAt(from), yAt(to)), y1 = std::max(yAt(from), yAt(to));
      }
      for (int64_t y = index(y0 - kTouch, all.min.y), yEnd = index(y1 + kTouch, all.min.y); y <= yEnd; ++y)
        entries.push_back({x, y, i});
    }
  }
  std::sort(entries.begin(), entries.end());
  std::optional<std::pair<std::size_t, std::size_t>> first;  // by the chords' order
  for (std::size_t g = 0; g < entries.size();) {
    std::size_t end = g + 1;
    while (end < entries.size() && entries[end].x == entries[g].x && entries[end].y == entries[g].y) ++end;
    for (std::size_t m = g; m < end; ++m)
      for (std::size_t n = m + 1; n < end; ++n) {
        const std::size_t i = entries[m].chord, j = entries[n].chord;
        if (i == j || (first && std::pair{i, j} >= *first)) continue;
        const Chord &p = chords[i], &q = chords[j];
        if (q.left() > p.right() + kTouch) continue;
        if (std::max(std::min(p.a.y, p.b.y), std::min(q.a.y, q.b.y)) > std::min(std::max(p.a.y, p.b.y), std::max(q.a.y, q.b.y)) + kTouch)
          continue;
        if (p.ring == q.ring) {
          const std::size_t count = rings[p.ring].size(), d = p.index > q.index ? p.index - q.index : q.index - p.index;
          if (d == 1 || d + 1 == count) continue;
        }
        if (SegmentsCross(p.a, p.b, q.a, q.b)) first = std::pair{i, j};
      }
    g = end;
  }
  if (!first) return std::nullopt;
  const std::size_t a = chords[first->first].ring, b = chords[first->second].ring;
  return std::pair{std::min(a, b), std::max(a, b)};
}

// Which of the points lie inside the closed ring, by the crossings of a ray
// from each towards +x: each chord meets only the points of its own span of
// y, so that a ring of a hundred thousand chords about ten thousand points
// costs their sum, not their product.
std::vector<bool> InsideRing(const std::vector<geom::Point>& ring, const std::vector<geom::Point>& points) {
  std::vector<std::size_t> byY(points.size());
  for (std::size_t i = 0; i < byY.size(); ++i) byY[i] = i;
  std::stable_sort(byY.begin(), byY.end(), [&](std::size_t a, std::size_t b) { return points[a].y < points[b].y; });
  std::vector<double> ys;
  for (std::size_t i : byY) ys.push_back(points[i].y);
  std::vector<bool> inside(points.size(), false);
  for (std::size_t k = 0; k < ring.size(); ++k) {
    const geom::Point a = ring[k], b = ring[(k + 1) % ring.size()];
    if (!(a.y != b.y)) continue;
    const double high = std::max(a.y, b.y);
    for (auto y = std::lower_bound(ys.begin(), ys.end(), std::min(a.y, b.y)); y != ys.end() && *y < high; ++y) {
      const std::size_t i = byY[static_cast<std::size_t>(y - ys.begin())];
      if (points[i].x < a.x + (points[i].y - a.y) * (b.x - a.x) / (b.y - a.y)) inside[i] = !inside[i];
    }
  }
  return inside;
}

// The boxes filed in a grid of about as many cells as there are boxes: the
// boxes that may hold a point are those of its cell, in their order.
class BoxGrid {
 public:
  explicit BoxGrid(std::span<const geom::Box> boxes) {
    for (const geom::Box& box : boxes) all_.add(box);
    if (boxes.empty() || all_.empty()) return;
    side_ = static_cast<std::size_t>(std::ceil(std::sqrt(static_cast<double>(boxes.size()))));
    cells_.resize(side_ * side_);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const auto [x0, y0] = Cell(boxes[i].min);
      const auto [x1, y1] = Cell(boxes[i].max);
      for (std::size_t x = x0; x <= x1; ++x)
        for (std::size_t y = y0; y <= y1; ++y) cells_[x * side_ + y].push_back(i);
    }
  }
  const std::vector<std::size_t>& At(geom::Point p) const {
    static const std::vector<std::size_t> none;
    if (cells_.empty() || !all_.contains(p, 1e-9)) return none;
    const auto [x, y] = Cell(p);
    return cells_[x * side_ + y];
  }

 private:
  std::pair<std::size_t, std::size_t> Cell(geom::Point p) const {
    const auto index = [&](double v, double low, double size) {
      const double at = size > 0 ? std::floor((v - low) / size * static_cast<double>(side_)) : 0.0;
      return static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(side_ - 1)));
    };
    return {index(p.x, all_.min.x, all_.width()), index(p.y, all_.min.y, all_.height())};
  }
  geom::Box all_;
  std::size_t side_ = 0;
  std::vector<std::vector<std::size_t>> cells_;
};

// The outline and holes of a plate: each a simple loop, the holes inside the
// outline and apart from it and from one another.
std::string CheckRegion(const Loop2& outline, const std::vector<Loop2>& holes, const std::string& what) {
  std::vector<std::vector<geom::Point>> rings;
  std::vector<geom::Box> boxes;
  for (const Loop2* loop : LoopsOf(outline, holes)) {
    const geom::Box box = geom::boundingBox(ContourOf(*loop));
    if (!(std::max({-box.min.x, -box.min.y, box.max.x, box.max.y}) <= kReach))
      return what + ": деталь выходит за " + SizeText(kReach) + " мм";
    rings.push_back(geom::ringPoints(ContourOf(*loop), 1e-3));
    boxes.push_back(box);
  }
  // Rings: 0 the outline, k hole k.
  const auto hole = [](std::size_t k) { return "отверстие " + std::to_string(k); };
  if (const auto meeting = Meeting(rings)) {
    const auto [a, b] = *meeting;
    if (a == b) return what + ": " + (a == 0 ? "внешний контур пересекает сам себя" : hole(a) + " пересекает само себя");
    return what + ": " + hole(b) + " касается " + (a == 0 ? "внешнего контура" : "отверстия " + std::to_string(a));
  }
  // The rings do not meet: a hole lies wholly where one of its points does.
  std::vector<geom::Point> points;
  for (std::size_t i = 0; i < holes.size(); ++i) points.push_back(rings[i + 1].front());
  const std::vector<bool> inside = InsideRing(rings[0], points);
  const BoxGrid grid(std::span<const geom::Box>(boxes).subspan(1));
  for (std::size_t i = 0; i < holes.size(); ++i) {
    const geom::Point p = points[i];
    if (!inside[i]) return what + ": " + hole(i + 1) + " вне внешнего контура";
    for (std::size_t j : grid.At(p))  // only a hole whose box holds p may hold it
      if (j != i && boxes[j + 1].contains(p, 1e-9) && geom::encloses(ContourOf(holes[j]), p))
        return what + ": " + hole(i + 1) + " внутри отверстия " + std::to_string(j + 1);
  }
  return {};
}

// A plate of the sheet: the plane of its lower side (origin and axes) and its thickness upwards.
struct Frame {
  MbCartPoint3D origin;
  MbVector3D x, y, up;
  double thickness = 0;
  MbCartPoint3D At(geom::Point p, double h) const { return origin + x * p.x + y * p.y + up * h; }
  MbPlacement3D Plane(double h, const MbVector3D& normal) const { return MbPlacement3D(At({0, 0}, h), normal, false); }
};

SPtr<MbCurve3D> CurveAt(const Frame& f, const Piece& p, double h) {
  if (!p.arc) return SPtr<MbCurve3D>(new MbLineSegment3D(f.At(p.a, h), f.At(p.b, h)));
  const MbPlacement3D place(f.At(p.centre, h), f.x, f.y);
  const double t1 = p.sweep > 0 ? p.start : p.start + p.sweep;
  return SPtr<MbCurve3D>(new MbArc3D(place, p.radius, t1, t1 + std::abs(p.sweep)));
}

SPtr<MbCurve3D> Line(const MbCartPoint3D& a, const MbCartPoint3D& b) { return SPtr<MbCurve3D>(new MbLineSegment3D(a, b)); }

class Faces {
 public:
  void Add(MbFace* face, int element) {
    if (!face) failed_ = true;
    faces_.emplace_back(face);
    element_.push_back(element);
  }
  bool Failed() const { return failed_; }
  const std::vector<SPtr<MbFace>>& List() const { return faces_; }
  std::vector<int> Elements() const { return element_; }

 private:
  std::vector<SPtr<MbFace>> faces_;
  std::vector<int> element_;
  bool failed_ = false;
};

// The faces of a plate: its two sides, the walls of its outline (but those of
// `attached` edges, where bends go on) and of its holes.
void PlateFaces(const Frame& f, const Loop2& outline, const std::vector<bool>& attached, const std::vector<Loop2>& holes,
                int element, Faces& faces) {
  for (double h : {f.thickness, 0.0}) {
    std::vector<MbSpaceCurves> loops(1);
    for (const Piece& p : outline.pieces) loops[0].push_back(CurveAt(f, p, h));
    for (const Loop2& hole : holes) {
      loops.emplace_back();
      for (const Piece& p : hole.pieces) loops.back().push_back(CurveAt(f, p, h));
    }
    faces.Add(MakePlaneFace(f.Plane(h, h > 0 ? f.up : -f.up), loops, fa_SheetSide), element);
  }
  auto walls = [&](const Loop2& loop, bool hole, const std::vector<bool>* skip) {
    // The material lies left of a counter-clockwise outline and right of a counter-clockwise hole.
    const double out = hole ? loop.sign : -loop.sign;
    for (std::size_t i = 0; i < loop.pieces.size(); ++i) {
      if (skip && (*skip)[i]) continue;
      const Piece& p = loop.pieces[i];
      MbSpaceCurves curves{CurveAt(f, p, 0), Line(f.At(p.b, 0), f.At(p.b, f.thickness)), CurveAt(f, p, f.thickness),
                           Line(f.At(p.a, f.thickness), f.At(p.a, 0))};
      if (!p.arc) {
        const geom::Point d = (p.b - p.a) / geom::distance(p.a, p.b);
        faces.Add(MakePlaneFace(MbPlacement3D(f.At(p.a, 0), (f.x * -d.y + f.y * d.x) * out, false), {curves}), element);
      } else {
        // A circle's two lines are its seam, met twice.
        const bool awayFromCentre = -out * (p.sweep > 0 ? 1 : -1) > 0;
        const MbPlacement3D axis(f.At(p.centre, 0), f.x, f.y);
        faces.Add(MakeCylinderFace(axis, p.radius, awayFromCentre, {curves}), element);
      }
    }
  };
  walls(outline, false, &attached);
  for (const Loop2& hole : holes) walls(hole, true, nullptr);
}

MbMatrix3D MotionOf(const Pose& pose) {
  const MbCartPoint3D o;
  return MbMatrix3D::Turn(o, {1, 0, 0}, pose.rx * kDegree)
      .Then(MbMatrix3D::Turn(o, {0, 1, 0}, pose.ry * kDegree))
      .Then(MbMatrix3D::Turn(o, {0, 0, 1}, pose.rz * kDegree))
      .Then(MbMatrix3D::Shift({pose.x, pose.y, pose.z}));
}

// A flange: its bend (two cylinder sides and two end walls) and its plate.
std::string FlangeFaces(const SheetRecipe& recipe, const Loop2& base, std::size_t index, Faces& faces) {
  const Flange& flange = recipe.flanges[index];
  const std::string what = "отгибка " + std::to_string(index + 1);
  if (flange.edge < 0 || static_cast<std::size_t>(flange.edge) >= base.pieces.size())
    return what + ": у контура нет ребра " + std::to_string(flange.edge);
  const Piece& edge = base.pieces[static_cast<std::size_t>(flange.edge)];
  const double r = flange.radius > 0 ? flange.radius : recipe.radius, t = recipe.thickness;
  if (edge.arc) return what + ": ребро " + std::to_string(flange.edge) + " не прямое";
  if (!(flange.angle > 0 && flange.angle <= 180)) return what + ": угол " + SizeText(flange.angle) + " не в пределах (0, 180]";
  if (!Finite({flange.radius})) return what + ": радиус гиба не число";
  if (!Finite({flange.length})) return what + ": длина не число";
  if (!(r > 0)) return what + ": радиус гиба не больше нуля";
  // Narrower bends the kernel does not tell from their bend lines.
  if (!(flange.angle >= kLeastAngle))
    return what + ": угол " + Beside(flange.angle, kLeastAngle) + "° меньше " + SizeText(kLeastAngle) + "°";
  if (!(r * flange.angle * kDegree >= kLeastArc))
    return what + ": дуга гиба " + Beside(r * flange.angle * kDegree, kLeastArc) + " мм короче " + SizeText(kLeastArc) +
           " мм (радиус " + Beside(r, 0) + " мм, угол " + Beside(flange.angle, 0) + "°)";
  if (!(r + t <= kReach))
    return what + ": гиб выходит за " + SizeText(kReach) + " мм (радиус " + SizeText(r) + " мм, толщина " + SizeText(t) + " мм)";
  if (!(flange.length > 0)) return what + ": длина не больше нуля";
  const double w = geom::distance(edge.a, edge.b), theta = flange.angle * kDegree, sigma = flange.up ? 1 : -1;
  const geom::Point d = (edge.b - edge.a) / w;
  const MbVector3D e(d.x, d.y, 0), z(0, 0, 1), out = MbVector3D(d.y, -d.x, 0) * base.sign;
  const MbCartPoint3D axis = MbCartPoint3D(edge.a.x, edge.a.y, 0) + z * (flange.up ? t + r : -r);
  auto radial = [&](double a) { return out * std::sin(a) - z * (sigma * std::cos(a)); };
  auto at = [&](double a, double rho, double s) { return axis + radial(a) * rho + e * s; };
  const int element = static_cast<int>(index) + 1;
  // The bend: u measured from -sigma z towards `out`, about the edge's line.
  const MbPlacement3D frame(axis, z * -sigma, out);
  auto arcAt = [&](double rho, double s) {
    return SPtr<MbCurve3D>(new MbArc3D(MbPlacement3D(axis + e * s, z * -sigma, out), rho, 0, theta));
  };
  for (double rho : {r, r + t}) {
    MbSpaceCurves loop{Line(at(0, rho, 0), at(0, rho, w)), arcAt(rho, w), Line(at(theta, rho, w), at(theta, rho, 0)),
                       arcAt(rho, 0)};
    faces.Add(MakeCylinderFace(frame, rho, rho > r, {loop}, fa_SheetSide | (rho > r ? fa_OuterBend : fa_InnerBend)),
              element);
  }
  for (double s : {0.0, w}) {
    MbSpaceCurves loop{arcAt(r, s), Line(at(theta, r, s), at(theta, r + t, s)), arcAt(r + t, s),
                       Line(at(0, r + t, s), at(0, r, s))};
    faces.Add(MakePlaneFace(MbPlacement3D(axis + e * s, s > 0 ? e : -e, false), {loop}), element);
  }
  // The flange's plate, its lower side the bend's inner side.
  Frame plate{at(theta, r, 0), e, out * std::cos(theta) + z * (sigma * std::sin(theta)), radial(theta), t};
  Loop2 outline;
  LoopOf(SheetLoop::Rectangle(0, 0, w, flange.length), outline);
  std::vector<Loop2> holes(flange.holes.size());
  for (std::size_t i = 0; i < holes.size(); ++i)
    if (std::string error = LoopOf(flange.holes[i], holes[i]); !error.empty())
      return what + ", отверстие " + std::to_string(i + 1) + ": " + error;
  if (std::string error = CheckRegion(outline, holes, what); !error.empty()) return error;
  PlateFaces(plate, outline, {true, false, false, false}, holes, element, faces);
  return {};
}

std::string BuildSheet(const SheetRecipe& recipe, BuiltBody& built) {
  if (!Finite({recipe.thickness})) return "толщина не число";
  if (!(recipe.thickness > 0)) return "толщина не больше нуля";
  if (!Finite({recipe.radius})) return "радиус гиба не число";
  if (!(recipe.coefficient >= 0 && recipe.coefficient <= 1)) return "коэффициент " + SizeText(recipe.coefficient) + " не в пределах [0, 1]";
  Loop2 outline;
  if (std::string error = LoopOf(recipe.outline, outline); !error.empty()) return "внешний контур: " + error;
  std::vector<Loop2> holes(recipe.holes.size());
  for (std::size_t i = 0; i < holes.size(); ++i)
    if (std::string error = LoopOf(recipe.holes[i], holes[i]); !error.empty())
      return "отверстие " + std::to_string(i + 1) + ": " + error;
  if (std::string error = CheckRegion(outline, holes, "основание"); !error.empty()) return error;
  const std::size_t n = outline.pieces.size();
  std::vector<bool> attached(n, false);
  for (const Flange& flange : recipe.flanges) {
    if (flange.edge < 0 || static_cast<std::size_t>(flange.edge) >= n) continue;  // reported below
    const std::size_t i = static_cast<std::size_t>(flange.edge);
    if (attached[i]) return "две отгибки на ребре " + std::to_string(i);
    if (n > 1 && (attached[(i + 1) % n] || attached[(i + n - 1) % n]))
      return "отгибки на соседних рёбрах сходятся в углу (ребро " + std::to_string(i) + ")";
    attached[i] = true;
  }
  Faces faces;
  PlateFaces(Frame{{}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, recipe.thickness}, outline, attached, holes, 0, faces);
  for (std::size_t i = 0; i < recipe.flanges.size(); ++i)
    if (std::string error = FlangeFaces(recipe, outline, i, faces); !error.empty()) return error;
  if (faces.Failed()) return "грань не замкнута";
  built.solid = MakeSolid(faces.List());
  built.element = faces.Elements();
  if (!built.solid || !built.solid->GetShell()->IsClosed()) return "грани не замыкаются в тело";
  return {};
}

}  // namespace

SheetLoop SheetLoop::Circle(double cx, double cy, double radius) { return SheetLoop{{}, cx, cy, radius}; }

SheetLoop SheetLoop::Rectangle(double x0, double y0, double x1, double y1) {
  return SheetLoop{{{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}}};
}

SheetLoop SheetLoop::Rounded(double x0, double y0, double x1, double y1, double r) {
  const double b = std::tan(geom::kPi / 8);  // a quarter turn
  return SheetLoop{{{x0 + r, y0, 0}, {x1 - r, y0, b}, {x1, y0 + r, 0}, {x1, y1 - r, b},
                    {x1 - r, y1, 0}, {x0 + r, y1, b}, {x0, y1 - r, 0}, {x0, y0 + r, b}}};
}

std::wstring PartData::Build(BodyData& body) {
  auto built = std::make_shared<BuiltBody>();
  std::string error;
  if (!Finite({body.pose.x, body.pose.y, body.pose.z, body.pose.rx, body.pose.ry, body.pose.rz})) {
    error = "положение не число";
  } else if (!(std::max({std::abs(body.pose.x), std::abs(body.pose.y), std::abs(body.pose.z)}) <= kFarthest)) {
    error = "положение (" + SizeText(body.pose.x) + "; " + SizeText(body.pose.y) + "; " + SizeText(body.pose.z) + ") дальше " +
            SizeText(kFarthest) + " мм от начала координат";
  } else if (body.sheet) {
    error = BuildSheet(body.recipe, *built);
  } else if (!Finite({body.size[0], body.size[1], body.size[2]}) ||
             !(body.size[0] > 0 && body.size[1] > 0 && body.size[2] > 0)) {
    error = "размеры блока не больше нуля";
  } else {
    built->solid = MakeBox(MbPlacement3D(), body.size[0], body.size[1], body.size[2]);
    built->element.assign(built->solid->GetShell()->GetFacesCount(), 0);
  }
  if (!error.empty()) return Wide(error);
  built->solid = built->solid->Transformed(MotionOf(body.pose));
  body.built = built;
  return {};
}

namespace {

std::wstring AddBody(PartData& part, BodyData body) {
  int64_t id = int64_t{1} << 32;
  for (const BodyData& b : part.bodies) id = std::max(id, b.id + 1);
  body.id = id;
  if (std::wstring error = PartData::Build(body); !error.empty()) return error;
  part.bodies.push_back(std::move(body));
  return {};
}

}  // namespace

std::wstring PartData::AddSheet(const SheetRecipe& recipe, const Pose& pose, const std::wstring& bodyName) {
  BodyData body;
  body.name = bodyName;
  body.recipe = recipe;
  body.pose = pose;
  return AddBody(*this, std::move(body));
}

std::wstring PartData::AddBlock(double x, double y, double z, const Pose& pose, const std::wstring& bodyName) {
  BodyData body;
  body.name = bodyName;
  body.sheet = false;
  body.size[0] = x, body.size[1] = y, body.size[2] = z;
  body.pose = pose;
  return AddBody(*this, std::move(body));
}

}  // namespace vlhost
