// A small application library for the stand-in host's tests, loaded with
// dlopen. Commands: 1 a process whose panel holds one control of each kind;
// 2 leaves an application handler behind at unload; 3 throws; 4 makes a
// figure macro (its hot points drag it and turn it); 5 moves that figure
// itself, so that its own move asks for command 300; 7 keeps the documents
// open at "close all"; 8 shows the file a dialog gives; 300 places the figure back on the x axis (guarded
// against running inside itself); 301 asks for itself without end.
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <stdexcept>
#include <vector>

#include "vlapi/vlapi.h"

namespace {

using namespace vlapi;

IApplication* app = nullptr;
IResourcesModulePtr module;
const std::wstring kName = L"APP_VlTest";
const std::wstring kOwner = L"Test";
const std::wstring kAppOwner = L"ApplicationEvents_Test";
bool keepDocuments = false;

std::wstring Text(int id) {
  IProceduresLibraryPtr library = app->GetLibraryManager()->GetProceduresLibraries()->GetLibrary(kName);
  return library ? library->GetDictionary()->GetString(id, module.get()) : std::wstring();
}

void Ask(int command) {
  ILibraryPtr library(app->GetLibraryManager()->GetProceduresLibraries()->GetLibrary(kName));
  IVarnelAPIObjectPtr result;
  if (library) library->RunCommand(command, 1, result);
}

IMacroObjectPtr Figure() {
  IVarnelDocument2DPtr doc(app->GetActiveDocument());
  if (!doc) return {};
  IDrawingContainerPtr view(doc->GetViewsAndLayersManager()->GetViews()->GetActiveView());
  for (const auto& object : view->GetObjects({vlDrMacro}))
    if (IUserParametersPtr user = object; user && user->GetCommand() == 101) return IMacroObjectPtr(object);
  return {};
}

// --- Drawing sinks ---------------------------------------------------------------

struct Sink {
  IVarnelDocument2DPtr doc;
  IDrawingObjectEventsPtr objects;
};
std::vector<std::unique_ptr<Sink>> sinks;

void Unadvise(Sink* sink) {
  if (sink->objects) sink->objects->RemoveHandlers();
  if (IVarnelDocumentEventsPtr events = sink->doc->GetDocumentEvents()) events->RemoveHandlers(L"Close_Test");
  for (auto it = sinks.begin(); it != sinks.end(); ++it)
    if (it->get() == sink) {
      sinks.erase(it);
      return;
    }
}

void UnadviseAll() {
  while (!sinks.empty()) Unadvise(sinks.front().get());
}

void Advise(const IVarnelDocumentPtr& document) {
  IVarnelDocument2DPtr doc(document);
  if (!doc || doc->GetDocumentType() != vlDocumentDrawing) return;
  auto sink = std::make_unique<Sink>();
  sink->doc = doc;
  sink->objects = doc->GetDrawingObjectEvents(L"Objects_Test");
  const auto ask = [](const DrawingObjectList&) {
    Ask(300);
    return true;
  };
  sink->objects->SetTypes({vlDrMacro});
  sink->objects->OnObjectsMoved(ask);
  sink->objects->OnObjectsRotated(ask);
  sink->objects->OnObjectsCopied(ask);
  Sink* raw = sink.get();
  doc->GetDocumentEvents()->OnCloseDocument(L"Close_Test", [raw] { Unadvise(raw); });
  sinks.push_back(std::move(sink));
}

// --- The panel ---------------------------------------------------------------------

struct Panel {
  IProcessParamPtr param;
  IProcessPtr process;
  IPropertyCheckBoxPtr check;
  IPropertyEditListPtr list;
  std::vector<IPropertyControlPtr> controls;

  std::wstring Name(const IPropertyControlPtr& control) const {
    for (const auto& c : controls)
      if (IAPIObjectPtr(c) == IAPIObjectPtr(control)) return c->GetCaption();
    return L"?";
  }
  void Prompt(const std::wstring& text) const {
    process->SetPrompt(text);
    process->RefreshPanel();
  }
  void Unbind() const {
    param->GetPropertiesManagerEvents()->RemoveHandlers(kOwner);
    IProcess2DPtr(process)->GetProcess2DEvents()->RemoveHandlers(kOwner);
  }
};
std::unique_ptr<Panel> panel;

IPropertyControlPtr Add(const IPropertyControlsPtr& controls, int kind, const std::wstring& caption) {
  IPropertyControlPtr control = controls->Add(kind);
  if (!caption.empty()) control->SetCaption(caption);
  panel->controls.push_back(control);
  return control;
}

void Bind() {
  Panel* p = panel.get();
  IPropertiesManagerEventsPtr events = p->param->GetPropertiesManagerEvents();
  events->OnButtonClick(kOwner, [p](int id) {
    if (id == pbEnter) p->process->Stop();  // stopping from inside the click is legal
    if (id == pbEsc) {
      // So is dropping every handler first, this one included, and stopping.
      p->Unbind();
      p->process->Stop();
    }
    if (id == pbHelp) app->MessageBox(L"справка", L"", vlMBIconInformation, 0, 0);
    return true;
  });
  events->OnChangeControlValue(kOwner, [p](const IPropertyControlPtr& c) { p->Prompt(L"changed " + p->Name(c)); });
  events->OnControlCommand(kOwner, [p](const IPropertyControlPtr& c, int id) {
    if (id == 7100) {
      IPropertyToolBarPtr bar(p->list);
      bar->SetButtonPressed(7100, !bar->GetButtonPressed(7100));
    }
    p->Prompt(L"command " + p->Name(c) + L" " + std::to_wstring(id));
  });
  events->OnButtonUpdate(kOwner, [p](int id, bool& enable, int&) {
    if (id != pbEnter) return false;
    enable = p->check->GetChecked();  // confirm only once the box is ticked
    return true;
  });
  events->OnProcessActivate(kOwner, [p] { p->Prompt(L"active"); });
  events->OnProcessDeactivate(kOwner, [p] { p->Prompt(L"inactive"); });
  events->OnSelectItem(kOwner, [p](const IPropertyControlPtr& c, int i, bool on) {
    p->Prompt(L"select " + p->Name(c) + L" " + std::to_wstring(i) + (on ? L" on" : L" off"));
  });
  events->OnCheckItem(kOwner, [p](const IPropertyControlPtr& c, int i, bool on) {
    p->Prompt(L"tick " + p->Name(c) + L" " + std::to_wstring(i) + (on ? L" on" : L" off"));
  });
  events->OnSelectCell(kOwner, [p](const IPropertyControlPtr&, int r, int c) {
    p->Prompt(L"cell " + std::to_wstring(r) + L" " + std::to_wstring(c));
  });
  events->OnEditFocus(kOwner, [p](const IPropertyControlPtr& c, bool on) {
    p->Prompt(L"focus " + p->Name(c) + (on ? L" on" : L" off"));
  });
  events->OnUserMenuCommand(kOwner, [p](const IPropertyControlPtr&, int id) { p->Prompt(L"menu " + std::to_wstring(id)); });
  events->OnFillContextPanel(kOwner, [](const IProcessContextPanelPtr& c) { c->AddCommand(1, 0, L"контекст"); });
  events->OnFillContextIconMenu(kOwner, [](const IProcessContextIconMenuPtr& m) { m->AddCommand(2, 0, L"значки"); });
  events->OnEndEditItem(kOwner, [p](const IPropertyControlPtr&, int i) {
    p->Prompt(L"renamed " + p->list->GetItemText(i));
  });
  events->OnChangeTabExpanded(kOwner, [p](int tab) { p->Prompt(L"tab " + std::to_wstring(tab)); });
  events->OnDoubleClickItem(kOwner, [p](const IPropertyControlPtr&, int i) { p->list->EditItem(i); });
  events->OnGetContextMenuType(kOwner, [](int x, int) { return x < 0 ? vlProcessContextIconMenu : vlProcessContextPanel; });
  IProcess2DEventsPtr cursor = IProcess2DPtr(p->process)->GetProcess2DEvents();
  cursor->OnCursor(kOwner, [p](double x, double y, double, bool dynamic) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%ls %g %g", dynamic ? L"cursor" : L"click", x, y);
    p->Prompt(text);
    return true;
  });
  cursor->OnEndProcess(kOwner, [p] {
    p->Unbind();
    return false;
  });
}

void RunPanel() {
  if (panel && panel->process && panel->process->IsRunning()) {
    panel->Unbind();
    panel->process->Stop();
  }
  panel = std::make_unique<Panel>();
  panel->param = app->CreateProcessParam();
  if (!panel->param) return;
  panel->param->SetStyle(0);
  panel->param->SetCaption(L"Тест");
  panel->param->SetButtons(pnEnterEscHelp);
  panel->param->SetFlags(1);
  // The library finds itself by its menu title, for its icon font.
  IProceduresLibraryPtr self = app->GetLibraryManager()->GetProceduresLibraries()->GetLibrary(Text(100));
  const std::wstring font = self ? self->GetFontName() : L"";

  IPropertyTabsPtr tabs = panel->param->GetPropertyTabs();
  tabs->GetTab(0)->SetVisible(false);
  IPropertyControlsPtr c = tabs->Add(L"Параметры")->GetControls();
  Add(c, vlControlSeparator, L"");
  IPropertyEditPtr(Add(c, vlControlEditInt, L"Количество"))->SetRange(1, 10);
  IPropertyEditPtr(Add(c, vlControlEditReal, L"Толщина"))->SetRange(0, 100);
  IPropertyEditPtr(Add(c, vlControlEditStr, L"Имя"))->SetText(L"деталь");
  IPropertyListPtr(Add(c, vlControlListStr, L"Метод"))->SetItems({L"По габаритам", L"По контурам"});
  panel->check = Add(c, vlControlCheckBox, L"Готово");
  IPropertyGridPtr grid = Add(c, vlControlGrid, L"Таблица");
  grid->SetRowCount(3);
  grid->SetColumnCount(2);
  grid->SetCellText(0, 0, L"№");
  grid->SetCellText(0, 1, L"Значение");
  grid->SetCellEditable(-1, 1, true);
  IPropertySlideBoxPtr(Add(c, vlControlSlideBox, L""))->SetFile(L"preview.vdw");
  Add(c, vlControlTextButton, L"Пуск");
  IPropertyColorPtr(Add(c, vlControlColor, L"Цвет"))->SetColor(0xC8D200);
  panel->list = Add(c, vlControlEditList, L"Список");
  panel->list->AddItem(L"первый");
  panel->list->AddItem(L"второй");
  IPropertyToolBarPtr bar(panel->list);
  bar->AddButton(7100, 57346, -1);
  bar->SetButtonHint(7100, L"выделить");
  bar->SetButtonFont(7100, font);
  IPropertyEditPtr(Add(c, vlControlEditLength, L"Длина"))->SetRange(0, 1000);
  IPropertyEditCheckBoxPtr folder = Add(c, vlControlEditCheckBox, L"Папка");
  folder->GetEdit()->SetCaption(L"Папка");
  folder->GetCheckBox()->SetCaption(L"Папка");
  folder->SetCheckState(vlCheckCurrent);
  IPropertyToolBarPtr side(folder->GetEdit());
  side->AddButton(7201, 57346, 57346);
  IPropertyCheckBoxPtr(Add(tabs->Add(L"Второй")->GetControls(), vlControlCheckBox, L"Скрытый"))->SetVisible(false);

  IVarnelDocument2DPtr doc(app->GetActiveDocument());
  if (!doc) return;
  panel->process = doc->CreateProcess(vlProcess2DCursor);
  if (!panel->process) return;
  panel->process->SetMask(65534);
  Bind();
  panel->process->SetProcessParam(panel->param.get());
  panel->process->Start(1, 0);
  panel->Prompt(L"готов");
}

// --- Figures and their hot points ------------------------------------------------------

void MakeFigure() {
  IVarnelDocument2DPtr doc(app->GetActiveDocument());
  if (!doc) return;
  UnadviseAll();  // our own drawing moves nothing the sinks should see
  IDrawingContainerPtr view(doc->GetViewsAndLayersManager()->GetViews()->GetActiveView());
  APIObjectList lines;
  const double xy[] = {0, 0, 100, 0, 100, 50, 0, 50, 0, 0};
  for (int i = 0; i < 4; ++i) {
    ILineSegmentPtr line = view->GetCollection(vlDrLineSeg)->Add();
    line->SetX1(xy[2 * i]);
    line->SetY1(xy[2 * i + 1]);
    line->SetX2(xy[2 * i + 2]);
    line->SetY2(xy[2 * i + 3]);
    line->Update();
    lines.emplace_back(line);
  }
  IMacroObjectPtr macro = view->GetMacroObjects()->AddMacro(1);
  macro->AddObjects(lines);
  macro->SetName(L"F1");
  IUserParametersPtr user(macro);
  user->SetCommand(101);
  user->SetLibraryId(Text(100));
  user->SetModuleName(app->GetApplicationServices()->GetModuleFileName(module.get()));
  macro->SetPlacement(10, 10, 0, 0, 0);
  macro->Update();
  Advise(app->GetActiveDocument());
}

class HotPoints : public IHotPointObject {
 public:
  explicit HotPoints(IMacroObjectPtr macro) : macro_(std::move(macro)) {}
  long AddRef() override { return ++refs_; }
  long Release() override {
    const long left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  bool QueryInterface(IAPIObjectIID iid, void** object) override {
    *object = nullptr;
    if (!SameIID(iid, IID_IHotPointObject) && !SameIID(iid, IID_IAPIObject)) return false;
    AddRef();
    *object = static_cast<IHotPointObject*>(this);
    return true;
  }
  bool Get(int index, HotPoint& point) override {
    if (index == 0) point = {0, 0, L"0", 0};
    else if (index == 1) point = {50, 0, L"A", 10011};
    return index == 0 || index == 1;
  }
  bool Set(int index, double x, double y) override {
    double px = 0, py = 0, angle = 0;
    int mirrored = 0;
    macro_->GetPlacement(px, py, angle, mirrored);
    if (index == 0) return macro_->SetPlacement(x, y, 0, 0, 1);
    const double turn = std::atan2(y, x) * 180.0 / std::numbers::pi;
    return index == 1 && macro_->SetPlacement(px, py, turn < 0 ? turn + 360 : turn, 0, 0);
  }
  std::wstring GetCursorText(int index) override {
    if (index != 1) return {};
    double x = 0, y = 0, angle = 0;
    int mirrored = 0;
    macro_->GetPlacement(x, y, angle, mirrored);
    wchar_t text[32];
    std::swprintf(text, 32, L"A = %.2f", angle);
    return text;
  }
  IAPIObjectPtr GetMenu(int) override { return {}; }
  bool BeginDrag(int) override {
    UnadviseAll();
    return true;
  }
  bool EndDrag(int, bool) override {
    Advise(app->GetActiveDocument());
    Ask(300);
    return true;
  }

 private:
  ~HotPoints() = default;
  long refs_ = 0;
  IMacroObjectPtr macro_;
};

IAPIObjectPtr HotPointEntry(const IVarnelAPIObjectPtr& object) {
  IUserParametersPtr user(object);
  if (!user || user->GetCommand() != 101 || (panel && panel->process && panel->process->IsRunning())) return {};
  return IAPIObjectPtr(static_cast<IHotPointObject*>(new HotPoints(IMacroObjectPtr(object))));
}

// --- Commands --------------------------------------------------------------------------------

bool placing = false;

bool RunCommand(int command, int) {
  switch (command) {
    case 1: RunPanel(); return true;
    case 2:
      app->GetApplicationEvents()->OnKeyDown(L"Leak_Test", [](int&, int, const IPressedKeysPtr&) { return false; });
      return true;
    case 3: throw std::runtime_error("command 3 fails");
    case 4: MakeFigure(); return true;
    case 5:
      if (IMacroObjectPtr figure = Figure()) figure->SetPlacement(0, 5, 0, 0, 1);
      return true;
    case 7: keepDocuments = !keepDocuments; return true;
    case 8: {
      const std::wstring file =
          app->GetApplicationDialogs()->OpenFileDialog(0, L"vdw", L"Чертежи (*.vdw)|*.vdw", L"", 0, false);
      app->MessageBox(file.empty() ? L"отменено" : file, L"", vlMBIconInformation, 0, 0);
      return true;
    }
    case 300: {
      if (placing) return false;  // asked for again by its own move
      placing = true;
      if (IMacroObjectPtr figure = Figure()) {
        double x = 0, y = 0, angle = 0;
        int mirrored = 0;
        figure->GetPlacement(x, y, angle, mirrored);
        figure->SetPlacement(x, 0, angle, 0, 0);
      }
      placing = false;
      return true;
    }
    case 301: Ask(301); return true;
    case 9:  // a long run that lets the host handle the user's waiting actions
      app->ProcessPendingEvents();
      app->MessageBox(L"дождалась", L"", vlMBIconInformation, 0, 0);
      return true;
    default: return false;
  }
}

}  // namespace

extern "C" bool LoadVarnelLibrary(IApplication* application, IVarnelLibraryActions* actions) {
  app = application;
  actions->RegisterRunCommand(&RunCommand);
  actions->RegisterFillContextPanel([](const IProcessContextPanelPtr&) { return false; });
  actions->RegisterLibCommandState([](int command, bool& enable, int&, std::wstring& reason) {
    if (command != 6) return false;
    enable = false;
    reason = L"never";
    return true;
  });
  actions->RegisterGetMenuId([] { return 100; });
  actions->RegisterLibObjInterfaceEntry(vlLibObjHotPoints, &HotPointEntry);
  actions->RegisterLibObjInterfaceEntry(vlLibObjProperties, [](const IVarnelAPIObjectPtr&) { return IAPIObjectPtr(); });

  IApplicationEventsPtr events = app->GetApplicationEvents();
  events->OnCreateDocument(kAppOwner, &Advise);
  events->OnOpenDocument(kAppOwner, &Advise);
  events->OnBeginCloseAllDocument(kAppOwner, [] { return !keepDocuments; });
  events->OnApplicationDestroy(kAppOwner, [] {});
  events->OnKeyDown(kAppOwner, [](int& key, int, const IPressedKeysPtr&) {
    if (key == 'R')
      if (IMacroObjectPtr figure = Figure()) figure->SetPlacement(0, 0, 90, 0, 1);
    return true;
  });
  events->OnKeyUp(kAppOwner, [](int&, int, const IPressedKeysPtr&) { return true; });

  module = app->GetResourcesModule(L"Nesting");
  module->AddCursor(10011, L"CURSOR_ROTATE");
  module->AddLibraryId(100, {1, 4});
  for (int id : {100, 101, 102}) module->AddString(id);
  return true;
}

extern "C" void UnloadVarnelLibrary() {
  if (panel && panel->process && panel->process->IsRunning()) panel->Unbind();
  panel.reset();
  UnadviseAll();
  app->GetApplicationEvents()->RemoveHandlers(kAppOwner);
  module = nullptr;
  app = nullptr;
}
