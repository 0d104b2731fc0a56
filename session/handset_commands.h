#pragma once
// The main window's handset commands. Each asks its questions through the
// window's prompt before it starts, then goes through the link's command
// guards, which refuse it while the link is disconnected ("Please establish
// connection first") or busy.
namespace phondeck {

class OperationEngine;
class PhoneBook;
class Prompt;

class HandsetCommands {
 public:
  virtual ~HandsetCommands() = default;
  virtual void connect() = 0;            // Link > Connect
  virtual void reset_link() = 0;         // the link's part of Link > Reset
  virtual void read_phone_book() = 0;    // PhoneBook > Read
  virtual void clear_then_write() = 0;   // PhoneBook > Clear then Write
  virtual void write_all() = 0;          // PhoneBook > Write All
  virtual void net_monitor(bool open) = 0;
};

// The commands as the families' start functions run them.
class EngineCommands final : public HandsetCommands {
 public:
  // book: Write All writes its active list; prompt: the window's, which
  // asks the questions.
  EngineCommands(OperationEngine& engine, PhoneBook& book, Prompt& prompt)
      : engine_(engine), book_(book), prompt_(prompt) {}
  void connect() override;
  void reset_link() override;
  void read_phone_book() override;
  void clear_then_write() override;
  void write_all() override;
  void net_monitor(bool open) override;

 private:
  OperationEngine& engine_;
  PhoneBook& book_;
  Prompt& prompt_;
};

}  // namespace phondeck
