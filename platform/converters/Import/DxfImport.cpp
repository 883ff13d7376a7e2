#include "common/Converter.h"
namespace vlhost::dxf { namespace {
class ImportConverter : public Converter {
 public:
  using Converter::Converter;
 protected:
  std::wstring Caption() const override { return L"DXF import"; }
  std::wstring Subject(const std::wstring& in, const std::wstring&) const override { return in; }
  bool Run(const std::wstring&, const std::wstring&, std::vector<std::wstring>&) override { return false; }
};
}}
VLHOST_DXF_CONVERTER(vlhost::dxf::ImportConverter)
