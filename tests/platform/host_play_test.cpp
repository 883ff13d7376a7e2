// host_play as a tool: its exit status and the line it names when one fails.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Played {
  int status;
  std::string output;
};

Played Play(const std::string& script, const std::string& options = "") {
  const auto dir = std::filesystem::temp_directory_path() / ("host_play_test-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "case.play";
  std::ofstream(file) << script;
  std::string command = HOST_PLAY;
  command.append(" ").append(file.string()).append(" -D LIB=").append(VLTEST_LIBRARY).append(options).append(" 2>&1");
  Played run{0, {}};
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[512];
  while (pipe && fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
  const int status = pipe ? pclose(pipe) : -1;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::filesystem::remove_all(dir);
  return run;
}

TEST(HostPlay, PassesOrStopsAtTheFirstFailingLineWithItsReason) {
  const struct {
    const char* script;
    int status;
    const char* says;
  } cases[] = {
      {"load ${LIB}\nnew drawing\n", 0, "passed"},
      {"load ${LIB}\n# a comment\n\nexpect running\nexpect prompt x\n", 1, ":4: no process runs"},
      {"load ${LIB}\nnew drawing\ncommand 3\nnew drawing\n", 1, ":3: exception from RunCommand(3, 0): command 3 fails"},
      {"load ${LIB}\nnew drawing\ncommand 1\nset Количество 99\n", 1, ":4: refused: editint \"Количество\": 99 is outside"},
      {"load ${LIB}\nexpect calls\nRunCommand(1, 0)\nend\n", 1, ":3: no call RunCommand(1, 0)"},
      {"load ${LIB}\nnew drawing\nview Plate except Контейнер\n", 1,
       ":3: no macro named Plate stands in a view other than \"Контейнер\""},
      {"frobnicate\n", 1, ":1: unknown step frobnicate"},
      {"set \"unclosed\n", 1, ":1: a quoted text is not closed"},
  };
  for (const auto& c : cases) {
    const Played run = Play(c.script);
    EXPECT_EQ(run.status, c.status) << c.script << run.output;
    EXPECT_NE(run.output.find(c.says), std::string::npos) << c.script << run.output;
  }
}

// The benchmark's figures: a line per step that held, with its line number,
// wall clock and processor seconds, peak and starting memory, and the step.
TEST(HostPlay, TimesEachStepThatHeld) {
  const auto times = std::filesystem::temp_directory_path() / ("host_play_times-" + std::to_string(getpid()));
  const Played run = Play("load ${LIB}\n\nnew drawing\nexpect running\n", " --times " + times.string());
  EXPECT_EQ(run.status, 1) << run.output;
  std::ifstream in(times);
  std::vector<std::string> steps;
  for (std::string line; std::getline(in, line);) {
    std::size_t number = 0;
    double wall = -1, processor = -1;
    long peak = 0, start = 0;
    ASSERT_TRUE(std::istringstream(line) >> number >> wall >> processor >> peak >> start) << line;
    EXPECT_TRUE(wall >= 0 && processor >= 0 && peak > 0 && start > 0) << line;
    steps.push_back(std::to_string(number) + ":" + line.substr(line.rfind('\t') + 1));
  }
  std::filesystem::remove(times);
  EXPECT_EQ(steps, (std::vector<std::string>{"1:load ${LIB}", "3:new drawing"}));
}

}  // namespace
