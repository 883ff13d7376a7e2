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

// The name as SameName compares it.
std::wstring Capitals(const std::wstring& name) {
  std::wstring upper(name);
  for (wchar_t& c : upper) c = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(c)));
  return upper;
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
  for (const LineStyle& s : SystemLineStyles())
    if (s.number == number) return &s;
  auto it = byNumber_.find(number);
  return it == byNumber_.end() ? nullptr : &own_[it->second];
}

int LineStyleTable::ForLinetype(const std::wstring& linetype, const std::vector<double>& pattern) {
  for (const LineStyle& s : SystemLineStyles())
    if (SameName(s.linetype, linetype)) return s.number;
  if (auto it = byLinetype_.find(Capitals(linetype)); it != byLinetype_.end()) return it->second;
  const int number = byNumber_.empty() ? kFirstDocumentLineStyle
                                       : std::max(kFirstDocumentLineStyle, byNumber_.rbegin()->first + 1);
  Add({number, linetype, linetype, pattern});
  return number;
}

bool LineStyleTable::Add(LineStyle style) {
  if (style.number < kFirstDocumentLineStyle || Find(style.number)) return false;
  byNumber_.emplace(style.number, own_.size());
  byLinetype_.emplace(Capitals(style.linetype), style.number);
  own_.push_back(std::move(style));
  return true;
}

void LineStyleTable::Clear() {
  own_.clear();
  byNumber_.clear();
  byLinetype_.clear();
}

}  // namespace vlhost
