#include "support/test_parts.h"

#include "host/NestingResources.h"
#include "host/VarnelAPI.h"
#include "host/VarnelAPI_Detail.h"
#include "support/host_fixture.h"

#include <pugixml.hpp>

#include <fstream>
#include <sstream>

namespace testparts {

namespace {

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, separator);)
        fields.push_back(field);
    return fields;
}

std::vector<Part> ReadParts()
{
    std::vector<Part> parts;
    std::ifstream in(std::filesystem::path(NESTING_SOURCE_DIR) / "tests" / "data" / "parts.txt");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> f = Split(line, '|');
        if (f.size() != 5)
            continue;
        Part part{pugi::as_wide(f[0]), std::stoi(f[1]), std::stod(f[2]), pugi::as_wide(f[3]), {}};
        for (const std::string& point : Split(f[4], ' ')) {
            const std::vector<std::string> xy = Split(point, ',');
            if (xy.size() == 2)
                part.outline.push_back({std::stod(xy[0]), std::stod(xy[1])});
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

}  // namespace

const std::vector<Part>& TestParts()
{
    static const std::vector<Part> parts = ReadParts();
    return parts;
}

std::vector<NPoint> Rectangle(double x, double y, double w, double h)
{
    return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
}

bool WriteFragment(const std::filesystem::path& path, const std::vector<NPoint>& outline, int count, double thickness,
                   const std::wstring& material)
{
    vlapi::IVarnelDocumentPtr active = application->GetActiveDocument();
    vlapi::IVarnelDocument2DPtr fragment(application->GetDocuments()->Add(vlapi::vlDocumentFragment, true));
    if (!fragment)
        return false;
    hosttest::AddRing(vrnApi::GetActiveDrawingContainer(), outline);
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), count);
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), thickness);
    vrnApi::SetMaterialPropertyToDocument(material);
    const bool saved = fragment->SaveAs(vrnApi::detail::TextOf(path));
    fragment->Close(0);
    if (active)
        active->Activate();
    return saved;
}

}  // namespace testparts
