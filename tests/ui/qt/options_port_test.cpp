// The Options dialog's serial ports name the device each one opens.
#include <gtest/gtest.h>

#include <unistd.h>

#include <QComboBox>

#include "telvane/telvane_windows.h"
#include "ui_fakes.h"

namespace phondeck {
namespace {

TEST(OptionsPortQt, EachComPortShowsItsDevice) {
  testing::fresh_texts_and_configuration();
  testing::FakePrompt prompt;
  TelvaneWindows windows(prompt, nullptr);
  TPagesDlg& options = windows.options();
  options.prepare();
  const QComboBox* port = options.port_choice();
  ASSERT_EQ(port->count(), 8);
  // Each marked when its device is not present on this computer.
  auto item = [](int k) {
    const std::string device = "/dev/ttyS" + std::to_string(k);
    return QStringLiteral("COM%1 \u2014 /dev/ttyS%2").arg(k + 1).arg(k) +
           (::access(device.c_str(), F_OK) == 0 ? QString() : QStringLiteral(" (not present)"));
  };
  for (int k = 0; k < 8; ++k) EXPECT_EQ(port->itemText(k), item(k));
  EXPECT_EQ(port->currentText(), item(1));  // Port=1 by default
  windows.main().normal_cursor();
}

}  // namespace
}  // namespace phondeck
