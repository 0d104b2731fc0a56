#include "cli/cli_output.h"

#include <algorithm>

#include "app/text_lines.h"

namespace phondeck::cli {

std::string plain(const Record& value) {
  if (value.is_null()) return "-";
  if (value.is_string()) return value.get<std::string>();
  return value.dump();
}

void Output::row(const Record& record) {
  if (json_) {
    out_ << record.dump() << "\n";
    return;
  }
  // A header line of the column names before the first row, and again
  // whenever the columns change.
  std::vector<std::string> columns;
  for (const auto& item : record.items()) columns.push_back(item.key());
  if (columns != columns_) {
    columns_ = columns;
    for (std::size_t i = 0; i < columns.size(); ++i) out_ << (i == 0 ? "" : "\t") << columns[i];
    out_ << "\n";
  }
  bool first = true;
  for (const auto& item : record.items()) {
    out_ << (first ? "" : "\t") << escape_text(plain(item.value()));
    first = false;
  }
  out_ << "\n";
}

void Output::header(const std::vector<std::string>& columns) {
  if (json_ || columns == columns_) return;
  columns_ = columns;
  for (std::size_t i = 0; i < columns.size(); ++i) out_ << (i == 0 ? "" : "\t") << columns[i];
  out_ << "\n";
}

void Output::object(const Record& record) {
  if (json_) {
    out_ << record.dump() << "\n";
    return;
  }
  for (const auto& item : record.items()) out_ << item.key() << ": " << plain(item.value()) << "\n";
}

void Output::summary(const std::string& text) {
  if (quiet_) return;
  if (json_) {
    out_ << Record{{"done", text}}.dump() << "\n";
  } else {
    out_ << text << "\n";
  }
}

std::string progress_line(const std::string& status, int position, int maximum, int width) {
  width = std::max(1, width);
  const int top = std::max(0, maximum);
  const int at = std::clamp(position, 0, top);
  const int filled = top == 0 ? 0 : static_cast<int>(static_cast<long long>(at) * width / top);
  std::string line = status.empty() ? std::string() : status + " ";
  line += "[" + std::string(static_cast<std::size_t>(filled), '#') +
          std::string(static_cast<std::size_t>(width - filled), '.') + "] ";
  line += std::to_string(at) + "/" + std::to_string(top);
  return line;
}

}  // namespace phondeck::cli
