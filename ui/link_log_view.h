#pragma once
// The Link Log window's logic (TLinkLogWindow shows it): the link log's
// lines, the ones recorded since the window last looked, Save to a file for
// its owner only (the frames carry names and numbers), and Clear.
#include <cstdint>
#include <string>
#include <vector>

namespace phondeck {

class LinkLog;
class Prompt;

class LinkLogView {
 public:
  explicit LinkLogView(LinkLog& log) : log_(log) {}

  // Every line kept, and from now on take_new() gives what comes after.
  std::vector<std::string> all_lines();
  // The lines recorded since the last all_lines() or take_new(); when more
  // came than the log keeps, all_lines() again (replaced set).
  struct NewLines {
    bool replace = false;  // the shown text is to be replaced, not extended
    std::vector<std::string> lines;
  };
  NewLines take_new();
  // Writes the log kept to path (0600); false, after telling the user, when
  // it could not be written.
  bool save(const std::string& path, Prompt& prompt) const;
  // Empties the log.
  void clear();

 private:
  LinkLog& log_;
  std::uint64_t seen_ = 0;
};

}  // namespace phondeck
