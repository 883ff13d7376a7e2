// 3D documents in JSON files: the part tree with each detail's body recipes
// and sketches. Opening rebuilds every body's solid from its recipe; a tree
// nested deeper than the host reads, or a recipe that does not build, refuses
// the file with a message naming the part.
#include "host/Application.h"
#include "io/Files.h"
#include "io/JsonIo.h"
#include "model3d/Part3D.h"

#include <unordered_set>

namespace vlhost {

using namespace jsonio;

namespace {

constexpr int kMaxDepth = 64;

// Building a body's solid costs the host about as much per body, and per hole
// of a sheet body, as per ten vertices of its outlines; a document past this
// weight would take the host more than a few seconds to open (or gigabytes),
// and is refused before it is built.
constexpr std::size_t kLoopWeight = 10;
constexpr std::size_t kMaxWeight = 200000;

std::string Name(const std::wstring& name) { return "«" + Utf8(name) + "»"; }

// A body as a message names it: its name, or its number when it has none.
std::string BodyName(const BodyData& body) {
  return body.name.empty() ? std::to_string(body.id) : Name(body.name) + " (" + std::to_string(body.id) + ")";
}

json LoopJson(const SheetLoop& loop) {
  if (loop.vertices.empty()) return {{"circle", {loop.cx, loop.cy, loop.radius}}};
  json vertices = json::array();
  for (const SheetVertex& v : loop.vertices) vertices.push_back({v.x, v.y, v.bulge});
  return {{"vertices", vertices}};
}

json LoopsJson(const std::vector<SheetLoop>& loops) {
  json out = json::array();
  for (const SheetLoop& loop : loops) out.push_back(LoopJson(loop));
  return out;
}

json BodyJson(const BodyData& body) {
  const Pose& p = body.pose;
  json j = {{"id", body.id}, {"name", Utf8(body.name)}, {"pose", {p.x, p.y, p.z, p.rx, p.ry, p.rz}}};
  if (!body.sheet) {
    j["block"] = {body.size[0], body.size[1], body.size[2]};
    return j;
  }
  const SheetRecipe& r = body.recipe;
  json flanges = json::array();
  for (const Flange& f : r.flanges)
    flanges.push_back({{"edge", f.edge}, {"angle", f.angle}, {"radius", f.radius}, {"length", f.length}, {"up", f.up},
                       {"holes", LoopsJson(f.holes)}});
  j["sheet"] = {{"thickness", r.thickness}, {"radius", r.radius},          {"coefficient", r.coefficient},
                {"outline", LoopJson(r.outline)}, {"holes", LoopsJson(r.holes)}, {"flanges", flanges}};
  return j;
}

json PartJson(PartData& part, int depth) {
  if (depth > kMaxDepth) Bad("компонент " + Name(part.name) + " вложен глубже 64 уровней");
  json bodies = json::array(), sketches = json::array(), children = json::array();
  for (const BodyData& body : part.bodies) bodies.push_back(BodyJson(body));
  for (const auto& s : part.sketches)
    sketches.push_back({{"name", Utf8(s->name)}, {"base", s->base}, {"placed", s->placed},
                        {"drawing", DocumentJson(*s->drawing)}});
  for (const auto& child : part.children) children.push_back(PartJson(*child, depth + 1));
  return {{"name", Utf8(part.name)}, {"designation", Utf8(part.designation)}, {"fileName", Utf8(part.fileName)},
          {"material", Utf8(part.material)}, {"detail", part.detail}, {"unfold", part.unfold},
          {"bodies", bodies}, {"sketches", sketches}, {"children", children}};
}

// ---- reading ----

// Reads with the place of whatever goes wrong named before the message, from
// the innermost place out ("тело 4294967296, отгибка 1, отверстие 2: ..."); a
// message that names its part (`part` places) is not named again by the parts
// that hold it.
template <class F>
auto Within(const std::string& place, bool part, F&& read) -> decltype(read()) {
  try {
    return read();
  } catch (ReadError& e) {
    if (e.placed < 2) {
      e.what = place + (e.placed ? ", " : ": ") + e.what;
      e.placed = part ? 2 : 1;
    }
    throw;
  }
}

SheetLoop LoopOf(const json& j) {
  SheetLoop loop;
  if (j.is_object() && j.contains("circle")) {
    const std::vector<double> c = Numbers(j, "circle");
    if (c.size() != 3) Bad("окружность не задана центром и радиусом");
    loop.cx = c[0], loop.cy = c[1], loop.radius = c[2];
    return loop;
  }
  std::size_t n = 0;
  for (const json& v : List(j, "vertices")) {
    ++n;
    if (!v.is_array() || v.size() != 3 || !v[0].is_number() || !v[1].is_number() || !v[2].is_number())
      Bad("вершина " + std::to_string(n) + " не задана числами x, y и выпуклостью");
    loop.vertices.push_back({v[0].get<double>(), v[1].get<double>(), v[2].get<double>()});
  }
  return loop;
}

std::vector<SheetLoop> HolesOf(const json& j) {
  std::vector<SheetLoop> loops;
  for (const json& loop : List(j, "holes"))
    loops.push_back(Within("отверстие " + std::to_string(loops.size() + 1), false, [&] { return LoopOf(loop); }));
  return loops;
}

// A body's identifier: a whole number the host's identifiers hold.
int64_t IdOf(const json& j) {
  const json& id = Field(j, "id");
  if (!id.is_number_integer() || (id.is_number_unsigned() && id.get<uint64_t>() > uint64_t{INT64_MAX}))
    Bad("поле \"id\" тела не целое число от " + std::to_string(INT64_MIN) + " до " + std::to_string(INT64_MAX));
  return id.get<int64_t>();
}

void ReadBody(const json& j, BodyData& body) {
  body.name = Text(j, "name");
  const std::vector<double> pose = Numbers(j, "pose");
  if (pose.size() != 6) Bad("поле \"pose\" тела не шесть чисел");
  body.pose = {pose[0], pose[1], pose[2], pose[3], pose[4], pose[5]};
  if (j.contains("block")) {
    const std::vector<double> size = Numbers(j, "block");
    if (size.size() != 3) Bad("блок не задан тремя размерами");
    body.sheet = false;
    std::copy(size.begin(), size.end(), body.size);
    return;
  }
  const json& s = Field(j, "sheet");
  SheetRecipe& r = body.recipe;
  r.thickness = Number(s, "thickness");
  r.radius = Number(s, "radius");
  r.coefficient = Number(s, "coefficient");
  const json& outline = Field(s, "outline");
  r.outline = Within("внешний контур", false, [&] { return LoopOf(outline); });
  r.holes = HolesOf(s);
  for (const json& f : List(s, "flanges")) {
    r.flanges.push_back(Within("отгибка " + std::to_string(r.flanges.size() + 1), false, [&] {
      return Flange{Integer(f, "edge"), Number(f, "angle"), Number(f, "radius"), Number(f, "length"), Flag(f, "up"),
                    HolesOf(f)};
    }));
  }
}

std::size_t Weight(const SheetLoop& loop) { return kLoopWeight + loop.vertices.size(); }

std::size_t Weight(const SheetRecipe& r) {
  std::size_t w = Weight(r.outline);
  for (const SheetLoop& h : r.holes) w += Weight(h);
  for (const Flange& f : r.flanges)
    for (const SheetLoop& h : f.holes) w += Weight(h);
  return w;
}

class PartReader {
 public:
  explicit PartReader(Application* app) : app_(app) {}

  // `unnamed`: how a message names the component while its name is not read.
  void Read(const json& j, PartData& part, int depth, const std::string& unnamed) {
    if (depth > kMaxDepth) {
      const bool named = j.is_object() && j.contains("name") && j["name"].is_string();
      throw ReadError{"компонент " + (named ? "«" + j["name"].get<std::string>() + "»" : std::string("без имени")) +
                          " вложен глубже 64 уровней",
                      2};
    }
    std::string place = unnamed;
    Within(place, true, [&] { part.name = Text(j, "name"); });
    if (!part.name.empty()) {
      const auto detail = j.find("detail");
      const bool assembly = detail != j.end() && detail->is_boolean() && !detail->get<bool>();
      place = (assembly ? "сборка " : "деталь ") + Name(part.name);
    }
    Within(place, true, [&] {
      part.designation = Text(j, "designation");
      part.fileName = Text(j, "fileName");
      part.detail = Flag(j, "detail");
      // Files written before parts had bodies have none of these.
      if (j.contains("material")) part.material = Text(j, "material");
      if (j.contains("unfold")) part.unfold = Flag(j, "unfold");
      if (j.contains("bodies")) ReadBodies(j, part);
      if (j.contains("sketches")) ReadSketches(j, part);
      const std::string within = part.name.empty() ? std::string("компоненте без имени") : Name(part.name);
      int n = 0;
      for (const json& c : List(j, "children"))
        Read(c, part.Add(L"", true), depth + 1, "компонент " + std::to_string(++n) + " в " + within);
    });
  }

 private:
  void ReadBodies(const json& j, PartData& part) {
    std::unordered_set<int64_t> ids;
    for (const json& b : List(j, "bodies")) {
      BodyData body;
      body.id = Within(std::to_string(part.bodies.size() + 1) + "-е тело", false, [&] { return IdOf(b); });
      Within("тело " + std::to_string(body.id), false, [&] { ReadBody(b, body); });
      if (!ids.insert(body.id).second) Bad("у двух тел один номер " + std::to_string(body.id));
      weight_ += kLoopWeight + (body.sheet ? Weight(body.recipe) : 0);
      if (weight_ > kMaxWeight)
        Within("тело " + BodyName(body), false, [&] {
          Bad("в телах документа больше 200 000 вершин контуров (тело, контур или отверстие считается ещё за " +
              std::to_string(kLoopWeight) + "): такой документ не открывается");
        });
      if (std::wstring error = PartData::Build(body); !error.empty())
        Within("тело " + BodyName(body), false, [&] { Bad(Utf8(error)); });
      part.bodies.push_back(std::move(body));
    }
  }

  void ReadSketches(const json& j, PartData& part) {
    for (const json& s : List(j, "sketches")) {
      auto sketch = NewSketch(app_);
      Within(std::to_string(part.sketches.size() + 1) + "-й эскиз", false, [&] { sketch->name = Text(s, "name"); });
      Within("эскиз " + Name(sketch->name), false, [&] {
        sketch->base = Integer(s, "base");
        sketch->placed = Flag(s, "placed");
        if (sketch->base < 0 || sketch->base > vlapi::vlPlaneYOZ) Bad("нет такой базовой плоскости");
        ReadDocument2D(Field(s, "drawing"), *sketch->drawing);
      });
      part.sketches.push_back(sketch);
    }
  }

  Application* app_;
  std::size_t weight_ = 0;  // of the bodies read so far
};

}  // namespace

bool SaveDocument3D(Document3D& doc, const std::wstring& path) {
  try {
    if (!WriteJson({{"format", kFormat}, {"version", kVersion}, {"type", doc.DocType()}, {"top", PartJson(*doc.top, 0)}},
                   path))
      return false;
  } catch (const ReadError& e) {
    if (doc.App()) doc.App()->Fail(2, Wide(e.what));
    return false;
  } catch (const std::exception& e) {
    if (doc.App()) doc.App()->Fail(2, Wide(e.what()));
    return false;
  }
  doc.SetPath(path);
  return true;
}

void ReadDocument3D(const json& j, Document3D& doc) {
  if (!OfThisSystem(j)) Bad("не документ этой системы");
  PartReader(doc.App()).Read(Field(j, "top"), *doc.top, 0, "верхний компонент документа");
}

}  // namespace vlhost
