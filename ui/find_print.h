#pragma once
// Find Next over the eight columns of a list, and the lines Print puts on
// paper.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/entry_view.h"

namespace phondeck {

class Prompt;

// The find dialog's options, with their initial state.
struct FindOptions {
  std::string text;
  bool down = true;
  bool match_case = true;
  bool whole_word = false;
};

// Searches from the entry after (or before) the selected one, clears the
// selection, and selects the first entry with a matching column. Shows
// "Not found" and gives nothing when there is none (the selection stays
// cleared, so the next search starts again from the end it searches from).
std::optional<std::size_t> find_next(EntryView& view, const FindOptions& options, Prompt& prompt);

// The print buffer's lines: the caption, an empty line, then for every entry
// taken its Name, UNICODE and Phone lines and an empty line. With a selection
// the entries taken start at the selected one, as many as are selected.
std::vector<std::string> print_lines(const EntryView& view, const std::string& caption);

// UTF-8 text lower-cased by the user's locale (code point by code point).
std::string lower_text(std::string_view text);

}  // namespace phondeck
