#pragma once
// The Options dialog's Port page: the serial devices of this computer with
// what each is, the Search over them (HandsetProbe on a thread of its own,
// so the dialog stays live) and "Use this one", which puts the device and
// the media of a handset that answered into the page and into tv.dat.
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/serial_devices.h"
#include "session/handset_probe.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace phondeck {

class PortSearchPanel final : public QWidget {
  Q_OBJECT
 public:
  // use(device, media): the page takes them.
  PortSearchPanel(std::function<void(const std::string&, int)> use, QWidget* parent = nullptr);
  ~PortSearchPanel() override;
  void apply_texts();
  // The list from the devices present now; the note on a Port= that names
  // no port.
  void refresh(int configured_port);
  // Where the devices are looked for (tests: a scratch tree).
  void set_roots(SystemRoots roots) { roots_ = std::move(roots); }
  // The loop a search runs on, made on its own thread with that thread's
  // clock; Telvane gives the real-time one. No search runs without it.
  using LoopMaker = std::function<std::unique_ptr<ProbeLoop>(Clock&)>;
  void set_loop_maker(LoopMaker make) { make_loop_ = std::move(make); }

  void search();
  void use_selected();
  bool searching() const { return worker_.joinable() && !done_; }

  QTreeWidget* list() const { return list_; }
  QPushButton* search_button() const { return search_; }
  QPushButton* use_button() const { return use_; }
  QLabel* note() const { return note_; }

 private:
  void show_result(const ProbeResult& result);
  void finished();
  void refresh_buttons();

  std::function<void(const std::string&, int)> use_device_;
  SystemRoots roots_;
  LoopMaker make_loop_;
  QLabel* title_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* search_ = nullptr;
  QPushButton* use_ = nullptr;
  QLabel* note_ = nullptr;
  std::vector<ProbeResult> results_;  // by row, once searched
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> done_{false};
  int configured_port_ = 1;
};

}  // namespace phondeck
