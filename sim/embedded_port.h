#pragma once
// The virtual handset in-process: it starts behind a pseudo-terminal when the
// port is opened, and the serial port opens that terminal, so termios, the
// reader thread, the frame layer and the engine all run as they do with a
// cable.
#include <memory>
#include <string>

#include "link/clock.h"
#include "link/port.h"
#include "link/serial_port.h"
#include "sim/pty_handset.h"

namespace phondeck {

class Prompt;

namespace sim {

class EmbeddedHandsetPort final : public LinkPort {
 public:
  // model: a model the virtual handset knows ("6110" when it knows no such model).
  EmbeddedHandsetPort(Prompt& prompt, WindowMessageSink& sink, std::string model);
  ~EmbeddedHandsetPort() override;

  // Starts the handset on first use (it keeps its phone book across
  // reconnects), then opens its terminal.
  int open() override;
  void close() override { serial_.close(); }
  bool is_open() const override { return serial_.is_open(); }
  void set_bit_rate(int rate) override { serial_.set_bit_rate(rate); }
  void set_dtr(bool on) override { serial_.set_dtr(on); }
  void set_rts(bool on) override { serial_.set_rts(on); }
  void write(const std::uint8_t* bytes, std::size_t count) override { serial_.write(bytes, count); }
  std::size_t take_received(std::uint8_t* destination, std::size_t count) override {
    return serial_.take_received(destination, count);
  }
  void set_tap(LinkTap* tap) override { serial_.set_tap(tap); }
  std::string device_name() const override { return "virtual"; }

  const std::string& model() const { return model_; }
  // The terminal's path once started.
  std::string terminal_path() const { return handset_ ? handset_->path() : std::string(); }
  PtyHandset* handset() { return handset_.get(); }

 private:
  Prompt& prompt_;
  std::string model_;
  SystemClock clock_;
  SerialPort serial_;
  std::unique_ptr<PtyHandset> handset_;
};

}  // namespace sim

}  // namespace phondeck
