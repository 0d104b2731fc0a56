// Deskpal: the desktop companion. Takes no arguments.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "companion/deskpal_start.h"
#include "companion/qt/deskpal_window.h"

int main(int argc, char** argv) {
  using namespace phondeck;
  const EnvironmentLookup env = [](const char* name) { return static_cast<const char*>(std::getenv(name)); };
  const DisplayChoice display = choose_display(env);
  if (!display.note.empty()) std::fprintf(stderr, "%s\n", display.note.c_str());
  if (display.kind == DisplayChoice::Kind::NoDisplay) return 1;
  // XWayland through an argument rather than QT_QPA_PLATFORM, which Telvane
  // would inherit.
  std::vector<char*> args(argv, argv + argc);
  char platform_option[] = "-platform";
  char platform_xcb[] = "xcb";
  if (display.kind == DisplayChoice::Kind::UseX11) {
    args.push_back(platform_option);
    args.push_back(platform_xcb);
  }
  int arg_count = static_cast<int>(args.size());
  args.push_back(nullptr);

  const std::vector<DeskpalFrame> frames = draw_deskpal_frames();
  if (const auto problem = frames_problem(frames)) {
    std::fprintf(stderr, "%s\n", problem->c_str());
    return 255;
  }

  QApplication app(arg_count, args.data());
  app.setApplicationName("Deskpal III");
  app.setQuitOnLastWindowClosed(false);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) {
    std::fprintf(stderr, "deskpal: the display has no screen\n");
    return 255;
  }
  QPixmap icon = QPixmap::fromImage(deskpal_frame_image(frames[40]));
  app.setWindowIcon(QIcon(icon));

  DeskpalOptions options;
  options.program_folder = QCoreApplication::applicationDirPath().toStdString();
  options.help_folders = deskpal_help_folders(options.program_folder);
  options.program_file = QCoreApplication::applicationFilePath().toStdString();
  options.autostart_folder = AutostartEntry::folder_from_environment(env);
  options.traditional_chinese = traditional_chinese_locale(env);
  RuntimeRandom random;
  DeskpalWindow figure(frames, screen->availableGeometry(), random, options);
  figure.show();
  return app.exec();
}
