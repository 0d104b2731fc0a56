#include "ui/link_log_view.h"

#include "app/file_replace.h"
#include "app/prompt.h"
#include "app/text_table.h"
#include "link/link_log.h"

namespace phondeck {
namespace {
constexpr int kTextNotWritten = 3310;
}  // namespace

std::vector<std::string> LinkLogView::all_lines() {
  seen_ = log_.recorded();
  return log_.lines();
}

LinkLogView::NewLines LinkLogView::take_new() {
  NewLines fresh;
  const std::uint64_t recorded = log_.recorded();
  // Cleared meanwhile, or more came than the log keeps: show it afresh.
  if (recorded < seen_ || recorded - seen_ > LinkLog::kKept) {
    fresh.replace = true;
    fresh.lines = all_lines();
    return fresh;
  }
  fresh.lines = log_.lines_since(seen_);
  return fresh;
}

bool LinkLogView::save(const std::string& path, Prompt& prompt) const {
  std::string text;
  for (const std::string& line : log_.lines()) text += line + "\n";
  if (replace_file(path, path + ".part", text.data(), text.size(), FileAccess::Owner)) return true;
  prompt.message(tx_with(kTextNotWritten, {path}));
  return false;
}

void LinkLogView::clear() {
  log_.clear();
  seen_ = 0;
}

}  // namespace phondeck
