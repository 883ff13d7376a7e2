#include "model/LineStyles.h"

#include <algorithm>
#include <cwctype>

namespace vlhost {
namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) {
           return std::towupper(static_cast<wint_t>(x)) == std::towupper(static_cast<wint_t>(y));
         });
}

}  // namespace

const std::vector<LineStyle>& SystemLineStyles() {
  static const std::vector<LineStyle> styles = {
      {1, L"Основная", L"CONTINUOUS", {}},
      {2, L"Тонкая", L"THIN", {}},
      {3, L"Осевая", L"CENTER", {12.0, -3.0, 1.0, -3.0}},
      {4, L"Утолщённая", L"THICK", {}},
      {5, L"Штриховая", L"DASHED", {6.0, -2.0}},
      {6, L"Волнистая", L"WAVY", {}},
      {7, L"Вспомогательная", L"AUXILIARY", {1.0, -1.0}},
      {8, L"Линия сгиба", L"BEND", {12.0, -3.0, 0.0, -3.0, 0.0, -3.0}},
  };
  return styles;
}

const LineStyle* LineStyleTable::Find(int number) const {
  for (const std::vector<LineStyle>* list : {&SystemLineStyles(), &own_})
    for (const LineStyle& s : *list)
      if (s.number == number) return &s;
  return nullptr;
}

int LineStyleTable::ForLinetype(const std::wstring& linetype, const std::vector<double>& pattern) {
  for (const std::vector<LineStyle>* list : {&SystemLineStyles(), static_cast<const std::vector<LineStyle>*>(&own_)})
    for (const LineStyle& s : *list)
      if (SameName(s.linetype, linetype)) return s.number;
  int number = kFirstDocumentLineStyle;
  for (const LineStyle& s : own_) number = std::max(number, s.number + 1);
  own_.push_back({number, linetype, linetype, pattern});
  return number;
}

bool LineStyleTable::Add(LineStyle style) {
  if (style.number < kFirstDocumentLineStyle || Find(style.number)) return false;
  own_.push_back(std::move(style));
  return true;
}

}  // namespace vlhost
