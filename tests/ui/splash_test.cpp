#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/splash_sequence.h"

namespace phondeck {
namespace {

struct FakeTimer : Timer {
  std::vector<int> starts;
  bool on = false;
  void start(int ms) override {
    starts.push_back(ms);
    on = true;
  }
  void stop() override { on = false; }
  bool running() const override { return on; }
};

struct RecordingHost : SplashHost {
  std::vector<std::string> calls;
  void show_main_window() override { calls.push_back("show main"); }
  void hide_splash() override { calls.push_back("hide splash"); }
  void normal_cursor() override { calls.push_back("cursor"); }
  void run_options_dialog() override { calls.push_back("options"); }
  void save_configuration() override { calls.push_back("save"); }
};

TEST(SplashSequence, RunsItsStepsWithTheTwoWaits) {
  FakeTimer timer;
  RecordingHost host;
  SplashSequence splash(host, timer);
  splash.start();
  EXPECT_EQ(timer.starts, std::vector<int>{3000});
  EXPECT_TRUE(host.calls.empty());

  splash.tick();
  EXPECT_EQ(host.calls, std::vector<std::string>{"show main"});
  EXPECT_EQ(timer.starts, (std::vector<int>{3000, 1000}));
  EXPECT_FALSE(splash.finished());

  splash.tick();
  EXPECT_EQ(host.calls,
            (std::vector<std::string>{"show main", "hide splash", "cursor", "options", "save"}));
  EXPECT_FALSE(timer.running());
  EXPECT_TRUE(splash.finished());

  // A stray expiry afterwards changes nothing.
  splash.tick();
  EXPECT_EQ(host.calls.size(), 5u);
}

TEST(SplashSequence, ClickWhileVisibleStartsTheWaitAgain) {
  FakeTimer timer;
  RecordingHost host;
  SplashSequence splash(host, timer);
  splash.start();
  splash.tick();  // main window shown, second wait running
  splash.click();
  EXPECT_EQ(splash.state(), 1);
  EXPECT_EQ(timer.starts.back(), 3000);
  splash.tick();
  splash.tick();
  EXPECT_TRUE(splash.finished());
  // Once gone, clicks do nothing.
  splash.click();
  EXPECT_EQ(timer.starts.size(), 4u);
}

}  // namespace
}  // namespace phondeck
