#include "api/api_fixture.h"

#include "host/NestingResources.h"

#include <pugixml.hpp>

#include <fstream>
#include <sstream>

namespace apitest {

namespace {

std::wstring Wide(const std::string& utf8) { return pugi::as_wide(utf8); }

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
        Part part{Wide(f[0]), std::stoi(f[1]), std::stod(f[2]), Wide(f[3]), {}};
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

void ApiTest::SetUp()
{
    HostTest::SetUp();
    m_setting = NestingSetting::m_instance;
    m_session = NestingModel::m_session;
    m_copyParams = NestingModel::copyParams;
    NestingSetting::m_instance = NestingSetting();
    NestingModel::m_session = false;
    vrnApi::ConnectConfiguration();
}

void ApiTest::TearDown()
{
    NestingSetting::SetFoldersHook({});
    NestingSetting::m_instance = m_setting;
    NestingModel::m_session = m_session;
    NestingModel::copyParams = m_copyParams;
    HostTest::TearDown();
}

std::wstring ApiTest::FragmentFile(const std::string& file, const std::vector<NPoint>& outline, int count,
                                   double thickness, const std::wstring& material)
{
    vlapi::IVarnelDocument2DPtr fragment = host->NewDrawing(vlapi::vlDocumentFragment);
    hosttest::AddRing(Container(), outline);
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_COPY_COUNT), count);
    vrnApi::SetPropertyToDocument(vrnApi::LoadStr(IDS_THICKNESS), thickness);
    vrnApi::SetMaterialPropertyToDocument(material);
    const std::wstring path = File(file);
    EXPECT_TRUE(fragment->SaveAs(path));
    fragment->Close(0);
    return path;
}

std::wstring ApiTest::FragmentFile(const Part& part)
{
    const std::string file = pugi::as_utf8(part.name) + ".vfr";
    return FragmentFile(file, part.outline, part.count, part.thickness, part.material);
}

Job ApiTest::MakeJob()
{
    Job job;
    job.model = CreateNestingModelInstance();
    INestingModel& m = *job.model.get();
    m.SetWidthSheet(300.0);
    m.SetHeightSheet(200.0);
    job.sheet = m.AddSheet();
    job.figure = m.AddFigure(FragmentFile(TestParts().front()));
    m.ArrangeFiguresInContainer(true, false);
    NRect box;
    job.sheet->GetGabarit(box);
    job.sheet->SetCurrentView();
    job.waste = m.CreateWaste((box.pBot.x + box.pTop.x) / 2, (box.pBot.y + box.pTop.y) / 2);
    m.AddWaste(job.waste);
    job.jumper = m.CreateJumper(0.0, 0.0, 30.0, BridgeType::Gap, false);
    double x = (box.pBot.x + box.pTop.x) / 2;
    double y = box.pBot.y + 5.0;
    job.jumper->SetOwner1(m.CheckObjectForJumperOwner(job.sheet->GetReference(), x, y, 30.0, NestingObjectType::Sheet));
    job.jumper->SetPoint1(x, y);
    m.AddJumper(job.jumper, 0);
    return job;
}

size_t ApiTest::MacrosOf(MacroCommand command)
{
    size_t n = 0;
    for (const INestingMacroObjectPtr& macro : DrawingMacros())
        n += macro->GetCommand() == command ? 1 : 0;
    return n;
}

}  // namespace apitest
