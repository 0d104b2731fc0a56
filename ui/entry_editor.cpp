#include "ui/entry_editor.h"

#include "app/configuration.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "phonebook/number_codec.h"
#include "phonebook/value_tables.h"

namespace phondeck {
namespace {
constexpr int kTextFirstInsertButton = 400;
constexpr int kInsertButtons = 10;
constexpr int kTextPhoneCharacters = 3421;
}  // namespace

std::string trim_blanks(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

void EntryEditorLogic::show(const EntryDefaults& defaults) {
  type_items_.clear();
  group_items_.clear();
  write_as_items_.clear();
  for (int i = 0; i < kMemoryTypeCount; ++i) type_items_.push_back(type_text(i));
  for (int i = 0; i < kGroupCount; ++i) group_items_.push_back(group_text(i));
  for (int i = 0; i < kWriteAsCount; ++i) write_as_items_.push_back(write_as_text(i));

  const bool multi_byte = config().MultiByte != 0;
  const bool simplified = config().BasicLevel != 0;
  enabled_.unicode = multi_byte;
  enabled_.position = !simplified;
  enabled_.type = !simplified;
  enabled_.group = !simplified;
  enabled_.write_as = multi_byte && !simplified;

  fields_.name = trim_blanks(defaults.Name);
  fields_.unicode = trim_blanks(defaults.UNICODE);
  fields_.phone = trim_blanks(defaults.Phone);
  fields_.type = defaults.type;
  fields_.group = defaults.group;
  fields_.write_as = defaults.write_as;
  fields_.pos = defaults.Pos;
  update_capacity_label();
}

void EntryEditorLogic::choose_type(int type) {
  fields_.type = type;
  update_capacity_label();
  if (type == kMemoryPhone || type == kMemorySim) {
    if (const auto pos = book_.first_free_position(type)) fields_.pos = std::to_string(*pos);
  }
}

std::size_t EntryEditorLogic::insert_text(int button, std::size_t caret) {
  const std::string text = insert_button_text(button);
  if (caret > fields_.unicode.size()) caret = fields_.unicode.size();
  fields_.unicode.insert(caret, text);
  return caret + text.size();
}

bool EntryEditorLogic::phone_number_valid(const std::string& phone) { return handset_number_valid(phone); }

bool EntryEditorLogic::check_before_accept() const {
  if (phone_number_valid(trim_blanks(fields_.phone))) return true;
  book_.prompt().message(tx(kTextPhoneCharacters));
  return false;
}

void EntryEditorLogic::accept(EntryDefaults& defaults) const {
  defaults.Name = trim_blanks(fields_.name);
  defaults.UNICODE = trim_blanks(fields_.unicode);
  defaults.Phone = trim_blanks(fields_.phone);
  defaults.type = fields_.type;
  defaults.group = fields_.group;
  defaults.write_as = fields_.write_as;
  defaults.Pos = fields_.pos;
}

std::string EntryEditorLogic::insert_button_text(int button) {
  if (button < 0 || button >= kInsertButtons) return {};
  return tx(kTextFirstInsertButton + button);
}

bool EntryEditorLogic::insert_buttons_captioned(const std::string& language_code) {
  return language_code == "zh_tw" || language_code == "zh_cn";
}

void EntryEditorLogic::update_capacity_label() {
  const int type = fields_.type;
  if (type == kMemoryPhone || type == kMemorySim) {
    capacity_label_ = "/ " + std::to_string(book_.memory().capacity[static_cast<std::size_t>(type)]);
  } else {
    capacity_label_.clear();
  }
}

}  // namespace phondeck
