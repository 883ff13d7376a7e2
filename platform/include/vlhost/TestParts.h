#pragma once
// Sheet parts for tests, built in code, with the flat patterns their closed
// forms give (thickness t, inner radius r, coefficient k; a bend of angle θ
// develops to θ (r + k t)), and an assembly of them.
//
// The flat pattern is seen on the top side of the base plate, in the base
// plate's own x and y: the development runs along x, and the base plate keeps
// its place in it.
#include <string>
#include <vector>

#include "vlhost/Parts.h"

namespace vlhost::testparts {

struct FlatPattern {
  double minX = 0, maxX = 0;      // the development's extent along x
  double width = 0;               // along y
  double area = 0;                // less holes and cut-outs
  std::vector<double> bendLines;  // x of each bend line, in increasing order
  double Length() const { return maxX - minX; }
};

struct TestPart {
  SheetRecipe recipe;
  FlatPattern flat;
};

// A base a × w and a flange of length b bent up by 90° off its edge x = a,
// with a round hole of radius 4 in the middle of the flange
// (t 2, r 3, k 0.4, a 60, b 40: flat length 105.969).
TestPart LBracket(double t = 2, double r = 3, double k = 0.4, double a = 60, double b = 40, double w = 30);
// A base a × w with flanges of lengths b and c bent up by 90° off x = a and x = 0.
TestPart UChannel(double t = 2, double r = 3, double k = 0.4, double a = 50, double b = 30, double c = 20,
                  double w = 40);
// A flat plate a × w with corners rounded by 5, three round holes of radius 5
// and a cut-out with corners rounded by 8.
TestPart HolePlate(double t = 2, double a = 120, double w = 80);
// A base a × w with a flange b bent up by 90° at radius 2 off x = a and a
// flange c bent up by 120° at radius 6 off x = 0.
TestPart TwoBends(double t = 2, double k = 0.4, double a = 50, double b = 30, double c = 25, double w = 30);

// Fills `top` (an assembly) with:
//   "Кронштейн" (КР-01, "Сталь 3", an L bracket, t 2), used twice;
//   "Швеллер" (ШВ-02, "AISI 304/08Х18Н10", a U channel, t 10, r 10);
//   a sub-assembly "Узел" holding "Пластина" (a hole plate, t 2) and
//   "Уголок" (two bends, t 2), both "Сталь 3";
//   "Кронштейн повёрнутый" (КР-01, "Сталь 3", the L bracket turned by 30°,
//   45° and 60° about x, y and z and moved);
//   "Корпус" ("Сталь 45", a block 40 × 30 × 20).
// Every sheet part has its unfold switch on.
void AddAssembly(PartData& top);

}  // namespace vlhost::testparts
