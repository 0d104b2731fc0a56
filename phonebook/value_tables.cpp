#include "phonebook/value_tables.h"

#include "app/configuration.h"
#include "app/text_table.h"

namespace phondeck {

namespace {

constexpr int kTypeTextId = 410;
constexpr int kWriteAsTextId = 430;

template <typename TextOf>
int lookup(std::string_view text, int count, TextOf text_of) {
  for (int i = 0; i < count; ++i) {
    if (text_of(i) == text) return i;
  }
  return 0;
}

}  // namespace

std::string type_text(int index) {
  if (index < 0 || index >= kMemoryTypeCount) return {};
  return tx(kTypeTextId + index);
}

std::string group_text(int index) {
  if (index < 0 || index >= kGroupCount) return {};
  return config().GroupName[static_cast<std::size_t>(index)];
}

std::string write_as_text(int index) {
  if (index < 0 || index >= kWriteAsCount) return {};
  return tx(kWriteAsTextId + index);
}

int type_index(std::string_view text) {
  return lookup(text, kMemoryTypeCount, [](int i) -> const std::string& { return tx(kTypeTextId + i); });
}

int group_index(std::string_view text) {
  return lookup(text, kGroupCount,
                [](int i) -> const std::string& { return config().GroupName[static_cast<std::size_t>(i)]; });
}

int write_as_index(std::string_view text) {
  return lookup(text, kWriteAsCount, [](int i) -> const std::string& { return tx(kWriteAsTextId + i); });
}

}  // namespace phondeck
