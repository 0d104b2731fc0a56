// The window's side of "the cable won't talk": Link › Connect's messages for
// a missing device, a path that is no serial port and a port another
// program holds; and the Options dialog's Port page, which lists the serial
// devices that exist, searches them, and takes the handset found with
// "Use this one" (into the page and into tv.dat).
#include <gtest/gtest.h>

// First: the handset's headers come before Qt's.
#include "pty_windows_rig.h"
#include "support/holder_process.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>

#include "telvane/telvane_windows.h"
#include "organiser/qt/port_search.h"

namespace phondeck::e2e {
namespace {

namespace fs = std::filesystem;

TEST(PortMessagesQt, ConnectTellsWhatIsWrongAndTheNextStep) {
  fresh_settings();
  SystemClock clock;
  sim::PtyHandset handset(clock, demo_state("6110"));
  std::string error;
  ASSERT_TRUE(handset.start(error)) << error;
  testing::HolderProcess holder(handset.path(), "minicom", true);
  struct Row {
    std::string device;
    std::vector<std::string> wanted;
  };
  const std::vector<Row> rows = {
      {"/dev/phondeck-no-such-port",
       {"ERROR: Serial 10 (2) ", serial_devices().empty() ? tx(3104) : tx(3103)}},
      {"/dev/null", {"ERROR: Serial 10b (25) ", "/dev/null is not a serial port"}},
      {handset.path(), {"ERROR: Serial 10 (11) ", "is in use by minicom (pid " + std::to_string(holder.pid) + ")"}},
  };
  for (const Row& row : rows) {
    config().Device = row.device;
    ScriptedPrompt prompt;
    TelvaneWindows windows(prompt, nullptr);
    TForm1& form = windows.main();
    form.action(Command::Connect)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompt.messages.empty(); }, 5000)) << row.device;
    const std::string text = prompt.messages.front();
    std::size_t at = 0;
    for (const std::string& part : row.wanted) {
      const std::size_t found = text.find(part, at);
      EXPECT_NE(found, std::string::npos) << "\"" << part << "\" in\n" << text;
      if (found != std::string::npos) at = found + part.size();
    }
    EXPECT_EQ(windows.link().engine().state(), LinkState::Disconnected);
  }
  handset.stop();
}

TEST(PortSearchQt, ListsSearchesAndUsesTheHandsetFound) {
  fresh_settings(1, 0);
  char folder[] = "/tmp/phondeck-port-page-XXXXXX";
  ASSERT_NE(::mkdtemp(folder), nullptr);
  const fs::path root = folder;
  const std::string tv = (root / "tv.dat").string();
  std::ofstream(tv, std::ios::binary) << "Port=8\r\nType=0\r\nUnknownKey=stays\r\n";
  const std::string saved_path = configuration_path();
  set_configuration_path(tv);
  config().Port = 8;
  SystemClock clock;
  sim::PtyHandset handset(clock, demo_state("6110"));
  std::string error;
  ASSERT_TRUE(handset.start(error)) << error;
  // This computer's serial devices: the handset's cable as ttyUSB0.
  SystemRoots roots;
  roots.dev = (root / "dev").string();
  roots.sys = (root / "sys").string();
  fs::create_directories(roots.dev);
  fs::create_directories(roots.sys);
  fs::create_symlink(handset.path(), root / "dev" / "ttyUSB0");
  const std::string cable = (root / "dev" / "ttyUSB0").string();

  ScriptedPrompt prompt;
  {
    TelvaneWindows windows(prompt, nullptr);
    TPagesDlg& options = windows.options();
    PortSearchPanel& panel = *options.port_search();
    panel.set_roots(roots);
    options.prepare();
    options.show();
    EXPECT_EQ(panel.note()->text().toStdString(), "Port=8 in tv.dat names no port: COM2 (/dev/ttyS1) is used.");
    ASSERT_EQ(panel.list()->topLevelItemCount(), 1);
    EXPECT_EQ(panel.list()->topLevelItem(0)->text(0).toStdString(), cable);
    EXPECT_FALSE(panel.use_button()->isEnabled());

    QTest::mouseClick(panel.search_button(), Qt::LeftButton);
    EXPECT_FALSE(panel.search_button()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel.searching() && panel.use_button()->isEnabled(); }, 10000));
    const std::string imei = handset.with_handset([](sim::Handset& h) { return h.state().imei; });
    EXPECT_EQ(panel.list()->topLevelItem(0)->text(2).toStdString(), "answered");
    EXPECT_EQ(panel.list()->topLevelItem(0)->text(3).toStdString(), "6110, IMEI " + imei + ", Cable");
    EXPECT_EQ(panel.note()->text().toStdString(), "Found: 6110, IMEI " + imei + ", Cable on " + cable + ".");

    QTest::mouseClick(panel.use_button(), Qt::LeftButton);
    EXPECT_EQ(options.device_field()->text().toStdString(), cable);
    EXPECT_EQ(options.media_choice()->currentIndex(), 1);
    EXPECT_EQ(panel.note()->text().toStdString(), "Device=" + cable + " and Type=1 are saved in " + tv + ".");
    std::ifstream saved(tv, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>()),
              "Port=8\r\nType=1\r\nUnknownKey=stays\r\nDevice=" + cable + "\r\n");
    options.hide();
  }
  EXPECT_TRUE(prompt.messages.empty()) << prompt.messages.front();
  handset.stop();
  set_configuration_path(saved_path);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace phondeck::e2e
