// Writes an SVG picture of a drawing or fragment file of the stand-in host:
//   drawing_svg <document file> <picture.svg>
// For a 3D document, one picture per sketch of its top part, named after the
// picture and the sketch: <picture>-<sketch name>.svg.
// (rsvg-convert turns the picture into a PNG.)
#include <filesystem>
#include <fstream>
#include <iostream>

#include "vlhost/Host.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: drawing_svg <document file> <picture.svg>\n";
    return 2;
  }
  const auto root = std::filesystem::temp_directory_path() / "drawing_svg-host";
  vlhost::Host host(root);
  const vlapi::IVarnelDocumentPtr doc = host.Open(argv[1], false);
  if (!doc) {
    std::cerr << "cannot read the drawing: " << vlhost::Host::Utf8(host.State().errorText) << "\n";
    return 1;
  }
  if (const vlapi::IVarnelDocument3DPtr model{doc}) {
    const vlapi::IModelContainerPtr part{model->GetTopPart()};
    const vlapi::ISketchesPtr sketches = part ? part->GetSketches() : nullptr;
    const std::filesystem::path picture(argv[2]);
    for (int i = 0; sketches && i < sketches->GetCount(); ++i) {
      const vlapi::ISketchPtr sketch = sketches->GetItem(i);
      const auto path = picture.parent_path() /
                        (picture.stem().string() + "-" + vlhost::Host::Utf8(sketch->GetName()) + picture.extension().string());
      if (!(std::ofstream(path, std::ios::binary) << vlhost::Host::Svg(sketch))) {
        std::cerr << "cannot write " << path << "\n";
        return 1;
      }
    }
    return 0;
  }
  if (!vlhost::Host::WriteSvg(doc, argv[2])) {
    std::cerr << "cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
