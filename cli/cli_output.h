#pragma once
// What phondeck prints: records on standard output (JSON objects, one a
// line, or plain text), summary lines, and the progress bar it draws on
// standard error when that is a terminal.
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace phondeck::cli {

using Record = nlohmann::ordered_json;

class Output {
 public:
  Output(std::ostream& out, bool json, bool quiet) : out_(out), json_(json), quiet_(quiet) {}
  bool json() const { return json_; }

  // One row of a list: a JSON object, or its values separated by tabs
  // (null as "-", tabs, line breaks and backslashes escaped) under a header
  // line of the column names.
  void row(const Record& record);
  // The header line of a list's columns, when no row printed it yet: an
  // empty list still names them. Nothing in JSON.
  void header(const std::vector<std::string>& columns);
  // One result: a JSON object, or "key: value" lines.
  void object(const Record& record);
  // A summary of what was done: {"done": text} in JSON; nothing with --quiet.
  void summary(const std::string& text);

 private:
  std::ostream& out_;
  bool json_;
  bool quiet_;
  std::vector<std::string> columns_;  // the header last printed
};

// A value as plain text: strings as they are, null as "-", others as JSON.
std::string plain(const Record& value);

// The progress line: the status, a bar of `width` cells and position/maximum,
// to be drawn after a carriage return.
std::string progress_line(const std::string& status, int position, int maximum, int width = 30);

}  // namespace phondeck::cli
