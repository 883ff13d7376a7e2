#pragma once
// The component tree of a 3D document, as plain data.
#include <memory>
#include <string>
#include <vector>

namespace vlhost {

struct PartData {
  std::wstring name;
  std::wstring designation;
  std::wstring fileName;
  bool detail = true;  // false for an assembly
  std::vector<std::shared_ptr<PartData>> children;
  // A new component, appended.
  PartData& Add(const std::wstring& componentName, bool isDetail);
};

}  // namespace vlhost
