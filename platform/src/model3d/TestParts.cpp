// Test parts and their flat patterns by the closed forms.
#include "vlhost/TestParts.h"

#include <cmath>

namespace vlhost::testparts {
namespace {

constexpr double kPi = 3.14159265358979323846;

double Developed(double degrees, double r, double k, double t) { return degrees * kPi / 180 * (r + k * t); }

SheetRecipe Base(double t, double r, double k, double a, double w) {
  SheetRecipe recipe;
  recipe.thickness = t;
  recipe.radius = r;
  recipe.coefficient = k;
  recipe.outline = SheetLoop::Rectangle(0, 0, a, w);  // edges: 0 y = 0, 1 x = a, 2 y = w, 3 x = 0
  return recipe;
}

Flange Up(int edge, double length, double angle = 90, double radius = 0) {
  Flange flange;
  flange.edge = edge;
  flange.length = length;
  flange.angle = angle;
  flange.radius = radius;
  return flange;
}

void Part(PartData& part, const std::wstring& designation, const std::wstring& material, const SheetRecipe& recipe,
          const Pose& pose = {}) {
  part.designation = designation;
  part.material = material;
  part.fileName = part.name + L".v3d";
  part.unfold = true;
  part.AddSheet(recipe, pose);
}

}  // namespace

TestPart LBracket(double t, double r, double k, double a, double b, double w) {
  TestPart part{Base(t, r, k, a, w), {}};
  Flange flange = Up(1, b);
  flange.holes.push_back(SheetLoop::Circle(w / 2, b / 2, 4));
  part.recipe.flanges.push_back(flange);
  const double bend = Developed(90, r, k, t);
  part.flat = {0, a + bend + b, w, (a + bend + b) * w - kPi * 16, {a, a + bend}};
  return part;
}

TestPart UChannel(double t, double r, double k, double a, double b, double c, double w) {
  TestPart part{Base(t, r, k, a, w), {}};
  part.recipe.flanges = {Up(1, b), Up(3, c)};
  const double bend = Developed(90, r, k, t);
  part.flat = {-bend - c, a + bend + b, w, (a + b + c + 2 * bend) * w, {-bend, 0, a, a + bend}};
  return part;
}

TestPart HolePlate(double t, double a, double w) {
  TestPart part{Base(t, 3, 0.4, a, w), {}};
  part.recipe.outline = SheetLoop::Rounded(0, 0, a, w, 5);
  part.recipe.holes = {SheetLoop::Circle(20, 20, 5), SheetLoop::Circle(a - 20, 20, 5), SheetLoop::Circle(20, w - 20, 5),
                       SheetLoop::Rounded(a / 3, w / 2 - 10, a - 30, w / 2 + 15, 8)};
  const double cut = (a - 30 - a / 3) * 25 - (4 - kPi) * 64;
  part.flat = {0, a, w, a * w - (4 - kPi) * 25 - 3 * kPi * 25 - cut, {}};
  return part;
}

TestPart TwoBends(double t, double k, double a, double b, double c, double w) {
  TestPart part{Base(t, 2, k, a, w), {}};
  part.recipe.flanges = {Up(1, b, 90, 2), Up(3, c, 120, 6)};
  const double small = Developed(90, 2, k, t), large = Developed(120, 6, k, t);
  part.flat = {-large - c, a + small + b, w, (a + b + c + small + large) * w, {-large, 0, a, a + small}};
  return part;
}

void AddAssembly(PartData& top) {
  top.name = L"Сборка";
  top.detail = false;
  auto bracket = std::make_shared<PartData>();
  bracket->name = L"Кронштейн";
  Part(*bracket, L"КР-01", L"Сталь 3", LBracket().recipe);
  top.children.push_back(bracket);
  top.children.push_back(bracket);
  Part(top.Add(L"Швеллер", true), L"ШВ-02", L"AISI 304/08Х18Н10", UChannel(10, 10, 0.4, 100, 60, 40, 80).recipe);
  PartData& unit = top.Add(L"Узел", false);
  Part(unit.Add(L"Пластина", true), L"", L"Сталь 3", HolePlate().recipe);
  Part(unit.Add(L"Уголок", true), L"", L"Сталь 3", TwoBends().recipe);
  Part(top.Add(L"Кронштейн повёрнутый", true), L"КР-01", L"Сталь 3", LBracket().recipe, {150, -40, 25, 30, 45, 60});
  PartData& block = top.Add(L"Корпус", true);
  block.material = L"Сталь 45";
  block.fileName = L"Корпус.v3d";
  block.AddBlock(40, 30, 20);
}

}  // namespace vlhost::testparts
