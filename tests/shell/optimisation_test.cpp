// The optimisation panel over an optimiser whose results the test sets, and
// its starter on real drawings.
#include "shell_fixture.h"

#include "api/NAPIBase.h"
#include "model/sheet_statics.h"
#include "shell/OptimizationProcess.h"
#include "shell/Starters.h"

namespace shelltest {
namespace {

// An optimiser that answers what the test gives it and records its runs.
class FakeOptimizer : public napi::RefCounted<IOptimizer> {
public:
    void Init() override {}
    void Clear() override { ++clears; }
    bool GetNestingMethod() override { return false; }
    bool GetMaterialOrient() override { return oriented; }
    NestingResult GetResult() override { return ran ? result : NestingResult(); }
    int64_t GetTime() override { return ran ? time : 0; }
    void RunOptimization(const OptimizationParams& params) override
    {
        ran = true;
        runs.push_back(params);
    }

    bool oriented = false;
    bool ran = false;
    NestingResult result;
    int64_t time = 0;
    int clears = 0;
    std::vector<OptimizationParams> runs;
};

class TestOptimization : public OptimizationProcess {
public:
    explicit TestOptimization(IOptimizerPtr optimizer) : OptimizationProcess(false, true), m_fake(std::move(optimizer)) {}

protected:
    IOptimizerPtr CreateOptimizer() const override { return m_fake; }

private:
    IOptimizerPtr m_fake;
};

class OptimisationTest : public ShellTest {
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        saved = OptimizationProcess::m_params;
        fake = new FakeOptimizer;
        optimizer = IOptimizerPtr(static_cast<IOptimizer*>(fake));
    }
    void TearDown() override
    {
        OptimizationProcess::m_params = saved;
        ShellTest::TearDown();
    }
    void Open() { StartCommand<TestOptimization>(optimizer); }
    bool Has(const std::string& line) const { return user->Dump().find(line + "\n") != std::string::npos; }

    OptimizationParams saved;
    FakeOptimizer* fake = nullptr;
    IOptimizerPtr optimizer;
};

TEST_F(OptimisationTest, FirstOpenShowsTheStartValuesAndAChoiceOpensTheNextRun)
{
    Open();
    EXPECT_EQ(user->Caption(), L"Оптимизация");
    EXPECT_EQ(user->Prompt(), L"Оптимизация");
    for (const char* line : {
             "  list \"Метод раскроя\" = 1 [\"По габаритам\", \"По контурам\"]",
             "  check \"Добавлять листы\" on hidden",
             "  list \"Поворот деталей\" = 0 [\"0\", \"180\", \"90\", \"45\", \"горизонтально/вертикально\"]",
             "  button \"Начать оптимизацию\"",
             "  button \"Приостановить оптимизацию\" hidden disabled",
             "  button \"Остановить оптимизацию\" hidden disabled",
             "  grid 1x5 current -1,-1",
             "    row 0: \"№\" | \"Площадь листа, мм²\" | \"Площадь деталей, мм²\" | \"КИМ, %\" | \"Периметр, мм\"",
             "  edit \"Время оптимизации, с\" = \"0.0 сек\" range 0..1e+05",
         })
        EXPECT_TRUE(Has(line)) << line << "\n" << user->Dump();

    ASSERT_TRUE(user->SetValue(user->Find(L"Поворот деталей"), L"90"));
    ASSERT_TRUE(user->SetValue(user->Find(L"Метод раскроя"), L"По габаритам"));
    EXPECT_EQ(OptimizationProcess::m_params.rotateMethod, RotationType::Rotation90);
    EXPECT_EQ(OptimizationProcess::m_params.optimizationMethod, 0);
    ASSERT_TRUE(user->Enter());
    EXPECT_EQ(fake->clears, 1);

    Open();
    EXPECT_TRUE(Has("  list \"Метод раскроя\" = 0 [\"По габаритам\", \"По контурам\"]")) << user->Dump();
    EXPECT_TRUE(Has("  list \"Поворот деталей\" = 2 [\"0\", \"180\", \"90\", \"45\", \"горизонтально/вертикально\"]"));
    ASSERT_TRUE(user->Help());
    EXPECT_EQ(State().helpTopics.back(), 4);
    // A cancelled choice is not the next run's.
    ASSERT_TRUE(user->SetValue(user->Find(L"Поворот деталей"), L"0"));
    ASSERT_TRUE(user->Esc());
    EXPECT_EQ(OptimizationProcess::m_params.rotateMethod, RotationType::Rotation90);
}

TEST_F(OptimisationTest, TheStartButtonRunsAndTheGridShowsEachSheetTheTotalAndTheTime)
{
    const SheetResult sheet{3000000.0, 1500000.0, 12345.678, 50.0};
    fake->result = {{sheet, sheet, sheet}, 50.0};
    struct Case {
        int64_t ms;
        const char* shown;
    } cases[] = {{1234, "1.2 сек"}, {25, "0.0 сек"}};
    for (const Case& c : cases) {
        fake->time = c.ms;
        Open();
        ASSERT_TRUE(user->Press(user->Find(L"Начать оптимизацию")));
        const std::string dump = user->Dump();
        EXPECT_TRUE(Has("  grid 5x5 current -1,-1")) << dump;
        for (const char* row : {"1", "2", "3"})
            EXPECT_TRUE(Has(std::string("    row ") + row + ": \"" + row +
                            "\" | \"3000000.0\" | \"1500000.0\" | \"50.00\" | \"12345.68\""))
                << dump;
        EXPECT_TRUE(Has("    row 4: \"Итого\" | \"\" | \"\" | \"50.00\" | \"\"")) << dump;
        EXPECT_TRUE(Has(std::string("  edit \"Время оптимизации, с\" = \"") + c.shown + "\" range 0..1e+05")) << dump;
    }
    ASSERT_EQ(fake->runs.size(), 2u);
    EXPECT_EQ(fake->runs[0].optimizationMethod, 1);
    EXPECT_TRUE(fake->runs[0].autoAddSheet);
}

// A rotation kept from a drawing of unoriented material is not run on an oriented one.
TEST_F(OptimisationTest, OrientedMaterialOffersTwoRotationsAndAKeptOtherRotationRunsAsNone)
{
    fake->oriented = true;
    OptimizationProcess::m_params.rotateMethod = RotationType::RotationGorzVert;
    Open();
    EXPECT_TRUE(Has("  list \"Поворот деталей\" = 0 [\"0\", \"180\"]")) << user->Dump();
    ASSERT_TRUE(user->Press(user->Find(L"Начать оптимизацию")));
    ASSERT_EQ(fake->runs.size(), 1u);
    EXPECT_EQ(fake->runs[0].rotateMethod, RotationType::WithoutRotation);
    ASSERT_TRUE(user->SetValue(user->Find(L"Поворот деталей"), L"180"));
    EXPECT_EQ(OptimizationProcess::m_params.rotateMethod, RotationType::Rotation180);
}

// The starter asks the drawing's own model: linear nesting is refused.
TEST_F(OptimisationTest, TheStarterRefusesALinearNestingDrawing)
{
    SavedSheetStatics statics;
    struct Case {
        int32_t method;
        bool opens;
    } cases[] = {{0, true}, {1, false}};
    for (const Case& c : cases) {
        user->New();
        const INestingModelPtr model = CreateNestingModelInstance();
        model->SetNestingMethod(c.method);
        model->AddSheet();
        model->SaveParams();
        const size_t messages = Messages().size();
        BaseProcess::ReleaseCurrent();
        RunOptimizationProcess();
        EXPECT_EQ(user->Running(), c.opens) << c.method;
        EXPECT_EQ(static_cast<bool>(BaseProcess::currentProcess), c.opens) << c.method;
        ASSERT_EQ(Messages().size(), messages + (c.opens ? 0 : 1)) << c.method;
        if (!c.opens) {
            EXPECT_EQ(Messages().back().text, L"Команда доступна только для фигурного раскроя");
        }
    }
}

}  // namespace
}  // namespace shelltest
