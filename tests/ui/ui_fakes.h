#pragma once
// Test doubles for the main window's logic: a prompt that records and
// answers, an Editor that applies a change instead of showing a dialog, and
// handset commands that record what reached them.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "phonebook/phone_book.h"
#include "session/handset_commands.h"
#include "ui/main_window_logic.h"
#include "support/scripted_prompt.h"

namespace phondeck::testing {

using FakePrompt = ScriptedPrompt;

struct FakeEditor : EntryEditorHost {
  std::function<bool(EntryDefaults&)> on_edit = [](EntryDefaults&) { return true; };
  std::vector<EntryDefaults> shown;
  bool edit_entry_values(EntryDefaults& defaults) override {
    shown.push_back(defaults);
    EntryDefaults values = defaults;  // the dialog's fields
    if (!on_edit(values)) return false;
    defaults = values;
    return true;
  }
};

struct FakeHandset : HandsetCommands {
  std::vector<std::string> calls;
  void connect() override { calls.push_back("connect"); }
  void reset_link() override { calls.push_back("reset"); }
  void read_phone_book() override { calls.push_back("read"); }
  void clear_then_write() override { calls.push_back("clear then write"); }
  void write_all() override { calls.push_back("write all"); }
  void net_monitor(bool open) override { calls.push_back(open ? "monitor open" : "monitor close"); }
};

inline PhoneBookEntry make_entry(std::string name, std::string phone, std::string type,
                                 std::string pos, std::string group = "No Group",
                                 std::string write_as = "Auto") {
  PhoneBookEntry e;
  e.Name = std::move(name);
  e.Phone = std::move(phone);
  e.Type = std::move(type);
  e.Pos = std::move(pos);
  e.Group = std::move(group);
  e.WriteAs = std::move(write_as);
  return e;
}

// English texts and a default configuration with completed group names.
inline void fresh_texts_and_configuration() {
  texts().load_english();
  config() = Configuration{};
  complete_group_names(config());
}

inline std::vector<std::string> names(const PhoneBookList& list) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < list.size(); ++i) out.push_back(list.entry(i).Name);
  return out;
}

}  // namespace phondeck::testing
