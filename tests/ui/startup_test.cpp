#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/configuration.h"
#include "app/conversion.h"
#include "ui/startup_sequence.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

struct RecordingSteps : StartupSteps {
  bool first = true;
  bool windows_fail = false;
  std::vector<std::string> calls;
  bool acquire_instance() override {
    calls.push_back("instance");
    return first;
  }
  void load_configuration() override {
    calls.push_back("configuration");
    phondeck::load_configuration();
  }
  void show_start_error(const std::string& text) override { calls.push_back("error: " + text); }
  int create_windows_and_run() override {
    calls.push_back("windows");
    if (windows_fail) throw std::runtime_error("no display");
    return 7;
  }
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "startup_tv_" + std::to_string(::getpid()) + ".dat";
    set_configuration_path(path_);
  }
  void TearDown() override {
    std::remove(path_.c_str());
    set_configuration_path("tv.dat");
  }
  void write(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string path_;
};

TEST_F(StartupTest, BadIntegerShowsTheMessageAndEndsBeforeAnyWindow) {
  write("Width=700\r\nFontSize=abc\r\nHeight=500\r\n");
  RecordingSteps steps;
  EXPECT_EQ(start_up(steps), 0);
  EXPECT_EQ(steps.calls, (std::vector<std::string>{
                             "instance", "configuration", "error: 'abc' is not a valid integer value"}));
}

TEST_F(StartupTest, SecondInstanceReadsNothingAndCreatesNothing) {
  write("FontSize=abc\r\n");
  RecordingSteps steps;
  steps.first = false;
  EXPECT_EQ(start_up(steps), 0);
  EXPECT_EQ(steps.calls, std::vector<std::string>{"instance"});
}

TEST_F(StartupTest, GoodConfigurationGoesOnToTheWindows) {
  write("Width=700\r\nMultiByte=1\r\nLanguage=1\r\n");
  RecordingSteps steps;
  EXPECT_EQ(start_up(steps), 7);
  EXPECT_EQ(steps.calls.back(), "windows");
  EXPECT_EQ(config().Width, 700);
  EXPECT_EQ(config().MultiByte, 0);  // English replaces the stored value
}

TEST_F(StartupTest, AnErrorWhileTheWindowsAreMadeIsShownAndEndsTheStart) {
  write("Width=700\r\n");
  RecordingSteps steps;
  steps.windows_fail = true;
  EXPECT_EQ(start_up(steps), 0);
  EXPECT_EQ(steps.calls.back(), "error: no display");
}

}  // namespace
}  // namespace phondeck
