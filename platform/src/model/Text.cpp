#include "model/Text.h"

#include "model/Group.h"

#include <cmath>

namespace vlhost {
namespace {

class TextItemApi : public Api<NoCore, vlapi::ITextItem, vlapi::ITextFont> {
 public:
  TextItemApi(vlapi::IAPIObjectPtr keeper, TextModel* model, int line, int item)
      : keeper_(std::move(keeper)), model_(model), line_(line), item_(item) {}
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  int GetItemType() override { return Item().type; }
  void SetItemType(int type) override { Item().type = type; }
  std::wstring GetString() override { return Item().text; }
  void SetString(const std::wstring& text) override { Item().text = text; }
  int GetJustification() override { return Item().justification; }
  void SetJustification(int value) override { Item().justification = value; }
  double GetHeight() override { return Item().height; }
  void SetHeight(double height) override { if (height > 0) Item().height = height; }
  std::wstring GetFontName() override { return Item().font; }
  void SetFontName(const std::wstring& name) override { Item().font = name; }
  double GetWidthFactor() override { return Item().widthFactor; }
  void SetWidthFactor(double factor) override { if (factor > 0) Item().widthFactor = factor; }
  bool QueryInterface(vlapi::IAPIObjectIID iid, void** object) override {
    // An item without a font does not answer ITextFont.
    if (vlapi::SameIID(iid, vlapi::IID_ITextFont) && !Item().hasFont) {
      *object = nullptr;
      return false;
    }
    return Api::QueryInterface(iid, object);
  }

 private:
  // An item that a later change of the text took away reads as an empty one.
  TextItemData& Item() {
    static TextItemData gone;
    if (line_ >= static_cast<int>(model_->lines.size())) return gone = {};
    auto& items = model_->lines[static_cast<std::size_t>(line_)].items;
    return item_ < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(item_)] : (gone = {});
  }
  vlapi::IAPIObjectPtr keeper_;
  TextModel* model_;
  int line_, item_;
};

class TextLineApi : public Api<NoCore, vlapi::ITextLine> {
 public:
  TextLineApi(vlapi::IAPIObjectPtr keeper, TextModel* model, int line)
      : keeper_(std::move(keeper)), model_(model), line_(line) {}
  int GetAPIObjectType() override { return vlapi::vlObjectUnknown; }
  bool Update() override { return true; }
  int GetItemsCount() override { return static_cast<int>(Line().items.size()); }
  vlapi::ITextItemPtr GetItem(int index) override {
    if (index < 0 || index >= GetItemsCount() || Failures::Instance().Fails("ITextLine::GetItem")) return {};
    return Give<vlapi::ITextItem>(new TextItemApi(keeper_, model_, line_, index));
  }
  void SetHeight(double height) override {
    if (height <= 0) return;
    for (auto& item : Line().items) item.height = height;
  }
  int GetAlignment() override { return Line().alignment; }
  void SetAlignment(int value) override { Line().alignment = value; }
  double GetStep() override { return Line().step; }
  void SetStep(double value) override { Line().step = value; }

 private:
  TextLineData& Line() {
    static TextLineData gone;
    return line_ < static_cast<int>(model_->lines.size()) ? model_->lines[static_cast<std::size_t>(line_)] : (gone = {});
  }
  vlapi::IAPIObjectPtr keeper_;
  TextModel* model_;
  int line_;
};

}  // namespace

double DefaultTextHeight() { return 3.5; }

std::wstring TextModel::Joined() const {
  std::wstring out;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i) out += L"\n";
    for (const auto& item : lines[i].items) out += item.text;
  }
  return out;
}

void TextModel::Assign(const std::wstring& text, double height) {
  lines.clear();
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(L'\n', start);
    TextItemData item;
    item.text = text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    item.height = height;
    lines.push_back(TextLineData{{item}});
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
}

double TextModel::Height() const {
  if (lines.empty() || lines[0].items.empty()) return 0;
  return lines[0].items[0].height;
}

vlapi::ITextLinePtr MakeTextLine(vlapi::IAPIObjectPtr keeper, TextModel* model, int line) {
  if (line < 0 || line >= static_cast<int>(model->lines.size()) || Failures::Instance().Fails("IText::GetLine"))
    return {};
  return Give<vlapi::ITextLine>(new TextLineApi(std::move(keeper), model, line));
}

DrawingText::DrawingText() { model.Assign(L"", DefaultTextHeight()); }

geom::Box DrawingText::Box() const {
  // Each character is taken as wide as 0.7 of its height.
  double width = 0, height = 0;
  for (const auto& line : model.lines) {
    double w = 0, h = 0;
    for (const auto& item : line.items) {
      w += 0.7 * item.height * item.widthFactor * static_cast<double>(item.text.size());
      h = std::max(h, item.height);
    }
    width = std::max(width, w);
    height += h * (height > 0 ? 1.6 : 1.0);
  }
  const geom::Point along = geom::unitAt(angle * geom::kPi / 180);
  const geom::Point across{-along.y, along.x};
  geom::Box box;
  box.add(anchor);
  box.add(anchor + along * width);
  box.add(anchor + along * width + across * std::max(height, 0.0));
  box.add(anchor + across * std::max(height, 0.0));
  return box;
}

void DrawingText::Apply(const geom::Transform& t) {
  if (t.mirrors()) {
    const geom::Point along = t.applyToVector(geom::unitAt(angle * geom::kPi / 180));
    angle = std::atan2(along.y, along.x) * 180 / geom::kPi;
  } else if (const double turn = t.turnAngle(); turn != 0) {
    angle = std::remainder(angle + turn * 180 / geom::kPi, 360.0);
  }
  anchor = t.apply(anchor);
  const double f = t.lengthFactor();
  if (f != 1.0)
    for (auto& line : model.lines)
      for (auto& item : line.items) item.height *= f;
}

void DrawingText::SetHeight(double height) {
  if (height <= 0) return;
  for (auto& line : model.lines)
    for (auto& item : line.items) item.height = height;
}

vlapi::IDrawingGroupPtr DrawingText::GetTextGroup() {
  if (!Doc() || Failures::Instance().Fails("IDrawingText::GetTextGroup")) return {};
  Ref<Group> group = Make<Group>(Doc(), true, L"");
  group->Take(Ref<Shape>(this));
  return Give<vlapi::IDrawingGroup>(group.get());
}

vlapi::ITextLinePtr DrawingText::GetLine(int index) { return MakeTextLine(Identity(), &model, index); }

vlapi::ITextLinePtr CellText::GetLine(int index) {
  void* self = nullptr;
  QueryInterface(vlapi::IID_IAPIObject, &self);
  return MakeTextLine(vlapi::IAPIObjectPtr::Attach(static_cast<vlapi::IAPIObject*>(self)), &model, index);
}

}  // namespace vlhost
