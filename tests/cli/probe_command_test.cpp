// phondeck probe: the handset found on its pseudo-terminal, --save writing
// Device= and Type= into tv.dat and keeping the rest of the file.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/phondeck.h"
#include "sim/handset_state.h"
#include "sim/models.h"
#include "sim/pty_handset.h"

namespace phondeck::cli {
namespace {

namespace fs = std::filesystem;

TEST(ProbeCommand, FindsTheHandsetAndSavesItsDeviceAndMedia) {
  SystemClock clock;
  sim::PtyHandset handset(clock, sim::HandsetState::demo(*sim::find_model("6110")));
  std::string error;
  ASSERT_TRUE(handset.start(error)) << error;
  char folder[] = "/tmp/phondeck-probe-cli-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const std::string tv = (fs::path(folder) / "tv.dat").string();
  std::ofstream(tv, std::ios::binary) << "Port=3\r\nType=0\r\nSomeoneElses=kept\r\n";

  std::ostringstream out, err;
  std::istringstream in;
  Terminal terminal{out, err, in, false, false};
  ASSERT_EQ(run_phondeck({"--json", "probe", handset.path(), "/dev/null", "--save"}, terminal, tv), kExitOk)
      << err.str();
  std::istringstream lines(out.str());
  std::string first, second, done;
  std::getline(lines, first);
  std::getline(lines, second);
  std::getline(lines, done);
  EXPECT_NE(first.find("\"result\":\"answered\",\"media\":\"cable\",\"model\":\"6110\""), std::string::npos) << first;
  EXPECT_NE(second.find("\"result\":\"not a serial port\""), std::string::npos) << second;
  EXPECT_NE(done.find("Device=" + handset.path() + " and Type=1 are saved"), std::string::npos) << done;
  std::ifstream saved(tv, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "Port=3\r\nType=1\r\nSomeoneElses=kept\r\nDevice=" + handset.path() + "\r\n");

  // Nothing answering: exit status 1 and the reason, tv.dat left alone.
  std::ostringstream out2, err2;
  Terminal terminal2{out2, err2, in, false, false};
  EXPECT_EQ(run_phondeck({"probe", "/dev/null", "--save"}, terminal2, tv), kExitFailed);
  EXPECT_NE(err2.str().find("No handset answered on 1 device(s)"), std::string::npos) << err2.str();
  std::ifstream again(tv, std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), text);
  handset.stop();
  fs::remove_all(folder);
}

}  // namespace
}  // namespace phondeck::cli
