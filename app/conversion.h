#pragma once
// Integer conversion of texts from files and user input. A value is decimal
// with an optional sign; anything else (blanks, hex, an empty text, a value
// outside 32 bits) is a conversion error that aborts the command, or the start.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace phondeck {

class ConversionError : public std::runtime_error {
 public:
  // what() is "'<text>' is not a valid integer value".
  explicit ConversionError(std::string_view offending_text);
  const std::string& offending_text() const { return text_; }

 private:
  std::string text_;
};

// The value of a decimal text, or nothing.
std::optional<int> try_decimal_to_int(std::string_view text);
// The value of a decimal text; throws ConversionError otherwise.
int decimal_to_int(std::string_view text);

}  // namespace phondeck
