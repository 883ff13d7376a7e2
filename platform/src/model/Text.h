#pragma once
// Texts: lines of items with fonts, drawn as text objects, table cells and
// title-block cells.
#include <string>
#include <vector>

#include "model/Shapes.h"

namespace vlhost {

struct TextItemData {
  int type = vlapi::vlTItString;
  std::wstring text;
  double height = 3.5;
  std::wstring font = L"GOST type A";
  double widthFactor = 1.0;
  int justification = 0;
  bool hasFont = true;
};

struct TextLineData {
  std::vector<TextItemData> items;
  int alignment = 0;
  double step = 1.0;
};

struct TextModel {
  std::vector<TextLineData> lines;
  std::wstring Joined() const;
  void Assign(const std::wstring& text, double height);
  double Height() const;  // of the first item, 0 without one
};

// Line `line` of `model`; `keeper` keeps the model's owner alive.
vlapi::ITextLinePtr MakeTextLine(vlapi::IAPIObjectPtr keeper, TextModel* model, int line);
double DefaultTextHeight();

class DrawingText : public ShapeApi<vlapi::IDrawingText, vlapi::IText> {
 public:
  DrawingText();
  VLHOST_SHAPE(DrawingText, vlapi::vlDrDrawText, vlapi::vlObjectDrawingText)
  geom::Point anchor;
  double angle = 0;  // degrees: the direction its lines run in, turned with it
  TextModel model;
  bool Graphic() const override { return false; }
  geom::Box Box() const override;
  void Apply(const geom::Transform& t) override;
  // vlapi::IDrawingText
  double GetX() override { return anchor.x; }
  double GetY() override { return anchor.y; }
  void SetX(double v) override { anchor.x = v; }
  void SetY(double v) override { anchor.y = v; }
  double GetHeight() override { return model.Height(); }
  void SetHeight(double height) override;
  vlapi::IDrawingGroupPtr GetTextGroup() override;
  // vlapi::IText
  std::wstring GetText() override { return model.Joined(); }
  void SetText(const std::wstring& text) override { model.Assign(text, model.Height() > 0 ? model.Height() : DefaultTextHeight()); }
  int GetLinesCount() override { return static_cast<int>(model.lines.size()); }
  vlapi::ITextLinePtr GetLine(int index) override;
};

// The text of a table cell or of a title-block cell.
class CellText : public Api<NoCore, vlapi::IVarnelAPIObject, vlapi::IText> {
 public:
  TextModel model;
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  std::wstring GetText() override { return model.Joined(); }
  void SetText(const std::wstring& text) override { model.Assign(text, model.Height() > 0 ? model.Height() : DefaultTextHeight()); }
  int GetLinesCount() override { return static_cast<int>(model.lines.size()); }
  vlapi::ITextLinePtr GetLine(int index) override;
};

}  // namespace vlhost
