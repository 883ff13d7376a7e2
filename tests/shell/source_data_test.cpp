// The source-data command on the stand-in host: its panel in both nesting
// kinds, its handlers and commands, confirm and cancel, the cursor, and the
// editor under it.
#include "command_fixture.h"

#include <gmock/gmock.h>

#include "host/VarnelAPI_Detail.h"
#include "shell/ModelCommand.h"
#include "shell/SettingProcess.h"
#include "shell/WasteProcess.h"

#include <fstream>
#include <functional>

namespace shelltest {
namespace {

using testing::HasSubstr;

class SourceDataTest : public CommandTest {
protected:
    // A job of three figures in the container, the command running on it.
    void Open(bool placed = false)
    {
        MakeJob(Parts());
        if (placed)
            Place();
        ASSERT_TRUE(user->Command(2));
        ASSERT_TRUE(user->Running());
    }
    ReadContoursProcess& Process() const { return Current<ReadContoursProcess>(); }
    INestingModel& Model() const { return *Process().m_editor.m_model.get(); }
    vlapi::IPropertyEditListPtr Figures() const { return vlapi::IPropertyEditListPtr(C(L"Список деталей")); }
    vlapi::IPropertyGridPtr Details() const { return Process().m_gridLNDetails; }
    bool Linear(bool on) { return user->SetValue(C(L"Тип раскроя"), on ? L"Линейный раскрой" : L"Фигурный раскрой"); }
    bool OpenLinear() { return user->Command(2) && Linear(true); }
    std::vector<std::wstring> SheetNames() const
    {
        std::vector<INObjectPtr> sheets;
        Model().GetSheetObjects(sheets);
        std::vector<std::wstring> names;
        for (const INObjectPtr& s : sheets)
            names.push_back(s->GetName());
        return names;
    }
    std::wstring Cell(int row, int column) const { return Details()->GetCellText(row, column); }
    std::string Said() const { return vlhost::Host::Utf8(LastMessage()); }
    size_t Messages() const { return host->State().messages.size(); }
    // The drawing read anew: the names of its parts lying in a sheet's view,
    // sorted; `parts` counts them all.
    static std::vector<std::wstring> PartsOnSheets(size_t& parts)
    {
        const INestingModelPtr model = CreateNestingModelInstance();
        model->InitSheetsFromActiveDoc();
        model->InitFiguresFromActiveDoc();
        std::vector<INObjectPtr> sheets, figures;
        model->GetSheetObjects(sheets);
        model->GetFigureObjects(figures);
        std::vector<std::wstring> placed;
        for (const INObjectPtr& figure : figures) {
            if (std::any_of(sheets.begin(), sheets.end(), [&](const INObjectPtr& s) { return s->GetView() == figure->GetView(); }))
                placed.push_back(figure->GetName());
        }
        std::sort(placed.begin(), placed.end());
        parts = figures.size();
        return placed;
    }
    // The list file's text written in the test's folder and answered to the next file dialog.
    void AnswerList(const std::string& text, const std::string& name = "list.csv")
    {
        const std::filesystem::path file = root / name;
        std::ofstream(file, std::ios::binary) << text;
        host->State().fileAnswers.push_back(vrnApi::detail::TextOf(file));
    }
    // Linear nesting on bars of 6000 mm, its first detail typed in.
    bool OneDetail(const wchar_t* name, const wchar_t* length)
    {
        return OpenLinear() && user->SetValue(C(L"Длина заготовки"), L"6000") && user->Press(Details(), 7201) &&
               user->EditCell(Details(), 1, 1, name) && user->EditCell(Details(), 1, 2, length);
    }
};

TEST_F(SourceDataTest, EachNestingKindShowsItsControlsAndCaptions)
{
    Open();
    struct Row {
        std::wstring figure;  // caption in figure nesting
        std::wstring linear;  // caption in linear nesting
        bool inFigure;
        bool inLinear;
    };
    std::vector<Row> rows = {
        {L"Длина листа", L"Длина заготовки", true, true},
        {L"Ширина листа", L"Ширина заготовки", true, true},
        {L"Толщина листа", L"Толщина заготовки", true, true},
        {L"Материал листа", L"Материал заготовки", true, true},
        {L"Список заготовок", L"Наименование заготовки", true, true},
        {L"Зазор между деталями", L"Зазор между деталями", true, true},
    };
    // One caption in both kinds: shown in figure nesting only, in linear
    // nesting only, or in neither (no results yet, no sheet file).
    for (const wchar_t* caption : {L"Список деталей", L"Загрузить детали", L"Объединять треугольные детали",
                                   L"Учитывать направление проката", L"Загрузить лист", L"Список листов",
                                   L"Зазор до края листа", L"Скрыть надписи"})
        rows.push_back({caption, caption, true, false});
    for (const wchar_t* caption : {L"Минимальная длина отхода", L"Рассчитать", L"Показать раскрой"})
        rows.push_back({caption, caption, false, true});
    for (const wchar_t* caption : {L"Создать документ", L"Файл"})
        rows.push_back({caption, caption, false, false});
    for (const bool linear : {false, true}) {
        if (linear) {
            ASSERT_TRUE(Linear(true));
        }
        for (const Row& r : rows) {
            const std::wstring caption = linear ? r.linear : r.figure;
            EXPECT_EQ(Shown(caption), linear ? r.inLinear : r.inFigure) << vlhost::Host::Utf8(caption) << linear;
        }
        EXPECT_EQ(Details()->GetVisible(), linear);
        // The figure job gone with the switch, nothing is left to show.
        EXPECT_EQ(vlhost::Host::Utf8(user->Prompt()), linear ? "Укажите файлы деталей для загрузки" : "Исходные данные");
        EXPECT_EQ(vlhost::Host::Utf8(Process().tab2->GetCaption()), linear ? "Параметры заготовки" : "Параметры листа");
    }
    EXPECT_EQ(Model().GetNestingMethod(), 1);
    EXPECT_FALSE(Process().m_typeSheet);
    // A sheet that is no rectangle hides its size in both kinds; a sheet file shows in figure nesting.
    Model().SetRectSheet(false);
    ReadContoursProcess::m_pathSheet = L"/лист.vdw";
    Process().UpdateControls();
    EXPECT_FALSE(Shown(L"Длина заготовки"));
    EXPECT_FALSE(Shown(L"Файл"));
    ASSERT_TRUE(Linear(false));
    EXPECT_FALSE(Shown(L"Длина листа"));
    EXPECT_TRUE(Shown(L"Файл"));
}

TEST_F(SourceDataTest, FigureListToolBarAndSelectionEdits)
{
    Open();
    const vlapi::IPropertyToolBarPtr bar(Figures());
    auto buttons = [&] {
        std::string states;
        for (int id = 7101; id <= 7105; ++id)
            states += std::string(bar->GetButtonEnable(id) ? "e" : "-") + (bar->GetButtonPressed(id) ? "p " : "_ ");
        return states;
    };
    EXPECT_EQ(buttons(), "e_ -_ e_ e_ ep ");  // three figures, none selected, by area down
    EXPECT_FALSE(Shown(L"Количество"));
    // One figure A: its count is 1; three copies make a group of three.
    const int a = Figures()->GetItemText(0) == L"A" ? 0 : Figures()->GetItemText(1) == L"A" ? 1 : 2;
    ASSERT_TRUE(user->SelectItem(Figures(), a));
    EXPECT_EQ(Text(L"Количество"), L"1");
    ASSERT_TRUE(user->SetValue(C(L"Количество"), L"3"));
    EXPECT_EQ(Model().GetFiguresCount(), 5u);
    std::vector<INObjectPtr> named;
    Model().GetFiguresByName(named, L"A");
    EXPECT_EQ(named.size(), 3u);
    // The group's header chooses all three: the count shows 3; one member alone hides it.
    int header = -1;
    for (int i = 0; i < Figures()->GetCount(); ++i)
        if (Figures()->GetItemText(i) == L"A")
            header = i;
    ASSERT_GE(header, 0);
    ASSERT_TRUE(user->Press(Figures(), 7102));
    ASSERT_TRUE(user->SelectItem(Figures(), header));
    EXPECT_TRUE(Shown(L"Количество"));
    EXPECT_EQ(Text(L"Количество"), L"3");
    ASSERT_TRUE(user->SelectItem(Figures(), header + 1, false));
    EXPECT_FALSE(Shown(L"Количество"));
    // A (2 mm, Ст3) with B (3 mm, 09Г2С): neither thickness nor material is shown.
    ASSERT_TRUE(user->Press(Figures(), 7101));
    EXPECT_EQ(buttons(), "ep e_ e_ e_ ep ");
    EXPECT_FALSE(Shown(L"Толщина деталей"));
    EXPECT_FALSE(Shown(L"Материал деталей"));
    ASSERT_TRUE(user->Press(Figures(), 7101));  // pressed: a toggle
    EXPECT_EQ(buttons(), "e_ -_ e_ e_ ep ");
    ASSERT_TRUE(user->Press(Figures(), 7103));
    EXPECT_EQ(buttons(), "e_ -_ ep e_ e_ ");
    EXPECT_EQ(Figures()->GetItemText(0), L"A");
}

// The parts list is written only where what it shows changes: an edit of the
// sheet leaves it alone, a part chosen ticks its row and its group's, and
// the rows still show every part as a list made anew would.
TEST_F(SourceDataTest, ThePartsListIsWrittenOnlyWhereItChanges)
{
    Open();
    // The writes of the list's rows since `from`.
    const auto rowWrites = [&](size_t from) {
        std::vector<std::string> writes;
        for (const std::string& note : NotesSince(from, "editlist \"Список деталей\".")) {
            if (note.find("Item") != std::string::npos || note.find("Clear(") != std::string::npos)
                writes.push_back(note);
        }
        return writes;
    };
    const auto rows = [&] {
        std::vector<std::wstring> shown;
        for (int i = 0; i < Figures()->GetCount(); ++i)
            shown.push_back(Figures()->GetItemText(i) + (Figures()->GetItemChecked(i) ? L" +" : L" -") +
                            (Figures()->GetItemInvalid(i) ? L"!" : L""));
        return shown;
    };
    const std::vector<std::wstring> before = rows();
    size_t mark = Mark();
    ASSERT_TRUE(user->SetValue(C(L"Толщина листа"), L"4"));
    ASSERT_TRUE(user->SetValue(C(L"Длина листа"), L"500"));
    EXPECT_THAT(rowWrites(mark), testing::IsEmpty());
    EXPECT_EQ(rows(), before);
    mark = Mark();
    ASSERT_TRUE(user->SelectItem(Figures(), 0));
    const std::vector<std::string> writes = rowWrites(mark);
    EXPECT_THAT(writes, testing::Each(HasSubstr("SetItemChecked(0, true)")));
    EXPECT_EQ(writes.size(), 1u);
    std::vector<std::wstring> chosen = before;
    chosen[0].replace(chosen[0].find(L" -"), 2, L" +");
    EXPECT_EQ(rows(), chosen);
}

TEST_F(SourceDataTest, ValueChangesReachTheModelAndTheDrawing)
{
    Open();
    Model().AddSheet();
    struct Case {
        const wchar_t* control;
        const wchar_t* value;
        std::function<bool(INestingModel&)> check;
    } cases[] = {
        {L"Толщина листа", L"4", [](INestingModel& m) { return m.GetThicknessSheet() == 4.0; }},
        {L"Материал листа", L"Ст5", [](INestingModel& m) { return m.GetMaterialSheet() == L"Ст5"; }},
        {L"Размер шрифта", L"7", [](INestingModel& m) { return m.GetTextSize() == 7.0; }},
        {L"Скрыть надписи", L"on", [](INestingModel& m) { return m.GetHideText(); }},
        {L"Учитывать направление проката", L"on", [](INestingModel& m) { return m.GetCheckOrient(); }},
        {L"Объединять зеркальные детали", L"on", [](INestingModel& m) { return m.GetUniteMirrors(); }},
        {L"Зазор до края листа", L"3", [](INestingModel& m) { return m.GetSheetGap() == 3.0; }},
        {L"Длина листа", L"250", [](INestingModel& m) { return m.GetWidthSheet() == 250.0; }},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(user->SetValue(C(c.control), c.value)) << user->Refusal();
        EXPECT_TRUE(c.check(Model())) << vlhost::Host::Utf8(c.control);
    }
    EXPECT_TRUE(Process().m_updateGaps);
    ASSERT_TRUE(user->SetValue(C(L"Список заготовок"), L"Лист "));
    EXPECT_THAT(SheetNames(), testing::ElementsAre(L"Лист 1", L"Лист 2"));
    // Out-of-range values never reach the command: the host refuses them with a message.
    EXPECT_FALSE(user->SetValue(C(L"Длина листа"), L"0"));
    EXPECT_FALSE(user->SetValue(C(L"Количество"), L"-2"));
    EXPECT_EQ(Model().GetWidthSheet(), 250.0);
}

TEST_F(SourceDataTest, ConfirmAndCancel)
{
    Open();
    const size_t sheets = MacrosOf(MacroCommand::Sheet);
    ASSERT_TRUE(user->Press(C(L"Список листов"), 7201));
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), sheets + 1);
    // Loading two more parts: the cancel deletes them and the added sheet, and
    // keeps the figures the drawing had.
    host->State().filesAnswers.push_back({Fragment("C", testparts::Rectangle(0, 0, 20, 20)),
                                          Fragment("D", testparts::TestParts()[1].outline)});
    ASSERT_TRUE(user->Press(C(L"Загрузить детали")));
    EXPECT_THAT(Said(), HasSubstr("Загрузка файлов завершена"));
    EXPECT_EQ(MacrosOf(MacroCommand::Figure), 5u);
    EXPECT_FALSE(Process().m_loading);
    EXPECT_TRUE(host->State().access.enabled);
    EXPECT_TRUE(Switches().treeRebuild);
    EXPECT_EQ(Switches().treeRebuildOff, Switches().treeRebuildOn);
    ASSERT_TRUE(user->Esc());
    EXPECT_EQ(Process().m_returnValue, 2);
    EXPECT_EQ(MacrosOf(MacroCommand::Figure), 3u);
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), sheets);

    // Confirm stores the parameters and the configuration; a later cancel does nothing.
    ASSERT_TRUE(user->Command(2));
    ASSERT_TRUE(user->SetValue(C(L"Зазор между деталями"), L"7"));
    ASSERT_TRUE(user->Enter());
    EXPECT_EQ(Process().m_returnValue, 1);
    // No setting of the file changed: it is not written.
    EXPECT_FALSE(std::filesystem::exists(root / "Config" / "Nesting" / "Nesting-cfg.xml"));
    ASSERT_TRUE(user->Command(2));
    ASSERT_TRUE(user->SetValue(C(L"Список заготовок"), L"Лист "));
    ASSERT_TRUE(user->Enter());
    EXPECT_TRUE(std::filesystem::exists(root / "Config" / "Nesting" / "Nesting-cfg.xml"));
    Process().OnButtonClick(vlapi::pbEsc);
    EXPECT_EQ(Process().m_returnValue, 1);
    EXPECT_EQ(MacrosOf(MacroCommand::Figure), 3u);
    const INestingModelPtr reread = CreateNestingModelInstance();
    reread->InitSheetsFromActiveDoc();
    EXPECT_EQ(reread->GetFigureGap(), 7.0);

    // Help opens topic 3.
    ASSERT_TRUE(user->New());
    ASSERT_TRUE(user->Command(2));
    ASSERT_TRUE(user->Help());
    EXPECT_EQ(host->State().helpTopics.back(), 3);
}

// After placement, a sheet of another thickness or material keeps no part
// it no longer matches: on Enter those go to the container, named in a
// message.
TEST_F(SourceDataTest, PartsThatNoLongerMatchTheSheetLeaveItOnEnter)
{
    struct Case {
        const wchar_t* thickness;
        const wchar_t* material;
        std::vector<std::wstring> kept;  // of the plates A, A2 (2 mm, Ст3) and the cross B (3 mm, 09Г2С)
        const wchar_t* moved;           // the message's lines
    };
    const Case cases[] = {
        {L"3", L"09Г2С", {L"B"},
         L"\nA — 1 шт.: деталь 2 мм, «Ст3», лист 3 мм, «09Г2С»\nA2 — 1 шт.: деталь 2 мм, «Ст3», лист 3 мм, «09Г2С»"},
        {L"2", L"Ст3", {L"A", L"A2"}, L"\nB — 1 шт.: деталь 3 мм, «09Г2С», лист 2 мм, «Ст3»"},
        {L"3", L"AISI 304", {}, L"\nA — 1 шт.: деталь 2 мм, «Ст3», лист 3 мм, «AISI 304»\nA2 — 1 шт.: деталь 2 мм, «Ст3», "
                                L"лист 3 мм, «AISI 304»\nB — 1 шт.: деталь 3 мм, «09Г2С», лист 3 мм, «AISI 304»"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vlhost::Host::Utf8(std::wstring(c.thickness) + L" " + c.material));
        // Every part placed on a sheet of no thickness and material.
        NestingModel::m_session = false;
        NestingModel::m_materialSheet.clear();
        ASSERT_TRUE(user->New());
        Open(true);
        ASSERT_TRUE(user->SetValue(C(L"Толщина листа"), c.thickness));
        ASSERT_TRUE(user->SetValue(C(L"Материал листа"), c.material));
        ASSERT_TRUE(user->Enter());

        size_t parts = 0;
        EXPECT_EQ(PartsOnSheets(parts), c.kept);
        EXPECT_EQ(LastMessage(),
                  std::wstring(L"Толщина или материал деталей не совпадает с листом: детали убраны с листов в контейнер") +
                      c.moved);
    }
}

// After nesting (remnants built), an edit that takes every part off the
// sheets and deletes the remnants says so when it happens, and why, counting
// the parts as the registers do (a joined pair of triangles is two); a larger
// sheet keeps both and says the remnants are out of date once, on Enter,
// naming each side changed (nothing on Esc), as a part deleted from the
// sheet or one sent off it on Enter does; gaps typed back undo
// nothing. The switch to linear nesting asks first, naming the remnants it
// deletes, and says nothing of them later; its bars, of no width given, are
// drawn without the sheets' width. The model holds the drawing's remnants.
TEST_F(SourceDataTest, EditsThatUndoTheNestingSaySo)
{
    const auto set = [this](const wchar_t* control, const wchar_t* value) { return user->SetValue(C(control), value); };
    const auto entered = [&](const wchar_t* control, const wchar_t* value) {
        return [=, this] { return set(control, value) && user->Enter(); };
    };
    const std::string undone =
        ": раскрой отменён, детали убраны с листов в контейнер — 3 шт.; деловые отходы удалены — 1 шт.";
    const std::string stale = "деловые отходы (1 шт.) построены для прежнего раскроя и устарели — постройте их заново";
    const struct Case {
        std::function<bool()> edit;
        std::string said;  // how the message starts; empty: none
        size_t placed;     // parts left on the sheets
        bool triangles = false;
        std::string asked = "";  // the question asked first; empty: none
    } cases[] = {
        {[&] { return user->SelectItem(Figures(), 0) && set(L"Количество", L"2"); }, "Изменено количество деталей «A»" + undone, 0},
        {entered(L"Зазор между деталями", L"6"), "Изменён зазор между деталями (5 → 6)" + undone, 0},
        {entered(L"Зазор до края листа", L"4"), "Изменён зазор до края листа (10 → 4)" + undone, 0},
        {[&] { return set(L"Зазор между деталями", L"6") && entered(L"Зазор между деталями", L"5")(); }, "", 3},
        {[&] { return set(L"Длина листа", L"280"); }, "Размер листа уменьшен" + undone, 0},
        {entered(L"Ширина листа", L"250"), "Размер листа увеличен (ширина 200 → 250): деловые отходы (1 шт.)", 3},
        {[&] { return set(L"Длина листа", L"320") && entered(L"Ширина листа", L"250")(); },
         "Размер листа увеличен (длина 300 → 320, ширина 200 → 250): деловые отходы (1 шт.) построены для прежнего "
         "размера листа и устарели — постройте их заново",
         3},
        {[&] { return set(L"Длина листа", L"320") && set(L"Ширина листа", L"250") && user->Esc(); }, "", 3},
        {[&] { return user->SelectItem(Figures(), 0) && user->Press(Figures(), vlapi::vlControlCommandDelete); },
         "Удалены детали с листов: " + stale, 2},
        {[&] {
             const vlapi::IPropertyEditListPtr sheets(C(L"Список листов"));
             return user->Press(sheets, 7201) && user->CheckItem(sheets, 0, true) &&
                    user->Press(sheets, vlapi::vlControlCommandDelete);
         },
         "Удалён лист «Карта раскроя 1»" + undone, 0},
        {[&] { return set(L"Толщина листа", L"3") && entered(L"Материал листа", L"09Г2С")(); },
         "Толщина или материал деталей не совпадает с листом: детали убраны с листов в контейнер\n"
         "A — 1 шт.: деталь 2 мм, «Ст3», лист 3 мм, «09Г2С»\nA2 — 1 шт.: деталь 2 мм, «Ст3», лист 3 мм, «09Г2С»\n\nДеловые " +
             stale.substr(std::string("деловые ").size()),
         1},
        {[&] { return Linear(true) && set(L"Длина заготовки", L"6000"); },
         "Заготовкам линейного раскроя не перенесены с листов: ширина 200 мм. Задайте заготовкам свои на вкладке "
         "«Параметры заготовки». Пока ширина не задана, заготовки нарисованы шириной 2500 мм.",
         0, false,
         "Линейный раскрой заменит листы и детали фигурного раскроя этого чертежа и удалит его деловые отходы (1 шт.). "
         "Перейти к линейному раскрою?"},
    };
    // The count, the gaps and the sheet's length changed again on the job with
    // two equal right triangles besides, joined into a pair: five parts go off.
    const std::string paired = ": раскрой отменён, детали убраны с листов в контейнер — 5 шт.";
    std::vector<Case> all(std::begin(cases), std::end(cases));
    for (const size_t k : {0, 1, 2, 4})
        all.push_back({cases[k].edit, cases[k].said.substr(0, cases[k].said.find(undone)) + paired, 0, true});
    for (const auto& c : all) {
        SCOPED_TRACE(c.said.empty() ? "nothing said" : c.said);
        NestingModel::m_session = false;  // the configuration's gaps: 5 and 10
        NestingModel::m_materialSheet.clear();  // a new drawing's job has the material of none
        ASSERT_TRUE(user->New());
        std::vector<std::wstring> job = Parts();
        if (c.triangles)
            job.push_back(Fragment("T", {{0, 0}, {60, 0}, {0, 30}}, 2));
        MakeJob(job, 300.0, 200.0, c.triangles);
        Place();
        NestingModel remnants;
        remnants.InitSheetsFromActiveDoc();
        remnants.InitFiguresFromActiveDoc(nullptr);
        remnants.m_wasteMethod = true;
        remnants.CalculateWastes();
        ASSERT_TRUE(user->Command(2));
        const size_t before = Messages();
        ASSERT_TRUE(c.edit());
        size_t parts = 0;
        EXPECT_EQ(PartsOnSheets(parts).size(), c.placed);
        ASSERT_EQ(Messages(), before + (c.said.empty() ? 0 : 1) + (c.asked.empty() ? 0 : 1));
        EXPECT_THAT(c.said.empty() ? c.said : Said(), testing::StartsWith(c.said));
        EXPECT_EQ(c.asked.empty() ? c.asked : vlhost::Host::Utf8(host->State().messages[before].text), c.asked);
        std::vector<INObjectPtr> held, bars;
        Model().GetWasteObjects(held);
        Model().GetSheetObjects(bars);
        EXPECT_EQ(held.size(), MacrosOf(MacroCommand::Waste));
        if (Model().GetNestingMethod() != 0) {
            ASSERT_EQ(bars.size(), 1u);
            NRect bar;
            bars.front()->GetGabarit(bar);
            EXPECT_DOUBLE_EQ(bar.pTop.y - bar.pBot.y, NestingModel::kDefaultHeightSheet);
        }
        user->Esc();
    }
}

TEST_F(SourceDataTest, ASheetFileSetsTheSheetSize)
{
    Open();
    host->State().fileAnswers.push_back(L"");
    ASSERT_TRUE(user->Press(C(L"Загрузить лист")));
    EXPECT_TRUE(ReadContoursProcess::m_pathSheet.empty());
    const std::wstring sheet = Fragment("sheet", testparts::Rectangle(0, 0, 500, 320));
    host->State().fileAnswers.push_back(sheet);
    ASSERT_TRUE(user->Press(C(L"Загрузить лист")));
    EXPECT_EQ(Model().GetWidthSheet(), 500.0);
    EXPECT_EQ(Model().GetHeightSheet(), 320.0);
    EXPECT_EQ(Text(L"Файл"), sheet);
    EXPECT_TRUE(Shown(L"Файл"));
    EXPECT_EQ(Switches().undoDepth, 0);
    EXPECT_EQ(Switches().undoContainersOpened, Switches().undoContainersClosed);
    // Typing a size forgets the file.
    ASSERT_TRUE(user->SetValue(C(L"Ширина листа"), L"300"));
    EXPECT_FALSE(Shown(L"Файл"));
    host->State().fileAnswers.push_back(Fragment("cross", testparts::TestParts()[3].outline));
    ASSERT_TRUE(user->Press(C(L"Загрузить лист")));
    EXPECT_THAT(Said(), HasSubstr("прямоугольником"));
    EXPECT_EQ(Model().GetWidthSheet(), 500.0);
}

TEST_F(SourceDataTest, ClicksToggleFiguresAndSheets)
{
    Open(true);
    std::vector<INObjectPtr> named;
    Model().GetFiguresByName(named, L"A");
    ASSERT_EQ(named.size(), 1u);
    const INObjectPtr a = named.front();
    NRect box;
    a->GetGabarit(box);
    const double x = box.pBot.x + Model().GetFigureGap() / 2;  // on its outline, inside its gap
    const double y = (box.pBot.y + box.pTop.y) / 2;
    ASSERT_TRUE(user->Cursor(x, y, false));  // a move chooses nothing
    EXPECT_FALSE(a->GetChoose());
    ASSERT_TRUE(user->Cursor(x, y, true));
    EXPECT_TRUE(a->GetChoose());
    EXPECT_EQ(Figures()->GetItemChecked(0) + Figures()->GetItemChecked(1) + Figures()->GetItemChecked(2), 1);
    // The sheet's border toggles the sheet; an empty point nothing.
    std::vector<ISheetPtr> chosen;
    ASSERT_TRUE(user->Cursor(300, 100, true));
    Model().GetSelectedSheets(chosen);
    EXPECT_EQ(chosen.size(), 1u);
    ASSERT_TRUE(user->Cursor(-50, -50, true));
    ASSERT_TRUE(user->Cursor(300, 100, true));
    chosen.clear();
    Model().GetSelectedSheets(chosen);
    EXPECT_TRUE(chosen.empty());
    // In linear nesting, and after confirm, a click changes nothing.
    ASSERT_TRUE(Linear(true));
    ASSERT_TRUE(user->Cursor(x, y, true));
    EXPECT_TRUE(a->GetChoose());
    Process().m_returnValue = 1;
    EXPECT_FALSE(Process().CallBackCursor(x, y, 0, false));
}

TEST_F(SourceDataTest, TheTwoButtons7201AddADetailOrASheet)
{
    ASSERT_TRUE(user->Command(2));  // a drawing without figures gets its sheet
    EXPECT_EQ(Model().GetSheetsCount(), 1u);
    ASSERT_TRUE(Linear(true));
    const vlapi::IPropertyGridPtr grid = Details();
    for (int i = 0; i < 14; ++i)
        ASSERT_TRUE(user->Press(grid, 7201));
    EXPECT_EQ(Process().m_LNEditor.m_details.size(), 14u);
    EXPECT_EQ(Model().GetSheetsCount(), 1u);  // the details drawn on one empty bar
    ASSERT_TRUE(user->Press(grid, 7201));
    const size_t messages = Messages();
    ASSERT_TRUE(user->Press(grid, 7201));
    EXPECT_EQ(Process().m_LNEditor.m_details.size(), 15u);
    EXPECT_EQ(Messages(), messages + 1);
    EXPECT_THAT(Said(), HasSubstr("превышает"));
    ASSERT_TRUE(Linear(false));
    const size_t bars = Model().GetSheetsCount();
    ASSERT_TRUE(user->Press(C(L"Список листов"), 7201));
    EXPECT_EQ(Model().GetSheetsCount(), bars + 1);
    EXPECT_EQ(Process().m_LNEditor.m_details.size(), 15u);
}

TEST_F(SourceDataTest, TheDetailsGridKeepsADetailItCannotRead)
{
    ASSERT_TRUE(OneDetail(L"Труба", L"1250,5"));
    ASSERT_TRUE(user->EditCell(Details(), 1, 3, L"4"));
    ASSERT_TRUE(user->Press(Details(), 7201));
    ASSERT_TRUE(user->EditCell(Details(), 2, 2, L"700"));
    EXPECT_EQ(Cell(3, 3), L"5");  // the total row
    ASSERT_TRUE(user->Press(C(L"Рассчитать")));
    ASSERT_FALSE(Process().m_LNEditor.m_results.empty());
    EXPECT_TRUE(Shown(L"Создать документ"));
    struct Case {
        int column;
        const wchar_t* text;
        bool taken;
        bool keepsResults;
        int row = 1;
        const char* message = nullptr;
    } cases[] = {
        {2, L"много", false, true}, {3, L"-2", false, true}, {2, L"-1", false, true},
        {3, L"", false, true},      {1, L"Уголок", true, true}, {3, L"6", true, false},
        {3, L"1000000000", true, false}, {1, L"Уголок", true, false, 2},
        // Row 2 made equal to row 1: their counts together pass the largest.
        {2, L"1250,5", false, false, 2,
         "строка 1 «Уголок», строка 2 «Уголок», 1250.5 мм: 1000000001 шт.\nИзменение строки 2 не принято."},
    };
    for (const Case& c : cases) {
        const size_t row = static_cast<size_t>(c.row - 1);
        const LNDetailParams before = Process().m_LNEditor.m_details[row];
        const size_t messages = Messages();
        ASSERT_TRUE(user->EditCell(Details(), c.row, c.column, c.text));
        const LNDetailParams& after = Process().m_LNEditor.m_details[row];
        EXPECT_EQ(after.name != before.name || after.count != before.count || after.length != before.length, c.taken)
            << vlhost::Host::Utf8(c.text);
        EXPECT_EQ(Messages(), messages + (c.taken ? 0 : 1)) << vlhost::Host::Utf8(c.text);
        if (c.message) {
            EXPECT_THAT(Said(), HasSubstr(c.message));
        }
        EXPECT_EQ(Process().m_LNEditor.m_results.empty(), !c.keepsResults) << vlhost::Host::Utf8(c.text);
        EXPECT_EQ(Cell(1, 2), L"1250.5");
        EXPECT_EQ(Cell(2, 2), L"700");
    }
    EXPECT_EQ(Cell(1, 1), L"Уголок");
    EXPECT_EQ(Cell(1, 3), L"1000000000");
    // The grid's delete: row 0 is no row; past the end it erases nothing.
    Details()->SetCurrentCell(0, 1);
    Process().OnControlCommand(vlapi::IPropertyControlPtr(Details()), vlapi::vlControlCommandDelete);
    EXPECT_EQ(Process().m_LNEditor.m_details.size(), 2u);
    ASSERT_TRUE(user->SelectCell(Details(), 2, 1));
    ASSERT_TRUE(user->Press(Details(), vlapi::vlControlCommandDelete));
    EXPECT_EQ(Process().m_LNEditor.m_details.size(), 1u);
}

// After "Рассчитать" with the patterns shown, Enter keeps the drawn bars and
// Esc gives the drawing back as it was when the command started.
TEST_F(SourceDataTest, EnterKeepsTheDrawnBarsAndEscDropsThem)
{
    for (const bool enter : {true, false}) {
        SCOPED_TRACE(enter ? "enter" : "esc");
        ASSERT_TRUE(user->New());
        const size_t sheets = MacrosOf(MacroCommand::Sheet), figures = MacrosOf(MacroCommand::Figure);
        ASSERT_TRUE(OpenLinear());
        ASSERT_TRUE(user->SetValue(C(L"Длина заготовки"), L"1000"));
        ASSERT_TRUE(user->SetValue(C(L"Зазор между деталями"), L"4"));  // a gap change, as before a confirm
        Process().m_LNEditor.m_details = {{L"A", 300, 5}};
        ASSERT_TRUE(user->Tick(C(L"Показать раскрой"), true));
        ASSERT_TRUE(user->Press(C(L"Рассчитать")));
        ASSERT_TRUE(enter ? user->Enter() : user->Esc());
        size_t pieces = 0;
        const std::vector<std::wstring> onBars = PartsOnSheets(pieces);
        if (!enter) {
            EXPECT_EQ(MacrosOf(MacroCommand::Sheet), sheets);
            EXPECT_EQ(MacrosOf(MacroCommand::Figure), figures);
            continue;
        }
        EXPECT_EQ(pieces, 5u);
        EXPECT_EQ(onBars.size(), pieces) << "every piece on a bar";
    }
}

TEST_F(SourceDataTest, ListFilesAddRowsOrSayWhyNot)
{
    ASSERT_TRUE(OpenLinear());
    struct Case {
        std::string text;
        size_t details;   // in the list afterwards
        size_t messages;  // shown
        const char* message;  // the last one holds it
        const char* file = "list.csv";
    } cases[] = {
        {"Имя;Длина;Кол;\nA;1250.5;4;\nB;800;2;\n", 2, 0, nullptr},
        {"Имя;Длина;Кол;\nC;abc;4;\nD;300;1\nE;;1\n", 3, 2, "пропущены: 2"},
        {"Имя;Длина;Кол;\nF;-3;4;\n", 3, 1, "пропущены: 1"},
        // A file loaded into a list that holds rows adds its rows, said so.
        {"\xC8\xEC\xFF;\xC4\xEB\xE8\xED\xE0;\xCA\xEE\xEB;\nG;3;4;\n", 4, 1,
         "Детали файла list.csv добавлены к списку, который уже был загружен: в нём было строк 3, из файла добавлено 1, "
         "стало 4."},
        {"Имя;Длина;Кол;\n", 4, 1, "нет ни одной детали"},
        // Rows of one name and length merge unless their counts together
        // pass the largest a row holds: then the file is not loaded.
        {"Имя;Длина;Кол;\nH;500;1000000000\nH;500;1000000000\n", 4, 1,
         "строка 2 «H» файла list.csv, строка 3 «H» файла list.csv, 500 мм: 2000000000 шт.\nФайл списка деталей не "
         "загружен: "},
        {"H;500;999999999\n", 5, 1, "добавлено 1, стало 5."},
        // A merge names each row with its own count: the rows of a file of
        // the same name by their place in the list.
        {"H;500;1\n", 5, 1,
         "добавлено 1, стало 5.\nСтроки с одинаковыми именем и длиной объединены:\nстрока 5 «H» списка: 999999999 "
         "шт., строка 1 «H» файла list.csv: 1 шт., 500 мм, вместе 1000000000 шт."},
        {"H;500;1\n", 5, 1, "строка 5 «H» списка, строка 1 «H» файла list.csv, 500 мм: 1000000001 шт."},
        // A corrected list loaded after the first: the rows of each file by
        // their lines there.
        {"Имя;Длина;Кол\nСтойка;2350;4\n", 6, 1, "стало 6.", "v1.csv"},
        {"Имя;Длина;Кол\nСтойка;2350;4\n", 6, 1,
         "Детали файла v2.csv добавлены к списку, который уже был загружен: в нём было строк 6, из файла добавлено 1, "
         "стало 6.\nСтроки с одинаковыми именем и длиной объединены:\nстрока 2 «Стойка» файла v1.csv: 4 шт., строка 2 "
         "«Стойка» файла v2.csv: 4 шт., 2350 мм, вместе 8 шт.",
         "v2.csv"},
    };
    for (const Case& c : cases) {
        const size_t messages = Messages();
        AnswerList(c.text, c.file);
        ASSERT_TRUE(user->Press(Details(), 7205));
        EXPECT_EQ(Process().m_LNEditor.m_details.size(), c.details) << c.text;
        EXPECT_EQ(Messages(), messages + c.messages) << c.text;
        if (c.message) {
            EXPECT_THAT(Said(), HasSubstr(c.message));
        }
        EXPECT_FALSE(Process().m_loading);
        EXPECT_TRUE(host->State().access.enabled);
    }
    EXPECT_EQ(Process().m_LNEditor.m_details[1].name, L"B");
    EXPECT_EQ(Process().m_LNEditor.m_details[2].name, L"D");
    EXPECT_EQ(Process().m_LNEditor.m_details[4].count, 1000000000);
    host->State().fileAnswers.push_back(L"");
    ASSERT_TRUE(user->Press(Details(), 7205));
    EXPECT_EQ(Process().m_LNEditor.m_details.size(), 6u);
    // 100,000 rows would make a list no calculation draws in time: refused whole.
    std::string many = "h\n";
    for (int i = 0; i < 100000; ++i)
        many += "P" + std::to_string(i) + ";" + std::to_string(100 + i % 5000) + ",5;2\n";
    AnswerList(many);
    ASSERT_TRUE(user->Press(Details(), 7205));
    EXPECT_EQ(Process().m_LNEditor.m_details.size(), 6u);
    EXPECT_THAT(Said(), HasSubstr("не больше 5000"));
}

// The bars of a drawing turned to linear nesting have no width, thickness or
// material of the sheets another drawing left for the session (said when
// they are dropped): the register gives of a bar only what the linear job
// was given, as it is given.
TEST_F(SourceDataTest, ABarGivesOnlyWhatTheLinearJobGaveIt)
{
    ASSERT_TRUE(user->Command(2));
    for (const auto& [caption, value] : {std::pair{L"Длина листа", L"2500"}, {L"Ширина листа", L"1250"},
                                         {L"Толщина листа", L"2"}, {L"Материал листа", L"Ст3"}})
        ASSERT_TRUE(user->SetValue(C(caption), value));
    ASSERT_TRUE(user->Enter());
    ASSERT_TRUE(user->New());
    ASSERT_TRUE(OneDetail(L"Стойка", L"1850"));
    EXPECT_EQ(Said(), "Заготовкам линейного раскроя не перенесены с листов: ширина 1250 мм, толщина 2 мм, материал "
                      "«Ст3». Задайте заготовкам свои на вкладке «Параметры заготовки». Пока ширина не задана, "
                      "заготовки нарисованы шириной 2500 мм.");
    ASSERT_TRUE(user->Press(C(L"Рассчитать")));
    const struct {
        const wchar_t* caption;  // typed before the register is written
        const wchar_t* value;
        const char* bar;  // the register's bar: its size and material
    } steps[] = {
        {nullptr, nullptr, "\"6000\";\"\";"},
        {L"Толщина заготовки", L"4", "\"6000x—x4\";\"\";"},
        {L"Ширина заготовки", L"40", "\"6000x40x4\";\"\";"},
        {L"Материал заготовки", L"Профиль 40x20", "\"6000x40x4\";\"Профиль 40x20\";"},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        if (steps[i].caption) {
            ASSERT_TRUE(user->SetValue(C(steps[i].caption), steps[i].value));
        }
        const std::string folder = "register" + std::to_string(i);
        host->State().folderAnswers.push_back(File(folder));
        ASSERT_TRUE(user->Press(C(L"Создать документ")));
        std::ifstream in(root / folder / "Документация" / "Ведомость линейного раскроя.csv", std::ios::binary);
        EXPECT_THAT(std::string(std::istreambuf_iterator<char>(in), {}), HasSubstr(steps[i].bar)) << folder;
    }
}

// A row read from a list file is named, in every message, by the line of
// the file it stands on, however the list was sorted; a row typed, by its
// place in the list, said to be the list's.
TEST_F(SourceDataTest, ARowOfAListFileIsNamedByItsLineThere)
{
    ASSERT_TRUE(OneDetail(L"Ручная", L"6500"));
    AnswerList("Имя;Длина;Кол;\nA;500;2;\nБез длины;;1;\n\nОчень длинная;7000;1;\n", "Профили 40x20.csv");
    ASSERT_TRUE(user->Press(Details(), 7205));
    EXPECT_THAT(Said(), HasSubstr("пропущены: 1\nстрока 3 «Без длины»: пустое поле"));
    const struct { const char* step; std::function<bool()> act; const char* message; } steps[] = {
        {"calculated", [&] { return user->Press(C(L"Рассчитать")); },
         "не раскроены:\nстрока 1 «Ручная» списка: 6500 мм\nстрока 5 «Очень длинная» файла Профили 40x20.csv: 7000 мм"},
        {"a length no detail has", [&] { return user->EditCell(Details(), 3, 2, L"много"); },
         "строка 5 «Очень длинная» файла Профили 40x20.csv: длина детали"},
        {"sorted by name", [&] { return user->Press(Details(), 7202) && user->Press(C(L"Рассчитать")); },
         "не раскроены:\nстрока 5 «Очень длинная» файла Профили 40x20.csv: 7000 мм\nстрока 3 «Ручная» списка: 6500 мм"},
        {"a count no detail has, sorted", [&] { return user->EditCell(Details(), 2, 3, L"0"); },
         "строка 5 «Очень длинная» файла Профили 40x20.csv: количество"},
    };
    for (const auto& step : steps) {
        const size_t messages = Messages();
        ASSERT_TRUE(step.act()) << step.step;
        EXPECT_EQ(Messages(), messages + 1) << step.step;
        EXPECT_THAT(Said(), HasSubstr(step.message)) << step.step;
    }
}

TEST_F(SourceDataTest, TheLastSheetIsNeverDeleted)
{
    Open();
    const vlapi::IPropertyEditListPtr sheets(C(L"Список листов"));
    ASSERT_TRUE(user->CheckItem(sheets, 0, true));
    ASSERT_TRUE(user->Press(sheets, vlapi::vlControlCommandDelete));  // one sheet: nothing
    EXPECT_EQ(Model().GetSheetsCount(), 1u);
    ASSERT_TRUE(user->Press(sheets, 7201));
    ASSERT_TRUE(user->CheckItem(sheets, 0, true));
    ASSERT_TRUE(user->CheckItem(sheets, 1, true));
    const size_t messages = Messages();
    ASSERT_TRUE(user->Press(sheets, vlapi::vlControlCommandDelete));
    EXPECT_EQ(Model().GetSheetsCount(), 2u);
    EXPECT_EQ(Messages(), messages + 1);
    ASSERT_TRUE(user->CheckItem(sheets, 1, true));  // the refresh showed the sheets' own marks again
    ASSERT_TRUE(user->Press(sheets, vlapi::vlControlCommandDelete));
    EXPECT_EQ(Model().GetSheetsCount(), 1u);
    EXPECT_EQ(MacrosOf(MacroCommand::Sheet), 1u);
}

TEST_F(SourceDataTest, TheEditorRefusesWhatWouldSpoilTheJob)
{
    MakeJob(Parts());
    ReadContoursEditor editor;
    EXPECT_FALSE(editor.SetWidthSheet(100));  // no model yet: nothing
    editor.LoadFigures({L"/x.vfr"}, false);
    ASSERT_TRUE(editor.Init());
    std::vector<INObjectPtr> figures;
    editor.m_model->GetFigureObjects(figures);
    figures.front()->Choose(true);
    const double width = editor.m_model->GetWidthSheet();
    EXPECT_FALSE(editor.SetCountFiguresCopies(-1, false));
    EXPECT_FALSE(editor.SetWidthSheet(0));
    EXPECT_FALSE(editor.SetHeightSheet(-5));
    EXPECT_FALSE(editor.SetWidthSheet(std::nan("")));
    EXPECT_EQ(editor.m_model->GetFiguresCount(), 3u);
    EXPECT_EQ(editor.m_model->GetWidthSheet(), width);
    EXPECT_TRUE(editor.SetCountFiguresCopies(0, false));
    EXPECT_EQ(editor.m_model->GetFiguresCount(), 2u);
    EXPECT_EQ(ReadContoursEditor().Init(&NoModel), false);
}

TEST_F(SourceDataTest, WithoutAModelEachCommandSaysSoAndStops)
{
    MakeJob(Parts());
    const std::function<void()> starts[] = {
        [] { StartModelCommand<ReadContoursProcess>(&NoModel); },
        [] { StartModelCommand<WasteProcess>(&NoModel); },
        [] { StartModelCommand<SettingProcess>(&NoModel); },
    };
    for (const auto& start : starts) {
        const size_t messages = Messages();
        start();
        EXPECT_FALSE(user->Running());
        EXPECT_EQ(Messages(), messages + 1);
        EXPECT_THAT(Said(), HasSubstr("модель"));
        EXPECT_EQ(host->HandlerCount(L"Nesting"), 0);
        EXPECT_EQ(host->HandlerCount(L"DrawingObjectEvents_Nesting"), 3);
    }
}

TEST_F(SourceDataTest, EveryCommandRunsWithoutTheControlsTheHostRefused)
{
    MakeJob(Parts());
    for (const char* failing : {"IPropertyControls::Add", "IProcessParam::GetPropertyTabs"}) {
        vlhost::Failures::Instance().Fail(failing);
        for (const int command : {2, 4, 8}) {
            ASSERT_TRUE(user->Command(command)) << failing << " " << command;
            EXPECT_TRUE(user->Running()) << failing << " " << command;
            ASSERT_TRUE(user->Cursor(10, 10, true));
            ASSERT_TRUE(user->Esc());
            EXPECT_EQ(host->HandlerCount(L"Nesting"), 0);
        }
        vlhost::Failures::Instance().Restore(failing);
    }
    EXPECT_TRUE(host->State().faults.empty());
    EXPECT_EQ(MacrosOf(MacroCommand::Figure), 3u);
}

TEST_F(SourceDataTest, AMovedFromCommandReleasesNothing)
{
    MakeJob(Parts());
    ReadContoursProcess from;
    from.Init();
    from.m_procParam = application->CreateProcessParam();
    from.CreateControls();
    from.UpdateControls();
    ASSERT_TRUE(from.m_editor.m_model && from.m_listMethods && from.m_listFigures.GetControl());
    ReadContoursProcess to(std::move(from));
    EXPECT_FALSE(from.m_editor.m_model);
    EXPECT_FALSE(from.m_LNEditor.m_model);
    EXPECT_FALSE(from.m_listMethods || from.m_gridLNDetails || from.m_toolBar || from.m_sizeText || from.tab2);
    EXPECT_FALSE(from.m_listFigures.GetControl());
    EXPECT_EQ(to.m_editor.m_model, to.m_LNEditor.m_model);
    EXPECT_TRUE(to.m_listMethods && to.m_listFigures.GetControl());
    EXPECT_EQ(to.m_sortType, sortByAreaDecrease);
}

}  // namespace
}  // namespace shelltest
