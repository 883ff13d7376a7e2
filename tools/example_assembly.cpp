// Writes the sample job's sheet-metal assembly as a stand-in host 3D file:
// an L bracket (used twice), a U channel and a plate with holes, all of
// steel "Ст3", 2 mm, with their unfold switches on.
//   example_assembly <assembly.v3d>
#include "vlhost/Host.h"
#include "vlhost/TestParts.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

namespace {

namespace fs = std::filesystem;
namespace tp = vlhost::testparts;

// A detail of the assembly holding one sheet body.
std::shared_ptr<vlhost::PartData> Detail(const std::wstring& name, const std::wstring& designation,
                                         const vlhost::SheetRecipe& recipe, std::wstring& why)
{
    auto part = std::make_shared<vlhost::PartData>();
    part->name = name;
    part->designation = designation;
    part->material = L"Ст3";
    part->fileName = name + L".v3d";
    part->unfold = true;
    why = part->AddSheet(recipe);
    return part;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: example_assembly <assembly.v3d>\n";
        return 2;
    }
    const fs::path target = fs::absolute(argv[1]);
    const fs::path root = fs::temp_directory_path() / ("example_assembly-" + std::to_string(getpid()));
    int result = 0;
    {
        vlhost::Host host(root);
        const vlapi::IVarnelDocument3DPtr assembly = host.NewDocument3D(vlapi::vlDocumentAssembly, false);
        vlhost::PartData& top = *vlhost::Host::Tree(assembly);
        top.name = L"Кронштейн в сборе";
        top.designation = L"КС-100";
        top.detail = false;
        std::wstring why;
        // Thickness 2, inner bend radius 3, neutral layer at 0.4 of the thickness.
        const auto bracket = Detail(L"Кронштейн Г-образный", L"КС-101", tp::LBracket(2, 3, 0.4, 160, 100, 120).recipe, why);
        top.children.push_back(bracket);
        top.children.push_back(bracket);
        std::wstring more;
        top.children.push_back(Detail(L"Швеллер гнутый", L"КС-102", tp::UChannel(2, 3, 0.4, 200, 80, 80, 150).recipe, more));
        why += more;
        top.children.push_back(Detail(L"Пластина с отверстиями", L"КС-103", tp::HolePlate(2, 300, 200).recipe, more));
        why += more;
        if (!why.empty()) {
            std::cerr << "example_assembly: " << vlhost::Host::Utf8(why) << "\n";
            result = 1;
        } else if (!assembly->SaveAs(vlhost::Host::Wide(target.string()))) {
            std::cerr << "example_assembly: cannot write " << target.string() << "\n";
            result = 1;
        }
        assembly->Close(0);
    }
    std::error_code ec;
    fs::remove_all(root, ec);
    return result;
}
