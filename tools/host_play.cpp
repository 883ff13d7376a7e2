// host_play: plays a script of user steps and expectations against the
// stand-in host (grammar in tools/README.md). Exit 0 when every line holds,
// 1 at the first line that fails (with its number and why), 2 for bad usage.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "vlhost/Driver.h"
#include "vlhost/Host.h"

namespace {

namespace fs = std::filesystem;
using Words = std::vector<std::string>;

// A failed line: what went wrong.
struct Failure {
  std::string why;
};

[[noreturn]] void Fail(const std::string& why) { throw Failure{why}; }

std::wstring W(const std::string& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const int extra = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    wchar_t code = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 0x07);
    for (int k = 1; k <= extra && i + static_cast<std::size_t>(k) < text.size(); ++k)
      code = static_cast<wchar_t>((code << 6) | (static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]) & 0x3F));
    out += code;
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::string U(const std::wstring& text) { return vlhost::Host::Utf8(text); }

// Splits a line into words; "..." keeps spaces, with \" \\ and \n inside.
Words Split(const std::string& line) {
  Words out;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= line.size()) break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size()) {
          c = line[i++];
          if (c == 'n') c = '\n';
        }
        word += c;
      }
      if (!closed) Fail("a quoted text is not closed");
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') word += line[i++];
    }
    out.push_back(word);
  }
  return out;
}

double Num(const std::string& text) {
  try {
    std::size_t used = 0;
    const double v = std::stod(text, &used);
    if (used == text.size()) return v;
  } catch (...) {
  }
  Fail("not a number: " + text);
}

int Int(const std::string& text) {
  const double v = Num(text);
  if (v != static_cast<int>(v)) Fail("not a whole number: " + text);
  return static_cast<int>(v);
}

int KeyCode(const std::string& name) {
  static const std::map<std::string, int> keys = {{"left", 37},  {"up", 38},    {"right", 39}, {"down", 40},
                                                  {"shift", 16}, {"ctrl", 17},  {"alt", 18},   {"enter", 13},
                                                  {"esc", 27},   {"space", 32}, {"delete", 46}};
  if (auto it = keys.find(name); it != keys.end()) return it->second;
  if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
    return std::toupper(static_cast<unsigned char>(name[0]));
  return Int(name);
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t\r") - b + 1);
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// What a step costs: wall clock, processor time (user and system) and the
// peak of the resident memory while it plays. The peak is the kernel's
// (VmHWM), set back to the present size before each step where the kernel
// lets it be (/proc/self/clear_refs); where not, it is the peak since the
// start, and says so.
struct StepCost {
  double wall = 0.0;
  double processor = 0.0;
  long rss = 0;  // kB, as the step starts
  bool peakReset = false;

  static double Processor() {
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return static_cast<double>(use.ru_utime.tv_sec + use.ru_stime.tv_sec) +
           static_cast<double>(use.ru_utime.tv_usec + use.ru_stime.tv_usec) * 1e-6;
  }
  static double Wall() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
  }
  // The status line `key` of the process (kB), or -1.
  static long Status(const std::string& key) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
      if (line.rfind(key + ":", 0) == 0) return std::atol(line.c_str() + key.size() + 1);
    return -1;
  }
  static StepCost Start(bool wanted) {
    StepCost cost;
    if (!wanted) return cost;
    std::ofstream reset("/proc/self/clear_refs");
    cost.peakReset = static_cast<bool>(reset << "5" << std::flush);
    cost.rss = Status("VmRSS");
    cost.processor = Processor();
    cost.wall = Wall();
    return cost;
  }
  void Write(std::ostream& out, std::size_t line, const std::string& text) const {
    const double wallNow = Wall(), processorNow = Processor();
    out << line << "\t" << std::fixed << std::setprecision(3) << wallNow - wall << "\t" << processorNow - processor
        << "\t" << Status("VmHWM") << (peakReset ? "" : " (since the start)") << "\t" << rss << "\t" << text
        << std::endl;
  }
};

class Player {
 public:
  Player(fs::path script, fs::path root, std::map<std::string, std::string> vars)
      : script_(std::move(script)), root_(std::move(root)), vars_(std::move(vars)), host_(root_), user_(host_) {
    vars_["SCRIPT_DIR"] = script_.parent_path().string();
    vars_["ROOT"] = root_.string();
  }

  const std::vector<std::string>& Transcript() const { return user_.Transcript(); }

  // Shows the host's progress bar on standard error, on one line, when that
  // is a terminal.
  void ShowProgress() {
    if (!isatty(STDERR_FILENO)) return;
    host_.State().progressWatch = [](const vlhost::ProgressState& p) {
      if (!p.shown) {
        std::cerr << "\r\033[K" << std::flush;
        return;
      }
      const int percent = p.range > 0 ? std::clamp(p.position * 100 / p.range, 0, 100) : 0;
      std::cerr << "\r\033[K    " << U(p.text) << " " << percent << "%" << std::flush;
    };
  }

  // Plays the script; the number of the failing line (0 when all hold).
  int Play(std::string& why) {
    std::ifstream in(script_, std::ios::binary);
    if (!in) {
      why = "cannot read the script " + script_.string();
      return -1;
    }
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    for (line_ = 0; line_ < lines.size(); ++line_) {
      const std::string text = Trim(lines[line_]);
      if (text.empty() || text[0] == '#') continue;
      const StepCost before = StepCost::Start(times_.is_open());
      try {
        Words words = Expand(Split(text));
        if (words[0] != "expect" && !Unexpected(why)) return static_cast<int>(unexpected_.front().second);
        if (words[0] == "expect" && words.size() >= 2 && words[1] == "calls") {
          ExpectCalls(words, lines);
        } else {
          Step(words);
        }
        PrintAlerts();
        if (times_.is_open()) before.Write(times_, line_ + 1, text);
      } catch (const Failure& f) {
        PrintAlerts();
        why = f.why;
        return static_cast<int>(line_) + 1;
      }
    }
    return Unexpected(why) ? 0 : static_cast<int>(unexpected_.front().second);
  }

  // Warnings and errors the host shows fail the script unless an "expect
  // message" checks each of them (the script's own job meant to show it).
  void StrictMessages() { strict_ = true; }

  // Each step's wall clock, processor time and peak memory, a line each,
  // to the file (a benchmark's figures).
  bool TimeSteps(const fs::path& file) {
    times_.open(file, std::ios::binary);
    return static_cast<bool>(times_);
  }

 private:
  // Each message box (an error, a warning or a note), as the host showed it,
  // printed when the step that showed it has played: what a job refused,
  // left out or took otherwise than written is seen without its transcript.
  void PrintAlerts() {
    const auto& messages = host_.State().messages;
    alertsShown_ = std::min(alertsShown_, messages.size());
    for (; alertsShown_ < messages.size(); ++alertsShown_) {
      const int icon = messages[alertsShown_].flags & 0x70;
      if (strict_ && (icon == vlapi::vlMBIconWarning || icon == vlapi::vlMBIconError))
        unexpected_.emplace_back(alertsShown_, line_ + 1);
      std::string text = U(messages[alertsShown_].text);
      for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 3))
        text.replace(at, 1, "\n  ");
      // Flushed, so that they stand before a failure that follows on stderr.
      std::cout << script_.filename().string() << ":" << line_ + 1 << ": " << text << std::endl;
    }
  }

  // True while every warning and error shown before the step about to play
  // has been checked; otherwise `why` names the first that was not.
  bool Unexpected(std::string& why) {
    if (unexpected_.empty()) return true;
    const vlhost::RecordedMessage& m = host_.State().messages[unexpected_.front().first];
    const std::string text = U(m.text);
    why = std::string((m.flags & 0x70) == vlapi::vlMBIconError ? "an error" : "a warning") +
          " the script does not expect: " + text.substr(0, text.find('\n'));
    return false;
  }

  std::string Expand(std::string w) const {
    for (std::size_t at = w.find("${"); at != std::string::npos; at = w.find("${", at)) {
      const std::size_t end = w.find('}', at);
      if (end == std::string::npos) Fail("an unclosed ${ in " + w);
      const std::string name = w.substr(at + 2, end - at - 2);
      auto it = vars_.find(name);
      if (it == vars_.end()) Fail("no variable " + name);
      w.replace(at, end - at + 1, it->second);
      at += it->second.size();
    }
    return w;
  }
  Words Expand(Words words) const {
    for (std::string& w : words) w = Expand(w);
    return words;
  }

  fs::path Path(const std::string& p) const {
    const fs::path path(p);
    return path.is_absolute() ? path : script_.parent_path() / path;
  }

  // The files a path names: itself, or where its file name holds "*" (any
  // run of characters), every file of its folder whose name matches, by name
  // and whatever the case of its letters, as the host's file dialog picks
  // them all: "*.dxf" takes "A.DXF" and "b.Dxf" too.
  std::vector<fs::path> Files(const std::string& p) const {
    const fs::path path = Path(p);
    if (path.filename().string().find('*') == std::string::npos) return {path};
    std::vector<fs::path> files = Matching(path);
    if (files.empty()) Fail("no file matches " + path.string());
    return files;
  }
  // The files of a folder whose names match the pattern `path` ends in, sorted.
  static std::vector<fs::path> Matching(const fs::path& path) {
    const std::string pattern = path.filename().string();
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(path.parent_path(), ec), end; !ec && it != end; it.increment(ec))
      if (it->is_regular_file() && FileNameMatches(Folded(W(pattern)), Folded(W(it->path().filename().string()))))
        files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
  }
  // A name with its letters (Latin and Cyrillic) in lower case.
  static std::wstring Folded(std::wstring name) {
    for (wchar_t& c : name) {
      if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x410 && c <= 0x42F))
        c = static_cast<wchar_t>(c + 0x20);
      else if (c >= 0x400 && c <= 0x40F)
        c = static_cast<wchar_t>(c + 0x50);
    }
    return name;
  }
  static bool FileNameMatches(std::wstring_view pattern, std::wstring_view name) {
    const std::size_t star = pattern.find(L'*');
    if (star == std::wstring_view::npos) return pattern == name;
    if (name.substr(0, star) != pattern.substr(0, star)) return false;
    const std::wstring_view rest = pattern.substr(star + 1);
    for (std::size_t from = star; from <= name.size(); ++from)
      if (FileNameMatches(rest, name.substr(from))) return true;
    return false;
  }

  vlapi::IPropertyControlPtr Ctl(const std::string& designator) {
    vlapi::IPropertyControlPtr c = user_.Control(W(designator));
    if (!c) Fail("no control " + designator + " in the panel");
    return c;
  }

  static std::string Join(const Words& w, std::size_t from) {
    std::string out;
    for (std::size_t i = from; i < w.size(); ++i) out += (i > from ? " " : "") + w[i];
    return out;
  }

  void Need(const Words& w, std::size_t n, const char* usage) {
    if (w.size() < n) Fail(std::string("usage: ") + usage);
  }

  // Runs one step; `tolerant` lets it be refused or raise faults without failing.
  void Step(const Words& w, bool tolerant = false) {
    const std::size_t faults = host_.State().faults.size();
    const std::size_t refusals = host_.State().refusals.size();
    bool ok = true;
    const std::string& verb = w[0];
    if (verb == "try") {
      Need(w, 2, "try <step>");
      Step(Words(w.begin() + 1, w.end()), true);
      return;
    }
    if (verb == "expect") {
      Expect(w);
      return;
    }
    auto it = Steps().find(verb);
    if (it == Steps().end()) Fail("unknown step " + verb);
    ok = (this->*(it->second))(w);
    const std::string pending = std::move(pendingFailure_);
    pendingFailure_.clear();
    if (tolerant) return;
    if (!pending.empty()) Fail(pending);
    if (host_.State().faults.size() > faults) Fail(host_.State().faults.back());
    if (!ok || host_.State().refusals.size() > refusals)
      Fail("refused: " + (user_.Refusal().empty() ? std::string("the step did nothing") : user_.Refusal()));
  }

  using StepFn = bool (Player::*)(const Words&);
  static const std::map<std::string, StepFn>& Steps() {
    static const std::map<std::string, StepFn> steps = {
        {"load", &Player::Load},       {"unload", &Player::Unload},   {"quit", &Player::Quit},
        {"command", &Player::Command}, {"menu", &Player::Menu},       {"new", &Player::New},
        {"open", &Player::Open},       {"save", &Player::Save},       {"svg", &Player::Svg},
        {"close", &Player::Close},     {"activate", &Player::Activate}, {"key", &Player::Key},
        {"select", &Player::Select},   {"move", &Player::Move},       {"rotate", &Player::Rotate},
        {"copy", &Player::Copy},       {"drag", &Player::Drag},       {"set", &Player::Set},
        {"tick", &Player::Tick},       {"press", &Player::Press},     {"item", &Player::Item},
        {"cell", &Player::Cell},       {"focus", &Player::Focus},     {"usermenu", &Player::UserMenu},
        {"tab", &Player::Tab},         {"cursor", &Player::Cursor},   {"click", &Player::Click},
        {"enter", &Player::Enter},     {"esc", &Player::Esc},         {"help", &Player::Help},
        {"context", &Player::Context}, {"raw", &Player::Raw},         {"answer", &Player::Answer},
        {"fail", &Player::FailCall},   {"restore", &Player::Restore}, {"let", &Player::Let},
        {"transcript", &Player::WriteTranscript}, {"dump", &Player::WriteDump},
        {"copyfile", &Player::CopyFile}, {"pending", &Player::Pending},
        {"run", &Player::RunProgram},  {"point", &Player::Point},     {"count", &Player::Count},
        {"stamp", &Player::Stamp},     {"view", &Player::View},
        // "dxf" steps (conversions through the host's DXF converters) go here.
    };
    return steps;
  }

  bool Load(const Words& w) {
    Need(w, 2, "load <library> [<name> <module>]");
    return w.size() >= 4 ? user_.Load(Path(w[1]), W(w[2]), W(w[3])) : user_.Load(Path(w[1]));
  }
  bool Unload(const Words&) {
    user_.Unload();
    return true;
  }
  bool Quit(const Words&) {
    user_.Quit();
    return true;
  }
  bool Command(const Words& w) {
    Need(w, 2, "command <id>");
    return user_.Command(Int(w[1]));
  }
  bool Menu(const Words& w) {
    Need(w, 2, "menu <entry title>");
    for (const auto& [id, title] : user_.Menu())
      if (U(title) == w[1]) return user_.Command(id);
    Fail("no menu entry " + w[1]);
  }
  bool New(const Words& w) {
    Need(w, 2, "new drawing|fragment|part|assembly [hidden]");
    static const std::map<std::string, int> types = {
        {"drawing", vlapi::vlDocumentDrawing}, {"fragment", vlapi::vlDocumentFragment},
        {"part", vlapi::vlDocumentPart},       {"assembly", vlapi::vlDocumentAssembly}};
    auto it = types.find(w[1]);
    if (it == types.end()) Fail("no document kind " + w[1]);
    return static_cast<bool>(user_.New(it->second, !(w.size() > 2 && w[2] == "hidden")));
  }
  bool Open(const Words& w) {
    Need(w, 2, "open <file> [hidden]");
    return static_cast<bool>(user_.Open(Path(w[1]), !(w.size() > 2 && w[2] == "hidden")));
  }
  bool Save(const Words& w) {
    Need(w, 2, "save <file>");
    return user_.Save(Path(w[1]));
  }
  bool Svg(const Words& w) {
    Need(w, 2, "svg <file>");
    vlapi::IVarnelDocument2DPtr doc(host_.Application()->GetActiveDocument());
    if (!doc) Fail("no drawing to draw");
    return vlhost::Host::WriteSvg(doc, Path(w[1]));
  }
  bool Close(const Words& w) {
    if (w.size() > 1 && w[1] == "all") return user_.CloseAll();
    if (w.size() > 1 && w[1] == "panel") return user_.ClosePanel();
    return user_.Close();
  }
  bool Activate(const Words& w) {
    Need(w, 2, "activate <index>");
    return user_.Activate(Int(w[1]));
  }
  bool Key(const Words& w) {
    Need(w, 2, "key [down|up] <key> [flags <n>]");
    std::size_t at = 1;
    const std::string how = w[1] == "down" || w[1] == "up" ? w[at++] : "press";
    Need(w, at + 1, "key [down|up] <key> [flags <n>]");
    const int code = KeyCode(w[at]);
    const int flags = w.size() > at + 2 && w[at + 1] == "flags" ? Int(w[at + 2]) : 0;
    return how == "down" ? user_.KeyDown(code, flags) : how == "up" ? user_.KeyUp(code, flags) : user_.Key(code, flags);
  }
  // The selector words up to `stop` (or the end); `next` gets the index after them.
  vlapi::APIObjectList Selected(const Words& w, const std::string& stop, std::size_t& next) {
    std::vector<std::wstring> selectors;
    next = 1;
    while (next < w.size() && w[next] != stop) selectors.push_back(W(w[next++]));
    return user_.Objects(selectors);
  }
  bool Select(const Words& w) {
    std::size_t next = 0;
    return user_.Select(Selected(w, "", next));
  }
  bool Move(const Words& w) {
    std::size_t at = 0;
    vlapi::APIObjectList objects = Selected(w, "by", at);
    Need(w, at + 3, "move <selector> by <dx> <dy>");
    return user_.Move(objects, Num(w[at + 1]), Num(w[at + 2]));
  }
  bool Rotate(const Words& w) {
    std::size_t at = 0;
    vlapi::APIObjectList objects = Selected(w, "about", at);
    Need(w, at + 5, "rotate <selector> about <x> <y> by <angle>");
    return user_.Rotate(objects, Num(w[at + 1]), Num(w[at + 2]), Num(w[at + 4]));
  }
  bool Copy(const Words& w) {
    std::size_t at = 0;
    vlapi::APIObjectList objects = Selected(w, "by", at);
    Need(w, at + 3, "copy <selector> by <dx> <dy>");
    return user_.Copy(objects, Num(w[at + 1]), Num(w[at + 2]));
  }
  bool Drag(const Words& w) {
    Need(w, 5, "drag <index> to <x> <y> [to <x> <y> ...] [cancel]");
    std::vector<std::pair<double, double>> steps;
    bool success = true;
    for (std::size_t i = 2; i < w.size();) {
      if (w[i] == "cancel") {
        success = false;
        ++i;
      } else if (w[i] == "to" && i + 2 < w.size()) {
        steps.emplace_back(Num(w[i + 1]), Num(w[i + 2]));
        i += 3;
      } else {
        Fail("usage: drag <index> to <x> <y> [to <x> <y> ...] [cancel]");
      }
    }
    return user_.Drag(Int(w[1]), steps, success);
  }
  bool Set(const Words& w) {
    Need(w, 3, "set <control> <value>");
    return user_.SetValue(Ctl(w[1]), W(w[2]));
  }
  bool Tick(const Words& w) {
    Need(w, 3, "tick <control> on|off");
    return user_.Tick(Ctl(w[1]), w[2] == "on");
  }
  bool Press(const Words& w) {
    Need(w, 2, "press <control> [<button id>]");
    return user_.Press(Ctl(w[1]), w.size() > 2 ? Int(w[2]) : -1);
  }
  bool Item(const Words& w) {
    Need(w, 4, "item <control> <index>|<text> select|unselect|tick|untick|double|rename <text>");
    const auto c = Ctl(w[1]);
    const int i = ItemIndex(c, w[2]);
    const std::string& how = w[3];
    if (how == "select" || how == "unselect") return user_.SelectItem(c, i, how == "select");
    if (how == "tick" || how == "untick") return user_.CheckItem(c, i, how == "tick");
    if (how == "double") return user_.DoubleClickItem(c, i);
    if (how == "rename" && w.size() > 4) return user_.EditItem(c, i, W(w[4]));
    Fail("no item action " + how);
  }
  // An item named by its index, or by its text (a text ending in "*": the first
  // item starting so).
  static int ItemIndex(const vlapi::IPropertyControlPtr& c, const std::string& item) {
    if (!item.empty() && (std::isdigit(static_cast<unsigned char>(item[0])) || item[0] == '-')) return Int(item);
    const vlapi::IPropertyEditListPtr edits(c);
    const vlapi::IPropertyListPtr list(c);
    const int count = edits ? edits->GetCount() : list ? list->GetCount() : 0;
    for (int i = 0; i < count; ++i)
      if (NameMatches(edits ? edits->GetItemText(i) : list->GetItem(i), item)) return i;
    Fail("no item " + item);
  }
  bool Cell(const Words& w) {
    Need(w, 4, "cell <control> <row> <column> [<text>]");
    if (w.size() > 4) return user_.EditCell(Ctl(w[1]), Int(w[2]), Int(w[3]), W(w[4]));
    return user_.SelectCell(Ctl(w[1]), Int(w[2]), Int(w[3]));
  }
  bool Stamp(const Words& w) {
    Need(w, 4, "stamp <page> <cell> <text>");
    return user_.TypeInTitleBlock(Int(w[1]) - 1, Int(w[2]), W(w[3]));
  }
  bool Focus(const Words& w) {
    Need(w, 2, "focus <control>");
    return user_.Focus(Ctl(w[1]));
  }
  bool UserMenu(const Words& w) {
    Need(w, 3, "usermenu <control> <menu id>");
    return user_.MenuCommand(Ctl(w[1]), Int(w[2]));
  }
  bool Tab(const Words& w) {
    Need(w, 3, "tab <index> expand|collapse");
    return user_.ExpandTab(Int(w[1]), w[2] == "expand");
  }
  bool Cursor(const Words& w) {
    Need(w, 3, "cursor <x> <y>");
    return user_.Cursor(Num(w[1]), Num(w[2]), false);
  }
  bool Click(const Words& w) {
    Need(w, 3, "click <x> <y>");
    std::ostringstream at;
    at << "at " << std::setprecision(10) << Num(w[1]) << ", " << Num(w[2]) << " (line " << line_ + 1 << ")";
    lastClick_ = at.str();
    return user_.Cursor(Num(w[1]), Num(w[2]), true);
  }
  bool Enter(const Words&) { return user_.Enter(); }
  bool Esc(const Words&) { return user_.Esc(); }
  bool Help(const Words&) { return user_.Help(); }
  bool Context(const Words& w) {
    Need(w, 3, "context <x> <y>");
    return user_.Context(Int(w[1]), Int(w[2]));
  }
  bool Raw(const Words& w) {
    Need(w, 2, "raw <event> [<argument> ...]");
    std::vector<std::wstring> args;
    for (std::size_t i = 2; i < w.size(); ++i) args.push_back(W(w[i]));
    return user_.Raw(w[1], args);
  }
  bool Answer(const Words& w) {
    Need(w, 3, "answer message <n> | file <path> | files <path>... | folder <path> | cancel file|files|folder");
    vlhost::HostState& s = host_.State();
    if (w[1] == "message") s.messageAnswers.push_back(Int(w[2]));
    else if (w[1] == "file") s.fileAnswers.push_back(W(Path(w[2]).string()));
    else if (w[1] == "folder") s.folderAnswers.push_back(W(Path(w[2]).string()));
    else if (w[1] == "files") {
      std::vector<std::wstring> files;
      for (std::size_t i = 2; i < w.size(); ++i)
        for (const fs::path& file : Files(w[i])) files.push_back(W(file.string()));
      s.filesAnswers.push_back(files);
    } else if (w[1] == "cancel") {
      if (w[2] == "file") s.fileAnswers.push_back(L"");
      else if (w[2] == "files") s.filesAnswers.push_back({});
      else if (w[2] == "folder") s.folderAnswers.push_back(L"");
      else Fail("no dialog " + w[2]);
    } else {
      Fail("no dialog " + w[1]);
    }
    return true;
  }
  bool FailCall(const Words& w) {
    Need(w, 2, "fail <Interface::Method>");
    vlhost::Failures::Instance().Fail(w[1]);
    return true;
  }
  bool Restore(const Words& w) {
    Need(w, 2, "restore <Interface::Method>");
    vlhost::Failures::Instance().Restore(w[1]);
    return true;
  }
  // pending STEP: the step waits until the library next lets the host handle
  // the user's waiting events (IApplication::ProcessPendingEvents), as an
  // action the user took while the library was busy.
  bool Pending(const Words& w) {
    Need(w, 2, "pending <step>");
    const Words step(w.begin() + 1, w.end());
    auto it = Steps().find(step[0]);
    if (it == Steps().end() || step[0] == "pending") Fail("no step " + step[0] + " to wait");
    host_.State().pendingEvents.push_back([this, step, fn = it->second] {
      const std::string line = "pending " + Join(step, 0);
      try {
        if (!(this->*fn)(step) && pendingFailure_.empty()) pendingFailure_ = line + ": refused: " + user_.Refusal();
      } catch (const Failure& f) {
        if (pendingFailure_.empty()) pendingFailure_ = line + ": " + f.why;
      }
    });
    return true;
  }
  bool Let(const Words& w) {
    Need(w, 3, "let <name> <value>");
    vars_[w[1]] = w[2];
    return true;
  }
  // point NAME MACRO [N] by DX DY | inside | nearest X Y: ${NAME.x} and
  // ${NAME.y} get a point of a macro of the active view, so that a script
  // clicks on or in a figure wherever the layout put it: its placement point
  // shifted along the view's axes, a point well inside its outline, or the
  // point of its outline nearest to (X, Y). The outline is the macro's line
  // segments, arcs and circles.
  bool Point(const Words& w) {
    const std::string usage = "usage: point <name> <macro> [<n>] by <dx> <dy> | inside | nearest <x> <y>";
    if (w.size() < 4) Fail(usage);
    const bool inside = w.back() == "inside";
    const std::size_t tail = inside ? 1 : 3;  // the words that give the point
    if (w.size() < 3 + tail || w.size() > 4 + tail) Fail(usage);
    const std::string& how = w[w.size() - tail];
    if (!inside && how != "by" && how != "nearest") Fail(usage);
    const vlapi::IMacroObjectPtr macro = NamedMacro(w[2], w.size() == 4 + tail ? Int(w[3]) : 1);
    Point2 p;
    if (inside) {
      p = InsidePoint(Outline(macro, w[2]));
    } else if (how == "nearest") {
      p = Nearest(Outline(macro, w[2]), {Num(w[w.size() - 2]), Num(w[w.size() - 1])}).second;
    } else {
      p = PlacingOf(macro)(0, 0);
      p.x += Num(w[w.size() - 2]);
      p.y += Num(w[w.size() - 1]);
    }
    for (const auto& [axis, value] : {std::pair{".x", p.x}, {".y", p.y}}) {
      std::ostringstream text;
      text.precision(17);
      text << value;
      vars_[w[1] + axis] = text.str();
    }
    return true;
  }
  struct Point2 {
    double x = 0, y = 0;
  };
  // A piece of an outline: a line segment, or a chord of an arc of radius r
  // about the centre (r 0 for a line).
  struct Segment {
    Point2 a, b;
    Point2 centre{};
    double r = 0;
  };
  // Where a macro's own coordinates stand in the view: turned by `angle`
  // (radians) about the origin, then shifted by (x, y).
  struct Placing {
    double x = 0, y = 0, angle = 0;
    Point2 operator()(double px, double py) const {
      const double c = std::cos(angle), s = std::sin(angle);
      return {x + px * c - py * s, y + px * s + py * c};
    }
    // A member placed at `member` within this one.
    Placing Then(const vlapi::IMacroObjectPtr& member) const {
      double mx = 0, my = 0, degrees = 0;
      int mirrored = 0;
      member->GetPlacement(mx, my, degrees, mirrored);
      const Point2 at = (*this)(mx, my);
      return {at.x, at.y, angle + degrees * M_PI / 180.0};
    }
  };
  // Where the macro's own coordinates stand in its view: its placement, and
  // for a member of a macro (a compound's part) its placement in the macro
  // it is one of, placed in turn.
  static Placing PlacingOf(const vlapi::IMacroObjectPtr& macro) {
    std::vector<vlapi::IMacroObjectPtr> chain{macro};
    for (vlapi::IMacroObjectPtr up{macro->GetParent()}; up && chain.size() < 64; up = vlapi::IMacroObjectPtr{up->GetParent()})
      chain.push_back(up);
    Placing place;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) place = place.Then(*it);
    return place;
  }
  // The macro's cut outline where it stands in the view: the curves of its
  // system layer (layer 0), which hold a part's outer outline and its holes.
  // What else it draws (centre lines, bolt circles and other lines not cut,
  // which the import keeps on layers of their own; its texts) is left out.
  // Lines, arcs and circles are taken as they are (arcs and circles in
  // chords of 1° at most), other curves as the host breaks them into lines
  // and arcs; a macro among its members (a compound's parts) gives its own
  // outline, where it stands in the macro.
  std::vector<Segment> Outline(const vlapi::IMacroObjectPtr& macro, const std::string& name) {
    std::vector<Segment> out;
    AddOutline(macro, PlacingOf(macro), out);
    if (out.empty()) Fail("the macro " + name + " has no cut outline: no curve stands on its layer 0");
    return out;
  }
  void AddOutline(const vlapi::IMacroObjectPtr& macro, const Placing& place, std::vector<Segment>& out) {
    const vlapi::IVarnelDocument2DPtr doc(host_.Application()->GetActiveDocument());
    for (const auto& object : vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlAllObj})) {
      if (!object || object->GetLayer() != 0) continue;
      if (const vlapi::IMacroObjectPtr member{object}) {
        AddOutline(member, place.Then(member), out);
      } else if (object->IsGeometry() && !AddCurve(object, place, out) && doc) {
        const vlapi::IDrawingGroupPtr pieces = doc->DecomposeObject(object.get(), vlapi::vlDOLSegmentsArcs, -2, 0.01);
        if (!pieces) continue;
        for (const auto& piece : pieces->GetObjects({vlapi::vlDrLineSeg, vlapi::vlDrArc})) AddCurve(piece, place, out);
        pieces->Clear(true);
        pieces->Delete();
      }
    }
  }
  // A line, an arc or a circle added to `out`; false for other objects.
  static bool AddCurve(const vlapi::IDrawingObjectPtr& object, const Placing& place, std::vector<Segment>& out) {
    // The chords of the arc from angle `from` through `sweep` (radians).
    auto chords = [&](double xc, double yc, double r, double from, double sweep) {
      const int n = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) * 180.0 / M_PI)));
      const Point2 centre = place(xc, yc);
      for (int k = 0; k < n; ++k) {
        const double t1 = from + sweep * k / n, t2 = from + sweep * (k + 1) / n;
        out.push_back({place(xc + r * std::cos(t1), yc + r * std::sin(t1)),
                       place(xc + r * std::cos(t2), yc + r * std::sin(t2)), centre, r});
      }
    };
    if (const vlapi::ILineSegmentPtr l{object}) {
      out.push_back({place(l->GetX1(), l->GetY1()), place(l->GetX2(), l->GetY2())});
    } else if (const vlapi::ICirclePtr circle{object}) {
      chords(circle->GetXc(), circle->GetYc(), circle->GetRadius(), 0.0, 2 * M_PI);
    } else if (const vlapi::IArcPtr arc{object}) {
      const double xc = arc->GetXc(), yc = arc->GetYc();
      const double a1 = std::atan2(arc->GetY1() - yc, arc->GetX1() - xc);
      double sweep = std::remainder(std::atan2(arc->GetY2() - yc, arc->GetX2() - xc) - a1, 2 * M_PI);
      if (arc->GetDirection() && sweep <= 0) sweep += 2 * M_PI;
      if (!arc->GetDirection() && sweep >= 0) sweep -= 2 * M_PI;
      chords(xc, yc, arc->GetRadius(), a1, sweep);
    } else {
      return false;
    }
    return true;
  }
  // The distance from p to the outline, and the outline's point nearest to p
  // (on an arc, not on its chord).
  static std::pair<double, Point2> Nearest(const std::vector<Segment>& outline, Point2 p) {
    std::pair<double, Point2> best{INFINITY, p};
    for (const Segment& s : outline) {
      const double dx = s.b.x - s.a.x, dy = s.b.y - s.a.y, length2 = dx * dx + dy * dy;
      const double t = length2 > 0 ? std::clamp(((p.x - s.a.x) * dx + (p.y - s.a.y) * dy) / length2, 0.0, 1.0) : 0.0;
      Point2 q{s.a.x + t * dx, s.a.y + t * dy};
      if (const double away = std::hypot(q.x - s.centre.x, q.y - s.centre.y); s.r > 0 && away > 0)
        q = {s.centre.x + (q.x - s.centre.x) * s.r / away, s.centre.y + (q.y - s.centre.y) * s.r / away};
      if (const double d = std::hypot(q.x - p.x, q.y - p.y); d < best.first) best = {d, q};
    }
    return best;
  }
  // A point well inside a closed outline (holes and islands too): of the
  // middles of the inner chords along 15 horizontal and 15 vertical lines
  // across it, the one farthest from it.
  static Point2 InsidePoint(const std::vector<Segment>& outline) {
    Point2 lo = outline[0].a, hi = lo;
    for (const Segment& s : outline)
      for (const Point2& p : {s.a, s.b}) {
        lo = {std::min(lo.x, p.x), std::min(lo.y, p.y)};
        hi = {std::max(hi.x, p.x), std::max(hi.y, p.y)};
      }
    Point2 found;
    double farthest = 0;
    for (const bool level : {true, false})  // lines of constant y, then of constant x
      for (int k = 1; k < 16; ++k) {
        const double at = level ? lo.y + (hi.y - lo.y) * k / 16 : lo.x + (hi.x - lo.x) * k / 16;
        std::vector<double> cuts;
        for (const Segment& s : outline) {
          const double a1 = level ? s.a.y : s.a.x, a2 = level ? s.b.y : s.b.x;
          const double b1 = level ? s.a.x : s.a.y, b2 = level ? s.b.x : s.b.y;
          if ((a1 <= at) != (a2 <= at)) cuts.push_back(b1 + (at - a1) / (a2 - a1) * (b2 - b1));
        }
        std::sort(cuts.begin(), cuts.end());
        for (std::size_t i = 0; i + 1 < cuts.size(); i += 2) {
          const double middle = (cuts[i] + cuts[i + 1]) / 2;
          const Point2 p = level ? Point2{middle, at} : Point2{at, middle};
          if (const double d = Nearest(outline, p).first; d > farthest) {
            farthest = d;
            found = p;
          }
        }
      }
    if (farthest <= 0) Fail("the outline encloses nothing");
    return found;
  }
  // The macros standing in the active drawing named `name` (or, for a name
  // ending in "*", whose names start so), in the order of the views and of
  // their objects; with `members`, the macros among the members of those
  // standing too (a compound's parts), each after the macro it is one of.
  std::vector<vlapi::IMacroObjectPtr> NamedMacros(const std::string& name, bool members = false) {
    std::vector<vlapi::IMacroObjectPtr> out;
    std::function<void(const vlapi::IMacroObjectPtr&)> take = [&](const vlapi::IMacroObjectPtr& macro) {
      if (NameMatches(macro->GetName(), name)) out.push_back(macro);
      if (members)
        for (const auto& member : vlapi::IDrawingContainerPtr(macro)->GetObjects({vlapi::vlDrMacro}))
          if (const vlapi::IMacroObjectPtr inner{member}) take(inner);
    };
    for (const auto& object : user_.Objects(L"macros"))
      if (const vlapi::IMacroObjectPtr macro{object}) take(macro);
    return out;
  }
  // A name as a script gives it: the whole name, or with "*" at its end, its start.
  static bool NameMatches(const std::wstring& got, const std::string& name) {
    const bool start = !name.empty() && name.back() == '*';
    const std::wstring wanted = W(start ? name.substr(0, name.size() - 1) : name);
    return start ? got.rfind(wanted, 0) == 0 : got == wanted;
  }
  // The n-th (from 1) of them that stands in the active view, where clicks
  // go; when there is none, the failure names the views the others stand in.
  vlapi::IMacroObjectPtr NamedMacro(const std::string& name, int n) {
    const vlapi::IViewPtr active = ActiveView();
    if (!active) Fail("no active view");
    int seen = 0;
    ViewCounts elsewhere;
    for (const vlapi::IMacroObjectPtr& macro : NamedMacros(name, true)) {
      const vlapi::IViewPtr view = macro->GetView();
      if (view && view->GetNumber() == active->GetNumber()) {
        if (++seen == n) return macro;
      } else if (view) {
        elsewhere.Add(view);
      }
    }
    Fail(std::to_string(seen) + " macros named " + name + " in the active view \"" + U(active->GetName()) +
         "\", no macro number " + std::to_string(n) + (elsewhere.Empty() ? "" : "; " + elsewhere.Text()));
  }
  vlapi::IViewPtr ActiveView() {
    const vlapi::IVarnelDocument2DPtr doc(host_.Application()->GetActiveDocument());
    const vlapi::IViewsAndLayersManagerPtr manager = doc ? doc->GetViewsAndLayersManager() : nullptr;
    return manager ? manager->GetViews()->GetActiveView() : nullptr;
  }
  // How many macros stand in each view, in the order the views are met.
  class ViewCounts {
   public:
    void Add(const vlapi::IViewPtr& view) {
      const std::string name = U(view->GetName());
      auto it = std::find_if(counts_.begin(), counts_.end(), [&](const auto& c) { return c.first == name; });
      if (it == counts_.end()) counts_.emplace_back(name, 1);
      else ++it->second;
    }
    bool Empty() const { return counts_.empty(); }
    std::string Text() const {  // 1 in "Лист 3", 15 in "Контейнер деталей"
      std::string out;
      for (const auto& [name, count] : counts_)
        out += (out.empty() ? "" : ", ") + std::to_string(count) + " in \"" + name + "\"";
      return out;
    }

   private:
    std::vector<std::pair<std::string, int>> counts_;
  };
  // view MACRO [N] [except VIEW]: the view where the N-th (from 1) macro so
  // named stands, counting in the order of the views and of their objects,
  // made the current one, as the user turns to the sheet that holds a part;
  // views named VIEW (VIEW* for names starting so) are passed over. When
  // there is none, the failure says where the macros so named stand.
  bool View(const Words& w) {
    const std::string usage = "usage: view <macro> [<n>] [except <view>]";
    std::size_t end = w.size();
    std::string except;
    if (end >= 4 && w[end - 2] == "except") {
      except = w[end - 1];
      end -= 2;
    }
    if (end < 2 || end > 3) Fail(usage);
    const int n = end == 3 ? Int(w[2]) : 1;
    int seen = 0;
    ViewCounts passed;
    for (const vlapi::IMacroObjectPtr& macro : NamedMacros(w[1], true)) {
      const vlapi::IViewPtr view = macro->GetView();
      if (!view) continue;
      if (!except.empty() && NameMatches(view->GetName(), except)) passed.Add(view);
      else if (++seen == n) return user_.ShowView(view->GetNumber());
    }
    const std::string where = except.empty() ? " a view" : " a view other than \"" + except + "\"";
    Fail((seen == 0 ? "no macro named " + w[1] + " stands in" + where
                    : std::to_string(seen) + " macros named " + w[1] + " stand in" + where + ", no macro number " +
                          std::to_string(n)) +
         (passed.Empty() ? "" : " (" + passed.Text() + ")"));
  }
  // count NAME MACRO: ${NAME} gets the number of macros so named.
  bool Count(const Words& w) {
    Need(w, 3, "count <name> <macro>");
    vars_[w[1]] = std::to_string(NamedMacros(w[2]).size());
    return true;
  }
  bool WriteTranscript(const Words& w) {
    Need(w, 2, "transcript <file>");
    std::ofstream out(Path(w[1]), std::ios::binary);
    for (const auto& line : Transcript()) out << line << "\n";
    return static_cast<bool>(out);
  }
  bool CopyFile(const Words& w) {
    Need(w, 3, "copyfile <file> <to>");
    std::error_code error;
    fs::create_directories(Path(w[2]).parent_path(), error);
    fs::copy_file(Path(w[1]), Path(w[2]), fs::copy_options::overwrite_existing, error);
    if (error) Fail("cannot copy " + w[1] + " to " + w[2] + ": " + error.message());
    return true;
  }
  bool WriteDump(const Words& w) {
    Need(w, 2, "dump <file>");
    std::ofstream out(Path(w[1]), std::ios::binary);
    out << user_.Dump();
    return static_cast<bool>(out);
  }

  // A program of the system (searched on PATH), run without a shell; the step
  // fails unless it exits with 0.
  bool RunProgram(const Words& w) {
    Need(w, 2, "run <program> [<argument> ...]");
    std::vector<char*> argv;
    for (std::size_t i = 1; i < w.size(); ++i) argv.push_back(const_cast<char*>(w[i].c_str()));
    argv.push_back(nullptr);
    std::cout.flush();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) Fail("cannot run " + w[1]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) Fail("lost " + w[1]);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
      Fail(w[1] + (WIFEXITED(status) ? " exited with " + std::to_string(WEXITSTATUS(status)) : " was killed"));
    return true;
  }

  // --- expectations -----------------------------------------------------------------

  // A transcript line matches as it stands (indentation aside) or without its
  // mark ("> ", "< ", ". ", "! "); an expectation ending in "*" matches a start.
  static bool Matches(const std::string& line, const std::string& expected) {
    const std::string whole = Trim(line);
    const bool marked = whole.size() > 2 && whole[1] == ' ' && std::string("><.!").find(whole[0]) != std::string::npos;
    for (const std::string& got : {whole, marked ? whole.substr(2) : whole}) {
      if (!expected.empty() && expected.back() == '*') {
        if (got.compare(0, expected.size() - 1, expected, 0, expected.size() - 1) == 0) return true;
      } else if (got == expected) {
        return true;
      }
    }
    return false;
  }

  // expect calls [exactly]: the lines up to "end" stand in the transcript in
  // this order since the last check (exactly: the calls into the library are
  // these and no others).
  void ExpectCalls(const Words& w, const std::vector<std::string>& lines) {
    const bool exactly = w.size() > 2 && w[2] == "exactly";
    std::vector<std::pair<std::size_t, std::string>> expected;
    std::size_t end = line_ + 1;
    for (; end < lines.size() && Trim(lines[end]) != "end"; ++end) {
      const std::string text = Trim(lines[end]);
      if (!text.empty() && text[0] != '#') expected.emplace_back(end, Expand(text));
    }
    if (end >= lines.size()) Fail("expect calls without end");
    const auto& t = Transcript();
    std::size_t at = checkpoint_;
    for (const auto& [number, text] : expected) {
      if (exactly) {
        while (at < t.size() && Trim(t[at]).rfind("> ", 0) != 0 && Trim(t[at]).rfind("! ", 0) != 0) ++at;
        if (at >= t.size() || !Matches(t[at], text)) {
          line_ = number;
          Fail("the call " + (at < t.size() ? Trim(t[at]) : std::string("(none)")) + " stands where " + text +
               " was expected");
        }
        ++at;
        continue;
      }
      while (at < t.size() && !Matches(t[at], text)) ++at;
      if (at >= t.size()) {
        line_ = number;
        Fail("no call " + text + " in order in the transcript");
      }
      ++at;
    }
    if (exactly)
      for (std::size_t i = at; i < t.size(); ++i)
        if (Trim(t[i]).rfind("> ", 0) == 0) Fail("a further call: " + Trim(t[i]));
    checkpoint_ = exactly ? t.size() : at;
    line_ = end;
  }

  void Expect(const Words& w) {
    Need(w, 2, "expect <what> ...");
    const std::string& what = w[1];
    vlhost::HostState& s = host_.State();
    auto need = [&](std::size_t n) { Need(w, n, ("expect " + what + " ...").c_str()); };
    if (what == "no" && w.size() > 3 && w[2] == "call") {
      const std::string text = Join(w, 3);
      for (std::size_t i = checkpoint_; i < Transcript().size(); ++i)
        if (Matches(Transcript()[i], text)) Fail("the call " + text + " was made");
    } else if (what == "prompt") {
      need(3);
      if (U(user_.Prompt()) != w[2]) Fail("the prompt is " + U(user_.Prompt()));
    } else if (what == "caption") {
      need(3);
      if (U(user_.Caption()) != w[2]) Fail("the caption is " + U(user_.Caption()));
    } else if (what == "running") {
      if (!user_.Running()) Fail("no process runs");
    } else if (what == "stopped") {
      if (user_.Running()) Fail("a process runs");
    } else if (what == "no" && w.size() > 3 && w[2] == "message") {
      const std::string text = Join(w, 3);
      for (std::size_t i = std::min(messagesSeen_, s.messages.size()); i < s.messages.size(); ++i)
        if (U(s.messages[i].text).find(text) != std::string::npos) Fail("a message holds it: " + U(s.messages[i].text));
    } else if (what == "message") {
      need(3);
      if (s.messages.empty()) Fail("no message was shown");
      if (U(s.messages.back().text).find(w[2]) == std::string::npos)
        Fail("the last message is " + U(s.messages.back().text));
      messagesSeen_ = s.messages.size();
      std::erase_if(unexpected_, [&](const auto& m) { return m.first + 1 == s.messages.size(); });
    } else if (what == "messages") {
      need(3);
      if (static_cast<int>(s.messages.size()) != Int(w[2])) Fail(std::to_string(s.messages.size()) + " messages");
      messagesSeen_ = s.messages.size();
    } else if (what == "refused") {
      if (s.refusals.empty()) Fail("nothing was refused");
      if (w.size() > 2 && s.refusals.back().find(w[2]) == std::string::npos) Fail("refused: " + s.refusals.back());
    } else if (what == "value") {
      need(4);
      const std::string got = Value(Ctl(w[2]));
      if (got != w[3]) Fail(w[2] + " holds " + got);
    } else if (what == "dump") {
      need(3);
      const std::string want = ReadFile(Path(w[2]));
      const std::string got = user_.Dump();
      if (got != want) {
        std::istringstream a(got), b(want);
        std::string la, lb;
        for (int n = 1;; ++n) {
          const bool ha = static_cast<bool>(std::getline(a, la)), hb = static_cast<bool>(std::getline(b, lb));
          if (!ha && !hb) break;
          if (!ha || !hb || la != lb)
            Fail("the panel differs from " + w[2] + " at its line " + std::to_string(n) + ": " + (ha ? la : "(end)"));
        }
      }
    } else if (what == "handlers") {
      need(3);
      const int n = host_.HandlerCount(w.size() > 3 ? W(w[3]) : L"");
      if (n != Int(w[2])) Fail(std::to_string(n) + " handlers are registered");
    } else if (what == "left") {
      need(3);
      if (static_cast<int>(s.handlersLeft.size()) != Int(w[2]))
        Fail(std::to_string(s.handlersLeft.size()) + " handlers were left at unload");
    } else if (what == "faults") {
      need(3);
      if (static_cast<int>(s.faults.size()) != Int(w[2])) Fail(std::to_string(s.faults.size()) + " faults");
    } else if (what == "registrations") {
      std::string got;
      for (const auto& r : s.registrations) got += (got.empty() ? "" : " ") + r;
      if (got != Join(w, 2)) Fail("registrations: " + got);
    } else if (what == "menu") {
      need(3);
      std::string got = U(user_.MenuTitle());
      for (const auto& [id, title] : user_.Menu()) got += " | " + std::to_string(id) + " " + U(title);
      if (got != Join(w, 2)) Fail("the menu is " + got);
    } else if (what == "hotpoints") {
      need(3);
      if (static_cast<int>(user_.HotPoints().size()) != Int(w[2]))
        Fail(std::to_string(user_.HotPoints().size()) + " hot points");
    } else if (what == "hotpoint") {
      need(5);
      const auto points = user_.HotPoints();
      const int i = Int(w[2]);
      if (i < 0 || i >= static_cast<int>(points.size())) Fail("no hot point " + w[2]);
      const auto& p = points[static_cast<std::size_t>(i)];
      if (std::abs(p.x - Num(w[3])) > 1e-6 || std::abs(p.y - Num(w[4])) > 1e-6 || (w.size() > 5 && U(p.text) != w[5]))
        Fail("hot point " + w[2] + " is at " + std::to_string(p.x) + ", " + std::to_string(p.y) + " " + U(p.text));
    } else if (what == "cursor-text") {
      need(3);
      const auto texts = user_.CursorTexts();
      if (texts.empty() || U(texts.back()) != w[2]) Fail("the cursor text is " + (texts.empty() ? "" : U(texts.back())));
    } else if (what == "file") {
      need(3);
      if (!fs::exists(Path(w[2]))) Fail("no file " + w[2]);
      if (w.size() > 4 && w[3] == "same" && ReadFile(Path(w[2])) != ReadFile(Path(w[4])))
        Fail(w[2] + " differs from " + w[4]);
    } else if (what == "text") {
      need(4);
      if (ReadFile(Path(w[2])).find(w[3]) == std::string::npos) Fail(w[2] + " does not hold " + w[3]);
    } else if (what == "cell") {
      need(6);
      const vlapi::IPropertyGridPtr grid(Ctl(w[2]));
      if (!grid) Fail(w[2] + " is not a grid");
      const std::string got = U(grid->GetCellText(Int(w[3]), Int(w[4])));
      if (got != w[5]) Fail(w[2] + " holds " + got + " at " + w[3] + ", " + w[4]);
    } else if (what == "stamp") {
      need(5);
      const std::string got = U(user_.TitleBlockCell(Int(w[2]) - 1, Int(w[3])));
      if (got != w[4]) Fail("cell " + w[3] + " of page " + w[2] + " holds \"" + got + "\"");
    } else if (what == "no" && w.size() > 3 && w[2] == "file") {
      const fs::path path = Path(w[3]);
      if (path.filename().string().find('*') != std::string::npos) {
        const std::vector<fs::path> found = Matching(path);
        if (!found.empty()) Fail("the file " + found.front().string() + " exists");
      } else if (fs::exists(path)) {
        Fail((fs::is_directory(path) ? "the folder " : "the file ") + w[3] + " exists");
      }
    } else if (what == "pending") {
      need(3);
      if (static_cast<int>(s.pendingEvents.size()) != Int(w[2]))
        Fail(std::to_string(s.pendingEvents.size()) + " user actions still wait");
    } else if (what == "documents") {
      need(3);
      const int n = host_.Application()->GetDocuments()->GetCount();
      if (n != Int(w[2])) Fail(std::to_string(n) + " documents are open");
    } else if (what == "placement") {
      need(5);
      const vlapi::APIObjectList objects = user_.Objects(std::vector<std::wstring>{W(w[2])});
      const vlapi::IMacroObjectPtr macro = objects.size() == 1 ? vlapi::IMacroObjectPtr(objects.front()) : nullptr;
      if (!macro) Fail(w[2] + " names " + std::to_string(objects.size()) + " objects, not one macro");
      double x = 0, y = 0, angle = 0;
      int mirrored = 0;
      macro->GetPlacement(x, y, angle, mirrored);
      const double turn = w.size() > 5 ? std::remainder(angle - Num(w[5]), 360.0) : 0.0;
      if (std::abs(x - Num(w[3])) > 1e-3 || std::abs(y - Num(w[4])) > 1e-3 || std::abs(turn) > 1e-3)
        Fail(w[2] + " stands at " + std::to_string(x) + ", " + std::to_string(y) + " turned " + std::to_string(angle));
    } else if (what == "macros") {
      need(3);
      // A click that did not make what was expected is named with its point.
      const std::string click = std::exchange(lastClick_, {});
      const int n = static_cast<int>(w.size() > 3 ? NamedMacros(w[3]).size() : user_.Objects(L"macros").size());
      if (n != Int(w[2]))
        Fail(std::to_string(n) + " macros" + (w.size() > 3 ? " named " + w[3] : "") + " stand in the drawing" +
             (click.empty() ? "" : " after the click " + click));
    } else {
      Fail("unknown expectation " + what);
    }
  }

  std::string Value(const vlapi::IPropertyControlPtr& c) {
    if (vlapi::IPropertyEditPtr e = c) return U(e->GetText());
    if (vlapi::IPropertyListPtr l = c) return U(l->GetCurrentText());
    if (vlapi::IPropertyCheckBoxPtr k = c) return k->GetChecked() ? "on" : "off";
    if (vlapi::IPropertyColorPtr col = c) return std::to_string(col->GetColor());
    return U(c->GetCaption());
  }

  fs::path script_;
  fs::path root_;
  std::map<std::string, std::string> vars_;
  vlhost::Host host_;
  vlhost::Driver user_;
  std::size_t line_ = 0;
  std::size_t checkpoint_ = 0;
  std::string pendingFailure_;  // why a waiting step failed when the host carried it out
  std::size_t messagesSeen_ = 0;  // the messages shown before the last expectation of messages
  std::ofstream times_;           // TimeSteps
  std::size_t alertsShown_ = 0;   // the messages printed by PrintAlerts
  bool strict_ = false;           // StrictMessages
  // The warnings and errors shown that no expectation has checked yet: each
  // one's place among the messages and the line that showed it.
  std::vector<std::pair<std::size_t, std::size_t>> unexpected_;
  std::string lastClick_;         // "at X, Y (line N)": the last click since an expectation of macros
};

int Usage() {
  std::cerr << "usage: host_play <script> [-D NAME=VALUE]... [--root DIR] [--transcript FILE] [--progress] "
               "[--times FILE] [--strict-messages]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  fs::path script = argv[1];
  fs::path root;
  fs::path transcript;
  bool progress = false;
  bool strict = false;
  fs::path times;
  std::map<std::string, std::string> vars;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-D" && i + 1 < argc) {
      const std::string def = argv[++i];
      const auto eq = def.find('=');
      if (eq == std::string::npos) return Usage();
      vars[def.substr(0, eq)] = def.substr(eq + 1);
    } else if (arg == "--root" && i + 1 < argc) {
      root = argv[++i];
    } else if (arg == "--transcript" && i + 1 < argc) {
      transcript = argv[++i];
    } else if (arg == "--progress") {
      progress = true;
    } else if (arg == "--times" && i + 1 < argc) {
      times = argv[++i];
    } else if (arg == "--strict-messages") {
      strict = true;
    } else {
      return Usage();
    }
  }
  const bool ownRoot = root.empty();
  if (ownRoot)
    root = fs::temp_directory_path() / ("host_play-" + std::to_string(getpid()) + "-" + script.stem().string());
  int failed = 0;
  std::string why;
  {
    Player player(script, root, vars);
    if (progress) player.ShowProgress();
    if (strict) player.StrictMessages();
    if (!times.empty() && !player.TimeSteps(times)) {
      failed = -1;
      why = "cannot write " + times.string();
    } else {
      failed = player.Play(why);
    }
    if (!transcript.empty()) {
      std::error_code ec;
      if (transcript.has_parent_path()) fs::create_directories(transcript.parent_path(), ec);
      std::ofstream out(transcript, std::ios::binary);
      for (const auto& line : player.Transcript()) out << line << "\n";
    }
  }
  if (ownRoot) {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  if (failed != 0) {
    std::cerr << script.string() << (failed > 0 ? ":" + std::to_string(failed) : "") << ": " << why << "\n";
    return 1;
  }
  std::cout << "host_play: " << script.filename().string() << " passed\n";
  return 0;
}
