// Writes the stand-in host's test assembly of sheet parts (vlhost/TestParts.h)
// as a 3D document file, for end-to-end scripts that import it:
//   test_assembly <assembly.v3d>
#include <filesystem>
#include <iostream>

#include "vlhost/Host.h"
#include "vlhost/TestParts.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: test_assembly <assembly.v3d>\n";
    return 2;
  }
  const auto root = std::filesystem::temp_directory_path() / "test_assembly-host";
  int result = 0;
  {
    vlhost::Host host(root);
    const vlapi::IVarnelDocument3DPtr assembly = host.NewDocument3D(vlapi::vlDocumentAssembly, false);
    vlhost::testparts::AddAssembly(*vlhost::Host::Tree(assembly));
    if (!assembly->SaveAs(vlhost::Host::Wide(argv[1]))) {
      std::cerr << "cannot write " << argv[1] << ": " << vlhost::Host::Utf8(host.State().errorText) << "\n";
      result = 1;
    }
    assembly->Close(0);
  }
  std::error_code ec;
  std::filesystem::remove_all(root, ec);
  return result;
}
