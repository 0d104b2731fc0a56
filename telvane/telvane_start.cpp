#include "telvane/telvane_start.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/configuration.h"
#include "app/help.h"
#include "session/qt/qt_prompt.h"
#include "telvane/telvane_windows.h"
#include "organiser/message_reference.h"
#include "platform/port_release.h"
#include "platform/single_instance.h"
#include "ui/startup_sequence.h"

namespace phondeck {
namespace {

class TelvaneStart final : public StartupSteps {
 public:
  TelvaneStart(int& argc, char** argv) : argc_(argc), argv_(argv) {}

  bool acquire_instance() override {
    return instance_.acquire() != SingleInstance::Role::Second;
  }

  void load_configuration() override {
    set_configuration_path(
        locate_configuration({}, std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")));
    // One counter of long messages' references with phondeck, beside tv.dat.
    set_default_message_reference_file(message_reference_file(configuration_path()));
    phondeck::load_configuration();
  }

  void show_start_error(const std::string& text) override {
    application();
    prompt_.message(text);
  }

  int create_windows_and_run() override {
    QApplication& app = application();
    set_help_opener(&help_);
    TelvaneWindows windows(prompt_, &instance_);
    // Ending the process: at once, exit code 0, nothing saved.
    windows.main().set_end_process([this] {
      instance_.release();
      std::fflush(nullptr);
      std::_Exit(0);
    });
    windows.splash().show();
    windows.splash().start();
    const int code = app.exec();
    set_help_opener(nullptr);
    return code;
  }

 private:
  QApplication& application() {
    if (!app_) {
      // The window class and the desktop entry's name tie the windows to the
      // installed menu entry and its icon.
      QCoreApplication::setApplicationName(QStringLiteral("telvane"));
      QGuiApplication::setDesktopFileName(QStringLiteral("phondeck-telvane"));
      app_ = std::make_unique<QApplication>(argc_, argv_);
      const QIcon icon = QIcon::fromTheme(QStringLiteral("phondeck-telvane"));
      if (!icon.isNull()) QApplication::setWindowIcon(icon);
    }
    return *app_;
  }

  int& argc_;
  char** argv_;
  SingleInstance instance_{"Telvane"};
  std::unique_ptr<QApplication> app_;
  QtPrompt prompt_;
  QtHelpOpener help_{prompt_};
};

}  // namespace

int run_telvane(int argc, char** argv) {
  // Ended by a signal, the port is left free and its lock file removed.
  release_ports_on_signals();
  TelvaneStart start(argc, argv);
  return start_up(start);
}

}  // namespace phondeck
