// Writes an SVG picture of a drawing or fragment file of the stand-in host:
//   drawing_svg <document file> <picture.svg>
// (rsvg-convert turns the picture into a PNG.)
#include <filesystem>
#include <iostream>

#include "vlhost/Host.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: drawing_svg <document file> <picture.svg>\n";
    return 2;
  }
  const auto root = std::filesystem::temp_directory_path() / "drawing_svg-host";
  vlhost::Host host(root);
  const vlapi::IVarnelDocument2DPtr doc = host.Open(argv[1], false);
  if (!doc) {
    std::cerr << "cannot read the drawing: " << vlhost::Host::Utf8(host.State().errorText) << "\n";
    return 1;
  }
  if (!vlhost::Host::WriteSvg(doc, argv[2])) {
    std::cerr << "cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
