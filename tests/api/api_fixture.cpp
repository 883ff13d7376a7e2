#include "api/api_fixture.h"

#include "host/NestingResources.h"

#include <pugixml.hpp>

namespace apitest {

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
    EXPECT_TRUE(testparts::WriteFragment(root / file, outline, count, thickness, material));
    return File(file);
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
