#pragma once
// The port Telvane and phondeck talk through: the serial port of the
// configuration, or with Device=virtual (or virtual:MODEL) the virtual
// handset in-process behind a pseudo-terminal (sim/embedded_port.h).
#include <memory>
#include <string>

#include "link/port.h"

namespace phondeck {

class Prompt;

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
  std::string device_name() const override { return port_ ? port_->device_name() : std::string(); }
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
