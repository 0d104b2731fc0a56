#pragma once
// Helpers for the serial port tests: a recording prompt and a raw
// pseudo-terminal whose master side plays the handset.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/prompt.h"

namespace phondeck::testing {

class RecordingPrompt final : public Prompt {
 public:
  void message(const std::string& text) override {
    std::lock_guard<std::mutex> guard(mutex_);
    messages_.push_back(text);
  }
  bool ask_yes_no(const std::string& text) override {
    std::lock_guard<std::mutex> guard(mutex_);
    questions_.push_back(text);
    return answer_;
  }
  std::vector<std::string> messages() const {
    std::lock_guard<std::mutex> guard(mutex_);
    return messages_;
  }
  void set_answer(bool yes) { answer_ = yes; }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> messages_;
  std::vector<std::string> questions_;
  bool answer_ = true;
};

// A raw pseudo-terminal; the test holds the master, the port opens the slave
// path. The slave handle is kept so the pair survives the port's close.
struct PtyPair {
  int master = -1;
  int slave = -1;
  std::string path;

  PtyPair() {
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, nullptr, &raw, nullptr) != 0) return;
    char name[256];
    if (ttyname_r(slave, name, sizeof name) == 0) path = name;
  }
  ~PtyPair() { close_all(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  void close_all() {
    if (master >= 0) ::close(master);
    if (slave >= 0) ::close(slave);
    master = slave = -1;
  }
  bool send(const std::vector<std::uint8_t>& bytes) const {
    return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  speed_t speed() const {
    termios tio{};
    tcgetattr(master, &tio);
    return cfgetospeed(&tio);
  }
};

}  // namespace phondeck::testing
