#pragma once
// The numbered texts every caption, status text and message is taken from.
#include <array>
#include <initializer_list>
#include <string>
#include <string_view>

namespace phondeck {

class TextTable {
 public:
  static constexpr int kCount = 4000;        // ids 0 .. 3999
  static constexpr std::size_t kMaxBytes = 254;

  // The text of an id; the empty text for an id not held or out of range.
  const std::string& get(int id) const;
  // Stores a text, cut to kMaxBytes (never inside a UTF-8 sequence).
  void set(int id, std::string_view text);
  void clear();

  // Fills ids 0 .. 3999 from the program's own English texts.
  void load_english();

 private:
  std::array<std::string, kCount> texts_;
};

// The process-wide table.
TextTable& texts();
// Shorthand for texts().get(id).
inline const std::string& tx(int id) { return texts().get(id); }
// Text `id` with "%1", "%2", ... replaced by the values, in order.
std::string tx_with(int id, std::initializer_list<std::string> values);

// A caption used as a window title: cut before the first "(", every "&" and
// "." removed.
std::string window_title(std::string_view caption);

}  // namespace phondeck
