// Converts with the stand-in host's DXF converters, loaded as a library loads them:
//   dxf_convert export drawing.vdw out.dxf     a host document as DXF
//   dxf_convert import part.dxf part.vfw       a DXF file as a host fragment
// Messages the converter shows go to standard error; the exit status is 0
// when the converter answered true.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "vlhost/Converters.h"
#include "vlhost/Host.h"

int main(int argc, char** argv) {
  const std::string kind = argc == 4 ? argv[1] : "";
  if (kind != "export" && kind != "import") {
    std::cerr << "usage: dxf_convert export|import <in> <out>\n";
    return 2;
  }
  std::string folder = (std::filesystem::temp_directory_path() / "dxf_convert-XXXXXX").string();
  if (!mkdtemp(folder.data())) {
    std::cerr << "dxf_convert: no temporary folder\n";
    return 2;
  }
  int status = 1;
  {
    vlhost::Host host(folder);
    vlhost::ConverterModule converter(host.Application(), kind == "export" ? "dxfExport" : "dxfImport");
    if (!converter.Loaded()) {
      std::cerr << "dxf_convert: " << converter.Error() << "\n";
    } else {
      const std::filesystem::path in = std::filesystem::absolute(std::filesystem::path(argv[2]));
      const std::filesystem::path out = std::filesystem::absolute(std::filesystem::path(argv[3]));
      status = converter.Convert(vlhost::Host::Wide(in.string()), vlhost::Host::Wide(out.string())) ? 0 : 1;
    }
    for (const auto& message : host.State().messages) std::cerr << vlhost::Host::Utf8(message.text) << "\n";
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  return status;
}
