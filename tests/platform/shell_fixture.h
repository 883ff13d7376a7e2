#pragma once
// A fresh stand-in host per test with its user, and the test library that
// the tests load with dlopen (built beside them, see testlib/).
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/Application.h"
#include "vlhost/Driver.h"
#include "vlhost/Host.h"

namespace vlhost::test {

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root = std::filesystem::temp_directory_path() / ("vlhost-shell-" + std::to_string(getpid())) /
           (std::string(info->test_suite_name()) + "." + info->name());
    std::filesystem::remove_all(root);
    host = std::make_unique<Host>(root);
    user = std::make_unique<Driver>(*host);
  }
  void TearDown() override {
    user.reset();
    host.reset();
    std::filesystem::remove_all(root);
    std::error_code ignored;
    std::filesystem::remove(root.parent_path(), ignored);
  }

  bool LoadTestLibrary() { return user->Load(VLTEST_LIBRARY, L"APP_VlTest", L"Nesting"); }
  // The test library, a drawing and its command 1: the panel with a control of each kind.
  void OpenPanel() {
    ASSERT_TRUE(LoadTestLibrary());
    user->New();
    ASSERT_TRUE(user->Command(1));
    ASSERT_TRUE(user->Running());
  }
  HostState& State() const { return host->State(); }
  Application& App() const { return *dynamic_cast<Application*>(host->Application()); }
  std::size_t Mark() const { return State().transcript.size(); }
  // The calls into the library since `from` ("> ..." lines, trimmed).
  std::vector<std::string> CallsSince(std::size_t from) const {
    std::vector<std::string> calls;
    for (std::size_t i = from; i < State().transcript.size(); ++i) {
      const std::string& line = State().transcript[i];
      const std::size_t at = line.find_first_not_of(' ');
      if (at != std::string::npos && line.compare(at, 2, "> ") == 0) calls.push_back(line.substr(at + 2));
    }
    return calls;
  }
  // How deep each call into the library since `from` is nested.
  std::vector<int> DepthsSince(std::size_t from) const {
    std::vector<int> depths;
    for (std::size_t i = from; i < State().transcript.size(); ++i) {
      const std::string& line = State().transcript[i];
      const std::size_t at = line.find_first_not_of(' ');
      if (at != std::string::npos && line.compare(at, 2, "> ") == 0) depths.push_back(static_cast<int>(at / 2));
    }
    return depths;
  }

  std::filesystem::path root;
  std::unique_ptr<Host> host;
  std::unique_ptr<Driver> user;
};

}  // namespace vlhost::test
