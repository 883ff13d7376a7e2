#pragma once
// Layout sheets (pages) with their formats and title blocks.
#include <map>
#include <string>
#include <vector>

#include "model/Text.h"

namespace vlhost {

class SheetFormat : public Api<NoCore, vlapi::ISheetFormat> {
 public:
  int format = vlapi::vlFormatA3;
  bool vertical = false;
  double userWidth = 420, userHeight = 297;

  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  int GetFormat() override { return format; }
  void SetFormat(int value) override { if (value >= vlapi::vlFormatA0 && value <= vlapi::vlFormatUser) format = value; }
  bool GetVertical() override { return vertical; }
  void SetVertical(bool value) override { vertical = value; }
  double GetWidth() override;
  double GetHeight() override;
  void SetUserSize(double width, double height) override { userWidth = width; userHeight = height; }
};

class Stamp : public Api<NoCore, vlapi::IStamp> {
 public:
  std::map<int, Ref<CellText>> cells;
  int updates = 0;
  Ref<CellText> Cell(int number);
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { ++updates; return true; }
  vlapi::ITextPtr GetCellText(int cell) override;
  std::vector<int> GetCellNumbers() override;
};

class LayoutSheet : public Api<Node, vlapi::ILayoutSheet> {
 public:
  explicit LayoutSheet(Document2D* doc);
  Ref<SheetFormat> format;
  std::wstring styleLibrary;
  int styleNumber = 1;
  Ref<Stamp> stamp;
  // A page whose style library is GRAPHIC.vst has no layout: no frame and no
  // title block are drawn, but the title block's cells stay with the page
  // (read and written as ever) and show again with a layout.
  bool HasLayout() const;

  int GetAPIObjectType() override { return vlapi::vlObjectLayoutSheet; }
  bool Update() override { CountUpdate(); return true; }
  vlapi::ISheetFormatPtr GetFormat() override;
  std::wstring GetStyleLibrary() override { return styleLibrary; }
  void SetStyleLibrary(const std::wstring& path) override { styleLibrary = path; }
  int GetStyleNumber() override { return styleNumber; }
  void SetStyleNumber(int number) override { styleNumber = number; }
  vlapi::IStampPtr GetStamp() override;
  bool Delete() override;
};

vlapi::ILayoutSheetsPtr MakeLayoutSheets(Document2D* doc);

}  // namespace vlhost
