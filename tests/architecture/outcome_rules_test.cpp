// How an operation's outcome travels, checked on the sources. The command
// line and the session learn how an operation ended from its result, never
// from the status texts it showed; the handset families ask the user
// nothing: whoever starts an operation asks and passes the answers in.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The source with comments and the insides of string and character literals
// blanked (newlines kept), so that only code is matched and offsets keep
// their lines.
std::string code_of(std::string_view text) {
  std::string out(text);
  std::size_t i = 0;
  auto blank = [&out](std::size_t from, std::size_t to) {
    for (std::size_t k = from; k < to && k < out.size(); ++k) {
      if (out[k] != '\n') out[k] = ' ';
    }
  };
  while (i < text.size()) {
    const char c = text[i];
    if (c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
      const std::size_t end = text.find('\n', i);
      const std::size_t stop = end == std::string_view::npos ? text.size() : end;
      blank(i, stop);
      i = stop;
    } else if (c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
      const std::size_t end = text.find("*/", i + 2);
      const std::size_t stop = end == std::string_view::npos ? text.size() : end + 2;
      blank(i, stop);
      i = stop;
    } else if (c == 'R' && i + 1 < text.size() && text[i + 1] == '"' &&
               (i == 0 || !(std::isalnum(static_cast<unsigned char>(text[i - 1])) || text[i - 1] == '_'))) {
      const std::size_t open = text.find('(', i + 2);
      if (open == std::string_view::npos) break;
      const std::string close = ")" + std::string(text.substr(i + 2, open - i - 2)) + "\"";
      const std::size_t end = text.find(close, open);
      const std::size_t stop = end == std::string_view::npos ? text.size() : end + close.size();
      blank(i + 2, stop - 1);
      i = stop;
    } else if (c == '"' || c == '\'') {
      std::size_t k = i + 1;
      while (k < text.size() && text[k] != c && text[k] != '\n') k += text[k] == '\\' ? 2 : 1;
      blank(i + 1, k);
      i = k + 1;
    } else {
      ++i;
    }
  }
  return out;
}

bool word_char(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

std::size_t line_at(std::string_view code, std::size_t offset) {
  std::size_t line = 1;
  for (std::size_t k = 0; k < offset && k < code.size(); ++k) line += code[k] == '\n' ? 1 : 0;
  return line;
}

// Every offset where `word` stands as a whole identifier, followed (after
// blanks) by '(' when `call` is set.
std::vector<std::size_t> occurrences(std::string_view code, std::string_view word, bool call) {
  std::vector<std::size_t> found;
  for (std::size_t at = code.find(word); at != std::string_view::npos; at = code.find(word, at + 1)) {
    const std::size_t end = at + word.size();
    if ((at > 0 && word_char(code[at - 1])) || (end < code.size() && word_char(code[end]))) continue;
    if (call) {
      const std::size_t next = code.find_first_not_of(" \t\n", end);
      if (next == std::string_view::npos || code[next] != '(') continue;
    }
    found.push_back(at);
  }
  return found;
}

// An identifier that holds the status texts shown (an observer's record of
// them, the last one).
bool status_text_name(std::string_view name) {
  return name.find("statuses") != std::string_view::npos || name.find("status_text") != std::string_view::npos ||
         name.starts_with("last_status");
}

// Whether a stretch of code reads a table text (tx(...)) or a shown status.
bool reads_status_text(std::string_view code) {
  if (!occurrences(code, "tx", true).empty()) return true;
  for (std::size_t k = 0; k < code.size();) {
    if (!word_char(code[k])) {
      ++k;
      continue;
    }
    std::size_t end = k;
    while (end < code.size() && word_char(code[end])) ++end;
    if (status_text_name(code.substr(k, end - k))) return true;
    k = end;
  }
  return false;
}

bool opens(char c) { return c == '(' || c == '[' || c == '{'; }
bool closes(char c) { return c == ')' || c == ']' || c == '}'; }

// The operand on the right of an operator ending at `from`: up to the end of
// the enclosing brackets, or a ; , ? : && || at its own depth.
std::string_view right_operand(std::string_view code, std::size_t from) {
  int depth = 0;
  std::size_t k = from;
  for (; k < code.size(); ++k) {
    const char c = code[k];
    if (opens(c)) ++depth;
    if (closes(c) && depth-- == 0) break;
    if (depth > 0) continue;
    const bool scope = c == ':' && ((k + 1 < code.size() && code[k + 1] == ':') || (k > 0 && code[k - 1] == ':'));
    if (c == ';' || c == ',' || c == '?' || (c == ':' && !scope)) break;
    if ((c == '&' || c == '|') && k + 1 < code.size() && code[k + 1] == c) break;
  }
  return code.substr(from, k - from);
}

// The operand on the left of an operator starting at `to`, found likewise
// backwards (an assignment ends it too).
std::string_view left_operand(std::string_view code, std::size_t to) {
  int depth = 0;
  std::size_t k = to;
  for (; k > 0; --k) {
    const char c = code[k - 1];
    if (closes(c)) ++depth;
    if (opens(c) && depth-- == 0) break;
    if (depth > 0) continue;
    const char before = k >= 2 ? code[k - 2] : ' ';
    const bool scope = c == ':' && (before == ':' || (k < code.size() && code[k] == ':'));
    if (c == ';' || c == ',' || c == '?' || (c == ':' && !scope)) break;
    if ((c == '&' || c == '|') && before == c) break;
    if (c == '=' && before != '=' && before != '!' && before != '<' && before != '>' && code[k] != '=') break;
  }
  return code.substr(k, to - k);
}

// The arguments of the call whose '(' follows `name_end`.
std::string_view call_arguments(std::string_view code, std::size_t name_end) {
  const std::size_t open = code.find('(', name_end);
  if (open == std::string_view::npos) return {};
  return right_operand(code, open + 1);
}

// "file:line: what" for each place in `text` (the source of `file`) where
// the command line or the session takes a status text for an outcome.
std::vector<std::string> outcome_by_text(const std::string& file, std::string_view text) {
  const std::string code = code_of(text);
  std::vector<std::pair<std::size_t, std::string>> found;
  for (const std::size_t at : occurrences(code, "completed", true)) {
    found.emplace_back(at, "completed(...) asks whether a status text was shown");
  }
  for (const std::size_t at : occurrences(code, "saw", true)) {
    found.emplace_back(at, "saw(...) asks whether a status text was shown");
  }
  // A text id named after a completion status ("kReadPhoneBookCompleted").
  for (std::size_t k = 0; k < code.size();) {
    if (!word_char(code[k])) {
      ++k;
      continue;
    }
    std::size_t end = k;
    while (end < code.size() && word_char(code[end])) ++end;
    const std::string_view name(code.data() + k, end - k);
    if (name.size() > 10 && name[0] == 'k' && std::isupper(static_cast<unsigned char>(name[1])) &&
        name.ends_with("Completed")) {
      found.emplace_back(k, std::string(name) + " names a completion status text");
    }
    k = end;
  }
  for (std::size_t at = 0; (at = code.find_first_of("=!", at)) != std::string::npos; ++at) {
    if (at + 1 >= code.size() || code[at + 1] != '=') continue;
    if (at > 0 && (code[at - 1] == '=' || code[at - 1] == '<' || code[at - 1] == '>' || code[at - 1] == '!')) continue;
    if (reads_status_text(left_operand(code, at)) || reads_status_text(right_operand(code, at + 2))) {
      found.emplace_back(at, std::string(code.substr(at, 2)) + " compares a shown text");
    }
    ++at;
  }
  for (const char* search : {"find", "rfind", "find_if", "starts_with", "ends_with", "contains"}) {
    for (const std::size_t at : occurrences(code, search, true)) {
      if (reads_status_text(call_arguments(code, at + std::string_view(search).size()))) {
        found.emplace_back(at, std::string(search) + "(...) looks for a shown text");
      }
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> lines;
  for (const auto& [at, what] : found) lines.push_back(file + ":" + std::to_string(line_at(code, at)) + ": " + what);
  return lines;
}

// "file:line: what" for each place in a family's source that asks the user.
std::vector<std::string> questions_in_family(const std::string& file, std::string_view text) {
  const std::string code = code_of(text);
  std::vector<std::pair<std::size_t, std::string>> found;
  // Includes are read from the text itself: code_of blanks the header name.
  std::size_t offset = 0;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line); offset += line.size() + 1) {
    const std::size_t hash = line.find_first_not_of(" \t");
    if (hash == std::string::npos || line[hash] != '#' || code[offset + hash] != '#') continue;
    const std::size_t include = line.find("include", hash);
    if (include != std::string::npos && line.find("\"app/prompt.h\"", include) != std::string::npos) {
      found.emplace_back(offset + hash, "includes app/prompt.h");
    }
  }
  for (const std::size_t at : occurrences(code, "prompt", true)) {
    const bool member = (at >= 1 && code[at - 1] == '.') || (at >= 2 && code.compare(at - 2, 2, "->") == 0);
    if (member) found.emplace_back(at, "calls prompt()");
  }
  for (const char* question : {"ask_yes_no", "ask_yes_no_cancel"}) {
    for (const std::size_t at : occurrences(code, question, true)) found.emplace_back(at, std::string("calls ") + question + "()");
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> lines;
  for (const auto& [at, what] : found) {
    lines.push_back(file + ":" + std::to_string(line_at(code, at)) + ": " + what);
  }
  return lines;
}

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool is_source(const fs::path& path) {
  const std::string ext = path.extension().string();
  return ext == ".cpp" || ext == ".h";
}

// A core family's source: a family or families file of the link, media or
// organiser area, or the options dialog's exchanges.
bool family_source(const std::string& relative) {
  const fs::path path(relative);
  const std::string area = path.parent_path().generic_string();
  if (area != "link" && area != "media" && area != "organiser") return false;
  const std::string stem = path.stem().string();
  return stem.ends_with("_family") || stem.ends_with("_families") || relative.starts_with("organiser/options_exchanges.");
}

template <typename Check, typename Chosen>
std::vector<std::string> check_tree(const fs::path& root, const std::vector<std::string>& folders, Chosen chosen,
                                    Check check) {
  std::vector<std::string> found;
  for (const std::string& folder : folders) {
    if (!fs::is_directory(root / folder)) continue;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / folder)) {
      if (entry.is_regular_file() && is_source(entry.path())) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& path : files) {
      const std::string file = fs::relative(path, root).generic_string();
      if (!chosen(file)) continue;
      for (std::string& line : check(file, read_file(path))) found.push_back(std::move(line));
    }
  }
  return found;
}

std::string listed(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += "\n  " + item;
  return out;
}

TEST(OutcomeRules, TheCommandLineAndTheSessionLearnOutcomesFromResults) {
  const std::vector<std::string> found = check_tree(
      PHONDECK_SOURCE_DIR, {"cli", "session"}, [](const std::string&) { return true; }, outcome_by_text);
  EXPECT_TRUE(found.empty()) << "status texts taken for an operation's outcome; wait on the operation's result "
                                 "(CliSession::run_operation, the start's completion) instead:" << listed(found);
}

TEST(OutcomeRules, CoreFamiliesAskTheUserNothing) {
  const std::vector<std::string> found =
      check_tree(PHONDECK_SOURCE_DIR, {"link", "media", "organiser"}, family_source, questions_in_family);
  EXPECT_TRUE(found.empty()) << "questions asked inside a handset family; ask them where the operation starts "
                                 "(the window's logic, phondeck, the backup) and pass the answers in as start "
                                 "parameters:" << listed(found);
}

TEST(OutcomeRules, TheChecksFindWhatTheyLookFor) {
  struct Case {
    const char* code;
    std::vector<std::size_t> lines;  // the lines named
  };
  const std::vector<Case> outcome_cases{
      {"ok = s.run(start, s.completed(kText));", {1}},
      {"constexpr int kReadPhoneBookCompleted = 3003;", {1}},
      {"return observer_.saw(tx(id));", {1}},
      {"rec[\"sent\"] = r.Result == tx(kTextSucceeded);", {1}},
      {"if (tx(kTextFailed) != row.Result) fail();", {1}},
      {"return std::find(statuses_.begin(), statuses_.end(), text) != statuses_.end();", {1}},
      {"if (line.find(tx(kTextDone)) != std::string::npos) {}", {1}},
      {"x = 1;\nbool a = last_status_\n  == wanted;", {3}},
      {"text += (id == 0 ? std::string() : tx(id)) + \"\\n\";", {}},
      {"m[\"folder\"] = status == 1 || status == 3 ? \"inbox\" : \"outbox\";", {}},
      {"if (result.done() && result.entries == std::size_t{3}) {}", {}},
      {"show(kTextReadCompleted);", {1}},
      {"out << tx(kTextReadMemory);  // completed(3003) == tx(1)", {}},
      {"const char* s = \"saw( completed( == tx(\";", {}},
      {"/* s.completed(kReadCompleted) */ bool operation_completed(int);", {}},
      {"bool ok = std::string_view(a) == b;", {}},
      {"auto r = R\"(x.saw(1))\";", {}},
  };
  for (const Case& c : outcome_cases) {
    std::vector<std::size_t> lines;
    for (const std::string& found : outcome_by_text("f.cpp", c.code)) {
      lines.push_back(std::stoul(found.substr(found.find(':') + 1)));
    }
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    EXPECT_EQ(lines, c.lines) << c.code;
  }

  const std::vector<Case> family_cases{
      {"#include \"app/prompt.h\"", {1}},
      {"  #  include \"app/prompt.h\"", {1}},
      {"// #include \"app/prompt.h\"", {}},
      {"#include \"link/start_questions.h\"", {}},
      {"int a;\nif (!engine.prompt().ask_yes_no(tx(kTextSure))) return;", {2}},
      {"engine_->prompt();", {1}},
      {"prompt_.ask_yes_no_cancel(text);", {1}},
      {"engine.result().message = tx(kTextDone);  // no engine.prompt() here", {}},
      {"options.confirmed = write_prompt(engine);", {}},
  };
  for (const Case& c : family_cases) {
    std::vector<std::size_t> lines;
    for (const std::string& found : questions_in_family("f.cpp", c.code)) {
      lines.push_back(std::stoul(found.substr(found.find(':') + 1)));
    }
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    EXPECT_EQ(lines, c.lines) << c.code;
  }

  const std::array<std::pair<const char*, bool>, 10> families{{
      {"link/phonebook_family.cpp", true},
      {"link/status_families.h", true},
      {"media/graphics_family.h", true},
      {"organiser/calendar_families.h", true},
      {"organiser/options_exchanges.cpp", true},
      {"organiser/options_dialog.cpp", false},
      {"organiser/qt/calendar_family.cpp", false},
      {"session/backup_family.cpp", false},
      {"link/family_handler.h", false},
      {"sim/family_calendar.cpp", false},
  }};
  for (const auto& [file, expected] : families) EXPECT_EQ(family_source(file), expected) << file;
}

}  // namespace
