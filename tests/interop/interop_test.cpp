// Two PC programs written for real 6110-family handsets, gnokii-cli and
// gammu, run as black boxes against the telvane-handset program on a
// pseudo-terminal, one command per handset start, at the wire's pace. Every
// check compares what the program printed (or saved) with what the handset
// held. Only their output is read.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "media/mono_bitmap.h"
#include "media/windows_bitmap.h"
#include "organiser/long_message.h"
#include "organiser/sms_codec.h"
#include "sim/handset_state.h"

extern char** environ;

namespace phondeck {
namespace {

namespace fs = std::filesystem;
using sim::Bytes;
using sim::HandsetState;
using Clock = std::chrono::steady_clock;

// The slowest command takes about 13 s (three unanswered requests); the
// whole table about two minutes. Rows past the budget fail as not run, so
// the summary still comes before CTest's time-out.
constexpr auto kCommandTimeout = std::chrono::seconds(25);
constexpr auto kTableBudget = std::chrono::seconds(230);

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void write_file(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
}

// The program's path on PATH, if it is installed.
std::optional<std::string> find_program(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const fs::path candidate = fs::path(dir.empty() ? "." : dir) / name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return std::nullopt;
}

// A child process started by the test; killed if still running at the end.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  // stdout_fd / stderr_fd: descriptors for the child's output (-1: /dev/null);
  // folder: its working folder (empty: ours).
  bool spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             int stdout_fd, int stderr_fd, const std::string& folder = {}) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (stdout_fd >= 0) {
      posix_spawn_file_actions_adddup2(&actions, stdout_fd, 1);
    } else {
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    if (stderr_fd >= 0) {
      posix_spawn_file_actions_adddup2(&actions, stderr_fd, 2);
    } else {
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const int rc = posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) pid_ = -1;
    return rc == 0;
  }

  // The exit status (128 + signal when killed by one); nothing on time-out.
  std::optional<int> wait_for(Clock::duration limit) {
    const auto end = Clock::now() + limit;
    for (;;) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      if (Clock::now() >= end) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  void signal(int number) {
    if (pid_ > 0) kill(pid_, number);
  }

 private:
  pid_t pid_ = -1;
};

// What one command did against one handset start.
struct CommandRun {
  std::string output;       // standard output and error
  std::optional<int> exit;  // nothing when it had to be stopped
  HandsetState before;      // the handset's contents when it started
  HandsetState after;       // ... and when it stopped
  fs::path file;            // the file the command was asked to save
  std::string trace;        // the handset's trace of the exchange
  double seconds = 0;
};

// A check of one run: empty when it holds, else what was wrong.
using Check = std::function<std::string(const CommandRun&)>;

struct Row {
  const char* program;            // "gnokii" or "gammu"
  std::vector<std::string> args;  // "{file}" stands for the file to save
  const char* what;
  Check check;
  const char* file_name = "";  // the saved file's name, when there is one
};

// --- The handset's contents as text --------------------------------------

// A name or note text as the handset keeps it, when it is plain ASCII. The
// two programs read other bytes differently (one as ISO 8859-1, the other as
// the GSM alphabet, which "J\xFCrgen" shows as "J"), and neither reads the
// 04 FF form (UCS-2); such texts are listed as not compared.
std::optional<std::string> ascii_text(const Bytes& bytes) {
  for (std::uint8_t b : bytes) {
    if (b < 0x20 || b > 0x7E) return std::nullopt;
  }
  return std::string(bytes.begin(), bytes.end());
}

std::string two(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// "missing X, Y" for each expected text the output lacks.
std::string expect_all(const std::string& output, const std::vector<std::string>& texts) {
  std::string missing;
  for (const std::string& text : texts) {
    if (output.find(text) != std::string::npos) continue;
    missing += missing.empty() ? "missing \"" : ", \"";
    missing += text + "\"";
  }
  return missing;
}

// Adds the text when it is compared, else counts it as skipped.
void expect_text(std::vector<std::string>& texts, int& skipped, const Bytes& bytes) {
  if (std::optional<std::string> text = ascii_text(bytes)) {
    texts.push_back(*text);
  } else {
    ++skipped;
  }
}

std::string phone_book(const sim::Memory& memory, const std::string& output) {
  std::vector<std::string> texts;
  int skipped = 0;
  for (const sim::PhoneBookSlot& slot : memory.entries) {
    expect_text(texts, skipped, slot.name);
    texts.push_back(slot.number);
  }
  if (memory.entries.empty()) return "the handset's memory is empty";
  std::string result = expect_all(output, texts);
  if (skipped > 0 && !result.empty())
    result += " (" + std::to_string(skipped) + " non-ASCII names not compared)";
  return result;
}

std::string identify(const CommandRun& run) {
  return expect_all(run.output, {run.before.imei, run.before.type_designation});
}

std::string phone_memory(const CommandRun& run) {
  return phone_book(run.before.phone, run.output);
}
std::string sim_memory(const CommandRun& run) {
  return phone_book(run.before.sim, run.output);
}

// Every message's text and number (inbox: statuses 1 and 3).
std::string some_messages(const CommandRun& run, bool outbox_too) {
  std::vector<std::string> texts;
  for (const sim::SmsSlot& slot : run.before.sms.messages) {
    if (!outbox_too && slot.status != 1 && slot.status != 3) continue;
    // A part of a message in parts: its text after the user-data header.
    const bool header = slot.first_octet >= 0 && (slot.first_octet & 0x40) != 0;
    texts.push_back(header ? decode_after_header(slot.user_data, slot.coding, slot.length)
                           : decode_user_data(slot.user_data, slot.coding, slot.length));
    if (!slot.number.empty()) texts.push_back(slot.number);
  }
  return expect_all(run.output, texts);
}

std::string messages(const CommandRun& run) {
  return some_messages(run, true);
}
// gnokii-cli reads an outbox record as it reads the inbox's (its number one
// byte early, no text), where gammu reads the layout the handset sends.
std::string inbox_messages(const CommandRun& run) {
  return some_messages(run, false);
}

// The centre's number, and its name when the handset keeps one.
std::string message_centre(const CommandRun& run) {
  const sim::SmsMemory& sms = run.before.sms;
  std::vector<std::string> texts{sms.smsc};
  const Bytes name(sms.centre_name.begin(),
                   std::find(sms.centre_name.begin(), sms.centre_name.end(), 0x00));
  int skipped = 0;
  if (!name.empty()) expect_text(texts, skipped, name);
  return expect_all(run.output, texts);
}

// Every note's text, and a Call note's number.
std::string calendar(const CommandRun& run) {
  std::vector<std::string> texts;
  int skipped = 0;
  for (const sim::CalendarNote& note : run.before.calendar.notes) {
    expect_text(texts, skipped, note.text);
    if (!note.number.empty()) expect_text(texts, skipped, note.number);
  }
  if (run.before.calendar.notes.empty()) return "the handset holds no notes";
  return expect_all(run.output, texts);
}

// The clock the rows set, and how each program writes it.
constexpr sim::ClockTime kSetClock{2027, 3, 14, 15, 9, 0};

std::string clock_was_set(const CommandRun& run) {
  const sim::CalendarState& c = run.after.calendar;
  const sim::ClockTime& t = c.clock;
  if (!c.date_set || t.year != kSetClock.year || t.month != kSetClock.month ||
      t.day != kSetClock.day || t.hour != kSetClock.hour || t.minute != kSetClock.minute) {
    return "the handset's clock is " + std::to_string(t.year) + "-" + two(t.month) + "-" +
           two(t.day) + " " + two(t.hour) + ":" + two(t.minute) + (c.date_set ? "" : " (not set)");
  }
  return {};
}

// The clock the handset held (set by the row before): its date, in one of
// the forms the programs print dates in, and its hour and minute.
std::string clock_read(const CommandRun& run) {
  const sim::ClockTime& t = run.before.calendar.clock;
  if (!run.before.calendar.date_set) return "the handset's clock was not set";
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::string year = std::to_string(t.year);
  const std::string month = t.month >= 1 && t.month <= 12 ? kMonths[t.month - 1] : "?";
  const std::string dates[] = {
      year + "-" + two(t.month) + "-" + two(t.day), year + "/" + two(t.month) + "/" + two(t.day),
      two(t.day) + "/" + two(t.month) + "/" + year, month + " " + two(t.day)};
  const bool date = std::any_of(std::begin(dates), std::end(dates), [&run](const std::string& d) {
    return run.output.find(d) != std::string::npos;
  });
  const std::string missing = expect_all(run.output, {year, two(t.hour) + ":" + two(t.minute)});
  if (date) return missing;
  return "no date " + dates[0] + (missing.empty() ? "" : "; " + missing);
}

std::string alarm(const CommandRun& run) {
  const sim::CalendarState& c = run.before.calendar;
  return expect_all(run.output, {two(c.alarm_hour) + ":" + two(c.alarm_minute)});
}

// Profile 1 (Silent): its name, its ringing tone's number and its volume
// level (values 6..10 are levels 1..5).
constexpr int kProfile = 1;
std::string profile(const CommandRun& run) {
  const sim::SettingsState& s = run.before.settings;
  const auto& name = s.profile_names[kProfile];
  const std::optional<std::string> text = ascii_text(Bytes(name.begin(), name.end()));
  if (!text || text->empty())
    return "profile " + std::to_string(kProfile) + " has no ASCII name to look for";
  const auto& values = s.profiles[kProfile];
  return expect_all(run.output, {"\"" + *text + "\"", "(" + std::to_string(values[3]) + ")",
                                 "Level " + std::to_string(values[4] - 5)});
}

// A two-colour bitmap's palette as black and white: the darker colour is the
// set pixel. gammu saves its pictures on a green background.
void palette_to_black_and_white(std::string& bmp) {
  if (bmp.size() < 62 || bmp[28] != 1 || bmp[29] != 0) return;
  const std::size_t header = static_cast<std::uint8_t>(bmp[14]) | static_cast<std::uint8_t>(bmp[15])
                                                                      << 8;
  const std::size_t palette = 14 + header;
  if (header < 40 || palette + 8 > bmp.size()) return;
  auto brightness = [&bmp](std::size_t at) {
    return static_cast<std::uint8_t>(bmp[at]) + static_cast<std::uint8_t>(bmp[at + 1]) +
           static_cast<std::uint8_t>(bmp[at + 2]);
  };
  const bool first_darker = brightness(palette) <= brightness(palette + 4);
  for (std::size_t i = 0; i < 3; ++i) {
    bmp[palette + i] = first_darker ? '\x00' : '\xFF';
    bmp[palette + 4 + i] = first_darker ? '\xFF' : '\x00';
  }
}

// The saved picture against the handset's.
std::string same_picture(const CommandRun& run, const MonoBitmap& expected) {
  std::string bytes = read_file(run.file);
  if (bytes.empty()) return "no picture saved in " + run.file.filename().string();
  palette_to_black_and_white(bytes);
  const std::optional<MonoBitmap> saved = decodeWindowsBitmap(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  if (!saved) return "the saved file is no bitmap";
  if (saved->width() != expected.width() || saved->height() != expected.height()) {
    return "saved " + std::to_string(saved->width()) + "x" + std::to_string(saved->height()) +
           ", handset " + std::to_string(expected.width()) + "x" +
           std::to_string(expected.height());
  }
  int wrong = 0;
  for (int y = 0; y < expected.height(); ++y) {
    for (int x = 0; x < expected.width(); ++x)
      wrong += saved->get(x, y) != expected.get(x, y) ? 1 : 0;
  }
  return wrong == 0 ? std::string() : std::to_string(wrong) + " pixels differ";
}

std::string operator_logo(const CommandRun& run) {
  return same_picture(run, unpackRows(run.before.graphics.operator_logo, kLogoWidth, kLogoHeight));
}
std::string startup_picture(const CommandRun& run) {
  return same_picture(run, unpackBands(run.before.graphics.startup, kStartupWidth, kStartupHeight));
}
constexpr int kGroup = 1;  // the caller group the rows read, from 0
std::string group_logo(const CommandRun& run) {
  return same_picture(run, unpackRows(run.before.groups[kGroup].logo, kLogoWidth, kLogoHeight));
}

const std::vector<Row>& rows() {
  static const std::vector<Row> table = {
      {"gnokii", {"--identify"}, "identify: IMEI and model", identify},
      {"gnokii",
       {"--getphonebook", "ME", "1", "end"},
       "phone memory: every name and number",
       phone_memory},
      {"gnokii", {"--getphonebook", "SM", "1", "end"}, "SIM: every name and number", sim_memory},
      {"gnokii",
       {"--getsms", "SM", "1", "end"},
       "messages: every one in the inbox",
       inbox_messages},
      {"gnokii", {"--getsmsc"}, "message centre", message_centre},
      {"gnokii", {"--getcalendarnote", "1", "end"}, "calendar: every note's text", calendar},
      {"gnokii", {"--setdatetime", "2027", "3", "14", "15", "9"}, "clock set", clock_was_set},
      {"gnokii", {"--getdatetime"}, "clock read", clock_read},
      {"gnokii", {"--getalarm"}, "alarm", alarm},
      {"gnokii", {"--getprofile", "1"}, "profile", profile},
      {"gnokii",
       {"--getlogo", "op", "{file}"},
       "operator logo",
       operator_logo,
       "gnokii-operator.bmp"},
      {"gnokii",
       {"--getlogo", "startup", "{file}"},
       "startup picture",
       startup_picture,
       "gnokii-startup.bmp"},
      // The file's name gives the group's number too.
      {"gnokii", {"--getlogo", "caller", "{file}"}, "caller-group logo", group_logo, "1.bmp"},
      {"gammu", {"identify"}, "identify: IMEI and model", identify},
      {"gammu", {"getallmemory", "ME"}, "phone memory: every name and number", phone_memory},
      {"gammu", {"getallmemory", "SM"}, "SIM: every name and number", sim_memory},
      {"gammu", {"getallsms"}, "messages: every one", messages},
      {"gammu", {"getsmsc", "1"}, "message centre", message_centre},
      {"gammu", {"getallcalendar"}, "calendar: every note's text", calendar},
      {"gammu", {"setdatetime", "15:09:00", "2027/03/14"}, "clock set", clock_was_set},
      {"gammu", {"getdatetime"}, "clock read", clock_read},
      {"gammu", {"getalarm"}, "alarm", alarm},
      {"gammu",
       {"getbitmap", "OPERATOR", "{file}"},
       "operator logo",
       operator_logo,
       "gammu-operator.bmp"},
      {"gammu",
       {"getbitmap", "STARTUP", "{file}"},
       "startup picture",
       startup_picture,
       "gammu-startup.bmp"},
      // Groups count from 1 here.
      {"gammu",
       {"getbitmap", "CALLER", "2", "{file}"},
       "caller-group logo",
       group_logo,
       "gammu-caller.bmp"},
  };
  return table;
}

// --- The rig ---------------------------------------------------------------

class InteropRig {
 public:
  InteropRig() {
    char pattern[] = "/tmp/phondeck-interop-XXXXXX";
    const char* made = mkdtemp(pattern);
    root_ = made != nullptr ? fs::path(made) : fs::temp_directory_path() / "phondeck-interop";
    fs::create_directories(root_ / "home");
    state_file_ = root_ / "handset.json";
    HandsetState state = HandsetState::demo(*sim::find_model("6110"));
    state.calendar.alarm_on = true;
    state.calendar.alarm_hour = 7;
    state.calendar.alarm_minute = 45;
    std::string error;
    saved_ = state.save(state_file_.string(), error);
  }
  ~InteropRig() {
    std::error_code ignored;
    if (std::getenv("PHONDECK_INTEROP_KEEP") == nullptr) fs::remove_all(root_, ignored);
  }

  bool ready() const { return saved_; }
  const fs::path& root() const { return root_; }

  // Starts the handset on the current state, runs the command, stops the
  // handset; fills the run, or returns why it could not.
  std::string run(const Row& row, int index, const std::string& program, CommandRun& run) {
    std::string error;
    std::optional<HandsetState> before = HandsetState::load(state_file_.string(), error);
    if (!before) return "state file: " + error;
    run.before = *before;
    const fs::path trace_file = root_ / ("trace-" + std::to_string(index) + ".txt");
    const int trace_fd = open(trace_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int pipe_fds[2];
    if (trace_fd < 0 || pipe(pipe_fds) != 0) return "cannot open the trace file";
    Child handset;
    const bool started =
        handset.spawn({TELVANE_HANDSET, "--state", state_file_.string(), "--pace", "--trace"},
                      {"PATH=/usr/bin:/bin"}, pipe_fds[1], trace_fd);
    close(pipe_fds[1]);
    close(trace_fd);
    const std::string path = started ? first_line(pipe_fds[0]) : std::string();
    if (path.empty()) {
      close(pipe_fds[0]);
      return "telvane-handset did not start";
    }
    write_configs(path);
    run.file = root_ / row.file_name;
    std::error_code ignored;
    if (*row.file_name != '\0') fs::remove(run.file, ignored);
    std::vector<std::string> argv{program};
    for (const std::string& arg : row.args) argv.push_back(arg == "{file}" ? row.file_name : arg);

    const fs::path output_file = root_ / ("output-" + std::to_string(index) + ".txt");
    const int output_fd = open(output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto start = Clock::now();
    Child command;
    const bool ran = command.spawn(argv, environment(), output_fd, output_fd, root_.string());
    close(output_fd);
    if (ran) run.exit = command.wait_for(kCommandTimeout);
    run.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    command.signal(SIGKILL);
    handset.signal(SIGTERM);
    const std::optional<int> handset_exit = handset.wait_for(std::chrono::seconds(10));
    close(pipe_fds[0]);
    run.output = read_file(output_file);
    run.trace = read_file(trace_file);
    if (!ran) return "cannot start " + program;
    if (handset_exit != 0) return "telvane-handset did not stop cleanly";
    std::optional<HandsetState> after = HandsetState::load(state_file_.string(), error);
    if (!after) return "state file after the run: " + error;
    run.after = *after;
    return {};
  }

 private:
  static std::string first_line(int fd) {
    std::string line;
    const auto end = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < end) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 100) <= 0) continue;
      char c = 0;
      if (read(fd, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return {};
  }

  void write_configs(const std::string& port) {
    const fs::path home = root_ / "home";
    const std::string gnokii = "[global]\nport = " + port + "\nmodel = 6110\nconnection = serial\n";
    fs::create_directories(home / ".config" / "gnokii");
    write_file(home / ".config" / "gnokii" / "config", gnokii);
    write_file(home / ".gammurc",
               "[gammu]\nport = " + port + "\nconnection = fbus\nmodel = 6110\n");
  }

  std::vector<std::string> environment() const {
    const fs::path home = root_ / "home";
    return {"HOME=" + home.string(), "XDG_CONFIG_HOME=" + (home / ".config").string(),
            "LANG=C.UTF-8", "LC_ALL=C.UTF-8", "PATH=/usr/bin:/bin"};
  }

  fs::path root_;
  fs::path state_file_;
  bool saved_ = false;
};

// The requests of a trace that no handler took ("TT: bytes"), each once.
std::vector<std::string> unanswered(const std::string& trace) {
  std::vector<std::string> out;
  std::istringstream lines(trace);
  std::string line;
  std::string request;
  while (std::getline(lines, line)) {
    const std::size_t at = line.find(" < ");
    if (at != std::string::npos) request = line.substr(at + 3);
    if (line.find("(no handler") != std::string::npos &&
        std::find(out.begin(), out.end(), request) == out.end()) {
      out.push_back(request);
    }
  }
  return out;
}

TEST(Interop, TwoPcProgramsReadTheHandsetsOwnContents) {
  InteropRig rig;
  ASSERT_TRUE(rig.ready());
  int passed = 0;
  int index = 0;
  const auto table_start = Clock::now();
  std::map<std::string, std::string> silent;  // request -> the commands that sent it
  for (const Row& row : rows()) {
    ++index;
    const std::string label = std::string(row.program) + " " + row.what;
    if (Clock::now() - table_start > kTableBudget) {
      std::printf("[FAIL] %-7s %-40s: not run, the time budget is spent\n", row.program, row.what);
      ADD_FAILURE() << label << ": not run, the time budget is spent";
      continue;
    }
    const std::optional<std::string> program = find_program(row.program);
    if (!program) {
      std::printf("[FAIL] %-7s %-40s: not installed\n", row.program, row.what);
      ADD_FAILURE() << label << ": " << row.program
                    << " is not installed (scripts/install-deps.sh installs gnokii-cli and gammu)";
      continue;
    }
    CommandRun run;
    const std::string trouble = rig.run(row, index, *program, run);
    const std::string failure = trouble.empty() ? row.check(run) : trouble;
    for (const std::string& request : unanswered(run.trace)) {
      const std::string command = std::string(row.program) + " " + row.args.front();
      std::string& commands = silent[request];
      if (commands.find(command) == std::string::npos)
        commands += (commands.empty() ? "" : ", ") + command;
    }
    std::printf("[%s] %-7s %-40s %5.1fs%s%s\n", failure.empty() ? "pass" : "FAIL", row.program,
                row.what, run.seconds, failure.empty() ? "" : ": ", failure.c_str());
    if (failure.empty()) {
      ++passed;
      continue;
    }
    ADD_FAILURE() << label << ": " << failure << "\n--- " << row.program << " printed (exit "
                  << (run.exit ? std::to_string(*run.exit) : std::string("none, stopped")) << "):\n"
                  << run.output << "--- handset trace:\n"
                  << run.trace;
  }
  for (const auto& [request, commands] : silent) {
    std::printf("acknowledged, not answered: %s (%s)\n", request.c_str(), commands.c_str());
  }
  std::printf("interop: %d of %zu checks passed\n", passed, rows().size());
}

}  // namespace
}  // namespace phondeck
