#pragma once
// The port the main window talks through. Normally the serial port of the
// configuration; with Device=virtual (or virtual:MODEL) the virtual handset
// starts in-process behind a pseudo-terminal when the port is opened, and the
// serial port opens that terminal, so termios, the reader thread, the frame
// layer and the engine all run as they do with a cable.
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

// The port of the configuration's Device, Port and Type as they are at each
// opening: a change made while the port is closed (the Options dialog) takes
// effect at the next open; an unchanged choice keeps its port, and so the
// virtual handset keeps its state.
class ConfiguredPort final : public LinkPort {
 public:
  // Makes the port of the present configuration.
  ConfiguredPort(Prompt& prompt, WindowMessageSink& sink);
  int open() override;
  void close() override {
    if (port_) port_->close();
  }
  bool is_open() const override { return port_ && port_->is_open(); }
  void set_bit_rate(int rate) override {
    if (port_) port_->set_bit_rate(rate);
  }
  void set_dtr(bool on) override {
    if (port_) port_->set_dtr(on);
  }
  void set_rts(bool on) override {
    if (port_) port_->set_rts(on);
  }
  void write(const std::uint8_t* bytes, std::size_t count) override {
    if (port_) port_->write(bytes, count);
  }
  std::size_t take_received(std::uint8_t* destination, std::size_t count) override {
    return port_ ? port_->take_received(destination, count) : 0;
  }
  // Passed on to each port made.
  void set_tap(LinkTap* tap) override {
    tap_ = tap;
    if (port_) port_->set_tap(tap);
  }
  // The port in use.
  LinkPort* current() { return port_.get(); }

 private:
  Prompt& prompt_;
  WindowMessageSink& sink_;
  std::unique_ptr<LinkPort> port_;
  LinkTap* tap_ = nullptr;
  std::string made_for_;
};

// The port for the configuration's Device (and Port) setting.
std::unique_ptr<LinkPort> make_configured_port(Prompt& prompt, WindowMessageSink& sink);

}  // namespace phondeck
