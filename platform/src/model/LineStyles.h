#pragma once
// Line styles: the host's system styles (numbers 1 to 8) and the styles a
// document defines for itself (numbers from 100, made when a file brings
// linetypes of its own). Drawing objects name their style by number.
#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace vlhost {

struct LineStyle {
  int number = 0;
  std::wstring name;             // as the host shows it
  std::wstring linetype;         // the DXF linetype it is written as
  std::vector<double> pattern;   // dashes > 0, gaps < 0, dots 0; empty: solid
};

const std::vector<LineStyle>& SystemLineStyles();
inline constexpr int kFirstDocumentLineStyle = 100;

// The styles of one document.
class LineStyleTable {
 public:
  const std::vector<LineStyle>& Own() const { return own_; }
  // A system style or one of the document's; null for an unknown number.
  const LineStyle* Find(int number) const;
  // The style written as `linetype` (letter case aside): a system style, one
  // of the document's, or a new one of the document's with that pattern.
  int ForLinetype(const std::wstring& linetype, const std::vector<double>& pattern);
  // Adds a style read from a file; false when its number is taken or not a document's.
  bool Add(LineStyle style);
  void Clear();

 private:
  // The document's styles by number and by linetype (in capitals, the first
  // of each): a file may bring many thousands of linetypes.
  std::vector<LineStyle> own_;
  std::map<int, std::size_t> byNumber_;
  std::unordered_map<std::wstring, int> byLinetype_;
};

}  // namespace vlhost
